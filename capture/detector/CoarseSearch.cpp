#include "capture/detector/CoarseSearch.h"

#include "capture/detector/CardChecks.h"
#include "capture/detector/EdgeField.h"
#include "capture/detector/Ranking.h"
#include "capture/detector/Trace.h"

#include <algorithm>
#include <cmath>
#include <functional>

namespace {

// Shapes refined on the shrunk picture.
constexpr size_t kShapes = 10;
// Proposals from loose segments refined at most. The lines of one block of print close many
// shapes over much the same area, and a card whose sides are broken ranks after them.
constexpr size_t kSegmentTries = 20;
// The steepest view of a proposal refined here and of a shape kept for the full-size fit
// (which allows kMaxTiltDegrees): a proposal's corners sit on the card's arcs or a pixel off
// its edges, a refined shape's within a pixel of the shrunk picture.
constexpr double kProposalMaxTiltDegrees = cardcheck::kMaxTiltDegrees + 15.0;
constexpr double kCoarseMaxTiltDegrees = cardcheck::kMaxTiltDegrees + 5.0;
// The largest proposals tried besides the best supported ones, and the least share of the
// picture they cover.
constexpr size_t kLargest = 3;
constexpr double kLargeShare = 0.04;
// Aspect error past which a proposal is not worth the edge fitting. A card cut short by a
// printed stripe still passes (it is at most a third too short).
constexpr double kProposalAspectError = 0.45;
// How far past a side, as a share of the distance across the shape, the card's own edge is
// looked for when the side may be a printed line on its face.
constexpr double kOutwardReach = 0.2;

EdgeRefiner::Params narrowParams()
{
    EdgeRefiner::Params p;
    p.searchRadius = 3;
    p.marginFraction = 0.12;
    p.marginPixels = 1.0;
    p.maxProfiles = 32;
    p.inlierTolerance = 1.0;
    p.minGradient = 1.5f;
    p.tangentialTaps = 1; // the shrunk picture is already averaged
    return p;
}

EdgeRefiner::Params wideParams()
{
    EdgeRefiner::Params p = narrowParams();
    p.searchRadius = 7;
    p.inlierTolerance = 1.5;
    p.maxProfiles = 20;
    return p;
}

} // namespace

void CoarseSearch::reset()
{
    clearShapes();
    m_reseated = 0;
    m_reseating = 0;
}

void CoarseSearch::clearShapes()
{
    m_shapes.clear();
    m_tried.clear();
}

void CoarseSearch::run(const Frame &frame, const std::vector<Candidate> &candidates,
                       bool fromSegments)
{
    // Shapes put together from loose segments are many and weak: only the best few are
    // refined, and they are not extended past a stripe (their sides are already the longest
    // straight lines about).
    m_refiner.rememberSidesOf(frame.field.picture());
    m_fromSegments = fromSegments;
    size_t extended = fromSegments ? 4 : 0;
    const size_t tries = fromSegments ? kSegmentTries : kShapes * 2;
    for (size_t i = 0; i < candidates.size() && i < tries; ++i) {
        if (m_shapes.size() >= kShapes)
            break;
        // Another outline of a quadrilateral already refined (the same card at another
        // threshold) would only refine to it again.
        if (known(candidates[i].corners))
            continue;
        const cardcheck::View view =
            cardcheck::viewOf(candidates[i].corners, frame.size, frame.focal, frame.aspect);
        if (view.aspectError > kProposalAspectError ||
            !cardcheck::plausibleView(view, kProposalMaxTiltDegrees))
            continue;
        const double error = consider(frame, candidates[i].corners);
        if (error <= ranking::kMaxAspectError || extended >= 4)
            continue;
        // Four clean edges of the wrong shape: perhaps one of them is a stripe printed
        // parallel to the card's edge.
        ++extended;
        tryPastStripes(frame, m_refined.corners);
    }
    if (!fromSegments)
        tryLargest(frame, candidates);
    ranking::sortByScore(m_shapes);
}

void CoarseSearch::tryLargest(const Frame &frame, const std::vector<Candidate> &candidates)
{
    // A card that fills much of the picture meets flags, keys or fingers along its outline and
    // closes into a weaker outline than the small things around it; the largest outlines of
    // about the card's shape get a turn of their own (their corners will decide).
    m_bySize.clear();
    for (size_t i = 0; i < candidates.size(); ++i) {
        const double area = quad::area(candidates[i].corners);
        if (area >= kLargeShare * frame.size.area())
            m_bySize.push_back({area, i});
    }
    std::sort(m_bySize.begin(), m_bySize.end(), std::greater<>());
    size_t tried = 0;
    for (const auto &[area, i] : m_bySize) {
        if (tried >= kLargest)
            break;
        if (known(candidates[i].corners) ||
            cardcheck::proportionError(candidates[i].corners, frame.size, frame.focal,
                                       frame.aspect) > kProposalAspectError)
            continue;
        ++tried;
        consider(frame, candidates[i].corners);
    }
}

bool CoarseSearch::known(const quad::Corners &corners) const
{
    for (const auto &h : m_shapes) {
        if (quad::closerThan(h.corners, corners, 5.0))
            return true;
    }
    for (const auto &t : m_tried) {
        if (quad::closerThan(t, corners, 5.0))
            return true;
    }
    return false;
}

bool CoarseSearch::moveSide(const quad::Corners &base, size_t side, double offset,
                            quad::Corners &moved)
{
    // The side shifted outwards by offset, its neighbours kept on their lines.
    cv::Point2d centre(0, 0);
    for (const auto &p : base)
        centre += p * 0.25;
    moved = base;
    const cv::Point2d a = base[side], c = base[(side + 1) % 4];
    const cv::Point2d d = (c - a) / cv::norm(c - a);
    cv::Point2d n(d.y, -d.x);
    if (n.dot((a + c) * 0.5 - centre) < 0)
        n = -n;
    const quad::Line shifted{a + n * offset, d};
    const quad::Line before{base[(side + 3) % 4], a - base[(side + 3) % 4]};
    const quad::Line after{c, base[(side + 2) % 4] - c};
    auto unit = [](quad::Line l) {
        l.d /= std::max(cv::norm(l.d), 1e-9);
        return l;
    };
    return quad::intersect(unit(before), shifted, moved[side]) &&
           quad::intersect(shifted, unit(after), moved[(side + 1) % 4]) && quad::isConvex(moved);
}

double CoarseSearch::across(const quad::Corners &base, size_t side)
{
    return 0.5 * (cv::norm(base[(side + 2) % 4] - base[side]) +
                  cv::norm(base[(side + 3) % 4] - base[(side + 1) % 4]));
}

void CoarseSearch::tryPastStripes(const Frame &frame, const quad::Corners base)
{
    // Try the next parallel edge outwards on each side.
    for (const auto &t : m_tried) {
        if (quad::closerThan(t, base, 3.0))
            return;
    }
    m_tried.push_back(base);
    for (size_t side = 0; side < 4; ++side) {
        frame.field.parallelEdges(base, int(side), 0.6 * across(base, side), m_offsets);
        for (double o : m_offsets)
            TRACE("    side %zu offset %.0f\n", side, o);
        const std::vector<double> offsets = m_offsets;
        for (double offset : offsets) {
            quad::Corners moved;
            if (!moveSide(base, side, offset, moved))
                continue;
            if (consider(frame, moved) >= 0 && m_shapes.size() >= kShapes)
                break;
        }
    }
}

void CoarseSearch::tryOutwards(const Frame &frame, const quad::Corners &base, unsigned sides)
{
    m_refiner.rememberSidesOf(frame.field.picture());
    clearShapes();
    for (size_t side = 0; side < 4; ++side) {
        if (!(sides & (1u << side)))
            continue;
        frame.field.parallelEdges(base, int(side), kOutwardReach * across(base, side), m_offsets);
        const std::vector<double> offsets = m_offsets;
        for (double offset : offsets) {
            TRACE("    outwards: side %zu offset %.0f\n", side, offset);
            quad::Corners moved;
            if (moveSide(base, side, offset, moved))
                consider(frame, moved);
        }
    }
    // A side that found its way back is the shape already known.
    std::erase_if(m_shapes,
                  [&](const Hypothesis &h) { return quad::closerThan(h.corners, base, 2.0); });
    ranking::sortByScore(m_shapes);
}

double CoarseSearch::consider(const Frame &frame, const quad::Corners &corners)
{
    // Proposals can be several pixels off (hull vertices sit on the rounded corners): a wide
    // pass first, then a narrow one that decides the support.
    if (!m_refiner.refine(frame.picture, corners, wideParams(), m_refined) ||
        !m_refiner.refine(frame.picture, quad::Corners(m_refined.corners), narrowParams(),
                          m_refined))
        return -1;
    Hypothesis h;
    h.corners = m_refined.corners;
    h.support = m_refined.support();
    h.minSupport = m_refined.minSupport();
    const cardcheck::View view =
        cardcheck::viewOf(h.corners, frame.size, frame.focal, frame.aspect);
    h.aspectError = view.aspectError;
    h.loose = m_fromSegments || m_reseating > 0;
    TRACE("  coarse loose %d sup %.2f min %.2f aspErr %.3f (%.1f,%.1f) (%.1f,%.1f) (%.1f,%.1f) "
          "(%.1f,%.1f)\n",
          int(h.loose), h.support, h.minSupport, h.aspectError, h.corners[0].x, h.corners[0].y,
          h.corners[1].x, h.corners[1].y, h.corners[2].x, h.corners[2].y, h.corners[3].x,
          h.corners[3].y);
    if (h.aspectError <= kProposalAspectError && h.minSupport < 0.5 &&
        m_refined.secondSupport() >= 0.7 && m_reseated < 2) {
        const EdgeRefiner::Result kept = m_refined;
        reseatWeakestSide(frame);
        m_refined = kept;
    }
    if (h.support < 0.55 || h.minSupport < 0.3)
        return -1;
    // A shape only a view far steeper than anyone measures from makes a card's is not worth
    // the full-size fit that would refuse it; the shrunk picture's corners leave the tilt a
    // few degrees of play.
    if (h.aspectError <= ranking::kMaxAspectError * 1.5 &&
        cardcheck::plausibleView(view, kCoarseMaxTiltDegrees)) {
        h.score = ranking::scoreOf(h);
        keep(h);
    }
    return h.aspectError;
}

void CoarseSearch::reseatWeakestSide(const Frame &frame)
{
    // Three clean sides and one lost: the card's edge may run along a seam of the table or
    // into glare, and the fit took the wrong line. Look for the side again where the other
    // three put it.
    ++m_reseated;
    int weakest = 0;
    for (int k = 1; k < 4; ++k) {
        const auto &side = m_refined.sides[size_t(k)];
        const auto &worst = m_refined.sides[size_t(weakest)];
        if (side.inliers * worst.profiles < worst.inliers * side.profiles)
            weakest = k;
    }
    frame.field.reseatSide(m_refined.corners, weakest, 3, m_reseats);
    const std::vector<quad::Corners> seats = m_reseats;
    ++m_reseating;
    for (const auto &seat : seats)
        consider(frame, seat);
    --m_reseating;
}

void CoarseSearch::keep(const Hypothesis &h)
{
    for (auto &other : m_shapes) {
        if (quad::closerThan(other.corners, h.corners, 2.0)) {
            if (h.score > other.score)
                other = h;
            return;
        }
    }
    m_shapes.push_back(h);
}
