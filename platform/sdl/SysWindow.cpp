#include "platform/SysWindow.h"

#include <SDL2/SDL.h>

#include <string>

#include "platform/SysCloseSignals.h"
#include "platform/SysCodePage.h"
#include "platform/SysMessageQueue.h"
#include "platform/sdl/SysWindowEvents.h"

namespace
{
std::string lastError;

SDL_Window* OpenWindow(const std::string& title, int x, int y, int width, int height, bool fullScreen)
{
    Uint32 flags = SDL_WINDOW_OPENGL | SDL_WINDOW_BORDERLESS | SDL_WINDOW_SHOWN;
    if (fullScreen)
        flags |= SDL_WINDOW_FULLSCREEN;
    return SDL_CreateWindow(title.c_str(), x, y, width, height, flags);
}
}  // namespace

struct SysWindow::State
{
    SysMessageQueue queue;
    SysWindowEvents events{queue};
    SDL_Window* window = nullptr;
    bool fullScreen = false;
    SDL_Cursor* cursor = nullptr;  // the colour cursor set last, owned
};

SysWindow::SysWindow() : state(std::make_unique<State>())
{
}

SysWindow::~SysWindow()
{
    Destroy();
}

bool SysWindow::Create(const char* title, int x, int y, int width, int height, bool fullScreen)
{
    if (IsOpen())
    {
        lastError = "the window is already open";
        return false;
    }
    // The close signals are ours (see SysCloseSignals), not SDL's.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0)
    {
        lastError = SDL_GetError();
        return false;
    }
    const std::string utf8Title = SysCodePage::ToUtf8(title, SysCodePage::Current());
    SDL_Window* window = OpenWindow(utf8Title, x, y, width, height, fullScreen);
    if (window == nullptr)
    {
        lastError = SDL_GetError();
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        return false;
    }
    state->window = window;
    state->fullScreen = fullScreen;
    state->queue.Clear();
    SDL_StartTextInput();
    SysCloseSignals::Install();
    return true;
}

void SysWindow::Destroy()
{
    if (!IsOpen())
        return;
    SDL_StopTextInput();
    if (state->cursor != nullptr)
    {
        SDL_SetCursor(SDL_GetDefaultCursor());
        SDL_FreeCursor(state->cursor);
        state->cursor = nullptr;
    }
    SDL_DestroyWindow(state->window);
    state->window = nullptr;
    state->queue.Clear();
    // Events of the closed window must not reach a window opened later.
    SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

bool SysWindow::IsOpen() const
{
    return state->window != nullptr;
}

bool SysWindow::IsFullScreen() const
{
    return IsOpen() && state->fullScreen;
}

void* SysWindow::NativeHandle() const
{
    return state->window;
}

void SysWindow::ShowCursor(bool show)
{
    if (IsOpen())
        SDL_ShowCursor(show ? SDL_ENABLE : SDL_DISABLE);
}

void SysWindow::ConfineCursor(bool confine)
{
    if (IsOpen())
        SDL_SetWindowGrab(state->window, confine ? SDL_TRUE : SDL_FALSE);
}

void SysWindow::GetMousePosition(int& x, int& y) const
{
    x = state->events.MouseX();
    y = state->events.MouseY();
}

bool SysWindow::SetColourCursor(const uint32_t* pixels, int hotX, int hotY)
{
    constexpr int kSide = 32;
    if (!IsOpen() || pixels == nullptr)
        return false;
    // SDL only reads the pixels while it makes the cursor.
    SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormatFrom(const_cast<uint32_t*>(pixels), kSide, kSide, 32,
                                                              kSide * 4, SDL_PIXELFORMAT_ARGB8888);
    if (surface == nullptr)
        return false;
    SDL_Cursor* cursor = SDL_CreateColorCursor(surface, hotX, hotY);
    SDL_FreeSurface(surface);
    if (cursor == nullptr)
        return false;
    SDL_SetCursor(cursor);
    if (state->cursor != nullptr)
        SDL_FreeCursor(state->cursor);
    state->cursor = cursor;
    return true;
}

bool SysWindow::PeekMessage(SysMessage& out)
{
    if (!IsOpen())
        return false;
    if (SysCloseSignals::TakeRequest())
    {
        SysMessage close;
        close.message = WM_CLOSE;
        state->queue.Post(close);
    }
    SDL_Event event;
    while (SDL_PollEvent(&event) != 0)
        state->events.Translate(event);
    return state->queue.Take(out);
}

const char* SysWindow::LastError()
{
    return lastError.c_str();
}
