// What every unit draws the same way around its model: the selection circle
// and the blob shadow draped over the terrain under it, and its portrait
// with the health bar and the icon of its current command.

#include <cstdint>

#include "core/C_Config.h"
#include "core/GlobalFunc.h"
#include "media/C_2DImage.h"
#include "media/C_Texture.h"
#include "media/C_VXBuffer.h"
#include "media/D3DDevice.h"
#include "platform/SysDevice3D.h"
#include "units/C_Unit.h"
#include "units/C_UnitActionBuffer.h"
#include "world/C_GameMap.h"
#include "world/C_Player.h"

namespace
{
// The in-game resources keep the three unit decals in the first slots of
// the global texture table: the circle of small units, the circle of large
// ones, and the blob shadow.
constexpr int SmallCircleTexture = 0;
constexpr int LargeCircleTexture = 1;
constexpr int ShadowTexture = 2;
// Units up to this footprint take the small circle.
constexpr int32_t SmallCircleMaxSize = 2;
// The decal's square reaches this far past the footprint's half side.
constexpr float DecalMargin = 0.1f;

constexpr uint32_t OpaqueWhite = 0xFFFFFFFF;
constexpr uint32_t OpaqueYellow = 0xFFFFFF00;
constexpr uint32_t OpaqueGreen = 0xFF00FF00;
constexpr uint32_t OpaqueRed = 0xFFFF0000;
constexpr uint32_t OpaqueBlack = 0xFF000000;

// Caller labels of the device calls of one decal: blending on, depth
// writes off, blending off, depth writes on.
struct SDecalLabels
{
    const char* blendOn;
    const char* depthWritesOff;
    const char* blendOff;
    const char* depthWritesOn;
};
constexpr SDecalLabels CircleLabels = {"CUnit::RenderSelectionCircle/1", "CUnit::RenderSelectionCircle/2",
                                       "CUnit::RenderSelectionCircle/3", "CUnit::RenderSelectionCircle/4"};
constexpr SDecalLabels ShadowLabels = {"CUnit::RenderShadow/1", "CUnit::RenderShadow/2", "CUnit::RenderShadow/3",
                                       "CUnit::RenderShadow/4"};

uint32_t CircleColour(int32_t kind)
{
    switch (kind)
    {
    case CUnit::CircleWhite: return OpaqueWhite;
    case CUnit::CircleYellow: return OpaqueYellow;
    case CUnit::CircleGreen: return OpaqueGreen;
    case CUnit::CircleRed: return OpaqueRed;
    default: return OpaqueBlack;
    }
}

void SetStageZeroFilters(SysDevice3D& device, uint32_t filter)
{
    GlobalFunc::FatalD3DError("C2DImage::RenderStretch/3",
                              device.SetTextureStageState(0, Sys3DStageState::MinFilter, filter), true);
    GlobalFunc::FatalD3DError("C2DImage::RenderStretch/4",
                              device.SetTextureStageState(0, Sys3DStageState::MagFilter, filter), true);
}

// The square of blocks a decal covers and the texture square over it.
class CDecal
{
public:
    CDecal(const CUnit& unit, uint32_t colour)
        : m_Colour(colour),
          m_Side(unit.GetSize() + 2),
          m_FirstX(unit.x - 1),
          m_FirstY(unit.y - 1),
          m_Half(float(unit.GetSize()) * 0.5f + DecalMargin),
          m_TextureLeft(unit.centreX - m_Half),
          m_TextureTop(unit.centreY - m_Half)
    {
    }

    void AddBlocks() const
    {
        g_VXBuffer.Begin3d(CVXBuffer::TriangleList);
        for (int32_t bx = m_FirstX; bx < m_FirstX + m_Side; ++bx)
            for (int32_t by = m_FirstY; by < m_FirstY + m_Side; ++by)
                if (g_GameMap.IsOnMap(bx, by))
                    AddBlock(bx, by);
    }

private:
    // Two triangles over the block's corners, divided along the diagonal
    // the terrain's own triangles take: split 1 joins (x + 1, y) and
    // (x, y + 1), split 0 joins (x, y) and (x + 1, y + 1).  Both turn the
    // same way on the screen as the terrain's.
    void AddBlock(int32_t bx, int32_t by) const
    {
        const int32_t left = bx;
        const int32_t right = bx + 1;
        const int32_t top = by;
        const int32_t bottom = by + 1;
        if (std::as_const(g_GameMap).Block(bx, by).triangleSplit != 0)
        {
            AddCorner(left, top);
            AddCorner(right, top);
            AddCorner(left, bottom);
            AddCorner(right, top);
            AddCorner(right, bottom);
            AddCorner(left, bottom);
        }
        else
        {
            AddCorner(left, top);
            AddCorner(right, top);
            AddCorner(right, bottom);
            AddCorner(left, top);
            AddCorner(right, bottom);
            AddCorner(left, bottom);
        }
    }

    void AddCorner(int32_t cx, int32_t cy) const
    {
        float view[3];
        g_GameMap.ProjectToScreenAtHeight(float(cx), float(cy), float(g_GameMap.CornerHeight(cx, cy)), view);
        const float u = (float(cx) - m_TextureLeft) / (2.0f * m_Half);
        const float v = (float(cy) - m_TextureTop) / (2.0f * m_Half);
        g_VXBuffer.Add3dVertex(view[0], view[1], view[2], m_Colour, u, v);
    }

    uint32_t m_Colour;
    int32_t m_Side;
    int32_t m_FirstX;
    int32_t m_FirstY;
    float m_Half;
    float m_TextureLeft;
    float m_TextureTop;
};

// Draws the decal with blending on and depth writes off; the circle also
// filters its texture linearly.  A missing decal texture draws nothing.
void DrawDecal(const CDecal& decal, int textureSlot, const SDecalLabels& labels, bool smooth)
{
    SysDevice3D* device = GetD3DDevice();
    CTexture* texture = GetGlobalTexture(textureSlot);
    if (device == nullptr || texture == nullptr || texture->IsEmpty())
        return;
    GlobalFunc::FatalD3DError(labels.blendOn, device->SetRenderState(Sys3DRenderState::AlphaBlendEnable, 1), true);
    GlobalFunc::FatalD3DError(labels.depthWritesOff, device->SetRenderState(Sys3DRenderState::ZWriteEnable, 0),
                              true);
    if (smooth)
        SetStageZeroFilters(*device, Sys3DFilter::Linear);
    texture->SetAsCurrent(0);
    decal.AddBlocks();
    g_VXBuffer.Show3d();
    if (smooth)
        SetStageZeroFilters(*device, Sys3DFilter::Point);
    GlobalFunc::FatalD3DError(labels.blendOff, device->SetRenderState(Sys3DRenderState::AlphaBlendEnable, 0), true);
    GlobalFunc::FatalD3DError(labels.depthWritesOn, device->SetRenderState(Sys3DRenderState::ZWriteEnable, 1),
                              true);
}

// ---- Portrait and health bar -----------------------------------------------------
constexpr int BarAboveHalfImage = 2;
constexpr int BarLowImage = 3;
constexpr int BarAboveQuarterImage = 4;
constexpr float BarPixelsPerPercent = 0.4f;
constexpr int32_t BarOffsetY = 41;
constexpr int32_t BarHeight = 5;
constexpr float HalfHealth = 50.0f;
constexpr float QuarterHealth = 25.0f;

constexpr int MovingIcon = 80;
constexpr int HarvestingIcon = 81;
constexpr int BuildingIcon = 82;
constexpr int GuardingIcon = 83;
constexpr int FightingIcon = 84;
constexpr int HealingIcon = 85;
constexpr int OtherCommandIcon = 86;
constexpr int NoIcon = -1;

int BarImageFor(float percent)
{
    if (percent > HalfHealth)
        return BarAboveHalfImage;
    if (percent > QuarterHealth)
        return BarAboveQuarterImage;
    return BarLowImage;
}

int IconOfCommand(int32_t command)
{
    switch (command)
    {
    case CMD_FIND_UNGARRISON_COAST:
    case CMD_MOVE_TO_GARRISON:
    case CMD_MOVE_TO:
    case CMD_GARRISON_SHIP:
    case CMD_UNGARRISON:
    case CMD_UNGARRISON_ONE: return MovingIcon;
    case CMD_RETURN_TO_HARVEST_POINT:
    case CMD_FIND_RESOURCE:
    case CMD_FIND_STORAGE:
    case CMD_HARVEST:
    case CMD_RETURN_GOODS: return HarvestingIcon;
    case CMD_FIND_UNCOMPLETED_BUILDING:
    case CMD_BUILD:
    case CMD_REPAIR:
    case CMD_DISMANTLE: return BuildingIcon;
    case CMD_MOVE_TO_DEFENSE_POS:
    case CMD_PATROL: return GuardingIcon;
    case CMD_FIND_ENEMY:
    case CMD_ATTACK:
    case CMD_ATTACK_GROUND: return FightingIcon;
    case CMD_HEAL:
    case CMD_CAST_MAGIC: return HealingIcon;
    case CMD_RUNAWAY:
    case CMD_NONE: return NoIcon;
    default: return OtherCommandIcon;
    }
}

C2DImage* DrawableImage(int number)
{
    C2DImage* image = GetGlobalImage(number);
    return image != nullptr && !image->IsEmpty() ? image : nullptr;
}
} // namespace

void CUnit::RenderSelectionCircle(int32_t kind) const
{
    if (onMap == 0)
        return;
    const int slot = GetSize() <= SmallCircleMaxSize ? SmallCircleTexture : LargeCircleTexture;
    DrawDecal(CDecal(*this, CircleColour(kind)), slot, CircleLabels, true);
}

void CUnit::RenderShadow() const
{
    if (onMap == 0)
        return;
    DrawDecal(CDecal(*this, OpaqueBlack), ShadowTexture, ShadowLabels, false);
}

int32_t CUnit::GetCommandIcon() const
{
    if (player != g_LocalPlayer || g_Config.showUnitActionIcons == 0)
        return NoIcon;
    return IconOfCommand(currentCommand);
}

void CUnit::RenderHealthBar(int32_t px, int32_t py) const
{
    C2DImage* portrait = DrawableImage(GetObjectTypeId());
    if (portrait != nullptr)
        portrait->Render(px, py);

    // Starvation may exceed what is left of the health: the bar then
    // shrinks to nothing rather than turning over.
    const float percent = health - starvation;
    const int32_t width = percent > 0.0f ? int32_t(percent * BarPixelsPerPercent) : 0;
    C2DImage* bar = DrawableImage(BarImageFor(percent));
    if (bar != nullptr && width > 0)
        bar->RenderStretch(px, py + BarOffsetY, width, BarHeight, false);

    const int icon = GetCommandIcon();
    C2DImage* iconImage = icon != NoIcon ? DrawableImage(icon) : nullptr;
    if (iconImage != nullptr)
    {
        const int32_t portraitHeight = portrait != nullptr ? portrait->height : 0;
        iconImage->Render(px, py + portraitHeight - iconImage->height);
    }
}
