// Helpers for the checks of the shipped game data: where the build put the
// generated data and the generator, and whether it made them.
#pragma once

#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>

#include "tests/support/test_support.h"
#include "world/world.h"

namespace content {

inline std::string binaryDir()
{
    const char* dir = std::getenv("PLEMOX_BINARY_DIR");
    return dir ? dir : ".";
}

// False when the build was configured with PLEMOX_CONTENT off: no data to check.
inline bool contentBuilt()
{
    std::ifstream cache(binaryDir() + "/CMakeCache.txt");
    std::string line;
    while (std::getline(cache, line))
        if (line.rfind("PLEMOX_CONTENT:BOOL=", 0) == 0)
            return line.substr(20) != "OFF";
    return true;
}

inline std::string generatorPath() { return binaryDir() + "/tools/generate/plemox-generate"; }

// Tests of the built game's data, run in its folder; skipped when the build
// makes no data.
class GameDataTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!contentBuilt())
            GTEST_SKIP() << "the build makes no game data (PLEMOX_CONTENT is off)";
        cwd = std::make_unique<ScopedWorkingDirectory>(gameDir());
    }

    std::unique_ptr<ScopedWorkingDirectory> cwd;
};

}  // namespace content
