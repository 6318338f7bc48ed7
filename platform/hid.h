// HID reports to and from the sensor board (vendor 0x1962, product 0x2060).
// A report is always 65 bytes with the report ID, 0, in byte 0, whatever
// the transport does underneath. Two transports exist: the real one over
// hidapi (hidraw) and a simulated board (platform/hid_sim.h).
#pragma once
#include <cstdint>

const int kHidReportSize = 65;
const uint16_t kBoardVendorId = 0x1962;
const uint16_t kBoardProductId = 0x2060;

// A read that gets no answer within this time fails. A healthy board answers
// within a few milliseconds; the bound keeps a silent board from holding the
// I/O thread (a cycle makes at most five reads), so shutdown's one-second
// wait is never used up.
const int kHidReadTimeoutMs = 100;

struct HidBoard;   // an open board; each transport knows what it points to

// Null when no board is present or none could be opened (no permission).
HidBoard* HidOpenBoard();
// 1 when the whole report went out.
int  HidWriteReport(HidBoard* board, const uint8_t report[kHidReportSize]);
// 1 when an answer arrived within kHidReadTimeoutMs; report[0] is then 0 and
// bytes 1..64 the answer. On failure the buffer is left as it was.
int  HidReadReport(HidBoard* board, uint8_t report[kHidReportSize]);
void HidCloseBoard(HidBoard* board);

// A transport is one table of the four operations above.
struct HidTransport {
    HidBoard* (*open)();
    int  (*write)(HidBoard* board, const uint8_t* report);
    int  (*read)(HidBoard* board, uint8_t* report);
    void (*close)(HidBoard* board);
};
const HidTransport* HidRealTransport();
// Null selects the real transport. Change it only while no board is open
// through the other one (before the I/O thread starts or after it ended).
void HidSelectTransport(const HidTransport* transport);
