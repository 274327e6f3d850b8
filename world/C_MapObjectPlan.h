#pragma once
// Which object records of a map file stand once the map is loaded, decided
// on a grid of the file's own size before the present map is touched, so
// that a file refused for its objects leaves the map as it was.
//
// The land's own objects, resource sites and decorations, are laid first:
// two of them on one block refuse the file, whichever comes first.  Owned
// buildings follow in the file's order, each on blocks that nothing holds
// yet; one over another object is skipped, so that loading never ends what
// stands.  Units come last, each on blocks that neither a building nor a
// unit holds.  Whether a file loads, and whether a neutral object or a
// building stands, thus does not depend on the order of its records; of
// two owned buildings (or two units) on one block the first stands.  A
// record that names nothing sensible is skipped alone.

#include <cstdint>
#include <string>
#include <vector>

class CPlayer;

// The 40 bytes of a building record (the 3 reserved bytes left out).
struct SMapBuildingRecord
{
    int32_t owner, x, y, cast, resourceKind, treeCast, amount, decorationKind, scriptId;
    uint8_t archers;
};

struct SMapUnitRecord
{
    int32_t owner, x, y, type, stance, specialId;
    bool hasName;
    std::string name;
};

class CMapObjectPlan
{
public:
    // What becomes of one record: made, or skipped with its log line (none
    // for a record the format itself says to pass over).
    struct SVerdict
    {
        bool stands = false;
        std::string skipLine;
    };

    // `players` makes the probes that tell a building's footprint (null:
    // no player can make anything); `neutralMaker` is the player whose
    // factories make the land's objects.
    CMapObjectPlan(int32_t width, int32_t height, CPlayer* players, int32_t neutralMaker);

    // False when two of the land's objects share a block.
    bool Decide(const std::vector<SMapBuildingRecord>& buildings, const std::vector<SMapUnitRecord>& units);

    const SVerdict& Building(size_t index) const { return m_Buildings[index]; }
    const SVerdict& Unit(size_t index) const { return m_Units[index]; }

private:
    enum class EHolder : uint8_t
    {
        Nobody,
        Building,
        Unit,
    };
    struct SFootprint
    {
        bool known = false;            // the factory makes the record's object
        int32_t width = 0, depth = 0;
        std::vector<bool> cells;       // the blocks it takes, i outer, j inner
    };

    // A skip line, or none when the record may be laid.
    std::string CheckBuildingFields(const SMapBuildingRecord& record) const;
    SFootprint FootprintOf(const SMapBuildingRecord& record) const;
    bool IsOnGrid(int32_t x, int32_t y) const { return x >= 0 && y >= 0 && x < m_Width && y < m_Height; }
    EHolder& HolderAt(int32_t x, int32_t y) { return m_Grid[size_t(x) * size_t(m_Height) + size_t(y)]; }
    // False when the land object over another refuses the file.
    bool LayBuilding(const SMapBuildingRecord& record, SVerdict& verdict);
    void LayUnit(const SMapUnitRecord& record, SVerdict& verdict);

    int32_t m_Width;
    int32_t m_Height;
    CPlayer* m_Players;
    int32_t m_NeutralMaker;
    std::vector<EHolder> m_Grid;
    std::vector<SVerdict> m_Buildings;
    std::vector<SVerdict> m_Units;
};
