#include <algorithm>
#include <filesystem>
#include <fstream>

#include "core/C_Config.h"
#include "core/C_File.h"
#include "core/C_MemoryBlock.h"
#include "core/C_PtrGarbage.h"
#include "core/GlobalFunc.h"
#include "core/MAIN.h"
#include "media/C_ModelRecord.h"
#include "platform/SysCloseSignals.h"
#include "tests/lifecycle/Lifecycle_GameFolder.h"
#include "tests/platform/Child_Process.h"
#include "tests/support/ReferenceBytes.h"
#include "units/C_Unit.h"
#include "world/RangeTables.h"

using namespace lifecycle_test;

namespace
{
// Magic, no profile, no current profile, CRC of those 24 bytes.
std::string EmptyProfileFile()
{
    const std::string body = std::string("V2KRNplprofiles1") + LE32(0) + LE32(0xFFFFFFFFu);
    return body + LE32(ReferenceCrc32(body));
}

class LifecycleEndToEnd : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(folder.Pack()); }

    CGameFolder folder;
};

// A unit that notes in the log when it is finally deleted.
class NotingUnit : public CUnit
{
public:
    ~NotingUnit() override { g_Log.Write("unit deleted"); }
};
}  // namespace

// The second run finds the profile file damaged and is stopped by an interrupt, which ends it as cleanly.
TEST_F(LifecycleEndToEnd, RunsUntilStoppedShutsDownInOrderAndWritesItsFiles)
{
    const std::string config = "LOGGING=ON\r\nWINDOWEDMODE=ON\r\nRESOLUTION=640,480,32\r\nGAMMA=1.05 ; brighter\r\n";
    folder.SetConfig(config);
    ASSERT_EQ(0, folder.RunUntilStopped());
    std::vector<std::string> lines = folder.LogLines();
    ASSERT_GE(lines.size(), 5u);
    EXPECT_TRUE("All rights reserved" == lines[2] && "" == lines[3]);
    // These lines in this order, others between them.
    const std::vector<std::string> steps = {
        "--- Initializing file system ---", "--- File system initialized ---", "--- Initializing game timer ---",
        kPreloadFinished, "--- Releasing game timer ---", "--- All game resources have been released succesfuly ---",
        "Freeing global resources", "Globals freed", "-- Allocated resources remained --",
        "--- Shutting down file system ---", "End of game..."};
    size_t next = 0;
    for (auto line = lines.begin() + 4; line != lines.end() && next < steps.size(); ++line)
        next += *line == steps[next] ? 1 : 0;
    EXPECT_EQ(steps.size(), next) << folder.Log();
    EXPECT_TRUE(steps[0] == lines[4] && steps.back() == lines.back());
    EXPECT_TRUE(config == folder.Read("v2krn.cfg") && !folder.Exists("v2krn.cfgnew") &&
                EmptyProfileFile() == folder.Read("players.prf"));

    std::string damaged = folder.Read("players.prf");
    damaged[20] = 1;  // one byte of the current index changed: the CRC fails
    std::ofstream(folder.GameFolder() + "players.prf", std::ios::binary) << damaged;
    ASSERT_EQ(0, folder.RunUntilStopped(SIGINT));
    EXPECT_TRUE("End of game..." == folder.LogLines().back() && damaged == folder.Read("players.prf.damaged") &&
                EmptyProfileFile() == folder.Read("players.prf"));
    EXPECT_NE(std::string::npos, folder.Log().find("#DEBUG: Invalid player profile CRC"));

    // A folder where each temporary file must go: nothing can be saved at exit, and the log may be as
    // unwritable, so standard error names both files; the old ones stay whole.
    for (const char* blocked : {"v2krn.cfgnew/in", "players.prf.tmp/in"})
        std::filesystem::create_directories(folder.GameFolder() + blocked);
    std::string errors;
    ASSERT_EQ(0, folder.RunUntilStopped(SIGTERM, &errors));
    EXPECT_EQ("Ironmarch: Unable to write the player profiles: " + folder.GameFolder() + "players.prf\n"
              "Ironmarch: Unable to write the configuration file v2krn.cfg\n", errors);
    EXPECT_TRUE(config == folder.Read("v2krn.cfg") && EmptyProfileFile() == folder.Read("players.prf"));

    // Standard error a pipe whose reader has gone: the profiles' line is lost, the rest of the exit is not.
    std::filesystem::remove_all(folder.GameFolder() + "v2krn.cfgnew");
    const std::string windowed = "LOGGING=ON\r\nWINDOWEDMODE=ON\r\nRESOLUTION=640,480,32\r\n";
    folder.SetConfig(windowed + "GAMMA=1.5\r\n");
    ASSERT_EQ(0, folder.RunUntilStopped(SIGTERM, nullptr, true));
    EXPECT_TRUE("End of game..." == folder.LogLines().back() &&
                windowed + "GAMMA=1.50\r\n" == folder.Read("v2krn.cfg"));
}

// A named pipe in place of the profile file holds nothing up and is neither kept aside nor replaced: the game runs
// without profiles and names the file at exit.  A linked configuration is written through its link.
TEST_F(LifecycleEndToEnd, APipeForTheProfilesIsLeftAloneAndALinkedConfigurationIsWrittenThrough)
{
    namespace fs = std::filesystem;
    const std::string game = folder.GameFolder();
    ASSERT_EQ(0, mkfifo((game + "players.prf").c_str(), 0600));
    const std::string settings = "LOGGING=ON\r\nWINDOWEDMODE=ON\r\nRESOLUTION=640,480,32\r\nGAMMA=1.5";
    std::ofstream(game + "settings.cfg", std::ios::binary) << settings << "\r\n";
    fs::remove(game + "v2krn.cfg"), fs::create_symlink("settings.cfg", game + "v2krn.cfg");
    std::string errors;
    ASSERT_EQ(0, folder.RunUntilStopped(SIGTERM, &errors));
    EXPECT_EQ("Ironmarch: Unable to write the player profiles: " + game + "players.prf\n", errors);
    EXPECT_TRUE(fs::is_fifo(game + "players.prf") && !folder.Exists("players.prf.damaged"));
    EXPECT_TRUE(fs::is_symlink(game + "v2krn.cfg") && settings + "0\r\n" == folder.Read("settings.cfg"));
}

// A window placed for a second game on the desktop changes nothing: the second game would share the first one's log,
// configuration and profiles. Nor does a runtime folder that does not exist: the lock then lies in the temporary
// folder.  Only where no lock can be made at all does a game run unguarded, and it says so.
TEST_F(LifecycleEndToEnd, SecondInstanceIsRefusedWhateverItsCommandLineAndTouchesNothing)
{
    const std::string missing = folder.GameFolder() + "missing";
    for (const bool runtimeFolderMissing : {false, true})
    {
        SCOPED_TRACE(runtimeFolderMissing);
        const auto prepare = [&](CProcess& game) {
            game.SetEnvironment("XDG_RUNTIME_DIR", runtimeFolderMissing ? missing : folder.GameFolder());
            game.SetEnvironment("TMPDIR", folder.GameFolder());
        };
        folder.RemoveLog();   // the game is up once its own log says so
        CProcess first;
        prepare(first);
        ASSERT_TRUE(folder.StartGame(first) && folder.WaitUntilRunning(first)) << first.Errors();
        const std::string log = folder.Log(), profiles = folder.Read("players.prf");

        for (const std::vector<std::string>& arguments : {std::vector<std::string>{}, {"-client2"}, {"-CLIENT1"}})
        {
            CProcess second;
            prepare(second);
            ASSERT_TRUE(folder.StartGame(second, arguments, "second") && 1 == second.Wait());
            EXPECT_TRUE("Ironmarch: An other instance of the game is already running\n" == second.Errors() &&
                        log == folder.Log() && profiles == folder.Read("players.prf"));
        }
        EXPECT_EQ(0, first.Terminate()) << first.Errors();
        EXPECT_EQ("", first.Errors());
    }

    const char unguarded[] = "Running without the single-instance guard: no lock file could be made";
    folder.RemoveLog();
    CProcess alone;
    alone.SetEnvironment("XDG_RUNTIME_DIR", missing), alone.SetEnvironment("TMPDIR", missing);
    ASSERT_TRUE(folder.StartGame(alone) && folder.WaitUntilRunning(alone)) << alone.Errors();
    EXPECT_TRUE(0 == alone.Terminate() && "Ironmarch: " + std::string(unguarded) + "\n" == alone.Errors())
        << alone.Errors();
    const std::vector<std::string> lines = folder.LogLines();
    EXPECT_EQ(1, std::count(lines.begin(), lines.end(), unguarded));
}

TEST(StartupFailures, EndWithCodeOneAndOneLineOnStandardErrorWhateverTheLogging)
{
    const std::string loggingOff = "LOGGING=OFF\r\nWINDOWEDMODE=ON\r\nRESOLUTION=640,480,32\r\n";
    const std::string fullScreen = "Ironmarch: Unable to find an appropriate graphics mode";
    // A file written over the test's own (a data file under Locale), whether the data file is packed, the video driver
    // and the start of standard error, after which one line follows.
    const struct { const char* what; std::string file, bytes; bool pack; const char* driver; std::string errors; }
        cases[] = {
        {"full screen where the video driver offers no display modes", "v2krn.cfg", "LOGGING=OFF\r\n", true,
         "offscreen", fullScreen},
        {"no video device that can draw", "v2krn.cfg", loggingOff, true, "dummy",
         "Ironmarch: Unable to open the game window: "},
        {"no data file", "v2krn.cfg", loggingOff, false, "offscreen",
         "Ironmarch(tm): Datafile not found, check your configuration"},
        {"a damaged data file: its directory lies past its end", "v2krn.med", "\xff\xff\xff\x7f" "body", false,
         "offscreen", "Ironmarch(tm): Error loading data file. The file might be corrupt"},
        {"a missing additional data file", "v2krn.cfg", loggingOff + "INCLUDE=absent.med\r\n", true, "offscreen",
         "Ironmarch(tm): Additional datafile not found, check your configuration"},
        {"a configuration longer than any: the defaults", "v2krn.cfg", loggingOff + std::string(1 << 20, ';'), true,
         "offscreen", "Ironmarch: The configuration file v2krn.cfg is longer than any configuration: the game starts "
                      "on the defaults and leaves the file as it is\n" + fullScreen},
        {"a locale file with a syntax error", "Locale/English/broken.txt", "UN_KING, \"King\"\r\nUN_GIANT \"Giant\"",
         true, "offscreen", "Falied to Initialize: Syntax error in locale file: \",\" Expected in "
                            "\"Locale\\English\\BROKEN.TXT\" line 2"},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.what);
        CGameFolder folder;
        folder.SetConfig(loggingOff);
        if (c.file.find('/') != std::string::npos) folder.SetDataFile(c.file, c.bytes);
        else std::ofstream(folder.GameFolder() + c.file, std::ios::binary) << c.bytes;
        ASSERT_TRUE(!c.pack || folder.Pack());
        CProcess game;
        game.SetEnvironment("SDL_VIDEODRIVER", c.driver);
        ASSERT_TRUE(folder.StartGame(game) && 1 == game.Wait());
        const std::string errors = game.Errors();
        const auto lines = [](const std::string& text) { return std::count(text.begin(), text.end(), '\n'); };
        EXPECT_TRUE(errors.find(c.errors) == 0 && errors.back() == '\n' && lines(errors) == lines(c.errors) + 1)
            << errors;
        EXPECT_FALSE(folder.Exists("Ravelin3.log"));
    }
    // Standard error a pipe whose reader has gone: the line is lost, the exit code is not.
    CGameFolder folder;
    CProcess piped;
    piped.brokenErrorPipe = true;
    EXPECT_TRUE(folder.StartGame(piped) && 1 == piped.Wait());
}

// The project's demo data, laid out as ./run lays it out, holds every file
// and locale text that start-up asks for, packed the way the game reads it.
TEST(StartupDemoData, TextsHaveCrLfLineEndsTheGameStartsWithoutAMissingTextOrFileAndFreeingDeletesWaitingFirst)
{
    CGameFolder folder;
    ASSERT_TRUE(folder.LayOutDemoData());
    // The entries as medpack lists them, "OFFSET SIZE NAME" a line.
    CProcess medpack;
    const std::string med = folder.GameFolder() + "v2krn.med";
    ASSERT_TRUE(medpack.Start(V2KRN_TOOLS_DIR "/medpack", {"list", med}, folder.GameFolder(), med + ".list"));
    ASSERT_EQ(0, medpack.Wait());
    const std::string file = folder.Read("v2krn.med");
    std::istringstream list(medpack.Output());
    size_t offset = 0, size = 0;
    std::string name;
    int texts = 0;
    while (list >> offset >> size >> name && offset + size <= file.size())
    {
        const std::string body = file.substr(offset, size);
        if (name == "DATAFILE.VERSION")
            EXPECT_EQ("1.1.0.4", body);  // compared whole: no line end
        else if (name == "INGAME\\GAMMARAMPS\\DEFAULT.RAMP")
        {
            // Red, green and blue, each the identity: entry i is i * 257, little-endian.
            ASSERT_EQ(1536u, body.size());
            for (size_t at = 0; at < body.size(); at += 2)
                ASSERT_EQ(at / 2 % 256 * 257, size_t(uint8_t(body[at]) | uint8_t(body[at + 1]) << 8)) << at;
        }
        else if (body.find('\0') == std::string::npos)
        {
            ++texts;
            // Every line ends with CR LF, the last one too, and no CR or LF stands alone.
            size_t crLf = 0;
            for (size_t at = body.find("\r\n"); at != std::string::npos; at = body.find("\r\n", at + 2)) ++crLf;
            EXPECT_EQ(std::pair(std::ranges::count(body, '\n'), std::ranges::count(body, '\r')),
                      std::pair(std::ptrdiff_t(crLf), std::ptrdiff_t(crLf))) << name;
            EXPECT_EQ("\r\n", body.substr(body.size() - std::min<size_t>(2, body.size()))) << name;
        }
    }
    EXPECT_GE(texts, 4);  // at least the configuration and the English locale files

    ASSERT_EQ(0, folder.RunUntilStopped());
    // Missing files are logged as "File not found:NAME", "... not found ...".
    std::string missing;
    for (const std::string& line : folder.LogLines())
        if (line.find("Cannot find locale resource") != std::string::npos ||
            line.find("not found") != std::string::npos)
            missing += line + '\n';
    EXPECT_TRUE("" == missing && "End of game..." == folder.LogLines().back());

    // Started up in this process on the same data, the tables are built, and freeing deletes waiting objects first
    // and writes the profiles anew.
    std::filesystem::remove(folder.GameFolder() + "players.prf");
    const CConfig config = g_Config;
    g_Config.dataFolder = folder.GameFolder().c_str(), g_Config.languageFolder = "English\\";
    const int objects = GlobalFunc::Get3DObjectRefs();
    Startup();

    // The 347 model slots, each with its 3-D object.
    EXPECT_TRUE(nullptr != GetGlobalModel(0) && nullptr != GetGlobalModel(346) && nullptr == GetGlobalModel(347));
    EXPECT_EQ(objects + 347, GlobalFunc::Get3DObjectRefs());
    // Line range 1: the border of a one-block footprint, a block of each side at a time.
    std::vector<std::pair<int, int>> line1;
    for (int i = 0; i < g_SquareBorders[1].count; ++i)
        line1.emplace_back(g_SquareBorders[1].entries[i].dx, g_SquareBorders[1].entries[i].dy);
    EXPECT_EQ(line1, (std::vector<std::pair<int, int>>{{-1, -1}, {1, -1}, {0, 1}, {-1, 0}, {0, -1}, {1, 0}, {1, 1},
                                                        {-1, 1}}));
    EXPECT_EQ(0, g_SquareBorders[0].count);

    CTestLog log;
    g_PtrGarbage.AddUnit(new NotingUnit), FreeGlobals();

    const std::vector<std::string> lines = log.Lines();
    ASSERT_GE(lines.size(), 3u);
    EXPECT_TRUE("Freeing global resources" == lines[0] && "unit deleted" == lines[1] &&
                "Globals freed" == lines.back());
    EXPECT_TRUE(0 == g_PtrGarbage.GetCount() && nullptr == GetGlobalModel(0) &&
                objects == GlobalFunc::Get3DObjectRefs());
    EXPECT_EQ(28u, CScratchFolder::ReadFile(folder.GameFolder() + "players.prf").size());

    ShutdownFileSystem(), g_Config = config, g_MemoryBlock.Init(CMemoryBlock::DefaultGrowStep);
}

// ./run in a copy of the project whose build steps do nothing and whose game only notes the arguments it was given:
// without a display and without SDL_VIDEODRIVER it says so and starts nothing (the game would run unseen, holding the
// user's lock); a game it starts gets its arguments as they were given.
TEST(StartupRunScript, StartsTheGameOnlyWithADisplayOrAVideoDriver)
{
    CScratchFolder project;
    project.Write("tools/ensure-packages.sh", "v2krn_ensure_packages() { :; }\n");
    project.Write("build/v2krn", "#!/bin/sh\nprintf '[%s]' \"$@\" > ran\n");
    project.MakeFolder("build/game"), project.MakeFolder("bin");
    std::filesystem::copy_file(V2KRN_SOURCE_DIR "/run", project / "run");
    const std::string game = project / "build/v2krn", cmake = project / "bin/cmake";
    ASSERT_EQ(0, chmod(game.c_str(), 0700) | symlink("/bin/true", cmake.c_str()));
    const std::tuple<const char*, const char*, bool> cases[] = {
        {"", "", false}, {"", "offscreen", true}, {":9999", "", true}};
    for (const auto& [display, driver, started] : cases)
    {
        SCOPED_TRACE(testing::Message() << "DISPLAY=" << display << " SDL_VIDEODRIVER=" << driver);
        CProcess run;
        for (const auto& [name, value] : {std::pair<std::string, std::string>{"DISPLAY", display},
                                          {"SDL_VIDEODRIVER", driver}, {"WAYLAND_DISPLAY", ""},
                                          {"PATH", project / "bin:/usr/bin:/bin"}}) run.SetEnvironment(name, value);
        ASSERT_TRUE(run.Start(project / "run", {"-client2", "two  words", ""}, project.Path(), project / "run"));
        EXPECT_EQ(started ? 0 : 1, run.Wait());
        EXPECT_EQ(started ? "[-client2][two  words][]" : "", CScratchFolder::ReadFile(project / "build/game/ran"));
        std::remove((project / "build/game/ran").c_str());
        EXPECT_EQ(started, run.Errors().find("is not started") == std::string::npos) << run.Errors();
    }
}

TEST(StartupChecks, TheBuildVersionIsOnlyOurOwnHexadecimalOneAndOnlyTheWholeCommandLineMovesTheWindow)
{
    const struct { const char* text; EBuildVersionCheck result; } cases[] = {
        {"V2KRNVERSION:01010004QZV2004", EBuildVersionCheck::Valid}, {nullptr, EBuildVersionCheck::Malformed},
        {"V2KRNVERSION:01010003QZV2004", EBuildVersionCheck::Mismatch},
        {"V2KRNVERSION:0101000A", EBuildVersionCheck::Mismatch}, {"V2KRNVERSION:0101", EBuildVersionCheck::Malformed},
        {"V2KRNVERSION:0101000a", EBuildVersionCheck::Mismatch},   // either case, and not ours
        {"V2KRNVERSION:0101000G", EBuildVersionCheck::Malformed}};
    for (const auto& c : cases) EXPECT_EQ(c.result, CheckBuildVersion(c.text)) << (c.text ? c.text : "(null)");
    // The data versions read without a warning, compared whole and with case.
    const std::pair<const char*, bool> dataVersions[] = {
        {"1.1.0.4", true},  {"1.1.0", true},     {"1.1.0.1", true},     {"1.1.0.2", true},   {"1.1.0.3", true},
        {"1.1.0.5", false}, {"1.1.0.0", false},  {"1.1.0.4 ", false},   {"1.1.0.4\r\n", false}, {"", false}};
    for (const auto& [text, accepted] : dataVersions) EXPECT_EQ(accepted, IsAcceptedDataVersion(text)) << text;
    const struct { const char* line; bool client; int32_t x, y; } lines[] = {
        {"-client1", true, 800, 0}, {"-CLIENT2", true, 0, 600}, {"-Client3", true, 800, 600},
        {"", false, 0, 0},          {"-client2 x", false, 0, 0}, {"-client4", false, 0, 0},
        {"client1", false, 0, 0},   {"-client", false, 0, 0},   {nullptr, false, 0, 0}};
    for (const auto& c : lines)
    {
        int32_t x = -1, y = -1;
        EXPECT_TRUE(c.client == GetClientPlacement(c.line, 800, 600, x, y) && c.x == x && c.y == y)
            << (c.line ? c.line : "(null)");
    }
}

// Where a display exists the box waits for someone to close it: the line on standard error must come
// first.  With an X display that cannot be reached, the failed box writes its own lines after it.  A close
// request while the box waits for its OK ends the game at once: one signal, not a second one after an OK nobody gives.
TEST(StartupFailureReport, TheLineOnStandardErrorComesBeforeTheBoxAndOneCloseSignalEndsTheGame)
{
    const std::string driver = std::getenv("SDL_VIDEODRIVER") ? std::getenv("SDL_VIDEODRIVER") : "offscreen";
    setenv("SDL_VIDEODRIVER", "x11", 1), setenv("DISPLAY", ":9999", 1), testing::internal::CaptureStderr();
    ReportFatalError("Syntax error in locale file:\nbad", "Falied to Initialize");
    const std::string errors = testing::internal::GetCapturedStderr();
    setenv("SDL_VIDEODRIVER", driver.c_str(), 1);
    EXPECT_EQ(0u, errors.find("Falied to Initialize: Syntax error in locale file: bad\n")) << errors;
    for (const int signal : {SIGINT, SIGTERM})
        EXPECT_EQ(128 + signal, child_test::RunInChild([signal] {
                      SysCloseSignals::Install();
                      ReportFatalError("Datafile not found, check your configuration", "Ironmarch(tm)");
                      raise(signal);
                      return 0;
                  }));
}
