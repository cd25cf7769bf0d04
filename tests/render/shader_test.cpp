#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "render/shader.h"
#include "tests/support/test_support.h"

namespace {

// Every shader call the code makes, in order, as readable text.
std::vector<std::string> calls;
std::vector<std::string> sources;
GLhandleARB nextHandle = 1;

std::string handleText(GLhandleARB handle)
{
    return std::to_string(handle);
}

GLhandleARB APIENTRY recordCreateShader(GLenum type)
{
    calls.push_back(type == GL_VERTEX_SHADER_ARB ? "createVertex" : "createFragment");
    return nextHandle++;
}
void APIENTRY recordShaderSource(GLhandleARB shader, GLsizei count, const GLcharARB** text,
                                 const GLint* length)
{
    calls.push_back("source " + handleText(shader) + " count " + std::to_string(count) +
                    (length ? " lengths" : " noLengths"));
    sources.push_back(text[0]);
}
void APIENTRY recordCompile(GLhandleARB shader)
{
    calls.push_back("compile " + handleText(shader));
}
GLhandleARB APIENTRY recordCreateProgram()
{
    calls.push_back("createProgram");
    return nextHandle++;
}
void APIENTRY recordAttach(GLhandleARB program, GLhandleARB shader)
{
    calls.push_back("attach " + handleText(program) + " " + handleText(shader));
}
void APIENTRY recordLink(GLhandleARB program)
{
    calls.push_back("link " + handleText(program));
}
void APIENTRY recordUse(GLhandleARB program)
{
    calls.push_back("use " + handleText(program));
}
GLint APIENTRY recordGetUniformLocation(GLhandleARB program, const GLcharARB* name)
{
    calls.push_back("location " + handleText(program) + " " + name);
    return 5;
}
void APIENTRY recordDetach(GLhandleARB program, GLhandleARB shader)
{
    calls.push_back("detach " + handleText(program) + " " + handleText(shader));
}
void APIENTRY recordDelete(GLhandleARB object)
{
    calls.push_back("delete " + handleText(object));
}

class ShaderCalls : public ::testing::Test {
protected:
    void SetUp() override
    {
        calls.clear();
        sources.clear();
        nextHandle = 1;
        shaderGl.glCreateShaderObjectARB = recordCreateShader;
        shaderGl.glShaderSourceARB = recordShaderSource;
        shaderGl.glCompileShaderARB = recordCompile;
        shaderGl.glCreateProgramObjectARB = recordCreateProgram;
        shaderGl.glAttachObjectARB = recordAttach;
        shaderGl.glLinkProgramARB = recordLink;
        shaderGl.glUseProgramObjectARB = recordUse;
        shaderGl.glGetUniformLocationARB = recordGetUniformLocation;
        shaderGl.glDetachObjectARB = recordDetach;
        shaderGl.glDeleteObjectARB = recordDelete;
        dir = makeScratchDir("shader");
        writeFile(dir + "/a.vert", "void main() {}\n");
        writeFile(dir + "/a.frag", "uniform float x;\nvoid main() {}");
    }
    void TearDown() override { clearEntryPoints(shaderGl); }

    std::string dir;
};

void* noLookup(const char*)
{
    return nullptr;
}

void APIENTRY markedUse(GLhandleARB)
{
    calls.push_back("marked");
}

void* markedLookup(const char* name)
{
    if (std::string(name) == "glUseProgramObjectARB")
        return reinterpret_cast<void*>(markedUse);
    return nullptr;
}

}  // namespace

TEST(ReadTextFile, PutsANewlineBeforeEveryLineAndNoneAtTheEnd)
{
    const std::string dir = makeScratchDir("text");
    writeFile(dir + "/two.txt", "a\nb");
    writeFile(dir + "/two-newline.txt", "a\nb\n");
    writeFile(dir + "/blank-lines.txt", "\n\nc\n\n");
    writeFile(dir + "/empty.txt", "");
    EXPECT_EQ(readTextFile(dir + "/two.txt"), "\na\nb");
    EXPECT_EQ(readTextFile(dir + "/two-newline.txt"), "\na\nb");
    EXPECT_EQ(readTextFile(dir + "/blank-lines.txt"), "\n\n\nc\n");
    EXPECT_EQ(readTextFile(dir + "/empty.txt"), "");
    EXPECT_EQ(readTextFile(dir + "/missing.txt"), "");
    EXPECT_EQ(readTextFile(""), "");
}

TEST(ReadTextFile, RefusesAFileFarLargerThanAnyShader)
{
    const std::string dir = makeScratchDir("text");
    writeFile(dir + "/large.txt", std::string(3u << 20, 'x'));
    EXPECT_EQ(readTextFile(dir + "/large.txt"), "");
    writeFile(dir + "/big-shader.txt", std::string(200000, 'y') + "\n");
    EXPECT_EQ(readTextFile(dir + "/big-shader.txt").size(), 200001u);
}

TEST_F(ShaderCalls, LoadBuildsInOrderAndLeavesTheProgramCurrent)
{
    ShaderProgram program;
    program.load(dir + "/a.vert", dir + "/a.frag");
    const std::vector<std::string> expected = {
        "createVertex", "createFragment", "source 1 count 1 noLengths",
        "source 2 count 1 noLengths", "compile 1", "compile 2", "createProgram",
        "attach 3 1", "attach 3 2", "link 3", "use 3"};
    EXPECT_EQ(calls, expected);
    ASSERT_EQ(sources.size(), 2u);
    EXPECT_EQ(sources[0], "\nvoid main() {}");
    EXPECT_EQ(sources[1], "\nuniform float x;\nvoid main() {}");
    EXPECT_EQ(program.vertexShader, 1u);
    EXPECT_EQ(program.fragmentShader, 2u);
    EXPECT_EQ(program.program, 3u);
    program.release();
}

TEST_F(ShaderCalls, MissingFilesStillBuildWithEmptySources)
{
    ShaderProgram program;
    program.load(dir + "/none.vert", dir + "/none.frag");
    ASSERT_EQ(sources.size(), 2u);
    EXPECT_EQ(sources[0], "");
    EXPECT_EQ(sources[1], "");
    EXPECT_NE(program.program, 0u);
    program.release();
}

TEST_F(ShaderCalls, LoadingAgainReleasesTheFirstBuild)
{
    ShaderProgram program;
    program.load(dir + "/a.vert", dir + "/a.frag");
    calls.clear();
    program.load(dir + "/a.vert", dir + "/a.frag");
    ASSERT_GE(calls.size(), 5u);
    const std::vector<std::string> released(calls.begin(), calls.begin() + 5);
    const std::vector<std::string> expected = {"detach 3 1", "delete 1", "detach 3 2", "delete 2",
                                               "delete 3"};
    EXPECT_EQ(released, expected);
    EXPECT_EQ(calls[5], "createVertex");
    EXPECT_EQ(program.program, 6u);
    program.release();
}

TEST_F(ShaderCalls, EmptyPathLeavesEverythingAsItWas)
{
    ShaderProgram program;
    program.load(dir + "/a.vert", dir + "/a.frag");
    calls.clear();
    program.load("", dir + "/a.frag");
    program.load(dir + "/a.vert", "");
    EXPECT_TRUE(calls.empty());
    EXPECT_EQ(program.program, 3u);
    EXPECT_EQ(program.vertexShader, 1u);
    program.release();

    ShaderProgram empty;
    empty.load("", "");
    EXPECT_TRUE(calls.size() == 5u) << "only the release above made calls";
    EXPECT_EQ(empty.program, 0u);
}

TEST_F(ShaderCalls, EmptyProgramMakesNoCalls)
{
    ShaderProgram program;
    EXPECT_EQ(program.getUniformLocation("light"), -1);
    program.release();
    EXPECT_TRUE(calls.empty());

    program.load(dir + "/a.vert", dir + "/a.frag");
    EXPECT_EQ(program.getUniformLocation("light"), 5);
    EXPECT_EQ(calls.back(), "location 3 light");
    program.release();
    calls.clear();
    program.release();
    EXPECT_EQ(program.getUniformLocation("light"), -1);
    EXPECT_TRUE(calls.empty());
    EXPECT_EQ(program.vertexShader, 0u);
    EXPECT_EQ(program.fragmentShader, 0u);
    EXPECT_EQ(program.program, 0u);
}

TEST_F(ShaderCalls, DestructorReleases)
{
    {
        ShaderProgram program;
        program.load(dir + "/a.vert", dir + "/a.frag");
        calls.clear();
    }
    const std::vector<std::string> expected = {"detach 3 1", "delete 1", "detach 3 2", "delete 2",
                                               "delete 3"};
    EXPECT_EQ(calls, expected);
}

TEST(ShaderExtensions, MissingExtensionsAreReportedToTheUser)
{
    BoxRecorder boxes;
    EXPECT_FALSE(initShaderExtensionsFrom("GL_ARB_shading_language_100 GL_EXT_foo", noLookup));
    EXPECT_FALSE(initShaderExtensionsFrom("GL_ARB_shader_objects GL_EXT_foo", noLookup));
    EXPECT_FALSE(initShaderExtensionsFrom(nullptr, noLookup));
    ASSERT_EQ(boxes.boxes().size(), 3u);
    EXPECT_EQ(boxes.boxes()[0].text, "GL_ARB_shader_objects extension not supported!");
    EXPECT_EQ(boxes.boxes()[1].text, "GL_ARB_shading_language_100 extension not supported!");
    EXPECT_EQ(boxes.boxes()[2].text, "GL_ARB_shader_objects extension not supported!");
    for (const MessageBoxRequest& box : boxes.boxes()) {
        EXPECT_EQ(box.caption, "Error");
        EXPECT_EQ(box.type, static_cast<unsigned>(MB_OK));
        EXPECT_EQ(box.owner, BoxOwner::GameWindow);
    }
}

TEST(ShaderExtensions, FetchesThroughTheLookupAndKeepsStandInsForMissingOnes)
{
    BoxRecorder boxes;
    calls.clear();
    EXPECT_TRUE(initShaderExtensionsFrom("GL_ARB_shader_objects GL_ARB_shading_language_100",
                                         markedLookup));
    EXPECT_TRUE(boxes.boxes().empty());
    shaderGl.glUseProgramObjectARB(0);
    EXPECT_EQ(calls, std::vector<std::string>{"marked"});
    // The missing ones do nothing and answer zero instead of crashing.
    EXPECT_EQ(shaderGl.glCreateProgramObjectARB(), 0u);
    shaderGl.glUniform1fARB(0, 1.0f);
    clearEntryPoints(shaderGl);
    shaderGl.glUseProgramObjectARB(0);
    EXPECT_EQ(calls.size(), 1u);
}
