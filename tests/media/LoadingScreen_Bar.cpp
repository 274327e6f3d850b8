// The loading screen on a 1024 x 768 device: the bar grows by one step per
// Step and stays full past the last one; missing texts are empty.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/C_File.h"
#include "core/C_Localizer.h"
#include "media/C_Bitmap32.h"
#include "media/C_LoadingScreen.h"
#include "media/C_TGA.h"
#include "tests/media/GUIDevice.h"
#include "tests/support/ScratchFolder.h"
#include "tests/support/TestLog.h"

namespace
{
class LoadingScreen : public gui_test::GUIDevice
{
protected:
    void SetUp() override
    {
        Open(1024, 768);
        // A white bar picture 16 x 16 under "Loading\", no background.
        CTGA bar;
        bar.Create(16, 16);
        bar.FillRect(0, 0, 15, 15, 0xFFFFFFFF);
        folder.MakeFolder("Loading");
        ASSERT_TRUE(bar.Save((folder / "Loading/csik1.tga").c_str()));
        InitDataFile(folder.Path().c_str(), 0);
        g_Localizer.Init(-1);
    }

    void TearDown() override
    {
        screen.Free();
        g_Localizer.Clear();
        InitDataFile("", 0);
        GUIDevice::TearDown();
    }

    // The bar is drawn white with alpha 64: lit pixels are the bar.
    bool Lit(int x, int y) const { return Pixel(x, y) != Background; }

    void StepAndRead()
    {
        Clear();
        screen.Step();
        ReadBack();
    }

    CScratchFolder folder;
    CTestLog log;
    CLoadingScreen screen;
};
}  // namespace

TEST_F(LoadingScreen, BarGrowsByAQuarterOfItsLengthPerStepOfFourAndStaysFullAfterwards)
{
    screen.Init(3, 4);
    // progress x 912 / 4 pixels from x = 54, 42 high from y = 674.
    const int ends[] = {228, 456, 684, 912, 912};
    for (int step = 0; step < 5; ++step)
    {
        StepAndRead();
        const int end = 54 + ends[step];
        EXPECT_EQ(ends[step], screen.BarWidth()) << step;
        EXPECT_TRUE(Lit(54, 674)) << step;
        EXPECT_TRUE(Lit(end - 1, 715)) << step;
        EXPECT_FALSE(Lit(end, 690)) << step;
        EXPECT_FALSE(Lit(53, 690)) << step;
        EXPECT_FALSE(Lit(100, 673)) << step;
        EXPECT_FALSE(Lit(100, 716)) << step;
    }
    EXPECT_EQ(1, log.Count("#DEBUG: Progressbar overflow"));
    EXPECT_EQ(4, screen.progress);
}

TEST_F(LoadingScreen, TextsComeFromTheLanguageMissingOnesAreEmptyAndNoStepsShowNoBar)
{
    // Without FILE_LOADING_SCREEN the background is "Loading\" + nothing,
    // which is no picture; without LOADING there is no caption.
    screen.Init(0, 0);
    EXPECT_TRUE(log.Contains("Loading 2D Image:Loading\\"));
    EXPECT_TRUE(screen.caption.IsEmpty());
    StepAndRead();
    EXPECT_FALSE(Lit(60, 690));
    EXPECT_FALSE(log.Contains("#DEBUG: Progressbar overflow"));
    screen.Init(5, 2);
    EXPECT_TRUE(log.Contains("Loading 2D Image:Loading\\back-5.tga"));
    EXPECT_TRUE(screen.caption.IsEmpty());
    // With the texts of the language.
    const std::string text = "LOADING, \"Loading...\"\r\nFILE_LOADING_SCREEN, \"title.tga\"\r\n";
    ASSERT_TRUE(g_Localizer.LoadLocaleText("test", text.c_str(), int(text.size())));
    screen.Init(0, 1);
    EXPECT_TRUE(log.Contains("Loading 2D Image:Loading\\title.tga"));
    EXPECT_TRUE(screen.caption.IsEmpty());
    screen.Init(2, 1);
    EXPECT_STREQ("Loading...", screen.caption);
}
