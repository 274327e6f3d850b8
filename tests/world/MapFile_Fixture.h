#pragma once
// A themed map on the test device with the real object factories: the type
// records, the technology tree and the range tables built, eight players,
// and helpers that read and patch the little-endian bytes of a map image.

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "WorldDevice.h"
#include "core/C_MemoryBlock.h"
#include "core/C_PtrGarbage.h"
#include "world/C_GameMap.h"
#include "world/C_Technology.h"
#include "world/C_UnitStats.h"
#include "world/RangeTables.h"

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
        MakeThemeFile("continental", "Terrain/Themes/continental.theme");
        MakeThemeFile("winter", "Terrain/Themes/winter.theme");
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

    static std::vector<uint8_t> Bytes(const CMemoryBlock& block)
    {
        return std::vector<uint8_t>(block.GetData(), block.GetData() + block.GetSize());
    }
    static std::vector<uint8_t> Save()
    {
        CMemoryBlock block;
        EXPECT_TRUE(g_GameMap.SaveMapData(block));
        return Bytes(block);
    }
    static bool Load(const std::vector<uint8_t>& bytes, uint8_t editor)
    {
        CMemoryBlock block;
        block.Write(bytes.data(), int(bytes.size()));
        block.SetPos(0);
        return g_GameMap.LoadMapData(block, editor);
    }
    static int32_t I32At(const std::vector<uint8_t>& bytes, size_t at)
    {
        return int32_t(uint32_t(bytes[at]) | uint32_t(bytes[at + 1]) << 8 | uint32_t(bytes[at + 2]) << 16 |
                       uint32_t(bytes[at + 3]) << 24);
    }
    static void PutI32(std::vector<uint8_t>& bytes, size_t at, int32_t value)
    {
        for (int i = 0; i < 4; ++i)
            bytes[at + size_t(i)] = uint8_t(uint32_t(value) >> (8 * i));
    }

private:
    std::unique_ptr<CUnitStats[]> m_Records;
    bool m_OwnRangeTables = false;
};
