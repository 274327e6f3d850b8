#pragma once
// The keep, which becomes the stronghold: a player's start building.  It
// trains workers, researches the economy technologies, stores goods and
// shelters one king.  Keep and stronghold are one class: which of the two
// it is comes from the owner's research of "TC_TRONGHOLD" each time it is
// asked, so all keeps of a player change together.  While the owner
// researches it the keep shows the upgrade model and raises dust; the
// simulation step switches the models, the drawing only reads them.

#include <cstdint>

#include "buildings/C_BuildingOfCast.h"

class CUnit;

class CBuildingKeep : public CBuildingOfCast
{
public:
    static constexpr int32_t KeepModel = 164;
    static constexpr int32_t UpgradeModel = 171;
    static constexpr int32_t StrongholdModel = 172;

    explicit CBuildingKeep(int32_t ownerIndex);
    // Puts out the hearth.
    ~CBuildingKeep() override;

    // Shelters a king (the king's side took him off the map); any other
    // unit is refused with a check report and changes nothing.
    void Garrison(CUnit* unit);
    // The sheltered king steps out at the first free cell beside the keep;
    // false, with the king still inside, when there is none.  True when no
    // king is inside.
    bool UngarrisonKing() override;
    // Lights the hearth of a plain keep (never a stronghold's).
    void StartHearthEffect();
    CUnit* GetKing() const { return garrisonedUnit; }

    // After "TC_TRONGHOLD" the keep is a stronghold: its record gives the
    // hit points, damage factors, repair rate and price, its row the
    // models, message and look.
    bool IsStronghold() const;
    // While a building of the owner researches "TC_TRONGHOLD".
    bool IsUpgrading() const;
    int32_t GetTypeRecordIndex() const override;
    const char* GetNameKey() const override;
    int32_t GetIconIndex() const override;
    const SBuildingStageRow& GetStageRow() const override;
    void GetSelectSound(int32_t* sample, int32_t* variants) const override;
    // The common completion step, then the hearth.
    void OnFinished() override;
    // The frame runs on; while upgrading the dust rises; the model follows
    // the owner's research.
    bool Animate(float elapsed) override;
    // The model, the snow and the banner; nothing here changes the keep.
    void Render(float collapse) override;
    // The ungarrison button for the local owner with a king inside; the
    // worker and the economy technologies while no upgrade runs.
    void RenderPanelButtons() override;
    // A keep that goes or changes sides lets its king out first.
    void OnDestroyed() override;
    void OnOwnerChanged(int32_t previousOwner) override;
    void onUnitRemoved(CUnit* unit) override;
    // The hearth handle, then the king's reference id (-1 none).  Loading
    // refuses a handle below -1 and an id that names no king.
    void SaveGameExtra(CSaveStream& stream, const CObjectReferences& references) const override;
    bool LoadGameExtra(CSaveStream& stream, const CObjectReferences& references) override;

    int32_t hearthEmitter = -1;  // hearth flame particle, -1 none

private:
    void PutOutHearth();
    void FollowResearch();
    void RaiseUpgradeDust() const;
    // The king out beside the keep, else where the keep stood or on the
    // nearest free block further out.  With no room on the whole map he
    // stays in a standing keep and falls with one that goes.
    void ReleaseKingForGood();
    bool FindRoomFurtherOut(const CUnit& king, int32_t cell[2]) const;
    // The king on the map at the cell, his link to the keep cleared.
    void LetKingOutAt(const int32_t cell[2]);
};
