// The factories refuse every number outside their lists with its report,
// silently while a player's factory is not ready.

#include "buildings/C_Player_Factory.h"
#include "tests/buildings/BuildingWorld.h"

TEST(BuildingFactory, UnlistedNumbersGiveNoneWithTheirReportsOnceTheFactoryIsReady)
{
    CBuildingWorld world;
    const char* const resource = "#DEBUG: Building factory: Unknown resource type";
    const char* const decoration = "#DEBUG: Building factory: Unknown decoration type";
    const char* const building = "#DEBUG: Building factory: Unknown building type";
    const struct { int32_t cast, resourceKind, decorationKind; const char* message; } cases[] = {
        {CastResource, 0, 0, resource},      {CastResource, 5, 0, resource},      {CastResource, -1, 0, resource},
        {CastDecoration, 0, 24, decoration}, {CastDecoration, 0, 26, decoration}, {CastDecoration, 0, 80, decoration},
        {0, 0, 0, building},                 {14, 0, 0, building},                {16, 0, 0, building},
        {17, 0, 0, building},                {19, 0, 0, building},                {-5, 0, 0, building},
    };
    for (const bool ready : {false, true})
        for (const auto& c : cases)
        {
            SCOPED_TRACE(testing::Message() << c.cast << " " << c.resourceKind << " " << c.decorationKind);
            world.Player(2).factoryReady = ready ? 1 : 0;
            CTestLog log;
            EXPECT_EQ(CPlayerFactory::BuildingFactory(world.Player(2), c.cast, c.resourceKind, 1, c.decorationKind),
                      nullptr);
            const std::vector<std::string> lines = log.Lines();
            ASSERT_EQ(lines.size(), ready ? 3u : 0u);
            if (!ready)
                continue;
            EXPECT_TRUE(lines[0] == c.message && lines[1] == "#DEBUG: breakpoint reached");
            EXPECT_NE(lines[2].find("C_Player_Factory"), std::string::npos) << lines[2];
        }
    CTestLog log;
    for (int32_t type : {-1, 0, 14, 19, 23, 29, 36, 1 << 30})
        EXPECT_EQ(CPlayerFactory::UnitFactory(world.Player(1), type), nullptr) << type;
    world.Player(1).factoryReady = 0;
    EXPECT_EQ(CPlayerFactory::UnitFactory(world.Player(1), 0), nullptr);
    EXPECT_EQ(log.Count("#DEBUG: Unit factory: Unknown unit type"), 8);
    EXPECT_EQ(log.Count("#DEBUG: breakpoint reached"), 8);
}
