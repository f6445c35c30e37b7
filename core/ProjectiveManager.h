#pragma once

#include "core/Calculator.h"
#include "core/CardGeometry.h"

#include <optional>

class TargetModel;

// Turns the reference card's corners in the photo into the homography from image pixels to
// millimetres on the card's plane.
class ProjectiveManager
{
public:
    // The card's outline in millimetres, corner 0 at the origin, corner 0 -> 1 a long edge.
    static constexpr double cardWidth = CardGeometry::width;
    static constexpr double cardHeight = CardGeometry::height;
    static constexpr double cardAspectRatio = CardGeometry::inverseAspectRatio; // short over long
    static constexpr Calculator::Quadrilateral cardOutline{QPointF(0, 0), QPointF(cardWidth, 0),
                                                           QPointF(cardWidth, cardHeight),
                                                           QPointF(0, cardHeight)};

    static ProjectiveManager &shared();

    // Image -> card plane for the target's first four points, unscaled but signed so that W is
    // positive on the card; none when the calculator cannot build it. A target with fewer than
    // four points is a programming error.
    [[nodiscard]] std::optional<Calculator::Matrix3x3>
    projectiveMatrix(const TargetModel &target) const;

    // The same for four image corners given directly.
    [[nodiscard]] std::optional<Calculator::Matrix3x3>
    projectiveMatrix(const Calculator::Quadrilateral &corners) const;

    [[nodiscard]] const Calculator &calculator() const { return m_calculator; }

private:
    ProjectiveManager() = default;
    Calculator m_calculator;
};
