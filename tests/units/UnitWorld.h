#pragma once

#include <gtest/gtest.h>

#include "buildings/C_Building.h"
#include "core/C_Localizer.h"
#include "tests/support/SentPackets.h"
#include "tests/support/SimHarness.h"
#include "tests/support/TestWalker.h"
#include "units/C_Unit.h"
#include "units/C_UnitActionBuffer.h"

// Fails the test with the first broken invariant; true when there is none.
inline bool ExpectWorldSound(const CSimHarness& world)
{
    const std::vector<std::string> faults = world.CheckInvariants();
    EXPECT_TRUE(faults.empty()) << (faults.empty() ? "" : faults.front());
    return faults.empty();
}

// A building of the cast (and resource kind) at full health, for the tests that put it on blocks themselves.
class CBuildingDouble : public CBuilding
{
public:
    CBuildingDouble(int32_t x, int32_t y, int32_t owner, int32_t cast, int32_t resourceKind = 0)
        : CBuilding(x, y, owner), m_Cast(cast), m_ResourceKind(resourceKind) { health = FullHealth; }
    int32_t GetBuildCast() const override { return m_Cast; }
    int32_t GetResourceKind() const override { return m_ResourceKind; }

private:
    int32_t m_Cast, m_ResourceKind;
};

class UnitWorldTest : public ::testing::Test
{
protected:
    ~UnitWorldTest() override { g_Localizer.Clear(); }
    // Every test ends in a sound world.
    void TearDown() override { ExpectWorldSound(world); }
    // The message texts a test shows, as lines of a locale file.
    static void UseTexts(const std::string& lines)
    {
        g_Localizer.Clear();
        ASSERT_TRUE(g_Localizer.LoadLocaleText("test", lines.c_str(), int(lines.size())));
    }
    CTestWalker* Walker(int32_t player, int32_t x, int32_t y, float speed = 0.1f)
    {
        return static_cast<CTestWalker*>(world.Adopt(player, new CTestWalker(speed), x, y));
    }
    static void MoveTo(CUnit* u, int32_t x, int32_t y) { u->onCommand(nullptr, nullptr, nullptr, x, y, CMD_MOVE_TO); }
    bool FrameSound(int32_t ticks = 1) { world.Frame(ticks); return ExpectWorldSound(world); }
    // Frames of one tick, each followed by the invariant check, until `done` holds: their number, or -1
    // when it never held within `most` frames or the world broke.
    template <typename Done>
    int32_t FramesUntil(int32_t most, Done done)
    {
        for (int32_t frame = 1; frame <= most; ++frame)
        {
            world.Frame(1);
            if (!ExpectWorldSound(world))
                return -1;
            if (done())
                return frame;
        }
        return -1;
    }

    CSimHarness world;
};
