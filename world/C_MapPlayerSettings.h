#pragma once
// One player's setup as the map stores it: who plays, with which colours,
// resources, technologies and allowed unit types and buildings, and where the
// view starts.  The map owns eight; the editor edits them, the map reader
// and a new map fill them, and the game copies them into the players.

#include <cstdint>

#include "core/C_String.h"

class CMapPlayerSettings
{
public:
    static constexpr int32_t TechnologyStateCount = 61;
    static constexpr int32_t UnitFlagCount = 36;       // TENUMUNITCAST 0 .. 35
    static constexpr int32_t BuildingFlagCount = 19;   // TENUMBUILDCAST 0 .. 18

    CMapPlayerSettings();

    // The defaults of a new map for player `index`: "Player " + (index + 1),
    // a local human of colour scheme index in team 0 with 1000 of each
    // resource, starving on, population limit 256, everything enabled.
    void SetDefaults(int32_t index);

    CString name;
    CString scriptFile;
    int32_t playerType;      // TENUMPLAYERTYPE
    int32_t colourScheme;
    int32_t team;            // a loaded game gives the player team - 1
    int32_t initialWood;
    int32_t initialStone;
    int32_t initialGold;
    int32_t technologyStates[TechnologyStateCount];   // TENUMTECHSTATE
    uint8_t unitEnabled[UnitFlagCount];          // by TENUMUNITCAST
    uint8_t buildingEnabled[BuildingFlagCount];     // by TENUMBUILDCAST
    int32_t startViewX;
    int32_t startViewY;
    uint8_t starving;
    int32_t populationLimit;
};
