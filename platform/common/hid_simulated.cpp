// The simulated sensor board: a register file that answers the board's
// commands, with faults a test can arm. Thread-safe: the I/O thread drives
// it while a test sets registers and reads the log.
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <mutex>

#include "platform/hid_sim.h"

namespace {

const int kRegisterCount = 32;
// Left running without hardware the log would grow without end; tests never
// come near this many events.
const size_t kLogLimit = 100000;

struct SimHandle {
    int generation;   // the plug-in it belongs to; dead once unplugged
    int connection;   // which open this is, counted from 1
};

struct SimBoard {
    std::mutex mutex;
    std::condition_variable changed;        // unplug or release
    int present = 1;                        // plugged in
    int generation = 0;                     // bumped by every unplug
    int connections = 0;                    // successful opens so far
    int openAttempts = 0;                   // all opens, failed ones too
    uint8_t registers[kRegisterCount] = {}; // the board's register file
    uint8_t reply[kHidReportSize] = {};     // answer to the last write
    int replyReady = 0;                     // reply waits to be read
    SimExchange lastExchange = SIM_OTHER;   // what the last write was
    SimExchange faultAt = SIM_ANY;          // armed fault: where,
    SimFault fault = SIM_FAIL_WRITE;        // what,
    int faultCount = 0;                     // how often (0 none, < 0 always)
    int readDelayMs = 0;                    // every answer waits this long
    int releaseEpoch = 0;                   // bumped by SimBoardRelease
    int heldReads = 0;                      // reads now blocked by a hold
    std::vector<SimEvent> log;              // opens, closes and writes
};
SimBoard sim;

using Lock = std::unique_lock<std::mutex>;

SimHandle* Handle(HidBoard* board) { return reinterpret_cast<SimHandle*>(board); }

bool Dead(const SimHandle* handle)
{
    return !sim.present || handle->generation != sim.generation;
}

SimExchange Classify(const uint8_t* report)
{
    static const uint8_t failureFirst[] = {0x00, 0x05, 0xFF, 0x00, 0xF0, 0x00, 0x01};
    if (report[1] == 0xAA)
        return SIM_PROBE;
    if (memcmp(report, failureFirst, sizeof failureFirst) == 0)
        return SIM_FAILURE_FIRST;
    if (report[1] == 0x08)
        return SIM_FAILURE_SECOND;
    if (report[1] == 0x6D && report[2] == 0x72)
        return SIM_BLOCK_READ;
    if (report[1] == 0x6D && report[2] == 0x77) {
        if (report[3] == 0x01)
            return SIM_CLEAR_REG1;
        if (report[3] == 0x09)
            return SIM_LAMPS;
        if (report[3] == 0x0D)
            return SIM_SOUND;
    }
    return SIM_OTHER;
}

// Uses up one armed fault of the given kind when it matches the exchange.
bool TakeFault(SimExchange exchange, SimFault fault)
{
    if (sim.faultCount == 0 || sim.fault != fault)
        return false;
    if (sim.faultAt != SIM_ANY && sim.faultAt != exchange)
        return false;
    if (sim.faultCount > 0)
        sim.faultCount--;
    return true;
}

void Log(SimEventKind kind, SimExchange exchange, int delivered, int connection,
         const uint8_t* report)
{
    SimEvent event = {kind, exchange, delivered, connection, {}};
    if (report)
        memcpy(event.report, report, kHidReportSize);
    if (sim.log.size() >= kLogLimit)
        sim.log.erase(sim.log.begin(), sim.log.begin() + kLogLimit / 2);
    sim.log.push_back(event);
}

// The board's side of a command: registers change, the answer is prepared.
void Execute(SimExchange exchange, const uint8_t* report)
{
    memset(sim.reply, 0, sizeof sim.reply);
    sim.replyReady = 1;
    sim.lastExchange = exchange;
    if (exchange == SIM_PROBE) {
        sim.reply[1] = 0x55;
        return;
    }
    bool read = report[1] == 0x6D && report[2] == 0x72;
    bool write = report[1] == 0x6D && report[2] == 0x77;
    if (!read && !write) {
        sim.replyReady = 0;
        return;
    }
    memcpy(sim.reply + 1, report + 1, 4);
    int first = report[3];
    for (int i = 0; i < report[4] && first + i < kRegisterCount && 5 + i < kHidReportSize; i++) {
        if (read)
            sim.reply[5 + i] = sim.registers[first + i];
        else
            sim.registers[first + i] = report[5 + i];
    }
}

HidBoard* OpenSim()
{
    std::lock_guard<std::mutex> lock(sim.mutex);
    sim.openAttempts++;
    if (!sim.present)
        return nullptr;
    SimHandle* handle = new SimHandle{sim.generation, ++sim.connections};
    sim.replyReady = 0;
    Log(SIM_EVENT_OPEN, SIM_OTHER, 1, handle->connection, nullptr);
    return reinterpret_cast<HidBoard*>(handle);
}

int WriteSim(HidBoard* board, const uint8_t* report)
{
    std::lock_guard<std::mutex> lock(sim.mutex);
    SimHandle* handle = Handle(board);
    SimExchange exchange = Classify(report);
    int delivered = !Dead(handle) && !TakeFault(exchange, SIM_FAIL_WRITE);
    Log(SIM_EVENT_WRITE, exchange, delivered, handle->connection, report);
    if (delivered)
        Execute(exchange, report);
    return delivered;
}

// Waits up to ms, cut short by an unplug; false when the board died.
bool WaitAlive(Lock& lock, const SimHandle* handle, int ms)
{
    sim.changed.wait_for(lock, std::chrono::milliseconds(ms), [&] { return Dead(handle); });
    return !Dead(handle);
}

bool HoldRead(Lock& lock, const SimHandle* handle)
{
    int epoch = sim.releaseEpoch;
    sim.heldReads++;
    sim.changed.wait(lock, [&] { return Dead(handle) || sim.releaseEpoch != epoch; });
    sim.heldReads--;
    return !Dead(handle);
}

int ReadSim(HidBoard* board, uint8_t* report)
{
    Lock lock(sim.mutex);
    SimHandle* handle = Handle(board);
    if (Dead(handle))
        return 0;
    SimExchange exchange = sim.lastExchange;
    bool answers = sim.replyReady;
    sim.replyReady = 0;
    // Silence: the read runs into its timeout, as on the real transport.
    if (!answers || TakeFault(exchange, SIM_NO_ANSWER)) {
        WaitAlive(lock, handle, kHidReadTimeoutMs);
        return 0;
    }
    if (TakeFault(exchange, SIM_FAIL_READ))
        return 0;
    if (TakeFault(exchange, SIM_HOLD_READ) && !HoldRead(lock, handle))
        return 0;
    if (sim.readDelayMs > 0 && !WaitAlive(lock, handle, sim.readDelayMs))
        return 0;
    memcpy(report, sim.reply, kHidReportSize);
    if (TakeFault(exchange, SIM_WRONG_ANSWER))
        report[1] = report[2] = 0;
    return 1;
}

void CloseSim(HidBoard* board)
{
    std::lock_guard<std::mutex> lock(sim.mutex);
    SimHandle* handle = Handle(board);
    Log(SIM_EVENT_CLOSE, SIM_OTHER, 1, handle->connection, nullptr);
    delete handle;
}

const HidTransport simTransport = {OpenSim, WriteSim, ReadSim, CloseSim};

}  // namespace

const HidTransport* SimBoardTransport() { return &simTransport; }

void SimBoardReset()
{
    std::lock_guard<std::mutex> lock(sim.mutex);
    sim.present = 1;
    sim.generation++;
    sim.connections = 0;
    sim.openAttempts = 0;
    memset(sim.registers, 0, sizeof sim.registers);
    sim.replyReady = 0;
    sim.lastExchange = SIM_OTHER;
    sim.faultCount = 0;
    sim.readDelayMs = 0;
    sim.releaseEpoch++;
    sim.log.clear();
    sim.changed.notify_all();
}

void SimBoardSetPresent(int present)
{
    std::lock_guard<std::mutex> lock(sim.mutex);
    if (!present)
        sim.generation++;
    sim.present = present != 0;
    sim.changed.notify_all();
}

void SimBoardSetRegister(int index, uint8_t value)
{
    std::lock_guard<std::mutex> lock(sim.mutex);
    if (index >= 0 && index < kRegisterCount)
        sim.registers[index] = value;
}

uint8_t SimBoardRegister(int index)
{
    std::lock_guard<std::mutex> lock(sim.mutex);
    return index >= 0 && index < kRegisterCount ? sim.registers[index] : 0;
}

void SimBoardArmFault(SimExchange at, SimFault fault, int count)
{
    std::lock_guard<std::mutex> lock(sim.mutex);
    sim.faultAt = at;
    sim.fault = fault;
    sim.faultCount = count;
}

void SimBoardClearFault()
{
    std::lock_guard<std::mutex> lock(sim.mutex);
    sim.faultCount = 0;
}

void SimBoardSetReadDelay(int ms)
{
    std::lock_guard<std::mutex> lock(sim.mutex);
    sim.readDelayMs = ms;
}

void SimBoardRelease()
{
    std::lock_guard<std::mutex> lock(sim.mutex);
    if (sim.fault == SIM_HOLD_READ)
        sim.faultCount = 0;
    sim.releaseEpoch++;
    sim.changed.notify_all();
}

int SimBoardReadHeld()
{
    std::lock_guard<std::mutex> lock(sim.mutex);
    return sim.heldReads > 0;
}

int SimBoardOpenAttempts()
{
    std::lock_guard<std::mutex> lock(sim.mutex);
    return sim.openAttempts;
}

std::vector<SimEvent> SimBoardLog()
{
    std::lock_guard<std::mutex> lock(sim.mutex);
    return sim.log;
}
