#pragma once

#include <SDL2/SDL_keyboard.h>

#include <cstdint>

// SDL key to virtual-key code.
class SysWindowKeys
{
public:
    // The generic virtual-key code (SysVirtualKey.h) of a key, or 0 for a key
    // that has none.  Letters follow the keyboard layout where it gives a
    // Latin letter and the key's position where it gives none (Cyrillic);
    // digits and punctuation follow the position; the keypad follows
    // Num Lock in `key.mod`.
    static uint32_t VirtualKeyOf(const SDL_Keysym& key);
};
