#include "units/C_UnitAnimationTable.h"

#include <bitset>
#include <cstdio>

#include "core/C_LogFile.h"
#include "media/C_ModelRecord.h"
#include "units/C_UnitTypeTable.h"

namespace
{
constexpr SSoundPair NoDeathSound = {0, 0};

const SBodyPart WarriorParts[] = {{120, 58}};
const SBodyPart KnightParts[] = {{20, 60}, {280, 61}};
const SBodyPart LightCavalryParts[] = {{20, 59},  {120, 55}, {170, 56}, {270, 56}, {220, 56},
                                       {320, 56}, {160, 57}, {380, 54}, {40, 54}};

template <int N>
constexpr int32_t CountOf(const SBodyPart (&)[N])
{
    return N;
}

const SUnitAnimationRow Rows[] = {
    {UNIT_WARRIOR, 13, 14, 15, 16, 17, 0.4f, 0.37f, 0.6f, 10.0f, 0, {0.0f, 0.0f}, 1, 0.0f, {8, 4, 2}, false, WarriorParts,
     CountOf(WarriorParts), EHitSounds::Human, EIdleHabit::Turn, NoDeathSound, 0.0f},
    {UNIT_KNIGHT, 51, 52, 53, 54, 55, 0.4f, 0.33f, 0.4f, 4.0f, 2, {8.0f, 17.0f}, 1, 30.0f, {8, 4, 2}, true, KnightParts,
     CountOf(KnightParts), EHitSounds::Knight, EIdleHabit::Turn, {47, 1}, 18.0f},
    {UNIT_LIGHTCAVALRY, 34, 35, 36, 37, 38, 0.4f, 0.5f, 0.8f, 17.0f, 0, {0.0f, 0.0f}, 6, 30.0f, {8, 4, 2}, false,
     LightCavalryParts, CountOf(LightCavalryParts), EHitSounds::Human, EIdleHabit::Snort, {162, 1}, 27.0f},
    {UNIT_ARCHER, 18, 19, 20, 21, 22, 0.4f, 0.5f, 0.6f, 0.0f, 0, {0.0f, 0.0f}, 2, 0.0f, {8, 4, 2}, false, nullptr, 0,
     EHitSounds::Human, EIdleHabit::Turn, NoDeathSound, 0.0f},
    {UNIT_CROSSBOWMAN, 46, 47, 48, 49, 50, 0.4f, 0.5f, 0.6f, 0.0f, 0, {0.0f, 0.0f}, 2, 0.0f, {8, 4, 2}, false, nullptr,
     0, EHitSounds::Human, EIdleHabit::Turn, NoDeathSound, 0.0f},
};

std::bitset<GlobalModelCount> s_LoggedModels;
}  // namespace

const SBodyPart CUnitAnimationTable::CommonParts[CommonPartCount] = {
    {0, 50}, {50, 51}, {100, 54}, {150, 51}, {200, 52}, {220, 54}, {250, 52}, {300, 54}, {350, 53}};

const SUnitAnimationRow* CUnitAnimationTable::Find(int32_t cast)
{
    for (const SUnitAnimationRow& row : Rows)
        if (row.cast == cast)
            return &row;
    return nullptr;
}

int32_t CUnitAnimationTable::FrameCount(int32_t model)
{
    const CModelRecord* record = GetGlobalModel(model);
    if (record == nullptr)
        return UnloadedFrameCount;
    const int32_t count = record->GetFrameCount();
    if (count > 0)
        return count;
    if (!s_LoggedModels.test(static_cast<size_t>(model)))
    {
        s_LoggedModels.set(static_cast<size_t>(model));
        char line[96];
        std::snprintf(line, sizeof(line), "Model %d has no frames; it is drawn and animated as one frame", model);
        g_Log.Write(line);
    }
    return 1;
}

int32_t CUnitAnimationTable::FrameIndex(float frame, int32_t model)
{
    const int32_t count = FrameCount(model);
    const int32_t whole = frame > 0.0f ? static_cast<int32_t>(frame) : 0;
    return whole % count;
}

void CUnitAnimationTable::ResetLoggedModels()
{
    s_LoggedModels.reset();
}
