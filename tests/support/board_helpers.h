// Helpers for driving the board link's thread against the simulated board.
#pragma once
#include <functional>
#include <vector>

#include "platform/hid_sim.h"

// Polls every millisecond; true once `done` holds, false after `ms`.
bool WaitFor(const std::function<bool()>& done, int ms);

// A fresh simulated board (present unless told otherwise), a cleared shared
// record, then the thread.
void StartThreadWithSimBoard(int present = 1);
// Clears the run flag and waits as the main loop does at shutdown: ten steps
// of 100 ms at most. True when the thread reported itself finished.
bool StopThreadAndWait();

// The writes that reached (or tried to reach) the board, in order.
std::vector<SimEvent> WritesOf(const std::vector<SimEvent>& log, int connection);
int CountWrites(const std::vector<SimEvent>& log, SimExchange exchange);
// Index of the first event matching, from `from`; -1 when none.
int FindEvent(const std::vector<SimEvent>& log, SimEventKind kind, SimExchange exchange,
              int from = 0);
// A 65-byte report with the given leading bytes and zeros after them.
std::vector<uint8_t> Report(std::initializer_list<uint8_t> head);
std::vector<uint8_t> BytesOf(const SimEvent& event);
