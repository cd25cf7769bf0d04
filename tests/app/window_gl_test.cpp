#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <utility>

#include "app/config.h"
#include "app/window.h"
#include "render/opengl.h"
#include "render/postprocess.h"
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

// The test display offers 4-sample formats only. Asked for 2, the window is
// made, torn down and made again with 4 samples, and the game starts once, in
// the second window, even at an odd colour depth; 8 falls back to the 4
// there are, 1 asks for none. Shutting down releases the post-processing
// program while the context is current.
TEST(WindowCreation, MultisampledStartUpAndFallback)
{
    if (!std::getenv("DISPLAY"))
        GTEST_SKIP() << "no display";
    const std::string dir = makeScratchDir("multisample");
    std::filesystem::create_directories(dir + "/Data/Engine");
    for (const auto& entry : std::filesystem::directory_iterator(gameDir() + "/Data"))
        if (entry.path().filename() != "Engine")
            std::filesystem::create_symlink(entry.path(), dir + "/Data/" + entry.path().filename().string());
    const auto samplesWanted = [&](int count) {
        writeFile(dir + "/Data/Engine/Initialization.ini", "PLEMOX_OPENGL_MULTISAMPLE_VALUE " +
                                                               std::to_string(count) + "\n");
    };
    samplesWanted(2);
    ScopedWorkingDirectory cwd(dir);
    BoxRecorder boxes;
    boxes.answer(IDNO);

    ASSERT_TRUE(createGameWindow(gameTitle, 320, 240, 64, false));
    int buffers = 0, samples = 0;
    glGetIntegerv(GL_SAMPLE_BUFFERS, &buffers);
    glGetIntegerv(GL_SAMPLES, &samples);
    EXPECT_EQ(buffers, 1);
    EXPECT_EQ(samples, 4);
    const std::vector<std::string> texts = boxes.texts();
    EXPECT_EQ(std::count_if(texts.begin(), texts.end(),
                            [](const std::string& t) { return t.find("PostProcessing") != std::string::npos; }),
              1)
        << "the start-up ran once";

    for (const auto& [configured, found] : {std::pair{8, true}, {4, true}, {1, false}, {0, false}}) {
        windowState.multisampleSupported = false;
        windowState.multisampleFormat = 0;
        samplesWanted(configured);
        EXPECT_EQ(setupMultisampleFormat(), found) << configured;
    }
    for (int bits : {0, -8, 64})
        EXPECT_GT(choosePixelFormat(PixelFormatRequest{bits, 8, 24, 8, true, 0, 0}), 0) << bits;

    ASSERT_NE(postProcessing.postProgram.program, 0u);
    shutDownGame();
    EXPECT_EQ(postProcessing.postProgram.program, 0u);
    EXPECT_FALSE(windowState.renderingContext);
}
