// Row-vector matrix helpers with the semantics of the classic D3DX ones:
// a point is transformed as p * M, a world matrix is scale * rotation *
// translation, and the translation sits in the fourth row (m[3][0..2]).
#pragma once

struct Vec3 { float x, y, z; };
struct Vec4 { float x, y, z, w; };
struct Plane { float a, b, c, d; };
struct Matrix { float m[4][4]; };

// Implemented in render/xmath.cpp.
Matrix* MatrixIdentity(Matrix* out);
Matrix* MatrixMultiply(Matrix* out, const Matrix* a, const Matrix* b);   // a then b
Matrix* MatrixScaling(Matrix* out, float sx, float sy, float sz);
Matrix* MatrixTranslation(Matrix* out, float x, float y, float z);
Matrix* MatrixRotationX(Matrix* out, float angle);
Matrix* MatrixRotationY(Matrix* out, float angle);
Matrix* MatrixRotationZ(Matrix* out, float angle);
Matrix* MatrixRotationYawPitchRoll(Matrix* out, float yaw, float pitch, float roll);
Matrix* MatrixLookAtLH(Matrix* out, const Vec3* eye, const Vec3* at, const Vec3* up);
Matrix* MatrixPerspectiveFovLH(Matrix* out, float fovy, float aspect, float zn, float zf);
Matrix* MatrixShadow(Matrix* out, const Vec4* light, const Plane* plane);
Plane*  PlaneFromPointNormal(Plane* out, const Vec3* point, const Vec3* normal);
Vec3*   Vec3Normalize(Vec3* out, const Vec3* v);
Vec3*   Vec3TransformCoord(Vec3* out, const Vec3* v, const Matrix* m);

// Between two rigid poses (rotation rows 0..2, position row 3): t = 0 gives a,
// 1 gives b; the position moves along the line, the rotation turns along the
// shorter arc. What a picture drawn between two logic steps shows.
Matrix* MatrixBlendRigid(Matrix* out, const Matrix* a, const Matrix* b, float t);
Vec3    Vec3Lerp(const Vec3& a, const Vec3& b, float t);
