// The JPEG decoder (libjpeg with the returning error manager) over arbitrary bytes.
#include <cstdlib>

#include "assets/image.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    installSilentMessageBoxes();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::unique_ptr<Image> image = decodeJpeg(data, size);
    if (image && image->pixels.size() != static_cast<size_t>(image->width) * image->height * image->channels)
        std::abort();
    return 0;
}
