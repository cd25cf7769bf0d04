#include "assets/rgbe.h"

#include <climits>
#include <cmath>
#include <cstring>
#include <new>
#include <vector>

#include "assets/image.h"

namespace {

// Header lines are read in pieces of at most 127 characters.
constexpr int lineSize = 128;

// The fewest bytes that can describe a picture: 4 a pixel when its scanlines
// are flat; otherwise a run-length scanline of a 4-byte marker and four
// components of runs of at most 127 bytes, 2 bytes each. A header claiming
// more pixels than the rest of the stream could describe this way is damage.
int64_t fewestBytesFor(int64_t width, int64_t height)
{
    if (width < 8 || width > 0x7FFF)
        return width * height * 4;
    return height * (4 + 4 * 2 * ((width + 126) / 127));
}

// One header line of at most 127 characters; false at end of file.
bool readLine(FILE* file, char* line)
{
    return std::fgets(line, lineSize, file) != nullptr;
}

// Skips blanks as a space in a scanf format does.
const char* skipSpace(const char* p)
{
    while (*p == ' ' || *p == '\t' || *p == '\n' || *p == '\r' || *p == '\v' || *p == '\f')
        ++p;
    return p;
}

// A decimal number as "%d" reads it (leading blanks, optional sign); values
// beyond the int range saturate instead of overflowing.
const char* scanInt(const char* p, int& value)
{
    p = skipSpace(p);
    bool negative = false;
    if (*p == '+' || *p == '-')
        negative = *p++ == '-';
    if (*p < '0' || *p > '9')
        return nullptr;
    int64_t number = 0;
    while (*p >= '0' && *p <= '9') {
        if (number <= INT_MAX)
            number = number * 10 + (*p - '0');
        ++p;
    }
    if (negative)
        number = -number;
    value = static_cast<int>(number < INT_MIN ? INT_MIN : (number > INT_MAX ? INT_MAX : number));
    return p;
}

// Matches "-Y %d +X %d": height first, then width.
bool scanResolution(const char* line, int& height, int& width)
{
    const char* p = line;
    if (p[0] != '-' || p[1] != 'Y')
        return false;
    p = scanInt(p + 2, height);
    if (!p)
        return false;
    p = skipSpace(p);
    if (p[0] != '+' || p[1] != 'X')
        return false;
    return scanInt(p + 2, width) != nullptr;
}

// Bytes left in the stream after the current position, or -1 when the
// stream cannot tell.
int64_t bytesLeft(FILE* file)
{
    const long here = std::ftell(file);
    if (here < 0 || std::fseek(file, 0, SEEK_END) != 0)
        return -1;
    const long end = std::ftell(file);
    std::fseek(file, here, SEEK_SET);
    return end >= here ? end - here : -1;
}

// Exactly count bytes, or false.
bool readBytes(FILE* file, uint8_t* bytes, size_t count)
{
    return std::fread(bytes, 1, count, file) == count;
}

// Fills one component's width bytes of the scanline from run-length packets.
bool readRleComponent(FILE* file, uint8_t* component, int width)
{
    int filled = 0;
    while (filled < width) {
        uint8_t packet[2];
        if (!readBytes(file, packet, 2))
            return false;
        const int count = packet[0];
        const int missing = width - filled;
        if (count > 128) {
            const int run = count - 128;
            if (run > missing)
                return false;
            std::memset(component + filled, packet[1], static_cast<size_t>(run));
            filled += run;
        } else {
            if (count == 0 || count > missing)
                return false;
            component[filled++] = packet[1];
            if (count > 1 && !readBytes(file, component + filled, static_cast<size_t>(count - 1)))
                return false;
            filled += count - 1;
        }
    }
    return true;
}

}  // namespace

// Exponent 0 is black; otherwise each mantissa scaled by 2^(e - 136).
void rgbeToFloat(const uint8_t rgbe[4], float& red, float& green, float& blue)
{
    if (rgbe[3] == 0) {
        red = green = blue = 0.0f;
        return;
    }
    const float f = std::ldexp(1.0f, static_cast<int>(rgbe[3]) - 136);
    red = rgbe[0] * f;
    green = rgbe[1] * f;
    blue = rgbe[2] * f;
}

// Skips the program-type line and every line up to the empty one, then reads
// the resolution line; true when it gave both numbers.
bool readRgbeHeader(FILE* file, int& width, int& height)
{
    char line[lineSize];
    if (!readLine(file, line) || !readLine(file, line))
        return false;
    for (;;) {
        if (line[0] == '\0')
            return false;
        if (std::strcmp(line, "\n") == 0)
            break;
        if (!readLine(file, line))
            return false;
    }
    if (!readLine(file, line))
        return false;
    return scanResolution(line, height, width);
}

// count flat pixels; false at end of file, true for a count below 1.
bool readRgbePixels(FILE* file, float* destination, int count)
{
    for (int i = 0; i < count; ++i) {
        uint8_t rgbe[4];
        if (!readBytes(file, rgbe, 4))
            return false;
        rgbeToFloat(rgbe, destination[0], destination[1], destination[2]);
        destination += 3;
    }
    return true;
}

// Pictures narrower than 8 or wider than 32767 pixels are flat. A scanline
// without the 2, 2 marker makes the rest of the picture flat; a marker with
// another width, a zero-length packet or a packet longer than what is left of
// its component stops decoding.
bool readRgbePixelsRle(FILE* file, float* destination, int width, int height)
{
    if (static_cast<int64_t>(width) * height > INT_MAX)
        return false;
    if (width < 8 || width > 0x7FFF)
        return readRgbePixels(file, destination, width * height);
    std::vector<uint8_t> scanline;
    for (int remaining = height; remaining > 0; --remaining) {
        uint8_t marker[4];
        if (!readBytes(file, marker, 4))
            return false;
        if (marker[0] != 2 || marker[1] != 2 || marker[2] >= 128) {
            rgbeToFloat(marker, destination[0], destination[1], destination[2]);
            return readRgbePixels(file, destination + 3, width * remaining - 1);
        }
        if (((marker[2] << 8) | marker[3]) != width)
            return false;
        if (scanline.empty())
            scanline.resize(4 * static_cast<size_t>(width));
        for (int component = 0; component < 4; ++component) {
            if (!readRleComponent(file, scanline.data() + component * static_cast<size_t>(width), width))
                return false;
        }
        for (int j = 0; j < width; ++j) {
            const uint8_t rgbe[4] = {scanline[j], scanline[width + j], scanline[2 * width + j],
                                     scanline[3 * width + j]};
            rgbeToFloat(rgbe, destination[0], destination[1], destination[2]);
            destination += 3;
        }
    }
    return true;
}

// Damage is not reported: what was decoded stays, the rest is zero, and a
// header without a readable resolution, or one that claims more pixels than
// the rest of the file could describe, gives 0 x 0. A picture beyond the
// image limits gives 0 x 0 too, marked refused, before anything is allocated.
void decodeRgbe(FILE* file, RgbeImage& image)
{
    image = RgbeImage();
    int width = 0, height = 0;
    readRgbeHeader(file, width, height);
    if (width <= 0 || height <= 0)
        return;
    if (!imageFits(width, height, 3 * sizeof(float))) {
        image.refusedWidth = width;
        image.refusedHeight = height;
        return;
    }
    const int64_t left = bytesLeft(file);
    if (left >= 0 && fewestBytesFor(width, height) > left)
        return;
    try {
        image.pixels.assign(static_cast<size_t>(width) * static_cast<size_t>(height) * 3, 0.0f);
    } catch (const std::bad_alloc&) {
        image.refusedWidth = width;
        image.refusedHeight = height;
        return;
    }
    image.width = width;
    image.height = height;
    image.complete = readRgbePixelsRle(file, image.pixels.data(), width, height);
}

// False only for a null name or a file that does not open.
bool loadRgbeFile(const char* fileName, RgbeImage& image)
{
    if (!fileName)
        return false;
    FILE* file = std::fopen(fileName, "rb");
    if (!file)
        return false;
    decodeRgbe(file, image);
    std::fclose(file);
    return true;
}
