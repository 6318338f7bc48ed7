#include "data/extras.h"

#include <cstdio>

#include "data/little_endian.h"
#include "data/save_files.h"
#include "platform/paths.h"

namespace {
const Extras kDefaultExtras = {1, 0, 1};   // lamps shown, sound on, ghost shown
}

Extras extras = kDefaultExtras;

namespace {

int32_t Extras::* const extraFields[] = {&Extras::lampsShown, &Extras::muted, &Extras::ghostShown};
const int kExtraCount = int(sizeof extraFields / sizeof extraFields[0]);

}  // namespace

void LoadExtras()
{
    extras = kDefaultExtras;
    FILE* file = OpenSaveFile(SysConfigFolder(), "extras.sav");
    if (!file)
        return;
    uint32_t values[kExtraCount];
    int read = ReadLittleEndianWords(file, values, kExtraCount);
    fclose(file);
    for (int i = 0; i < read; i++)
        extras.*extraFields[i] = values[i] != 0;
}

int SaveExtras()
{
    unsigned char bytes[kExtraCount * 4];
    for (int i = 0; i < kExtraCount; i++) PutLittleEndian(bytes + 4 * i, uint32_t(extras.*extraFields[i]));
    return WriteSaveFile(SysConfigFolder(), "extras.sav", bytes, sizeof bytes, &saveReports.extrasReported);
}
