#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "platform/SysCodePage.h"
#include "platform/SysMessageBox.h"

namespace
{
// An environment variable put back as it was when the test ends.
class SavedVariable
{
public:
    explicit SavedVariable(const char* name) : name(name), wasSet(std::getenv(name) != nullptr)
    {
        if (wasSet)
            saved = std::getenv(name);
    }
    ~SavedVariable()
    {
        if (wasSet)
            setenv(name, saved.c_str(), 1);
        else
            unsetenv(name);
    }

private:
    const char* name;
    bool wasSet;
    std::string saved;
};

// Runs with the offscreen video driver, as every automated run does.
class WindowMessageBox : public ::testing::Test
{
protected:
    void SetUp() override { setenv("SDL_VIDEODRIVER", "offscreen", 1); }
    void TearDown() override { SysCodePage::SetCurrent(SysCodePage::kWesternEuropean); }

    SavedVariable driver{"SDL_VIDEODRIVER"};
};
}  // namespace

TEST_F(WindowMessageBox, HeadlessBoxWritesCaptionAndTextWithItsLineBreaksToStandardError)
{
    ASSERT_TRUE(SysMessageBox::IsHeadless());
    testing::internal::CaptureStderr();
    SysMessageBox::Show(nullptr, "The version string is not valid", "Error!");
    SysMessageBox::Show(nullptr, "Syntax error in locale file:\nline 3", "Falied to Initialize");
    EXPECT_EQ("Error!: The version string is not valid\n"
              "Falied to Initialize: Syntax error in locale file:\nline 3\n",
              testing::internal::GetCapturedStderr());
}

TEST_F(WindowMessageBox, TextsInTheGameCodePageReachStandardErrorAsUtf8)
{
    SysCodePage::SetCurrent(1251);
    testing::internal::CaptureStderr();
    SysMessageBox::Show(nullptr, "\xC6", "\xE6");  // Ж, ж
    EXPECT_EQ("\xD0\xB6: \xD0\x96\n", testing::internal::GetCapturedStderr());
}
