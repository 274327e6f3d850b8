#pragma once
// A progress bar: a red fill over the span from minimum to maximum and, with
// a font, the percentage written across it.

#include "media/C_GUIControl.h"

class CGUIProgressBar : public CGUIControl
{
public:
    static constexpr int32_t NoFont = -1;

    CGUIProgressBar(CGUIInterface* parent, int32_t x, int32_t y, int32_t w, int32_t h, int32_t percentFont,
                    int32_t minimum, int32_t maximum, int32_t value);

    void SetValue(int32_t value) override;
    void Render() override;

    // Share of the span reached, 0 ... 1; 0 when the span is empty.
    double Fraction() const;

    int32_t minimum;
    int32_t maximum;
    int32_t value;
    int32_t percentFont;
};
