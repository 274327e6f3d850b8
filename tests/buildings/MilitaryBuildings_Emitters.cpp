// The blacksmith's forge smoke and the dark altar's two flames: lit once
// the building is finished, once however often it is finished, and put out
// when it is destroyed.

#include <gtest/gtest.h>

#include "buildings/C_BuildingBlacksmith.h"
#include "buildings/C_BuildingCastTable.h"
#include "buildings/C_BuildingDarkAltar.h"
#include "effects/C_Particles.h"
#include "tests/buildings/Catalogue_World.h"
#include "world/C_GameMap.h"

TEST(MilitaryBuildingsEmitters, LitOnceOnCompletionAtTheirPointsAndPutOutWhenDestroyed)
{
    CatalogueWorld world;
    auto* smithy = static_cast<CBuildingBlacksmith*>(world.Place(0, CastBlacksmith, 10, 20));
    auto* altar = static_cast<CBuildingDarkAltar*>(world.Place(0, CastDarkAltar, 20, 20));
    ASSERT_TRUE(smithy != nullptr && altar != nullptr);
    EXPECT_EQ(g_Particles.GetEmitterCount(), 0);
    for (int32_t times = 0; times < 2; ++times)
    {
        smithy->Construct(0.0f, true);
        altar->Construct(0.0f, true);
        smithy->OnFinished();
        altar->OnFinished();
    }
    EXPECT_EQ(g_Particles.GetEmitterCount(), 3);
    const CParticles::SEmitter* smoke = g_Particles.FindEmitter(smithy->smokeEmitter);
    const CParticles::SEmitter* flame = g_Particles.FindEmitter(altar->flameEmitters[1]);
    ASSERT_TRUE(smoke != nullptr && flame != nullptr);
    EXPECT_TRUE(smoke->kind == CParticles::KindSmoke && smoke->x == 10.92f && smoke->y == 22.31f);
    EXPECT_FLOAT_EQ(smoke->height, g_GameMap.GetHeight(10.92f, 22.31f) + 70.0f);
    EXPECT_TRUE(flame->kind == CParticles::KindFlame && flame->x == 20.7f && flame->y == 24.4f);

    smithy->Destroy(false);
    altar->Destroy(false);
    EXPECT_EQ(g_Particles.GetEmitterCount(), 0);
    EXPECT_TRUE(smithy->smokeEmitter == -1 && altar->flameEmitters[0] == -1);
}
