#include <gtest/gtest.h>

#include <vector>

#include "app/probe.h"
#include "assets/writers.h"
#include "render/opengl.h"
#include "tests/support/test_support.h"
#include "ui/font.h"
#include "ui/menubutton.h"

namespace {

// A font picture whose every cell is white except the space cell (glyph 0),
// so a drawn glyph covers its whole 16 x 16 square.
void makeFontData(const std::string& dir)
{
    const int size = 256;
    std::vector<uint8_t> rgb(size * size * 3, 255);
    // Glyph 0 is the top-left cell; rows are stored bottom first.
    for (int y = size - 16; y < size; ++y)
        for (int x = 0; x < 16; ++x)
            for (int c = 0; c < 3; ++c)
                rgb[(y * size + x) * 3 + c] = 0;
    saveFile(dir + "/Data/Font.bmp", writeBmp24(size, size, rgb));
}

struct FontFixture : ::testing::Test {
    void SetUp() override
    {
        if (!ensureGlContext(320, 240))
            GTEST_SKIP() << "no display";
        probeGlCapabilities();
        static bool built = false;
        if (!built) {
            const std::string dir = makeScratchDir("font");
            makeFontData(dir);
            ScopedWorkingDirectory cwd(dir);
            createFontLists();
            built = true;
        }
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    }
};

// Columns of row y that hold anything but black.
std::vector<int> litColumns(int y, int width)
{
    const std::vector<uint8_t> row = readPixelsRgb(0, y, width, 1);
    std::vector<int> lit;
    for (int x = 0; x < width; ++x)
        if (row[x * 3] > 40)
            lit.push_back(x);
    return lit;
}

}  // namespace

TEST_F(FontFixture, TenCharactersCover106Pixels)
{
    EXPECT_NE(font.fontListBase, 0u);
    EXPECT_NE(font.fontTexture, 0u);
    drawText(20, 30, "ABCDEFGHIJ", 0);
    const std::vector<int> lit = litColumns(38, 320);
    ASSERT_FALSE(lit.empty());
    EXPECT_EQ(lit.front(), 20);
    EXPECT_EQ(lit.back(), 20 + 105);
    EXPECT_EQ(static_cast<int>(lit.size()), 106);
    // Glyphs are 16 high from the pen position.
    EXPECT_FALSE(litColumns(30, 320).empty());
    EXPECT_FALSE(litColumns(45, 320).empty());
    EXPECT_TRUE(litColumns(46, 320).empty());
    EXPECT_TRUE(litColumns(29, 320).empty());
}

TEST_F(FontFixture, SpacesAndControlBytesDrawNothingButAdvance)
{
    drawText(0, 100, "A \nA", 0);
    const std::vector<int> lit = litColumns(108, 320);
    ASSERT_FALSE(lit.empty());
    // First A at 0..15, blank glyphs over 10..35 (additive: add nothing), last A at 30..45.
    EXPECT_EQ(lit.back(), 45);
    EXPECT_EQ(lit.front(), 0);
    EXPECT_EQ(std::count(lit.begin(), lit.end(), 20), 0) << "the space shows black";
}

TEST_F(FontFixture, EmptyTextLeavesMatricesAndState)
{
    GLdouble before[16], after[16], projectionBefore[16], projectionAfter[16];
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTranslatef(3.0f, 4.0f, 5.0f);
    glGetDoublev(GL_MODELVIEW_MATRIX, before);
    glGetDoublev(GL_PROJECTION_MATRIX, projectionBefore);
    drawText(10, 10, "", 0);
    drawText(10, 10, "Hi", 3);
    glGetDoublev(GL_MODELVIEW_MATRIX, after);
    glGetDoublev(GL_PROJECTION_MATRIX, projectionAfter);
    for (int i = 0; i < 16; ++i) {
        EXPECT_EQ(before[i], after[i]);
        EXPECT_EQ(projectionBefore[i], projectionAfter[i]);
    }
    GLint mode = 0;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(mode, GL_MODELVIEW);
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(FontFixture, MenuButtonDrawsItsPictureInItsRectangle)
{
    unsigned texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    const uint8_t green[4 * 3] = {0, 200, 0, 0, 200, 0, 0, 200, 0, 0, 200, 0};
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, 3, 2, 2, 0, GL_RGB, GL_UNSIGNED_BYTE, green);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    MenuButton button;
    initMenuButton(button, 25, 25, 150, 50, texture, texture, texture);
    drawMenuButton(button);
    const std::vector<uint8_t> inside = readPixelsRgb(100, 50, 1, 1);
    const std::vector<uint8_t> outside = readPixelsRgb(200, 50, 1, 1);
    EXPECT_EQ(inside[1], 200);
    EXPECT_EQ(outside[1], 0);
    GLint mode = 0;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(mode, GL_MODELVIEW);
    glDeleteTextures(1, &texture);
}
