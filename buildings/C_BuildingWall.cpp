#include "buildings/C_BuildingWall.h"

#include <cmath>

#include "buildings/C_BuildingDecorationDraw.h"
#include "media/C_ModelRecord.h"
#include "media/C_SaveReader.h"
#include "media/C_SaveWriter.h"
#include "net/C_MultiplayerGame.h"
#include "world/C_GameMap.h"

namespace
{
constexpr const char* WallRefusalPrefix = "Wall refused: ";
constexpr float DamagedBelow = 50.0f;
constexpr int32_t WinterTheme = 1;
constexpr int32_t RefreshMargin = 2;
constexpr int32_t RefreshSide = 5;
constexpr float ModelUnitsPerBlock = 32.0f;
constexpr float SinkDepth = 300.0f;

struct SShapeModels
{
    int32_t underConstruction;
    int32_t finished;
    int32_t damaged;
    int32_t snow;
};

// By shape: post, along x, along y.
constexpr SShapeModels ShapeModels[] = {{197, 196, 200, 198}, {187, 186, 190, 188}, {192, 191, 195, 193}};

const SShapeModels& ModelsOf(int32_t shape)
{
    return ShapeModels[shape >= 0 && shape <= CBuildingWall::ShapeAlongY ? shape : CBuildingWall::ShapePost];
}

// The model upright, each axis sheared up by its slope: the piece follows
// the ground but stays vertical.  Model z runs against the map's y.
void DrawTilted(int32_t modelNumber, float x, float y, float height, float slopeAlongX, float slopeAlongY)
{
    const float tilt[9] = {1.0f, slopeAlongX, 0.0f, 0.0f, 1.0f, 0.0f, 0.0f, -slopeAlongY, 1.0f};
    CBuildingDecorationDraw::DrawTransformed(modelNumber, 0, x, y, height, tilt);
}
}  // namespace

CBuildingWall::CBuildingWall(int32_t ownerIndex) : CBuildingOfCast(CastWall, ownerIndex)
{}

bool CBuildingWall::IsWallAt(int32_t blockX, int32_t blockY) const
{
    const CBuilding* neighbour = std::as_const(g_GameMap).Block(blockX, blockY).building;
    return neighbour != nullptr && neighbour->GetBuildCast() == CastWall;
}

void CBuildingWall::UpdateJoint()
{
    if (!g_GameMap.IsOnMap(x, y))
        return;
    const int32_t lastX = g_GameMap.GetWidth() - 1;
    const int32_t lastY = g_GameMap.GetHeight() - 1;
    const bool west = x > 0 && IsWallAt(x - 1, y);
    const bool east = x < lastX && IsWallAt(x + 1, y);
    const bool north = y > 0 && IsWallAt(x, y - 1);
    const bool south = y < lastY && IsWallAt(x, y + 1);
    if (west && east && !north && !south)
        joinState = ShapeAlongX;
    else if (north && south && !west && !east)
        joinState = ShapeAlongY;
    else
        joinState = ShapePost;
    model = IsFinished() ? GetFinishedModel() : GetStageModel(buildProgress);
}

void CBuildingWall::JoinNeighbours()
{
    const int32_t offsets[4][2] = {{-1, 0}, {1, 0}, {0, -1}, {0, 1}};
    for (const auto& offset : offsets)
    {
        const int32_t nx = x + offset[0];
        const int32_t ny = y + offset[1];
        if (!g_GameMap.IsOnMap(nx, ny))
            continue;
        if (CBuilding* neighbour = std::as_const(g_GameMap).Block(nx, ny).building)
            neighbour->UpdateJoint();
    }
    UpdateJoint();
}

void CBuildingWall::OnPlaced()
{
    if (!IsFinished())
        SetBlockBlocked(x, y, 0);
}

bool CBuildingWall::Construct(float amount, bool instant)
{
    if (IsFinished())
        return false;
    if (amount != 0.0f || instant)
    {
        if (g_GameMap.IsOnMap(x, y) && std::as_const(g_GameMap).Block(x, y).unit != nullptr)
            return false;
        SetBlockBlocked(x, y, 1);
    }
    return CBuildingOfCast::Construct(amount, instant);
}

void CBuildingWall::OnFinished()
{
    // However it was finished, a standing wall blocks its block.
    SetBlockBlocked(x, y, 1);
    g_GameMap.UpdateArea(x - RefreshMargin, y - RefreshMargin, RefreshSide, RefreshSide);
    BuildingFinished();
    UpdateJoint();
    ApplySight(owner);
}

void CBuildingWall::OnHealthChanged()
{
    if (!IsFinished())
        return;
    const int32_t oldModel = model;
    model = health >= DamagedBelow ? ModelsOf(joinState).finished : ModelsOf(joinState).damaged;
    BroadcastModelChange(oldModel);
}

void CBuildingWall::BroadcastModelChange(int32_t oldModel) const
{
    if (model != oldModel && IsNetworkGame() && IsOwnedHere(owner))
        g_MultiplayerGame.SendBuildingRecord(this, model);
}

int32_t CBuildingWall::GetStageModel(float progressNow) const
{
    (void)progressNow;
    return ModelsOf(joinState).underConstruction;
}

int32_t CBuildingWall::GetFinishedModel() const
{
    return ModelsOf(joinState).finished;
}

void CBuildingWall::Render(float collapse)
{
    if (!g_GameMap.IsOnMap(x, y))
        return;
    if (CModelRecord* record = GetTypeInfo())
        SetDrawLooks(*record, GetOwnerColour());
    const auto left = static_cast<float>(x);
    const auto top = static_cast<float>(y);
    float drawX = left + 0.5f;
    float drawY = top + 0.5f;
    float alongX = 0.0f;
    float alongY = 0.0f;
    if (joinState == ShapeAlongX)
    {
        slopeX = (g_GameMap.GetHeight(left + 1.0f, top + 0.5f) - g_GameMap.GetHeight(left, top + 0.5f)) /
                 ModelUnitsPerBlock;
        alongX = slopeX;
        drawX = left;
    }
    else if (joinState == ShapeAlongY)
    {
        slopeY = (g_GameMap.GetHeight(left + 0.5f, top + 1.0f) - g_GameMap.GetHeight(left + 0.5f, top)) /
                 ModelUnitsPerBlock;
        alongY = slopeY;
        drawY = top;
    }
    const SDrawPoint point =
        PlaceForDrawing({drawX, drawY, g_GameMap.GetHeight(drawX, drawY)}, collapse, SinkDepth);
    DrawTilted(model, point.x, point.y, point.height, alongX, alongY);
    if (IsFinished() && g_GameMap.theme == WinterTheme)
        DrawTilted(ModelsOf(joinState).snow, point.x, point.y, point.height, alongX, alongY);
}

void CBuildingWall::SaveGameExtra(CSaveStream& stream, const CObjectReferences& references) const
{
    (void)references;
    CSaveWriter out(stream);
    out.I32(joinState);
    out.F32(slopeX);
    out.F32(slopeY);
}

bool CBuildingWall::LoadGameExtra(CSaveStream& stream, const CObjectReferences& references)
{
    (void)references;
    CSaveReader in(stream, WallRefusalPrefix);
    const int32_t shape = in.I32();
    const float alongX = in.F32();
    const float alongY = in.F32();
    if (!in.Finish())
        return false;
    if (shape < ShapePost || shape > ShapeAlongY)
        return in.Refuse("a shape that is no wall's");
    if (!std::isfinite(alongX) || !std::isfinite(alongY))
        return in.Refuse("a slope out of range");
    joinState = shape;
    slopeX = alongX;
    slopeY = alongY;
    return true;
}
