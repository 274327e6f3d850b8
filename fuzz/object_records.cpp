// Feeds arbitrary bytes to the readers of a unit's and a building's own
// record in a saved game.  The first byte chooses the record (even: unit,
// odd: building); the rest is the record.  Links resolve through a small
// table of two units and two buildings, queue entries through the type
// records and the research through the players' technology states.

#include <cstddef>
#include <cstdint>
#include <algorithm>
#include <cstring>
#include <memory>
#include <string>

#include "buildings/C_Building.h"
#include "fuzz/FuzzSaveStream.h"
#include "media/C_SaveStream.h"
#include "units/C_Unit.h"
#include "world/C_Player.h"
#include "world/C_ReferenceBase.h"
#include "world/C_UnitStats.h"

namespace
{
constexpr size_t kLargestInput = 1u << 16;
constexpr int32_t kFireCount = 4;

class CFuzzUnit : public CUnit
{
};

// 3 x 2 blocks with four fire positions.
class CFuzzBuilding : public CBuilding
{
public:
    CFuzzBuilding()
    {
        InitFirePositions(kFireCount);
        for (int32_t i = 0; i < kFireCount; ++i)
            AddFirePosition(10.0f * float(i), 1.0f, 2.0f, 1.0f, 30.0f);
    }
    int32_t GetWidth() const override { return 3; }
    int32_t GetDepth() const override { return 2; }
};

struct SWorld
{
    SWorld()
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

    std::unique_ptr<CUnitStats[]> records;
    std::unique_ptr<CPlayer[]> players;
    CFuzzUnit units[2];
    CFuzzBuilding buildings[2];
    CReferenceBase table;
};

SWorld& World()
{
    static SWorld world;
    return world;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1 || size > kLargestInput)
        return 0;
    SWorld& world = World();
    CFuzzSaveStream stream(data + 1, size - 1);
    if (data[0] % 2 == 0)
    {
        CFuzzUnit unit;
        unit.LoadGame(stream, world.table);
    }
    else
    {
        CFuzzBuilding building;
        building.LoadGame(stream, world.table);
        // The research state must not keep a building that is gone.
        if (building.research != nullptr)
            building.research->researchingBuilding = nullptr;
        building.productionUnit = nullptr;
    }
    return 0;
}
