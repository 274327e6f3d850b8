// The war galley's broadside through the real simulation step: its two
// shots per cycle of 120 counted ticks, and the cool-down after a lost
// target, which only a ready ship starts.

#include "TransportShip_Fixture.h"

#include <algorithm>

#include "effects/C_Particles.h"
#include "units/C_UnitActionBuffer.h"
#include "units/C_Unit_WarGalley.h"

namespace
{
constexpr int32_t CannonSample = 24;

class WarGalley : public TransportShip
{
protected:
    CUnitWarGalley* SpawnGalley(int32_t player, int32_t x, int32_t y)
    {
        return static_cast<CUnitWarGalley*>(world.Spawn(player, UNIT_WARGALLEY, x, y));
    }
    int32_t CannonShots() const
    {
        return static_cast<int32_t>(std::count(world.Samples().begin(), world.Samples().end(), CannonSample));
    }
};
}  // namespace

TEST_F(WarGalley, FiresOnTheFirstCountedTickAndAfterTwentyNineMoreEveryHundredAndTwenty)
{
    g_Particles.Reset();
    CUnitWarGalley* galley = SpawnGalley(0, 20, 20);
    ASSERT_NE(galley, nullptr);
    // A ground point ten blocks south of its centre block (22, 22).
    galley->onCommand(nullptr, nullptr, nullptr, 22, 32, CMD_ATTACK_GROUND);
    std::vector<int32_t> shotFrames;
    std::vector<int32_t> cycleAtShot;
    int32_t frame = 0;
    FramesUntil(400, [&] {
        ++frame;
        if (CannonShots() > static_cast<int32_t>(shotFrames.size()))
        {
            shotFrames.push_back(frame);
            cycleAtShot.push_back(galley->cycleTicks);
            EXPECT_TRUE(!g_Particles.GetProjectiles().empty() &&
                        g_Particles.GetProjectiles().back().aimHeight == 5.0f);   // a ground point
        }
        return shotFrames.size() >= 4;
    });
    ASSERT_EQ(shotFrames.size(), 4u);
    EXPECT_EQ(galley->facing, 270);   // its side to the point due south (facing 0)
    // The first shot on the first tick counted broadside on, the second on
    // the thirtieth; the next cycle starts 120 counted ticks after the first.
    EXPECT_EQ(cycleAtShot[0], 1);
    EXPECT_EQ(cycleAtShot[1], 30);
    EXPECT_EQ(std::vector<int32_t>({shotFrames[1] - shotFrames[0], shotFrames[2] - shotFrames[0],
                                    shotFrames[3] - shotFrames[0]}),
              std::vector<int32_t>({29, 120, 149}));
}

TEST_F(WarGalley, ALostTargetCoolsDownOnlyAReadyShipWhichStopsAtTheEndOfTheCycle)
{
    CUnitWarGalley* galley = SpawnGalley(0, 20, 20);
    CUnitTransportShip* prey = SpawnShip(1, 20, 32);
    ASSERT_TRUE(galley != nullptr && prey != nullptr);
    galley->onCommand(prey, nullptr, nullptr, prey->x, prey->y, CMD_ATTACK);
    ASSERT_GT(FramesUntil(400, [&] { return CannonShots() >= 1; }), 0);
    // A unit is aimed at 40 up.  In the middle of its cycle the ship is not ready: a renewed attack
    // keeps the shot fired, and a lost target changes nothing.
    ASSERT_TRUE(galley->animType == ANIM_ATTACK && galley->ready == 0 && galley->cycleTicks == 1);
    EXPECT_EQ(g_Particles.GetProjectiles().back().aimHeight, 40.0f);
    galley->SetModelByAnimation();
    EXPECT_TRUE(galley->firstShotFired == 1 && galley->ready == 0);
    galley->onTargetLost(prey, nullptr);
    EXPECT_EQ(galley->animType, ANIM_ATTACK);
    // Ready, it cools down for the rest of the 120 ticks, then stops.
    galley->ready = 1;
    galley->onTargetLost(prey, nullptr);
    EXPECT_EQ(galley->animType, ANIM_WIND_DOWN);
    EXPECT_EQ(FramesUntil(200, [&] { return galley->animType != ANIM_WIND_DOWN; }), 119);
    EXPECT_TRUE(galley->currentCommand == CMD_NONE && galley->firstShotFired == 0 && galley->secondShotFired == 0);
}
