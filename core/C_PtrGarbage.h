#pragma once
// Deferred deletion: units and buildings that left the world wait here until
// a point of the frame at which nothing refers to them any more, and are
// deleted together by Flush.  An object is queued at most once, so it is
// never deleted twice.

#include <cstdint>

#include "core/T_Array.h"

class CUnit;
class CBuilding;

class CPtrGarbage
{
public:
    CPtrGarbage();
    ~CPtrGarbage();   // deletes whatever still waits
    CPtrGarbage(const CPtrGarbage&) = delete;
    CPtrGarbage& operator=(const CPtrGarbage&) = delete;

    void AddUnit(CUnit* unit);
    void AddBuilding(CBuilding* building);
    // The first queued unit of that player with that unique id, or null.
    CUnit* FindUnit(int player, int uniqueId) const;
    // Whether this very unit waits for deletion: two queued units may share
    // an owner and an id (loaded corpses all carry -1).
    bool HoldsUnit(const CUnit* unit) const { return IsQueued(KindUnit, unit); }
    // Deletes every queued object in queueing order.  Objects queued by
    // those deletions wait for the next flush.
    void Flush();

    int GetCount() const { return m_Records.GetCount(); }

private:
    enum Kind : int32_t
    {
        KindUnit = 0,
        KindBuilding = 1
    };
    struct SRecord
    {
        int32_t kind;
        void* object;
    };

    static constexpr int GrowStep = 512;

    bool IsQueued(Kind kind, const void* object) const;

    T_Array<SRecord> m_Records;
};

extern CPtrGarbage g_PtrGarbage;
