#include "data/ghost_file.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "data/course_list.h"
#include "data/course_packs.h"
#include "data/little_endian.h"
#include "data/save_files.h"
#include "data/text_reader.h"
#include "platform/files.h"
#include "platform/paths.h"

namespace {

const char kMagic[4] = {'K', 'G', 'H', 'O'};
const uint32_t kVersion = 2;         // written; version 1 (no obstacles) still reads
const size_t kHeaderBytes = 4 + 4 + 4 + 8 + 4 + 4;
const size_t kPoseBytes = 7 * 4;
// The largest file a ghost can be: every frame with every obstacle.
const size_t kMostBytes = kHeaderBytes + size_t(GHOST_MAX_FRAMES) * kPoseBytes * (1 + GHOST_MAX_OBSTACLES) +
                          4 + 4 * GHOST_MAX_OBSTACLES + 4;
const size_t kNameBytes = 1200;   // packs/<a folder name>/ghost/course<N>.gho

// --- little-endian writing and reading -------------------------------------

void PutFloat(unsigned char* at, float f)
{
    uint32_t bits;
    memcpy(&bits, &f, 4);
    PutLittleEndian(at, bits);
}

float GetFloat(const unsigned char* at)
{
    uint32_t bits = GetLittleEndian(at);
    float f;
    memcpy(&f, &bits, 4);
    return f;
}

// --- course hash: 64-bit FNV-1a ---------------------------------------------

struct Fnv {
    uint64_t value = 1469598103934665603ull;
    void Add(const void* data, size_t size)
    {
        const unsigned char* p = static_cast<const unsigned char*>(data);
        for (size_t i = 0; i < size; i++) value = (value ^ p[i]) * 1099511628211ull;
    }
    void AddFloats(const float* f, int count) { Add(f, sizeof(float) * size_t(count)); }
    void AddText(const char16_t* text) { Add(text, TextLength(text) * sizeof(char16_t)); }
};

void HashFile(Fnv* fnv, const char16_t* name)
{
    char path[1024];
    Utf16ToUtf8(name, path, sizeof path);
    FILE* file = SysOpenFile(path, "rb");
    if (!file) return;
    unsigned char buffer[65536];
    size_t got;
    while ((got = fread(buffer, 1, sizeof buffer, file)) > 0) fnv->Add(buffer, got);
    fclose(file);
}

void HashObstacles(Fnv* fnv, const CourseDef& c)
{
    for (const ObstacleDef* o = c.firstObstacle; o; o = o->next) {
        fnv->Add(&o->shape, sizeof o->shape);
        fnv->AddFloats(o->size, 3);
        fnv->AddFloats(o->position, 3);
        fnv->AddFloats(o->rotation, 3);
        fnv->AddFloats(&o->weight, 1);
        fnv->Add(&o->material, sizeof o->material);
    }
}

// --- version 2: the obstacles that moved --------------------------------------
// After the ball's poses: the obstacle count, their places in the course's
// list, then frame after frame one pose per obstacle.

void PutPose(unsigned char* at, const GhostPose& pose)
{
    for (int k = 0; k < 3; k++) PutFloat(at + 4 * k, pose.position[k]);
    for (int k = 0; k < 4; k++) PutFloat(at + 12 + 4 * k, pose.rotation[k]);
}

void GetPose(const unsigned char* at, GhostPose* pose)
{
    for (int k = 0; k < 3; k++) pose->position[k] = GetFloat(at + 4 * k);
    for (int k = 0; k < 4; k++) pose->rotation[k] = GetFloat(at + 12 + 4 * k);
}

size_t ObstacleBytes(uint32_t frames, uint32_t obstacles)
{
    return 4 + 4 * size_t(obstacles) + size_t(frames) * obstacles * kPoseBytes;
}

int CourseObstacleCount(int course)
{
    int count = 0;
    if (courseList.courses && course >= 0 && course < courseList.courseCount)
        for (const ObstacleDef* o = courseList.courses[course].firstObstacle; o; o = o->next) count++;
    return count;
}

// The size a file with this header must have; 0 when its obstacle list
// cannot be (too many, out of order, or past the course's obstacles).
size_t GhostBytes(const unsigned char* bytes, size_t size, uint32_t version, uint32_t frames)
{
    size_t poses = kHeaderBytes + size_t(frames) * kPoseBytes;
    if (version == 1) return poses + 4;
    if (size < poses + 4 + 4) return 0;
    uint32_t count = GetLittleEndian(bytes + poses);
    if (count > GHOST_MAX_OBSTACLES || size < poses + 4 + 4 * size_t(count)) return 0;
    int course = int32_t(GetLittleEndian(bytes + 8));
    for (uint32_t i = 0; i < count; i++) {
        uint32_t index = GetLittleEndian(bytes + poses + 4 + 4 * i);
        bool rising = i == 0 || index > GetLittleEndian(bytes + poses + 4 * i);
        if (!rising || index >= uint32_t(CourseObstacleCount(course))) return 0;
    }
    return poses + ObstacleBytes(frames, count) + 4;
}

void DecodeObstacles(const unsigned char* bytes, GhostRun* run)
{
    run->obstacleCount = 0;
    if (GetLittleEndian(bytes + 4) < 2) return;
    const unsigned char* at = bytes + kHeaderBytes + size_t(run->frameCount) * kPoseBytes;
    uint32_t count = GetLittleEndian(at);
    if (!GrowGhostObstacles(run, size_t(count) * run->frameCount)) return;   // the ball alone, then
    for (uint32_t i = 0; i < count; i++) run->obstacleIndex[i] = GetLittleEndian(at + 4 + 4 * i);
    at += 4 + 4 * size_t(count);
    for (size_t i = 0; i < size_t(count) * run->frameCount; i++, at += kPoseBytes)
        GetPose(at, &run->obstacleFrames[i]);
    run->obstacleCount = count;
}

void EncodeObstacles(const GhostRun& run, unsigned char* at)
{
    PutLittleEndian(at, run.obstacleCount);
    for (uint32_t i = 0; i < run.obstacleCount; i++) PutLittleEndian(at + 4 + 4 * i, run.obstacleIndex[i]);
    at += 4 + 4 * size_t(run.obstacleCount);
    for (size_t i = 0; i < size_t(run.obstacleCount) * run.frameCount; i++, at += kPoseBytes)
        PutPose(at, run.obstacleFrames[i]);
}

// --- reading ----------------------------------------------------------------

void Complain(const char* path, const char* why)
{
    fprintf(stderr, "Kestrune: ghost %s ignored: %s\n", path, why);
}

// What no recorded run holds: a number that is not finite, or a rotation
// that is not a unit quaternion (the recorder normalises every one).
bool PoseIsSound(const unsigned char* at)
{
    double length = 0;
    for (int k = 0; k < 7; k++) {
        float value = GetFloat(at + 4 * k);
        if (!std::isfinite(value)) return false;
        if (k >= 3) length += double(value) * value;
    }
    return std::fabs(length - 1.0) <= 1e-3;
}

// The obstacles' poses too (a watched run puts the bodies there).
bool ObstaclePosesSound(const unsigned char* bytes, uint32_t version, uint32_t frames)
{
    if (version < 2) return true;
    const unsigned char* at = bytes + kHeaderBytes + size_t(frames) * kPoseBytes;
    size_t poses = size_t(GetLittleEndian(at)) * frames;
    at += 4 + 4 * size_t(GetLittleEndian(at));
    for (size_t i = 0; i < poses; i++, at += kPoseBytes)
        if (!PoseIsSound(at)) return false;
    return true;
}

// Checks the header and the checksum; the reason when the bytes are unusable.
const char* CheckGhostBytes(const unsigned char* bytes, size_t size, int course, uint64_t hash)
{
    if (size < kHeaderBytes + 4 || memcmp(bytes, kMagic, 4) != 0) return "not a ghost file";
    if (GetLittleEndian(bytes + size - 4) != Crc32(bytes, size - 4)) return "damaged (checksum)";
    uint32_t version = GetLittleEndian(bytes + 4);
    if (version != 1 && version != 2) return "made by another version of the game";
    uint32_t frames = GetLittleEndian(bytes + 20);
    if (frames == 0 || frames > GHOST_MAX_FRAMES || size != GhostBytes(bytes, size, version, frames))
        return "damaged (frame count)";
    if (!ObstaclePosesSound(bytes, version, frames)) return "damaged (an obstacle pose no run can have)";
    uint64_t fileHash = uint64_t(GetLittleEndian(bytes + 12)) | uint64_t(GetLittleEndian(bytes + 16)) << 32;
    if (int32_t(GetLittleEndian(bytes + 8)) != course || fileHash != hash) return "the course has changed";
    for (uint32_t i = 0; i < frames; i++)
        if (!PoseIsSound(bytes + kHeaderBytes + i * kPoseBytes)) return "damaged (a pose no run can have)";
    return nullptr;
}

void DecodeGhost(const unsigned char* bytes, int course, uint64_t hash, GhostRun* run)
{
    run->course = course;
    run->courseHash = hash;
    run->frameCount = GetLittleEndian(bytes + 20);
    run->timeMs = GetLittleEndian(bytes + 24);
    const unsigned char* at = bytes + kHeaderBytes;
    for (uint32_t i = 0; i < run->frameCount; i++, at += kPoseBytes) {
        GhostPose& pose = run->frames[i];
        for (int k = 0; k < 3; k++) pose.position[k] = GetFloat(at + 4 * k);
        for (int k = 0; k < 4; k++) pose.rotation[k] = GetFloat(at + 12 + 4 * k);
    }
    DecodeObstacles(bytes, run);
}

// As much of the file as a ghost can be, and one byte more to show an
// oversized one; the buffer is the file's size, not the largest ghost's.
unsigned char* ReadWholeFile(FILE* file, size_t* size)
{
    long end = fseek(file, 0, SEEK_END) == 0 ? ftell(file) : -1;
    if (end < 0 || fseek(file, 0, SEEK_SET) != 0) return nullptr;
    size_t wanted = size_t(end) < kMostBytes ? size_t(end) : kMostBytes;
    unsigned char* bytes = static_cast<unsigned char*>(malloc(wanted + 1));
    if (!bytes) return nullptr;
    *size = fread(bytes, 1, wanted + 1, file);
    return bytes;
}

}  // namespace

uint32_t Crc32(const void* data, size_t size)
{
    static uint32_t table[256];
    if (!table[1])
        for (uint32_t n = 0; n < 256; n++) {
            uint32_t c = n;
            for (int k = 0; k < 8; k++) c = c & 1 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            table[n] = c;
        }
    uint32_t crc = 0xFFFFFFFFu;
    const unsigned char* p = static_cast<const unsigned char*>(data);
    for (size_t i = 0; i < size; i++) crc = table[(crc ^ p[i]) & 0xFF] ^ (crc >> 8);
    return crc ^ 0xFFFFFFFFu;
}

uint64_t CourseHash(int course)
{
    if (course < 0 || course >= courseList.courseCount || !courseList.courses) return 0;
    const CourseDef& c = courseList.courses[course];
    Fnv fnv;
    fnv.AddText(c.FIELD_NAME);
    fnv.AddText(c.HEIGHT_MAP);
    fnv.AddFloats(&c.MAP_HEIGHT, 1);
    fnv.AddFloats(&c.GRID_SIZE, 1);
    fnv.AddFloats(c.START, 3);
    fnv.AddFloats(c.GOAL, 4);
    HashObstacles(&fnv, c);
    MakeCourseFolderCurrent(course);
    HashFile(&fnv, c.HEIGHT_MAP);
    SysMakeGameFolderCurrent();
    return fnv.value;
}

void GhostFileName(int course, char* out, size_t outSize)
{
    const CoursePack* pack = PackOfCourse(course);
    if (pack) snprintf(out, outSize, "packs/%s/ghost/course%d.gho", pack->key.c_str(), CourseNumberInPack(course));
    else snprintf(out, outSize, "ghost/course%d.gho", course);
}

int SaveGhostFile(const GhostRun& run)
{
    if (run.frameCount == 0 || run.frameCount > GHOST_MAX_FRAMES || run.obstacleCount > GHOST_MAX_OBSTACLES)
        return 0;
    size_t poses = kHeaderBytes + size_t(run.frameCount) * kPoseBytes;
    size_t size = poses + ObstacleBytes(run.frameCount, run.obstacleCount) + 4;
    unsigned char* bytes = static_cast<unsigned char*>(malloc(size));
    if (!bytes) return 0;
    memcpy(bytes, kMagic, 4);
    PutLittleEndian(bytes + 4, kVersion);
    PutLittleEndian(bytes + 8, uint32_t(CourseNumberInPack(run.course)));
    PutLittleEndian(bytes + 12, uint32_t(run.courseHash));
    PutLittleEndian(bytes + 16, uint32_t(run.courseHash >> 32));
    PutLittleEndian(bytes + 20, run.frameCount);
    PutLittleEndian(bytes + 24, run.timeMs);
    unsigned char* at = bytes + kHeaderBytes;
    for (uint32_t i = 0; i < run.frameCount; i++, at += kPoseBytes) {
        for (int k = 0; k < 3; k++) PutFloat(at + 4 * k, run.frames[i].position[k]);
        for (int k = 0; k < 4; k++) PutFloat(at + 12 + 4 * k, run.frames[i].rotation[k]);
    }
    EncodeObstacles(run, bytes + poses);
    PutLittleEndian(bytes + size - 4, Crc32(bytes, size - 4));
    char name[kNameBytes];
    GhostFileName(run.course, name, sizeof name);
    // When the folder cannot be made, the write says why.
    const CoursePack* pack = PackOfCourse(run.course);
    if (pack) MakePackSaveFolder(*pack, "ghost");
    else if (SysSaveFolder()[0]) SysMakeFolder((SysSaveFolder() + std::string("ghost")).c_str());
    int ok = WriteSaveFile(SysSaveFolder(), name, bytes, size, &saveReports.ghostReported);
    free(bytes);
    return ok;
}

int LoadGhostFile(int course, uint64_t courseHash, GhostRun* run)
{
    char name[kNameBytes];
    GhostFileName(course, name, sizeof name);
    return LoadGhostFileIn(SysSaveFolder(), name, course, courseHash, run);
}

int PeekGhostFile(const char* folder, const char* name, int course, uint64_t courseHash, uint32_t* timeMs)
{
    FILE* file = OpenSaveFile(folder, name);
    if (!file) return 0;
    unsigned char header[kHeaderBytes];
    bool whole = fread(header, 1, kHeaderBytes, file) == kHeaderBytes;
    fclose(file);
    uint32_t version = whole ? GetLittleEndian(header + 4) : 0;
    uint64_t hash = whole ? uint64_t(GetLittleEndian(header + 12)) | uint64_t(GetLittleEndian(header + 16)) << 32 : 0;
    if (!whole || memcmp(header, kMagic, 4) != 0 || (version != 1 && version != 2) ||
        int32_t(GetLittleEndian(header + 8)) != CourseNumberInPack(course) || hash != courseHash)
        return 0;
    *timeMs = GetLittleEndian(header + 24);
    return 1;
}

int GrowGhostObstacles(GhostRun* run, size_t poses)
{
    if (poses <= run->obstacleCapacity) return 1;
    size_t capacity = run->obstacleCapacity ? run->obstacleCapacity : 1024;
    while (capacity < poses) capacity *= 2;
    void* grown = realloc(run->obstacleFrames, capacity * sizeof(GhostPose));
    if (!grown) return 0;
    run->obstacleFrames = static_cast<GhostPose*>(grown);
    run->obstacleCapacity = uint32_t(capacity);
    return 1;
}

int LoadGhostFileIn(const char* folder, const char* name, int course, uint64_t courseHash, GhostRun* run)
{
    FILE* file = OpenSaveFile(folder, name);
    if (!file) return 0;
    size_t size = 0;
    unsigned char* bytes = ReadWholeFile(file, &size);
    fclose(file);
    if (!bytes) return 0;
    const char* problem = CheckGhostBytes(bytes, size, CourseNumberInPack(course), courseHash);
    if (problem)
        Complain((folder + std::string(name)).c_str(), problem);
    else
        DecodeGhost(bytes, course, courseHash, run);
    free(bytes);
    return problem == nullptr;
}

// Rows of the row-vector matrix are the rotated axes, so the usual
// column-vector formulas read the matrix transposed: R[i][j] = m[j][i].
void PoseFromMatrix(const Matrix& m, GhostPose* pose)
{
    auto R = [&m](int i, int j) { return m.m[j][i]; };
    float trace = R(0, 0) + R(1, 1) + R(2, 2);
    float x, y, z, w;
    if (trace > 0.0f) {
        float s = std::sqrt(trace + 1.0f) * 2.0f;
        w = 0.25f * s;
        x = (R(2, 1) - R(1, 2)) / s;
        y = (R(0, 2) - R(2, 0)) / s;
        z = (R(1, 0) - R(0, 1)) / s;
    } else if (R(0, 0) > R(1, 1) && R(0, 0) > R(2, 2)) {
        float s = std::sqrt(1.0f + R(0, 0) - R(1, 1) - R(2, 2)) * 2.0f;
        w = (R(2, 1) - R(1, 2)) / s;
        x = 0.25f * s;
        y = (R(0, 1) + R(1, 0)) / s;
        z = (R(0, 2) + R(2, 0)) / s;
    } else if (R(1, 1) > R(2, 2)) {
        float s = std::sqrt(1.0f + R(1, 1) - R(0, 0) - R(2, 2)) * 2.0f;
        w = (R(0, 2) - R(2, 0)) / s;
        x = (R(0, 1) + R(1, 0)) / s;
        y = 0.25f * s;
        z = (R(1, 2) + R(2, 1)) / s;
    } else {
        float s = std::sqrt(1.0f + R(2, 2) - R(0, 0) - R(1, 1)) * 2.0f;
        w = (R(1, 0) - R(0, 1)) / s;
        x = (R(0, 2) + R(2, 0)) / s;
        y = (R(1, 2) + R(2, 1)) / s;
        z = 0.25f * s;
    }
    float n = std::sqrt(x * x + y * y + z * z + w * w);
    if (!(n > 0.0f)) { x = y = z = 0.0f; w = n = 1.0f; }
    const float q[4] = {x / n, y / n, z / n, w / n};
    for (int k = 0; k < 4; k++) pose->rotation[k] = q[k];
    for (int k = 0; k < 3; k++) pose->position[k] = m.m[3][k];
}

void MatrixFromPose(const GhostPose& pose, Matrix* m)
{
    float x = pose.rotation[0], y = pose.rotation[1], z = pose.rotation[2], w = pose.rotation[3];
    const float R[3][3] = {{1 - 2 * (y * y + z * z), 2 * (x * y - z * w), 2 * (x * z + y * w)},
                           {2 * (x * y + z * w), 1 - 2 * (x * x + z * z), 2 * (y * z - x * w)},
                           {2 * (x * z - y * w), 2 * (y * z + x * w), 1 - 2 * (x * x + y * y)}};
    MatrixIdentity(m);
    for (int i = 0; i < 3; i++)
        for (int j = 0; j < 3; j++) m->m[j][i] = R[i][j];
    for (int k = 0; k < 3; k++) m->m[3][k] = pose.position[k];
}
