#pragma once
// A tower: manned by up to five tower archers.

#include <cstdint>

#include "buildings/C_BuildingOfCast.h"

class CUnit;

class CBuildingTower : public CBuildingOfCast
{
public:
    explicit CBuildingTower(int32_t ownerIndex);
    // The archers it made leave their owner's archer list and are deleted.
    ~CBuildingTower() override;

    static constexpr int32_t ArcherCapacity = 5;

    // One more archer of the owner, with that unique id, stationed at the
    // tower's block; false at five archers or when the owner's factory
    // gives none.  The archers' sight is not marked here yet.
    bool AddArcher(int32_t uniqueId);
    // Takes the last archer out of the tower and out of the world; a tower
    // keeps its last archer.
    void RemoveArcher();
    // Adds archers (with the owner's next unique ids) or removes them one
    // at a time until the tower holds `count`; callers pass 1 to 5.
    void SetArcherCount(int32_t count);

    // The sight range, the archer count and each archer's reference id.
    // The archers themselves are saved as units of the owner; loading puts
    // them back in the owner's archer list and refuses a count outside
    // 0..5, an id that is no tower archer of the owner and an archer listed
    // twice, leaving the tower as it was.
    void SaveGameExtra(CSaveStream& stream, const CObjectReferences& references) const override;
    bool LoadGameExtra(CSaveStream& stream, const CObjectReferences& references) override;

    CUnit* archers[ArcherCapacity] = {};
    int32_t archerCount = 0;
    int32_t sightRange = 0;   // of its archers, from a probe archer of the owner
};
