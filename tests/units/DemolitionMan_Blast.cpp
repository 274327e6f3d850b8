// A demolition man blows up beside an enemy barracks, at the end of its
// attack cycle or five ticks after it was killed there, once only.

#include <algorithm>
#include <cmath>

#include "buildings/C_Building.h"
#include "buildings/C_BuildingCastTable.h"
#include "tests/units/Melee_World.h"
#include "units/C_UnitActionBuffer.h"
#include "units/C_UnitTypeTable.h"
#include "units/C_Unit_DemolishMan.h"

namespace
{
int32_t BlastsFrom(const CUnit* source)
{
    const auto& flying = g_Particles.GetProjectiles();
    return static_cast<int32_t>(std::count_if(flying.begin(), flying.end(), [source](const auto& shot) {
        return shot.kind == CParticles::KindBlast && shot.shooter == source && shot.blastRadius == 1 &&
               shot.unitDamageType == 8;
    }));
}
}  // namespace

TEST(DemolitionManBlast, ItBlowsUpOnceBesideABarracksAfterItsAttackOrFiveTicksAfterItsDeath)
{
    for (const bool killed : {false, true})
    {
        SCOPED_TRACE(killed ? "killed" : "attack");
        CMeleeWorld world;
        CBuilding* barracks = world.world.Player(0).CreateBuilding(CastBarracks, 20, 20);
        barracks->Construct(0.0f, true);
        CUnit* bomber = world.Spawn(1, UNIT_DEMOLISHMAN, 14, 21, STANCE_STAND_GROUND);
        bomber->onCommand(nullptr, barracks, nullptr, 21, 21, CMD_ATTACK);
        ASSERT_GT(world.FramesUntil(300, [&] { return bomber->animType == ANIM_ATTACK; }), 0);
        EXPECT_TRUE(bomber->IsAdjacentToBuilding(barracks));
        if (killed)
            bomber->TakeHit(nullptr, 1000, DAMAGE_ARROW, false);
        // Ticks until the blast: the attack cycle at 1.5 frames a tick, or
        // the five ticks of the fall.
        const int32_t expected = killed ? 5 : static_cast<int32_t>(std::ceil(CMeleeWorld::FrameCount / 1.5f));
        int32_t blastTick = 0;
        for (int32_t tick = 1; tick <= 30; ++tick)
            if (!bomber->Animate(1))
            {
                EXPECT_EQ(blastTick, 0) << "a second blast at tick " << tick;
                blastTick = tick;
            }
        EXPECT_TRUE(blastTick == expected && BlastsFrom(bomber) == 1 && g_Particles.GetExplosionMarkCount() == 1 &&
                    g_Particles.HoldsCorpse(bomber) && g_Particles.GetCorpseCount() == 1);
        EXPECT_FALSE(world.world.Player(1).HasUnit(bomber));
        // A death that comes late starts no second fall and no second blast.
        bomber->RemoveFromWorld(true);
        static_cast<CUnitDemolishMan*>(bomber)->Explode();
        EXPECT_TRUE(BlastsFrom(bomber) == 1 && g_Particles.GetCorpseCount() == 1);
        world.Frame();
        // 300 of the barracks' 1200 hit points at its third factor, 1.0.
        EXPECT_FLOAT_EQ(barracks->health, 75.0f);
        EXPECT_EQ(world.firstFault, "");
    }
}
