#include <gtest/gtest.h>

#include "core/MAIN.h"

TEST(StartupBuildVersion, AcceptsOnlyItsOwnHexadecimalVersion)
{
    const struct { const char* text; EBuildVersionCheck result; } cases[] = {
        {"V2KRNVERSION:01010004QZV2004", EBuildVersionCheck::Valid},
        {"V2KRNVERSION:01010003QZV2004", EBuildVersionCheck::Mismatch},
        {"V2KRNVERSION:0101000A", EBuildVersionCheck::Mismatch},
        {"V2KRNVERSION:0101000a", EBuildVersionCheck::Mismatch},   // either case, and not ours
        {"V2KRNVERSION:0101000G", EBuildVersionCheck::Malformed},
        {"V2KRNVERSION:0101", EBuildVersionCheck::Malformed},
        {nullptr, EBuildVersionCheck::Malformed}};
    for (const auto& c : cases)
        EXPECT_EQ(c.result, CheckBuildVersion(c.text)) << (c.text ? c.text : "(null)");
}

TEST(StartupClientPlacement, OnlyTheWholeCommandLineInAnyCaseMovesTheWindow)
{
    const struct { const char* line; bool client; int32_t x, y; } cases[] = {
        {"-client1", true, 800, 0}, {"-CLIENT2", true, 0, 600}, {"-Client3", true, 800, 600},
        {"", false, 0, 0},          {"-client2 x", false, 0, 0}, {"-client4", false, 0, 0},
        {"client1", false, 0, 0},   {"-client", false, 0, 0},   {nullptr, false, 0, 0}};
    for (const auto& c : cases)
    {
        int32_t x = -1;
        int32_t y = -1;
        EXPECT_EQ(c.client, GetClientPlacement(c.line, 800, 600, x, y)) << (c.line ? c.line : "(null)");
        EXPECT_EQ(c.x, x);
        EXPECT_EQ(c.y, y);
    }
}

TEST(StartupDataVersion, AcceptsTheGamesOwnAndTheOlderDataVersionsOnly)
{
    for (const char* text : {"1.1.0.4", "1.1.0", "1.1.0.1", "1.1.0.2", "1.1.0.3"})
        EXPECT_TRUE(IsAcceptedDataVersion(text)) << text;
    for (const char* text : {"1.1.0.5", "1.1.0.4 ", "1.1.0.4\r\n", "1.1.0.0", "", "v1.1.0.4"})
        EXPECT_FALSE(IsAcceptedDataVersion(text)) << text;
}
