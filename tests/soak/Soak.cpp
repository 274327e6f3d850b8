// Seeded random play on a map of land, water and obstacles: every unit type and building cast, orders of every kind
// through the objects' own operations, the world's checks every few frames and a save, load and save through the
// in-game controller every few hundred.  The soak draws its choices from a generator of its own, so that a seed
// plays the same game again; the game's generator is seeded with it too.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <map>
#include <memory>
#include <random>
#include <set>
#include <span>
#include <sstream>
#include <string>

#include "buildings/C_Building.h"
#include "buildings/C_BuildingCastTable.h"
#include "buildings/C_BuildingDecorationKinds.h"
#include "core/C_Localizer.h"
#include "core/C_PtrGarbage.h"
#include "game/C_BuildingCommand.h"
#include "game/C_BuildingPanel.h"
#include "game/C_ObjectLinks.h"
#include "game/C_Selection.h"
#include "tests/support/SaveGameRun.h"
#include "tests/support/SimHarness.h"
#include "tests/support/TestLog.h"
#include "tests/support/WorldInvariants.h"
#include "units/C_UnitActionBuffer.h"
#include "units/C_UnitTypeTable.h"
#include "units/C_Unit_TransportShip.h"
#include "world/C_GameMap.h"

namespace {
constexpr int32_t NotPlaced = -1, RainOfHell = 52, KillingBlow = 100000, Tries = 400, CheckEvery = 3, SaveEvery = 250;
constexpr int32_t DeepCorner = -30;   // water level 10: ships sail
constexpr int32_t ShoreCorner = -21;  // water level 7 beside it: land units walk, ships sail
constexpr int32_t HillCorner = 90;    // steep sides blocked, a plateau on top
constexpr int32_t Stock = 200000;     // of each good, so that prices never stop play
// Every ReinforceEvery frames a playing player with fewer units or buildings than these gets one more.
constexpr int32_t ReinforceEvery = 20, FewUnits = 24, FewBuildings = 10;
constexpr size_t OrdersKept = 16;
// Whom a unit order goes to besides a unit type.
constexpr int32_t AnyUnit = -1, Fighter = -2, LandUnit = -3;
// What the headless harness itself makes the game report: a load makes textures without a drawing device.
constexpr const char* HeadlessReport = "#DEBUG: Cannot create texture";

// Where a unit command aims: a random block, the unit's own block, one of the ship's own cargo, or a unit,
// building or resource site that fits the order.
enum ETarget { ToPoint, ToHere, ToCargo, ToUnit, ToBuilding, ToObject };
using Unit = const CUnit&;
using Building = const CBuilding&;

bool IsPlayer(int32_t p) { return p >= 0 && p < MaxPlayers; }
bool HasType(int32_t p, int a, int b) { return IsPlayer(p) && (g_Players[p].type == a || g_Players[p].type == b); }
bool IsActive(int32_t p) { return HasType(p, PLAYER_LOCAL, PLAYER_COMPUTER); }
bool IsCapturable(int32_t p) { return HasType(p, PLAYER_NONE, PLAYER_DEFEATED); }
bool IsPlayers(Building building) { return IsPlayer(building.owner); }
bool Standing(Unit unit) { return unit.onMap && unit.IsFootprintRegistered() && unit.IsAlive() && !unit.IsDying(); }
bool Orderable(Unit unit) { return IsActive(unit.player) && Standing(unit) && unit.GetCastID() != UNIT_TOWERARCHER; }
const CUnitTransportShip* Ship(Unit unit) { return dynamic_cast<const CUnitTransportShip*>(&unit); }
bool IsCarrying(Unit unit) { return Ship(unit) != nullptr && Ship(unit)->GetCargoCount() > 0; }
void Hit(CUnit& unit) { unit.TakeHit(nullptr, KillingBlow, DAMAGE_BLADE, false); }
// Whether the owner's objects are the unit's enemies.
bool IsEnemy(Unit unit, int32_t owner) {
    return IsPlayer(owner) && owner != unit.player && !g_Players[unit.player].IsFriendTo(owner);
}

template <typename... Part> std::string Text(const Part&... parts) {
    std::ostringstream text;
    return (text << ... << parts), text.str();
}
auto Name(Unit u) { return Text("u(p", u.player, " #", u.uniqueId, " c", u.GetCastID(), " @", u.x, ",", u.y, ")"); }
auto Name(Building b) { return Text("b(p", b.owner, " c", b.GetBuildCast(), " @", b.x, ",", b.y, ")"); }

// Does `act` to the object, if there is one: its name before the act, or empty.
template <typename Object, typename Act> std::string ActOn(Object* object, Act act) {
    const std::string name = object != nullptr ? Name(*object) : "";
    if (object != nullptr) act(*object);
    return name;
}

struct SSoakFigures {
    int64_t frames = 0, checks = 0, roundTrips = 0;
    std::map<std::string, int64_t> orders, held;   // held: what the holders held, summed over the checks
};

class CSoak {
public:
    // The game's texts, as a game has them before it starts.  The neutral player's resource sites come first: a
    // site takes its blocks from whatever stands there (the game makes them only where a map's plan leaves room),
    // and a finished trap leaves its block open to the placement test.
    explicit CSoak(uint32_t seed) : m_Seed(seed), m_Random(seed) {
        for (const char* file : {"loading", "messages", "names", "savegames", "technologies"}) {
            const std::string text =
                CScratchFolder::ReadFile(Text(V2KRN_SOURCE_DIR "/data/demo/Locale/English/", file, ".txt"));
            g_Localizer.LoadLocaleText(file, text.c_str(), int(text.size()));
        }
        MakeMap();
        for (int32_t p = m_Players; p >= 0; --p) MakePlayer(p);
    }
    ~CSoak() { m_World.reset(), g_Localizer.Clear(); }

    // Plays until `frames` frames are played or `seconds` have passed (0: no limit); the first broken check with
    // the seed, the frame and the last orders, or empty.
    std::string Play(int64_t frames, double seconds = 0.0) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
        const auto timeLeft = [&] { return seconds <= 0.0 || std::chrono::steady_clock::now() < end; };
        for (int64_t played = 0; (frames <= 0 || played < frames) && timeLeft(); ++played) {
            for (int32_t orders = Roll(3); orders > 0; --orders) GiveOrder();
            if (m_Frame % ReinforceEvery == 0) Reinforce();
            m_World->Frame(1 + Roll(3));
            ++m_Frame, ++figures.frames;
            std::string fault = m_Frame % CheckEvery == 0 ? Check() : std::string();
            if (fault.empty() && m_Frame % SaveEvery == 0) fault = RoundTrip();
            if (fault.empty()) continue;
            std::string report = Text("seed ", m_Seed, " frame ", m_Frame, ": ", fault, "\nlast orders:");
            for (const std::string& order : m_LastOrders) report += "\n  " + order;
            return report;
        }
        return {};
    }

    SSoakFigures figures;

private:
    struct SOrderKind {
        const char* name;
        int32_t weight;
        int32_t subject = 0, command = 0;   // of a unit command; its subject a unit type, AnyUnit, Fighter or LandUnit
        ETarget target = ToPoint;
        bool (*unitFits)(Unit subject, Unit target) = nullptr;
        bool (*buildingFits)(Unit subject, Building target) = nullptr;
        std::string (*other)(CSoak&) = nullptr;   // any other order
    };
    static const SOrderKind OrderKinds[];

    int32_t Roll(int32_t n) { return n > 0 ? int32_t(m_Random() % uint32_t(n)) : 0; }
    bool Chance(int32_t inN) { return Roll(inN) == 0; }

    // Orders across the whole map are mostly given up before they are carried out: nearby targets let walks end.
    template <typename Object> Object* PickOf(const std::vector<Object*>& found, const CUnit* near) {
        if (found.empty()) return nullptr;
        if (near == nullptr || Chance(2)) return found[size_t(Roll(int32_t(found.size())))];
        return *std::ranges::min_element(found, {}, [near](const Object* o) {
            return std::max(std::abs(o->x - near->x), std::abs(o->y - near->y));
        });
    }

    CUnit* PickUnit(const std::function<bool(Unit)>& fits, const CUnit* near = nullptr) {
        std::vector<CUnit*> found;
        for (const CPlayer& player : std::span(g_Players, MaxPlayers))
            std::copy_if(player.units, player.units + player.unitCount, std::back_inserter(found),
                         [&](const CUnit* unit) { return unit != near && fits(*unit); });
        return PickOf(found, near);
    }

    // Every standing building, listed or not (walls, resource sites, decorations), as the map holds them.
    CBuilding* PickBuilding(const std::function<bool(Building)>& fits, const CUnit* near = nullptr) {
        std::set<CBuilding*> seen;
        std::vector<CBuilding*> found;
        for (int32_t x = 0; x < m_Side; ++x)
            for (int32_t y = 0; y < m_Side; ++y) if (CBuilding* building = g_GameMap.Block(x, y).building;
                    building != nullptr && seen.insert(building).second && building->IsAlive() && fits(*building))
                    found.push_back(building);
        return PickOf(found, near);
    }

    // Land at height 0 with a sea across it (an islet in it) whose shore blocks both land units and ships may take,
    // hills whose steep sides block, and blocks made impassable: only corner heights and the blocks' own flags, from
    // which a load derives the same terrain.
    void MakeMap() {
        m_Side = 48 + Roll(49), m_Players = 2 + Roll(4), m_World = std::make_unique<CSimHarness>(m_Side, m_Seed);
        CSaveGameRun::UseSaveLanguage();
        g_Config.fogOfWar = m_Seed % 2;
        const int32_t seaWest = m_Side / 2 + Roll(m_Side / 6);
        const int32_t seaEast = std::min(seaWest + 12 + Roll(m_Side / 5), m_Side - 8);
        const int32_t isletX = (seaWest + seaEast) / 2, isletY = 4 + Roll(m_Side - 10);
        const auto raise = [](int32_t left, int32_t top, int32_t right, int32_t bottom, int32_t height) {
            for (int32_t x = left; x <= right; ++x)
                for (int32_t y = top; y <= bottom; ++y) g_GameMap.CornerHeight(x, y) = height;
        };
        raise(seaWest, 0, seaEast, m_Side, ShoreCorner), raise(seaWest + 1, 0, seaEast - 1, m_Side, DeepCorner);
        raise(isletX, isletY, isletX + 3, isletY + 3, 0);
        for (int32_t hill = 2 + Roll(3); hill > 0; --hill) {
            const int32_t left = Roll(seaWest - 6), top = Roll(m_Side - 6), side = 3 + Roll(4);
            raise(left, top, left + side, top + side, HillCorner);
        }
        for (int32_t rock = m_Side / 4; rock > 0; --rock) g_GameMap.Block(Roll(m_Side), Roll(m_Side)).impassable = 1;
        g_GameMap.UpdateArea(0, 0, -1, -1), g_GameMap.AssignRegionIds();
    }

    // Players 0 .. m_Players - 1 play (0 locally, the others as computer players), each with every building cast
    // (3 in 4 finished) and every unit type, its ships loaded; player m_Players is neutral, holds what the others may
    // capture, and makes the resource sites and decorations.
    void MakePlayer(int32_t p) {
        CPlayer& player = m_World->Player(p);
        if (p == m_Players) {
            player.type = PLAYER_NONE;
            for (const int32_t type : {UNIT_WARRIOR, UNIT_WORKER, UNIT_CATAPULT, UNIT_TRANSPORTSHIP})
                PlaceUnit(p, type);
            PlaceBuilding(p, CastHouse, true), PlaceBuilding(p, CastBarracks, true);
            for (int32_t site = 0; site < m_Side / 3; ++site) PlaceSite(site % 4 + 1, 1 + Roll(8));
            for (int32_t decoration = 0; decoration < 4; ++decoration)
                if (const int32_t kind = 1 + Roll(79); CBuildingDecorationKinds::Find(kind) != nullptr)
                    PlaceSite(0, kind);
            return;
        }
        player.wood = player.stone = player.gold = Stock;
        std::ranges::fill(player.enabledUnitTypes, uint8_t(1));
        std::ranges::fill(player.enabledBuildingCasts, uint8_t(1));
        m_World->Research(p, RainOfHell);
        for (int32_t i = 0; i < CBuildingCastTable::CastCount; ++i)
            PlaceBuilding(p, CBuildingCastTable::Row(i).cast, !Chance(4));
        for (int32_t i = 0; i < CUnitTypeTable::TypeCount; ++i)
            if (const int32_t type = CUnitTypeTable::Row(i).cast; type != UNIT_TOWERARCHER) PlaceUnit(p, type);
        // Passengers made off the map and taken aboard, as a map's ships carry them.
        for (int32_t i = 0; i < player.unitCount; ++i)
            if (auto* ship = dynamic_cast<CUnitTransportShip*>(player.units[i]))
                for (const int32_t type : {UNIT_WARRIOR, UNIT_WORKER, UNIT_KNIGHT})
                    if (CUnit* passenger = player.CreateUnit(type, NotPlaced, NotPlaced))
                        ship->AcceptGarrison(passenger);
    }

    CUnit* PlaceUnit(int32_t p, int32_t type) {
        const SUnitTypeRow* row = CUnitTypeTable::Find(type);
        for (int32_t i = 0; row != nullptr && i < Tries; ++i)
            if (const int32_t x = Roll(m_Side - row->size + 1), y = Roll(m_Side - row->size + 1);
                g_GameMap.IsAreaFree(x, y, row->size, row->moveLayer))
                return m_World->Player(p).CreateUnit(type, x, y);
        return nullptr;
    }

    bool FindPlace(CBuilding& building, int32_t p) {
        for (int32_t i = 0; i < Tries; ++i) {
            building.x = Roll(m_Side - building.GetWidth() + 1), building.y = Roll(m_Side - building.GetDepth() + 1);
            if (building.CanPlaceAt(p, 1, 0, 0)) return true;
        }
        return false;
    }

    // As the game places a building: made off the map, tried where the placement test accepts it, then placed and
    // finished as a map's building, or opened as a construction site.
    CBuilding* PlaceBuilding(int32_t p, int32_t cast, bool finished) {
        CBuilding* building = m_World->Player(p).CreateBuilding(cast, NotPlaced, NotPlaced);
        if (building == nullptr || !FindPlace(*building, p)) return Dispose(building), nullptr;
        building->PlaceOnMap();
        finished ? building->OnMapPlaced(0.0f, true) : building->AddBuildProgress(0.0f, false);
        return building;
    }

    // A resource site (kind 1 .. 4, `detail` its tree cast) or a decoration (kind 0, `detail` its kind): the factory
    // places what it makes at once, so a probe of the same kind finds the place first.
    void PlaceSite(int32_t kind, int32_t detail) {
        CPlayer& maker = m_World->Player(m_Players);
        const auto make = [&](int32_t x, int32_t y) {
            return kind == 0 ? maker.CreateDecorationBuilding(detail, x, y)
                             : maker.CreateResource(kind, x, y, 2000, kind == ResourceKindTree ? detail : 0);
        };
        CBuilding* probe = make(NotPlaced, NotPlaced);
        if (probe != nullptr && FindPlace(*probe, m_Players)) make(probe->x, probe->y);
        Dispose(probe);
    }

    void Dispose(CBuilding* probe) {
        if (probe != nullptr) g_PtrGarbage.AddBuilding(probe), m_World->FlushDeleted();
    }

    // A new building or unit for each playing player that has few, so that play does not thin out.
    void Reinforce() {
        for (int32_t p = 0; p < m_Players; ++p) {
            const int32_t cast = CBuildingCastTable::Row(Roll(CBuildingCastTable::CastCount)).cast;
            const int32_t type = CUnitTypeTable::Row(Roll(CUnitTypeTable::TypeCount)).cast;
            const bool finished = !Chance(4);
            if (!IsActive(p)) continue;
            const CPlayer& player = m_World->Player(p);
            if (CBuilding* made = player.buildingCount < FewBuildings ? PlaceBuilding(p, cast, finished) : nullptr)
                Remember("reinforce " + Name(*made));
            if (CUnit* made = player.unitCount < FewUnits && type != UNIT_TOWERARCHER ? PlaceUnit(p, type) : nullptr)
                Remember("reinforce " + Name(*made));
        }
    }

    void GiveOrder();

    // A unit's own command, as a click gives it, aimed as the kind of order says; boarding calls the ship to the
    // unit's island as the selection does.
    std::string OrderUnit(const SOrderKind& kind) {
        CUnit* unit = PickUnit([&kind](Unit u) {
            return Orderable(u) && (kind.subject == AnyUnit || u.GetCastID() == kind.subject ||
                                    (kind.subject == Fighter && u.CanAttackUnits()) ||
                                    (kind.subject == LandUnit && u.GetMoveLayer() == 1));
        });
        if (unit == nullptr) return {};
        CUnit* aim = nullptr;
        CBuilding* site = nullptr;
        int32_t x = unit->x, y = unit->y;
        const bool onSite = kind.target == ToBuilding || kind.target == ToObject;
        if (kind.target == ToPoint) x = Roll(m_Side), y = Roll(m_Side);
        else if (kind.target == ToCargo && Chance(2)) aim = Ship(*unit)->GetCargo(Roll(Ship(*unit)->GetCargoCount()));
        else if (kind.target == ToUnit) aim = PickUnit([&](Unit u) { return kind.unitFits(*unit, u); }, unit);
        else if (onSite) site = PickBuilding([&](Building b) { return kind.buildingFits(*unit, b); }, unit);
        const bool aimed = kind.target == ToUnit || onSite;
        if (kind.target == ToCargo ? !IsCarrying(*unit) : aimed && aim == nullptr && site == nullptr) return {};
        if (aimed) x = aim != nullptr ? aim->x : site->x, y = aim != nullptr ? aim->y : site->y;
        const bool object = kind.target == ToObject;
        unit->onCommand(aim, object ? nullptr : site, object ? site : nullptr, x, y, kind.command);
        if (auto* ship = dynamic_cast<CUnitTransportShip*>(aim); ship != nullptr && kind.command == CMD_GARRISON_SHIP) {
            ship->callIsland = unit->GetRegionId();
            ship->InitAction(nullptr, nullptr, nullptr, unit->x, unit->y, CMD_MOVE_TO_GARRISON, TARGET_BLOCK, true,
                             false);
        }
        return Name(*unit) + (aim != nullptr ? " -> " + Name(*aim) : site != nullptr ? " -> " + Name(*site) : "") +
               Text(" @", x, ",", y);
    }

    // A click on one of the buttons the building's panel shows: train, research, a queue entry to cancel, the
    // unfinished building's cancel, the king out of his keep.  The rally mode is left alone.
    std::string ClickPanel() {
        CBuilding* building = PickBuilding([](Building b) { return IsActive(b.owner) && b.IsListed(); });
        if (building == nullptr) return {};
        const auto render = [building] {
            g_BuildingPanel.BeginFrame(), building->RenderDetailsOnPanel(), building->RenderPanelButtons();
        };
        g_BuildingPanel.mouseX = g_BuildingPanel.mouseY = -1, render();
        const std::vector<SPanelButton> buttons = g_BuildingPanel.GetButtons();
        if (buttons.empty()) return {};
        const SPanelButton& button = buttons[size_t(Roll(int32_t(buttons.size())))];
        g_BuildingPanel.mouseX = button.x + CBuildingPanel::ButtonSize / 2;
        g_BuildingPanel.mouseY = button.y + CBuildingPanel::ButtonSize / 2, g_BuildingCommand.Clear(), render();
        if (g_BuildingPanel.hoverMode == CBuildingPanel::ModeRally) return {};
        if (g_BuildingPanel.hoverMode == CBuildingCommand::CodeUngarrisonKing)
            g_BuildingCommand.commandCode = CBuildingCommand::CodeUngarrisonKing;
        const std::string name = Name(*building) + " icon " + std::to_string(button.icon);
        building->OnPanelCommand();
        return name;
    }

    // The harness's invariants, those of play, the save's link check, and every internal check the game reported in
    // its log: a report is a "#DEBUG" line, and its breakpoint line follows it.
    std::string Check() {
        ++figures.checks;
        std::vector<std::string> faults = m_World->CheckInvariants();
        std::ranges::copy(WorldInvariants::CheckPlay(), std::back_inserter(faults));
        if (const char* link = CObjectLinks().FindFault()) faults.push_back(std::string("save link check: ") + link);
        const std::vector<std::string> lines = m_Log.Lines();
        const auto isReport = [&lines](size_t i) { return i < lines.size() && lines[i].rfind("#DEBUG", 0) == 0; };
        for (size_t i = 0; i < lines.size() && faults.empty(); ++i) {
            const bool explained = lines[i] == "#DEBUG: breakpoint reached" && isReport(i - 1);
            if (!isReport(i) || lines[i] == HeadlessReport || explained) continue;
            faults.push_back("log:");
            for (size_t j = i; j < std::min(lines.size(), i + 24); ++j) faults.back() += "\n    " + lines[j];
        }
        if (!lines.empty()) m_Log.Clear();
        CountHeld();
        return faults.empty() ? std::string() : Text(faults.front(), " (", faults.size(), " faults)");
    }

    void CountHeld() {
        std::map<std::string, int64_t>& held = figures.held;
        for (const CPlayer& player : std::span(g_Players, MaxPlayers)) {
            held["listed units"] += player.unitCount, held["listed buildings"] += player.buildingCount;
            held["tower archers"] += player.towerArchers.GetCount();
            for (const int32_t sites : player.buildingsUnderConstruction) held["construction sites"] += sites;
            for (const CUnit* unit : std::span(player.units, size_t(player.unitCount))) {
                if (Ship(*unit) != nullptr) held["carried units"] += Ship(*unit)->GetCargoCount();
                held["workers in a gold mine"] += !unit->onMap && unit->animType == ANIM_MINE_GOLD;
            }
            for (const CBuilding* building : std::span(player.buildings, size_t(player.buildingCount))) {
                held["kings in a keep"] += building->garrisonedUnit != nullptr;
                held["units waiting in a building"] += building->productionUnit != nullptr;
            }
        }
    }

    // Save through the in-game controller, load, compare every player's counts, save again: the same bytes.
    std::string RoundTrip() {
        static const char* const counted[] = {"units", "buildings", "tower archers"};
        const auto counts = [] {
            std::vector<int32_t> all;
            for (const CPlayer& player : std::span(g_Players, MaxPlayers))
                all.insert(all.end(), {player.unitCount, player.buildingCount, player.towerArchers.GetCount()});
            return all;
        };
        const std::vector<int32_t> before = counts();
        const std::vector<uint8_t> saved = CSaveGameRun::SaveDrawn();
        if (saved.empty()) return "the save was not written";
        if (!m_World->Load(saved)) {
            const std::vector<std::string> lines = m_Log.Lines();
            const auto refusal = std::ranges::find_if(lines, [](auto& l) { return l.find("refused") != l.npos; });
            return "the load was refused: " + (refusal != lines.end() ? *refusal : std::string("no reason logged"));
        }
        const std::vector<int32_t> after = counts();
        for (size_t i = 0; i < before.size(); ++i)
            if (before[i] != after[i])
                return Text("player ", i / 3, "'s ", counted[i % 3], " went from ", before[i], " to ", after[i],
                            " in the load");
        if (CSaveGameRun::SaveDrawn() != saved) return "save, load and save give other bytes";
        ++figures.roundTrips;
        return {};
    }

    void Remember(const std::string& order) {
        m_LastOrders.push_back(Text("f", m_Frame, " ", order));
        if (m_LastOrders.size() > OrdersKept) m_LastOrders.erase(m_LastOrders.begin());
    }

    uint32_t m_Seed;
    std::mt19937 m_Random;
    int32_t m_Side = 0, m_Players = 0;
    int64_t m_Frame = 0;
    std::vector<std::string> m_LastOrders;
    CTestLog m_Log;
    std::unique_ptr<CSimHarness> m_World;
};

const CSoak::SOrderKind CSoak::OrderKinds[] = {
    {"move", 12, AnyUnit, CMD_MOVE_TO},
    {"patrol", 5, AnyUnit, CMD_PATROL},
    {"attack ground", 1, UNIT_CATAPULT, CMD_ATTACK_GROUND},
    {"attack ground", 1, UNIT_WARGALLEY, CMD_ATTACK_GROUND},
    {"cast", 2, UNIT_DEMON, CMD_CAST_MAGIC},
    {"enter keep", 2, UNIT_KING, CMD_ENTER_KEEP, ToHere},
    {"found settlement", 1, UNIT_SETTLER, CMD_FOUND_SETTLEMENT, ToHere},
    {"unload", 3, UNIT_TRANSPORTSHIP, CMD_UNGARRISON, ToCargo},
    {"attack unit", 10, Fighter, CMD_ATTACK, ToUnit,
     [](Unit me, Unit u) { return Standing(u) && IsEnemy(me, u.player) && u.GetMoveLayer() == me.GetMoveLayer(); }},
    {"attack building", 6, Fighter, CMD_ATTACK, ToBuilding, nullptr,
     [](Unit me, Building b) { return IsEnemy(me, b.owner); }},
    {"board", 4, LandUnit, CMD_GARRISON_SHIP, ToUnit,
     [](Unit me, Unit u) { return Orderable(u) && u.player == me.player && u.GetCastID() == UNIT_TRANSPORTSHIP; }},
    {"harvest", 4, UNIT_WORKER, CMD_HARVEST, ToObject, nullptr,
     [](Unit, Building b) { return b.GetResourceKind() != 0; }},
    {"build", 3, UNIT_WORKER, CMD_BUILD, ToBuilding, nullptr,
     [](Unit me, Building b) { return b.owner == me.player && !b.IsFinished(); }},
    {"repair", 2, UNIT_WORKER, CMD_REPAIR, ToBuilding, nullptr,
     [](Unit me, Building b) { return b.owner == me.player && b.IsFinished() && b.health < CBuilding::FullHealth; }},
    {"repair machine", 1, UNIT_WORKER, CMD_REPAIR, ToUnit, [](Unit me, Unit u) {
         return Standing(u) && u.player == me.player && u.IsMachine() && u.health < CUnit::FullHealth;
     }},
    {"dismantle", 1, UNIT_WORKER, CMD_DISMANTLE, ToBuilding, nullptr, [](Unit me, Building b) {
         return b.owner == me.player && b.GetBuildCast() != CastResource && b.GetBuildCast() != CastDecoration;
     }},
    {"heal", 2, UNIT_PRIEST, CMD_HEAL, ToUnit,
     [](Unit me, Unit u) { return Standing(u) && g_Players[me.player].IsFriendTo(u.player) && u.IsHealable(); }},
    // Sent to touch what a neutral or defeated player holds, a unit takes it over on arrival.
    {"capture unit", 1, LandUnit, CMD_MOVE_TO, ToUnit,
     [](Unit, Unit u) { return Standing(u) && IsCapturable(u.player); }},
    {"capture building", 1, LandUnit, CMD_MOVE_TO, ToBuilding, nullptr,
     [](Unit, Building b) { return IsCapturable(b.owner); }},
    // The stance buttons and the stop: a defensive unit that idles guards where it stands.
    {.name = "stop", .weight = 3, .other = [](CSoak& s) {
         return ActOn(s.PickUnit(Orderable), [&s](CUnit& u) { u.stance = STANCE_AGGRESSIVE + s.Roll(3), u.Stop(); });
     }},
    {.name = "guard", .weight = 3, .other = [](CSoak& s) {
         return ActOn(s.PickUnit(Orderable), [](CUnit& u) { u.stance = STANCE_DEFENSIVE, u.Stop(); });
     }},
    {.name = "kill", .weight = 2, .other = [](CSoak& s) { return ActOn(s.PickUnit(Standing), Hit); }},
    {.name = "sink loaded ship", .weight = 1, .other = [](CSoak& s) {
         return ActOn(s.PickUnit([](Unit u) { return Standing(u) && IsCarrying(u); }), Hit);
     }},
    {.name = "destroy building", .weight = 1, .other = [](CSoak& s) {
         return ActOn(s.PickBuilding(IsPlayers), [&s](CBuilding& b) {
             s.Chance(2) ? b.Destroy(false) : void(b.ApplyDamage(nullptr, KillingBlow, DAMAGE_BLADE, true));
         });
     }},
    {.name = "demolish", .weight = 1, .other = [](CSoak& s) {
         return ActOn(s.PickBuilding([](Building b) { return IsActive(b.owner) && b.IsListed(); }),
                      [](CBuilding& b) { b.Demolish(); });
     }},
    {.name = "panel click", .weight = 9, .other = [](CSoak& s) { return s.ClickPanel(); }},
    // Escape: the head of the queue or the research.
    {.name = "cancel", .weight = 1, .other = [](CSoak& s) {
         const auto busy = [](Building b) { return IsActive(b.owner) && (b.queueCount > 0 || b.research != nullptr); };
         return ActOn(s.PickBuilding(busy), [](CBuilding& b) {
             g_BuildingCommand.Clear(), g_BuildingCommand.cancelSlot = CBuildingCommand::CancelCurrent;
             b.OnPanelCommand();
         });
     }},
    // As a script converts: to another playing player, with the new owner's next id as a capture gives it.
    {.name = "convert unit", .weight = 1, .other = [](CSoak& s) {
         const int32_t to = s.Roll(s.m_Players);
         CUnit* unit = IsActive(to) ? s.PickUnit([to](Unit u) { return Standing(u) && u.player != to; }) : nullptr;
         return ActOn(unit, [to](CUnit& u) {
             if (u.ConvertToPlayer(to, true)) u.uniqueId = g_Players[to].NextUnitId(0);
         });
     }},
    {.name = "convert building", .weight = 1, .other = [](CSoak& s) {
         const int32_t to = s.Roll(s.m_Players);
         const auto other = [to](Building b) { return IsPlayers(b) && b.owner != to; };
         CBuilding* building = IsActive(to) ? s.PickBuilding(other) : nullptr;
         return ActOn(building, [to](CBuilding& b) { b.ConvertToPlayer(to, true); });
     }},
    // Now and then a computer player loses everything it fights with; two players at least keep playing.
    {.name = "defeat", .weight = 1, .other = [](CSoak& s) {
         const int32_t p = 1 + s.Roll(s.m_Players - 1);
         const auto active = std::ranges::count_if(std::span(g_Players, MaxPlayers), IsActive, &CPlayer::index);
         if (!s.Chance(20) || active <= 2 || g_Players[p].type != PLAYER_COMPUTER) return std::string();
         g_Players[p].SetDefeated();
         return "p" + std::to_string(p);
     }},
    {.name = "select", .weight = 3, .other = [](CSoak& s) {
         CUnit* unit = s.PickUnit([](Unit u) { return Orderable(u) && u.player == g_LocalPlayer; });
         return s.Chance(4) ? (g_Selection.Clear(), std::string("none"))
                            : ActOn(unit, [](CUnit& u) { g_Selection.AddUnit(&u, 0); });
     }},
};

// One order of a kind drawn by the weights, remembered for the report.
void CSoak::GiveOrder() {
    int32_t total = 0;
    for (const SOrderKind& kind : OrderKinds) total += kind.weight;
    const SOrderKind* kind = OrderKinds;
    for (int32_t roll = Roll(total); (roll -= kind->weight) >= 0;) ++kind;
    if (const std::string given = kind->other != nullptr ? kind->other(*this) : OrderUnit(*kind); !given.empty())
        ++figures.orders[kind->name], Remember(std::string(kind->name) + " " + given);
}

int64_t EnvironmentNumber(const char* name) { return std::getenv(name) != nullptr ? std::atoll(std::getenv(name)) : 0; }
}  // namespace

// Seeds that found a fault, each played up to the frame where it showed.  Seed 6: a unit captured with an id its new
// owner's units held (frame 54), a ship named the unit it was to put ashore, which the save's link check refused
// (60), a defeated player's keep went without letting its king out (519).  Seed 19: a dying unit took up a fight
// and never died (453).  Seed 93: a dismantled keep went without its king (1446).  Seed 3011: a shooter that went
// aboard while its arrow flew was named by the unit it struck (171).  Seed 1 plays longest.
class SoakSeeds : public testing::TestWithParam<std::pair<uint32_t, int64_t>> {};
TEST_P(SoakSeeds, PlayWithoutAFault) { EXPECT_EQ(CSoak(GetParam().first).Play(GetParam().second), ""); }
INSTANTIATE_TEST_SUITE_P(Soak, SoakSeeds,
                         testing::Values(std::pair(6u, 520), std::pair(19u, 460), std::pair(93u, 1450),
                                         std::pair(3011u, 180), std::pair(1u, 3000)),
                         [](const auto& seed) { return "Seed" + std::to_string(seed.param.first); });

// V2KRN_SOAK_SEED plays that seed for V2KRN_SOAK_FRAMES frames or V2KRN_SOAK_SECONDS seconds (3000 frames without
// either) and prints what it played.
TEST(Soak, SeedFromTheEnvironment) {
    if (std::getenv("V2KRN_SOAK_SEED") == nullptr) GTEST_SKIP() << "V2KRN_SOAK_SEED is not set";
    CSoak soak(uint32_t(EnvironmentNumber("V2KRN_SOAK_SEED")));
    const int64_t frames = EnvironmentNumber("V2KRN_SOAK_FRAMES"), seconds = EnvironmentNumber("V2KRN_SOAK_SECONDS");
    EXPECT_EQ(soak.Play(frames <= 0 && seconds <= 0 ? 3000 : frames, double(seconds)), "");
    const SSoakFigures& figures = soak.figures;
    std::printf("frames %lld checks %lld round trips %lld\n", (long long)figures.frames, (long long)figures.checks,
                (long long)figures.roundTrips);
    for (const auto& [kind, count] : figures.orders) std::printf("order %s %lld\n", kind.c_str(), (long long)count);
    for (const auto& [what, count] : figures.held) std::printf("held %s %lld\n", what.c_str(), (long long)count);
}

// Each rule of play broken on its own, on land with deep water from block column 40 on and a shore block column 39
// that both land units and ships may take: the first fault it reports.
TEST(SoakChecks, EachBrokenRuleOfPlayIsReported) {
    const auto unit = [](int32_t p, int32_t type, int32_t x, int32_t y) { return g_Players[p].CreateUnit(type, x, y); };
    const auto finished = [](int32_t cast, int32_t x, int32_t y) {
        CBuilding* built = g_Players[0].CreateBuilding(cast, x, y);
        return built->Construct(0.0f, true), built;
    };
    const struct { std::function<void()> breakRule; std::string fault; } cases[] = {
        {[&] { static_cast<CUnitTransportShip*>(unit(0, UNIT_TRANSPORTSHIP, 41, 10))
                   ->AcceptGarrison(unit(0, UNIT_WARRIOR, 30, 10)); },
         "cargo unit of player 0 with id 1 of type 2 stands on the map"},
        {[&] {
             CUnit* dying = unit(0, UNIT_WARRIOR, 30, 10);
             dying->RemoveFromWorld(false), dying->animType = ANIM_ATTACK;
         },
         "unit of player 0 with id 0 of type 2 dies without playing its death"},
        {[&] { finished(CastHouse, 10, 10), unit(0, UNIT_WARRIOR, 11, 11); },
         "unit of player 0 with id 0 of type 2 stands on a building's solid block at 11,11"},
        {[&] { unit(1, UNIT_WARRIOR, 44, 10); }, "unit of player 1 with id 0 of type 2 stands in deep water at 44,10"},
        {[&] { unit(2, UNIT_TRANSPORTSHIP, 37, 10); }, "unit of player 2 with id 0 of type 7 stands on land at 37,10"},
        {[&] { unit(0, UNIT_WARRIOR, 30, 10), unit(0, UNIT_KNIGHT, 30, 12)->uniqueId = 0; },
         "player 0 holds two living units with id 0"},
        {[&] { finished(CastKeep, 20, 30)->garrisonedUnit = unit(0, UNIT_KING, 30, 10); },
         "the king of the keep at 20,30 stands on the map"},
        {[&] { finished(CastKeep, 20, 30)->garrisonedUnit = unit(3, UNIT_KING, -1, -1); },
         "the king of player 0's keep is of player 3"},
        {[&] { finished(CastHouse, 10, 10), g_GameMap.Block(12, 11).building = nullptr; },
         "a building of player 0 lost its block at 12,11"},
        {[&] { unit(0, UNIT_WARRIOR, 39, 20), unit(0, UNIT_TRANSPORTSHIP, 39, 30); }, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.fault.empty() ? "a warrior and a ship on the shore" : c.fault);
        CSimHarness world;
        for (int32_t x = 40; x <= CSimHarness::DefaultMapSide; ++x)
            for (int32_t y = 0; y <= CSimHarness::DefaultMapSide; ++y)
                g_GameMap.CornerHeight(x, y) = x == 40 ? -21 : -30;
        g_GameMap.UpdateArea(0, 0, -1, -1), c.breakRule();
        const std::vector<std::string> faults = WorldInvariants::CheckPlay();
        EXPECT_EQ(faults.empty() ? "" : faults.front(), c.fault);
    }
}
