#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "app/probe.h"
#include "render/material.h"
#include "tests/support/test_support.h"

namespace {

std::unique_ptr<Material> parse(const std::string& text)
{
    auto material = std::make_unique<Material>();
    applyMaterialText(text, *material);
    return material;
}

bool allZero(const float* values, int count)
{
    for (int i = 0; i < count; ++i) {
        if (values[i] != 0.0f)
            return false;
    }
    return true;
}

// Takes every pending message; true when a quit with code 0 was among them.
bool quitPosted()
{
    bool quit = false;
    WindowMessage message;
    while (peekMessage(message)) {
        if (message.kind == WindowMessageKind::Quit && message.wParam == 0)
            quit = true;
    }
    return quit;
}

// What bind does, recorded through the entry-point tables.
std::vector<std::string> calls;

GLint APIENTRY recordLocation(GLhandleARB, const GLcharARB* name)
{
    calls.push_back(std::string("location ") + name);
    return static_cast<GLint>(calls.size());
}
void APIENTRY recordUniform1f(GLint location, GLfloat value)
{
    char text[64];
    std::snprintf(text, sizeof text, "1f %d %g", location, value);
    calls.push_back(text);
}
void APIENTRY recordUniform3f(GLint location, GLfloat x, GLfloat y, GLfloat z)
{
    char text[96];
    std::snprintf(text, sizeof text, "3f %d %g %g %g", location, x, y, z);
    calls.push_back(text);
}
void APIENTRY recordUniform1i(GLint location, GLint value)
{
    calls.push_back("1i " + std::to_string(location) + " " + std::to_string(value));
}
void APIENTRY recordUse(GLhandleARB program)
{
    calls.push_back("use " + std::to_string(program));
}
void APIENTRY recordActiveTexture(GLenum unit)
{
    calls.push_back("unit " + std::to_string(unit - GL_TEXTURE0));
}

class MaterialBind : public ::testing::Test {
protected:
    void SetUp() override
    {
        calls.clear();
        shaderGl.glGetUniformLocationARB = recordLocation;
        shaderGl.glUniform1fARB = recordUniform1f;
        shaderGl.glUniform3fARB = recordUniform3f;
        shaderGl.glUniform1iARB = recordUniform1i;
        shaderGl.glUseProgramObjectARB = recordUse;
        savedActiveTexture = multitexture.glActiveTexture;
        multitexture.glActiveTexture = recordActiveTexture;
    }
    void TearDown() override
    {
        material.program.program = 0;
        clearEntryPoints(shaderGl);
        multitexture.glActiveTexture = savedActiveTexture;
    }

    Material material;
    ActiveTextureProc savedActiveTexture = nullptr;
    Camera camera{Vector3(4, 5, 6), Vector3(0, 0, 0), Vector3(0, 1, 0)};
};

}  // namespace

TEST(MaterialText, OnlyTheShadingKey)
{
    const auto m = parse("_SHADING 1\n");
    EXPECT_EQ(m->shading, PhongShading);
    EXPECT_STREQ(m->name, "");
    EXPECT_STREQ(m->diffuseMapPath, "");
    EXPECT_STREQ(m->specularMapPath, "");
    EXPECT_TRUE(allZero(m->diffuseColor, 4));
    EXPECT_EQ(m->shininess, 0.0f);
    EXPECT_EQ(m->tiling, 0.0f);
    EXPECT_EQ(m->parallaxSizeX, 0.0f);
    EXPECT_EQ(m->parallaxOffset, 0.0f);
}

TEST(MaterialText, EmptyFileLeavesEverythingZero)
{
    const auto m = parse("");
    EXPECT_EQ(m->shading, BlinnShading);
    EXPECT_STREQ(m->name, "");
    EXPECT_TRUE(allZero(m->ambientColor, 4));
    EXPECT_EQ(m->tiling, 0.0f);
}

TEST(MaterialText, EveryKeyAndLastLineWins)
{
    const auto m = parse(
        "comment line without keys\n"
        "_NAME Rock\n"
        "_DIFFUSE_COLOR 0.1 0.2 0.3 0.4\n"
        "_SPECULAR_COLOR 0.5 0.6 0.7 0.8\n"
        "_AMBIENT_COLOR 0.9 1.0 1.1 1.2\n"
        "_SHININESS 16\n"
        "_DIFFUSE_MAP Data/rock_d.hdr\n"
        "_NORMAL_MAP Data/rock_n.hdr\n"
        "_HEIGHT_MAP Data/rock_h.hdr\n"
        "_SPECULAR_MAP Data/rock_s.hdr\n"
        "_TILING 4\n"
        "_SHADING 1\n"
        "_PARALLAXSIZEX 0.02\n"
        "_PARALLAXSIZEY 0.04\n"
        "_PARALLAXOFFSET -0.01\n"
        "_SHININESS 32.5\n"
        "_NAME Granite");
    EXPECT_STREQ(m->name, "Granite");
    EXPECT_FLOAT_EQ(m->diffuseColor[3], 0.4f);
    EXPECT_FLOAT_EQ(m->specularColor[1], 0.6f);
    EXPECT_FLOAT_EQ(m->ambientColor[0], 0.9f);
    EXPECT_FLOAT_EQ(m->shininess, 32.5f);
    EXPECT_STREQ(m->diffuseMapPath, "Data/rock_d.hdr");
    EXPECT_STREQ(m->normalMapPath, "Data/rock_n.hdr");
    EXPECT_STREQ(m->heightMapPath, "Data/rock_h.hdr");
    EXPECT_STREQ(m->specularMapPath, "Data/rock_s.hdr");
    EXPECT_FLOAT_EQ(m->tiling, 4.0f);
    EXPECT_EQ(m->shading, 1);
    EXPECT_FLOAT_EQ(m->parallaxSizeX, 0.02f);
    EXPECT_FLOAT_EQ(m->parallaxSizeY, 0.04f);
    EXPECT_FLOAT_EQ(m->parallaxOffset, -0.01f);
}

TEST(MaterialText, KeysCountOnlyAtTheStartOfTheLine)
{
    auto m = parse("_TILING 2\n   _TILING 8\nx_SHININESS 5\n");
    EXPECT_FLOAT_EQ(m->tiling, 2.0f) << "leading blanks: found, but not parsed";
    EXPECT_EQ(m->shininess, 0.0f);

    // A file name holding another key's text sets only its own field.
    m = parse("_DIFFUSE_MAP stone_NAME_TILING_SHADING.hdr\n");
    EXPECT_STREQ(m->diffuseMapPath, "stone_NAME_TILING_SHADING.hdr");
    EXPECT_STREQ(m->name, "");
    EXPECT_EQ(m->tiling, 0.0f);
    EXPECT_EQ(m->shading, 0);

    // The key's text must match exactly at the start, case included.
    m = parse("_shininess 4\n_SHININESS: 4\n_TILINGX 3\n");
    EXPECT_EQ(m->shininess, 0.0f);
    EXPECT_EQ(m->tiling, 0.0f);
}

TEST(MaterialText, ValuesThatDoNotParseLeaveTheirFields)
{
    auto m = parse("_DIFFUSE_COLOR 0.25 0.25 0.25 0.75\n_DIFFUSE_COLOR 1 0.5\n");
    EXPECT_FLOAT_EQ(m->diffuseColor[0], 1.0f);
    EXPECT_FLOAT_EQ(m->diffuseColor[1], 0.5f);
    EXPECT_FLOAT_EQ(m->diffuseColor[2], 0.25f);
    EXPECT_FLOAT_EQ(m->diffuseColor[3], 0.75f);

    m = parse("_SHININESS 8\n_SHININESS eight\n_NAME Stone\n_NAME\n_SHADING 1\n_SHADING x\n"
              "_DIFFUSE_MAP a.hdr\n_DIFFUSE_MAP \n");
    EXPECT_FLOAT_EQ(m->shininess, 8.0f);
    EXPECT_STREQ(m->name, "Stone");
    EXPECT_EQ(m->shading, 1);
    EXPECT_STREQ(m->diffuseMapPath, "a.hdr");

    m = parse("_SHADING 2\n");
    EXPECT_EQ(m->shading, 2);
    m = parse("_SHADING 99999999999999999999\n");
    EXPECT_EQ(m->shading, INT_MAX) << "an out-of-range number saturates";
    m = parse("_SHADING -99999999999999999999\n");
    EXPECT_EQ(m->shading, INT_MIN);
    m = parse("_SHADING -1\n_SHININESS 1e999\n");
    EXPECT_EQ(m->shading, -1);
    EXPECT_TRUE(std::isinf(m->shininess));
}

TEST(MaterialText, LongLinesAreReadInPiecesOf254)
{
    // The filler fills the first piece exactly; the key starts the second.
    auto m = parse(std::string(254, '#') + "_TILING 3\n");
    EXPECT_FLOAT_EQ(m->tiling, 3.0f);
    // One character less and the key is cut in two: neither piece parses.
    m = parse(std::string(253, '#') + "_TILING 3\n");
    EXPECT_EQ(m->tiling, 0.0f);

    // A name longer than a piece keeps what fits in the first piece.
    m = parse("_NAME " + std::string(600, 'a') + "\n");
    EXPECT_EQ(std::strlen(m->name), 248u);
    m = parse("_DIFFUSE_MAP " + std::string(5000, 'b') + "\n_TILING 2\n");
    EXPECT_EQ(std::strlen(m->diffuseMapPath), 241u);
    EXPECT_FLOAT_EQ(m->tiling, 2.0f);
}

TEST(MaterialText, ZeroBytesEndTheLine)
{
    auto m = parse(std::string("junk\0_SHININESS 9\n", 18));
    EXPECT_EQ(m->shininess, 0.0f);
    m = parse(std::string("_SHININESS 9\0junk\n_TILING 2\n", 28));
    EXPECT_FLOAT_EQ(m->shininess, 9.0f);
    EXPECT_FLOAT_EQ(m->tiling, 2.0f);
}

TEST(MaterialText, GarbageNeverOverrunsTheFields)
{
    std::mt19937 random(12345);
    const char* keys[] = {"_NAME ", "_DIFFUSE_MAP ", "_SHADING ", "_DIFFUSE_COLOR ", "\n", " "};
    for (int round = 0; round < 50; ++round) {
        std::string text;
        while (text.size() < 4000) {
            if (random() % 4 == 0)
                text += keys[random() % 6];
            else
                text += static_cast<char>(random() % 256);
        }
        auto m = parse(text);
        EXPECT_LT(std::strlen(m->name), sizeof m->name);
        EXPECT_LT(std::strlen(m->diffuseMapPath), sizeof m->diffuseMapPath);
    }
}

TEST(MaterialFile, ReadsLikeTheTextAndSurvivesHugeAndBinaryFiles)
{
    const std::string dir = makeScratchDir("material");
    const std::string text = std::string(1000, 'x') + "\n_SHININESS 12\n" +
                             std::string(254, ' ') + "_TILING 6\n" +
                             std::string("\0\xff\x01_NAME", 9) + "\n_NAME Good\n";
    writeFile(dir + "/a.plemoxmat", text);
    Material fromFile;
    ASSERT_TRUE(readMaterialFile(dir + "/a.plemoxmat", fromFile));
    const auto fromText = parse(text);
    EXPECT_FLOAT_EQ(fromFile.shininess, 12.0f);
    EXPECT_FLOAT_EQ(fromFile.tiling, 6.0f);
    EXPECT_STREQ(fromFile.name, "Good");
    EXPECT_EQ(fromFile.shininess, fromText->shininess);
    EXPECT_EQ(fromFile.tiling, fromText->tiling);
    EXPECT_STREQ(fromFile.name, fromText->name);

    std::string binary;
    std::mt19937 random(7);
    for (int i = 0; i < 1 << 20; ++i)
        binary += static_cast<char>(random() % 256);
    writeFile(dir + "/binary.plemoxmat", binary);
    Material noise;
    EXPECT_TRUE(readMaterialFile(dir + "/binary.plemoxmat", noise));
    EXPECT_LT(std::strlen(noise.name), sizeof noise.name);

    Material untouched;
    untouched.tiling = 7.0f;
    EXPECT_FALSE(readMaterialFile(dir + "/missing.plemoxmat", untouched));
    EXPECT_FLOAT_EQ(untouched.tiling, 7.0f);
}

TEST(MaterialLoad, MissingFileTellsTheUserAndAsksToQuit)
{
    quitPosted();
    BoxRecorder boxes;
    Material material;
    material.shininess = 3.0f;
    material.load(makeScratchDir("material") + "/missing.plemoxmat");
    ASSERT_EQ(boxes.boxes().size(), 1u);
    EXPECT_EQ(boxes.boxes()[0].text, "Cannot find map file");
    EXPECT_EQ(boxes.boxes()[0].caption, "Error");
    EXPECT_EQ(boxes.boxes()[0].type, static_cast<unsigned>(MB_OK));
    EXPECT_EQ(boxes.boxes()[0].owner, BoxOwner::None);
    EXPECT_TRUE(quitPosted());
    EXPECT_FLOAT_EQ(material.shininess, 3.0f);
    EXPECT_EQ(material.program.program, 0u);
}

TEST(MaterialLoad, NoShaderSupportIsFatal)
{
    // Without a rendering context the driver offers no extensions at all.
    quitPosted();
    const std::string dir = makeScratchDir("material");
    writeFile(dir + "/m.plemoxmat", "_SHADING 1\n_TILING 2\n");
    BoxRecorder boxes;
    Material material;
    material.load(dir + "/m.plemoxmat");
    ASSERT_EQ(boxes.boxes().size(), 2u);
    EXPECT_EQ(boxes.boxes()[0].text, "GL_ARB_shader_objects extension not supported!");
    EXPECT_EQ(boxes.boxes()[1].text, "GLSL Shaders aren't supported, the program will now quit");
    EXPECT_EQ(boxes.boxes()[1].caption, "Fatal Error");
    EXPECT_EQ(boxes.boxes()[1].type, static_cast<unsigned>(MB_OK));
    EXPECT_EQ(boxes.boxes()[1].owner, BoxOwner::GameWindow);
    EXPECT_TRUE(quitPosted());
    EXPECT_FLOAT_EQ(material.tiling, 2.0f) << "the file was read before the check";
    EXPECT_EQ(material.program.program, 0u);
    EXPECT_EQ(material.diffuseMapLocation, 0) << "locations stay as they were";
}

TEST_F(MaterialBind, BlinnSetsItsUniformsInOrder)
{
    material.shading = BlinnShading;
    material.program.program = 9;
    material.parallaxSizeX = 0.02f;
    material.parallaxSizeY = 0.04f;
    material.parallaxOffset = -0.01f;
    material.shininess = 16.0f;
    material.tiling = 2.0f;
    material.diffuseMapLocation = 21;
    material.normalsMapLocation = 22;
    material.heightMapLocation = 23;
    material.specularMapLocation = 24;
    material.bind(Vector3(1, 2, 3), camera);
    const std::vector<std::string> expected = {
        "use 9",
        "location parallaxX", "1f 2 0.02",
        "location parallaxY", "1f 4 0.04",
        "location offset", "1f 6 -0.01",
        "location shininess", "1f 8 16",
        "location tiling", "1f 10 2",
        "location light", "3f 12 1 2 3",
        "location camera", "3f 14 4 5 6",
        "1i 21 0", "1i 22 1", "1i 23 2", "1i 24 3",
        "unit 0", "unit 1", "unit 2", "unit 3"};
    EXPECT_EQ(calls, expected);
    calls.clear();
    material.unbind();
    EXPECT_EQ(calls, std::vector<std::string>{"use 0"});
}

TEST_F(MaterialBind, PhongHalvesTheParallaxSizes)
{
    material.shading = PhongShading;
    material.program.program = 9;
    material.parallaxSizeX = 0.02f;
    material.parallaxSizeY = 0.04f;
    material.parallaxOffset = 0.5f;
    material.shininess = 8.0f;
    material.tiling = 1.0f;
    material.bind(Vector3(1, 2, 3), camera);
    ASSERT_GE(calls.size(), 13u);
    EXPECT_EQ(calls[1], "location parallaxSize");
    EXPECT_EQ(calls[2], "1f 2 0.03");
    EXPECT_EQ(calls[3], "location parallaxBias");
    EXPECT_EQ(calls[4], "1f 4 0.5");
    EXPECT_EQ(calls[5], "location shininess");
    EXPECT_EQ(calls[7], "location tiling");
    EXPECT_EQ(calls[9], "location light");
    EXPECT_EQ(calls[11], "location camera");
    EXPECT_EQ(calls[12], "3f 12 4 5 6");
}

TEST_F(MaterialBind, OtherShadingOnlyBindsTheMaps)
{
    material.shading = 2;
    material.bind(Vector3(1, 2, 3), camera);
    const std::vector<std::string> expected = {"use 0", "unit 0", "unit 1", "unit 2", "unit 3"};
    EXPECT_EQ(calls, expected);
}

TEST_F(MaterialBind, WithoutAProgramUniformsGoToLocationMinusOne)
{
    material.shading = BlinnShading;
    material.diffuseMapLocation = -1;
    material.bind(Vector3(), camera);
    ASSERT_GE(calls.size(), 9u);
    EXPECT_EQ(calls[0], "use 0");
    EXPECT_EQ(calls[1], "1f -1 0") << "no program: no look-up, location -1";
    EXPECT_EQ(calls[8], "1i -1 0");
}
