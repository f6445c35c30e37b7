#include "ui/TargetHitTest.h"

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

bool TargetHitTest::nearPath(const QList<QPointF> &path, QPointF p, double tolerance)
{
    if (path.size() == 1)
        return distanceToSegment(p, path[0], path[0]) <= tolerance;
    for (qsizetype i = 1; i < path.size(); ++i)
        if (distanceToSegment(p, path[i - 1], path[i]) <= tolerance)
            return true;
    return false;
}
