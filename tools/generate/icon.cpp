// The program icon: one 32-bit image with alpha in the .ico container
// (directory, then a bitmap info header, the colour rows bottom first and
// the one-bit mask the format still requires).
#include "tools/generate/icon.h"

#include <cmath>
#include <fstream>

namespace {

constexpr int iconSize = 32;

void put16(std::vector<uint8_t>& out, unsigned value)
{
    out.push_back(static_cast<uint8_t>(value & 0xFF));
    out.push_back(static_cast<uint8_t>((value >> 8) & 0xFF));
}

void put32(std::vector<uint8_t>& out, unsigned value)
{
    put16(out, value & 0xFFFF);
    put16(out, value >> 16);
}

// Half the bottle's width at row y (0 at the top), 0 where it has none.
float bottleHalfWidth(int y)
{
    if (y < 3)
        return 0.0f;
    if (y < 5)
        return 3.0f;   // the cap
    if (y < 12)
        return 2.0f;   // the neck
    if (y < 16)
        return 2.0f + static_cast<float>(y - 11) * 1.6f;  // the shoulders
    if (y < 30)
        return 8.5f;   // the body
    return 0.0f;
}

}  // namespace

std::vector<uint8_t> renderIcon()
{
    const unsigned colourBytes = iconSize * iconSize * 4;
    const unsigned maskBytes = iconSize * (iconSize / 8);
    const unsigned imageBytes = 40 + colourBytes + maskBytes;
    std::vector<uint8_t> out;
    // Directory: reserved, type 1 (icon), one image.
    put16(out, 0);
    put16(out, 1);
    put16(out, 1);
    out.push_back(iconSize);
    out.push_back(iconSize);
    out.push_back(0);  // no palette
    out.push_back(0);
    put16(out, 1);   // planes
    put16(out, 32);  // bits per pixel
    put32(out, imageBytes);
    put32(out, 6 + 16);
    // Bitmap info header; the height counts the colour rows and the mask.
    put32(out, 40);
    put32(out, iconSize);
    put32(out, iconSize * 2);
    put16(out, 1);
    put16(out, 32);
    put32(out, 0);
    put32(out, colourBytes + maskBytes);
    put32(out, 0);
    put32(out, 0);
    put32(out, 0);
    put32(out, 0);
    for (int row = iconSize - 1; row >= 0; --row) {
        const float half = bottleHalfWidth(row);
        for (int x = 0; x < iconSize; ++x) {
            const float distance = std::fabs(static_cast<float>(x) + 0.5f - iconSize / 2.0f);
            const float cover = std::fmax(0.0f, std::fmin(1.0f, half - distance + 0.5f));
            // Green glass, a gold cap, a pale label and a highlight on the left.
            int r = 30, g = 140, b = 60;
            if (row < 5) {
                r = 220; g = 180; b = 40;
            } else if (row >= 19 && row < 26) {
                r = 235; g = 225; b = 190;
            } else if (x == iconSize / 2 - 4 || (row < 16 && x == iconSize / 2 - 1)) {
                r = 150; g = 230; b = 160;
            }
            out.push_back(static_cast<uint8_t>(b));
            out.push_back(static_cast<uint8_t>(g));
            out.push_back(static_cast<uint8_t>(r));
            out.push_back(static_cast<uint8_t>(std::lround(cover * 255.0f)));
        }
    }
    // The mask is all zero: the alpha channel decides.
    out.insert(out.end(), maskBytes, 0);
    return out;
}

bool writeIcon(const std::string& path)
{
    const std::vector<uint8_t> bytes = renderIcon();
    std::ofstream file(path, std::ios::binary);
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(file);
}
