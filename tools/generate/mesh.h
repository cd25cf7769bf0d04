// Mesh building for the generated models. Geometry is built in the game's
// drawing axes (y up, the frame the collision and the scene work in) and
// turned into the file's z-up axes only when written. Every triangle is
// oriented by the direction it should face: its counter-clockwise normal
// (B - A) x (C - A) is what the loader's normals and the back-face culling
// treat as the front.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "assets/model3ds.h"
#include "assets/writers.h"
#include "core/geometry.h"

// One mesh object under construction, in drawing axes.
struct Mesh {
    std::string name;
    std::vector<Vector3> positions;
    std::vector<TexCoord> uvs;  // as drawn: (s, t); the file stores (s, -t)
    std::vector<Face3DS> faces;
};

// World units covered by one repeat of a material map before the
// material's own tiling factor.
constexpr float textureWorldSize = 100.0f;

// Texture axes of a flat surface with the given normal, following the
// tangent frame the lighting shaders derive from the normal where that keeps
// walls upright.
struct SurfaceFrame {
    Vector3 sAxis;
    Vector3 tAxis;
};
SurfaceFrame surfaceFrame(const Vector3& normal);
// Planar texture coordinates of p on a surface with the given normal, in
// repeats of textureWorldSize.
TexCoord planarUv(const Vector3& p, const Vector3& normal);

uint32_t addVertex(Mesh& mesh, const Vector3& p, const TexCoord& uv);
// Adds the triangle, swapped if needed so that it faces along `facing`.
// Degenerate triangles (no area, or two corners closer than 0.001) are
// dropped.
void addTriangle(Mesh& mesh, uint32_t a, uint32_t b, uint32_t c, const Vector3& facing);
// Two triangles over the quad a-b-c-d (in order around it), split along the
// shorter diagonal, each facing along `facing`.
void addQuad(Mesh& mesh, uint32_t a, uint32_t b, uint32_t c, uint32_t d, const Vector3& facing);
// A flat simple polygon (planar, either winding, no repeated points) with its
// own vertices, so its edges stay hard; triangulated by ear clipping and
// mapped with planarUv. Returns the index of its first vertex.
// With evenTriangles the ears are cut best-shaped first (see
// triangulatePolygon), so no fan of slivers meets at one corner.
uint32_t addFlatPolygon(Mesh& mesh, const std::vector<Vector3>& outline, const Vector3& facing,
                        bool evenTriangles = false);

// Ear clipping of a simple 2D polygon given counter-clockwise; appends index
// triples into the polygon. Collinear points are kept as vertices. With
// evenTriangles each step cuts the ear whose smallest angle is largest
// instead of the first ear found.
void triangulatePolygon(const std::vector<float>& xs, const std::vector<float>& ys,
                        std::vector<uint32_t>& triangles, bool evenTriangles = false);

// Moves the vertices from index `first` on: rotation about Y by the angle in
// degrees (the sense of glRotatef), then a translation.
void placeVertices(Mesh& mesh, size_t first, float angleDegrees, const Vector3& offset);
// Gives every triangle its own three vertices, so the loader's vertex
// normals equal the face normals (flat shading).
void flatten(Mesh& mesh);

// Appends all of `part` to `mesh` (vertices, coordinates and faces).
void appendMesh(Mesh& mesh, const Mesh& part);

// The object in the file's axes, ready for write3ds.
MeshObject toMeshObject(const Mesh& mesh);
// Total triangle count of several meshes.
size_t triangleCount(const std::vector<Mesh>& meshes);

// Small vector helpers.
Vector3 lerp(const Vector3& a, const Vector3& b, float t);
float lengthOf(const Vector3& v);
Vector3 unit(const Vector3& v);
