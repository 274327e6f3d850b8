// The 72-byte packet on the wire, the network references of units and
// buildings, and what each named game command puts into its packet.

#include <gtest/gtest.h>

#include "buildings/C_BuildingCastTable.h"
#include "tests/support/SentPackets.h"
#include "tests/support/SimHarness.h"
#include "units/C_UnitTypeTable.h"

namespace
{
// ((unique id x 16 + owner) x 256 + list index), and x x 65536 + y.
int32_t UnitRefOf(int32_t uniqueId, int32_t owner, int32_t listIndex)
{
    return (uniqueId * 16 + owner) * 256 + listIndex;
}

TEST(NetPacket, FieldsGoLittleEndianAndOnlyWholePacketsComeBack)
{
    const CNetPacket packet = CNetPacket::Make(43, 0x01020304, -2);
    uint8_t bytes[72];
    packet.ToBytes(bytes);
    const std::vector<uint8_t> head(bytes, bytes + 16);
    EXPECT_EQ(head, (std::vector<uint8_t>{43, 0, 0, 0, 0, 0, 0, 0, 4, 3, 2, 1, 0xFE, 0xFF, 0xFF, 0xFF}));
    for (size_t size : {0u, 71u, 73u})
    {
        CNetPacket out = CNetPacket::Make(7);
        EXPECT_TRUE(!CNetPacket::FromBytes(bytes, size, out) && out.Command() == 7) << size << " bytes read";
    }
    CNetPacket back{};
    ASSERT_TRUE(CNetPacket::FromBytes(bytes, 72, back));
    EXPECT_EQ(std::vector<int32_t>(back.fields, back.fields + 18), std::vector<int32_t>(packet.fields, packet.fields + 18));
    EXPECT_EQ(CNetPacket::FromFloat(100.0f), 0x42C80000);
}

class NetworkSenders : public ::testing::Test
{
protected:
    void SetUp() override
    {
        g_Config.networkRole = CMultiplayer::RoleClient;
        g_LocalPlayer = 2;
        mine = world.Spawn(2, UNIT_WARRIOR, 5, 5);
        theirs = world.Spawn(1, UNIT_WARRIOR, 9, 5);
        tower = world.Player(2).CreateBuilding(CastTower, 12, 34);
        g_MultiplayerGame.ClearSent();
    }

    CSimHarness world;
    CUnit* mine = nullptr;
    CUnit* theirs = nullptr;
    CBuilding* tower = nullptr;
};

TEST_F(NetworkSenders, ReferencesFollowTheFormulaAndFindTheirObjectsOnly)
{
    ASSERT_TRUE(mine != nullptr && theirs != nullptr && tower != nullptr);
    EXPECT_TRUE(Ref(mine) == UnitRefOf(mine->uniqueId, 2, mine->listIndex) && Ref(tower) == 12 * 65536 + 34);
    EXPECT_TRUE(Ref(static_cast<CUnit*>(nullptr)) == -1 && Ref(static_cast<CBuilding*>(nullptr)) == -1);
    CUnit probe;
    const struct { int32_t uniqueId, player, listIndex, ref; } formula[] = {
        {5, 3, 2, 21250}, {0, 0, 0, 0}, {0x7FFFF, 7, 255, 2147481599}, {0x80000, 7, 0, -1}, {-1, 0, 0, -1},
        {1, 8, 0, -1},    {1, 0, -1, 16 * 256 + 255}};
    for (const auto& row : formula)
    {
        probe.uniqueId = row.uniqueId;
        probe.player = row.player;
        probe.listIndex = row.listIndex;
        EXPECT_EQ(Ref(&probe), row.ref) << row.uniqueId;
    }
    // The owner and unique id decide; the list index is only where to look first.
    const struct { int32_t ref; const void* found; } lookups[] = {
        {Ref(mine), mine}, {UnitRefOf(mine->uniqueId, 2, 200), mine}, {UnitRefOf(theirs->uniqueId, 1, 0), theirs},
        {UnitRefOf(mine->uniqueId, 4, mine->listIndex), nullptr},
        {UnitRefOf(mine->uniqueId + 40, 2, mine->listIndex), nullptr},
        {-1, nullptr}, {-256, nullptr}, {UnitRefOf(0, 9, 0), nullptr}};
    for (const auto& row : lookups)
        EXPECT_EQ(CMultiplayer::FindUnitByRef(row.ref), row.found) << row.ref;
    EXPECT_EQ(CMultiplayer::FindBuildingByRef(12 * 65536 + 34), tower);
    for (int32_t ref : {13 * 65536 + 34, 12 * 65536 + 35, -1, 48 * 65536, 12 * 65536 + 70000})
        EXPECT_EQ(CMultiplayer::FindBuildingByRef(ref), nullptr) << ref;   // inside the footprint, or off it
}

TEST_F(NetworkSenders, EachCommandCarriesItsNumberSenderAndValuesToItsMachines)
{
    const int32_t m = Ref(mine);
    const int32_t t = Ref(theirs);
    const int32_t b = 12 * 65536 + 34;
    const int32_t all = CMultiplayer::AllMachines;
    mine->targetX = 7;
    mine->targetY = 8;
    mine->targetKind = 2;
    CMultiplayerGame& net = g_MultiplayerGame;
    // Each command with its fields (the command, then the values), the machines it goes to and its label.
    const struct { std::function<void()> send; std::vector<int32_t> fields; int32_t target; const char* label; }
        rows[] = {
        {[&] { net.SendUnitDirection(mine, 135); }, {30, m, 135}, all, nullptr},
        {[&] { net.SendUnitHealth(mine, 70.5f); }, {31, m, 0x428D0000}, all, nullptr},
        {[&] { net.SendUnitDied(mine, true); }, {32, m, 1}, all, "Unit died"},
        {[&] { net.SendUnitAnimType(mine, 2, theirs, tower); }, {34, m, 2, t, b, 7, 8, 2, 0}, all, nullptr},
        {[&] { net.SendUnitStopAction(mine); }, {35, m}, all, "Unit stop action"},
        {[&] { net.SendBuildProgress(tower, 150.0f); }, {40, b, 0x42C80000}, all, nullptr},
        {[&] { net.SendTechnologyResearched(2, 60); }, {42, 2, 60}, all, nullptr},
        {[&] { net.SendUnitAttacked(theirs, mine, 30, 8); }, {43, t, m, 30, 8}, all, nullptr},
        {[&] { net.SendBuildingAttacked(tower, nullptr, 7, 1); }, {44, b, -1, 7, 1}, all, nullptr},
        {[&] { net.SendTowerArcherTarget(mine, theirs); }, {46, m, t}, all, "Tower archer new target"},
        {[&] { net.SendTowerArcherIdle(mine); }, {47, m}, all, "Tower archer idle"},
        {[&] { net.SendMagicCast(mine, 52, 10, 11); }, {48, m, 52, 10, 0, 11}, all, nullptr},
        {[&] { net.SendTrapActivated(tower, theirs); }, {54, b, t}, all, "Trap activated"},
        {[&] { net.SendTrapDestroyed(tower, theirs); }, {55, b, t}, all, "Trap destroyed"},
        {[&] { net.RequestMoveStep(mine, 6, 5, 90, 2); }, {57, m, 6, 5, 90, 2}, 0, nullptr},
        {[&] { net.RequestUnload(mine, theirs); }, {70, m, t}, 0, nullptr},
        {[&] { net.RequestConvertUnit(mine, theirs); }, {73, m, t}, 0, nullptr},
        {[&] { net.SendUnitConverted(mine, theirs, 9); }, {74, m, t, 9}, all, nullptr},
        {[&] { net.SendConvertBuilding(mine, tower); }, {75, m, b}, 0, nullptr},
        {[&] { net.SendBuildingConverted(mine, tower); }, {76, m, b}, all, nullptr},
    };
    for (const auto& row : rows)
    {
        net.ClearSent();
        row.send();
        ASSERT_EQ(net.GetSent().size(), 1u) << row.fields[0];
        const CMultiplayer::SSentPacket& sent = net.GetSent()[0];
        std::vector<int32_t> expected = row.fields;
        expected.insert(expected.begin() + 1, 2);   // the sending machine's slot
        expected.resize(18, 0);
        EXPECT_EQ(std::vector<int32_t>(sent.packet.fields, sent.packet.fields + 18), expected) << row.fields[0];
        EXPECT_EQ(sent.target, row.target) << row.fields[0];
        EXPECT_EQ(std::string(sent.label ? sent.label : "-"), std::string(row.label ? row.label : "-"));
    }
}
}  // namespace
