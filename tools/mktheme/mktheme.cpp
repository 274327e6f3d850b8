// mktheme THEME FILE: writes a small theme file of the project's own for
//   THEME (continental, winter, swamp or cave): four terrain textures of
//   256 x 256 with a little noise, each with one transition mask toward the
//   next, and two 64 x 64 water images.
// mktheme shores FOLDER: writes the four shore images "shore-1.tga" to
//   "shore-4.tga" into FOLDER.
// Files are written beside their target and renamed over it.

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "core/C_File.h"
#include "core/C_MemoryBlock.h"
#include "media/C_TGA.h"

namespace
{
constexpr int32_t TerrainSide = 256;
constexpr int32_t MaskSide = 64;
constexpr int32_t WaterSide = 64;
constexpr int32_t TexturesPerTheme = 4;

struct SThemeRecipe
{
    const char* theme;
    const char* names[TexturesPerTheme];
    uint32_t colours[TexturesPerTheme];
    uint32_t water;
};

const SThemeRecipe Recipes[] = {
    {"continental", {"Grass", "Dirt", "Rock", "Sand"}, {0x3C7A2A, 0x7A5A32, 0x808080, 0xC8B478}, 0x2A4A8A},
    {"winter", {"Snow", "Ice", "Rock", "Frozen dirt"}, {0xF0F0F8, 0xB8D0E8, 0x8A8A90, 0x6A5A4A}, 0x304C70},
    {"swamp", {"Mud", "Moss", "Reed", "Peat"}, {0x4A4030, 0x4A6A2A, 0x6A7A3A, 0x3A3020}, 0x3A4A30},
    {"cave", {"Stone", "Gravel", "Crystal", "Dust"}, {0x5A5A5A, 0x707068, 0x7890A8, 0x8A8070}, 0x203040},
};

// A small fixed noise, so that the same command always writes the same file.
uint32_t Noise(uint32_t& state)
{
    state = state * 1103515245u + 12345u;
    return (state >> 16) & 0x7FFF;
}

uint32_t Shade(uint32_t colour, int32_t delta)
{
    uint32_t out = 0xFF000000u;
    for (int shift = 0; shift <= 16; shift += 8)
    {
        int32_t channel = int32_t((colour >> shift) & 0xFF) + delta;
        channel = channel < 0 ? 0 : (channel > 255 ? 255 : channel);
        out |= uint32_t(channel) << shift;
    }
    return out;
}

class CByteWriter
{
public:
    void I32(int32_t value)
    {
        for (int i = 0; i < 4; ++i)
            bytes.push_back(uint8_t(uint32_t(value) >> (8 * i)));
    }
    void Pixel(uint32_t value) { I32(int32_t(value)); }
    void Zeros(size_t count) { bytes.insert(bytes.end(), count, 0); }
    void Name(const char* name)
    {
        const size_t length = std::strlen(name);
        bytes.push_back(uint8_t(length));
        bytes.insert(bytes.end(), name, name + length + 1);
    }

    std::vector<uint8_t> bytes;
};

void WriteNoisyImage(CByteWriter& out, int32_t side, uint32_t colour, uint32_t seed)
{
    uint32_t state = seed;
    for (int32_t i = 0; i < side * side; ++i)
        out.Pixel(Shade(colour, int32_t(Noise(state) % 25) - 12));
}

// Opaque on the left, fading to clear on the right.
void WriteMask(CByteWriter& out)
{
    for (int32_t y = 0; y < MaskSide; ++y)
        for (int32_t x = 0; x < MaskSide; ++x)
            out.Pixel(uint32_t(255 - x * 4) << 24 | 0xFFFFFFu);
}

std::vector<uint8_t> MakeTheme(const SThemeRecipe& recipe)
{
    CByteWriter out;
    out.I32(TexturesPerTheme);
    out.I32(0);
    out.I32(TerrainSide * TerrainSide * 4);
    for (int32_t t = 0; t < TexturesPerTheme; ++t)
    {
        out.Name(recipe.names[t]);
        WriteNoisyImage(out, TerrainSide, recipe.colours[t], uint32_t(t + 1));
        out.Zeros(64);
        out.I32(1);
        out.bytes.push_back(uint8_t((t + 1) % TexturesPerTheme));
        out.Zeros(3);
        WriteMask(out);
    }
    out.I32(WaterSide);
    WriteNoisyImage(out, WaterSide, recipe.water, 101);
    out.I32(WaterSide);
    WriteNoisyImage(out, WaterSide, Shade(recipe.water, 40), 102);
    return out.bytes;
}

// Foam at the top fading into clear water below.
bool WriteShores(const std::string& folder)
{
    for (int32_t n = 1; n <= 4; ++n)
    {
        CTGA image;
        image.Create(64, 64);
        for (int32_t y = 0; y < 64; ++y)
            for (int32_t x = 0; x < 64; ++x)
                image.PutPixel(x, y, uint32_t(255 - y * 4) << 24 | Shade(0xE0E8F0, -8 * n));
        const std::string target = folder + "/shore-" + std::to_string(n) + ".tga";
        const std::string temporary = target + ".tmp.tga";
        if (!image.Save(temporary.c_str()) || !MoveFileReplace(temporary.c_str(), target.c_str()))
            return false;
    }
    return true;
}
} // namespace

int main(int argc, char** argv)
{
    if (argc != 3)
    {
        std::fprintf(stderr, "usage: mktheme continental|winter|swamp|cave FILE\n       mktheme shores FOLDER\n");
        return 1;
    }
    const std::string what = argv[1];
    if (what == "shores")
    {
        if (!WriteShores(argv[2]))
        {
            std::fprintf(stderr, "mktheme: cannot write the shore images into %s\n", argv[2]);
            return 1;
        }
        return 0;
    }
    for (const SThemeRecipe& recipe : Recipes)
        if (what == recipe.theme)
        {
            const std::vector<uint8_t> theme = MakeTheme(recipe);
            CMemoryBlock stored;
            stored.Write(theme.data(), int(theme.size()));
            if (stored.HasError() || !stored.SaveToFile(argv[2]))
            {
                std::fprintf(stderr, "mktheme: cannot write %s\n", argv[2]);
                return 1;
            }
            return 0;
        }
    std::fprintf(stderr, "mktheme: unknown theme %s\n", argv[1]);
    return 1;
}
