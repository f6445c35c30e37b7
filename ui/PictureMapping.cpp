#include "ui/PictureMapping.h"

#include "core/ReferenceTargetModel.h"
#include "core/TargetModel.h"

#include <QHash>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

double PictureMapping::fillScale(QSizeF imageSize, QSizeF viewSize)
{
    return std::min(imageSize.width() / viewSize.width(), imageSize.height() / viewSize.height());
}

double PictureMapping::exportScale(QSizeF imageSize, QSizeF viewSize)
{
    constexpr double largestSide = 8192; // what every GPU takes as a texture
    const double scale = fillScale(imageSize, viewSize);
    const double limit = largestSide / std::max(viewSize.width(), viewSize.height());
    if (!std::isfinite(scale) || !std::isfinite(limit) || limit < 1)
        return 1;
    return std::clamp(scale, 1.0, limit);
}

QPointF PictureMapping::viewPoint(QPointF imagePoint, QSizeF imageSize, QSizeF viewSize)
{
    const double s = fillScale(imageSize, viewSize);
    const double ox = (viewSize.width() - imageSize.width() / s) * 0.5;
    const double oy = (viewSize.height() - imageSize.height() / s) * 0.5;
    return {imagePoint.x() / s + ox, imagePoint.y() / s + oy};
}

QPointF PictureMapping::imagePoint(QPointF viewPoint, QSizeF imageSize, QSizeF viewSize)
{
    // The target models move points with this same arithmetic; one definition keeps a dragged
    // point exactly under the finger.
    return TargetModel::imagePoint(viewPoint, imageSize, viewSize);
}

QRectF PictureMapping::visibleRect(QSizeF imageSize, QSizeF viewSize)
{
    return {imagePoint(QPointF(0, 0), imageSize, viewSize),
            imagePoint(QPointF(viewSize.width(), viewSize.height()), imageSize, viewSize)};
}

QList<QPointF> PictureMapping::polygonPath(const QList<QPointF> &points, QSizeF imageSize,
                                           QSizeF viewSize)
{
    QList<QPointF> path;
    if (points.isEmpty())
        return path;
    path.reserve(points.size() + 1);
    for (const QPointF &point : points)
        path.append(viewPoint(point, imageSize, viewSize));
    path.append(path.first());
    return path;
}

int PictureMapping::colorIndex(const QString &id)
{
    const auto h = static_cast<std::int64_t>(qHash(id, QHashSeed::globalSeed()));
    // |INT64_MIN| does not fit; that one value takes index 0.
    if (h == std::numeric_limits<std::int64_t>::min())
        return 0;
    return static_cast<int>((h < 0 ? -h : h) % 12);
}

QColor PictureMapping::targetColor(const TargetModel *target, Palette::ColorScheme scheme)
{
    if (!target)
        return QColor();
    if (qobject_cast<const ReferenceTargetModel *>(target))
        return Palette::accent(scheme);
    return Palette::standardColor(static_cast<Palette::StandardColor>(colorIndex(target->id())));
}

QColor PictureMapping::targetColor(TargetModel *target)
{
    return targetColor(target, Palette::ColorScheme::light);
}
