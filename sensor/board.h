// The sensor board link: a background thread that talks to the board and
// publishes its readings; the game raises lamp patterns and sounds.
#pragma once
#include <cstdint>

void StartBoardThread();          // no-op while a thread still runs
void StopBoardThread();           // clears the run flag; does not wait
bool BoardThreadFinished();
bool BoardConnected();
uint8_t BoardButtonByte();        // byte 4 of the last data block
uint8_t BoardDataByte(int index); // any byte of it, 0..31 (6, 7, 8: acceleration)

// Board cues: a sound given as two 16-bit words, sent once by the thread.
enum BoardCue { CueClick, CueTick, CueConfirm, CueCount, CueGo };
// Without a board the cue sounds through the speakers instead.
void RaiseCue(BoardCue cue);       // stores both words, then flags them pending
// The same for a cue the game also plays as a sound effect of its own (menu
// moves, landings, the goal): only a board beeps it, so a player without one
// hears the effect and no tone beside it.
void RaiseBoardCue(BoardCue cue);
void SetLedPattern(int pattern);   // low 4 bits = the four direction lamps
int  LedPattern();                 // the pattern last set
