#include "ui/TargetPoint.h"

void TargetPoint::setTarget(TargetModel *target)
{
    if (target == m_target)
        return;
    disconnect(m_connection);
    m_target = target;
    if (target)
        m_connection = connect(target, &TargetModel::pointsChanged, this, &TargetPoint::update);
    Q_EMIT targetChanged();
    update();
}

void TargetPoint::setIndex(int index)
{
    if (index == m_index)
        return;
    m_index = index;
    Q_EMIT indexChanged();
    update();
}

void TargetPoint::update()
{
    const QPointF point = m_target && m_index >= 0 && m_index < m_target->points().size()
                              ? m_target->points()[m_index]
                              : QPointF();
    if (point == m_point)
        return;
    m_point = point;
    Q_EMIT pointChanged();
}
