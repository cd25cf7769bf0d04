// Ordinary image files decoded into 8-bit pixels in memory: bitmaps
// (bmp.cpp), TGA (tga.cpp) and JPEG (jpeg.cpp).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

// Decoded picture: rows one after another with no gap; within a pixel R, G, B
// (and A). Rows in the order the decoder gives them.
struct Image {
    int channels = 0;
    int width = 0;
    int height = 0;
    std::vector<uint8_t> pixels;
};

// Result of the bitmap conversion: 24-bit R, G, B rows, bottom row first.
struct DibImage {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> pixels;
};

// Largest picture any decoder accepts, in pixels per side, whatever the driver.
constexpr int maxImageSide = 16384;
// Most bytes a decoded picture may take: a 32-bit process keeps room for the
// rest of the game beside it.
constexpr uint64_t maxDecodedImageBytes = 256u << 20;

// What every decoder checks a header against before it allocates anything:
// a picture that could not become a texture is refused like damage. The
// capability probe lowers largestSide to the driver's largest texture.
struct ImageLimits {
    int largestSide = maxImageSide;
    uint64_t largestBytes = maxDecodedImageBytes;
};

extern ImageLimits imageLimits;

// A picture side between 1 and imageLimits.largestSide.
bool imageSideFits(int64_t side);
// Both sides fit and width x height pixels of bytesPerPixel bytes each stay
// within imageLimits.largestBytes.
bool imageFits(int64_t width, int64_t height, uint64_t bytesPerPixel);
// False for a run-length header that asks for far more pixels than the
// bytes left could give.
bool pixelCountPlausible(uint64_t pixels, size_t bytesLeft);

std::unique_ptr<Image> loadBmpImage(const char* fileName);
std::unique_ptr<DibImage> loadDibFile(const char* fileName);
std::unique_ptr<Image> loadTgaImage(const char* fileName);
std::unique_ptr<Image> loadJpegImage(const char* fileName);

// The same decoders over bytes in memory (inspector, fuzz targets).
std::unique_ptr<DibImage> decodeDib(const uint8_t* data, size_t size);
std::unique_ptr<Image> decodeTga(const uint8_t* data, size_t size);
std::unique_ptr<Image> decodeJpeg(const uint8_t* data, size_t size);
