#include "buildings/C_BuildingDecorationTorch.h"

#include "effects/C_Particles.h"
#include "media/C_SaveReader.h"
#include "media/C_SaveWriter.h"
#include "world/C_GameMap.h"

namespace
{
constexpr const char* TorchRefusalPrefix = "Torch refused: ";
// The big brazier burns a building fire in the middle of its 2 x 2 blocks.
constexpr int32_t BrazierKind = 33;
constexpr float BrazierFireSize = 40.0f;

struct SFlamePlace
{
    int32_t firstKind;
    int32_t lastKind;
    float offset;   // from the torch's corner block, along x and y
    float height;   // above the terrain there
};

const SFlamePlace FlamePlaces[] = {
    {32, 32, 0.5f, 74.0f}, {BrazierKind, BrazierKind, 1.0f, 25.0f}, {34, 34, 0.5f, 42.0f},
    {35, 35, 0.5f, 6.0f},  {36, 36, 0.5f, 12.0f},                   {76, 79, 0.5f, 84.0f},
};

const SFlamePlace* FlamePlaceOf(int32_t kind)
{
    for (const SFlamePlace& place : FlamePlaces)
        if (kind >= place.firstKind && kind <= place.lastKind)
            return &place;
    return nullptr;
}
}  // namespace

CDecorationTorch::CDecorationTorch(int32_t kind) : CDecoration(kind, DecorationClass::Torch) {}

CDecorationTorch::~CDecorationTorch()
{
    PutOutFlame();
}

void CDecorationTorch::PutOutFlame()
{
    if (flameEmitter != -1)
        g_Particles.FreeParticle(flameEmitter);
    flameEmitter = -1;
}

void CDecorationTorch::StartEffects()
{
    PutOutFlame();
    const SFlamePlace* place = FlamePlaceOf(decorationKind);
    if (place == nullptr)
        return;
    const float flameX = static_cast<float>(x) + place->offset;
    const float flameY = static_cast<float>(y) + place->offset;
    const float height = g_GameMap.GetHeight(flameX, flameY) + place->height;
    if (decorationKind == BrazierKind)
        flameEmitter = g_Particles.AddBuildingFire(!IsVisibleToLocalPlayer(), flameX, height, flameY, BrazierFireSize);
    else
        flameEmitter = g_Particles.AddKind35(flameX, height, flameY);
}

void CDecorationTorch::SaveGameExtra(CSaveStream& stream, const CObjectReferences& references) const
{
    (void)references;
    CSaveWriter out(stream);
    out.I32(decorationKind);
    out.I32(flameEmitter);
}

bool CDecorationTorch::LoadGameExtra(CSaveStream& stream, const CObjectReferences& references)
{
    (void)references;
    CSaveReader in(stream, TorchRefusalPrefix);
    const int32_t kind = in.I32();
    const int32_t flame = in.I32();
    if (!in.Finish())
        return false;
    // The factory made the torch from its saved kind.
    if (kind != decorationKind)
        return in.Refuse("a decoration kind that does not match the torch");
    if (flame < -1)
        return in.Refuse("a bad flame handle");
    flameEmitter = flame;
    return true;
}
