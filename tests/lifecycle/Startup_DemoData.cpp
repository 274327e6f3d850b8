// The project's demo data, laid out as ./run lays it out, holds every file
// and locale text that start-up asks for, packed the way the game reads it.

#include <gtest/gtest.h>

#include <cstdint>

#include "tests/lifecycle/Lifecycle_GameFolder.h"

using namespace lifecycle_test;

namespace
{
// The entries of the game folder's "v2krn.med" by name, as medpack lists
// them ("OFFSET SIZE NAME" per line), with their bodies.
std::vector<std::pair<std::string, std::string>> Entries(const CGameFolder& folder)
{
    std::vector<std::pair<std::string, std::string>> entries;
    CProcess medpack;
    const std::string med = folder.GameFolder() + "v2krn.med";
    if (!medpack.Start(V2KRN_TOOLS_DIR "/medpack", {"list", med}, folder.GameFolder(), med + ".list") ||
        medpack.Wait() != 0)
        return entries;
    const std::string file = folder.Read("v2krn.med");
    std::istringstream list(medpack.Output());
    size_t offset = 0;
    size_t size = 0;
    std::string name;
    while (list >> offset >> size >> name && offset + size <= file.size())
        entries.emplace_back(name, file.substr(offset, size));
    return entries;
}

bool IsText(const std::string& body)
{
    return body.find('\0') == std::string::npos;
}

// True when every line of the text ends with CR LF, the last one too.
bool HasCrLfLineEnds(const std::string& text)
{
    size_t lineFeeds = 0;
    size_t carriageReturns = 0;
    size_t lineEnds = 0;
    for (size_t i = 0; i < text.size(); ++i)
    {
        lineFeeds += text[i] == '\n';
        carriageReturns += text[i] == '\r';
        lineEnds += text.compare(i, 2, "\r\n") == 0;
    }
    return text.size() >= 2 && text.compare(text.size() - 2, 2, "\r\n") == 0 && lineFeeds == lineEnds &&
           carriageReturns == lineEnds;
}

class StartupDemoData : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(folder.LayOutDemoData()); }

    CGameFolder folder;
};
}  // namespace

TEST_F(StartupDemoData, StartsWithoutAMissingLocaleTextOrFile)
{
    folder.SetConfig("LOGGING=ON\r\nWINDOWEDMODE=ON\r\nRESOLUTION=640,480,32\r\n");
    CProcess game;
    ASSERT_TRUE(folder.StartGame(game));
    ASSERT_TRUE(folder.WaitUntilRunning(game)) << game.Errors();
    ASSERT_EQ(0, game.Terminate()) << game.Errors();

    // Missing files are logged as "File not found:NAME", "... not found ...".
    std::string missing;
    for (const std::string& line : SplitLines(folder.Log()))
    {
        if (line.find("Cannot find locale resource") != std::string::npos ||
            line.find("not found") != std::string::npos)
            missing += line + '\n';
    }
    EXPECT_EQ("", missing);
    EXPECT_EQ("End of game...", SplitLines(folder.Log()).back());
}

TEST_F(StartupDemoData, TextFilesHaveCrLfLineEndsAndTheColourTableIsTheIdentity)
{
    const auto entries = Entries(folder);
    ASSERT_FALSE(entries.empty());
    int texts = 0;
    bool hasColourTable = false;
    for (const auto& [name, body] : entries)
    {
        if (name == "DATAFILE.VERSION")
        {
            EXPECT_EQ("1.1.0.4", body);   // compared whole: no line end
            continue;
        }
        if (name == "INGAME\\GAMMARAMPS\\DEFAULT.RAMP")
        {
            hasColourTable = true;
            ASSERT_EQ(1536u, body.size());
            // Red, green and blue: entry i is i * 257, little-endian.
            for (size_t channel = 0; channel < 3; ++channel)
            {
                for (uint32_t i = 0; i < 256; ++i)
                {
                    const size_t at = (channel * 256 + i) * 2;
                    const uint32_t entry = static_cast<uint8_t>(body[at]) | static_cast<uint8_t>(body[at + 1]) << 8;
                    ASSERT_EQ(i * 257, entry) << "channel " << channel << " entry " << i;
                }
            }
            continue;
        }
        if (!IsText(body))
            continue;
        ++texts;
        EXPECT_TRUE(HasCrLfLineEnds(body)) << name;
    }
    EXPECT_TRUE(hasColourTable);
    EXPECT_GE(texts, 4);   // at least the configuration and the English locale files
}
