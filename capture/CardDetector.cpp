#include "capture/CardDetector.h"

#include "capture/detector/CandidateFinder.h"
#include "capture/detector/CardChecks.h"
#include "capture/detector/CoarseSearch.h"
#include "capture/detector/ColourSampler.h"
#include "capture/detector/FineRefinement.h"
#include "capture/detector/Ranking.h"
#include "capture/detector/Trace.h"
#include "core/CardShape.h"

#include <opencv2/core.hpp>

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>

namespace {

// How much the frame is shrunk for the search. Small frames are cheap: half size keeps small
// cards large enough. A 1080p preview frame is searched at a quarter to stay within its time
// budget; photos at about 576 pixels on the long side.
int searchFactor(int longSide)
{
    if (longSide <= 1400)
        return std::max(1, (longSide + 320) / 640);
    if (longSide <= 2600)
        return std::max(1, (longSide + 240) / 480);
    return (longSide + 288) / 576;
}

// How much the frame is shrunk for the look at a card filling much of it: to about this many
// pixels across its short side, whatever the frame's size, so that a card of a given share of
// the picture is seen at one size there (a crop around a large card keeps its short side).
constexpr double kLargeCardShortSide = 135.0;

int largeCardFactor(int shortSide)
{
    return int(std::lround(shortSide / kLargeCardShortSide));
}

// Aspect error past which a shape from loose segments is not proposed.
constexpr double kSegmentAspectError = 0.45;

// A rectangle inside a card cut by the border is print on it when it covers less than this
// share of the card's area, within this share of the card's long side of its outline (the cut
// card's sides are fitted on the part in the picture only, and a side of print sharing the
// card's edge can lie a little past it).
constexpr double kPrintShare = 0.7;
constexpr double kPrintMargin = 0.02;
// Corners like a card's, and none unlike one, that keep such a rectangle as a card of its own
// (a card lying on another). A photo printed in the card's corner shares two of the card's.
constexpr int kOwnCardCorners = 3;
// Corners like a card's that rule out a row: a key's or a photo's rounded corners can pass for
// two of a card's.
constexpr int kCornersAgainstARow = 3;

// The side whose two corners alone are unlike a card's, with the other two like one; -1 when
// there is none.
int sideOnPrintedLine(const Hypothesis &h)
{
    if (h.wrongCorners != 2 || h.roundedCorners != 2)
        return -1;
    for (unsigned side = 0; side < 4; ++side) {
        if (h.wrongMask == ((1u << side) | (1u << ((side + 1) % 4))))
            return int(side);
    }
    return -1;
}

} // namespace

struct CardDetector::Buffers
{
    // Working images per look. The looks differ in size: one shared set was reallocated at
    // every look, and the largest look's gradient images came from fresh pages on every frame
    // (about 13 ms of a frame without a card at 1080p).
    struct LookBuffers
    {
        cv::Mat small;
        CandidateFinder finder;
    };
    LookBuffers &at(Look look) { return looks[size_t(look)]; }

    QImage converted;
    std::array<LookBuffers, 3> looks;
    CoarseSearch coarse;
    FineRefinement fine;
    std::vector<Candidate> candidates;
    std::vector<Hypothesis> cards;
    std::vector<Hypothesis> kept;
    std::vector<quad::Corners> cutShapes;
    std::vector<quad::Corners> outlines; // every look's closed outlines, full-size coordinates
};

CardDetector::CardDetector(const Options &options)
    : m_options(options), m_buffers(std::make_unique<Buffers>())
{
}

CardDetector::CardDetector() : CardDetector(Options{}) {}

CardDetector::~CardDetector() = default;

std::vector<RectangleFeature> CardDetector::features(const QImage &image, const Options &options)
{
    m_buffers->cards.clear();
    m_buffers->fine.forgetCutCards();
    m_buffers->outlines.clear();
    const ColourSampler picture = prepare(image);
    if (picture.width() == 0)
        return {};
    const int longSide = std::max(picture.width(), picture.height());
    const int factor = searchFactor(longSide);
    const int largeFactor = largeCardFactor(std::min(picture.width(), picture.height()));
    Buffers &b = *m_buffers;
    // A card running off the picture was seen and nothing else but print on it: a further look
    // would find only more print, and the card cannot be measured with.
    const auto onlyACutCard = [&] {
        dropPrintOnCutCards();
        return b.cards.empty() && !b.fine.cutCards().empty();
    };
    search(picture, options, Look::first, factor, true, 0);
    b.cards = b.fine.cards();
    if (onlyACutCard())
        return {};
    // A card that fills much of the picture is best seen shrunk further, where keys, print and
    // grain along its outline shrink away. That look counts only with corners like a card's,
    // and is needed only when the first found no such corners. A finger over the large card
    // breaks its outline there as well: its straight sides are put together too.
    const bool cornersSeen = !b.cards.empty() && b.cards.front().roundedCorners >= 2;
    if (!cornersSeen && largeFactor > factor) {
        search(picture, options, Look::largeCard, largeFactor, true, 2);
        if (!b.fine.cards().empty()) {
            const Hypothesis &large = b.fine.cards().front();
            std::erase_if(b.cards, [&](const Hypothesis &h) {
                return quad::maxCornerDistance(h.corners, large.corners) < 3.0;
            });
            b.cards.insert(b.cards.begin(), large);
        }
    }
    if (onlyACutCard())
        return {};
    // The quarter-size search of a 1080p frame can miss a small or faint card; a second look
    // at a third (at half where the first was at a third already) costs time only on frames
    // where the first found nothing. The slow segment route has had its turn. Like the look at
    // a large card, it is a second chance for shapes of the card's proportions, and counts only
    // with a card's corners.
    if (b.cards.empty() && longSide > 1400 && longSide <= 2600) {
        search(picture, options, Look::smallCard, std::min(3, factor - 1), false, 2);
        b.cards = b.fine.cards();
    }
    dropPrintOnCutCards();
    // Unless it shows three of a card's corners, a shape with its like beside it is a key, a
    // chip, a line of print or the gap between two fingers.
    std::erase_if(b.cards, [&](const Hypothesis &h) {
        return h.roundedCorners < kCornersAgainstARow &&
               cardcheck::oneOfARow(h.corners, b.outlines, b.at(Look::first).finder.field(),
                                    double(factor), h.roundedCorners > 0);
    });
    // Unless it shows three of a card's corners and none unlike one, a shape one of whose
    // sides runs on to the border is part of something the border cuts: a field printed on
    // a card running off the picture, sharing two of the card's sides.
    std::erase_if(b.cards, [&](const Hypothesis &h) {
        return !(h.roundedCorners >= kOwnCardCorners && h.wrongCorners == 0) &&
               cardcheck::sideRunsToBorder(h.corners, b.at(Look::first).finder.field(),
                                           double(factor), picture);
    });
    return report(picture.height());
}

std::vector<RectangleFeature> CardDetector::track(const QImage &image,
                                                  const RectangleFeature &previous,
                                                  const Options &options, int reach)
{
    Buffers &b = *m_buffers;
    b.cards.clear();
    const ColourSampler picture = prepare(image);
    if (picture.width() == 0)
        return {};
    const double height = picture.height();
    const auto down = [height](QPointF p) { return cv::Point2d(p.x(), height - p.y()); };
    quad::Corners corners{down(previous.topLeft), down(previous.topRight),
                          down(previous.bottomRight), down(previous.bottomLeft)};
    quad::orderClockwise(corners);
    if (!quad::isConvex(corners))
        return {};
    const double focal = options.focalLength > 0 ? options.focalLength : 0.0;
    const FineRefinement::Frame frame{picture, cv::Size2d(picture.width(), picture.height()), focal,
                                      options.aspectRatio, 1};
    b.fine.track(frame, corners, reach);
    b.cards = b.fine.cards();
    return report(height);
}

void CardDetector::noteCutCards(const ColourSampler &picture, const Options &options, Look look,
                                int factor)
{
    // Two of its corners in the picture must be a card's, and none unlike one.
    Buffers &b = *m_buffers;
    b.at(look).finder.findCutShapes(b.cutShapes);
    for (quad::Corners corners : b.cutShapes) {
        for (auto &c : corners)
            c *= double(factor);
        const cardcheck::CornerArcs arcs =
            cardcheck::cornerArcs(picture, corners, options.aspectRatio);
        if (arcs.rounded >= 2 && arcs.wrong == 0) {
            TRACE("  card cut by the border (%.0f,%.0f) (%.0f,%.0f) (%.0f,%.0f) (%.0f,%.0f)\n",
                  corners[0].x, corners[0].y, corners[1].x, corners[1].y, corners[2].x,
                  corners[2].y, corners[3].x, corners[3].y);
            b.fine.addCutCard(corners);
        }
    }
}

void CardDetector::dropPrintOnCutCards()
{
    // A card running off the picture cannot be measured with, and the rectangles printed on
    // its face (a photo, a name field) are not cards: the picture holds no card to report.
    // A fit of the same card a little off lies inside it too, but is not much smaller; only a
    // shape showing three of a card's corners of its own, and no other, is a card.
    Buffers &b = *m_buffers;
    for (const quad::Corners &cut : b.fine.cutCards()) {
        std::erase_if(b.cards, [&](const Hypothesis &h) {
            quad::Corners corners = h.corners;
            quad::orderClockwise(corners);
            const bool ownCard = h.roundedCorners >= kOwnCardCorners && h.wrongCorners == 0;
            return !ownCard && quad::area(corners) < kPrintShare * quad::area(cut) &&
                   quad::contains(cut, corners, kPrintMargin * quad::longestSide(cut));
        });
    }
}

std::vector<RectangleFeature> CardDetector::report(double height) const
{
    std::vector<RectangleFeature> result;
    for (const auto &h : m_buffers->cards) {
        quad::Corners c = h.corners;
        quad::orderClockwise(c);
        // Named as seen on screen, reported with y growing upwards.
        auto up = [height](cv::Point2d p) { return QPointF(p.x, height - p.y); };
        // The measurement refuses an outline that is no card (a corner of nearly 180 degrees
        // makes a triangle); offering it would only show dashes.
        if (CardShape::check({up(c[0]), up(c[1]), up(c[2]), up(c[3])}) != CardShape::Fault::none)
            continue;
        result.push_back({up(c[0]), up(c[1]), up(c[2]), up(c[3]), h.score});
    }
    return result;
}

ColourSampler CardDetector::prepare(const QImage &image)
{
    if (image.isNull() || image.width() < 32 || image.height() < 32)
        return {};
    const QImage *frame = &image;
    int channels = 4;
    switch (image.format()) {
    case QImage::Format_RGB32:
    case QImage::Format_ARGB32:
    case QImage::Format_ARGB32_Premultiplied:
        break;
    case QImage::Format_Grayscale8:
        channels = 1;
        break;
    default:
        Buffers &b = *m_buffers;
        if (image.allGray()) {
            b.converted = image.convertToFormat(QImage::Format_Grayscale8);
            channels = 1;
        } else {
            b.converted = image.convertToFormat(QImage::Format_RGB32);
        }
        if (b.converted.isNull())
            return {};
        frame = &b.converted;
        break;
    }
    return ColourSampler(frame->constBits(), frame->width(), frame->height(),
                         std::ptrdiff_t(frame->bytesPerLine()), channels);
}

// What one look works on: the shrunk picture for the coarse stage and the full picture for
// the fine stage.
struct CardDetector::LookFrames
{
    const ColourSampler &picture;
    const Options &options;
    Look look;
    int factor;
    const CoarseSearch::Frame &coarse;
    const FineRefinement::Frame &fine;
};

void CardDetector::search(const ColourSampler &picture, const Options &options, Look look,
                          int factor, bool withSegments, int roundedNeeded)
{
    Buffers &b = *m_buffers;
#ifdef MIRREL_DETECTOR_TRACE
    const auto started = std::chrono::steady_clock::now();
    const auto lap = [started] {
        return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - started)
            .count();
    };
    struct Lap
    {
        decltype(lap) elapsed;
        int factor;
        ~Lap() { TRACE("search at 1/%d took %.1f ms\n", factor, elapsed()); }
    } lapAtEnd{lap, factor};
#endif
    b.fine.forgetNearCard();
    proposeOutlines(picture, look, factor);
    const double focal = options.focalLength > 0 ? options.focalLength : 0.0;
    const ColourSampler shrunk(b.at(look).small);
    const CoarseSearch::Frame coarse{
        shrunk, b.at(look).finder.field(),
        cv::Size2d(double(picture.width()) / factor, double(picture.height()) / factor),
        focal / factor, options.aspectRatio};
    const FineRefinement::Frame fine{picture, cv::Size2d(picture.width(), picture.height()),
                                     focal,   options.aspectRatio,
                                     factor,  roundedNeeded};
    const LookFrames frames{picture, options, look, factor, coarse, fine};
#ifdef MIRREL_DETECTOR_TRACE
    TRACE("  proposals after %.1f ms\n", lap());
#endif
    b.coarse.reset();
    b.coarse.run(coarse, b.candidates, false);
#ifdef MIRREL_DETECTOR_TRACE
    TRACE("  coarse after %.1f ms\n", lap());
#endif
    bool segmentsTried = false;
    if (b.coarse.shapes().empty() && withSegments) {
        proposeFromSegments(frames);
        segmentsTried = true;
    }
    b.fine.run(fine, b.coarse.shapes());
    // Closed outlines that all failed on the full picture.
    if (b.fine.cards().empty() && withSegments && !segmentsTried) {
        proposeFromSegments(frames);
        b.fine.run(fine, b.coarse.shapes());
        segmentsTried = true;
    }
    // Closed outlines gave only shapes whose corners could not be judged (a sticky note, a
    // printed field) or not all like a card's (a side on a printed line): the card's own
    // outline may have merged with what lies along it. Its straight sides still show; a card
    // from them counts only with a card's corners.
    if (withSegments && !segmentsTried &&
        (b.fine.cards().front().roundedCorners < 2 || b.fine.cards().front().wrongCorners > 0)) {
        proposeFromSegments(frames);
        putBestFirst(frames, std::max(2, roundedNeeded));
    }
    lookPastPrintedLine(frames);
}

void CardDetector::proposeOutlines(const ColourSampler &picture, Look look, int factor)
{
    Buffers &b = *m_buffers;
    cv::Mat &small = b.at(look).small;
    picture.shrink(factor, small);
    b.at(look).finder.find(small, b.candidates);
    for (const auto &c : b.candidates) {
        quad::Corners &outline = b.outlines.emplace_back(c.corners);
        for (auto &p : outline)
            p *= double(factor);
    }
    TRACE("factor %d, %zu proposals\n", factor, b.candidates.size());
    for (const auto &c : b.candidates) {
        TRACE("  proposal %.2f (%.1f,%.1f) (%.1f,%.1f) (%.1f,%.1f) (%.1f,%.1f)\n", c.support,
              c.corners[0].x, c.corners[0].y, c.corners[1].x, c.corners[1].y, c.corners[2].x,
              c.corners[2].y, c.corners[3].x, c.corners[3].y);
    }
}

void CardDetector::proposeFromSegments(const LookFrames &frames)
{
    // Shapes from loose straight segments: the card's outline may be broken (a finger, glare)
    // where its straight sides still show.
    Buffers &b = *m_buffers;
    const CoarseSearch::Frame &coarse = frames.coarse;
    b.coarse.clearShapes();
    b.at(frames.look)
        .finder.findFromSegments(b.candidates, kSegmentAspectError, [&](const quad::Corners &c) {
            return cardcheck::proportionError(c, coarse.size, coarse.focal, coarse.aspect);
        });
    TRACE("  %zu proposals from segments\n", b.candidates.size());
    noteCutCards(frames.picture, frames.options, frames.look, frames.factor);
    for (size_t i = 0; i < b.candidates.size(); ++i) {
        const auto &c = b.candidates[i];
        TRACE("  segment proposal %zu %.2f (%.1f,%.1f) (%.1f,%.1f) (%.1f,%.1f) (%.1f,%.1f)\n", i,
              c.support, c.corners[0].x, c.corners[0].y, c.corners[1].x, c.corners[1].y,
              c.corners[2].x, c.corners[2].y, c.corners[3].x, c.corners[3].y);
    }
    b.coarse.run(coarse, b.candidates, true);
}

bool CardDetector::putBestFirst(const LookFrames &frames, int needed, bool noneWrong)
{
    // Refines the coarse search's shapes once more, and puts the best card among them that shows
    // `needed` of a card's corners (and with noneWrong, none unlike one) before the cards found
    // so far.
    Buffers &b = *m_buffers;
    b.kept = b.fine.cards();
    FineRefinement::Frame judged = frames.fine;
    judged.roundedNeeded = needed;
    b.fine.run(judged, b.coarse.shapes());
    const bool better =
        !b.fine.cards().empty() && (!noneWrong || b.fine.cards().front().wrongCorners == 0);
    if (better)
        b.kept.insert(b.kept.begin(), b.fine.cards().front());
    b.fine.setCards(b.kept);
    return better;
}

void CardDetector::lookPastPrintedLine(const LookFrames &frames)
{
    // A line printed along the card's edge (a row of text, a stripe's border) closes a shape a
    // little inside the card with nearly the card's proportions, and the corners it makes
    // with the card's sides are no card's. When the card found shows at most two of a card's
    // corners, its sides are looked for again a little further out; a fit there that shows
    // more of them is the card.
    // When no card was found, a refused fit may be one whose side lies on such a line: one of
    // its corners is a card's and the one on the line is not.
    // A card found with both corners of one side unlike a card's and the other two like one
    // has that side on a line printed across its face; only that side is looked past, and a
    // fit there counts with as many of a card's corners and none unlike one.
    Buffers &b = *m_buffers;
    const bool found = !b.fine.cards().empty();
    if (!found && !b.fine.nearCard())
        return;
    const Hypothesis best = found ? b.fine.cards().front() : *b.fine.nearCard();
    const int printedSide = found ? sideOnPrintedLine(best) : -1;
    if (found && (best.roundedCorners > 2 || (best.wrongCorners > 0 && printedSide < 0)))
        return;
    quad::Corners base = best.corners;
    for (auto &c : base)
        c /= double(frames.factor);
    b.coarse.tryOutwards(frames.coarse, base, printedSide < 0 ? 0xFu : 1u << printedSide);
    const int needed = printedSide < 0 ? best.roundedCorners + 1 : best.roundedCorners;
    if (putBestFirst(frames, std::max({needed, frames.fine.roundedNeeded, found ? 0 : 2}),
                     printedSide >= 0))
        TRACE("  the card's side lies past a printed line\n");
}
