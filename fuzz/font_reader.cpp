// Feeds arbitrary bytes to the font reader as the content of a font file and
// measures a text made of the input's last bytes in every font it accepts.

#include <cstddef>
#include <cstdint>
#include <string>

#include "media/C_2DFont.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    C2DFont font;
    if (!font.LoadFromMemory(data, int64_t(size), "fuzz.fnt", 4, 2))
        return 0;
    const size_t textLength = size < 64 ? size : 64;
    const std::string text(reinterpret_cast<const char*>(data + size - textLength), textLength);
    volatile int sink = font.GetTextWidth(text.c_str()) + font.GetTextHeight(text.c_str());
    (void)sink;
    return 0;
}
