// The unit's panel: bars 0.4 pixels per percent, 41 below the portrait's top; font 1 a run of 8 pixels
// a character from 2 right of the print position, 5 below it.  Debug panel and unit log, word for word.

#include "buildings/C_Building.h"
#include "core/C_Localizer.h"
#include "tests/support/TestLog.h"
#include "tests/units/UnitPanel_Device.h"
#include "units/C_Unit_Worker.h"

class UnitPanelPortrait : public UnitDrawingTest
{
protected:
    void SetUp() override
    {
        UnitDrawingTest::SetUp();
        g_Config.showUnitActionIcons = 1;
        std::memcpy(m_SavedNames, g_TypeNames, sizeof(m_SavedNames));
        const char* relations[][2] = {{"UN_TYPE_ALLY", "Ally"}, {"UN_TYPE_ENEMY", "Foe"},
                                      {"UN_TYPE_NEUTRAL", "Neutral"}, {"UN_TYPE_DEFEATED", "Beaten"}};
        for (int i = 0; i < TypeNameCount; ++i)
            for (const auto& [key, name] : relations)
                g_TypeNames[i] = std::strcmp(TypeNameKeys[i], key) == 0 ? name : g_TypeNames[i];
        World().Player(0).name = "Anna";
    }
    void TearDown() override
    {
        std::memcpy(g_TypeNames, m_SavedNames, sizeof(m_SavedNames));
        CUnit::panelBlink = 0;
        UnitDrawingTest::TearDown();
    }

    int32_t Run(int32_t x, int32_t y, uint32_t colour)
    {
        int32_t width = 0;
        while (Pixel(x + 2 + width, y + 5) == colour)
            ++width;
        return width;
    }

    const char* m_SavedNames[TypeNameCount] = {};
};

TEST_F(UnitPanelPortrait, TheBarFollowsHealthLessStarvationInWidthAndImage)
{
    const struct { float health, starvation; uint32_t colour; int32_t width; } cases[] = {
        {100, 0, Green, 40}, {60, 20, Yellow, 16}, {51, 0, Green, 20}, {50, 0, Yellow, 20},
        {25.5f, 0, Yellow, 10}, {25, 0, Red, 10}, {10, 0, Red, 4},   {30, 30, Red, 0},   {10, 40, Red, 0}};
    CUnit* unit = Unit(0, 5, 5);
    for (const auto& c : cases)
    {
        unit->health = c.health;
        unit->starvation = c.starvation;
        Drawn([&] { unit->RenderHealthBar(100, 100); });
        EXPECT_EQ(Run(98, 138, c.colour), c.width) << c.health << " - " << c.starvation;
        EXPECT_EQ(Pixel(100 + c.width, 143), Background) << c.health << " - " << c.starvation;
        EXPECT_EQ(Pixel(120, 120), Portrait);
    }
}

TEST_F(UnitPanelPortrait, OwnUnitsShowTheirCommandsIconOnThePortraitsBottom)
{
    const int32_t icons[] = {86, 86, 80, 80, 83, 81, -1, 84, 82, 81, 81, 80, 86, -1, 84, 84, 83,
                             86, 82, 86, 81, 82, 82, 81, 80, 80, 80, 86, 85, 86, 85, 86, 86};  // -13 .. 19
    CUnit* own = Unit(0, 5, 5);
    CUnit* foreign = Unit(1, 8, 8);
    for (int32_t command = -13; command <= 19; ++command)
    {
        own->currentCommand = foreign->currentCommand = command;
        EXPECT_TRUE(own->GetCommandIcon() == icons[command + 13] && foreign->GetCommandIcon() == -1) << command;
    }
    own->currentCommand = foreign->currentCommand = 1;
    const struct { CUnit* unit; uint32_t bottom; } draws[] = {{own, Icon}, {foreign, Portrait}};
    for (const auto& draw : draws)
    {
        Drawn([&] { draw.unit->RenderHealthBar(100, 100); });
        EXPECT_TRUE(Pixel(108, 124) == draw.bottom && Pixel(108, 139) == draw.bottom && Pixel(108, 122) == Portrait);
    }
    g_Config.showUnitActionIcons = 0;
    EXPECT_EQ(own->GetCommandIcon(), -1);
}

TEST_F(UnitPanelPortrait, OwnUnitsShowStatsAndTheirName)
{
    CPanelTestUnit* unit = Unit(0, 5, 5);
    unit->maxHitPoints = 70.0f;
    unit->health = 50.0f;
    Drawn([&] { unit->RenderInfoPanel("Warrior"); });
    const struct { int32_t x, y; uint32_t colour; int32_t width; } texts[] = {
        {50, 315, White, 16}, {66, 315, Yellow, 16}, {50, 350, White, 24},  // "12" "+3", "4/7"
        {50, 385, White, 48}, {106, 385, White, 24}, {5, 289, White, 40},   // "50/0/0 (%)", "35/70"
        {115, 240, White, 56}, {115, 260, Yellow, 32}};                     // "Warrior", "Anna"
    for (const auto& t : texts)
        EXPECT_EQ(Run(t.x, t.y, t.colour), t.width) << t.x << "," << t.y;
    EXPECT_TRUE(Pixel(10, 318) == Icon && Pixel(94, 335) == Background);   // no relation
    unit->customName = "Bob";
    Drawn([&] { unit->RenderInfoPanel("Warrior"); });
    EXPECT_EQ(Run(115, 240, White), 3 * 8);
}

// A worker's load shows the icon of its kind at (100, 310) and its amount at (140, 315); a closed mine's
// load is gold.  Its name follows its load.
TEST_F(UnitPanelPortrait, AWorkersLoadShowsItsKindsIconAndAmountAndNamesIt)
{
    const std::string texts = "UN_WORKER,\"Worker\"\nUN_WORKER_LUMBERJACK,\"Lumberjack\"\nUN_WORKER_MINER,\"Miner\"\n";
    ASSERT_TRUE(g_Localizer.LoadLocaleText("panel", texts.c_str(), int(texts.size())));
    const uint32_t icons[] = {Red, Green, Yellow};
    for (int32_t i = 0; i < 3; ++i)
        MakeImage(6 + i, 16, icons[i]);
    auto* worker = static_cast<CUnitWorker*>(World().Spawn(0, UNIT_WORKER, 5, 5));
    ASSERT_NE(worker, nullptr);
    const struct { int32_t kind, amount; uint32_t icon; int32_t digits, name; } cases[] = {
        {CUnitWorker::KindWood, 5, icons[0], 1, 10}, {CUnitWorker::KindStone, 10, icons[1], 2, 5},
        {CUnitWorker::KindGold, 20, icons[2], 2, 5},  {CUnitWorker::KindClosedMine, 3, icons[2], 1, 5},
        {CUnitWorker::KindWood, 0, Background, 0, 6}};
    for (const auto& c : cases)
    {
        worker->carriedKind = c.kind;
        worker->carriedAmount = c.amount;
        Drawn([&] { worker->RenderDetailsOnPanel(); });
        EXPECT_TRUE(Pixel(108, 318) == c.icon && Run(140, 315, White) == (8 * c.digits)) << c.kind << " " << c.amount;
        EXPECT_EQ(Run(115, 240, White), 8 * c.name) << c.kind << " " << c.amount;
    }
    g_Localizer.Clear();
}

TEST_F(UnitPanelPortrait, OtherPlayersUnitsShowTheirRelationAndNoStats)
{
    const struct { int32_t ownerType; bool allied; uint32_t colour; int32_t width; } cases[] = {
        {PLAYER_COMPUTER, false, 0xFF4040, 3 * 8}, {PLAYER_COMPUTER, true, Green, 4 * 8},
        {PLAYER_NONE, false, Yellow, 7 * 8},       {PLAYER_DEFEATED, false, 0xFF4040, 6 * 8},
        {PLAYER_REMOTE, true, Green, 4 * 8}};
    CPanelTestUnit* unit = Unit(1, 8, 8);
    World().Player(1).name = "Bert";
    for (const auto& c : cases)
    {
        World().Player(1).type = c.ownerType;
        World().Player(0).allied[1] = c.allied ? 1 : 0;
        Drawn([&] { unit->RenderInfoPanel("Warrior"); });
        EXPECT_EQ(Run(90, 330, c.colour), c.width) << c.ownerType;
        EXPECT_TRUE(Run(5, 289, White) == 0 && Pixel(10, 318) == Background && Run(115, 260, Yellow) == (4 * 8));
    }
}

namespace
{
std::string Address(const void* object)
{
    return std::to_string(reinterpret_cast<uintptr_t>(object));
}

class CNamedBuilding : public CBuilding
{
public:
    CNamedBuilding() : CBuilding(12, 34, 1) {}
    const char* GetName() const override { return "Barracks"; }
};
} // namespace

class UnitPanelDebugOutput : public ::testing::Test
{
protected:
    void TearDown() override { unit->targetBuilding = unit->actionTargetBuilding = nullptr; }

    CSimHarness world;
    CUnit* unit = world.Adopt(0, new CPanelTestUnit(), 7, 9);
    CUnit* other = world.Adopt(1, new CPanelTestUnit(), 20, 20);
    CNamedBuilding building;
};

TEST_F(UnitPanelDebugOutput, ThePanelListsTheUnitsStateInTwoColumns)
{
    unit->formationOffsetX = -1;
    unit->routeEnd = 14;
    unit->moveDestX = 30;
    unit->targetX = 40;
    unit->lastOrder = 2;
    unit->currentCommand = 4;
    unit->ready = 0;
    unit->threaded = 1;
    unit->targetUnit = other;
    unit->targetKind = 1;
    unit->deadline = 3000000000u;
    unit->animType = ANIM_WIND_DOWN;
    unit->animFrame = 12.75f;
    unit->facing = 225;
    unit->health = 87.9f;
    unit->starvation = 12.5f;
    unit->networkRef = 12345;
    unit->uniqueId = 77;
    const std::vector<std::string> expected = {
        "---===( UNIT General )===---", "Pos:7,9", "Not moving", "Formation offest:-1,0",
        "---===( Current move )===---", "Move step num:14", "Current move step:0", "Move destination:30,0",
        "Move count:0", "Move timeout:0", "---===( Action buffer )===---", "Block:40,0", "Buffer state:0",
        "Last order:Patrol", "Defense block:-1,0", "Current command:Other command = 4", "Disabled",
        "Threaded move", "Close action", "Building:0", "Resource:0", "Unit:" + Address(other) + " - Warrior",
        "Target type:Unit", "Timeout:3000000000", "---===( Animation )===---", "Anim type:--Unknown--", "Model:0",
        "Frame:12", "Direction:225", "---===( Target )===---", "Target unit:0", "Target building:0 pos=,",
        "Attacker:0", "Energy:87%", "Starving:12%", "Waypoints:0", "Custom ai data:0",
        "---===( Multiplayer )===---", "Unit refid:12345", "Unique id:77"};
    const std::vector<CUnit::SDebugLine> lines = unit->GetDebugLines();
    ASSERT_EQ(lines.size(), expected.size());
    for (size_t i = 0; i < lines.size(); ++i)
    {
        const int32_t row = int32_t(i < 37 ? i : i - 37);
        EXPECT_EQ(std::string(lines[i].text), expected[i]);
        EXPECT_TRUE(lines[i].x == (i < 37 ? 270 : 650) && lines[i].y == 20 * row) << i;
    }
}

TEST_F(UnitPanelDebugOutput, TheUnitLogWritesItsLinesInOrder)
{
    CTestLog log;
    unit->centreX = 7.9f;
    unit->centreY = 9.5f;
    unit->currentCommand = 1;
    unit->waypointCount = 2;
    unit->WriteLog();
    std::vector<std::string> expected = {"#DEBUG: unit log - START", "This*=" + Address(unit), "PlayerID=0", "Pos=7,9",
                                         "CastID=0", "CastName=Warrior", "Actionbuffer.UnitCommand=1",
                                         "Actionbuffer.unit=0", "Actionbuffer.building=0", "Actionbuffer.resource=0",
                                         "move.waypointnum=2", "#DEBUG: unit log - END"};
    EXPECT_EQ(log.Lines(), expected);

    log.Clear();
    unit->targetUnit = other;
    unit->targetBuilding = &building;
    unit->WriteLog();
    expected[7] = "Actionbuffer.unit=" + Address(other) + "  - Warrior";
    expected[8] = "Actionbuffer.building=" + Address(&building) + "  - Barracks";
    expected.insert(expected.end() - 1, {"-- ActionUnit Log --", "-- ActionBuilding Log --", "#DEBUG: building log",
                                         "PlayerID=1", "Pos=12,34",
                                         "CastID=" + std::to_string(building.GetBuildCast())});
    EXPECT_EQ(log.Lines(), expected);
}
