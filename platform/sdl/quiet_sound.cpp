// ALSA reports every problem (no card, no "default" device) by printing
// through its own error handler, from inside the library, whatever SDL makes
// of the failure afterwards. SDL loads libasound at run time, so the handler
// is set the same way: dlopen of the same name gives the very copy SDL will
// get, and the handle is kept so that copy stays loaded with our handler.
#include "platform/sdl/quiet_sound.h"

#include <dlfcn.h>

namespace {

void DropAlsaMessage(const char*, int, const char*, int, const char*, ...) {}

using AlsaErrorHandler = void (*)(const char*, int, const char*, int, const char*, ...);
using SetAlsaErrorHandler = int (*)(AlsaErrorHandler);

void* alsaLibrary;   // kept open for the whole run; null when not installed

}  // namespace

void QuietSoundLibraries()
{
    if (alsaLibrary) return;
    alsaLibrary = dlopen("libasound.so.2", RTLD_NOW | RTLD_LOCAL);
    if (!alsaLibrary) return;   // no ALSA, nothing to quiet
    auto set = reinterpret_cast<SetAlsaErrorHandler>(dlsym(alsaLibrary, "snd_lib_error_set_handler"));
    if (set) set(DropAlsaMessage);
}
