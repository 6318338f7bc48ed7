// A simulated sensor board behind the HID transport, for tests and for
// working without the hardware.
//
// The board keeps 32 registers. "m" "r" reads answer with the echoed command
// and the register block; "m" "w" writes store their values into the
// registers (so lamp pattern and sound words can be read back as registers
// 9 and 13..16) and are answered with the echoed command. The probe (0xAA)
// is answered with 0x55 in byte 1; any other report gets no answer. Every
// report written, delivered or not, and every open and close goes into a log.
#pragma once
#include <cstdint>
#include <vector>

#include "platform/hid.h"

enum SimExchange {
    SIM_PROBE,          // 00 AA
    SIM_FAILURE_FIRST,  // 00 05 FF 00 F0 00 01
    SIM_FAILURE_SECOND, // 00 08
    SIM_BLOCK_READ,     // 00 6D 72 ...
    SIM_CLEAR_REG1,     // 00 6D 77 01 ...
    SIM_LAMPS,          // 00 6D 77 09 ...
    SIM_SOUND,          // 00 6D 77 0D ...
    SIM_OTHER,
    SIM_ANY             // matches every exchange when arming a fault
};

enum SimFault {
    SIM_FAIL_WRITE,     // the write fails; the board never sees the report
    SIM_FAIL_READ,      // the answer's read fails at once
    SIM_WRONG_ANSWER,   // the answer comes with byte 1 (and 2) zeroed
    SIM_NO_ANSWER,      // the read waits kHidReadTimeoutMs, then fails
    SIM_HOLD_READ       // the read blocks until SimBoardRelease or unplugging
};

enum SimEventKind { SIM_EVENT_OPEN, SIM_EVENT_CLOSE, SIM_EVENT_WRITE };

struct SimEvent {
    SimEventKind kind;
    SimExchange exchange;       // for writes
    int delivered;              // for writes: 0 when the write failed
    int connection;             // 1 for the first open, 2 for the next, ...
    uint8_t report[kHidReportSize];  // for writes
};

const HidTransport* SimBoardTransport();

// Back to a present, answering board with zeroed registers, no faults and
// an empty log. Must not be called while a board is open.
void SimBoardReset();
// 0 unplugs the board: opens fail, an open board fails every exchange and a
// held read returns failure. 1 plugs it back in (old handles stay dead).
void SimBoardSetPresent(int present);
void SimBoardSetRegister(int index, uint8_t value);
uint8_t SimBoardRegister(int index);
// Arms a fault for the next `count` matching exchanges (count < 0: forever).
// One fault is armed at a time; arming replaces the previous one.
void SimBoardArmFault(SimExchange at, SimFault fault, int count);
void SimBoardClearFault();
// Every answered read first waits this long (a slow board).
void SimBoardSetReadDelay(int ms);
// Lets held reads go on (and disarms a hold fault).
void SimBoardRelease();
// 1 while a read is blocked by SIM_HOLD_READ.
int SimBoardReadHeld();
int SimBoardOpenAttempts();
std::vector<SimEvent> SimBoardLog();
