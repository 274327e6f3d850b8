#pragma once
// Draws a building's, resource site's or rally flag's model at a map point:
// the point is carried into view space by the map's camera, the model turned
// about the vertical axis by a facing, and the draw goes through the
// hardware or the software path of C3DObject as the USEHWTNL= setting says.
// Every draw is also kept in a short record for the developer's checks.
// Main thread only.

#include <cstddef>
#include <cstdint>
#include <vector>

class CModelRecord;

struct SModelDraw
{
    int32_t model;
    int32_t frame;
    float x;        // blocks
    float y;        // blocks
    float height;   // world units
    float facing;   // degrees about the vertical axis
};

class CBuildingDraw
{
public:
    static constexpr size_t kMostDraws = 1024;

    // Draws model `modelNumber` at (x, y) and that height, at the frame
    // (taken modulo the model's frame count); nothing for a missing model
    // or one without faces or frames.  True when the model was transformed
    // for the draw; then `viewPoint`, when given, holds where it stands in
    // view space.
    static bool DrawModel(int32_t modelNumber, int32_t frame, float x, float y, float height, float facing,
                          float* viewPoint = nullptr);
    // The same turned by `angle` degrees about the unit axis (x, y, z)
    // (GlobalFunc::AxisAngleMatrix) instead of about the vertical; the
    // record keeps the angle as its facing.
    static void DrawModelAboutAxis(int32_t modelNumber, int32_t frame, float x, float y, float height,
                                   const float axis[3], float angle);

    // Draws frame `shown` of the record at (x, y) and that height, turned
    // by the row-major `turn` (rows the model's x, up and z axes) before
    // the camera's turn; kept in no draw record.  The record must have
    // faces and the frame.  `viewPoint`, when given, receives the view-space
    // point the model was placed at.
    static void SubmitTurned(CModelRecord& record, int32_t shown, float x, float y, float height,
                             const float turn[9], float* viewPoint = nullptr);
    // Whether the record has something to draw: faces and frames.  The
    // software path draws without a vertex buffer.
    static bool IsDrawable(const CModelRecord& record);

    static const std::vector<SModelDraw>& GetDraws() { return s_Draws; }
    static void ClearDraws() { s_Draws.clear(); }

private:
    // The model's record with the draw kept in the record (its frame taken
    // modulo the frame count in `shown`); null for a missing model, and
    // after keeping the draw for one without faces or frames.
    static CModelRecord* RecordDraw(int32_t modelNumber, int32_t frame, float x, float y, float height,
                                    float facing, int32_t* shown);
    static std::vector<SModelDraw> s_Draws;
};
