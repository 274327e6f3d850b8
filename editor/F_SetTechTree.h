#pragma once
// Stands in for the world editor subsystem: the technology-tree form.  Its
// three columns list every technology once, grouped by the buildings that
// research them.

#include <cstdint>

#include "media/C_GUIInterface.h"
#include "world/C_MapPlayerSettings.h"
#include "world/C_Technology.h"

class FSetTechTree : public CGUIInterface
{
public:
    static constexpr int32_t kColumnCount = 3;
    static constexpr int32_t kPlayerCount = 8;

    // Runs during static construction, before the log is open.
    FSetTechTree();

    // Fills the columns with their fixed lists of technology ids, then
    // checks them.
    void FillTechnologies();
    // True when every technology stands in some column; otherwise a check
    // report ("#DEBUG: Not all technologies added to tech-tree editor").
    bool HasEveryTechnology() const;

    int32_t firstValue;
    // Each column lists technology ids the way a prerequisite list does.
    CTechnologyTree::SEntry columns[kColumnCount];
    int32_t value1;
    CMapPlayerSettings players[kPlayerCount];
};

extern FSetTechTree g_FSetTechTree;
