#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cmath>
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

void setUpGl()
{
    ASSERT_TRUE(ensureGlContext(256, 256));
    probeGlCapabilities();
    ASSERT_TRUE(initShaderExtensions());
}

// A 16 x 16 Radiance picture of one colour.
std::string uniformRgbe(float red, float green, float blue)
{
    std::vector<float> rgb;
    for (int i = 0; i < 16 * 16; ++i) {
        rgb.push_back(red);
        rgb.push_back(green);
        rgb.push_back(blue);
    }
    return writeRgbe(16, 16, rgb);
}

std::string lower(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// The compile and link results the game itself never reads.
struct ObjectQueries {
    PFNGLGETOBJECTPARAMETERIVARBPROC getParameter = nullptr;
    PFNGLGETINFOLOGARBPROC getInfoLog = nullptr;

    ObjectQueries()
    {
        getParameter = reinterpret_cast<PFNGLGETOBJECTPARAMETERIVARBPROC>(
            getGlProcAddress("glGetObjectParameterivARB"));
        getInfoLog = reinterpret_cast<PFNGLGETINFOLOGARBPROC>(getGlProcAddress("glGetInfoLogARB"));
    }
    int parameter(GLhandleARB object, GLenum name) const
    {
        GLint value = 0;
        getParameter(object, name, &value);
        return value;
    }
    std::string log(GLhandleARB object) const
    {
        const int length = parameter(object, GL_OBJECT_INFO_LOG_LENGTH_ARB);
        std::string text(static_cast<size_t>(length) + 1, '\0');
        GLsizei written = 0;
        getInfoLog(object, length + 1, &written, &text[0]);
        text.resize(static_cast<size_t>(written));
        return text;
    }
};

void expectCleanBuild(const ShaderProgram& program, const char* label)
{
    ObjectQueries queries;
    ASSERT_NE(queries.getParameter, nullptr);
    ASSERT_NE(queries.getInfoLog, nullptr);
    ASSERT_NE(program.program, 0u) << label;
    const GLhandleARB shaders[2] = {program.vertexShader, program.fragmentShader};
    for (GLhandleARB shader : shaders) {
        EXPECT_EQ(queries.parameter(shader, GL_OBJECT_COMPILE_STATUS_ARB), 1)
            << label << ": " << queries.log(shader);
        const std::string log = lower(queries.log(shader));
        EXPECT_EQ(log.find("warning"), std::string::npos) << label << ": " << log;
        EXPECT_EQ(log.find("error"), std::string::npos) << label << ": " << log;
    }
    EXPECT_EQ(queries.parameter(program.program, GL_OBJECT_LINK_STATUS_ARB), 1)
        << label << ": " << queries.log(program.program);
    const std::string log = lower(queries.log(program.program));
    EXPECT_EQ(log.find("warning"), std::string::npos) << label << ": " << log;
    EXPECT_EQ(log.find("error"), std::string::npos) << label << ": " << log;
}

void expectUniforms(const ShaderProgram& program, const std::vector<const char*>& names)
{
    for (const char* name : names)
        EXPECT_NE(program.getUniformLocation(name), -1) << name;
}

// A lit, textured quad: the material's maps on a 200 x 200 square in the z = 0
// plane facing +z, seen straight on through an orthographic projection that
// maps it onto the whole 256 x 256 window.
struct LitQuad {
    std::string dir;

    std::string writeMaterial(int shading, float specular)
    {
        dir = makeScratchDir("lighting");
        writeFile(dir + "/diffuse.hdr", uniformRgbe(0.8f, 0.8f, 0.8f));
        writeFile(dir + "/normal.hdr", uniformRgbe(0.5f, 0.5f, 1.0f));
        writeFile(dir + "/height.hdr", uniformRgbe(0.5f, 0.5f, 0.5f));
        writeFile(dir + "/specular.hdr", uniformRgbe(specular, specular, specular));
        const std::string path = dir + "/quad.plemoxmat";
        writeFile(path, "_SHADING " + std::to_string(shading) + "\n_DIFFUSE_MAP " + dir +
                            "/diffuse.hdr\n_NORMAL_MAP " + dir + "/normal.hdr\n_HEIGHT_MAP " +
                            dir + "/height.hdr\n_SPECULAR_MAP " + dir +
                            "/specular.hdr\n_SHININESS 32\n_TILING 1\n");
        return path;
    }

    // Renders and returns the red channel of the whole window, bottom row first.
    std::vector<int> render(int shading, float specular)
    {
        Material material;
        {
            ScopedWorkingDirectory cwd(sourceDir());
            material.load(writeMaterial(shading, specular));
        }
        EXPECT_NE(material.diffuseTexture, 0u);
        EXPECT_NE(material.program.program, 0u);

        glViewport(0, 0, 256, 256);
        glDisable(GL_DEPTH_TEST);
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glOrtho(-100, 100, -100, 100, -500, 500);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();

        // The light hangs 40 units over x = -60; the camera 200 units over the centre.
        material.bind(Vector3(-60, 0, 40),
                      Camera{Vector3(0, 0, 200), Vector3(0, 0, 0), Vector3(0, 1, 0)});
        const float corners[4][2] = {{-100, -100}, {100, -100}, {100, 100}, {-100, 100}};
        glBegin(GL_QUADS);
        for (const auto& corner : corners) {
            const float u = (corner[0] + 100) / 200;
            const float v = (corner[1] + 100) / 200;
            glColor3f(1, 0, 0);
            glNormal3f(0, 0, 1);
            glTexCoord2f(u, v);
            for (int unit = 0; unit < 4; ++unit)
                multitexture.glMultiTexCoord2f(GL_TEXTURE0 + unit, u, v);
            glVertex3f(corner[0], corner[1], 0);
        }
        glEnd();
        material.unbind();
        multitexture.glActiveTexture(GL_TEXTURE0);

        const std::vector<uint8_t> rgb = readPixelsRgb(0, 0, 256, 256);
        std::vector<int> red(256 * 256);
        for (size_t i = 0; i < red.size(); ++i)
            red[i] = rgb[i * 3];
        material.release();
        return red;
    }
};

// Mean red over a 5 x 5 block around the window pixel under quad point (x, y).
double around(const std::vector<int>& red, float x, float y)
{
    const int px = static_cast<int>((x + 100) / 200 * 256);
    const int py = static_cast<int>((y + 100) / 200 * 256);
    double sum = 0;
    int count = 0;
    for (int dy = -2; dy <= 2; ++dy) {
        for (int dx = -2; dx <= 2; ++dx) {
            const int cx = std::min(255, std::max(0, px + dx));
            const int cy = std::min(255, std::max(0, py + dy));
            sum += red[static_cast<size_t>(cy) * 256 + cx];
            ++count;
        }
    }
    return sum / count;
}

void expectLitQuad(int shading)
{
    LitQuad quad;
    const std::vector<int> shiny = quad.render(shading, 1.0f);
    const std::vector<int> matte = quad.render(shading, 0.0f);

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
    EXPECT_LT(around(shiny, -50, 80) - around(matte, -50, 80),
              around(shiny, -50, 0) - around(matte, -50, 0));
}

}  // namespace

TEST(ShaderSources, AllThreeProgramsBuildCleanlyWithTheirUniforms)
{
    setUpGl();
    ScopedWorkingDirectory cwd(sourceDir());
    const std::vector<const char*> lighting = {"diffuseMap", "normalsMap", "heightMap",
                                               "specularMap", "shininess", "tiling", "light",
                                               "camera"};
    ShaderProgram blinn;
    blinn.load("Data/Shaders/Blinn.vert", "Data/Shaders/Blinn.frag");
    expectCleanBuild(blinn, "Blinn");
    expectUniforms(blinn, lighting);
    expectUniforms(blinn, {"parallaxX", "parallaxY", "offset"});

    ShaderProgram phong;
    phong.load("Data/Shaders/Phong.vert", "Data/Shaders/Phong.frag");
    expectCleanBuild(phong, "Phong");
    expectUniforms(phong, lighting);
    expectUniforms(phong, {"parallaxSize", "parallaxBias"});

    ShaderProgram post;
    post.load("Data/Shaders/Post.vert", "Data/Shaders/Post.frag");
    expectCleanBuild(post, "Post");
    expectUniforms(post, {"hdrTexture", "bloomTexture", "exposure"});

    GLint current = 0;
    glGetIntegerv(GL_CURRENT_PROGRAM, &current);
    EXPECT_EQ(static_cast<unsigned>(current), post.program) << "load leaves the program current";
    shaderGl.glUseProgramObjectARB(0);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST(ShaderSources, BrokenOrMissingShaderGivesAProgramWithoutUniforms)
{
    setUpGl();
    const std::string dir = makeScratchDir("broken");
    writeFile(dir + "/broken.vert", "#version 110\nvoid main() { gl_Position = ; }\n");
    ShaderProgram broken;
    broken.load(dir + "/broken.vert", dir + "/missing.frag");
    EXPECT_NE(broken.program, 0u);
    EXPECT_EQ(broken.getUniformLocation("light"), -1);
    shaderGl.glUseProgramObjectARB(0);
    broken.release();
    EXPECT_EQ(broken.program, 0u);
    while (glGetError() != GL_NO_ERROR) {
    }
}

TEST(MaterialGl, ProgramFollowsTheShadingKey)
{
    setUpGl();
    const std::string dir = makeScratchDir("materials");
    writeFile(dir + "/phong.plemoxmat", "_SHADING 1\n");
    writeFile(dir + "/empty.plemoxmat", "");
    writeFile(dir + "/none.plemoxmat", "_SHADING 2\n_DIFFUSE_MAP " + dir + "/missing.hdr\n");
    ScopedWorkingDirectory cwd(sourceDir());
    BoxRecorder boxes;

    Material phong;
    phong.load(dir + "/phong.plemoxmat");
    EXPECT_NE(phong.program.program, 0u);
    EXPECT_NE(phong.program.getUniformLocation("parallaxSize"), -1);
    EXPECT_EQ(phong.program.getUniformLocation("parallaxX"), -1);
    EXPECT_NE(phong.diffuseMapLocation, -1);
    EXPECT_NE(phong.specularMapLocation, -1);
    EXPECT_EQ(phong.diffuseTexture, 0u);
    EXPECT_EQ(phong.specularTexture, 0u);

    Material blinn;
    blinn.load(dir + "/empty.plemoxmat");
    EXPECT_EQ(blinn.shading, 0);
    EXPECT_NE(blinn.program.getUniformLocation("parallaxX"), -1);
    EXPECT_NE(blinn.normalsMapLocation, -1);
    EXPECT_NE(blinn.heightMapLocation, -1);

    Material none;
    none.load(dir + "/none.plemoxmat");
    EXPECT_EQ(none.program.program, 0u);
    EXPECT_EQ(none.diffuseMapLocation, -1);
    EXPECT_EQ(none.specularMapLocation, -1);
    EXPECT_EQ(none.diffuseTexture, 0u) << "a missing map leaves the texture 0";
    EXPECT_TRUE(boxes.boxes().empty());

    GLint current = -1;
    glGetIntegerv(GL_CURRENT_PROGRAM, &current);
    EXPECT_EQ(current, 0) << "load ends with no program current";

    phong.bind(Vector3(), Camera());
    glGetIntegerv(GL_CURRENT_PROGRAM, &current);
    EXPECT_EQ(static_cast<unsigned>(current), phong.program.program);
    GLint active = 0;
    glGetIntegerv(GL_ACTIVE_TEXTURE, &active);
    EXPECT_EQ(active, GL_TEXTURE3) << "unit 3 is left active";
    phong.unbind();
    glGetIntegerv(GL_CURRENT_PROGRAM, &current);
    EXPECT_EQ(current, 0);
    multitexture.glActiveTexture(GL_TEXTURE0);

    phong.release();
    phong.release();
    EXPECT_EQ(phong.program.program, 0u);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST(MaterialGl, BlinnLightsAQuadWithFalloffAndHighlight)
{
    setUpGl();
    expectLitQuad(BlinnShading);
}

TEST(MaterialGl, PhongLightsAQuadWithFalloffAndHighlight)
{
    setUpGl();
    expectLitQuad(PhongShading);
}
