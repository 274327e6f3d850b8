#pragma once
// What the self-healing fighters (the hero rider and the undead) do alike:
// the healing tick on the owning machine, the start of each swing tick
// (waiting to face the target, breaking off when it walks out of reach)
// and the single blow a swing deals.

class CUnit;
class CUnitMeleeType;

class CSelfHealingFighter
{
public:
    // How a swing tick has begun.
    enum class ESwing
    {
        Waiting,   // not yet facing the target: nothing else this call
        Broken,    // a later swing's target walked off: the action resumed
        Running,   // the frame has advanced: the swing goes on
    };

    // Heals `perTick` percent on the owning machine only; other machines
    // learn the health from the owner's messages.  A dying fighter does
    // not heal.
    static void HealOneTick(CUnit& fighter, float perTick);
    // The swing waits until the fighter faces its target, then advances a
    // frame; after the first blow a target walking out of reach ends it.
    static ESwing BeginSwingTick(CUnitMeleeType& fighter);
    // One blow at the target unit or building.
    static void Strike(CUnitMeleeType& fighter);
};
