// The pictures of the user interface: the bitmap font, the three menu
// buttons, the engine logo and the lens-flare glow. Glyphs are rendered
// from a system TrueType font with FreeType; everything else is drawn here.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The TrueType fonts the pictures are rendered from (Debian's
// fonts-dejavu-core).
extern const char* const glyphFontPath;
extern const char* const titleFontPath;

// An 8-bit RGB picture, top row first, as it is built.
struct Picture {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgb;

    Picture(int w, int h) : width(w), height(h), rgb(static_cast<size_t>(w) * static_cast<size_t>(h) * 3, 0) {}
    // Blends colour over pixel (x, y) with coverage a (0 to 1); outside is ignored.
    void blend(int x, int y, float r, float g, float b, float a);
    // The rows bottom first, as writeBmp24 takes them.
    std::vector<uint8_t> bottomUp() const;
};

// The 16 x 16 glyph grid of Windows-1250 bytes 32 to 255 (glyph = byte - 32,
// row 0 at the top), light glyphs on black, size x size pixels. False when
// the font cannot be read.
bool renderFont(int size, Picture& out);

// A menu button with its caption, 256 x 64 (shown 150 x 50, so captions are
// drawn wider to look right when squeezed).
bool renderButton(const std::string& caption, Picture& out);

// The engine logo: light on black, 256 x 256.
bool renderLogo(Picture& out);

// A soft round glow fading to black at the edge, size x size.
Picture renderGlow(int size);

// Writes Font.bmp, the buttons, EngineLogo.bmp and Glow.tga under dataDir;
// false when a font is missing or a file cannot be written.
bool writeImages(const std::string& dataDir);
