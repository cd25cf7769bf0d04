#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "assets/writers.h"
#include "render/capabilities.h"
#include "render/meshlist.h"
#include "render/opengl.h"
#include "tests/support/test_support.h"
#include "tests/world/world_fixtures.h"
#include "render/occlusion.h"
#include "world/lensflare.h"
#include "world/measure.h"

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
std::pair<int, int> project(const Vector3& p)
{
    GLdouble model[16], projection[16], wx = 0, wy = 0, wz = 0;
    GLint viewport[4];
    glGetDoublev(GL_MODELVIEW_MATRIX, model);
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    glGetIntegerv(GL_VIEWPORT, viewport);
    gluProject(p.x, p.y, p.z, model, projection, viewport, &wx, &wy, &wz);
    return {static_cast<int>(wx), static_cast<int>(wy)};
}

GLuint whiteTexture()
{
    const std::vector<uint8_t> white(8 * 8 * 4, 255);
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
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
        world = freshWorld(1000);
        world->materials[0].shading = 2;  // no lighting program: fixed function in the current colour
        positionCamera(world->playerCamera, 0, 0, 0, 0, 0, -1, 0, 1, 0);
        lookFrom({0, 0, 0}, {0, 0, -1});
    }
    void TearDown() override
    {
        if (world)
            releaseWorld(*world);
    }

    int red(int x, int y) const { return pixelAt(x, y)[0]; }
    void clear() const { glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT); }

    BoxRecorder boxes;
    std::unique_ptr<World> world;
};

}  // namespace

TEST_F(WorldGl, OcclusionFindsPropsBehindWallsAndTheScenePassDrawsThem)
{
    addWall(*world);
    LevelPiece& pile = addCrate(*world, {-60, 0, -150});
    LevelPiece& fire = addCrate(*world, {60, 0, -150});
    LevelPiece& broken = place(*world, "Stone", {60, 0, -100});
    pile.hazardDamage = 2;
    fire.hazardDamage = 3;
    world->bottleTotal = 1;
    world->renderWorld(false);
    EXPECT_EQ(pile.visible, 0);
    EXPECT_EQ(fire.visible, 1);
    EXPECT_EQ(broken.visible, 0) << "a model without objects has no edges to pass";
    // Colour and depth writes are back on, culling off.
    GLboolean writes[5] = {};
    glGetBooleanv(GL_COLOR_WRITEMASK, writes);
    glGetBooleanv(GL_DEPTH_WRITEMASK, &writes[4]);
    EXPECT_TRUE(writes[0] && writes[1] && writes[2] && writes[3] && writes[4] && !glIsEnabled(GL_CULL_FACE));
    clear();
    world->renderWorld(false);
    EXPECT_EQ(pile.visible, 0);
    ASSERT_EQ(fire.visible, 1) << "a visible prop's own depth does not hide its box edges";

    // Each scene pass, drawn in grey: next to the hidden pile nothing
    // happens; next to the visible fire it is drawn and hurts; marked hidden
    // it is skipped; collected it is not drawn but still counts as visible.
    const auto [fx, fy] = project(fire.position);
    const struct {
        Vector3 at;
        uint8_t visible, active;
        int red, hitPoints;
    } steps[] = {{{-50, 0, -150}, 1, 1, 127, 1000}, {{50, 0, -150}, 1, 1, 127, 997},
                 {{50, 0, -150}, 0, 1, 0, 997},     {{50, 0, -150}, 1, 0, 0, 994}};
    for (const auto& step : steps) {
        positionCamera(world->playerCamera, step.at.x, 0, step.at.z, step.at.x, 0, step.at.z - 1, 0, 1, 0);
        fire.visible = step.visible;
        fire.active = step.active;
        clear();
        glColor3f(0.5f, 0.5f, 0.5f);
        world->renderWorld(true);
        EXPECT_NEAR(red(fx, fy), step.red, 2) << step.at.x << " visible " << int(step.visible);
        EXPECT_EQ(world->hitPoints, step.hitPoints) << step.at.x << " visible " << int(step.visible);
    }
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(WorldGl, GlowsAreHiddenByWallsAndFaceTheViewer)
{
    addWall(*world);
    world->lights.glowTexture = whiteTexture();
    const Vector3 behindWall(-60, 0, -150);
    const Vector3 inTheOpen(60, 0, -150);
    world->lights.lightPositions[0] = behindWall;
    world->lights.lightPositions[1] = inTheOpen;
    world->lights.lightCount = 2;
    glColor3f(0.2f, 0.2f, 0.2f);
    world->renderWorld(true);

    const auto [hx, hy] = project(behindWall);
    const auto [ox, oy] = project(inTheOpen);
    const int wallRed = red(hx + 20, hy);
    EXPECT_NEAR(wallRed, 51, 2) << "the wall itself";
    EXPECT_EQ(red(hx, hy), wallRed) << "the glow behind the wall is hidden";
    EXPECT_EQ(red(ox, oy), 255) << "the glow in the open shows";
    EXPECT_EQ(red(ox + 10, oy + 10), 255) << "a 20 x 20 square at 150 units is about 30 pixels wide";
    EXPECT_EQ(red(ox + 25, oy), 0) << "and no wider";

    // Seen from the side, a sprite fixed in its plane would vanish edge-on;
    // the billboard keeps it square to the view.
    clear();
    lookFrom(inTheOpen + Vector3(-100, 0, 0), inTheOpen);
    drawLightGlows(world->lights);
    EXPECT_EQ(red(side / 2, side / 2), 255);
    EXPECT_EQ(red(side / 2 + 20, side / 2 + 20), 255);

    // Releasing the world frees its lists and the glow, and may be repeated.
    const unsigned list = world->pieces[0].model.displayList, glow = world->lights.glowTexture;
    releaseWorld(*world);
    EXPECT_TRUE(list && !glIsList(list) && !glIsTexture(glow));
    EXPECT_EQ(world->pieces[0].model.displayList + world->lights.glowTexture, 0u);
    releaseWorld(*world);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(WorldGl, UnshownScenePassAppliesItsRulesAndDrawsNothing)
{
    LevelPiece& fire = addCrate(*world, {0, 0, -60});
    fire.hazardDamage = 3;
    fire.visible = 1;
    positionCamera(world->playerCamera, 0, 0, -57, 0, 0, -100, 0, 1, 0);  // inside the crate's box
    glColor3f(0.5f, 0.5f, 0.5f);
    world->renderWorld(true, false);
    EXPECT_EQ(world->hitPoints, 997);
    EXPECT_FLOAT_EQ(world->playerCamera.position.z, -57.0f + pushOutDistance) << "pushed out along +z";
    const std::vector<uint8_t> pixels = readPixelsRgb(0, 0, side, side);
    EXPECT_EQ(std::count(pixels.begin(), pixels.end(), 0), side * side * 3) << "nothing drawn";
}

// Materials 1 (Blinn, red) and 2 (Phong, green) with programs and 1 x 1 maps.
void loadLitMaterials(World& world)
{
    const std::string dir = makeScratchDir("world-lit");
    const char* const keys[4] = {"_DIFFUSE_MAP ", "_NORMAL_MAP ", "_HEIGHT_MAP ", "_SPECULAR_MAP "};
    const std::vector<float> maps[2][4] = {
        {{0.9f, 0.1f, 0.1f}, {0.5f, 0.5f, 1.0f}, {0.3f, 0.3f, 0.3f}, {0.3f, 0.3f, 0.3f}},
        {{0.1f, 0.9f, 0.1f}, {0.5f, 0.5f, 1.0f}, {0.3f, 0.3f, 0.3f}, {0.3f, 0.3f, 0.3f}}};
    const char* source = std::getenv("PLEMOX_SOURCE_DIR");
    ScopedWorkingDirectory cwd(source ? source : gameDir());
    for (int m = 0; m < 2; ++m) {
        const std::string name = dir + "/m" + std::to_string(m);
        std::string text = "_SHADING " + std::to_string(m) + "\n_SHININESS 16\n_TILING 1\n";
        for (int k = 0; k < 4; ++k) {
            writeFile(name + std::to_string(k) + ".hdr", writeRgbe(1, 1, maps[m][k]));
            text += keys[k] + name + std::to_string(k) + ".hdr\n";
        }
        writeFile(name + ".plemoxmat", text);
        world.materials[m + 1].load(name + ".plemoxmat");
        ASSERT_NE(world.materials[m + 1].program.program, 0u);
    }
}

// Pieces with lighting programs, drawn with and without the depth pre-pass:
// a wall wider than the view (every corner outside it), a nearer quad over
// its middle, a quad in the wall's own plane after it in slot order, and a
// hazard behind the camera (outside the view, its rules still apply).
TEST_F(WorldGl, DepthPrePassKeepsThePictureAndShadesEachPixelOnce)
{
    loadLitMaterials(*world);
    const float quads[3][3] = {{900, 0, 0}, {8, 0, 20}, {5, 25, 0}};  // half size, centre x = y, z
    for (int q = 0; q < 3; ++q) {
        const float h = quads[q][0], c = quads[q][1], z = quads[q][2];
        std::vector<Vector3> corners;
        addQuad(corners, {c - h, c - h, z}, {c + h, c - h, z}, {c + h, c + h, z}, {c - h, c + h, z}, {0, 0, 1});
        LevelPiece& piece = addModel(*world, "Room01", {0, 0, -50}, corners);
        piece.materialIndex = q == 0 ? 1 : 2;
    }
    LevelPiece& spikes = addCrate(*world, {0, 0, 20});
    spikes.visible = 1;
    spikes.hazardDamage = 5;
    world->lights.lightPositions[0] = Vector3(0, 0, 10);
    world->lights.lightCount = 1;

    const OcclusionQueryEntryPoints* queries = sampleQueries();
    ASSERT_NE(queries, nullptr) << "Mesa counts samples with ARB occlusion queries";
    const OcclusionQueryEntryPoints& gl = *queries;
    GLuint query = 0;
    gl.glGenQueriesARB(1, &query);
    worldMeasurements.shadedFragmentQuery = query;
    std::vector<uint8_t> pictures[2];
    GLuint shaded[2] = {};
    for (int prePass = 0; prePass < 2; ++prePass) {
        worldMeasurements.depthPrePass = prePass == 1;
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        lookFrom({0, 0, 0}, {0, 0, -1});
        world->renderWorld(true);
        gl.glGetQueryObjectuivARB(query, GL_QUERY_RESULT_ARB, &shaded[prePass]);
        pictures[prePass] = readPixelsRgb(0, 0, side, side);
    }
    worldMeasurements.depthPrePass = true;
    worldMeasurements.shadedFragmentQuery = 0;
    gl.glDeleteQueriesARB(1, &query);
    EXPECT_EQ(world->hitPoints, 990) << "the hazard behind the camera hurt in both passes";
    EXPECT_EQ(pictures[0], pictures[1]);
    const auto at = [&](int x, int y, int c) { return pictures[1][(y * side + x) * 3 + c]; };
    EXPECT_GT(at(5, 5, 0), at(5, 5, 1) + 20) << "the wall fills the view to its corners";
    const auto [nx, ny] = project({0, 0, -30});
    const auto [tx, ty] = project({25, 25, -50});
    EXPECT_GT(at(nx, ny, 1), at(nx, ny, 0) + 20) << "the nearer quad covers the wall";
    EXPECT_GT(at(tx, ty, 1), at(tx, ty, 0) + 20) << "equal depth: the later slot wins";
    const GLuint pixels = side * side;
    EXPECT_GT(shaded[0], shaded[1] + pixels / 10) << "without the pre-pass the wall is shaded under the near quad";
    EXPECT_LE(shaded[1], pixels + pixels / 40) << "with it each pixel once, the equal-depth quad twice";
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

// A lit room prop around the camera pushes it out; its own material still
// sees the camera from before the push, a piece after it the pushed one.
TEST_F(WorldGl, EachMaterialSeesTheCameraOfItsSlot)
{
    loadLitMaterials(*world);
    LevelPiece& room = addModel(*world, "Crate", {0, 0, -20}, boxCorners({-30, -30, -30}, {30, 30, 30}, true));
    room.isProp = 1;
    room.visible = 1;
    room.materialIndex = 2;
    std::vector<Vector3> quad;
    addQuad(quad, {0, -20, 0}, {20, -20, 0}, {20, 20, 0}, {0, 20, 0}, {0, 0, 1});
    LevelPiece& after = addModel(*world, "Room01", {0, 0, -40}, quad);
    after.materialIndex = 2;
    world->lights.lightPositions[0] = Vector3(0, 10, 5);  // behind the view: its glow stays out of the picture
    world->lights.lightCount = 1;
    const auto draw = [&](const Vector3& eye, bool roomPushes) {
        const ObjectBox box = room.model.boxes[0];
        if (!roomPushes)
            room.model.boxes[0] = ObjectBox{100, 101, 100, 101, 100, 101};
        positionCamera(world->playerCamera, eye.x, eye.y, eye.z, eye.x, eye.y, eye.z - 10, 0, 1, 0);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        lookFrom({0, 0, 0}, {0, 0, -1});
        world->renderWorld(true);
        room.model.boxes[0] = box;
        return readPixelsRgb(0, 0, side, side);
    };
    const Vector3 eye(-6, 0, 0);
    const std::vector<uint8_t> pushed = draw(eye, true);
    const Vector3 pushedEye = world->playerCamera.position;
    ASSERT_NEAR(pushedEye.x, -6 - pushOutDistance * 6 / std::sqrt(436.0f), 1e-4f);
    const std::vector<uint8_t> roomView = draw(eye, false), afterView = draw(pushedEye, false);
    // Left of the middle only the room shows, columns 140 to 229 of rows 32 to 223 only the quad.
    for (int row = 32; row < 224; row += 8) {
        const size_t start = static_cast<size_t>(row * side) * 3;
        ASSERT_TRUE(std::equal(&pushed[start], &pushed[start + 120 * 3], &roomView[start])) << row;
        ASSERT_TRUE(std::equal(&pushed[start + 140 * 3], &pushed[start + 230 * 3], &afterView[start + 140 * 3])) << row;
    }
    EXPECT_NE(roomView, afterView) << "the push changes the lighting seen";
}
