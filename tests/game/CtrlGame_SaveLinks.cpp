// A save whose link names a corpse, a ruin, a dying unit or a unit that a
// building or a ship holds is refused with a line naming the link, and the
// running game goes on as it was.  Each bad save is written by the game's
// own writer from the running game given that one bad link.

#include <functional>
#include <string>
#include <vector>

#include "buildings/C_BuildingTower.h"
#include "tests/game/SaveGameWorld.h"
#include "units/C_Unit_TransportShip.h"
#include "world/C_Player.h"
#include "world/C_Technology.h"

namespace
{
constexpr int32_t TowerX = 30;
constexpr int32_t TowerY = 10;
constexpr int32_t WorkshopX = 36;
constexpr int32_t WorkshopY = 20;
constexpr int32_t SmithyX = 20;
constexpr int32_t SmithyY = 30;
constexpr int32_t ShipPlayer = 0;
constexpr int32_t DyingPlayer = 3;
// A follower looks at the unit it follows at least this often.
constexpr int32_t FollowCheckTicks = 64;
constexpr int32_t TicksPerFrame = 16;

// The objects of the game, looked up afresh after every load.
struct SObjects
{
    CUnit* living = nullptr;
    CUnit* enemy = nullptr;
    CUnit* corpse = nullptr;
    CUnit* dying = nullptr;
    CUnit* waiting = nullptr;
    CUnit* carried = nullptr;
    CUnit* archer = nullptr;
    CUnitTransportShip* ship = nullptr;
    CBuilding* workshop = nullptr;
    CBuilding* smithy = nullptr;
    CBuildingTower* tower = nullptr;
    CBuilding* ruin = nullptr;
};

CUnit* FirstOfType(int32_t player, int32_t type)
{
    const CPlayer& owner = g_Players[player];
    for (int32_t i = 0; i < owner.unitCount; ++i)
        if (owner.units[i]->GetCastID() == type)
            return owner.units[i];
    return nullptr;
}
}  // namespace

class CtrlGameSaveLinks : public SaveGameWorld
{
protected:
    // The small game with a manned tower, a workshop (a blacksmith) holding
    // a waiting unit, a ship with a unit aboard, a dying unit and a ruin.
    void SetUp() override
    {
        BuildSmallGame();
        CPlayer& own = World().Player(0);
        auto* tower = dynamic_cast<CBuildingTower*>(own.CreateBuilding(CastTower, TowerX, TowerY));
        ASSERT_NE(tower, nullptr);
        ASSERT_TRUE(tower->AddArcher(own.NextUnitId(0)));
        ASSERT_TRUE(tower->AddArcher(own.NextUnitId(0)));
        CBuilding* workshop = own.CreateBuilding(CastBlacksmith, WorkshopX, WorkshopY);
        ASSERT_NE(workshop, nullptr);
        workshop->productionUnit = World().Spawn(0, UNIT_WARRIOR, -1, -1);
        ASSERT_NE(workshop->productionUnit, nullptr);
        auto* ship = dynamic_cast<CUnitTransportShip*>(World().Spawn(ShipPlayer, UNIT_TRANSPORTSHIP, 40, 40));
        ASSERT_NE(ship, nullptr);
        CUnit* passenger = World().Spawn(ShipPlayer, UNIT_WARRIOR, 36, 44);
        ASSERT_NE(passenger, nullptr);
        passenger->ShowUnit(false);
        ASSERT_TRUE(ship->AcceptGarrison(passenger));
        CUnit* dying = World().Spawn(DyingPlayer, UNIT_WARRIOR, 4, 40);
        ASSERT_NE(dying, nullptr);
        dying->TakeHit(nullptr, KillingBlow, MeleeDamage, false);
        ASSERT_TRUE(dying->IsDying());
        CBuilding* house = World().Player(DyingPlayer).CreateBuilding(CastHouse, 40, 4);
        ASSERT_NE(house, nullptr);
        house->Destroy(false);
        m_Sound = CSaveGameRun::SaveDrawn();
        ASSERT_FALSE(m_Sound.empty());
    }

    SObjects Find() const
    {
        SObjects o;
        o.living = g_Players[0].units[0];
        o.enemy = g_Players[1].units[0];
        std::vector<CUnit*> corpses;
        std::vector<CBuilding*> ruins;
        g_Particles.GetHeldObjects(corpses, ruins);
        o.corpse = corpses.at(0);
        o.ruin = ruins.at(0);
        o.dying = FirstOfType(DyingPlayer, UNIT_WARRIOR);
        o.ship = dynamic_cast<CUnitTransportShip*>(FirstOfType(ShipPlayer, UNIT_TRANSPORTSHIP));
        o.carried = o.ship != nullptr ? o.ship->GetCargo(0) : nullptr;
        o.workshop = g_GameMap.Block(WorkshopX, WorkshopY).building;
        o.waiting = o.workshop != nullptr ? o.workshop->productionUnit : nullptr;
        o.smithy = g_GameMap.Block(SmithyX, SmithyY).building;
        o.tower = dynamic_cast<CBuildingTower*>(g_GameMap.Block(TowerX, TowerY).building);
        o.archer = o.tower != nullptr ? o.tower->archers[0] : nullptr;
        return o;
    }

    // The bad link saved; then, from the sound game, the bad save is refused
    // with the line and leaves the game as it was.
    void ExpectRefused(const std::function<void(SObjects&)>& breakLink, const std::string& fault)
    {
        SObjects objects = Find();
        breakLink(objects);
        const std::vector<uint8_t> bad = CSaveGameRun::Save();
        ASSERT_TRUE(CSaveGameRun::Load(m_Sound)) << fault;
        const std::vector<uint8_t> running = CSaveGameRun::SaveDrawn();
        m_Log.Clear();
        EXPECT_FALSE(CSaveGameRun::Load(bad)) << fault;
        EXPECT_TRUE(m_Log.Contains("Save game refused: " + fault)) << fault;
        EXPECT_TRUE(m_Log.Contains("Save game refused; the running game goes on")) << fault;
        EXPECT_TRUE(CSaveGameRun::SaveDrawn() == running) << fault;
    }

    std::vector<uint8_t> m_Sound;
};

TEST_F(CtrlGameSaveLinks, LinksToObjectsThatGoOrThatAnotherHolderOwnsAreRefused)
{
    const struct
    {
        std::function<void(SObjects&)> breakLink;
        const char* fault;
    } cases[] = {
        {[](SObjects& o) { o.living->followedUnit = o.corpse; }, "a unit's followed unit is no living unit"},
        {[](SObjects& o) { o.living->attacker = o.dying; }, "a unit's attacker is no living unit"},
        {[](SObjects& o) { o.living->targetUnit = o.waiting; }, "a unit's target unit is no living unit"},
        {[](SObjects& o) { o.living->actionTargetUnit = o.carried; },
         "a unit's action target unit is no living unit"},
        {[](SObjects& o) { o.enemy->targetBuilding = o.ruin; }, "a unit's target building is no standing building"},
        {[](SObjects& o) { o.enemy->actionTargetBuilding = o.ruin; },
         "a unit's action target building is no standing building"},
        {[](SObjects& o) { o.enemy->targetObject = o.ruin; }, "a unit's target object is no standing building"},
        {[](SObjects& o) { o.archer->targetUnit = o.corpse; }, "a unit's target unit is no living unit"},
        {[](SObjects& o) { o.dying->attacker = o.corpse; }, "a unit's attacker is no living unit"},
        {[](SObjects& o) { o.corpse->targetUnit = o.living; }, "a corpse keeps a link to another object"},
        {[](SObjects& o) { g_Selection.units[0] = o.dying; }, "a selected unit is no living unit"},
        {[](SObjects& o) { g_GameMap.Block(1, 1).unit = o.living; },
         "a map block names a unit that does not stand there"},
        {[](SObjects& o) { g_GameMap.Block(1, 1).building = o.smithy; },
         "a map block names a building that does not stand there"},
        {[](SObjects& o) { o.workshop->productionUnit = o.corpse; },
         "a building's production unit is no waiting unit of its owner"},
        {[](SObjects& o) { o.workshop->productionUnit = o.living; },
         "a building's production unit is no waiting unit of its owner"},
        {[](SObjects& o) { o.smithy->productionUnit = o.waiting; }, "a production unit waits in two buildings"},
        {[](SObjects& o) { o.ruin->productionUnit = o.waiting; }, "a ruin holds a production unit"},
        {[](SObjects& o) { ASSERT_TRUE(o.ship->AcceptGarrison(o.waiting)); },
         "a ship's cargo is no living unit off the map"},
        {[this](SObjects& o) {
             auto* second = dynamic_cast<CUnitTransportShip*>(World().Spawn(ShipPlayer, UNIT_TRANSPORTSHIP, 40, 30));
             ASSERT_NE(second, nullptr);
             ASSERT_TRUE(second->AcceptGarrison(o.carried));
         },
         "a unit is carried by two ships"},
        {[](SObjects& o) {
             o.archer->health = 0.0f;
             o.archer->animType = ANIM_DIE;
         },
         "a tower archer is dying"},
        {[this](SObjects& o) { World().Player(0).technologies[5].researchingBuilding = o.smithy; },
         "a research names a building that does not research it"},
        {[this](SObjects& o) {
             World().Player(DyingPlayer).technologies[5].researchingBuilding = o.ruin;
             o.ruin->research = &World().Player(DyingPlayer).technologies[5];
         },
         "a research names a building that does not research it"},
    };
    for (const auto& entry : cases)
        ExpectRefused(entry.breakLink, entry.fault);
}

// Without the check both games below load, and the corpse they name is
// deleted while the link still points at it: the follower looks at it after
// it decayed, or the building deletes it a second time when the world is
// taken apart.
TEST_F(CtrlGameSaveLinks, FollowingOrHoldingACorpseIsRefusedBeforeItDecays)
{
    const std::vector<std::function<void(SObjects&)>> breaks = {
        [](SObjects& o) { o.living->followedUnit = o.corpse; },
        [](SObjects& o) { o.workshop->productionUnit = o.corpse; },
    };
    for (const auto& breakLink : breaks)
    {
        SObjects objects = Find();
        breakLink(objects);
        const std::vector<uint8_t> bad = CSaveGameRun::Save();
        ASSERT_TRUE(CSaveGameRun::Load(m_Sound));
        EXPECT_FALSE(CSaveGameRun::Load(bad));
        for (int32_t played = 0; played < CParticles::CorpseTicks + 2 * FollowCheckTicks; played += TicksPerFrame)
        {
            World().Tick(TicksPerFrame);
            CCtrlGame::SimulationStep(TicksPerFrame);
            g_PtrGarbage.Flush();
        }
        EXPECT_EQ(g_Particles.GetCorpseCount(), 0);
        // Takes the world apart once more.
        ASSERT_TRUE(CSaveGameRun::Load(m_Sound));
    }
}
