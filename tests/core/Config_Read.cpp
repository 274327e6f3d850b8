// Reading "v2krn.cfg": defaults, the key table, value forms and the reports
// of lines the reader does not take.

#include "tests/core/Config_TestFolder.h"

#include <climits>

namespace
{
class ConfigRead : public ConfigTestBase
{
protected:
    // Reads the file after switching logging on in it, so that the reports
    // of the lines reach the test log.
    void ReadWithLogging(const std::string& lines)
    {
        Write("v2krn.cfg", "LOGGING=ON\r\n" + lines);
        ReadConfig();
    }
    std::string Exe() const { return m_Folder.Path(); }
};

TEST_F(ConfigRead, MissingFileGivesDefaultsAndCreatesNothing)
{
    g_Config.unitSpeechVolume = 77;
    g_Config.hardwareCursor = 1;
    ReadConfig();

    EXPECT_FALSE(Exists("v2krn.cfg"));
    EXPECT_EQ(std::string(g_Config.dataFolder), Exe() + ".\\");
    EXPECT_EQ(std::string(g_Config.mapFolder), Exe() + ".\\maps\\");
    EXPECT_EQ(std::string(g_Config.scriptFolder), Exe() + ".\\");
    EXPECT_EQ(std::string(g_Config.saveFolder), Exe() + ".\\");
    EXPECT_EQ(std::string(g_Config.languageFolder), "English\\");
    EXPECT_EQ(g_Config.includeFiles.GetCount(), 0);
    EXPECT_EQ(g_Config.screenWidth, 1024);
    EXPECT_EQ(g_Config.screenHeight, 768);
    EXPECT_EQ(g_Config.colourDepth, 32);
    EXPECT_FLOAT_EQ(g_Config.gamma, 1.0f);
    EXPECT_FLOAT_EQ(g_Config.brightness, 1.0f);
    EXPECT_EQ(g_Config.mouseCursorMode, 2);
    EXPECT_EQ(g_Config.buildingShadows, 2);
    EXPECT_EQ(g_Config.corpseDecaySpeed, 1);
    EXPECT_EQ(g_Config.waterDetail, 3);
    EXPECT_EQ(g_Config.unitTextureDetail, 3);
    EXPECT_EQ(g_Config.blood, 1);
    EXPECT_EQ(g_Config.logging, 0);
    EXPECT_EQ(g_Config.fogPlayerShown, -1);
    EXPECT_EQ(g_Config.autosave, 3);
    EXPECT_EQ(g_Config.visibilityMode, 2);
    EXPECT_EQ(g_Config.networkPort, 5555);
    EXPECT_EQ(g_Config.musicVolume, 100);
    EXPECT_EQ(g_Config.gatheringFactor, 1);
    EXPECT_EQ(g_Config.productionFactor, 1);
    // Neither has a default of its own.
    EXPECT_EQ(g_Config.unitSpeechVolume, 77);
    EXPECT_EQ(g_Config.hardwareCursor, 1);
}

TEST_F(ConfigRead, DriveDataDirLosesBlanksAndIsUpperCased)
{
    Write("v2krn.cfg", "DATADIR = c:\\My Games\\data \r\n");
    ReadConfig();
    EXPECT_EQ(std::string(g_Config.dataFolder), "C:\\MYGAMES\\DATA");
}

TEST_F(ConfigRead, FolderValuesFollowThePathRule)
{
    Write("v2krn.cfg",
                   "DATADIR=data\\sub\r\n"
                   "MAPSDIR=.\r\n"
                   "SAVEDIR=/srv/game/saves\r\n"
                   "SCRIPTDIR=\\\\server\\share\r\n");
    ReadConfig();
    EXPECT_EQ(std::string(g_Config.dataFolder), Exe() + "DATA\\SUB\\");
    EXPECT_EQ(std::string(g_Config.mapFolder), Exe());
    EXPECT_EQ(std::string(g_Config.saveFolder), "/SRV/GAME/SAVES");
    EXPECT_EQ(std::string(g_Config.scriptFolder), "\\\\SERVER\\SHARE");
}

TEST_F(ConfigRead, IncludeLinesAreFilesInFileOrder)
{
    Write("v2krn.cfg",
                   "INCLUDE=extra.med\r\n"
                   "include=d:\\mods\\more.med\r\n");
    ReadConfig();
    ASSERT_EQ(g_Config.includeFiles.GetCount(), 2);
    EXPECT_EQ(std::string(g_Config.includeFiles[0]), Exe() + "EXTRA.MED");
    EXPECT_EQ(std::string(g_Config.includeFiles[1]), "D:\\MODS\\MORE.MED");
}

TEST_F(ConfigRead, GammaWithBlanksAndCommentIsReadAndLimited)
{
    Write("v2krn.cfg",
                   "Gamma = 1.5   ; brighter\r\n"
                   "BRIGHTNESS=0.05\r\n");
    ReadConfig();
    EXPECT_FLOAT_EQ(g_Config.gamma, 1.5f);
    EXPECT_FLOAT_EQ(g_Config.brightness, 0.1f);

    Write("v2krn.cfg", "GAMMA=3\r\nBRIGHTNESS=1.25E1\r\n");
    ReadConfig();
    EXPECT_FLOAT_EQ(g_Config.gamma, 2.0f);
    EXPECT_FLOAT_EQ(g_Config.brightness, 2.0f);

    Write("v2krn.cfg", "GAMMA=NAN\r\nBRIGHTNESS=.5x\r\n");
    ReadConfig();
    EXPECT_FLOAT_EQ(g_Config.gamma, 0.1f);
    EXPECT_FLOAT_EQ(g_Config.brightness, 0.5f);
}

TEST_F(ConfigRead, ResolutionWithThreeNumbers)
{
    Write("v2krn.cfg", "RESOLUTION=800,600,16\r\n");
    ReadConfig();
    EXPECT_EQ(g_Config.screenWidth, 800);
    EXPECT_EQ(g_Config.screenHeight, 600);
    EXPECT_EQ(g_Config.colourDepth, 16);
}

TEST_F(ConfigRead, ResolutionThatIsNotPositiveFallsBackToTheDefault)
{
    // Two numbers read as width 800, height 0 and depth 16: refused.
    ReadWithLogging("RESOLUTION=640,480,16\r\nRESOLUTION=800,16\r\n");
    EXPECT_EQ(g_Config.screenWidth, 1024);
    EXPECT_EQ(g_Config.screenHeight, 768);
    EXPECT_EQ(g_Config.colourDepth, 32);
    EXPECT_EQ(LogLines().back(), "#DEBUG: Invalid setting in the config file: RESOLUTION=800,16");

    for (const char* value : {"1024", "-800,600,32", "800,600,0", "abc"})
    {
        Write("v2krn.cfg", std::string("RESOLUTION=") + value + "\r\n");
        ReadConfig();
        EXPECT_EQ(g_Config.screenWidth, 1024) << value;
        EXPECT_EQ(g_Config.screenHeight, 768) << value;
        EXPECT_EQ(g_Config.colourDepth, 32) << value;
    }
}

TEST_F(ConfigRead, TcpipPortIsLimitedAndWinsockPortIsNot)
{
    Write("v2krn.cfg", "TCPIP_PORT=70000\r\n");
    ReadConfig();
    EXPECT_EQ(g_Config.networkPort, 65535);

    Write("v2krn.cfg", "TCPIP_PORT=-5\r\n");
    ReadConfig();
    EXPECT_EQ(g_Config.networkPort, 0);

    Write("v2krn.cfg", "WINSOCKPORT=70000\r\n");
    ReadConfig();
    EXPECT_EQ(g_Config.networkPort, 70000);
}

TEST_F(ConfigRead, AutosaveOffInAnyCaseIsMinusOne)
{
    Write("v2krn.cfg", "autosave=oFf\r\n");
    ReadConfig();
    EXPECT_EQ(g_Config.autosave, -1);

    Write("v2krn.cfg", "AUTOSAVE=5\r\n");
    ReadConfig();
    EXPECT_EQ(g_Config.autosave, 5);
}

TEST_F(ConfigRead, OnOffKeysMatchWholeKeysAndKeepUnknownValues)
{
    Write("v2krn.cfg",
                   "BLOOD=maybe\r\n"
                   "BLOODMARKS=off\r\n"
                   "WINDOWEDMODE=On\r\n"
                   "USEHWTNL=OFF\r\n");
    ReadConfig();
    EXPECT_EQ(g_Config.blood, 1);
    EXPECT_EQ(g_Config.bloodMarks, 0);
    EXPECT_EQ(g_Config.windowed, 1);
    EXPECT_EQ(g_Config.hardwareTnL, 0);
}

TEST_F(ConfigRead, WordKeysTakeOnlyTheirWords)
{
    Write("v2krn.cfg",
                   "CORPSEFRAY=slow\r\n"
                   "ANTIALIASING=2x\r\n"
                   "MOUSECURSOR=D3D_HW\r\n"
                   "WATERDETAIL=ultra\r\n"
                   "UNITTEXTUREDETAIL=poor\r\n"
                   "WEATHERDETAIL=NONE\r\n"
                   "BUILDINGSHADOW=Block\r\n"
                   "PARTICLEDETAIL=medium\r\n"
                   "TERRAINTEXTUREDETAIL=LOW\r\n"
                   "BUILDINGTEXTUREDETAIL=HIGHEST\r\n");
    ReadConfig();
    EXPECT_EQ(g_Config.corpseDecaySpeed, 2);
    EXPECT_EQ(g_Config.antialiasing, 2);
    EXPECT_EQ(g_Config.mouseCursorMode, 3);
    EXPECT_EQ(g_Config.waterDetail, 3);
    EXPECT_EQ(g_Config.unitTextureDetail, 0);
    EXPECT_EQ(g_Config.weatherDetail, 0);
    EXPECT_EQ(g_Config.buildingShadows, 1);
    EXPECT_EQ(g_Config.particleDetail, 1);
    EXPECT_EQ(g_Config.terrainTextureDetail, 0);
    EXPECT_EQ(g_Config.buildingTextureDetail, 2);
}

TEST_F(ConfigRead, LanguageCodesChooseTheFolder)
{
    Write("v2krn.cfg", "LANGUAGE=ger\r\n");
    ReadConfig();
    EXPECT_EQ(std::string(g_Config.languageFolder), "German\\");

    Write("v2krn.cfg", "LANGUAGE=HUN\r\nLANGUAGE=XX\r\n");
    ReadConfig();
    EXPECT_EQ(std::string(g_Config.languageFolder), "Hungarian\\");
}

TEST_F(ConfigRead, NumbersReadLeadingDigitsOnly)
{
    Write("v2krn.cfg",
                   "MUSICVOLUME=-20abc\r\n"
                   "SOUNDVOLUME=abc\r\n"
                   "UNITSPEECHVOLUME=99999999999\r\n");
    ReadConfig();
    EXPECT_EQ(g_Config.musicVolume, -20);
    EXPECT_EQ(g_Config.soundVolume, 0);
    EXPECT_EQ(g_Config.unitSpeechVolume, INT_MAX);
}

TEST_F(ConfigRead, BytesOutsidePrintableAsciiAreRemoved)
{
    Write("v2krn.cfg", "MUSIC\tVOLUME=\xA0" "5\xFF" "0\r\n");
    ReadConfig();
    EXPECT_EQ(g_Config.musicVolume, 50);
}

TEST_F(ConfigRead, LinesEndingInLfAloneReadTheSame)
{
    Write("v2krn.cfg", "GAMMA=1.2\nSOUNDVOLUME=40\n\rMUSICVOLUME=30");
    ReadConfig();
    EXPECT_FLOAT_EQ(g_Config.gamma, 1.2f);
    EXPECT_EQ(g_Config.soundVolume, 40);
    EXPECT_EQ(g_Config.musicVolume, 30);
}

TEST_F(ConfigRead, UnknownEmptyAndCommentLinesAreReportedNormalised)
{
    ReadWithLogging("foo = 1 ; what\r\n"
                    "\r\n"
                    "; only a comment\r\n"
                    "SCENARIODIR=whatever\r\n"
                    "BLOOD =ON\r\n");
    const std::vector<std::string> expected = {
        "#DEBUG: Invalid setting in the config file: FOO=1",
        "#DEBUG: Invalid setting in the config file: ",
        "#DEBUG: Invalid setting in the config file: ",
    };
    EXPECT_EQ(LogLines(), expected);
}

TEST_F(ConfigRead, DebugPlayerIdOutsideTheEightPlayersIsIgnored)
{
    g_LocalPlayer = 0;
    ReadWithLogging("#DEBUG_PLAYER_ID=3\r\n");
    EXPECT_EQ(g_LocalPlayer, 3);
    EXPECT_TRUE(LogLines().empty());

    ReadWithLogging("#DEBUG_PLAYER_ID=8\r\n#DEBUG_PLAYER_ID=-1\r\n");
    EXPECT_EQ(g_LocalPlayer, 3);
    const std::vector<std::string> expected = {
        "#DEBUG: Invalid setting in the config file: #DEBUG_PLAYER_ID=8",
        "#DEBUG: Invalid setting in the config file: #DEBUG_PLAYER_ID=-1",
    };
    EXPECT_EQ(LogLines(), expected);
}

TEST_F(ConfigRead, DebugMultiplayerIsReportedBeforeItsValueIsTaken)
{
    ReadWithLogging("#debug_multiplayer=client\r\n");
    EXPECT_EQ(g_Config.networkRole, 2);
    const std::vector<std::string> expected = {"#DEBUG: breakpoint reached",
                                               "597 in core/C_Config.cpp"};
    EXPECT_EQ(LogLines(), expected);
}

TEST_F(ConfigRead, WorkingCopiesOwnTheirTexts)
{
    Write("v2krn.cfg", "INCLUDE=a.med\r\nDATADIR=data\r\n");
    ReadConfig();
    CConfig copy(g_Config);
    g_Config.includeFiles.Clear();
    g_Config.dataFolder = "elsewhere";
    ASSERT_EQ(copy.includeFiles.GetCount(), 1);
    EXPECT_EQ(std::string(copy.includeFiles[0]), Exe() + "A.MED");
    EXPECT_EQ(std::string(copy.dataFolder), Exe() + "DATA\\");

    CConfig assigned;
    assigned = copy;
    EXPECT_EQ(std::string(assigned.dataFolder), Exe() + "DATA\\");
    EXPECT_EQ(assigned.networkPort, copy.networkPort);
    EXPECT_EQ(assigned.fogPlayerShown, -1);
}
} // namespace
