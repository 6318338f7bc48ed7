// The graphics device: created once for the window, with the states, light,
// materials and shared geometry every drawing part uses, and the frame bracket.
#pragma once
#include <cstdint>

#include "core/xmath.h"

int  InitRenderer();      // 1 ok, 0 when no device can be made
// Releases the primitive meshes, the shape meshes and the marker buffers. The
// device itself stays until ShutdownDevice, so the course's buffers and
// textures can still be released after this.
void ReleaseRenderer();
void ShutdownDevice();    // last of all: the device and its context go
// Begins the picture and clears it to 0xFF404040, depth 1.0. A filled picture
// (SetPictureFill) widens the projection to the window's width, keeping
// the vertical field of view.
void BeginScene();
void PresentScene();      // end the frame and show it; failures are ignored
// The shape of the pictures from the next BeginScene on: 1 fills a window
// wider than 4:3 (race scenes with the fill option), 0 keeps the 4:3 frame.
void SetPictureFill(int fill);
// The picture's left and right edges in the 2D layer's units, for the window
// as it is now: 0 and 640, or further out when filled. Corner-anchored 2D
// elements move with them.
struct PictureSpan {
    float left, right;
};
PictureSpan CurrentPictureSpan();
// The picture's pixels per 2D unit (its height / 480): text is rasterised at it.
float PictureScale();
// Depth back to 1.0 with the picture kept: a model drawn next lies over it.
void ClearDepth();

// Resources the data loaders create through the device. Both work on the
// null platform too (files are still decoded, so failures are real).
struct Texture;                      // a GPU texture with a full mip chain
struct Mesh;                         // a mesh made of subsets, one per material

struct Material {
    float diffuse[4];                // r, g, b, a
    float ambient[4];
    float specular[4];
    float emissive[4];
    float power;                     // specular exponent
};

struct MeshMaterial {
    Material material;
    char textureFile[260];           // raw name as the X file gives it ("" = none)
};

Texture* CreateTextureFromFile(const char* pathUtf8);    // null when missing/unreadable
// RGBA bytes, top row first (rendered text, generated pictures).
Texture* CreateTextureFromPixels(const uint8_t* rgba, int width, int height);
void     ReleaseTexture(Texture* texture);
// The picture's size in texels; 0 x 0 for null.
void     TextureSize(const Texture* texture, int* width, int* height);
// Loads an X file; *materials (malloc'd, caller frees) lists every material in
// file order, subset i drawn with material i. Null on failure.
Mesh*    LoadMeshFromX(const char* pathUtf8, MeshMaterial** materials, uint32_t* materialCount);
void     ReleaseMesh(Mesh* mesh);
uint32_t MeshSubsetCount(const Mesh* mesh);
void     DrawMeshSubset(const Mesh* mesh, uint32_t subset);   // with the current states

// The 36-byte lit, coloured, textured vertex of the terrain and the goal
// marker (format FVF_TERRAIN).
struct TerrainVertex {
    float    x, y, z;
    float    nx, ny, nz;
    uint32_t diffuse;                // ARGB; takes the place of the material diffuse
    float    u, v;
};
static_assert(sizeof(TerrainVertex) == 36, "terrain vertex layout");

// Vertex formats by their classic codes. FVF_SCREEN is the 28-byte
// pre-transformed vertex of the sprite layer: x, y in back-buffer pixels
// (origin top left), z, rhw, ARGB colour, u, v; it is never lit.
enum VertexFormat {
    FVF_TERRAIN = 0x152,
    FVF_MESH    = 0x112,             // 32 bytes: position, normal, u, v
    FVF_SCREEN  = 0x144
};

// Render states; each drawing part that changes one restores it.
enum RenderState {
    RS_CULL_CCW,                     // 1 cull counter-clockwise (default), 0 none
    RS_ALPHA_BLEND,                  // source alpha over (default on)
    RS_Z_ENABLE,                     // default on
    RS_LIGHTING,                     // default on
    RS_SPECULAR,                     // default on
    RS_WIREFRAME,                    // default off (solid)
    RS_FLAT_SHADING,                 // default off (Gouraud)
    // Default off, as the game always ran: a world matrix scaled by s leaves
    // normals 1/s long, so scaled-up objects take less diffuse light.
    RS_NORMALIZE_NORMALS
};
void SetRenderState(RenderState state, int value);
int  GetRenderState(RenderState state);

enum TransformKind { TS_WORLD, TS_VIEW, TS_PROJECTION };
void SetTransform(TransformKind kind, const Matrix* m);
void SetMaterial(const Material* material);
void SetTexture(Texture* texture);   // stage 0; null draws untextured

// Vertex and index buffers: create, fill (1 ok), draw, release.
struct VertexBuffer;
struct IndexBuffer;
VertexBuffer* CreateVertexBuffer(uint32_t bytes);
int           WriteVertexBuffer(VertexBuffer* buffer, const void* data, uint32_t bytes);
void          ReleaseVertexBuffer(VertexBuffer* buffer);
IndexBuffer*  CreateIndexBuffer(uint32_t bytes, int indexBits);   // 16 or 32
int           WriteIndexBuffer(IndexBuffer* buffer, const void* data, uint32_t bytes);
void          ReleaseIndexBuffer(IndexBuffer* buffer);
void DrawIndexedTriangles(VertexBuffer* vertices, VertexFormat format, IndexBuffer* indices,
                          uint32_t startIndex, uint32_t triangleCount);
// A triangle fan of triangleCount + 2 vertices from user memory.
void DrawTriangleFan(VertexFormat format, const void* vertices, uint32_t triangleCount);
// quadCount fans of four vertices each, back to back in user memory, in one
// draw call; the same pixels as one DrawTriangleFan per quad.
void DrawQuadFans(VertexFormat format, const void* vertices, uint32_t quadCount);
// Draw calls the device has issued since it was made (benchmarks, tests).
uint32_t DrawCallCount();

// A layer of the picture's size that drawing can be turned to and laid over
// the picture later, so a model that stays put is drawn once for many
// pictures. BeginLayer starts it transparent at depth 1 (0 when the picture
// has changed size since it was made: make another); EndLayer turns drawing
// back to the picture. DrawLayer puts its depth in place of the picture's and
// lays its colour over the picture, the same pixels as drawing it there, in
// the rectangle (2D units) that holds what was drawn into it.
struct Layer;
struct ScreenRect {
    float left, top, right, bottom;
};
Layer* CreateLayer();                // null when the device cannot make one
void   ReleaseLayer(Layer* layer);
int    LayerFitsPicture(const Layer* layer);
int    BeginLayer(Layer* layer);
void   EndLayer();
void   DrawLayer(const Layer* layer, const ScreenRect& drawn);
// The whole picture one colour at depth 0, as a plain opaque quad of the 2D
// layer over all of it leaves it while RS_Z_ENABLE is on.
void   FillPicture(uint32_t argb);

// What the device made at start-up; null (or zero) before InitRenderer.
Mesh*           SphereMesh();        // radius 1, 12 slices, 9 stacks, axis z
Mesh*           BoxMesh();           // -1 ... 1
Mesh*           CylinderMesh();      // radius 1, z from -1 to 1, 12 slices, 1 stack
VertexBuffer*   MarkerVertexBuffer();  // 8 TerrainVertex
IndexBuffer*    MarkerIndexBuffer();   // 24 16-bit indices: 8 triangles
const Material& TerrainMaterial();
const Material& MarkerMaterial();
const Vec3&     LightDirection();    // normalised; shadows are cast along it
const Matrix&   ProjectionMatrix();

// The picture as 640 x 480 RGBA bytes, top row first (tests, screenshots);
// scaled when it is drawn at another size.
int ReadBackBuffer(uint8_t* rgba);
// The picture at its own size (PictureSize), or scaled to any other.
void PictureSize(int* width, int* height);
int  ReadPicture(uint8_t* rgba, int width, int height);
