#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "media/C_SaveStream.h"
#include "media/C_Texture.h"
#include "platform/SysDevice3DTexture.h"
#include "tests/media/MediaDevice.h"
#include "tests/support/ScratchFolder.h"
#include "tests/support/TestLog.h"

namespace
{
// Bytes in memory, read back bounded.
class MemoryStream : public CSaveStream
{
public:
    int Write(const void* data, int count) override
    {
        const uint8_t* bytes = static_cast<const uint8_t*>(data);
        m_Bytes.insert(m_Bytes.end(), bytes, bytes + count);
        return count;
    }
    int Read(void* data, int count) override
    {
        const int available = std::max(0, std::min(count, int(m_Bytes.size()) - m_Pos));
        std::memcpy(data, m_Bytes.data() + m_Pos, size_t(available));
        std::memset(static_cast<uint8_t*>(data) + available, 0, size_t(count - available));
        if (available < count)
            m_Error = true;
        m_Pos += count;
        return m_Pos;
    }
    bool HasError() const override { return m_Error; }
    void SetError() override { m_Error = true; }

    std::vector<uint8_t>& Bytes() { return m_Bytes; }

private:
    std::vector<uint8_t> m_Bytes;
    int m_Pos = 0;
    bool m_Error = false;
};

constexpr int FieldBytes = 8 + 4 * 4 + 1 + 4 + 1 + 4 + 1 + 4;
constexpr uint32_t Sentinel = 0x5AFE5AFE;

void PutSentinel(MemoryStream& stream)
{
    stream.Write(&Sentinel, 4);
}

uint32_t TakeSentinel(MemoryStream& stream)
{
    uint32_t value = 0;
    stream.Read(&value, 4);
    return value;
}

void PutU32(std::vector<uint8_t>& out, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(uint8_t(v >> (8 * i)));
}
} // namespace

using TextureSaveGame = MediaDevice;

TEST_F(TextureSaveGame, RecordLayoutIsFieldsThenLevelZero)
{
    CTexture texture;
    texture.format = CTexture::FormatA4R4G4B4;
    texture.alpha = 200;
    texture.colourKey = 0xFF0000;
    texture.singleLevel = 1;
    texture.playerColour = 0x102030;
    texture.grey = 1;
    texture.tint = 0xABCDEF;
    texture.reduce = 2;
    ASSERT_TRUE(texture.Create(2, 1));
    ASSERT_TRUE(texture.Lock());
    texture.PutPixel(0, 0, 0x1234);
    texture.PutPixel(1, 0, 0xBEEF);
    texture.Unlock();

    MemoryStream stream;
    texture.SaveGame(stream);
    std::vector<uint8_t> expected;
    PutU32(expected, 2);
    PutU32(expected, 1);
    PutU32(expected, 12);
    PutU32(expected, 200);
    PutU32(expected, 0xFF0000);
    PutU32(expected, 4);
    expected.push_back(1);
    PutU32(expected, 0x102030);
    expected.push_back(1);
    PutU32(expected, 0xABCDEF);
    expected.push_back(0);
    PutU32(expected, 2);
    expected.insert(expected.end(), {0x34, 0x12, 0xEF, 0xBE});
    EXPECT_EQ(stream.Bytes(), expected);
}

TEST_F(TextureSaveGame, SavedTextureLoadsAndSavesToTheSameBytes)
{
    const uint32_t formats[] = {CTexture::FormatR5G6B5, CTexture::FormatA1R5G5B5, CTexture::FormatA8R8G8B8,
                                CTexture::FormatX8R8G8B8};
    for (uint32_t format : formats)
    {
        CTexture original;
        original.format = format;
        original.colourKey = 0x00FF00;
        std::vector<uint32_t> pixels = {0x112233, 0x00FF00, 0x445566, 0x778899, 0xAABBCC, 0xDDEEFF};
        ASSERT_TRUE(original.Create(3, 2));
        original.SetImageFromMem(3, 2, pixels.data());

        MemoryStream first;
        original.SaveGame(first);
        PutSentinel(first);
        const size_t pixelBytes = (format == CTexture::FormatA8R8G8B8 || format == CTexture::FormatX8R8G8B8) ? 4 : 2;
        EXPECT_EQ(first.Bytes().size(), FieldBytes + 6 * pixelBytes + 4) << format;

        CTexture restored;
        ASSERT_TRUE(restored.LoadGame(first)) << format;
        EXPECT_EQ(TakeSentinel(first), Sentinel) << format;
        EXPECT_FALSE(first.HasError());

        MemoryStream second;
        restored.SaveGame(second);
        PutSentinel(second);
        EXPECT_EQ(second.Bytes(), first.Bytes()) << format;
    }
}

TEST_F(TextureSaveGame, SharedTextureWritesAndReadsNoPixels)
{
    CTestLog log;
    CTexture owner;
    ASSERT_TRUE(owner.Create(4, 4));
    CTexture clone;
    clone.texture = owner.texture;
    clone.shared = 1;
    clone.width = 4;
    clone.height = 4;

    MemoryStream stream;
    clone.SaveGame(stream);
    PutSentinel(stream);
    EXPECT_EQ(stream.Bytes().size(), size_t(FieldBytes + 4));
    EXPECT_TRUE(log.Contains("#DEBUG: Cannot save cloned texture"));

    CTexture restored;
    ASSERT_TRUE(restored.LoadGame(stream));
    EXPECT_EQ(TakeSentinel(stream), Sentinel);
    EXPECT_TRUE(restored.IsEmpty());
    EXPECT_EQ(restored.shared, 0);
    clone.Release();  // gives the owner's texture back untouched
    EXPECT_EQ(clone.texture, nullptr);
    EXPECT_NE(owner.texture, nullptr);

    // An empty texture saves as size 0 and takes the same bytes.
    CTexture empty;
    MemoryStream emptyStream;
    empty.SaveGame(emptyStream);
    EXPECT_EQ(emptyStream.Bytes().size(), size_t(FieldBytes));
}

TEST_F(TextureSaveGame, DamagedRecordSetsTheErrorAndKeepsTheTexture)
{
    CTexture source;
    ASSERT_TRUE(source.Create(2, 2));
    MemoryStream good;
    source.SaveGame(good);

    struct Case { const char* name; size_t offset; uint32_t value; };
    const Case cases[] = {{"format", 8, 17}, {"width", 0, 5000}, {"height", 4, 0xFFFFFFFF}, {"zero width", 0, 0}};
    for (const Case& c : cases)
    {
        MemoryStream bad;
        bad.Bytes() = good.Bytes();
        for (int i = 0; i < 4; ++i)
            bad.Bytes()[c.offset + i] = uint8_t(c.value >> (8 * i));
        CTexture target;
        target.format = CTexture::FormatA8R8G8B8;
        ASSERT_TRUE(target.Create(1, 1));
        EXPECT_FALSE(target.LoadGame(bad)) << c.name;
        EXPECT_TRUE(bad.HasError()) << c.name;
        EXPECT_FALSE(target.IsEmpty()) << c.name;
        EXPECT_EQ(target.format, CTexture::FormatA8R8G8B8) << c.name;
    }

    MemoryStream truncated;
    truncated.Bytes().assign(good.Bytes().begin(), good.Bytes().end() - 1);
    CTexture target;
    ASSERT_TRUE(target.Create(1, 1));
    EXPECT_FALSE(target.LoadGame(truncated));
    EXPECT_TRUE(truncated.HasError());
    EXPECT_FALSE(target.IsEmpty());
}
