#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "render/shader.h"
#include "tests/support/test_support.h"

namespace {

bool used = false;

void APIENTRY markedUse(GLhandleARB)
{
    used = true;
}

void* markedLookup(const char* name)
{
    return std::string(name) == "glUseProgramObjectARB" ? reinterpret_cast<void*>(markedUse) : nullptr;
}

}  // namespace

TEST(ReadTextFile, PutsANewlineBeforeEveryLineAndRefusesHugeFiles)
{
    const std::string dir = makeScratchDir("text");
    const std::pair<std::string, std::string> cases[] = {
        {"a\nb", "\na\nb"}, {"a\nb\n", "\na\nb"}, {"\n\nc\n\n", "\n\n\nc\n"}, {"", ""},
        {std::string(3u << 20, 'x'), ""},  // far larger than any shader
    };
    for (const auto& [text, expected] : cases) {
        writeFile(dir + "/f.txt", text);
        EXPECT_EQ(readShaderSource(dir + "/f.txt"), expected) << text.size() << " bytes";
    }
    writeFile(dir + "/big-shader.txt", std::string(200000, 'y') + "\n");
    EXPECT_EQ(readShaderSource(dir + "/big-shader.txt").size(), 200001u);
    EXPECT_EQ(readShaderSource(dir + "/missing.txt"), "");
}

TEST(ShaderExtensions, MissingOnesAreReportedAndStandInsKeepTheirPlace)
{
    BoxRecorder boxes;
    EXPECT_FALSE(initShaderExtensionsFrom("GL_ARB_shading_language_100 GL_EXT_foo", markedLookup));
    EXPECT_FALSE(initShaderExtensionsFrom("GL_ARB_shader_objects GL_EXT_foo", markedLookup));
    EXPECT_FALSE(initShaderExtensionsFrom(nullptr, markedLookup));
    const unsigned type = MB_OK;
    expectBoxes(boxes, {{"GL_ARB_shader_objects extension not supported!", "Error", type, BoxOwner::GameWindow},
                        {"GL_ARB_shading_language_100 extension not supported!", "Error", type, BoxOwner::GameWindow},
                        {"GL_ARB_shader_objects extension not supported!", "Error", type, BoxOwner::GameWindow}});
    boxes.clear();
    EXPECT_TRUE(initShaderExtensionsFrom("GL_ARB_shader_objects GL_ARB_shading_language_100", markedLookup));
    expectBoxes(boxes, {});
    shaderGl.glUseProgramObjectARB(0);
    EXPECT_TRUE(used);
    // The missing ones do nothing and answer zero instead of crashing.
    EXPECT_EQ(shaderGl.glCreateProgramObjectARB(), 0u);
    shaderGl.glUniform1fARB(0, 1.0f);
    used = false;
    clearEntryPoints(shaderGl);
    shaderGl.glUseProgramObjectARB(0);
    EXPECT_FALSE(used);
}
