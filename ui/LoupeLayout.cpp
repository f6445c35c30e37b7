#include "ui/LoupeLayout.h"

#include "ui/Palette.h"
#include "ui/PictureMapping.h"

#include <algorithm>
#include <cmath>

double LoupeLayout::lineWidth()
{
    return std::max(Palette::standardLineWidth() / magnification(), 1.0);
}

double LoupeLayout::side(QSizeF viewSize)
{
    return std::min(viewSize.width(), viewSize.height()) / sizeDivisor;
}

QPointF LoupeLayout::center(QPointF finger, QSizeF viewSize)
{
    const double vw = viewSize.width();
    const double vh = viewSize.height();
    const double m = std::min(vw, vh);
    const double r = (m / sizeDivisor) / 1.5;
    const double ox = (vw - m) * 0.5;
    const double oy = (vh - m) * 0.5;
    const double cx = finger.x();
    const double cy = finger.y();
    const bool top = 0 <= cy && cy < vh / 2;
    if (top && 0 <= cx && cx < vw / 2)
        return {ox + m - r, oy + m - r};
    if (top && vw / 2 <= cx && cx <= vw)
        return {ox + r, oy + m - r};
    if (0 <= cx && cx < vw / 2)
        return {ox + m - r, oy + r};
    return {ox + r, oy + r};
}

QRectF LoupeLayout::cropRect(QPointF finger, QSizeF imageSize, QSizeF viewSize)
{
    const double l = side(viewSize);
    const double h = l / magnification();
    const QPointF pixel = PictureMapping::imagePoint(finger, imageSize, viewSize);
    // min(max(...)), in this order: a photo narrower than h puts the origin at iw - h < 0.
    const double x0 = std::min(std::max(pixel.x() - h, 0.0), imageSize.width() - h);
    const double y0 = std::min(std::max(pixel.y() - h, 0.0), imageSize.height() - h);
    return {x0, y0, l, l};
}

QRectF LoupeLayout::cutRect(QPointF finger, QSizeF imageSize, QSizeF viewSize)
{
    const QRectF cut =
        cropRect(finger, imageSize, viewSize).intersected(QRectF(QPointF(0, 0), imageSize));
    return cut.isValid() ? cut : QRectF();
}

QRectF LoupeLayout::shownRect(QPointF finger, QSizeF imageSize, QSizeF viewSize)
{
    const QRectF cut = cutRect(finger, imageSize, viewSize);
    if (cut.isEmpty())
        return {};
    const double half = side(viewSize) / magnification();
    return {cut.center() - QPointF(half, half) / 2, QSizeF(half, half)};
}

QList<QPolygonF> LoupeLayout::lines(const DraggedPoint &record, QSizeF imageSize, QSizeF viewSize)
{
    const double half = side(viewSize) / 2;
    const QPointF middle(half, half);
    QList<QPolygonF> result;
    for (const QPointF &neighbour : record.neighbours) {
        const QPointF d = PictureMapping::viewPoint(neighbour, imageSize, viewSize) - record.center;
        const double length = std::hypot(d.x(), d.y());
        const QPointF u = length > 0 ? d / length : QPointF(0, 0);
        result.append(QPolygonF{middle, middle + u * half});
    }
    const double k = crosshairLength() / 2;
    result.append(QPolygonF{middle - QPointF(0, k), middle + QPointF(0, k)});
    result.append(QPolygonF{middle - QPointF(k, 0), middle + QPointF(k, 0)});
    return result;
}
