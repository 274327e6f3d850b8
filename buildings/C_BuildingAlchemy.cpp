#include "buildings/C_BuildingAlchemy.h"

#include "buildings/C_BuildingDraw.h"
#include "world/C_GameMap.h"

namespace
{
constexpr float FramesPerTick = 0.8f;
constexpr int32_t ApparatusModel = 235;
constexpr float ApparatusOffsetX = 5.03f;
constexpr float ApparatusOffsetY = 0.42f;
constexpr float ApparatusHeight = 97.81f;
// The apparatus turns about the diagonal (1, 0, -1), normalised.
constexpr float ApparatusAxis[3] = {0.7071f, 0.0f, -0.7071f};

// In this order: where two share a place, the technology tree offers one
// of them at a time.
constexpr SCommandButton TechnologyButtons[] = {
    {53, 0, 111, 'e'},   // "TC_ADV_BUILD"
    {56, 1, 114, 'b'},   // "TC_BALLISTIC"
    {59, 1, 117, 'h'},   // "TC_HIDEOUT"
    {58, 2, 116, 'f'},   // "TC_FLAMEARROW"
    {60, 3, 118, 'l'},   // "TC_BLOODBATH"
    {54, 4, 112, 'p'},   // "TC_PYRO"
    {55, 4, 113, 'x'},   // "TC_EXPLSIVE"
    {57, 5, 115, 'c'},   // "TC_CURVESHOT"
};
}  // namespace

CBuildingAlchemy::CBuildingAlchemy(int32_t ownerIndex) : CBuildingOfCast(CastAlchemy, ownerIndex) {}

bool CBuildingAlchemy::Animate(float elapsed)
{
    for (int32_t tick = 0; tick < static_cast<int32_t>(elapsed); ++tick)
        animTime += FramesPerTick;
    return true;
}

void CBuildingAlchemy::Render(float collapse)
{
    CBuildingOfCast::Render(collapse);
    if (!IsFinished() || collapse != 0.0f)
        return;
    const float ground = g_GameMap.IsOnMap(x, y) ? g_GameMap.GetHeight(static_cast<float>(x), static_cast<float>(y)) : 0.0f;
    CBuildingDraw::DrawModelAboutAxis(ApparatusModel, 0, static_cast<float>(x) + ApparatusOffsetX,
                                      static_cast<float>(y) + ApparatusOffsetY, ground + ApparatusHeight,
                                      ApparatusAxis, animTime);
}

void CBuildingAlchemy::RenderPanelButtons()
{
    if (RenderUnfinishedPanel() || !MayShowButtons())
        return;
    if (MayShowTechnologyButtons())
        RenderTechnologyButtons(TechnologyButtons);
    RenderPanelEnd(false);
}
