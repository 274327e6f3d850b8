#include <gtest/gtest.h>

#include <memory>

#include "core/C_Config.h"
#include "core/C_Ctrl.h"
#include "tests/core/Ctrl_TestDoubles.h"

using namespace ctrl_test;

namespace
{
// The base behaviour, untouched.
class PlainCtrl : public CCtrl
{
};

class CtrlForms : public ::testing::Test
{
protected:
    void SetUp() override
    {
        VirtualMouseX = 0;
        VirtualMouseY = 0;
    }

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

TEST_F(CtrlForms, TopFormGetsTheInputAtTheVirtualMousePosition)
{
    ctrl.OpenForm(&MakeForm("below"));
    ctrl.OpenForm(&MakeForm("top"));
    journal.clear();
    VirtualMouseX = 512;
    VirtualMouseY = 300;

    const int32_t savedWidth = g_Config.screenWidth, savedHeight = g_Config.screenHeight;
    g_Config.screenWidth = 1280;
    g_Config.screenHeight = 960;
    ctrl.onMouseMove(640, 400);  // window pixels, scaled to the virtual screen
    g_Config.screenWidth = savedWidth;
    g_Config.screenHeight = savedHeight;
    ctrl.onMouseDown(CCtrl::kRightButton);
    ctrl.onMouseUp(CCtrl::kLeftButton);
    ctrl.onWheelUp();
    ctrl.onWheelDown();
    ctrl.onChar(13);
    ctrl.onKeyDown(65);
    ctrl.onDoubleClick(CCtrl::kLeftButton);

    const Journal expected = {"top.OnMouseMove(512,320)", "top.OnMouseDown(512,320)", "top.OnMouseUp(512,320)",
                              "top.OnWheelUp",            "top.OnWheelDown",          "top.OnKey(13)"};
    EXPECT_EQ(expected, journal);
}

TEST_F(CtrlForms, SeventeenthFormIsRefusedWithoutPreparingIt)
{
    RecordingForm& first = MakeForm("f0");
    first.visible = 0;
    ASSERT_TRUE(ctrl.OpenForm(&first));
    EXPECT_EQ(1, first.visible);   // opening shows it and lets it prepare
    EXPECT_EQ(Journal{"f0.ResetResult"}, journal);
    for (int i = 1; i < CCtrl::kMaxForms; ++i)
        ASSERT_TRUE(ctrl.OpenForm(&MakeForm("f" + std::to_string(i))));
    journal.clear();
    RecordingForm& extra = MakeForm("extra");
    extra.visible = 0;

    EXPECT_FALSE(ctrl.OpenForm(&extra));
    EXPECT_EQ(16, ctrl.formCount);
    EXPECT_EQ(0, extra.visible);
    EXPECT_TRUE(journal.empty());
    EXPECT_EQ(forms[15].get(), ctrl.GetTopForm());
}

TEST_F(CtrlForms, FormsAreDrawnBottomToTopAndAClosedTopOnceMoreBeforeTheNextIsShown)
{
    RecordingForm& bottom = MakeForm("bottom");
    RecordingForm& below = MakeForm("below");
    RecordingForm& top = MakeForm("top");
    ctrl.OpenForm(&bottom);
    ctrl.OpenForm(&below);
    ctrl.OpenForm(&top);
    below.visible = 0;  // the opener hid it
    journal.clear();
    ctrl.RenderForms();
    EXPECT_EQ((Journal{"bottom.Render1Frame", "top.Render1Frame"}), journal);

    top.closeRequest = 1;
    journal.clear();
    ctrl.RenderForms();
    EXPECT_EQ((Journal{"bottom.Render1Frame", "top.Render1Frame", "top.Release"}), journal);
    EXPECT_EQ(2, ctrl.formCount);
    EXPECT_EQ(0, top.closeRequest);
    EXPECT_EQ(1, below.visible);
    EXPECT_EQ(&below, ctrl.GetTopForm());
}

TEST_F(CtrlForms, CloseRequestBelowTheTopWaitsUntilThatFormIsOnTop)
{
    RecordingForm& below = MakeForm("below");
    RecordingForm& top = MakeForm("top");
    ctrl.OpenForm(&below);
    ctrl.OpenForm(&top);
    below.closeRequest = 1;

    ctrl.RenderForms();
    EXPECT_EQ(2, ctrl.formCount);
    EXPECT_EQ(1, below.closeRequest);

    top.closeRequest = 1;
    ctrl.RenderForms();  // closes only the top one this frame
    EXPECT_EQ(1, ctrl.formCount);
    ctrl.RenderForms();
    EXPECT_EQ(0, ctrl.formCount);
    EXPECT_EQ(nullptr, ctrl.GetTopForm());
    journal.clear();
    ctrl.onChar('x');   // input without an open form goes nowhere
    ctrl.onMouseDown(CCtrl::kLeftButton);
    ctrl.RenderForms();
    EXPECT_TRUE(journal.empty());
}

TEST(CtrlVirtualMouse, ScalesWindowPixelsToTheVirtualScreenTruncating)
{
    struct Case { int x, y, width, height, expectedX, expectedY; };
    // Worked out by hand: x * 1024 / width and y * 768 / height, truncated.
    const Case cases[] = {
        {799, 599, 800, 600, 1022, 766},   // 1022.72, 766.72
        {1279, 1023, 1280, 1024, 1023, 767},  // 1023.2, 767.25
        {300, 200, 0, 0, 300, 200},   // no division by zero
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(testing::Message() << c.x << "," << c.y << " at " << c.width << "x" << c.height);
        CCtrl::SetVirtualMouse(c.x, c.y, c.width, c.height);
        EXPECT_EQ(c.expectedX, VirtualMouseX);
        EXPECT_EQ(c.expectedY, VirtualMouseY);
    }
}
