#pragma once

#include "capture/CardDetector.h"

#include <QPointF>

#include <algorithm>
#include <array>
#include <cmath>

// What the detector tests compare: corners in picture coordinates (y down).
namespace DetectorTesting {

using Quad = std::array<QPointF, 4>;

inline double distance(QPointF a, QPointF b)
{
    return std::hypot(a.x() - b.x(), a.y() - b.y());
}

// The detector's corners in picture coordinates (y down), in its own naming order.
inline Quad flipped(const RectangleFeature &f, int height)
{
    const auto down = [height](QPointF p) { return QPointF(p.x(), height - p.y()); };
    return {down(f.topLeft), down(f.topRight), down(f.bottomRight), down(f.bottomLeft)};
}

// Largest corner distance, corner for corner: both quadrilaterals clockwise on screen from the
// corner with the smallest x + y.
inline double worstCorner(const Quad &a, const Quad &b)
{
    double worst = 0;
    for (size_t i = 0; i < 4; ++i)
        worst = std::max(worst, distance(a[i], b[i]));
    return worst;
}

} // namespace DetectorTesting
