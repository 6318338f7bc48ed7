// Ghost files: the run that set a course's best time, one file per course in
// "ghost/" in the save folder. Little-endian: magic "KGHO", version,
// course index, course hash (64 bits), frame count, time in ms, then one
// pose per 16 ms frame (position x y z, rotation quaternion x y z w, floats),
// then a CRC-32 of everything before it. A file that is damaged, from
// another course or from an older version of this course is ignored.
#pragma once
#include <cstddef>
#include <cstdint>

#include "core/xmath.h"

struct GhostPose {
    float position[3];
    float rotation[4];   // unit quaternion x, y, z, w
};

// Ten minutes of frames; longer runs keep no ghost.
enum { GHOST_MAX_FRAMES = 10 * 60 * 1000 / 16 + 1 };

struct GhostRun {
    int32_t course;          // index in the course list
    uint64_t courseHash;     // CourseHash of the course it was run on
    uint32_t timeMs;         // the run's time
    uint32_t frameCount;     // poses in frames
    GhostPose* frames;       // GHOST_MAX_FRAMES entries, owned by the caller
};

// Pose <-> row-vector world matrix (rotation rows 0..2, position row 3).
void PoseFromMatrix(const Matrix& m, GhostPose* pose);
void MatrixFromPose(const GhostPose& pose, Matrix* m);

uint32_t Crc32(const void* data, size_t size);
// The course's entry in the list, its obstacles and the bytes of its height
// map: anything that changes where a ball can roll changes the hash.
uint64_t CourseHash(int course);
// "ghost/course<N>.gho" relative to the save folder.
void GhostFileName(int course, char* out, size_t outSize);

// 1 written (atomically: a crash leaves the old file or the new one).
int SaveGhostFile(const GhostRun& run);
// 1 when a valid ghost of this course and hash was read into run (whose
// frames buffer must hold GHOST_MAX_FRAMES). 0 when there is none; a file
// that is there but unusable also says why on standard error.
int LoadGhostFile(int course, uint64_t courseHash, GhostRun* run);
