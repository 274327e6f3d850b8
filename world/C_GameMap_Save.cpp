// The world map's section of a saved game: theme, size, camera and water,
// the corner grids column by column with the weather and AI tilt bytes, the
// blocks, the weather type and the eight player setups.  All numbers are
// little-endian; objects are written as reference ids.

#include <algorithm>
#include <cstring>
#include <memory>
#include <unordered_set>
#include <vector>

#include "core/C_LogFile.h"
#include "media/C_SaveReader.h"
#include "media/C_SaveWriter.h"
#include "world/C_GameMap.h"
#include "world/C_ObjectReferences.h"

namespace
{
// Setup names are read into a buffer of this size, terminator included.
constexpr int32_t MaxSetupNameBytes = 240;
constexpr int32_t PlayerCount = 8;

struct SStagedBlock
{
    uint16_t waterLevel;
    uint16_t shoreDirection;
    uint8_t blocked;
    uint8_t impassable;
    int32_t randomValue;
    CUnit* unit;
    CBuilding* building;
    uint16_t decorationModel;
    uint16_t regionId;
};

struct SStagedSetup
{
    char name[MaxSetupNameBytes];
    int32_t playerType;
    int32_t colourScheme;
    int32_t team;
    int32_t wood;
    int32_t stone;
    int32_t gold;
    int32_t technologyStates[CMapPlayerSettings::TechnologyStateCount];
    uint8_t unitEnabled[CMapPlayerSettings::UnitFlagCount];
    uint8_t buildingEnabled[CMapPlayerSettings::BuildingFlagCount];
    int32_t startViewX;
    int32_t startViewY;
};

// Everything of the section, read and checked before the map changes.
struct SStagedMap
{
    int32_t theme = NoTheme;
    int32_t width = 0;
    int32_t height = 0;
    float camera[7] = {};      // target x, y, heading, target heading, distance, velocity x, y
    int32_t scrollInput[2] = {};
    float view[12] = {};       // translation, then the matrix
    int32_t waterAccumulator = 0;
    float waterOffsets[2] = {};
    std::vector<int32_t> heights = std::vector<int32_t>(MapCornerCount, 0);
    std::vector<int32_t> colours = std::vector<int32_t>(MapCornerCount, 0);
    std::vector<uint8_t> textures = std::vector<uint8_t>(MapCornerCount, 0);
    std::vector<uint8_t> weather = std::vector<uint8_t>(MapBlockCount, 0);
    std::vector<uint8_t> tilt = std::vector<uint8_t>(MapBlockCount, 0);
    std::vector<SStagedBlock> blocks = std::vector<SStagedBlock>(MapBlockCount, SStagedBlock{});
    int32_t weatherType = WEATHER_NONE;
    SStagedSetup setups[PlayerCount] = {};
};

bool ReadHeader(CSaveReader& in, SStagedMap& map)
{
    map.theme = in.I32();
    map.width = in.I32();
    map.height = in.I32();
    if (in.Failed())
        return false;
    return map.theme >= NoTheme && map.theme < ThemeCount && map.width >= MinMapSide && map.width <= MaxMapSide &&
           map.height >= MinMapSide && map.height <= MaxMapSide;
}

void ReadCamera(CSaveReader& in, SStagedMap& map)
{
    for (float& value : map.camera)
        value = in.F32();
    for (int32_t& value : map.scrollInput)
        value = in.I32();
    for (float& value : map.view)
        value = in.F32();
    map.waterAccumulator = in.I32();
    for (float& value : map.waterOffsets)
        value = in.F32();
}

void ReadCornerColumns(CSaveReader& in, SStagedMap& map)
{
    for (int32_t x = 0; x <= map.width && !in.Failed(); ++x)
    {
        const int32_t column = x * MapCornerSide;
        for (int32_t y = 0; y <= map.height; ++y)
            map.heights[size_t(column + y)] = in.I32();
        for (int32_t y = 0; y <= map.height; ++y)
            map.colours[size_t(column + y)] = in.I32();
        in.Bytes(&map.textures[size_t(column)], map.height + 1);
        if (x < map.width)
        {
            in.Bytes(&map.weather[size_t(x * MapBlockSide)], map.height);
            in.Bytes(&map.tilt[size_t(x * MapBlockSide)], map.height);
        }
    }
}

bool ReadBlocks(CSaveReader& in, const CObjectReferences& references, SStagedMap& map)
{
    for (int32_t x = 0; x < map.width; ++x)
        for (int32_t y = 0; y < map.height; ++y)
        {
            SStagedBlock& block = map.blocks[size_t(x * MapBlockSide + y)];
            block.waterLevel = in.U16();
            block.shoreDirection = in.U16();
            block.blocked = in.U8();
            block.impassable = in.U8();
            block.randomValue = in.I32();
            const int32_t unitId = in.I32();
            const int32_t buildingId = in.I32();
            block.decorationModel = in.U16();
            block.regionId = in.U16();
            if (in.Failed())
                return false;
            block.unit = unitId == CObjectReferences::NoObject ? nullptr : references.GetUnit(unitId);
            block.building =
                buildingId == CObjectReferences::NoObject ? nullptr : references.GetBuilding(buildingId);
            if ((unitId != CObjectReferences::NoObject && block.unit == nullptr) ||
                (buildingId != CObjectReferences::NoObject && block.building == nullptr))
                return false;
        }
    return true;
}

bool ReadSetup(CSaveReader& in, SStagedSetup& setup)
{
    const int32_t nameBytes = in.I32();
    if (in.Failed() || nameBytes < 1 || nameBytes > MaxSetupNameBytes)
        return false;
    in.Bytes(setup.name, nameBytes);
    if (setup.name[nameBytes - 1] != 0)
        return false;
    setup.playerType = in.I32();
    setup.colourScheme = in.I32();
    setup.team = in.I32();
    setup.wood = in.I32();
    setup.stone = in.I32();
    setup.gold = in.I32();
    for (int32_t& state : setup.technologyStates)
        state = in.I32();
    in.Bytes(setup.unitEnabled, CMapPlayerSettings::UnitFlagCount);
    in.Bytes(setup.buildingEnabled, CMapPlayerSettings::BuildingFlagCount);
    setup.startViewX = in.I32();
    setup.startViewY = in.I32();
    return !in.Failed();
}

const char* ReadSection(CSaveReader& in, const CObjectReferences& references, SStagedMap& map)
{
    if (!ReadHeader(in, map))
        return in.Failed() ? "section too short" : "bad theme or size";
    ReadCamera(in, map);
    ReadCornerColumns(in, map);
    if (in.Failed())
        return "section too short";
    if (!ReadBlocks(in, references, map))
        return in.Failed() ? "section too short" : "unknown object reference";
    map.weatherType = in.I32();
    if (in.Failed())
        return "section too short";
    if (map.weatherType < WEATHER_NONE || map.weatherType > WEATHER_SNOW)
        return "bad weather type";
    for (SStagedSetup& setup : map.setups)
        if (!ReadSetup(in, setup))
            return in.Failed() ? "section too short" : "bad player name";
    return nullptr;
}
} // namespace

void CGameMap::RegisterReferences(CObjectReferences& references) const
{
    // A building covers several blocks; the first of them in block order
    // registers it.
    std::unordered_set<const CBuilding*> registered;
    for (int32_t x = 0; x < width; ++x)
        for (int32_t y = 0; y < height; ++y)
        {
            CBuilding* building = Block(x, y).building;
            if (building != nullptr && registered.insert(building).second)
                references.RegisterBuilding(building);
        }
}

void CGameMap::SaveGame(CSaveStream& stream, const CObjectReferences& references) const
{
    CSaveWriter out(stream);
    out.I32(theme);
    out.I32(width);
    out.I32(height);

    for (float value : {cameraTargetX, cameraTargetY, cameraHeading, cameraTargetHeading, cameraDistance,
                        scrollVelocityX, scrollVelocityY})
        out.F32(value);
    out.I32(scrollInputX);
    out.I32(scrollInputY);
    for (float value : viewTranslation)
        out.F32(value);
    for (float value : viewMatrix)
        out.F32(value);
    out.I32(waterAccumulator);
    for (float value : waterOffsets)
        out.F32(value);

    for (int32_t x = 0; x <= width; ++x)
    {
        const int32_t column = x * MapCornerSide;
        for (int32_t y = 0; y <= height; ++y)
            out.I32(cornerHeights[column + y]);
        for (int32_t y = 0; y <= height; ++y)
            out.I32(cornerColours[column + y]);
        out.Bytes(&cornerTextures[column], height + 1);
        if (x < width)
        {
            out.Bytes(&weatherMap[x * MapBlockSide], height);
            out.Bytes(&aiTiltMap[x * MapBlockSide], height);
        }
    }

    for (int32_t x = 0; x < width; ++x)
        for (int32_t y = 0; y < height; ++y)
        {
            const SMapBlock& block = Block(x, y);
            out.U16(block.waterLevel);
            out.U16(block.shoreDirection);
            out.U8(block.blocked);
            out.U8(block.impassable);
            out.I32(block.randomValue);
            out.I32(block.unit != nullptr ? references.GetUnitRef(block.unit) : CObjectReferences::NoObject);
            out.I32(block.building != nullptr ? references.GetBuildingRef(block.building)
                                              : CObjectReferences::NoObject);
            out.U16(block.decorationModel);
            out.U16(block.regionId);
        }

    out.I32(weatherType);

    for (const CMapPlayerSettings& setup : playerSettings)
    {
        // Longer names are cut so that the reader's buffer always holds them.
        const int32_t nameLength = std::min(setup.name.GetLength(), MaxSetupNameBytes - 1);
        out.I32(nameLength + 1);
        out.Bytes(setup.name.GetBuffer(), nameLength);
        out.U8(0);
        out.I32(setup.playerType);
        out.I32(setup.colourScheme);
        out.I32(setup.team);
        out.I32(setup.initialWood);
        out.I32(setup.initialStone);
        out.I32(setup.initialGold);
        for (int32_t state : setup.technologyStates)
            out.I32(state);
        out.Bytes(setup.unitEnabled, CMapPlayerSettings::UnitFlagCount);
        out.Bytes(setup.buildingEnabled, CMapPlayerSettings::BuildingFlagCount);
        out.I32(setup.startViewX);
        out.I32(setup.startViewY);
    }
}

bool CGameMap::LoadGame(CSaveStream& stream, const CObjectReferences& references)
{
    CSaveReader in(stream, "Map section refused: ");
    auto staged = std::make_unique<SStagedMap>();
    const char* reason = ReadSection(in, references, *staged);
    CTheme loaded;
    if (reason == nullptr && staged->theme != theme && staged->theme != NoTheme &&
        !loaded.Load(CTheme::GetFileName(staged->theme)))
        reason = "theme cannot be loaded";
    if (reason != nullptr)
    {
        g_Log.Write(CString("Map section of the saved game rejected (") + reason + ")");
        stream.SetError();
        return false;
    }

    const SStagedMap& map = *staged;
    if (map.theme != theme)
    {
        FreeThemeTextures();
        themeTextures.Swap(loaded);
        theme = map.theme;
    }
    width = map.width;
    height = map.height;
    CreateMinimap();

    float* const camera[7] = {&cameraTargetX, &cameraTargetY, &cameraHeading, &cameraTargetHeading,
                              &cameraDistance, &scrollVelocityX, &scrollVelocityY};
    for (int32_t i = 0; i < 7; ++i)
        *camera[i] = map.camera[i];
    scrollInputX = map.scrollInput[0];
    scrollInputY = map.scrollInput[1];
    std::memcpy(viewTranslation, map.view, sizeof(viewTranslation));
    std::memcpy(viewMatrix, map.view + 3, sizeof(viewMatrix));
    waterAccumulator = map.waterAccumulator;
    waterOffsets[0] = map.waterOffsets[0];
    waterOffsets[1] = map.waterOffsets[1];

    std::memcpy(cornerHeights, map.heights.data(), sizeof(cornerHeights));
    std::memcpy(cornerColours, map.colours.data(), sizeof(cornerColours));
    std::memcpy(cornerTextures, map.textures.data(), sizeof(cornerTextures));
    std::memcpy(weatherMap, map.weather.data(), sizeof(weatherMap));
    std::memcpy(aiTiltMap, map.tilt.data(), sizeof(aiTiltMap));
    for (int32_t x = 0; x < MapBlockSide; ++x)
        for (int32_t y = 0; y < MapBlockSide; ++y)
        {
            SMapBlock& block = Block(x, y);
            const SStagedBlock& from = map.blocks[size_t(x * MapBlockSide + y)];
            block = SMapBlock{};
            block.waterLevel = from.waterLevel;
            block.shoreDirection = from.shoreDirection;
            block.frameStamp = frameStamp - 1;
            block.blocked = from.blocked;
            block.impassable = from.impassable;
            block.randomValue = from.randomValue;
            block.regionId = from.regionId;
            block.unit = from.unit;
            block.building = from.building;
            block.decorationModel = IsOnMap(x, y) ? from.decorationModel : NoDecoration;
            for (SMixPass& pass : block.mixPasses)
                pass = SMixPass{MixPassEnd, 0};
        }
    CollectMapObjects();
    weatherType = map.weatherType;

    for (int32_t p = 0; p < PlayerCount; ++p)
    {
        const SStagedSetup& from = map.setups[p];
        CMapPlayerSettings& setup = playerSettings[p];
        setup.name = from.name;
        setup.playerType = from.playerType;
        setup.colourScheme = from.colourScheme;
        setup.team = from.team;
        setup.initialWood = from.wood;
        setup.initialStone = from.stone;
        setup.initialGold = from.gold;
        std::memcpy(setup.technologyStates, from.technologyStates, sizeof(setup.technologyStates));
        std::memcpy(setup.unitEnabled, from.unitEnabled, sizeof(setup.unitEnabled));
        std::memcpy(setup.buildingEnabled, from.buildingEnabled, sizeof(setup.buildingEnabled));
        setup.startViewX = from.startViewX;
        setup.startViewY = from.startViewY;
    }

    for (int32_t x = 0; x < width; ++x)
        for (int32_t y = 0; y < height; ++y)
            GetTileTransition(x, y);
    UpdateArea(0, 0, -1, -1);
    return true;
}
