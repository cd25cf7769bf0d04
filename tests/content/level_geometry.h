// The shipped level's surfaces in world coordinates, with a uniform grid for
// ray casts: used to tell whether a camera position lies inside the level
// (every way out first meets a surface from its front, i.e. from inside)
// independently of the collision code under test. Header only: the test
// folders compile their *_test.cpp files alone.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "core/geometry.h"
#include "world/world.h"

namespace content {

struct WorldTriangle {
    Vector3 a, b, c;
    Vector3 normal;  // unit counter-clockwise normal: the side the surface shows
};

class LevelGeometry {
public:
    // Every face of every level piece (props and bottles left out), placed
    // and turned as the scene draws it.
    explicit LevelGeometry(const World& world);

    // The first surface a ray meets within maxDistance: its index, or -1.
    int cast(const Vector3& origin, const Vector3& direction, float maxDistance, float& hitDistance) const;
    // True when rays from the point in 14 directions all meet a surface
    // from its front side within reach.
    bool inside(const Vector3& point) const;
    // Distance from the point to the nearest surface, up to limit.
    float clearance(const Vector3& point, float limit) const;

    const std::vector<WorldTriangle>& triangles() const { return triangles_; }

private:
    void cellRange(const Vector3& low, const Vector3& high, int lo[3], int hi[3]) const;
    const std::vector<uint32_t>& cellAt(int x, int y, int z) const;

    std::vector<WorldTriangle> triangles_;
    Vector3 origin_;
    float cellSize_ = 20.0f;
    int counts_[3] = {1, 1, 1};
    std::vector<std::vector<uint32_t>> cells_;
};

// A piece's drawing-frame point placed in the world (translation, then the
// turn about Y, as the scene and the collision place level pieces).
inline Vector3 placeLocal(const LevelPiece& piece, const Vector3& local);



inline Vector3 placeLocal(const LevelPiece& piece, const Vector3& local)
{
    Matrix4 turn;
    turn.rotate(piece.rotation.y, 0.0f, 1.0f, 0.0f);
    return turn.transformPoint(local) + piece.position;
}

inline LevelGeometry::LevelGeometry(const World& world)
{
    Vector3 low(1e9f, 1e9f, 1e9f), high(-1e9f, -1e9f, -1e9f);
    for (int i = 0; i < world.pieceCount; ++i) {
        const LevelPiece& piece = world.pieces[i];
        if (piece.isProp)
            continue;
        for (const Object3DS& object : piece.model.objects) {
            for (const Face3DS& face : object.faces) {
                if (face.a >= object.vertices.size() || face.b >= object.vertices.size() ||
                    face.c >= object.vertices.size())
                    continue;
                const auto world = [&](uint32_t k) {
                    const Vector3& v = object.vertices[k];
                    return placeLocal(piece, {v.x, v.z, -v.y});
                };
                WorldTriangle t{world(face.a), world(face.b), world(face.c), {}};
                const Vector3 n = cross(t.b - t.a, t.c - t.a);
                const float length = magnitude(n);
                if (length <= 1e-6f)
                    continue;
                t.normal = n / length;
                triangles_.push_back(t);
                for (const Vector3& p : {t.a, t.b, t.c}) {
                    low = {std::min(low.x, p.x), std::min(low.y, p.y), std::min(low.z, p.z)};
                    high = {std::max(high.x, p.x), std::max(high.y, p.y), std::max(high.z, p.z)};
                }
            }
        }
    }
    origin_ = low - Vector3(1, 1, 1);
    const float extent[3] = {high.x - origin_.x + 1, high.y - origin_.y + 1, high.z - origin_.z + 1};
    for (int k = 0; k < 3; ++k)
        counts_[k] = std::max(1, static_cast<int>(std::ceil(extent[k] / cellSize_)));
    cells_.assign(static_cast<size_t>(counts_[0]) * counts_[1] * counts_[2], {});
    for (uint32_t i = 0; i < triangles_.size(); ++i) {
        const WorldTriangle& t = triangles_[i];
        const Vector3 tl(std::min({t.a.x, t.b.x, t.c.x}), std::min({t.a.y, t.b.y, t.c.y}), std::min({t.a.z, t.b.z, t.c.z}));
        const Vector3 th(std::max({t.a.x, t.b.x, t.c.x}), std::max({t.a.y, t.b.y, t.c.y}), std::max({t.a.z, t.b.z, t.c.z}));
        int lo[3], hi[3];
        cellRange(tl, th, lo, hi);
        for (int z = lo[2]; z <= hi[2]; ++z)
            for (int y = lo[1]; y <= hi[1]; ++y)
                for (int x = lo[0]; x <= hi[0]; ++x)
                    cells_[(static_cast<size_t>(z) * counts_[1] + y) * counts_[0] + x].push_back(i);
    }
}

inline void LevelGeometry::cellRange(const Vector3& low, const Vector3& high, int lo[3], int hi[3]) const
{
    const float l[3] = {low.x - origin_.x, low.y - origin_.y, low.z - origin_.z};
    const float h[3] = {high.x - origin_.x, high.y - origin_.y, high.z - origin_.z};
    for (int k = 0; k < 3; ++k) {
        lo[k] = std::clamp(static_cast<int>(std::floor(l[k] / cellSize_)), 0, counts_[k] - 1);
        hi[k] = std::clamp(static_cast<int>(std::floor(h[k] / cellSize_)), 0, counts_[k] - 1);
    }
}

inline const std::vector<uint32_t>& LevelGeometry::cellAt(int x, int y, int z) const
{
    return cells_[(static_cast<size_t>(z) * counts_[1] + y) * counts_[0] + x];
}

namespace geometry_detail {

// Moller-Trumbore, both sides; t > 0 on a hit.
inline bool rayTriangle(const Vector3& o, const Vector3& d, const WorldTriangle& tri, float& t)
{
    const Vector3 e1 = tri.b - tri.a, e2 = tri.c - tri.a;
    const Vector3 p = cross(d, e2);
    const float det = dot(e1, p);
    if (std::fabs(det) < 1e-9f)
        return false;
    const float inv = 1.0f / det;
    const Vector3 s = o - tri.a;
    const float u = dot(s, p) * inv;
    if (u < -1e-5f || u > 1.0f + 1e-5f)
        return false;
    const Vector3 q = cross(s, e1);
    const float v = dot(d, q) * inv;
    if (v < -1e-5f || u + v > 1.0f + 1e-5f)
        return false;
    t = dot(e2, q) * inv;
    return t > 1e-4f;
}

inline Vector3 closestOnTriangle(const Vector3& p, const WorldTriangle& tri)
{
    const Vector3 a = tri.a, b = tri.b, c = tri.c;
    const Vector3 ab = b - a, ac = c - a, ap = p - a;
    const float d1 = dot(ab, ap), d2 = dot(ac, ap);
    if (d1 <= 0 && d2 <= 0)
        return a;
    const Vector3 bp = p - b;
    const float d3 = dot(ab, bp), d4 = dot(ac, bp);
    if (d3 >= 0 && d4 <= d3)
        return b;
    const float vc = d1 * d4 - d3 * d2;
    if (vc <= 0 && d1 >= 0 && d3 <= 0)
        return a + ab * (d1 / (d1 - d3));
    const Vector3 cp = p - c;
    const float d5 = dot(ab, cp), d6 = dot(ac, cp);
    if (d6 >= 0 && d5 <= d6)
        return c;
    const float vb = d5 * d2 - d1 * d6;
    if (vb <= 0 && d2 >= 0 && d6 <= 0)
        return a + ac * (d2 / (d2 - d6));
    const float va = d3 * d6 - d5 * d4;
    if (va <= 0 && (d4 - d3) >= 0 && (d5 - d6) >= 0)
        return b + (c - b) * ((d4 - d3) / ((d4 - d3) + (d5 - d6)));
    const float denominator = 1.0f / (va + vb + vc);
    return a + ab * (vb * denominator) + ac * (vc * denominator);
}

}  // namespace geometry_detail

inline int LevelGeometry::cast(const Vector3& origin, const Vector3& direction, float maxDistance, float& hitDistance) const
{
    // Walk the grid cells along the ray (3D DDA), testing each cell's
    // triangles; a hit counts once the walk has passed its distance.
    const Vector3 d = normalize(direction);
    const float o[3] = {origin.x - origin_.x, origin.y - origin_.y, origin.z - origin_.z};
    const float dir[3] = {d.x, d.y, d.z};
    int cell[3], step[3];
    float tMax[3], tDelta[3];
    for (int k = 0; k < 3; ++k) {
        cell[k] = static_cast<int>(std::floor(o[k] / cellSize_));
        if (cell[k] < 0 || cell[k] >= counts_[k])
            return -1;
        if (dir[k] > 0) {
            step[k] = 1;
            tMax[k] = ((static_cast<float>(cell[k]) + 1.0f) * cellSize_ - o[k]) / dir[k];
            tDelta[k] = cellSize_ / dir[k];
        } else if (dir[k] < 0) {
            step[k] = -1;
            tMax[k] = (static_cast<float>(cell[k]) * cellSize_ - o[k]) / dir[k];
            tDelta[k] = -cellSize_ / dir[k];
        } else {
            step[k] = 0;
            tMax[k] = 1e30f;
            tDelta[k] = 1e30f;
        }
    }
    int best = -1;
    float bestT = maxDistance;
    float tEnter = 0.0f;
    while (tEnter <= bestT) {
        for (uint32_t i : cellAt(cell[0], cell[1], cell[2])) {
            float t = 0.0f;
            if (geometry_detail::rayTriangle(origin, d, triangles_[i], t) && t < bestT) {
                bestT = t;
                best = static_cast<int>(i);
            }
        }
        const int axis = tMax[0] < tMax[1] ? (tMax[0] < tMax[2] ? 0 : 2) : (tMax[1] < tMax[2] ? 1 : 2);
        tEnter = tMax[axis];
        if (tEnter > bestT)
            break;
        cell[axis] += step[axis];
        if (cell[axis] < 0 || cell[axis] >= counts_[axis])
            break;
        tMax[axis] += tDelta[axis];
    }
    hitDistance = bestT;
    return best;
}

inline bool LevelGeometry::inside(const Vector3& point) const
{
    // Directions off every axis and diagonal, so no ray runs exactly along a
    // wall or through the corner line where two walls meet.
    static const Vector3 directions[14] = {
        {1, 0.031f, 0.017f},   {-1, 0.023f, -0.041f}, {0.029f, 1, 0.013f},  {-0.019f, -1, 0.037f},
        {0.043f, 0.011f, 1},   {-0.027f, 0.039f, -1}, {1, 0.93f, 1.07f},    {1.05f, 0.97f, -1},
        {0.96f, -1.04f, 1},    {1.02f, -1, -0.95f},   {-1, 1.06f, 0.94f},   {-0.97f, 1, -1.03f},
        {-1.04f, -0.96f, 1},   {-1, -1.02f, -0.98f},
    };
    const auto allFront = [&](const Vector3& from) {
        for (const Vector3& direction : directions) {
            float t = 0.0f;
            const int hit = cast(from, direction, 2000.0f, t);
            if (hit < 0 || dot(triangles_[static_cast<size_t>(hit)].normal, direction) >= 0.0f)
                return false;
        }
        return true;
    };
    // A ray can slip through the seam where two pieces' surfaces meet; a
    // point counts as outside only when it looks outside from three spots a
    // hair apart.
    static const Vector3 nudges[3] = {{0, 0, 0}, {0.013f, 0.007f, -0.011f}, {-0.009f, 0.012f, 0.008f}};
    for (const Vector3& nudge : nudges)
        if (allFront(point + nudge))
            return true;
    return false;
}

inline float LevelGeometry::clearance(const Vector3& point, float limit) const
{
    int lo[3], hi[3];
    cellRange(point - Vector3(limit, limit, limit), point + Vector3(limit, limit, limit), lo, hi);
    float best = limit;
    for (int z = lo[2]; z <= hi[2]; ++z)
        for (int y = lo[1]; y <= hi[1]; ++y)
            for (int x = lo[0]; x <= hi[0]; ++x)
                for (uint32_t i : cellAt(x, y, z))
                    best = std::min(best, distance(point, geometry_detail::closestOnTriangle(point, triangles_[i])));
    return best;
}

}  // namespace content
