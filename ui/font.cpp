#include "ui/font.h"

#include <cstring>
#include <vector>

#include "render/capabilities.h"
#include "render/opengl.h"
#include "render/overlay.h"
#include "render/texture.h"

Font font;

GlyphCell glyphCell(int glyph)
{
    const float c = static_cast<float>(glyph % 16) * 0.0625f;
    const float r = static_cast<float>(glyph / 16) * 0.0625f;
    return {c, 1.0f - r - 0.0625f};
}

int glyphForByte(unsigned char byte, int set)
{
    if (set > 1)
        set = 1;
    if (set < 0)
        set = 0;
    const int glyph = static_cast<int>(byte) - 32 + 128 * set;
    return (glyph >= 0 && glyph < 256) ? glyph : 0;
}

void createFontLists()
{
    font.fontListBase = glGenLists(256);
    loadTexture(font.fontTexture, "Data/Font.bmp", false);
    glBindTexture(GL_TEXTURE_2D, font.fontTexture);
    for (int glyph = 0; glyph < 256; ++glyph) {
        const GlyphCell cell = glyphCell(glyph);
        glNewList(font.fontListBase + glyph, GL_COMPILE);
        glEnable(GL_BLEND);
        glBlendFunc(GL_ONE, GL_ONE);
        glBegin(GL_QUADS);
        glTexCoord2f(cell.left, cell.bottom);
        glVertex2i(0, 0);
        glTexCoord2f(cell.left + 0.0625f, cell.bottom);
        glVertex2i(16, 0);
        glTexCoord2f(cell.left + 0.0625f, cell.bottom + 0.0625f);
        glVertex2i(16, 16);
        glTexCoord2f(cell.left, cell.bottom + 0.0625f);
        glVertex2i(0, 16);
        glEnd();
        glTranslated(10.0, 0.0, 0.0);
        glDisable(GL_BLEND);
        glEndList();
    }
}

void drawText(int x, int y, const char* text, int set)
{
    if (!text)
        return;
    // Each byte becomes its glyph's list number; the lists are called from
    // the font's first list, so no byte can reach a list outside the font.
    const size_t length = std::strlen(text);
    std::vector<unsigned char> glyphs(length);
    for (size_t i = 0; i < length; ++i)
        glyphs[i] = static_cast<unsigned char>(glyphForByte(static_cast<unsigned char>(text[i]), set));

    multitexture.glActiveTexture(GL_TEXTURE0);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, font.fontTexture);
    glDisable(GL_DEPTH_TEST);

    pushOverlayProjection();
    glTranslated(x, y, 0.0);

    glListBase(font.fontListBase);
    glCallLists(static_cast<GLsizei>(length), GL_UNSIGNED_BYTE, glyphs.data());

    popOverlayProjection();

    glEnable(GL_DEPTH_TEST);
    glDisable(GL_TEXTURE_2D);
}
