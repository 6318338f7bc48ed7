// A busy frame of sprites: 500 quads from 6 sheets at 3 depths, queued and
// flushed on the null device. Reports the draw calls per frame (one per quad
// before batching) and fails when a frame after the first allocates.
// Allocations are counted by replacing operator new and delete with malloc
// and free, which GCC takes for a mismatch where the library inlines them.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdlib>
#include <new>

#include "render/sprite_sheets.h"
#include "render/device.h"
#include "render/sprites.h"

namespace {
std::atomic<long> allocations{0};
}

void* operator new(std::size_t size)
{
    allocations.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(size ? size : 1))
        return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace {

const int kSprites = 500;

// Sheets change every 25 sprites in queuing order, depths every sprite, as
// screens that queue a panel, its labels and its text in turn do.
void QueueBusyFrame()
{
    for (int i = 0; i < kSprites; ++i)
        DrawSprite((i / 25) % 6, uint32_t(i % 8), 0xFFFFFFFF, i % 5 ? 0.0f : 0.3f, 3 + i % 3, 0,
                   float(i % 640), float(i % 480), 32, 32);
}

void BM_QueueAndFlush500Sprites(benchmark::State& state)
{
    const uint8_t pixel[4] = {255, 255, 255, 255};
    SpriteSheet table[6];
    for (SpriteSheet& s : table)
        s = {CreateTextureFromPixels(pixel, 1, 1), 4, 2};
    sheets = table;
    sheetCount = 6;

    QueueBusyFrame();   // the first frame grows the queue's arrays
    FlushSprites();
    const long allocationsBefore = allocations.load();
    const uint32_t drawsBefore = DrawCallCount();
    long frames = 0;
    for (auto _ : state) {
        QueueBusyFrame();
        FlushSprites();
        ++frames;
    }
    const long allocated = allocations.load() - allocationsBefore;
    state.counters["draws_per_frame"] = double(DrawCallCount() - drawsBefore) / double(frames);
    state.counters["allocations_per_frame"] = double(allocated) / double(frames);
    state.SetItemsProcessed(frames * kSprites);
    if (allocated != 0)
        state.SkipWithError("a frame after the first allocated");

    sheets = nullptr;
    sheetCount = 0;
    for (SpriteSheet& s : table)
        ReleaseTexture(s.texture);
}
BENCHMARK(BM_QueueAndFlush500Sprites);

}  // namespace
