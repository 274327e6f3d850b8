#include "media/C_TGA.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "core/C_File.h"
#include "core/C_LogFile.h"
#include "core/C_String.h"
#include "platform/SysFile.h"

namespace
{
enum ImageType : uint8_t
{
    ColourMapped = 1,
    TrueColour = 2,
};

constexpr uint8_t TopLeftOrigin = 0x20;
constexpr int PaletteEntries = 256;
constexpr int PaletteEntryBytes = 3;
constexpr int MaxIdLength = 255;
constexpr int MaxUnusedMapBytes = 65535 * 4;
constexpr size_t MaxFileBytes = CTGA::HeaderSize + MaxIdLength + MaxUnusedMapBytes
                                + size_t(CTGA::MaxSide) * CTGA::MaxSide * 4;

// Header fields in file order (offsets 0 to 17).
struct TgaHeader
{
    uint8_t idLength;
    uint8_t colourMapType;
    uint8_t imageType;
    uint16_t mapFirst;
    uint16_t mapLength;
    uint8_t mapEntryBits;
    uint16_t width;
    uint16_t height;
    uint8_t depth;
    uint8_t descriptor;
};

// Little-endian reader that never reads past its bytes: a short read fails
// and leaves the reader failed.
class ByteReader
{
public:
    ByteReader(const uint8_t* data, size_t size) : m_Data(data), m_Size(size), m_Pos(0) {}

    bool Has(size_t count) const { return count <= m_Size - m_Pos; }
    const uint8_t* Take(size_t count)
    {
        if (!Has(count))
            return nullptr;
        const uint8_t* at = m_Data + m_Pos;
        m_Pos += count;
        return at;
    }
    uint8_t U8(const uint8_t* at, int offset) const { return at[offset]; }
    uint16_t U16(const uint8_t* at, int offset) const
    {
        return static_cast<uint16_t>(at[offset] | (at[offset + 1] << 8));
    }

private:
    const uint8_t* m_Data;
    size_t m_Size;
    size_t m_Pos;
};

TgaHeader ParseHeader(const ByteReader& reader, const uint8_t* bytes)
{
    TgaHeader h;
    h.idLength = reader.U8(bytes, 0);
    h.colourMapType = reader.U8(bytes, 1);
    h.imageType = reader.U8(bytes, 2);
    h.mapFirst = reader.U16(bytes, 3);
    h.mapLength = reader.U16(bytes, 5);
    h.mapEntryBits = reader.U8(bytes, 7);
    h.width = reader.U16(bytes, 12);
    h.height = reader.U16(bytes, 14);
    h.depth = reader.U8(bytes, 16);
    h.descriptor = reader.U8(bytes, 17);
    return h;
}

bool IsSupportedFormat(const TgaHeader& h)
{
    if (h.imageType == ColourMapped)
        return h.depth == 8;
    if (h.imageType == TrueColour)
        return h.depth == 24 || h.depth == 32;
    return false;
}

// Reason the colour map is unusable, or null when it is fine.
const char* CheckColourMap(const TgaHeader& h)
{
    if (h.colourMapType > 1)
        return "unknown colour map type";
    if (h.imageType == ColourMapped)
    {
        if (h.colourMapType != 1 || h.mapLength == 0)
            return "colour map missing";
        if (h.mapEntryBits != PaletteEntryBytes * 8)
            return "colour map entry size not 24 bits";
        if (h.mapFirst + h.mapLength > PaletteEntries)
            return "colour map larger than 256 entries";
        return nullptr;
    }
    if (h.colourMapType == 1 && h.mapEntryBits != 15 && h.mapEntryBits != 16 && h.mapEntryBits != 24
        && h.mapEntryBits != 32)
        return "bad colour map entry size";
    return nullptr;
}

size_t ColourMapBytes(const TgaHeader& h)
{
    if (h.colourMapType != 1)
        return 0;
    return size_t(h.mapLength) * ((h.mapEntryBits + 7) / 8);
}

std::vector<uint32_t>& SharedLoadBuffer()
{
    static std::vector<uint32_t> buffer;
    return buffer;
}

void LogDamaged(const char* name, const char* reason)
{
    g_Log.Write(CString("Damaged TGA file: ") + name + " (" + reason + ")");
}

// Rows are taken in file order, the first one read being the top row,
// whatever origin the descriptor names: the game's pictures are made so.
void DecodePixels(const TgaHeader& h, const uint8_t* data, const uint32_t* palette, CBitmap32& image)
{
    const int bytesPerPixel = h.depth / 8;
    for (int row = 0; row < h.height; ++row)
    {
        const uint8_t* from = data + size_t(row) * h.width * bytesPerPixel;
        uint32_t* to = image.pixels + size_t(row) * h.width;
        for (int x = 0; x < h.width; ++x, from += bytesPerPixel)
        {
            if (bytesPerPixel == 1)
                to[x] = palette[from[0]];
            else if (bytesPerPixel == 3)
                to[x] = uint32_t(from[2]) << 16 | uint32_t(from[1]) << 8 | from[0];
            else
                to[x] = uint32_t(from[3]) << 24 | uint32_t(from[2]) << 16 | uint32_t(from[1]) << 8 | from[0];
        }
    }
}

void PutLE16(uint8_t* at, int value)
{
    at[0] = static_cast<uint8_t>(value & 0xFF);
    at[1] = static_cast<uint8_t>((value >> 8) & 0xFF);
}
} // namespace

bool CTGA::Load(const char* fileName, bool own)
{
    Free();
    CFile file;
    if (!file.OpenRead(fileName))
    {
        // Nothing read leaves a header of depth 0, which no format has.
        g_Log.Write(CString("File not found:") + fileName);
        DEBUG_REPORT("#DEBUG: Unsupported TGA format");
        return false;
    }
    const int fileSize = file.GetSize();
    std::vector<uint8_t> bytes(fileSize > 0 ? std::min<size_t>(size_t(fileSize), MaxFileBytes) : 0);
    const int read = bytes.empty() ? 0 : file.Read(bytes.data(), static_cast<int>(bytes.size()));
    file.Close();
    if (read < 0)
    {
        LogDamaged(fileName, "read error");
        return false;
    }
    return LoadFromMemory(bytes.data(), size_t(read), own, fileName);
}

bool CTGA::LoadFromMemory(const uint8_t* data, size_t size, bool own, const char* name)
{
    Free();
    ByteReader reader(data, data == nullptr ? 0 : size);
    const uint8_t* headerBytes = reader.Take(HeaderSize);
    if (headerBytes == nullptr)
    {
        LogDamaged(name, "truncated header");
        return false;
    }
    const TgaHeader h = ParseHeader(reader, headerBytes);
    if (!IsSupportedFormat(h))
    {
        g_Log.Write(CString("Unsupported TGA file: ") + name);
        DEBUG_REPORT("#DEBUG: Unsupported TGA format");
        return false;
    }
    if (const char* reason = CheckColourMap(h))
    {
        LogDamaged(name, reason);
        return false;
    }
    if (h.width == 0 || h.height == 0 || h.width > MaxSide || h.height > MaxSide)
    {
        LogDamaged(name, "image size out of range");
        return false;
    }
    if (reader.Take(h.idLength) == nullptr)
    {
        LogDamaged(name, "truncated identification field");
        return false;
    }

    uint32_t palette[PaletteEntries] = {};
    const uint8_t* map = reader.Take(ColourMapBytes(h));
    if (map == nullptr)
    {
        LogDamaged(name, "truncated colour map");
        return false;
    }
    if (h.imageType == ColourMapped)
    {
        for (int i = 0; i < h.mapLength; ++i, map += PaletteEntryBytes)
            palette[h.mapFirst + i] = uint32_t(map[2]) << 16 | uint32_t(map[1]) << 8 | map[0];
    }

    const uint8_t* pixelData = reader.Take(size_t(h.width) * h.height * (h.depth / 8));
    if (pixelData == nullptr)
    {
        LogDamaged(name, "truncated pixel data");
        return false;
    }

    if (own)
    {
        Create(h.width, h.height);
    }
    else
    {
        std::vector<uint32_t>& shared = SharedLoadBuffer();
        const size_t count = size_t(h.width) * h.height;
        if (shared.size() < count)
            shared.resize(count);
        Attach(h.width, h.height, shared.data());
    }
    if (IsEmpty())
    {
        LogDamaged(name, "out of memory");
        return false;
    }
    DecodePixels(h, pixelData, palette, *this);
    return true;
}

bool CTGA::Save(const char* fileName) const
{
    if (IsEmpty())
    {
        g_Log.Write(CString("Cannot write an empty image: ") + fileName);
        return false;
    }
    const size_t pixelCount = size_t(width) * height;
    std::vector<uint8_t> bytes(HeaderSize + pixelCount * 4, 0);
    uint8_t* header = bytes.data();
    header[2] = TrueColour;
    PutLE16(header + 5, PaletteEntries);
    header[7] = 32;
    PutLE16(header + 12, width);
    PutLE16(header + 14, height);
    header[16] = 32;
    header[17] = TopLeftOrigin;
    uint8_t* out = header + HeaderSize;
    for (size_t i = 0; i < pixelCount; ++i, out += 4)
    {
        const uint32_t p = pixels[i];
        out[0] = static_cast<uint8_t>(p);
        out[1] = static_cast<uint8_t>(p >> 8);
        out[2] = static_cast<uint8_t>(p >> 16);
        out[3] = static_cast<uint8_t>(p >> 24);
    }

    const CString temporary = CString(fileName) + ".tmp";
    CFile file;
    bool written = file.OpenWrite(temporary);
    if (written)
    {
        written = file.Write(bytes.data(), static_cast<int>(bytes.size())) == static_cast<int>(bytes.size())
                  && file.Flush();
        file.Close();
    }
    if (written)
        written = MoveFileReplace(temporary, fileName);
    if (!written)
    {
        SysFile::Remove(temporary);
        g_Log.Write(CString("Cannot write file: ") + fileName);
    }
    return written;
}
