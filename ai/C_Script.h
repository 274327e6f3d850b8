#pragma once
// Stands in for the rule-script subsystem: binds to its player and records the events the player raises.
//
// "Compiling" only checks that the file can be read; nothing is executed.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/C_String.h"

class CBuilding;
class CSaveStream;
class CUnit;

class CScript
{
public:
    enum class EEvent
    {
        UnitDied,
        BuildingDestroyed,
        BuildingBuilt,
        BuildingInRange,
        BuildingInRegion,
        UnitConverted,
        BuildingConverted,
        UnitTrained,
        TechnologyResearched,
        UnitAttacked,       // event 9, TR_UNIT_ATTACKED
        BuildingAttacked,   // event 10
        UnitPosition,
    };

    // One raised event: its kind, up to three numbers and the object it names.
    struct SEvent
    {
        EEvent kind;
        int32_t values[3];
        const void* object;
    };

    // The record keeps only the most recent events, so that a long game
    // does not grow it for ever: at the limit the older half goes.
    static constexpr size_t kMostEvents = 4096;

    CScript();

    void Reset();
    void Init(int32_t playerIndex);
    // False, with an error text that starts with the file name, when the
    // file cannot be read.
    bool CompileFile(const char* fileName, CString& errorText);
    bool IsCompiled() const { return m_Compiled; }

    void OnUnitDied(int32_t scriptTag);
    void OnBuildingDestroyed(int32_t scriptTag);
    void OnBuildingBuilt(int32_t cast);
    void OnBuildingInRange(int32_t cast, int32_t x, int32_t y);
    void OnBuildingInRegion(int32_t cast, int32_t regionId);
    void OnUnitConverted(CUnit* unit);
    void OnBuildingConverted(CBuilding* building);
    void OnUnitTrained(int32_t unitType);
    void OnTechnologyResearched(int32_t technologyId);
    // Event 9 for the unit of that special id.
    void OnUnitAttacked(int32_t specialId);
    // Event 10 for the building of that script id.
    void OnBuildingAttacked(int32_t scriptId);
    // A moving unit that an area rule watches reports its centre cell.
    void CheckUnitPosition(CUnit* unit, int32_t cellX, int32_t cellY);

    // The script's save section: empty.
    void SaveGame(CSaveStream& stream) const;
    void LoadGame(CSaveStream& stream);

    int32_t GetPlayerIndex() const { return m_PlayerIndex; }
    const std::vector<SEvent>& GetEvents() const { return m_Events; }
    void ClearEvents() { m_Events.clear(); }

private:
    void Record(EEvent kind, int32_t a, int32_t b, int32_t c, const void* object);

    int32_t m_PlayerIndex;
    bool m_Compiled;
    std::vector<SEvent> m_Events;
};
