#include <cstdio>
#include <set>
#include <span>
#include <tuple>

#include "buildings/C_BuildingDecorationKinds.h"
#include "buildings/C_BuildingDraw.h"
#include "buildings/C_BuildingOfCast.h"
#include "buildings/C_Player_Factory.h"
#include "core/C_Config.h"
#include "media/C_VoiceBank.h"
#include "tests/buildings/BuildingWorld.h"
#include "tests/support/OffsetRange.h"

namespace
{

class BuildingTraits : public ::testing::Test
{
protected:
    // The samples of `count` variants from each first sample.
    static std::set<int32_t> Sounds(std::initializer_list<std::pair<int32_t, int32_t>> sets)
    {
        std::set<int32_t> samples;
        for (const auto& [first, count] : sets) for (int32_t k = 0; k < count; ++k) samples.insert(first + k);
        return samples;
    }
    // The samples forty hits of the damage type make the building play.
    std::set<int32_t> Heard(CBuilding& building, int32_t damageType)
    {
        const size_t before = m_World.Samples().size();
        for (int32_t hit = 0; hit < 40; ++hit) building.OnHit(static_cast<TENUMDAMAGETYPE>(damageType));
        std::set<int32_t> samples;
        for (size_t k = before; k < m_World.Samples().size(); k += 2) samples.insert(m_World.Samples()[k]);
        return samples;
    }

    CBuilding* Make(int32_t cast, int32_t resourceKind = 0, int32_t decorationKind = 0)
    {
        return m_World.Track(m_World.Player(1).BuildingFactory(cast, resourceKind, 0, decorationKind));
    }

    CBuildingWorld m_World;
};
}  // namespace

TEST_F(BuildingTraits, FriendsIslandAndVisibilityFollowTheOwnerAndTheCentreBlock)
{
    CBuilding* rock = Make(CastResource, ResourceKindRock);
    for (int32_t p = -1; p < MaxPlayers; ++p) EXPECT_TRUE(rock->IsFriendTo(p)) << p;
    EXPECT_EQ(rock->GetOwnerColour(), -1);
    CBuilding* house = Make(CastHouse);
    EXPECT_EQ(Ints({house->IsFriendTo(-1), house->IsFriendTo(1), house->IsFriendTo(2), house->IsFriendTo(8),
                    house->GetOwnerColour()}), Ints({1, 1, 0, 0, m_World.Player(1).colourScheme}));

    house->x = 20, house->y = 30, g_GameMap.Block(21, 31).regionId = 42;   // 3 x 2: the centre block is (21, 31)
    EXPECT_TRUE(house->GetIslandId() == 42 && house->IsOnIsland(42) && !house->IsOnIsland(41));
    house->x = -10;
    EXPECT_EQ(house->GetIslandId(), NoRegion);
    house->x = 20;
    for (const auto& [fog, owner, visible] : {std::tuple{1, 1, false}, {1, 0, true}, {0, 1, true}})
    {
        g_Config.fogOfWar = fog, house->owner = owner;
        EXPECT_EQ(house->IsVisibleToLocalPlayer(), visible) << fog << " " << owner;
    }
}

TEST_F(BuildingTraits, SoundIsLouderWhereTheLocalPlayerSeesAndTablesRefuseWhatLiesBeyondThem)
{
    CBuilding* barracks = Make(CastBarracks);
    barracks->x = barracks->y = 10;   // the centre block is (12, 13)
    barracks->PlaySound(100, 1, false), m_World.Player(0).RevealArea(12, 13, 12, 13, 255);
    barracks->PlaySound(100, 4, false);
    ASSERT_TRUE(m_World.Samples().size() == 4u && m_World.Samples()[0] == 100 && m_World.Samples()[1] == 50 &&
                m_World.Samples()[2] >= 100 && m_World.Samples()[2] <= 103 && m_World.Samples()[3] == 100);
    CBuilding* ally = Make(CastDecoration, 0, 74);
    // "100001100001", six per row.
    const struct { int32_t x, y; bool set; } cells[] = {
        {0, 0, true}, {1, 0, false}, {5, 1, true}, {6, 0, false}, {-1, 0, false}, {0, 2, false}, {0, -1, false}};
    for (const auto& cell : cells)
        EXPECT_EQ(ally->IsFootprintMaskSet(cell.x, cell.y), cell.set) << cell.x << "," << cell.y;

    CBuilding* wall = Make(CastWall);
    CTestLog log;
    wall->AddFirePosition(50, 1, 2, 3, 4);
    EXPECT_TRUE(log.Contains("#DEBUG: Too many firepos") && wall->fireCount == 0);
    wall->InitFirePositions(1), wall->AddFirePosition(50, 1, 2, 3, 4);
    EXPECT_TRUE(wall->fireCount == 1 && wall->firePositions[0].particle == -1);
    // The base class has no aim point of its own.
    float position[3] = {1, 2, 3};
    CBuilding().GetTargetPosition(position);
    EXPECT_TRUE(log.Contains("#DEBUG: CBuilding::GetTargetPosition") && position[0] == 1.0f);
}

TEST_F(BuildingTraits, ATowerFinishedWithoutArchersIsReportedAndStillCounts)
{
    g_Config.fogOfWar = 1;
    CBuilding* tower = m_World.Place(0, CastTower, 12, 30);
    CTestLog log;
    tower->buildProgress = CBuilding::FinishedProgress, tower->BuildingFinished();
    EXPECT_TRUE(log.Contains("#DEBUG: The tower doesn't contain any archers. InitTower() should be called before "
                             "BuildingFinished()") && m_World.Player(0).finishedBuildings[CastTower] == 1);
}

// Every cast answers its row of the catalogue.  Flags: town building, listed, gives sight, convertible,
// production panel, on the minimap, storage once finished.  Corner masks: one row per corner row,
// "*" all corners, "" none.  Each builder's stroke, even one of nothing, raises the class's dust over
// the footprint, 10 to 29 above the ground there; an instant completion raises none and tells nothing.
TEST_F(BuildingTraits, EveryCastAnswersItsCatalogueRow)
{
    // Aim: x, y, height, height unfinished.  Fire points: threshold:x,height,z,strength, in their order.
    const struct { int32_t cast, width, depth, clearance, points, select, icon, hitPoints, firewall;
        float factor1, factor2, repair; const char *name, *message, *flags, *corners;
        int32_t stages[4], finished, snow, sink, dust, debris[2]; float aim[4], work[3]; bool longRow, collapseInstead;
        const char* fires;
    } rows[] = {
        {1, 7, 7, 3, 130, 186, 52, 2000, 1000, .2f, .1f, .5f, "BD_CASTLE", "BD_MSG_CASTLE", "1111110", "*",
         {109, 110, 111, 112}, 108, 113, 350, 15, {5, 0}, {3.5f, 3.5f, 95.81f, 0}, {.3f, .8f, 0}, true, true,
         "60:1.2,106,5.5,50;55:6.1,106,1.2,40;50:5.9,106,5.7,30;50:1.4,100,1.2,40;45:1.1,70,3.2,50;"
         "45:3.1,52,2.9,30;40:3.4,74,4.7,20;40:4.6,52,0.6,40;35:3.8,81,5.9,50;30:4.7,93,4.0,30"},
        {2, 5, 6, 3, 100, 187, 54, 1200, 0, .4f, .2f, .8f, "BD_BARRACKS", "BD_MSG_BARRACKS", "1111110", "*",
         {116, 117, 118, 119}, 115, 120, 250, 15, {3, 2}, {2, 2, 67.98f, 0}, {.5f, .5f, 0}, true, true,
         "60:3.2,69,2.0,30;50:0.3,55,4.2,30;50:4.6,55,1.0,30;45:4.5,55,5.2,30;40:0.5,46,2.8,40;30:1.3,5,2.8,30;"
         "30:4.6,55,2.9,35;30:1.0,55,0.3,35;30:0.3,55,2.0,30;20:2.8,5,1.6,40"},
        {3, 5, 5, 1, 80, 188, 55, 1200, 0, .4f, .2f, .7f, "BD_ALCHEMY", "BD_MSG_ALCHEMY", "1111110",
         "011100/111100/111110/111110/111100/011100", {123, 124, 125, 126}, 122, 127, 300, 10, {4, 1},
         {1.65f, 2.51f, 44.71f, 0}, {.5f, .5f, .5f}, true, false,
         "60:1.6,67.4,4.0,30;55:2.3,58.8,0.7,40;50:2.4,60.7,4.3,40;45:2.7,21.7,1.6,30;40:2.2,64.9,3.1,30;"
         "35:2.3,62.6,2.5,30;35:0.8,23.7,1.5,30;30:1.0,63.6,2.2,20;30:4.4,20.3,1.5,20"},
        {4, 4, 4, 1, 80, 189, 58, 1000, 0, .4f, .2f, 1.2f, "BD_BLACKSMITH", "BD_MSG_BLACKSMITH", "1111110",
         "11111/11111/11111/11111/01110", {151, 152, 153, 154}, 150, 155, 250, 15, {4, 1}, {2, 1.5f, 51.15f, 0},
         {.5f, .5f, 0}, true, true,
         "60:3.3,22.4,3.0,20;50:0.8,67.9,0.5,40;40:2.5,76.8,2.1,50;40:3.4,67.5,0.6,30;35:1.8,79.8,3.5,40;"
         "30:1.2,80.8,1.1,30;25:2.0,8.9,2.0,30;20:0.9,22.2,3.0,30;20:0.9,77.8,1.4,40"},
        {5, 3, 2, 1, 1, 190, 53, 400, 0, .4f, .2f, 3, "BD_HOUSE", "BD_MSG_HOUSE", "1111010", "1111/1111/1110",
         {130, 131, 132, 133}, 129, 134, 250, 5, {4, 1}, {1.39f, .84f, 63.8f, 0}, {1, 0, 0}, false, false,
         "60:1.9,64,1.2,20;50:0.7,64,0.5,30;40:0.8,72,1.5,40;40:2.4,83,0.8,40;30:1.6,52,0.3,30;20:1.7,4,1.7,20"},
        {6, 2, 2, 0, 10, 191, 56, 1000, 200, .2f, .1f, 1.8f, "BD_TOWER", "BD_MSG_TOWER", "1111010", "*",
         {137, 138, 139, 140}, 136, 141, 300, 15, {5, 0}, {1, 1, 98.8f, 0}, {0, 1, 0}, true, true,
         "60:1.3,146,1.0,30;50:0.6,146,1.2,20;40:1.9,11,1.0,30;30:0.3,124,0.9,20;20:1.5,124,0.3,20"},
        {7, 2, 2, 1, 0, 192, 57, 300, 0, .4f, .2f, 6, "BD_WAREHOUSE", "BD_MSG_WAREHOUSE", "0111011", "*",
         {144, 145, 146, 147}, 143, 148, 250, 5, {0, 5}, {1, 1, 52, 0}, {1, 0, 0}, false, false,
         "60:1.0,72,1.0,50;50:0.5,72,0.5,30;40:1.5,72,1.5,30;30:1.5,72,0.5,30;20:0.5,72,1.5,30"},
        {8, 4, 5, 1, 50, 193, 59, 800, 0, .4f, .2f, 1.6f, "BD_MONASTERY", "BD_MSG_MONASTERY", "1111110",
         "00110/11111/11111/11111/11111/00110", {158, 159, 160, 161}, 157, 162, 300, 10, {4, 1},
         {2.35f, 2.39f, 44.77f, 0}, {.5f, .5f, 0}, true, false,
         "60:1.0,106,3.5,40;50:2.0,72,3.6,40;50:2.8,72,2.1,50;45:1.0,38,1.8,40;44:2.8,72,4.0,30;40:2.8,72,2.1,30;"
         "30:2.2,72,1.1,40;20:3.4,43,2.6,30;20:2.6,8,4.3,20"},
        {9, 1, 1, 0, 0, 255, 62, 1200, 500, .2f, .1f, 12, "BD_WALL", nullptr, "1010010", "", {197, 197, 197, 197},
         196, 198, 300, 5, {5, 0}, {.5f, .5f, 45.3f, 0}, {0, 1, 0}, true, false, ""},
        {11, 4, 4, 4, 200, 194, 60, 1200, 0, .4f, .2f, .6f, "BD_KEEP", "BD_MSG_KEEP", "1111111",
         "11111/11111/11111/11100/11100", {165, 166, 167, 168}, 164, 169, 350, 10, {0, 5}, {1.23f, 1, 68.47f, 0},
         {.8f, .2f, 0}, true, false,
         "60:0.6,91.6,0.5,30;50:1.0,91.6,1.7,30;40:1.0,47.4,3.0,30;35:1.9,91.6,0.5,20;30:2.5,51.7,1.1,30;"
         "20:1.2,5.4,2.2,30"},
        {12, 1, 1, 0, 0, 255, 63, 5, 0, 1, 1, 12, "BD_TRAP", "BD_MSG_TRAP", "0100000", "", {201, 201, 201, 201},
         201, 0, 0, 15, {5, 0}, {.5f, .5f, 0, 0}, {1, 0, 0}, false, false, ""},
        {13, 6, 6, 1, 50, 195, 64, 800, 0, .4f, .2f, 1.4f, "BD_DOCKS", "BD_MSG_DOCKS", "0111110", "",
         {204, 205, 206, 207}, 203, 208, 200, 0, {0, 5}, {2.98f, 2.82f, 47.32f, 25}, {1, 0, 0}, true, false,
         "60:2.2,73,2.0,40;50:3.8,75,4.0,40;50:2.0,26,5.0,30;45:3.0,82.6,3.9,20;40:5.0,26,5.0,30;40:3.5,76,2.0,30;"
         "35:1.0,26,3.0,40;35:5.0,26,3.0,20;30:1.0,26,1.0,50;25:4.4,26,1.5,40;20:2.3,36.8,4.1,50"},
        {15, 4, 5, 3, 100, 196, 65, 1600, 0, .6f, .2f, .4f, "BD_DARKALTAR", "BD_MSG_DARKALTAR", "1111110",
         "11111/11111/11111/11111/11011/00000", {180, 181, 182, 183}, 179, 184, 250, 15, {5, 0},
         {2, 2, 67.98f, 0}, {.2f, .8f, 0}, true, true,
         "60:2.8,59.7,2.6,30;50:1.5,70.9,3.8,30;45:2.6,70.2,3.3,30;40:1.7,41.4,2.0,30;30:2.6,13.6,0.7,40;"
         "30:2.0,0.1,3.1,30;30:2.0,58.3,4.3,20;30:1.0,56.8,3.0,30;20:1.9,70.1,2.1,30;20:3.0,58.8,3.0,20"},
    };
    const std::vector<SEffectParticle>& effects = g_Particles.GetEffects();
    const SGlobalModels models;
    g_GameMap.theme = 1;   // winter
    for (size_t i = 0; i < std::size(rows); ++i)
    {
        const auto& r = rows[i];
        SCOPED_TRACE(r.cast);
        const int32_t x = 2 + 9 * int32_t(i % 6), y = 2 + 9 * int32_t(i / 6);
        CBuilding* instant = m_World.Place(0, r.cast, x, y);
        size_t before = effects.size(), told = m_World.Messages().size();
        EXPECT_TRUE(!instant->Construct(0.0f, true) && effects.size() == before && m_World.Messages().size() == told);
        instant->TakeDown(false);
        auto* b = dynamic_cast<CBuildingOfCast*>(m_World.Place(0, r.cast, x, y));
        ASSERT_NE(b, nullptr);
        Floats fires, burning;
        float v[5];
        int used = 0;
        for (const char* at = r.fires;
             std::sscanf(at, "%f:%f,%f,%f,%f%n", &v[0], &v[1], &v[2], &v[3], &v[4], &used) == 5;
             at += used + (at[used] == ';' ? 1 : 0)) fires.insert(fires.end(), v, v + 5);
        for (const CFirePosition& fire : std::span(b->firePositions, size_t(b->fireCount)))
        {
            burning.insert(burning.end(), {fire.threshold, fire.offset[0], fire.offset[1], fire.offset[2], fire.size});
            EXPECT_EQ(fire.particle, CBuilding::NoParticle);
        }
        EXPECT_TRUE(burning == fires && b->fireCapacity == b->fireCount);
        EXPECT_EQ(Ints({b->GetWidth(), b->GetDepth(), b->GetClearance(), b->GetPointValue(), b->GetIconIndex(),
                        b->GetDrawClass()}),
                  Ints({r.width, r.depth, r.clearance, r.points, r.icon, r.cast == 9 ? 1 : r.cast == 12 ? 0 : 2}));
        EXPECT_STREQ(b->GetNameKey(), r.name);
        const std::string mask = r.corners;   // rows of width + 1 digits and a '/'
        for (int32_t j = 0; j <= r.depth; ++j)
            for (int32_t k = 0, at = j * (r.width + 2); k <= r.width; ++k, ++at)
                EXPECT_EQ(b->IsSolidCell(k, j), mask == "*" || (size_t(at) < mask.size() && mask[size_t(at)] == '1'))
                    << k << "," << j;
        float aim[3] = {}, work[3] = {-1, -1, -1};
        b->GetTargetPosition(aim);
        EXPECT_EQ(Floats(aim, aim + 3), Floats({float(x) + r.aim[0], r.aim[3], float(y) + r.aim[1]}));
        b->buildProgress = 10.0f;
        EXPECT_EQ(b->GetMaxHitPoints(), std::max(1, r.hitPoints / 10));
        // The stage changes just above 25, 50 and 75.
        g_Particles.ClearEffects();
        for (const auto& [progress, stage] : {std::pair{25.0f, 0}, {25.01f, 1}, {50.0f, 1}, {50.01f, 2}, {75.0f, 2},
                                              {75.01f, 3}})
        {
            b->buildProgress = progress, before = effects.size();
            EXPECT_TRUE(b->Construct(0.0f, false) && b->model == r.stages[stage]) << progress;
            ASSERT_EQ(effects.size() - before, size_t(r.dust));
        }
        // The dust of those and of 60 more strokes reaches every corner of the footprint, a tenth of a
        // block apart, and both heights.
        for (int32_t stroke = 0; stroke < 60; ++stroke) b->Construct(0.0f, false);
        SOffsetRange range;
        for (const SEffectParticle& puff : effects)
        {
            EXPECT_TRUE(puff.kind == CParticles::KindDust && !puff.hidden);
            range.Add(puff.x - float(x), puff.y - float(y), puff.height - g_GameMap.GetHeight(puff.x, puff.y));
        }
        const float least[3] = {0, 0, 10}, most[3] = {float(r.width) - 0.1f, float(r.depth) - 0.1f, 29};
        for (int32_t k = 0; k < 3 && r.dust > 0; ++k)
            EXPECT_TRUE(std::abs(range.low[k] - least[k]) < 1e-4f && std::abs(range.high[k] - most[k]) < 1e-4f)
                << k << ": " << range.low[k] << " to " << range.high[k];
        // Unfinished it wears no snow.
        CBuildingDraw::ClearDraws(), b->Render(0.0f);
        EXPECT_EQ(CBuildingDraw::GetDraws().size(), r.cast == CastWall ? 0u : 1u);
        const size_t samples = m_World.Samples().size();
        EXPECT_TRUE(!b->Construct(10000.0f, false) && b->model == r.finished);
        const bool news = r.message != nullptr;
        ASSERT_EQ(m_World.Messages().size(), size_t(std::count_if(rows, &r + 1, [](auto& o) { return o.message; })));
        EXPECT_TRUE(!news || m_World.Messages().back().text == r.message);
        EXPECT_EQ(Ints(m_World.Markers().end() - (news ? 3 : 0), m_World.Markers().end()),
                  news ? Ints({x + r.width / 2, y + r.depth / 2, 0xFFFF00}) : Ints());
        EXPECT_EQ(Ints(m_World.Samples().begin() + long(samples), m_World.Samples().end()),
                  news ? Ints({r.select, 100}) : Ints());
        b->GetTargetPosition(aim);
        EXPECT_EQ(aim[1], r.aim[2]);
        const std::string flags = {char('0' + b->IsTownBuilding()), char('0' + b->IsListed()),
                                   char('0' + b->GivesSight()), char('0' + b->CanBeConverted()),
                                   char('0' + b->IsScriptCounted()), char('0' + b->IsShownOnMinimap()),
                                   char('0' + b->IsStorage())};
        EXPECT_EQ(flags, r.flags);
        int32_t debris[2] = {}, sample[2] = {};
        b->GetHitDebris(&debris[0], &debris[1]), b->GetSelectSound(&sample[0], &sample[1]);
        b->GetWorkCost(&work[0], &work[1], &work[2]);
        EXPECT_EQ(Ints({debris[0], debris[1], sample[0], sample[1]}), Ints({r.debris[0], r.debris[1], r.select, 1}));
        EXPECT_EQ(Floats({float(b->GetMaxHitPoints()), b->GetDamageFactor1(), b->GetDamageFactor2(),
                          b->GetDamageFactor3(), b->GetRepairRate(), work[0], work[1], work[2]}),
                  Floats({float(r.hitPoints), r.factor1, r.factor2, 1.0f, r.repair, r.work[0], r.work[1], r.work[2]}));
        // "TC_FF_WALL" raises the castle, wall and tower; "TC_BUILD_D_1" and "_2" lower factor 3.
        for (const auto& [technology, points, factor3] : {std::tuple{48, r.hitPoints + r.firewall, 1.0f},
                                                          {46, r.hitPoints, 0.9f}, {47, r.hitPoints, 0.7f}})
        {
            m_World.Research(0, technology);
            EXPECT_EQ(b->GetMaxHitPoints(), points) << technology;
            EXPECT_FLOAT_EQ(b->GetDamageFactor3(), factor3) << technology;
            m_World.Research(0, technology, 0.0f);
        }
        if (r.cast == CastTrap) continue;
        // Each damage type sounds its own samples, the smashing ones (4, 9) with the 184 echo on the long row;
        // at no hit points the collapse sound replaces the hit sound on the castle's row, follows it on the others.
        const std::set<int32_t> none, pierce = Sounds({{169, 4}}), magic = Sounds({{179, 1}}),
                                smash = r.longRow ? Sounds({{173, 4}, {184, 1}}) : Sounds({{173, 4}});
        const std::set<int32_t> heard[] = {none, Sounds({{165, 4}}), pierce, pierce, smash, none,
                                           Sounds({{177, 2}}), magic, magic, smash, none};
        for (int32_t type = 0; type <= 10; ++type) EXPECT_EQ(Heard(*b, type), heard[type]) << type;
        b->health = 0.0f;
        EXPECT_EQ(Heard(*b, 1), r.collapseInstead ? Sounds({{180, 4}}) : Sounds({{165, 4}, {180, 4}}));
        // Collapsing it sinks by the depth of its row; finished in winter it wears its snow, sinking too
        // (the wall's leaning pieces are drawn apart).
        b->health = 100.0f, CBuildingDraw::ClearDraws(), b->Render(0.0f);
        const float standingHeight = b->drawPosition[1];
        const std::vector<SModelDraw>& draws = CBuildingDraw::GetDraws();
        const size_t standing = draws.size();
        b->Render(0.5f);
        EXPECT_NEAR(standingHeight - b->drawPosition[1], 0.5f * float(r.sink), 1e-3f);
        if (r.cast == CastWall) continue;
        ASSERT_EQ(draws.size(), standing + 2);
        EXPECT_EQ(Ints({draws[0].model, draws[1].model, draws[standing].model, draws[standing + 1].model}),
                  Ints({r.finished, r.snow, r.finished, r.snow}));
        EXPECT_TRUE(draws[0].x == float(x) && draws[0].y == float(y) && draws[1].height == draws[0].height);
    }
    g_GameMap.theme = NoTheme, CBuildingDraw::ClearDraws();
}

// A stroke to exactly 100 finishes with the local owner's news in green, an instant completion (a
// foreign one on a network client too) without any.  On the owner's machine a stroke of nothing
// still sends the progress but not the stage it brings.
TEST_F(BuildingTraits, OnlyAStrokeToTheEndAnnouncesItAndOnlyTheOwnerSendsTheProgress)
{
    CBuilding* house = m_World.Place(0, CastHouse, 10, 10);
    house->buildProgress = 96.99f;   // 3 per unit of work: just short of 100, then exactly 100
    EXPECT_TRUE(house->Construct(1.0f, false) && house->model == 133 && m_World.Messages().empty());
    house->buildProgress = 97.0f;
    EXPECT_FALSE(house->Construct(1.0f, false));
    EXPECT_TRUE(house->buildProgress == 100.0f && house->model == 129 && !house->Construct(1.0f, false));
    EXPECT_TRUE(m_World.Messages().size() == 1u && m_World.Messages()[0].colour == 0x00FF00u);

    g_Config.networkRole = 2;
    CBuilding *foreign = m_World.Place(1, CastHouse, 20, 10), *own = m_World.Place(0, CastHouse, 30, 10);
    g_MultiplayerGame.ClearSent();
    EXPECT_TRUE(foreign->Construct(1.0f, false) && foreign->buildProgress == CBuilding::StartProgress);
    EXPECT_TRUE(!foreign->Construct(0.0f, true) && foreign->model == 129 && g_MultiplayerGame.GetSent().empty());
    own->buildProgress = 25.01f, own->Construct(0.0f, false);
    ASSERT_TRUE(g_MultiplayerGame.GetSent().size() == 1u && own->model == 131 && m_World.Messages().size() == 1u &&
                g_MultiplayerGame.GetSent()[0].packet.Command() == CMultiplayerGame::CommandBuildProgress);
}

// Every listed number gives its object, off the map, with its row's model, owner and amount; a kind-1
// gold mine is an open one, and a tree of an unknown variant still stands, with model 0.  A resource site
// and a decoration also give their name and the pieces of debris of kinds 24 and 25 a projectile knocks
// off them (the buildings' own are rows of the catalogue above).
TEST_F(BuildingTraits, EveryListedObjectComesWithItsModelOwnerAmountNameAndHitDebris)
{
    const struct { int32_t cast, kind, variant, model, owner, amount; const char* name; int32_t debris[2] = {}; }
        rows[] = {
        {1, 0, 0, 108, 2, 0, ""}, {2, 0, 0, 115, 2, 0, ""}, {3, 0, 0, 122, 2, 0, ""}, {4, 0, 0, 150, 2, 0, ""},
        {5, 0, 0, 129, 2, 0, ""}, {6, 0, 0, 136, 2, 0, ""}, {7, 0, 0, 143, 2, 0, ""}, {8, 0, 0, 157, 2, 0, ""},
        {9, 0, 0, 196, 2, 0, ""}, {11, 0, 0, 164, 2, 0, ""}, {12, 0, 0, 201, 2, 0, ""}, {13, 0, 0, 203, 2, 0, ""},
        {15, 0, 0, 179, 2, 0, ""}, {10, 1, 0, 230, -1, 100, "", {3, 2}}, {10, 4, 0, 230, -1, 100, "", {3, 2}},
        {10, 2, 1, 210, -1, 100, "", {0, 10}}, {10, 2, 8, 224, -1, 100, "", {0, 10}},
        {10, 2, 0, 0, -1, 100, "", {0, 10}}, {10, 2, 9, 0, -1, 100, "", {0, 10}},
        {10, 3, 0, 226, -1, 800, "", {3, 0}}, {18, 1, 0, 267, -1, 0, "Mill", {4, 1}},
        {18, 2, 0, 269, -1, 0, "Decoration", {0, 0}}, {18, 23, 0, 290, -1, 0, "Decoration", {0, 0}},
        {18, 31, 0, 291, -1, 0, "Decoration", {0, 0}}, {18, 71, 0, 338, -1, 0, "Decoration", {0, 0}},
        {18, 6, 0, 273, -1, 0, "Branch", {0, 2}}, {18, 11, 0, 278, -1, 0, "Ruins", {4, 0}},
        {18, 14, 0, 281, -1, 0, "Ruins", {4, 0}}, {18, 19, 0, 286, -1, 0, "Statue", {4, 0}},
        {18, 21, 0, 288, -1, 0, "Statue", {4, 0}}, {18, 27, 0, 333, -1, 0, "Grave", {2, 0}},
        {18, 32, 0, 292, -1, 0, "Torch", {0, 0}}, {18, 79, 0, 346, -1, 0, "Torch", {0, 0}},
        {18, 37, 0, 297, -1, 0, "Gate", {4, 1}}, {18, 38, 0, 299, -1, 0, "Gate", {4, 1}},
        {18, 39, 0, 302, -1, 0, "Cave entrance", {5, 0}}, {18, 40, 0, 303, -1, 0, "Cave entrance", {5, 0}},
        {18, 41, 0, 304, -1, 0, "CaveWall", {5, 0}}, {18, 69, 0, 332, -1, 0, "CaveWall", {5, 0}},
        {18, 70, 0, 337, -1, 0, "Fountain", {4, 0}}, {18, 72, 0, 339, -1, 0, "Column", {4, 0}},
        {18, 73, 0, 340, -1, 0, "Column", {4, 0}}, {18, 74, 0, 341, -1, 0, "Ally", {4, 0}},
        {18, 75, 0, 342, -1, 0, "Ally", {4, 0}},
    };
    for (const auto& row : rows)
    {
        SCOPED_TRACE(testing::Message() << row.cast << " " << row.kind << " " << row.variant);
        const bool decoration = row.cast == CastDecoration;
        CBuilding* made = CPlayerFactory::BuildingFactory(m_World.Player(2), row.cast, decoration ? 0 : row.kind,
                                                          row.variant, decoration ? row.kind : 0);
        ASSERT_NE(made, nullptr);
        m_World.Track(made);
        EXPECT_EQ(Ints({made->x, made->y, made->model, made->owner, made->GetAmount(), made->GetBuildCast()}),
                  Ints({-1, -1, row.model, row.owner, row.amount, row.cast}));
        EXPECT_TRUE((row.cast != CastResource || row.kind == 2 || row.kind == 3 ||
                     made->GetResourceKind() == ResourceKindGoldMine) &&
                    (!decoration || std::string(made->GetName()) == row.name));
        int32_t debris[2] = {-1, -1};
        made->GetHitDebris(&debris[0], &debris[1]);
        const bool building = row.cast != CastResource && !decoration;
        EXPECT_TRUE(building || Ints(debris, debris + 2) == Ints(row.debris, row.debris + 2))
            << debris[0] << ", " << debris[1];
    }
    // The kinds that go by a key of their own.
    for (const auto& [kind, key] : {std::pair<int32_t, const char*>{31, "ED_DECOR_BD_CHEST_1"},
                                    {37, "ED_DECOR_BD_GATE_1"}, {38, "ED_DECOR_BD_GATE_2"},
                                    {71, "ED_DECOR_BD_LEVER"}, {2, nullptr}, {39, nullptr}})
        EXPECT_STREQ(CBuildingDecorationKinds::Find(kind)->key, key) << kind;
}

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
            EXPECT_TRUE(!ready || (lines[0] == c.message && lines[1] == "#DEBUG: breakpoint reached" &&
                                   lines[2].find("C_Player_Factory") != std::string::npos)) << (ready ? lines[2] : "");
        }
    CTestLog log;
    for (int32_t type : {-1, 0, 14, 19, 23, 29, 36, 1 << 30})
        EXPECT_EQ(CPlayerFactory::UnitFactory(world.Player(1), type), nullptr) << type;
    world.Player(1).factoryReady = 0;
    EXPECT_TRUE(CPlayerFactory::UnitFactory(world.Player(1), 0) == nullptr &&
                log.Count("#DEBUG: Unit factory: Unknown unit type") == 8 &&
                log.Count("#DEBUG: breakpoint reached") == 8);
}

// Configured sound volume 100.  A unit is heard at 100 where the local player sees its tile, at 50 when it belongs to
// a friend elsewhere, else not at all; a building at 100 where its centre block is seen, else at 50.  The distance
// factor is 100 up to 12 blocks, 100 - (int)((d - 12) * 100 / 38) up to 50, and nothing at 0 or beyond: 13 blocks
// give 98, 31 give 50, 49 give 3, 50 give 0.  A request not made leaves the marker pan in place.
TEST(SoundPositions, UnitsAndBuildingsAreHeardByDistanceFromTheListener)
{
    constexpr int32_t Sample = 64;
    constexpr float MarkerPan = 0.5f;
    // A volume of -1: not heard.
    const struct Case { const char* name; bool building, seen, allied; int32_t blocks, volume; } cases[] = {
        {"seen unit at the full-volume distance", false, true, false, 12, 100},
        {"seen unit one block further", false, true, false, 13, 98},
        {"friend's unit out of sight", false, false, true, 12, 50}, {"seen building", true, true, false, 12, 100},
        {"friend's unit out of sight, one block further", false, false, true, 13, 49},
        {"friend's unit out of sight, far", false, false, true, 31, 25},
        {"seen unit at the edge of hearing", false, true, false, 49, 3},
        {"seen unit at the silence distance", false, true, false, 50, -1},
        {"seen unit far beyond hearing", false, true, false, 90, -1},
        {"building out of sight", true, false, false, 12, 50}, {"enemy unit out of sight", false, false, false, 5, -1},
        {"building out of sight, far", true, false, true, 31, 25},
        {"seen building at the silence distance", true, true, false, 50, -1},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        CBuildingWorld world;
        SetPlayerServices(nullptr);   // the game's own: the global sample bank
        g_Config.audioEnabled = 1, g_Config.soundVolume = 100, g_VoiceBank.Init(SoundBankSlots, nullptr);
        world.Player(0).allied[1] = c.allied ? 1 : 0;
        // Barracks are 5 x 6: the corner (8, 17) has its centre at (10, 20).
        if (c.seen) world.Player(0).RevealArea(10, 20, 10, 20, 255);
        g_VoiceBank.UpdateSoundEvents(10 - c.blocks, 20), g_VoiceBank.Play(Sample, 1, 0, 0, MarkerPan);
        if (c.building) world.Make(1, CastBarracks, 8, 17)->PlaySound(Sample, 1, false);
        else world.Spawn(1, UNIT_WARRIOR, 10, 20)->PlaySoundAt(Sample, 1, 0);
        const CVoiceBank::SSlot* slot = g_VoiceBank.GetSlot(Sample);
        ASSERT_NE(slot, nullptr);
        EXPECT_EQ(std::pair(slot->requestVolume, slot->requestPan),
                  std::pair(std::max(c.volume, 0), c.volume < 0 ? MarkerPan : 0.0f));
        g_VoiceBank.Free();
    }
}
