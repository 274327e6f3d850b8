#include <gtest/gtest.h>

#include "core/C_Ctrl.h"
#include "core/GlobalFunc.h"

namespace
{
void ExpectVector(const float* actual, float x, float y, float z, float tolerance = 1e-4f)
{
    EXPECT_NEAR(actual[0], x, tolerance);
    EXPECT_NEAR(actual[1], y, tolerance);
    EXPECT_NEAR(actual[2], z, tolerance);
}

TEST(GlobalFuncGeometry, LinesPlanesRotationsMatricesVectorsAndInterpolationInATriangle)
{
    EXPECT_TRUE(GlobalFunc::IsLeftOfLine(0, 0, 10, 0, 5, 0) && !GlobalFunc::IsLeftOfLine(0, 0, 10, 0, 5, -5));
    // Far-apart points must not overflow into the wrong side.
    EXPECT_FALSE(GlobalFunc::IsLeftOfLine(-2000000000, 0, 2000000000, 0, 0, -2000000000));
    EXPECT_FLOAT_EQ(GlobalFunc::PointLineDistance(0, 0, 3, 4, 4, -3), 5.0f);
    EXPECT_FLOAT_EQ(GlobalFunc::PointLineDistance(2, 2, 2, 2, 9, 9), 0.0f);
    float out[3] = {};
    GlobalFunc::RotatePoint2D(1.0f, 0.0f, 90.0f, out);
    ExpectVector(out, 0.0f, 1.0f, out[2]);
    const float w0[3] = {1, 1, 1}, w1[3] = {3, 1, 1}, w2[3] = {1, 5, 1};
    const float r0[2] = {0, 0}, r1[2] = {0, 2}, r2[2] = {2, 0}, centre[2] = {1, 1};
    GlobalFunc::InterpolateInTriangle(w0, w1, w2, r0, r1, r2, centre, out);
    ExpectVector(out, 2.0f, 3.0f, 1.0f);
    GlobalFunc::RotateVector3(0, 1, 0, 90, 0, 0, out);
    ExpectVector(out, 0, 0, 1);
    // Turned about Y first to (0, 0, 1), then about X to (0, -1, 0).
    GlobalFunc::RotateVector3(1, 0, 0, 90, 90, 0, out);
    ExpectVector(out, 0, -1, 0);
    float m[9];
    GlobalFunc::BuildMatrix(0, 90, 0, m);
    ExpectVector(m, 0, 0, 1);
    ExpectVector(m + 6, -1, 0, 0);
    const float counting[9] = {1, 2, 3, 4, 5, 6, 7, 8, 9};
    GlobalFunc::TransformVector(1, 2, 3, counting, out);
    ExpectVector(out, 30, 36, 42);
    GlobalFunc::AxisAngleMatrix(0, 0, 1, 90, m);
    ExpectVector(m, 0, -1, 0);
    ExpectVector(m + 3, 1, 0, 0);

    const float x[3] = {2, 0, 0}, y[3] = {0, 3, 0}, parallel[3] = {4, 0, 0};
    GlobalFunc::CrossProduct(x, y, out);
    ExpectVector(out, 0, 0, 1);
    GlobalFunc::CrossProduct(x, parallel, out);   // zero vectors stay zero
    ExpectVector(out, 0, 0, 0);
    float v[3] = {3, 0, 4}, zero[3] = {0, 0, 0};
    GlobalFunc::NormalizeVector(v);
    ExpectVector(v, 0.6f, 0, 0.8f);
    GlobalFunc::NormalizeVector(zero);
    ExpectVector(zero, 0, 0, 0);

    // A ballistic path rises towards the target height.
    const float start[3] = {0, 0, 0}, level[3] = {10, 0, 0}, higher[3] = {10, 5, 0};
    GlobalFunc::BallisticPosition(start, level, 10, 1, 0, 90, 1, out);
    ExpectVector(out, 10.0f, -4.905f, 0.0f, 1e-3f);
    GlobalFunc::BallisticPosition(start, higher, 10, 1, 0, 90, 1, out);
    EXPECT_NEAR(out[1], 0.095f, 1e-3f);
}

TEST(GlobalFuncGeometry, MinimapPositionsTurnWithTheViewInQuartersAndScreenTestsKeepBothBounds)
{
    const struct { float bx, by, rotation, mapW, mapH, x, y; } cases[] = {
        {0, 0, 0, 256, 256, 129, 60},    {256, 0, 0, 256, 256, 258, 135},
        {0, 0, 44.9f, 256, 256, 129, 60}, {0, 0, 45, 256, 256, 0, 135},
        {0, 0, 134.9f, 256, 256, 0, 135}, {0, 0, 135, 256, 256, 129, 210},
        {0, 0, 224.9f, 256, 256, 129, 210}, {0, 0, 225, 256, 256, 258, 135},
        {0, 0, 314.9f, 256, 256, 258, 135}, {0, 0, 315, 256, 256, 129, 60},
        {0, 0, 180, 256, 256, 129, 210}, {128, 64, 0, 128, 64, 129, 210},
    };
    float out[2];
    for (const auto& c : cases)
    {
        SCOPED_TRACE(testing::Message() << c.bx << "," << c.by << " at " << c.rotation);
        GlobalFunc::MapToMinimap(c.bx, c.by, c.rotation, c.mapW, c.mapH, out);
        EXPECT_NEAR(out[0], c.x, 1e-4f);
        EXPECT_NEAR(out[1], c.y, 1e-4f);
    }
    // The rectangle [10, 30) x [20, 25) of the virtual screen.
    const struct { int x, y; bool inside; } mouse[] = {
        {10, 20, true}, {29, 24, true}, {9, 20, false}, {30, 20, false}, {10, 19, false}, {10, 25, false}};
    for (const auto& m : mouse)
    {
        VirtualMouseX = m.x;
        VirtualMouseY = m.y;
        EXPECT_EQ(GlobalFunc::IsMouseInRect(10, 20, 20, 5), m.inside) << m.x << "," << m.y;
    }
    VirtualMouseX = VirtualMouseY = 0;
    int32_t screen[2] = {-1, -1};
    GlobalFunc::ProjectToScreen(0.0f, 0.0f, 1.0f, screen);
    EXPECT_TRUE(screen[0] == 512 && screen[1] == 384);
    GlobalFunc::ProjectToScreen(1.0f, 1.0f, 0.0f, screen);   // at the eye: nothing to show
    GlobalFunc::ProjectToScreen(1.0f, 1.0f, -1.0f, screen);
    EXPECT_TRUE(screen[0] == 512 && screen[1] == 384);
}

// An 8 x 8 grid inside a buffer whose guard margins must stay untouched.
struct GuardedGrid
{
    static constexpr uint32_t Guard = 0xDEADBEEF;
    std::vector<uint32_t> buffer = std::vector<uint32_t>(64 + 2 * 64, Guard);
    GuardedGrid() { std::fill_n(Cells(), 64, 0u); }
    uint32_t* Cells() { return buffer.data() + 64; }
    int Count(uint32_t value) { return int(std::count(Cells(), Cells() + 64, value)); }
    bool MarginsIntact() { return Count(Guard) == 0 && std::count(buffer.begin(), buffer.end(), Guard) == 128; }
};

TEST(GlobalFuncGeometry, FillTriangleRowsFromTopToBottomExcludedNeverOutsideTheGrid)
{
    GuardedGrid grid;
    GlobalFunc::FillTriangle(grid.Cells(), 8, 8, 0, 0, 0, 4, 4, 0, 5);
    const int lastColumn[4] = {4, 3, 2, 1};
    for (int row = 0; row < 8; ++row)
        for (int x = 0; x < 8; ++x)
            EXPECT_EQ(grid.Cells()[row * 8 + x], row < 4 && x <= lastColumn[row] ? 5u : 0u) << x << "," << row;
    GuardedGrid otherWinding;
    GlobalFunc::FillTriangle(otherWinding.Cells(), 8, 8, 0, 0, 4, 0, 0, 4, 5);
    EXPECT_EQ(otherWinding.Count(0), 64);

    GuardedGrid huge;
    GlobalFunc::FillTriangle(huge.Cells(), 8, 8, -1000, -1000, -1000, 3000, 3000, -1000, 9);
    EXPECT_TRUE(huge.Count(9) == 64 && huge.MarginsIntact());
    GuardedGrid far;
    GlobalFunc::FillTriangle(far.Cells(), 8, 8, INT_MIN + 1, INT_MIN + 1, INT_MIN + 1, INT_MAX, INT_MAX,
                             INT_MIN + 1, 9);
    EXPECT_TRUE(far.MarginsIntact());
    GuardedGrid row;
    GlobalFunc::FillRow(row.Cells(), 8, 8, 3, -20, 20, 4);
    GlobalFunc::FillRow(row.Cells(), 8, 8, 8, 0, 7, 4);
    GlobalFunc::FillRow(row.Cells(), 8, 8, -1, 0, 7, 4);
    EXPECT_TRUE(row.Count(4) == 8 && row.MarginsIntact());
}
} // namespace
