// Writes the seed corpora of the fuzz targets into <folder>/<loader>/: small
// but complete files made by the game's own writers, a few hand-made layouts
// the writers do not produce (extra 3DS chunks, palette and 12-byte-header
// bitmaps, 16-bit TGA) and JPEGs written with libjpeg.
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>


#include "assets/writers.h"

namespace {

std::string u16(unsigned v)
{
    return {static_cast<char>(v & 0xFF), static_cast<char>((v >> 8) & 0xFF)};
}

std::string u32(uint32_t v)
{
    return u16(v & 0xFFFF) + u16(v >> 16);
}

std::string chunk(unsigned id, const std::string& payload)
{
    return u16(id) + u32(static_cast<uint32_t>(payload.size() + 6)) + payload;
}

bool failed = false;

void save(const std::string& folder, const std::string& name, const std::string& bytes)
{
    if (!saveFile(folder + "/" + name, bytes)) {
        std::fprintf(stderr, "cannot write %s/%s\n", folder.c_str(), name.c_str());
        failed = true;
    }
}

MeshObject box(const std::string& name, float size, bool mapped)
{
    MeshObject object;
    object.name = name;
    for (int i = 0; i < 8; ++i) {
        object.vertices.emplace_back(i & 1 ? size : -size, i & 2 ? size : -size, i & 4 ? size : -size);
        if (mapped)
            object.texCoords.push_back({static_cast<float>(i & 1), static_cast<float>((i >> 1) & 1)});
    }
    const uint32_t quads[6][4] = {{0, 1, 3, 2}, {4, 6, 7, 5}, {0, 4, 5, 1}, {2, 3, 7, 6}, {0, 2, 6, 4}, {1, 5, 7, 3}};
    for (const auto& q : quads) {
        object.faces.push_back({q[0], q[1], q[2]});
        object.faces.push_back({q[0], q[2], q[3]});
    }
    return object;
}

void makeModels(const std::string& folder)
{
    save(folder, "box.3ds", write3ds({box("Box", 1.0f, true)}));
    save(folder, "two.3ds", write3ds({box("Inner", 0.5f, false), box("Outer", 2.0f, true)}));
    save(folder, "version4.3ds", write3ds({box("New", 1.0f, true)}, 4));
    // Chunks the game skips: material, master scale, local axes, face
    // materials and smoothing groups, a light object, the keyframer.
    std::string faces = u16(2) + u16(0) + u16(1) + u16(2) + u16(7) + u16(0) + u16(2) + u16(3) + u16(7);
    faces += chunk(0x4130, std::string("Stone\0", 6) + u16(1) + u16(0)) + chunk(0x4150, u32(1) + u32(1));
    std::string vertices = u16(4);
    for (float v : {0.f, 0.f, 0.f, 1.f, 0.f, 0.f, 1.f, 1.f, 0.f, 0.f, 1.f, 0.f}) {
        uint32_t bits;
        std::memcpy(&bits, &v, 4);
        vertices += u32(bits);
    }
    const std::string mesh = chunk(0x4100, chunk(0x4110, vertices) + chunk(0x4160, std::string(48, '\0')) +
                                               chunk(0x4120, faces));
    const std::string editor = chunk(0x3D3E, u32(3)) + chunk(0x0100, u32(0x3F800000)) +
                               chunk(0xAFFF, chunk(0xA000, std::string("Stone\0", 6))) +
                               chunk(0x4000, std::string("Quad\0", 5) + mesh) +
                               chunk(0x4000, std::string("Lamp\0", 5) + chunk(0x4600, std::string(12, '\0')));
    save(folder, "skipped.3ds",
         chunk(0x4D4D, chunk(0x0002, u32(3)) + chunk(0x3D3D, editor) + chunk(0xB000, chunk(0xB00A, std::string(20, '\0')))));
}

// A palette bitmap (1, 4 or 8 bits), with the 40- or 12-byte header.
std::string paletteBitmap(int bits, int width, int height, bool core, bool bare)
{
    const int colors = 1 << bits;
    std::string info = u32(core ? 12 : 40);
    if (core)
        info += u16(width) + u16(height) + u16(1) + u16(bits);
    else
        info += u32(width) + u32(height) + u16(1) + u16(bits) + u32(0) + u32(0) + u32(2835) + u32(2835) + u32(0) + u32(0);
    for (int i = 0; i < colors; ++i) {
        info += std::string{static_cast<char>(i * 3), static_cast<char>(255 - i), static_cast<char>(i * 7)};
        if (!core)
            info += '\0';
    }
    const int stride = ((width * bits + 31) / 32) * 4;
    std::string pixels;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < stride; ++x)
            pixels += static_cast<char>((x * 37 + y * 11) & 0xFF);
    if (bare)
        return info + pixels;
    return "BM" + u32(static_cast<uint32_t>(14 + info.size() + pixels.size())) + u32(0) +
           u32(static_cast<uint32_t>(14 + info.size())) + info + pixels;
}

// A 16- or 32-bit BI_RGB bitmap, optionally top-down.
std::string directBitmap(int bits, int width, int height, bool topDown)
{
    const int stride = ((width * bits + 31) / 32) * 4;
    std::string pixels;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < stride; ++x)
            pixels += static_cast<char>((x * 13 + y * 29) & 0xFF);
    const std::string info = u32(40) + u32(width) + u32(topDown ? -height : height) + u16(1) + u16(bits) + u32(0) +
                             u32(0) + u32(2835) + u32(2835) + u32(0) + u32(0);
    return "BM" + u32(static_cast<uint32_t>(54 + pixels.size())) + u32(0) + u32(54) + info + pixels;
}

// A run-length bitmap (8 or 4 bits): runs, an absolute run, end of line, a
// delta and the end of the bitmap.
std::string runLengthBitmap(int bits)
{
    std::string file = paletteBitmap(bits, 7, 3, false, false);
    file = file.substr(0, 14 + 40 + 4 * (1 << bits)) +
           std::string{3, 1, 0, 3, 2, 5, 6, 0, 0, 0, 0, 2, 1, 1, 4, 9, 0, 1};
    file.replace(30, 4, u32(bits == 8 ? 1 : 2));
    file.replace(2, 4, u32(static_cast<uint32_t>(file.size())));
    return file;
}

// A 16- or 32-bit bitmap with its three bit-field masks after the 40-byte header.
std::string bitFieldBitmap(int bits, uint32_t red, uint32_t green, uint32_t blue)
{
    std::string file = directBitmap(bits, 5, 3, false);
    file.replace(30, 4, u32(3));
    file.insert(54, u32(red) + u32(green) + u32(blue));
    file.replace(10, 4, u32(66));
    file.replace(2, 4, u32(static_cast<uint32_t>(file.size())));
    return file;
}

void makeBitmaps(const std::string& folder)
{
    std::vector<uint8_t> rgb;
    for (int i = 0; i < 5 * 3; ++i)
        rgb.insert(rgb.end(), {static_cast<uint8_t>(i * 17), static_cast<uint8_t>(200 - i), static_cast<uint8_t>(i)});
    const std::string bmp24 = writeBmp24(5, 3, rgb);
    save(folder, "rgb24.bmp", bmp24);
    save(folder, "rgb24-bare.dib", bmp24.substr(14));
    for (int bits : {1, 4, 8}) {
        save(folder, "palette" + std::to_string(bits) + ".bmp", paletteBitmap(bits, 7, 3, false, false));
        save(folder, "palette" + std::to_string(bits) + "-core.bmp", paletteBitmap(bits, 7, 3, true, false));
        save(folder, "palette" + std::to_string(bits) + "-bare.dib", paletteBitmap(bits, 6, 2, false, true));
    }
    save(folder, "rgb16.bmp", directBitmap(16, 5, 3, false));
    save(folder, "rgb32-topdown.bmp", directBitmap(32, 4, 3, true));
    save(folder, "rle8.bmp", runLengthBitmap(8));
    save(folder, "rle4.bmp", runLengthBitmap(4));
    save(folder, "bitfields565.bmp", bitFieldBitmap(16, 0xF800, 0x07E0, 0x001F));
    save(folder, "bitfields32.bmp", bitFieldBitmap(32, 0x00FF0000, 0x0000FF00, 0x000000FF));
}

void makeTargas(const std::string& folder)
{
    for (int channels : {3, 4}) {
        std::vector<uint8_t> pixels;
        for (int i = 0; i < 6 * 4; ++i)
            for (int c = 0; c < channels; ++c)
                pixels.push_back(static_cast<uint8_t>((i / 3) * 40 + c));
        const std::string tag = std::to_string(channels * 8);
        save(folder, "raw" + tag + ".tga", writeTga(6, 4, channels, pixels, false));
        save(folder, "rle" + tag + ".tga", writeTga(6, 4, channels, pixels, true));
    }
    std::string sixteen = std::string{0, 0, 2} + std::string(9, '\0') + u16(3) + u16(2) + std::string{16, 0};
    for (unsigned p : {0x7FFFu, 0x8000u, 0x7C00u, 0x03E0u, 0x001Fu, 0x4210u})
        sixteen += u16(p);
    save(folder, "raw16.tga", sixteen);
    save(folder, "rle16.tga", std::string{0, 0, 10} + std::string(9, '\0') + u16(3) + u16(2) + std::string{16, 0} +
                                  std::string{static_cast<char>(0x82)} + u16(0x7FFF) + std::string{2} + u16(1) +
                                  u16(2) + u16(3));
}

std::string jpeg(int width, int height, int components, bool progressive)
{
    std::vector<uint8_t> rows;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            for (int c = 0; c < components; ++c)
                rows.push_back(static_cast<uint8_t>((x * 16 + y * 8 + c * 60) & 0xFF));
    return writeJpeg(width, height, components, rows, 75, progressive);
}

void makeJpegs(const std::string& folder)
{
    save(folder, "colour.jpg", jpeg(16, 8, 3, false));
    save(folder, "grey.jpg", jpeg(8, 8, 1, false));
    save(folder, "progressive.jpg", jpeg(16, 16, 3, true));
    save(folder, "odd.jpg", jpeg(13, 5, 3, false));
}

void makeRgbe(const std::string& folder)
{
    const auto picture = [](int width, int height) {
        std::vector<float> rgb;
        for (int i = 0; i < width * height; ++i) {
            rgb.push_back((i / 5) % 2 ? 1.0f : 0.25f);
            rgb.push_back(std::ldexp(1.0f, (i % 7) - 3));
            rgb.push_back(i % 9 == 0 ? 0.0f : 0.5f);
        }
        return rgb;
    };
    save(folder, "rle.hdr", writeRgbe(16, 3, picture(16, 3), true));
    save(folder, "flat.hdr", writeRgbe(9, 2, picture(9, 2), false));
    save(folder, "narrow.hdr", writeRgbe(4, 3, picture(4, 3), true));
    save(folder, "long-runs.hdr", writeRgbe(200, 1, std::vector<float>(600, 0.75f), true));
    save(folder, "bare-header.hdr", "#?RGBE\nEXPOSURE=1.0\n\n-Y 1 +X 2\n" + std::string("\x80\x40\x20\x81\x40\x40\x40\x82", 8));
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: fuzz_make_corpus <folder>\n");
        return 2;
    }
    const std::string root = argv[1];
    makeModels(root + "/3ds");
    makeBitmaps(root + "/dib");
    makeTargas(root + "/tga");
    makeJpegs(root + "/jpeg");
    makeRgbe(root + "/rgbe");
    return failed ? 1 : 0;
}
