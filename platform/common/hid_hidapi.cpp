// The real board transport over hidapi's hidraw backend.
#include <cstring>
#include <mutex>

#include <hidapi.h>

#include "platform/hid.h"

namespace {

std::once_flag hidInitOnce;
int hidReady;   // hid_init succeeded

hid_device* Device(HidBoard* board) { return reinterpret_cast<hid_device*>(board); }

// The first interface of the board that opens; one without read and write
// permission is skipped silently, so the game goes on with the keyboard.
HidBoard* OpenReal()
{
    std::call_once(hidInitOnce, [] { hidReady = hid_init() == 0; });
    if (!hidReady)
        return nullptr;
    hid_device_info* list = hid_enumerate(kBoardVendorId, kBoardProductId);
    hid_device* device = nullptr;
    for (hid_device_info* info = list; info && !device; info = info->next)
        device = hid_open_path(info->path);
    hid_free_enumeration(list);
    if (device)
        hid_set_nonblocking(device, 0);
    return reinterpret_cast<HidBoard*>(device);
}

int WriteReal(HidBoard* board, const uint8_t* report)
{
    // Report ID 0 leads the buffer; hidraw drops it before it goes on the wire.
    return hid_write(Device(board), report, kHidReportSize) > 0;
}

// The board has no numbered reports, so hidraw hands back the 64 payload
// bytes alone; put them back behind the report ID as the wire layout has it.
int ReadReal(HidBoard* board, uint8_t* report)
{
    uint8_t payload[kHidReportSize - 1] = {};
    int n = hid_read_timeout(Device(board), payload, sizeof payload, kHidReadTimeoutMs);
    if (n <= 0)
        return 0;
    report[0] = 0;
    memcpy(report + 1, payload, sizeof payload);
    return 1;
}

void CloseReal(HidBoard* board) { hid_close(Device(board)); }

const HidTransport realTransport = {OpenReal, WriteReal, ReadReal, CloseReal};

}  // namespace

const HidTransport* HidRealTransport() { return &realTransport; }
