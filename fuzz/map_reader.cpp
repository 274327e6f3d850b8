// Map files from the data files, the disk, a map transfer or the random
// generator: any bytes are refused with a log line or read into a map of
// 32 to 256 blocks each way, its objects made by the players.  The bytes go
// to the reader in a small world (type records, technology tree, range
// tables, eight players and the four theme files on disk), so that a map
// that passes the checks reaches the object records, and to the probes of
// the map lists as a file.  An input of odd length is read as the editor
// reads it, of even length as a game does.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "core/C_Config.h"
#include "core/C_File.h"
#include "core/C_MemoryBlock.h"
#include "core/C_PtrGarbage.h"
#include "effects/C_Particles.h"
#include "media/C_Texture.h"
#include "world/C_GameMap.h"
#include "world/C_Player.h"
#include "world/C_Technology.h"
#include "world/C_Theme.h"
#include "world/C_UnitStats.h"
#include "world/RangeTables.h"

namespace
{
constexpr size_t kLargestInput = 1u << 20;
// "Terrain\Themes\<name>.theme" for the themes 0 to 3.
constexpr const char* kThemeNames[ThemeCount] = {"continental", "winter", "swamp", "cave"};
constexpr int32_t kThemeTextures = 4;

void PutI32(std::vector<uint8_t>& bytes, int32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes.push_back(uint8_t(uint32_t(value) >> (8 * i)));
}

// The least theme file the reader takes: four terrain textures of a
// one-pixel image each, no transitions, and two one-pixel water images.
std::vector<uint8_t> LeastTheme()
{
    constexpr int32_t kImageBytes = 4;
    std::vector<uint8_t> bytes;
    PutI32(bytes, kThemeTextures);
    PutI32(bytes, 0);
    PutI32(bytes, kImageBytes);
    for (int32_t t = 0; t < kThemeTextures; ++t)
    {
        bytes.push_back(1);
        bytes.push_back(uint8_t('A' + t));
        bytes.push_back(0);
        PutI32(bytes, int32_t(0xFF204080u));
        bytes.insert(bytes.end(), ThemeTextureDataSize, uint8_t(t));
        PutI32(bytes, 0);
    }
    for (int32_t w = 0; w < WaterTextureCount; ++w)
    {
        PutI32(bytes, 1);
        PutI32(bytes, int32_t(0xFF2040A0u));
    }
    return bytes;
}

void WriteFile(const std::filesystem::path& path, const uint8_t* data, size_t size)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), std::streamsize(size));
}

// Made once per process, the folder removed at its end.
struct SMapWorld
{
    SMapWorld()
    {
        g_Config.logging = 0;
        folder = std::filesystem::temp_directory_path() /
                 ("v2krn-map-reader-" + std::to_string(std::random_device{}()));
        std::filesystem::create_directories(folder / "Terrain" / "Themes");
        const std::vector<uint8_t> theme = LeastTheme();
        for (const char* name : kThemeNames)
            WriteFile(folder / "Terrain" / "Themes" / (std::string(name) + ".theme"), theme.data(), theme.size());
        InitDataFile((folder.string() + "/").c_str(), 0);
        mapFile = (folder / "probe.world").string();
        AllocRangeTables();
        g_TechnologyTree.Init();
        records = std::make_unique<CUnitStats[]>(TypeRecordCount);
        g_UnitStats = records.get();
        InitTypeRecords();
        players = std::make_unique<CPlayer[]>(MaxPlayers);
        g_Players = players.get();
        g_LocalPlayer = 0;
    }
    ~SMapWorld()
    {
        g_GameMap.Free();
        g_PtrGarbage.Flush();
        g_Players = nullptr;
        players.reset();
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }

    static SMapWorld& Get()
    {
        static SMapWorld world;
        return world;
    }

    std::filesystem::path folder;
    std::string mapFile;
    std::unique_ptr<CUnitStats[]> records;
    std::unique_ptr<CPlayer[]> players;
};

void Probe(const SMapWorld& world, const uint8_t* data, size_t size)
{
    WriteFile(world.mapFile, data, size);
    int32_t width = 0, height = 0;
    if (g_GameMap.ReadMapFileSize(world.mapFile.c_str(), &width, &height) &&
        (width < MinMapSide || width > MaxMapSide || height < MinMapSide || height > MaxMapSide))
        __builtin_trap();
    if (g_GameMap.ReadMapFileStartNum(world.mapFile.c_str()) < 0)
        __builtin_trap();
    std::unique_ptr<CTexture> preview;
    g_GameMap.LoadMinimapPreview(world.mapFile.c_str(), preview);
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > kLargestInput)
        return 0;
    SMapWorld& world = SMapWorld::Get();
    Probe(world, data, size);
    CMemoryBlock block;
    if (size > 0)
        block.Write(data, int(size));
    block.SetPos(0);
    const uint8_t editor = uint8_t(size % 2);
    if (g_GameMap.LoadMapData(block, editor))
    {
        if (g_GameMap.width < MinMapSide || g_GameMap.width > MaxMapSide || g_GameMap.height < MinMapSide ||
            g_GameMap.height > MaxMapSide || g_GameMap.theme < 0 || g_GameMap.theme >= ThemeCount)
            __builtin_trap();
        g_GameMap.Free();
    }
    g_Particles.Reset();
    g_PtrGarbage.Flush();
    return 0;
}
