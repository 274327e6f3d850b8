#include <gtest/gtest.h>

#include "tests/core/Ctrl_TestDoubles.h"

using namespace ctrl_test;

namespace
{
class PlainCtrl : public CCtrl   // the base behaviour, untouched
{
};

class CtrlForms : public ::testing::Test
{
protected:
    RecordingForm& MakeForm(const std::string& name)
    {
        forms.push_back(std::make_unique<RecordingForm>(journal, name));
        return *forms.back();
    }

    Journal journal;
    PlainCtrl ctrl;
    std::vector<std::unique_ptr<RecordingForm>> forms;
};
}  // namespace

TEST_F(CtrlForms, SeventeenthFormIsRefusedWithoutPreparingIt)
{
    RecordingForm& first = MakeForm("f0");
    first.visible = 0;
    ASSERT_TRUE(ctrl.OpenForm(&first));
    EXPECT_EQ(first.visible, 1);   // opening shows it and lets it prepare
    EXPECT_EQ(journal, Journal{"f0.ResetResult"});
    for (int i = 1; i < CCtrl::kMaxForms; ++i)
        ASSERT_TRUE(ctrl.OpenForm(&MakeForm("f" + std::to_string(i))));
    journal.clear();
    RecordingForm& extra = MakeForm("extra");
    extra.visible = 0;
    EXPECT_TRUE(!ctrl.OpenForm(&extra) && ctrl.formCount == 16 && extra.visible == 0);
    EXPECT_TRUE(journal.empty() && ctrl.GetTopForm() == forms[15].get());
}

TEST_F(CtrlForms, FormsAreDrawnBottomToTopAndClosedOnlyFromTheTop)
{
    RecordingForm& bottom = MakeForm("bottom");
    RecordingForm& below = MakeForm("below");
    RecordingForm& top = MakeForm("top");
    for (RecordingForm* form : {&bottom, &below, &top})
        ctrl.OpenForm(form);
    below.visible = 0;   // the opener hid it
    below.closeRequest = 1;   // waits until it is on top
    journal.clear();
    ctrl.RenderForms();
    EXPECT_TRUE(journal == (Journal{"bottom.Render1Frame", "top.Render1Frame"}) && ctrl.formCount == 3);

    // A closed top is drawn once more before the one below is shown.
    top.closeRequest = 1;
    journal.clear();
    ctrl.RenderForms();
    EXPECT_EQ(journal, (Journal{"bottom.Render1Frame", "top.Render1Frame", "top.Release"}));
    EXPECT_TRUE(ctrl.formCount == 2 && top.closeRequest == 0 && below.visible == 1 && ctrl.GetTopForm() == &below);
    ctrl.RenderForms();
    bottom.closeRequest = 1;
    ctrl.RenderForms();
    EXPECT_TRUE(ctrl.formCount == 0 && ctrl.GetTopForm() == nullptr);
    journal.clear();
    ctrl.onChar('x');   // input without an open form goes nowhere
    ctrl.onMouseDown(CCtrl::kLeftButton);
    ctrl.RenderForms();
    EXPECT_TRUE(journal.empty());
}

TEST(CtrlVirtualMouse, ScalesWindowPixelsToTheVirtualScreenTruncating)
{
    // x * 1024 / width and y * 768 / height, truncated.
    const struct { int x, y, width, height, expectedX, expectedY; } cases[] = {
        {799, 599, 800, 600, 1022, 766},      // 1022.72, 766.72
        {1279, 1023, 1280, 1024, 1023, 767},  // 1023.2, 767.25
        {300, 200, 0, 0, 300, 200},           // no division by zero
    };
    for (const auto& c : cases)
    {
        CCtrl::SetVirtualMouse(c.x, c.y, c.width, c.height);
        EXPECT_TRUE(VirtualMouseX == c.expectedX && VirtualMouseY == c.expectedY) << c.x << "," << c.y << " " << c.width;
    }
}
