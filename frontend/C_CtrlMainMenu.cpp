#include "frontend/C_CtrlMainMenu.h"

#include "media/C_Music.h"

namespace
{
constexpr float kCameraSpeed = 0.038f;
constexpr float kSlideSpeed = 4.0f;
}

CCtrlMainMenu::CCtrlMainMenu()
    : value1(0),
      value2(0),
      value3(2),
      randomGame{{0, 1, 2, 0, 0, 0, 1, 1, 0}, 0, {0, 1, 2, 3, 4, 5, 6, 7}, {}},
      sceneTime(0.0f),
      cameraSpeed(0.0f),
      slideSpeed(0.0f)
{
    records.Allocate(kListGrowStep);
    ResetCamera();
}

void CCtrlMainMenu::Init() {}

// The menu stays on screen until one of its pages starts something else.
CCtrl* CCtrlMainMenu::Run1Frame()
{
    g_Music.UpdateMusic();
    RenderForms();
    return this;
}

void CCtrlMainMenu::onMouseMove(int32_t x, int32_t y)
{
    SetVirtualMouse(x, y, g_Config.screenWidth, g_Config.screenHeight);
    CCtrl::onMouseMove(x, y);
}

void CCtrlMainMenu::ResetCamera()
{
    sceneTime = 0.0f;
    cameraSpeed = kCameraSpeed;
    slideSpeed = kSlideSpeed;
}
