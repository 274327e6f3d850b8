#include "media/C_EnvironmentFX.h"

#include <algorithm>
#include <cstdio>

#include "buildings/C_Building.h"
#include "core/C_Config.h"
#include "core/GlobalFunc.h"
#include "media/C_VoiceBank.h"
#include "media/D3DDevice.h"
#include "platform/SysClock.h"
#include "platform/SysDevice3D.h"
#include "world/C_GameMap.h"
#include "world/C_Player.h"

namespace
{
// The disc sampled around the camera target, in blocks.
constexpr int32_t ViewRadius = 25;
constexpr int32_t FullShare = 100;

// Building casts and the resource kind the counting tells apart.
constexpr int32_t CastResourceSite = 10;
constexpr int32_t CastDocks = 13;
constexpr int32_t CastDecoration = 18;
constexpr int32_t ResourceTree = 2;
// Water levels: up to 7 shallow water, from 8 on sea.
constexpr int32_t SeaWaterLevel = 8;

// Share multipliers of the counts.
constexpr int32_t ShallowWaterFactor = 3;
constexpr int32_t SeaFactor = 4;
constexpr int32_t VillageFactor = 15;
constexpr int32_t FireFactor = 10;
constexpr int32_t TreeFactor = 10;
constexpr double WindFactor = 1.3;
constexpr double CaveFactor = 3.3;

// Pulse periods in milliseconds.
constexpr uint32_t WaterPeriod = 1000;
constexpr uint32_t StormPeriod = 5000;
constexpr uint32_t VillagePeriod = 1000;
constexpr uint32_t BirdPeriod = 1000;
constexpr uint32_t WindPeriod = 2000;
constexpr uint32_t SwampPeriod = 1500;
constexpr uint32_t CavePeriod = 2000;

// Rain above this level silences the village, the birds and the swamp; from
// the storm level on it thunders.
constexpr int32_t QuietRainLevel = 49;
constexpr int32_t StormRainLevel = 80;
// Snow in winter: at least the light level, at least the heavy one while it
// snows.
constexpr int32_t WinterSnowLevel = 10;
constexpr int32_t SnowingLevel = 50;

constexpr uint32_t RainFogColour = 0x95CDDF;
constexpr uint32_t SnowFogColour = 0xFFFFFF;
constexpr uint32_t SwampFogColour = 0x30DF40;
constexpr uint32_t CaveFogColour = 0x000000;

const char* const FogLabel = "CEnvironmentFX::UpdateEnvironmentSounds()";

// The game's sample bank behind the ambient sound's requests.
class CGameSampleBank : public IAmbientSampleBank
{
public:
    int32_t Play(int32_t firstSlot, int32_t variantCount, int32_t loop, int32_t volumePercent, float pan) override
    {
        return g_VoiceBank.Play(firstSlot, variantCount, loop, volumePercent, pan);
    }
    void Stop(int32_t slot) override { g_VoiceBank.Stop(slot); }
    void StopBank(int32_t firstSlot, int32_t count) override { g_VoiceBank.StopBank(firstSlot, count); }
    void SetBankVolume(int32_t firstSlot, int32_t count, int32_t percent) override
    {
        g_VoiceBank.SetBankVolume(firstSlot, count, percent);
    }
};

CGameSampleBank s_GameSampleBank;

void SetRenderState(SysDevice3D& device, Sys3DRenderState state, uint32_t value, const char* label)
{
    GlobalFunc::FatalD3DError(label, device.SetRenderState(state, value), true);
}
} // namespace

CEnvironmentFX::CEnvironmentFX()
{
    InitEnvironment(false);
}

void CEnvironmentFX::SetSampleBank(IAmbientSampleBank* bank)
{
    m_Bank = bank;
}

IAmbientSampleBank* CEnvironmentFX::Bank() const
{
    return m_Bank != nullptr ? m_Bank : &s_GameSampleBank;
}

bool CEnvironmentFX::SoundsOn() const
{
    return g_Config.audioEnabled != 0 && g_Config.environmentEffects != 0;
}

// The fire loop is stopped as well as the rain: forgotten here, it would
// loop on over the next map with nothing left to stop it.
void CEnvironmentFX::InitEnvironment(bool setFog)
{
    StopLooping(rain);
    StopLooping(fires);
    viewList.InitRing(0, ViewRadius, 0);
    sampleCount = 0;
    for (SSound* sound : {&trees, &shallowWater, &sea, &buildings, &fires, &corpses, &openLand, &rain, &snow})
        *sound = SSound{};
    stormNextStart = 0;
    stormVolume = 0;
    rainLevel = 0;
    snowLevel = 0;
    now = 0;
    if (!setFog)
        return;
    if (SysDevice3D* device = GetD3DDevice())
        SetRenderState(*device, Sys3DRenderState::FogEnable, 0, "CEnvironmentFX::InitEnvironment()");
}

void CEnvironmentFX::StopLooping(SSound& sound)
{
    if (sound.loopingSlot >= 0 && SoundsOn())
        Bank()->Stop(sound.loopingSlot);
    sound.loopingSlot = -1;
}

// ---- Counting --------------------------------------------------------------------

void CEnvironmentFX::CountView()
{
    for (SSound* sound : {&trees, &shallowWater, &sea, &buildings, &fires, &openLand, &rain, &snow})
        sound->count = 0;
    sampleCount = viewList.count;
    const CPlayer* local = PlayerAt(g_LocalPlayer);
    if (local == nullptr)
        return;
    const int32_t centreX = int32_t(g_GameMap.cameraTargetX);
    const int32_t centreY = int32_t(g_GameMap.cameraTargetY);
    for (int32_t i = 0; i < viewList.count; ++i)
    {
        const int32_t x = centreX + viewList.entries[i].dx;
        const int32_t y = centreY + viewList.entries[i].dy;
        if (g_GameMap.IsOnMap(x, y) && local->GetVisibility(x, y) != 0)
            CountCell(x, y);
    }
}

// The kinds of a cell exclude each other: a tree is no building, docks are
// water, and a decoration counts as nothing.
void CEnvironmentFX::CountCell(int32_t x, int32_t y)
{
    const SMapBlock& block = std::as_const(g_GameMap).Block(x, y);
    if (const CBuilding* building = block.building)
    {
        const int32_t cast = building->GetBuildCast();
        if (cast != CastDecoration)
        {
            if (cast == CastResourceSite && building->GetResourceKind() == ResourceTree)
                ++trees.count;
            else if (cast == CastDocks)
                ++shallowWater.count;
            else
                ++buildings.count;
            fires.count += building->fireAmount;
        }
    }
    else if (block.waterLevel == 0)
        ++openLand.count;
    else if (block.waterLevel < SeaWaterLevel)
        ++shallowWater.count;
    else
        ++sea.count;

    const int32_t weather = g_GameMap.weatherMap[x * MapBlockSide + y];
    if (g_GameMap.weatherType == WEATHER_RAIN)
        rain.count += weather;
    else if (g_GameMap.weatherType == WEATHER_SNOW)
        snow.count += weather;
}

// count x 100 / samples x factor in whole numbers, at most 100; 0 without
// samples.
int32_t CEnvironmentFX::Share(int32_t count, int32_t factor) const
{
    if (sampleCount <= 0)
        return 0;
    return std::min(count * FullShare / sampleCount * factor, FullShare);
}

int32_t CEnvironmentFX::ScaledShare(int32_t count, double factor) const
{
    if (sampleCount <= 0)
        return 0;
    return std::min(int32_t(double(count * FullShare / sampleCount) * factor), FullShare);
}

// ---- Sounds -----------------------------------------------------------------------

bool CEnvironmentFX::IsDue(uint32_t nextStart) const
{
    return nextStart == 0 || int32_t(now - nextStart) >= 0;
}

void CEnvironmentFX::Pulse(uint32_t& nextStart, int32_t& volume, int32_t share, uint32_t period,
                           const SSlots& request, const SSlots& slots, const SSlots* slots2)
{
    const bool soundsOn = SoundsOn();
    if (share == 0)
    {
        if (soundsOn)
        {
            Bank()->StopBank(slots.first, slots.count);
            if (slots2 != nullptr)
                Bank()->StopBank(slots2->first, slots2->count);
        }
        nextStart = 0;
        volume = 0;
        return;
    }
    if (IsDue(nextStart))
    {
        nextStart = now + period + uint32_t(GlobalFunc::Random(int(period)));
        if (soundsOn)
            Bank()->Play(request.first, request.count, 0, share, 0.0f);
    }
    if (share != volume)
    {
        if (soundsOn)
        {
            Bank()->SetBankVolume(slots.first, slots.count, share);
            if (slots2 != nullptr)
                Bank()->SetBankVolume(slots2->first, slots2->count, share);
        }
        volume = share;
    }
}

void CEnvironmentFX::Loop(SSound& sound, int32_t share, const SSlots& slot)
{
    if (share == 0)
    {
        StopLooping(sound);
        sound.volume = 0;
        return;
    }
    const bool soundsOn = SoundsOn();
    if (sound.loopingSlot < 0 && soundsOn)
        sound.loopingSlot = Bank()->Play(slot.first, slot.count, 1, share, 0.0f);
    if (share != sound.volume)
    {
        if (soundsOn)
            Bank()->SetBankVolume(slot.first, slot.count, share);
        sound.volume = share;
    }
}

void CEnvironmentFX::Update()
{
    CountView();
    now = SysClock::TickCount();
    const int32_t waterShare = Share(shallowWater.count, ShallowWaterFactor);
    const int32_t seaShare = Share(sea.count, SeaFactor);
    rainLevel = sampleCount > 0 ? std::min(rain.count / sampleCount, FullShare) : 0;
    const int32_t villageShare = Share(buildings.count, VillageFactor);
    const int32_t fireShare = Share(fires.count, FireFactor);

    const int32_t theme = g_GameMap.theme;
    // Winter and swamp keep to the first water and sea samples; elsewhere
    // either set at random.
    const bool firstWaters = theme == ThemeWinter || theme == ThemeSwamp || GlobalFunc::Random(2) == 0;
    Pulse(shallowWater.nextStart, shallowWater.volume, waterShare, WaterPeriod,
          firstWaters ? WaterSlots : WaterSlots2, WaterSlots, &WaterSlots2);
    Pulse(sea.nextStart, sea.volume, seaShare, WaterPeriod, firstWaters ? SeaSlots : SeaSlots2, SeaSlots,
          &SeaSlots2);
    Loop(rain, rainLevel, RainSlot);
    const int32_t stormShare = rainLevel >= StormRainLevel ? rainLevel : 0;
    Pulse(stormNextStart, stormVolume, stormShare, StormPeriod, StormSlots, StormSlots);
    Pulse(buildings.nextStart, buildings.volume, rainLevel > QuietRainLevel ? 0 : villageShare, VillagePeriod,
          VillageSlots, VillageSlots);
    Loop(fires, fireShare, FireSlot);

    switch (theme)
    {
    case ThemeContinental:
        UpdateEnvironmentSounds();
        break;
    case ThemeWinter:
        UpdateEnvironmentSounds2();
        break;
    case ThemeSwamp:
        UpdateEnvironmentSounds3();
        break;
    case ThemeCave:
        UpdateEnvironmentSounds4();
        break;
    default:
        break;
    }
}

void CEnvironmentFX::UpdateWind()
{
    Pulse(openLand.nextStart, openLand.volume, ScaledShare(openLand.count, WindFactor), WindPeriod, WindSlots,
          WindSlots);
}

void CEnvironmentFX::UpdateEnvironmentSounds()
{
    const int32_t birds = rainLevel > QuietRainLevel ? 0 : Share(trees.count, TreeFactor);
    Pulse(trees.nextStart, trees.volume, birds, BirdPeriod, BirdSlots, BirdSlots);
    UpdateWind();
    if (rainLevel > 0)
        SetFog({true, RainFogColour, float((FullShare - rainLevel) / 10) + 1.0f, 100.0f - float(rainLevel / 2)});
    else
        SetFog({false, 0, 0.0f, 0.0f});
}

void CEnvironmentFX::UpdateEnvironmentSounds2()
{
    snowLevel = sampleCount > 0 ? snow.count / sampleCount : 0;
    snowLevel = std::max(snowLevel, WinterSnowLevel);
    if (g_GameMap.weatherType == WEATHER_SNOW)
        snowLevel = std::max(snowLevel, SnowingLevel);
    snowLevel = std::min(snowLevel, FullShare);
    UpdateWind();
    SetFog({true, SnowFogColour, float((FullShare - snowLevel) / 20) + 1.0f, 45.0f - float(snowLevel / 5)});
}

void CEnvironmentFX::UpdateEnvironmentSounds3()
{
    const int32_t swamp = rainLevel > QuietRainLevel ? 0 : Share(trees.count, TreeFactor);
    Pulse(trees.nextStart, trees.volume, swamp, SwampPeriod, SwampSlots, SwampSlots);
    UpdateWind();
    SetFog({true, SwampFogColour, 1.0f, 60.0f});
}

void CEnvironmentFX::UpdateEnvironmentSounds4()
{
    Pulse(openLand.nextStart, openLand.volume, ScaledShare(openLand.count, CaveFactor), CavePeriod, CaveSlots,
          CaveSlots);
    SetFog({true, CaveFogColour, 1.0f, 40.0f});
}

void CEnvironmentFX::SetFog(const SFog& fog)
{
    SysDevice3D* device = GetD3DDevice();
    if (device == nullptr)
        return;
    if (!fog.enabled)
    {
        SetRenderState(*device, Sys3DRenderState::FogEnable, 0, FogLabel);
        return;
    }
    SetRenderState(*device, Sys3DRenderState::FogEnable, 1, FogLabel);
    SetRenderState(*device, Sys3DRenderState::FogColour, fog.colour, FogLabel);
    SetRenderState(*device, Sys3DRenderState::FogStart, Sys3DFloatBits(fog.start), FogLabel);
    SetRenderState(*device, Sys3DRenderState::FogEnd, Sys3DFloatBits(fog.end), FogLabel);
    SetRenderState(*device, Sys3DRenderState::FogTableMode, Sys3DFogMode::Linear, FogLabel);
}

// ---- Debug text ---------------------------------------------------------------------

CString CEnvironmentFX::DebugDump() const
{
    char text[1024];
    std::snprintf(text, sizeof(text),
                  "---===( Environment )===---\n"
                  "# blocks: %d\n"
                  "# tree: %d, vol: %d%%\n"
                  "# free: %d, vol: %d%%\n"
                  "# water: %d, vol: %d%%\n"
                  "# ocean: %d, vol: %d%%\n"
                  "# building: %d, vol: %d%%\n"
                  "# fires: %d, vol: %d%%  id=%d\n"
                  "# rain: %d, vol: %d%%  id=%d\n"
                  "# storm: %d, vol: %d%%  nexttime=%u\n"
                  "# corpse: %d, vol: %d%%\n",
                  sampleCount, trees.count, trees.volume, openLand.count, openLand.volume, shallowWater.count,
                  shallowWater.volume, sea.count, sea.volume, buildings.count, buildings.volume, fires.count,
                  fires.volume, fires.loopingSlot, rain.count, rain.volume, rain.loopingSlot, rainLevel, stormVolume,
                  stormNextStart, corpses.count, corpses.volume);
    return CString(text);
}
