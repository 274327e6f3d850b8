// Integer helpers, distances, angles and the 2-D and 3-D vector and matrix
// functions.  The three degree factors differ in their last digits on
// purpose: each call site keeps the one its results were tuned with.

#include <cmath>
#include <cstdint>

#include "core/C_LogFile.h"
#include "core/GlobalFunc.h"

namespace
{
constexpr float DegToRadVector = 0.017453289f;   // vector rotations
constexpr float DegToRadAxis = 0.017452778f;     // axis-angle matrix, ballistics
constexpr float RadToDeg = 57.29747f;            // GetAngle
constexpr float FullTurn = 360.0f;
constexpr float Gravity = 9.81f;
constexpr int TenthsPerUnit = 10;

float Length3(const float v[3])
{
    return std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
}

// A zero length divides by 1, so zero vectors stay zero instead of NaN.
float LengthOrOne(float length)
{
    return length == 0.0f ? 1.0f : length;
}

float IntoFullTurn(float angle)
{
    angle = std::fmod(angle, FullTurn);
    if (angle < 0.0f)
        angle += FullTurn;
    if (angle >= FullTurn)
        angle -= FullTurn;
    return angle;
}
} // namespace

namespace GlobalFunc
{
int Sign(int value)
{
    return (value > 0) - (value < 0);
}

int SignF(float value)
{
    return (value > 0.0f) - (value < 0.0f);
}

void Swap(int32_t& a, int32_t& b)
{
    const int32_t kept = a;
    a = b;
    b = kept;
}

int Select(int flag, int a, int b)
{
    return flag != 0 ? a : b;
}

int Distance(int x1, int y1, int x2, int y2)
{
    // 64-bit sums: far-apart points must not overflow; within the map the
    // result is the same as in 32 bits.
    const int64_t dx = static_cast<int64_t>(x2) - x1;
    const int64_t dy = static_cast<int64_t>(y2) - y1;
    const int64_t squared = dx * dx + dy * dy;
    if (squared < 1)
        return 0;
    return static_cast<int>(std::sqrt(static_cast<double>(squared)) * TenthsPerUnit);
}

int GetDistance(int x1, int y1, int x2, int y2)
{
    return Distance(x1, y1, x2, y2);
}

float DistanceF(float x1, float y1, float x2, float y2)
{
    const float dx = x2 - x1;
    const float dy = y2 - y1;
    const float squared = dx * dx + dy * dy;
    if (!(squared > 0.0f))
        return 0.0f;
    return std::sqrt(squared) * TenthsPerUnit;
}

bool IsLeftOfLine(int x0, int y0, int x1, int y1, int px, int py)
{
    const int64_t cross = (static_cast<int64_t>(y1) - y0) * (static_cast<int64_t>(px) - x0) -
                          (static_cast<int64_t>(py) - y0) * (static_cast<int64_t>(x1) - x0);
    return cross <= 0;
}

bool IsLeftOfLineF(float x0, float y0, float x1, float y1, float px, float py)
{
    return (y1 - y0) * (px - x0) - (py - y0) * (x1 - x0) <= 0.0f;
}

float PointLineDistance(float x1, float y1, float x2, float y2, float px, float py)
{
    const float dx = x2 - x1;
    const float dy = y2 - y1;
    const float length = std::sqrt(dx * dx + dy * dy);
    if (length == 0.0f)
        return 0.0f;
    return std::fabs(dx * (py - y1) - dy * (px - x1)) / length;
}

void RotatePoint2D(float x, float y, float angle, float out[2])
{
    if (angle == 0.0f)
    {
        out[0] = x;
        out[1] = y;
        return;
    }
    const float radians = angle * DegToRadVector;
    const float c = std::cos(radians);
    const float s = std::sin(radians);
    out[0] = x * c - y * s;
    out[1] = x * s + y * c;
}

void InterpolateInTriangle(const float v0[3], const float v1[3], const float v2[3],
                           const float p0[2], const float p1[2], const float p2[2],
                           const float q[2], float out[3])
{
    const float e1x = p1[0] - p0[0], e1y = p1[1] - p0[1];
    const float e2x = p2[0] - p0[0], e2y = p2[1] - p0[1];
    const float qx = q[0] - p0[0], qy = q[1] - p0[1];

    const float divisor = e2x * e1y - e2y * e1x;
    const float w = divisor != 0.0f ? (qx * e1y - qy * e1x) / divisor : 0.0f;
    float u = 0.0f;
    if (e1y != 0.0f)
        u = (qy - w * e2y) / e1y;
    else if (e1x != 0.0f)
        u = qx / e1x;

    for (int i = 0; i < 3; ++i)
        out[i] = v0[i] + u * (v1[i] - v0[i]) + w * (v2[i] - v0[i]);
}

float GetAngle(float x1, float y1, float x2, float y2)
{
    const float dx = x1 - x2;
    const float dy = y1 - y2;
    float angle;
    if (dy != 0.0f)
        angle = std::atan(dx / dy) * RadToDeg;
    else
        angle = dx <= 0.0f ? 90.0f : -90.0f;

    if (dy > 0.0f)
        angle += 180.0f;
    if (dx > 0.0f && dy <= 0.0f)
        angle += FullTurn;

    while (angle < 0.0f)
        angle += FullTurn;
    while (angle >= FullTurn)
        angle -= FullTurn;
    return angle;
}

float ArcSin(float x)
{
    float squared = x * x;
    if (squared > 1.0f)
    {
        g_Log.Write("#DEBUG: GlobalFunc::ArcSin()");
        squared = 1.0f;
    }
    const float c = std::sqrt(1.0f - squared);
    if (c == 0.0f)
        return 0.0f;
    return std::atan(x / c);
}

bool AnglesClose(float a, float b, float tolerance)
{
    // fmod instead of repeated steps of 360: huge or infinite angles must
    // not loop for ever.
    const float difference = std::fabs(IntoFullTurn(b) - IntoFullTurn(a));
    const float shorter = std::fmin(difference, std::fabs(difference - FullTurn));
    return shorter <= tolerance;
}

void RotateVector3(float x, float y, float z, float angleX, float angleY, float angleZ,
                   float out[3])
{
    if (angleY != 0.0f)
    {
        const float r = angleY * DegToRadVector;
        const float c = std::cos(r), s = std::sin(r);
        const float nx = x * c - z * s;
        z = x * s + z * c;
        x = nx;
    }
    if (angleX != 0.0f)
    {
        const float r = angleX * DegToRadVector;
        const float c = std::cos(r), s = std::sin(r);
        const float ny = y * c - z * s;
        z = y * s + z * c;
        y = ny;
    }
    if (angleZ != 0.0f)
    {
        const float r = angleZ * DegToRadVector;
        const float c = std::cos(r), s = std::sin(r);
        const float nx = x * c - y * s;
        y = y * c + x * s;
        x = nx;
    }
    out[0] = x;
    out[1] = y;
    out[2] = z;
}

void BuildMatrix(float angleX, float angleY, float angleZ, float out[9])
{
    RotateVector3(1.0f, 0.0f, 0.0f, angleX, angleY, angleZ, out);
    RotateVector3(0.0f, 1.0f, 0.0f, angleX, angleY, angleZ, out + 3);
    RotateVector3(0.0f, 0.0f, 1.0f, angleX, angleY, angleZ, out + 6);
}

void TransformVector(float x, float y, float z, const float matrix[9], float out[3])
{
    float result[3];
    for (int i = 0; i < 3; ++i)
        result[i] = x * matrix[i] + y * matrix[3 + i] + z * matrix[6 + i];
    out[0] = result[0];
    out[1] = result[1];
    out[2] = result[2];
}

float* VectorAdd(float out[3], const float a[3], const float b[3])
{
    for (int i = 0; i < 3; ++i)
        out[i] = a[i] + b[i];
    return out;
}

float* VectorSub(float out[3], const float a[3], const float b[3])
{
    for (int i = 0; i < 3; ++i)
        out[i] = a[i] - b[i];
    return out;
}

void CrossProduct(const float a[3], const float b[3], float out[3])
{
    float cross[3] = {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2],
                      a[0] * b[1] - a[1] * b[0]};
    const float length = LengthOrOne(Length3(cross));
    for (int i = 0; i < 3; ++i)
        out[i] = cross[i] / length;
}

void NormalizeVector(float v[3])
{
    const float length = LengthOrOne(Length3(v));
    for (int i = 0; i < 3; ++i)
        v[i] /= length;
}

void SetMatrix3(float v0, float v1, float v2, float v3, float v4, float v5, float v6, float v7,
                float v8, float out[9])
{
    const float values[9] = {v0, v1, v2, v3, v4, v5, v6, v7, v8};
    for (int row = 0; row < 3; ++row)
        for (int column = 0; column < 3; ++column)
            out[3 * row + column] = values[3 * column + row];
}

void AxisAngleMatrix(float x, float y, float z, float angle, float out[9])
{
    const float r = angle * DegToRadAxis;
    const float c = std::cos(r), s = std::sin(r), t = 1.0f - c;
    out[0] = t * x * x + c;
    out[1] = t * x * y - s * z;
    out[2] = t * x * z + s * y;
    out[3] = t * x * y + s * z;
    out[4] = t * y * y + c;
    out[5] = t * y * z - s * x;
    out[6] = t * x * z - s * y;
    out[7] = t * y * z + s * x;
    out[8] = t * z * z + c;
}

void BuildBasisFromDirection(float dx, float dy, float dz, float out[9])
{
    const float direction[3] = {dx, dy, dz};
    const float length = LengthOrOne(Length3(direction));
    float* row0 = out;
    float* row1 = out + 3;
    float* row2 = out + 6;
    row2[0] = dx / length;
    row2[1] = dy / length;
    row2[2] = dz / length;
    const float h = LengthOrOne(std::sqrt(dx * dx + dz * dz));
    row0[0] = dz / h;
    row0[1] = 0.0f;
    row0[2] = -dx / h;
    CrossProduct(row2, row0, row1);
}

void BallisticPosition(const float start[3], const float target[3], float speed, float time,
                       float elevation, float heading, float heightFactor, float out[3])
{
    const float tx = target[0] - start[0];
    const float tz = target[2] - start[2];
    const float totalDistance = LengthOrOne(std::sqrt(tx * tx + tz * tz));

    const float horizontal = std::cos(elevation) * speed * time;
    const float vertical = std::sin(elevation) * speed * time - time * time * Gravity * 0.5f;

    const float headingRadians = heading * DegToRadAxis;
    const float x = start[0] + std::sin(headingRadians) * horizontal;
    const float z = start[2] + std::cos(headingRadians) * horizontal;
    const float ox = x - start[0];
    const float oz = z - start[2];
    const float travelled = std::sqrt(ox * ox + oz * oz);

    out[0] = x;
    out[1] = start[1] + vertical * heightFactor +
             (target[1] - start[1]) * travelled / totalDistance;
    out[2] = z;
}

} // namespace GlobalFunc
