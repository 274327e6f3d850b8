#pragma once
// The decoration kinds (TENUMDECORBUILDCAST 1 .. 79), one row each: which
// class makes it, its model number, its footprint and the footprint mask.
// The decoration classes answer their size and mask from here, and the
// building factory picks the class and model from the same rows.

#include <cstdint>

enum class DecorationClass : int8_t
{
    Plain,
    Mill,
    Branch,
    Ruins,
    Statue,
    Grave,
    Torch,
    Gate,
    CaveEntrance,
    CaveWall,
    Fountain,
    Column,
    Ally,
};

struct SDecorationKindRow
{
    int32_t kind;
    DecorationClass decorationClass;
    int32_t model;
    int32_t width;
    int32_t depth;
    const char* mask;   // width characters per row, '1' = occupied
    // The key the kind goes by where it has one of its own (the gates, the
    // chest and the lever), else null.
    const char* key = nullptr;
};

class CBuildingDecorationKinds
{
public:
    static constexpr int32_t KindCount = 76;

    // The row of a kind, or null for 0, 24 .. 26 and numbers above 79.
    static const SDecorationKindRow* Find(int32_t kind);

private:
    static const SDecorationKindRow s_Rows[KindCount];
};
