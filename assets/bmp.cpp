// Windows bitmaps (BMP files and bare DIBs) converted into 24-bit rows the way
// the platform's bitmap conversion gives them.
#include "assets/image.h"

#include <cstdio>
#include <cstring>
#include <new>
#include <stdexcept>
#include <string>

#include "core/bytereader.h"
#include "platform/platform.h"

namespace {

// The bitmap decoder's boxes: caption "Error", owned by the focus window.
void dibMessage(const std::string& text)
{
    showMessageBox(text, "Error", MB_OK, BoxOwner::FocusWindow);
}

constexpr uint32_t coreHeaderSize = 12;
constexpr uint32_t infoHeaderSize = 40;
constexpr uint32_t fileHeaderSize = 14;

struct PaletteEntry {
    uint8_t blue = 0, green = 0, red = 0;
};

// The information header in its 40-byte form, whatever form the file held.
struct DibHeader {
    int32_t width = 0;
    int32_t height = 0;
    uint16_t planes = 0;
    uint16_t bitCount = 0;
    uint32_t compression = 0;
    uint32_t masks[3] = {};  // red, green, blue bit fields (compression 3 only)
    std::vector<PaletteEntry> palette;
};

constexpr uint32_t compressionNone = 0;
constexpr uint32_t compressionRle8 = 1;
constexpr uint32_t compressionRle4 = 2;
constexpr uint32_t compressionBitFields = 3;

// Where a bit-field channel sits in a pixel: its lowest bit and its width.
struct BitField {
    unsigned shift = 0;
    unsigned bits = 0;
};

// Lowest bit and width of a mask; false for a mask whose bits are not one
// contiguous run (the bitmap conversion refuses those). A zero mask is a
// channel that is always 0.
bool bitFieldOf(uint32_t mask, BitField& field)
{
    field = BitField();
    if (mask == 0)
        return true;
    while (!(mask & 1u)) {
        mask >>= 1;
        ++field.shift;
    }
    while (mask & 1u) {
        mask >>= 1;
        ++field.bits;
    }
    return mask == 0;
}

// A channel value of the field's width scaled to 8 bits: wider fields keep
// their top 8 bits, narrower ones repeat their bits below themselves (so a
// 5-bit 31 gives 255, as the 5-5-5 path does).
uint8_t scaleToEightBits(uint32_t pixel, const BitField& field)
{
    if (field.bits == 0)
        return 0;
    const uint32_t value = (pixel >> field.shift) & ((field.bits >= 32 ? 0u : (1u << field.bits)) - 1u);
    if (field.bits >= 8)
        return static_cast<uint8_t>(value >> (field.bits - 8));
    uint32_t out = 0;
    for (int shift = 8 - static_cast<int>(field.bits); shift > -static_cast<int>(field.bits);
         shift -= static_cast<int>(field.bits))
        out |= shift >= 0 ? value << shift : value >> -shift;
    return static_cast<uint8_t>(out);
}

// Colour-table entries a palette depth implies (2, 16, 256), else none.
uint32_t defaultColorCount(uint16_t bitCount)
{
    switch (bitCount) {
    case 1: return 2;
    case 4: return 16;
    case 8: return 256;
    default: return 0;
    }
}

// 5-bit channel to 8 bits the way a 5-5-5 pixel is shown: the top bits repeated
// below, so 31 gives 255.
uint8_t expandFiveBits(unsigned value)
{
    return static_cast<uint8_t>((value << 3) | (value >> 2));
}

// Converts one source row of the given depth into R, G, B bytes.
void convertDibRow(const uint8_t* source, const DibHeader& header, uint8_t* out)
{
    const int width = header.width;
    if (header.compression == compressionBitFields) {
        BitField fields[3];
        for (int c = 0; c < 3; ++c)
            bitFieldOf(header.masks[c], fields[c]);
        for (int x = 0; x < width; ++x) {
            uint32_t p = 0;
            if (header.bitCount == 16)
                p = source[2 * x] | (source[2 * x + 1] << 8);
            else
                p = source[4 * x] | (source[4 * x + 1] << 8) | (source[4 * x + 2] << 16) |
                    (static_cast<uint32_t>(source[4 * x + 3]) << 24);
            for (int c = 0; c < 3; ++c)
                out[3 * static_cast<size_t>(x) + c] = scaleToEightBits(p, fields[c]);
        }
        return;
    }
    const auto fromPalette = [&](unsigned index, uint8_t* pixel) {
        PaletteEntry entry;
        if (index < header.palette.size())
            entry = header.palette[index];
        pixel[0] = entry.red;
        pixel[1] = entry.green;
        pixel[2] = entry.blue;
    };
    for (int x = 0; x < width; ++x) {
        uint8_t* pixel = out + 3 * static_cast<size_t>(x);
        switch (header.bitCount) {
        case 1:
            fromPalette((source[x >> 3] >> (7 - (x & 7))) & 1, pixel);
            break;
        case 4:
            fromPalette((x & 1) ? (source[x >> 1] & 0x0F) : (source[x >> 1] >> 4), pixel);
            break;
        case 8:
            fromPalette(source[x], pixel);
            break;
        case 16: {
            const unsigned p = source[2 * x] | (source[2 * x + 1] << 8);
            pixel[0] = expandFiveBits((p >> 10) & 31);
            pixel[1] = expandFiveBits((p >> 5) & 31);
            pixel[2] = expandFiveBits(p & 31);
            break;
        }
        case 24:
            pixel[0] = source[3 * x + 2];
            pixel[1] = source[3 * x + 1];
            pixel[2] = source[3 * x];
            break;
        default:
            pixel[0] = source[4 * x + 2];
            pixel[1] = source[4 * x + 1];
            pixel[2] = source[4 * x];
            break;
        }
    }
}

// Reads the information header at the reader's position (12 or 40 bytes) and
// its colour table. False, after the message, for any other header size.
bool readDibHeader(ByteReader& reader, DibHeader& header, bool& tableFits)
{
    const size_t headerStart = reader.position();
    const uint32_t size = reader.u32();
    if (reader.failed() || (size != coreHeaderSize && size != infoHeaderSize)) {
        dibMessage("Unknown DIB file format.");
        return false;
    }
    uint32_t colors;
    size_t entrySize;
    if (size == coreHeaderSize) {
        header.width = reader.u16();
        header.height = reader.u16();
        header.planes = reader.u16();
        header.bitCount = reader.u16();
        colors = defaultColorCount(header.bitCount);
        entrySize = 3;
    } else {
        header.width = reader.i32();
        header.height = reader.i32();
        header.planes = reader.u16();
        header.bitCount = reader.u16();
        header.compression = reader.u32();
        reader.skip(12);  // image size and the two resolutions
        const uint32_t colorsUsed = reader.u32();
        reader.u32();     // colours important
        colors = colorsUsed != 0 ? colorsUsed : defaultColorCount(header.bitCount);
        entrySize = 4;
    }
    if (reader.failed()) {
        dibMessage("Unknown DIB file format.");
        return false;
    }
    reader.seek(headerStart + size);
    if (size == infoHeaderSize && header.compression == compressionBitFields)
        for (uint32_t& mask : header.masks)
            mask = reader.u32();
    tableFits = !reader.failed() && static_cast<uint64_t>(colors) * entrySize <= reader.remaining();
    if (!tableFits)
        return true;
    // Entries beyond 256 can never be named by a pixel; they are stepped over.
    header.palette.resize(std::min<uint32_t>(colors, 256));
    for (uint32_t i = 0; i < colors; ++i) {
        PaletteEntry entry;
        entry.blue = reader.u8();
        entry.green = reader.u8();
        entry.red = reader.u8();
        if (entrySize == 4)
            reader.u8();
        if (i < header.palette.size())
            header.palette[i] = entry;
    }
    return true;
}

// Decodes a run-length stream (8 or 4 bits per index) into R, G, B rows,
// bottom row first. Codes: a count and an index (a run; in 4-bit streams the
// two nibbles alternate), or 0 followed by 0 (end of line), 1 (end of bitmap),
// 2 dx dy (move right and up) or n >= 3 (n indices as they stand, padded to a
// 16-bit boundary). Pixels the stream never writes stay black; runs that pass
// the right edge or the top are clipped; the stream is never read past its end.
void decodeDibRunLength(ByteReader& reader, const DibHeader& header, DibImage& image)
{
    const bool fourBits = header.compression == compressionRle4;
    const int64_t width = image.width;
    const int64_t rows = image.height;
    int64_t x = 0;
    int64_t y = 0;
    const auto put = [&](unsigned index) {
        if (x < width && y < rows && index < header.palette.size()) {
            uint8_t* pixel = image.pixels.data() + 3 * static_cast<size_t>(y * width + x);
            pixel[0] = header.palette[index].red;
            pixel[1] = header.palette[index].green;
            pixel[2] = header.palette[index].blue;
        }
        ++x;
    };
    while (reader.remaining() >= 2 && y < rows) {
        const unsigned count = reader.u8();
        const unsigned value = reader.u8();
        if (count > 0) {
            for (unsigned i = 0; i < count && x < width; ++i)
                put(fourBits ? ((i & 1) ? (value & 0x0F) : (value >> 4)) : value);
            continue;
        }
        if (value == 0) {
            x = 0;
            ++y;
        } else if (value == 1) {
            break;
        } else if (value == 2) {
            x += reader.u8();
            y += reader.u8();
        } else {
            const size_t bytes = fourBits ? (value + 1) / 2 : value;
            if (bytes > reader.remaining())
                break;
            const uint8_t* data = reader.current();
            for (unsigned i = 0; i < value; ++i)
                put(fourBits ? ((i & 1) ? (data[i / 2] & 0x0F) : (data[i / 2] >> 4)) : data[i]);
            reader.skip(bytes + (bytes & 1));
        }
    }
}

// The decoder proper; decodeDib catches what an allocation might throw.
std::unique_ptr<DibImage> decodeDibBytes(const uint8_t* data, size_t size);

}  // namespace

std::unique_ptr<DibImage> decodeDib(const uint8_t* data, size_t size)
{
    // The limits keep every allocation small; should one fail anyway, the
    // picture is refused like damage instead of ending the game.
    try {
        return decodeDibBytes(data, size);
    } catch (const std::bad_alloc&) {
    } catch (const std::length_error&) {
    }
    dibMessage("Image file conversion error.");
    return nullptr;
}

namespace {

// A file starting "BM" has the 14-byte file header and its pixel offset;
// otherwise it is a bare DIB whose pixels follow the header, the bit-field
// masks and the colour table. Uncompressed 1, 4, 8, 16 (5-5-5), 24 and 32
// bits per pixel, run-length encoded 8 and 4 bits, and 16 or 32 bits with
// bit-field masks convert to R, G, B rows, bottom row first; a top-down
// bitmap (negative height) is turned into the same order.
std::unique_ptr<DibImage> decodeDibBytes(const uint8_t* data, size_t size)
{
    ByteReader reader(data, size);
    const bool hasFileHeader = size >= 2 && data[0] == 'B' && data[1] == 'M';
    uint32_t pixelOffset = 0;
    if (hasFileHeader) {
        reader.seek(10);
        pixelOffset = reader.u32();
        reader.seek(fileHeaderSize);
    }
    DibHeader header;
    bool tableFits = false;
    if (!readDibHeader(reader, header, tableFits))
        return nullptr;
    if (!hasFileHeader)
        pixelOffset = static_cast<uint32_t>(reader.position());

    const int bits = header.bitCount;
    const bool depthKnown = bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
    const int64_t rows = header.height < 0 ? -static_cast<int64_t>(header.height) : header.height;
    // Run-length bitmaps are bottom-up only; bit fields need 16 or 32 bits
    // and masks whose bits are contiguous.
    bool kindKnown = false;
    switch (header.compression) {
    case compressionNone: kindKnown = depthKnown; break;
    case compressionRle8: kindKnown = bits == 8 && header.height > 0; break;
    case compressionRle4: kindKnown = bits == 4 && header.height > 0; break;
    case compressionBitFields: {
        BitField field;
        kindKnown = bits == 16 || bits == 32;
        for (uint32_t mask : header.masks)
            kindKnown = kindKnown && bitFieldOf(mask, field);
        break;
    }
    default: break;
    }
    if (!tableFits || !kindKnown || !imageFits(header.width, rows, 3) || pixelOffset > size) {
        dibMessage("Image file conversion error.");
        return nullptr;
    }
    const bool runLength = header.compression == compressionRle8 || header.compression == compressionRle4;
    // Source rows are filled to a multiple of 4 bytes; the last row may lack
    // its fill.
    const size_t stride = ((static_cast<size_t>(header.width) * bits + 31) / 32) * 4;
    const size_t lastRow = (static_cast<size_t>(header.width) * bits + 7) / 8;
    const size_t needed = stride * static_cast<size_t>(rows - 1) + lastRow;
    // A run-length stream describes at most 255 pixels per two bytes.
    const uint64_t pixelCount = static_cast<uint64_t>(header.width) * static_cast<uint64_t>(rows);
    if ((!runLength && size - pixelOffset < needed) ||
        (runLength && !pixelCountPlausible(pixelCount, size - pixelOffset))) {
        dibMessage("Image file conversion error.");
        return nullptr;
    }

    auto image = std::make_unique<DibImage>();
    image->width = header.width;
    image->height = static_cast<int>(rows);
    const size_t outRow = static_cast<size_t>(header.width) * 3;
    image->pixels.assign(outRow * static_cast<size_t>(rows), 0);
    if (runLength) {
        ByteReader stream(data + pixelOffset, size - pixelOffset);
        decodeDibRunLength(stream, header, *image);
        return image;
    }
    for (int64_t row = 0; row < rows; ++row) {
        const int64_t target = header.height < 0 ? rows - 1 - row : row;
        convertDibRow(data + pixelOffset + stride * static_cast<size_t>(row), header,
                      image->pixels.data() + outRow * static_cast<size_t>(target));
    }
    return image;
}

}  // namespace

// Reads the file and decodes it; a file that cannot be read is told.
std::unique_ptr<DibImage> loadDibFile(const char* fileName)
{
    std::vector<uint8_t> bytes;
    // An empty file cannot be mapped, so it fails like one that does not open.
    if (!readFileBytes(fileName, bytes) || bytes.empty()) {
        dibMessage(std::string("Failed to open DIB file ") + (fileName ? fileName : "") + ".\n");
        return nullptr;
    }
    return decodeDib(bytes.data(), bytes.size());
}

// Checks that the file opens, then converts it; always 3 channels.
std::unique_ptr<Image> loadBmpImage(const char* fileName)
{
    FILE* file = fileName ? std::fopen(fileName, "rb") : nullptr;
    if (!file) {
        showMessageBox("Can't load bmp Image File", "ERROR", MB_OK | MB_ICONEXCLAMATION,
                       BoxOwner::GameWindow);
        return nullptr;
    }
    std::fclose(file);
    std::unique_ptr<DibImage> dib = loadDibFile(fileName);
    if (!dib)
        return nullptr;
    auto image = std::make_unique<Image>();
    image->channels = 3;
    image->width = dib->width;
    image->height = dib->height;
    image->pixels = std::move(dib->pixels);
    return image;
}

