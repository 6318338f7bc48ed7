// Routes the HID operations to the selected transport.
#include <atomic>

#include "platform/hid.h"

namespace {
// Read by the I/O thread, set by the game or a test before it starts.
std::atomic<const HidTransport*> selectedTransport{nullptr};

const HidTransport* Transport()
{
    const HidTransport* transport = selectedTransport.load(std::memory_order_acquire);
    return transport ? transport : HidRealTransport();
}
}  // namespace

void HidSelectTransport(const HidTransport* transport)
{
    selectedTransport.store(transport, std::memory_order_release);
}

HidBoard* HidOpenBoard() { return Transport()->open(); }

int HidWriteReport(HidBoard* board, const uint8_t report[kHidReportSize])
{
    return Transport()->write(board, report);
}

int HidReadReport(HidBoard* board, uint8_t report[kHidReportSize])
{
    return Transport()->read(board, report);
}

void HidCloseBoard(HidBoard* board) { Transport()->close(board); }
