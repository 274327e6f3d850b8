#pragma once
// The decoration types: each row names a run of consecutive decoration
// kinds (the block decoration model numbers) that the editor's decoration
// tool offers under one name, and from which ruined buildings draw their
// rubble.  The kinds and rotations are fixed; only the names come from the
// current language, filled by LoadDecorTypes.  Main thread only.

#include <cstdint>

class CDecorType
{
public:
    CDecorType(const char* nameKey, int32_t firstKind, int32_t kindCount, uint8_t unrotated);

    // A kind of the row (base + 0 .. count - 1) and a rotation in whole
    // degrees: 0 for an unrotated row, else 0 .. 359.
    void PickVariant(int32_t* kind, int32_t* rotation) const;

    const char* GetKey() const { return m_Key; }

    // Longest name kept, terminator included; a longer text is cut.
    static constexpr int32_t NameCapacity = 64;

    char name[NameCapacity]; // localised text of the key, empty before LoadDecorTypes
    int32_t base;            // first decoration kind (TENUMDECORBUILDCAST)
    int32_t count;           // consecutive kinds of the row
    uint8_t fixedRotation;   // 1: always placed unrotated

private:
    const char* m_Key;
};

constexpr int32_t DecorTypeCount = 11;
// Destroyed buildings leave the row of building ruins as rubble: it is the
// one row whose pieces are debris of a building rather than plants or the
// editor's start marker.
constexpr int32_t RubbleDecorType = 9;

// The row of that index, 0 .. DecorTypeCount - 1; any other index gives
// the first row.
const CDecorType& GetDecorType(int32_t row);
// Fills the names of every row in the current language; a key the locale
// lacks is complained about and leaves the name empty.
void LoadDecorTypes();
// Empties the names again (the language is about to go).
void FreeDecorTypes();
