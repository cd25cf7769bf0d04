#include <gtest/gtest.h>

#include <cmath>

#include "tests/world/world_fixtures.h"
#include "world/collision.h"

namespace {

Matrix4 noTurn()
{
    Matrix4 m;
    m.identity();
    return m;
}

// A large wall triangle in the plane z = 0 facing +z, around the origin.
Model3DS wallModel()
{
    return trianglesModel({{-100, -100, 0}, {100, -100, 0}, {0, 100, 0}});
}

// Collides a camera standing at center (piece at the origin) and returns how
// far the camera's position moved; checks the view point moved the same.
Vector3 pushFor(const Model3DS& model, const Vector3& center, const Matrix4& turn = noTurn())
{
    Camera camera = cameraAt(center);
    const Camera before = camera;
    collideCameraWithPiece(model, camera, center, 15.0f, turn);
    const Vector3 moved = camera.position - before.position;
    expectVector(camera.view - before.view, moved.x, moved.y, moved.z);
    return moved;
}

}  // namespace

TEST(Collision, LineAndAngleHelpersHandleTheirEdgeCases)
{
    // Beyond either end the nearest point is that end; a segment of no
    // length has no direction, its only point is the answer.
    expectVector(closestPointOnLine({0, 0, 0}, {10, 0, 0}, {-5, 3, 0}), 0, 0, 0);
    expectVector(closestPointOnLine({0, 0, 0}, {10, 0, 0}, {15, 3, 0}), 10, 0, 0);
    expectVector(closestPointOnLine({2, 2, 2}, {2, 2, 2}, {4, 3, 0}), 2, 2, 2);
    EXPECT_NEAR(angleBetweenVectors({1, 0, 0}, {0, 1, 0}), M_PI / 2, 1e-6);
    EXPECT_NEAR(angleBetweenVectors({1, 0, 0}, {-1, 0, 0}), M_PI, 1e-6);
    EXPECT_EQ(angleBetweenVectors({0, 0, 0}, {0, 1, 0}), 0.0);
    EXPECT_EQ(angleBetweenVectors({0, 0, 0}, {0, 0, 0}), 0.0);

    // A sphere of radius 15 against the plane z = 5 facing +z: touching it
    // exactly is in front of (or behind) it, just closer cuts it.
    const struct {
        float z;
        SphereClass expected;
    } spheres[] = {{20, FRONT}, {19.99f, INTERSECTS}, {5, INTERSECTS}, {-9.99f, INTERSECTS}, {-10, BEHIND}};
    for (const auto& c : spheres) {
        float d = 0.0f;
        EXPECT_EQ(classifySphere({3, 4, c.z}, {0, 0, 1}, {7, -2, 5}, 15.0f, d), c.expected) << c.z;
        EXPECT_FLOAT_EQ(d, c.z - 5);
    }
}

TEST(Collision, PushesOutAlongTheNormalByThePenetration)
{
    const Model3DS wall = wallModel();
    // Where the centre stands and how far it moves: 10 in front out along N
    // to 15 from the plane, 10 behind out to the back side, on the plane all
    // the way to the back side, at 15 or more nothing (the plane test says
    // FRONT or BEHIND), far beside the triangle nothing (neither the foot nor
    // an edge is near).
    const float cases[][2] = {{10, 5}, {-10, -5}, {0, -15}, {15, 0}, {-15, 0}, {14.99f, 0.01f}, {-14.99f, -0.01f}, {40, 0}};
    for (const auto& c : cases)
        expectVector(pushFor(wall, {0, 0, c[0]}), 0, 0, c[1]);
    expectVector(pushFor(wall, {300, 0, 5}), 0, 0, 0);
}

TEST(Collision, EdgesPushWithinHalfTheRadiusAndCornersAddTheirPushes)
{
    const Model3DS triangle = trianglesModel({{0, 0, 0}, {100, 0, 0}, {0, 100, 0}});
    // The foot (-5, 50, 0) is outside, the edge x = 0 is 7.07 away: pushed as
    // if inside. On the plane 7.5 or more from the edge: no push; just within
    // it, the back-side push of d = 0.
    const float cases[][2] = {{-5, 10}, {-7.5f, 0}, {-8, 0}, {-7.4f, -15}};
    for (const auto& c : cases)
        expectVector(pushFor(triangle, {c[0], 50, c[1] > 0 ? 5.0f : 0.0f}), 0, 0, c[1]);

    // Walls z = 0 facing +z and x = 0 facing +x.
    const Model3DS corner = trianglesModel(
        {{0, -100, 0}, {100, -100, 0}, {0, 100, 0}, {0, -100, 0}, {0, 100, 0}, {0, -100, 100}});
    expectVector(pushFor(corner, {10, 0, 10}), 5, 0, 5);
}

TEST(Collision, TurnsTheModelAndKeepsTheCentre)
{
    const Model3DS wall = wallModel();
    Matrix4 turn;
    turn.rotate(90.0f, 0.0f, 1.0f, 0.0f);
    // Turned 90 degrees about Y the wall's normal +z becomes +x.
    expectVector(pushFor(wall, {10, 0, 0}, turn), 5, 0, 0);
    expectVector(pushFor(wall, {-10, 0, 0}, turn), -5, 0, 0);

    // Two coincident walls: the centre stays where it was for the second
    // face, so both push by the full 5.
    std::vector<Vector3> twice = {{-100, -100, 0}, {100, -100, 0}, {0, 100, 0}};
    twice.insert(twice.end(), twice.begin(), twice.end());
    expectVector(pushFor(trianglesModel(twice), {0, 0, 10}), 0, 0, 10);

    // The piece's offset is what is tested, not the camera's own position.
    Camera camera = cameraAt({1000, 0, 10});
    collideCameraWithPiece(wall, camera, {0, 0, 10}, 15.0f, noTurn());
    expectVector(camera.position, 1000, 0, 15);
}

TEST(Collision, ModelsWithoutUsableGeometryLeaveTheCameraAlone)
{
    const Model3DS empty;
    expectVector(pushFor(empty, {0, 0, 0}), 0, 0, 0);

    // A face naming vertices the object lacks is skipped, the good one still pushes.
    Model3DS broken = wallModel();
    broken.objects[0].faces.push_back({0, 1, 99});
    broken.objects[0].faces.push_back({70000, 1, 2});
    broken.objects[0].faceCount = 3;
    expectVector(pushFor(broken, {0, 0, 10}), 0, 0, 5);

    // Normals missing altogether (vertices without their normals): nothing read past them.
    Model3DS noNormals = wallModel();
    noNormals.objects[0].normals.clear();
    expectVector(pushFor(noNormals, {0, 0, 10}), 0, 0, 0);

    // A degenerate face has a NaN normal and never pushes.
    expectVector(pushFor(trianglesModel({{0, 0, 0}, {0, 0, 0}, {0, 0, 0}}), {0, 0, 1}), 0, 0, 0);
}
