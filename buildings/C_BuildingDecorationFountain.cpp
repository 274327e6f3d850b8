#include "buildings/C_BuildingDecorationFountain.h"

#include "effects/C_Particles.h"
#include "media/C_SaveReader.h"
#include "media/C_SaveWriter.h"
#include "world/C_GameMap.h"

namespace
{
constexpr const char* FountainRefusalPrefix = "Fountain refused: ";
// The water springs from the middle of the 2 x 2 basin, at the spout.
constexpr float WaterOffset = 1.0f;
constexpr float WaterHeight = 75.44f;
}  // namespace

CDecorationFountain::CDecorationFountain(int32_t kind) : CDecoration(kind, DecorationClass::Fountain) {}

CDecorationFountain::~CDecorationFountain()
{
    StopWater();
}

void CDecorationFountain::StopWater()
{
    if (waterEmitter != -1)
        g_Particles.FreeParticle(waterEmitter);
    waterEmitter = -1;
}

void CDecorationFountain::StartEffects()
{
    StopWater();
    const float waterX = static_cast<float>(x) + WaterOffset;
    const float waterY = static_cast<float>(y) + WaterOffset;
    waterEmitter = g_Particles.AddFountainWater(waterX, g_GameMap.GetHeight(waterX, waterY) + WaterHeight, waterY);
}

void CDecorationFountain::SaveGameExtra(CSaveStream& stream, const CObjectReferences& references) const
{
    (void)references;
    CSaveWriter out(stream);
    out.I32(waterEmitter);
}

bool CDecorationFountain::LoadGameExtra(CSaveStream& stream, const CObjectReferences& references)
{
    (void)references;
    CSaveReader in(stream, FountainRefusalPrefix);
    const int32_t water = in.I32();
    if (!in.Finish())
        return false;
    if (water < -1)
        return in.Refuse("a bad water handle");
    waterEmitter = water;
    return true;
}
