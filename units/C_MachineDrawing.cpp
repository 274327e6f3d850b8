#include "units/C_MachineDrawing.h"

#include "buildings/C_BuildingDraw.h"
#include "media/C_ModelRecord.h"
#include "units/C_Unit.h"
#include "units/C_UnitAnimationTable.h"
#include "world/C_GameMap.h"

namespace
{
constexpr float FadeLevels = 255.0f;
constexpr int32_t NoFade = -1;
}  // namespace

void CMachineDrawing::Draw(CUnit& machine, float height)
{
    if (CModelRecord* record = machine.GetModelRecord())
        record->SetColourSlot(machine.player);
    g_GameMap.ProjectToScreenAtHeight(machine.centreX, machine.centreY, height, machine.renderPosition);
    DrawModelAt(machine, height);
}

void CMachineDrawing::DrawFading(CUnit& machine, float fade, int32_t shade, float height, bool takeScreenPosition)
{
    if (fade == 0.0f)
        return;
    CModelRecord* record = machine.GetModelRecord();
    if (record == nullptr)
        return;
    record->SetColourSlot(machine.player);
    record->SetShade(static_cast<float>(shade) / FadeLevels);
    record->SetFade(static_cast<int32_t>(fade * FadeLevels));
    if (takeScreenPosition)
        g_GameMap.ProjectToScreenAtHeight(machine.centreX, machine.centreY, height, machine.renderPosition);
    DrawModelAt(machine, height);
    record->SetFade(NoFade);
}

void CMachineDrawing::DrawModelAt(const CUnit& machine, float height)
{
    CBuildingDraw::DrawModel(machine.model, CUnitAnimationTable::FrameIndex(machine.animFrame, machine.model),
                             machine.centreX, machine.centreY, height, static_cast<float>(machine.shownFacing));
}
