// Start-up and shut-down of the drawing and sound devices and of what the
// screens need from the start: each step announced in the log, so that the
// log shows how far a failed start got.

#include "core/C_Config.h"
#include "core/C_Ctrl.h"
#include "core/C_D3D8Game.h"
#include "core/C_File.h"
#include "core/C_LogFile.h"
#include "core/GlobalFunc.h"
#include "core/MAIN.h"
#include "effects/C_Particles.h"
#include "game/C_MessageList.h"
#include "media/C_2DFont.h"
#include "media/InterfaceTables.h"
#include "media/C_Music.h"
#include "media/C_SoundStream.h"
#include "media/C_VXBuffer.h"
#include "media/C_VoiceBank.h"
#include "media/D3DDevice.h"
#include "world/C_DecorType.h"
#include "world/C_UnitStats.h"

namespace
{
constexpr int32_t kVertexBatchSize = 12288;
constexpr int32_t kDriverCursorMode = 3;  // MOUSECURSOR=D3D_HW
constexpr int32_t kMonoCursorMode = 0;    // MOUSECURSOR=MONO
constexpr int32_t kArrowCursor = 0;
constexpr int32_t kWaitCursor = 1;

// The primary buffer's output format: 16-bit stereo PCM at 22050 Hz.
constexpr uint16_t kOutputChannels = 2;
constexpr uint16_t kOutputBlockAlign = kOutputChannels * (SysSound::BitsPerSample / 8);

void WriteLines(const std::vector<CString>& lines)
{
    for (const CString& line : lines)
        g_Log.Write(line);
}
} // namespace

// ---- Start-up ------------------------------------------------------------------

void CD3D8Game::Init()
{
    // Run opens the window before it calls Init.  A bare object without one
    // (the screen tests drive it so) has nothing to draw into or play for:
    // its devices stay closed, with no render states to set, and every
    // other step runs as usual.
    const bool hasWindow = window.IsOpen();
    if (hasWindow)
        InitDirect3D();
    LoadColourTable();
    if (hasWindow)
        SetupD3D8RenderStates();
    g_Log.Write("--- Initializing VertexBuffer ---");
    g_VXBuffer.Init(kVertexBatchSize);
    g_Log.Write("--- Initializing Mouse cursors ---");
    cursors.Init(CCursors::StartupCount, &window);
    cursors.LoadStartupCursors();
    cursors.SetCursor(kArrowCursor);
    cursors.ClipToScreen();
    g_Log.Write("--- Creating Gamma ramp ---");
    SetGammaRamp(0, 0, 1);
    if (hasWindow)
        InitAudio();
    // The wait cursor shows from here to the volume control.
    cursors.SetCursor(kWaitCursor);
    g_Log.Write("--- Loading game fonts ---");
    LoadGameFonts(g_Config.languageFolder);
    g_Log.Write("--- Loading game sounds ---");
    LoadSoundBank(directSound);
    g_Log.Write("--- Initializing game music ---");
    g_Music.Init(directSound);
    g_SoundStream.Init(directSound);
    g_Log.Write("--- Initializing volume control ---");
    g_Music.SetVolume(g_Config.musicVolume);
    g_VoiceBank.SetAllVolumes(g_Config.soundVolume);
    cursors.SetCursor(kArrowCursor);
    g_Log.Write("--- Initializing game timer ---");
    StartTimer(kTimerRate);
    g_Log.Write("--- Building technology tree ---");
    InitTypeRecords();
    g_Log.Write("--- Setting up game hints ---");
    LoadCommandHints();
    g_Log.Write("--- Initializing particle system ---");
    g_Particles.Init(CParticles::kDevicePoolSize);
    g_Log.Write("--- Initializing game messages ---");
    delete g_MessageList;
    g_MessageList = new CMessageList();
    g_Log.Write("--- Initializing decoration objects ---");
    LoadDecorTypes();
    LoadInterfaceTextures();
    if (controller)
        controller->Init();
    g_Log.Write("--- Preloading finished ---");
}

void CD3D8Game::InitDirect3D()
{
    g_Log.Write("--- Initializing Direct3D8 ---");
    // A factory set before Init (a stand-in display of the tests) is kept.
    if (!direct3D)
        direct3D = SysCreateDevice3DFactory();
    if (!direct3D)
    {
        g_Log.Write("Could't create Direct3D object");
        EndProcessOnFatalError("Could't create Direct3D object");
    }
    g_Log.Write("--- Getting available display modes ---");
    bool configuredFound = false;
    ListDisplayModes(configuredFound);
    // A window takes the configured size and depth as they are.
    if (!configuredFound && !g_Config.windowed)
        ChooseFallbackMode();
    ReportCapabilities();
    CreateDevice();
}

void CD3D8Game::ListDisplayModes(bool& configuredFound)
{
    for (auto& sizeRow : modeSupport)
        sizeRow[DeviceStartup::kSupports16Bit] = sizeRow[DeviceStartup::kSupports32Bit] = 0;
    const uint32_t count = direct3D->GetAdapterModeCount();
    for (uint32_t index = 0; index < count; ++index)
    {
        Sys3DDisplayMode mode;
        GlobalFunc::FatalD3DError("CD3D8Game::Init/1", direct3D->EnumAdapterModes(index, mode), true);
        const CString line = DeviceStartup::DescribeMode(mode);
        if (line.IsEmpty())
            continue;
        g_Log.Write(line);
        if (DeviceStartup::IsConfiguredMode(mode, g_Config.screenWidth, g_Config.screenHeight, g_Config.colourDepth))
            configuredFound = true;
        DeviceStartup::MarkModeSupport(mode, modeSupport);
    }
}

void CD3D8Game::ChooseFallbackMode()
{
    g_Log.Write("The selected screen resolution or color depth is not supported by your graphic hardware");
    g_Log.Write("Trying to find an better one");
    // The modes are asked for again, without listing them in the log.
    std::vector<Sys3DDisplayMode> modes;
    const uint32_t count = direct3D->GetAdapterModeCount();
    for (uint32_t index = 0; index < count; ++index)
    {
        Sys3DDisplayMode mode;
        GlobalFunc::FatalD3DError("CD3D8Game::Init/2", direct3D->EnumAdapterModes(index, mode), true);
        modes.push_back(mode);
    }
    int32_t fallbackWidth = 0;
    int32_t fallbackHeight = 0;
    int32_t fallbackDepth = 0;
    if (!DeviceStartup::ChooseFallbackMode(modes, fallbackWidth, fallbackHeight, fallbackDepth))
    {
        g_Log.Write("Unable to find an appropriate graphics mode");
        EndProcessOnFatalError("Unable to find an appropriate graphics mode");
    }
    g_Config.screenWidth = fallbackWidth;
    g_Config.screenHeight = fallbackHeight;
    g_Config.colourDepth = fallbackDepth;
    g_Log.Write("OK, new video mode selected");
    width = fallbackWidth;
    height = fallbackHeight;
    bitsPerPixel = fallbackDepth;
}

void CD3D8Game::ReportCapabilities()
{
    g_Log.Write("--- Getting device capabilities ---");
    Sys3DCaps caps;
    GlobalFunc::FatalD3DError("CD3D8Game::Init/3", direct3D->GetDeviceCaps(caps), true);
    const std::vector<CString> lines = DeviceStartup::CapabilityLines(caps);
    for (size_t i = 0; i < lines.size(); ++i)
    {
        g_Log.Write(lines[i]);
        if (i != 0)
            continue;
        // The hardware-cursor line comes first; the cursor mode follows it.
        g_Config.hardwareCursor = caps.hardwareCursor ? 1 : 0;
        if (g_Config.mouseCursorMode == kDriverCursorMode && !caps.hardwareCursor)
        {
            g_Log.Write("WARNING: There is no DirectX mouse cursor hardrdware support");
            g_Config.mouseCursorMode = kMonoCursorMode;
        }
    }
    WriteLines(DeviceStartup::LimitLines(caps));
    guardBandLeft = static_cast<int32_t>(caps.guardBandLeft);

    const CString details = DeviceStartup::MissingGraphicsRequirements(caps);
    if (details.IsEmpty())
        return;
    g_Log.Write("Your graphics hardware doesn't meet the requirements");
    g_Log.Write("Details:");
    g_Log.Write(details);
    EndProcessOnFatalError(details, "Insufficient hardware support");
}

void CD3D8Game::CreateDevice()
{
    g_Log.Write("--- Creating Direct3DDevice8 ---");
    presentParams = DeviceStartup::MakePresentParams(width, height, bitsPerPixel, g_Config.antialiasing,
                                                     g_Config.windowed != 0);
    const uint32_t samplesAsked = presentParams.multiSampleType;
    GlobalFunc::FatalD3DError("CD3D8Game::Init/4",
                              direct3D->CreateDevice(window.NativeHandle(), presentParams, device), true);
    // A sample count the driver cannot do is dropped rather than refused, so
    // that the setting never stops the game from starting.
    if (presentParams.multiSampleType != samplesAsked)
        g_Log.Write("The selected antialiasing is not supported by your graphic hardware, it is switched off");
    SetD3DDevice(device.get());
}

// A missing or short table would make a black ramp, and so a black screen
// and black screenshots: the colours are then left as they are.
void CD3D8Game::LoadColourTable()
{
    g_Log.Write("--- Creating color correction table ---");
    uint8_t bytes[DeviceStartup::kColourTableBytes];
    int read = -1;
    CFile file;
    if (file.OpenRead("InGame\\GammaRamps\\default.ramp"))
    {
        read = file.Read(bytes, static_cast<int>(sizeof bytes));
        file.Close();
    }
    if (read < 0)
        g_Log.Write("Color correction table \"InGame\\GammaRamps\\default.ramp\" not found, colors are not corrected");
    else if (!DeviceStartup::ReadColourTable(bytes, static_cast<size_t>(read), colourTable))
        g_Log.Write("Color correction table \"InGame\\GammaRamps\\default.ramp\" is too short, colors are not corrected");
    else
        return;
    DeviceStartup::MakeIdentityColourTable(colourTable);
}

// Without a sound device, or with one that cannot mix what the game plays,
// the game runs silent: every audio operation then does nothing.
void CD3D8Game::InitAudio()
{
    g_Log.Write("--- Initializing Audio ---");
    SysSound::Device* sound = nullptr;
    if (SysSound::CreateDevice(&sound) != SysSound::Ok || sound == nullptr)
    {
        g_Log.Write("No sound device available, the game runs without sound");
        return;
    }
    SysSound::Caps caps;
    GlobalFunc::FatalDSoundError("CD3D8Game::Init/5-2", sound->GetCaps(&caps), true);
    const CString details = DeviceStartup::MissingSoundRequirements(caps);
    if (!details.IsEmpty())
    {
        g_Log.Write("Your sound hardware doesn't meet thre requirements");
        g_Log.Write("Details:");
        g_Log.Write(details);
        g_Log.Write("The game runs without sound");
        sound->Release();
        return;
    }
    directSound = sound;
    GlobalFunc::FatalDSoundError("CD3D8Game::Init/6",
                                 directSound->SetCooperativeLevel(window.NativeHandle(), SysSound::CoopPriority),
                                 true);
    SysSound::BufferDesc primary;
    primary.flags = SysSound::BufferPrimary;
    GlobalFunc::FatalDSoundError("CD3D8Game::Init/7", directSound->CreateSoundBuffer(primary, &primaryBuffer), true);
    SysSound::WaveFormat format;
    format.formatTag = SysSound::FormatPcm;
    format.channels = kOutputChannels;
    format.samplesPerSec = SysSound::SampleRate;
    format.avgBytesPerSec = SysSound::SampleRate * kOutputBlockAlign;
    format.blockAlign = kOutputBlockAlign;
    format.bitsPerSample = SysSound::BitsPerSample;
    GlobalFunc::FatalDSoundError("CD3D8Game::Init/8", primaryBuffer->SetFormat(format), true);
    GlobalFunc::FatalDSoundError("CD3D8Game::Init/9", primaryBuffer->Play(SysSound::PlayLooping), true);
}

// ---- Shut-down -----------------------------------------------------------------

void CD3D8Game::Shutdown()
{
    g_Log.Write("--- Releasing technology resources ---");
    g_Log.Write("--- Releasing game fonts ---");
    ReleaseGameFonts();
    g_Log.Write("--- Releasing mouse cursors ---");
    cursors.Free();
    window.ConfineCursor(false);
    g_Log.Write("--- Shutting down Direct3D8 ---");
    // The batch goes first, so that nothing drawn outlives the device.
    g_VXBuffer.Free();
    ReleaseDirect3D();
    g_Log.Write("--- Releasing audio resources ---");
    g_VoiceBank.Free();
    g_Music.Release();
    g_SoundStream.Release();
    g_Log.Write("--- Shutting down Audio ---");
    ReleaseSound();
    g_Log.Write("--- Releasing game timer ---");
    StopTimer();
    g_Log.Write("--- Shutting down particle system ---");
    g_Particles.Shutdown();
    g_Log.Write("--- Shutting down game messages ---");
    delete g_MessageList;
    g_MessageList = nullptr;
    g_Log.Write("--- All game resources have been released succesfuly ---");
    window.ShowCursor(true);
}

void CD3D8Game::ReleaseDirect3D()
{
    if (device && GetD3DDevice() == device.get())
        SetD3DDevice(nullptr);
    device.reset();
    direct3D.reset();
}

void CD3D8Game::ReleaseSound()
{
    if (primaryBuffer != nullptr)
    {
        primaryBuffer->Stop();
        primaryBuffer->Release();
        primaryBuffer = nullptr;
    }
    if (directSound != nullptr)
    {
        directSound->SetCooperativeLevel(window.NativeHandle(), SysSound::CoopNormal);
        directSound->Release();
        directSound = nullptr;
    }
}

void CD3D8Game::ReleaseDevices()
{
    ReleaseDirect3D();
    ReleaseSound();
}

// A full-screen window that is minimised or loses the focus takes the
// drawing device with it until it is back; EndDraw waits that out.
void CD3D8Game::OnWindowStateMessage(const SysMessage& message)
{
    if (!device || !window.IsFullScreen())
        return;
    const bool away = message.message == WM_SIZE ? message.wParam == SIZE_MINIMIZED : message.wParam == 0;
    if (away)
        device->NotifyWindowLost();
    else
        device->NotifyWindowRestored();
}
