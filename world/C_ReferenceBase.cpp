#include "world/C_ReferenceBase.h"

#include "buildings/C_Building.h"
#include "core/C_LogFile.h"
#include "units/C_Unit.h"
#include "world/C_Player.h"
#include "world/C_ReferencedObjects.h"
#include "world/C_SaveGame.h"

namespace
{
// TENUMBUILDCAST of a decoration, the one cast that stores its kind.
constexpr int32_t DecorationCast = 18;
constexpr int32_t NeutralOwner = -1;

// The game's objects: made by their players' factories, saved through
// their own records.
class CGameReferencedObjects : public CReferencedObjects
{
public:
    CUnit* MakeUnit(int32_t player, int32_t unitType) const override
    {
        return g_Players ? g_Players[player].UnitFactory(unitType) : nullptr;
    }
    CBuilding* MakeBuilding(int32_t player, int32_t cast, int32_t resourceKind, int32_t treeCast,
                            int32_t decorationKind) const override
    {
        return g_Players ? g_Players[player].BuildingFactory(cast, resourceKind, treeCast, decorationKind) : nullptr;
    }
    void DiscardUnit(CUnit* unit) const override { delete unit; }
    void DiscardBuilding(CBuilding* building) const override { delete building; }
    // Links are numbered by the game's one table.
    void SaveUnit(CUnit& unit, CSaveStream& stream) const override { unit.SaveGame(stream, g_ReferenceBase); }
    void LoadUnit(CUnit& unit, CSaveStream& stream) const override { unit.LoadGame(stream, g_ReferenceBase); }
    void SaveBuilding(CBuilding& building, CSaveStream& stream) const override
    {
        building.SaveGame(stream, g_ReferenceBase);
    }
    void LoadBuilding(CBuilding& building, CSaveStream& stream) const override
    {
        building.LoadGame(stream, g_ReferenceBase);
    }
};

const CGameReferencedObjects g_GameReferencedObjects;

bool IsPlayerIndex(int32_t player)
{
    return player >= 0 && player < MaxPlayers;
}

// Neutral objects are made by the local player's factory; the index read
// later in the save may not be set yet, so anything but a player means 0.
int32_t NeutralMaker()
{
    return IsPlayerIndex(g_LocalPlayer) ? g_LocalPlayer : 0;
}
}  // namespace

CReferenceBase::CReferenceBase() : m_Entries(Capacity), m_Objects(&g_GameReferencedObjects), m_Overflowed(false) {}

void CReferenceBase::SetObjects(const CReferencedObjects* objects)
{
    m_Objects = objects ? objects : &g_GameReferencedObjects;
}

void CReferenceBase::Reset()
{
    m_Entries.Clear();
    m_Overflowed = false;
}

// ---- Registering and looking up ---------------------------------------------

int32_t CReferenceBase::Add(int32_t kind, CUnit* unit, CBuilding* building, const char* nullMessage,
                            const char* twiceMessage)
{
    const uintptr_t key = kind == KindUnit ? reinterpret_cast<uintptr_t>(unit) : reinterpret_cast<uintptr_t>(building);
    if (key == 0)
    {
        DEBUG_REPORT(nullMessage);
        return NoObject;
    }
    const int32_t held = m_Entries.FindIndex(key);
    if (held >= 0)
    {
        DEBUG_REPORT(twiceMessage);
        return held;
    }
    SEntry entry;
    entry.kind = kind;
    entry.unit = unit;
    entry.building = building;
    // A full table is reported by the array and refused there; a game saved
    // without that object would lose every link to it.
    const int32_t id = m_Entries.Insert(key, entry);
    if (id < 0)
        m_Overflowed = true;
    return id >= 0 ? id : NoObject;
}

int32_t CReferenceBase::AddUnit(CUnit* unit)
{
    return Add(KindUnit, unit, nullptr, "#DEBUG: Add NULL unit reference", "#DEBUG: Add unit reference twice");
}

int32_t CReferenceBase::AddBuilding(CBuilding* building)
{
    return Add(KindBuilding, nullptr, building, "#DEBUG: Add NULL building reference",
               "#DEBUG: Add building reference twice");
}

CUnit* CReferenceBase::GetUnit(int32_t id) const
{
    if (id == NoObject)
        return nullptr;
    if (IsHeld(id) && m_Entries[id].kind == KindUnit)
        return m_Entries[id].unit;
    DEBUG_REPORT("#DEBUG: Invalid unit reference index");
    return nullptr;
}

CBuilding* CReferenceBase::GetBuilding(int32_t id) const
{
    if (id == NoObject)
        return nullptr;
    if (IsHeld(id) && m_Entries[id].kind == KindBuilding)
        return m_Entries[id].building;
    DEBUG_REPORT("#DEBUG: Invalid building reference index");
    return nullptr;
}

int32_t CReferenceBase::FindRef(uintptr_t key, int32_t kind, const char* unreferencedMessage,
                                const char* mismatchMessage, const char* wrongKindMessage) const
{
    if (key == 0)
        return NoObject;
    const int32_t id = m_Entries.FindIndex(key);
    if (id < 0)
    {
        DEBUG_REPORT(unreferencedMessage);
        return NoObject;
    }
    const SEntry& entry = m_Entries[id];
    const uintptr_t held = entry.kind == KindUnit ? reinterpret_cast<uintptr_t>(entry.unit)
                                                  : reinterpret_cast<uintptr_t>(entry.building);
    if (held != key)
    {
        DEBUG_REPORT(mismatchMessage);
        return NoObject;
    }
    if (entry.kind != kind)
        DEBUG_REPORT(wrongKindMessage);
    return id;
}

int32_t CReferenceBase::GetUnitRef(const CUnit* unit) const
{
    return FindRef(reinterpret_cast<uintptr_t>(unit), KindUnit, "#DEBUG: Unreferenced unit pointer request",
                   "#DEBUG: Reference and unit pointer don't match", "#DEBUG: Invalid unit reference");
}

int32_t CReferenceBase::GetBuildingRef(const CBuilding* building) const
{
    return FindRef(reinterpret_cast<uintptr_t>(building), KindBuilding,
                   "#DEBUG: Unreferenced building pointer request",
                   "#DEBUG: Reference and building pointer don't match", "#DEBUG: Invalid building reference");
}

// ---- Saving ------------------------------------------------------------------

void CReferenceBase::SaveCreationData(CSaveGame& stream, const SEntry& entry) const
{
    stream.WriteI32(entry.kind);
    if (entry.kind == KindUnit)
    {
        stream.WriteI32(entry.unit->player);
        stream.WriteI32(entry.unit->GetCastID());
        return;
    }
    const CBuilding& building = *entry.building;
    const int32_t cast = building.GetBuildCast();
    stream.WriteI32(building.owner);
    stream.WriteI32(cast);
    stream.WriteI32(building.GetResourceKind());
    stream.WriteI32(building.GetTreeCast());
    if (cast == DecorationCast)
        stream.WriteI32(building.GetDecorationKind());
}

void CReferenceBase::SaveGame(CSaveGame& stream) const
{
    if (m_Overflowed)
    {
        g_Log.Write("Save game failed: the game holds more objects than the reference table's 65536");
        stream.SetError();
        return;
    }
    const int32_t count = m_Entries.GetCount();
    stream.WriteI32(count);
    for (int32_t id = 0; id < count; ++id)
        SaveCreationData(stream, m_Entries[id]);
    for (int32_t id = 0; id < count; ++id)
    {
        const SEntry& entry = m_Entries[id];
        if (entry.kind == KindUnit)
            m_Objects->SaveUnit(*entry.unit, stream);
        else
            m_Objects->SaveBuilding(*entry.building, stream);
    }
}

// ---- Loading -----------------------------------------------------------------

bool CReferenceBase::RefuseLoad(CSaveGame& stream, const char* logLine)
{
    if (logLine)
        g_Log.Write(logLine);
    stream.SetError();
    return false;
}

bool CReferenceBase::MakeUnitEntry(CSaveGame& stream)
{
    const int32_t player = stream.ReadI32();
    const int32_t unitType = stream.ReadI32();
    if (stream.HasError())
        return false;
    if (!IsPlayerIndex(player))
        return RefuseLoad(stream, "Save game refused: a unit's player index is out of range");
    CUnit* unit = m_Objects->MakeUnit(player, unitType);
    if (!unit)
        return RefuseLoad(stream, "Save game refused: a unit of an unknown type");
    SEntry entry;
    entry.kind = KindUnit;
    entry.unit = unit;
    m_Entries.Insert(reinterpret_cast<uintptr_t>(unit), entry);
    return true;
}

bool CReferenceBase::MakeBuildingEntry(CSaveGame& stream)
{
    int32_t owner = stream.ReadI32();
    const int32_t cast = stream.ReadI32();
    const int32_t resourceKind = stream.ReadI32();
    const int32_t treeCast = stream.ReadI32();
    const int32_t decorationKind = cast == DecorationCast ? stream.ReadI32() : 0;
    if (stream.HasError())
        return false;
    if (owner == NeutralOwner)
        owner = NeutralMaker();
    if (!IsPlayerIndex(owner))
        return RefuseLoad(stream, "Save game refused: a building's owner is out of range");
    CBuilding* building = m_Objects->MakeBuilding(owner, cast, resourceKind, treeCast, decorationKind);
    if (!building)
        return RefuseLoad(stream, "Save game refused: a building of an unknown kind");
    SEntry entry;
    entry.kind = KindBuilding;
    entry.building = building;
    m_Entries.Insert(reinterpret_cast<uintptr_t>(building), entry);
    return true;
}

// Every entry must make its object: a skipped one would shift the ids of
// all later ones and every link would point at the wrong object.
bool CReferenceBase::MakeEntry(CSaveGame& stream)
{
    const int32_t kind = stream.ReadI32();
    if (stream.HasError())
        return false;
    if (kind == KindUnit)
        return MakeUnitEntry(stream);
    if (kind == KindBuilding)
        return MakeBuildingEntry(stream);
    DEBUG_REPORT("#DEBUG: CReferenceBase::LoadGame() invalid reference cast - 1");
    return RefuseLoad(stream, nullptr);
}

bool CReferenceBase::LoadStates(CSaveGame& stream)
{
    for (int32_t id = 0; id < m_Entries.GetCount() && !stream.HasError(); ++id)
    {
        SEntry& entry = m_Entries[id];
        if (entry.kind == KindUnit)
            m_Objects->LoadUnit(*entry.unit, stream);
        else
            m_Objects->LoadBuilding(*entry.building, stream);
    }
    return !stream.HasError();
}

void CReferenceBase::DiscardAll()
{
    for (int32_t id = 0; id < m_Entries.GetCount(); ++id)
    {
        SEntry& entry = m_Entries[id];
        if (entry.kind == KindUnit)
            m_Objects->DiscardUnit(entry.unit);
        else
            m_Objects->DiscardBuilding(entry.building);
    }
    Reset();
}

bool CReferenceBase::LoadGame(CSaveGame& stream)
{
    Reset();
    const int32_t count = stream.ReadI32();
    if (stream.HasError())
        return false;
    if (count < 0 || count > Capacity)
        return RefuseLoad(stream, "Save game refused: the reference count is out of range");
    for (int32_t i = 0; i < count; ++i)
    {
        if (!MakeEntry(stream))
        {
            DiscardAll();
            return false;
        }
    }
    return LoadStates(stream);
}
