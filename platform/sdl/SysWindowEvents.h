#pragma once

#include <SDL2/SDL_events.h>

#include <cstdint>

class SysMessageQueue;

// Turns SDL events into window messages (SysMessage.h) and posts them to a
// queue.  It keeps the little state the messages need: the modifier keys and
// mouse buttons last reported, and the last mouse position.  Every event is
// taken from its own fields, so events pushed by tests translate exactly like
// real ones.  Main thread only.
class SysWindowEvents
{
public:
    explicit SysWindowEvents(SysMessageQueue& queue);

    void Translate(const SDL_Event& event);

    int MouseX() const { return mouseX; }
    int MouseY() const { return mouseY; }

private:
    void TranslateKey(const SDL_KeyboardEvent& key);
    void TranslateText(const SDL_TextInputEvent& text);
    void TranslateMotion(const SDL_MouseMotionEvent& motion);
    void TranslateButton(const SDL_MouseButtonEvent& button);
    void TranslateWheel(const SDL_MouseWheelEvent& wheel);
    void TranslateWindowEvent(const SDL_WindowEvent& window);

    void Post(uint32_t message, uint32_t wParam, int32_t lParam);
    void PostCharacterOfKey(uint32_t virtualKey);
    uint32_t MouseBits() const;
    int32_t MousePoint() const;
    bool AltHeld() const;
    bool ControlHeld() const;

    SysMessageQueue& queue;
    uint16_t modifiers = 0;    // SDL_Keymod of the last key event
    uint32_t buttonMask = 0;   // SDL_BUTTON masks of the last mouse event
    int mouseX = 0;
    int mouseY = 0;
};
