#include "world/camera.h"

#include <cmath>

Camera menuCamera;

void positionCamera(Camera& camera, float positionX, float positionY, float positionZ, float viewX,
                    float viewY, float viewZ, float upX, float upY, float upZ)
{
    camera.position = {positionX, positionY, positionZ};
    camera.view = {viewX, viewY, viewZ};
    camera.up = {upX, upY, upZ};
}

bool movementAllowed(float frameRate)
{
    return frameRate > 0.0f;
}

namespace {

// The collision pushes the camera back out of what it entered in one pass but
// does not sweep the path in between, so one pass must never step further
// than the collision's reach (half the sphere radius) or a slow frame would
// carry the camera through a wall. Below 10 frames per second the walk
// therefore slows down instead.
constexpr float maxStepPerPass = 5.0f;

float stepSize(float speed, float frameRate)
{
    const float step = speed / frameRate;
    if (step > maxStepPerPass)
        return maxStepPerPass;
    if (step < -maxStepPerPass)
        return -maxStepPerPass;
    return step;
}

}  // namespace

void moveCamera(Camera& camera, float speed, float frameRate)
{
    const Vector3 n = normalize(camera.view - camera.position);
    if (!movementAllowed(frameRate) || !std::isfinite(n.x) || !std::isfinite(n.y) || !std::isfinite(n.z))
        return;
    const float step = stepSize(speed, frameRate);
    const Vector3 delta(n.x * step, n.y * step, n.z * step);
    camera.position = camera.position + delta;
    camera.view = camera.view + delta;
}

void strafeCamera(Camera& camera, float speed, float frameRate)
{
    const Vector3 n = normalize(camera.view - camera.position);
    if (!movementAllowed(frameRate) || !std::isfinite(n.x) || !std::isfinite(n.z))
        return;
    const float step = stepSize(speed, frameRate);
    const Vector3 side(-n.z, 0.0f, n.x);
    const float stepX = side.x * step;
    const float stepZ = side.z * step;
    camera.position.x += stepX;
    camera.view.x += stepX;
    camera.position.z += stepZ;
    camera.view.z += stepZ;
}

void rotateView(Camera& camera, float angle)
{
    const float dx = camera.view.x - camera.position.x;
    const float dz = camera.view.z - camera.position.z;
    const float c = std::cos(angle);
    const float s = std::sin(angle);
    camera.view.x = camera.position.x + c * dx - s * dz;
    camera.view.z = camera.position.z + s * dx + c * dz;
}
