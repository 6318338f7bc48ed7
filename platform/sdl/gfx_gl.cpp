// The graphics device on OpenGL 3.3 core. Everything is drawn into a
// framebuffer object at the picture's real pixel size (the window's 4:3
// frame, or all of a wide window when filled); the 2D layer's 640 x 480
// units are scaled onto its frame by the shader. Presenting copies the
// picture into its place in the window with black bars round it.
//
// [SECTION] Objects and device record
// [SECTION] Start-up and shutdown
// [SECTION] States, transforms, light, material
// [SECTION] Textures and buffers
// [SECTION] Drawing
// [SECTION] Layers
// [SECTION] Present and read-back
#include "platform/gfx.h"
#include "platform/sys.h"
#include "platform/sdl/gl_shaders.h"

#include <epoxy/gl.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <new>
#include <vector>

// ---------------------------------------------------------------------------
// [SECTION] Objects and device record
// ---------------------------------------------------------------------------

struct GfxTexture {
    GLuint id;
};

struct GfxBuffer {
    GLuint   id;
    uint32_t bytes;
    int      indexBits;          // 0 for a vertex buffer
};

struct GfxLayer {
    GLuint fbo;
    GLuint colour;               // texture: premultiplied colour, alpha the coverage
    GLuint depth;                // renderbuffer, as the picture's
    int    width, height;        // the picture's when it was made
};

namespace {

enum Uniform {
    U_WORLD_VIEW, U_PROJECTION, U_NORMAL_MATRIX, U_SCREEN, U_LIGHTING, U_HAS_COLOUR,
    U_SPECULAR, U_NORMALIZE, U_BACK_SIZE, U_LIGHT_DIR, U_LIGHT_DIFFUSE, U_LIGHT_SPECULAR,
    U_LIGHT_AMBIENT, U_MAT_DIFFUSE, U_MAT_AMBIENT, U_MAT_SPECULAR, U_MAT_EMISSIVE,
    U_MAT_POWER, U_FLAT, U_TEXTURED, U_ADD_SPECULAR, U_TEXTURE, U_FRAME_SCALE, U_CENTRE, U_COUNT
};

const char* const kUniformNames[U_COUNT] = {
    "uWorldView", "uProjection", "uNormalMatrix", "uScreen", "uLighting", "uHasColour",
    "uSpecular", "uNormalize", "uBackSize", "uLightDir", "uLightDiffuse", "uLightSpecular",
    "uLightAmbient", "uMatDiffuse", "uMatAmbient", "uMatSpecular", "uMatEmissive",
    "uMatPower", "uFlat", "uTextured", "uAddSpecular", "uTexture", "uFrameScale", "uCentre"};

struct GlDevice {
    int         ready;                     // context made and objects created
    GLuint      program;                   // the fixed-function stand-in
    GLint       uniforms[U_COUNT];         // its uniform locations
    GLuint      vao;                       // one layout, re-pointed per draw
    GLuint      stream;                    // vertex buffer for user-memory draws
    GLuint      fbo, colour, depth;        // the picture's back buffer
    int         pictureRect[4];            // where it goes in the window: x, y, width, height
    int         fill;                      // the shape asked for: 1 fills a wide window
    GLuint      scratch, scratchColour;    // a picture scaled for read-back
    int         states[GFX_STATE_COUNT];   // as last set
    float       transforms[GFX_TRANSFORM_COUNT][4][4];
    GfxLight    light;                     // light 0 in world space
    GfxMaterial material;                  // current material
    GfxTexture* texture;                   // stage 0, null when none
    int         live;                      // textures and buffers not yet released
    uint32_t    draws;                     // draw calls since GfxInit
    GLuint      fanIndices;                // 0 1 2 3 restart 4 5 6 7 restart ...
    uint32_t    fanQuads;                  // quads fanIndices covers
    GLuint      layerProgram;              // lays a layer over the picture; 0 until the first
    GLuint      layerVao;                  // its attribute-less vertex layout
    GfxLayer*   layer;                     // drawing goes into it (GfxBeginLayer), or null
};
GlDevice gl;

typedef float Mat4[4][4];

const uint32_t kRestartIndex = 0xFFFFFFFFu;

// Row-vector product: a then b.
void Multiply(const Mat4 a, const Mat4 b, Mat4 out)
{
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            out[i][j] = a[i][0] * b[0][j] + a[i][1] * b[1][j] + a[i][2] * b[2][j] +
                        a[i][3] * b[3][j];
}

// Inverse transpose of the upper 3 x 3, the way normals must be carried for
// lighting to see the same surfaces. A singular matrix gives zero normals.
void NormalMatrix(const Mat4 m, float out[3][3])
{
    float c[3][3];
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) {
            int i1 = (i + 1) % 3, i2 = (i + 2) % 3, j1 = (j + 1) % 3, j2 = (j + 2) % 3;
            c[i][j] = m[i1][j1] * m[i2][j2] - m[i1][j2] * m[i2][j1];   // cofactor
        }
    float det = m[0][0] * c[0][0] + m[0][1] * c[0][1] + m[0][2] * c[0][2];
    float inv = det != 0.0f ? 1.0f / det : 0.0f;
    // inverse = transpose(cofactors) / det, so its transpose is cofactors / det.
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            out[i][j] = c[i][j] * inv;
}

}  // namespace

// ---------------------------------------------------------------------------
// [SECTION] Start-up and shutdown
// ---------------------------------------------------------------------------

namespace {

GLuint CompileShader(GLenum kind, const char* source)
{
    GLuint shader = glCreateShader(kind);
    glShaderSource(shader, 1, &source, nullptr);
    glCompileShader(shader);
    GLint ok = 0;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    if (!ok) {
        glDeleteShader(shader);
        return 0;
    }
    return shader;
}

// 0 when either shader fails or they do not link.
GLuint LinkProgram(const char* vertexSource, const char* fragmentSource)
{
    GLuint vs = CompileShader(GL_VERTEX_SHADER, vertexSource);
    GLuint fs = CompileShader(GL_FRAGMENT_SHADER, fragmentSource);
    GLuint program = 0;
    if (vs && fs) {
        program = glCreateProgram();
        glAttachShader(program, vs);
        glAttachShader(program, fs);
        glLinkProgram(program);
    }
    glDeleteShader(vs);
    glDeleteShader(fs);
    GLint ok = 0;
    if (program)
        glGetProgramiv(program, GL_LINK_STATUS, &ok);
    if (program && !ok) {
        glDeleteProgram(program);
        program = 0;
    }
    return program;
}

int CreateProgram()
{
    gl.program = LinkProgram(kVertexShader, kFragmentShader);
    if (!gl.program)
        return 0;
    for (int k = 0; k < U_COUNT; ++k)
        gl.uniforms[k] = glGetUniformLocation(gl.program, kUniformNames[k]);
    glUseProgram(gl.program);
    glUniform1i(gl.uniforms[U_TEXTURE], 0);
    glUniform2f(gl.uniforms[U_BACK_SIZE], GFX_BACK_WIDTH, GFX_BACK_HEIGHT);
    return 1;
}

// The frame's share of the picture's width (below 1 when it is filled), and
// half a pixel of the picture in 2D units (the shader's uCentre).
void SetFrameScale()
{
    int h = gl.pictureRect[3] > 0 ? gl.pictureRect[3] : 1;
    int w = gl.pictureRect[2] > 0 ? gl.pictureRect[2] : 1;
    float frameWidth = h * 4.0f / 3.0f;
    float unitsPerPixel = float(GFX_BACK_HEIGHT) / float(h);
    glUniform2f(gl.uniforms[U_FRAME_SCALE], frameWidth < w ? frameWidth / w : 1.0f, 1.0f);
    glUniform2f(gl.uniforms[U_CENTRE], 0.5f * unitsPerPixel, (0.5f - 1.0f / 64.0f) * unitsPerPixel);
}

// Sizes the back buffer to the picture the window wants now (the old
// contents go with a new size) and draws into all of it. 0 when a new size
// cannot be drawn into.
int FitBackBuffer()
{
    int width = 0, height = 0, rect[4];
    float span[2];
    SysGetDrawableSize(&width, &height);
    GfxPictureLayout(width > 0 ? width : 1, height > 0 ? height : 1, gl.fill, rect, span);
    bool resized = rect[2] != gl.pictureRect[2] || rect[3] != gl.pictureRect[3];
    memcpy(gl.pictureRect, rect, sizeof rect);
    glBindFramebuffer(GL_FRAMEBUFFER, gl.fbo);
    if (resized) {
        glBindRenderbuffer(GL_RENDERBUFFER, gl.colour);
        glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, rect[2], rect[3]);
        glBindRenderbuffer(GL_RENDERBUFFER, gl.depth);
        glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT24, rect[2], rect[3]);
        SetFrameScale();
    }
    glViewport(0, 0, rect[2], rect[3]);
    return !resized || glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
}

int CreateBackBuffer()
{
    glGenRenderbuffers(1, &gl.colour);
    glGenRenderbuffers(1, &gl.depth);
    glGenFramebuffers(1, &gl.fbo);
    glBindFramebuffer(GL_FRAMEBUFFER, gl.fbo);
    glBindRenderbuffer(GL_RENDERBUFFER, gl.colour);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, 1, 1);
    glBindRenderbuffer(GL_RENDERBUFFER, gl.depth);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT24, 1, 1);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, gl.colour);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, gl.depth);
    return FitBackBuffer();
}

void SetDefaults()
{
    static const float identity[4][4] = {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}};
    for (int t = 0; t < GFX_TRANSFORM_COUNT; ++t)
        GfxSetTransform(static_cast<GfxTransform>(t), identity);
    glFrontFace(GL_CW);
    glCullFace(GL_BACK);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glDepthFunc(GL_LEQUAL);
    // A flat triangle takes the colour of its first vertex.
    glProvokingVertex(GL_FIRST_VERTEX_CONVENTION);
    static const int defaults[GFX_STATE_COUNT] = {1, 1, 1, 1, 1, 0, 0, 0};
    for (int s = 0; s < GFX_STATE_COUNT; ++s)
        GfxSetState(static_cast<GfxState>(s), defaults[s]);
    GfxLight light = {};
    light.direction[1] = -1.0f;
    GfxSetLight(&light);
    GfxMaterial material = {};
    GfxSetMaterial(&material);
    GfxSetTexture(nullptr);
}

void SetClearColour(uint32_t argb)
{
    glClearColor(((argb >> 16) & 255) / 255.0f, ((argb >> 8) & 255) / 255.0f, (argb & 255) / 255.0f,
                 (argb >> 24) / 255.0f);
}

int32_t startBackdrop = -1;   // GfxSetStartBackdrop's colour; kept apart from `gl`, which GfxInit clears

// Straight into the window, no programs needed: clears cost a software
// renderer no compiled code.
void ShowStartBackdrop()
{
    int width = 0, height = 0, frame[4];
    SysGetDrawableSize(&width, &height);
    if (startBackdrop < 0 || width <= 0 || height <= 0)
        return;
    GfxLetterbox(width, height, frame);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glViewport(0, 0, width, height);
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glEnable(GL_SCISSOR_TEST);
    glScissor(frame[0], height - frame[1] - frame[3], frame[2], frame[3]);
    SetClearColour(0xFF000000u | uint32_t(startBackdrop));
    glClear(GL_COLOR_BUFFER_BIT);
    glDisable(GL_SCISSOR_TEST);
    SysSwapBuffers();
}

}  // namespace

void GfxSetStartBackdrop(int32_t rgb)
{
    startBackdrop = rgb;
}

int GfxInit()
{
    if (gl.ready)
        return 1;
    if (!SysCreateGLContext())
        return 0;
    ShowStartBackdrop();
    int live = gl.live;
    gl = {};
    gl.live = live;
    if (!CreateProgram() || !CreateBackBuffer()) {
        GfxShutdown();
        SysDestroyGLContext();
        return 0;
    }
    glGenVertexArrays(1, &gl.vao);
    glBindVertexArray(gl.vao);
    glGenBuffers(1, &gl.stream);
    gl.ready = 1;
    SetDefaults();
    return 1;
}

void GfxShutdown()
{
    if (gl.program)
        glDeleteProgram(gl.program);
    if (gl.vao)
        glDeleteVertexArrays(1, &gl.vao);
    if (gl.stream)
        glDeleteBuffers(1, &gl.stream);
    if (gl.fanIndices)
        glDeleteBuffers(1, &gl.fanIndices);
    if (gl.fbo)
        glDeleteFramebuffers(1, &gl.fbo);
    if (gl.colour)
        glDeleteRenderbuffers(1, &gl.colour);
    if (gl.depth)
        glDeleteRenderbuffers(1, &gl.depth);
    if (gl.scratch)
        glDeleteFramebuffers(1, &gl.scratch);
    if (gl.scratchColour)
        glDeleteRenderbuffers(1, &gl.scratchColour);
    if (gl.layerProgram)
        glDeleteProgram(gl.layerProgram);
    if (gl.layerVao)
        glDeleteVertexArrays(1, &gl.layerVao);
    int wasReady = gl.ready;
    int live = gl.live;
    gl = {};
    gl.live = live;
    if (wasReady)
        SysDestroyGLContext();
}

// ---------------------------------------------------------------------------
// [SECTION] States, transforms, light, material
// ---------------------------------------------------------------------------

namespace {

void Enable(GLenum cap, int on)
{
    if (on)
        glEnable(cap);
    else
        glDisable(cap);
}

// The light travels in world space; the shader lights in view space.
void UploadLightDirection()
{
    const float* d = gl.light.direction;
    const Mat4& v = gl.transforms[GFX_VIEW];
    float view[3];
    for (int j = 0; j < 3; ++j)
        view[j] = d[0] * v[0][j] + d[1] * v[1][j] + d[2] * v[2][j];
    glUniform3fv(gl.uniforms[U_LIGHT_DIR], 1, view);
}

void UploadWorldView()
{
    Mat4 worldView;
    Multiply(gl.transforms[GFX_WORLD], gl.transforms[GFX_VIEW], worldView);
    float normal[3][3];
    NormalMatrix(worldView, normal);
    // Row-vector matrices read column-major are the column-vector matrices
    // GLSL multiplies with, so no transpose is needed.
    glUniformMatrix4fv(gl.uniforms[U_WORLD_VIEW], 1, GL_FALSE, &worldView[0][0]);
    glUniformMatrix3fv(gl.uniforms[U_NORMAL_MATRIX], 1, GL_FALSE, &normal[0][0]);
}

}  // namespace

void GfxSetState(GfxState state, int value)
{
    if (!gl.ready || state < 0 || state >= GFX_STATE_COUNT)
        return;
    gl.states[state] = value;
    switch (state) {
    case GFX_CULL_CCW:          Enable(GL_CULL_FACE, value); break;
    case GFX_ALPHA_BLEND:       Enable(GL_BLEND, value); break;
    case GFX_Z_ENABLE:          Enable(GL_DEPTH_TEST, value); break;
    case GFX_LIGHTING:          glUniform1i(gl.uniforms[U_LIGHTING], value != 0); break;
    case GFX_SPECULAR:
        glUniform1i(gl.uniforms[U_SPECULAR], value != 0);
        glUniform1i(gl.uniforms[U_ADD_SPECULAR], value != 0);
        break;
    case GFX_WIREFRAME:         glPolygonMode(GL_FRONT_AND_BACK, value ? GL_LINE : GL_FILL); break;
    case GFX_FLAT_SHADE:        glUniform1i(gl.uniforms[U_FLAT], value != 0); break;
    case GFX_NORMALIZE_NORMALS: glUniform1i(gl.uniforms[U_NORMALIZE], value != 0); break;
    case GFX_STATE_COUNT:       break;
    }
}

int GfxGetState(GfxState state)
{
    return state >= 0 && state < GFX_STATE_COUNT ? gl.states[state] : 0;
}

void GfxSetTransform(GfxTransform which, const float m[4][4])
{
    if (!gl.ready || which < 0 || which >= GFX_TRANSFORM_COUNT)
        return;
    memcpy(gl.transforms[which], m, sizeof gl.transforms[which]);
    if (which == GFX_PROJECTION)
        glUniformMatrix4fv(gl.uniforms[U_PROJECTION], 1, GL_FALSE, &m[0][0]);
    else
        UploadWorldView();
    if (which == GFX_VIEW)
        UploadLightDirection();
}

void GfxSetLight(const GfxLight* light)
{
    if (!gl.ready)
        return;
    gl.light = *light;
    glUniform4fv(gl.uniforms[U_LIGHT_DIFFUSE], 1, &light->diffuse.r);
    glUniform4fv(gl.uniforms[U_LIGHT_SPECULAR], 1, &light->specular.r);
    glUniform4fv(gl.uniforms[U_LIGHT_AMBIENT], 1, &light->ambient.r);
    UploadLightDirection();
}

void GfxSetMaterial(const GfxMaterial* material)
{
    if (!gl.ready)
        return;
    gl.material = *material;
    glUniform4fv(gl.uniforms[U_MAT_DIFFUSE], 1, &material->diffuse.r);
    glUniform4fv(gl.uniforms[U_MAT_AMBIENT], 1, &material->ambient.r);
    glUniform4fv(gl.uniforms[U_MAT_SPECULAR], 1, &material->specular.r);
    glUniform4fv(gl.uniforms[U_MAT_EMISSIVE], 1, &material->emissive.r);
    glUniform1f(gl.uniforms[U_MAT_POWER], material->power);
}

// ---------------------------------------------------------------------------
// [SECTION] Textures and buffers
// ---------------------------------------------------------------------------

namespace {

// The next mip level: each texel the mean of the 2 x 2 it covers (the last
// row or column of an odd size joins its neighbour's).
void HalveLevel(const uint8_t* from, int width, int height, uint8_t* to, int toWidth, int toHeight)
{
    for (int y = 0; y < toHeight; ++y) {
        const uint8_t* row0 = from + size_t(std::min(2 * y, height - 1)) * width * 4;
        const uint8_t* row1 = from + size_t(std::min(2 * y + 1, height - 1)) * width * 4;
        uint8_t* out = to + size_t(y) * toWidth * 4;
        for (int x = 0; x < toWidth; ++x) {
            int x0 = std::min(2 * x, width - 1) * 4, x1 = std::min(2 * x + 1, width - 1) * 4;
            for (int c = 0; c < 4; ++c)
                out[x * 4 + c] = uint8_t((row0[x0 + c] + row0[x1 + c] + row1[x0 + c] + row1[x1 + c] + 2) >> 2);
        }
    }
}

// The levels below the first, made here rather than by the driver: a
// software one compiles its mip-making shaders at the first texture, which
// is most of the time to the game's first picture.
void UploadMipLevels(const uint8_t* rgba, int width, int height)
{
    std::vector<uint8_t> above(rgba, rgba + size_t(width) * height * 4), below;
    for (int level = 1; width > 1 || height > 1; ++level) {
        int w = std::max(1, width / 2), h = std::max(1, height / 2);
        below.resize(size_t(w) * h * 4);
        HalveLevel(above.data(), width, height, below.data(), w, h);
        glTexImage2D(GL_TEXTURE_2D, level, GL_RGBA8, w, h, 0, GL_RGBA, GL_UNSIGNED_BYTE, below.data());
        above.swap(below);
        width = w;
        height = h;
    }
}

}  // namespace

GfxTexture* GfxCreateTexture(const uint8_t* rgba, int width, int height)
{
    if (!gl.ready || !rgba || width <= 0 || height <= 0)
        return nullptr;
    GfxTexture* texture = new (std::nothrow) GfxTexture{0};
    if (!texture)
        return nullptr;
    glGenTextures(1, &texture->id);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, texture->id);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    while (glGetError() != GL_NO_ERROR) {
    }
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
    // Too large for this GL, or out of memory: a failed texture, not a blank one.
    if (glGetError() != GL_NO_ERROR) {
        glBindTexture(GL_TEXTURE_2D, gl.texture ? gl.texture->id : 0);
        glDeleteTextures(1, &texture->id);
        delete texture;
        return nullptr;
    }
    UploadMipLevels(rgba, width, height);
    // Linear between mip levels and when magnifying; the minifying filter
    // inside a level stays at point sampling, as the game always had it.
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST_MIPMAP_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    glBindTexture(GL_TEXTURE_2D, gl.texture ? gl.texture->id : 0);
    ++gl.live;
    return texture;
}

void GfxReleaseTexture(GfxTexture* texture)
{
    if (!texture)
        return;
    if (gl.texture == texture)
        GfxSetTexture(nullptr);
    if (gl.ready)
        glDeleteTextures(1, &texture->id);
    delete texture;
    --gl.live;
}

void GfxSetTexture(GfxTexture* texture)
{
    gl.texture = texture;
    if (!gl.ready)
        return;
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, texture ? texture->id : 0);
    glUniform1i(gl.uniforms[U_TEXTURED], texture != nullptr);
}

static GfxBuffer* NewBuffer(uint32_t bytes, int indexBits)
{
    if (!gl.ready || bytes == 0)
        return nullptr;
    GfxBuffer* buffer = new (std::nothrow) GfxBuffer{0, bytes, indexBits};
    if (!buffer)
        return nullptr;
    glGenBuffers(1, &buffer->id);
    glBindBuffer(GL_ARRAY_BUFFER, buffer->id);
    while (glGetError() != GL_NO_ERROR) {
    }
    glBufferData(GL_ARRAY_BUFFER, bytes, nullptr, GL_STATIC_DRAW);
    if (glGetError() != GL_NO_ERROR) {
        glDeleteBuffers(1, &buffer->id);
        delete buffer;
        return nullptr;
    }
    ++gl.live;
    return buffer;
}

GfxBuffer* GfxCreateVertexBuffer(uint32_t bytes) { return NewBuffer(bytes, 0); }

GfxBuffer* GfxCreateIndexBuffer(uint32_t bytes, int indexBits)
{
    return indexBits == 16 || indexBits == 32 ? NewBuffer(bytes, indexBits) : nullptr;
}

int GfxWriteBuffer(GfxBuffer* buffer, uint32_t offset, const void* data, uint32_t bytes)
{
    if (!gl.ready || !buffer || !data || offset > buffer->bytes || bytes > buffer->bytes - offset)
        return 0;
    glBindBuffer(GL_ARRAY_BUFFER, buffer->id);
    glBufferSubData(GL_ARRAY_BUFFER, offset, bytes, data);
    return 1;
}

void GfxReleaseBuffer(GfxBuffer* buffer)
{
    if (!buffer)
        return;
    if (gl.ready)
        glDeleteBuffers(1, &buffer->id);
    delete buffer;
    --gl.live;
}

// ---------------------------------------------------------------------------
// [SECTION] Drawing
// ---------------------------------------------------------------------------

namespace {

void Attribute(GLuint slot, GLint size, GLenum type, GLboolean norm, GLsizei stride, int offset)
{
    glEnableVertexAttribArray(slot);
    glVertexAttribPointer(slot, size, type, norm, stride,
                          reinterpret_cast<const void*>(static_cast<intptr_t>(offset)));
}

// Points the vertex layout at the bound GL_ARRAY_BUFFER and tells the shader
// what the format carries.
void UseFormat(GfxVertexFormat format)
{
    for (GLuint slot = 0; slot < 4; ++slot)
        glDisableVertexAttribArray(slot);
    glVertexAttrib4f(GL_ATTR_POSITION, 0, 0, 0, 1);
    glVertexAttrib3f(GL_ATTR_NORMAL, 0, 0, 0);
    glVertexAttrib4f(GL_ATTR_COLOUR, 1, 1, 1, 1);
    glVertexAttrib2f(GL_ATTR_UV, 0, 0);
    switch (format) {
    case GFX_FVF_LIT_COLOURED:
        Attribute(GL_ATTR_POSITION, 3, GL_FLOAT, GL_FALSE, 36, 0);
        Attribute(GL_ATTR_NORMAL, 3, GL_FLOAT, GL_FALSE, 36, 12);
        Attribute(GL_ATTR_COLOUR, GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE, 36, 24);
        Attribute(GL_ATTR_UV, 2, GL_FLOAT, GL_FALSE, 36, 28);
        break;
    case GFX_FVF_LIT:
        Attribute(GL_ATTR_POSITION, 3, GL_FLOAT, GL_FALSE, 32, 0);
        Attribute(GL_ATTR_NORMAL, 3, GL_FLOAT, GL_FALSE, 32, 12);
        Attribute(GL_ATTR_UV, 2, GL_FLOAT, GL_FALSE, 32, 24);
        break;
    case GFX_FVF_SCREEN:
        Attribute(GL_ATTR_POSITION, 4, GL_FLOAT, GL_FALSE, 28, 0);
        Attribute(GL_ATTR_COLOUR, GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE, 28, 16);
        Attribute(GL_ATTR_UV, 2, GL_FLOAT, GL_FALSE, 28, 20);
        break;
    }
    glUniform1i(gl.uniforms[U_SCREEN], format == GFX_FVF_SCREEN);
    glUniform1i(gl.uniforms[U_HAS_COLOUR], format != GFX_FVF_LIT);
}

uint32_t VertexSize(GfxVertexFormat format)
{
    return format == GFX_FVF_LIT_COLOURED ? 36 : format == GFX_FVF_LIT ? 32 : 28;
}

}  // namespace

void GfxClear(uint32_t argb, float depth)
{
    if (!gl.ready)
        return;
    FitBackBuffer();
    GfxFillPicture(argb, depth);
}

void GfxClearDepth(float depth)
{
    if (!gl.ready)
        return;
    glBindFramebuffer(GL_FRAMEBUFFER, gl.layer ? gl.layer->fbo : gl.fbo);
    glDepthMask(GL_TRUE);
    glClearDepth(depth);
    glClear(GL_DEPTH_BUFFER_BIT);
}

void GfxFillPicture(uint32_t argb, float depth)
{
    if (!gl.ready)
        return;
    glDepthMask(GL_TRUE);
    SetClearColour(argb);
    glClearDepth(depth);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

void GfxDrawIndexed(GfxBuffer* vertices, GfxVertexFormat format, GfxBuffer* indices,
                    uint32_t startIndex, uint32_t triangleCount)
{
    if (!gl.ready || !vertices || !indices || indices->indexBits == 0 || triangleCount == 0)
        return;
    uint32_t indexSize = indices->indexBits / 8;
    uint64_t end = (static_cast<uint64_t>(startIndex) + 3ull * triangleCount) * indexSize;
    if (end > indices->bytes)
        return;
    glBindBuffer(GL_ARRAY_BUFFER, vertices->id);
    UseFormat(format);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, indices->id);
    glDrawElements(GL_TRIANGLES, 3 * triangleCount,
                   indexSize == 2 ? GL_UNSIGNED_SHORT : GL_UNSIGNED_INT,
                   reinterpret_cast<const void*>(static_cast<uintptr_t>(startIndex) * indexSize));
    ++gl.draws;
}

void GfxDrawFan(GfxVertexFormat format, const void* vertices, uint32_t triangleCount)
{
    if (!gl.ready || !vertices || triangleCount == 0)
        return;
    uint32_t count = triangleCount + 2;
    glBindBuffer(GL_ARRAY_BUFFER, gl.stream);
    glBufferData(GL_ARRAY_BUFFER, count * VertexSize(format), vertices, GL_STREAM_DRAW);
    UseFormat(format);
    glDrawArrays(GL_TRIANGLE_FAN, 0, count);
    ++gl.draws;
}

// Fans split by the restart index: the driver cuts them into triangles just as
// it does separate fan draws, so edges on pixel centres fall the same way.
static void EnsureFanIndices(uint32_t quadCount)
{
    if (quadCount <= gl.fanQuads)
        return;
    uint32_t quads = gl.fanQuads ? gl.fanQuads : 256;
    while (quads < quadCount)
        quads *= 2;
    std::vector<uint32_t> indices(static_cast<size_t>(quads) * 5);
    for (uint32_t q = 0; q < quads; ++q)
        for (uint32_t k = 0; k < 5; ++k)
            indices[q * 5 + k] = k < 4 ? q * 4 + k : kRestartIndex;
    if (!gl.fanIndices)
        glGenBuffers(1, &gl.fanIndices);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, gl.fanIndices);
    glBufferData(GL_ELEMENT_ARRAY_BUFFER, indices.size() * 4, indices.data(), GL_STATIC_DRAW);
    gl.fanQuads = quads;
}

void GfxDrawQuadFans(GfxVertexFormat format, const void* vertices, uint32_t quadCount)
{
    if (!gl.ready || !vertices || quadCount == 0 || quadCount > (1u << 26))
        return;
    glBindBuffer(GL_ARRAY_BUFFER, gl.stream);
    glBufferData(GL_ARRAY_BUFFER, 4 * quadCount * VertexSize(format), vertices, GL_STREAM_DRAW);
    UseFormat(format);
    EnsureFanIndices(quadCount);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, gl.fanIndices);
    glEnable(GL_PRIMITIVE_RESTART);
    glPrimitiveRestartIndex(kRestartIndex);
    glDrawElements(GL_TRIANGLE_FAN, 5 * quadCount - 1, GL_UNSIGNED_INT, nullptr);
    glDisable(GL_PRIMITIVE_RESTART);
    ++gl.draws;
}

// ---------------------------------------------------------------------------
// [SECTION] Layers
// ---------------------------------------------------------------------------

namespace {

// Made with the first layer drawn, as few pictures need one.
int EnsureLayerProgram()
{
    if (gl.layerProgram)
        return 1;
    gl.layerProgram = LinkProgram(kLayerVertexShader, kLayerFragmentShader);
    if (!gl.layerProgram)
        return 0;
    glUseProgram(gl.layerProgram);
    glUniform1i(glGetUniformLocation(gl.layerProgram, "uLayer"), 0);
    glUseProgram(gl.program);
    glGenVertexArrays(1, &gl.layerVao);
    return 1;
}

void DeleteLayerObjects(GfxLayer* layer)
{
    glDeleteFramebuffers(1, &layer->fbo);
    glDeleteTextures(1, &layer->colour);
    glDeleteRenderbuffers(1, &layer->depth);
}

// A rectangle in 2D units as whole pixels of the picture, rows counted from
// the bottom as GL counts them (x0, y0, x1, y1), a pixel wider all round for
// the half-pixel centring and rounding; false when nothing of it is inside.
bool PixelBox(const float rect[4], int box[4])
{
    int w = gl.pictureRect[2], h = gl.pictureRect[3];
    float scale = float(h) / GFX_BACK_HEIGHT;
    float left = (float(w) - GFX_BACK_WIDTH * scale) / 2;   // where the frame's x = 0 lies
    int x0 = int(std::floor(left + rect[0] * scale)) - 1, x1 = int(std::ceil(left + rect[2] * scale)) + 1;
    int y0 = h - int(std::ceil(rect[3] * scale)) - 1, y1 = h - int(std::floor(rect[1] * scale)) + 1;
    box[0] = x0 < 0 ? 0 : x0;
    box[1] = y0 < 0 ? 0 : y0;
    box[2] = x1 > w ? w : x1;
    box[3] = y1 > h ? h : y1;
    return box[0] < box[2] && box[1] < box[3];
}

// The states GfxDrawLayer changed, back as the game set them.
void RestoreStates()
{
    Enable(GL_DEPTH_TEST, gl.states[GFX_Z_ENABLE]);
    Enable(GL_CULL_FACE, gl.states[GFX_CULL_CCW]);
    Enable(GL_BLEND, gl.states[GFX_ALPHA_BLEND]);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glPolygonMode(GL_FRONT_AND_BACK, gl.states[GFX_WIREFRAME] ? GL_LINE : GL_FILL);
    glBindTexture(GL_TEXTURE_2D, gl.texture ? gl.texture->id : 0);
    glBindVertexArray(gl.vao);
    glUseProgram(gl.program);
}

}  // namespace

GfxLayer* GfxCreateLayer()
{
    if (!gl.ready || !EnsureLayerProgram())
        return nullptr;
    GfxLayer* layer = new (std::nothrow) GfxLayer{0, 0, 0, gl.pictureRect[2], gl.pictureRect[3]};
    if (!layer)
        return nullptr;
    glGenTextures(1, &layer->colour);
    glBindTexture(GL_TEXTURE_2D, layer->colour);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, layer->width, layer->height, 0, GL_RGBA,
                 GL_UNSIGNED_BYTE, nullptr);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glBindTexture(GL_TEXTURE_2D, gl.texture ? gl.texture->id : 0);
    glGenRenderbuffers(1, &layer->depth);
    glBindRenderbuffer(GL_RENDERBUFFER, layer->depth);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT24, layer->width, layer->height);
    glGenFramebuffers(1, &layer->fbo);
    glBindFramebuffer(GL_FRAMEBUFFER, layer->fbo);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, layer->colour, 0);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, layer->depth);
    bool complete = glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
    glBindFramebuffer(GL_FRAMEBUFFER, gl.fbo);
    if (!complete) {
        DeleteLayerObjects(layer);
        delete layer;
        return nullptr;
    }
    ++gl.live;
    return layer;
}

void GfxReleaseLayer(GfxLayer* layer)
{
    if (!layer)
        return;
    if (gl.layer == layer)
        GfxEndLayer();
    if (gl.ready)
        DeleteLayerObjects(layer);
    delete layer;
    --gl.live;
}

int GfxLayerFits(const GfxLayer* layer)
{
    return gl.ready && layer && layer->width == gl.pictureRect[2] && layer->height == gl.pictureRect[3];
}

// Colour goes in premultiplied by its alpha and the alpha adds up as
// coverage, so laying it over with (1, 1 - alpha) is source-alpha blending
// of the same fragments onto the picture.
int GfxBeginLayer(GfxLayer* layer)
{
    if (!GfxLayerFits(layer))
        return 0;
    glBindFramebuffer(GL_FRAMEBUFFER, layer->fbo);
    glDepthMask(GL_TRUE);
    glClearColor(0, 0, 0, 0);
    glClearDepth(1.0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glBlendFuncSeparate(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA, GL_ONE, GL_ONE_MINUS_SRC_ALPHA);
    gl.layer = layer;
    return 1;
}

void GfxEndLayer()
{
    if (!gl.ready || !gl.layer)
        return;
    glBindFramebuffer(GL_FRAMEBUFFER, gl.fbo);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    gl.layer = nullptr;
}

void GfxDrawLayer(const GfxLayer* layer, const float rect[4])
{
    if (!GfxLayerFits(layer) || gl.layer)
        return;
    int box[4];
    if (!PixelBox(rect, box))
        return;
    glBindFramebuffer(GL_READ_FRAMEBUFFER, layer->fbo);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, gl.fbo);
    glBlitFramebuffer(box[0], box[1], box[2], box[3], box[0], box[1], box[2], box[3],
                      GL_DEPTH_BUFFER_BIT, GL_NEAREST);
    glBindFramebuffer(GL_FRAMEBUFFER, gl.fbo);
    glEnable(GL_SCISSOR_TEST);
    glScissor(box[0], box[1], box[2] - box[0], box[3] - box[1]);
    glUseProgram(gl.layerProgram);
    glBindVertexArray(gl.layerVao);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, layer->colour);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    glEnable(GL_BLEND);
    glBlendFunc(GL_ONE, GL_ONE_MINUS_SRC_ALPHA);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glDrawArrays(GL_TRIANGLES, 0, 3);
    glDisable(GL_SCISSOR_TEST);
    RestoreStates();
    ++gl.draws;
}

// ---------------------------------------------------------------------------
// [SECTION] Present and read-back
// ---------------------------------------------------------------------------


void GfxPresent()
{
    if (!gl.ready)
        return;
    int width = 0, height = 0;
    SysGetDrawableSize(&width, &height);
    const int* r = gl.pictureRect;
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, gl.fbo);
    glViewport(0, 0, width, height);
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    // Pixel for pixel: the picture was drawn at its size on the screen. Rows
    // count from the bottom here.
    int y = height - r[1] - r[3];
    glBlitFramebuffer(0, 0, r[2], r[3], r[0], y, r[0] + r[2], y + r[3], GL_COLOR_BUFFER_BIT, GL_NEAREST);
    SysSwapBuffers();
    glBindFramebuffer(GL_FRAMEBUFFER, gl.fbo);
    glViewport(0, 0, r[2], r[3]);
}

void GfxSetPictureFill(int fill)
{
    gl.fill = fill ? 1 : 0;
}

void GfxPictureSpan(float span[2])
{
    int width = 0, height = 0, rect[4];
    SysGetDrawableSize(&width, &height);
    GfxPictureLayout(width, height, gl.fill, rect, span);
}

void GfxPictureSize(int* width, int* height)
{
    *width = gl.ready ? gl.pictureRect[2] : GFX_BACK_WIDTH;
    *height = gl.ready ? gl.pictureRect[3] : GFX_BACK_HEIGHT;
}

namespace {

// The picture scaled into the scratch buffer of width x height, bound for
// reading.
void ScalePictureForReading(int width, int height)
{
    if (!gl.scratch) {
        glGenFramebuffers(1, &gl.scratch);
        glGenRenderbuffers(1, &gl.scratchColour);
    }
    glBindRenderbuffer(GL_RENDERBUFFER, gl.scratchColour);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, width, height);
    glBindFramebuffer(GL_FRAMEBUFFER, gl.scratch);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, gl.scratchColour);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, gl.fbo);
    glBlitFramebuffer(0, 0, gl.pictureRect[2], gl.pictureRect[3], 0, 0, width, height,
                      GL_COLOR_BUFFER_BIT, GL_LINEAR);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, gl.scratch);
}

}  // namespace

int GfxReadPicture(uint8_t* rgba, int width, int height)
{
    if (!gl.ready || !rgba || width <= 0 || height <= 0)
        return 0;
    bool scaled = width != gl.pictureRect[2] || height != gl.pictureRect[3];
    if (scaled)
        ScalePictureForReading(width, height);
    else
        glBindFramebuffer(GL_FRAMEBUFFER, gl.fbo);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
    glBindFramebuffer(GL_FRAMEBUFFER, gl.fbo);
    // GL hands rows bottom-up; callers get the top row first.
    const size_t stride = size_t(width) * 4;
    std::vector<uint8_t> row(stride);
    for (int top = 0, bottom = height - 1; top < bottom; ++top, --bottom) {
        memcpy(row.data(), rgba + top * stride, stride);
        memcpy(rgba + top * stride, rgba + bottom * stride, stride);
        memcpy(rgba + bottom * stride, row.data(), stride);
    }
    return 1;
}

int GfxReadBackBuffer(uint8_t* rgba)
{
    return GfxReadPicture(rgba, GFX_BACK_WIDTH, GFX_BACK_HEIGHT);
}

int GfxLiveObjects() { return gl.live; }
uint32_t GfxDrawCalls() { return gl.draws; }
