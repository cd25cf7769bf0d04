// The RGBE reader over arbitrary bytes, through an in-memory stream.
#include <cstdio>
#include <cstdlib>

#include "assets/rgbe.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    installSilentMessageBoxes();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    FILE* stream = fmemopen(const_cast<uint8_t*>(data), size, "rb");
    if (!stream)
        return 0;
    RgbeImage image;
    decodeRgbe(stream, image);
    std::fclose(stream);
    if (image.pixels.size() != static_cast<size_t>(image.width) * image.height * 3)
        std::abort();
    return 0;
}
