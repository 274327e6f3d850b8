// The table with the game's own objects: units and buildings made again by
// their players' factories.

#include <memory>
#include <string>

#include "Player_Fixture.h"
#include "world/C_ReferenceBase.h"
#include "world/C_SaveGame.h"

class ReferenceBaseGameTest : public PlayerTest
{
protected:
    void SetUp() override
    {
        PlayerTest::SetUp();
        g_Config.languageFolder = "English\\";
    }
};

TEST_F(ReferenceBaseGameTest, ObjectsAreMadeAgainByTheirPlayersFactories)
{
    constexpr int32_t UnitType = 6;
    constexpr int32_t ResourceSite = 10;
    constexpr int32_t Rock = 3;
    std::unique_ptr<CUnit> unit(g_Players[2].UnitFactory(UnitType));
    CBuilding* site = g_Players[4].BuildingFactory(ResourceSite, Rock, 0, 0);
    ASSERT_TRUE(unit && site);
    EXPECT_EQ(site->owner, -1);
    auto table = std::make_unique<CReferenceBase>();
    table->AddUnit(unit.get());
    table->AddBuilding(site);

    const std::string path = Folder().File("game.save");
    CSaveGame save;
    ASSERT_TRUE(save.BeginSave(path.c_str()));
    table->SaveGame(save);
    save.Close();
    ASSERT_FALSE(save.HasError());

    g_LocalPlayer = 5;
    auto loaded = std::make_unique<CReferenceBase>();
    CSaveGame load;
    load.BeginLoad(path.c_str());
    ASSERT_TRUE(loaded->LoadGame(load));
    load.Close();
    g_LocalPlayer = 0;
    ASSERT_FALSE(load.HasError());

    std::unique_ptr<CUnit> madeUnit(loaded->GetUnit(0));
    CBuilding* madeSite = loaded->GetBuilding(1);
    ASSERT_TRUE(madeUnit && madeSite);
    EXPECT_NE(madeUnit.get(), unit.get());
    EXPECT_EQ(madeUnit->player, 2);
    EXPECT_EQ(madeUnit->GetCastID(), UnitType);
    EXPECT_EQ(madeSite->GetBuildCast(), ResourceSite);
    EXPECT_EQ(madeSite->GetResourceKind(), Rock);
    // Neutral, so made by the local player's factory.
    EXPECT_EQ(madeSite->owner, -1);
    ASSERT_FALSE(Services().buildingFactoryPlayers.empty());
    EXPECT_EQ(Services().buildingFactoryPlayers.back(), 5);
}
