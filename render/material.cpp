#include "render/material.h"

#include <cctype>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "core/text.h"
#include "core/textlines.h"
#include "platform/platform.h"
#include "render/capabilities.h"
#include "render/texture.h"

namespace {

// Far above any real material file; a larger file (or an endless device) is
// read only this far.
constexpr size_t materialReadLimit = 1u << 20;

// "KEY %f": sets the field when the line starts with the key and a number.
void parseFloat(const char* line, const char* key, const char* format, float& value)
{
    if (contains(line, key))
        std::sscanf(line, format, &value);
}

// Up to four components; a short line sets only the leading ones.
void parseColor(const char* line, const char* key, const char* format, float (&color)[4])
{
    if (contains(line, key))
        std::sscanf(line, format, &color[0], &color[1], &color[2], &color[3]);
}

// The format carries a field width one below the field's size.
void parseText(const char* line, const char* key, const char* format, char* field)
{
    if (contains(line, key))
        std::sscanf(line, format, field);
}

// "KEY %d": the key at the start of the line, blanks, an optional sign and
// digits. Converted with strtol so that a number beyond the range of int
// saturates instead of being undefined.
void parseInteger(const char* line, const char* key, int& value)
{
    if (!contains(line, key))
        return;
    const size_t keyLength = std::strlen(key);
    if (std::strncmp(line, key, keyLength) != 0)
        return;
    const char* start = line + keyLength;
    while (std::isspace(static_cast<unsigned char>(*start)))
        ++start;
    char* end = nullptr;
    const long parsed = std::strtol(start, &end, 10);
    if (end == start)
        return;
    if (parsed > INT_MAX)
        value = INT_MAX;
    else if (parsed < INT_MIN)
        value = INT_MIN;
    else
        value = static_cast<int>(parsed);
}

// Looks the uniform up by name (as every bind does) and sets it.
void setUniform(const ShaderProgram& program, const char* name, float value)
{
    shaderGl.glUniform1fARB(program.getUniformLocation(name), value);
}

// The same for a vec3.
void setUniform(const ShaderProgram& program, const char* name, const Vector3& value)
{
    shaderGl.glUniform3fARB(program.getUniformLocation(name), value.x, value.y, value.z);
}

// Binds one map to its texture unit, leaving that unit active.
void bindMap(GLenum unit, unsigned texture)
{
    multitexture.glActiveTexture(unit);
    glBindTexture(GL_TEXTURE_2D, texture);
}

}  // namespace

void applyMaterialLine(const char* line, Material& m)
{
    parseText(line, "_NAME", "_NAME %255s\n", m.name);
    parseColor(line, "_DIFFUSE_COLOR", "_DIFFUSE_COLOR %f %f %f %f\n", m.diffuseColor);
    parseColor(line, "_SPECULAR_COLOR", "_SPECULAR_COLOR %f %f %f %f\n", m.specularColor);
    parseColor(line, "_AMBIENT_COLOR", "_AMBIENT_COLOR %f %f %f %f\n", m.ambientColor);
    parseFloat(line, "_SHININESS", "_SHININESS %f\n", m.shininess);
    parseText(line, "_DIFFUSE_MAP", "_DIFFUSE_MAP %254s\n", m.diffuseMapPath);
    parseText(line, "_NORMAL_MAP", "_NORMAL_MAP %254s\n", m.normalMapPath);
    parseText(line, "_HEIGHT_MAP", "_HEIGHT_MAP %254s\n", m.heightMapPath);
    parseText(line, "_SPECULAR_MAP", "_SPECULAR_MAP %254s\n", m.specularMapPath);
    parseFloat(line, "_TILING", "_TILING %f\n", m.tiling);
    parseInteger(line, "_SHADING", m.shading);
    parseFloat(line, "_PARALLAXSIZEX", "_PARALLAXSIZEX %f\n", m.parallaxSizeX);
    parseFloat(line, "_PARALLAXSIZEY", "_PARALLAXSIZEY %f\n", m.parallaxSizeY);
    parseFloat(line, "_PARALLAXOFFSET", "_PARALLAXOFFSET %f\n", m.parallaxOffset);
}

void applyMaterialText(const std::string& text, Material& material)
{
    forEachTextLine(text, [&](const char* line) { applyMaterialLine(line, material); });
}

bool readMaterialFile(const std::string& path, Material& material)
{
    std::string text;
    const TextFileStatus status = readTextFileBounded(path.c_str(), materialReadLimit, text);
    if (status == TextFileStatus::Unreadable)
        return false;
    if (status == TextFileStatus::CutOff)
        showMessageBox("The material file " + path + " is larger than 1 MiB; only its first 1 MiB is read.",
                       "Warning", MB_OK | MB_ICONWARNING);
    applyMaterialText(text, material);
    return true;
}

void Material::load(const std::string& path)
{
    if (!readMaterialFile(path, *this)) {
        showMessageBox("Cannot find map file", "Error", MB_OK);
        postQuitMessage(0);
        return;
    }

    loadRgbeTexture(diffuseTexture, diffuseMapPath, true);
    loadRgbeTexture(normalTexture, normalMapPath, true);
    loadRgbeTexture(heightTexture, heightMapPath, true);
    loadRgbeTexture(specularTexture, specularMapPath, true);

    if (!initShaderExtensions()) {
        showMessageBox("GLSL Shaders aren't supported, the program will now quit", "Fatal Error",
                       MB_OK, BoxOwner::GameWindow);
        postQuitMessage(0);
        return;
    }

    if (shading == BlinnShading)
        program.load("Data/Shaders/Blinn.vert", "Data/Shaders/Blinn.frag");
    else if (shading == PhongShading)
        program.load("Data/Shaders/Phong.vert", "Data/Shaders/Phong.frag");

    diffuseMapLocation = program.getUniformLocation("diffuseMap");
    normalsMapLocation = program.getUniformLocation("normalsMap");
    heightMapLocation = program.getUniformLocation("heightMap");
    specularMapLocation = program.getUniformLocation("specularMap");

    shaderGl.glUseProgramObjectARB(0);
}

void Material::bind(Vector3 light, Camera camera)
{
    shaderGl.glUseProgramObjectARB(program.program);

    if (shading == BlinnShading || shading == PhongShading) {
        if (shading == BlinnShading) {
            setUniform(program, "parallaxX", parallaxSizeX);
            setUniform(program, "parallaxY", parallaxSizeY);
            setUniform(program, "offset", parallaxOffset);
        } else {
            setUniform(program, "parallaxSize", (parallaxSizeY + parallaxSizeX) * 0.5f);
            setUniform(program, "parallaxBias", parallaxOffset);
        }
        setUniform(program, "shininess", shininess);
        setUniform(program, "tiling", tiling);
        setUniform(program, "light", light);
        setUniform(program, "camera", camera.position);

        shaderGl.glUniform1iARB(diffuseMapLocation, 0);
        shaderGl.glUniform1iARB(normalsMapLocation, 1);
        shaderGl.glUniform1iARB(heightMapLocation, 2);
        shaderGl.glUniform1iARB(specularMapLocation, 3);
    }

    bindMap(GL_TEXTURE0, diffuseTexture);
    bindMap(GL_TEXTURE1, normalTexture);
    bindMap(GL_TEXTURE2, heightTexture);
    bindMap(GL_TEXTURE3, specularTexture);
}

void Material::unbind()
{
    shaderGl.glUseProgramObjectARB(0);
}

void Material::release()
{
    glDeleteTextures(1, &diffuseTexture);
    glDeleteTextures(1, &normalTexture);
    glDeleteTextures(1, &heightTexture);
    glDeleteTextures(1, &specularTexture);
    diffuseTexture = 0;
    normalTexture = 0;
    heightTexture = 0;
    specularTexture = 0;
    program.release();
}
