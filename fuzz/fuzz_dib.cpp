// The bitmap decoder (with and without the file header) over arbitrary bytes.
#include "assets/image.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    installSilentMessageBoxes();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    decodeDib(data, size);
    return 0;
}
