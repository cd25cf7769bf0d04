// Writes the level kit, the props and the bottle as 3DS files.
#pragma once

#include <string>

// Each file goes under dataDir with the path the game uses after "Data/".
// False when a file could not be written.
bool writeModels(const std::string& dataDir);

// The game's "Data/..." file name as a path under dataDir.
std::string dataPath(const std::string& dataDir, const std::string& gameFileName);
