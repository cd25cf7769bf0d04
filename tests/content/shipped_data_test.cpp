// Reads every generated file of the shipped Data tree with the game's own
// loaders: no message box, and the sizes and counts the game expects.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <string>

#include "assets/image.h"
#include "assets/model3ds.h"
#include "assets/rgbe.h"
#include "render/material.h"
#include "tests/content/content_support.h"
#include "tests/support/test_support.h"

namespace {

class ShippedData : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!content::contentBuilt())
            GTEST_SKIP() << "the build makes no game data (PLEMOX_CONTENT is off)";
        cwd = std::make_unique<ScopedWorkingDirectory>(gameDir());
    }

    std::unique_ptr<ScopedWorkingDirectory> cwd;
    BoxRecorder boxes;
};

// Loads a model, checks it is well formed, and returns its bounds (drawing
// axes) through low and high.
void checkModel(const std::string& file, Vector3& low, Vector3& high)
{
    SCOPED_TRACE(file);
    Model3DS model;
    model.load(file);
    ASSERT_GE(model.objectCount, 1);
    EXPECT_LE(model.objectCount, 8);
    low = {1e9f, 1e9f, 1e9f};
    high = {-1e9f, -1e9f, -1e9f};
    for (const Object3DS& object : model.objects) {
        EXPECT_GT(object.faceCount, 0) << object.name;
        EXPECT_EQ(object.texCoordCount, object.vertexCount) << object.name;
        for (const Face3DS& face : object.faces)
            for (uint32_t k : {face.a, face.b, face.c}) {
                ASSERT_LT(k, static_cast<uint32_t>(object.vertexCount)) << object.name;
                const Vector3 &n = object.normals[k], &v = object.vertices[k];
                EXPECT_TRUE(std::isfinite(n.x) && std::isfinite(n.y) && std::isfinite(n.z)) << object.name;
                low = {std::min(low.x, v.x), std::min(low.y, v.z), std::min(low.z, -v.y)};
                high = {std::max(high.x, v.x), std::max(high.y, v.z), std::max(high.z, -v.y)};
            }
    }
}

}  // namespace

TEST_F(ShippedData, ModelsLoadCleanlyAndHaveTheirSizes)
{
    // Level pieces, drawn and collision models: one 200-unit cell, the
    // doorway skirts reaching 12 beyond it, floor at 0 (the slope's foot 60
    // lower, skirts 2 below).
    for (int i = 0; i < pieceKindCount; ++i) {
        const PieceKind& kind = pieceKinds[i];
        if (!kind.collisionModelFile)
            continue;
        const bool slope = std::string(kind.keyword) == "CorridorDown";
        for (const char* name : {kind.modelFile, kind.collisionModelFile}) {
            Vector3 low, high;
            checkModel(name, low, high);
            EXPECT_TRUE(low.x >= -113 && high.x <= 113 && low.z >= -113 && high.z <= 113) << name;
            EXPECT_GE(low.y, slope ? -62.5f : -2.5f) << name;
            EXPECT_LE(low.y, slope ? -59.0f : 0.5f) << name;
            EXPECT_GE(high.y, 78.0f) << name;
        }
    }
    // Props and the bottle: believable heights and widths.
    const struct {
        const char* file;
        float minHeight, maxHeight, maxWidth;
    } props[] = {
        {"Static/Campfire", 25, 50, 50},  {"Static/Fence", 35, 50, 70},      {"Static/Crate", 24, 28, 28},
        {"Static/Pile", 20, 40, 50},      {"Static/Torch", 20, 40, 25},      {"Static/Stalagtit", 30, 60, 40},
        {"Static/Stalagmit", 30, 50, 40}, {"Static/Stalagnat", 100, 140, 45}, {"Static/Chair", 38, 46, 22},
        {"Static/Table", 26, 32, 60},     {"Static/Stone", 12, 30, 50},      {"Static/Rope", 50, 75, 20},
        {"Gorvik", 14, 16, 10},
    };
    for (const auto& prop : props) {
        const std::string file = std::string("Data/Models/") + prop.file + ".3DS";
        Vector3 low, high;
        checkModel(file, low, high);
        EXPECT_GE(high.y - low.y, prop.minHeight) << file;
        EXPECT_LE(high.y - low.y, prop.maxHeight) << file;
        EXPECT_LE(std::max(high.x - low.x, high.z - low.z), prop.maxWidth) << file;
    }
    EXPECT_TRUE(boxes.boxes().empty()) << boxes.texts().front();
}

TEST_F(ShippedData, MaterialFilesNameTheirFourMapsAndTheMapsAreSound)
{
    for (int m = 0; m <= 8; ++m) {
        const std::string file =
            m ? "Data/mat0" + std::to_string(m) + ".plemoxmat" : std::string("Data/underground.plemoxmat");
        SCOPED_TRACE(file);
        Material material;
        ASSERT_TRUE(readMaterialFile(file, material));
        EXPECT_TRUE(material.shading == 0 || material.shading == 1);
        EXPECT_TRUE(material.shininess > 0 && material.tiling > 0 && material.parallaxSizeX > 0);
        EXPECT_LT(material.parallaxOffset, 0.0f);
        EXPECT_GT(std::strlen(material.name), 0u);
        const char* maps[4] = {material.diffuseMapPath, material.normalMapPath, material.heightMapPath,
                               material.specularMapPath};
        for (int m = 0; m < 4; ++m) {
            SCOPED_TRACE(maps[m]);
            RgbeImage image;
            ASSERT_TRUE(loadRgbeFile(maps[m], image));
            EXPECT_TRUE(image.width > 0 && (image.width & (image.width - 1)) == 0 && image.width == image.height);
            ASSERT_EQ(image.pixels.size(), static_cast<size_t>(image.width) * image.height * 3);
            const auto [low, high] = std::minmax_element(image.pixels.begin(), image.pixels.end());
            // Uploaded clamped to 0..1: the maps stay inside, and are not flat.
            EXPECT_TRUE(*low >= 0.0f && *high <= 1.0f && *high - *low > 0.05f) << *low << " to " << *high;
            // Tangent-space normals, decoded as the shaders do.
            size_t badNormals = 0;
            for (size_t i = 0; m == 1 && i < image.pixels.size(); i += 3) {
                const float x = image.pixels[i] * 2 - 1, y = image.pixels[i + 1] * 2 - 1, z = image.pixels[i + 2] * 2 - 1;
                badNormals += std::fabs(std::sqrt(x * x + y * y + z * z) - 1.0f) > 0.05f || z <= 0.2f;
            }
            EXPECT_EQ(badNormals, 0u);
        }
    }
}

TEST_F(ShippedData, PicturesHaveTheirSizesAndLayout)
{
    // The font: 16 x 16 cells of 32, glyph = byte - 32 from the top left
    // (rows stored bottom first), light glyphs on black, each narrow enough
    // for the 10-pixel advance.
    const std::unique_ptr<DibImage> font = loadDibFile("Data/Font.bmp");
    ASSERT_TRUE(font && font->width == 512 && font->height == 512);
    const auto ink = [&](int glyph, int& rightmost) {
        int count = 0;
        rightmost = -1;
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 32; ++x)
                if (font->pixels[(static_cast<size_t>(511 - (glyph / 16) * 32 - y) * 512 + (glyph % 16) * 32 + x) * 3] > 64) {
                    ++count;
                    rightmost = std::max(rightmost, x);
                }
        return count;
    };
    int rightmost = 0;
    EXPECT_EQ(ink(0, rightmost), 0) << "the space";
    for (unsigned char byte : std::string("AMWgjq09@\xC8\xD8\x8A\x8E\xE8\xF8\x9A\x9E\xFD\xF9")) {
        EXPECT_GT(ink(byte - 32, rightmost), 20) << static_cast<int>(byte);
        EXPECT_LE(rightmost, 32 * 62 / 100) << static_cast<int>(byte);
    }
    // The buttons repeat across their top and bottom rows, which must agree.
    for (const char* name : {"NewGame", "Authors", "QuitGame"}) {
        const std::unique_ptr<DibImage> button = loadDibFile((std::string("Data/Textures/Button/") + name + ".bmp").c_str());
        ASSERT_TRUE(button && button->width == 256 && button->height == 64) << name;
        EXPECT_TRUE(std::equal(button->pixels.begin(), button->pixels.begin() + 256 * 3, button->pixels.end() - 256 * 3))
            << name;
    }
    EXPECT_TRUE(boxes.boxes().empty());
}

TEST_F(ShippedData, MusicIsAnMp3OfOneToTwoMinutesThatLoopsExactly)
{
    const std::string mp3 = readFile("Data/Audio/mirelto.mp3");
    ASSERT_GT(mp3.size(), 200000u);
    const auto byte = [&](size_t i) { return static_cast<uint32_t>(static_cast<uint8_t>(mp3[i])); };
    const auto u32 = [&](size_t i) { return byte(i) << 24 | byte(i + 1) << 16 | byte(i + 2) << 8 | byte(i + 3); };
    // MPEG-1 layer III frame sync at the very start (no ID3 tag before it),
    // the information frame in the first frame with its frame count.
    ASSERT_TRUE(byte(0) == 0xFF && (byte(1) & 0xFE) == 0xFA);
    const size_t xing = std::min(mp3.find("Xing"), mp3.find("Info")), lame = mp3.find("LAME");
    ASSERT_TRUE(xing < 256 && lame < 512);
    ASSERT_TRUE(u32(xing + 4) & 1u) << "frame count present";
    const uint32_t frames = u32(xing + 8);
    EXPECT_TRUE(frames * 1152.0 / 44100.0 >= 60.0 && frames * 1152.0 / 44100.0 <= 120.0) << frames;
    // The encoder delay and padding the gapless players trim (12 bits each,
    // 21 bytes after the encoder's name); the samples kept make exactly the
    // loop the music was made for.
    const int delay = static_cast<int>(byte(lame + 21) << 4 | byte(lame + 22) >> 4);
    const int padding = static_cast<int>((byte(lame + 22) & 0x0F) << 8 | byte(lame + 23));
    EXPECT_TRUE(delay > 0 && delay < 3000 && padding < 3000) << delay << " " << padding;
    EXPECT_NEAR(frames * 1152.0 - delay - padding, 96.0 * 44100.0, 1.0);
}
