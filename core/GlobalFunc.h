#pragma once
// Free functions shared by every subsystem: random numbers, geometry and
// projection, paths and texts, the live-object counters and the fatal
// device-error reports.

#include <cstdint>

#include "core/C_String.h"

namespace GlobalFunc
{
// ---- Live-object counters (reported at exit) ------------------------------
// Each adjuster takes +1 when an object is made and -1 when it goes; a counter
// left below zero logs its underrun line.
void CountTextureRefs(int delta);
void Count3DObjectRefs(int delta);
void CountStringRefs(int delta);

int GetUnitRefs();
int GetBuildingRefs();
int GetTextureRefs();
int Get3DObjectRefs();
int GetCustomPointerRefs();
int GetStringRefs();

// Counts every object alive now (the globals built before the entry
// function) as expected at exit: ReportLeaks still logs the full counts but
// shows a warning box only for a counter that differs from this mark (the
// strings of the data files, freed by the file-system shut-down after the
// report, counted as expected too).  Without a mark every non-zero counter
// gets its box.
void MarkLeakBaseline();

// "-- Allocated resources remained --" report at exit.
void ReportLeaks();

// ---- Everything else of the global functions ------------------------------
// (random numbers, distances, angles, vectors, projection, paths, texts,
// version texts, fatal error reports) is declared below.

} // namespace GlobalFunc

class IFontMeasure;

namespace GlobalFunc
{
// The version of this game: one byte per part, highest first (1.1.0.4).
constexpr uint32_t GameVersion = 0x01010004;

// ---- Fatal device errors --------------------------------------------------
// Called after every checked drawing or sound device call with its result
// code and the label of the call site ("Class::Method/N").  Return at once
// when check is false or the code is 0 (success); any other code logs three
// lines (logging is switched on and the log created when it was off), shows
// a message box and ends the process with exit code 1.
void FatalD3DError(const char* callerLabel, int32_t resultCode, bool check);
void FatalDSoundError(const char* callerLabel, int32_t resultCode, bool check);

// ---- Random numbers ---------------------------------------------------------
// One generator for the whole game, seeded once at start-up with the tick
// count.  Random(n) gives 0 .. n-1; n below 1 gives 0 and a check report.
void SeedRandom(uint32_t seed);
int Random(int n);

// ---- Small integer helpers --------------------------------------------------
int Sign(int value);
int SignF(float value);
void Swap(int32_t& a, int32_t& b);
int Select(int flag, int a, int b);
// Takes one argument and does nothing: the hook of an event nobody needs
// told (a unit with an opponent's order reaching the end of its path).
inline void NopArg(const void* argument)
{
    (void)argument;
}

// ---- 2-D geometry -----------------------------------------------------------
// Distances are in tenths of a unit: neighbours 10, diagonal neighbours 14.
int Distance(int x1, int y1, int x2, int y2);
int GetDistance(int x1, int y1, int x2, int y2);
float DistanceF(float x1, float y1, float x2, float y2);
// True when p lies left of (or on) the line from (x0, y0) to (x1, y1).
bool IsLeftOfLine(int x0, int y0, int x1, int y1, int px, int py);
bool IsLeftOfLineF(float x0, float y0, float x1, float y1, float px, float py);
// Distance of p from the infinite line through the two points; 0 when the
// two points coincide.
float PointLineDistance(float x1, float y1, float x2, float y2, float px, float py);
// Rotation by angle degrees: out = (x cos - y sin, x sin + y cos).
void RotatePoint2D(float x, float y, float angle, float out[2]);
// The value at q inside the triangle p0 p1 p2 whose corners carry v0 v1 v2.
void InterpolateInTriangle(const float v0[3], const float v1[3], const float v2[3],
                           const float p0[2], const float p1[2], const float p2[2],
                           const float q[2], float out[3]);
// Cell grids of rowLength x rowCount 32-bit cells, row by row.  Cells outside
// the grid are never written.
void FillRow(uint32_t* cells, int rowLength, int rowCount, int row, int fromX, int toX,
             uint32_t value);
void FillTriangle(uint32_t* cells, int rowLength, int rowCount, int x0, int y0, int x1, int y1,
                  int x2, int y2, uint32_t value);

// ---- Angles (degrees) -------------------------------------------------------
// Direction of the vector from the second point to the first, in [0, 360):
// 0 towards negative y, 90 negative x, 180 positive y, 270 positive x.
float GetAngle(float x1, float y1, float x2, float y2);
// Arcsine in radians; |x| of 1 or more gives 0.
float ArcSin(float x);
bool AnglesClose(float a, float b, float tolerance);

// ---- 3-D vectors and 3 x 3 matrices (row order, row vectors) ---------------
void RotateVector3(float x, float y, float z, float angleX, float angleY, float angleZ,
                   float out[3]);
void BuildMatrix(float angleX, float angleY, float angleZ, float out[9]);
// out = (x, y, z) times the matrix.
void TransformVector(float x, float y, float z, const float matrix[9], float out[3]);
float* VectorAdd(float out[3], const float a[3], const float b[3]);
float* VectorSub(float out[3], const float a[3], const float b[3]);
// Unit normal a x b (a zero cross product stays zero).
void CrossProduct(const float a[3], const float b[3], float out[3]);
void NormalizeVector(float v[3]);
// Stores the nine values transposed: out[3r + c] = value[3c + r].
void SetMatrix3(float v0, float v1, float v2, float v3, float v4, float v5, float v6, float v7,
                float v8, float out[9]);
// Rotation about the unit axis (x, y, z) by angle degrees.
void AxisAngleMatrix(float x, float y, float z, float angle, float out[9]);
// Orthonormal basis whose third row is the direction.
void BuildBasisFromDirection(float dx, float dy, float dz, float out[9]);
// Position at time t of a projectile fired from start towards target with
// the speed, the elevation (radians) and the heading (degrees); the base
// height moves linearly from the start height to the target height.
void BallisticPosition(const float start[3], const float target[3], float speed, float time,
                       float elevation, float heading, float heightFactor, float out[3]);

// ---- Screen, minimap and mouse ----------------------------------------------
// Camera space to the virtual 1024 x 768 screen; out stays untouched for z <= 0.
void ProjectToScreen(float x, float y, float z, int32_t out[2]);
// Block position to minimap pixels for a map of mapWidth x mapHeight blocks
// seen with the camera rotation in degrees.
void MapToMinimap(float blockX, float blockY, float rotation, int mapWidth, int mapHeight,
                  float out[2]);
// True when the virtual mouse lies in [x, x + w) x [y, y + h).
bool IsMouseInRect(int x, int y, int w, int h);

// ---- Colours and sound levels -----------------------------------------------
// Each of red, green and blue times n / 255 (n limited to 0 .. 255); the top
// byte of the result is 0.
uint32_t ScaleColor(uint32_t colour, int n);
// Percent 0 .. 100 to hundredths of a decibel (-10000 .. 0).
int32_t VolumeToAttenuation(int percent);
// Level -1.0 .. 0.0 to hundredths of a decibel.
int32_t ToAttenuation(float level);
// Pan -1.0 (left) .. 1.0 (right) to -10000 .. 10000, limited to that range.
int32_t ToPan(float pan);
// (x - a) / (b - a); 0 with a check report when a equals b.
float InverseLerp(float a, float b, float x);

// ---- Texts, paths and versions -----------------------------------------------
// Splits the text into lines no wider than width pixels of the font and
// appends them to out; "\n" forces a break.
void WrapText(const IFontMeasure& font, int width, const char* text, CStringArray& out);
// Folder (up to the last separator, included), name, and extension (from the
// last '.' of the name, dot included).  Any out may be null.
void SplitPath(const char* path, CString* folder, CString* name, CString* extension);
// "." gives the base, an absolute path stays as it is, any other path is
// appended to the base and ends in a backslash.
CString MakeFullPath(const char* base, const char* path);
// Every character but digits, letters A-Z a-z, blank, '_', '!', '.' and '-'
// becomes '_'.
void MakeSafeFileName(CString& text);
// The first occurrence of the pattern replaced; without one the text as it is.
CString ReplaceString(const char* text, const char* pattern, const char* replacement);
CString ReplaceString2(const char* text, const char* pattern, int number);
// The value after "key ... =" replaced, keeping the key as written and a
// trailing comment with the blanks before it.
CString ReplaceConfigValue(const char* line, const char* key, const char* value);
// "1.2.3.4"; the lowest part is left out when it is 0 ("1.1.0").
CString VersionToText(uint32_t version);
CString GetGameVersionText();
// Value of a field of the media-information block ("#LANGUAGE#" gives
// "English"); empty for a key that is not there.
CString GetMediaInfoField(const char* key);
// Rebuilds the campaign list from every file of "Campaigns\".
void LoadCampaigns();

// ---- Map areas ----------------------------------------------------------------
// Kinds: 1 land (water level 7 or less), 2 water (7 or more), any other kind
// any level.  A block is free when it is on the map, not blocked or marked
// impassable, and holds no unit and no building.
// The n x n blocks from (x, y) are all free; false for a negative x or y,
// true for n below 1.
bool IsMapAreaFree(int x, int y, int n, int kind);
// Some w x h area around (x, y), tried nearest first over the whole-map
// disc, is free.  The place found is not reported.
bool HasFreeAreaNear(int x, int y, int w, int h, int kind);

// ---- Drawing ------------------------------------------------------------------
// Rectangles drawn through the vertex batch, in back-buffer pixels.
// A filled rectangle from the smaller to the larger corner: the pixels
// x0 <= x < x1, y0 <= y < y1.  A colour with an alpha byte (above 0xFFFFFF)
// is blended for this draw.  The texture of stage 0 is cleared.
void DrawBox(int32_t x0, int32_t y0, int32_t x1, int32_t y1, uint32_t colour);
// The outline (x0, y0), (x1, y0), (x1, y1), (x0, y1), (x0, y0) as a line
// strip, corners taken as given.
void DrawRect(int32_t x0, int32_t y0, int32_t x1, int32_t y1, uint32_t colour);

} // namespace GlobalFunc
