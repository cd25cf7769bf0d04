#include "tools/generate/shapes.h"

#include <algorithm>
#include <cmath>

#include "tools/generate/noise.h"

namespace {

constexpr float pi = 3.14159265358979f;

// Two unit vectors perpendicular to `axis` and to each other.
void basisAround(const Vector3& axis, Vector3& u, Vector3& v)
{
    const Vector3 a = unit(axis);
    const Vector3 helper = std::fabs(a.y) < 0.9f ? Vector3(0.0f, 1.0f, 0.0f) : Vector3(1.0f, 0.0f, 0.0f);
    u = unit(cross(helper, a));
    v = cross(a, u);
}

}  // namespace

void addBox(Mesh& mesh, const Vector3& low, const Vector3& high, unsigned skip)
{
    const Vector3 c[8] = {
        {low.x, low.y, low.z},  {high.x, low.y, low.z},  {high.x, low.y, high.z},  {low.x, low.y, high.z},
        {low.x, high.y, low.z}, {high.x, high.y, low.z}, {high.x, high.y, high.z}, {low.x, high.y, high.z},
    };
    struct Side {
        int a, b, c, d;
        Vector3 normal;
        unsigned flag;
    };
    const Side sides[6] = {
        {0, 1, 2, 3, {0, -1, 0}, SkipBottom}, {4, 5, 6, 7, {0, 1, 0}, SkipTop},
        {0, 1, 5, 4, {0, 0, -1}, SkipLowZ},   {3, 2, 6, 7, {0, 0, 1}, SkipHighZ},
        {0, 3, 7, 4, {-1, 0, 0}, SkipLowX},   {1, 2, 6, 5, {1, 0, 0}, SkipHighX},
    };
    for (const Side& side : sides) {
        if (side.flag & skip)
            continue;
        addFlatPolygon(mesh, {c[side.a], c[side.b], c[side.c], c[side.d]}, side.normal);
    }
}

void addTurnedBox(Mesh& mesh, const Vector3& centre, const Vector3& half, float angleDegrees, unsigned skip)
{
    const size_t first = mesh.positions.size();
    addBox(mesh, half * -1.0f, half, skip);
    placeVertices(mesh, first, angleDegrees, centre);
}

void addLathe(Mesh& mesh, const Vector3& base, const std::vector<LathePoint>& profile, int segments,
              bool capBottom, bool capTop, bool hardRings)
{
    if (profile.size() < 2 || segments < 3)
        return;
    const Vector3 up(0.0f, 1.0f, 0.0f);
    // Distance along the profile, for texturing the sides.
    std::vector<float> along(profile.size(), 0.0f);
    for (size_t i = 1; i < profile.size(); ++i) {
        const float dr = profile[i].radius - profile[i - 1].radius;
        const float dh = profile[i].height - profile[i - 1].height;
        along[i] = along[i - 1] + std::sqrt(dr * dr + dh * dh);
    }
    const float circumference = 2.0f * pi * std::max(profile[0].radius, profile[profile.size() / 2].radius);
    const auto ringPoint = [&](size_t i, int k) {
        const float angle = 2.0f * pi * static_cast<float>(k) / static_cast<float>(segments);
        return base + Vector3(std::cos(angle) * profile[i].radius, profile[i].height,
                              std::sin(angle) * profile[i].radius);
    };
    const auto addRing = [&](size_t i) {
        const uint32_t first = static_cast<uint32_t>(mesh.positions.size());
        for (int k = 0; k <= segments; ++k) {
            const float u = circumference * static_cast<float>(k) / static_cast<float>(segments);
            addVertex(mesh, ringPoint(i, k % segments), {u / textureWorldSize, along[i] / textureWorldSize});
        }
        return first;
    };
    const auto sideBand = [&](size_t i, uint32_t lower, uint32_t upper) {
        for (int k = 0; k < segments; ++k) {
            const float angle = 2.0f * pi * (static_cast<float>(k) + 0.5f) / static_cast<float>(segments);
            const Vector3 radial(std::cos(angle), 0.0f, std::sin(angle));
            // Outward: the band's normal in the plane of the profile.
            const float dr = profile[i + 1].radius - profile[i].radius;
            const float dh = profile[i + 1].height - profile[i].height;
            const Vector3 facing = radial * dh + up * (-dr);
            const uint32_t k0 = static_cast<uint32_t>(k), k1 = static_cast<uint32_t>(k + 1);
            addQuad(mesh, lower + k0, lower + k1, upper + k1, upper + k0, facing);
        }
    };
    uint32_t previous = addRing(0);
    for (size_t i = 0; i + 1 < profile.size(); ++i) {
        const uint32_t next = addRing(i + 1);
        sideBand(i, previous, next);
        previous = next;
        if (hardRings && i + 2 < profile.size())
            previous = addRing(i + 1);
    }
    const auto cap = [&](size_t i, const Vector3& facing) {
        if (profile[i].radius <= 0.0f)
            return;
        std::vector<Vector3> outline;
        for (int k = 0; k < segments; ++k)
            outline.push_back(ringPoint(i, k));
        addFlatPolygon(mesh, outline, facing);
    };
    if (capBottom)
        cap(0, up * -1.0f);
    if (capTop)
        cap(profile.size() - 1, up);
}

void addCylinder(Mesh& mesh, const Vector3& a, const Vector3& b, float radius, int segments, bool caps)
{
    Vector3 u, v;
    const Vector3 axis = unit(b - a);
    basisAround(axis, u, v);
    const float length = lengthOf(b - a);
    const uint32_t first = static_cast<uint32_t>(mesh.positions.size());
    for (int end = 0; end < 2; ++end) {
        const Vector3 centre = end == 0 ? a : b;
        for (int k = 0; k <= segments; ++k) {
            const float angle = 2.0f * pi * static_cast<float>(k) / static_cast<float>(segments);
            const Vector3 p = centre + u * (std::cos(angle) * radius) + v * (std::sin(angle) * radius);
            addVertex(mesh, p,
                      {2.0f * pi * radius * static_cast<float>(k) / static_cast<float>(segments) / textureWorldSize,
                       (end == 0 ? 0.0f : length) / textureWorldSize});
        }
    }
    const uint32_t row = static_cast<uint32_t>(segments + 1);
    for (int k = 0; k < segments; ++k) {
        const float angle = 2.0f * pi * (static_cast<float>(k) + 0.5f) / static_cast<float>(segments);
        const Vector3 facing = u * std::cos(angle) + v * std::sin(angle);
        const uint32_t k0 = first + static_cast<uint32_t>(k);
        addQuad(mesh, k0, k0 + 1, k0 + 1 + row, k0 + row, facing);
    }
    if (!caps)
        return;
    for (int end = 0; end < 2; ++end) {
        std::vector<Vector3> outline;
        for (int k = 0; k < segments; ++k)
            outline.push_back(mesh.positions[first + static_cast<uint32_t>(end) * row + static_cast<uint32_t>(k)]);
        addFlatPolygon(mesh, outline, end == 0 ? axis * -1.0f : axis);
    }
}

void addCone(Mesh& mesh, const Vector3& a, const Vector3& b, float radius, int segments, bool baseCap)
{
    Vector3 u, v;
    const Vector3 axis = unit(b - a);
    basisAround(axis, u, v);
    const float length = lengthOf(b - a);
    const float slant = std::sqrt(length * length + radius * radius);
    for (int k = 0; k < segments; ++k) {
        const float a0 = 2.0f * pi * static_cast<float>(k) / static_cast<float>(segments);
        const float a1 = 2.0f * pi * static_cast<float>(k + 1) / static_cast<float>(segments);
        const Vector3 p0 = a + u * (std::cos(a0) * radius) + v * (std::sin(a0) * radius);
        const Vector3 p1 = a + u * (std::cos(a1) * radius) + v * (std::sin(a1) * radius);
        const float s0 = radius * a0 / textureWorldSize, s1 = radius * a1 / textureWorldSize;
        // Each side its own triangle: facets stay crisp, like cut stone or metal.
        const uint32_t i0 = addVertex(mesh, p0, {s0, 0.0f});
        const uint32_t i1 = addVertex(mesh, p1, {s1, 0.0f});
        const uint32_t i2 = addVertex(mesh, b, {(s0 + s1) * 0.5f, slant / textureWorldSize});
        const float mid = (a0 + a1) * 0.5f;
        const Vector3 radial = u * std::cos(mid) + v * std::sin(mid);
        addTriangle(mesh, i0, i1, i2, radial * length + axis * radius);
    }
    if (!baseCap)
        return;
    std::vector<Vector3> outline;
    for (int k = 0; k < segments; ++k) {
        const float angle = 2.0f * pi * static_cast<float>(k) / static_cast<float>(segments);
        outline.push_back(a + u * (std::cos(angle) * radius) + v * (std::sin(angle) * radius));
    }
    addFlatPolygon(mesh, outline, axis * -1.0f);
}

void addTube(Mesh& mesh, const std::vector<Vector3>& points, float radius, int segments)
{
    if (points.size() < 2)
        return;
    const uint32_t first = static_cast<uint32_t>(mesh.positions.size());
    float along = 0.0f;
    for (size_t i = 0; i < points.size(); ++i) {
        const Vector3 direction =
            unit(points[std::min(i + 1, points.size() - 1)] - points[i == 0 ? 0 : i - 1]);
        Vector3 u, v;
        basisAround(direction, u, v);
        if (i > 0)
            along += lengthOf(points[i] - points[i - 1]);
        for (int k = 0; k <= segments; ++k) {
            const float angle = 2.0f * pi * static_cast<float>(k) / static_cast<float>(segments);
            const Vector3 p = points[i] + u * (std::cos(angle) * radius) + v * (std::sin(angle) * radius);
            addVertex(mesh, p,
                      {2.0f * pi * radius * static_cast<float>(k) / static_cast<float>(segments) / textureWorldSize,
                       along / textureWorldSize});
        }
    }
    const uint32_t row = static_cast<uint32_t>(segments + 1);
    for (size_t i = 0; i + 1 < points.size(); ++i) {
        for (int k = 0; k < segments; ++k) {
            const uint32_t a = first + static_cast<uint32_t>(i) * row + static_cast<uint32_t>(k);
            const Vector3 mid = (mesh.positions[a] + mesh.positions[a + 1 + row]) * 0.5f;
            const Vector3 axis = (points[i] + points[i + 1]) * 0.5f;
            addQuad(mesh, a, a + 1, a + 1 + row, a + row, mid - axis);
        }
    }
}

void addRock(Mesh& mesh, const Vector3& centre, const Vector3& radii, uint32_t seed, float strength, int rings,
             int segments, float bottomCut)
{
    const uint32_t first = static_cast<uint32_t>(mesh.positions.size());
    const float floorY = centre.y - radii.y * bottomCut;
    const auto point = [&](int ring, int k) {
        const float theta = pi * static_cast<float>(ring) / static_cast<float>(rings);
        const float phi = 2.0f * pi * static_cast<float>(k % segments) / static_cast<float>(segments);
        const Vector3 dir(std::sin(theta) * std::cos(phi), std::cos(theta), std::sin(theta) * std::sin(phi));
        const float n = fbm3(dir.x * 1.7f + 3.1f, dir.y * 1.7f, dir.z * 1.7f, seed, 3);
        const float scale = 1.0f + strength * (n - 0.5f) * 1.6f;
        Vector3 p(centre.x + dir.x * radii.x * scale, centre.y + dir.y * radii.y * scale,
                  centre.z + dir.z * radii.z * scale);
        if (p.y < floorY)
            p.y = floorY;
        return p;
    };
    const float circumference = 2.0f * pi * std::max(radii.x, radii.z);
    for (int ring = 0; ring <= rings; ++ring) {
        for (int k = 0; k <= segments; ++k) {
            const Vector3 p = point(ring, k);
            addVertex(mesh, p,
                      {circumference * static_cast<float>(k) / static_cast<float>(segments) / textureWorldSize,
                       pi * radii.y * static_cast<float>(ring) / static_cast<float>(rings) / textureWorldSize});
        }
    }
    const uint32_t row = static_cast<uint32_t>(segments + 1);
    for (int ring = 0; ring < rings; ++ring) {
        for (int k = 0; k < segments; ++k) {
            const uint32_t a = first + static_cast<uint32_t>(ring) * row + static_cast<uint32_t>(k);
            const Vector3 mid = (mesh.positions[a] + mesh.positions[a + 1 + row]) * 0.5f;
            addQuad(mesh, a, a + 1, a + 1 + row, a + row, mid - centre);
        }
    }
}
