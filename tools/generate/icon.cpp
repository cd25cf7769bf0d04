// The program icon, drawn once at any size and stored two ways: one 32-bit
// image with alpha in the .ico container (directory, then a bitmap info
// header, the colour rows bottom first and the one-bit mask the format still
// requires), and PNG files (signature, header, one zlib stream of the rows,
// end) for the icon theme.
#include "tools/generate/icon.h"

#include <zlib.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace {

constexpr int icoSize = 32;
// The bottle is drawn on a grid of this many units a side.
constexpr float gridSize = 32.0f;

void put16(std::vector<uint8_t>& out, unsigned value)
{
    out.push_back(static_cast<uint8_t>(value & 0xFF));
    out.push_back(static_cast<uint8_t>((value >> 8) & 0xFF));
}

void put32(std::vector<uint8_t>& out, unsigned value)
{
    put16(out, value & 0xFFFF);
    put16(out, value >> 16);
}

void put32BigEndian(std::vector<uint8_t>& out, uint32_t value)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<uint8_t>((value >> shift) & 0xFF));
}

// Half the bottle's width at grid height v (0 at the top), 0 where it has
// none; the shoulders widen smoothly, everything else steps by grid row.
float bottleHalfWidth(float v)
{
    if (v < 3.0f)
        return 0.0f;
    if (v < 5.0f)
        return 3.0f;   // the cap
    if (v < 11.5f)
        return 2.0f;   // the neck
    if (v < 16.0f)
        return std::fmin(8.5f, 2.0f + (v - 11.5f) * 1.6f);  // the shoulders
    if (v < 30.0f)
        return 8.5f;   // the body
    return 0.0f;
}

// One PNG chunk: length, type, data and the CRC of type and data.
void putChunk(std::vector<uint8_t>& out, const char* type, const std::vector<uint8_t>& data)
{
    put32BigEndian(out, static_cast<uint32_t>(data.size()));
    const size_t typeStart = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    const uLong crc = crc32(crc32(0L, Z_NULL, 0), out.data() + typeStart,
                            static_cast<uInt>(out.size() - typeStart));
    put32BigEndian(out, static_cast<uint32_t>(crc));
}

bool writeBytes(const std::string& path, const std::vector<uint8_t>& bytes)
{
    std::ofstream file(path, std::ios::binary);
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(file);
}

}  // namespace

std::vector<uint8_t> renderIconPixels(int size)
{
    std::vector<uint8_t> pixels;
    if (size <= 0)
        return pixels;
    pixels.reserve(static_cast<size_t>(size) * static_cast<size_t>(size) * 4);
    // Pixels per grid unit; the edge is smoothed over one pixel at every size.
    const float scale = static_cast<float>(size) / gridSize;
    for (int y = 0; y < size; ++y) {
        const float v = (static_cast<float>(y) + 0.5f) / scale;
        const int row = static_cast<int>(v);
        const float half = bottleHalfWidth(v);
        for (int x = 0; x < size; ++x) {
            const float u = (static_cast<float>(x) + 0.5f) / scale;
            const int column = static_cast<int>(u);
            const float distance = std::fabs(u - gridSize / 2.0f);
            const float cover = std::fmax(0.0f, std::fmin(1.0f, (half - distance) * scale + 0.5f));
            // Green glass, a gold cap, a pale label and a highlight on the left.
            int r = 30, g = 140, b = 60;
            if (row < 5) {
                r = 220; g = 180; b = 40;
            } else if (row >= 19 && row < 26) {
                r = 235; g = 225; b = 190;
            } else if (column == 12 || (row < 16 && column == 15)) {
                r = 150; g = 230; b = 160;
            }
            pixels.push_back(static_cast<uint8_t>(r));
            pixels.push_back(static_cast<uint8_t>(g));
            pixels.push_back(static_cast<uint8_t>(b));
            pixels.push_back(static_cast<uint8_t>(std::lround(cover * 255.0f)));
        }
    }
    return pixels;
}

std::vector<uint8_t> renderIcon()
{
    const unsigned colourBytes = icoSize * icoSize * 4;
    const unsigned maskBytes = icoSize * (icoSize / 8);
    const unsigned imageBytes = 40 + colourBytes + maskBytes;
    std::vector<uint8_t> out;
    // Directory: reserved, type 1 (icon), one image.
    put16(out, 0);
    put16(out, 1);
    put16(out, 1);
    out.push_back(icoSize);
    out.push_back(icoSize);
    out.push_back(0);  // no palette
    out.push_back(0);
    put16(out, 1);   // planes
    put16(out, 32);  // bits per pixel
    put32(out, imageBytes);
    put32(out, 6 + 16);
    // Bitmap info header; the height counts the colour rows and the mask.
    put32(out, 40);
    put32(out, icoSize);
    put32(out, icoSize * 2);
    put16(out, 1);
    put16(out, 32);
    put32(out, 0);
    put32(out, colourBytes + maskBytes);
    put32(out, 0);
    put32(out, 0);
    put32(out, 0);
    put32(out, 0);
    // BGRA rows, bottom first.
    const std::vector<uint8_t> pixels = renderIconPixels(icoSize);
    for (int row = icoSize - 1; row >= 0; --row) {
        const uint8_t* p = &pixels[static_cast<size_t>(row) * icoSize * 4];
        for (int x = 0; x < icoSize; ++x, p += 4) {
            out.push_back(p[2]);
            out.push_back(p[1]);
            out.push_back(p[0]);
            out.push_back(p[3]);
        }
    }
    // The mask is all zero: the alpha channel decides.
    out.insert(out.end(), maskBytes, 0);
    return out;
}

std::vector<uint8_t> encodePng(const std::vector<uint8_t>& rgba, int width, int height)
{
    std::vector<uint8_t> out;
    if (width <= 0 || height <= 0 || rgba.size() != static_cast<size_t>(width) * static_cast<size_t>(height) * 4)
        return out;
    // Each row is stored after a filter byte of 0 (none); zlib does the rest.
    const size_t rowBytes = static_cast<size_t>(width) * 4;
    std::vector<uint8_t> raw;
    raw.reserve((rowBytes + 1) * static_cast<size_t>(height));
    for (int y = 0; y < height; ++y) {
        raw.push_back(0);
        raw.insert(raw.end(), rgba.begin() + static_cast<std::ptrdiff_t>(rowBytes * y),
                   rgba.begin() + static_cast<std::ptrdiff_t>(rowBytes * (y + 1)));
    }
    uLongf packedSize = compressBound(static_cast<uLong>(raw.size()));
    std::vector<uint8_t> packed(packedSize);
    if (compress2(packed.data(), &packedSize, raw.data(), static_cast<uLong>(raw.size()), 9) != Z_OK)
        return out;
    packed.resize(packedSize);

    static const uint8_t signature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    out.insert(out.end(), signature, signature + sizeof signature);
    std::vector<uint8_t> header;
    put32BigEndian(header, static_cast<uint32_t>(width));
    put32BigEndian(header, static_cast<uint32_t>(height));
    header.push_back(8);  // bits per channel
    header.push_back(6);  // colour type: RGB with alpha
    header.push_back(0);  // deflate
    header.push_back(0);  // adaptive filtering
    header.push_back(0);  // no interlace
    putChunk(out, "IHDR", header);
    putChunk(out, "IDAT", packed);
    putChunk(out, "IEND", {});
    return out;
}

bool writeIcon(const std::string& path)
{
    return writeBytes(path, renderIcon());
}

bool writePngIcons(const std::string& themeDir, const std::string& name)
{
    bool ok = true;
    for (int size : pngIconSizes) {
        const std::string folder = themeDir + "/" + std::to_string(size) + "x" + std::to_string(size) + "/apps";
        std::error_code error;
        std::filesystem::create_directories(folder, error);
        const std::vector<uint8_t> png = encodePng(renderIconPixels(size), size, size);
        ok = !png.empty() && writeBytes(folder + "/" + name + ".png", png) && ok;
    }
    return ok;
}
