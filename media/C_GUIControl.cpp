#include "media/C_GUIControl.h"

#include "core/C_LogFile.h"
#include "core/C_String.h"
#include "core/GlobalFunc.h"
#include "media/C_2DFont.h"
#include "media/C_2DImage.h"
#include "media/C_GUIInterface.h"
#include "media/C_VXBuffer.h"
#include "media/C_VoiceBank.h"
#include "media/D3DDevice.h"
#include "platform/SysDevice3D.h"

namespace
{
constexpr const char* kUnansweredQuery = "#DEBUG: Unspecified GUI control value evaluator used";
constexpr char kItemSeparator = ';';

C2DImage* g_GUIPictures[static_cast<int>(EGUIPicture::Count)] = {};

void AddVertex(int32_t px, int32_t py, uint32_t colour)
{
    g_VXBuffer.Add2dVertex(static_cast<float>(px), static_cast<float>(py), colour, 0.0f, 0.0f);
}

void SetBlending(SysDevice3D& device, bool on, const char* label)
{
    GlobalFunc::FatalD3DError(label, device.SetRenderState(Sys3DRenderState::AlphaBlendEnable, on ? 1 : 0), true);
}
}  // namespace

void SetGUIPicture(EGUIPicture which, C2DImage* picture)
{
    g_GUIPictures[static_cast<int>(which)] = picture;
}

C2DImage* GetGUIPicture(EGUIPicture which)
{
    C2DImage* picture = g_GUIPictures[static_cast<int>(which)];
    return picture && !picture->IsEmpty() && picture->width > 0 && picture->height > 0 ? picture : nullptr;
}

void PlayInterfaceClick()
{
    constexpr int32_t InterfaceClickSample = 255;   // "Interface\click-1.snd"
    constexpr int32_t FullVolume = 100;
    g_VoiceBank.Play(InterfaceClickSample, 1, 0, FullVolume, 0.0f);
}

CGUIControl::CGUIControl(CGUIInterface* parent, int32_t x, int32_t y, int32_t w, int32_t h)
    : enabled(1), visible(1), parent(parent), x(x), y(y), w(w), h(h)
{
}

CGUIControl::~CGUIControl() = default;

bool CGUIControl::CanFocus() { return false; }

bool CGUIControl::GetBool()
{
    DEBUG_REPORT(kUnansweredQuery);
    return false;
}

int32_t CGUIControl::GetInt()
{
    DEBUG_REPORT(kUnansweredQuery);
    return 0;
}

const char* CGUIControl::GetString()
{
    DEBUG_REPORT(kUnansweredQuery);
    return nullptr;
}

int32_t CGUIControl::GetValue()
{
    DEBUG_REPORT(kUnansweredQuery);
    return 0;
}

void CGUIControl::SetValue(int32_t) {}
void CGUIControl::SetText(const char*) {}
void CGUIControl::SetImage(CTexture*) {}
void CGUIControl::OnMouseDown(int32_t, int32_t) {}
void CGUIControl::OnMouseUp(int32_t, int32_t) {}
void CGUIControl::OnClick() {}
void CGUIControl::OnMouseMove(int32_t, int32_t) {}
void CGUIControl::OnMouseEnter() {}
void CGUIControl::OnMouseLeave() {}
void CGUIControl::OnWheelUp() {}
void CGUIControl::OnWheelDown() {}
void CGUIControl::OnKey(int32_t) {}
void CGUIControl::Render() {}
void CGUIControl::OnFocus() {}
void CGUIControl::OnBlur() {}

int32_t CGUIControl::GetAbsX() const
{
    return parent ? x + parent->GetAbsX() : x;
}

int32_t CGUIControl::GetAbsY() const
{
    return parent ? y + parent->GetAbsY() : y;
}

bool CGUIControl::HitTest(int32_t px, int32_t py) const
{
    if (!enabled)
        return false;
    const int32_t left = GetAbsX();
    const int32_t top = GetAbsY();
    return px >= left && px <= left + w && py >= top && py <= top + h;
}

void CGUIControl::DrawFrame(int32_t x0, int32_t y0, int32_t x1, int32_t y1, uint32_t colour)
{
    if (GetD3DDevice() == nullptr)
        return;
    g_VXBuffer.Begin2d(CVXBuffer::LineStrip);
    AddVertex(x0, y0, colour);
    AddVertex(x1, y0, colour);
    AddVertex(x1, y1, colour);
    AddVertex(x0, y1, colour);
    AddVertex(x0, y0, colour);
    g_VXBuffer.Show2dLines();
}

void CGUIControl::DrawLine(int32_t x0, int32_t y0, int32_t x1, int32_t y1, uint32_t colour)
{
    if (GetD3DDevice() == nullptr)
        return;
    g_VXBuffer.Begin2d(CVXBuffer::LineStrip);
    AddVertex(x0, y0, colour);
    AddVertex(x1, y1, colour);
    g_VXBuffer.Show2dLines();
}

void CGUIControl::DrawBox(int32_t x0, int32_t y0, int32_t x1, int32_t y1, uint32_t colour, int32_t alpha)
{
    SysDevice3D* device = GetD3DDevice();
    if (device == nullptr)
        return;
    GlobalFunc::FatalD3DError("CGUIControl::DrawBox()/1", device->SetTexture(0, nullptr), true);
    const bool blended = alpha != NoAlpha && alpha != OpaqueAlpha;
    if (blended)
    {
        colour += static_cast<uint32_t>(alpha) << 24;
        SetBlending(*device, true, "CGUIControl::DrawBox()/2");
    }
    g_VXBuffer.Begin2d(CVXBuffer::TriangleFan);
    AddVertex(x0, y0, colour);
    AddVertex(x1, y0, colour);
    AddVertex(x1, y1, colour);
    AddVertex(x0, y1, colour);
    g_VXBuffer.Show2d();
    if (blended)
        SetBlending(*device, false, "CGUIControl::DrawBox()/3");
}

C2DFont* CGUIControl::Font(int32_t index)
{
    return GetGlobalFont(index);
}

int32_t CGUIControl::LineHeight(int32_t font)
{
    const C2DFont* f = Font(font);
    return f ? f->lineHeight : 0;
}

int32_t CGUIControl::TextWidth(int32_t font, const char* text)
{
    const C2DFont* f = Font(font);
    return f && text ? f->GetTextWidth(text) : 0;
}

void CGUIControl::Print(int32_t font, int32_t px, int32_t py, const char* text, uint32_t colour, int32_t align)
{
    C2DFont* f = Font(font);
    if (f && text && text[0] != 0)
        f->PrintShadow(px, py, text, colour, align);
}

void CGUIControl::DrawFramedLook(int32_t boxAlpha, uint32_t frameColour) const
{
    const int32_t left = GetAbsX();
    const int32_t top = GetAbsY();
    DrawBox(left, top, left + w - 1, top + h - 1, ColourBlack, boxAlpha);
    DrawFrame(left + 1, top + 1, left + w, top + h, ColourBlack);
    DrawFrame(left, top, left + w - 1, top + h - 1, frameColour);
}

void CGUIControl::SplitItems(const char* items, CStringArray& out)
{
    out.Clear();
    if (items == nullptr)
        return;
    const char* start = items;
    while (*start != 0)
    {
        const char* end = start;
        while (*end != 0 && *end != kItemSeparator)
            ++end;
        CString item;
        item = CString(start).Mid(0, static_cast<int>(end - start));
        out.Add(item);
        start = *end == kItemSeparator ? end + 1 : end;
    }
}

int32_t CGUIControl::IndexInParent() const
{
    if (parent == nullptr)
        return -1;
    for (int32_t i = 0; i < parent->count; ++i)
    {
        if (parent->controls[i] == this)
            return i;
    }
    return -1;
}
