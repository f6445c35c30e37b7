#pragma once

#include "core/Distance.h"

#include <QObject>
#include <QPointF>
#include <QString>
#include <QtQml/qqml.h>

// The length label of an edge: its text, how far it is turned, and the capsule's measures.
// Where it sits is MiddleModifier's.
class LabelLayout : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON
    Q_PROPERTY(double verticalPadding READ verticalPadding CONSTANT FINAL)
    Q_PROPERTY(double horizontalPadding READ horizontalPadding CONSTANT FINAL)
    Q_PROPERTY(double fontSize READ fontSize CONSTANT FINAL)

public:
    explicit LabelLayout(QObject *parent = nullptr) : QObject(parent) {}

    [[nodiscard]] static constexpr double verticalPadding() { return 5; }
    [[nodiscard]] static constexpr double horizontalPadding() { return 10; }
    // Footnote size, in points.
    [[nodiscard]] static constexpr double fontSize() { return 13; }

    // The edge's direction in degrees, clockwise on screen (y grows downwards). Not folded
    // into the upright half: an edge drawn from right to left reads upside down, so every
    // label shows which way its edge runs.
    [[nodiscard]] Q_INVOKABLE static double rotation(QPointF from, QPointF to);
    // The length in the unit chosen in the settings; a dash when the edge has none.
    [[nodiscard]] Q_INVOKABLE static QString text(const Distance &distance);
    // The ring around the capsule marks the selected target's labels.
    [[nodiscard]] Q_INVOKABLE static double ringWidth(bool selected) { return selected ? 1 : 0; }
};
