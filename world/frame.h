// The frame of the 3D world: the logic pass, two scene passes and, when
// post-processing is active, the full-size image, the exposure sample, the
// one-eighth image and the composition; straight into the window otherwise.
#pragma once

#include "core/geometry.h"
#include "world/world.h"

// Draws one frame of the world as seen by camera (a copy: the passes may
// move the world's player camera meanwhile).
void renderWorldFrame(World& world, Camera camera);
