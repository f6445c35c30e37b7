#include "core/CardShape.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

double cross(QPointF a, QPointF b)
{
    return a.x() * b.y() - a.y() * b.x();
}

double dot(QPointF a, QPointF b)
{
    return a.x() * b.x() + a.y() * b.y();
}

// The corners moved to the centre of their bounding box and scaled into [-1, 1], so that the
// products below can neither overflow nor vanish for cards drawn at any scale.
bool normalised(const Calculator::Quadrilateral &corners, Calculator::Quadrilateral &out)
{
    // A quarter of each coordinate (exact in binary) keeps differences of the largest doubles
    // finite.
    double left = INFINITY, right = -INFINITY, top = INFINITY, bottom = -INFINITY;
    for (const QPointF &p : corners) {
        if (!std::isfinite(p.x()) || !std::isfinite(p.y()))
            return false;
        left = std::min(left, p.x() / 4);
        right = std::max(right, p.x() / 4);
        top = std::min(top, p.y() / 4);
        bottom = std::max(bottom, p.y() / 4);
    }
    const QPointF centre((left + right) / 2, (top + bottom) / 2);
    const double extent = std::max(right - left, bottom - top) / 2;
    for (size_t i = 0; i < 4; ++i)
        out[i] = extent > 0 ? (corners[i] / 4 - centre) / extent : QPointF();
    return true;
}

} // namespace

CardShape::Fault CardShape::check(const Calculator::Quadrilateral &corners)
{
    Calculator::Quadrilateral q;
    if (!normalised(corners, q))
        return Fault::notFinite;

    for (size_t i = 0; i < 4; ++i)
        for (size_t j = i + 1; j < 4; ++j)
            if (std::hypot(q[i].x() - q[j].x(), q[i].y() - q[j].y()) < 1e-9)
                return Fault::coincidentCorners;

    const double minimum = minimumAngleDegrees * std::numbers::pi / 180;
    int leftTurns = 0;
    for (size_t i = 0; i < 4; ++i) {
        const QPointF toPrevious = q[(i + 3) % 4] - q[i];
        const QPointF toNext = q[(i + 1) % 4] - q[i];
        // The angle between the two sides at this corner, 0 to 180 degrees.
        const double angle =
            std::atan2(std::fabs(cross(toNext, toPrevious)), dot(toNext, toPrevious));
        if (angle < minimum || angle > std::numbers::pi - minimum)
            return Fault::collinearCorners;
        if (cross(toNext, toPrevious) > 0)
            ++leftTurns;
    }
    // A convex outline turns the same way at every corner; a self-crossing one (a bow-tie)
    // turns two corners each way; a concave one turns one corner against the other three.
    if (leftTurns == 2)
        return Fault::crossedEdges;
    if (leftTurns == 1 || leftTurns == 3)
        return Fault::concave;
    return Fault::none;
}

const char *CardShape::message(Fault fault)
{
    switch (fault) {
    case Fault::none:
        return "";
    case Fault::notFinite:
        return "the card's corners are not finite numbers";
    case Fault::coincidentCorners:
        return "two of the card's corners coincide";
    case Fault::collinearCorners:
        return "three of the card's corners lie on one line, or nearly";
    case Fault::crossedEdges:
        return "the card's corners cross each other";
    case Fault::concave:
        return "the card is not convex";
    }
    return "";
}
