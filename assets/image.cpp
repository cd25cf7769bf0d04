#include "assets/image.h"

namespace {

// A run-length picture may leave pixels black by moving over them, so its
// stream bounds its size only loosely: at most this many pixels per byte
// left (a two-byte run paints 255), or a small picture whatever the stream.
constexpr uint64_t maxPixelsPerByte = 128;
constexpr uint64_t pixelsAlwaysAllowed = 1u << 20;

}  // namespace

bool imageSideFits(int64_t side)
{
    return side > 0 && side <= maxImageSide;
}

bool pixelCountPlausible(uint64_t pixels, size_t bytesLeft)
{
    return pixels <= pixelsAlwaysAllowed || pixels <= maxPixelsPerByte * static_cast<uint64_t>(bytesLeft);
}
