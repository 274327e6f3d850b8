#include "buildings/C_BuildingTower.h"

#include "units/C_UnitActionBuffer.h"
#include "units/C_UnitTypeTable.h"
#include "units/C_Unit_TowerArcher.h"
#include "world/C_Player.h"

namespace
{
// An archer stands in the middle of the 2 x 2 tower.
constexpr float ArcherOffset = 1.0f;

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
