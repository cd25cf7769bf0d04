// The two cameras of the game and how the player's one walks and turns.
// The Camera record itself is a shared geometry value (core/geometry.h).
#pragma once

#include "core/geometry.h"

// Walking speed of the W, A, S, D keys in units per second.
constexpr float walkSpeed = 50.0f;

// The main menu's view over the level (the player's camera is the world's).
extern Camera menuCamera;

void positionCamera(Camera& camera, float positionX, float positionY, float positionZ, float viewX,
                    float viewY, float viewZ, float upX, float upY, float upZ);
// Walks along the full 3D viewing direction at speed units per second; the
// step of one pass is speed / frameRate.
void moveCamera(Camera& camera, float speed, float frameRate);
// Steps sideways (right for a positive speed), keeping the heights.
void strafeCamera(Camera& camera, float speed, float frameRate);
// Turns the view point about the vertical axis through the position.
void rotateView(Camera& camera, float angle);

// Movement divides by the frame rate; before the first counted frame (rate 0)
// there is no rate to divide by and the camera does not move.
bool movementAllowed(float frameRate);
