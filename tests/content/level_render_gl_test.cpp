// Loads the shipped level the way start-up does and draws it the way the
// game draws a frame: no message box may appear, every model, material map
// and texture must be there, and the dungeon must show from the menu camera
// and from inside. The pictures go to the build's content-shots folder.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "world/camera.h"
#include "app/probe.h"
#include "assets/writers.h"
#include "render/postprocess.h"
#include "render/shader.h"
#include "tests/content/content_support.h"
#include "tests/support/test_support.h"
#include "world/scene.h"
#include "world/world.h"

namespace {

constexpr int shotWidth = 512;
constexpr int shotHeight = 384;

// Share of pixels brighter than black, and the mean brightness.
struct Exposure {
    double lit = 0.0;
    double mean = 0.0;
};

Exposure measure(const std::vector<uint8_t>& pixels)
{
    Exposure e;
    size_t lit = 0;
    double sum = 0.0;
    for (size_t i = 0; i + 2 < pixels.size(); i += 3) {
        const int v = pixels[i] + pixels[i + 1] + pixels[i + 2];
        if (v > 24)
            ++lit;
        sum += v / 3.0;
    }
    e.lit = static_cast<double>(lit) / static_cast<double>(pixels.size() / 3);
    e.mean = sum / static_cast<double>(pixels.size() / 3);
    return e;
}

// Draws `frames` frames of the world seen by camera (the last one is kept)
// and returns its pixels, saved under name.
std::vector<uint8_t> shoot(const Camera& camera, const std::string& name, int frames)
{
    std::vector<uint8_t> pixels;
    for (int f = 0; f < frames; ++f) {
        glViewport(0, 0, shotWidth, shotHeight);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        gluPerspective(45.0, static_cast<double>(shotWidth) / shotHeight, 0.1, 25000.0);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        renderWorldFrame(camera);
    }
    glFinish();
    pixels = readPixelsRgb(0, 0, shotWidth, shotHeight);
    saveFile(content::shotDir() + "/" + name + ".bmp", writeBmp24(shotWidth, shotHeight, pixels));
    return pixels;
}

}  // namespace

TEST(ShippedLevel, LoadsWithoutMessagesAndShowsTheDungeon)
{
    if (!content::contentBuilt())
        GTEST_SKIP() << "the build makes no game data (PLEMOX_CONTENT is off)";
    ASSERT_TRUE(ensureGlContext(shotWidth, shotHeight));
    ScopedWorkingDirectory cwd(gameDir());
    probeGlCapabilities();
    // The fixed state start-up sets before it loads the level.
    glShadeModel(GL_SMOOTH);
    glClearColor(0.0f, 0.0f, 0.0f, 0.5f);
    glClearDepth(1.0);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);

    BoxRecorder boxes;
    world.loadLevel(mapFilePath);
    EXPECT_TRUE(boxes.boxes().empty()) << boxes.texts().front();

    int levelPieces = 0, props = 0;
    for (int i = 0; i < world.pieceCount; ++i) {
        const LevelPiece& piece = world.pieces[i];
        ASSERT_NE(findPieceKind(piece.name), nullptr) << piece.name;
        EXPECT_GT(piece.model.objectCount, 0) << piece.name;
        EXPECT_LE(piece.model.objectCount, 8) << piece.name;
        EXPECT_NE(piece.model.displayList, 0u) << piece.name;
        if (piece.isProp) {
            ++props;
        } else {
            ++levelPieces;
            EXPECT_GT(piece.collisionModel.objectCount, 0) << piece.name;
            // Each level piece is lit by the light nearest its origin: one
            // close enough to light it.
            EXPECT_LT(distance(lightForPiece(piece.position), piece.position), 130.0f) << piece.name;
        }
    }
    EXPECT_GE(levelPieces, 11);
    EXPECT_GE(props, 40);
    EXPECT_GE(world.bottleTotal, 10);
    EXPECT_LE(world.bottleTotal, 15);
    EXPECT_GE(levelLights.lightCount, levelPieces);
    EXPECT_NE(levelLights.glowTexture, 0u);
    for (int slot = 0; slot < 9; ++slot) {
        const Material& material = world.materials[slot];
        EXPECT_NE(material.diffuseTexture, 0u) << "slot " << slot;
        EXPECT_NE(material.normalTexture, 0u) << "slot " << slot;
        EXPECT_NE(material.heightTexture, 0u) << "slot " << slot;
        EXPECT_NE(material.specularTexture, 0u) << "slot " << slot;
        EXPECT_NE(material.program.program, 0u) << "slot " << slot;
        EXPECT_GT(material.tiling, 0.0f) << "slot " << slot;
    }

    // The frames as the game draws them, straight into the window.
    setScenePass(renderWorldPass);
    world.hitPoints = maxHitPoints;
    positionCamera(menuCamera, 0, 1000, 500, 0, 0, 0, 0, 1, 0);
    const Exposure menu = measure(shoot(menuCamera, "level_menu", 2));
    // From above the whole dungeon shows: a good part of the picture is lit.
    EXPECT_GT(menu.lit, 0.25) << "menu view";

    struct View {
        const char* name;
        Vector3 eye, at;
    };
    const std::vector<View> views = {
        {"level_start", world.playerStart, world.playerStart + Vector3(0, 1, 30)},
        {"level_hall", {-160, 40, 40}, {-100, 25, 150}},
        {"level_hub", {-100, 35, -30}, {-100, 35, -180}},
        {"level_cave", {-500, 40, -420}, {-500, 25, -540}},
        {"level_crypt", {-170, 40, -440}, {-60, 30, -560}},
        {"level_slope", {40, 35, -100}, {200, -40, -100}},
        {"level_cavern", {300, -25, -420}, {300, -20, -520}},
        {"level_cellar", {440, -25, 60}, {560, -40, 130}},
    };
    for (const View& view : views) {
        positionCamera(playerCamera, view.eye.x, view.eye.y, view.eye.z, view.at.x, view.at.y, view.at.z, 0, 1, 0);
        const Exposure play = measure(shoot(playerCamera, view.name, 2));
        EXPECT_GT(play.lit, 0.5) << view.name;
        EXPECT_GT(play.mean, 12.0) << view.name;
    }

    // The same through the HDR and bloom pass, when the driver can.
    setUpPostProcessing();
    if (postProcessing.postProcessingEnabled && glCaps.floatTexturesEnabled) {
        positionCamera(playerCamera, -100, 35, -30, -100, 35, -180, 0, 1, 0);
        const Exposure hub = measure(shoot(playerCamera, "level_hub_post", 40));
        EXPECT_GT(hub.lit, 0.5);
        shoot(menuCamera, "level_menu_post", 40);
        positionCamera(playerCamera, -500, 40, -420, -500, 25, -540, 0, 1, 0);
        shoot(playerCamera, "level_cave_post", 40);
    }
    EXPECT_TRUE(boxes.boxes().empty());
    releaseWorld();
}
