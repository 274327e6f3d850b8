#include "buildings/C_BuildingDocks.h"

#include "buildings/C_BuildingDraw.h"
#include "core/GlobalFunc.h"
#include "effects/C_Particles.h"
#include "media/C_SaveReader.h"
#include "media/C_SaveWriter.h"
#include "world/C_GameMap.h"
#include "world/C_Player.h"

namespace
{
constexpr const char* DocksRefusalPrefix = "Docks refused: ";
// Water level 7 is the waterline: above it water, below it shore, and a
// dry block (0) takes no docks.
constexpr int32_t Waterline = 7;
constexpr uint16_t DryLand = 0;

constexpr float FramesPerTick = 0.3f;
constexpr float RingPhasePerTick = 0.03f;
constexpr float RingPhaseFull = 1.0f;
// Rings rise at these offsets in both directions, all pairs but the middle.
constexpr float RingOffsets[] = {0.5f, 3.0f, 5.5f};
constexpr float RingHeight = -2.0f;
constexpr int32_t RingScaleSteps = 20;
constexpr float RingScaleStep = 0.025f;
constexpr float RingBaseScale = 1.5f;
constexpr int32_t RingGrowthSteps = 10;
constexpr float RingGrowthStep = 0.01f;
constexpr float RingBaseGrowth = 0.12f;

constexpr int32_t WinterTheme = 1;
// The docks stand on the water plane, where a collapse sinks them.
constexpr float WaterPlane = 0.0f;

constexpr int32_t TransportShip = 7;
constexpr int32_t WarGalley = 11;

constexpr SCommandButton ShipButtons[] = {
    {TransportShip, 0, 48, 't'},
    {WarGalley, 1, 52, 'w'},
};
// Where two share a place, the technology tree offers one at a time.
constexpr SCommandButton TechnologyButtons[] = {
    {32, 4, 90, 'c'},   // "TC_WARGALLEY"
    {33, 4, 91, 'a'},   // "TC_SHIPSPD_1"
    {34, 4, 92, 'o'},   // "TC_SHIPSPD_2"
    {37, 5, 95, 'n'},   // "TC_SHIP_RNG_1"
    {38, 5, 96, 'b'},   // "TC_SHIP_RNG_2"
    {35, 6, 93, 'i'},   // "TC_SHIP_ATT_1"
    {36, 6, 94, 'd'},   // "TC_SHIP_ATT_2"
};
}  // namespace

CBuildingDocks::CBuildingDocks(int32_t ownerIndex) : CBuildingOfCast(CastDocks, ownerIndex) {}

bool CBuildingDocks::CanPlaceAt(int32_t playerIndex, int32_t margin, int32_t checkReserved,
                                int32_t checkExploration) const
{
    (void)margin;
    if (!IsFootprintInsideMap())
        return false;
    const bool checkSight = checkExploration != 0 && playerIndex == g_LocalPlayer && g_Players != nullptr &&
                            playerIndex >= 0 && playerIndex < MaxPlayers;
    int32_t water = 0;
    int32_t shore = 0;
    for (int32_t i = 0; i < GetWidth(); ++i)
        for (int32_t j = 0; j < GetDepth(); ++j)
        {
            const SMapBlock& block = std::as_const(g_GameMap).Block(x + i, y + j);
            if (block.blocked || block.unit != nullptr || block.waterLevel == DryLand)
                return false;
            if (checkReserved != 0 && g_GameMap.aiTiltMap[(x + i) * MapBlockSide + y + j] != 0)
                return false;
            if (checkSight && g_Players[playerIndex].GetVisibility(x + i, y + j) == 0)
                return false;
            if (block.waterLevel > Waterline)
                ++water;
            else if (block.waterLevel < Waterline)
                ++shore;
        }
    return water > GetWidth() && shore > GetDepth();
}

bool CBuildingDocks::IsOnIsland(uint16_t islandId) const
{
    if (!IsFootprintInsideMap())
        return false;
    for (int32_t i = 0; i < GetWidth(); ++i)
        for (int32_t j = 0; j < GetDepth(); ++j)
            if (std::as_const(g_GameMap).Block(x + i, y + j).regionId != islandId)
                return false;
    return true;
}

bool CBuildingDocks::Animate(float elapsed)
{
    for (int32_t tick = 0; tick < static_cast<int32_t>(elapsed); ++tick)
    {
        animTime += FramesPerTick;
        ringPhase += RingPhasePerTick;
        if (ringPhase <= RingPhaseFull)
            continue;
        ringPhase -= RingPhaseFull;
        const bool hidden = !IsVisibleToLocalPlayer();
        for (float a : RingOffsets)
            for (float b : RingOffsets)
            {
                if (a == RingOffsets[1] && b == RingOffsets[1])
                    continue;   // the middle of the docks stands on piles, not water
                const float scale = static_cast<float>(GlobalFunc::Random(RingScaleSteps)) * RingScaleStep + RingBaseScale;
                const float growth =
                    static_cast<float>(GlobalFunc::Random(RingGrowthSteps)) * RingGrowthStep + RingBaseGrowth;
                g_Particles.AddWaterRing(hidden, static_cast<float>(x) + a, RingHeight, static_cast<float>(y) + b,
                                         scale, growth);
            }
    }
    return true;
}

void CBuildingDocks::Render(float collapse)
{
    const std::optional<SDrawPoint> body = RenderBody(collapse, WaterPlane);
    if (!body)
        return;
    const SBuildingStageRow& stages = GetStageRow();
    if (IsFinished() && g_GameMap.theme == WinterTheme && stages.snowModel != 0)
        CBuildingDraw::DrawModel(stages.snowModel, 0, body->x, body->y, body->height, 0.0f);
}

void CBuildingDocks::RenderPanelButtons()
{
    if (RenderUnfinishedPanel() || !MayShowButtons())
        return;
    if (MayShowUnitButtons())
        RenderUnitButtons(ShipButtons);
    if (MayShowTechnologyButtons())
        RenderTechnologyButtons(TechnologyButtons);
    RenderPanelEnd(true);
}

void CBuildingDocks::SaveGameExtra(CSaveStream& stream, const CObjectReferences& references) const
{
    (void)references;
    CSaveWriter out(stream);
    out.F32(ringPhase);
}

bool CBuildingDocks::LoadGameExtra(CSaveStream& stream, const CObjectReferences& references)
{
    (void)references;
    CSaveReader in(stream, DocksRefusalPrefix);
    const float phase = in.F32();
    if (!in.Finish())
        return false;
    if (!CSaveReader::IsFinite(phase) || phase < 0.0f || phase > RingPhaseFull)
        return in.Refuse("a ring phase outside 0 to 1");
    ringPhase = phase;
    return true;
}
