#pragma once
// A game folder made for one test: a copy of the built game, a data file
// packed by medpack from texts the test chooses, a configuration, and the
// means to start the game there headless, wait for it and stop it.

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "tests/support/ScratchFolder.h"

namespace lifecycle_test
{
using Clock = std::chrono::steady_clock;

constexpr std::chrono::seconds kStartTimeout(60);
constexpr std::chrono::seconds kStopTimeout(60);

const char kPreloadFinished[] = "--- Preloading finished ---";

// The lines of a text without their CR LF (or LF) ends.
inline std::vector<std::string> SplitLines(const std::string& text)
{
    std::vector<std::string> lines;
    std::string line;
    std::istringstream stream(text);
    while (std::getline(stream, line))
        lines.push_back(line.empty() || line.back() != '\r' ? line : line.substr(0, line.size() - 1));
    return lines;
}

// A started game (or tool) process whose output goes to two files.
class CProcess
{
public:
    CProcess() = default;
    CProcess(const CProcess&) = delete;
    CProcess& operator=(const CProcess&) = delete;
    ~CProcess()
    {
        if (pid > 0 && !finished)
        {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
    }

    bool Start(const std::string& program, const std::vector<std::string>& arguments, const std::string& folder,
               const std::string& outputPrefix)
    {
        outPath = outputPrefix + ".out";
        errPath = outputPrefix + ".err";
        pid = fork();
        if (pid < 0)
            return false;
        if (pid == 0)
            RunChild(program, arguments, folder);
        return true;
    }

    // Exit code, or -1 when it did not end in time (it is killed then) or
    // ended by a signal.
    int Wait(std::chrono::seconds timeout = kStopTimeout)
    {
        const Clock::time_point deadline = Clock::now() + timeout;
        while (!HasEnded())
        {
            if (Clock::now() > deadline)
            {
                kill(pid, SIGKILL);
                waitpid(pid, nullptr, 0);
                finished = true;
                exitCode = -1;
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return exitCode;
    }

    bool HasEnded()
    {
        int status = 0;
        if (finished || waitpid(pid, &status, WNOHANG) == 0)
            return finished;
        finished = true;
        exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        return true;
    }

    // Sends the signal (SIGTERM unless told otherwise) and waits for the end.
    int Terminate(int signal = SIGTERM)
    {
        if (!finished)
            kill(pid, signal);
        return Wait();
    }

    std::string Errors() const { return CScratchFolder::ReadFile(errPath); }
    std::string Output() const { return CScratchFolder::ReadFile(outPath); }

    // A variable set for the next Start after the test defaults, so that it
    // overrides them.
    void SetEnvironment(const std::string& name, const std::string& value)
    {
        environment.emplace_back(name, value);
    }

private:
    [[noreturn]] void RunChild(const std::string& program, const std::vector<std::string>& arguments,
                               const std::string& folder)
    {
        const int out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        dup2(out, STDOUT_FILENO);
        dup2(err, STDERR_FILENO);
        if (chdir(folder.c_str()) != 0)
            _exit(126);
        setenv("SDL_VIDEODRIVER", "offscreen", 1);
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        // The single-instance lock lives here, apart from other tests and
        // from any game the user runs.
        setenv("XDG_RUNTIME_DIR", folder.c_str(), 1);
        // Mesa keeps allocations in libraries that SDL unloads when the game
        // closes its window; the leak checker would report them as the
        // game's and turn a clean exit into a failed one.
        setenv("ASAN_OPTIONS", "detect_leaks=0", 1);
        for (const auto& [name, value] : environment)
            setenv(name.c_str(), value.c_str(), 1);
        std::vector<char*> argv;
        argv.push_back(const_cast<char*>(program.c_str()));
        for (const std::string& argument : arguments)
            argv.push_back(const_cast<char*>(argument.c_str()));
        argv.push_back(nullptr);
        execv(program.c_str(), argv.data());
        _exit(127);
    }

    pid_t pid = -1;
    bool finished = false;
    int exitCode = -1;
    std::string outPath;
    std::string errPath;
    std::vector<std::pair<std::string, std::string>> environment;
};

class CGameFolder
{
public:
    CGameFolder()
    {
        const std::string binary = CScratchFolder::ReadFile(V2KRN_BINARY_DIR "/v2krn");
        // A copy, not a link: the game finds its folder through its own path.
        game = folder.Write("game/v2krn", binary);
        chmod(game.c_str(), 0755);
        gameFolder = folder / "game/";
        SetDataFile("Config/default.cfg", kDefaultConfig);
        SetDataFile("Locale/English/texts.txt", kLocaleTexts);
        SetDataFile("datafile.version", "1.1.0.4");
        SetConfig("LOGGING=ON\r\nWINDOWEDMODE=ON\r\nRESOLUTION=640,480,32\r\n");
    }

    // A file of the data folder that medpack packs, by its path in it.
    void SetDataFile(const std::string& relative, const std::string& bytes)
    {
        folder.Write("data/" + relative, bytes);
    }

    void SetConfig(const std::string& bytes) { folder.Write("game/v2krn.cfg", bytes); }

    // Packs the data folder into the game folder's "v2krn.med".
    bool Pack()
    {
        CProcess medpack;
        if (!medpack.Start(V2KRN_TOOLS_DIR "/medpack", {"pack", gameFolder + "v2krn.med", folder / "data"},
                           folder.Path(), folder / "medpack"))
            return false;
        return medpack.Wait() == 0;
    }

    // Packs the project's demo data into the game folder's "v2krn.med", as
    // ./run lays it out.
    bool LayOutDemoData()
    {
        CProcess maker;
        if (!maker.Start(V2KRN_SOURCE_DIR "/tools/make-demo-data.sh", {V2KRN_BINARY_DIR, gameFolder},
                         folder.Path(), folder / "make-demo-data"))
            return false;
        return maker.Wait() == 0;
    }

    bool StartGame(CProcess& process, const std::vector<std::string>& arguments = {},
                   const std::string& name = "game")
    {
        return process.Start(game, arguments, gameFolder, folder / name);
    }

    // Waits for the game to be up; false when it ended or took too long.
    bool WaitUntilRunning(CProcess& process)
    {
        const Clock::time_point deadline = Clock::now() + kStartTimeout;
        while (Clock::now() < deadline)
        {
            if (Log().find(kPreloadFinished) != std::string::npos)
                return true;
            if (process.HasEnded())
                return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return false;
    }

    std::string Read(const std::string& name) const { return CScratchFolder::ReadFile(gameFolder + name); }
    bool Exists(const std::string& name) const { return CScratchFolder::Exists(gameFolder + name); }
    std::string Log() const { return Read("Ravelin3.log"); }
    const std::string& GameFolder() const { return gameFolder; }

private:
    static constexpr const char* kDefaultConfig = "; Settings of the game\r\nDATADIR=.\r\nRESOLUTION=1024,768,32\r\n"
                                                  "WINDOWEDMODE=Off\r\nGAMMA=1.00\r\nLOGGING=Off\r\n";
    static constexpr const char* kLocaleTexts =
        "; Texts of the tests\r\nUN_ARCHER, \"Archer\"\r\nBD_HOUSE, \"House\"\r\n";

    CScratchFolder folder;
    std::string game;
    std::string gameFolder;
};
}  // namespace lifecycle_test
