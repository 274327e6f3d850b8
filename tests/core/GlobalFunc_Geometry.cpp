// 2-D and 3-D geometry, the projection, the minimap and the triangle fill,
// against values worked out by hand from the formulas.

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <vector>

#include "core/C_Ctrl.h"
#include "core/GlobalFunc.h"

namespace
{
constexpr float Tolerance = 1e-4f;

void ExpectVector(const float* actual, float x, float y, float z, float tolerance = Tolerance)
{
    EXPECT_NEAR(actual[0], x, tolerance);
    EXPECT_NEAR(actual[1], y, tolerance);
    EXPECT_NEAR(actual[2], z, tolerance);
}

TEST(GlobalFuncGeometry, LeftOfLineIncludesTheLineItself)
{
    EXPECT_TRUE(GlobalFunc::IsLeftOfLine(0, 0, 10, 0, 5, 5));
    EXPECT_FALSE(GlobalFunc::IsLeftOfLine(0, 0, 10, 0, 5, -5));
    EXPECT_TRUE(GlobalFunc::IsLeftOfLine(0, 0, 10, 0, 5, 0));
    EXPECT_TRUE(GlobalFunc::IsLeftOfLineF(0.0f, 0.0f, 10.0f, 0.0f, 5.0f, 0.5f));
    EXPECT_FALSE(GlobalFunc::IsLeftOfLineF(0.0f, 0.0f, 10.0f, 0.0f, 5.0f, -0.5f));
    // Far-apart points must not overflow into the wrong side.
    EXPECT_FALSE(GlobalFunc::IsLeftOfLine(-2000000000, 0, 2000000000, 0, 0, -2000000000));
}

TEST(GlobalFuncGeometry, PointLineDistance)
{
    EXPECT_FLOAT_EQ(GlobalFunc::PointLineDistance(0, 0, 10, 0, 5, 3), 3.0f);
    EXPECT_FLOAT_EQ(GlobalFunc::PointLineDistance(0, 0, 3, 4, 4, -3), 5.0f);
    EXPECT_FLOAT_EQ(GlobalFunc::PointLineDistance(2, 2, 2, 2, 9, 9), 0.0f);
}

TEST(GlobalFuncGeometry, RotatePoint2D)
{
    float out[2];
    GlobalFunc::RotatePoint2D(1.0f, 0.0f, 90.0f, out);
    EXPECT_NEAR(out[0], 0.0f, Tolerance);
    EXPECT_NEAR(out[1], 1.0f, Tolerance);
    GlobalFunc::RotatePoint2D(0.3f, 0.7f, 0.0f, out);
    EXPECT_EQ(out[0], 0.3f);
    EXPECT_EQ(out[1], 0.7f);
}

TEST(GlobalFuncGeometry, InterpolateInTriangle)
{
    const float v0[3] = {0, 0, 0}, v1[3] = {10, 0, 0}, v2[3] = {0, 20, 0};
    const float p0[2] = {0, 0}, p1[2] = {1, 0}, p2[2] = {0, 1};
    const float q[2] = {0.25f, 0.5f};
    float out[3];
    GlobalFunc::InterpolateInTriangle(v0, v1, v2, p0, p1, p2, q, out);
    ExpectVector(out, 2.5f, 10.0f, 0.0f);

    const float w0[3] = {1, 1, 1}, w1[3] = {3, 1, 1}, w2[3] = {1, 5, 1};
    const float r0[2] = {0, 0}, r1[2] = {0, 2}, r2[2] = {2, 0};
    const float centre[2] = {1, 1};
    GlobalFunc::InterpolateInTriangle(w0, w1, w2, r0, r1, r2, centre, out);
    ExpectVector(out, 2.0f, 3.0f, 1.0f);
}

TEST(GlobalFuncGeometry, RotationsTurnYThenXThenZ)
{
    float out[3];
    GlobalFunc::RotateVector3(1, 0, 0, 0, 90, 0, out);
    ExpectVector(out, 0, 0, 1);
    GlobalFunc::RotateVector3(0, 1, 0, 90, 0, 0, out);
    ExpectVector(out, 0, 0, 1);
    GlobalFunc::RotateVector3(1, 0, 0, 0, 0, 90, out);
    ExpectVector(out, 0, 1, 0);
    // About Y to (0, 0, 1), then about X to (0, -1, 0).
    GlobalFunc::RotateVector3(1, 0, 0, 90, 90, 0, out);
    ExpectVector(out, 0, -1, 0);
}

TEST(GlobalFuncGeometry, BuildMatrixRowsAreTheTurnedAxes)
{
    float m[9];
    GlobalFunc::BuildMatrix(0, 0, 0, m);
    const float identity[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
    for (int i = 0; i < 9; ++i)
        EXPECT_EQ(m[i], identity[i]);

    GlobalFunc::BuildMatrix(0, 90, 0, m);
    ExpectVector(m, 0, 0, 1);
    ExpectVector(m + 3, 0, 1, 0);
    ExpectVector(m + 6, -1, 0, 0);

    float out[3];
    GlobalFunc::TransformVector(1, 0, 0, m, out);
    ExpectVector(out, 0, 0, 1);
}

TEST(GlobalFuncGeometry, TransformVectorIsRowVectorTimesMatrix)
{
    const float m[9] = {1, 2, 3, 4, 5, 6, 7, 8, 9};
    float out[3];
    GlobalFunc::TransformVector(1, 2, 3, m, out);
    ExpectVector(out, 30, 36, 42);
}

TEST(GlobalFuncGeometry, CrossProductAndNormalizeKeepZeroVectorsZero)
{
    float out[3];
    const float x[3] = {2, 0, 0}, y[3] = {0, 3, 0};
    GlobalFunc::CrossProduct(x, y, out);
    ExpectVector(out, 0, 0, 1);
    const float parallel[3] = {4, 0, 0};
    GlobalFunc::CrossProduct(x, parallel, out);
    ExpectVector(out, 0, 0, 0);

    float v[3] = {3, 0, 4};
    GlobalFunc::NormalizeVector(v);
    ExpectVector(v, 0.6f, 0, 0.8f);
    float zero[3] = {0, 0, 0};
    GlobalFunc::NormalizeVector(zero);
    ExpectVector(zero, 0, 0, 0);
}

TEST(GlobalFuncGeometry, SetMatrix3StoresTransposed)
{
    float m[9];
    GlobalFunc::SetMatrix3(1, 2, 3, 4, 5, 6, 7, 8, 9, m);
    const float expected[9] = {1, 4, 7, 2, 5, 8, 3, 6, 9};
    for (int i = 0; i < 9; ++i)
        EXPECT_EQ(m[i], expected[i]);
}

TEST(GlobalFuncGeometry, AxisAngleMatrixAboutZ)
{
    float m[9];
    GlobalFunc::AxisAngleMatrix(0, 0, 1, 90, m);
    ExpectVector(m, 0, -1, 0);
    ExpectVector(m + 3, 1, 0, 0);
    ExpectVector(m + 6, 0, 0, 1);
}

TEST(GlobalFuncGeometry, BasisFromDirection)
{
    float m[9];
    GlobalFunc::BuildBasisFromDirection(0, 0, 5, m);
    ExpectVector(m, 1, 0, 0);
    ExpectVector(m + 3, 0, 1, 0);
    ExpectVector(m + 6, 0, 0, 1);

    GlobalFunc::BuildBasisFromDirection(0, 0, 0, m);
    for (float value : m)
        EXPECT_TRUE(std::isfinite(value));
}

TEST(GlobalFuncGeometry, BallisticPositionRisesTowardsTheTargetHeight)
{
    const float start[3] = {0, 0, 0};
    const float level[3] = {10, 0, 0};
    float out[3];
    // Fired flat along +x (heading 90) at speed 10 for one second.
    GlobalFunc::BallisticPosition(start, level, 10, 1, 0, 90, 1, out);
    ExpectVector(out, 10.0f, -4.905f, 0.0f, 1e-3f);

    const float higher[3] = {10, 5, 0};
    GlobalFunc::BallisticPosition(start, higher, 10, 1, 0, 90, 1, out);
    EXPECT_NEAR(out[1], 0.095f, 1e-3f);

    GlobalFunc::BallisticPosition(start, start, 10, 1, 0, 0, 2, out);
    ExpectVector(out, 0.0f, -9.81f, 10.0f, 1e-3f);
}

TEST(GlobalFuncGeometry, ProjectionOntoTheVirtualScreen)
{
    int32_t point[2] = {-1, -1};
    GlobalFunc::ProjectToScreen(0, 0, 1, point);
    EXPECT_EQ(point[0], 512);
    EXPECT_EQ(point[1], 384);
    // (1.4 x 0.5 + 1) x 512 = 870.4; (1 - 1.6 x 0.5) x 384 = 76.8.
    GlobalFunc::ProjectToScreen(1, 1, 2, point);
    EXPECT_EQ(point[0], 870);
    EXPECT_EQ(point[1], 76);

    int32_t untouched[2] = {7, 9};
    GlobalFunc::ProjectToScreen(1, 1, 0, untouched);
    GlobalFunc::ProjectToScreen(1, 1, -3, untouched);
    EXPECT_EQ(untouched[0], 7);
    EXPECT_EQ(untouched[1], 9);
}

TEST(GlobalFuncGeometry, MinimapCornersFollowTheCameraRotation)
{
    float out[2];
    auto expectAt = [&](float bx, float by, float rotation, float x, float y) {
        GlobalFunc::MapToMinimap(bx, by, rotation, 256, 256, out);
        EXPECT_NEAR(out[0], x, Tolerance) << bx << "," << by << " at " << rotation;
        EXPECT_NEAR(out[1], y, Tolerance) << bx << "," << by << " at " << rotation;
    };
    expectAt(0, 0, 0, 129, 60);
    expectAt(256, 0, 0, 258, 135);
    expectAt(0, 256, 0, 0, 135);
    expectAt(128, 128, 0, 129, 135);
    expectAt(0, 0, 44.9f, 129, 60);
    expectAt(0, 0, 45, 0, 135);
    expectAt(256, 0, 90, 129, 60);
    expectAt(0, 0, 180, 129, 210);
    expectAt(0, 0, 270, 258, 135);
    expectAt(0, 0, 315, 129, 60);
    // A 128 x 64 map: its far corner still meets the opposite diamond corner.
    GlobalFunc::MapToMinimap(128, 64, 0, 128, 64, out);
    EXPECT_NEAR(out[0], 129, Tolerance);
    EXPECT_NEAR(out[1], 210, Tolerance);
    GlobalFunc::MapToMinimap(5, 5, 0, 0, 0, out);
    EXPECT_TRUE(std::isfinite(out[0]) && std::isfinite(out[1]));
}

TEST(GlobalFuncGeometry, MouseInRectIsHalfOpen)
{
    const int32_t savedX = VirtualMouseX, savedY = VirtualMouseY;
    VirtualMouseX = 10;
    VirtualMouseY = 20;
    EXPECT_TRUE(GlobalFunc::IsMouseInRect(10, 20, 5, 5));
    EXPECT_FALSE(GlobalFunc::IsMouseInRect(5, 5, 5, 5));
    EXPECT_FALSE(GlobalFunc::IsMouseInRect(0, 0, 10, 21));
    EXPECT_TRUE(GlobalFunc::IsMouseInRect(0, 0, 11, 21));
    EXPECT_FALSE(GlobalFunc::IsMouseInRect(0, 0, 11, 20));
    VirtualMouseX = savedX;
    VirtualMouseY = savedY;
}

// An 8 x 8 grid inside a larger buffer whose margins must stay untouched.
class CGuardedGrid
{
public:
    static constexpr int Size = 8;
    static constexpr int Margin = 64;
    static constexpr uint32_t Guard = 0xDEADBEEF;

    CGuardedGrid() : m_Buffer(Size * Size + 2 * Margin, Guard)
    {
        for (int i = 0; i < Size * Size; ++i)
            Cells()[i] = 0;
    }
    uint32_t* Cells() { return m_Buffer.data() + Margin; }
    uint32_t At(int x, int row) { return Cells()[row * Size + x]; }
    int CountSet(uint32_t value)
    {
        int count = 0;
        for (int i = 0; i < Size * Size; ++i)
            count += Cells()[i] == value;
        return count;
    }
    bool MarginsIntact() const
    {
        for (int i = 0; i < Margin; ++i)
            if (m_Buffer[i] != Guard || m_Buffer[m_Buffer.size() - 1 - i] != Guard)
                return false;
        return true;
    }

private:
    std::vector<uint32_t> m_Buffer;
};

TEST(GlobalFuncGeometry, FillTriangleRowsFromTopToBottomExcluded)
{
    CGuardedGrid grid;
    GlobalFunc::FillTriangle(grid.Cells(), 8, 8, 0, 0, 0, 4, 4, 0, 5);
    // Rows 0..3 run from column 0 to 4, 3, 2 and 1; row 4 is the bottom.
    const int lastColumn[4] = {4, 3, 2, 1};
    for (int row = 0; row < 8; ++row)
        for (int x = 0; x < 8; ++x)
            EXPECT_EQ(grid.At(x, row), row < 4 && x <= lastColumn[row] ? 5u : 0u) << x << "," << row;
    EXPECT_EQ(grid.CountSet(5), 14);
}

TEST(GlobalFuncGeometry, FillTriangleSkipsTheOtherWinding)
{
    CGuardedGrid grid;
    GlobalFunc::FillTriangle(grid.Cells(), 8, 8, 0, 0, 4, 0, 0, 4, 5);
    EXPECT_EQ(grid.CountSet(0), 64);
}

TEST(GlobalFuncGeometry, FillTriangleNeverWritesOutsideTheGrid)
{
    CGuardedGrid grid;
    GlobalFunc::FillTriangle(grid.Cells(), 8, 8, -1000, -1000, -1000, 3000, 3000, -1000, 9);
    EXPECT_EQ(grid.CountSet(9), 64);
    EXPECT_TRUE(grid.MarginsIntact());

    CGuardedGrid far;
    GlobalFunc::FillTriangle(far.Cells(), 8, 8, INT_MIN + 1, INT_MIN + 1, INT_MIN + 1, INT_MAX,
                             INT_MAX, INT_MIN + 1, 9);
    EXPECT_TRUE(far.MarginsIntact());

    CGuardedGrid row;
    GlobalFunc::FillRow(row.Cells(), 8, 8, 3, -20, 20, 4);
    GlobalFunc::FillRow(row.Cells(), 8, 8, 8, 0, 7, 4);
    GlobalFunc::FillRow(row.Cells(), 8, 8, -1, 0, 7, 4);
    EXPECT_EQ(row.CountSet(4), 8);
    EXPECT_TRUE(row.MarginsIntact());
}
} // namespace
