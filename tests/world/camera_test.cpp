#include <gtest/gtest.h>

#include <cmath>

#include "world/camera.h"

namespace {

Camera cameraAt(float px, float py, float pz, float vx, float vy, float vz)
{
    Camera camera;
    positionCamera(camera, px, py, pz, vx, vy, vz, 0, 1, 0);
    return camera;
}

}  // namespace

TEST(Camera, WalkingAndStrafingFollowTheFrameRate)
{
    // Each row: start (position, view), the step, the frame rate, and where
    // the position ends.
    const struct {
        Camera start;
        bool strafe;
        float speed, rate;
        Vector3 expected;
        const char* why;
    } cases[] = {
        {cameraAt(0, 30, 0, 0, 30, 30), false, 50, 100, {0, 30, 0.5f}, "100 fps: 0.5 units a frame"},
        {cameraAt(0, 30, 0, 0, 30, 30), false, -50, 25, {0, 30, -2}, "25 fps back: 2 units"},
        {cameraAt(0, 0, 0, 0, 3, 4), false, 5, 1, {0, 3, 4}, "walking while looking up climbs"},
        {cameraAt(0, 30, 0, 0, 30, 30), true, 40, 10, {-4, 30, 0}, "side vector (-n.z, 0, n.x)"},
        {cameraAt(0, 0, 0, 0, 4, 3), true, 40, 10, {-2.4f, 0, 0}, "side vector not normalised again"},
        {cameraAt(0, 30, 0, 0, 30, 30), false, 50, 2, {0, 30, 5}, "a slow frame steps at most 5"},
        {cameraAt(0, 30, 0, 0, 30, 30), true, 50, 2, {-5, 30, 0}, "so does a slow strafe"},
        {cameraAt(0, 30, 0, 0, 30, 30), false, 50, 10, {0, 30, 5}, "10 fps still walks at full speed"},
        {cameraAt(0, 30, 0, 0, 30, 30), false, 50, 0, {0, 30, 0}, "no rate yet: no movement"},
        {cameraAt(1, 2, 3, 1, 2, 3), false, 50, 60, {1, 2, 3}, "a camera looking at itself stays"},
        {cameraAt(1, 2, 3, 1, 2, 3), true, 50, 60, {1, 2, 3}, "and does not strafe into NaN"},
    };
    for (const auto& c : cases) {
        Camera camera = c.start;
        if (c.strafe)
            strafeCamera(camera, c.speed, c.rate);
        else
            moveCamera(camera, c.speed, c.rate);
        EXPECT_FLOAT_EQ(camera.position.x, c.expected.x) << c.why;
        EXPECT_FLOAT_EQ(camera.position.y, c.expected.y) << c.why;
        EXPECT_FLOAT_EQ(camera.position.z, c.expected.z) << c.why;
        const Vector3 moved = camera.position - c.start.position;
        if (c.strafe)
            EXPECT_FLOAT_EQ(camera.view.y, c.start.view.y) << c.why;
        else
            EXPECT_FLOAT_EQ(camera.view.y, c.start.view.y + moved.y) << c.why;
        EXPECT_FLOAT_EQ(camera.view.x, c.start.view.x + moved.x) << c.why;
        EXPECT_FLOAT_EQ(camera.view.z, c.start.view.z + moved.z) << c.why;
    }
    // Turning is about the vertical axis through the position.
    Camera camera = cameraAt(10, 5, 10, 10, 7, 20);
    rotateView(camera, static_cast<float>(M_PI / 2));
    EXPECT_NEAR(camera.view.x, 0.0f, 1e-5f);
    EXPECT_NEAR(camera.view.z, 10.0f, 1e-5f);
    EXPECT_FLOAT_EQ(camera.view.y, 7.0f);
}
