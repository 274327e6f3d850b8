#pragma once
// What every media test device needs before it draws: the OpenGL driver kept
// loaded for the whole process, and the states the game rests in between
// draws.

#include <SDL2/SDL.h>
#include <gtest/gtest.h>

#include <memory>

#include "media/D3DDevice.h"
#include "platform/SysDevice3D.h"
#include "platform/SysDevice3DFactory.h"

namespace media_test
{
// Destroying the last window would unload the OpenGL driver, and the
// driver's own allocations would then read as leaks of this process.
inline void KeepGraphicsLibraryLoaded()
{
    static const bool loaded = SDL_InitSubSystem(SDL_INIT_VIDEO) == 0 && SDL_GL_LoadLibrary(nullptr) == 0;
    (void)loaded;
}

// A hidden window of width x height with a windowed device on it, made the
// game's device.
inline void OpenDevice(const char* title, int width, int height, std::unique_ptr<SysDevice3DFactory>& factory,
                       SDL_Window*& window, std::unique_ptr<SysDevice3D>& device)
{
    KeepGraphicsLibraryLoaded();
    factory = SysCreateDevice3DFactory();
    ASSERT_TRUE(factory);
    window = SDL_CreateWindow(title, 0, 0, width, height, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
    ASSERT_NE(window, nullptr) << SDL_GetError();
    Sys3DPresentParams params;
    params.backBufferWidth = width;
    params.backBufferHeight = height;
    params.backBufferFormat = Sys3DFormat::X8R8G8B8;
    params.windowed = true;
    ASSERT_EQ(factory->CreateDevice(window, params, device), Sys3DError::Ok);
    SetD3DDevice(device.get());
}

inline void SetRestingStates(SysDevice3D& d)
{
    d.SetRenderState(Sys3DRenderState::AlphaTestEnable, 1);
    d.SetRenderState(Sys3DRenderState::AlphaRef, 32);
    d.SetRenderState(Sys3DRenderState::AlphaFunc, Sys3DCompare::Always);
    d.SetRenderState(Sys3DRenderState::LastPixel, 0);
    d.SetRenderState(Sys3DRenderState::Lighting, 0);
    d.SetRenderState(Sys3DRenderState::SrcBlend, Sys3DBlend::SrcAlpha);
    d.SetRenderState(Sys3DRenderState::DestBlend, Sys3DBlend::InvSrcAlpha);
    d.SetTextureStageState(0, Sys3DStageState::ColourOp, Sys3DTextureOp::Modulate);
    d.SetTextureStageState(0, Sys3DStageState::ColourArg1, Sys3DTextureArg::Texture);
    d.SetTextureStageState(0, Sys3DStageState::ColourArg2, Sys3DTextureArg::Diffuse);
    d.SetTextureStageState(0, Sys3DStageState::AddressU, Sys3DAddress::Clamp);
    d.SetTextureStageState(0, Sys3DStageState::AddressV, Sys3DAddress::Clamp);
}
}  // namespace media_test
