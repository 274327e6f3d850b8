#include "ai/C_Script.h"

#include <cstddef>

#include "core/C_File.h"

CScript::CScript() : m_PlayerIndex(-1), m_Compiled(false) {}

void CScript::Reset()
{
    m_Compiled = false;
    m_Events.clear();
}

void CScript::Init(int32_t playerIndex)
{
    m_PlayerIndex = playerIndex;
}

bool CScript::CompileFile(const char* fileName, CString& errorText)
{
    CFile file;
    m_Compiled = fileName != nullptr && (file.OpenRead(fileName) || file.OpenReadDisk(fileName));
    if (!m_Compiled)
        errorText = CString(fileName ? fileName : "") + ": cannot open the script file";
    file.Close();
    return m_Compiled;
}

void CScript::Record(EEvent kind, int32_t a, int32_t b, int32_t c, const void* object)
{
    if (m_Events.size() >= kMostEvents)
        m_Events.erase(m_Events.begin(), m_Events.begin() + static_cast<std::ptrdiff_t>(kMostEvents / 2));
    m_Events.push_back(SEvent{kind, {a, b, c}, object});
}

void CScript::OnUnitDied(int32_t scriptTag)
{
    Record(EEvent::UnitDied, scriptTag, 0, 0, nullptr);
}

void CScript::OnBuildingDestroyed(int32_t scriptTag)
{
    Record(EEvent::BuildingDestroyed, scriptTag, 0, 0, nullptr);
}

void CScript::OnBuildingBuilt(int32_t cast)
{
    Record(EEvent::BuildingBuilt, cast, 0, 0, nullptr);
}

void CScript::OnBuildingInRange(int32_t cast, int32_t x, int32_t y)
{
    Record(EEvent::BuildingInRange, cast, x, y, nullptr);
}

void CScript::OnBuildingInRegion(int32_t cast, int32_t regionId)
{
    Record(EEvent::BuildingInRegion, cast, regionId, 0, nullptr);
}

void CScript::OnUnitConverted(CUnit* unit)
{
    Record(EEvent::UnitConverted, 0, 0, 0, unit);
}

void CScript::OnBuildingConverted(CBuilding* building)
{
    Record(EEvent::BuildingConverted, 0, 0, 0, building);
}

void CScript::OnUnitTrained(int32_t unitType)
{
    Record(EEvent::UnitTrained, unitType, 0, 0, nullptr);
}

void CScript::OnTechnologyResearched(int32_t technologyId)
{
    Record(EEvent::TechnologyResearched, technologyId, 0, 0, nullptr);
}

void CScript::OnUnitAttacked(int32_t specialId)
{
    Record(EEvent::UnitAttacked, specialId, 0, 0, nullptr);
}

void CScript::OnBuildingAttacked(int32_t scriptId)
{
    Record(EEvent::BuildingAttacked, scriptId, 0, 0, nullptr);
}

void CScript::CheckUnitPosition(CUnit* unit, int32_t cellX, int32_t cellY)
{
    Record(EEvent::UnitPosition, cellX, cellY, 0, unit);
}

void CScript::SaveGame(CSaveStream& stream) const
{
    (void)stream;
}

void CScript::LoadGame(CSaveStream& stream)
{
    (void)stream;
}
