#pragma once
// A harness world for the fighting tests: every model given FrameCount frames, no particles left over, each
// frame followed by the invariant check, whose first fault fails the test when the world goes.

#include <gtest/gtest.h>

#include "effects/C_Particles.h"
#include "media/C_ModelRecord.h"
#include "tests/support/SimHarness.h"
#include "units/C_Unit.h"
#include "units/C_UnitAnimationTable.h"

class CMeleeWorld
{
public:
    static constexpr int32_t FrameCount = 20;

    explicit CMeleeWorld(uint32_t seed = 1) : world(CSimHarness::DefaultMapSide, seed)
    {
        AllocGlobalModels();
        CUnitAnimationTable::ResetLoggedModels();
        g_Particles.Reset();
        for (int32_t model = 0; model < GlobalModelCount; ++model)
            GetGlobalModel(model)->object.frameCount = FrameCount;
    }
    ~CMeleeWorld() { EXPECT_EQ(firstFault, ""); FreeGlobalModels(); }

    // A unit with that stance that has looked around once (as after an order).
    CUnit* Spawn(int32_t player, int32_t type, int32_t x, int32_t y, int32_t stance)
    {
        CUnit* unit = world.Spawn(player, type, x, y);
        if (unit != nullptr)
            unit->stance = stance, unit->Stop();
        return unit;
    }

    // One frame of one tick; the first invariant fault is kept.
    void Frame()
    {
        world.Frame(1);
        if (!firstFault.empty())
            return;
        const std::vector<std::string> faults = world.CheckInvariants();
        if (!faults.empty())
            firstFault = faults.front();
    }

    // Frames until the test holds, at most `most`; the frames taken.
    template <typename Test>
    int32_t FramesUntil(int32_t most, Test test)
    {
        for (int32_t frame = 1; frame <= most; ++frame)
        {
            Frame();
            if (test())
                return frame;
        }
        return -1;
    }

    static int32_t AttackOf(const CUnit& unit) { int32_t base = 0, bonus = 0; return unit.GetAttack(&base, &bonus); }
    // Effect particles of kinds lowest to highest (body parts are 50 to 61).
    static int32_t EffectsOfKinds(int32_t lowest, int32_t highest)
    {
        int32_t count = 0;
        for (const SEffectParticle& effect : g_Particles.GetEffects())
            count += effect.kind >= lowest && effect.kind <= highest ? 1 : 0;
        return count;
    }

    CSimHarness world;
    std::string firstFault;
};
