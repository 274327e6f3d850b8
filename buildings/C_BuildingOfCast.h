#pragma once
// A building of one of the thirteen building casts: answers the cast's
// traits from its row of the cast table.  The building classes derive from
// it and add their own state and behaviour.

#include <cstdint>
#include <optional>
#include <span>

#include "buildings/C_Building.h"
#include "buildings/C_BuildingCastTable.h"
#include "buildings/C_BuildingStageTable.h"

class CUnitStats;

// A command panel button: the unit type it trains or the technology it
// researches, its place on the panel, its icon and its key.
struct SCommandButton
{
    int32_t number;
    int32_t position;
    int32_t icon;
    char key;
};

class CBuildingOfCast : public CBuilding
{
public:
    const SBuildingCastRow& GetCastRow() const { return m_Row; }

    // The localised name of the type's key; the key itself without a text.
    const char* GetName() const override;
    virtual const char* GetNameKey() const { return m_Row.nameKey; }
    int32_t GetIconIndex() const override { return m_Row.iconIndex; }
    int32_t GetWidth() const override { return m_Row.width; }
    int32_t GetDepth() const override { return m_Row.depth; }
    bool IsSolidCell(int32_t i, int32_t j) const override { return CBuildingCastTable::IsCornerCleared(m_Row, i, j); }
    int32_t GetBuildCast() const override { return m_Row.cast; }
    bool IsListed() const override { return m_Row.listed; }
    bool CanBeConverted() const override { return m_Row.convertible; }
    int32_t GetClearance() const override { return m_Row.clearance; }
    bool IsTownBuilding() const override { return m_Row.townBuilding; }
    bool IsScriptCounted() const override { return m_Row.productionPanel; }
    int32_t GetDrawClass() const override { return m_Row.drawClass; }
    bool GivesSight() const override { return m_Row.givesSight; }
    // The type record's hit points scaled by the build progress, with the
    // "TC_FF_WALL" bonus scaled alike; at least 1.
    int32_t GetMaxHitPoints() const override;
    // One builder's step (amount) or the completion at once (instant):
    // dust, the progress, the construction model, and once at exactly 100
    // the finished model, OnFinished and the owner's news.  True while
    // still under construction.
    bool Construct(float amount, bool instant) override;
    // The base height where a world point lies in one of the model's part
    // boxes placed at the building; -1.0 elsewhere.
    float GetHeightAt(float worldX, float worldY) const override;
    float GetRepairRate() const override;
    void GetWorkCost(float* wood, float* stone, float* gold) const override;
    // The aim point: the corner plus the type's offsets, at the type's
    // height once finished.
    void GetTargetPosition(float* position) const override;
    // The completion step, then the owner sees the footprint.
    void OnFinished() override;
    // The hit sound of the damage type, and the collapse sound at 0 hit
    // points.
    void OnHit(TENUMDAMAGETYPE damageType) override;
    float GetDamageFactor1() const override;
    float GetDamageFactor2() const override;
    // Factor 3 less the owner's "TC_BUILD_D_2" or "TC_BUILD_D_1", not below 0.
    float GetDamageFactor3() const override;
    bool Animate(float elapsed) override;
    // The model in the owner's colour, sunk and shaken while collapsing,
    // the snow cover of a finished building in winter and its banners.
    void Render(float collapse) override;
    // The standard details under the type's name.
    void RenderDetailsOnPanel() override { RenderPanelDetails(GetName()); }
    // The owner's buttons: an unfinished building shows only the cancel
    // button; a finished one of this class none.
    void RenderPanelButtons() override;
    int32_t GetPointValue() const override { return m_Row.points; }
    void GetSelectSound(int32_t* sample, int32_t* variants) const override;
    void GetHitDebris(int32_t* first, int32_t* second) const override;
    bool IsStorage() const override { return m_Row.storage && IsFinished(); }
    bool IsShownOnMinimap() const override { return m_Row.shownOnMinimap; }

    // The number of the type record that gives hit points, damage factors,
    // repair rate and price (the keep's changes with the stronghold).
    virtual int32_t GetTypeRecordIndex() const { return m_Row.record; }
    const CUnitStats* GetTypeRecord() const;
    const CUnitStats* GetPriceRecord() const override { return GetTypeRecord(); }
    // Models, messages, sounds and aim point of the construction and hit
    // steps.
    virtual const SBuildingStageRow& GetStageRow() const;
    // Whether the owner has finished the technology.
    bool OwnerHasResearched(int32_t technology) const;

protected:
    // At block (-1, -1) for the owner, with the row's model and fire positions.
    CBuildingOfCast(int32_t cast, int32_t ownerIndex);
    // The construction model of the progress (the stage row's, or the
    // current one where the row keeps it).
    virtual int32_t GetStageModel(float buildProgress) const;
    virtual int32_t GetFinishedModel() const;
    // What completion tells the local owner: marker, message, voice.
    void AnnounceFinished() const;
    void RaiseDust(int32_t puffs) const;
    void RenderBanners(float height) const;

    // ---- Drawing ---------------------------------------------------------------
    // Where a model goes on the map: blocks across, world units up.
    struct SDrawPoint
    {
        float x;
        float y;
        float height;
    };
    // The map height at the corner; 0.0 off the map.
    float GetCornerGround() const;
    // The point shaken and sunk by `sinkDepth` scaled by the collapse while
    // collapsing, then kept as the building's draw position.
    SDrawPoint PlaceForDrawing(SDrawPoint point, float collapse, float sinkDepth);
    // The model in the owner's colour at the corner on `ground`, placed as
    // above with the stage row's sink depth; where it went, or nothing (no
    // draw) without a model record.
    std::optional<SDrawPoint> RenderBody(float collapse, float ground);

    // ---- Command panel -------------------------------------------------------
    // The state a cancel or rally button is drawn in: plain at the town
    // buildings; the tower, barracks, blacksmith, castle and dark altar draw
    // their cancel button in state 5, the military trainers their rally
    // button in state 7.
    static constexpr int32_t PlainButton = 0;
    static constexpr int32_t MilitaryCancelButton = 5;
    static constexpr int32_t MilitaryRallyButton = 7;
    // The cancel button while unfinished (Escape cancels too); true when it
    // was the whole panel.  Only a click on the button cancels: the command
    // is published while the mouse is over it.
    bool RenderUnfinishedPanel(int32_t cancelState = PlainButton) const;
    // A defeated local player of a network game sees no buttons.
    bool MayShowButtons() const;
    // True while the building researches nothing (unit buttons) and also
    // has nothing queued (technology buttons).
    bool MayShowUnitButtons() const;
    bool MayShowTechnologyButtons() const;
    // One button when the owner may train the unit or research the
    // technology; its key in lower and upper case.
    void RenderUnitButton(int32_t position, int32_t icon, int32_t unitType, char key) const;
    void RenderTechnologyButton(int32_t position, int32_t icon, int32_t technology, char key) const;
    // The same for each button of a table, in its order.
    void RenderUnitButtons(std::span<const SCommandButton> buttons) const;
    void RenderTechnologyButtons(std::span<const SCommandButton> buttons) const;
    // What Escape hands the command panel to cancel the current production
    // or research: the barracks, blacksmith, castle and dark altar say -1,
    // the other producing buildings 0.
    static constexpr int32_t EscapeCancelsCurrent = 0;
    static constexpr int32_t EscapeCancels = -1;
    // Escape cancels the current production or research while there is
    // one; then the rally mode button, or Escape to leave the mode.
    void RenderPanelEnd(bool withModeButton, int32_t escapeCommand = EscapeCancelsCurrent,
                        int32_t modeState = PlainButton) const;

private:
    const SBuildingCastRow& m_Row;
};
