#include <gtest/gtest.h>

#include <cmath>

#include "app/camera.h"
#include "app/input.h"
#include "app/window.h"
#include "platform/platform.h"

namespace {

Camera lookingAlongZ()
{
    Camera camera;
    positionCamera(camera, 0, 30, 0, 0, 30, 30, 0, 1, 0);
    return camera;
}

struct RateGuard {
    explicit RateGuard(float rate) { windowState.frameRate = rate; }
    ~RateGuard() { windowState.frameRate = 0.0f; }
};

}  // namespace

TEST(Camera, WalkingScalesWithTheFrameRate)
{
    {
        RateGuard rate(100.0f);
        Camera camera = lookingAlongZ();
        moveCamera(camera, 50.0f);
        EXPECT_FLOAT_EQ(camera.position.z, 0.5f);
        EXPECT_FLOAT_EQ(camera.view.z, 30.5f);
        EXPECT_FLOAT_EQ(camera.position.y, 30.0f);
    }
    {
        RateGuard rate(25.0f);
        Camera camera = lookingAlongZ();
        moveCamera(camera, -50.0f);
        EXPECT_FLOAT_EQ(camera.position.z, -2.0f);
    }
    {
        // Looking up and walking forward also climbs.
        RateGuard rate(1.0f);
        Camera camera;
        positionCamera(camera, 0, 0, 0, 0, 3, 4, 0, 1, 0);
        moveCamera(camera, 5.0f);
        EXPECT_FLOAT_EQ(camera.position.y, 3.0f);
        EXPECT_FLOAT_EQ(camera.position.z, 4.0f);
    }
}

TEST(Camera, StrafingKeepsHeightAndIsSlowerWhenLookingSteeply)
{
    RateGuard rate(10.0f);
    Camera camera = lookingAlongZ();
    strafeCamera(camera, 40.0f);
    EXPECT_FLOAT_EQ(camera.position.x, -4.0f) << "side vector (-n.z, 0, n.x)";
    EXPECT_FLOAT_EQ(camera.view.x, -4.0f);
    EXPECT_FLOAT_EQ(camera.position.y, 30.0f);

    Camera steep;
    positionCamera(steep, 0, 0, 0, 0, 4, 3, 0, 1, 0);
    strafeCamera(steep, 40.0f);
    EXPECT_FLOAT_EQ(steep.position.x, -2.4f) << "the side vector is not normalised again";
    EXPECT_FLOAT_EQ(steep.position.y, 0.0f);
}

TEST(Camera, SlowFramesNeverStepFurtherThanTheCollisionReaches)
{
    RateGuard rate(2.0f);
    Camera camera = lookingAlongZ();
    moveCamera(camera, 50.0f);
    EXPECT_FLOAT_EQ(camera.position.z, 5.0f) << "25 units asked, 5 allowed";
    moveCamera(camera, -50.0f);
    EXPECT_FLOAT_EQ(camera.position.z, 0.0f);
    strafeCamera(camera, 50.0f);
    EXPECT_FLOAT_EQ(camera.position.x, -5.0f);
    windowState.frameRate = 10.0f;
    moveCamera(camera, 50.0f);
    EXPECT_FLOAT_EQ(camera.position.z, 5.0f) << "10 frames per second still walks at full speed";
}

TEST(Camera, ZeroFrameRateDoesNotMoveTheCamera)
{
    windowState.frameRate = 0.0f;
    Camera camera = lookingAlongZ();
    moveCamera(camera, 50.0f);
    strafeCamera(camera, 50.0f);
    EXPECT_FLOAT_EQ(camera.position.x, 0.0f);
    EXPECT_FLOAT_EQ(camera.position.z, 0.0f);
    EXPECT_TRUE(std::isfinite(camera.view.z));

    // A degenerate camera (view on the position) does not turn into NaN either.
    RateGuard rate(60.0f);
    Camera degenerate;
    positionCamera(degenerate, 1, 2, 3, 1, 2, 3, 0, 1, 0);
    moveCamera(degenerate, 50.0f);
    strafeCamera(degenerate, 50.0f);
    EXPECT_FLOAT_EQ(degenerate.position.x, 1.0f);
    EXPECT_FALSE(std::isnan(degenerate.position.z));
}

TEST(Camera, RotateViewTurnsAboutTheVerticalAxis)
{
    Camera camera;
    positionCamera(camera, 10, 5, 10, 10, 7, 20, 0, 1, 0);
    rotateView(camera, static_cast<float>(M_PI / 2));
    EXPECT_NEAR(camera.view.x, 0.0f, 1e-5f);
    EXPECT_NEAR(camera.view.z, 10.0f, 1e-5f);
    EXPECT_FLOAT_EQ(camera.view.y, 7.0f);
}

TEST(Camera, MouseLookTurnsTiltsAndRecentres)
{
    Camera camera = lookingAlongZ();
    setCursorPos(512, 384);
    mouseLook(camera, 1024, 768);
    EXPECT_FLOAT_EQ(camera.view.y, 30.0f) << "cursor at the centre: nothing happens";
    EXPECT_FLOAT_EQ(camera.view.x, 0.0f);

    // 42 pixels up raises the view point by one unit; 286 pixels right turns
    // by one radian to the right.
    setCursorPos(512 + 286, 384 - 42);
    mouseLook(camera, 1024, 768);
    EXPECT_NEAR(camera.view.y, 31.0f, 1e-4f);
    EXPECT_NEAR(camera.view.x, -30.0f * std::sin(1.0f), 1e-3f);
    EXPECT_NEAR(camera.view.z, 30.0f * std::cos(1.0f), 1e-3f);
    int x = 0, y = 0;
    getCursorPos(x, y);
    EXPECT_EQ(x, 512);
    EXPECT_EQ(y, 384);

    // Odd sizes round the centre down.
    Camera other = lookingAlongZ();
    setCursorPos(100, 50);
    mouseLook(other, 201, 101);
    EXPECT_FLOAT_EQ(other.view.y, 30.0f);
}

TEST(Input, EscapeSwitchesOncePerPress)
{
    input = InputState{};
    applyEscape(true);
    EXPECT_EQ(input.currentScreen, Playing) << "Escape on the menu starts playing";
    for (int i = 0; i < 50; ++i)
        applyEscape(true);
    EXPECT_EQ(input.currentScreen, Playing) << "held Escape switches only once";
    applyEscape(false);
    applyEscape(true);
    EXPECT_EQ(input.currentScreen, MainMenu);

    input.currentScreen = Credits;
    applyEscape(false);
    applyEscape(true);
    EXPECT_EQ(input.currentScreen, MainMenu);

    for (int screen : {IntroStory, EndingStory}) {
        input.currentScreen = screen;
        applyEscape(false);
        applyEscape(true);
        EXPECT_EQ(input.currentScreen, screen) << "stories ignore Escape";
    }
}

TEST(Input, KeysMoveThePlayerOnlyWhilePlaying)
{
    RateGuard rate(100.0f);
    input = InputState{};
    positionCamera(playerCamera, 0, 30, 0, 0, 30, 30, 0, 1, 0);
    setCursorPos(320, 240);

    simulateKey('W', true);
    for (int screen : {MainMenu, IntroStory, EndingStory, Credits}) {
        input.currentScreen = screen;
        processInput();
        EXPECT_FLOAT_EQ(playerCamera.position.z, 0.0f) << "screen " << screen;
    }
    input.currentScreen = Playing;
    processInput();
    EXPECT_FLOAT_EQ(playerCamera.position.z, 0.5f);

    // Opposite keys cancel out within the pass.
    simulateKey('S', true);
    processInput();
    EXPECT_FLOAT_EQ(playerCamera.position.z, 0.5f);
    simulateKey('W', false);
    simulateKey('S', false);

    simulateKey('D', true);
    processInput();
    EXPECT_FLOAT_EQ(playerCamera.position.x, -0.5f);
    simulateKey('D', false);

    // The pass in which Escape leaves play does not move the camera.
    simulateKey('A', true);
    simulateKey(VK_ESCAPE, true);
    processInput();
    EXPECT_EQ(input.currentScreen, MainMenu);
    EXPECT_FLOAT_EQ(playerCamera.position.x, -0.5f);
    simulateKey(VK_ESCAPE, false);
    processInput();
    // ...and the one that enters play from the menu already does.
    simulateKey(VK_ESCAPE, true);
    processInput();
    EXPECT_EQ(input.currentScreen, Playing);
    EXPECT_FLOAT_EQ(playerCamera.position.x, 0.0f);
    simulateKey(VK_ESCAPE, false);
    simulateKey('A', false);
}
