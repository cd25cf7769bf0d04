#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "assets/writers.h"
#include "render/opengl.h"
#include "tests/support/test_support.h"
#include "ui/font.h"

namespace {

class FontFixture : public GlTest {
protected:
    FontFixture() : GlTest(320, 240) {}
};

std::vector<int> litColumns(int y)
{
    const std::vector<uint8_t> row = readPixelsRgb(0, y, 320, 1);
    std::vector<int> lit;
    for (int x = 0; x < 320; ++x)
        if (row[x * 3] > 40)
            lit.push_back(x);
    return lit;
}

}  // namespace

TEST_F(FontFixture, TextLeavesMatricesAndState)
{
    // A font picture whose every cell is white except the space cell (glyph
    // 0, the top-left cell), so a drawn glyph covers its whole 16 x 16 square.
    const std::string dir = makeScratchDir("font");
    std::vector<uint8_t> rgb(256 * 256 * 3, 255);
    for (int y = 256 - 16; y < 256; ++y)  // rows are stored bottom first
        std::fill_n(&rgb[(y * 256) * 3], 16 * 3, 0);
    saveFile(dir + "/Data/Font.bmp", writeBmp24(256, 256, rgb));
    {
        ScopedWorkingDirectory cwd(dir);
        createFontLists();
    }
    ASSERT_NE(font.fontListBase, 0u);

    GLdouble before[2][16], after[2][16];
    glTranslatef(3.0f, 4.0f, 5.0f);
    glGetDoublev(GL_MODELVIEW_MATRIX, before[0]);
    glGetDoublev(GL_PROJECTION_MATRIX, before[1]);
    drawText(10, 10, "", 0);
    drawText(10, 10, "Hi", 3);

    // Ten characters span 106 pixels, 16 high from the pen position; the space
    // advances and adds nothing, so only it covers columns 66..69.
    drawText(20, 30, "ABCD FGHIJ", 0);
    const std::vector<int> lit = litColumns(38);
    ASSERT_EQ(lit.size(), 102u);
    EXPECT_EQ(std::vector<int>({lit.front(), lit[45], lit[46], lit.back()}), std::vector<int>({20, 65, 70, 125}));
    for (int y : {29, 30, 45, 46})
        EXPECT_EQ(litColumns(y).size(), y == 29 || y == 46 ? 0u : 102u) << "row " << y;

    glGetDoublev(GL_MODELVIEW_MATRIX, after[0]);
    glGetDoublev(GL_PROJECTION_MATRIX, after[1]);
    EXPECT_TRUE(std::equal(&before[0][0], &before[0][0] + 32, &after[0][0]));
    GLint mode = 0;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(mode, GL_MODELVIEW);
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}
