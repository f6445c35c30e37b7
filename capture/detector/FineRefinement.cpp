#include "capture/detector/FineRefinement.h"

#include "capture/detector/CardChecks.h"
#include "capture/detector/Ranking.h"
#include "capture/detector/Trace.h"
#include "core/CardGeometry.h"

#include <algorithm>
#include <cmath>
#include <functional>

namespace {

// Coarse shapes refined on the full picture at most, and how close to the best one's score a
// shape must come to be refined.
constexpr size_t kCards = 3;
constexpr double kContender = 0.9;
// The largest shapes tried for their corners when nothing else showed a card's, how close to
// the best shape's score they must come, and how many of their corners must be a card's.
constexpr size_t kLargeCards = 2;
constexpr double kLargeContender = 0.4;
constexpr int kRoundedForLarge = 2;
// The steepest view of a card whose proportions may miss the tolerance by half as much again.
constexpr double kNearMissMaxTiltDegrees = 40.0;
// A card found that ran past a refused fit inside it: larger by this much, on two corners of
// that fit within this many pixels.
constexpr double kLargerThanNearCard = 1.02;
constexpr double kSameCornerPx = 3.0;
// Corners like a card's, and none unlike, that let a side be broken in more places.
constexpr int kRoundedForBrokenSide = 2;

} // namespace

void FineRefinement::run(const Frame &frame, const std::vector<Hypothesis> &shapes)
{
    m_cards.clear();
    m_refined.assign(shapes.size(), false);
    for (size_t i = 0; i < shapes.size() && m_cards.size() < kCards; ++i) {
        // Once the best proposal is confirmed, only close contenders are worth the full-size
        // work; the caller uses the first card.
        if (!m_cards.empty() && shapes[i].score < kContender * ranking::scoreOf(m_cards.front()))
            break;
        tryShape(frame, shapes, i, frame.roundedNeeded);
    }
    // Support and proportions cannot tell a sticky note from a card, but a large shape's
    // corners can: when nothing found so far showed a card's corners, the largest shapes whose
    // corners are big enough to judge get their turn, and count only if they show them.
    bool cornersSeen = false;
    for (const auto &card : m_cards)
        cornersSeen = cornersSeen || card.roundedCorners >= kRoundedForLarge;
    if (cornersSeen || shapes.empty())
        return finish();
    m_bySize.clear();
    for (size_t i = 0; i < shapes.size(); ++i) {
        const double longEdge = quad::longestSide(shapes[i].corners) * frame.factor;
        if (!m_refined[i] && shapes[i].score >= kLargeContender * shapes.front().score &&
            longEdge * CardGeometry::relativeCornerRadius >= cardcheck::kMinCornerRadiusPx)
            m_bySize.push_back({longEdge, i});
    }
    std::sort(m_bySize.begin(), m_bySize.end(), std::greater<>());
    for (size_t k = 0; k < m_bySize.size() && k < kLargeCards; ++k)
        tryShape(frame, shapes, m_bySize[k].second,
                 std::max(kRoundedForLarge, frame.roundedNeeded));
    finish();
}

void FineRefinement::track(const Frame &frame, const quad::Corners &previous, int reach)
{
    m_cards.clear();
    m_cutCards.clear();
    Hypothesis shape;
    shape.corners = previous;
    // Fitted as if found on a picture shrunk so that its corners are good to `reach` pixels.
    Frame wide = frame;
    wide.factor = std::max(1, (reach - 2) / 2);
    for (auto &c : shape.corners)
        c /= double(wide.factor);
    const cv::Size2d size(frame.size.width / wide.factor, frame.size.height / wide.factor);
    shape.aspectError =
        cardcheck::proportionError(shape.corners, size, frame.focal / wide.factor, frame.aspect);
    const std::vector<Hypothesis> shapes{shape};
    m_refined.assign(1, false);
    tryShape(wide, shapes, 0, 0);
    if (!m_cards.empty() && m_wrongCorners > 0)
        m_cards.clear();
}

void FineRefinement::finish()
{
    // Print cannot show more of a card's corners than the card around it: a card found around
    // a refused fit that does, on two of its corners, ran past the card onto a line of print
    // or the paper's edge. The refused fit is the card, held back by a corner print touches;
    // a further look may see it whole.
    if (m_nearCard)
        std::erase_if(m_cards, [&](const Hypothesis &card) { return ranPastCard(card); });
    ranking::demoteInnerShapes(m_cards);
    ranking::sortByScore(m_cards);
}

void FineRefinement::tryShape(const Frame &frame, const std::vector<Hypothesis> &shapes, size_t i,
                              int roundedNeeded)
{
    m_refined[i] = true;
    if (!fit(frame, shapes[i]))
        return;
    Hypothesis h;
    h.corners = m_fit.corners;
    h.support = m_fit.support();
    h.minSupport = m_fit.minSupport();
    const cardcheck::View view =
        cardcheck::viewOf(h.corners, frame.size, frame.focal, frame.aspect);
    h.aspectError = view.aspectError;
    for (const auto &sd : m_fit.sides)
        TRACE("     side %d/%d rms %.2f width %d contrast %.1f pol %d gaps %d\n", sd.inliers,
              sd.profiles, sd.rms, sd.edgeWidth, sd.contrast, sd.polarity, sd.gaps);
    TRACE("  fine %zu loose %d sup %.2f min %.2f aspErr %.3f (%.1f,%.1f) (%.1f,%.1f) "
          "(%.1f,%.1f) (%.1f,%.1f)\n",
          i, int(shapes[i].loose), h.support, h.minSupport, h.aspectError, h.corners[0].x,
          h.corners[0].y, h.corners[1].x, h.corners[1].y, h.corners[2].x, h.corners[2].y,
          h.corners[3].x, h.corners[3].y);
    // The corners first: the sides of a shape that shows a card's corners and no other may be
    // broken in more places by fingers, cables or clutter along them.
    const cardcheck::CornerArcs arcs =
        cardcheck::cornerArcs(frame.picture, h.corners, frame.aspect);
    TRACE("     corners rounded %d wrong %d unknown %d\n", arcs.rounded, arcs.wrong, arcs.unknown);
    if (!cardcheck::insidePicture(h.corners, frame.size)) {
        TRACE("     refused: border\n");
        noteCutCard(frame, h, arcs);
        return;
    }
    if (!cardcheck::plausibleView(view)) {
        TRACE("     refused: seen too obliquely\n");
        noteNearCard(h, arcs);
        return;
    }
    if (cardcheck::cornersShowNothing(arcs, h.corners)) {
        TRACE("     refused: no corner judged\n");
        return;
    }
    if (arcs.rounded < roundedNeeded || !isCard(frame, shapes[i], h, view.tilt, arcs)) {
        noteNearCard(h, arcs);
        return;
    }
    h.roundedCorners = arcs.rounded;
    h.wrongCorners = arcs.wrong;
    h.wrongMask = arcs.wrongMask;
    m_wrongCorners = arcs.wrong;
    h.score = ranking::scoreOf(h) * ranking::cornerFactor(arcs.rounded, arcs.wrong);
    for (const auto &other : m_cards) {
        if (quad::maxCornerDistance(other.corners, h.corners) < 3.0)
            return;
    }
    m_cards.push_back(h);
}

bool FineRefinement::fit(const Frame &frame, const Hypothesis &shape)
{
    // First with a window wide enough for the coarse error, then narrow around the found lines
    // so that nearby print or shadow cannot pull the fit.
    const int factor = frame.factor;
    EdgeRefiner::Params wide;
    wide.searchRadius = std::max(10, int(std::ceil(1.5 * factor)) + 3);
    wide.marginFraction = 0.1;
    wide.marginPixels = 1.5 * factor;
    wide.maxProfiles = 40;
    wide.inlierTolerance = std::max(1.5, 0.3 * factor);
    wide.minGradient = 1.0f;
    wide.tangentialTaps = 1;
    EdgeRefiner::Params narrow = wide;
    narrow.searchRadius = 6;
    narrow.marginPixels = 2.0;
    narrow.inlierTolerance = 1.0;
    narrow.maxProfiles = 80;
    narrow.tangentialTaps = 3;
    narrow.wholeBowedSide = true;

    quad::Corners corners = shape.corners;
    for (auto &c : corners)
        c *= double(factor);
    if (factor > 1) {
        const bool settled = m_refiner.refine(frame.picture, corners, wide, m_fit);
        // The coarse corners are good to about a pixel of the shrunk picture; a side that
        // moved much further jumped to another edge (noise, print), so the narrow pass then
        // starts from the coarse corners with a window covering their error.
        if (settled && quad::maxCornerDistance(m_fit.corners, corners) <= 2.0 * factor + 2) {
            corners = m_fit.corners;
            int width = 0;
            for (const auto &side : m_fit.sides)
                width = std::max(width, side.edgeWidth);
            narrow.searchRadius = std::max(6, width + 3);
        } else {
            narrow.searchRadius = 2 * factor + 3;
        }
    }
    return m_refiner.refine(frame.picture, corners, narrow, m_fit);
}

bool FineRefinement::isCard(const Frame &frame, const Hypothesis &shape, const Hypothesis &h,
                            double tilt, const cardcheck::CornerArcs &arcs)
{
    // A shape with a corner unlike a card's and none like one is something else: a key, a
    // block of print, the gap between two fingers. (A card's fit may show one such corner, where
    // a finger or print lies over it, but then shows a card's corners elsewhere; more of them
    // where loose lines make the shape.)
    if ((arcs.wrong > 0 && arcs.rounded == 0) ||
        (shape.loose && !cardcheck::looseCornersHold(arcs))) {
        TRACE("     refused: corners\n");
        return false;
    }
    const bool cardCorners = arcs.rounded >= kRoundedForBrokenSide && arcs.wrong == 0;
    const bool threeCardCorners = arcs.rounded >= 3 && arcs.wrong == 0;
    const bool fourCardCorners = arcs.rounded == 4;
    // A card nearly facing the camera pins its focal length down poorly, so a fraction of a
    // pixel of noise on the full-size corners can push the recovered shape just past the
    // tolerance. A shrunk-picture fit of a closed outline that showed the card's shape clearly
    // vouches for such a near miss; a shape put together from loose lines does not (a key's
    // sides and a line printed on the card below it make one).
    // A shape that looks like a card only seen steeply (a block of print on a card, seen as
    // a card tilted by fifty degrees) gets no such allowance.
    const bool nearMiss = !shape.loose && h.aspectError <= ranking::kMaxAspectError * 1.5 &&
                          shape.aspectError <= ranking::kMaxAspectError * 0.5 &&
                          tilt <= kNearMissMaxTiltDegrees;
    if (h.support < cardcheck::meanSupportNeeded(threeCardCorners) ||
        h.minSupport <
            cardcheck::leastSupportNeeded(m_fit, cardCorners, threeCardCorners, fourCardCorners) ||
        (h.aspectError > ranking::kMaxAspectError && !nearMiss)) {
        TRACE("     refused: support or proportion\n");
        return false;
    }
    if (shape.loose && !cardcheck::looseShapeHolds(m_fit, cardCorners, threeCardCorners)) {
        TRACE("     refused: loose shape\n");
        return false;
    }
    if (!cardcheck::sidesAreCardEdges(frame.picture, m_fit, cardCorners, threeCardCorners,
                                      fourCardCorners)) {
        TRACE("     refused: sides\n");
        return false;
    }
    if (!cardcheck::surfaceChangesAcrossSides(frame.picture, m_fit, m_bands, cardCorners,
                                              fourCardCorners)) {
        TRACE("     refused: surface\n");
        return false;
    }
    return true;
}

void FineRefinement::noteCutCard(const Frame &frame, const Hypothesis &h,
                                 const cardcheck::CornerArcs &arcs)
{
    if (h.aspectError > ranking::kMaxAspectError ||
        !cardcheck::cardCutByBorder(m_fit, arcs, frame.size))
        return;
    TRACE("     a card cut by the border\n");
    quad::Corners corners = h.corners;
    quad::orderClockwise(corners);
    m_cutCards.push_back(corners);
}

bool FineRefinement::ranPastCard(const Hypothesis &card) const
{
    const Hypothesis &near = *m_nearCard;
    if (near.roundedCorners <= card.roundedCorners ||
        quad::area(card.corners) < kLargerThanNearCard * quad::area(near.corners) ||
        !quad::contains(card.corners, near.corners, kSameCornerPx))
        return false;
    int shared = 0;
    for (const auto &p : near.corners) {
        for (const auto &q : card.corners)
            shared += cv::norm(p - q) < kSameCornerPx ? 1 : 0;
    }
    if (shared >= 2)
        TRACE("  a card found ran past a refused fit with more card corners\n");
    return shared >= 2;
}

void FineRefinement::noteNearCard(Hypothesis h, const cardcheck::CornerArcs &arcs)
{
    if (arcs.rounded == 0 || arcs.wrong == 0 || h.aspectError > ranking::kMaxAspectError)
        return;
    h.roundedCorners = arcs.rounded;
    h.wrongCorners = arcs.wrong;
    h.wrongMask = arcs.wrongMask;
    const auto closeness = [](const Hypothesis &c) {
        return std::pair(c.roundedCorners - c.wrongCorners, c.support);
    };
    if (!m_nearCard || closeness(h) > closeness(*m_nearCard))
        m_nearCard = h;
}
