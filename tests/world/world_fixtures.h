// Builders shared by the world tests: fresh worlds, cameras, and models made
// of triangles or closed boxes given in drawing coordinates.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "assets/model3ds.h"
#include "assets/writers.h"
#include "world/camera.h"
#include "world/rules.h"
#include "world/world.h"

// A zero world on the heap (it is far too big for the stack) with the
// given hit points.
inline std::unique_ptr<World> freshWorld(int hitPoints = 0)
{
    auto world = std::make_unique<World>();
    world->hitPoints = hitPoints;
    return world;
}

inline void expectVector(const Vector3& v, float x, float y, float z)
{
    EXPECT_NEAR(v.x, x, 1e-4f);
    EXPECT_NEAR(v.y, y, 1e-4f);
    EXPECT_NEAR(v.z, z, 1e-4f);
}

// A camera at position looking along +z, a little up, as a reset leaves it.
inline Camera cameraAt(const Vector3& p)
{
    Camera camera;
    positionCamera(camera, p.x, p.y, p.z, p.x, p.y + 1.0f, p.z + 30.0f, 0.0f, 1.0f, 0.0f);
    return camera;
}

// Places a piece of a known kind by hand, as loading would leave it; a name
// of no kind is a level piece unless isProp says otherwise.
inline LevelPiece& place(World& world, const char* name, const Vector3& position, uint8_t isProp = 0)
{
    LevelPiece& piece = world.pieces[world.pieceCount++];
    std::strncpy(piece.name, name, sizeof piece.name - 1);
    piece.position = position;
    const PieceKind* kind = findPieceKind(name);
    piece.isProp = kind ? kind->isProp : isProp;
    piece.isCollectible = kind ? kind->isCollectible : 0;
    piece.hazardDamage = kind ? kind->hazardDamage : 0;
    piece.active = 1;
    return piece;
}

// One object of separate triangles, corners in drawing coordinates and wound
// counter-clockwise as seen from the side the normal should face.
inline MeshObject trianglesMesh(const std::vector<Vector3>& corners, const std::string& name = "mesh")
{
    MeshObject mesh;
    mesh.name = name;
    for (size_t i = 0; i + 2 < corners.size(); i += 3) {
        const uint32_t base = static_cast<uint32_t>(mesh.vertices.size());
        for (size_t k = 0; k < 3; ++k) {
            const Vector3& c = corners[i + k];
            mesh.vertices.push_back({c.x, -c.z, c.y});  // drawing axes (y up) to the file's (z up)
            mesh.texCoords.push_back({0.0f, 0.0f});
        }
        mesh.faces.push_back({base, base + 1, base + 2});
    }
    return mesh;
}

// The same triangles as the loader reads them from a 3DS file.
inline Model3DS trianglesModel(const std::vector<Vector3>& corners)
{
    const std::string bytes = write3ds({trianglesMesh(corners)});
    Model3DS model;
    model.loadFromMemory(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), "test");
    return model;
}

// Adds the two triangles of quad p0 p1 p2 p3, turned so that its normal
// points along facing.
inline void addQuad(std::vector<Vector3>& corners, const Vector3& p0, const Vector3& p1, const Vector3& p2,
                    const Vector3& p3, const Vector3& facing)
{
    const bool along = dot(cross(p1 - p0, p2 - p0), facing) > 0.0f;
    const Vector3 quad[4] = {p0, along ? p1 : p3, p2, along ? p3 : p1};
    for (int k : {0, 1, 2, 0, 2, 3})
        corners.push_back(quad[k]);
}

// A closed box from lo to hi whose six sides face inward (a room) or
// outward (a solid block), each side split into two triangles.
inline std::vector<Vector3> boxCorners(const Vector3& lo, const Vector3& hi, bool inward)
{
    std::vector<Vector3> c;
    const float s = inward ? 1.0f : -1.0f;
    addQuad(c, {lo.x, lo.y, lo.z}, {hi.x, lo.y, lo.z}, {hi.x, lo.y, hi.z}, {lo.x, lo.y, hi.z}, {0, s, 0});
    addQuad(c, {lo.x, hi.y, lo.z}, {hi.x, hi.y, lo.z}, {hi.x, hi.y, hi.z}, {lo.x, hi.y, hi.z}, {0, -s, 0});
    addQuad(c, {lo.x, lo.y, lo.z}, {lo.x, hi.y, lo.z}, {lo.x, hi.y, hi.z}, {lo.x, lo.y, hi.z}, {s, 0, 0});
    addQuad(c, {hi.x, lo.y, lo.z}, {hi.x, hi.y, lo.z}, {hi.x, hi.y, hi.z}, {hi.x, lo.y, hi.z}, {-s, 0, 0});
    addQuad(c, {lo.x, lo.y, lo.z}, {hi.x, lo.y, lo.z}, {hi.x, hi.y, lo.z}, {lo.x, hi.y, lo.z}, {0, 0, s});
    addQuad(c, {lo.x, lo.y, hi.z}, {hi.x, lo.y, hi.z}, {hi.x, hi.y, hi.z}, {lo.x, hi.y, hi.z}, {0, 0, -s});
    return c;
}
