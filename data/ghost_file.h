// Ghost files: the run that set a course's best time, one file per course in
// "ghost/" in the save folder (a course pack's in "packs/<its folder
// name>/ghost/"), and a course's par run beside the course, in the same
// format. Little-endian: magic "KGHO", version, course number (in its pack,
// for a pack's course), course hash (64 bits), frame count, time in ms, then
// one pose per 16 ms frame (position x y z, rotation quaternion x y z w,
// floats), then a CRC-32 of everything before it. A file that is damaged,
// from another course or from an older version of this course is ignored.
//
// Version 2 puts the obstacles that moved between the ball's poses and the
// CRC: their count, their places in the course's obstacle list (rising), and
// then for every frame one pose per obstacle in that order. Version 1 files
// (no obstacles) still read.
#pragma once
#include <cstddef>
#include <cstdint>

#include "core/xmath.h"

struct GhostPose {
    float position[3];
    float rotation[4];   // unit quaternion x, y, z, w
};

// Ten minutes of frames; longer runs keep no ghost. At most 64 obstacles
// are recorded (the first movable ones in the course's list).
enum { GHOST_MAX_FRAMES = 10 * 60 * 1000 / 16 + 1, GHOST_MAX_OBSTACLES = 64 };

struct GhostRun {
    int32_t course;          // index in the course list (the file keeps its number in its pack)
    uint64_t courseHash;     // CourseHash of the course it was run on
    uint32_t timeMs;         // the run's time
    uint32_t frameCount;     // poses in frames
    GhostPose* frames;       // GHOST_MAX_FRAMES entries, owned by the caller
    uint32_t obstacleCount;  // obstacles recorded; 0 in a version-1 file
    uint32_t obstacleIndex[GHOST_MAX_OBSTACLES];   // their places in the course's list, rising
    GhostPose* obstacleFrames;   // frameCount * obstacleCount poses, frame after frame; malloc'ed,
                                 // grown by LoadGhostFile and GrowGhostObstacles, freed by the owner
    uint32_t obstacleCapacity;   // poses obstacleFrames holds
};

// Makes room for `poses` obstacle poses; 0 (the run unchanged) when memory is short.
int GrowGhostObstacles(GhostRun* run, size_t poses);

// Pose <-> row-vector world matrix (rotation rows 0..2, position row 3).
void PoseFromMatrix(const Matrix& m, GhostPose* pose);
void MatrixFromPose(const GhostPose& pose, Matrix* m);

uint32_t Crc32(const void* data, size_t size);
// The course's entry in the list, its obstacles and the bytes of its height
// map: anything that changes where a ball can roll changes the hash.
uint64_t CourseHash(int course);
// "ghost/course<N>.gho" relative to the save folder; a pack's course's
// "packs/<key>/ghost/course<N>.gho", N its number in the pack.
void GhostFileName(int course, char* out, size_t outSize);

// 1 written (atomically: a crash leaves the old file or the new one).
int SaveGhostFile(const GhostRun& run);
// 1 when a valid ghost of this course and hash was read into run (whose
// frames buffer must hold GHOST_MAX_FRAMES). 0 when there is none; a file
// that is there but unusable also says why on standard error.
int LoadGhostFile(int course, uint64_t courseHash, GhostRun* run);
// The same from `name` in `folder` (a course's par run in the game folder).
int LoadGhostFileIn(const char* folder, const char* name, int course, uint64_t courseHash, GhostRun* run);
// Only the header: 1 when `name` in `folder` holds a ghost of this course
// and hash (its time in *timeMs); says nothing when it does not. For showing
// what a ghost would be before loading it.
int PeekGhostFile(const char* folder, const char* name, int course, uint64_t courseHash, uint32_t* timeMs);
