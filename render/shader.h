// GLSL programs through the ARB shader-object extension: the extension check,
// the entry-point table, the reader of shader source files and the
// ShaderProgram record (vertex shader, fragment shader, program; 0 = none).
#pragma once

#include <string>

#include "render/capabilities.h"

// The fifteen shader entry points in the order they are fetched.
#define SHADER_ENTRY_POINTS(X)                                   \
    X(PFNGLCREATESHADEROBJECTARBPROC, glCreateShaderObjectARB)   \
    X(PFNGLSHADERSOURCEARBPROC, glShaderSourceARB)               \
    X(PFNGLCOMPILESHADERARBPROC, glCompileShaderARB)             \
    X(PFNGLCREATEPROGRAMOBJECTARBPROC, glCreateProgramObjectARB) \
    X(PFNGLATTACHOBJECTARBPROC, glAttachObjectARB)               \
    X(PFNGLLINKPROGRAMARBPROC, glLinkProgramARB)                 \
    X(PFNGLUSEPROGRAMOBJECTARBPROC, glUseProgramObjectARB)       \
    X(PFNGLUNIFORM1IARBPROC, glUniform1iARB)                     \
    X(PFNGLUNIFORM1FARBPROC, glUniform1fARB)                     \
    X(PFNGLUNIFORM2FARBPROC, glUniform2fARB)                     \
    X(PFNGLUNIFORM3FARBPROC, glUniform3fARB)                     \
    X(PFNGLUNIFORM4FARBPROC, glUniform4fARB)                     \
    X(PFNGLGETUNIFORMLOCATIONARBPROC, glGetUniformLocationARB)   \
    X(PFNGLDETACHOBJECTARBPROC, glDetachObjectARB)               \
    X(PFNGLDELETEOBJECTARBPROC, glDeleteObjectARB)

PLEMOX_ENTRY_POINT_TABLE(ShaderEntryPoints, SHADER_ENTRY_POINTS)

// Every caller of the shader extension calls through this table.
extern ShaderEntryPoints shaderGl;

// Checks the extension string for "GL_ARB_shader_objects" and
// "GL_ARB_shading_language_100" (telling the user in a box owned by the game
// window and returning false when one is missing), then fetches the fifteen
// entry points through lookup. A missing entry point keeps its stand-in.
bool initShaderExtensionsFrom(const char* extensions, GlProcLookup lookup);

// The same for the current context's extension string and the platform's
// entry-point lookup. Called by every material load and once by start-up.
bool initShaderExtensions();

// The whole text of a file with a newline in front of every line and none at
// the end ("a\nb" and "a\nb\n" both give "\na\nb"); empty when the file
// cannot be opened or is larger than any shader source can reasonably be.
std::string readShaderSource(const std::string& path);

struct ShaderProgram {
    unsigned vertexShader = 0;
    unsigned fragmentShader = 0;
    unsigned program = 0;

    ShaderProgram() = default;
    ~ShaderProgram();
    // A program owns its GL objects; a copy would delete them twice.
    ShaderProgram(const ShaderProgram&) = delete;
    ShaderProgram& operator=(const ShaderProgram&) = delete;

    // Builds the program from the two files and leaves it current. An empty
    // path does nothing at all; a previous build is released first. Compile
    // and link results are not examined.
    void load(std::string vertexPath, std::string fragmentPath);
    // Builds the program from the two source texts, a previous build
    // released first; current stays what it was. True when both shaders were
    // made and the program linked (as far as the driver can tell).
    bool build(const std::string& vertexSource, const std::string& fragmentSource);
    // The uniform's location in program; -1 without a GL call when there is
    // no program.
    int getUniformLocation(const std::string& name) const;
    // Detaches and deletes whatever objects exist and zeroes their handles;
    // a second call makes no GL call.
    void release();
};
