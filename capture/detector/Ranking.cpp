#include "capture/detector/Ranking.h"

#include <algorithm>
#include <cmath>

namespace ranking {

namespace {

constexpr double kAspectSoftness = 0.045;

} // namespace

double scoreOf(const Hypothesis &h)
{
    const double a = h.aspectError / kAspectSoftness;
    return (0.5 * (h.support + h.minSupport)) * std::exp(-a * a);
}

double cornerFactor(int rounded, int wrong)
{
    return (1.0 + 0.5 * rounded) / (1.0 + 0.5 * wrong);
}

void sortByScore(std::vector<Hypothesis> &shapes)
{
    std::stable_sort(shapes.begin(), shapes.end(),
                     [](const Hypothesis &x, const Hypothesis &y) { return x.score > y.score; });
}

void demoteInnerShapes(std::vector<Hypothesis> &shapes)
{
    for (auto &inner : shapes) {
        for (const auto &outer : shapes) {
            // Print cannot show more of a card's corners than the card around it; a shape that
            // does is the card, and the larger one ran past it (glare, a shadow beside it).
            if (&inner != &outer && quad::area(outer.corners) > quad::area(inner.corners) &&
                quad::contains(outer.corners, inner.corners, 2.0) &&
                inner.roundedCorners <= outer.roundedCorners)
                inner.score *= 0.5;
        }
    }
}

} // namespace ranking
