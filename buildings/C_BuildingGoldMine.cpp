#include "buildings/C_BuildingGoldMine.h"

#include <cstdint>

#include "buildings/C_BuildingCastTable.h"
#include "buildings/C_BuildingDraw.h"
#include "core/C_Localizer.h"
#include "media/C_SaveReader.h"
#include "media/C_SaveWriter.h"
#include "world/C_GameMap.h"
#include "world/C_Player.h"
#include "world/C_PlayerServices.h"

namespace
{
// Debris pieces of the two kinds a projectile hit throws.
constexpr int32_t GoldMineHitDebris[2] = {3, 2};
constexpr uint32_t MarkerColour = 0xFFFF00;
constexpr uint32_t ClosedMessageColour = 0xFFFFFF;
constexpr float FramesPerTick = 0.3f;
constexpr const char* MineRefusalPrefix = "Gold mine refused: ";
}  // namespace

CBuildingGoldMine::CBuildingGoldMine() : CResource(ResourceKindGoldMine, Model, StartAmount) {}

void CBuildingGoldMine::GetHitDebris(int32_t* first, int32_t* second) const
{
    *first = GoldMineHitDebris[0];
    *second = GoldMineHitDebris[1];
}

int32_t CBuildingGoldMine::GetResourceKind() const
{
    return amount > 0 ? ResourceKindGoldMine : ResourceKindGold;
}

int32_t CBuildingGoldMine::TakeOne()
{
    if (amount <= 0)
        return 0;
    --amount;
    if (amount == 0)
        Close();
    return 1;
}

void CBuildingGoldMine::Close()
{
    model = ClosedModel;
    resourceKind = GetResourceKind();
    const int32_t centreX = x + GetWidth() / 2;
    const int32_t centreY = y + GetDepth() / 2;
    const bool seen = g_Players != nullptr && g_LocalPlayer >= 0 && g_LocalPlayer < MaxPlayers &&
                      g_Players[g_LocalPlayer].GetVisibility(centreX, centreY) != 0;
    if (seen)
    {
        const CPlayerServices& services = GetPlayerServices();
        services.AddMinimapMarker(centreX, centreY, MarkerColour);
        const char* text = g_Localizer.GetString("MSG_GOLDMINE_CLOSED", false);
        services.AddMessage(text != nullptr ? text : "MSG_GOLDMINE_CLOSED", ClosedMessageColour);
    }
    BroadcastModelFromHost();
}

void CBuildingGoldMine::SetAmount(int32_t value)
{
    if (amount <= 0)
        return;
    amount = ClampAmount(value) + 1;
    TakeOne();
}

void CBuildingGoldMine::OnHit(TENUMDAMAGETYPE damageType)
{
    if (damageType == 2 || damageType == 3)
        PlaySound(169, 4, false);
    else if (damageType == 4 || damageType == 9)
        PlaySound(173, 4, false);
    else if (damageType == 7 || damageType == 8)
        PlaySound(179, 1, false);
}

bool CBuildingGoldMine::Animate(float elapsed)
{
    for (int32_t tick = 0; tick < static_cast<int32_t>(elapsed); ++tick)
        animTime += FramesPerTick;
    return true;
}

void CBuildingGoldMine::Render(float collapse)
{
    (void)collapse;
    constexpr int32_t SnowModel = 232;
    constexpr int32_t WinterTheme = 1;
    const float height = g_GameMap.IsOnMap(x, y) ? g_GameMap.GetHeight(static_cast<float>(x), static_cast<float>(y)) : 0.0f;
    const auto frame = static_cast<int32_t>(animTime);
    float viewPoint[3];
    if (CBuildingDraw::DrawModel(model, frame, static_cast<float>(x), static_cast<float>(y), height, 0.0f, viewPoint))
        KeepScreenPlace(viewPoint);
    if (g_GameMap.theme == WinterTheme)
        CBuildingDraw::DrawModel(SnowModel, frame, static_cast<float>(x), static_cast<float>(y), height, 0.0f);
}

const char* CBuildingGoldMine::GetPanelName() const
{
    const char* text = g_Localizer.GetString("RES_GOLDMINE", false);
    return text != nullptr ? text : "RES_GOLDMINE";
}

float CBuildingGoldMine::GetHeightAt(float worldX, float worldY) const
{
    return GetHeightInModelBoxes(worldX, worldY, static_cast<float>(x), static_cast<float>(y), INT32_MAX);
}

void CBuildingGoldMine::SaveGameExtra(CSaveStream& stream, const CObjectReferences& references) const
{
    (void)references;
    CSaveWriter out(stream);
    out.I32(amount);
}

bool CBuildingGoldMine::LoadGameExtra(CSaveStream& stream, const CObjectReferences& references)
{
    (void)references;
    CSaveReader in(stream, MineRefusalPrefix);
    const int32_t loaded = in.I32();
    if (!in.Finish())
        return false;
    if (loaded < 0)
        return in.Refuse("a negative amount");
    // The factory made an open mine of either kind; an amount of 0 closes it
    // again (its model came back with the base state).
    amount = loaded;
    resourceKind = GetResourceKind();
    return true;
}
