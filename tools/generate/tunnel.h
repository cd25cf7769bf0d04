// Tunnels of the level kit: the one doorway profile every piece shares (a
// round arch on upright jambs), swept along a centre line into rock whose
// displacement fades to the exact profile near doorways so neighbouring
// pieces meet without gaps, and the hidden skirts that continue a piece's
// doorway walls into its neighbour.
#pragma once

#include <cstdint>
#include <vector>

#include "tools/generate/mesh.h"

// The grid every level piece snaps to, and the doorway profile: a passage
// 80 wide, upright jambs 48 high, and a half-ellipse arch up to 82.
constexpr float cellSize = 200.0f;
constexpr float cellHalf = 100.0f;
constexpr float doorHalfWidth = 40.0f;
constexpr float doorWallHeight = 48.0f;  // top of the upright jambs
constexpr float doorCeiling = 82.0f;     // crown of the arch
// Every piece keeps the exact profile for this depth inside each doorway.
constexpr float throatDepth = 15.0f;
// Skirts: the doorway walls continued this far beyond the cell edge, pushed
// this far outwards, so they hide behind the neighbour's own walls.
constexpr float skirtDepth = 12.0f;
constexpr float skirtOffset = 2.0f;
// The collision hulls chamfer the edge where a throat meets its doorway
// panel: the throat flares this much wider and higher to meet a notch as
// much larger. Past a sharp convex edge the sphere test pushes the camera
// off the far side of a face.
constexpr float doorwayFlare = 3.0f;
// How far CorridorDown descends; lower pieces sit this much lower.
constexpr float descentHeight = 60.0f;

// One point of the profile in (lateral s, height h), s growing to the right
// of the direction of travel.
struct ProfilePoint {
    float s = 0.0f;
    float h = 0.0f;
};

// The open profile from the foot of the left jamb up, over the arch and down
// to the foot of the right jamb (the floor closes it): the jambs in rows of
// 16, the arch in segments of at most 13, so the rock swept from it has no
// flat side wider than that.
const std::vector<ProfilePoint>& doorwayProfile();
// The collision hulls' profile, inside the arch: the jambs, a chamfer up to
// just under the arch and a flat top between. Few large faces: the sphere
// test adds one push for every face it touches. With a flare it is that
// much wider and higher (see doorwayFlare), still under the arch.
std::vector<ProfilePoint> hullProfile(float flare);

// One ring of a tunnel: the floor point on the centre line, the horizontal
// direction of travel, distance along the path, how rough the rock is here
// (0 exact profile, 1 full displacement; rightRough scales it on the right
// half of the ring), the profile's scale (for the rounded end of a dead end
// and the bend of a turning) and the section (the floor gets a hard edge
// where the section changes, e.g. at the ends of a slope).
struct PathPoint {
    Vector3 floor;
    Vector3 forward{1.0f, 0.0f, 0.0f};
    float distance = 0.0f;
    float rough = 0.0f;
    float rightRough = 1.0f;
    float sScale = 1.0f;
    float hScale = 1.0f;
    int section = 0;
};

struct TunnelStyle {
    float roughness = 8.0f;  // largest outward displacement of the rock
    uint32_t seed = 1;
    // The hull profile (the collision hulls): its chords lie inside the
    // fine rock, never in front of it.
    bool coarse = false;
    // Closes the last ring with a flat end of rock (a dead end).
    bool closeEnd = false;
};

// The two surfaces a tunnel adds to: the flat floor (hard edges at section
// changes) and the rock of jambs and arch, one grid of shared vertices so
// the loader's vertex normals shade it smoothly.
struct TunnelMeshes {
    Mesh* floor;
    Mesh* rock;
};

// Right-hand side direction of a horizontal direction of travel.
Vector3 rightOf(const Vector3& forward);

// Sweeps the profile along the path (at least two rings). Rock is only ever
// pushed outwards: the tunnel is nowhere narrower than the profile.
void sweepTunnel(const std::vector<PathPoint>& path, const TunnelStyle& style, const TunnelMeshes& out);

// Rock displacement weight near the ends of a path: 0 within throatDepth of
// a doorway end and 0 at a portal end, rising to 1 over the next 30 units.
float doorwayFade(float distanceFromDoorway);
float portalFade(float distanceFromPortal);

// Rings every `step` units (or fewer) along a straight floor line from a to b.
std::vector<PathPoint> straightPath(const Vector3& a, const Vector3& b, float step);

// The skirt of a doorway whose floor centre is `doorFloor` and whose outward
// direction (away from the piece) is `outward`: the profile widened by
// skirtOffset, from the cell edge to skirtDepth beyond it, facing inwards.
void addSkirt(Mesh& mesh, const Vector3& doorFloor, const Vector3& outward);

// The wall panel of a chamber edge from a to b (floor points, horizontal)
// up to `height`, with the doorway profile cut out of its bottom, centred;
// `sideRows` extra points on each vertical side (matching a neighbouring
// wall grid of that many rows) and `topParts` equal parts along the top
// (matching a ceiling above) keep the edges free of T-junctions. With a
// flare the notch is that much wider and higher (see doorwayFlare).
void addPortalPanel(Mesh& mesh, const Vector3& a, const Vector3& b, float height, const Vector3& facing,
                    int sideRows, int topParts, float flare = 0.0f);
// The same with the side points at the given heights (rising).
void addPortalPanel(Mesh& mesh, const Vector3& a, const Vector3& b, float height, const Vector3& facing,
                    const std::vector<float>& sideHeights, int topParts, float flare = 0.0f);
