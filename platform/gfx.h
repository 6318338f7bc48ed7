// The graphics device: a small fixed-function pipeline of our own. It keeps
// render states, transforms, one directional light, a material and one
// texture, and draws from buffers or user memory into the picture, a back
// buffer at the window's real pixel size. platform/sdl draws with OpenGL;
// platform/null draws nothing but keeps count of its objects, so tests can
// check that everything is released.
#pragma once
#include <cstdint>

// The 2D layer's units: screen vertices are laid out on a 640 x 480 frame,
// the centred 4:3 part of the picture, whatever its pixel size.
enum { GFX_BACK_WIDTH = 640, GFX_BACK_HEIGHT = 480 };

// Vertex layouts, numbered by the flexible-vertex-format codes the course
// files' era used. Colours are 32-bit ARGB.
enum GfxVertexFormat {
    GFX_FVF_LIT_COLOURED = 0x152,  // 36 bytes: x y z, nx ny nz, argb, u v
    GFX_FVF_LIT          = 0x112,  // 32 bytes: x y z, nx ny nz, u v (material diffuse)
    GFX_FVF_SCREEN       = 0x144   // 28 bytes: x y (pixels), z, rhw, argb, u v; never lit
};

enum GfxState {
    GFX_CULL_CCW,          // 1: counter-clockwise triangles are culled; 0: none
    GFX_ALPHA_BLEND,       // source alpha / inverse source alpha
    GFX_Z_ENABLE,          // depth test (less-equal) and depth writes
    GFX_LIGHTING,
    GFX_SPECULAR,
    GFX_WIREFRAME,         // 1: wireframe fill, 0: solid
    GFX_FLAT_SHADE,        // 1: a triangle takes its first vertex's colour
    GFX_NORMALIZE_NORMALS, // 0 (default): normals keep the length the world matrix gives them
    GFX_STATE_COUNT
};

enum GfxTransform { GFX_WORLD, GFX_VIEW, GFX_PROJECTION, GFX_TRANSFORM_COUNT };

struct GfxColour { float r, g, b, a; };

struct GfxLight {                 // directional
    GfxColour diffuse;
    GfxColour specular;
    GfxColour ambient;
    float direction[3];           // the way the light travels
};

struct GfxMaterial {
    GfxColour diffuse;
    GfxColour ambient;
    GfxColour specular;
    GfxColour emissive;
    float power;                  // specular exponent; 0 gives no highlight
};

struct GfxTexture;
struct GfxBuffer;

// Device lifetime. GfxInit makes the context for the window (1 ok, 0 when
// none can be made) and sets the default states: culling CCW, alpha blending
// on, z on, lighting on, specular on, solid, Gouraud, identity transforms.
int  GfxInit();
void GfxShutdown();
// A colour for GfxInit to show in the window's 4:3 frame (black bars round
// it) the moment the context exists, before it builds anything else: the
// first screen's backdrop, so the window is never empty or left undefined
// while the game starts. 0xRRGGBB; -1 (the default) shows nothing.
void GfxSetStartBackdrop(int32_t rgb);

void GfxSetState(GfxState state, int value);
int  GfxGetState(GfxState state);
// Row-vector matrices (p' = p * M), m[3][0..2] the translation; depth maps to
// 0 at the near plane and 1 at the far plane.
void GfxSetTransform(GfxTransform which, const float m[4][4]);
void GfxSetLight(const GfxLight* light);
void GfxSetMaterial(const GfxMaterial* material);

// Textures: RGBA8 rows top-down; a full mip chain is built. Stage 0 multiplies
// the texture with the vertex colour; null unbinds it.
GfxTexture* GfxCreateTexture(const uint8_t* rgba, int width, int height);
void        GfxReleaseTexture(GfxTexture* texture);
void        GfxSetTexture(GfxTexture* texture);

// Buffers: created empty, filled with GfxWriteBuffer (1 ok, 0 out of range).
GfxBuffer* GfxCreateVertexBuffer(uint32_t bytes);
GfxBuffer* GfxCreateIndexBuffer(uint32_t bytes, int indexBits);   // 16 or 32
int        GfxWriteBuffer(GfxBuffer* buffer, uint32_t offset, const void* data, uint32_t bytes);
void       GfxReleaseBuffer(GfxBuffer* buffer);

// Drawing.
void GfxClear(uint32_t argb, float depth);
void GfxClearDepth(float depth);      // the colour stays
// The whole picture to one colour and depth, as an opaque quad over all of it
// would leave it; unlike GfxClear it never resizes the picture mid-frame.
void GfxFillPicture(uint32_t argb, float depth);
void GfxDrawIndexed(GfxBuffer* vertices, GfxVertexFormat format, GfxBuffer* indices,
                    uint32_t startIndex, uint32_t triangleCount);
void GfxDrawFan(GfxVertexFormat format, const void* vertices, uint32_t triangleCount);
// Many quads in one call: each is a fan of four vertices, the quads one after
// another in user memory, drawn in that order with the same pixels as one
// GfxDrawFan per quad.
void GfxDrawQuadFans(GfxVertexFormat format, const void* vertices, uint32_t quadCount);
void GfxPresent();   // shows the picture in its place in the window, black bars round it

// A layer: colour and depth of the picture's size that drawing can be turned
// to, and laid over the picture later, so a model that stays put from one
// picture to the next is drawn once. Between GfxBeginLayer and GfxEndLayer
// every draw goes into the layer, which starts transparent at depth 1; with
// alpha blending on, what is drawn there is laid over the picture by
// GfxDrawLayer in the colours it would have had drawn onto it then (to one
// step of rounding where it is partly clear; the picture's own alpha, which
// is never shown, may differ).
struct GfxLayer;
GfxLayer* GfxCreateLayer();                  // the picture's size now; null when none can be made
void      GfxReleaseLayer(GfxLayer* layer);
int       GfxLayerFits(const GfxLayer* layer);   // 1 while the picture keeps the layer's size
int       GfxBeginLayer(GfxLayer* layer);        // 0 (and drawing stays on the picture) when it does not fit
void      GfxEndLayer();
// The layer's depth replaces the picture's and its colour is laid over it,
// inside `rect` (2D units: left, top, right, bottom), where everything drawn
// into it lies; the rest of the picture is left alone.
void      GfxDrawLayer(const GfxLayer* layer, const float rect[4]);
// Where the picture goes in a window of that size: the largest centred 4:3
// rectangle, x, y, width, height (the rest is black bars).
void GfxLetterbox(int width, int height, int rect[4]);

// The picture's shape from the next GfxClear on: 4:3 (0), or filling a
// window wider than 4:3 (1), its 2D units then reaching past 0 and 640.
void GfxSetPictureFill(int fill);
// The picture in a drawable of that size: its rectangle in pixels as above,
// and its left and right edges in 2D units (0 and 640 unless it fills).
void GfxPictureLayout(int width, int height, int fill, int rect[4], float span[2]);
// The same for the window as it is now and the shape last set.
void GfxPictureSpan(float span[2]);
// Pixels of the picture being drawn (the one the last GfxClear began).
void GfxPictureSize(int* width, int* height);

// The picture as width x height RGBA bytes, top row first, scaled when its
// own size differs (1 ok, 0 none).
int GfxReadPicture(uint8_t* rgba, int width, int height);
// The same at 640 x 480.
int GfxReadBackBuffer(uint8_t* rgba);
// Textures and buffers alive now.
int GfxLiveObjects();
// Draw calls issued since GfxInit (indexed, fan and triangle draws alike).
uint32_t GfxDrawCalls();
