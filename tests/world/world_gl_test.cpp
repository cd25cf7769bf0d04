#include <gtest/gtest.h>

#include <vector>

#include "world/camera.h"
#include "app/probe.h"
#include "render/opengl.h"
#include "render/meshlist.h"
#include "tests/support/test_support.h"
#include "tests/world/world_fixtures.h"
#include "world/lensflare.h"

namespace {

constexpr int side = 256;

// A piece whose model is these triangles, compiled without colours so it
// draws in the current colour, and boxed like a prop.
LevelPiece& addModel(World& world, const char* name, const Vector3& position, const std::vector<Vector3>& corners)
{
    LevelPiece& piece = place(world, name, position);
    piece.model = trianglesModel(corners);
    buildDisplayList(piece.model, 1.0f, false);
    piece.model.computeObjectBoxes(2.5f);
    return piece;
}

// A wall facing the camera at z = -50 covering x from -200 to 0: the left
// half of the view from the origin looking along -z.
LevelPiece& addWall(World& world)
{
    std::vector<Vector3> corners;
    addQuad(corners, {-200, -200, 0}, {0, -200, 0}, {0, 200, 0}, {-200, 200, 0}, {0, 0, 1});
    return addModel(world, "Room01", {0, 0, -50}, corners);
}

LevelPiece& addCrate(World& world, const Vector3& position)
{
    return addModel(world, "Crate", position, boxCorners({-5, -5, -5}, {5, 5, 5}, false));
}

void lookFrom(const Vector3& eye, const Vector3& at)
{
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(60.0, 1.0, 1.0, 5000.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    gluLookAt(eye.x, eye.y, eye.z, at.x, at.y, at.z, 0, 1, 0);
}

// Where a world point lands in the window.
void project(const Vector3& p, int& x, int& y)
{
    GLdouble model[16], projection[16];
    GLint viewport[4];
    glGetDoublev(GL_MODELVIEW_MATRIX, model);
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    glGetIntegerv(GL_VIEWPORT, viewport);
    GLdouble wx = 0, wy = 0, wz = 0;
    gluProject(p.x, p.y, p.z, model, projection, viewport, &wx, &wy, &wz);
    x = static_cast<int>(wx);
    y = static_cast<int>(wy);
}

GLuint whiteTexture()
{
    const std::vector<uint8_t> white(8 * 8 * 4, 255);
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 8, 8, 0, GL_RGBA, GL_UNSIGNED_BYTE, white.data());
    return texture;
}

class WorldGl : public GlTest {
protected:
    WorldGl() : GlTest(side, side) {}
    void SetUp() override
    {
        GlTest::SetUp();
        if (IsSkipped())
            return;
        world = freshWorld();
        world->hitPoints = 1000;
        positionCamera(playerCamera, 0, 0, 0, 0, 0, -1, 0, 1, 0);
        lookFrom({0, 0, 0}, {0, 0, -1});
    }
    void TearDown() override
    {
        if (world)
            releaseWorld(*world);
        levelLights.lightCount = 0;
    }

    int red(int x, int y) const { return pixelAt(x, y)[0]; }
    void clear() const { glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT); }

    BoxRecorder boxes;
    std::unique_ptr<World> world;
};

}  // namespace

TEST_F(WorldGl, OcclusionFindsPropsBehindWalls)
{
    addWall(*world);
    LevelPiece& hidden = addCrate(*world, {-60, 0, -150});
    LevelPiece& open = addCrate(*world, {60, 0, -150});
    LevelPiece& broken = place(*world, "Stone", {60, 0, -100});
    world->renderWorld(false);
    EXPECT_EQ(hidden.visible, 0);
    EXPECT_EQ(open.visible, 1);
    EXPECT_EQ(broken.visible, 0) << "a model without objects has no edges to pass";

    // Colour and depth writes are back on, culling off.
    GLboolean colour[4] = {GL_FALSE, GL_FALSE, GL_FALSE, GL_FALSE};
    glGetBooleanv(GL_COLOR_WRITEMASK, colour);
    EXPECT_TRUE(colour[0] && colour[1] && colour[2] && colour[3]);
    GLboolean depth = GL_FALSE;
    glGetBooleanv(GL_DEPTH_WRITEMASK, &depth);
    EXPECT_TRUE(depth);
    EXPECT_FALSE(glIsEnabled(GL_CULL_FACE));

    // Seen from behind the wall's plane the hidden crate is in the open.
    clear();
    lookFrom({-60, 0, -100}, {-60, 0, -150});
    EXPECT_TRUE(isModelVisible(hidden.model, hidden.position, hidden.rotation));
    clear();
    lookFrom({0, 0, 0}, {0, 0, -1});
    world->renderWorld(false);
    EXPECT_EQ(hidden.visible, 0);
    EXPECT_EQ(open.visible, 1) << "a visible prop's own depth does not hide its box edges";
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(WorldGl, GlowsAreHiddenByWallsAndFaceTheViewer)
{
    addWall(*world);
    levelLights.glowTexture = whiteTexture();
    const Vector3 behindWall(-60, 0, -150);
    const Vector3 inTheOpen(60, 0, -150);
    levelLights.lightPositions[0] = behindWall;
    levelLights.lightPositions[1] = inTheOpen;
    levelLights.lightCount = 2;
    glColor3f(0.2f, 0.2f, 0.2f);
    world->renderWorld(true);

    int hx = 0, hy = 0, ox = 0, oy = 0;
    project(behindWall, hx, hy);
    project(inTheOpen, ox, oy);
    const int wallRed = red(hx + 20, hy);
    EXPECT_NEAR(wallRed, 51, 2) << "the wall itself";
    EXPECT_EQ(red(hx, hy), wallRed) << "the glow behind the wall is hidden";
    EXPECT_EQ(red(ox, oy), 255) << "the glow in the open shows";
    EXPECT_EQ(red(ox + 10, oy + 10), 255) << "a 20 x 20 square at 150 units is about 30 pixels wide";
    EXPECT_EQ(red(ox + 25, oy), 0) << "and no wider";

    // The pass leaves depth writes on, blending, culling and texturing off,
    // unit 0 active with the replace environment.
    GLboolean depth = GL_FALSE;
    glGetBooleanv(GL_DEPTH_WRITEMASK, &depth);
    EXPECT_TRUE(depth && !glIsEnabled(GL_BLEND));
    EXPECT_FALSE(glIsEnabled(GL_CULL_FACE));
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    GLint unit = 0, mode = 0;
    glGetIntegerv(GL_ACTIVE_TEXTURE, &unit);
    glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &mode);
    EXPECT_EQ(unit, GL_TEXTURE0);
    EXPECT_EQ(mode, GL_REPLACE);

    // Seen from the side, a sprite fixed in its plane would vanish edge-on;
    // the billboard keeps it square to the view.
    clear();
    lookFrom(inTheOpen + Vector3(-100, 0, 0), inTheOpen);
    drawLightGlows();
    EXPECT_EQ(red(side / 2, side / 2), 255);
    EXPECT_EQ(red(side / 2 + 20, side / 2 + 20), 255);

    // Releasing the world frees its lists and the glow, and may be repeated.
    const unsigned list = world->pieces[0].model.displayList, glow = levelLights.glowTexture;
    releaseWorld(*world);
    EXPECT_TRUE(list && !glIsList(list) && !glIsTexture(glow));
    EXPECT_EQ(world->pieces[0].model.displayList + levelLights.glowTexture, 0u);
    releaseWorld(*world);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(WorldGl, ScenePassDrawsVisiblePiecesAndAppliesHazards)
{
    addWall(*world);
    LevelPiece& fire = addCrate(*world, {60, 0, -150});
    fire.hazardDamage = 3;
    LevelPiece& pile = addCrate(*world, {-60, 0, -150});
    pile.hazardDamage = 2;
    world->bottleTotal = 1;
    world->renderWorld(false);
    ASSERT_EQ(fire.visible, 1);
    ASSERT_EQ(pile.visible, 0);

    // Each scene pass, drawn in grey: next to the hidden pile nothing
    // happens; next to the visible fire it is drawn and hurts; marked hidden
    // it is skipped; collected it is not drawn but still counts as visible.
    int fx = 0, fy = 0;
    project(fire.position, fx, fy);
    const struct {
        Vector3 at;
        uint8_t visible, active;
        int red, hitPoints;
    } steps[] = {{{-50, 0, -150}, 1, 1, 127, 1000}, {{50, 0, -150}, 1, 1, 127, 997},
                 {{50, 0, -150}, 0, 1, 0, 997},     {{50, 0, -150}, 1, 0, 0, 994}};
    for (const auto& step : steps) {
        positionCamera(playerCamera, step.at.x, 0, step.at.z, step.at.x, 0, step.at.z - 1, 0, 1, 0);
        fire.visible = step.visible;
        fire.active = step.active;
        clear();
        glColor3f(0.5f, 0.5f, 0.5f);
        world->renderWorld(true);
        EXPECT_NEAR(red(fx, fy), step.red, 2) << step.at.x << " visible " << int(step.visible);
        EXPECT_EQ(world->hitPoints, step.hitPoints) << step.at.x << " visible " << int(step.visible);
    }

    // The global pass hook runs the game's own world.
    EXPECT_EQ(::world.pieceCount, 0);
    renderWorldPass(true);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}
