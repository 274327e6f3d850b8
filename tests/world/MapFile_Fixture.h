#pragma once
// A themed map on the test device with the real object factories: type records, technology tree and
// range tables built, eight players, and helpers that read and patch a map image's little-endian bytes.

#include "WorldDevice.h"
#include "core/C_MemoryBlock.h"
#include "core/C_PtrGarbage.h"
#include "tests/support/RecordBytes.h"
#include "world/RangeTables.h"

// Little-endian fields and object records of a map image.
namespace MapBytes
{
inline std::vector<uint8_t> Patched(std::vector<uint8_t> bytes, size_t at, int32_t value)
{
    SetLe32(bytes, at, value);
    return bytes;
}

// Object records as the format lays them out: a building of 40 bytes, a unit of 24 bytes and its has-name byte 0.
inline std::vector<uint8_t> BuildingRecord(int32_t owner, int32_t x, int32_t y, int32_t cast, int32_t kind,
                                           int32_t decorationKind, int32_t scriptId, uint8_t archers)
{
    const std::string record = CRecordBytes().I32(owner).I32(x).I32(y).I32(cast).I32(kind).I32(0).I32(0)
                                   .I32(decorationKind).I32(scriptId).U8(archers).Text(std::string(3, '\0')).Bytes();
    return {record.begin(), record.end()};
}
inline std::vector<uint8_t> UnitRecord(int32_t owner, int32_t x, int32_t y, int32_t type, int32_t stance)
{
    const std::string record = CRecordBytes().I32(owner).I32(x).I32(y).I32(type).I32(stance).I32(0).U8(0).Bytes();
    return {record.begin(), record.end()};
}
using Records = std::vector<std::vector<uint8_t>>;
// A map image of side x side blocks that held no objects, with these records in its two object sections
// (which lie just before the weather type and map).
inline std::vector<uint8_t> WithObjects(std::vector<uint8_t> bytes, int32_t side, const Records& buildings,
                                        const Records& units)
{
    const size_t at = bytes.size() - 4 - size_t(side) * size_t(side) - 8;
    std::vector<uint8_t> objects(8, 0);
    SetLe32(objects, 0, int32_t(buildings.size()));
    for (const std::vector<uint8_t>& record : buildings)
        objects.insert(objects.begin() + long(objects.size()) - 4, record.begin(), record.end());
    SetLe32(objects, objects.size() - 4, int32_t(units.size()));
    for (const std::vector<uint8_t>& record : units)
        objects.insert(objects.end(), record.begin(), record.end());
    bytes.erase(bytes.begin() + long(at), bytes.begin() + long(at) + 8);
    bytes.insert(bytes.begin() + long(at), objects.begin(), objects.end());
    return bytes;
}
} // namespace MapBytes

// Sections of a 32 x 32 map: preview, corners and blocks; a player setup with empty name and script texts.
namespace MapLayout
{
inline constexpr int32_t Side = 32;
inline constexpr size_t PreviewBytes = 32 * 32 * 2, CornerBytes = 33 * 33 * 9, BlockBytes = 32 * 32 * 7;
inline constexpr size_t EmptySetupBytes = 816, StartCountAt = 8 + PreviewBytes;
} // namespace MapLayout

class MapFileTest : public WorldDeviceTest
{
protected:
    void SetUp() override
    {
        WorldDeviceTest::SetUp();
        g_Config.logging = 1;
        if (g_SightDiscs == nullptr)
        {
            AllocRangeTables();
            m_OwnRangeTables = true;
        }
        g_TechnologyTree.Init();
        m_Records = std::make_unique<CUnitStats[]>(TypeRecordCount);
        g_UnitStats = m_Records.get();
        InitTypeRecords();
        MakeThemeFile("continental");
        MakeThemeFile("winter");
    }

    void TearDown() override
    {
        g_GameMap.Free();
        g_PtrGarbage.Flush();
        WorldDeviceTest::TearDown();
        g_UnitStats = nullptr;
        m_Records.reset();
        g_TechnologyTree.Clear();
        if (m_OwnRangeTables)
            FreeRangeTables();
    }

public:
    static std::vector<uint8_t> Save()
    {
        CMemoryBlock block;
        EXPECT_TRUE(g_GameMap.SaveMapData(block));
        return std::vector<uint8_t>(block.GetData(), block.GetData() + block.GetSize());
    }
    static bool Load(const std::vector<uint8_t>& bytes, uint8_t editor)
    {
        CMemoryBlock block;
        block.Write(bytes.data(), int(bytes.size()));
        block.SetPos(0);
        return g_GameMap.LoadMapData(block, editor);
    }
    // An empty 32 x 32 map: player 0 the local human, the others computers.
    static std::vector<uint8_t> EmptyMap()
    {
        EXPECT_TRUE(g_GameMap.NewMap(MapLayout::Side, MapLayout::Side, 0, 0));
        for (int32_t p = 0; p < MaxPlayers; ++p)
        {
            g_GameMap.playerSettings[p].playerType = p == 0 ? PLAYER_LOCAL : PLAYER_COMPUTER;
            g_GameMap.playerSettings[p].team = p + 1;
        }
        return Save();
    }
protected:
    // The load fails, logs "Map file refused: " with the reason (any reason
    // when empty) and leaves the map exactly as the saved image says.
    void ExpectRefused(const std::vector<uint8_t>& bad, const std::vector<uint8_t>& good, const std::string& what,
                       const std::string& reason = "")
    {
        const size_t before = Log().Lines().size();
        EXPECT_FALSE(Load(bad, 1)) << what;
        const std::vector<std::string> lines = Log().Lines();
        const std::string wanted = "Map file refused: " + reason;
        EXPECT_TRUE(std::any_of(lines.begin() + long(before), lines.end(), [&](const std::string& line)
                                { return reason.empty() ? line.rfind(wanted, 0) == 0 : line == wanted; }))
            << what;
        EXPECT_EQ(Save(), good) << what;
    }

private:
    std::unique_ptr<CUnitStats[]> m_Records;
    bool m_OwnRangeTables = false;
};
