#include "units/C_UnitSoundTable.h"

namespace
{
constexpr SSoundPair Silent = {0, 0};
constexpr SSoundPair HorseDeath = {159, 3};
constexpr SSoundPair CartBreaking = {130, 3};
constexpr SSoundPair HullSinking = {18, 3};

// Damage types 1 to 9, in order: {death, hurt}.
const SHitSoundRow HumanSounds[CUnitSoundTable::DamageTypeCount] = {
    {{74, 12}, {64, 2}}, {{86, 12}, {66, 3}}, {{86, 12}, {66, 3}}, {{98, 2}, {69, 2}},  {{112, 6}, Silent},
    {{100, 8}, {71, 2}}, {{108, 4}, {73, 1}}, {{108, 4}, {73, 1}}, {{98, 2}, {69, 2}},
};
const SHitSoundRow KnightSounds[CUnitSoundTable::DamageTypeCount] = {
    {{43, 4}, {32, 4}},  {{86, 12}, {36, 4}}, {{86, 12}, {36, 4}}, {{98, 2}, {69, 2}},  {{112, 6}, Silent},
    {{100, 8}, {40, 3}}, {{108, 4}, {73, 1}}, {{108, 4}, {73, 1}}, {{98, 2}, {69, 2}},
};
const SHitSoundRow MachineSounds[CUnitSoundTable::DamageTypeCount] = {
    {Silent, {118, 3}}, {Silent, {121, 3}}, {Silent, {121, 3}}, {Silent, {124, 3}}, {Silent, Silent},
    {Silent, {127, 2}}, {Silent, {129, 1}}, {Silent, {129, 1}}, {Silent, {124, 3}},
};
const SHitSoundRow GiantSounds[CUnitSoundTable::DamageTypeCount] = {
    {{55, 2}, {64, 2}}, {{55, 2}, {53, 2}}, {{55, 2}, {53, 2}}, {{55, 2}, Silent}, {{112, 6}, Silent},
    {{55, 2}, Silent},  {{55, 2}, {73, 1}}, {{55, 2}, {73, 1}}, {{55, 2}, Silent},
};
const SHitSoundRow UndeadSounds[CUnitSoundTable::DamageTypeCount] = {
    {{62, 2}, {60, 2}}, {{62, 2}, {169, 4}}, {{62, 2}, {169, 4}}, {{69, 2}, {69, 2}}, {{62, 2}, Silent},
    {{71, 2}, {71, 2}}, {{62, 2}, {143, 1}}, {{62, 2}, {143, 1}}, {{69, 2}, {69, 2}},
};
const SHitSoundRow DemonSounds[CUnitSoundTable::DamageTypeCount] = {
    {{59, 1}, {60, 2}}, {{59, 1}, {58, 1}}, {{59, 1}, {58, 1}}, {{59, 1}, Silent}, {{59, 1}, Silent},
    {{59, 1}, Silent},  {{59, 1}, {73, 1}}, {{59, 1}, {73, 1}}, {{59, 1}, Silent},
};

const SHitSoundTable* TableOf(EHitSounds table)
{
    static const SHitSoundTable Human = {HumanSounds, false, Silent};
    static const SHitSoundTable Knight = {KnightSounds, false, Silent};
    static const SHitSoundTable KnightHorse = {KnightSounds, false, HorseDeath};
    static const SHitSoundTable Machine = {MachineSounds, true, CartBreaking};
    static const SHitSoundTable Ship = {MachineSounds, true, HullSinking};
    static const SHitSoundTable Giant = {GiantSounds, false, Silent};
    static const SHitSoundTable Undead = {UndeadSounds, false, Silent};
    static const SHitSoundTable Demon = {DemonSounds, false, Silent};
    switch (table)
    {
    case EHitSounds::Human:
        return &Human;
    case EHitSounds::Knight:
        return &Knight;
    case EHitSounds::KnightHorse:
        return &KnightHorse;
    case EHitSounds::Machine:
        return &Machine;
    case EHitSounds::Ship:
        return &Ship;
    case EHitSounds::Giant:
        return &Giant;
    case EHitSounds::Undead:
        return &Undead;
    case EHitSounds::Demon:
        return &Demon;
    default:
        return nullptr;
    }
}

void Play(const CUnit& unit, const SSoundPair& sound)
{
    if (sound.variants > 0)
        unit.PlaySoundAt(sound.sample, sound.variants, 0);
}
}  // namespace

const SHitSoundRow* CUnitSoundTable::Row(EHitSounds table, int32_t damageType)
{
    const SHitSoundTable* sounds = TableOf(table);
    if (sounds == nullptr || damageType < 1 || damageType > DamageTypeCount)
        return nullptr;
    return &sounds->rows[damageType - 1];
}

void CUnitSoundTable::PlayHitSound(const CUnit& unit, EHitSounds table, int32_t damageType)
{
    const SHitSoundRow* row = Row(table, damageType);
    if (row == nullptr)
        return;
    const SHitSoundTable& sounds = *TableOf(table);
    const bool alive = unit.IsAlive();
    Play(unit, alive || sounds.hurtAlways ? row->hurt : row->death);
    if (!alive)
        Play(unit, sounds.deathExtra);
}
