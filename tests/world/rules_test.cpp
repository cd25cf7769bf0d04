#include <gtest/gtest.h>

#include "tests/world/world_fixtures.h"

namespace {

// A box of the given half sizes about the origin.
ObjectBox box(float hx, float hy, float hz)
{
    return {hx, hy, hz, -hx, -hy, -hz};
}

// One frame's rules in pass order: the logic pass, then two scene passes.
// Returns the pass (1 logic, 2 and 3 scene) in which a reset happened, 0 for none.
int runFrame(World& world)
{
    int resetPass = 0;
    collideWithNearestPiece(world);
    collectBottles(world);
    checkLevelComplete(world);
    for (int pass = 1; pass <= 3; ++pass) {
        for (int i = 0; pass > 1 && i < world.pieceCount; ++i)
            if (pieceDrawn(world.pieces[i]))
                propContact(world, world.pieces[i]);
        if (world.hitPoints < 0)
            resetPass = pass;
        endOfPassRules(world);
    }
    return resetPass;
}

}  // namespace

TEST(GameRules, CampfireKillsInTheSecondScenePassOfFrame167)
{
    auto world = freshWorld(1000);
    world->bottleTotal = 1;
    world->playerStart = Vector3(500, 0, 0);
    place(*world, "Campfire", {0, 0, 0}).visible = 1;
    Camera& camera = world->playerCamera;
    camera = cameraAt({10, 0, 0});
    int frame = 0, resetPass = 0;
    while (resetPass == 0 && frame < 1000) {
        resetPass = runFrame(*world);
        if (++frame == 166) {
            EXPECT_EQ(world->hitPoints, 4);
        }
    }
    EXPECT_EQ(frame, 167);
    EXPECT_EQ(resetPass, 3) << "the second scene pass";
    EXPECT_EQ(world->hitPoints, 1000);
    expectVector(camera.position, 500, 0, 0);
    expectVector(camera.view, 500, 1, 30);
    // At exactly 30 units the fire does no harm; just inside it does.
    camera = cameraAt({30, 0, 0});
    runFrame(*world);
    EXPECT_EQ(world->hitPoints, 1000);
    world->hitPoints = 900;
    camera = cameraAt({29.99f, 0, 0});
    runFrame(*world);
    EXPECT_EQ(world->hitPoints, 894);
}

TEST(GameRules, HiddenPropsNeitherHurtNorPushAndBoxlessOnesOnlyHurt)
{
    auto world = freshWorld(1000);
    LevelPiece& pile = place(*world, "Pile", {0, 0, 0});
    pile.model.boxes.push_back(box(50, 50, 50));
    Camera& camera = world->playerCamera;
    camera = cameraAt({1, 0, 0});
    runFrame(*world);
    EXPECT_EQ(world->hitPoints, 1000);
    expectVector(camera.position, 1, 0, 0);
    // Visible, the same pile pushes 2.5 and hurts 2 in each scene pass.
    pile.visible = 1;
    runFrame(*world);
    EXPECT_EQ(world->hitPoints, 996);
    expectVector(camera.position, 6, 0, 0);

    // A prop whose model failed to load has no box: no push, but its hazard
    // still acts. Standing exactly on a prop's origin inside its box there is
    // no direction to push along, and the camera must not turn into NaNs.
    LevelPiece& fire = place(*world, "Campfire", {100, 0, 0});
    fire.visible = 1;
    camera = cameraAt({100, 0, 0});
    propContact(*world, fire);
    expectVector(camera.position, 100, 0, 0);
    EXPECT_EQ(world->hitPoints, 993);
    fire.model.boxes.push_back(box(5, 5, 5));
    propContact(*world, fire);
    expectVector(camera.position, 100, 0, 0);
    expectVector(camera.view, 100, 1, 30);
}

TEST(GameRules, BottlesArePickedUpWithin20EvenWhenHiddenAndOnlyOnce)
{
    auto world = freshWorld(950);
    world->bottleTotal = 2;
    LevelPiece& nearBottle = place(*world, "Gorvik", {0, 0, 19.9f});
    LevelPiece& farBottle = place(*world, "Gorvik", {0, 0, -20.0f});
    Camera& camera = world->playerCamera;
    camera = cameraAt({0, 0, 0});
    collectBottles(*world);
    collectBottles(*world);
    EXPECT_EQ(world->bottlesCollected, 1);
    EXPECT_EQ(nearBottle.isCollectible + nearBottle.active, 0);
    EXPECT_EQ(farBottle.isCollectible, 1) << "exactly 20 away is not near enough";
    EXPECT_EQ(world->hitPoints, 1050);
    checkLevelComplete(*world);
    EXPECT_EQ(world->levelComplete, 0);
    endOfPassRules(*world);
    EXPECT_EQ(world->hitPoints, 1000) << "capped at the end of the pass";
    camera = cameraAt({0, 0, -0.01f});
    collectBottles(*world);
    checkLevelComplete(*world);
    EXPECT_EQ(world->bottlesCollected, 2) << "just inside 20";
    EXPECT_EQ(world->levelComplete, 1);
    // A level without bottles is complete at once.
    auto empty = freshWorld();
    checkLevelComplete(*empty);
    EXPECT_EQ(empty->levelComplete, 1);
}

TEST(GameRules, MinusOneResetsTheGame)
{
    auto world = freshWorld();
    world->playerStart = Vector3(1, 2, 3);
    world->bottleTotal = 2;
    world->levelComplete = 1;
    LevelPiece& bottle = place(*world, "Gorvik", {100, 0, 0});
    bottle.isCollectible = bottle.active = 0;
    // Loaded as a table, but the reset only looks for the bottle's name.
    LevelPiece& table = place(*world, "TableGorvik", {200, 0, 0});
    EXPECT_EQ(table.isCollectible, 0);
    LevelPiece& crate = place(*world, "Crate", {300, 0, 0});
    crate.active = 0;
    world->bottlesCollected = 1;
    Camera& camera = world->playerCamera;
    camera = cameraAt({50, 50, 50});
    endOfPassRules(*world);
    EXPECT_EQ(world->hitPoints, 0) << "0 hit points is still alive";
    EXPECT_EQ(world->bottlesCollected, 1);
    world->hitPoints = -1;
    endOfPassRules(*world);
    EXPECT_EQ(world->hitPoints, 1000);
    EXPECT_EQ(world->bottlesCollected, 0);
    EXPECT_TRUE(bottle.isCollectible && bottle.active && table.isCollectible && table.active);
    EXPECT_EQ(crate.active, 0);
    EXPECT_EQ(world->levelComplete, 1) << "the reset leaves the completion flag";
    expectVector(camera.position, 1, 2, 3);
    expectVector(camera.view, 1, 3, 33);
    expectVector(camera.up, 0, 1, 0);
}

TEST(GameRules, PushOutUsesTheFirstBoxTurnedBack)
{
    auto world = freshWorld(1000);
    // A collected bottle still pushes: not drawn, but visible.
    LevelPiece& bottle = place(*world, "Gorvik", {0, 0, 0});
    bottle.model.boxes = {box(5, 5, 5)};
    bottle.isCollectible = bottle.active = 0;
    bottle.visible = 1;
    Camera& camera = world->playerCamera;
    camera = cameraAt({0, 1, 0});
    propContact(*world, bottle);
    expectVector(camera.position, 0, 3.5f, 0);
    // The view point moves 2.5 along the new direction from the origin.
    expectVector(camera.view, 0, 2 + 2.5f, 30);
    propContact(*world, bottle);
    expectVector(camera.position, 0, 6, 0);
    propContact(*world, bottle);  // outside the box nothing moves
    expectVector(camera.position, 0, 6, 0);

    // A long thin box turned 90 degrees about Y: the camera is tested in the
    // prop's own coordinates; only box 0 counts.
    LevelPiece& fence = place(*world, "Fence", {100, 0, 0});
    fence.model.boxes.push_back(box(20, 2, 2));
    fence.visible = 1;
    camera = cameraAt({100, 0, 10});
    propContact(*world, fence);
    expectVector(camera.position, 100, 0, 10);
    fence.rotation.y = 90.0f;
    propContact(*world, fence);
    expectVector(camera.position, 100, 0, 12.5f);
    fence.model.boxes.insert(fence.model.boxes.begin(), box(0.5f, 0.5f, 0.5f));
    camera = cameraAt({100, 0, 10});
    propContact(*world, fence);
    expectVector(camera.position, 100, 0, 10);

    // The box includes its faces.
    EXPECT_TRUE(pointInBox({5, -5, 5}, box(5, 5, 5)));
    for (const Vector3& outside : {Vector3(5.001f, 0, 0), Vector3(0, -5.001f, 0), Vector3(0, 0, 6)})
        EXPECT_FALSE(pointInBox(outside, box(5, 5, 5))) << outside.x << " " << outside.y << " " << outside.z;
}

TEST(GameRules, NearestSearches)
{
    auto world = freshWorld();
    EXPECT_EQ(nearestLevelPiece(*world, {0, 0, 0}), -1);
    place(*world, "Crate", {1, 0, 0});
    EXPECT_EQ(nearestLevelPiece(*world, {0, 0, 0}), -1) << "props are not level pieces";
    place(*world, "Room01", {10, 0, 0});
    place(*world, "Room02", {-10, 0, 0});
    place(*world, "Room03", {0, 0, 5});
    EXPECT_EQ(nearestLevelPiece(*world, {0, 0, 0}), 3);
    EXPECT_EQ(nearestLevelPiece(*world, {0, 0, -5}), 3);
    EXPECT_EQ(nearestLevelPiece(*world, {0, 0, -20}), 1) << "the earlier piece wins a tie";
    EXPECT_EQ(nearestLevelPiece(*world, {0, 0, 2e7f}), -1) << "nothing nearer than the start distance";

    // No lights: lit from above the piece itself. Farther than the start
    // distance from every light: the first one.
    expectVector(lightForPiece(*world, {3, 4, 5}), 3, 104, 5);
    world->lights = LevelLights{{{10, 0, 0}, {-10, 0, 0}, {0, 0, 50}}, 3};
    expectVector(lightForPiece(*world, {0, 0, 0}), 10, 0, 0);
    expectVector(lightForPiece(*world, {0, 0, 40}), 0, 0, 50);
    expectVector(lightForPiece(*world, {-9, 0, 0}), -10, 0, 0);
    expectVector(lightForPiece(*world, {0, 0, 3e7f}), 10, 0, 0);
}

TEST(GameRules, CollisionUsesTheNearestLevelPieceTurned)
{
    auto world = freshWorld();
    // A collision hull wall in the plane z = 0 facing +z, placed at (100, 0, 0)
    // and turned 90 degrees: it faces +x there. The drawn model is not
    // collided with, nor a prop nearer than the wall.
    const Model3DS wall = trianglesModel({{-100, -100, 0}, {100, -100, 0}, {0, 100, 0}});
    LevelPiece& room = place(*world, "Room01", {100, 0, 0});
    room.collisionModel = wall;
    room.model = trianglesModel({{-100, -100, 5}, {100, -100, 5}, {0, 100, 5}});
    world->pieces[0].rotation.y = 90.0f;
    place(*world, "Room02", {1000, 0, 0}).collisionModel = wall;
    place(*world, "Crate", {110, 0, 0}).model = wall;
    world->playerCamera = cameraAt({110, 0, 0});
    collideWithNearestPiece(*world);
    expectVector(world->playerCamera.position, 115, 0, 0);
    expectVector(world->playerCamera.view, 115, 1, 30);
    // Without level pieces the collision is skipped.
    auto props = freshWorld();
    place(*props, "Crate", {0, 0, 0}).model = wall;
    props->playerCamera = cameraAt({0, 0, 10});
    collideWithNearestPiece(*props);
    expectVector(props->playerCamera.position, 0, 0, 10);
}
