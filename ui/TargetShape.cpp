#include "ui/TargetShape.h"

#include "core/LineTargetModel.h"
#include "core/ReferenceTargetModel.h"

#include <algorithm>
#include <cmath>

namespace {

double distanceToSegment(QPointF p, QPointF a, QPointF b)
{
    const QPointF ab = b - a;
    const double lengthSquared = QPointF::dotProduct(ab, ab);
    const double t = lengthSquared > 0
                         ? std::clamp(QPointF::dotProduct(p - a, ab) / lengthSquared, 0.0, 1.0)
                         : 0.0;
    const QPointF d = p - (a + t * ab);
    return std::hypot(d.x(), d.y());
}

} // namespace

bool TargetShape::isReference(const TargetModel *target)
{
    return qobject_cast<const ReferenceTargetModel *>(target) != nullptr;
}

bool TargetShape::isLine(const TargetModel *target)
{
    return qobject_cast<const LineTargetModel *>(target) != nullptr;
}

int TargetShape::pointCount(const TargetModel *target)
{
    return target ? int(target->points().size()) : 0;
}

int TargetShape::edgeCount(const TargetModel *target)
{
    return target ? int(target->distances().size()) : 0;
}

bool TargetShape::nearPath(const QList<QPointF> &path, QPointF p, double tolerance)
{
    if (path.size() == 1)
        return distanceToSegment(p, path[0], path[0]) <= tolerance;
    for (qsizetype i = 1; i < path.size(); ++i)
        if (distanceToSegment(p, path[i - 1], path[i]) <= tolerance)
            return true;
    return false;
}
