// The program's icon: a bottle of Gorvikovka on a transparent ground. The
// Windows build takes it 32 x 32 pixels with alpha as an .ico file; the Linux
// package takes it as PNG files for the desktop's icon theme.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The sizes of the PNG icons, in pixels.
constexpr int pngIconSizes[] = {32, 64, 128, 256};

// The icon at size x size pixels: RGBA, 8 bits a channel, top row first.
// The bottle is drawn on a 32-unit grid scaled to the size, so every size
// shows the same picture; at 32 it is the .ico file's picture.
std::vector<uint8_t> renderIconPixels(int size);

// The .ico file's bytes.
std::vector<uint8_t> renderIcon();

// A PNG file (RGBA, 8 bits a channel, no interlace) of width x height pixels
// given top row first.
std::vector<uint8_t> encodePng(const std::vector<uint8_t>& rgba, int width, int height);

// Writes the icon to path; false when it cannot be written.
bool writeIcon(const std::string& path);

// Writes the PNG icons into an icon theme's folder:
// themeDir/<size>x<size>/apps/<name>.png for every size above; false when one
// cannot be written.
bool writePngIcons(const std::string& themeDir, const std::string& name);
