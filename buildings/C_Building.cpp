#include "buildings/C_Building.h"

#include <cstring>
#include <string>

#include "core/C_Config.h"
#include "core/C_LogFile.h"
#include "core/C_PtrGarbage.h"
#include "core/GlobalFunc.h"
#include "media/C_ModelRecord.h"
#include "units/C_Unit.h"
#include "world/C_GameMap.h"
#include "world/C_Player.h"
#include "world/C_PlayerServices.h"

namespace
{
constexpr int32_t NoSelectSample = 255;
constexpr int32_t DefaultHitDebrisFirst = 3;
constexpr int32_t DefaultHitDebrisSecond = 2;
constexpr int32_t SeenVolume = 100;
constexpr int32_t UnseenVolume = 50;
constexpr float NoHeight = -1.0f;

// Hit sounds: first sample and variants.
struct SSound
{
    int32_t sample;
    int32_t variants;
};
constexpr SSound CrushSound = {165, 4};
constexpr SSound PierceSound = {169, 4};
constexpr SSound SmashSound = {173, 4};
constexpr SSound SmashEchoSound = {184, 1};
constexpr SSound FireSound = {177, 2};
constexpr SSound MagicSound = {179, 1};
constexpr SSound CollapseSound = {180, 4};
}  // namespace

CBuilding::CBuilding() : CBuilding(-1, -1, -1) {}

CBuilding::CBuilding(int32_t blockX, int32_t blockY, int32_t ownerIndex)
    : x(blockX), y(blockY), health(FullHealth), buildProgress(StartProgress), owner(ownerIndex), controlGroup(0),
      placed(0), scriptTag(0), attackEventArmed(1), model(0), animTime(0.0f), queue{}, queueCount(0), progress(0.0f),
      productionUnit(nullptr), productionState(0), rallyX(NoRally), rallyY(NoRally), pendingCommand(0),
      research(nullptr), firePositions(nullptr), fireCapacity(0), fireCount(0), fireAmount(0), lastAttacked(0),
      exitRequests(0), drawPosition{}, specialId(0), garrisonedUnit(nullptr), countedAsPlaced(0),
      countedAsFinished(0), sightGiven(0), constructionMarked(0), takenDown(0)
{
    // Saved as they are, so a building never placed saves zeros, not noise.
    std::memset(savedCornerTextures, 0, sizeof(savedCornerTextures));
    std::memset(savedCornerHeights, 0, sizeof(savedCornerHeights));
}

CBuilding::~CBuilding()
{
    delete[] firePositions;
    ReleaseProductionUnit(false);
}

// The held unit is in its owner's list but on no map block.
void CBuilding::ReleaseProductionUnit(bool deferred)
{
    CUnit* unit = productionUnit;
    if (unit == nullptr)
        return;
    productionUnit = nullptr;
    if (g_Players != nullptr && owner >= 0 && owner < MaxPlayers && g_Players[owner].HasUnit(unit))
        g_Players[owner].RemoveUnit(unit, 1);
    if (deferred)
        g_PtrGarbage.AddUnit(unit);
    else
        delete unit;
}

bool CBuilding::Construct(float amount, bool instant)
{
    (void)amount;
    (void)instant;
    return false;
}

bool CBuilding::OnMapPlaced(float amount, bool instant)
{
    const bool underConstruction = Construct(amount, instant);
    if (!instant || IsFinished() || PlayerAt(owner) == nullptr)
        return underConstruction;
    // A type whose step could not finish it still stands finished.
    buildProgress = FinishedProgress;
    OnFinished();
    return false;
}

bool CBuilding::IsSolidCell(int32_t i, int32_t j) const
{
    (void)i;
    (void)j;
    return false;
}

float CBuilding::GetHeightAt(float worldX, float worldY) const
{
    (void)worldX;
    (void)worldY;
    return NoHeight;
}

float CBuilding::GetHeightInModelBoxes(float worldX, float worldY, float originX, float originY,
                                       int32_t partLimit) const
{
    constexpr float ModelUnitsPerBlock = 32.0f;
    const CModelRecord* record = GetTypeInfo();
    if (record == nullptr)
        return NoHeight;
    const float modelX = (worldX - originX) * ModelUnitsPerBlock;
    const float modelZ = (worldY - originY) * -ModelUnitsPerBlock;
    const int32_t parts = record->GetPartCount() < partLimit ? record->GetPartCount() : partLimit;
    for (int32_t part = 0; part < parts; ++part)
    {
        float boxMin[3];
        float boxMax[3];
        if (!record->GetPartBox(part, boxMin, boxMax))
            continue;
        if (modelX >= boxMin[0] && modelX <= boxMax[0] && modelZ >= boxMin[2] && modelZ <= boxMax[2])
            return g_GameMap.IsOnMap(x, y) ? g_GameMap.GetHeight(static_cast<float>(x), static_cast<float>(y)) : 0.0f;
    }
    return NoHeight;
}

bool CBuilding::IsInScreenRect(int32_t left, int32_t top, int32_t right, int32_t bottom) const
{
    (void)left;
    (void)top;
    (void)right;
    (void)bottom;
    return false;
}

void CBuilding::GetWorkCost(float* wood, float* stone, float* gold) const
{
    (void)wood;
    (void)stone;
    (void)gold;
}

void CBuilding::GetTargetPosition(float* position) const
{
    (void)position;
    g_Log.Write("#DEBUG: CBuilding::GetTargetPosition");
}

void CBuilding::GetSelectSound(int32_t* sample, int32_t* variants) const
{
    *sample = NoSelectSample;
    *variants = 1;
}

void CBuilding::GetHitDebris(int32_t* first, int32_t* second) const
{
    *first = DefaultHitDebrisFirst;
    *second = DefaultHitDebrisSecond;
}

bool CBuilding::Animate(float elapsed)
{
    (void)elapsed;
    return true;
}

bool CBuilding::LoadGameExtra(CSaveStream& stream, const CObjectReferences& references)
{
    (void)stream;
    (void)references;
    return true;
}

bool CBuilding::IsFootprintCell(int32_t dx, int32_t dy) const
{
    if (GetFootprintMask()[0] == 0)
        return dx >= 0 && dy >= 0 && dx < GetWidth() && dy < GetDepth();
    return IsFootprintMaskSet(dx, dy);
}

bool CBuilding::IsFootprintMaskSet(int32_t i, int32_t j) const
{
    const int32_t width = GetWidth();
    if (i < 0 || j < 0 || i >= width || j >= GetDepth())
        return false;
    const char* mask = GetFootprintMask();
    const size_t at = static_cast<size_t>(width * j + i);
    // A mask shorter than its footprint leaves the rest unoccupied.
    return at < std::strlen(mask) && mask[at] == '1';
}

bool CBuilding::IsFootprintInsideMap() const
{
    const int64_t right = int64_t(x) + GetWidth() - 1;
    const int64_t bottom = int64_t(y) + GetDepth() - 1;
    return GetWidth() >= 1 && GetDepth() >= 1 && GetWidth() <= MaxFootprintSide && GetDepth() <= MaxFootprintSide &&
           g_GameMap.IsOnMap(x, y) && right < g_GameMap.GetWidth() && bottom < g_GameMap.GetHeight();
}

bool CBuilding::IsOnMap() const
{
    if (placed)
        return true;
    if (!IsFootprintInsideMap())
        return false;
    for (int32_t i = 0; i < GetWidth(); ++i)
        for (int32_t j = 0; j < GetDepth(); ++j)
            if (std::as_const(g_GameMap).Block(x + i, y + j).building == this)
                return true;
    return false;
}

bool CBuilding::IsFriendTo(int32_t playerIndex) const
{
    if (owner == -1 || playerIndex == -1)
        return true;
    if (g_Players == nullptr || playerIndex < 0 || playerIndex >= MaxPlayers)
        return false;
    return g_Players[playerIndex].IsFriendTo(owner);
}

bool CBuilding::IsVisibleToLocalPlayer() const
{
    if (owner == g_LocalPlayer || !g_Config.fogOfWar)
        return true;
    if (g_Players == nullptr || g_LocalPlayer < 0 || g_LocalPlayer >= MaxPlayers)
        return false;
    return g_Players[g_LocalPlayer].IsCellVisible(x + GetWidth() / 2, y + GetDepth() / 2);
}

CModelRecord* CBuilding::GetTypeInfo() const
{
    return GetGlobalModel(model);
}

uint16_t CBuilding::GetIslandId() const
{
    const int32_t centreX = x + GetWidth() / 2;
    const int32_t centreY = y + GetDepth() / 2;
    if (!g_GameMap.IsOnMap(centreX, centreY))
        return NoRegion;
    return std::as_const(g_GameMap).Block(centreX, centreY).regionId;
}

int32_t CBuilding::GetOwnerColour() const
{
    if (g_Players == nullptr || owner < 0 || owner >= MaxPlayers)
        return owner;
    return g_Players[owner].colourScheme;
}

void CBuilding::InitFirePositions(int32_t capacity)
{
    delete[] firePositions;
    firePositions = nullptr;
    fireCount = 0;
    fireCapacity = capacity > 0 ? capacity : 0;
    if (fireCapacity > 0)
        firePositions = new CFirePosition[fireCapacity]();
}

void CBuilding::AddFirePosition(float threshold, float offsetX, float height, float offsetY, float size)
{
    if (fireCount >= fireCapacity)
    {
        g_Log.Write("#DEBUG: Too many firepos");
        return;
    }
    CFirePosition& position = firePositions[fireCount++];
    position.threshold = threshold;
    position.offset[0] = offsetX;
    position.offset[1] = height;
    position.offset[2] = offsetY;
    position.size = size;
    position.particle = NoParticle;
}

// Heard from the centre block, louder where the local player sees it.
void CBuilding::PlaySound(int32_t sample, int32_t variants, bool loop) const
{
    const int32_t centreX = x + GetWidth() / 2;
    const int32_t centreY = y + GetDepth() / 2;
    bool seen = false;
    if (g_Players != nullptr && g_LocalPlayer >= 0 && g_LocalPlayer < MaxPlayers && g_GameMap.IsOnMap(centreX, centreY))
        seen = g_Players[g_LocalPlayer].IsCellSeen(centreX, centreY);
    const int32_t variant = variants > 1 ? GlobalFunc::Random(variants) : 0;
    GetPlayerServices().PlaySampleAt(centreX, centreY, sample + variant, loop ? 1 : 0,
                                     seen ? SeenVolume : UnseenVolume);
}

void CBuilding::PlaySelectSound() const
{
    constexpr int32_t UnfinishedSample = 185;
    constexpr int32_t ResourceSiteCast = 10;
    if (GetBuildCast() == ResourceSiteCast || owner != g_LocalPlayer || owner < 0)
        return;
    int32_t sample = UnfinishedSample;
    int32_t variants = 1;
    if (IsFinished())
        GetSelectSound(&sample, &variants);
    const int32_t variant = variants > 1 ? GlobalFunc::Random(variants) : 0;
    GetPlayerServices().PlaySample(sample + variant, SeenVolume);
}

void CBuilding::PlayHitSound(int32_t damageType, bool longRow, bool collapseInstead) const
{
    const bool collapsing = GetHitPoints() <= 0;
    if (!(collapsing && collapseInstead))
    {
        switch (damageType)
        {
        case 1: PlaySound(CrushSound.sample, CrushSound.variants, false); break;
        case 2:
        case 3: PlaySound(PierceSound.sample, PierceSound.variants, false); break;
        case 4:
        case 9:
            PlaySound(SmashSound.sample, SmashSound.variants, false);
            if (longRow)
                PlaySound(SmashEchoSound.sample, SmashEchoSound.variants, false);
            break;
        case 6: PlaySound(FireSound.sample, FireSound.variants, false); break;
        case 7:
        case 8: PlaySound(MagicSound.sample, MagicSound.variants, false); break;
        default: break;
        }
    }
    if (collapsing)
        PlaySound(CollapseSound.sample, CollapseSound.variants, false);
}

void CBuilding::WriteLog() const
{
    g_Log.Write("#DEBUG: building log");
    g_Log.Write(("PlayerID=" + std::to_string(owner)).c_str());
    g_Log.Write(("Pos=" + std::to_string(x) + "," + std::to_string(y)).c_str());
    g_Log.Write(("CastID=" + std::to_string(GetBuildCast())).c_str());
}
