#pragma once

// SDL events as the system would deliver them, and a translator that collects
// the window messages they turn into.

#include <SDL2/SDL.h>

#include <cstring>
#include <vector>

#include "platform/SysMessageQueue.h"
#include "platform/sdl/SysWindowEvents.h"

namespace window_test
{
inline SDL_Event Key(Uint32 type, SDL_Scancode scancode, SDL_Keycode symbol, Uint16 modifiers = KMOD_NONE,
                     Uint8 repeat = 0)
{
    SDL_Event event{};
    event.key.type = type;
    event.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
    event.key.repeat = repeat;
    event.key.keysym.scancode = scancode;
    event.key.keysym.sym = symbol;
    event.key.keysym.mod = modifiers;
    return event;
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
    SDL_Event event{};
    event.motion = {SDL_MOUSEMOTION, 0, 0, 0, buttons, x, y, 0, 0};
    return event;
}

inline SDL_Event Button(Uint32 type, Uint8 button, int x, int y)
{
    SDL_Event event{};
    event.button.type = type;
    event.button.button = button;
    event.button.state = type == SDL_MOUSEBUTTONDOWN ? SDL_PRESSED : SDL_RELEASED;
    event.button.clicks = 1;
    event.button.x = x;
    event.button.y = y;
    return event;
}

inline SDL_Event Wheel(int notches, Uint32 direction = SDL_MOUSEWHEEL_NORMAL)
{
    SDL_Event event{};
    event.type = SDL_MOUSEWHEEL;
    event.wheel.y = notches;
    event.wheel.direction = direction;
    return event;
}

inline SDL_Event WindowEvent(Uint8 what)
{
    SDL_Event event{};
    event.type = SDL_WINDOWEVENT;
    event.window.event = what;
    return event;
}

// Feeds events through a translator and hands back every message, oldest
// first.
class Translation
{
public:
    Translation& operator<<(const SDL_Event& event)
    {
        events.Translate(event);
        return *this;
    }

    std::vector<SysMessage> Messages()
    {
        std::vector<SysMessage> taken;
        SysMessage message;
        while (queue.Take(message))
            taken.push_back(message);
        return taken;
    }

private:
    SysMessageQueue queue;
    SysWindowEvents events{queue};
};
}  // namespace window_test
