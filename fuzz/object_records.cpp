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
#include "fuzz/FuzzSaveWorld.h"
#include "media/C_SaveStream.h"
#include "units/C_Unit.h"
#include "world/C_Player.h"
#include "world/C_ReferenceBase.h"
#include "world/C_UnitStats.h"

namespace
{
constexpr size_t kLargestInput = 1u << 16;
constexpr int32_t kFireCount = 4;

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

using SWorld = SFuzzSaveWorld<CFuzzBuilding>;
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1 || size > kLargestInput)
        return 0;
    SWorld& world = SWorld::Get();
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
