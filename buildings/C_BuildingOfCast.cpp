#include "buildings/C_BuildingOfCast.h"

#include <cmath>
#include <cstdint>

#include "buildings/C_BuildingDraw.h"
#include "core/C_Config.h"
#include "core/C_Localizer.h"
#include "core/GlobalFunc.h"
#include "effects/C_Particles.h"
#include "media/C_ModelRecord.h"
#include "net/C_MultiplayerGame.h"
#include "world/C_GameMap.h"
#include "world/C_Player.h"
#include "world/C_PlayerServices.h"
#include "world/C_UnitStats.h"

namespace
{
constexpr int32_t FirewallTechnology = 48;      // "TC_FF_WALL"
constexpr int32_t BuildDefence1Technology = 46; // "TC_BUILD_D_1"
constexpr int32_t BuildDefence2Technology = 47; // "TC_BUILD_D_2"
constexpr float BuildDefence1 = 0.1f;
constexpr float BuildDefence2 = 0.3f;

// Dust of a construction step: CParticles::AddDust kind 0 with 20.0 and 2.0.
constexpr float DustSize = 20.0f;
constexpr float DustGrowth = 2.0f;
constexpr int32_t DustHeightRange = 20;
constexpr float DustBaseHeight = 10.0f;
constexpr float TenthOfBlock = 0.1f;

constexpr uint32_t MarkerColour = 0xFFFF00;
constexpr uint32_t FinishedMessageColour = 0x00FF00;

constexpr float FramesPerTick = 0.3f;
constexpr int32_t WinterTheme = 1;
constexpr float ShakeBlocks = 0.02f;
constexpr float ShakeSpeed = 500.0f;
constexpr int32_t BannerModel = 233;

// The banners of the castle family: offset x and y from the corner, phase.
struct SBanner
{
    float offsetX;
    float offsetY;
    float phase;
};
struct SBannerRow
{
    int32_t cast;
    float height;
    SBanner banners[2];
    int32_t count;
};
constexpr SBannerRow BannerRows[] = {
    {CastCastle, 101.0f, {{0.8f, 5.9f, 16.0f}, {6.1f, 5.9f, 24.0f}}, 2},
    {CastBarracks, 70.0f, {{0.8f, 5.4f, 16.0f}, {4.1f, 5.4f, 24.0f}}, 2},
    {CastTower, 148.0f, {{1.0f, 1.0f, 0.0f}, {}}, 1},
};

}  // namespace

CBuildingOfCast::CBuildingOfCast(int32_t cast, int32_t ownerIndex)
    : CBuilding(-1, -1, ownerIndex), m_Row(*CBuildingCastTable::Find(cast))
{
    model = m_Row.model;
    // Each list is allocated with exactly its type's number of points.
    if (m_Row.firePointCount > 0)
    {
        InitFirePositions(m_Row.firePointCount);
        for (int32_t i = 0; i < m_Row.firePointCount; ++i)
        {
            const SFirePoint& point = m_Row.firePoints[i];
            AddFirePosition(point.threshold, point.offsetX, point.height, point.offsetY, point.size);
        }
    }
}

const char* CBuildingOfCast::GetName() const
{
    const char* text = g_Localizer.GetString(GetNameKey(), false);
    return text != nullptr ? text : GetNameKey();
}

void CBuildingOfCast::GetSelectSound(int32_t* sample, int32_t* variants) const
{
    *sample = m_Row.selectSample;
    *variants = 1;
}

void CBuildingOfCast::GetHitDebris(int32_t* first, int32_t* second) const
{
    const SBuildingStageRow& stages = GetStageRow();
    const bool own = stages.hitDebris[0] >= 0;
    *first = own ? stages.hitDebris[0] : m_Row.hitDebris[0];
    *second = own ? stages.hitDebris[1] : m_Row.hitDebris[1];
}

const CUnitStats* CBuildingOfCast::GetTypeRecord() const
{
    const int32_t index = GetTypeRecordIndex();
    if (g_UnitStats == nullptr || index < 0 || index >= TypeRecordCount)
        return nullptr;
    return &g_UnitStats[index];
}

const SBuildingStageRow& CBuildingOfCast::GetStageRow() const
{
    return *CBuildingStageTable::Find(m_Row.cast);
}

bool CBuildingOfCast::OwnerHasResearched(int32_t technology) const
{
    return g_Players != nullptr && owner >= 0 && owner < MaxPlayers && g_Players[owner].IsResearched(technology);
}

int32_t CBuildingOfCast::GetMaxHitPoints() const
{
    const CUnitStats* record = GetTypeRecord();
    if (record == nullptr)
        return CBuilding::GetMaxHitPoints();
    int32_t full = record->hitPoints;
    if (OwnerHasResearched(FirewallTechnology))
        full += GetStageRow().firewallBonus;
    // In double, so that 1200 at 100 percent is 1200 and not 1199.
    const auto points = static_cast<int32_t>(static_cast<double>(full) * static_cast<double>(buildProgress) * 0.01);
    return points < 1 ? 1 : points;
}

float CBuildingOfCast::GetRepairRate() const
{
    const CUnitStats* record = GetTypeRecord();
    return record != nullptr ? record->rate : CBuilding::GetRepairRate();
}

float CBuildingOfCast::GetDamageFactor1() const
{
    const CUnitStats* record = GetTypeRecord();
    return record != nullptr ? record->damageFactors[0] : CBuilding::GetDamageFactor1();
}

float CBuildingOfCast::GetDamageFactor2() const
{
    const CUnitStats* record = GetTypeRecord();
    return record != nullptr ? record->damageFactors[1] : CBuilding::GetDamageFactor2();
}

float CBuildingOfCast::GetDamageFactor3() const
{
    const CUnitStats* record = GetTypeRecord();
    if (record == nullptr)
        return CBuilding::GetDamageFactor3();
    float factor = record->damageFactors[2];
    if (OwnerHasResearched(BuildDefence2Technology))
        factor -= BuildDefence2;
    else if (OwnerHasResearched(BuildDefence1Technology))
        factor -= BuildDefence1;
    return factor < 0.0f ? 0.0f : factor;
}

void CBuildingOfCast::GetWorkCost(float* wood, float* stone, float* gold) const
{
    const SBuildingStageRow& stages = GetStageRow();
    if (!stages.hasWorkCost)
        return;
    *wood = stages.workCost[0];
    *stone = stages.workCost[1];
    *gold = stages.workCost[2];
}

void CBuildingOfCast::GetTargetPosition(float* position) const
{
    const SBuildingStageRow& stages = GetStageRow();
    position[0] = static_cast<float>(x) + stages.aimOffset[0];
    position[1] = IsFinished() ? stages.aimHeight : stages.aimHeightUnfinished;
    position[2] = static_cast<float>(y) + stages.aimOffset[1];
}

float CBuildingOfCast::GetHeightAt(float worldX, float worldY) const
{
    return GetHeightInModelBoxes(worldX, worldY, static_cast<float>(x), static_cast<float>(y), INT32_MAX);
}

void CBuildingOfCast::OnFinished()
{
    BuildingFinished();
    ApplySight(owner);
}

void CBuildingOfCast::OnHit(TENUMDAMAGETYPE damageType)
{
    const SBuildingStageRow& stages = GetStageRow();
    PlayHitSound(damageType, stages.longHitRow, stages.collapseInstead);
}

bool CBuildingOfCast::Animate(float elapsed)
{
    if (!GetStageRow().animates)
        return true;
    // Once per tick, so that a frame of many ticks adds what the ticks do.
    for (int32_t tick = 0; tick < static_cast<int32_t>(elapsed); ++tick)
        animTime += FramesPerTick;
    return true;
}

float CBuildingOfCast::GetCornerGround() const
{
    return g_GameMap.IsOnMap(x, y) ? g_GameMap.GetHeight(static_cast<float>(x), static_cast<float>(y)) : 0.0f;
}

CBuildingOfCast::SDrawPoint CBuildingOfCast::PlaceForDrawing(SDrawPoint point, float collapse, float sinkDepth)
{
    if (collapse != 0.0f)
    {
        point.x += ShakeBlocks * std::sin(ShakeSpeed * collapse);
        point.y += ShakeBlocks * std::cos(ShakeSpeed * collapse);
        point.height -= collapse * sinkDepth;
    }
    drawPosition[0] = point.x;
    drawPosition[1] = point.height;
    drawPosition[2] = point.y;
    return point;
}

std::optional<CBuildingOfCast::SDrawPoint> CBuildingOfCast::RenderBody(float collapse, float ground)
{
    CModelRecord* record = GetTypeInfo();
    if (record == nullptr)
        return std::nullopt;
    SetDrawLooks(*record, GetOwnerColour());
    const SDrawPoint corner{static_cast<float>(x), static_cast<float>(y), ground};
    const SDrawPoint point = PlaceForDrawing(corner, collapse, GetStageRow().sinkDepth);
    CBuildingDraw::DrawModel(model, 0, point.x, point.y, point.height, 0.0f);
    return point;
}

void CBuildingOfCast::Render(float collapse)
{
    const std::optional<SDrawPoint> body = RenderBody(collapse, GetCornerGround());
    if (!body || !IsFinished())
        return;
    const SBuildingStageRow& stages = GetStageRow();
    if (g_GameMap.theme == WinterTheme && stages.snowModel != 0)
        CBuildingDraw::DrawModel(stages.snowModel, 0, body->x, body->y, body->height, 0.0f);
    if (collapse == 0.0f)
        RenderBanners(body->height);
}

void CBuildingOfCast::RenderBanners(float height) const
{
    for (const SBannerRow& row : BannerRows)
    {
        if (row.cast != m_Row.cast)
            continue;
        if (CModelRecord* banner = GetGlobalModel(BannerModel))
            banner->SetColourSlot(GetOwnerColour());
        for (int32_t i = 0; i < row.count; ++i)
        {
            const SBanner& banner = row.banners[i];
            CBuildingDraw::DrawModel(BannerModel, static_cast<int32_t>(animTime + banner.phase),
                                     static_cast<float>(x) + banner.offsetX, static_cast<float>(y) + banner.offsetY,
                                     height + row.height, 0.0f);
        }
    }
}

int32_t CBuildingOfCast::GetStageModel(float progressNow) const
{
    const int32_t stage = GetStageRow().stageModels[CBuildingStageTable::StageIndex(progressNow)];
    return stage != 0 ? stage : model;
}

int32_t CBuildingOfCast::GetFinishedModel() const
{
    const int32_t finished = GetStageRow().finishedModel;
    return finished != 0 ? finished : model;
}

void CBuildingOfCast::RaiseDust(int32_t puffs) const
{
    const bool hidden = !IsVisibleToLocalPlayer();
    for (int32_t i = 0; i < puffs; ++i)
    {
        const float puffX = static_cast<float>(x) + static_cast<float>(GlobalFunc::Random(GetWidth() * 10)) * TenthOfBlock;
        const float puffY = static_cast<float>(y) + static_cast<float>(GlobalFunc::Random(GetDepth() * 10)) * TenthOfBlock;
        const float ground = g_GameMap.GetHeight(puffX, puffY);
        const float height = ground + static_cast<float>(GlobalFunc::Random(DustHeightRange)) + DustBaseHeight;
        g_Particles.AddDust(hidden, puffX, height, puffY, DustSize, DustGrowth);
    }
}

void CBuildingOfCast::AnnounceFinished() const
{
    const SBuildingStageRow& stages = GetStageRow();
    // A wall segment finishes without news.
    if (stages.message == nullptr)
        return;
    const CPlayerServices& services = GetPlayerServices();
    services.AddMinimapMarker(x + GetWidth() / 2, y + GetDepth() / 2, MarkerColour);
    const char* text = g_Localizer.GetString(stages.message, false);
    services.AddMessage(text != nullptr ? text : stages.message, FinishedMessageColour);
    PlaySelectSound();
}

bool CBuildingOfCast::Construct(float amount, bool instant)
{
    if (IsFinished())
        return false;
    if (!instant)
        RaiseDust(GetStageRow().dustPuffs);
    else
        buildProgress = FinishedProgress;
    const bool ownedHere = IsOwnedHere(owner);
    // The owner's machine builds and broadcasts; another's step waits for it.
    if (IsNetworkGame() && !ownedHere && amount != 0.0f && !instant)
        return true;
    const int32_t oldModel = model;
    buildProgress += GetRepairRate() * amount;
    if (IsNetworkGame() && ownedHere && !instant)
        g_MultiplayerGame.SendBuildProgress(this, buildProgress);
    model = GetStageModel(buildProgress);
    if (buildProgress >= FinishedProgress)
    {
        buildProgress = FinishedProgress;
        model = GetFinishedModel();
        OnFinished();
        if (!instant && owner == g_LocalPlayer)
            AnnounceFinished();
    }
    if (model != oldModel && amount != 0.0f && IsNetworkGame() && ownedHere)
        g_MultiplayerGame.SendBuildingRecord(this, model);
    return buildProgress < FinishedProgress;
}
