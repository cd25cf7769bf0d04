// The program's icon for the Windows build: a bottle of Gorvikovka on a
// transparent ground, 32 x 32 pixels with alpha, as an .ico file.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The icon file's bytes.
std::vector<uint8_t> renderIcon();

// Writes the icon to path; false when it cannot be written.
bool writeIcon(const std::string& path);
