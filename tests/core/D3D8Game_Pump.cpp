#include <gtest/gtest.h>

#include <SDL2/SDL.h>

#include <csignal>
#include <cstring>

#include "core/C_D3D8Game.h"
#include "tests/core/Ctrl_TestDoubles.h"

using namespace ctrl_test;

namespace
{
SDL_Event KeyDown(SDL_Scancode scancode, SDL_Keycode symbol)
{
    SDL_Event event;
    std::memset(&event, 0, sizeof event);
    event.type = SDL_KEYDOWN;
    event.key.type = SDL_KEYDOWN;
    event.key.state = SDL_PRESSED;
    event.key.keysym.scancode = scancode;
    event.key.keysym.sym = symbol;
    return event;
}

SDL_Event ButtonDown(Uint8 button, int x, int y)
{
    SDL_Event event;
    std::memset(&event, 0, sizeof event);
    event.type = SDL_MOUSEBUTTONDOWN;
    event.button.type = SDL_MOUSEBUTTONDOWN;
    event.button.button = button;
    event.button.state = SDL_PRESSED;
    event.button.clicks = 1;
    event.button.x = x;
    event.button.y = y;
    return event;
}

// The application object on a real window of the offscreen video driver,
// fed with events as the system would deliver them.
class D3D8GamePump : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(game.window.Create("Ironmarch", 0, 0, 640, 480, false)) << SysWindow::LastError();
        // Whatever the opening of the window produced is not part of a test.
        for (int i = 0; i < 20; ++i)
            game.PumpMessages();
        journal.clear();
    }

    void TearDown() override
    {
        game.window.Destroy();
        std::signal(SIGINT, SIG_DFL);
        std::signal(SIGTERM, SIG_DFL);
    }

    static void Push(SDL_Event event) { ASSERT_EQ(1, SDL_PushEvent(&event)) << SDL_GetError(); }

    int CountCalls(const std::string& call) const
    {
        int count = 0;
        for (const std::string& entry : journal)
            count += entry == call ? 1 : 0;
        return count;
    }

    Journal journal;
    RecordingCtrl ctrl{journal, "ctrl"};
    CD3D8Game game{&ctrl};
};
}  // namespace

TEST_F(D3D8GamePump, BurstOfKeyboardMessagesIsHandledInOnePass)
{
    for (int i = 0; i < 10; ++i)
        Push(KeyDown(SDL_SCANCODE_A, SDLK_a));
    game.PumpMessages();
    EXPECT_EQ(10, CountCalls("ctrl.onKeyDown(65)"));
    EXPECT_EQ(1, game.keys['A']);
}

TEST_F(D3D8GamePump, OtherMessagesAreHandledOnePerPass)
{
    Push(ButtonDown(SDL_BUTTON_LEFT, 10, 10));
    Push(ButtonDown(SDL_BUTTON_RIGHT, 10, 10));
    game.PumpMessages();
    EXPECT_EQ(1, CountCalls("ctrl.onMouseDown(1)"));
    EXPECT_EQ(0, CountCalls("ctrl.onMouseDown(2)"));
    game.PumpMessages();
    EXPECT_EQ(1, CountCalls("ctrl.onMouseDown(2)"));
}

TEST_F(D3D8GamePump, TerminationSignalEndsTheLoopInOrder)
{
    std::raise(SIGTERM);
    for (int i = 0; i < 5 && !game.IsQuit(); ++i)
        game.PumpMessages();
    EXPECT_TRUE(game.IsQuit());
    EXPECT_EQ(nullptr, game.controller);
    EXPECT_EQ(1, CountCalls("ctrl.Release"));
}
