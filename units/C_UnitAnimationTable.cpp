#include "units/C_UnitAnimationTable.h"

#include <bitset>
#include <cstdio>

#include "core/C_LogFile.h"
#include "media/C_ModelRecord.h"
#include "units/C_UnitTypeTable.h"

namespace
{
constexpr SSoundPair NoDeathSound = {0, 0};
// The king and the settler strike no one.
constexpr TENUMDAMAGETYPE NoBlows = static_cast<TENUMDAMAGETYPE>(0);

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
    {UNIT_WARRIOR, 13, 14, 15, 16, 17, 0.4f, 0.37f, 0.6f, 10.0f, 0, {0.0f, 0.0f}, DAMAGE_BLADE, 0.0f, {8, 4, 2}, 2,
     WarriorParts, CountOf(WarriorParts), EHitSounds::Human, EIdleHabit::Turn, NoDeathSound, 0.0f},
    // The knight shows no wounds, standing or fallen.
    {UNIT_KNIGHT, 51, 52, 53, 54, 55, 0.4f, 0.33f, 0.4f, 4.0f, 2, {8.0f, 17.0f}, DAMAGE_BLADE, 30.0f, {0, 0, 0}, 0,
     KnightParts, CountOf(KnightParts), EHitSounds::Knight, EIdleHabit::Turn, {47, 1}, 18.0f},
    {UNIT_LIGHTCAVALRY, 34, 35, 36, 37, 38, 0.4f, 0.5f, 0.8f, 17.0f, 0, {0.0f, 0.0f}, DAMAGE_CHARGE, 30.0f, {8, 4, 2},
     2, LightCavalryParts, CountOf(LightCavalryParts), EHitSounds::Human, EIdleHabit::Snort, {162, 1}, 27.0f},
    // The armoured and the hero rider throw the light rider's parts and show
    // deeper wounds; their two death sounds are their own
    // (C_Unit_HeavyCavalry.cpp).
    {UNIT_HEAVYCAVALRY, 39, 40, 41, 42, 43, 0.4f, 0.5f, 0.8f, 17.0f, 0, {0.0f, 0.0f}, DAMAGE_CHARGE, 30.0f,
     {16, 8, 4}, 4, LightCavalryParts, CountOf(LightCavalryParts), EHitSounds::KnightHorse, EIdleHabit::Snort,
     NoDeathSound, 0.0f},
    {UNIT_HEROCAVALRY, 82, 83, 84, 85, 86, 0.4f, 0.5f, 0.8f, 17.0f, 0, {0.0f, 0.0f}, DAMAGE_BLADE, 0.0f, {16, 8, 4},
     4, LightCavalryParts, CountOf(LightCavalryParts), EHitSounds::KnightHorse, EIdleHabit::Snort, NoDeathSound, 0.0f},
    {UNIT_ARCHER, 18, 19, 20, 21, 22, 0.4f, 0.5f, 0.6f, 0.0f, 0, {0.0f, 0.0f}, DAMAGE_ARROW, 0.0f, {8, 4, 2}, 2,
     nullptr, 0, EHitSounds::Human, EIdleHabit::Turn, NoDeathSound, 0.0f},
    {UNIT_CROSSBOWMAN, 46, 47, 48, 49, 50, 0.4f, 0.5f, 0.6f, 0.0f, 0, {0.0f, 0.0f}, DAMAGE_ARROW, 0.0f, {8, 4, 2}, 2,
     nullptr, 0, EHitSounds::Human, EIdleHabit::Turn, NoDeathSound, 0.0f},
    // The priest's spell model and its fireball are its own (C_Unit_Priest_Animate.cpp).
    {UNIT_PRIEST, 28, 29, 31, 32, 33, 0.4f, 0.4f, 0.9f, 0.0f, 0, {0.0f, 0.0f}, DAMAGE_FIRE_BALL, 0.0f, {8, 4, 2}, 2,
     nullptr, 0, EHitSounds::Human, EIdleHabit::Turn, NoDeathSound, 0.0f},
    // The demolition man falls on its stand model and leaves no corpse model:
    // its blast is the end (C_Unit_DemolishMan.cpp).
    {UNIT_DEMOLISHMAN, 58, 59, 60, 58, 0, 0.4f, 0.37f, 1.0f, 0.0f, 0, {0.0f, 0.0f}, DAMAGE_BLAST, 0.0f, {8, 4, 2}, 0,
     nullptr, 0, EHitSounds::Human, EIdleHabit::Turn, NoDeathSound, 0.0f},
    // The worker has no attack; its work models are its own (C_Unit_Worker.cpp).
    {UNIT_WORKER, 0, 1, 0, 11, 12, 0.4f, 0.37f, 0.3f, 0.0f, 0, {0.0f, 0.0f}, DAMAGE_BLADE, 0.0f, {8, 4, 2}, 2,
     nullptr, 0, EHitSounds::Human, EIdleHabit::Turn, NoDeathSound, 0.0f},
    // The king fights no one; the settler's cart draws and moves by its own
    // rules (C_Unit_King.cpp, C_Unit_Settler.cpp).
    {UNIT_KING, 61, 62, 0, 63, 64, 0.2f, 0.3f, 0.3f, 0.0f, 0, {0.0f, 0.0f}, NoBlows, 0.0f, {8, 4, 2}, 2, nullptr, 0,
     EHitSounds::Human, EIdleHabit::Turn, NoDeathSound, 0.0f},
    {UNIT_SETTLER, 69, 70, 0, 71, 71, 0.0f, 0.8f, 0.6f, 0.0f, 0, {0.0f, 0.0f}, NoBlows, 0.0f, {0, 0, 0}, 0, nullptr,
     0, EHitSounds::Machine, EIdleHabit::None, NoDeathSound, 0.0f},
    // The demon bursts instead of falling: no die or corpse model.
    {UNIT_DEMON, 101, 101, 102, 0, 0, 0.4f, 0.4f, 0.0f, 0.0f, 0, {0.0f, 0.0f}, DAMAGE_FIRE_BALL, 0.0f, {8, 4, 2}, 0,
     nullptr, 0, EHitSounds::Demon, EIdleHabit::Turn, NoDeathSound, 0.0f},
    // The giant swings its club twice and throws the knight's parts; the
    // undead strikes once at frame 8, shows no wounds and leaves only its
    // fallen body (C_Unit_Giant.cpp, C_Unit_Undead.cpp).
    {UNIT_GIANT, 96, 97, 98, 99, 100, 0.4f, 0.28f, 0.45f, 4.0f, 2, {8.0f, 15.0f}, DAMAGE_CHARGE, 0.0f, {8, 4, 2}, 2,
     KnightParts, CountOf(KnightParts), EHitSounds::Giant, EIdleHabit::Turn, {162, 1}, 16.0f},
    {UNIT_UNDEAD, 104, 105, 106, 107, 0, 0.4f, 0.42f, 0.6f, 4.0f, 0, {0.0f, 0.0f}, DAMAGE_BLADE, 0.0f, {0, 0, 0}, 0,
     nullptr, 0, EHitSounds::Undead, EIdleHabit::Turn, NoDeathSound, 0.0f},
    // The heroes fall at once and leave nothing to draw; their shots are
    // their own (C_UnitHeroType.cpp).
    {UNIT_QUIB, 87, 88, 89, 0, 0, 0.4f, 0.5f, 0.0f, 0.0f, 0, {0.0f, 0.0f}, DAMAGE_ARROW, 0.0f, {8, 4, 2}, 0, nullptr,
     0, EHitSounds::Human, EIdleHabit::Turn, NoDeathSound, 0.0f},
    {UNIT_WARHOUND, 90, 91, 92, 0, 0, 0.4f, 0.5f, 0.0f, 0.0f, 0, {0.0f, 0.0f}, DAMAGE_ARROW, 0.0f, {8, 4, 2}, 0,
     nullptr, 0, EHitSounds::Human, EIdleHabit::Turn, NoDeathSound, 0.0f},
    {UNIT_GUNSLINGER, 93, 94, 95, 0, 0, 0.4f, 0.37f, 0.0f, 0.0f, 0, {0.0f, 0.0f}, DAMAGE_ARROW, 0.0f, {8, 4, 2}, 0,
     nullptr, 0, EHitSounds::Human, EIdleHabit::Turn, NoDeathSound, 0.0f},
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
