#include "buildings/C_BuildingDarkAltar.h"

#include <algorithm>

#include "buildings/C_BuildingBarracks.h"
#include "core/GlobalFunc.h"
#include "effects/C_Particles.h"
#include "game/C_BuildingPanel.h"
#include "media/C_SaveReader.h"
#include "media/C_SaveWriter.h"
#include "media/D3DDevice.h"
#include "platform/SysDevice3D.h"
#include "units/C_UnitTypeTable.h"
#include "world/C_GameMap.h"
#include "world/C_Player.h"

namespace
{
constexpr const char* AltarRefusalPrefix = "Dark altar refused: ";
constexpr int32_t RainOfHell = 52;   // "TC_RAIN_HELL"

// The flames, from the corner block, in the order of the handles.
constexpr float FlamePoints[CBuildingDarkAltar::FlameCount][2] = {{3.47f, 4.4f}, {0.7f, 4.4f}};
constexpr float FlameHeight = 34.75f;

// The ability image on the virtual screen.
constexpr int32_t AbilityImageX = 25;
constexpr int32_t AbilityImageY = 655;
constexpr int32_t AbilityImageSize = 96;
constexpr float OpaqueAlpha = 255.0f;

// The ability image repeats across its picture; the panel rests clamped.
void SetPanelAddressing(const char* label, uint32_t addressing)
{
    SysDevice3D* device = GetD3DDevice();
    if (device == nullptr)
        return;
    GlobalFunc::FatalD3DError(label, device->SetTextureStageState(0, Sys3DStageState::AddressU, addressing), true);
    GlobalFunc::FatalD3DError(label, device->SetTextureStageState(0, Sys3DStageState::AddressV, addressing), true);
}
}  // namespace

CBuildingDarkAltar::CBuildingDarkAltar(int32_t ownerIndex) : CBuildingOfCast(CastDarkAltar, ownerIndex) {}

CBuildingDarkAltar::~CBuildingDarkAltar()
{
    PutOutFlames();
}

void CBuildingDarkAltar::RenderPanelButtons()
{
    if (!MayShowButtons() || RenderUnfinishedPanel(MilitaryCancelButton))
        return;
    if (MayShowUnitButtons())
    {
        RenderUnitButton(0, 55, UNIT_GIANT, 'g');
        RenderUnitButton(1, 56, UNIT_DEMON, 'd');
        RenderUnitButton(2, 57, UNIT_UNDEAD, 'u');
    }
    // A spell ready to cast is not researched a second time.
    const CPlayer* player = PlayerAt(owner);
    if (MayShowTechnologyButtons() && player != nullptr && player->GetRainHellSpell(nullptr) == nullptr)
        RenderTechnologyButton(8, 110, RainOfHell, 'a');
    RenderPanelEnd(true, EscapeCancels, MilitaryRallyButton);
    CBuildingBarracks::RegisterRallyKeys();
}

void CBuildingDarkAltar::RenderDetailsOnPanel()
{
    CBuildingOfCast::RenderDetailsOnPanel();
    if (owner != g_LocalPlayer || !IsFinished() || !OwnerHasResearched(RainOfHell))
        return;
    CBuildingPanel& panel = g_BuildingPanel;
    const float pulse = std::clamp(panel.pulse, 0.0f, 1.0f);
    SetPanelAddressing("CBuildingDarkAltar::RenderDetailsOnPanel/1", Sys3DAddress::Wrap);
    panel.RenderAbilityImage(AbilityImageX, AbilityImageY, AbilityImageSize, AbilityImageSize,
                             static_cast<int32_t>(pulse * OpaqueAlpha));
    SetPanelAddressing("CBuildingDarkAltar::RenderDetailsOnPanel/2", Sys3DAddress::Clamp);
}

void CBuildingDarkAltar::OnFinished()
{
    CBuildingOfCast::OnFinished();
    // Finished twice (a loaded map finishing it again), it burns two flames.
    PutOutFlames();
    for (int32_t i = 0; i < FlameCount; ++i)
    {
        const float flameX = static_cast<float>(x) + FlamePoints[i][0];
        const float flameY = static_cast<float>(y) + FlamePoints[i][1];
        flameEmitters[i] = g_Particles.AddKind35(flameX, g_GameMap.GetHeight(flameX, flameY) + FlameHeight, flameY);
    }
}

void CBuildingDarkAltar::OnDestroyed()
{
    PutOutFlames();
}

void CBuildingDarkAltar::PutOutFlames()
{
    for (int32_t& flame : flameEmitters)
    {
        if (flame != -1)
            g_Particles.FreeParticle(flame);
        flame = -1;
    }
}

void CBuildingDarkAltar::SaveGameExtra(CSaveStream& stream, const CObjectReferences& references) const
{
    (void)references;
    CSaveWriter out(stream);
    for (const int32_t flame : flameEmitters)
        out.I32(flame);
}

bool CBuildingDarkAltar::LoadGameExtra(CSaveStream& stream, const CObjectReferences& references)
{
    (void)references;
    CSaveReader in(stream, AltarRefusalPrefix);
    int32_t flames[FlameCount] = {};
    for (int32_t& flame : flames)
        flame = in.I32();
    if (!in.Finish())
        return false;
    // The particles' own section brings the flames back under their handles.
    for (const int32_t flame : flames)
        if (flame < -1)
            return in.Refuse("a bad flame handle");
    std::copy(std::begin(flames), std::end(flames), flameEmitters);
    return true;
}
