// Feeds arbitrary bytes to the model reader as the content of a model file;
// a model it accepts is transformed by both families, scaled, measured and
// picked group by group (no drawing device: nothing reaches the screen).

#include <cstddef>
#include <cstdint>

#include "media/C_3DObject.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const float identity[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
    C3DObject model;
    if (!model.LoadFromMemory(data, size, "fuzz.okm", 1))
        return 0;
    for (int32_t frame = -1; frame <= model.frameCount; ++frame)
    {
        model.Transform(frame, identity, identity);
        model.SimpleTransformSheared(frame, 1, 0, 0, 0, 1, 0, 0, 0, 1, 0.5f, 0.25f);
        model.SetHWTNLTransform(frame, 0, 0, 100, identity, identity);
    }
    model.brightness = 7.0f;
    model.damageStride = 3;
    model.Transform(0, identity, identity);
    model.Scale(1.5f);
    float extents[3];
    volatile float radius = model.GetExtents(0, extents);
    (void)radius;
    for (int32_t group = -1; group <= model.groupCount; ++group)
    {
        int32_t topLeft[2], bottomRight[2];
        model.GetGroupScreenRect(0, 0, 50, group, topLeft, bottomRight);
        volatile bool hit = model.HitTestGroup(0, 0, 50, group, 512, 384);
        (void)hit;
    }
    return 0;
}
