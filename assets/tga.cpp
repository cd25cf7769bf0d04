// Truevision TGA pictures: uncompressed and run-length true colour.
#include "assets/image.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <stdexcept>

#include "core/bytereader.h"
#include "platform/platform.h"

namespace {

constexpr size_t tgaHeaderSize = 18;

// Reads one TGA pixel of the given depth and stores it as R, G, B (and A for
// 32 bits). Missing bytes read as zero.
void readTgaPixel(ByteReader& reader, int bits, uint8_t* pixel)
{
    if (bits == 16) {
        const unsigned p = reader.u16();
        pixel[0] = static_cast<uint8_t>(((p >> 10) & 31) * 8);
        pixel[1] = static_cast<uint8_t>(((p >> 5) & 31) * 8);
        pixel[2] = static_cast<uint8_t>((p & 31) * 8);
        return;
    }
    uint8_t bgra[4] = {};
    reader.read(bgra, static_cast<size_t>(bits / 8));
    pixel[0] = bgra[2];
    pixel[1] = bgra[1];
    pixel[2] = bgra[0];
    if (bits == 32)
        pixel[3] = bgra[3];
}

// Type 10 is run-length encoded; any other true-colour type is read as
// uncompressed rows, after the colour map when the file carries one. 24 and
// 32 bits give 3 and 4 channels, 16 bits (5-5-5, top bit ignored) gives 3;
// other depths, grey and colour-mapped pictures give no picture and no
// message. Rows stay in file order. Packets never write past the picture,
// and pixels the data does not reach stay zero.
std::unique_ptr<Image> decodeTgaBytes(const uint8_t* data, size_t size)
{
    if (!data || size < tgaHeaderSize)
        return nullptr;
    ByteReader reader(data, size);
    const uint8_t idLength = reader.u8();
    const uint8_t mapType = reader.u8();
    const uint8_t imageType = reader.u8();
    reader.u16();  // first colour-map entry
    const size_t mapLength = reader.u16();
    const size_t mapEntryBits = reader.u8();
    reader.skip(4);
    const int width = reader.u16();
    const int height = reader.u16();
    const int bits = reader.u8();
    reader.u8();
    // A true-colour file may still carry a colour map; its entries stand
    // between the identification field and the pixels.
    const size_t mapBytes = mapType == 1 ? mapLength * ((mapEntryBits + 7) / 8) : 0;
    if (!reader.skip(idLength) || !reader.skip(mapBytes))
        return nullptr;
    // Colour-mapped (1, 9) and grey (3, 11) pictures are not read at any depth.
    if (imageType == 1 || imageType == 9 || imageType == 3 || imageType == 11)
        return nullptr;
    if (bits != 16 && bits != 24 && bits != 32)
        return nullptr;
    if (!imageFits(width, height, bits == 32 ? 4 : 3))
        return nullptr;
    // The data must be able to describe every pixel: raw, one pixel per
    // pixel size; run-length, 128 pixels per run packet (a count byte and one
    // pixel). A packet cut short still counts, its missing bytes being zero.
    const uint64_t pixelCount = static_cast<uint64_t>(width) * height;
    const uint64_t pixelBytes = static_cast<uint64_t>(bits / 8);
    const uint64_t left = reader.remaining();
    const uint64_t describable =
        imageType == 10 ? (left + pixelBytes) / (pixelBytes + 1) * 128 : (left + pixelBytes - 1) / pixelBytes;
    if (pixelCount > describable)
        return nullptr;

    auto image = std::make_unique<Image>();
    image->channels = bits == 32 ? 4 : 3;
    image->width = width;
    image->height = height;
    const size_t channels = static_cast<size_t>(image->channels);
    image->pixels.assign(pixelCount * channels, 0);
    uint8_t* out = image->pixels.data();

    if (imageType == 10) {
        uint64_t stored = 0;
        while (stored < pixelCount && reader.remaining() > 0) {
            const uint8_t packet = reader.u8();
            if (packet < 128) {
                for (int i = 0; i <= packet && stored < pixelCount && reader.remaining() > 0; ++i)
                    readTgaPixel(reader, bits, out + channels * stored++);
            } else {
                uint8_t pixel[4] = {};
                readTgaPixel(reader, bits, pixel);
                for (int i = 0; i < packet - 127 && stored < pixelCount; ++i)
                    std::memcpy(out + channels * stored++, pixel, channels);
            }
        }
    } else if (bits == 16) {
        for (uint64_t i = 0; i < pixelCount && reader.remaining() > 0; ++i)
            readTgaPixel(reader, bits, out + channels * i);
    } else {
        const size_t bytes = std::min<size_t>(reader.remaining(), image->pixels.size());
        reader.read(out, bytes);
        for (size_t i = 0; i < pixelCount; ++i)
            std::swap(out[channels * i], out[channels * i + 2]);
    }
    return image;
}

}  // namespace

// The limits keep every allocation small; should one fail anyway, the
// picture is refused as damage is, without a word.
std::unique_ptr<Image> decodeTga(const uint8_t* data, size_t size)
{
    try {
        return decodeTgaBytes(data, size);
    } catch (const std::bad_alloc&) {
    } catch (const std::length_error&) {
    }
    return nullptr;
}

// Reads the file and decodes it; only a file that does not open is told.
std::unique_ptr<Image> loadTgaImage(const char* fileName)
{
    std::vector<uint8_t> bytes;
    if (!readFileBytes(fileName, bytes)) {
        showMessageBox("Can't load tga Image File", "ERROR", MB_OK | MB_ICONEXCLAMATION,
                       BoxOwner::GameWindow);
        return nullptr;
    }
    return decodeTga(bytes.data(), bytes.size());
}

