#include "units/C_Unit_Quib.h"

#include "core/GlobalFunc.h"
#include "media/C_2DImage.h"
#include "media/C_SaveReader.h"
#include "media/C_SaveWriter.h"

namespace
{
const SHeroWeapon Laser = {{0.0f, false, "#DEBUG: QuiB unit/building target at once"}, 3.0f, false, true, true, true,
                           {51, 1}};
// One chance in 200 per tick that a bubble starts.
constexpr int32_t BubbleChance = 200;
constexpr int32_t FirstBubbleImage = 20;
constexpr int32_t BubbleAboveModel = 130;
constexpr const char* RefusalPrefix = "Unit record refused: ";
}  // namespace

CUnitQuib::CUnitQuib() : CUnitHeroType(UNIT_QUIB, Laser) {}

bool CUnitQuib::Animate(int32_t ticks)
{
    for (int32_t tick = 0; tick < ticks; ++tick)
    {
        StepBubble();
        if (animType == ANIM_DIE)
            break;
        if (!StepOneTick())
            return true;
    }
    return CUnitHeroType::Animate(0);
}

void CUnitQuib::StepBubble()
{
    if (bubbleTicks == 0)
    {
        if (onMap && GlobalFunc::Random(BubbleChance) == 1)
        {
            bubbleTicks = 1;
            bubble = GlobalFunc::Random(BubbleCount);
        }
        return;
    }
    if (++bubbleTicks > BubbleTicks)
        bubbleTicks = 0;
}

void CUnitQuib::Render()
{
    if (!onMap)
        return;
    CUnitRangedType::Render();
    if (bubbleTicks == 0)
        return;
    C2DImage* image = GetGlobalImage(FirstBubbleImage + bubble);
    if (image != nullptr && !image->IsEmpty())
        image->Render((screenRect[0] + screenRect[2]) / 2, screenRect[1] - BubbleAboveModel);
}

void CUnitQuib::onPerformAction()
{
    MeleeOnPerformAction(m_Animation.facingExtra, __LINE__, __FILE__);
}

void CUnitQuib::SaveGameExtra(CSaveStream& stream, const CObjectReferences& references) const
{
    CUnitHeroType::SaveGameExtra(stream, references);
    CSaveWriter out(stream);
    out.I32(bubbleTicks);
    out.I32(bubble);
}

bool CUnitQuib::LoadGameExtra(CSaveStream& stream, const CObjectReferences& references)
{
    const uint8_t shotBefore = shotReleased;
    if (!CUnitHeroType::LoadGameExtra(stream, references))
        return false;
    CSaveReader in(stream, RefusalPrefix);
    const int32_t loadedTicks = in.I32();
    const int32_t loadedBubble = in.I32();
    if (!in.Failed() && (loadedTicks < 0 || loadedTicks > BubbleTicks))
        in.Refuse("the speech bubble's ticks are out of range");
    if (!in.Failed() && (loadedBubble < 0 || loadedBubble >= BubbleCount))
        in.Refuse("the speech bubble's number is out of range");
    if (!in.Finish())
    {
        shotReleased = shotBefore;
        return false;
    }
    bubbleTicks = loadedTicks;
    bubble = loadedBubble;
    return true;
}
