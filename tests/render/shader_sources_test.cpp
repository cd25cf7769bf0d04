// Every GLSL source of the game, as the game hands it to the driver, through
// the Khronos reference compiler; and every vertex stage positions its
// vertices with ftransform(), so passes drawn by different programs meet
// exactly under an equal depth test on any driver.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "render/shader.h"
#include "tests/support/test_support.h"
#include "world/scenepass.h"

TEST(ShaderSources, CompileWithTheReferenceCompilerAndPositionWithFtransform)
{
    ASSERT_EQ(std::system("glslangValidator --version > /dev/null 2>&1"), 0)
        << "glslangValidator (glslang-tools) is installed by scripts/install-deps.sh";
    const char* source = std::getenv("PLEMOX_SOURCE_DIR");
    ASSERT_NE(source, nullptr);
    struct Stage {
        std::string name;
        std::string text;
    };
    std::vector<Stage> stages = {{"Depth.vert", depthVertexSource}, {"Depth.frag", depthFragmentSource}};
    for (const char* program : {"Blinn", "Phong", "Post"})
        for (const char* stage : {".vert", ".frag"}) {
            const std::string name = std::string(program) + stage;
            stages.push_back({name, readShaderSource(std::string(source) + "/Data/Shaders/" + name)});
        }
    const std::string dir = makeScratchDir("shaders");
    for (const Stage& stage : stages) {
        SCOPED_TRACE(stage.name);
        ASSERT_FALSE(stage.text.empty());
        const std::string path = dir + "/" + stage.name;
        writeFile(path, stage.text);
        EXPECT_EQ(std::system(("glslangValidator " + path + " > " + path + ".log 2>&1").c_str()), 0)
            << readFile(path + ".log");
        if (stage.name.find(".vert") != std::string::npos) {
            EXPECT_NE(stage.text.find("gl_Position = ftransform();"), std::string::npos);
            EXPECT_EQ(stage.text.find("gl_ModelViewProjectionMatrix"), std::string::npos);
        }
    }
    // The compiler does refuse a broken stage.
    writeFile(dir + "/broken.vert", "#version 110\nvoid main()\n{\n    gl_Position = ftransfrom();\n}\n");
    EXPECT_NE(std::system(("glslangValidator " + dir + "/broken.vert > /dev/null 2>&1").c_str()), 0);
}
