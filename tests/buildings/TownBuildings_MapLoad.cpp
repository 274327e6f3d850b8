// A game started from a map with town buildings and neutral sites: the
// buildings stand finished, listed and counted, the exhausted mine stays
// closed, decorations start their effects once, and the game saves and
// loads back byte for byte.

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "buildings/C_Building.h"
#include "buildings/C_BuildingCastTable.h"
#include "buildings/C_BuildingDecoration.h"
#include "buildings/C_BuildingDecorationTorch.h"
#include "effects/C_Particles.h"
#include "tests/support/SaveGameRun.h"
#include "tests/support/SimHarness.h"
#include "tests/world/MapFile_Fixture.h"
#include "world/C_GameMap.h"
#include "world/C_Player.h"
#include "world/C_PlayerServices.h"

namespace
{
using namespace MapBytes;

constexpr int32_t Side = 32;
constexpr int32_t Neutral = -1;
constexpr int32_t TorchKind = 32;
constexpr size_t TreeCastField = 20;

// The game's own services, with decorations that count their starts.
template <typename TBase>
class CountingDecoration : public TBase
{
public:
    CountingDecoration(int32_t kind, int32_t* starts) : TBase(kind), m_Starts(starts) {}
    void OnPlaced() override { ++*m_Starts; }

private:
    int32_t* m_Starts;
};

class CountingServices : public CPlayerServices
{
public:
    CBuilding* CreateBuildingObject(CPlayer& player, int32_t cast, int32_t resourceKind, int32_t treeCast,
                                    int32_t decorationKind) const override
    {
        if (cast == CastDecoration && countDecorations)
        {
            if (decorationKind == TorchKind)
                return new CountingDecoration<CDecorationTorch>(decorationKind, &starts);
            return new CountingDecoration<CDecoration>(decorationKind, &starts);
        }
        return CPlayerServices::CreateBuildingObject(player, cast, resourceKind, treeCast, decorationKind);
    }
    bool countDecorations = false;
    mutable int32_t starts = 0;
};

class TownBuildingsMapLoad : public ::testing::Test
{
protected:
    TownBuildingsMapLoad() : m_Data(m_Folder), m_World(std::make_unique<CSimHarness>())
    {
        CSaveGameRun::UseSaveLanguage();
        const std::string command = std::string(V2KRN_TOOLS_DIR) + "/mktheme continental '" +
                                    m_Folder.File("Terrain/Themes/continental.theme") + "'";
        EXPECT_EQ(std::system(command.c_str()), 0);
    }

    bool StartGame(const std::vector<std::vector<uint8_t>>& buildings)
    {
        if (!g_GameMap.NewMap(Side, Side, 0, 0))
            return false;
        for (int32_t p = 0; p < MaxPlayers; ++p)
        {
            g_GameMap.playerSettings[p].playerType = p == 0 ? PLAYER_LOCAL : PLAYER_COMPUTER;
            g_GameMap.playerSettings[p].team = p + 1;
        }
        CMemoryBlock written;
        if (!g_GameMap.SaveMapData(written))
            return false;
        const std::vector<uint8_t> image = WithObjects(
            std::vector<uint8_t>(written.GetData(), written.GetData() + written.GetSize()), Side, buildings, {});
        CMemoryBlock block;
        block.Write(image.data(), int(image.size()));
        block.SetPos(0);
        return g_GameMap.LoadMapData(block, 0);
    }

    static bool IsListed(const CPlayer& player, const CBuilding* building)
    {
        for (int32_t i = 0; i < player.buildingCount; ++i)
            if (player.buildings[i] == building)
                return true;
        return false;
    }

    WorldFolder m_Folder;
    DiskDataFiles m_Data;
    std::unique_ptr<CSimHarness> m_World;
};

std::vector<uint8_t> Tree(int32_t x, int32_t y, int32_t variant)
{
    std::vector<uint8_t> record = BuildingRecord(Neutral, x, y, CastResource, 2, 0, 0, 0);
    PutI32(record, TreeCastField, variant);
    return record;
}
}  // namespace

TEST_F(TownBuildingsMapLoad, TownBuildingsStandFinishedSitesKeepTheirStateAndTheGameSavesBack)
{
    const std::vector<std::vector<uint8_t>> objects = {
        BuildingRecord(0, 3, 3, CastKeep, 0, 0, 0, 0),
        BuildingRecord(0, 10, 3, CastHouse, 0, 0, 0, 0),
        Tree(20, 3, 3),
        BuildingRecord(Neutral, 23, 3, CastResource, 3, 0, 0, 0),
        BuildingRecord(Neutral, 3, 15, CastResource, 1, 0, 0, 0),
        BuildingRecord(Neutral, 25, 20, CastDecoration, 0, TorchKind, 0, 0),
    };
    ASSERT_TRUE(StartGame(objects));
    const CPlayer& owner = g_Players[0];
    CBuilding* keep = g_GameMap.Block(3, 3).building;
    CBuilding* house = g_GameMap.Block(10, 3).building;
    CBuilding* mine = g_GameMap.Block(3, 15).building;
    ASSERT_TRUE(keep && house && mine);
    EXPECT_TRUE(keep->IsFinished());
    EXPECT_EQ(keep->model, 164);
    EXPECT_EQ(keep->GetMaxHitPoints(), 1200);
    EXPECT_TRUE(house->IsFinished());
    EXPECT_EQ(house->model, 129);
    EXPECT_TRUE(IsListed(owner, keep));
    EXPECT_TRUE(IsListed(owner, house));
    EXPECT_EQ(owner.finishedBuildings[CastHouse], 1);
    EXPECT_EQ(owner.buildingsUnderConstruction[CastHouse], 0);
    // One house and one keep: (1 + 2 x 1) x 5.
    EXPECT_EQ(owner.GetPopulationLimit(), 15);
    EXPECT_EQ(mine->model, 231);
    EXPECT_EQ(mine->GetResourceAmount(), 0);
    EXPECT_EQ(mine->GetResourceKind(), ResourceKindGold);
    EXPECT_EQ(g_GameMap.Block(20, 3).building->model, 214);
    EXPECT_EQ(g_GameMap.Block(23, 3).building->model, 226);
    // The torch burns from the start: a kind-35 flame over its block.
    const auto* torch = dynamic_cast<const CDecorationTorch*>(g_GameMap.Block(25, 20).building);
    ASSERT_NE(torch, nullptr);
    const CParticles::SEmitter* flame = g_Particles.FindEmitter(torch->flameEmitter);
    ASSERT_NE(flame, nullptr);
    EXPECT_EQ(flame->kind, CParticles::KindFlame);
    EXPECT_FLOAT_EQ(flame->height, g_GameMap.GetHeight(25.5f, 20.5f) + 74.0f);
    const int32_t flameHandle = torch->flameEmitter;

    const std::vector<uint8_t> save = CSaveGameRun::SaveDrawn();
    ASSERT_TRUE(CSaveGameRun::Load(save));
    EXPECT_EQ(CSaveGameRun::SaveDrawn(), save);
    const CBuilding* loadedMine = g_GameMap.Block(3, 15).building;
    ASSERT_NE(loadedMine, nullptr);
    EXPECT_EQ(loadedMine->model, 231);
    EXPECT_EQ(loadedMine->GetResourceAmount(), 0);
    const auto* loadedTorch = dynamic_cast<const CDecorationTorch*>(g_GameMap.Block(25, 20).building);
    ASSERT_NE(loadedTorch, nullptr);
    EXPECT_EQ(loadedTorch->flameEmitter, flameHandle);
}

TEST_F(TownBuildingsMapLoad, AGoldMinesAmountSurvivesASavedGame)
{
    std::vector<uint8_t> mineRecord = BuildingRecord(Neutral, 5, 5, CastResource, 4, 0, 0, 0);
    PutI32(mineRecord, 24, 3000);
    ASSERT_TRUE(StartGame({mineRecord}));
    ASSERT_NE(g_GameMap.Block(5, 5).building, nullptr);
    EXPECT_EQ(g_GameMap.Block(5, 5).building->GetResourceAmount(), 3000);
    const std::vector<uint8_t> save = CSaveGameRun::SaveDrawn();
    ASSERT_TRUE(CSaveGameRun::Load(save));
    ASSERT_NE(g_GameMap.Block(5, 5).building, nullptr);
    EXPECT_EQ(g_GameMap.Block(5, 5).building->GetResourceAmount(), 3000);
    EXPECT_EQ(CSaveGameRun::SaveDrawn(), save);
}

TEST_F(TownBuildingsMapLoad, DecorationsStartTheirEffectsOnce)
{
    CountingServices services;
    services.countDecorations = true;
    const CPlayerServices& previous = GetPlayerServices();
    SetPlayerServices(&services);
    const bool started = StartGame({BuildingRecord(Neutral, 25, 20, CastDecoration, 0, TorchKind, 0, 0),
                                    BuildingRecord(Neutral, 5, 20, CastDecoration, 0, 2, 0, 0)});
    SetPlayerServices(&previous);
    ASSERT_TRUE(started);
    EXPECT_NE(g_GameMap.Block(25, 20).building, nullptr);
    EXPECT_NE(g_GameMap.Block(5, 20).building, nullptr);
    EXPECT_EQ(services.starts, 2);
}
