// Loads the shipped level the way start-up does and draws it the way the
// game draws a frame: no message box may appear, every model, material map
// and texture must be there, the dungeon must show from the menu camera and
// from inside, and releasing the level frees what it made. The pictures go
// to the build's content-shots folder.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/probe.h"
#include "assets/writers.h"
#include "render/postprocess.h"
#include "tests/content/content_support.h"
#include "tests/support/test_support.h"
#include "world/camera.h"
#include "world/scene.h"
#include "world/world.h"

namespace {

constexpr int shotWidth = 512;
constexpr int shotHeight = 384;

// Draws `frames` frames of the world seen from eye towards at, saves the last
// under name and returns the share of its pixels brighter than black and
// its mean brightness.
std::pair<double, double> shoot(Camera& camera, const Vector3& eye, const Vector3& at, const std::string& name, int frames)
{
    positionCamera(camera, eye.x, eye.y, eye.z, at.x, at.y, at.z, 0, 1, 0);
    for (int f = 0; f < frames; ++f) {
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        gluPerspective(45.0, static_cast<double>(shotWidth) / shotHeight, 0.1, 25000.0);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        renderWorldFrame(camera);
    }
    const std::vector<uint8_t> pixels = readPixelsRgb(0, 0, shotWidth, shotHeight);
    saveFile(content::shotDir() + "/" + name + ".bmp", writeBmp24(shotWidth, shotHeight, pixels));
    size_t lit = 0;
    double sum = 0.0;
    for (size_t i = 0; i + 2 < pixels.size(); i += 3) {
        lit += pixels[i] + pixels[i + 1] + pixels[i + 2] > 24;
        sum += (pixels[i] + pixels[i + 1] + pixels[i + 2]) / 3.0;
    }
    return {static_cast<double>(lit) / (pixels.size() / 3), sum / (pixels.size() / 3)};
}

class ShippedLevel : public GlTest {
protected:
    ShippedLevel() : GlTest(shotWidth, shotHeight) {}
};

}  // namespace

TEST_F(ShippedLevel, LoadsWithoutMessagesShowsTheDungeonAndIsReleased)
{
    if (!content::contentBuilt())
        GTEST_SKIP() << "the build makes no game data (PLEMOX_CONTENT is off)";
    ScopedWorkingDirectory cwd(gameDir());
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
        ++(piece.isProp ? props : levelPieces);
        // Each level piece is lit by the light nearest its origin: one close
        // enough to light it.
        if (!piece.isProp) {
            EXPECT_GT(piece.collisionModel.objectCount, 0) << piece.name;
            EXPECT_LT(distance(lightForPiece(piece.position), piece.position), 130.0f) << piece.name;
        }
    }
    EXPECT_GE(levelPieces, 11);
    EXPECT_GE(props, 40);
    EXPECT_GE(levelLights.lightCount, levelPieces);
    EXPECT_NE(levelLights.glowTexture, 0u);
    for (int slot = 0; slot < 9; ++slot) {
        const Material& material = world.materials[slot];
        EXPECT_TRUE(material.diffuseTexture && material.normalTexture && material.heightTexture &&
                    material.specularTexture && material.program.program)
            << "slot " << slot;
        EXPECT_GT(material.tiling, 0.0f) << "slot " << slot;
    }

    // The frames as the game draws them, straight into the window. From
    // above the whole dungeon shows: a good part of the picture is lit.
    setScenePass(renderWorldPass);
    world.hitPoints = maxHitPoints;
    EXPECT_GT(shoot(menuCamera, {0, 1000, 500}, {0, 0, 0}, "level_menu", 2).first, 0.25) << "menu view";
    const struct {
        const char* name;
        Vector3 eye, at;
    } views[] = {
        {"level_start", world.playerStart, world.playerStart + Vector3(0, 1, 30)},
        {"level_hall", {-160, 40, 40}, {-100, 25, 150}},
        {"level_hub", {-100, 35, -30}, {-100, 35, -180}},
        {"level_cave", {-500, 40, -420}, {-500, 25, -540}},
        {"level_crypt", {-170, 40, -440}, {-60, 30, -560}},
        {"level_slope", {40, 35, -100}, {200, -40, -100}},
        {"level_cavern", {300, -25, -420}, {300, -20, -520}},
        {"level_cellar", {440, -25, 60}, {560, -40, 130}},
    };
    for (const auto& view : views) {
        const auto [lit, mean] = shoot(playerCamera, view.eye, view.at, view.name, 2);
        EXPECT_GT(lit, 0.5) << view.name;
        EXPECT_GT(mean, 12.0) << view.name;
    }
    // The same through the HDR and bloom pass, when the driver can.
    setUpPostProcessing();
    if (postProcessing.postProcessingEnabled && glCaps.floatTexturesEnabled)
        EXPECT_GT(shoot(playerCamera, {-100, 35, -30}, {-100, 35, -180}, "level_hub_post", 40).first, 0.5);
    EXPECT_TRUE(boxes.boxes().empty());

    const unsigned firstList = world.pieces[0].model.displayList, glow = levelLights.glowTexture;
    releaseWorld();
    EXPECT_EQ(world.pieces[0].model.displayList, 0u);
    EXPECT_FALSE(glIsList(firstList));
    EXPECT_EQ(levelLights.glowTexture, 0u);
    EXPECT_FALSE(glIsTexture(glow));
    releaseWorld();
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}
