#pragma once
// Whole saved games of a simulation world (CSimHarness) through the in-game controller, held in memory,
// and the fields of a save file the tests take apart: the payload behind the header, its little-endian
// numbers, and a copy whose CRC-32 (the reference one, not the game's) matches a changed payload.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "world/C_PlayerServices.h"

class CSimHarness;

class CSaveGameRun
{
public:
    // One game frame of one tick.  Unlike the harness's own frame it keeps no list of live units, so it
    // may follow a load that did not go through CSimHarness::Load.
    static void Frame(CSimHarness& world);

    // The language the saves are written in.  Set it after the harness is
    // built: the harness puts the whole configuration back when it goes.
    static constexpr const char* Language = "English\\";
    static void UseSaveLanguage();

    static std::vector<uint8_t> Save();
    // The same after the map's corner colours are brought up to date.  They are what the drawing of the
    // last frame left, and a loaded map works them out afresh; headless frames draw nothing, so games
    // compared with a loaded one update them as a drawn frame would.
    static std::vector<uint8_t> SaveDrawn();
    static bool Load(const std::vector<uint8_t>& file);

    // Where the payload starts: behind the magic, version, language and CRC.
    static size_t PayloadOffset(const std::vector<uint8_t>& file);
    static std::vector<uint8_t> Payload(const std::vector<uint8_t>& file);
    // The file with the CRC-32 field set to match its (changed) payload.
    static std::vector<uint8_t> WithMatchingCrc(std::vector<uint8_t> file);

    // The game's own services, but every warrior the players make (also when a saved game is loaded) is
    // a test walker, whose type behaviour walks its orders out; the game's warriors have none yet.
    // Installed after the harness is built; the harness takes it out when it goes.
    class CWalkerServices : public CPlayerServices
    {
    public:
        static constexpr float WalkerSpeed = 0.1f;
        CUnit* CreateUnitObject(CPlayer& player, int32_t type) const override;
    };

    static uint32_t U32At(const std::vector<uint8_t>& bytes, size_t at)
    {
        return uint32_t(bytes.at(at)) | uint32_t(bytes.at(at + 1)) << 8 | uint32_t(bytes.at(at + 2)) << 16 |
               uint32_t(bytes.at(at + 3)) << 24;
    }
    static void PutU32At(std::vector<uint8_t>& bytes, size_t at, uint32_t value)
    {
        for (size_t i = 0; i < 4; ++i) bytes.at(at + i) = uint8_t(value >> (8 * i));
    }
};
