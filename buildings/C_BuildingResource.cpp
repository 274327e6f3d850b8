#include "buildings/C_BuildingResource.h"

#include <cmath>
#include <string>

#include "buildings/C_BuildingCastTable.h"
#include "buildings/C_BuildingDraw.h"
#include "core/C_Config.h"
#include "core/C_Localizer.h"
#include "core/GlobalFunc.h"
#include "media/C_2DFont.h"
#include "media/C_ModelRecord.h"
#include "media/C_SaveReader.h"
#include "media/C_SaveWriter.h"
#include "net/C_MultiplayerGame.h"
#include "world/C_GameMap.h"

namespace
{
// Debris pieces of the two kinds a projectile hit throws.
constexpr int32_t RockHitDebris[2] = {3, 0};
constexpr int32_t RockFacings = 8;
constexpr int32_t RockFacingStep = 45;
constexpr int32_t HostRole = 1;

// The rock's shapes and the amounts that bring them.
struct SRockShape
{
    int32_t amount;
    int32_t model;
};
constexpr SRockShape RockShapes[] = {{600, 227}, {400, 228}, {200, 229}};

constexpr const char* SiteRefusalPrefix = "Resource site refused: ";

// The interface images of a site's panel: its portrait and the goods it
// gives, which stands beside the amount.
struct SSitePictures
{
    int32_t kind;   // TENUMRESOURCE
    int32_t portrait;
    int32_t goods;
};
constexpr SSitePictures SitePictures[] = {
    {ResourceKindGoldMine, 66, 69},
    {ResourceKindGold, 66, 69},
    {ResourceKindTree, 67, 70},
    {ResourceKindRock, 68, 71},
};
}  // namespace

CResource::CResource() : CResource(ResourceKindRock, RockModel, RockAmount)
{
    facing = static_cast<float>(GlobalFunc::Random(RockFacings) * RockFacingStep);
}

CResource::CResource(int32_t kind, int32_t modelNumber, int32_t startAmount)
    : CBuilding(-1, -1, -1), resourceKind(kind), amount(startAmount), facing(0.0f)
{
    model = modelNumber;
}

int32_t CResource::GetBuildCast() const
{
    return CastResource;
}

void CResource::GetHitDebris(int32_t* first, int32_t* second) const
{
    *first = RockHitDebris[0];
    *second = RockHitDebris[1];
}

bool CResource::RemovesEmptiedSites()
{
    return !IsNetworkGame() || g_Config.networkRole == HostRole;
}

int32_t CResource::ClampAmount(int32_t value)
{
    if (value < 0)
        return 0;
    return value > MostAmount ? MostAmount : value;
}

void CResource::BroadcastModelFromHost() const
{
    if (IsNetworkGame() && g_Config.networkRole == HostRole)
        g_MultiplayerGame.SendBuildingRecord(this, model);
}

void CResource::RemoveSite()
{
    Destroy(true);
}

int32_t CResource::TakeOne()
{
    return TakeRockUnit(true);
}

int32_t CResource::TakeRockUnit(bool mayRemove)
{
    if (amount <= 0)
        return 0;
    --amount;
    const int32_t oldModel = model;
    for (const SRockShape& shape : RockShapes)
        if (amount == shape.amount)
            model = shape.model;
    if (model != oldModel)
        BroadcastModelFromHost();
    if (amount == 0 && mayRemove)
        RemoveSite();
    return 1;
}

void CResource::SetAmount(int32_t value)
{
    if (amount == 0)
        return;
    amount = ClampAmount(value) + 1;
    TakeRockUnit(RemovesEmptiedSites());
}

void CResource::Render(float collapse)
{
    if (collapse == 0.0f)
        RenderAtCentre(0);
}

void CResource::RenderAtCentre(int32_t frame)
{
    constexpr float BlockCentre = 0.5f;
    const float centreX = static_cast<float>(x) + BlockCentre;
    const float centreY = static_cast<float>(y) + BlockCentre;
    const float height = g_GameMap.IsOnMap(x, y) ? g_GameMap.GetHeight(centreX, centreY) : 0.0f;
    float viewPoint[3];
    if (CBuildingDraw::DrawModel(model, frame, centreX, centreY, height, facing, viewPoint))
        KeepScreenPlace(viewPoint);
}

// Right after the draw, while the model's points are this site's: the
// next site of the same model moves them.
void CResource::KeepScreenPlace(const float viewPoint[3])
{
    constexpr int32_t PickedPart = 0;
    const CModelRecord* record = GetTypeInfo();
    if (record == nullptr)
        return;
    int32_t topLeft[2];
    int32_t bottomRight[2];
    record->object.GetGroupScreenRect(viewPoint[0], viewPoint[1], viewPoint[2], PickedPart, topLeft, bottomRight);
    screenRect[0] = topLeft[0];
    screenRect[1] = topLeft[1];
    screenRect[2] = bottomRight[0];
    screenRect[3] = bottomRight[1];
    screenDepth = viewPoint[2];
}

const char* CResource::GetPanelName() const
{
    const char* text = g_Localizer.GetString("RES_ROCK", false);
    return text != nullptr ? text : "RES_ROCK";
}

void CResource::RenderDetailsOnPanel()
{
    constexpr int32_t NameFont = 0;
    constexpr int32_t AmountFont = 2;
    constexpr int32_t NameCentreX = 115;
    constexpr int32_t NameY = 250;
    constexpr int32_t RisenNameY = 240;
    constexpr int32_t LongNameWidth = 148;
    constexpr int32_t AmountX = 50;
    constexpr int32_t AmountY = 305;
    constexpr uint32_t White = 0xFFFFFF;
    constexpr int32_t PortraitX = 5;
    constexpr int32_t PortraitY = 240;
    constexpr int32_t GoodsX = 10;
    constexpr int32_t GoodsY = 300;
    for (const SSitePictures& pictures : SitePictures)
        if (pictures.kind == resourceKind)
        {
            RenderPanelImage(pictures.portrait, PortraitX, PortraitY);
            // Under the mouse the portrait is drawn over itself, brighter.
            if (IsPanelMouseIn(PortraitX, PortraitY))
                RenderPanelImage(pictures.portrait, PortraitX, PortraitY);
            RenderPanelImage(pictures.goods, GoodsX, GoodsY);
        }
    const char* name = GetPanelName();
    if (C2DFont* font = GetGlobalFont(NameFont))
    {
        const bool rise = PanelNameMayRise() && font->GetTextWidth(name) >= LongNameWidth;
        font->PrintShadow(NameCentreX, rise ? RisenNameY : NameY, name, White, C2DFont::AlignCentre);
    }
    if (C2DFont* font = GetGlobalFont(AmountFont))
        font->Print(AmountX, AmountY, std::to_string(amount).c_str(), White, C2DFont::AlignLeft);
}

float CResource::GetHeightAt(float screenX, float screenY) const
{
    constexpr float NotHit = -1.0f;
    const int32_t* own = screenRect;
    const bool inside = screenX >= static_cast<float>(own[0]) && screenX <= static_cast<float>(own[2]) &&
                        screenY >= static_cast<float>(own[1]) && screenY <= static_cast<float>(own[3]);
    return inside ? screenDepth : NotHit;
}

bool CResource::IsInScreenRect(int32_t left, int32_t top, int32_t right, int32_t bottom) const
{
    const auto inside = [](int32_t px, int32_t py, int32_t l, int32_t t, int32_t r, int32_t b) {
        return px >= l && px <= r && py >= t && py <= b;
    };
    const int32_t* own = screenRect;
    // Not drawn yet: nothing to hit.
    if (own[2] < own[0] || own[3] < own[1])
        return false;
    return inside(left, top, own[0], own[1], own[2], own[3]) ||
           inside(right, bottom, own[0], own[1], own[2], own[3]) ||
           inside(own[0], own[1], left, top, right, bottom) || inside(own[2], own[3], left, top, right, bottom);
}

void CResource::SaveGameExtra(CSaveStream& stream, const CObjectReferences& references) const
{
    (void)references;
    CSaveWriter out(stream);
    out.I32(amount);
    out.F32(facing);
}

bool CResource::LoadGameExtra(CSaveStream& stream, const CObjectReferences& references)
{
    (void)references;
    CSaveReader in(stream, SiteRefusalPrefix);
    const int32_t loadedAmount = in.I32();
    const float loadedFacing = in.F32();
    if (in.Failed())
        return in.Finish();
    if (loadedAmount < 0)
        return in.Refuse("a negative amount");
    if (!std::isfinite(loadedFacing))
        return in.Refuse("a facing that is no number");
    if (!in.Finish())
        return false;
    amount = loadedAmount;
    facing = loadedFacing;
    return true;
}
