#include "core/C_PtrGarbage.h"

#include <vector>

#include "buildings/C_Building.h"
#include "core/C_LogFile.h"
#include "units/C_Unit.h"

CPtrGarbage::CPtrGarbage()
{
    m_Records.Allocate(GrowStep);
}

CPtrGarbage::~CPtrGarbage()
{
    Flush();
    m_Records.Free();
}

bool CPtrGarbage::IsQueued(Kind kind, const void* object) const
{
    for (int i = 0; i < m_Records.GetCount(); ++i)
    {
        if (m_Records[i].kind == kind && m_Records[i].object == object)
            return true;
    }
    return false;
}

void CPtrGarbage::AddUnit(CUnit* unit)
{
    if (!unit)
        return;
    if (IsQueued(KindUnit, unit))
    {
        DEBUG_REPORT_AT("#DEBUG: Unit duplication in garbage collection", 30);
        return;
    }
    m_Records.Add(SRecord{KindUnit, unit});
}

void CPtrGarbage::AddBuilding(CBuilding* building)
{
    if (!building)
        return;
    if (IsQueued(KindBuilding, building))
    {
        DEBUG_REPORT_AT("#DEBUG: Building duplication in garbage collection", 47);
        return;
    }
    m_Records.Add(SRecord{KindBuilding, building});
}

CUnit* CPtrGarbage::FindUnit(int player, int uniqueId) const
{
    for (int i = 0; i < m_Records.GetCount(); ++i)
    {
        if (m_Records[i].kind != KindUnit)
            continue;
        CUnit* unit = static_cast<CUnit*>(m_Records[i].object);
        if (unit->player == player && unit->uniqueId == uniqueId)
            return unit;
    }
    return nullptr;
}

void CPtrGarbage::Flush()
{
    // A destructor may queue further objects: work on a detached copy so the
    // list can change underneath.
    std::vector<SRecord> pending;
    pending.reserve(m_Records.GetCount());
    for (int i = 0; i < m_Records.GetCount(); ++i)
        pending.push_back(m_Records[i]);
    m_Records.Clear();
    for (const SRecord& record : pending)
    {
        if (record.kind == KindUnit)
            delete static_cast<CUnit*>(record.object);
        else if (record.kind == KindBuilding)
            delete static_cast<CBuilding*>(record.object);
    }
}
