// Save files the loader must refuse cleanly: wrong magic, version or
// language, cut anywhere, a flipped byte, a wrong CRC-32.

#include <string>
#include <vector>

#include "SaveGame_Fixture.h"
#include "world/C_SaveGame.h"

using namespace SaveFileBytes;

namespace
{
std::vector<uint8_t> GoodFile()
{
    return File(CurrentVersion, Language, CheckPayloadCrc, CheckPayload());
}
}  // namespace

class SaveGameRefusalTest : public SaveGameTest
{
protected:
    // Loads the bytes; the status text after the attempt.
    std::string LoadStatus(const std::vector<uint8_t>& bytes)
    {
        const std::string path = WriteFile("refused.save", bytes);
        CSaveGame load;
        load.BeginLoad(path.c_str());
        const bool failed = load.HasError();
        load.Close();
        return failed ? load.GetStatus() : "loaded";
    }
    std::string HeaderStatus(const std::vector<uint8_t>& bytes)
    {
        const std::string path = WriteFile("checked.save", bytes);
        CSaveGame check;
        return check.CheckHeader(path.c_str()) ? "accepted" : check.GetStatus();
    }
};

TEST_F(SaveGameRefusalTest, BothAcceptedVersionsPassAndOthersAreRefused)
{
    EXPECT_EQ(HeaderStatus(File(0x01010004, Language, CheckPayloadCrc, CheckPayload())), "accepted");
    EXPECT_EQ(HeaderStatus(File(0x01010003, Language, CheckPayloadCrc, CheckPayload())), "accepted");
    for (uint32_t version : {0x01010002u, 0x01010005u, 0x04000101u, 0u})
    {
        const auto bytes = File(version, Language, CheckPayloadCrc, CheckPayload());
        EXPECT_EQ(HeaderStatus(bytes), "Wrong save version") << std::hex << version;
        EXPECT_EQ(LoadStatus(bytes), "Wrong save version") << std::hex << version;
    }
}

TEST_F(SaveGameRefusalTest, OtherLanguageIsRefusedWithAnIntactPayload)
{
    for (const char* language : {"German\\", "english\\", "English", "English\\\\"})
    {
        const auto bytes = File(CurrentVersion, language, CheckPayloadCrc, CheckPayload());
        EXPECT_EQ(HeaderStatus(bytes), "Other language") << language;
        EXPECT_EQ(LoadStatus(bytes), "Other language") << language;
    }
    std::vector<uint8_t> unterminated = GoodFile();
    unterminated[21 + 8] = 'X';
    EXPECT_EQ(LoadStatus(unterminated), "Other language");
}

TEST_F(SaveGameRefusalTest, WrongMagicIsRefused)
{
    std::vector<uint8_t> zeroPadded = GoodFile();
    zeroPadded[13] = zeroPadded[14] = zeroPadded[15] = 0;
    EXPECT_EQ(LoadStatus(zeroPadded), "Not a save file");
    std::vector<uint8_t> lower = GoodFile();
    lower[0] = 'v';
    EXPECT_EQ(LoadStatus(lower), "Not a save file");
    EXPECT_EQ(LoadStatus({}), "Not a save file");
}

TEST_F(SaveGameRefusalTest, MissingFileIsRefused)
{
    CSaveGame load;
    EXPECT_FALSE(load.CheckHeader(Path("absent.save").c_str()));
    EXPECT_STREQ(load.GetStatus(), "Not a save file");
    load.BeginLoad(Path("absent.save").c_str());
    EXPECT_TRUE(load.HasError());
}

TEST_F(SaveGameRefusalTest, FileCutInsideTheHeaderIsRefused)
{
    const std::vector<uint8_t> good = GoodFile();
    const size_t n = std::string(Language).size();
    // Inside the magic, at its end, inside the version, at the length byte,
    // inside the name: not a save file.
    for (size_t cut : {size_t(10), size_t(16), size_t(18), size_t(20), size_t(21), size_t(21 + n)})
        EXPECT_EQ(LoadStatus(std::vector<uint8_t>(good.begin(), good.begin() + long(cut))), "Not a save file")
            << cut;
    // Header whole but the CRC-32 cut.
    for (size_t cut : {22 + n, 25 + n})
        EXPECT_EQ(LoadStatus(std::vector<uint8_t>(good.begin(), good.begin() + long(cut))), "Read error") << cut;
}

TEST_F(SaveGameRefusalTest, FlippedPayloadOrCrcByteOrShortFileFailsTheCrc)
{
    const std::vector<uint8_t> good = GoodFile();
    EXPECT_EQ(LoadStatus(good), "loaded");
    const size_t payload = good.size() - CheckPayload().size();
    for (size_t at = payload; at < good.size(); ++at)
    {
        std::vector<uint8_t> flipped = good;
        flipped[at] ^= 0x10;
        EXPECT_EQ(LoadStatus(flipped), "CRC error") << at;
    }
    std::vector<uint8_t> crcFlipped = good;
    crcFlipped[22 + 8] ^= 0x01;
    EXPECT_EQ(LoadStatus(crcFlipped), "CRC error");
    EXPECT_EQ(LoadStatus(std::vector<uint8_t>(good.begin(), good.end() - 1)), "CRC error");
}

TEST_F(SaveGameRefusalTest, RefusedLoadHandsOutOnlyZeros)
{
    std::vector<uint8_t> bytes = GoodFile();
    bytes.back() ^= 0xFF;
    const std::string path = WriteFile("zeros.save", bytes);
    CSaveGame load;
    load.BeginLoad(path.c_str());
    ASSERT_TRUE(load.HasError());
    EXPECT_FALSE(load.HasPayload());
    EXPECT_EQ(load.ReadI32(), 0);
    EXPECT_STREQ(load.GetStatus(), "CRC error");
    load.Close();
    EXPECT_STREQ(load.GetStatus(), "CRC error");
}
