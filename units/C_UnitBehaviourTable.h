#pragma once
// Which unit types use which of the shared fighting bodies (CUnit::Melee...,
// WindDownOnTargetLost, HaltOnTargetLost), one row per type.  A type without
// a row, or with a body marked None, keeps the base class's empty answer or
// brings its own.

#include <cstdint>

enum class EAttackedBody : int8_t
{
    None,
    VariantA,   // answers hits whatever its stance while it strikes a building
    VariantB,
};

enum class ETargetLostBody : int8_t
{
    None,
    WindDown,
    Halt,
};

enum class EPatrolBody : int8_t
{
    None,
    Melee,
    Rider,
};

struct SUnitBehaviourRow
{
    int32_t cast;               // TENUMUNITCAST
    bool meleeCommand;
    bool meleeIdle;
    bool meleeSighted;
    EAttackedBody attacked;
    ETargetLostBody targetLost;
    EPatrolBody patrol;
    bool meleePerform;          // the shared onPerformAction and onMoveEnd
    float performExtraDegrees;
    int32_t sourceLine;         // named by the check of a non-local unit
};

class CUnitBehaviourTable
{
public:
    // The row of a type, or null for a type without one.
    static const SUnitBehaviourRow* Find(int32_t cast);
    // The file the rows' source lines count in.
    static const char* SourceFile();
};
