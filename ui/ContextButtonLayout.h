#pragma once

#include <QList>
#include <QObject>
#include <QPointF>
#include <QSizeF>
#include <QtQml/qqml.h>

// Where a selected target's round context button goes: on the mean of its corners, or for a
// line one button size off its middle along the normal, on whichever side stays in the area.
class ContextButtonLayout : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON
    Q_PROPERTY(double size READ size CONSTANT FINAL)

public:
    explicit ContextButtonLayout(QObject *parent = nullptr) : QObject(parent) {}

    // The button's side, and a line button's distance from the line, in points.
    [[nodiscard]] static constexpr double size() { return 44; }

    // The button's centre in view points, for a target with these points.
    [[nodiscard]] Q_INVOKABLE static QPointF position(const QList<QPointF> &points, bool isLine,
                                                      QSizeF imageSize, QSizeF viewSize);
};
