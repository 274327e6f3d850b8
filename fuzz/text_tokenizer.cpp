// Locale, script and campaign texts come from the data files: the tokenizer
// must hand out tokens for any bytes without reading past the text, and
// every call must make progress until the text is used up.

#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "core/C_TextReader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > (1u << 20))
        return 0;
    CTextReader reader;
    reader.LoadText(reinterpret_cast<const char*>(data), static_cast<int>(size));
    if (reader.GetTextSize() > static_cast<int>(size))
        std::abort();
    CString token;
    int value = 0;
    // Each token takes at least one byte, so there are at most size + 1 calls.
    for (size_t call = 0; call <= size + 1; ++call)
    {
        const int line = reader.GetLine();
        switch (call % 3)
        {
        case 0:
            reader.NextToken(token);
            break;
        case 1:
            if (reader.FindKey(","))
                token = ",";
            else
                reader.NextToken(token);
            break;
        default:
            reader.ReadInt(value);
            reader.NextToken(token);
            break;
        }
        if (reader.GetLine() < line || reader.GetLine() > reader.GetTextSize() + 1)
            std::abort();
        if (token.IsEmpty())
            return 0;
    }
    std::abort();   // a call that consumed nothing
}
