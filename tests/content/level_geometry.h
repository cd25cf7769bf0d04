// The shipped level's surfaces in world coordinates, with a uniform grid for
// ray casts: tells whether a camera position lies inside the level (every way
// out first meets a surface from its front, i.e. from inside) independently
// of the collision code under test.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "core/geometry.h"
#include "world/world.h"

namespace content {

// A piece's drawing-frame point placed in the world (translation, then the
// turn about Y, as the scene and the collision place level pieces).
inline Vector3 placeLocal(const LevelPiece& piece, const Vector3& local)
{
    Matrix4 turn;
    turn.rotate(piece.rotation.y, 0.0f, 1.0f, 0.0f);
    return turn.transformPoint(local) + piece.position;
}

struct WorldTriangle {
    Vector3 a, b, c;
    Vector3 normal;  // unit counter-clockwise normal: the side the surface shows
};

// Moller-Trumbore, both sides; t > 0 on a hit.
inline bool rayTriangle(const Vector3& o, const Vector3& d, const WorldTriangle& tri, float& t)
{
    const Vector3 e1 = tri.b - tri.a, e2 = tri.c - tri.a, p = cross(d, e2);
    const float det = dot(e1, p);
    if (std::fabs(det) < 1e-9f)
        return false;
    const Vector3 s = o - tri.a, q = cross(s, e1);
    const float u = dot(s, p) / det, v = dot(d, q) / det;
    if (u < -1e-5f || v < -1e-5f || u + v > 1.0f + 1e-5f)
        return false;
    t = dot(e2, q) / det;
    return t > 1e-4f;
}

// The point of the triangle nearest p (by its regions: corners, edges, face).
inline Vector3 closestOnTriangle(const Vector3& p, const WorldTriangle& tri)
{
    const Vector3 a = tri.a, b = tri.b, c = tri.c, ab = b - a, ac = c - a;
    const float d1 = dot(ab, p - a), d2 = dot(ac, p - a), d3 = dot(ab, p - b), d4 = dot(ac, p - b);
    const float d5 = dot(ab, p - c), d6 = dot(ac, p - c);
    if (d1 <= 0 && d2 <= 0)
        return a;
    if (d3 >= 0 && d4 <= d3)
        return b;
    if (d6 >= 0 && d5 <= d6)
        return c;
    const float vc = d1 * d4 - d3 * d2, vb = d5 * d2 - d1 * d6, va = d3 * d6 - d5 * d4;
    if (vc <= 0 && d1 >= 0 && d3 <= 0)
        return a + ab * (d1 / (d1 - d3));
    if (vb <= 0 && d2 >= 0 && d6 <= 0)
        return a + ac * (d2 / (d2 - d6));
    if (va <= 0 && d4 - d3 >= 0 && d5 - d6 >= 0)
        return b + (c - b) * ((d4 - d3) / ((d4 - d3) + (d5 - d6)));
    return a + ab * (vb / (va + vb + vc)) + ac * (vc / (va + vb + vc));
}

class LevelGeometry {
public:
    // Every drawn face of every level piece (props and bottles left out), or
    // with collisionShells the faces of their collision hulls instead,
    // placed and turned as the scene draws them, sorted into 20-unit cells.
    explicit LevelGeometry(const World& world, bool collisionShells = false)
    {
        Vector3 low(1e9f, 1e9f, 1e9f), high(-1e9f, -1e9f, -1e9f);
        for (int i = 0; i < world.pieceCount; ++i) {
            const LevelPiece& piece = world.pieces[i];
            for (const Object3DS& object : piece.isProp ? std::vector<Object3DS>()
                                           : collisionShells ? piece.collisionModel.objects : piece.model.objects) {
                for (const Face3DS& face : object.faces) {
                    const size_t n = object.vertices.size();
                    if (face.a >= n || face.b >= n || face.c >= n)
                        continue;
                    const auto place = [&](uint32_t k) {
                        const Vector3& v = object.vertices[k];
                        return placeLocal(piece, {v.x, v.z, -v.y});
                    };
                    WorldTriangle t{place(face.a), place(face.b), place(face.c), {}};
                    const Vector3 normal = cross(t.b - t.a, t.c - t.a);
                    if (magnitude(normal) <= 1e-6f)
                        continue;
                    t.normal = normal / magnitude(normal);
                    triangles_.push_back(t);
                    for (const Vector3& p : {t.a, t.b, t.c}) {
                        low = {std::min(low.x, p.x), std::min(low.y, p.y), std::min(low.z, p.z)};
                        high = {std::max(high.x, p.x), std::max(high.y, p.y), std::max(high.z, p.z)};
                    }
                }
            }
        }
        origin_ = low - Vector3(1, 1, 1);
        const Vector3 extent = high - origin_ + Vector3(1, 1, 1);
        const float sizes[3] = {extent.x, extent.y, extent.z};
        for (int k = 0; k < 3; ++k)
            counts_[k] = std::max(1, static_cast<int>(std::ceil(sizes[k] / cell_)));
        cells_.assign(static_cast<size_t>(counts_[0]) * counts_[1] * counts_[2], {});
        for (uint32_t i = 0; i < triangles_.size(); ++i) {
            const WorldTriangle& t = triangles_[i];
            int lo[3], hi[3];
            cellRange({std::min({t.a.x, t.b.x, t.c.x}), std::min({t.a.y, t.b.y, t.c.y}), std::min({t.a.z, t.b.z, t.c.z})},
                      {std::max({t.a.x, t.b.x, t.c.x}), std::max({t.a.y, t.b.y, t.c.y}), std::max({t.a.z, t.b.z, t.c.z})},
                      lo, hi);
            for (int z = lo[2]; z <= hi[2]; ++z)
                for (int y = lo[1]; y <= hi[1]; ++y)
                    for (int x = lo[0]; x <= hi[0]; ++x)
                        cells_[index(x, y, z)].push_back(i);
        }
    }

    // The first surface a ray meets within maxDistance (its index, or -1), by a
    // walk of the grid cells along the ray (3D DDA).
    int cast(const Vector3& origin, const Vector3& direction, float maxDistance) const
    {
        const Vector3 d = normalize(direction);
        const float o[3] = {origin.x - origin_.x, origin.y - origin_.y, origin.z - origin_.z}, dir[3] = {d.x, d.y, d.z};
        int cell[3], step[3];
        float tMax[3], tDelta[3];
        for (int k = 0; k < 3; ++k) {
            cell[k] = static_cast<int>(std::floor(o[k] / cell_));
            if (cell[k] < 0 || cell[k] >= counts_[k])
                return -1;
            step[k] = dir[k] > 0 ? 1 : dir[k] < 0 ? -1 : 0;
            tDelta[k] = step[k] ? cell_ / std::fabs(dir[k]) : 1e30f;
            tMax[k] = step[k] ? ((static_cast<float>(cell[k]) + (step[k] > 0 ? 1.0f : 0.0f)) * cell_ - o[k]) / dir[k] : 1e30f;
        }
        int best = -1;
        float bestT = maxDistance;
        for (float tEnter = 0.0f; tEnter <= bestT;) {
            for (uint32_t i : cells_[index(cell[0], cell[1], cell[2])]) {
                float t = 0.0f;
                if (rayTriangle(origin, d, triangles_[i], t) && t < bestT) {
                    bestT = t;
                    best = static_cast<int>(i);
                }
            }
            const int axis = tMax[0] < tMax[1] ? (tMax[0] < tMax[2] ? 0 : 2) : (tMax[1] < tMax[2] ? 1 : 2);
            tEnter = tMax[axis];
            cell[axis] += step[axis];
            if (cell[axis] < 0 || cell[axis] >= counts_[axis])
                break;
            tMax[axis] += tDelta[axis];
        }
        return best;
    }

    // True when rays from the point in 14 directions, off every axis and
    // diagonal, all meet a surface from its front side within reach. A ray
    // can slip through the seam where two pieces meet, so a point counts as
    // outside only when it looks outside from three spots a hair apart.
    bool inside(const Vector3& point) const
    {
        static const Vector3 directions[14] = {
            {1, 0.031f, 0.017f}, {-1, 0.023f, -0.041f}, {0.029f, 1, 0.013f}, {-0.019f, -1, 0.037f},
            {0.043f, 0.011f, 1}, {-0.027f, 0.039f, -1}, {1, 0.93f, 1.07f},   {1.05f, 0.97f, -1},
            {0.96f, -1.04f, 1},  {1.02f, -1, -0.95f},   {-1, 1.06f, 0.94f},  {-0.97f, 1, -1.03f},
            {-1.04f, -0.96f, 1}, {-1, -1.02f, -0.98f},
        };
        static const Vector3 nudges[3] = {{0, 0, 0}, {0.013f, 0.007f, -0.011f}, {-0.009f, 0.012f, 0.008f}};
        for (const Vector3& nudge : nudges) {
            bool allFront = true;
            for (const Vector3& direction : directions) {
                const int hit = cast(point + nudge, direction, 2000.0f);
                allFront = allFront && hit >= 0 && dot(triangles_[static_cast<size_t>(hit)].normal, direction) < 0.0f;
            }
            if (allFront)
                return true;
        }
        return false;
    }

    // Distance from the point to the nearest surface, up to limit.
    float clearance(const Vector3& point, float limit) const
    {
        int lo[3], hi[3];
        cellRange(point - Vector3(limit, limit, limit), point + Vector3(limit, limit, limit), lo, hi);
        float best = limit;
        for (int z = lo[2]; z <= hi[2]; ++z)
            for (int y = lo[1]; y <= hi[1]; ++y)
                for (int x = lo[0]; x <= hi[0]; ++x)
                    for (uint32_t i : cells_[index(x, y, z)])
                        best = std::min(best, distance(point, closestOnTriangle(point, triangles_[i])));
        return best;
    }

private:
    size_t index(int x, int y, int z) const { return (static_cast<size_t>(z) * counts_[1] + y) * counts_[0] + x; }
    void cellRange(const Vector3& low, const Vector3& high, int lo[3], int hi[3]) const
    {
        const float l[3] = {low.x - origin_.x, low.y - origin_.y, low.z - origin_.z};
        const float h[3] = {high.x - origin_.x, high.y - origin_.y, high.z - origin_.z};
        for (int k = 0; k < 3; ++k) {
            lo[k] = std::clamp(static_cast<int>(std::floor(l[k] / cell_)), 0, counts_[k] - 1);
            hi[k] = std::clamp(static_cast<int>(std::floor(h[k] / cell_)), 0, counts_[k] - 1);
        }
    }

    std::vector<WorldTriangle> triangles_;
    Vector3 origin_;
    float cell_ = 20.0f;
    int counts_[3] = {1, 1, 1};
    std::vector<std::vector<uint32_t>> cells_;
};

}  // namespace content
