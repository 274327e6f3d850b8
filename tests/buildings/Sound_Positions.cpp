// Units and buildings are heard from where they stand: the sample bank's
// request for them carries the volume their distance to the listener leaves.

#include "core/C_Config.h"
#include "media/C_VoiceBank.h"
#include "tests/buildings/BuildingWorld.h"

namespace
{
constexpr int32_t Sample = 64;
constexpr float MarkerPan = 0.5f;
}  // namespace

// Configured sound volume 100.  A unit is heard at 100 where the local player sees its tile, at 50 when it belongs to
// a friend elsewhere, else not at all; a building at 100 where its centre block is seen, else at 50.  The distance
// factor is 100 up to 12 blocks, 100 - (int)((d - 12) * 100 / 38) up to 50, and nothing at 0 or beyond: 13 blocks
// give 98, 31 give 50, 49 give 3, 50 give 0.  A request not made leaves the marker pan in place.
TEST(SoundPositions, UnitsAndBuildingsAreHeardByDistanceFromTheListener)
{
    // A volume of -1: not heard.
    const struct Case { const char* name; bool building, seen, allied; int32_t blocks, volume; } cases[] = {
        {"seen unit at the full-volume distance", false, true, false, 12, 100},
        {"seen unit one block further", false, true, false, 13, 98},
        {"friend's unit out of sight", false, false, true, 12, 50},
        {"friend's unit out of sight, one block further", false, false, true, 13, 49},
        {"friend's unit out of sight, far", false, false, true, 31, 25},
        {"seen unit at the edge of hearing", false, true, false, 49, 3},
        {"seen unit at the silence distance", false, true, false, 50, -1},
        {"seen unit far beyond hearing", false, true, false, 90, -1},
        {"enemy unit out of sight", false, false, false, 5, -1},
        {"seen building", true, true, false, 12, 100},
        {"building out of sight", true, false, false, 12, 50},
        {"building out of sight, far", true, false, true, 31, 25},
        {"seen building at the silence distance", true, true, false, 50, -1},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        CBuildingWorld world;
        SetPlayerServices(nullptr);   // the game's own: the global sample bank
        g_Config.audioEnabled = 1;
        g_Config.soundVolume = 100;
        g_VoiceBank.Init(SoundBankSlots, nullptr);
        world.Player(0).allied[1] = c.allied ? 1 : 0;
        // Barracks are 5 x 6: the corner (8, 17) has its centre at (10, 20).
        if (c.seen)
            world.Player(0).RevealArea(10, 20, 10, 20, 255);
        g_VoiceBank.UpdateSoundEvents(10 - c.blocks, 20);
        g_VoiceBank.Play(Sample, 1, 0, 0, MarkerPan);
        if (c.building)
            world.Make(1, CastBarracks, 8, 17)->PlaySound(Sample, 1, false);
        else
            world.Spawn(1, UNIT_WARRIOR, 10, 20)->PlaySoundAt(Sample, 1, 0);
        const CVoiceBank::SSlot* slot = g_VoiceBank.GetSlot(Sample);
        ASSERT_NE(slot, nullptr);
        EXPECT_EQ(slot->requestVolume, std::max(c.volume, 0));
        EXPECT_EQ(slot->requestPan, c.volume < 0 ? MarkerPan : 0.0f);
        g_VoiceBank.Free();
    }
}
