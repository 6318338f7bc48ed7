// Stand-ins until the board link and the tilt sampler land; each is removed
// when its real version exists.
#include "app/tilt.h"
#include "sensor/board.h"

void StartBoardThread() {}
void StopBoardThread() {}
bool BoardThreadFinished() { return true; }
bool BoardConnected() { return false; }
uint8_t BoardButtonByte() { return 0; }
int SampleTilt(TiltVector* tilt) { tilt->x = tilt->z = 0; tilt->y = 10; return 1; }
void RaiseCue(BoardCue) {}
void SetLedPattern(int) {}
