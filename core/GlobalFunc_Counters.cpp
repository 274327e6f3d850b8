// The live-object counters and the resource report at exit.

#include "core/GlobalFunc.h"

#include "buildings/C_Building.h"
#include "core/C_Config.h"
#include "core/C_FileSystem.h"
#include "core/C_LogFile.h"
#include "platform/SysMessageBox.h"
#include "units/C_Unit.h"

namespace
{
enum Counter
{
    Units,
    Buildings,
    Textures,
    Objects3D,
    CustomPointers,
    Strings,
    CounterCount
};

int g_Counters[CounterCount] = {};
int g_Baseline[CounterCount] = {};

// The underrun line is written through the log, which itself makes and
// drops strings: a report must not report again from inside itself.
bool g_Reporting = false;

void Adjust(Counter counter, int delta, const char* underrunLine)
{
    g_Counters[counter] += delta;
    if (g_Counters[counter] >= 0 || g_Reporting)
        return;
    g_Reporting = true;
    g_Log.Write(underrunLine);
    g_Reporting = false;
}

void LogCounter(const char* label, int value)
{
    CString line(label);
    CString number;
    number.FromInt(value);
    line += number;
    g_Log.Write(line);
}
} // namespace

namespace GlobalFunc
{
void CountTextureRefs(int delta)
{
    Adjust(Textures, delta, "#DEBUG: Texture references underrun!");
}

void Count3DObjectRefs(int delta)
{
    Adjust(Objects3D, delta, "#DEBUG: 3D Object references underrun!");
}

void CountStringRefs(int delta)
{
    Adjust(Strings, delta, "#DEBUG: String references underrun!");
}

int GetUnitRefs() { return g_Counters[Units]; }
int GetBuildingRefs() { return g_Counters[Buildings]; }
int GetTextureRefs() { return g_Counters[Textures]; }
int Get3DObjectRefs() { return g_Counters[Objects3D]; }
int GetCustomPointerRefs() { return g_Counters[CustomPointers]; }
int GetStringRefs() { return g_Counters[Strings]; }

void MarkLeakBaseline()
{
    for (int i = 0; i < CounterCount; ++i)
        g_Baseline[i] = g_Counters[i];
}

void ReportLeaks()
{
    // The report's own strings must not show in the numbers it prints.
    int counts[CounterCount];
    for (int i = 0; i < CounterCount; ++i)
        counts[i] = g_Counters[i];

    static const char* const labels[CounterCount] = {
        "Units:", "Buildings:", "Textures:", "3D Objects:", "Custom pointers:", "Strings:"};
    static const char* const warnings[CounterCount] = {
        "Allocated unit(s) remained",     "Allocated building(s) remained",
        "Allocated texture(s) remained",  "Allocated 3D object(s) remained",
        "Allocated custom pointers",      "Allocated string pointers"};

    g_Log.Write("-- Allocated resources remained --");
    for (int i = 0; i < CounterCount; ++i)
        LogCounter(labels[i], counts[i]);
    LogCounter("Sizeof(CUnit):", static_cast<int>(sizeof(CUnit)));
    LogCounter("Sizeof(CBuilding):", static_cast<int>(sizeof(CBuilding)));

    if (!g_Config.logging)
        return;
    // The file layer is shut down after this report: its strings are still
    // held, not lost.
    int expected[CounterCount];
    for (int i = 0; i < CounterCount; ++i)
        expected[i] = g_Baseline[i];
    expected[Strings] += g_FileSystem.CountHeldStrings();
    for (int i = 0; i < CounterCount; ++i)
    {
        if (counts[i] != expected[i])
            SysMessageBox::Show(nullptr, warnings[i], "#DEBUG: Warning");
    }
}
} // namespace GlobalFunc
