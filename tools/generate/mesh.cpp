#include "tools/generate/mesh.h"

#include <algorithm>
#include <cmath>

Vector3 lerp(const Vector3& a, const Vector3& b, float t)
{
    return a + (b - a) * t;
}

float lengthOf(const Vector3& v)
{
    return std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
}

Vector3 unit(const Vector3& v)
{
    const float length = lengthOf(v);
    return length > 0.0f ? v / length : Vector3(0.0f, 1.0f, 0.0f);
}

SurfaceFrame surfaceFrame(const Vector3& normal)
{
    // The lighting shaders take the tangent (n.y - n.z, n.x, 0), made
    // perpendicular to n, as the direction of s and n x tangent as that of
    // t; textures laid along those axes are lit from the right side.
    const Vector3 n = unit(normal);
    if (n.y >= 0.7f)
        return {{1.0f, 0.0f, 0.0f}, {0.0f, 0.0f, -1.0f}};
    if (n.y <= -0.7f)
        return {{-1.0f, 0.0f, 0.0f}, {0.0f, 0.0f, -1.0f}};
    Vector3 tangent(n.y - n.z, n.x, 0.0f);
    tangent = tangent - n * dot(n, tangent);
    if (lengthOf(tangent) > 1e-4f && std::fabs(unit(tangent).y) < 0.5f) {
        const Vector3 s = unit({tangent.x, 0.0f, tangent.z});
        return {s, cross(n, s)};
    }
    // Walls facing mostly along x get a steep tangent; their texture stays
    // upright (courses of stone level) and the relief is lit a quarter turn off.
    return {unit({n.z, 0.0f, -n.x}), {0.0f, 1.0f, 0.0f}};
}

TexCoord planarUv(const Vector3& p, const Vector3& normal)
{
    const SurfaceFrame frame = surfaceFrame(normal);
    return {dot(p, frame.sAxis) / textureWorldSize, dot(p, frame.tAxis) / textureWorldSize};
}

uint32_t addVertex(Mesh& mesh, const Vector3& p, const TexCoord& uv)
{
    mesh.positions.push_back(p);
    mesh.uvs.push_back(uv);
    return static_cast<uint32_t>(mesh.positions.size() - 1);
}

void addTriangle(Mesh& mesh, uint32_t a, uint32_t b, uint32_t c, const Vector3& facing)
{
    const Vector3 &pa = mesh.positions[a], &pb = mesh.positions[b], &pc = mesh.positions[c];
    const Vector3 n = cross(pb - pa, pc - pa);
    // Two corners a rounding error apart give a sliver whose normal means
    // nothing; drop it like one of no area.
    const float shortest = std::min({lengthOf(pb - pa), lengthOf(pc - pb), lengthOf(pa - pc)});
    if (lengthOf(n) < 1e-6f || shortest < 1e-3f)
        return;
    Face3DS face;
    face.a = a;
    if (dot(n, facing) >= 0.0f) {
        face.b = b;
        face.c = c;
    } else {
        face.b = c;
        face.c = b;
    }
    mesh.faces.push_back(face);
}

void addQuad(Mesh& mesh, uint32_t a, uint32_t b, uint32_t c, uint32_t d, const Vector3& facing)
{
    const float ac = lengthOf(mesh.positions[c] - mesh.positions[a]);
    const float bd = lengthOf(mesh.positions[d] - mesh.positions[b]);
    if (ac <= bd) {
        addTriangle(mesh, a, b, c, facing);
        addTriangle(mesh, a, c, d, facing);
    } else {
        addTriangle(mesh, a, b, d, facing);
        addTriangle(mesh, b, c, d, facing);
    }
}

namespace {

// The z of the 2D cross product: positive when b turns left of a.
float cross2(float ax, float ay, float bx, float by)
{
    return ax * by - ay * bx;
}

// True when (px, py) lies inside or on the triangle a-b-c (counter-clockwise).
bool inTriangle(float px, float py, float ax, float ay, float bx, float by, float cx, float cy)
{
    const float eps = -1e-4f;
    return cross2(bx - ax, by - ay, px - ax, py - ay) >= eps && cross2(cx - bx, cy - by, px - bx, py - by) >= eps &&
           cross2(ax - cx, ay - cy, px - cx, py - cy) >= eps;
}

// The smallest angle (radians) of the triangle a-b-c.
float smallestAngle(const std::vector<float>& xs, const std::vector<float>& ys, uint32_t a, uint32_t b, uint32_t c)
{
    const uint32_t corners[3] = {a, b, c};
    float smallest = 4.0f;
    for (int k = 0; k < 3; ++k) {
        const uint32_t o = corners[k], p = corners[(k + 1) % 3], q = corners[(k + 2) % 3];
        const float ux = xs[p] - xs[o], uy = ys[p] - ys[o], vx = xs[q] - xs[o], vy = ys[q] - ys[o];
        smallest = std::min(smallest, std::atan2(std::fabs(cross2(ux, uy, vx, vy)), ux * vx + uy * vy));
    }
    return smallest;
}

}  // namespace

void triangulatePolygon(const std::vector<float>& xs, const std::vector<float>& ys, std::vector<uint32_t>& triangles,
                        bool evenTriangles)
{
    std::vector<uint32_t> ring(xs.size());
    for (size_t i = 0; i < ring.size(); ++i)
        ring[i] = static_cast<uint32_t>(i);
    const auto turn = [&](uint32_t p, uint32_t c, uint32_t n) {
        return cross2(xs[c] - xs[p], ys[c] - ys[p], xs[n] - xs[c], ys[n] - ys[c]);
    };
    while (ring.size() > 3) {
        const size_t m = ring.size();
        size_t chosen = m;
        float bestShape = -1.0f;
        for (size_t i = 0; i < m && (chosen == m || evenTriangles); ++i) {
            const uint32_t p = ring[(i + m - 1) % m], c = ring[i], n = ring[(i + 1) % m];
            if (turn(p, c, n) <= 1e-5f)
                continue;
            bool empty = true;
            for (size_t j = 0; j < m && empty; ++j) {
                const uint32_t q = ring[j];
                if (q == p || q == c || q == n)
                    continue;
                if (inTriangle(xs[q], ys[q], xs[p], ys[p], xs[c], ys[c], xs[n], ys[n]))
                    empty = false;
            }
            if (!empty)
                continue;
            const float shape = evenTriangles ? smallestAngle(xs, ys, p, c, n) : 0.0f;
            if (chosen == m || shape > bestShape + 1e-6f) {
                chosen = i;
                bestShape = shape;
            }
        }
        if (chosen == m) {
            // No clean ear (numerically degenerate input): cut the most convex
            // corner so the loop always ends.
            float best = -1e30f;
            for (size_t i = 0; i < m; ++i) {
                const float t = turn(ring[(i + m - 1) % m], ring[i], ring[(i + 1) % m]);
                if (t > best) {
                    best = t;
                    chosen = i;
                }
            }
        }
        const uint32_t p = ring[(chosen + m - 1) % m], c = ring[chosen], n = ring[(chosen + 1) % m];
        if (turn(p, c, n) > 1e-5f) {
            triangles.push_back(p);
            triangles.push_back(c);
            triangles.push_back(n);
        }
        ring.erase(ring.begin() + static_cast<std::ptrdiff_t>(chosen));
    }
    if (ring.size() == 3 && turn(ring[0], ring[1], ring[2]) > 1e-5f) {
        triangles.push_back(ring[0]);
        triangles.push_back(ring[1]);
        triangles.push_back(ring[2]);
    }
}

uint32_t addFlatPolygon(Mesh& mesh, const std::vector<Vector3>& outline, const Vector3& facing, bool evenTriangles)
{
    const uint32_t first = static_cast<uint32_t>(mesh.positions.size());
    if (outline.size() < 3)
        return first;
    // 2D axes in the polygon's plane, right-handed about the facing normal,
    // so counter-clockwise in 2D means facing along `facing`.
    const Vector3 n = unit(facing);
    const Vector3 helper = std::fabs(n.y) < 0.9f ? Vector3(0.0f, 1.0f, 0.0f) : Vector3(1.0f, 0.0f, 0.0f);
    const Vector3 ax = unit(cross(helper, n));
    const Vector3 ay = cross(n, ax);
    std::vector<float> xs, ys;
    float area = 0.0f;
    for (size_t i = 0; i < outline.size(); ++i) {
        xs.push_back(dot(outline[i], ax));
        ys.push_back(dot(outline[i], ay));
    }
    for (size_t i = 0; i < outline.size(); ++i) {
        const size_t j = (i + 1) % outline.size();
        area += cross2(xs[i], ys[i], xs[j], ys[j]);
    }
    std::vector<size_t> order(outline.size());
    for (size_t i = 0; i < order.size(); ++i)
        order[i] = area >= 0.0f ? i : order.size() - 1 - i;
    std::vector<float> ox, oy;
    for (size_t i : order) {
        ox.push_back(xs[i]);
        oy.push_back(ys[i]);
        addVertex(mesh, outline[i], planarUv(outline[i], facing));
    }
    std::vector<uint32_t> triangles;
    triangulatePolygon(ox, oy, triangles, evenTriangles);
    for (size_t k = 0; k + 2 < triangles.size(); k += 3)
        addTriangle(mesh, first + triangles[k], first + triangles[k + 1], first + triangles[k + 2], facing);
    return first;
}

void placeVertices(Mesh& mesh, size_t first, float angleDegrees, const Vector3& offset)
{
    const float radians = angleDegrees * 3.14159265358979f / 180.0f;
    const float c = std::cos(radians), s = std::sin(radians);
    for (size_t i = first; i < mesh.positions.size(); ++i) {
        const Vector3 p = mesh.positions[i];
        mesh.positions[i] = Vector3(c * p.x + s * p.z, p.y, -s * p.x + c * p.z) + offset;
    }
}

void flatten(Mesh& mesh)
{
    Mesh flat;
    flat.name = mesh.name;
    for (const Face3DS& face : mesh.faces) {
        const uint32_t first = static_cast<uint32_t>(flat.positions.size());
        for (uint32_t k : {face.a, face.b, face.c})
            addVertex(flat, mesh.positions[k], mesh.uvs[k]);
        flat.faces.push_back({first, first + 1, first + 2});
    }
    mesh = flat;
}

void appendMesh(Mesh& mesh, const Mesh& part)
{
    const uint32_t base = static_cast<uint32_t>(mesh.positions.size());
    mesh.positions.insert(mesh.positions.end(), part.positions.begin(), part.positions.end());
    mesh.uvs.insert(mesh.uvs.end(), part.uvs.begin(), part.uvs.end());
    for (Face3DS face : part.faces) {
        face.a += base;
        face.b += base;
        face.c += base;
        mesh.faces.push_back(face);
    }
}

MeshObject toMeshObject(const Mesh& mesh)
{
    MeshObject object;
    object.name = mesh.name;
    for (const Vector3& p : mesh.positions)
        object.vertices.push_back({p.x, -p.z, p.y});
    for (const TexCoord& uv : mesh.uvs)
        object.texCoords.push_back({uv.u, -uv.v});
    object.faces = mesh.faces;
    return object;
}

size_t triangleCount(const std::vector<Mesh>& meshes)
{
    size_t count = 0;
    for (const Mesh& mesh : meshes)
        count += mesh.faces.size();
    return count;
}
