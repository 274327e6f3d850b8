#include <gtest/gtest.h>

#include <map>
#include <set>
#include <tuple>
#include <utility>

#include "core/C_Localizer.h"
#include "core/GlobalFunc.h"
#include "game/C_Hint.h"
#include "media/C_GUIInterface.h"
#include "media/C_GUILabel.h"
#include "media/InterfaceTables.h"
#include "tests/support/TestLog.h"
#include "world/C_DecorType.h"
#include "world/C_UnitStats.h"

namespace
{
using Journal = std::vector<std::string>;
Journal journal;  // what the recording controls and forms below were asked, in order

class RecordingControl : public CGUIControl
{
public:
    RecordingControl(CGUIInterface* parent, int x, int y, int w, int h, std::string name, bool focusable = false)
        : CGUIControl(parent, x, y, w, h), name(std::move(name)), focusable(focusable) {}
    ~RecordingControl() override { Note("deleted"); }

    bool CanFocus() override { return focusable; }
    void OnMouseDown(int32_t, int32_t) override { Note("down"); }
    void OnMouseUp(int32_t, int32_t) override { Note("up"); }
    void OnClick() override { Note("click"); }
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

    std::string name;
    bool focusable;
};

class RecordingInterface : public CGUIInterface
{
public:
    void OnControlPressed(int32_t index) override { journal.push_back("form.pressed" + std::to_string(index)); }
    int32_t OnControlEvent(int32_t index) override
    {
        journal.push_back("form.event" + std::to_string(index));
        return CGUIInterface::OnControlEvent(index);
    }
};

// Reports itself as activated from its click, blur, wheel and key handlers.
class EventRaiser : public CGUIControl
{
public:
    using CGUIControl::CGUIControl;
    bool CanFocus() override { return true; }
    void OnClick() override { Raise(); }
    void OnBlur() override { Raise(); }
    void OnWheelUp() override { Raise(); }
    void OnKey(int32_t) override { Raise(); }

private:
    void Raise() { parent->OnControlEvent(IndexInParent()); }
};

// Once armed, destroys and re-adds its controls on every event: a slider from 0 to 10 at value 5 on (10, 10, 100, 20)
// and a raiser on (10, 40, 100, 20), the default control.
class RebuildingForm : public CGUIInterface
{
public:
    RebuildingForm() { Init(4); SetRect(0, 0, -1, -1); Fill(); }

    void Fill()
    {
        DeleteAll();
        AddSlider(10, 10, 100, 20, 0, 10, 5);
        AddControl(new EventRaiser(this, 10, 40, 100, 20));
        SetDefaultControl(1);
    }
    void OnControlPressed(int32_t index) override { journal.push_back("pressed" + std::to_string(index)); }
    int32_t OnControlEvent(int32_t index) override
    {
        journal.push_back("event" + std::to_string(index) +
                          (index == 0 ? "=" + std::to_string(controls[0]->GetInt()) : ""));
        if (armed) Fill(), journal.push_back("rebuilt");
        return CGUIInterface::OnControlEvent(index);
    }

    bool armed = false;
};

class GUIInterfaceRouting : public ::testing::Test
{
protected:
    void SetUp() override { journal.clear(), form.Init(8), form.SetRect(100, 100, 400, 300); }

    // Appends a control the way forms do, handing it over to the form.
    int Add(const std::string& name, int x, int y, int w, int h, bool focusable = false)
    {
        form.controls[form.count] = new RecordingControl(&form, x, y, w, h, name, focusable);
        return form.count++;
    }

    Journal Taken() { return std::exchange(journal, {}); }

    RecordingInterface form;
};

void LoadTexts(const std::string& text)
{
    g_Localizer.Clear();
    ASSERT_TRUE(g_Localizer.LoadLocaleText("hints", text.c_str(), int(text.size())));
}

std::string Text(int slot, int line) { return GetGlobalHint(slot)->lines.at(size_t(line)).text.GetBuffer(); }
}  // namespace

TEST_F(GUIInterfaceRouting, PressesGoToTheTopmostControlUnderTheMouseAndAReleaseThereClicksIt)
{
    // A new form stands alone at (0, 0), sized (0, 0), with nothing focused, pressed, hovered, default or cancelling.
    const CGUIInterface fresh;
    const std::vector<int32_t> state = {fresh.x, fresh.y, fresh.w, fresh.h, fresh.count, fresh.focus, fresh.pressed,
                                        fresh.hover, fresh.defaultControl, fresh.cancelControl, fresh.closeRequest};
    EXPECT_TRUE(!fresh.parent && !fresh.controls && (state == std::vector{0, 0, 0, 0, 0, -1, -1, -1, -1, -1, 0}));
    // -1 sizes are the whole screen, -1 places centre the size: integer halves of 1024 x 768.
    auto centred = [&](int w, int h) { return form.SetRect(-1, -1, w, h), std::vector{form.x, form.y, form.w, form.h}; };
    EXPECT_EQ((std::vector{centred(-1, -1), centred(400, 300), centred(401, 301)}),
              (std::vector<std::vector<int>>{{0, 0, 1024, 768}, {312, 234, 400, 300}, {312, 234, 401, 301}}));
    form.SetRect(100, 100, 400, 300);
    const int under = Add("under", 0, 0, 100, 100);
    Add("over", 50, 50, 100, 150);
    Add("hidden", 0, 0, 300, 300);
    form.controls[2]->visible = 0;
    // Placed relative to the form; right and bottom edges belong to the control.
    EXPECT_TRUE(100 == form.controls[under]->GetAbsX() && form.controls[under]->HitTest(200, 200) &&
                !form.controls[under]->HitTest(201, 200));
    EXPECT_EQ((Journal{"over.down", "form.pressed1", "over.focus"}), (form.OnMouseDown(175, 175), Taken()));
    EXPECT_TRUE(1 == form.focus && 175 == form.mouseX);
    form.OnMouseDown(120, 120);
    EXPECT_EQ((Journal{"under.down", "form.pressed0", "over.blur", "under.focus"}), Taken());
    EXPECT_EQ((Journal{"under.up", "under.click", "form.event0"}), (form.OnMouseUp(130, 130), Taken()));
    EXPECT_TRUE(0 == form.result && -1 == form.pressed);

    // A press moved away is cancelled, and one left for no control at all.
    form.ResetResult(), form.OnMouseMove(120, 120), form.OnMouseDown(120, 120), Taken();
    EXPECT_EQ((Journal{"over.enter", "under.leave", "under.up"}), (form.OnMouseMove(170, 280), Taken()));
    form.OnMouseUp(170, 280);
    EXPECT_TRUE(Taken().empty() && -1 == form.result);
    form.OnMouseDown(170, 280), Taken(), form.OnMouseMove(700, 700);
    EXPECT_EQ(std::tuple(Journal{"over.leave", "over.up"}, -1, 700, 700),
              std::tuple(Taken(), form.hover, form.mouseX, form.mouseY));
    form.controls[under]->enabled = 0;
    EXPECT_FALSE(form.controls[under]->HitTest(120, 130));

    // The wheel goes to the hovered control only; the focused one is drawn last, hidden ones not at all.
    form.OnWheelUp(), form.OnMouseMove(170, 280), Taken(), form.OnWheelUp(), form.OnWheelDown(), form.Render();
    EXPECT_EQ((Journal{"over.wheelUp", "over.wheelDown", "under.render", "over.render"}), Taken());
    form.focus = 0, form.Render();
    EXPECT_EQ((Journal{"over.render", "under.render"}), Taken());
    form.visible = 0, form.Render();
    EXPECT_TRUE(Taken().empty());
}

TEST_F(GUIInterfaceRouting, EnterAndEscapeClickWhileUsableKeysGoToTheFocusedEntryAndTabMovesOn)
{
    Add("ok", 0, 0, 10, 10, true);
    Add("label", 20, 0, 10, 10);
    Add("cancel", 40, 0, 10, 10, true);
    form.OnKey(13), form.OnKey(27);
    EXPECT_TRUE(Taken().empty());  // neither set, nothing focused
    form.SetDefaultControl(0), form.SetCancelControl(2), form.OnKey(13), form.OnKey(27);
    EXPECT_EQ((Journal{"ok.click", "form.event0", "cancel.click", "form.event2"}), Taken());
    // A form that disables OK until its input is valid; a hidden control.
    form.controls[0]->enabled = 0, form.controls[2]->visible = 0, form.OnKey(13), form.OnKey(27);
    EXPECT_TRUE(Taken().empty());
    form.controls[0]->enabled = form.controls[2]->visible = 1;

    form.focus = 1, form.OnKey('a');
    form.focus = 0, form.OnKey('a'), form.OnKey(1024 + 37);
    EXPECT_EQ((Journal{"ok.key97", "ok.key1061"}), Taken());
    EXPECT_EQ(2, (form.OnKey(9), form.focus));
    EXPECT_EQ(0, (form.OnKey(1024 + 9), form.focus));
    EXPECT_EQ((Journal{"ok.blur", "cancel.focus", "cancel.blur", "ok.focus"}), Taken());
    form.HideLastControl(), form.OnKey(9);  // a hidden entry is passed over
    EXPECT_EQ((Journal{"ok.blur", "ok.focus"}), Taken());
    form.DeleteAll();
    EXPECT_EQ((Journal{"ok.deleted", "label.deleted", "cancel.deleted"}), Taken());
    EXPECT_TRUE(0 == form.count && -1 == form.focus);
}

TEST_F(GUIInterfaceRouting, FullFormDropsItsLastTwoControlsForTheWarningLabel)
{
    const struct { int capacity, expectedIndex; Journal expectedDeleted; } cases[] = {
        {4, 3, {"c3.deleted", "c2.deleted"}}, {2, 1, {"c1.deleted", "c0.deleted"}},
        {1, -1, {"new.deleted"}}, {0, -1, {"new.deleted"}}};  // no room for label and control: refused
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.capacity);
        CTestLog log;
        form.Init(c.capacity);
        for (int i = 0; i < c.capacity; ++i)
            form.AddControl(new RecordingControl(&form, 0, 0, 10, 10, "c" + std::to_string(i)));
        form.SetDefaultControl(c.capacity - 1), form.focus = c.capacity - 1, Taken();
        EXPECT_TRUE(c.expectedIndex == form.AddControl(new RecordingControl(&form, 0, 0, 10, 10, "new")) &&
                    c.capacity == form.count && c.expectedDeleted == Taken());
        EXPECT_EQ(1, log.Count("#DEBUG: GUIInterface, control index overflow"));
        if (c.capacity >= 2)
        {
            auto* label = dynamic_cast<CGUILabel*>(form.controls[c.capacity - 2]);
            ASSERT_NE(nullptr, label);
            EXPECT_STREQ("#Control index overflow", label->text);
            EXPECT_TRUE(0xFFFFFFu == label->colour && -1 == form.defaultControl && -1 == form.focus);  // control gone
            // Of size 0 x 0: no more than its corner point is ever under the mouse.
            const int32_t x = label->GetAbsX(), y = label->GetAbsY();
            EXPECT_TRUE(label->HitTest(x, y) && !label->HitTest(x + 1, y) && !label->HitTest(x, y + 1));
            // A label takes no focus and answers no value query: each query is reported.
            EXPECT_TRUE(!label->CanFocus() && !label->GetBool() && !label->GetInt() && !label->GetString() &&
                        !label->GetValue() && log.Count("#DEBUG: Unspecified GUI control value evaluator used") == 4);
        }
        form.DeleteAll(), Taken();
    }
}

// Without a thumb picture the slider's step is 100 / 10 pixels: x = 50 gives value 4, 60 and 75 give 5 and 7, anything
// past x = 105 the maximum 10.  Once the form has rebuilt, nothing more happens to the controls it had.
TEST(GUIInterfaceRebuild, AFormRebuildingOnItsEventsStopsTheInputStepOnEveryPath)
{
    enum Kind { Move, Down, Up, Wheel, Key, Arm };
    struct Step { Kind kind; int x = 0, y = 0; };
    const struct Case { const char* name; std::vector<Step> steps; Journal expected; } cases[] = {
        {"slider released outside", {{Move, 50, 15}, {Down, 50, 15}, {Arm}, {Up, 500, 500}},
         {"event0=4", "pressed0", "event0=10", "rebuilt"}},
        {"slider dragged off its end", {{Move, 50, 15}, {Down, 50, 15}, {Arm}, {Move, 300, 15}},
         {"event0=4", "pressed0", "event0=10", "rebuilt"}},
        {"slider dragged onto another control", {{Move, 50, 15}, {Down, 50, 15}, {Arm}, {Move, 50, 45}},
         {"event0=4", "pressed0", "event0=4", "rebuilt"}},
        {"slider dragged along, then released", {{Move, 50, 15}, {Down, 50, 15}, {Arm}, {Move, 75, 15}, {Up, 75, 15}},
         {"event0=4", "pressed0", "event0=7", "rebuilt"}},
        {"slider released inside", {{Move, 50, 15}, {Down, 50, 15}, {Arm}, {Up, 60, 15}},
         {"event0=4", "pressed0", "event0=4", "rebuilt"}},
        {"slider pressed", {{Arm}, {Down, 50, 15}}, {"event0=4", "rebuilt"}},
        {"wheel", {{Move, 50, 45}, {Arm}, {Wheel}}, {"event1", "rebuilt"}},
        {"click", {{Down, 50, 45}, {Arm}, {Up, 50, 45}}, {"pressed1", "event1", "rebuilt"}},
        {"Enter", {{Arm}, {Key, 13}}, {"event1", "rebuilt"}},
        {"Tab", {{Down, 50, 45}, {Arm}, {Key, 9}}, {"pressed1", "event1", "rebuilt"}},
        {"key", {{Down, 50, 45}, {Arm}, {Key, 'a'}}, {"pressed1", "event1", "rebuilt"}}};
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        journal.clear();
        RebuildingForm form;
        for (const Step& step : c.steps)
            switch (step.kind)
            {
            case Move: form.OnMouseMove(step.x, step.y); break;
            case Down: form.OnMouseDown(step.x, step.y); break;
            case Up: form.OnMouseUp(step.x, step.y); break;
            case Wheel: form.OnWheelUp(); break;
            case Key: form.OnKey(step.x); break;
            case Arm: form.armed = true; break;
            }
        EXPECT_EQ(journal, c.expected);
        EXPECT_TRUE(form.count == 2 && form.controls[0]->GetInt() == 5 && form.pressed == -1 && form.hover == -1 &&
                    form.focus == -1);
    }
}

// Decoration rows name and pick their kinds; command hints are sized by kind and compose heading, hotkey, description.
TEST(InterfaceTables, DecorationRowsNameAndPickTheirKindsAndCommandHintsAreSizedAndComposed)
{
    CTestLog log;
    LoadTexts("ED_DECOR_GRASS,\"Grass\"\n");
    LoadDecorTypes();
    const struct { int row; const char* key; int base, count, fixed; const char* name; } rows[] = {
        {2, "ED_DECOR_GRASS", 239, 2, 0, "Grass"}, {8, "ED_DECOR_WEED_2", 255, 4, 0, "*error*"},
        {10, "ED_DECOR_MULTIPLAYER_START", 266, 1, 1, "*error*"}};
    for (const auto& r : rows)
    {
        const CDecorType& type = GetDecorType(r.row);
        EXPECT_EQ((std::vector<std::string>{r.key, r.name}), (std::vector<std::string>{type.GetKey(), type.name}));
        EXPECT_EQ((std::vector<int>{r.base, r.count, r.fixed}),
                  (std::vector<int>{type.base, type.count, type.fixedRotation}));
    }
    EXPECT_EQ(10, log.Count("#DEBUG: Cannot find locale resource"));  // all 11 rows but the grass
    FreeDecorTypes();

    // The start marker always stands at kind 266 unrotated; the ruins give 259 to 265, turned 0 to 359 degrees.
    GlobalFunc::SeedRandom(7);
    std::set<int> start, ruins, turns;
    for (int i = 0; i < 400; ++i)
    {
        int kind = 0, rotation = 0;
        GetDecorType(10).PickVariant(&kind, &rotation);
        start.insert(kind * 1000 + rotation);
        GetDecorType(9).PickVariant(&kind, &rotation);
        ruins.insert(kind), turns.insert(rotation);
    }
    EXPECT_EQ(std::set<int>{266000}, start);
    EXPECT_EQ((std::set<int>{259, 260, 261, 262, 263, 264, 265}), ruins);
    EXPECT_TRUE(*turns.begin() >= 0 && *turns.rbegin() <= 359 && turns.size() > 100u);

    CUnitStats* const savedRecords = std::exchange(g_UnitStats, new CUnitStats[TypeRecordCount]);
    AllocGlobalHints();
    LoadTexts("HH_CANCEL_H,\"Cancel\"\nHH_CANCEL_D,\"Drops the order\"\nHH_STOP_H,\"Stop\"\nHH_STOP_D,\"Halt\"\n"
              "HH_TRAIN_WORKER_H,\"Peasant\"\nHH_TRAIN_WORKER_D,\"Builds\"\nHH_TRAIN_TOWERARCHER_H,\"Bowman\"\n"
              "HH_IF_INGAME_MENU_D,\"Menu\"\n");
    LoadCommandHints();

    // Every slot filled: 650 x 150; 15 lines for the tower and the 16 training rows; no pictures for
    // the 9 plain commands, 3 for the 14 buildings and the 10 priest, military, stance and ship rows.
    std::map<std::pair<int, int>, int> sizes;
    for (int slot = 0; slot < GlobalHintCount; ++slot)
    {
        const CHint& hint = *GetGlobalHint(slot);
        EXPECT_EQ(std::make_pair(650, 150), std::make_pair(hint.width, hint.height)) << slot;
        ++sizes[{hint.lineCapacity, hint.imageCapacity}];
    }
    EXPECT_EQ(sizes, (std::map<std::pair<int, int>, int>{{{10, 0}, 9}, {{10, 3}, 23}, {{15, 3}, 1}, {{10, 6}, 70},
                                                         {{15, 6}, 16}}));

    // A long hotkey name follows the heading in brackets; a letter is marked where it first stands in
    // the heading, or bracketed when the heading lacks it; the description goes on a line of its own.
    EXPECT_EQ("\\f03\\cffffffCancel (\\cffff00Escape\\cffffff)\r\\f04\\caaaaaaDrops the order", Text(0, 0));
    EXPECT_EQ("\\f03\\cffffffS\\cffff00t\\cffffffop\r\\f04\\caaaaaaHalt", Text(1, 0));
    EXPECT_EQ("\\f04\\caaaaaaMenu", Text(118, 0));  // no heading, no hotkey mark
    // A training row: the heading, its two cost lines at (0, 35), the description at (90, 30).
    using Kind = CHint::ELineKind;
    std::vector<std::tuple<Kind, int, int, const CUnitStats*>> layout;
    for (const CHint::SLine& line : GetGlobalHint(37)->lines)
        layout.emplace_back(line.kind, line.x, line.y, line.record);
    EXPECT_EQ(layout, (decltype(layout){{Kind::Item, 0, 0, nullptr}, {Kind::Cost, 0, 35, &g_UnitStats[0]},
                                        {Kind::SecondCost, 0, 35, &g_UnitStats[0]}, {Kind::Item, 90, 30, nullptr}}));
    EXPECT_TRUE("\\f03\\cffffffPeasant (\\cffff00L\\cffffff)" == Text(37, 0) && "\\f04\\caaaaaaBuilds" == Text(37, 3));
    // The tower archer is one piece and one cost line; research costs come from record 39 + id.
    EXPECT_TRUE("\\f03\\cffffffBowm\\cffff00a\\cffffffn" == Text(40, 0) && 2 == GetGlobalHint(40)->LineCount());
    EXPECT_EQ("", Text(113, 0));   // no texts
    // Research slots 53 to 84 cost technologies 0 to 31; the later ones are matched by name.
    const int later[] = {39, 40, 41, 42, 43, 45, 44, 46, 47, 48, 53, 56, 57, 54, 55, 58, 59, 60, 49, 50, 32, 33, 34, 37,
                         38, 35, 36, 51, 52};
    for (int slot = 53; slot <= 113; ++slot)
        EXPECT_EQ(&g_UnitStats[39 + (slot < 85 ? slot - 53 : later[slot - 85])], GetGlobalHint(slot)->lines[1].record);

    // Another language: new texts, the same hotkeys.
    LoadTexts("HH_STOP_H,\"Halt\"\nHH_STOP_D,\"Anhalten\"\n");
    LoadCommandHints();
    EXPECT_EQ("\\f03\\cffffffHal\\cffff00t\\cffffff\r\\f04\\caaaaaaAnhalten", Text(1, 0));
    EXPECT_EQ(1, GetGlobalHint(1)->LineCount());

    FreeGlobalHints(), g_Localizer.Clear();
    delete[] std::exchange(g_UnitStats, savedRecords);
}
