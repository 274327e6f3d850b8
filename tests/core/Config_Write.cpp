// Writing "v2krn.cfg" back: values replaced in place, everything else kept
// byte for byte, the default copy, and failures that leave the file alone.

#include "tests/core/Config_TestFolder.h"

#include <cstdio>
#include <filesystem>

#include "tests/support/TestDataFile.h"

namespace
{
class ConfigWrite : public ConfigTestBase
{
protected:
    // Reads the file, changes the settings, writes it back and returns it.
    template <typename Change>
    std::string WriteChanged(const std::string& text, Change change)
    {
        Write("v2krn.cfg", text);
        ReadConfig();
        change();
        EXPECT_TRUE(WriteConfig());
        return Read("v2krn.cfg");
    }

    // Reads the file, then writes it back unchanged in the record.
    std::string RoundTrip(const std::string& text)
    {
        return WriteChanged(text, [] {});
    }
};

TEST_F(ConfigWrite, ChangesExactlyTheWrittenValuesAndNothingElse)
{
    Write("v2krn.cfg",
                   "; Ironmarch settings\r\n"
                   "DATADIR=.\r\n"
                   "include = extra.med\r\n"
                   "Resolution = 1024,768,32 ; screen\r\n"
                   "gamma=1.00;no blank\r\n"
                   "  Brightness =  1.00   ; keep blanks\r\n"
                   "MusicVolume=100\r\n"
                   "SOUNDVOLUME=100\r\n"
                   "UNITSPEECHVOLUME=0\r\n"
                   "BUILDINGSHADOW=All\r\n"
                   "WATERDETAIL=Full\r\n"
                   "unittexturedetail=High\r\n"
                   "CORPSEFRAY=Normal\r\n"
                   "AUTOSAVE=3\r\n"
                   "TCPIP_PORT=5555\r\n"
                   "WINSOCKPORT=5555\r\n"
                   "ANTIALIASING=NONE\r\n"
                   "LOGGING=OFF\r\n"
                   "#DEBUG_PLAYER_ID=2\r\n"
                   "UNKNOWNKEY=whatever\r\n"
                   "\r\n"
                   "BLOOD=maybe\r\n");
    ReadConfig();
    g_Config.screenWidth = 800;
    g_Config.screenHeight = 600;
    g_Config.colourDepth = 16;
    g_Config.gamma = 1.05f;
    g_Config.brightness = 2.0f;
    g_Config.musicVolume = 55;
    g_Config.soundVolume = -3;
    g_Config.unitSpeechVolume = 70;
    g_Config.buildingShadows = 0;
    g_Config.waterDetail = 1;
    g_Config.unitTextureDetail = 0;
    g_Config.corpseDecaySpeed = 2;
    g_Config.autosave = -1;
    g_Config.networkPort = 6000;
    g_Config.antialiasing = 4;
    g_Config.logging = 1;
    ASSERT_TRUE(WriteConfig());

    EXPECT_EQ(Read("v2krn.cfg"),
              "; Ironmarch settings\r\n"
              "DATADIR=.\r\n"
              "include = extra.med\r\n"
              "Resolution =800,600,16 ; screen\r\n"
              "gamma=1.05;no blank\r\n"
              "  Brightness =2.00   ; keep blanks\r\n"
              "MusicVolume=55\r\n"
              "SOUNDVOLUME=-3\r\n"
              "UNITSPEECHVOLUME=70\r\n"
              "BUILDINGSHADOW=None\r\n"
              "WATERDETAIL=Medium\r\n"
              "unittexturedetail=Poor\r\n"
              "CORPSEFRAY=Slow\r\n"
              "AUTOSAVE=Off\r\n"
              "TCPIP_PORT=6000\r\n"
              "WINSOCKPORT=5555\r\n"
              "ANTIALIASING=NONE\r\n"
              "LOGGING=OFF\r\n"
              "#DEBUG_PLAYER_ID=2\r\n"
              "UNKNOWNKEY=whatever\r\n"
              "\r\n"
              "BLOOD=On\r\n");
    EXPECT_FALSE(Exists("v2krn.cfgnew"));
}

TEST_F(ConfigWrite, EveryHundredthOfGammaAndBrightnessSurvives)
{
    for (int hundredths = 10; hundredths <= 200; ++hundredths)
    {
        char value[16];
        std::snprintf(value, sizeof value, "%d.%02d", hundredths / 100, hundredths % 100);
        const std::string text = std::string("GAMMA=") + value + "\r\nBRIGHTNESS=" + value + "\r\n";
        EXPECT_EQ(RoundTrip(text), text) << value;
    }
}

TEST_F(ConfigWrite, LinesEndInCrLfAfterWriting)
{
    EXPECT_EQ(RoundTrip("UNKNOWN\nGAMMA=1.5\n\rlast"), "UNKNOWN\r\nGAMMA=1.50\r\nlast\r\n");
}

TEST_F(ConfigWrite, OnlyMatchingLinesAreReplaced)
{
    // Words outside their table are written as an error.
    EXPECT_EQ(WriteChanged("BUILDINGSHADOW=All\r\nPARTICLEDETAIL=High\r\nWEATHERDETAIL=Full\r\n",
                           [] {
                               g_Config.buildingShadows = 7;
                               g_Config.particleDetail = -1;
                               g_Config.weatherDetail = 3;
                           }),
              "BUILDINGSHADOW=*ERROR*\r\nPARTICLEDETAIL=*ERROR*\r\nWEATHERDETAIL=*ERROR*\r\n");
    // The port goes into TCPIP_PORT lines only; settings without a line are not added;
    // "SOUND VOLUME" is not found in the line as the user wrote it.
    EXPECT_EQ(WriteChanged("WINSOCKPORT=5555\r\n  Sound Volume\t= 100\t ;loud\r\nautoSave=3\r\n",
                           [] {
                               g_Config.networkPort = 6000;
                               g_Config.soundVolume = 20;
                               g_Config.autosave = 12;
                               g_Config.musicVolume = 10;
                           }),
              "WINSOCKPORT=5555\r\n  Sound Volume\t= 100\t ;loud\r\nautoSave=12\r\n");
}

TEST_F(ConfigWrite, MissingFileIsMadeFromTheDefaultAndUpdated)
{
    Write("Config/default.cfg", "; defaults\r\nGAMMA=1.00\r\nBLOOD=On\r\n");
    g_Config.gamma = 1.25f;
    g_Config.blood = 0;
    ASSERT_TRUE(WriteConfig());
    EXPECT_EQ(Read("v2krn.cfg"), "; defaults\r\nGAMMA=1.25\r\nBLOOD=Off\r\n");
    EXPECT_FALSE(Exists("v2krn.cfgnew"));
}

TEST_F(ConfigWrite, DefaultComesFromThePackedDataFile)
{
    CTestDataFile data;
    data.Add("CONFIG\\DEFAULT.CFG", "SOUNDVOLUME=100\r\nLANGUAGE=ENG\r\n");
    const std::string path = m_Folder.Write("v2krn.med", data.Build());
    CString reason;
    ASSERT_EQ(LoadDataFile(path.c_str(), false, reason), EDataFileResult::Loaded);
    g_Config.soundVolume = 35;
    ASSERT_TRUE(WriteConfig());
    EXPECT_EQ(Read("v2krn.cfg"), "SOUNDVOLUME=35\r\nLANGUAGE=ENG\r\n");
}

TEST_F(ConfigWrite, DefaultCopyIsExactAndAMissingDefaultCreatesNoFile)
{
    EXPECT_FALSE(CopyDefaultConfig());
    EXPECT_FALSE(WriteConfig());
    EXPECT_FALSE(Exists("v2krn.cfg"));
    EXPECT_FALSE(Exists("v2krn.cfgnew"));

    const std::string defaults("A=1\nno line end\0with zero", 25);
    Write("Config/default.cfg", defaults);
    Write("v2krn.cfg", "old contents that are longer than the default file\r\n");
    ASSERT_TRUE(CopyDefaultConfig());
    EXPECT_EQ(Read("v2krn.cfg"), defaults);
}

TEST_F(ConfigWrite, FailedWriteLeavesTheOldFileWhole)
{
    const std::string original = "GAMMA=1.00\r\nSOUNDVOLUME=100\r\n";
    Write("v2krn.cfg", original);
    ReadConfig();
    g_Config.gamma = 1.5f;

    // Every write to the new file fails as on a full disk.
    std::filesystem::create_symlink("/dev/full", m_Folder / "v2krn.cfgnew");
    EXPECT_FALSE(WriteConfig());
    EXPECT_EQ(Read("v2krn.cfg"), original);
    EXPECT_FALSE(std::filesystem::is_symlink(m_Folder / "v2krn.cfgnew"));

    // The new file cannot even be created.
    std::filesystem::create_directory(m_Folder / "v2krn.cfgnew");
    EXPECT_FALSE(WriteConfig());
    EXPECT_EQ(Read("v2krn.cfg"), original);
}
} // namespace
