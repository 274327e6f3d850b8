#pragma once
// The ambient sound of the game view and the fog of the theme and weather.
// At each camera update it counts what the local player sees in a disc of
// 25 blocks around the camera target (trees, open land, shallow water, sea,
// buildings, fires, rain, snow), turns the counts into shares (percent,
// 0-100) and keeps the nature samples of the sample bank sounding at those
// volumes.  Sounds are asked for only while both AUDIOENABLED= and
// ENVIRONMENTEFFECTS= are on; the fog is set always.  Main thread only;
// times are SysClock milliseconds.

#include <cstdint>

#include "core/C_String.h"
#include "world/C_RangeTable.h"

// What the ambient sound asks of the sample bank (CVoiceBank's operations of
// the same names): the game's bank unless a test puts a recorder in.
class IAmbientSampleBank
{
public:
    virtual ~IAmbientSampleBank() = default;
    virtual int32_t Play(int32_t firstSlot, int32_t variantCount, int32_t loop, int32_t volumePercent,
                         float pan) = 0;
    virtual void Stop(int32_t slot) = 0;
    virtual void StopBank(int32_t firstSlot, int32_t count) = 0;
    virtual void SetBankVolume(int32_t firstSlot, int32_t count, int32_t percent) = 0;
};

class CEnvironmentFX
{
public:
    // One ambient sound: what was counted for it, when its next pulse is
    // due, the volume its slots are set to, and its running looping slot.
    struct SSound
    {
        int32_t count = 0;
        uint32_t nextStart = 0;   // 0: due at once
        int32_t volume = 0;
        int32_t loopingSlot = -1;
    };

    // A slot range of the bank: the first slot and the number of variants.
    struct SSlots
    {
        int32_t first;
        int32_t count;
    };

    // Map themes, as the map keeps them.
    static constexpr int32_t ThemeContinental = 0;
    static constexpr int32_t ThemeWinter = 1;
    static constexpr int32_t ThemeSwamp = 2;
    static constexpr int32_t ThemeCave = 3;

    // The sample slots of the ambient sounds.
    static constexpr SSlots BirdSlots{197, 7};
    static constexpr SSlots WaterSlots{204, 3};
    static constexpr SSlots WaterSlots2{207, 2};
    static constexpr SSlots SeaSlots{209, 3};
    static constexpr SSlots SeaSlots2{212, 2};
    static constexpr SSlots WindSlots{214, 3};
    static constexpr SSlots FireSlot{217, 1};
    static constexpr SSlots RainSlot{218, 1};
    static constexpr SSlots StormSlots{219, 3};
    static constexpr SSlots VillageSlots{222, 4};
    static constexpr SSlots SwampSlots{226, 8};
    static constexpr SSlots CaveSlots{234, 5};

    // The view list of 25 blocks around the camera; no fog change.
    CEnvironmentFX();
    ~CEnvironmentFX() = default;
    CEnvironmentFX(const CEnvironmentFX&) = delete;
    CEnvironmentFX& operator=(const CEnvironmentFX&) = delete;

    // A new map: the looping sounds stop, the view list is rebuilt, every
    // count, time and volume is cleared; with `setFog` the fog is switched
    // off.
    void InitEnvironment(bool setFog);
    // One camera update: count, share, sound and fog.
    void Update();
    // The theme steps: continental, winter, swamp and cave.
    void UpdateEnvironmentSounds();
    void UpdateEnvironmentSounds2();
    void UpdateEnvironmentSounds3();
    void UpdateEnvironmentSounds4();
    // The debug overlay's text, one line per counter.
    CString DebugDump() const;

    // Null puts the game's sample bank back.
    void SetSampleBank(IAmbientSampleBank* bank);

    CRangeTable viewList;
    int32_t sampleCount = 0;
    SSound trees;
    SSound shallowWater;
    SSound sea;
    SSound buildings;
    SSound fires;
    SSound corpses;   // shown in the debug text, never counted here
    SSound openLand;
    SSound rain;
    SSound snow;
    uint32_t stormNextStart = 0;
    int32_t stormVolume = 0;
    int32_t rainLevel = 0;
    int32_t snowLevel = 0;
    uint32_t now = 0;

private:
    struct SFog
    {
        bool enabled;
        uint32_t colour;
        float start;
        float end;
    };

    void CountView();
    void CountCell(int32_t x, int32_t y);
    int32_t Share(int32_t count, int32_t factor) const;
    int32_t ScaledShare(int32_t count, double factor) const;
    // The pulse rule: a request every period to period x 2 ms at the share,
    // the volume of `slots` (and `slots2` when given) following the share.
    void Pulse(uint32_t& nextStart, int32_t& volume, int32_t share, uint32_t period, const SSlots& request,
               const SSlots& slots, const SSlots* slots2 = nullptr);
    void Loop(SSound& sound, int32_t share, const SSlots& slot);
    bool IsDue(uint32_t nextStart) const;
    void UpdateWind();
    void SetFog(const SFog& fog);
    void StopLooping(SSound& sound);

    IAmbientSampleBank* Bank() const;
    bool SoundsOn() const;

    IAmbientSampleBank* m_Bank = nullptr;
};

extern CEnvironmentFX g_EnvironmentFX;
