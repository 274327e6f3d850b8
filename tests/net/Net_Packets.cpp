#include <gtest/gtest.h>

#include <cmath>
#include <span>

#include "buildings/C_BuildingCastTable.h"
#include "buildings/C_BuildingKeep.h"
#include "buildings/C_BuildingTower.h"
#include "game/C_ObjectLinks.h"
#include "tests/support/SaveGameRun.h"
#include "tests/support/SentPackets.h"
#include "tests/support/SimHarness.h"
#include "tests/support/TestLog.h"
#include "units/C_UnitActionBuffer.h"
#include "units/C_UnitTypeTable.h"
#include "units/C_Unit_King.h"
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

constexpr int32_t Host = 0;
constexpr int32_t Client = 1;
constexpr int32_t Defeated = 3;
constexpr int32_t ShipX = 20;   // the ship covers 20..22 x 4..6, on water from x 20 on
constexpr int32_t ShipY = 4;

// What a machine knows of a unit (keyed by owner and unique id), tower archers included, and of the
// buildings its players list (keyed by reference and -1 - owner).
using SUnitState = std::tuple<int32_t, int32_t, float, int32_t, int32_t, bool, bool, int32_t>;
using SWorldState = std::map<std::pair<int32_t, int32_t>, SUnitState>;

SWorldState Snapshot()
{
    SWorldState state;
    const auto add = [&state](const CUnit* u) {
        state[{u->player, u->uniqueId}] = {u->x, u->y, u->health, u->facing, u->animType, u->onMap != 0,
                                           u->IsDying(), u->tornApart};
    };
    for (int32_t p = 0; p < MaxPlayers; ++p)
    {
        std::for_each(g_Players[p].units, g_Players[p].units + g_Players[p].unitCount, add);
        for (int32_t i = 0; i < g_Players[p].towerArchers.GetCount(); ++i)
            add(g_Players[p].towerArchers[i]);
        for (const CBuilding* b : std::span(g_Players[p].buildings, size_t(g_Players[p].buildingCount)))
            state[{Ref(b), -1 - p}] = {b->owner, 0, b->health, 0, 0, false, false, 0};
    }
    return state;
}

CUnit* At(int32_t x, int32_t y)
{
    return g_GameMap.Block(x, y).unit;
}

// Slot 2 is the other client's machine, 3 a defeated player's slot, 4 an empty one and 5 a computer player's.
class NetWorld : public ::testing::Test
{
protected:
    NetWorld() : world(32)
    {
        CSaveGameRun::UseSaveLanguage();
        // Deep water from the ship's column east (a loaded map works the levels out from the corners).
        for (int32_t x = ShipX + 1; x <= 32; ++x)
            for (int32_t y = 0; y <= 32; ++y)
                g_GameMap.CornerHeight(x, y) = -30;
        g_GameMap.UpdateArea(0, 0, -1, -1);
        world.Player(2).type = PLAYER_REMOTE;
        world.Player(Defeated).type = PLAYER_DEFEATED;
        world.Player(4).type = PLAYER_NONE;
    }
    CUnitTransportShip* Ship(int32_t player, int32_t x, int32_t y, std::initializer_list<int32_t> cargo)
    {
        auto* ship = static_cast<CUnitTransportShip*>(world.Spawn(player, UNIT_TRANSPORTSHIP, x, y));
        for (int32_t type : cargo)
            EXPECT_TRUE(ship->AcceptGarrison(world.Spawn(player, type, -1, -1)));
        return ship;
    }

    CSimHarness world;
    std::vector<uint8_t> start;
};

class TwoMachines : public NetWorld
{
protected:
    TwoMachines()
    {
        SetPlayerServices(&walkers);
        world.Spawn(Host, UNIT_WARRIOR, 5, 5);        // walks east into the defeated unit's reach
        world.Spawn(Defeated, UNIT_WARRIOR, 10, 5);   // taken over on contact
        world.Spawn(Host, UNIT_WARRIOR, 5, 10);       // hit
        world.Spawn(Host, UNIT_WARRIOR, 5, 12);       // killed
        world.Spawn(Client, UNIT_WARRIOR, 5, 14);     // the client's own
        Ship(Host, ShipX, ShipY, {UNIT_WARRIOR});
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

    CSaveGameRun::CWalkerServices walkers;
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

// The other machines' world as this client (slot 1) has it, or the host: units on the map, aboard, in a tower,
// a keep or a mine, waiting in a barracks; a trap and houses.  In packets a name stands for its reference
// (R), unique id (Id) or facing (F).
class WorldPackets : public NetWorld
{
protected:
    enum EName { W, V2, L, D, S, P, Pw, S2, C2, U2, A2, King, Wm, B2, T2, Trap, K0, DB, H1 };
    static constexpr int32_t R(EName n) { return -1000 - n; }
    static constexpr int32_t Id(EName n) { return -2000 - n; }
    static constexpr int32_t F(EName n) { return -3000 - n; }

    WorldPackets()
    {
        for (const auto& [player, x, y] : {std::tuple{Host, 5, 5}, {2, 6, 6}, {Client, 5, 14}, {Defeated, 10, 5}})
            world.Spawn(player, UNIT_WARRIOR, x, y);
        Ship(Host, ShipX, ShipY, {UNIT_WARRIOR, UNIT_WORKER});
        Ship(2, 24, 12, {UNIT_WARRIOR});
        for (const auto& [player, cast, x, y] : {std::tuple{2, CastBarracks, 8, 20}, {2, CastTower, 14, 20},
                                                 {Host, CastKeep, 1, 26}, {Defeated, CastHouse, 1, 1},
                                                 {Client, CastHouse, 1, 8}, {2, CastTrap, 16, 14}})
            world.Player(player).CreateBuilding(cast, x, y)->Construct(0.0f, true);
        BuildingAt(8, 20)->productionUnit = world.Spawn(2, UNIT_WARRIOR, -1, -1);
        EXPECT_TRUE(world.Spawn(Host, UNIT_KING, 6, 28)->EnterBuilding(BuildingAt(1, 26)));
        world.Spawn(Host, UNIT_WORKER, -1, -1);   // in a mine
        start = CSaveGameRun::Save();
    }
    static CBuilding* BuildingAt(int32_t x, int32_t y) { return g_GameMap.Block(x, y).building; }
    void Name()
    {
        auto* ship = static_cast<CUnitTransportShip*>(At(ShipX, ShipY));
        auto* other = static_cast<CUnitTransportShip*>(At(24, 12));
        const CPlayer& host = g_Players[Host];
        units = {At(5, 5), At(6, 6), At(5, 14), At(10, 5), ship, ship->GetCargo(0), ship->GetCargo(1), other,
                 other->GetCargo(0), BuildingAt(8, 20)->productionUnit,
                 static_cast<CBuildingTower*>(BuildingAt(14, 20))->archers[0],
                 static_cast<CBuildingKeep*>(BuildingAt(1, 26))->GetKing(),
                 *std::find_if(host.units, host.units + host.unitCount, [ship](const CUnit* u) {
                     return !u->onMap && u->GetCastID() == UNIT_WORKER && u != ship->GetCargo(1);
                 })};
        buildings = {BuildingAt(8, 20), BuildingAt(14, 20), BuildingAt(16, 14), BuildingAt(1, 26), BuildingAt(1, 1),
                     BuildingAt(1, 8)};
    }
    CUnit* N(EName name) const { return units.at(name); }
    CBuilding* NB(EName name) const { return buildings.at(name - B2); }
    CNetPacket Resolved(CNetPacket packet) const
    {
        for (int32_t& v : std::span(packet.fields + CNetPacket::FirstValueField, CNetPacket::kMaxValues))
        {
            const auto name = static_cast<EName>(-v % 1000);
            if (v <= R(W) && v > F(W) - 1000)
                v = v > Id(W) ? (name < B2 ? Ref(N(name)) : Ref(NB(name)))
                              : (v > F(W) ? N(name)->uniqueId : N(name)->facing);
        }
        return packet;
    }
    // Each row on the world as it started, as the client (role 2) or the host (role 1): the packet, after
    // the prelude's, is dropped with its report and changes nothing, or it is applied and changes the world
    // (as `then` says); the world stays sound, a frame later as well, and its save loads.
    struct SRow
    {
        CNetPacket packet;
        int32_t role;
        const char* report;
        std::function<bool()> then = nullptr;
        CNetPacket prelude = {};
    };
    void Expect(const std::vector<SRow>& rows)
    {
        CTestLog log;
        for (const SRow& row : rows)
        {
            ASSERT_TRUE(world.Load(start));
            Name();
            g_Config.networkRole = row.role;
            g_LocalPlayer = row.role == CMultiplayer::RoleHost ? Host : Client;
            g_MultiplayerGame.OnGamePacket(Resolved(row.prelude));
            log.Clear();
            g_MultiplayerGame.ClearSent();
            markers = world.Markers().size();
            const SWorldState before = Snapshot();
            g_MultiplayerGame.OnGamePacket(Resolved(row.packet));
            SCOPED_TRACE(testing::Message() << row.packet.Command() << " from " << row.packet.Sender() << ": "
                                            << row.packet.Value(0) << ", " << row.packet.Value(1));
            EXPECT_TRUE(row.then ? row.then() : (Snapshot() == before) == (row.report != nullptr));
            EXPECT_EQ(log.Contains(row.report ? row.report : "#DEBUG: breakpoint reached"), row.report != nullptr) << log.Contents();
            for (int32_t frame = 0; frame < 2; ++frame, world.Frame(1))
            {
                EXPECT_EQ(world.CheckInvariants(), std::vector<std::string>{});
                EXPECT_STREQ(CObjectLinks().FindFault(), nullptr);
            }
            EXPECT_TRUE(world.Load(CSaveGameRun::Save()));
        }
    }
    size_t NewMarkers() const { return world.Markers().size() - markers; }

    std::vector<CUnit*> units;
    std::vector<CBuilding*> buildings;
    size_t markers = 0;
};

CNetPacket From(int32_t sender, CNetPacket packet)
{
    packet.fields[CNetPacket::SenderField] = sender;
    return packet;
}

constexpr int32_t OnClient = CMultiplayer::RoleClient;
constexpr int32_t OnHost = CMultiplayer::RoleHost;

TEST_F(WorldPackets, HostilePacketsAreDroppedWithACheckReportAndTheirBoundsStillPass)
{
    using M = CNetPacket;
    const auto bits = [](float value) { return CNetPacket::FromFloat(value); };
    const char* range = "#DEBUG: Network packet value out of range";
    Expect({
        {M::Make(30, R(W), 359), OnClient, nullptr},
        {M::Make(30, R(W), 360), OnClient, range},
        {M::Make(30, R(W), -1), OnClient, range},
        {M::Make(31, R(W), bits(50.0f)), OnClient, nullptr},
        {M::Make(31, R(W), bits(100.0f)), OnClient, nullptr, nullptr, M::Make(31, R(W), bits(50.0f))},
        {M::Make(31, R(W), bits(100.5f)), OnClient, range},
        {M::Make(31, R(W), bits(0.0f)), OnClient, range},
        {M::Make(31, R(W), bits(0.5f)), OnClient, range},
        {M::Make(31, R(W), bits(NAN)), OnClient, range},
        {M::Make(32, R(W), 2), OnClient, range},
        {M::Make(34, R(W), 14, -1, -1, 5, 5, 0, 0), OnClient, range},
        {M::Make(34, R(W), 1, -1, -1, 5, 5, 5, 0), OnClient, range},
        {M::Make(34, R(W), 1, -1, -1, 32, 5, 0, 0), OnClient, range},
        {M::Make(43, R(L), -1, 10, 9), OnClient, nullptr},
        {M::Make(43, R(L), -1, 10, 10), OnClient, range},
        {M::Make(43, R(L), -1, 10, 0), OnClient, range},
        {M::Make(43, R(L), -1, 10, 1), OnClient, nullptr},
        {M::Make(43, R(L), -1, -1, 1), OnClient, range},
        {M::Make(43, R(W), -1, 10, 1), OnClient, "#DEBUG: Network packet names a dead unit", nullptr,
         M::Make(32, R(W), 0)},
        {M::Make(43, UnitRefOf(4000, Host, 0), -1, 10, 1), OnClient, "#DEBUG: Network packet names no unit"},
        {M::Make(44, 3 * 65536 + 3, -1, 10, 1), OnClient, "#DEBUG: Network packet names no building"},
        {M::Make(58, R(W), 6, 5, 90, 2, 3), OnClient, range},
        {M::Make(58, R(W), 6, 5, 90, 8, 0), OnClient, range},
        {M::Make(71, R(W), R(P), 19, 4), OnClient, "#DEBUG: Network packet names a unit of the wrong type"},
        {M::Make(71, R(S), R(P), 32, 4), OnClient, range},
        {M::Make(71, R(S), R(P), -1, 4), OnClient, range},
        {M::Make(71, R(S), R(P), 19, 4), OnClient, nullptr},
        {M::Make(57, R(W), 6, 5, 90, 2), OnClient, "#DEBUG: Network packet meant for the host"},
        {M::Make(70, R(S), R(P)), OnClient, "#DEBUG: Network packet meant for the host"},
        {From(2, M::Make(70, R(V2), R(C2))), OnHost, "#DEBUG: Network packet names a unit of the wrong type"},
        {M::Make(72, R(S), R(P)), OnClient, "#DEBUG: Network packet names another machine's object"},
        {M::Make(33, R(W)), OnClient, nullptr},
        {M::Make(45, R(W)), OnClient, "#DEBUG: Network packet of an unknown command"},
        {M::Make(30, R(W), 90), 0, "#DEBUG: Network packet in a single player game"},
        // Senders: another machine's unit, this machine or none, not the host.
        {From(2, M::Make(30, R(W), 90)), OnClient, "#DEBUG: Network packet names another machine's object"},
        {From(Client, M::Make(30, R(W), 90)), OnClient, "#DEBUG: Network packet from no other machine"},
        {From(8, M::Make(30, R(W), 90)), OnClient, "#DEBUG: Network packet from no other machine"},
        {From(2, M::Make(58, R(W), 5, 4, 180, 0, 0)), OnClient, "#DEBUG: Network packet not sent by the host"},
    });
    // Bytes: only a whole packet is read.
    ASSERT_TRUE(world.Load(start));
    g_Config.networkRole = OnClient;
    g_LocalPlayer = Client;
    CUnit* walker = At(5, 5);
    uint8_t bytes[73] = {};
    CNetPacket::Make(30, Ref(walker), 45).ToBytes(bytes);
    CTestLog log;
    g_MultiplayerGame.OnGamePacket(bytes, 71);
    EXPECT_TRUE(log.Contains("#DEBUG: Network packet of the wrong size") && walker->facing != 45);
    g_MultiplayerGame.OnGamePacket(bytes, 72);
    EXPECT_EQ(walker->facing, 45) << log.Contents();
}

TEST_F(WorldPackets, PacketsThatTheWorldHereContradictsAreDroppedAndTheirLegitimateShapesApplied)
{
    using M = CNetPacket;
    const char* offMap = "#DEBUG: Network packet names a unit off the map";
    const char* notAboard = "#DEBUG: Network packet names a unit the ship does not carry";
    const char* noStand = "#DEBUG: Network packet puts a unit where it cannot stand";
    const char* held = "#DEBUG: Network packet names a unit a building holds";
    const char* idTaken = "#DEBUG: Network packet gives a unique id that a unit has";
    const char* noCapture = "#DEBUG: Network packet names an object no capture may take";
    const char* noMachine = "#DEBUG: Network packet from no other machine";
    const char* raised = "#DEBUG: Network packet raises a destroyed building";
    const auto ship = [this](EName name) { return static_cast<CUnitTransportShip*>(N(name)); };
    const CNetPacket razed = M::Make(44, R(T2), R(W), 100000, 4), fallen = M::Make(32, R(W), 0);
    Expect({
        // Targets, and units put on blocks.
        {M::Make(34, R(W), 2, R(P), -1, 20, 4, 1, 0), OnClient, offMap},
        {M::Make(34, R(W), 2, R(U2), -1, 8, 20, 1, 0), OnClient, offMap},
        {M::Make(34, R(W), 2, R(L), -1, 5, 14, 1, 0), OnClient, nullptr, [&] { return N(W)->targetUnit == N(L); }},
        {From(2, M::Make(46, R(A2), R(P))), OnClient, offMap},
        {From(2, M::Make(46, R(A2), R(King))), OnClient, offMap},
        {From(2, M::Make(46, R(A2), R(L))), OnClient, nullptr, [&] { return N(A2)->actionTargetUnit == N(L); }},
        {M::Make(61, R(Pw), 7, 8), OnClient, "#DEBUG: Network packet names a worker that is in no mine"},
        {M::Make(61, R(Wm), 5, 5), OnClient, noStand},
        {M::Make(61, R(Wm), 28, 28), OnClient, noStand},
        {M::Make(61, R(Wm), 7, 8), OnClient, nullptr, [&] { return N(Wm)->onMap && At(7, 8) == N(Wm); }},
        {M::Make(71, R(S), R(C2), 19, 8), OnClient, notAboard},
        {M::Make(71, R(S), R(King), 19, 8), OnClient, notAboard},
        {M::Make(71, R(S), R(P), 5, 5), OnClient, noStand},
        {M::Make(71, R(S), R(P), 28, 28), OnClient, noStand},
        {M::Make(71, R(S), R(Wm), 19, 8), OnClient, nullptr, [&] { return At(19, 8) == N(Wm); }},   // nothing holds it
        {M::Make(71, R(S), R(P), 19, 8), OnClient, nullptr, [&] { return At(19, 8) == N(P) && !ship(S)->IsCarrying(N(P)); }},
        {From(2, M::Make(70, R(S2), R(U2))), OnHost, notAboard},
        {From(2, M::Make(70, R(S2), R(A2))), OnHost, notAboard},
        {From(2, M::Make(70, R(S2), R(P))), OnHost, notAboard},
        {From(2, M::Make(70, R(S2), R(C2))), OnHost, nullptr, [] { return SentCommands(71) + SentCommands(72) == 1; }},
        {M::Make(58, R(W), 6, 6, F(W), 3, 0), OnClient, "#DEBUG: Network packet steps onto a held block",
         [&] { return N(W)->x == 5 && N(W)->retryCounter == 1 && At(6, 6) == N(V2); }},
        {M::Make(58, R(W), 5, 4, 180, 0, 0), OnClient, nullptr, [&] { return At(5, 4) == N(W); }},
        {M::Make(68, R(B2), R(U2), 5, 5), OnClient, noStand},
        {M::Make(68, R(B2), R(U2), 28, 28), OnClient, noStand},
        {M::Make(68, R(B2), R(U2), 14, 10), OnClient, nullptr, [&] { return At(14, 10) == N(U2); }},
        // Deaths.
        {From(2, M::Make(32, R(A2), 0)), OnClient, held},
        {From(2, M::Make(32, R(U2), 0)), OnClient, held},
        {M::Make(32, R(P), 0), OnClient, nullptr, [&] { return N(P)->IsDying() && ship(S)->GetCargoCount() == 1; }},
        {M::Make(32, R(King), 0), OnClient, nullptr, [&] { return NB(K0)->garrisonedUnit == nullptr; }},
        {M::Make(54, R(Trap), R(P)), OnClient, offMap},
        {M::Make(54, R(Trap), R(L)), OnClient, nullptr, [&] { return N(L)->IsDying(); }},
        {M::Make(34, R(W), 5, -1, -1, 5, 5, 0, 0), OnClient, "#DEBUG: Network packet shows a living unit as a corpse"},
        {M::Make(34, R(W), 4, -1, -1, 5, 5, 4, 0), OnClient, nullptr},
        {fallen, OnClient, nullptr, [&] { return N(W)->IsDying(); }, M::Make(34, R(W), 4, -1, -1, 5, 5, 4, 0)},
        // Unique ids and captures.
        {From(2, M::Make(52, R(T2), Id(V2))), OnClient, idTaken},
        {From(2, M::Make(52, R(T2), Id(A2))), OnClient, idTaken},
        {From(2, M::Make(52, R(T2), 4000)), OnClient, nullptr, [&] { return CMultiplayer::FindUnit(2, 4000); }},
        {M::Make(74, R(W), R(D), Id(W)), OnClient, idTaken},
        {M::Make(74, R(W), R(L), 4000), OnClient, noCapture},    // this machine's own
        {M::Make(74, R(W), R(V2), 4000), OnClient, noCapture},   // another client's
        {M::Make(74, R(P), R(D), 4000), OnClient, noCapture},    // by a unit aboard
        {M::Make(74, R(W), R(D), 4000), OnClient, nullptr, [&] { return CMultiplayer::FindUnit(Host, 4000) == N(D); }},
        {M::Make(76, R(W), R(B2)), OnClient, noCapture},
        {M::Make(76, R(W), R(H1)), OnClient, noCapture},
        {M::Make(76, R(W), R(DB)), OnClient, nullptr, [&] { return NB(DB)->owner == Host; }},
        // Hits and buildings brought down here.
        {M::Make(43, R(L), R(P), 10, 1), OnClient, nullptr, [&] { return N(L)->health < 100.0f && NewMarkers() == 0; }},
        {M::Make(43, R(L), R(W), 10, 1), OnClient, nullptr, [&] { return N(L)->attacker == nullptr && NewMarkers() == 3; }, fallen},
        {M::Make(44, R(H1), R(W), 10, 4), OnClient, nullptr, [&] { return NewMarkers() == 3; }, fallen},
        {From(2, M::Make(37, R(T2), M::FromFloat(50.0f))), OnClient, raised, nullptr, razed},
        {From(2, M::Make(37, R(T2), M::FromFloat(50.0f))), OnClient, nullptr},
        {From(2, M::Make(39, R(T2))), OnClient, nullptr, [&] { return NB(T2)->IsTakenDown(); }, razed},
        {M::Make(39, R(T2)), OnClient, "#DEBUG: Network packet names another machine's object"},
        // Senders no machine plays, and a hit without an attacker from one that a machine plays.
        {From(5, M::Make(43, R(L), -1, 100000, 1)), OnClient, noMachine},   // a computer player's
        {From(4, M::Make(43, R(L), -1, 100000, 1)), OnClient, noMachine},   // an empty slot
        {From(3, M::Make(43, R(L), -1, 100000, 1)), OnClient, noMachine},   // a defeated player's
        {From(5, M::Make(44, R(H1), -1, 100000, 4)), OnClient, noMachine},
        {From(2, M::Make(43, R(L), -1, 100000, 1)), OnClient, nullptr, [&] { return N(L)->IsDying(); }},
    });
}
}  // namespace
