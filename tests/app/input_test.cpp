#include <gtest/gtest.h>

#include <cmath>
#include <utility>

#include "app/input.h"
#include "app/window.h"
#include "platform/platform.h"
#include "ui/screens.h"
#include "world/camera.h"
#include "world/world.h"

TEST(Input, MouseLookTurnsTiltsAndRecentres)
{
    Camera camera;
    positionCamera(camera, 0, 30, 0, 0, 30, 30, 0, 1, 0);
    setCursorPos(512, 384);
    mouseLook(camera, 1024, 768);
    EXPECT_LT(distance(camera.view, Vector3(0, 30, 30)), 1e-6f) << "cursor at the centre: nothing happens";
    // 42 pixels up raise the view point by one unit; 286 pixels right turn
    // one radian to the right.
    setCursorPos(512 + 286, 384 - 42);
    mouseLook(camera, 1024, 768);
    EXPECT_LT(distance(camera.view, Vector3(-30.0f * std::sin(1.0f), 31, 30.0f * std::cos(1.0f))), 1e-3f);
    int x = 0, y = 0;
    getCursorPos(x, y);
    EXPECT_EQ(std::make_pair(x, y), std::make_pair(512, 384)) << "the cursor goes back to the centre";
    // Odd sizes round the centre down.
    setCursorPos(100, 50);
    mouseLook(camera, 201, 101);
    EXPECT_NEAR(camera.view.y, 31.0f, 1e-4f);
}

TEST(Input, KeysMoveThePlayerOnlyWhilePlaying)
{
    windowState.frameRate = 100.0f;
    input = InputState{};
    positionCamera(world.playerCamera, 0, 30, 0, 0, 30, 30, 0, 1, 0);
    setCursorPos(320, 240);
    const auto press = [](int key, bool down) {
        simulateKey(key, down);
        processInput();
    };
    simulateKey('W', true);
    for (int screen : {MainMenu, IntroStory, EndingStory, Credits}) {
        screenState.currentScreen = screen;
        processInput();
        EXPECT_FLOAT_EQ(world.playerCamera.position.z, 0.0f) << "screen " << screen;
    }
    screenState.currentScreen = Playing;
    processInput();
    EXPECT_FLOAT_EQ(world.playerCamera.position.z, 0.5f);
    press('S', true);
    EXPECT_FLOAT_EQ(world.playerCamera.position.z, 0.5f) << "opposite keys cancel out within the pass";
    simulateKey('W', false);
    simulateKey('S', false);
    press('D', true);
    EXPECT_FLOAT_EQ(world.playerCamera.position.x, -0.5f);
    simulateKey('D', false);
    // Escape leaves play once, however long it is held.
    press(VK_ESCAPE, true);
    press(VK_ESCAPE, true);
    EXPECT_EQ(screenState.currentScreen, MainMenu);
    simulateKey(VK_ESCAPE, false);
    windowState.frameRate = 0.0f;
}
