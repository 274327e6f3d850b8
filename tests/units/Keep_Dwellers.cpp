#include <algorithm>
#include <cstdlib>
#include <set>
#include <utility>

#include "buildings/C_BuildingCastTable.h"
#include "buildings/C_BuildingKeep.h"
#include "effects/C_Particles.h"
#include "game/C_ObjectLinks.h"
#include "media/C_VoiceBank.h"
#include "tests/support/SaveGameRun.h"
#include "tests/units/UnitWorld.h"
#include "units/C_UnitActionBuffer.h"
#include "units/C_Unit_King.h"
#include "units/C_Unit_Settler.h"
#include "world/C_GameMap.h"
#include "world/C_PathFinder.h"

namespace
{
class KeepDwellers : public UnitWorldTest
{
protected:
    KeepDwellers()
    {
        UseTexts("MSG_KINGNOKEEP,\"No keep\"\nMSG_SETTLERBUILT,\"Built\"\nMSG_SETTLERNOPLACE,\"No place\"\n");
    }

    CBuildingKeep* Keep(int32_t player, int32_t x, int32_t y)
    {
        auto* keep = static_cast<CBuildingKeep*>(world.Player(player).CreateBuilding(CastKeep, x, y));
        keep->Construct(0.0f, true);
        return keep;
    }
    CUnitKing* King(int32_t p, int32_t x, int32_t y) { return static_cast<CUnitKing*>(world.Spawn(p, UNIT_KING, x, y)); }
    // Frames until the king is inside a keep, at most `frames` of them.
    void WalkIn(CUnitKing* king, int32_t frames = 600)
    {
        king->onCommand(nullptr, nullptr, nullptr, king->x, king->y, CMD_ENTER_KEEP);
        for (int32_t i = 0; i < frames && king->keep == nullptr; ++i) world.Frame(1);
    }
    static const char* LinkFault() { return CObjectLinks().FindFault(); }

    CUnitSettler* Settler(int32_t x, int32_t y) { return static_cast<CUnitSettler*>(world.Spawn(0, UNIT_SETTLER, x, y)); }
    void Found(CUnitSettler* settler)
    {
        settler->onCommand(nullptr, nullptr, nullptr, settler->x, settler->y, CMD_FOUND_SETTLEMENT), world.Frame(1);
    }
    static const CBuilding* KeepAt(int32_t x, int32_t y) { return g_GameMap.Block(x, y).building; }
};
using KingShelter = KeepDwellers;
using SettlerFounding = KeepDwellers;
}  // namespace

TEST_F(KingShelter, TheKingWalksIntoAFreeKeepOfHisOwnAndEveryMachineTakesHimOffTheMap)
{
    g_Config.networkRole = 1;
    CBuildingKeep* keep = Keep(0, 20, 20);
    CUnitKing* king = King(0, 10, 10);
    g_MultiplayerGame.ClearSent(), WalkIn(king);
    ASSERT_TRUE(king->keep == keep && keep->GetKing() == king && !king->onMap);
    EXPECT_TRUE(king->targetX >= 19 && king->targetX <= 20 + keep->GetWidth() && king->targetY >= 19 &&
                king->targetY <= 20 + keep->GetDepth());   // its target: the block beside the keep its route ended on
    const CMultiplayer::SSentPacket* hidden = LastSent(CMultiplayerGame::CommandUnitHidden);
    EXPECT_TRUE(hidden != nullptr && hidden->packet.Value(0) == Ref(king) && LinkFault() == nullptr &&
                world.CheckInvariants().empty());

    // A keep holding another king is no shelter; only the local player is told.
    Keep(1, 20, 30), WalkIn(King(1, 10, 30));
    for (const int32_t player : {0, 1})
    {
        CUnitKing* second = King(player, 12, 12 + 20 * player);
        const size_t messages = world.Messages().size();
        WalkIn(second, 5);
        EXPECT_TRUE(second->keep == nullptr && second->onMap && world.Messages().size() == messages + (player == 0))
            << player;
    }
    EXPECT_TRUE(world.Messages().back().text == "No keep" && world.Messages().back().colour == 0xFFFF00u);
    // One who finds his keep taken when he gets there goes on to the next.
    CBuildingKeep *taken = Keep(0, 36, 4), *next = Keep(0, 4, 4);
    CUnitKing *late = King(0, 28, 6), *early = King(0, 35, 9);
    late->onCommand(nullptr, nullptr, nullptr, late->x, late->y, CMD_ENTER_KEEP), world.Frame(1), WalkIn(early);
    ASSERT_EQ(early->keep, taken);
    for (int32_t i = 0; i < 900 && late->keep == nullptr; ++i) world.Frame(1);
    EXPECT_EQ(late->keep, next);
    // Standing, a king (a soldier, a worker) now and then turns 45 degrees either way, or stays as it faced:
    // on a draw of 0 in 500 (the king's of 1), its way by the next draw of 3.
    CUnit* idlers[] = {King(0, 40, 40), world.Spawn(0, UNIT_WARRIOR, 44, 40), world.Spawn(0, UNIT_WORKER, 40, 44)};
    for (CUnit* idle : idlers)
    {
        std::set<int32_t> turns;
        for (int32_t tick = 0, before = idle->facing; tick < 5000; ++tick, before = idle->facing)
            idle->Animate(1), turns.insert((idle->facing - before + 360) % 360);
        EXPECT_EQ(turns, (std::set<int32_t>{0, 45, 315}));
    }
    for (const auto& [draw, kingTurns] : {std::pair{500, false}, {501, true}, {1000, false}, {1001, true}})
        for (CUnit* idle : idlers)
        {
            const int32_t before = idle->facing;
            CSimHarness::SeedForDraws({{32768, draw}, {3, 0}}), idle->Animate(1);
            EXPECT_EQ((before - idle->facing + 360) % 360, (idle == idlers[0]) == kingTurns ? 45 : 0) << draw;
        }
}

// A keep that ends (its player defeated too) lets its king out beside it, else on its freed ground or the nearest free
// block further out, never in a building; with no room on the map a standing keep keeps him, one that goes kills him.
// A king hit runs off.
TEST_F(KingShelter, AKeepThatEndsLetsTheKingOutOnTheNearestFreeBlockOrKeepsHimAndAStandingKingRunsOutOfSight)
{
    CSaveGameRun::UseSaveLanguage();
    enum { Destroy, Demolish, Convert, WonBack, BuildOver, Defeat, Dismantle };
    enum { Room, ExitsTaken, ExitsAndGround, NoRoom, FarCorner };
    constexpr int32_t Inside = -1, Fallen = -2, Lost = -3;   // else the blocks between the footprint and the king
    const struct { int32_t end, room, gap; } rows[] = {
        {Destroy, Room, 1},      {Demolish, Room, 1},     {Convert, Room, 1},      {Convert, ExitsTaken, 2},
        {Demolish, ExitsTaken, 0}, {Destroy, ExitsAndGround, 2}, {BuildOver, ExitsTaken, 2}, {Convert, NoRoom, Inside},
        {Destroy, NoRoom, Fallen}, {Dismantle, ExitsTaken, 0}, {WonBack, NoRoom, Inside}, {Defeat, Room, 1},
        {Convert, FarCorner, 43}};   // row 12's keep at (4, 43), 43 rows below the free first row
    for (int32_t k = 0; k < int32_t(std::size(rows)); ++k)
    {
        const auto& row = rows[k];
        const int32_t kx = 4 + 13 * (k % 4), ky = 4 + 13 * (k / 4);   // the keep covers kx..kx+3 x ky..ky+3
        CBuildingKeep* keep = Keep(row.end == Defeat ? 2 : 0, kx, ky);
        CUnitKing* king = King(keep->owner, kx - 1, ky);
        ASSERT_TRUE(king->EnterBuilding(keep));
        const auto gapOf = [&](int32_t x, int32_t y) { return std::max({kx - x, x - kx - 3, ky - y, y - ky - 3, 0}); };
        for (int32_t x = 0; x < g_GameMap.GetWidth(); ++x)
            for (int32_t y = 0; y < g_GameMap.GetHeight(); ++y)
            {
                if (row.room != Room && gapOf(x, y) == 1 && (row.end != BuildOver || x < kx || y < ky))
                    world.Spawn(0, UNIT_WARRIOR, x, y);
                g_GameMap.Block(x, y).impassable = row.room == NoRoom || (row.room == FarCorner && (x < 47 || y > 0)) ||
                                                   (row.room == ExitsAndGround && gapOf(x, y) == 0);
            }
        if (row.end == BuildOver)
            world.Player(1).CreateBuilding(CastBarracks, kx, ky);   // 5 x 6, over the exit cells left free
        else if (row.end == Defeat) world.Player(keep->owner).SetDefeated();
        else if (row.end == Dismantle) keep->TakeDownDismantled();
        else if (row.end == Convert || row.end == WonBack) keep->ConvertToPlayer(1, false);
        else row.end == Destroy ? keep->Destroy(true) : keep->Demolish();
        std::ranges::for_each(g_GameMap.AllBlocks(), [](SMapBlock& block) { block.impassable = 0; });
        if (row.end == WonBack)   // by his own player, with room about it now: the keep shelters him still
            keep->ConvertToPlayer(0, false);
        const SMapBlock& under = g_GameMap.Block(king->x, king->y);
        const bool out = king->onMap && !king->keep && !keep->GetKing() && under.unit == king && !under.building;
        const int32_t lost = king->onMap || king->keep ? Lost : Fallen;
        const bool inside = king->keep == keep && keep->GetKing() == king && !king->onMap;
        EXPECT_TRUE(LinkFault() == nullptr && king->IsAlive() == (row.gap != Fallen)) << k;
        EXPECT_EQ(out ? gapOf(king->x, king->y) : inside ? Inside : lost, row.gap) << k;
        if (row.gap != Inside) continue;
        const std::vector<uint8_t> saved = CSaveGameRun::SaveDrawn();   // the old owner's king in a taken keep too
        ASSERT_TRUE(world.Load(saved) && CSaveGameRun::SaveDrawn() == saved);
    }
    CUnitKing* king = King(0, 40, 10);
    CUnit* enemy = world.Spawn(1, UNIT_WARRIOR, 42, 10);
    for (const int32_t anim : {ANIM_WALK, ANIM_STAND})
    {
        king->animType = anim, king->onAttacked(enemy, nullptr);
        EXPECT_EQ(king->currentCommand, anim == ANIM_WALK ? CMD_NONE : CMD_RUNAWAY);
    }
    king->formationOffsetX = king->formationOffsetY = 2, world.Frame(1);   // he flees alone, out of any formation
    ASSERT_TRUE(king->pathFlag && king->currentCommand == CMD_NONE && king->formationOffsetX == 0 &&
                king->formationOffsetY == 0);
    // He stays where the flight ends, out of the warrior's sight.
    world.Frame(620);
    const int32_t blocks = std::max(std::abs(king->x - 42), std::abs(king->y - 10));
    EXPECT_TRUE(!king->pathFlag && blocks >= enemy->GetSightRadius() && blocks <= 2 * enemy->GetSightRadius() + 1)
        << blocks;
    // The flight searches as the king: walled in but for a block where a walking friend as fast as he is stands,
    // he passes it, though a faster rider searched last.
    CUnitKing* boxed = King(0, 30, 40);
    CUnit *friendly = world.Spawn(0, UNIT_WORKER, 31, 40), *rider = world.Spawn(0, UNIT_LIGHTCAVALRY, 40, 30);
    ASSERT_TRUE(boxed != nullptr && friendly != nullptr && rider != nullptr);
    for (const auto& [x, y] : {std::pair{29, 39}, {30, 39}, {31, 39}, {29, 40}, {29, 41}, {30, 41}, {31, 41}})
        g_GameMap.Block(x, y).blocked = 1;
    friendly->pathFlag = 1, friendly->speed = boxed->speed, rider->speed = 2 * boxed->speed;
    g_PathFinder.Init(0, rider), boxed->onAttacked(world.Spawn(1, UNIT_WARRIOR, 27, 40), nullptr), world.Frame(1);
    EXPECT_TRUE(boxed->pathFlag);
    // Another machine's king ends his orders on that machine alone.
    g_Config.networkRole = 1, world.Player(1).type = PLAYER_REMOTE;
    CUnitKing* remote = King(1, 5, 44);
    remote->currentCommand = CMD_MOVE_TO, remote->targetKind = TARGET_BLOCK, remote->targetX = 5, remote->targetY = 44;
    remote->onPerformAction();
    EXPECT_EQ(remote->currentCommand, CMD_MOVE_TO);
}

// No room leaves the cart where it was and the player's counts alone; with room the keep stands under
// construction and the cart is gone without a corpse.
TEST_F(SettlerFounding, TheKeepStandsUnderConstructionAndTheCartIsGoneWithoutACorpseOrStaysForWantOfRoom)
{
    g_Config.networkRole = 1;
    CUnit* blocker = world.Spawn(0, UNIT_WARRIOR, 11, 12);
    CUnitSettler* settler = Settler(10, 10);
    const CPlayer& player = world.Player(0);
    const int32_t lost = player.statistics[STAT_BUILDINGS_LOST], score = player.score;
    Found(settler);
    EXPECT_TRUE(KeepAt(9, 9) == nullptr && settler->onMap && settler->x == 10 && settler->y == 10 &&
                !settler->tornApart && !world.Messages().empty() && world.Messages().back().text == "No place" &&
                world.Messages().back().colour == 0xFFFF00u && player.statistics[STAT_BUILDINGS_LOST] == lost &&
                player.score == score && player.buildingsUnderConstruction[CastKeep] == 0);
    ExpectWorldSound(world);

    world.Delete(blocker), g_MultiplayerGame.ClearSent();
    Found(settler);
    const CBuilding* keep = KeepAt(9, 9);
    ASSERT_TRUE(keep != nullptr && keep->GetBuildCast() == CastKeep && keep->x == 9 && keep->y == 9 &&
                !keep->IsFinished() && keep->model == 165 && world.Messages().back().text == "Built" &&
                world.Messages().back().colour == 0xFFFFFFu);
    // The other machines learn of the keep by the placement request, of the
    // cart by its death with the torn-apart flag: no corpse is drawn.
    const CMultiplayer::SSentPacket* request = LastSent(CMultiplayerGame::CommandRequestPlaceBuilding);
    const CMultiplayer::SSentPacket* death = LastSent(CMultiplayerGame::CommandUnitDied);
    ASSERT_TRUE(SentCommands(request->packet.Command()) == 1 && SentCommands(death->packet.Command()) == 1);
    EXPECT_EQ(std::vector<int32_t>(request->packet.fields + 2, request->packet.fields + 7),
              (std::vector<int32_t>{Ref(keep), settler->player, CastKeep, 9, 9}));
    EXPECT_TRUE(request->target == CMultiplayer::HostSlot && death->packet.Value(1) == 1 &&
                std::string(death->label) == "Unit died" && !settler->onMap);
    for (int32_t i = 0; i < 100 && world.Player(0).HasUnit(settler); ++i) world.Frame(1);
    EXPECT_TRUE(world.Player(0).unitCount == 0 && world.Player(0).statistics[STAT_BUILDINGS_LOST] == lost);
    // At the map's edges the footprint moves in: corner (0, 0), or 4 short of the far edges from the last tile.
    // Every keep placed sounds the one placing sample, whatever the draws.
    g_Config.audioEnabled = 1, g_Config.soundVolume = 100, g_VoiceBank.Init(200, nullptr);
    for (const auto& [tile, corner] : {std::pair{0, 0}, std::pair{g_GameMap.GetWidth() - 2, g_GameMap.GetWidth() - 4}})
    {
        g_VoiceBank.UpdateSoundEvents(tile, tile), Found(Settler(tile, tile));
        EXPECT_TRUE(KeepAt(corner, corner) != nullptr && KeepAt(corner, corner)->x == corner &&
                    g_VoiceBank.GetSlot(163)->request != 0 && g_VoiceBank.GetSlot(164)->request == 0) << tile;
    }
    g_VoiceBank.Free();
    // A falling cart breaks up in 20 puffs of dust; one of draws 0 and 39 in 40, then 19 in 20, rises 20 steps of
    // 0.04 west and 19 south of the centre, 39 high.
    CUnitSettler* falling = Settler(20, 20);
    g_Particles.ClearEffects(), CSimHarness::SeedForDraws({{40, 0}, {40, 39}, {20, 19}});
    falling->animType = ANIM_DIE, falling->SetModelByAnimation();
    const SEffectParticle& puff = g_Particles.GetEffects().front();
    EXPECT_TRUE(g_Particles.GetEffects().size() == 20u && puff.kind == CParticles::KindDust &&
                puff.x == falling->centreX + 0.04f * -20.0f && puff.y == falling->centreY + 0.04f * 19.0f &&
                puff.height == 39.0f && falling->model == 71);
}
