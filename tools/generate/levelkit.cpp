#include "tools/generate/levelkit.h"

#include <cmath>
#include <map>
#include <tuple>
#include <utility>

#include "tools/generate/chamber.h"
#include "tools/generate/noise.h"
#include "tools/generate/shapes.h"
#include "tools/generate/tunnel.h"
#include "world/world.h"

namespace {

constexpr float pi = 3.14159265358979f;

// The surfaces of one piece while it is built; each becomes one object.
// Rock (tunnel jambs and arches, cave walls and domes) shares its vertices
// so the loader's vertex normals shade it smoothly; every other surface is
// flat, each flat polygon with vertices of its own, so its edges stay hard.
struct Parts {
    Mesh floor{"Floor", {}, {}, {}};
    Mesh rock{"Rock", {}, {}, {}};
    Mesh walls{"Walls", {}, {}, {}};
    Mesh ceiling{"Ceiling", {}, {}, {}};
    Mesh details{"Details", {}, {}, {}};
    Mesh skirts{"Skirts", {}, {}, {}};

    TunnelMeshes tunnel() { return {&floor, &rock}; }
    ChamberMeshes chamber() { return {&floor, &walls, &ceiling, &rock}; }
    std::vector<Mesh> objects() const
    {
        std::vector<Mesh> list;
        for (const Mesh* mesh : {&floor, &rock, &walls, &ceiling, &details, &skirts})
            if (!mesh->faces.empty())
                list.push_back(*mesh);
        return list;
    }
};

// Rock for the display models; the collision hulls sweep the hull profile
// without rock, one ring at each end of a straight run.
TunnelStyle tunnelStyle(bool hull, uint32_t seed)
{
    TunnelStyle style;
    style.seed = seed;
    style.roughness = hull ? 0.0f : 8.0f;
    style.coarse = hull;
    return style;
}

// Ring spacing along display tunnels.
constexpr float ringStep = 20.0f;
// How far the collision hull stands inside the drawn surfaces.
constexpr float shellInset = 4.0f;

void addSkirts(Parts& parts, const std::vector<Doorway>& doorways)
{
    for (const Doorway& doorway : doorways)
        addSkirt(parts.skirts, doorwayPoint(doorway), doorwayOutward(doorway.side));
}

// A straight throat from a chamber's doorway panel out to the cell edge: the
// plain profile, so its rings match the panel's notch corner for corner.
void addThroat(Parts& parts, const Doorway& doorway, const Vector3& portal, bool hull)
{
    std::vector<PathPoint> path = straightPath(portal, doorwayPoint(doorway), 1000.0f);
    if (hull) {
        // The chamfer: from the panel's larger notch to the plain profile.
        PathPoint mouth = path.front();
        const std::vector<ProfilePoint> plain = hullProfile(0.0f), flared = hullProfile(doorwayFlare);
        mouth.sScale = flared[1].s / plain[1].s;
        mouth.hScale = flared[2].h / plain[2].h;
        path.front().floor = path.front().floor + doorwayOutward(doorway.side) * doorwayFlare;
        path.insert(path.begin(), mouth);
    }
    TunnelStyle style = tunnelStyle(true, 0);
    style.coarse = hull;
    sweepTunnel(path, style, parts.tunnel());
}

// Gives a path between two doorways its rock weights.
void fadeBetweenDoorways(std::vector<PathPoint>& path)
{
    const float length = path.back().distance;
    for (PathPoint& point : path)
        point.rough = doorwayFade(point.distance) * doorwayFade(length - point.distance);
}

// Appends a ring to a path, measuring its distance along the centre line.
void addRing(std::vector<PathPoint>& path, PathPoint point)
{
    point.distance = path.empty() ? 0.0f : path.back().distance + lengthOf(point.floor - path.back().floor);
    path.push_back(point);
}

// ---- Corridors -------------------------------------------------------------

void buildStraight(Parts& parts, bool hull)
{
    std::vector<PathPoint> path = straightPath({-cellHalf, 0, 0}, {cellHalf, 0, 0}, hull ? 1000.0f : ringStep);
    fadeBetweenDoorways(path);
    sweepTunnel(path, tunnelStyle(hull, 11), parts.tunnel());
}

// From the west doorway to the south doorway. The rings of the bend fan out
// round the inner corner (a sharp upright edge, which only ever pushes the
// camera out into the passage), and the outer wall sweeps round it on a
// rounded square, close to where a square corner would stand.
void buildTurning(Parts& parts, bool hull)
{
    const Vector3 pivot(-doorHalfWidth, 0.0f, doorHalfWidth);
    const float width = 2.0f * doorHalfWidth;
    std::vector<PathPoint> path;
    const auto straight = [&](const Vector3& a, const Vector3& b, const Vector3& forward, bool skipFirst) {
        const int steps = hull ? 1 : static_cast<int>(std::ceil(lengthOf(b - a) / ringStep - 1e-4f));
        for (int k = skipFirst ? 1 : 0; k <= steps; ++k) {
            PathPoint point;
            point.floor = lerp(a, b, static_cast<float>(k) / static_cast<float>(steps));
            point.forward = forward;
            addRing(path, point);
        }
    };
    straight({-cellHalf, 0, 0}, {-doorHalfWidth, 0, 0}, {1, 0, 0}, false);
    const size_t bendStart = path.size() - 1;
    const int bendSteps = hull ? 2 : 7;
    for (int k = 1; k < bendSteps; ++k) {
        const float a = 1.5707963f * static_cast<float>(k) / static_cast<float>(bendSteps);
        const float c = std::cos(a), s = std::sin(a);
        // A superellipse of exponent 4: square-ish, with no crease.
        const float reach = width / std::pow(std::pow(c, 4.0f) + std::pow(s, 4.0f), 0.25f);
        const Vector3 out(s, 0.0f, -c);
        PathPoint point;
        point.floor = pivot + out * (reach * 0.5f);
        point.forward = {c, 0.0f, s};
        point.sScale = reach / width;
        addRing(path, point);
    }
    straight({0, 0, doorHalfWidth}, {0, 0, cellHalf}, {0, 0, 1}, false);
    const size_t bendEnd = path.size() - 1 - (hull ? 1 : static_cast<size_t>(std::ceil(60.0f / ringStep - 1e-4f)));
    // Rock fades out at both doorways; the inner (right) side also near the
    // sharp corner.
    const float length = path.back().distance;
    const float from = path[bendStart].distance, to = path[bendEnd].distance;
    for (PathPoint& point : path) {
        point.rough = doorwayFade(point.distance) * doorwayFade(length - point.distance);
        const float away = std::max(from - point.distance, point.distance - to);
        point.rightRough = smoothstepf(10.0f, 40.0f, away);
    }
    sweepTunnel(path, tunnelStyle(hull, 12), parts.tunnel());
}

// From the west doorway to a rounded rock end past the centre: the passage
// narrows and lowers over three rings and ends in a small flat face of
// rock (a cap drawn in to a point would gather many faces at it, and the
// sphere test adds a push for every face near its centre).
void buildEnd(Parts& parts, bool hull)
{
    const float capStart = 20.0f, capLength = 45.0f;
    std::vector<PathPoint> path = straightPath({-cellHalf, 0, 0}, {capStart, 0, 0}, hull ? 1000.0f : ringStep);
    for (PathPoint& point : path)
        point.rough = doorwayFade(point.distance);
    const int capRings = hull ? 1 : 3;
    for (int k = 1; k <= capRings; ++k) {
        const float a = (75.0f * pi / 180.0f) * static_cast<float>(k) / static_cast<float>(capRings);
        PathPoint point;
        point.floor = {capStart + capLength * std::sin(a), 0, 0};
        point.sScale = std::cos(a);
        point.hScale = 0.35f + 0.65f * std::cos(a);
        point.rough = std::cos(a);
        addRing(path, point);
    }
    TunnelStyle style = tunnelStyle(hull, 13);
    style.closeEnd = true;
    sweepTunnel(path, style, parts.tunnel());
}

// West doorway at floor 0, east doorway descentHeight lower: a level landing
// inside each doorway and a ramp between them (hard edges in the floor at the
// kinks, the rock above bends smoothly).
void buildDown(Parts& parts, bool hull)
{
    const float landing = cellHalf - 20.0f;
    std::vector<PathPoint> path;
    const auto add = [&](float x, int section) {
        const float t = clampf((x + landing) / (2.0f * landing), 0.0f, 1.0f);
        PathPoint point;
        point.floor = {x, -descentHeight * t, 0};
        point.section = section;
        addRing(path, point);
    };
    add(-cellHalf, 0);
    if (!hull)
        add(-cellHalf + 10.0f, 0);
    add(-landing, 0);
    const int slopeSteps = hull ? 1 : 8;
    for (int k = 1; k <= slopeSteps; ++k)
        add(-landing + 2.0f * landing * static_cast<float>(k) / static_cast<float>(slopeSteps), 1);
    if (!hull)
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
    // The hull's doorway panels take the chamfered notches whole.
    const float d = 55.0f, w = doorHalfWidth + (hull ? doorwayFlare : 0.0f);
    ChamberOutline outline;
    outline.points = {{d, 0, -w}, {d, 0, w}, {w, 0, d}, {-w, 0, d}, {-d, 0, w}, {-d, 0, -w}, {-w, 0, -d}, {w, 0, -d}};
    outline.portal = {true, false, true, false, true, false, allFour, false};
    outline.centre = {0, 30, 0};
    ChamberStyle style;
    style.wallHeight = 92.0f;
    style.domeHeight = 132.0f;
    style.uprightDome = true;
    style.roughness = hull ? 0.0f : 6.0f;
    style.domeRoughness = hull ? 0.0f : 3.0f;
    style.seed = seed;
    style.domeRings = hull ? 2 : 6;
    style.hull = hull;
    style.columnStep = hull ? 1000.0f : 15.0f;
    style.outlineStep = hull ? 26.0f : 15.0f;
    style.outlineTurn = hull ? 45.0f : 18.0f;
    buildRoughChamber(outline, style, parts.chamber());
    addThroat(parts, {Side::East, 0}, {d, 0, 0}, hull);
    addThroat(parts, {Side::South, 0}, {0, 0, d}, hull);
    addThroat(parts, {Side::West, 0}, {-d, 0, 0}, hull);
    if (allFour)
        addThroat(parts, {Side::North, 0}, {0, 0, -d}, hull);
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
// with noise, after the points given so far and before the first of them
// (it closes the outline). Near both ends the radius eases to those points'
// own, so the rock leaves a doorway panel's corner without a sharp turn.
void appendCaveArc(std::vector<Vector3>& points, std::vector<bool>& portal, float from, float to, float radius,
                   float wobble, int count, uint32_t seed)
{
    const auto flat = [](const Vector3& p) { return std::sqrt(p.x * p.x + p.z * p.z); };
    const float startRadius = flat(points.back()), endRadius = flat(points.front());
    for (int k = 1; k < count; ++k) {
        const float t = static_cast<float>(k) / static_cast<float>(count);
        const float angle = (from + (to - from) * t) * pi / 180.0f;
        const float r = radius + wobble * valueNoise2(t * 5.0f, 0.5f, seed, 0, 0) +
                        (startRadius - radius) * (1.0f - smoothstepf(0.0f, 0.3f, t)) +
                        (endRadius - radius) * smoothstepf(0.7f, 1.0f, t);
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
void buildRoom01(Parts& parts, bool hull)
{
    const float h = cellHalf - throatDepth;
    ChamberStyle style;
    style.wallHeight = 100.0f;
    style.hull = hull;
    buildMasonryChamber(squareOutline(h, false, true, false, true, 50.0f), style, parts.chamber());
    addThroat(parts, {Side::West, 0}, {-h, 0, 0}, hull);
    addThroat(parts, {Side::East, 0}, {h, 0, 0}, hull);
    addBox(parts.details, {-12, 0, -12}, {12, style.wallHeight, 12}, SkipTop | SkipBottom);
}

// Room02: a round cave with a high dome, entered from the west only.
void buildRoom02(Parts& parts, bool hull)
{
    const float p = cellHalf - throatDepth;
    ChamberOutline outline;
    outline.points = {{-p, 0, -45}, {-p, 0, 45}};
    outline.portal = {true};
    appendCaveArc(outline.points, outline.portal, 152.0f, -152.0f, 78.0f, 10.0f, 16, 31);
    outline.portal.push_back(false);
    outline.centre = {0, 40, 0};
    ChamberStyle style;
    style.wallHeight = 85.0f;
    style.domeHeight = 144.0f;
    style.fillet = 24.0f;
    style.roughness = hull ? 0.0f : 9.0f;
    style.domeRoughness = hull ? 0.0f : 4.0f;
    style.seed = 32;
    style.domeRings = hull ? 3 : 7;
    style.hull = hull;
    style.columnStep = hull ? 1000.0f : 15.0f;
    style.outlineStep = hull ? 26.0f : 15.0f;
    style.outlineTurn = hull ? 45.0f : 18.0f;
    buildRoughChamber(outline, style, parts.chamber());
    addThroat(parts, {Side::West, 0}, {-p, 0, 0}, hull);
}

// Room03: a crypt with a stone sarcophagus, entered from the west and the
// south.
void buildRoom03(Parts& parts, bool hull)
{
    const float h = cellHalf - throatDepth;
    ChamberStyle style;
    style.wallHeight = 90.0f;
    style.hull = hull;
    buildMasonryChamber(squareOutline(h, false, false, true, true, 45.0f), style, parts.chamber());
    addThroat(parts, {Side::West, 0}, {-h, 0, 0}, hull);
    addThroat(parts, {Side::South, 0}, {0, 0, h}, hull);
    // The sarcophagus stands free, north-east of the middle, off the path
    // between the doors and clear of the walls.
    addBox(parts.details, {-2, 0, -28}, {32, 20, -4}, SkipBottom);
}

// Room04: a small cellar with a low stone step along its north wall (too low
// for the sphere's centre to come below its top), entered from the west and
// the south through longer passages.
void buildRoom04(Parts& parts, bool hull)
{
    const float h = 60.0f;
    ChamberStyle style;
    style.wallHeight = 88.0f;
    style.hull = hull;
    buildMasonryChamber(squareOutline(h, false, false, true, true, 36.0f), style, parts.chamber());
    addThroat(parts, {Side::West, 0}, {-h, 0, 0}, hull);
    addThroat(parts, {Side::South, 0}, {0, 0, h}, hull);
    // Faces against the walls and the floor would never be seen. By the
    // west wall the step is cut back clear of the doorway's jamb: an L of
    // two blocks, with the face in its corner.
    const float corner = -h + 16.0f, front = -h + 24.0f, cut = -doorHalfWidth - doorwayFlare - shellInset - 1.0f;
    addBox(parts.details, {corner, 0, -h}, {h, 12, front}, SkipBottom | SkipLowZ | SkipLowX | SkipHighX);
    addBox(parts.details, {-h, 0, -h}, {corner, 12, cut}, SkipBottom | SkipLowZ | SkipLowX | SkipHighX);
    addFlatPolygon(parts.details, {{corner, 0, cut}, {corner, 0, front}, {corner, 12, front}, {corner, 12, cut}}, {-1, 0, 0});
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
    appendCaveArc(outline.points, outline.portal, 63.0f, -150.0f, 84.0f, 8.0f, 18, 61);
    outline.portal.push_back(false);
    outline.centre = {0, 40, 0};
    ChamberStyle style;
    style.wallHeight = 85.0f;
    style.domeHeight = 170.0f;
    style.fillet = 24.0f;
    style.roughness = hull ? 0.0f : 10.0f;
    style.domeRoughness = hull ? 0.0f : 4.0f;
    style.seed = 62;
    style.domeRings = hull ? 3 : 8;
    style.hull = hull;
    style.columnStep = hull ? 1000.0f : 15.0f;
    style.outlineStep = hull ? 26.0f : 15.0f;
    style.outlineTurn = hull ? 45.0f : 18.0f;
    buildRoughChamber(outline, style, parts.chamber());
    addThroat(parts, {Side::West, 0}, {-p, 0, 0}, hull);
    addThroat(parts, {Side::South, 0}, {0, 0, p}, hull);
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

// The move of a corner that carries every face plane through it (unit
// normals, pointing into the level) exactly `inset` along its normal: the
// shortest vector m with m . n = inset for all of them (least squares when
// there are more than three), normals within a few degrees of each other
// counting as one.
Vector3 mitre(const std::vector<Vector3>& normals, float inset)
{
    std::vector<Vector3> planes;
    for (const Vector3& n : normals) {
        bool known = false;
        for (const Vector3& p : planes)
            known = known || dot(p, n) > 0.996f;
        if (!known)
            planes.push_back(n);
    }
    if (planes.size() == 1)
        return planes[0] * inset;
    // Solve (A^T A) x = A^T b over the span of the planes' normals: with two
    // planes in their plane, with three or more in space.
    const size_t k = std::min<size_t>(planes.size(), 3);
    float g[3][4] = {};
    if (planes.size() == 2) {
        for (size_t i = 0; i < 2; ++i) {
            for (size_t j = 0; j < 2; ++j)
                g[i][j] = dot(planes[i], planes[j]);
            g[i][2] = inset;
        }
    } else {
        for (size_t i = 0; i < 3; ++i) {
            for (const Vector3& n : planes) {
                const float ni[3] = {n.x, n.y, n.z};
                for (size_t j = 0; j < 3; ++j)
                    g[i][j] += ni[i] * ni[j];
                g[i][3] += ni[i] * inset;
            }
        }
    }
    // Gaussian elimination with partial pivoting on the k x k system.
    for (size_t col = 0; col < k; ++col) {
        size_t pivot = col;
        for (size_t row = col + 1; row < k; ++row)
            if (std::fabs(g[row][col]) > std::fabs(g[pivot][col]))
                pivot = row;
        if (std::fabs(g[pivot][col]) < 1e-4f)
            return unit(planes[0] + planes[1]) * inset;  // planes nearly alike
        for (size_t j = 0; j <= k; ++j)
            std::swap(g[col][j], g[pivot][j]);
        for (size_t row = 0; row < k; ++row) {
            if (row == col)
                continue;
            const float f = g[row][col] / g[col][col];
            for (size_t j = col; j <= k; ++j)
                g[row][j] -= f * g[col][j];
        }
    }
    Vector3 m;
    if (planes.size() == 2)
        m = planes[0] * (g[0][2] / g[0][0]) + planes[1] * (g[1][2] / g[1][1]);
    else
        m = Vector3(g[0][3] / g[0][0], g[1][3] / g[1][1], g[2][3] / g[2][2]);
    // A very sharp corner would send the point far off; it keeps within
    // three times the inset.
    return lengthOf(m) > 3.0f * inset ? unit(m) * (3.0f * inset) : m;
}

// The hull as one object a little inside the drawn surfaces: every face
// plane moved shellInset into the level (corners shared by several surfaces
// move as one, so the hull stays closed), and every face with vertices of
// its own, so the sphere test, which takes a face's plane from its vertex
// normals, uses the face's own plane.
Mesh insetHull(const std::vector<Mesh>& objects)
{
    Mesh hull{"Hull", {}, {}, {}};
    for (const Mesh& object : objects)
        appendMesh(hull, object);
    std::map<std::tuple<float, float, float>, std::vector<Vector3>> looks;
    for (const Face3DS& face : hull.faces) {
        const Vector3 &a = hull.positions[face.a], &b = hull.positions[face.b], &c = hull.positions[face.c];
        const Vector3 normal = unit(cross(b - a, c - a));
        for (const Vector3& p : {a, b, c})
            looks[{p.x, p.y, p.z}].push_back(normal);
    }
    for (Vector3& p : hull.positions) {
        const auto look = looks.find({p.x, p.y, p.z});
        if (look != looks.end())
            p = p + mitre(look->second, shellInset);
    }
    flatten(hull);
    return hull;
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
        spec.build(hull, true);
        addSkirts(hull, spec.doorways);
        piece.display = display.objects();
        piece.collision = {insetHull(hull.objects())};
        pieces.push_back(piece);
    }
    return pieces;
}
