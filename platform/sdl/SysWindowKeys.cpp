#include "platform/sdl/SysWindowKeys.h"

#include "platform/SysVirtualKey.h"

namespace
{
namespace VK = SysVirtualKey;

uint32_t LetterOf(const SDL_Keysym& key)
{
    if (key.sym >= SDLK_a && key.sym <= SDLK_z)
        return VK::LetterA + static_cast<uint32_t>(key.sym - SDLK_a);
    // A layout without Latin letters (Cyrillic) keeps the letters where a US
    // keyboard has them.
    constexpr SDL_Keycode kFirstNonAscii = 128;
    const bool latinLayoutKey = key.sym != SDLK_UNKNOWN && key.sym < kFirstNonAscii;
    if (!latinLayoutKey && key.scancode >= SDL_SCANCODE_A && key.scancode <= SDL_SCANCODE_Z)
        return VK::LetterA + static_cast<uint32_t>(key.scancode - SDL_SCANCODE_A);
    return 0;
}

uint32_t DigitOf(SDL_Scancode scancode)
{
    // The digit row runs 1 to 9, then 0.
    if (scancode >= SDL_SCANCODE_1 && scancode <= SDL_SCANCODE_9)
        return VK::Digit0 + 1 + static_cast<uint32_t>(scancode - SDL_SCANCODE_1);
    if (scancode == SDL_SCANCODE_0)
        return VK::Digit0;
    return 0;
}

uint32_t FunctionKeyOf(SDL_Scancode scancode)
{
    if (scancode >= SDL_SCANCODE_F1 && scancode <= SDL_SCANCODE_F12)
        return VK::F1 + static_cast<uint32_t>(scancode - SDL_SCANCODE_F1);
    constexpr uint32_t kF13 = VK::F1 + 12;
    if (scancode >= SDL_SCANCODE_F13 && scancode <= SDL_SCANCODE_F24)
        return kF13 + static_cast<uint32_t>(scancode - SDL_SCANCODE_F13);
    return 0;
}

// The keypad digits and point: numbers with Num Lock, movement keys without.
uint32_t KeypadDigitOf(SDL_Scancode scancode, bool numLock)
{
    struct KeypadKey
    {
        SDL_Scancode scancode;
        uint32_t withNumLock;
        uint32_t withoutNumLock;
    };
    static constexpr KeypadKey kKeypad[] = {
        {SDL_SCANCODE_KP_0, VK::Numpad0 + 0, VK::Insert},
        {SDL_SCANCODE_KP_1, VK::Numpad0 + 1, VK::End},
        {SDL_SCANCODE_KP_2, VK::Numpad0 + 2, VK::Down},
        {SDL_SCANCODE_KP_3, VK::Numpad0 + 3, VK::PageDown},
        {SDL_SCANCODE_KP_4, VK::Numpad0 + 4, VK::Left},
        {SDL_SCANCODE_KP_5, VK::Numpad0 + 5, VK::Clear},
        {SDL_SCANCODE_KP_6, VK::Numpad0 + 6, VK::Right},
        {SDL_SCANCODE_KP_7, VK::Numpad0 + 7, VK::Home},
        {SDL_SCANCODE_KP_8, VK::Numpad0 + 8, VK::Up},
        {SDL_SCANCODE_KP_9, VK::Numpad0 + 9, VK::PageUp},
        {SDL_SCANCODE_KP_PERIOD, VK::NumpadDecimal, VK::Delete},
    };
    for (const KeypadKey& key : kKeypad)
    {
        if (key.scancode == scancode)
            return numLock ? key.withNumLock : key.withoutNumLock;
    }
    return 0;
}

uint32_t OtherKeyOf(SDL_Scancode scancode)
{
    struct OtherKey
    {
        SDL_Scancode scancode;
        uint32_t virtualKey;
    };
    static constexpr OtherKey kOtherKeys[] = {
        {SDL_SCANCODE_BACKSPACE, VK::Backspace},
        {SDL_SCANCODE_TAB, VK::Tab},
        {SDL_SCANCODE_RETURN, VK::Enter},
        {SDL_SCANCODE_KP_ENTER, VK::Enter},
        {SDL_SCANCODE_LSHIFT, VK::Shift},
        {SDL_SCANCODE_RSHIFT, VK::Shift},
        {SDL_SCANCODE_LCTRL, VK::Control},
        {SDL_SCANCODE_RCTRL, VK::Control},
        {SDL_SCANCODE_LALT, VK::Alt},
        {SDL_SCANCODE_RALT, VK::Alt},
        {SDL_SCANCODE_PAUSE, VK::Pause},
        {SDL_SCANCODE_CAPSLOCK, VK::CapsLock},
        {SDL_SCANCODE_ESCAPE, VK::Escape},
        {SDL_SCANCODE_SPACE, VK::Space},
        {SDL_SCANCODE_PAGEUP, VK::PageUp},
        {SDL_SCANCODE_PAGEDOWN, VK::PageDown},
        {SDL_SCANCODE_END, VK::End},
        {SDL_SCANCODE_HOME, VK::Home},
        {SDL_SCANCODE_LEFT, VK::Left},
        {SDL_SCANCODE_UP, VK::Up},
        {SDL_SCANCODE_RIGHT, VK::Right},
        {SDL_SCANCODE_DOWN, VK::Down},
        {SDL_SCANCODE_PRINTSCREEN, VK::PrintScreen},
        {SDL_SCANCODE_INSERT, VK::Insert},
        {SDL_SCANCODE_DELETE, VK::Delete},
        {SDL_SCANCODE_LGUI, VK::LeftSystem},
        {SDL_SCANCODE_RGUI, VK::RightSystem},
        {SDL_SCANCODE_APPLICATION, VK::Application},
        {SDL_SCANCODE_KP_MULTIPLY, VK::NumpadMultiply},
        {SDL_SCANCODE_KP_PLUS, VK::NumpadAdd},
        {SDL_SCANCODE_KP_MINUS, VK::NumpadSubtract},
        {SDL_SCANCODE_KP_DIVIDE, VK::NumpadDivide},
        {SDL_SCANCODE_NUMLOCKCLEAR, VK::NumLock},
        {SDL_SCANCODE_SCROLLLOCK, VK::ScrollLock},
        {SDL_SCANCODE_SEMICOLON, VK::Semicolon},
        {SDL_SCANCODE_EQUALS, VK::Equals},
        {SDL_SCANCODE_COMMA, VK::Comma},
        {SDL_SCANCODE_MINUS, VK::Minus},
        {SDL_SCANCODE_PERIOD, VK::Period},
        {SDL_SCANCODE_SLASH, VK::Slash},
        {SDL_SCANCODE_GRAVE, VK::Grave},
        {SDL_SCANCODE_LEFTBRACKET, VK::LeftBracket},
        {SDL_SCANCODE_BACKSLASH, VK::Backslash},
        {SDL_SCANCODE_RIGHTBRACKET, VK::RightBracket},
        {SDL_SCANCODE_APOSTROPHE, VK::Apostrophe},
        {SDL_SCANCODE_NONUSBACKSLASH, VK::NonUsBackslash},
    };
    for (const OtherKey& key : kOtherKeys)
    {
        if (key.scancode == scancode)
            return key.virtualKey;
    }
    return 0;
}
}  // namespace

uint32_t SysWindowKeys::VirtualKeyOf(const SDL_Keysym& key)
{
    // Letters first: a layout may put a letter on a punctuation position
    // (the M of a French keyboard), and the letter is what the game binds.
    if (const uint32_t letter = LetterOf(key))
        return letter;
    if (const uint32_t digit = DigitOf(key.scancode))
        return digit;
    if (const uint32_t function = FunctionKeyOf(key.scancode))
        return function;
    if (const uint32_t keypad = KeypadDigitOf(key.scancode, (key.mod & KMOD_NUM) != 0))
        return keypad;
    return OtherKeyOf(key.scancode);
}
