// A camera flight over a map with a lake in the west and a forest in the
// east, heard through the game's sample bank: the water is asked for only
// with the lake in view, the birds only over the forest.

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "EnvironmentWorld.h"
#include "media/C_VoiceBank.h"
#include "tests/support/PlayerTestObjects.h"

namespace
{
bool Requested(int32_t firstSlot, int32_t count)
{
    for (int32_t slot = firstSlot; slot < firstSlot + count; ++slot)
        if (g_VoiceBank.GetSlot(slot)->request != CVoiceBank::RequestNone)
            return true;
    return false;
}
} // namespace

TEST(EnvironmentFXFlight, WaterOnlyWithTheLakeInViewBirdsOnlyOverTheForest)
{
    EnvironmentWorld world;
    g_VoiceBank.Init(SoundBankSlots, nullptr);
    g_EnvironmentFX.SetSampleBank(nullptr);
    EnvironmentWorld::Flood(0, 0, 16, 64, 4);   // the lake: x 0 .. 15
    std::vector<std::unique_ptr<TestBuilding>> trees;   // the forest: x 48 .. 63
    for (int32_t x = 48; x < 64; x += 2)
        for (int32_t y = 0; y < 64; y += 2)
        {
            trees.push_back(std::make_unique<TestBuilding>(10, 2, 0));
            EnvironmentWorld::Stand(trees.back().get(), x, y, x + 2, y + 2);
        }
    int32_t waterHeard = 0, birdsHeard = 0;
    for (int32_t x = 62; x >= 2; x -= 2)
    {
        g_GameMap.cameraTargetX = float(x) + 0.5f;
        SysClock::AdvanceTestClock(2100);
        g_EnvironmentFX.Update();
        const bool water = Requested(CEnvironmentFX::WaterSlots.first, 5);
        const bool birds = Requested(CEnvironmentFX::BirdSlots.first, CEnvironmentFX::BirdSlots.count);
        g_VoiceBank.UpdateSoundEvents(x, 32);
        // Beyond the 25 blocks of the view nothing is heard; well inside it is.
        EXPECT_TRUE(x - 15 < 25 || !water) << x;
        EXPECT_TRUE(x > 30 || water) << x;
        EXPECT_TRUE(48 - x < 25 || !birds) << x;
        EXPECT_TRUE(x < 48 || birds) << x;
        waterHeard += water ? 1 : 0;
        birdsHeard += birds ? 1 : 0;
    }
    EXPECT_GT(waterHeard, 10);
    EXPECT_GT(birdsHeard, 5);
    g_VoiceBank.Free();
}
