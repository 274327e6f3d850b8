// Feeds arbitrary bytes to the TGA reader as the content of a file, once into
// an owned buffer and once into the shared load buffer, and reads every pixel
// it accepts.

#include <cstddef>
#include <cstdint>
#include <initializer_list>

#include "media/C_TGA.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    for (bool own : {true, false})
    {
        CTGA image;
        if (!image.LoadFromMemory(data, size, own, "fuzz.tga"))
            continue;
        uint32_t sum = 0;
        for (int32_t i = 0; i < image.width * image.height; ++i)
            sum += image.pixels[i];
        volatile uint32_t sink = sum;
        (void)sink;
    }
    return 0;
}
