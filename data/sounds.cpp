#include "data/sounds.h"

#include <cstdio>
#include <string>
#include <vector>

#include "platform/audio.h"
#include "platform/files.h"
#include "platform/paths.h"

static_assert(int(SOUND_COUNT) <= int(AUDIO_SOUNDS), "every sound needs a mixer slot");

namespace {

const char16_t* const kKeys[SOUND_COUNT] = {
    u"ROLL_TERRAIN:", u"ROLL_OBSTACLE:", u"HIT_TERRAIN:", u"HIT_BOX:", u"HIT_SPHERE:",
    u"JUMP:", u"LAND:", u"FALL:", u"GOAL:", u"RECORD:",
    u"MENU_MOVE:", u"MENU_CONFIRM:", u"MENU_BACK:", u"MUSIC_MENU:", u"MUSIC_RACE:",
};

const char* const kKeyNames[SOUND_COUNT] = {
    "ROLL_TERRAIN", "ROLL_OBSTACLE", "HIT_TERRAIN", "HIT_BOX", "HIT_SPHERE",
    "JUMP", "LAND", "FALL", "GOAL", "RECORD",
    "MENU_MOVE", "MENU_CONFIRM", "MENU_BACK", "MUSIC_MENU", "MUSIC_RACE",
};

// The player's music: in the player's own save folder, else in the game
// folder's music/ (where a portable copy or a course pack puts it).
struct MusicOverride {
    SoundId id;
    const char* file;
};
const MusicOverride kPlayerMusic[] = {
    {SOUND_MUSIC_MENU, "music/menu.ogg"},
    {SOUND_MUSIC_RACE, "music/race.ogg"},
};

// A key counts only at the start of its line, so "MUSIC_MENU:" is never
// taken for a key that ends the same way.
const char16_t* KeyAtLineStart(const char16_t* line, const char16_t* key)
{
    while (*line == u' ' || *line == u'\t')
        line++;
    for (; *key; key++, line++)
        if (*line != *key)
            return nullptr;
    return line;
}

void ReadLine(char16_t* line, SoundNames* out)
{
    CutAtHash(line);
    for (int id = 0; id < SOUND_COUNT; id++) {
        const char16_t* at = KeyAtLineStart(line, kKeys[id]);
        if (!at)
            continue;
        char16_t name[VALUE_CHARS];
        GetNameValue(name, at);
        Utf16ToUtf8(name, out->file[id], sizeof out->file[id]);
    }
}

// A path SysResolvePath found (from the game folder, or whole) made whole,
// so it no longer depends on the current folder.
std::string WholePath(const char* resolved)
{
    return resolved[0] == '/' ? std::string(resolved) : std::string(SysGameFolder()) + resolved;
}

void PlanNamed(SoundId id, const char* name, SoundPlan* plan)
{
    char resolved[1024];
    std::string path = SysResolvePath(name, resolved, sizeof resolved) ? WholePath(resolved) : "";
    std::string why = path.empty() ? "is missing"
                                   : "is not an OGG Vorbis or WAV file that can be played (or is damaged, "
                                     "or over ten minutes long)";
    std::string said = std::string("Kestrune: sound.ini: ") + kKeyNames[id] + " names " + name + ", which " +
                       why + "; that sound stays silent\n";
    plan->sources.push_back({id, path, said});   // a missing file is said only if nothing fills the slot
}

void PlanPlayerMusicFrom(SoundId id, const std::string& name, SoundPlan* plan)
{
    char shown[1024];
    if (!SysResolvePath(name.c_str(), shown, sizeof shown))
        return;
    plan->sources.push_back({id, WholePath(shown), std::string("Kestrune: ") + shown +
                                           " is not an OGG Vorbis file that can be played (or is damaged, "
                                           "or over ten minutes long); the game's own music plays instead\n"});
}

}  // namespace

void PlanSounds(SoundPlan* plan)
{
    *plan = SoundPlan{};
    SysMakeGameFolderCurrent();
    SoundNames names;
    if (!ReadSoundNames("sound.ini", &names))
        fprintf(stderr, "Kestrune: sound.ini is missing; the game plays without sound effects or music\n");
    // The effects first: they are short, and the game wants them at once.
    for (int id = 0; id < SOUND_COUNT; id++) {
        for (const MusicOverride& music : kPlayerMusic) {
            if (music.id != id)
                continue;
            PlanPlayerMusicFrom(music.id, std::string(SysSaveFolder()) + music.file, plan);
            PlanPlayerMusicFrom(music.id, music.file, plan);
        }
        if (names.file[id][0])
            PlanNamed(SoundId(id), names.file[id], plan);
    }
}

void LoadPlannedSounds(const SoundPlan& plan)
{
    bool filled[SOUND_COUNT] = {};
    for (const SoundSource& source : plan.sources) {
        if (filled[source.id])
            continue;
        if (!source.path.empty() && AudioLoadSound(source.id, source.path.c_str()))
            filled[source.id] = true;
        else
            fputs(source.failure.c_str(), stderr);
    }
}

int ReadSoundNames(const char* iniName, SoundNames* out)
{
    *out = SoundNames{};
    FILE* file = OpenTextFile(iniName);
    if (!file)
        return 0;
    char16_t line[SETTING_LINE_CHARS + 1];
    while (ReadTextLine(file, line, SETTING_LINE_CHARS) != 0)
        ReadLine(line, out);
    fclose(file);
    return 1;
}

const char* SoundKey(SoundId id)
{
    return id >= 0 && id < SOUND_COUNT ? kKeyNames[id] : "";
}

void LoadSounds()
{
    SoundPlan plan;
    PlanSounds(&plan);
    LoadPlannedSounds(plan);
}

void PlaySound(SoundId id, float volume)
{
    AudioPlayEffect(id, volume);
}
