#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>


#include "assets/image.h"
#include "assets/writers.h"
#include "render/texture.h"
#include "tests/support/test_support.h"

namespace {

using Rgb = std::array<uint8_t, 3>;

std::string u16(unsigned v)
{
    return {static_cast<char>(v & 0xFF), static_cast<char>((v >> 8) & 0xFF)};
}

std::string u32(uint32_t v)
{
    return u16(v & 0xFFFF) + u16(v >> 16);
}

const uint8_t* bytesOf(const std::string& s)
{
    return reinterpret_cast<const uint8_t*>(s.data());
}

// A bitmap of any uncompressed depth. values holds one value per pixel, bottom
// row first: a palette index (1, 4, 8 bits), a 5-5-5 value (16 bits) or
// 0xRRGGBB (24, 32 bits).
struct DibLayout {
    int bits = 8;
    int width = 1;
    int height = 1;
    std::vector<Rgb> palette;
    std::vector<uint32_t> values;
    bool coreHeader = false;  // the 12-byte header with 3-byte palette entries
    bool bare = false;        // no "BM" file header
    bool topDown = false;     // negative height, top row stored first
    uint32_t colorsUsed = 0;
    uint32_t headerSize = 0;  // overrides the header size field when set
    uint32_t compression = 0;
};

std::string writeDib(const DibLayout& layout)
{
    std::string info;
    const uint32_t headerSize = layout.coreHeader ? 12 : 40;
    info += u32(layout.headerSize ? layout.headerSize : headerSize);
    if (layout.coreHeader) {
        info += u16(layout.width) + u16(layout.height) + u16(1) + u16(layout.bits);
    } else {
        info += u32(layout.width) + u32(layout.topDown ? -layout.height : layout.height) + u16(1) + u16(layout.bits);
        info += u32(layout.compression) + u32(0) + u32(2835) + u32(2835) + u32(layout.colorsUsed) + u32(0);
    }
    if (layout.headerSize > info.size())
        info.append(layout.headerSize - info.size(), '\0');
    for (const Rgb& c : layout.palette) {
        info += std::string{static_cast<char>(c[2]), static_cast<char>(c[1]), static_cast<char>(c[0])};
        if (!layout.coreHeader)
            info += '\0';
    }
    const size_t stride = ((static_cast<size_t>(layout.width) * layout.bits + 31) / 32) * 4;
    std::string pixels;
    for (int r = 0; r < layout.height; ++r) {
        const int row = layout.topDown ? layout.height - 1 - r : r;
        std::string line(stride, '\0');
        for (int x = 0; x < layout.width; ++x) {
            const uint32_t v = layout.values[static_cast<size_t>(row) * layout.width + x];
            switch (layout.bits) {
            case 1: line[x / 8] = static_cast<char>(line[x / 8] | (v << (7 - x % 8))); break;
            case 4: line[x / 2] = static_cast<char>(line[x / 2] | (x % 2 ? v : v << 4)); break;
            case 8: line[x] = static_cast<char>(v); break;
            case 16: line.replace(2 * x, 2, u16(v)); break;
            case 24: line.replace(3 * x, 3, u32(v).substr(0, 3)); break;
            default: line.replace(4 * x, 4, u32(v | 0x77000000u)); break;
            }
        }
        pixels += line;
    }
    if (layout.bare)
        return info + pixels;
    return "BM" + u32(static_cast<uint32_t>(14 + info.size() + pixels.size())) + u32(0) +
           u32(static_cast<uint32_t>(14 + info.size())) + info + pixels;
}

// What the described pixels should decode to, bottom row first.
std::vector<uint8_t> expectedRgb(const DibLayout& layout)
{
    std::vector<uint8_t> out;
    for (uint32_t v : layout.values) {
        Rgb c{};
        if (layout.bits <= 8) {
            c = layout.palette.at(v);
        } else if (layout.bits == 16) {
            const auto five = [](unsigned x) { return static_cast<uint8_t>((x << 3) | (x >> 2)); };
            c = {five((v >> 10) & 31), five((v >> 5) & 31), five(v & 31)};
        } else {
            c = {static_cast<uint8_t>(v >> 16), static_cast<uint8_t>(v >> 8), static_cast<uint8_t>(v)};
        }
        out.insert(out.end(), c.begin(), c.end());
    }
    return out;
}

std::unique_ptr<DibImage> decode(const std::string& bytes)
{
    return decodeDib(bytesOf(bytes), bytes.size(), "test.bmp");
}

DibLayout paletteSpec(int bits, int width, int height)
{
    DibLayout layout;
    layout.bits = bits;
    layout.width = width;
    layout.height = height;
    const int colors = 1 << bits;
    for (int i = 0; i < colors; ++i)
        layout.palette.push_back({static_cast<uint8_t>(i * 7 + 1), static_cast<uint8_t>(255 - i),
                                static_cast<uint8_t>(i * 3)});
    for (int i = 0; i < width * height; ++i)
        layout.values.push_back(static_cast<uint32_t>((i * 5 + i / width) % colors));
    return layout;
}

void expectNear(const uint8_t* pixel, int r, int g, int b, int tolerance = 6)
{
    EXPECT_NEAR(pixel[0], r, tolerance);
    EXPECT_NEAR(pixel[1], g, tolerance);
    EXPECT_NEAR(pixel[2], b, tolerance);
}

// Runs ImageMagick's convert with the arguments and gives its standard output.
std::string magick(const std::string& args)
{
    std::string out;
    FILE* pipe = popen(("convert " + args + " 2>/dev/null").c_str(), "r");
    if (!pipe)
        return out;
    char buffer[4096];
    size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
        out.append(buffer, got);
    pclose(pipe);
    return out;
}

// ImageMagick's own decode of a file as 8-bit R, G, B rows, bottom row first.
std::vector<uint8_t> magickRowsBottomUp(const std::string& path, int width)
{
    const std::string top = magick("'" + path + "' -depth 8 rgb:-");
    const size_t row = static_cast<size_t>(width) * 3;
    std::vector<uint8_t> out;
    for (size_t end = top.size(); row > 0 && end >= row; end -= row)
        out.insert(out.end(), top.begin() + static_cast<long>(end - row), top.begin() + static_cast<long>(end));
    return out;
}

// The largest difference of two equally long pixel blocks; 256 when their sizes differ.
int largestDifference(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b)
{
    if (a.size() != b.size() || a.empty())
        return 256;
    int most = 0;
    for (size_t i = 0; i < a.size(); ++i)
        most = std::max(most, std::abs(a[i] - b[i]));
    return most;
}

// A picture with smooth changes, flat areas and sharp edges, 37 x 23 pixels.
const char* const magickPicture =
    "-size 37x23 gradient:red-blue -swirl 90 -fill '#30c060' -draw 'rectangle 4,3 30,9' "
    "-fill white -draw 'rectangle 10,14 12,20'";

}  // namespace

TEST(Bitmap, TwentyFourBitsWithAndWithoutFileHeader)
{
    // Width 3: rows carry fill bytes in the file.
    std::vector<uint8_t> rgb;
    for (int i = 0; i < 3 * 2; ++i)
        rgb.insert(rgb.end(), {static_cast<uint8_t>(10 * i), static_cast<uint8_t>(100 + i),
                               static_cast<uint8_t>(250 - i)});
    const std::string file = writeBmp24(3, 2, rgb);
    BoxRecorder boxes;
    auto withHeader = decode(file);
    ASSERT_TRUE(withHeader);
    EXPECT_EQ(withHeader->width, 3);
    EXPECT_EQ(withHeader->height, 2);
    EXPECT_EQ(withHeader->pixels, rgb);
    auto bare = decode(file.substr(14));
    ASSERT_TRUE(bare);
    EXPECT_EQ(bare->pixels, rgb);
    EXPECT_TRUE(boxes.boxes().empty());

    const std::string dir = makeScratchDir("bmp");
    writeFile(dir + "/pic.bmp", file);
    auto image = loadBmpImage((dir + "/pic.bmp").c_str());
    ASSERT_TRUE(image);
    EXPECT_EQ(image->channels, 3);
    EXPECT_EQ(image->width, 3);
    EXPECT_EQ(image->pixels, rgb);
}

TEST(Bitmap, PaletteDepthsAndShortHeaders)
{
    BoxRecorder boxes;
    for (int bits : {1, 4, 8}) {
        for (bool core : {false, true}) {
            for (bool bare : {false, true}) {
                DibLayout layout = paletteSpec(bits, 13, 3);
                layout.coreHeader = core;
                layout.bare = bare;
                auto image = decode(writeDib(layout));
                ASSERT_TRUE(image) << bits << " bits, core " << core << ", bare " << bare;
                EXPECT_EQ(image->width, 13);
                EXPECT_EQ(image->height, 3);
                EXPECT_EQ(image->pixels, expectedRgb(layout)) << bits << " bits, core " << core << ", bare " << bare;
            }
        }
    }
    // A bare 4-bit bitmap with a table of 3 colours: pixels follow the 3 entries.
    DibLayout few = paletteSpec(4, 5, 2);
    few.palette.resize(3);
    for (uint32_t& v : few.values)
        v %= 3;
    few.colorsUsed = 3;
    few.bare = true;
    auto fewImage = decode(writeDib(few));
    ASSERT_TRUE(fewImage);
    EXPECT_EQ(fewImage->pixels, expectedRgb(few));
    // An index past the table reads black.
    few.values[0] = 9;
    auto outside = decode(writeDib(few));
    ASSERT_TRUE(outside);
    EXPECT_EQ(outside->pixels[0], 0);
    EXPECT_EQ(outside->pixels[1], 0);
    EXPECT_EQ(outside->pixels[2], 0);
    EXPECT_TRUE(boxes.boxes().empty());
}

TEST(Bitmap, DirectDepthsAndTopDownRows)
{
    BoxRecorder boxes;
    DibLayout sixteen;
    sixteen.bits = 16;
    sixteen.width = 3;
    sixteen.height = 2;
    sixteen.values = {0x7FFF, 0x8000, 0x7C00, 0x03E0, 0x001F, 0x4210};
    auto image16 = decode(writeDib(sixteen));
    ASSERT_TRUE(image16);
    EXPECT_EQ(image16->pixels, expectedRgb(sixteen));
    EXPECT_EQ(image16->pixels[0], 255);  // full 5-bit channel gives full brightness

    DibLayout thirtyTwo;
    thirtyTwo.bits = 32;
    thirtyTwo.width = 2;
    thirtyTwo.height = 2;
    thirtyTwo.values = {0x112233, 0x445566, 0x778899, 0xAABBCC};
    auto image32 = decode(writeDib(thirtyTwo));
    ASSERT_TRUE(image32);
    EXPECT_EQ(image32->pixels, expectedRgb(thirtyTwo));

    for (int bits : {8, 24}) {
        DibLayout up = bits == 8 ? paletteSpec(8, 5, 4) : DibLayout();
        if (bits == 24) {
            up.bits = 24;
            up.width = 5;
            up.height = 4;
            for (uint32_t i = 0; i < 20; ++i)
                up.values.push_back(i * 0x0A0B0C + 0x010203);
        }
        DibLayout down = up;
        down.topDown = true;
        auto bottomUp = decode(writeDib(up));
        auto topDown = decode(writeDib(down));
        ASSERT_TRUE(bottomUp);
        ASSERT_TRUE(topDown);
        EXPECT_EQ(topDown->height, 4);
        EXPECT_EQ(topDown->pixels, bottomUp->pixels) << bits << " bits";
        EXPECT_EQ(topDown->pixels, expectedRgb(up));
    }
    EXPECT_TRUE(boxes.boxes().empty());
}

TEST(Bitmap, RefusedFilesAndTheirMessages)
{
    BoxRecorder boxes;
    DibLayout layout = paletteSpec(8, 4, 4);
    for (uint32_t size : {108u, 124u, 64u}) {
        layout.headerSize = size;
        boxes.clear();
        EXPECT_FALSE(decode(writeDib(layout)));
        ASSERT_EQ(boxes.boxes().size(), 1u) << size;
        EXPECT_EQ(boxes.boxes()[0].text, "Unknown DIB file format.");
        EXPECT_EQ(boxes.boxes()[0].caption, "Error");
        EXPECT_EQ(boxes.boxes()[0].type, static_cast<unsigned>(MB_OK));
        EXPECT_EQ(boxes.boxes()[0].owner, BoxOwner::FocusWindow);
    }
    layout.headerSize = 0;

    // Compressed, unknown depth, empty or absurd sizes: conversion errors.
    DibLayout compressed = paletteSpec(8, 4, 4);
    compressed.compression = 2;  // run-length 4 bits on an 8-bit bitmap
    std::string twoBits = writeDib(paletteSpec(8, 4, 4));
    twoBits.replace(28, 2, u16(2));
    DibLayout empty = paletteSpec(8, 4, 4);
    empty.width = 0;
    empty.values.clear();
    std::string huge = writeDib(paletteSpec(8, 4, 4));
    huge.replace(18, 4, u32(100000));
    std::string negativeWidth = writeDib(paletteSpec(8, 4, 4));
    negativeWidth.replace(18, 4, u32(static_cast<uint32_t>(-4)));
    std::string hugeTable = writeDib(paletteSpec(8, 4, 4));
    hugeTable.replace(46, 4, u32(0xFFFFFFFFu));
    std::string farPixels = writeDib(paletteSpec(8, 4, 4));
    farPixels.replace(10, 4, u32(0xFFFFFFF0u));
    const std::string good = writeDib(paletteSpec(8, 4, 4));
    const std::string cutPixels = good.substr(0, good.size() - 5);
    for (const std::string& file : {writeDib(compressed), twoBits, writeDib(empty), huge, negativeWidth,
                                    hugeTable, farPixels, cutPixels}) {
        boxes.clear();
        EXPECT_FALSE(decode(file));
        EXPECT_EQ(boxes.texts(), std::vector<std::string>{"Image file conversion error."});
    }
    // The last row may lack its fill bytes.
    DibLayout odd = paletteSpec(8, 5, 2);
    const std::string oddFile = writeDib(odd);
    auto shortFill = decode(oddFile.substr(0, oddFile.size() - 3));
    ASSERT_TRUE(shortFill);
    EXPECT_EQ(shortFill->pixels, expectedRgb(odd));

    // Missing files: one message each.
    boxes.clear();
    EXPECT_FALSE(loadBmpImage("/nonexistent/Pic.bmp"));
    ASSERT_EQ(boxes.boxes().size(), 1u);
    EXPECT_EQ(boxes.boxes()[0].text, "Can't load bmp Image File");
    EXPECT_EQ(boxes.boxes()[0].caption, "ERROR");
    EXPECT_EQ(boxes.boxes()[0].type, static_cast<unsigned>(MB_ICONEXCLAMATION));
    EXPECT_EQ(boxes.boxes()[0].owner, BoxOwner::GameWindow);
    boxes.clear();
    EXPECT_FALSE(loadDibFile("/nonexistent/Pic.bmp"));
    ASSERT_EQ(boxes.boxes().size(), 1u);
    EXPECT_EQ(boxes.boxes()[0].text, "Failed to open DIB file /nonexistent/Pic.bmp.\n");
    EXPECT_EQ(boxes.boxes()[0].caption, "Error");
    EXPECT_EQ(boxes.boxes()[0].owner, BoxOwner::FocusWindow);

    // Every cut of a good file is refused or decoded, never overrun.
    const std::string twelve = [] {
        DibLayout s = paletteSpec(4, 7, 3);
        s.coreHeader = true;
        return writeDib(s);
    }();
    for (const std::string& whole : {good, twelve}) {
        for (size_t cut = 0; cut < whole.size(); ++cut) {
            boxes.clear();
            auto image = decode(whole.substr(0, cut));
            EXPECT_EQ(boxes.boxes().size(), image ? 0u : 1u);
        }
    }
}

TEST(Bitmap, WhatOtherProgramsWrite)
{
    // Run-length 8 bits as ImageMagick writes it, and bit-field bitmaps made
    // from its version-5 files by moving the masks behind a 40-byte header.
    const std::string dir = makeScratchDir("bmp-magick");
    struct Case {
        const char* name;
        const char* options;
        int bits;
        bool reheader;
    };
    const Case cases[] = {
        {"rle8", "-colors 200 -type palette -compress RLE BMP3:", 8, false},
        {"rgb565", "-type TrueColor -define bmp:subtype=RGB565 BMP:", 16, true},
        {"rgb555", "-type TrueColor -define bmp:subtype=RGB555 BMP:", 16, true},
        {"xrgb8888", "-define bmp:subtype=XRGB8888 BMP:", 32, true},
        {"argb8888", "-alpha set -define bmp:subtype=ARGB8888 BMP:", 32, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = dir + "/" + c.name + ".bmp";
        magick(std::string(magickPicture) + " " + c.options + path);
        std::string file = readFile(path);
        ASSERT_GT(file.size(), 138u);
        const uint32_t compression = static_cast<uint8_t>(file[30]);
        EXPECT_EQ(compression, c.reheader ? 3u : 1u);
        EXPECT_EQ(file[28], c.bits);
        if (c.reheader) {
            const uint32_t offset = static_cast<uint8_t>(file[10]) | static_cast<uint8_t>(file[11]) << 8;
            file = file.substr(0, 10) + u32(66) + u32(40) + file.substr(18, 36) + file.substr(54, 12) +
                   file.substr(offset);
        }
        const std::vector<uint8_t> expected = magickRowsBottomUp(path, 37);
        for (bool bare : {false, true}) {
            auto image = bare ? decode(file.substr(14)) : decode(file);
            ASSERT_TRUE(image);
            EXPECT_EQ(image->width, 37);
            EXPECT_EQ(image->height, 23);
            EXPECT_EQ(largestDifference(image->pixels, expected), 0) << "5- and 6-bit channels too";
        }
    }
}

TEST(Bitmap, RunLengthCodes)
{
    // Palette index i is (i, 10 + i, 20 + i); '.' in the expected rows is a
    // pixel the stream never wrote (black). Rows are given bottom first.
    struct Case {
        const char* name;
        int bits;
        int width, height;
        std::vector<uint8_t> stream;
        std::vector<std::string> rows;
    };
    const Case cases[] = {
        {"rle8 run, absolute with pad, end of line, delta, end", 8, 5, 3,
         {3, 1, 0, 0, 0, 3, 4, 5, 6, 0, 0, 2, 1, 1, 1, 7, 0, 1, 2, 2},
         {"111..", "456..", "....7"}},
        {"rle8 runs clipped at the right edge and the top", 8, 3, 2,
         {9, 2, 0, 0, 0, 2, 0, 5, 4, 3, 0, 0, 4, 6},
         {"222", "..."}},
        {"rle4 nibbles alternate, odd absolute run padded", 4, 6, 2,
         {5, 0x12, 0, 0, 0, 3, 0x34, 0x50, 1, 0x70},
         {"12121.", "3457.."}},
        {"rle4 delta past the top and a stream cut short", 4, 4, 2,
         {2, 0x99, 0, 2, 1, 9, 1, 0x11, 0, 5, 0x12}, {"99..", "...."}},
        {"an absolute run longer than the data left", 8, 4, 1, {0, 4, 1, 2}, {"...."}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DibLayout layout = paletteSpec(c.bits, c.width, c.height);
        for (size_t i = 0; i < layout.palette.size(); ++i)
            layout.palette[i] = {static_cast<uint8_t>(i), static_cast<uint8_t>(10 + i), static_cast<uint8_t>(20 + i)};
        layout.values.clear();
        layout.height = 0;  // the rows below are replaced by the stream
        layout.compression = c.bits == 8 ? 1 : 2;
        std::string file = writeDib(layout);
        file.replace(22, 4, u32(static_cast<uint32_t>(c.height)));
        file += std::string(c.stream.begin(), c.stream.end());
        auto image = decode(file);
        ASSERT_TRUE(image);
        std::vector<uint8_t> expected;
        for (const std::string& row : c.rows)
            for (char p : row) {
                const int i = p == '.' ? -1 : std::stoi(std::string(1, p), nullptr, 16);
                expected.insert(expected.end(), {static_cast<uint8_t>(i < 0 ? 0 : i),
                                                 static_cast<uint8_t>(i < 0 ? 0 : 10 + i),
                                                 static_cast<uint8_t>(i < 0 ? 0 : 20 + i)});
            }
        EXPECT_EQ(image->pixels, expected);
    }
}

TEST(Tga, UncompressedRunLengthAndSixteenBits)
{
    BoxRecorder boxes;
    // Rows with runs and changes; the run-length twin must decode the same.
    for (int channels : {3, 4}) {
        std::vector<uint8_t> pixels;
        for (int i = 0; i < 9 * 4; ++i) {
            const uint8_t v = static_cast<uint8_t>((i / 4) % 3 == 0 ? 200 : i * 7);
            pixels.insert(pixels.end(), {v, static_cast<uint8_t>(v + 1), static_cast<uint8_t>(v + 2)});
            if (channels == 4)
                pixels.push_back(static_cast<uint8_t>(v == 200 ? 255 : 255 - i));
        }
        const std::string raw = writeTga(9, 4, channels, pixels, false);
        const std::string rle = writeTga(9, 4, channels, pixels, true);
        EXPECT_EQ(raw[2], 2);
        EXPECT_EQ(rle[2], 10);
        EXPECT_LT(rle.size(), raw.size());
        auto a = decodeTga(bytesOf(raw), raw.size());
        auto b = decodeTga(bytesOf(rle), rle.size());
        ASSERT_TRUE(a);
        ASSERT_TRUE(b);
        EXPECT_EQ(a->channels, channels);
        EXPECT_EQ(a->width, 9);
        EXPECT_EQ(a->height, 4);
        EXPECT_EQ(a->pixels, pixels) << "every row swapped back to R, G, B";
        EXPECT_EQ(b->pixels, pixels);
    }

    // 16 bits: 5-5-5 times 8, the top bit ignored; an identification field skipped.
    std::string sixteen = std::string{5, 0, 2} + std::string(9, '\0') + u16(3) + u16(1) + std::string{16, 0} +
                          "ident" + u16(0x7FFF) + u16(0xFFFF) + u16(0x7C00 | 0x0010);
    auto image16 = decodeTga(bytesOf(sixteen), sixteen.size());
    ASSERT_TRUE(image16);
    EXPECT_EQ(image16->channels, 3);
    EXPECT_EQ(image16->pixels, (std::vector<uint8_t>{248, 248, 248, 248, 248, 248, 248, 0, 128}));
    // Run-length 16-bit data decodes by packets too.
    std::string rle16 = std::string{0, 0, 10} + std::string(9, '\0') + u16(3) + u16(1) + std::string{16, 0} +
                        std::string{static_cast<char>(0x81)} + u16(0x001F) + std::string{0} + u16(0x03E0);
    auto imageRle16 = decodeTga(bytesOf(rle16), rle16.size());
    ASSERT_TRUE(imageRle16);
    EXPECT_EQ(imageRle16->pixels, (std::vector<uint8_t>{0, 0, 248, 0, 0, 248, 0, 248, 0}));

    // 8 bits per pixel: no image and no message.
    std::string grey = std::string{0, 0, 3} + std::string(9, '\0') + u16(2) + u16(2) + std::string{8, 0} +
                       std::string(4, '\x40');
    EXPECT_FALSE(decodeTga(bytesOf(grey), grey.size()));
    EXPECT_TRUE(boxes.boxes().empty());

    const std::string dir = makeScratchDir("tga");
    writeFile(dir + "/grey.tga", grey);
    EXPECT_FALSE(loadTgaImage((dir + "/grey.tga").c_str()));
    EXPECT_TRUE(boxes.boxes().empty());
    EXPECT_FALSE(loadTgaImage((dir + "/missing.tga").c_str()));
    ASSERT_EQ(boxes.boxes().size(), 1u);
    EXPECT_EQ(boxes.boxes()[0].text, "Can't load tga Image File");
    EXPECT_EQ(boxes.boxes()[0].caption, "ERROR");
    EXPECT_EQ(boxes.boxes()[0].type, static_cast<unsigned>(MB_ICONEXCLAMATION));
    EXPECT_EQ(boxes.boxes()[0].owner, BoxOwner::GameWindow);
}

TEST(Tga, DamagedDataStaysInsideThePicture)
{
    const std::string head = std::string{0, 0, 10} + std::string(9, '\0') + u16(2) + u16(2) + std::string{24, 0};
    // A run of 128 pixels into a picture of 4, then more packets.
    const std::string overrun = head + std::string{static_cast<char>(0xFF), 1, 2, 3} + std::string{127} +
                                std::string(30, '\x09');
    auto image = decodeTga(bytesOf(overrun), overrun.size());
    ASSERT_TRUE(image);
    ASSERT_EQ(image->pixels.size(), 12u);
    EXPECT_EQ(image->pixels[9], 3);
    EXPECT_EQ(image->pixels[11], 1);
    // A raw packet longer than the picture.
    const std::string rawOverrun = head + std::string{127} + std::string(400, '\x05');
    ASSERT_TRUE(decodeTga(bytesOf(rawOverrun), rawOverrun.size()));
    // Cut data: what is missing stays zero.
    const std::string cut = head + std::string{static_cast<char>(0x80), 10, 20, 30};
    auto partial = decodeTga(bytesOf(cut), cut.size());
    ASSERT_TRUE(partial);
    EXPECT_EQ(partial->pixels, (std::vector<uint8_t>{30, 20, 10, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
    // Headers that are too short, skip past the end, are empty or claim a
    // picture far beyond their data.
    EXPECT_FALSE(decodeTga(bytesOf(head), 17));
    std::string skipPast = head;
    skipPast[0] = static_cast<char>(200);
    EXPECT_FALSE(decodeTga(bytesOf(skipPast), skipPast.size()));
    std::string zeroWidth = head;
    zeroWidth.replace(12, 2, u16(0));
    EXPECT_FALSE(decodeTga(bytesOf(zeroWidth), zeroWidth.size()));
    std::string huge = head;
    huge.replace(12, 4, u16(16384) + u16(16384));
    EXPECT_FALSE(decodeTga(bytesOf(huge + "\x01\x02\x03\x04"), huge.size() + 4));
    std::string tooWide = head;
    tooWide.replace(12, 2, u16(20000));
    EXPECT_FALSE(decodeTga(bytesOf(tooWide), tooWide.size()));

    // Every cut of a good file decodes inside its block.
    std::vector<uint8_t> pixels(6 * 5 * 4, 0);
    for (size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = static_cast<uint8_t>((i / 8) * 31);
    const std::string good = writeTga(6, 5, 4, pixels, true);
    for (size_t n = 19; n <= good.size(); ++n) {
        auto any = decodeTga(bytesOf(good), n);
        ASSERT_TRUE(any);
        EXPECT_EQ(any->pixels.size(), pixels.size());
    }
}

TEST(Tga, WhatOtherProgramsWrite)
{
    // ImageMagick's files, raw and run-length, and the raw one given a colour
    // map it does not use; each as ImageMagick itself decodes it. Both keep
    // the rows in file order.
    const std::string dir = makeScratchDir("tga-magick");
    struct Case {
        const char* name;
        const char* options;
        size_t mapEntries;  // a colour map of this many 24-bit entries is put in front of the pixels
    };
    const Case cases[] = {
        {"raw", "-compress None", 0},
        {"run-length", "-compress RLE", 0},
        {"raw with a colour map", "-compress None", 5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = dir + "/case.tga";
        magick(std::string(magickPicture) + " -alpha off -type TrueColor " + c.options + " " + path);
        const std::string inFileOrder = magick(path + " -depth 8 rgb:-");
        const std::vector<uint8_t> expected(inFileOrder.begin(), inFileOrder.end());
        std::string file = readFile(path);
        ASSERT_GT(file.size(), 18u);
        ASSERT_EQ(file[16], 24);
        if (c.mapEntries > 0) {
            file[1] = 1;
            file.replace(5, 3, u16(static_cast<unsigned>(c.mapEntries)) + std::string{24});
            file.insert(18 + static_cast<uint8_t>(file[0]), std::string(c.mapEntries * 3, '\x7F'));
        }
        auto image = decodeTga(bytesOf(file), file.size());
        ASSERT_TRUE(image);
        EXPECT_EQ(image->channels, 3);
        EXPECT_EQ(largestDifference(image->pixels, expected), 0);
    }

    // Grey and colour-mapped pictures give nothing at any depth; a header
    // that its data could not describe at its densest gives nothing either,
    // one byte more and it decodes.
    const auto head = [](int type, int width, int height, int bits) {
        return std::string{0, 0, static_cast<char>(type)} + std::string(9, '\0') + u16(width) + u16(height) +
               std::string{static_cast<char>(bits), 0};
    };
    for (int type : {1, 3, 9, 11})
        EXPECT_FALSE(decodeTga(bytesOf(head(type, 2, 2, 16) + std::string(8, '\x1F')), 26)) << type;
    struct Dense {
        int type, width, height, bits;
        size_t fewest;  // bytes of data that can just describe the picture
    };
    for (const Dense& d : {Dense{2, 100, 10, 24, 2998}, Dense{2, 7, 3, 16, 41}, Dense{10, 300, 2, 24, 17},
                           Dense{10, 16384, 16384, 32, 5 * 2097151 + 1}}) {
        SCOPED_TRACE(std::to_string(d.type) + ": " + std::to_string(d.width) + " x " + std::to_string(d.height));
        const std::string all = head(d.type, d.width, d.height, d.bits) + std::string(d.fewest, '\x01');
        EXPECT_FALSE(decodeTga(bytesOf(all), all.size() - 1));
        if (d.width < 1000) {
            EXPECT_TRUE(decodeTga(bytesOf(all), all.size()));
        }
    }
}

TEST(Jpeg, ColourGreyProgressiveAndDamaged)
{
    BoxRecorder boxes;
    // 16 x 16: top half red, bottom half blue.
    std::vector<uint8_t> colour;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
            colour.insert(colour.end(), y < 8 ? std::initializer_list<uint8_t>{255, 0, 0}
                                              : std::initializer_list<uint8_t>{0, 0, 255});
    for (bool progressive : {false, true}) {
        const std::string file = writeJpeg(16, 16, 3, colour, 100, progressive);
        auto image = decodeJpeg(bytesOf(file), file.size());
        ASSERT_TRUE(image);
        EXPECT_EQ(image->channels, 3);
        EXPECT_EQ(image->width, 16);
        EXPECT_EQ(image->height, 16);
        ASSERT_EQ(image->pixels.size(), 16u * 16u * 3u);
        // Bottom row first: the block starts blue and ends red.
        expectNear(&image->pixels[0], 0, 0, 255, 12);
        expectNear(&image->pixels[image->pixels.size() - 3], 255, 0, 0, 12);
    }

    std::vector<uint8_t> grey;
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 24; ++x)
            grey.push_back(static_cast<uint8_t>(y * 30 + 10));
    const std::string greyFile = writeJpeg(24, 8, 1, grey);
    auto greyImage = decodeJpeg(bytesOf(greyFile), greyFile.size());
    ASSERT_TRUE(greyImage);
    EXPECT_EQ(greyImage->channels, 1);
    ASSERT_EQ(greyImage->pixels.size(), 24u * 8u);
    for (int row = 0; row < 8; ++row)
        EXPECT_NEAR(greyImage->pixels[row * 24 + 5], (7 - row) * 30 + 10, 3) << "row " << row;
    EXPECT_TRUE(boxes.boxes().empty());

    // Fatal damage: a message, no picture, and the process goes on.
    const std::string good = writeJpeg(16, 16, 3, colour);
    std::string notJpeg = good;
    notJpeg[0] = 0;
    std::string huge = good;
    const size_t sof = good.find("\xFF\xC0");
    ASSERT_NE(sof, std::string::npos);
    huge.replace(sof + 5, 4, std::string{0x4E, 0x20, 0x4E, 0x20});  // 20000 x 20000
    for (const std::string& bad : {notJpeg, huge, std::string("\xFF\xD8")}) {
        boxes.clear();
        EXPECT_FALSE(decodeJpeg(bytesOf(bad), bad.size()));
        ASSERT_EQ(boxes.boxes().size(), 1u);
        EXPECT_EQ(boxes.boxes()[0].text, "Can't load JPG image!");
        EXPECT_EQ(boxes.boxes()[0].caption, "ERROR");
        EXPECT_EQ(boxes.boxes()[0].type, static_cast<unsigned>(MB_ICONINFORMATION));
        EXPECT_EQ(boxes.boxes()[0].owner, BoxOwner::GameWindow);
    }
    for (size_t cut = 0; cut < good.size(); cut += 7)
        decodeJpeg(bytesOf(good), cut);

    const std::string dir = makeScratchDir("jpeg");
    writeFile(dir + "/grey.jpg", greyFile);
    boxes.clear();
    auto fromFile = loadJpegImage((dir + "/grey.jpg").c_str());
    ASSERT_TRUE(fromFile);
    EXPECT_EQ(fromFile->pixels, greyImage->pixels);
    EXPECT_FALSE(loadJpegImage((dir + "/missing.jpg").c_str()));
    EXPECT_EQ(boxes.texts(), std::vector<std::string>{"Can't load JPG image!"});
}

TEST(Jpeg, WhatOtherProgramsWrite)
{
    // Files as ImageMagick writes them, some damaged the way real files are;
    // libjpeg recovers from the damage and the result matches ImageMagick's
    // own decode of the same file.
    BoxRecorder boxes;
    const std::string dir = makeScratchDir("jpeg-magick");
    const std::string rgbPath = dir + "/rgb.jpg";
    magick(std::string(magickPicture) + " -quality 95 " + rgbPath);
    const std::string rgb = readFile(rgbPath);
    const size_t scan = rgb.find("\xFF\xDA");
    ASSERT_NE(scan, std::string::npos);
    struct Case {
        const char* name;
        std::string file;  // empty: ImageMagick writes it with the options below
        const char* options;
    };
    const Case cases[] = {
        {"cmyk, Adobe inverted", "", "-colorspace CMYK"},
        {"stray bytes before a marker", rgb.substr(0, scan) + "\x01\x02\x03" + rgb.substr(scan), ""},
        {"stray bytes before the end", rgb.substr(0, rgb.size() - 2) + "junk" + rgb.substr(rgb.size() - 2), ""},
        {"cut short", rgb.substr(0, rgb.size() * 2 / 3), ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = dir + "/case.jpg";
        if (c.file.empty())
            magick(std::string(magickPicture) + " -quality 95 " + c.options + " " + path);
        else
            writeFile(path, c.file);
        const std::string bytes = readFile(path);
        auto image = decodeJpeg(bytesOf(bytes), bytes.size());
        ASSERT_TRUE(image);
        EXPECT_EQ(image->channels, 3);
        EXPECT_LE(largestDifference(image->pixels, magickRowsBottomUp(path, 37)), 2);
    }
    EXPECT_TRUE(boxes.boxes().empty());
}

TEST(Texture, DecoderIsChosenByName)
{
    // No file exists, so the message tells which decoder was asked; names
    // without a known extension (or in capitals) are refused silently.
    BoxRecorder boxes;
    unsigned texture = 77;
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"/nonexistent/a.bmp", "Can't load bmp Image File"},
        {"/nonexistent/a.tga.bmp", "Can't load bmp Image File"},
        {"/nonexistent/a.bmp.tga", "Can't load bmp Image File"},
        {"/nonexistent/a.tga", "Can't load tga Image File"},
        {"/nonexistent/a.jpg", "Can't load JPG image!"},
        {"/nonexistent/a.jpeg", "Can't load JPG image!"},
        {"/nonexistent/a.BMP", ""},
        {"/nonexistent/a.png", ""},
        {"/nonexistent/a.JPG", ""},
    };
    for (const auto& [name, message] : cases) {
        boxes.clear();
        EXPECT_FALSE(loadTexture(texture, name.c_str(), false)) << name;
        if (message.empty())
            EXPECT_TRUE(boxes.boxes().empty()) << name;
        else
            EXPECT_EQ(boxes.texts(), std::vector<std::string>{message}) << name;
    }
    EXPECT_FALSE(loadTexture(texture, nullptr, true));
    EXPECT_EQ(texture, 77u);
}

TEST(Writers, BytesAreDeterministicAndFilesAreSaved)
{
    std::vector<uint8_t> rgb(4 * 3 * 3, 9);
    EXPECT_EQ(writeBmp24(4, 3, rgb), writeBmp24(4, 3, rgb));
    EXPECT_EQ(writeBmp24(4, 3, rgb).size(), 54u + 3u * 12u);
    EXPECT_EQ(writeBmp24(3, 3, rgb).size(), 54u + 3u * 12u);  // 9 bytes filled to 12
    const std::string dir = makeScratchDir("writers");
    const std::string bytes = writeTga(4, 3, 3, rgb, true);
    EXPECT_TRUE(saveFile(dir + "/deep/er/pic.tga", bytes));
    EXPECT_EQ(readFile(dir + "/deep/er/pic.tga"), bytes);
    EXPECT_FALSE(saveFile("/proc/no/such/place/x.bin", bytes));
}
