#pragma once

#include <QList>
#include <QObject>
#include <QPointF>
#include <QtQml/qqml.h>

// Which taps land on a target: those near its outline. A stroke two points wide is too thin
// for a finger, so a band around it counts; a narrow one, because the selected target's
// handles lie under the targets drawn after it.
class TargetHitTest : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON
    Q_PROPERTY(double tolerance READ tolerance CONSTANT FINAL)

public:
    explicit TargetHitTest(QObject *parent = nullptr) : QObject(parent) {}

    // Points either side of the outline that still count as on it.
    [[nodiscard]] static constexpr double tolerance() { return 12; }

    // Whether p lies within tolerance of the polyline (view points).
    [[nodiscard]] Q_INVOKABLE static bool nearPath(const QList<QPointF> &path, QPointF p,
                                                   double tolerance);
};
