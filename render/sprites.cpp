// The sprite layer. Quads are kept in queuing order in one array that keeps
// its capacity from frame to frame; the flush sorts an index array back to
// front (equal depths in queuing order) and sends every run of quads that
// share texture and blend as one draw of fans, so a frame of sprites costs
// no allocation once the arrays have grown to the game's usual load.
#include "render/sprites.h"
#include "render/sprites_local.h"

#include "render/sprite_sheets.h"
#include "render/device.h"

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

namespace {

struct QueuedQuad {
    Texture* texture;            // null draws the vertex colours alone
    int32_t depth;               // larger is farther back
    int32_t alphaBlend;          // 1: drawn with alpha blending
    SpriteVertex corners[4];     // fan order
};

struct SpriteQueue {
    std::vector<QueuedQuad> quads;       // this frame's quads, in queuing order
    std::vector<QueuedQuad> kept;        // the last logic step's quads (KeepSprites)
    std::vector<uint32_t> drawOrder;     // indices into the quads drawn, back to front
    std::vector<SpriteVertex> run;       // corners of the run being drawn, four a quad
};
SpriteQueue queue;

// A plain quad whose four corners are opaque gives the same pixels with
// blending as without; unblended, the rasteriser writes whole tiles (a
// full-screen background costs a fraction of the time on a software one).
bool BlendNeeded(const Texture* texture, const SpriteVertex corners[4])
{
    if (texture)
        return true;
    for (int k = 0; k < 4; ++k)
        if ((corners[k].colour >> 24) != 0xFFu)
            return true;
    return false;
}

void Push(Texture* texture, const SpriteVertex corners[4], int32_t depth)
{
    int32_t blend = BlendNeeded(texture, corners) ? 1 : 0;
    queue.quads.push_back({texture, depth, blend, {corners[0], corners[1], corners[2], corners[3]}});
}

void SortBackToFront(const std::vector<QueuedQuad>& quads)
{
    queue.drawOrder.resize(quads.size());
    for (uint32_t i = 0; i < quads.size(); ++i)
        queue.drawOrder[i] = i;
    // The index breaks ties, so equal depths keep their queuing order
    // without a stable sort (which would want a scratch buffer).
    std::sort(queue.drawOrder.begin(), queue.drawOrder.end(), [&quads](uint32_t a, uint32_t b) {
        return quads[a].depth != quads[b].depth ? quads[a].depth > quads[b].depth : a < b;
    });
}

// Draws the quads from drawOrder[first] on that share its texture and blend;
// returns the index after the run.
size_t DrawRun(const std::vector<QueuedQuad>& quads, size_t first)
{
    const QueuedQuad& head = quads[queue.drawOrder[first]];
    size_t end = first;
    queue.run.clear();
    while (end < queue.drawOrder.size()) {
        const QueuedQuad& q = quads[queue.drawOrder[end]];
        if (q.texture != head.texture || q.alphaBlend != head.alphaBlend)
            break;
        queue.run.insert(queue.run.end(), q.corners, q.corners + 4);
        ++end;
    }
    DrawQuadFans(FVF_SCREEN, queue.run.data(), static_cast<uint32_t>(end - first));
    return end;
}

void CellCoordinates(const SpriteSheet* sheet, uint32_t cell, float* uL, float* uR, float* vT, float* vB)
{
    if (!sheet) {
        *uL = *vT = 0;
        *uR = *vB = 1;
        return;
    }
    const uint32_t columns = static_cast<uint32_t>(sheet->columns);
    const uint32_t rows = static_cast<uint32_t>(sheet->rows);
    // Cells past the last row go on downwards; the sheet does not wrap.
    *uL = static_cast<float>(cell % columns) / static_cast<float>(columns);
    *uR = *uL + 1.0f / static_cast<float>(columns);
    *vT = static_cast<float>(cell / columns) / static_cast<float>(rows);
    *vB = *vT + 1.0f / static_cast<float>(rows);
}

}  // namespace

int DrawSprite(int32_t sheet, uint32_t cell, uint32_t colour, float rotation,
               int32_t depth, uint32_t flip, float x, float y, float width, float height)
{
    // Null for a number outside the sheets (by convention -1): no texture.
    const SpriteSheet* picture = UseSheet(sheet);
    if (picture && !picture->texture)
        return 1;   // its picture failed to load: left out, not a block of colour
    float uL, uR, vT, vB;
    CellCoordinates(picture, cell, &uL, &uR, &vT, &vB);
    if (flip & FLIP_HORIZONTAL)
        std::swap(uL, uR);
    if (flip & FLIP_VERTICAL)
        std::swap(vT, vB);
    const float hw = width * 0.5f, hh = height * 0.5f;
    SpriteVertex c[4] = {{hw, hh, 0, 1, colour, uR, vB},
                         {-hw, hh, 0, 1, colour, uL, vB},
                         {-hw, -hh, 0, 1, colour, uL, vT},
                         {hw, -hh, 0, 1, colour, uR, vT}};
    if (rotation != 0) {
        const float cs = std::cos(rotation), sn = std::sin(rotation);
        for (SpriteVertex& v : c) {
            const float rx = v.x * cs - v.y * sn, ry = v.x * sn + v.y * cs;
            v.x = rx;
            v.y = ry;
        }
    }
    for (SpriteVertex& v : c) {
        v.x += x;
        v.y += y;
    }
    Push(picture ? picture->texture : nullptr, c, depth);
    return 1;
}

void QueueQuad(Texture* texture, const SpriteVertex vertices[4], int32_t depth)
{
    Push(texture, vertices, depth);
}

namespace {

// One colour, opaque, untextured, at depth 0, an upright rectangle over the
// whole picture: it hides everything drawn before it.
bool CoversPicture(const QueuedQuad& q, const PictureSpan& span)
{
    if (q.alphaBlend || q.texture)
        return false;
    float left = q.corners[0].x, right = left, top = q.corners[0].y, bottom = top;
    for (const SpriteVertex& v : q.corners) {
        if (v.colour != q.corners[0].colour || v.z != 0 || v.rhw != 1)
            return false;
        left = std::min(left, v.x);
        right = std::max(right, v.x);
        top = std::min(top, v.y);
        bottom = std::max(bottom, v.y);
    }
    for (const SpriteVertex& v : q.corners)
        if ((v.x != left && v.x != right) || (v.y != top && v.y != bottom))
            return false;
    return left <= span.left && right >= span.right && top <= 0 && bottom >= 480;
}

// Where drawing starts in drawOrder: after the frontmost quad that covers the
// picture, which becomes a fill of the picture (the same pixels and depth,
// for a fraction of the time on a software rasteriser), or at 0.
size_t DrawBackdrop(const std::vector<QueuedQuad>& quads)
{
    if (queue.drawOrder.empty() || !GetRenderState(RS_Z_ENABLE))
        return 0;
    PictureSpan span = CurrentPictureSpan();
    for (size_t i = queue.drawOrder.size(); i-- > 0;) {
        const QueuedQuad& q = quads[queue.drawOrder[i]];
        if (CoversPicture(q, span)) {
            FillPicture(q.corners[0].colour);
            return i + 1;
        }
    }
    return 0;
}

// Back to front, in runs of one texture and blend.
void DrawQuads(const std::vector<QueuedQuad>& quads)
{
    SetRenderState(RS_LIGHTING, 0);
    SetTexture(nullptr);
    SortBackToFront(quads);
    Texture* bound = nullptr;
    int32_t blend = -1;   // the first run always sets blending
    for (size_t i = DrawBackdrop(quads); i < queue.drawOrder.size();) {
        const QueuedQuad& q = quads[queue.drawOrder[i]];
        if (q.alphaBlend != blend) {
            blend = q.alphaBlend;
            SetRenderState(RS_ALPHA_BLEND, blend);
        }
        if (q.texture != bound) {
            bound = q.texture;
            SetTexture(bound);
        }
        i = DrawRun(quads, i);
    }
    queue.drawOrder.clear();
    if (blend == 0)
        SetRenderState(RS_ALPHA_BLEND, 1);   // the device's default, which the 3D parts expect
    SetTexture(nullptr);
    SetRenderState(RS_LIGHTING, 1);
}

}  // namespace

int QueuedSpritesInDrawOrder(QueuedSprite* out, int max)
{
    SortBackToFront(queue.quads);
    const int n = static_cast<int>(queue.drawOrder.size());
    for (int i = 0; i < n && i < max; ++i) {
        const QueuedQuad& q = queue.quads[queue.drawOrder[i]];
        out[i].texture = q.texture;
        out[i].depth = q.depth;
        std::copy(q.corners, q.corners + 4, out[i].corners);
    }
    return n;
}

void FlushSprites()
{
    DrawQuads(queue.quads);
    queue.quads.clear();
}

void KeepSprites()
{
    std::swap(queue.kept, queue.quads);
    queue.quads.clear();
}

void DrawKeptSprites()
{
    DrawQuads(queue.kept);
}

void ForgetKeptSprites()
{
    queue.kept.clear();
}

void DrawFrame(int32_t sheet, int32_t depth, float b, uint32_t colour,
               float left, float top, float right, float bottom)
{
    const float h = b / 2, w = right - left, ht = bottom - top;
    const float cx = (left + right) / 2, cy = (top + bottom) / 2;
    DrawSprite(sheet, 0, colour, 0, depth, 0, left - h, top - h, b, b);
    DrawSprite(sheet, 0, colour, 0, depth, FLIP_HORIZONTAL, right + h, top - h, b, b);
    DrawSprite(sheet, 0, colour, 0, depth, FLIP_VERTICAL, left - h, bottom + h, b, b);
    DrawSprite(sheet, 0, colour, 0, depth, FLIP_VERTICAL | FLIP_HORIZONTAL, right + h, bottom + h, b, b);
    if (w > 0) {
        DrawSprite(sheet, 1, colour, 0, depth, 0, cx, top - h, w, b);
        DrawSprite(sheet, 1, colour, 0, depth, FLIP_VERTICAL, cx, bottom + h, w, b);
    }
    if (ht > 0) {
        DrawSprite(sheet, 3, colour, 0, depth, 0, left - h, cy, b, ht);
        DrawSprite(sheet, 3, colour, 0, depth, FLIP_HORIZONTAL, right + h, cy, b, ht);
    }
    DrawSprite(sheet, 4, colour, 0, depth, 0, cx, cy, w, ht);
}

void InitMenuPanel(MenuPanel* panel, float left, float top, float right, float bottom,
                   float border, int frames)
{
    panel->left = left;
    panel->top = top;
    panel->right = right;
    panel->bottom = bottom;
    panel->sheet = 2;
    panel->border = border;
    panel->openX = 0;
    panel->openY = 0;
    // No frames per stage means no animation, not an endless step.
    panel->step = frames > 0 ? 1.0f / static_cast<float>(frames) : 1.0f;
    panel->colour = 0xFFFFFFFF;
    panel->depth = DEPTH_PANEL;
    panel->phase = PANEL_OPENING;
}

void UpdateMenuPanel(MenuPanel* p)
{
    if (p->phase == PANEL_OPENING) {
        if (p->openY < 1) {
            p->openY += p->step;
        } else if (p->openX < 1) {
            p->openX += p->step;
            p->openY = 1;
        } else {
            p->openX = 1;
            p->phase = PANEL_OPEN;
        }
    } else if (p->phase == PANEL_CLOSING) {
        if (p->openX > 0) {
            p->openX -= p->step;
        } else if (p->openY > 0) {
            p->openY -= p->step;
        } else {
            p->openX = 0;
            p->openY = 0;
            p->phase = PANEL_CLOSED;
        }
    }
}

void DrawMenuPanel(const MenuPanel* p)
{
    if (p->phase == PANEL_CLOSED)
        return;
    const float w = p->right - p->left, h = p->bottom - p->top;
    const float cx = p->left + w / 2, cy = p->top + h / 2;
    const float hw = std::max(0.0f, w * p->openX / 2), hh = std::max(0.0f, h * p->openY / 2);
    DrawFrame(p->sheet, p->depth, p->border, p->colour, cx - hw, cy - hh, cx + hw, cy + hh);
}
