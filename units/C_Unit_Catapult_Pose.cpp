// The catapult standing on its four wheels: the tilt the ground under them
// gives it, the release point of its stone, its drawing and the wreck its
// corpse draws, and its own part of the saved unit record.

#include "media/C_SaveReader.h"
#include "media/C_SaveWriter.h"
#include "units/C_UnitModelDrawing.h"
#include "units/C_Unit_Catapult.h"

namespace
{
// The arm's cup at the moment of release, in model units.
constexpr float CupX = 0.0f;
constexpr float CupHeight = 41.0f;
constexpr float CupZ = -6.4f;
constexpr float ModelUnitsPerBlock = 32.0f;
constexpr const char* RefusalPrefix = "Unit record refused: ";
}  // namespace

void CUnitCatapult::WorkOutReleasePoint()
{
    const float cup[3] = {CupX, CupHeight, CupZ};
    float released[3];
    CUnitModelDrawing::TurnPoint(CUnitModelDrawing::OnWheels(*this), cup, released);
    releaseX = released[0] / ModelUnitsPerBlock;
    releaseHeight = released[1];
    releaseY = released[2] / ModelUnitsPerBlock;
}

// ---- Drawing ------------------------------------------------------------------------

void CUnitCatapult::Render()
{
    if (!onMap)
        return;
    WorkOutReleasePoint();
    CUnitModelDrawing::DrawOnWheels(*this);
}

void CUnitCatapult::RenderAt(float dieWeight, float fade, int32_t shade)
{
    (void)dieWeight;
    CUnitModelDrawing::DrawWreckOnWheels(*this, fade, shade);
}

// ---- Saved state --------------------------------------------------------------------

void CUnitCatapult::SaveGameExtra(CSaveStream& stream, const CObjectReferences& references) const
{
    (void)references;
    CSaveWriter out(stream);
    out.Flag(thrown != 0);
    out.F32(releaseX);
    out.F32(releaseHeight);
    out.F32(releaseY);
}

bool CUnitCatapult::LoadGameExtra(CSaveStream& stream, const CObjectReferences& references)
{
    (void)references;
    CSaveReader in(stream, RefusalPrefix);
    uint8_t loadedThrown = 0;
    in.Flag(loadedThrown);
    const float loadedX = in.F32();
    const float loadedHeight = in.F32();
    const float loadedY = in.F32();
    if (!in.Finish())
        return false;
    if (!CSaveReader::IsFinite(loadedX) || !CSaveReader::IsFinite(loadedHeight) || !CSaveReader::IsFinite(loadedY))
        return in.Refuse("the release point is no finite number");
    thrown = loadedThrown;
    releaseX = loadedX;
    releaseHeight = loadedHeight;
    releaseY = loadedY;
    return true;
}
