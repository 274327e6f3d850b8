// Feeds arbitrary bytes to the save-game loader as a whole save file: once
// as they are (header, CRC-32), and, when a header can be found, once with
// the CRC-32 made to match, so that the payload gets read: as typed fields
// chosen by the payload's own bytes, and as a reference-table section.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "buildings/C_Building.h"
#include "core/C_Config.h"
#include "core/C_String.h"
#include "fuzz/FuzzSaveFile.h"
#include "media/C_SaveStream.h"
#include "units/C_Unit.h"
#include "world/C_ReferenceBase.h"
#include "world/C_ReferencedObjects.h"
#include "world/C_SaveGame.h"

namespace
{
constexpr size_t kLargestInput = 1u << 20;
constexpr int kFieldKinds = 7;

class CFuzzUnit : public CUnit
{
public:
    explicit CFuzzUnit(int32_t cast) : m_Cast(cast) {}
    int32_t GetCastID() const override { return m_Cast; }

private:
    int32_t m_Cast;
};

class CFuzzBuilding : public CBuilding
{
public:
    explicit CFuzzBuilding(int32_t cast) : m_Cast(cast) {}
    int32_t GetMaxHitPoints() const override { return 1; }
    int32_t GetWidth() const override { return 1; }
    int32_t GetDepth() const override { return 1; }
    int32_t GetBuildCast() const override { return m_Cast; }

private:
    int32_t m_Cast;
};

// Makes types 0 to 24 and casts 0 to 18; each object's state is one link,
// resolved through the table.
class CFuzzObjects : public CReferencedObjects
{
public:
    explicit CFuzzObjects(const CReferenceBase& table) : m_Table(table) {}

    CUnit* MakeUnit(int32_t player, int32_t unitType) const override
    {
        (void)player;
        if (unitType < 0 || unitType > 24)
            return nullptr;
        units.push_back(std::make_unique<CFuzzUnit>(unitType));
        return units.back().get();
    }
    CBuilding* MakeBuilding(int32_t player, int32_t cast, int32_t resourceKind, int32_t treeCast,
                            int32_t decorationKind) const override
    {
        (void)player;
        (void)resourceKind;
        (void)treeCast;
        (void)decorationKind;
        if (cast < 0 || cast > 18)
            return nullptr;
        buildings.push_back(std::make_unique<CFuzzBuilding>(cast));
        return buildings.back().get();
    }
    void DiscardUnit(CUnit* unit) const override
    {
        std::erase_if(units, [unit](const auto& held) { return held.get() == unit; });
    }
    void DiscardBuilding(CBuilding* building) const override
    {
        std::erase_if(buildings, [building](const auto& held) { return held.get() == building; });
    }
    void SaveUnit(CUnit& unit, CSaveStream& stream) const override
    {
        (void)unit;
        (void)stream;
    }
    void LoadUnit(CUnit& unit, CSaveStream& stream) const override
    {
        (void)unit;
        ReadLink(stream);
    }
    void SaveBuilding(CBuilding& building, CSaveStream& stream) const override
    {
        (void)building;
        (void)stream;
    }
    void LoadBuilding(CBuilding& building, CSaveStream& stream) const override
    {
        (void)building;
        ReadLink(stream);
    }

    mutable std::vector<std::unique_ptr<CFuzzUnit>> units;
    mutable std::vector<std::unique_ptr<CFuzzBuilding>> buildings;

private:
    void ReadLink(CSaveStream& stream) const
    {
        uint8_t b[4] = {};
        stream.Read(b, 4);
        const int32_t id = int32_t(uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24);
        if (id != CReferenceBase::NoObject && !m_Table.GetUnit(id) && !m_Table.GetBuilding(id))
            stream.SetError();
    }

    const CReferenceBase& m_Table;
};

void ReadTypedFields(const uint8_t* data, size_t size)
{
    CSaveGame load;
    load.BeginLoadFromMemory(data, int(size));
    CString text;
    uint32_t total = 0;
    while (!load.HasError() && load.GetPosition() < load.GetPayloadSize())
    {
        switch (load.ReadU8() % kFieldKinds)
        {
        case 0: total += load.ReadU8(); break;
        case 1: total += load.ReadU16(); break;
        case 2: total += uint32_t(load.ReadI16()); break;
        case 3: total += load.ReadU32(); break;
        case 4: total += uint32_t(load.ReadI32()); break;
        case 5: total += load.ReadF32() > 0.0f ? 1u : 0u; break;
        default: total += load.ReadShortString(text) ? uint32_t(text.GetLength()) : 0u; break;
        }
    }
    load.Close();
    volatile uint32_t sink = total;
    (void)sink;
}

void ReadReferenceTable(const uint8_t* data, size_t size)
{
    static CReferenceBase table;
    CFuzzObjects objects(table);
    table.SetObjects(&objects);
    CSaveGame load;
    load.BeginLoadFromMemory(data, int(size));
    if (!load.HasError())
        table.LoadGame(load);
    load.Close();
    table.Reset();
    table.SetObjects(nullptr);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > kLargestInput)
        return 0;
    g_Config.languageFolder = "English\\";
    ReadTypedFields(data, size);
    const std::vector<uint8_t> fixed = WithMatchingCrc(data, size);
    if (fixed.empty())
        return 0;
    ReadTypedFields(fixed.data(), fixed.size());
    ReadReferenceTable(fixed.data(), fixed.size());
    return 0;
}
