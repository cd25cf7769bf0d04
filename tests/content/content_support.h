// Helpers for the checks of the shipped game data: where the generated data
// and the generator are, whether the build made them, and the level kit's
// file names.
#pragma once

#include "world/world.h"

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

// The level kit's drawn and collision models, from the game's own table.
struct KitFile {
    const char* kind;       // the map keyword
    const char* model;      // the drawn model
    const char* collision;  // its collision hull
};

inline const std::vector<KitFile>& kitFiles()
{
    static const std::vector<KitFile> files = [] {
        std::vector<KitFile> out;
        for (int i = 0; i < pieceKindCount; ++i)
            if (pieceKinds[i].collisionModelFile)
                out.push_back({pieceKinds[i].keyword, pieceKinds[i].modelFile, pieceKinds[i].collisionModelFile});
        return out;
    }();
    return files;
}

}  // namespace content
