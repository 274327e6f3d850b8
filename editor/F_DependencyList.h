#pragma once
// Stands in for the world editor subsystem: the dependency list form.

#include <cstdint>

#include "core/T_Array.h"
#include "media/C_GUIInterface.h"

class FDependencyList : public CGUIInterface
{
public:
    static constexpr int kListCount = 3;
    static constexpr int kEntryGrowStep = 8193;

    FDependencyList();

    int32_t firstValue;
    T_Array<int32_t> lists[kListCount];
};

extern FDependencyList g_FDependencyList;
