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
int32_t UnitRefOf(int32_t uniqueId, int32_t owner, int32_t index) { return (uniqueId * 16 + owner) * 256 + index; }

TEST(NetPacket, FieldsGoLittleEndianAndOnlyWholePacketsComeBack)
{
    const CNetPacket packet = CNetPacket::Make(43, 0x01020304, -2);
    uint8_t bytes[72];
    packet.ToBytes(bytes);
    const std::vector<uint8_t> head(bytes, bytes + 16);
    EXPECT_EQ(head, (std::vector<uint8_t>{43, 0, 0, 0, 0, 0, 0, 0, 4, 3, 2, 1, 0xFE, 0xFF, 0xFF, 0xFF}));
    CNetPacket out = CNetPacket::Make(7);
    for (size_t size : {0u, 71u, 73u})
        EXPECT_TRUE(!CNetPacket::FromBytes(bytes, size, out) && out.Command() == 7) << size << " bytes read";
    CNetPacket back{};
    ASSERT_TRUE(CNetPacket::FromBytes(bytes, 72, back));
    EXPECT_EQ(std::vector<int32_t>(back.fields, back.fields + 18), std::vector<int32_t>(packet.fields, packet.fields + 18));
    EXPECT_EQ(CNetPacket::FromFloat(100.0f), 0x42C80000);
    // Only a whole packet reaches the receiver's checks (here: no network game runs).
    CTestLog log;
    g_MultiplayerGame.OnGamePacket(bytes, 71), g_MultiplayerGame.OnGamePacket(bytes, 72);
    EXPECT_TRUE(log.Count("#DEBUG: Network packet of the wrong size") == 1 &&
                log.Count("#DEBUG: Network packet in a single player game") == 1);
}

class NetworkSenders : public ::testing::Test
{
protected:
    void SetUp() override
    {
        g_Config.networkRole = CMultiplayer::RoleClient, g_LocalPlayer = 2, mine = world.Spawn(2, UNIT_WARRIOR, 5, 5);
        theirs = world.Spawn(1, UNIT_WARRIOR, 9, 5), tower = world.Player(2).CreateBuilding(CastTower, 12, 34);
        g_MultiplayerGame.ClearSent();
    }

    CSimHarness world;
    CUnit *mine = nullptr, *theirs = nullptr;
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
        EXPECT_EQ((probe.uniqueId = row.uniqueId, probe.player = row.player, probe.listIndex = row.listIndex, Ref(&probe)),
                  row.ref) << row.uniqueId;
    // The owner and unique id decide; the list index is only where to look first.
    const struct { int32_t ref; const void* found; } lookups[] = {
        {Ref(mine), mine}, {UnitRefOf(mine->uniqueId, 2, 200), mine}, {UnitRefOf(theirs->uniqueId, 1, 0), theirs},
        {UnitRefOf(mine->uniqueId, 4, mine->listIndex), nullptr},
        {UnitRefOf(mine->uniqueId + 40, 2, mine->listIndex), nullptr},
        {-1, nullptr}, {-256, nullptr}, {UnitRefOf(0, 9, 0), nullptr}};
    for (const auto& row : lookups) EXPECT_EQ(CMultiplayer::FindUnitByRef(row.ref), row.found) << row.ref;
    // By owner and id, only in their ranges, where no wrap of the formula can alias a unit.
    mine->uniqueId = 0x7FFFF, theirs->uniqueId = 5;
    const struct { int32_t owner, uniqueId; const void* found; } byId[] = {{2, 0x7FFFF, mine}, {1, 5, theirs},
        {2, 0x17FFFF, nullptr}, {1, 5 - 0x100000, nullptr}, {-15, 6, nullptr}, {17, 4, nullptr}, {2, -1, nullptr}};
    for (const auto& row : byId)
        EXPECT_EQ(CMultiplayer::FindUnit(row.owner, row.uniqueId), row.found) << row.owner << ", " << row.uniqueId;
    EXPECT_EQ(CMultiplayer::FindBuildingByRef(12 * 65536 + 34), tower);
    for (int32_t ref : {13 * 65536 + 34, 12 * 65536 + 35, -1, 48 * 65536, 12 * 65536 + 70000})
        EXPECT_EQ(CMultiplayer::FindBuildingByRef(ref), nullptr) << ref;   // inside the footprint, or off it
}

TEST_F(NetworkSenders, EachCommandCarriesItsNumberSenderAndValuesToItsMachines)
{
    const int32_t m = Ref(mine), t = Ref(theirs), b = 12 * 65536 + 34, all = CMultiplayer::AllMachines;
    mine->targetX = 7, mine->targetY = 8, mine->targetKind = 2;
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
        {[&] { net.SendResourceRemoved(tower); }, {41, b}, all, nullptr},
        {[&] { net.SendResourceAmount(tower, 900); }, {49, b, 900}, all, nullptr},
        {[&] { net.SendCarriedGoods(mine, 3, 20); }, {50, m, 3, 20}, all, nullptr},
        {[&] { net.SendTowerArcherTrained(tower, 4000); }, {52, b, 4000}, all, nullptr},
        {[&] { net.SendWorkerLeave(mine, 7, 8); }, {61, m, 7, 8}, all, nullptr},
    };
    for (const auto& row : rows)
    {
        net.ClearSent(), row.send();
        ASSERT_EQ(net.GetSent().size(), 1u) << row.fields[0];
        const CMultiplayer::SSentPacket& sent = net.GetSent()[0];
        std::vector<int32_t> expected = row.fields;
        expected.insert(expected.begin() + 1, 2);   // the sending machine's slot
        expected.resize(18, 0);
        EXPECT_EQ(std::tuple(std::vector<int32_t>(sent.packet.fields, sent.packet.fields + 18), sent.target,
                             std::string(sent.label ? sent.label : "-")),
                  std::tuple(expected, row.target, std::string(row.label ? row.label : "-")));
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
        for (int32_t i = 0; i < g_Players[p].towerArchers.GetCount(); ++i) add(g_Players[p].towerArchers[i]);
        for (const CBuilding* b : std::span(g_Players[p].buildings, size_t(g_Players[p].buildingCount)))
            state[{Ref(b), -1 - p}] = {b->owner, 0, b->health, 0, 0, false, false, 0};
    }
    return state;
}

CUnit* At(int32_t x, int32_t y) { return g_GameMap.Block(x, y).unit; }

// A client (slot 1) and the host (slot 0) on 32 x 32 blocks with deep water from the ship's column east: units
// on the map, aboard two ships, in towers, a keep or a mine, waiting in a barracks; a trap and houses.  Slot 2
// is the other client's machine, 3 a defeated player's, 4 an empty one, 5 a computer player's.  `walking`: the
// warriors are test walkers, whose type behaviour walks their orders out.
class NetWorld : public ::testing::Test
{
protected:
    // The buildings: owner, cast, corner.
    static constexpr int32_t Places[][4] = {{2, CastBarracks, 8, 20}, {2, CastTower, 14, 20},
                                            {2, CastTrap, 16, 14},    {Host, CastKeep, 1, 26},
                                            {Defeated, CastTower, 1, 1}, {Client, CastHouse, 1, 8},
                                            {5, CastHouse, 6, 9}};

    explicit NetWorld(bool walking) : world(32)
    {
        if (walking) SetPlayerServices(&walkers);
        CSaveGameRun::UseSaveLanguage();
        // Deep water from the ship's column east (a loaded map works the levels out from the corners).
        for (int32_t x = ShipX + 1; x <= 32; ++x)
            for (int32_t y = 0; y <= 32; ++y) g_GameMap.CornerHeight(x, y) = -30;
        g_GameMap.UpdateArea(0, 0, -1, -1);
        for (const auto& [player, type] : {std::pair{Client, PLAYER_REMOTE}, {2, PLAYER_REMOTE},
                                           {Defeated, PLAYER_DEFEATED}, {4, PLAYER_NONE}})
            world.Player(player).type = type;
        // The host's at 5, 5 walks east into the defeated unit's reach; at 5, 10 and 5, 12 the host's hit and killed.
        for (const auto& [player, x, y] : {std::tuple{Host, 5, 5}, {2, 6, 6}, {Client, 5, 14}, {Defeated, 10, 5},
                                           {Host, 5, 10}, {Host, 5, 12}}) world.Spawn(player, UNIT_WARRIOR, x, y);
        // A warrior aboard the host's ship, a warrior and a worker aboard the other client's, the client's empty.
        for (const auto& [player, x, y, cargo] :
             {std::tuple{Host, ShipX, ShipY, 1}, {2, 24, 12, 2}, {Client, 26, 20, 0}})
        {
            CUnit* ship = world.Spawn(player, UNIT_TRANSPORTSHIP, x, y);
            for (int32_t i = 0; i < cargo; ++i)
                EXPECT_TRUE(ship->AcceptGarrison(world.Spawn(player, i == 0 ? UNIT_WARRIOR : UNIT_WORKER, -1, -1)));
        }
        for (const auto& [player, cast, x, y] : Places)
            world.Player(player).CreateBuilding(cast, x, y)->Construct(0.0f, true);
        BuildingAt(8, 20)->productionUnit = world.Spawn(2, UNIT_WARRIOR, -1, -1);
        EXPECT_TRUE(world.Spawn(Host, UNIT_KING, 6, 28)->EnterBuilding(BuildingAt(1, 26)));
        for (int32_t player : {Host, Client}) world.Spawn(player, UNIT_WORKER, -1, -1);   // mining, or not yet shown
        start = CSaveGameRun::Save();
    }
    static CBuilding* BuildingAt(int32_t x, int32_t y) { return g_GameMap.Block(x, y).building; }

    CSaveGameRun::CWalkerServices walkers;
    CSimHarness world;
    std::vector<uint8_t> start;
};

class TwoMachines : public NetWorld
{
protected:
    TwoMachines() : NetWorld(true) {}

    // The host's game (the walk, the hits, the unloading) and its packets for the client (to all or to slot 1)
    // in order.
    std::vector<CNetPacket> PlayHost()
    {
        EXPECT_TRUE(world.Load(start));
        g_Config.networkRole = CMultiplayer::RoleHost, g_LocalPlayer = Host, g_MultiplayerGame.ClearSent();
        CUnit* walker = At(5, 5);
        walker->onCommand(nullptr, nullptr, nullptr, 9, 5, CMD_MOVE_TO);
        for (int32_t frame = 0; frame < 80 && walker->x != 9; ++frame) world.Frame(1);
        EXPECT_EQ(At(10, 5)->player, Host);
        At(5, 10)->TakeHit(walker, 30, DAMAGE_BLADE, false);
        At(5, 12)->TakeHit(walker, 100000, DAMAGE_BLAST, false);
        At(5, 14)->TakeHit(walker, 20, DAMAGE_BLADE, false);
        static_cast<CUnitTransportShip*>(At(ShipX, ShipY))->UnloadAll();
        std::vector<CNetPacket> forClient;
        for (const CMultiplayer::SSentPacket& sent : g_MultiplayerGame.GetSent())
            if (sent.target == CMultiplayer::AllMachines || sent.target == Client) forClient.push_back(sent.packet);
        return forClient;
    }

    void BecomeClient()
    {
        ASSERT_TRUE(world.Load(start));
        g_Config.networkRole = CMultiplayer::RoleClient, g_LocalPlayer = Client;
    }
};

CNetPacket From(int32_t sender, CNetPacket packet)
{
    packet.fields[CNetPacket::SenderField] = sender;
    return packet;
}

// Each row on the world as it started, as the client (or the host): the packet, after the prelude's, is dropped
// with its report and changes nothing, or it is applied and changes the world (as `then` says); the world stays
// sound, a frame later as well, and its save loads.  In packets a name stands for its reference (R) or unique id
// (Id); the buildings' names follow the units' in the order of their places.
class WorldPackets : public NetWorld
{
protected:
    enum EName { W, V2, L, D, S, P, S2, C2, Pw, U2, A2, King, Wm, S1, Lw, W10, B2, T2, Trap, K0, DT, H1, CH };
    using M = CNetPacket;
    static constexpr const char* range = "#DEBUG: Network packet value out of range";
    static constexpr const char* noMachine = "#DEBUG: Network packet from no other machine";
    static constexpr int32_t R(EName n) { return -1000 - n; }
    static constexpr int32_t Id(EName n) { return -2000 - n; }
    struct SRow { CNetPacket packet; const char* report; std::function<bool()> then = nullptr; CNetPacket prelude = {};
                  int32_t role = CMultiplayer::RoleClient; };

    WorldPackets() : NetWorld(false) {}
    void Name()
    {
        auto* ship = static_cast<CUnitTransportShip*>(At(ShipX, ShipY));
        auto* other = static_cast<CUnitTransportShip*>(At(24, 12));
        const auto worker = [](const CPlayer& p) {
            return *std::find_if(p.units, p.units + p.unitCount, [](auto* u) { return u->GetCastID() == UNIT_WORKER; });
        };
        units = {At(5, 5), At(6, 6), At(5, 14), At(10, 5), ship, ship->GetCargo(0), other, other->GetCargo(0),
                 other->GetCargo(1), BuildingAt(8, 20)->productionUnit,
                 static_cast<CBuildingTower*>(BuildingAt(14, 20))->archers[0], BuildingAt(1, 26)->garrisonedUnit,
                 worker(g_Players[Host]), At(26, 20), worker(g_Players[Client]), At(5, 10)};
    }
    CUnit* N(EName name) const { return units.at(name); }
    static CBuilding* NB(EName name) { return BuildingAt(Places[name - B2][2], Places[name - B2][3]); }
    CNetPacket Resolved(CNetPacket packet) const
    {
        for (int32_t& v : std::span(packet.fields + CNetPacket::FirstValueField, CNetPacket::kMaxValues))
        {
            const auto name = static_cast<EName>(-v % 1000);
            if (v <= R(W) && v > Id(W) - 1000)
                v = v > Id(W) ? (name < B2 ? Ref(N(name)) : Ref(NB(name))) : N(name)->uniqueId;
        }
        return packet;
    }
    void Expect(const std::vector<SRow>& rows)
    {
        CTestLog log;
        for (const SRow& row : rows)
        {
            ASSERT_TRUE(world.Load(start));
            Name();
            g_Config.networkRole = row.role, g_LocalPlayer = row.role == CMultiplayer::RoleHost ? Host : Client;
            Receive(row.prelude);
            log.Clear(), g_MultiplayerGame.ClearSent(), markers = world.Markers().size();
            const SWorldState before = Snapshot();
            Receive(row.packet);
            SCOPED_TRACE(testing::Message() << row.packet.Command() << " from " << row.packet.Sender() << ": "
                                            << row.packet.Value(0) << ", " << row.packet.Value(1));
            EXPECT_TRUE(row.then ? row.then() : (Snapshot() == before) == (row.report != nullptr));
            EXPECT_EQ(log.Contains(row.report ? row.report : "#DEBUG: breakpoint reached"), row.report != nullptr);
            for (int32_t frame = 0; frame < 2; ++frame, world.Frame(1))
            {
                EXPECT_EQ(world.CheckInvariants(), std::vector<std::string>{});
                EXPECT_STREQ(CObjectLinks().FindFault(), nullptr);
            }
            EXPECT_TRUE(world.Load(CSaveGameRun::Save()) && Pending() == 0);   // steps kept here are not saved
        }
    }
    void Receive(const CNetPacket& packet) { g_MultiplayerGame.OnGamePacket(Resolved(packet)); }
    static size_t Pending() { return g_MultiplayerGame.GetPendingStepCount(); }
    // Minimap markers of attacks since the row's packet (three numbers each), and a player's next unique id.
    size_t Alerts() const { return (world.Markers().size() - markers) / 3; }
    static int32_t NextId(int32_t player) { return g_Players[player].NextUnitId(1); }
    static int32_t Kills(int32_t player) { return g_Players[player].statistics[STAT_UNITS_KILLED]; }
    static bool Found(int32_t player, int32_t uniqueId) { return CMultiplayer::FindUnit(player, uniqueId); }

    std::vector<CUnit*> units;
    size_t markers = 0;
};

TEST_F(TwoMachines, TheClientAgreesWithTheHostOnMovedHitKilledTakenAndUnloadedUnits)
{
    const std::vector<CNetPacket> packets = PlayHost();
    SWorldState host = Snapshot();
    ASSERT_EQ(SentCommands(CMultiplayerGame::CommandUnitUnloaded), 1);
    BecomeClient();
    CUnit* passenger = static_cast<CUnitTransportShip*>(At(ShipX, ShipY))->GetCargo(0);
    CTestLog log;
    for (const CNetPacket& packet : packets) g_MultiplayerGame.OnGamePacket(packet);
    EXPECT_FALSE(log.Contains("#DEBUG: breakpoint reached"));   // nothing the host sent is refused
    SWorldState client = Snapshot();
    // The client owns its unit: the host's copy keeps its health until the
    // owner tells, the owner applies 20 of 50 hit points.
    const auto own = std::find_if(client.begin(), client.end(), [](auto& u) { return u.first.first == Client; });
    ASSERT_NE(own, client.end());
    EXPECT_EQ(std::pair(std::get<2>(host[own->first]), std::get<2>(own->second)), std::pair(100.0f, 60.0f));
    host.erase(own->first), client.erase(own->first);
    EXPECT_EQ(client, host);
    // What the states hold, worked out from the moves and hits themselves.
    EXPECT_TRUE(At(9, 5)->player == Host && At(10, 5)->player == Host);
    EXPECT_FLOAT_EQ(At(5, 10)->health, 40.0f);
    EXPECT_TRUE(At(5, 12)->IsDying() && At(5, 12)->tornApart == 1 && passenger->onMap && passenger->x == ShipX - 1);
    EXPECT_EQ(static_cast<CUnitTransportShip*>(At(ShipX, ShipY))->GetCargoCount(), 0);
}

// The host moved its copy when it granted the step: the client's unit waits for a blocker here without asking
// again, then goes on from the granted block.
TEST_F(TwoMachines, AStepGrantedOntoABlockHeldHereIsTakenOnceItsBlockerLeaves)
{
    BecomeClient();
    CUnit* own = At(5, 14);
    own->onCommand(nullptr, nullptr, nullptr, 9, 14, CMD_MOVE_TO);
    for (int32_t frame = 0; frame < 20 && !own->awaitingMoveAnswer; ++frame) world.Frame(1);
    const CNetPacket asked = LastSent(CMultiplayerGame::CommandRequestMoveStep)->packet;
    const int32_t x = asked.Value(1), y = asked.Value(2);
    CUnit* blocker = world.Spawn(2, UNIT_WARRIOR, x, y);
    g_MultiplayerGame.ClearSent();
    g_MultiplayerGame.OnGamePacket(CNetPacket::Make(58, Ref(own), x, y, asked.Value(3), asked.Value(4), 0));
    for (int32_t frame = 0; frame < 5; ++frame) world.Frame(1);
    EXPECT_TRUE(own->x == 5 && own->awaitingMoveAnswer && g_MultiplayerGame.GetSent().empty());
    g_MultiplayerGame.OnGamePacket(CNetPacket::Make(58, Ref(blocker), x, y + 1, 0, 4, 0));
    for (int32_t frame = 0; frame < 20 && SentCommands(57) == 0; ++frame) world.Frame(1);
    ASSERT_EQ(SentCommands(57), 1);
    EXPECT_TRUE(own->x == x && own->y == y && LastSent(57)->packet.Value(1) == x + 1);
}

TEST_F(WorldPackets, HostilePacketsAreDroppedWithACheckReportAndTheirBoundsStillPass)
{
    const auto bits = [](float value) { return CNetPacket::FromFloat(value); };
    const char* notHost = "#DEBUG: Network packet meant for the host";
    Expect({
        {M::Make(30, R(W), 359), nullptr}, {M::Make(30, R(W), 360), range}, {M::Make(30, R(W), -1), range},
        {M::Make(31, R(W), bits(50.0f)), nullptr}, {M::Make(31, R(W), bits(100.5f)), range},
        {M::Make(31, R(W), bits(100.0f)), nullptr, nullptr, M::Make(31, R(W), bits(50.0f))},
        {M::Make(31, R(W), bits(0.0f)), range}, {M::Make(31, R(W), bits(0.5f)), range},
        {M::Make(31, R(W), bits(NAN)), range}, {M::Make(32, R(W), 2), range},
        {M::Make(34, R(W), 14, -1, -1, 5, 5, 0, 0), range}, {M::Make(34, R(W), 1, -1, -1, 5, 5, 5, 0), range},
        {M::Make(34, R(W), 1, -1, -1, 32, 5, 0, 0), range}, {M::Make(58, R(W), 6, 32, 90, 2, 0), range},
        {M::Make(43, R(L), -1, 10, 9), nullptr}, {M::Make(43, R(L), -1, 10, 10), range},
        {M::Make(43, R(L), -1, 10, 0), range}, {M::Make(43, R(L), -1, 10, 1), nullptr},
        {M::Make(43, R(L), -1, -1, 1), range}, {M::Make(58, R(W), 32, 6, 90, 2, 0), range},
        {M::Make(43, R(W), -1, 10, 1), "#DEBUG: Network packet names a dead unit", nullptr, M::Make(32, R(W), 0)},
        {M::Make(43, UnitRefOf(4000, Host, 0), -1, 10, 1), "#DEBUG: Network packet names no unit"},
        {M::Make(44, 3 * 65536 + 3, -1, 10, 1), "#DEBUG: Network packet names no building"},
        {M::Make(58, R(W), 6, 5, 90, 2, 3), range}, {M::Make(58, R(W), 6, 5, 90, 8, 0), range},
        {M::Make(71, R(W), R(P), 19, 4), "#DEBUG: Network packet names a unit of the wrong type"},
        {M::Make(71, R(S), R(P), 32, 4), range}, {M::Make(71, R(S), R(P), -1, 4), range},
        {M::Make(57, R(W), 6, 5, 90, 2), notHost}, {M::Make(70, R(S), R(P)), notHost},
        {From(2, M::Make(70, R(V2), R(C2))), "#DEBUG: Network packet names a unit of the wrong type", nullptr, {},
         CMultiplayer::RoleHost},
        {M::Make(72, R(S), R(P)), "#DEBUG: Network packet names another machine's object"},
        {M::Make(33, R(W)), nullptr}, {M::Make(45, R(W)), "#DEBUG: Network packet of an unknown command"},
        {M::Make(30, R(W), 90), "#DEBUG: Network packet in a single player game", nullptr, {}, 0},
        // Senders: another machine's unit, this machine or none, not the host.
        {From(2, M::Make(30, R(W), 90)), "#DEBUG: Network packet names another machine's object"},
        {From(Client, M::Make(30, R(W), 90)), noMachine}, {From(8, M::Make(30, R(W), 90)), noMachine},
        {M::Make(30, R(W), 90), noMachine, nullptr, {}, CMultiplayer::RoleHost},
        {From(2, M::Make(58, R(W), 5, 4, 180, 0, 0)), "#DEBUG: Network packet not sent by the host"},
    });
}

TEST_F(WorldPackets, PacketsThatTheWorldHereContradictsAreDroppedAndTheirLegitimateShapesApplied)
{
    const int32_t OnHost = CMultiplayer::RoleHost;
    const char* offMap = "#DEBUG: Network packet names a unit off the map";
    const char* notAboard = "#DEBUG: Network packet names a unit the ship does not carry";
    const char* noStand = "#DEBUG: Network packet puts a unit where it cannot stand";
    const char* held = "#DEBUG: Network packet names a unit a building holds";
    const char* idTaken = "#DEBUG: Network packet gives a unique id that a unit has";
    const char* noCapture = "#DEBUG: Network packet names an object no capture may take";
    const char* noMine = "#DEBUG: Network packet names a worker that is in no mine";
    const char* wrapped = "#DEBUG: Unit unique id overflow";
    const char* wrongType = "#DEBUG: Network packet names a building of the wrong type";
    const M razed = M::Make(44, R(T2), R(W), 100000, 4), fell = M::Make(32, R(W), 0);
    const M health = From(2, M::Make(37, R(T2), M::FromFloat(50.0f)));
    const M blocked = M::Make(58, R(W), 6, 6, 45, 3, 0), razedHouse = M::Make(44, R(CH), R(W), 100000, 4);
    const auto Cargo = [this](EName ship) { return static_cast<CUnitTransportShip*>(N(ship))->GetCargoCount(); };
    Expect({
        // Targets, and units put on blocks.
        {M::Make(34, R(W), 2, R(P), -1, 20, 4, 1, 0), offMap}, {M::Make(34, R(W), 2, R(U2), -1, 8, 20, 1, 0), offMap},
        {M::Make(34, R(W), 2, R(L), -1, 5, 14, 1, 0), nullptr, [&] { return N(W)->targetUnit == N(L); }},
        {From(2, M::Make(46, R(A2), R(P))), offMap}, {From(2, M::Make(46, R(A2), R(King))), offMap},
        {From(2, M::Make(46, R(A2), R(L))), nullptr, [&] { return N(A2)->actionTargetUnit == N(L); }},
        {From(2, M::Make(47, R(A2))), nullptr, [&] { return !N(A2)->actionTargetUnit; }, From(2, M::Make(46, R(A2), R(L)))},
        {From(2, M::Make(38, R(B2), 346)), nullptr, [&] { return NB(B2)->model == 346; }},
        {From(2, M::Make(38, R(B2), 347)), range}, {From(2, M::Make(38, R(B2), -1)), range},
        {From(2, M::Make(57, R(V2), 7, 6, 90, 2)), nullptr, [&] {   // the host's grant, as asked, to all machines
             return std::ranges::equal(LastSent(58)->packet.fields, Resolved(M::Make(58, R(V2), 7, 6, 90, 2, 0)).fields) &&
                    LastSent(58)->target == CMultiplayer::AllMachines; }, {}, OnHost},
        {M::Make(61, R(Pw), 7, 8), noMine}, {M::Make(61, R(Lw), 7, 8), noMine},   // aboard; here, not mining
        {M::Make(61, R(Wm), 5, 5), noStand}, {M::Make(61, R(Wm), 28, 28), noStand},
        {M::Make(61, R(Wm), 7, 8), nullptr, [&] { return At(7, 8) == N(Wm); }},
        {M::Make(71, R(S), R(C2), 19, 8), notAboard}, {M::Make(71, R(S), R(King), 19, 8), notAboard},
        {M::Make(71, R(S), R(P), 5, 5), noStand}, {M::Make(71, R(S), R(P), 28, 28), noStand},
        {M::Make(71, R(S), R(Wm), 19, 8), nullptr, [&] { return At(19, 8) == N(Wm); }},   // nothing else holds it
        {M::Make(71, R(S1), R(Lw), 19, 8), notAboard},   // this machine's ship knows its cargo
        {M::Make(71, R(S), R(P), 19, 8), nullptr, [&] { return At(19, 8) == N(P); }},
        {From(2, M::Make(70, R(S2), R(U2))), notAboard, nullptr, {}, OnHost},
        {From(2, M::Make(70, R(S2), R(A2))), notAboard, nullptr, {}, OnHost},
        {From(2, M::Make(70, R(S2), R(Wm))), notAboard, nullptr, {}, OnHost},   // another player's
        {From(2, M::Make(70, R(S2), R(C2))), nullptr, [] { return SentCommands(71) + SentCommands(72) == 1; }, {},
         OnHost},
        // A granted step: onto ground of the unit's kind, blocks of its own, and blocks held here, where it waits
        // for the blocker to go, a later step behind it, unless the unit goes first.
        {M::Make(58, R(W), 5, 4, 180, 0, 0), nullptr, [&] { return At(5, 4) == N(W); }},
        {M::Make(58, R(W), 28, 28, 0, 4, 0), noStand}, {M::Make(58, R(S), 21, 4, 90, 2, 0), nullptr, [&] {
             const bool stepped = At(23, 6) == N(S) && At(20, 4) == nullptr;
             world.Spawn(2, UNIT_TRANSPORTSHIP, 24, 6);   // on the east column of its next step
             Receive(M::Make(58, R(S), 22, 4, 90, 2, 0)), world.Frame(1);
             return stepped && N(S)->x == 21 && Pending() == 1; }},
        {blocked, nullptr, [&] {
             Receive(M::Make(58, R(W), 7, 6, 90, 2, 0)), world.Frame(1);
             const bool kept = N(W)->x == 5 && Pending() == 2;
             Receive(M::Make(58, R(V2), 6, 7, 0, 4, 0)), world.Frame(1);
             return kept && N(W)->x == 7 && N(W)->y == 6 && Pending() == 0; }},
        {M::Make(58, R(W10), 6, 10, 90, 2, 0), nullptr, [&] {
             world.Frame(1);
             const bool kept = At(6, 10) == nullptr && Pending() == 1 && g_Players[5].HasBuilding(NB(CH));
             Receive(M::Make(39, R(CH))), world.Frame(1);
             return kept && At(6, 10) == N(W10); }, razedHouse},
        {blocked, nullptr, [&] { world.Delete(N(W)); world.Frame(1); return Pending() == 0; }},
        {blocked, nullptr, [&] { Receive(fell); world.Frame(1); return Pending() == 0; }},
        {blocked, nullptr, [&] { Receive(M::Make(33, R(W))); world.Frame(1); return Pending() == 0; }},   // aboard
        {blocked, "#DEBUG: Network packet steps a unit too far ahead", [&] {
             for (int32_t i = 1; i < 64; ++i) Receive(blocked);
             const bool full = Pending() == 64;
             Receive(blocked);
             return full && Pending() == 64; }},
        {M::Make(68, R(B2), R(U2), 5, 5), noStand}, {M::Make(68, R(B2), R(U2), 28, 28), noStand},
        {M::Make(68, R(B2), R(U2), 14, 10), nullptr, [&] { return At(14, 10) == N(U2); }},
        // Deaths.
        {From(2, M::Make(32, R(A2), 0)), held}, {From(2, M::Make(32, R(U2), 0)), held},
        {M::Make(32, R(P), 0), nullptr, [&] { return N(P)->IsDying() && Cargo(S) == 0; }},
        {M::Make(32, R(King), 0), nullptr, [&] { return NB(K0)->garrisonedUnit == nullptr; }},
        {M::Make(54, R(Trap), R(P)), offMap}, {M::Make(54, R(Trap), R(L)), nullptr, [&] { return N(L)->IsDying(); }},
        {M::Make(54, R(Trap), R(V2)), "#DEBUG: Network packet names a trap of the unit's own player"},
        {M::Make(54, R(H1), R(L)), wrongType}, {From(2, M::Make(52, R(B2), 4000)), wrongType},
        {M::Make(34, R(W), 5, -1, -1, 5, 5, 4, 0), "#DEBUG: Network packet shows a living unit as a corpse"},
        {M::Make(34, R(W), 4, -1, -1, 5, 5, 4, 0), nullptr},
        {fell, nullptr, [&] { return N(W)->IsDying(); }, M::Make(34, R(W), 4, -1, -1, 5, 5, 4, 0)},
        // Unique ids and captures.
        {From(2, M::Make(52, R(T2), Id(V2))), idTaken}, {From(2, M::Make(52, R(T2), Id(A2))), idTaken},
        {From(2, M::Make(52, R(T2), 4000)), nullptr, [] { return NextId(2) == 4001 && Found(2, 4000); }},
        {From(2, M::Make(52, R(T2), 0x7FFFF)), wrapped, [] { return NextId(2) == 6; }},   // 0 .. 5 are taken
        {M::Make(74, R(W), R(D), Id(S)), idTaken},
        {M::Make(74, R(W), R(L), 4000), noCapture}, {M::Make(74, R(W), R(V2), 4000), noCapture},   // not taken
        {M::Make(74, R(P), R(D), 4000), noCapture},                                                 // by one aboard
        {M::Make(74, R(W), R(D), 4000), nullptr, [&] { return N(D)->player == Host && NextId(Host) == 4001; }},
        {M::Make(76, R(W), R(B2)), noCapture}, {M::Make(76, R(W), R(H1)), noCapture},
        {M::Make(76, R(W), R(DT)), wrapped, [&] {   // its archer gets the host's first free id after 0 .. 6
             return NB(DT)->owner == Host && static_cast<CBuildingTower*>(NB(DT))->archers[0]->uniqueId == 7; },
         M::Make(74, R(W), R(D), 0x7FFFF)},
        // Hits, and a building brought down here.
        {M::Make(43, R(L), R(P), 10, 1), nullptr, [&] { return N(L)->health < 100.0f && Alerts() == 0; }},
        {M::Make(43, R(L), R(W), 10, 1), nullptr, [&] { return !N(L)->attacker && Alerts() == 1; }, fell},
        {M::Make(44, R(H1), R(W), 10, 4), nullptr, [&] { return Alerts() == 1; }, fell},
        {From(2, M::Make(43, R(L), R(A2), 10, 2)), nullptr, [&] { return Alerts() == 1; }},   // from its tower
        {health, "#DEBUG: Network packet raises a destroyed building", nullptr, razed}, {health, nullptr},
        {From(2, M::Make(39, R(T2))), nullptr, [&] { return NB(T2) == nullptr; }, razed},
        // Its archer, given a target after the fall, lets it go when the target dies before the owner's word.
        {From(2, M::Make(46, R(A2), R(L))), nullptr, [&] {
             world.Frame(1);
             Receive(M::Make(43, R(L), R(W), 100000, 1));
             return N(L)->IsDying() && !N(A2)->actionTargetUnit && NB(T2)->health == 0.0f; }, razed},
        {M::Make(39, R(T2)), "#DEBUG: Network packet names another machine's object"},
        {From(2, M::Make(39, R(B2))), nullptr, [&] { return !NB(B2) && !g_Players[2].HasUnit(N(U2)); }},
        // A computer player's building is the host's to decide (a client takes the host's 39 in the rows of 58s).
        {From(2, M::Make(39, R(CH))), "#DEBUG: Network packet names another machine's object", nullptr, razedHouse},
        {From(2, M::Make(44, R(CH), R(V2), 100000, 4)), nullptr, [] { return !NB(CH) && SentCommands(39) == 1; }, {},
         OnHost},
        // Senders no machine plays (a computer player, an empty slot, a defeated player), and one that does.
        {From(5, M::Make(43, R(L), -1, 100000, 1)), noMachine}, {From(4, M::Make(43, R(L), -1, 100000, 1)), noMachine},
        {From(3, M::Make(43, R(L), -1, 100000, 1)), noMachine}, {From(5, M::Make(44, R(H1), -1, 100000, 4)), noMachine},
        {From(2, M::Make(43, R(L), -1, 100000, 1)), nullptr, [&] { return N(L)->IsDying(); }},
        // A shooter known here by its reference alone (a corpse already): its player's kill, or nobody's unit.
        {From(2, M::Make(43, R(L), UnitRefOf(4000, 2, 0), 100000, 1)), nullptr, [] { return Kills(2) == 1; }},
        {From(2, M::Make(43, R(L), UnitRefOf(4000, Host, 0), 10, 1)), "#DEBUG: Network packet names no unit"},
    });
}
}  // namespace
