#pragma once
// TGA files laid out byte by byte, independently of the reader under test.

#include <cstdint>
#include <string>
#include <vector>

struct TgaLayout
{
    uint8_t imageType = 2;
    uint8_t colourMapType = 0;
    uint16_t mapFirst = 0;
    uint16_t mapLength = 0;
    uint8_t mapEntryBits = 0;
    uint16_t width = 0;
    uint16_t height = 0;
    uint8_t depth = 32;
    uint8_t descriptor = 0x20;
    std::string id;                 // identification field
    std::vector<uint8_t> colourMap; // raw entries
    std::vector<uint8_t> pixels;    // raw pixel bytes in file order
};

inline void PushLE16(std::vector<uint8_t>& out, uint16_t value)
{
    out.push_back(static_cast<uint8_t>(value & 0xFF));
    out.push_back(static_cast<uint8_t>(value >> 8));
}

inline std::vector<uint8_t> BuildTga(const TgaLayout& t)
{
    std::vector<uint8_t> out;
    out.push_back(static_cast<uint8_t>(t.id.size()));
    out.push_back(t.colourMapType);
    out.push_back(t.imageType);
    PushLE16(out, t.mapFirst);
    PushLE16(out, t.mapLength);
    out.push_back(t.mapEntryBits);
    PushLE16(out, 0);
    PushLE16(out, 0);
    PushLE16(out, t.width);
    PushLE16(out, t.height);
    out.push_back(t.depth);
    out.push_back(t.descriptor);
    out.insert(out.end(), t.id.begin(), t.id.end());
    out.insert(out.end(), t.colourMap.begin(), t.colourMap.end());
    out.insert(out.end(), t.pixels.begin(), t.pixels.end());
    return out;
}
