// The unit log: what a developer needs to see of a unit that broke a rule of
// the simulation, written as plain log lines (only while logging is on).

#include <cstdint>
#include <string>

#include "buildings/C_Building.h"
#include "core/C_LogFile.h"
#include "units/C_Unit.h"

namespace
{
// Objects are named in the log by their address, as a number.
std::string Identity(const void* object)
{
    return std::to_string(reinterpret_cast<uintptr_t>(object));
}

void WriteLine(const std::string& line)
{
    g_Log.Write(line.c_str());
}
}  // namespace

void CUnit::WriteLog() const
{
    WriteLine("#DEBUG: unit log - START");
    WriteLine("This*=" + Identity(this));
    WriteLine("PlayerID=" + std::to_string(player));
    WriteLine("Pos=" + std::to_string(static_cast<int32_t>(centreX)) + "," +
              std::to_string(static_cast<int32_t>(centreY)));
    WriteLine("CastID=" + std::to_string(GetCastID()));
    WriteLine(std::string("CastName=") + GetCastName());
    WriteLine("Actionbuffer.UnitCommand=" + std::to_string(currentCommand));
    std::string unitLine = "Actionbuffer.unit=" + Identity(targetUnit);
    if (targetUnit != nullptr)
        unitLine += std::string("  - ") + targetUnit->GetCastName();
    WriteLine(unitLine);
    std::string buildingLine = "Actionbuffer.building=" + Identity(targetBuilding);
    if (targetBuilding != nullptr)
        buildingLine += std::string("  - ") + targetBuilding->GetName();
    WriteLine(buildingLine);
    WriteLine("Actionbuffer.resource=" + Identity(targetObject));
    WriteLine("move.waypointnum=" + std::to_string(waypointCount));
    if (targetUnit != nullptr)
        WriteLine("-- ActionUnit Log --");
    if (targetBuilding != nullptr)
    {
        WriteLine("-- ActionBuilding Log --");
        targetBuilding->WriteLog();
    }
    WriteLine("#DEBUG: unit log - END");
}
