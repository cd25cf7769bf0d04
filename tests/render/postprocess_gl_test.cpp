#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/probe.h"
#include "render/postprocess.h"
#include "tests/support/test_support.h"

namespace {

void setUpPostProcessingFor(int width, int height)
{
    ensureGlContext(width, height);
    ScopedWorkingDirectory cwd(gameDir());
    setUpPostProcessing();
}

// The post-processing set-up and its framebuffers on a 256 x 256 window.
class FramebufferGl : public GlTest {
protected:
    void TearDown() override
    {
        shaderGl.glUseProgramObjectARB(0);
        postProcessing.postProcessingEnabled = true;
        ensureGlContext(256, 256);
    }
};

}  // namespace

TEST_F(FramebufferGl, BloomIsAnEighthOfTheWindow)
{
    ASSERT_TRUE(initShaderExtensions());
    setUpPostProcessingFor(1023, 767);
    const PostProcessing& p = postProcessing;
    EXPECT_EQ((std::vector<int>{p.sceneFramebuffer.width, p.sceneFramebuffer.height, p.bloomFramebuffer.width,
                                p.bloomFramebuffer.height}),
              (std::vector<int>{1023, 767, 127, 95}));
    EXPECT_NE(postProcessing.hdrTextureLocation, -1);
    EXPECT_NE(postProcessing.bloomTextureLocation, -1);
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
