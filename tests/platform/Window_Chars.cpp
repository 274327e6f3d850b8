#include <gtest/gtest.h>

#include "platform/SysCodePage.h"
#include "tests/platform/Window_TestEvents.h"

using namespace window_test;

namespace
{
class WindowChars : public ::testing::Test
{
protected:
    void TearDown() override { SysCodePage::SetCurrent(SysCodePage::kWesternEuropean); }
};
}  // namespace

TEST_F(WindowChars, TypedTextArrivesInTheCurrentCodePageWhichTheLanguageFolderChooses)
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
        Translation translation;
        translation << Text(c.utf8);
        std::vector<uint32_t> characters;
        for (const SysMessage& message : translation.Messages())
        {
            EXPECT_EQ(0x102u, message.message);
            characters.push_back(message.wParam);
        }
        EXPECT_EQ(c.characters, characters) << c.codePage << " " << c.utf8;
    }
    // A lone continuation byte, a lead byte cut short by 'x', an overlong
    // slash, an encoded surrogate, and a sequence cut off by the end.
    std::string out;
    SysCodePage::AppendFromUtf8("\x80" "a\xC3" "x\xC0\xAF" "b\xED\xA0\x80" "c\xE2\x82", 1252, out);
    EXPECT_EQ("axbc", out);
    const std::pair<const char*, int> languages[] = {{"English\\", 1252}, {"Polish\\", 1250}, {"HUNGARIAN", 1250},
                                                     {"russian\\", 1251}, {"Russians\\", 1252}, {nullptr, 1252}};
    for (const auto& [folder, codePage] : languages)
        EXPECT_EQ(codePage, SysCodePage::ForLanguage(folder)) << (folder ? folder : "null");
    SysCodePage::SetCurrent(437);
    EXPECT_TRUE(1252 == SysCodePage::Current() && "\xD0\x96\xD0\xB6" == SysCodePage::ToUtf8("\xC6\xE6", 1251) &&
                ("\xE2\x82\xAC" "5") == SysCodePage::ToUtf8("\x80" "5", 1252));
    EXPECT_EQ("ab", SysCodePage::ToUtf8("a\x81" "b", 1252));   // 0x81 has no character in 1252
}
