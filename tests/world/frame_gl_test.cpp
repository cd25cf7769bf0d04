#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "render/capabilities.h"
#include "render/meshlist.h"
#include "render/opengl.h"
#include "render/postprocess.h"
#include "render/shader.h"
#include "tests/support/test_support.h"
#include "tests/world/world_fixtures.h"
#include "world/frame.h"

namespace {

// A level of one wall filling the view of the player camera (at the origin,
// looking along -z) and a burning crate in front of it, all drawn without
// material programs in the current colour; post-processing set up for the
// 256 x 256 window.
class Frame : public GlTest {
protected:
    void SetUp() override
    {
        GlTest::SetUp();
        if (IsSkipped())
            return;
        ASSERT_TRUE(initShaderExtensions());
        ASSERT_TRUE(glCaps.floatTexturesEnabled) << "Mesa offers GL_ARB_texture_float";
        if (postProcessing.sceneFramebuffer.width != 256 || postProcessing.bloomFramebuffer.width != 32)
            setUpFor(256, 256);
        shaderGl.glUseProgramObjectARB(0);  // set-up leaves its program current
        ASSERT_TRUE(postProcessing.postProcessingEnabled);
        glMatrixMode(GL_PROJECTION);
        gluPerspective(45.0, 1.0, 1.0, 1000.0);
        glMatrixMode(GL_MODELVIEW);

        world = freshWorld(1000);
        world->materials[0].shading = 2;  // no lighting program: fixed function in the current colour
        std::vector<Vector3> wall;
        addQuad(wall, {-500, -500, 0}, {500, -500, 0}, {500, 500, 0}, {-500, 500, 0}, {0, 0, 1});
        addPiece("Room01", {0, 0, -100}, wall);
        crate = &addPiece("Crate", {0, 0, -20}, boxCorners({-2, -2, -2}, {2, 2, 2}, false));
        crate->model.computeObjectBoxes(2.5f);
        crate->hazardDamage = 3;
        positionCamera(world->playerCamera, 0, 0, 0, 0, 0, -1, 0, 1, 0);
    }
    void TearDown() override
    {
        if (world)
            releaseWorld(*world);
        shaderGl.glUseProgramObjectARB(0);
        postProcessing.postProcessingEnabled = true;
        glCaps.floatTexturesEnabled = true;
        postProcessing.currentExposure = 1.0f;
        ensureGlContext(256, 256);
    }

    static void setUpFor(int width, int height)
    {
        ensureGlContext(width, height);
        ScopedWorkingDirectory cwd(gameDir());
        setUpPostProcessing();
    }
    LevelPiece& addPiece(const char* name, const Vector3& position, const std::vector<Vector3>& corners)
    {
        LevelPiece& piece = place(*world, name, position);
        piece.model = trianglesModel(corners);
        buildDisplayList(piece.model, 1.0f, false);
        return piece;
    }
    // One frame of play in the given grey.
    void drawFrame(float grey)
    {
        glColor3f(grey, grey, grey);
        renderWorldFrame(*world, world->playerCamera);
    }
    int centreRed() { return pixelAt(128, 128)[0]; }

    std::unique_ptr<World> world;
    LevelPiece* crate = nullptr;
};

}  // namespace

TEST_F(Frame, SampledBrightnessStepsTheExposureAndBothScenePassesApplyTheirRules)
{
    const struct {
        float grey, sampled, target, next;
    } cases[] = {{0.0f, 0.0f, 1.5f, 1.005f}, {1.0f, 1.0f, 0.5f, 0.995f}};
    for (const auto& c : cases) {
        postProcessing.currentExposure = 1.0f;
        const int before = world->hitPoints;
        drawFrame(c.grey);
        // The crate's test saw this frame's depth, not the composing quad's.
        EXPECT_EQ(crate->visible, 1);
        EXPECT_EQ(world->hitPoints, before - 6) << "the crate burns in both scene passes";
        EXPECT_NEAR(postProcessing.sampledColor[1], c.sampled, 1e-2f);
        EXPECT_NEAR(postProcessing.targetExposure, c.target, 1e-2f);
        EXPECT_FLOAT_EQ(postProcessing.currentExposure, c.next);
    }
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(Frame, ExposureBrightensTheComposedPicture)
{
    postProcessing.currentExposure = 0.5f;
    drawFrame(0.4f);
    const int dark = centreRed();
    postProcessing.currentExposure = 1.5f;
    drawFrame(0.4f);
    const int bright = centreRed();
    EXPECT_GT(dark, 20);
    EXPECT_GT(bright, dark + 40);
    EXPECT_LT(bright, 250);
    drawFrame(0.0f);
    EXPECT_LT(centreRed(), 3) << "black stays black at any exposure";
    GLint viewport[4] = {}, current = -1;
    glGetIntegerv(GL_VIEWPORT, viewport);
    glGetIntegerv(GL_CURRENT_PROGRAM, &current);
    EXPECT_EQ(std::vector<int>({viewport[2], viewport[3], current}), std::vector<int>({256, 256, 0}));
    multitexture.glActiveTexture(GL_TEXTURE0);
}

TEST_F(Frame, WithoutPostProcessingTheSceneGoesStraightToTheWindow)
{
    for (int mode = 0; mode < 2; ++mode) {
        // Declined by the user, or no float textures: the same frame either way.
        postProcessing.postProcessingEnabled = mode != 0;
        glCaps.floatTexturesEnabled = mode == 0;
        postProcessing.sampledColor[0] = 0.25f;
        const int before = world->hitPoints;
        drawFrame(0.4f);
        EXPECT_EQ(world->hitPoints, before - 6) << "the cleared first scene pass still applies its rules";
        EXPECT_EQ(crate->visible, 1);
        EXPECT_EQ(postProcessing.currentExposure, 1.0f);
        EXPECT_EQ(postProcessing.sampledColor[0], 0.25f) << "no pixel is read";
        EXPECT_NEAR(centreRed(), 102, 2);
        EXPECT_NEAR(pixelAt(10, 10)[0], 102, 2) << "the wall around the crate";
    }
}

TEST_F(Frame, ATinyWindowHasAnEmptyBloomImageAndStillDraws)
{
    postProcessing.postProcessingEnabled = false;
    setUpFor(7, 5);
    EXPECT_TRUE(postProcessing.postProcessingEnabled);
    EXPECT_EQ(postProcessing.bloomFramebuffer.width + postProcessing.bloomFramebuffer.height, 0);
    const int before = world->hitPoints;
    drawFrame(1.0f);
    EXPECT_EQ(world->hitPoints, before - 6);
    while (glGetError() != GL_NO_ERROR) {
    }
}
