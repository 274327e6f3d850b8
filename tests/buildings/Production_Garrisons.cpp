#include <functional>
#include <tuple>

#include "buildings/C_BuildingDocks.h"
#include "buildings/C_BuildingKeep.h"
#include "buildings/C_BuildingDraw.h"
#include "buildings/C_BuildingTower.h"
#include "core/C_Localizer.h"
#include "core/C_PtrGarbage.h"
#include "game/C_BuildingCommand.h"
#include "game/C_BuildingPanel.h"
#include "game/C_Selection.h"
#include "tests/buildings/BuildingWorld.h"
#include "tests/support/MemorySaveStream.h"
#include "tests/support/RecordBytes.h"
#include "tests/support/SaveGameRun.h"
#include "tests/units/Melee_World.h"
#include "units/C_UnitActionBuffer.h"
#include "units/C_Unit_King.h"
#include "units/C_Unit_TowerArcher.h"
#include "world/C_ReferenceBase.h"
#include "world/RangeTables.h"

namespace
{
class ProductionTest : public ::testing::Test
{
protected:
    static constexpr uint32_t Yellow = 0xFFFF00, Green = 0x00FF00;

    // Loaded before the world makes the type records from them.
    struct STexts
    {
        STexts()
        {
            const std::string text = "MSG_PRODUCTIONFULL,\"Queue full\"\nMSG_WOODNEEDED,\"Wood needed\"\n"
                                     "MSG_NEEDMOREHOUSES,\"Build houses\"\n"
                                     "MSG_NOPLACEFORUNGARRKING,\"King cannot leave\"\nTC_BUILDSPD_1,\"Fast building\"\n"
                                     "TC_TECHNOLOGY_RESEARCHED,\"%s researched\"\n";
            g_Localizer.LoadLocaleText("production", text.c_str(), static_cast<int>(text.size()));
        }
        ~STexts() { g_Localizer.Clear(); }
    };

    // 0 worker (40 wood), 1 warrior (50 wood, rate 0.3), 2 archer (30 wood, 20 gold), 3 tower archer.
    const CUnitStats* Record(int32_t index) const { return &g_UnitStats[index]; }
    CPlayer& Player(int32_t index) { return m_Harness.Player(index); }
    CBuilding* Finished(int32_t cast, int32_t x, int32_t y, int32_t owner = 0)
    {
        CBuilding* building = m_Harness.Track(Player(owner).CreateBuilding(cast, x, y));
        building->buildProgress = CBuilding::FinishedProgress, building->BuildingFinished();
        return building;
    }
    // Two houses: room for ten people.
    void GiveHouses(int32_t owner = 0, int32_t x = 40)
    {
        Finished(CastHouse, x, 2, owner), Finished(CastHouse, x, 6, owner);
    }
    // Blocks (or frees) every cell a unit of size 1 could step out to.
    static void BlockExits(const CBuilding& building, bool blocked)
    {
        for (int32_t i = building.x - 1; i <= building.x + building.GetWidth(); ++i)
            for (int32_t j = building.y - 1; j <= building.y + building.GetDepth(); ++j)
                if (g_GameMap.Block(i, j).building != &building) g_GameMap.Block(i, j).blocked = blocked ? 1 : 0;
    }
    bool Panel(CBuilding& building, const CUnitStats* item, int32_t technology, int32_t cancelSlot, int32_t code)
    {
        g_BuildingCommand = {item, technology, cancelSlot, code};
        return building.OnPanelCommand();
    }
    std::vector<std::string> Texts(uint32_t colour) const
    {
        std::vector<std::string> texts;
        for (const CSimHarness::SMessage& message : m_Harness.Messages())
            if (message.colour == colour) texts.push_back(message.text);
        return texts;
    }
    void TearDown() override
    {
        g_BuildingCommand.Clear();
        g_Selection.shiftDown = 0, g_Selection.pendingAction = g_Selection.pendingValue = 0, g_LocalPlayer = 0;
    }

    STexts m_Texts;
    CBuildingWorld m_Harness{CSimHarness::DefaultMapSide};
};

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

constexpr int32_t Middle = 25;   // of the tower at (24, 24)
constexpr int32_t TowerArcherRecord = 3;

class TowerManning : public ::testing::Test
{
protected:
    void SetUp() override
    {
        CSaveGameRun::UseSaveLanguage();
        tower = dynamic_cast<CBuildingTower*>(world.Player(0).CreateBuilding(CastTower, Middle - 1, Middle - 1));
        ASSERT_NE(tower, nullptr);
        tower->Construct(0.0f, true);
        ASSERT_EQ(tower->archerCount, 1);
        archer = dynamic_cast<CUnitTowerArcher*>(tower->archers[0]);
    }
    // The blocks of the player's unit sight map that hold exactly `count`.
    static int32_t BlocksSeen(int32_t player, int32_t count)
    {
        return int32_t(std::ranges::count(g_Players[player].unitSightCounts, count));
    }

    CBuildingWorld world;
    CBuildingTower* tower = nullptr;
    CUnitTowerArcher* archer = nullptr;
};

constexpr int32_t TowerX = 20, TowerY = 20;
}  // namespace

using Lines = std::vector<std::string>;

// Shift queues five but stops at the first refusal; the 29th item is refused.  Of 28 entries (warriors
// then three-record cycles) the last, a middle one and the head are cancelled, each refunded in full
// with the entries behind it moved up; a slot past the end is refused; a new item goes last.
TEST_F(ProductionTest, QueueEntriesLeaveFromAnyPlaceAndTheRestMovesUp)
{
    CBuilding* barracks = Finished(CastBarracks, 10, 10);
    g_Selection.shiftDown = 1, Player(0).wood = 160;
    Panel(*barracks, Record(1), -1, -1, 0);
    EXPECT_EQ(Ints({barracks->queueCount, Player(0).wood}), Ints({3, 10}));
    Player(0).wood = Player(0).gold = 10000;
    const int32_t stock = Player(0).wood + Player(0).gold + Player(0).stone + 150;
    std::vector<const CUnitStats*> expected(3, Record(1));
    for (int32_t k = 3; k < CBuilding::QueueCapacity; ++k)
        ASSERT_TRUE(barracks->EnqueueItem(expected.emplace_back(Record(k % 3))));
    Panel(*barracks, Record(1), -1, -1, 0);
    EXPECT_EQ(Texts(Yellow), (Lines{"Wood needed", "Queue full"}));
    for (const int32_t slot : {27, 13, 26, 0, -1})
    {
        CTestLog log;
        if (slot < 0) barracks->EnqueueItem(Record(2));
        else Panel(*barracks, nullptr, -1, slot, 0);
        if (slot < 0) expected.push_back(Record(2));
        else if (slot < int32_t(expected.size())) expected.erase(expected.begin() + slot);
        int32_t paid = 0;
        for (const CUnitStats* item : expected) paid += item->woodCost + item->goldCost + item->stoneCost;
        const std::vector<const CUnitStats*> queued(barracks->queue, barracks->queue + barracks->queueCount);
        EXPECT_TRUE(queued == expected &&
                    Player(0).wood + Player(0).gold + Player(0).stone == stock - paid &&
                    log.Contains("#DEBUG: Cancelled production slot is empty") == (slot == 26)) << slot;
    }
}

// Each refusal logs its reason and leaves the building, the unit and the owner's stock as they were.
TEST_F(ProductionTest, EachRefusalIsLoggedAndChangesNothing)
{
    GiveHouses();
    CBuilding *barracks = Finished(CastBarracks, 10, 10), *keep = Finished(CastKeep, 30, 10);
    CUnit *king = Player(0).CreateUnit(UNIT_KING, 20, 30), *warrior = Player(0).CreateUnit(UNIT_WARRIOR, 22, 30);
    Player(0).wood = Player(0).gold = Player(0).stone = 10000;
    ASSERT_EQ(keep->StartResearch(9), 1);
    m_Harness.Research(0, 0), barracks->EnqueueItem(Record(1)), barracks->UpdateProduction(334);
    CUnit* held = barracks->productionUnit;
    ASSERT_NE(held, nullptr);
    BlockExits(*barracks, true);
    CBuilding* idle = Finished(CastBarracks, 20, 20);
    const int32_t side = g_GameMap.GetWidth();
    const Ints stock = {Player(0).wood, Player(0).gold, Player(0).stone};
    const struct { std::function<void()> act; const char* logged; bool breakpoint; int32_t line = 0; } refusals[] = {
        {[&] { EXPECT_EQ(keep->StartResearch(10), 0); },
         "#DEBUG: Technology research not allowed when an other is in progress", true},
        {[&] { EXPECT_EQ(idle->StartResearch(0), 0); }, "#DEBUG: Technology is researched or being researched",
         true},
        {[&] { EXPECT_FALSE(barracks->EnqueueItem(nullptr)); }, "#DEBUG: Nothing to queue", true},
        {[&] { Panel(*barracks, nullptr, -1, -1, 19); }, "#DEBUG: Ungarrison available only for keep", true},
        {[&] { static_cast<CBuildingKeep*>(keep)->Garrison(warrior); }, "#DEBUG: Only king is allowed", true, 406},
        {[&] { EXPECT_FALSE(barracks->ReleaseUnit(king, 9, 16)); }, "#DEBUG: Only for production units!", true},
        {[&] { EXPECT_FALSE(barracks->ReleaseUnit(warrior, 9, 16)); },
         "#DEBUG: Exit for a unit the building does not hold", false},
        {[&] { EXPECT_FALSE(barracks->ReleaseUnit(held, side, 16)); }, "#DEBUG: Exit cell outside the map", false},
        {[&] { keep->PopQueue(); }, "#DEBUG: Unit production count underrun", true},
    };
    for (const auto& refusal : refusals)
    {
        SCOPED_TRACE(refusal.logged);
        CTestLog log;
        refusal.act();
        EXPECT_TRUE(log.Contains(refusal.logged) && log.Contains("#DEBUG: breakpoint reached") == refusal.breakpoint &&
                    (refusal.line == 0 || log.Lines().back().starts_with(std::to_string(refusal.line) + " in ")));
        EXPECT_EQ(Ints({Player(0).wood, Player(0).gold, Player(0).stone, barracks->queueCount, keep->queueCount,
                        held->onMap, warrior->onMap, king->onMap, barracks->productionUnit == held,
                        !keep->garrisonedUnit}), Ints({stock[0], stock[1], stock[2], 1, 0, 0, 1, 1, 1, 1}));
    }
}

// Tower archers need no room in the houses, only a place among the five.
TEST_F(ProductionTest, HousesGateTheQueueMercenariesHurryItAndTheUnitHeadsForTheRallyPoint)
{
    CBuilding* barracks = Finished(CastBarracks, 10, 10);
    auto* tower = static_cast<CBuildingTower*>(Finished(CastTower, 20, 20));
    Player(0).wood = Player(0).gold = 1000;
    for (int32_t i = 0; i < 5; ++i) EXPECT_TRUE(tower->EnqueueItem(Record(3)));
    EXPECT_FALSE(tower->EnqueueItem(Record(3)));
    barracks->EnqueueItem(Record(1)), barracks->UpdateProduction(1), barracks->UpdateProduction(1);
    EXPECT_TRUE(barracks->productionState == CBuilding::ProductionNeedsHouses && Texts(Yellow) == Lines{"Build houses"})
        << barracks->productionState;
    GiveHouses();
    m_Harness.Research(0, 44), barracks->SetRallyPoint(30, 30), barracks->UpdateProduction(1);
    EXPECT_FLOAT_EQ(barracks->progress, 0.39f);
    barracks->UpdateProduction(334);
    CUnit* warrior = barracks->productionUnit;
    ASSERT_NE(warrior, nullptr);
    barracks->UpdateProduction(1);
    EXPECT_EQ(Ints({warrior->onMap, warrior->x, warrior->y, warrior->targetX, warrior->targetY}),
              Ints({1, 9, 16, 30, 30}));
    // A rally point on the building itself clears it and the pending action.
    g_Selection.pendingAction = 14, barracks->SetRallyPoint(12, 12);
    EXPECT_EQ(Ints({barracks->rallyX, barracks->rallyY, g_Selection.pendingAction}), Ints({-1, -1, 0}));
}

TEST_F(ProductionTest, CancellingRefundsInFullAndLowersTheCountsOnceButDestructionRefundsNothing)
{
    GiveHouses();
    CBuilding *barracks = Finished(CastBarracks, 10, 10), *other = Finished(CastBarracks, 30, 10);
    Player(0).wood = Player(0).gold = 1000;
    for (int32_t record : {1, 2, 0}) barracks->EnqueueItem(Record(record));
    other->EnqueueItem(Record(1)), BlockExits(*other, true);
    barracks->UpdateProduction(10), other->UpdateProduction(334), other->UpdateProduction(1);
    ASSERT_TRUE(other->productionUnit != nullptr && Player(0).queuedUnits == 1);
    Panel(*barracks, nullptr, -1, 1, 0);   // the archer
    Panel(*barracks, nullptr, -1, 2, 0);   // empty since
    EXPECT_TRUE(barracks->queue[1] == Record(0) && Ints({Player(0).wood, Player(0).gold}) == Ints({1000 - 140, 1000}));

    // The waiting unit goes without counting as lost; the started warrior's counts stay.
    Panel(*other, nullptr, -1, 0, 0);
    EXPECT_EQ(Ints({other->productionUnit != nullptr, Player(0).unitCount, Player(0).statistics[STAT_UNITS_LOST],
                    Player(0).queuedUnits, Player(0).wood}), Ints({0, 0, 0, 1, 910}));
    m_Harness.FlushDeleted();
    EXPECT_EQ(m_Harness.DeletedUnits(), 1);
    BlockExits(*other, false), Panel(*barracks, nullptr, -1, 0, 0);
    EXPECT_EQ(Ints({Player(0).queuedUnits, Player(0).wood, barracks->queueCount}), Ints({0, 960, 1}));
    // Destroyed, the building gives back its started item's place but no price.
    barracks->UpdateProduction(1);
    ASSERT_EQ(Player(0).queuedUnits, 1);
    barracks->Destroy(false);
    EXPECT_EQ(Ints({Player(0).queuedUnits, Player(0).queuedUnitsByType[Record(0)->unitType], Player(0).wood}),
              Ints({0, 0, 960}));
}

// The queue goes with a converted building and is trained for the new owner; the old
// owner gets its research back, and its unit waiting inside is made again.
TEST_F(ProductionTest, AConvertedBuildingKeepsItsPaidQueueForTheNewOwner)
{
    GiveHouses(0), GiveHouses(1, 44);
    CBuilding *full = Finished(CastBarracks, 10, 10), *waiting = Finished(CastBarracks, 20, 10);
    CBuilding* researching = Finished(CastBarracks, 30, 10);
    Player(0).wood = 10000, Player(1).wood = 0;
    for (int32_t i = 0; i < CBuilding::QueueCapacity; ++i) full->EnqueueItem(Record(1));
    waiting->EnqueueItem(Record(1)), BlockExits(*waiting, true);
    full->UpdateProduction(10), waiting->UpdateProduction(334);
    ASSERT_EQ(researching->StartResearch(9), 1);   // 200 wood
    ASSERT_NE(waiting->productionUnit, nullptr);
    EXPECT_EQ(Ints({Player(0).wood, Player(0).queuedUnits, Player(0).unitCount}), Ints({8350, 1, 1}));
    for (CBuilding* building : {full, waiting, researching}) EXPECT_TRUE(building->ConvertToPlayer(1, false));
    EXPECT_EQ(Ints({full->queueCount, waiting->queueCount, Player(0).wood, Player(0).queuedUnits,
                    Player(0).unitCount, Player(0).statistics[STAT_UNITS_LOST], Player(1).wood,
                    Player(1).queuedUnits}), Ints({28, 1, 8550, 0, 0, 0, 0, 2}));
    EXPECT_EQ(Player(0).technologies[9].researchingBuilding, nullptr);
    BlockExits(*waiting, false);
    waiting->UpdateProduction(1), waiting->UpdateProduction(1), full->UpdateProduction(334);
    ASSERT_NE(full->productionUnit, nullptr);
    EXPECT_EQ(Ints({Player(1).unitCount, full->productionUnit->player, full->queueCount, Player(1).queuedUnits}),
              Ints({2, 1, 28, 0}));
    // A site that changes sides to the local player answers with the builders' sound.
    m_Harness.Place(1, CastHouse, 40, 20)->ConvertToPlayer(0, true);
    EXPECT_EQ(m_Harness.Samples(), Ints({185, 100}));
}

TEST_F(ProductionTest, ResearchRunsThroughTheSimulationStepAndIsAppliedOnce)
{
    const int32_t buildSpeed = 9;   // 200 wood, rate 0.3
    g_Config.networkRole = 1;
    CBuilding *barracks = Finished(CastBarracks, 10, 10), *other = Finished(CastBarracks, 20, 10);
    Player(0).wood = 1000;
    EXPECT_EQ(barracks->StartResearch(buildSpeed), 1);
    barracks->UpdateProduction(50), Panel(*barracks, nullptr, -1, 0, 0);
    EXPECT_TRUE(Player(0).wood == 1000 && Player(0).technologies[buildSpeed].researchingBuilding == nullptr);

    Panel(*barracks, nullptr, buildSpeed, -1, 0);
    // Neither a second research here nor the same one elsewhere is paid.
    EXPECT_TRUE(barracks->StartResearch(buildSpeed + 1) == 0 && other->StartResearch(buildSpeed) == 0 &&
                Player(0).wood == 800);
    const int32_t score = Player(0).score;
    for (int32_t frame = 0; frame < 3; ++frame) m_Harness.Frame(100);
    EXPECT_EQ(barracks->productionState, CBuilding::ProductionResearching);
    EXPECT_FLOAT_EQ(barracks->progress, 90.0f);
    m_Harness.Frame(100), m_Harness.Frame(100);
    EXPECT_TRUE(Player(0).technologies[buildSpeed].progress == 100.0f && barracks->research == nullptr &&
                Player(0).score == (score + 10));
    const auto& events = Player(0).script.GetEvents();
    EXPECT_EQ(std::count_if(events.begin(), events.end(),
                            [](auto& e) { return e.kind == CScript::EEvent::TechnologyResearched; }), 1);
    EXPECT_EQ(Texts(Green), Lines{"Fast building researched"});
    const CMultiplayer::SSentPacket& last = g_MultiplayerGame.GetSent().back();
    EXPECT_EQ(Ints({last.packet.Command(), last.packet.Value(0), last.packet.Value(1)}), Ints({42, 0, buildSpeed}));
    EXPECT_EQ(barracks->StartResearch(buildSpeed), 0);
    // Buildings without hit points leave their list at the next step, a computer player's too (the host decides
    // for it); another machine's stays for that machine's word.
    Player(2).type = PLAYER_REMOTE;
    CBuilding* remote = Finished(CastBarracks, 40, 10, 2);
    Finished(CastBarracks, 30, 10, 1)->health = Finished(CastBarracks, 30, 20, 1)->health = 0.0f;
    other->health = remote->health = 0.0f;
    CTestLog log;
    m_Harness.Frame(1);
    EXPECT_TRUE(log.Count("#DEBUG: Destroyed building in the players building list") == 3 &&
                Player(0).buildingCount == 1 && Player(0).buildings[0] == barracks && Player(1).buildingCount == 0 &&
                Player(2).buildingCount == 1 && Player(2).buildings[0] == remote);
}

TEST_F(ProductionTest, ClientAsksTheHostFirstThenEveryThirtyTwoStepsAndLeavesOnce)
{
    g_Config.networkRole = 2, g_LocalPlayer = 1, GiveHouses(1);
    CBuilding* barracks = Finished(CastBarracks, 10, 10, 1);
    Player(1).wood = 1000;
    barracks->EnqueueItem(Record(1)), barracks->EnqueueItem(Record(1)), barracks->UpdateProduction(334);
    CUnit* warrior = barracks->productionUnit;
    const auto& sent = g_MultiplayerGame.GetSent();
    ASSERT_EQ(SentCommands(51), 1);
    EXPECT_EQ(Ints(sent.back().packet.fields + 2, sent.back().packet.fields + 5),
              Ints({Ref(barracks), 2, warrior->uniqueId}));   // type 2: a warrior
    barracks->UpdateProduction(1);
    EXPECT_EQ(barracks->productionState, CBuilding::ProductionWaitingForHost);
    barracks->UpdateProduction(1);
    EXPECT_EQ(barracks->productionState, CBuilding::ProductionNoExit);
    for (int32_t i = 2; i < 65; ++i) barracks->UpdateProduction(1);
    EXPECT_TRUE(SentCommands(67) == 3 && sent.back().target == 0 && sent.back().packet.Value(0) == Ref(barracks) &&
                sent.back().packet.Value(1) == Ref(warrior));
    // The host answers twice: the unit leaves once and one item is popped.
    EXPECT_TRUE(barracks->ReleaseUnit(warrior, 9, 16) && !barracks->ReleaseUnit(warrior, 9, 16) &&
                barracks->queueCount == 1);
}

TEST_F(ProductionTest, CommandNineteenBringsTheKingOutWhenThereIsRoom)
{
    CBuilding* keep = Finished(CastKeep, 10, 10);
    CUnit* king = Player(0).CreateUnit(33, -1, -1);
    keep->garrisonedUnit = king, BlockExits(*keep, true);
    EXPECT_TRUE(Panel(*keep, nullptr, -1, -1, 19) && Texts(Yellow) == Lines{"King cannot leave"});
    BlockExits(*keep, false), Panel(*keep, nullptr, -1, -1, 19);
    EXPECT_EQ(Ints({king->onMap, king->x, king->y, keep->pendingCommand, keep->garrisonedUnit != nullptr}),
              Ints({1, 9, 14, 0, 0}));
}

using DocksTest = ProductionTest;

TEST_F(DocksTest, TheCoastRuleRefusesDryUnexploredOrOffMapBlocksAndEightRingsRiseAsThePhasePassesOne)
{
    CBuildingDocks docks(0);
    std::memset(Player(0).exploredMap, 255, sizeof(Player(0).exploredMap));
    // A 6 x 6 footprint at the waterline (7) but `water` blocks (9) from the last one
    // and `shore` blocks (3) from the first; a dry or unexplored block at (12, 12).
    const struct { int32_t water, shore; bool dry, unexplored, checkExploration, placeable; } cases[] = {
        {7, 7, false, false, false, true}, {6, 30, false, false, false, false}, {7, 6, false, false, false, false},
        {7, 7, true, false, false, false}, {7, 7, false, true, false, true},    {7, 7, false, true, true, false}};
    for (const auto& c : cases)
    {
        for (int32_t k = 0; k < 36; ++k)
            g_GameMap.Block(10 + k % 6, 10 + k / 6).waterLevel = k < c.shore ? 3 : (k >= 36 - c.water ? 9 : 7);
        g_GameMap.Block(12, 12).waterLevel = c.dry ? 0 : g_GameMap.Block(12, 12).waterLevel;
        Player(0).exploredMap[12 * MapCornerSide + 12] = c.unexplored ? 0 : 255;
        docks.x = docks.y = 10;
        EXPECT_EQ(docks.CanPlaceAt(0, 3, 1, c.checkExploration), c.placeable) << c.water << " " << c.shore;
    }
    const int32_t side = g_GameMap.GetWidth();
    for (const auto& corner : {std::make_pair(side - 3, 10), {10, side - 1}, {-2, 10}, {side + 40, -40}})
    {
        std::tie(docks.x, docks.y) = corner;
        EXPECT_FALSE(docks.CanPlaceAt(0, 0, 1, 1)) << corner.first << ", " << corner.second;
    }
    docks.x = docks.y = 10, g_Particles.ClearEffects(), docks.Animate(34.0f);
    const std::vector<SEffectParticle>& rings = g_Particles.GetEffects();
    ASSERT_EQ(rings.size(), 8u);   // around the middle (13, 13), not on it
    EXPECT_EQ(Floats({rings[4].x, rings[4].y, rings[7].height}), Floats({13.0f, 15.5f, -2.0f}));
    CMemorySaveStream saved;
    docks.SaveGameExtra(saved, g_ReferenceBase);
    CBuildingDocks loaded(0);
    // The phase comes back; not a number, 2.0 or cut short it is refused and the phase kept.
    for (const std::string& bytes : {std::string("\0\0\xC0\x7F", 4), std::string("\0\0\0\x40", 4), std::string(2, 0)})
    {
        ExpectSavedExtra(loaded, saved.Bytes(), bytes);
        EXPECT_TRUE(std::abs(loaded.ringPhase - 0.02f) < 1e-4f && loaded.ringPhase == docks.ringPhase);
    }
}

TEST_F(DocksTest, ATransportShipOrderedOnThePanelLeavesOntoTheWater)
{
    const int32_t side = g_GameMap.GetWidth();
    for (int32_t k = 0; k < side * g_GameMap.GetHeight(); ++k)
        g_GameMap.Block(k % side, k / side).waterLevel = k % side >= 20 ? 9 : 0;
    GiveHouses();
    CBuilding* docks = Finished(CastDocks, 16, 10);
    Player(0).wood = Player(0).stone = Player(0).gold = 10000;
    Player(0).enabledUnitTypes[UNIT_TRANSPORTSHIP] = 1;   // as the map allows it
    CBuildingPanel::PositionToScreen(0, &g_BuildingPanel.mouseX, &g_BuildingPanel.mouseY);
    g_BuildingPanel.BeginFrame(), docks->RenderPanelButtons(), g_BuildingPanel.mouseX = g_BuildingPanel.mouseY = -1;
    ASSERT_TRUE(docks->OnPanelCommand() && docks->queueCount == 1);
    CUnit* ship = nullptr;
    for (int32_t frame = 0; frame < 400 && ship == nullptr; ++frame)
    {
        m_Harness.Frame(10);
        for (int32_t i = 0; i < Player(0).unitCount; ++i)
            if (Player(0).units[i]->GetCastID() == UNIT_TRANSPORTSHIP && Player(0).units[i]->onMap)
                ship = Player(0).units[i];
    }
    ASSERT_NE(ship, nullptr);
    EXPECT_TRUE(ship->x >= 20 && m_Harness.CheckInvariants().empty());   // its whole footprint on the water
}

TEST_F(DocksTest, TheAlchemysFirstButtonResearchesAdvancedBuildingAndItsApparatusTurns)
{
    const int32_t advancedBuilding = 53;   // panel place 0
    CBuilding* alchemy = Finished(CastAlchemy, 10, 10);
    Player(0).wood = Player(0).stone = Player(0).gold = 10000;
    CBuildingPanel::PositionToScreen(0, &g_BuildingPanel.mouseX, &g_BuildingPanel.mouseY);
    g_BuildingPanel.BeginFrame(), alchemy->RenderPanelButtons(), g_BuildingPanel.mouseX = g_BuildingPanel.mouseY = -1;
    EXPECT_EQ(g_BuildingPanel.hoverTechnology, advancedBuilding);
    ASSERT_TRUE(alchemy->OnPanelCommand() && Player(0).technologies[advancedBuilding].researchingBuilding == alchemy);
    for (int32_t frame = 0; frame < 500 && !Player(0).IsResearched(advancedBuilding); ++frame) m_Harness.Frame(20);
    EXPECT_TRUE(Player(0).IsResearched(advancedBuilding));

    const SGlobalModels models;
    CBuildingDraw::ClearDraws(), alchemy->animTime = 8.0f, alchemy->Render(0.5f);
    EXPECT_EQ(CBuildingDraw::GetDraws().size(), 1u);   // collapsing: no apparatus
    alchemy->Render(0.0f);
    ASSERT_EQ(CBuildingDraw::GetDraws().size(), 3u);
    EXPECT_TRUE(CBuildingDraw::GetDraws()[2].model == 235 && CBuildingDraw::GetDraws()[2].facing == 8.0f);
}

TEST_F(KeepStronghold, EveryKeepOfTheOwnerFollowsTheUpgradeAtTheNextStep)
{
    CBuildingKeep *first = Keep(0, 10, 10), *second = Keep(0, 20, 10), *other = Keep(1, 30, 30);
    CTechnology& research = world.Player(0).technologies[Stronghold];
    auto step = [&](bool researching, float progress) {
        research.researchingBuilding = researching ? first : nullptr;
        first->research = researching ? &research : nullptr, research.progress = progress;
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
    ASSERT_TRUE(second->model == CBuildingKeep::KeepModel && Burns(*second));
    const CParticles::SEmitter* hearth = g_Particles.FindEmitter(second->hearthEmitter);
    EXPECT_EQ(Floats({hearth->x, hearth->y, hearth->height}),
              Floats({23.21f, 13.01f, g_GameMap.GetHeight(23.21f, 13.01f) + 6.0f}));

    step(true, 0.0f), step(false, CTechnology::ResearchedProgress);
    for (const CBuildingKeep* keep : {first, second})
        EXPECT_TRUE(keep->model == CBuildingKeep::StrongholdModel && keep->hearthEmitter == -1 &&
                    std::string(keep->GetNameKey()) == "BD_STRONGHOLD" && keep->GetIconIndex() == 61);
    float cost[3] = {-1.0f, -1.0f, -1.0f};
    int32_t debris[2] = {};
    first->GetWorkCost(&cost[0], &cost[1], &cost[2]), first->GetHitDebris(&debris[0], &debris[1]);
    EXPECT_EQ(Floats({float(first->GetMaxHitPoints()), first->GetRepairRate(), first->GetDamageFactor1(),
                      cost[0], cost[1], cost[2], float(debris[0]), float(debris[1])}),
              Floats({1600.0f, 0.5f, 0.2f, 0.2f, 0.8f, 0.0f, 5.0f, 0.0f}));
    EXPECT_TRUE(other->model == CBuildingKeep::KeepModel && Burns(*other));
    // A keep begun afterwards rises through the stronghold's stages; the factory makes it a stronghold at once.
    CBuilding* later = world.Player(0).CreateBuilding(CastKeep, 10, 30);
    later->Construct(0.0f, false);
    const std::unique_ptr<CBuilding> made(world.Player(0).BuildingFactory(CastKeep, 0, 0, 0));
    EXPECT_EQ(Ints({later->model, made->model}), Ints({173, 172}));
}

TEST_F(KeepStronghold, TheKeepsPartHoldsItsHearthAndItsKingAndRefusesBadValues)
{
    CBuildingKeep* keep = Keep(0, 20, 20);
    ASSERT_TRUE(world.Spawn(0, UNIT_KING, 18, 20)->EnterBuilding(keep));
    CUnit* warrior = world.Spawn(0, UNIT_WARRIOR, -1, -1);
    CReferenceBase table;
    CMemorySaveStream out;
    const int32_t kingId = table.AddUnit(keep->GetKing()), warriorId = table.AddUnit(warrior);
    table.AddBuilding(keep), keep->SaveGameExtra(out, table);
    const std::string bytes = out.Bytes();
    EXPECT_EQ(bytes, CRecordBytes().I32(keep->hearthEmitter).I32(kingId).Bytes());
    const struct { size_t at; int32_t value; const char* logged; } badRecords[] = {
        {0, -2, "Keep refused: a bad hearth handle"}, {4, warriorId, "Keep refused: the king id names no king"},
        {4, 9999, "Keep refused: the king id names no king"}};
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

// Removing stops at one archer and adding at five; a removed archer waits,
// dead and off its owner's list, for deferred deletion.
TEST_F(TowerManning, ArcherCountStaysWithinOneToFiveAndSightFollowsIt)
{
    for (const auto& [wanted, held] : {std::pair{3, 3}, {3, 3}, {9, 5}, {0, 1}, {-7, 1}, {2, 2}})
    {
        tower->SetArcherCount(wanted);
        EXPECT_TRUE(tower->archerCount == held && world.Player(0).towerArchers.GetCount() == held &&
                    g_Players[0].unitSightCounts[Middle * MapBlockSide + Middle] == held) << wanted;
        world.FlushDeleted();
    }
    CUnit* leaving = tower->archers[1];
    tower->RemoveArcher(), tower->RemoveArcher();
    EXPECT_TRUE(tower->archerCount == 1 && g_PtrGarbage.FindUnit(0, leaving->uniqueId) == leaving &&
                !leaving->IsAlive() && world.Player(0).FindTowerArcher(leaving->uniqueId) == nullptr);
    tower->SetArcherCount(5);
    EXPECT_FALSE(tower->AddArcher(world.Player(0).NextUnitId(0)));

    // A range technology recounts every archer's sight with the new radius.
    tower->SetArcherCount(3);
    const int32_t before = tower->sightRange;
    world.Research(0, 23), world.Player(0).OnTechnologyResearched(23);
    EXPECT_TRUE(tower->sightRange == (before + 1) && BlocksSeen(0, 3) == g_FilledDiscs[before + 1].count &&
                (BlocksSeen(0, 3) + BlocksSeen(0, 0)) == MapBlockCount);
}

TEST_F(TowerManning, AConvertedTowersArchersBelongToTheNewOwnerAndTheGameSavesAlike)
{
    tower->SetArcherCount(3);
    ASSERT_TRUE(tower->ConvertToPlayer(1, false));
    EXPECT_TRUE(world.Player(0).towerArchers.GetCount() == 0 && BlocksSeen(0, 0) == MapBlockCount);
    for (int32_t i = 0; i < 3; ++i)
        EXPECT_EQ(world.Player(1).FindTowerArcher(tower->archers[i]->uniqueId), tower->archers[i]);
    // A tower west of it, manned after it: its archer comes last in the list though its tower comes first
    // on the map, and stays last through the load.
    world.Player(1).CreateBuilding(CastTower, 10, Middle - 1)->Construct(0.0f, true);
    const std::vector<uint8_t> save = CSaveGameRun::SaveDrawn();
    ASSERT_TRUE(CSaveGameRun::Load(save) && CSaveGameRun::SaveDrawn() == save &&
                world.Player(1).towerArchers.GetCount() == 4 && world.Player(1).towerArchers[3]->x == 10);
}

// Four standing and one queued fill the five places.
TEST_F(TowerManning, TheTrainButtonShowsWhileStandingAndQueuedArchersAreFewerThanFive)
{
    world.Player(0).wood = world.Player(0).gold = 1000;
    tower->SetArcherCount(3);
    ASSERT_TRUE(tower->EnqueueItem(&g_UnitStats[TowerArcherRecord]));
    for (const auto& [standing, buttons] : {std::pair{3, 1}, {4, 0}})
    {
        tower->SetArcherCount(standing), g_BuildingPanel.BeginFrame(), tower->RenderPanelButtons();
        const auto isTrain = [](const SPanelButton& button) { return button.icon == 45; };
        EXPECT_EQ(std::ranges::count_if(g_BuildingPanel.GetButtons(), isTrain), buttons) << standing;
    }
    // The details add the first archer's attack, "*" and the count from two archers on, and its range
    // and sight; not while an archer is queued.
    for (const auto& [standing, queued, attack, range] : {std::tuple{4, 1, "", ""}, {1, 0, "WY", "WYW"},
                                                          {2, 0, "WYY", "WYW"}})
    {
        tower->SetArcherCount(standing), tower->queueCount = queued;
        g_BuildingPanel.BeginFrame(), tower->RenderDetailsOnPanel();
        std::string lines[2];
        for (const SPanelText& text : g_BuildingPanel.GetTexts())
            if (text.y == 315 || text.y == 350)
                lines[text.y == 350 ? 1 : 0] += text.colour == 0xFFFFFFu ? 'W' : text.colour == 0xFFFF00u ? 'Y' : '?';
        EXPECT_TRUE(lines[0] == attack && lines[1] == range) << standing << " " << lines[0] << " " << lines[1];
        const auto& texts = g_BuildingPanel.GetTexts();
        EXPECT_TRUE(queued != 0 || (texts.back().x >= 50 &&
                                    texts.back().text == "/" + std::to_string(archer->GetSightRadius())));
        const auto isCount = [](const SPanelText& t) { return t.x == 100 && t.text == "*2"; };
        EXPECT_TRUE(queued != 0 || standing < 2 || std::ranges::any_of(texts, isCount));
    }
}

// From the tower's middle to the enemy's centre 2.5 blocks is too near, 10.5
// too far.  A remote copy learns of its target's leaving only by losing it.
TEST_F(TowerManning, OnlyTheOwnerChoosesAnEnemyInRangeAndARemoteArcherWhoseTargetLeftShootsNothing)
{
    for (const auto& [blocks, chosen] : {std::pair{2, false}, {3, true}, {9, true}, {10, false}})
    {
        CUnit* enemy = world.Spawn(1, UNIT_WARRIOR, Middle + blocks, Middle);
        archer->onIdle();
        EXPECT_EQ(archer->actionTargetUnit, chosen ? enemy : nullptr) << blocks;
        world.Delete(enemy);
    }
    for (const int32_t localPlayer : {0, 1})
    {
        g_Config.networkRole = localPlayer == 0 ? 1 : 2, g_LocalPlayer = localPlayer;
        CUnit* enemy = world.Spawn(1, UNIT_WARRIOR, Middle + 6, Middle);
        g_MultiplayerGame.ClearSent(), localPlayer == 0 ? archer->onIdle() : archer->SetTarget(enemy);
        archer->Animate(1);
        EXPECT_EQ(g_Particles.GetProjectiles().size(), 1u) << localPlayer;
        g_Particles.Reset(), world.Delete(enemy), archer->Animate(40);
        EXPECT_TRUE(g_Particles.GetProjectiles().empty() && archer->animType == ANIM_STAND) << localPlayer;
        Ints told;
        for (const CMultiplayer::SSentPacket& sent : g_MultiplayerGame.GetSent())
            if (sent.packet.Value(0) == Ref(archer)) told.push_back(sent.packet.Command());
        const Ints byOwner = {CMultiplayerGame::CommandTowerArcherTarget, CMultiplayerGame::CommandTowerArcherIdle};
        EXPECT_EQ(told, localPlayer == 0 ? byOwner : Ints()) << localPlayer;
    }
}

TEST(TowerDefence, BuiltMannedTrainedItKillsAWarriorAndLeavesNothingBehindWhenDestroyed)
{
    CMeleeWorld game;
    g_Particles.Reset();
    CPlayer& owner = game.world.Player(0);
    owner.wood = owner.gold = owner.stone = 1000;
    auto* tower = dynamic_cast<CBuildingTower*>(owner.CreateBuilding(CastTower, TowerX, TowerY));
    CUnit* worker = game.Spawn(0, UNIT_WORKER, TowerX - 2, TowerY, STANCE_STAND_GROUND);
    ASSERT_TRUE(tower != nullptr && worker != nullptr);
    worker->onCommand(nullptr, tower, nullptr, TowerX, TowerY, CMD_BUILD);
    ASSERT_GT(game.FramesUntil(20000, [&] { return tower->IsFinished(); }), 0);
    ASSERT_TRUE(tower->archerCount == 1 && owner.towerArchers.GetCount() == 1);
    const int32_t middleX = tower->GetSightCentreX(), middleY = tower->GetSightCentreY();

    const CUnitStats* const trained = &g_UnitStats[TowerArcherRecord];
    ASSERT_TRUE(tower->EnqueueItem(trained) && tower->EnqueueItem(trained));
    ASSERT_GT(game.FramesUntil(2000, [&] { return tower->archerCount == 3; }), 0);
    EXPECT_EQ(owner.towerArchers.GetCount(), 3);

    // An enemy walks into sight six blocks east of the tower's middle and is shot dead, each arrow at least three
    // ticks after the one before.
    CUnit* enemy = game.Spawn(1, UNIT_WARRIOR, middleX + 6, middleY, STANCE_STAND_GROUND);
    ASSERT_NE(enemy, nullptr);
    std::vector<int32_t> shotTicks;
    int32_t tick = 0;
    ASSERT_GT(game.FramesUntil(3000, [&] {
        ++tick;
        while (static_cast<int32_t>(shotTicks.size()) < owner.statistics[STAT_ARROWS_SHOT]) shotTicks.push_back(tick);
        return !enemy->IsAlive();
    }), 0);
    ASSERT_GE(shotTicks.size(), 3u);
    for (size_t i = 1; i < shotTicks.size(); ++i) EXPECT_GE(shotTicks[i] - shotTicks[i - 1], 3) << "shot " << i;
    EXPECT_EQ(owner.statistics[STAT_UNITS_KILLED], 1);

    // A second enemy, struck, turns on the tower; the tower falls with the
    // next arrow in flight, which lands after its archer is gone.
    CUnit* second = game.Spawn(1, UNIT_WARRIOR, middleX, middleY + 6, STANCE_AGGRESSIVE);
    ASSERT_NE(second, nullptr);
    ASSERT_GT(game.FramesUntil(200, [&] { return second->health < CUnit::FullHealth; }), 0);
    EXPECT_EQ(second->targetBuilding, tower);
    ASSERT_GT(game.FramesUntil(60, [&] { return !g_Particles.GetProjectiles().empty(); }), 0);
    tower->Destroy(false);
    EXPECT_TRUE(owner.towerArchers.GetCount() == 0 && tower->archerCount == 0 && second->targetBuilding == nullptr);
    for (int32_t i = 0; i < 10; ++i) game.world.Frame(1);
    // Sight counts are those of the units alone; nothing names an archer.
    EXPECT_EQ(game.world.CheckInvariants(), std::vector<std::string>{});
}
