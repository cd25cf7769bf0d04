// Walks the camera into the walls of a small generated level, with the same
// calls the keyboard and mouse make, and checks that the logic pass's
// collision never lets it through.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>

#include "world/camera.h"
#include "app/window.h"
#include "tests/support/test_support.h"
#include "tests/world/world_fixtures.h"

namespace {

// How near a wall the camera can come. The sphere stops at 15 from a wall,
// but a centre whose foot lies within rounding of a triangle's edge sees the
// angle there as NaN (counted 0), so neither triangle of the wall claims it;
// the edge test at half the radius then catches it at 7.5.
constexpr float seamMargin = 7.4f;

struct WalkLevel : public ::testing::Test {
    WalkLevel() : dir(makeScratchDir("world-walk")), cwd(dir)
    {
        // A room 200 wide, 100 high and 160 deep, and a closed corridor 60
        // wide and 300 long, both with their walls facing inward.
        const std::string room = trianglesFile(boxCorners({-100, -30, -80}, {100, 70, 80}, true));
        const std::string corridor = trianglesFile(boxCorners({-30, -30, -150}, {30, 40, 150}, true));
        writeFile("Data/Models/Level/Room01.3DS", room);
        writeFile("Data/Models/Level/Collision Models/Room01 Coll.3DS", room);
        writeFile("Data/Models/Level/CorridorStraight.3DS", corridor);
        writeFile("Data/Models/Level/Collision Models/Corridor Straight Coll.3DS", corridor);

        world = freshWorld();
        handleMapLine(*world, "Room Room01 x 500 0 300 y 0 30 0");
        handleMapLine(*world, "Corridor CorridorStraight x -2000 10 0 y 0 90 0");
        for (int i = 0; i < world->pieceCount; ++i)
            loadPieceModels(world->pieces[i]);
        windowState.frameRate = 60.0f;
    }
    ~WalkLevel() override { windowState.frameRate = 0.0f; }

    // The camera's position in the piece's own coordinates.
    Vector3 local(const LevelPiece& piece, const Camera& camera) { return backTurn(piece, camera.position); }

    // True while the camera is inside lo..hi, at least margin from every side.
    static bool inside(const Vector3& p, const Vector3& lo, const Vector3& hi, float margin)
    {
        return p.x >= lo.x + margin && p.x <= hi.x - margin && p.y >= lo.y + margin && p.y <= hi.y - margin &&
               p.z >= lo.z + margin && p.z <= hi.z - margin;
    }

    // Walks from the piece's origin in 48 headings, each with its own tilt and
    // a little strafing, for frames steps of the input and the collision.
    // Fails at the first step that leaves the inner box.
    void walkAround(int index, const Vector3& lo, const Vector3& hi, int frames)
    {
        const LevelPiece& piece = world->pieces[index];
        for (int heading = 0; heading < 48; ++heading) {
            Camera camera;
            const Vector3 start = piece.position;
            const float tilt = static_cast<float>(heading % 5 - 2) * 12.0f;
            positionCamera(camera, start.x, start.y, start.z, start.x, start.y + tilt, start.z + 30.0f, 0, 1, 0);
            rotateView(camera, static_cast<float>(heading) * 0.1309f);
            for (int frame = 0; frame < frames; ++frame) {
                moveCamera(camera, 50.0f, windowState.frameRate);
                if (heading % 3 == 0)
                    strafeCamera(camera, frame % 200 < 100 ? 50.0f : -50.0f, windowState.frameRate);
                if (frame % 97 == 0)
                    rotateView(camera, 0.35f);
                collideWithNearestPiece(*world, camera);
                const Vector3 p = local(piece, camera);
                ASSERT_TRUE(inside(p, lo, hi, seamMargin))
                    << "heading " << heading << " frame " << frame << " at " << p.x << ", " << p.y << ", " << p.z;
                ASSERT_TRUE(std::isfinite(camera.view.x) && std::isfinite(camera.view.y) &&
                            std::isfinite(camera.view.z));
            }
        }
    }

    std::string dir;
    ScopedWorkingDirectory cwd;
    BoxRecorder boxes;
    std::unique_ptr<World> world;
};

}  // namespace

TEST_F(WalkLevel, NeverPassesThroughTheRoomWalls)
{
    ASSERT_EQ(world->pieces[0].model.objects.size(), 1u);
    EXPECT_TRUE(boxes.boxes().empty());
    walkAround(0, {-100, -30, -80}, {100, 70, 80}, 600);
}

TEST_F(WalkLevel, NeverPassesThroughTheCorridorWalls)
{
    ASSERT_EQ(world->pieces[1].model.objects.size(), 1u);
    walkAround(1, {-30, -30, -150}, {30, 40, 150}, 600);
}

TEST_F(WalkLevel, StraightIntoTheSeamOfAWall)
{
    // Every wall is two triangles meeting on a diagonal; walk head-on into
    // the corridor's side wall at 400 points along that diagonal.
    const LevelPiece& corridor = world->pieces[1];
    for (int k = 0; k < 400; ++k) {
        const float z = -140.0f + 280.0f * static_cast<float>(k) / 400.0f;
        const float y = -30.0f + 70.0f * (z + 150.0f) / 300.0f;
        // Local (0, y, z) heading to local -x; the corridor is turned 90 degrees.
        Matrix4 turn;
        turn.rotate(corridor.rotation.y, 0.0f, 1.0f, 0.0f);
        const Vector3 start = corridor.position + turn.transformPoint({0, y, z});
        const Vector3 towards = corridor.position + turn.transformPoint({-30, y, z});
        Camera camera;
        positionCamera(camera, start.x, start.y, start.z, towards.x, towards.y, towards.z, 0, 1, 0);
        float nearest = 100.0f;
        for (int frame = 0; frame < 200; ++frame) {
            moveCamera(camera, 50.0f, windowState.frameRate);
            collideWithNearestPiece(*world, camera);
            nearest = std::min(nearest, local(corridor, camera).x + 30.0f);
        }
        ASSERT_GE(nearest, seamMargin) << "at z " << z;
    }
}

TEST_F(WalkLevel, WithoutCollisionTheWalkWouldLeave)
{
    // The same walk with the collision left out does leave the room: the
    // check above is not vacuous.
    const LevelPiece& room = world->pieces[0];
    Camera camera;
    positionCamera(camera, room.position.x, room.position.y, room.position.z, room.position.x,
                   room.position.y, room.position.z + 30.0f, 0, 1, 0);
    bool left = false;
    for (int frame = 0; frame < 600 && !left; ++frame) {
        moveCamera(camera, 50.0f, windowState.frameRate);
        left = !inside(local(room, camera), {-100, -30, -80}, {100, 70, 80}, 14.9f);
    }
    EXPECT_TRUE(left);
}
