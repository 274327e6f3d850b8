// Decorations: the gate, the saved parts of those that move, a loaded torch.

#include <vector>

#include "buildings/C_BuildingDecorationGate.h"
#include "buildings/C_BuildingDecorationTorch.h"
#include "core/C_Config.h"
#include "net/C_UnitCommandOutbox.h"
#include "tests/buildings/Decoration_World.h"
#include "tests/support/SaveGameRun.h"
#include "tests/support/TestWalker.h"

using DecorationBehaviours = CDecorationWorld;

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
    // The map's own pass over the objects no player lists moves it.
    world.Frame(Frames);
    EXPECT_TRUE(gate->motion == CDecorationGate::Still && gate->animTime == Frames - 1.0f);
    // In a network game a blow to a building is told: none to the gate itself.
    g_Config.networkRole = 1;
    CUnit* unit = world.Adopt(0, new CSturdyWalker, 12, 10);
    gate->Trigger(2);
    for (const CUnitCommandOutbox::SCommand& sent : g_UnitCommandOutbox.GetSent())
        EXPECT_NE(sent.building, gate);
    EXPECT_TRUE(unit->health == 50.0f && blocked(14, 10) && gate->motion == CDecorationGate::Closing);
    gate->Trigger(4);
    EXPECT_TRUE(unit->health == 0.0f && gate->model == 297 && gate->motion == CDecorationGate::Still);
    // The other gate spans its depth along y.
    auto* side = Place<CDecorationGate>(38, 20, 10);
    side->Trigger(3);
    EXPECT_TRUE(!blocked(20, 14) && side->model == 300 && side->animTime == Frames - 1.0f);
}

TEST_F(DecorationBehaviours, SavedPartsComeBackByteForByteAndBadOnesAreRefused)
{
    const std::string lever = CRecordBytes().I32(71).F32(-0.5f).U8(1).Bytes();
    const std::string gate = CRecordBytes().I32(38).I32(2).Bytes();
    CDecoration* loaded = Place(CDecoration::LeverKind, 10, 10);
    ExpectPart(*loaded, lever, CRecordBytes::WithI32At(lever, 0, 72),
               "Decoration refused: a decoration kind that does not match the decoration");
    // Loaded running backward in a loop it wraps to the last frame; pulled, it runs there and stops.
    loaded->Animate(2.0f);
    EXPECT_EQ(loaded->animTime, Frames - 1.0f);
    loaded->Trigger(1);
    loaded->Animate(2.0f * Frames);
    EXPECT_TRUE(loaded->animTime == Frames - 1.0f && loaded->animSpeed == 0.0f);
    ExpectPart(*Place(38, 20, 10), gate, CRecordBytes::WithI32At(gate, 4, 3),
               "Gate refused: a motion that is no gate's");
    CMemorySaveStream mill;
    Place(1, 30, 10)->SaveGameExtra(mill, CReferenceBase());
    EXPECT_TRUE(mill.Bytes().empty());
}

TEST_F(DecorationBehaviours, ATorchOfALoadedGameBurnsItsFlame)
{
    CSaveGameRun::UseSaveLanguage();
    Place<CDecorationTorch>(34, 10, 10)->OnPlaced();
    const std::vector<uint8_t> file = CSaveGameRun::SaveDrawn();
    ASSERT_TRUE(CSaveGameRun::Load(file));
    const auto* loaded = dynamic_cast<CDecorationTorch*>(g_GameMap.Block(10, 10).building);
    const CParticles::SEmitter* flame = loaded ? g_Particles.FindEmitter(loaded->flameEmitter) : nullptr;
    ASSERT_NE(flame, nullptr);
    EXPECT_TRUE(flame->kind == CParticles::KindFlame && g_Particles.GetEmitterCount() == 1);
    EXPECT_FLOAT_EQ(flame->height, g_GameMap.GetHeight(10.5f, 10.5f) + 42.0f);
    EXPECT_TRUE(CSaveGameRun::SaveDrawn() == file);
}
