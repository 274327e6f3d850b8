#pragma once
// The one world map of the process: a grid of blocks with grids on the block
// corners (heights, colours, textures), the theme's textures, the weather,
// the eight player setups and the start points, and the unit and building
// standing on each block.  Every other subsystem reads it; its contents are
// replaced whenever a map is created, loaded or restored.
//
// All grids are members of the object, so nothing is allocated per map but
// the theme and minimap textures.  Coordinates are in blocks: world x and y
// are floats, block x and y index the block grid (x * 256 + y), corner x and
// y the corner grids (x * 257 + y).  Heights are world units (a block is 32
// wide); 0 is the water surface, below 0 is under water.  Main thread only.

#include <cstring>
#include <cstdint>
#include <memory>
#include <span>
#include <unordered_map>
#include <utility>
#include <vector>

#include "core/C_MemoryBlock.h"
#include "world/C_MapPlayerSettings.h"
#include "world/C_Theme.h"

class CBuilding;
class CRangeTable;
class CSaveStream;
class CTexture;
class CUnit;
class CObjectReferences;
class CPlayer;
struct SMapBuildingRecord;
struct SMapUnitRecord;

constexpr int32_t MapBlockSide = 256;
constexpr int32_t MapCornerSide = MapBlockSide + 1;
constexpr int32_t MapBlockCount = MapBlockSide * MapBlockSide;
constexpr int32_t MapCornerCount = MapCornerSide * MapCornerSide;
constexpr int32_t MinMapSide = 32;
constexpr int32_t MaxMapSide = MapBlockSide;
constexpr int32_t MaxStartPoints = 8;
// The ground texture NewMap takes as the theme file's default one.
constexpr int32_t ThemeGroundTexture = -1;

constexpr uint16_t NoShore = 0xFFFF;
constexpr uint16_t NoRegion = 0xFFFF;
constexpr uint16_t NoDecoration = 0xFFFF;
constexpr uint16_t StartPointMarker = 266;
constexpr uint8_t MixPassEnd = 255;
constexpr int32_t MixPassCount = 4;

// Water levels: up to 7 is land a unit walks on (kind 1 of the area tests),
// from 7 on water a ship sails on (kind 2).
constexpr int32_t AreaKindLand = 1;
constexpr int32_t AreaKindWater = 2;

enum TENUMWEATHER : int32_t
{
    WEATHER_NONE = 0,
    WEATHER_RAIN = 1,
    WEATHER_SNOW = 2,
};

struct SMixPass
{
    uint8_t texture;   // MixPassEnd ends the list
    uint8_t pattern;
};

struct SMapBlock
{
    uint16_t waterLevel;       // lowest corner below 0, negated, / 3; 0 on land
    uint16_t shoreDirection;   // degrees toward shallow water, NoShore elsewhere
    int32_t frameStamp;        // frame in which it last entered the visible list
    uint8_t blocked;
    uint8_t impassable;        // set by hand: blocked whatever the slope
    uint8_t triangleSplit;     // which diagonal divides the block's two triangles
    int32_t randomValue;       // 0 .. 1023, varies drawing details
    uint16_t regionId;         // island or ocean number
    CUnit* unit;
    CBuilding* building;       // on every block of its footprint
    uint16_t decorationModel;  // NoDecoration, StartPointMarker for a start point
    SMixPass mixPasses[MixPassCount];
};

struct SStartPoint
{
    int32_t x;
    int32_t y;
};

struct SVisibleBlock
{
    uint8_t x;
    uint8_t y;
};

class CGameMap
{
public:
    CGameMap();
    // Frees memory only: the game frees the map (Free) while the device and
    // the players still exist.
    ~CGameMap();
    CGameMap(const CGameMap&) = delete;
    CGameMap& operator=(const CGameMap&) = delete;

    // ---- Life of a map (C_GameMap.cpp) ------------------------------------
    // A new flat map of width x height blocks (32 .. 256) painted with the
    // ground texture (ThemeGroundTexture: the theme file's default one) of
    // the theme's file (or none for NoTheme).  False, with a log line and
    // the present map untouched, for a bad size or theme.
    bool NewMap(int32_t width, int32_t height, int32_t groundTexture, int32_t theme);
    // Back to no map: the objects on the blocks are deleted, the theme and
    // minimap textures freed; the theme becomes NoTheme.
    void Free();
    void FreeMinimap();
    void FreeThemeTextures();
    void CreateMinimap();
    // Replaces the theme's textures by those of the file; false, with a log
    // line and the theme untouched, when the file is missing or malformed.
    bool LoadTheme(const char* path);
    int32_t FindThemeTexture(const char* name) const;
    int32_t GetStartPointNum() const;
    void ResetCamera();
    // The developer's overlay of the map: the visible blocks, the hovered
    // block's fields and the objects on it, the triangles drawn, the path
    // finder's searches and the particles, in the debug font down the
    // screen from x 270.
    void GetDebugInfo() const;

    int32_t GetWidth() const { return width; }
    int32_t GetHeight() const { return height; }
    bool IsOnMap(int32_t x, int32_t y) const { return x >= 0 && y >= 0 && x < width && y < height; }
    // Handing a block out for writing forgets what the path finder kept of
    // it; reading through a const map keeps it (std::as_const(map).Block).
    SMapBlock& Block(int32_t x, int32_t y)
    {
        pathBits[PathBitsIndex(x, y)] = 0;
        return blocks[x * MapBlockSide + y];
    }
    const SMapBlock& Block(int32_t x, int32_t y) const { return blocks[x * MapBlockSide + y]; }
    // Every block, for writing: the path finder's bits are all forgotten.
    std::span<SMapBlock> AllBlocks()
    {
        ForgetPathBits();
        return blocks;
    }
    std::span<const SMapBlock> AllBlocks() const { return blocks; }
    // What the path finder kept of a block between its searches (its own
    // encoding); 0 until it reads the block again.  The grid has a margin of
    // one cell all round (x and y from -1 to MapBlockSide), so that a
    // neighbour of any block has an entry; the path finder fills the margin
    // for itself like any other entry.
    static constexpr int32_t PathBitsSide = MapBlockSide + 2;
    static constexpr int32_t PathBitsCount = PathBitsSide * PathBitsSide;
    static constexpr int32_t PathBitsIndex(int32_t x, int32_t y) { return (x + 1) * PathBitsSide + y + 1; }
    uint8_t& PathBits(int32_t x, int32_t y) const { return pathBits[PathBitsIndex(x, y)]; }
    uint8_t* PathBitsGrid() const { return pathBits; }
    void ForgetPathBits() { std::memset(pathBits, 0, sizeof(pathBits)); }
    int32_t& CornerHeight(int32_t x, int32_t y) { return cornerHeights[x * MapCornerSide + y]; }
    int32_t CornerHeight(int32_t x, int32_t y) const { return cornerHeights[x * MapCornerSide + y]; }

    // ---- Resource sites and decorations (C_GameMap.cpp) --------------------
    // The objects standing on the map that no player lists; the map frees
    // them with its blocks.  Whoever puts one on the blocks adds it and
    // whoever takes one off removes it; both ignore any other building and
    // are safe to call twice.  The blocks of a loaded game are read back
    // whole, so the list is then collected from them (x outer, y inner).
    void AddMapObject(CBuilding* object);
    void RemoveMapObject(const CBuilding* object);
    void CollectMapObjects();
    // For blocks emptied whole by their caller.
    void ForgetMapObjects();
    std::span<CBuilding* const> MapObjects() const { return mapObjects; }

    // ---- Terrain queries and updates (C_GameMap_Terrain.cpp) --------------
    // Ground height by bilinear interpolation of the corners, the point
    // first limited to the map; GetHeight never goes below the water surface.
    float GetHeightRaw(float x, float y) const;
    float GetHeight(float x, float y) const;
    // A world point (lift above the ground, or at a height) in view space.
    void ProjectToScreen(float x, float y, float lift, float out[3]) const;
    void ProjectToScreenAtHeight(float x, float y, float height, float out[3]) const;
    // Rederives light, colours, water levels, shores, triangle splits and
    // passability of the blocks in the rectangle (limited to the map) from
    // the corner heights; w or h -1 take the whole width or height, and
    // both -1 also smooth the shore directions.
    void UpdateArea(int32_t x0, int32_t y0, int32_t w, int32_t h);
    // Numbers the land and water regions (8-connected, water from level 7).
    void AssignRegionIds();
    // Adds amount to the AI tilt map under the building's footprint grown by
    // its border and the margin; cells off the map are skipped.
    void PlaceBuildingFootprint(const CBuilding& building, int32_t x, int32_t y, int32_t margin, int8_t amount);
    // The stand-in of the map drawing's transition: one pass of the texture
    // of the block's first corner.
    void GetTileTransition(int32_t x, int32_t y);
    // Block area tests of GlobalFunc::IsMapAreaFree and HasFreeAreaNear.
    bool IsAreaFree(int32_t x, int32_t y, int32_t n, int32_t kind) const;
    // Whether the block's ground is of that kind (1 land, 2 water, 0 any)
    // as those tests take it, whatever stands on it.
    bool IsGroundOfKind(int32_t x, int32_t y, int32_t kind) const;
    bool HasFreeAreaNear(int32_t x, int32_t y, int32_t w, int32_t h, int32_t kind, const CRangeTable& offsets) const;

    // ---- Water (C_GameMap_Water.cpp) ---------------------------------------
    // One step of the water animation; called from the controller timer on
    // the main thread.
    void AnimateWater(int32_t steps);

    // ---- Save-game section (C_GameMap_Save.cpp) ----------------------------
    // Registers every building standing on the map, once each.
    void RegisterReferences(CObjectReferences& references) const;
    void SaveGame(CSaveStream& stream, const CObjectReferences& references) const;
    // Reads the section whole before it changes anything: a short or bad
    // section sets the stream's error flag and leaves the map as it was.
    bool LoadGame(CSaveStream& stream, const CObjectReferences& references);

    // ---- Map files (C_GameMap_File.cpp) ------------------------------------
    // Writes the map to a "*.world" file through a temporary file; with
    // BACKUPFILES on the old file is kept with the extension ".backup".
    bool SaveMap(const char* path);
    // Appends the file image; false (block left short) for a name that does
    // not fit the file's 8-bit length.
    bool SaveMapData(CMemoryBlock& block);
    // A missing file gives the new 64 x 64 map of theme 0; false when the
    // file is refused or cannot be read (the present map stays).
    bool LoadMap(const char* path, uint8_t editorFlag);
    // The whole file into `block` (the data files first, then disk), or a
    // log line: a file longer than any map is refused unread, one that is
    // there but cannot be read is named with its cause.  A missing file is
    // left to the caller.
    static CMemoryBlock::ELoad ReadMapFile(const char* path, CMemoryBlock& block);
    // Reads and checks the whole image, its object records laid out too,
    // before the present map is freed; false, with a log line and the map
    // untouched, when it is refused.  Single bad object records are skipped
    // with a log line, as is an owned building or a unit over another
    // object; two resource sites or decorations on one block refuse the map.
    bool LoadMapData(CMemoryBlock& block, uint8_t editorFlag);
    // Editor only: start points from the 266 markers, x outer, y inner.
    int32_t CollectStartPoints();
    // Probes of a map file that leave the map alone.
    bool ReadMapFileSize(const char* path, int32_t* outWidth, int32_t* outHeight) const;
    int32_t ReadMapFileStartNum(const char* path) const;
    bool MapFileHasStartPoints(const char* path) const;
    bool LoadMinimapPreview(const char* path, std::unique_ptr<CTexture>& out) const;

    // ---- Text export (C_GameMap_Export.cpp) ---------------------------------
    bool ExportMap(const char* path) const;

    // ---- Fields ------------------------------------------------------------
    int32_t width;
    int32_t height;

    float cameraTargetX;
    float cameraTargetY;
    float cameraHeading;
    float cameraTargetHeading;
    float cameraDistance;
    float scrollVelocityX;
    float scrollVelocityY;
    int32_t scrollInputX;
    int32_t scrollInputY;

    uint8_t editor;

    int32_t theme;   // TENUMMAPTHEME, NoTheme without a map
    CTheme themeTextures;

    int32_t cornerProjectionStamps[MapCornerCount];
    SVisibleBlock visibleBlocks[MapBlockCount];
    int32_t visibleBlockCount;

    float viewTranslation[3];   // the third is the current eye height
    float viewMatrix[9];

    int32_t waterAccumulator;
    float waterOffsets[2];

    // Drawing tables, by whole degrees.
    float rotationTable[360][2];
    float reverseRotationTable[360][2];
    uint32_t greyTable[360];
    int32_t detailTable[27];

    int32_t frameStamp;
    CUnit* unitUnderCursor;
    int32_t hoveredBlockX;
    int32_t hoveredBlockY;
    // Where in the hovered block the pointer lies, percent of a block each
    // way (0 .. 100).
    int32_t hoveredOffsetX;
    int32_t hoveredOffsetY;
    int32_t dragRect[4];
    std::unique_ptr<CTexture> minimap;
    std::unique_ptr<CTexture> minimapOverlay;

    float cornerViewPositions[MapCornerCount][3];
    int32_t cornerScreenPositions[MapCornerCount][2];

    int32_t cornerHeights[MapCornerCount];
private:
    SMapBlock blocks[MapBlockCount];
    mutable uint8_t pathBits[PathBitsCount];
    std::vector<CBuilding*> mapObjects;
    std::unordered_map<const CBuilding*, size_t> mapObjectSlots;   // index in mapObjects

public:
    int32_t cornerColours[MapCornerCount];   // grey shade 0xRRGGBB
    int32_t drawnColours[MapCornerCount];    // shade times the local player's visibility
    uint8_t cornerTextures[MapCornerCount];

    int32_t weatherType;   // TENUMWEATHER
    uint8_t weatherMap[MapBlockCount];
    uint8_t aiTiltMap[MapBlockCount];

    CMapPlayerSettings playerSettings[8];

    SStartPoint startPoints[MaxStartPoints];
    int32_t startPointCount;

    // The R5G6B5 preview of the loaded file, written back unchanged; empty
    // (written as zeros) for a map that was not loaded.
    std::vector<uint16_t> previewPixels;

private:
    void FillDrawingTables();
    void ClearGrids();
    void PaintNewMap(int32_t groundTexture);
    void InitPlayers();
    void ReleaseObjects(bool logSteps);
    CPlayer* FindUnitOwner(const CUnit* unit) const;
    // Steps of LoadMapData once the file has been checked.
    void SetUpPlayersFromSettings();
    // A record the file's plan let stand (C_MapObjectPlan.h).
    void CreateBuildingFromFile(const SMapBuildingRecord& record);
    void FinishFromMap(CBuilding& building, int32_t archers);
    void CreateUnitFromFile(const SMapUnitRecord& record, const char* name);
    void LoadPlayerScripts();

    // Steps of UpdateArea over blocks [bx0, bx1) x [by0, by1).
    void ComputeCornerLight(int32_t bx0, int32_t by0, int32_t bx1, int32_t by1);
    int32_t ShadowLimit(int32_t x, int32_t y) const;
    void ComputeWaterLevels(int32_t bx0, int32_t by0, int32_t bx1, int32_t by1);
    void TintDeepWater(int32_t bx0, int32_t by0, int32_t bx1, int32_t by1);
    void MarkShores(int32_t bx0, int32_t by0, int32_t bx1, int32_t by1);
    uint16_t ComputeShoreDirection(int32_t x, int32_t y) const;
    void SplitTriangles(int32_t bx0, int32_t by0, int32_t bx1, int32_t by1);
    void ComputeDrawnColours(int32_t bx0, int32_t by0, int32_t bx1, int32_t by1);
    void ComputePassability(int32_t bx0, int32_t by0, int32_t bx1, int32_t by1);
    void SmoothShoreDirections();
    void FloodRegion(int32_t x, int32_t y, uint16_t id, bool water, std::unique_ptr<int32_t[]>& queue);
    bool IsBlockFree(int32_t x, int32_t y, int32_t kind) const;

    // ---- Camera and view (C_GameMap_Camera.cpp) ----------------------------
    // The camera fields above (target, heading, distance, scroll velocity and
    // input, view translation and matrix), the visible-block list with its
    // stamps and corner caches, the hovered block and the drag rectangle.
    // Screen positions are on the virtual 1024 x 768 screen, minimap
    // positions in pixels of the minimap panel.
public:
    // The camera step, `steps` times (nothing below 1): scrolling, turning
    // and eye height.  Once per simulation tick.
    void Tick(int32_t steps);
    // Camera keys (virtual-key codes): Home, Insert, Delete, numeric + and -.
    // Whether the key was the camera's.
    bool OnKeyDown(int32_t virtualKey);
    // "," and ".": the next idle unit or worker.  Whether it was used.
    bool OnKeyCommand(int32_t character);
    bool SelectionClick();
    bool SelectionRightClick();
    void BeginDragRect();
    void UpdateDragRect();
    // The rubber band (screen corners in any order).
    void SelectInRect(int32_t x1, int32_t y1, int32_t x2, int32_t y2);
    void SelectSameTypeVisible();
    // A click or drag on the minimap: the camera target moves there.  False
    // when the point lies outside the minimap diamond.
    bool MinimapClick(int32_t panelX, int32_t panelY);
    // A right click on the minimap: a move order to the block there.
    bool MinimapOrder(int32_t panelX, int32_t panelY);
    // The map point (blocks, not limited) under a minimap pixel; false
    // outside the diamond.
    bool MinimapToMap(int32_t panelX, int32_t panelY, float* mapX, float* mapY) const;
    // Rebuilds the view matrix and the visible-block list; once per drawn
    // frame.
    void UpdateVisibleBlocks();
    // Whether the block (on the map) shows on the screen this frame.
    bool ProjectBlockCorners(int32_t x, int32_t y);

private:
    void ScrollStep();
    void TurnStep();
    void EyeHeightStep();
    void ProjectCorner(int32_t cx, int32_t cy);
    bool FindStartBlock(int32_t* startX, int32_t* startY);
    void AddVisibleBlock(int32_t x, int32_t y);
    void AddVisibleSpan(int32_t x, int32_t low, int32_t high);
    // Moves one end of a column's span to the edge of the visible blocks.
    int32_t AdjustSpanEnd(int32_t x, int32_t end, int32_t inward);
    bool IsSelectableOwnUnit(const CUnit* unit, int32_t x, int32_t y) const;
};

// The world map of the process.
extern CGameMap g_GameMap;
