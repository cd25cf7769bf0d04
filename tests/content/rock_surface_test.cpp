// Checks the generated level pieces as the game loads them: curved rock is
// smooth (its faces share their vertices, so the loader's vertex normals
// blend them, and it bends in small steps), every other surface keeps its
// hard edges, and the drawn surfaces stay within reach behind the collision
// hull, so the camera held off the hull never comes close to them.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "assets/model3ds.h"
#include "tests/content/content_support.h"
#include "tests/content/level_geometry.h"
#include "tests/support/test_support.h"
#include "world/world.h"

namespace {

float degreesBetween(const Vector3& a, const Vector3& b)
{
    return std::acos(std::clamp(dot(normalize(a), normalize(b)), -1.0f, 1.0f)) * 57.29578f;
}

Vector3 drawn(const Vector3& v)
{
    return {v.x, v.z, -v.y};
}

content::WorldTriangle triangleOf(const Object3DS& object, const Face3DS& face)
{
    content::WorldTriangle t{drawn(object.vertices[face.a]), drawn(object.vertices[face.b]),
                             drawn(object.vertices[face.c]), {}};
    t.normal = cross(t.b - t.a, t.c - t.a);
    return t;
}

bool named(const Object3DS& object, const char* name)
{
    return std::string(object.name) == name;
}

// Rooms of sandstone blocks and cobbles: straight walls, only the vaults of
// their doorways curved.
bool isMasonry(const std::string& keyword)
{
    return keyword == "Room01" || keyword == "Room03" || keyword == "Room04";
}

using RockSurface = content::GameDataTest;

}  // namespace

TEST_F(RockSurface, CurvedRockIsSmoothAndHardEdgesStayHard)
{
    for (int k = 0; k < pieceKindCount; ++k) {
        const PieceKind& kind = pieceKinds[k];
        if (!kind.collisionModelFile)
            continue;
        SCOPED_TRACE(kind.keyword);
        Model3DS model;
        model.load(kind.modelFile);
        ASSERT_GE(model.objectCount, 2);
        size_t rockFaces = 0, bends = 0, steepBends = 0;
        for (const Object3DS& object : model.objects) {
            const bool rock = named(object, "Rock");
            rockFaces += rock ? object.faces.size() : 0;
            // No vertex blends faces across a hard edge; off the rock no
            // vertex blends anything.
            std::map<std::pair<uint32_t, uint32_t>, std::vector<Vector3>> edges;
            for (const Face3DS& face : object.faces) {
                const Vector3 n = triangleOf(object, face).normal;
                const uint32_t corners[3] = {face.a, face.b, face.c};
                for (int c = 0; c < 3; ++c) {
                    EXPECT_LT(degreesBetween(drawn(object.normals[corners[c]]), n), rock ? 40.0f : 0.5f) << object.name;
                    edges[std::minmax(corners[c], corners[(c + 1) % 3])].push_back(n);
                }
            }
            if (!rock)
                continue;
            // Faces meeting along an edge share its vertices unless a texture
            // seam parts them...
            std::map<std::tuple<float, float, float, float, float>, uint32_t> seen;
            for (uint32_t v = 0; v < static_cast<uint32_t>(object.vertexCount); ++v) {
                const Vector3& p = object.vertices[v];
                const auto key = std::make_tuple(p.x, p.y, p.z, object.texCoords[v].u, object.texCoords[v].v);
                const auto [first, fresh] = seen.emplace(key, v);
                EXPECT_TRUE(fresh) << "rock vertex " << v << " split from vertex " << first->second;
            }
            // ...and bend there in small steps: a curve of many faces.
            for (const auto& [edge, normals] : edges) {
                if (normals.size() != 2)
                    continue;
                const float bend = degreesBetween(normals[0], normals[1]);
                EXPECT_LT(bend, 55.0f);
                ++bends;
                steepBends += bend > 30.0f;
            }
        }
        EXPECT_LT(steepBends * 100, bends * 5) << steepBends << " of " << bends << " rock edges bend more than 30 degrees";
        if (isMasonry(kind.keyword))
            EXPECT_LE(rockFaces, 100u);
        else
            EXPECT_GE(rockFaces, 250u);
    }
}

TEST_F(RockSurface, DrawnSurfacesStayWithinReachBehindTheCollisionHull)
{
    for (int k = 0; k < pieceKindCount; ++k) {
        const PieceKind& kind = pieceKinds[k];
        if (!kind.collisionModelFile)
            continue;
        SCOPED_TRACE(kind.keyword);
        Model3DS model, hullModel;
        model.load(kind.modelFile);
        hullModel.load(kind.collisionModelFile);
        std::vector<content::WorldTriangle> hull;
        for (const Object3DS& object : hullModel.objects)
            for (const Face3DS& face : object.faces) {
                content::WorldTriangle t = triangleOf(object, face);
                if (magnitude(t.normal) > 1e-6f)
                    hull.push_back({t.a, t.b, t.c, normalize(t.normal)});
            }
        ASSERT_GT(hull.size(), 20u);
        float nearest = 1e9f, farthest = 0.0f;
        for (const Object3DS& object : model.objects) {
            for (const Vector3& vertex : object.vertices) {
                // Signed distance to the hull: behind it (the side the hull
                // faces away from) is negative. Where faces meet, behind any
                // of the nearest counts as behind.
                const Vector3 p = drawn(vertex);
                float best = 1e9f, side = 1e9f;
                for (const content::WorldTriangle& t : hull)
                    best = std::min(best, distance(p, content::closestOnTriangle(p, t)));
                for (const content::WorldTriangle& t : hull)
                    if (distance(p, content::closestOnTriangle(p, t)) < best + 0.01f)
                        side = std::min(side, dot(p - content::closestOnTriangle(p, t), t.normal) < 0.0f ? -best : best);
                nearest = std::min(nearest, -side);
                farthest = std::max(farthest, best);
            }
        }
        // Never in front of the hull (where the camera's sphere, held off it,
        // could reach), and close enough behind it that the hull follows it.
        EXPECT_GE(nearest, 1.0f);
        EXPECT_LE(farthest, 30.0f);
    }
}
