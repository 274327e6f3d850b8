// Typed text arrives as UTF-8 from the system and leaves as code-page bytes;
// game texts go the other way into message boxes.  Neither direction may read
// past the text or grow without bound.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/SysCodePage.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);  // adds the terminator
    for (const int codePage : {SysCodePage::kWesternEuropean, SysCodePage::kCentralEuropean, SysCodePage::kCyrillic})
    {
        std::string bytes;
        SysCodePage::AppendFromUtf8(text.c_str(), codePage, bytes);
        // Every character takes at least one byte of UTF-8.
        if (bytes.size() > size)
            std::abort();
        const std::string utf8 = SysCodePage::ToUtf8(text.c_str(), codePage);
        // A code-page byte becomes at most three bytes of UTF-8.
        if (utf8.size() > 3 * size)
            std::abort();
    }
    return 0;
}
