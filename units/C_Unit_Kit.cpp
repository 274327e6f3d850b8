// What every unit type shares beside its behaviour: its model record and
// its owner's colour, the sounds it plays where it stands, the broadcast of
// its animation, and the burst of body parts of a unit torn apart.

#include "core/GlobalFunc.h"
#include "effects/C_Particles.h"
#include "media/C_ModelRecord.h"
#include "net/C_MultiplayerGame.h"
#include "units/C_Unit.h"
#include "units/C_UnitActionBuffer.h"
#include "units/C_UnitAnimationTable.h"
#include "world/C_GameMap.h"
#include "world/C_Player.h"
#include "world/C_PlayerServices.h"

namespace
{
constexpr int32_t FullVolume = 100;
constexpr int32_t FriendVolume = 50;
constexpr float BodyPartLift = 40.0f;
constexpr int32_t FullCircle = 360;
constexpr int32_t TenthsPerBlock = 10;
}  // namespace

CModelRecord* CUnit::GetModelRecord() const
{
    return GetGlobalModel(model);
}

int32_t CUnit::GetPlayerColour() const
{
    const CPlayer* owner = PlayerAt(player);
    return owner != nullptr ? owner->colourScheme : 0;
}

void CUnit::PlaySoundAt(int32_t sample, int32_t variants, int32_t flag) const
{
    const CPlayer* local = PlayerAt(g_LocalPlayer);
    if (local == nullptr || variants <= 0)
        return;
    int32_t volume = 0;
    if (g_GameMap.IsOnMap(x, y) && local->IsCellSeen(x, y))
        volume = FullVolume;
    else if (local->IsFriendTo(player))
        volume = FriendVolume;
    if (volume == 0)
        return;
    const int32_t variant = variants > 1 ? GlobalFunc::Random(variants) : 0;
    GetPlayerServices().PlaySampleAt(x, y, sample + variant, flag, volume);
}

void CUnit::SendAnimationChange() const
{
    if (IsNetworkGame() && IsOwnedHere(player))
        g_MultiplayerGame.SendUnitAnimType(this, animType, targetUnit,
                                           targetKind == TARGET_RESOURCE ? targetObject : targetBuilding);
}

void CUnit::ThrowBodyParts(const SBodyPart* extra, int32_t extraCount, int32_t speedSpread, int32_t speedBase) const
{
    const bool hidden = !IsVisibleToLocalPlayer();
    const float height = g_GameMap.GetHeight(centreX, centreY) + BodyPartLift;
    const int32_t base = GlobalFunc::Random(FullCircle);
    auto throwPart = [&](const SBodyPart& part) {
        const float speed = static_cast<float>(GlobalFunc::Random(speedSpread) + speedBase);
        g_Particles.AddProjectile(hidden, centreX, height, centreY, base + part.offset, speed, part.kind);
    };
    for (const SBodyPart& part : CUnitAnimationTable::CommonParts)
        throwPart(part);
    for (int32_t i = 0; i < extraCount; ++i)
        throwPart(extra[i]);
}

int32_t CUnit::BlocksTo(int32_t blockX, int32_t blockY) const
{
    return GlobalFunc::Distance(static_cast<int32_t>(centreX), static_cast<int32_t>(centreY), blockX, blockY) /
           TenthsPerBlock;
}
