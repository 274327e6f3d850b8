// Wall segments: the shapes a line of them takes, the first stroke that blocks
// the block but not while a unit stands there, the damaged look, the saved part.

#include <cmath>

#include "buildings/C_BuildingWall.h"
#include "tests/buildings/Decoration_World.h"
#include "units/C_UnitTypeTable.h"

using WallJoints = CDecorationWorld;

TEST_F(WallJoints, ARowJoinsIntoARunAndASideSegmentMakesTheMiddleAPost)
{
    CBuildingWall* row[3] = {};
    for (int32_t i = 0; i < 3; ++i)
        row[i] = dynamic_cast<CBuildingWall*>(world.Player(0).CreateBuilding(CastWall, 10 + i, 10));
    EXPECT_TRUE(row[0]->joinState == 0 && row[1]->joinState == 1 && row[2]->joinState == 0 && row[1]->model == 187);
    world.Player(0).CreateBuilding(CastWall, 11, 11);
    EXPECT_EQ(row[1]->joinState, CBuildingWall::ShapePost);
}

TEST_F(WallJoints, TheFirstStrokeBlocksTheBlockButNotWhileAUnitStandsThereAndOnlyBelowHalfHealthLooksDamaged)
{
    auto* wall = dynamic_cast<CBuildingWall*>(world.Player(0).CreateBuilding(CastWall, 10, 10));
    const SMapBlock& block = g_GameMap.Block(10, 10);
    CUnit* warrior = world.Spawn(1, UNIT_WARRIOR, 10, 10);
    EXPECT_FALSE(wall->Construct(1.0f, false));
    EXPECT_EQ(block.blocked, 0);
    world.Delete(warrior);
    while (wall->Construct(1.0f, false))
        EXPECT_EQ(block.blocked, 1);
    EXPECT_TRUE(world.Messages().empty());
    for (const auto& [health, model] : {std::pair{50.0f, 196}, {49.9f, 200}})
    {
        wall->health = health;
        wall->OnHealthChanged();
        EXPECT_EQ(wall->model, model) << health;
    }
}

TEST_F(WallJoints, TheSavedPartIsTheShapeAndBothSlopes)
{
    const std::string part = CRecordBytes().I32(1).F32(0.25f).F32(-1.5f).Bytes();
    CBuildingWall wall(0);
    ExpectPart(wall, part, CRecordBytes::WithI32At(part, 0, 3), "Wall refused: a shape that is no wall's");
    ExpectPart(wall, part, CRecordBytes::WithF32At(part, 8, INFINITY), "Wall refused: a slope out of range");
}
