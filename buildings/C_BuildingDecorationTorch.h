#pragma once
// A torch; its flame burns from placement on and goes out with the torch.

#include <cstdint>

#include "buildings/C_BuildingDecoration.h"

class CDecorationTorch : public CDecoration
{
public:
    explicit CDecorationTorch(int32_t kind);
    ~CDecorationTorch() override;

    // Lights the flame for the torch's kind; placed again, the old flame
    // goes out first, so that a torch never burns twice.
    void StartEffects() override;
    // The decoration kind and the flame handle, 4 bytes each.
    void SaveGameExtra(CSaveStream& stream, const CObjectReferences& references) const override;
    bool LoadGameExtra(CSaveStream& stream, const CObjectReferences& references) override;

    int32_t flameEmitter = -1;   // flame particle, -1 none

private:
    void PutOutFlame();
};
