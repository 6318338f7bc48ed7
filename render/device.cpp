// The graphics device of the game: start-up states, projection, light 0, the
// two fixed materials, the primitive meshes used for shadows, the goal-marker
// geometry, and thin wrappers that let the drawing code speak in textures,
// meshes and buffers instead of platform objects.
//
// [SECTION] Objects and the renderer record
// [SECTION] Textures
// [SECTION] Buffers and drawing
// [SECTION] Meshes
// [SECTION] Primitive meshes
// [SECTION] Start-up and shutdown
#include "render/device.h"

#include "platform/gfx.h"
#include "platform/image.h"
#include "platform/meshfile.h"
#include "platform/sys.h"
#include "render/shapes.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <new>
#include <vector>

// ---------------------------------------------------------------------------
// [SECTION] Objects and the renderer record
// ---------------------------------------------------------------------------

struct Texture {
    GfxTexture* gfx;
    int width, height;   // texels
};

struct VertexBuffer {
    GfxBuffer* gfx;
};

struct IndexBuffer {
    GfxBuffer* gfx;
};

struct Layer {
    GfxLayer* gfx;
};

struct MeshSubset {
    uint32_t firstIndex;
    uint32_t triangleCount;
};

struct Mesh {
    GfxBuffer*  vertices;        // FVF_MESH
    GfxBuffer*  indices;         // 32-bit
    uint32_t    subsetCount;
    MeshSubset* subsets;         // malloc'd
};

namespace {

struct Renderer {
    int           ready;            // device made and not yet shut down
    Mesh*         sphere;           // SphereMesh, null when it could not be made
    Mesh*         box;              // BoxMesh
    Mesh*         cylinder;         // CylinderMesh
    VertexBuffer* markerVertices;   // goal marker, 8 TerrainVertex
    IndexBuffer*  markerIndices;    // goal marker, 24 16-bit indices
    Material      terrainMaterial;  // set by the terrain pass
    Material      markerMaterial;   // set by the goal-marker pass
    Vec3          lightDirection;   // light 0, normalised
    Matrix        projection;       // the 4:3 frame's, fixed for the whole run
    float         widening;         // the projection set last: the frame's width / the picture's
};
Renderer renderer;

GfxColour Colour(const float c[4])
{
    return {c[0], c[1], c[2], c[3]};
}

}  // namespace

// ---------------------------------------------------------------------------
// [SECTION] Textures
// ---------------------------------------------------------------------------

Texture* CreateTextureFromPixels(const uint8_t* rgba, int width, int height)
{
    GfxTexture* gfx = GfxCreateTexture(rgba, width, height);
    if (!gfx)
        return nullptr;
    Texture* texture = new (std::nothrow) Texture{gfx, width, height};
    if (!texture)
        GfxReleaseTexture(gfx);
    return texture;
}

Texture* CreateTextureFromFile(const char* pathUtf8)
{
    Image image;
    if (!pathUtf8 || !SysLoadImage(pathUtf8, &image))
        return nullptr;
    Texture* texture = CreateTextureFromPixels(image.rgba, image.width, image.height);
    SysFreeImage(&image);
    return texture;
}

void ReleaseTexture(Texture* texture)
{
    if (!texture)
        return;
    GfxReleaseTexture(texture->gfx);
    delete texture;
}

void TextureSize(const Texture* texture, int* width, int* height)
{
    *width = texture ? texture->width : 0;
    *height = texture ? texture->height : 0;
}

void SetTexture(Texture* texture)
{
    GfxSetTexture(texture ? texture->gfx : nullptr);
}

// ---------------------------------------------------------------------------
// [SECTION] Buffers and drawing
// ---------------------------------------------------------------------------

VertexBuffer* CreateVertexBuffer(uint32_t bytes)
{
    GfxBuffer* gfx = GfxCreateVertexBuffer(bytes);
    if (!gfx)
        return nullptr;
    VertexBuffer* buffer = new (std::nothrow) VertexBuffer{gfx};
    if (!buffer)
        GfxReleaseBuffer(gfx);
    return buffer;
}

int WriteVertexBuffer(VertexBuffer* buffer, const void* data, uint32_t bytes)
{
    return buffer && GfxWriteBuffer(buffer->gfx, 0, data, bytes);
}

void ReleaseVertexBuffer(VertexBuffer* buffer)
{
    if (!buffer)
        return;
    GfxReleaseBuffer(buffer->gfx);
    delete buffer;
}

IndexBuffer* CreateIndexBuffer(uint32_t bytes, int indexBits)
{
    GfxBuffer* gfx = GfxCreateIndexBuffer(bytes, indexBits);
    if (!gfx)
        return nullptr;
    IndexBuffer* buffer = new (std::nothrow) IndexBuffer{gfx};
    if (!buffer)
        GfxReleaseBuffer(gfx);
    return buffer;
}

int WriteIndexBuffer(IndexBuffer* buffer, const void* data, uint32_t bytes)
{
    return buffer && GfxWriteBuffer(buffer->gfx, 0, data, bytes);
}

void ReleaseIndexBuffer(IndexBuffer* buffer)
{
    if (!buffer)
        return;
    GfxReleaseBuffer(buffer->gfx);
    delete buffer;
}

void DrawIndexedTriangles(VertexBuffer* vertices, VertexFormat format, IndexBuffer* indices,
                          uint32_t startIndex, uint32_t triangleCount)
{
    if (vertices && indices)
        GfxDrawIndexed(vertices->gfx, static_cast<GfxVertexFormat>(format), indices->gfx,
                       startIndex, triangleCount);
}

void DrawTriangleFan(VertexFormat format, const void* vertices, uint32_t triangleCount)
{
    GfxDrawFan(static_cast<GfxVertexFormat>(format), vertices, triangleCount);
}

void DrawQuadFans(VertexFormat format, const void* vertices, uint32_t quadCount)
{
    GfxDrawQuadFans(static_cast<GfxVertexFormat>(format), vertices, quadCount);
}

uint32_t DrawCallCount()
{
    return GfxDrawCalls();
}

Layer* CreateLayer()
{
    GfxLayer* gfx = GfxCreateLayer();
    if (!gfx)
        return nullptr;
    Layer* layer = new (std::nothrow) Layer{gfx};
    if (!layer)
        GfxReleaseLayer(gfx);
    return layer;
}

void ReleaseLayer(Layer* layer)
{
    if (!layer)
        return;
    GfxReleaseLayer(layer->gfx);
    delete layer;
}

int LayerFitsPicture(const Layer* layer)
{
    return layer && GfxLayerFits(layer->gfx);
}

int BeginLayer(Layer* layer)
{
    return layer && GfxBeginLayer(layer->gfx);
}

void EndLayer()
{
    GfxEndLayer();
}

void DrawLayer(const Layer* layer, const ScreenRect& drawn)
{
    const float rect[4] = {drawn.left, drawn.top, drawn.right, drawn.bottom};
    if (layer)
        GfxDrawLayer(layer->gfx, rect);
}

void FillPicture(uint32_t argb)
{
    GfxFillPicture(argb, 0.0f);
}

static GfxState ToGfxState(RenderState state)
{
    switch (state) {
    case RS_CULL_CCW:     return GFX_CULL_CCW;
    case RS_ALPHA_BLEND:  return GFX_ALPHA_BLEND;
    case RS_Z_ENABLE:     return GFX_Z_ENABLE;
    case RS_LIGHTING:     return GFX_LIGHTING;
    case RS_SPECULAR:     return GFX_SPECULAR;
    case RS_WIREFRAME:    return GFX_WIREFRAME;
    case RS_FLAT_SHADING: return GFX_FLAT_SHADE;
    case RS_NORMALIZE_NORMALS: return GFX_NORMALIZE_NORMALS;
    }
    return GFX_STATE_COUNT;
}

void SetRenderState(RenderState state, int value)
{
    GfxSetState(ToGfxState(state), value);
}

int GetRenderState(RenderState state)
{
    return GfxGetState(ToGfxState(state));
}

void SetTransform(TransformKind kind, const Matrix* m)
{
    static const GfxTransform kinds[] = {GFX_WORLD, GFX_VIEW, GFX_PROJECTION};
    GfxSetTransform(kinds[kind], m->m);
}

void SetMaterial(const Material* material)
{
    GfxMaterial gfx = {Colour(material->diffuse), Colour(material->ambient),
                       Colour(material->specular), Colour(material->emissive), material->power};
    GfxSetMaterial(&gfx);
}

int ReadBackBuffer(uint8_t* rgba)
{
    return GfxReadBackBuffer(rgba);
}

void PictureSize(int* width, int* height)
{
    GfxPictureSize(width, height);
}

int ReadPicture(uint8_t* rgba, int width, int height)
{
    return GfxReadPicture(rgba, width, height);
}

// ---------------------------------------------------------------------------
// [SECTION] Meshes
// ---------------------------------------------------------------------------

static_assert(sizeof(MeshFileVertex) == 32, "mesh vertex matches FVF_MESH");

// One subset per entry of subsets; indices are 32-bit.
static Mesh* CreateMesh(const MeshFileVertex* vertices, uint32_t vertexCount,
                        const uint32_t* indices, uint32_t indexCount,
                        const MeshSubset* subsets, uint32_t subsetCount)
{
    Mesh* mesh = new (std::nothrow) Mesh{};
    if (!mesh)
        return nullptr;
    mesh->vertices = GfxCreateVertexBuffer(vertexCount * sizeof(MeshFileVertex));
    mesh->indices = GfxCreateIndexBuffer(indexCount * 4, 32);
    mesh->subsets = static_cast<MeshSubset*>(malloc(subsetCount * sizeof(MeshSubset)));
    mesh->subsetCount = subsetCount;
    if (!mesh->vertices || !mesh->indices || !mesh->subsets ||
        !GfxWriteBuffer(mesh->vertices, 0, vertices, vertexCount * sizeof(MeshFileVertex)) ||
        !GfxWriteBuffer(mesh->indices, 0, indices, indexCount * 4)) {
        ReleaseMesh(mesh);
        return nullptr;
    }
    memcpy(mesh->subsets, subsets, subsetCount * sizeof(MeshSubset));
    return mesh;
}

static void CopyMaterials(const MeshFile& file, MeshMaterial* out)
{
    for (uint32_t k = 0; k < file.materialCount; ++k) {
        const MeshFileMaterial& in = file.materials[k];
        Material& m = out[k].material;
        memcpy(m.diffuse, in.diffuse, sizeof m.diffuse);
        memcpy(m.ambient, in.ambient, sizeof m.ambient);
        memcpy(m.specular, in.specular, sizeof m.specular);
        memcpy(m.emissive, in.emissive, sizeof m.emissive);
        m.power = in.power;
        memcpy(out[k].textureFile, in.textureFile, sizeof out[k].textureFile);
    }
}

Mesh* LoadMeshFromX(const char* pathUtf8, MeshMaterial** materials, uint32_t* materialCount)
{
    *materials = nullptr;
    *materialCount = 0;
    MeshFile file;
    if (!pathUtf8 || !SysLoadMeshFile(pathUtf8, &file))
        return nullptr;
    std::vector<MeshSubset> subsets(file.materialCount);
    for (uint32_t k = 0; k < file.materialCount; ++k)
        subsets[k] = {file.subsets[k].firstIndex, file.subsets[k].triangleCount};
    Mesh* mesh = CreateMesh(file.vertices, file.vertexCount, file.indices, file.indexCount,
                            subsets.data(), file.materialCount);
    MeshMaterial* list = static_cast<MeshMaterial*>(calloc(file.materialCount, sizeof(MeshMaterial)));
    if (mesh && list) {
        CopyMaterials(file, list);
        *materials = list;
        *materialCount = file.materialCount;
    } else {
        free(list);
        ReleaseMesh(mesh);
        mesh = nullptr;
    }
    SysFreeMeshFile(&file);
    return mesh;
}

void ReleaseMesh(Mesh* mesh)
{
    if (!mesh)
        return;
    GfxReleaseBuffer(mesh->vertices);
    GfxReleaseBuffer(mesh->indices);
    free(mesh->subsets);
    delete mesh;
}

uint32_t MeshSubsetCount(const Mesh* mesh)
{
    return mesh ? mesh->subsetCount : 0;
}

void DrawMeshSubset(const Mesh* mesh, uint32_t subset)
{
    if (!mesh || subset >= mesh->subsetCount || mesh->subsets[subset].triangleCount == 0)
        return;
    GfxDrawIndexed(mesh->vertices, GFX_FVF_LIT, mesh->indices,
                   mesh->subsets[subset].firstIndex, mesh->subsets[subset].triangleCount);
}

// ---------------------------------------------------------------------------
// [SECTION] Primitive meshes
// ---------------------------------------------------------------------------
// Convex shapes centred on the origin with unit half-extents, so a world
// matrix scaled by an object's half-size gives them its shape. Sphere and
// cylinder keep their axis along z. Front faces turn clockwise seen from
// outside, as culling of counter-clockwise faces expects.

namespace {

const float kPi = 3.14159265358979f;

struct MeshBuilder {
    std::vector<MeshFileVertex> vertices;
    std::vector<uint32_t> indices;
};

uint32_t AddVertex(MeshBuilder* b, float x, float y, float z, float nx, float ny, float nz)
{
    b->vertices.push_back({{x, y, z}, {nx, ny, nz}, 0.0f, 0.0f});
    return static_cast<uint32_t>(b->vertices.size() - 1);
}

// Every face of a convex shape around the origin faces away from it; the
// winding is chosen from that, so the builders need not track it.
void AddTriangle(MeshBuilder* b, uint32_t i0, uint32_t i1, uint32_t i2)
{
    const float* p0 = b->vertices[i0].position;
    const float* p1 = b->vertices[i1].position;
    const float* p2 = b->vertices[i2].position;
    Vec3 e1 = {p1[0] - p0[0], p1[1] - p0[1], p1[2] - p0[2]};
    Vec3 e2 = {p2[0] - p0[0], p2[1] - p0[1], p2[2] - p0[2]};
    Vec3 n = {e1.y * e2.z - e1.z * e2.y, e1.z * e2.x - e1.x * e2.z, e1.x * e2.y - e1.y * e2.x};
    float outward = n.x * (p0[0] + p1[0] + p2[0]) + n.y * (p0[1] + p1[1] + p2[1]) +
                    n.z * (p0[2] + p1[2] + p2[2]);
    b->indices.push_back(i0);
    b->indices.push_back(outward >= 0.0f ? i1 : i2);
    b->indices.push_back(outward >= 0.0f ? i2 : i1);
}

Mesh* FinishMesh(const MeshBuilder& b)
{
    MeshSubset whole = {0, static_cast<uint32_t>(b.indices.size() / 3)};
    return CreateMesh(b.vertices.data(), static_cast<uint32_t>(b.vertices.size()),
                      b.indices.data(), static_cast<uint32_t>(b.indices.size()), &whole, 1);
}

// Poles on the z axis, stacks - 1 rings of slices vertices between them.
Mesh* BuildSphere(float radius, int slices, int stacks)
{
    MeshBuilder b;
    uint32_t top = AddVertex(&b, 0, 0, radius, 0, 0, 1);
    for (int i = 1; i < stacks; ++i) {
        float theta = kPi * i / stacks;
        for (int j = 0; j < slices; ++j) {
            float phi = 2.0f * kPi * j / slices;
            float nx = sinf(theta) * cosf(phi), ny = sinf(theta) * sinf(phi), nz = cosf(theta);
            AddVertex(&b, radius * nx, radius * ny, radius * nz, nx, ny, nz);
        }
    }
    uint32_t bottom = AddVertex(&b, 0, 0, -radius, 0, 0, -1);
    auto ring = [&](int i, int j) { return 1 + (i - 1) * slices + (j % slices); };
    for (int j = 0; j < slices; ++j) {
        AddTriangle(&b, top, ring(1, j), ring(1, j + 1));
        for (int i = 1; i < stacks - 1; ++i) {
            AddTriangle(&b, ring(i, j), ring(i + 1, j), ring(i + 1, j + 1));
            AddTriangle(&b, ring(i, j), ring(i + 1, j + 1), ring(i, j + 1));
        }
        AddTriangle(&b, bottom, ring(stacks - 1, j), ring(stacks - 1, j + 1));
    }
    return FinishMesh(b);
}

// Four vertices per face so each face keeps its own normal.
Mesh* BuildBox()
{
    MeshBuilder b;
    for (int axis = 0; axis < 3; ++axis) {
        for (int sign = -1; sign <= 1; sign += 2) {
            int u = (axis + 1) % 3, v = (axis + 2) % 3;
            uint32_t corner[4];
            for (int k = 0; k < 4; ++k) {
                float p[3], n[3] = {0, 0, 0};
                p[axis] = static_cast<float>(sign);
                p[u] = (k == 0 || k == 3) ? -1.0f : 1.0f;
                p[v] = (k < 2) ? -1.0f : 1.0f;
                n[axis] = static_cast<float>(sign);
                corner[k] = AddVertex(&b, p[0], p[1], p[2], n[0], n[1], n[2]);
            }
            AddTriangle(&b, corner[0], corner[1], corner[2]);
            AddTriangle(&b, corner[0], corner[2], corner[3]);
        }
    }
    return FinishMesh(b);
}

// Side rings at both ends with radial normals, then a fan-shaped cap at each
// end with normals along the axis.
Mesh* BuildCylinder(float radius, float length, int slices)
{
    MeshBuilder b;
    float half = length * 0.5f;
    for (int j = 0; j < slices; ++j) {
        float phi = 2.0f * kPi * j / slices, c = cosf(phi), s = sinf(phi);
        AddVertex(&b, radius * c, radius * s, -half, c, s, 0);
        AddVertex(&b, radius * c, radius * s, half, c, s, 0);
    }
    for (int j = 0; j < slices; ++j) {
        uint32_t a0 = 2 * j, a1 = 2 * j + 1, b0 = 2 * ((j + 1) % slices), b1 = b0 + 1;
        AddTriangle(&b, a0, b0, b1);
        AddTriangle(&b, a0, b1, a1);
    }
    for (int end = -1; end <= 1; end += 2) {
        float z = half * end, nz = static_cast<float>(end);
        uint32_t centre = AddVertex(&b, 0, 0, z, 0, 0, nz);
        for (int j = 0; j < slices; ++j) {
            float phi = 2.0f * kPi * j / slices;
            AddVertex(&b, radius * cosf(phi), radius * sinf(phi), z, 0, 0, nz);
        }
        for (int j = 0; j < slices; ++j)
            AddTriangle(&b, centre, centre + 1 + j, centre + 1 + (j + 1) % slices);
    }
    return FinishMesh(b);
}

}  // namespace

// ---------------------------------------------------------------------------
// [SECTION] Start-up and shutdown
// ---------------------------------------------------------------------------

namespace {

void SetStartStates()
{
    GfxSetState(GFX_CULL_CCW, 1);
    GfxSetState(GFX_ALPHA_BLEND, 1);
    GfxSetState(GFX_Z_ENABLE, 1);
    MatrixPerspectiveFovLH(&renderer.projection, kPi / 4.0f, 1.0f, 10.0f, 2000.0f);
    GfxSetTransform(GFX_PROJECTION, renderer.projection.m);
    renderer.widening = 1.0f;
}

void SetLight0()
{
    Vec3 direction = {0.2f, -1.0f, 0.2f};
    Vec3Normalize(&renderer.lightDirection, &direction);
    GfxLight light = {};
    light.diffuse = {1, 1, 1, 1};
    light.specular = {1, 1, 1, 1};
    light.ambient = {0.6f, 0.6f, 0.6f, 1};
    light.direction[0] = renderer.lightDirection.x;
    light.direction[1] = renderer.lightDirection.y;
    light.direction[2] = renderer.lightDirection.z;
    GfxSetLight(&light);
    GfxSetState(GFX_LIGHTING, 1);
    GfxSetState(GFX_SPECULAR, 1);
}

void FillMaterials()
{
    renderer.terrainMaterial = {{1, 1, 1, 1}, {0.3f, 0.3f, 0.3f, 1}, {0, 0, 0, 1}, {0, 0, 0, 0}, 0};
    renderer.markerMaterial = {{0, 1, 0, 1}, {0, 1, 0, 1}, {0, 1, 0, 1}, {0, 0, 0, 0}, 0};
}

// A hollow column over the goal: the four side walls of the -1 ... 1 cube,
// opaque-ish at the foot (y = -1) and clear at the top.
void CreateMarker()
{
    TerrainVertex vertices[8];
    for (int k = 0; k < 8; ++k) {
        Vec3 p = {(k & 4) ? -1.0f : 1.0f, (k & 2) ? -1.0f : 1.0f, (k & 1) ? -1.0f : 1.0f};
        Vec3 n;
        Vec3Normalize(&n, &p);
        uint32_t colour = (k & 2) ? 0xA0FFFFFFu : 0x00FFFFFFu;
        vertices[k] = {p.x, p.y, p.z, n.x, n.y, n.z, colour, 0.0f, 0.0f};
    }
    static const uint16_t indices[24] = {4, 2, 0, 4, 6, 2, 0, 3, 1, 0, 2, 3,
                                         5, 6, 4, 5, 7, 6, 1, 7, 5, 1, 3, 7};
    renderer.markerVertices = CreateVertexBuffer(sizeof vertices);
    WriteVertexBuffer(renderer.markerVertices, vertices, sizeof vertices);
    renderer.markerIndices = CreateIndexBuffer(sizeof indices, 16);
    WriteIndexBuffer(renderer.markerIndices, indices, sizeof indices);
}

}  // namespace

int InitRenderer()
{
    if (renderer.ready)
        return 1;
    if (!GfxInit())
        return 0;
    renderer = {};
    renderer.ready = 1;
    SetStartStates();
    SetLight0();
    FillMaterials();
    renderer.sphere = BuildSphere(1.0f, 12, 9);
    renderer.box = BuildBox();
    renderer.cylinder = BuildCylinder(1.0f, 2.0f, 12);
    CreateMarker();
    return 1;
}

void ReleaseRenderer()
{
    ReleaseMesh(renderer.box);
    renderer.box = nullptr;
    ReleaseMesh(renderer.sphere);
    renderer.sphere = nullptr;
    ReleaseMesh(renderer.cylinder);
    renderer.cylinder = nullptr;
    ReleaseShapeMeshes();
    ReleaseVertexBuffer(renderer.markerVertices);
    renderer.markerVertices = nullptr;
    ReleaseIndexBuffer(renderer.markerIndices);
    renderer.markerIndices = nullptr;
}

void ShutdownDevice()
{
    if (!renderer.ready)
        return;
    ReleaseRenderer();
    GfxShutdown();
    renderer.ready = 0;
}

void SetPictureFill(int fill)
{
    GfxSetPictureFill(fill);
}

PictureSpan CurrentPictureSpan()
{
    float span[2];
    GfxPictureSpan(span);
    return {span[0], span[1]};
}

float PictureScale()
{
    int width = 0, height = 0, rect[4];
    float span[2];
    SysGetDrawableSize(&width, &height);
    GfxPictureLayout(width, height, 0, rect, span);
    return rect[3] > 0 ? rect[3] / 480.0f : 1.0f;
}

// A filled picture sees further to the sides at the same height: x shrinks
// by the frame's share of the picture's width.
void BeginScene()
{
    GfxClear(0xFF404040u, 1.0f);
    PictureSpan span = CurrentPictureSpan();
    float widening = 640.0f / (span.right - span.left);
    if (widening == renderer.widening)
        return;
    Matrix wide = renderer.projection;
    wide.m[0][0] *= widening;
    GfxSetTransform(GFX_PROJECTION, wide.m);
    renderer.widening = widening;
}

void ClearDepth()
{
    GfxClearDepth(1.0f);
}

void PresentScene()
{
    GfxPresent();
}

Mesh*           SphereMesh() { return renderer.sphere; }
Mesh*           BoxMesh() { return renderer.box; }
Mesh*           CylinderMesh() { return renderer.cylinder; }
VertexBuffer*   MarkerVertexBuffer() { return renderer.markerVertices; }
IndexBuffer*    MarkerIndexBuffer() { return renderer.markerIndices; }
const Material& TerrainMaterial() { return renderer.terrainMaterial; }
const Material& MarkerMaterial() { return renderer.markerMaterial; }
const Vec3&     LightDirection() { return renderer.lightDirection; }
const Matrix&   ProjectionMatrix() { return renderer.projection; }
