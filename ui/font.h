// The bitmap font: 256 glyphs in a 16 x 16 grid of "Data/Font.bmp", one
// display list each, printed in window pixels over the picture.
#pragma once

struct Font {
    unsigned fontTexture = 0;   // the glyph picture
    unsigned fontListBase = 0;  // first of 256 consecutive display lists
};

extern Font font;

// Texture coordinates of glyph g's cell: s from left to left + 0.0625,
// t from bottom to bottom + 0.0625 (row 0 at the top of the picture).
struct GlyphCell {
    float left;
    float bottom;
};
GlyphCell glyphCell(int glyph);

// The glyph a byte of text shows in a set (0 or 1; larger sets count as 1).
// Bytes that would fall outside the font's 256 glyphs show the space.
int glyphForByte(unsigned char byte, int set);

// Loads the font picture and compiles the 256 glyph lists.
void createFontLists();

// Prints text (Windows-1250 bytes) with the lower-left corner of its first
// glyph at window pixel (x, y); each glyph is 16 x 16 and advances 10.
void drawText(int x, int y, const char* text, int set);
