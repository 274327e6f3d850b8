#pragma once
// One slot of the global model table: a model number's 3-D object with the
// values its drawers share.  Units, buildings, resource sites and
// decorations hold a model number and draw the record's object.
//
// What the units and buildings call a field of the record is a field of
// `object` where the model has one:
//
//   record's field                 model field (C3DObject)
//   -----------------------------  ---------------------------------------
//   frame count                    frameCount
//   part count                     groupCount
//   part boxes (min and max)       groups[i].boxMin, groups[i].boxMax
//   colour slot, player colour     currentTexture (the texture loaded with
//                                  that player's colour)
//   shade value (0.0 to 1.0)       brightness (back to 1.0 after each draw)
//   fade value (-1 none, 0-255)    objectAlpha
//   wound overlay level (0 none,   damageStride (every n-th vertex tinted)
//     2, 4 or 8)
//
// and the record's own fields hold the rest: `animationTime`, `skin`,
// `tint` (the pulse value a drawer sets for owner 9; the model drawing does
// not read it) and `shadowTexture` (the building shadow under the model).
//
// The per-draw values (colour slot, shade, fade, wound level, tint) are set
// by the drawer right before a draw; the fade value stays until the drawer
// sets it back to -1.  Main thread only.

#include <cstdint>

#include "media/C_3DObject.h"
#include "media/C_Texture.h"

class CModelRecord
{
public:
    CModelRecord() = default;
    CModelRecord(const CModelRecord&) = delete;
    CModelRecord& operator=(const CModelRecord&) = delete;

    int32_t GetFrameCount() const { return object.frameCount; }
    int32_t GetPartCount() const { return object.groupCount; }
    // The box of part `part` in model units; false (and the box untouched)
    // for a part the model lacks.
    bool GetPartBox(int32_t part, float boxMin[3], float boxMax[3]) const;

    void SetColourSlot(int32_t slot) { object.currentTexture = slot; }
    void SetShade(float shade) { object.brightness = shade; }
    void SetFade(int32_t fade) { object.objectAlpha = fade; }
    void SetWoundLevel(int32_t level) { object.damageStride = level; }

    // Frees the model and the shadow texture; the slot is empty again.
    void Release();

    C3DObject object;
    float animationTime = 0.0f;
    int32_t skin = 0;
    float tint = 0.0f;
    CTexture shadowTexture;
};

// ---- The global model table ------------------------------------------------
// GlobalModelCount records allocated by start-up and freed by the release of
// the global tables.
constexpr int GlobalModelCount = 347;
void AllocGlobalModels();
void FreeGlobalModels();
// Record `index` of the table; null when it is not allocated or the index is
// out of range.
CModelRecord* GetGlobalModel(int index);
