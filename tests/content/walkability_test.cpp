// Checks the shipped level with the game's own rules: its doorways meet, its
// props, lights and bottles stand inside it, and the camera moved and pushed as
// in play never leaves it. The level's surfaces tell independently where inside is.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "app/window.h"
#include "tests/content/content_support.h"
#include "tests/content/level_geometry.h"
#include "tests/support/test_support.h"
#include "world/camera.h"
#include "world/rules.h"
#include "world/world.h"

namespace {

// The doorways of each kind of level piece in its own axes (floor centre
// and outward direction), and a point at eye height to walk from towards them.
struct Door {
    Vector3 floor, outward;
};
struct KindLayout {
    const char* keyword;
    std::vector<Door> doors;
    Vector3 via;
};

const Door west{{-100, 0, 0}, {-1, 0, 0}}, east{{100, 0, 0}, {1, 0, 0}};
const Door south{{0, 0, 100}, {0, 0, 1}}, north{{0, 0, -100}, {0, 0, -1}};

const KindLayout* layoutOf(const LevelPiece& piece)
{
    static const std::vector<KindLayout> table = {
        {"CorridorDown", {west, {{100, -60, 0}, {1, 0, 0}}}, {0, 0, 0}},
        {"CorridorTurning", {west, south}, {-10, 30, 10}},
        {"CorridorEnd", {west}, {0, 30, 0}},
        {"CorridorStraight", {west, east}, {0, 30, 0}},
        {"CrossroadT", {west, east, south}, {0, 30, 0}},
        {"CrossroadAll", {west, east, south, north}, {0, 30, 0}},
        {"Room01", {west, east}, {0, 30, 45}},
        {"Room02", {west}, {0, 30, 0}},
        {"Room03", {west, south}, {-20, 30, 20}},
        {"Room04", {west, south}, {0, 30, 0}},
        {"Room05", {west, south}, {0, 30, 0}},
    };
    const PieceKind* kind = findPieceKind(piece.name);
    for (const KindLayout& layout : table)
        if (kind && std::string(layout.keyword) == kind->keyword)
            return &layout;
    return nullptr;
}

Vector3 turnOnly(const LevelPiece& piece, const Vector3& v)
{
    return content::placeLocal(piece, v) - piece.position;
}

std::string where(const Vector3& p)
{
    char text[96];
    std::snprintf(text, sizeof text, "(%.3f, %.3f, %.3f)", p.x, p.y, p.z);
    return text;
}

// The shipped map and models, loaded the way the level assembly reads them
// (without the OpenGL parts), once for all tests.
struct ShippedLevel {
    std::unique_ptr<World> world = std::make_unique<World>();
    std::unique_ptr<content::LevelGeometry> geometry, shells;
    std::vector<int> levelPieces, props, bottles;
    int startPiece = -1;
    bool mapRead = false;

    ShippedLevel()
    {
        ScopedWorkingDirectory cwd(gameDir());
        std::ifstream map("Data/Maps/Map.txt");
        mapRead = static_cast<bool>(map);
        std::string line;
        while (std::getline(map, line))
            handleMapLine(*world, line.c_str());
        for (int i = 0; i < world->pieceCount; ++i) {
            LevelPiece& piece = world->pieces[i];
            loadPieceModels(piece);
            piece.active = 1;
            piece.visible = 1;  // every prop counts as seen: the most pushing and hurting
            (!piece.isProp ? levelPieces : piece.isCollectible ? bottles : props).push_back(i);
        }
        world->hitPoints = maxHitPoints;
        geometry = std::make_unique<content::LevelGeometry>(*world);
        shells = std::make_unique<content::LevelGeometry>(*world, true);
        startPiece = nearestLevelPiece(*world, world->playerStart);
    }
};

class Walkability : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!content::contentBuilt())
            GTEST_SKIP() << "the build makes no game data (PLEMOX_CONTENT is off)";
        static ShippedLevel level;
        shipped = &level;
        ASSERT_TRUE(shipped->mapRead) << "no Data/Maps/Map.txt in " << gameDir();
    }
    void TearDown() override { windowState.frameRate = 0.0f; }

    ShippedLevel* shipped = nullptr;
};

}  // namespace

TEST_F(Walkability, EveryDoorwayMeetsAnotherAndEveryPieceIsReachable)
{
    const World& world = *shipped->world;
    ASSERT_GE(shipped->levelPieces.size(), 11u);
    ASSERT_NE(shipped->startPiece, -1);
    EXPECT_TRUE(shipped->bottles.size() >= 10u && shipped->bottles.size() <= 15u) << shipped->bottles.size();
    EXPECT_EQ(world.bottleTotal, static_cast<int>(shipped->bottles.size()));
    std::vector<std::vector<int>> links(static_cast<size_t>(world.pieceCount));
    for (int i : shipped->levelPieces) {
        const LevelPiece& piece = world.pieces[i];
        ASSERT_NE(layoutOf(piece), nullptr) << piece.name;
        EXPECT_FALSE(piece.model.objects.empty()) << piece.name;
        for (const Door& door : layoutOf(piece)->doors) {
            const Vector3 at = content::placeLocal(piece, door.floor);
            std::vector<int>& partners = links[static_cast<size_t>(i)];
            const size_t before = partners.size();
            for (int j : shipped->levelPieces)
                for (const Door& other : layoutOf(world.pieces[j])->doors)
                    if (j != i && distance(content::placeLocal(world.pieces[j], other.floor), at) < 0.5f &&
                        dot(turnOnly(world.pieces[j], other.outward), turnOnly(piece, door.outward)) < -0.99f)
                        partners.push_back(j);
            EXPECT_EQ(partners.size() - before, 1u) << piece.name << " doorway at " << where(at);
        }
    }
    // Through the doorways the start reaches every piece, so every bottle.
    std::vector<int> reached = {shipped->startPiece};
    for (size_t q = 0; q < reached.size(); ++q)
        for (int next : links[static_cast<size_t>(reached[q])])
            if (std::find(reached.begin(), reached.end(), next) == reached.end())
                reached.push_back(next);
    EXPECT_EQ(reached.size(), shipped->levelPieces.size());
}

TEST_F(Walkability, PropsLightsAndBottlesStandInsideTheLevel)
{
    const World& world = *shipped->world;
    const content::LevelGeometry& geometry = *shipped->geometry;
    for (int i : shipped->props) {
        const LevelPiece& prop = world.pieces[i];
        const std::string kind = findPieceKind(prop.name)->keyword;
        // A point of each prop that must be in open air: a torch's flame, a
        // little below what hangs from the ceiling, a little above the rest.
        Vector3 probe = prop.position + Vector3(0.0f, 5.0f, 0.0f);
        if (kind == "Torch")
            probe = prop.position + turnOnly(prop, {11.0f, 22.0f, 0.0f});
        else if (kind == "Stalagtit" || kind == "Rope")
            probe = prop.position - Vector3(0.0f, 12.0f, 0.0f);
        else if (kind == "Campfire" || kind == "Pile")
            probe = prop.position - Vector3(0.0f, 8.0f, 0.0f);
        EXPECT_TRUE(geometry.inside(probe)) << prop.name << " at " << where(prop.position);
    }
    for (int i : shipped->bottles)
        EXPECT_TRUE(geometry.inside(world.pieces[i].position + Vector3(0.0f, 7.0f, 0.0f)))
            << "bottle at " << where(world.pieces[i].position);
    for (int l = 0; l < world.lights.lightCount; ++l)
        EXPECT_TRUE(geometry.inside(world.lights.lightPositions[l])) << "light at " << where(world.lights.lightPositions[l]);
    // Each level piece is lit by the light nearest its origin: one close enough to light it.
    EXPECT_GE(shipped->props.size(), 40u);
    EXPECT_GE(world.lights.lightCount, static_cast<int>(shipped->levelPieces.size()));
    for (int i : shipped->levelPieces)
        EXPECT_LT(distance(lightForPiece(world, world.pieces[i].position), world.pieces[i].position), 130.0f) << world.pieces[i].name;
    EXPECT_TRUE(geometry.inside(world.playerStart));
    EXPECT_GE(geometry.clearance(world.playerStart, 20.0f), 15.0f);
}

TEST_F(Walkability, CameraNeverLeavesTheLevel)
{
    World& world = *shipped->world;
    const content::LevelGeometry& geometry = *shipped->geometry;
    int probes = 0;
    float closest = 1e9f;
    Vector3 closestAt;
    std::vector<std::string> escapes;
    // One probe: the input of `pattern` every frame, then the logic pass's
    // collision and both scene passes' prop contact (props within 100 only);
    // every few frames and at the end the camera must still be inside.
    const auto probe = [&](const Camera& start, int pattern, int frames, const std::string& label) {
        ++probes;
        Camera& camera = world.playerCamera;
        camera = start;
        for (int f = 0; f < frames; ++f) {
            moveCamera(camera, pattern == 3 ? -50.0f : 50.0f, windowState.frameRate);
            if (pattern == 1 || pattern == 3)
                strafeCamera(camera, pattern == 3 ? -50.0f : 50.0f, windowState.frameRate);
            if (pattern == 2)
                rotateView(camera, 0.03f);
            collideWithNearestPiece(world);
            for (int pass = 0; pass < 2; ++pass)
                for (int i : shipped->props)
                    if (distance(world.pieces[i].position, camera.position) < 100.0f)
                        propContact(world, world.pieces[i]);
            if (f % 8 != 7 && f != frames - 1)
                continue;
            const float clearance = geometry.clearance(camera.position, 20.0f);
            if (clearance < closest) {
                closest = clearance;
                closestAt = camera.position;
            }
            if (!geometry.inside(camera.position))
                return escapes.push_back(label + " left the level at " + where(camera.position));
        }
    };

    // From a grid over every piece at two eye heights (and lower ones down
    // the slope), where the camera could stand: inside, clear of the
    // collision hulls by its radius, in the piece that collides there; eight
    // headings each, with their own tilt, way of walking and frame rate.
    size_t starts = 0;
    for (int i : shipped->levelPieces)
        for (float x : {-70.0f, -35.0f, 0.0f, 35.0f, 70.0f})
            for (float z : {-70.0f, -35.0f, 0.0f, 35.0f, 70.0f})
                for (float h : {30.0f, 50.0f, 0.0f, -28.0f}) {
                    const Vector3 p = content::placeLocal(world.pieces[i], {x, h, z});
                    if (nearestLevelPiece(world, p) != i || !geometry.inside(p) || shipped->shells->clearance(p, 17.0f) < 16.0f)
                        continue;
                    const size_t s = starts++;
                    for (int k = 0; k < 8; ++k) {
                        const int variant = static_cast<int>((s * 7 + static_cast<size_t>(k) * 5) % 24);
                        const float heading = 6.2831853f * (static_cast<float>(k) + 0.37f * static_cast<float>(s % 3)) / 8.0f;
                        const float pitch = variant % 3 == 0 ? -0.7f : variant % 3 == 1 ? 0.0f : 0.5f;
                        windowState.frameRate = variant < 12 ? 15.0f : 40.0f;
                        Camera camera;
                        positionCamera(camera, p.x, p.y, p.z, p.x + 30.0f * std::cos(heading), p.y + 30.0f * std::tan(pitch),
                                       p.z + 30.0f * std::sin(heading), 0, 1, 0);
                        probe(camera, (variant / 3) % 4, 70,
                              "from " + where(p) + " heading " + std::to_string(heading) + " pitch " + std::to_string(pitch) +
                                  " pattern " + std::to_string((variant / 3) % 4));
                    }
                }
    EXPECT_GE(starts, 150u);
    // Through every doorway: from the piece's middle at the jambs, low and
    // high, straight and sliding, past the junction into the neighbour.
    for (int i : shipped->levelPieces) {
        const LevelPiece& piece = world.pieces[i];
        const Vector3 from = content::placeLocal(piece, layoutOf(piece)->via);
        for (const Door& door : layoutOf(piece)->doors) {
            const Vector3 out = turnOnly(piece, door.outward), side(-out.z, 0.0f, out.x);
            for (float lateral : {-36.0f, 36.0f})
                for (float height : {18.0f, 62.0f}) {
                    const Vector3 target = content::placeLocal(piece, door.floor) + side * lateral +
                                           Vector3(0.0f, height, 0.0f) + out * 20.0f;
                    Camera camera;
                    positionCamera(camera, from.x, from.y, from.z, target.x, target.y, target.z, 0, 1, 0);
                    windowState.frameRate = height < 30.0f ? 15.0f : 40.0f;
                    probe(camera, lateral < 0.0f ? 1 : 2, 160, std::string(piece.name) + " doorway at " + where(target));
                }
        }
    }
    std::printf("walkability: %d probes, %zu start points; nearest approach to a surface %.2f at %s\n", probes, starts,
                closest, where(closestAt).c_str());
    EXPECT_GE(probes, 2000);
    EXPECT_TRUE(escapes.empty()) << escapes.size() << " probes escaped, first: " << escapes.front();
    // The sphere may be pressed into a corner a little, never through a wall.
    EXPECT_GT(closest, 5.0f) << "at " << where(closestAt);
}
