#include "game/C_ObjectLinks.h"

#include <vector>

#include "buildings/C_Building.h"
#include "buildings/C_BuildingDecorationFountain.h"
#include "buildings/C_BuildingDecorationTorch.h"
#include "buildings/C_BuildingKeep.h"
#include "buildings/C_BuildingTower.h"
#include "effects/C_Particles.h"
#include "game/C_Selection.h"
#include "units/C_Unit.h"
#include "units/C_Unit_King.h"
#include "units/C_Unit_TransportShip.h"
#include "world/C_GameMap.h"
#include "world/C_Player.h"
#include "world/C_Technology.h"

// ---- Who holds what --------------------------------------------------------------

namespace
{
// A torch's flame and a fountain's water are particles of the saved pool of
// their own kind (the brazier burns a building fire), and so is each fire a
// building burns: any other handle would put out another object's particle
// when the torch goes or the fire dies down.
const char* CheckLastingParticles(const std::unordered_set<const CBuilding*>& standing)
{
    constexpr int32_t BrazierKind = 33;
    const auto holds = [](int32_t handle, int32_t kind) {
        const CParticles::SEmitter* emitter = g_Particles.FindEmitter(handle);
        return emitter != nullptr && emitter->kind == kind;
    };
    for (const CBuilding* building : standing)
    {
        for (int32_t i = 0; i < building->fireCount && building->firePositions != nullptr; ++i)
        {
            const int32_t fire = building->firePositions[i].particle;
            if (fire != CBuilding::NoParticle && !g_Particles.IsBuildingFire(fire))
                return "a building's fire is no fire of the particles";
        }
        if (const auto* torch = dynamic_cast<const CDecorationTorch*>(building))
        {
            const int32_t flame = torch->flameEmitter;
            const bool burns = torch->decorationKind == BrazierKind ? g_Particles.IsBuildingFire(flame)
                                                                    : holds(flame, CParticles::KindFlame);
            if (flame != -1 && !burns)
                return "a torch's flame is no flame of the particles";
        }
        if (const auto* fountain = dynamic_cast<const CDecorationFountain*>(building))
            if (fountain->waterEmitter != -1 && !holds(fountain->waterEmitter, CParticles::KindFountainWater))
                return "a fountain's water is no water of the particles";
    }
    return nullptr;
}
}  // namespace

namespace
{
// A keep and the king it shelters name each other: he is a living king,
// listed, off the map (a keep that changed sides while the map had no room
// for him keeps the old owner's king); a king who names a keep sits in that
// standing keep.  A keep's hearth is a flame of the saved particles.
const char* CheckShelteredKings(const std::unordered_set<const CUnit*>& listed,
                                const std::unordered_set<const CBuilding*>& standing)
{
    for (const CBuilding* building : standing)
    {
        const auto* keep = dynamic_cast<const CBuildingKeep*>(building);
        if (keep == nullptr)
            continue;
        const CParticles::SEmitter* hearth = g_Particles.FindEmitter(keep->hearthEmitter);
        if (keep->hearthEmitter != -1 && (hearth == nullptr || hearth->kind != CParticles::KindFlame))
            return "a keep's hearth is no flame of the particles";
        const auto* king = dynamic_cast<const CUnitKing*>(keep->GetKing());
        if (keep->GetKing() == nullptr)
            continue;
        if (king == nullptr || listed.count(king) == 0 || king->IsDying() || king->onMap ||
            king->IsFootprintRegistered() || king->keep != keep)
            return "a keep shelters no living king who names it";
    }
    for (const CUnit* unit : listed)
        if (const auto* king = dynamic_cast<const CUnitKing*>(unit))
            if (king->keep != nullptr && (standing.count(king->keep) == 0 || king->keep->garrisonedUnit != king))
                return "a king names a keep that does not shelter him";
    return nullptr;
}
}  // namespace

CObjectLinks::CObjectLinks()
{
    GatherUnits();
    GatherBuildings();
    m_GatherFault = GatherHeldUnits();
}

void CObjectLinks::GatherUnits()
{
    for (int32_t p = 0; p < MaxPlayers; ++p)
        for (int32_t i = 0; i < g_Players[p].unitCount; ++i)
            m_Listed.insert(g_Players[p].units[i]);
    std::vector<CUnit*> corpses;
    std::vector<CBuilding*> ruins;
    g_Particles.GetHeldObjects(corpses, ruins);
    m_Corpses.insert(corpses.begin(), corpses.end());
    m_Ruins.insert(ruins.begin(), ruins.end());
}

void CObjectLinks::GatherBuildings()
{
    for (int32_t p = 0; p < MaxPlayers; ++p)
        for (int32_t i = 0; i < g_Players[p].buildingCount; ++i)
            m_Standing.insert(g_Players[p].buildings[i]);
    for (int32_t x = 0; x < MapBlockSide; ++x)
        for (int32_t y = 0; y < MapBlockSide; ++y)
            if (const CBuilding* building = std::as_const(g_GameMap).Block(x, y).building)
                m_Standing.insert(building);
    for (const CBuilding* ruin : m_Ruins)
        m_Standing.erase(ruin);
    m_Standing.erase(nullptr);
}

// The archers of every tower, ruined ones too (a ruin deletes them with
// itself), and the kings the keeps shelter; the waiting units of the
// standing buildings; the ships' cargo.
const char* CObjectLinks::GatherHeldUnits()
{
    for (const std::unordered_set<const CBuilding*>* buildings : {&m_Standing, &m_Ruins})
        for (const CBuilding* building : *buildings)
        {
            if (const CBuildingTower* tower = dynamic_cast<const CBuildingTower*>(building))
                for (const CUnit* archer : tower->archers)
                    if (archer != nullptr)
                        m_Manned.emplace(archer, tower);
            if (const auto* keep = dynamic_cast<const CBuildingKeep*>(building); keep && keep->GetKing())
                m_Sheltered.insert(keep->GetKing());
        }
    for (const CBuilding* ruin : m_Ruins)
        if (ruin->productionUnit != nullptr)
            return "a ruin holds a production unit";
    for (const CBuilding* building : m_Standing)
        if (const char* fault = CheckProduction(*building, building->productionUnit))
            return fault;
    for (const CUnit* unit : m_Listed)
        if (const char* fault = CheckCargo(*unit))
            return fault;
    for (const CUnit* corpse : m_Corpses)
        if (const char* fault = CheckCargo(*corpse))
            return fault;
    return nullptr;
}

// The unit a building made and holds until it finds a way out: its owner
// lists it, it stands on no block, and the building deletes it when it goes,
// so no keep may shelter it as well.
const char* CObjectLinks::CheckProduction(const CBuilding& building, const CUnit* waiting)
{
    if (waiting == nullptr)
        return nullptr;
    const bool ownersWaiting = m_Listed.count(waiting) != 0 && waiting->player == building.owner &&
                               !waiting->IsDying() && !waiting->onMap && !waiting->IsFootprintRegistered();
    if (!ownersWaiting)
        return "a building's production unit is no waiting unit of its owner";
    if (m_Sheltered.count(waiting) != 0)
        return "a building's production unit is sheltered in a keep";
    if (!m_Waiting.insert(waiting).second)
        return "a production unit waits in two buildings";
    return nullptr;
}

// A carried unit is a living land unit of a player, off the map, aboard one
// ship only.  A sinking ship drops its cargo at once, so a dead one carries
// none.
const char* CObjectLinks::CheckCargo(const CUnit& ship)
{
    const CUnitTransportShip* transport = dynamic_cast<const CUnitTransportShip*>(&ship);
    if (transport == nullptr || transport->GetCargoCount() == 0)
        return nullptr;
    if (ship.IsDying())
        return "a sunk ship's cargo is still aboard";
    for (int32_t i = 0; i < transport->GetCargoCount(); ++i)
    {
        const CUnit* unit = transport->GetCargo(i);
        const bool aboard = m_Listed.count(unit) != 0 && !unit->IsDying() && !unit->IsShip() && !unit->onMap &&
                            !unit->IsFootprintRegistered() && m_Waiting.count(unit) == 0;
        if (!aboard)
            return "a ship's cargo is no living unit off the map";
        if (!m_Carried.insert(unit).second)
            return "a unit is carried by two ships";
    }
    return nullptr;
}

// ---- What links may name ---------------------------------------------------------

bool CObjectLinks::IsLinkableUnit(const CUnit* unit) const
{
    const auto manned = m_Manned.find(unit);
    const bool held = m_Listed.count(unit) != 0 || (manned != m_Manned.end() && IsStandingBuilding(manned->second));
    return held && !unit->IsDying() && m_Waiting.count(unit) == 0 && m_Carried.count(unit) == 0;
}

bool CObjectLinks::IsStandingBuilding(const CBuilding* building) const
{
    return m_Standing.count(building) != 0;
}

const char* CObjectLinks::CheckUnitLinks(const CUnit& unit) const
{
    // A ship on its way to put one of its units ashore names that unit as
    // its target.
    const auto* ship = dynamic_cast<const CUnitTransportShip*>(&unit);
    const CUnit* target = ship != nullptr && ship->IsCarrying(unit.targetUnit) ? nullptr : unit.targetUnit;
    const struct
    {
        const CUnit* linked;
        const char* fault;
    } unitLinks[] = {
        {unit.actionTargetUnit, "a unit's action target unit is no living unit"},
        {unit.followedUnit, "a unit's followed unit is no living unit"},
        {target, "a unit's target unit is no living unit"},
        {unit.attacker, "a unit's attacker is no living unit"},
    };
    for (const auto& link : unitLinks)
        if (link.linked != nullptr && !IsLinkableUnit(link.linked))
            return link.fault;
    const struct
    {
        const CBuilding* linked;
        const char* fault;
    } buildingLinks[] = {
        {unit.actionTargetBuilding, "a unit's action target building is no standing building"},
        {unit.targetBuilding, "a unit's target building is no standing building"},
        {unit.targetObject, "a unit's target object is no standing building"},
    };
    for (const auto& link : buildingLinks)
        if (link.linked != nullptr && !IsStandingBuilding(link.linked))
            return link.fault;
    return nullptr;
}

const char* CObjectLinks::CheckCorpse(const CUnit& corpse) const
{
    const bool linked = corpse.actionTargetUnit != nullptr || corpse.actionTargetBuilding != nullptr ||
                        corpse.followedUnit != nullptr || corpse.targetUnit != nullptr ||
                        corpse.targetBuilding != nullptr || corpse.targetObject != nullptr ||
                        corpse.attacker != nullptr;
    return linked ? "a corpse keeps a link to another object" : nullptr;
}

// A research state names the building that researches it, and that
// building's research is this state: taking the building down then lets go
// of it.
const char* CObjectLinks::CheckResearch() const
{
    for (int32_t p = 0; p < MaxPlayers; ++p)
        for (const CTechnology& technology : g_Players[p].technologies)
        {
            const CBuilding* building = technology.researchingBuilding;
            if (building != nullptr && (!IsStandingBuilding(building) || building->research != &technology))
                return "a research names a building that does not research it";
        }
    return nullptr;
}

// A block names the unit or building standing on it, which takes its marks
// off the blocks of its own footprint only: a mark elsewhere would outlive
// the object.
const char* CObjectLinks::CheckBlocks() const
{
    for (int32_t x = 0; x < MapBlockSide; ++x)
        for (int32_t y = 0; y < MapBlockSide; ++y)
        {
            const SMapBlock& block = std::as_const(g_GameMap).Block(x, y);
            const CUnit* unit = block.unit;
            if (unit != nullptr &&
                (!unit->IsFootprintRegistered() || m_Waiting.count(unit) != 0 || m_Carried.count(unit) != 0 ||
                 !IsInside(x, y, unit->x, unit->y, unit->GetSize(), unit->GetSize())))
                return "a map block names a unit that does not stand there";
            const CBuilding* building = block.building;
            if (building != nullptr &&
                !IsInside(x, y, building->x, building->y, building->GetWidth(), building->GetDepth()))
                return "a map block names a building that does not stand there";
        }
    return nullptr;
}

bool CObjectLinks::IsInside(int32_t x, int32_t y, int32_t left, int32_t top, int32_t width, int32_t depth)
{
    return x >= left && y >= top && x - left < width && y - top < depth;
}

const char* CObjectLinks::CheckSelection() const
{
    for (int32_t i = 0; i < g_Selection.unitCount; ++i)
        if (g_Selection.units[i] == nullptr || !IsLinkableUnit(g_Selection.units[i]))
            return "a selected unit is no living unit";
    return nullptr;
}

const char* CObjectLinks::FindFault() const
{
    if (m_GatherFault != nullptr)
        return m_GatherFault;
    for (const CUnit* unit : m_Listed)
        if (const char* fault = CheckUnitLinks(*unit))
            return fault;
    for (const auto& [archer, tower] : m_Manned)
    {
        if (archer->IsDying())
            return "a tower archer is dying";
        if (const char* fault = CheckUnitLinks(*archer))
            return fault;
    }
    for (const CUnit* corpse : m_Corpses)
        if (const char* fault = CheckCorpse(*corpse))
            return fault;
    if (const char* fault = CheckResearch())
        return fault;
    if (const char* fault = CheckBlocks())
        return fault;
    if (const char* fault = CheckLastingParticles(m_Standing))
        return fault;
    if (const char* fault = CheckShelteredKings(m_Listed, m_Standing))
        return fault;
    return CheckSelection();
}
