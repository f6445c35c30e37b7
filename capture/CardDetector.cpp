#include "capture/CardDetector.h"

#include "capture/detector/CandidateFinder.h"
#include "capture/detector/ColourSampler.h"
#include "capture/detector/EdgeRefiner.h"
#include "capture/detector/QuadGeometry.h"

#include <opencv2/core.hpp>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <functional>

// Build with -DMIRREL_DETECTOR_TRACE to follow every proposal on standard error.
#ifdef MIRREL_DETECTOR_TRACE
#define TRACE(...) std::fprintf(stderr, __VA_ARGS__)
#else
#define TRACE(...) static_cast<void>(sizeof(std::fprintf(stderr, __VA_ARGS__)))
#endif

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

// Proposals refined on the shrunk picture, and of those, refined on the full picture.
constexpr size_t kCoarseRefinements = 10;
constexpr size_t kFineRefinements = 3;
// |log(seen aspect / wanted aspect)| above which a quadrilateral is not the card. An A4 sheet
// (1.414) is 0.116 away from 27:17, a 3:2 photo 0.057.
constexpr double kMaxAspectError = 0.07;
constexpr double kAspectSoftness = 0.045;
// Share of profiles on the second worst side below which a shape built from loose straight
// segments is not taken for the card.
constexpr double kSegmentSecondSupport = 0.75;
// Runs of profiles off the line that one side of such a shape may have.
constexpr int kLooseGaps = 6;
// Share of a side's edge step by which the picture just inside and just outside it must differ.
constexpr double kBandShare = 0.2;

struct Hypothesis
{
    quad::Corners corners{};
    double support = 0;
    double minSupport = 0;
    double aspectError = 0;
    double score = 0;
    bool loose = false; // put together from loose lines rather than a closed outline
};

double aspectError(const quad::Corners &c, cv::Size2d size, double focal, double wanted)
{
    if (!(wanted > 0))
        return 1e9;
    const double target = std::max(wanted, 1.0 / wanted);
    auto error = [&](double f) {
        const double aspect = quad::rectangleAspect(c, size, f);
        return aspect > 0 ? std::abs(std::log(aspect / target)) : 1e9;
    };
    if (focal > 0)
        return error(focal);
    // The focal length recovered from the vanishing points pins the shape down in a tilted
    // view; it is held to what a phone's main camera has (0.6 to 1.4 image widths), because
    // with the card nearly facing the camera a tenth of a pixel of corner noise swings it
    // anywhere, and then any focal length in that span explains the shape equally well.
    const double norm = std::max(size.width, size.height);
    const double vanishing = quad::vanishingFocal(c, size);
    if (vanishing > 0)
        return error(std::clamp(vanishing, 0.6 * norm, 1.4 * norm));
    double best = 1e9;
    for (double f = 0.6; f <= 1.41; f += 0.1)
        best = std::min(best, error(f * norm));
    return best;
}

// Median colour difference between bands just inside and just outside one side, past the
// edge's own blur (on the scale of Side::contrast times Side::edgeWidth). A card differs from
// the table all round; a line of grain or a shadow that closes some other shape has the same
// surface on both sides.
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

double scoreOf(const Hypothesis &h)
{
    const double a = h.aspectError / kAspectSoftness;
    return (0.5 * (h.support + h.minSupport)) * std::exp(-a * a);
}

} // namespace

struct CardDetector::Buffers
{
    QImage converted;
    cv::Mat small;
    CandidateFinder finder;
    EdgeRefiner refiner;
    std::vector<CandidateFinder::Candidate> candidates;
    std::vector<Hypothesis> coarse;
    std::vector<Hypothesis> fine;
    std::vector<double> offsets;
    std::vector<quad::Corners> tried; // refined shapes of the wrong proportions, already extended
    std::vector<quad::Corners> reseats;
    std::vector<double> bands;
};

CardDetector::CardDetector(const Options &options)
    : m_options(options), m_buffers(std::make_unique<Buffers>())
{
}

CardDetector::CardDetector() : CardDetector(Options{}) {}

CardDetector::~CardDetector() = default;

std::vector<RectangleFeature> CardDetector::features(const QImage &image, const Options &options)
{
    std::vector<RectangleFeature> result;
    if (image.isNull() || image.width() < 32 || image.height() < 32)
        return result;
    Buffers &b = *m_buffers;

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
        if (image.allGray()) {
            b.converted = image.convertToFormat(QImage::Format_Grayscale8);
            channels = 1;
        } else {
            b.converted = image.convertToFormat(QImage::Format_RGB32);
        }
        if (b.converted.isNull())
            return result;
        frame = &b.converted;
        break;
    }
    const ColourSampler full(frame->constBits(), frame->width(), frame->height(),
                             std::ptrdiff_t(frame->bytesPerLine()), channels);
    const cv::Size2d fullSize(frame->width(), frame->height());

    const int longSide = std::max(frame->width(), frame->height());
#ifdef MIRREL_DETECTOR_TRACE
    const auto t0 = std::chrono::steady_clock::now();
    auto lap = [&t0](const char *what) {
        const auto now = std::chrono::steady_clock::now();
        TRACE("  time %s %.2f ms\n", what,
              std::chrono::duration<double, std::milli>(now - t0).count());
    };
#else
    auto lap = [](const char *) {};
#endif
    // Fine: the coarse shapes again on the full picture, first with a window wide enough for the
    // coarse error, then narrow around the found lines so that nearby print or shadow cannot
    // pull the fit.
    auto fineStage = [&](const int factor) {
        b.fine.clear();
        const double focal = options.focalLength > 0 ? options.focalLength : 0.0;
        EdgeRefiner::Result refined;
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
        for (size_t i = 0; i < b.coarse.size() && b.fine.size() < kFineRefinements; ++i) {
            // Once the best proposal is confirmed, only close contenders are worth the full-size
            // work; the caller uses the first feature.
            if (!b.fine.empty() && b.coarse[i].score < 0.9 * b.fine.front().score)
                break;
            quad::Corners corners = b.coarse[i].corners;
            for (auto &c : corners)
                c *= double(factor);
            narrow.searchRadius = 6;
            if (factor > 1) {
                const bool settled = b.refiner.refine(full, corners, wide, refined);
                // The coarse corners are good to about a pixel of the shrunk picture; a side that
                // moved much further jumped to another edge (noise, print), so the narrow pass
                // then starts from the coarse corners with a window covering their error.
                if (settled &&
                    quad::maxCornerDistance(refined.corners, corners) <= 2.0 * factor + 2) {
                    corners = refined.corners;
                    int width = 0;
                    for (const auto &side : refined.sides)
                        width = std::max(width, side.edgeWidth);
                    narrow.searchRadius = std::max(6, width + 3);
                } else {
                    narrow.searchRadius = 2 * factor + 3;
                }
            }
            if (!b.refiner.refine(full, corners, narrow, refined))
                continue;
            Hypothesis h;
            h.corners = refined.corners;
            h.support = refined.support();
            h.minSupport = refined.minSupport();
            h.aspectError = aspectError(h.corners, fullSize, focal, options.aspectRatio);
            for (const auto &sd : refined.sides)
                TRACE("     side %d/%d rms %.2f width %d contrast %.1f pol %d gaps %d\n",
                      sd.inliers, sd.profiles, sd.rms, sd.edgeWidth, sd.contrast, sd.polarity,
                      sd.gaps);
            TRACE("  fine %zu loose %d sup %.2f min %.2f aspErr %.3f (%.1f,%.1f) (%.1f,%.1f) "
                  "(%.1f,%.1f) "
                  "(%.1f,%.1f)\n",
                  i, int(b.coarse[i].loose), h.support, h.minSupport, h.aspectError, h.corners[0].x,
                  h.corners[0].y, h.corners[1].x, h.corners[1].y, h.corners[2].x, h.corners[2].y,
                  h.corners[3].x, h.corners[3].y);
            // A card nearly facing the camera pins its focal length down poorly, so a fraction
            // of a pixel of noise on the full-size corners can push the recovered shape just past
            // the tolerance. A shrunk-picture fit that showed the card's shape clearly vouches
            // for such a near miss.
            const bool nearMiss = h.aspectError <= kMaxAspectError * 1.5 &&
                                  b.coarse[i].aspectError <= kMaxAspectError * 0.5;
            if (h.support < 0.6 || h.minSupport < 0.5 ||
                (h.aspectError > kMaxAspectError && !nearMiss))
                continue;
            // Any four straight lines can be put together into a shape: the ends of lines of
            // print, a column of text. When the outline did not close by itself, only one side
            // may be broken (by a finger or glare); the others run nearly unbroken.
            if (b.coarse[i].loose && refined.secondSupport() < kSegmentSecondSupport)
                continue;
            // A card's edge is a straight step. The crest of broad grain or shading also gives a
            // line of gradient peaks, but a faint and wavy one. Sensor noise scatters a blurred
            // edge's points too, so the allowance grows with the edge's width.
            bool straight = true;
            double strongest = 0;
            for (const auto &side : refined.sides)
                strongest = std::max(strongest, side.contrast);
            // All four sides are the same card against much the same table; one faint side among
            // crisp ones is usually a shadow or a fold closing some other shape.
            double shortest = 1e9, longest = 0;
            for (int k = 0; k < 4; ++k) {
                const double length =
                    cv::norm(h.corners[size_t((k + 1) % 4)] - h.corners[size_t(k)]);
                shortest = std::min(shortest, length);
                longest = std::max(longest, length);
            }
            // Even at a steep angle a card's short side is more than a fifth of its long side, and
            // its edges are sharp next to its size; broad shading is neither.
            straight = shortest >= 0.2 * longest;
            // The card is brighter than the table all round or darker all round, but for one
            // side at most (a printed stripe along it); two and two is the face of a box or
            // shading.
            int brighterOutside = 0;
            for (const auto &side : refined.sides)
                brighterOutside += side.polarity > 0;
            straight = straight && brighterOutside != 2;
            if (b.coarse[i].loose) {
                // In a shape put together from loose lines, the broken side must still be an
                // edge of the card against the table, not the end of a column of print.
                size_t weakest = 0;
                for (size_t k = 1; k < 4; ++k) {
                    const auto &side = refined.sides[k];
                    const auto &worst = refined.sides[weakest];
                    if (side.inliers * worst.profiles < worst.inliers * side.profiles)
                        weakest = k;
                }
                const int majority = brighterOutside > 2 ? 1 : -1;
                straight = straight && refined.sides[weakest].polarity == majority;
                // A finger or a glare spot breaks a side in one or two places; the ends of lines
                // of print, in as many places as there are lines.
                for (const auto &side : refined.sides)
                    straight = straight && side.gaps <= kLooseGaps;
            }
            for (const auto &side : refined.sides)
                straight = straight && side.contrast >= std::max(2.0, 0.2 * strongest) &&
                           side.rms <= 0.4 + 0.1 * side.edgeWidth &&
                           side.edgeWidth <= 0.15 * shortest + 2;
            if (!straight)
                continue;
            // A line (grain, the crease of a shadow) is a step down and back up: its own contrast
            // is high, but the surface is the same on both sides. A card's edge is one step that
            // stays.
            for (size_t k = 0; k < 4 && straight; ++k) {
                const auto &side = refined.sides[k];
                const double band = bandContrast(full, h.corners, k, side.edgeWidth, b.bands);
                TRACE("     side %zu bands differ by %.1f, step %.1f\n", k, band,
                      side.contrast * side.edgeWidth);
                straight = band >= kBandShare * side.contrast * side.edgeWidth;
            }
            if (!straight)
                continue;
            // The corners of a card lie inside the picture; a quadrilateral cut by the border is
            // not a card this program can measure with.
            bool inside = true;
            for (const auto &c : h.corners)
                inside = inside && c.x > -2 && c.y > -2 && c.x < fullSize.width + 2 &&
                         c.y < fullSize.height + 2;
            if (!inside)
                continue;
            h.score = scoreOf(h);
            bool duplicate = false;
            for (const auto &other : b.fine)
                duplicate = duplicate || quad::maxCornerDistance(other.corners, h.corners) < 3.0;
            if (!duplicate)
                b.fine.push_back(h);
        }
        // Print on the card's face can form a smaller card-like shape inside the card, often
        // sharing two of its sides.
        for (auto &inner : b.fine) {
            for (const auto &outer : b.fine) {
                if (&inner != &outer && quad::area(outer.corners) > quad::area(inner.corners) &&
                    quad::contains(outer.corners, inner.corners, 2.0))
                    inner.score *= 0.5;
            }
        }
        std::stable_sort(
            b.fine.begin(), b.fine.end(),
            [](const Hypothesis &x, const Hypothesis &y) { return x.score > y.score; });
    };
    auto search = [&](const int factor, const bool segments) {
        full.shrink(factor, b.small);
        lap("shrink");
        const cv::Size2d smallSize(double(frame->width()) / factor,
                                   double(frame->height()) / factor);
        const double focal = options.focalLength > 0 ? options.focalLength : 0.0;

        b.finder.find(b.small, b.candidates);
        lap("proposals");
        TRACE("factor %d, %zu proposals\n", factor, b.candidates.size());
        for (const auto &c : b.candidates) {
            TRACE("  proposal %.2f (%.1f,%.1f) (%.1f,%.1f) (%.1f,%.1f) (%.1f,%.1f)\n", c.support,
                  c.corners[0].x, c.corners[0].y, c.corners[1].x, c.corners[1].y, c.corners[2].x,
                  c.corners[2].y, c.corners[3].x, c.corners[3].y);
        }

        // Coarse: snap each proposal onto the edges of the shrunk picture and judge its shape.
        const ColourSampler small(b.small);
        b.coarse.clear();
        b.tried.clear();
        EdgeRefiner::Params coarseParams;
        coarseParams.searchRadius = 3;
        coarseParams.marginFraction = 0.12;
        coarseParams.marginPixels = 1.0;
        coarseParams.maxProfiles = 32;
        coarseParams.inlierTolerance = 1.0;
        coarseParams.minGradient = 1.5f;
        coarseParams.tangentialTaps = 1; // the shrunk picture is already averaged
        EdgeRefiner::Params coarseWide = coarseParams;
        coarseWide.searchRadius = 7;
        coarseWide.inlierTolerance = 1.5;
        coarseWide.maxProfiles = 20;
        EdgeRefiner::Result refined;
        // Returns the aspect error of the refined quadrilateral, or a negative number when the
        // proposal does not settle on four edges.
        int reseated = 0, reseating = 0;
        bool looseStage = false;
        std::function<double(const quad::Corners &)> consider =
            [&](const quad::Corners &corners) -> double {
            // Proposals can be several pixels off (hull vertices sit on the rounded corners): a
            // wide pass first, then a narrow one that decides the support.
            if (!b.refiner.refine(small, corners, coarseWide, refined) ||
                !b.refiner.refine(small, quad::Corners(refined.corners), coarseParams, refined))
                return -1;
            Hypothesis h;
            h.corners = refined.corners;
            h.support = refined.support();
            h.minSupport = refined.minSupport();
            h.aspectError = aspectError(h.corners, smallSize, focal / factor, options.aspectRatio);
            h.loose = looseStage || reseating > 0;
            TRACE("  coarse loose %d sup %.2f min %.2f aspErr %.3f (%.1f,%.1f) (%.1f,%.1f) "
                  "(%.1f,%.1f) "
                  "(%.1f,%.1f)\n",
                  int(h.loose), h.support, h.minSupport, h.aspectError, h.corners[0].x,
                  h.corners[0].y, h.corners[1].x, h.corners[1].y, h.corners[2].x, h.corners[2].y,
                  h.corners[3].x, h.corners[3].y);
            if (h.aspectError <= 0.45 && h.minSupport < 0.5 && refined.secondSupport() >= 0.7 &&
                reseated < 2) {
                // Three clean sides and one lost: the card's edge may run along a seam of the
                // table or into glare, and the fit took the wrong line. Look for the side again
                // where the other three put it.
                ++reseated;
                int weakest = 0;
                for (int k = 1; k < 4; ++k) {
                    const auto &side = refined.sides[size_t(k)];
                    const auto &worst = refined.sides[size_t(weakest)];
                    if (side.inliers * worst.profiles < worst.inliers * side.profiles)
                        weakest = k;
                }
                b.finder.reseatSide(refined.corners, weakest, 3, b.reseats);
                const std::vector<quad::Corners> seats = b.reseats;
                const EdgeRefiner::Result kept = refined;
                ++reseating;
                for (const auto &seat : seats)
                    consider(seat);
                --reseating;
                refined = kept;
            }
            if (h.support < 0.55 || h.minSupport < 0.3)
                return -1;
            if (h.aspectError <= kMaxAspectError * 1.5) {
                h.score = scoreOf(h);
                bool duplicate = false;
                for (auto &other : b.coarse) {
                    if (quad::maxCornerDistance(other.corners, h.corners) < 2.0) {
                        if (h.score > other.score)
                            other = h;
                        duplicate = true;
                        break;
                    }
                }
                if (!duplicate)
                    b.coarse.push_back(h);
            }
            return h.aspectError;
        };
        // Shapes put together from loose segments are many and weak: only the best few are
        // refined, and they are not extended past a stripe (their sides are already the longest
        // straight lines about).
        auto coarseStage = [&](const std::vector<CandidateFinder::Candidate> &candidates,
                               const bool fromSegments) {
            looseStage = fromSegments;
            size_t extended = fromSegments ? 4 : 0;
            const size_t tries = fromSegments ? kCoarseRefinements : kCoarseRefinements * 2;
            for (size_t i = 0; i < candidates.size() && i < tries; ++i) {
                if (b.coarse.size() >= kCoarseRefinements)
                    break;
                // Another outline of a quadrilateral already refined (the same card at another
                // threshold) would only refine to it again.
                bool known = false;
                for (const auto &h : b.coarse)
                    known =
                        known || quad::maxCornerDistance(h.corners, candidates[i].corners) < 5.0;
                for (const auto &t : b.tried)
                    known = known || quad::maxCornerDistance(t, candidates[i].corners) < 5.0;
                if (known)
                    continue;
                // Far from any card shape even before refinement: not worth the edge fitting. A
                // card cut short by a printed stripe still passes (it is at most a third too
                // short).
                if (aspectError(candidates[i].corners, smallSize, focal / factor,
                                options.aspectRatio) > 0.45)
                    continue;
                const double error = consider(candidates[i].corners);
                if (error <= kMaxAspectError || extended >= 4)
                    continue;
                // Four clean edges of the wrong shape: perhaps one of them is a stripe printed
                // parallel to the card's edge. Try the next parallel edge outwards on each side.
                ++extended;
                const quad::Corners base = refined.corners;
                bool extendedBefore = false;
                for (const auto &t : b.tried)
                    extendedBefore = extendedBefore || quad::maxCornerDistance(t, base) < 3.0;
                if (extendedBefore)
                    continue;
                b.tried.push_back(base);
                for (int side = 0; side < 4; ++side) {
                    const double across =
                        0.5 *
                        (cv::norm(base[size_t((side + 2) % 4)] - base[size_t(side)]) +
                         cv::norm(base[size_t((side + 3) % 4)] - base[size_t((side + 1) % 4)]));
                    b.finder.parallelEdges(base, side, 0.6 * across, b.offsets);
                    for (double o : b.offsets)
                        TRACE("    side %d offset %.0f\n", side, o);
                    for (double offset : b.offsets) {
                        quad::Corners moved = base;
                        const cv::Point2d a = base[size_t(side)], c = base[size_t((side + 1) % 4)];
                        const cv::Point2d d = (c - a) / cv::norm(c - a);
                        cv::Point2d n(d.y, -d.x);
                        cv::Point2d centre(0, 0);
                        for (const auto &p : base)
                            centre += p * 0.25;
                        if (n.dot((a + c) * 0.5 - centre) < 0)
                            n = -n;
                        const quad::Line shifted{a + n * offset, d};
                        const quad::Line before{base[size_t((side + 3) % 4)],
                                                a - base[size_t((side + 3) % 4)]};
                        const quad::Line after{c, base[size_t((side + 2) % 4)] - c};
                        auto unit = [](quad::Line l) {
                            l.d /= std::max(cv::norm(l.d), 1e-9);
                            return l;
                        };
                        if (!quad::intersect(unit(before), shifted, moved[size_t(side)]) ||
                            !quad::intersect(shifted, unit(after), moved[size_t((side + 1) % 4)]) ||
                            !quad::isConvex(moved))
                            continue;
                        if (consider(moved) >= 0 && b.coarse.size() >= kCoarseRefinements)
                            break;
                    }
                }
            }
            std::stable_sort(
                b.coarse.begin(), b.coarse.end(),
                [](const Hypothesis &x, const Hypothesis &y) { return x.score > y.score; });
        };
        auto segmentStage = [&] {
            b.coarse.clear();
            b.tried.clear();
            b.finder.findSegmentQuads(b.candidates, smallSize, 0.45, [&](const quad::Corners &c) {
                return aspectError(c, smallSize, focal / factor, options.aspectRatio);
            });
            TRACE("  %zu proposals from segments\n", b.candidates.size());
            coarseStage(b.candidates, true);
        };
        coarseStage(b.candidates, false);
        bool segmentsTried = false;
        if (b.coarse.empty() && segments) {
            segmentStage();
            segmentsTried = true;
        }
        lap("coarse");
        fineStage(factor);
        // Closed outlines that all failed on the full picture: the card's outline may be broken
        // (a finger, glare) where its straight sides still show.
        if (b.fine.empty() && segments && !segmentsTried) {
            segmentStage();
            fineStage(factor);
        }
        lap("fine");
    };
    search(searchFactor(longSide), true);
    // The quarter-size search of a 1080p frame can miss a small or faint card; a second look
    // at a third costs time only on frames where the first found nothing. The slow segment
    // route has had its turn.
    if (b.fine.empty() && longSide > 1400 && longSide <= 2600)
        search(3, false);
    const double height = fullSize.height;
    for (const auto &h : b.fine) {
        quad::Corners c = h.corners;
        quad::orderClockwise(c);
        // Named as seen on screen, reported with y growing upwards.
        auto up = [height](cv::Point2d p) { return QPointF(p.x, height - p.y); };
        result.push_back({up(c[0]), up(c[1]), up(c[2]), up(c[3]), h.score});
    }
    return result;
}
