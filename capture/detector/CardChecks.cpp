#include "capture/detector/CardChecks.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace cardcheck {

namespace {

// Share of profiles on the second worst side below which a shape built from loose straight
// segments is not taken for the card.
constexpr double kLooseSecondSupport = 0.75;
// Runs of profiles off the line that one side of such a shape may have.
constexpr int kLooseGaps = 6;
// Share of a side's edge step by which the picture just inside and just outside it must differ.
constexpr double kBandShare = 0.2;

int sidesBrighterOutside(const EdgeRefiner::Result &fit)
{
    int count = 0;
    for (const auto &side : fit.sides)
        count += side.polarity > 0;
    return count;
}

} // namespace

double proportionError(const quad::Corners &corners, cv::Size2d imageSize, double focal,
                       double wanted)
{
    if (!(wanted > 0))
        return 1e9;
    const double target = std::max(wanted, 1.0 / wanted);
    auto error = [&](double f) {
        const double aspect = quad::rectangleAspect(corners, imageSize, f);
        return aspect > 0 ? std::abs(std::log(aspect / target)) : 1e9;
    };
    if (focal > 0)
        return error(focal);
    // The focal length recovered from the vanishing points pins the shape down in a tilted
    // view; it is held to what a phone's main camera has, because with the card nearly facing
    // the camera a tenth of a pixel of corner noise swings it anywhere, and then any focal
    // length in that span explains the shape equally well.
    const double norm = std::max(imageSize.width, imageSize.height);
    const double vanishing = quad::vanishingFocal(corners, imageSize);
    if (vanishing > 0)
        return error(std::clamp(vanishing, quad::kMinFocal * norm, quad::kMaxFocal * norm));
    double best = 1e9;
    for (double f = quad::kMinFocal; f <= quad::kMaxFocal + 0.01; f += 0.1)
        best = std::min(best, error(f * norm));
    return best;
}

bool sidesAreCardEdges(const EdgeRefiner::Result &fit)
{
    double shortest = 1e9, longest = 0;
    for (size_t k = 0; k < 4; ++k) {
        const double length = cv::norm(fit.corners[(k + 1) % 4] - fit.corners[k]);
        shortest = std::min(shortest, length);
        longest = std::max(longest, length);
    }
    // Even at a steep angle a card's short side is more than a fifth of its long side.
    if (shortest < 0.2 * longest)
        return false;
    // Two sides brighter outside and two darker is the face of a box or shading.
    if (sidesBrighterOutside(fit) == 2)
        return false;
    // All four sides are the same card against much the same table; one faint side among
    // crisp ones is usually a shadow or a fold closing some other shape. A card's edge is a
    // straight step; the crest of broad grain or shading is a faint and wavy line of gradient
    // peaks. Sensor noise scatters a blurred edge's points too, so the allowance grows with
    // the edge's width, which stays small next to the card's size.
    double strongest = 0;
    for (const auto &side : fit.sides)
        strongest = std::max(strongest, side.contrast);
    for (const auto &side : fit.sides) {
        if (side.contrast < std::max(2.0, 0.2 * strongest) ||
            side.rms > 0.4 + 0.1 * side.edgeWidth || side.edgeWidth > 0.15 * shortest + 2)
            return false;
    }
    return true;
}

bool looseShapeHolds(const EdgeRefiner::Result &fit)
{
    // Any four straight lines can be put together into a shape: the ends of lines of print, a
    // column of text. Only one side may be broken; the others run nearly unbroken.
    if (fit.secondSupport() < kLooseSecondSupport)
        return false;
    // The broken side must still be an edge of the card against the table, not the end of a
    // column of print.
    size_t weakest = 0;
    for (size_t k = 1; k < 4; ++k) {
        const auto &side = fit.sides[k];
        const auto &worst = fit.sides[weakest];
        if (side.inliers * worst.profiles < worst.inliers * side.profiles)
            weakest = k;
    }
    const int majority = sidesBrighterOutside(fit) > 2 ? 1 : -1;
    if (fit.sides[weakest].polarity != majority)
        return false;
    // A finger or a glare spot breaks a side in one or two places; the ends of lines of print,
    // in as many places as there are lines.
    for (const auto &side : fit.sides) {
        if (side.gaps > kLooseGaps)
            return false;
    }
    return true;
}

bool surfaceChangesAcrossSides(const ColourSampler &image, const EdgeRefiner::Result &fit,
                               std::vector<double> &scratch)
{
    for (size_t k = 0; k < 4; ++k) {
        const auto &side = fit.sides[k];
        const double band = bandContrast(image, fit.corners, k, side.edgeWidth, scratch);
        if (band < kBandShare * side.contrast * side.edgeWidth)
            return false;
    }
    return true;
}

bool insidePicture(const quad::Corners &corners, cv::Size2d imageSize)
{
    for (const auto &c : corners) {
        if (!(c.x > -2 && c.y > -2 && c.x < imageSize.width + 2 && c.y < imageSize.height + 2))
            return false;
    }
    return true;
}

double bandContrast(const ColourSampler &image, const quad::Corners &c, size_t side, int edgeWidth,
                    std::vector<double> &scratch)
{
    const cv::Point2d a = c[side], b = c[(side + 1) % 4];
    cv::Point2d centre(0, 0);
    for (const auto &p : c)
        centre += p * 0.25;
    const double length = cv::norm(b - a);
    if (length < 8)
        return 0;
    const cv::Point2d d = (b - a) / length;
    cv::Point2d n(d.y, -d.x);
    if (n.dot((a + b) * 0.5 - centre) < 0)
        n = -n;
    double shortest = 1e9;
    for (size_t k = 0; k < 4; ++k)
        shortest = std::min(shortest, cv::norm(c[(k + 1) % 4] - c[k]));
    const double gap = edgeWidth + 2.0;
    const int band = std::max(3, int(0.04 * shortest));
    constexpr int samples = 16;
    scratch.clear();
    for (int i = 0; i < samples; ++i) {
        const cv::Point2d p = a + (b - a) * (0.15 + 0.7 * (i + 0.5) / samples);
        std::array<double, 3> inside{0, 0, 0}, outside{0, 0, 0};
        for (int k = 0; k < band; ++k) {
            const auto in = image.at(p.x - n.x * (gap + k), p.y - n.y * (gap + k));
            const auto out = image.at(p.x + n.x * (gap + k), p.y + n.y * (gap + k));
            for (size_t ch = 0; ch < 3; ++ch) {
                inside[ch] += in[ch];
                outside[ch] += out[ch];
            }
        }
        double sq = 0;
        for (size_t ch = 0; ch < 3; ++ch) {
            const double diff = (inside[ch] - outside[ch]) / band;
            sq += diff * diff;
        }
        scratch.push_back(std::sqrt(sq));
    }
    auto mid = scratch.begin() + std::ptrdiff_t(scratch.size() / 2);
    std::nth_element(scratch.begin(), mid, scratch.end());
    return *mid;
}

} // namespace cardcheck
