#include <gtest/gtest.h>

#include <cmath>

#include "buildings/C_BuildingCastTable.h"
#include "tests/support/SaveGameRun.h"
#include "tests/support/SentPackets.h"
#include "tests/support/SimHarness.h"
#include "tests/support/TestLog.h"
#include "units/C_UnitActionBuffer.h"
#include "units/C_UnitTypeTable.h"
#include "units/C_Unit_TransportShip.h"
#include "world/C_GameMap.h"

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
    const int32_t m = Ref(mine), t = Ref(theirs), b = 12 * 65536 + 34, all = CMultiplayer::AllMachines;
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
        {[&] { net.SendMagicCast(mine, 52, 10.5f, 0.0f, 11.5f); }, {48, m, 52, 0x41280000, 0, 0x41380000}, all, nullptr},
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

constexpr int32_t Host = 0;
constexpr int32_t Client = 1;
constexpr int32_t Defeated = 3;
constexpr int32_t ShipX = 20;   // the ship covers 20..22 x 4..6, on water from x 20 on
constexpr int32_t ShipY = 4;

// What a machine knows of a unit, keyed by owner and unique id.
using SUnitState = std::tuple<int32_t, int32_t, float, int32_t, int32_t, bool, bool, int32_t>;
using SWorldState = std::map<std::pair<int32_t, int32_t>, SUnitState>;

SWorldState Snapshot()
{
    SWorldState state;
    for (int32_t p = 0; p < MaxPlayers; ++p)
        for (int32_t i = 0; i < g_Players[p].unitCount; ++i)
        {
            const CUnit* u = g_Players[p].units[i];
            state[{p, u->uniqueId}] = {u->x, u->y, u->health, u->facing, u->animType, u->onMap != 0, u->IsDying(),
                                       u->tornApart};
        }
    return state;
}

CUnit* At(int32_t x, int32_t y)
{
    return g_GameMap.Block(x, y).unit;
}

class TwoMachines : public ::testing::Test
{
protected:
    TwoMachines() : world(32)
    {
        SetPlayerServices(&walkers);
        CSaveGameRun::UseSaveLanguage();
        // Deep water from the ship's column east (a loaded map works the levels out from the corners).
        for (int32_t x = ShipX + 1; x <= 32; ++x)
            for (int32_t y = 0; y <= 32; ++y)
                g_GameMap.CornerHeight(x, y) = -30;
        g_GameMap.UpdateArea(0, 0, -1, -1);
        world.Player(Defeated).type = PLAYER_DEFEATED;
        world.Spawn(Host, UNIT_WARRIOR, 5, 5);        // walks east into the defeated unit's reach
        world.Spawn(Defeated, UNIT_WARRIOR, 10, 5);   // taken over on contact
        world.Spawn(Host, UNIT_WARRIOR, 5, 10);       // hit
        world.Spawn(Host, UNIT_WARRIOR, 5, 12);       // killed
        world.Spawn(Client, UNIT_WARRIOR, 5, 14);     // the client's own
        auto* ship = static_cast<CUnitTransportShip*>(world.Spawn(Host, UNIT_TRANSPORTSHIP, ShipX, ShipY));
        CUnit* passenger = world.Spawn(Host, UNIT_WARRIOR, -1, -1);
        EXPECT_TRUE(ship != nullptr && passenger != nullptr && ship->AcceptGarrison(passenger));
        start = CSaveGameRun::Save();
    }

    // The host's game (the walk, the hits, the unloading) and its packets for the client (to all or to slot 1) in order.
    std::vector<CNetPacket> PlayHost()
    {
        EXPECT_TRUE(world.Load(start));
        g_Config.networkRole = CMultiplayer::RoleHost;
        g_LocalPlayer = Host;
        g_MultiplayerGame.ClearSent();
        CUnit* walker = At(5, 5);
        walker->onCommand(nullptr, nullptr, nullptr, 9, 5, CMD_MOVE_TO);
        for (int32_t frame = 0; frame < 80 && walker->x != 9; ++frame)
            world.Frame(1);
        EXPECT_EQ(At(10, 5)->player, Host);
        At(5, 10)->TakeHit(walker, 30, DAMAGE_BLADE, false);
        At(5, 12)->TakeHit(walker, 100000, DAMAGE_BLAST, false);
        At(5, 14)->TakeHit(walker, 20, DAMAGE_BLADE, false);
        static_cast<CUnitTransportShip*>(At(ShipX, ShipY))->UnloadAll();
        std::vector<CNetPacket> forClient;
        for (const CMultiplayer::SSentPacket& sent : g_MultiplayerGame.GetSent())
            if (sent.target == CMultiplayer::AllMachines || sent.target == Client)
                forClient.push_back(sent.packet);
        return forClient;
    }

    void BecomeClient()
    {
        ASSERT_TRUE(world.Load(start));
        g_Config.networkRole = CMultiplayer::RoleClient;
        g_LocalPlayer = Client;
    }

    CSimHarness world;
    CSaveGameRun::CWalkerServices walkers;
    std::vector<uint8_t> start;
};

TEST_F(TwoMachines, TheClientAgreesWithTheHostOnMovedHitKilledTakenAndUnloadedUnits)
{
    const std::vector<CNetPacket> packets = PlayHost();
    SWorldState host = Snapshot();
    ASSERT_EQ(SentCommands(CMultiplayerGame::CommandUnitUnloaded), 1);
    BecomeClient();
    CUnit* passenger = static_cast<CUnitTransportShip*>(At(ShipX, ShipY))->GetCargo(0);
    CTestLog log;
    for (const CNetPacket& packet : packets)
        g_MultiplayerGame.OnGamePacket(packet);
    EXPECT_FALSE(log.Contains("#DEBUG: breakpoint reached"));   // nothing the host sent is refused
    SWorldState client = Snapshot();
    // The client owns its unit: the host's copy keeps its health until the
    // owner tells, the owner applies 20 of 50 hit points.
    const auto own = std::find_if(client.begin(), client.end(), [](auto& u) { return u.first.first == Client; });
    ASSERT_NE(own, client.end());
    EXPECT_FLOAT_EQ(std::get<2>(host[own->first]), 100.0f);
    EXPECT_FLOAT_EQ(std::get<2>(own->second), 60.0f);
    host.erase(own->first);
    client.erase(own->first);
    EXPECT_EQ(client, host);
    // What the states hold, worked out from the moves and hits themselves.
    EXPECT_TRUE(At(9, 5)->player == Host && At(10, 5)->player == Host);
    EXPECT_FLOAT_EQ(At(5, 10)->health, 40.0f);
    EXPECT_TRUE(At(5, 12)->IsDying() && At(5, 12)->tornApart == 1);
    EXPECT_EQ(static_cast<CUnitTransportShip*>(At(ShipX, ShipY))->GetCargoCount(), 0);
    EXPECT_TRUE(passenger->onMap && passenger->x == ShipX - 1);
}

TEST_F(TwoMachines, HostilePacketsAreDroppedWithACheckReportAndTheirBoundsStillPass)
{
    PlayHost();
    BecomeClient();
    CUnit* walker = At(5, 5);
    CUnit* ship = At(ShipX, ShipY);
    const int32_t w = Ref(walker), s = Ref(ship), hit = Ref(At(5, 10)), own = Ref(At(5, 14)), dead = Ref(At(5, 12));
    const int32_t passenger = Ref(static_cast<CUnitTransportShip*>(ship)->GetCargo(0));
    At(5, 12)->RemoveFromWorld(false);
    const auto bits = [](float value) { return CNetPacket::FromFloat(value); };
    const auto from = [](int32_t sender, CNetPacket packet) {
        packet.fields[CNetPacket::SenderField] = sender;
        return packet;
    };
    const struct { CNetPacket packet; int32_t role; const char* report; } rows[] = {   // report null: applied
        {CNetPacket::Make(30, w, 359), 2, nullptr},
        {CNetPacket::Make(30, w, 360), 2, "#DEBUG: Network packet value out of range"},
        {CNetPacket::Make(30, w, -1), 2, "#DEBUG: Network packet value out of range"},
        {CNetPacket::Make(31, hit, bits(50.0f)), 2, nullptr},
        {CNetPacket::Make(31, hit, bits(100.0f)), 2, nullptr},
        {CNetPacket::Make(31, hit, bits(100.5f)), 2, "#DEBUG: Network packet value out of range"},
        {CNetPacket::Make(31, hit, bits(0.0f)), 2, "#DEBUG: Network packet value out of range"},
        {CNetPacket::Make(31, hit, bits(0.5f)), 2, "#DEBUG: Network packet value out of range"},
        {CNetPacket::Make(31, hit, bits(NAN)), 2, "#DEBUG: Network packet value out of range"},
        {CNetPacket::Make(32, w, 2), 2, "#DEBUG: Network packet value out of range"},
        {CNetPacket::Make(34, w, 14, -1, -1, 5, 5, 0, 0), 2, "#DEBUG: Network packet value out of range"},
        {CNetPacket::Make(34, w, 1, -1, -1, 5, 5, 5, 0), 2, "#DEBUG: Network packet value out of range"},
        {CNetPacket::Make(34, w, 1, -1, -1, 32, 5, 0, 0), 2, "#DEBUG: Network packet value out of range"},
        {CNetPacket::Make(43, own, -1, 10, 9), 2, nullptr},
        {CNetPacket::Make(43, own, -1, 10, 10), 2, "#DEBUG: Network packet value out of range"},
        {CNetPacket::Make(43, own, -1, 10, 0), 2, "#DEBUG: Network packet value out of range"},
        {CNetPacket::Make(43, own, -1, 10, 1), 2, nullptr},
        {CNetPacket::Make(43, own, -1, -1, 1), 2, "#DEBUG: Network packet value out of range"},
        {CNetPacket::Make(43, dead, -1, 10, 1), 2, "#DEBUG: Network packet names a dead unit"},
        {CNetPacket::Make(43, w + 40 * 4096, -1, 10, 1), 2, "#DEBUG: Network packet names no unit"},
        {CNetPacket::Make(44, 3 * 65536 + 3, -1, 10, 1), 2, "#DEBUG: Network packet names no building"},
        {CNetPacket::Make(58, w, 6, 5, 90, 2, 3), 2, "#DEBUG: Network packet value out of range"},
        {CNetPacket::Make(58, w, 6, 5, 90, 8, 0), 2, "#DEBUG: Network packet value out of range"},
        {CNetPacket::Make(71, w, passenger, 19, 4), 2, "#DEBUG: Network packet names a unit of the wrong type"},
        {CNetPacket::Make(71, s, passenger, 32, 4), 2, "#DEBUG: Network packet value out of range"},
        {CNetPacket::Make(71, s, passenger, -1, 4), 2, "#DEBUG: Network packet value out of range"},
        {CNetPacket::Make(71, s, passenger, 19, 4), 2, nullptr},
        {CNetPacket::Make(57, w, 6, 5, 90, 2), 2, "#DEBUG: Network packet meant for the host"},
        {CNetPacket::Make(70, s, passenger), 2, "#DEBUG: Network packet meant for the host"},
        {CNetPacket::Make(70, w, passenger), 1, "#DEBUG: Network packet names a unit of the wrong type"},
        {CNetPacket::Make(72, s, passenger), 2, "#DEBUG: Network packet names another machine's object"},
        {CNetPacket::Make(33, w), 2, nullptr},
        {CNetPacket::Make(45, w), 2, "#DEBUG: Network packet of an unknown command"},
        {CNetPacket::Make(30, w, 90), 0, "#DEBUG: Network packet in a single player game"},
        // Senders: another machine's unit, this machine or none, not the host.
        {from(2, CNetPacket::Make(30, w, 6, 5, 90, 2, 0)), 2, "#DEBUG: Network packet names another machine's object"},
        {from(Client, CNetPacket::Make(30, w, 6, 5, 90, 2, 0)), 2, "#DEBUG: Network packet from no other machine"},
        {from(8, CNetPacket::Make(30, w, 6, 5, 90, 2, 0)), 2, "#DEBUG: Network packet from no other machine"},
        {from(2, CNetPacket::Make(58, w, 6, 5, 90, 2, 0)), 2, "#DEBUG: Network packet not sent by the host"},
    };
    CTestLog log;
    for (const auto& row : rows)
    {
        g_Config.networkRole = row.role;
        log.Clear();
        const SWorldState before = Snapshot();
        g_MultiplayerGame.OnGamePacket(row.packet);
        SCOPED_TRACE(testing::Message() << row.packet.Command() << " from " << row.packet.Sender() << " naming "
                                        << row.packet.Value(1));
        EXPECT_EQ(Snapshot() == before, row.report != nullptr);
        EXPECT_EQ(log.Contains(row.report ? row.report : "#DEBUG: breakpoint reached"), row.report != nullptr);
    }
    g_Config.networkRole = CMultiplayer::RoleClient;
    // Bytes: only a whole packet is read.
    uint8_t bytes[73] = {};
    CNetPacket::Make(30, w, 45).ToBytes(bytes);
    log.Clear();
    g_MultiplayerGame.OnGamePacket(bytes, 71);
    EXPECT_TRUE(log.Contains("#DEBUG: Network packet of the wrong size") && walker->facing != 45);
    g_MultiplayerGame.OnGamePacket(bytes, 72);
    EXPECT_EQ(walker->facing, 45);
}
}  // namespace


