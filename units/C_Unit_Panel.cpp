// The unit's part of the command panel: portrait and health bar, the
// portrait's flash while the unit is under attack, attack, range, armour
// and hit points of the local player's units, the relation of anyone
// else's, and the names of the unit and its owner.

#include <cstdint>
#include <cstring>
#include <string>

#include "core/C_Localizer.h"
#include "core/GlobalFunc.h"
#include "media/C_2DFont.h"
#include "media/C_2DImage.h"
#include "platform/SysClock.h"
#include "units/C_Unit.h"
#include "world/C_Player.h"

namespace
{
constexpr int PanelFont = 1;

constexpr uint32_t White = 0xFFFFFF;
constexpr uint32_t Yellow = 0xFFFF00;
constexpr uint32_t Green = 0x00FF00;
constexpr uint32_t RelationRed = 0xFF4040;
// Half-transparent red over the portrait.
constexpr uint32_t FlashColour = 0x80FF0000;

constexpr int32_t PortraitX = 5;
constexpr int32_t PortraitY = 240;
constexpr int32_t PortraitSide = 40;
constexpr int HighlightFrameImage = 5;
// The portrait flashes this long after the last hit.
constexpr uint32_t FlashMilliseconds = 10000;

constexpr int AttackImage = 77;
constexpr int RangeImage = 78;
constexpr int ArmourImage = 79;
constexpr int32_t StatIconX = 5;
constexpr int32_t StatTextX = 50;
// Each stat's text stands this far below the top of its icon.
constexpr int32_t StatTextDrop = 5;
constexpr int32_t AttackRowY = 310;
constexpr int32_t RangeRowY = 345;
constexpr int32_t ArmourRowY = 380;
constexpr int32_t HitPointsX = 5;
constexpr int32_t HitPointsY = 289;

constexpr int32_t RelationX = 90;
constexpr int32_t RelationY = 330;
constexpr int32_t NameX = 115;
constexpr int32_t UnitNameY = 240;
constexpr int32_t OwnerNameY = 260;

std::string Number(int32_t value)
{
    return std::to_string(value);
}

// A number after its sign or separator, appended rather than concatenated:
// GCC 12 at -O3 reports a false overlap for "+" + std::string.
std::string Prefixed(char prefix, int32_t value)
{
    std::string text(1, prefix);
    text += Number(value);
    return text;
}

// Prints pieces of text one after the other on a line.
class CPanelLine
{
public:
    CPanelLine(int32_t x, int32_t y) : m_Font(GetGlobalFont(PanelFont)), m_X(x), m_Y(y) {}

    CPanelLine& Add(const std::string& text, uint32_t colour)
    {
        if (m_Font == nullptr)
            return *this;
        m_Font->Print(m_X, m_Y, text.c_str(), colour, C2DFont::AlignLeft);
        m_X += m_Font->GetTextWidth(text.c_str());
        return *this;
    }

    // A base value in white, and its bonus in yellow when there is one.
    CPanelLine& AddWithBonus(int32_t base, int32_t bonus)
    {
        Add(Number(base), White);
        if (bonus != 0)
            Add(Prefixed('+', bonus), Yellow);
        return *this;
    }

private:
    C2DFont* m_Font;
    int32_t m_X;
    int32_t m_Y;
};

C2DImage* DrawableImage(int number)
{
    C2DImage* image = GetGlobalImage(number);
    return image != nullptr && !image->IsEmpty() ? image : nullptr;
}

void RenderImage(int number, int32_t x, int32_t y)
{
    if (C2DImage* image = DrawableImage(number))
        image->Render(x, y);
}

// Damage taken per point of attack as the percent of it the armour keeps off.
int32_t ArmourPercent(float factor)
{
    const int32_t armour = int32_t(100.0f - factor * 100.0f);
    return armour > 0 ? armour : 0;
}

// The relation texts are among the type names looked up once at start.
const char* TypeNameText(const char* key)
{
    for (int i = 0; i < TypeNameCount; ++i)
        if (std::strcmp(TypeNameKeys[i], key) == 0)
            return g_TypeNames[i] != nullptr ? g_TypeNames[i] : "";
    return "";
}

void RenderRelation(int32_t owner)
{
    const CPlayer* local = PlayerAt(g_LocalPlayer);
    const CPlayer* other = PlayerAt(owner);
    if (local == nullptr || other == nullptr)
        return;
    const char* key = "UN_TYPE_ALLY";
    uint32_t colour = Green;
    if (!local->IsFriendTo(owner))
    {
        key = "UN_TYPE_ENEMY";
        colour = RelationRed;
    }
    else if (other->type == PLAYER_NONE)
    {
        key = "UN_TYPE_NEUTRAL";
        colour = Yellow;
    }
    else if (other->type == PLAYER_DEFEATED)
    {
        key = "UN_TYPE_DEFEATED";
        colour = RelationRed;
    }
    CPanelLine(RelationX, RelationY).Add(TypeNameText(key), colour);
}
} // namespace

void CUnit::RenderInfoPanel(const char* typeName) const
{
    RenderHealthBar(PortraitX, PortraitY);
    C2DImage* frame = DrawableImage(HighlightFrameImage);
    if (frame != nullptr && GlobalFunc::IsMouseInRect(PortraitX, PortraitY, PortraitSide, PortraitSide))
        frame->Render(PortraitX, PortraitY);

    if (player == g_LocalPlayer)
    {
        // A last hit time of 0 means the unit was never hit.
        const bool underAttack =
            lastHitTime != 0 && SysClock::TicksBetween(lastHitTime, SysClock::TickCount()) < FlashMilliseconds;
        if (underAttack && panelBlink != 0 && frame != nullptr)
            GlobalFunc::DrawBox(PortraitX, PortraitY, frame->width + PortraitX - 1, frame->height + PortraitY - 1,
                                FlashColour);

        int32_t base = 0;
        int32_t bonus = 0;
        RenderImage(AttackImage, StatIconX, AttackRowY);
        GetAttack(&base, &bonus);
        CPanelLine(StatTextX, AttackRowY + StatTextDrop).AddWithBonus(base, bonus);

        RenderImage(RangeImage, StatIconX, RangeRowY);
        base = 0;
        bonus = 0;
        GetAttackRange(&base, &bonus);
        CPanelLine(StatTextX, RangeRowY + StatTextDrop)
            .AddWithBonus(base, bonus)
            .Add(Prefixed('/', GetSightRadius()), White);

        RenderImage(ArmourImage, StatIconX, ArmourRowY);
        const std::string armour = Number(ArmourPercent(GetDamageFactorA())) + "/" +
                                   Number(ArmourPercent(GetDamageFactorB())) + "/" +
                                   Number(ArmourPercent(GetDamageFactorC())) + " (%)";
        CPanelLine(StatTextX, ArmourRowY + StatTextDrop).Add(armour, White);

        CPanelLine(HitPointsX, HitPointsY)
            .Add(Number(GetLivingHitPoints()) + "/" + Number(int32_t(GetMaxHitPoints())), White);
    }
    else
    {
        RenderRelation(player);
    }

    const char* shownName = !customName.IsEmpty() ? customName.GetBuffer() : (typeName != nullptr ? typeName : "");
    CPanelLine(NameX, UnitNameY).Add(shownName, White);
    if (const CPlayer* owner = PlayerAt(player))
        CPanelLine(NameX, OwnerNameY).Add(owner->name.GetBuffer(), Yellow);
}
