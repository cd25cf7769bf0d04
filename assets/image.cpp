#include "assets/image.h"

namespace {

// A run-length picture may leave pixels black by moving over them, so its
// stream bounds its size only loosely: at most this many pixels per byte
// left (a two-byte run paints 255), or a small picture whatever the stream.
constexpr uint64_t maxPixelsPerByte = 128;
constexpr uint64_t pixelsAlwaysAllowed = 1u << 20;

}  // namespace

ImageLimits imageLimits;

bool imageSideFits(int64_t side)
{
    return side > 0 && side <= imageLimits.largestSide && side <= maxImageSide;
}

bool imageFits(int64_t width, int64_t height, uint64_t bytesPerPixel)
{
    if (!imageSideFits(width) || !imageSideFits(height))
        return false;
    const uint64_t pixels = static_cast<uint64_t>(width) * static_cast<uint64_t>(height);
    return bytesPerPixel == 0 || pixels <= imageLimits.largestBytes / bytesPerPixel;
}

bool pixelCountPlausible(uint64_t pixels, size_t bytesLeft)
{
    return pixels <= pixelsAlwaysAllowed || pixels <= maxPixelsPerByte * static_cast<uint64_t>(bytesLeft);
}
