#include "data/extras.h"

#include <cstdio>

#include "data/little_endian.h"
#include "data/save_files.h"
#include "platform/files.h"
#include "platform/sys.h"

namespace {

// In file order. A value above its field's largest is taken as the largest,
// so a damaged file cannot set a switch to 2 or a volume to 1000.
struct ExtraField {
    int32_t Extras::*field;
    int32_t defaultValue;
    int32_t largest;
};
const ExtraField kExtraFields[] = {
    {&Extras::lampsShown, 1, 1},
    {&Extras::muted, 0, 1},
    {&Extras::ghostShown, 1, 1},
    {&Extras::masterVolume, 8, EXTRAS_VOLUME_MAX},
    {&Extras::musicVolume, 6, EXTRAS_VOLUME_MAX},
    {&Extras::effectsVolume, 8, EXTRAS_VOLUME_MAX},
    {&Extras::muteUnfocused, 1, 1},
};
const int kExtraCount = int(sizeof kExtraFields / sizeof kExtraFields[0]);

Extras DefaultExtras()
{
    Extras defaults{};
    for (const ExtraField& f : kExtraFields) defaults.*f.field = f.defaultValue;
    return defaults;
}

}  // namespace

Extras extras = DefaultExtras();

void LoadExtras()
{
    extras = DefaultExtras();
    SysMakeProgramDirectoryCurrent();
    FILE* file = SysOpenFile("extras.sav", "rb");
    if (!file)
        return;
    uint32_t values[kExtraCount];
    int read = ReadLittleEndianWords(file, values, kExtraCount);
    fclose(file);
    for (int i = 0; i < read; i++) {
        const ExtraField& f = kExtraFields[i];
        extras.*f.field = values[i] > uint32_t(f.largest) ? f.largest : int32_t(values[i]);
    }
}

int SaveExtras()
{
    unsigned char bytes[kExtraCount * 4];
    for (int i = 0; i < kExtraCount; i++) PutLittleEndian(bytes + 4 * i, uint32_t(extras.*kExtraFields[i].field));
    return WriteSaveFile("extras.sav", bytes, sizeof bytes, &saveReports.extrasReported);
}
