#include <gtest/gtest.h>

#include <cmath>
#include <utility>

#include "app/input.h"
#include "app/window.h"
#include "platform/platform.h"
#include "ui/screens.h"
#include "world/camera.h"

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

TEST(Input, EscapeSwitchesOncePerPress)
{
    input = InputState{};
    const int expected[][2] = {{Playing, MainMenu}, {Credits, MainMenu}, {IntroStory, IntroStory},
                               {EndingStory, EndingStory}, {MainMenu, Playing}};
    for (const auto& row : expected) {
        screenState.currentScreen = row[0];
        applyEscape(false);
        applyEscape(true);
        EXPECT_EQ(screenState.currentScreen, row[1]) << "from screen " << row[0];
    }
    for (int i = 0; i < 51; ++i)
        applyEscape(true);
    EXPECT_EQ(screenState.currentScreen, Playing) << "held Escape switches only once";
}

TEST(Input, KeysMoveThePlayerOnlyWhilePlaying)
{
    windowState.frameRate = 100.0f;
    input = InputState{};
    positionCamera(playerCamera, 0, 30, 0, 0, 30, 30, 0, 1, 0);
    setCursorPos(320, 240);
    const auto press = [](int key, bool down) {
        simulateKey(key, down);
        processInput();
    };
    simulateKey('W', true);
    for (int screen : {MainMenu, IntroStory, EndingStory, Credits}) {
        screenState.currentScreen = screen;
        processInput();
        EXPECT_FLOAT_EQ(playerCamera.position.z, 0.0f) << "screen " << screen;
    }
    screenState.currentScreen = Playing;
    processInput();
    EXPECT_FLOAT_EQ(playerCamera.position.z, 0.5f);
    press('S', true);
    EXPECT_FLOAT_EQ(playerCamera.position.z, 0.5f) << "opposite keys cancel out within the pass";
    simulateKey('W', false);
    simulateKey('S', false);
    press('D', true);
    EXPECT_FLOAT_EQ(playerCamera.position.x, -0.5f);
    simulateKey('D', false);

    // The pass in which Escape leaves play does not move the camera...
    simulateKey('A', true);
    press(VK_ESCAPE, true);
    EXPECT_EQ(screenState.currentScreen, MainMenu);
    EXPECT_FLOAT_EQ(playerCamera.position.x, -0.5f);
    press(VK_ESCAPE, false);
    // ...and the one that enters play from the menu already does.
    press(VK_ESCAPE, true);
    EXPECT_EQ(screenState.currentScreen, Playing);
    EXPECT_FLOAT_EQ(playerCamera.position.x, 0.0f);
    simulateKey(VK_ESCAPE, false);
    simulateKey('A', false);
    windowState.frameRate = 0.0f;
}
