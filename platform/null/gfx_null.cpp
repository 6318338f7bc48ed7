// The graphics device without a screen: every call succeeds and nothing is
// drawn. Objects are real allocations and are counted, so tests of the
// loaders can check that what they create is released again.
#include "platform/gfx.h"
#include "platform/sys.h"

#include <cstdlib>
#include <cstring>

struct GfxTexture {
    int width, height;           // kept for sanity only
};

struct GfxBuffer {
    uint32_t bytes;              // writes past this fail as on the real device
};

namespace {

struct NullGfx {
    int live;                    // textures and buffers not yet released
    int states[GFX_STATE_COUNT]; // what GfxGetState reports back
    uint32_t draws;              // draw calls since GfxInit, for the benchmarks
    int fill;                    // the picture shape asked for
};
NullGfx gfx;

}  // namespace

int GfxInit()
{
    // Objects made before the device (loader tests) stay counted.
    int live = gfx.live;
    gfx = {};
    gfx.live = live;
    gfx.states[GFX_CULL_CCW] = 1;
    gfx.states[GFX_ALPHA_BLEND] = 1;
    gfx.states[GFX_Z_ENABLE] = 1;
    gfx.states[GFX_LIGHTING] = 1;
    gfx.states[GFX_SPECULAR] = 1;
    return 1;
}

void GfxShutdown() {}
void GfxSetStartBackdrop(int32_t) {}   // nothing to show

void GfxSetState(GfxState state, int value)
{
    if (state >= 0 && state < GFX_STATE_COUNT)
        gfx.states[state] = value;
}

int GfxGetState(GfxState state)
{
    return state >= 0 && state < GFX_STATE_COUNT ? gfx.states[state] : 0;
}

void GfxSetTransform(GfxTransform, const float[4][4]) {}
void GfxSetLight(const GfxLight*) {}
void GfxSetMaterial(const GfxMaterial*) {}

GfxTexture* GfxCreateTexture(const uint8_t* rgba, int width, int height)
{
    if (!rgba || width <= 0 || height <= 0)
        return nullptr;
    GfxTexture* texture = static_cast<GfxTexture*>(malloc(sizeof(GfxTexture)));
    if (texture) {
        *texture = {width, height};
        ++gfx.live;
    }
    return texture;
}

void GfxReleaseTexture(GfxTexture* texture)
{
    if (!texture)
        return;
    free(texture);
    --gfx.live;
}

void GfxSetTexture(GfxTexture*) {}

static GfxBuffer* NewBuffer(uint32_t bytes)
{
    if (bytes == 0)
        return nullptr;
    GfxBuffer* buffer = static_cast<GfxBuffer*>(malloc(sizeof(GfxBuffer)));
    if (buffer) {
        buffer->bytes = bytes;
        ++gfx.live;
    }
    return buffer;
}

GfxBuffer* GfxCreateVertexBuffer(uint32_t bytes) { return NewBuffer(bytes); }

GfxBuffer* GfxCreateIndexBuffer(uint32_t bytes, int indexBits)
{
    return indexBits == 16 || indexBits == 32 ? NewBuffer(bytes) : nullptr;
}

int GfxWriteBuffer(GfxBuffer* buffer, uint32_t offset, const void* data, uint32_t bytes)
{
    return buffer && data && offset <= buffer->bytes && bytes <= buffer->bytes - offset;
}

void GfxReleaseBuffer(GfxBuffer* buffer)
{
    if (!buffer)
        return;
    free(buffer);
    --gfx.live;
}

void GfxClear(uint32_t, float) {}
void GfxClearDepth(float) {}
void GfxFillPicture(uint32_t, float) {}
void GfxDrawIndexed(GfxBuffer*, GfxVertexFormat, GfxBuffer*, uint32_t, uint32_t) { ++gfx.draws; }
void GfxDrawFan(GfxVertexFormat, const void*, uint32_t) { ++gfx.draws; }
void GfxDrawQuadFans(GfxVertexFormat, const void*, uint32_t) { ++gfx.draws; }
struct GfxLayer {
    int width, height;           // the picture's when it was made
};

GfxLayer* GfxCreateLayer()
{
    GfxLayer* layer = static_cast<GfxLayer*>(malloc(sizeof(GfxLayer)));
    if (layer) {
        GfxPictureSize(&layer->width, &layer->height);
        ++gfx.live;
    }
    return layer;
}

void GfxReleaseLayer(GfxLayer* layer)
{
    if (!layer)
        return;
    free(layer);
    --gfx.live;
}

int GfxLayerFits(const GfxLayer* layer)
{
    int width = 0, height = 0;
    GfxPictureSize(&width, &height);
    return layer && layer->width == width && layer->height == height;
}

int  GfxBeginLayer(GfxLayer* layer) { return GfxLayerFits(layer); }
void GfxEndLayer() {}
void GfxDrawLayer(const GfxLayer*, const float[4]) { ++gfx.draws; }

// A present is still a swap, so a test's simulated display sees each picture.
void GfxPresent() { SysSwapBuffers(); }

void GfxSetPictureFill(int fill) { gfx.fill = fill ? 1 : 0; }

void GfxPictureSpan(float span[2])
{
    int width = 0, height = 0, rect[4];
    SysGetDrawableSize(&width, &height);
    GfxPictureLayout(width, height, gfx.fill, rect, span);
}

void GfxPictureSize(int* width, int* height)
{
    int rect[4];
    float span[2];
    SysGetDrawableSize(width, height);
    GfxPictureLayout(*width, *height, gfx.fill, rect, span);
    *width = rect[2];
    *height = rect[3];
}

int  GfxReadPicture(uint8_t*, int, int) { return 0; }
int  GfxReadBackBuffer(uint8_t*) { return 0; }
int  GfxLiveObjects() { return gfx.live; }
uint32_t GfxDrawCalls() { return gfx.draws; }
