#include "tools/generate/tunnel.h"

#include <cmath>

#include "tools/generate/noise.h"

const std::vector<ProfilePoint>& doorwayProfile()
{
    static const std::vector<ProfilePoint> profile = {
        {-doorHalfWidth, 0.0f},          {-doorHalfWidth, doorWallHeight}, {-doorChamferHalf, doorCeiling},
        {doorChamferHalf, doorCeiling},  {doorHalfWidth, doorWallHeight},  {doorHalfWidth, 0.0f},
    };
    return profile;
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
    const int count = std::max(1, static_cast<int>(std::ceil(length / step)));
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

// One subdivided point of the profile ring: its nominal (s, h), the inward
// normal of the surface it belongs to, the direction rock pushes it out,
// and its distance around the profile for texturing.
struct RingPoint {
    float s, h;
    float outS, outH;
    float around;
};

// The subdivided profile as strips: strip k holds the points of one profile
// segment (wall, chamfer, ceiling, chamfer, wall), ends included.
struct ProfileStrips {
    std::vector<std::vector<RingPoint>> strips;
    std::vector<ProfilePoint> inward;  // inward normal of each strip's segment
};

ProfileStrips subdivideProfile(const TunnelStyle& style)
{
    const std::vector<ProfilePoint>& p = doorwayProfile();
    const int rows[5] = {style.wallRows, style.chamferRows, style.ceilingColumns, style.chamferRows, style.wallRows};
    // Outward direction at each corner: the normalised sum of the outward
    // normals of the segments meeting there; along the floor only sideways.
    std::vector<ProfilePoint> segmentOut(5);
    for (int k = 0; k < 5; ++k) {
        const float ds = p[k + 1].s - p[k].s, dh = p[k + 1].h - p[k].h;
        const float length = std::sqrt(ds * ds + dh * dh);
        // Travelling clockwise round the inside (up the left wall first), the
        // outside lies to the left of the direction of travel.
        segmentOut[k] = {-dh / length, ds / length};
    }
    std::vector<ProfilePoint> cornerOut(6);
    cornerOut[0] = {-1.0f, 0.0f};
    cornerOut[5] = {1.0f, 0.0f};
    for (int k = 1; k < 5; ++k) {
        const float s = segmentOut[k - 1].s + segmentOut[k].s, h = segmentOut[k - 1].h + segmentOut[k].h;
        const float length = std::sqrt(s * s + h * h);
        cornerOut[k] = {s / length, h / length};
    }
    ProfileStrips result;
    float around = 0.0f;
    for (int k = 0; k < 5; ++k) {
        std::vector<RingPoint> strip;
        const float ds = p[k + 1].s - p[k].s, dh = p[k + 1].h - p[k].h;
        const float length = std::sqrt(ds * ds + dh * dh);
        for (int i = 0; i <= rows[k]; ++i) {
            const float t = static_cast<float>(i) / static_cast<float>(rows[k]);
            RingPoint point;
            point.s = p[k].s + ds * t;
            point.h = p[k].h + dh * t;
            if (i == 0) {
                point.outS = cornerOut[k].s;
                point.outH = cornerOut[k].h;
            } else if (i == rows[k]) {
                point.outS = cornerOut[k + 1].s;
                point.outH = cornerOut[k + 1].h;
            } else {
                point.outS = segmentOut[k].s;
                point.outH = segmentOut[k].h;
            }
            point.around = around + length * t;
            strip.push_back(point);
        }
        around += length;
        result.strips.push_back(strip);
        result.inward.push_back({-segmentOut[k].s, -segmentOut[k].h});
    }
    return result;
}

// The rock-displaced position of a profile point on a ring.
Vector3 ringPosition(const PathPoint& ring, const RingPoint& point, const TunnelStyle& style)
{
    const Vector3 up(0.0f, 1.0f, 0.0f);
    const Vector3 right = rightOf(ring.forward);
    const Vector3 nominal = ring.floor + right * (point.s * ring.sScale) + up * (point.h * ring.hScale);
    if (ring.rough <= 0.0f || style.roughness <= 0.0f)
        return nominal;
    // Broad, gentle bumps only: sharp ridges between neighbouring faces would
    // let the sphere test push the camera the wrong way past them.
    const float n = fbm3(nominal.x / 32.0f, nominal.y / 32.0f, nominal.z / 32.0f, style.seed, 2);
    const float amount = style.roughness * ring.rough * clampf((n - 0.2f) / 0.6f, 0.0f, 1.0f);
    return nominal + right * (point.outS * amount) + up * (point.outH * amount);
}

// Sweeps one strip of ring points over rings [first, last] into mesh, with
// its own vertices. uvAlong maps (ring, point) to texture coordinates.
void sweepStrip(Mesh& mesh, const std::vector<PathPoint>& path, size_t first, size_t last,
                const std::vector<RingPoint>& strip, const ProfilePoint& inward, const TunnelStyle& style,
                bool floorStrip)
{
    const Vector3 up(0.0f, 1.0f, 0.0f);
    const size_t width = strip.size();
    const uint32_t base = static_cast<uint32_t>(mesh.positions.size());
    for (size_t r = first; r <= last; ++r) {
        for (const RingPoint& point : strip) {
            const Vector3 p = ringPosition(path[r], point, style);
            TexCoord uv;
            if (floorStrip)
                uv = {path[r].distance / textureWorldSize, -point.s / textureWorldSize};
            else
                uv = {path[r].distance / textureWorldSize, point.around / textureWorldSize};
            addVertex(mesh, p, uv);
        }
    }
    for (size_t r = first; r < last; ++r) {
        const Vector3 right = rightOf(path[r].forward);
        const Vector3 facing = right * inward.s + up * inward.h;
        for (size_t j = 0; j + 1 < width; ++j) {
            const uint32_t a = base + static_cast<uint32_t>((r - first) * width + j);
            const uint32_t b = a + 1;
            const uint32_t c = b + static_cast<uint32_t>(width);
            const uint32_t d = a + static_cast<uint32_t>(width);
            addQuad(mesh, a, b, c, d, facing);
        }
    }
}

}  // namespace

void sweepTunnel(const std::vector<PathPoint>& path, const TunnelStyle& style, const TunnelMeshes& out)
{
    if (path.size() < 2)
        return;
    const ProfileStrips profile = subdivideProfile(style);
    // The floor strip across the tunnel: the two wall foot points (pushed
    // sideways with the rock) and the untouched centre line.
    const RingPoint leftFoot = profile.strips.front().front();
    const RingPoint rightFoot = profile.strips.back().back();
    std::vector<RingPoint> floorStrip = {leftFoot, {0.0f, 0.0f, 0.0f, 0.0f, 0.0f}, rightFoot};
    floorStrip[1].around = 0.0f;

    size_t first = 0;
    while (first + 1 < path.size()) {
        size_t last = first + 1;
        while (last + 1 < path.size() && path[last + 1].section == path[first + 1].section)
            ++last;
        sweepStrip(*out.floor, path, first, last, floorStrip, {0.0f, 1.0f}, style, true);
        for (size_t k = 0; k < profile.strips.size(); ++k) {
            Mesh* mesh = (k == 0 || k == 4) ? out.walls : out.ceiling;
            sweepStrip(*mesh, path, first, last, profile.strips[k], profile.inward[k], style, false);
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
                    int sideRows, int topParts)
{
    const Vector3 up(0.0f, 1.0f, 0.0f);
    const float length = lengthOf(b - a);
    const Vector3 along = unit(b - a);
    const float middle = length * 0.5f;
    std::vector<Vector3> outline;
    const auto at = [&](float x, float h) { return a + along * x + up * h; };
    // Along the bottom from a to b with the doorway profile notched out of it
    // (the profile is symmetric, so its points in order of rising s run from
    // a towards b).
    const float leftEdge = middle - doorHalfWidth;
    if (leftEdge > 0.01f)
        outline.push_back(at(0.0f, 0.0f));
    for (const ProfilePoint& p : doorwayProfile()) {
        const float x = middle + p.s;
        if (p.h == 0.0f && (x < 0.01f || x > length - 0.01f))
            continue;
        outline.push_back(at(x, p.h));
    }
    // Up the side at b (the rows of a neighbouring wall grid), across the
    // top, and down the side at a.
    const float bottomB = length - middle - doorHalfWidth > 0.01f ? 0.0f : doorWallHeight;
    if (bottomB == 0.0f)
        outline.push_back(at(length, 0.0f));
    for (int r = 1; r < sideRows; ++r) {
        const float h = height * static_cast<float>(r) / static_cast<float>(sideRows);
        if (h > bottomB + 0.01f)
            outline.push_back(at(length, h));
    }
    for (int k = topParts; k >= 0; --k)
        outline.push_back(at(length * static_cast<float>(k) / static_cast<float>(std::max(1, topParts)), height));
    const float bottomA = leftEdge > 0.01f ? 0.0f : doorWallHeight;
    for (int r = sideRows - 1; r >= 1; --r) {
        const float h = height * static_cast<float>(r) / static_cast<float>(sideRows);
        if (h > bottomA + 0.01f)
            outline.push_back(at(0.0f, h));
    }
    addFlatPolygon(mesh, outline, facing);
}
