#include "buildings/C_BuildingTrap.h"

#include "core/GlobalFunc.h"
#include "effects/C_Particles.h"
#include "world/C_GameMap.h"
#include "world/C_Player.h"

namespace
{
constexpr int32_t SpringSample = 28;
constexpr int32_t SpringSampleVariants = 2;
constexpr int32_t SmashSample = 25;
constexpr int32_t SmashSampleVariants = 3;
constexpr int32_t SmashDebrisCount = 30;
constexpr int32_t SmashDebrisKind = 25;
constexpr int32_t SmashSpread = 40;          // random range of the offsets, in 0.04 blocks
constexpr float SmashSpreadStep = 0.04f;
constexpr int32_t SmashHeightRange = 10;
constexpr float SmashBaseHeight = 5.0f;
constexpr int32_t CrushingDamageType = 4;
constexpr float NoHeight = -1.0f;
}  // namespace

CBuildingTrap::CBuildingTrap(int32_t ownerIndex) : CBuildingOfCast(CastTrap, ownerIndex)
{}

void CBuildingTrap::OnFinished()
{
    CBuildingOfCast::OnFinished();
    SetBlockBlocked(0);
}

void CBuildingTrap::SetBlockBlocked(uint8_t blocked)
{
    if (!g_GameMap.IsOnMap(x, y))
        return;
    SMapBlock& block = g_GameMap.Block(x, y);
    // The block may have gone to another building since.
    if (block.building == this)
        block.blocked = blocked;
}

bool CBuildingTrap::IsTrapVisible() const
{
    return owner == g_LocalPlayer || revealTraps || IsSprung();
}

float CBuildingTrap::GetHeightAt(float worldX, float worldY) const
{
    if (!IsTrapVisible())
        return NoHeight;
    return CBuildingOfCast::GetHeightAt(worldX, worldY);
}

void CBuildingTrap::Spring()
{
    animTime = 0.0f;
    model = SprungModel;
    PlaySound(SpringSample, SpringSampleVariants, false);
    SetBlockBlocked(1);
}

void CBuildingTrap::SmashEffect()
{
    PlaySound(SmashSample, SmashSampleVariants, false);
    const bool hidden = !IsVisibleToLocalPlayer();
    const auto offset = [] {
        return static_cast<float>(GlobalFunc::Random(SmashSpread) - SmashSpread / 2) * SmashSpreadStep;
    };
    for (int32_t i = 0; i < SmashDebrisCount; ++i)
    {
        const float pieceX = static_cast<float>(x) + offset();
        const float pieceY = static_cast<float>(y) + offset();
        const float height = g_GameMap.GetHeight(pieceX, pieceY) +
                             static_cast<float>(GlobalFunc::Random(SmashHeightRange)) + SmashBaseHeight;
        g_Particles.AddSmash(hidden, pieceX, pieceY, height, SmashDebrisKind);
    }
}

bool CBuildingTrap::Animate(float elapsed)
{
    if (IsTakenDown())
        return false;
    if (!IsSprung())
        return true;
    animTime += elapsed * FramesPerTick;
    if (animTime < static_cast<float>(SprungFrameCount))
        return true;
    animTime = static_cast<float>(SprungFrameCount - 1);
    Destroy(false);
    return false;
}

void CBuildingTrap::OnHit(int32_t damageType)
{
    if (damageType == CrushingDamageType)
        PlaySound(SmashSample, SmashSampleVariants, false);
}

void CBuildingTrap::GetTargetPosition(float* position) const
{
    position[0] = static_cast<float>(x) + 0.5f;
    position[1] = 0.0f;
    position[2] = static_cast<float>(y) + 0.5f;
}
