// The demon's fighting: its animations, the fireball, its burst and its
// orders.  The spell, the aura and the saved part are in C_Unit_Demon_Spell.cpp.

#include "units/C_Unit_Demon.h"

#include <cmath>

#include "buildings/C_Building.h"
#include "core/GlobalFunc.h"
#include "effects/C_Particles.h"
#include "net/C_MultiplayerGame.h"
#include "units/C_UnitActionBuffer.h"
#include "units/C_UnitAnimationTable.h"
#include "world/C_GameMap.h"
#include "world/C_Player.h"

namespace
{
const SRangedShot FireBallShot = {24.0f, false, "#DEBUG: Demon unit/building target at once"};

constexpr SSoundPair FireBallSound = {57, 1};
// The hand the fireball leaves from: ahead of the centre, at this height.
constexpr float LaunchAhead = 0.87f;
constexpr float LaunchHeight = 45.8f;
constexpr float FireBallFlight = 2.0f;
constexpr float FireBallArc = 0.1f;
constexpr float DegreesToRadians = 3.14159265f / 180.0f;

constexpr int32_t FullCircle = 360;
constexpr int32_t NonLocalCheckLine = 303;

// The burst: nine parts, slower than a torn soldier's.
constexpr SBodyPart BurstParts[] = {{0, 50},   {50, 51},  {100, 54}, {150, 51}, {200, 54},
                                    {220, 54}, {250, 54}, {300, 54}, {350, 53}};
constexpr float BurstLift = 40.0f;
constexpr int32_t BurstSpeedSpread = 3;
constexpr int32_t BurstSpeedBase = 1;
}  // namespace

CUnitDemon::CUnitDemon() : CUnitRangedType(UNIT_DEMON, FireBallShot) {}

CUnitDemon::~CUnitDemon()
{
    PutOutAura();
}

// ---- Animation -------------------------------------------------------------------

bool CUnitDemon::Animate(int32_t ticks)
{
    for (int32_t tick = 0; tick < ticks; ++tick)
    {
        if (HasAura())
        {
            float position[3];
            GetAuraPosition(position);
            g_Particles.MoveEmitter(aura, position[0], position[1], position[2]);
        }
        if (StepStandOrWalk())
            continue;
        switch (animType)
        {
        case ANIM_ATTACK:
            if (!StepAttack())
                return true;
            break;
        case ANIM_WIND_DOWN:
            if (StepWindDown())
            {
                shotReleased = 0;
                return true;
            }
            break;
        case ANIM_SPELL:
            if (!StepSpell())
                return true;
            break;
        default:
            break;
        }
    }
    return true;
}

bool CUnitDemon::StepAttack()
{
    // The throw starts only once the demon faces its target.
    if (shownFacing != facing)
        return true;
    animFrame += GetAttackAnimSpeed();
    if (animFrame >= FireBallShot.releaseFrame && !shotReleased)
    {
        if (ResumeIfTargetLost())
            return false;
        PlaySoundAt(FireBallSound.sample, FireBallSound.variants, 0);
        shotReleased = 1;
        LaunchFireBall();
    }
    if (animFrame >= static_cast<float>(CUnitAnimationTable::FrameCount(model)))
    {
        animFrame = 0.0f;
        shotReleased = 0;
        ResumeAction();
        return false;
    }
    return true;
}

void CUnitDemon::LaunchFireBall()
{
    // Unlike an arrow, the fireball leaves even when a remote copy's target
    // has gone.
    float aim[3];
    AimAtTarget(aim);
    const float angle = static_cast<float>(shownFacing) * DegreesToRadians;
    const float launchX = centreX + LaunchAhead * std::sin(angle);
    const float launchY = centreY + LaunchAhead * std::cos(angle);
    StrayAim(aim);
    g_Particles.AddFireBall(!IsVisibleToLocalPlayer(), this, actionTargetUnit, launchX, LaunchHeight, launchY, aim[0],
                            aim[1], aim[2], FireBallFlight, FireBallArc);
    if (CPlayer* owner = PlayerAt(player))
        ++owner->statistics[STAT_ARROWS_SHOT];
}



void CUnitDemon::SetModelByAnimation()
{
    // Attacking and casting put the aura out; it comes back once the demon
    // stands or walks again.
    if (animType == ANIM_ATTACK || animType == ANIM_SPELL)
        PutOutAura();
    if (ChooseShooterModel())
    {
        if (animType != ANIM_ATTACK && onMap)
            onShown();
    }
    else if (animType == ANIM_SPELL)
    {
        castBlockX = approachX;
        castBlockY = approachY;
        animFrame = 0.0f;
        ready = 0;
        model = SpellModel;
    }
    else if (animType == ANIM_DIE)
        Burst();
    SendAnimationChange();
}

// The demon has no fall: the corpse starts and the parts fly at once.  Only
// the first death bursts, and only a demon its player still lists: a
// repeated Die animation finds the corpse, and a demon already taken out of
// the game is deleted by whoever took it out, not held by a corpse too.
void CUnitDemon::Burst()
{
    PutOutAura();
    const CPlayer* owner = PlayerAt(player);
    if (GetLife() != UnitLife::Dying || owner == nullptr || !owner->HasUnit(this))
        return;
    const bool hidden = !IsVisibleToLocalPlayer();
    const float x0 = centreX;
    const float y0 = centreY;
    FinishDeath();
    const float height = g_GameMap.GetHeight(x0, y0) + BurstLift;
    const int32_t base = GlobalFunc::Random(FullCircle);
    for (const SBodyPart& part : BurstParts)
    {
        const auto speed = static_cast<float>(GlobalFunc::Random(BurstSpeedSpread) + BurstSpeedBase);
        g_Particles.AddProjectile(hidden, x0, height, y0, base + part.offset, speed, part.kind);
    }
}

void CUnitDemon::RenderAt(float dieWeight, float corpseWeight, int32_t level)
{
    (void)dieWeight;
    (void)corpseWeight;
    (void)level;
}

// ---- Orders ----------------------------------------------------------------------

void CUnitDemon::onPerformAction()
{
    if (currentCommand != CMD_CAST_MAGIC)
    {
        MeleeOnPerformAction(0.0f, NonLocalCheckLine, __FILE__);
        return;
    }
    if (!MayPerformAction(NonLocalCheckLine, __FILE__))
        return;
    if (!IsTargetReached())
    {
        StartPath();
        return;
    }
    pathFlag = 0;
    actionTargetUnit = nullptr;
    actionTargetBuilding = nullptr;
    animType = ANIM_SPELL;
    SetModelByAnimation();
}
