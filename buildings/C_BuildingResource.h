#pragma once
// A resource site (building cast 10): owned by nobody, never converted.  As
// itself it is the rock; the tree and the gold mine derive from it.
//
// A worker's stroke takes one unit (TakeOne); in a network game the
// host strokes and the other machines follow through SetAmount and
// the broadcasts.  Only a single-player game or the host removes a site
// whose amount runs out; the host's removal reaches the others by network.

#include <cstdint>

#include "buildings/C_Building.h"

class CResource : public CBuilding
{
public:
    static constexpr int32_t RockModel = 226;
    static constexpr int32_t RockAmount = 800;
    // Above this an amount + 1 would overflow.
    static constexpr int32_t MostAmount = 0x7FFFFFFE;

    // A rock with a random facing, a multiple of 45 degrees.
    CResource();

    int32_t GetBuildCast() const override;
    bool CanBeConverted() const override { return false; }
    int32_t GetDrawClass() const override { return 1; }
    float GetDamageFactor3() const override { return 0.0f; }
    int32_t GetAmount() const override { return amount; }
    int32_t GetResourceKind() const override { return resourceKind; }
    // The rock's stroke: one unit, the shape at 600, 400 and 200, removal
    // at 0.  0 when nothing is left.
    int32_t TakeOne() override;
    // The amount a network update or script brings; negative amounts count
    // as 0.  The host rule decides who removes an emptied rock.
    void SetAmount(int32_t value) override;
    void GetHitDebris(int32_t* first, int32_t* second) const override;
    // At the block centre turned by the facing, only while standing whole.
    void Render(float collapse) override;
    // The site's name on the command panel, localised.
    virtual const char* GetPanelName() const;
    // Whether a long name moves up to the line above (the rock's never does).
    virtual bool PanelNameMayRise() const { return false; }
    // The name and the amount left.
    void RenderDetailsOnPanel() override;
    // Picking of the tree and the rock: here the two arguments are a point
    // of the virtual screen.  The view depth of the site's last drawing
    // when the point lies in the screen rectangle of its model's first part
    // (edges included), else -1.0.
    float GetHeightAt(float screenX, float screenY) const override;
    // A corner of either rectangle inside the other; a crossing overlap
    // without a corner inside is no hit.
    bool IsInScreenRect(int32_t left, int32_t top, int32_t right, int32_t bottom) const override;
    // Amount and facing.
    void SaveGameExtra(CSaveStream& stream, const CObjectReferences& references) const override;
    bool LoadGameExtra(CSaveStream& stream, const CObjectReferences& references) override;

    int32_t resourceKind;   // TENUMRESOURCE
    int32_t amount;
    float facing;           // degrees
    // Screen rectangle of the model's first part at its last drawing:
    // left, top, right, bottom; empty before it.  The view depth of that
    // drawing.
    int32_t screenRect[4] = {0, 0, -1, -1};
    float screenDepth = -1.0f;

protected:
    CResource(int32_t kind, int32_t modelNumber, int32_t startAmount);

    // Whether this machine removes a site whose amount reached 0 through
    // a network update: a single-player game or the host.
    static bool RemovesEmptiedSites();
    static int32_t ClampAmount(int32_t value);
    // The host of a network game tells the others the new model.
    void BroadcastModelFromHost() const;
    // Off the map with the broadcast flag; only the first call counts.
    void RemoveSite();
    // Model at the block centre turned by the facing, at the frame.
    void RenderAtCentre(int32_t frame);
    // After a draw of the site's model placed at `viewPoint`: the screen
    // rectangle and depth that picking uses until the next draw.
    void KeepScreenPlace(const float viewPoint[3]);

private:
    int32_t TakeRockUnit(bool mayRemove);
};
