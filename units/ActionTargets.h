#pragma once
// What a unit that has reached the place of its order does with the order's
// target: the attack it starts on it, the transport it boards, and the way
// it turns to what it acts on.  The fighting bodies and the types with
// orders of their own share these steps.

class CUnit;

// The order's unit, else its building, becomes what the attack strikes,
// and the attack animation starts.
void AttackOrderTarget(CUnit& unit);
// Boards the ordered transport, if it is still there; the order ends.
void BoardOrderedTransport(CUnit& unit);
// Turns the unit to its action target: a building's middle, else a unit's
// centre, plus the extra degrees of the unit's type.
void FaceActionTarget(CUnit& unit, float extraDegrees);
