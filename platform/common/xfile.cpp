// A strict reader of X files, text and binary, 32- or 64-bit floats. Mesh
// files come with shared course packs, so every count is weighed against the
// bytes still unread before anything is sized by it, every index against its
// array, and objects the game has no use for are skipped by their braces.
#include "platform/common/xfile.h"

#include <algorithm>
#include <charconv>
#include <cfloat>
#include <cmath>
#include <cstring>

namespace {

const int kMaxFrameDepth = 256;
// Frames, meshes and materials (references included) of one file together;
// far above any mesh the game draws, and it keeps a file of thousands of
// empty objects from costing hundreds of megabytes.
const size_t kMaxObjects = 65536;

enum TokenKind {
    TOK_END, TOK_NAME, TOK_STRING, TOK_NUMBER, TOK_LIST, TOK_GUID,
    TOK_OPEN, TOK_CLOSE, TOK_SEPARATOR, TOK_OTHER,
};

struct Token {
    TokenKind kind;
    const char* text;              // name, string or number text
    size_t length;
};

struct Reader {
    const char* p;
    const char* end;
    bool binary;
    int floatBytes;                // binary floats: 4 or 8
    bool failed;
    uint32_t listLeft;             // binary: numbers left in the current list
    bool listOfFloats;
    size_t objects;                // frames, meshes and materials so far
    bool peeked;
    Token next;
};

struct Frame {
    int parent;                    // -1 at the top
    float local[16];
};

struct ParseState {
    Reader r;
    std::vector<Frame> frames;
    std::vector<int> meshFrames;   // frame of each entry of frameMeshes
    XScene* scene;
};

const float kIdentity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

size_t Left(const Reader* r) { return static_cast<size_t>(r->end - r->p); }

bool Fail(Reader* r)
{
    r->failed = true;
    return false;
}

uint32_t Le32(const char* p)
{
    const unsigned char* q = reinterpret_cast<const unsigned char*>(p);
    return q[0] | (q[1] << 8) | (q[2] << 16) | (uint32_t(q[3]) << 24);
}

bool CountObject(Reader* r) { return ++r->objects <= kMaxObjects || Fail(r); }

// ---------------------------------------------------------------- tokens

bool IsDelimiter(char c) { return c == '{' || c == '}' || c == ',' || c == ';' || c == '"'; }
bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v'; }

void SkipSpaceAndComments(Reader* r)
{
    for (;;) {
        while (r->p < r->end && IsSpace(*r->p)) ++r->p;
        bool comment = r->p < r->end && (*r->p == '#' || (*r->p == '/' && Left(r) > 1 && r->p[1] == '/'));
        if (!comment) return;
        while (r->p < r->end && *r->p != '\n') ++r->p;
    }
}

bool TextToken(Reader* r, Token* t)
{
    SkipSpaceAndComments(r);
    *t = {TOK_END, r->p, 0};
    if (r->p == r->end) return true;
    char c = *r->p;
    if (c == '{' || c == '}' || c == ',' || c == ';') {
        t->kind = c == '{' ? TOK_OPEN : c == '}' ? TOK_CLOSE : TOK_SEPARATOR;
        t->length = 1;
        ++r->p;
        return true;
    }
    if (c == '"') {
        const char* close = static_cast<const char*>(memchr(r->p + 1, '"', Left(r) - 1));
        if (!close) return Fail(r);
        *t = {TOK_STRING, r->p + 1, static_cast<size_t>(close - r->p - 1)};
        r->p = close + 1;
        return true;
    }
    const char* start = r->p;
    while (r->p < r->end && !IsSpace(*r->p) && !IsDelimiter(*r->p)) ++r->p;
    t->text = start;
    t->length = static_cast<size_t>(r->p - start);
    bool number = (c >= '0' && c <= '9') || c == '-' || c == '+' || c == '.';
    t->kind = number ? TOK_NUMBER : c == '<' ? TOK_GUID : TOK_NAME;
    return true;
}

// Counted binary tokens carry their length; it must fit in what is left.
bool BinaryCounted(Reader* r, Token* t, TokenKind kind, uint64_t unit)
{
    if (Left(r) < 4) return Fail(r);
    uint64_t count = Le32(r->p);
    r->p += 4;
    if (count * unit > Left(r)) return Fail(r);
    *t = {kind, r->p, static_cast<size_t>(count)};
    if (kind != TOK_LIST) r->p += count * unit;
    return true;
}

bool BinaryToken(Reader* r, Token* t)
{
    *t = {TOK_END, r->p, 0};
    if (Left(r) == 0) return true;
    if (Left(r) < 2) return Fail(r);
    unsigned code = static_cast<unsigned char>(r->p[0]) | (static_cast<unsigned char>(r->p[1]) << 8);
    r->p += 2;
    switch (code) {
    case 1: return BinaryCounted(r, t, TOK_NAME, 1);
    case 2: return BinaryCounted(r, t, TOK_STRING, 1);
    case 3:                        // one integer: a list of one
        if (Left(r) < 4) return Fail(r);
        *t = {TOK_LIST, r->p, 1};
        r->listOfFloats = false;
        return true;
    case 5:
        if (Left(r) < 16) return Fail(r);
        *t = {TOK_GUID, r->p, 16};
        r->p += 16;
        return true;
    case 6:
        r->listOfFloats = false;
        return BinaryCounted(r, t, TOK_LIST, 4);
    case 7:
        r->listOfFloats = true;
        return BinaryCounted(r, t, TOK_LIST, static_cast<uint64_t>(r->floatBytes));
    case 10: t->kind = TOK_OPEN; return true;
    case 11: t->kind = TOK_CLOSE; return true;
    case 19: case 20: t->kind = TOK_SEPARATOR; return true;
    case 31: *t = {TOK_NAME, "template", 8}; return true;
    default:
        if ((code >= 12 && code <= 18) || (code >= 40 && code <= 52)) {
            t->kind = TOK_OTHER;
            return true;
        }
        return Fail(r);
    }
}

// Structure tokens may not start inside a binary number list: numbers the
// object does not define mean the file is not what it claims.
bool Peek(Reader* r, Token* t)
{
    if (r->failed) return false;
    if (!r->peeked) {
        if (r->listLeft) return Fail(r);
        bool ok = r->binary ? BinaryToken(r, &r->next) : TextToken(r, &r->next);
        if (!ok) return false;
        r->peeked = true;
    }
    *t = r->next;
    return true;
}

bool Next(Reader* r, Token* t)
{
    if (!Peek(r, t)) return false;
    r->peeked = false;
    return true;
}

// The next token that is not a separator.
bool NextItem(Reader* r, Token* t)
{
    do {
        if (!Next(r, t)) return false;
    } while (t->kind == TOK_SEPARATOR);
    return true;
}

// ---------------------------------------------------------------- numbers

bool BinaryNumber(Reader* r, bool wantFloat)
{
    if (r->listLeft == 0) {
        Token t;
        if (!NextItem(r, &t)) return false;
        if (t.kind != TOK_LIST || t.length == 0 || r->listOfFloats != wantFloat) return Fail(r);
        r->listLeft = static_cast<uint32_t>(t.length);
    }
    if (r->listOfFloats != wantFloat) return Fail(r);
    --r->listLeft;
    return true;
}

bool ReadInt(Reader* r, uint32_t* out)
{
    if (r->binary) {
        if (!BinaryNumber(r, false)) return false;
        *out = Le32(r->p);
        r->p += 4;
        return true;
    }
    Token t;
    if (!NextItem(r, &t) || t.kind != TOK_NUMBER) return Fail(r);
    auto res = std::from_chars(t.text, t.text + t.length, *out);
    if (res.ec != std::errc() || res.ptr != t.text + t.length) return Fail(r);
    return true;
}

bool ParseTextFloat(const Token& t, float* out)
{
    // Some exporters write these for values they could not compute.
    static const char* const kNotANumber[] = {"1.#QNAN0", "-1.#IND00", "1.#IND00"};
    for (const char* word : kNotANumber)
        if (t.length == strlen(word) && memcmp(t.text, word, t.length) == 0) {
            *out = 0.0f;
            return true;
        }
    const char* s = t.text;
    const char* end = t.text + t.length;
    if (s < end && *s == '+') ++s;
    auto res = std::from_chars(s, end, *out);
    return res.ec == std::errc() && res.ptr == end && std::isfinite(*out);
}

bool ReadFloat(Reader* r, float* out)
{
    if (r->binary) {
        if (!BinaryNumber(r, true)) return false;
        if (r->floatBytes == 8) {
            double d;
            memcpy(&d, r->p, 8);
            if (!(std::fabs(d) <= FLT_MAX)) return Fail(r);   // no float holds it
            *out = static_cast<float>(d);
        } else {
            memcpy(out, r->p, 4);
        }
        r->p += r->floatBytes;
        return std::isfinite(*out) || Fail(r);
    }
    Token t;
    if (!NextItem(r, &t) || t.kind != TOK_NUMBER || !ParseTextFloat(t, out)) return Fail(r);
    return true;
}

bool ReadFloats(Reader* r, float* out, size_t count)
{
    for (size_t k = 0; k < count; ++k)
        if (!ReadFloat(r, &out[k])) return false;
    return true;
}

// A count of items of `numbersPerItem` numbers each: each number takes at least one
// byte of text or four of binary, so a count the rest of the file cannot
// hold is refused before anything is sized by it.
bool ReadCount(Reader* r, uint32_t numbersPerItem, uint32_t* count)
{
    if (!ReadInt(r, count)) return false;
    uint64_t least = uint64_t(*count) * numbersPerItem * (r->binary ? 4 : 1);
    return least <= Left(r) || Fail(r);
}

// ---------------------------------------------------------------- objects

// After the template name: an optional object name and GUID, then '{'.
bool ReadHead(Reader* r, std::string* name)
{
    Token t;
    if (!Next(r, &t)) return false;
    if (t.kind == TOK_NAME) {
        if (name) name->assign(t.text, t.length);
        if (!Next(r, &t)) return false;
    }
    if (t.kind == TOK_GUID && !Next(r, &t)) return false;
    return t.kind == TOK_OPEN || Fail(r);
}

// Skips to the brace that closes one already read, counting, not recursing.
bool SkipBlock(Reader* r)
{
    for (size_t depth = 1; depth > 0;) {
        Token t;
        if (!Next(r, &t)) return false;
        if (t.kind == TOK_END) return Fail(r);
        if (t.kind == TOK_LIST) r->p += t.length * (r->listOfFloats ? r->floatBytes : 4);
        if (t.kind == TOK_OPEN) ++depth;
        if (t.kind == TOK_CLOSE) --depth;
    }
    return true;
}

bool SkipObject(Reader* r) { return ReadHead(r, nullptr) && SkipBlock(r); }

bool ExpectClose(Reader* r)
{
    Token t;
    return (NextItem(r, &t) && t.kind == TOK_CLOSE) || Fail(r);
}

bool IsName(const Token& t, const char* name)
{
    return t.kind == TOK_NAME && t.length == strlen(name) && memcmp(t.text, name, t.length) == 0;
}

// Some exporters double every backslash of a path; one is meant.
std::string TextureName(const Token& t)
{
    std::string name;
    for (size_t k = 0; k < t.length; ++k)
        if (t.text[k] != '\\' || name.empty() || name.back() != '\\') name += t.text[k];
    return name;
}

bool ParseTextureFilename(Reader* r, XMaterial* material)
{
    Token t;
    if (!ReadHead(r, nullptr) || !NextItem(r, &t)) return false;
    if (t.kind != TOK_STRING) return Fail(r);
    if (material->texture.empty()) material->texture = TextureName(t);
    return ExpectClose(r);
}

bool ParseMaterial(Reader* r, XMaterial* material)
{
    *material = {};
    if (!CountObject(r) || !ReadHead(r, &material->name) || !ReadFloats(r, material->diffuse, 4) ||
        !ReadFloat(r, &material->power) || !ReadFloats(r, material->specular, 3) ||
        !ReadFloats(r, material->emissive, 3))
        return false;
    for (;;) {
        Token t;
        if (!NextItem(r, &t)) return false;
        if (t.kind == TOK_CLOSE) return true;
        bool ok = IsName(t, "TextureFilename") || IsName(t, "TextureFileName") ? ParseTextureFilename(r, material)
                  : t.kind == TOK_NAME                                        ? SkipObject(r)
                  : t.kind == TOK_OPEN                                        ? SkipBlock(r)
                                                                              : Fail(r);
        if (!ok) return false;
    }
}

bool ParseFaces(Reader* r, uint32_t vertexCount, XMesh* mesh)
{
    uint32_t faceCount;
    if (!ReadCount(r, 4, &faceCount)) return false;
    mesh->faceStarts.reserve(faceCount + 1);
    mesh->faceStarts.push_back(0);
    for (uint32_t f = 0; f < faceCount; ++f) {
        uint32_t corners;
        if (!ReadCount(r, 1, &corners)) return false;
        if (corners < 3) return Fail(r);
        for (uint32_t k = 0; k < corners; ++k) {
            uint32_t index;
            if (!ReadInt(r, &index)) return false;
            if (index >= vertexCount) return Fail(r);
            mesh->faceIndices.push_back(index);
        }
        mesh->faceStarts.push_back(static_cast<uint32_t>(mesh->faceIndices.size()));
    }
    return true;
}

uint32_t FaceCount(const XMesh& mesh) { return static_cast<uint32_t>(mesh.faceStarts.size() - 1); }

// Normals have faces of their own, corner for corner with the mesh's.
bool ParseNormals(Reader* r, XMesh* mesh)
{
    uint32_t normalCount, faceCount;
    if (!ReadHead(r, nullptr) || !ReadCount(r, 3, &normalCount)) return false;
    mesh->normals.assign(size_t(normalCount) * 3, 0.0f);
    mesh->normalIndices.clear();
    if (!ReadFloats(r, mesh->normals.data(), mesh->normals.size()) || !ReadInt(r, &faceCount)) return false;
    if (faceCount != FaceCount(*mesh)) return Fail(r);
    for (uint32_t f = 0; f < faceCount; ++f) {
        uint32_t corners;
        if (!ReadInt(r, &corners)) return false;
        if (corners != mesh->faceStarts[f + 1] - mesh->faceStarts[f]) return Fail(r);
        for (uint32_t k = 0; k < corners; ++k) {
            uint32_t index;
            if (!ReadInt(r, &index)) return false;
            if (index >= normalCount) return Fail(r);
            mesh->normalIndices.push_back(index);
        }
    }
    return ExpectClose(r);
}

bool ParseTextureCoords(Reader* r, XMesh* mesh)
{
    if (!mesh->uvs.empty()) return SkipObject(r);    // only the first set is drawn
    uint32_t count;
    if (!ReadHead(r, nullptr) || !ReadCount(r, 2, &count)) return false;
    if (count != mesh->positions.size() / 3) return Fail(r);
    mesh->uvs.assign(size_t(count) * 2, 0.0f);
    return ReadFloats(r, mesh->uvs.data(), mesh->uvs.size()) && ExpectClose(r);
}

bool ParseMaterialReference(Reader* r, XMesh* mesh)
{
    Token t;
    XMaterial material = {};
    if (!CountObject(r) || !NextItem(r, &t)) return false;
    if (t.kind == TOK_NAME) {
        material.name.assign(t.text, t.length);
        if (!NextItem(r, &t)) return false;
    }
    if (t.kind == TOK_GUID && !NextItem(r, &t)) return false;
    if (t.kind != TOK_CLOSE || material.name.empty()) return Fail(r);
    mesh->materials.push_back(material);
    mesh->isReference.push_back(true);
    return true;
}

// One material index per face (or one for all); the list then holds exactly
// the materials it counted.
bool ParseMaterialList(Reader* r, XMesh* mesh)
{
    uint32_t materialCount, indexCount, faces = FaceCount(*mesh);
    if (mesh->hasMaterialList || !ReadHead(r, nullptr) || !ReadInt(r, &materialCount) ||
        !ReadCount(r, 1, &indexCount))
        return Fail(r);
    if (indexCount != faces && indexCount != 1) return Fail(r);
    mesh->hasMaterialList = true;
    mesh->faceMaterials.resize(indexCount);
    for (uint32_t& index : mesh->faceMaterials)
        if (!ReadInt(r, &index)) return false;
    mesh->faceMaterials.resize(faces, indexCount ? mesh->faceMaterials[0] : 0);
    for (;;) {
        Token t;
        if (!NextItem(r, &t)) return false;
        if (t.kind == TOK_CLOSE) break;
        bool ok = true;
        if (IsName(t, "Material")) {
            mesh->materials.emplace_back();
            mesh->isReference.push_back(false);
            ok = ParseMaterial(r, &mesh->materials.back());
        } else {
            ok = t.kind == TOK_OPEN ? ParseMaterialReference(r, mesh) : t.kind == TOK_NAME ? SkipObject(r) : Fail(r);
        }
        if (!ok) return false;
    }
    if (mesh->materials.size() != materialCount) return Fail(r);
    for (uint32_t index : mesh->faceMaterials)
        if (index >= materialCount) return Fail(r);
    return true;
}

bool ParseMeshChild(Reader* r, const Token& t, XMesh* mesh)
{
    if (IsName(t, "MeshNormals")) return ParseNormals(r, mesh);
    if (IsName(t, "MeshTextureCoords")) return ParseTextureCoords(r, mesh);
    if (IsName(t, "MeshMaterialList")) return ParseMaterialList(r, mesh);
    if (t.kind == TOK_NAME) return SkipObject(r);
    return t.kind == TOK_OPEN ? SkipBlock(r) : Fail(r);
}

bool ParseMesh(Reader* r, XMesh* mesh)
{
    *mesh = {};
    memcpy(mesh->transform, kIdentity, sizeof kIdentity);
    uint32_t vertexCount;
    if (!CountObject(r) || !ReadHead(r, nullptr) || !ReadCount(r, 3, &vertexCount)) return false;
    mesh->positions.assign(size_t(vertexCount) * 3, 0.0f);
    if (!ReadFloats(r, mesh->positions.data(), mesh->positions.size()) || !ParseFaces(r, vertexCount, mesh))
        return false;
    for (;;) {
        Token t;
        if (!NextItem(r, &t)) return false;
        if (t.kind == TOK_CLOSE) return true;
        if (!ParseMeshChild(r, t, mesh)) return false;
    }
}

bool ParseFrame(ParseState* s, int parent, int depth)
{
    Reader* r = &s->r;
    if (depth > kMaxFrameDepth || !CountObject(r) || !ReadHead(r, nullptr)) return Fail(r);
    int self = static_cast<int>(s->frames.size());
    s->frames.push_back({parent, {}});
    memcpy(s->frames[self].local, kIdentity, sizeof kIdentity);
    for (;;) {
        Token t;
        if (!NextItem(r, &t)) return false;
        if (t.kind == TOK_CLOSE) return true;
        bool ok;
        if (IsName(t, "Frame")) {
            ok = ParseFrame(s, self, depth + 1);
        } else if (IsName(t, "FrameTransformMatrix")) {
            ok = ReadHead(r, nullptr) && ReadFloats(r, s->frames[self].local, 16) && ExpectClose(r);
        } else if (IsName(t, "Mesh")) {
            s->scene->frameMeshes.emplace_back();
            s->meshFrames.push_back(self);
            ok = ParseMesh(r, &s->scene->frameMeshes.back());
        } else {
            ok = t.kind == TOK_NAME ? SkipObject(r) : t.kind == TOK_OPEN ? SkipBlock(r) : Fail(r);
        }
        if (!ok) return false;
    }
}

bool ParseTopLevel(ParseState* s)
{
    Reader* r = &s->r;
    for (;;) {
        Token t;
        if (!NextItem(r, &t)) return false;
        if (t.kind == TOK_END) return true;
        bool ok;
        if (IsName(t, "Frame")) {
            ok = ParseFrame(s, -1, 0);
        } else if (IsName(t, "Mesh")) {
            s->scene->looseMeshes.emplace_back();
            ok = ParseMesh(r, &s->scene->looseMeshes.back());
        } else if (IsName(t, "Material")) {
            s->scene->globalMaterials.emplace_back();
            ok = ParseMaterial(r, &s->scene->globalMaterials.back());
        } else {
            ok = t.kind == TOK_NAME ? SkipObject(r) : t.kind == TOK_OPEN ? SkipBlock(r) : Fail(r);
        }
        if (!ok) return false;
    }
}

// ---------------------------------------------------------------- frames

void Multiply(const float a[16], const float b[16], float out[16])
{
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) {
            float sum = 0.0f;
            for (int k = 0; k < 4; ++k) sum += a[i * 4 + k] * b[k * 4 + j];
            out[i * 4 + j] = sum;
        }
}

// Frames come parents first, so one pass gives every frame its full
// transform; a frame's meshes come before those of the frames inside it.
void PlaceFrameMeshes(ParseState* s)
{
    std::vector<float> world(s->frames.size() * 16);
    for (size_t f = 0; f < s->frames.size(); ++f) {
        const Frame& frame = s->frames[f];
        if (frame.parent < 0) memcpy(&world[f * 16], frame.local, sizeof frame.local);
        else Multiply(frame.local, &world[size_t(frame.parent) * 16], &world[f * 16]);
    }
    std::vector<size_t> order(s->meshFrames.size());
    for (size_t m = 0; m < order.size(); ++m) order[m] = m;
    std::stable_sort(order.begin(), order.end(),
                     [s](size_t a, size_t b) { return s->meshFrames[a] < s->meshFrames[b]; });
    std::vector<XMesh> ordered;
    ordered.reserve(order.size());
    for (size_t m : order) {
        ordered.push_back(std::move(s->scene->frameMeshes[m]));
        memcpy(ordered.back().transform, &world[size_t(s->meshFrames[m]) * 16], 16 * sizeof(float));
    }
    s->scene->frameMeshes = std::move(ordered);
}

bool ReadHeader(const char* bytes, size_t size, Reader* r)
{
    if (size < 16 || memcmp(bytes, "xof ", 4) != 0) return false;
    if (memcmp(bytes + 4, "0302", 4) != 0 && memcmp(bytes + 4, "0303", 4) != 0) return false;
    bool text = memcmp(bytes + 8, "txt ", 4) == 0, binary = memcmp(bytes + 8, "bin ", 4) == 0;
    bool single = memcmp(bytes + 12, "0032", 4) == 0, twice = memcmp(bytes + 12, "0064", 4) == 0;
    if ((!text && !binary) || (!single && !twice)) return false;
    *r = {};
    r->p = bytes + 16;
    r->end = bytes + size;
    r->binary = binary;
    r->floatBytes = twice ? 8 : 4;
    return true;
}

}  // namespace

int ReadXFile(const unsigned char* bytes, size_t size, XScene* out)
{
    *out = {};
    ParseState state = {};
    state.scene = out;
    if (!ReadHeader(reinterpret_cast<const char*>(bytes), size, &state.r)) return 0;
    int res = ParseTopLevel(&state) ? 1 : 0;
    if (res) PlaceFrameMeshes(&state);
    else *out = {};
    return res;
}
