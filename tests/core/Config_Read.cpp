#include "tests/core/Core_Support.h"

#include <climits>

namespace
{
class ConfigRead : public ConfigTestBase
{
protected:
    void ReadText(const std::string& lines)
    {
        Write("v2krn.cfg", lines);
        ReadConfig();
    }
    // Logging switched on in the file, so the line reports reach the test log.
    void ReadWithLogging(const std::string& lines)
    {
        m_Log.Clear();
        ReadText("LOGGING=ON\r\n" + lines);
    }
    std::string Exe() const { return m_Folder.Path(); }
};

TEST_F(ConfigRead, MissingFileGivesDefaultsFoldersFollowThePathRuleAndGammaAndBrightnessAreLimited)
{
    g_Config.unitSpeechVolume = 77;
    ReadConfig();
    EXPECT_FALSE(Exists("v2krn.cfg"));
    EXPECT_EQ((std::vector<std::string>{g_Config.dataFolder.GetBuffer(), g_Config.mapFolder.GetBuffer(),
                                        g_Config.languageFolder.GetBuffer()}),
              (std::vector<std::string>{Exe() + ".\\", Exe() + ".\\maps\\", "English\\"}));
    EXPECT_TRUE(g_Config.fogPlayerShown == -1 && g_Config.unitSpeechVolume == 77);   // it has no default of its own

    ReadText("DATADIR = c:\\My Games\\data \r\nMAPSDIR=.\r\nSAVEDIR=/srv/game/saves\r\n"
             "SCRIPTDIR=\\\\server\\share\r\nINCLUDE=extra.med\r\ninclude=d:\\mods\\more.med\r\n");
    ASSERT_EQ(g_Config.includeFiles.GetCount(), 2);
    EXPECT_EQ((std::vector<std::string>{g_Config.dataFolder.GetBuffer(), g_Config.mapFolder.GetBuffer(),
                                        g_Config.saveFolder.GetBuffer(), g_Config.scriptFolder.GetBuffer(),
                                        g_Config.includeFiles[0].GetBuffer(), g_Config.includeFiles[1].GetBuffer()}),
              (std::vector<std::string>{"C:\\MYGAMES\\DATA", Exe(), "/SRV/GAME/SAVES", "\\\\SERVER\\SHARE",
                                        Exe() + "EXTRA.MED", "D:\\MODS\\MORE.MED"}));
    ReadText("DATADIR=data\\sub\r\n");
    EXPECT_EQ(std::string(g_Config.dataFolder), Exe() + "DATA\\SUB\\");
    struct Case { const char* text; float gamma, brightness; };
    const Case cases[] = {
        {"Gamma = 1.5   ; brighter\r\nBRIGHTNESS=0.05\r\n", 1.5f, 0.1f},
        {"GAMMA=3\r\nBRIGHTNESS=1.25E1\r\n", 2.0f, 2.0f},
        {"GAMMA=NAN\r\nBRIGHTNESS=.5x\r\n", 1.0f, 0.5f},   // no number: the default stays
        {"GAMMA=-INFINITY\r\nBRIGHTNESS=inf\r\n", 0.1f, 2.0f},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.text);
        ReadText(c.text);
        EXPECT_FLOAT_EQ(g_Config.gamma, c.gamma);
        EXPECT_FLOAT_EQ(g_Config.brightness, c.brightness);
    }
}

TEST_F(ConfigRead, IntegerWordAndOnOffKeys)
{
    struct Case { const char* text; int32_t CConfig::*field; int32_t expected; };
    const Case cases[] = {
        {"TCPIP_PORT=70000", &CConfig::networkPort, 65535},
        {"TCPIP_PORT=-5", &CConfig::networkPort, 0},
        {"WINSOCKPORT=70000", &CConfig::networkPort, 70000},
        {"autosave=oFf", &CConfig::autosave, -1},
        {"CORPSEFRAY=slow", &CConfig::corpseDecaySpeed, 2},
        {"ANTIALIASING=2x", &CConfig::antialiasing, 2},
        {"MOUSECURSOR=D3D_HW", &CConfig::mouseCursorMode, 3},
        {"WATERDETAIL=ultra", &CConfig::waterDetail, 3},
        {"BUILDINGSHADOW=Block", &CConfig::buildingShadows, 1},
        {"MUSICVOLUME=-20abc", &CConfig::musicVolume, -20},
        {"SOUNDVOLUME=abc", &CConfig::soundVolume, 0},
        {"UNITSPEECHVOLUME=99999999999", &CConfig::unitSpeechVolume, INT_MAX},
        {"MUSIC\tVOLUME=\xA0" "5\xFF" "0", &CConfig::musicVolume, 50},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.text);
        ReadText(std::string(c.text) + "\r\n");
        EXPECT_EQ(g_Config.*c.field, c.expected);
    }
    ReadText("BLOOD=maybe\r\nBLOODMARKS=off\r\nWINDOWEDMODE=On\r\nLANGUAGE=HUN\r\nLANGUAGE=XX\r\n");
    EXPECT_TRUE(g_Config.blood == 1 && g_Config.bloodMarks == 0 && g_Config.windowed == 1);
    EXPECT_EQ(std::string(g_Config.languageFolder), "Hungarian\\");
}

TEST_F(ConfigRead, RefusedLinesAreReportedNormalisedAndResolutionNeedsThreePositiveNumbers)
{
    const std::string invalid = "#DEBUG: Invalid setting in the config file: ";
    ReadWithLogging("foo = 1 ; what\r\n\r\n; only a comment\r\nSCENARIODIR=whatever\r\nBLOOD =ON\r\n");
    EXPECT_EQ(LogLines(), (Lines{invalid + "FOO=1", invalid, invalid}));

    g_LocalPlayer = 0;
    ReadWithLogging("#DEBUG_PLAYER_ID=3\r\n#DEBUG_PLAYER_ID=8\r\n#DEBUG_PLAYER_ID=-1\r\n");
    EXPECT_EQ(g_LocalPlayer, 3);
    EXPECT_EQ(LogLines(), (Lines{invalid + "#DEBUG_PLAYER_ID=8", invalid + "#DEBUG_PLAYER_ID=-1"}));

    ReadWithLogging("#debug_multiplayer=client\r\n");
    EXPECT_TRUE(g_Config.networkRole == 2 && LogLines() == Breakpoint(597, "core/C_Config.cpp"));

    // Two numbers read as width 800, height 0 and depth 16: refused.
    ReadWithLogging("RESOLUTION=640,480,16\r\nRESOLUTION=800,16\r\n");
    EXPECT_TRUE(g_Config.screenWidth == 1024 && LogLines().back() == (invalid + "RESOLUTION=800,16"));
    for (const char* value : {"1024", "-800,600,32", "800,600,0"})
    {
        SCOPED_TRACE(value);
        ReadText(std::string("RESOLUTION=") + value + "\r\n");
        EXPECT_TRUE(g_Config.screenWidth == 1024 && g_Config.screenHeight == 768 && g_Config.colourDepth == 32);
    }
}
} // namespace
