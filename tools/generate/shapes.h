// Solid shapes for props and room details, in drawing axes (y up). Their
// faces point away from the solid (seen from outside), unlike the level's
// shells, which are seen from inside.
#pragma once

#include <cstdint>
#include <vector>

#include "tools/generate/mesh.h"

// Faces of a box that may be left out (e.g. a pillar's top and bottom
// against ceiling and floor).
enum BoxFace : unsigned {
    BoxAll = 0,
    SkipTop = 1,
    SkipBottom = 2,
    SkipLowX = 4,
    SkipHighX = 8,
    SkipLowZ = 16,
    SkipHighZ = 32,
};

// An axis-aligned box with hard edges (four vertices per face).
void addBox(Mesh& mesh, const Vector3& low, const Vector3& high, unsigned skip = BoxAll);

// A box turned about Y by angleDegrees around its own centre.
void addTurnedBox(Mesh& mesh, const Vector3& centre, const Vector3& half, float angleDegrees,
                  unsigned skip = BoxAll);

// A surface of revolution about the vertical line through `base`: profile
// points (radius, height) from bottom to top, `segments` around. Neighbouring
// rings share vertices (smooth shading) unless hardRings is set. A first or
// last point with radius 0 closes the end; otherwise capBottom / capTop add
// flat discs.
struct LathePoint {
    float radius = 0.0f;
    float height = 0.0f;
};
void addLathe(Mesh& mesh, const Vector3& base, const std::vector<LathePoint>& profile, int segments,
              bool capBottom, bool capTop, bool hardRings = false);

// A cylinder from a to b (any direction) with radius r and flat end caps.
void addCylinder(Mesh& mesh, const Vector3& a, const Vector3& b, float radius, int segments, bool caps = true);

// A cone from a base disc (centre a, radius r) to the tip b.
void addCone(Mesh& mesh, const Vector3& a, const Vector3& b, float radius, int segments, bool baseCap = true);

// A smooth tube of the given radius along a polyline (open ends).
void addTube(Mesh& mesh, const std::vector<Vector3>& points, float radius, int segments);

// A lumpy rock: a sphere of the given radii (x, y, z) pushed in and out by
// noise of the given strength (0 to 1) with smooth shading. With flatBottom,
// points below the centre are pressed onto the plane at centre.y - radii.y * bottomCut.
void addRock(Mesh& mesh, const Vector3& centre, const Vector3& radii, uint32_t seed, float strength,
             int rings = 8, int segments = 12, float bottomCut = 1.0f);
