#include "platform/sdl/SysWindowEvents.h"

#include "platform/SysCodePage.h"
#include "platform/SysMessageQueue.h"
#include "platform/SysVirtualKey.h"
#include "platform/sdl/SysWindowKeys.h"

#include <string>

namespace
{
namespace VK = SysVirtualKey;

constexpr int32_t kSingleKeyStroke = 1;
// F10 opens the menu bar where there is one, so it counts as a system key.
constexpr uint32_t kMenuKey = VK::F1 + 9;

// The characters that keys type without any text input behind them.
bool TypesControlCharacter(uint32_t virtualKey)
{
    return virtualKey == VK::Backspace || virtualKey == VK::Tab || virtualKey == VK::Enter ||
           virtualKey == VK::Escape;
}

bool IsAltKey(SDL_Scancode scancode)
{
    return scancode == SDL_SCANCODE_LALT || scancode == SDL_SCANCODE_RALT;
}

uint32_t PackWheelParameter(int delta, uint32_t mouseBits)
{
    return (static_cast<uint32_t>(static_cast<uint16_t>(static_cast<int16_t>(delta))) << 16) | mouseBits;
}
}  // namespace

SysWindowEvents::SysWindowEvents(SysMessageQueue& queue) : queue(queue)
{
}

void SysWindowEvents::Translate(const SDL_Event& event)
{
    switch (event.type)
    {
    case SDL_KEYDOWN:
    case SDL_KEYUP:
        TranslateKey(event.key);
        break;
    case SDL_TEXTINPUT:
        TranslateText(event.text);
        break;
    case SDL_MOUSEMOTION:
        TranslateMotion(event.motion);
        break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
        TranslateButton(event.button);
        break;
    case SDL_MOUSEWHEEL:
        TranslateWheel(event.wheel);
        break;
    case SDL_WINDOWEVENT:
        TranslateWindowEvent(event.window);
        break;
    case SDL_QUIT:
        Post(WM_CLOSE, 0, 0);
        break;
    default:
        break;
    }
}

void SysWindowEvents::TranslateKey(const SDL_KeyboardEvent& key)
{
    modifiers = key.keysym.mod;
    const uint32_t virtualKey = SysWindowKeys::VirtualKeyOf(key.keysym);
    if (virtualKey == 0)
        return;
    const bool pressed = key.type == SDL_KEYDOWN;
    const bool systemKey = AltHeld() || IsAltKey(key.keysym.scancode) || virtualKey == kMenuKey;
    int32_t flags = kSingleKeyStroke;
    if (AltHeld())
        flags |= KEY_FLAG_ALT_HELD;
    if (!pressed)
        flags |= KEY_FLAG_WAS_DOWN | KEY_FLAG_RELEASED;
    else if (key.repeat != 0)
        flags |= KEY_FLAG_WAS_DOWN;
    if (pressed)
        Post(systemKey ? WM_SYSKEYDOWN : WM_KEYDOWN, virtualKey, flags);
    else
        Post(systemKey ? WM_SYSKEYUP : WM_KEYUP, virtualKey, flags);
    if (pressed)
        PostCharacterOfKey(virtualKey);
}

void SysWindowEvents::PostCharacterOfKey(uint32_t virtualKey)
{
    // Text input carries no control characters, so Backspace, Tab, Enter and
    // Escape type theirs here.  With Alt or Ctrl held they type nothing.
    if (!TypesControlCharacter(virtualKey) || AltHeld() || ControlHeld())
        return;
    Post(WM_CHAR, virtualKey, kSingleKeyStroke);
}

void SysWindowEvents::TranslateText(const SDL_TextInputEvent& text)
{
    // Alt combinations are commands, not typing.  AltGr (the right Alt) does
    // type characters on many layouts, so only the left Alt stops text.
    if ((modifiers & KMOD_LALT) != 0)
        return;
    std::string characters;
    SysCodePage::AppendFromUtf8(text.text, SysCodePage::Current(), characters);
    for (const char character : characters)
        Post(WM_CHAR, static_cast<unsigned char>(character), kSingleKeyStroke);
}

void SysWindowEvents::TranslateMotion(const SDL_MouseMotionEvent& motion)
{
    mouseX = motion.x;
    mouseY = motion.y;
    buttonMask = motion.state;
    Post(WM_MOUSEMOVE, MouseBits(), MousePoint());
}

void SysWindowEvents::TranslateButton(const SDL_MouseButtonEvent& button)
{
    mouseX = button.x;
    mouseY = button.y;
    const bool pressed = button.type == SDL_MOUSEBUTTONDOWN;
    const uint32_t mask = SDL_BUTTON(button.button);
    buttonMask = pressed ? (buttonMask | mask) : (buttonMask & ~mask);
    // The game knows the left and right buttons only.
    if (button.button == SDL_BUTTON_LEFT)
        Post(pressed ? WM_LBUTTONDOWN : WM_LBUTTONUP, MouseBits(), MousePoint());
    else if (button.button == SDL_BUTTON_RIGHT)
        Post(pressed ? WM_RBUTTONDOWN : WM_RBUTTONUP, MouseBits(), MousePoint());
}

void SysWindowEvents::TranslateWheel(const SDL_MouseWheelEvent& wheel)
{
    int notches = wheel.y;
    if (wheel.direction == SDL_MOUSEWHEEL_FLIPPED)
        notches = -notches;
    if (notches == 0)
        return;
    // One message carries at most what fits the signed 16-bit delta.
    constexpr int kMostNotches = INT16_MAX / WHEEL_NOTCH;
    if (notches > kMostNotches)
        notches = kMostNotches;
    if (notches < -kMostNotches)
        notches = -kMostNotches;
    Post(WM_MOUSEWHEEL, PackWheelParameter(notches * WHEEL_NOTCH, MouseBits()), MousePoint());
}

void SysWindowEvents::TranslateWindowEvent(const SDL_WindowEvent& window)
{
    switch (window.event)
    {
    case SDL_WINDOWEVENT_CLOSE:
        Post(WM_CLOSE, 0, 0);
        break;
    case SDL_WINDOWEVENT_FOCUS_GAINED:
        Post(WM_ACTIVATEAPP, 1, 0);
        break;
    case SDL_WINDOWEVENT_FOCUS_LOST:
        // Keys released elsewhere are never reported: forget the modifiers.
        modifiers = 0;
        Post(WM_ACTIVATEAPP, 0, 0);
        break;
    case SDL_WINDOWEVENT_MINIMIZED:
        Post(WM_SIZE, SIZE_MINIMIZED, 0);
        break;
    case SDL_WINDOWEVENT_RESTORED:
        Post(WM_SIZE, SIZE_RESTORED, 0);
        break;
    default:
        break;
    }
}

void SysWindowEvents::Post(uint32_t message, uint32_t wParam, int32_t lParam)
{
    SysMessage posted;
    posted.message = message;
    posted.wParam = wParam;
    posted.lParam = lParam;
    queue.Post(posted);
}

uint32_t SysWindowEvents::MouseBits() const
{
    uint32_t bits = 0;
    if (buttonMask & SDL_BUTTON_LMASK)
        bits |= MOUSE_BIT_LEFT;
    if (buttonMask & SDL_BUTTON_RMASK)
        bits |= MOUSE_BIT_RIGHT;
    if (buttonMask & SDL_BUTTON_MMASK)
        bits |= MOUSE_BIT_MIDDLE;
    if (modifiers & KMOD_SHIFT)
        bits |= MOUSE_BIT_SHIFT;
    if (modifiers & KMOD_CTRL)
        bits |= MOUSE_BIT_CONTROL;
    return bits;
}

int32_t SysWindowEvents::MousePoint() const
{
    return MakeMessagePoint(mouseX, mouseY);
}

bool SysWindowEvents::AltHeld() const
{
    return (modifiers & KMOD_ALT) != 0;
}

bool SysWindowEvents::ControlHeld() const
{
    return (modifiers & KMOD_CTRL) != 0;
}
