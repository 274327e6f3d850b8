// The "*.world" map file: writer, reader and the probes of the map lists.
// The file carries no magic, version or checksum, so the reader checks every
// count, length and range of the whole image before the present map is
// touched; an object record that names nothing sensible is skipped alone.
// The objects take only values a saved game takes back (ObjectFieldBounds.h),
// and where they stand is laid out before the map is touched as well
// (C_MapObjectPlan.h): two resource sites or decorations on one block refuse
// the map; an owned building or a unit over another object is skipped, and
// loading never ends what stands.  The corner textures written are the
// ground under the buildings, which they paint over again when the map is
// loaded.

#include <algorithm>
#include <climits>
#include <cstring>
#include <string>
#include <vector>

#include "buildings/C_Building.h"
#include "buildings/C_BuildingTower.h"
#include "core/C_Config.h"
#include "core/C_File.h"
#include "core/C_Localizer.h"
#include "core/C_LogFile.h"
#include "core/C_MemoryBlock.h"
#include "core/GlobalFunc.h"
#include "effects/C_Particles.h"
#include "frontend/C_PlayerProfiles.h"
#include "media/C_EnvironmentFX.h"
#include "media/C_Texture.h"
#include "units/C_Unit.h"
#include "world/C_BusyCursor.h"
#include "world/C_GameMap.h"
#include "world/C_MapObjectPlan.h"
#include "world/C_Player.h"
#include "world/ObjectFieldBounds.h"

namespace
{
constexpr int32_t FirstDecorationModel = 236;
constexpr int32_t DecorationModelSlots = 347;
constexpr int32_t MaxNameLength = 239;   // read into 240 bytes with the zero
constexpr int32_t ResourceSiteCast = 10;
constexpr int32_t DecorationCast = 18;
constexpr int32_t TowerCast = 6;
constexpr int32_t ThemeCount = 4;
constexpr int32_t WeatherKinds = 3;
constexpr int32_t MinTowerArchers = 1;
constexpr int32_t MaxTowerArchers = CBuildingTower::ArcherCapacity;
constexpr int32_t IdleCommand = 0;
constexpr int32_t PatrolCommand = 3;
constexpr int32_t RandomValueRange = 1024;
constexpr int32_t BuildingRecordBytes = 40;
constexpr int32_t UnitRecordBytes = 24;
constexpr int32_t CornerRecordBytes = 9;
constexpr int32_t BlockRecordBytes = 7;
constexpr int32_t StartPointBytes = 8;
constexpr int32_t DefaultMapSide = 64;
constexpr int32_t SizeBytes = 8;
constexpr int32_t PreviewPixelBytes = 2;
constexpr int32_t CountBytes = 4;

// The longest file the format can hold: a 256 x 256 map with eight start
// points, setups with names of 239 characters and the writer's 61, 36 and
// 19 pairs, and at every block a building record and a unit record named
// with 239 characters.  A longer file is no map and is refused unread.
constexpr int64_t MaxBlocks = int64_t(MaxMapSide) * MaxMapSide;
constexpr int64_t MaxCorners = int64_t(MaxMapSide + 1) * (MaxMapSide + 1);
constexpr int64_t LongestShortText = 1 + MaxNameLength + 1;
constexpr int64_t LongestSetup = 2 * LongestShortText + 6 * 4 + 1 + 4 +
                                 CountBytes + CMapPlayerSettings::TechnologyStateCount * 8 +
                                 CountBytes + CMapPlayerSettings::UnitFlagCount * 5 +
                                 CountBytes + CMapPlayerSettings::BuildingFlagCount * 5 + 8;
constexpr int64_t LongestUnitRecord = UnitRecordBytes + 1 + CountBytes + MaxNameLength + 1;
constexpr int64_t LongestMapFile =
    SizeBytes + MaxBlocks * PreviewPixelBytes + CountBytes + MaxStartPoints * StartPointBytes +
    MaxPlayers * LongestSetup + 4 + MaxCorners * CornerRecordBytes + 4 + MaxBlocks * BlockRecordBytes +
    CountBytes + MaxBlocks * BuildingRecordBytes + CountBytes + MaxBlocks * LongestUnitRecord + 4 + MaxBlocks;

struct SSetupImage
{
    std::string name;
    std::string script;
    int32_t type = 0, colour = 0, team = 0, wood = 0, stone = 0, gold = 0;
    uint8_t starving = 0;
    int32_t populationLimit = 0;
    int32_t technologies[CMapPlayerSettings::TechnologyStateCount];
    uint8_t units[CMapPlayerSettings::UnitFlagCount];
    uint8_t buildings[CMapPlayerSettings::BuildingFlagCount];
    int32_t viewX = 0, viewY = 0;
};

// The whole file, read and checked before anything of the map changes.
struct SMapImage
{
    int32_t width = 0, height = 0;
    std::vector<uint16_t> preview;
    std::vector<SStartPoint> startPoints;
    SSetupImage setups[MaxPlayers];
    int32_t theme = 0;
    std::vector<int32_t> cornerColours, cornerHeights;
    std::vector<uint8_t> cornerTextures;
    int32_t firstDecoration = FirstDecorationModel;
    struct SBlock
    {
        uint16_t water;
        uint8_t blocked, impassable, split;
        uint16_t decoration;
    };
    std::vector<SBlock> blocks;
    std::vector<SMapBuildingRecord> buildings;
    std::vector<SMapUnitRecord> units;
    int32_t weatherType = 0;
    std::vector<uint8_t> weather;
};

// Bounded little-endian reads over the block's bytes; the first short read
// or bad value leaves a reason and every later read gives zeros.
class CMapReader
{
public:
    explicit CMapReader(const CMemoryBlock& block) : m_Data(block.GetData()), m_Size(block.GetSize()) {}
    CMapReader(const uint8_t* data, int64_t size) : m_Data(data), m_Size(size) {}

    bool Failed() const { return !m_Reason.empty(); }
    const std::string& Reason() const { return m_Reason; }
    void Fail(const std::string& reason)
    {
        if (m_Reason.empty())
            m_Reason = reason;
    }
    int64_t Left() const { return m_Size - m_Pos; }

    bool Take(void* out, int64_t count)
    {
        if (Failed() || count < 0 || count > Left())
        {
            Fail("the file ends early");
            std::memset(out, 0, size_t(std::max<int64_t>(count, 0)));
            return false;
        }
        std::memcpy(out, m_Data + m_Pos, size_t(count));
        m_Pos += count;
        return true;
    }
    uint8_t U8()
    {
        uint8_t b = 0;
        Take(&b, 1);
        return b;
    }
    uint16_t U16()
    {
        uint8_t b[2];
        Take(b, 2);
        return uint16_t(b[0] | b[1] << 8);
    }
    int32_t I32()
    {
        uint8_t b[4];
        Take(b, 4);
        return int32_t(uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24);
    }
    // A count of records of recordBytes each that must fit in what is left.
    int32_t Count(int64_t recordBytes, const char* what)
    {
        const int32_t count = I32();
        if (!Failed() && (count < 0 || int64_t(count) * recordBytes > Left()))
            Fail(std::string("bad ") + what + " count");
        return Failed() ? 0 : count;
    }
    std::string Text(int32_t length)
    {
        if (length < 0 || length > MaxNameLength)
        {
            Fail("a name is longer than 239 characters");
            return {};
        }
        std::string text(size_t(length), '\0');
        Take(text.data(), length);
        if (U8() != 0 && !Failed())
            Fail("a name lacks its terminating zero");
        if (text.find('\0') != std::string::npos)
            Fail("a name holds a zero byte");
        return Failed() ? std::string() : text;
    }
    bool Skip(int64_t count)
    {
        if (Failed() || count < 0 || count > Left())
        {
            Fail("the file ends early");
            return false;
        }
        m_Pos += count;
        return true;
    }

private:
    const uint8_t* m_Data;
    int64_t m_Size;
    int64_t m_Pos = 0;
    std::string m_Reason;
};

class CMapWriter
{
public:
    explicit CMapWriter(CMemoryBlock& block) : m_Block(block) {}
    void U8(uint8_t v) { m_Block.Write(&v, 1); }
    void U16(uint16_t v)
    {
        const uint8_t b[2] = {uint8_t(v), uint8_t(v >> 8)};
        m_Block.Write(b, 2);
    }
    void I32(int32_t value)
    {
        const uint32_t v = uint32_t(value);
        const uint8_t b[4] = {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)};
        m_Block.Write(b, 4);
    }
    void Bytes(const void* data, int32_t count) { m_Block.Write(data, count); }
    void ShortText(const char* text)
    {
        const size_t length = std::strlen(text);
        U8(uint8_t(length));
        Bytes(text, int32_t(length + 1));
    }
    // Counts known only at the end are patched in place.
    int32_t Position() const { return m_Block.GetPos(); }
    void PatchI32(int32_t position, int32_t value)
    {
        const int32_t end = m_Block.GetPos();
        m_Block.SetPos(position);
        I32(value);
        m_Block.SetPos(end);
    }

private:
    CMemoryBlock& m_Block;
};

bool IsSize(int32_t side)
{
    return side >= MinMapSide && side <= MaxMapSide;
}

void ReadSize(CMapReader& in, int32_t& width, int32_t& height)
{
    width = in.I32();
    height = in.I32();
    if (!in.Failed() && (!IsSize(width) || !IsSize(height)))
        in.Fail("the size is not 32 to 256 blocks each way");
}

void ReadSetup(CMapReader& in, SSetupImage& setup)
{
    setup.name = in.Text(in.U8());
    setup.script = in.Text(in.U8());
    setup.type = in.I32();
    setup.colour = in.I32();
    setup.team = in.I32();
    setup.wood = in.I32();
    setup.stone = in.I32();
    setup.gold = in.I32();
    setup.starving = in.U8();
    setup.populationLimit = in.I32();
    // The player record takes these as they stand, and a save of the game
    // would refuse them later.
    if (!in.Failed() && (setup.type < PLAYER_NONE || setup.type > PLAYER_DEFEATED))
        in.Fail("a player type is not 0 to 4");
    if (!in.Failed() && (setup.colour < 0 || setup.colour >= MaxPlayers))
        in.Fail("a colour scheme is not 0 to 7");
    if (!in.Failed() && (setup.team < 0 || setup.team > MaxPlayers))
        in.Fail("a team is not 0 to 8");
    std::fill(std::begin(setup.technologies), std::end(setup.technologies), 1);
    std::fill(std::begin(setup.units), std::end(setup.units), 0);
    std::fill(std::begin(setup.buildings), std::end(setup.buildings), 0);
    bool skipped = false;
    const int32_t technologies = in.Count(8, "technology");
    for (int32_t i = 0; i < technologies; ++i)
    {
        const int32_t id = in.I32();
        const int32_t state = in.I32();
        if (id >= 0 && id < CMapPlayerSettings::TechnologyStateCount)
            setup.technologies[id] = state;
        else
            skipped = true;
    }
    const int32_t unitTypes = in.Count(5, "unit type");
    for (int32_t i = 0; i < unitTypes; ++i)
    {
        const int32_t type = in.I32();
        const uint8_t enabled = in.U8();
        if (type >= 0 && type < CMapPlayerSettings::UnitFlagCount)
            setup.units[type] = enabled;
        else
            skipped = true;
    }
    const int32_t casts = in.Count(5, "building cast");
    for (int32_t i = 0; i < casts; ++i)
    {
        const int32_t cast = in.I32();
        const uint8_t enabled = in.U8();
        if (cast >= 0 && cast < CMapPlayerSettings::BuildingFlagCount)
            setup.buildings[cast] = enabled;
        else
            skipped = true;
    }
    if (skipped && !in.Failed())
        g_Log.Write("Map file: setup pairs with an unknown index skipped");
    setup.viewX = in.I32();
    setup.viewY = in.I32();
}

void ReadObjects(CMapReader& in, SMapImage& image)
{
    const int32_t buildingCount = in.Count(BuildingRecordBytes, "building");
    image.buildings.resize(size_t(buildingCount));
    for (SMapBuildingRecord& b : image.buildings)
    {
        b.owner = in.I32();
        b.x = in.I32();
        b.y = in.I32();
        b.cast = in.I32();
        b.resourceKind = in.I32();
        b.treeCast = in.I32();
        b.amount = in.I32();
        b.decorationKind = in.I32();
        b.scriptId = in.I32();
        b.archers = in.U8();
        in.Skip(3);
    }
    const int32_t unitCount = in.Count(UnitRecordBytes + 1, "unit");
    image.units.resize(size_t(unitCount));
    for (SMapUnitRecord& u : image.units)
    {
        u.owner = in.I32();
        u.x = in.I32();
        u.y = in.I32();
        u.type = in.I32();
        u.stance = in.I32();
        u.specialId = in.I32();
        u.hasName = in.U8() == 1;
        if (u.hasName)
            u.name = in.Text(in.I32());
        if (in.Failed())
            return;
    }
}

bool ReadImage(const CMemoryBlock& block, SMapImage& image, std::string& reason)
{
    CMapReader in(block);
    ReadSize(in, image.width, image.height);
    // A refused size may be any number: nothing is counted from it.
    const bool sized = !in.Failed();
    const int32_t blockCount = sized ? image.width * image.height : 0;
    const int32_t cornerCount = sized ? (image.width + 1) * (image.height + 1) : 0;
    if (!in.Failed())
    {
        image.preview.resize(size_t(blockCount));
        for (uint16_t& pixel : image.preview)
            pixel = in.U16();
    }
    const int32_t starts = in.Count(StartPointBytes, "start point");
    for (int32_t i = 0; i < starts; ++i)
    {
        const SStartPoint point{in.I32(), in.I32()};
        if (i < MaxStartPoints)
            image.startPoints.push_back(point);
    }
    if (starts > MaxStartPoints && !in.Failed())
        g_Log.Write("Map file: start points beyond the eighth skipped");
    for (SSetupImage& setup : image.setups)
        ReadSetup(in, setup);
    image.theme = in.I32();
    if (!in.Failed() && (image.theme < 0 || image.theme >= ThemeCount))
        in.Fail("unknown theme");
    if (!in.Failed())
    {
        image.cornerColours.resize(size_t(cornerCount));
        image.cornerHeights.resize(size_t(cornerCount));
        image.cornerTextures.resize(size_t(cornerCount));
        if (int64_t(cornerCount) * CornerRecordBytes > in.Left())
            in.Fail("the file ends early");
        for (int32_t i = 0; i < cornerCount && !in.Failed(); ++i)
        {
            image.cornerColours[size_t(i)] = in.I32();
            image.cornerHeights[size_t(i)] = in.I32();
            image.cornerTextures[size_t(i)] = in.U8();
        }
    }
    image.firstDecoration = in.I32();
    if (!in.Failed())
    {
        if (int64_t(blockCount) * BlockRecordBytes > in.Left())
            in.Fail("the file ends early");
        image.blocks.resize(size_t(blockCount));
        for (SMapImage::SBlock& b : image.blocks)
        {
            b.water = in.U16();
            b.blocked = in.U8();
            b.impassable = in.U8();
            b.split = in.U8();
            b.decoration = in.U16();
        }
    }
    ReadObjects(in, image);
    image.weatherType = in.I32();
    if (!in.Failed())
    {
        image.weather.resize(size_t(blockCount));
        in.Take(image.weather.data(), blockCount);
    }
    reason = in.Reason();
    return !in.Failed();
}

int32_t TowerArchers(const CBuilding* building)
{
    const auto* tower = dynamic_cast<const CBuildingTower*>(building);
    return tower != nullptr ? tower->archerCount : 0;
}

bool HasCurrentProfile()
{
    const int32_t current = g_PlayerProfiles.GetCurrent();
    return current >= 0 && current < g_PlayerProfiles.GetCount();
}

bool HasParentStep(const std::string& name)
{
    return name.find("..") != std::string::npos;
}

const char* Translated(const std::string& text, bool editor)
{
    if (editor || text.empty())
        return text.c_str();
    const char* found = g_Localizer.GetString(text.c_str(), false);
    return found != nullptr ? found : text.c_str();
}

// False, with the reason logged, when the reader failed.
bool Accepted(const CMapReader& in)
{
    if (in.Failed())
        g_Log.Write((std::string("Map file refused: ") + in.Reason()).c_str());
    return !in.Failed();
}

// Whether the plan lets a record stand; a skipped one's line is logged
// here, where the map's objects are made.
bool Stands(const CMapObjectPlan::SVerdict& verdict)
{
    if (!verdict.stands && !verdict.skipLine.empty())
        g_Log.Write(verdict.skipLine.c_str());
    return verdict.stands;
}

// `count` bytes at `offset` of an open file; false when the file ends first.
bool ReadAt(CFile& file, int64_t offset, void* out, int64_t count)
{
    return offset <= INT_MAX && count <= INT_MAX && file.Seek(int(offset)) && file.Read(out, int(count)) == count;
}

// Why a map file that is there is not taken: longer than any map, or
// something that cannot be read (a folder, a pipe, no permission).
void LogUntaken(CMemoryBlock::ELoad found, const CString& cause)
{
    if (found == CMemoryBlock::ELoad::TooLong)
        g_Log.Write("Map file refused: the file is longer than any map");
    else if (found == CMemoryBlock::ELoad::Unreadable)
        g_Log.Write(CString("Map file cannot be read: ") + cause);
}

// Opens a map for the probes of the map lists as the loader finds it (the
// data files first, then disk) and reads its size.  A file the loader
// refuses is refused here alike, so the lists never offer it.  The probes
// read no more than they report, so a file costs them a few bytes.
bool OpenProbe(CFile& file, const char* path, int32_t& width, int32_t& height)
{
    CString cause;
    const CMemoryBlock::ELoad opened = CMemoryBlock::OpenBounded(file, path, LongestMapFile, cause);
    if (opened == CMemoryBlock::ELoad::Missing)
        g_Log.Write("Map file not found");
    LogUntaken(opened, cause);
    if (opened != CMemoryBlock::ELoad::Loaded)
        return false;
    uint8_t bytes[SizeBytes];
    CMapReader in(bytes, ReadAt(file, 0, bytes, SizeBytes) ? SizeBytes : 0);
    ReadSize(in, width, height);
    return Accepted(in);
}

// The start-point count behind the preview, which must fit in the file.
bool ProbeStartCount(const char* path, int32_t& count)
{
    CFile file;
    int32_t w = 0, h = 0;
    if (!OpenProbe(file, path, w, h))
        return false;
    const int64_t at = SizeBytes + int64_t(w) * h * PreviewPixelBytes;
    uint8_t bytes[CountBytes];
    CMapReader in(bytes, ReadAt(file, at, bytes, CountBytes) ? CountBytes : 0);
    count = in.I32();
    if (!in.Failed() && (count < 0 || int64_t(count) * StartPointBytes > file.GetSize() - at - CountBytes))
        in.Fail("bad start point count");
    return Accepted(in);
}

// The buildings standing at their anchor blocks, each once.
std::vector<const CBuilding*> PlacedBuildings(const CGameMap& map)
{
    std::vector<const CBuilding*> placed;
    for (int32_t x = 0; x < map.width; ++x)
        for (int32_t y = 0; y < map.height; ++y)
        {
            const CBuilding* b = map.Block(x, y).building;
            if (b != nullptr && b->x == x && b->y == y && b->placed)
                placed.push_back(b);
        }
    return placed;
}

// Calls visit(i, j, corner index) for every corner of the building's footprint.
template <typename Visit> void ForEachCorner(const CBuilding& b, Visit visit)
{
    for (int32_t i = 0; i <= b.GetWidth(); ++i)
        for (int32_t j = 0; j <= b.GetDepth(); ++j)
            visit(i, j, size_t((b.x + i) * MapCornerSide + b.y + j));
}

// The corner textures of the ground without its buildings.  A placed
// building paints its solid corners with the base texture and keeps what lay
// there, to put it back when it goes; the file holds the ground, which the
// buildings paint again when the map is loaded.  Where two buildings share a
// painted corner, the one placed first kept the ground and the other the
// paint, so the kept texture that differs from the paint is the ground.
std::vector<uint8_t> GroundCornerTextures(const CGameMap& map)
{
    const std::vector<const CBuilding*> placed = PlacedBuildings(map);
    std::vector<bool> painted(MapCornerCount, false);
    for (const CBuilding* b : placed)
        ForEachCorner(*b, [&](int32_t i, int32_t j, size_t c) { painted[c] = painted[c] || b->IsSolidCell(i, j); });
    std::vector<uint8_t> ground(std::begin(map.cornerTextures), std::end(map.cornerTextures));
    for (const CBuilding* b : placed)
        ForEachCorner(*b, [&](int32_t i, int32_t j, size_t c) {
            if (painted[c] && b->savedCornerTextures[i][j] != map.cornerTextures[c])
                ground[c] = uint8_t(b->savedCornerTextures[i][j]);
        });
    return ground;
}
} // namespace

// ---- Writing -----------------------------------------------------------------

int32_t CGameMap::CollectStartPoints()
{
    if (!editor)
    {
        DEBUG_REPORT("#DEBUG: Can only be called from the editor");
        return -1;
    }
    startPointCount = 0;
    int32_t markers = 0;
    for (int32_t x = 0; x < width; ++x)
        for (int32_t y = 0; y < height; ++y)
        {
            if (Block(x, y).decorationModel != StartPointMarker)
                continue;
            ++markers;
            if (startPointCount < MaxStartPoints)
                startPoints[startPointCount++] = SStartPoint{x, y};
            else
                DEBUG_REPORT("#DEBUG: More than eight start points");
        }
    return std::min(markers, int32_t(MaxStartPoints));
}

bool CGameMap::SaveMapData(CMemoryBlock& block)
{
    for (const CMapPlayerSettings& setup : playerSettings)
        if (std::strlen(setup.name) > size_t(MaxNameLength) || std::strlen(setup.scriptFile) > size_t(MaxNameLength))
        {
            g_Log.Write("Map not saved: a player or script name is longer than 239 characters");
            return false;
        }
    for (int32_t i = 0; i < width * height; ++i)
    {
        const CUnit* unit = std::as_const(*this).Block(i / height, i % height).unit;
        if (unit != nullptr && std::strlen(unit->customName) > size_t(MaxNameLength))
        {
            g_Log.Write("Map not saved: a unit name is longer than 239 characters");
            return false;
        }
    }
    const CBusyCursor busy;
    CMapWriter out(block);
    out.I32(width);
    out.I32(height);
    const bool hasPreview = previewPixels.size() == size_t(width) * size_t(height);
    for (int32_t i = 0; i < width * height; ++i)
        out.U16(hasPreview ? previewPixels[size_t(i)] : 0);
    // Outside the editor the markers are gone: the stored points are written.
    const int32_t starts = editor ? CollectStartPoints() : startPointCount;
    out.I32(starts);
    for (int32_t i = 0; i < starts; ++i)
    {
        out.I32(startPoints[i].x);
        out.I32(startPoints[i].y);
    }
    for (const CMapPlayerSettings& s : playerSettings)
    {
        out.ShortText(s.name);
        out.ShortText(s.scriptFile);
        for (int32_t value : {s.playerType, s.colourScheme, s.team, s.initialWood, s.initialStone, s.initialGold})
            out.I32(value);
        out.U8(s.starving);
        out.I32(s.populationLimit);
        out.I32(CMapPlayerSettings::TechnologyStateCount);
        for (int32_t i = 0; i < CMapPlayerSettings::TechnologyStateCount; ++i)
        {
            out.I32(i);
            out.I32(s.technologyStates[i]);
        }
        out.I32(CMapPlayerSettings::UnitFlagCount);
        for (int32_t i = 0; i < CMapPlayerSettings::UnitFlagCount; ++i)
        {
            out.I32(i);
            out.U8(s.unitEnabled[i]);
        }
        out.I32(CMapPlayerSettings::BuildingFlagCount);
        for (int32_t i = 0; i < CMapPlayerSettings::BuildingFlagCount; ++i)
        {
            out.I32(i);
            out.U8(s.buildingEnabled[i]);
        }
        out.I32(s.startViewX);
        out.I32(s.startViewY);
    }
    out.I32(theme);
    const std::vector<uint8_t> ground = GroundCornerTextures(*this);
    for (int32_t x = 0; x <= width; ++x)
        for (int32_t y = 0; y <= height; ++y)
        {
            const int32_t c = x * MapCornerSide + y;
            out.I32(cornerColours[c]);
            out.I32(cornerHeights[c]);
            out.U8(ground[size_t(c)]);
        }
    out.I32(FirstDecorationModel);
    for (int32_t x = 0; x < width; ++x)
        for (int32_t y = 0; y < height; ++y)
        {
            const SMapBlock& b = std::as_const(*this).Block(x, y);
            out.U16(b.waterLevel);
            out.U8(b.blocked);
            out.U8(b.impassable);
            out.U8(b.triangleSplit);
            out.U16(b.decorationModel);
        }

    const int32_t buildingCountAt = out.Position();
    out.I32(0);
    int32_t buildingCount = 0;
    for (int32_t x = 0; x < width; ++x)
        for (int32_t y = 0; y < height; ++y)
        {
            const CBuilding* b = std::as_const(*this).Block(x, y).building;
            if (b == nullptr || b->x != x || b->y != y)
                continue;
            const int32_t cast = b->GetBuildCast();
            out.I32(b->owner);
            out.I32(x);
            out.I32(y);
            out.I32(cast);
            out.I32(b->GetResourceKind());
            out.I32(b->GetTreeCast());
            out.I32(b->GetAmount());
            out.I32(cast == DecorationCast ? b->GetDecorationKind() : 0);
            out.I32(b->scriptTag);
            out.U8(cast == TowerCast ? uint8_t(TowerArchers(b)) : 0);
            const uint8_t reserved[3] = {0, 0, 0};
            out.Bytes(reserved, 3);
            ++buildingCount;
        }
    out.PatchI32(buildingCountAt, buildingCount);

    const int32_t unitCountAt = out.Position();
    out.I32(0);
    int32_t unitCount = 0;
    for (int32_t x = 0; x < width; ++x)
        for (int32_t y = 0; y < height; ++y)
        {
            const CUnit* u = std::as_const(*this).Block(x, y).unit;
            if (u == nullptr || u->x != x || u->y != y)
                continue;
            for (int32_t value : {u->player, x, y, u->GetCastID(), u->stance, u->specialId})
                out.I32(value);
            const size_t nameLength = std::strlen(u->customName);
            const bool named = nameLength > 0;
            out.U8(named ? 1 : 0);
            if (named)
            {
                out.I32(int32_t(nameLength));
                out.Bytes(u->customName.GetBuffer(), int32_t(nameLength + 1));
            }
            ++unitCount;
        }
    out.PatchI32(unitCountAt, unitCount);

    out.I32(weatherType);
    for (int32_t x = 0; x < width; ++x)
        out.Bytes(&weatherMap[x * MapBlockSide], height);
    return true;
}

bool CGameMap::SaveMap(const char* path)
{
    if (g_Config.backupFiles && CFile::Exists(path))
    {
        std::string backup = path;
        const size_t dot = backup.find_last_of('.');
        const size_t separator = backup.find_last_of("\\/");
        if (dot != std::string::npos && (separator == std::string::npos || dot > separator))
            backup.erase(dot);
        backup += ".backup";
        // A copy, not a move: the map file stays whole until its
        // replacement has been written.
        CMemoryBlock previous;
        if (!previous.LoadFromFile(path) || !previous.SaveToFile(backup.c_str()))
            g_Log.Write("Map backup could not be written");
    }
    g_Log.Write((std::string("Saving map file:") + path).c_str());
    CMemoryBlock block(CMemoryBlock::DefaultGrowStep);
    if (!SaveMapData(block))
        return false;
    if (!block.SaveToFile(path))
    {
        g_Log.Write("Map file could not be written");
        return false;
    }
    return true;
}

// ---- Reading -----------------------------------------------------------------

CMemoryBlock::ELoad CGameMap::ReadMapFile(const char* path, CMemoryBlock& block)
{
    CString cause;
    const CMemoryBlock::ELoad read = block.LoadFromFile(path, LongestMapFile, cause);
    LogUntaken(read, cause);
    return read;
}

bool CGameMap::LoadMap(const char* path, uint8_t editorFlag)
{
    g_Log.Write((std::string("Loading map file: ") + path).c_str());
    CMemoryBlock block;
    const CMemoryBlock::ELoad read = ReadMapFile(path, block);
    // Only a file that is not there gives the blank map: one that is there
    // but cannot be taken fails the load and leaves the present map.
    if (read == CMemoryBlock::ELoad::Missing)
    {
        g_Log.Write("Map file not found, creating new 64x64 map");
        editor = editorFlag;
        return NewMap(DefaultMapSide, DefaultMapSide, ThemeGroundTexture, 0);
    }
    if (read != CMemoryBlock::ELoad::Loaded)
        return false;
    ResetCamera();
    const bool loaded = LoadMapData(block, editorFlag);
    g_Log.Write("Loading end");
    return loaded;
}

bool CGameMap::LoadMapData(CMemoryBlock& block, uint8_t editorFlag)
{
    SMapImage image;
    std::string reason;
    if (!ReadImage(block, image, reason))
    {
        g_Log.Write((std::string("Map file refused: ") + reason).c_str());
        return false;
    }
    CTheme loadedTheme;
    const char* themeFile = CTheme::GetFileName(image.theme);
    if (themeFile == nullptr || !loadedTheme.Load(themeFile))
    {
        g_Log.Write("Map file refused: the theme cannot be loaded");
        return false;
    }

    CMapObjectPlan plan(image.width, image.height, g_Players, std::clamp(g_LocalPlayer, 0, MaxPlayers - 1));
    if (!plan.Decide(image.buildings, image.units))
    {
        g_Log.Write("Map file refused: a resource site or decoration lies over another object");
        return false;
    }

    editor = editorFlag;
    Free();
    ClearGrids();
    width = image.width;
    height = image.height;
    previewPixels = image.preview;
    startPointCount = int32_t(image.startPoints.size());
    std::copy(image.startPoints.begin(), image.startPoints.end(), startPoints);

    for (int32_t p = 0; p < MaxPlayers; ++p)
    {
        const SSetupImage& in = image.setups[p];
        CMapPlayerSettings& s = playerSettings[p];
        s.name = Translated(in.name, editor != 0);
        s.scriptFile = in.script.c_str();
        s.playerType = in.type;
        s.colourScheme = in.colour;
        s.team = in.team;
        s.initialWood = in.wood;
        s.initialStone = in.stone;
        s.initialGold = in.gold;
        s.starving = in.starving;
        s.populationLimit = in.populationLimit;
        std::copy(std::begin(in.technologies), std::end(in.technologies), s.technologyStates);
        std::copy(std::begin(in.units), std::end(in.units), s.unitEnabled);
        std::copy(std::begin(in.buildings), std::end(in.buildings), s.buildingEnabled);
        s.startViewX = in.viewX;
        s.startViewY = in.viewY;
    }

    g_Particles.Reset();
    themeTextures.Swap(loadedTheme);
    theme = image.theme;
    SetUpPlayersFromSettings();

    g_Log.Write("Loading heights/shades");
    const int32_t textureCount = themeTextures.GetTextureCount();
    bool clamped = false;
    size_t corner = 0;
    for (int32_t x = 0; x <= width; ++x)
        for (int32_t y = 0; y <= height; ++y, ++corner)
        {
            const int32_t c = x * MapCornerSide + y;
            cornerColours[c] = image.cornerColours[corner];
            cornerHeights[c] = image.cornerHeights[corner];
            uint8_t texture = image.cornerTextures[corner];
            if (texture >= textureCount)
            {
                texture = uint8_t(textureCount - 1);
                clamped = true;
            }
            cornerTextures[c] = texture;
        }
    if (clamped)
        g_Log.Write("Map file: corner textures beyond the theme's set to its last texture");

    // Any stored number is taken: the shift is worked out in 64 bits.
    const int64_t shift = int64_t(FirstDecorationModel) - image.firstDecoration;
    g_Log.Write("Loading tiles");
    bool badModel = false;
    size_t index = 0;
    for (int32_t x = 0; x < width; ++x)
        for (int32_t y = 0; y < height; ++y, ++index)
        {
            const SMapImage::SBlock& in = image.blocks[index];
            SMapBlock& b = Block(x, y);
            b.waterLevel = in.water;
            b.blocked = in.blocked;
            b.impassable = in.impassable;
            b.triangleSplit = in.split;
            b.unit = nullptr;
            b.building = nullptr;
            b.frameStamp = frameStamp - 1;
            b.decorationModel = in.decoration;
            if (in.decoration != NoDecoration)
            {
                const int64_t model = in.decoration + shift;
                if (model < 0 || model >= DecorationModelSlots)
                {
                    b.decorationModel = NoDecoration;
                    badModel = true;
                }
                else
                    b.decorationModel = uint16_t(model);
            }
            if (!editor && b.decorationModel == StartPointMarker)
                b.decorationModel = NoDecoration;
        }
    if (badModel)
        g_Log.Write("Map file: decoration models out of range removed");

    g_Log.Write("Loading buildings");
    for (size_t i = 0; i < image.buildings.size(); ++i)
        if (Stands(plan.Building(i)))
            CreateBuildingFromFile(image.buildings[i]);
    g_Log.Write("Loading units");
    for (size_t i = 0; i < image.units.size(); ++i)
        if (Stands(plan.Unit(i)))
        {
            const SMapUnitRecord& record = image.units[i];
            CreateUnitFromFile(record, record.hasName ? Translated(record.name, editor != 0) : "");
        }

    g_Log.Write("Loading weather");
    weatherType = image.weatherType;
    if (weatherType < 0 || weatherType >= WeatherKinds)
    {
        g_Log.Write("Map file: unknown weather type taken as none");
        weatherType = WEATHER_NONE;
    }
    for (int32_t x = 0; x < width; ++x)
        std::memcpy(&weatherMap[x * MapBlockSide], &image.weather[size_t(x) * size_t(height)], size_t(height));

    CreateMinimap();
    g_EnvironmentFX.InitEnvironment(true);
    for (int32_t x = 0; x < width; ++x)
        for (int32_t y = 0; y < height; ++y)
            GetTileTransition(x, y);
    UpdateArea(0, 0, -1, -1);
    AssignRegionIds();
    for (int32_t x = 0; x < width; ++x)
        for (int32_t y = 0; y < height; ++y)
            Block(x, y).randomValue = GlobalFunc::Random(RandomValueRange);
    if (!editor)
        LoadPlayerScripts();
    return true;
}

void CGameMap::SetUpPlayersFromSettings()
{
    g_Log.Write("Initializing players");
    if (g_Players == nullptr)
        return;
    for (int32_t p = 0; p < MaxPlayers; ++p)
    {
        CMapPlayerSettings& s = playerSettings[p];
        CPlayer& player = g_Players[p];
        if (s.playerType == PLAYER_LOCAL)
        {
            g_LocalPlayer = p;
            cameraTargetX = float(s.startViewX);
            cameraTargetY = float(s.startViewY);
            // The editor keeps the map's own names: it writes them back.
            if (!editor && HasCurrentProfile())
                s.name = g_PlayerProfiles.GetName(g_PlayerProfiles.GetCurrent());
        }
        player.Init(p, s.team - 1, s.playerType, nullptr);
        player.colourScheme = s.colourScheme;
        player.wood = s.initialWood;
        player.stone = s.initialStone;
        player.gold = s.initialGold;
        player.name = s.name;
        player.starvationEnabled = s.starving;
        player.populationMaximum = s.populationLimit;
        std::copy(std::begin(s.unitEnabled), std::end(s.unitEnabled), player.enabledUnitTypes);
        std::copy(std::begin(s.buildingEnabled), std::end(s.buildingEnabled), player.enabledBuildingCasts);
        for (int32_t t = 0; t < CMapPlayerSettings::TechnologyStateCount; ++t)
        {
            CTechnology& technology = player.technologies[t];
            technology.progress = 0.0f;
            if (s.technologyStates[t] == 0)
                technology.enabled = 1;
            else if (s.technologyStates[t] == 1)
                technology.enabled = 0;
            else if (s.technologyStates[t] == 2)
                technology.progress = CTechnology::ResearchedProgress;
        }
    }
    for (int32_t p = 0; p < MaxPlayers; ++p)
        for (int32_t q = 0; q < MaxPlayers; ++q)
        {
            const int32_t otherType = playerSettings[q].playerType;
            g_Players[p].allied[q] = uint8_t(p == q || otherType == PLAYER_NONE || otherType == PLAYER_DEFEATED ||
                                             playerSettings[p].team == playerSettings[q].team);
        }
    if (editor)
        for (int32_t p = 0; p < MaxPlayers; ++p)
        {
            g_Players[p].type = PLAYER_LOCAL;
            std::fill(std::begin(g_Players[p].allied), std::end(g_Players[p].allied), uint8_t(1));
        }
}

// The plan has laid the record: its blocks are free and its fields sound.
void CGameMap::CreateBuildingFromFile(const SMapBuildingRecord& record)
{
    const bool neutral = record.owner == -1;
    CPlayer& maker = g_Players[neutral ? std::clamp(g_LocalPlayer, 0, MaxPlayers - 1) : record.owner];
    CBuilding* building =
        !neutral                          ? maker.CreateBuilding(record.cast, record.x, record.y)
        : record.cast == ResourceSiteCast ? maker.CreateResource(record.resourceKind, record.x, record.y, record.amount,
                                                                 record.treeCast)
                                          : maker.CreateDecorationBuilding(record.decorationKind, record.x, record.y);
    if (building == nullptr)
    {
        g_Log.Write("Map file: building that cannot be made or placed skipped");
        return;
    }
    // The number scripts know the object by is the one a saved game keeps.
    building->scriptTag = record.scriptId;
    // A decoration's lasting effects start once it stands.
    if (record.cast == DecorationCast)
        building->StartEffects();
    if (!neutral)
        FinishFromMap(*building, record.archers);
}

// A map's buildings stand finished from the start; a tower finishes with
// its first archer inside and then takes the map's count of them.
void CGameMap::FinishFromMap(CBuilding& building, int32_t archers)
{
    auto* tower = building.GetBuildCast() == TowerCast ? dynamic_cast<CBuildingTower*>(&building) : nullptr;
    if (tower != nullptr)
        tower->SetArcherCount(MinTowerArchers);
    building.OnMapPlaced(0.0f, true);
    if (tower != nullptr)
        tower->SetArcherCount(std::clamp(archers, MinTowerArchers, MaxTowerArchers));
}

// The plan has laid the record: its blocks are free and its fields sound.
void CGameMap::CreateUnitFromFile(const SMapUnitRecord& record, const char* name)
{
    CUnit* unit = g_Players[record.owner].CreateUnit(record.type, record.x, record.y);
    if (unit == nullptr)
    {
        g_Log.Write("Map file: unit that cannot be made skipped");
        return;
    }
    if (IsKnownStance(record.stance))
        unit->stance = record.stance;
    else
        g_Log.Write("Map file: unknown unit stance, the unit keeps its own");
    if (unit->currentCommand == IdleCommand || unit->currentCommand == PatrolCommand)
        unit->onIdle();
    unit->specialId = record.specialId;
    unit->customName = name;
}

void CGameMap::LoadPlayerScripts()
{
    if (g_Players == nullptr)
        return;
    for (int32_t p = 0; p < MaxPlayers; ++p)
    {
        const std::string name = playerSettings[p].scriptFile.GetBuffer();
        std::string path;
        if (!name.empty())
        {
            if (HasParentStep(name))
            {
                g_Log.Write("Map file: a script name leaving the script folder ignored");
                continue;
            }
            path = std::string(g_Config.scriptFolder.GetBuffer()) + name;
            if (!CFile::Exists(path.c_str()))
                path = "Maps\\Scripts\\" + name;
        }
        if (playerSettings[p].playerType == PLAYER_COMPUTER)
            g_Players[p].ResetComputerAI(path.c_str());
        else
            g_Players[p].CompileScript(path.c_str());
    }
}

// ---- Probes ------------------------------------------------------------------

bool CGameMap::ReadMapFileSize(const char* path, int32_t* outWidth, int32_t* outHeight) const
{
    CFile file;
    int32_t w = -1, h = -1;
    const bool found = OpenProbe(file, path, w, h);
    *outWidth = found ? w : -1;
    *outHeight = found ? h : -1;
    return found;
}

int32_t CGameMap::ReadMapFileStartNum(const char* path) const
{
    int32_t starts = 0;
    return ProbeStartCount(path, starts) ? starts : 0;
}

bool CGameMap::MapFileHasStartPoints(const char* path) const
{
    return ReadMapFileStartNum(path) != 0;
}

bool CGameMap::LoadMinimapPreview(const char* path, std::unique_ptr<CTexture>& out) const
{
    g_Log.Write((std::string("Loading minimap preview: ") + path).c_str());
    CFile file;
    int32_t w = 0, h = 0;
    if (!OpenProbe(file, path, w, h))
        return false;
    std::vector<uint8_t> bytes(size_t(w) * size_t(h) * PreviewPixelBytes);
    CMapReader in(bytes.data(), ReadAt(file, SizeBytes, bytes.data(), int64_t(bytes.size())) ? bytes.size() : 0);
    std::vector<uint16_t> pixels(size_t(w) * size_t(h));
    for (uint16_t& pixel : pixels)
        pixel = in.U16();
    if (!Accepted(in))
        return false;
    auto texture = std::make_unique<CTexture>();
    texture->format = CTexture::FormatR5G6B5;
    texture->singleLevel = 1;
    if (!texture->Create(w, h) || !texture->Lock())
        return false;
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x)
            texture->PutPixel(x, y, pixels[size_t(y) * size_t(w) + size_t(x)]);
    texture->Unlock();
    out = std::move(texture);
    return true;
}
