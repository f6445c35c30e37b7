#include "core/CardShape.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>

namespace {

using Fault = CardShape::Fault;
using Quad = Calculator::Quadrilateral;

Quad quad(double x0, double y0, double x1, double y1, double x2, double y2, double x3, double y3)
{
    return {QPointF(x0, y0), QPointF(x1, y1), QPointF(x2, y2), QPointF(x3, y3)};
}

// A kite whose corner 0 has the given interior angle, its other corners comfortable.
Quad kiteWithAngle(double degrees)
{
    const double half = degrees / 2 * std::numbers::pi / 180;
    return quad(0, 0, 100 * std::cos(half), -100 * std::sin(half), 150, 0, 100 * std::cos(half),
                100 * std::sin(half));
}

} // namespace

TEST(CardShape, cards_at_any_scale_and_either_way_round_pass)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const struct
    {
        Quad corners;
        Fault fault;
    } cases[] = {
        {quad(100, 200, 400, 210, 420, 400, 90, 380), Fault::none},
        {quad(90, 380, 420, 400, 400, 210, 100, 200), Fault::none}, // counter-clockwise
        {quad(0, 0, 3e307, 0, 3e307, 2e307, 0, 2e307), Fault::none},
        {quad(-1e308, -1e308, 1e308, -1e308, 1e308, 1e308, -1e308, 1e308), Fault::none},
        {quad(0, 0, 3e-300, 0, 3e-300, 2e-300, 0, 2e-300), Fault::none},
        {kiteWithAngle(CardShape::minimumAngleDegrees + 0.5), Fault::none},
        // Bow-ties: two opposite edges cross.
        {quad(0, 0, 86, 54, 86, 0, 0, 54), Fault::crossedEdges},
        {quad(0, 0, 100, 60, 100, 0, 0, 60), Fault::crossedEdges},
        {quad(0, 0, 100, 0, 20, 20, 0, 60), Fault::concave},
        {quad(0, 0, 60, 30, 100, 0, 60, 100), Fault::concave}, // an arrowhead
        // Corner 2 on the diagonal through 1 and 3, corner 3 on the line through 0 and 1.
        {quad(0, 0, 100, 0, 50, 50, 0, 100), Fault::collinearCorners},
        {quad(0, 0, 10, 0, 5, 5, 20, 0), Fault::collinearCorners},
        {kiteWithAngle(CardShape::minimumAngleDegrees - 0.5), Fault::collinearCorners},
        {kiteWithAngle(180 - CardShape::minimumAngleDegrees + 0.5), Fault::collinearCorners},
        {quad(5, 5, 5, 5, 40, 30, 0, 30), Fault::coincidentCorners},
        {quad(7, 7, 7, 7, 7, 7, 7, 7), Fault::coincidentCorners},
        {quad(0, 0, 10, 0, 10, 6, 0, 0), Fault::coincidentCorners},
        {quad(nan, 0, 10, 0, 10, 6, 0, 6), Fault::notFinite},
        {quad(0, 0, INFINITY, 0, 10, 6, 0, 6), Fault::notFinite},
    };
    for (const auto &c : cases) {
        const Fault fault = CardShape::check(c.corners);
        EXPECT_EQ(fault, c.fault) << c.corners[0].x() << "," << c.corners[0].y() << " "
                                  << c.corners[1].x() << "," << c.corners[1].y() << " "
                                  << c.corners[2].x() << "," << c.corners[2].y() << " "
                                  << c.corners[3].x() << "," << c.corners[3].y();
        EXPECT_EQ(*CardShape::message(fault) == '\0', fault == Fault::none);
    }
}
