#include "data/extras.h"

#include <cstdio>

#include "data/little_endian.h"
#include "data/save_files.h"
#include "platform/files.h"
#include "platform/sys.h"

namespace {
// Lamps shown, sound on, ghost shown, vsync on, 4:3, no window kept.
const Extras kDefaultExtras = {1, 0, 1, 1, 0, 0, 0, 0, 0, 0, 0};
}

Extras extras = kDefaultExtras;

namespace {

// Switches read as 0 or 1 whatever the file holds; the window's numbers as
// they are (a place that no longer fits is fitted when the window opens).
struct ExtraField {
    int32_t Extras::* field;
    bool isSwitch;
};
const ExtraField extraFields[] = {
    {&Extras::lampsShown, true},      {&Extras::muted, true},
    {&Extras::ghostShown, true},      {&Extras::vsync, true},
    {&Extras::pictureFill, true},     {&Extras::windowX, false},
    {&Extras::windowY, false},        {&Extras::windowWidth, false},
    {&Extras::windowHeight, false},   {&Extras::windowFullscreen, true},
    {&Extras::windowDisplay, false},
};
const int kExtraCount = int(sizeof extraFields / sizeof extraFields[0]);

}  // namespace

void LoadExtras()
{
    extras = kDefaultExtras;
    SysMakeProgramDirectoryCurrent();
    FILE* file = SysOpenFile("extras.sav", "rb");
    if (!file)
        return;
    uint32_t values[kExtraCount];
    int read = ReadLittleEndianWords(file, values, kExtraCount);
    fclose(file);
    for (int i = 0; i < read; i++) {
        const ExtraField& f = extraFields[i];
        extras.*f.field = f.isSwitch ? values[i] != 0 : int32_t(values[i]);
    }
}

int SaveExtras()
{
    unsigned char bytes[kExtraCount * 4];
    for (int i = 0; i < kExtraCount; i++)
        PutLittleEndian(bytes + 4 * i, uint32_t(extras.*extraFields[i].field));
    return WriteSaveFile("extras.sav", bytes, sizeof bytes, &saveReports.extrasReported);
}
