#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/probe.h"
#include "assets/writers.h"
#include "render/material.h"
#include "tests/support/test_support.h"

namespace {

std::string sourceDir()
{
    const char* dir = std::getenv("PLEMOX_SOURCE_DIR");
    return dir ? dir : gameDir();
}

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

// The compile or link log and status of a shader object, which the game never reads.
std::string problems(GLhandleARB object, GLenum status)
{
    static const auto getParameter = reinterpret_cast<PFNGLGETOBJECTPARAMETERIVARBPROC>(getGlProcAddress("glGetObjectParameterivARB"));
    static const auto getInfoLog = reinterpret_cast<PFNGLGETINFOLOGARBPROC>(getGlProcAddress("glGetInfoLogARB"));
    GLint ok = 0, length = 0;
    getParameter(object, status, &ok);
    getParameter(object, GL_OBJECT_INFO_LOG_LENGTH_ARB, &length);
    std::string log(static_cast<size_t>(length) + 1, '\0');
    GLsizei written = 0;
    getInfoLog(object, length + 1, &written, &log[0]);
    log.resize(static_cast<size_t>(written));
    std::string lower = log;
    std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    const bool clean = ok == 1 && lower.find("warning") == std::string::npos && lower.find("error") == std::string::npos;
    return clean ? "" : log + " (status " + std::to_string(ok) + ")";
}

// A 16 x 16 Radiance picture of one colour.
std::string uniformRgbe(float red, float green, float blue)
{
    std::vector<float> rgb;
    for (int i = 0; i < 16 * 16; ++i)
        rgb.insert(rgb.end(), {red, green, blue});
    return writeRgbe(16, 16, rgb);
}

// A lit, textured quad: the material's maps on a 200 x 200 square in the z = 0
// plane facing +z, seen straight on through an orthographic projection that
// maps it onto the whole 256 x 256 window. Returns the red channel.
std::vector<int> renderLitQuad(int shading, float specular)
{
    const std::string dir = makeScratchDir("lighting");
    writeFile(dir + "/diffuse.hdr", uniformRgbe(0.8f, 0.8f, 0.8f));
    writeFile(dir + "/normal.hdr", uniformRgbe(0.5f, 0.5f, 1.0f));
    writeFile(dir + "/height.hdr", uniformRgbe(0.5f, 0.5f, 0.5f));
    writeFile(dir + "/specular.hdr", uniformRgbe(specular, specular, specular));
    writeFile(dir + "/quad.plemoxmat", "_SHADING " + std::to_string(shading) + "\n_DIFFUSE_MAP " + dir +
                                           "/diffuse.hdr\n_NORMAL_MAP " + dir + "/normal.hdr\n_HEIGHT_MAP " + dir +
                                           "/height.hdr\n_SPECULAR_MAP " + dir + "/specular.hdr\n_SHININESS 32\n_TILING 1\n");
    Material material;
    {
        ScopedWorkingDirectory cwd(sourceDir());
        material.load(dir + "/quad.plemoxmat");
    }
    EXPECT_NE(material.diffuseTexture, 0u);
    EXPECT_NE(material.program.program, 0u);
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
    const std::vector<uint8_t> rgb = readPixelsRgb(0, 0, 256, 256);
    std::vector<int> red(256 * 256);
    for (size_t i = 0; i < red.size(); ++i)
        red[i] = rgb[i * 3];
    material.release();
    return red;
}

// Mean red over a 5 x 5 block around the window pixel under quad point (x, y).
double around(const std::vector<int>& red, float x, float y)
{
    const int px = static_cast<int>((x + 100) / 200 * 256), py = static_cast<int>((y + 100) / 200 * 256);
    double sum = 0;
    for (int dy = -2; dy <= 2; ++dy)
        for (int dx = -2; dx <= 2; ++dx)
            sum += red[static_cast<size_t>(std::clamp(py + dy, 0, 255)) * 256 + std::clamp(px + dx, 0, 255)];
    return sum / 25;
}

}  // namespace

TEST_F(ShaderSources, AllThreeProgramsBuildCleanlyWithTheirUniforms)
{
    ScopedWorkingDirectory cwd(sourceDir());
    const std::vector<const char*> lighting = {"diffuseMap", "normalsMap", "heightMap", "specularMap",
                                               "shininess", "tiling", "light", "camera"};
    const struct {
        const char* name;
        bool lit;
        std::vector<const char*> uniforms;
    } programs[] = {{"Blinn", true, {"parallaxX", "parallaxY", "offset"}},
                    {"Phong", true, {"parallaxSize", "parallaxBias"}},
                    {"Post", false, {"hdrTexture", "bloomTexture", "exposure"}}};
    for (const auto& p : programs) {
        ShaderProgram program;
        const std::string base = std::string("Data/Shaders/") + p.name;
        program.load(base + ".vert", base + ".frag");
        ASSERT_NE(program.program, 0u) << p.name;
        EXPECT_EQ(problems(program.vertexShader, GL_OBJECT_COMPILE_STATUS_ARB), "") << p.name;
        EXPECT_EQ(problems(program.fragmentShader, GL_OBJECT_COMPILE_STATUS_ARB), "") << p.name;
        EXPECT_EQ(problems(program.program, GL_OBJECT_LINK_STATUS_ARB), "") << p.name;
        std::vector<const char*> names = p.uniforms;
        if (p.lit)
            names.insert(names.end(), lighting.begin(), lighting.end());
        for (const char* name : names)
            EXPECT_NE(program.getUniformLocation(name), -1) << p.name << " " << name;
        GLint current = 0;
        glGetIntegerv(GL_CURRENT_PROGRAM, &current);
        EXPECT_EQ(static_cast<unsigned>(current), program.program) << "load leaves the program current";
    }
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

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
    EXPECT_EQ(broken.getUniformLocation("light"), -1);
    while (glGetError() != GL_NO_ERROR) {
    }
}

TEST_F(MaterialGl, ProgramFollowsTheShadingKey)
{
    const std::string dir = makeScratchDir("materials");
    writeFile(dir + "/phong.plemoxmat", "_SHADING 1\n");
    writeFile(dir + "/empty.plemoxmat", "");
    writeFile(dir + "/none.plemoxmat", "_SHADING 2\n_DIFFUSE_MAP " + dir + "/missing.hdr\n");
    ScopedWorkingDirectory cwd(sourceDir());
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
    GLint current = -1, active = 0;
    glGetIntegerv(GL_CURRENT_PROGRAM, &current);
    EXPECT_EQ(current, 0) << "load ends with no program current";
    phong.bind(Vector3(), Camera());
    glGetIntegerv(GL_CURRENT_PROGRAM, &current);
    glGetIntegerv(GL_ACTIVE_TEXTURE, &active);
    EXPECT_EQ(static_cast<unsigned>(current), phong.program.program);
    EXPECT_EQ(active, GL_TEXTURE3) << "unit 3 is left active";
    phong.unbind();
    glGetIntegerv(GL_CURRENT_PROGRAM, &current);
    EXPECT_EQ(current, 0);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(MaterialGl, BothShadingsLightAQuadWithFalloffAndHighlight)
{
    for (int shading : {BlinnShading, PhongShading}) {
        SCOPED_TRACE(shading == BlinnShading ? "Blinn" : "Phong");
        const std::vector<int> shiny = renderLitQuad(shading, 1.0f);
        const std::vector<int> matte = renderLitQuad(shading, 0.0f);
        // The light falls off: bright under the light, dim far away, never black.
        EXPECT_GT(around(matte, -60, 0), 110);
        EXPECT_LT(around(matte, 90, 0), 40);
        EXPECT_GT(around(matte, -60, 0), around(matte, 0, 0) + 20);
        EXPECT_GT(around(matte, 0, 0), around(matte, 90, 0) + 20);
        EXPECT_GT(around(matte, 98, 98), 2) << "unlit corners are dark, not black";
        // The same light falls off the same way in every direction on the plane.
        EXPECT_NEAR(around(matte, -60, 50), around(matte, -60, -50), 3);
        // The highlight sits at the mirror point between light and camera
        // (x = -50) and is gone far from it.
        EXPECT_GT(around(shiny, -50, 0) - around(matte, -50, 0), 60);
        EXPECT_LT(around(shiny, 90, 0) - around(matte, 90, 0), 6);
        EXPECT_LT(around(shiny, -50, 80) - around(matte, -50, 80), around(shiny, -50, 0) - around(matte, -50, 0));
    }
}
