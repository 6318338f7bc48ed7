// The null platform's pad: none, unless a test plugs one in by setting it.
#include "platform/pad.h"

namespace {

struct NullPad {
    PadState pad;    // what PadRead reports
    int set;         // a test put a pad there
};
NullPad nullPad;

}  // namespace

void PadRead(PadState* pad)
{
    *pad = nullPad.set ? nullPad.pad : PadState{};
    // A pulled-out pad reads as nothing, whatever was left in the record.
    if (!pad->attached)
        *pad = PadState{};
}

int PadSupported()
{
    return 1;
}

void PadSetForTests(const PadState* pad)
{
    nullPad.set = pad != nullptr;
    nullPad.pad = pad ? *pad : PadState{};
}
