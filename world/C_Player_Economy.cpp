#include "world/C_Player.h"

#include "core/C_Localizer.h"
#include "world/C_PlayerServices.h"

namespace
{
constexpr uint32_t NoticeColour = 0xFFFF00;
constexpr int32_t HouseCast = 5;
constexpr int32_t KeepCast = 11;
constexpr int32_t PeoplePerHouse = 5;
constexpr int32_t HousesPerKeep = 2;
constexpr int32_t ComputerWorkerSearchLimit = 75;
constexpr int32_t WorkerSearchLimit = 15;
constexpr int8_t N = -1;

// What a unit type or building cast asks for: finished buildings of the
// casts and researched technologies (unused places N).
struct SRequirement
{
    int32_t subject;
    int8_t casts[2];
    int8_t technologies[4];
};

const SRequirement TrainingRules[] = {
    {1, {11, N}, {N, N, N, N}},  {2, {2, N}, {N, N, N, N}},     {3, {2, N}, {N, N, N, N}},
    {4, {4, 1}, {N, N, N, N}},   {5, {8, N}, {N, N, N, N}},     {6, {2, N}, {30, N, N, N}},
    {7, {13, N}, {N, N, N, N}},  {9, {2, N}, {31, N, N, N}},    {10, {4, 2}, {13, 16, 19, N}},
    {11, {4, 13}, {32, 54, N, N}}, {12, {3, 1}, {54, 55, N, N}}, {13, {4, 2}, {30, 28, 16, 19}},
    {20, {4, 15}, {N, N, N, N}}, {21, {3, 15}, {N, N, N, N}},   {22, {4, 15}, {N, N, N, N}},
};

const SRequirement BuildingRules[] = {
    {1, {N, N}, {53, N, N, N}},  {2, {N, N}, {9, N, N, N}},   {3, {4, N}, {10, N, N, N}},
    {4, {N, N}, {9, N, N, N}},   {5, {11, N}, {N, N, N, N}},  {6, {N, N}, {10, N, N, N}},
    {7, {11, N}, {N, N, N, N}},  {8, {N, N}, {53, N, N, N}},  {9, {N, N}, {10, N, N, N}},
    {11, {N, N}, {10, N, N, N}}, {12, {N, N}, {53, N, N, N}}, {13, {N, N}, {53, N, N, N}},
    {15, {N, N}, {53, 51, N, N}},
};

template <size_t Count>
const SRequirement* FindRequirement(const SRequirement (&rules)[Count], int32_t subject)
{
    for (const SRequirement& rule : rules)
        if (rule.subject == subject)
            return &rule;
    return nullptr;
}
} // namespace

bool CPlayer::IsLocal() const
{
    return index == g_LocalPlayer;
}

void CPlayer::ShowMessage(const char* key, uint32_t colour) const
{
    const char* text = g_Localizer.GetString(key, false);
    GetPlayerServices().AddMessage(text != nullptr ? text : "", colour);
}

bool CPlayer::HasResources(int32_t needWood, int32_t needStone, int32_t needGold, uint8_t spend)
{
    if (wood >= needWood && stone >= needStone && gold >= needGold)
    {
        if (spend)
        {
            wood -= needWood;
            stone -= needStone;
            gold -= needGold;
        }
        return true;
    }
    if (IsLocal())
    {
        if (wood < needWood)
            ShowMessage("MSG_WOODNEEDED", NoticeColour);
        else if (stone < needStone)
            ShowMessage("MSG_STONENEEDED", NoticeColour);
        else
            ShowMessage("MSG_GOLDNEEDED", NoticeColour);
    }
    return false;
}

void CPlayer::AddResources(int32_t addWood, int32_t addStone, int32_t addGold)
{
    wood += addWood;
    stone += addStone;
    gold += addGold;
    statistics[STAT_WOOD_HARVESTED] += addWood;
    statistics[STAT_STONE_HARVESTED] += addStone;
    statistics[STAT_GOLD_HARVESTED] += addGold;
}

void CPlayer::RefundResources(int32_t addWood, int32_t addStone, int32_t addGold)
{
    const int32_t before = GetWealthScore();
    wood += addWood;
    stone += addStone;
    gold += addGold;
    refundCorrection += GetWealthScore() - before;
}

int32_t CPlayer::GetWealthScore() const
{
    return wood / 5 + stone / 10 + gold / 2 + score - refundCorrection;
}

int32_t CPlayer::GetPopulationLimit() const
{
    const int32_t housed =
        (finishedBuildings[HouseCast] + HousesPerKeep * finishedBuildings[KeepCast]) * PeoplePerHouse;
    return housed < populationMaximum ? housed : populationMaximum;
}

bool CPlayer::IsPopulationFull(uint8_t* atMaximum) const
{
    const int32_t population = GetPopulation();
    const bool full = population == populationMaximum;
    if (atMaximum != nullptr)
        *atMaximum = full ? 1 : 0;
    return population >= GetPopulationLimit() || full;
}

bool CPlayer::HasFinished(int32_t cast) const
{
    return cast >= 0 && cast < BuildCastCount && finishedBuildings[cast] > 0;
}

namespace
{
bool Meets(const CPlayer& player, const SRequirement& rule)
{
    for (const int8_t cast : rule.casts)
        if (cast != N && !player.HasFinished(cast))
            return false;
    for (const int8_t technology : rule.technologies)
        if (technology != N && !player.IsResearched(technology))
            return false;
    return true;
}
} // namespace

bool CPlayer::CanTrainUnit(int32_t unitType) const
{
    if (unitType < 0 || unitType >= UnitTypeCount || !enabledUnitTypes[unitType])
        return false;
    const SRequirement* rule = FindRequirement(TrainingRules, unitType);
    return rule != nullptr && Meets(*this, *rule);
}

bool CPlayer::CanBuildBuilding(int32_t cast) const
{
    if (cast < 0 || cast >= BuildCastCount || !enabledBuildingCasts[cast])
        return false;
    const SRequirement* rule = FindRequirement(BuildingRules, cast);
    return rule != nullptr && Meets(*this, *rule);
}

int32_t CPlayer::SumUnitValues() const
{
    int32_t sum = 0;
    for (int32_t t = 0; t < UnitTypeCount; ++t)
        if (militaryTypes[t])
            sum += unitsByType[t];
    return sum;
}

int32_t CPlayer::SumBuildingValues() const
{
    int32_t sum = 0;
    for (int32_t c = 0; c < BuildCastCount; ++c)
        if (flaggedCasts[c])
            sum += finishedBuildings[c];
    return sum;
}

int32_t CPlayer::GetWorkerSearchLimit() const
{
    return type == PLAYER_COMPUTER ? ComputerWorkerSearchLimit : WorkerSearchLimit;
}
