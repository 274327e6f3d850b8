// The built game started headless in a folder of its own, as a player would
// start it, and stopped the way the system stops it.

#include <gtest/gtest.h>

#include <cstdio>

#include "tests/lifecycle/Lifecycle_GameFolder.h"
#include "tests/support/ReferenceBytes.h"

using namespace lifecycle_test;

namespace
{
// Magic, no profile, no current profile, CRC of those 24 bytes.
std::string EmptyProfileFile()
{
    const std::string body = std::string("V2KRNplprofiles1") + LE32(0) + LE32(0xFFFFFFFFu);
    return body + LE32(ReferenceCrc32(body));
}

// True when `wanted` appear in `lines` in this order (other lines between).
bool AppearInOrder(const std::vector<std::string>& lines, const std::vector<std::string>& wanted)
{
    size_t next = 0;
    for (const std::string& line : lines)
    {
        if (next < wanted.size() && line == wanted[next])
            ++next;
    }
    return next == wanted.size();
}

const char kVersionWarning[] =
    "Warning: The datafile and the game have different version number,\n"
    "it may cause run-time error, or some of the files might be missing.";

class LifecycleEndToEnd : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(folder.Pack()); }

    // Starts the game, waits until it runs and stops it with the signal.
    int RunUntilTerminated(CProcess& process, int signal = SIGTERM)
    {
        EXPECT_TRUE(folder.StartGame(process));
        EXPECT_TRUE(folder.WaitUntilRunning(process)) << process.Errors();
        return process.Terminate(signal);
    }

    CGameFolder folder;
};
}  // namespace

TEST_F(LifecycleEndToEnd, RunsUntilTerminatedShutsDownInOrderAndWritesItsFiles)
{
    folder.SetConfig("LOGGING=ON\r\nWINDOWEDMODE=ON\r\nRESOLUTION=640,480,32\r\nGAMMA=1.05 ; brighter\r\n");
    CProcess game;
    ASSERT_EQ(0, RunUntilTerminated(game)) << game.Errors();
    EXPECT_EQ(std::string::npos, game.Errors().find("different version number"));

    const std::vector<std::string> lines = SplitLines(folder.Log());
    ASSERT_GE(lines.size(), 5u);
    EXPECT_EQ("All rights reserved", lines[2]);
    EXPECT_EQ("", lines[3]);
    EXPECT_EQ("--- Initializing file system ---", lines[4]);
    EXPECT_EQ("End of game...", lines.back());
    EXPECT_TRUE(AppearInOrder(lines, {"--- Initializing file system ---", "--- File system initialized ---",
                                      "--- Initializing game timer ---", kPreloadFinished,
                                      "--- Releasing game timer ---",
                                      "--- All game resources have been released succesfuly ---",
                                      "Freeing global resources", "Globals freed",
                                      "-- Allocated resources remained --", "--- Shutting down file system ---",
                                      "End of game..."}))
        << folder.Log();

    EXPECT_EQ("LOGGING=ON\r\nWINDOWEDMODE=ON\r\nRESOLUTION=640,480,32\r\nGAMMA=1.05 ; brighter\r\n",
              folder.Read("v2krn.cfg"));
    EXPECT_FALSE(folder.Exists("v2krn.cfgnew"));
    EXPECT_EQ(EmptyProfileFile(), folder.Read("players.prf"));
}

// The second run is stopped by an interrupt, which ends it as cleanly.
TEST_F(LifecycleEndToEnd, DamagedProfileFileIsKeptAndReplaced)
{
    CProcess first;
    ASSERT_EQ(0, RunUntilTerminated(first)) << first.Errors();
    std::string damaged = folder.Read("players.prf");
    damaged[20] = 1;  // one byte of the current index changed: the CRC fails
    std::ofstream(folder.GameFolder() + "players.prf", std::ios::binary) << damaged;
    // The next run is known to be up by its own log only.
    std::remove((folder.GameFolder() + "Ravelin3.log").c_str());
    CProcess second;
    ASSERT_EQ(0, RunUntilTerminated(second, SIGINT)) << second.Errors();
    EXPECT_EQ("End of game...", SplitLines(folder.Log()).back());
    EXPECT_EQ(damaged, folder.Read("players.prf.damaged"));
    EXPECT_EQ(EmptyProfileFile(), folder.Read("players.prf"));
    EXPECT_NE(std::string::npos, folder.Log().find("#DEBUG: Invalid player profile CRC"));
}

TEST_F(LifecycleEndToEnd, SecondInstanceIsRefusedAndTouchesNothingButClientsPass)
{
    CProcess first;
    ASSERT_TRUE(folder.StartGame(first));
    ASSERT_TRUE(folder.WaitUntilRunning(first)) << first.Errors();
    const std::string config = folder.Read("v2krn.cfg");
    const std::string log = folder.Log();
    const std::string profiles = folder.Read("players.prf");

    CProcess second;
    ASSERT_TRUE(folder.StartGame(second, {}, "second"));
    EXPECT_EQ(1, second.Wait());
    EXPECT_EQ("Ironmarch: An other instance of the game is already running\n", second.Errors());
    EXPECT_EQ(config, folder.Read("v2krn.cfg"));
    EXPECT_EQ(log, folder.Log());
    EXPECT_EQ(profiles, folder.Read("players.prf"));

    std::remove((folder.GameFolder() + "Ravelin3.log").c_str());   // the client is known to be up by its own log
    CProcess client;
    ASSERT_TRUE(folder.StartGame(client, {"-client2"}, "client"));
    ASSERT_TRUE(folder.WaitUntilRunning(client)) << client.Errors();
    EXPECT_EQ(std::string::npos, client.Errors().find("An other instance"));
    EXPECT_EQ(0, client.Terminate()) << client.Errors();
    EXPECT_EQ(0, first.Terminate()) << first.Errors();
}

TEST_F(LifecycleEndToEnd, DataVersionsOtherThanTheAcceptedOnesWarnAndStart)
{
    // An over-long file is read bounded.
    for (const std::string& version : {std::string("1.1.0.5"), "1.1.0.4" + std::string(300, ' ')})
    {
        SCOPED_TRACE(version);
        folder.SetDataFile("datafile.version", version);
        ASSERT_TRUE(folder.Pack());
        std::remove((folder.GameFolder() + "Ravelin3.log").c_str());   // a run is known to be up by its own log
        CProcess game;
        ASSERT_EQ(0, RunUntilTerminated(game)) << game.Errors();
        EXPECT_NE(std::string::npos, game.Errors().find(kVersionWarning)) << game.Errors();
    }
}

TEST_F(LifecycleEndToEnd, LocaleSyntaxErrorEndsStartUpWithoutWritingTheConfiguration)
{
    folder.SetDataFile("Locale/English/broken.txt", "UN_KING \"King\"\r\n");
    ASSERT_TRUE(folder.Pack());
    const std::string config = folder.Read("v2krn.cfg");
    CProcess game;
    ASSERT_TRUE(folder.StartGame(game));
    EXPECT_EQ(1, game.Wait());
    EXPECT_EQ("Falied to Initialize: Syntax error in locale file: \",\" Expected in "
              "\"Locale\\English\\BROKEN.TXT\" line 1\n",
              game.Errors());
    EXPECT_EQ(config, folder.Read("v2krn.cfg"));
    EXPECT_NE(std::string::npos, folder.Log().find("!!! Locale file error !!!"));
    EXPECT_EQ(std::string::npos, folder.Log().find("Globals freed"));
}
