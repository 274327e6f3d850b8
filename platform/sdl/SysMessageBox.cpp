#include "platform/SysMessageBox.h"

#include <SDL2/SDL.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/SysCodePage.h"
#include "platform/SysForkGuard.h"

namespace
{
bool IsDisplaylessDriver(const char* driver)
{
    return driver != nullptr && (SDL_strcasecmp(driver, "offscreen") == 0 || SDL_strcasecmp(driver, "dummy") == 0);
}

bool IsSet(const char* variable)
{
    const char* value = std::getenv(variable);
    return value != nullptr && value[0] != '\0';
}

void WriteToStandardError(const std::string& caption, const std::string& text)
{
    std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
    std::fflush(stderr);
}
}  // namespace

bool SysMessageBox::IsHeadless()
{
    if (SDL_WasInit(SDL_INIT_VIDEO) != 0 && IsDisplaylessDriver(SDL_GetCurrentVideoDriver()))
        return true;
    if (IsDisplaylessDriver(std::getenv("SDL_VIDEODRIVER")))
        return true;
    return !IsSet("DISPLAY") && !IsSet("WAYLAND_DISPLAY");
}

void SysMessageBox::Show(void* ownerWindow, const char* text, const char* caption)
{
    const int codePage = SysCodePage::Current();
    const std::string utf8Text = SysCodePage::ToUtf8(text, codePage);
    const std::string utf8Caption = SysCodePage::ToUtf8(caption, codePage);
    if (IsHeadless())
    {
        WriteToStandardError(utf8Caption, utf8Text);
        return;
    }
    SDL_Window* owner = static_cast<SDL_Window*>(ownerWindow);
    // A full-screen game confines the mouse; the user must be able to reach
    // the OK button.
    const bool wasConfined = owner != nullptr && SDL_GetWindowGrab(owner) == SDL_TRUE;
    if (wasConfined)
        SDL_SetWindowGrab(owner, SDL_FALSE);
    // The box may be shown by a child process: it must go with the game.
    const SysForkGuard boxGoesWithTheGame;
    if (SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_INFORMATION, utf8Caption.c_str(), utf8Text.c_str(), owner) != 0)
        WriteToStandardError(utf8Caption, utf8Text);
    if (wasConfined)
        SDL_SetWindowGrab(owner, SDL_TRUE);
}
