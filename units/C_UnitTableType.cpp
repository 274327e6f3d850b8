#include "units/C_UnitTableType.h"

#include "media/C_ModelRecord.h"
#include "units/C_UnitSoundTable.h"

namespace
{
constexpr int32_t BodyPartSpeedSpread = 5;
constexpr int32_t BodyPartSpeedBase = 2;
constexpr float FullWeight = 1.0f;
constexpr float LevelScale = 255.0f;
constexpr int32_t NoFade = -1;
constexpr int32_t CorpseWoundLevel = 2;

// A table type always has its row; a cast without one cannot be built.
const SUnitAnimationRow& AnimationRowOf(int32_t cast)
{
    static const SUnitAnimationRow Empty{};
    const SUnitAnimationRow* row = CUnitAnimationTable::Find(cast);
    return row != nullptr ? *row : Empty;
}
}  // namespace

CUnitTableType::CUnitTableType(int32_t cast) : CUnitOfType(cast), m_Animation(AnimationRowOf(cast)) {}

void CUnitTableType::PlayHitSound(int32_t damageType)
{
    CUnitSoundTable::PlayHitSound(*this, m_Animation.hitSounds, damageType);
}

int32_t CUnitTableType::WoundLevel() const
{
    if (health >= 50.0f)
        return 0;
    if (health >= 25.0f)
        return m_Animation.woundLevels[0];
    if (health >= 5.0f)
        return m_Animation.woundLevels[1];
    return m_Animation.woundLevels[2];
}

void CUnitTableType::StartDeathAnimation()
{
    animFrame = 0.0f;
    model = m_Animation.dieModel;
    if (tornApart)
    {
        animFrame = static_cast<float>(CUnitAnimationTable::FrameCount(m_Animation.dieModel));
        ThrowBodyParts(m_Animation.extraParts, m_Animation.extraPartCount, BodyPartSpeedSpread, BodyPartSpeedBase);
    }
}

void CUnitTableType::RenderAt(float dieWeight, float corpseWeight, int32_t level)
{
    if (tornApart)
        return;
    const float shade = static_cast<float>(level) / LevelScale;
    if (corpseWeight != 0.0f)
        if (CModelRecord* corpse = GetGlobalModel(m_Animation.corpseModel))
        {
            corpse->SetColourSlot(player);
            corpse->SetShade(shade);
            if (corpseWeight != FullWeight)
                corpse->SetFade(static_cast<int32_t>(corpseWeight * LevelScale));
            corpse->SetFade(NoFade);
        }
    if (dieWeight != 0.0f)
        if (CModelRecord* dying = GetGlobalModel(m_Animation.dieModel))
        {
            dying->SetColourSlot(player);
            dying->SetShade(shade);
            if (!m_Animation.corpseKeepsWound)
                dying->SetWoundLevel(CorpseWoundLevel);
            dying->SetFade(static_cast<int32_t>(dieWeight * LevelScale));
            dying->SetFade(NoFade);
        }
}
