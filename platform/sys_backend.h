// What each platform implementation (sdl/, null/) supplies to the shared
// code in platform/common/sys_common.cpp. Not for game code.
#pragma once
#include "platform/sys.h"

int  SysBackendKeyDown(SysKey key);
int  SysBackendWindowFocused();
int  SysBackendKeyCodeDown(int code);    // code within 0 .. KEYCODE_COUNT - 1
uint32_t SysBackendKeyPressCount(int code);
// Relative mouse mode on or off; the motion gathered since the last take.
void SysBackendSetMouseCaptured(int captured);
void SysBackendTakeMouseMotion(float* dx, float* dy);
void SysBackendErrorBox(const char* textUtf8);
// Drains the window system's events, posting SYS_MSG_CLOSE for a close request.
void SysBackendPollEvents();
void SysBackendSwapBuffers();
int  SysBackendRefreshRate();
int  SysBackendSetVsync(int on);
