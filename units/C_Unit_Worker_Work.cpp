// The worker's work on buildings and machines: building a site, repairing
// with the resources of its purse, and dismantling a building of its player
// for half its price scaled by its health.

#include "buildings/C_Building.h"
#include "core/C_Config.h"
#include "core/C_LogFile.h"
#include "core/C_Localizer.h"
#include "effects/C_Particles.h"
#include "net/C_MultiplayerGame.h"
#include "units/C_Unit_Worker.h"
#include "units/C_UnitActionBuffer.h"
#include "world/C_Player.h"
#include "world/C_PlayerServices.h"
#include "world/C_UnitStats.h"

namespace
{
constexpr float WorkFramesPerTick = 0.8f;
constexpr SSoundPair HammerSound = {6, 2};
constexpr float DismantleWorkFactor = 10.0f;
constexpr float DismantledAt = 100.0f;
constexpr float SlowDeathRepairFactor = 3.0f;
constexpr uint32_t Yellow = 0xFFFF00;

// Half the price, integer halving first, scaled by the health percent.
int32_t DismantleRefund(int32_t cost, float healthPercent)
{
    return static_cast<int32_t>(static_cast<float>(cost / 2) * healthPercent * 0.01f);
}

// Moves one unit of a resource from the stock into the purse part; false
// when the stock has none.
bool TopUp(int32_t& stock, float& purse)
{
    if (stock <= 0)
        return false;
    --stock;
    purse += 1.0f;
    return true;
}
}  // namespace

bool CUnitWorker::AdvanceCycle(float frames)
{
    animFrame += frames;
    const float cycle = static_cast<float>(CUnitAnimationTable::FrameCount(model));
    if (animFrame < cycle)
        return false;
    animFrame -= cycle;
    return true;
}

bool CUnitWorker::FinishWorkCycleInReach()
{
    if (!AdvanceCycle(WorkFramesPerTick))
        return false;
    if (IsTargetReached())
        return true;
    ResumeAction();
    return false;
}

void CUnitWorker::StandAndStop()
{
    animType = ANIM_STAND;
    SetModelByAnimation();
    Stop();
}

void CUnitWorker::AnimateBuild()
{
    if (!AdvanceCycle(WorkFramesPerTick))
        return;
    CBuilding* site = actionTargetBuilding;
    if (site == nullptr)
    {
        Stop();
        return;
    }
    if (IsOwnedHere(player) && !site->Construct(GetWorkRate(), false))
    {
        // Done: on to the next unfinished building near by.
        InitAction(nullptr, nullptr, nullptr, x, y, CMD_FIND_UNCOMPLETED_BUILDING, TARGET_BUILDING, true, false);
        animType = ANIM_STAND;
        SetModelByAnimation();
    }
    PlaySoundAt(HammerSound.sample, HammerSound.variants, 0);
}

void CUnitWorker::AnimateRepair()
{
    if (!FinishWorkCycleInReach())
        return;
    const float work = GetWorkRate();
    EPayment payment = EPayment::Broke;
    bool needsMore = true;
    if (actionTargetUnit != nullptr && actionTargetBuilding == nullptr)
    {
        payment = PayRepairUnit(actionTargetUnit);
        if (payment == EPayment::Paid)
            needsMore = actionTargetUnit->Heal(g_Config.unitHealthMultiply ? work * SlowDeathRepairFactor : work);
    }
    else if (actionTargetBuilding != nullptr)
    {
        payment = PayRepairBuilding(actionTargetBuilding);
        if (payment == EPayment::Paid)
            needsMore = actionTargetBuilding->Repair(work);
    }
    else
    {
        Stop();
        return;
    }
    if (payment == EPayment::Broke && player == g_LocalPlayer)
    {
        const char* text = g_Localizer.GetString("MSG_SLAVEOUTOFRES", false);
        GetPlayerServices().AddMessage(text != nullptr ? text : "", Yellow);
        StandAndStop();
        return;
    }
    if (!needsMore)
    {
        StandAndStop();
        return;
    }
    PlaySoundAt(HammerSound.sample, HammerSound.variants, 0);
}

CUnitWorker::EPayment CUnitWorker::PayRepairBuilding(const CBuilding* building)
{
    // Types without a cost leave the values as they are: they start at 0.
    float wood = 0.0f;
    float stone = 0.0f;
    float gold = 0.0f;
    building->GetWorkCost(&wood, &stone, &gold);
    return PayFromPurse(wood, stone, gold);
}

CUnitWorker::EPayment CUnitWorker::PayRepairUnit(const CUnit* unit)
{
    float wood = 0.0f;
    float stone = 0.0f;
    float gold = 0.0f;
    unit->GetRepairCost(&wood, &stone, &gold);
    return PayFromPurse(wood, stone, gold);
}

CUnitWorker::EPayment CUnitWorker::PayFromPurse(float wood, float stone, float gold)
{
    if (purseWood >= wood && purseStone >= stone && purseGold >= gold)
    {
        purseWood -= wood;
        purseStone -= stone;
        purseGold -= gold;
        return EPayment::Paid;
    }
    CPlayer* owner = PlayerAt(player);
    if (owner == nullptr)
        return EPayment::Broke;
    if ((purseWood < wood && !TopUp(owner->wood, purseWood)) ||
        (purseStone < stone && !TopUp(owner->stone, purseStone)) ||
        (purseGold < gold && !TopUp(owner->gold, purseGold)))
        return EPayment::Broke;
    return EPayment::Topping;
}

void CUnitWorker::AnimateDismantle()
{
    if (!FinishWorkCycleInReach())
        return;
    CBuilding* building = actionTargetBuilding;
    if (building == nullptr)
    {
        Stop();
        return;
    }
    if (!IsOwnedHere(player))
        return;
    dismantleProgress += GetWorkRate() * DismantleWorkFactor;
    if (dismantleProgress < DismantledAt)
        return;
    TakeDownDismantled(building);
    Stop();
}

void CUnitWorker::TakeDownDismantled(CBuilding* building)
{
    CPlayer* owner = PlayerAt(player);
    const CUnitStats* record = building->GetPriceRecord();
    if (record == nullptr)
        DEBUG_REPORT("#DEBUG: Building's property not found");
    else if (owner != nullptr)
    {
        const int32_t gold = DismantleRefund(record->goldCost, building->health);
        const int32_t stone = DismantleRefund(record->stoneCost, building->health);
        const int32_t wood = DismantleRefund(record->woodCost, building->health);
        owner->RefundResources(wood, stone, gold);
        // Side by side over the building's centre: gold, stone, wood.
        const float centreX = static_cast<float>(building->x) + static_cast<float>(building->GetWidth()) * 0.5f;
        const float centreY = static_cast<float>(building->y) + static_cast<float>(building->GetDepth()) * 0.5f;
        g_Particles.AddFloatingNumber(gold, GoodsColour(KindGold), centreX - 0.5f, GoodsNumberHeight, centreY);
        g_Particles.AddFloatingNumber(stone, GoodsColour(KindStone), centreX, GoodsNumberHeight, centreY);
        g_Particles.AddFloatingNumber(wood, GoodsColour(KindWood), centreX + 0.5f, GoodsNumberHeight, centreY);
    }
    if (IsNetworkGame())
        g_MultiplayerGame.SendResourceRemoved(building);
    // A dismantled building is no loss: the count stays as it was, whether
    // or not the building's kind counts among the losses.
    CPlayer* buildingOwner = PlayerAt(building->owner);
    const int32_t lost = buildingOwner != nullptr ? buildingOwner->statistics[STAT_BUILDINGS_LOST] : 0;
    building->TakeDownDismantled();
    if (buildingOwner != nullptr)
        buildingOwner->statistics[STAT_BUILDINGS_LOST] = lost;
}
