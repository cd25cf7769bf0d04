#include <gtest/gtest.h>

#include <cmath>

#include "core/geometry.h"

TEST(Geometry, VectorOperations)
{
    const Vector3 n = normalize(Vector3(3, 0, 4));
    EXPECT_FLOAT_EQ(n.x, 0.6f);
    EXPECT_FLOAT_EQ(n.y, 0.0f);
    EXPECT_FLOAT_EQ(n.z, 0.8f);
    EXPECT_FLOAT_EQ(distance(Vector3(1, 2, 3), Vector3(4, 6, 3)), 5.0f);
    const Vector3 c = cross(Vector3(1, 0, 0), Vector3(0, 1, 0));
    EXPECT_FLOAT_EQ(c.z, 1.0f);
    EXPECT_FLOAT_EQ(dot(Vector3(1, 2, 3), Vector3(4, -5, 6)), 12.0f);
    EXPECT_FLOAT_EQ(absolute(-2.5f), 2.5f);
    EXPECT_FLOAT_EQ(absolute(0.0f), 0.0f);
    const Vector3 z = normalize(Vector3(0, 0, 0));
    EXPECT_TRUE(std::isnan(z.x)) << "a zero vector has no direction";
}

TEST(Geometry, RotateAboutYMatchesGlRotate)
{
    Matrix4 m;
    m.rotate(90.0f, 0.0f, 1.0f, 0.0f);
    const Vector3 p = m.transformPoint(Vector3(1, 0, 0));
    EXPECT_NEAR(p.x, 0.0f, 1e-6f);
    EXPECT_NEAR(p.y, 0.0f, 1e-6f);
    EXPECT_NEAR(p.z, -1.0f, 1e-6f);
    // No translation: the origin stays put.
    const Vector3 o = m.transformPoint(Vector3(0, 0, 0));
    EXPECT_EQ(o.x, 0.0f);
    EXPECT_EQ(o.z, 0.0f);
}

TEST(Geometry, InvertUndoesRotationAndTranslation)
{
    Matrix4 turn;
    turn.rotate(30.0f, 0.0f, 1.0f, 0.0f);
    Matrix4 back = turn;
    back.invert();
    Matrix4 opposite;
    opposite.rotate(-30.0f, 0.0f, 1.0f, 0.0f);
    for (int k = 0; k < 16; ++k)
        EXPECT_NEAR(back.m[k], opposite.m[k], 1e-6f) << "element " << k;

    Matrix4 moved;
    moved.identity();
    moved.m[12] = 5.0f;
    moved.m[13] = -2.0f;
    moved.invert();
    const Vector3 p = moved.transformPoint(Vector3(5, -2, 0));
    EXPECT_NEAR(p.x, 0.0f, 1e-6f);
    EXPECT_NEAR(p.y, 0.0f, 1e-6f);

    Matrix4 zero;
    zero.invert();
    for (int k = 0; k < 16; ++k)
        EXPECT_EQ(zero.m[k], (k % 5 == 0) ? 1.0f : 0.0f);
}

TEST(Geometry, RotateWeightsScaleTheAngle)
{
    Matrix4 m;
    m.rotate(90.0f, 0.0f, 0.0f, 0.0f);
    for (int k = 0; k < 16; ++k)
        EXPECT_NEAR(m.m[k], (k % 5 == 0) ? 1.0f : 0.0f, 1e-7f) << "zero weights give identity";
    m.rotate(90.0f, 0.0f, 0.0f, 1.0f);
    EXPECT_NEAR(m.m[0], 0.0f, 1e-6f);
    EXPECT_NEAR(m.m[1], 1.0f, 1e-6f);
    EXPECT_NEAR(m.m[4], -1.0f, 1e-6f);
}
