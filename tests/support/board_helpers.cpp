#include "support/board_helpers.h"

#include <chrono>
#include <thread>

#include "sensor/board_local.h"

bool WaitFor(const std::function<bool()>& done, int ms)
{
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (!done()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

void StartThreadWithSimBoard(int present)
{
    SimBoardReset();
    SimBoardSetPresent(present);
    HidSelectTransport(SimBoardTransport());
    boardLink.boardConnected = 0;
    for (auto& byte : boardLink.boardData)
        byte = 0;
    boardLink.ledPattern = 0;
    boardLink.ledChanged = 0;
    boardLink.soundPending = 0;
    StartBoardThread();
}

bool StopThreadAndWait()
{
    StopBoardThread();
    for (int step = 0; step < 10 && !BoardThreadFinished(); step++)
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    return BoardThreadFinished();
}

std::vector<SimEvent> WritesOf(const std::vector<SimEvent>& log, int connection)
{
    std::vector<SimEvent> writes;
    for (const SimEvent& event : log)
        if (event.kind == SIM_EVENT_WRITE && event.connection == connection)
            writes.push_back(event);
    return writes;
}

int CountWrites(const std::vector<SimEvent>& log, SimExchange exchange)
{
    int count = 0;
    for (const SimEvent& event : log)
        count += event.kind == SIM_EVENT_WRITE && event.exchange == exchange;
    return count;
}

int FindEvent(const std::vector<SimEvent>& log, SimEventKind kind, SimExchange exchange, int from)
{
    for (int i = from; i < int(log.size()); i++)
        if (log[i].kind == kind && (kind != SIM_EVENT_WRITE || log[i].exchange == exchange))
            return i;
    return -1;
}

std::vector<uint8_t> Report(std::initializer_list<uint8_t> head)
{
    std::vector<uint8_t> report(kHidReportSize, 0);
    std::copy(head.begin(), head.end(), report.begin());
    return report;
}

std::vector<uint8_t> BytesOf(const SimEvent& event)
{
    return std::vector<uint8_t>(event.report, event.report + kHidReportSize);
}
