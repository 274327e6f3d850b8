#include <gtest/gtest.h>

#include <SDL2/SDL.h>

#include <csignal>

#include "platform/SysMessage.h"
#include "platform/SysWindow.h"
#include "tests/platform/Window_TestEvents.h"

using namespace window_test;

namespace
{
constexpr int kWidth = 640;
constexpr int kHeight = 480;

// A real window on the offscreen video driver, with the messages of its own
// opening already taken.
class WindowPump : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(window.Create("Ironmarch", 0, 0, kWidth, kHeight, false)) << SysWindow::LastError();
        TakeAll();
    }

    void TearDown() override
    {
        window.Destroy();
        std::signal(SIGINT, SIG_DFL);
        std::signal(SIGTERM, SIG_DFL);
    }

    std::vector<SysMessage> TakeAll()
    {
        std::vector<SysMessage> taken;
        SysMessage message;
        while (window.PeekMessage(message))
            taken.push_back(message);
        return taken;
    }

    static void Push(SDL_Event event) { ASSERT_EQ(1, SDL_PushEvent(&event)) << SDL_GetError(); }

    SysWindow window;
};
}  // namespace

TEST_F(WindowPump, OpensABorderlessOpenGLWindowOfTheAskedSize)
{
    ASSERT_TRUE(window.IsOpen());
    SDL_Window* handle = static_cast<SDL_Window*>(window.NativeHandle());
    ASSERT_NE(nullptr, handle);
    int width = 0;
    int height = 0;
    SDL_GetWindowSize(handle, &width, &height);
    EXPECT_EQ(kWidth, width);
    EXPECT_EQ(kHeight, height);
    const Uint32 flags = SDL_GetWindowFlags(handle);
    EXPECT_NE(0u, flags & SDL_WINDOW_BORDERLESS);
    EXPECT_NE(0u, flags & SDL_WINDOW_OPENGL);
    EXPECT_FALSE(window.Create("again", 0, 0, kWidth, kHeight, false));
}

TEST_F(WindowPump, SigtermAndSigintBecomeTheCloseMessageEachTime)
{
    // The second SIGTERM checks that a taken request re-arms the handler.
    for (const int signalNumber : {SIGTERM, SIGINT, SIGTERM})
    {
        ASSERT_EQ(0, std::raise(signalNumber));
        const std::vector<SysMessage> messages = TakeAll();
        ASSERT_EQ(1u, messages.size()) << signalNumber;
        EXPECT_EQ(0x10u, messages[0].message);
    }
}

TEST_F(WindowPump, EventsOfAClosedWindowDoNotReachTheNextOne)
{
    Push(Motion(5, 5));
    window.Destroy();
    ASSERT_TRUE(window.Create("Ironmarch", 0, 0, kWidth, kHeight, false));
    for (const SysMessage& message : TakeAll())
        EXPECT_NE(0x200u, message.message);
}

TEST(WindowFullScreen, OpensFullScreenAndConfinesTheCursorOnRequest)
{
    SysWindow window;
    ASSERT_TRUE(window.Create("Ironmarch", 0, 0, kWidth, kHeight, true)) << SysWindow::LastError();
    EXPECT_TRUE(window.IsFullScreen());
    SDL_Window* handle = static_cast<SDL_Window*>(window.NativeHandle());
    EXPECT_NE(0u, SDL_GetWindowFlags(handle) & SDL_WINDOW_FULLSCREEN);
    // Without input focus (there is none offscreen) the grab is only asked
    // for; it takes hold when the window gets the focus.
    window.ConfineCursor(true);
    EXPECT_NE(0u, SDL_GetWindowFlags(handle) & SDL_WINDOW_MOUSE_GRABBED);
    window.ConfineCursor(false);
    EXPECT_EQ(0u, SDL_GetWindowFlags(handle) & SDL_WINDOW_MOUSE_GRABBED);
}
