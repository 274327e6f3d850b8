#include "core/C_Ctrl.h"

#include "core/C_Config.h"
#include "media/C_GUIInterface.h"

int32_t VirtualMouseX = 0;
int32_t VirtualMouseY = 0;

namespace
{
constexpr double kVirtualScreenWidth = 1024.0;
constexpr double kVirtualScreenHeight = 768.0;
}

CCtrl::CCtrl() : forms{}, formCount(0), state(0) {}

void CCtrl::Init() {}
CCtrl* CCtrl::Run1Frame() { return nullptr; }
void CCtrl::Release() {}

CGUIInterface* CCtrl::GetTopForm() const
{
    return formCount > 0 ? forms[formCount - 1] : nullptr;
}

// Forms work on the virtual screen, and a press or release reaches them at
// the virtual position, so a move must too: at any resolution but 1024 x 768
// window pixels would hover and drag the wrong control.
void CCtrl::onMouseMove(int32_t x, int32_t y)
{
    SetVirtualMouse(x, y, g_Config.screenWidth, g_Config.screenHeight);
    if (CGUIInterface* top = GetTopForm())
        top->OnMouseMove(VirtualMouseX, VirtualMouseY);
}

void CCtrl::onMouseDown(int32_t)
{
    if (CGUIInterface* top = GetTopForm())
        top->OnMouseDown(VirtualMouseX, VirtualMouseY);
}

void CCtrl::onMouseUp(int32_t)
{
    if (CGUIInterface* top = GetTopForm())
        top->OnMouseUp(VirtualMouseX, VirtualMouseY);
}

void CCtrl::onDoubleClick(int32_t) {}

void CCtrl::onWheelUp()
{
    if (CGUIInterface* top = GetTopForm())
        top->OnWheelUp();
}

void CCtrl::onWheelDown()
{
    if (CGUIInterface* top = GetTopForm())
        top->OnWheelDown();
}

void CCtrl::onKeyDown(int32_t) {}
void CCtrl::onKeyUp(int32_t) {}

void CCtrl::onChar(int32_t code)
{
    if (CGUIInterface* top = GetTopForm())
        top->OnKey(code);
}

void CCtrl::onTimer(int32_t) {}
void CCtrl::onSetCustomRenderStates() {}
void CCtrl::onNetPacket(CNetPacket*) {}
void CCtrl::onPlayerJoined(int32_t, int32_t) {}
void CCtrl::onPlayerLeft(int32_t) {}

bool CCtrl::OpenForm(CGUIInterface* form)
{
    if (!form || formCount >= kMaxForms)
        return false;
    form->visible = 1;
    forms[formCount] = form;
    ++formCount;
    form->ResetResult();
    return true;
}

void CCtrl::RenderForms()
{
    for (int32_t i = 0; i < formCount; ++i)
    {
        if (forms[i]->visible)
            forms[i]->Render1Frame();
    }
    if (formCount == 0)
        return;
    CGUIInterface* top = forms[formCount - 1];
    const uint8_t closeRequested = top->closeRequest;
    top->closeRequest = 0;
    if (!closeRequested)
        return;
    --formCount;
    forms[formCount] = nullptr;
    top->Release();
    if (formCount > 0)
        forms[formCount - 1]->visible = 1;
}

void CCtrl::SetVirtualMouse(int32_t x, int32_t y, int32_t screenWidth, int32_t screenHeight)
{
    // A screen size of 0 would divide by zero: such a screen maps one to one.
    const double scaleX = screenWidth > 0 ? kVirtualScreenWidth / screenWidth : 1.0;
    const double scaleY = screenHeight > 0 ? kVirtualScreenHeight / screenHeight : 1.0;
    VirtualMouseX = static_cast<int32_t>(x * scaleX);
    VirtualMouseY = static_cast<int32_t>(y * scaleY);
}
