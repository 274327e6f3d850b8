#include "world/C_GameMap.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "core/C_LogFile.h"
#include "core/C_PtrGarbage.h"
#include "core/GlobalFunc.h"
#include "effects/C_Particles.h"
#include "media/C_2DFont.h"
#include "media/C_EnvironmentFX.h"
#include "media/C_Texture.h"
#include "media/C_VXBuffer.h"
#include "units/C_Unit.h"
#include "buildings/C_Building.h"
#include "world/C_BusyCursor.h"
#include "world/C_PathFinder.h"
#include "buildings/C_BuildingCastTable.h"
#include "world/C_Player.h"

namespace
{
constexpr float ResetHeading = 315.0f;
constexpr float ResetDistance = 500.0f;
constexpr float ResetViewTranslation[3] = {50.0f, 50.0f, 500.0f};
constexpr float SecondWaterOffset = 0.5f;
constexpr float DegreesToRadians = 0.017453289f;
constexpr int32_t RandomValueRange = 1024;
constexpr int32_t MinimapOverlayMaxSide = 64;

// The detail table: how finely the drawing subdivides by distance class.
constexpr int32_t DetailTable[27] = {0, 0, 0, 0, 4, 3, 3, 2, 2, 2, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1};

void ClearPasses(SMapBlock& block)
{
    for (SMixPass& pass : block.mixPasses)
    {
        pass.texture = MixPassEnd;
        pass.pattern = 0;
    }
}
} // namespace

CGameMap::CGameMap()
{
    ClearGrids();
    width = 0;
    height = 0;
    theme = NoTheme;
    editor = 0;
    cameraTargetX = 0.0f;
    cameraTargetY = 0.0f;
    scrollVelocityX = 0.0f;
    scrollVelocityY = 0.0f;
    scrollInputX = 0;
    scrollInputY = 0;
    std::memset(viewMatrix, 0, sizeof(viewMatrix));
    ResetCamera();
    waterAccumulator = 0;
    waterOffsets[0] = 0.0f;
    waterOffsets[1] = SecondWaterOffset;
    frameStamp = 1;
    unitUnderCursor = nullptr;
    hoveredBlockX = -1;
    hoveredBlockY = -1;
    hoveredOffsetX = 0;
    hoveredOffsetY = 0;
    std::memset(dragRect, 0, sizeof(dragRect));
    visibleBlockCount = 0;
    for (SMapBlock& block : AllBlocks())
        block.randomValue = GlobalFunc::Random(RandomValueRange);
    FillDrawingTables();
}

// The objects on the blocks belong to the players and the textures to the
// device, both gone by now: only the map's own memory goes here.
CGameMap::~CGameMap() = default;

void CGameMap::FillDrawingTables()
{
    for (int32_t i = 0; i < 360; ++i)
    {
        const float turned = float(i + 90) * DegreesToRadians;
        rotationTable[i][0] = std::sin(turned) * 0.1f;
        rotationTable[i][1] = std::cos(turned) * 0.1f;
        const float reversed = float(-i) * DegreesToRadians;
        reverseRotationTable[i][0] = std::sin(reversed) * 0.1f;
        reverseRotationTable[i][1] = std::cos(reversed) * 0.1f;
        const int32_t grey = 191 - int32_t(std::lround((std::sin(float(i) * DegreesToRadians) + 1.0f) * -32.0f));
        greyTable[i] = uint32_t(grey) * 0x010101u;
    }
    std::memcpy(detailTable, DetailTable, sizeof(detailTable));
}

void CGameMap::ClearGrids()
{
    std::memset(cornerProjectionStamps, 0, sizeof(cornerProjectionStamps));
    std::memset(cornerViewPositions, 0, sizeof(cornerViewPositions));
    std::memset(cornerScreenPositions, 0, sizeof(cornerScreenPositions));
    std::memset(cornerHeights, 0, sizeof(cornerHeights));
    std::memset(cornerColours, 0, sizeof(cornerColours));
    std::memset(drawnColours, 0, sizeof(drawnColours));
    std::memset(cornerTextures, 0, sizeof(cornerTextures));
    std::memset(weatherMap, 0, sizeof(weatherMap));
    std::memset(aiTiltMap, 0, sizeof(aiTiltMap));
    for (SMapBlock& block : AllBlocks())
    {
        block = SMapBlock{};
        block.decorationModel = NoDecoration;
        ClearPasses(block);
    }
    weatherType = WEATHER_NONE;
    std::memset(startPoints, 0, sizeof(startPoints));
    startPointCount = 0;
}

void CGameMap::ResetCamera()
{
    cameraHeading = ResetHeading;
    cameraTargetHeading = ResetHeading;
    cameraDistance = ResetDistance;
    std::memcpy(viewTranslation, ResetViewTranslation, sizeof(viewTranslation));
}

bool CGameMap::NewMap(int32_t newWidth, int32_t newHeight, int32_t groundTexture, int32_t newTheme)
{
    g_Log.Write("New map");
    if (newWidth < MinMapSide || newWidth > MaxMapSide || newHeight < MinMapSide || newHeight > MaxMapSide)
    {
        g_Log.Write("New map refused: the size must be 32 to 256 blocks each way");
        return false;
    }
    // The theme is read before anything is freed, so that a bad theme
    // leaves the present map as it was.
    CTheme loaded;
    if (newTheme != NoTheme)
    {
        const char* file = CTheme::GetFileName(newTheme);
        if (file == nullptr || !loaded.Load(file))
        {
            g_Log.Write("New map refused: the theme cannot be loaded");
            return false;
        }
    }

    Free();
    const CBusyCursor busy;
    g_Particles.Reset();
    themeTextures.Swap(loaded);
    theme = newTheme;

    g_Log.Write("Initializing players");
    for (int32_t i = 0; i < MaxPlayers; ++i)
        playerSettings[i].SetDefaults(i);
    InitPlayers();

    width = newWidth;
    height = newHeight;
    CreateMinimap();
    ClearGrids();
    PaintNewMap(groundTexture == ThemeGroundTexture ? themeTextures.defaultGroundTexture : groundTexture);
    if (theme != NoTheme)
        UpdateArea(0, 0, -1, -1);
    cameraTargetX = 0.0f;
    cameraTargetY = 0.0f;
    g_EnvironmentFX.InitEnvironment(true);
    return true;
}

// Every player starts as a local human without a script, friend of all, with
// no research done: the editor's view of a new map.
void CGameMap::InitPlayers()
{
    if (g_Players == nullptr)
        return;
    for (int32_t i = 0; i < MaxPlayers; ++i)
    {
        CPlayer& player = g_Players[i];
        player.Init(i, 0, PLAYER_LOCAL, nullptr);
        player.colourScheme = i;
        player.name = playerSettings[i].name;
    }
    for (int32_t i = 0; i < MaxPlayers; ++i)
    {
        CPlayer& player = g_Players[i];
        player.type = PLAYER_LOCAL;
        for (uint8_t& friendly : player.allied)
            friendly = 1;
        for (CTechnology& technology : player.technologies)
            technology.progress = 0.0f;
    }
}

void CGameMap::PaintNewMap(int32_t groundTexture)
{
    const int32_t count = themeTextures.GetTextureCount();
    const bool painted = count > 0;
    const uint8_t ground = uint8_t(painted ? std::clamp(groundTexture, 0, count - 1) : 0);
    if (painted)
        for (int32_t x = 0; x <= width; ++x)
            for (int32_t y = 0; y <= height; ++y)
                cornerTextures[x * MapCornerSide + y] = ground;
    for (int32_t x = 0; x < width; ++x)
        for (int32_t y = 0; y < height; ++y)
        {
            SMapBlock& block = Block(x, y);
            if (painted)
            {
                block.mixPasses[0].texture = ground;
                block.mixPasses[0].pattern = MixPassEnd;
            }
            block.decorationModel = NoDecoration;
            block.randomValue = GlobalFunc::Random(RandomValueRange);
        }
}

void CGameMap::Free()
{
    FreeMinimap();
    if (themeTextures.IsLoaded())
    {
        g_Log.Write("Releasing map data");
        ReleaseObjects(true);
        FreeThemeTextures();
        g_Log.Write("-Players");
        if (g_Players != nullptr)
            for (int32_t i = 0; i < MaxPlayers; ++i)
                g_Players[i].Release();
        g_Log.Write("Map freed");
    }
    else
        ReleaseObjects(false);
    theme = NoTheme;
    width = 0;
    height = 0;
}

// Each object is taken off every block that still holds it and handed to
// deferred deletion once, however many blocks it covered.  With logSteps the
// two steps are logged whether the map held objects or not.
void CGameMap::ReleaseObjects(bool logSteps)
{
    std::vector<CUnit*> units;
    std::vector<CBuilding*> buildings;
    for (SMapBlock& block : AllBlocks())
    {
        if (block.unit != nullptr)
            units.push_back(block.unit);
        if (block.building != nullptr)
            buildings.push_back(block.building);
        block.unit = nullptr;
        block.building = nullptr;
    }
    const bool empty = units.empty() && buildings.empty();
    std::sort(units.begin(), units.end());
    units.erase(std::unique(units.begin(), units.end()), units.end());
    std::sort(buildings.begin(), buildings.end());
    buildings.erase(std::unique(buildings.begin(), buildings.end()), buildings.end());

    if (logSteps)
        g_Log.Write("-Terrain units");
    for (CUnit* unit : units)
    {
        CPlayer* owner = FindUnitOwner(unit);
        if (owner == nullptr)
            g_Log.Write("#DEBUG: Freeing a unit that has no owner");
        else
            owner->RemoveUnit(unit, 0);
        g_PtrGarbage.AddUnit(unit);
    }
    if (logSteps)
        g_Log.Write("-Terrain buildings");
    // The take-down leaves the owner's counts as they were before the
    // building came and hands it to deferred deletion, once.
    for (CBuilding* building : buildings)
        building->TakeDown(false);
    ForgetMapObjects();
    if (!empty)
        g_PtrGarbage.Flush();
    unitUnderCursor = nullptr;
}

// ---- Resource sites and decorations ------------------------------------------

namespace
{
bool IsMapObject(const CBuilding& building)
{
    return building.GetBuildCast() == CastResource || building.GetBuildCast() == CastDecoration;
}
} // namespace

void CGameMap::AddMapObject(CBuilding* object)
{
    if (object == nullptr || !IsMapObject(*object) || mapObjectSlots.count(object) != 0)
        return;
    mapObjectSlots.emplace(object, mapObjects.size());
    mapObjects.push_back(object);
}

void CGameMap::RemoveMapObject(const CBuilding* object)
{
    const auto slot = mapObjectSlots.find(object);
    if (slot == mapObjectSlots.end())
        return;
    // The last object takes the freed place.
    const size_t index = slot->second;
    mapObjectSlots.erase(slot);
    CBuilding* const last = mapObjects.back();
    mapObjects.pop_back();
    if (index < mapObjects.size())
    {
        mapObjects[index] = last;
        mapObjectSlots[last] = index;
    }
}

void CGameMap::ForgetMapObjects()
{
    mapObjects.clear();
    mapObjectSlots.clear();
}

void CGameMap::CollectMapObjects()
{
    ForgetMapObjects();
    for (int32_t x = 0; x < width; ++x)
        for (int32_t y = 0; y < height; ++y)
            if (CBuilding* building = std::as_const(*this).Block(x, y).building)
                AddMapObject(building);
}

CPlayer* CGameMap::FindUnitOwner(const CUnit* unit) const
{
    if (g_Players == nullptr)
        return nullptr;
    for (int32_t i = 0; i < MaxPlayers; ++i)
        if (g_Players[i].HasUnit(unit))
            return &g_Players[i];
    return nullptr;
}

void CGameMap::FreeMinimap()
{
    if (minimap || minimapOverlay)
        g_Log.Write("-Free Minimap");
    minimap.reset();
    minimapOverlay.reset();
}

void CGameMap::FreeThemeTextures()
{
    g_Log.Write("-Terrain textures");
    themeTextures.Free();
}

void CGameMap::CreateMinimap()
{
    FreeMinimap();
    minimap = std::make_unique<CTexture>();
    minimap->singleLevel = 1;
    minimap->format = CTexture::FormatR5G6B5;
    minimap->Create(width, height);
    const int32_t overlaySide = std::min(width, MinimapOverlayMaxSide);
    minimapOverlay = std::make_unique<CTexture>();
    minimapOverlay->singleLevel = 1;
    minimapOverlay->format = CTexture::FormatA1R5G5B5;
    minimapOverlay->Create(overlaySide, overlaySide);
}

bool CGameMap::LoadTheme(const char* path)
{
    return themeTextures.Load(path);
}

int32_t CGameMap::FindThemeTexture(const char* name) const
{
    return themeTextures.FindTexture(name);
}

int32_t CGameMap::GetStartPointNum() const
{
    if (editor)
    {
        DEBUG_REPORT("#DEBUG: Cannot be called from the editor");
        return -1;
    }
    return startPointCount;
}

namespace
{
constexpr int32_t DebugFont = 0;
constexpr int32_t DebugLeft = 270;
constexpr int32_t DebugLineStep = 20;
constexpr uint32_t DebugColour = 0xFFFFFF;

std::string Pointer(const void* object)
{
    return std::to_string(reinterpret_cast<uintptr_t>(object));
}

int32_t CountMixPasses(const SMapBlock& block)
{
    int32_t passes = 0;
    while (passes < MixPassCount && block.mixPasses[passes].texture != MixPassEnd)
        ++passes;
    return passes;
}

// The particles the pool holds: effects that last, bodies and shots.
int64_t CountParticles()
{
    return int64_t(g_Particles.GetCorpseCount()) + g_Particles.GetRuinCount() + g_Particles.GetBurningFireCount() +
           g_Particles.GetEmitterCount() + int64_t(g_Particles.GetProjectiles().size());
}
} // namespace

void CGameMap::GetDebugInfo() const
{
    C2DFont* font = GetGlobalFont(DebugFont);
    if (font == nullptr)
        return;
    const bool hovered = IsOnMap(hoveredBlockX, hoveredBlockY);
    const SMapBlock* block = hovered ? &Block(hoveredBlockX, hoveredBlockY) : nullptr;
    const std::string where = std::to_string(hoveredBlockX) + "," + std::to_string(hoveredBlockY);
    const std::string within = std::to_string(hoveredOffsetX) + "," + std::to_string(hoveredOffsetY);
    const int32_t tilt = hovered ? aiTiltMap[hoveredBlockX * MapBlockSide + hoveredBlockY] : 0;
    const std::string lines[] = {
        "---===( MAP General )===---",
        "Visible block num:" + std::to_string(visibleBlockCount),
        "Hoovered block:" + where + " (" + within + ")",
        "---===( Hoovered block )===---",
        block == nullptr ? "" : block->blocked ? "Blocked" : "Not blocked",
        block == nullptr ? "" : "Water level:" + std::to_string(block->waterLevel),
        block == nullptr ? "" : "Ground mix pass:" + std::to_string(CountMixPasses(*block)),
        block == nullptr ? "" : "Island/ocean ID:" + std::to_string(block->regionId),
        block == nullptr ? "" : "AI-tilt-map:" + std::to_string(tilt),
        "---===( Pointers )===---",
        "Building:" + Pointer(block != nullptr ? block->building : nullptr),
        "Unit:" + Pointer(block != nullptr ? block->unit : nullptr),
        "---===( Screen )===---",
        "Triangles on screen:" + std::to_string(g_VXBuffer.primitivesDrawn),
        "---===( Pathfinder )===---",
        "Count:" + std::to_string(g_PathFinder.GetFinishedSearches()),
        "Failed count:" + std::to_string(g_PathFinder.GetFailedSearches()),
        "---===( Particles )===---",
        "Count:" + std::to_string(CountParticles()),
    };
    int32_t line = 0;
    for (const std::string& text : lines)
        font->Print(DebugLeft, DebugLineStep * line++, text.c_str(), DebugColour, 0);
}
