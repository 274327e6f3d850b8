#include "ai/C_ComputerAI.h"

#include <algorithm>
#include <cstddef>

CComputerAI::CComputerAI() : m_PlayerIndex(-1), m_Frames(0), m_Dodge(DefaultDodge) {}

void CComputerAI::Init(int32_t playerIndex)
{
    m_PlayerIndex = playerIndex;
    m_Frames = 0;
    m_Dodge = DefaultDodge;
    m_Notices.clear();
}

void CComputerAI::SetDodgeValue(int32_t value)
{
    m_Dodge = std::clamp(value, 0, MostDodge);
}

void CComputerAI::DeleteAllBattlePlans() {}

void CComputerAI::FreeBattlePlans() {}

void CComputerAI::Run1Frame()
{
    ++m_Frames;
}

void CComputerAI::Record(ENotice kind, const void* object, const void* attacker, int32_t value)
{
    if (m_Notices.size() >= kMostNotices)
        m_Notices.erase(m_Notices.begin(), m_Notices.begin() + static_cast<std::ptrdiff_t>(kMostNotices / 2));
    m_Notices.push_back(SNotice{kind, object, attacker, value});
}

void CComputerAI::AddUnit(CUnit* unit)
{
    Record(ENotice::UnitAdded, unit, nullptr, 0);
}

void CComputerAI::OnUnitDied(CUnit* unit)
{
    Record(ENotice::UnitDied, unit, nullptr, 0);
}

void CComputerAI::OnBuildingDestroyed(CBuilding* building)
{
    Record(ENotice::BuildingDestroyed, building, nullptr, 0);
}

void CComputerAI::RemoveFromBuildQueue(CBuilding* building)
{
    Record(ENotice::BuildQueueRemoval, building, nullptr, 0);
}

void CComputerAI::RemoveFromKindLists(int32_t technologyId)
{
    Record(ENotice::TechnologyResearched, nullptr, nullptr, technologyId);
}

void CComputerAI::RecordAttackPosition(int32_t position)
{
    Record(ENotice::AttackPosition, nullptr, nullptr, position);
}

void CComputerAI::RecordAttackPosition(CUnit* worker, int32_t pathLength)
{
    Record(ENotice::AttackPosition, worker, nullptr, pathLength);
}

void CComputerAI::OnBeingAttacked(const void* attacked, CUnit* attacker)
{
    Record(ENotice::BeingAttacked, attacked, attacker, 0);
}

void CComputerAI::OnObjectDestroyed(CUnit* unit)
{
    Record(ENotice::ObjectDestroyed, unit, nullptr, 0);
}

void CComputerAI::OnObjectDestroyed(CBuilding* building)
{
    Record(ENotice::ObjectDestroyed, building, nullptr, 0);
}

void CComputerAI::OnUnitOrderDone(CUnit* unit)
{
    Record(ENotice::OrderDone, unit, nullptr, 0);
}

void CComputerAI::SaveGame(CSaveStream& stream) const
{
    (void)stream;
}

void CComputerAI::LoadGame(CSaveStream& stream)
{
    (void)stream;
}
