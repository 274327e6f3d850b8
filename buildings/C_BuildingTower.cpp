#include "buildings/C_BuildingTower.h"

#include <algorithm>

#include "core/C_PtrGarbage.h"
#include "media/C_SaveReader.h"
#include "media/C_SaveWriter.h"
#include "units/C_UnitActionBuffer.h"
#include "units/C_UnitTypeTable.h"
#include "units/C_Unit_TowerArcher.h"
#include "world/C_ObjectReferences.h"
#include "world/C_Player.h"

namespace
{
// An archer stands in the middle of the 2 x 2 tower.
constexpr float ArcherOffset = 1.0f;
constexpr const char* ArchersRefusalPrefix = "Tower archers refused: ";

bool IsListedArcher(const CPlayer& player, const CUnit* archer)
{
    for (int32_t i = 0; i < player.towerArchers.GetCount(); ++i)
        if (player.towerArchers[i] == archer)
            return true;
    return false;
}
}  // namespace

CBuildingTower::CBuildingTower(int32_t ownerIndex) : CBuildingOfCast(CastTower, ownerIndex)
{
    // The sight of its archers is what a tower archer of the owner sees.
    CUnitTowerArcher probe;
    probe.player = ownerIndex;
    sightRange = probe.GetSightRadius();
}

CBuildingTower::~CBuildingTower()
{
    CPlayer* player = PlayerAt(owner);
    for (CUnit*& archer : archers)
    {
        if (archer == nullptr)
            continue;
        if (player != nullptr && IsListedArcher(*player, archer))
            player->RemoveTowerArcher(archer);
        delete archer;
        archer = nullptr;
    }
    archerCount = 0;
}

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
    archer->uniqueId = uniqueId;
    // A map may give a tower more archers than it holds objects for; the
    // new one takes the first free place.
    int32_t place = archerCount;
    while (place > 0 && archers[place - 1] == nullptr)
        --place;
    archers[place] = archer;
    ++archerCount;
    player->AddTowerArcher(archer);
    archer->stance = STANCE_AGGRESSIVE;
    if (archer->currentCommand == CMD_NONE || archer->currentCommand == CMD_PATROL)
        archer->onIdle();
    return true;
}

void CBuildingTower::RemoveArcher()
{
    if (archerCount <= 1 || archerCount > ArcherCapacity)
        return;
    --archerCount;
    CUnit* archer = archers[archerCount];
    archers[archerCount] = nullptr;
    if (archer == nullptr)
        return;
    // Other units may aim at it, and the owner lists it: both let go before
    // it is deleted.
    CPlayer* player = PlayerAt(owner);
    if (player != nullptr && IsListedArcher(*player, archer))
        player->RemoveTowerArcher(archer);
    for (int32_t p = 0; p < MaxPlayers; ++p)
    {
        CPlayer* other = PlayerAt(p);
        for (int32_t i = 0; other != nullptr && i < other->unitCount; ++i)
            if (other->units[i] != nullptr)
                other->units[i]->onUnitRemoved(archer);
    }
    g_PtrGarbage.AddUnit(archer);
}

void CBuildingTower::SetArcherCount(int32_t count)
{
    while (archerCount > count && archerCount > 1)
        RemoveArcher();
    CPlayer* player = PlayerAt(owner);
    const int32_t wanted = std::min(count, ArcherCapacity);
    while (player != nullptr && archerCount < wanted)
        if (!AddArcher(player->NextUnitId(0)))
            break;
}

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
