// A form holding one of each widget, driven through the application object's window messages and the
// screen controller the way a player drives it on a 640 x 480 screen, then drawn on the real device and
// read back.  The script's points are on the virtual screen and sent as window pixels.

#include "core/C_Ctrl.h"
#include "core/C_D3D8Game.h"
#include "media/C_GUIComboBox.h"
#include "media/C_GUIGroupFrame.h"
#include "media/C_GUIImage.h"
#include "media/C_GUIInterface.h"
#include "media/C_GUIListBox.h"
#include "media/C_GUIMenuEdit.h"
#include "media/C_GUIProgressBar.h"
#include "media/C_GUIText.h"
#include "media/C_Texture.h"
#include "platform/SysClock.h"
#include "platform/SysMessage.h"
#include "tests/media/GUIDevice.h"

using namespace gui_test;

namespace
{
constexpr uint32_t kYellow = 0xFFFF00;
constexpr uint32_t kImageFrame = 0xFF00FF;
constexpr uint32_t kGroupColour = 0x00FFFF;
constexpr uint32_t kPictureColour = 0x00C000;

// A screen whose frames only draw its forms.
class GalleryCtrl : public CCtrl
{
public:
    CCtrl* Run1Frame() override
    {
        RenderForms();
        return this;
    }
};

class GUIGallery : public GUIDevice
{
protected:
    void SetUp() override
    {
        SysClock::UseTestClock(1000000);
        Open(640, 480);
        form.Init(16);
        form.SetRect(0, 0, -1, -1);
        ok = form.AddButton(800, 704, 160, 32, "OK", nullptr);
        form.SetDefaultControl(ok);
        form.AddLabel(32, 16, "GALLERY", 0, kYellow, 0);
        form.AddCheckBox(32, 64, 0, "box", false);
        form.AddControl(new CGUIComboBox(&form, 32, 128, 160, 16, 0, "red;green;blue", 0));
        list = form.AddControl(new CGUIListBox(&form, 256, 64, 200, 72, 0, "i0;i1;i2;i3;i4;i5;i6;i7;i8;i9", -1));
        entry = form.AddControl(new CGUIMenuEdit(&form, 256, 192, 200, 24, "", 0, CGUIMenuEdit::NoFont, 20));
        form.AddControl(new CGUIText(&form, 512, 64, 200, "wrapped words here", 0, 0xFFFFFF, 0));
        form.AddControl(new CGUIProgressBar(&form, 512, 192, 200, 24, 0, 0, 200, 50));
        texture.singleLevel = 1;
        texture.format = CTexture::FormatX8R8G8B8;
        std::vector<uint32_t> pixels(16 * 16, 0xFF000000u | kPictureColour);
        ASSERT_TRUE(texture.LoadFromMem(16, 16, pixels.data()));
        form.AddControl(new CGUIImage(&form, 32, 256, 64, 64, &texture, kImageFrame));
        slider = form.AddSlider(256, 320, 200, 26, 0, 10, 3);
        form.AddControl(new CGUIGroupFrame(&form, 512, 320, 200, 96, "grp", kGroupColour, 0));
        ctrl.OpenForm(&form);
    }

    void TearDown() override
    {
        game.StopTimer();
        form.DeleteAll();
        texture.Release();
        GUIDevice::TearDown();
        SysClock::UseSystemClock();
    }

    // Screen pixels of a virtual coordinate.
    static int ScreenX(int vx) { return vx * 640 / 1024; }
    static int ScreenY(int vy) { return vy * 480 / 768; }

    void Send(uint32_t code, uint32_t wParam = 0, int32_t lParam = 0) { game.WndProc({code, wParam, lParam}); }
    void Move(int vx, int vy, uint32_t buttons = 0)
    {
        Send(WM_MOUSEMOVE, buttons, MakeMessagePoint(ScreenX(vx), ScreenY(vy)));
    }
    void Press() { Send(WM_LBUTTONDOWN, MOUSE_BIT_LEFT); }
    void Release()
    {
        SysClock::AdvanceTestClock(1000);  // no double clicks in this script
        Send(WM_LBUTTONUP);
    }
    void Click(int vx, int vy)
    {
        Move(vx, vy);
        Press();
        Release();
    }
    void Type(const std::string& text)
    {
        for (char c : text)
            Send(WM_CHAR, static_cast<uint8_t>(c));
    }

    CGUIControl& Control(int index) { return *form.controls[index]; }

    GalleryCtrl ctrl;
    CD3D8Game game{&ctrl};
    CGUIInterface form;
    CTexture texture;
    int ok = -1, list = -1, entry = -1, slider = -1;
};
}  // namespace

TEST_F(GUIGallery, RecordedScriptOperatesEveryWidgetAndTheFormShowsIt)
{
    Click(300, 200);  // the entry takes the focus
    Type("abc\b");
    Move(300, 90);
    Send(WM_MOUSEWHEEL, uint32_t(uint16_t(int16_t(-120 * 3))) << 16);  // three notches down
    Move(300, 330);  // the slider: pressed, dragged, and out past its end
    Press();
    Move(400, 330, MOUSE_BIT_LEFT);
    Move(700, 330, MOUSE_BIT_LEFT);
    Release();
    Type("\r");

    EXPECT_STREQ("ab", Control(entry).GetString());
    EXPECT_TRUE(3 == (static_cast<CGUIListBox&>(Control(list)).firstRow) && 10 == Control(slider).GetInt() &&
                ok == form.result);

    Clear();
    ctrl.Run1Frame();
    ReadBack();
    // Frames in their colours: list box and progress bar yellow (not
    // hovered), the image's frame and the group frame in their own.
    EXPECT_TRUE(ColourNear(ScreenX(256), ScreenY(100), kYellow)) << "list box frame";
    EXPECT_TRUE(ColourNear(ScreenX(512), ScreenY(204), kYellow)) << "progress bar frame";
    EXPECT_TRUE(ColourNear(ScreenX(32), ScreenY(288), kImageFrame)) << "image frame";
    EXPECT_TRUE(ColourNear(ScreenX(512), ScreenY(376), kGroupColour)) << "group frame";
    EXPECT_TRUE(ColourNear(ScreenX(64), ScreenY(288), kPictureColour)) << "image texture";
    // The entry's text "ab" at (258, 194): glyph k spans x 260 + 10 k to
    // 267 + 10 k and y 196 to 207; the removed "c" left nothing.
    const int glyphY = ScreenY(202);
    EXPECT_TRUE(ColourNear(ScreenX(264), glyphY, kYellow, 8)) << "glyph a";
    EXPECT_TRUE(ColourNear(ScreenX(274), glyphY, kYellow, 8)) << "glyph b";
    EXPECT_FALSE(ColourNear(ScreenX(284), glyphY, kYellow, 64)) << "no glyph c";
    // The slider thumb stands at the right end of its track.
    EXPECT_TRUE(ColourNear(ScreenX(448), ScreenY(334), kThumbColour, 8)) << "thumb at the end";
    EXPECT_FALSE(ColourNear(ScreenX(264), ScreenY(334), kThumbColour, 64)) << "no thumb at the start";
    EXPECT_TRUE(ColourNear(ScreenX(36), ScreenY(70), kBoxColour, 8)) << "unchecked box";
}
