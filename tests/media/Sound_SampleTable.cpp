// The game's sample table, and the whole bank loaded at start-up from the
// files the project's generator makes.

#include <cstdlib>
#include <set>
#include <string>

#include "media/C_GUIControl.h"
#include "media/C_VoiceBank.h"
#include "tests/media/Sound_Rig.h"

namespace
{
std::vector<std::string> FilesOf(int32_t firstSlot)
{
    for (const SSampleRow& row : GetSampleTable())
    {
        if (row.firstSlot != firstSlot)
            continue;
        std::vector<std::string> files;
        std::string list = GetSampleFileList(row).GetBuffer();
        size_t start = 0;
        for (size_t end; (end = list.find(';', start)) != std::string::npos; start = end + 1)
            files.push_back(list.substr(start, end - start));
        files.push_back(list.substr(start));
        return files;
    }
    return {};
}

using Files = std::vector<std::string>;

class SoundSampleTable : public SoundRig
{
};
} // namespace

TEST(SoundSampleTableRows, NinetyEightOrderedRowsFillEverySlotButThreeOnce)
{
    const std::vector<SSampleRow>& table = GetSampleTable();
    EXPECT_EQ(table.size(), 98u);
    std::set<int32_t> filled;
    int32_t next = 0;
    for (const SSampleRow& row : table)
    {
        EXPECT_GE(row.firstSlot, next) << row.name;
        next = row.firstSlot + row.count;
        for (int32_t slot = row.firstSlot; slot < next; ++slot)
            EXPECT_TRUE(filled.insert(slot).second) << slot;
    }
    EXPECT_EQ(filled.size(), 254u);
    EXPECT_EQ(next, SoundBankSlots);
    for (int32_t empty : {31, 251, 252})
        EXPECT_EQ(filled.count(empty), 0u) << empty;
}

TEST(SoundSampleTableRows, FileNamesFollowThePatternAndItsExceptions)
{
    EXPECT_EQ(FilesOf(0), (Files{"Sounds\\Worker\\chop-tree-1.snd", "Sounds\\Worker\\chop-tree-2.snd",
                                 "Sounds\\Worker\\chop-tree-3.snd", "Sounds\\Worker\\chop-tree-4.snd"}));
    EXPECT_EQ(FilesOf(6), (Files{"Sounds\\Worker\\build-repair-1.snd", "Sounds\\Worker\\build-repair-1.snd"}));
    EXPECT_EQ(FilesOf(55), (Files{"Sounds\\Giant\\Die-1.snd", "Sounds\\Giant\\Die-2.snd"}));
    EXPECT_EQ(FilesOf(204), (Files{"Sounds\\Nature\\water-1.snd", "Sounds\\Nature\\water-2.snd",
                                   "Sounds\\Nature\\water-5.snd"}));
    EXPECT_EQ(FilesOf(239), (Files{"Sounds\\Nature\\swamp-8.snd", "Sounds\\Nature\\village-4.snd"}));
    EXPECT_EQ(FilesOf(244), (Files{"Sounds\\Nature\\water-1.snd", "Sounds\\Nature\\water-2.snd",
                                   "Sounds\\Nature\\water-5.snd", "Sounds\\Nature\\sea-2.snd"}));
    EXPECT_EQ(FilesOf(248), (Files{"Sounds\\Nature\\swamp-7.snd", "Sounds\\Nature\\swamp-1.snd"}));
    EXPECT_EQ(FilesOf(255), (Files{"Sounds\\Interface\\click-1.snd"}));
    // 254 slots name 242 different files.
    EXPECT_EQ(GetSampleFileNames().size(), 242u);
}

TEST_F(SoundSampleTable, TheGeneratedSamplesLoadIntoEverySlotWithoutAMissingFile)
{
    const std::string command = std::string(V2KRN_TOOLS_DIR) + "/mksound samples '" + m_Folder.Path() + "'";
    ASSERT_EQ(std::system(command.c_str()), 0);
    CTestLog log;
    LoadSoundBank(m_Device);

    EXPECT_EQ(log.Count("Loading sound buffer:"), 98);
    int samples = 0;
    for (const std::string& line : log.Lines())
    {
        // The loading screen's pictures are not part of the bank.
        EXPECT_EQ(line.rfind("File not found:Sounds", 0), std::string::npos) << line;
        samples += line.rfind("- Sample:", 0) == 0 ? 1 : 0;
    }
    EXPECT_EQ(samples, 254);
    ASSERT_EQ(g_VoiceBank.GetSlotCount(), SoundBankSlots);
    for (int32_t slot = 0; slot < SoundBankSlots; ++slot)
    {
        const bool empty = slot == 31 || slot == 251 || slot == 252;
        EXPECT_EQ(g_VoiceBank.GetSlot(slot)->voiceCount == 0, empty) << slot;
    }
    struct Case { int32_t slot, voices; };
    for (const Case c : {Case{0, 1}, Case{6, 2}, Case{58, 4}, Case{59, 4}, Case{173, 1}, Case{176, 1},
                         Case{177, 2}, Case{219, 1}, Case{255, 1}})
        EXPECT_EQ(g_VoiceBank.GetSlot(c.slot)->voiceCount, c.voices) << c.slot;
    EXPECT_EQ(g_VoiceBank.GetSlot(0)->length, 60);   // the generator's 60 ms

    // The widgets' click is sample 255, heard at the next update.
    PlayInterfaceClick();
    g_VoiceBank.UpdateSoundEvents(0, 0);
    uint32_t status = 0;
    g_VoiceBank.GetSlot(255)->voices[0]->GetStatus(&status);
    EXPECT_EQ(status, uint32_t(SysSound::StatusPlaying));
    g_VoiceBank.Free();
}
