#pragma once
// Stands in for the computer-opponent subsystem: binds to its player and records the notifications it receives.

#include <cstddef>
#include <cstdint>
#include <vector>

class CBuilding;
class CSaveStream;
class CUnit;

class CComputerAI
{
public:
    enum class ENotice
    {
        UnitAdded,
        UnitDied,
        BuildingDestroyed,
        BuildQueueRemoval,
        TechnologyResearched,
        AttackPosition,
        BeingAttacked,
        ObjectDestroyed,
        OrderDone,
    };

    // One notification: its kind, the unit or building it names (or the
    // attacker), and a number (technology id, position).
    struct SNotice
    {
        ENotice kind;
        const void* object;
        const void* attacker;
        int32_t value;
    };

    // The record keeps only the most recent notifications, so that a long
    // game does not grow it for ever: at the limit the older half goes.
    static constexpr size_t kMostNotices = 4096;

    // How readily the player's idle units step aside from a catapult stone
    // about to land on them: 1 to 100, a chance of 1 in (101 - value); 0
    // never.  The opponent's own play would set it; until then its units
    // always step aside.
    static constexpr int32_t MostDodge = 100;
    static constexpr int32_t DefaultDodge = MostDodge;

    CComputerAI();

    void Init(int32_t playerIndex);
    void DeleteAllBattlePlans();
    void FreeBattlePlans();
    void Run1Frame();

    void AddUnit(CUnit* unit);
    void OnUnitDied(CUnit* unit);
    void OnBuildingDestroyed(CBuilding* building);
    void RemoveFromBuildQueue(CBuilding* building);
    void RemoveFromKindLists(int32_t technologyId);
    void RecordAttackPosition(int32_t position);
    // A worker of this player and the length of its path to storage.
    void RecordAttackPosition(CUnit* worker, int32_t pathLength);
    void OnBeingAttacked(const void* attacked, CUnit* attacker);
    void OnObjectDestroyed(CUnit* unit);
    // Every battle plan learns that the building is gone.
    void OnObjectDestroyed(CBuilding* building);
    // A unit with the AI order flag found no path to its unreached target:
    // its order counts as done.
    void OnUnitOrderDone(CUnit* unit);

    // The opponent's save section: empty.
    void SaveGame(CSaveStream& stream) const;
    void LoadGame(CSaveStream& stream);

    int32_t GetDodgeValue() const { return m_Dodge; }
    // Kept within 0 to 100.
    void SetDodgeValue(int32_t value);

    int32_t GetPlayerIndex() const { return m_PlayerIndex; }
    int32_t GetFrameCount() const { return m_Frames; }
    const std::vector<SNotice>& GetNotices() const { return m_Notices; }
    void ClearNotices() { m_Notices.clear(); }

private:
    void Record(ENotice kind, const void* object, const void* attacker, int32_t value);

    int32_t m_PlayerIndex;
    int32_t m_Frames;
    int32_t m_Dodge;
    std::vector<SNotice> m_Notices;
};
