// The engine configuration file "Data/Engine/Initialization.ini": window
// size, colour depth and multisample count, created with defaults when
// missing, and the optional texture filtering key, never written by default.
#pragma once

#include <string>

// Window settings in effect; overlays use windowWidth x windowHeight as their
// coordinate range.
struct EngineConfig {
    int windowWidth = 640;
    int windowHeight = 480;
    int bitsPerPixel = 32;
    // PLEMOX_TEXTURE_ANISOTROPY: the anisotropy of material textures, 1 or
    // less for trilinear filtering; -1 when the file does not set it, and the
    // driver decides (see decideTextureAnisotropy).
    int textureAnisotropy = -1;
};

extern EngineConfig config;

// Where the file lives, relative to the working directory.
extern const char* const engineConfigPath;

// Creates the file with its default lines when nothing of that name exists,
// then reads the three window keys and the filtering key (at most the first
// 1 MiB). An existing file
// or folder that cannot be read is left untouched: the values in effect stay
// and the user is told once, as when the file cannot be created.
void loadEngineConfig();

// The multisample count from the file; 1 when absent or unreadable.
int readMultisampleSetting();

// The parsing rules on text already in memory (one line per 254-character
// read, last readable occurrence wins); used by the two readers above.
void applyConfigText(const std::string& text, EngineConfig& values);
int multisampleFromText(const std::string& text);
