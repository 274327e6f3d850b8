// The factories refuse every number outside their lists with its report,
// silently while a player's factory is not ready.

#include "buildings/C_BuildingDecorationKinds.h"
#include "buildings/C_Player_Factory.h"
#include "tests/buildings/BuildingWorld.h"

#include <cstdio>

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

// Every listed number gives its object with its row's model, owner and amount; a kind-1
// gold mine is an open one, and a tree of an unknown variant still stands, with model 0.
TEST(BuildingFactory, ListedNumbersGiveTheirModelsOwnersAmountsAndFirePoints)
{
    CBuildingWorld world;
    // The name is a decoration's.
    const struct { int32_t cast, kind, variant, model, owner, amount; const char* name; } rows[] = {
        {1, 0, 0, 108, 2, 0, ""}, {2, 0, 0, 115, 2, 0, ""}, {3, 0, 0, 122, 2, 0, ""}, {4, 0, 0, 150, 2, 0, ""},
        {5, 0, 0, 129, 2, 0, ""}, {6, 0, 0, 136, 2, 0, ""}, {7, 0, 0, 143, 2, 0, ""}, {8, 0, 0, 157, 2, 0, ""},
        {9, 0, 0, 196, 2, 0, ""}, {11, 0, 0, 164, 2, 0, ""}, {12, 0, 0, 201, 2, 0, ""}, {13, 0, 0, 203, 2, 0, ""},
        {15, 0, 0, 179, 2, 0, ""}, {10, 1, 0, 230, -1, 100, ""}, {10, 4, 0, 230, -1, 100, ""},
        {10, 2, 1, 210, -1, 100, ""}, {10, 2, 8, 224, -1, 100, ""}, {10, 2, 0, 0, -1, 100, ""},
        {10, 2, 9, 0, -1, 100, ""}, {10, 3, 0, 226, -1, 800, ""}, {18, 1, 0, 267, -1, 0, "Mill"},
        {18, 2, 0, 269, -1, 0, "Decoration"}, {18, 23, 0, 290, -1, 0, "Decoration"},
        {18, 31, 0, 291, -1, 0, "Decoration"}, {18, 71, 0, 338, -1, 0, "Decoration"},
        {18, 6, 0, 273, -1, 0, "Branch"}, {18, 14, 0, 281, -1, 0, "Ruins"}, {18, 21, 0, 288, -1, 0, "Statue"},
        {18, 27, 0, 333, -1, 0, "Grave"}, {18, 32, 0, 292, -1, 0, "Torch"}, {18, 79, 0, 346, -1, 0, "Torch"},
        {18, 37, 0, 297, -1, 0, "Gate"}, {18, 38, 0, 299, -1, 0, "Gate"}, {18, 40, 0, 303, -1, 0, "Cave entrance"},
        {18, 69, 0, 332, -1, 0, "CaveWall"}, {18, 70, 0, 337, -1, 0, "Fountain"}, {18, 73, 0, 340, -1, 0, "Column"},
        {18, 75, 0, 342, -1, 0, "Ally"},
    };
    for (const auto& row : rows)
    {
        SCOPED_TRACE(testing::Message() << row.cast << " " << row.kind << " " << row.variant);
        const bool decoration = row.cast == CastDecoration;
        CBuilding* made = CPlayerFactory::BuildingFactory(world.Player(2), row.cast, decoration ? 0 : row.kind,
                                                          row.variant, decoration ? row.kind : 0);
        ASSERT_NE(made, nullptr);
        world.Track(made);
        EXPECT_EQ(Ints({made->x, made->y, made->model, made->owner, made->GetAmount()}),
                  Ints({-1, -1, row.model, row.owner, row.amount}));
        EXPECT_EQ(made->GetBuildCast(), row.cast);
        EXPECT_TRUE(row.cast != CastResource || row.kind == 2 || row.kind == 3 ||
                    made->GetResourceKind() == ResourceKindGoldMine);
        EXPECT_TRUE(!decoration || std::string(made->GetName()) == row.name);
    }
    // The kinds that go by a key of their own.
    for (const auto& [kind, key] : {std::pair<int32_t, const char*>{31, "ED_DECOR_BD_CHEST_1"},
                                    {37, "ED_DECOR_BD_GATE_1"}, {38, "ED_DECOR_BD_GATE_2"},
                                    {71, "ED_DECOR_BD_LEVER"}, {2, nullptr}, {39, nullptr}})
        EXPECT_STREQ(CBuildingDecorationKinds::Find(kind)->key, key) << kind;
    // The fire points of each building, threshold:x,height,z,strength, in their order.
    const std::pair<int32_t, const char*> fires[] = {
        {CastCastle, "60:1.2,106,5.5,50;55:6.1,106,1.2,40;50:5.9,106,5.7,30;50:1.4,100,1.2,40;45:1.1,70,3.2,50;"
                     "45:3.1,52,2.9,30;40:3.4,74,4.7,20;40:4.6,52,0.6,40;35:3.8,81,5.9,50;30:4.7,93,4.0,30"},
        {CastBarracks, "60:3.2,69,2.0,30;50:0.3,55,4.2,30;50:4.6,55,1.0,30;45:4.5,55,5.2,30;40:0.5,46,2.8,40;"
                       "30:1.3,5,2.8,30;30:4.6,55,2.9,35;30:1.0,55,0.3,35;30:0.3,55,2.0,30;20:2.8,5,1.6,40"},
        {CastAlchemy, "60:1.6,67.4,4.0,30;55:2.3,58.8,0.7,40;50:2.4,60.7,4.3,40;45:2.7,21.7,1.6,30;"
                      "40:2.2,64.9,3.1,30;35:2.3,62.6,2.5,30;35:0.8,23.7,1.5,30;30:1.0,63.6,2.2,20;"
                      "30:4.4,20.3,1.5,20"},
        {CastBlacksmith, "60:3.3,22.4,3.0,20;50:0.8,67.9,0.5,40;40:2.5,76.8,2.1,50;40:3.4,67.5,0.6,30;"
                         "35:1.8,79.8,3.5,40;30:1.2,80.8,1.1,30;25:2.0,8.9,2.0,30;20:0.9,22.2,3.0,30;"
                         "20:0.9,77.8,1.4,40"},
        {CastHouse, "60:1.9,64,1.2,20;50:0.7,64,0.5,30;40:0.8,72,1.5,40;40:2.4,83,0.8,40;30:1.6,52,0.3,30;"
                    "20:1.7,4,1.7,20"},
        {CastTower, "60:1.3,146,1.0,30;50:0.6,146,1.2,20;40:1.9,11,1.0,30;30:0.3,124,0.9,20;20:1.5,124,0.3,20"},
        {CastWarehouse, "60:1.0,72,1.0,50;50:0.5,72,0.5,30;40:1.5,72,1.5,30;30:1.5,72,0.5,30;20:0.5,72,1.5,30"},
        {CastMonastery, "60:1.0,106,3.5,40;50:2.0,72,3.6,40;50:2.8,72,2.1,50;45:1.0,38,1.8,40;44:2.8,72,4.0,30;"
                        "40:2.8,72,2.1,30;30:2.2,72,1.1,40;20:3.4,43,2.6,30;20:2.6,8,4.3,20"},
        {CastKeep, "60:0.6,91.6,0.5,30;50:1.0,91.6,1.7,30;40:1.0,47.4,3.0,30;35:1.9,91.6,0.5,20;"
                   "30:2.5,51.7,1.1,30;20:1.2,5.4,2.2,30"},
        {CastDocks, "60:2.2,73,2.0,40;50:3.8,75,4.0,40;50:2.0,26,5.0,30;45:3.0,82.6,3.9,20;40:5.0,26,5.0,30;"
                    "40:3.5,76,2.0,30;35:1.0,26,3.0,40;35:5.0,26,3.0,20;30:1.0,26,1.0,50;25:4.4,26,1.5,40;"
                    "20:2.3,36.8,4.1,50"},
        {CastDarkAltar, "60:2.8,59.7,2.6,30;50:1.5,70.9,3.8,30;45:2.6,70.2,3.3,30;40:1.7,41.4,2.0,30;"
                        "30:2.6,13.6,0.7,40;30:2.0,0.1,3.1,30;30:2.0,58.3,4.3,20;30:1.0,56.8,3.0,30;"
                        "20:1.9,70.1,2.1,30;20:3.0,58.8,3.0,20"},
        {CastWall, ""},
        {CastTrap, ""},
    };
    for (const auto& [cast, list] : fires)
    {
        SCOPED_TRACE(cast);
        Floats expected;
        float v[5];
        int used = 0;
        for (const char* at = list;
             std::sscanf(at, "%f:%f,%f,%f,%f%n", &v[0], &v[1], &v[2], &v[3], &v[4], &used) == 5; at += used)
        {
            expected.insert(expected.end(), v, v + 5);
            used += at[used] == ';' ? 1 : 0;
        }
        CBuilding* made = world.Track(CPlayerFactory::BuildingFactory(world.Player(1), cast, 0, 0, 0));
        Floats burning;
        for (int32_t i = 0; i < made->fireCount; ++i)
        {
            const CFirePosition& fire = made->firePositions[i];
            burning.insert(burning.end(), {fire.threshold, fire.offset[0], fire.offset[1], fire.offset[2], fire.size});
            EXPECT_EQ(fire.particle, CBuilding::NoParticle);
        }
        EXPECT_TRUE(burning == expected && made->fireCapacity == made->fireCount);
    }
}
