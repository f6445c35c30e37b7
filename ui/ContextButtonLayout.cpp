#include "ui/ContextButtonLayout.h"

#include "ui/PictureMapping.h"

#include <QRectF>

#include <cmath>

namespace {

QPointF centroid(const QList<QPointF> &points)
{
    QPointF sum;
    for (const QPointF &p : points)
        sum += p;
    return sum / double(points.size());
}

// Left and top edges inside, right and bottom edges outside.
bool inArea(QPointF p, QSizeF viewSize)
{
    return p.x() >= 0 && p.y() >= 0 && p.x() < viewSize.width() && p.y() < viewSize.height();
}

} // namespace

QPointF ContextButtonLayout::position(const QList<QPointF> &points, bool isLine, QSizeF imageSize,
                                      QSizeF viewSize)
{
    if (points.isEmpty())
        return {};
    const QPointF c = PictureMapping::viewPoint(centroid(points), imageSize, viewSize);
    if (!isLine || points.size() != 2)
        return c;
    const QPointF d = points[0] - points[1];
    const double length = std::hypot(d.x(), d.y());
    // A line of no length has no normal; its button sits on it.
    if (length == 0)
        return c;
    const QPointF n(-d.y() / length, d.x() / length);
    for (const QPointF candidate : {c + size() * n, c - size() * n})
        if (inArea(candidate, viewSize))
            return candidate;
    // Both sides leave the area (the middle is off screen, or the area is thinner than two
    // buttons): the middle itself is the best remaining place.
    return c;
}
