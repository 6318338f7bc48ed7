// Row-vector matrix helpers. Each follows the classic helper of the same name
// to the letter (row layout, handedness, which plane value is normalised),
// because the course scene's numbers were tuned against those results.
#include "core/xmath.h"

#include <cmath>

Matrix* MatrixIdentity(Matrix* out)
{
    *out = {};
    for (int k = 0; k < 4; ++k)
        out->m[k][k] = 1.0f;
    return out;
}

// Safe when out is a or b.
Matrix* MatrixMultiply(Matrix* out, const Matrix* a, const Matrix* b)
{
    Matrix r;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            r.m[i][j] = a->m[i][0] * b->m[0][j] + a->m[i][1] * b->m[1][j] +
                        a->m[i][2] * b->m[2][j] + a->m[i][3] * b->m[3][j];
    *out = r;
    return out;
}

Matrix* MatrixScaling(Matrix* out, float sx, float sy, float sz)
{
    MatrixIdentity(out);
    out->m[0][0] = sx;
    out->m[1][1] = sy;
    out->m[2][2] = sz;
    return out;
}

Matrix* MatrixTranslation(Matrix* out, float x, float y, float z)
{
    MatrixIdentity(out);
    out->m[3][0] = x;
    out->m[3][1] = y;
    out->m[3][2] = z;
    return out;
}

Matrix* MatrixRotationX(Matrix* out, float angle)
{
    float c = cosf(angle), s = sinf(angle);
    MatrixIdentity(out);
    out->m[1][1] = c;  out->m[1][2] = s;
    out->m[2][1] = -s; out->m[2][2] = c;
    return out;
}

Matrix* MatrixRotationY(Matrix* out, float angle)
{
    float c = cosf(angle), s = sinf(angle);
    MatrixIdentity(out);
    out->m[0][0] = c; out->m[0][2] = -s;
    out->m[2][0] = s; out->m[2][2] = c;
    return out;
}

Matrix* MatrixRotationZ(Matrix* out, float angle)
{
    float c = cosf(angle), s = sinf(angle);
    MatrixIdentity(out);
    out->m[0][0] = c;  out->m[0][1] = s;
    out->m[1][0] = -s; out->m[1][1] = c;
    return out;
}

// Roll about z first, then pitch about x, then yaw about y.
Matrix* MatrixRotationYawPitchRoll(Matrix* out, float yaw, float pitch, float roll)
{
    Matrix z, x, y;
    MatrixRotationZ(&z, roll);
    MatrixRotationX(&x, pitch);
    MatrixRotationY(&y, yaw);
    MatrixMultiply(out, &z, &x);
    return MatrixMultiply(out, out, &y);
}

static Vec3 Cross(const Vec3& a, const Vec3& b)
{
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

static float Dot(const Vec3& a, const Vec3& b)
{
    return a.x * b.x + a.y * b.y + a.z * b.z;
}

Matrix* MatrixLookAtLH(Matrix* out, const Vec3* eye, const Vec3* at, const Vec3* up)
{
    Vec3 forward = {at->x - eye->x, at->y - eye->y, at->z - eye->z};
    Vec3 zaxis, xaxis;
    Vec3Normalize(&zaxis, &forward);
    Vec3 side = Cross(*up, zaxis);
    Vec3Normalize(&xaxis, &side);
    Vec3 yaxis = Cross(zaxis, xaxis);
    MatrixIdentity(out);
    out->m[0][0] = xaxis.x; out->m[0][1] = yaxis.x; out->m[0][2] = zaxis.x;
    out->m[1][0] = xaxis.y; out->m[1][1] = yaxis.y; out->m[1][2] = zaxis.y;
    out->m[2][0] = xaxis.z; out->m[2][1] = yaxis.z; out->m[2][2] = zaxis.z;
    out->m[3][0] = -Dot(xaxis, *eye);
    out->m[3][1] = -Dot(yaxis, *eye);
    out->m[3][2] = -Dot(zaxis, *eye);
    return out;
}

// Depth runs 0 at zn to 1 at zf; w takes the view-space z.
Matrix* MatrixPerspectiveFovLH(Matrix* out, float fovy, float aspect, float zn, float zf)
{
    float yScale = 1.0f / tanf(fovy / 2.0f);
    *out = {};
    out->m[0][0] = yScale / aspect;
    out->m[1][1] = yScale;
    out->m[2][2] = zf / (zf - zn);
    out->m[2][3] = 1.0f;
    out->m[3][2] = -zn * zf / (zf - zn);
    return out;
}

// Flattens onto the plane along the light: w = 0 a direction, w = 1 a point.
// The plane is normalised first; the light is used as given.
Matrix* MatrixShadow(Matrix* out, const Vec4* light, const Plane* plane)
{
    float length = sqrtf(plane->a * plane->a + plane->b * plane->b + plane->c * plane->c);
    float scale = length != 0.0f ? 1.0f / length : 0.0f;
    const float p[4] = {plane->a * scale, plane->b * scale, plane->c * scale, plane->d * scale};
    const float l[4] = {light->x, light->y, light->z, light->w};
    float d = p[0] * l[0] + p[1] * l[1] + p[2] * l[2] + p[3] * l[3];
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            out->m[i][j] = -p[i] * l[j] + (i == j ? d : 0.0f);
    return out;
}

Plane* PlaneFromPointNormal(Plane* out, const Vec3* point, const Vec3* normal)
{
    out->a = normal->x;
    out->b = normal->y;
    out->c = normal->z;
    out->d = -Dot(*point, *normal);
    return out;
}

// A zero vector stays zero instead of turning into NaNs.
Vec3* Vec3Normalize(Vec3* out, const Vec3* v)
{
    float length = sqrtf(Dot(*v, *v));
    if (length == 0.0f) {
        *out = {0.0f, 0.0f, 0.0f};
        return out;
    }
    *out = {v->x / length, v->y / length, v->z / length};
    return out;
}

// (x, y, z, 1) * m, divided by the resulting w (left as is when w is 0).
Vec3* Vec3TransformCoord(Vec3* out, const Vec3* v, const Matrix* m)
{
    float r[4];
    for (int j = 0; j < 4; ++j)
        r[j] = v->x * m->m[0][j] + v->y * m->m[1][j] + v->z * m->m[2][j] + m->m[3][j];
    float inv = r[3] != 0.0f ? 1.0f / r[3] : 1.0f;
    *out = {r[0] * inv, r[1] * inv, r[2] * inv};
    return out;
}

// --- blending poses ----------------------------------------------------------

namespace {

struct Quat {
    float x, y, z, w;
};

// The rotation of rows 0..2 as a unit quaternion, the largest component
// found first so the division stays well away from zero.
Quat QuatFromRows(const Matrix& m)
{
    const float (*r)[4] = m.m;
    float trace = r[0][0] + r[1][1] + r[2][2];
    Quat q;
    if (trace > 0) {
        float s = sqrtf(trace + 1.0f) * 2.0f;
        q = {(r[1][2] - r[2][1]) / s, (r[2][0] - r[0][2]) / s, (r[0][1] - r[1][0]) / s, 0.25f * s};
    } else if (r[0][0] > r[1][1] && r[0][0] > r[2][2]) {
        float s = sqrtf(1.0f + r[0][0] - r[1][1] - r[2][2]) * 2.0f;
        q = {0.25f * s, (r[0][1] + r[1][0]) / s, (r[0][2] + r[2][0]) / s, (r[1][2] - r[2][1]) / s};
    } else if (r[1][1] > r[2][2]) {
        float s = sqrtf(1.0f + r[1][1] - r[0][0] - r[2][2]) * 2.0f;
        q = {(r[0][1] + r[1][0]) / s, 0.25f * s, (r[1][2] + r[2][1]) / s, (r[2][0] - r[0][2]) / s};
    } else {
        float s = sqrtf(1.0f + r[2][2] - r[0][0] - r[1][1]) * 2.0f;
        q = {(r[0][2] + r[2][0]) / s, (r[1][2] + r[2][1]) / s, 0.25f * s, (r[0][1] - r[1][0]) / s};
    }
    return q;
}

void RowsFromQuat(const Quat& q, Matrix* m)
{
    float x = q.x, y = q.y, z = q.z, w = q.w;
    float (*r)[4] = m->m;
    r[0][0] = 1 - 2 * (y * y + z * z); r[0][1] = 2 * (x * y + z * w);     r[0][2] = 2 * (x * z - y * w);
    r[1][0] = 2 * (x * y - z * w);     r[1][1] = 1 - 2 * (x * x + z * z); r[1][2] = 2 * (y * z + x * w);
    r[2][0] = 2 * (x * z + y * w);     r[2][1] = 2 * (y * z - x * w);     r[2][2] = 1 - 2 * (x * x + y * y);
    r[0][3] = r[1][3] = r[2][3] = 0;
}

}  // namespace

Vec3 Vec3Lerp(const Vec3& a, const Vec3& b, float t)
{
    return {a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t, a.z + (b.z - a.z) * t};
}

// A normalised straight blend of the two quaternions: within one logic step
// a body turns little, and there it follows the arc as closely as a true
// spherical blend does.
Matrix* MatrixBlendRigid(Matrix* out, const Matrix* a, const Matrix* b, float t)
{
    // The ends exactly, not through a quaternion and back.
    if (t <= 0 || t >= 1) {
        *out = t <= 0 ? *a : *b;
        return out;
    }
    Quat qa = QuatFromRows(*a), qb = QuatFromRows(*b);
    float dot = qa.x * qb.x + qa.y * qb.y + qa.z * qb.z + qa.w * qb.w;
    float sign = dot < 0 ? -1.0f : 1.0f;
    Quat q = {qa.x + (sign * qb.x - qa.x) * t, qa.y + (sign * qb.y - qa.y) * t,
              qa.z + (sign * qb.z - qa.z) * t, qa.w + (sign * qb.w - qa.w) * t};
    float length = sqrtf(q.x * q.x + q.y * q.y + q.z * q.z + q.w * q.w);
    if (length > 0) {
        q = {q.x / length, q.y / length, q.z / length, q.w / length};
    } else {
        q = qb;
    }
    Matrix blended;
    RowsFromQuat(q, &blended);
    for (int k = 0; k < 3; ++k)
        blended.m[3][k] = a->m[3][k] + (b->m[3][k] - a->m[3][k]) * t;
    blended.m[3][3] = 1;
    *out = blended;
    return out;
}
