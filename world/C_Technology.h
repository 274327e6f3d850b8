#pragma once
// One player's research state of one technology, and the fixed tree of
// prerequisites with the availability rule of each technology.  A state is
// researched exactly when its progress is 100.0; research is driven by the
// building that researches it, one production step at a time.

#include <cstdint>

#include "world/C_UnitStats.h"

class CBuilding;
class CObjectReferences;
class CSaveStream;

// What one research step did.  Only FinishedNow asks the caller to apply
// the technology's effects, so a technology that reached 100 by another way
// (script, map setup, network) is never applied twice.
enum class EResearchStep
{
    Running,
    FinishedNow,
    AlreadyFinished,
};

class CTechnology
{
public:
    static constexpr float ResearchedProgress = 100.0f;

    // Binds the state to its type record; a state already bound is reported
    // ("#DEBUG: CTechnology ReSet") and takes the new record.
    void Set(const CUnitStats* record);
    // The building that researches it now; progress starts at 0.
    void StartResearch(CBuilding* building);
    // progress += rate x amount; at 100 or more the progress becomes exactly
    // 100.0 and the building is let go.
    EResearchStep AdvanceResearch(float amount);
    bool IsResearched() const { return progress == ResearchedProgress; }

    // Enabled (8-bit), progress (32-bit float), the researching building's
    // id in the table (-1 for none).
    void SaveGame(CSaveStream& stream, const CObjectReferences& references) const;
    // Reads what SaveGame wrote.  False, with the stream's error flag set, a
    // log line and the state as it was, for a progress that is not a number
    // from 0 to 100 or a building id the table does not know.
    bool LoadGame(CSaveStream& stream, const CObjectReferences& references);

    int32_t owner = 0;
    int32_t technologyId = 0;
    uint8_t enabled = 0;
    float progress = 0.0f;   // percent
    const CUnitStats* type = nullptr;
    CBuilding* researchingBuilding = nullptr;

private:
    void CheckBuildingOwner() const;
};

// The buildings and technologies a technology asks for before it may be
// researched.  Unused places hold NoRequirement.
struct STechnologyRule
{
    static constexpr int32_t MaxBuildings = 3;
    static constexpr int32_t MaxTechnologies = 4;
    static constexpr int8_t NoRequirement = -1;

    int8_t buildingCasts[MaxBuildings];
    int8_t technologies[MaxTechnologies];
};

class CTechnologyTree
{
public:
    struct SEntry
    {
        SEntry() = default;
        ~SEntry() { count = 0; }
        int32_t prerequisites[TechnologyCount] = {};
        int32_t count = 0;
    };

    void Clear();
    // Clear, then the prerequisite lists of the 61 technologies.
    void Init();

    // The technology and, through the tree, every prerequisite below it, each
    // once, into `chain` (room for TechnologyCount); returns how many.  An id
    // outside 0 .. 60 gives 0 and a log line.
    int32_t CollectChain(int32_t technologyId, int32_t* chain) const;

    // The availability rule of a technology (0 .. 60).
    static const STechnologyRule& GetRule(int32_t technologyId);
    static bool IsValidId(int32_t technologyId) { return technologyId >= 0 && technologyId < TechnologyCount; }

    SEntry entries[TechnologyCount];
};

extern CTechnologyTree g_TechnologyTree;

// The log line for a technology id outside 0 .. 60 from a script, the
// developer line or a peer.
void LogInvalidTechnologyId(int32_t technologyId);
