// Reads every generated file of the shipped Data tree with the game's own
// loaders: no message box, and the sizes and counts the game expects.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

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
    void TearDown() override { cwd.reset(); }

    std::unique_ptr<ScopedWorkingDirectory> cwd;
};

// Loads a model, checks it is well formed, and returns its bounds (drawing
// axes) through low and high.
void checkModel(const std::string& file, Vector3& low, Vector3& high)
{
    SCOPED_TRACE(file);
    BoxRecorder boxes;
    Model3DS model;
    model.load(file);
    EXPECT_TRUE(boxes.boxes().empty());
    ASSERT_GE(model.objectCount, 1);
    EXPECT_LE(model.objectCount, 8);
    low = {1e9f, 1e9f, 1e9f};
    high = {-1e9f, -1e9f, -1e9f};
    for (const Object3DS& object : model.objects) {
        EXPECT_GT(object.faceCount, 0) << object.name;
        EXPECT_EQ(object.texCoordCount, object.vertexCount) << object.name;
        for (const Face3DS& face : object.faces) {
            for (uint32_t k : {face.a, face.b, face.c}) {
                ASSERT_LT(k, static_cast<uint32_t>(object.vertexCount)) << object.name;
                const Vector3& n = object.normals[k];
                EXPECT_TRUE(std::isfinite(n.x) && std::isfinite(n.y) && std::isfinite(n.z)) << object.name;
                const Vector3& v = object.vertices[k];
                const Vector3 d(v.x, v.z, -v.y);
                low = {std::min(low.x, d.x), std::min(low.y, d.y), std::min(low.z, d.z)};
                high = {std::max(high.x, d.x), std::max(high.y, d.y), std::max(high.z, d.z)};
            }
        }
    }
}

bool powerOfTwo(int n)
{
    return n > 0 && (n & (n - 1)) == 0;
}

}  // namespace

TEST_F(ShippedData, LevelPiecesStayInTheirCellAndLoadCleanly)
{
    for (const content::KitFile& file : content::kitFiles()) {
        for (const char* name : {file.model, file.collision}) {
            Vector3 low, high;
            checkModel(name, low, high);
            // One 200-unit cell, the doorway skirts reaching 12 beyond it.
            EXPECT_GE(low.x, -113.0f) << name;
            EXPECT_LE(high.x, 113.0f) << name;
            EXPECT_GE(low.z, -113.0f) << name;
            EXPECT_LE(high.z, 113.0f) << name;
            // Floor at 0 (the slope's foot 60 lower, skirts 2 below).
            EXPECT_GE(low.y, std::string(file.kind) == "CorridorDown" ? -62.5f : -2.5f) << name;
            EXPECT_LE(low.y, std::string(file.kind) == "CorridorDown" ? -59.0f : 0.5f) << name;
            EXPECT_GE(high.y, 78.0f) << name;
        }
    }
}

TEST_F(ShippedData, PropsAndTheBottleHaveBelievableSizes)
{
    struct Expected {
        const char* file;
        float minHeight, maxHeight, maxWidth;
    };
    const Expected props[] = {
        {"Data/Models/Static/Campfire.3DS", 25, 50, 50},  {"Data/Models/Static/Fence.3DS", 35, 50, 70},
        {"Data/Models/Static/Crate.3DS", 24, 28, 28},     {"Data/Models/Static/Pile.3DS", 20, 40, 50},
        {"Data/Models/Static/Torch.3DS", 20, 40, 25},     {"Data/Models/Static/Stalagtit.3DS", 30, 60, 40},
        {"Data/Models/Static/Stalagmit.3DS", 30, 50, 40}, {"Data/Models/Static/Stalagnat.3DS", 100, 140, 45},
        {"Data/Models/Static/Chair.3DS", 38, 46, 22},     {"Data/Models/Static/Table.3DS", 26, 32, 60},
        {"Data/Models/Static/Stone.3DS", 12, 30, 50},     {"Data/Models/Static/Rope.3DS", 50, 75, 20},
        {"Data/Models/Gorvik.3DS", 14, 16, 10},
    };
    for (const Expected& prop : props) {
        Vector3 low, high;
        checkModel(prop.file, low, high);
        const float height = high.y - low.y;
        EXPECT_GE(height, prop.minHeight) << prop.file;
        EXPECT_LE(height, prop.maxHeight) << prop.file;
        EXPECT_LE(std::max(high.x - low.x, high.z - low.z), prop.maxWidth) << prop.file;
    }
}

TEST_F(ShippedData, MaterialFilesNameTheirFourMapsAndTheMapsAreSound)
{
    const char* files[9] = {"Data/underground.plemoxmat", "Data/mat01.plemoxmat", "Data/mat02.plemoxmat",
                            "Data/mat03.plemoxmat",       "Data/mat04.plemoxmat", "Data/mat05.plemoxmat",
                            "Data/mat06.plemoxmat",       "Data/mat07.plemoxmat", "Data/mat08.plemoxmat"};
    for (const char* file : files) {
        SCOPED_TRACE(file);
        Material material;
        ASSERT_TRUE(readMaterialFile(file, material));
        EXPECT_TRUE(material.shading == 0 || material.shading == 1);
        EXPECT_GT(material.shininess, 0.0f);
        EXPECT_GT(material.tiling, 0.0f);
        EXPECT_GT(material.parallaxSizeX, 0.0f);
        EXPECT_LT(material.parallaxOffset, 0.0f);
        EXPECT_GT(std::strlen(material.name), 0u);
        const char* maps[4] = {material.diffuseMapPath, material.normalMapPath, material.heightMapPath,
                               material.specularMapPath};
        for (int m = 0; m < 4; ++m) {
            SCOPED_TRACE(maps[m]);
            RgbeImage image;
            ASSERT_TRUE(loadRgbeFile(maps[m], image));
            EXPECT_TRUE(powerOfTwo(image.width) && image.width == image.height) << image.width;
            ASSERT_EQ(image.pixels.size(), static_cast<size_t>(image.width) * image.height * 3);
            float low = 1e9f, high = -1e9f;
            size_t badNormals = 0;
            for (size_t i = 0; i < image.pixels.size(); i += 3) {
                for (int c = 0; c < 3; ++c) {
                    low = std::min(low, image.pixels[i + static_cast<size_t>(c)]);
                    high = std::max(high, image.pixels[i + static_cast<size_t>(c)]);
                }
                if (m == 1) {
                    // Tangent-space normals, decoded as the shaders do.
                    const float x = image.pixels[i] * 2 - 1, y = image.pixels[i + 1] * 2 - 1,
                                z = image.pixels[i + 2] * 2 - 1;
                    if (std::fabs(std::sqrt(x * x + y * y + z * z) - 1.0f) > 0.05f || z <= 0.2f)
                        ++badNormals;
                }
            }
            // Uploaded clamped to 0..1: the maps stay inside, and are not flat.
            EXPECT_GE(low, 0.0f);
            EXPECT_LE(high, 1.0f);
            EXPECT_GT(high - low, 0.05f);
            EXPECT_EQ(badNormals, 0u);
        }
    }
}

TEST_F(ShippedData, PicturesHaveTheirSizesAndLayout)
{
    BoxRecorder boxes;
    // The font: 16 x 16 cells, glyph = byte - 32 from the top left, light
    // glyphs on black, each narrow enough for the 10-pixel advance.
    const std::unique_ptr<DibImage> font = loadDibFile("Data/Font.bmp");
    ASSERT_TRUE(font);
    ASSERT_EQ(font->width, 512);
    ASSERT_EQ(font->height, 512);
    const int cell = 32;
    // Rows come bottom first: picture row r from the top is buffer row 511 - r.
    const auto pixel = [&](int x, int yFromTop) {
        return font->pixels[(static_cast<size_t>(511 - yFromTop) * 512 + static_cast<size_t>(x)) * 3];
    };
    const auto ink = [&](int glyph, int& rightmost) {
        const int cx = (glyph % 16) * cell, cy = (glyph / 16) * cell;
        int count = 0;
        rightmost = -1;
        for (int y = 0; y < cell; ++y)
            for (int x = 0; x < cell; ++x)
                if (pixel(cx + x, cy + y) > 64) {
                    ++count;
                    rightmost = std::max(rightmost, x);
                }
        return count;
    };
    int rightmost = 0;
    EXPECT_EQ(ink(0, rightmost), 0) << "the space";
    for (unsigned char byte : std::string("AMWgjq09@\xC8\xD8\x8A\x8E\xE8\xF8\x9A\x9E\xFD\xF9")) {
        EXPECT_GT(ink(byte - 32, rightmost), 20) << static_cast<int>(byte);
        EXPECT_LE(rightmost, cell * 62 / 100) << static_cast<int>(byte);
    }

    // The buttons repeat across their top and bottom rows, which must agree.
    for (const char* file : {"Data/Textures/Button/NewGame.bmp", "Data/Textures/Button/Authors.bmp",
                             "Data/Textures/Button/QuitGame.bmp"}) {
        const std::unique_ptr<DibImage> button = loadDibFile(file);
        ASSERT_TRUE(button) << file;
        EXPECT_EQ(button->width, 256);
        EXPECT_EQ(button->height, 64);
        const size_t row = static_cast<size_t>(button->width) * 3;
        EXPECT_TRUE(std::equal(button->pixels.begin(), button->pixels.begin() + static_cast<std::ptrdiff_t>(row),
                               button->pixels.end() - static_cast<std::ptrdiff_t>(row)))
            << file;
    }

    // The logo: light on a dark ground, nothing in the strip cut off above.
    const std::unique_ptr<DibImage> logo = loadDibFile("Data/EngineLogo.bmp");
    ASSERT_TRUE(logo);
    EXPECT_EQ(logo->width, 256);
    EXPECT_EQ(logo->height, 256);
    int bright = 0, topBright = 0;
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 256; ++x) {
            const uint8_t* p = &logo->pixels[(static_cast<size_t>(y) * 256 + static_cast<size_t>(x)) * 3];
            if (p[0] + p[1] + p[2] > 450) {
                ++bright;
                if (y >= 224)
                    ++topBright;
            }
        }
    EXPECT_GT(bright, 1500);
    EXPECT_EQ(topBright, 0);
    EXPECT_LT(logo->pixels[0] + logo->pixels[1] + logo->pixels[2], 30);

    // The glow: bright in the middle, black at the rim, round.
    const std::unique_ptr<Image> glow = loadTgaImage("Data/Textures/LensFlares/Glow.tga");
    ASSERT_TRUE(glow);
    EXPECT_EQ(glow->width, 64);
    EXPECT_EQ(glow->height, 64);
    EXPECT_EQ(glow->channels, 3);
    const auto at = [&](int x, int y) { return glow->pixels[(static_cast<size_t>(y) * 64 + static_cast<size_t>(x)) * 3]; };
    EXPECT_GT(at(32, 32), 180);
    EXPECT_EQ(at(0, 0), 0);
    EXPECT_EQ(at(63, 32), 0);
    EXPECT_EQ(at(32, 20), at(20, 32));
    EXPECT_TRUE(boxes.boxes().empty());
}

TEST_F(ShippedData, MusicIsAnMp3OfOneToTwoMinutesWithItsInformationFrame)
{
    const std::string mp3 = readFile("Data/Audio/mirelto.mp3");
    ASSERT_GT(mp3.size(), 200000u);
    const auto byte = [&](size_t i) { return static_cast<unsigned char>(mp3[i]); };
    // MPEG-1 layer III frame sync at the very start (no ID3 tag before it).
    ASSERT_EQ(byte(0), 0xFF);
    ASSERT_EQ(byte(1) & 0xFE, 0xFA);
    const size_t first = 256;
    const size_t xing = std::min(mp3.find("Xing"), mp3.find("Info"));
    ASSERT_LT(xing, first);
    const size_t lame = mp3.find("LAME");
    ASSERT_LT(lame, 512u);
    const uint32_t flags = (byte(xing + 4) << 24) | (byte(xing + 5) << 16) | (byte(xing + 6) << 8) | byte(xing + 7);
    ASSERT_TRUE(flags & 1u) << "frame count present";
    const uint32_t frames = (byte(xing + 8) << 24) | (byte(xing + 9) << 16) | (byte(xing + 10) << 8) | byte(xing + 11);
    const double seconds = frames * 1152.0 / 44100.0;
    EXPECT_GE(seconds, 60.0);
    EXPECT_LE(seconds, 120.0);
    // The encoder delay and padding the gapless players trim (12 bits each,
    // 21 bytes after the encoder's name).
    const size_t at = lame + 21;
    const int delay = (byte(at) << 4) | (byte(at + 1) >> 4);
    const int padding = ((byte(at + 1) & 0x0F) << 8) | byte(at + 2);
    EXPECT_GT(delay, 0);
    EXPECT_LT(delay, 3000);
    EXPECT_LT(padding, 3000);
    // The samples the player keeps make exactly the loop the music was made for.
    EXPECT_NEAR(frames * 1152.0 - delay - padding, 96.0 * 44100.0, 1.0);
}
