#pragma once
// A gate across a row of blocks: kind 37 spans its width along x, kind 38
// its depth along y.  Closed it blocks them.  Opening frees them at once
// and plays the opening; closing blocks them at once, crushing what stands
// in the way, and plays the closing backwards.  The triggers: 1 open,
// 2 close, 3 open at once, 4 close at once.

#include <cstdint>

#include "buildings/C_BuildingDecoration.h"

class CUnit;

class CDecorationGate : public CDecoration
{
public:
    static constexpr int32_t Still = 0;
    static constexpr int32_t Opening = 1;
    static constexpr int32_t Closing = 2;
    // What a closing gate deals to a unit and to a building in its way.
    static constexpr int32_t CrushUnitDamage = 500;
    static constexpr int32_t CrushBuildingDamage = 10000;

    explicit CDecorationGate(int32_t kind);

    bool IsGate() const override { return true; }
    void Trigger(int32_t code) override;
    // Moves the wings on by a frame a tick; at the end the gate rests.
    bool Animate(float elapsed) override;
    // The kind and the motion, 4 bytes each.
    void SaveGameExtra(CSaveStream& stream, const CObjectReferences& references) const override;
    bool LoadGameExtra(CSaveStream& stream, const CObjectReferences& references) override;

    int32_t motion = Still;

private:
    void Open();
    void Close();
    void SetBlocksBlocked(uint8_t blocked);
    void CrushBlock(int32_t blockX, int32_t blockY);
    int32_t GetClosedModel() const;
    int32_t GetOpenModel() const;
    // The block the gate's i-th block is.
    void SpannedBlock(int32_t i, int32_t& blockX, int32_t& blockY) const;
    int32_t GetSpan() const;
};
