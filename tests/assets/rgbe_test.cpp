#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "assets/rgbe.h"
#include "assets/writers.h"
#include "tests/support/test_support.h"

namespace {

// Decodes bytes through an in-memory stream, as a file would be.
RgbeImage decodeBytes(const std::string& bytes)
{
    RgbeImage image;
    FILE* file = bytesFile(bytes);
    decodeRgbe(file, image);
    std::fclose(file);
    return image;
}

const std::string header = "#?RADIANCE\nFORMAT=32-bit_rle_rgbe\n\n";

std::string resolution(int height, int width)
{
    return "-Y " + std::to_string(height) + " +X " + std::to_string(width) + "\n";
}

std::string bytes(std::initializer_list<int> values)
{
    std::string out;
    for (int v : values)
        out.push_back(static_cast<char>(v));
    return out;
}

// An encoded scanline whose four components are each one run of a value.
std::string runScanline(int width, int r, int g, int b, int e)
{
    std::string out = bytes({2, 2, width >> 8, width & 0xFF});
    for (int value : {r, g, b, e}) {
        int left = width;
        while (left > 0) {
            const int run = std::min(left, 127);
            out += bytes({128 + run, value});
            left -= run;
        }
    }
    return out;
}

void expectPixel(const RgbeImage& image, int x, int y, float r, float g, float b)
{
    const size_t at = 3 * (static_cast<size_t>(y) * image.width + x);
    ASSERT_LT(at + 2, image.pixels.size());
    EXPECT_FLOAT_EQ(image.pixels[at], r) << "pixel " << x << "," << y;
    EXPECT_FLOAT_EQ(image.pixels[at + 1], g) << "pixel " << x << "," << y;
    EXPECT_FLOAT_EQ(image.pixels[at + 2], b) << "pixel " << x << "," << y;
}

}  // namespace

TEST(Rgbe, ConvertsKnownPixels)
{
    float r, g, b;
    const uint8_t half[4] = {128, 64, 32, 129};
    rgbeToFloat(half, r, g, b);
    EXPECT_EQ(r, 1.0f);
    EXPECT_EQ(g, 0.5f);
    EXPECT_EQ(b, 0.25f);
    const uint8_t black[4] = {255, 200, 100, 0};
    rgbeToFloat(black, r, g, b);
    EXPECT_EQ(r, 0.0f);
    EXPECT_EQ(g, 0.0f);
    EXPECT_EQ(b, 0.0f);
    const uint8_t tiny[4] = {255, 1, 0, 1};  // 2^-135 per unit, no half-unit offset
    rgbeToFloat(tiny, r, g, b);
    EXPECT_EQ(g, std::ldexp(1.0f, -135));
    EXPECT_EQ(r, 255 * std::ldexp(1.0f, -135));
    EXPECT_EQ(b, 0.0f);
}

TEST(Rgbe, WrittenPicturesReadBackFlatAndEncoded)
{
    const int width = 40, height = 3;
    std::vector<float> rgb;
    for (int i = 0; i < width * height; ++i) {
        // Values that RGBE holds exactly, with runs and changes.
        const float base = (i / 7) % 2 ? 1.0f : 0.25f;
        rgb.push_back(base);
        rgb.push_back(i % 3 == 0 ? 2.0f : 0.5f);
        rgb.push_back(i % 11 == 0 ? 0.0f : 0.125f);
    }
    for (bool encoded : {true, false}) {
        const std::string file = writeRgbe(width, height, rgb, encoded);
        const size_t data = file.find("+X 40\n") + 6;
        ASSERT_NE(data, std::string::npos);
        EXPECT_EQ(file[data] == 2 && file[data + 1] == 2, encoded);
        const RgbeImage image = decodeBytes(file);
        ASSERT_EQ(image.width, width);
        ASSERT_EQ(image.height, height);
        ASSERT_EQ(image.pixels.size(), rgb.size());
        for (size_t i = 0; i < rgb.size(); ++i)
            ASSERT_EQ(image.pixels[i], rgb[i]) << "value " << i << (encoded ? " encoded" : " flat");
    }
    // The same through a file on disk.
    const std::string dir = makeScratchDir("rgbe");
    writeFile(dir + "/m.hdr", writeRgbe(width, height, rgb));
    RgbeImage image;
    ASSERT_TRUE(loadRgbeFile((dir + "/m.hdr").c_str(), image));
    EXPECT_EQ(image.pixels, rgb);
    EXPECT_FALSE(loadRgbeFile((dir + "/missing.hdr").c_str(), image));
    EXPECT_FALSE(loadRgbeFile(nullptr, image));
}

TEST(Rgbe, HeaderRules)
{
    // No FORMAT line, but other lines, the empty line and a resolution.
    const std::string pixel = bytes({128, 64, 32, 129});
    RgbeImage plain = decodeBytes("#?RGBE\nGAMMA=1.0\nEXPOSURE=2\n\n" + resolution(1, 2) + pixel + pixel);
    ASSERT_EQ(plain.width, 2);
    ASSERT_EQ(plain.height, 1);
    expectPixel(plain, 1, 0, 1.0f, 0.5f, 0.25f);

    // A header line of 300 characters is read in pieces.
    RgbeImage longLine = decodeBytes("#?RADIANCE\n" + std::string(300, 'x') + "\n\n" + resolution(1, 1) + pixel);
    ASSERT_EQ(longLine.width, 1);
    expectPixel(longLine, 0, 0, 1.0f, 0.5f, 0.25f);

    // Other orientations are not accepted: 0 x 0.
    for (const std::string& line : {std::string("+Y 2 +X 2\n"), std::string("+X 2 -Y 2\n"),
                                     std::string("-Y 2 -X 2\n"), std::string("-Y two +X 2\n")}) {
        RgbeImage image = decodeBytes(header + line + pixel + pixel + pixel + pixel);
        EXPECT_EQ(image.width, 0) << line;
        EXPECT_EQ(image.height, 0) << line;
        EXPECT_TRUE(image.pixels.empty());
    }
    // The header ends before its empty line, or a line starts with a zero byte.
    EXPECT_EQ(decodeBytes("#?RADIANCE\nFORMAT=32-bit_rle_rgbe\n").width, 0);
    EXPECT_EQ(decodeBytes(std::string("#?RADIANCE\n\0\n\n-Y 1 +X 1\n", 24) + pixel).width, 0);
    EXPECT_EQ(decodeBytes("").width, 0);

    // readRgbeHeader itself.
    std::string text = header + resolution(7, 9);
    FILE* file = bytesFile(text);
    int width = 0, height = 0;
    EXPECT_TRUE(readRgbeHeader(file, width, height));
    EXPECT_EQ(width, 9);
    EXPECT_EQ(height, 7);
    std::fclose(file);
}

TEST(Rgbe, SizesAreCheckedBeforeAllocation)
{
    EXPECT_EQ(decodeBytes(header + resolution(100000, 100000)).width, 0);
    EXPECT_EQ(decodeBytes(header + resolution(-5, 3)).width, 0);
    EXPECT_EQ(decodeBytes(header + resolution(5, 0)).width, 0);
    EXPECT_EQ(decodeBytes(header + "-Y 99999999999999999999 +X 1\n").width, 0);
    // A big picture with no data at all is damage, not a picture of zeros.
    EXPECT_EQ(decodeBytes(header + resolution(4096, 4096)).width, 0);
    // A modest one with its data missing is kept, zero-filled.
    RgbeImage missing = decodeBytes(header + resolution(64, 64));
    ASSERT_EQ(missing.width, 64);
    ASSERT_EQ(missing.pixels.size(), 64u * 64u * 3u);
    for (float value : missing.pixels)
        ASSERT_EQ(value, 0.0f);
}

TEST(Rgbe, FlatAndEncodedPaths)
{
    const std::string looksEncoded = bytes({2, 2, 0, 4});
    // Width below 8: flat even if the scanline looks encoded.
    RgbeImage narrow = decodeBytes(header + resolution(1, 4) + looksEncoded + bytes({128, 64, 32, 129}) +
                                   bytes({0, 0, 0, 0}) + bytes({64, 64, 64, 130}));
    ASSERT_EQ(narrow.width, 4);
    expectPixel(narrow, 0, 0, 2 * std::ldexp(1.0f, -132), 2 * std::ldexp(1.0f, -132), 0.0f);
    expectPixel(narrow, 1, 0, 1.0f, 0.5f, 0.25f);
    expectPixel(narrow, 3, 0, 1.0f, 1.0f, 1.0f);

    // Wider than 32767: flat.
    const int wide = 32768;
    std::string wideData = header + resolution(1, wide) + bytes({2, 2, 0x80, 1});
    for (int i = 1; i < wide; ++i)
        wideData += bytes({128, 64, 32, 129});
    RgbeImage wideImage = decodeBytes(wideData);
    ASSERT_EQ(wideImage.width, wide);
    expectPixel(wideImage, 0, 0, 2 * std::ldexp(1.0f, -135), 2 * std::ldexp(1.0f, -135),
                0x80 * std::ldexp(1.0f, -135));
    expectPixel(wideImage, wide - 1, 0, 1.0f, 0.5f, 0.25f);

    // Flat from the first scanline, and flat from the second one on.
    std::string flatRow;
    for (int i = 0; i < 8; ++i)
        flatRow += bytes({128, 64, 32, 129});
    RgbeImage flat = decodeBytes(header + resolution(2, 8) + flatRow + flatRow);
    ASSERT_EQ(flat.height, 2);
    expectPixel(flat, 7, 1, 1.0f, 0.5f, 0.25f);
    RgbeImage mixed = decodeBytes(header + resolution(3, 8) + runScanline(8, 64, 64, 64, 130) + flatRow + flatRow);
    expectPixel(mixed, 0, 0, 1.0f, 1.0f, 1.0f);
    expectPixel(mixed, 7, 0, 1.0f, 1.0f, 1.0f);
    expectPixel(mixed, 0, 1, 1.0f, 0.5f, 0.25f);
    expectPixel(mixed, 7, 2, 1.0f, 0.5f, 0.25f);

    // A marker with another width stops decoding; what came before stays.
    RgbeImage mismatch = decodeBytes(header + resolution(2, 8) + runScanline(8, 64, 64, 64, 130) +
                                     runScanline(9, 64, 64, 64, 130));
    ASSERT_EQ(mismatch.width, 8);
    ASSERT_EQ(mismatch.height, 2);
    expectPixel(mismatch, 3, 0, 1.0f, 1.0f, 1.0f);
    expectPixel(mismatch, 3, 1, 0.0f, 0.0f, 0.0f);
    EXPECT_FALSE(mismatch.complete);
    EXPECT_TRUE(mixed.complete);
    EXPECT_TRUE(flat.complete);

    // A count byte of 128 is a literal of 128 bytes.
    std::string literal = header + resolution(1, 128) + bytes({2, 2, 0, 128});
    for (int value : {128, 64, 32, 129}) {
        literal += bytes({128});
        for (int i = 0; i < 128; ++i)
            literal += bytes({i == 5 && value == 128 ? 64 : value});
    }
    RgbeImage literalImage = decodeBytes(literal);
    expectPixel(literalImage, 0, 0, 1.0f, 0.5f, 0.25f);
    expectPixel(literalImage, 127, 0, 1.0f, 0.5f, 0.25f);
    expectPixel(literalImage, 5, 0, 0.5f, 0.5f, 0.25f);

    // A count byte of 0 stops decoding.
    RgbeImage zero = decodeBytes(header + resolution(2, 8) + runScanline(8, 64, 64, 64, 130) +
                                 bytes({2, 2, 0, 8, 0, 7}) + runScanline(8, 64, 64, 64, 130).substr(6));
    expectPixel(zero, 0, 0, 1.0f, 1.0f, 1.0f);
    expectPixel(zero, 0, 1, 0.0f, 0.0f, 0.0f);

    // Runs and literals longer than what is left of the component stop it.
    RgbeImage longRun = decodeBytes(header + resolution(1, 8) + bytes({2, 2, 0, 8, 128 + 9, 1}));
    expectPixel(longRun, 7, 0, 0.0f, 0.0f, 0.0f);
    RgbeImage longLiteral = decodeBytes(header + resolution(1, 8) + bytes({2, 2, 0, 8, 9}) + std::string(40, '\x40'));
    expectPixel(longLiteral, 7, 0, 0.0f, 0.0f, 0.0f);

    // The pixel readers directly.
    float none[3] = {7, 7, 7};
    std::string empty = "x";
    FILE* file = bytesFile(empty);
    EXPECT_TRUE(readRgbePixels(file, none, 0));
    EXPECT_FALSE(readRgbePixels(file, none, 1));
    std::fclose(file);
}

TEST(Rgbe, CutAndDamagedFilesNeverOverrun)
{
    std::vector<float> rgb(24 * 5 * 3);
    for (size_t i = 0; i < rgb.size(); ++i)
        rgb[i] = static_cast<float>(i % 17) * 0.25f;
    const std::string good = writeRgbe(24, 5, rgb);
    for (size_t cut = 0; cut <= good.size(); ++cut) {
        RgbeImage image = decodeBytes(good.substr(0, cut));
        EXPECT_LE(image.width, 24);  // a cut resolution line may read as a narrower picture
        EXPECT_LE(image.height, 5);
        EXPECT_EQ(image.pixels.size(), static_cast<size_t>(image.width) * image.height * 3);
    }
    uint32_t seed = 7;
    for (int round = 0; round < 3000; ++round) {
        std::string damaged = good;
        for (int i = 0; i < 4; ++i) {
            seed = seed * 1103515245u + 12345u;
            const size_t at = 40 + (seed >> 8) % (damaged.size() - 40);
            damaged[at] = static_cast<char>(seed >> 24);
        }
        RgbeImage image = decodeBytes(damaged);
        EXPECT_EQ(image.pixels.size(), static_cast<size_t>(image.width) * image.height * 3);
    }
}
