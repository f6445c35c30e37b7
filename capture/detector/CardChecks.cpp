#include "capture/detector/CardChecks.h"

#include "capture/detector/Trace.h"
#include "core/CardGeometry.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

namespace cardcheck {

namespace {

// Share of profiles on the second worst side below which a shape built from loose straight
// segments is not taken for the card.
constexpr double kLooseSecondSupport = 0.75;
constexpr double kLooseSecondSupportWithCorners = 0.65;
// Share of profiles on the worst side below which no shape is taken for the card.
constexpr double kMinSupport = 0.5;
// A card held in a hand: fingers over one corner cover much of the two sides that meet there.
// With a card's corners showing and its edge stepping the same way all round, the worst side
// needs only this share, the second worst (of a shape from loose segments, or of one showing
// three of a card's corners) this one.
constexpr double kHeldMinSupport = 0.4;
constexpr double kHeldSecondSupport = 0.55;
// Mean share of profiles on their lines that a shape needs. With three of a card's corners it
// needs the first of the two after it on average, and the second on its worst side.
constexpr double kMeanSupport = 0.6;
constexpr double kThreeCornersMeanSupport = 0.5;
constexpr double kThreeCornersMinSupport = 0.35;
// With all four of a card's corners, a quarter of each side is enough: the fingers of a hand
// holding the card by two opposite sides can cover most of each.
constexpr double kFourCornersMinSupport = 0.25;
// Runs of profiles off the line that one side of such a shape may have.
constexpr int kLooseGaps = 6;
constexpr int kLooseGapsWithCorners = 10;
// Three of a card's corners are more than print shows: the fingers of a hand holding the card
// may break a side in a few more places still.
constexpr int kLooseGapsWithThreeCorners = 15;
// Share of a side's edge step by which the picture just inside and just outside it must differ.
constexpr double kBandShare = 0.2;
// A shape showing a card's corners may lie with one side along a surface much like its own (a
// white card on white keys or paper, a hand's shadow): there the surface changes less, and
// that side's bands need only reach this share of the usual. One showing all four of a
// card's corners may lie so along two sides, at any share (a pale card on white paper); a
// card-shaped frame printed on paper has the paper beyond all four.
constexpr double kFaintBandShare = 0.5;
constexpr int kFaintSides = 1;
constexpr int kFaintSidesWithFourCorners = 2;

// Of a shape's neighbour in a row: the largest difference of its width and height from the
// shape's (a share of them), how far its centre may lie beside the row's axis (a share of the
// shape's extent across it), and the range of distances along the axis (shares of the shape's
// extent along it; keys repeat at about 1.3 of their width, a module's chips at up to 1.6).
constexpr double kRowSizeTolerance = 0.15;
constexpr double kRowOffAxis = 0.25;
constexpr double kRowNearest = 1.0;
constexpr double kRowFarthest = 1.8;
// The steps (shares of the extent) at which the shape's outline is looked for along an axis,
// from a little more than one extent (at one, the moved outline's near side lies on the
// shape's own far side, which supports it by itself), and the support its sides must have
// there: about as much as a closed outline's, or a loose shape's where the shape showed some
// of a card's corners. (A shape too small for its corners to be judged is short-sided, and a
// short side shifted onto clutter easily finds support.)
constexpr double kRowStep = 0.05;
constexpr double kRowNearestOnEdges = 1.05;
constexpr double kRowSupport = 0.75;
constexpr double kRowWorstSide = 0.5;
constexpr double kRowSupportWithCorners = 0.65;
constexpr double kRowWorstSideWithCorners = 0.4;

// Colour difference (8-bit levels) between table and card below which a corner cannot be judged.
constexpr double kCornerContrast = 12.0;
// How far from every colour between the table's and the card's, as a share of their
// difference, the picture at a corner's tip or arc may lie and still show only those two.
constexpr double kHiddenCorner = 1.0;

// Of a card cut by the border: the least share of a side that must be in the picture for the
// side to be judged, the share of its profiles there that must lie on its line on average,
// and on the worst side (a laminated card bends a little along its length).
constexpr double kJudgedInPicture = 0.1;
constexpr double kCutSupport = 0.6;
constexpr double kCutMinSupport = 0.25;
// A side running on to the border: the share of its length skipped past its end (a card's
// arc), the least run judged (a share of the side, and pixels of the shrunk picture), the
// share of the run that must lie on an edge, and how far the colours either side of the run
// may differ from the side's (a share of the side's step) at that distance across it.
constexpr double kRunOnSkip = 0.1;
constexpr double kRunOnShortest = 0.1;
constexpr double kRunOnShortestPx = 6.0;
constexpr double kRunOnShare = 0.95;
constexpr double kRunOnColours = 0.4;
constexpr double kRunOnAcrossPx = 3.0;

// A side whose two ends both lie this close to the same border of the picture runs along it:
// the picture's last rows show no edge of their own, and what is there may go on past them.
constexpr double kAlongBorderPx = 3.0;

// A side whose edge is much fainter than the shape's crispest one: not the same card against
// much the same table.
bool faintAmongCrisp(double contrast, double strongest)
{
    return contrast < std::max(2.0, 0.2 * strongest);
}

int sidesBrighterOutside(const EdgeRefiner::Result &fit)
{
    int count = 0;
    for (const auto &side : fit.sides)
        count += side.polarity > 0;
    return count;
}

// The card is brighter than what surrounds it all round, or darker all round. The outline of a
// hand or of a shadow closing a shape with part of the card's edge steps the other way on a side.
bool stepsAlikeAllRound(const EdgeRefiner::Result &fit)
{
    const int brighterOutside = sidesBrighterOutside(fit);
    return brighterOutside == 0 || brighterOutside == 4;
}

using Colour = std::array<double, 3>;

// The homography taking the rectangle [0, width] x [0, height] onto corners (in order).
cv::Matx33d rectangleToQuad(const quad::Corners &corners, double width, double height)
{
    // Heckbert's square-to-quad mapping, scaled to the rectangle.
    const cv::Point2d p0 = corners[0], p1 = corners[1], p2 = corners[2], p3 = corners[3];
    const cv::Point2d s = p0 - p1 + p2 - p3;
    const cv::Point2d d1 = p1 - p2, d2 = p3 - p2;
    const double den = d1.x * d2.y - d2.x * d1.y;
    double g = 0, h = 0;
    if (std::abs(den) > 1e-12) {
        g = (s.x * d2.y - d2.x * s.y) / den;
        h = (d1.x * s.y - s.x * d1.y) / den;
    }
    const cv::Matx33d square(p1.x - p0.x + g * p1.x, p3.x - p0.x + h * p3.x, p0.x,
                             p1.y - p0.y + g * p1.y, p3.y - p0.y + h * p3.y, p0.y, g, h, 1.0);
    return square * cv::Matx33d(1.0 / width, 0, 0, 0, 1.0 / height, 0, 0, 0, 1);
}

cv::Point2d apply(const cv::Matx33d &m, cv::Point2d p)
{
    const cv::Vec3d q = m * cv::Vec3d(p.x, p.y, 1.0);
    return {q[0] / q[2], q[1] / q[2]};
}

// Mean colour over a small cross of plane points around p (spread millimetres apart).
Colour colourAround(const ColourSampler &image, const cv::Matx33d &toImage, cv::Point2d p,
                    cv::Point2d e1, cv::Point2d e2, double spread)
{
    Colour sum{0, 0, 0};
    const cv::Point2d offsets[] = {{0, 0}, e1 * spread, -e1 * spread, e2 * spread, -e2 * spread};
    for (const cv::Point2d &o : offsets) {
        const cv::Point2d q = apply(toImage, p + o);
        const auto c = image.at(q.x, q.y);
        for (size_t k = 0; k < 3; ++k)
            sum[k] += c[k] / 5.0;
    }
    return sum;
}

double difference(const Colour &a, const Colour &b)
{
    return std::sqrt((a[0] - b[0]) * (a[0] - b[0]) + (a[1] - b[1]) * (a[1] - b[1]) +
                     (a[2] - b[2]) * (a[2] - b[2]));
}

Colour mean(const Colour &a, const Colour &b)
{
    return {(a[0] + b[0]) / 2, (a[1] + b[1]) / 2, (a[2] + b[2]) / 2};
}

// Where c lies between from (0) and to (1).
double between(const Colour &c, const Colour &from, const Colour &to)
{
    double dot = 0, length = 0;
    for (size_t k = 0; k < 3; ++k) {
        dot += (c[k] - from[k]) * (to[k] - from[k]);
        length += (to[k] - from[k]) * (to[k] - from[k]);
    }
    return length > 0 ? dot / length : 0.5;
}

// How far c, which lies at `at` between from and to (see between), lies from the nearest colour
// between them.
double offRange(const Colour &c, const Colour &from, const Colour &to, double at)
{
    const double t = std::clamp(at, 0.0, 1.0);
    return difference(c, {from[0] + t * (to[0] - from[0]), from[1] + t * (to[1] - from[1]),
                          from[2] + t * (to[2] - from[2])});
}

} // namespace

CornerArcs cornerArcs(const ColourSampler &image, const quad::Corners &corners, double aspect)
{
    CornerArcs arcs;
    // The card's long edge along the longer pair of sides.
    const double first = cv::norm(corners[1] - corners[0]) + cv::norm(corners[3] - corners[2]);
    const double second = cv::norm(corners[2] - corners[1]) + cv::norm(corners[0] - corners[3]);
    const double longEdge = CardGeometry::width;
    const double shortEdge = longEdge / std::max(aspect, 1.0 / aspect);
    const double w = first >= second ? longEdge : shortEdge;
    const double h = first >= second ? shortEdge : longEdge;
    const cv::Matx33d toImage = rectangleToQuad(corners, w, h);
    const cv::Point2d plane[] = {{0, 0}, {w, 0}, {w, h}, {0, h}};
    const double r = CardGeometry::cornerRadius;
    for (size_t k = 0; k < 4; ++k) {
        const cv::Point2d p = plane[k];
        const cv::Point2d e1 = (plane[(k + 1) % 4] - p) / cv::norm(plane[(k + 1) % 4] - p);
        const cv::Point2d e2 = (plane[(k + 3) % 4] - p) / cv::norm(plane[(k + 3) % 4] - p);
        const double radiusPx = std::min(cv::norm(apply(toImage, p + e1 * r) - corners[k]),
                                         cv::norm(apply(toImage, p + e2 * r) - corners[k]));
        // A corner outside the picture shows nothing of itself (the picture's border is read
        // in its place).
        const bool inPicture = corners[k].x > -1 && corners[k].y > -1 &&
                               corners[k].x < image.width() + 1 &&
                               corners[k].y < image.height() + 1;
        if (radiusPx < kMinCornerRadiusPx || !inPicture) {
            ++arcs.unknown;
            continue;
        }
        const auto at = [&](double u, double v) {
            return colourAround(image, toImage, p + e1 * (u * r) + e2 * (v * r), e1, e2, 0.06 * r);
        };
        // Table just outside each side and card just inside it, along the straight part of
        // the side past the arc (and past a much rounder corner's).
        const Colour out1 = at(3.0, -0.6), out2 = at(-0.6, 3.0);
        const Colour in1 = at(3.0, 0.6), in2 = at(0.6, 3.0);
        const Colour outside = mean(out1, out2), inside = mean(in1, in2);
        const double contrast = difference(outside, inside);
        // Both sides must agree on what the card looks like here; a finger or a cable over the
        // corner makes them differ.
        if (contrast < kCornerContrast || difference(in1, in2) > 0.5 * contrast) {
            ++arcs.unknown;
            continue;
        }
        if (difference(out1, out2) > 0.5 * contrast) {
            // Something else lies beside one side (a flag, a cable, a shadow): the corner is
            // judged against the card alone. The tip shows the card's face at a sharp corner
            // and something else at a card's; the middle of the arc's square, the card.
            const double step = std::min(difference(out1, in1), difference(out2, in2));
            const double tip = difference(at(0.2, 0.2), inside) / std::max(step, 1.0);
            const double middle = difference(at(0.62, 0.62), inside) / std::max(step, 1.0);
            TRACE("     corner %zu radius %.1f px step %.0f outsides %.0f tip %.2f middle %.2f\n",
                  k, radiusPx, step, difference(out1, out2), tip, middle);
            // One side showing the same surface on both of its sides beside a corner where the
            // other shows the card is a line on the card's face, not its edge.
            if (step < kCornerContrast)
                arcs.markWrong(k);
            else if (tip > 0.6 && middle < 0.4)
                ++arcs.rounded;
            else if (tip < 0.4)
                arcs.markWrong(k);
            else
                ++arcs.unknown;
            continue;
        }
        // The tip of the sharp corner lies outside the card's arc; the middle of the arc's
        // square, inside it.
        const Colour tipColour = at(0.2, 0.2), middleColour = at(0.62, 0.62);
        const double tip = between(tipColour, outside, inside);
        const double middle = between(middleColour, outside, inside);
        TRACE("     corner %zu radius %.1f px contrast %.0f tip %.2f middle %.2f\n", k, radiusPx,
              contrast, tip, middle);
        // There the picture shows the table, the card or the blur between them. A colour
        // further from all of those than the table is from the card is something lying over
        // the corner (print beside the card, a finger), and the corner cannot be judged.
        if (std::max(offRange(tipColour, outside, inside, tip),
                     offRange(middleColour, outside, inside, middle)) > kHiddenCorner * contrast) {
            ++arcs.unknown;
            continue;
        }
        if (tip < 0.4 && middle > 0.6)
            ++arcs.rounded;
        else if (tip > 0.6 || middle < 0.4)
            arcs.markWrong(k);
        else
            ++arcs.unknown;
    }
    return arcs;
}

bool cornersShowNothing(const CornerArcs &arcs, const quad::Corners &corners)
{
    return arcs.unknown == 4 &&
           quad::longestSide(corners) * CardGeometry::relativeCornerRadius >= kMinCornerRadiusPx;
}

namespace {

// How far the rectangle that projects onto corners through focal length f is from `target`
// (long edge over short edge, at least 1).
double aspectErrorAt(const quad::Corners &corners, cv::Size2d imageSize, double f, double target)
{
    const double aspect = quad::rectangleAspect(corners, imageSize, f);
    return aspect > 0 ? std::abs(std::log(aspect / target)) : 1e9;
}

} // namespace

double proportionError(const quad::Corners &corners, cv::Size2d imageSize, double focal,
                       double wanted)
{
    if (!(wanted > 0))
        return 1e9;
    return aspectErrorAt(corners, imageSize, viewFocal(corners, imageSize, focal, wanted),
                         std::max(wanted, 1.0 / wanted));
}

double viewFocal(const quad::Corners &corners, cv::Size2d imageSize, double focal, double wanted)
{
    if (focal > 0)
        return focal;
    // The focal length recovered from the vanishing points pins the shape down in a tilted
    // view; it is held to what a phone's main camera has, because with the card nearly facing
    // the camera a tenth of a pixel of corner noise swings it anywhere, and then any focal
    // length in that span explains the shape equally well.
    const double norm = std::max(imageSize.width, imageSize.height);
    const double vanishing = quad::vanishingFocal(corners, imageSize);
    if (vanishing > 0)
        return std::clamp(vanishing, quad::kMinFocal * norm, quad::kMaxFocal * norm);
    const double target = std::max(wanted, 1.0 / wanted);
    double best = 1e9, bestFocal = norm;
    for (double f = quad::kMinFocal; f <= quad::kMaxFocal + 0.01; f += 0.1) {
        const double error = aspectErrorAt(corners, imageSize, f * norm, target);
        if (error < best) {
            best = error;
            bestFocal = f * norm;
        }
    }
    return bestFocal;
}

View viewOf(const quad::Corners &corners, cv::Size2d imageSize, double focal, double wanted)
{
    const double f = viewFocal(corners, imageSize, focal, wanted);
    View view;
    if (wanted > 0)
        view.aspectError = aspectErrorAt(corners, imageSize, f, std::max(wanted, 1.0 / wanted));
    view.tilt = quad::planeTilt(corners, imageSize, f);
    return view;
}

double leastSupportNeeded(const EdgeRefiner::Result &fit, bool cardCorners, bool threeCardCorners,
                          bool fourCardCorners)
{
    if (fourCardCorners)
        return kFourCornersMinSupport;
    if (threeCardCorners)
        return kThreeCornersMinSupport;
    return cardCorners && stepsAlikeAllRound(fit) ? kHeldMinSupport : kMinSupport;
}

double meanSupportNeeded(bool threeCardCorners)
{
    return threeCardCorners ? kThreeCornersMeanSupport : kMeanSupport;
}

bool sidesAreCardEdges(const ColourSampler &image, const EdgeRefiner::Result &fit, bool cardCorners,
                       bool threeCardCorners, bool fourCardCorners)
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
    // Two sides brighter outside and two darker is the face of a box or shading, unless three
    // of its corners are a card's: a card held in a hand has the hand beside two sides.
    if (sidesBrighterOutside(fit) == 2 && !threeCardCorners)
        return false;
    // All four sides are the same card against much the same table; one faint side among
    // crisp ones is usually a shadow or a fold closing some other shape. A card's edge is a
    // straight step; the crest of broad grain or shading is a faint and wavy line of gradient
    // peaks. Sensor noise scatters a blurred edge's points too, so the allowance grows with
    // the edge's width, which stays small next to the card's size; a shape showing all four of
    // a card's corners is no crest, and print touching its edge may scatter a side's points.
    // On a shape showing a card's corners, one side crisper than all the others (the card
    // against print or a dark object there, against pale paper elsewhere) sets no measure for
    // them: the second crispest does. A shape showing all four of a card's corners is a card
    // whatever its faintest side: that is where the card meets a table of nearly its colour
    // (a band printed along its edge in the colour of the wood). One showing three may have one
    // such side, with the table beyond it as beyond its neighbours; a line printed on the
    // card's face that closes a shape with three of its corners has the face beyond it.
    std::array<double, 4> contrasts{};
    for (size_t k = 0; k < 4; ++k)
        contrasts[k] = fit.sides[k].contrast;
    std::sort(contrasts.begin(), contrasts.end());
    const double crisp = cardCorners ? contrasts[2] : contrasts[3];
    bool faintAllowed = threeCardCorners;
    for (size_t k = 0; k < 4; ++k) {
        const auto &side = fit.sides[k];
        const bool wavy = side.rms > 0.4 + 0.1 * side.edgeWidth && !fourCardCorners;
        if (wavy || side.edgeWidth > 0.15 * shortest + 2)
            return false;
        if (fourCardCorners || !faintAmongCrisp(side.contrast, crisp))
            continue;
        if (!faintAllowed || !tableBeyondSide(image, fit, k))
            return false;
        faintAllowed = false;
    }
    return true;
}

bool looseShapeHolds(const EdgeRefiner::Result &fit, bool cardCorners, bool threeCardCorners)
{
    // Any four straight lines can be put together into a shape: the ends of lines of print, a
    // column of text. Only one side may be broken; the others run nearly unbroken. A card held
    // by two opposite sides has both broken: its edge stepping the same way all round, or three
    // of a card's corners, tell it from print.
    const double second = !cardCorners ? kLooseSecondSupport
                          : threeCardCorners || stepsAlikeAllRound(fit)
                              ? kHeldSecondSupport
                              : kLooseSecondSupportWithCorners;
    if (fit.secondSupport() < second)
        return false;
    // The broken side must still be an edge of the card against the table, not the end of a
    // column of print; or a card's three corners show it is the card's, with the hand holding
    // it beside it.
    size_t weakest = 0;
    for (size_t k = 1; k < 4; ++k) {
        const auto &side = fit.sides[k];
        const auto &worst = fit.sides[weakest];
        if (side.inliers * worst.profiles < worst.inliers * side.profiles)
            weakest = k;
    }
    const int majority = sidesBrighterOutside(fit) > 2 ? 1 : -1;
    if (fit.sides[weakest].polarity != majority && !threeCardCorners)
        return false;
    // A finger or a glare spot breaks a side in one or two places; the ends of lines of print,
    // in as many places as there are lines.
    const int gaps = threeCardCorners ? kLooseGapsWithThreeCorners
                     : cardCorners    ? kLooseGapsWithCorners
                                      : kLooseGaps;
    for (const auto &side : fit.sides) {
        if (side.gaps > gaps)
            return false;
    }
    return true;
}

bool surfaceChangesAcrossSides(const ColourSampler &image, const EdgeRefiner::Result &fit,
                               std::vector<double> &scratch, bool cardCorners, bool fourCardCorners)
{
    int faint = 0;
    for (size_t k = 0; k < 4; ++k) {
        const auto &side = fit.sides[k];
        const double band = bandContrast(image, fit.corners, k, side.edgeWidth, scratch);
        const double needed = kBandShare * side.contrast * side.edgeWidth;
        TRACE("     side %zu band %.1f needs %.1f\n", k, band, needed);
        if (band >= needed)
            continue;
        if (!cardCorners || (band < kFaintBandShare * needed && !fourCardCorners))
            return false;
        if (++faint > (fourCardCorners ? kFaintSidesWithFourCorners : kFaintSides))
            return false;
    }
    return true;
}

double shareInPicture(cv::Point2d a, cv::Point2d b, cv::Size2d imageSize)
{
    // Clips the parameter range [0, 1] of a + t (b - a) against each border in turn.
    double from = 0, to = 1;
    const cv::Point2d d = b - a;
    const double starts[] = {a.x, imageSize.width - a.x, a.y, imageSize.height - a.y};
    const double rates[] = {d.x, -d.x, d.y, -d.y};
    for (size_t k = 0; k < 4; ++k) {
        if (rates[k] == 0) {
            if (starts[k] < 0)
                return 0;
            continue;
        }
        const double t = -starts[k] / rates[k];
        if (rates[k] > 0)
            from = std::max(from, t);
        else
            to = std::min(to, t);
    }
    return std::max(0.0, to - from);
}

bool cardCutByBorder(const EdgeRefiner::Result &fit, const CornerArcs &arcs, cv::Size2d imageSize)
{
    if (arcs.rounded < 2 || arcs.wrong > 0)
        return false;
    // The share of each side's profiles in the picture that lie on its line; none for a side
    // too little of which is in the picture to judge.
    std::array<double, 4> shares{};
    shares.fill(-1.0);
    double strongest = 0;
    for (size_t k = 0; k < 4; ++k) {
        const auto &side = fit.sides[k];
        const double inPicture =
            shareInPicture(fit.corners[k], fit.corners[(k + 1) % 4], imageSize);
        if (inPicture < kJudgedInPicture || side.profiles == 0)
            continue;
        shares[k] = std::min(1.0, side.inliers / (side.profiles * inPicture));
        if (shares[k] < kCutMinSupport)
            return false;
        strongest = std::max(strongest, side.contrast);
    }
    // As far as it is in the picture it is one card against much the same table: a shape
    // closed by faint lines around two of a card's corners is no card running off the picture.
    double sum = 0;
    int judged = 0;
    for (size_t k = 0; k < 4; ++k) {
        if (shares[k] < 0)
            continue;
        if (faintAmongCrisp(fit.sides[k].contrast, strongest))
            return false;
        sum += shares[k];
        ++judged;
    }
    return judged >= 3 && sum >= kCutSupport * judged;
}

bool insidePicture(const quad::Corners &corners, cv::Size2d imageSize)
{
    for (const auto &c : corners) {
        if (!(c.x > -2 && c.y > -2 && c.x < imageSize.width + 2 && c.y < imageSize.height + 2))
            return false;
    }
    // A corner may touch the border (the card's arc lies inside it), a whole side may not.
    const double right = imageSize.width - kAlongBorderPx;
    const double bottom = imageSize.height - kAlongBorderPx;
    for (size_t k = 0; k < 4; ++k) {
        const cv::Point2d a = corners[k], b = corners[(k + 1) % 4];
        if ((a.x < kAlongBorderPx && b.x < kAlongBorderPx) ||
            (a.y < kAlongBorderPx && b.y < kAlongBorderPx) || (a.x > right && b.x > right) ||
            (a.y > bottom && b.y > bottom))
            return false;
    }
    return true;
}

namespace {

// Where the bands beside one side lie: 16 points along its middle 70 %, each band reaching
// `depth` pixels from `gap` pixels off the side along n (outwards). Empty on a side too short
// to sample.
struct Bands
{
    cv::Point2d a, b, n;
    double gap = 0;
    int depth = 0;
    static constexpr int samples = 16;
    [[nodiscard]] bool empty() const { return depth == 0; }
    [[nodiscard]] cv::Point2d at(int i) const
    {
        return a + (b - a) * (0.15 + 0.7 * (i + 0.5) / samples);
    }
};

Bands bandsBeside(const quad::Corners &c, size_t side, int edgeWidth)
{
    Bands bands;
    bands.a = c[side];
    bands.b = c[(side + 1) % 4];
    cv::Point2d centre(0, 0);
    for (const auto &p : c)
        centre += p * 0.25;
    const double length = cv::norm(bands.b - bands.a);
    if (length < 8)
        return bands;
    const cv::Point2d d = (bands.b - bands.a) / length;
    bands.n = {d.y, -d.x};
    if (bands.n.dot((bands.a + bands.b) * 0.5 - centre) < 0)
        bands.n = -bands.n;
    double shortest = 1e9;
    for (size_t k = 0; k < 4; ++k)
        shortest = std::min(shortest, cv::norm(c[(k + 1) % 4] - c[k]));
    bands.gap = edgeWidth + 2.0;
    bands.depth = std::max(3, int(0.04 * shortest));
    return bands;
}

// Mean colour of the band at sample i on one side of a side (outwards: +1, inwards: -1).
Colour bandAt(const ColourSampler &image, const Bands &bands, int i, int outwards)
{
    const cv::Point2d p = bands.at(i);
    Colour sum{0, 0, 0};
    for (int k = 0; k < bands.depth; ++k) {
        const double o = outwards * (bands.gap + k);
        const auto c = image.at(p.x + bands.n.x * o, p.y + bands.n.y * o);
        for (size_t ch = 0; ch < 3; ++ch)
            sum[ch] += c[ch] / bands.depth;
    }
    return sum;
}

// Mean colour of the whole band on one side of a side.
Colour bandMean(const ColourSampler &image, const Bands &bands, int outwards)
{
    Colour sum{0, 0, 0};
    for (int i = 0; i < Bands::samples; ++i) {
        const Colour c = bandAt(image, bands, i, outwards);
        for (size_t ch = 0; ch < 3; ++ch)
            sum[ch] += c[ch] / Bands::samples;
    }
    return sum;
}

} // namespace

double bandContrast(const ColourSampler &image, const quad::Corners &c, size_t side, int edgeWidth,
                    std::vector<double> &scratch)
{
    const Bands bands = bandsBeside(c, side, edgeWidth);
    if (bands.empty())
        return 0;
    scratch.clear();
    for (int i = 0; i < Bands::samples; ++i)
        scratch.push_back(difference(bandAt(image, bands, i, -1), bandAt(image, bands, i, 1)));
    auto mid = scratch.begin() + std::ptrdiff_t(scratch.size() / 2);
    std::nth_element(scratch.begin(), mid, scratch.end());
    return *mid;
}

bool tableBeyondSide(const ColourSampler &image, const EdgeRefiner::Result &fit, size_t side)
{
    const Bands own = bandsBeside(fit.corners, side, fit.sides[side].edgeWidth);
    if (own.empty())
        return false;
    const Colour outside = bandMean(image, own, 1);
    const double step = difference(outside, bandMean(image, own, -1));
    for (size_t next : {(side + 1) % 4, (side + 3) % 4}) {
        const Bands beside = bandsBeside(fit.corners, next, fit.sides[next].edgeWidth);
        if (!beside.empty() && difference(outside, bandMean(image, beside, 1)) < step)
            return true;
    }
    return false;
}

namespace {

// How far p may go along the unit vector d before it leaves the picture (cols x rows).
double runToBorder(cv::Point2d p, cv::Point2d d, double cols, double rows)
{
    double t = std::numeric_limits<double>::infinity();
    if (d.x > 1e-9)
        t = std::min(t, (cols - 1 - p.x) / d.x);
    if (d.x < -1e-9)
        t = std::min(t, -p.x / d.x);
    if (d.y > 1e-9)
        t = std::min(t, (rows - 1 - p.y) / d.y);
    if (d.y < -1e-9)
        t = std::min(t, -p.y / d.y);
    return t;
}

Colour colourOf(const ColourSampler::Colour &c)
{
    return {c[0], c[1], c[2]};
}

} // namespace

bool sideRunsToBorder(const quad::Corners &shape, const EdgeField &field, double shrink,
                      const ColourSampler &picture)
{
    if (field.empty() || !(shrink > 0))
        return false;
    quad::Corners c = shape;
    cv::Point2d centre(0, 0);
    for (auto &p : c) {
        p /= shrink;
        centre += p * 0.25;
    }
    constexpr int samples = 8;
    const double across = kRunOnAcrossPx * shrink;
    for (size_t k = 0; k < 4; ++k) {
        const cv::Point2d a = c[k], b = c[(k + 1) % 4];
        const double length = cv::norm(b - a);
        if (!(length > 0))
            continue;
        cv::Point2d n((b - a).y / length, -(b - a).x / length);
        if (n.dot((a + b) * 0.5 - centre) < 0)
            n = -n;
        // The two surfaces along the side, inside and outside, in the full picture.
        Colour inside{0, 0, 0}, outside{0, 0, 0};
        for (int i = 0; i < samples; ++i) {
            const cv::Point2d p = (a + (b - a) * (0.15 + 0.7 * (i + 0.5) / samples)) * shrink;
            const auto in = picture.at(p.x - n.x * across, p.y - n.y * across);
            const auto out = picture.at(p.x + n.x * across, p.y + n.y * across);
            for (size_t ch = 0; ch < 3; ++ch) {
                inside[ch] += in[ch] / samples;
                outside[ch] += out[ch] / samples;
            }
        }
        const double step = difference(inside, outside);
        if (step < kCornerContrast)
            continue;
        for (const bool forwards : {false, true}) {
            const cv::Point2d from = forwards ? b : a;
            const cv::Point2d d = (forwards ? b - a : a - b) / length;
            const double skip = kRunOnSkip * length;
            const double run = runToBorder(from, d, field.cols(), field.rows()) - skip;
            if (!(run >= kRunOnShortest * length) || run < kRunOnShortestPx ||
                field.sideShare(from + d * skip, from + d * (skip + run), centre, 40) < kRunOnShare)
                continue;
            std::array<double, samples> offInside{}, offOutside{};
            for (int i = 0; i < samples; ++i) {
                const cv::Point2d p = (from + d * (skip + run * (i + 0.5) / samples)) * shrink;
                offInside[size_t(i)] = difference(
                    inside, colourOf(picture.at(p.x - n.x * across, p.y - n.y * across)));
                offOutside[size_t(i)] = difference(
                    outside, colourOf(picture.at(p.x + n.x * across, p.y + n.y * across)));
            }
            const auto middle = [](std::array<double, samples> &v) {
                std::nth_element(v.begin(), v.begin() + samples / 2, v.end());
                return v[samples / 2];
            };
            TRACE("     side %zu runs on to the border: colours off by %.2f and %.2f of %.0f\n", k,
                  middle(offInside) / step, middle(offOutside) / step, step);
            if (middle(offInside) < kRunOnColours * step &&
                middle(offOutside) < kRunOnColours * step)
                return true;
        }
    }
    return false;
}

bool oneOfARow(const quad::Corners &shape, const std::vector<quad::Corners> &others,
               const EdgeField &field, double shrink, bool cardCorners)
{
    // A shape's centre and the vectors between the middles of its opposite sides.
    struct Axes
    {
        cv::Point2d centre, u, v;
    };
    const auto axesOf = [](quad::Corners q) {
        quad::orderClockwise(q);
        const auto middle = [](cv::Point2d a, cv::Point2d b) { return (a + b) * 0.5; };
        return Axes{(q[0] + q[1] + q[2] + q[3]) * 0.25, middle(q[1], q[2]) - middle(q[3], q[0]),
                    middle(q[2], q[3]) - middle(q[0], q[1])};
    };
    const Axes a = axesOf(shape);
    const double width = cv::norm(a.u), height = cv::norm(a.v);
    if (width < 1 || height < 1)
        return false;
    const auto near = [](double x, double wanted) {
        return std::abs(x - wanted) < kRowSizeTolerance * wanted;
    };
    for (const auto &other : others) {
        const Axes b = axesOf(other);
        const double w = cv::norm(b.u), h = cv::norm(b.v);
        if (!(near(w, width) && near(h, height)) && !(near(w, height) && near(h, width)))
            continue;
        const cv::Point2d d = b.centre - a.centre;
        const double along = std::abs(d.dot(a.u)) / width, across = std::abs(d.dot(a.v)) / height;
        if ((along > kRowNearest * width && along < kRowFarthest * width &&
             across < kRowOffAxis * height) ||
            (across > kRowNearest * height && across < kRowFarthest * height &&
             along < kRowOffAxis * width))
            return true;
    }
    if (field.empty() || !(shrink > 0))
        return false;
    quad::Corners small = shape;
    quad::orderClockwise(small);
    for (auto &p : small)
        p /= shrink;
    const auto inField = [&](cv::Point2d p) {
        return p.x > 1 && p.y > 1 && p.x < field.cols() - 1 && p.y < field.rows() - 1;
    };
    const double supportNeeded = cardCorners ? kRowSupportWithCorners : kRowSupport;
    const double worstNeeded = cardCorners ? kRowWorstSideWithCorners : kRowWorstSide;
    for (const cv::Point2d axis : {a.u, -a.u, a.v, -a.v}) {
        const cv::Point2d step = axis / shrink;
        for (double t = kRowNearestOnEdges; t <= kRowFarthest + 1e-9; t += kRowStep) {
            quad::Corners moved = small;
            bool inside = true;
            for (auto &p : moved) {
                p += step * t;
                inside = inside && inField(p);
            }
            if (!inside)
                continue;
            double worst = 0;
            if (field.sideSupport(moved, &worst) >= supportNeeded && worst >= worstNeeded)
                return true;
        }
    }
    return false;
}

} // namespace cardcheck
