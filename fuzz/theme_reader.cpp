// Theme files from the packed data: any bytes are either refused with a log
// line or give a theme whose every part lies inside the input.

#include <cstddef>
#include <cstdint>

#include "world/C_Theme.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    CTheme theme;
    if (theme.LoadFromMemory(data, int64_t(size), "fuzz.theme"))
    {
        if (theme.GetTextureCount() < 1 || theme.GetTextureCount() > 255 || theme.defaultGroundTexture < 0 ||
            theme.defaultGroundTexture >= theme.GetTextureCount())
            __builtin_trap();
        theme.FindTexture("GRASS");
    }
    return 0;
}
