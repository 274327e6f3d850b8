// The unit debug panel's lines and the unit log, word for word; objects are
// shown by their address as a number.

#include <string>
#include <vector>

#include "buildings/C_Building.h"
#include "tests/support/TestLog.h"
#include "tests/units/UnitPanel_Device.h"

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
                                         "PlayerID=1", "Pos=12,34", "CastID=" + std::to_string(building.GetBuildCast())});
    EXPECT_EQ(log.Lines(), expected);
}
