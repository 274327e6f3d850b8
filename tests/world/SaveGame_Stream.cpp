// The stream between BeginSave/BeginLoad and Close: typed fields and their
// bytes, reads bounded by the payload, and misuse reported.

#include <string>
#include <vector>

#include "SaveGame_Fixture.h"
#include "core/C_String.h"
#include "world/C_SaveGame.h"

using namespace SaveFileBytes;

class SaveGameStreamTest : public SaveGameTest
{
protected:
    // The payload bytes of a file the stream wrote.
    std::vector<uint8_t> PayloadOf(const std::string& path) const
    {
        const std::vector<uint8_t> bytes = Bytes(path);
        const size_t header = 26 + std::string(Language).size();
        return std::vector<uint8_t>(bytes.begin() + long(header), bytes.end());
    }
    // A save file holding exactly these payload bytes, written by the stream.
    std::string SaveBytes(const std::vector<uint8_t>& payload)
    {
        const std::string path = Path("payload.save");
        CSaveGame save;
        EXPECT_TRUE(save.BeginSave(path.c_str()));
        save.Write(payload.data(), int(payload.size()));
        save.Close();
        EXPECT_FALSE(save.HasError());
        return path;
    }
};

TEST_F(SaveGameStreamTest, TypedFieldsAreLittleEndianAndReadBack)
{
    const std::string longest(255, 'z');
    const std::string path = Path("typed.save");
    CSaveGame save;
    ASSERT_TRUE(save.BeginSave(path.c_str()));
    save.WriteU8(0xAB);
    save.WriteU16(0xFFFF);
    save.WriteI16(-32768);
    save.WriteU32(0xDEADBEEF);
    save.WriteI32(-2);
    save.WriteF32(-0.25f);
    EXPECT_TRUE(save.WriteShortString("Hi"));
    EXPECT_TRUE(save.WriteShortString(""));
    EXPECT_TRUE(save.WriteShortString(longest.c_str()));
    EXPECT_EQ(save.GetPosition(), 1 + 2 + 2 + 4 + 4 + 4 + 4 + 2 + 257);
    save.Close();
    ASSERT_FALSE(save.HasError());

    std::vector<uint8_t> expected = {0xAB, 0xFF, 0xFF, 0x00, 0x80, 0xEF, 0xBE, 0xAD, 0xDE,
                                     0xFE, 0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x80, 0xBE,
                                     2,    'H',  'i',  0,    0,    0,    255};
    expected.insert(expected.end(), longest.begin(), longest.end());
    expected.push_back(0);
    EXPECT_EQ(PayloadOf(path), expected);

    CSaveGame load;
    load.BeginLoad(path.c_str());
    ASSERT_FALSE(load.HasError());
    EXPECT_EQ(load.ReadU8(), 0xAB);
    EXPECT_EQ(load.ReadU16(), 65535);
    EXPECT_EQ(load.ReadI16(), -32768);
    EXPECT_EQ(load.ReadU32(), 0xDEADBEEFu);
    EXPECT_EQ(load.ReadI32(), -2);
    EXPECT_EQ(load.ReadF32(), -0.25f);
    CString text;
    for (const std::string& wanted : {std::string("Hi"), std::string(), longest})
    {
        EXPECT_TRUE(load.ReadShortString(text));
        EXPECT_EQ(std::string(text.GetBuffer()), wanted);
    }
    EXPECT_EQ(load.GetPosition(), load.GetPayloadSize());
    load.Close();
    EXPECT_FALSE(load.HasError());
    EXPECT_FALSE(Log().Contains("#DEBUG: LoadGame not readed til the end of the file"));
}

TEST_F(SaveGameStreamTest, TextLongerThanItsLengthByteIsRefusedWhenWriting)
{
    const std::vector<uint8_t> old = {'o', 'l', 'd'};
    const std::string path = WriteFile("text.save", old);
    CSaveGame save;
    ASSERT_TRUE(save.BeginSave(path.c_str()));
    save.WriteI32(1);
    EXPECT_FALSE(save.WriteShortString(std::string(256, 'n').c_str()));
    EXPECT_EQ(save.GetPosition(), 4);
    EXPECT_TRUE(save.HasError());
    save.Close();
    EXPECT_STREQ(save.GetStatus(), "Write error");
    EXPECT_EQ(Bytes(path), old);
    EXPECT_TRUE(Log().Contains("Save game refused: a text is longer than 255 bytes"));
}

TEST_F(SaveGameStreamTest, ReadPastThePayloadGivesZerosAndFailsTheLoad)
{
    const std::string path = SaveBytes({0x11, 0x22, 0x33});
    CSaveGame load;
    load.BeginLoad(path.c_str());
    ASSERT_FALSE(load.HasError());
    uint8_t bytes[6] = {9, 9, 9, 9, 9, 9};
    EXPECT_EQ(load.Read(bytes, 6), 3);
    const uint8_t expected[6] = {0x11, 0x22, 0x33, 0, 0, 0};
    EXPECT_EQ(std::vector<uint8_t>(bytes, bytes + 6), std::vector<uint8_t>(expected, expected + 6));
    EXPECT_TRUE(load.HasError());
    EXPECT_STREQ(load.GetStatus(), "Read error");
    EXPECT_EQ(load.ReadI32(), 0);
    load.Close();
    EXPECT_TRUE(load.HasError());
    EXPECT_EQ(Log().Count("#DEBUG: Read beyond the end of save buffer"), 1);
}

TEST_F(SaveGameStreamTest, ShortStringCutOrUnterminatedFailsTheLoad)
{
    CString text = "kept?";
    {
        // Length 5, but only three letters follow.
        const std::string path = SaveBytes({5, 'a', 'b', 'c'});
        CSaveGame load;
        load.BeginLoad(path.c_str());
        EXPECT_FALSE(load.ReadShortString(text));
        EXPECT_TRUE(load.HasError());
        EXPECT_STREQ(text, "");
    }
    {
        const std::string path = SaveBytes({2, 'a', 'b', 'c', 0});
        CSaveGame load;
        load.BeginLoad(path.c_str());
        EXPECT_FALSE(load.ReadShortString(text));
        EXPECT_TRUE(load.HasError());
        EXPECT_STREQ(load.GetStatus(), "Read error");
    }
}

TEST_F(SaveGameStreamTest, UnreadPayloadWritesAndRefusalsDuringLoadAreReported)
{
    const std::string path = SaveBytes({1, 2, 3, 4, 5});
    CSaveGame unread;
    unread.BeginLoad(path.c_str());
    unread.ReadI32();
    unread.Close();
    EXPECT_FALSE(unread.HasError());
    EXPECT_TRUE(Log().Contains("#DEBUG: LoadGame not readed til the end of the file"));
    EXPECT_TRUE(Log().Contains("#DEBUG: breakpoint reached"));

    CSaveGame refused;
    refused.BeginLoad(path.c_str());
    refused.ReadI32();
    refused.SetError();
    refused.Close();
    EXPECT_TRUE(refused.HasError());
    EXPECT_STREQ(refused.GetStatus(), "Read error");

    CSaveGame writing;
    writing.BeginLoad(path.c_str());
    writing.WriteI32(5);
    EXPECT_TRUE(Log().Contains("#DEBUG: Write data during load"));
    writing.Close();
}

TEST_F(SaveGameStreamTest, ReadDuringSaveIsReportedAndMovesNothing)
{
    const std::string path = Path("misuse.save");
    CSaveGame save;
    ASSERT_TRUE(save.BeginSave(path.c_str()));
    save.WriteI32(0x01020304);
    EXPECT_EQ(save.ReadI32(), 0);
    EXPECT_EQ(save.GetPosition(), 4);
    save.WriteU8(5);
    save.Close();
    EXPECT_FALSE(save.HasError());
    EXPECT_TRUE(Log().Contains("#DEBUG: Read data during save"));
    EXPECT_EQ(PayloadOf(path), (std::vector<uint8_t>{4, 3, 2, 1, 5}));
}

TEST_F(SaveGameStreamTest, NegativeCountsAndMissingPayloadAreRefused)
{
    CSaveGame idle;
    EXPECT_EQ(idle.Write("x", 1), 0);
    EXPECT_TRUE(idle.HasError());
    uint8_t byte = 7;
    idle.Read(&byte, 1);
    EXPECT_EQ(byte, 0);

    const std::string path = Path("negative.save");
    CSaveGame save;
    ASSERT_TRUE(save.BeginSave(path.c_str()));
    EXPECT_EQ(save.Write("abc", -1), 0);
    EXPECT_TRUE(save.HasError());
    save.Close();
    EXPECT_FALSE(CScratchFolder::Exists(path));

    const std::string loaded = SaveBytes({1, 2});
    CSaveGame load;
    load.BeginLoad(loaded.c_str());
    uint8_t bytes[2] = {};
    EXPECT_EQ(load.Read(bytes, -5), 0);
    EXPECT_TRUE(load.HasError());
}
