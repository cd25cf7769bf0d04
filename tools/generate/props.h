// Static props and the collectible bottle. Each is built in drawing axes
// (y up) with its origin where the map places it:
// - most props stand with their foot on the origin;
// - Torch: the origin is the mount on the wall, the torch leans out along +x
//   with its flame round torchFlame, where the map puts the torch's light;
// - Stalagtit and Rope hang down from the origin (a point on the ceiling);
// - Campfire and Pile: the origin is hazardLift above the ground, so the
//   map places them that much above the floor and the hazard distance,
//   measured from the origin, reaches a standing player's eye; the fire's
//   flame burns round campfireFlame, where the map puts its light.
// The first object of each prop is its main body: the world pushes the
// camera out of that object's box.
#pragma once

#include <string>
#include <vector>

#include "tools/generate/mesh.h"

constexpr float hazardLift = 15.0f;
// Where the torch's flame burns relative to its origin (unturned).
const Vector3 torchFlame(11.0f, 22.0f, 0.0f);
// Where the campfire's flame is widest relative to its origin.
const Vector3 campfireFlame(0.0f, -2.0f, 0.0f);
// Height of the stalagnate column.
constexpr float stalagnatHeight = 124.0f;

struct PropModel {
    std::string fileName;  // e.g. "Data/Models/Static/Crate.3DS"
    std::vector<Mesh> objects;
};

// The twelve props and the bottle.
std::vector<PropModel> buildProps();
