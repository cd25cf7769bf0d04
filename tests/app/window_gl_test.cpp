#include <gtest/gtest.h>

#include "app/config.h"
#include "app/window.h"
#include "tests/support/test_support.h"

// Window creation paths that end before the game starts: each shows its
// message and tears down what was built, without a crash.
TEST(WindowCreation, RefusedSizesAndFullScreenFallback)
{
    if (!std::getenv("DISPLAY"))
        GTEST_SKIP() << "no display";
    BoxRecorder boxes;
    const ExpectedBox refused{"Window Creation Error.", "ERROR", MB_OK | MB_ICONEXCLAMATION};
    EXPECT_FALSE(createGameWindow(gameTitle, 0, 480, 32, false));
    EXPECT_FALSE(windowState.windowCreated);
    EXPECT_FALSE(windowState.classRegistered);
    EXPECT_FALSE(createGameWindow(gameTitle, 100000, 100000, 32, false));
    expectBoxes(boxes, {refused, refused});

    // The test display (1280 x 1024) has no 1111 x 777 mode: the fallback
    // question, answered No, closes the program.
    boxes.clear();
    boxes.answer(IDNO);
    EXPECT_FALSE(createGameWindow(gameTitle, 1111, 777, 32, true));
    expectBoxes(boxes, {{"The Requested Fullscreen Mode Is Not Supported By\nYour Video Card. Use Windowed Mode Instead?",
                         "Drun GL", MB_YESNO | MB_ICONEXCLAMATION},
                        {"Program Will Now Close.", "ERROR", MB_OK | MB_ICONSTOP}});
    EXPECT_EQ(config.windowWidth, 1111) << "the creation arguments become the configured size";
    destroyGameWindow();
    EXPECT_FALSE(windowState.classRegistered);
}
