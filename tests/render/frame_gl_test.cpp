#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/probe.h"
#include "render/postprocess.h"
#include "tests/support/test_support.h"

namespace {

// The stand-in scene: a grey square of the chosen brightness filling the
// view of sceneCamera, and a log of the passes asked for: 'P' for a pre-pass,
// 'S' for a scene pass, in lower case when it would not be shown.
std::string passes;
float sceneGrey = 0.0f;

void greyScene(bool scenePass, bool shown)
{
    passes += static_cast<char>((scenePass ? 'S' : 'P') + (shown ? 0 : 'a' - 'A'));
    if (!scenePass || !shown || sceneGrey <= 0.0f)
        return;
    glDisable(GL_TEXTURE_2D);
    glColor3f(sceneGrey, sceneGrey, sceneGrey);
    glRectf(-100, -100, 100, 100);
}

const Camera sceneCamera{Vector3(0, 0, 10), Vector3(0, 0, 0), Vector3(0, 1, 0)};

void setUpPostProcessingFor(int width, int height)
{
    ensureGlContext(width, height);
    ScopedWorkingDirectory cwd(gameDir());
    setUpPostProcessing();
}

class Frame : public GlTest {
protected:
    void SetUp() override
    {
        GlTest::SetUp();
        ASSERT_TRUE(initShaderExtensions());
        ASSERT_TRUE(glCaps.floatTexturesEnabled) << "Mesa offers GL_ARB_texture_float";
        if (postProcessing.sceneFramebuffer.width != 256 || postProcessing.bloomFramebuffer.width != 32)
            setUpPostProcessingFor(256, 256);
        shaderGl.glUseProgramObjectARB(0);  // set-up leaves its program current
        ASSERT_TRUE(postProcessing.postProcessingEnabled);
        glMatrixMode(GL_PROJECTION);
        gluPerspective(45.0, 1.0, 1.0, 1000.0);
        glMatrixMode(GL_MODELVIEW);
        passes.clear();
        sceneGrey = 0.0f;
        setScenePass(greyScene);
    }
    void TearDown() override
    {
        setScenePass(nullptr);
        shaderGl.glUseProgramObjectARB(0);
        postProcessing.postProcessingEnabled = true;
        glCaps.floatTexturesEnabled = true;
        postProcessing.currentExposure = 1.0f;
        ensureGlContext(256, 256);
    }
    int centreRed() { return pixelAt(128, 128)[0]; }
};

// The framebuffers themselves, on the same context and state.
using FramebufferGl = Frame;

}  // namespace

TEST_F(Frame, SampledBrightnessStepsTheExposure)
{
    const struct {
        float grey, sampled, target, next;
    } cases[] = {{0.0f, 0.0f, 1.5f, 1.005f}, {1.0f, 1.0f, 0.5f, 0.995f}};
    for (const auto& c : cases) {
        sceneGrey = c.grey;
        passes.clear();
        postProcessing.currentExposure = 1.0f;
        renderWorldFrame(sceneCamera);
        EXPECT_EQ(passes, "PSS") << "both images are composed";
        EXPECT_NEAR(postProcessing.sampledColor[1], c.sampled, 1e-2f);
        EXPECT_NEAR(postProcessing.targetExposure, c.target, 1e-2f);
        EXPECT_FLOAT_EQ(postProcessing.currentExposure, c.next);
    }
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
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
    GLint viewport[4] = {}, current = -1;
    glGetIntegerv(GL_VIEWPORT, viewport);
    glGetIntegerv(GL_CURRENT_PROGRAM, &current);
    EXPECT_EQ(std::vector<int>({viewport[2], viewport[3], current}), std::vector<int>({256, 256, 0}));
    multitexture.glActiveTexture(GL_TEXTURE0);
}

TEST_F(Frame, WithoutPostProcessingTheSceneGoesStraightToTheWindow)
{
    sceneGrey = 0.4f;
    for (int mode = 0; mode < 2; ++mode) {
        // Declined by the user, or no float textures: the same frame either way.
        postProcessing.postProcessingEnabled = mode != 0;
        glCaps.floatTexturesEnabled = mode == 0;
        postProcessing.sampledColor[0] = 0.25f;
        passes.clear();
        renderWorldFrame(sceneCamera);
        EXPECT_EQ(passes, "PsS") << "the first scene pass would be cleared";
        EXPECT_EQ(postProcessing.currentExposure, 1.0f);
        EXPECT_EQ(postProcessing.sampledColor[0], 0.25f) << "no pixel is read";
        EXPECT_NEAR(centreRed(), 102, 2);
    }
    setScenePass(nullptr);
    passes.clear();
    renderWorldFrame(sceneCamera);
    EXPECT_TRUE(passes.empty());
}

TEST_F(FramebufferGl, BloomIsAnEighthOfTheWindow)
{
    setUpPostProcessingFor(1023, 767);
    const auto sizes = [] {
        const PostProcessing& p = postProcessing;
        return std::vector<int>{p.sceneFramebuffer.width, p.sceneFramebuffer.height, p.bloomFramebuffer.width,
                                p.bloomFramebuffer.height};
    };
    EXPECT_EQ(sizes(), (std::vector<int>{1023, 767, 127, 95}));
    EXPECT_NE(postProcessing.hdrTextureLocation, -1);
    EXPECT_NE(postProcessing.bloomTextureLocation, -1);

    // A tiny window: an empty bloom picture, and the frame still draws.
    postProcessing.postProcessingEnabled = false;
    setUpPostProcessingFor(7, 5);
    EXPECT_TRUE(postProcessing.postProcessingEnabled);
    EXPECT_EQ(sizes(), (std::vector<int>{7, 5, 0, 0}));
    sceneGrey = 1.0f;
    renderWorldFrame(sceneCamera);
    EXPECT_EQ(passes.size(), 3u);
    while (glGetError() != GL_NO_ERROR) {
    }
}

// What is drawn between begin and end reaching the picture is proven by the frame tests above.
TEST_F(FramebufferGl, BeginClearsWithTransparentBlackAndEndKeepsTheViewport)
{
    Framebuffer target;
    ASSERT_TRUE(target.create(64, 32, GL_RGBA, GL_FLOAT, GL_LINEAR));
    EXPECT_NE(target.framebuffer * target.depthRenderbuffer, 0u);
    glClearColor(0.2f, 0.4f, 0.6f, 0.8f);
    EXPECT_TRUE(target.begin());
    EXPECT_TRUE(target.end());
    GLint viewport[4] = {};
    glGetIntegerv(GL_VIEWPORT, viewport);
    GLfloat clear[4] = {1, 1, 1, 1};
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
    EXPECT_EQ(std::vector<float>({clear[0], clear[3], float(viewport[2]), float(viewport[3])}),
              std::vector<float>({0, 0, 64, 32})) << "the clear colour stays for later clears";
    std::vector<float> texels(64 * 32 * 4, 1.0f);
    glBindTexture(GL_TEXTURE_2D, target.colorTexture);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_FLOAT, texels.data());
    EXPECT_EQ(texels, std::vector<float>(64 * 32 * 4, 0.0f)) << "cleared to transparent black";
    glViewport(0, 0, 256, 256);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

namespace {

GLenum APIENTRY unsupportedStatus(GLenum)
{
    return GL_FRAMEBUFFER_UNSUPPORTED_EXT;
}

}  // namespace

TEST_F(FramebufferGl, UnsupportedConfigurationIsReportedAndPostProcessingStaysOff)
{
    BoxRecorder boxes;
    framebufferLookup = [](const char* name) {
        return std::string(name) == "glCheckFramebufferStatusEXT" ? reinterpret_cast<void*>(unsupportedStatus)
                                                                   : getGlProcAddress(name);
    };
    Framebuffer target;
    EXPECT_FALSE(target.create(64, 64, GL_RGBA, GL_FLOAT, GL_LINEAR));
    EXPECT_NE(target.framebuffer, 0u) << "the names made before the check remain";
    EXPECT_EQ(target.colorTexture, 0u);
    const ExpectedBox box{"Cannot find support for FBO's Shutting Down", "Error", MB_OK | MB_ICONINFORMATION,
                          BoxOwner::GameWindow};
    expectBoxes(boxes, {box});
    // Both framebuffers failing leave post-processing off.
    boxes.clear();
    postProcessing.postProcessingEnabled = false;
    setUpPostProcessingFor(256, 256);
    EXPECT_FALSE(postProcessing.postProcessingEnabled);
    expectBoxes(boxes, {box, box});
    framebufferLookup = getGlProcAddress;
    postProcessing.sceneFramebuffer = Framebuffer();
    postProcessing.bloomFramebuffer = Framebuffer();
}
