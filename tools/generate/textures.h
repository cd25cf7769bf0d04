// The material maps: for each of the game's nine materials a diffuse,
// normal, height and specular map as Radiance RGBE files, made from tileable
// procedural patterns. The normal map is derived from the height map and
// stored as colour (0..1, the shaders decode 2c - 1) in the tangent frame
// s = picture x, t = picture row; height and specular sit in the red channel
// (grey pictures).
#pragma once

#include <string>
#include <vector>

constexpr int materialMapSize = 512;

// One material's maps, by the file-name stem used in the .plemoxmat files:
// "Data/Textures/Materials/<stem>Diffuse.hdr" and likewise Normal, Height,
// Specular.
struct MaterialMaps {
    std::string stem;
    int size = 0;
    std::vector<float> diffuse;   // size * size * 3, top row first
    std::vector<float> normal;
    std::vector<float> height;
    std::vector<float> specular;
};

// The stems of the nine materials, in slot order (underground, mat01..mat08).
const std::vector<std::string>& materialStems();

// Computes the maps of material `index` (0 to 8) at the given size.
MaterialMaps buildMaterialMaps(int index, int size);

// Writes every material's four maps under dataDir; false on a write failure.
bool writeMaterialMaps(const std::string& dataDir);
