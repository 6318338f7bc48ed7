#include "data/sounds.h"

#include <cstdio>
#include <string>

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

// 1 loaded; otherwise one line on standard error saying what was wrong.
int LoadNamed(SoundId id, const char* name, const char* namedBy)
{
    char path[1024];
    const char* why = nullptr;
    if (!SysResolvePath(name, path, sizeof path))
        why = "is missing";
    else if (!AudioLoadSound(id, name))
        why = "is not an OGG Vorbis or WAV file that can be played (or is damaged, or over ten minutes long)";
    if (why)
        fprintf(stderr, "Kestrune: %s: %s names %s, which %s; that sound stays silent\n",
                namedBy, kKeyNames[id], name, why);
    return why ? 0 : 1;
}

// 1 when the file is there and replaced the shipped music.
int LoadPlayerMusicFrom(SoundId id, const std::string& name)
{
    char path[1024];
    if (!SysResolvePath(name.c_str(), path, sizeof path))
        return 0;
    if (AudioLoadSound(id, name.c_str()))
        return 1;
    fprintf(stderr, "Kestrune: %s is not an OGG Vorbis file that can be played (or is damaged, "
                    "or over ten minutes long); the game's own music plays instead\n", path);
    return 0;
}

int LoadPlayerMusic(const MusicOverride& music)
{
    return LoadPlayerMusicFrom(music.id, std::string(SysSaveFolder()) + music.file) ||
           LoadPlayerMusicFrom(music.id, music.file);
}

}  // namespace

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
    SysMakeGameFolderCurrent();
    static SoundNames names;
    if (!ReadSoundNames("sound.ini", &names))
        fprintf(stderr, "Kestrune: sound.ini is missing; the game plays without sound effects or music\n");
    bool replaced[SOUND_COUNT] = {};
    for (const MusicOverride& music : kPlayerMusic)
        replaced[music.id] = LoadPlayerMusic(music) != 0;
    for (int id = 0; id < SOUND_COUNT; id++)
        if (!replaced[id] && names.file[id][0])
            LoadNamed(SoundId(id), names.file[id], "sound.ini");
}

void PlaySound(SoundId id, float volume)
{
    AudioPlayEffect(id, volume);
}
