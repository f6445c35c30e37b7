#include "ui/LabelLayout.h"

#include "core/DistanceFormatter.h"

#include <cmath>
#include <numbers>

double LabelLayout::rotation(QPointF from, QPointF to)
{
    return std::atan2(to.y() - from.y(), to.x() - from.x()) * 180.0 / std::numbers::pi;
}

QString LabelLayout::text(const Distance &distance)
{
    return DistanceFormatter::format(distance.distance);
}
