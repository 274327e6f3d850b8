// Feeds arbitrary bytes to the receiver of the game commands of a small
// network game (FuzzNetWorld.h), then plays on.  The first byte picks this
// machine: bit 0 clear the host, set a client (bit 1 the second client); the
// rest is cut into 72-byte packets, a short tail included.  A packet whose
// command is -1 (none) plays a game frame there instead, so that time may
// pass between packets.  The packets are followed by a few game frames (the
// simulation step, in which corpses and ruins decay, then deferred
// deletion), and then the world must hold:
// - the invariants the simulation tests check (WorldInvariants.h);
// - the links the loader checks before it accepts a save (CObjectLinks);
// - every unit on the map stands on ground of its kind (land or water) and
//   on no building's block, a tower's archers on no block, and every living
//   building of a player is in that player's list;
// - after the frames, no building this machine decides (its own player's;
//   on the host a neutral one or one of a slot no machine plays) lies
//   listed at 0 health;
// - one unit to each owner and unique id, which is how references name them;
// - no object changed sides unless a capture could take it (its player
//   defeated or an empty slot);
// - and it must save and load back.
// A packet from a slot that no machine plays, or from this machine's own,
// must change nothing.  Any breach is printed and ends the run, as a crash
// under the sanitizers does.

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "core/GlobalFunc.h"
#include "fuzz/FuzzNetWorld.h"
#include "game/C_ObjectLinks.h"
#include "tests/support/WorldInvariants.h"
#include "world/C_PlayerServices.h"

namespace
{
constexpr size_t kMostPackets = 64;
constexpr int32_t kFrames = 3;
constexpr int32_t kTicksPerFrame = 4;
constexpr uint32_t kRandomSeed = 1;
constexpr int32_t kFrameMark = -1;
// Water levels a land unit walks on, and from which a ship sails.
constexpr int32_t kLandMostLevel = 7;
constexpr int32_t kWaterLeastLevel = 7;
constexpr int32_t kWaterLayer = 2;

WorldInvariants::LiveUnits g_Live;

// The game's own factories; the invariant checker learns of every unit they
// make.
class CCountingServices : public CPlayerServices
{
public:
    CUnit* CreateUnitObject(CPlayer& player, int32_t type) const override
    {
        CUnit* unit = CPlayerServices::CreateUnitObject(player, type);
        if (unit != nullptr)
            g_Live.insert(unit);
        return unit;
    }
};

const CCountingServices g_Services;

[[noreturn]] void Finding(const std::string& what)
{
    std::fprintf(stderr, "net_receiver finding: %s\n", what.c_str());
    std::abort();
}

// The game's objects go before the globals that hold them (the particle pool
// among them) are destroyed, so that none is left unreachable at exit.
void FreeGameAtExit()
{
    CGameObjects::FreeWorld(g_ReferenceBase);
}

bool LoadCounted(const std::vector<uint8_t>& file)
{
    g_Live.clear();
    const bool loaded = FuzzNetWorld::Load(file);
    WorldInvariants::KeepHeld(g_Live);
    return loaded;
}

// Every input starts from the same game, clock and random numbers.  The
// players' preparation makes and deletes a unit of every type.
void StartGame(uint8_t machine)
{
    FuzzNetWorld::Clear();
    GlobalFunc::SeedRandom(kRandomSeed);
    g_Live.clear();
    FuzzNetWorld::Build();
    WorldInvariants::KeepHeld(g_Live);
    FuzzNetWorld::CheckNamedUnits();
    FuzzNetWorld::TakeRole((machine & 1) != 0, (machine & 2) != 0);
}

// A game frame: the simulation step, then deferred deletion.
void PlayFrame()
{
    SysClock::AdvanceTestClock(FuzzNetWorld::TickMilliseconds * kTicksPerFrame);
    CCtrlGame::SimulationStep(kTicksPerFrame);
    WorldInvariants::ForgetDeleted(g_Live);
    g_PtrGarbage.Flush();
}

// ---- What one packet may change --------------------------------------------------

void AddNumber(std::vector<int64_t>& digest, float value)
{
    digest.push_back(std::bit_cast<int32_t>(value));
}

// The state of every listed unit and building that a command could touch.
std::vector<int64_t> Digest()
{
    std::vector<int64_t> digest;
    for (int32_t p = 0; p < MaxPlayers; ++p)
    {
        const CPlayer& owner = g_Players[p];
        digest.insert(digest.end(), {owner.unitCount, owner.buildingCount, owner.towerArchers.GetCount()});
        for (int32_t i = 0; i < owner.unitCount; ++i)
        {
            const CUnit* unit = owner.units[i];
            digest.insert(digest.end(), {unit->x, unit->y, unit->player, unit->uniqueId, unit->animType, unit->onMap,
                                         unit->facing, unit->currentCommand});
            AddNumber(digest, unit->health);
        }
        for (int32_t i = 0; i < owner.buildingCount; ++i)
        {
            const CBuilding* building = owner.buildings[i];
            digest.insert(digest.end(), {building->owner, building->model});
            AddNumber(digest, building->health);
        }
    }
    return digest;
}

bool IsFromAnotherMachine(const uint8_t* bytes, size_t size)
{
    CNetPacket packet;
    if (!CNetPacket::FromBytes(bytes, size, packet))
        return false;
    return FuzzNetWorld::IsMachineSlot(packet.Sender()) && packet.Sender() != g_LocalPlayer;
}

void Receive(const uint8_t* bytes, size_t size)
{
    CNetPacket packet;
    if (CNetPacket::FromBytes(bytes, size, packet) && packet.Command() == kFrameMark)
    {
        PlayFrame();
        return;
    }
    if (IsFromAnotherMachine(bytes, size))
    {
        g_MultiplayerGame.OnGamePacket(bytes, size);
        return;
    }
    const std::vector<int64_t> before = Digest();
    g_MultiplayerGame.OnGamePacket(bytes, size);
    if (Digest() != before)
        Finding("a packet from no other machine changed the game");
}

// ---- The rules of the world --------------------------------------------------------

// Who owned what before the packets: a change of sides is checked against it.
struct SOwners
{
    std::map<const CUnit*, int32_t> units;
    std::map<const CBuilding*, int32_t> buildings;
};

std::set<const CBuilding*> StandingBuildings()
{
    std::set<const CBuilding*> standing;
    for (int32_t p = 0; p < MaxPlayers; ++p)
        standing.insert(g_Players[p].buildings, g_Players[p].buildings + g_Players[p].buildingCount);
    return standing;
}

SOwners TakeOwners()
{
    SOwners owners;
    for (int32_t p = 0; p < MaxPlayers; ++p)
    {
        for (int32_t i = 0; i < g_Players[p].unitCount; ++i)
            owners.units[g_Players[p].units[i]] = p;
        for (int32_t i = 0; i < g_Players[p].towerArchers.GetCount(); ++i)
            owners.units[g_Players[p].towerArchers[i]] = p;
    }
    for (const CBuilding* building : StandingBuildings())
        owners.buildings[building] = building->owner;
    return owners;
}

// A capture takes from a defeated player or an empty slot only.
bool MayHaveBeenTaken(int32_t formerOwner, int32_t owner)
{
    const CPlayer* former = PlayerAt(formerOwner);
    return owner == formerOwner ||
           (former != nullptr && (former->type == PLAYER_DEFEATED || former->type == PLAYER_NONE));
}

void CheckSides(const SOwners& before)
{
    for (const auto& [unit, owner] : before.units)
        if (g_Live.count(unit) != 0 && !MayHaveBeenTaken(owner, unit->player))
            Finding("a unit changed sides that no capture could take");
    const std::set<const CBuilding*> standing = StandingBuildings();
    for (const auto& [building, owner] : before.buildings)
        if (standing.count(building) != 0 && !MayHaveBeenTaken(owner, building->owner))
            Finding("a building changed sides that no capture could take");
}

// References name a unit by its owner and unique id: two living units of one
// owner with one id make one of them unreachable, or a command reach the
// other.
void CheckUniqueIds()
{
    for (int32_t p = 0; p < MaxPlayers; ++p)
    {
        const CPlayer& owner = g_Players[p];
        std::set<int32_t> ids;
        for (int32_t i = 0; i < owner.unitCount; ++i)
            if (owner.units[i]->IsAlive() && !ids.insert(owner.units[i]->uniqueId).second)
                Finding("two living units of player " + std::to_string(p) + " share a unique id");
        for (int32_t i = 0; i < owner.towerArchers.GetCount(); ++i)
            if (!ids.insert(owner.towerArchers[i]->uniqueId).second)
                Finding("a tower archer of player " + std::to_string(p) + " shares a unique id");
    }
}

bool StandsOnItsGround(const CUnit& unit)
{
    for (int32_t x = unit.x; x < unit.x + unit.GetSize(); ++x)
        for (int32_t y = unit.y; y < unit.y + unit.GetSize(); ++y)
        {
            const SMapBlock& block = std::as_const(g_GameMap).Block(x, y);
            const int32_t level = block.waterLevel;
            if (unit.GetMoveLayer() == kWaterLayer ? level < kWaterLeastLevel : level > kLandMostLevel)
                return false;
            if (block.building != nullptr && block.blocked)
                return false;
        }
    return true;
}

void CheckPlaces()
{
    for (int32_t p = 0; p < MaxPlayers; ++p)
    {
        const CPlayer& owner = g_Players[p];
        for (int32_t i = 0; i < owner.unitCount; ++i)
            if (owner.units[i]->IsFootprintRegistered() && !StandsOnItsGround(*owner.units[i]))
                Finding("a unit stands on ground or a building it cannot stand on");
        for (int32_t i = 0; i < owner.towerArchers.GetCount(); ++i)
            if (owner.towerArchers[i]->onMap || owner.towerArchers[i]->IsFootprintRegistered())
                Finding("a tower archer stands on the map");
    }
    for (int32_t x = 0; x < g_GameMap.GetWidth(); ++x)
        for (int32_t y = 0; y < g_GameMap.GetHeight(); ++y)
        {
            const CBuilding* building = std::as_const(g_GameMap).Block(x, y).building;
            const CPlayer* owner = building != nullptr ? PlayerAt(building->owner) : nullptr;
            if (owner != nullptr && building->IsAlive() && !owner->HasBuilding(building))
                Finding("a living building stands outside its owner's list");
        }
}

// A building brought to 0 health goes at once where it is decided; elsewhere
// it waits for that machine's word.
void CheckRazedBuildings()
{
    for (int32_t p = 0; p < MaxPlayers; ++p)
        for (int32_t i = 0; i < g_Players[p].buildingCount; ++i)
        {
            const CBuilding& building = *g_Players[p].buildings[i];
            const int32_t decider = FuzzNetWorld::IsMachineSlot(building.owner) ? building.owner : FuzzNetWorld::Host;
            if (decider == g_LocalPlayer && !building.IsAlive())
                Finding("a building this machine decides stays at 0 health");
        }
}

// What a save taken at a frame's end would have to hold.
void CheckWorld()
{
    const std::vector<std::string> faults = WorldInvariants::Check(g_Live);
    if (!faults.empty())
        Finding(faults.front());
    if (const char* fault = CObjectLinks().FindFault())
        Finding(fault);
    CheckPlaces();
    CheckUniqueIds();
}

void SetUpOnce()
{
    SetPlayerServices(&g_Services);
    FuzzNetWorld::SetUpOnce();
    std::atexit(FreeGameAtExit);
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const bool setUp = (SetUpOnce(), true);
    (void)setUp;
    if (size == 0)
        return 0;
    StartGame(data[0]);
    const SOwners owners = TakeOwners();
    size_t at = 1;
    for (size_t n = 0; n < kMostPackets && at < size; ++n, at += CNetPacket::kByteSize)
    {
        const size_t left = size - at;
        Receive(data + at, left < CNetPacket::kByteSize ? left : CNetPacket::kByteSize);
    }
    CheckWorld();
    for (int32_t frame = 0; frame < kFrames; ++frame)
        PlayFrame();
    CheckWorld();
    CheckRazedBuildings();
    CheckSides(owners);
    if (!LoadCounted(FuzzNetWorld::Save()))
        Finding("the game's save does not load");
    return 0;
}
