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

// A rectangle of a material's maps in texture coordinates as drawn (s to the
// right, t down the picture), for materials whose maps are atlases: one
// picture holding several surfaces, the model's coordinates choosing.
struct AtlasRegion {
    float s0, t0, s1, t1;
    // The point at (a, b) of the region, each 0 to 1.
    float s(float a) const { return s0 + (s1 - s0) * a; }
    float t(float b) const { return t0 + (t1 - t0) * b; }
};

// The fire atlas (Embers, slot 7, tiling 1), shared by torches and
// campfires. The flame is lit from within: its normals point into the
// surface, towards the light that burns inside it, so the faces the camera
// sees are the lit ones from every side. Its t runs from the flame's foot
// (t0) to its tip (t1).
namespace fireAtlas {
constexpr AtlasRegion wood{0.0f, 0.0f, 0.5f, 0.5f};    // grain along s
constexpr AtlasRegion embers{0.5f, 0.0f, 1.0f, 0.5f};  // charred wood, glowing cracks
constexpr AtlasRegion flame{0.0f, 0.5f, 0.5f, 1.0f};
constexpr AtlasRegion stone{0.5f, 0.5f, 1.0f, 1.0f};   // sooty stone and black iron
}  // namespace fireAtlas

// The bottle atlas (slot 8, tiling 1): green glass, the paper label band
// (s once round the bottle), the cork and the wax over it.
namespace bottleAtlas {
constexpr AtlasRegion glass{0.0f, 0.0f, 1.0f, 0.5f};
constexpr AtlasRegion label{0.0f, 0.5f, 1.0f, 0.75f};
constexpr AtlasRegion cork{0.0f, 0.75f, 0.5f, 1.0f};
constexpr AtlasRegion seal{0.5f, 0.75f, 1.0f, 1.0f};
}  // namespace bottleAtlas

// The wood of the furniture (WoodPlanks, slot 4): planks run along s,
// woodPlanksPerTile of them across one repeat in t, and the material repeats
// its maps woodTiling times per textureWorldSize units.
constexpr int woodPlanksPerTile = 6;
constexpr float woodTiling = 2.0f;

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
