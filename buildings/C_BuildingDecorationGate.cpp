#include "buildings/C_BuildingDecorationGate.h"

#include "media/C_SaveReader.h"
#include "media/C_SaveWriter.h"
#include "units/C_Unit.h"
#include "world/C_GameMap.h"

namespace
{
constexpr const char* GateRefusalPrefix = "Gate refused: ";
constexpr int32_t GateSample = 253;
constexpr int32_t AlongYKind = 38;   // "ED_DECOR_BD_GATE_2"; "ED_DECOR_BD_GATE_1" (37) runs along x
constexpr TENUMDAMAGETYPE CrushUnitDamageType = DAMAGE_BLADE;
constexpr TENUMDAMAGETYPE CrushBuildingDamageType = DAMAGE_CHARGE;

// "ED_DECOR_BD_GATE_1" closed and moving or open, then "ED_DECOR_BD_GATE_2".
constexpr int32_t AlongXModels[2] = {297, 298};
constexpr int32_t AlongYModels[2] = {299, 300};

enum ETrigger : int32_t
{
    TriggerOpen = 1,
    TriggerClose = 2,
    TriggerOpenAtOnce = 3,
    TriggerCloseAtOnce = 4,
};
}  // namespace

CDecorationGate::CDecorationGate(int32_t kind) : CDecoration(kind, DecorationClass::Gate) {}

int32_t CDecorationGate::GetClosedModel() const
{
    return decorationKind == AlongYKind ? AlongYModels[0] : AlongXModels[0];
}

int32_t CDecorationGate::GetOpenModel() const
{
    return decorationKind == AlongYKind ? AlongYModels[1] : AlongXModels[1];
}

int32_t CDecorationGate::GetSpan() const
{
    return decorationKind == AlongYKind ? GetDepth() : GetWidth();
}

void CDecorationGate::SpannedBlock(int32_t i, int32_t& blockX, int32_t& blockY) const
{
    blockX = decorationKind == AlongYKind ? x : x + i;
    blockY = decorationKind == AlongYKind ? y + i : y;
}

void CDecorationGate::Trigger(int32_t code)
{
    switch (code)
    {
    case TriggerOpen: Open(); break;
    case TriggerClose: Close(); break;
    case TriggerOpenAtOnce:
        Open();
        motion = Still;
        model = GetOpenModel();
        animTime = static_cast<float>(GetModelFrameCount() - 1);
        break;
    case TriggerCloseAtOnce:
        Close();
        motion = Still;
        model = GetClosedModel();
        animTime = 0.0f;
        break;
    default: break;
    }
}

void CDecorationGate::Open()
{
    motion = Opening;
    animTime = 0.0f;
    PlaySound(GateSample, 1, false);
    SetBlocksBlocked(0);
    model = GetOpenModel();
}

// What stands in the way is crushed before the blocks close.
void CDecorationGate::Close()
{
    motion = Closing;
    animTime = static_cast<float>(GetModelFrameCount() - 1);
    PlaySound(GateSample, 1, false);
    for (int32_t i = 0; i < GetSpan(); ++i)
    {
        int32_t blockX = 0;
        int32_t blockY = 0;
        SpannedBlock(i, blockX, blockY);
        if (g_GameMap.IsOnMap(blockX, blockY))
            CrushBlock(blockX, blockY);
    }
    SetBlocksBlocked(1);
    model = GetOpenModel();
}

void CDecorationGate::CrushBlock(int32_t blockX, int32_t blockY)
{
    const SMapBlock& block = std::as_const(g_GameMap).Block(blockX, blockY);
    if (CUnit* unit = block.unit; unit != nullptr && unit->IsAlive())
        unit->TakeHit(nullptr, CrushUnitDamage, CrushUnitDamageType, false);
    // The gate's own blocks name the gate: it does not crush itself.
    CBuilding* building = std::as_const(g_GameMap).Block(blockX, blockY).building;
    if (building != nullptr && building != this && building->IsAlive())
        building->OnAttacked(nullptr, CrushBuildingDamage, CrushBuildingDamageType, false);
}

void CDecorationGate::SetBlocksBlocked(uint8_t blocked)
{
    for (int32_t i = 0; i < GetSpan(); ++i)
    {
        int32_t blockX = 0;
        int32_t blockY = 0;
        SpannedBlock(i, blockX, blockY);
        SetBlockBlocked(blockX, blockY, blocked);
    }
}

bool CDecorationGate::Animate(float elapsed)
{
    if (motion == Opening)
    {
        animTime += elapsed;
        const auto frames = static_cast<float>(GetModelFrameCount());
        if (animTime >= frames)
        {
            animTime = frames - 1.0f;
            PlaySound(GateSample, 1, false);
            motion = Still;
        }
    }
    else if (motion == Closing)
    {
        animTime -= elapsed;
        if (animTime <= 0.0f)
        {
            animTime = 0.0f;
            PlaySound(GateSample, 1, false);
            motion = Still;
        }
    }
    return true;
}

void CDecorationGate::SaveGameExtra(CSaveStream& stream, const CObjectReferences& references) const
{
    (void)references;
    CSaveWriter out(stream);
    out.I32(decorationKind);
    out.I32(motion);
}

bool CDecorationGate::LoadGameExtra(CSaveStream& stream, const CObjectReferences& references)
{
    (void)references;
    CSaveReader in(stream, GateRefusalPrefix);
    const int32_t kind = in.I32();
    const int32_t moving = in.I32();
    if (!in.Finish())
        return false;
    if (kind != decorationKind)
        return in.Refuse("a decoration kind that does not match the gate");
    if (moving < Still || moving > Closing)
        return in.Refuse("a motion that is no gate's");
    motion = moving;
    return true;
}
