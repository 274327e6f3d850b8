// Random numbers, integer helpers, distances, angles and the colour and
// sound-level conversions, against values worked out by hand; and the fatal
// device-error reports, which end the process with exit code 1 after their
// three log lines and the message box.

#include "tests/core/Config_TestFolder.h"

#include <cmath>
#include <limits>
#include <utility>

#include "core/GlobalFunc.h"
#include "platform/SysDevice3DTypes.h"
#include "platform/SysSound.h"

namespace
{
class GlobalFuncNumbers : public ConfigTestBase
{
};

TEST_F(GlobalFuncNumbers, RandomIsTheClassicGenerator)
{
    GlobalFunc::SeedRandom(1);
    const int expected[] = {41, 18467, 6334, 26500, 19169};
    for (int value : expected)
        EXPECT_EQ(GlobalFunc::Random(32768), value);

    GlobalFunc::SeedRandom(12345);
    const int expectedBelow100[] = {84, 64, 95, 25, 28};
    for (int value : expectedBelow100)
        EXPECT_EQ(GlobalFunc::Random(100), value);
}

TEST_F(GlobalFuncNumbers, RandomBelowOneGivesZeroWithAReport)
{
    GlobalFunc::SeedRandom(1);
    EXPECT_EQ(GlobalFunc::Random(0), 0);
    EXPECT_EQ(GlobalFunc::Random(-7), 0);
    // The refused calls drew nothing from the generator.
    EXPECT_EQ(GlobalFunc::Random(32768), 41);
    const std::vector<std::string> lines = LogLines();
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_EQ(lines[1], "#DEBUG: breakpoint reached");
    EXPECT_NE(lines[2].find(" in core/GlobalFunc.cpp"), std::string::npos);
}

TEST_F(GlobalFuncNumbers, DistancesAreInTenths)
{
    EXPECT_EQ(GlobalFunc::Distance(0, 0, 3, 4), 50);
    EXPECT_EQ(GlobalFunc::Distance(0, 0, 1, 1), 14);
    EXPECT_EQ(GlobalFunc::GetDistance(1, 1, 4, 5), 50);
    // sqrt(2 * 100000^2) * 10 = 1414213.56...: no overflow on the way.
    EXPECT_EQ(GlobalFunc::Distance(0, 0, 100000, 100000), 1414213);
    EXPECT_FLOAT_EQ(GlobalFunc::DistanceF(0.0f, 0.0f, 3.0f, 4.0f), 50.0f);
}

TEST_F(GlobalFuncNumbers, AnglePointsFromTheSecondPointToTheFirst)
{
    EXPECT_NEAR(GlobalFunc::GetAngle(0, -1, 0, 0), 0.0f, 1e-4f);
    EXPECT_NEAR(GlobalFunc::GetAngle(-1, 0, 0, 0), 90.0f, 1e-4f);
    EXPECT_NEAR(GlobalFunc::GetAngle(1, 0, 0, 0), 270.0f, 1e-4f);
    // Diagonals: atan(1) x 57.29747 = 0.7853982 x 57.29747 = 45.00133, the
    // factor being a little above 180 / pi.
    EXPECT_NEAR(GlobalFunc::GetAngle(1, 1, 0, 0), 225.00133f, 1e-4f);
    EXPECT_NEAR(GlobalFunc::GetAngle(1, -1, 0, 0), 314.99867f, 1e-4f);
}

TEST_F(GlobalFuncNumbers, AnglesCloseAcrossTheFullTurn)
{
    EXPECT_TRUE(GlobalFunc::AnglesClose(350.0f, 10.0f, 20.0f));
    EXPECT_FALSE(GlobalFunc::AnglesClose(350.0f, 10.0f, 19.9f));
    EXPECT_TRUE(GlobalFunc::AnglesClose(-10.0f, 370.0f, 20.0f));
    // Angles that no loop of 360-degree steps would bring home end at once.
    GlobalFunc::AnglesClose(1.0e30f, 0.0f, 1.0f);
    EXPECT_FALSE(GlobalFunc::AnglesClose(std::numeric_limits<float>::infinity(), 0.0f, 1.0f));
}

TEST_F(GlobalFuncNumbers, ArcSinGivesZeroAtTheEnds)
{
    EXPECT_NEAR(GlobalFunc::ArcSin(0.5f), 0.5235988f, 1e-6f);
    EXPECT_EQ(GlobalFunc::ArcSin(1.0f), 0.0f);
    EXPECT_TRUE(LogLines().empty());
    EXPECT_EQ(GlobalFunc::ArcSin(2.0f), 0.0f);
    EXPECT_EQ(LogLines(), std::vector<std::string>{"#DEBUG: GlobalFunc::ArcSin()"});
}

TEST_F(GlobalFuncNumbers, ColourScalingTakesEachChannel)
{
    EXPECT_EQ(GlobalFunc::ScaleColor(0x00FF8040, 128), 0x00804020u);
    EXPECT_EQ(GlobalFunc::ScaleColor(0x00FFFFFF, 300), 0x00FFFFFFu);
    EXPECT_EQ(GlobalFunc::ScaleColor(0x00FFFFFF, -5), 0u);
}

TEST_F(GlobalFuncNumbers, VolumesAndPansBecomeHundredthsOfADecibel)
{
    const std::pair<int, int> volumes[] = {{-5, -10000}, {1, -3300}, {50, -1667}, {99, -34}, {150, 0}};
    for (const auto& [volume, attenuation] : volumes)
        EXPECT_EQ(GlobalFunc::VolumeToAttenuation(volume), attenuation) << volume;
    const std::pair<float, int> levels[] = {{-0.25f, -2500}, {3.0f, 0}, {-1.0e20f, -10000}};
    for (const auto& [level, attenuation] : levels)
        EXPECT_EQ(GlobalFunc::ToAttenuation(level), attenuation) << level;
    const std::pair<float, int> pans[] = {{0.5f, 5000}, {3.0f, 10000}, {-7.0f, -10000}, {std::nanf(""), 0}};
    for (const auto& [pan, value] : pans)
        EXPECT_EQ(GlobalFunc::ToPan(pan), value) << pan;
}

TEST_F(GlobalFuncNumbers, InverseLerpOfAnEmptyRangeIsZeroWithAReport)
{
    EXPECT_FLOAT_EQ(GlobalFunc::InverseLerp(2.0f, 4.0f, 3.0f), 0.5f);
    EXPECT_FLOAT_EQ(GlobalFunc::InverseLerp(2.0f, 4.0f, 6.0f), 2.0f);
    EXPECT_TRUE(LogLines().empty());
    EXPECT_FLOAT_EQ(GlobalFunc::InverseLerp(2.0f, 2.0f, 3.0f), 0.0f);
    const std::vector<std::string> expected = {"#DEBUG: Invalid input parameters",
                                               "#DEBUG: breakpoint reached",
                                               "1063 in core/GlobalFunc_Levels.cpp"};
    EXPECT_EQ(LogLines(), expected);
}
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
                "Direct3D error: Caller:CUnit::RenderSelectionCircle/1 Fatal D3D error- ErrorCode:1 "
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
                "DirectSound error: Caller:CMusic::Play/1 Fatal DirectSound error- ErrorCode:-5 ");
    const std::vector<std::string> expected = {
        "CMusic::Play/1", "Fatal DirectSound error- ErrorCode:-5",
        std::string("Error description:") + SysSound::ErrorText(SysSound::ErrNoDriver)};
    EXPECT_EQ(ReportLog(), expected);
}
} // namespace
