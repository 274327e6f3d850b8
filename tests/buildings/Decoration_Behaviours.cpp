#include <cmath>

#include "buildings/C_BuildingBlacksmith.h"
#include "buildings/C_BuildingDarkAltar.h"
#include "buildings/C_BuildingDecorationGate.h"
#include "buildings/C_BuildingDecorationTorch.h"
#include "buildings/C_BuildingWall.h"
#include "game/C_MapObjectAnimation.h"
#include "media/C_ModelRecord.h"
#include "tests/buildings/BuildingWorld.h"
#include "tests/support/MemorySaveStream.h"
#include "tests/support/RecordBytes.h"
#include "tests/support/SaveGameRun.h"
#include "tests/support/TestWalker.h"
#include "world/C_PathFinder.h"
#include "world/C_ReferenceBase.h"

namespace
{
// Models with frames, to time the animations.
class DecorationBehaviours : public ::testing::Test
{
protected:
    static constexpr int32_t Frames = 10;
    void SetUp() override
    {
        for (int32_t model : {297, 298, 299, 300, 338}) GetGlobalModel(model)->object.frameCount = Frames;
    }
    template <typename T = CDecoration>
    T* Place(int32_t kind, int32_t x, int32_t y)
    {
        return dynamic_cast<T*>(world.Player(0).CreateDecorationBuilding(kind, x, y));
    }
    CBuildingWorld world;
    SGlobalModels m_Models;
};
}  // namespace

TEST_F(DecorationBehaviours, AGateOpensPassableAndClosingCrushesWhatStandsInItButNotItself)
{
    // A unit that outlives a crush: 500 of its 1000 hit points.
    struct CSturdyWalker : CTestWalker
    {
        CSturdyWalker() : CTestWalker(0.1f) {}
        float GetMaxHitPoints() const override { return 1000.0f; }
    };
    auto* gate = Place<CDecorationGate>(37, 10, 10);
    const auto blocked = [](int32_t x, int32_t y) { return g_GameMap.Block(x, y).blocked != 0; };
    gate->Trigger(1);
    EXPECT_TRUE(!blocked(10, 10) && !blocked(14, 10) && gate->model == 298);
    // The map's own pass over the objects no player lists moves it, a frame a tick, and stops it on its last frame.
    world.Frame(3);
    EXPECT_TRUE(gate->motion == CDecorationGate::Opening && gate->animTime == 3.0f);
    world.Frame(Frames - 3);
    EXPECT_TRUE(gate->motion == CDecorationGate::Still && gate->animTime == Frames - 1.0f);
    // In a network game a blow to a building is told: none to the gate itself.
    g_Config.networkRole = 1;
    CUnit* unit = world.Adopt(0, new CSturdyWalker, 12, 10);
    gate->Trigger(2);
    for (const CMultiplayer::SSentPacket& sent : g_MultiplayerGame.GetSent())
        EXPECT_NE(sent.packet.Value(0), Ref(gate));
    EXPECT_TRUE(unit->health == 50.0f && blocked(14, 10) && gate->motion == CDecorationGate::Closing);
    gate->Animate(4.0f);
    EXPECT_TRUE(gate->animTime == Frames - 5.0f && gate->motion == CDecorationGate::Closing);
    gate->Trigger(4);
    EXPECT_TRUE(unit->health == 0.0f && gate->model == 297 && gate->motion == CDecorationGate::Still);
    // The other gate spans its depth along y.
    auto* side = Place<CDecorationGate>(38, 20, 10);
    side->Trigger(3);
    EXPECT_TRUE(!blocked(20, 14) && side->model == 300 && side->animTime == Frames - 1.0f);
}

TEST_F(DecorationBehaviours, SavedExtrasComeBackOrAreRefusedAndTheForgeAndTheAltarBurnOnceFinished)
{
    const std::string lever = CRecordBytes().I32(71).F32(-0.5f).U8(1).Bytes();
    const std::string gate = CRecordBytes().I32(38).I32(2).Bytes(), torch = CRecordBytes().I32(34).I32(-1).Bytes();
    CDecoration* loaded = Place(CDecoration::LeverKind, 10, 10);
    ExpectSavedExtra(*loaded, lever, CRecordBytes::WithI32At(lever, 0, 72),
                     "Decoration refused: a decoration kind that does not match the decoration");
    // Loaded running backward in a loop it wraps to the last frame; pulled, it runs there and stops.
    loaded->Animate(2.0f);
    EXPECT_EQ(loaded->animTime, Frames - 1.0f);
    loaded->Trigger(1), loaded->Animate(2.0f * Frames);
    EXPECT_TRUE(loaded->animTime == Frames - 1.0f && loaded->animSpeed == 0.0f);
    ExpectSavedExtra(*Place(38, 20, 10), gate, CRecordBytes::WithI32At(gate, 4, 3),
                     "Gate refused: a motion that is no gate's");
    CDecorationTorch loadedTorch(34);
    ExpectSavedExtra(loadedTorch, torch, CRecordBytes::WithI32At(torch, 0, 35),
                     "Torch refused: a decoration kind that does not match the torch");
    ExpectSavedExtra(loadedTorch, torch, CRecordBytes::WithI32At(torch, 4, -2), "Torch refused: a bad flame handle");
    CMemorySaveStream mill;
    Place(1, 30, 10)->SaveGameExtra(mill, CReferenceBase());
    EXPECT_TRUE(mill.Bytes().empty());
    // Lit once however often the building is finished, put out when it is destroyed.
    auto* smithy = static_cast<CBuildingBlacksmith*>(world.PlaceFinished(0, CastBlacksmith, 10, 20));
    auto* altar = static_cast<CBuildingDarkAltar*>(world.PlaceFinished(0, CastDarkAltar, 20, 20));
    smithy->OnFinished(), altar->OnFinished();
    const CParticles::SEmitter* smoke = g_Particles.FindEmitter(smithy->smokeEmitter);
    ASSERT_TRUE(g_Particles.GetEmitterCount() == 3 && smoke != nullptr);
    EXPECT_TRUE(smoke->kind == CParticles::KindSmoke && smoke->x == 10.92f && smoke->y == 22.31f);
    smithy->Destroy(false), altar->Destroy(false);
    EXPECT_TRUE(g_Particles.GetEmitterCount() == 0 && altar->flameEmitters[0] == -1);
}

TEST_F(DecorationBehaviours, ATorchOfALoadedGameBurnsItsFlameAndItsOpeningGateGoesOn)
{
    CSaveGameRun::UseSaveLanguage();
    Place<CDecorationTorch>(34, 10, 10)->StartEffects(), Place<CDecorationGate>(37, 20, 20)->Trigger(1);
    const std::vector<uint8_t> file = CSaveGameRun::SaveDrawn();
    ASSERT_TRUE(CSaveGameRun::Load(file));
    const auto* loaded = dynamic_cast<CDecorationTorch*>(g_GameMap.Block(10, 10).building);
    const CParticles::SEmitter* flame = loaded ? g_Particles.FindEmitter(loaded->flameEmitter) : nullptr;
    ASSERT_NE(flame, nullptr);
    EXPECT_FLOAT_EQ(flame->height, g_GameMap.GetHeight(10.5f, 10.5f) + 42.0f);
    EXPECT_TRUE(flame->kind == CParticles::KindFlame && g_Particles.GetEmitterCount() == 1 &&
                CSaveGameRun::SaveDrawn() == file);
    // The loaded map animates its objects as the saved one did.
    CMapObjectAnimation::AnimateUnlisted(Frames);
    const auto* gate = dynamic_cast<CDecorationGate*>(g_GameMap.Block(20, 20).building);
    EXPECT_TRUE(gate != nullptr && gate->motion == CDecorationGate::Still && gate->animTime == Frames - 1.0f);
}

// The pass over the map's objects reads the blocks without writing them, so
// that a step forgets nothing the path finder learnt of blocks nobody changed.
TEST_F(DecorationBehaviours, ASimulationStepKeepsWhatThePathFinderKnewOfTheBlocks)
{
    Place<CDecoration>(2, 30, 30);
    CPathFinder::Route route = {};
    CPathFinder::SPoint end = {};
    const auto search = [&] {
        g_PathFinder.Init(0, nullptr);
        g_PathFinder.FindPath(5, 5, 50, 45, 1, CPathFinder::LayerLand, 0, 0, nullptr, nullptr, 0, 0, route, end);
        return g_PathFinder.GetBlocksRead();
    };
    const int64_t read = search();
    world.Frame(1);
    EXPECT_EQ(search(), read);
}

TEST_F(DecorationBehaviours, ARowJoinsIntoARunAndASideSegmentMakesTheMiddleAPost)
{
    CBuildingWall* row[3] = {};
    for (int32_t i = 0; i < 3; ++i)
        row[i] = dynamic_cast<CBuildingWall*>(world.Player(0).CreateBuilding(CastWall, 10 + i, 10));
    EXPECT_TRUE(row[0]->joinState == 0 && row[1]->joinState == 1 && row[2]->joinState == 0 && row[1]->model == 187);
    world.Player(0).CreateBuilding(CastWall, 11, 11);
    EXPECT_EQ(row[1]->joinState, CBuildingWall::ShapePost);
}

TEST_F(DecorationBehaviours, AWallsFirstStrokeBlocksItsBlockButNotUnderAUnitItLooksDamagedBelowHalfHealthAndSavesShapeAndSlopes)
{
    auto* wall = dynamic_cast<CBuildingWall*>(world.Player(0).CreateBuilding(CastWall, 10, 10));
    const SMapBlock& block = g_GameMap.Block(10, 10);
    CUnit* warrior = world.Spawn(1, UNIT_WARRIOR, 10, 10);
    EXPECT_TRUE(!wall->Construct(1.0f, false) && block.blocked == 0);
    world.Delete(warrior);
    while (wall->Construct(1.0f, false)) EXPECT_EQ(block.blocked, 1);
    EXPECT_TRUE(world.Messages().empty());
    for (const auto& [health, model] : {std::pair{50.0f, 196}, {49.9f, 200}})
    {
        wall->health = health, wall->OnHealthChanged();
        EXPECT_EQ(wall->model, model) << health;
    }
    const std::string extra = CRecordBytes().I32(1).F32(0.25f).F32(-1.5f).Bytes();
    ExpectSavedExtra(*wall, extra, CRecordBytes::WithI32At(extra, 0, 3), "Wall refused: a shape that is no wall's");
    ExpectSavedExtra(*wall, extra, CRecordBytes::WithF32At(extra, 8, INFINITY), "Wall refused: a slope out of range");
}
