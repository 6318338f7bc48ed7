// What each platform implementation (sdl/, null/) supplies to the shared
// code in platform/common/sys_common.cpp. Not for game code.
#pragma once
#include "platform/sys.h"

int  SysBackendKeyDown(SysKey key);
int  SysBackendWindowFocused();
void SysBackendErrorBox(const char* textUtf8);
// Drains the window system's events, posting SYS_MSG_CLOSE for a close request.
void SysBackendPollEvents();
void SysBackendSwapBuffers();
int  SysBackendRefreshRate();
int  SysBackendSetVsync(int on);
