#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "app/config.h"
#include "app/probe.h"
#include "render/postprocess.h"
#include "tests/support/test_support.h"

namespace {

std::string sourceDir()
{
    const char* dir = std::getenv("PLEMOX_SOURCE_DIR");
    return dir ? dir : gameDir();
}

// The stand-in scene: a grey square of the chosen brightness filling the
// view of sceneCamera, and a log of the passes asked for and of whether each
// would be shown.
std::vector<bool> passes;
std::vector<bool> shownPasses;
float sceneGrey = 0.0f;

void greyScene(bool scenePass, bool shown)
{
    passes.push_back(scenePass);
    shownPasses.push_back(shown);
    if (!scenePass || !shown || sceneGrey <= 0.0f)
        return;
    glDisable(GL_TEXTURE_2D);
    glColor3f(sceneGrey, sceneGrey, sceneGrey);
    glBegin(GL_QUADS);
    glVertex3f(-100, -100, 0);
    glVertex3f(100, -100, 0);
    glVertex3f(100, 100, 0);
    glVertex3f(-100, 100, 0);
    glEnd();
}

const Camera sceneCamera{Vector3(0, 0, 10), Vector3(0, 0, 0), Vector3(0, 1, 0)};

class Frame : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(ensureGlContext(256, 256));
        probeGlCapabilities();
        ASSERT_TRUE(initShaderExtensions());
        ASSERT_TRUE(glCaps.floatTexturesEnabled) << "Mesa offers GL_ARB_texture_float";
        if (postProcessing.sceneFramebuffer.width != 256 ||
            postProcessing.bloomFramebuffer.width != 32) {
            ScopedWorkingDirectory cwd(sourceDir());
            setUpPostProcessing();
        }
        ASSERT_TRUE(postProcessing.postProcessingEnabled);
        glEnable(GL_DEPTH_TEST);
        glDepthFunc(GL_LEQUAL);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        gluPerspective(45.0, 1.0, 1.0, 1000.0);
        glMatrixMode(GL_MODELVIEW);
        passes.clear();
        shownPasses.clear();
        sceneGrey = 0.0f;
        setScenePass(greyScene);
    }
    void TearDown() override
    {
        setScenePass(nullptr);
        postProcessing.postProcessingEnabled = true;
        glCaps.floatTexturesEnabled = true;
        postProcessing.currentExposure = 1.0f;
    }

    int centreRed()
    {
        return readPixelsRgb(128, 128, 1, 1)[0];
    }
};

}  // namespace

TEST_F(Frame, BlackSceneRaisesTheExposure)
{
    postProcessing.currentExposure = 1.0f;
    renderWorldFrame(sceneCamera);
    EXPECT_EQ(passes, (std::vector<bool>{false, true, true}));
    EXPECT_EQ(shownPasses, (std::vector<bool>{true, true, true})) << "both images are composed";
    EXPECT_NEAR(postProcessing.sampledColor[0], 0.0f, 1e-3f);
    EXPECT_NEAR(postProcessing.targetExposure, 1.5f, 1e-3f);
    EXPECT_FLOAT_EQ(postProcessing.currentExposure, 1.005f);
    renderWorldFrame(sceneCamera);
    EXPECT_FLOAT_EQ(postProcessing.currentExposure, 1.01f);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(Frame, WhiteSceneLowersTheExposure)
{
    sceneGrey = 1.0f;
    postProcessing.currentExposure = 1.0f;
    renderWorldFrame(sceneCamera);
    EXPECT_NEAR(postProcessing.sampledColor[1], 1.0f, 1e-2f);
    EXPECT_NEAR(postProcessing.targetExposure, 0.5f, 1e-2f);
    EXPECT_FLOAT_EQ(postProcessing.currentExposure, 0.995f);
}

TEST_F(Frame, ExposureBrightensTheComposedPicture)
{
    sceneGrey = 0.4f;
    postProcessing.currentExposure = 0.5f;
    renderWorldFrame(sceneCamera);
    const int dark = centreRed();
    postProcessing.currentExposure = 1.5f;
    renderWorldFrame(sceneCamera);
    const int bright = centreRed();
    EXPECT_GT(dark, 20);
    EXPECT_GT(bright, dark + 40);
    EXPECT_LT(bright, 250);

    sceneGrey = 0.0f;
    renderWorldFrame(sceneCamera);
    EXPECT_LT(centreRed(), 3) << "black stays black at any exposure";

    GLint viewport[4] = {};
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], 256);
    EXPECT_EQ(viewport[3], 256);
    GLint current = -1;
    glGetIntegerv(GL_CURRENT_PROGRAM, &current);
    EXPECT_EQ(current, 0);
    multitexture.glActiveTexture(GL_TEXTURE0);
}

TEST_F(Frame, WithoutPostProcessingTheSceneGoesStraightToTheWindow)
{
    sceneGrey = 0.4f;
    for (int mode = 0; mode < 2; ++mode) {
        // Declined by the user, or no float textures: the same frame either way.
        postProcessing.postProcessingEnabled = mode != 0;
        glCaps.floatTexturesEnabled = mode == 0;
        postProcessing.currentExposure = 1.0f;
        postProcessing.sampledColor[0] = 0.25f;
        passes.clear();
        shownPasses.clear();
        renderWorldFrame(sceneCamera);
        EXPECT_EQ(passes, (std::vector<bool>{false, true, true}));
        EXPECT_EQ(shownPasses, (std::vector<bool>{true, false, true})) << "the first pass would be cleared";
        EXPECT_EQ(postProcessing.currentExposure, 1.0f);
        EXPECT_EQ(postProcessing.sampledColor[0], 0.25f) << "no pixel is read";
        EXPECT_NEAR(centreRed(), 102, 2);
    }
}

TEST_F(Frame, WithoutAScenePassNothingIsDrawn)
{
    setScenePass(nullptr);
    renderWorldFrame(sceneCamera);
    EXPECT_TRUE(passes.empty());
    EXPECT_LT(centreRed(), 3);
}

TEST(FramebufferGl, BloomIsAnEighthOfTheWindow)
{
    ASSERT_TRUE(ensureGlContext(256, 256));
    probeGlCapabilities();
    initShaderExtensions();
    ensureGlContext(1023, 767);
    {
        ScopedWorkingDirectory cwd(sourceDir());
        setUpPostProcessing();
    }
    EXPECT_EQ(postProcessing.sceneFramebuffer.width, 1023);
    EXPECT_EQ(postProcessing.sceneFramebuffer.height, 767);
    EXPECT_EQ(postProcessing.bloomFramebuffer.width, 127);
    EXPECT_EQ(postProcessing.bloomFramebuffer.height, 95);
    EXPECT_NE(postProcessing.hdrTextureLocation, -1);
    EXPECT_NE(postProcessing.bloomTextureLocation, -1);
    GLint width = 0;
    GLint height = 0;
    glBindTexture(GL_TEXTURE_2D, postProcessing.bloomFramebuffer.colorTexture);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &height);
    EXPECT_EQ(width, 127);
    EXPECT_EQ(height, 95);
    GLint filter = 0;
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &filter);
    EXPECT_EQ(filter, GL_LINEAR);
    shaderGl.glUseProgramObjectARB(0);
    ensureGlContext(256, 256);
}

TEST(FramebufferGl, TinyWindowGivesAnEmptyBloomImageAndStillDraws)
{
    ASSERT_TRUE(ensureGlContext(256, 256));
    probeGlCapabilities();
    initShaderExtensions();
    ensureGlContext(7, 5);
    postProcessing.postProcessingEnabled = false;
    {
        ScopedWorkingDirectory cwd(sourceDir());
        setUpPostProcessing();
    }
    EXPECT_TRUE(postProcessing.postProcessingEnabled);
    EXPECT_EQ(postProcessing.bloomFramebuffer.width, 0);
    EXPECT_EQ(postProcessing.bloomFramebuffer.height, 0);

    Framebuffer empty;
    EXPECT_TRUE(empty.create(0, 0, GL_RGBA, GL_FLOAT, GL_LINEAR));
    EXPECT_TRUE(empty.begin());
    EXPECT_TRUE(empty.end());

    setScenePass(greyScene);
    sceneGrey = 1.0f;
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(45.0, 1.0, 1.0, 1000.0);
    glMatrixMode(GL_MODELVIEW);
    renderWorldFrame(sceneCamera);
    setScenePass(nullptr);
    shaderGl.glUseProgramObjectARB(0);
    while (glGetError() != GL_NO_ERROR) {
    }
    ensureGlContext(256, 256);
}

TEST(FramebufferGl, BeginClearsWithTransparentBlackAndEndKeepsTheViewport)
{
    ASSERT_TRUE(ensureGlContext(256, 256));
    probeGlCapabilities();
    Framebuffer target;
    ASSERT_TRUE(target.create(64, 32, GL_RGBA, GL_FLOAT, GL_LINEAR));
    EXPECT_EQ(target.width, 64);
    EXPECT_NE(target.framebuffer, 0u);
    EXPECT_NE(target.depthRenderbuffer, 0u);
    EXPECT_NE(target.colorTexture, 0u);

    glClearColor(0.2f, 0.4f, 0.6f, 0.8f);
    EXPECT_TRUE(target.begin());
    GLfloat clear[4] = {1, 1, 1, 1};
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
    EXPECT_EQ(clear[0], 0.0f);
    EXPECT_EQ(clear[3], 0.0f);

    // What is drawn between begin and end lands in the colour texture.
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glColor3f(0.0f, 1.0f, 0.0f);
    glBegin(GL_QUADS);
    glVertex2f(-1, -1);
    glVertex2f(1, -1);
    glVertex2f(1, 1);
    glVertex2f(-1, 1);
    glEnd();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    EXPECT_TRUE(target.end());

    GLint viewport[4] = {};
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[0], 0);
    EXPECT_EQ(viewport[2], 64);
    EXPECT_EQ(viewport[3], 32);
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
    EXPECT_EQ(clear[0], 0.0f) << "the clear colour stays for later clears";

    std::vector<float> texels(64 * 32 * 4);
    glBindTexture(GL_TEXTURE_2D, target.colorTexture);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_FLOAT, texels.data());
    EXPECT_NEAR(texels[(16 * 64 + 32) * 4 + 0], 0.0f, 0.01f);
    EXPECT_NEAR(texels[(16 * 64 + 32) * 4 + 1], 1.0f, 0.01f);
    glViewport(0, 0, 256, 256);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

namespace {

GLenum APIENTRY unsupportedStatus(GLenum)
{
    return GL_FRAMEBUFFER_UNSUPPORTED_EXT;
}

void* lookupReportingUnsupported(const char* name)
{
    if (std::string(name) == "glCheckFramebufferStatusEXT")
        return reinterpret_cast<void*>(unsupportedStatus);
    return getGlProcAddress(name);
}

}  // namespace

TEST(FramebufferGl, UnsupportedConfigurationIsReportedAndPostProcessingStaysOff)
{
    ASSERT_TRUE(ensureGlContext(256, 256));
    probeGlCapabilities();
    BoxRecorder boxes;
    framebufferLookup = lookupReportingUnsupported;
    Framebuffer target;
    EXPECT_FALSE(target.create(64, 64, GL_RGBA, GL_FLOAT, GL_LINEAR));
    EXPECT_EQ(target.width, 64);
    EXPECT_NE(target.framebuffer, 0u) << "the names made before the check remain";
    EXPECT_EQ(target.colorTexture, 0u);
    ASSERT_EQ(boxes.boxes().size(), 1u);
    EXPECT_EQ(boxes.boxes()[0].text, "Cannot find support for FBO's Shutting Down");
    EXPECT_EQ(boxes.boxes()[0].caption, "Error");
    EXPECT_EQ(boxes.boxes()[0].type, static_cast<unsigned>(MB_OK | MB_ICONINFORMATION));
    EXPECT_EQ(boxes.boxes()[0].owner, BoxOwner::GameWindow);

    // Both framebuffers failing leave post-processing off.
    boxes.clear();
    postProcessing.postProcessingEnabled = false;
    {
        ScopedWorkingDirectory cwd(sourceDir());
        setUpPostProcessing();
    }
    EXPECT_FALSE(postProcessing.postProcessingEnabled);
    EXPECT_EQ(boxes.boxes().size(), 2u);
    framebufferLookup = getGlProcAddress;
    shaderGl.glUseProgramObjectARB(0);
    postProcessing.sceneFramebuffer = Framebuffer();
    postProcessing.bloomFramebuffer = Framebuffer();
}
