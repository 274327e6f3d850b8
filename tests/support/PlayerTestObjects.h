#pragma once
// Test units, buildings and player services for the players' tests: objects derived from the real base
// classes with traits chosen per type, and a services set that records what the players ask of the game.

#include <cstdint>
#include <string>
#include <vector>

#include "buildings/C_Building.h"
#include "units/C_Unit.h"
#include "world/C_PlayerServices.h"


class TestUnit : public CUnit
{
public:
    explicit TestUnit(int32_t unitType);

    float GetMaxHitPoints() const override { return maxHitPoints; }
    int32_t GetCastID() const override { return castId; }
    bool CanAttackUnits() const override { return military; }
    bool CanStarve() const override { return canStarve; }
    int32_t GetPointValue() const override { return points; }
    void onEnemySighted(CUnit* enemy) override { sightedEnemies.push_back(enemy); }

    int32_t castId;
    float maxHitPoints = 50.0f;
    bool military, canStarve;
    int32_t points;
    int32_t sightRadius = 3;
    int32_t pendingActions[2] = {0, 0};   // actions due per phase
    int32_t performed[2] = {0, 0};
    std::vector<CUnit*> sightedEnemies;
};

class TestBuilding : public CBuilding
{
public:
    TestBuilding(int32_t cast, int32_t resourceKind, int32_t decorationKind);

    int32_t GetMaxHitPoints() const override { return 1000; }
    int32_t GetWidth() const override { return width; }
    int32_t GetDepth() const override { return depth; }
    int32_t GetBuildCast() const override { return cast; }
    bool IsFootprintCell(int32_t dx, int32_t dy) const override { return !checkered || (dx + dy) % 2 == 0; }
    int32_t GetResourceKind() const override { return resourceKind; }
    int32_t GetAmount() const override { return amount; }
    void SetAmount(int32_t value) override { amount = value; }
    int32_t GetDecorationKind() const override { return decorationKind; }
    bool IsListed() const override { return listed; }
    bool IsScriptCounted() const override { return scriptCounted; }
    int32_t GetPointValue() const override { return points; }
    void onEnemySighted(CUnit* enemy) override { sightedEnemies.push_back(enemy); }

    int32_t cast, resourceKind, decorationKind;
    int32_t width = 2, depth = 2;
    bool checkered = false;
    int32_t amount = 0;
    bool listed = true;
    bool scriptCounted;
    int32_t points;
    std::vector<CUnit*> sightedEnemies;
};

struct SRecordedMessage { std::string text; uint32_t colour; };

class TestPlayerServices : public CPlayerServices
{
public:
    // Installed while it lives; it deletes the buildings it made and the units taken out of the world.
    TestPlayerServices();
    ~TestPlayerServices() override;

    CUnit* CreateUnitObject(CPlayer& player, int32_t type) const override;
    CBuilding* CreateBuildingObject(CPlayer& player, int32_t cast, int32_t resourceKind, int32_t treeCast,
                                    int32_t decorationKind) const override;
    bool PerformAction(CUnit& unit, int32_t phase) const override;
    // With the unit's sight disc added to (or taken from) its player's sight counts and scanned into the explored map.
    void ShowUnit(CUnit& unit, bool show) const override;
    void StopUnit(CUnit& unit) const override { stopped.push_back(&unit); }
    void RestartAction(CUnit& unit) const override { restarted.push_back(&unit); }
    void RemoveUnitFromWorld(CUnit& unit) const override;
    void UpdateFogOnMove(CUnit& unit) const override { sightRefreshed.push_back(&unit); }
    // A footprint that leaves the map is refused, as the real placing does, and the player deletes that one.
    bool PlaceOnMap(CBuilding& building) const override;
    void DestroyBuilding(CBuilding& building) const override;
    void RefreshArcherSight(CBuilding& building) const override { archerRefreshed.push_back(&building); }
    void AddMessage(const char* text, uint32_t colour) const override { messages.push_back({text, colour}); }
    void AddMinimapMarker(int32_t x, int32_t y, uint32_t colour) const override
    {
        markers.insert(markers.end(), {x, y, int32_t(colour)});
    }
    void PlaySample(int32_t sample, int32_t volume) const override { samples.insert(samples.end(), {sample, volume}); }
    bool IsNetworkGame() const override { return networkGame; }
    void SendPlayerDefeated(int32_t playerIndex) const override { defeatsSent.push_back(playerIndex); }

    bool networkGame = false;
    mutable std::vector<SRecordedMessage> messages;
    mutable std::vector<int32_t> markers;      // x, y, colour per marker
    mutable std::vector<int32_t> samples, defeatsSent;
    mutable std::vector<CUnit*> stopped, restarted, removedUnits, sightRefreshed;
    mutable std::vector<CBuilding*> destroyedBuildings, archerRefreshed, createdBuildings;
};
