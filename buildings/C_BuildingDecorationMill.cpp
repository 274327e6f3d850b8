#include "buildings/C_BuildingDecorationMill.h"

#include "buildings/C_BuildingDecorationDraw.h"
#include "buildings/C_BuildingDraw.h"
#include "core/GlobalFunc.h"
#include "media/C_ModelRecord.h"
#include "world/C_GameMap.h"

namespace
{
constexpr float DegreesPerTick = 0.5f;
constexpr int32_t NeutralColour = 0;
// The sails' hub from the corner block, and its height over the ground.
constexpr float HubX = 3.0f;
constexpr float HubY = 3.46f;
constexpr float HubHeight = 102.68f;
// The axle (13.63, 0, -11.54) made a unit vector.
constexpr float AxleX = 0.7632f;
constexpr float AxleUp = 0.0f;
constexpr float AxleZ = -0.6462f;
}  // namespace

CDecorationMill::CDecorationMill(int32_t kind) : CDecoration(kind, DecorationClass::Mill) {}

bool CDecorationMill::Animate(float elapsed)
{
    animTime += DegreesPerTick * elapsed;
    return true;
}

void CDecorationMill::Render(float collapse)
{
    (void)collapse;
    if (!g_GameMap.IsOnMap(x, y))
        return;
    model = BodyModel;
    if (CModelRecord* record = GetTypeInfo())
        SetDrawLooks(*record, NeutralColour);
    const auto left = static_cast<float>(x);
    const auto top = static_cast<float>(y);
    CBuildingDraw::DrawModel(model, 0, left, top, g_GameMap.GetHeight(left, top), 0.0f);
    float turn[9];
    GlobalFunc::AxisAngleMatrix(AxleX, AxleUp, AxleZ, animTime, turn);
    const float hubX = left + HubX;
    const float hubY = top + HubY;
    CBuildingDecorationDraw::DrawTransformed(SailsModel, 0, hubX, hubY, g_GameMap.GetHeight(hubX, hubY) + HubHeight,
                                             turn);
}
