#pragma once

#include "core/TargetModel.h"

#include <QList>
#include <QObject>
#include <QPointF>
#include <QPolygonF>
#include <QRectF>
#include <QSizeF>
#include <QtQml/qqml.h>

// Where the loupe sits and what it shows while a point is dragged: a round window of side
// L = min(vw, vh) / 3 in the quarter away from the finger, showing the photo around the finger
// at twice its pixel size, with a cross on the spot and short lines towards the neighbouring
// points. View sizes and positions are points, image sizes and rectangles pixels.
class LoupeLayout : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON
    Q_PROPERTY(double magnification READ magnification CONSTANT FINAL)
    Q_PROPERTY(double crosshairLength READ crosshairLength CONSTANT FINAL)
    Q_PROPERTY(double ringWidth READ ringWidth CONSTANT FINAL)
    Q_PROPERTY(double lineWidth READ lineWidth CONSTANT FINAL)

public:
    static constexpr double sizeDivisor = 3;

    explicit LoupeLayout(QObject *parent = nullptr) : QObject(parent) {}

    [[nodiscard]] static constexpr double magnification() { return 2; }
    [[nodiscard]] static constexpr double crosshairLength() { return 10; }
    [[nodiscard]] static constexpr double ringWidth() { return 4; }
    // Half the outlines' width, as the photo under it is magnified, but never thinner than 1.
    [[nodiscard]] static double lineWidth();

    // L: the loupe's side in points, and the crop's side in image pixels.
    [[nodiscard]] Q_INVOKABLE static double side(QSizeF viewSize);
    // The loupe's centre for a finger at finger: in the largest centred square of the area,
    // diagonally opposite the finger's quarter, L / 6 in from the square's edges. A finger
    // outside the area counts as below or to the right.
    [[nodiscard]] Q_INVOKABLE static QPointF center(QPointF finger, QSizeF viewSize);
    // The square of the photo cut for the loupe, L x L pixels around the finger's pixel. Its
    // origin is kept inside the photo but may lie up to L / 2 before the right and bottom
    // edges, so the square can reach past them.
    [[nodiscard]] Q_INVOKABLE static QRectF cropRect(QPointF finger, QSizeF imageSize,
                                                     QSizeF viewSize);
    // The part of the crop that lies in the photo: what cutting the sub-image yields. Empty
    // when the square misses the photo.
    [[nodiscard]] Q_INVOKABLE static QRectF cutRect(QPointF finger, QSizeF imageSize,
                                                    QSizeF viewSize);
    // The pixels visible in the loupe: the cut crop drawn centred and magnified twice, seen
    // through the L x L window, is its central L / 2 x L / 2 pixels.
    [[nodiscard]] Q_INVOKABLE static QRectF shownRect(QPointF finger, QSizeF imageSize,
                                                      QSizeF viewSize);
    // The cross and one line from the loupe's centre to its rim towards each neighbour, in the
    // loupe's own coordinates (0..L). A neighbour under the finger gives a line of no length.
    // The record while no point is dragged, for views to start from (a plain JavaScript
    // object does not convert to the record when passed back in).
    [[nodiscard]] Q_INVOKABLE static DraggedPoint noPoint() { return {}; }
    [[nodiscard]] Q_INVOKABLE static QList<QPolygonF> lines(const DraggedPoint &record,
                                                            QSizeF imageSize, QSizeF viewSize);
};
