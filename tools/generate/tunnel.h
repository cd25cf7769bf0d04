// Tunnels of the level kit: the one doorway profile every piece shares,
// swept along a centre line, with rock displacement that fades to the exact
// profile near doorways so neighbouring pieces meet without gaps, and the
// hidden skirts that continue a piece's doorway walls into its neighbour.
#pragma once

#include <cstdint>
#include <vector>

#include "tools/generate/mesh.h"

// The grid every level piece snaps to, and the doorway profile: a passage
// 80 wide with walls 60 high and a chamfered ceiling 78 high.
constexpr float cellSize = 200.0f;
constexpr float cellHalf = 100.0f;
constexpr float doorHalfWidth = 40.0f;
constexpr float doorWallHeight = 60.0f;
constexpr float doorCeiling = 78.0f;
constexpr float doorChamferHalf = 24.0f;
// Every piece keeps the exact profile for this depth inside each doorway.
constexpr float throatDepth = 15.0f;
// Skirts: the doorway walls continued this far beyond the cell edge, pushed
// this far outwards, so they hide behind the neighbour's own walls.
constexpr float skirtDepth = 12.0f;
constexpr float skirtOffset = 2.0f;
// How far CorridorDown descends; lower pieces sit this much lower.
constexpr float descentHeight = 60.0f;

// One point of the profile in (lateral s, height h), s growing to the right
// of the direction of travel.
struct ProfilePoint {
    float s = 0.0f;
    float h = 0.0f;
};

// The open profile from the bottom of the left wall up, across the ceiling
// and down to the bottom of the right wall (the floor closes it).
const std::vector<ProfilePoint>& doorwayProfile();

// One ring of a tunnel: the floor point on the centre line, the horizontal
// direction of travel, distance along the path, how rough the rock is here
// (0 exact profile, 1 full displacement), the profile's scale (for the
// rounded end of a dead end) and the section (floor and ceiling get hard
// edges where the section changes, e.g. at the ends of a slope).
struct PathPoint {
    Vector3 floor;
    Vector3 forward{1.0f, 0.0f, 0.0f};
    float distance = 0.0f;
    float rough = 0.0f;
    float sScale = 1.0f;
    float hScale = 1.0f;
    int section = 0;
};

struct TunnelStyle {
    float roughness = 8.0f;  // largest outward displacement of the rock
    uint32_t seed = 1;
    int wallRows = 4;        // subdivisions of each wall, chamfer and ceiling
    int chamferRows = 2;
    int ceilingColumns = 3;
};

// The three surfaces a tunnel adds to.
struct TunnelMeshes {
    Mesh* floor;
    Mesh* walls;
    Mesh* ceiling;
};

// Right-hand side direction of a horizontal direction of travel.
Vector3 rightOf(const Vector3& forward);

// Sweeps the profile along the path (at least two rings).
void sweepTunnel(const std::vector<PathPoint>& path, const TunnelStyle& style, const TunnelMeshes& out);

// Rock displacement weight near the ends of a path: 0 within throatDepth of
// a doorway end and 0 at a portal end, rising to 1 over the next 30 units.
float doorwayFade(float distanceFromDoorway);
float portalFade(float distanceFromPortal);

// Rings every `step` units along a straight floor line from a to b.
std::vector<PathPoint> straightPath(const Vector3& a, const Vector3& b, float step);

// The skirt of a doorway whose floor centre is `doorFloor` and whose outward
// direction (away from the piece) is `outward`: the profile widened by
// skirtOffset, from the cell edge to skirtDepth beyond it, facing inwards.
void addSkirt(Mesh& mesh, const Vector3& doorFloor, const Vector3& outward);

// The wall panel of a chamber edge from a to b (floor points, horizontal)
// up to `height`, with the doorway profile cut out of its bottom, centred;
// `sideRows` extra points on each vertical side (matching a neighbouring
// wall grid of that many rows) and `topParts` equal parts along the top
// (matching a ceiling above) keep the edges free of T-junctions.
void addPortalPanel(Mesh& mesh, const Vector3& a, const Vector3& b, float height, const Vector3& facing,
                    int sideRows, int topParts);
