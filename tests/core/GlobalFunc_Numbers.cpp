#include "tests/core/Core_Support.h"

#include <cmath>

#include "core/GlobalFunc.h"

namespace
{
using GlobalFuncNumbers = ConfigTestBase;

TEST_F(GlobalFuncNumbers, RandomDistancesAnglesArcSinAndInverseLerpWithTheirReportsOutsideTheirRange)
{
    GlobalFunc::SeedRandom(1);
    EXPECT_TRUE(GlobalFunc::Random(0) == 0 && GlobalFunc::Random(-7) == 0);
    // The refused calls drew nothing from the generator; a range of 1 draws, gives 0 and is no refusal.
    for (const auto& [n, value] : {std::pair{32768, 41}, {1, 0}, {32768, 6334}, {32768, 26500}, {32768, 19169}})
        EXPECT_EQ(GlobalFunc::Random(n), value);
    GlobalFunc::SeedRandom(12345);
    for (int value : {84, 64, 95, 25, 28})
        EXPECT_EQ(GlobalFunc::Random(100), value);
    EXPECT_EQ(LogLines().size(), 6u);   // a breakpoint report for each refusal
    m_Log.Clear();
    EXPECT_TRUE(GlobalFunc::Distance(0, 0, 3, 4) == 50 && GlobalFunc::Distance(0, 0, 1, 1) == 14 &&
                GlobalFunc::GetDistance(1, 1, 4, 5) == 50);
    EXPECT_TRUE(GlobalFunc::Distance(0, 0, 1, 0) == 10 && GlobalFunc::Distance(3, 4, 0, 0) == 50 &&
                GlobalFunc::Distance(5, 5, 5, 5) == 0);
    // sqrt(2 * 100000^2) * 10 = 1414213.56...: no overflow on the way.
    EXPECT_EQ(GlobalFunc::Distance(0, 0, 100000, 100000), 1414213);
    EXPECT_FLOAT_EQ(GlobalFunc::DistanceF(0.0f, 0.0f, 3.0f, 4.0f), 50.0f);

    // 4,4 to 4,4 is no vector at all.  Diagonals: atan(1) x 57.29747 = 45.00133, the factor a little above 180 / pi.
    const struct { float x, y, toX, toY, angle; } angles[] = {
        {0, -1, 0, 0, 0.0f}, {-1, 0, 0, 0, 90.0f},       {0, 1, 0, 0, 180.0f},       {1, 0, 0, 0, 270.0f},
        {4, 4, 4, 4, 90.0f}, {1, 1, 0, 0, 225.00133f}, {1, -1, 0, 0, 314.99867f}};
    for (const auto& a : angles)
        EXPECT_NEAR(GlobalFunc::GetAngle(a.x, a.y, a.toX, a.toY), a.angle, 1e-4f) << a.x << "," << a.y;
    EXPECT_TRUE(GlobalFunc::AnglesClose(350.0f, 10.0f, 20.0f) && !GlobalFunc::AnglesClose(350.0f, 10.0f, 19.9f) &&
                GlobalFunc::AnglesClose(-10.0f, 370.0f, 20.0f));
    // Angles that no loop of 360-degree steps would bring home end at once.
    GlobalFunc::AnglesClose(1.0e30f, 0.0f, 1.0f);
    EXPECT_FALSE(GlobalFunc::AnglesClose(std::numeric_limits<float>::infinity(), 0.0f, 1.0f));
    EXPECT_NEAR(GlobalFunc::ArcSin(0.5f), 0.5235988f, 1e-6f);
    EXPECT_EQ(GlobalFunc::ArcSin(1.0f), 0.0f);
    EXPECT_FLOAT_EQ(GlobalFunc::InverseLerp(2.0f, 4.0f, 6.0f), 2.0f);
    EXPECT_TRUE(LogLines().empty() && GlobalFunc::ArcSin(2.0f) == 0.0f);
    EXPECT_EQ(LogLines(), Lines{"#DEBUG: GlobalFunc::ArcSin()"});
    m_Log.Clear();
    EXPECT_FLOAT_EQ(GlobalFunc::InverseLerp(2.0f, 2.0f, 3.0f), 0.0f);
    EXPECT_EQ(LogLines(), Breakpoint(1063, "core/GlobalFunc_Levels.cpp", "#DEBUG: Invalid input parameters"));
}

TEST_F(GlobalFuncNumbers, ColoursVolumesAndPans)
{
    EXPECT_TRUE(GlobalFunc::ScaleColor(0x00FF8040, 128) == 0x00804020u &&
                GlobalFunc::ScaleColor(0x00FFFFFF, 300) == 0x00FFFFFFu && GlobalFunc::ScaleColor(0x00FFFFFF, -5) == 0u);
    // Hundredths of a decibel.
    const std::pair<int, int> volumes[] = {{-5, -10000}, {0, -10000}, {1, -3300}, {50, -1667}, {99, -34},
                                          {100, 0}, {150, 0}};
    for (const auto& [volume, attenuation] : volumes)
        EXPECT_EQ(GlobalFunc::VolumeToAttenuation(volume), attenuation) << volume;
    const std::pair<float, int> levels[] = {{-0.25f, -2500}, {3.0f, 0}, {-1.0e20f, -10000}};
    for (const auto& [level, attenuation] : levels)
        EXPECT_EQ(GlobalFunc::ToAttenuation(level), attenuation) << level;
    const std::pair<float, int> pans[] = {{0.5f, 5000}, {3.0f, 10000}, {-7.0f, -10000}, {std::nanf(""), 0}};
    for (const auto& [pan, value] : pans)
        EXPECT_EQ(GlobalFunc::ToPan(pan), value) << pan;
}
} // namespace
