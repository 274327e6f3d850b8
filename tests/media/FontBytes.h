#pragma once
// Font files laid out byte by byte, independently of the reader under test:
// a 16-byte header, the 16-bit cell width and height at 16 and 18, 782 bytes
// the reader skips, then for each code 1 to 255 a 16-bit advance, 4 bytes
// and W x H coverage bytes row by row.

#include <cstdint>
#include <functional>
#include <vector>

struct FontLayout
{
    uint16_t width = 4;
    uint16_t height = 4;
    // Advance of each code (1 to 255).
    std::function<uint16_t(int code)> advance = [](int) { return uint16_t(4); };
    // Coverage of pixel (i, j) of the glyph of `code`.
    std::function<uint8_t(int code, int i, int j)> coverage = [](int, int, int) { return uint8_t(255); };
};

inline std::vector<uint8_t> BuildFont(const FontLayout& f)
{
    std::vector<uint8_t> out(802, 0xAB);
    out[16] = uint8_t(f.width);
    out[17] = uint8_t(f.width >> 8);
    out[18] = uint8_t(f.height);
    out[19] = uint8_t(f.height >> 8);
    for (int code = 1; code <= 255; ++code)
    {
        const uint16_t advance = f.advance(code);
        out.push_back(uint8_t(advance));
        out.push_back(uint8_t(advance >> 8));
        out.insert(out.end(), 4, 0xCD);
        for (int j = 0; j < f.height; ++j)
            for (int i = 0; i < f.width; ++i)
                out.push_back(f.coverage(code, i, j));
    }
    return out;
}
