#include <gtest/gtest.h>

#include <bit>
#include <cmath>

#include "buildings/C_Building.h"
#include "buildings/C_BuildingCastTable.h"
#include "editor/F_SetTechTree.h"
#include "effects/C_Particles.h"
#include "game/C_MissionObjectives.h"
#include "tests/support/MemorySaveStream.h"
#include "tests/support/ReferenceBytes.h"
#include "tests/support/SimHarness.h"
#include "tests/support/TestLog.h"
#include "units/C_Unit.h"
#include "units/C_UnitTypeTable.h"
#include "world/C_ReferenceBase.h"

namespace
{
// A saved text: its length with the zero (or `bytes`), the text and the zero.
std::string Text32(const std::string& text, int64_t bytes = -1)
{
    return LE32(uint32_t(bytes < 0 ? int64_t(text.size()) + 1 : bytes)) + text + std::string(1, '\0');
}

// Mode, result, type, campaign, scenario, then the objectives.
std::string Objectives(uint32_t mode, uint32_t result, const std::string& objectives, const std::string& tail)
{
    return LE32(mode) + LE32(result) + LE32(0) + LE32(3) + LE32(4) + objectives + tail;
}
std::string OneObjective(uint8_t flag, const std::string& text)
{
    return LE32(1) + LE32(9) + std::string(1, char(flag)) + text + Text32("h") + Text32("hint");
}
std::string Tail(const std::string& flags, const std::string& gameFile)
{
    return LE32(1) + LE32(6) + flags + gameFile;
}
}  // namespace

TEST(MissionObjectivesSave, BadSectionsAreRefusedAndTheRecordStays)
{
    CMissionObjectives record;
    record.gameFile = "kept";
    const std::string okObjective = OneObjective(1, Text32("t"));
    const std::string okTail = Tail(std::string("\1\0\1", 3), Text32("file"));
    const std::string prefix = "Objectives section of the saved game rejected: ";
    const struct { std::string bytes, line; } cases[] = {
        {Objectives(0, 0, okObjective, okTail), "unknown game mode"},
        {Objectives(7, 0, okObjective, okTail), "unknown game mode"},
        {Objectives(2, 3, okObjective, okTail), "unknown result"},
        {Objectives(2, 0, LE32(4097), okTail), "bad objective count"},
        {Objectives(2, 0, OneObjective(2, Text32("t")), okTail), "an objective's flag is not 0 or 1"},
        {Objectives(2, 0, OneObjective(1, Text32("", 0)), okTail), "bad text length"},
        {Objectives(2, 0, OneObjective(1, Text32("t", 65537)), okTail), "bad text length"},
        {Objectives(2, 0, OneObjective(1, Text32(std::string("a\0b", 3))), okTail),
         "a text is not terminated where its length says"},
        {Objectives(2, 0, OneObjective(1, LE32(3) + "abc"), okTail), "a text is not terminated where its length says"},
        {Objectives(2, 0, okObjective, Tail(std::string("\1\2\0", 3), Text32("file"))), "a flag is not 0 or 1"},
        {Objectives(2, 0, okObjective, LE32(0xFFFFFFFF)), "bad dialog event count"},
        {Objectives(2, 0, okObjective, okTail).substr(0, 40), ""},
    };
    for (const auto& bad : cases)
    {
        SCOPED_TRACE(bad.line);
        CTestLog log;
        CMemorySaveStream in(bad.bytes);
        EXPECT_TRUE(!record.LoadGame(in) && in.HasError() && (bad.line.empty() || log.Contains(prefix + bad.line)));
        EXPECT_STREQ(record.gameFile.GetBuffer(), "kept");
        EXPECT_EQ(record.gameMode, CMissionObjectives::ModeCampaign);
    }

    // As built: a campaign not yet played, room for 16 objectives, saving allowed.
    EXPECT_EQ((std::vector<int>{1, 0, -1, 0, 16, 1}),
              (std::vector<int>{record.gameMode, record.result, record.campaignId, record.objectives.GetCount(),
                                record.objectives.GetCapacity(), record.savingAllowed}));
    EXPECT_TRUE(0 == record.Add(9, "t", "h") && 1 == record.Add(3, "other", nullptr) && record.Complete(9));
    EXPECT_FALSE(record.Complete(5));
    EXPECT_EQ((std::vector<int>{1, 0}), (std::vector<int>{record.objectives[0].flag, record.objectives[1].flag}));
    CMemorySaveStream good(Objectives(2, 1, okObjective, okTail));
    ASSERT_TRUE(record.LoadGame(good) && record.objectives.GetCount() == 1 && record.dialogEvents.GetCount() == 1);
    EXPECT_EQ((std::vector<int>{record.gameMode, record.result, record.campaignId, record.scenarioId,
                                record.dialogEvents[0].value, record.shipsNeeded}),
              (std::vector<int>{CMissionObjectives::ModeScenario, 1, 3, 4, 6, 1}));
    EXPECT_EQ((std::vector<std::string>{record.objectives[0].hint.GetBuffer(), record.objectivesHint.GetBuffer(),
                                        record.gameFile.GetBuffer()}),
              (std::vector<std::string>{"h", "hint", "file"}));
    CMemorySaveStream out;
    record.SaveGame(out);
    EXPECT_EQ(out.Bytes(), Objectives(2, 1, okObjective, okTail));
}

TEST(SetTechTree, EveryTechnologyStandsInOneColumn)
{
    // Filled before the log opens: keep and castle research, blacksmith and barracks, the rest.
    FSetTechTree& form = g_FSetTechTree;
    std::vector<int> seen(61, 0), heads;
    for (const auto& column : form.columns)
    {
        heads.insert(heads.end(), {column.count, column.prerequisites[0]});
        for (int i = 0; i < column.count; ++i)
            ++seen.at(size_t(column.prerequisites[i]));
    }
    EXPECT_EQ(std::pair(std::vector<int>(61, 1), std::vector<int>{21, 0, 21, 11, 19, 32}), std::pair(seen, heads));
    CTestLog log;
    form.columns[2].count = 18;  // technology 60 left out
    EXPECT_FALSE(form.HasEveryTechnology());
    form.FillTechnologies();
    EXPECT_EQ(19, form.columns[2].count);
    EXPECT_EQ(1, log.Count("#DEBUG: Not all technologies added to tech-tree editor"));
}

namespace
{
constexpr uint32_t kMarkerColour = 0x123456;
constexpr int32_t kDecayedTicks = 10;

std::string LEF(float value) { return LE32(std::bit_cast<uint32_t>(value)); }

// Two units and a building of a small world, numbered 0, 1 and 2 as the particles register them.  The
// pool's holds are dropped before the world goes, since the objects are the players' and the map's.
class ParticlesSave : public ::testing::Test
{
protected:
    void SetUp() override
    {
        g_Particles.Reset();
        m_First = m_World.Spawn(0, UNIT_WARRIOR, 10, 10);
        m_Second = m_World.Spawn(1, UNIT_WARRIOR, 20, 20);
        m_Building = m_World.Player(0).CreateBuilding(CastBlacksmith, 30, 30);
        ASSERT_TRUE(m_First != nullptr && m_Second != nullptr && m_Building != nullptr);
        g_ReferenceBase.Reset();
    }
    void TearDown() override
    {
        DropHolds();
        g_Particles.Reset();
        g_ReferenceBase.Reset();
    }
    static void DropHolds()
    {
        std::vector<CUnit*> units;
        std::vector<CBuilding*> buildings;
        g_Particles.TakeHeldObjects(units, buildings);
    }
    // What the test world's pool holds after a while.
    void FillPool()
    {
        g_Particles.AddCorpse(false, m_First);
        g_Particles.Update(kDecayedTicks);
        g_Particles.AddCorpse(false, m_Second);
        g_Particles.AddRuin(m_Building);
        // Handles go on rising over resets of the pool.
        for (int32_t& handle : m_Fires)
            handle = g_Particles.AddBuildingFire(false, 1.0f, 2.0f, 3.0f, 4.0f);
        g_Particles.FreeParticle(m_Fires[1]);
        m_Flame = g_Particles.AddKind35(7.5f, 80.0f, 8.5f);
        g_Particles.AddMinimapMarker(5, 6, kMarkerColour);
    }
    // A section of the given corpses, no ruin, the given fires, emitters
    // and next handle, no marker, the given shots in flight.
    static std::string Section(const std::string& corpses, const std::string& fires, uint32_t nextHandle,
                               const std::string& emitters = LE32(0), const std::string& shots = LE32(0))
    {
        return corpses + LE32(0) + fires + emitters + LE32(nextHandle) + LE32(0) + shots;
    }
    // An arrow of unit `shooter` at unit `target`, of player 0, amount 5, with the ticks it has left.
    static std::string OneArrow(uint32_t shooter, uint32_t target, uint32_t ticks, uint32_t kind = 10)
    {
        return LE32(1) + LE32(kind) + LE32(shooter) + LE32(0) + LE32(target) + LEF(4.5f) + LEF(40.0f) + LEF(6.5f) +
               LE32(5) + LE32(2) + LE32(2) + LE32(0) + LE32(ticks) + std::string(1, '\0');
    }
    static std::string OneEmitter(uint32_t handle, uint32_t kind, float height = 1.0f)
    {
        return LE32(1) + LE32(handle) + LE32(kind) + LEF(1.0f) + LEF(height) + LEF(2.0f);
    }
    static std::string OneCorpse(uint32_t id, uint32_t ticks) { return LE32(1) + LE32(id) + LE32(ticks); }

    CSimHarness m_World;
    CUnit *m_First = nullptr, *m_Second = nullptr;
    CBuilding* m_Building = nullptr;
    int32_t m_Fires[3] = {};
    int32_t m_Flame = -1;
};
}  // namespace

TEST_F(ParticlesSave, SectionHoldsCorpsesRuinsFiresEmittersAndMarkersAndLoadsBackAsItWas)
{
    FillPool();
    g_Particles.RegisterReferences(g_ReferenceBase);
    ASSERT_TRUE(g_ReferenceBase.GetUnitRef(m_First) == 0 && g_ReferenceBase.GetUnitRef(m_Second) == 1 &&
                g_ReferenceBase.GetBuildingRef(m_Building) == 2);
    CMemorySaveStream out;
    g_Particles.SaveGame(out, g_ReferenceBase);
    const uint32_t first = uint32_t(m_Fires[0]), last = uint32_t(m_Fires[2]);
    const uint32_t firstTicks = uint32_t(CParticles::CorpseTicks - kDecayedTicks);
    const std::string expected = LE32(2) + LE32(0) + LE32(firstTicks) + LE32(1) + LE32(CParticles::CorpseTicks) +
                                 LE32(1) + LE32(2) + LE32(CParticles::RuinTicks) + LE32(2) + LE32(first) +
                                 LE32(last) + LE32(1) + LE32(last + 1) + LE32(CParticles::KindFlame) + LEF(7.5f) +
                                 LEF(80.0f) + LEF(8.5f) + LE32(last + 2) + LE32(1) + LE32(5) + LE32(6) +
                                 LE32(kMarkerColour) + LE32(0);
    EXPECT_EQ(out.Bytes(), expected);

    DropHolds();
    g_Particles.Reset();
    CMemorySaveStream in(out.Bytes());
    ASSERT_TRUE(g_Particles.LoadGame(in, g_ReferenceBase));
    EXPECT_EQ(g_Particles.GetCorpseTicksLeft(m_First), CParticles::CorpseTicks - kDecayedTicks);
    EXPECT_EQ(g_Particles.GetRuinTicksLeft(m_Building), CParticles::RuinTicks);
    // The buildings' handles put the same fires out; new ones follow them.
    EXPECT_TRUE(g_Particles.FreeParticle(m_Fires[2]) && !g_Particles.FreeParticle(m_Fires[1]));
    const CParticles::SEmitter* flame = g_Particles.FindEmitter(m_Flame);
    ASSERT_NE(flame, nullptr);
    EXPECT_TRUE(flame->kind == CParticles::KindFlame && flame->height == 80.0f &&
                g_Particles.AddBuildingFire(false, 0.0f, 0.0f, 0.0f, 1.0f) == (m_Flame + 1));
}

TEST_F(ParticlesSave, BadSectionsAreRefusedAndThePoolStaysAsItWas)
{
    g_ReferenceBase.AddUnit(m_First);
    g_ReferenceBase.AddUnit(m_Second);
    g_ReferenceBase.AddBuilding(m_Building);
    g_Particles.AddMinimapMarker(7, 7, kMarkerColour);
    const std::string prefix = "Particles section of the saved game rejected: ";
    const std::string fires = LE32(2) + LE32(0) + LE32(2);
    const struct { std::string bytes, line; } cases[] = {
        {Section(LE32(0xFFFFFFFF), fires, 3), "bad corpse count"},
        {Section(LE32(65537), fires, 3), "bad corpse count"},
        {Section(OneCorpse(99, 300), fires, 3), "a corpse without a unit of its own"},
        {Section(OneCorpse(2, 300), fires, 3), "a corpse without a unit of its own"},
        {Section(LE32(2) + LE32(1) + LE32(300) + LE32(1) + LE32(300), fires, 3), "a corpse without a unit of its own"},
        {Section(OneCorpse(1, 0), fires, 3), "a corpse's time is out of range"},
        {Section(OneCorpse(1, CParticles::CorpseTicks + 1), fires, 3), "a corpse's time is out of range"},
        {Section(OneCorpse(1, 300), LE32(2) + LE32(2) + LE32(0), 3), "fire handles out of order"},
        {Section(OneCorpse(1, 300), LE32(2) + LE32(1) + LE32(1), 3), "fire handles out of order"},
        {Section(OneCorpse(1, 300), LE32(1) + LE32(0xFFFFFFFF), 3), "fire handles out of order"},
        {Section(OneCorpse(1, 300), fires, 2), "the next fire handle is taken"},
        {Section(OneCorpse(1, 300), fires, 4, OneEmitter(3, 36)), "an emitter of an unknown kind"},
        {Section(OneCorpse(1, 300), fires, 4, OneEmitter(3, 35, NAN)), "an emitter out of place"},
        {Section(OneCorpse(1, 300), fires, 4, OneEmitter(2, 35)), "emitter handles out of order"},
        {Section(OneCorpse(1, 300), fires, 3, OneEmitter(3, 1013)), "the next fire handle is taken"},
        {Section(OneCorpse(1, 300), fires, 3, LE32(0x10001)), "bad emitter count"},
        {Section(OneCorpse(1, 300), fires, 3, LE32(0), OneArrow(0, 9, 3)), "a shot names no unit"},
        {Section(OneCorpse(1, 300), fires, 3, LE32(0), OneArrow(0, 1, 3, 1012)), "a shot of an unknown kind"},
        {Section(OneCorpse(1, 300), fires, 3, LE32(0), OneArrow(0, 1, 0)), "a shot's blast or flight is out of range"},
        {LE32(0) + LE32(1) + LE32(0) + LE32(CParticles::RuinTicks), ""},
        {LE32(0) + LE32(0) + LE32(0) + LE32(0) + LE32(2) + LE32(1), ""},
    };
    for (const auto& bad : cases)
    {
        SCOPED_TRACE(bad.line);
        CTestLog log;
        CMemorySaveStream in(bad.bytes);
        EXPECT_TRUE(!g_Particles.LoadGame(in, g_ReferenceBase) && in.HasError() &&
                    (bad.line.empty() || log.Contains(prefix + bad.line)));
        EXPECT_TRUE(g_Particles.GetCorpseCount() == 0 && g_Particles.GetMinimapMarkers().size() == 1u);
    }

    // A sound section with an arrow in flight from the first unit at the second; saved again, the same bytes.
    const std::string sound =
        Section(OneCorpse(1, uint32_t(CParticles::CorpseTicks)), fires, 3, LE32(0), OneArrow(0, 1, 3));
    CMemorySaveStream good(sound);
    EXPECT_TRUE(g_Particles.LoadGame(good, g_ReferenceBase));
    EXPECT_EQ(g_Particles.GetCorpseTicksLeft(m_Second), CParticles::CorpseTicks);
    EXPECT_TRUE(g_Particles.GetMinimapMarkers().empty());
    ASSERT_EQ(g_Particles.GetProjectiles().size(), 1u);
    const CParticles::SProjectile& arrow = g_Particles.GetProjectiles()[0];
    EXPECT_TRUE(arrow.shooter == m_First && arrow.target == m_Second && arrow.ticksLeft == 3);
    CMemorySaveStream again;
    g_Particles.SaveGame(again, g_ReferenceBase);
    EXPECT_EQ(again.Bytes(), sound);
}
