// The per-frame side of the drawing device: the default render states, the
// gamma ramp, the bracket of every frame with the lost-device wait and the
// frame rate, and screenshots.

#include "core/C_Config.h"
#include "core/C_Ctrl.h"
#include "core/C_D3D8Game.h"
#include "core/C_LogFile.h"
#include "core/C_ScreenShot.h"
#include "core/FrameDrawing.h"
#include "core/GlobalFunc.h"
#include "game/C_MessageList.h"
#include "platform/SysClock.h"

namespace
{
// A device whose guard band reaches further left than this draws unclipped.
constexpr int32_t kUnclippedGuardBand = -100000;
constexpr uint32_t kRestingAlphaReference = 32;
constexpr uint32_t kBlack = 0x000000;
constexpr float kFarDepth = 1.0f;
constexpr uint32_t kMessageWhite = 0xFFFFFF;
constexpr uint32_t kMessageRed = 0xFF0000;

// The projection: x and y scaled for the screen, w = eye depth, the near
// plane at 1 and no far plane.
constexpr float kProjectionScaleX = 1.4f;
constexpr float kProjectionScaleY = 1.6f;

struct SRenderStateRow
{
    Sys3DRenderState state;
    uint32_t value;
    bool checked;
};

struct SStageStateRow
{
    Sys3DStageState state;
    uint32_t value;
    bool checked;
};

const SStageStateRow kStageZeroStates[] = {
    {Sys3DStageState::ColourOp, Sys3DTextureOp::Modulate, true},
    {Sys3DStageState::ColourArg1, Sys3DTextureArg::Texture, true},
    {Sys3DStageState::ColourArg2, Sys3DTextureArg::Diffuse, true},
    {Sys3DStageState::MagFilter, Sys3DFilter::Point, true},
    {Sys3DStageState::MinFilter, Sys3DFilter::Point, true},
    {Sys3DStageState::MipFilter, Sys3DFilter::Linear, false},
    {Sys3DStageState::AddressU, Sys3DAddress::Clamp, true},
    {Sys3DStageState::AddressV, Sys3DAddress::Clamp, true},
};

CString StateLabel(int number)
{
    CString digits;
    digits.FromInt(number);
    return CString("CD3D8Game::SetupD3D8RenderStates/") + digits;
}

Sys3DMatrix Projection()
{
    Sys3DMatrix m;
    m.m[0][0] = kProjectionScaleX;
    m.m[1][1] = kProjectionScaleY;
    m.m[2][2] = 1.0f;
    m.m[2][3] = 1.0f;
    m.m[3][2] = -1.0f;
    return m;
}
} // namespace

// ---- Render states ---------------------------------------------------------------

void CD3D8Game::SetupD3D8RenderStates()
{
    if (device)
    {
        g_Log.Write("--- Setting up Direct3D8 Render states ---");
        const SRenderStateRow renderStates[] = {
            {Sys3DRenderState::ZEnable, 1, true},
            {Sys3DRenderState::FillMode, Sys3DFill::Solid, true},
            {Sys3DRenderState::ShadeMode, Sys3DShade::Gouraud, true},
            {Sys3DRenderState::ZWriteEnable, 1, true},
            {Sys3DRenderState::AlphaTestEnable, 1, true},
            {Sys3DRenderState::AlphaRef, kRestingAlphaReference, true},
            {Sys3DRenderState::AlphaFunc, Sys3DCompare::Always, true},
            {Sys3DRenderState::LastPixel, 0, true},
            {Sys3DRenderState::CullMode, Sys3DCull::CounterClockwise, true},
            {Sys3DRenderState::ZFunc, Sys3DCompare::LessEqual, true},
            {Sys3DRenderState::DitherEnable, 1, true},
            {Sys3DRenderState::FogEnable, 0, false},
            {Sys3DRenderState::SpecularEnable, 0, true},
            {Sys3DRenderState::Clipping, guardBandLeft >= kUnclippedGuardBand ? 1u : 0u, true},
            {Sys3DRenderState::Lighting, 0, true},
            {Sys3DRenderState::EdgeAntialias, 0, true},
            {Sys3DRenderState::MultisampleAntialias, 0, true},
            {Sys3DRenderState::SrcBlend, Sys3DBlend::SrcAlpha, true},
            {Sys3DRenderState::DestBlend, Sys3DBlend::InvSrcAlpha, true},
        };
        int number = 1;
        for (const SRenderStateRow& row : renderStates)
            GlobalFunc::FatalD3DError(StateLabel(number++), device->SetRenderState(row.state, row.value), row.checked);
        g_Log.Write("--- Setting up Direct3D8 texture stage states ---");
        for (const SStageStateRow& row : kStageZeroStates)
            GlobalFunc::FatalD3DError(StateLabel(number++), device->SetTextureStageState(0, row.state, row.value),
                                      row.checked);
        g_Log.Write("--- Setting up transformation matrices ---");
        const Sys3DMatrix identity = Sys3DMatrix::Identity();
        GlobalFunc::FatalD3DError(StateLabel(number++), device->SetTransform(Sys3DTransform::World, identity), true);
        GlobalFunc::FatalD3DError(StateLabel(number++), device->SetTransform(Sys3DTransform::View, identity), true);
        GlobalFunc::FatalD3DError(StateLabel(number++), device->SetTransform(Sys3DTransform::Projection, Projection()),
                                  true);
    }
    g_Log.Write("--- Creating Gamma ramp ---");
    SetGammaRamp(0, 0, 1);
    if (controller)
        controller->onSetCustomRenderStates();
}

void CD3D8Game::SetGammaRamp(int32_t noise, int32_t step, uint8_t apply)
{
    FrameDrawing::BuildGammaRamp(colourTable, g_Config.gamma, g_Config.brightness, noise, step, gammaRamp);
    if (!apply || !device)
        return;
    Sys3DGammaRamp ramp;
    for (int i = 0; i < FrameDrawing::kRampEntries; ++i)
    {
        ramp.red[i] = gammaRamp[0][i];
        ramp.green[i] = gammaRamp[1][i];
        ramp.blue[i] = gammaRamp[2][i];
    }
    // A display that cannot take a ramp shows the colours uncorrected.
    device->SetGammaRamp(ramp);
}

// ---- Frame -------------------------------------------------------------------------

void CD3D8Game::BeginDraw()
{
    if (drawing)
        return;
    if (device)
    {
        GlobalFunc::FatalD3DError("CD3D8Game::BeginDraw/1",
                                  device->Clear(Sys3DClear::Target | Sys3DClear::ZBuffer, kBlack, kFarDepth), true);
        GlobalFunc::FatalD3DError("CD3D8Game::BeginDraw/2", device->BeginScene(), true);
    }
    drawing = 1;
}

void CD3D8Game::EndDraw()
{
    if (!drawing)
        return;
    drawing = 0;
    if (!device)
    {
        screenShotRequested = 0;
        return;
    }
    // The back buffer is read before the cursor is drawn into it and before
    // Present leaves it undefined.
    if (screenShotRequested)
        CaptureScreenShot();
    cursors.Render();
    GlobalFunc::FatalD3DError("CD3D8Game::EndDraw/1", device->EndScene(), true);
    if (resetRequested)
    {
        // A failed reset leaves the device waiting for one: the wait below
        // tries again.
        device->Reset(presentParams);
        SetupD3D8RenderStates();
        cursors.Refresh();
        resetRequested = 0;
    }
    if (!RecoverLostDevice())
        return;
    GlobalFunc::FatalD3DError("CD3D8Game::EndDraw/2", device->Present(), true);
    FrameDrawing::CountFrame(SysClock::TickCount(), fpsStart, fps, fpsFrames);
}

// While the window is away the messages keep flowing (the window answers and
// the network runs); the controller hears once per frame that the device
// was lost and once that it is back.
bool CD3D8Game::RecoverLostDevice()
{
    // The controller that is drawing is on the call stack: the messages
    // pumped here must not let go of it (see OnCloseRequest).
    struct SWaitMark
    {
        explicit SWaitMark(bool& flag) : flag(flag), previous(flag) { flag = true; }
        ~SWaitMark() { flag = previous; }
        bool& flag;
        bool previous;
    } waiting(waitingForDevice);
    bool controllerTold = false;
    for (;;)
    {
        const Sys3DResult level = device->TestCooperativeLevel();
        if (level == Sys3DError::DeviceLost)
        {
            PumpMessages();
            if (!controllerTold)
            {
                controllerTold = true;
                if (controller)
                    controller->onKeyDown(kDeviceLostKey);
            }
        }
        else if (level == Sys3DError::DeviceNotReset)
        {
            if (device->Reset(presentParams) == Sys3DError::Ok)
            {
                SetupD3D8RenderStates();
                cursors.Refresh();
                cursors.ClipToScreen();
                if (controller)
                    controller->onKeyDown(kDeviceResetKey);
                return true;
            }
            PumpMessages();
        }
        else
        {
            return true;
        }
        // Closing the game while its window is away ends the wait.
        if (quit)
            return false;
    }
}

// ---- Screenshots ---------------------------------------------------------------------

void CD3D8Game::MakeScreenShot()
{
    screenShotRequested = 1;
}

void CD3D8Game::CaptureScreenShot()
{
    screenShotRequested = 0;
    CString folder = GetModuleDir();
    const int length = folder.GetLength();
    if (length == 0 || (folder[length - 1] != '\\' && folder[length - 1] != '/'))
        folder += '\\';
    const CString name = CScreenShot::FindFreeName(folder);
    // A device whose window is away, or that waits for its reset, has no
    // picture to give; the game goes on without the screenshot.
    const bool ready = device->TestCooperativeLevel() == Sys3DError::Ok;
    const bool captured = ready && !name.IsEmpty() && CScreenShot::Capture(*device, colourTable, name);
    if (g_MessageList == nullptr)
        return;
    if (captured)
        g_MessageList->AddMessage("Screen captured", kMessageWhite);
    else
        g_MessageList->AddMessage("Unable to capture the screen", kMessageRed);
}
