// Materials: which four RGBE maps a surface uses, which lighting program
// draws it (Blinn or Phong) and the numbers that program needs, read from a
// ".plemoxmat" text file.
#pragma once

#include <string>

#include "core/geometry.h"
#include "render/shader.h"

// Shading modes of the _SHADING key; any other value draws without a program.
constexpr int BlinnShading = 0;
constexpr int PhongShading = 1;

struct Material {
    char name[256] = {};                 // _NAME; stored only
    int shading = 0;                     // 0 Blinn, 1 Phong, other: no program
    float diffuseColor[4] = {};          // _DIFFUSE_COLOR; stored only
    float specularColor[4] = {};         // _SPECULAR_COLOR; stored only
    float ambientColor[4] = {};          // _AMBIENT_COLOR; stored only
    unsigned diffuseTexture = 0;         // texture names of the four maps, 0 when not loaded
    unsigned normalTexture = 0;
    unsigned heightTexture = 0;
    unsigned specularTexture = 0;
    char diffuseMapPath[255] = {};       // map file names as the file gives them
    char normalMapPath[255] = {};
    char heightMapPath[255] = {};
    char specularMapPath[255] = {};
    float shininess = 0.0f;              // specular exponent
    float tiling = 0.0f;                 // texture repeat factor
    ShaderProgram program;               // this material's own Blinn or Phong program
    int diffuseMapLocation = 0;          // sampler locations in program, -1 when absent
    int normalsMapLocation = 0;
    int heightMapLocation = 0;
    int specularMapLocation = 0;
    float parallaxSizeX = 0.0f;          // parallax scale along the two texture directions
    float parallaxSizeY = 0.0f;
    float parallaxOffset = 0.0f;         // parallax bias

    // Reads the file, loads the four maps, builds the program and looks up
    // the sampler locations. A file that does not open shows "Cannot find map
    // file" and requests the quit; missing shader support shows a fatal
    // message and requests the quit without building a program.
    void load(const std::string& path);
    // Makes the program current, sets its uniforms (light and camera position
    // in the drawn object's own coordinates) and binds the maps to units 0-3,
    // leaving unit 3 active.
    void bind(Vector3 light, Camera camera);
    // Back to fixed-function drawing.
    void unbind();
    // Deletes the four textures and the program and zeroes their names.
    void release();
};

// Applies one line (a piece of at most 254 characters, as a 255-byte line
// buffer delivers it) to the fields whose keys it holds. A key counts only at
// the start of the line; a value that does not parse leaves its field alone.
void applyMaterialLine(const char* line, Material& material);

// Applies a whole file's text, cut into the same pieces a 255-byte line
// buffer reads, line by line.
void applyMaterialText(const std::string& text, Material& material);

// Reads the file line by line into the material's fields; false, with the
// material untouched, when the file cannot be opened.
bool readMaterialFile(const std::string& path, Material& material);
