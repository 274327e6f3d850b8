// The worker's traits: its rates and carry limit by research, its name and
// models by what it does, its animation step, how it takes orders and
// answers attacks, its panel and its saved part.

#include "units/C_Unit_Worker.h"

#include <string>

#include "buildings/C_Building.h"
#include "buildings/C_BuildingTower.h"
#include "core/C_LogFile.h"
#include "core/C_Localizer.h"
#include "core/GlobalFunc.h"
#include "game/C_MissionObjectives.h"
#include "media/C_2DFont.h"
#include "media/C_2DImage.h"
#include "media/C_SaveReader.h"
#include "media/C_SaveWriter.h"
#include "net/C_MultiplayerGame.h"
#include "units/C_UnitActionBuffer.h"
#include "units/C_UnitTypeTable.h"
#include "world/C_Player.h"

namespace
{
// Technologies (numbers of the "TC_" keys) in level order, and the values
// of each level, the first without any of them.
constexpr int32_t WoodTechnologies[] = {0, 1, 2};   // TC_HARVEST_WOOD_1 .. 3
constexpr float WoodRates[] = {0.6f, 0.66f, 0.75f, 0.93f};
constexpr int32_t MineTechnologies[] = {3, 4};      // TC_MINE_1, TC_MINE_2
constexpr float StoneRates[] = {0.8f, 0.92f, 1.16f};
constexpr float GoldRates[] = {0.2f, 0.23f, 0.29f};
constexpr int32_t CarryTechnologies[] = {5, 6, 7};  // TC_CARRY_1 .. 3
constexpr int32_t CarryLimits[] = {10, 12, 15, 20};
constexpr int32_t BuildTechnologies[] = {9, 10};    // TC_BUILDSPD_1, TC_BUILDSPD_2
constexpr float BuildFactors[] = {1.0f, 1.1f, 1.25f};

constexpr int32_t MostCarried = CarryLimits[3];
constexpr float UnknownKindRate = 0.01f;
constexpr float StandFramesPerTick = 0.4f;
constexpr float WalkFramesPerTick = 0.37f;
constexpr float DieFramesPerTick = 0.3f;
constexpr int32_t TurnChance = 500;
constexpr int32_t IdleTurnDegrees = 45;
constexpr int32_t TurnChoices = 3;

// Models by carried kind: nothing, wood, stone, gold.
constexpr int32_t StandModels[4] = {0, 3, 4, 5};
constexpr int32_t WalkModels[4] = {1, 6, 7, 8};
constexpr int32_t DieModel = 11;
constexpr int32_t ChopModel = 9;
constexpr int32_t MineStoneModel = 10;
constexpr int32_t WorkModel = 2;

constexpr int32_t PanelFont = 1;
// The interface set's pictures of a load of wood, stone and gold (by the
// load's column less one).
constexpr int32_t LoadIcons[3] = {6, 7, 8};
constexpr int32_t LoadIconX = 100;
constexpr int32_t LoadIconY = 310;
constexpr int32_t LoadTextX = 140;
constexpr int32_t LoadTextY = 315;
constexpr uint32_t White = 0xFFFFFF;
constexpr uint32_t Green = 0x00FF00;
constexpr uint32_t Grey = 0x808080;
constexpr uint32_t Yellow = 0xFFFF00;

constexpr int32_t MostPointBlock = 256;
constexpr float MostPurse = 1.0e6f;
constexpr const char* RefusalPrefix = "Unit record refused: ";

// The highest level researched: 0 none, 1 the first technology, and so on.
template <int32_t N>
int32_t ResearchLevel(int32_t player, const int32_t (&technologies)[N])
{
    for (int32_t level = N; level > 0; --level)
        if (CUnitTypeTable::IsResearched(player, technologies[level - 1]))
            return level;
    return 0;
}

// The columns of the loads in the model and icon tables.
constexpr int32_t NothingColumn = 0;
constexpr int32_t WoodColumn = 1;
constexpr int32_t StoneColumn = 2;
constexpr int32_t GoldColumn = 3;

// The column of a load; a closed mine's gold is gold.
int32_t ModelColumn(int32_t kind, int32_t amount)
{
    if (amount == 0)
        return NothingColumn;
    switch (kind)
    {
    case CUnitWorker::KindWood:
        return WoodColumn;
    case CUnitWorker::KindStone:
        return StoneColumn;
    case CUnitWorker::KindGold:
    case CUnitWorker::KindClosedMine:
        return GoldColumn;
    default:
        return NothingColumn;
    }
}

const char* Localised(const char* key)
{
    const char* text = g_Localizer.GetString(key, false);
    return text != nullptr ? text : "";
}
}  // namespace

CUnitWorker::CUnitWorker() : CUnitTableType(UNIT_WORKER) {}

uint32_t CUnitWorker::GoodsColour(int32_t kind)
{
    // By the model column of the kind: nothing, wood, stone, gold.
    constexpr uint32_t Colours[] = {White, Green, Grey, Yellow};
    return Colours[ModelColumn(kind, 1)];
}

const char* CUnitWorker::GetCastName() const
{
    if (currentCommand == CMD_BUILD)
        return Localised("UN_WORKER_BUILDER");
    if (currentCommand == CMD_DISMANTLE)
        return Localised("UN_WORKER_DEMOLISHER");
    if (currentCommand == CMD_REPAIR)
        return Localised("UN_WORKER_REPAIRER");
    switch (ModelColumn(carriedKind, carriedAmount))
    {
    case WoodColumn:
        return Localised("UN_WORKER_LUMBERJACK");
    case StoneColumn:
    case GoldColumn:
        return Localised("UN_WORKER_MINER");
    default:
        return Localised("UN_WORKER");
    }
}

float CUnitWorker::GetHarvestRate(int32_t kind) const
{
    switch (kind)
    {
    case KindWood:
        return WoodRates[ResearchLevel(player, WoodTechnologies)];
    case KindStone:
        return StoneRates[ResearchLevel(player, MineTechnologies)];
    case KindGold:
    case KindClosedMine:
        return GoldRates[ResearchLevel(player, MineTechnologies)];
    default:
        g_Log.Write("#DEBUG: worker harvest RESOURCE_0");
        return UnknownKindRate;
    }
}

int32_t CUnitWorker::GetCarryLimit() const
{
    return CarryLimits[ResearchLevel(player, CarryTechnologies)];
}

float CUnitWorker::GetWorkRate() const
{
    return static_cast<float>(g_MissionObjectives.buildSpeed) * BuildFactors[ResearchLevel(player, BuildTechnologies)];
}

bool CUnitWorker::Animate(int32_t ticks)
{
    for (int32_t tick = 0; tick < ticks; ++tick)
    {
        switch (animType)
        {
        case ANIM_STAND:
            animFrame += StandFramesPerTick;
            if (IsOwnedHere(player) && GlobalFunc::Random(TurnChance) == 0)
                SetDirection(facing - IdleTurnDegrees + GlobalFunc::Random(TurnChoices) * IdleTurnDegrees, true);
            break;
        case ANIM_WALK:
            animFrame += WalkFramesPerTick;
            break;
        case ANIM_DIE:
            if (!AnimateDeath(DieFramesPerTick, static_cast<float>(CUnitAnimationTable::FrameCount(DieModel))))
                return false;
            break;
        case ANIM_CHOP_TREE:
        case ANIM_MINE_STONE:
            AnimateHarvest();
            break;
        case ANIM_MINE_GOLD:
            AnimateGold();
            break;
        case ANIM_BUILD:
            AnimateBuild();
            break;
        case ANIM_REPAIR:
            AnimateRepair();
            break;
        case ANIM_DISMANTLE:
            AnimateDismantle();
            break;
        default:
            break;
        }
    }
    return true;
}

void CUnitWorker::SetModelByAnimation()
{
    const int32_t column = ModelColumn(carriedKind, carriedAmount);
    switch (animType)
    {
    case ANIM_STAND:
        model = StandModels[column];
        break;
    case ANIM_WALK:
        model = WalkModels[column];
        break;
    case ANIM_DIE:
        StartDeathAnimation();
        break;
    case ANIM_CORPSE:
        break;
    case ANIM_CHOP_TREE:
        model = ChopModel;
        break;
    case ANIM_MINE_STONE:
        model = MineStoneModel;
        break;
    case ANIM_MINE_GOLD:
        EnterMine();
        break;
    case ANIM_BUILD:
    case ANIM_REPAIR:
    case ANIM_DISMANTLE:
        model = WorkModel;
        break;
    default:
        g_Log.Write("#DEBUG: Worker invalid animation type");
        break;
    }
    SendAnimationChange();
}

void CUnitWorker::onCommand(CUnit* newTargetUnit, CBuilding* newTargetBuilding, CBuilding* newTargetObject,
                            int32_t tx, int32_t ty, int32_t command)
{
    // Only machines are repaired; any other unit has no repair cost to pay.
    if (command == CMD_REPAIR && newTargetBuilding == nullptr && newTargetUnit != nullptr &&
        !newTargetUnit->IsMachine())
        return;
    InitAction(newTargetUnit, newTargetBuilding, newTargetObject, tx, ty, command, TARGET_CHOOSE, false, false);
    if (!onMap)
        return;
    if (newTargetObject != nullptr)
        TakeOverResourceKind(newTargetObject->GetResourceKind());
    hasHarvestPoint = 0;
}

void CUnitWorker::TakeOverResourceKind(int32_t kind)
{
    if (kind == KindClosedMine)
        kind = KindGold;
    if (kind != carriedKind)
        carriedAmount = 0;
    carriedKind = kind;
}

void CUnitWorker::onIdle()
{
    if (carriedAmount == 0)
        carriedKind = KindNone;
    if (animType != ANIM_STAND && animType != ANIM_WALK)
    {
        animType = ANIM_STAND;
        SetModelByAnimation();
    }
}

void CUnitWorker::onAttacked(CUnit* attackerUnit, CBuilding* attackerBuilding)
{
    if (currentCommand == CMD_BUILD)
        if (CPlayer* owner = PlayerAt(player); owner != nullptr && owner->type == PLAYER_COMPUTER)
            owner->computerAI.RemoveFromBuildQueue(targetBuilding);
    if (!IsAlive() || !onMap)
        return;
    if (IsActiveAttacker(attackerUnit) && !attackerUnit->IsAlliedWith(player))
    {
        FleeFrom(attackerUnit, attackerUnit->GetCentreCellX(), attackerUnit->GetCentreCellY());
        return;
    }
    if (attackerBuilding == nullptr || !attackerBuilding->IsAlive() || attackerBuilding->IsFriendTo(player))
        return;
    const auto* tower = dynamic_cast<const CBuildingTower*>(attackerBuilding);
    CUnit* archer = tower != nullptr && tower->archerCount > 0 ? tower->archers[0] : nullptr;
    if (archer != nullptr)
        FleeFrom(archer, attackerBuilding->x + attackerBuilding->GetWidth() / 2,
                 attackerBuilding->y + attackerBuilding->GetDepth() / 2);
}

void CUnitWorker::FleeFrom(CUnit* from, int32_t fromX, int32_t fromY)
{
    InitAction(nullptr, nullptr, nullptr, fromX, fromY, CMD_RUNAWAY, TARGET_BLOCK, true, false);
    attacker = from;
}

void CUnitWorker::RenderDetailsOnPanel()
{
    if (player == g_LocalPlayer && carriedAmount > 0)
    {
        const int32_t column = ModelColumn(carriedKind, carriedAmount);
        C2DImage* icon = column != NothingColumn ? GetGlobalImage(LoadIcons[column - WoodColumn]) : nullptr;
        if (icon != nullptr && !icon->IsEmpty())
            icon->Render(LoadIconX, LoadIconY);
        if (C2DFont* font = GetGlobalFont(PanelFont))
            font->PrintShadow(LoadTextX, LoadTextY, std::to_string(carriedAmount).c_str(), White,
                              C2DFont::AlignLeft);
    }
    RenderInfoPanel(GetCastName());
}

void CUnitWorker::SaveGameExtra(CSaveStream& stream, const CObjectReferences& references) const
{
    (void)references;
    CSaveWriter out(stream);
    out.I32(carriedKind);
    out.I32(carriedAmount);
    out.I32(harvestX);
    out.I32(harvestY);
    out.Flag(hasHarvestPoint != 0);
    out.F32(purseWood);
    out.F32(purseStone);
    out.F32(purseGold);
    out.Flag(leaveRequested != 0);
}

bool CUnitWorker::LoadGameExtra(CSaveStream& stream, const CObjectReferences& references)
{
    (void)references;
    CSaveReader in(stream, RefusalPrefix);
    const int32_t kind = in.I32();
    const int32_t amount = in.I32();
    const int32_t pointX = in.I32();
    const int32_t pointY = in.I32();
    uint8_t hasPoint = 0;
    in.Flag(hasPoint);
    const float purse[3] = {in.F32(), in.F32(), in.F32()};
    uint8_t requested = 0;
    in.Flag(requested);
    if (in.Failed())
        return in.Finish();
    if (!CSaveReader::InRange(kind, KindNone, KindCount - 1))
        return in.Refuse("a worker's carried kind is out of range");
    if (!CSaveReader::InRange(amount, 0, MostCarried))
        return in.Refuse("a worker's carried amount is out of range");
    if (!CSaveReader::InRange(pointX, 0, MostPointBlock - 1) || !CSaveReader::InRange(pointY, 0, MostPointBlock - 1))
        return in.Refuse("a worker's harvest point is off the map");
    for (const float part : purse)
        if (!CSaveReader::InRange(part, 0.0f, MostPurse))
            return in.Refuse("a worker's repair purse is out of range");
    carriedKind = kind;
    carriedAmount = amount;
    harvestX = pointX;
    harvestY = pointY;
    hasHarvestPoint = hasPoint;
    purseWood = purse[0];
    purseStone = purse[1];
    purseGold = purse[2];
    leaveRequested = requested;
    dismantleProgress = 0.0f;   // not saved: a dismantling starts over
    return true;
}
