#pragma once

#include "core/Calculator.h"

#include <QList>
#include <QMetaType>
#include <QPointF>

// One measured segment: two image points and the real length between them in millimetres on
// the card's plane.
struct Distance
{
    Q_GADGET
    Q_PROPERTY(QPointF from MEMBER from)
    Q_PROPERTY(QPointF to MEMBER to)
    Q_PROPERTY(double distance MEMBER distance)

public:
    QPointF from;
    QPointF to;
    double distance = 0.0;

    // Reads both ends through the homography (with the division by W) and stores the length.
    // A point on the matrix's line at infinity gives an infinite or NaN length, stored as is.
    void recalculate(const Calculator::Matrix3x3 &matrix);

    friend bool operator==(const Distance &, const Distance &) = default;
};

Q_DECLARE_METATYPE(Distance)
