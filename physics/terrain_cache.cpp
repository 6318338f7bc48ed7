// The terrain's optimised BVH, kept on disk so that a big course does not
// build it again on every load (three quarters of a 255 x 255 load went on
// building it). One file per terrain mesh in the cache folder,
// named and checked by a hash of the mesh's own bytes, so a file can only
// ever stand for the very mesh it was built from; the nodes in it are
// Bullet's own, byte for byte, and the ball rolls exactly as on a fresh
// build. Any file that is damaged, cut, foreign or from another Bullet is
// ignored and built again.
#include "physics/physics_local.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <vector>

#include "platform/files.h"
#include "platform/paths.h"

namespace {

// Below this a build takes a few milliseconds, less than reading a file.
const int kCachedTriangles = 16384;
// Old meshes (a course author's earlier height maps) give way to new ones.
const int kCachedFiles = 16;

const char kMagic[4] = {'K', 'B', 'V', 'H'};
const uint32_t kFormat = 1;
const uint32_t kByteOrder = 0x01020304;   // written as it lies in memory

// --- hashing ----------------------------------------------------------------

// Two independent 64-bit lanes over 64-bit words: no accidental collision
// between two meshes in practice, and about a millisecond for 255 x 255.
struct Hash128 {
    uint64_t a = 0x243F6A8885A308D3ull, b = 0x13198A2E03707344ull;
    void Add(const void* data, size_t size)
    {
        const unsigned char* p = static_cast<const unsigned char*>(data);
        size_t whole = size / 8 * 8;
        for (size_t i = 0; i < whole; i += 8) {
            uint64_t word;
            memcpy(&word, p + i, 8);
            Mix(word);
        }
        uint64_t tail = 0;
        memcpy(&tail, p + whole, size - whole);
        Mix(tail ^ size);
    }
    void Mix(uint64_t word)
    {
        a = (a ^ word) * 0x9E3779B97F4A7C15ull;
        a ^= a >> 29;
        b = (b + word) * 0xC2B2AE3D27D4EB4Full;
        b = (b << 31) | (b >> 33);
    }
};

Hash128 MeshKey(const TerrainGrid& grid)
{
    Hash128 key;
    const int32_t counts[2] = {grid.vertexCount, grid.triangleCount};
    key.Add(counts, sizeof counts);
    key.Add(grid.positions, sizeof(GridPoint) * size_t(grid.vertexCount));
    key.Add(grid.indices, 3 * sizeof(int32_t) * size_t(grid.triangleCount));
    return key;
}

// --- the file ----------------------------------------------------------------

TerrainCacheHeader HeaderFor(const Hash128& key, const TerrainGrid& grid)
{
    TerrainCacheHeader h = {};
    memcpy(h.magic, kMagic, 4);
    h.format = kFormat;
    h.byteOrder = kByteOrder;
    h.bulletVersion = uint32_t(btGetVersion());
    h.nodeBytes = sizeof(btQuantizedBvhNode);
    h.subtreeBytes = sizeof(btBvhSubtreeInfo);
    h.keyA = key.a;
    h.keyB = key.b;
    h.vertexCount = grid.vertexCount;
    h.triangleCount = grid.triangleCount;
    return h;
}

// Whether a file made by this build of the game for this mesh could say this.
bool HeaderFits(const TerrainCacheHeader& h, const TerrainCacheHeader& want)
{
    return memcmp(h.magic, want.magic, 4) == 0 && h.format == want.format && h.byteOrder == want.byteOrder
           && h.bulletVersion == want.bulletVersion && h.nodeBytes == want.nodeBytes
           && h.subtreeBytes == want.subtreeBytes && h.keyA == want.keyA && h.keyB == want.keyB
           && h.vertexCount == want.vertexCount && h.triangleCount == want.triangleCount
           // A binary tree over the triangles, and at least one subtree.
           && h.nodeCount == 2 * want.triangleCount - 1 && h.subtreeCount >= 1
           && h.subtreeCount <= h.nodeCount;
}

void CachePath(const Hash128& key, char* out, size_t size)
{
    snprintf(out, size, "%sterrain-%016llx%016llx.bvh", SysCacheFolder(), (unsigned long long)key.a,
             (unsigned long long)key.b);
}

// --- Bullet's BVH, read and written by us -----------------------------------

// The tree is plain data (quantized nodes and subtree headers); everything
// else in it follows from the bounds every terrain is built with.
class TerrainBvh : public btOptimizedBvh {
public:
    size_t PayloadBytes() const
    {
        return sizeof(btQuantizedBvhNode) * size_t(m_curNodeIndex)
               + sizeof(btBvhSubtreeInfo) * size_t(m_SubtreeHeaders.size());
    }

    // Nodes and subtree headers, the headers' unused padding cleared.
    void WritePayload(unsigned char* out) const
    {
        size_t nodes = sizeof(btQuantizedBvhNode) * size_t(m_curNodeIndex);
        memcpy(out, &m_quantizedContiguousNodes[0], nodes);
        for (int i = 0; i < m_SubtreeHeaders.size(); i++) {
            btBvhSubtreeInfo info = m_SubtreeHeaders[i];
            memset(info.m_padding, 0, sizeof info.m_padding);
            memcpy(out + nodes + sizeof info * size_t(i), &info, sizeof info);
        }
    }
    int NodeCount() const { return m_curNodeIndex; }
    int SubtreeCount() const { return m_SubtreeHeaders.size(); }

    // Reads the tree the header announces into one block of its own; 0 when
    // the bytes are short, differ from what was written, or could lead a
    // traversal astray.
    int ReadPayload(FILE* file, const TerrainCacheHeader& h)
    {
        size_t nodes = sizeof(btQuantizedBvhNode) * size_t(h.nodeCount);
        size_t subtrees = sizeof(btBvhSubtreeInfo) * size_t(h.subtreeCount);
        // Not Bullet's allocator, which clears every block twice.
        storage = static_cast<unsigned char*>(aligned_alloc(16, (nodes + subtrees + 15) / 16 * 16));
        if (!storage || fread(storage, 1, nodes + subtrees, file) != nodes + subtrees)
            return 0;
        uint64_t payload[2];
        TerrainCacheHash(storage, nodes + subtrees, payload);
        if (payload[0] != h.payloadA || payload[1] != h.payloadB)
            return 0;
        m_quantizedContiguousNodes.initializeFromBuffer(storage, h.nodeCount, h.nodeCount);
        m_SubtreeHeaders.initializeFromBuffer(storage + nodes, h.subtreeCount, h.subtreeCount);
        if (!TreeIsSound(h.triangleCount))
            return 0;
        // What a build sets besides the tree.
        setQuantizationValues(TerrainBvhMin(), TerrainBvhMax());
        m_useQuantization = true;
        m_curNodeIndex = h.nodeCount;
        m_subtreeHeaderCount = h.subtreeCount;
        m_traversalMode = TRAVERSAL_STACKLESS;
        return 1;
    }

    ~TerrainBvh() override
    {
        if (!storage)
            return;
        m_quantizedContiguousNodes.initializeFromBuffer(nullptr, 0, 0);
        m_SubtreeHeaders.initializeFromBuffer(nullptr, 0, 0);
        free(storage);
    }

private:
    // Every leaf names a triangle of the mesh, every inner node skips to a
    // node inside the tree, every subtree lies inside it.
    bool TreeIsSound(int triangleCount) const
    {
        int count = m_quantizedContiguousNodes.size();
        for (int i = 0; i < count; i++) {
            int value = m_quantizedContiguousNodes[i].m_escapeIndexOrTriangleIndex;
            if (value >= 0 ? value >= triangleCount : value == INT_MIN || (long long)i - value > count)
                return false;
        }
        for (int i = 0; i < m_SubtreeHeaders.size(); i++) {
            const btBvhSubtreeInfo& s = m_SubtreeHeaders[i];
            if (s.m_rootNodeIndex < 0 || s.m_subtreeSize < 1 || s.m_subtreeSize > count - s.m_rootNodeIndex)
                return false;
        }
        return true;
    }

    unsigned char* storage = nullptr;   // the nodes and headers of a tree read from a file
};

TerrainBvh* ReadCachedBvh(const Hash128& key, const TerrainGrid& grid)
{
    char path[4200];
    CachePath(key, path, sizeof path);
    FILE* file = SysOpenFile(path, "rb");
    if (!file)
        return nullptr;
    TerrainBvh* bvh = nullptr;
    TerrainCacheHeader h;
    if (fread(&h, sizeof h, 1, file) == 1 && HeaderFits(h, HeaderFor(key, grid))) {
        bvh = new TerrainBvh();
        if (!bvh->ReadPayload(file, h)) {
            delete bvh;
            bvh = nullptr;
        }
    }
    fclose(file);
    return bvh;
}

// The oldest files go once there are more than kCachedFiles; a file read
// counts as new again.
void TrimCache(const char* folder)
{
    namespace fs = std::filesystem;
    std::error_code error;
    std::vector<std::pair<fs::file_time_type, fs::path>> files;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder, error))
        if (entry.path().extension() == ".bvh")
            files.emplace_back(entry.last_write_time(error), entry.path());
    if (int(files.size()) <= kCachedFiles)
        return;
    std::sort(files.begin(), files.end());
    for (size_t i = 0; i + kCachedFiles < files.size(); i++)
        fs::remove(files[i].second, error);
}

// A cache that cannot be written costs only the next load's time: no word.
void WriteCachedBvh(const Hash128& key, const TerrainGrid& grid, const TerrainBvh& bvh)
{
    TerrainCacheHeader h = HeaderFor(key, grid);
    h.nodeCount = bvh.NodeCount();
    h.subtreeCount = bvh.SubtreeCount();
    size_t size = sizeof h + bvh.PayloadBytes();
    unsigned char* bytes = static_cast<unsigned char*>(malloc(size));
    if (!bytes)
        return;
    bvh.WritePayload(bytes + sizeof h);
    uint64_t payload[2];
    TerrainCacheHash(bytes + sizeof h, bvh.PayloadBytes(), payload);
    h.payloadA = payload[0];
    h.payloadB = payload[1];
    memcpy(bytes, &h, sizeof h);
    char path[4200];
    CachePath(key, path, sizeof path);
    if (SysMakeCacheFolder() && SysReplaceFileUnsynced(path, bytes, size))
        TrimCache(SysCacheFolder());
    free(bytes);
}

void MarkUsed(const Hash128& key)
{
    char path[4200];
    CachePath(key, path, sizeof path);
    std::error_code error;
    std::filesystem::last_write_time(path, std::filesystem::file_time_type::clock::now(), error);
}

}  // namespace

void TerrainCacheHash(const void* data, size_t size, uint64_t hash[2])
{
    Hash128 h;
    h.Add(data, size);
    hash[0] = h.a;
    hash[1] = h.b;
}

btVector3 TerrainBvhMin()
{
    return btVector3(-1000, -1000, -1000);
}

btVector3 TerrainBvhMax()
{
    return btVector3(1000, 1000, 1000);
}

btOptimizedBvh* TerrainBvhFor(const TerrainGrid& grid, btStridingMeshInterface* mesh, bool* fromCache)
{
    *fromCache = false;
    if (grid.triangleCount < kCachedTriangles || !SysCacheFolder()[0]) {
        btOptimizedBvh* bvh = new btOptimizedBvh();
        bvh->build(mesh, true, TerrainBvhMin(), TerrainBvhMax());
        return bvh;
    }
    Hash128 key = MeshKey(grid);
    if (TerrainBvh* cached = ReadCachedBvh(key, grid)) {
        *fromCache = true;
        MarkUsed(key);
        return cached;
    }
    TerrainBvh* bvh = new TerrainBvh();
    bvh->build(mesh, true, TerrainBvhMin(), TerrainBvhMax());
    WriteCachedBvh(key, grid, *bvh);
    return bvh;
}
