#include "buildings/C_BuildingTrap.h"

#include <algorithm>

#include "buildings/C_BuildingDraw.h"
#include "core/GlobalFunc.h"
#include "effects/C_Particles.h"
#include "game/C_BuildingPanel.h"
#include "media/C_ModelRecord.h"
#include "media/C_VXBuffer.h"
#include "media/D3DDevice.h"
#include "platform/SysDevice3D.h"
#include "world/C_GameMap.h"
#include "world/C_Player.h"

namespace
{
constexpr int32_t SpringSample = 28;
constexpr int32_t SpringSampleVariants = 2;
constexpr int32_t SmashSample = 25;
constexpr int32_t SmashSampleVariants = 3;
constexpr int32_t SmashDebrisCount = 30;
constexpr int32_t SmashDebrisKind = 25;
constexpr int32_t SmashSpread = 40;          // random range of the offsets, in 0.04 blocks
constexpr float SmashSpreadStep = 0.04f;
constexpr int32_t SmashHeightRange = 10;
constexpr float SmashBaseHeight = 5.0f;
constexpr TENUMDAMAGETYPE CrushingDamageType = DAMAGE_STONE;
constexpr float NoHeight = -1.0f;
constexpr uint32_t White = 0xFFFFFF;
constexpr uint32_t Opaque = 0xFF000000u;
// How much of the pit image the block shows, across and down.
constexpr float PitImageAcross = 0.61f;
constexpr float PitImageDown = 0.64f;

// The pulsing owner's ground: red as bright as the renderer's pulse, the
// pulse of 1.0 kept at full red rather than running over into the next byte.
uint32_t PulsingRed()
{
    constexpr float PulseScale = 256.0f;
    constexpr int32_t FullRed = 255;
    constexpr int32_t RedShift = 16;
    const float pulse = std::clamp(g_BuildingPanel.pulse, 0.0f, 1.0f);
    const int32_t red = std::min(static_cast<int32_t>(pulse * PulseScale), FullRed);
    return static_cast<uint32_t>(red) << RedShift;
}

void AddPitCorner(float cornerX, float cornerY, uint32_t colour, float u, float v)
{
    float view[3];
    g_GameMap.ProjectToScreen(cornerX, cornerY, 0.0f, view);
    g_VXBuffer.Add3dVertex(view[0], view[1], view[2], colour, u, v);
}
}  // namespace

CBuildingTrap::CBuildingTrap(int32_t ownerIndex) : CBuildingOfCast(CastTrap, ownerIndex)
{}

void CBuildingTrap::OnFinished()
{
    CBuildingOfCast::OnFinished();
    SetBlockBlocked(x, y, 0);
}

bool CBuildingTrap::IsTrapVisible() const
{
    return owner == g_LocalPlayer || revealTraps || IsSprung();
}

float CBuildingTrap::GetHeightAt(float worldX, float worldY) const
{
    if (!IsTrapVisible())
        return NoHeight;
    return CBuildingOfCast::GetHeightAt(worldX, worldY);
}

void CBuildingTrap::Spring()
{
    animTime = 0.0f;
    model = SprungModel;
    PlaySound(SpringSample, SpringSampleVariants, false);
    SetBlockBlocked(x, y, 1);
}

void CBuildingTrap::SmashEffect()
{
    PlaySound(SmashSample, SmashSampleVariants, false);
    const bool hidden = !IsVisibleToLocalPlayer();
    const auto offset = [] {
        return static_cast<float>(GlobalFunc::Random(SmashSpread) - SmashSpread / 2) * SmashSpreadStep;
    };
    for (int32_t i = 0; i < SmashDebrisCount; ++i)
    {
        const float pieceX = static_cast<float>(x) + offset();
        const float pieceY = static_cast<float>(y) + offset();
        const float height = g_GameMap.GetHeight(pieceX, pieceY) +
                             static_cast<float>(GlobalFunc::Random(SmashHeightRange)) + SmashBaseHeight;
        g_Particles.AddSmash(hidden, pieceX, pieceY, height, SmashDebrisKind);
    }
}

bool CBuildingTrap::Animate(float elapsed)
{
    if (IsTakenDown())
        return false;
    if (!IsSprung())
        return true;
    animTime += elapsed * FramesPerTick;
    const CModelRecord* record = GetTypeInfo();
    const int32_t frames = record != nullptr ? record->GetFrameCount() : 0;
    if (animTime < static_cast<float>(frames))
        return true;
    // A model without frames has nothing to play: the trap goes at once.
    animTime = static_cast<float>(std::max(frames - 1, 0));
    Destroy(false);
    return false;
}

void CBuildingTrap::OnHit(TENUMDAMAGETYPE damageType)
{
    if (damageType == CrushingDamageType)
        PlaySound(SmashSample, SmashSampleVariants, false);
}

void CBuildingTrap::GetTargetPosition(float* position) const
{
    position[0] = static_cast<float>(x) + 0.5f;
    position[1] = 0.0f;
    position[2] = static_cast<float>(y) + 0.5f;
}

void CBuildingTrap::Render(float collapse)
{
    if (collapse != 0.0f || !g_GameMap.IsOnMap(x, y))
        return;
    int32_t light = 0;
    if (g_Players != nullptr && g_LocalPlayer >= 0 && g_LocalPlayer < MaxPlayers)
        light = g_Players[g_LocalPlayer].GetVisibility(x, y);
    const uint32_t colour = GlobalFunc::ScaleColor(owner == PulsingOwner ? PulsingRed() : White, light);
    if (CModelRecord* record = GetTypeInfo())
        SetDrawLooks(*record, GetOwnerColour());
    const auto left = static_cast<float>(x);
    const auto top = static_cast<float>(y);
    CBuildingDraw::DrawModel(model, static_cast<int32_t>(animTime), left, top, g_GameMap.GetHeight(left, top), 0.0f);
    RenderGroundQuad(colour);
}

// The pit image is the model's ground texture.
void CBuildingTrap::RenderGroundQuad(uint32_t colour) const
{
    SysDevice3D* device = GetD3DDevice();
    if (device == nullptr)
        return;
    if (CModelRecord* record = GetTypeInfo(); record != nullptr && !record->shadowTexture.IsEmpty())
        record->shadowTexture.SetAsCurrent(0);
    GlobalFunc::FatalD3DError("CBuildingTrap::Render/1",
                              device->SetRenderState(Sys3DRenderState::AlphaFunc, Sys3DCompare::Greater), true);
    const auto left = static_cast<float>(x);
    const auto top = static_cast<float>(y);
    const uint32_t vertexColour = Opaque | colour;
    g_VXBuffer.Begin3d(CVXBuffer::TriangleList);
    // The same diagonal as the terrain's triangles.
    if (std::as_const(g_GameMap).Block(x, y).triangleSplit != 0)
    {
        AddPitCorner(left, top, vertexColour, 0.0f, 0.0f);
        AddPitCorner(left + 1, top, vertexColour, PitImageAcross, 0.0f);
        AddPitCorner(left, top + 1, vertexColour, 0.0f, PitImageDown);
        AddPitCorner(left + 1, top, vertexColour, PitImageAcross, 0.0f);
        AddPitCorner(left + 1, top + 1, vertexColour, PitImageAcross, PitImageDown);
        AddPitCorner(left, top + 1, vertexColour, 0.0f, PitImageDown);
    }
    else
    {
        AddPitCorner(left, top, vertexColour, 0.0f, 0.0f);
        AddPitCorner(left + 1, top, vertexColour, PitImageAcross, 0.0f);
        AddPitCorner(left + 1, top + 1, vertexColour, PitImageAcross, PitImageDown);
        AddPitCorner(left, top, vertexColour, 0.0f, 0.0f);
        AddPitCorner(left + 1, top + 1, vertexColour, PitImageAcross, PitImageDown);
        AddPitCorner(left, top + 1, vertexColour, 0.0f, PitImageDown);
    }
    g_VXBuffer.Show3d();
    GlobalFunc::FatalD3DError("CBuildingTrap::Render/2",
                              device->SetRenderState(Sys3DRenderState::AlphaFunc, Sys3DCompare::Always), true);
}
