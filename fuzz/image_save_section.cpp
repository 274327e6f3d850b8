// Feeds arbitrary bytes to the reader of a picture's saved section and
// writes back every section it accepts.  The tiles are real textures on an
// offscreen drawing device when one can be opened, so that their records
// are read all the way into the texture.

#include <SDL2/SDL.h>

#include <cstddef>
#include <cstdint>
#include <memory>

#include "fuzz/FuzzSaveStream.h"
#include "media/C_2DImage.h"
#include "media/D3DDevice.h"
#include "platform/SysDevice3D.h"
#include "platform/SysDevice3DFactory.h"

namespace
{
// The device lives for the whole run; it is never taken down.
void OpenDevice()
{
    constexpr int Side = 16;
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0)
        return;
    static std::unique_ptr<SysDevice3DFactory> factory = SysCreateDevice3DFactory();
    static std::unique_ptr<SysDevice3D> device;
    SDL_Window* window = SDL_CreateWindow("fuzz", 0, 0, Side, Side, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
    if (!factory || window == nullptr)
        return;
    Sys3DPresentParams params;
    params.backBufferWidth = Side;
    params.backBufferHeight = Side;
    params.backBufferFormat = Sys3DFormat::X8R8G8B8;
    params.windowed = true;
    if (factory->CreateDevice(window, params, device) == Sys3DError::Ok)
        SetD3DDevice(device.get());
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const bool opened = (OpenDevice(), true);
    (void)opened;
    CFuzzSaveStream in(data, size);
    C2DImage image;
    if (!image.LoadSaved(in))
        return 0;
    CFuzzSaveStream out(nullptr, 0);
    image.Save(out);
    return 0;
}
