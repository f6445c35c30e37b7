#include "ui/TargetEdge.h"

void TargetEdge::setTarget(TargetModel *target)
{
    if (target == m_target)
        return;
    disconnect(m_connection);
    m_target = target;
    if (target)
        m_connection = connect(target, &TargetModel::distancesChanged, this, &TargetEdge::update);
    Q_EMIT targetChanged();
    update();
}

void TargetEdge::setIndex(int index)
{
    if (index == m_index)
        return;
    m_index = index;
    Q_EMIT indexChanged();
    update();
}

void TargetEdge::update()
{
    const Distance distance = m_target && m_index >= 0 && m_index < m_target->distances().size()
                                  ? m_target->distances()[m_index]
                                  : Distance();
    if (distance == m_distance)
        return;
    m_distance = distance;
    Q_EMIT distanceChanged();
}
