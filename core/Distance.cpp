#include "core/Distance.h"

#include <cmath>

std::optional<QPointF> Distance::planePoint(const Calculator::Matrix3x3 &m, QPointF p)
{
    const double w = m.m31 * p.x() + m.m32 * p.y() + m.m33;
    // Written so that a NaN W is refused as well.
    if (!(w > 0))
        return std::nullopt;
    const QPointF onPlane((m.m11 * p.x() + m.m12 * p.y() + m.m13) / w,
                          (m.m21 * p.x() + m.m22 * p.y() + m.m23) / w);
    if (!std::isfinite(onPlane.x()) || !std::isfinite(onPlane.y()))
        return std::nullopt;
    return onPlane;
}

void Distance::recalculate(const Calculator::Matrix3x3 &matrix)
{
    const std::optional<QPointF> a = planePoint(matrix, from);
    const std::optional<QPointF> b = planePoint(matrix, to);
    distance = a && b ? std::hypot(a->x() - b->x(), a->y() - b->y()) : noLength;
    if (!std::isfinite(distance))
        distance = noLength;
}
