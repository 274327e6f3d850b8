#pragma once

#include <SDL2/SDL.h>

#include <cstring>
#include <vector>

#include "platform/SysMessageQueue.h"
#include "platform/sdl/SysWindowEvents.h"

namespace window_test
{
// The wheel's wParam: notches of 120 in the high word.
inline uint32_t WheelParam(int delta) { return uint32_t(uint16_t(int16_t(delta))) << 16; }

inline SDL_Event Key(Uint32 type, SDL_Scancode scancode, SDL_Keycode symbol, Uint16 modifiers = KMOD_NONE,
                     Uint8 repeat = 0)
{
    const Uint8 state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
    return {.key = {type, 0, 0, state, repeat, 0, 0, {scancode, symbol, modifiers, 0}}};
}

inline SDL_Event Text(const char* utf8)
{
    SDL_Event event{};
    event.type = SDL_TEXTINPUT;
    std::strncpy(event.text.text, utf8, sizeof event.text.text - 1);
    return event;
}

inline SDL_Event Motion(int x, int y, Uint32 buttons = 0)
{
    return {.motion = {SDL_MOUSEMOTION, 0, 0, 0, buttons, x, y, 0, 0}};
}

inline SDL_Event Button(Uint32 type, Uint8 button, int x, int y)
{
    const Uint8 state = type == SDL_MOUSEBUTTONDOWN ? SDL_PRESSED : SDL_RELEASED;
    return {.button = {type, 0, 0, 0, button, state, 1, 0, x, y}};
}

inline SDL_Event Wheel(int notches, Uint32 direction = SDL_MOUSEWHEEL_NORMAL)
{
    SDL_Event event{};
    event.type = SDL_MOUSEWHEEL, event.wheel.y = notches, event.wheel.direction = direction;
    return event;
}

inline SDL_Event WindowEvent(Uint8 what) { return {.window = {SDL_WINDOWEVENT, 0, 0, what, 0, 0, 0, 0, 0}}; }

class Translation
{
public:
    Translation& operator<<(const SDL_Event& event) { events.Translate(event); return *this; }

    std::vector<SysMessage> Messages()
    {
        std::vector<SysMessage> taken;
        SysMessage message;
        while (queue.Take(message)) taken.push_back(message);
        return taken;
    }

private:
    SysMessageQueue queue;
    SysWindowEvents events{queue};
};
}  // namespace window_test
