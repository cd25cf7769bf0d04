// Helpers for the checks of the shipped game data: where the generated data
// and the generator are, whether the build made them, and the level kit's
// file names.
#pragma once

#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "tests/support/test_support.h"

namespace content {

inline std::string binaryDir()
{
    const char* dir = std::getenv("PLEMOX_BINARY_DIR");
    return dir ? dir : ".";
}

// False when the build was configured with PLEMOX_CONTENT off, so there is
// no generated data to check.
inline bool contentBuilt()
{
    std::ifstream cache(binaryDir() + "/CMakeCache.txt");
    std::string line;
    while (std::getline(cache, line))
        if (line.rfind("PLEMOX_CONTENT:BOOL=", 0) == 0)
            return line.substr(20) != "OFF";
    return true;
}

inline std::string generatorPath()
{
    return binaryDir() + "/tools/generate/plemox-generate";
}

// Where the render checks leave their pictures for a person to look at.
inline std::string shotDir()
{
    return binaryDir() + "/content-shots";
}

struct KitFile {
    const char* kind;       // the map keyword
    const char* model;      // the drawn model
    const char* collision;  // its collision hull
};

inline const std::vector<KitFile>& kitFiles()
{
    static const std::vector<KitFile> files = {
        {"CorridorDown", "Data/Models/Level/CorridorDown.3DS", "Data/Models/Level/Collision Models/Corridor Down Coll.3DS"},
        {"CorridorTurning", "Data/Models/Level/CorridorTurning.3DS",
         "Data/Models/Level/Collision Models/Corridor Turning Coll.3DS"},
        {"CorridorEnd", "Data/Models/Level/CorridorEnd.3DS", "Data/Models/Level/Collision Models/Corridor End Coll.3DS"},
        {"CorridorStraight", "Data/Models/Level/CorridorStraight.3DS",
         "Data/Models/Level/Collision Models/Corridor Straight Coll.3DS"},
        {"CrossroadT", "Data/Models/Level/CrossroadT.3DS", "Data/Models/Level/Collision Models/CrossroadT Coll.3DS"},
        {"CrossroadAll", "Data/Models/Level/Crossroad.3DS", "Data/Models/Level/Collision Models/Crossroad Coll.3DS"},
        {"Room01", "Data/Models/Level/Room01.3DS", "Data/Models/Level/Collision Models/Room01 Coll.3DS"},
        {"Room02", "Data/Models/Level/Room02.3DS", "Data/Models/Level/Collision Models/Room02 Coll.3DS"},
        {"Room03", "Data/Models/Level/Room03.3DS", "Data/Models/Level/Collision Models/Room03 Coll.3DS"},
        {"Room04", "Data/Models/Level/Room04.3DS", "Data/Models/Level/Collision Models/Room04 Coll.3DS"},
        {"Room05", "Data/Models/Level/Room05.3DS", "Data/Models/Level/Collision Models/Room05 Coll.3DS"},
    };
    return files;
}

}  // namespace content
