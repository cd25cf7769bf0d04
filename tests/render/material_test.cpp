#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <memory>
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

}  // namespace

TEST(MaterialText, EveryKeyAndLastLineWins)
{
    const auto m = parse(
        "comment line without keys\n_NAME Rock\n_DIFFUSE_COLOR 0.1 0.2 0.3 0.4\n_SPECULAR_COLOR 0.5 0.6 0.7 0.8\n"
        "_AMBIENT_COLOR 0.9 1.0 1.1 1.2\n_SHININESS 16\n_DIFFUSE_MAP Data/rock_d.hdr\n_NORMAL_MAP Data/rock_n.hdr\n"
        "_HEIGHT_MAP Data/rock_h.hdr\n_SPECULAR_MAP Data/rock_s.hdr\n_TILING 4\n_SHADING 1\n_PARALLAXSIZEX 0.02\n"
        "_PARALLAXSIZEY 0.04\n_PARALLAXOFFSET -0.01\n_SHININESS 32.5\n_NAME Granite");
    EXPECT_STREQ(m->name, "Granite");
    EXPECT_EQ(std::string(m->diffuseMapPath) + m->normalMapPath + m->heightMapPath + m->specularMapPath,
              "Data/rock_d.hdrData/rock_n.hdrData/rock_h.hdrData/rock_s.hdr");
    const std::vector<float> values = {m->diffuseColor[3], m->specularColor[1], m->ambientColor[0], m->shininess,
                                       m->tiling, m->parallaxSizeX, m->parallaxSizeY, m->parallaxOffset};
    EXPECT_EQ(values, (std::vector<float>{0.4f, 0.6f, 0.9f, 32.5f, 4.0f, 0.02f, 0.04f, -0.01f}));
    EXPECT_EQ(m->shading, PhongShading);
    // Values that do not parse leave their fields; a short colour sets what it has.
    const auto partial = parse("_DIFFUSE_COLOR 0.25 0.25 0.25 0.75\n_DIFFUSE_COLOR 1 0.5\n");
    EXPECT_EQ(std::vector<float>(partial->diffuseColor, partial->diffuseColor + 4),
              (std::vector<float>{1.0f, 0.5f, 0.25f, 0.75f}));
}

TEST(MaterialText, KeyRules)
{
    struct Case {
        std::string text;
        float shininess, tiling;
        int shading;
        std::string name, map;
    } cases[] = {
        // Keys count only at the very start of the line, case included.
        {"_TILING 2\n   _TILING 8\nx_SHININESS 5\n", 0, 2, 0, "", ""},
        {"_shininess 4\n_SHININESS: 4\n_TILINGX 3\n", 0, 0, 0, "", ""},
        // A file name holding another key's text sets only its own field.
        {"_DIFFUSE_MAP stone_NAME_TILING_SHADING.hdr\n", 0, 0, 0, "", "stone_NAME_TILING_SHADING.hdr"},
        {"_SHININESS 8\n_SHININESS eight\n_NAME Stone\n_NAME\n_SHADING 1\n_SHADING x\n_DIFFUSE_MAP a.hdr\n_DIFFUSE_MAP \n",
         8, 0, 1, "Stone", "a.hdr"},
        {"_SHADING 2\n", 0, 0, 2, "", ""},
        {"_SHADING 99999999999999999999\n", 0, 0, INT_MAX, "", ""},  // out of range saturates
        {"_SHADING -99999999999999999999\n", 0, 0, INT_MIN, "", ""},
        {"_SHADING -1\n_SHININESS 1e999\n", INFINITY, 0, -1, "", ""},
        // A long value keeps what fits in the first piece of its line (the reader's own rule).
        {"_NAME " + std::string(600, 'a') + "\n", 0, 0, 0, std::string(248, 'a'), ""},
    };
    for (const Case& c : cases) {
        const auto m = parse(c.text);
        const std::string label = c.text.substr(0, 40);
        EXPECT_EQ(m->shininess, c.shininess) << label;
        EXPECT_EQ(m->tiling, c.tiling) << label;
        EXPECT_EQ(m->shading, c.shading) << label;
        EXPECT_EQ(m->name, c.name) << label;
        EXPECT_EQ(m->diffuseMapPath, c.map) << label;
    }
}

TEST(MaterialLoad, MissingFileOrNoShaderSupportTellsTheUserAndAsksToQuit)
{
    takeQuitMessage();
    const std::string dir = makeScratchDir("material");
    BoxRecorder boxes;
    Material missing;
    missing.shininess = 3.0f;
    missing.load(dir + "/missing.plemoxmat");
    expectBoxes(boxes, {{"Cannot find map file", "Error", MB_OK, BoxOwner::None}});
    EXPECT_TRUE(takeQuitMessage());
    EXPECT_FLOAT_EQ(missing.shininess, 3.0f);
    EXPECT_EQ(missing.program.program, 0u);

    // Without a rendering context the driver offers no extensions at all.
    boxes.clear();
    writeFile(dir + "/m.plemoxmat", "_SHADING 1\n_TILING 2\n");
    Material material;
    material.load(dir + "/m.plemoxmat");
    expectBoxes(boxes, {{"GL_ARB_shader_objects extension not supported!", "Error", MB_OK, BoxOwner::GameWindow},
                        {"GLSL Shaders aren't supported, the program will now quit", "Fatal Error", MB_OK,
                         BoxOwner::GameWindow}});
    EXPECT_TRUE(takeQuitMessage());
    EXPECT_FLOAT_EQ(material.tiling, 2.0f) << "the file was read before the check";
    EXPECT_EQ(material.program.program, 0u);
    EXPECT_EQ(material.diffuseMapLocation, 0) << "locations stay as they were";
}
