// The first-person camera: a position, a point looked at and an up vector,
// walked with W, A, S, D and turned with the mouse.
#pragma once

#include "world/geometry.h"

struct Camera {
    Vector3 position;
    Vector3 view;  // the point looked at; never equal to position
    Vector3 up;
};

extern Camera playerCamera;
extern Camera menuCamera;

void positionCamera(Camera& camera, float positionX, float positionY, float positionZ, float viewX,
                    float viewY, float viewZ, float upX, float upY, float upZ);
// Walks along the full 3D viewing direction at speed units per second.
void moveCamera(Camera& camera, float speed);
// Steps sideways (right for a positive speed), keeping the heights.
void strafeCamera(Camera& camera, float speed);
// Turns the view point about the vertical axis through the position.
void rotateView(Camera& camera, float angle);
// Turns and tilts from the cursor's offset from the centre of a width x height
// area, then puts the cursor back at the centre.
void mouseLook(Camera& camera, int width, int height);

// Movement divides by the frame rate; before the first counted frame (rate 0)
// there is no rate to divide by and the camera does not move.
bool movementAllowed();
