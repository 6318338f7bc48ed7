// The game's global record and the loop's state: defined on the bottom floor
// because every subsystem reads them.
#include "core/game.h"

Game game;
LoopState loop;
