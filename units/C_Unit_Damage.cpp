// Hits, damage and death of a unit.  A hit changes health only on the
// machine that owns the victim; the others restore it until the owner's
// health command arrives.

#include <algorithm>

#include "ai/C_UnitList.h"
#include "buildings/C_Building.h"
#include "core/C_PtrGarbage.h"
#include "core/GlobalFunc.h"
#include "effects/C_Particles.h"
#include "game/C_Selection.h"
#include "net/C_MultiplayerGame.h"
#include "platform/SysClock.h"
#include "units/C_Unit.h"
#include "world/C_GameMap.h"
#include "world/C_Player.h"
#include "world/RangeTables.h"

namespace
{
constexpr int32_t BuildCastTower = 6;
constexpr uint32_t FollowerAlertPause = 10000;   // ms between two alerts of the followers
constexpr float BloodDropSize = 8.0f;
constexpr int32_t BloodStainEvery = 10;
constexpr float DebrisPerPercent = 0.3f;
constexpr int32_t DebrisKindStone = 24;
constexpr int32_t DebrisKindWood = 25;
constexpr float SpreadStep = 0.04f;
constexpr float AttackerRevealTime = 2.0f;
constexpr float TearingShare = 1.0f / 3.0f;

enum HitEffect : int32_t
{
    HitEffectBlood = 1,
    HitEffectWoodDebris = 2,
    HitEffectStoneDebris = 3,
};

// The factor of the victim that the damage type selects; false for the
// types that change no health.
bool SelectDamageFactor(const CUnit& victim, TENUMDAMAGETYPE damageType, float* factor)
{
    const EDamageFactor selected = CDamageTypeTable::ForUnit(damageType, victim.IsHealable());
    if (selected == EDamageFactor::None)
        return false;
    const float factors[] = {victim.GetDamageFactorA(), victim.GetDamageFactorB(), victim.GetDamageFactorC()};
    *factor = factors[static_cast<int32_t>(selected)];
    return true;
}

// Garrisoned and tower units may stand nowhere on the grid.
bool StandsOnMap(const CUnit& unit)
{
    return g_GameMap.IsOnMap(unit.x, unit.y) && g_GameMap.IsOnMap(unit.GetCentreCellX(), unit.GetCentreCellY());
}

float Spread(int32_t range)
{
    return static_cast<float>(GlobalFunc::Random(range) - range / 2) * SpreadStep;
}
}  // namespace

void CUnit::TakeHit(CUnit* attackerUnit, int32_t amount, TENUMDAMAGETYPE damageType, bool retaliate)
{
    TakeHitFrom(attackerUnit, attackerUnit != nullptr ? attackerUnit->player : NoAttackerPlayer, amount, damageType,
                retaliate);
}

void CUnit::TakeHitFrom(CUnit* attackerUnit, int32_t attackerPlayer, int32_t amount, TENUMDAMAGETYPE damageType,
                        bool retaliate)
{
    if (IsNetworkGame())
    {
        // The attacker's machine reports the hit itself.
        if (attackerPlayer != NoAttackerPlayer && !IsOwnedHere(attackerPlayer))
            return;
        g_MultiplayerGame.SendUnitAttacked(this, attackerUnit, amount, damageType);
    }
    ApplyHitFrom(attackerUnit, attackerPlayer, amount, damageType, retaliate);
}

void CUnit::ApplyHit(CUnit* attackerUnit, int32_t amount, TENUMDAMAGETYPE damageType, bool retaliate)
{
    ApplyHitFrom(attackerUnit, attackerUnit != nullptr ? attackerUnit->player : NoAttackerPlayer, amount, damageType,
                 retaliate);
}

void CUnit::ApplyHitFrom(CUnit* attackerUnit, int32_t attackerPlayer, int32_t amount, TENUMDAMAGETYPE damageType,
                         bool retaliate)
{
    if (!onMap)
        return;
    if (!IsAlive() || IsDying())
    {
        if (attackerUnit != nullptr && IsOwnedHere(attackerUnit->player))
            attackerUnit->onTargetLost(this, nullptr);
        return;
    }
    const float oldHealth = health;
    float factor = 0.0f;
    const float maxHitPoints = GetMaxHitPoints();
    if (SelectDamageFactor(*this, damageType, &factor) && maxHitPoints > 0.0f)
    {
        // Starvation is taken off when aliveness is tested, so a hit takes
        // only its own damage; a negative amount from a peer heals nothing.
        const float loss = factor * static_cast<float>(std::max(amount, 0)) / maxHitPoints * 100.0f;
        health = std::clamp(health - loss, 0.0f, FullHealth);
    }
    const uint32_t previousHitTime = lastHitTime;
    const uint32_t now = SysClock::TickCount();
    lastHitTime = now;
    PlayHitSound(damageType);

    // An attacker that died while its shot flew still made the hit: it is
    // reported and looked at like any other, and every type's onAttacked
    // leaves an attacker that no longer lives alone.
    if (retaliate && IsAlive() && attackerUnit != nullptr)
    {
        CBuilding* tower = nullptr;
        if (StandsOnMap(*attackerUnit))
        {
            CBuilding* under = std::as_const(g_GameMap).Block(attackerUnit->x, attackerUnit->y).building;
            if (under != nullptr && under->owner >= 0 && under->GetBuildCast() == BuildCastTower)
                tower = under;
        }
        if (tower != nullptr)
            onAttacked(nullptr, tower);
        else
            onAttacked(attackerUnit, nullptr);
    }
    CPlayer* owner = PlayerAt(player);
    if (attackerUnit != nullptr && owner != nullptr)
    {
        owner->AlertUnitAttacked(this, attackerUnit, retaliate ? 1 : 0);
        if (attackEventArmed && specialId != 0 && IsAlive())
        {
            attackEventArmed = 0;
            owner->script.OnUnitAttacked(specialId);
        }
    }
    if (IsOwnedHere(player) && attackerUnit != nullptr &&
        (previousHitTime == 0 || SysClock::TicksBetween(previousHitTime, now) >= FollowerAlertPause))
    {
        CUnitList followers;
        CollectFollowers(followers);
        for (int32_t i = 0; i < followers.GetCount(); ++i)
            followers.GetAt(i)->AlertToAttacker(attackerUnit);
    }
    SpawnHitEffect(oldHealth - health);
    if (attackerUnit != nullptr && owner != nullptr && StandsOnMap(*attackerUnit))
    {
        // The sight discs are taken by radius: here the attacker's size.
        const CRangeTable* disc =
            g_SightDiscs != nullptr ? &g_SightDiscs[std::clamp(attackerUnit->GetSize(), 0, RangeRingCount - 1)]
                                    : nullptr;
        if (disc != nullptr)
            owner->ScanSightPattern(attackerUnit->GetCentreCellX(), attackerUnit->GetCentreCellY(), *disc);
        if (player == g_LocalPlayer && attackerUnit->player != g_LocalPlayer)
            g_Particles.AddRevealArea(attackerUnit, attackerUnit->GetSize(), AttackerRevealTime);
    }
    if (IsNetworkGame())
    {
        if (!IsOwnedHere(player))
            health = oldHealth;
        else if (IsAlive())
            g_MultiplayerGame.SendUnitHealth(this, health);
    }
    if (IsAlive())
        return;
    if (attackerPlayer != NoAttackerPlayer)
        if (CPlayer* killer = PlayerAt(attackerPlayer))
        {
            ++killer->statistics[STAT_UNITS_KILLED];
            killer->score += GetPointValue();
        }
    if (damageType == DAMAGE_BLAST && oldHealth - health > maxHitPoints * TearingShare)
        tornApart = 1;
    health = 0.0f;
    if (IsOwnedHere(player))
        RemoveFromWorld(true);
}

void CUnit::SpawnHitEffect(float percentLost)
{
    const bool hidden = !IsVisibleToLocalPlayer();
    const float ground = g_GameMap.GetHeight(centreX, centreY);
    switch (GetHitEffectKind())
    {
    case HitEffectBlood:
    {
        const int32_t drops = static_cast<int32_t>(percentLost);
        for (int32_t i = 0; i < drops; ++i)
        {
            const float dropX = centreX + Spread(20);
            const float dropY = centreY + Spread(20);
            const float height = ground + static_cast<float>(GlobalFunc::Random(20) + 40);
            g_Particles.AddBlood(hidden, dropX, dropY, height, BloodDropSize, i % BloodStainEvery == 0);
        }
        break;
    }
    case HitEffectWoodDebris:
    case HitEffectStoneDebris:
    {
        const int32_t kind = GetHitEffectKind() == HitEffectWoodDebris ? DebrisKindWood : DebrisKindStone;
        const int32_t pieces = static_cast<int32_t>(percentLost * DebrisPerPercent);
        for (int32_t i = 0; i < pieces; ++i)
        {
            const float pieceX = centreX + Spread(40);
            const float pieceY = centreY + Spread(40);
            const float height = ground + static_cast<float>(GlobalFunc::Random(20) + 20);
            g_Particles.AddSmash(hidden, pieceX, pieceY, height, kind);
        }
        break;
    }
    default:
        break;
    }
}

void CUnit::CollectFollowers(CUnitList& followers) const
{
    followers.Clear();
    const CPlayer* owner = PlayerAt(player);
    if (owner == nullptr)
        return;
    for (int32_t i = 0; i < owner->unitCount; ++i)
        if (owner->units[i] != nullptr && owner->units[i]->followedUnit == this)
            followers.Add(owner->units[i]);
}

void CUnit::AlertToAttacker(CUnit* attackerUnit)
{
    onAttacked(attackerUnit, nullptr);
}

bool CUnit::AnimateDeath(float frames, float frameCount)
{
    if (animType != ANIM_DIE || m_Life != UnitLife::Dying)
        return true;
    animFrame += frames;
    if (animFrame < frameCount)
        return true;
    animFrame = frameCount - 1.0f;
    FinishDeath();
    return false;
}

void CUnit::FinishDeath()
{
    if (m_Life != UnitLife::Dying)
        return;
    g_Particles.AddCorpse(!IsVisibleToLocalPlayer(), this);
    if (player == g_LocalPlayer)
        g_Particles.AddRevealArea(this, -1, 1.0f);
    if (CPlayer* owner = PlayerAt(player))
        if (owner->HasUnit(this))
            owner->RemoveUnit(this, 1);
    RefreshVisibility();
    // Nothing sweeps a corpse's own pointers any more: drop them now, so
    // that it never holds an object deleted before it.
    actionTargetUnit = nullptr;
    actionTargetBuilding = nullptr;
    targetUnit = nullptr;
    targetBuilding = nullptr;
    targetObject = nullptr;
    attacker = nullptr;
    followedUnit = nullptr;
    animType = ANIM_CORPSE;
    m_Life = UnitLife::Corpse;
}
