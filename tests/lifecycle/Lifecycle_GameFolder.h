#pragma once
// A game folder for one test: a copy of the built game, a data file packed by medpack from texts the
// test chooses, a configuration, and the means to start the game there headless, await and stop it.

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <utility>

#include "tests/support/ScratchFolder.h"
#include "tests/support/TestLog.h"

namespace lifecycle_test
{
using Clock = std::chrono::steady_clock;

const char kPreloadFinished[] = "--- Preloading finished ---";

// A started game (or tool) process whose output goes to two files.
class CProcess
{
public:
    ~CProcess() { Terminate(SIGKILL); }

    bool Start(const std::string& program, const std::vector<std::string>& arguments, const std::string& folder,
               const std::string& outputPrefix)
    {
        outPath = outputPrefix + ".out", errPath = outputPrefix + ".err";
        pid = fork();
        if (pid == 0) RunChild(program, arguments, folder);
        return pid > 0;
    }

    // Exit code, or -1 when it ended by a signal or did not end within a minute (it is killed then).
    int Wait()
    {
        const Clock::time_point deadline = Clock::now() + std::chrono::seconds(60);
        for (; !HasEnded(); std::this_thread::sleep_for(std::chrono::milliseconds(10)))
            if (Clock::now() > deadline) kill(pid, SIGKILL);
        return exitCode;
    }

    bool HasEnded()
    {
        int status = 0;
        if (!finished && pid > 0 && waitpid(pid, &status, WNOHANG) != 0)
            finished = true, exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        return finished || pid <= 0;
    }

    int Terminate(int signal = SIGTERM)
    {
        if (!HasEnded()) kill(pid, signal);
        return Wait();
    }

    std::string Errors() const { return CScratchFolder::ReadFile(errPath); }
    std::string Output() const { return CScratchFolder::ReadFile(outPath); }

    // A variable set for the next Start after the test defaults.
    void SetEnvironment(const std::string& name, const std::string& value) { environment.emplace_back(name, value); }
    // Standard error of the next Start is a pipe whose reader has gone.
    bool brokenErrorPipe = false;

private:
    [[noreturn]] void RunChild(const std::string& program, const std::vector<std::string>& arguments,
                               const std::string& folder)
    {
        dup2(open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), STDOUT_FILENO);
        dup2(open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), STDERR_FILENO);
        int ends[2];
        if (brokenErrorPipe && pipe(ends) == 0 && close(ends[0]) == 0) dup2(ends[1], STDERR_FILENO);
        signal(SIGPIPE, SIG_DFL);   // as a shell starts it, whatever this test process does with the signal
        if (chdir(folder.c_str()) != 0) _exit(126);
        setenv("SDL_VIDEODRIVER", "offscreen", 1), setenv("SDL_AUDIODRIVER", "dummy", 1);
        // The single-instance lock lives here, apart from other tests and from any game the user runs.
        setenv("XDG_RUNTIME_DIR", folder.c_str(), 1);
        // Mesa keeps allocations in libraries that SDL unloads when the game closes its window; the leak
        // checker would turn a clean exit into a failed one.
        setenv("ASAN_OPTIONS", "detect_leaks=0", 1);
        for (const auto& [name, value] : environment) setenv(name.c_str(), value.c_str(), 1);
        std::vector<char*> argv{const_cast<char*>(program.c_str())};
        for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
        argv.push_back(nullptr);
        execv(program.c_str(), argv.data());
        _exit(127);
    }

    pid_t pid = -1;
    bool finished = false;
    int exitCode = -1;
    std::string outPath, errPath;
    std::vector<std::pair<std::string, std::string>> environment;
};

class CGameFolder
{
public:
    CGameFolder()
    {
        // A copy, not a link: the game finds its folder through its own path.
        game = folder.Write("game/v2krn", CScratchFolder::ReadFile(V2KRN_BINARY_DIR "/v2krn"));
        chmod(game.c_str(), 0755);
        gameFolder = folder / "game/";
        SetDataFile("Config/default.cfg", "; Settings of the game\r\nDATADIR=.\r\nRESOLUTION=1024,768,32\r\n"
                                          "WINDOWEDMODE=Off\r\nGAMMA=1.00\r\nLOGGING=Off\r\n");
        SetDataFile("Locale/English/texts.txt",
                    "; Texts of the tests\r\nUN_ARCHER, \"Archer\"\r\nBD_HOUSE, \"House\"\r\n");
        SetDataFile("datafile.version", "1.1.0.4");
        SetConfig("LOGGING=ON\r\nWINDOWEDMODE=ON\r\nRESOLUTION=640,480,32\r\n");
    }

    // A file of the data folder that medpack packs.
    void SetDataFile(const std::string& relative, const std::string& bytes) { folder.Write("data/" + relative, bytes); }
    void SetConfig(const std::string& bytes) { folder.Write("game/v2krn.cfg", bytes); }

    // Packs the data folder into the game folder's "v2krn.med".
    bool Pack() { return Run(V2KRN_TOOLS_DIR "/medpack", {"pack", gameFolder + "v2krn.med", folder / "data"}); }
    // Packs the project's demo data there instead, as ./run lays it out.
    bool LayOutDemoData() { return Run(V2KRN_SOURCE_DIR "/tools/make-demo-data.sh", {V2KRN_BINARY_DIR, gameFolder}); }

    bool StartGame(CProcess& process, const std::vector<std::string>& arguments = {}, const std::string& name = "game")
    {
        return process.Start(game, arguments, gameFolder, folder / name);
    }

    // Waits for the game to be up (within a minute); false when it ended.
    bool WaitUntilRunning(CProcess& process)
    {
        const Clock::time_point deadline = Clock::now() + std::chrono::seconds(60);
        while (Clock::now() < deadline && !process.HasEnded())
        {
            if (Log().find(kPreloadFinished) != std::string::npos) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return false;
    }

    // Starts the game, waits until it runs and stops it with the signal; the log of an earlier run is removed first,
    // so that this run is known to be up by its own log.  `errors` receives what the game wrote on standard error.
    int RunUntilStopped(int signal = SIGTERM, std::string* errors = nullptr, bool brokenErrorPipe = false)
    {
        RemoveLog();
        CProcess process;
        process.brokenErrorPipe = brokenErrorPipe;
        EXPECT_TRUE(StartGame(process) && WaitUntilRunning(process)) << process.Errors();
        const int exitCode = process.Terminate(signal);
        if (errors) *errors = process.Errors();
        return exitCode;
    }

    std::string Read(const std::string& name) const { return CScratchFolder::ReadFile(gameFolder + name); }
    bool Exists(const std::string& name) const { return CScratchFolder::Exists(gameFolder + name); }
    std::string Log() const { return Read("Ravelin3.log"); }
    std::vector<std::string> LogLines() const { return CTestLog::SplitLines(Log()); }
    void RemoveLog() const { std::remove((gameFolder + "Ravelin3.log").c_str()); }
    const std::string& GameFolder() const { return gameFolder; }

private:
    bool Run(const std::string& tool, const std::vector<std::string>& arguments)
    {
        CProcess process;
        return process.Start(tool, arguments, folder.Path(), folder / "tool") && process.Wait() == 0;
    }

    CScratchFolder folder;
    std::string game, gameFolder;
};
}  // namespace lifecycle_test
