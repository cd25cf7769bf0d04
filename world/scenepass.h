// The world's two passes (World::renderWorld): the logic pass (collision,
// depth fill, occlusion tests of the props, pickups) and the scene pass
// (prop contact and hazards, then the pieces that reach into the view drawn
// with their materials, depth first, and the light glows).
#pragma once

#include "assets/model3ds.h"

// Where a box stands against the view volume: whether any of it may be
// inside, and how far in front of the eye (clip w) its centre is.
struct ViewPlacement {
    bool inside = true;
    float depth = 0.0f;
};

// The box (in a piece's own coordinates) through the model-view and
// projection matrices (column-major, as OpenGL gives them). Outside only when
// all eight corners, the box widened by one unit against rounding, lie beyond
// the same side of the view volume; a box whose corners are not finite is
// always inside.
ViewPlacement placeBoxInView(const double projection[16], const double modelview[16], const ObjectBox& box);

// The sources of the depth-only program the scene pass fills depth with
// before shading.
extern const char* const depthVertexSource;
extern const char* const depthFragmentSource;

// Deletes what the passes made for themselves (the depth-only program) and
// the occlusion queries, while the context is current; safe to repeat.
void releaseScenePass();
