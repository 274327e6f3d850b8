// Screenshots: the free-name search over a folder on disk and the picture
// written from the real device's back buffer.

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "core/C_ScreenShot.h"
#include "core/GlobalFunc.h"
#include "game/C_MessageList.h"
#include "tests/device/DeviceGame.h"

using namespace device_test;

namespace
{
const char kMarkName[] = "InGame/ScreenShotMark/pelwin.tga";

uint32_t LE32(const std::string& bytes, size_t at)
{
    return uint32_t(uint8_t(bytes[at])) | uint32_t(uint8_t(bytes[at + 1])) << 8 |
           uint32_t(uint8_t(bytes[at + 2])) << 16 | uint32_t(uint8_t(bytes[at + 3])) << 24;
}

// A 32-bit top-first TGA read byte by byte: its pixels as 0xAARRGGBB, after
// checking the header says so.
std::vector<uint32_t> ReadShot(const std::string& path, int side)
{
    const std::string bytes = CScratchFolder::ReadFile(path);
    EXPECT_EQ(size_t(18 + side * side * 4), bytes.size());
    if (bytes.size() != size_t(18 + side * side * 4))
        return {};
    EXPECT_EQ(2, bytes[2]);                                        // true colour
    EXPECT_EQ(side, uint8_t(bytes[12]) | uint8_t(bytes[13]) << 8);  // width
    EXPECT_EQ(side, uint8_t(bytes[14]) | uint8_t(bytes[15]) << 8);  // height
    EXPECT_EQ(32, bytes[16]);
    EXPECT_EQ(0x20, bytes[17] & 0x20);  // top row first
    std::vector<uint32_t> pixels;
    for (size_t at = 18; at < bytes.size(); at += 4)
        pixels.push_back(LE32(bytes, at));
    return pixels;
}

// A 32-bit top-first TGA of w x h pixels.
std::string TgaFile(int w, int h, const std::vector<uint32_t>& pixels)
{
    std::string bytes(18, '\0');
    bytes[2] = 2;
    bytes[12] = char(w);
    bytes[14] = char(h);
    bytes[16] = 32;
    bytes[17] = 0x28;
    for (uint32_t p : pixels)
        for (int i = 0; i < 4; ++i)
            bytes += char((p >> (8 * i)) & 0xFF);
    return bytes;
}

bool Near(uint32_t a, uint32_t b)
{
    for (int shift = 0; shift < 24; shift += 8)
        if (std::abs(int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF)) > 1)
            return false;
    return true;
}

// Every level halved: entry i is i x 128, so level' = i / 2.
std::vector<uint16_t> HalvingTable()
{
    std::vector<uint16_t> values;
    for (int c = 0; c < 3; ++c)
        for (int i = 0; i < 256; ++i)
            values.push_back(uint16_t(i * 128));
    return values;
}

class ScreenShotNames : public ::testing::Test
{
protected:
    void Touch(int number) { folder.Write(Name(number).substr(folder.Path().size()), "x"); }
    std::string Name(int number) { return CScreenShot::MakeName(folder.Path().c_str(), number).GetBuffer(); }
    std::string Free() { return CScreenShot::FindFreeName(folder.Path().c_str()).GetBuffer(); }

    CScratchFolder folder;
};

// A green 10 x 10 box at the top left on black, a colour table that halves
// every level, and a 4 x 3 mark whose blue bytes are its mask.
class ScreenShotPicture : public DeviceGame
{
protected:
    void PrepareData() override
    {
        folder.Write("InGame/GammaRamps/default.ramp", LE16Bytes(HalvingTable()));
        if (withMark)
            folder.Write(kMarkName, TgaFile(4, 3, {0x000000, 0x0000FF, 0x0000FF, 0x0000FF,  //
                                                   0x0000FF, 0x000080, 0x0000FF, 0x0000FF,  //
                                                   0x0000FF, 0x0000FF, 0x0000FF, 0x0000FF}));
    }

    void DrawScene()
    {
        game.BeginDraw();
        GlobalFunc::DrawBox(0, 0, 10, 10, 0x00FF00);
    }

    void ExpectScene(const std::vector<uint32_t>& shot)
    {
        ASSERT_EQ(size_t(Side * Side), shot.size());
        EXPECT_EQ(0x007F00u, shot[size_t(9 * Side + 9)]);   // 0xFF halved
        EXPECT_EQ(0x000000u, shot[size_t(10 * Side + 10)]);
    }

    bool withMark = true;
    CScratchFolder shots;
};

class ScreenShotWithoutMark : public ScreenShotPicture
{
protected:
    void SetUp() override
    {
        withMark = false;
        ScreenShotPicture::SetUp();
    }
};
} // namespace

TEST_F(ScreenShotNames, FirstFreeThreeDigitNumberIsFoundOnDisk)
{
    EXPECT_EQ(folder.Path() + "V2KRN_Screen_042.tga", Name(42));
    EXPECT_EQ(folder.Path() + "V2KRN_Screen_000.tga", Free());
    for (int i = 0; i <= 4; ++i)
        Touch(i);
    EXPECT_EQ(Name(5), Free());
    std::remove(Name(0).c_str());
    EXPECT_EQ(Name(0), Free());  // 001 to 004 do not matter
    for (int i = 0; i < 1000; ++i)
        Touch(i);
    EXPECT_EQ("", Free());
}

TEST_F(ScreenShotPicture, CapturesAreNumberedAndHoldTheCorrectedPictureWithTheMark)
{
    DrawScene();
    const std::string first = CScreenShot::FindFreeName(shots.Path().c_str()).GetBuffer();
    ASSERT_EQ(shots.Path() + "V2KRN_Screen_000.tga", first);
    ASSERT_TRUE(CScreenShot::Capture(Device(), game.colourTable, first.c_str()));
    const std::string second = CScreenShot::FindFreeName(shots.Path().c_str()).GetBuffer();
    ASSERT_EQ(shots.Path() + "V2KRN_Screen_001.tga", second);
    ASSERT_TRUE(CScreenShot::Capture(Device(), game.colourTable, second.c_str()));
    game.EndDraw();

    const std::vector<uint32_t> shot = ReadShot(second, Side);
    ExpectScene(shot);
    ASSERT_FALSE(HasFatalFailure());
    // The mark's top-left corner lies at (64 - 4 - 5, 64 - 3 - 5) = (55, 56).
    const auto at = [&shot](int x, int y) { return shot[size_t(y * Side + x)]; };
    EXPECT_EQ(0x000000u, at(55, 56));  // mask 0
    EXPECT_EQ(0xFFFFFFFFu, at(58, 58));  // a full mask copies the white mark, alpha too
    EXPECT_TRUE(Near(0x808080, at(56, 57))) << std::hex << at(56, 57);  // mask 0x80
    for (auto [x, y] : {std::pair{54, 56}, {59, 58}, {58, 59}})
        EXPECT_EQ(0x000000u, at(x, y)) << x << "," << y;
    EXPECT_EQ(ReadShot(first, Side), shot);
}

TEST_F(ScreenShotWithoutMark, MissingMarkIsLeftOut)
{
    DrawScene();
    const std::string name = shots / "shot.tga";
    ASSERT_TRUE(CScreenShot::Capture(Device(), game.colourTable, name.c_str()));
    game.EndDraw();
    const std::vector<uint32_t> shot = ReadShot(name, Side);
    ExpectScene(shot);
    for (uint32_t pixel : std::vector<uint32_t>(shot.begin() + 50 * Side, shot.end()))
        ASSERT_EQ(0u, pixel);
}

// Both cases write into the game folder, which every test process shares:
// one test, so that no other process takes the number they expect.
TEST_F(ScreenShotPicture, RequestedShotIsTakenAtTheEndOfTheFrameAndALostDeviceGivesAMessageInstead)
{
    const CString folder = CD3D8Game::GetModuleDir();
    const std::string expected = CScreenShot::FindFreeName(folder).GetBuffer();
    ASSERT_FALSE(expected.empty());
    DrawScene();
    game.MakeScreenShot();
    EXPECT_FALSE(CScratchFolder::Exists(expected));
    game.EndDraw();
    EXPECT_EQ(0, game.screenShotRequested);
    const std::vector<uint32_t> shot = ReadShot(expected, Side);
    std::remove(expected.c_str());
    ExpectScene(shot);
    ASSERT_NE(nullptr, g_MessageList);
    ASSERT_EQ(1u, g_MessageList->GetLines().size());
    EXPECT_STREQ("Screen captured", g_MessageList->GetLines()[0].text);

    const std::string next = CScreenShot::FindFreeName(folder).GetBuffer();
    Device().NotifyWindowLost();
    game.quit = 1;  // ends the wait for the window
    DrawScene();
    game.MakeScreenShot();
    game.EndDraw();
    EXPECT_FALSE(CScratchFolder::Exists(next));
    ASSERT_EQ(2u, g_MessageList->GetLines().size());
    EXPECT_STREQ("Unable to capture the screen", g_MessageList->GetLines()[1].text);
    EXPECT_EQ(0xFF0000u, g_MessageList->GetLines()[1].colour);
    EXPECT_EQ(0, game.screenShotRequested);
}
