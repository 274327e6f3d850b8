#include "tests/core/Core_Support.h"

#include <csignal>
#include <filesystem>
#include <sys/resource.h>

#include "core/C_FileSystem.h"
#include "core/DeviceStartup.h"

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
    // The file as written after the change to what was read from `text`.
    template <typename Change>
    std::string WriteChanged(const std::string& text, Change change)
    {
        ReadText(text);
        change();
        EXPECT_TRUE(WriteConfig());
        return Read("v2krn.cfg");
    }
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
    for (const auto& [field, value] : numbers) g_Config.*field = 77;
    for (const auto& [field, value] : flags) g_Config.*field = 9;
    g_Config.gamma = g_Config.brightness = 5.0f;
    g_Config.viewOptions[0] = g_Config.viewOptions[1] = g_Config.viewOptions[2] = 9;
    g_Config.multiplayerMapFile = "a.world", g_Config.includeFiles.Add("a.med");
    ReadConfig();
    for (size_t i = 0; i < std::size(numbers); ++i)
        EXPECT_EQ(g_Config.*numbers[i].first, numbers[i].second) << "number " << i;
    for (size_t i = 0; i < std::size(flags); ++i) EXPECT_EQ(g_Config.*flags[i].first, flags[i].second) << "flag " << i;
    EXPECT_TRUE(g_Config.gamma == 1.0f && g_Config.brightness == 1.0f && g_Config.viewOptions[2] == 0 &&
                g_Config.multiplayerMapFile.IsEmpty() && g_Config.includeFiles.GetCount() == 0);
    // A copy holds every field.
    for (size_t i = 0; i < std::size(numbers); ++i) g_Config.*numbers[i].first = int32_t(100 + i);
    for (size_t i = 0; i < std::size(flags); ++i) g_Config.*flags[i].first = uint8_t(100 + i);
    const auto copy = std::make_unique<CConfig>(g_Config);
    for (size_t i = 0; i < std::size(numbers); ++i) EXPECT_EQ((*copy).*numbers[i].first, int32_t(100 + i)) << i;
    for (size_t i = 0; i < std::size(flags); ++i) EXPECT_EQ((*copy).*flags[i].first, uint8_t(100 + i)) << i;
    EXPECT_FALSE(Exists("v2krn.cfg"));
    EXPECT_EQ((std::vector<std::string>{g_Config.dataFolder.GetBuffer(), g_Config.mapFolder.GetBuffer(),
                                        g_Config.languageFolder.GetBuffer()}),
              (std::vector<std::string>{Exe() + ".\\", Exe() + ".\\maps\\", "English\\"}));

    ReadWithLogging("DATADIR = c:\\My Games\\data \r\nMAPSDIR=.\r\nSAVEDIR=/srv/game/saves\r\n"
                    "SCRIPTDIR=\\\\server\\share\r\nINCLUDE=extra.med\r\ninclude=d:\\mods\\more.med\r\n");
    ASSERT_TRUE(g_Config.includeFiles.GetCount() == 2 && LogLines().empty());  // every line taken
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
        {"GAMMA=15E-1\r\nBRIGHTNESS=0.0000000015E+9\r\n", 1.5f, 1.5f},
        {"GAMMA=NAN\r\nBRIGHTNESS=.5x\r\n", 1.0f, 0.5f},   // no number: the default stays
        {"GAMMA=-INFINITY\r\nBRIGHTNESS=inf\r\n", 0.1f, 2.0f}, {"GAMMA=+1.25\r\nBRIGHTNESS=+1.75\r\n", 1.25f, 1.75f},
        {"GAMMA=0.1\r\nBRIGHTNESS=2\r\n", 0.1f, 2.0f},   // the limits themselves, and just inside and past them
        {"GAMMA=0.11\r\nBRIGHTNESS=1.99\r\n", 0.11f, 1.99f}, {"GAMMA=0.09\r\nBRIGHTNESS=2.01\r\n", 0.1f, 2.0f},
    };
    for (const auto& c : cases)
        EXPECT_EQ((ReadText(c.text), std::pair(g_Config.gamma, g_Config.brightness)), std::pair(c.gamma, c.brightness))
            << c.text;
}

// What the configured screen and ANTIALIASING ask of the device.
TEST(DeviceStartupPresent, DepthPicksTheBackBufferFormatAndTwoToFourGiveAsManySamples)
{
    using F = Sys3DFormat;
    const struct { int32_t bits, antialiasing; F format; uint32_t samples; } cases[] = {
        {15, 0, F::X1R5G5B5, 0}, {16, 1, F::R5G6B5, 0}, {24, 2, F::X8R8G8B8, 2}, {32, 3, F::X8R8G8B8, 3},
        {8, 4, F::Unknown, 4}, {17, 5, F::Unknown, 0}, {31, -2, F::Unknown, 0}, {33, 2, F::Unknown, 2}};
    for (const auto& c : cases)
    {
        const Sys3DPresentParams p = DeviceStartup::MakePresentParams(800, 600, c.bits, c.antialiasing, c.bits < 24);
        EXPECT_EQ(std::tuple(800, 600, c.format, c.samples, c.bits < 24),
                  std::tuple(p.backBufferWidth, p.backBufferHeight, p.backBufferFormat, p.multiSampleType, p.windowed))
            << c.bits << " bits, antialiasing " << c.antialiasing;
    }
}

// Integer, word and on/off keys are read.
TEST_F(ConfigRead, IntegerWordAndOnOffKeysRefusedLinesAreReportedNormalisedAndResolutionNeedsThreePositiveNumbers)
{
    const struct { const char* text; int32_t CConfig::*field; int32_t expected; } cases[] = {
        {"TCPIP_PORT=70000", &CConfig::networkPort, 65535}, {"TCPIP_PORT=-5", &CConfig::networkPort, 0},
        {"WINSOCKPORT=70000", &CConfig::networkPort, 70000}, {"autosave=oFf", &CConfig::autosave, -1},
        {"CORPSEFRAY=slow", &CConfig::corpseDecaySpeed, 2}, {"ANTIALIASING=2x", &CConfig::antialiasing, 2},
        {"MOUSECURSOR=D3D_HW", &CConfig::mouseCursorMode, 3}, {"WATERDETAIL=ultra", &CConfig::waterDetail, 3},
        {"BUILDINGSHADOW=Block", &CConfig::buildingShadows, 1}, {"MUSICVOLUME=-20abc", &CConfig::musicVolume, -20},
        {"SOUNDVOLUME=abc", &CConfig::soundVolume, 0},
        {"UNITSPEECHVOLUME=99999999999", &CConfig::unitSpeechVolume, INT_MAX},
        {"MUSIC\tVOLUME =\xA0" "5\x80" "0\xFF", &CConfig::musicVolume, 50},
    };
    for (const auto& c : cases)   // every one taken, none reported
        EXPECT_EQ((ReadWithLogging(std::string(c.text) + "\r\n"), std::pair(g_Config.*c.field, LogLines())),
                  std::pair(c.expected, Lines{})) << c.text;
    ReadWithLogging("BLOOD=maybe\r\nBLOODMARKS=off\r\nWINDOWEDMODE=On\r\nLANGUAGE=HUN\r\nLANGUAGE=XX\r\nGAMMA=1.5\r\n"
                    "BRIGHTNESS=1.5\r\nAUTOSAVE=5\r\n");
    EXPECT_TRUE(g_Config.blood == 1 && g_Config.bloodMarks == 0 && g_Config.windowed == 1 && LogLines().empty());
    EXPECT_EQ(std::string(g_Config.languageFolder), "Hungarian\\");

    const std::string invalid = "#DEBUG: Invalid setting in the config file: ";
    ReadWithLogging("foo = 1 ; what\r\n\r\n; only a comment\r\nSCENARIODIR=whatever\r\nBLOOD =ON\r\n");
    EXPECT_EQ(LogLines(), (Lines{invalid + "FOO=1", invalid, invalid}));

    g_LocalPlayer = 5;
    // Eight players: 0 to 7 are taken, the numbers just outside are refused.
    for (const auto& [id, player] : {std::pair{"0", 0}, {"7", 7}, {"8", 7}, {"-1", 7}})
        EXPECT_EQ((ReadWithLogging(std::string("#DEBUG_PLAYER_ID=") + id + "\r\n"), std::pair(g_LocalPlayer, LogLines())),
                  std::pair(player, player == std::atoi(id) ? Lines{} : Lines{invalid + "#DEBUG_PLAYER_ID=" + id}));

    ReadWithLogging("#debug_multiplayer=client\r\n");
    EXPECT_TRUE(g_Config.networkRole == 2 && LogLines() == Breakpoint(597, "core/C_Config.cpp"));

    // Two numbers read as width 800, height 0 and depth 16: refused.
    ReadWithLogging("RESOLUTION=640,480,16\r\nRESOLUTION=800,16\r\n");
    EXPECT_TRUE(g_Config.screenWidth == 1024 && LogLines().back() == (invalid + "RESOLUTION=800,16"));
    ReadText("RESOLUTION=1,1,1\r\n");
    EXPECT_TRUE(g_Config.screenWidth == 1 && g_Config.screenHeight == 1 && g_Config.colourDepth == 1);
    for (const char* value : {"1024", "-800,600,32", "0,600,32", "800,0,32", "800,600,0"})
        EXPECT_TRUE((ReadText(std::string("RESOLUTION=") + value + "\r\n"), g_Config.screenWidth == 1024 &&
                     g_Config.screenHeight == 768 && g_Config.colourDepth == 32)) << value;
}

using ConfigWrite = ConfigRead;

TEST_F(ConfigWrite, ChangesExactlyTheWrittenValuesAndNothingElse)
{
    const std::pair<const char*, const char*> lines[] = {
        {"; Ironmarch settings", "; Ironmarch settings"}, {"DATADIR=.", "DATADIR=."},
        {"include = extra.med", "include = extra.med"},
        {"Resolution = 1024,768,32 ; screen", "Resolution =800,600,16 ; screen"},
        {"gamma=1.00;no blank", "gamma=1.05;no blank"},
        {"  Brightness =  1.00   ; keep blanks", "  Brightness =2.00   ; keep blanks"},
        {"SOUNDVOLUME=100", "SOUNDVOLUME=-3"}, {"BUILDINGSHADOW=All", "BUILDINGSHADOW=None"},
        {"unittexturedetail=High", "unittexturedetail=Poor"}, {"AUTOSAVE=3", "AUTOSAVE=Off"},
        {"TCPIP_PORT=5555", "TCPIP_PORT=6000"}, {"WINSOCKPORT=5555", "WINSOCKPORT=5555"},
        {"#DEBUG_PLAYER_ID=2", "#DEBUG_PLAYER_ID=2"}, {"UNKNOWNKEY=whatever", "UNKNOWNKEY=whatever"}, {"", ""},
        {"BLOOD=maybe", "BLOOD=On"},
    };
    std::string before, after;
    for (const auto& [read, written] : lines)
        before += std::string(read) + "\r\n", after += std::string(written) + "\r\n";
    EXPECT_EQ(WriteChanged(before, [] {
                  g_Config.screenWidth = 800, g_Config.screenHeight = 600, g_Config.colourDepth = 16;
                  g_Config.gamma = 1.05f, g_Config.brightness = 2.0f, g_Config.soundVolume = -3;
                  g_Config.buildingShadows = 0, g_Config.unitTextureDetail = 0, g_Config.autosave = -1;
                  g_Config.networkPort = 6000;
              }), after);
    EXPECT_FALSE(Exists("v2krn.cfgnew"));
    // Words outside their table are written as an error.
    EXPECT_EQ(WriteChanged("BUILDINGSHADOW=All\r\nPARTICLEDETAIL=High\r\nWEATHERDETAIL=Full\r\n", [] {
                  g_Config.buildingShadows = 7, g_Config.particleDetail = -1, g_Config.weatherDetail = 3;
              }), "BUILDINGSHADOW=*ERROR*\r\nPARTICLEDETAIL=*ERROR*\r\nWEATHERDETAIL=*ERROR*\r\n");
    // The port goes into TCPIP_PORT lines only; settings without a line are not added;
    // "SOUND VOLUME" is not found in the line as the user wrote it.
    EXPECT_EQ(WriteChanged("WINSOCKPORT=5555\r\n  Sound Volume\t= 100\t ;loud\r\nautoSave=3\r\n", [] {
                  g_Config.networkPort = 6000, g_Config.soundVolume = 20, g_Config.autosave = 12;
                  g_Config.musicVolume = 10;
              }), "WINSOCKPORT=5555\r\n  Sound Volume\t= 100\t ;loud\r\nautoSave=12\r\n");
}

TEST_F(ConfigWrite, EveryLineIsKeptByteForByteWhateverItHolds)
{
    using namespace std::string_literals;
    for (int hundredths = 10; hundredths <= 200; ++hundredths)
    {
        char value[16];
        std::snprintf(value, sizeof value, "%d.%02d", hundredths / 100, hundredths % 100);
        const std::string text = std::string("GAMMA=") + value + "\r\nBRIGHTNESS=" + value + "\r\n";
        EXPECT_EQ(WriteChanged(text, [] {}), text) << value;
    }
    const std::string longComment = "; " + std::string(70000, 'c');
    // Each file as read and as written back with gamma 1.5.
    const std::pair<std::string, std::string> files[] = {
        {"UNKNOWN=a\0b\r\n"s, "UNKNOWN=a\0b\r\n"s},
        {longComment + "\r\nGAMMA=1.00\r\n", longComment + "\r\nGAMMA=1.50\r\n"},
        {"GAMMA=1.00 ;" + longComment + "\r\n", "GAMMA=1.50 ;" + longComment + "\r\n"},
        {"GAMMA=" + std::string(70000, '7') + "\r\n", "GAMMA=1.50\r\n"},
        // The value ends at a NUL, CR or LF byte; what follows stays.
        {"GAMMA=1.00\0tail ; c\r\n"s, "GAMMA=1.50\0tail ; c\r\n"s},
        {"GAMMA=1.00\nBLOOD=On\nRESOLUTION=1,2,3\n", "GAMMA=1.50\nBLOOD=On\nRESOLUTION=1,2,3\n\r\n"},
        {"GAMMA=1.00\rnext;\r\n", "GAMMA=1.50\rnext;\r\n"},
        // A NUL is dropped from the key as any other control byte.
        {"GAM\0MA=1.00\r\n"s, "GAM\0MA=1.00\r\n"s},
        // Lines end in CR LF after writing; a lone LF belongs to its line.
        {"GAMMA=1.5\n\rUNKNOWN\nGAMMA=1.5\n\rlast", "GAMMA=1.50\r\nUNKNOWN\nGAMMA=1.5\r\nlast\r\n"},
    };
    for (const auto& [read, written] : files)
        EXPECT_EQ(WriteChanged(read, [] { g_Config.gamma = 1.5f; }), written) << read.substr(0, 40);
    // Read whole as well: the end of a long comment is no setting.
    const std::string fillsTheLineBuffer = "; " + std::string(CFileSystem::LineBufferSize - 3, 'c');
    ReadText("GAM\0MA=1.25\r\n"s + fillsTheLineBuffer + "GAMMA=2\r\n");
    EXPECT_FLOAT_EQ(g_Config.gamma, 1.25f);
}

// Each word a key knows is read into its number and written back in the game's own spelling; keys the
// game never changes keep their line as it was.
TEST_F(ConfigWrite, EveryWordAndSwitchOfEveryKeyIsReadAndWrittenBack)
{
    // Per key: each word as read, its number and the text written back ("-" for keys never written).
    const struct { const char* key; int32_t CConfig::*field; const char* words; } words[] = {
        {"ANTIALIASING", &CConfig::antialiasing, "none 0 - 2x 2 - 3x 3 - 4x 4 -"},
        {"MOUSECURSOR", &CConfig::mouseCursorMode, "mono 0 - color 1 - d3d 2 - d3d_hw 3 -"},
        {"BUILDINGSHADOW", &CConfig::buildingShadows, "none 0 None block 1 Block all 2 All"},
        {"PARTICLEDETAIL", &CConfig::particleDetail, "low 0 Low medium 1 Medium high 2 High"},
        {"CORPSEFRAY", &CConfig::corpseDecaySpeed, "slow 2 Slow normal 1 Normal fast 0 Fast"},
        {"WATERDETAIL", &CConfig::waterDetail, "low 0 Low medium 1 Medium high 2 High full 3 Full"},
        {"UNITTEXTUREDETAIL", &CConfig::unitTextureDetail, "poor 0 Poor low 1 Low medium 2 Medium high 3 High"},
        {"BUILDINGTEXTUREDETAIL", &CConfig::buildingTextureDetail, "low 0 Low medium 1 Medium high 2 High"},
        {"TERRAINTEXTUREDETAIL", &CConfig::terrainTextureDetail, "low 0 Low medium 1 Medium high 2 High"},
        {"WEATHERDETAIL", &CConfig::weatherDetail, "none 0 None medium 1 Medium full 2 Full"},
    };
    // Each switch set to the opposite of its default.
    const struct { const char* key; uint8_t CConfig::*field; bool on; bool written; } switches[] = {
        {"UNITSHADOW", &CConfig::unitShadows, false, true}, {"CORPSES", &CConfig::corpses, false, true},
        {"BLOOD", &CConfig::blood, false, true}, {"BLOODMARKS", &CConfig::bloodMarks, false, true},
        {"UNITDAMAGE", &CConfig::unitDamage, false, true}, {"USEHWTNL", &CConfig::hardwareTnL, false, false},
        {"AUDIOENABLED", &CConfig::audioEnabled, false, false},
        {"ENVIRONMENTEFFECTS", &CConfig::environmentEffects, false, true},
        {"LOGGING", &CConfig::logging, true, false}, {"MOUSESCROLLING", &CConfig::mouseScrolling, false, true},
        {"HOOVERHINT", &CConfig::hoverHints, false, true}, {"BACKUPFILES", &CConfig::backupFiles, false, true},
        {"SHOWUNITACTIONICONS", &CConfig::showUnitActionIcons, true, true},
        {"UNITHEALTHMULTIPLY", &CConfig::unitHealthMultiply, false, true},
        {"WINDOWEDMODE", &CConfig::windowed, true, false},
    };
    const auto writtenBack = [this](const std::string& line, const char* key, const char* written) {
        const std::string expected = written ? std::string(key) + "=" + written : line;
        m_Log.Clear();   // taken without a report
        EXPECT_EQ(WriteChanged("LOGGING=ON\r\n" + line + "\r\n", [] {}), "LOGGING=ON\r\n" + expected + "\r\n");
        EXPECT_EQ(LogLines(), Lines{});
    };
    for (const auto& w : words)
    {
        std::istringstream row(w.words);
        std::string word, written;
        for (int32_t value = 0; row >> word >> value >> written;)
        {
            SCOPED_TRACE(std::string(w.key) + "=" + word);
            writtenBack(std::string(w.key) + "=" + word, w.key, written == "-" ? nullptr : written.c_str());
            EXPECT_EQ(g_Config.*w.field, value);
        }
    }
    for (const auto& s : switches)
    {
        SCOPED_TRACE(s.key);
        writtenBack(std::string(s.key) + (s.on ? "=on" : "=off"), s.key, s.written ? (s.on ? "On" : "Off") : nullptr);
        EXPECT_EQ(g_Config.*s.field, s.on ? 1 : 0);
    }
}

TEST_F(ConfigWrite, MissingFileIsACopyOfTheDefaultUpdatedNoDefaultMeansNoFileAndAFailedWriteLeavesTheOldFileWhole)
{
    EXPECT_TRUE(!CopyDefaultConfig() && !WriteConfig() && !Exists("v2krn.cfg") && !Exists("v2krn.cfgnew"));

    Write("Config/default.cfg", "; defaults\r\nGAMMA=1.00\r\nBLOOD=On\r\n");
    g_Config.gamma = 1.25f, g_Config.blood = 0;
    ASSERT_TRUE(WriteConfig());
    EXPECT_TRUE(Read("v2krn.cfg") == "; defaults\r\nGAMMA=1.25\r\nBLOOD=Off\r\n" && !Exists("v2krn.cfgnew"));

    // Neither a copy nor a write-back is longer than the next start reads (1 MiB): such a file stays as it was.
    for (const int over : {0, 1})
    {
        const std::string grows = "GAMMA=1.5\r\n;" + std::string((1 << 20) - 15 + over, 'c') + "\r\n";
        ReadText(grows);
        EXPECT_TRUE(over != WriteConfig() && Read("v2krn.cfg") == (over ? grows : "GAMMA=1.50" + grows.substr(9)));
        const std::string longDefault((1 << 20) + over, ';');
        Write("Config/default.cfg", longDefault);
        EXPECT_TRUE(over != CopyDefaultConfig() && Read("v2krn.cfg") == (over ? grows : longDefault));
    }
    const std::string defaults("A=1\nno line end\0with zero", 25);
    Write("Config/default.cfg", defaults);
    ASSERT_TRUE(CopyDefaultConfig() && Read("v2krn.cfg") == defaults);   // over a longer file
    const std::string original = "GAMMA=1.00\r\nSOUNDVOLUME=100\r\n";
    ReadText(original);
    g_Config.gamma = 1.5f;
    // The new file opens, but every write to it fails as on a full disk: no file may grow past 4 bytes.
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit saved{};
    ASSERT_EQ(0, getrlimit(RLIMIT_FSIZE, &saved));
    const rlimit small{4, saved.rlim_max};
    ASSERT_EQ(0, setrlimit(RLIMIT_FSIZE, &small));
    const bool written = WriteConfig();
    ASSERT_EQ(0, setrlimit(RLIMIT_FSIZE, &saved));
    EXPECT_TRUE(!written && Read("v2krn.cfg") == original && !Exists("v2krn.cfgnew"));
}

// A pipe or a folder in place of the file, or at the end of its link, is not read (a pipe could hold
// start-up for ever) and never replaced; a link is written through to the file it leads to and stays a
// link.  (Every file of the test lies in its own folder, whatever the code under test does.)
TEST_F(ConfigWrite, OnlyARegularFileIsReadOrReplacedAndALinkIsWrittenThrough)
{
    namespace fs = std::filesystem;
    Write("Config/default.cfg", "GAMMA=1.00\r\n");
    // What stands at "v2krn.cfg" (a pipe, a folder, or a link to the path given) and the file written at exit.
    const std::pair<const char*, const char*> cases[] = {
        {"pipe", nullptr}, {"folder", nullptr}, {"settings/pipe", nullptr}, {"settings/game.cfg", "settings/game.cfg"},
        {"settings/link.cfg", "settings/game.cfg"},   // a link to a link
        {"settings/new.cfg", "settings/new.cfg"}};     // a link that leads nowhere yet: the default file is made there
    const std::string config = m_Folder / "v2krn.cfg";
    for (const auto& [entry, writtenTo] : cases)
    {
        SCOPED_TRACE(entry);
        fs::remove_all(m_Folder / "settings"), fs::remove_all(config);
        Write("settings/game.cfg", "GAMMA=1.00\r\n");
        const std::string kind = entry;
        ASSERT_EQ(0, symlink("game.cfg", (m_Folder / "settings/link.cfg").c_str()) |
                         mkfifo((m_Folder / "settings/pipe").c_str(), 0600) |
                         (kind == "pipe"     ? mkfifo(config.c_str(), 0600)
                          : kind == "folder" ? mkdir(config.c_str(), 0700) : symlink(entry, config.c_str())));
        const fs::file_type type = fs::symlink_status(config).type();
        ReadConfig();
        g_Config.gamma = 1.5f;
        EXPECT_TRUE((writtenTo != nullptr) == WriteConfig() && type == fs::symlink_status(config).type() &&
                    (!writtenTo || Read(writtenTo) == "GAMMA=1.50\r\n"));
        EXPECT_FALSE(Exists("v2krn.cfgnew") || Exists("settings/game.cfgnew") || Exists("settings/new.cfgnew"));
    }
}
} // namespace


