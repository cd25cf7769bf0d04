// Chambers of the level kit: a floor outline closed by walls and a ceiling,
// seen from inside. Outline edges marked as portals carry the doorway
// profile cut out of a flat panel, where a tunnel (throat) joins. Rough
// chambers are caves with displaced rock walls and a dome; masonry chambers
// have flat walls and a flat ceiling.
#pragma once

#include <cstdint>
#include <vector>

#include "tools/generate/mesh.h"

struct ChamberOutline {
    std::vector<Vector3> points;  // floor points (y = floor height) around the chamber
    std::vector<bool> portal;     // portal[i]: edge from point i to point i + 1 is a doorway panel
    Vector3 centre;               // an interior point every wall and ceiling faces towards
};

struct ChamberStyle {
    float wallHeight = 80.0f;
    float domeHeight = 80.0f;  // apex height; equal to wallHeight for a flat ceiling
    float roughness = 0.0f;    // outward rock displacement of walls and dome
    uint32_t seed = 1;
    int wallRows = 4;
    int domeRings = 4;
    float columnStep = 18.0f;  // wall columns along rough edges
};

struct ChamberMeshes {
    Mesh* floor;
    Mesh* walls;
    Mesh* ceiling;
};

void buildRoughChamber(const ChamberOutline& outline, const ChamberStyle& style, const ChamberMeshes& out);
void buildMasonryChamber(const ChamberOutline& outline, const ChamberStyle& style, const ChamberMeshes& out);
