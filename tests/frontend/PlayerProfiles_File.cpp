#include <gtest/gtest.h>

#include <filesystem>

#include "core/C_CRC32.h"
#include "frontend/C_PlayerProfiles.h"
#include "tests/support/ReferenceBytes.h"
#include "tests/support/TestLog.h"

namespace
{
std::string ShortString(const std::string& text) { return char(text.size()) + text + std::string(1, '\0'); }
std::string WithCrc(const std::string& body) { return body + LE32(ReferenceCrc32(body)); }

const std::string kMagic = "V2KRNplprofiles1";

// Two profiles: "Ann" with two results, current, and "Bo" with none.
std::string TwoProfileBody(int32_t current = 0)
{
    return kMagic + LE32(2) + LE32(current) +
           ShortString("Ann") + LE32(2) + LE32(1) + LE32(3) + LE32(1) + LE32(1) + LE32(4) + LE32(2) +
           ShortString("Bo") + LE32(0);
}

// One profile whose name has `nameLength` characters, with `results` results; the CRC as the game computes it
// (checked against the bitwise one above), which is quicker on files of megabytes.
std::string OneProfileFile(int nameLength, int results)
{
    const std::string body = kMagic + LE32(1) + LE32(0) + ShortString(std::string(nameLength, 'n')) + LE32(results) +
                             std::string(12 * static_cast<size_t>(results), '\1');
    return body + LE32(CCRC32().Calculate(body.data(), static_cast<int>(body.size())));
}

class PlayerProfilesFile : public ::testing::Test
{
protected:
    std::string Write(const std::string& bytes) { return folder.Write("players.prf", bytes); }

    CScratchFolder folder;
    CPlayerProfiles profiles;
};
}  // namespace

TEST_F(PlayerProfilesFile, LoadsProfilesAndSavesTheSameBytesAndEmptyOnesIn28)
{
    const std::string original = WithCrc(TwoProfileBody()), path = Write(original);
    ASSERT_TRUE(profiles.Load(path.c_str()));
    EXPECT_EQ((std::vector<std::string>{"Ann", "Bo", "Unknown player"}),
              (std::vector<std::string>{profiles.GetName(-1), profiles.GetName(1), profiles.GetName(2)}));
    ASSERT_EQ(2, profiles.profiles[0]->results.GetCount());
    EXPECT_EQ((std::vector<int>{2, 0, 4, 2}), (std::vector<int>{profiles.count, profiles.current,
                                                                profiles.profiles[0]->results[1].mission,
                                                                profiles.profiles[0]->results[1].result}));

    const std::string copy = folder / "copy.prf";
    ASSERT_TRUE(profiles.Save(copy.c_str()) && original == CScratchFolder::ReadFile(copy));

    profiles.Clear();
    EXPECT_STREQ("Unknown player", profiles.GetName(-1));
    ASSERT_TRUE(profiles.Save(copy.c_str()));   // empty: 28 bytes with their CRC
    EXPECT_TRUE(WithCrc(kMagic + LE32(0) + LE32(0xFFFFFFFFu)) == CScratchFolder::ReadFile(copy) &&
                !CScratchFolder::Exists(copy + ".tmp"));
}

TEST_F(PlayerProfilesFile, DamagedFilesDoNotLoadAndLeaveTheProfilesAlone)
{
    const std::string body = TwoProfileBody();
    const auto changed = [&body](size_t at, char byte) { std::string bytes = body; bytes[at] = byte; return bytes; };
    const std::string cases[] = {
        "", kMagic, WithCrc(changed(15, '2')),                           // wrong magic
        WithCrc(body).substr(0, 40),                                     // cut short
        WithCrc(kMagic + LE32(1) + LE32(0xFFFFFFFFu)),                   // one profile promised, none there
        WithCrc(kMagic + LE32(0x7FFFFFFF) + LE32(0)),                    // absurd count
        WithCrc(kMagic + LE32(0) + LE32(0)),                             // current profile that does not exist
        WithCrc(kMagic + LE32(1) + LE32(0) + ShortString("A") + LE32(1000)),  // results beyond the end
        WithCrc(changed(kMagic.size() + 8 + 4, 'x')),                    // no zero after "Ann"
        WithCrc(changed(kMagic.size() + 8 + 2, '\0')),                   // a zero inside it
        WithCrc(body + "junk"),                                          // bytes no profile owns
    };
    ASSERT_TRUE(!profiles.Load((folder / "none.prf").c_str()) && profiles.Load(Write(WithCrc(body)).c_str()));
    for (const std::string& damaged : cases)
        EXPECT_TRUE(!profiles.Load(Write(damaged).c_str()) && profiles.count == 2 &&
                    std::string(profiles.GetName(-1)) == "Ann") << "file of " << damaged.size() << " bytes";
    CTestLog log;
    const std::string wrongCrc = body + LE32(ReferenceCrc32(body) ^ 0x01000000u);  // its last byte changed
    EXPECT_TRUE(!profiles.Load(Write(wrongCrc).c_str()) && log.Contains("#DEBUG: Invalid player profile CRC"));
}

TEST_F(PlayerProfilesFile, CountsAndTheCurrentProfileLoadUpToTheirBoundsAndFilesUpToSixteenMebibytes)
{
    // Three unnamed profiles without results fill the file exactly; the current one is the last.
    const std::string unnamed = ShortString("") + LE32(0);
    ASSERT_TRUE(profiles.Load(Write(WithCrc(kMagic + LE32(3) + LE32(2) + unnamed + unnamed + unnamed)).c_str()));
    EXPECT_TRUE(profiles.count == 3 && profiles.current == 2 && std::string(profiles.GetName(-1)).empty());
    EXPECT_FALSE(profiles.Load(Write(WithCrc(kMagic + LE32(4) + LE32(0) + unnamed + unnamed + unnamed)).c_str()));
    // No current profile (-1) up to the last of the two.
    int32_t kept = profiles.current;
    for (const auto& [current, loads] : {std::pair{-2, false}, {-1, true}, {1, true}, {2, false}})
    {
        EXPECT_EQ(loads, profiles.Load(Write(WithCrc(TwoProfileBody(current))).c_str())) << current;
        kept = loads ? current : kept;
        EXPECT_EQ(kept, profiles.current) << current;
    }
    // 16 MiB loads; a byte more is refused.
    EXPECT_EQ(OneProfileFile(6, 1398098).size(), 16u << 20);
    ASSERT_TRUE(profiles.Load(Write(OneProfileFile(6, 1398098)).c_str()) &&
                profiles.profiles[0]->results.GetCount() == 1398098);
    EXPECT_TRUE(!profiles.Load(Write(OneProfileFile(7, 1398098)).c_str()) &&
                std::string(profiles.GetName(0)) == "nnnnnn");
}

TEST_F(PlayerProfilesFile, FailedSaveKeepsTheOldFileAndADamagedFileIsKeptAside)
{
    CTestLog log;
    const std::string path = Write(WithCrc(TwoProfileBody()));
    // A folder standing where the temporary file must go makes the write fail.
    folder.MakeFolder("players.prf.tmp/inside");
    EXPECT_TRUE(!profiles.Save(path.c_str()) && WithCrc(TwoProfileBody()) == CScratchFolder::ReadFile(path) &&
                log.Contains("Unable to write the player profiles: " + path));
    // Each damaged file is kept, none replaces a copy kept before.
    for (const std::string kept : {".damaged", ".damaged.1", ".damaged.2"})
    {
        Write("damaged as " + kept);
        EXPECT_TRUE(CPlayerProfiles::KeepDamagedFile(path.c_str()) && !CScratchFolder::Exists(path) &&
                    log.Contains("Damaged player profiles kept as " + path + kept));
    }
    for (const std::string kept : {".damaged", ".damaged.1", ".damaged.2"})
        EXPECT_EQ("damaged as " + kept, CScratchFolder::ReadFile(path + kept));
    EXPECT_FALSE(CPlayerProfiles::KeepDamagedFile(path.c_str()));  // nothing left to keep
    // Behind a link, the file it leads to is kept where it lies (a link that leads nowhere yet keeps nothing), and
    // the link stays for the fresh file written through it.
    std::filesystem::create_symlink("real.prf", path);
    for (const bool damaged : {true, false})
    {
        if (damaged) folder.Write("real.prf", "damaged");
        EXPECT_TRUE(damaged == CPlayerProfiles::KeepDamagedFile(path.c_str()) && profiles.Save(path.c_str()) &&
                    std::filesystem::is_symlink(path) && std::filesystem::file_size(folder / "real.prf") == 28u &&
                    std::filesystem::remove(folder / "real.prf")) << damaged;
    }
    EXPECT_TRUE("damaged" == CScratchFolder::ReadFile(folder / "real.prf.damaged") &&
                !CScratchFolder::Exists(path + ".damaged.3"));
}

