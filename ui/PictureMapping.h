#pragma once

#include "core/TargetModel.h"
#include "ui/Palette.h"

#include <QList>
#include <QObject>
#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <QtQml/qqml.h>

// How the photo is shown in the picture area (scaled uniformly to cover it, centred, cut off
// where it overflows), and the colour each target is drawn in. Pure functions: every call takes
// the current sizes, nothing is cached. Image sizes are pixels, view sizes points.
class PictureMapping : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON

public:
    explicit PictureMapping(QObject *parent = nullptr) : QObject(parent) {}

    // Image pixels per view point: the smaller of the two ratios, so the photo covers the area.
    [[nodiscard]] Q_INVOKABLE static double fillScale(QSizeF imageSize, QSizeF viewSize);
    [[nodiscard]] Q_INVOKABLE static QPointF viewPoint(QPointF imagePoint, QSizeF imageSize,
                                                       QSizeF viewSize);
    // The exact inverse of viewPoint: the image pixel under a view position.
    [[nodiscard]] Q_INVOKABLE static QPointF imagePoint(QPointF viewPoint, QSizeF imageSize,
                                                        QSizeF viewSize);
    // The part of the photo that shows in the area, in image pixels: the whole photo cut to
    // the area's aspect ratio around its centre.
    // How many times larger than on screen an exported picture is drawn: at the photo's own
    // resolution (one photo pixel per exported pixel), never below the screen's size and never
    // beyond what a texture holds.
    [[nodiscard]] Q_INVOKABLE static double exportScale(QSizeF imageSize, QSizeF viewSize);
    [[nodiscard]] Q_INVOKABLE static QRectF visibleRect(QSizeF imageSize, QSizeF viewSize);
    // The closed outline through the points in view points, as a polyline that returns to its
    // first point (two points are drawn there and back).
    [[nodiscard]] Q_INVOKABLE static QList<QPointF> polygonPath(const QList<QPointF> &points,
                                                                QSizeF imageSize, QSizeF viewSize);

    // The card is always the accent colour; every other target gets one of the twelve standard
    // colours by a hash of its id. The hash is seeded anew for every run, so a target keeps its
    // colour for the run but not across runs.
    [[nodiscard]] static QColor targetColor(const TargetModel *target, Palette::ColorScheme scheme);
    [[nodiscard]] Q_INVOKABLE static QColor targetColor(TargetModel *target);
    // The index into the standard colours for an id, 0..11.
    [[nodiscard]] static int colorIndex(const QString &id);
};
