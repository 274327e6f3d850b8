// What the players reach when no test set is installed: the game's own
// message list, minimap markers and network role.

#include <gtest/gtest.h>

#include "core/C_Config.h"
#include "effects/C_Particles.h"
#include "game/C_MessageList.h"
#include "tests/support/TestLog.h"
#include "world/C_PlayerServices.h"

TEST(PlayerServicesDefaults, MessagesMarkersAndTheNetworkRoleAreTheGames)
{
    CTestLog log;
    ASSERT_EQ(g_MessageList, nullptr);
    GetPlayerServices().AddMessage("Before the device", 0xFF0000u);
    EXPECT_TRUE(log.Contains("Before the device"));

    CMessageList list;
    g_MessageList = &list;
    GetPlayerServices().AddMessage("Wood needed", 0xFFFF00u);
    GetPlayerServices().AddMessage(nullptr, 0x00FFFFu);
    g_MessageList = nullptr;
    ASSERT_EQ(list.GetLines().size(), 2u);
    EXPECT_EQ(std::string(list.GetLines()[0].text.GetBuffer()), "Wood needed");
    EXPECT_EQ(list.GetLines()[0].colour, 0xFFFF00u);
    EXPECT_EQ(std::string(list.GetLines()[1].text.GetBuffer()), "");
    EXPECT_FALSE(log.Contains("Wood needed"));

    g_Particles.Reset();
    GetPlayerServices().AddMinimapMarker(20, 30, 0xFF0000u);
    ASSERT_EQ(g_Particles.GetMinimapMarkers().size(), 1u);
    const auto& marker = g_Particles.GetMinimapMarkers()[0];
    EXPECT_EQ(std::pair(marker.x, marker.y), std::pair(20, 30));
    EXPECT_EQ(marker.colour, 0xFF0000u);
    g_Particles.Reset();

    const int32_t role = g_Config.networkRole;
    g_Config.networkRole = 0;
    EXPECT_FALSE(GetPlayerServices().IsNetworkGame());
    g_Config.networkRole = 2;
    EXPECT_TRUE(GetPlayerServices().IsNetworkGame());
    g_Config.networkRole = role;
}

