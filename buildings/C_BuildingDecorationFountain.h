#pragma once
// The fountain; always kind 70.  Its water runs from placement on and stops
// with the fountain.

#include <cstdint>

#include "buildings/C_BuildingDecoration.h"

class CDecorationFountain : public CDecoration
{
public:
    explicit CDecorationFountain(int32_t kind);
    ~CDecorationFountain() override;
    int32_t GetDecorationKind() const override { return 70; }

    // Starts the water; placed again, the old water stops first.
    void StartEffects() override;
    // The water handle, 4 bytes.
    void SaveGameExtra(CSaveStream& stream, const CObjectReferences& references) const override;
    bool LoadGameExtra(CSaveStream& stream, const CObjectReferences& references) override;

    int32_t waterEmitter = -1;   // water particle, -1 none

private:
    void StopWater();
};
