#pragma once
// A 64 x 64 continental map of open land, seen whole by the local player,
// the camera on its middle, both sound switches on, a test clock and a
// recorder in place of the sample bank.

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "core/C_Config.h"
#include "media/C_EnvironmentFX.h"
#include "platform/SysClock.h"
#include "world/C_GameMap.h"
#include "world/C_Player.h"

class RecordingSampleBank : public IAmbientSampleBank
{
public:
    struct Call
    {
        std::string what;   // "play", "loop", "stop", "stopbank", "volume"
        int32_t slot, count, volume;
        bool operator==(const Call&) const = default;
    };

    int32_t Play(int32_t first, int32_t count, int32_t loop, int32_t volume, float) override
    {
        calls.push_back({loop != 0 ? "loop" : "play", first, count, volume});
        return first;
    }
    void Stop(int32_t slot) override { calls.push_back({"stop", slot, 1, 0}); }
    void StopBank(int32_t first, int32_t count) override { calls.push_back({"stopbank", first, count, 0}); }
    void SetBankVolume(int32_t first, int32_t count, int32_t percent) override
    {
        calls.push_back({"volume", first, count, percent});
    }

    // The calls on the slots from `first` to `last`, taken out of the record.
    std::vector<Call> Take(int32_t first, int32_t last)
    {
        std::vector<Call> found, rest;
        for (const Call& call : calls)
            (call.slot >= first && call.slot <= last ? found : rest).push_back(call);
        calls = rest;
        return found;
    }

    std::vector<Call> calls;
};

class EnvironmentWorld
{
public:
    static constexpr uint32_t StartTicks = 7000000;

    EnvironmentWorld()
        : m_Saved(std::make_unique<CConfig>(g_Config)), m_Players(std::make_unique<CPlayer[]>(MaxPlayers))
    {
        g_Config.audioEnabled = g_Config.environmentEffects = 1;
        g_Config.soundVolume = 100;
        g_Config.fogOfWar = 0;
        g_Players = m_Players.get();
        g_LocalPlayer = 0;
        std::memset(m_Players[0].exploredMap, 255, sizeof(m_Players[0].exploredMap));
        SysClock::UseTestClock(StartTicks);
        g_GameMap.width = g_GameMap.height = 64;
        g_GameMap.theme = CEnvironmentFX::ThemeContinental;
        g_GameMap.cameraTargetX = g_GameMap.cameraTargetY = 32.0f;
        g_EnvironmentFX.SetSampleBank(&bank);
        g_EnvironmentFX.InitEnvironment(false);
    }

    ~EnvironmentWorld()
    {
        g_EnvironmentFX.InitEnvironment(false);
        g_EnvironmentFX.SetSampleBank(nullptr);
        for (SMapBlock& block : g_GameMap.AllBlocks())
        {
            block.building = nullptr;
            block.waterLevel = 0;
        }
        Weather(WEATHER_NONE, 0);
        g_GameMap.width = g_GameMap.height = 0;
        g_GameMap.theme = NoTheme;
        g_Players = nullptr;
        SysClock::UseSystemClock();
        g_Config = *m_Saved;
    }

    // The object (or water level) on the blocks [x0, x1) x [y0, y1).
    static void Stand(CBuilding* building, int32_t x0, int32_t y0, int32_t x1, int32_t y1)
    {
        for (int32_t x = x0; x < x1; ++x)
            for (int32_t y = y0; y < y1; ++y)
                g_GameMap.Block(x, y).building = building;
    }
    static void Flood(int32_t x0, int32_t y0, int32_t x1, int32_t y1, uint16_t level)
    {
        for (int32_t x = x0; x < x1; ++x)
            for (int32_t y = y0; y < y1; ++y)
                g_GameMap.Block(x, y).waterLevel = level;
    }
    static void Weather(int32_t type, uint8_t value)
    {
        g_GameMap.weatherType = type;
        std::memset(g_GameMap.weatherMap, value, sizeof(g_GameMap.weatherMap));
    }

    CPlayer& Local() { return m_Players[0]; }

    RecordingSampleBank bank;

private:
    std::unique_ptr<CConfig> m_Saved;
    std::unique_ptr<CPlayer[]> m_Players;
};
