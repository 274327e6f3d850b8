// The ambient sound on a 64 x 64 continental map of open land seen whole, the camera on its middle, a recorder in
// place of the sample bank: what it counts in view, its shares and looping sounds, the fog of each theme and weather.

#include <tuple>

#include "media/C_EnvironmentFX.h"
#include "platform/SysClock.h"
#include "tests/media/GUIDevice.h"
#include "tests/support/PlayerTestObjects.h"
#include "world/C_GameMap.h"
#include "world/C_Player.h"

namespace
{
class RecordingSampleBank : public IAmbientSampleBank
{
public:
    struct Call
    {
        std::string what;  // "play", "loop", "stop", "stopbank", "volume"
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

    std::vector<Call> calls;
};

class EnvironmentFX : public MediaDevice
{
protected:
    void SetUp() override
    {
        MediaDevice::SetUp();
        g_Config.audioEnabled = g_Config.environmentEffects = 1;
        g_Config.soundVolume = 100;
        g_Config.fogOfWar = 0;
        g_Players = m_Players.get();
        g_LocalPlayer = 0;
        std::memset(m_Players[0].exploredMap, 255, sizeof(m_Players[0].exploredMap));
        SysClock::UseTestClock(7000000);
        g_GameMap.width = g_GameMap.height = 64;
        g_GameMap.theme = CEnvironmentFX::ThemeContinental;
        g_GameMap.cameraTargetX = g_GameMap.cameraTargetY = 32.0f;
        g_EnvironmentFX.SetSampleBank(&bank);
        g_EnvironmentFX.InitEnvironment(false);
    }

    void TearDown() override
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
        MediaDevice::TearDown();
    }

    // The object (or water level) on the blocks [x0, x1) x [y0, y1).
    static void Stand(CBuilding* building, int32_t x0, int32_t y0, int32_t x1, int32_t y1, uint16_t level = 0)
    {
        for (int32_t x = x0; x < x1; ++x)
            for (int32_t y = y0; y < y1; ++y)
            {
                g_GameMap.Block(x, y).building = building;
                g_GameMap.Block(x, y).waterLevel = level;
            }
    }
    static void Weather(int32_t type, uint8_t value)
    {
        g_GameMap.weatherType = type;
        std::memset(g_GameMap.weatherMap, value, sizeof(g_GameMap.weatherMap));
    }

    RecordingSampleBank bank;
    std::unique_ptr<CConfig> m_Saved = std::make_unique<CConfig>(g_Config);
    std::unique_ptr<CPlayer[]> m_Players = std::make_unique<CPlayer[]>(MaxPlayers);
};

using Call = RecordingSampleBank::Call;

int32_t Share(int32_t count, int32_t factor)
{
    return std::min(count * 100 / g_EnvironmentFX.sampleCount * factor, 100);
}

} // namespace

// A tree is not also a building, docks are water, a decoration nothing.
TEST_F(EnvironmentFX, EachCellCountsAsOneKindOnlyAndAFireLoopsFromOneRequest)
{
    Stand(nullptr, 20, 20, 30, 24, 3);
    Stand(nullptr, 40, 40, 45, 44, 8);
    TestBuilding docks(13, 0, 0), statue(18, 0, 1), rock(10, 3, 0), tree(10, 2, 0), house(1, 0, 0);
    tree.fireAmount = 5;
    house.fireAmount = 1;
    for (const auto& [object, x0, y0, x1, y1] : {std::tuple{&docks, 30, 30, 32, 32}, {&statue, 33, 30, 35, 32},
                                                 {&rock, 36, 30, 38, 32}, {&tree, 30, 34, 32, 36},
                                                 {&house, 34, 34, 37, 37}})
        Stand(object, x0, y0, x1, y1);
    Weather(WEATHER_RAIN, 30);
    g_EnvironmentFX.Update();
    g_EnvironmentFX.Update();
    const CEnvironmentFX& fx = g_EnvironmentFX;
    ASSERT_EQ(fx.sampleCount, fx.viewList.count);
    EXPECT_EQ(
        (std::vector{fx.trees.count, fx.shallowWater.count, fx.sea.count, fx.buildings.count, fx.fires.count}),
        (std::vector{4, 40 + 4, 20, 4 + 9, 4 * 5 + 9}));
    EXPECT_TRUE(fx.openLand.count == (fx.sampleCount - 40 - 20 - 4 * 4 - 9) && fx.shallowWater.volume == Share(44, 3));
    EXPECT_EQ(fx.openLand.volume,
              std::min(int32_t(double(fx.openLand.count * 100 / fx.sampleCount) * 1.3), 100));
    const int32_t fire = Share(29, 10);
    std::vector<Call> loops = bank.calls;
    std::erase_if(loops, [](const Call& call) { return call.slot != 217 && call.slot != 218; });
    EXPECT_EQ(loops, (std::vector<Call>{{"loop", 218, 1, 30}, {"volume", 218, 1, 30}, {"loop", 217, 1, fire},
                                        {"volume", 217, 1, fire}}));
    // A new map stops the fire loop with the rain: forgotten, it would sound on over the next map.
    bank.calls.clear();
    g_EnvironmentFX.InitEnvironment(true);
    EXPECT_EQ(bank.calls, (std::vector<Call>{{"stop", 218, 1, 0}, {"stop", 217, 1, 0}}));
}

TEST_F(EnvironmentFX, EachThemeAndWeatherSetsItsFog)
{
    using T = CEnvironmentFX;
    const struct { int32_t theme, weather; uint8_t value; uint32_t enabled, colour; float start, end; } cases[] = {
        {T::ThemeContinental, WEATHER_RAIN, 80, 1, 0x95CDDF, 3.0f, 60.0f},
        {T::ThemeContinental, WEATHER_RAIN, 30, 1, 0x95CDDF, 8.0f, 85.0f},
        {T::ThemeContinental, WEATHER_NONE, 0, 0, 0, 0, 0},
        {T::ThemeWinter, WEATHER_NONE, 0, 1, 0xFFFFFF, 5.0f, 43.0f},
        {T::ThemeWinter, WEATHER_SNOW, 0, 1, 0xFFFFFF, 3.0f, 35.0f},
        {T::ThemeWinter, WEATHER_SNOW, 100, 1, 0xFFFFFF, 1.0f, 25.0f},
        {T::ThemeSwamp, WEATHER_RAIN, 90, 1, 0x30DF40, 1.0f, 60.0f},
        {T::ThemeCave, WEATHER_NONE, 0, 1, 0x000000, 1.0f, 40.0f},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(::testing::Message() << c.theme << "/" << int(c.value));
        g_GameMap.theme = c.theme;
        Weather(c.weather, c.value);
        g_EnvironmentFX.Update();
        ASSERT_EQ(RenderState(Sys3DRenderState::FogEnable), c.enabled);
        if (c.enabled == 0)
            continue;
        EXPECT_EQ(std::tuple(RenderState(Sys3DRenderState::FogColour), RenderState(Sys3DRenderState::FogTableMode),
                             Sys3DBitsToFloat(RenderState(Sys3DRenderState::FogStart)),
                             Sys3DBitsToFloat(RenderState(Sys3DRenderState::FogEnd))),
                  std::tuple(c.colour, uint32_t(Sys3DFogMode::Linear), c.start, c.end));
    }
    // A view with nothing seen keeps the theme's fog; a new map clears it.
    std::memset(m_Players[0].exploredMap, 0, sizeof(m_Players[0].exploredMap));
    g_EnvironmentFX.Update();
    EXPECT_EQ(RenderState(Sys3DRenderState::FogEnable), 1u);
    // Without a view list nothing is divided by its empty count.
    g_EnvironmentFX.viewList.Free();
    g_EnvironmentFX.Update();
    EXPECT_EQ(g_EnvironmentFX.openLand.volume, 0);
    g_EnvironmentFX.InitEnvironment(true);
    EXPECT_EQ(RenderState(Sys3DRenderState::FogEnable), 0u);
}
