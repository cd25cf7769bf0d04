#include "tools/generate/tunnel.h"

#include <cmath>

#include "tools/generate/noise.h"

namespace {

constexpr float pi = 3.14159265358979f;
// Rows of the jambs and segments of each half of the arch.
constexpr int jambRows = 3;
constexpr int archSegments = 5;

// The outward normal of the profile at each of its points (s, h): level on
// the jambs, the ellipse's normal on the arch.
const std::vector<ProfilePoint>& profileOutward()
{
    static const std::vector<ProfilePoint> normals = [] {
        std::vector<ProfilePoint> left;
        for (int r = 0; r <= jambRows; ++r)
            left.push_back({-1.0f, 0.0f});
        const float a = doorHalfWidth, b = doorCeiling - doorWallHeight;
        for (int k = 1; k <= archSegments; ++k) {
            const float phi = 0.5f * pi * static_cast<float>(k) / static_cast<float>(archSegments);
            const float ns = -std::cos(phi) / a, nh = std::sin(phi) / b;
            const float length = std::sqrt(ns * ns + nh * nh);
            left.push_back({ns / length, nh / length});
        }
        std::vector<ProfilePoint> all = left;
        for (int i = static_cast<int>(left.size()) - 2; i >= 0; --i)
            all.push_back({-left[static_cast<size_t>(i)].s, left[static_cast<size_t>(i)].h});
        return all;
    }();
    return normals;
}

}  // namespace

const std::vector<ProfilePoint>& doorwayProfile()
{
    static const std::vector<ProfilePoint> profile = [] {
        std::vector<ProfilePoint> left;
        for (int r = 0; r <= jambRows; ++r)
            left.push_back({-doorHalfWidth, doorWallHeight * static_cast<float>(r) / static_cast<float>(jambRows)});
        const float a = doorHalfWidth, b = doorCeiling - doorWallHeight;
        for (int k = 1; k <= archSegments; ++k) {
            const float phi = 0.5f * pi * static_cast<float>(k) / static_cast<float>(archSegments);
            // The crown exactly on the centre line, so both halves meet there.
            const float s = k == archSegments ? 0.0f : -a * std::cos(phi);
            left.push_back({s, doorWallHeight + b * std::sin(phi)});
        }
        std::vector<ProfilePoint> all = left;
        for (int i = static_cast<int>(left.size()) - 2; i >= 0; --i)
            all.push_back({-left[static_cast<size_t>(i)].s, left[static_cast<size_t>(i)].h});
        return all;
    }();
    return profile;
}

std::vector<ProfilePoint> hullProfile(float flare)
{
    // The arch's height at s (its half ellipse).
    const auto arch = [](float s) {
        const float x = s / doorHalfWidth;
        return doorWallHeight + (doorCeiling - doorWallHeight) * std::sqrt(std::max(0.0f, 1.0f - x * x));
    };
    // The chamfer ends a little under the arch, so that flared (wider and
    // as much higher) the hull still keeps under the drawn arch.
    const float chamferS = doorHalfWidth * 0.55f, chamferH = arch(chamferS) - doorwayFlare - 1.0f;
    const float widen = (doorHalfWidth + flare) / doorHalfWidth, raise = (chamferH + flare) / chamferH;
    const std::vector<ProfilePoint> plain = {{-doorHalfWidth, 0.0f}, {-doorHalfWidth, doorWallHeight},
                                             {-chamferS, chamferH},  {chamferS, chamferH},
                                             {doorHalfWidth, doorWallHeight}, {doorHalfWidth, 0.0f}};
    std::vector<ProfilePoint> scaled;
    for (const ProfilePoint& p : plain)
        scaled.push_back({p.s * widen, p.h * raise});
    return scaled;
}

Vector3 rightOf(const Vector3& forward)
{
    return unit(cross(forward, Vector3(0.0f, 1.0f, 0.0f)));
}

float doorwayFade(float distanceFromDoorway)
{
    return smoothstepf(throatDepth, throatDepth + 30.0f, distanceFromDoorway);
}

float portalFade(float distanceFromPortal)
{
    return smoothstepf(0.0f, 25.0f, distanceFromPortal);
}

std::vector<PathPoint> straightPath(const Vector3& a, const Vector3& b, float step)
{
    std::vector<PathPoint> path;
    const float length = lengthOf(b - a);
    const int count = std::max(1, static_cast<int>(std::ceil(length / step - 1e-4f)));
    Vector3 forward = b - a;
    forward.y = 0.0f;
    forward = unit(forward);
    for (int i = 0; i <= count; ++i) {
        PathPoint point;
        const float t = static_cast<float>(i) / static_cast<float>(count);
        point.floor = lerp(a, b, t);
        point.forward = forward;
        point.distance = length * t;
        path.push_back(point);
    }
    return path;
}

namespace {

// A profile point on one ring, with its outward direction and its distance
// around the profile (for texturing).
struct RingPoint {
    float s, h;
    float outS, outH;
    float around;
};

std::vector<RingPoint> ringPoints(const TunnelStyle& style)
{
    std::vector<RingPoint> points;
    if (style.coarse) {
        float around = 0.0f;
        const std::vector<ProfilePoint> profile = hullProfile(0.0f);
        for (size_t i = 0; i < profile.size(); ++i) {
            if (i > 0)
                around += std::hypot(profile[i].s - profile[i - 1].s, profile[i].h - profile[i - 1].h);
            points.push_back({profile[i].s, profile[i].h, 0.0f, 0.0f, around});
        }
        return points;
    }
    const std::vector<ProfilePoint>& profile = doorwayProfile();
    const std::vector<ProfilePoint>& outward = profileOutward();
    float around = 0.0f;
    for (size_t i = 0; i < profile.size(); ++i) {
        if (i > 0)
            around += std::hypot(profile[i].s - profile[i - 1].s, profile[i].h - profile[i - 1].h);
        points.push_back({profile[i].s, profile[i].h, outward[i].s, outward[i].h, around});
    }
    return points;
}

// How much of the rock displacement a point of the ring takes. None at the
// foot of the walls: rock that stood out further at the floor than above it
// would face the floor, and the sphere caught between them would be pushed
// down through it.
float pointWeight(const PathPoint& ring, const RingPoint& point)
{
    return ring.rough * mixf(1.0f, ring.rightRough, smoothstepf(-10.0f, 10.0f, point.s)) *
           footWeight(point.h * ring.hScale);
}

// The rock-displaced position of a profile point on a ring.
Vector3 ringPosition(const PathPoint& ring, const RingPoint& point, const TunnelStyle& style)
{
    const Vector3 up(0.0f, 1.0f, 0.0f);
    const Vector3 right = rightOf(ring.forward);
    const Vector3 nominal = ring.floor + right * (point.s * ring.sScale) + up * (point.h * ring.hScale);
    const float weight = pointWeight(ring, point);
    if (weight <= 0.0f || style.roughness <= 0.0f)
        return nominal;
    const float amount = style.roughness * weight * rockNoise(nominal, style.seed);
    return nominal + right * (point.outS * amount) + up * (point.outH * amount);
}

}  // namespace

void sweepTunnel(const std::vector<PathPoint>& path, const TunnelStyle& style, const TunnelMeshes& out)
{
    if (path.size() < 2)
        return;
    const Vector3 up(0.0f, 1.0f, 0.0f);
    const std::vector<RingPoint> points = ringPoints(style);
    const size_t width = points.size();

    // Rock: one grid over all rings.
    std::vector<std::vector<uint32_t>> index(path.size(), std::vector<uint32_t>(width, 0));
    for (size_t r = 0; r < path.size(); ++r)
        for (size_t j = 0; j < width; ++j) {
            const Vector3 p = ringPosition(path[r], points[j], style);
            // Round a ring drawn in (a dead end's cap) the texture shrinks with it.
            const float shrink = (path[r].sScale + path[r].hScale) * 0.5f;
            index[r][j] = addVertex(*out.rock, p, {path[r].distance / textureWorldSize,
                                                   points[j].around * shrink / textureWorldSize});
        }
    for (size_t r = 0; r + 1 < path.size(); ++r) {
        const Vector3 right = rightOf(path[r].forward);
        for (size_t j = 0; j + 1 < width; ++j) {
            // Inwards: to the right of the way round the profile.
            const float ds = points[j + 1].s - points[j].s, dh = points[j + 1].h - points[j].h;
            const Vector3 facing = right * dh + up * -ds;
            addQuad(*out.rock, index[r][j], index[r][j + 1], index[r + 1][j + 1], index[r + 1][j], facing);
        }
    }

    // A dead end: the last ring and the floor line under it close into a
    // flat end of rock with vertices of its own, so the edge round it stays
    // hard (smoothing across it would also tilt the normals the sphere test
    // takes from the vertices).
    if (style.closeEnd) {
        const PathPoint& end = path.back();
        std::vector<Vector3> outline;
        for (uint32_t k : index.back())
            outline.push_back(out.rock->positions[k]);
        outline.push_back(end.floor);
        addFlatPolygon(*out.rock, outline, end.forward * -1.0f, true);
    }

    // Floor: flat strips from foot to foot through the centre line, one per
    // section, so a change of slope keeps a hard edge.
    size_t first = 0;
    while (first + 1 < path.size()) {
        size_t last = first + 1;
        while (last + 1 < path.size() && path[last + 1].section == path[first + 1].section)
            ++last;
        const uint32_t base = static_cast<uint32_t>(out.floor->positions.size());
        for (size_t r = first; r <= last; ++r) {
            for (const Vector3& p : {out.rock->positions[index[r][0]], path[r].floor,
                                     out.rock->positions[index[r][width - 1]]})
                addVertex(*out.floor, p, planarUv(p, up));
        }
        for (size_t r = 0; r < last - first; ++r)
            for (uint32_t j = 0; j < 2; ++j) {
                const uint32_t a = base + static_cast<uint32_t>(r * 3) + j;
                addQuad(*out.floor, a, a + 1, a + 4, a + 3, up);
            }
        first = last;
    }
}

void addSkirt(Mesh& mesh, const Vector3& doorFloor, const Vector3& outward)
{
    // The closed profile (floor included), every edge moved outwards by
    // skirtOffset; corners are where the moved edges meet.
    std::vector<ProfilePoint> closed = doorwayProfile();
    const size_t n = closed.size();
    std::vector<ProfilePoint> moved(n);
    for (size_t i = 0; i < n; ++i) {
        const ProfilePoint& prev = closed[(i + n - 1) % n];
        const ProfilePoint& here = closed[i];
        const ProfilePoint& next = closed[(i + 1) % n];
        // Outward normals of the incoming and outgoing edges (the ring runs
        // clockwise round the inside, so the outside is on the left).
        const auto outwardOf = [](const ProfilePoint& a, const ProfilePoint& b) {
            const float ds = b.s - a.s, dh = b.h - a.h;
            const float length = std::sqrt(ds * ds + dh * dh);
            return ProfilePoint{-dh / length, ds / length};
        };
        const ProfilePoint n0 = outwardOf(prev, here);
        const ProfilePoint n1 = outwardOf(here, next);
        // Mitre: the point at distance skirtOffset from both moved edges.
        const float bs = n0.s + n1.s, bh = n0.h + n1.h;
        const float k = skirtOffset / (1.0f + n0.s * n1.s + n0.h * n1.h);
        moved[i] = {here.s + bs * k, here.h + bh * k};
    }
    const Vector3 up(0.0f, 1.0f, 0.0f);
    const Vector3 forward = unit(outward);
    const Vector3 right = rightOf(forward);
    for (size_t i = 0; i < n; ++i) {
        const ProfilePoint& a = moved[i];
        const ProfilePoint& b = moved[(i + 1) % n];
        const Vector3 pa = doorFloor + right * a.s + up * a.h;
        const Vector3 pb = doorFloor + right * b.s + up * b.h;
        const Vector3 qa = pa + forward * skirtDepth;
        const Vector3 qb = pb + forward * skirtDepth;
        // Inward: towards the doorway's axis line.
        const ProfilePoint mid = {(a.s + b.s) * 0.5f, (a.h + b.h) * 0.5f};
        const Vector3 axis = doorFloor + up * (doorCeiling * 0.5f);
        const Vector3 facing = axis - (doorFloor + right * mid.s + up * mid.h);
        const Vector3 normal = unit(facing - forward * dot(facing, forward));
        const uint32_t base = static_cast<uint32_t>(mesh.positions.size());
        const float ua = (a.s + a.h) / textureWorldSize, ub = (b.s + b.h) / textureWorldSize;
        addVertex(mesh, pa, {0.0f, ua});
        addVertex(mesh, pb, {0.0f, ub});
        addVertex(mesh, qb, {skirtDepth / textureWorldSize, ub});
        addVertex(mesh, qa, {skirtDepth / textureWorldSize, ua});
        addQuad(mesh, base, base + 1, base + 2, base + 3, normal);
    }
}

void addPortalPanel(Mesh& mesh, const Vector3& a, const Vector3& b, float height, const Vector3& facing,
                    const std::vector<float>& sideHeights, int topParts, float flare)
{
    const Vector3 up(0.0f, 1.0f, 0.0f);
    const float length = lengthOf(b - a);
    const Vector3 along = unit(b - a);
    const float middle = length * 0.5f;
    // A hull's panel takes the flared hull profile, a drawn one the arch.
    const std::vector<ProfilePoint> notch = flare > 0.0f ? hullProfile(flare) : doorwayProfile();
    const float halfWidth = notch.back().s;
    float jambTop = 0.0f;
    for (const ProfilePoint& p : notch)
        if (p.s == halfWidth)
            jambTop = std::max(jambTop, p.h);
    std::vector<Vector3> outline;
    const auto at = [&](float x, float h) { return a + along * x + up * h; };
    // Along the bottom from a to b with the doorway profile notched out of it
    // (the profile is symmetric, so its points in order of rising s run from
    // a towards b); a foot at the very end of the edge is the panel's corner.
    const float leftEdge = middle - halfWidth;
    if (leftEdge > 0.01f)
        outline.push_back(at(0.0f, 0.0f));
    for (const ProfilePoint& p : notch) {
        const float x = middle + p.s, h = p.h;
        // Where the notch takes the whole edge, its jambs are the panel's
        // sides below the jamb top: the outline starts at the jamb top.
        if (h < jambTop - 0.01f && (x < 0.01f || x > length - 0.01f))
            continue;
        outline.push_back(at(x, h));
    }
    // Up the side at b (the rows of a neighbouring wall grid), across the
    // top, and down the side at a. Where the notch takes the whole edge, the
    // side starts at the top of the jamb.
    const float bottomB = length - middle - halfWidth > 0.01f ? 0.0f : jambTop;
    if (bottomB == 0.0f)
        outline.push_back(at(length, 0.0f));
    for (float h : sideHeights)
        if (h > bottomB + 0.01f && h < height - 0.01f)
            outline.push_back(at(length, h));
    for (int k = topParts; k >= 0; --k)
        outline.push_back(at(length * static_cast<float>(k) / static_cast<float>(std::max(1, topParts)), height));
    const float bottomA = leftEdge > 0.01f ? 0.0f : jambTop;
    for (size_t i = sideHeights.size(); i-- > 0;)
        if (sideHeights[i] > bottomA + 0.01f && sideHeights[i] < height - 0.01f)
            outline.push_back(at(0.0f, sideHeights[i]));
    addFlatPolygon(mesh, outline, facing, true);
}

void addPortalPanel(Mesh& mesh, const Vector3& a, const Vector3& b, float height, const Vector3& facing,
                    int sideRows, int topParts, float flare)
{
    std::vector<float> heights;
    for (int r = 1; r < sideRows; ++r)
        heights.push_back(height * static_cast<float>(r) / static_cast<float>(sideRows));
    addPortalPanel(mesh, a, b, height, facing, heights, topParts, flare);
}
