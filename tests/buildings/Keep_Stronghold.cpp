// The keep and the stronghold: the upgrade at the next step, the hearth, the saved extra.

#include "buildings/C_BuildingKeep.h"
#include "tests/buildings/BuildingWorld.h"
#include "tests/support/MemorySaveStream.h"
#include "tests/support/RecordBytes.h"
#include "tests/support/SaveGameRun.h"
#include "units/C_UnitActionBuffer.h"
#include "units/C_Unit_King.h"
#include "world/C_ReferenceBase.h"

namespace
{
constexpr int32_t Stronghold = 8;

class KeepStronghold : public ::testing::Test
{
protected:
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

    CBuildingWorld world;
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
    step(true, 0.0f);
    for (const CBuildingKeep* keep : {first, second})
        EXPECT_TRUE(keep->model == CBuildingKeep::UpgradeModel && keep->hearthEmitter == -1);
    // Three dust puffs over each upgrading keep.
    const std::vector<SEffectParticle>& effects = g_Particles.GetEffects();
    EXPECT_EQ(std::count_if(effects.begin(), effects.end(), [](auto& e) { return e.kind == CParticles::KindDust; }), 6);
    int32_t sound[2] = {};
    second->GetSelectSound(&sound[0], &sound[1]);
    EXPECT_EQ(sound[0], 185);
    // Stopped short: the plain keep with its hearth lit again.
    step(false, 40.0f);
    EXPECT_EQ(second->model, CBuildingKeep::KeepModel);
    ASSERT_TRUE(Burns(*second));
    const CParticles::SEmitter* hearth = g_Particles.FindEmitter(second->hearthEmitter);
    EXPECT_EQ(Floats({hearth->x, hearth->y, hearth->height}),
              Floats({23.21f, 13.01f, g_GameMap.GetHeight(23.21f, 13.01f) + 6.0f}));

    step(true, 0.0f);
    step(false, CTechnology::ResearchedProgress);
    for (const CBuildingKeep* keep : {first, second})
    {
        EXPECT_TRUE(keep->model == CBuildingKeep::StrongholdModel && keep->hearthEmitter == -1);
        EXPECT_STREQ(keep->GetNameKey(), "BD_STRONGHOLD");
        EXPECT_EQ(keep->GetIconIndex(), 61);
    }
    float cost[3] = {-1.0f, -1.0f, -1.0f};
    first->GetWorkCost(&cost[0], &cost[1], &cost[2]);
    int32_t debris[2] = {};
    first->GetHitDebris(&debris[0], &debris[1]);
    EXPECT_EQ(Floats({float(first->GetMaxHitPoints()), first->GetRepairRate(), first->GetDamageFactor1(),
                      cost[0], cost[1], cost[2], float(debris[0]), float(debris[1])}),
              Floats({1600.0f, 0.5f, 0.2f, 0.2f, 0.8f, 0.0f, 5.0f, 0.0f}));
    EXPECT_TRUE(other->model == CBuildingKeep::KeepModel && Burns(*other));
    // A keep begun afterwards rises through the stronghold's stages; the factory makes it a stronghold at once.
    auto* later = static_cast<CBuildingKeep*>(world.Player(0).CreateBuilding(CastKeep, 10, 30));
    later->Construct(0.0f, false);
    EXPECT_EQ(later->model, 173);
    CBuilding* made = world.Player(0).BuildingFactory(CastKeep, 0, 0, 0);
    EXPECT_EQ(made->model, 172);
    delete made;
}

TEST_F(KeepStronghold, AGameWithTheKingInsideLoadsBackAndTheKeepsPartRefusesBadValues)
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
    auto* keep = dynamic_cast<CBuildingKeep*>(g_GameMap.Block(20, 20).building);
    ASSERT_NE(keep, nullptr);
    auto* sheltered = dynamic_cast<CUnitKing*>(keep->GetKing());
    ASSERT_NE(sheltered, nullptr);
    EXPECT_TRUE(sheltered->keep == keep && !sheltered->onMap);

    CUnit* warrior = world.Spawn(0, UNIT_WARRIOR, -1, -1);
    CReferenceBase table;
    const int32_t kingId = table.AddUnit(sheltered);
    const int32_t warriorId = table.AddUnit(warrior);
    table.AddBuilding(keep);
    CMemorySaveStream out;
    keep->SaveGameExtra(out, table);
    const std::string bytes = out.Bytes();
    EXPECT_EQ(bytes, CRecordBytes().I32(keep->hearthEmitter).I32(kingId).Bytes());
    const struct { size_t at; int32_t value; const char* logged; } badRecords[] = {
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
        EXPECT_TRUE(!refused.LoadGameExtra(in, table) && log.Contains(bad.logged) &&
                    refused.GetKing() == nullptr && refused.hearthEmitter == -1);
    }
}
