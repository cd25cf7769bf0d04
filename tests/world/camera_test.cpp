#include <gtest/gtest.h>

#include <cmath>

#include "tests/world/world_fixtures.h"

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
    // the position ends; the view moves with it (a strafe keeps its height).
    const Camera ahead = cameraAt(0, 30, 0, 0, 30, 30), self = cameraAt(1, 2, 3, 1, 2, 3);
    const struct {
        Camera start;
        bool strafe;
        float speed, rate;
        Vector3 expected;
        const char* why;
    } cases[] = {
        {ahead, false, 50, 100, {0, 30, 0.5f}, "100 fps: 0.5 units a frame"},
        {ahead, false, -50, 25, {0, 30, -2}, "25 fps back: 2 units"},
        {cameraAt(0, 0, 0, 0, 3, 4), false, 5, 1, {0, 3, 4}, "walking while looking up climbs"},
        {ahead, true, 40, 10, {-4, 30, 0}, "side vector (-n.z, 0, n.x)"},
        {cameraAt(0, 0, 0, 0, 4, 3), true, 40, 10, {-2.4f, 0, 0}, "side vector not normalised again"},
        {ahead, false, 50, 2, {0, 30, 5}, "a slow frame steps at most 5"},
        {ahead, true, 50, 2, {-5, 30, 0}, "so does a slow strafe"},
        {ahead, false, -50, 2, {0, 30, -5}, "and a slow step back"},
        {ahead, false, 50, 10, {0, 30, 5}, "10 fps still walks at full speed"},
        {ahead, false, 50, 0, {0, 30, 0}, "no rate yet: no movement"},
        {self, false, 50, 60, {1, 2, 3}, "a camera looking at itself stays"},
        {self, true, 50, 60, {1, 2, 3}, "and does not strafe into NaN"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        Camera camera = c.start;
        if (c.strafe)
            strafeCamera(camera, c.speed, c.rate);
        else
            moveCamera(camera, c.speed, c.rate);
        expectVector(camera.position, c.expected.x, c.expected.y, c.expected.z);
        const Vector3 moved = camera.position - c.start.position, view = c.start.view;
        expectVector(camera.view, view.x + moved.x, view.y + (c.strafe ? 0.0f : moved.y), view.z + moved.z);
    }
    // Turning is about the vertical axis through the position.
    Camera camera = cameraAt(10, 5, 10, 10, 7, 20);
    rotateView(camera, static_cast<float>(M_PI / 2));
    expectVector(camera.view, 0, 7, 10);
}
