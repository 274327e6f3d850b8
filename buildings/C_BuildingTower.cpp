#include "buildings/C_BuildingTower.h"

#include <algorithm>

#include "core/C_PtrGarbage.h"
#include "effects/C_Particles.h"
#include "media/C_SaveReader.h"
#include "media/C_SaveWriter.h"
#include "units/C_UnitActionBuffer.h"
#include "units/C_UnitTypeTable.h"
#include "units/C_Unit_TowerArcher.h"
#include "world/C_ObjectReferences.h"
#include "world/C_Player.h"
#include "world/RangeTables.h"

namespace
{
// An archer stands in the middle of the 2 x 2 tower.
constexpr float ArcherOffset = 1.0f;
// Beyond this sight radius the view is explored as an inner disc and the
// soft-edged ring around it.
constexpr int32_t SoftRingWidth = 4;
constexpr float BannerFramesPerTick = 0.3f;
constexpr const char* ArchersRefusalPrefix = "Tower archers refused: ";

bool IsListedArcher(const CPlayer& player, const CUnit* archer)
{
    for (int32_t i = 0; i < player.towerArchers.GetCount(); ++i)
        if (player.towerArchers[i] == archer)
            return true;
    return false;
}

const CRangeTable* TableAt(const CRangeTable* family, int32_t radius)
{
    if (family == nullptr)
        return nullptr;
    return &family[std::clamp(radius, 0, RangeRingCount - 1)];
}

// Every unit of every player lets go of the archer.
void DropReferencesTo(CUnit* archer)
{
    for (int32_t p = 0; p < MaxPlayers; ++p)
    {
        CPlayer* player = PlayerAt(p);
        for (int32_t i = 0; player != nullptr && i < player->unitCount; ++i)
            if (player->units[i] != nullptr)
                player->units[i]->onUnitRemoved(archer);
    }
}
}  // namespace

CBuildingTower::CBuildingTower(int32_t ownerIndex) : CBuildingOfCast(CastTower, ownerIndex)
{
    InitSightRange();
}

// The sight of its archers is what a tower archer of the owner sees.
void CBuildingTower::InitSightRange()
{
    CUnitTowerArcher probe;
    probe.player = owner;
    probe.x = x;
    probe.y = y;
    sightRange = probe.GetSightRadius();
}

// A tower taken down without being destroyed (its owner defeated, the map
// cleared) still holds its archers here.
CBuildingTower::~CBuildingTower()
{
    for (int32_t slot = 0; slot < ArcherCapacity; ++slot)
        ReleaseArcher(slot, false);
    archerCount = 0;
}

// ---- Manning ---------------------------------------------------------------------

bool CBuildingTower::AddArcher(int32_t uniqueId)
{
    CPlayer* player = PlayerAt(owner);
    if (archerCount < 0 || archerCount >= ArcherCapacity || player == nullptr)
        return false;
    CUnit* archer = player->UnitFactory(UNIT_TOWERARCHER);
    if (archer == nullptr)
        return false;
    archer->player = owner;
    archer->x = x;
    archer->y = y;
    archer->centreX = static_cast<float>(x) + ArcherOffset;
    archer->centreY = static_cast<float>(y) + ArcherOffset;
    archer->targetUnit = nullptr;
    archer->targetBuilding = nullptr;
    archer->targetObject = nullptr;
    archer->uniqueId = uniqueId;
    archers[archerCount] = archer;
    player->AddTowerArcher(archer);
    archer->stance = STANCE_AGGRESSIVE;
    if (archer->currentCommand == CMD_NONE || archer->currentCommand == CMD_PATROL)
        archer->onIdle();
    ++archerCount;
    if (const CRangeTable* pattern = SightPattern())
        player->AddUnitSight(GetSightCentreX(), GetSightCentreY(), *pattern, +1);
    return true;
}

void CBuildingTower::RemoveArcher()
{
    if (archerCount <= MinArchers || archerCount > ArcherCapacity)
        return;
    --archerCount;
    ReleaseArcher(archerCount, true);
}

void CBuildingTower::SetArcherCount(int32_t count)
{
    const int32_t wanted = std::clamp(count, MinArchers, ArcherCapacity);
    // Each step must change the count; one that cannot ends the loop.
    while (archerCount > wanted)
    {
        const int32_t before = archerCount;
        RemoveArcher();
        if (archerCount == before)
            break;
    }
    CPlayer* player = PlayerAt(owner);
    while (player != nullptr && archerCount < wanted)
        if (!AddArcher(player->NextUnitId(0)))
            break;
}

void CBuildingTower::ReleaseArchers()
{
    for (int32_t slot = 0; slot < ArcherCapacity; ++slot)
        ReleaseArcher(slot, true);
    archerCount = 0;
}

// Its arrows in flight keep the kill for its player but no longer name it.
void CBuildingTower::ReleaseArcher(int32_t slot, bool deferred)
{
    CUnit* archer = archers[slot];
    archers[slot] = nullptr;
    if (archer == nullptr)
        return;
    CPlayer* player = PlayerAt(owner);
    const CRangeTable* pattern = SightPattern();
    if (player != nullptr && pattern != nullptr)
        player->AddUnitSight(GetSightCentreX(), GetSightCentreY(), *pattern, -1);
    archer->health = 0.0f;
    DropReferencesTo(archer);
    g_Particles.ForgetUnit(archer);
    if (player != nullptr && IsListedArcher(*player, archer))
        player->RemoveTowerArcher(archer);
    if (deferred)
        g_PtrGarbage.AddUnit(archer);
    else
        delete archer;
}

// ---- Sight -----------------------------------------------------------------------

// The archers' own pattern: for their footprint's size, at the tower's range.
const CRangeTable* CBuildingTower::SightPattern() const
{
    const SUnitTypeRow* row = CUnitTypeTable::Find(UNIT_TOWERARCHER);
    const bool oddSize = row != nullptr && row->size % 2 != 0;
    return TableAt(oddSize ? g_SightDiscs : g_FilledDiscs, sightRange);
}

void CBuildingTower::CountArcherSight(int32_t playerIndex, int32_t sign) const
{
    CPlayer* player = PlayerAt(playerIndex);
    const CRangeTable* pattern = SightPattern();
    if (player == nullptr || pattern == nullptr)
        return;
    for (int32_t i = 0; i < archerCount; ++i)
        player->AddUnitSight(GetSightCentreX(), GetSightCentreY(), *pattern, static_cast<int8_t>(sign));
}

void CBuildingTower::ExploreView() const
{
    CPlayer* player = PlayerAt(owner);
    if (player == nullptr)
        return;
    if (sightRange - SoftRingWidth > 0)
        if (const CRangeTable* inner = TableAt(g_SightDiscs, sightRange - SoftRingWidth))
            player->ScanSightPattern(GetSightCentreX(), GetSightCentreY(), *inner);
    if (const CRangeTable* ring = TableAt(g_SoftRings, sightRange))
        player->ScanSightPattern(GetSightCentreX(), GetSightCentreY(), *ring);
}

void CBuildingTower::RefreshArcherSight()
{
    if (archerCount <= 0 || archers[0] == nullptr)
        return;
    CountArcherSight(owner, -1);
    sightRange = archers[0]->GetSightRadius();
    CountArcherSight(owner, +1);
    ExploreView();
}

// ---- Life --------------------------------------------------------------------------

void CBuildingTower::OnFinished()
{
    ApplySight(owner);
    // A tower the map or the editor manned before it stood finished keeps
    // the archers it has.
    CPlayer* player = PlayerAt(owner);
    if (archerCount == 0 && player != nullptr)
        AddArcher(player->NextUnitId(0));
    ExploreView();
    BuildingFinished();
}

void CBuildingTower::OnOwnerChanged(int32_t previousOwner)
{
    CountArcherSight(previousOwner, -1);
    for (int32_t i = 0; i < archerCount; ++i)
        if (archers[i] != nullptr)
            HandArcherOver(*archers[i], previousOwner);
    if (archerCount > 0 && archers[0] != nullptr)
        sightRange = archers[0]->GetSightRadius();
    CountArcherSight(owner, +1);
    ExploreView();
    // Yesterday's enemies may be friends now: each archer chooses afresh.
    for (int32_t i = 0; i < archerCount; ++i)
        if (auto* archer = dynamic_cast<CUnitTowerArcher*>(archers[i]))
        {
            archer->SetTarget(nullptr);
            archer->onIdle();
        }
}

void CBuildingTower::HandArcherOver(CUnit& archer, int32_t previousOwner)
{
    if (CPlayer* old = PlayerAt(previousOwner); old != nullptr && IsListedArcher(*old, &archer))
        old->RemoveTowerArcher(&archer);
    CPlayer* player = PlayerAt(owner);
    archer.player = owner;
    if (player == nullptr)
        return;
    archer.uniqueId = player->NextUnitId(0);
    player->AddTowerArcher(&archer);
}

void CBuildingTower::onEnemySighted(CUnit* enemy)
{
    for (int32_t i = 0; i < archerCount; ++i)
        if (archers[i] != nullptr)
            archers[i]->onEnemySighted(enemy);
}

void CBuildingTower::onUnitRemoved(CUnit* unit)
{
    for (int32_t i = 0; i < archerCount; ++i)
        if (archers[i] != nullptr)
            archers[i]->onUnitRemoved(unit);
}

bool CBuildingTower::Animate(float elapsed)
{
    const int32_t ticks = static_cast<int32_t>(elapsed);
    for (int32_t tick = 0; tick < ticks; ++tick)
        animTime += BannerFramesPerTick;
    for (int32_t tick = 0; tick < ticks && GetHitPoints() > 0; ++tick)
        for (int32_t i = 0; i < archerCount; ++i)
            if (archers[i] != nullptr)
                archers[i]->Animate(1);
    return true;
}

// ---- Saved state ---------------------------------------------------------------------

void CBuildingTower::SaveGameExtra(CSaveStream& stream, const CObjectReferences& references) const
{
    CSaveWriter out(stream);
    out.I32(sightRange);
    out.I32(archerCount);
    for (int32_t i = 0; i < archerCount; ++i)
        out.I32(references.GetUnitRef(archers[i]));
}

bool CBuildingTower::LoadGameExtra(CSaveStream& stream, const CObjectReferences& references)
{
    CSaveReader in(stream, ArchersRefusalPrefix);
    const int32_t loadedSightRange = in.I32();
    int32_t count = 0;
    in.Count(count, 0, ArcherCapacity, "archer count");
    CUnit* loaded[ArcherCapacity] = {};
    bool sound = !in.Failed();
    for (int32_t i = 0; i < count && sound; ++i)
    {
        CUnit* archer = references.GetUnit(in.I32());
        if (in.Failed())
            break;
        if (archer == nullptr || archer->GetCastID() != UNIT_TOWERARCHER || archer->player != owner)
            sound = in.Refuse("an id names no tower archer of the owner");
        else if (std::find(loaded, loaded + i, archer) != loaded + i)
            sound = in.Refuse("an archer is stationed twice");
        else
            loaded[i] = archer;
    }
    CPlayer* player = PlayerAt(owner);
    if (sound && count > 0 && player == nullptr)
        sound = in.Refuse("a tower without an owner holds archers");
    if (!sound || !in.Finish())
        return false;
    sightRange = loadedSightRange;
    std::copy(loaded, loaded + ArcherCapacity, archers);
    archerCount = count;
    // The owner's section does not carry its archer list: the towers give
    // it back.
    for (int32_t i = 0; i < count; ++i)
        if (!IsListedArcher(*player, archers[i]))
            player->AddTowerArcher(archers[i]);
    return true;
}
