// The game's random-number generator and the fatal reports of the drawing
// and sound devices.

#include <cstdint>
#include <cstdlib>

#include "core/C_Config.h"
#include "core/C_D3D8Game.h"
#include "core/C_LogFile.h"
#include "core/GlobalFunc.h"
#include "core/MAIN.h"
#include "platform/SysDevice3DTypes.h"
#include "platform/SysSound.h"

namespace
{
// The classic linear congruential generator of the C library; its exact
// sequence matters because every game decision draws from it.
constexpr uint32_t RandomMultiplier = 214013;
constexpr uint32_t RandomIncrement = 2531011;
constexpr int RandomShift = 16;
constexpr uint32_t RandomMask = 0x7FFF;

uint32_t g_RandomState = 1;

[[noreturn]] void ReportFatal(const char* callerLabel, int32_t resultCode,
                              const char* codeLinePrefix, const char* errorText,
                              const char* caption)
{
    if (callerLabel == nullptr)
        callerLabel = "";
    if (!g_Config.logging)
    {
        g_Config.logging = 1;
        g_Log.Create(g_Config.dataFolder + "Ravelin3.log");
    }

    CString code;
    code.FromInt(resultCode);
    const CString codeLine = CString(codeLinePrefix) + code;
    const CString descriptionLine = CString("Error description:") + errorText;
    g_Log.Write(callerLabel);
    g_Log.Write(codeLine);
    g_Log.Write(descriptionLine);

    const CString boxText =
        CString("Caller:") + callerLabel + '\r' + codeLine + '\r' + descriptionLine;
    EndProcessOnFatalError(boxText, caption);
}
} // namespace

namespace GlobalFunc
{
void FatalD3DError(const char* callerLabel, int32_t resultCode, bool check)
{
    if (!check || resultCode == 0)
        return;
    ReportFatal(callerLabel, resultCode, "Fatal D3D error- ErrorCode:",
                Sys3DResultText(resultCode), "Direct3D error");
}

void FatalDSoundError(const char* callerLabel, int32_t resultCode, bool check)
{
    if (!check || resultCode == 0)
        return;
    ReportFatal(callerLabel, resultCode, "Fatal DirectSound error- ErrorCode:",
                SysSound::ErrorText(resultCode), "DirectSound error");
}

void SeedRandom(uint32_t seed)
{
    g_RandomState = seed;
}

int Random(int n)
{
    if (n < 1)
    {
        DEBUG_REPORT("#DEBUG: GlobalFunc::Random() range below 1");
        return 0;
    }
    g_RandomState = g_RandomState * RandomMultiplier + RandomIncrement;
    const int output = static_cast<int>((g_RandomState >> RandomShift) & RandomMask);
    return output % n;
}

} // namespace GlobalFunc
