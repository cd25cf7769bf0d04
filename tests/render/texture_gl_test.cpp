#include <gtest/gtest.h>

#include <vector>

#include "app/probe.h"
#include "assets/writers.h"
#include "render/opengl.h"
#include "render/texture.h"
#include "tests/support/test_support.h"

namespace {

class TextureGl : public GlTest {
protected:
    void SetUp() override
    {
        GlTest::SetUp();
        dir = makeScratchDir("texture");
    }
    // Loads name from the scratch folder and checks it is bound.
    unsigned load(const std::string& name, bool mipmaps)
    {
        unsigned texture = 0;
        const std::string path = dir + "/" + name;
        EXPECT_TRUE(name.find(".hdr") != std::string::npos ? loadRgbeTexture(texture, path.c_str(), mipmaps)
                                                            : loadTexture(texture, path.c_str(), mipmaps));
        GLint bound = 0;
        glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
        EXPECT_EQ(static_cast<unsigned>(bound), texture);
        return texture;
    }
    GLint parameter(GLenum name)
    {
        GLint value = -1;
        glGetTexParameteriv(GL_TEXTURE_2D, name, &value);
        return value;
    }
    GLint level(int lod, GLenum name)
    {
        GLint value = -1;
        glGetTexLevelParameteriv(GL_TEXTURE_2D, lod, name, &value);
        return value;
    }
    std::vector<uint8_t> texels(GLenum format, size_t size)
    {
        std::vector<uint8_t> out(size);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glGetTexImage(GL_TEXTURE_2D, 0, format, GL_UNSIGNED_BYTE, out.data());
        return out;
    }
    std::string dir;
};

}  // namespace

TEST_F(TextureGl, BitmapTgaAndJpegUploads)
{
    // Width 3: rows of 9 bytes only arrive intact with an unpack alignment of 1.
    std::vector<uint8_t> rgb, rgba, grey(16 * 8);
    for (int i = 0; i < 3 * 2; ++i)
        rgb.insert(rgb.end(), {static_cast<uint8_t>(40 * i), static_cast<uint8_t>(200 - i), 7});
    for (int i = 0; i < 4 * 4; ++i)
        rgba.insert(rgba.end(), {static_cast<uint8_t>(i * 16), 10, 20, static_cast<uint8_t>(255 - i)});
    for (size_t i = 0; i < grey.size(); ++i)
        grey[i] = static_cast<uint8_t>(20 + 25 * (i / 16));
    writeFile(dir + "/pic.bmp", writeBmp24(3, 2, rgb));
    writeFile(dir + "/glow.tga", writeTga(4, 4, 4, rgba, true));
    writeFile(dir + "/grey.jpg", writeJpeg(16, 8, 1, grey));
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    BoxRecorder boxes;

    unsigned texture = load("pic.bmp", false);
    EXPECT_EQ(level(0, GL_TEXTURE_WIDTH), 3);
    EXPECT_EQ(level(0, GL_TEXTURE_ALPHA_SIZE), 0);
    EXPECT_EQ(parameter(GL_TEXTURE_MIN_FILTER), GL_LINEAR);
    EXPECT_EQ(texels(GL_RGB, rgb.size()), rgb) << "bottom row first";
    glDeleteTextures(1, &texture);

    texture = load("glow.tga", true);
    EXPECT_GT(level(0, GL_TEXTURE_ALPHA_SIZE), 0);
    EXPECT_EQ(level(2, GL_TEXTURE_WIDTH), 1);
    EXPECT_EQ(parameter(GL_TEXTURE_MIN_FILTER), GL_LINEAR_MIPMAP_LINEAR);
    EXPECT_EQ(parameter(GL_TEXTURE_MAG_FILTER), GL_LINEAR);
    EXPECT_EQ(texels(GL_RGBA, rgba.size()), rgba);
    glDeleteTextures(1, &texture);

    // A grey picture is one luminance channel, bottom row first.
    texture = load("grey.jpg", false);
    EXPECT_GT(level(0, GL_TEXTURE_LUMINANCE_SIZE), 0);
    const std::vector<uint8_t> luminance = texels(GL_LUMINANCE, grey.size());
    for (int row = 0; row < 8; ++row)
        EXPECT_NEAR(luminance[row * 16 + 5], 20 + 25 * (7 - row), 3) << "row " << row;
    glDeleteTextures(1, &texture);
    expectBoxes(boxes, {});
}

TEST_F(TextureGl, RgbeTextureFiltersAndValues)
{
    // (2, 0, 0.5) is clamped to 1 by the fixed-point internal format.
    std::vector<float> expected = {1.0f, 0.5f, 0.25f, 2.0f, 0.0f, 0.5f, 0.0f, 0.0f, 0.0f, 0.125f, 0.25f, 1.0f};
    writeFile(dir + "/m.hdr", writeRgbe(2, 2, expected));
    expected[3] = 1.0f;
    unsigned texture = load("m.hdr", false);
    EXPECT_EQ(level(0, GL_TEXTURE_WIDTH), 2);
    EXPECT_EQ(level(0, GL_TEXTURE_ALPHA_SIZE), 0);
    EXPECT_EQ(parameter(GL_TEXTURE_MIN_FILTER), GL_LINEAR);
    EXPECT_EQ(parameter(GL_TEXTURE_MAG_FILTER), GL_LINEAR);
    std::vector<float> values(12);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_FLOAT, values.data());
    for (int i = 0; i < 12; ++i)
        EXPECT_NEAR(values[i], expected[i], 1.0f / 255) << "value " << i;
    glDeleteTextures(1, &texture);

    unsigned kept = 66;
    EXPECT_FALSE(loadRgbeTexture(kept, nullptr, true));
    EXPECT_FALSE(loadRgbeTexture(kept, (dir + "/missing.hdr").c_str(), true));
    EXPECT_EQ(kept, 66u);
    while (glGetError() != GL_NO_ERROR) {
    }
}
