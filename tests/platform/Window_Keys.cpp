#include <gtest/gtest.h>

#include "platform/SysMessage.h"
#include "tests/platform/Window_TestEvents.h"

using namespace window_test;

namespace
{
// The one key-down message of a press, without the characters it may type.
SysMessage PressOf(SDL_Scancode scancode, SDL_Keycode symbol, Uint16 modifiers = KMOD_NONE)
{
    Translation translation;
    translation << Key(SDL_KEYDOWN, scancode, symbol, modifiers);
    const std::vector<SysMessage> messages = translation.Messages();
    EXPECT_FALSE(messages.empty());
    return messages.empty() ? SysMessage() : messages.front();
}

uint32_t CodeOf(SDL_Scancode scancode, SDL_Keycode symbol, Uint16 modifiers = KMOD_NONE)
{
    return PressOf(scancode, symbol, modifiers).wParam;
}

std::vector<uint32_t> CodesOf(const std::vector<SysMessage>& messages)
{
    std::vector<uint32_t> codes;
    for (const SysMessage& message : messages)
        codes.push_back(message.message);
    return codes;
}
}  // namespace

TEST(WindowKeys, BothShiftKeysAreSixteenAndBothControlKeysSeventeen)
{
    EXPECT_EQ(16u, CodeOf(SDL_SCANCODE_LSHIFT, SDLK_LSHIFT, KMOD_LSHIFT));
    EXPECT_EQ(16u, CodeOf(SDL_SCANCODE_RSHIFT, SDLK_RSHIFT, KMOD_RSHIFT));
    EXPECT_EQ(17u, CodeOf(SDL_SCANCODE_LCTRL, SDLK_LCTRL, KMOD_LCTRL));
    EXPECT_EQ(17u, CodeOf(SDL_SCANCODE_RCTRL, SDLK_RCTRL, KMOD_RCTRL));
}

TEST(WindowKeys, BothAltKeysAreEighteenAsSystemKeys)
{
    const SysMessage left = PressOf(SDL_SCANCODE_LALT, SDLK_LALT, KMOD_LALT);
    EXPECT_EQ(0x104u, left.message);
    EXPECT_EQ(18u, left.wParam);
    const SysMessage right = PressOf(SDL_SCANCODE_RALT, SDLK_RALT, KMOD_RALT);
    EXPECT_EQ(0x104u, right.message);
    EXPECT_EQ(18u, right.wParam);

    Translation translation;
    translation << Key(SDL_KEYUP, SDL_SCANCODE_LALT, SDLK_LALT, KMOD_NONE);
    const std::vector<SysMessage> release = translation.Messages();
    ASSERT_EQ(1u, release.size());
    EXPECT_EQ(0x105u, release[0].message);
    EXPECT_EQ(18u, release[0].wParam);
}

TEST(WindowKeys, LettersAreTheirCapitalCodeInEveryLayout)
{
    EXPECT_EQ(65u, CodeOf(SDL_SCANCODE_A, SDLK_a));
    EXPECT_EQ(90u, CodeOf(SDL_SCANCODE_Z, SDLK_z));
    // Shift does not change the code.
    EXPECT_EQ(81u, CodeOf(SDL_SCANCODE_Q, SDLK_q, KMOD_LSHIFT));
    // A German layout: the key where a US keyboard has Y types Z.
    EXPECT_EQ(90u, CodeOf(SDL_SCANCODE_Y, SDLK_z));
    // A Russian layout: the key of US F types the Cyrillic a (U+0430).
    EXPECT_EQ(70u, CodeOf(SDL_SCANCODE_F, 0x0430));
}

TEST(WindowKeys, DigitsFunctionKeysAndArrows)
{
    EXPECT_EQ(48u, CodeOf(SDL_SCANCODE_0, SDLK_0));
    EXPECT_EQ(49u, CodeOf(SDL_SCANCODE_1, SDLK_1));
    EXPECT_EQ(57u, CodeOf(SDL_SCANCODE_9, SDLK_9));
    // A French layout types & on the 1 key; the code is still that of 1.
    EXPECT_EQ(49u, CodeOf(SDL_SCANCODE_1, SDLK_AMPERSAND));
    EXPECT_EQ(112u, CodeOf(SDL_SCANCODE_F1, SDLK_F1));
    EXPECT_EQ(122u, CodeOf(SDL_SCANCODE_F11, SDLK_F11));
    EXPECT_EQ(123u, CodeOf(SDL_SCANCODE_F12, SDLK_F12));
    EXPECT_EQ(37u, CodeOf(SDL_SCANCODE_LEFT, SDLK_LEFT));
    EXPECT_EQ(38u, CodeOf(SDL_SCANCODE_UP, SDLK_UP));
    EXPECT_EQ(39u, CodeOf(SDL_SCANCODE_RIGHT, SDLK_RIGHT));
    EXPECT_EQ(40u, CodeOf(SDL_SCANCODE_DOWN, SDLK_DOWN));
}

TEST(WindowKeys, EditingAndNavigationKeys)
{
    EXPECT_EQ(8u, CodeOf(SDL_SCANCODE_BACKSPACE, SDLK_BACKSPACE));
    EXPECT_EQ(9u, CodeOf(SDL_SCANCODE_TAB, SDLK_TAB));
    EXPECT_EQ(13u, CodeOf(SDL_SCANCODE_RETURN, SDLK_RETURN));
    EXPECT_EQ(13u, CodeOf(SDL_SCANCODE_KP_ENTER, SDLK_KP_ENTER));
    EXPECT_EQ(27u, CodeOf(SDL_SCANCODE_ESCAPE, SDLK_ESCAPE));
    EXPECT_EQ(32u, CodeOf(SDL_SCANCODE_SPACE, SDLK_SPACE));
    EXPECT_EQ(33u, CodeOf(SDL_SCANCODE_PAGEUP, SDLK_PAGEUP));
    EXPECT_EQ(34u, CodeOf(SDL_SCANCODE_PAGEDOWN, SDLK_PAGEDOWN));
    EXPECT_EQ(35u, CodeOf(SDL_SCANCODE_END, SDLK_END));
    EXPECT_EQ(36u, CodeOf(SDL_SCANCODE_HOME, SDLK_HOME));
    EXPECT_EQ(45u, CodeOf(SDL_SCANCODE_INSERT, SDLK_INSERT));
    EXPECT_EQ(46u, CodeOf(SDL_SCANCODE_DELETE, SDLK_DELETE));
}

TEST(WindowKeys, KeypadFollowsNumLock)
{
    EXPECT_EQ(96u, CodeOf(SDL_SCANCODE_KP_0, SDLK_KP_0, KMOD_NUM));
    EXPECT_EQ(103u, CodeOf(SDL_SCANCODE_KP_7, SDLK_KP_7, KMOD_NUM));
    EXPECT_EQ(110u, CodeOf(SDL_SCANCODE_KP_PERIOD, SDLK_KP_PERIOD, KMOD_NUM));
    EXPECT_EQ(36u, CodeOf(SDL_SCANCODE_KP_7, SDLK_KP_7));
    EXPECT_EQ(40u, CodeOf(SDL_SCANCODE_KP_2, SDLK_KP_2));
    EXPECT_EQ(12u, CodeOf(SDL_SCANCODE_KP_5, SDLK_KP_5));
    EXPECT_EQ(46u, CodeOf(SDL_SCANCODE_KP_PERIOD, SDLK_KP_PERIOD));
    EXPECT_EQ(106u, CodeOf(SDL_SCANCODE_KP_MULTIPLY, SDLK_KP_MULTIPLY));
    EXPECT_EQ(107u, CodeOf(SDL_SCANCODE_KP_PLUS, SDLK_KP_PLUS));
    EXPECT_EQ(109u, CodeOf(SDL_SCANCODE_KP_MINUS, SDLK_KP_MINUS));
    EXPECT_EQ(111u, CodeOf(SDL_SCANCODE_KP_DIVIDE, SDLK_KP_DIVIDE));
}

TEST(WindowKeys, KeysWhileAltIsHeldAndF10AreSystemKeys)
{
    EXPECT_EQ(0x100u, PressOf(SDL_SCANCODE_X, SDLK_x).message);
    const SysMessage altX = PressOf(SDL_SCANCODE_X, SDLK_x, KMOD_LALT);
    EXPECT_EQ(0x104u, altX.message);
    EXPECT_EQ(88u, altX.wParam);
    EXPECT_NE(0, altX.lParam & (1 << 29));
    EXPECT_EQ(0x104u, PressOf(SDL_SCANCODE_F10, SDLK_F10).message);
    EXPECT_EQ(121u, PressOf(SDL_SCANCODE_F10, SDLK_F10).wParam);
}

TEST(WindowKeys, ReleaseAndRepeatFlags)
{
    Translation translation;
    translation << Key(SDL_KEYDOWN, SDL_SCANCODE_A, SDLK_a) << Key(SDL_KEYDOWN, SDL_SCANCODE_A, SDLK_a, KMOD_NONE, 1)
                << Key(SDL_KEYUP, SDL_SCANCODE_A, SDLK_a);
    const std::vector<SysMessage> messages = translation.Messages();
    ASSERT_EQ(3u, messages.size());
    EXPECT_EQ(0x100u, messages[0].message);
    EXPECT_EQ(0x00000001, messages[0].lParam);
    EXPECT_EQ(0x100u, messages[1].message);
    EXPECT_EQ(0x40000001, messages[1].lParam);
    EXPECT_EQ(0x101u, messages[2].message);
    EXPECT_EQ(65u, messages[2].wParam);
    EXPECT_EQ(static_cast<int32_t>(0xC0000001u), messages[2].lParam);
}

TEST(WindowKeys, BackspaceTabEnterEscapeTypeTheirCharacterAfterTheKey)
{
    const struct
    {
        SDL_Scancode scancode;
        SDL_Keycode symbol;
        uint32_t character;
    } keys[] = {{SDL_SCANCODE_BACKSPACE, SDLK_BACKSPACE, 8},
                {SDL_SCANCODE_TAB, SDLK_TAB, 9},
                {SDL_SCANCODE_RETURN, SDLK_RETURN, 13},
                {SDL_SCANCODE_KP_ENTER, SDLK_KP_ENTER, 13},
                {SDL_SCANCODE_ESCAPE, SDLK_ESCAPE, 27}};
    for (const auto& key : keys)
    {
        Translation translation;
        translation << Key(SDL_KEYDOWN, key.scancode, key.symbol) << Key(SDL_KEYUP, key.scancode, key.symbol);
        const std::vector<SysMessage> messages = translation.Messages();
        ASSERT_EQ(3u, messages.size()) << key.character;
        EXPECT_EQ((std::vector<uint32_t>{0x100, 0x102, 0x101}), CodesOf(messages));
        EXPECT_EQ(key.character, messages[1].wParam);
    }
}

TEST(WindowKeys, AutoRepeatRepeatsKeyDownAndCharacter)
{
    Translation translation;
    translation << Key(SDL_KEYDOWN, SDL_SCANCODE_BACKSPACE, SDLK_BACKSPACE)
                << Key(SDL_KEYDOWN, SDL_SCANCODE_BACKSPACE, SDLK_BACKSPACE, KMOD_NONE, 1)
                << Key(SDL_KEYDOWN, SDL_SCANCODE_BACKSPACE, SDLK_BACKSPACE, KMOD_NONE, 1);
    EXPECT_EQ((std::vector<uint32_t>{0x100, 0x102, 0x100, 0x102, 0x100, 0x102}), CodesOf(translation.Messages()));

    Translation typing;
    typing << Key(SDL_KEYDOWN, SDL_SCANCODE_A, SDLK_a) << Text("a")
           << Key(SDL_KEYDOWN, SDL_SCANCODE_A, SDLK_a, KMOD_NONE, 1) << Text("a");
    const std::vector<SysMessage> messages = typing.Messages();
    EXPECT_EQ((std::vector<uint32_t>{0x100, 0x102, 0x100, 0x102}), CodesOf(messages));
    EXPECT_EQ(97u, messages[3].wParam);
}

TEST(WindowKeys, AltOrControlCombinationsTypeNoCharacter)
{
    Translation translation;
    translation << Key(SDL_KEYDOWN, SDL_SCANCODE_LALT, SDLK_LALT, KMOD_LALT)
                << Key(SDL_KEYDOWN, SDL_SCANCODE_RETURN, SDLK_RETURN, KMOD_LALT) << Text("x")
                << Key(SDL_KEYDOWN, SDL_SCANCODE_LCTRL, SDLK_LCTRL, KMOD_LCTRL)
                << Key(SDL_KEYDOWN, SDL_SCANCODE_BACKSPACE, SDLK_BACKSPACE, KMOD_LCTRL);
    EXPECT_EQ((std::vector<uint32_t>{0x104, 0x104, 0x100, 0x100}), CodesOf(translation.Messages()));
}

TEST(WindowKeys, KeysWithoutACodeSendNothing)
{
    Translation translation;
    translation << Key(SDL_KEYDOWN, SDL_SCANCODE_AUDIOPLAY, SDLK_AUDIOPLAY);
    EXPECT_TRUE(translation.Messages().empty());
}
