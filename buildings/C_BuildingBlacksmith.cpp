#include "buildings/C_BuildingBlacksmith.h"

#include "effects/C_Particles.h"
#include "media/C_SaveReader.h"
#include "media/C_SaveWriter.h"
#include "world/C_GameMap.h"
#include "world/C_Player.h"

namespace
{
constexpr const char* BlacksmithRefusalPrefix = "Blacksmith refused: ";
constexpr int32_t ChainLength = 3;

// An upgrade chain: its place on the panel and its levels in order, with
// each level's icon and key (a one-level chain leaves the rest empty).
struct SUpgradeChain
{
    int32_t position;
    int32_t levels;
    int32_t technologies[ChainLength];
    int32_t icons[ChainLength];
    char keys[ChainLength];
};

const SUpgradeChain UpgradeChains[] = {
    {0, 3, {11, 12, 13}, {69, 70, 71}, {'i', 'h', 'w'}},   // "TC_ATTACK_C_1" to "_3"
    {1, 3, {20, 21, 22}, {78, 79, 80}, {'g', 'p', 'd'}},   // "TC_ATTACK_R_1" to "_3"
    {2, 3, {26, 27, 28}, {84, 85, 86}, {'n', 'm', 'a'}},   // "TC_ATTACK_M_1" to "_3"
    {4, 3, {14, 15, 16}, {72, 73, 74}, {'w', 'o', 's'}},   // "TC_DEFENSE_C_1" to "_3"
    {5, 3, {17, 18, 19}, {75, 76, 77}, {'l', 'c', 't'}},   // "TC_DEFENSE_R_1" to "_3"
    {6, 3, {23, 24, 25}, {81, 82, 83}, {'b', 'u', 'e'}},   // "TC_RANGE_1" to "_3"
    {8, 1, {29, 0, 0}, {87, 0, 0}, {'v', 0, 0}},           // "TC_IRONWORK"
};

// The forge's chimney, from the corner block, and its smoke.
constexpr float ChimneyX = 0.92f;
constexpr float ChimneyY = 2.31f;
constexpr float ChimneyHeight = 70.0f;
constexpr int32_t SmokeKind = 0;
constexpr float SmokeStrength = 0.1f;
}  // namespace

CBuildingBlacksmith::CBuildingBlacksmith(int32_t ownerIndex) : CBuildingOfCast(CastBlacksmith, ownerIndex) {}

CBuildingBlacksmith::~CBuildingBlacksmith()
{
    PutOutSmoke();
}

void CBuildingBlacksmith::RenderPanelButtons()
{
    if (!MayShowButtons() || RenderUnfinishedPanel(MilitaryCancelButton))
        return;
    const CPlayer* player = PlayerAt(owner);
    if (MayShowTechnologyButtons() && player != nullptr)
        for (const SUpgradeChain& chain : UpgradeChains)
            for (int32_t level = 0; level < chain.levels; ++level)
                if (player->IsTechnologyAvailable(chain.technologies[level]))
                {
                    RenderTechnologyButton(chain.position, chain.icons[level], chain.technologies[level],
                                           chain.keys[level]);
                    break;
                }
    RenderPanelEnd(false, EscapeCancels);
}

void CBuildingBlacksmith::OnFinished()
{
    CBuildingOfCast::OnFinished();
    // Finished twice (a loaded map finishing it again), it smokes once.
    PutOutSmoke();
    const float smokeX = static_cast<float>(x) + ChimneyX;
    const float smokeY = static_cast<float>(y) + ChimneyY;
    smokeEmitter =
        g_Particles.AddKind23(SmokeKind, smokeX, g_GameMap.GetHeight(smokeX, smokeY) + ChimneyHeight, smokeY,
                              SmokeStrength);
}

void CBuildingBlacksmith::OnDestroyed()
{
    PutOutSmoke();
}

void CBuildingBlacksmith::PutOutSmoke()
{
    if (smokeEmitter != -1)
        g_Particles.FreeParticle(smokeEmitter);
    smokeEmitter = -1;
}

void CBuildingBlacksmith::SaveGameExtra(CSaveStream& stream, const CObjectReferences& references) const
{
    (void)references;
    CSaveWriter(stream).I32(smokeEmitter);
}

bool CBuildingBlacksmith::LoadGameExtra(CSaveStream& stream, const CObjectReferences& references)
{
    (void)references;
    CSaveReader in(stream, BlacksmithRefusalPrefix);
    const int32_t smoke = in.I32();
    if (!in.Finish())
        return false;
    // The particles' own section brings the smoke back under its handle.
    if (smoke < -1)
        return in.Refuse("a bad smoke handle");
    smokeEmitter = smoke;
    return true;
}
