#include <gtest/gtest.h>

#include <tuple>

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

TEST(WindowKeys, EachKeyGivesItsVirtualKeyCodeWhateverTheLayout)
{
    const struct
    {
        SDL_Scancode scancode;
        SDL_Keycode symbol;
        Uint16 modifiers;
        uint32_t code;
    } keys[] = {
        {SDL_SCANCODE_LSHIFT, SDLK_LSHIFT, KMOD_LSHIFT, 16}, {SDL_SCANCODE_RSHIFT, SDLK_RSHIFT, KMOD_RSHIFT, 16},
        {SDL_SCANCODE_LCTRL, SDLK_LCTRL, KMOD_LCTRL, 17},    {SDL_SCANCODE_RCTRL, SDLK_RCTRL, KMOD_RCTRL, 17},
        {SDL_SCANCODE_A, SDLK_a, KMOD_NONE, 65},             {SDL_SCANCODE_Z, SDLK_z, KMOD_NONE, 90},
        {SDL_SCANCODE_Q, SDLK_q, KMOD_LSHIFT, 81},           // shift does not change the code
        {SDL_SCANCODE_Y, SDLK_z, KMOD_NONE, 90},             // German layout: Z where US has Y
        {SDL_SCANCODE_F, 0x0430, KMOD_NONE, 70},             // Russian layout: Cyrillic a on F
        {SDL_SCANCODE_0, SDLK_0, KMOD_NONE, 48},             {SDL_SCANCODE_9, SDLK_9, KMOD_NONE, 57},
        {SDL_SCANCODE_1, SDLK_AMPERSAND, KMOD_NONE, 49},     // French layout types & on 1
        {SDL_SCANCODE_F1, SDLK_F1, KMOD_NONE, 112},          {SDL_SCANCODE_F12, SDLK_F12, KMOD_NONE, 123},
        {SDL_SCANCODE_LEFT, SDLK_LEFT, KMOD_NONE, 37},       {SDL_SCANCODE_DOWN, SDLK_DOWN, KMOD_NONE, 40},
        {SDL_SCANCODE_BACKSPACE, SDLK_BACKSPACE, KMOD_NONE, 8}, {SDL_SCANCODE_TAB, SDLK_TAB, KMOD_NONE, 9},
        {SDL_SCANCODE_RETURN, SDLK_RETURN, KMOD_NONE, 13},   {SDL_SCANCODE_KP_ENTER, SDLK_KP_ENTER, KMOD_NONE, 13},
        {SDL_SCANCODE_ESCAPE, SDLK_ESCAPE, KMOD_NONE, 27},   {SDL_SCANCODE_SPACE, SDLK_SPACE, KMOD_NONE, 32},
        {SDL_SCANCODE_PAGEUP, SDLK_PAGEUP, KMOD_NONE, 33},   {SDL_SCANCODE_HOME, SDLK_HOME, KMOD_NONE, 36},
        {SDL_SCANCODE_INSERT, SDLK_INSERT, KMOD_NONE, 45},   {SDL_SCANCODE_DELETE, SDLK_DELETE, KMOD_NONE, 46},
        {SDL_SCANCODE_KP_0, SDLK_KP_0, KMOD_NUM, 96},        {SDL_SCANCODE_KP_7, SDLK_KP_7, KMOD_NUM, 103},
        {SDL_SCANCODE_KP_PERIOD, SDLK_KP_PERIOD, KMOD_NUM, 110}, {SDL_SCANCODE_KP_7, SDLK_KP_7, KMOD_NONE, 36},
        {SDL_SCANCODE_KP_2, SDLK_KP_2, KMOD_NONE, 40},       {SDL_SCANCODE_KP_5, SDLK_KP_5, KMOD_NONE, 12},
        {SDL_SCANCODE_KP_PERIOD, SDLK_KP_PERIOD, KMOD_NONE, 46},
        {SDL_SCANCODE_KP_MULTIPLY, SDLK_KP_MULTIPLY, KMOD_NONE, 106},
        {SDL_SCANCODE_KP_MINUS, SDLK_KP_MINUS, KMOD_NONE, 109}, {SDL_SCANCODE_KP_DIVIDE, SDLK_KP_DIVIDE, KMOD_NONE, 111},
    };
    for (const auto& key : keys)
        EXPECT_EQ(key.code, CodeOf(key.scancode, key.symbol, key.modifiers)) << "scancode " << key.scancode;
}

TEST(WindowKeys, BothAltKeysAreEighteenAsSystemKeys)
{
    for (const auto& [scancode, symbol, modifier] :
         {std::tuple{SDL_SCANCODE_LALT, SDLK_LALT, KMOD_LALT}, std::tuple{SDL_SCANCODE_RALT, SDLK_RALT, KMOD_RALT}})
    {
        const SysMessage press = PressOf(scancode, symbol, modifier);
        EXPECT_EQ(0x104u, press.message);
        EXPECT_EQ(18u, press.wParam);
    }
    Translation translation;
    translation << Key(SDL_KEYUP, SDL_SCANCODE_LALT, SDLK_LALT, KMOD_NONE);
    const std::vector<SysMessage> release = translation.Messages();
    ASSERT_EQ(1u, release.size());
    EXPECT_EQ(0x105u, release[0].message);
    EXPECT_EQ(18u, release[0].wParam);
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
