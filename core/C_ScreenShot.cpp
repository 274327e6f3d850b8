#include "core/C_ScreenShot.h"

#include <vector>

#include "core/C_File.h"
#include "core/GlobalFunc.h"
#include "media/C_TGA.h"
#include "platform/SysDevice3D.h"

namespace
{
constexpr int kChannelCount = 3;
constexpr int kMarkColourShift = 24;
constexpr uint32_t kWhite = 0xFFFFFF;

// 0x00RRGGBB through the table, alpha 0.
uint32_t CorrectPixel(uint32_t pixel, const uint16_t colourTable[3][256])
{
    uint32_t corrected = 0;
    for (int channel = 0; channel < kChannelCount; ++channel)
    {
        const int shift = 8 * (kChannelCount - 1 - channel);
        const uint32_t level = (pixel >> shift) & 0xFF;
        corrected |= static_cast<uint32_t>(colourTable[channel][level] >> 8) << shift;
    }
    return corrected;
}

// The mark's lowest byte becomes the alpha of a white pixel.
void BlendMark(CBitmap32& shot)
{
    CTGA mark;
    if (!mark.Load("InGame\\ScreenShotMark\\pelwin.tga", false) || mark.IsEmpty())
        return;
    for (int32_t i = 0; i < mark.width * mark.height; ++i)
        mark.pixels[i] = (mark.pixels[i] << kMarkColourShift) + kWhite;
    shot.Blit(shot.width - mark.width - CScreenShot::kMarkMargin, shot.height - mark.height - CScreenShot::kMarkMargin,
              mark, true);
}
} // namespace

CString CScreenShot::MakeName(const char* folder, int number)
{
    CString digits;
    digits.FromInt(number, 3, '0');
    return CString(folder) + "V2KRN_Screen_" + digits + ".tga";
}

CString CScreenShot::FindFreeName(const char* folder)
{
    for (int number = 0; number < kMaxScreenShots; ++number)
    {
        const CString name = MakeName(folder, number);
        if (!CFile::Exists(name))
            return name;
    }
    return CString();
}

bool CScreenShot::Capture(SysDevice3D& device, const uint16_t colourTable[3][256], const char* fileName)
{
    std::vector<uint32_t> pixels;
    int32_t width = 0;
    int32_t height = 0;
    GlobalFunc::FatalD3DError("CD3D8Game::MakeScreenShot()/1", device.ReadBackBuffer(pixels, width, height), true);
    if (width <= 0 || height <= 0 || pixels.size() != static_cast<size_t>(width) * static_cast<size_t>(height))
        return false;
    CTGA shot;
    shot.Create(width, height);
    for (size_t i = 0; i < pixels.size(); ++i)
        shot.pixels[i] = CorrectPixel(pixels[i], colourTable);
    BlendMark(shot);
    return shot.Save(fileName);
}
