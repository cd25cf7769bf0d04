// Walks the shipped level with the game's own rules: the camera moved by the
// same calls the keyboard and mouse make (moveCamera, strafeCamera,
// rotateView with a frame rate set), pushed out of the nearest level piece
// only (collideWithNearestPiece) and out of the props' boxes (propContact,
// twice a frame), bottles taken by collectBottles. The level's surfaces,
// placed in the world, tell independently whether the camera is still
// inside the level.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "world/camera.h"
#include "app/window.h"
#include "tests/content/content_support.h"
#include "tests/content/level_geometry.h"
#include "tests/support/test_support.h"
#include "world/scene.h"
#include "world/world.h"

namespace {

constexpr float pi = 3.14159265358979f;
constexpr float cellHalf = 100.0f;

// The doorways of each kind of level piece in its own axes (floor centre
// and outward direction), and a point to walk through on the way across.
struct Door {
    Vector3 floor;
    Vector3 outward;
};
struct KindLayout {
    const char* keyword;
    std::vector<Door> doors;
    Vector3 via;  // at eye height
};

const Door west{{-cellHalf, 0, 0}, {-1, 0, 0}}, east{{cellHalf, 0, 0}, {1, 0, 0}};
const Door south{{0, 0, cellHalf}, {0, 0, 1}}, north{{0, 0, -cellHalf}, {0, 0, -1}};

const std::vector<KindLayout>& layouts()
{
    static const std::vector<KindLayout> table = {
        {"CorridorDown", {west, {{cellHalf, -60, 0}, {1, 0, 0}}}, {0, 0, 0}},
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
    return table;
}

const KindLayout* layoutOf(const LevelPiece& piece)
{
    const PieceKind* kind = findPieceKind(piece.name);
    if (!kind)
        return nullptr;
    for (const KindLayout& layout : layouts())
        if (std::string(layout.keyword) == kind->keyword)
            return &layout;
    return nullptr;
}

Vector3 turnOnly(const LevelPiece& piece, const Vector3& v)
{
    Matrix4 turn;
    turn.rotate(piece.rotation.y, 0.0f, 1.0f, 0.0f);
    return turn.transformPoint(v);
}

// The shipped map and models, loaded the way the level assembly reads them
// (without the OpenGL parts), once for all tests.
struct ShippedLevel {
    std::unique_ptr<World> world = std::make_unique<World>();
    std::unique_ptr<content::LevelGeometry> geometry;
    std::vector<int> levelPieces;
    std::vector<int> props;
    std::vector<int> bottles;
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
            // Every prop counts as seen: the most pushing and hurting.
            piece.visible = 1;
            if (!piece.isProp)
                levelPieces.push_back(i);
            else if (piece.isCollectible)
                bottles.push_back(i);
            else
                props.push_back(i);
        }
        world->hitPoints = maxHitPoints;
        geometry = std::make_unique<content::LevelGeometry>(*world);
        startPiece = nearestLevelPiece(*world, world->playerStart);
    }
};

ShippedLevel& level()
{
    static ShippedLevel shipped;
    return shipped;
}

class Walkability : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!content::contentBuilt())
            GTEST_SKIP() << "the build makes no game data (PLEMOX_CONTENT is off)";
        ASSERT_TRUE(level().mapRead) << "no Data/Maps/Map.txt in " << gameDir();
    }
    void TearDown() override { windowState.frameRate = 0.0f; }
};

// One frame of the world's rules after the input: the logic pass's
// collision, then both scene passes' prop contact. Props more than 100
// units away are skipped: their boxes and hazard reach are far smaller.
void worldFrame(World& world, Camera& camera, const std::vector<int>& props)
{
    collideWithNearestPiece(world, camera);
    for (int pass = 0; pass < 2; ++pass)
        for (int i : props)
            if (distance(world.pieces[i].position, camera.position) < 100.0f)
                propContact(world, world.pieces[i], camera);
}

Camera cameraAt(const Vector3& p, float heading, float pitch)
{
    Camera camera;
    positionCamera(camera, p.x, p.y, p.z, p.x + 30.0f * std::cos(heading), p.y + 30.0f * std::tan(pitch),
                   p.z + 30.0f * std::sin(heading), 0, 1, 0);
    return camera;
}

std::string where(const Vector3& p)
{
    char text[96];
    std::snprintf(text, sizeof text, "(%.3f, %.3f, %.3f)", p.x, p.y, p.z);
    return text;
}

}  // namespace

TEST_F(Walkability, EveryDoorwayMeetsAnotherPiecesDoorway)
{
    ShippedLevel& shipped = level();
    ASSERT_GE(shipped.levelPieces.size(), 11u);
    for (int i : shipped.levelPieces) {
        const LevelPiece& piece = shipped.world->pieces[i];
        const KindLayout* layout = layoutOf(piece);
        ASSERT_NE(layout, nullptr) << piece.name;
        EXPECT_FALSE(piece.model.objects.empty()) << piece.name;
        for (const Door& door : layout->doors) {
            const Vector3 at = content::placeLocal(piece, door.floor);
            const Vector3 out = turnOnly(piece, door.outward);
            int partners = 0;
            for (int j : shipped.levelPieces) {
                if (j == i)
                    continue;
                const LevelPiece& other = shipped.world->pieces[j];
                for (const Door& otherDoor : layoutOf(other)->doors) {
                    if (distance(content::placeLocal(other, otherDoor.floor), at) < 0.5f &&
                        dot(turnOnly(other, otherDoor.outward), out) < -0.99f)
                        ++partners;
                }
            }
            EXPECT_EQ(partners, 1) << piece.name << " doorway at " << where(at);
        }
    }
}

// Drives one probe: the input of `pattern` every frame, then the world's
// rules; every few frames (and at the end) checks that the camera is still
// inside the level. Returns false, with `escape` set, when it is not.
struct ProbeStats {
    int probes = 0;
    int frames = 0;
    float closest = 1e9f;
    Vector3 closestAt;
    std::vector<std::string> escapes;
};

void runProbe(ShippedLevel& shipped, Camera camera, int pattern, int frames, const std::string& label,
              ProbeStats& stats)
{
    ++stats.probes;
    for (int f = 0; f < frames; ++f) {
        switch (pattern) {
        case 0:
            moveCamera(camera, 50.0f, windowState.frameRate);
            break;
        case 1:
            moveCamera(camera, 50.0f, windowState.frameRate);
            strafeCamera(camera, 50.0f, windowState.frameRate);
            break;
        case 2:
            moveCamera(camera, 50.0f, windowState.frameRate);
            rotateView(camera, 0.03f);
            break;
        default:
            moveCamera(camera, -50.0f, windowState.frameRate);
            strafeCamera(camera, -50.0f, windowState.frameRate);
            break;
        }
        worldFrame(*shipped.world, camera, shipped.props);
        ++stats.frames;
        if (f % 8 == 7 || f == frames - 1) {
            const float room = shipped.geometry->clearance(camera.position, 20.0f);
            if (room < stats.closest) {
                stats.closest = room;
                stats.closestAt = camera.position;
            }
            if (!shipped.geometry->inside(camera.position)) {
                stats.escapes.push_back(label + " left the level at " + where(camera.position));
                return;
            }
        }
    }
}

TEST_F(Walkability, PropsAndLightsStandInsideTheLevel)
{
    ShippedLevel& shipped = level();
    const World& world = *shipped.world;
    for (int i : shipped.props) {
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
        EXPECT_TRUE(shipped.geometry->inside(probe)) << prop.name << " at " << where(prop.position);
    }
    for (int i : shipped.bottles)
        EXPECT_TRUE(shipped.geometry->inside(world.pieces[i].position + Vector3(0.0f, 7.0f, 0.0f)))
            << "bottle at " << where(world.pieces[i].position);
    for (int l = 0; l < levelLights.lightCount; ++l)
        EXPECT_TRUE(shipped.geometry->inside(levelLights.lightPositions[l])) << "light at " << where(levelLights.lightPositions[l]);
    EXPECT_TRUE(shipped.geometry->inside(world.playerStart));
    EXPECT_GE(shipped.geometry->clearance(world.playerStart, 20.0f), 15.0f);
}

TEST_F(Walkability, CameraNeverLeavesTheLevel)
{
    ShippedLevel& shipped = level();
    World& world = *shipped.world;
    const content::LevelGeometry& geometry = *shipped.geometry;

    // Start points: a grid over every piece at two eye heights (and lower
    // ones down the slope), kept where the camera could stand: inside, clear
    // of every surface by its radius, in the piece that collides there.
    std::vector<Vector3> starts;
    for (int i : shipped.levelPieces) {
        const LevelPiece& piece = world.pieces[i];
        for (float x : {-70.0f, -35.0f, 0.0f, 35.0f, 70.0f})
            for (float z : {-70.0f, -35.0f, 0.0f, 35.0f, 70.0f})
                for (float h : {30.0f, 58.0f, 0.0f, -28.0f}) {
                    const Vector3 p = content::placeLocal(piece, {x, h, z});
                    if (nearestLevelPiece(world, p) == i && geometry.inside(p) && geometry.clearance(p, 17.0f) >= 16.0f)
                        starts.push_back(p);
                }
    }
    ASSERT_GE(starts.size(), 150u);

    ProbeStats stats;
    // From every start point in eight headings, each with its own tilt, way
    // of walking and frame rate: into walls, along them and into corners.
    for (size_t s = 0; s < starts.size(); ++s) {
        for (int k = 0; k < 8; ++k) {
            const int variant = static_cast<int>((s * 7 + static_cast<size_t>(k) * 5) % 24);
            const float heading = 2.0f * pi * (static_cast<float>(k) + 0.37f * static_cast<float>(s % 3)) / 8.0f;
            const float pitches[3] = {-0.7f, 0.0f, 0.5f};
            windowState.frameRate = (variant / 12) == 0 ? 15.0f : 40.0f;
            const int pattern = (variant / 3) % 4;
            runProbe(shipped, cameraAt(starts[s], heading, pitches[variant % 3]), pattern, 70,
                     "from " + where(starts[s]) + " heading " + std::to_string(heading) + " pitch " +
                         std::to_string(pitches[variant % 3]) + " pattern " + std::to_string(pattern) + " at " +
                         std::to_string(static_cast<int>(windowState.frameRate)) + " fps",
                     stats);
        }
    }
    // Through every doorway: from the piece's middle at the jambs, low and
    // high, straight and sliding, past the junction into the neighbour.
    for (int i : shipped.levelPieces) {
        const LevelPiece& piece = world.pieces[i];
        const KindLayout* layout = layoutOf(piece);
        const Vector3 from = content::placeLocal(piece, layout->via);
        for (const Door& door : layout->doors) {
            const Vector3 out = turnOnly(piece, door.outward);
            const Vector3 side(-out.z, 0.0f, out.x);
            for (float lateral : {-36.0f, 36.0f}) {
                for (float height : {18.0f, 62.0f}) {
                    const Vector3 target = content::placeLocal(piece, door.floor) + side * lateral +
                                           Vector3(0.0f, height, 0.0f) + out * 20.0f;
                    Camera camera;
                    positionCamera(camera, from.x, from.y, from.z, target.x, target.y, target.z, 0, 1, 0);
                    windowState.frameRate = height < 30.0f ? 15.0f : 40.0f;
                    runProbe(shipped, camera, lateral < 0.0f ? 1 : 2, 160,
                             std::string(piece.name) + " doorway at " + where(target), stats);
                }
            }
        }
    }
    std::printf("walkability: %d probes, %d frames, %zu start points; nearest approach to a surface %.2f at %s\n",
                stats.probes, stats.frames, starts.size(), stats.closest, where(stats.closestAt).c_str());
    for (size_t e = 0; e < stats.escapes.size() && e < 10; ++e)
        std::printf("  escape: %s\n", stats.escapes[e].c_str());
    EXPECT_GE(stats.probes, 2000);
    EXPECT_TRUE(stats.escapes.empty()) << stats.escapes.size() << " probes escaped, first: " << stats.escapes.front();
    // The sphere may be pressed into a corner a little, never through a wall.
    EXPECT_GT(stats.closest, 5.0f) << "at " << where(stats.closestAt);
}

namespace {

// The level pieces joined by their doorways: for each piece, its
// neighbours and the doorway's floor centre between them.
struct Link {
    int piece;
    Vector3 door;
};

std::vector<std::vector<Link>> pieceGraph(const ShippedLevel& shipped)
{
    const World& world = *shipped.world;
    std::vector<std::vector<Link>> links(static_cast<size_t>(world.pieceCount));
    for (int i : shipped.levelPieces) {
        const LevelPiece& piece = world.pieces[i];
        for (const Door& door : layoutOf(piece)->doors) {
            const Vector3 at = content::placeLocal(piece, door.floor);
            for (int j : shipped.levelPieces) {
                if (j == i)
                    continue;
                for (const Door& other : layoutOf(world.pieces[j])->doors)
                    if (distance(content::placeLocal(world.pieces[j], other.floor), at) < 0.5f)
                        links[static_cast<size_t>(i)].push_back({j, at});
            }
        }
    }
    return links;
}

// The doors to pass, in order, from piece `from` to piece `to`.
std::vector<Link> route(const std::vector<std::vector<Link>>& links, int from, int to)
{
    std::vector<int> previous(links.size(), -2);
    std::vector<Vector3> door(links.size());
    std::vector<int> queue = {from};
    previous[static_cast<size_t>(from)] = -1;
    for (size_t q = 0; q < queue.size(); ++q)
        for (const Link& link : links[static_cast<size_t>(queue[q])])
            if (previous[static_cast<size_t>(link.piece)] == -2) {
                previous[static_cast<size_t>(link.piece)] = queue[q];
                door[static_cast<size_t>(link.piece)] = link.door;
                queue.push_back(link.piece);
            }
    std::vector<Link> path;
    if (previous[static_cast<size_t>(to)] == -2)
        return path;
    for (int at = to; at != from; at = previous[static_cast<size_t>(at)])
        path.insert(path.begin(), {at, door[static_cast<size_t>(at)]});
    return path;
}

// A careful player: walks towards a point with W, turning and tilting the
// view as the mouse would, and steers round campfires and spike piles.
struct Walker {
    ShippedLevel& shipped;
    Camera camera;
    int lowestHitPoints = maxHitPoints;
    int frames = 0;

    // Walks until the camera is within `reach` of the point; false when it
    // gets stuck or takes too long.
    bool walkTo(const Vector3& target, float reach)
    {
        World& world = *shipped.world;
        float best = 1e9f;
        int sinceProgress = 0;
        for (int f = 0; f < 4000; ++f) {
            const Vector3 to = target - camera.position;
            const float flat = std::sqrt(to.x * to.x + to.z * to.z);
            if (magnitude(to) < reach)
                return true;
            // Heading: to the target, bent away from hazards within reach.
            Vector3 steer(to.x / std::max(flat, 1e-3f), 0.0f, to.z / std::max(flat, 1e-3f));
            for (int i : shipped.props) {
                const LevelPiece& prop = world.pieces[i];
                if (prop.hazardDamage <= 0)
                    continue;
                Vector3 away = camera.position - prop.position;
                away.y = 0.0f;
                const float d = magnitude(away);
                if (d < 48.0f && d > 1e-3f)
                    steer = steer + away * (2.2f * (48.0f - d) / (48.0f * d));
            }
            const float heading = std::atan2(steer.z, steer.x);
            const Vector3 look = camera.view - camera.position;
            rotateView(camera, heading - std::atan2(look.z, look.x));
            camera.view.y = camera.position.y + std::clamp(to.y, -20.0f, 20.0f);
            moveCamera(camera, 50.0f, windowState.frameRate);
            worldFrame(world, camera, shipped.props);
            collectBottles(world, camera);
            if (world.hitPoints > maxHitPoints)
                world.hitPoints = maxHitPoints;
            lowestHitPoints = std::min(lowestHitPoints, world.hitPoints);
            ++frames;
            const float left = magnitude(target - camera.position);
            if (left < best - 0.5f) {
                best = left;
                sinceProgress = 0;
            } else if (++sinceProgress > 300) {
                return false;
            }
        }
        return false;
    }
};

}  // namespace

TEST_F(Walkability, EveryBottleCanBeReachedFromTheStart)
{
    ShippedLevel& shipped = level();
    World& world = *shipped.world;
    ASSERT_GE(shipped.bottles.size(), 10u);
    ASSERT_LE(shipped.bottles.size(), 15u);
    ASSERT_EQ(world.bottleTotal, static_cast<int>(shipped.bottles.size()));
    const std::vector<std::vector<Link>> links = pieceGraph(shipped);
    for (int i : shipped.bottles)
        world.pieces[i].isCollectible = 1;
    levelRecord.bottlesCollected = 0;
    world.hitPoints = maxHitPoints;
    // Quick frames: the hazards cost per frame, so a fast machine is the
    // hard case for the player.
    windowState.frameRate = 60.0f;

    Walker walker{shipped, {}};
    resetPlayerCamera(world, walker.camera);
    int here = shipped.startPiece;
    for (int bottle : shipped.bottles) {
        const LevelPiece& target = world.pieces[bottle];
        if (!target.isCollectible)
            continue;
        const int goal = nearestLevelPiece(world, target.position);
        const std::vector<Link> way = route(links, here, goal);
        ASSERT_TRUE(goal == here || !way.empty()) << "no way from " << world.pieces[here].name << " to " << target.name;
        int current = here;
        for (const Link& step : way) {
            const LevelPiece& piece = world.pieces[current];
            ASSERT_TRUE(walker.walkTo(content::placeLocal(piece, layoutOf(piece)->via), 30.0f))
                << "stuck in " << piece.name << " at " << where(walker.camera.position);
            ASSERT_TRUE(walker.walkTo(step.door + Vector3(0.0f, 30.0f, 0.0f), 10.0f))
                << "stuck at the doorway " << where(step.door) << " at " << where(walker.camera.position);
            current = step.piece;
        }
        EXPECT_TRUE(walker.walkTo(target.position + Vector3(0.0f, 8.0f, 0.0f), 6.0f) || !target.isCollectible);
        EXPECT_EQ(target.isCollectible, 0) << "bottle at " << where(target.position) << " not reached; camera at "
                                           << where(walker.camera.position);
        here = nearestLevelPiece(world, walker.camera.position);
        ASSERT_GT(walker.lowestHitPoints, 0) << "the way to " << where(target.position) << " was deadly";
    }
    EXPECT_EQ(levelRecord.bottlesCollected, world.bottleTotal);
    checkLevelComplete(world);
    EXPECT_EQ(world.levelComplete, 1);
    std::printf("bottles: all %d reached in %d frames at 60 fps; lowest hit points on the way %d\n", levelRecord.bottlesCollected,
                walker.frames, walker.lowestHitPoints);
    world.levelComplete = 0;
}

