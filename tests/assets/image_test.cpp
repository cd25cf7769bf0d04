#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdlib>

#include "assets/image.h"
#include "assets/writers.h"
#include "render/texture.h"
#include "tests/support/test_support.h"

namespace {

using Rgb = std::array<uint8_t, 3>;

// A bitmap of any uncompressed depth; values, bottom row first: palette
// indices, 5-5-5 values (16 bits) or 0xRRGGBB (24, 32 bits).
struct DibLayout {
    int bits = 8, width = 1, height = 1;
    std::vector<Rgb> palette;
    std::vector<uint32_t> values;
    bool coreHeader = false;  // the 12-byte header with 3-byte palette entries
    bool bare = false;        // no "BM" file header
    bool topDown = false;     // negative height, top row stored first
    uint32_t colorsUsed = 0, compression = 0;
};

std::string writeDib(const DibLayout& d)
{
    Bytes info;
    info.u32(d.coreHeader ? 12 : 40);
    if (d.coreHeader)
        info.u16(d.width).u16(d.height).u16(1).u16(d.bits);
    else
        info.u32(d.width).u32(d.topDown ? -d.height : d.height).u16(1).u16(d.bits).u32(d.compression).u32(0)
            .u32(2835).u32(2835).u32(d.colorsUsed).u32(0);
    for (const Rgb& c : d.palette) {
        info.u8(c[2]).u8(c[1]).u8(c[0]);
        if (!d.coreHeader)
            info.u8(0);
    }
    const size_t stride = ((static_cast<size_t>(d.width) * d.bits + 31) / 32) * 4;
    std::string pixels;
    for (int r = 0; r < d.height; ++r) {
        const int row = d.topDown ? d.height - 1 - r : r;
        std::string line(stride, '\0');
        for (int x = 0; x < d.width; ++x) {
            const uint32_t v = d.values[static_cast<size_t>(row) * d.width + x];
            switch (d.bits) {
            case 1: line[x / 8] = static_cast<char>(line[x / 8] | (v << (7 - x % 8))); break;
            case 4: line[x / 2] = static_cast<char>(line[x / 2] | (x % 2 ? v : v << 4)); break;
            case 8: line[x] = static_cast<char>(v); break;
            case 16: line.replace(2 * x, 2, Bytes().u16(v).str()); break;
            case 24: line.replace(3 * x, 3, Bytes().u32(v).str().substr(0, 3)); break;
            default: line.replace(4 * x, 4, Bytes().u32(v | 0x77000000u).str()); break;
            }
        }
        pixels += line;
    }
    if (d.bare)
        return info.str() + pixels;
    return Bytes().raw("BM").u32(14 + info.size() + pixels.size()).u32(0).u32(14 + info.size())
        .raw(info.str()).raw(pixels).str();
}

std::vector<uint8_t> expectedRgb(const DibLayout& d)
{
    std::vector<uint8_t> out;
    const auto five = [](unsigned x) { return static_cast<uint8_t>((x << 3) | (x >> 2)); };
    for (uint32_t v : d.values) {
        Rgb c{};
        if (d.bits <= 8)
            c = d.palette.at(v);
        else if (d.bits == 16)
            c = {five((v >> 10) & 31), five((v >> 5) & 31), five(v & 31)};
        else
            c = {static_cast<uint8_t>(v >> 16), static_cast<uint8_t>(v >> 8), static_cast<uint8_t>(v)};
        out.insert(out.end(), c.begin(), c.end());
    }
    return out;
}

// A palette bitmap whose entries and indices all differ.
DibLayout paletteSpec(int bits, int width, int height)
{
    DibLayout d;
    d.bits = bits;
    d.width = width;
    d.height = height;
    const int colors = 1 << bits;
    for (int i = 0; i < colors; ++i)
        d.palette.push_back({static_cast<uint8_t>(i * 7 + 1), static_cast<uint8_t>(255 - i), static_cast<uint8_t>(i * 3)});
    for (int i = 0; i < width * height; ++i)
        d.values.push_back(static_cast<uint32_t>((i * 5 + i / width) % colors));
    return d;
}

std::string patched(std::string file, size_t at, const Bytes& with)
{
    return file.replace(at, with.size(), with.str());
}

std::unique_ptr<DibImage> decode(const std::string& bytes)
{
    return decodeDib(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
}

std::unique_ptr<Image> tga(const std::string& bytes, size_t size = std::string::npos)
{
    return decodeTga(reinterpret_cast<const uint8_t*>(bytes.data()), std::min(size, bytes.size()));
}

std::unique_ptr<Image> jpeg(const std::string& bytes)
{
    return decodeJpeg(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
}

// A TGA header: type, width, height, bits per pixel, identification length.
Bytes tgaHead(int type, int width, int height, int bits, int idLength = 0)
{
    return Bytes().u8(idLength).u8(0).u8(type).fill(9, 0).u16(width).u16(height).u8(bits).u8(0);
}

// The test picture (smooth changes, flat areas, sharp edges) as ImageMagick writes it.
std::string magickFile(const std::string& path, const std::string& options)
{
    const std::string picture = "-size 37x23 gradient:red-blue -swirl 90 -fill '#30c060' "
                                "-draw 'rectangle 4,3 30,9' -fill white -draw 'rectangle 10,14 12,20'";
    EXPECT_EQ(std::system(("convert " + picture + " " + options + "'" + path + "'").c_str()), 0) << options;
    return readFile(path);
}

// ImageMagick's own decode of a file as R, G, B rows, bottom row first unless not flipped.
std::vector<uint8_t> magickRgb(const std::string& path, bool flip = true)
{
    const std::string args = "'" + path + "'" + (flip ? " -flip" : "") + " -depth 8 'rgb:" + path + ".rgb'";
    EXPECT_EQ(std::system(("convert " + args).c_str()), 0) << args;
    const std::string rgb = readFile(path + ".rgb");
    return std::vector<uint8_t>(rgb.begin(), rgb.end());
}

}  // namespace

TEST(Bitmap, DepthsHeadersAndRowOrder)
{
    BoxRecorder boxes;
    for (int bits : {1, 4, 8})
        for (bool core : {false, true})
            for (bool bare : {false, true}) {
                DibLayout d = paletteSpec(bits, 13, 3);
                d.coreHeader = core;
                d.bare = bare;
                auto image = decode(writeDib(d));
                SCOPED_TRACE(testing::Message() << bits << " bits, core " << core << ", bare " << bare);
                ASSERT_TRUE(image);
                EXPECT_EQ((std::vector<int>{image->width, image->height}), (std::vector<int>{13, 3}));
                EXPECT_EQ(image->pixels, expectedRgb(d));
            }
    // A bare 4-bit bitmap with a table of 3 colours: pixels follow the 3
    // entries, and an index at or past the end of the table reads black.
    DibLayout few = paletteSpec(4, 5, 2);
    few.palette.resize(3);
    for (uint32_t& v : few.values)
        v %= 3;
    few.colorsUsed = 3;
    few.bare = true;
    std::vector<uint8_t> expected = expectedRgb(few);
    few.values[0] = 9;
    few.values[1] = 3;
    std::fill_n(expected.begin(), 6, 0);
    auto fewImage = decode(writeDib(few));
    ASSERT_TRUE(fewImage);
    EXPECT_EQ(fewImage->pixels, expected);

    // Direct depths (bits, width, height, no palette, values), bottom up and top down.
    const DibLayout sixteen{16, 3, 2, {}, {0x7FFF, 0x8000, 0x7C00, 0x03E0, 0x001F, 0x4210}};
    const DibLayout thirtyTwo{32, 2, 2, {}, {0x112233, 0x445566, 0x778899, 0xAABBCC}};
    const DibLayout twentyFour{24, 3, 2, {}, {0x010203, 0x0B0D0F, 0x15181B, 0x1F2327, 0x292E33, 0x33393F}};
    for (const DibLayout& up : {sixteen, thirtyTwo, twentyFour, paletteSpec(8, 5, 4)}) {
        DibLayout down = up;
        down.topDown = true;
        for (const DibLayout& d : {up, down}) {
            auto image = decode(writeDib(d));
            ASSERT_TRUE(image) << up.bits << " bits";
            EXPECT_EQ(image->height, up.height);
            EXPECT_EQ(image->pixels, expectedRgb(up)) << up.bits << " bits, top down " << d.topDown;
        }
    }
    expectBoxes(boxes, {});
}

TEST(Bitmap, RefusedFilesAndTheirMessages)
{
    BoxRecorder boxes;
    const std::string good = writeDib(paletteSpec(8, 4, 4));
    const ExpectedBox unknown{"Unknown DIB file format.", "Error", MB_OK, BoxOwner::FocusWindow};
    const ExpectedBox conversion{"Image file conversion error.", "Error", MB_OK, BoxOwner::FocusWindow};
    const std::pair<std::string, ExpectedBox> cases[] = {
        {patched(good, 30, Bytes().u32(2)), conversion},              // run-length 4 bits on 8 bits
        {patched(good, 28, Bytes().u16(2)), conversion},              // 2 bits per pixel
        {patched(good, 18, Bytes().u32(0)), conversion},              // no width
        {patched(good, 18, Bytes().u32(100000)), conversion},         // absurd width
        {patched(good, 18, Bytes().u32(static_cast<uint32_t>(-4))), conversion},
        {patched(good, 46, Bytes().u32(0xFFFFFFFFu)), conversion},    // colour table
        {patched(good, 10, Bytes().u32(0xFFFFFFF0u)), conversion},    // pixel offset
        {good.substr(0, good.size() - 5), conversion},
        {patched(good, 14, Bytes().u32(108)), unknown},               // a later version's header
    };
    for (const auto& [file, box] : cases) {
        boxes.clear();
        EXPECT_FALSE(decode(file));
        expectBoxes(boxes, {box});
    }
    // The last row may lack its fill bytes.
    DibLayout odd = paletteSpec(8, 5, 2);
    const std::string oddFile = writeDib(odd);
    auto shortFill = decode(oddFile.substr(0, oddFile.size() - 3));
    ASSERT_TRUE(shortFill);
    EXPECT_EQ(shortFill->pixels, expectedRgb(odd));
    boxes.clear();
    EXPECT_FALSE(loadDibFile("/nonexistent/P.bmp"));
    expectBoxes(boxes,
                {{"Failed to open DIB file /nonexistent/P.bmp.\n", "Error", MB_OK, BoxOwner::FocusWindow}});
}

TEST(Bitmap, WhatOtherProgramsWrite)
{
    // Run-length 8 bits as ImageMagick writes it, and bit-field bitmaps made
    // from its version-5 files by moving the masks behind a 40-byte header.
    const std::string path = makeScratchDir("bmp-magick") + "/case.bmp";
    const std::pair<const char*, int> cases[] = {
        {"-colors 200 -type palette -compress RLE BMP3:", 8},
        {"-type TrueColor -define bmp:subtype=RGB565 BMP:", 16},
        {"-define bmp:subtype=XRGB8888 BMP:", 32},
    };
    for (const auto& [options, bits] : cases) {
        SCOPED_TRACE(options);
        std::string file = magickFile(path, options);
        ASSERT_GT(file.size(), 138u);
        ASSERT_EQ(std::vector<int>({file[28], file[30]}), std::vector<int>({bits, bits == 8 ? 1 : 3}));
        if (bits > 8) {  // bit fields
            const uint32_t offset = static_cast<uint8_t>(file[10]) | static_cast<uint8_t>(file[11]) << 8;
            file = file.substr(0, 10) + Bytes().u32(66).u32(40).str() + file.substr(18, 36) +
                   file.substr(54, 12) + file.substr(offset);
        }
        for (size_t start : {0, 14}) {  // with and without the file header
            auto image = decode(file.substr(start));
            ASSERT_TRUE(image);
            EXPECT_EQ(image->pixels, magickRgb(path)) << "5- and 6-bit channels too";
        }
    }
}

TEST(Bitmap, RunLengthCodes)
{
    // Rows of palette indices, bottom first; '.' is a pixel never written (black).
    struct Case {
        const char* name;
        int bits, width, height;
        std::vector<uint8_t> stream;
        std::vector<std::string> rows;
    };
    const Case cases[] = {
        {"rle8 runs clipped at the right edge and the top", 8, 3, 2,
         {9, 2, 0, 0, 0, 2, 0, 5, 4, 3, 0, 0, 4, 6},
         {"222", "..."}},
        {"rle4 nibbles alternate, odd absolute run padded", 4, 6, 2,
         {5, 0x12, 0, 0, 0, 3, 0x34, 0x50, 1, 0x70},
         {"12121.", "3457.."}},
        {"rle4 delta past the top and a stream cut short", 4, 4, 2,
         {2, 0x99, 0, 2, 1, 9, 1, 0x11, 0, 5, 0x12}, {"99..", "...."}},
        // Odd and even absolute runs, a delta inside the picture, and the end
        // of the bitmap before a run that would still fit.
        {"rle8 every code", 8, 5, 3,
         {2, 7, 0, 3, 1, 2, 3, 0, 0, 0, 0, 2, 1, 0, 0, 4, 4, 5, 6, 8, 0, 0, 0, 1, 5, 9},
         {"77123", ".4568", "....."}},
        {"rle4 every code", 4, 7, 3,
         {3, 0x45, 0, 5, 0x12, 0x34, 0x50, 0, 0, 0, 0, 2, 2, 1, 1, 0xAB, 0, 1, 2, 0x66},
         {"4541234", ".......", "..A...."}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DibLayout layout = paletteSpec(c.bits, c.width, 0);  // no rows: the stream follows
        layout.palette[0] = {0, 0, 0};
        layout.compression = c.bits == 8 ? 1 : 2;
        const std::string file = patched(writeDib(layout), 22, Bytes().u32(static_cast<uint32_t>(c.height)));
        auto image = decode(file + std::string(c.stream.begin(), c.stream.end()));
        ASSERT_TRUE(image);
        for (const std::string& row : c.rows)
            for (char p : row)
                layout.values.push_back(p == '.' ? 0 : std::stoi(std::string(1, p), nullptr, 16));
        EXPECT_EQ(image->pixels, expectedRgb(layout));
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
        for (bool runLength : {false, true}) {
            auto image = tga(writeTga(9, 4, channels, pixels, runLength));
            ASSERT_TRUE(image);
            EXPECT_EQ((std::vector<int>{image->channels, image->width, image->height}), (std::vector<int>{channels, 9, 4}));
            EXPECT_EQ(image->pixels, pixels) << "every row swapped back to R, G, B";
        }
    }
    // 16 bits: 5-5-5 times 8, the top bit ignored; an identification field skipped.
    auto image16 = tga(tgaHead(2, 3, 1, 16, 5).raw("ident").u16(0x7FFF).u16(0xFFFF).u16(0x7C00 | 0x0010).str());
    ASSERT_TRUE(image16);
    EXPECT_EQ(image16->channels, 3);
    EXPECT_EQ(image16->pixels, (std::vector<uint8_t>{248, 248, 248, 248, 248, 248, 248, 0, 128}));

    // 8 bits per pixel: no image and no message (a missing file's message: the map tests).
    EXPECT_FALSE(tga(tgaHead(3, 2, 1, 8).fill(2, 0x40).str()));
    expectBoxes(boxes, {});
}

TEST(Tga, DamagedDataStaysInsideThePicture)
{
    const std::string head = tgaHead(10, 2, 2, 24).str();
    // A run of 128 pixels into a picture of 4, then more packets.
    auto image = tga(head + Bytes().u8(0xFF).u8(1).u8(2).u8(3).u8(127).fill(30, 9).str());
    ASSERT_TRUE(image);
    ASSERT_EQ(image->pixels.size(), 12u);
    EXPECT_EQ(image->pixels[9], 3);
    EXPECT_EQ(image->pixels[11], 1);
    // A raw packet longer than the picture.
    ASSERT_TRUE(tga(head + Bytes().u8(127).fill(400, 5).str()));
    // Cut data: what is missing stays zero.
    auto partial = tga(head + Bytes().u8(0x80).u8(10).u8(20).u8(30).str());
    ASSERT_TRUE(partial);
    EXPECT_EQ(partial->pixels, (std::vector<uint8_t>{30, 20, 10, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
    // Headers too short, skipping past the end, empty, or far beyond their data.
    for (const std::string& bad : {head.substr(0, 17), patched(head, 0, Bytes().u8(200)),
                                   patched(head, 12, Bytes().u16(0)), patched(head, 12, Bytes().u16(20000))})
        EXPECT_FALSE(tga(bad));
}

TEST(Tga, WhatOtherProgramsWrite)
{
    // ImageMagick's files, raw and run-length, as it decodes them, rows in file order.
    const std::string path = makeScratchDir("tga-magick") + "/case.tga";
    for (const char* compress : {"None ", "RLE "}) {
        SCOPED_TRACE(compress);
        const auto file = magickFile(path, std::string("-alpha off -type TrueColor -compress ") + compress);
        ASSERT_TRUE(file.size() > 18 && file[16] == 24);
        auto image = tga(file);
        ASSERT_TRUE(image);
        EXPECT_EQ(image->channels, 3);
        EXPECT_EQ(image->pixels, magickRgb(path, false));
    }

    // Grey and colour-mapped pictures give nothing; nor does a header its data could
    // not describe at its densest; one byte more and it decodes.
    for (int type : {1, 3, 9, 11})
        EXPECT_FALSE(tga(tgaHead(type, 2, 2, 16).fill(8, 0x1F).str())) << type;
    const struct {
        int type, width, height, bits;
        size_t fewest;  // bytes of data that can just describe the picture
    } dense[] = {{2, 100, 10, 24, 2998}, {2, 7, 3, 16, 41}, {10, 300, 2, 24, 17},
                 {10, 16384, 16384, 32, 5 * 2097151 + 1}};
    for (const auto& d : dense) {
        SCOPED_TRACE(std::to_string(d.type) + ": " + std::to_string(d.width) + " x " + std::to_string(d.height));
        const std::string all = tgaHead(d.type, d.width, d.height, d.bits).fill(d.fewest, 1).str();
        EXPECT_FALSE(tga(all, all.size() - 1));
        if (d.width < 1000) {
            EXPECT_TRUE(tga(all));
        }
    }
}

TEST(Jpeg, FatalDamageGivesAMessage)
{
    // Fatal damage: a message, no picture, and the process goes on.
    BoxRecorder boxes;
    const std::string good = writeJpeg(16, 16, 3, std::vector<uint8_t>(16 * 16 * 3, 99));
    const size_t sof = good.find("\xFF\xC0");
    ASSERT_NE(sof, std::string::npos);
    // Not a JPEG, only its start, a side of 20000 (height, then width).
    for (const std::string& bad : {patched(good, 0, Bytes().u8(0)), std::string("\xFF\xD8"),
                                   patched(good, sof + 5, Bytes().raw(std::string("\x4E\x20\0\x10", 4))),
                                   patched(good, sof + 5, Bytes().raw(std::string("\0\x10\x4E\x20", 4)))}) {
        boxes.clear();
        EXPECT_FALSE(jpeg(bad));
        expectBoxes(boxes, {{"Can't load JPG image!", "ERROR", MB_ICONINFORMATION, BoxOwner::GameWindow}});
    }
}

TEST(Jpeg, WhatOtherProgramsWrite)
{
    // ImageMagick's files, some damaged the way real files are; libjpeg recovers
    // and the result matches ImageMagick's own decode.
    BoxRecorder boxes;
    const std::string dir = makeScratchDir("jpeg-magick");
    const std::string rgb = magickFile(dir + "/rgb.jpg", "-quality 95 ");
    const size_t scan = rgb.find("\xFF\xDA");
    ASSERT_NE(scan, std::string::npos);
    const std::pair<const char*, std::string> cases[] = {
        {"cmyk, Adobe inverted", magickFile(dir + "/cmyk.jpg", "-quality 95 -colorspace CMYK ")},
        {"progressive", magickFile(dir + "/progressive.jpg", "-quality 95 -interlace JPEG ")},
        {"stray bytes before a marker", rgb.substr(0, scan) + "\x01\x02\x03" + rgb.substr(scan)},
        {"cut short", rgb.substr(0, rgb.size() * 2 / 3)},
    };
    for (const auto& [name, bytes] : cases) {
        SCOPED_TRACE(name);
        writeFile(dir + "/case.jpg", bytes);
        auto image = jpeg(bytes);
        ASSERT_TRUE(image);
        EXPECT_EQ(image->channels, 3);
        const std::vector<uint8_t> expected = magickRgb(dir + "/case.jpg");
        ASSERT_EQ(image->pixels.size(), expected.size());
        int most = 0;
        for (size_t i = 0; i < expected.size(); ++i)
            most = std::max(most, std::abs(image->pixels[i] - expected[i]));
        EXPECT_LE(most, 2);
    }
    EXPECT_TRUE(boxes.boxes().empty());
}

TEST(Images, PicturesBeyondTheLimitsAreRefusedBeforeDecoding)
{
    // Largest side 40 and 32 x 32 pixels of 3 bytes: each decoder reads a
    // picture exactly at both limits and refuses one a pixel past either,
    // with its ordinary failure (a message for bitmaps and JPEG, none for TGA).
    const ImageLimits saved = imageLimits;
    imageLimits.largestSide = 40;
    imageLimits.largestBytes = 32 * 32 * 3;
    const struct {
        int width, height;
        bool read;
    } sizes[] = {{32, 32, true}, {40, 1, true}, {41, 1, false}, {1, 41, false}, {33, 32, false}};
    BoxRecorder boxes;
    for (const auto& c : sizes) {
        SCOPED_TRACE(std::to_string(c.width) + " x " + std::to_string(c.height));
        const std::vector<uint8_t> pixels(static_cast<size_t>(c.width) * c.height * 3, 77);
        boxes.clear();
        EXPECT_EQ(decode(writeBmp24(c.width, c.height, pixels)) != nullptr, c.read);
        EXPECT_EQ(boxes.boxes().size(), c.read ? 0u : 1u);
        EXPECT_EQ(tga(writeTga(c.width, c.height, 3, pixels, false)) != nullptr, c.read);
        boxes.clear();
        const std::unique_ptr<Image> image = jpeg(writeJpeg(c.width, c.height, 3, pixels));
        EXPECT_EQ(image != nullptr, c.read);
        if (!c.read)
            expectBoxes(boxes, {{"Can't load JPG image!", "ERROR", MB_ICONINFORMATION, BoxOwner::GameWindow}});
        else
            EXPECT_EQ(image->pixels, pixels);
    }
    imageLimits = saved;
}

TEST(Texture, DecoderIsChosenByName)
{
    // The message tells which decoder was asked; other names are refused silently.
    BoxRecorder boxes;
    unsigned texture = 77;
    const std::string bmp = "Can't load bmp Image File", jpg = "Can't load JPG image!";
    for (const auto& [name, message] : std::vector<std::pair<std::string, std::string>>{
             {"a.bmp", bmp}, {"a.tga.bmp", bmp}, {"a.bmp.tga", bmp}, {"a.tga", "Can't load tga Image File"},
             {"a.jpg", jpg}, {"a.jpeg", jpg}, {"a.BMP", ""}, {"a.png", ""}, {"a.JPG", ""}}) {
        boxes.clear();
        EXPECT_FALSE(loadTexture(texture, ("/nonexistent/" + name).c_str(), false)) << name;
        EXPECT_EQ(boxes.texts(), std::vector<std::string>(message.empty() ? 0 : 1, message)) << name;
    }
    EXPECT_FALSE(loadTexture(texture, nullptr, true));
    EXPECT_EQ(texture, 77u);
}
