// The level kit: eleven pieces that snap on one 200-unit grid, each with
// its origin at the centre of its cell and its floor at height 0, and
// doorways in the middle of the cell's sides with one shared profile.
//
// Only the piece whose origin is nearest to the camera collides in a frame.
// With every piece one cell large and all neighbours at one height, the
// nearest origin is always the cell the camera is in, so each piece only
// needs to keep the camera inside its own cell. Where the heights differ (at
// the foot of CorridorDown) the switch happens a few units off the cell
// edge; every doorway therefore keeps the exact profile for throatDepth
// inside the cell and its collision hull continues the walls skirtDepth
// beyond it (skirts), so whichever piece collides near a doorway, the walls
// it tests are there.
#pragma once

#include <string>
#include <vector>

#include "tools/generate/mesh.h"

// Sides of a cell in the piece's own axes.
enum class Side { East, North, West, South };  // +x, -z, -x, +z

struct Doorway {
    Side side;
    float floor;  // floor height at the doorway
};

// One piece of the kit, built.
struct KitPiece {
    std::string kind;           // the keyword the map uses, e.g. "CorridorStraight"
    std::string modelFile;      // relative to the data folder's parent, e.g. "Data/Models/Level/..."
    std::string collisionFile;  // its simplified collision hull
    std::vector<Doorway> doorways;
    std::vector<Mesh> display;    // at most 8 objects
    std::vector<Mesh> collision;  // the hull, facing into the level
};

// Builds all eleven pieces.
std::vector<KitPiece> buildLevelKit();

// The floor centre of a doorway and the direction out of the cell.
Vector3 doorwayPoint(const Doorway& doorway);
Vector3 doorwayOutward(Side side);
