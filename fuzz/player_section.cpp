// Feeds arbitrary bytes to the reader of a player's section of a saved game.
// List entries and the researching building resolve through a small table
// of two units and two buildings of player 0.  Each input loads into a
// fresh player, which lets go of the listed objects before it goes.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>

#include "buildings/C_Building.h"
#include "media/C_SaveStream.h"
#include "units/C_Unit.h"
#include "world/C_Player.h"
#include "world/C_ReferenceBase.h"
#include "world/C_UnitStats.h"

namespace
{
constexpr size_t kLargestInput = 1u << 20;

class CFuzzStream : public CSaveStream
{
public:
    CFuzzStream(const uint8_t* data, size_t size) : m_Data(data), m_Size(size) {}
    int Write(const void* data, int count) override
    {
        (void)data;
        return count;
    }
    int Read(void* data, int count) override
    {
        const size_t wanted = size_t(count);
        const size_t copied = m_Position < m_Size ? std::min(wanted, m_Size - m_Position) : 0;
        if (copied > 0)
            std::memcpy(data, m_Data + m_Position, copied);
        std::memset(static_cast<uint8_t*>(data) + copied, 0, wanted - copied);
        if (copied < wanted)
            m_Error = true;
        m_Position += wanted;
        return int(m_Position);
    }
    bool HasError() const override { return m_Error; }
    void SetError() override { m_Error = true; }

private:
    const uint8_t* m_Data;
    size_t m_Size;
    size_t m_Position = 0;
    bool m_Error = false;
};

class CFuzzUnit : public CUnit
{
};

class CFuzzBuilding : public CBuilding
{
public:
    CFuzzBuilding() { owner = 0; }
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
    if (size > kLargestInput)
        return 0;
    SWorld& world = World();
    CFuzzStream stream(data, size);
    auto player = std::make_unique<CPlayer>();
    player->LoadGame(stream, world.table);
    // The objects belong to the world, not to the player.
    player->unitCount = 0;
    player->buildingCount = 0;
    for (CTechnology& technology : player->technologies)
        technology.researchingBuilding = nullptr;
    return 0;
}
