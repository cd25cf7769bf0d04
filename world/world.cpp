#include "world/world.h"

#include <cctype>
#include <cstdio>
#include <cstring>
#include <string>

#include "core/text.h"
#include "core/textlines.h"
#include "platform/platform.h"
#include "render/meshlist.h"
#include "render/opengl.h"
#include "render/texture.h"
#include "world/camera.h"
#include "world/measure.h"
#include "world/rules.h"

const char* const mapFilePath = "Data/Maps/Map.txt";

World world;
WorldMeasurements worldMeasurements;

const PieceKind pieceKinds[] = {
    {"CorridorDown", "Data/Models/Level/CorridorDown.3DS",
     "Data/Models/Level/Collision Models/Corridor Down Coll.3DS", 0, 0, 0},
    {"CorridorTurning", "Data/Models/Level/CorridorTurning.3DS",
     "Data/Models/Level/Collision Models/Corridor Turning Coll.3DS", 0, 0, 0},
    {"CorridorEnd", "Data/Models/Level/CorridorEnd.3DS",
     "Data/Models/Level/Collision Models/Corridor End Coll.3DS", 0, 0, 0},
    {"CorridorStraight", "Data/Models/Level/CorridorStraight.3DS",
     "Data/Models/Level/Collision Models/Corridor Straight Coll.3DS", 0, 0, 0},
    {"CrossroadT", "Data/Models/Level/CrossroadT.3DS",
     "Data/Models/Level/Collision Models/CrossroadT Coll.3DS", 0, 0, 0},
    {"CrossroadAll", "Data/Models/Level/Crossroad.3DS",
     "Data/Models/Level/Collision Models/Crossroad Coll.3DS", 0, 0, 0},
    {"Room01", "Data/Models/Level/Room01.3DS", "Data/Models/Level/Collision Models/Room01 Coll.3DS", 0,
     0, 0},
    {"Room02", "Data/Models/Level/Room02.3DS", "Data/Models/Level/Collision Models/Room02 Coll.3DS", 0,
     0, 0},
    {"Room03", "Data/Models/Level/Room03.3DS", "Data/Models/Level/Collision Models/Room03 Coll.3DS", 0,
     0, 0},
    {"Room04", "Data/Models/Level/Room04.3DS", "Data/Models/Level/Collision Models/Room04 Coll.3DS", 0,
     0, 0},
    {"Room05", "Data/Models/Level/Room05.3DS", "Data/Models/Level/Collision Models/Room05 Coll.3DS", 0,
     0, 0},
    {"Campfire", "Data/Models/Static/Campfire.3DS", nullptr, 1, 0, 3},
    {"Fence", "Data/Models/Static/Fence.3DS", nullptr, 1, 0, 0},
    {"Crate", "Data/Models/Static/Crate.3DS", nullptr, 1, 0, 0},
    {"Pile", "Data/Models/Static/Pile.3DS", nullptr, 1, 0, 2},
    {"Torch", "Data/Models/Static/Torch.3DS", nullptr, 1, 0, 0},
    {"Stalagtit", "Data/Models/Static/Stalagtit.3DS", nullptr, 1, 0, 0},
    {"Stalagmit", "Data/Models/Static/Stalagmit.3DS", nullptr, 1, 0, 0},
    {"Stalagnat", "Data/Models/Static/Stalagnat.3DS", nullptr, 1, 0, 0},
    {"Chair", "Data/Models/Static/Chair.3DS", nullptr, 1, 0, 0},
    {"Table", "Data/Models/Static/Table.3DS", nullptr, 1, 0, 0},
    {"Stone", "Data/Models/Static/Stone.3DS", nullptr, 1, 0, 0},
    {"Rope", "Data/Models/Static/Rope.3DS", nullptr, 1, 0, 0},
    {"Gorvik", "Data/Models/Gorvik.3DS", nullptr, 1, 1, 0},
};
const int pieceKindCount = static_cast<int>(sizeof pieceKinds / sizeof pieceKinds[0]);

namespace {

// Longest dropped word kept while parsing; the rest of a longer word is skipped.
constexpr int droppedWordSize = 64;

const char* const materialFiles[] = {
    "Data/underground.plemoxmat", "Data/mat01.plemoxmat", "Data/mat02.plemoxmat",
    "Data/mat03.plemoxmat",       "Data/mat04.plemoxmat", "Data/mat05.plemoxmat",
    "Data/mat06.plemoxmat",       "Data/mat07.plemoxmat", "Data/mat08.plemoxmat",
};

const char* const limitWarning =
    "The map places more than 1024 pieces or more than 255 lights; the extra lines are ignored.";

// Far above any real map (1024 pieces and 255 lights fit in well under one
// MiB); a larger file (or an endless device) is read only this far.
constexpr size_t mapReadLimit = 8u << 20;

const char* const mapCutOffWarning =
    "The map file is larger than 8 MiB; only its first 8 MiB are read.";

// Reads one whitespace-delimited word into out (at most capacity - 1
// characters, the rest of a longer word skipped) the way "%s" does.
bool scanWord(const char*& cursor, char* out, int capacity)
{
    char format[32];
    std::snprintf(format, sizeof format, " %%%ds%%n", capacity - 1);
    int consumed = 0;
    if (std::sscanf(cursor, format, out, &consumed) != 1)
        return false;
    cursor += consumed;
    while (*cursor != '\0' && !std::isspace(static_cast<unsigned char>(*cursor)))
        ++cursor;
    return true;
}

bool scanReal(const char*& cursor, float& out)
{
    int consumed = 0;
    float value = 0.0f;
    if (std::sscanf(cursor, " %f%n", &value, &consumed) != 1)
        return false;
    out = value;
    cursor += consumed;
    return true;
}

// The map's field layout "%s %s %s %f %f %f %s %f %f %f ": three words,
// three reals, a word, three reals. Conversion stops at the first field that
// does not convert; destinations of later fields keep what they held.
void scanMapFields(const char* line, char* name, int nameCapacity, Vector3& place, Vector3& turn)
{
    char dropped[droppedWordSize];
    const char* cursor = line;
    if (!scanWord(cursor, dropped, droppedWordSize) || !scanWord(cursor, name, nameCapacity) ||
        !scanWord(cursor, dropped, droppedWordSize) || !scanReal(cursor, place.x) ||
        !scanReal(cursor, place.y) || !scanReal(cursor, place.z) ||
        !scanWord(cursor, dropped, droppedWordSize) || !scanReal(cursor, turn.x) ||
        !scanReal(cursor, turn.y))
        return;
    scanReal(cursor, turn.z);
}

// Seconds from start to now on the steady clock.
double secondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

const PieceKind* findPieceKind(const char* name)
{
    for (const PieceKind& kind : pieceKinds)
        if (contains(name, kind.keyword))
            return &kind;
    return nullptr;
}

int32_t materialIndexFromName(const char* name)
{
    char tag[16];
    for (int32_t k = 1; k <= 8; ++k) {
        std::snprintf(tag, sizeof tag, "mat%02d", static_cast<int>(k));
        if (contains(name, tag))
            return k;
    }
    return 0;
}

bool handleMapLine(World& world, const char* line)
{
    bool withinLimits = true;
    bool piecePlaced = false;
    const bool pieceLine =
        contains(line, "Corridor") || contains(line, "Crossroad") || contains(line, "Room") || contains(line, "static");

    if (contains(line, "PlayerStart")) {
        char name[pieceNameSize];
        Vector3 turn;
        scanMapFields(line, name, pieceNameSize, world.playerStart, turn);
    }
    if (pieceLine) {
        if (world.pieceCount < maxPieces) {
            LevelPiece& piece = world.pieces[world.pieceCount];
            scanMapFields(line, piece.name, pieceNameSize, piece.position, piece.rotation);
            piece.materialIndex = materialIndexFromName(piece.name);
            ++world.pieceCount;
            piecePlaced = true;
        } else {
            withinLimits = false;
        }
    }
    // A bottle whose piece line was dropped is not counted: it could never be collected.
    if (contains(line, "Gorvik") && (!pieceLine || piecePlaced))
        ++world.bottleTotal;
    if (contains(line, "Light")) {
        LevelLights& lights = world.lights;
        if (lights.lightCount < maxLights) {
            char name[pieceNameSize];
            Vector3 turn;
            scanMapFields(line, name, pieceNameSize, lights.lightPositions[lights.lightCount], turn);
            ++lights.lightCount;
        } else {
            withinLimits = false;
        }
    }
    return withinLimits;
}

void loadPieceModels(LevelPiece& piece)
{
    const PieceKind* kind = findPieceKind(piece.name);
    if (!kind)
        return;
    piece.model.load(kind->modelFile);
    if (kind->collisionModelFile) {
        piece.collisionModel.load(kind->collisionModelFile);
        piece.model.computeObjectBoxes(levelPieceBoxMargin);
    } else {
        piece.model.computeObjectBoxes(propBoxMargin);
    }
    piece.isProp = kind->isProp;
    piece.isCollectible = kind->isCollectible;
    piece.hazardDamage = kind->hazardDamage;
}

void World::loadLevel(const char* mapPath)
{
    using Clock = std::chrono::steady_clock;
    LevelLoadTimes& times = worldMeasurements.levelLoad;
    times = LevelLoadTimes();
    times.begin = Clock::now();
    std::string text;
    const TextFileStatus status = readTextFileBounded(mapPath, mapReadLimit, text);
    if (status == TextFileStatus::Unreadable) {
        showMessageBox("Map file doesn't exist", "Error", MB_OK | MB_ICONERROR, BoxOwner::None);
        postQuitMessage(0);
        times.end = Clock::now();
        return;
    }
    if (status == TextFileStatus::CutOff)
        showMessageBox(mapCutOffWarning, "Warning", MB_OK | MB_ICONWARNING, BoxOwner::None);
    bool limitTold = false;
    forEachTextLine(text, [&](const char* line) {
        if (!handleMapLine(*this, line) && !limitTold) {
            showMessageBox(limitWarning, "Warning", MB_OK | MB_ICONWARNING, BoxOwner::None);
            limitTold = true;
        }
    });

    resetPlayerCamera(*this);

    Clock::time_point start = Clock::now();
    for (int slot = 0; slot < 9; ++slot)
        materials[slot].load(materialFiles[slot]);
    times.materials = secondsSince(start);

    for (int i = 0; i < pieceCount; ++i) {
        LevelPiece& piece = pieces[i];
        start = Clock::now();
        loadPieceModels(piece);
        times.models += secondsSince(start);
        start = Clock::now();
        if (findPieceKind(piece.name))
            buildDisplayList(piece.model, 1.0f, true);
        times.displayLists += secondsSince(start);
    }

    loadTexture(lights.glowTexture, "Data/Textures/LensFlares/Glow.tga", true);

    hitPoints = maxHitPoints;
    levelComplete = 0;
    for (int i = 0; i < pieceCount; ++i)
        pieces[i].active = 1;
    times.end = Clock::now();
}

void releaseWorld(World& target)
{
    for (Material& material : target.materials)
        material.release();
    for (int i = 0; i < target.pieceCount; ++i) {
        Model3DS& model = target.pieces[i].model;
        if (model.displayList != 0) {
            glDeleteLists(model.displayList, 1);
            model.displayList = 0;
        }
    }
    if (target.lights.glowTexture != 0) {
        glDeleteTextures(1, &target.lights.glowTexture);
        target.lights.glowTexture = 0;
    }
}
