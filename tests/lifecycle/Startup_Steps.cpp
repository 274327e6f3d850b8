#include <gtest/gtest.h>

#include "core/MAIN.h"

TEST(StartupBuildVersion, AcceptsOnlyItsOwnHexadecimalVersion)
{
    EXPECT_EQ(EBuildVersionCheck::Valid, CheckBuildVersion("V2KRNVERSION:01010004QZV2004"));
    EXPECT_EQ(EBuildVersionCheck::Mismatch, CheckBuildVersion("V2KRNVERSION:01010003QZV2004"));
    EXPECT_EQ(EBuildVersionCheck::Mismatch, CheckBuildVersion("V2KRNVERSION:0101000A"));
    EXPECT_EQ(EBuildVersionCheck::Malformed, CheckBuildVersion("V2KRNVERSION:0101000G"));
    EXPECT_EQ(EBuildVersionCheck::Malformed, CheckBuildVersion("V2KRNVERSION:0101"));
    EXPECT_EQ(EBuildVersionCheck::Malformed, CheckBuildVersion(nullptr));
}

TEST(StartupBuildVersion, HexadecimalLettersMayBeOfEitherCase)
{
    // 0x0101000a and 0x0101000A are the same number, and not ours.
    EXPECT_EQ(EBuildVersionCheck::Mismatch, CheckBuildVersion("V2KRNVERSION:0101000a"));
}

TEST(StartupClientPlacement, WholeCommandLineInAnyCaseMovesTheWindow)
{
    int32_t x = -1;
    int32_t y = -1;
    EXPECT_TRUE(GetClientPlacement("-client1", 800, 600, x, y));
    EXPECT_EQ(800, x);
    EXPECT_EQ(0, y);
    EXPECT_TRUE(GetClientPlacement("-CLIENT2", 800, 600, x, y));
    EXPECT_EQ(0, x);
    EXPECT_EQ(600, y);
    EXPECT_TRUE(GetClientPlacement("-Client3", 800, 600, x, y));
    EXPECT_EQ(800, x);
    EXPECT_EQ(600, y);
}

TEST(StartupClientPlacement, AnyOtherCommandLineLeavesTheOrigin)
{
    const char* lines[] = {"", "-client2 x", "-client4", "client1", "-client", nullptr};
    for (const char* line : lines)
    {
        int32_t x = -1;
        int32_t y = -1;
        EXPECT_FALSE(GetClientPlacement(line, 800, 600, x, y)) << (line ? line : "(null)");
        EXPECT_EQ(0, x);
        EXPECT_EQ(0, y);
    }
}

TEST(StartupDataVersion, AcceptsTheGamesOwnAndTheOlderDataVersions)
{
    for (const char* text : {"1.1.0.4", "1.1.0", "1.1.0.1", "1.1.0.2", "1.1.0.3"})
        EXPECT_TRUE(IsAcceptedDataVersion(text)) << text;
}

TEST(StartupDataVersion, AnythingElseIsAnotherVersion)
{
    for (const char* text : {"1.1.0.5", "1.1.0.4 ", "1.1.0.4\r\n", "1.1.0.0", "", "v1.1.0.4"})
        EXPECT_FALSE(IsAcceptedDataVersion(text)) << text;
}
