// The whole game in-process on the built game data: the start-up sequence
// with its questions, and a full game from the menu to the credits.
#include <gtest/gtest.h>

#include <cstdlib>
#include <numeric>
#include <string>
#include <vector>

#include "app/input.h"
#include "app/startup.h"
#include "app/window.h"
#include "assets/writers.h"
#include "render/capabilities.h"
#include "render/postprocess.h"
#include "sound/sound.h"
#include "tests/support/test_support.h"
#include "ui/menubutton.h"
#include "ui/screens.h"
#include "world/camera.h"
#include "world/world.h"

namespace {

const char* const postQuestion =
    "Would you like To use PostProcessing Effects (like HDR Rendering, Bloom Effects etc.)\n"
    " Chce\x9A pou\x9E\xEDt Post-Processing efekty (jako HDR Rendering, Bloom efekty atd.)?";

constexpr int width = 1024;
constexpr int height = 768;

// Starts the game in the built game folder with a 1024 x 768 context.
void startGame()
{
    ASSERT_TRUE(ensureGlContext(width, height)) << "no display";
    ASSERT_EQ(std::system(("test -f " + gameDir() + "/Data/Maps/Map.txt").c_str()), 0)
        << "the build did not make the game data";
    ScopedWorkingDirectory cwd(gameDir());
    resizeViewport(width, height);
    startUpEngine();
}

// Mean brightness (sum of R, G, B) of a window rectangle, origin bottom left.
double brightness(int x, int y, int w, int h)
{
    const std::vector<uint8_t> pixels = readPixelsRgb(x, y, w, h);
    return std::accumulate(pixels.begin(), pixels.end(), 0.0) / (static_cast<double>(w) * h);
}

void saveShot(const std::string& name)
{
    const std::vector<uint8_t> pixels = readPixelsRgb(0, 0, width, height);
    const char* dir = std::getenv("PLEMOX_BINARY_DIR");
    saveFile(std::string(dir ? dir : ".") + "/artifacts/game/" + name + ".bmp", writeBmp24(width, height, pixels));
}

// One pass of the main loop without its message pump.
void frame()
{
    drawGameFrame();
    processInput();
}

// A key pressed for one frame.
void press(int key)
{
    simulateKey(key, true);
    frame();
    simulateKey(key, false);
}

void clickAt(float x, float yFromTop)
{
    windowState.mouseX = x;
    windowState.mouseY = yFromTop;
    windowState.leftButtonDown = true;
    frame();
    windowState.leftButtonDown = false;
}

}  // namespace

TEST(StartUp, DecliningPostProcessingTurnsItOff)
{
    BoxRecorder boxes;
    boxes.answer(IDNO);
    ASSERT_NO_FATAL_FAILURE(startGame());
    expectBoxes(boxes, {{postQuestion, "Information", MB_YESNO | MB_ICONINFORMATION, BoxOwner::GameWindow}});
    EXPECT_FALSE(postProcessing.postProcessingEnabled);
    EXPECT_FALSE(glCaps.floatTexturesEnabled);
    EXPECT_FALSE(postProcessingActive());
}

TEST(StartUp, NoAudioDeviceAndNoFloatTexturesWarnAndGoOn)
{
    setenv("MESA_EXTENSION_OVERRIDE", "-GL_ARB_texture_float", 1);
    BoxRecorder boxes;
    soundRefuseRates(1000000);
    ASSERT_NO_FATAL_FAILURE(startGame());
    expectBoxes(boxes, {{postQuestion, "Information", MB_YESNO | MB_ICONINFORMATION, BoxOwner::GameWindow},
                        {"Cannot init fmod", "Warning", MB_OK | MB_ICONEXCLAMATION, BoxOwner::GameWindow}});
    EXPECT_FALSE(glCaps.floatTexturesEnabled);
    EXPECT_FALSE(postProcessingActive());
    EXPECT_GT(world.pieceCount, 0) << "the game goes on silently";
}

TEST(Game, FromTheStartThroughEveryBottleToTheCredits)
{
    // A normal start asks only about post-processing and sets everything up.
    BoxRecorder boxes;
    ASSERT_NO_FATAL_FAILURE(startGame());
    expectBoxes(boxes, {{postQuestion, "Information", MB_YESNO | MB_ICONINFORMATION, BoxOwner::GameWindow}});
    EXPECT_TRUE(postProcessing.postProcessingEnabled && glCaps.floatTexturesEnabled);
    EXPECT_EQ(soundOpenedRate(), 44100);
    EXPECT_GT(world.bottleTotal, 0);
    EXPECT_EQ(world.hitPoints, 1000);
    EXPECT_TRUE(screenState.logoTexture && menuButtons.newGameButton.textures[0]);
    ScopedWorkingDirectory cwd(gameDir());
    input = InputState{};

    // The menu over the live dungeon. What the menu, the stories and the bar
    // show is checked on the real binary; here the flow, the pictures kept.
    for (int i = 0; i < 3; ++i)
        frame();
    EXPECT_EQ(screenState.currentScreen, MainMenu);
    saveShot("menu");

    // New Game: the intro, then Enter into play with full hit points.
    clickAt(100.0f, static_cast<float>(height - 170));
    EXPECT_EQ(screenState.currentScreen, IntroStory);
    EXPECT_EQ(world.hitPoints, -1);
    frame();
    saveShot("intro");
    press(VK_RETURN);
    EXPECT_EQ(screenState.currentScreen, Playing);
    windowState.frameRate = 60.0f;
    frame();
    EXPECT_EQ(world.hitPoints, 1000) << "the new game reset the level";
    saveShot("play");
    EXPECT_GT(brightness(0, 100, width, height - 300), 3.0) << "the dungeon through the HDR and bloom pass";

    // Walk to every bottle in turn: stand 30 units away at a little above
    // the bottle, face it and hold W; try the four sides until one is free.
    // The walk is drawn without post-processing to keep the test quick.
    postProcessing.postProcessingEnabled = false;
    frame();
    saveShot("play_plain");
    EXPECT_GT(brightness(0, 100, width, height - 300), 3.0) << "the dungeon drawn straight";
    const Vector3 sides[4] = {{0, 0, -30}, {0, 0, 30}, {-30, 0, 0}, {30, 0, 0}};
    for (int i = 0; i < world.pieceCount && screenState.currentScreen == Playing; ++i) {
        LevelPiece& piece = world.pieces[i];
        if (!piece.isCollectible)
            continue;
        const Vector3 target = piece.position + Vector3(0.0f, 10.0f, 0.0f);
        for (const Vector3& side : sides) {
            const Vector3 from = target + side;
            positionCamera(world.playerCamera, from.x, from.y, from.z, target.x, target.y, target.z, 0, 1, 0);
            simulateKey('W', true);
            for (int step = 0; step < 40 && piece.isCollectible && screenState.currentScreen == Playing; ++step) {
                world.playerCamera.view = target;  // keep facing it
                frame();
            }
            simulateKey('W', false);
            if (!piece.isCollectible || screenState.currentScreen != Playing)
                break;
        }
        EXPECT_TRUE(!piece.isCollectible || screenState.currentScreen != Playing)
            << "bottle " << i << " at " << piece.position.x << ", " << piece.position.y << ", " << piece.position.z;
    }
    frame();
    EXPECT_EQ(screenState.currentScreen, EndingStory);
    frame();
    EXPECT_TRUE(world.hitPoints == -1 && world.levelComplete == 0) << world.hitPoints;
    press(VK_RETURN);
    EXPECT_EQ(screenState.currentScreen, Credits);
    frame();
    saveShot("credits");
    press(VK_ESCAPE);
    EXPECT_EQ(screenState.currentScreen, MainMenu);
    frame();
    EXPECT_EQ(world.hitPoints, 1000) << "the menu's world update carried out the reset";
}
