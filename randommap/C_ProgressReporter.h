#pragma once
// Stands in for the random map generator subsystem: the interface through
// which the generator reports its steps.

class CProgressReporter
{
public:
    CProgressReporter() = default;
    virtual ~CProgressReporter() = default;

    CProgressReporter(const CProgressReporter&) = delete;
    CProgressReporter& operator=(const CProgressReporter&) = delete;

    virtual void Initialize() {}
    virtual void Release() {}
    // One step of the generator done; the display shows it.
    virtual void Step() = 0;
};
