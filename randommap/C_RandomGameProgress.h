#pragma once
// Stands in for the random map generator subsystem: the progress display of
// the random-game screen.

#include <cstdint>

#include "randommap/C_ProgressReporter.h"

class CRandomGameProgress : public CProgressReporter
{
public:
    CRandomGameProgress();

    void Step() override;

    int32_t value1;
    int32_t value2;
    int32_t value3;
    int32_t values[5];
};
