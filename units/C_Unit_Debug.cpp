// The unit debug panel: the state of the first selected unit, one line per
// 20 pixels, while the configuration's debug mode and the controller's
// unit-debug display are on.  The unit log is in C_Unit_Log.cpp.

#include <cstdint>
#include <string>
#include <vector>

#include "buildings/C_Building.h"
#include "media/C_2DFont.h"
#include "units/C_Unit.h"
#include "units/C_UnitActionBuffer.h"

namespace
{
constexpr int DebugFont = 1;
constexpr uint32_t White = 0xFFFFFF;
constexpr int32_t UnitColumnX = 270;
constexpr int32_t MultiplayerColumnX = 650;
constexpr int32_t LineHeight = 20;

std::string Number(int64_t value)
{
    return std::to_string(value);
}

std::string Pair(int32_t a, int32_t b)
{
    return Number(a) + "," + Number(b);
}

// Objects are shown by their address as a number, 0 for none.
std::string Reference(const void* object)
{
    return std::to_string(reinterpret_cast<uintptr_t>(object));
}

const char* AnimationLabel(int32_t animation)
{
    switch (animation)
    {
    case ANIM_STAND: return "Stand";
    case ANIM_WALK: return "Walk";
    case ANIM_ATTACK: return "Attack";
    case ANIM_DIE: return "Die";
    case ANIM_CORPSE: return "Corpse";
    case ANIM_CHOP_TREE: return "Chop tree";
    case ANIM_MINE_GOLD: return "Mine gold";
    case ANIM_MINE_STONE: return "Mine stone";
    case ANIM_BUILD: return "Build";
    case ANIM_REPAIR: return "Repair";
    case ANIM_RELOAD: return "Reload";
    case ANIM_SPELL: return "Spell";
    default: return "--Unknown--";
    }
}

std::string CommandText(int32_t command)
{
    const char* label = CUnitActionBuffer::CommandLabel(command);
    return label != nullptr ? std::string(label) : "Other command = " + Number(command);
}

std::string TargetKindText(int32_t kind)
{
    const char* label = CUnitActionBuffer::TargetKindLabel(kind);
    return label != nullptr ? std::string(label) : Number(kind);
}

// Lines of one column, 20 pixels apart from the top.
class CColumn
{
public:
    CColumn(std::vector<CUnit::SDebugLine>& lines, int32_t x) : m_Lines(lines), m_X(x) {}

    CColumn& operator<<(const std::string& text)
    {
        m_Lines.push_back({m_X, m_Y, CString(text.c_str())});
        m_Y += LineHeight;
        return *this;
    }

private:
    std::vector<CUnit::SDebugLine>& m_Lines;
    int32_t m_X;
    int32_t m_Y = 0;
};
} // namespace

std::vector<CUnit::SDebugLine> CUnit::GetDebugLines() const
{
    std::vector<SDebugLine> lines;
    CColumn unit(lines, UnitColumnX);
    unit << "---===( UNIT General )===---" << "Pos:" + Pair(x, y) << (pathFlag != 0 ? "Moving" : "Not moving")
         << "Formation offest:" + Pair(formationOffsetX, formationOffsetY);

    unit << "---===( Current move )===---" << "Move step num:" + Number(routeEnd)
         << "Current move step:" + Number(currentStep) << "Move destination:" + Pair(moveDestX, moveDestY)
         << "Move count:" + Number(stepTicks) << "Move timeout:" + Number(retryCounter);

    std::string unitTarget = "Unit:" + Reference(targetUnit);
    if (targetUnit != nullptr)
        unitTarget += std::string(" - ") + targetUnit->GetCastName();
    unit << "---===( Action buffer )===---" << "Block:" + Pair(targetX, targetY)
         << "Buffer state:" + Number(orderState) << std::string("Last order:") + CUnitActionBuffer::LastOrderLabel(lastOrder)
         << "Defense block:" + Pair(returnX, returnY) << "Current command:" + CommandText(currentCommand)
         << (ready != 0 ? "Enabled" : "Disabled") << (threaded != 0 ? "Threaded move" : "Manual move")
         << (ranged != 0 ? "Ranged action" : "Close action") << "Building:" + Reference(targetBuilding)
         << "Resource:" + Reference(targetObject) << unitTarget << "Target type:" + TargetKindText(targetKind)
         << "Timeout:" + Number(deadline);

    unit << "---===( Animation )===---" << std::string("Anim type:") + AnimationLabel(animType)
         << "Model:" + Number(model) << "Frame:" + Number(int32_t(animFrame)) << "Direction:" + Number(facing);

    // Without a target building only the "," of its position follows.
    std::string building = "Target building:" + Reference(actionTargetBuilding) + " pos=";
    building += actionTargetBuilding != nullptr ? Pair(actionTargetBuilding->x, actionTargetBuilding->y) : ",";
    unit << "---===( Target )===---" << "Target unit:" + Reference(actionTargetUnit) << building
         << "Attacker:" + Reference(attacker) << "Energy:" + Number(int32_t(health)) + "%"
         << "Starving:" + Number(int32_t(starvation)) + "%" << "Waypoints:" + Number(waypointCount)
         << "Custom ai data:" + Number(scriptWatcher);

    CColumn multiplayer(lines, MultiplayerColumnX);
    multiplayer << "---===( Multiplayer )===---" << "Unit refid:" + Number(networkRef)
                << "Unique id:" + Number(uniqueId);
    return lines;
}

void CUnit::RenderDebugInfo() const
{
    C2DFont* font = GetGlobalFont(DebugFont);
    if (font == nullptr)
        return;
    for (const SDebugLine& line : GetDebugLines())
        font->Print(line.x, line.y, line.text, White, C2DFont::AlignLeft);
}
