#pragma once
// Stands in for the multiplayer networking subsystem: the one network object
// with its host list, data cache and packet dump, the game commands by which
// the units and buildings of one machine are mirrored on the others, and the
// receiver that applies another machine's commands here.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/C_MemoryBlock.h"
#include "core/C_String.h"
#include "core/T_Array.h"
#include "core/T_LinkedList.h"
#include "net/C_Multiplayer.h"
#include "net/C_NetPacket.h"

class CBuilding;
class CUnit;

class CMultiplayerGame : public CMultiplayer
{
public:
    static constexpr int32_t kMaxHosts = 32;
    static constexpr int32_t kCachePackets = 1024;
    static constexpr int kDumpPacketGrowStep = 128;
    static constexpr int kDumpNameGrowStep = 32;
    static constexpr int kTransferBlockSize = 16384;

    // ---- Game command numbers (field 0 of a packet) ----
    static constexpr int32_t CommandUnitDirection = 30;
    static constexpr int32_t CommandUnitHealth = 31;
    static constexpr int32_t CommandUnitDied = 32;
    static constexpr int32_t CommandUnitHidden = 33;
    static constexpr int32_t CommandUnitAnimType = 34;
    static constexpr int32_t CommandUnitStopAction = 35;
    static constexpr int32_t CommandUnitStop = 36;
    static constexpr int32_t CommandBuildingHealth = 37;
    static constexpr int32_t CommandBuildingRecord = 38;
    static constexpr int32_t CommandBuildingDestroyed = 39;
    static constexpr int32_t CommandBuildProgress = 40;
    static constexpr int32_t CommandResourceRemoved = 41;
    static constexpr int32_t CommandTechnologyResearched = 42;
    static constexpr int32_t CommandUnitAttacked = 43;
    static constexpr int32_t CommandBuildingAttacked = 44;
    static constexpr int32_t CommandTowerArcherTarget = 46;
    static constexpr int32_t CommandTowerArcherIdle = 47;
    static constexpr int32_t CommandMagicCast = 48;
    static constexpr int32_t CommandResourceAmount = 49;
    static constexpr int32_t CommandCarriedGoods = 50;
    static constexpr int32_t CommandUnitProduced = 51;
    static constexpr int32_t CommandTowerArcherTrained = 52;
    static constexpr int32_t CommandTrapActivated = 54;
    static constexpr int32_t CommandTrapDestroyed = 55;
    static constexpr int32_t CommandRequestMoveStep = 57;
    static constexpr int32_t CommandMoveStep = 58;
    static constexpr int32_t CommandRequestWorkerLeave = 59;
    static constexpr int32_t CommandWorkerLeave = 61;
    static constexpr int32_t CommandRequestHarvest = 65;
    static constexpr int32_t CommandRequestEnterBuilding = 67;
    static constexpr int32_t CommandBuildingExit = 68;
    static constexpr int32_t CommandRequestUnload = 70;
    static constexpr int32_t CommandUnitUnloaded = 71;
    static constexpr int32_t CommandUnloadRefused = 72;
    static constexpr int32_t CommandRequestConvertUnit = 73;
    static constexpr int32_t CommandUnitConverted = 74;
    static constexpr int32_t CommandConvertBuilding = 75;
    static constexpr int32_t CommandBuildingConverted = 76;
    // The keep placement a founding settler asks the host for has no number
    // of its own in the game's set: this stand-in's own.
    static constexpr int32_t CommandRequestPlaceBuilding = 1001;

    // A host found by the discovery broadcast.
    struct CGameHostInfo
    {
        uint8_t address[4] = {};
        CString hostName;
        int32_t maxPlayers = 0;
        int32_t connectedPlayers = 0;
    };

    struct SPlayerInfo
    {
        CString name;
        int32_t value1 = 0;
        int32_t value2 = 0;
    };

    // The name under which a game command shows in the packet dump.
    struct SDumpName
    {
        int32_t command = 0;
        CString name;
    };

    CMultiplayerGame();
    ~CMultiplayerGame() = default;

    // Registers the dump names of the game commands.
    void InitDumpMessages();
    void ClearDumpMessages();
    // Takes the oldest packet out of the data cache; false when it is empty.
    bool PopPacket(CNetPacket& out);
    // Tells the other machines that this machine's player was defeated.
    void SendPlayerDefeated();

    // ---- Game commands (C_MultiplayerGame_Send.cpp) ----
    // To every other machine unless "to the host" is said.  Units and
    // buildings go as network references; health and progress as floats.
    void SendUnitDirection(const CUnit* unit, int32_t facing);                     // 30
    void SendUnitHealth(const CUnit* unit, float health);                           // 31
    void SendUnitDied(const CUnit* unit, bool tornApart);                           // 32
    void SendUnitHidden(const CUnit* unit);                                         // 33
    // 34: the animation, the target unit and building (or resource site),
    // and the unit's target point, target kind and torn-apart flag.
    void SendUnitAnimType(const CUnit* unit, int32_t animation, const CUnit* target,
                          const CBuilding* targetBuilding);
    void SendUnitStopAction(const CUnit* unit);                                     // 35
    void SendUnitStop(const CUnit* unit);                                           // 36
    void SendBuildingHealth(const CBuilding* building, float health);               // 37
    void SendBuildingRecord(const CBuilding* building, int32_t model);              // 38
    void SendBuildingDestroyed(const CBuilding* building);                          // 39
    void SendBuildProgress(const CBuilding* building, float progress);              // 40, at most 100
    void SendResourceRemoved(const CBuilding* site);                                // 41
    void SendTechnologyResearched(int32_t playerIndex, int32_t technologyId);       // 42
    void SendUnitAttacked(const CUnit* victim, const CUnit* attacker, int32_t amount, int32_t damageType);  // 43
    void SendBuildingAttacked(const CBuilding* building, const CUnit* attacker, int32_t amount,
                              int32_t damageType);                                  // 44
    void SendTowerArcherTarget(const CUnit* archer, const CUnit* target);           // 46
    void SendTowerArcherIdle(const CUnit* archer);                                  // 47
    // 48: the caster, the spell's technology and the point it strikes (the
    // middle of a block), as x, height, y in the bit patterns of their
    // 32-bit floats.
    void SendMagicCast(const CUnit* caster, int32_t technologyId, float x, float height, float y);
    void SendResourceAmount(const CBuilding* site, int32_t amount);                 // 49, from the host
    void SendCarriedGoods(const CUnit* worker, int32_t kind, int32_t amount);       // 50
    void SendUnitProduced(const CBuilding* building, int32_t unitType, int32_t uniqueId);  // 51
    void SendTowerArcherTrained(const CBuilding* building, int32_t uniqueId);       // 52
    void SendTrapActivated(const CBuilding* trap, const CUnit* unit);               // 54
    void SendTrapDestroyed(const CBuilding* trap, const CUnit* unit);               // 55
    void RequestMoveStep(const CUnit* unit, int32_t x, int32_t y, int32_t facing, int32_t direction);  // 57, to the host
    void RequestWorker(const CUnit* worker);                                        // 59, to the host
    void SendWorkerLeave(const CUnit* worker, int32_t x, int32_t y);                // 61
    void RequestHarvest(const CUnit* worker, const CBuilding* site);                // 65, to the host
    void RequestEnterBuilding(const CBuilding* building, const CUnit* unit);        // 67, to the host
    void RequestUnload(const CUnit* ship, const CUnit* carried);                    // 70, to the host
    void RequestConvertUnit(const CUnit* capturer, const CUnit* unit);              // 73, to the host
    void SendUnitConverted(const CUnit* capturer, const CUnit* unit, int32_t newUniqueId);  // 74
    void SendConvertBuilding(const CUnit* capturer, const CBuilding* building);     // 75, to the host
    void SendBuildingConverted(const CUnit* capturer, const CBuilding* building);   // 76
    // To the host: the player placed the building of that cast with its
    // corner at (x, y), so that every machine places it too.
    void RequestPlaceBuilding(const CBuilding* building, int32_t playerIndex, int32_t cast, int32_t x, int32_t y);

    // ---- The receiver (C_MultiplayerGame_Receive.cpp) ----
    // Applies another machine's game command here.  A packet is outside
    // input: one of the wrong size, of an unknown command, from a slot no
    // other machine plays, naming no object or a dead one, another machine's
    // object where the sender's own is due, a unit of the wrong type, a value
    // out of range, or an object that is not where the command needs it, or
    // blocks that are not free for what it puts there, is dropped with a
    // check report and changes nothing (but a granted step, below, waits
    // for blocks held here).
    void OnGamePacket(const uint8_t* bytes, size_t size);
    void OnGamePacket(const CNetPacket& packet);

    // ---- The host's steps here (C_MultiplayerGame_Steps.cpp) ----
    // The host has moved its copy of a unit as soon as it granted a step
    // (58), so every machine must reach that block, in the order granted.
    // A granted step whose blocks another unit, or a building that here
    // still stands, holds is kept and taken once they are free; the unit's
    // later 58s wait behind it, and on its owner's machine the unit keeps
    // waiting for its answer.  At most kMostPendingSteps wait; one more is
    // dropped with a check report.  A unit that dies, leaves the map or is
    // deleted drops its steps; the steps are not saved, and go when the
    // world is taken apart.
    static constexpr size_t kMostPendingSteps = 64;
    // A 58 whose fields the receiver has checked, for that unit.
    void ReceiveMoveStep(CUnit& unit, const CNetPacket& packet);
    // Once a frame: takes every kept step whose blocks are free now.
    void TakePendingSteps();
    void ForgetPendingSteps() { m_PendingSteps.clear(); }
    size_t GetPendingStepCount() const { return m_PendingSteps.size(); }

    int32_t value1;
    CGameHostInfo hosts[kMaxHosts];
    int32_t hostCount;
    CMemoryBlock transfer;
    T_LinkedList<CNetPacket, kCachePackets> cache;
    SPlayerInfo players[kMaxPlayers];
    T_Array<CNetPacket> dumpOutgoing;
    T_Array<CNetPacket> dumpIncoming;
    T_Array<SDumpName> dumpNames;

private:
    bool HasPendingStep(const CUnit& unit) const;

    std::vector<CNetPacket> m_PendingSteps;

    void Broadcast(const CNetPacket& packet, const char* label = nullptr) { SendPacket(packet, AllMachines, label); }
    void ToHost(const CNetPacket& packet) { SendPacket(packet, HostSlot); }
};

extern CMultiplayerGame g_MultiplayerGame;
