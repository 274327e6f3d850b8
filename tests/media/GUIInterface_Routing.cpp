#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "media/C_GUIInterface.h"
#include "media/C_GUILabel.h"
#include "tests/support/TestLog.h"

namespace
{
using Journal = std::vector<std::string>;

class RecordingControl : public CGUIControl
{
public:
    RecordingControl(CGUIInterface* parent, int x, int y, int w, int h, Journal& journal, std::string name,
                     bool focusable = false)
        : CGUIControl(parent, x, y, w, h), journal(journal), name(std::move(name)), focusable(focusable)
    {
    }
    ~RecordingControl() override { Note("deleted"); }

    bool CanFocus() override { return focusable; }
    void OnMouseDown(int32_t, int32_t) override { Note("down"); }
    void OnMouseUp(int32_t, int32_t) override { Note("up"); }
    void OnClick() override { Note("click"); }
    void OnMouseMove(int32_t, int32_t) override { Note("move"); }
    void OnMouseEnter() override { Note("enter"); }
    void OnMouseLeave() override { Note("leave"); }
    void OnWheelUp() override { Note("wheelUp"); }
    void OnWheelDown() override { Note("wheelDown"); }
    void OnKey(int32_t key) override { Note("key" + std::to_string(key)); }
    void Render() override { Note("render"); }
    void OnFocus() override { Note("focus"); }
    void OnBlur() override { Note("blur"); }

private:
    void Note(const std::string& what) { journal.push_back(name + "." + what); }

    Journal& journal;
    std::string name;
    bool focusable;
};

class RecordingInterface : public CGUIInterface
{
public:
    explicit RecordingInterface(Journal& journal) : journal(journal) {}

    void OnControlPressed(int32_t index) override { journal.push_back("form.pressed" + std::to_string(index)); }
    int32_t OnControlEvent(int32_t index) override
    {
        journal.push_back("form.event" + std::to_string(index));
        return CGUIInterface::OnControlEvent(index);
    }

private:
    Journal& journal;
};

class GUIInterfaceRouting : public ::testing::Test
{
protected:
    void SetUp() override
    {
        form.Init(8);
        form.SetRect(100, 100, 400, 300);
    }

    // Appends a control the way forms do, handing it over to the form.
    int Add(const std::string& name, int x, int y, int w, int h, bool focusable = false)
    {
        form.controls[form.count] = new RecordingControl(&form, x, y, w, h, journal, name, focusable);
        return form.count++;
    }

    Journal journal;
    RecordingInterface form{journal};
};
}  // namespace

TEST(GUIInterfaceRect, MinusOneMeansWholeScreenOrCentred)
{
    CGUIInterface form;
    form.SetRect(-1, -1, -1, -1);
    EXPECT_EQ((std::vector<int>{0, 0, 1024, 768}), (std::vector<int>{form.x, form.y, form.w, form.h}));
    form.SetRect(-1, -1, 400, 300);
    EXPECT_EQ((std::vector<int>{312, 234, 400, 300}), (std::vector<int>{form.x, form.y, form.w, form.h}));
    form.SetRect(-1, 10, 401, 20);
    EXPECT_EQ(312, form.x);  // 512 - 401 / 2, halves truncated
}

TEST_F(GUIInterfaceRouting, ControlsArePlacedRelativeToTheForm)
{
    const int index = Add("a", 10, 20, 30, 40);
    EXPECT_EQ(110, form.controls[index]->GetAbsX());
    EXPECT_EQ(120, form.controls[index]->GetAbsY());
    // Right and bottom edges belong to the control.
    EXPECT_TRUE(form.controls[index]->HitTest(140, 160));
    EXPECT_FALSE(form.controls[index]->HitTest(141, 160));
    form.controls[index]->enabled = 0;
    EXPECT_FALSE(form.controls[index]->HitTest(120, 130));
}

TEST_F(GUIInterfaceRouting, MouseDownOnOverlappingControlsGoesToTheOneAddedLater)
{
    Add("under", 0, 0, 100, 100);
    Add("over", 50, 50, 100, 100);
    form.OnMouseDown(175, 175);
    EXPECT_EQ((Journal{"over.down", "form.pressed1", "over.focus"}), journal);
    EXPECT_EQ(1, form.pressed);
    EXPECT_EQ(1, form.focus);
    EXPECT_EQ(175, form.mouseX);

    journal.clear();
    form.OnMouseDown(120, 120);  // only "under" lies here
    EXPECT_EQ((Journal{"under.down", "form.pressed0", "over.blur", "under.focus"}), journal);
}

TEST_F(GUIInterfaceRouting, ReleaseOnThePressedControlClicksItAndAPressMovedAwayIsCancelled)
{
    Add("first", 0, 0, 100, 50);
    Add("second", 0, 100, 100, 50);
    form.OnMouseDown(150, 120);
    journal.clear();
    form.OnMouseUp(160, 130);
    EXPECT_EQ((Journal{"first.up", "first.click", "form.event0"}), journal);
    EXPECT_EQ(0, form.result);
    EXPECT_EQ(-1, form.pressed);

    form.ResetResult();
    form.OnMouseMove(150, 120);
    form.OnMouseDown(150, 120);
    journal.clear();
    form.OnMouseMove(150, 220);
    EXPECT_EQ((Journal{"second.enter", "first.leave", "first.up"}), journal);
    EXPECT_EQ(-1, form.pressed);
    journal.clear();
    form.OnMouseUp(150, 220);
    EXPECT_TRUE(journal.empty());
    EXPECT_EQ(-1, form.result);

    // Pressed and then left for no control at all: released too.
    form.OnMouseDown(150, 220);
    journal.clear();
    form.OnMouseMove(700, 700);
    EXPECT_EQ((Journal{"second.leave", "second.up"}), journal);
    EXPECT_EQ(-1, form.hover);
}

TEST_F(GUIInterfaceRouting, HiddenControlsAreNeitherHitNorDrawn)
{
    Add("shown", 0, 0, 100, 100);
    const int hidden = Add("hidden", 0, 0, 100, 100);
    form.controls[hidden]->visible = 0;
    form.OnMouseDown(150, 150);
    form.Render();
    EXPECT_EQ((Journal{"shown.down", "form.pressed0", "shown.focus", "shown.render"}), journal);
}

TEST_F(GUIInterfaceRouting, FocusedControlIsDrawnLast)
{
    Add("a", 0, 0, 10, 10);
    Add("b", 20, 0, 10, 10);
    Add("c", 40, 0, 10, 10);
    form.focus = 0;
    form.Render();
    EXPECT_EQ((Journal{"b.render", "c.render", "a.render"}), journal);
    journal.clear();
    form.visible = 0;
    form.Render();
    EXPECT_TRUE(journal.empty());
}

TEST_F(GUIInterfaceRouting, EnterAndEscapeClickTheDefaultAndCancelControlsOnlyWhileUsable)
{
    Add("ok", 0, 0, 10, 10);
    Add("cancel", 20, 0, 10, 10);
    form.OnKey(13);
    form.OnKey(27);
    EXPECT_TRUE(journal.empty());  // neither set, nothing focused
    form.SetDefaultControl(0);
    form.SetCancelControl(1);
    form.OnKey(13);
    form.OnKey(27);
    EXPECT_EQ((Journal{"ok.click", "form.event0", "cancel.click", "form.event1"}), journal);

    // A form that disables OK until its input is valid; a hidden control.
    journal.clear();
    form.controls[0]->enabled = 0;
    form.HideLastControl();
    form.OnKey(13);
    form.OnKey(27);
    EXPECT_TRUE(journal.empty());
}

TEST_F(GUIInterfaceRouting, FullFormDropsItsLastTwoControlsForTheWarningLabel)
{
    const struct
    {
        int capacity;
        int expectedCount, expectedIndex;
        Journal expectedDeleted;
    } cases[] = {
        {4, 4, 3, {"c3.deleted", "c2.deleted"}},
        {2, 2, 1, {"c1.deleted", "c0.deleted"}},
        {1, 1, -1, {"new.deleted"}},  // no room for label and control: refused
        {0, 0, -1, {"new.deleted"}},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.capacity);
        CTestLog log;
        form.Init(c.capacity);
        for (int i = 0; i < c.capacity; ++i)
            form.AddControl(new RecordingControl(&form, 0, 0, 10, 10, journal, "c" + std::to_string(i)));
        form.SetDefaultControl(c.capacity - 1);
        form.focus = c.capacity - 1;
        journal.clear();

        const int index = form.AddControl(new RecordingControl(&form, 0, 0, 10, 10, journal, "new"));
        EXPECT_EQ(c.expectedIndex, index);
        EXPECT_EQ(c.expectedCount, form.count);
        EXPECT_EQ(c.expectedDeleted, journal);
        EXPECT_EQ(1, log.Count("#DEBUG: GUIInterface, control index overflow"));
        if (c.capacity >= 2)
        {
            const auto* label = dynamic_cast<CGUILabel*>(form.controls[c.capacity - 2]);
            ASSERT_NE(nullptr, label);
            EXPECT_STREQ("#Control index overflow", label->text);
            EXPECT_EQ(0xFFFFFFu, label->colour);
            EXPECT_EQ(-1, form.defaultControl);  // its control is gone
            EXPECT_EQ(-1, form.focus);
        }
        journal.clear();
        form.DeleteAll();
    }
}

TEST_F(GUIInterfaceRouting, KeysGoToAFocusedEntryAndTabMovesToTheNextWrappingAround)
{
    Add("first", 0, 0, 10, 10, true);
    Add("label", 20, 0, 10, 10);
    Add("last", 40, 0, 10, 10, true);
    form.focus = 1;
    form.OnKey('a');
    EXPECT_TRUE(journal.empty());
    form.focus = 0;
    form.OnKey('a');
    form.OnKey(1024 + 37);
    EXPECT_EQ((Journal{"first.key97", "first.key1061"}), journal);
    journal.clear();
    form.OnKey(9);
    EXPECT_EQ(2, form.focus);
    form.OnKey(1024 + 9);
    EXPECT_EQ(0, form.focus);
    EXPECT_EQ((Journal{"first.blur", "last.focus", "last.blur", "first.focus"}), journal);
    // A hidden entry is passed over: the focus stays where it is.
    form.HideLastControl();
    journal.clear();
    form.OnKey(9);
    EXPECT_EQ((Journal{"first.blur", "first.focus"}), journal);
}

TEST_F(GUIInterfaceRouting, WheelGoesToTheHoveredControl)
{
    Add("list", 0, 0, 100, 100);
    form.OnWheelUp();
    EXPECT_TRUE(journal.empty());
    form.OnMouseMove(150, 150);
    journal.clear();
    form.OnWheelUp();
    form.OnWheelDown();
    EXPECT_EQ((Journal{"list.wheelUp", "list.wheelDown"}), journal);
}

TEST_F(GUIInterfaceRouting, DeleteAllDestroysTheControlsAndKeepsTheRoom)
{
    Add("a", 0, 0, 10, 10);
    Add("b", 0, 0, 10, 10);
    form.focus = 1;
    form.DeleteAll();
    EXPECT_EQ((Journal{"a.deleted", "b.deleted"}), journal);
    EXPECT_EQ(0, form.count);
    EXPECT_EQ(-1, form.focus);
}
