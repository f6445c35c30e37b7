#include "core/ProjectiveManager.h"

#include "core/TargetModel.h"

ProjectiveManager &ProjectiveManager::shared()
{
    // Function-local statics are initialised once, also under concurrent first use.
    static ProjectiveManager manager;
    return manager;
}

std::optional<Calculator::Matrix3x3>
ProjectiveManager::projectiveMatrix(const TargetModel &target) const
{
    const QList<QPointF> &points = target.points();
    if (points.size() < 4)
        qFatal("ProjectiveManager: the reference card has %lld points, needs 4",
               static_cast<long long>(points.size()));
    return projectiveMatrix({points[0], points[1], points[2], points[3]});
}

std::optional<Calculator::Matrix3x3>
ProjectiveManager::projectiveMatrix(const Calculator::Quadrilateral &corners) const
{
    return m_calculator.projectionMatrix(corners, cardOutline);
}
