#pragma once
// The table that numbers every unit and building of a game while it is
// saved, so that links between objects are stored as numbers, and turns the
// numbers back into pointers while a game is loaded.  It also carries, for
// every numbered object, the data its player's factory makes it again from.
//
// An id is the entry's place in insertion order (0, 1, 2 ...); -1 stands for
// no object.  Lookups by pointer search an index kept in address order.
// Empty between saves and loads: Reset before registering, and after the
// other sections have stored or resolved their links.

#include <cstdint>

#include "core/T_OrderedArray.h"
#include "world/C_ObjectReferences.h"

class CReferencedObjects;
class CSaveGame;

class CReferenceBase : public CObjectReferences
{
public:
    static constexpr int32_t Capacity = 65536;
    // Entry kinds as the save stores them.
    static constexpr int32_t KindUnit = 0;
    static constexpr int32_t KindBuilding = 1;

    CReferenceBase();

    void Reset();

    // The object's id; an object registered before keeps its id (with a
    // check report).  -1 for null and when the table is full.
    int32_t AddUnit(CUnit* unit);
    int32_t AddBuilding(CBuilding* building);

    // Null for -1, for an id the table does not hold, and for an entry of
    // the other kind.
    CUnit* GetUnit(int32_t id) const override;
    CBuilding* GetBuilding(int32_t id) const override;
    // -1 for null and for an object the table does not hold.
    int32_t GetUnitRef(const CUnit* unit) const override;
    int32_t GetBuildingRef(const CBuilding* building) const override;
    void RegisterBuilding(CBuilding* building) override { AddBuilding(building); }

    // Every entry's kind and creation data, then every object's own state.
    // Nothing, with a log line and the stream's error flag, when an object
    // was refused for want of room since the last Reset.
    void SaveGame(CSaveGame& stream) const;
    // Empties the table, makes every object again (same ids) and then lets
    // each read its state.  False, with the stream's error flag set, on a
    // bad entry: objects of a failed first pass are discarded; after a
    // failure while objects read their state, they stay in the table for the
    // caller that frees the world they were loaded into.
    bool LoadGame(CSaveGame& stream);

    int32_t GetCount() const { return m_Entries.GetCount(); }
    // KindUnit or KindBuilding; -1 for an id the table does not hold.
    int32_t GetKind(int32_t id) const { return IsHeld(id) ? m_Entries[id].kind : -1; }

    // The objects' services; null restores the game's own.  The set must
    // outlive its use.
    void SetObjects(const CReferencedObjects* objects);

private:
    struct SEntry
    {
        int32_t kind = KindUnit;
        CUnit* unit = nullptr;
        CBuilding* building = nullptr;
    };

    int32_t Add(int32_t kind, CUnit* unit, CBuilding* building, const char* nullMessage,
                const char* twiceMessage);
    int32_t FindRef(uintptr_t key, int32_t kind, const char* unreferencedMessage, const char* mismatchMessage,
                    const char* wrongKindMessage) const;
    bool IsHeld(int32_t id) const { return id >= 0 && id < m_Entries.GetCount(); }

    void SaveCreationData(CSaveGame& stream, const SEntry& entry) const;
    bool MakeEntry(CSaveGame& stream);
    bool MakeUnitEntry(CSaveGame& stream);
    bool MakeBuildingEntry(CSaveGame& stream);
    bool LoadStates(CSaveGame& stream);
    void DiscardAll();
    bool RefuseLoad(CSaveGame& stream, const char* logLine);

    T_OrderedArray<SEntry, uintptr_t> m_Entries;
    const CReferencedObjects* m_Objects;
    // An object was refused for want of room since the last Reset.
    bool m_Overflowed;
};

extern CReferenceBase g_ReferenceBase;
