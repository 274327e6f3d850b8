// The keep and the stronghold: every keep of the owner follows the research
// of "TC_TRONGHOLD" at the next simulation step, the hearth goes out and is
// lit again with it, and the keep's part of a saved game (hearth and king)
// comes back byte for byte, bad values refused.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "buildings/C_BuildingCastTable.h"
#include "buildings/C_BuildingDust.h"
#include "buildings/C_BuildingKeep.h"
#include "effects/C_Particles.h"
#include "tests/support/MemorySaveStream.h"
#include "tests/support/RecordBytes.h"
#include "tests/support/ReferenceBytes.h"
#include "tests/support/SaveGameRun.h"
#include "tests/support/SimHarness.h"
#include "tests/support/TestLog.h"
#include "units/C_UnitActionBuffer.h"
#include "units/C_UnitTypeTable.h"
#include "units/C_Unit_King.h"
#include "world/C_GameMap.h"
#include "world/C_ReferenceBase.h"

namespace
{
constexpr int32_t Stronghold = 8;   // "TC_TRONGHOLD"

class KeepStronghold : public ::testing::Test
{
protected:
    void SetUp() override { g_Particles.Reset(); }
    void TearDown() override { g_Particles.Reset(); }

    CBuildingKeep* Keep(int32_t player, int32_t x, int32_t y)
    {
        auto* keep = static_cast<CBuildingKeep*>(world.Player(player).CreateBuilding(CastKeep, x, y));
        keep->Construct(0.0f, true);
        return keep;
    }
    static bool Burns(const CBuildingKeep& keep)
    {
        const CParticles::SEmitter* hearth = g_Particles.FindEmitter(keep.hearthEmitter);
        return hearth != nullptr && hearth->kind == CParticles::KindFlame;
    }

    CSimHarness world;
};
}  // namespace

TEST_F(KeepStronghold, EveryKeepOfTheOwnerFollowsTheUpgradeAtTheNextStep)
{
    CBuildingKeep* first = Keep(0, 10, 10);
    CBuildingKeep* second = Keep(0, 20, 10);
    CBuildingKeep* other = Keep(1, 30, 30);
    CTechnology& research = world.Player(0).technologies[Stronghold];
    auto step = [&](bool researching, float progress) {
        research.researchingBuilding = researching ? first : nullptr;
        first->research = researching ? &research : nullptr;
        research.progress = progress;
        world.Frame(1);
    };
    g_BuildingDust.Clear();
    step(true, 0.0f);
    for (const CBuildingKeep* keep : {first, second})
    {
        EXPECT_EQ(keep->model, CBuildingKeep::UpgradeModel);
        EXPECT_EQ(keep->hearthEmitter, -1);
    }
    EXPECT_GE(g_BuildingDust.GetPuffs().size(), 6u);
    int32_t sample = 0;
    int32_t variants = 0;
    second->GetSelectSound(&sample, &variants);
    EXPECT_EQ(sample, 185);
    // Stopped short: the plain keep with its hearth lit again.
    step(false, 40.0f);
    EXPECT_EQ(second->model, CBuildingKeep::KeepModel);
    ASSERT_TRUE(Burns(*second));
    const CParticles::SEmitter* hearth = g_Particles.FindEmitter(second->hearthEmitter);
    EXPECT_FLOAT_EQ(hearth->x, 23.21f);
    EXPECT_FLOAT_EQ(hearth->y, 13.01f);
    EXPECT_FLOAT_EQ(hearth->height, g_GameMap.GetHeight(23.21f, 13.01f) + 6.0f);

    step(true, 0.0f);
    step(false, CTechnology::ResearchedProgress);
    for (const CBuildingKeep* keep : {first, second})
    {
        EXPECT_EQ(keep->model, CBuildingKeep::StrongholdModel);
        EXPECT_EQ(keep->hearthEmitter, -1);
        EXPECT_STREQ(keep->GetNameKey(), "BD_STRONGHOLD");
        EXPECT_EQ(keep->GetIconIndex(), 61);
    }
    EXPECT_EQ(other->model, CBuildingKeep::KeepModel);
    EXPECT_TRUE(Burns(*other));
    // A keep begun afterwards rises through the stronghold's stages.
    auto* later = static_cast<CBuildingKeep*>(world.Player(0).CreateBuilding(CastKeep, 10, 30));
    later->Construct(0.0f, false);
    EXPECT_EQ(later->model, 173);
}

TEST_F(KeepStronghold, AGameWithTheKingInsideLoadsBackByteForByte)
{
    CSaveGameRun::UseSaveLanguage();
    Keep(0, 20, 20);
    auto* king = static_cast<CUnitKing*>(world.Spawn(0, UNIT_KING, 18, 20));
    king->onCommand(nullptr, nullptr, nullptr, king->x, king->y, CMD_ENTER_KEEP);
    for (int32_t i = 0; i < 20 && king->keep == nullptr; ++i)
        CSaveGameRun::Frame(world);
    ASSERT_NE(king->keep, nullptr);
    const std::vector<uint8_t> save = CSaveGameRun::SaveDrawn();
    ASSERT_TRUE(CSaveGameRun::Load(save));
    EXPECT_EQ(CSaveGameRun::SaveDrawn(), save);
    const auto* loaded = dynamic_cast<const CBuildingKeep*>(g_GameMap.Block(20, 20).building);
    ASSERT_NE(loaded, nullptr);
    const auto* sheltered = dynamic_cast<const CUnitKing*>(loaded->GetKing());
    ASSERT_NE(sheltered, nullptr);
    EXPECT_EQ(sheltered->keep, loaded);
    EXPECT_FALSE(sheltered->onMap);
}

TEST_F(KeepStronghold, TheKeepsPartIsTheHearthAndTheKingAndBadValuesAreRefused)
{
    CBuildingKeep* keep = Keep(0, 20, 20);
    CUnit* king = world.Spawn(0, UNIT_KING, -1, -1);
    CUnit* warrior = world.Spawn(0, UNIT_WARRIOR, -1, -1);
    keep->Garrison(king);
    CReferenceBase table;
    const int32_t kingId = table.AddUnit(king);
    const int32_t warriorId = table.AddUnit(warrior);
    table.AddBuilding(keep);
    CMemorySaveStream out;
    keep->SaveGameExtra(out, table);
    const std::string bytes = out.Bytes();
    EXPECT_EQ(bytes, LE32(static_cast<uint32_t>(keep->hearthEmitter)) + LE32(static_cast<uint32_t>(kingId)));

    const struct
    {
        size_t at;
        int32_t value;
        const char* logged;
    } badRecords[] = {
        {0, -2, "Keep refused: a bad hearth handle"},
        {4, warriorId, "Keep refused: the king id names no king of the owner"},
        {4, 9999, "Keep refused: the king id names no king of the owner"},
    };
    for (const auto& bad : badRecords)
    {
        SCOPED_TRACE(bad.logged);
        CTestLog log;
        CBuildingKeep refused(0);
        CMemorySaveStream in(CRecordBytes::WithI32At(bytes, bad.at, bad.value));
        EXPECT_FALSE(refused.LoadGameExtra(in, table));
        EXPECT_TRUE(log.Contains(bad.logged));
        EXPECT_TRUE(refused.GetKing() == nullptr && refused.hearthEmitter == -1);
    }
    keep->garrisonedUnit = nullptr;
}
