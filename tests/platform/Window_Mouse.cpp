#include <gtest/gtest.h>

#include <utility>

#include "platform/SysMessage.h"
#include "platform/SysMessageQueue.h"
#include "tests/platform/Window_TestEvents.h"

using namespace window_test;

namespace
{
SysMessage Message(uint32_t code, uint32_t wParam = 0, int32_t lParam = 0)
{
    SysMessage message;
    message.message = code;
    message.wParam = wParam;
    message.lParam = lParam;
    return message;
}

int LowWord(int32_t lParam)
{
    return lParam & 0xFFFF;
}

int SignedHighWord(uint32_t value)
{
    return static_cast<int16_t>(value >> 16);
}
}  // namespace

TEST(WindowMouse, HundredMovesWaitAsOneMoveToTheLastPosition)
{
    Translation translation;
    for (int i = 0; i < 100; ++i)
        translation << Motion(i, 2 * i);
    const std::vector<SysMessage> messages = translation.Messages();
    ASSERT_EQ(1u, messages.size());
    EXPECT_EQ(0x200u, messages[0].message);
    EXPECT_EQ(99, LowWord(messages[0].lParam));
    EXPECT_EQ(198, messages[0].lParam >> 16);
}

TEST(WindowMouse, ClicksKeepTheirPlaceBetweenMoves)
{
    Translation translation;
    translation << Motion(1, 1) << Motion(10, 10) << Button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, 10, 10)
                << Motion(20, 20, SDL_BUTTON_LMASK) << Motion(30, 30, SDL_BUTTON_LMASK);
    const std::vector<SysMessage> messages = translation.Messages();
    ASSERT_EQ(3u, messages.size());
    EXPECT_EQ(0x200u, messages[0].message);
    EXPECT_EQ(10, LowWord(messages[0].lParam));
    EXPECT_EQ(0x201u, messages[1].message);
    EXPECT_EQ(0x200u, messages[2].message);
    EXPECT_EQ(30, LowWord(messages[2].lParam));
    EXPECT_EQ(1u, messages[2].wParam);
}

TEST(WindowMouse, PositionIsXInTheLowWordAndSignedYInTheHighWord)
{
    Translation translation;
    translation << Motion(640, 479);
    translation << Button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_RIGHT, -3, -2);
    const std::vector<SysMessage> messages = translation.Messages();
    ASSERT_EQ(2u, messages.size());
    EXPECT_EQ(640 | (479 << 16), messages[0].lParam);
    // Outside the window to the upper left: x reads 65533 as an unsigned
    // word, y reads -2 with its sign.
    EXPECT_EQ(65533, LowWord(messages[1].lParam));
    EXPECT_EQ(-2, messages[1].lParam >> 16);
}

TEST(WindowMouse, ButtonMessagesAndButtonBits)
{
    Translation translation;
    translation << Button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, 5, 6)
                << Button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_RIGHT, 5, 6)
                << Button(SDL_MOUSEBUTTONUP, SDL_BUTTON_LEFT, 5, 6) << Button(SDL_MOUSEBUTTONUP, SDL_BUTTON_RIGHT, 5, 6)
                << Button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_MIDDLE, 5, 6);   // not the game's button
    std::vector<std::pair<uint32_t, uint32_t>> got;
    for (const SysMessage& message : translation.Messages())
    {
        got.emplace_back(message.message, message.wParam);
        EXPECT_EQ(5 | (6 << 16), message.lParam);
    }
    EXPECT_EQ((std::vector<std::pair<uint32_t, uint32_t>>{{0x201, 1}, {0x204, 3}, {0x202, 2}, {0x205, 0}}), got);
}

TEST(WindowMouse, ShiftAndControlBitsOfMouseMessages)
{
    Translation translation;
    translation << Key(SDL_KEYDOWN, SDL_SCANCODE_LSHIFT, SDLK_LSHIFT, KMOD_LSHIFT)
                << Key(SDL_KEYDOWN, SDL_SCANCODE_RCTRL, SDLK_RCTRL, KMOD_LSHIFT | KMOD_RCTRL) << Motion(1, 1);
    const std::vector<SysMessage> messages = translation.Messages();
    ASSERT_EQ(3u, messages.size());
    EXPECT_EQ(0x4u | 0x8u, messages[2].wParam);
}

TEST(WindowMouse, WheelNotchesAreDeltasOf120InTheHighWordAndAHugeSpinKeepsItsSign)
{
    Translation translation;
    translation << Wheel(1) << Wheel(2) << Wheel(-1) << Wheel(-3) << Wheel(1, SDL_MOUSEWHEEL_FLIPPED) << Wheel(0)
                << Wheel(1000) << Wheel(-1000);
    std::vector<int> deltas;
    for (const SysMessage& message : translation.Messages())
    {
        EXPECT_EQ(0x20Au, message.message);
        deltas.push_back(SignedHighWord(message.wParam));
    }
    EXPECT_EQ((std::vector<int>{120, 240, -120, -360, -120, 273 * 120, -273 * 120}), deltas);
}

TEST(WindowMouse, WindowEventsForFocusMinimiseAndClose)
{
    Translation translation;
    translation << WindowEvent(SDL_WINDOWEVENT_FOCUS_LOST) << WindowEvent(SDL_WINDOWEVENT_MINIMIZED)
                << WindowEvent(SDL_WINDOWEVENT_RESTORED) << WindowEvent(SDL_WINDOWEVENT_FOCUS_GAINED)
                << WindowEvent(SDL_WINDOWEVENT_CLOSE);
    std::vector<std::pair<uint32_t, uint32_t>> got;
    for (const SysMessage& message : translation.Messages())
        got.emplace_back(message.message, message.wParam);
    EXPECT_EQ((std::vector<std::pair<uint32_t, uint32_t>>{{0x1C, 0}, {0x05, 1}, {0x05, 0}, {0x1C, 1}, {0x10, 0}}),
              got);
}

TEST(WindowMouse, FocusLossForgetsHeldAlt)
{
    Translation translation;
    translation << Key(SDL_KEYDOWN, SDL_SCANCODE_LALT, SDLK_LALT, KMOD_LALT)
                << WindowEvent(SDL_WINDOWEVENT_FOCUS_LOST) << Text("q");
    const std::vector<SysMessage> messages = translation.Messages();
    ASSERT_EQ(3u, messages.size());
    EXPECT_EQ(0x102u, messages[2].message);
    EXPECT_EQ(113u, messages[2].wParam);
}

TEST(MessageQueue, CloseRequestIsQueuedOnceEvenWhenFull)
{
    SysMessageQueue queue;
    EXPECT_TRUE(queue.Post(Message(0x10)));
    EXPECT_TRUE(queue.Post(Message(0x10)));
    EXPECT_EQ(1u, queue.Count());
    queue.Clear();
    for (size_t i = 0; i < SysMessageQueue::kCapacity; ++i)
        ASSERT_TRUE(queue.Post(Message(0x100, 65)));
    EXPECT_FALSE(queue.Post(Message(0x101, 65)));
    EXPECT_TRUE(queue.Post(Message(0x10)));
    EXPECT_EQ(SysMessageQueue::kCapacity + 1, queue.Count());
}

TEST(MessageQueue, TakesInOrderAndReportsEmpty)
{
    SysMessageQueue queue;
    SysMessage taken;
    EXPECT_FALSE(queue.Take(taken));
    queue.Post(Message(0x100, 1));
    queue.Post(Message(0x102, 2));
    queue.Post(Message(0x101, 3));
    for (uint32_t expected = 1; expected <= 3; ++expected)
    {
        ASSERT_TRUE(queue.Take(taken));
        EXPECT_EQ(expected, taken.wParam);
    }
    EXPECT_FALSE(queue.Take(taken));
}
