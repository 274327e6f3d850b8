#include "world/C_Player.h"

#include "buildings/C_Building.h"
#include "core/C_Config.h"
#include "units/C_Unit.h"
#include "world/C_GameMap.h"
#include "world/C_PlayerServices.h"

namespace
{
constexpr int32_t RainHellTechnology = 52;
constexpr int32_t ResearchScore = 10;
constexpr float ShipSpeedFactor = 1.1f;
constexpr int32_t TowerCast = 6;

constexpr int32_t Archers[] = {3};
constexpr int32_t Ships[] = {11, 7};
constexpr int32_t Catapults[] = {4};

bool IsOneOf(int32_t value, const int32_t* values, int32_t count)
{
    for (int32_t i = 0; i < count; ++i)
        if (values[i] == value)
            return true;
    return false;
}
} // namespace

void CPlayer::InitTechnologies(int32_t owner)
{
    for (int32_t id = 0; id < TechnologyCount; ++id)
    {
        CTechnology& technology = technologies[id];
        technology.Set(GetTechnologyRecord(id));
        technology.progress = 0.0f;
        SetTechnologyEnabled(id);
        technology.technologyId = id;
        technology.owner = owner;
    }
}

void CPlayer::SetTechnologyEnabled(int32_t technologyId)
{
    int32_t chain[TechnologyCount];
    const int32_t count = g_TechnologyTree.CollectChain(technologyId, chain);
    for (int32_t i = 0; i < count; ++i)
        technologies[chain[i]].enabled = 1;
}

void CPlayer::MarkPrerequisitesResearched(int32_t technologyId)
{
    int32_t chain[TechnologyCount];
    const int32_t count = g_TechnologyTree.CollectChain(technologyId, chain);
    for (int32_t i = 0; i < count; ++i)
        technologies[chain[i]].progress = CTechnology::ResearchedProgress;
}

bool CPlayer::IsResearched(int32_t technologyId) const
{
    return CTechnologyTree::IsValidId(technologyId) && technologies[technologyId].IsResearched();
}

bool CPlayer::IsTechnologyAvailable(int32_t technologyId) const
{
    if (!CTechnologyTree::IsValidId(technologyId))
    {
        LogInvalidTechnologyId(technologyId);
        return false;
    }
    const CTechnology& technology = technologies[technologyId];
    if (!technology.enabled || technology.IsResearched() || technology.researchingBuilding != nullptr)
        return false;
    const STechnologyRule& rule = CTechnologyTree::GetRule(technologyId);
    for (const int8_t cast : rule.buildingCasts)
        if (cast != STechnologyRule::NoRequirement && !HasFinished(cast))
            return false;
    for (const int8_t required : rule.technologies)
        if (required != STechnologyRule::NoRequirement && !IsResearched(required))
            return false;
    return true;
}

void CPlayer::RecomputeLocalView() const
{
    if (g_Config.fogOfWar && IsLocal() && g_GameMap.GetWidth() > 0)
        g_GameMap.UpdateArea(0, 0, -1, -1);
}

void CPlayer::RefreshSightOfTypes(const int32_t* unitTypes, int32_t typeCount, bool towers)
{
    const CPlayerServices& services = GetPlayerServices();
    for (int32_t i = 0; i < unitCount; ++i)
        if (IsOneOf(units[i]->GetCastID(), unitTypes, typeCount))
            services.UpdateFogOnMove(*units[i]);
    if (towers)
        for (int32_t i = 0; i < buildingCount; ++i)
            if (buildings[i]->GetBuildCast() == TowerCast)
                services.RefreshArcherSight(*buildings[i]);
    RecomputeLocalView();
}

void CPlayer::OnTechnologyResearched(int32_t technologyId)
{
    if (!CTechnologyTree::IsValidId(technologyId))
    {
        LogInvalidTechnologyId(technologyId);
        return;
    }
    switch (technologyId)
    {
    case 23:
    case 24:
    case 25:
    case 31:
        RefreshSightOfTypes(Archers, 1, true);
        break;
    case 33:
    case 34:
        for (int32_t i = 0; i < unitCount; ++i)
            if (IsOneOf(units[i]->GetCastID(), Ships, 2))
                units[i]->speed *= ShipSpeedFactor;
        break;
    case 37:
    case 38:
        RefreshSightOfTypes(Ships, 2, false);
        break;
    case 45:
        RefreshSightOfTypes(Catapults, 1, false);
        break;
    default:
        break;
    }
    score += ResearchScore;
    if (type == PLAYER_COMPUTER)
        computerAI.RemoveFromKindLists(technologyId);
    script.OnTechnologyResearched(technologyId);
}

const CUnitStats* CPlayer::GetRainHellSpell(int32_t* power) const
{
    if (!technologies[RainHellTechnology].IsResearched())
        return nullptr;
    if (power != nullptr)
        *power = rainHellPower;
    return rainHellSpell;
}

void CPlayer::ClearRainHell()
{
    technologies[RainHellTechnology].progress = 0.0f;
}
