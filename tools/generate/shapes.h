// Solid shapes for props and room details, in drawing axes (y up). Their
// faces point away from the solid (seen from outside), unlike the level's
// shells, which are seen from inside.
#pragma once

#include <cstdint>
#include <vector>

#include "tools/generate/mesh.h"
#include "tools/generate/textures.h"

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

// Squeezes the texture coordinates of the vertices from `first` on into the
// region, linearly and each axis on its own: their smallest s and t go to
// the region's low corner and their largest to its high corner, inset by
// `margin` of the region on every side (so filtering stays inside it).
void fitUvs(Mesh& mesh, size_t first, const AtlasRegion& region, float margin = 0.06f);

// A box from low to high whose twelve edges are cut by flat bevels of the
// given width (26 faces, each with its own vertices so the edges stay
// hard). Its long axis takes the wood's grain: s runs along it and t across
// the face, centred on plank number `plank` of the wood maps at the maps'
// own density, so each board shows one plank (its edges worn by the bevels).
void addBoard(Mesh& mesh, const Vector3& low, const Vector3& high, float bevel, int plank);

// A flame round the vertical line through `base`: `height` high, `width`
// its largest radius, reached at widestAt (0 to 1) of the height, closed at
// the foot. Above the middle its cross-section splits into `lobes` tongues
// that twist and reach up unevenly. Smooth (shared vertices), textured with
// the region: s once round, t from the foot to the tip.
void addFlame(Mesh& mesh, const Vector3& base, float height, float width, float widestAt, int lobes, uint32_t seed,
              const AtlasRegion& region);

// Dripstone grown along the vertical through `base`: the profile (radius,
// height) is resampled to rings about `step` apart, the axis wanders up to
// `bend` sideways, and every vertex is pushed in or out by noise (up to
// `rough` of its radius) and by vertical flutes, so no two sides are alike.
// A first or last point of radius 0 closes that end. Smooth shading; the
// texture is laid on in world units like addLathe.
void addDripstone(Mesh& mesh, const Vector3& base, const std::vector<LathePoint>& profile, int segments, float step,
                  uint32_t seed, float rough, float bend);
