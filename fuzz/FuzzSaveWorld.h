#pragma once
// The least world the save-record targets read into: the type records, the
// eight players and a reference table holding two units and two buildings
// (ids 0 to 3, units and buildings in turn), made once per process.

#include <memory>

#include "units/C_Unit.h"
#include "world/C_Player.h"
#include "world/C_ReferenceBase.h"
#include "world/C_UnitStats.h"

class CFuzzUnit : public CUnit
{
};

template <typename TBuilding>
struct SFuzzSaveWorld
{
    SFuzzSaveWorld()
    {
        records = std::make_unique<CUnitStats[]>(TypeRecordCount);
        g_UnitStats = records.get();
        players = std::make_unique<CPlayer[]>(MaxPlayers);
        g_Players = players.get();
        table.AddUnit(&units[0]);
        table.AddBuilding(&buildings[0]);
        table.AddUnit(&units[1]);
        table.AddBuilding(&buildings[1]);
    }

    static SFuzzSaveWorld& Get()
    {
        static SFuzzSaveWorld world;
        return world;
    }

    std::unique_ptr<CUnitStats[]> records;
    std::unique_ptr<CPlayer[]> players;
    CFuzzUnit units[2];
    TBuilding buildings[2];
    CReferenceBase table;
};
