#include "editor/F_DependencyList.h"

FDependencyList::FDependencyList() : firstValue(0)
{
    for (T_Array<int32_t>& list : lists)
        list.Allocate(kEntryGrowStep);
}
