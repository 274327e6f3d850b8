#include <gtest/gtest.h>

#include "core/C_D3D8Game.h"
#include "tests/core/Ctrl_TestDoubles.h"

using namespace ctrl_test;

namespace
{
// A controller that uses its state while it initialises, as screens do.
class StatefulCtrl : public RecordingCtrl
{
public:
    using RecordingCtrl::RecordingCtrl;

    void Init() override
    {
        RecordingCtrl::Init();
        state = 42;
    }
};

class D3D8GameFrame : public ::testing::Test
{
protected:
    Journal journal;
    RecordingCtrl first{journal, "first"};
    StatefulCtrl second{journal, "second"};
    CD3D8Game game{&first};
};
}  // namespace

TEST_F(D3D8GameFrame, ControllerThatStaysCurrentIsNotSwitched)
{
    game.Frame();
    game.Frame();
    EXPECT_EQ((Journal{"first.Run1Frame", "first.Run1Frame"}), journal);
    EXPECT_EQ(&first, game.controller);
}

TEST_F(D3D8GameFrame, SwitchReleasesTheOldThenStartsTheNewWithStateZero)
{
    first.next = &second;
    second.state = 9;
    game.Frame();
    const Journal expected = {"first.Run1Frame", "first.Release", "second.Init",
                              "second.onSetCustomRenderStates"};
    EXPECT_EQ(expected, journal);
    EXPECT_EQ(&second, game.controller);
    EXPECT_EQ(0, second.state);

    journal.clear();
    game.Frame();
    EXPECT_EQ(Journal{"second.Run1Frame"}, journal);
}

TEST_F(D3D8GameFrame, FormStackSurvivesTheSwitch)
{
    RecordingForm form(journal, "form");
    second.OpenForm(&form);
    first.next = &second;
    game.Frame();
    EXPECT_EQ(1, second.formCount);
}

TEST_F(D3D8GameFrame, NullResultReleasesAndTheNextFrameQuits)
{
    first.next = nullptr;
    game.Frame();
    EXPECT_EQ((Journal{"first.Run1Frame", "first.Release"}), journal);
    EXPECT_EQ(nullptr, game.controller);
    EXPECT_FALSE(game.IsQuit());
    game.Frame();
    EXPECT_TRUE(game.IsQuit());
    EXPECT_EQ(2u, journal.size());
}

TEST_F(D3D8GameFrame, FirstControllerIsStartedByInitNotByTheFrame)
{
    game.Init();
    EXPECT_EQ(Journal{"first.Init"}, journal);
    journal.clear();
    game.Frame();
    EXPECT_EQ(Journal{"first.Run1Frame"}, journal);
    game.Shutdown();
}

TEST_F(D3D8GameFrame, DrawingBracketsNestAndAnUnmatchedEndDoesNothing)
{
    game.EndDraw();
    EXPECT_EQ(0, game.drawing);
    game.BeginDraw();
    game.BeginDraw();
    EXPECT_EQ(1, game.drawing);
    game.EndDraw();
    EXPECT_EQ(0, game.drawing);
}
