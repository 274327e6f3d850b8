#include "buildings/C_BuildingDecoration.h"

#include "buildings/C_BuildingCastTable.h"

namespace
{
struct SDecorationClassTraits
{
    const char* name;
    int32_t hitDebris[2];
    int32_t drawClass;
    int32_t castsShadow;
};

// In the order of DecorationClass.
const SDecorationClassTraits ClassTraits[] = {
    {"Decoration", {0, 0}, 2, 1},     {"Mill", {4, 1}, 2, 1},  {"Branch", {0, 2}, 2, 1},
    {"Ruins", {4, 0}, 2, 1},          {"Statue", {4, 0}, 2, 1}, {"Grave", {2, 0}, 2, 1},
    {"Torch", {0, 0}, 2, 1},          {"Gate", {4, 1}, 1, 1},   {"Cave entrance", {5, 0}, 2, 1},
    {"CaveWall", {5, 0}, 1, 0},       {"Fountain", {4, 0}, 2, 1}, {"Column", {4, 0}, 2, 1},
    {"Ally", {4, 0}, 2, 1},
};

const SDecorationClassTraits& TraitsOf(DecorationClass decorationClass)
{
    return ClassTraits[static_cast<int32_t>(decorationClass)];
}
}  // namespace

CDecoration::CDecoration(int32_t kind) : CDecoration(kind, DecorationClass::Plain) {}

CDecoration::CDecoration(int32_t kind, DecorationClass decorationClass)
    : CBuilding(-1, -1, -1), decorationKind(kind), stateWord(0), flag(0), m_Class(decorationClass)
{
    const SDecorationKindRow* row = CBuildingDecorationKinds::Find(kind);
    if (row != nullptr)
        model = row->model;
}

const SDecorationKindRow* CDecoration::OwnRow() const
{
    const SDecorationKindRow* row = CBuildingDecorationKinds::Find(GetDecorationKind());
    return row != nullptr && row->decorationClass == m_Class ? row : nullptr;
}

const char* CDecoration::GetName() const
{
    return TraitsOf(m_Class).name;
}

int32_t CDecoration::GetWidth() const
{
    const SDecorationKindRow* row = OwnRow();
    return row != nullptr ? row->width : 0;
}

int32_t CDecoration::GetDepth() const
{
    const SDecorationKindRow* row = OwnRow();
    return row != nullptr ? row->depth : 0;
}

int32_t CDecoration::GetBuildCast() const
{
    return CastDecoration;
}

int32_t CDecoration::GetDrawClass() const
{
    return TraitsOf(m_Class).drawClass;
}

void CDecoration::GetHitDebris(int32_t* first, int32_t* second) const
{
    *first = TraitsOf(m_Class).hitDebris[0];
    *second = TraitsOf(m_Class).hitDebris[1];
}

const char* CDecoration::GetFootprintMask() const
{
    const SDecorationKindRow* row = OwnRow();
    return row != nullptr ? row->mask : "";
}

int32_t CDecoration::CastsShadow() const
{
    return TraitsOf(m_Class).castsShadow;
}
