#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "core/geometry.h"

namespace {

void expectMatrix(const Matrix4& m, const float (&expected)[16], const char* what)
{
    for (int k = 0; k < 16; ++k)
        EXPECT_NEAR(m.m[k], expected[k], 1e-6f) << what << ", element " << k;
}

const float identity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

}  // namespace

TEST(Geometry, VectorsRotationsAndInverses)
{
    const Vector3 n = normalize(Vector3(3, 0, 4));
    EXPECT_EQ(std::vector<float>({n.x, n.y, n.z}), std::vector<float>({0.6f, 0.0f, 0.8f}));
    EXPECT_TRUE(std::isnan(normalize(Vector3(0, 0, 0)).x)) << "a zero vector has no direction";

    // Matrices rotate like glRotate and invert.
    Matrix4 m;
    m.rotate(90.0f, 0.0f, 1.0f, 0.0f);
    EXPECT_LT(distance(m.transformPoint(Vector3(1, 0, 0)), Vector3(0, 0, -1)), 1e-6f);
    // Weights scale the angle: none give the identity.
    Matrix4 still;
    still.rotate(90.0f, 0.0f, 0.0f, 0.0f);
    expectMatrix(still, identity, "zero weights");

    Matrix4 back;
    back.rotate(30.0f, 0.0f, 1.0f, 0.0f);
    back.invert();
    Matrix4 opposite;
    opposite.rotate(-30.0f, 0.0f, 1.0f, 0.0f);
    expectMatrix(back, opposite.m, "inverse rotation");
    Matrix4 moved = still;
    moved.m[12] = 5.0f;
    moved.m[13] = -2.0f;
    moved.invert();
    EXPECT_LT(distance(moved.transformPoint(Vector3(5, -2, 0)), Vector3(0, 0, 0)), 1e-6f);
}
