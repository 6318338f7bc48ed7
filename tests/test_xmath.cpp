// The row-vector matrix helpers against matrices worked out by hand.
#include <gtest/gtest.h>

#include <cmath>

#include "core/xmath.h"

namespace {

const float kPi = 3.14159265358979f;

void ExpectMatrix(const Matrix& m, const float expect[4][4], float tolerance = 1e-5f)
{
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            EXPECT_NEAR(m.m[i][j], expect[i][j], tolerance) << "row " << i << " column " << j;
}

void ExpectPoint(const Matrix& m, Vec3 p, Vec3 expect, float tolerance = 1e-4f)
{
    Vec3 out;
    Vec3TransformCoord(&out, &p, &m);
    EXPECT_NEAR(out.x, expect.x, tolerance);
    EXPECT_NEAR(out.y, expect.y, tolerance);
    EXPECT_NEAR(out.z, expect.z, tolerance);
}

}  // namespace

// Scaling is diagonal, translation sits in the fourth row.
TEST(Xmath, ScalingAndTranslationLayout)
{
    Matrix m;
    const float scale[4][4] = {{2, 0, 0, 0}, {0, 3, 0, 0}, {0, 0, 4, 0}, {0, 0, 0, 1}};
    ExpectMatrix(*MatrixScaling(&m, 2, 3, 4), scale);
    const float move[4][4] = {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {5, 6, 7, 1}};
    ExpectMatrix(*MatrixTranslation(&m, 5, 6, 7), move);
}

// A * B applies A first: scale then move differs from move then scale, and
// the product may be written over either input.
TEST(Xmath, MultiplyAppliesLeftFirst)
{
    Matrix s, t, st, ts;
    MatrixScaling(&s, 2, 2, 2);
    MatrixTranslation(&t, 1, 0, 0);
    MatrixMultiply(&st, &s, &t);
    MatrixMultiply(&ts, &t, &s);
    ExpectPoint(st, {1, 1, 1}, {3, 2, 2});
    ExpectPoint(ts, {1, 1, 1}, {4, 2, 2});
    MatrixMultiply(&s, &s, &t);
    ExpectPoint(s, {1, 1, 1}, {3, 2, 2});
}

// Rotations turn left-handed: x by +90 degrees takes y to z, y takes z to x,
// z takes x to y.
TEST(Xmath, RotationsFollowTheLeftHandedRowLayout)
{
    Matrix m;
    float c = cosf(0.5f), s = sinf(0.5f);
    const float rx[4][4] = {{1, 0, 0, 0}, {0, c, s, 0}, {0, -s, c, 0}, {0, 0, 0, 1}};
    ExpectMatrix(*MatrixRotationX(&m, 0.5f), rx);
    const float ry[4][4] = {{c, 0, -s, 0}, {0, 1, 0, 0}, {s, 0, c, 0}, {0, 0, 0, 1}};
    ExpectMatrix(*MatrixRotationY(&m, 0.5f), ry);
    const float rz[4][4] = {{c, s, 0, 0}, {-s, c, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}};
    ExpectMatrix(*MatrixRotationZ(&m, 0.5f), rz);
    ExpectPoint(*MatrixRotationX(&m, kPi / 2), {0, 1, 0}, {0, 0, 1});
    ExpectPoint(*MatrixRotationY(&m, kPi / 2), {0, 0, 1}, {1, 0, 0});
    ExpectPoint(*MatrixRotationZ(&m, kPi / 2), {1, 0, 0}, {0, 1, 0});
}

// Yaw-pitch-roll is roll about z, then pitch about x, then yaw about y.
TEST(Xmath, YawPitchRollOrder)
{
    Matrix m, z, x, y, expect;
    MatrixRotationYawPitchRoll(&m, 0.3f, -0.7f, 1.1f);
    MatrixMultiply(&expect, MatrixRotationZ(&z, 1.1f), MatrixRotationX(&x, -0.7f));
    MatrixMultiply(&expect, &expect, MatrixRotationY(&y, 0.3f));
    ExpectMatrix(m, expect.m);
    // Pitch 90 sends +z to -y; yaw 90 then keeps it there and sends +x to -z.
    MatrixRotationYawPitchRoll(&m, kPi / 2, kPi / 2, 0);
    ExpectPoint(m, {0, 0, 1}, {0, -1, 0});
    ExpectPoint(m, {1, 0, 0}, {0, 0, -1});
}

// Look-at puts the eye at the origin looking down +z with +x to the right.
TEST(Xmath, LookAtLeftHanded)
{
    Matrix m;
    Vec3 eye = {0, 0, -10}, at = {0, 0, 0}, up = {0, 1, 0};
    const float straight[4][4] = {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 10, 1}};
    ExpectMatrix(*MatrixLookAtLH(&m, &eye, &at, &up), straight);
    // From +x looking back at the origin, +z is on the right.
    eye = {10, 0, 0};
    const float side[4][4] = {{0, 0, -1, 0}, {0, 1, 0, 0}, {1, 0, 0, 0}, {0, 0, 10, 1}};
    ExpectMatrix(*MatrixLookAtLH(&m, &eye, &at, &up), side);
    ExpectPoint(m, {10, 3, 5}, {5, 3, 0});
}

// The game's projection: cot(pi/8) on both axes at aspect 1, depth 0 at the
// near plane and 1 at the far plane.
TEST(Xmath, PerspectiveLeftHanded)
{
    Matrix m;
    MatrixPerspectiveFovLH(&m, kPi / 4, 1.0f, 10.0f, 2000.0f);
    const float q = 2000.0f / 1990.0f;
    const float expect[4][4] = {
        {2.4142135f, 0, 0, 0}, {0, 2.4142135f, 0, 0}, {0, 0, q, 1}, {0, 0, -10.0f * q, 0}};
    ExpectMatrix(m, expect);
    ExpectPoint(m, {0, 0, 10}, {0, 0, 0});
    ExpectPoint(m, {0, 0, 2000}, {0, 0, 1});
    // A wider aspect only narrows x.
    MatrixPerspectiveFovLH(&m, kPi / 4, 4.0f / 3.0f, 10.0f, 2000.0f);
    EXPECT_NEAR(m.m[0][0], 2.4142135f * 0.75f, 1e-5f);
}

// A directional shadow slides points along the light onto the plane.
TEST(Xmath, ShadowOfDirectionalLight)
{
    Matrix m;
    Vec4 down = {0, 1, 0, 0};
    Plane ground = {0, 1, 0, 0};
    const float flatten[4][4] = {{1, 0, 0, 0}, {0, 0, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}};
    ExpectMatrix(*MatrixShadow(&m, &down, &ground), flatten);
    Vec4 slant = {1, 1, 0, 0};
    MatrixShadow(&m, &slant, &ground);
    ExpectPoint(m, {3, 5, 7}, {-2, 0, 7});
}

// The plane is normalised before use; its d is scaled with it.
TEST(Xmath, ShadowNormalisesThePlane)
{
    Matrix m;
    Vec4 down = {0, 1, 0, 0};
    Plane raised = {0, 2, 0, -4};   // y = 2
    MatrixShadow(&m, &down, &raised);
    ExpectPoint(m, {3, 5, 7}, {3, 2, 7});
    // Unnormalised, every entry would come out twice as large.
    const float expect[4][4] = {{1, 0, 0, 0}, {0, 0, 0, 0}, {0, 0, 1, 0}, {0, 2, 0, 1}};
    ExpectMatrix(m, expect);
}

// A point light (w = 1) casts along the line through the light.
TEST(Xmath, ShadowOfPointLight)
{
    Matrix m;
    Vec4 lamp = {0, 10, 0, 1};
    Plane ground = {0, 1, 0, 0};
    MatrixShadow(&m, &lamp, &ground);
    EXPECT_FLOAT_EQ(m.m[1][3], -1.0f);
    EXPECT_FLOAT_EQ(m.m[0][0], 10.0f);
    ExpectPoint(m, {1, 5, 0}, {2, 0, 0});
}

// The plane through a point: d = -(point . normal), the normal kept as given.
TEST(Xmath, PlaneFromPointNormal)
{
    Plane p;
    Vec3 point = {1, 2, 3}, normal = {0, 2, 0};
    PlaneFromPointNormal(&p, &point, &normal);
    EXPECT_FLOAT_EQ(p.a, 0);
    EXPECT_FLOAT_EQ(p.b, 2);
    EXPECT_FLOAT_EQ(p.c, 0);
    EXPECT_FLOAT_EQ(p.d, -4);
}

// Normalise gives unit length; the zero vector stays zero rather than NaN.
TEST(Xmath, NormalizeAndZero)
{
    Vec3 v = {3, 4, 0}, out;
    Vec3Normalize(&out, &v);
    EXPECT_FLOAT_EQ(out.x, 0.6f);
    EXPECT_FLOAT_EQ(out.y, 0.8f);
    Vec3 light = {0.2f, -1.0f, 0.2f};
    Vec3Normalize(&out, &light);
    EXPECT_NEAR(std::acos(-out.y) * 180.0 / kPi, 15.79, 0.01);
    Vec3 zero = {0, 0, 0};
    Vec3Normalize(&out, &zero);
    EXPECT_EQ(out.x, 0.0f);
    EXPECT_EQ(out.y, 0.0f);
    EXPECT_EQ(out.z, 0.0f);
}

// Transform-coord divides by w, so a projected point lands in clip units.
TEST(Xmath, TransformCoordDividesByW)
{
    Matrix m = {};
    m.m[0][0] = m.m[1][1] = m.m[2][2] = 1;
    m.m[2][3] = 1;   // w = z
    ExpectPoint(m, {4, 6, 2}, {2, 3, 1});
    Matrix t;
    ExpectPoint(*MatrixTranslation(&t, 1, 2, 3), {1, 1, 1}, {2, 3, 4});
}
