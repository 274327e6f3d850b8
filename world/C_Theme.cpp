#include "world/C_Theme.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "core/C_Config.h"
#include "core/C_File.h"
#include "core/C_LogFile.h"

namespace
{
constexpr int32_t TerrainImageSide = 256;
constexpr int64_t MaxTerrainImageBytes = int64_t(TerrainImageSide) * TerrainImageSide * 4;
constexpr int32_t MaskSide = 64;
constexpr int64_t MaskBytes = int64_t(MaskSide) * MaskSide * 4;
// Corner textures are bytes, and 255 ends a block's list of mix passes.
constexpr int32_t MaxTextureCount = 255;
constexpr int32_t MaxWaterSide = 1024;
// Far beyond any real theme; refuses absurd files before reading them.
constexpr int64_t MaxThemeFileBytes = int64_t(512) * 1024 * 1024;
// "TERRAINTEXTUREDETAIL=" 0, 1, 2 give sides of 64, 128, 256.
constexpr int32_t HighestTerrainDetail = 2;

const char* const ThemeFiles[ThemeCount] = {
    "Terrain\\Themes\\continental.theme",
    "Terrain\\Themes\\winter.theme",
    "Terrain\\Themes\\swamp.theme",
    "Terrain\\Themes\\cave.theme",
};

// Bounded little-endian reading over the bytes of a file.
class CByteCursor
{
public:
    CByteCursor(const uint8_t* bytes, int64_t size) : m_Bytes(bytes), m_Size(size), m_Pos(0) {}

    int64_t Remaining() const { return m_Size - m_Pos; }

    // The next n bytes, or null (and nothing consumed) when fewer are left.
    const uint8_t* Take(int64_t n)
    {
        if (n < 0 || n > Remaining())
            return nullptr;
        const uint8_t* at = m_Bytes + m_Pos;
        m_Pos += n;
        return at;
    }

    bool ReadI32(int32_t& value)
    {
        const uint8_t* p = Take(4);
        if (p == nullptr)
            return false;
        value = int32_t(uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24);
        return true;
    }

private:
    const uint8_t* m_Bytes;
    int64_t m_Size;
    int64_t m_Pos;
};

struct SRecordLayout
{
    CString name;
    const uint8_t* image = nullptr;
    const uint8_t* data = nullptr;
    std::vector<const uint8_t*> transitions;   // 4 info bytes, then the mask
};

struct SThemeLayout
{
    int32_t groundTexture = 0;
    int32_t imageSize = 0;
    std::vector<SRecordLayout> records;
    int32_t waterSide[WaterTextureCount] = {0, 0};
    const uint8_t* water[WaterTextureCount] = {nullptr, nullptr};
};

bool ParseName(CByteCursor& in, CString& name)
{
    const uint8_t* length = in.Take(1);
    if (length == nullptr)
        return false;
    const uint8_t* text = in.Take(int64_t(*length) + 1);
    if (text == nullptr || text[*length] != 0 || std::memchr(text, 0, *length) != nullptr)
        return false;
    name = CString(reinterpret_cast<const char*>(text)).ToUpper();
    return true;
}

const char* ParseRecord(CByteCursor& in, int32_t imageSize, SRecordLayout& record)
{
    if (!ParseName(in, record.name))
        return "bad texture name";
    record.image = in.Take(imageSize);
    record.data = in.Take(ThemeTextureDataSize);
    int32_t transitions = 0;
    if (record.image == nullptr || record.data == nullptr || !in.ReadI32(transitions))
        return "file too short";
    if (transitions < 0 || int64_t(transitions) * (ThemeTransitionInfoSize + MaskBytes) > in.Remaining())
        return "bad transition count";
    for (int32_t t = 0; t < transitions; ++t)
        record.transitions.push_back(in.Take(ThemeTransitionInfoSize + MaskBytes));
    return nullptr;
}

const char* ParseWater(CByteCursor& in, int32_t& side, const uint8_t*& pixels)
{
    if (!in.ReadI32(side))
        return "file too short";
    if (side < 1 || side > MaxWaterSide)
        return "bad water image size";
    pixels = in.Take(int64_t(side) * side * 4);
    return pixels == nullptr ? "file too short" : nullptr;
}

// Checks the whole file and notes where each part lies; nothing is made yet.
const char* ParseTheme(const uint8_t* bytes, int64_t size, SThemeLayout& layout)
{
    CByteCursor in(bytes, size);
    int32_t count = 0;
    if (!in.ReadI32(count) || !in.ReadI32(layout.groundTexture) || !in.ReadI32(layout.imageSize))
        return "file too short";
    if (count < 1 || count > MaxTextureCount)
        return "bad texture count";
    if (layout.imageSize < 1 || layout.imageSize > MaxTerrainImageBytes)
        return "bad image size";
    layout.records.resize(size_t(count));
    for (SRecordLayout& record : layout.records)
        if (const char* reason = ParseRecord(in, layout.imageSize, record))
            return reason;
    for (int32_t w = 0; w < WaterTextureCount; ++w)
        if (const char* reason = ParseWater(in, layout.waterSide[w], layout.water[w]))
            return reason;
    return nullptr;
}

// Pixels are stored as little-endian 32-bit values.
void DecodePixels(const uint8_t* bytes, int64_t byteCount, uint32_t* pixels)
{
    for (int64_t i = 0; i < byteCount; ++i)
        pixels[i / 4] |= uint32_t(bytes[i]) << (8 * (i % 4));
}

std::unique_ptr<CTexture> MakeTexture(int32_t side, const uint8_t* bytes, int64_t byteCount, uint32_t format,
                                      uint32_t alpha, int32_t halvings)
{
    std::vector<uint32_t> pixels(size_t(side) * size_t(side), 0);
    DecodePixels(bytes, byteCount, pixels.data());
    auto texture = std::make_unique<CTexture>();
    texture->format = format;
    texture->alpha = alpha;
    texture->reduce = halvings;
    texture->LoadFromMem(side, side, pixels.data());
    return texture;
}

int32_t TerrainHalvings()
{
    const int32_t detail = std::clamp(g_Config.terrainTextureDetail, 0, HighestTerrainDetail);
    return HighestTerrainDetail - detail;
}

// The average red, green and blue of the first water image, halved, make
// four opaque shades of a quarter to the whole of it.
void MakeWaterColours(const uint8_t* bytes, int32_t side, uint32_t colours[WaterColourCount])
{
    uint64_t sum[3] = {0, 0, 0};
    const int64_t count = int64_t(side) * side;
    for (int64_t i = 0; i < count; ++i)
    {
        sum[0] += bytes[i * 4 + 2];
        sum[1] += bytes[i * 4 + 1];
        sum[2] += bytes[i * 4];
    }
    uint32_t half[3];
    for (int c = 0; c < 3; ++c)
        half[c] = uint32_t(sum[c] / uint64_t(count)) / 2;
    for (int32_t k = 1; k <= WaterColourCount; ++k)
        colours[k - 1] = 0xFF000000u | (half[0] * k / 4) << 16 | (half[1] * k / 4) << 8 | (half[2] * k / 4);
}
} // namespace

CTheme::CTheme()
    : defaultGroundTexture(0)
{
    std::memset(waterColours, 0, sizeof(waterColours));
}

CTheme::~CTheme() = default;

const char* CTheme::GetFileName(int32_t theme)
{
    if (theme < 0 || theme >= ThemeCount)
        return nullptr;
    return ThemeFiles[theme];
}

void CTheme::Free()
{
    textures.clear();
    defaultGroundTexture = 0;
    std::memset(waterColours, 0, sizeof(waterColours));
    for (auto& water : waterTextures)
        water.reset();
    for (auto& shore : shoreTextures)
        shore.reset();
}

void CTheme::Swap(CTheme& other)
{
    std::swap(defaultGroundTexture, other.defaultGroundTexture);
    textures.swap(other.textures);
    for (int32_t i = 0; i < WaterColourCount; ++i)
        std::swap(waterColours[i], other.waterColours[i]);
    for (int32_t i = 0; i < WaterTextureCount; ++i)
        waterTextures[i].swap(other.waterTextures[i]);
    for (int32_t i = 0; i < ShoreTextureCount; ++i)
        shoreTextures[i].swap(other.shoreTextures[i]);
}

int32_t CTheme::FindTexture(const char* name) const
{
    const CString wanted = CString(name).ToUpper();
    for (size_t i = 0; i < textures.size(); ++i)
        if (textures[i].name == wanted)
            return int32_t(i);
    return -1;
}

bool CTheme::Load(const char* path)
{
    g_Log.Write(CString("Loading theme file:") + path);
    const char* reason = nullptr;
    std::vector<uint8_t> bytes;
    CFile file;
    if (!file.OpenRead(path))
        reason = "file not found";
    else
    {
        const int size = file.GetSize();
        if (size < 0 || size > MaxThemeFileBytes)
            reason = "bad file size";
        else
        {
            bytes.resize(size_t(size));
            if (size > 0 && file.Read(bytes.data(), size) != size)
                reason = "read error";
        }
        file.Close();
    }
    if (reason != nullptr)
    {
        g_Log.Write(CString("Theme file rejected: ") + path + " (" + reason + ")");
        return false;
    }
    if (!LoadFromMemory(bytes.data(), int64_t(bytes.size()), path))
        return false;
    LoadShoreTextures();
    return true;
}

bool CTheme::LoadFromMemory(const uint8_t* bytes, int64_t size, const char* name)
{
    SThemeLayout layout;
    if (const char* reason = ParseTheme(bytes, size, layout))
    {
        g_Log.Write(CString("Theme file rejected: ") + name + " (" + reason + ")");
        return false;
    }

    CTheme loaded;
    const int32_t count = int32_t(layout.records.size());
    loaded.defaultGroundTexture = layout.groundTexture;
    if (layout.groundTexture < 0 || layout.groundTexture >= count)
    {
        loaded.defaultGroundTexture = std::clamp(layout.groundTexture, 0, count - 1);
        g_Log.Write(CString("Theme default ground texture out of range: ") + name);
    }
    const int32_t halvings = TerrainHalvings();
    loaded.textures.resize(size_t(count));
    for (int32_t i = 0; i < count; ++i)
    {
        const SRecordLayout& from = layout.records[size_t(i)];
        SThemeTexture& to = loaded.textures[size_t(i)];
        to.name = from.name;
        to.texture = MakeTexture(TerrainImageSide, from.image, layout.imageSize, CTexture::FormatR5G6B5, 255,
                                 halvings);
        std::memcpy(to.data, from.data, ThemeTextureDataSize);
        to.transitions.resize(from.transitions.size());
        for (size_t t = 0; t < from.transitions.size(); ++t)
        {
            std::memcpy(to.transitions[t].info, from.transitions[t], ThemeTransitionInfoSize);
            to.transitions[t].mask = MakeTexture(MaskSide, from.transitions[t] + ThemeTransitionInfoSize, MaskBytes,
                                                 CTexture::FormatA4R4G4B4, CTexture::PixelAlpha, 0);
        }
    }
    for (int32_t w = 0; w < WaterTextureCount; ++w)
        loaded.waterTextures[w] = MakeTexture(layout.waterSide[w], layout.water[w],
                                              int64_t(layout.waterSide[w]) * layout.waterSide[w] * 4,
                                              CTexture::FormatA4R4G4B4, CTexture::PixelAlpha, 0);
    MakeWaterColours(layout.water[0], layout.waterSide[0], loaded.waterColours);

    Swap(loaded);
    return true;
}

void CTheme::LoadShoreTextures()
{
    for (int32_t i = 0; i < ShoreTextureCount; ++i)
    {
        CString number;
        number.FromInt(i + 1);
        shoreTextures[i] = std::make_unique<CTexture>();
        shoreTextures[i]->LoadFromFile(CString("InGame\\Fluid\\shore-") + number + ".tga");
    }
}
