#pragma once
// One animated 3-D model: V vertices with a position and a normal in each of
// N animation frames, F textured triangles, the caller's textures, and G
// groups (eight-cornered boxes by which a model part is picked).  Animation
// is frame selection: every drawing operation takes a whole frame number.
//
// A draw is a pair of calls chosen by the USEHWTNL= setting: a SetHWTNL...
// transform then RenderVXBuffer (all frames live in one vertex buffer, frame
// f's triangles from vertex 3 x F x f), or the matching CPU transform then
// Render (triangles culled on the CPU and sent through the vertex batch).
// Positions are world units; vertices and the world matrix get them x 0.02.
// Matrices are 3 x 3, row after row, for row vectors (p x M).
//
// Model files (".okm") are checked whole before anything is allocated: a
// missing or damaged file is logged and leaves the model empty (no vertex
// buffer; drawing and picking it do nothing), with the textures the caller
// asked for, so that its texture loads still work.  Main thread only.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

class CTexture;
class SysDevice3DVertexBuffer;

class C3DObject
{
public:
    struct SVector
    {
        float x, y, z;
    };

    struct SFrame
    {
        std::vector<SVector> positions;  // V points, world units
        std::vector<SVector> normals;    // V vectors
    };

    struct SFace
    {
        int32_t a, b, c;          // vertex indices
        float uv[3][2];           // (u, v) of corners a, b, c
        uint8_t textureNumber;    // kept from the file; drawing uses `currentTexture`
    };

    struct SGroup
    {
        int32_t quads[6][4];  // the box's faces, four corner vertices each, in winding order
        int32_t corners[8];   // corner k is vertex corners[0] + k
        float boxMin[3];
        float boxMax[3];
    };

    // Vertex-buffer vertex: position x 0.02, colour 0xAARRGGBB, (u, v).
    static constexpr uint32_t VertexBytes = 24;
    static constexpr float WorldScale = 0.02f;
    // The CPU path sends at most this many triangles to the vertex batch in
    // one draw (the batch holds 12288 vertices); larger models go in chunks.
    static constexpr int32_t MaxFacesPerBatch = 4096;
    static constexpr int32_t ShadingTableSize = 512;
    static constexpr int32_t NoObjectAlpha = -1;
    static constexpr uint32_t NoColourKey = 0xFFFFFFFF;
    // The damage tint clears the top three bits of green and blue.
    static constexpr uint32_t DamageTintMask = 0xFFFF1F1F;

    C3DObject();
    ~C3DObject();
    C3DObject(const C3DObject&) = delete;
    C3DObject& operator=(const C3DObject&) = delete;

    // ---- Files, textures, scale (C_3DObject.cpp) ------------------------------
    // Reads a model file through the data files and creates `textureCount`
    // empty textures.  False when the file is missing or damaged (the model
    // is then empty).
    bool Load(const char* fileName, int32_t textureCount);
    // The same from the bytes of a model file; `name` is for the log.
    bool LoadFromMemory(const uint8_t* data, size_t size, const char* name, int32_t textureCount);
    bool LoadTexture(int32_t index, const char* fileName);
    bool SetTextureFromMem(int32_t index, int32_t width, int32_t height, const uint32_t* pixels);
    // Multiplies every frame's positions and the group boxes by `factor`.
    void Scale(float factor);
    // Largest distance of a vertex of the frame from the origin; `out` gets
    // the largest absolute x, y and z.  0 for a frame the model lacks.
    float GetExtents(int32_t frame, float out[3]) const;
    void Release();

    bool IsEmpty() const { return vertexCount == 0 || faceCount == 0; }

    // ---- Transforms and drawing (C_3DObject_Draw.cpp) -------------------------
    // Hardware path: world matrix, colours (and texture coordinates) of the
    // frame's range of the vertex buffer, group corners of frame 0.
    void SetHWTNLTransform(int32_t frame, float x, float y, float z, const float (&r)[9], const float (&v)[9]);
    void SetHWTNLTransformNoShade(int32_t frame, float x, float y, float z, const float (&r)[9], const float (&v)[9]);
    void SetHWTNLTransformNoShadeUVScroll(int32_t frame, float x, float y, float z, const float (&r)[9],
                                          const float (&v)[9], float du, float dv);
    void SetHWTNLSimpleTransform(int32_t frame, float x, float y, float z, const float (&m)[9]);
    void SetHWTNLSimpleTransformNoShade(int32_t frame, float x, float y, float z, float m0, float m1, float m2,
                                        float m3, float m4, float m5, float m6, float m7, float m8);
    void RenderVXBuffer(int32_t frame);

    // CPU path: `transformed` and `colours` of the frame (only the group
    // corners while hardware transform is on, except the sheared variant).
    void Transform(int32_t frame, const float (&r)[9], const float (&v)[9]);
    void TransformNoShade(int32_t frame, const float (&r)[9], const float (&v)[9]);
    void SimpleTransform(int32_t frame, float m0, float m1, float m2, float m3, float m4, float m5, float m6,
                         float m7, float m8);
    void SimpleTransformSheared(int32_t frame, float m0, float m1, float m2, float m3, float m4, float m5,
                                float m6, float m7, float m8, float a, float b);
    void SimpleTransformNoShade(int32_t frame, float m0, float m1, float m2, float m3, float m4, float m5,
                                float m6, float m7, float m8);
    void Render(float x, float y, float z);

    // ---- Picking (C_3DObject_Pick.cpp) -----------------------------------------
    // Screen rectangle of a group's corners (`transformed` + (x, y, z)) on the
    // virtual 1024 x 768 screen.  A group the model lacks, or a corner at or
    // behind the camera plane, gives an empty rectangle (topLeft larger than
    // bottomRight on both axes, overlapping nothing) and false.
    bool GetGroupScreenRect(float x, float y, float z, int32_t group, int32_t topLeft[2],
                            int32_t bottomRight[2]) const;
    // The whole model's screen rectangle: every group's corners, which both
    // drawing paths keep; empty and false without groups or with a corner
    // at or behind the camera.
    bool GetScreenRect(float x, float y, float z, int32_t topLeft[2], int32_t bottomRight[2]) const;
    // The software path's rectangle of what it draws: every vertex of the
    // last CPU transform.  With hardware transform on only the corners were
    // moved, so it is GetScreenRect's.
    bool GetScreenRectEx(float x, float y, float z, int32_t topLeft[2], int32_t bottomRight[2]) const;
    // True when the mouse point lies on a front-facing face of the group's
    // box on the screen; false when a corner is at or behind the camera.
    bool HitTestGroup(float x, float y, float z, int32_t group, int32_t mouseX, int32_t mouseY) const;

    // Entry i of the shading table shared by all models (i limited to 0..511).
    static uint32_t ShadingEntry(int32_t i);

    std::unique_ptr<SysDevice3DVertexBuffer> vertexBuffer;
    int32_t vertexCount;
    int32_t faceCount;
    int32_t frameCount;
    int32_t groupCount;
    std::vector<SFrame> frames;
    std::vector<SVector> transformed;
    std::vector<uint32_t> colours;
    std::vector<SGroup> groups;
    std::vector<SFace> faces;
    int32_t textureCount;
    std::unique_ptr<CTexture[]> textures;
    int32_t currentTexture;
    float extents[3];
    int32_t alpha;
    uint32_t colourKey;
    uint32_t playerColour;
    int32_t objectAlpha;
    float lightDir[3];
    float brightness;
    int32_t damageStride;
    float uOffset;
    float vOffset;

private:
    struct SLoadedModel;
    // Null when the file is sound, else why it is refused.
    static const char* ParseFile(const uint8_t* data, size_t size, SLoadedModel& out);
    static float MeasureExtents(const std::vector<SVector>& positions, float out[3]);
    bool Adopt(SLoadedModel& model, int32_t textureCount);
    void CreateTextures(int32_t count);
    void WriteVertexBuffer();
    bool PrepareTexture(int32_t index);

    // Drawing helpers (C_3DObject_Draw.cpp).
    bool IsDrawableFrame(int32_t frame);
    void SetWorldMatrix(const char* label, const float (&m)[9], float x, float y, float z);
    void ShadeLit(int32_t frame, const float light[3], bool tintDamage);
    void ShadeFlat();
    void AddObjectAlpha();
    void WriteFrameColours(const char* lockLabel, const char* unlockLabel, int32_t frame, bool scrollUV, float du,
                           float dv);
    void TransformPoints(int32_t frame, const float (&m)[9], bool cornersOnly);
    void TransformGroupCorners(const float (&m)[9]);
    void TransformAllOrCorners(int32_t frame, const float (&m)[9]);
    void SetModelTexture();
    bool SetDrawStates(const char* const labels[6]);
    void RestoreDrawStates(const char* const labels[6], bool blending);
    void EmitVisibleFaces(float x, float y, float z);

    // Logged once per load: a frame number the model does not have.
    bool m_BadFrameReported;
    // The last CPU transform was for a frame the model has.
    bool m_TransformValid;
};
