#pragma once
// A tower: a 2 x 2 building manned by one to five tower archers of its
// owner, which shoot and see from its middle.  The tower owns them: it makes
// them, keeps each archer's sight pattern counted once in the owner's unit
// sight map, lists them with the owner, passes on what the owner's objects
// are told, animates them, saves them and lets them go.  A finished tower
// never holds fewer than one archer while it stands.

#include <cstdint>

#include "buildings/C_BuildingOfCast.h"

class CUnit;
class CRangeTable;

class CBuildingTower : public CBuildingOfCast
{
public:
    static constexpr int32_t ArcherCapacity = 5;
    static constexpr int32_t MinArchers = 1;

    explicit CBuildingTower(int32_t ownerIndex);
    // Archers still stationed leave as ReleaseArchers lets them go, and are
    // deleted with the tower.
    ~CBuildingTower() override;

    // The sight range a tower archer of the owner has, taken from one made
    // at the tower's block for the purpose.
    void InitSightRange();
    // One more archer of the owner, with that unique id, in the tower's
    // middle; it looks for a target at once and its sight is counted.
    // False at five archers or when the owner's factory gives none.
    bool AddArcher(int32_t uniqueId);
    // The last archer leaves as a destroyed tower's archers do; a tower
    // keeps its last archer.
    void RemoveArcher();
    // Adds archers (with the owner's next unique ids) or removes them one
    // at a time until the tower holds `count`, limited to 1 .. 5.
    void SetArcherCount(int32_t count);
    // After a technology that may change the archers' sight: each archer's
    // pattern is counted again with the first archer's radius, and the new
    // surroundings are explored.
    void RefreshArcherSight();
    // Every archer leaves: its sight is taken back, every unit lets go of
    // it, its arrows in flight forget it, and it goes to deferred deletion
    // and off its owner's list.
    void ReleaseArchers();

    // The footprint's sight, the first archer (unless the tower was manned
    // before it was finished) and its view, then the completion step.
    void OnFinished() override;
    void OnDestroyed() override { ReleaseArchers(); }
    // The archers go with the tower to the new owner.
    void OnOwnerChanged(int32_t previousOwner) override;
    void onEnemySighted(CUnit* enemy) override;
    void onUnitRemoved(CUnit* unit) override;
    // The banner's frame, then the archers' shot cycles while the tower
    // stands, tick by tick so that their shots stay apart.
    bool Animate(float elapsed) override;
    // The cancel button while unfinished; once finished the tower archer's
    // button while archers standing and queued are fewer than five.
    void RenderPanelButtons() override;
    // The standard details, and for the local owner's idle tower the first
    // archer's attack and range with their bonuses and the archer count.
    void RenderDetailsOnPanel() override;

    // The sight range, the archer count and each archer's reference id.
    // The archers themselves are saved as units of the owner; loading puts
    // them back in the owner's archer list and refuses a count outside
    // 0..5, an id that is no tower archer of the owner and an archer listed
    // twice, leaving the tower as it was.  Loading adds no sight: the
    // owner's sight map is saved with the owner.
    void SaveGameExtra(CSaveStream& stream, const CObjectReferences& references) const override;
    bool LoadGameExtra(CSaveStream& stream, const CObjectReferences& references) override;

    // The block the archers' sight is counted around: the tower's middle.
    int32_t GetSightCentreX() const { return x + GetWidth() / 2; }
    int32_t GetSightCentreY() const { return y + GetDepth() / 2; }

    CUnit* archers[ArcherCapacity] = {};
    int32_t archerCount = 0;
    int32_t sightRange = 0;   // of its archers, from a probe archer of the owner

private:
    const CRangeTable* SightPattern() const;
    void CountArcherSight(int32_t playerIndex, int32_t sign) const;
    void ExploreView() const;
    // One archer's way out: to deferred deletion, or deleted at once by
    // the tower's own deletion.
    void ReleaseArcher(int32_t slot, bool deferred);
    void HandArcherOver(CUnit& archer, int32_t previousOwner);
    void RenderTrainButton() const;
};
