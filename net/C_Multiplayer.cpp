#include "net/C_Multiplayer.h"

#include <cstddef>
#include <cstdint>
#include <utility>

#include "buildings/C_Building.h"
#include "core/C_Config.h"
#include "units/C_Unit.h"
#include "world/C_GameMap.h"
#include "world/C_Player.h"

namespace
{
constexpr int32_t ListIndexSpan = 256;
constexpr int32_t OwnerSpan = 16;
// Units outside their player's list (tower archers) carry this index.
constexpr int32_t UnlistedIndex = ListIndexSpan - 1;
constexpr int32_t BlockSpan = 65536;
static_assert(CMultiplayer::kMostUniqueId <= INT32_MAX / (ListIndexSpan * OwnerSpan), "references fit 32 bits");

CUnit* FindListedUnit(const CPlayer& owner, int32_t uniqueId, int32_t listIndex)
{
    if (owner.units == nullptr)
        return nullptr;
    if (listIndex < owner.unitCount && owner.units[listIndex] != nullptr &&
        owner.units[listIndex]->uniqueId == uniqueId)
        return owner.units[listIndex];
    for (int32_t i = 0; i < owner.unitCount; ++i)
        if (owner.units[i] != nullptr && owner.units[i]->uniqueId == uniqueId)
            return owner.units[i];
    return nullptr;
}
}  // namespace

CMultiplayer::CMultiplayer() : slots(new SPlayerSlot[kMaxPlayers]), maxPlayers(kMaxPlayers)
{
    for (int32_t i = 0; i < kMaxPlayers; ++i)
        slots[i].sendRing = new CNetPacket[kSendRingPackets]();
}

CMultiplayer::~CMultiplayer()
{
    for (int32_t i = 0; i < kMaxPlayers; ++i)
    {
        delete[] slots[i].sendRing;
        slots[i].sendRing = nullptr;
    }
    delete[] slots;
    slots = nullptr;
}

// No network game is ever started yet, so there is nothing to send, receive
// or close.
void CMultiplayer::Update() {}
void CMultiplayer::Shutdown() {}

int32_t CMultiplayer::GetUnitRef(const CUnit* unit)
{
    if (unit == nullptr || unit->uniqueId < 0 || unit->uniqueId > kMostUniqueId || unit->player < 0 ||
        unit->player >= kMaxPlayers)
        return NoRef;
    const int32_t index = unit->listIndex >= 0 && unit->listIndex < UnlistedIndex ? unit->listIndex : UnlistedIndex;
    return (unit->uniqueId * OwnerSpan + unit->player) * ListIndexSpan + index;
}

int32_t CMultiplayer::GetBuildingRef(const CBuilding* building)
{
    if (building == nullptr || !g_GameMap.IsOnMap(building->x, building->y))
        return NoRef;
    return building->x * BlockSpan + building->y;
}

int32_t CMultiplayer::GetUnitRefOwner(int32_t ref)
{
    return ref < 0 ? -1 : ref / ListIndexSpan % OwnerSpan;
}

CUnit* CMultiplayer::FindUnitByRef(int32_t ref)
{
    const CPlayer* owner = PlayerAt(GetUnitRefOwner(ref));
    if (owner == nullptr)
        return nullptr;
    const int32_t uniqueId = ref / (ListIndexSpan * OwnerSpan);
    if (CUnit* unit = FindListedUnit(*owner, uniqueId, ref % ListIndexSpan))
        return unit;
    return owner->FindTowerArcher(uniqueId);
}

CUnit* CMultiplayer::FindUnit(int32_t owner, int32_t uniqueId)
{
    if (owner < 0 || owner >= kMaxPlayers || uniqueId < 0 || uniqueId > kMostUniqueId)
        return nullptr;
    return FindUnitByRef((uniqueId * OwnerSpan + owner) * ListIndexSpan);
}

CBuilding* CMultiplayer::FindBuildingByRef(int32_t ref)
{
    if (ref < 0)
        return nullptr;
    const int32_t x = ref / BlockSpan;
    const int32_t y = ref % BlockSpan;
    if (!g_GameMap.IsOnMap(x, y))
        return nullptr;
    CBuilding* building = std::as_const(g_GameMap).Block(x, y).building;
    // Only the corner block names a building, so that one building has one
    // reference.
    return building != nullptr && building->x == x && building->y == y ? building : nullptr;
}

void CMultiplayer::SendPacket(const CNetPacket& packet, int32_t target, const char* label)
{
    if (m_Sent.size() >= kMostSent)
        m_Sent.erase(m_Sent.begin(), m_Sent.begin() + static_cast<std::ptrdiff_t>(kMostSent / 2));
    SSentPacket sent{packet, target, label};
    sent.packet.fields[CNetPacket::SenderField] = g_LocalPlayer;
    m_Sent.push_back(sent);
}

bool IsNetworkGame()
{
    return g_Config.networkRole != CMultiplayer::RoleSinglePlayer;
}

bool IsOwnedHere(int32_t playerIndex)
{
    return !IsNetworkGame() || playerIndex == g_LocalPlayer;
}

bool IsPlayedByAMachine(int32_t slot)
{
    if (slot == CMultiplayer::HostSlot)
        return true;
    const CPlayer* player = PlayerAt(slot);
    return player != nullptr && (player->type == PLAYER_REMOTE || player->type == PLAYER_LOCAL);
}

int32_t DecidingSlotOf(int32_t owner)
{
    return IsPlayedByAMachine(owner) ? owner : CMultiplayer::HostSlot;
}
