// The shipped level as a player first sees it: the first frame of play
// looks into the hall with a torch and a bottle in sight, and every torch
// burns: its flame, lit from the light inside it, is the brightest thing
// near it. Frames are drawn by the game's own frame code without
// post-processing and kept in artifacts/content/.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "app/probe.h"
#include "app/window.h"
#include "assets/writers.h"
#include "render/opengl.h"
#include "render/postprocess.h"
#include "tests/content/content_support.h"
#include "tests/content/level_geometry.h"
#include "tests/support/test_support.h"
#include "world/camera.h"
#include "world/frame.h"
#include "world/rules.h"
#include "world/world.h"

namespace {

constexpr int width = 512;
constexpr int height = 384;  // the game's 4:3

// Where the torch's flame burns relative to its mount, unturned (the
// generator's torchFlame).
const Vector3 flameOffset(11.0f, 22.0f, 0.0f);

// One drawn frame: colours and the world point behind each pixel
// (none where nothing was drawn), bottom row first, and how it projects.
struct Frame {
    std::vector<uint8_t> rgb;
    std::vector<Vector3> points;
    std::vector<bool> drawn;
    GLdouble modelview[16], projection[16];
    GLint viewport[4];

    static size_t index(int x, int y) { return static_cast<size_t>(y) * width + x; }
    // The pixel a world point lands in; false behind the camera or outside.
    bool project(const Vector3& p, int& x, int& y) const
    {
        GLdouble wx = 0, wy = 0, wz = 0;
        gluProject(p.x, p.y, p.z, modelview, projection, viewport, &wx, &wy, &wz);
        x = static_cast<int>(wx);
        y = static_cast<int>(wy);
        return wz > 0 && wz < 1 && x >= 0 && y >= 0 && x < width && y < height;
    }
};

// Relative luminance of an 8-bit colour, 0 to 1.
float luminance(const uint8_t* c)
{
    return (0.2126f * c[0] + 0.7152f * c[1] + 0.0722f * c[2]) / 255.0f;
}

// The shipped level, loaded once with the game's own loader.
class FirstView : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!content::contentBuilt())
            GTEST_SKIP() << "the build makes no game data (PLEMOX_CONTENT is off)";
        if (!ensureGlContext(width, height))
            GTEST_SKIP() << "no display";
        static bool loaded = false;
        ScopedWorkingDirectory cwd(gameDir());
        if (!loaded) {
            BoxRecorder quiet;
            probeGlCapabilities();
            glEnable(GL_DEPTH_TEST);
            glDepthFunc(GL_LEQUAL);
            world.loadLevel("Data/Maps/Map.txt");
            loaded = true;
            ASSERT_TRUE(quiet.boxes().empty()) << quiet.texts().front();
        }
        ASSERT_GT(world.pieceCount, 0);
        postProcessing.postProcessingEnabled = false;
        resizeViewport(width, height);
    }

    // Draws the world as the game draws a frame of play from this camera.
    Frame draw(const Camera& camera, const std::string& shot)
    {
        world.playerCamera = camera;
        renderWorldFrame(world, world.playerCamera);
        Frame frame;
        frame.rgb = readPixelsRgb(0, 0, width, height);
        saveFile(content::binaryDir() + "/artifacts/content/" + shot + ".bmp", writeBmp24(width, height, frame.rgb));
        std::vector<float> depth(static_cast<size_t>(width) * height);
        glReadPixels(0, 0, width, height, GL_DEPTH_COMPONENT, GL_FLOAT, depth.data());
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        gluLookAt(camera.position.x, camera.position.y, camera.position.z, camera.view.x, camera.view.y, camera.view.z,
                  camera.up.x, camera.up.y, camera.up.z);
        glGetDoublev(GL_MODELVIEW_MATRIX, frame.modelview);
        glGetDoublev(GL_PROJECTION_MATRIX, frame.projection);
        glGetIntegerv(GL_VIEWPORT, frame.viewport);
        frame.points.resize(depth.size());
        frame.drawn.resize(depth.size());
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                const size_t i = Frame::index(x, y);
                GLdouble px = 0, py = 0, pz = 0;
                frame.drawn[i] = depth[i] < 1.0f;
                gluUnProject(x + 0.5, y + 0.5, depth[i], frame.modelview, frame.projection, frame.viewport, &px, &py, &pz);
                frame.points[i] = Vector3(static_cast<float>(px), static_cast<float>(py), static_cast<float>(pz));
            }
        return frame;
    }
};

bool named(const LevelPiece& piece, const char* keyword)
{
    const PieceKind* kind = findPieceKind(piece.name);
    return kind && std::strcmp(kind->keyword, keyword) == 0;
}

}  // namespace

TEST_F(FirstView, TheFirstFrameOfPlayLooksIntoTheHallAtATorchAndABottle)
{
    resetPlayerCamera(world);
    const Camera start = world.playerCamera;
    const Frame frame = draw(start, "first-frame");

    // Nothing within 80 units across the middle third of the view.
    float nearest = 1e9f;
    for (int y = height / 3; y < 2 * height / 3; ++y)
        for (int x = width / 3; x < 2 * width / 3; ++x)
            if (frame.drawn[Frame::index(x, y)])
                nearest = std::min(nearest, distance(frame.points[Frame::index(x, y)], start.position));
    EXPECT_GE(nearest, 80.0f);

    // A torch's flame and a bottle in the picture, not hidden: the nearest
    // surface at their pixel is the thing itself (the flame's surface lies
    // a few units in front of the light inside it).
    const auto inSight = [&](const Vector3& p, float radius) {
        int x = 0, y = 0;
        if (!frame.project(p, x, y))
            return false;
        const size_t i = Frame::index(x, y);
        return frame.drawn[i] && distance(frame.points[i], start.position) > distance(p, start.position) - radius;
    };
    bool torch = false, bottle = false;
    for (int i = 0; i < world.pieceCount; ++i) {
        const LevelPiece& piece = world.pieces[i];
        torch = torch || (named(piece, "Torch") && inSight(content::placeLocal(piece, flameOffset), 6.0f));
        bottle = bottle || (piece.isCollectible && inSight(piece.position + Vector3(0.0f, 8.0f, 0.0f), 6.0f));
    }
    EXPECT_TRUE(torch) << "no torch's flame in sight";
    EXPECT_TRUE(bottle) << "no bottle in sight";
}

TEST_F(FirstView, EveryTorchBurnsBrightAndWarmSeenFromInFrontAndBothSides)
{
    int torches = 0;
    for (int i = 0; i < world.pieceCount; ++i) {
        const LevelPiece& piece = world.pieces[i];
        if (!named(piece, "Torch"))
            continue;
        const Vector3 flame = content::placeLocal(piece, flameOffset);
        // The first torch from its two sides as well, along its wall.
        const std::vector<float> angles = torches == 0 ? std::vector<float>{0.0f, 70.0f, -70.0f} : std::vector<float>{0.0f};
        ++torches;
        for (float angle : angles) {
            SCOPED_TRACE(std::string(piece.name) + " " + std::to_string(i) + " at angle " + std::to_string(angle));
            const float a = angle * 3.14159265f / 180.0f;
            const Vector3 out = content::placeLocal(piece, Vector3(std::cos(a), 0.0f, std::sin(a))) - piece.position;
            Camera camera;
            positionCamera(camera, flame.x + 60.0f * out.x, flame.y, flame.z + 60.0f * out.z, flame.x, flame.y, flame.z, 0,
                           1, 0);
            const Frame frame = draw(camera, "torch-" + std::to_string(i) + "-" + std::to_string(static_cast<int>(angle)));
            // The flame's own pixels: surface within its reach of the light,
            // above the torch's head and on the near side of the light (where
            // the glow sprite, drawn at the light, cannot add to them).
            std::vector<const uint8_t*> pixels;
            for (int y = 0; y < height; ++y)
                for (int x = 0; x < width; ++x) {
                    const size_t k = Frame::index(x, y);
                    const Vector3& p = frame.points[k];
                    if (frame.drawn[k] && distance(p, flame) < 9.0f && p.y > flame.y - 1.0f &&
                        distance(p, camera.position) < distance(flame, camera.position) - 1.0f)
                        pixels.push_back(&frame.rgb[3 * k]);
                }
            ASSERT_GE(pixels.size(), 100u) << "the flame is hardly in the picture";
            std::sort(pixels.begin(), pixels.end(),
                      [](const uint8_t* l, const uint8_t* r) { return luminance(l) > luminance(r); });
            const size_t tenth = pixels.size() / 10;
            float sum = 0.0f;
            size_t warm = 0;
            for (size_t k = 0; k < tenth; ++k) {
                sum += luminance(pixels[k]);
                warm += pixels[k][0] > pixels[k][2] + 25;
            }
            EXPECT_GE(sum / static_cast<float>(tenth), 0.85f) << "the brightest tenth of the flame";
            EXPECT_EQ(warm, tenth) << "the brightest tenth of the flame has more red than blue";
        }
    }
    EXPECT_GE(torches, 10);
}
