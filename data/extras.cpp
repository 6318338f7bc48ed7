#include "data/extras.h"

#include <cstdio>

#include "platform/files.h"
#include "platform/sys.h"

Extras extras = {1, 0, 1};

namespace {

int32_t Extras::* const extraFields[] = {&Extras::lampsShown, &Extras::muted, &Extras::ghostShown};
const int kExtraCount = int(sizeof extraFields / sizeof extraFields[0]);

}  // namespace

void LoadExtras()
{
    extras = Extras{1, 0, 1};
    SysMakeProgramDirectoryCurrent();
    FILE* file = SysOpenFile("extras.sav", "rb");
    if (!file)
        return;
    unsigned char bytes[4];
    for (int i = 0; i < kExtraCount && fread(bytes, 4, 1, file) == 1; i++)
        extras.*extraFields[i] = (bytes[0] | bytes[1] << 8 | bytes[2] << 16 | bytes[3] << 24) != 0;
    fclose(file);
}

int SaveExtras()
{
    unsigned char bytes[kExtraCount * 4];
    for (int i = 0; i < kExtraCount; i++) {
        uint32_t value = uint32_t(extras.*extraFields[i]);
        for (int b = 0; b < 4; b++) bytes[4 * i + b] = (unsigned char)(value >> (8 * b));
    }
    SysMakeProgramDirectoryCurrent();
    return SysReplaceFile("extras.sav", bytes, sizeof bytes);
}
