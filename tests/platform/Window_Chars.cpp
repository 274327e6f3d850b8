#include <gtest/gtest.h>

#include <iconv.h>

#include <string>

#include "platform/SysCodePage.h"
#include "platform/SysMessage.h"
#include "tests/platform/Window_TestEvents.h"

using namespace window_test;

namespace
{
// Restores the English code page whatever a test selected.
class WindowChars : public ::testing::Test
{
protected:
    void TearDown() override { SysCodePage::SetCurrent(SysCodePage::kWesternEuropean); }

    static std::vector<uint32_t> CharactersTyped(const char* utf8)
    {
        Translation translation;
        translation << Text(utf8);
        std::vector<uint32_t> characters;
        for (const SysMessage& message : translation.Messages())
        {
            EXPECT_EQ(0x102u, message.message);
            characters.push_back(message.wParam);
        }
        return characters;
    }
};

std::string Bytes(std::initializer_list<unsigned char> bytes)
{
    return std::string(bytes.begin(), bytes.end());
}
}  // namespace

TEST_F(WindowChars, TypedTextArrivesInOrderInTheCurrentCodePageWithoutWhatItLacks)
{
    const struct { int codePage; const char* utf8; std::vector<uint32_t> characters; } cases[] = {
        {1252, "\xC3\xA4\xC3\x9F\xE2\x82\xAC", {0xE4, 0xDF, 0x80}},  // ä ß €
        {1251, "\xD0\xB6\xD0\x96\xD0\x81", {0xE6, 0xC6, 0xA8}},      // ж Ж Ё
        {1252, "a\xD0\xB6" "b", {'a', 'b'}},                          // ж between
        {1251, "\xC3\xA4", {}},                                        // ä
    };
    for (const auto& c : cases)
    {
        SysCodePage::SetCurrent(c.codePage);
        EXPECT_EQ(c.characters, CharactersTyped(c.utf8)) << c.codePage << " " << c.utf8;
    }
}

TEST_F(WindowChars, MalformedUtf8IsSkippedWithoutLosingWhatFollows)
{
    std::string out;
    // A lone continuation byte, a lead byte cut short by 'x', an overlong
    // slash, an encoded surrogate, and a sequence cut off by the end.
    SysCodePage::AppendFromUtf8("\x80"
                                "a\xC3"
                                "x\xC0\xAF"
                                "b\xED\xA0\x80"
                                "c\xE2\x82",
                                1252, out);
    EXPECT_EQ("axbc", out);
}

TEST_F(WindowChars, LanguageFolderChoosesTheCodePageAndUnknownOnesFallBackToWesternEuropean)
{
    EXPECT_EQ(1252, SysCodePage::ForLanguage("English\\"));
    EXPECT_EQ(1250, SysCodePage::ForLanguage("Polish\\"));
    EXPECT_EQ(1250, SysCodePage::ForLanguage("HUNGARIAN"));
    EXPECT_EQ(1251, SysCodePage::ForLanguage("russian\\"));
    EXPECT_EQ(1252, SysCodePage::ForLanguage("Russians\\"));
    EXPECT_EQ(1252, SysCodePage::ForLanguage(nullptr));
    SysCodePage::SetCurrent(437);
    EXPECT_EQ(1252, SysCodePage::Current());
}

TEST_F(WindowChars, GameTextsConvertToUtf8)
{
    EXPECT_EQ("\xD0\x96\xD0\xB6", SysCodePage::ToUtf8(Bytes({0xC6, 0xE6}).c_str(), 1251));
    EXPECT_EQ("\xE2\x82\xAC" "5", SysCodePage::ToUtf8(Bytes({0x80, '5'}).c_str(), 1252));
    // 0x81 has no character in 1252 and is left out.
    EXPECT_EQ("ab", SysCodePage::ToUtf8(Bytes({'a', 0x81, 'b'}).c_str(), 1252));
}

// The tables against the C library's own converter, byte by byte.
TEST_F(WindowChars, TablesAgreeWithTheSystemConverter)
{
    for (const int codePage : {1250, 1251, 1252})
    {
        const std::string name = "CP" + std::to_string(codePage);
        iconv_t converter = iconv_open("UTF-32LE", name.c_str());
        if (converter == reinterpret_cast<iconv_t>(-1))
            GTEST_SKIP() << "no converter for " << name;
        for (int byte = 0x80; byte <= 0xFF; ++byte)
        {
            char in = static_cast<char>(byte);
            unsigned char out[4] = {};
            char* inPointer = &in;
            char* outPointer = reinterpret_cast<char*>(out);
            size_t inLeft = 1;
            size_t outLeft = sizeof out;
            const size_t result = iconv(converter, &inPointer, &inLeft, &outPointer, &outLeft);
            const uint32_t expected =
                result == static_cast<size_t>(-1) ? 0u : out[0] | (out[1] << 8) | (out[2] << 16) | (out[3] << 24);
            // Some converters map unassigned bytes to the C1 controls, which the game has no use for.
            constexpr int kEndOfControls = 0xA0;
            const bool unassigned = expected == 0 || (byte < kEndOfControls && expected == static_cast<uint32_t>(byte));
            EXPECT_EQ(unassigned ? 0u : expected, SysCodePage::ToUnicode(static_cast<uint8_t>(byte), codePage))
                << name << " byte " << byte;
            iconv(converter, nullptr, nullptr, nullptr, nullptr);
        }
        iconv_close(converter);
    }
}

TEST_F(WindowChars, EveryAssignedByteSurvivesTheRoundTrip)
{
    for (const int codePage : {1250, 1251, 1252})
    {
        for (int byte = 1; byte <= 0xFF; ++byte)
        {
            const uint32_t codePoint = SysCodePage::ToUnicode(static_cast<uint8_t>(byte), codePage);
            if (codePoint == 0)
                continue;
            EXPECT_EQ(byte, SysCodePage::FromUnicode(codePoint, codePage)) << codePage << " byte " << byte;
        }
    }
}
