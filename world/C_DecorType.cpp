#include "world/C_DecorType.h"

#include <cstdio>

#include "core/C_Localizer.h"
#include "core/GlobalFunc.h"

namespace
{
constexpr int32_t FullCircleDegrees = 360;

CDecorType s_DecorTypes[DecorTypeCount] = {
    {"ED_DECOR_CHOP_TREE", 254, 1, 0},
    {"ED_DECOR_MUSHROOM", 236, 3, 0},
    {"ED_DECOR_GRASS", 239, 2, 0},
    {"ED_DECOR_WATERLILLY", 241, 2, 0},
    {"ED_DECOR_MACE", 243, 3, 0},
    {"ED_DECOR_WHEET", 246, 3, 0},
    {"ED_DECOR_FLOWER", 249, 3, 0},
    {"ED_DECOR_WEED_1", 252, 2, 0},
    {"ED_DECOR_WEED_2", 255, 4, 0},
    {"ED_DECOR_BD_RUINS", 259, 7, 0},
    {"ED_DECOR_MULTIPLAYER_START", 266, 1, 1},
};
}  // namespace

CDecorType::CDecorType(const char* nameKey, int32_t firstKind, int32_t kindCount, uint8_t unrotated)
    : name{}, base(firstKind), count(kindCount), fixedRotation(unrotated), m_Key(nameKey)
{}

void CDecorType::PickVariant(int32_t* kind, int32_t* rotation) const
{
    *kind = base + GlobalFunc::Random(count);
    *rotation = fixedRotation ? 0 : GlobalFunc::Random(FullCircleDegrees);
}

const CDecorType& GetDecorType(int32_t row)
{
    if (row < 0 || row >= DecorTypeCount)
        row = 0;
    return s_DecorTypes[row];
}

void LoadDecorTypes()
{
    for (CDecorType& type : s_DecorTypes)
    {
        const char* text = g_Localizer.GetString(type.GetKey(), true);
        std::snprintf(type.name, sizeof(type.name), "%s", text != nullptr ? text : "");
    }
}

void FreeDecorTypes()
{
    for (CDecorType& type : s_DecorTypes)
        type.name[0] = 0;
}
