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
    auto matrix = m_calculator.projectionMatrix(corners, cardOutline);
    if (!matrix)
        return matrix;
    // A homography and its negative map every point alike, but only one of them has W > 0 on
    // the card, which is how a length tells the card's side of the horizon from the other.
    // W is affine in the point, so its value at the corners' centre is their mean.
    QPointF centre;
    for (const QPointF &corner : corners)
        centre += corner / 4;
    if (matrix->m31 * centre.x() + matrix->m32 * centre.y() + matrix->m33 < 0)
        matrix = matrix->divided(-1);
    return matrix;
}
