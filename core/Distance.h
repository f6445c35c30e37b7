#pragma once

#include "core/Calculator.h"

#include <QList>
#include <QMetaType>
#include <QPointF>

#include <cmath>
#include <limits>
#include <optional>

// One measured segment: two image points and the real length between them in millimetres on
// the card's plane.
struct Distance
{
    Q_GADGET
    Q_PROPERTY(QPointF from MEMBER from)
    Q_PROPERTY(QPointF to MEMBER to)
    Q_PROPERTY(double distance MEMBER distance)
    Q_PROPERTY(bool isMeasured READ isMeasured)

public:
    // The length of a segment that has none on the card's plane.
    static constexpr double noLength = std::numeric_limits<double>::quiet_NaN();

    QPointF from;
    QPointF to;
    double distance = 0.0; // noLength when the segment cannot be measured

    // Reads both ends through the homography (with the division by W) and stores the length,
    // or noLength when an end has no point on the card's plane (see planePoint) or the length
    // is too large for a double.
    void recalculate(const Calculator::Matrix3x3 &matrix);

    [[nodiscard]] bool isMeasured() const { return std::isfinite(distance); }

    // Where an image point lies on the card's plane. The card's matrix is signed so that W is
    // positive on the card; W <= 0 marks a pixel on or beyond the plane's horizon (sky, a
    // wall, the far side of a line the card's perspective runs into), which is no point of
    // the table, so there is none.
    [[nodiscard]] static std::optional<QPointF> planePoint(const Calculator::Matrix3x3 &matrix,
                                                           QPointF point);

    friend bool operator==(const Distance &a, const Distance &b)
    {
        return a.from == b.from && a.to == b.to &&
               (a.distance == b.distance || (std::isnan(a.distance) && std::isnan(b.distance)));
    }
};

Q_DECLARE_METATYPE(Distance)
