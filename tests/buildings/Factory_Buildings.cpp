// The building factory: every building cast, resource kind, tree variant
// and decoration kind from its number, with its model, owner and fire
// positions; everything else refused with its report.

#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <string>

#include "buildings/C_Building.h"
#include "buildings/C_BuildingResource.h"
#include "buildings/C_BuildingResourceTree.h"
#include "buildings/C_Player_Factory.h"
#include "core/C_Config.h"
#include "tests/buildings/BuildingWorld.h"
#include "tests/support/TestLog.h"

namespace
{
struct SExpectedCast
{
    int32_t cast;
    const char* name;
    int32_t model, width, depth, fires;
    bool production;   // the trait CPlayer::Init records
};

const SExpectedCast ExpectedCasts[] = {
    {1, "BD_CASTLE", 108, 7, 7, 10, true},        {2, "BD_BARRACKS", 115, 5, 6, 10, true},
    {3, "BD_ALCHEMY", 122, 5, 5, 9, true},        {4, "BD_BLACKSMITH", 150, 4, 4, 9, true},
    {5, "BD_HOUSE", 129, 3, 2, 6, false},         {6, "BD_TOWER", 136, 2, 2, 5, false},
    {7, "BD_WAREHOUSE", 143, 2, 2, 5, false},     {8, "BD_MONASTERY", 157, 4, 5, 9, true},
    {9, "BD_WALL", 196, 1, 1, 0, false},          {11, "BD_KEEP", 164, 4, 4, 6, true},
    {12, "BD_TRAP", 201, 1, 1, 0, false},         {13, "BD_DOCKS", 203, 6, 6, 11, true},
    {15, "BD_DARKALTAR", 179, 4, 5, 10, true},
};

class BuildingFactory : public ::testing::Test
{
protected:
    CBuilding* Make(int32_t cast, int32_t resourceKind, int32_t treeCast, int32_t decorationKind, int32_t player = 2)
    {
        return CPlayerFactory::BuildingFactory(m_World.Player(player), cast, resourceKind, treeCast, decorationKind);
    }

    BuildingWorld m_World;
};
}  // namespace

TEST_F(BuildingFactory, EveryCastGetsItsClassModelSizeAndFirePositions)
{
    for (const SExpectedCast& expected : ExpectedCasts)
    {
        CBuilding* building = Make(expected.cast, 0, 0, 0);
        ASSERT_NE(building, nullptr) << expected.cast;
        EXPECT_EQ(building->x, -1);
        EXPECT_EQ(building->placed, 0);
        EXPECT_EQ(building->GetBuildCast(), expected.cast);
        EXPECT_STREQ(building->GetName(), expected.name);
        EXPECT_EQ(building->owner, 2);
        EXPECT_EQ(building->model, expected.model) << expected.cast;
        EXPECT_EQ(building->GetWidth(), expected.width) << expected.cast;
        EXPECT_EQ(building->GetDepth(), expected.depth) << expected.cast;
        EXPECT_EQ(building->fireCount, expected.fires) << expected.cast;
        EXPECT_EQ(building->fireCapacity, expected.fires) << expected.cast;
        EXPECT_EQ(building->IsScriptCounted(), expected.production) << expected.cast;
        for (int32_t i = 0; i < building->fireCount; ++i)
            EXPECT_EQ(building->firePositions[i].particle, -1);
        delete building;
    }
}

TEST_F(BuildingFactory, KeepOfAStrongholdOwnerGetsTheStrongholdModelAtOnce)
{
    // Research done, player, expected model: another player's research changes nothing.
    const struct { float progress; int32_t player, model; } cases[] = {
        {0.0f, 4, 164}, {99.9f, 4, 164}, {100.0f, 4, 172}, {100.0f, 5, 164}};
    for (const auto& c : cases)
    {
        if (c.progress > 0.0f)
            m_World.Harness().Research(4, 8, c.progress);
        CBuilding* keep = Make(11, 0, 0, 0, c.player);
        ASSERT_NE(keep, nullptr);
        EXPECT_EQ(keep->model, c.model) << c.progress << " " << c.player;
        delete keep;
    }
}

TEST_F(BuildingFactory, ResourceSitesGetTheirKindModelAndAmountAndBelongToNobody)
{
    // Kind 4 makes an open gold mine, kind 1 an exhausted one; odd tree
    // variants still grow.
    const struct { int32_t kind, variant, resourceKind, model, amount; } cases[] = {
        {1, 0, 1, 231, 0}, {4, 0, 4, 230, 100}, {3, 0, 3, 226, 800}, {2, 0, 2, 0, 100},
        {2, 1, 2, 210, 100}, {2, 5, 2, 218, 100}, {2, 8, 2, 224, 100}, {2, 9, 2, 0, 100}, {2, -3, 2, 0, 100}};
    for (const auto& c : cases)
    {
        CBuilding* site = Make(10, c.kind, c.variant, 0);
        ASSERT_NE(site, nullptr) << c.kind << " " << c.variant;
        EXPECT_EQ(site->GetBuildCast(), 10);
        EXPECT_EQ(site->GetResourceKind(), c.resourceKind) << c.kind;
        EXPECT_EQ(site->model, c.model) << c.kind << " " << c.variant;
        EXPECT_EQ(site->GetResourceAmount(), c.amount) << c.kind;
        EXPECT_EQ(site->owner, -1);
        EXPECT_FALSE(site->CanBeConverted());
        delete site;
    }
}

TEST_F(BuildingFactory, RocksFaceAMultipleOfFortyFiveAndNetworkTreesAllTheSameWay)
{
    std::set<int32_t> facings;
    for (int32_t i = 0; i < 200; ++i)
    {
        CBuilding* rock = Make(10, 3, 0, 0);
        const float facing = static_cast<CResource*>(rock)->facing;
        EXPECT_EQ(std::fmod(facing, 45.0f), 0.0f) << facing;
        facings.insert(static_cast<int32_t>(facing));
        delete rock;
    }
    EXPECT_EQ(facings, (std::set<int32_t>{0, 45, 90, 135, 180, 225, 270, 315}));
    for (int32_t role : {1, 2})
    {
        g_Config.networkRole = role;
        for (int32_t variant = 1; variant <= 8; ++variant)
        {
            CResourceTree* tree = static_cast<CResourceTree*>(Make(10, 2, variant, 0));
            EXPECT_FLOAT_EQ(tree->facing, 149.0f);
            delete tree;
        }
    }
}

TEST_F(BuildingFactory, DecorationClassesAnswerTheirNamesAndMasks)
{
    const struct SCase
    {
        int32_t kind;
        const char* name;
        int32_t width, depth;
        const char* mask;
        int32_t shadow;
    } cases[] = {
        {1, "Mill", 5, 6, "111000110111110111000010001000", 1},
        {9, "Decoration", 1, 1, "1", 1},
        {8, "Branch", 2, 3, "101011", 1},
        {12, "Ruins", 5, 4, "10001100011100100001", 1},
        {21, "Statue", 2, 5, "1111001111", 1},
        {29, "Grave", 2, 1, "11", 1},
        {33, "Torch", 2, 2, "1111", 1},
        {38, "Gate", 1, 5, "11111", 1},
        {39, "Cave entrance", 4, 1, "1111", 1},
        {69, "CaveWall", 3, 2, "111110", 0},
        {70, "Fountain", 2, 2, "1111", 1},
        {72, "Column", 1, 1, "1", 1},
        {74, "Ally", 6, 2, "100001100001", 1},
    };
    for (const SCase& c : cases)
    {
        CBuilding* decoration = Make(18, 0, 0, c.kind);
        ASSERT_NE(decoration, nullptr) << c.kind;
        EXPECT_STREQ(decoration->GetName(), c.name);
        EXPECT_EQ(decoration->GetWidth(), c.width) << c.kind;
        EXPECT_EQ(decoration->GetDepth(), c.depth) << c.kind;
        EXPECT_STREQ(decoration->GetFootprintMask(), c.mask);
        EXPECT_EQ(decoration->CastsShadow(), c.shadow) << c.kind;
        delete decoration;
    }
}

TEST_F(BuildingFactory, EveryListedNumberMakesAnObject)
{
    for (int32_t kind = 1; kind <= 4; ++kind)
        for (int32_t variant = 1; variant <= 8; ++variant)
        {
            CBuilding* site = Make(10, kind, variant, 0);
            EXPECT_NE(site, nullptr);
            delete site;
        }
    for (int32_t kind = 1; kind <= 79; ++kind)
    {
        CBuilding* decoration = Make(18, 0, 0, kind);
        const bool refused = kind >= 24 && kind <= 26;
        ASSERT_EQ(decoration == nullptr, refused) << kind;
        if (decoration != nullptr)
        {
            EXPECT_EQ(decoration->GetDecorationKind(), kind);
            EXPECT_EQ(decoration->owner, -1);   // nobody owns a decoration
            EXPECT_FALSE(decoration->IsShownOnMinimap());
        }
        delete decoration;
    }
}

TEST_F(BuildingFactory, UnlistedNumbersGiveNoneWithTheirReportsAndLines)
{
    const char* const resource = "#DEBUG: Building factory: Unknown resource type";
    const char* const decoration = "#DEBUG: Building factory: Unknown decoration type";
    const char* const building = "#DEBUG: Building factory: Unknown building type";
    const struct SCase
    {
        int32_t cast, resourceKind, decorationKind;
        const char *message, *line;
    } cases[] = {
        {10, 0, 0, resource, "178 in "},   {10, 5, 0, resource, "178 in "},   {10, -1, 0, resource, "178 in "},
        {18, 0, 0, decoration, "303 in "}, {18, 0, 24, decoration, "303 in "}, {18, 0, 26, decoration, "303 in "},
        {18, 0, 80, decoration, "303 in "}, {0, 0, 0, building, "353 in "},    {14, 0, 0, building, "353 in "},
        {16, 0, 0, building, "353 in "},   {17, 0, 0, building, "353 in "},   {19, 0, 0, building, "353 in "},
        {-5, 0, 0, building, "353 in "},
    };
    for (const SCase& c : cases)
    {
        CTestLog log;
        EXPECT_EQ(Make(c.cast, c.resourceKind, 1, c.decorationKind), nullptr) << c.cast;
        const std::vector<std::string> lines = log.Lines();
        ASSERT_EQ(lines.size(), 3u) << c.cast;
        EXPECT_EQ(lines[0], c.message);
        EXPECT_EQ(lines[1], "#DEBUG: breakpoint reached");
        EXPECT_EQ(lines[2].rfind(c.line, 0), 0u) << lines[2];
        EXPECT_NE(lines[2].find("C_Player_Factory"), std::string::npos) << lines[2];
    }
}

TEST_F(BuildingFactory, ProbeOfCastsTenAndEighteenIsSilentUntilTheFactoryIsReady)
{
    CPlayer& player = m_World.Player(6);
    player.factoryReady = 0;
    CTestLog log;
    int32_t made = 0;
    for (int32_t cast = 0; cast < BuildCastCount; ++cast)
    {
        CBuilding* probe = CPlayerFactory::BuildingFactory(player, cast, 0, 0, 0);
        made += probe != nullptr ? 1 : 0;
        delete probe;
    }
    EXPECT_EQ(made, 13);
    EXPECT_TRUE(log.Lines().empty());
    player.factoryReady = 1;
    EXPECT_EQ(CPlayerFactory::BuildingFactory(player, 10, 0, 0, 0), nullptr);
    EXPECT_EQ(CPlayerFactory::BuildingFactory(player, 18, 0, 0, 0), nullptr);
    EXPECT_EQ(log.Count("#DEBUG: Building factory: Unknown resource type"), 1);
    EXPECT_EQ(log.Count("#DEBUG: Building factory: Unknown decoration type"), 1);
}
