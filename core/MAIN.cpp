// The global objects of the game, defined in this one translation unit so
// that they are constructed in this fixed order before the entry function and
// destroyed in the reverse order after it; and the entry function with the
// start-up and release of the global services.  Rows whose subsystem is not
// built yet are added here, in their place, by the code that brings them.

#include "core/MAIN.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "core/C_Config.h"
#include "core/C_D3D8Game.h"
#include "core/C_File.h"
#include "core/C_FileSystem.h"
#include "core/C_Localizer.h"
#include "core/C_LogFile.h"
#include "core/C_MemoryBlock.h"
#include "core/C_PtrGarbage.h"
#include "core/GlobalFunc.h"
#include "editor/C_CtrlEditor.h"
#include "editor/F_BuildingsAvailable.h"
#include "editor/F_DependencyList.h"
#include "editor/F_EditorMenu.h"
#include "editor/F_EditorMessage.h"
#include "editor/F_ExportMap.h"
#include "editor/F_Identifier.h"
#include "editor/F_LoadMap.h"
#include "editor/F_PlayerProperties.h"
#include "editor/F_SaveMap.h"
#include "editor/F_SetTechTree.h"
#include "editor/F_TowerProperties.h"
#include "editor/F_UnitProperties.h"
#include "editor/F_UnitsAvailable.h"
#include "frontend/C_Campaign.h"
#include "frontend/C_CtrlBriefing.h"
#include "frontend/C_CtrlCredits.h"
#include "frontend/C_CtrlCutscene.h"
#include "frontend/C_CtrlMainMenu.h"
#include "frontend/C_CtrlObjectives.h"
#include "frontend/C_CtrlSummary.h"
#include "frontend/C_PlayerProfiles.h"
#include "frontend/F_Briefing.h"
#include "frontend/F_Summary.h"
#include "game/C_CtrlGame.h"
#include "game/C_MissionObjectives.h"
#include "game/C_Selection.h"
#include "game/F_Confirm.h"
#include "game/F_Dialogs.h"
#include "game/F_GameCommand.h"
#include "game/F_GameEnd.h"
#include "game/F_GameMenu.h"
#include "game/F_GameOptions.h"
#include "game/F_LoadGame.h"
#include "game/F_MissionObjectives.h"
#include "game/F_SaveGame.h"
#include "game/F_ScriptMessage.h"
#include "game/F_WaitPlayers.h"
#include "net/C_CtrlMultiplayerWait.h"
#include "net/C_MultiplayerGame.h"
#include "platform/SysClock.h"
#include "platform/SysCloseSignals.h"
#include "platform/SysCodePage.h"
#include "platform/SysFile.h"
#include "platform/SysInstanceLock.h"
#include "platform/SysMessageBox.h"
#include "randommap/C_CtrlRandomGame.h"
#include "world/C_DecorType.h"
#include "world/C_GameMap.h"
#include "world/C_PathFinder.h"
#include "world/C_Player.h"
#include "world/C_PlayerStatistics.h"
#include "world/C_ReferenceBase.h"
#include "world/C_Technology.h"
#include "world/C_UnitStats.h"
#include "media/C_2DFont.h"
#include "media/C_2DImage.h"
#include "media/C_EnvironmentFX.h"
#include "game/C_Hint.h"
#include "media/C_ModelRecord.h"
#include "media/C_Music.h"
#include "media/C_SoundStream.h"
#include "media/C_Texture.h"
#include "media/C_VoiceBank.h"
#include "world/RangeTables.h"

// 1: the executable folder is asked of the platform layer when needed.
// 2-5: line buffer, data-file path buffer, data-file list, reader pool.
CFileSystem g_FileSystem;
// 6: no shared scratch string: string operations return their results.
// 7: the application object; the main menu (row 27) is its first screen.
CD3D8Game g_D3D8Game(&g_CtrlMainMenu);
// 8
CConfig g_Config;
// 9
CLogFile g_Log;
// 10
CGameMap g_GameMap;
// 11
CPlayerProfiles g_PlayerProfiles;
// 12
CSelection g_Selection;
// 13
CRangeTable g_FullMapDisc;
// 14
CRangeTable g_SquareRange;
// 15: visit grid reset and node pool set up by its constructor.
CPathFinder g_PathFinder(g_GameMap);
// 16
CVoiceBank g_VoiceBank;
// 17
CEnvironmentFX g_EnvironmentFX;
// 18
CMusic g_Music;
// 19
CSoundStream g_SoundStream;
// 20: 65,536 entries and their sorted index.
CReferenceBase g_ReferenceBase;
// 21
CMissionObjectives g_MissionObjectives;
// 22
CTechnologyTree g_TechnologyTree;
// 23: shared in-memory file, 16,384 bytes at construction.
CMemoryBlock g_MemoryBlock;
// 24
CPtrGarbage g_PtrGarbage;
// 25-34: the screen controllers.
CCtrlGame g_CtrlGame;
CCtrlEditor g_CtrlEditor;
CCtrlMainMenu g_CtrlMainMenu;
CCtrlBriefing g_CtrlBriefing;
CCtrlObjectives g_CtrlObjectives;
CCtrlSummary g_CtrlSummary;
CCtrlCredits g_CtrlCredits;
CCtrlCutscene g_CtrlCutscene;
CCtrlRandomGame g_CtrlRandomGame;
CCtrlMultiplayerWait g_CtrlMultiplayerWait;
// 35-47: the editor forms.
FEditorMenu g_FEditorMenu;
FIdentifier g_FIdentifier;
FPlayerProperties g_FPlayerProperties;
FSetTechTree g_FSetTechTree;
FSaveMap g_FSaveMap;
FLoadMap g_FLoadMap;
FExportMap g_FExportMap;
FUnitsAvailable g_FUnitsAvailable;
FBuildingsAvailable g_FBuildingsAvailable;
FEditorMessage g_FEditorMessage;
FUnitProperties g_FUnitProperties;
FTowerProperties g_FTowerProperties;
FDependencyList g_FDependencyList;
// 48-60: the game and front-end forms.
FGameMenu g_FGameMenu;
FGameOptions g_FGameOptions;
FSaveGame g_FSaveGame;
FLoadGame g_FLoadGame;
FConfirm g_FConfirm;
FMissionObjectives g_FMissionObjectives;
FDialogs g_FDialogs;
FScriptMessage g_FScriptMessage;
FGameCommand g_FGameCommand;
FGameEnd g_FGameEnd;
FSummary g_FSummary;
FBriefing g_FBriefing;
FWaitPlayers g_FWaitPlayers;
// 61
CLocalizer g_Localizer;
// 62
CMultiplayerGame g_MultiplayerGame;

// The global tables, allocated by start-up and freed by FreeGlobals.
CPlayer* g_Players = nullptr;
CRangeTable* g_SightDiscs = nullptr;
CRangeTable* g_FilledDiscs = nullptr;
CRangeTable* g_SquareBorders = nullptr;
CRangeTable* g_SoftRings = nullptr;
// The index of this machine's player in g_Players.
int32_t g_LocalPlayer = 0;

namespace
{
// The build version the executable carries; the eight characters after the
// prefix are its version in hexadecimal.
const char kBuildVersionText[] = "V2KRNVERSION:01010004QZV2004";
constexpr int kBuildVersionDigitsAt = 13;
constexpr int kBuildVersionDigitCount = 8;

const char kGameTitle[] = "Ironmarch";
const char kInstanceLockName[] = "V2KRN";
const char kUnguardedText[] = "Running without the single-instance guard: no lock file could be made";

// "datafile.version" holds at most this many characters; a longer text names
// no version this game knows.
constexpr int kDataVersionTextLimit = 255;
// Data versions this game reads besides its own, oldest last.
const uint32_t kAcceptedDataVersions[] = {0x01010004, 0x01010000, 0x01010001, 0x01010002, 0x01010003};

constexpr int kSharedMemoryFileSize = 65536;

constexpr int kFatalExitCode = 1;

// One line on standard error, written at once: the process may end right
// after it.
void WriteErrorLine(const char* caption, const char* text)
{
    std::string line = std::string(caption ? caption : "") + ": ";
    bool lastWasBreak = false;
    for (const char* c = text ? text : ""; *c; ++c)
    {
        const bool isBreak = *c == '\n' || *c == '\r';
        if (!isBreak)
            line += *c;
        else if (!lastWasBreak)
            line += ' ';
        lastWasBreak = isBreak;
    }
    while (!line.empty() && line.back() == ' ')
        line.pop_back();
    line += '\n';
    std::fputs(line.c_str(), stderr);
    std::fflush(stderr);
}

int HexDigitValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

bool EqualsIgnoringCase(const char* a, const char* b)
{
    for (; *a && *b; ++a, ++b)
    {
        if (CString::ToUpperChar(*a) != CString::ToUpperChar(*b))
            return false;
    }
    return *a == *b;
}

// The window origin of the application object from the command line.
void PlaceWindow(const char* commandLine)
{
    int32_t x = 0;
    int32_t y = 0;
    GetClientPlacement(commandLine, g_Config.screenWidth, g_Config.screenHeight, x, y);
    g_D3D8Game.windowX = x;
    g_D3D8Game.windowY = y;
}

// The text of "datafile.version" checked against the versions this game
// reads; a data file without it passes without a word.
void CheckDataFileVersion()
{
    CFile file;
    if (!file.OpenRead("datafile.version"))
        return;
    char text[kDataVersionTextLimit + 2] = {};
    const int read = file.Read(text, kDataVersionTextLimit + 1);
    file.Close();
    const bool tooLong = read > kDataVersionTextLimit;
    if (read > 0 && !tooLong)
        text[read] = 0;
    if (read >= 0 && !tooLong && IsAcceptedDataVersion(text))
        return;
    SysMessageBox::Show(g_D3D8Game.window.NativeHandle(),
                        "The datafile and the game have different version number,\n"
                        "it may cause run-time error, or some of the files might be missing.",
                        "Warning");
}

void LoadLocaleTexts()
{
    g_Localizer.Clear();
    if (!g_Localizer.LoadLocaleFolder(g_Config.languageFolder))
    {
        const CString text = CString("Syntax error in locale file:\n") + g_Localizer.GetLastError();
        EndProcessOnFatalError(text, "Falied to Initialize");
    }
    g_Localizer.InitTypeNames();
}

CString PlayerProfilesPath()
{
    return g_Config.dataFolder + "players.prf";
}

// A path as the player finds it on disk: the game's own form keeps the ".\"
// of the default data folder.
std::string ShownDiskPath(const char* path)
{
    std::string disk = SysFile::ToDiskPath(path);
    for (size_t at = disk.find("/./"); at != std::string::npos; at = disk.find("/./", at))
        disk.erase(at, 2);
    return disk;
}

// A profile file that does not load is kept aside before the empty one that
// start-up promises is written in its place.
void LoadPlayerProfiles()
{
    const CString path = PlayerProfilesPath();
    if (g_PlayerProfiles.Load(path))
        return;
    CPlayerProfiles::KeepDamagedFile(path);
    g_PlayerProfiles.Clear();
    g_PlayerProfiles.Save(path);
}
}

EBuildVersionCheck CheckBuildVersion(const char* buildText)
{
    if (!buildText || std::strlen(buildText) < kBuildVersionDigitsAt + kBuildVersionDigitCount)
        return EBuildVersionCheck::Malformed;
    uint32_t version = 0;
    for (int i = 0; i < kBuildVersionDigitCount; ++i)
    {
        const int digit = HexDigitValue(buildText[kBuildVersionDigitsAt + i]);
        if (digit < 0)
            return EBuildVersionCheck::Malformed;
        version = version * 16 + static_cast<uint32_t>(digit);
    }
    return version == GlobalFunc::GameVersion ? EBuildVersionCheck::Valid : EBuildVersionCheck::Mismatch;
}

void ReportFatalError(const char* text, const char* caption)
{
    // The game ends after this: a close request must end it with its box, not
    // wait for the OK that the box waits for.
    SysCloseSignals::EndProcessOnSignal();
    // The line comes first: the box waits for a player who may not be there.
    WriteErrorLine(caption, text);
    // Without a display the box itself would only write to standard error.
    if (!SysMessageBox::IsHeadless())
        SysMessageBox::Show(g_D3D8Game.window.NativeHandle(), text, caption);
}

void EndProcessOnFatalError(const char* text, const char* caption)
{
    ReportFatalError(text, caption);
    std::exit(kFatalExitCode);
}

void EndProcessOnFatalError(const char* text)
{
    WriteErrorLine(kGameTitle, text);
    std::exit(kFatalExitCode);
}

bool GetClientPlacement(const char* commandLine, int32_t screenWidth, int32_t screenHeight, int32_t& x,
                        int32_t& y)
{
    x = 0;
    y = 0;
    if (!commandLine)
        return false;
    if (EqualsIgnoringCase(commandLine, "-client1"))
        x = screenWidth;
    else if (EqualsIgnoringCase(commandLine, "-client2"))
        y = screenHeight;
    else if (EqualsIgnoringCase(commandLine, "-client3"))
    {
        x = screenWidth;
        y = screenHeight;
    }
    else
        return false;
    return true;
}

bool IsAcceptedDataVersion(const char* text)
{
    if (!text)
        return false;
    if (GlobalFunc::GetGameVersionText() == text)
        return true;
    for (const uint32_t version : kAcceptedDataVersions)
    {
        if (GlobalFunc::VersionToText(version) == text)
            return true;
    }
    return false;
}

void Startup()
{
    GlobalFunc::SeedRandom(SysClock::TickCount());
    g_Log.Create(g_Config.dataFolder + "Ravelin3.log");
    g_Log.Write(CString("Ironmarch(tm) ") + GlobalFunc::GetGameVersionText());
    g_Log.Write("Copyright (c) the makers of Ironmarch");
    g_Log.Write("All rights reserved");
    g_Log.Write("");
    g_Log.Write("--- Initializing file system ---");

    InitDataFile(g_Config.dataFolder + "v2krn.med", 1);
    for (int i = 0; i < g_Config.includeFiles.GetCount(); ++i)
        InitAdditionalDataFile(g_Config.includeFiles[i]);
    CheckDataFileVersion();
    g_Log.Write("--- File system initialized ---");

    LoadLocaleTexts();

    // The global tables, in this order: the 8 players, the 347 3-D model
    // slots, the range tables, the 6 textures, the 179 2-D images, the 8
    // fonts, the 128 decoration types, the 119 command hints, the 100 type
    // records and the 8 player statistics; then the technology tree.
    g_Players = new CPlayer[MaxPlayers];
    AllocGlobalModels();
    AllocRangeTables();
    AllocGlobalTextures();
    AllocGlobalImages();
    AllocGlobalFonts();
    // Decoration types: (with their code)
    AllocGlobalHints();
    g_UnitStats = new CUnitStats[TypeRecordCount];
    g_PlayerStatistics = new CPlayerStatistics[PlayerStatisticsCount];
    g_TechnologyTree.Init();

    LoadPlayerProfiles();
    g_MemoryBlock.Init(kSharedMemoryFileSize);
    g_MultiplayerGame.InitDumpMessages();
    GlobalFunc::LoadCampaigns();
}

void FreeGlobals()
{
    g_Log.Write("Freeing global resources");
    // Objects still waiting for deletion may refer to the tables freed below.
    g_PtrGarbage.Flush();
    g_Localizer.Clear();
    // The global tables in the order they were allocated, then the
    // technology tree.
    delete[] g_Players;
    FreeGlobalModels();
    FreeRangeTables();
    FreeGlobalTextures();
    FreeGlobalImages();
    FreeGlobalFonts();
    FreeDecorTypes();
    FreeGlobalHints();
    delete[] g_UnitStats;
    delete[] g_PlayerStatistics;
    g_TechnologyTree.Clear();
    FreeCampaigns();
    g_MemoryBlock.Free();
    g_MultiplayerGame.Shutdown();
    g_Log.Write("Globals freed");
    // A full disk or a read-only folder may keep the log from being written
    // as well: what was not saved is told on standard error too.
    const CString profilesPath = PlayerProfilesPath();
    if (!g_PlayerProfiles.Save(profilesPath))
        WriteErrorLine(kGameTitle, ("Unable to write the player profiles: " + ShownDiskPath(profilesPath)).c_str());
    // The profiles and the additional data-file names are not needed past
    // this point; the resource report that follows counts their strings.
    g_PlayerProfiles.Clear();
    g_Config.includeFiles.Clear();
}

int WinMain(const char* commandLine)
{
    // A close request that arrives while the game is still starting up is
    // kept until the message pump runs, so the game then quits in order.
    SysCloseSignals::Install();
    GlobalFunc::MarkLeakBaseline();

    switch (CheckBuildVersion(kBuildVersionText))
    {
    case EBuildVersionCheck::Malformed:
        ReportFatalError("The version string is not valid", "Error!");
        return kFatalExitCode;
    case EBuildVersionCheck::Mismatch:
        ReportFatalError("The version string doesn't match", "Error!");
        return kFatalExitCode;
    case EBuildVersionCheck::Valid:
        break;
    }

    // Every start is guarded, -clientN ones too: two games in one folder
    // would share their log, configuration and profiles.
    SysInstanceLock instanceLock;
    const SysInstanceLock::Result guard = instanceLock.Acquire(kInstanceLockName);
    if (guard == SysInstanceLock::Result::HeldElsewhere)
    {
        ReportFatalError("An other instance of the game is already running", kGameTitle);
        return kFatalExitCode;
    }
    // No lock anywhere: the game still runs, but says so, since a second game
    // in this folder would now share its files.
    if (guard == SysInstanceLock::Result::Unavailable)
        WriteErrorLine(kGameTitle, kUnguardedText);

    // Before the log exists: the player learns it here or not at all.
    if (!ReadConfig())
        WriteErrorLine(kGameTitle, "The configuration file v2krn.cfg is longer than any configuration: the game "
                                   "starts on the defaults and leaves the file as it is");
    SysCodePage::SetCurrent(SysCodePage::ForLanguage(g_Config.languageFolder));
    PlaceWindow(commandLine);
    Startup();
    if (guard == SysInstanceLock::Result::Unavailable)
        g_Log.Write(kUnguardedText);

    g_D3D8Game.width = g_Config.screenWidth;
    g_D3D8Game.height = g_Config.screenHeight;
    g_D3D8Game.bitsPerPixel = g_Config.colourDepth;
    const bool ran = g_D3D8Game.Run(kGameTitle);

    FreeGlobals();
    if (!WriteConfig())
        WriteErrorLine(kGameTitle, "Unable to write the configuration file v2krn.cfg");
    GlobalFunc::ReportLeaks();
    g_Log.Write("--- Shutting down file system ---");
    ShutdownFileSystem();
    g_Log.Write("End of game...");
    instanceLock.Release();
    return ran ? 0 : kFatalExitCode;
}
