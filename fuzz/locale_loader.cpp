// Feeds arbitrary bytes to the locale loader as one locale file and looks
// up a few keys in whatever it accepted.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <initializer_list>

#include "core/C_Localizer.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    CLocalizer table;
    const bool loaded = table.LoadLocaleText("fuzz.txt", reinterpret_cast<const char*>(data),
                                             static_cast<int>(size));
    if (loaded && std::strcmp(table.GetLastError(), "No error") != 0)
        std::abort();
    for (const char* key : {"A", "MENU_TITLE", "UN_ARCHER", ""})
    {
        const char* text = table.GetString(key, false);
        if (text != nullptr && std::strlen(text) > size)
            std::abort();
    }
    table.InitTypeNames();
    return 0;
}
