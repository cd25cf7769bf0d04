// The playable level: one World filled once at start-up from the text map,
// with its placed pieces, materials, lights and game counters.
#pragma once

#include <cstdint>

#include "assets/model3ds.h"
#include "render/material.h"
#include "core/geometry.h"

constexpr int maxPieces = 1024;
constexpr int maxLights = 255;
constexpr int materialSlots = 32;
constexpr int pieceNameSize = 255;

// Where the start-up sequence finds the map.
extern const char* const mapFilePath;

// One placed piece: a level piece (room, crossroad, corridor), a static prop
// or a bottle. Slots are never freed or reused while the program runs.
struct LevelPiece {
    Vector3 position;
    Vector3 rotation;           // degrees about X, Y and Z, applied X, Y, Z after the translation
    Model3DS model;             // drawn; a prop's first box also pushes the camera
    Model3DS collisionModel;    // level pieces only: the hull the camera collides with
    int32_t materialIndex = 0;  // 0 to 8, the materials slot the piece is drawn with
    char name[pieceNameSize] = {};
    uint8_t isProp = 0;         // 1 for static props and bottles
    uint8_t visible = 0;        // last occlusion test result
    uint8_t isCollectible = 0;  // a bottle not yet picked up
    int32_t hazardDamage = 0;   // hit points lost per scene pass nearby
    int32_t active = 0;         // drawn while nonzero; 0 once a bottle is taken
};

// The lights the map places: where they are, read by the scene pass (the
// light of each piece) and the glows, and the glow texture drawn at them.
struct LevelLights {
    Vector3 lightPositions[maxLights];
    int32_t lightCount = 0;
    unsigned glowTexture = 0;
};

// The level and everything played in it. Every pass and rule works on the
// World it is given, so a second World (a test's, the inspector's) is
// self-contained.
struct World {
    Vector3 playerStart;
    Camera playerCamera;  // the player's eye: walked by input, collided and reset by the passes
    Material materials[materialSlots];
    uint8_t levelComplete = 0;
    LevelPiece pieces[maxPieces];
    int32_t pieceCount = 0;
    int32_t hitPoints = 0;
    int32_t bottleTotal = 0;
    int32_t bottlesCollected = 0;  // since the last reset
    LevelLights lights;

    // Reads the map, places the player camera at the start, loads the nine
    // materials, every piece's model with its display list and the glow
    // texture, and arms the counters. A missing map is told and ends the game.
    void loadLevel(const char* mapPath);
    // One pass of a frame: the logic pass (false) or the scene pass (true).
    // A scene pass that is not shown applies its rules and draws nothing.
    // Defined with the passes in scenepass.cpp.
    void renderWorld(bool scenePass, bool shown = true);
};

// The game's own level.
extern World world;

// One row of the piece-kind table: the keyword searched in a piece's name and
// what a piece of that kind loads and is.
struct PieceKind {
    const char* keyword;
    const char* modelFile;
    const char* collisionModelFile;  // nullptr for props and bottles
    uint8_t isProp;
    uint8_t isCollectible;
    int32_t hazardDamage;
};

// Every kind in the order findPieceKind searches them.
extern const PieceKind pieceKinds[];
extern const int pieceKindCount;

// Box margins: level pieces get boxes inside their geometry, props and
// bottles boxes a little larger than theirs.
constexpr float levelPieceBoxMargin = -5.0f;
constexpr float propBoxMargin = 2.5f;

// The kind whose keyword the name contains, earliest row first; nullptr for
// a name that matches none (a level piece without geometry).
const PieceKind* findPieceKind(const char* name);

// The materials slot named by the first of the tags "mat01" to "mat08" found
// in the name, 0 when none.
int32_t materialIndexFromName(const char* name);

// Handles one line of the map (the loader hands over pieces of at most 254
// characters): the "PlayerStart", piece, "Gorvik" and "Light" tests, each
// independent of the others. Words are cut to their storage (63 characters
// for dropped words, 254 for the name) without shifting later fields.
// Returns false when the line asked for a piece or light beyond the table
// sizes; that part of the line was ignored, and the bottle of a dropped
// piece line is not counted.
bool handleMapLine(World& world, const char* line);

// Loads the piece's model files by its kind, boxes the drawn model and sets
// the kind's flags. Reads files only; the display list is built separately.
void loadPieceModels(LevelPiece& piece);

// Frees the world's OpenGL objects while the context is current: the 32
// materials, every piece's display list and the glow texture. Safe to repeat.
void releaseWorld(World& target);
