// The base drawing of a building: its shadow on the terrain, the footprint
// outline, the rally flag and the developer's overlay.

#include <cstdint>
#include <string>
#include <vector>

#include "buildings/C_Building.h"
#include "buildings/C_BuildingDraw.h"
#include "core/C_Config.h"
#include "core/GlobalFunc.h"
#include "game/C_BuildingPanel.h"
#include "media/C_2DFont.h"
#include "media/C_ModelRecord.h"
#include "media/C_Texture.h"
#include "media/C_VXBuffer.h"
#include "media/D3DDevice.h"
#include "platform/SysDevice3D.h"
#include "world/C_GameMap.h"
#include "world/C_Player.h"
#include "world/C_Technology.h"
#include "world/C_UnitStats.h"

namespace
{
constexpr uint32_t ShadowColour = 0xFFFFFFFF;
constexpr int32_t ShadowRimBlocks = 2;
constexpr float OutlineLift = 1.0f;
constexpr int32_t RallyFlagModel = 234;
constexpr int32_t DebugFont = 0;
constexpr int32_t DebugLeft = 670;
constexpr int32_t DebugLineStep = 20;
constexpr uint32_t White = 0xFFFFFF;

// Outline codes 1 to 4; any other code is its own 24-bit colour.
uint32_t OutlineColour(int32_t code)
{
    switch (code)
    {
    case 1: return 0xFFFFFF;
    case 2: return 0xFFFF00;
    case 3: return 0x00FF00;
    case 4: return 0xFF0000;
    default: return static_cast<uint32_t>(code) & 0xFFFFFF;
    }
}

void AddShadowCorner(float cornerX, float cornerY, float u, float v)
{
    float view[3];
    g_GameMap.ProjectToScreen(cornerX, cornerY, 0.0f, view);
    g_VXBuffer.Add3dVertex(view[0], view[1], view[2], ShadowColour, u, v);
}

void SetState(SysDevice3D& device, const char* label, Sys3DRenderState state, uint32_t value)
{
    GlobalFunc::FatalD3DError(label, device.SetRenderState(state, value), true);
}
}  // namespace

void CBuilding::RenderShadow() const
{
    SysDevice3D* device = GetD3DDevice();
    CModelRecord* record = GetTypeInfo();
    if (device == nullptr || record == nullptr || record->shadowTexture.IsEmpty())
        return;
    SetState(*device, "CBuilding::RenderShadow/1", Sys3DRenderState::AlphaFunc, Sys3DCompare::Greater);
    SetState(*device, "CBuilding::RenderShadow/2", Sys3DRenderState::AlphaBlendEnable, 1);
    SetState(*device, "CBuilding::RenderShadow/3", Sys3DRenderState::ZWriteEnable, 0);
    GlobalFunc::FatalD3DError("CBuilding::RenderShadow/4",
                              device->SetTextureStageState(0, Sys3DStageState::MagFilter, Sys3DFilter::Linear), true);
    record->shadowTexture.SetAsCurrent(0);
    const int32_t across = GetWidth() + ShadowRimBlocks;
    const int32_t down = GetDepth() + ShadowRimBlocks;
    g_VXBuffer.Begin3d(CVXBuffer::TriangleList);
    for (int32_t i = 0; i < across; ++i)
        for (int32_t j = 0; j < down; ++j)
        {
            const int32_t cellX = x + i;
            const int32_t cellY = y - ShadowRimBlocks + j;
            if (cellX >= g_GameMap.GetWidth() || cellY < 0 || !g_GameMap.IsOnMap(cellX, cellY))
                continue;
            const float u0 = static_cast<float>(i) / static_cast<float>(across);
            const float u1 = static_cast<float>(i + 1) / static_cast<float>(across);
            const float v0 = static_cast<float>(j) / static_cast<float>(down);
            const float v1 = static_cast<float>(j + 1) / static_cast<float>(down);
            const auto left = static_cast<float>(cellX);
            const auto top = static_cast<float>(cellY);
            // The same diagonal as the terrain's triangles.
            if (std::as_const(g_GameMap).Block(cellX, cellY).triangleSplit != 0)
            {
                AddShadowCorner(left, top, u0, v0);
                AddShadowCorner(left + 1, top, u1, v0);
                AddShadowCorner(left, top + 1, u0, v1);
                AddShadowCorner(left + 1, top, u1, v0);
                AddShadowCorner(left + 1, top + 1, u1, v1);
                AddShadowCorner(left, top + 1, u0, v1);
            }
            else
            {
                AddShadowCorner(left, top, u0, v0);
                AddShadowCorner(left + 1, top, u1, v0);
                AddShadowCorner(left + 1, top + 1, u1, v1);
                AddShadowCorner(left, top, u0, v0);
                AddShadowCorner(left + 1, top + 1, u1, v1);
                AddShadowCorner(left, top + 1, u0, v1);
            }
        }
    g_VXBuffer.Show3d();
    SetState(*device, "CBuilding::RenderShadow/6", Sys3DRenderState::AlphaFunc, Sys3DCompare::Always);
    SetState(*device, "CBuilding::RenderShadow/7", Sys3DRenderState::AlphaBlendEnable, 0);
    SetState(*device, "CBuilding::RenderShadow/8", Sys3DRenderState::ZWriteEnable, 1);
    GlobalFunc::FatalD3DError("CBuilding::RenderShadow/9",
                              device->SetTextureStageState(0, Sys3DStageState::MagFilter, Sys3DFilter::Point), true);
}

void CBuilding::GetOutlinePoints(std::vector<float>& points) const
{
    points.clear();
    const int32_t width = GetWidth();
    const int32_t depth = GetDepth();
    const auto add = [&points](int32_t px, int32_t py) {
        points.push_back(static_cast<float>(px));
        points.push_back(static_cast<float>(py));
    };
    for (int32_t i = 0; i < width; ++i)
        add(x + i, y);
    for (int32_t j = 0; j < depth; ++j)
        add(x + width, y + j);
    for (int32_t i = 0; i < width; ++i)
        add(x + width - i, y + depth);
    for (int32_t j = 0; j < depth; ++j)
        add(x, y + depth - j);
    add(x, y);
}

void CBuilding::DrawOutline(int32_t code) const
{
    std::vector<float> points;
    GetOutlinePoints(points);
    const uint32_t colour = 0xFF000000u | OutlineColour(code);
    g_VXBuffer.Begin3d(CVXBuffer::LineStrip);
    for (size_t i = 0; i + 1 < points.size(); i += 2)
    {
        float view[3];
        g_GameMap.ProjectToScreen(points[i], points[i + 1], OutlineLift, view);
        g_VXBuffer.Add3dVertex(view[0], view[1], view[2], colour, 0.0f, 0.0f);
    }
    g_VXBuffer.Show3dLines();
}

void CBuilding::SetDrawLooks(CModelRecord& record, int32_t colourSlot) const
{
    if (owner == PulsingOwner)
        record.tint = g_BuildingPanel.pulse;
    record.SetColourSlot(colourSlot);
}

void CBuilding::RenderRallyFlag() const
{
    if (rallyX == NoRally || rallyY == NoRally || owner != g_LocalPlayer || owner < 0)
        return;
    CModelRecord* flag = GetGlobalModel(RallyFlagModel);
    if (flag == nullptr)
        return;
    if (const CModelRecord* own = GetTypeInfo())
        flag->tint = own->tint;
    flag->SetColourSlot(GetOwnerColour());
    constexpr float BlockCentre = 0.5f;
    const float flagX = static_cast<float>(rallyX) + BlockCentre;
    const float flagY = static_cast<float>(rallyY) + BlockCentre;
    CBuildingDraw::DrawModel(RallyFlagModel, static_cast<int32_t>(animTime), flagX, flagY,
                             g_GameMap.GetHeight(flagX, flagY), 0.0f);
}

void CBuilding::DumpDebug() const
{
    C2DFont* font = GetGlobalFont(DebugFont);
    if (font == nullptr)
        return;
    const CUnitStats* researched = research != nullptr ? research->type : nullptr;
    const std::string lines[] = {
        "---===( Building General )===---",
        "this*:" + std::to_string(reinterpret_cast<uintptr_t>(this)),
        "Prodnum:" + std::to_string(queueCount),
        "Prodprogress:" + std::to_string(static_cast<int32_t>(progress)),
        "Prodstate:" + std::to_string(productionState),
        std::string("Research:") + (researched != nullptr && researched->name != nullptr ? researched->name : "None"),
    };
    int32_t line = 0;
    for (const std::string& text : lines)
        font->Print(DebugLeft, DebugLineStep * line++, text.c_str(), White, 0);
}
