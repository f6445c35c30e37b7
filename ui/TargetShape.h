#pragma once

#include "core/TargetModel.h"

#include <QList>
#include <QObject>
#include <QPointF>
#include <QtQml/qqml.h>

// What kind of target a view draws, how many handles and labels it has (fixed at creation),
// and which taps land on it: those near its outline. A stroke two points wide is too thin for
// a finger, so a band around it counts; a narrow one, because the selected target's handles
// lie under the targets drawn after it.
class TargetShape : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON
    Q_PROPERTY(double tolerance READ tolerance CONSTANT FINAL)

public:
    explicit TargetShape(QObject *parent = nullptr) : QObject(parent) {}

    // The card: a check mark that confirms it instead of a bin, and nominal lengths.
    [[nodiscard]] Q_INVOKABLE static bool isReference(const TargetModel *target);
    // A line's context button sits beside it rather than on it.
    [[nodiscard]] Q_INVOKABLE static bool isLine(const TargetModel *target);
    // Read without watching the lists: a target never gains or loses points or edges.
    [[nodiscard]] Q_INVOKABLE static int pointCount(const TargetModel *target);
    [[nodiscard]] Q_INVOKABLE static int edgeCount(const TargetModel *target);

    // Points either side of the outline that still count as on it.
    [[nodiscard]] static constexpr double tolerance() { return 12; }
    // Whether p lies within tolerance of the polyline (view points).
    [[nodiscard]] Q_INVOKABLE static bool nearPath(const QList<QPointF> &path, QPointF p,
                                                   double tolerance);
};
