#include "tools/generate/levelkit.h"

#include <cmath>

#include "tools/generate/chamber.h"
#include "tools/generate/noise.h"
#include "tools/generate/shapes.h"
#include "tools/generate/tunnel.h"
#include "world/world.h"

namespace {

constexpr float pi = 3.14159265358979f;

// The surfaces of one piece while it is built; each becomes one object.
struct Parts {
    Mesh floor{"Floor", {}, {}, {}};
    Mesh walls{"Walls", {}, {}, {}};
    Mesh ceiling{"Ceiling", {}, {}, {}};
    Mesh details{"Details", {}, {}, {}};
    Mesh skirts{"Skirts", {}, {}, {}};

    TunnelMeshes tunnel() { return {&floor, &walls, &ceiling}; }
    ChamberMeshes chamber() { return {&floor, &walls, &ceiling}; }
    // The finished objects. Every triangle gets its own vertices: the
    // collision takes a triangle's normal from its vertex normals, and
    // shared vertices on bent rock would tilt that normal away from the
    // face, so the sphere test would miss pushes.
    std::vector<Mesh> objects() const
    {
        std::vector<Mesh> list;
        for (const Mesh* mesh : {&floor, &walls, &ceiling, &details, &skirts}) {
            if (mesh->faces.empty())
                continue;
            list.push_back(*mesh);
            flatten(list.back());
        }
        return list;
    }
};

// Rock for the display models; the collision hulls are the plain profile.
TunnelStyle tunnelStyle(bool hull, uint32_t seed)
{
    TunnelStyle style;
    style.seed = seed;
    if (hull) {
        style.roughness = 0.0f;
        style.wallRows = 1;
        style.chamferRows = 1;
        style.ceilingColumns = 1;
    } else {
        // Few, large faces: near a convex corner every triangle within half
        // the camera's radius pushes, so small faces would add up to a throw.
        style.roughness = 6.0f;
        style.wallRows = 1;
        style.chamferRows = 1;
        style.ceilingColumns = 2;
    }
    return style;
}

void addSkirts(Parts& parts, const std::vector<Doorway>& doorways)
{
    for (const Doorway& doorway : doorways)
        addSkirt(parts.skirts, doorwayPoint(doorway), doorwayOutward(doorway.side));
}

// A straight throat from a chamber's doorway panel out to the cell edge: the
// plain profile, so its rings match the panel's notch corner for corner.
void addThroat(Parts& parts, const Doorway& doorway, const Vector3& portal)
{
    const std::vector<PathPoint> path = straightPath(portal, doorwayPoint(doorway), 1000.0f);
    sweepTunnel(path, tunnelStyle(true, 0), parts.tunnel());
}

// Gives a path between two doorways its rock weights.
void fadeBetweenDoorways(std::vector<PathPoint>& path)
{
    const float length = path.back().distance;
    for (PathPoint& point : path)
        point.rough = doorwayFade(point.distance) * doorwayFade(length - point.distance);
}

// ---- Corridors -------------------------------------------------------------

void buildStraight(Parts& parts, bool hull)
{
    std::vector<PathPoint> path = straightPath({-cellHalf, 0, 0}, {cellHalf, 0, 0}, hull ? 1000.0f : 20.0f);
    fadeBetweenDoorways(path);
    sweepTunnel(path, tunnelStyle(hull, 11), parts.tunnel());
}

// From the west doorway to the south doorway with one mitred corner: the
// ring at the corner lies on the bisector, stretched so the walls stay 80
// apart. A curved inner wall made of many small faces would let the sphere
// test add up many pushes at once; one sharp inner corner only pushes the
// camera away from it, into the open passage.
void buildTurning(Parts& parts, bool hull)
{
    std::vector<PathPoint> path;
    const auto add = [&](const Vector3& floor, const Vector3& forward, float sScale) {
        PathPoint point;
        point.floor = floor;
        point.forward = forward;
        point.sScale = sScale;
        point.distance = path.empty() ? 0.0f : path.back().distance + lengthOf(floor - path.back().floor);
        path.push_back(point);
    };
    // Each arm's rings stop where its inner wall meets the corner, so the
    // inner wall never folds back on itself.
    const float armEnd = cellHalf - doorHalfWidth;
    const int steps = hull ? 1 : 3;
    for (int k = 0; k <= steps; ++k)
        add({-cellHalf + armEnd * static_cast<float>(k) / static_cast<float>(steps), 0, 0}, {1, 0, 0}, 1.0f);
    add({0, 0, 0}, unit({1, 0, 1}), std::sqrt(2.0f));
    const size_t cornerRing = path.size() - 1;
    for (int k = 0; k <= steps; ++k)
        add({0, 0, doorHalfWidth + armEnd * static_cast<float>(k) / static_cast<float>(steps)}, {0, 0, 1}, 1.0f);
    // Rock fades out at both doorways and towards the corner.
    const float corner = path[cornerRing].distance;
    for (PathPoint& point : path)
        point.rough = doorwayFade(point.distance) * doorwayFade(path.back().distance - point.distance) *
                      smoothstepf(40.0f, 70.0f, std::fabs(point.distance - corner));
    sweepTunnel(path, tunnelStyle(hull, 12), parts.tunnel());
}

// From the west doorway to a rounded rock end past the centre.
void buildEnd(Parts& parts, bool hull)
{
    const float capStart = 20.0f, capLength = 45.0f;
    std::vector<PathPoint> path = straightPath({-cellHalf, 0, 0}, {capStart, 0, 0}, hull ? 1000.0f : 20.0f);
    for (PathPoint& point : path)
        point.rough = doorwayFade(point.distance);
    const int capRings = hull ? 2 : 5;
    for (int k = 1; k <= capRings; ++k) {
        const float a = 0.5f * pi * static_cast<float>(k) / static_cast<float>(capRings);
        PathPoint point;
        point.floor = {capStart + capLength * std::sin(a), 0, 0};
        point.distance = path.back().distance + lengthOf(point.floor - path.back().floor);
        point.sScale = std::cos(a);
        point.hScale = 0.35f + 0.65f * std::cos(a);
        point.rough = std::cos(a);
        path.push_back(point);
    }
    sweepTunnel(path, tunnelStyle(hull, 13), parts.tunnel());
}

// West doorway at floor 0, east doorway descentHeight lower: a level landing
// inside each doorway and a ramp between them (hard edges at the kinks).
void buildDown(Parts& parts, bool hull)
{
    const float landing = cellHalf - 20.0f;
    std::vector<PathPoint> path;
    const auto add = [&](float x, int section) {
        const float t = clampf((x + landing) / (2.0f * landing), 0.0f, 1.0f);
        PathPoint point;
        point.floor = {x, -descentHeight * t, 0};
        point.distance = path.empty() ? 0.0f : path.back().distance + lengthOf(point.floor - path.back().floor);
        point.section = section;
        path.push_back(point);
    };
    add(-cellHalf, 0);
    add(-cellHalf + 10.0f, 0);
    add(-landing, 0);
    const int slopeSteps = hull ? 1 : 8;
    for (int k = 1; k <= slopeSteps; ++k)
        add(-landing + 2.0f * landing * static_cast<float>(k) / static_cast<float>(slopeSteps), 1);
    add(cellHalf - 10.0f, 2);
    add(cellHalf, 2);
    fadeBetweenDoorways(path);
    sweepTunnel(path, tunnelStyle(hull, 14), parts.tunnel());
}

// ---- Crossroads ------------------------------------------------------------

// An octagonal cave chamber whose four straight sides hold doorway panels
// (or rock where there is no doorway), with a throat out to each doorway.
void buildCrossing(Parts& parts, bool hull, bool allFour, uint32_t seed)
{
    const float d = 55.0f, w = doorHalfWidth;
    ChamberOutline outline;
    outline.points = {{d, 0, -w}, {d, 0, w}, {w, 0, d}, {-w, 0, d}, {-d, 0, w}, {-d, 0, -w}, {-w, 0, -d}, {w, 0, -d}};
    outline.portal = {true, false, true, false, true, false, allFour, false};
    outline.centre = {0, 30, 0};
    ChamberStyle style;
    style.wallHeight = 92.0f;
    style.domeHeight = hull ? 92.0f : 118.0f;
    style.roughness = hull ? 0.0f : 6.0f;
    style.seed = seed;
    style.wallRows = hull ? 1 : 4;
    style.domeRings = hull ? 1 : 3;
    style.columnStep = hull ? 1000.0f : 16.0f;
    buildRoughChamber(outline, style, parts.chamber());
    addThroat(parts, {Side::East, 0}, {d, 0, 0});
    addThroat(parts, {Side::South, 0}, {0, 0, d});
    addThroat(parts, {Side::West, 0}, {-d, 0, 0});
    if (allFour)
        addThroat(parts, {Side::North, 0}, {0, 0, -d});
}

// ---- Rooms -----------------------------------------------------------------

// A square masonry outline of half-size h with doorway panels on the listed
// sides (edges run N, E, S, W).
ChamberOutline squareOutline(float h, bool north, bool east, bool south, bool west, float centreHeight)
{
    ChamberOutline outline;
    outline.points = {{-h, 0, -h}, {h, 0, -h}, {h, 0, h}, {-h, 0, h}};
    outline.portal = {north, east, south, west};
    outline.centre = {0, centreHeight, 0};
    return outline;
}

// A rough outline round the centre from angle `from` to angle `to` (degrees
// in the x-z plane, going the way that decreases the angle), radius varying
// with noise, the given points first and last.
void appendCaveArc(std::vector<Vector3>& points, std::vector<bool>& portal, float from, float to, float radius,
                   float wobble, int count, uint32_t seed)
{
    for (int k = 1; k < count; ++k) {
        const float t = static_cast<float>(k) / static_cast<float>(count);
        const float angle = (from + (to - from) * t) * pi / 180.0f;
        const float r = radius + wobble * valueNoise2(t * 5.0f, 0.5f, seed, 0, 0);
        points.push_back({r * std::cos(angle), 0, r * std::sin(angle)});
        portal.push_back(false);
    }
}

// Room01: a pillared hall passed through from west to east, a broad column
// in the middle.
//
// Collision rule for all room details: the camera's sphere is pushed by
// every triangle it touches, so a convex corner can throw it several times
// its penetration. Details therefore either stand against a wall (pushes
// only lead away from it) or stand free at least 50 units from any wall,
// and nothing hangs down into reach (no beams or capitals), so contact
// always grows one step at a time. Nothing juts out a little from a wall
// either: past a sharp corner the sphere test pushes towards the far side of
// a face, which would be the wall behind. And no wall has a hole smaller
// than the camera (a niche): with the sphere's centre over the hole nothing
// holds it, and once it is past the wall's plane the push goes outwards.
void buildRoom01(Parts& parts, bool)
{
    const float h = cellHalf - throatDepth;
    ChamberStyle style;
    style.wallHeight = 100.0f;
    buildMasonryChamber(squareOutline(h, false, true, false, true, 50.0f), style, parts.chamber());
    addThroat(parts, {Side::West, 0}, {-h, 0, 0});
    addThroat(parts, {Side::East, 0}, {h, 0, 0});
    addBox(parts.details, {-12, 0, -12}, {12, style.wallHeight, 12}, SkipTop | SkipBottom);
}

// Room02: a round cave with a high dome, entered from the west only.
void buildRoom02(Parts& parts, bool hull)
{
    const float p = cellHalf - throatDepth;
    ChamberOutline outline;
    outline.points = {{-p, 0, -45}, {-p, 0, 45}};
    outline.portal = {true};
    appendCaveArc(outline.points, outline.portal, 152.0f, -152.0f, 78.0f, 10.0f, hull ? 6 : 16, 31);
    outline.portal.push_back(false);
    outline.centre = {0, 40, 0};
    ChamberStyle style;
    style.wallHeight = 85.0f;
    style.domeHeight = hull ? 85.0f : 150.0f;
    style.roughness = hull ? 0.0f : 10.0f;
    style.seed = 32;
    style.wallRows = hull ? 1 : 4;
    style.domeRings = hull ? 1 : 5;
    style.columnStep = hull ? 1000.0f : 16.0f;
    buildRoughChamber(outline, style, parts.chamber());
    addThroat(parts, {Side::West, 0}, {-p, 0, 0});
}

// Room03: a crypt with a stone sarcophagus, entered from the west and the
// south.
void buildRoom03(Parts& parts, bool)
{
    const float h = cellHalf - throatDepth;
    ChamberStyle style;
    style.wallHeight = 90.0f;
    buildMasonryChamber(squareOutline(h, false, false, true, true, 45.0f), style, parts.chamber());
    addThroat(parts, {Side::West, 0}, {-h, 0, 0});
    addThroat(parts, {Side::South, 0}, {0, 0, h});
    // The sarcophagus stands free, north-east of the middle, off the path
    // between the doors and clear of the walls.
    addBox(parts.details, {-2, 0, -28}, {32, 20, -4}, SkipBottom);
}

// Room04: a small cellar with a low stone step along its north wall (too low
// for the sphere's centre to come below its top), entered from the west and
// the south through longer passages.
void buildRoom04(Parts& parts, bool)
{
    const float h = 60.0f;
    ChamberStyle style;
    style.wallHeight = 88.0f;
    buildMasonryChamber(squareOutline(h, false, false, true, true, 36.0f), style, parts.chamber());
    addThroat(parts, {Side::West, 0}, {-h, 0, 0});
    addThroat(parts, {Side::South, 0}, {0, 0, h});
    // Faces against the walls and the floor would never be seen.
    addBox(parts.details, {-h, 0, -h}, {h, 12, -h + 24}, SkipBottom | SkipLowZ | SkipLowX | SkipHighX);
}

// Room05: the great cavern, entered from the west and the south, with a
// dome high above.
void buildRoom05(Parts& parts, bool hull)
{
    const float p = cellHalf - throatDepth;
    ChamberOutline outline;
    outline.points = {{-p, 0, -45}, {-p, 0, 45}};
    outline.portal = {true};
    // The short stretch of rock between the two doorways.
    outline.points.push_back({-70, 0, 72});
    outline.portal.push_back(false);
    outline.portal.push_back(false);
    outline.points.push_back({-45, 0, p});
    outline.points.push_back({45, 0, p});
    outline.portal.push_back(true);
    appendCaveArc(outline.points, outline.portal, 63.0f, -150.0f, 84.0f, 8.0f, hull ? 6 : 18, 61);
    outline.portal.push_back(false);
    outline.centre = {0, 40, 0};
    ChamberStyle style;
    style.wallHeight = 85.0f;
    style.domeHeight = hull ? 85.0f : 170.0f;
    style.roughness = hull ? 0.0f : 12.0f;
    style.seed = 62;
    style.wallRows = hull ? 1 : 4;
    style.domeRings = hull ? 1 : 6;
    style.columnStep = hull ? 1000.0f : 16.0f;
    buildRoughChamber(outline, style, parts.chamber());
    addThroat(parts, {Side::West, 0}, {-p, 0, 0});
    addThroat(parts, {Side::South, 0}, {0, 0, p});
}

struct KindSpec {
    const char* kind;
    std::vector<Doorway> doorways;
    void (*build)(Parts&, bool);
};

void buildCrossroadT(Parts& parts, bool hull)
{
    buildCrossing(parts, hull, false, 15);
}

void buildCrossroadAll(Parts& parts, bool hull)
{
    buildCrossing(parts, hull, true, 16);
}

}  // namespace

Vector3 doorwayOutward(Side side)
{
    switch (side) {
    case Side::East:
        return {1, 0, 0};
    case Side::North:
        return {0, 0, -1};
    case Side::West:
        return {-1, 0, 0};
    case Side::South:
        return {0, 0, 1};
    }
    return {1, 0, 0};
}

Vector3 doorwayPoint(const Doorway& doorway)
{
    const Vector3 out = doorwayOutward(doorway.side);
    return {out.x * cellHalf, doorway.floor, out.z * cellHalf};
}

std::vector<KitPiece> buildLevelKit()
{
    const Doorway west{Side::West, 0}, east{Side::East, 0}, south{Side::South, 0}, north{Side::North, 0};
    const std::vector<KindSpec> kinds = {
        {"CorridorDown", {west, {Side::East, -descentHeight}}, buildDown},
        {"CorridorTurning", {west, south}, buildTurning},
        {"CorridorEnd", {west}, buildEnd},
        {"CorridorStraight", {west, east}, buildStraight},
        {"CrossroadT", {west, east, south}, buildCrossroadT},
        {"CrossroadAll", {west, east, south, north}, buildCrossroadAll},
        {"Room01", {west, east}, buildRoom01},
        {"Room02", {west}, buildRoom02},
        {"Room03", {west, south}, buildRoom03},
        {"Room04", {west, south}, buildRoom04},
        {"Room05", {west, south}, buildRoom05},
    };
    std::vector<KitPiece> pieces;
    for (const KindSpec& spec : kinds) {
        KitPiece piece;
        piece.kind = spec.kind;
        // The file names are the game's own: the piece-kind table the map
        // loader reads them from.
        const PieceKind* kind = findPieceKind(spec.kind);
        piece.modelFile = kind->modelFile;
        piece.collisionFile = kind->collisionModelFile;
        piece.doorways = spec.doorways;
        Parts display, hull;
        spec.build(display, false);
        addSkirts(display, spec.doorways);
        spec.build(hull, true);
        addSkirts(hull, spec.doorways);
        piece.display = display.objects();
        piece.collision = hull.objects();
        pieces.push_back(piece);
    }
    return pieces;
}
