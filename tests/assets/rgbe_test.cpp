#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "assets/image.h"
#include "assets/rgbe.h"
#include "assets/writers.h"
#include "tests/support/test_support.h"

namespace {

RgbeImage decodeBytes(const std::string& bytes)
{
    RgbeImage image;
    FILE* file = bytesFile(bytes);
    decodeRgbe(file, image);
    std::fclose(file);
    return image;
}

const std::string header = "#?RADIANCE\nFORMAT=32-bit_rle_rgbe\n\n";
const std::string half = "\x80\x40\x20\x81";  // (1, 0.5, 0.25)
const std::string one = "\x40\x40\x40\x82";    // (1, 1, 1)

std::string resolution(int height, int width)
{
    return "-Y " + std::to_string(height) + " +X " + std::to_string(width) + "\n";
}

std::string marker(int width)
{
    return Bytes().u8(2).u8(2).u8(width >> 8).u8(width & 0xFF).str();
}

// An encoded scanline whose four components are each one run of the bytes of pixel.
std::string runScanline(int width, const std::string& pixel)
{
    Bytes out;
    out.raw(marker(width));
    for (char value : pixel)
        for (int left = width; left > 0; left -= 127)
            out.u8(128 + std::min(left, 127)).u8(static_cast<uint8_t>(value));
    return out.str();
}

std::string repeat(const std::string& pixel, int count)
{
    std::string out;
    while (count-- > 0)
        out += pixel;
    return out;
}

void expectPixel(const RgbeImage& image, int x, int y, float r, float g, float b)
{
    const size_t at = 3 * (static_cast<size_t>(y) * image.width + x);
    ASSERT_LT(at + 2, image.pixels.size());
    EXPECT_EQ(std::vector<float>(image.pixels.begin() + at, image.pixels.begin() + at + 3), std::vector<float>({r, g, b}))
        << "pixel " << x << "," << y;
}

}  // namespace

TEST(Rgbe, HeaderAndSizeRules)
{
    // No FORMAT line but others; a header line of 300 characters read in pieces.
    for (const std::string& head : {std::string("#?RGBE\nGAMMA=1.0\nEXPOSURE=2\n\n"), "#?RADIANCE\n" + std::string(300, 'x') + "\n\n"}) {
        RgbeImage image = decodeBytes(head + resolution(1, 2) + half + half);
        expectPixel(image, 1, 0, 1.0f, 0.5f, 0.25f);
    }
    // Refused: other orientations, a header without its empty line or with a zero
    // byte, nothing at all, and sizes checked before any allocation.
    const std::string refused[] = {
        header + "+Y 2 +X 2\n" + repeat(half, 4), header + "+X 2 -Y 2\n" + repeat(half, 4),
        header + "-Y 2 -X 2\n" + repeat(half, 4), header + "-Y two +X 2\n" + repeat(half, 4),
        "#?RADIANCE\nFORMAT=32-bit_rle_rgbe\n", std::string("#?RADIANCE\n\0\n\n-Y 1 +X 1\n", 24) + half, "",
        header + resolution(100000, 100000), header + resolution(-5, 3), header + resolution(5, 0),
        header + "-Y 99999999999999999999 +X 1\n", header + resolution(4096, 4096)};
    for (const std::string& bytes : refused) {
        const RgbeImage image = decodeBytes(bytes);
        EXPECT_EQ(image.width + image.height, 0) << bytes.substr(0, 60);
        EXPECT_TRUE(image.pixels.empty());
    }
    // Refused when the data could not describe the pixels even at the densest
    // encoding (4 bytes a flat pixel; a run-length scanline 4 + 4 x 2 bytes per
    // 127 pixels); one byte more is kept.
    struct Case {
        int height, width;
        size_t fewest;
    };
    EXPECT_EQ(decodeBytes(header + resolution(16384, 16384) + std::string(8u << 20, '\x40')).width, 0);
    for (const Case& c : {Case{64, 64, 64u * 12}, Case{3, 127, 3u * 12}, Case{3, 128, 3u * 20},
                          Case{5, 4, 5u * 4 * 4}, Case{2, 16384, 2u * (4 + 8 * 130)}}) {
        SCOPED_TRACE(std::to_string(c.height) + " x " + std::to_string(c.width));
        const std::string head = header + resolution(c.height, c.width);
        EXPECT_EQ(decodeBytes(head + std::string(c.fewest - 1, '\x40')).width, 0);
        EXPECT_EQ(decodeBytes(head + std::string(c.fewest, '\x40')).pixels.size(),
                  static_cast<size_t>(c.width) * c.height * 3);
    }
    // A picture that could not become a texture is refused before anything
    // is allocated, however much data follows: a side above the largest
    // texture, or more decoded bytes than the limit; exactly at both limits
    // it is read.
    const ImageLimits saved = imageLimits;
    imageLimits.largestSide = 80;
    imageLimits.largestBytes = 64 * 64 * 12;
    const std::string plenty(80 * 80 * 4, '\x40');
    const struct {
        int height, width;
        bool read;
    } limits[] = {{64, 64, true}, {1, 80, true}, {1, 81, false}, {81, 1, false}, {64, 65, false}};
    for (const auto& c : limits) {
        const RgbeImage image = decodeBytes(header + resolution(c.height, c.width) + plenty);
        EXPECT_EQ(image.width, c.read ? c.width : 0) << c.height << " x " << c.width;
        EXPECT_EQ(image.refusedWidth, c.read ? 0 : c.width);
        EXPECT_EQ(image.refusedHeight, c.read ? 0 : c.height);
    }
    imageLimits = saved;
    EXPECT_EQ(decodeBytes(header + resolution(2, 16385) + plenty).refusedWidth, 16385) << "whatever the driver";

    // Cut short where the rule allows: what is there decodes, the rest is zero.
    RgbeImage cut = decodeBytes(header + resolution(3, 64) + repeat(half, 64));
    ASSERT_EQ(cut.height, 3);
    expectPixel(cut, 63, 0, 1.0f, 0.5f, 0.25f);
    expectPixel(cut, 0, 1, 0.0f, 0.0f, 0.0f);
    EXPECT_FALSE(cut.complete);
}

TEST(Rgbe, FlatAndEncodedPaths)
{
    // Width below 8: flat even if the scanline looks encoded; exponent 0 is black.
    RgbeImage narrow = decodeBytes(header + resolution(1, 4) + marker(4) + half + "\xFF\xC8\x64" + '\0' + one);
    expectPixel(narrow, 0, 0, 2 * std::ldexp(1.0f, -132), 2 * std::ldexp(1.0f, -132), 0.0f);
    expectPixel(narrow, 1, 0, 1.0f, 0.5f, 0.25f);
    expectPixel(narrow, 2, 0, 0.0f, 0.0f, 0.0f);
    expectPixel(narrow, 3, 0, 1.0f, 1.0f, 1.0f);
    // Wider than 32767 (too wide for any texture, so only the scanline reader
    // sees it): flat; small exponents without a half-unit offset.
    const int wide = 32768;
    RgbeImage wideImage;
    wideImage.width = wide;
    wideImage.pixels.resize(3 * wide);
    FILE* wideFile = bytesFile("\x02\x02\x80\x01" + repeat(half, wide - 1));
    EXPECT_TRUE(readRgbePixelsRle(wideFile, wideImage.pixels.data(), wide, 1));
    std::fclose(wideFile);
    expectPixel(wideImage, 0, 0, 2 * std::ldexp(1.0f, -135), 2 * std::ldexp(1.0f, -135), 0x80 * std::ldexp(1.0f, -135));
    expectPixel(wideImage, wide - 1, 0, 1.0f, 0.5f, 0.25f);
    // Flat from the second scanline on.
    RgbeImage mixed = decodeBytes(header + resolution(3, 8) + runScanline(8, one) + repeat(half, 16));
    expectPixel(mixed, 7, 0, 1.0f, 1.0f, 1.0f);
    expectPixel(mixed, 0, 1, 1.0f, 0.5f, 0.25f);
    expectPixel(mixed, 7, 2, 1.0f, 0.5f, 0.25f);
    EXPECT_TRUE(mixed.complete);
    // A count byte of 128 is a literal of 128 bytes.
    std::string literal = header + resolution(1, 128) + marker(128);
    for (char value : half)
        literal += "\x80" + std::string(5, value) + (value == half[0] ? half[1] : value) + std::string(122, value);
    RgbeImage literalImage = decodeBytes(literal);
    expectPixel(literalImage, 0, 0, 1.0f, 0.5f, 0.25f);
    expectPixel(literalImage, 127, 0, 1.0f, 0.5f, 0.25f);
    expectPixel(literalImage, 5, 0, 0.5f, 0.5f, 0.25f);

    // Damage (another width, a count of 0, runs or literals past the data) stops decoding.
    for (const std::string& second :
         {runScanline(9, one), marker(8) + std::string("\0\x07", 2) + runScanline(8, one).substr(6),
          marker(8) + "\x89\x01" + std::string(8, '\0'), marker(8) + "\x09" + std::string(40, '\x40')}) {
        RgbeImage image = decodeBytes(header + resolution(2, 8) + runScanline(8, one) + second);
        ASSERT_EQ(image.width, 8);
        expectPixel(image, 3, 0, 1.0f, 1.0f, 1.0f);
        expectPixel(image, 7, 1, 0.0f, 0.0f, 0.0f);
        EXPECT_FALSE(image.complete);
    }
}
