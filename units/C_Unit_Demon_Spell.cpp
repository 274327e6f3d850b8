// The demon's rain of hell (the spell animation with its flares and the
// cast), the aura that hangs in front of it, and its saved part.

#include <algorithm>
#include <cmath>

#include "core/C_Localizer.h"
#include "core/GlobalFunc.h"
#include "effects/C_Particles.h"
#include "media/C_SaveReader.h"
#include "media/C_SaveWriter.h"
#include "net/C_MultiplayerGame.h"
#include "units/C_Unit_Demon.h"
#include "world/C_GameMap.h"
#include "world/C_Player.h"
#include "world/C_PlayerServices.h"
#include "world/C_UnitStats.h"

namespace
{
constexpr float SpellAdvance = 0.8f;
// The cast falls at this frame of the spell, not at the model's last one.
constexpr float SpellCastFrame = 100.0f;
constexpr int32_t RainOfHell = 52;   // "TC_RAIN_HELL"
constexpr uint32_t CannotCastColour = 0xFF0000;
constexpr float Half = 0.5f;

// The spell's flares, four each tick: size, rise and colour.
struct SFlare
{
    float size;
    float rise;
    uint32_t colour;
};
constexpr SFlare SpellFlares[] = {
    {0.3f, 0.002f, 0x00FF00}, {0.4f, 0.002f, 0x00FFFF}, {0.5f, 0.004f, 0xFF0000}, {0.6f, 0.006f, 0xFFFFFF}};
constexpr float FlareGrowth = 1.03f;
constexpr int32_t FlareHeightRange = 30;
constexpr int32_t FullCircle = 360;

// The aura: beside and ahead of the centre, above the ground there.
constexpr float AuraSide = -0.42f;
constexpr float AuraAhead = 0.48f;
constexpr float AuraHeight = 28.168f;
constexpr float AuraSize = 9.0f;
constexpr float AuraSpread = 2.0f;
constexpr uint32_t AuraColour = 0x4400;
constexpr float InsideMapEdge = 0.01f;
constexpr float DegreesToRadians = 3.14159265f / 180.0f;

constexpr const char* DemonRefusalPrefix = "Unit record refused: ";
}  // namespace

// ---- The spell --------------------------------------------------------------------

bool CUnitDemon::StepSpell()
{
    if (shownFacing != facing)
        return true;
    animFrame += SpellAdvance;
    RaiseFlares();
    if (animFrame < SpellCastFrame)
        return true;
    CastMagic();
    animType = ANIM_STAND;
    SetModelByAnimation();
    Stop();
    return false;
}

void CUnitDemon::RaiseFlares() const
{
    const bool hidden = !IsVisibleToLocalPlayer();
    const float ground = g_GameMap.GetHeight(centreX, centreY);
    for (const SFlare& flare : SpellFlares)
    {
        const float height = ground + static_cast<float>(GlobalFunc::Random(FlareHeightRange));
        const float angle = static_cast<float>(GlobalFunc::Random(FullCircle));
        g_Particles.AddFlare(hidden, centreX, height, centreY, flare.size, angle, flare.rise, FlareGrowth,
                             flare.colour);
    }
}

void CUnitDemon::CastMagic()
{
    if (!IsOwnedHere(player))
        return;
    CPlayer* owner = PlayerAt(player);
    const CUnitStats* spell = owner != nullptr ? owner->GetRainHellSpell(nullptr) : nullptr;
    if (spell == nullptr)
        return;
    const float castX = static_cast<float>(castBlockX) + Half;
    const float castY = static_cast<float>(castBlockY) + Half;
    const CPlayer* local = PlayerAt(g_LocalPlayer);
    if (player == g_LocalPlayer && local != nullptr && local->GetVisibility(castBlockX, castBlockY) == 0)
    {
        // The spell stays ready for a block the player can see.
        const char* text = g_Localizer.GetString("MSG_DEMONCANNOTCAST", false);
        GetPlayerServices().AddMessage(text != nullptr ? text : "", CannotCastColour);
        return;
    }
    if (IsNetworkGame())
        g_MultiplayerGame.SendMagicCast(this, spell->technologyId, castX, 0.0f, castY);
    if (spell->technologyId == RainOfHell)
        g_Particles.AddUnitEffect(!IsVisibleToLocalPlayer(), castX, 0.0f, castY, this);
    owner->ClearRainHell();
}

// ---- The aura ---------------------------------------------------------------------

void CUnitDemon::onShown()
{
    if (aura != -1)
        return;
    float position[3];
    GetAuraPosition(position);
    aura = g_Particles.AddKind38(player != g_LocalPlayer, position[0], position[1], position[2], AuraSize,
                                 AuraSpread, AuraColour);
}

void CUnitDemon::onHidden()
{
    PutOutAura();
}

bool CUnitDemon::HasAura() const
{
    if (aura == -1)
        return false;
    const CParticles::SEmitter* emitter = g_Particles.FindEmitter(aura);
    return emitter != nullptr && emitter->kind == CParticles::KindAura;
}

void CUnitDemon::PutOutAura()
{
    if (HasAura())
        g_Particles.FreeParticle(aura);
    aura = -1;
}

void CUnitDemon::GetAuraPosition(float* position) const
{
    const float angle = static_cast<float>(shownFacing) * DegreesToRadians;
    const float auraX = centreX + AuraSide * std::cos(angle) + AuraAhead * std::sin(angle);
    const float auraY = centreY - AuraSide * std::sin(angle) + AuraAhead * std::cos(angle);
    const float mostX = std::max(static_cast<float>(g_GameMap.GetWidth()) - InsideMapEdge, 0.0f);
    const float mostY = std::max(static_cast<float>(g_GameMap.GetHeight()) - InsideMapEdge, 0.0f);
    position[0] = std::clamp(auraX, 0.0f, mostX);
    position[2] = std::clamp(auraY, 0.0f, mostY);
    position[1] = g_GameMap.GetHeight(position[0], position[2]) + AuraHeight;
}

// ---- Saved state ------------------------------------------------------------------

void CUnitDemon::SaveGameExtra(CSaveStream& stream, const CObjectReferences& references) const
{
    (void)references;
    CSaveWriter out(stream);
    out.Flag(shotReleased != 0);
    out.I32(aura);
    out.I32(castBlockX);
    out.I32(castBlockY);
}

bool CUnitDemon::LoadGameExtra(CSaveStream& stream, const CObjectReferences& references)
{
    (void)references;
    CSaveReader in(stream, DemonRefusalPrefix);
    uint8_t fired = 0;
    in.Flag(fired);
    const int32_t loadedAura = in.I32();
    const int32_t blockX = in.I32();
    const int32_t blockY = in.I32();
    if (!in.Finish())
        return false;
    // The particles' own section brings the aura back under its handle.
    if (loadedAura < -1)
        return in.Refuse("a bad aura handle");
    if (!CSaveReader::InRange(blockX, 0, MapBlockSide - 1) || !CSaveReader::InRange(blockY, 0, MapBlockSide - 1))
        return in.Refuse("a cast block off the map");
    shotReleased = fired;
    aura = loadedAura;
    castBlockX = blockX;
    castBlockY = blockY;
    return true;
}
