#pragma once
// What the players ask of the subsystems around them: the object factories,
// the operations of the unit and building records, the message list,
// minimap markers, the sample bank and the network game.  The default
// answers are the game's own operations; tests install a recording set.

#include <cstdint>

class CBuilding;
class CPlayer;
class CUnit;

class CPlayerServices
{
public:
    virtual ~CPlayerServices() = default;

    // ---- Object factories ---------------------------------------------------
    // A new unit of that TENUMUNITCAST type owned by the player, not on the
    // map; null for a type the factory does not know (a complaint once the
    // player's factory is ready).
    virtual CUnit* CreateUnitObject(CPlayer& player, int32_t type) const;
    // A new building, resource site (cast 10) or decoration (cast 18).
    virtual CBuilding* CreateBuildingObject(CPlayer& player, int32_t cast, int32_t resourceKind, int32_t treeCast,
                                            int32_t decorationKind) const;

    // ---- Units --------------------------------------------------------------
    // Performs the unit's due action of that phase (0 or 1); true when one ran.
    virtual bool PerformAction(CUnit& unit, int32_t phase) const;
    // Puts the unit on the map or takes it off, with its blocks and sight.
    virtual void ShowUnit(CUnit& unit, bool show) const;
    virtual void StopUnit(CUnit& unit) const;
    virtual void RestartAction(CUnit& unit) const;
    // Clears every reference to the unit and starts its death; the unit
    // leaves its player when the death ends.
    virtual void RemoveUnitFromWorld(CUnit& unit) const;
    // Replaces the unit's sight pattern by the one of its current radius.
    virtual void UpdateFogOnMove(CUnit& unit) const;

    // ---- Buildings ----------------------------------------------------------
    // Claims the building's footprint; false when the placing was refused.
    virtual bool PlaceOnMap(CBuilding& building) const;
    // The destruction: off the map, out of its player, a ruin.
    virtual void DestroyBuilding(CBuilding& building) const;
    virtual void RefreshArcherSight(CBuilding& building) const;

    // ---- Game ---------------------------------------------------------------
    // A line of the on-screen message list, colour 0x00RRGGBB.
    virtual void AddMessage(const char* text, uint32_t colour) const;
    virtual void AddMinimapMarker(int32_t x, int32_t y, uint32_t colour) const;
    // Plays a sample of the global bank once at the volume in percent.
    virtual void PlaySample(int32_t sample, int32_t volumePercent) const;
    // Plays a sample of the global bank (looping when `loop` is not 0) at map
    // block (x, y): the volume in percent, fainter with the distance to the
    // listener and not at all beyond hearing.
    virtual void PlaySampleAt(int32_t x, int32_t y, int32_t sample, int32_t loop, int32_t volumePercent) const;
    virtual bool IsNetworkGame() const;
    // Tells the other machines that this machine's player is out.
    virtual void SendPlayerDefeated(int32_t playerIndex) const;
};

// The services in use; SetPlayerServices(nullptr) restores the defaults.
// The object set must outlive its use.
const CPlayerServices& GetPlayerServices();
void SetPlayerServices(const CPlayerServices* services);
