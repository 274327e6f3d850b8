// What the transport ship leaves on the water: the wake of a lying ship,
// the splashes of its sinking and the wreck that sinks as it fades.

#include "TransportShip_Fixture.h"

#include "buildings/C_BuildingDraw.h"
#include "effects/C_Particles.h"
#include "media/C_ModelRecord.h"

TEST_F(TransportShip, WakeWavesThenASinkingWithSplashesAndAFadingWreck)
{
    AllocGlobalModels();
    CBuildingDraw::ClearDraws();
    CUnitTransportShip* ship = SpawnShip(0);
    ship->facing = 90;   // heading +x: the stern wave lies 60/32 block to the west
    g_Particles.ClearEffects();
    ship->Animate(128);
    ASSERT_EQ(g_Particles.GetEffects().size(), 7u);
    EXPECT_NEAR(g_Particles.GetEffects()[6].x - ship->centreX, -60.0f / 32.0f, 1e-4f);

    g_Particles.ClearEffects();
    ship->TakeHit(nullptr, 100000, 1, false);
    int32_t splashes = 0;
    for (const SEffectParticle& effect : g_Particles.GetEffects())
        splashes += effect.kind == CParticles::KindWaterSplash && effect.height >= 20.0f && effect.height < 40.0f;
    EXPECT_EQ(splashes, 20);
    for (float fade : {1.0f, 0.5f, 0.0f})
        ship->RenderAt(fade, 0.0f, 255);
    ASSERT_EQ(CBuildingDraw::GetDraws().size(), 2u);
    EXPECT_EQ(CBuildingDraw::GetDraws()[0].model, 45);
    EXPECT_FLOAT_EQ(CBuildingDraw::GetDraws()[0].height, -10.0f);
    EXPECT_FLOAT_EQ(CBuildingDraw::GetDraws()[1].height, -60.0f);
    CBuildingDraw::ClearDraws();
    FreeGlobalModels();
}
