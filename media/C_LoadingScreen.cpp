#include "media/C_LoadingScreen.h"

#include "core/C_D3D8Game.h"
#include "core/C_Localizer.h"
#include "core/C_LogFile.h"
#include "media/C_2DFont.h"
#include "media/C_Cursors.h"
#include "media/C_Music.h"
#include "net/C_MultiplayerGame.h"

namespace
{
constexpr int kTextFont = 5;
constexpr int32_t kCaptionX = 956;
constexpr int32_t kCaptionY = 610;
constexpr uint32_t kCaptionColour = 0x000000;
constexpr int32_t kCaptionAlpha = 80;
constexpr int32_t kFontOpaque = 255;
constexpr int32_t kMessageX = 800;
constexpr int32_t kMessageY = 300;
constexpr uint32_t kMessageColour = 0xFFFFFF;
constexpr uint32_t kNoColourKey = 0xFFFFFFFF;

// A missing key is an empty text.
const char* LocaleText(const char* key)
{
    const char* text = g_Localizer.GetString(key, false);
    return text != nullptr ? text : "";
}
}  // namespace

CLoadingScreen::CLoadingScreen() : steps(0), progress(0)
{
}

void CLoadingScreen::Init(int32_t index, int32_t stepCount)
{
    steps = stepCount;
    progress = 0;
    message = "";
    CString backgroundFile("Loading\\");
    if (index == 0)
    {
        backgroundFile += LocaleText("FILE_LOADING_SCREEN");
        caption = "";
    }
    else
    {
        CString number;
        number.FromInt(index);
        backgroundFile += CString("back-") + number + ".tga";
        caption = LocaleText("LOADING");
    }
    background.Load(backgroundFile);
    bar.alpha = BarAlpha;
    bar.colourKey = kNoColourKey;
    bar.Load("Loading\\csik1.tga");
}

void CLoadingScreen::Step()
{
    if (steps != 0)
    {
        if (progress >= steps)
            DEBUG_REPORT("#DEBUG: Progressbar overflow");
        else
            ++progress;
    }
    g_D3D8Game.BeginDraw();
    Draw();
    g_D3D8Game.cursors.SetCursor(CCursors::NoCursor);
    g_D3D8Game.EndDraw();
    g_Music.UpdateMusic();
    g_D3D8Game.PumpMessages();
    if (!IsNetworkGame())
        return;
    CNetPacket packet;
    while (g_MultiplayerGame.PopPacket(packet))
    {
    }
}

void CLoadingScreen::Draw()
{
    background.Render(0, 0);
    if (steps != 0)
        bar.RenderStretch(BarX, BarY, BarWidth(), BarHeight, false);
    C2DFont* font = GetGlobalFont(kTextFont);
    if (font == nullptr)
        return;
    if (!caption.IsEmpty())
    {
        font->alpha = kCaptionAlpha;
        font->Print(kCaptionX, kCaptionY, caption, kCaptionColour, C2DFont::AlignRight);
        font->alpha = kFontOpaque;
    }
    if (!message.IsEmpty())
        font->Print(kMessageX, kMessageY, message, kMessageColour, C2DFont::AlignCentre);
}

int32_t CLoadingScreen::BarWidth() const
{
    return steps != 0 ? progress * BarFullWidth / steps : 0;
}

void CLoadingScreen::Free()
{
    background.Release();
    bar.Release();
}
