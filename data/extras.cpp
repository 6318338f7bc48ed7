#include "data/extras.h"

#include <cstdint>
#include <cstdio>

#include "data/little_endian.h"
#include "data/save_files.h"
#include "data/texts.h"
#include "platform/paths.h"

Extras extras = {1, 0, 1, LANGUAGE_ENGLISH, 8, 6, 8, 1, 1, 0, 0, 0, 0, 0, 0, 0, GHOST_BEST, 1, 5, 0, 0};

namespace {

// The file's words in order, each with the values it may take.
struct ExtraField {
    int32_t Extras::* field;
    int32_t low, high;
};
const ExtraField kFields[] = {
    {&Extras::lampsShown, 0, 1},
    {&Extras::muted, 0, 1},
    {&Extras::ghostShown, 0, 1},
    {&Extras::language, 0, LANGUAGE_COUNT - 1},
    {&Extras::masterVolume, 0, EXTRAS_VOLUME_MAX},
    {&Extras::musicVolume, 0, EXTRAS_VOLUME_MAX},
    {&Extras::effectsVolume, 0, EXTRAS_VOLUME_MAX},
    {&Extras::muteUnfocused, 0, 1},
    {&Extras::vsync, 0, 1},
    {&Extras::pictureFill, 0, 1},
    // A place that no longer fits the displays is fitted when the window opens.
    {&Extras::windowX, INT32_MIN, INT32_MAX},
    {&Extras::windowY, INT32_MIN, INT32_MAX},
    {&Extras::windowWidth, 0, 65535},
    {&Extras::windowHeight, 0, 65535},
    {&Extras::windowFullscreen, 0, 1},
    {&Extras::windowDisplay, 0, 255},
    {&Extras::ghostChoice, 0, GHOST_CHOICES - 1},
    {&Extras::mouseSteering, 0, 1},
    {&Extras::mouseSensitivity, 0, 10},
    {&Extras::keyRamp, 0, 10},
    {&Extras::reducedMotion, 0, 1},
};
const int kFieldCount = int(sizeof kFields / sizeof kFields[0]);
const int kGhostChoiceWord = 16;

// The ghost F9 brings back: the last one shown this run.
int32_t ghostBeforeHidden = GHOST_BEST;

// Lamps shown, sound on, ghost shown; the language the system asks for;
// the music a little below the effects; silent in the background; vsync
// on, the 4:3 frame, no window kept; the best run's ghost; mouse steering
// on at the middle sensitivity, keys instant, full motion.
Extras Defaults()
{
    return {1, 0, 1, SystemLanguage(), 8, 6, 8, 1, 1, 0, 0, 0, 0, 0, 0, 0, GHOST_BEST, 1, 5, 0, 0};
}

}  // namespace

void LoadExtras()
{
    extras = Defaults();
    FILE* file = OpenSaveFile(SysConfigFolder(), "extras.sav");
    if (file) {
        uint32_t values[kFieldCount];
        int read = ReadLittleEndianWords(file, values, kFieldCount);
        fclose(file);
        for (int i = 0; i < read; i++) {
            int32_t v = int32_t(values[i]);
            // The first switches were saved as any nonzero word for "on".
            if (kFields[i].high == 1)
                v = v != 0;
            if (v >= kFields[i].low && v <= kFields[i].high)
                extras.*kFields[i].field = v;
        }
        // A file from before the choice: the ghost switch says best or none.
        if (read <= kGhostChoiceWord) extras.ghostChoice = extras.ghostShown ? GHOST_BEST : GHOST_NONE;
    }
    GhostChoiceChanged();
    SetLanguage(extras.language);
}

void ToggleGhost()
{
    if (extras.ghostChoice != GHOST_NONE) {
        ghostBeforeHidden = extras.ghostChoice;
        extras.ghostChoice = GHOST_NONE;
    } else {
        extras.ghostChoice = ghostBeforeHidden;
    }
    GhostChoiceChanged();
}

void GhostChoiceChanged()
{
    extras.ghostShown = extras.ghostChoice != GHOST_NONE;
}

int SaveExtras()
{
    unsigned char bytes[kFieldCount * 4];
    for (int i = 0; i < kFieldCount; i++) PutLittleEndian(bytes + 4 * i, uint32_t(extras.*kFields[i].field));
    return WriteSaveFile(SysConfigFolder(), "extras.sav", bytes, sizeof bytes, &saveReports.extrasReported);
}
