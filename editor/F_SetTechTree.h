#pragma once
// Stands in for the world editor subsystem: the technology-tree form.

#include <cstdint>

#include "media/C_GUIInterface.h"
#include "world/C_MapPlayerSettings.h"
#include "world/C_Technology.h"

class FSetTechTree : public CGUIInterface
{
public:
    static constexpr int32_t kColumnCount = 3;
    static constexpr int32_t kPlayerCount = 8;

    FSetTechTree();

    int32_t firstValue;
    // Each column lists technology ids the way a prerequisite list does.
    CTechnologyTree::SEntry columns[kColumnCount];
    int32_t value1;
    CMapPlayerSettings players[kPlayerCount];
};

extern FSetTechTree g_FSetTechTree;
