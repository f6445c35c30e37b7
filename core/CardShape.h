#pragma once

#include "core/Calculator.h"

// Whether four image corners can be a card lying on a table: a quadrilateral whose corners go
// round it in order (either way round), strictly convex, with every interior angle between
// minimumAngle and 180° - minimumAngle. Any other outline gives a homography whose lengths
// mean nothing: a self-crossing one folds the plane over, a concave one puts a corner behind
// the camera, and a nearly flat or nearly closed corner makes every length hang on a fraction
// of a pixel. Allocation-free, because it runs on every step of a corner drag.
class CardShape
{
public:
    enum class Fault
    {
        none,
        notFinite,
        coincidentCorners,
        collinearCorners,
        crossedEdges,
        concave
    };

    static constexpr double minimumAngleDegrees = 5.0;

    [[nodiscard]] static Fault check(const Calculator::Quadrilateral &corners);

    // One sentence for the user, naming what is wrong; empty for Fault::none.
    [[nodiscard]] static const char *message(Fault fault);
};
