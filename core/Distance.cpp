#include "core/Distance.h"

#include <cmath>

namespace {
QPointF projected(const Calculator::Matrix3x3 &m, QPointF p)
{
    const double w = m.m31 * p.x() + m.m32 * p.y() + m.m33;
    return {(m.m11 * p.x() + m.m12 * p.y() + m.m13) / w,
            (m.m21 * p.x() + m.m22 * p.y() + m.m23) / w};
}
} // namespace

void Distance::recalculate(const Calculator::Matrix3x3 &matrix)
{
    const QPointF a = projected(matrix, from);
    const QPointF b = projected(matrix, to);
    distance = std::hypot(a.x() - b.x(), a.y() - b.y());
}
