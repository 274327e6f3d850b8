#include "tests/core/Core_Support.h"

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
    // Every default, over a record whose fields all held something else.
    const std::pair<int32_t CConfig::*, int32_t> numbers[] = {
        {&CConfig::screenWidth, 1024}, {&CConfig::screenHeight, 768}, {&CConfig::colourDepth, 32},
        {&CConfig::mouseCursorMode, 2}, {&CConfig::buildingShadows, 2}, {&CConfig::antialiasing, 0},
        {&CConfig::particleDetail, 2}, {&CConfig::corpseDecaySpeed, 1}, {&CConfig::waterDetail, 3},
        {&CConfig::unitTextureDetail, 3}, {&CConfig::buildingTextureDetail, 2}, {&CConfig::terrainTextureDetail, 2},
        {&CConfig::weatherDetail, 2}, {&CConfig::musicVolume, 100}, {&CConfig::soundVolume, 100},
        {&CConfig::fogPlayerShown, -1}, {&CConfig::autosave, 3}, {&CConfig::visibilityMode, 2},
        {&CConfig::networkPort, 5555}, {&CConfig::networkRole, 0}, {&CConfig::gatheringFactor, 1},
        {&CConfig::productionFactor, 1}, {&CConfig::unitSpeechVolume, 77}};   // it has no default of its own
    const std::pair<uint8_t CConfig::*, uint8_t> flags[] = {
        {&CConfig::windowed, 0}, {&CConfig::unitShadows, 1}, {&CConfig::corpses, 1}, {&CConfig::unitDamage, 1},
        {&CConfig::bloodMarks, 1}, {&CConfig::blood, 1}, {&CConfig::hardwareTnL, 1}, {&CConfig::audioEnabled, 1},
        {&CConfig::environmentEffects, 1}, {&CConfig::showGrid, 0}, {&CConfig::showBlocked, 0},
        {&CConfig::showWeatherMap, 0}, {&CConfig::showAlarmBlocks, 0}, {&CConfig::logging, 0},
        {&CConfig::mouseScrolling, 1}, {&CConfig::editorMode, 0}, {&CConfig::hoverHints, 1},
        {&CConfig::showTimer, 0}, {&CConfig::showFrameRate, 0}, {&CConfig::backupFiles, 1},
        {&CConfig::showUnitActionIcons, 0}, {&CConfig::fogOfWar, 1}, {&CConfig::unitHealthMultiply, 1},
        {&CConfig::showPlayerPoints, 0}, {&CConfig::debugInformation, 0}, {&CConfig::dataFileReadDelay, 0},
        {&CConfig::hardwareCursor, 9}};   // set by the device start-up only
    for (const auto& [field, value] : numbers)
        g_Config.*field = 77;
    for (const auto& [field, value] : flags)
        g_Config.*field = 9;
    g_Config.gamma = g_Config.brightness = 5.0f;
    g_Config.viewOptions[0] = g_Config.viewOptions[1] = g_Config.viewOptions[2] = 9;
    g_Config.multiplayerMapFile = "a.world";
    g_Config.includeFiles.Add("a.med");
    ReadConfig();
    for (size_t i = 0; i < std::size(numbers); ++i)
        EXPECT_EQ(g_Config.*numbers[i].first, numbers[i].second) << "number " << i;
    for (size_t i = 0; i < std::size(flags); ++i)
        EXPECT_EQ(g_Config.*flags[i].first, flags[i].second) << "flag " << i;
    EXPECT_TRUE(g_Config.gamma == 1.0f && g_Config.brightness == 1.0f && g_Config.viewOptions[2] == 0 &&
                g_Config.multiplayerMapFile.IsEmpty() && g_Config.includeFiles.GetCount() == 0);
    EXPECT_FALSE(Exists("v2krn.cfg"));
    EXPECT_EQ((std::vector<std::string>{g_Config.dataFolder.GetBuffer(), g_Config.mapFolder.GetBuffer(),
                                        g_Config.languageFolder.GetBuffer()}),
              (std::vector<std::string>{Exe() + ".\\", Exe() + ".\\maps\\", "English\\"}));

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
    const struct { const char* text; float gamma, brightness; } cases[] = {
        {"Gamma = 1.5   ; brighter\r\nBRIGHTNESS=0.05\r\n", 1.5f, 0.1f},
        {"GAMMA=3\r\nBRIGHTNESS=1.25E1\r\n", 2.0f, 2.0f},
        {"GAMMA=NAN\r\nBRIGHTNESS=.5x\r\n", 1.0f, 0.5f},   // no number: the default stays
        {"GAMMA=-INFINITY\r\nBRIGHTNESS=inf\r\n", 0.1f, 2.0f},
        {"GAMMA=0.1\r\nBRIGHTNESS=2\r\n", 0.1f, 2.0f},   // the limits themselves, and just inside and past them
        {"GAMMA=0.11\r\nBRIGHTNESS=1.99\r\n", 0.11f, 1.99f},
        {"GAMMA=0.09\r\nBRIGHTNESS=2.01\r\n", 0.1f, 2.0f},
    };
    for (const auto& c : cases)
    {
        ReadText(c.text);
        EXPECT_EQ(std::pair(g_Config.gamma, g_Config.brightness), std::pair(c.gamma, c.brightness)) << c.text;
    }
}

TEST_F(ConfigRead, IntegerWordAndOnOffKeys)
{
    const struct { const char* text; int32_t CConfig::*field; int32_t expected; } cases[] = {
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
    for (const auto& c : cases)
    {
        ReadText(std::string(c.text) + "\r\n");
        EXPECT_EQ(g_Config.*c.field, c.expected) << c.text;
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

    g_LocalPlayer = 5;
    // Eight players: 0 to 7 are taken, the numbers just outside are refused.
    for (const auto& [id, player] : {std::pair{"0", 0}, {"7", 7}, {"8", 7}, {"-1", 7}})
    {
        ReadWithLogging(std::string("#DEBUG_PLAYER_ID=") + id + "\r\n");
        EXPECT_EQ(g_LocalPlayer, player) << id;
        EXPECT_EQ(LogLines(), player == std::atoi(id) ? Lines{} : Lines{invalid + "#DEBUG_PLAYER_ID=" + id});
    }

    ReadWithLogging("#debug_multiplayer=client\r\n");
    EXPECT_TRUE(g_Config.networkRole == 2 && LogLines() == Breakpoint(597, "core/C_Config.cpp"));

    // Two numbers read as width 800, height 0 and depth 16: refused.
    ReadWithLogging("RESOLUTION=640,480,16\r\nRESOLUTION=800,16\r\n");
    EXPECT_TRUE(g_Config.screenWidth == 1024 && LogLines().back() == (invalid + "RESOLUTION=800,16"));
    ReadText("RESOLUTION=1,1,1\r\n");
    EXPECT_TRUE(g_Config.screenWidth == 1 && g_Config.screenHeight == 1 && g_Config.colourDepth == 1);
    for (const char* value : {"1024", "-800,600,32", "0,600,32", "800,0,32", "800,600,0"})
    {
        SCOPED_TRACE(value);
        ReadText(std::string("RESOLUTION=") + value + "\r\n");
        EXPECT_TRUE(g_Config.screenWidth == 1024 && g_Config.screenHeight == 768 && g_Config.colourDepth == 32);
    }
}
} // namespace
