#pragma once
// The path finder benchmark's maps, shared with the test that pins the
// finder's routes: 256 x 256 maps of open ground, 30 % random obstacles, a
// one-block maze, two round islands and a cave, each with PairCount random
// pairs of
// blocks that a one-block mover can connect.  Built from fixed seeds, so
// every run sees the same maps and pairs.

#include <cstdint>
#include <memory>
#include <queue>
#include <random>
#include <utility>
#include <vector>

#include "world/C_GameMap.h"
#include "world/C_PathFinder.h"

namespace PathBenchMaps
{
constexpr int32_t Side = MapBlockSide;
constexpr int32_t PairCount = 4096;
constexpr uint16_t SeaLevel = 9;
constexpr int32_t DX[8] = {0, 1, 1, 1, 0, -1, -1, -1};
constexpr int32_t DY[8] = {-1, -1, 0, 1, 1, 1, 0, -1};

enum class EMapKind
{
    Open,
    Obstacles,
    Maze,
    TwoIslands,
    Cave,
};
constexpr int32_t MapKindCount = 5;

inline bool IsOpen(const CGameMap& map, int32_t x, int32_t y)
{
    return map.IsOnMap(x, y) && !map.Block(x, y).blocked && map.Block(x, y).waterLevel <= 7;
}

inline void Clear(CGameMap& map)
{
    map.width = Side;
    map.height = Side;
    for (SMapBlock& block : map.AllBlocks())
    {
        block.waterLevel = 0;
        block.blocked = 0;
        block.regionId = 0;
        block.unit = nullptr;
        block.building = nullptr;
    }
}

// A perfect maze of one-block corridors on the odd blocks, dug depth first.
inline void DigMaze(CGameMap& map, std::mt19937& random)
{
    for (SMapBlock& block : map.AllBlocks())
        block.blocked = 1;
    constexpr int32_t Cells = (Side - 1) / 2;
    std::vector<bool> dug(size_t(Cells * Cells), false);
    std::vector<std::pair<int32_t, int32_t>> stack = {{0, 0}};
    dug[0] = true;
    map.Block(1, 1).blocked = 0;
    while (!stack.empty())
    {
        const auto [cx, cy] = stack.back();
        std::pair<int32_t, int32_t> next[4];
        int32_t count = 0;
        const int32_t steps[4][2] = {{1, 0}, {-1, 0}, {0, 1}, {0, -1}};
        for (const auto& step : steps)
        {
            const int32_t nx = cx + step[0];
            const int32_t ny = cy + step[1];
            if (nx >= 0 && ny >= 0 && nx < Cells && ny < Cells && !dug[size_t(nx * Cells + ny)])
                next[count++] = {nx, ny};
        }
        if (count == 0)
        {
            stack.pop_back();
            continue;
        }
        const auto [nx, ny] = next[random() % uint32_t(count)];
        dug[size_t(nx * Cells + ny)] = true;
        map.Block(2 * nx + 1, 2 * ny + 1).blocked = 0;
        map.Block(cx + nx + 1, cy + ny + 1).blocked = 0;
        stack.push_back({nx, ny});
    }
}

// A cave of a cellular automaton: 45 % walls at random, then five rounds in
// which a block is a wall when at least five of its eight neighbours are
// (four for a block that is one already), the map's surround counting as
// wall.
inline void GrowCave(CGameMap& map, std::mt19937& random)
{
    constexpr uint32_t WallPercent = 45;
    constexpr int32_t Rounds = 5;
    std::vector<uint8_t> wall(size_t(Side * Side));
    for (uint8_t& block : wall)
        block = random() % 100 < WallPercent ? 1 : 0;
    for (int32_t round = 0; round < Rounds; ++round)
    {
        std::vector<uint8_t> next(wall.size());
        for (int32_t x = 0; x < Side; ++x)
            for (int32_t y = 0; y < Side; ++y)
            {
                int32_t walls = 0;
                for (int32_t d = 0; d < 8; ++d)
                {
                    const int32_t nx = x + DX[d];
                    const int32_t ny = y + DY[d];
                    const bool outside = nx < 0 || ny < 0 || nx >= Side || ny >= Side;
                    walls += outside || wall[size_t(nx * Side + ny)] ? 1 : 0;
                }
                next[size_t(x * Side + y)] = walls >= (wall[size_t(x * Side + y)] ? 4 : 5) ? 1 : 0;
            }
        wall.swap(next);
    }
    for (int32_t x = 0; x < Side; ++x)
        for (int32_t y = 0; y < Side; ++y)
            map.Block(x, y).blocked = wall[size_t(x * Side + y)];
}

// Components by the path finder's step rules for one-block movers.
inline std::vector<int32_t> Components(const CGameMap& map)
{
    std::vector<int32_t> component(size_t(Side * Side), -1);
    int32_t next = 0;
    for (int32_t x = 0; x < Side; ++x)
        for (int32_t y = 0; y < Side; ++y)
        {
            if (!IsOpen(map, x, y) || component[size_t(x * Side + y)] >= 0)
                continue;
            std::queue<std::pair<int32_t, int32_t>> open;
            open.push({x, y});
            component[size_t(x * Side + y)] = next;
            while (!open.empty())
            {
                const auto [cx, cy] = open.front();
                open.pop();
                for (int32_t d = 0; d < 8; ++d)
                {
                    const int32_t nx = cx + DX[d];
                    const int32_t ny = cy + DY[d];
                    if (!IsOpen(map, nx, ny) || component[size_t(nx * Side + ny)] >= 0)
                        continue;
                    const bool diagonal = DX[d] != 0 && DY[d] != 0;
                    if (diagonal && (map.Block(nx, cy).blocked || map.Block(cx, ny).blocked))
                        continue;
                    component[size_t(nx * Side + ny)] = next;
                    open.push({nx, ny});
                }
            }
            ++next;
        }
    return component;
}

struct SBenchMap
{
    std::unique_ptr<CGameMap> map = std::make_unique<CGameMap>();
    std::vector<std::pair<CPathFinder::SPoint, CPathFinder::SPoint>> pairs;
};

inline SBenchMap& BenchMap(EMapKind kind)
{
    static std::unique_ptr<SBenchMap> built[MapKindCount];
    std::unique_ptr<SBenchMap>& slot = built[int(kind)];
    if (slot)
        return *slot;
    slot = std::make_unique<SBenchMap>();
    CGameMap& map = *slot->map;
    Clear(map);
    std::mt19937 random(1234 + int(kind));
    switch (kind)
    {
    case EMapKind::Open:
        break;
    case EMapKind::Obstacles:
        for (SMapBlock& block : map.AllBlocks())
            block.blocked = random() % 100 < 30 ? 1 : 0;
        break;
    case EMapKind::Maze:
        DigMaze(map, random);
        break;
    case EMapKind::TwoIslands:
        for (int32_t x = 0; x < Side; ++x)
            for (int32_t y = 0; y < Side; ++y)
            {
                const bool left = (x - 64) * (x - 64) + (y - 128) * (y - 128) < 60 * 60;
                const bool right = (x - 192) * (x - 192) + (y - 128) * (y - 128) < 60 * 60;
                map.Block(x, y).waterLevel = left || right ? 0 : SeaLevel;
            }
        break;
    case EMapKind::Cave:
        GrowCave(map, random);
        break;
    }
    const std::vector<int32_t> component = Components(map);
    std::uniform_int_distribution<int32_t> pick(0, Side - 1);
    while (slot->pairs.size() < size_t(PairCount))
    {
        const CPathFinder::SPoint a{pick(random), pick(random)};
        const CPathFinder::SPoint b{pick(random), pick(random)};
        const int32_t ca = component[size_t(a.x * Side + a.y)];
        if (ca >= 0 && ca == component[size_t(b.x * Side + b.y)] && (a.x != b.x || a.y != b.y))
            slot->pairs.push_back({a, b});
    }
    return *slot;
}

} // namespace PathBenchMaps
