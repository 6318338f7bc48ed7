#include "support/sound_course.h"

#include <filesystem>
#include <vector>

#include "app/loop.h"
#include "core/game.h"
#include "screens/screens.h"
#include "support/physics_support.h"
#include "support/scripted_input.h"

namespace fs = std::filesystem;

std::string WriteSoundCourse(const std::string& name, float startY, const std::string& objects,
                             const char* shippedDir)
{
    fs::path dir = fs::path(TempDir()) / name;
    fs::remove_all(dir);
    fs::create_directories(dir / "field");
    WriteGreyBmp("flat32.bmp", 32, 32, std::vector<int>(32 * 32, 0));
    fs::copy_file(fs::path(TempDir()) / "flat32.bmp", dir / "field" / "map.bmp");
    WriteFileText((dir / "sprite.ini").string(), "PLANE_NUM:[0]\r\n");
    WriteFileText((dir / "def.ini").string(),
                  "GRAVITY:[1][1][1]\r\nGROUND_BOUND:[0.3]\r\nBALL_SIZE:[3]\r\nBALL_WEIGHT:[1]\r\n"
                  "BALL_BOUND:[0.3]\r\nBALL_SPEED:[0.5]\r\n");
    WriteFileText((dir / "course.ini").string(),
                  "FIELD_TOTAL:[1]\r\nFIELD_NUM:[0]\r\nFIELD_NAME:[[flat]]\r\n"
                  "HEIGHT_MAP:[[field\\map.bmp]] FIELD_TEXTURE:[[field\\map.bmp]]\r\n"
                  "MAP_HEIGHT:[3] GRID_SIZE:[8]\r\n"
                  "START:[0.5," + std::to_string(startY) + ",0.5] GOAL:[0.0][0.0][0.05][0.05]\r\n" + objects);
    if (shippedDir) {
        fs::copy_file(fs::path(shippedDir) / "sound.ini", dir / "sound.ini");
        fs::copy(fs::path(shippedDir) / "sound", dir / "sound", fs::copy_options::recursive);
    }
    return dir.string() + "/";
}

void StartSoundRace()
{
    RequestCourseLoad(0);
    EnterIntro();
    ScriptedFrame();
    loop.introFrames = 0;
    game.state = STATE_RACE;
}
