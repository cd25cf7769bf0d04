#include "assets/writers.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>

#include <jpeglib.h>

#include "core/bytewriter.h"

namespace {

// A 3DS chunk: id, length including the 6-byte header, then the payload.
std::string chunk(uint16_t id, const std::string& payload)
{
    std::string out;
    putU16(out, id);
    putU32(out, static_cast<uint32_t>(payload.size() + 6));
    return out + payload;
}

// Counts in a 3DS file are 16 bits; longer lists are cut to what fits.
size_t fitting16(size_t count)
{
    return std::min<size_t>(count, 0xFFFF);
}

// The triangle-mesh chunk: vertices, mapping coordinates (if any), faces.
std::string meshChunk(const MeshObject& object)
{
    std::string vertices;
    const size_t vertexCount = fitting16(object.vertices.size());
    putU16(vertices, static_cast<unsigned>(vertexCount));
    for (size_t i = 0; i < vertexCount; ++i) {
        putF32(vertices, object.vertices[i].x);
        putF32(vertices, object.vertices[i].y);
        putF32(vertices, object.vertices[i].z);
    }
    std::string mesh = chunk(0x4110, vertices);

    if (!object.texCoords.empty()) {
        std::string mapping;
        const size_t count = fitting16(object.texCoords.size());
        putU16(mapping, static_cast<unsigned>(count));
        for (size_t i = 0; i < count; ++i) {
            putF32(mapping, object.texCoords[i].u);
            putF32(mapping, object.texCoords[i].v);
        }
        mesh += chunk(0x4140, mapping);
    }

    std::string faces;
    const size_t faceCount = fitting16(object.faces.size());
    putU16(faces, static_cast<unsigned>(faceCount));
    for (size_t i = 0; i < faceCount; ++i) {
        putU16(faces, object.faces[i].a);
        putU16(faces, object.faces[i].b);
        putU16(faces, object.faces[i].c);
        putU16(faces, 7);  // all three edges visible
    }
    mesh += chunk(0x4120, faces);
    return chunk(0x4100, mesh);
}

// One float colour as Radiance stores it: the largest component's exponent
// shared by all three 8-bit mantissas (truncated, as the reader adds no half
// unit back).
void floatToRgbe(float red, float green, float blue, uint8_t rgbe[4])
{
    red = std::max(red, 0.0f);
    green = std::max(green, 0.0f);
    blue = std::max(blue, 0.0f);
    const float largest = std::max(red, std::max(green, blue));
    int exponent = 0;
    if (!(largest >= 1e-32f) || std::frexp(largest, &exponent) == 0.0f || exponent + 128 < 1) {
        std::memset(rgbe, 0, 4);
        return;
    }
    exponent = std::min(exponent, 127);
    const double scale = std::ldexp(1.0, 8 - exponent);
    const auto mantissa = [scale](float value) {
        return static_cast<uint8_t>(std::min(255.0, std::floor(value * scale)));
    };
    rgbe[0] = mantissa(red);
    rgbe[1] = mantissa(green);
    rgbe[2] = mantissa(blue);
    rgbe[3] = static_cast<uint8_t>(exponent + 128);
}

// One component of a scanline as run-length packets: runs of at least four
// equal bytes (up to 127) as runs, everything between as literals of up to
// 128 bytes.
void encodeRgbeComponent(const uint8_t* data, int count, std::string& out)
{
    constexpr int minRun = 4;
    int current = 0;
    while (current < count) {
        int runStart = current;
        int runLength = 0;
        int previousRun = 0;
        while (runLength < minRun && runStart < count) {
            runStart += runLength;
            previousRun = runLength;
            runLength = 1;
            while (runStart + runLength < count && runLength < 127 &&
                   data[runStart] == data[runStart + runLength])
                ++runLength;
        }
        if (previousRun > 1 && previousRun == runStart - current) {
            putU8(out, 128 + previousRun);
            putU8(out, data[current]);
            current = runStart;
        }
        while (current < runStart) {
            const int literal = std::min(128, runStart - current);
            putU8(out, literal);
            out.append(reinterpret_cast<const char*>(data + current), static_cast<size_t>(literal));
            current += literal;
        }
        if (runLength >= minRun) {
            putU8(out, 128 + runLength);
            putU8(out, data[runStart]);
            current += runLength;
        }
    }
}

// True-colour TGA pixel in file order: blue, green, red (, alpha).
void putTgaPixel(std::string& out, const uint8_t* pixel, int channels)
{
    putU8(out, pixel[2]);
    putU8(out, pixel[1]);
    putU8(out, pixel[0]);
    if (channels == 4)
        putU8(out, pixel[3]);
}

}  // namespace

// Writes every object; names are cut to 254 bytes.
std::string write3ds(const std::vector<MeshObject>& objects, uint32_t version)
{
    std::string versionData;
    putU32(versionData, version);
    std::string meshVersion;
    putU32(meshVersion, 3);
    std::string editor = chunk(0x3D3E, meshVersion);
    for (const MeshObject& object : objects) {
        std::string named = object.name.substr(0, 254);
        named.push_back('\0');
        editor += chunk(0x4000, named + meshChunk(object));
    }
    return chunk(0x4D4D, chunk(0x0002, versionData) + chunk(0x3D3D, editor));
}

// Flat or encoded scanlines; missing values are written as black.
std::string writeRgbe(int width, int height, const std::vector<float>& rgb, bool runLength)
{
    width = std::max(width, 0);
    height = std::max(height, 0);
    char resolution[64];
    std::snprintf(resolution, sizeof resolution, "-Y %d +X %d\n", height, width);
    std::string out = "#?RADIANCE\nFORMAT=32-bit_rle_rgbe\n\n";
    out += resolution;

    const bool encode = runLength && width >= 8 && width <= 0x7FFF;
    std::vector<uint8_t> scanline(4 * static_cast<size_t>(width));
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const size_t at = 3 * (static_cast<size_t>(y) * width + x);
            const float r = at + 2 < rgb.size() ? rgb[at] : 0.0f;
            const float g = at + 2 < rgb.size() ? rgb[at + 1] : 0.0f;
            const float b = at + 2 < rgb.size() ? rgb[at + 2] : 0.0f;
            uint8_t rgbe[4];
            floatToRgbe(r, g, b, rgbe);
            if (encode) {
                for (int c = 0; c < 4; ++c)
                    scanline[c * static_cast<size_t>(width) + x] = rgbe[c];
            } else {
                out.append(reinterpret_cast<const char*>(rgbe), 4);
            }
        }
        if (encode) {
            putU8(out, 2);
            putU8(out, 2);
            putU8(out, width >> 8);
            putU8(out, width & 0xFF);
            for (int c = 0; c < 4; ++c)
                encodeRgbeComponent(scanline.data() + c * static_cast<size_t>(width), width, out);
        }
    }
    return out;
}

// Rows filled to 4 bytes, B, G, R per pixel; missing pixels are black.
std::string writeBmp24(int width, int height, const std::vector<uint8_t>& rgb)
{
    width = std::max(width, 0);
    height = std::max(height, 0);
    const size_t stride = (static_cast<size_t>(width) * 3 + 3) & ~static_cast<size_t>(3);
    const uint32_t imageSize = static_cast<uint32_t>(stride * height);
    std::string out = "BM";
    putU32(out, 54 + imageSize);
    putU32(out, 0);
    putU32(out, 54);
    putU32(out, 40);
    putU32(out, static_cast<uint32_t>(width));
    putU32(out, static_cast<uint32_t>(height));
    putU16(out, 1);
    putU16(out, 24);
    putU32(out, 0);
    putU32(out, imageSize);
    putU32(out, 2835);  // 72 dots per inch
    putU32(out, 2835);
    putU32(out, 0);
    putU32(out, 0);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const size_t at = 3 * (static_cast<size_t>(y) * width + x);
            const uint8_t zero[3] = {0, 0, 0};
            const uint8_t* p = at + 2 < rgb.size() ? &rgb[at] : zero;
            putU8(out, p[2]);
            putU8(out, p[1]);
            putU8(out, p[0]);
        }
        out.append(stride - static_cast<size_t>(width) * 3, '\0');
    }
    return out;
}

// Header with no identification field and no colour map; run-length
// packets never cross 128 pixels.
std::string writeTga(int width, int height, int channels, const std::vector<uint8_t>& pixels,
                     bool runLength)
{
    width = std::clamp(width, 0, 0xFFFF);
    height = std::clamp(height, 0, 0xFFFF);
    channels = channels == 4 ? 4 : 3;
    std::string out;
    putU8(out, 0);                        // no identification field
    putU8(out, 0);                        // no colour map
    putU8(out, runLength ? 10 : 2);
    out.append(5, '\0');                  // colour-map description
    putU16(out, 0);                       // origin
    putU16(out, 0);
    putU16(out, static_cast<unsigned>(width));
    putU16(out, static_cast<unsigned>(height));
    putU8(out, static_cast<unsigned>(channels * 8));
    putU8(out, channels == 4 ? 8 : 0);    // alpha bits; rows from the bottom

    const size_t count = static_cast<size_t>(width) * height;
    std::vector<uint8_t> data(count * channels, 0);
    std::copy_n(pixels.begin(), std::min(pixels.size(), data.size()), data.begin());
    const auto pixel = [&](size_t i) { return data.data() + i * channels; };
    const auto same = [&](size_t i, size_t j) {
        return std::memcmp(pixel(i), pixel(j), static_cast<size_t>(channels)) == 0;
    };
    if (!runLength) {
        for (size_t i = 0; i < count; ++i)
            putTgaPixel(out, pixel(i), channels);
        return out;
    }
    size_t i = 0;
    while (i < count) {
        size_t run = 1;
        while (i + run < count && run < 128 && same(i, i + run))
            ++run;
        if (run >= 2) {
            putU8(out, 0x80 | (run - 1));
            putTgaPixel(out, pixel(i), channels);
            i += run;
            continue;
        }
        size_t raw = 1;
        while (i + raw < count && raw < 128 && !(i + raw + 1 < count && same(i + raw, i + raw + 1)))
            ++raw;
        putU8(out, static_cast<unsigned>(raw - 1));
        for (size_t k = 0; k < raw; ++k)
            putTgaPixel(out, pixel(i + k), channels);
        i += raw;
    }
    return out;
}

// Creates the parent folders, then writes the bytes.
bool saveFile(const std::string& path, const std::string& bytes)
{
    std::error_code error;
    const std::filesystem::path target(path);
    if (target.has_parent_path())
        std::filesystem::create_directories(target.parent_path(), error);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out)
        return false;
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    return static_cast<bool>(out);
}

std::string writeJpeg(int width, int height, int components, const std::vector<uint8_t>& rows, int quality,
                      bool progressive)
{
    jpeg_compress_struct info;
    jpeg_error_mgr errors;
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = static_cast<JDIMENSION>(width);
    info.image_height = static_cast<JDIMENSION>(height);
    info.input_components = components;
    info.in_color_space = components == 1 ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
    if (progressive)
        jpeg_simple_progression(&info);
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < info.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(rows.data() + static_cast<size_t>(info.next_scanline) * width * components);
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    std::string out(reinterpret_cast<char*>(buffer), size);
    std::free(buffer);
    return out;
}
