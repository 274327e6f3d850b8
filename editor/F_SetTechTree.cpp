#include "editor/F_SetTechTree.h"

#include <algorithm>
#include <cstddef>
#include <iterator>

#include "core/C_LogFile.h"

namespace
{
// Column 0: the keep's economy and the castle's siege and defence research;
// column 1: the blacksmith's and the barracks' fighting research; column 2:
// the docks', the monastery's and the alchemist's.
const int32_t kEconomyAndSiege[] = {0,  1,  2,  3,  4,  5,  6,  7,  8,  9,  10,
                                    39, 40, 41, 42, 43, 44, 45, 46, 47, 48};
const int32_t kFighting[] = {11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21,
                             22, 23, 24, 25, 26, 27, 28, 29, 30, 31};
const int32_t kShipsPriestsAndAlchemy[] = {32, 33, 34, 35, 36, 37, 38, 49, 50, 51,
                                           52, 53, 54, 55, 56, 57, 58, 59, 60};

template <size_t N>
void FillColumn(CTechnologyTree::SEntry& column, const int32_t (&ids)[N])
{
    static_assert(N <= size_t(TechnologyCount), "a column lists each technology once at most");
    column.count = int32_t(N);
    std::copy(std::begin(ids), std::end(ids), column.prerequisites);
}
}  // namespace

FSetTechTree::FSetTechTree() : firstValue(0)
{
    FillTechnologies();
    value1 = 0;
}

void FSetTechTree::FillTechnologies()
{
    FillColumn(columns[0], kEconomyAndSiege);
    FillColumn(columns[1], kFighting);
    FillColumn(columns[2], kShipsPriestsAndAlchemy);
    HasEveryTechnology();
}

bool FSetTechTree::HasEveryTechnology() const
{
    bool listed[TechnologyCount] = {};
    for (const CTechnologyTree::SEntry& column : columns)
        for (int32_t i = 0; i < column.count; ++i)
            if (CTechnologyTree::IsValidId(column.prerequisites[i]))
                listed[column.prerequisites[i]] = true;
    for (bool technologyListed : listed)
        if (!technologyListed)
        {
            DEBUG_REPORT("#DEBUG: Not all technologies added to tech-tree editor");
            return false;
        }
    return true;
}
