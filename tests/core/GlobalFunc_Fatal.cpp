// The fatal device-error reports end the process with exit code 1 after
// their three log lines and the message box.

#include "tests/core/Config_TestFolder.h"

#include "core/GlobalFunc.h"
#include "platform/SysDevice3DTypes.h"
#include "platform/SysSound.h"

namespace
{
class GlobalFuncFatalDeathTest : public ConfigTestBase
{
protected:
    void SetUp() override
    {
        ConfigTestBase::SetUp();
        // Logging off: the report must switch it on and create the log.
        g_Config.logging = 0;
        g_Config.dataFolder = m_Folder.Path().c_str();
    }
    std::vector<std::string> ReportLog() const { return CTestLog::SplitLines(Read("Ravelin3.log")); }
};

TEST_F(GlobalFuncFatalDeathTest, SuccessOrUncheckedCallsReturn)
{
    GlobalFunc::FatalD3DError("DrawBox/1", 0, true);
    GlobalFunc::FatalD3DError("DrawBox/1", Sys3DError::InvalidCall, false);
    GlobalFunc::FatalDSoundError("CMusic::Play()/1", 0, true);
    GlobalFunc::FatalDSoundError("CMusic::Play()/1", SysSound::ErrNoDriver, false);
    EXPECT_FALSE(Exists("Ravelin3.log"));
}

TEST_F(GlobalFuncFatalDeathTest, Direct3DFailureLogsShowsAndExitsWithOne)
{
    EXPECT_EXIT(GlobalFunc::FatalD3DError("CUnit::RenderSelectionCircle/1", Sys3DError::InvalidCall, true),
                ::testing::ExitedWithCode(1),
                "Direct3D error: Caller:CUnit::RenderSelectionCircle/1\rFatal D3D error- ErrorCode:1\r"
                "Error description:");
    const std::vector<std::string> expected = {
        "CUnit::RenderSelectionCircle/1", "Fatal D3D error- ErrorCode:1",
        std::string("Error description:") + Sys3DResultText(Sys3DError::InvalidCall)};
    EXPECT_EQ(ReportLog(), expected);
}

TEST_F(GlobalFuncFatalDeathTest, DirectSoundFailureLogsShowsAndExitsWithOne)
{
    EXPECT_EXIT(GlobalFunc::FatalDSoundError("CMusic::Play/1", SysSound::ErrNoDriver, true),
                ::testing::ExitedWithCode(1),
                "DirectSound error: Caller:CMusic::Play/1\rFatal DirectSound error- ErrorCode:-5\r");
    const std::vector<std::string> expected = {
        "CMusic::Play/1", "Fatal DirectSound error- ErrorCode:-5",
        std::string("Error description:") + SysSound::ErrorText(SysSound::ErrNoDriver)};
    EXPECT_EQ(ReportLog(), expected);
}
} // namespace
