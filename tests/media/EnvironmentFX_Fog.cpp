// The fog of each theme and weather, read back from the drawing device.

#include <gtest/gtest.h>

#include "EnvironmentWorld.h"
#include "MediaDevice.h"

class EnvironmentFXFog : public MediaDevice
{
protected:
    EnvironmentWorld world;
};

TEST_F(EnvironmentFXFog, EachThemeAndWeatherSetsItsFog)
{
    using T = CEnvironmentFX;
    struct Case
    {
        int32_t theme, weather;
        uint8_t value;
        uint32_t enabled, colour;
        float start, end;
    };
    const Case cases[] = {
        {T::ThemeContinental, WEATHER_RAIN, 80, 1, 0x95CDDF, 3.0f, 60.0f},
        {T::ThemeContinental, WEATHER_RAIN, 30, 1, 0x95CDDF, 8.0f, 85.0f},
        {T::ThemeContinental, WEATHER_NONE, 0, 0, 0, 0, 0},
        {T::ThemeWinter, WEATHER_NONE, 0, 1, 0xFFFFFF, 5.0f, 43.0f},
        {T::ThemeWinter, WEATHER_SNOW, 0, 1, 0xFFFFFF, 3.0f, 35.0f},
        {T::ThemeWinter, WEATHER_SNOW, 100, 1, 0xFFFFFF, 1.0f, 25.0f},
        {T::ThemeSwamp, WEATHER_RAIN, 90, 1, 0x30DF40, 1.0f, 60.0f},
        {T::ThemeCave, WEATHER_NONE, 0, 1, 0x000000, 1.0f, 40.0f},
    };
    for (const Case& c : cases)
    {
        g_GameMap.theme = c.theme;
        EnvironmentWorld::Weather(c.weather, c.value);
        g_EnvironmentFX.Update();
        ASSERT_EQ(RenderState(Sys3DRenderState::FogEnable), c.enabled) << c.theme << "/" << int(c.value);
        if (c.enabled == 0)
            continue;
        EXPECT_EQ(RenderState(Sys3DRenderState::FogColour), c.colour);
        EXPECT_EQ(RenderState(Sys3DRenderState::FogTableMode), Sys3DFogMode::Linear);
        EXPECT_EQ(Sys3DBitsToFloat(RenderState(Sys3DRenderState::FogStart)), c.start) << c.theme << "/" << int(c.value);
        EXPECT_EQ(Sys3DBitsToFloat(RenderState(Sys3DRenderState::FogEnd)), c.end) << c.theme << "/" << int(c.value);
    }
    // A view with nothing seen keeps the theme's fog; a new map clears it.
    std::memset(world.Local().exploredMap, 0, sizeof(world.Local().exploredMap));
    g_EnvironmentFX.Update();
    EXPECT_EQ(RenderState(Sys3DRenderState::FogEnable), 1u);
    g_EnvironmentFX.InitEnvironment(true);
    EXPECT_EQ(RenderState(Sys3DRenderState::FogEnable), 0u);
}
