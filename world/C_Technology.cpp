#include "world/C_Technology.h"

#include "buildings/C_Building.h"
#include "core/C_LogFile.h"
#include "media/C_SaveReader.h"
#include "media/C_SaveWriter.h"
#include "world/C_ObjectReferences.h"


namespace
{
constexpr int8_t N = STechnologyRule::NoRequirement;

// Row t: the finished building casts and researched technologies that
// technology t asks for.  The rules repeat the tree and add the buildings.
const STechnologyRule Rules[TechnologyCount] = {
    {{7, 11, N}, {N, N, N, N}},     // 0
    {{7, 4, 11}, {0, N, N, N}},     // 1
    {{7, 4, 11}, {8, 1, N, N}},     // 2
    {{7, 4, 11}, {N, N, N, N}},     // 3
    {{7, 4, 11}, {8, 3, N, N}},     // 4
    {{7, 11, N}, {N, N, N, N}},     // 5
    {{7, 4, 11}, {5, N, N, N}},     // 6
    {{7, 11, N}, {6, 8, N, N}},     // 7
    {{4, 11, N}, {53, N, N, N}},    // 8
    {{11, N, N}, {N, N, N, N}},     // 9
    {{11, N, N}, {9, N, N, N}},     // 10
    {{4, N, N}, {N, N, N, N}},      // 11
    {{4, N, N}, {11, 8, N, N}},     // 12
    {{4, N, N}, {12, 8, 29, N}},    // 13
    {{4, N, N}, {N, N, N, N}},      // 14
    {{4, N, N}, {14, 8, N, N}},     // 15
    {{4, N, N}, {15, 8, 29, N}},    // 16
    {{4, N, N}, {N, N, N, N}},      // 17
    {{4, N, N}, {17, 8, N, N}},     // 18
    {{4, N, N}, {18, 8, 29, N}},    // 19
    {{4, N, N}, {N, N, N, N}},      // 20
    {{4, N, N}, {20, 8, N, N}},     // 21
    {{4, N, N}, {21, 8, 29, N}},    // 22
    {{4, N, N}, {N, N, N, N}},      // 23
    {{4, N, N}, {23, 8, N, N}},     // 24
    {{4, N, N}, {24, 8, 29, N}},    // 25
    {{4, N, N}, {N, N, N, N}},      // 26
    {{4, N, N}, {26, 8, N, N}},     // 27
    {{4, N, N}, {27, 8, 29, N}},    // 28
    {{4, N, N}, {8, N, N, N}},      // 29
    {{2, N, N}, {N, N, N, N}},      // 30
    {{4, 2, N}, {N, N, N, N}},      // 31
    {{13, 4, N}, {54, N, N, N}},    // 32
    {{13, 4, N}, {32, N, N, N}},    // 33
    {{13, 4, N}, {8, 33, N, N}},    // 34
    {{13, N, N}, {32, N, N, N}},    // 35
    {{13, N, N}, {8, 29, 35, N}},   // 36
    {{13, N, N}, {32, N, N, N}},    // 37
    {{13, N, N}, {8, 29, 37, N}},   // 38
    {{4, 1, N}, {N, N, N, N}},      // 39
    {{4, 1, N}, {39, 8, N, N}},     // 40
    {{4, 1, N}, {40, 8, 29, N}},    // 41
    {{4, 3, 1}, {8, 54, N, N}},     // 42
    {{4, 3, 1}, {42, 29, 8, 55}},   // 43
    {{1, N, N}, {8, N, N, N}},      // 44
    {{4, 3, 1}, {8, N, N, N}},      // 45
    {{1, N, N}, {8, N, N, N}},      // 46
    {{1, N, N}, {46, 8, N, N}},     // 47
    {{1, N, N}, {8, N, N, N}},      // 48
    {{8, N, N}, {N, N, N, N}},      // 49
    {{8, N, N}, {54, N, N, N}},     // 50
    {{8, N, N}, {50, 8, N, N}},     // 51
    {{15, N, N}, {51, N, N, N}},    // 52
    {{3, N, N}, {N, N, N, N}},      // 53
    {{3, N, N}, {N, N, N, N}},      // 54
    {{3, N, N}, {54, 8, N, N}},     // 55
    {{3, N, N}, {N, N, N, N}},      // 56
    {{3, N, N}, {N, N, N, N}},      // 57
    {{3, N, N}, {54, 31, N, N}},    // 58
    {{3, N, N}, {56, N, N, N}},     // 59
    {{3, N, N}, {8, N, N, N}},      // 60
};

struct SPrerequisiteRow
{
    int32_t technology;
    int32_t prerequisites[4];
    int32_t count;
};

// In the stored order; technologies not listed have none.
const SPrerequisiteRow Prerequisites[] = {
    {1, {0}, 1},          {2, {1, 8}, 2},       {4, {3, 8}, 2},       {6, {5}, 1},
    {7, {6, 8}, 2},       {8, {53}, 1},         {10, {9}, 1},         {12, {11, 8}, 2},
    {13, {12, 8, 29}, 3}, {15, {14, 8}, 2},     {16, {15, 8, 29}, 3}, {18, {17, 8}, 2},
    {19, {18, 8, 29}, 3}, {21, {20, 8}, 2},     {22, {21, 8, 29}, 3}, {24, {23, 8}, 2},
    {25, {24, 8, 29}, 3}, {27, {26, 8}, 2},     {28, {27, 8, 29}, 3}, {29, {8}, 1},
    {32, {54}, 1},        {33, {32}, 1},        {34, {33}, 1},        {35, {32}, 1},
    {36, {35, 8, 29}, 3}, {37, {32}, 1},        {38, {37, 8, 29}, 3}, {40, {39, 8}, 2},
    {41, {40, 8, 29}, 3}, {42, {8, 54}, 2},     {43, {42, 29, 8, 55}, 4}, {44, {8}, 1},
    {45, {8}, 1},         {46, {8}, 1},         {47, {46, 8}, 2},     {48, {8}, 1},
    {50, {54}, 1},        {51, {50}, 1},        {52, {51}, 1},        {55, {54, 8}, 2},
    {58, {54, 31}, 2},    {59, {56}, 1},        {60, {8}, 1},
};
} // namespace

void LogInvalidTechnologyId(int32_t technologyId)
{
    CString number;
    number.FromInt(technologyId);
    g_Log.Write(CString("Invalid technology id: ") + number);
}

void CTechnology::Set(const CUnitStats* record)
{
    if (type != nullptr)
        DEBUG_REPORT("#DEBUG: CTechnology ReSet");
    type = record;
}

void CTechnology::CheckBuildingOwner() const
{
    if (researchingBuilding != nullptr && researchingBuilding->owner != owner)
        DEBUG_REPORT("#DEBUG: Invalid technology!");
}

void CTechnology::StartResearch(CBuilding* building)
{
    researchingBuilding = building;
    progress = 0.0f;
    CheckBuildingOwner();
}

EResearchStep CTechnology::AdvanceResearch(float amount)
{
    CheckBuildingOwner();
    if (progress >= ResearchedProgress)
    {
        // Completed meanwhile by another way: the building has nothing left
        // to research and must not apply the effects again.
        progress = ResearchedProgress;
        researchingBuilding = nullptr;
        return EResearchStep::AlreadyFinished;
    }
    const float rate = type != nullptr ? type->rate : 0.0f;
    progress += rate * amount;
    if (progress < ResearchedProgress)
        return EResearchStep::Running;
    progress = ResearchedProgress;
    researchingBuilding = nullptr;
    return EResearchStep::FinishedNow;
}

void CTechnology::SaveGame(CSaveStream& stream, const CObjectReferences& references) const
{
    CSaveWriter out(stream);
    out.U8(enabled);
    out.F32(progress);
    out.I32(researchingBuilding != nullptr ? references.GetBuildingRef(researchingBuilding)
                                           : CObjectReferences::NoObject);
}

bool CTechnology::LoadGame(CSaveStream& stream, const CObjectReferences& references)
{
    CSaveReader in(stream, "Technology state refused: ");
    const uint8_t loadedEnabled = in.U8();
    const float loadedProgress = in.F32();
    const int32_t buildingId = in.I32();
    if (!in.Finish())
        return false;
    if (!CSaveReader::InRange(loadedProgress, 0.0f, ResearchedProgress))
        return in.Refuse("the progress is not a percentage");
    CBuilding* building = nullptr;
    if (buildingId != CObjectReferences::NoObject)
    {
        building = references.GetBuilding(buildingId);
        if (building == nullptr)
            return in.Refuse("the researching building is unknown");
    }
    enabled = loadedEnabled;
    progress = loadedProgress;
    researchingBuilding = building;
    return true;
}

void CTechnologyTree::Clear()
{
    for (SEntry& entry : entries)
        entry.count = 0;
}

void CTechnologyTree::Init()
{
    Clear();
    for (const SPrerequisiteRow& row : Prerequisites)
    {
        SEntry& entry = entries[row.technology];
        for (int32_t i = 0; i < row.count; ++i)
            entry.prerequisites[entry.count++] = row.prerequisites[i];
    }
}

int32_t CTechnologyTree::CollectChain(int32_t technologyId, int32_t* chain) const
{
    if (!IsValidId(technologyId))
    {
        LogInvalidTechnologyId(technologyId);
        return 0;
    }
    bool collected[TechnologyCount] = {};
    int32_t count = 0;
    chain[count++] = technologyId;
    collected[technologyId] = true;
    // The chain doubles as the work list: each member adds its unseen
    // prerequisites behind the end.
    for (int32_t next = 0; next < count; ++next)
    {
        const SEntry& entry = entries[chain[next]];
        for (int32_t i = 0; i < entry.count; ++i)
        {
            const int32_t id = entry.prerequisites[i];
            if (!IsValidId(id) || collected[id])
                continue;
            collected[id] = true;
            chain[count++] = id;
        }
    }
    return count;
}

const STechnologyRule& CTechnologyTree::GetRule(int32_t technologyId)
{
    return Rules[technologyId];
}
