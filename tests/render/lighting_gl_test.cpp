#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/probe.h"
#include "assets/writers.h"
#include "render/material.h"
#include "tests/support/test_support.h"

namespace {

class Lighting : public GlTest {
protected:
    void SetUp() override
    {
        GlTest::SetUp();
        ASSERT_TRUE(initShaderExtensions());
    }
    void TearDown() override
    {
        shaderGl.glUseProgramObjectARB(0);
        multitexture.glActiveTexture(GL_TEXTURE0);
    }
};
using ShaderSources = Lighting;
using MaterialGl = Lighting;

// A lit, textured quad: the material's maps on a 200 x 200 square in the z = 0
// plane facing +z, seen straight on through an orthographic projection that
// maps it onto the whole 256 x 256 window. Returns the picture.
std::vector<uint8_t> renderLitQuad(int shading, float specular)
{
    const std::string dir = makeScratchDir("lighting");
    std::string text = "_SHADING " + std::to_string(shading) + "\n_SHININESS 32\n_TILING 1\n";
    const struct {
        const char *key, *file;
        float value[3];
    } maps[] = {{"_DIFFUSE_MAP", "d", {0.4f, 0.4f, 0.4f}}, {"_NORMAL_MAP", "n", {0.5f, 0.5f, 1.0f}},
                {"_HEIGHT_MAP", "h", {0.5f, 0.5f, 0.5f}}, {"_SPECULAR_MAP", "s", {specular, specular, specular}}};
    for (const auto& m : maps) {  // 16 x 16 Radiance pictures of one colour each
        std::vector<float> rgb;
        for (int i = 0; i < 16 * 16; ++i)
            rgb.insert(rgb.end(), m.value, m.value + 3);
        writeFile(dir + "/" + m.file + ".hdr", writeRgbe(16, 16, rgb));
        text += std::string(m.key) + " " + dir + "/" + m.file + ".hdr\n";
    }
    writeFile(dir + "/quad.plemoxmat", text);
    Material material;
    {
        ScopedWorkingDirectory cwd(gameDir());
        material.load(dir + "/quad.plemoxmat");
    }
    EXPECT_NE(material.diffuseTexture * material.program.program, 0u);
    glDisable(GL_DEPTH_TEST);
    glClear(GL_COLOR_BUFFER_BIT);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-100, 100, -100, 100, -500, 500);
    glMatrixMode(GL_MODELVIEW);
    // The light hangs 40 units over x = -60; the camera 200 units over the centre.
    material.bind(Vector3(-60, 0, 40), Camera{Vector3(0, 0, 200), Vector3(0, 0, 0), Vector3(0, 1, 0)});
    const float corners[4][2] = {{-100, -100}, {100, -100}, {100, 100}, {-100, 100}};
    glBegin(GL_QUADS);
    for (const auto& corner : corners) {
        const float u = (corner[0] + 100) / 200, v = (corner[1] + 100) / 200;
        glColor3f(1, 0, 0);
        glNormal3f(0, 0, 1);
        for (int unit = 0; unit < 4; ++unit)
            multitexture.glMultiTexCoord2f(GL_TEXTURE0 + unit, u, v);
        glVertex3f(corner[0], corner[1], 0);
    }
    glEnd();
    material.unbind();
    material.release();
    return readPixelsRgb(0, 0, 256, 256);
}

// Mean red over a 5 x 5 block around the window pixel under quad point (x, y).
double around(const std::vector<uint8_t>& rgb, float x, float y)
{
    const int px = static_cast<int>((x + 100) / 200 * 256), py = static_cast<int>((y + 100) / 200 * 256);
    double sum = 0;
    for (int dy = -2; dy <= 2; ++dy)
        for (int dx = -2; dx <= 2; ++dx)
            sum += rgb[(static_cast<size_t>(std::clamp(py + dy, 0, 255)) * 256 + std::clamp(px + dx, 0, 255)) * 3];
    return sum / 25;
}

}  // namespace

TEST_F(ShaderSources, BrokenOrMissingShaderGivesAProgramWithoutUniforms)
{
    const std::string dir = makeScratchDir("broken");
    writeFile(dir + "/broken.vert", "#version 110\nvoid main() { gl_Position = ; }\n");
    ShaderProgram broken;
    broken.load(dir + "/broken.vert", dir + "/missing.frag");
    EXPECT_NE(broken.program, 0u);
    EXPECT_EQ(broken.getUniformLocation("light"), -1);
    // An empty path leaves the program as it was.
    const unsigned before = broken.program;
    broken.load("", dir + "/broken.vert");
    EXPECT_EQ(broken.program, before);
    broken.release();
    broken.release();
    EXPECT_EQ(broken.program, 0u);
    while (glGetError() != GL_NO_ERROR) {
    }
}

TEST_F(MaterialGl, ProgramFollowsTheShadingKey)
{
    const std::string dir = makeScratchDir("materials");
    writeFile(dir + "/phong.plemoxmat", "_SHADING 1\n");
    writeFile(dir + "/empty.plemoxmat", "");
    writeFile(dir + "/none.plemoxmat", "_SHADING 2\n_DIFFUSE_MAP " + dir + "/missing.hdr\n");
    ScopedWorkingDirectory cwd(gameDir());
    BoxRecorder boxes;
    Material phong, blinn, none;
    phong.load(dir + "/phong.plemoxmat");
    blinn.load(dir + "/empty.plemoxmat");
    none.load(dir + "/none.plemoxmat");
    expectBoxes(boxes, {});
    // Each shading its own program and map locations; another shading none.
    EXPECT_NE(phong.program.getUniformLocation("parallaxSize"), -1);
    EXPECT_EQ(phong.program.getUniformLocation("parallaxX"), -1);
    EXPECT_NE(blinn.program.getUniformLocation("parallaxX"), -1);
    for (const Material* m : {&phong, &blinn})
        for (int location : {m->diffuseMapLocation, m->normalsMapLocation, m->heightMapLocation, m->specularMapLocation})
            EXPECT_NE(location, -1);
    EXPECT_EQ(none.program.program, 0u);
    EXPECT_EQ(none.diffuseMapLocation, -1);
    EXPECT_EQ(none.diffuseTexture + phong.diffuseTexture, 0u) << "a missing map leaves the texture 0";
    GLint current = -1;
    phong.bind(Vector3(), Camera());
    phong.unbind();
    glGetIntegerv(GL_CURRENT_PROGRAM, &current);
    EXPECT_EQ(current, 0) << "unbind leaves no program current";
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(MaterialGl, BothShadingsLightAQuadWithFalloffAndHighlight)
{
    for (int shading : {BlinnShading, PhongShading}) {
        SCOPED_TRACE(shading == BlinnShading ? "Blinn" : "Phong");
        const auto shiny = renderLitQuad(shading, 1.0f);
        const auto matte = renderLitQuad(shading, 0.0f);
        // The light falls off: bright under the light, dim far away, never dark.
        EXPECT_GT(around(matte, -60, 0), 110);
        EXPECT_LT(around(matte, 90, 0), 40);
        EXPECT_GT(around(matte, -60, 0), around(matte, 0, 0) + 20);
        EXPECT_GT(around(matte, 0, 0), around(matte, 90, 0) + 20);
        EXPECT_GT(around(matte, 98, 98), 20) << "far from the light, rock still reads";
        // The same light falls off the same way in every direction on the plane.
        EXPECT_NEAR(around(matte, -60, 50), around(matte, -60, -50), 3);
        // The highlight sits at the mirror point between light and camera
        // (x = -50) and is gone far from it.
        EXPECT_GT(around(shiny, -50, 0) - around(matte, -50, 0), 60);
        EXPECT_LT(around(shiny, 90, 0) - around(matte, 90, 0), 6);
        EXPECT_LT(around(shiny, -50, 80) - around(matte, -50, 80), around(shiny, -50, 0) - around(matte, -50, 0));
    }
}
