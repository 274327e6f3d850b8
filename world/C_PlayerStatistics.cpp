#include "world/C_PlayerStatistics.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <initializer_list>
#include <memory>
#include <string>
#include <utility>

#include "core/C_LogFile.h"
#include "core/C_MemoryBlock.h"
#include "media/C_2DFont.h"
#include "world/C_GameMap.h"
#include "world/C_Technology.h"
#include "world/C_UnitStats.h"

CPlayerStatistics* g_PlayerStatistics = nullptr;

namespace
{
// Spent once cast, researched again and again: it never counts.
constexpr int32_t RainHellTechnology = 52;
constexpr int32_t WorkerType = 1;
constexpr int32_t FullPercent = 100;
constexpr int32_t NoTeam = -1;
constexpr int32_t LastPlayerIndex = MaxPlayers - 1;
constexpr int32_t NoLimit = INT32_MAX;
constexpr int32_t SampleBytes = 8;

// The overlay: white text in the game font, one line every 20 units.
constexpr int32_t OverlayFont = 0;
constexpr uint32_t OverlayColour = 0xFFFFFF;
constexpr int32_t OverlayLineStep = 20;
constexpr int32_t OverlayLeftX = 270;
constexpr int32_t OverlayRightX = 600;
constexpr int32_t OverlayCountsY = 0;
constexpr int32_t OverlayDetailsY = 80;
constexpr int32_t OverlayStatisticsY = 260;
constexpr int32_t OverlayGroupsY = 0;

using NumberField = int32_t CPlayerStatistics::*;

// One of the 21 numbers of the memory form, with the range a sound record
// keeps it in.
struct SNumberField
{
    NumberField field;
    int32_t lowest;
    int32_t highest;
    const char* whatIsWrong;
};

const SNumberField NumberFields[CPlayerStatistics::NumberCount] = {
    {&CPlayerStatistics::playerType, PLAYER_NONE, PLAYER_DEFEATED, "the player type is out of range"},
    {&CPlayerStatistics::colourScheme, 0, LastPlayerIndex, "the colour scheme is out of range"},
    {&CPlayerStatistics::team, NoTeam, LastPlayerIndex, "the team is out of range"},
    {&CPlayerStatistics::woodHarvested, 0, NoLimit, "a count is negative"},
    {&CPlayerStatistics::stoneHarvested, 0, NoLimit, "a count is negative"},
    {&CPlayerStatistics::goldHarvested, 0, NoLimit, "a count is negative"},
    {&CPlayerStatistics::exploredPercent, 0, FullPercent, "the explored percent is out of range"},
    {&CPlayerStatistics::technologiesResearched, 0, TechnologyCount, "the researched count is out of range"},
    {&CPlayerStatistics::woodSpentOnResearch, 0, NoLimit, "a count is negative"},
    {&CPlayerStatistics::stoneSpentOnResearch, 0, NoLimit, "a count is negative"},
    {&CPlayerStatistics::goldSpentOnResearch, 0, NoLimit, "a count is negative"},
    {&CPlayerStatistics::researchPercent, 0, FullPercent, "the research percent is out of range"},
    {&CPlayerStatistics::unitsCreated, 0, NoLimit, "a count is negative"},
    {&CPlayerStatistics::unitsLost, 0, NoLimit, "a count is negative"},
    {&CPlayerStatistics::unitsKilled, 0, NoLimit, "a count is negative"},
    {&CPlayerStatistics::buildingsBuilt, 0, NoLimit, "a count is negative"},
    {&CPlayerStatistics::buildingsLost, 0, NoLimit, "a count is negative"},
    {&CPlayerStatistics::buildingsDestroyed, 0, NoLimit, "a count is negative"},
    {&CPlayerStatistics::arrowsShot, 0, NoLimit, "a count is negative"},
    {&CPlayerStatistics::arrowsHitUnit, 0, NoLimit, "a count is negative"},
    {&CPlayerStatistics::arrowsHitBuilding, 0, NoLimit, "a count is negative"},
};

// The player's statistics counters in the record's order, from the units
// created on.
const std::pair<NumberField, EPlayerStatistic> CopiedCounters[] = {
    {&CPlayerStatistics::woodHarvested, STAT_WOOD_HARVESTED},
    {&CPlayerStatistics::stoneHarvested, STAT_STONE_HARVESTED},
    {&CPlayerStatistics::goldHarvested, STAT_GOLD_HARVESTED},
    {&CPlayerStatistics::unitsCreated, STAT_UNITS_CREATED},
    {&CPlayerStatistics::unitsLost, STAT_UNITS_LOST},
    {&CPlayerStatistics::unitsKilled, STAT_UNITS_KILLED},
    {&CPlayerStatistics::buildingsBuilt, STAT_BUILDINGS_BUILT},
    {&CPlayerStatistics::buildingsLost, STAT_BUILDINGS_LOST},
    {&CPlayerStatistics::buildingsDestroyed, STAT_BUILDINGS_DESTROYED},
    {&CPlayerStatistics::arrowsShot, STAT_ARROWS_SHOT},
    {&CPlayerStatistics::arrowsHitUnit, STAT_ARROWS_HIT_UNIT},
    {&CPlayerStatistics::arrowsHitBuilding, STAT_ARROWS_HIT_BUILDING},
};

// The building casts of the overlay's details, with their labels.
const std::pair<int32_t, const char*> DetailCasts[] = {
    {1, "Castles:"},     {2, "Barracks:"},   {3, "Alchemies:"}, {4, "Blacksmiths:"},
    {7, "Warehouses:"},  {5, "Houses:"},     {11, "Keeps:"},    {13, "Docks:"},
};

void WriteI32(CMemoryBlock& block, int32_t value)
{
    const uint32_t v = static_cast<uint32_t>(value);
    const uint8_t bytes[4] = {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)};
    block.Write(bytes, 4);
}

// Reads that never pass the written size of the block: a field that is not
// all there is not read at all.
class CRecordReader
{
public:
    explicit CRecordReader(CMemoryBlock& block) : m_Block(block) {}

    int64_t Remaining() const { return int64_t(m_Block.GetSize()) - m_Block.GetPos(); }
    bool Bytes(void* destination, int32_t count)
    {
        if (count < 0 || Remaining() < count)
            return false;
        m_Block.Read(destination, count);
        return true;
    }
    bool I32(int32_t& value)
    {
        uint8_t b[4];
        if (!Bytes(b, 4))
            return false;
        value = int32_t(uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24);
        return true;
    }

private:
    CMemoryBlock& m_Block;
};

bool Refuse(const char* reason)
{
    g_Log.Write(CString("Statistics record refused: ") + reason);
    return false;
}

bool InRange(int32_t value, int32_t lowest, int32_t highest)
{
    return value >= lowest && value <= highest;
}

// The record of a technology state: its own, or the global one.
const CUnitStats* TechnologyRecord(const CTechnology& technology, int32_t technologyId)
{
    if (technology.type != nullptr)
        return technology.type;
    return g_UnitStats != nullptr ? &g_UnitStats[FirstTechnologyRecord + technologyId] : nullptr;
}

std::string Joined(std::initializer_list<int32_t> values)
{
    std::string text;
    for (const int32_t value : values)
    {
        if (!text.empty())
            text += '/';
        text += std::to_string(value);
    }
    return text;
}

// Texts one under the other, 20 units apart, from (x, y).
class COverlayColumn
{
public:
    COverlayColumn(std::vector<SOverlayText>& texts, int32_t x, int32_t y) : m_Texts(texts), m_X(x), m_Y(y) {}
    void Line(std::string text)
    {
        m_Texts.push_back({m_X, m_Y, std::move(text)});
        m_Y += OverlayLineStep;
    }

private:
    std::vector<SOverlayText>& m_Texts;
    int32_t m_X;
    int32_t m_Y;
};
}  // namespace

CPlayerStatistics::~CPlayerStatistics()
{
    FreeHistory();
}

void CPlayerStatistics::FreeHistory()
{
    delete[] populationHistory;
    populationHistory = nullptr;
    sampleCount = 0;
}

// ---- From the player -------------------------------------------------------------

void CPlayerStatistics::BuildStatistics(const CPlayer& player)
{
    FreeHistory();
    name = player.name;
    playerType = player.type;
    colourScheme = player.colourScheme;
    team = player.team;
    for (const auto& [field, counter] : CopiedCounters)
        this->*field = player.statistics[counter];
    exploredPercent = GetExploredPercent(player);

    int32_t available = 0;
    technologiesResearched = 0;
    woodSpentOnResearch = 0;
    stoneSpentOnResearch = 0;
    goldSpentOnResearch = 0;
    for (int32_t id = 0; id < TechnologyCount; ++id)
    {
        const CTechnology& technology = player.technologies[id];
        if (!technology.enabled || id == RainHellTechnology)
            continue;
        ++available;
        if (!technology.IsResearched())
            continue;
        ++technologiesResearched;
        if (const CUnitStats* record = TechnologyRecord(technology, id))
        {
            woodSpentOnResearch += record->woodCost;
            stoneSpentOnResearch += record->stoneCost;
            goldSpentOnResearch += record->goldCost;
        }
    }
    researchPercent = GetResearchPercent(technologiesResearched, available);
    if (researchPercent > FullPercent)
    {
        DEBUG_REPORT("#DEBUG: Invalid research cound num");
        researchPercent = FullPercent;
    }

    const int32_t used = std::min(player.populationHistoryCount, player.populationHistoryCapacity);
    if (player.populationHistory != nullptr && used > 0)
    {
        populationHistory = new SPopulationSample[size_t(used)];
        std::copy(player.populationHistory, player.populationHistory + used, populationHistory);
        sampleCount = used;
    }
}

int32_t CPlayerStatistics::GetExploredPercent(const CPlayer& player)
{
    const int32_t width = std::clamp(g_GameMap.GetWidth(), 0, MapBlockSide);
    const int32_t height = std::clamp(g_GameMap.GetHeight(), 0, MapBlockSide);
    const int64_t blocks = int64_t(width) * height;
    if (blocks == 0)
        return 0;
    int64_t explored = 0;
    for (int32_t x = 0; x < width; ++x)
        for (int32_t y = 0; y < height; ++y)
            explored += player.exploredMap[x * MapCornerSide + y] > 0 ? 1 : 0;
    return int32_t(explored * FullPercent / blocks);
}

int32_t CPlayerStatistics::GetResearchPercent(int32_t researched, int32_t available)
{
    if (available <= 0)
        return 0;
    return int32_t(int64_t(researched) * FullPercent / available);
}

void CPlayerStatistics::AddPopulationSample(CPlayer& player)
{
    if (player.populationHistory == nullptr || player.populationHistoryCount < 0)
        return;
    if (player.populationHistoryCount >= player.populationHistoryCapacity)
    {
        // Past this a saved game would no longer load its history.
        if (player.populationHistoryCapacity + HistoryGrowStep > MaxSamples)
            return;
        const int32_t capacity = player.populationHistoryCapacity + HistoryGrowStep;
        auto* grown = new SPopulationSample[size_t(capacity)]();
        std::copy(player.populationHistory, player.populationHistory + player.populationHistoryCount, grown);
        delete[] player.populationHistory;
        player.populationHistory = grown;
        player.populationHistoryCapacity = capacity;
    }
    SPopulationSample sample = {{0, 0}};
    if (player.type != PLAYER_DEFEATED)
    {
        const int32_t workers = player.unitsByType[WorkerType];
        sample = {{workers, player.unitCount - workers}};
    }
    player.populationHistory[player.populationHistoryCount++] = sample;
}

// ---- The memory form ---------------------------------------------------------------

void CPlayerStatistics::Write(CMemoryBlock& block) const
{
    block.Init(BlockGrowStep);
    const int32_t nameLength = name.GetLength();
    WriteI32(block, nameLength);
    block.Write(name.GetBuffer(), nameLength + 1);
    for (const SNumberField& number : NumberFields)
        WriteI32(block, this->*number.field);
    WriteI32(block, sampleCount);
    for (int32_t i = 0; i < sampleCount; ++i)
    {
        WriteI32(block, populationHistory[i].values[0]);
        WriteI32(block, populationHistory[i].values[1]);
    }
}

bool CPlayerStatistics::Read(CMemoryBlock& block)
{
    if (block.GetData() == nullptr)
        return Refuse("the memory block holds nothing");
    block.SetPos(0);
    CRecordReader in(block);

    int32_t nameLength = 0;
    if (!in.I32(nameLength))
        return Refuse("the record is cut short");
    if (!InRange(nameLength, 0, MaxNameLength))
        return Refuse("the name length is out of range");
    char nameText[MaxNameLength + 1];
    if (!in.Bytes(nameText, nameLength + 1))
        return Refuse("the record is cut short");
    if (nameText[nameLength] != 0 || std::memchr(nameText, 0, size_t(nameLength)) != nullptr)
        return Refuse("the name does not end at its length");

    int32_t numbers[NumberCount];
    for (int32_t i = 0; i < NumberCount; ++i)
    {
        if (!in.I32(numbers[i]))
            return Refuse("the record is cut short");
        if (!InRange(numbers[i], NumberFields[i].lowest, NumberFields[i].highest))
            return Refuse(NumberFields[i].whatIsWrong);
    }

    int32_t samples = 0;
    if (!in.I32(samples))
        return Refuse("the record is cut short");
    if (!InRange(samples, 0, MaxSamples))
        return Refuse("the sample count is out of range");
    if (in.Remaining() < int64_t(samples) * SampleBytes)
        return Refuse("the record is cut short");
    std::unique_ptr<SPopulationSample[]> history(samples > 0 ? new SPopulationSample[size_t(samples)] : nullptr);
    for (int32_t i = 0; i < samples; ++i)
    {
        SPopulationSample& sample = history[i];
        in.I32(sample.values[0]);
        in.I32(sample.values[1]);
        if (!InRange(sample.values[0], 0, MaxPlayerUnits) || !InRange(sample.values[1], 0, MaxPlayerUnits))
            return Refuse("a population sample is out of range");
    }

    name = nameText;
    for (int32_t i = 0; i < NumberCount; ++i)
        this->*NumberFields[i].field = numbers[i];
    FreeHistory();
    populationHistory = history.release();
    sampleCount = samples;
    return true;
}

// ---- Developer overlay ---------------------------------------------------------------

std::vector<SOverlayText> CPlayerStatistics::ComposeOverlay(const CPlayer& player)
{
    std::vector<SOverlayText> texts;
    COverlayColumn counts(texts, OverlayLeftX, OverlayCountsY);
    counts.Line("---===( Player Units/Buildings )===---");
    counts.Line("Unit num:" + std::to_string(player.unitCount));
    counts.Line("Building num:" + std::to_string(player.buildingCount));

    COverlayColumn details(texts, OverlayLeftX, OverlayDetailsY);
    details.Line("---===( Details )===---");
    for (const auto& [cast, label] : DetailCasts)
        details.Line(label + std::to_string(player.finishedBuildings[cast]) + "+(" +
                     std::to_string(player.buildingsUnderConstruction[cast]) + ")");

    const int32_t* s = player.statistics;
    COverlayColumn statistics(texts, OverlayLeftX, OverlayStatisticsY);
    statistics.Line("---===( Statistics )===---");
    statistics.Line("Harvest Wood/Stone/Gold:" +
                    Joined({s[STAT_WOOD_HARVESTED], s[STAT_STONE_HARVESTED], s[STAT_GOLD_HARVESTED]}));
    statistics.Line("Units Create/Lost/Kill:" +
                    Joined({s[STAT_UNITS_CREATED], s[STAT_UNITS_LOST], s[STAT_UNITS_KILLED]}));
    statistics.Line("Buildings Build/Lost/Destroy:" +
                    Joined({s[STAT_BUILDINGS_BUILT], s[STAT_BUILDINGS_LOST], s[STAT_BUILDINGS_DESTROYED]}));
    statistics.Line("Arrows shot:" + std::to_string(s[STAT_ARROWS_SHOT]));
    statistics.Line("Arrow hit unit/building:" + Joined({s[STAT_ARROWS_HIT_UNIT], s[STAT_ARROWS_HIT_BUILDING]}));

    COverlayColumn groups(texts, OverlayRightX, OverlayGroupsY);
    groups.Line("---===( Groups )===---");
    for (int32_t group = 1; group <= ControlGroupCount; ++group)
        groups.Line("group " + std::to_string(group) + " :" + std::to_string(player.controlGroupCounts[group - 1]));
    return texts;
}

void CPlayerStatistics::DumpStatistics(const CPlayer& player)
{
    C2DFont* font = GetGlobalFont(OverlayFont);
    if (font == nullptr)
        return;
    for (const SOverlayText& text : ComposeOverlay(player))
        font->Print(text.x, text.y, text.text.c_str(), OverlayColour, C2DFont::AlignLeft);
}
