#pragma once

#include "core/TargetModel.h"
#include "session/CameraViewModel.h"

#include <QObject>
#include <QPointF>
#include <QSizeF>
#include <QVariant>
#include <QtQml/qqml.h>

// What the target views do to a target. A finger on a point handle: each movement reports the
// dragged point for the loupe and then moves the point under the finger; lifting the finger
// ends the report and taps once. The arrow keys nudge a point by whole pixels the same way.
// Only the selected target reacts, and only a session with a card moves points (there is
// nothing to measure against before). A measured target's bin button removes it from its
// session.
class TargetActions : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON

public:
    explicit TargetActions(QObject *parent = nullptr) : QObject(parent) {}

    // The dragged-point record for a finger at location (view points): the finger, the
    // neighbouring points and the target's colour. Undefined when the target is not selected.
    [[nodiscard]] Q_INVOKABLE static QVariant record(TargetModel *target, int pointIndex,
                                                     QPointF location);
    // Moves the point to the pixel under location and re-measures, when the target is selected
    // and its session has a card.
    Q_INVOKABLE static void move(TargetModel *target, int pointIndex, QPointF location,
                                 QSizeF imageSize, QSizeF viewSize);
    // An arrow key on the point: moves it by (dx, dy) image pixels, kept inside the part of the
    // photo the picture area shows (where a finger can put it), and re-measures, on the same
    // conditions as move. Returns the dragged-point record of a finger on the point where it
    // now is (also when it stayed at the border), or undefined when it may not move.
    [[nodiscard]] Q_INVOKABLE static QVariant nudge(TargetModel *target, int pointIndex, int dx,
                                                    int dy, QSizeF imageSize, QSizeF viewSize);
    // The light tap when the finger lifts: through the target's session, or the process's
    // feedback manager for a target without one.
    Q_INVOKABLE static void impact(TargetModel *target);

    // Removes the first of the session's measured targets with the target's id; nothing when
    // there is none (a second press on a bin that is already gone).
    Q_INVOKABLE static void deleteTarget(CameraViewModel *session, TargetModel *target);
};
