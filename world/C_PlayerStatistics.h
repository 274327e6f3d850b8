#pragma once
// One player's performance summed up at the end of a game: resources
// harvested, map explored, research done and paid for, units and buildings
// created, lost and destroyed, arrows, and the population over the game.
// The end-of-game summary reads the records; in a network game each machine
// sends its records to the others in a memory block, so Read treats the
// block as outside input: every length and count is checked before use and
// a damaged record leaves the one it was read into as it was.
//
// The counters themselves live in CPlayer.  The player-side operations of
// the statistics (filling a record, the explored percent, the population
// samples, the developer overlay) are static members here, taking the
// player.  Main thread only.

#include <cstdint>
#include <string>
#include <vector>

#include "core/C_String.h"
#include "world/C_Player.h"

class CMemoryBlock;

// One text of the developer overlay at its place on the virtual
// 1024 x 768 screen.
struct SOverlayText
{
    int32_t x;
    int32_t y;
    std::string text;
};

class CPlayerStatistics
{
public:
    // The memory form: name length (without its zero), the name and its
    // zero, the 21 numbers from the player type to the arrows that hit a
    // building, the sample count, then 8 bytes per sample.
    static constexpr int32_t NumberCount = 21;
    static constexpr int32_t BlockGrowStep = 16384;
    // No name elsewhere in the game is longer than an 8-bit length carries.
    static constexpr int32_t MaxNameLength = 255;
    // The same bound the player's saved history has.
    static constexpr int32_t MaxSamples = 1 << 20;
    // The player's history grows by this many samples when it is full.
    static constexpr int32_t HistoryGrowStep = 512;

    CPlayerStatistics() = default;
    // Frees the history, then the name.
    ~CPlayerStatistics();
    CPlayerStatistics(const CPlayerStatistics&) = delete;
    CPlayerStatistics& operator=(const CPlayerStatistics&) = delete;

    // Fills the record from the player (the record's old history is freed).
    void BuildStatistics(const CPlayer& player);

    // Starts the block anew (grow step 16,384) and writes the memory form.
    void Write(CMemoryBlock& block) const;
    // Reads the memory form from position 0 of the block.  False, with a
    // log line and this record unchanged, for a record that is cut short or
    // holds a length, count or value out of range.
    bool Read(CMemoryBlock& block);

    // Blocks of the map whose explored level is above 0, as a whole percent
    // of the map's blocks (count x 100 / blocks, truncated); 0 without a map.
    static int32_t GetExploredPercent(const CPlayer& player);
    // researched x 100 / available, truncated; 0 when nothing is available.
    static int32_t GetResearchPercent(int32_t researched, int32_t available);
    // Appends {workers, other units} to the player's population history
    // ({0, 0} once the player is out of the game); nothing without a
    // history.  A full history grows by 512 samples.
    static void AddPopulationSample(CPlayer& player);

    // The developer overlay of the player's counters: its texts and where
    // they stand.  DumpStatistics draws them in white with the game font.
    static std::vector<SOverlayText> ComposeOverlay(const CPlayer& player);
    static void DumpStatistics(const CPlayer& player);

    // ---- Fields, in the order of the memory form ------------------------------
    CString name;
    int32_t playerType = 0;
    int32_t colourScheme = 0;
    int32_t team = 0;
    int32_t woodHarvested = 0;
    int32_t stoneHarvested = 0;
    int32_t goldHarvested = 0;
    int32_t exploredPercent = 0;         // 0 .. 100
    int32_t technologiesResearched = 0;
    int32_t woodSpentOnResearch = 0;
    int32_t stoneSpentOnResearch = 0;
    int32_t goldSpentOnResearch = 0;
    int32_t researchPercent = 0;         // 0 .. 100
    int32_t unitsCreated = 0;
    int32_t unitsLost = 0;
    int32_t unitsKilled = 0;
    int32_t buildingsBuilt = 0;
    int32_t buildingsLost = 0;
    int32_t buildingsDestroyed = 0;
    int32_t arrowsShot = 0;
    int32_t arrowsHitUnit = 0;
    int32_t arrowsHitBuilding = 0;
    // Owned; exactly sampleCount samples, null when there are none.
    SPopulationSample* populationHistory = nullptr;
    int32_t sampleCount = 0;

private:
    void FreeHistory();
};

// The eight records (allocated by start-up, freed by FreeGlobals), null
// before.
constexpr int32_t PlayerStatisticsCount = 8;
extern CPlayerStatistics* g_PlayerStatistics;
