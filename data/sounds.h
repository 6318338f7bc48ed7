// The game's sounds: one mixer slot each, named in "sound.ini" beside
// def.ini so that a course pack or a player can replace any of them, and
// loaded at start-up. OGG files a player puts as music/menu.ogg and
// music/race.ogg in the save folder (or in the game folder) play instead of
// the two music loops.
#pragma once
#include <string>
#include <vector>

#include "data/text_reader.h"

enum SoundId {
    SOUND_ROLL_TERRAIN,    // the ball rolling on the ground (a loop)
    SOUND_ROLL_OBSTACLE,   // rolling on an obstacle (a loop)
    SOUND_HIT_TERRAIN,     // a soft thud
    SOUND_HIT_BOX,         // a knock on a box or a pillar
    SOUND_HIT_SPHERE,      // a click on a sphere
    SOUND_JUMP,
    SOUND_LAND,
    SOUND_FALL,            // off the course
    SOUND_GOAL,            // fanfare
    SOUND_RECORD,          // new best time
    SOUND_MENU_MOVE,
    SOUND_MENU_CONFIRM,
    SOUND_MENU_BACK,
    SOUND_MUSIC_MENU,      // title, options, course select (a loop)
    SOUND_MUSIC_RACE,      // the race (a loop)
    SOUND_COUNT
};

// The file each sound plays as "sound.ini" names it, UTF-8; "" when the
// file names none.
struct SoundNames {
    char file[SOUND_COUNT][3 * VALUE_CHARS];
};
// "KEY:[[name]]" lines, '#' starts a comment. 1 read; 0 when the file
// cannot be opened (every name empty).
int ReadSoundNames(const char* iniName, SoundNames* out);
const char* SoundKey(SoundId id);   // "HIT_BOX", as the file spells it

// Reads "sound.ini" in the game folder and the player's music, and
// loads each sound into the slot of its SoundId. Call once the audio is
// open. A named file that cannot be played is said once on standard error,
// and that sound stays silent.
void LoadSounds();

// LoadSounds in two halves, so the decoding (a tenth of a second and more
// for the music) can run beside the game: the plan is made on the game's
// thread (it reads sound.ini and looks the files up, with the game folder
// current); LoadPlannedSounds needs no current folder and says on standard
// error what does not play. A sound that has not arrived yet is silent.
struct SoundSource {
    SoundId id;
    std::string path;      // whole path of a file that is there; "" for one that is missing
    std::string failure;   // the line said when it does not play
};
struct SoundPlan {
    // In the order tried: the first of a slot's sources that plays fills it
    // (the player's music before the game's own).
    std::vector<SoundSource> sources;
};
void PlanSounds(SoundPlan* plan);
void LoadPlannedSounds(const SoundPlan& plan);

// One shot of the sound at volume 0..1 (before the player's volumes).
void PlaySound(SoundId id, float volume);
