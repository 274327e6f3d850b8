#include "buildings/C_BuildingDecoration.h"

#include "buildings/C_BuildingCastTable.h"
#include "buildings/C_BuildingDraw.h"
#include "core/GlobalFunc.h"
#include "effects/C_Particles.h"
#include "media/C_ModelRecord.h"
#include "media/C_SaveReader.h"
#include "media/C_SaveWriter.h"
#include "world/C_GameMap.h"

namespace
{
constexpr const char* DecorationRefusalPrefix = "Decoration refused: ";
constexpr int32_t ChestSample = 254;
constexpr int32_t LeverSample = 253;
constexpr int32_t ChestFlares = 30;
constexpr int32_t FlareHeightRange = 30;
constexpr int32_t FullTurn = 360;
constexpr float FlareSize = 0.1f;
constexpr float FlareRise = 0.02f;
constexpr float FlareGrowth = 1.08f;
constexpr uint32_t FlareColour = 0xFFFF00;
constexpr int32_t NeutralColour = 0;
// Animation speeds must stay within a model's reach.
constexpr float MostSpeed = 1000.0f;

struct SDecorationClassTraits
{
    const char* name;
    int32_t hitDebris[2];
    int32_t drawClass;
    int32_t castsShadow;
};

// In the order of DecorationClass.
const SDecorationClassTraits ClassTraits[] = {
    {"Decoration", {0, 0}, 2, 1},     {"Mill", {4, 1}, 2, 1},  {"Branch", {0, 2}, 2, 1},
    {"Ruins", {4, 0}, 2, 1},          {"Statue", {4, 0}, 2, 1}, {"Grave", {2, 0}, 2, 1},
    {"Torch", {0, 0}, 2, 1},          {"Gate", {4, 1}, 1, 1},   {"Cave entrance", {5, 0}, 2, 1},
    {"CaveWall", {5, 0}, 1, 0},       {"Fountain", {4, 0}, 2, 1}, {"Column", {4, 0}, 2, 1},
    {"Ally", {4, 0}, 2, 1},
};

const SDecorationClassTraits& TraitsOf(DecorationClass decorationClass)
{
    return ClassTraits[static_cast<int32_t>(decorationClass)];
}
}  // namespace

CDecoration::CDecoration(int32_t kind) : CDecoration(kind, DecorationClass::Plain) {}

CDecoration::CDecoration(int32_t kind, DecorationClass decorationClass)
    : CBuilding(-1, -1, -1), decorationKind(kind), m_Class(decorationClass)
{
    const SDecorationKindRow* row = CBuildingDecorationKinds::Find(kind);
    if (row != nullptr)
        model = row->model;
}

const SDecorationKindRow* CDecoration::OwnRow() const
{
    const SDecorationKindRow* row = CBuildingDecorationKinds::Find(GetDecorationKind());
    return row != nullptr && row->decorationClass == m_Class ? row : nullptr;
}

const char* CDecoration::GetName() const
{
    return TraitsOf(m_Class).name;
}

int32_t CDecoration::GetWidth() const
{
    const SDecorationKindRow* row = OwnRow();
    return row != nullptr ? row->width : 0;
}

int32_t CDecoration::GetDepth() const
{
    const SDecorationKindRow* row = OwnRow();
    return row != nullptr ? row->depth : 0;
}

int32_t CDecoration::GetBuildCast() const
{
    return CastDecoration;
}

int32_t CDecoration::GetDrawClass() const
{
    return TraitsOf(m_Class).drawClass;
}

void CDecoration::GetHitDebris(int32_t* first, int32_t* second) const
{
    *first = TraitsOf(m_Class).hitDebris[0];
    *second = TraitsOf(m_Class).hitDebris[1];
}

const char* CDecoration::GetFootprintMask() const
{
    const SDecorationKindRow* row = OwnRow();
    return row != nullptr ? row->mask : "";
}

int32_t CDecoration::CastsShadow() const
{
    return TraitsOf(m_Class).castsShadow;
}

int32_t CDecoration::GetModelFrameCount() const
{
    const CModelRecord* record = GetTypeInfo();
    const int32_t frames = record != nullptr ? record->GetFrameCount() : 0;
    return frames > 0 ? frames : 1;
}

void CDecoration::Trigger(int32_t code)
{
    if (!IsPlain())
        return;
    if (decorationKind == ChestKind && code == 1)
        OpenChest();
    if (decorationKind == LeverKind && (code == 1 || code == 2))
    {
        animSpeed = code == 1 ? 1.0f : -1.0f;
        loop = 0;
        PlaySound(LeverSample, 1, false);
    }
}

// The lid opens once: a second trigger bursts the flares again but does
// not reset the frame.
void CDecoration::OpenChest()
{
    animSpeed = 1.0f;
    loop = 0;
    model = OpenChestModel;
    PlaySound(ChestSample, 1, false);
    const bool hidden = !IsVisibleToLocalPlayer();
    const float centreX = static_cast<float>(x) + static_cast<float>(GetWidth()) * 0.5f;
    const float centreY = static_cast<float>(y) + static_cast<float>(GetDepth()) * 0.5f;
    const float ground = g_GameMap.GetHeight(centreX, centreY);
    for (int32_t i = 0; i < ChestFlares; ++i)
    {
        const float height = ground + static_cast<float>(GlobalFunc::Random(FlareHeightRange));
        const auto angle = static_cast<float>(GlobalFunc::Random(FullTurn));
        g_Particles.AddFlare(hidden, centreX, height, centreY, FlareSize, angle, FlareRise, FlareGrowth, FlareColour);
    }
}

bool CDecoration::Animate(float elapsed)
{
    if (!IsPlain() || animSpeed == 0.0f)
        return true;
    animTime += elapsed * animSpeed;
    const auto frames = static_cast<float>(GetModelFrameCount());
    if (animSpeed > 0.0f && animTime >= frames)
    {
        animTime = loop ? 0.0f : frames - 1.0f;
        if (!loop)
            animSpeed = 0.0f;
    }
    else if (animSpeed < 0.0f && animTime < 0.0f)
    {
        animTime = loop ? frames - 1.0f : 0.0f;
        if (!loop)
            animSpeed = 0.0f;
    }
    return true;
}

void CDecoration::Render(float collapse)
{
    (void)collapse;
    if (!g_GameMap.IsOnMap(x, y))
        return;
    if (CModelRecord* record = GetTypeInfo())
        SetDrawLooks(*record, NeutralColour);
    const auto left = static_cast<float>(x);
    const auto top = static_cast<float>(y);
    CBuildingDraw::DrawModel(model, static_cast<int32_t>(animTime), left, top, g_GameMap.GetHeight(left, top), 0.0f);
}

void CDecoration::SaveGameExtra(CSaveStream& stream, const CObjectReferences& references) const
{
    (void)references;
    if (!IsPlain())
        return;
    CSaveWriter out(stream);
    out.I32(decorationKind);
    out.F32(animSpeed);
    out.Flag(loop != 0);
}

bool CDecoration::LoadGameExtra(CSaveStream& stream, const CObjectReferences& references)
{
    (void)references;
    if (!IsPlain())
        return true;
    CSaveReader in(stream, DecorationRefusalPrefix);
    const int32_t kind = in.I32();
    const float speed = in.F32();
    uint8_t looping = 0;
    in.Flag(looping);
    if (!in.Finish())
        return false;
    // The factory made the decoration from its saved kind.
    if (kind != decorationKind)
        return in.Refuse("a decoration kind that does not match the decoration");
    if (!(speed >= -MostSpeed && speed <= MostSpeed))
        return in.Refuse("an animation speed out of range");
    animSpeed = speed;
    loop = looping;
    return true;
}
