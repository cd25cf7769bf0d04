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

void fitUvs(Mesh& mesh, size_t first, const AtlasRegion& region, float margin)
{
    if (first >= mesh.uvs.size())
        return;
    float lowS = 1e30f, highS = -1e30f, lowT = 1e30f, highT = -1e30f;
    for (size_t i = first; i < mesh.uvs.size(); ++i) {
        lowS = std::min(lowS, mesh.uvs[i].u);
        highS = std::max(highS, mesh.uvs[i].u);
        lowT = std::min(lowT, mesh.uvs[i].v);
        highT = std::max(highT, mesh.uvs[i].v);
    }
    const auto fit = [margin](float x, float low, float high) {
        return high > low ? margin + (1.0f - 2.0f * margin) * (x - low) / (high - low) : 0.5f;
    };
    for (size_t i = first; i < mesh.uvs.size(); ++i)
        mesh.uvs[i] = {region.s(fit(mesh.uvs[i].u, lowS, highS)), region.t(fit(mesh.uvs[i].v, lowT, highT))};
}

void addBoard(Mesh& mesh, const Vector3& low, const Vector3& high, float bevel, int plank)
{
    const float lo[3] = {low.x, low.y, low.z}, hi[3] = {high.x, high.y, high.z};
    int longAxis = 0;
    float thinnest = hi[0] - lo[0];
    for (int a = 1; a < 3; ++a) {
        if (hi[a] - lo[a] > hi[longAxis] - lo[longAxis])
            longAxis = a;
        thinnest = std::min(thinnest, hi[a] - lo[a]);
    }
    bevel = std::min(bevel, 0.45f * thinnest);
    // The vertex of corner c (bit k set: high on axis k) on the face across axis a.
    const auto point = [&](int corner, int a) {
        float c[3];
        for (int k = 0; k < 3; ++k) {
            const bool up = ((corner >> k) & 1) != 0;
            c[k] = up ? hi[k] : lo[k];
            if (k != a)
                c[k] += up ? -bevel : bevel;
        }
        return Vector3(c[0], c[1], c[2]);
    };
    const float plankSpan = 1.0f / (static_cast<float>(woodPlanksPerTile) * woodTiling);
    const auto uvOf = [&](const Vector3& p, const Vector3& facing) {
        const float c[3] = {p.x, p.y, p.z};
        const float n[3] = {std::fabs(facing.x), std::fabs(facing.y), std::fabs(facing.z)};
        const int a1 = (longAxis + 1) % 3, a2 = (longAxis + 2) % 3;
        int along = longAxis;
        int across = n[a1] >= n[a2] ? a2 : a1;
        if (n[a1] == 0.0f && n[a2] == 0.0f) {  // an end: end grain, laid across
            along = a1;
            across = a2;
        }
        // The texture keeps its density across the grain too (stretched
        // texels cost the filtering dearly), so a board narrower than a
        // plank shows the middle of its plank.
        const float middle = (lo[across] + hi[across]) * 0.5f;
        return TexCoord{c[along] / textureWorldSize,
                        (static_cast<float>(plank) + 0.5f) * plankSpan + (c[across] - middle) / textureWorldSize};
    };
    const auto facet = [&](const std::vector<Vector3>& points, const Vector3& facing) {
        const uint32_t first = static_cast<uint32_t>(mesh.positions.size());
        for (const Vector3& p : points)
            addVertex(mesh, p, uvOf(p, facing));
        if (points.size() == 3)
            addTriangle(mesh, first, first + 1, first + 2, facing);
        else
            addQuad(mesh, first, first + 1, first + 2, first + 3, facing);
    };
    const auto axis = [](int a, bool up) {
        const float s = up ? 1.0f : -1.0f;
        return Vector3(a == 0 ? s : 0.0f, a == 1 ? s : 0.0f, a == 2 ? s : 0.0f);
    };
    for (int a = 0; a < 3; ++a) {
        const int b = (a + 1) % 3, c = (a + 2) % 3;
        for (int side = 0; side < 2; ++side) {
            const int s = side << a;
            facet({point(s, a), point(s | (1 << b), a), point(s | (1 << b) | (1 << c), a), point(s | (1 << c), a)},
                  axis(a, side == 1));
        }
    }
    for (int a = 0; a < 3; ++a) {
        const int b = (a + 1) % 3, c = (a + 2) % 3;
        for (int sa = 0; sa < 2; ++sa)
            for (int sb = 0; sb < 2; ++sb) {
                const int c0 = (sa << a) | (sb << b), c1 = c0 | (1 << c);
                facet({point(c0, a), point(c0, b), point(c1, b), point(c1, a)}, axis(a, sa == 1) + axis(b, sb == 1));
            }
    }
    for (int corner = 0; corner < 8; ++corner)
        facet({point(corner, 0), point(corner, 1), point(corner, 2)},
              axis(0, corner & 1) + axis(1, (corner & 2) != 0) + axis(2, (corner & 4) != 0));
}

void addFlame(Mesh& mesh, const Vector3& base, float height, float width, float widestAt, int lobes, uint32_t seed,
              const AtlasRegion& region)
{
    const int segments = std::max(12, lobes * 5);
    const int rings = 10;
    const float margin = 0.06f;
    const float phase = 6.2831853f * hashUnit(static_cast<int32_t>(seed), 1, 0, 61);
    const uint32_t first = static_cast<uint32_t>(mesh.positions.size());
    for (int ring = 0; ring <= rings; ++ring) {
        const float t = static_cast<float>(ring) / static_cast<float>(rings);
        // Round at the foot, widest at widestAt, drawn out to the tip.
        float shape = 0.0f;
        if (t <= widestAt)
            shape = std::pow(std::sin(0.5f * pi * t / widestAt), 0.7f);
        else if (ring < rings)
            shape = std::pow(std::cos(0.5f * pi * (t - widestAt) / (1.0f - widestAt)), 0.9f);
        const float upper = smoothstepf(widestAt, 1.0f, t);
        for (int k = 0; k <= segments; ++k) {
            const float theta = 2.0f * pi * static_cast<float>(k) / static_cast<float>(segments);
            const float lobe = std::cos(static_cast<float>(lobes) * (theta + 1.3f * upper) + phase);
            const float flicker =
                valueNoise2(8.0f * static_cast<float>(k % segments) / static_cast<float>(segments), t * 4.0f, seed, 8, 0);
            const float radius = width * shape * (1.0f + 0.35f * upper * lobe) * (1.0f + 0.14f * (flicker - 0.5f));
            const float y = height * t * (1.0f + 0.14f * upper * lobe + 0.08f * upper * (flicker - 0.5f));
            addVertex(mesh, base + Vector3(std::cos(theta) * radius, y, std::sin(theta) * radius),
                      {region.s(margin + (1.0f - 2.0f * margin) * static_cast<float>(k) / static_cast<float>(segments)),
                       region.t(margin + (1.0f - 2.0f * margin) * t)});
        }
    }
    const uint32_t row = static_cast<uint32_t>(segments + 1);
    for (int ring = 0; ring < rings; ++ring)
        for (int k = 0; k < segments; ++k) {
            const uint32_t a = first + static_cast<uint32_t>(ring) * row + static_cast<uint32_t>(k);
            const Vector3 mid = (mesh.positions[a] + mesh.positions[a + 1 + row]) * 0.5f;
            addQuad(mesh, a, a + 1, a + 1 + row, a + row, mid - Vector3(base.x, mid.y, base.z));
        }
}

void addDripstone(Mesh& mesh, const Vector3& base, const std::vector<LathePoint>& profile, int segments, float step,
                  uint32_t seed, float rough, float bend)
{
    if (profile.size() < 2 || segments < 3)
        return;
    std::vector<float> along(profile.size(), 0.0f);
    float widest = 0.0f;
    for (size_t i = 0; i < profile.size(); ++i) {
        widest = std::max(widest, profile[i].radius);
        if (i == 0)
            continue;
        const float dr = profile[i].radius - profile[i - 1].radius;
        const float dh = profile[i].height - profile[i - 1].height;
        along[i] = along[i - 1] + std::sqrt(dr * dr + dh * dh);
    }
    const int rings = std::max(2, static_cast<int>(std::ceil(along.back() / step)));
    const int flutes = 3 + static_cast<int>(seed % 3u);
    const float phase = 6.2831853f * hashUnit(static_cast<int32_t>(seed), 2, 0, 62);
    const float circumference = 2.0f * pi * widest;
    const uint32_t first = static_cast<uint32_t>(mesh.positions.size());
    std::vector<Vector3> centres;
    for (int ring = 0; ring <= rings; ++ring) {
        // The profile point this far along it.
        const float s = along.back() * static_cast<float>(ring) / static_cast<float>(rings);
        size_t i = 0;
        while (i + 2 < profile.size() && along[i + 1] < s)
            ++i;
        const float span = along[i + 1] - along[i];
        const float f = span > 0.0f ? (s - along[i]) / span : 0.0f;
        const float radius = mixf(profile[i].radius, profile[i + 1].radius, f);
        const float h = mixf(profile[i].height, profile[i + 1].height, f);
        // The thin parts wander off the axis; the thick root stays put.
        const float loose = widest > 0.0f ? 1.0f - radius / widest : 0.0f;
        const Vector3 centre = base + Vector3(bend * loose * (valueNoise2(h * 0.04f, 0.5f, seed, 0, 0) - 0.5f) * 2.0f, h,
                                              bend * loose * (valueNoise2(h * 0.04f, 0.5f, seed + 1u, 0, 0) - 0.5f) * 2.0f);
        centres.push_back(centre);
        for (int k = 0; k <= segments; ++k) {
            const float theta = 2.0f * pi * static_cast<float>(k % segments) / static_cast<float>(segments);
            const Vector3 radial(std::cos(theta), 0.0f, std::sin(theta));
            const Vector3 onSurface = centre + radial * radius;
            const float lump = fbm3(onSurface.x * 0.12f, onSurface.y * 0.12f, onSurface.z * 0.12f, seed, 3);
            const float flute = std::cos(static_cast<float>(flutes) * theta + phase + h * 0.04f);
            const float drip = std::sin(h * 0.45f + lump * 6.0f);
            const float scale = 1.0f + rough * ((lump - 0.5f) * 2.4f + 0.5f * flute + 0.3f * drip);
            addVertex(mesh, centre + radial * (radius * std::max(scale, 0.2f)),
                      {circumference * static_cast<float>(k) / static_cast<float>(segments) / textureWorldSize,
                       s / textureWorldSize});
        }
    }
    const uint32_t row = static_cast<uint32_t>(segments + 1);
    for (int ring = 0; ring < rings; ++ring)
        for (int k = 0; k < segments; ++k) {
            const uint32_t a = first + static_cast<uint32_t>(ring) * row + static_cast<uint32_t>(k);
            const Vector3 mid = (mesh.positions[a] + mesh.positions[a + 1 + row]) * 0.5f;
            const Vector3 axisPoint = (centres[static_cast<size_t>(ring)] + centres[static_cast<size_t>(ring) + 1]) * 0.5f;
            addQuad(mesh, a, a + 1, a + 1 + row, a + row, mid - axisPoint);
        }
}
