// The game camera of the map, the list of blocks in view and the pointer
// input of the game view: keys, clicks, the rubber band and the minimap.

#include <algorithm>
#include <cmath>

#include "buildings/C_Building.h"
#include "core/GlobalFunc.h"
#include "game/C_GamePanel.h"
#include "game/C_Selection.h"
#include "units/C_Unit.h"
#include "world/C_GameMap.h"
#include "world/C_Player.h"
#include "world/RangeTables.h"

namespace
{
// Scrolling, in blocks per simulation tick.
constexpr float ScrollStartSpeed = 0.1f;
constexpr float ScrollAcceleration = 1.3f;
constexpr float ScrollMaxSpeed = 0.25f;
constexpr float ScrollDecay = 1.1f;
constexpr float ScrollStopSpeed = 0.1f;

constexpr float TurnStepDegrees = 5.0f;
constexpr float QuarterTurn = 90.0f;
constexpr float FullTurn = 360.0f;
constexpr float EyeClimbPerStep = 10.0f;

constexpr float MinDistance = 300.0f;
constexpr float MaxDistance = 800.0f;
constexpr float DistanceStep = 100.0f;

// Virtual-key codes of the camera keys; keys outside First .. Last are not
// the camera's.
constexpr int32_t FirstCameraKey = 36;
constexpr int32_t LastCameraKey = 109;
constexpr int32_t KeyHome = 36;
constexpr int32_t KeyInsert = 45;
constexpr int32_t KeyDelete = 46;
constexpr int32_t KeyNumericPlus = 107;
constexpr int32_t KeyNumericMinus = 109;
constexpr int32_t CharNextIdleUnit = ',';
constexpr int32_t CharNextIdleWorker = '.';

// The view looks down at a fixed pitch onto the virtual screen, whose left
// part is covered by the side panel.
constexpr float ViewPitch = -60.0f;
constexpr int32_t ScreenLeft = 205;
constexpr int32_t ScreenTop = 0;
constexpr int32_t ScreenRight = 1024;
constexpr int32_t ScreenBottom = 768;
// The start block is searched in the sight disc of radius 30.
constexpr int32_t StartSearchDisc = RangeRingCount - 1;

// The minimap diamond in panel pixels, clockwise from the top.
constexpr int32_t MinimapCorners[4][2] = {{129, 60}, {258, 135}, {129, 210}, {0, 135}};

float WrapDegrees(float degrees)
{
    float wrapped = std::fmod(degrees, FullTurn);
    if (wrapped < 0.0f)
        wrapped += FullTurn;
    return wrapped;
}

// The heading's quarter: 0 for 315 .. 45, 1 for 45 .. 135, 2 for 135 .. 225,
// 3 for 225 .. 315.
int32_t HeadingQuarter(float heading)
{
    const float wrapped = WrapDegrees(heading);
    if (wrapped < 45.0f || wrapped >= 315.0f)
        return 0;
    if (wrapped < 135.0f)
        return 1;
    if (wrapped < 225.0f)
        return 2;
    return 3;
}

float AccelerateAxis(float velocity, int32_t input)
{
    if (input == 0)
        return velocity;
    if (velocity * float(input) > 0.0f)
        velocity *= ScrollAcceleration;
    else
        velocity = float(input) * ScrollStartSpeed;
    return std::clamp(velocity, -ScrollMaxSpeed, ScrollMaxSpeed);
}

float DecayAxis(float velocity, int32_t input)
{
    if (input != 0)
        return velocity;
    velocity /= ScrollDecay;
    return std::fabs(velocity) < ScrollStopSpeed ? 0.0f : velocity;
}

float PointLineDistance(const int32_t a[2], const int32_t b[2], float px, float py)
{
    return GlobalFunc::PointLineDistance(float(a[0]), float(a[1]), float(b[0]), float(b[1]), px, py);
}

const CPlayer* LocalPlayer()
{
    return PlayerAt(g_LocalPlayer);
}

// Up to the selection's limit.  A unit kept by Shift stays selected, where
// AddUnit alone would take it out again.
void AddToSelectionOnce(CUnit* unit)
{
    CUnit** const end = g_Selection.units + g_Selection.unitCount;
    if (g_Selection.unitCount < CSelection::kMaxUnits && std::find(g_Selection.units, end, unit) == end)
        g_Selection.AddUnit(unit, 0);
}
} // namespace

// ---- Camera step ---------------------------------------------------------------

void CGameMap::Tick(int32_t steps)
{
    for (int32_t i = 0; i < steps; ++i)
    {
        ScrollStep();
        TurnStep();
        EyeHeightStep();
    }
}

void CGameMap::ScrollStep()
{
    scrollVelocityX = AccelerateAxis(scrollVelocityX, scrollInputX);
    scrollVelocityY = AccelerateAxis(scrollVelocityY, scrollInputY);
    if (scrollVelocityX == 0.0f && scrollVelocityY == 0.0f)
        return;
    // The screen's axes turned onto the map's by the heading's quarter.
    const float vx = scrollVelocityX;
    const float vy = scrollVelocityY;
    float moveX = 0.0f;
    float moveY = 0.0f;
    switch (HeadingQuarter(cameraHeading))
    {
    case 0:
        moveX = vy + vx;
        moveY = vy - vx;
        break;
    case 1:
        moveX = vx - vy;
        moveY = vy + vx;
        break;
    case 2:
        moveX = -vx - vy;
        moveY = vx - vy;
        break;
    default:
        moveX = vy - vx;
        moveY = -vx - vy;
        break;
    }
    cameraTargetX += moveX;
    cameraTargetY += moveY;
    scrollVelocityX = DecayAxis(scrollVelocityX, scrollInputX);
    scrollVelocityY = DecayAxis(scrollVelocityY, scrollInputY);
    cameraTargetX = std::clamp(cameraTargetX, 0.0f, float(width));
    cameraTargetY = std::clamp(cameraTargetY, 0.0f, float(height));
}

// On reaching its target the heading is wrapped into 0 .. 360, and the
// target with it: a target left at 405 would keep the camera turning and
// the turning keys locked for ever.
void CGameMap::TurnStep()
{
    if (cameraHeading == cameraTargetHeading)
        return;
    const float left = cameraTargetHeading - cameraHeading;
    if (std::fabs(left) > TurnStepDegrees)
    {
        cameraHeading += left > 0.0f ? TurnStepDegrees : -TurnStepDegrees;
        return;
    }
    cameraTargetHeading = WrapDegrees(cameraTargetHeading);
    cameraHeading = cameraTargetHeading;
}

void CGameMap::EyeHeightStep()
{
    const float wanted = GetHeight(cameraTargetX, cameraTargetY) + cameraDistance;
    float& eye = viewTranslation[2];
    if (std::fabs(wanted - eye) <= EyeClimbPerStep)
        eye = wanted;
    else
        eye += wanted > eye ? EyeClimbPerStep : -EyeClimbPerStep;
}

// ---- Keys and clicks ---------------------------------------------------------------

bool CGameMap::OnKeyDown(int32_t virtualKey)
{
    if (virtualKey < FirstCameraKey || virtualKey > LastCameraKey)
        return false;
    switch (virtualKey)
    {
    case KeyHome:
        if (const CUnit* unit = g_Selection.GetFirstUnit())
        {
            cameraTargetX = float(unit->x + unit->GetSize() / 2);
            cameraTargetY = float(unit->y + unit->GetSize() / 2);
        }
        else if (const CBuilding* building = g_Selection.building)
        {
            cameraTargetX = float(building->x + building->GetWidth() / 2);
            cameraTargetY = float(building->y + building->GetDepth() / 2);
        }
        return true;
    case KeyInsert:
        // A second press while turning is ignored.
        if (cameraHeading == cameraTargetHeading)
            cameraTargetHeading += QuarterTurn;
        return true;
    case KeyDelete:
        if (cameraHeading == cameraTargetHeading)
            cameraTargetHeading -= QuarterTurn;
        return true;
    case KeyNumericPlus:
        cameraDistance = std::max(cameraDistance - DistanceStep, MinDistance);
        return true;
    case KeyNumericMinus:
        cameraDistance = std::min(cameraDistance + DistanceStep, MaxDistance);
        return true;
    default:
        return false;
    }
}

bool CGameMap::OnKeyCommand(int32_t character)
{
    if (character != CharNextIdleUnit && character != CharNextIdleWorker)
        return false;
    CPlayer* player = PlayerAt(g_LocalPlayer);
    if (player == nullptr)
        return false;
    if (character == CharNextIdleUnit)
        player->SelectNextIdleUnit();
    else
        player->SelectNextIdleWorker();
    return true;
}

bool CGameMap::SelectionClick()
{
    g_Selection.OnLeftClick();
    return true;
}

bool CGameMap::SelectionRightClick()
{
    g_Selection.OnRightClick();
    return true;
}

void CGameMap::BeginDragRect()
{
    dragRect[0] = dragRect[2] = hoveredBlockX;
    dragRect[1] = dragRect[3] = hoveredBlockY;
}

void CGameMap::UpdateDragRect()
{
    if (hoveredBlockX == dragRect[2] && hoveredBlockY == dragRect[3])
        return;
    dragRect[2] = hoveredBlockX;
    dragRect[3] = hoveredBlockY;
    if (g_Selection.cursorMode == CSelection::kCursorModeWallPlacement)
        g_GamePanel.UpdateWallPreview(dragRect[0], dragRect[1], dragRect[2], dragRect[3]);
}

// ---- Selecting on the screen -------------------------------------------------------

bool CGameMap::IsSelectableOwnUnit(const CUnit* unit, int32_t x, int32_t y) const
{
    const CPlayer* local = LocalPlayer();
    return unit != nullptr && local != nullptr && unit->player == g_LocalPlayer && unit->x == x && unit->y == y &&
           local->IsCellSeen(x, y);
}

void CGameMap::SelectInRect(int32_t x1, int32_t y1, int32_t x2, int32_t y2)
{
    if (g_Selection.cursorMode == CSelection::kCursorModeWallPlacement)
    {
        SelectionClick();
        return;
    }
    const CPlayer* local = LocalPlayer();
    if (local == nullptr)
        return;
    const int32_t left = std::min(x1, x2);
    const int32_t right = std::max(x1, x2);
    const int32_t top = std::min(y1, y2);
    const int32_t bottom = std::max(y1, y2);
    if (!g_Selection.shiftDown)
        g_Selection.Clear();

    bool ownTaken = false;
    CUnit* firstForeign = nullptr;
    CBuilding* firstBuilding = nullptr;
    for (int32_t i = 0; i < visibleBlockCount; ++i)
    {
        const int32_t x = visibleBlocks[i].x;
        const int32_t y = visibleBlocks[i].y;
        if (!local->IsCellSeen(x, y))
            continue;
        const SMapBlock& block = std::as_const(*this).Block(x, y);
        CUnit* unit = block.unit;
        if (unit != nullptr && unit->x == x && unit->y == y && unit->IsInScreenRect(left, top, right, bottom))
        {
            if (unit->player != g_LocalPlayer)
            {
                if (firstForeign == nullptr)
                    firstForeign = unit;
            }
            else
            {
                ownTaken = true;
                AddToSelectionOnce(unit);
            }
        }
        if (firstBuilding == nullptr && block.building != nullptr &&
            block.building->IsInScreenRect(left, top, right, bottom))
            firstBuilding = block.building;
    }
    if (ownTaken)
        return;
    if (firstForeign != nullptr)
    {
        g_Selection.Clear();
        g_Selection.AddUnit(firstForeign, 0);
    }
    else if (firstBuilding != nullptr)
    {
        g_Selection.SelectBuilding(firstBuilding);
    }
}

void CGameMap::SelectSameTypeVisible()
{
    const CUnit* picked = g_Selection.unitUnderCursor;
    if (picked == nullptr || picked->player != g_LocalPlayer || LocalPlayer() == nullptr)
        return;
    const int32_t type = picked->GetCastID();
    if (!g_Selection.shiftDown)
        g_Selection.Clear();
    for (int32_t i = 0; i < visibleBlockCount && g_Selection.unitCount < CSelection::kMaxUnits; ++i)
    {
        const int32_t x = visibleBlocks[i].x;
        const int32_t y = visibleBlocks[i].y;
        CUnit* unit = std::as_const(*this).Block(x, y).unit;
        if (!IsSelectableOwnUnit(unit, x, y) || unit->GetCastID() != type)
            continue;
        // Out and in again, so that a unit kept by Shift stays selected once.
        g_Selection.RemoveUnit(unit);
        g_Selection.AddUnit(unit, 0);
    }
}

// ---- Minimap -------------------------------------------------------------------------

bool CGameMap::MinimapToMap(int32_t panelX, int32_t panelY, float* mapX, float* mapY) const
{
    for (int32_t edge = 0; edge < 4; ++edge)
    {
        const int32_t* from = MinimapCorners[edge];
        const int32_t* to = MinimapCorners[(edge + 1) % 4];
        if (!GlobalFunc::IsLeftOfLine(from[0], from[1], to[0], to[1], panelX, panelY))
            return false;
    }
    // The corner standing for map corner (0, 0) turns with the camera.
    static constexpr int32_t OriginCorner[4] = {0, 3, 2, 1};
    const int32_t origin = OriginCorner[HeadingQuarter(cameraHeading)];
    const int32_t* p = MinimapCorners[origin];
    const int32_t* q = MinimapCorners[(origin + 1) % 4];
    const int32_t* r = MinimapCorners[(origin + 3) % 4];
    const float px = float(panelX);
    const float py = float(panelY);
    *mapX = PointLineDistance(p, r, px, py) / PointLineDistance(p, r, float(q[0]), float(q[1])) * float(width);
    *mapY = PointLineDistance(p, q, px, py) / PointLineDistance(p, q, float(r[0]), float(r[1])) * float(height);
    return true;
}

bool CGameMap::MinimapClick(int32_t panelX, int32_t panelY)
{
    float mapX = 0.0f;
    float mapY = 0.0f;
    if (!MinimapToMap(panelX, panelY, &mapX, &mapY))
        return false;
    cameraTargetX = std::clamp(mapX, 0.0f, float(width));
    cameraTargetY = std::clamp(mapY, 0.0f, float(height));
    viewTranslation[2] = GetHeight(cameraTargetX, cameraTargetY) + cameraDistance;
    return true;
}

bool CGameMap::MinimapOrder(int32_t panelX, int32_t panelY)
{
    float mapX = 0.0f;
    float mapY = 0.0f;
    if (!MinimapToMap(panelX, panelY, &mapX, &mapY))
        return false;
    const int32_t blockX = std::clamp(int32_t(mapX), 0, std::max(width - 1, 0));
    const int32_t blockY = std::clamp(int32_t(mapY), 0, std::max(height - 1, 0));
    g_Selection.OnMinimapRightClick(blockX, blockY);
    return true;
}

// ---- Visible blocks --------------------------------------------------------------------

void CGameMap::ProjectCorner(int32_t cx, int32_t cy)
{
    const int32_t corner = cx * MapCornerSide + cy;
    if (cornerProjectionStamps[corner] == frameStamp)
        return;
    cornerProjectionStamps[corner] = frameStamp;
    float* view = cornerViewPositions[corner];
    ProjectToScreenAtHeight(float(cx), float(cy), float(CornerHeight(cx, cy)), view);
    GlobalFunc::ProjectToScreen(view[0], view[1], view[2], cornerScreenPositions[corner]);
}

bool CGameMap::ProjectBlockCorners(int32_t x, int32_t y)
{
    if (std::as_const(*this).Block(x, y).frameStamp == frameStamp)
        return true;
    bool allLeft = true;
    bool allAbove = true;
    bool allRight = true;
    bool allBelow = true;
    for (int32_t corner = 0; corner < 4; ++corner)
    {
        const int32_t cx = x + (corner & 1);
        const int32_t cy = y + (corner >> 1);
        ProjectCorner(cx, cy);
        const int32_t index = cx * MapCornerSide + cy;
        if (cornerViewPositions[index][2] <= 0.0f)
            return false;
        const int32_t* screen = cornerScreenPositions[index];
        allLeft = allLeft && screen[0] < ScreenLeft;
        allAbove = allAbove && screen[1] < ScreenTop;
        allRight = allRight && screen[0] >= ScreenRight;
        allBelow = allBelow && screen[1] >= ScreenBottom;
    }
    return !allLeft && !allAbove && !allRight && !allBelow;
}

void CGameMap::AddVisibleBlock(int32_t x, int32_t y)
{
    SMapBlock& block = blocks[x * MapBlockSide + y];   // a new frame stamp is no change the path finder sees
    if (block.frameStamp == frameStamp)
        return;
    block.frameStamp = frameStamp;
    visibleBlocks[visibleBlockCount++] = SVisibleBlock{uint8_t(x), uint8_t(y)};
}

void CGameMap::AddVisibleSpan(int32_t x, int32_t low, int32_t high)
{
    for (int32_t y = low; y <= high; ++y)
        AddVisibleBlock(x, y);
}

bool CGameMap::FindStartBlock(int32_t* startX, int32_t* startY)
{
    const int32_t x = std::clamp(int32_t(cameraTargetX), 0, width - 1);
    const int32_t y = std::clamp(int32_t(cameraTargetY), 0, height - 1);
    if (ProjectBlockCorners(x, y))
    {
        *startX = x;
        *startY = y;
        return true;
    }
    if (g_SightDiscs == nullptr)
        return false;
    const CRangeTable& disc = g_SightDiscs[StartSearchDisc];
    for (int32_t i = 0; i < disc.count; ++i)
    {
        const int32_t cx = x + disc.entries[i].dx;
        const int32_t cy = y + disc.entries[i].dy;
        if (IsOnMap(cx, cy) && ProjectBlockCorners(cx, cy))
        {
            *startX = cx;
            *startY = cy;
            return true;
        }
    }
    return false;
}

// `inward` is +1 for the low end and -1 for the high end.  A column without
// a visible block gives an end past the other one.
int32_t CGameMap::AdjustSpanEnd(int32_t x, int32_t end, int32_t inward)
{
    if (ProjectBlockCorners(x, end))
    {
        while (IsOnMap(x, end - inward) && ProjectBlockCorners(x, end - inward))
            end -= inward;
        return end;
    }
    const int32_t limit = inward > 0 ? height : -1;
    end += inward;
    while (end != limit && !ProjectBlockCorners(x, end))
        end += inward;
    return end;
}

// The view is one connected patch of blocks: its columns are walked out
// from the start column, each span found from its neighbour's.  The walk
// never leaves the map and stops at the first column without a visible
// block.
void CGameMap::UpdateVisibleBlocks()
{
    GlobalFunc::BuildMatrix(ViewPitch, cameraHeading, 0.0f, viewMatrix);
    ++frameStamp;
    visibleBlockCount = 0;
    int32_t startX = 0;
    int32_t startY = 0;
    if (width <= 0 || height <= 0 || !FindStartBlock(&startX, &startY))
        return;

    int32_t startLow = startY;
    int32_t startHigh = startY;
    while (startLow - 1 >= 0 && ProjectBlockCorners(startX, startLow - 1))
        --startLow;
    while (startHigh + 1 < height && ProjectBlockCorners(startX, startHigh + 1))
        ++startHigh;
    AddVisibleSpan(startX, startLow, startHigh);

    for (int32_t direction : {1, -1})
    {
        int32_t low = startLow;
        int32_t high = startHigh;
        for (int32_t x = startX + direction; x >= 0 && x < width; x += direction)
        {
            low = AdjustSpanEnd(x, low, 1);
            if (low >= height)
                break;
            high = AdjustSpanEnd(x, std::max(high, low), -1);
            if (high < low)
                break;
            AddVisibleSpan(x, low, high);
        }
    }
}
