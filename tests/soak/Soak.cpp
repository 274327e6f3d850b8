#include "tests/soak/Soak.h"

#include <algorithm>
#include <chrono>
#include <set>

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
#include "tests/support/WorldInvariants.h"
#include "units/C_Unit.h"
#include "units/C_UnitActionBuffer.h"
#include "units/C_UnitTypeTable.h"
#include "units/C_Unit_TransportShip.h"
#include "world/C_GameMap.h"
#include "world/C_Player.h"

namespace
{
constexpr int32_t NotPlaced = -1;
constexpr int32_t DeepCorner = -30;      // water level 10: ships sail
constexpr int32_t HillCorner = 90;       // steep sides blocked, a plateau on top
constexpr int32_t Stock = 200000;        // of each good, so that prices never stop play
constexpr int32_t RainOfHell = 52;
constexpr int32_t KillingBlow = 100000;
constexpr int32_t Tries = 400;
constexpr size_t OrdersKept = 16;
constexpr int32_t MostBuildings = 24;   // for new construction sites
constexpr int32_t FewUnits = 24;        // a player below these is reinforced
constexpr int32_t FewBuildings = 10;
constexpr int32_t ReinforceEvery = 20;
// Reports the headless harness itself causes: a load makes textures without a drawing device.
constexpr const char* HeadlessReports[] = {"#DEBUG: Cannot create texture"};

bool IsActive(int32_t p)
{
    return p >= 0 && p < MaxPlayers && (g_Players[p].type == PLAYER_LOCAL || g_Players[p].type == PLAYER_COMPUTER);
}

bool IsCapturable(int32_t p)
{
    return p >= 0 && p < MaxPlayers && (g_Players[p].type == PLAYER_NONE || g_Players[p].type == PLAYER_DEFEATED);
}

// A unit of a playing player that stands on the map and lives: one that may take an order.
bool Orderable(const CUnit& unit)
{
    return IsActive(unit.player) && unit.onMap && unit.IsFootprintRegistered() && unit.IsAlive() &&
           !unit.IsDying() && unit.GetCastID() != UNIT_TOWERARCHER;
}

bool Standing(const CUnit& unit)
{
    return unit.onMap && unit.IsFootprintRegistered() && unit.IsAlive() && !unit.IsDying();
}

bool IsEnemy(const CUnit& unit, int32_t p)
{
    return unit.player != p && !g_Players[p].IsFriendTo(unit.player);
}

std::string Name(const CUnit& unit)
{
    return "u(p" + std::to_string(unit.player) + " #" + std::to_string(unit.uniqueId) + " c" +
           std::to_string(unit.GetCastID()) + " @" + std::to_string(unit.x) + "," + std::to_string(unit.y) + ")";
}

std::string Name(const CBuilding& building)
{
    return "b(p" + std::to_string(building.owner) + " c" + std::to_string(building.GetBuildCast()) + " @" +
           std::to_string(building.x) + "," + std::to_string(building.y) + ")";
}

std::string At(int32_t x, int32_t y)
{
    return " @" + std::to_string(x) + "," + std::to_string(y);
}

void Order(CUnit& unit, CUnit* target, CBuilding* building, CBuilding* object, int32_t x, int32_t y, int32_t command)
{
    unit.onCommand(target, building, object, x, y, command);
}

void RenderPanel(CBuilding& building)
{
    g_BuildingPanel.BeginFrame();
    building.RenderDetailsOnPanel();
    building.RenderPanelButtons();
}
}  // namespace

const CSoak::SOrderKind CSoak::OrderKinds[] = {
    {"move", 12, &CSoak::Move},          {"attack unit", 10, &CSoak::AttackUnit},
    {"attack building", 6, &CSoak::AttackBuilding}, {"attack ground", 2, &CSoak::AttackGround},
    {"patrol", 5, &CSoak::Patrol},       {"guard", 3, &CSoak::Guard},
    {"stop", 3, &CSoak::Stop},           {"board", 4, &CSoak::Board},
    {"unload", 3, &CSoak::Unload},       {"sink loaded ship", 1, &CSoak::SinkLoadedShip},
    {"harvest", 4, &CSoak::Harvest},     {"build", 3, &CSoak::Build},
    {"repair", 2, &CSoak::Repair},       {"dismantle", 1, &CSoak::Dismantle},
    {"demolish", 1, &CSoak::Demolish},   {"heal", 2, &CSoak::Heal},
    {"cast", 2, &CSoak::Cast},           {"enter keep", 2, &CSoak::EnterKeep},
    {"found settlement", 1, &CSoak::FoundSettlement}, {"panel click", 9, &CSoak::ClickPanel},
    {"cancel", 1, &CSoak::CancelProduction}, {"kill", 2, &CSoak::Kill},
    {"destroy building", 1, &CSoak::DestroyBuilding}, {"convert unit", 1, &CSoak::ConvertUnit},
    {"convert building", 1, &CSoak::ConvertBuilding}, {"capture", 2, &CSoak::Capture},
    {"defeat", 1, &CSoak::Defeat},       {"select", 3, &CSoak::Select},
};

// The game's texts, as a game has them loaded before it starts.
CSoak::CSoak(uint32_t seed) : m_Seed(seed), m_Random(seed)
{
    for (const char* file : {"loading", "messages", "names", "savegames", "technologies"})
    {
        const std::string text =
            CScratchFolder::ReadFile(std::string(V2KRN_SOURCE_DIR "/data/demo/Locale/English/") + file + ".txt");
        g_Localizer.LoadLocaleText(file, text.c_str(), int(text.size()));
    }
    MakeMap();
    // The neutral player's resource sites first: a site takes its blocks from whatever stands there (the game
    // makes sites only where a map's plan leaves room), and a finished trap leaves its block open to the
    // placement test.
    for (int32_t p = m_Players; p >= 0; --p)
        MakePlayer(p);
}

CSoak::~CSoak()
{
    m_World.reset();
    g_Localizer.Clear();
}

// Orders across the whole map are mostly given up before they are carried out: nearby targets let walks end.
template <typename Object>
Object* CSoak::PickOf(const std::vector<Object*>& found, const CUnit* near)
{
    if (found.empty())
        return nullptr;
    if (near == nullptr || Chance(2))
        return found[size_t(Roll(int32_t(found.size())))];
    const auto distance = [near](const Object* object) {
        return std::max(std::abs(object->x - near->x), std::abs(object->y - near->y));
    };
    return *std::min_element(found.begin(), found.end(),
                             [&](const Object* a, const Object* b) { return distance(a) < distance(b); });
}

CUnit* CSoak::PickUnit(const std::function<bool(const CUnit&)>& fits, const CUnit* near)
{
    std::vector<CUnit*> found;
    for (int32_t p = 0; p < MaxPlayers; ++p)
        std::copy_if(g_Players[p].units, g_Players[p].units + g_Players[p].unitCount, std::back_inserter(found),
                     [&](const CUnit* unit) { return unit != near && fits(*unit); });
    return PickOf(found, near);
}

// Every standing building, listed or not (walls, resource sites, decorations), as the map holds them.
CBuilding* CSoak::PickBuilding(const std::function<bool(const CBuilding&)>& fits, const CUnit* near)
{
    std::set<CBuilding*> seen;
    std::vector<CBuilding*> found;
    for (int32_t x = 0; x < m_Side; ++x)
        for (int32_t y = 0; y < m_Side; ++y)
            if (CBuilding* building = g_GameMap.Block(x, y).building;
                building != nullptr && seen.insert(building).second && building->IsAlive() && fits(*building))
                found.push_back(building);
    return PickOf(found, near);
}

// ---- The map ------------------------------------------------------------------------

// Land at height 0 with a sea across it (an islet in it), hills whose steep sides block, and blocks made impassable.
// Only corner heights and the blocks' own flags: a load derives the same terrain from them.
void CSoak::MakeMap()
{
    m_Side = 48 + Roll(49);
    m_Players = 2 + Roll(4);
    m_World = std::make_unique<CSimHarness>(m_Side, m_Seed);
    CSaveGameRun::UseSaveLanguage();
    g_Config.fogOfWar = m_Seed % 2;
    const int32_t seaWest = m_Side / 2 + Roll(m_Side / 6);
    const int32_t seaEast = std::min(seaWest + 12 + Roll(m_Side / 5), m_Side - 8);
    for (int32_t x = seaWest; x <= seaEast; ++x)
        for (int32_t y = 0; y <= m_Side; ++y)
            g_GameMap.CornerHeight(x, y) = DeepCorner;
    const int32_t isletX = (seaWest + seaEast) / 2, isletY = 4 + Roll(m_Side - 10);
    for (int32_t x = isletX; x <= isletX + 3; ++x)
        for (int32_t y = isletY; y <= isletY + 3; ++y)
            g_GameMap.CornerHeight(x, y) = 0;
    for (int32_t hill = 2 + Roll(3); hill > 0; --hill)
    {
        const int32_t left = Roll(seaWest - 6), top = Roll(m_Side - 6), side = 3 + Roll(4);
        for (int32_t x = left; x <= left + side; ++x)
            for (int32_t y = top; y <= top + side; ++y)
                g_GameMap.CornerHeight(x, y) = HillCorner;
    }
    for (int32_t rock = m_Side / 4; rock > 0; --rock)
        g_GameMap.Block(Roll(m_Side), Roll(m_Side)).impassable = 1;
    g_GameMap.UpdateArea(0, 0, -1, -1);
    g_GameMap.AssignRegionIds();
}

// Players 0 .. m_Players - 1 play (0 locally, the others as computer players); player m_Players is neutral and
// holds what the others may capture.  Resource sites come with the neutral player.
void CSoak::MakePlayer(int32_t p)
{
    CPlayer& player = m_World->Player(p);
    const bool neutral = p == m_Players;
    if (neutral)
    {
        player.type = PLAYER_NONE;
        for (const int32_t type : {UNIT_WARRIOR, UNIT_WORKER, UNIT_CATAPULT, UNIT_TRANSPORTSHIP})
            PlaceUnit(p, type);
        PlaceBuilding(p, CastHouse, true);
        PlaceBuilding(p, CastBarracks, true);
        for (int32_t site = 0; site < m_Side / 3; ++site)
            PlaceSite(site % 4 + 1, 1 + Roll(8));
        for (int32_t decoration = 0; decoration < 4; ++decoration)
            if (const int32_t kind = 1 + Roll(79); CBuildingDecorationKinds::Find(kind) != nullptr)
                PlaceSite(0, kind);
        return;
    }
    player.wood = player.stone = player.gold = Stock;
    std::fill(std::begin(player.enabledUnitTypes), std::end(player.enabledUnitTypes), uint8_t(1));
    std::fill(std::begin(player.enabledBuildingCasts), std::end(player.enabledBuildingCasts), uint8_t(1));
    m_World->Research(p, RainOfHell);
    for (int32_t i = 0; i < CBuildingCastTable::CastCount; ++i)
        PlaceBuilding(p, CBuildingCastTable::Row(i).cast, !Chance(4));
    PlaceBuilding(p, CastHouse, true);
    PlaceBuilding(p, CastWall, true);
    for (int32_t i = 0; i < CUnitTypeTable::TypeCount; ++i)
        if (const int32_t type = CUnitTypeTable::Row(i).cast; type != UNIT_TOWERARCHER)
            PlaceUnit(p, type);
    PlaceUnit(p, UNIT_WORKER);
    PlaceUnit(p, UNIT_WARRIOR);
    // Passengers made off the map and taken aboard, as a map's ships carry them.
    for (int32_t i = 0; i < player.unitCount; ++i)
        if (auto* ship = dynamic_cast<CUnitTransportShip*>(player.units[i]))
            for (const int32_t type : {UNIT_WARRIOR, UNIT_WORKER, UNIT_KNIGHT})
                if (CUnit* passenger = player.CreateUnit(type, NotPlaced, NotPlaced))
                    ship->AcceptGarrison(passenger);
}

CUnit* CSoak::PlaceUnit(int32_t p, int32_t type)
{
    const SUnitTypeRow* row = CUnitTypeTable::Find(type);
    for (int32_t i = 0; row != nullptr && i < Tries; ++i)
    {
        const int32_t x = Roll(m_Side - row->size + 1), y = Roll(m_Side - row->size + 1);
        if (g_GameMap.IsAreaFree(x, y, row->size, row->moveLayer))
            return m_World->Player(p).CreateUnit(type, x, y);
    }
    return nullptr;
}

// As the game places a building: made off the map, tried where the placement test accepts it, then placed and
// finished as a map's building, or opened as a construction site.
CBuilding* CSoak::PlaceBuilding(int32_t p, int32_t cast, bool finished)
{
    CBuilding* building = m_World->Player(p).CreateBuilding(cast, NotPlaced, NotPlaced);
    for (int32_t i = 0; building != nullptr && i < Tries; ++i)
    {
        building->x = Roll(m_Side - building->GetWidth() + 1);
        building->y = Roll(m_Side - building->GetDepth() + 1);
        if (!building->CanPlaceAt(p, 1, 0, 0))
            continue;
        building->PlaceOnMap();
        finished ? building->OnMapPlaced(0.0f, true) : building->AddBuildProgress(0.0f, false);
        return building;
    }
    Dispose(building);
    return nullptr;
}

// A resource site (kind 1 .. 4, `detail` its tree cast) or a decoration (kind 0, `detail` its kind): the factory
// places what it makes at once, so a probe of the same kind finds the place first.
CBuilding* CSoak::PlaceSite(int32_t kind, int32_t detail)
{
    CPlayer& maker = m_World->Player(0);
    const auto make = [&](int32_t x, int32_t y) {
        return kind == 0 ? maker.CreateDecorationBuilding(detail, x, y)
                         : maker.CreateResource(kind, x, y, 2000, kind == ResourceKindTree ? detail : 0);
    };
    CBuilding* probe = make(NotPlaced, NotPlaced);
    for (int32_t i = 0; probe != nullptr && i < Tries; ++i)
    {
        probe->x = Roll(m_Side - probe->GetWidth() + 1);
        probe->y = Roll(m_Side - probe->GetDepth() + 1);
        if (!probe->CanPlaceAt(0, 1, 0, 0))
            continue;
        const int32_t x = probe->x, y = probe->y;
        Dispose(probe);
        return make(x, y);
    }
    Dispose(probe);
    return nullptr;
}

void CSoak::Dispose(CBuilding* probe)
{
    if (probe == nullptr)
        return;
    g_PtrGarbage.AddBuilding(probe);
    m_World->FlushDeleted();
}

// ---- Orders ----------------------------------------------------------------------------

std::string CSoak::GiveOrder()
{
    int32_t total = 0;
    for (const SOrderKind& kind : OrderKinds)
        total += kind.weight;
    int32_t roll = Roll(total);
    for (const SOrderKind& kind : OrderKinds)
        if ((roll -= kind.weight) < 0)
        {
            std::string given = (this->*kind.give)();
            if (!given.empty())
                ++m_Figures.orders[kind.name];
            return given.empty() ? given : std::string(kind.name) + " " + given;
        }
    return {};
}

std::string CSoak::Move()
{
    CUnit* unit = PickUnit(Orderable);
    if (unit == nullptr)
        return {};
    const int32_t x = Roll(m_Side), y = Roll(m_Side);
    Order(*unit, nullptr, nullptr, nullptr, x, y, CMD_MOVE_TO);
    return Name(*unit) + At(x, y);
}

std::string CSoak::AttackUnit()
{
    CUnit* unit = PickUnit([](const CUnit& u) { return Orderable(u) && u.CanAttackUnits(); });
    CUnit* target = unit == nullptr ? nullptr : PickUnit([unit](const CUnit& u) {
        return Standing(u) && IsEnemy(u, unit->player) && u.GetMoveLayer() == unit->GetMoveLayer();
    }, unit);
    if (target == nullptr)
        return {};
    Order(*unit, target, nullptr, nullptr, target->x, target->y, CMD_ATTACK);
    return Name(*unit) + " -> " + Name(*target);
}

std::string CSoak::AttackBuilding()
{
    CUnit* unit = PickUnit([](const CUnit& u) { return Orderable(u) && u.CanAttackUnits(); });
    CBuilding* target = unit == nullptr ? nullptr : PickBuilding([unit](const CBuilding& b) {
        return b.owner >= 0 && b.owner < MaxPlayers && b.owner != unit->player &&
               !g_Players[unit->player].IsFriendTo(b.owner);
    }, unit);
    if (target == nullptr)
        return {};
    Order(*unit, nullptr, target, nullptr, target->x, target->y, CMD_ATTACK);
    return Name(*unit) + " -> " + Name(*target);
}

std::string CSoak::AttackGround()
{
    CUnit* unit = PickUnit([](const CUnit& u) {
        return Orderable(u) && (u.GetCastID() == UNIT_CATAPULT || u.GetCastID() == UNIT_WARGALLEY);
    });
    if (unit == nullptr)
        return {};
    const int32_t x = Roll(m_Side), y = Roll(m_Side);
    Order(*unit, nullptr, nullptr, nullptr, x, y, CMD_ATTACK_GROUND);
    return Name(*unit) + At(x, y);
}

std::string CSoak::Patrol()
{
    CUnit* unit = PickUnit(Orderable);
    if (unit == nullptr)
        return {};
    const int32_t x = Roll(m_Side), y = Roll(m_Side);
    Order(*unit, nullptr, nullptr, nullptr, x, y, CMD_PATROL);
    return Name(*unit) + At(x, y);
}

// The stance buttons: a defensive unit that idles guards where it stands.
std::string CSoak::Guard()
{
    CUnit* unit = PickUnit(Orderable);
    if (unit == nullptr)
        return {};
    unit->stance = STANCE_AGGRESSIVE + Roll(3);
    unit->Stop();
    return Name(*unit) + " stance " + std::to_string(unit->stance);
}

std::string CSoak::Stop()
{
    CUnit* unit = PickUnit(Orderable);
    if (unit == nullptr)
        return {};
    unit->Stop();
    return Name(*unit);
}

// As the selection orders it: the land unit walks to the ship, which is called to the island the unit stands on.
std::string CSoak::Board()
{
    CUnit* ship = PickUnit([](const CUnit& u) { return Orderable(u) && u.GetCastID() == UNIT_TRANSPORTSHIP; });
    CUnit* unit = ship == nullptr ? nullptr : PickUnit([ship](const CUnit& u) {
        return Orderable(u) && u.player == ship->player && u.GetMoveLayer() == 1;
    }, ship);
    if (unit == nullptr)
        return {};
    Order(*unit, ship, nullptr, nullptr, ship->x, ship->y, CMD_GARRISON_SHIP);
    static_cast<CUnitTransportShip*>(ship)->callIsland = unit->GetRegionId();
    ship->InitAction(nullptr, nullptr, nullptr, unit->x, unit->y, CMD_MOVE_TO_GARRISON, TARGET_BLOCK, true, false);
    return Name(*unit) + " -> " + Name(*ship);
}

std::string CSoak::Unload()
{
    auto* ship = static_cast<CUnitTransportShip*>(PickUnit([](const CUnit& u) {
        return Orderable(u) && u.GetCastID() == UNIT_TRANSPORTSHIP &&
               static_cast<const CUnitTransportShip&>(u).GetCargoCount() > 0;
    }));
    if (ship == nullptr)
        return {};
    CUnit* one = Chance(2) ? ship->GetCargo(Roll(ship->GetCargoCount())) : nullptr;
    Order(*ship, one, nullptr, nullptr, ship->x, ship->y, one != nullptr ? CMD_UNGARRISON_ONE : CMD_UNGARRISON);
    return Name(*ship) + (one != nullptr ? " " + Name(*one) : " all");
}

std::string CSoak::SinkLoadedShip()
{
    CUnit* ship = PickUnit([](const CUnit& u) {
        return Standing(u) && u.GetCastID() == UNIT_TRANSPORTSHIP &&
               static_cast<const CUnitTransportShip&>(u).GetCargoCount() > 0;
    });
    if (ship == nullptr)
        return {};
    const std::string name = Name(*ship);
    ship->TakeHit(nullptr, KillingBlow, DAMAGE_BLADE, false);
    return name;
}

std::string CSoak::Harvest()
{
    CUnit* worker = PickUnit([](const CUnit& u) { return Orderable(u) && u.GetCastID() == UNIT_WORKER; });
    CBuilding* site =
        worker == nullptr ? nullptr : PickBuilding([](const CBuilding& b) { return b.GetResourceKind() != 0; }, worker);
    if (site == nullptr)
        return {};
    Order(*worker, nullptr, nullptr, site, site->x, site->y, CMD_HARVEST);
    return Name(*worker) + " -> " + Name(*site);
}

// Half the time the worker's player opens a new construction site first.
std::string CSoak::Build()
{
    CUnit* worker = PickUnit([](const CUnit& u) { return Orderable(u) && u.GetCastID() == UNIT_WORKER; });
    if (worker == nullptr)
        return {};
    if (Chance(2) && m_World->Player(worker->player).buildingCount < MostBuildings)
        PlaceBuilding(worker->player, CBuildingCastTable::Row(Roll(CBuildingCastTable::CastCount)).cast, false);
    CBuilding* site =
        PickBuilding([worker](const CBuilding& b) { return b.owner == worker->player && !b.IsFinished(); }, worker);
    if (site == nullptr)
        return {};
    Order(*worker, nullptr, site, nullptr, site->x, site->y, CMD_BUILD);
    return Name(*worker) + " -> " + Name(*site);
}

std::string CSoak::Repair()
{
    CUnit* worker = PickUnit([](const CUnit& u) { return Orderable(u) && u.GetCastID() == UNIT_WORKER; });
    if (worker == nullptr)
        return {};
    CUnit* machine = Chance(3) ? PickUnit([worker](const CUnit& u) {
        return Standing(u) && u.player == worker->player && u.IsMachine() && u.health < CUnit::FullHealth;
    }, worker)
                               : nullptr;
    CBuilding* building = machine != nullptr ? nullptr : PickBuilding([worker](const CBuilding& b) {
        return b.owner == worker->player && b.IsFinished() && b.health < CBuilding::FullHealth;
    }, worker);
    if (machine == nullptr && building == nullptr)
        return {};
    const int32_t x = machine != nullptr ? machine->x : building->x, y = machine != nullptr ? machine->y : building->y;
    Order(*worker, machine, building, nullptr, x, y, CMD_REPAIR);
    return Name(*worker) + " -> " + (machine != nullptr ? Name(*machine) : Name(*building));
}

std::string CSoak::Dismantle()
{
    CUnit* worker = PickUnit([](const CUnit& u) { return Orderable(u) && u.GetCastID() == UNIT_WORKER; });
    CBuilding* building = worker == nullptr ? nullptr : PickBuilding([worker](const CBuilding& b) {
        return b.owner == worker->player && b.GetBuildCast() != CastResource && b.GetBuildCast() != CastDecoration;
    });
    if (building == nullptr)
        return {};
    Order(*worker, nullptr, building, nullptr, building->x, building->y, CMD_DISMANTLE);
    return Name(*worker) + " -> " + Name(*building);
}

std::string CSoak::Demolish()
{
    CBuilding* building = PickBuilding([](const CBuilding& b) { return IsActive(b.owner) && b.IsListed(); });
    if (building == nullptr)
        return {};
    const std::string name = Name(*building);
    building->Demolish();
    return name;
}

std::string CSoak::Heal()
{
    CUnit* priest = PickUnit([](const CUnit& u) { return Orderable(u) && u.GetCastID() == UNIT_PRIEST; });
    CUnit* patient = priest == nullptr ? nullptr : PickUnit([priest](const CUnit& u) {
        return Standing(u) && g_Players[priest->player].IsFriendTo(u.player) && u.IsHealable();
    }, priest);
    if (patient == nullptr)
        return {};
    Order(*priest, patient, nullptr, nullptr, patient->x, patient->y, CMD_HEAL);
    return Name(*priest) + " -> " + Name(*patient);
}

std::string CSoak::Cast()
{
    CUnit* demon = PickUnit([](const CUnit& u) { return Orderable(u) && u.GetCastID() == UNIT_DEMON; });
    if (demon == nullptr)
        return {};
    const int32_t x = Roll(m_Side), y = Roll(m_Side);
    Order(*demon, nullptr, nullptr, nullptr, x, y, CMD_CAST_MAGIC);
    return Name(*demon) + At(x, y);
}

std::string CSoak::EnterKeep()
{
    CUnit* king = PickUnit([](const CUnit& u) { return Orderable(u) && u.GetCastID() == UNIT_KING; });
    if (king == nullptr)
        return {};
    Order(*king, nullptr, nullptr, nullptr, king->x, king->y, CMD_ENTER_KEEP);
    return Name(*king);
}

std::string CSoak::FoundSettlement()
{
    CUnit* settler = PickUnit([](const CUnit& u) { return Orderable(u) && u.GetCastID() == UNIT_SETTLER; });
    if (settler == nullptr)
        return {};
    Order(*settler, nullptr, nullptr, nullptr, settler->x, settler->y, CMD_FOUND_SETTLEMENT);
    return Name(*settler);
}

// A click on one of the buttons the building's panel shows: train, research, a queue entry to cancel, the
// unfinished building's cancel, the king out of his keep.  The rally mode is left alone.
std::string CSoak::ClickPanel()
{
    CBuilding* building = PickBuilding([](const CBuilding& b) { return IsActive(b.owner) && b.IsListed(); });
    if (building == nullptr)
        return {};
    g_BuildingPanel.mouseX = g_BuildingPanel.mouseY = -1;
    RenderPanel(*building);
    const std::vector<SPanelButton> buttons = g_BuildingPanel.GetButtons();
    if (buttons.empty())
        return {};
    const SPanelButton& button = buttons[size_t(Roll(int32_t(buttons.size())))];
    g_BuildingPanel.mouseX = button.x + CBuildingPanel::ButtonSize / 2;
    g_BuildingPanel.mouseY = button.y + CBuildingPanel::ButtonSize / 2;
    g_BuildingCommand.Clear();
    RenderPanel(*building);
    if (g_BuildingPanel.hoverMode == CBuildingPanel::ModeRally)
        return {};
    if (g_BuildingPanel.hoverMode == CBuildingCommand::CodeUngarrisonKing)
        g_BuildingCommand.commandCode = CBuildingCommand::CodeUngarrisonKing;
    const std::string name = Name(*building) + " icon " + std::to_string(button.icon);
    building->OnPanelCommand();
    return name;
}

// Escape: the head of the queue or the research.
std::string CSoak::CancelProduction()
{
    CBuilding* building = PickBuilding([](const CBuilding& b) {
        return IsActive(b.owner) && (b.queueCount > 0 || b.research != nullptr);
    });
    if (building == nullptr)
        return {};
    g_BuildingCommand.Clear();
    g_BuildingCommand.cancelSlot = CBuildingCommand::CancelCurrent;
    building->OnPanelCommand();
    return Name(*building);
}

std::string CSoak::Kill()
{
    CUnit* unit = PickUnit(Standing);
    if (unit == nullptr)
        return {};
    const std::string name = Name(*unit);
    unit->TakeHit(nullptr, KillingBlow, DAMAGE_BLADE, false);
    return name;
}

std::string CSoak::DestroyBuilding()
{
    CBuilding* building = PickBuilding([](const CBuilding& b) { return b.owner >= 0 && b.owner < MaxPlayers; });
    if (building == nullptr)
        return {};
    const std::string name = Name(*building);
    if (Chance(2))
        building->Destroy(false);
    else
        building->ApplyDamage(nullptr, KillingBlow, DAMAGE_BLADE, true);
    return name;
}

// As a script converts: to another playing player, with the new owner's next id as a capture gives it.
std::string CSoak::ConvertUnit()
{
    CUnit* unit = PickUnit(Standing);
    const int32_t to = Roll(m_Players);
    if (unit == nullptr || !IsActive(to) || unit->player == to)
        return {};
    const std::string name = Name(*unit);
    if (unit->ConvertToPlayer(to, true))
        unit->uniqueId = g_Players[to].NextUnitId(0);
    return name + " to p" + std::to_string(to);
}

std::string CSoak::ConvertBuilding()
{
    CBuilding* building = PickBuilding([](const CBuilding& b) { return b.owner >= 0 && b.owner < MaxPlayers; });
    const int32_t to = Roll(m_Players);
    if (building == nullptr || !IsActive(to) || building->owner == to)
        return {};
    const std::string name = Name(*building);
    building->ConvertToPlayer(to, true);
    return name + " to p" + std::to_string(to);
}

// A unit sent to touch what a neutral or defeated player holds takes it over on arrival.
std::string CSoak::Capture()
{
    CUnit* unit = PickUnit([](const CUnit& u) { return Orderable(u) && u.GetMoveLayer() == 1; });
    CUnit* prize =
        unit == nullptr ? nullptr : PickUnit([](const CUnit& u) { return Standing(u) && IsCapturable(u.player); }, unit);
    CBuilding* building = unit == nullptr || prize != nullptr ? nullptr : PickBuilding([](const CBuilding& b) {
        return IsCapturable(b.owner) && b.IsListed();
    }, unit);
    if (prize == nullptr && building == nullptr)
        return {};
    const int32_t x = prize != nullptr ? prize->x : building->x, y = prize != nullptr ? prize->y : building->y;
    Order(*unit, nullptr, nullptr, nullptr, x, y, CMD_MOVE_TO);
    return Name(*unit) + " -> " + (prize != nullptr ? Name(*prize) : Name(*building));
}

// Now and then a computer player loses everything it fights with; two players at least keep playing.
std::string CSoak::Defeat()
{
    if (!Chance(20))
        return {};
    int32_t active = 0;
    for (int32_t p = 0; p < MaxPlayers; ++p)
        active += IsActive(p) ? 1 : 0;
    const int32_t p = 1 + Roll(m_Players - 1);
    if (active <= 2 || g_Players[p].type != PLAYER_COMPUTER)
        return {};
    g_Players[p].SetDefeated();
    return "p" + std::to_string(p);
}

std::string CSoak::Select()
{
    if (Chance(4))
    {
        g_Selection.Clear();
        return "none";
    }
    CUnit* unit = PickUnit([](const CUnit& u) { return Orderable(u) && u.player == g_LocalPlayer; });
    if (unit == nullptr)
        return {};
    g_Selection.AddUnit(unit, 0);
    return Name(*unit);
}

// A new building or unit for each playing player that has few, so that play does not thin out.
void CSoak::Reinforce()
{
    for (int32_t p = 0; p < m_Players; ++p)
    {
        CPlayer& player = m_World->Player(p);
        const int32_t cast = CBuildingCastTable::Row(Roll(CBuildingCastTable::CastCount)).cast;
        const int32_t type = CUnitTypeTable::Row(Roll(CUnitTypeTable::TypeCount)).cast;
        if (!IsActive(p))
            continue;
        if (player.buildingCount < FewBuildings)
            if (CBuilding* building = PlaceBuilding(p, cast, !Chance(4)))
                Remember("reinforce " + Name(*building));
        if (player.unitCount < FewUnits && type != UNIT_TOWERARCHER)
            if (CUnit* unit = PlaceUnit(p, type))
                Remember("reinforce " + Name(*unit));
    }
}

// ---- Checks --------------------------------------------------------------------------------

// The harness's invariants, those of play, the save's link check, and every internal check the game reported in
// its log (but what the headless harness causes).
std::string CSoak::Check()
{
    ++m_Figures.checks;
    std::vector<std::string> faults = m_World->CheckInvariants();
    const std::vector<std::string> play = WorldInvariants::CheckPlay();
    faults.insert(faults.end(), play.begin(), play.end());
    if (const char* link = CObjectLinks().FindFault())
        faults.push_back(std::string("save link check: ") + link);
    const std::vector<std::string> lines = m_Log.Lines();
    for (size_t i = 0; i < lines.size() && faults.empty(); ++i)
    {
        const bool report = lines[i].rfind("#DEBUG", 0) == 0;
        const bool breakpoint = lines[i] == "#DEBUG: breakpoint reached";
        const bool headless = std::find(std::begin(HeadlessReports), std::end(HeadlessReports), lines[i]) !=
                              std::end(HeadlessReports);
        const bool explained = breakpoint && i > 0 && lines[i - 1].rfind("#DEBUG", 0) == 0;
        if (!report || headless || explained)
            continue;
        faults.push_back("log:");
        for (size_t j = i; j < std::min(lines.size(), i + 24); ++j)
            faults.back() += "\n    " + lines[j];
    }
    if (!lines.empty())
        m_Log.Clear();
    CountHeld();
    return faults.empty() ? std::string() : faults.front() + " (" + std::to_string(faults.size()) + " faults)";
}

void CSoak::CountHeld()
{
    for (int32_t p = 0; p < MaxPlayers; ++p)
    {
        const CPlayer& player = g_Players[p];
        m_Figures.held["listed units"] += player.unitCount;
        m_Figures.held["listed buildings"] += player.buildingCount;
        m_Figures.held["tower archers"] += player.towerArchers.GetCount();
        for (int32_t i = 0; i < player.unitCount; ++i)
        {
            const CUnit& unit = *player.units[i];
            if (const auto* ship = dynamic_cast<const CUnitTransportShip*>(&unit))
                m_Figures.held["carried units"] += ship->GetCargoCount();
            m_Figures.held["workers in a gold mine"] += unit.GetCastID() == UNIT_WORKER && !unit.onMap &&
                                                         unit.animType == ANIM_MINE_GOLD;
        }
        for (int32_t i = 0; i < player.buildingCount; ++i)
        {
            m_Figures.held["kings in a keep"] += player.buildings[i]->garrisonedUnit != nullptr;
            m_Figures.held["waiting units"] += player.buildings[i]->productionUnit != nullptr;
        }
        for (const int32_t sites : player.buildingsUnderConstruction)
            m_Figures.held["construction sites"] += sites;
    }
}

// Save through the in-game controller, load, compare every player's counts, save again: the same bytes.
std::string CSoak::RoundTrip()
{
    static const char* const counted[] = {"units", "buildings", "tower archers"};
    const auto counts = [] {
        std::vector<int32_t> all;
        for (int32_t p = 0; p < MaxPlayers; ++p)
            all.insert(all.end(), {g_Players[p].unitCount, g_Players[p].buildingCount,
                                   g_Players[p].towerArchers.GetCount()});
        return all;
    };
    const std::vector<int32_t> before = counts();
    const std::vector<uint8_t> saved = CSaveGameRun::SaveDrawn();
    if (saved.empty())
        return "the save was not written";
    if (!m_World->Load(saved))
    {
        const std::vector<std::string> lines = m_Log.Lines();
        const auto refusal = std::find_if(lines.begin(), lines.end(),
                                          [](const std::string& line) { return line.find("refused") != line.npos; });
        return "the load was refused: " + (refusal != lines.end() ? *refusal : std::string("no reason logged"));
    }
    const std::vector<int32_t> after = counts();
    for (size_t i = 0; i < before.size(); ++i)
        if (before[i] != after[i])
            return "player " + std::to_string(i / 3) + "'s " + counted[i % 3] + " went from " +
                   std::to_string(before[i]) + " to " + std::to_string(after[i]) + " in the load";
    if (CSaveGameRun::SaveDrawn() != saved)
        return "save, load and save give other bytes";
    ++m_Figures.roundTrips;
    return {};
}

// ---- The run --------------------------------------------------------------------------------------------

void CSoak::Remember(const std::string& order)
{
    m_LastOrders.push_back("f" + std::to_string(m_Frame) + " " + order);
    if (m_LastOrders.size() > OrdersKept)
        m_LastOrders.pop_front();
}

std::string CSoak::Report(const std::string& fault) const
{
    std::string report = "seed " + std::to_string(m_Seed) + " frame " + std::to_string(m_Frame) + ": " + fault +
                         "\nlast orders:";
    for (const std::string& order : m_LastOrders)
        report += "\n  " + order;
    return report;
}

std::string CSoak::Play(int64_t frames, double seconds)
{
    const auto start = std::chrono::steady_clock::now();
    const auto elapsed = [&start] {
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    };
    for (int64_t played = 0; (frames <= 0 || played < frames) && (seconds <= 0.0 || elapsed() < seconds); ++played)
    {
        for (int32_t orders = Roll(3); orders > 0; --orders)
            if (const std::string given = GiveOrder(); !given.empty())
                Remember(given);
        if (m_Frame % ReinforceEvery == 0)
            Reinforce();
        m_World->Frame(1 + Roll(3));
        ++m_Frame;
        ++m_Figures.frames;
        std::string fault = m_Frame % CheckEvery == 0 ? Check() : std::string();
        if (fault.empty() && m_Frame % SaveEvery == 0)
            fault = RoundTrip();
        if (!fault.empty())
            return Report(fault);
    }
    return {};
}
