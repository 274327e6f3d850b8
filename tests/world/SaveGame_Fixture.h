#pragma once
// Save files in a scratch folder: the language "English\", the status texts of the demo data's locale, the log
// captured, and save files laid out byte by byte from the format (not by the stream that writes them).

#include <gtest/gtest.h>

#include <memory>

#include "core/C_Config.h"
#include "core/C_Localizer.h"
#include "tests/support/RecordBytes.h"
#include "tests/support/SaveGameRun.h"
#include "tests/support/TestLog.h"

namespace SaveFileBytes
{
constexpr const char* Language = "English\\";
constexpr uint32_t CurrentVersion = 0x01010004;
constexpr size_t HeaderSize = 26 + 8;   // with the language above
// The payload "123456789" and its CRC-32, the check value of the polynomial.
const std::vector<uint8_t> CheckPayload = {'1', '2', '3', '4', '5', '6', '7', '8', '9'};
constexpr uint32_t CheckPayloadCrc = 0xCBF43926u;
// The demo data's texts of the stream's status keys.
constexpr const char* DemoTexts = V2KRN_SOURCE_DIR "/data/demo/Locale/English/savegames.txt";
constexpr const char* NotASave = "This file is not a saved game";
constexpr const char* OtherVersion = "The game was saved by another version";
constexpr const char* OtherLanguage = "The game was saved in another language";
constexpr const char* Damaged = "The saved game is damaged";
constexpr const char* ReadError = "The saved game could not be read";
constexpr const char* WriteError = "The game could not be saved";

inline std::vector<uint8_t> File(uint32_t version, const std::string& language, uint32_t crc,
                                 const std::vector<uint8_t>& payload = {})
{
    CRecordBytes file;
    file.Text("V2KRNSAVEGAME   ").I32(int32_t(version)).U8(uint8_t(language.size())).Text(language).U8(0);
    file.I32(int32_t(crc)).Text(std::string(payload.begin(), payload.end()));
    return std::vector<uint8_t>(file.Bytes().begin(), file.Bytes().end());
}
}  // namespace SaveFileBytes

class SaveGameTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_Saved = std::make_unique<CConfig>(g_Config);
        g_Config.languageFolder = SaveFileBytes::Language;
        g_Config.backupFiles = 0;
        const std::string texts = CScratchFolder::ReadFile(SaveFileBytes::DemoTexts);
        g_Localizer.Clear();
        ASSERT_TRUE(g_Localizer.LoadLocaleText("savegames.txt", texts.c_str(), int(texts.size())));
        m_Log = std::make_unique<CTestLog>();
    }

    void TearDown() override
    {
        m_Log.reset();
        g_Localizer.Clear();
        g_Config = *m_Saved;
    }

    std::string Path(const std::string& name) const { return m_Folder / name; }
    std::vector<uint8_t> Bytes(const std::string& path) const
    {
        const std::string text = CScratchFolder::ReadFile(path);
        return std::vector<uint8_t>(text.begin(), text.end());
    }
    std::vector<uint8_t> Payload(const std::string& path) const { return CSaveGameRun::Payload(Bytes(path)); }
    std::string WriteFile(const std::string& name, const std::vector<uint8_t>& bytes) const
    {
        return m_Folder.Write(name, bytes);
    }
    const CTestLog& Log() const { return *m_Log; }

private:
    std::unique_ptr<CConfig> m_Saved;
    std::unique_ptr<CTestLog> m_Log;
    CScratchFolder m_Folder;
};
