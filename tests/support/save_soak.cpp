#include "support/save_soak.h"

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <random>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "core/game.h"
#include "data/course_list.h"
#include "data/extras.h"
#include "data/ghost_file.h"
#include "data/save_files.h"
#include "platform/paths.h"
#include "support/data_files.h"
#include "support/physics_support.h"
#include "support/scripted_input.h"

namespace {

enum SoakFile { SOAK_CONFIG, SOAK_RECORD, SOAK_EXTRAS, SOAK_GHOST, SOAK_FILES };
const char* const kFileNames[SOAK_FILES] = {"config.sav", "record.sav", "extras.sav", "ghost/course0.gho"};

struct Soak {
    std::string dir;                    // the game folder, ending in '/'
    uint64_t ghostHash;                 // CourseHash(0)
    long long known[SOAK_FILES];        // the round each file held after the last kill; -1 none
    uint32_t nextRound;                 // the first round the next writer begins with
    std::vector<GhostPose> frames;      // GHOST_MAX_FRAMES, for writing and reading ghosts
    std::vector<std::string> boxes;     // message boxes of the start-up check
};
Soak soak;

void CatchBox(const char* text) { soak.boxes.push_back(text); }

uint32_t GhostFrames(uint32_t round) { return 200 + round % 300; }

// What round `round` writes: every file differs from the round before.
void SetRound(uint32_t round, GhostRun* run)
{
    GameSettings& s = game.settings;
    s.ballTypeSel = int32_t(round % 3);
    s.gravitySel = int32_t(round / 3 % 3);
    s.cameraPitchSel = int32_t(round / 9 % 3);
    s.cameraLengthSel = int32_t(round / 27 % 3);
    for (int i = 0; i < courseList.courseCount; i++)
        courseList.courses[i].bestTimeMs = round * 16 + uint32_t(i) + 1;
    extras.lampsShown = int32_t(round & 1);
    extras.muted = int32_t(round >> 1 & 1);
    // The ghost's switch follows its choice, as loading the file makes it.
    extras.ghostChoice = round >> 2 & 1 ? GHOST_BEST : GHOST_NONE;
    GhostChoiceChanged();
    *run = GhostRun{};   // no obstacles
    run->courseHash = soak.ghostHash;
    run->timeMs = round;
    run->frameCount = GhostFrames(round);
    run->frames = soak.frames.data();
    for (uint32_t i = 0; i < run->frameCount; i++)
        run->frames[i] = GhostPose{{float(round), float(i), 1.0f}, {0, 0, 0, 1}};
}

// "extras.sav" holds the record's fields in order, each a 32-bit integer.
std::vector<uint32_t> ExtrasWords()
{
    static_assert(sizeof(Extras) % 4 == 0, "the extras are 32-bit fields");
    std::vector<uint32_t> words(sizeof(Extras) / 4);
    std::memcpy(words.data(), &extras, sizeof(Extras));
    return words;
}

std::string ExpectedBytes(SoakFile file, uint32_t round)
{
    GhostRun run;
    SetRound(round, &run);
    const GameSettings& s = game.settings;
    std::vector<uint32_t> words;
    if (file == SOAK_CONFIG)
        words = {uint32_t(s.ballTypeSel), uint32_t(s.gravitySel), uint32_t(s.cameraPitchSel),
                 uint32_t(s.cameraLengthSel)};
    if (file == SOAK_RECORD)
        for (int i = 0; i < courseList.courseCount; i++) words.push_back(courseList.courses[i].bestTimeMs);
    if (file == SOAK_EXTRAS)
        words = ExtrasWords();
    return LittleEndianWords(words);
}

// The ghost is read by the game's own reader, which checks its length and
// checksum, and then must be the run of that round.
bool GhostIsRound(uint32_t round)
{
    GhostRun run = {};
    run.frames = soak.frames.data();
    if (!LoadGhostFile(0, soak.ghostHash, &run) || run.timeMs != round || run.frameCount != GhostFrames(round))
        return false;
    const GhostPose& last = run.frames[run.frameCount - 1];
    return run.frames[0].position[0] == float(round) && last.position[1] == float(run.frameCount - 1);
}

bool FileIsRound(SoakFile file, long long round)
{
    bool present = FileExists(soak.dir + kFileNames[file]);
    if (round < 0)
        return !present;
    if (!present)
        return false;
    if (file == SOAK_GHOST)
        return GhostIsRound(uint32_t(round));
    return ReadBytes(soak.dir + kFileNames[file]) == ExpectedBytes(file, uint32_t(round));
}

// Never returns: writes round after round until it is killed.
[[noreturn]] void WriteRounds(int out, uint32_t first)
{
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    GhostRun run;
    for (uint32_t round = first;; round++) {
        // Said before the round begins: once the next round is announced,
        // this one is known to be whole.
        if (write(out, &round, sizeof round) != sizeof round)
            _exit(1);
        SetRound(round, &run);
        SaveOptions();
        SaveBestTimes();
        SaveExtras();
        SaveGhostFile(run);
    }
}

struct Writer {
    pid_t pid;
    int in;
};

Writer StartWriter()
{
    int fds[2];
    if (pipe(fds) != 0)
        return {-1, -1};
    fflush(nullptr);
    pid_t pid = fork();
    if (pid == 0) {
        close(fds[0]);
        WriteRounds(fds[1], soak.nextRound);
    }
    close(fds[1]);
    return {pid, fds[0]};
}

// Kills the writer and returns the rounds it began, in order.
std::vector<uint32_t> KillWriter(const Writer& w)
{
    kill(w.pid, SIGKILL);
    waitpid(w.pid, nullptr, 0);
    std::vector<uint32_t> begun;
    uint32_t round;
    while (read(w.in, &round, sizeof round) == sizeof round)
        begun.push_back(round);
    close(w.in);
    return begun;
}

// Every file holds the round before the last one begun (or, when only one
// began, what it held before) or the last one itself.
std::string CheckFiles(const std::vector<uint32_t>& begun)
{
    for (int f = 0; f < SOAK_FILES; f++) {
        SoakFile file = SoakFile(f);
        std::vector<long long> allowed = {soak.known[f]};
        if (begun.size() >= 2)
            allowed = {begun[begun.size() - 2], begun.back()};
        else if (begun.size() == 1)
            allowed.push_back(begun.back());
        bool matched = false;
        for (long long round : allowed)
            if (!matched && FileIsRound(file, round)) {
                soak.known[f] = round;
                matched = true;
            }
        if (!matched)
            return std::string(kFileNames[f]) + " is neither the old file nor the new one after round " +
                   (begun.empty() ? std::string("none") : std::to_string(begun.back()));
    }
    if (!begun.empty())
        soak.nextRound = begun.back() + 1;
    return "";
}

// One round's time: a writer left alone for three rounds.
std::chrono::microseconds MeasureRound(std::string* problem, int* rounds)
{
    Writer w = StartWriter();
    std::vector<uint32_t> begun;
    auto start = std::chrono::steady_clock::now();
    uint32_t round;
    while (begun.size() < 4 && read(w.in, &round, sizeof round) == sizeof round) {
        if (begun.empty()) start = std::chrono::steady_clock::now();
        begun.push_back(round);
    }
    auto elapsed = std::chrono::steady_clock::now() - start;
    std::vector<uint32_t> rest = KillWriter(w);
    begun.insert(begun.end(), rest.begin(), rest.end());
    *rounds += int(begun.size());
    *problem = CheckFiles(begun);
    return std::chrono::duration_cast<std::chrono::microseconds>(elapsed) / 3;
}

const char* const kCourseIni =
    "FIELD_TOTAL:[2]\r\n"
    "FIELD_NUM:[0]\r\nFIELD_NAME:[[one]]\r\n"
    "HEIGHT_MAP:[[map.bmp]] FIELD_TEXTURE:[[map.bmp]] DOCUMENT:[[doc.txt]]\r\n"
    "MAP_HEIGHT:[3] GRID_SIZE:[4] SELECT_SCALING:[1]\r\n"
    "START:[0.5,1,0.5] GOAL:[0.2][0.4][0.3][0.5]\r\n"
    "FIELD_NUM:[1]\r\nFIELD_NAME:[[two]]\r\n"
    "HEIGHT_MAP:[[map.bmp]] FIELD_TEXTURE:[[map.bmp]] DOCUMENT:[[doc.txt]]\r\n"
    "MAP_HEIGHT:[3] GRID_SIZE:[4] SELECT_SCALING:[1]\r\n"
    "START:[0.5,1,0.5] GOAL:[0.6][0.4][0.7][0.5]\r\n";

}  // namespace

std::string MakeSoakGame(const std::string& name)
{
    namespace fs = std::filesystem;
    std::string dir = TempDir() + "/" + name + "/";
    fs::remove_all(dir);
    fs::create_directories(dir);
    std::vector<int> grey;
    for (int k = 0; k < 16 * 16; k++)
        grey.push_back(k % 200);
    WriteGreyBmp(name + "-map.bmp", 16, 16, grey);
    fs::copy_file(TempDir() + "/" + name + "-map.bmp", dir + "map.bmp");
    WriteFileText(dir + "doc.txt", "Soak.\r\n");
    WriteFileText(dir + "sprite.ini", "PLANE_NUM:[0]\r\n");
    WriteFileText(dir + "def.ini", "BALL_SIZE:[3]\r\n");
    WriteFileText(dir + "course.ini", kCourseIni);
    soak = Soak{};
    soak.dir = dir;
    soak.frames.resize(GHOST_MAX_FRAMES);
    for (long long& k : soak.known) k = -1;
    SysUseOneFolder(dir.c_str());
    SysMakeGameFolderCurrent();
    game = Game{};
    LoadExtras();       // the other extras (the language) keep these values
    LoadCourseList();
    soak.ghostHash = CourseHash(0);
    return dir;
}

SoakReport RunSaveSoak(int kills, unsigned seed)
{
    SoakReport report = {};
    std::chrono::microseconds round = MeasureRound(&report.problem, &report.rounds);
    report.kills = 1;
    std::mt19937 random(seed);
    // Up to two rounds, so that every file is caught mid-write; at most 60 ms,
    // so that a slow disk does not stretch the run past a minute.
    std::uniform_int_distribution<long> wait(0, std::clamp<long>(2 * round.count(), 1000, 60000));
    while (report.problem.empty() && report.kills < kills) {
        Writer w = StartWriter();
        if (w.pid < 0) {
            report.problem = "cannot start a writer";
            break;
        }
        usleep(useconds_t(wait(random)));
        std::vector<uint32_t> begun = KillWriter(w);
        report.kills++;
        report.rounds += int(begun.size());
        report.problem = CheckFiles(begun);
    }
    return report;
}

std::string CheckSoakedStartUp()
{
    // What the files say, worked out before the start-up replaces the records.
    std::string expected[SOAK_FILES - 1];
    for (int f = 0; f < SOAK_GHOST; f++)
        if (soak.known[f] >= 0) expected[f] = ExpectedBytes(SoakFile(f), uint32_t(soak.known[f]));
    soak.boxes.clear();
    if (!StartScriptedGame(soak.dir, CatchBox))
        return "the game did not start";
    const GameSettings& s = game.settings;
    std::string loaded[SOAK_FILES - 1] = {
        LittleEndianWords({uint32_t(s.ballTypeSel), uint32_t(s.gravitySel), uint32_t(s.cameraPitchSel),
                           uint32_t(s.cameraLengthSel)}),
        LittleEndianWords({courseList.courses[0].bestTimeMs, courseList.courses[1].bestTimeMs}),
        LittleEndianWords(ExtrasWords()),
    };
    bool ghost = soak.known[SOAK_GHOST] < 0 || GhostIsRound(uint32_t(soak.known[SOAK_GHOST]));
    StopScriptedGame();
    if (!soak.boxes.empty())
        return "start-up said: " + soak.boxes[0];
    for (int f = 0; f < SOAK_GHOST; f++)
        if (soak.known[f] >= 0 && loaded[f] != expected[f])
            return std::string("start-up did not load ") + kFileNames[f];
    return ghost ? "" : "the ghost did not load";
}
