// Chambers of the level kit: a floor outline closed by walls and a ceiling,
// seen from inside. Outline edges marked as portals carry the doorway
// profile cut out of a flat panel, where a tunnel (throat) joins. Rough
// chambers are caves: rock walls and a dome, one grid of shared vertices so
// they shade smoothly; masonry chambers have flat walls and a flat
// ceiling with hard edges.
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
    float wallHeight = 80.0f;  // upright walls; a rough chamber's dome starts there
    float domeHeight = 80.0f;  // apex height; equal to wallHeight for a flat ceiling
    // Rough: the dome rises upright from the walls (a quarter ellipse), or
    // else is drawn in from the wall top at once with a fillet of this height
    // cutting the corner (away from doorway panels).
    bool uprightDome = false;
    float fillet = 0.0f;
    float roughness = 0.0f;    // outward rock displacement of the walls
    float domeRoughness = 0.0f;  // and of the dome
    uint32_t seed = 1;
    int domeRings = 4;
    float columnStep = 13.0f;  // wall columns along rough edges, and wall rows
    float outlineStep = 13.0f;  // points along the smoothed rock between panels,
    float outlineTurn = 20.0f;  // and at most this many degrees of turn apart
    // A collision hull: walls of one row, the dome closed by a flat polygon
    // short of the apex (no vertex gathering a fan of faces) and the
    // doorway panels notched for the flared hull profile.
    bool hull = false;
};

// Rough chambers fill floor, walls (the doorway panels) and rock; masonry
// chambers floor, walls and ceiling.
struct ChamberMeshes {
    Mesh* floor;
    Mesh* walls;
    Mesh* ceiling;
    Mesh* rock;
};

void buildRoughChamber(const ChamberOutline& outline, const ChamberStyle& style, const ChamberMeshes& out);
void buildMasonryChamber(const ChamberOutline& outline, const ChamberStyle& style, const ChamberMeshes& out);
