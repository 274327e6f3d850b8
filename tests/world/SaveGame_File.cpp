// The save file as written: header bytes, CRC-32, payload, growth of the
// payload, the temporary file and the ".backup" rule.

#include <string>
#include <vector>

#include "SaveGame_Fixture.h"
#include "world/C_SaveGame.h"

using namespace SaveFileBytes;

namespace
{
void WriteAll(CSaveGame& save, const std::vector<uint8_t>& payload)
{
    save.Write(payload.data(), int(payload.size()));
}
}  // namespace

TEST_F(SaveGameTest, HeaderBytesAreMagicVersionLanguageAndCrc)
{
    const std::string path = Path("game.save");
    CSaveGame save;
    ASSERT_TRUE(save.BeginSave(path.c_str()));
    WriteAll(save, CheckPayload());
    save.Close();

    EXPECT_FALSE(save.HasError());
    EXPECT_STREQ(save.GetStatus(), "Successful");
    const std::vector<uint8_t> expected = {
        'V', '2', 'K', 'R', 'N', 'S', 'A', 'V', 'E', 'G', 'A', 'M', 'E', ' ', ' ', ' ',   // magic, no zero
        0x04, 0x00, 0x01, 0x01,                                                       // version
        8, 'E', 'n', 'g', 'l', 'i', 's', 'h', '\\', 0,                                // language
        0x26, 0x39, 0xF4, 0xCB,                                                       // CRC-32
        '1', '2', '3', '4', '5', '6', '7', '8', '9'};
    EXPECT_EQ(Bytes(path), expected);
    EXPECT_FALSE(CScratchFolder::Exists(path + ".tmp"));
}

TEST_F(SaveGameTest, EmptyPayloadGivesHeaderOnlyWithCrcOfNothing)
{
    const std::string path = Path("empty.save");
    CSaveGame save;
    ASSERT_TRUE(save.BeginSave(path.c_str()));
    save.Close();

    const std::vector<uint8_t> bytes = Bytes(path);
    const size_t n = std::string(Language).size();
    ASSERT_EQ(bytes.size(), 26 + n);
    EXPECT_EQ(bytes, Header(CurrentVersion, Language, 0));

    CSaveGame load;
    load.BeginLoad(path.c_str());
    EXPECT_FALSE(load.HasError());
    EXPECT_EQ(load.GetPayloadSize(), 0);
    load.Close();
    EXPECT_FALSE(load.HasError());
}

TEST_F(SaveGameTest, PayloadBeyondSevenMillionBytesGrowsInSteps)
{
    const std::string path = Path("big.save");
    std::vector<uint8_t> chunk(100003);
    uint32_t seed = 12345;
    for (uint8_t& byte : chunk)
    {
        seed = seed * 1103515245u + 12345u;
        byte = uint8_t(seed >> 16);
    }
    CSaveGame save;
    ASSERT_TRUE(save.BeginSave(path.c_str()));
    EXPECT_EQ(save.GetCapacity(), 7000000);
    constexpr int Chunks = 71;
    for (int i = 0; i < Chunks; ++i)
        WriteAll(save, chunk);
    // 71 chunks of 100,003 bytes: 7,100,213 bytes need one step of 256,000.
    const int written = 7100213;
    EXPECT_EQ(save.GetCapacity(), 7256000);
    save.Close();
    ASSERT_FALSE(save.HasError());

    const size_t header = 26 + std::string(Language).size();
    EXPECT_EQ(Bytes(path).size() - header, size_t(written));

    CSaveGame load;
    load.BeginLoad(path.c_str());
    ASSERT_FALSE(load.HasError());
    ASSERT_EQ(load.GetPayloadSize(), written);
    std::vector<uint8_t> back(chunk.size());
    for (int i = 0; i < Chunks; ++i)
    {
        load.Read(back.data(), int(back.size()));
        ASSERT_EQ(back, chunk) << "chunk " << i;
    }
    load.Close();
    EXPECT_FALSE(load.HasError());
}

TEST_F(SaveGameTest, LoadReadsBackTheVersionAndPayload)
{
    const std::string path = WriteFile("v3.save", File(0x01010003, Language, CheckPayloadCrc, CheckPayload()));
    CSaveGame load;
    EXPECT_TRUE(load.CheckHeader(path.c_str()));
    load.BeginLoad(path.c_str());
    ASSERT_FALSE(load.HasError());
    EXPECT_EQ(load.GetVersion(), 0x01010003u);
    EXPECT_EQ(load.GetMode(), CSaveGame::ModeLoad);
    char digits[10] = {};
    EXPECT_EQ(load.Read(digits, 9), 9);
    EXPECT_STREQ(digits, "123456789");
    load.Close();
    EXPECT_FALSE(load.HasError());
    EXPECT_STREQ(load.GetStatus(), "Successful");
}

TEST_F(SaveGameTest, SaveIntoMissingFolderFailsWithWriteError)
{
    const std::string path = Path("no/such/folder/game.save");
    CSaveGame save;
    EXPECT_FALSE(save.BeginSave(path.c_str()));
    EXPECT_TRUE(save.HasError());
    EXPECT_STREQ(save.GetStatus(), "Write error");
    save.WriteI32(7);
    save.Close();
    EXPECT_TRUE(save.HasError());
    EXPECT_FALSE(CScratchFolder::Exists(path));
}

TEST_F(SaveGameTest, FailedSaveKeepsTheOldFileWhole)
{
    const std::vector<uint8_t> old = {'o', 'l', 'd'};
    const std::string path = WriteFile("keep.save", old);
    CSaveGame save;
    ASSERT_TRUE(save.BeginSave(path.c_str()));
    // While the save runs, the old file is untouched.
    EXPECT_EQ(Bytes(path), old);
    save.WriteI32(1);
    save.SetError();   // a section refused what it was to write
    save.Close();

    EXPECT_TRUE(save.HasError());
    EXPECT_STREQ(save.GetStatus(), "Write error");
    EXPECT_EQ(Bytes(path), old);
    EXPECT_FALSE(CScratchFolder::Exists(path + ".tmp"));
}

TEST_F(SaveGameTest, SaveThatCannotTakeTheTargetsPlaceReportsFailure)
{
    // A folder in the target's place cannot be replaced by a file.
    const std::string path = Path("taken.save");
    WriteFile("taken.save/inside", std::vector<uint8_t>{1});
    CSaveGame save;
    ASSERT_TRUE(save.BeginSave(path.c_str()));
    save.WriteI32(1);
    save.Close();

    EXPECT_TRUE(save.HasError());
    EXPECT_STREQ(save.GetStatus(), "Write error");
    EXPECT_TRUE(CScratchFolder::Exists(path + "/inside"));
    EXPECT_FALSE(CScratchFolder::Exists(path + ".tmp"));
}

TEST_F(SaveGameTest, BackupOptionMovesTheOldSaveAsideAndOffLeavesNone)
{
    const std::string plain = WriteFile("plain.save", std::vector<uint8_t>{'o', 'l', 'd'});
    CSaveGame first;
    ASSERT_TRUE(first.BeginSave(plain.c_str()));
    first.Close();
    EXPECT_FALSE(first.HasError());
    EXPECT_FALSE(CScratchFolder::Exists(plain + ".backup"));

    g_Config.backupFiles = 1;
    const std::vector<uint8_t> old = {'o', 'l', 'd'};
    const std::string path = WriteFile("backed.save", old);
    WriteFile("backed.save.backup", std::vector<uint8_t>{'o', 'l', 'd', 'e', 'r'});
    CSaveGame save;
    ASSERT_TRUE(save.BeginSave(path.c_str()));
    WriteAll(save, CheckPayload());
    save.Close();
    ASSERT_FALSE(save.HasError());
    EXPECT_EQ(Bytes(path + ".backup"), old);
    EXPECT_EQ(Bytes(path), File(CurrentVersion, Language, CheckPayloadCrc, CheckPayload()));
}

TEST_F(SaveGameTest, LanguageNameOf255BytesIsWrittenAndLongerRefused)
{
    const std::string language(255, 'L');
    g_Config.languageFolder = language.c_str();
    const std::string longest = Path("longest.save");
    CSaveGame save;
    ASSERT_TRUE(save.BeginSave(longest.c_str()));
    save.Close();
    ASSERT_FALSE(save.HasError());
    EXPECT_EQ(Bytes(longest), Header(CurrentVersion, language, 0));
    CSaveGame load;
    load.BeginLoad(longest.c_str());
    EXPECT_FALSE(load.HasError());

    g_Config.languageFolder = std::string(256, 'L').c_str();
    const std::string path = Path("long.save");
    CSaveGame refused;
    EXPECT_FALSE(refused.BeginSave(path.c_str()));
    EXPECT_TRUE(refused.HasError());
    EXPECT_STREQ(refused.GetStatus(), "Write error");
    refused.Close();
    EXPECT_FALSE(CScratchFolder::Exists(path));
    EXPECT_FALSE(CScratchFolder::Exists(path + ".tmp"));
    EXPECT_TRUE(Log().Contains("Save game refused: the language name is longer than 255 bytes"));
}
