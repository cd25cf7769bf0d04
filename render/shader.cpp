#include "render/shader.h"

#include <cstdio>
#include <cstring>

#include "core/text.h"
#include "core/textlines.h"
#include "platform/platform.h"

ShaderEntryPoints shaderGl;

namespace {

// Shader sources are a few kilobytes; a file beyond this is not a shader and
// is not read into memory.
constexpr size_t maximumSourceSize = 1u << 20;

}  // namespace

bool initShaderExtensionsFrom(const char* extensions, GlProcLookup lookup)
{
    if (!contains(extensions, "GL_ARB_shader_objects")) {
        showMessageBox("GL_ARB_shader_objects extension not supported!", "Error", MB_OK,
                       BoxOwner::GameWindow);
        return false;
    }
    if (!contains(extensions, "GL_ARB_shading_language_100")) {
        showMessageBox("GL_ARB_shading_language_100 extension not supported!", "Error", MB_OK,
                       BoxOwner::GameWindow);
        return false;
    }
    fetchEntryPoints(shaderGl, lookup);
    return true;
}

bool initShaderExtensions()
{
    return initShaderExtensionsFrom(glExtensionString(), getGlProcAddress);
}

std::string readShaderSource(const std::string& path)
{
    std::string content;
    if (readTextFileBounded(path.c_str(), maximumSourceSize, content) != TextFileStatus::Read || content.empty())
        return std::string();
    // Every line is appended as a newline followed by the line itself, so the
    // result starts with a newline and a final newline of the file is dropped.
    if (content.back() == '\n')
        content.pop_back();
    return "\n" + content;
}

ShaderProgram::~ShaderProgram()
{
    release();
}

void ShaderProgram::load(std::string vertexPath, std::string fragmentPath)
{
    if (vertexPath.empty() || fragmentPath.empty())
        return;
    build(readShaderSource(vertexPath), readShaderSource(fragmentPath));
    shaderGl.glUseProgramObjectARB(program);
}

bool ShaderProgram::build(const std::string& vertexSource, const std::string& fragmentSource)
{
    if (vertexShader || fragmentShader || program)
        release();

    vertexShader = shaderGl.glCreateShaderObjectARB(GL_VERTEX_SHADER_ARB);
    fragmentShader = shaderGl.glCreateShaderObjectARB(GL_FRAGMENT_SHADER_ARB);

    const GLcharARB* vertexText = vertexSource.c_str();
    const GLcharARB* fragmentText = fragmentSource.c_str();
    shaderGl.glShaderSourceARB(vertexShader, 1, &vertexText, nullptr);
    shaderGl.glShaderSourceARB(fragmentShader, 1, &fragmentText, nullptr);

    shaderGl.glCompileShaderARB(vertexShader);
    shaderGl.glCompileShaderARB(fragmentShader);

    program = shaderGl.glCreateProgramObjectARB();
    shaderGl.glAttachObjectARB(program, vertexShader);
    shaderGl.glAttachObjectARB(program, fragmentShader);
    shaderGl.glLinkProgramARB(program);

    if (vertexShader == 0 || fragmentShader == 0 || program == 0)
        return false;
    ProgramStatusEntryPoints status;
    if (!fetchEntryPoints(status, getGlProcAddress))
        return false;
    GLint linked = 0;
    status.glGetObjectParameterivARB(program, GL_OBJECT_LINK_STATUS_ARB, &linked);
    return linked != 0;
}

int ShaderProgram::getUniformLocation(const std::string& name) const
{
    if (!program)
        return -1;
    return shaderGl.glGetUniformLocationARB(program, name.c_str());
}

void ShaderProgram::release()
{
    if (vertexShader) {
        shaderGl.glDetachObjectARB(program, vertexShader);
        shaderGl.glDeleteObjectARB(vertexShader);
        vertexShader = 0;
    }
    if (fragmentShader) {
        shaderGl.glDetachObjectARB(program, fragmentShader);
        shaderGl.glDeleteObjectARB(fragmentShader);
        fragmentShader = 0;
    }
    if (program) {
        shaderGl.glDeleteObjectARB(program);
        program = 0;
    }
}
