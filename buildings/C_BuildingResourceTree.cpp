#include "buildings/C_BuildingResourceTree.h"

#include <cmath>

#include "buildings/C_BuildingCastTable.h"
#include "core/C_Config.h"
#include "core/C_Localizer.h"
#include "core/GlobalFunc.h"
#include "media/C_ModelRecord.h"
#include "media/C_SaveReader.h"
#include "media/C_SaveWriter.h"
#include "world/C_GameMap.h"

namespace
{
// Debris pieces of the two kinds a projectile hit throws.
constexpr int32_t TreeHitDebris[2] = {0, 10};
constexpr int32_t FullCircle = 360;
constexpr int32_t LookCount = 4;
// Winter oak, palm and dead trees cast no shade.
constexpr int32_t FirstBareVariant = 4;
constexpr int32_t LastBareVariant = 6;
constexpr uint16_t FelledTrunkDecoration = 254;
constexpr int32_t FallRefreshMargin = 2;
constexpr float SwayPerTick = 0.6f;
constexpr float FallPerTick = 1.2f;

constexpr int32_t FallSample = 146;
constexpr int32_t FallVariants = 2;
constexpr int32_t DeathSample = 149;
constexpr int32_t ChopSample = 133;
constexpr int32_t ChopVariants = 2;
constexpr int32_t CrashSample = 148;

constexpr const char* TreeRefusalPrefix = "Tree refused: ";

bool IsVariant(int32_t variant)
{
    return variant >= 1 && variant <= CResourceTree::VariantCount;
}

int32_t ModelOfVariant(int32_t variant)
{
    return IsVariant(variant) ? CResourceTree::FirstModel + 2 * (variant - 1) : 0;
}

int32_t FrameCountOf(int32_t modelNumber)
{
    const CModelRecord* record = GetGlobalModel(modelNumber);
    return record != nullptr ? record->GetFrameCount() : 0;
}
}  // namespace

CResourceTree::CResourceTree(int32_t variant)
    : CResource(ResourceKindTree, ModelOfVariant(variant), StartAmount), treeCast(variant), look(0)
{
    if (g_Config.networkRole != 0)
        facing = NetworkFacing;
    else
        facing = static_cast<float>(GlobalFunc::Random(FullCircle));
    look = GlobalFunc::Random(LookCount);
}

int32_t CResourceTree::GetStandingModel() const
{
    return ModelOfVariant(treeCast);
}

int32_t CResourceTree::GetFelledModel() const
{
    return IsVariant(treeCast) ? GetStandingModel() + 1 : 0;
}

bool CResourceTree::CastsShade() const
{
    return (treeCast < FirstBareVariant || treeCast > LastBareVariant) && IsStanding();
}

void CResourceTree::GetHitDebris(int32_t* first, int32_t* second) const
{
    *first = TreeHitDebris[0];
    *second = TreeHitDebris[1];
}

int32_t CResourceTree::TakeOne()
{
    return TakeTreeUnit(IsStanding(), true);
}

int32_t CResourceTree::TakeTreeUnit(bool wasStanding, bool mayRemove)
{
    if (amount <= 0)
        return 0;
    --amount;
    // An emptied tree goes whole; the fall is for a trunk that stays.
    if (wasStanding && amount < StandingAmount && amount > 0)
        Fall();
    if (amount == 0 && mayRemove)
        RemoveSite();
    return 1;
}

void CResourceTree::Fall()
{
    g_GameMap.UpdateArea(x - FallRefreshMargin, y - FallRefreshMargin, GetWidth() + 2 * FallRefreshMargin,
                         GetDepth() + 2 * FallRefreshMargin);
    animTime = 0.0f;
    model = GetFelledModel();
    if (!g_GameMap.IsOnMap(x, y))
        return;
    SMapBlock& block = g_GameMap.Block(x, y);
    block.decorationModel = FelledTrunkDecoration;
    block.blocked = 0;
    // A tree that falls out of view is already lying when it comes in.
    if (block.frameStamp != g_GameMap.frameStamp)
    {
        const int32_t frames = FrameCountOf(model);
        animTime = static_cast<float>(frames > 0 ? frames - 1 : 0);
    }
    PlaySound(FallSample, FallVariants, false);
}

void CResourceTree::SetAmount(int32_t value)
{
    if (amount == 0)
        return;
    const int32_t wanted = ClampAmount(value);
    if (wanted < StandingAmount && IsStanding())
    {
        amount = wanted + 1;
        TakeTreeUnit(true, RemovesEmptiedSites());
    }
    else
        amount = wanted;
    if (amount == 0 && RemovesEmptiedSites())
        RemoveSite();
}

void CResourceTree::OnHit(TENUMDAMAGETYPE damageType)
{
    if (GetHitPoints() <= 0)
        PlaySound(DeathSample, 1, false);
    else if (damageType == 2 || damageType == 3)
        PlaySound(ChopSample, ChopVariants, false);
    else if (damageType == 4 || damageType == 9)
        PlaySound(CrashSample, 1, false);
}

bool CResourceTree::Animate(float elapsed)
{
    const bool felled = model == GetFelledModel() && IsVariant(treeCast);
    const int32_t frames = FrameCountOf(model);
    for (int32_t tick = 0; tick < static_cast<int32_t>(elapsed); ++tick)
    {
        if (!felled)
            animTime += SwayPerTick;
        else if (animTime < static_cast<float>(frames - 2))
            animTime += FallPerTick;
    }
    return true;
}

void CResourceTree::Render(float collapse)
{
    if (collapse != 0.0f)
        return;
    if (CModelRecord* record = GetTypeInfo())
        record->SetColourSlot(look);
    RenderAtCentre(static_cast<int32_t>(animTime));
}

const char* CResourceTree::GetPanelName() const
{
    static const char* const VariantNames[VariantCount] = {
        "RES_TREE_PINE", "RES_TREE_PINE", "RES_TREE_OAK",   "RES_TREE_OAK",
        "RES_TREE_PALM", "RES_TREE_DEAD", "RES_TREE_PLANE", "RES_TREE_SWAMP",
    };
    if (!IsVariant(treeCast))
        return "Ujuj, bajvan";
    const char* key = VariantNames[treeCast - 1];
    const char* text = g_Localizer.GetString(key, false);
    return text != nullptr ? text : key;
}

void CResourceTree::SaveGameExtra(CSaveStream& stream, const CObjectReferences& references) const
{
    CResource::SaveGameExtra(stream, references);
    CSaveWriter out(stream);
    out.I32(look);
    out.I32(treeCast);
}

bool CResourceTree::LoadGameExtra(CSaveStream& stream, const CObjectReferences& references)
{
    const int32_t oldAmount = amount;
    const float oldFacing = facing;
    if (!CResource::LoadGameExtra(stream, references))
        return false;
    CSaveReader in(stream, TreeRefusalPrefix);
    const int32_t loadedLook = in.I32();
    const int32_t loadedVariant = in.I32();
    bool sound = in.Finish();
    if (sound && !CSaveReader::InRange(loadedLook, 0, LookCount - 1))
        sound = in.Refuse("a look number outside 0 .. 3");
    else if (sound && loadedVariant != treeCast)
        sound = in.Refuse("a variant other than the one the tree was made as");
    if (!sound)
    {
        amount = oldAmount;
        facing = oldFacing;
        return false;
    }
    look = loadedLook;
    return true;
}
