// Glows at the lights: camera-facing, additively blended sprites of the glow
// texture, depth-tested against the scene so walls in front hide them.
#pragma once

#include "core/geometry.h"
#include "world/world.h"

// Half-size of every glow sprite in world units (a 20 x 20 square).
constexpr float glowHalfSize = 10.0f;

// One camera-facing square of side 2 * halfSize centred on center, textured
// and blended additively. Leaves units 1 to 3 and unit 0's 2D texturing off,
// blending off, unit 0 active with the GL_REPLACE environment.
void drawLensFlare(unsigned texture, const Vector3& center, float red, float green, float blue, float alpha,
                   float halfSize);

// The glows of every light (two sprites each) with depth writes off, then
// depth writes back on. Called after the last piece of the scene pass.
void drawLightGlows(const LevelLights& lights);
