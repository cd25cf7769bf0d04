// The occlusion test: did any fragment of a placed model's object boxes pass
// the depth test against what is already drawn? Through the HP occlusion test
// where the driver offers it, else ARB occlusion queries; without either
// every model counts as visible.
#pragma once

#include <cstdint>
#include <vector>

#include "assets/model3ds.h"
#include "core/geometry.h"
#include "render/capabilities.h"

// A model placed in the world: translated by position, then turned by
// rotation (degrees about X, Y and Z, in that order).
struct PlacedModel {
    const Model3DS* model = nullptr;
    Vector3 position;
    Vector3 rotation;
};

// The twelve edges of every object box of the placed model, drawn with colour
// and depth writes off (back on after): true when a fragment passed.
bool isModelVisible(const Model3DS& model, const Vector3& position, const Vector3& rotation);

// The same test for many models, visible[i] set to 1 or 0 for models[i].
// With ARB queries every box is drawn before the first answer is read, so the
// driver waits once.
void testModelsVisible(const std::vector<PlacedModel>& models, std::vector<uint8_t>& visible);

// The ARB occlusion-query entry points when the driver counts samples with
// them (for measurements: the fragments a pass shades), nullptr otherwise.
const OcclusionQueryEntryPoints* sampleQueries();

// Deletes the query objects the tests made (at shutdown, while the context
// is current); the method is decided again at the next test. Safe to repeat.
void releaseOcclusionQueries();
