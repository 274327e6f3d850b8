#pragma once
// What must hold of a running world, for the simulation harness and for the fuzz targets (which link no test
// framework): the map, the sight maps, the per-type counts and every held pointer are compared with what the units,
// buildings and players say; one text per violation.  The checker knows which units live because it is told of each
// one the factory makes, and it forgets, by pointer, each one that waits for deferred deletion.

#include <cstdint>
#include <set>
#include <string>
#include <vector>

class CUnit;

class CWorldInvariants
{
public:
    void Add(const CUnit* unit) { m_Live.insert(unit); }
    void Forget(const CUnit* unit) { m_Live.erase(unit); }
    void Clear() { m_Live.clear(); }
    bool IsLive(const CUnit* unit) const { return m_Live.count(unit) != 0; }
    // Forgets what the next flush of deferred deletion deletes, and answers how many units that are.
    int32_t ForgetDeleted();
    // After a load: the units the loaded world holds are the live ones.
    void KeepHeld();
    std::vector<std::string> Check() const;

private:
    std::set<const CUnit*> m_Live;
};
