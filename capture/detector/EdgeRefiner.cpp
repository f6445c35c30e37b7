#include "capture/detector/EdgeRefiner.h"

#include <opencv2/core.hpp>
#include <opencv2/core/hal/intrin.hpp>

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

// A side bows (a lens draws straight edges near the picture's border curved, a laminated card
// bends) when the points within kBowBand tolerances of its robust line follow a parabola
// whose middle lies more than kBowSagitta pixels off its ends, scattering less than
// kBowScatter pixels about it, at least kBowPoints of them. The robust fit would follow
// whichever part of the bow its first guess lay on, so the corners would move with that guess
// (with the picture's scale, or mirrored); the line through all of it does not.
constexpr double kBowBand = 2.0;
constexpr double kBowSagitta = 1.0;
constexpr double kBowScatter = 0.5;
constexpr size_t kBowPoints = 12;

// Sub-pixel position of a peak from its two neighbours (vertex of the parabola through them).
double parabolicOffset(float left, float centre, float right)
{
    const double den = double(left) - 2.0 * centre + right;
    if (den >= 0)
        return 0;
    return std::clamp(0.5 * (double(left) - right) / den, -0.5, 0.5);
}

double distanceToLineImpl(const quad::Line &line, cv::Point2d p)
{
    const cv::Point2d v = p - line.p;
    return v.x * line.d.y - v.y * line.d.x;
}

// Weighted total least squares: the line through the weighted centroid along the main axis.
bool weightedLine(const std::vector<cv::Point2d> &points, const std::vector<double> &weights,
                  quad::Line &line)
{
    double sw = 0, sx = 0, sy = 0;
    for (size_t i = 0; i < points.size(); ++i) {
        sw += weights[i];
        sx += weights[i] * points[i].x;
        sy += weights[i] * points[i].y;
    }
    if (sw <= 0)
        return false;
    const cv::Point2d c(sx / sw, sy / sw);
    double sxx = 0, sxy = 0, syy = 0;
    for (size_t i = 0; i < points.size(); ++i) {
        const cv::Point2d v = points[i] - c;
        sxx += weights[i] * v.x * v.x;
        sxy += weights[i] * v.x * v.y;
        syy += weights[i] * v.y * v.y;
    }
    const double angle = 0.5 * std::atan2(2 * sxy, sxx - syy);
    cv::Point2d d(std::cos(angle), std::sin(angle));
    if (d.dot(line.d) < 0)
        d = -d;
    line = {c, d};
    return true;
}

} // namespace

double EdgeRefiner::peakCentre(const std::vector<float> &g, int at)
{
    // Centroid of the peak above a quarter of its height, over the contiguous run around it:
    // for a sharp edge this is close to the parabola through three samples, for a blurred
    // edge it uses the whole slope instead of the noisy top.
    const float floor = 0.25f * g[size_t(at)];
    int lo = at, hi = at;
    const int last = int(g.size()) - 1;
    while (lo > 0 && g[size_t(lo - 1)] > floor)
        --lo;
    while (hi < last && g[size_t(hi + 1)] > floor)
        ++hi;
    m_lastWidth = hi - lo + 1;
    if (hi - lo <= 2) {
        const float l = at > 0 ? g[size_t(at - 1)] : 0.0f;
        const float r = at < last ? g[size_t(at + 1)] : 0.0f;
        return at + parabolicOffset(l, g[size_t(at)], r);
    }
    double sw = 0, sx = 0;
    for (int k = lo; k <= hi; ++k) {
        const double w = g[size_t(k)] - floor;
        sw += w;
        sx += w * k;
    }
    return sw > 0 ? sx / sw : double(at);
}

double EdgeRefiner::Result::support() const
{
    double s = 0;
    for (const auto &side : sides)
        s += side.profiles > 0 ? double(side.inliers) / side.profiles : 0.0;
    return s / 4;
}

double EdgeRefiner::Result::minSupport() const
{
    double s = 1;
    for (const auto &side : sides)
        s = std::min(s, side.profiles > 0 ? double(side.inliers) / side.profiles : 0.0);
    return s;
}

double EdgeRefiner::Result::secondSupport() const
{
    std::array<double, 4> shares{};
    for (size_t i = 0; i < 4; ++i)
        shares[i] = sides[i].profiles > 0 ? double(sides[i].inliers) / sides[i].profiles : 0.0;
    std::sort(shares.begin(), shares.end());
    return shares[1];
}

bool EdgeRefiner::refine(const ColourSampler &image, const quad::Corners &corners,
                         const Params &params, Result &result)
{
    cv::Point2d centre(0, 0);
    for (const auto &c : corners)
        centre += c * 0.25;
    for (int i = 0; i < 4; ++i) {
        if (!fitKnownSide(image, corners[i], corners[(i + 1) % 4], centre, params, result.sides[i]))
            return false;
    }
    for (int i = 0; i < 4; ++i) {
        if (!quad::intersect(result.sides[(i + 3) % 4].line, result.sides[i].line,
                             result.corners[i]))
            return false;
    }
    return quad::isConvex(result.corners);
}

void EdgeRefiner::rememberSidesOf(std::uint64_t picture)
{
    if (picture == m_knownPicture)
        return;
    m_knownPicture = picture;
    m_known.clear();
    m_nextKnown = 0;
}

namespace {

// The memory holds this many sides: the shapes tried around a few proposals.
constexpr size_t kKnownSides = 64;

bool sameParams(const EdgeRefiner::Params &a, const EdgeRefiner::Params &b)
{
    return a.searchRadius == b.searchRadius && a.marginFraction == b.marginFraction &&
           a.marginPixels == b.marginPixels && a.maxProfiles == b.maxProfiles &&
           a.inlierTolerance == b.inlierTolerance && a.minGradient == b.minGradient &&
           a.tangentialTaps == b.tangentialTaps && a.wholeBowedSide == b.wholeBowedSide;
}

} // namespace

bool EdgeRefiner::fitKnownSide(const ColourSampler &image, cv::Point2d from, cv::Point2d to,
                               cv::Point2d centre, const Params &params, Side &side)
{
    if (m_knownPicture == 0)
        return fitSide(image, from, to, centre, params, side);
    // The centre only decides which way is out, as fitSide decides it.
    const double length = cv::norm(to - from);
    const cv::Point2d d = (to - from) / length;
    const cv::Point2d n(d.y, -d.x);
    const bool flipped = n.dot((from + to) * 0.5 - centre) < 0;
    for (const KnownSide &known : m_known) {
        if (known.from == from && known.to == to && known.flipped == flipped &&
            sameParams(known.params, params)) {
            side = known.side;
            return known.fitted;
        }
    }
    const bool fitted = fitSide(image, from, to, centre, params, side);
    const KnownSide known{from, to, flipped, params, side, fitted};
    if (m_known.size() < kKnownSides)
        m_known.push_back(known);
    else
        m_known[m_nextKnown] = known;
    m_nextKnown = (m_nextKnown + 1) % kKnownSides;
    return fitted;
}

bool EdgeRefiner::fitSide(const ColourSampler &image, cv::Point2d from, cv::Point2d to,
                          cv::Point2d centre, const Params &params, Side &side)
{
    side = {};
    const double length = cv::norm(to - from);
    const double margin = length * params.marginFraction + params.marginPixels;
    const double usable = length - 2 * margin;
    if (!(usable >= 4))
        return false;
    Profiles across;
    across.d = (to - from) / length;
    across.n = cv::Point2d(across.d.y, -across.d.x);
    if (across.n.dot((from + to) * 0.5 - centre) < 0)
        across.n = -across.n;
    across.radius = std::max(params.searchRadius, 2);
    // Profiles two pixels apart, but at least a dozen where the side allows: on a small card a
    // printed stripe can take a third of a short side, and the rest must still give a line.
    const int fewest = std::clamp(int(usable), 6, 12);
    across.count = std::clamp(int(usable / 2), fewest, std::max(params.maxProfiles, fewest));
    across.from = from;
    across.margin = margin;
    across.usable = usable;

    collectPeaks(image, across, params);
    int bestCount = 0;
    std::array<float, 3> direction = sidesColourStep(across, bestCount);
    side.polarity = meanStep(across.count, bestCount, direction);
#ifdef MIRREL_DETECTOR_TRACE
    if (across.count >= 60)
        std::fprintf(stderr, "      direction %.2f %.2f %.2f in %d of %d\n", direction[0],
                     direction[1], direction[2], bestCount, across.count);
#endif
    collectPoints(across, bestCount, direction);
    if (!m_widthScratch.empty()) {
        auto mid = m_widthScratch.begin() + std::ptrdiff_t(m_widthScratch.size() / 2);
        std::nth_element(m_widthScratch.begin(), mid, m_widthScratch.end());
        side.edgeWidth = *mid;
    }
    side.profiles = across.count;
    side.line = {from, across.d};
    if (m_points.size() < 4) {
#ifdef MIRREL_DETECTOR_TRACE
        std::fprintf(stderr, "      side fails: %zu points of %d profiles, %zu peaks\n",
                     m_points.size(), across.count, m_peaks.size());
        for (int j = 0; j < across.count; ++j)
            for (int i = m_firstPeak[size_t(j)]; i < m_firstPeak[size_t(j) + 1]; ++i)
                std::fprintf(stderr, "        %d: off %.1f str %.1f unit %.2f %.2f %.2f\n", j,
                             m_peaks[size_t(i)].offset, m_peaks[size_t(i)].strength,
                             m_peaks[size_t(i)].unit[0], m_peaks[size_t(i)].unit[1],
                             m_peaks[size_t(i)].unit[2]);
#endif
        return false;
    }
    // A blurred edge scatters more from profile to profile.
    return fitLine(std::max(params.inlierTolerance, 0.3 * side.edgeWidth), params.wholeBowedSide,
                   side.line, side);
}

void EdgeRefiner::collectPeaks(const ColourSampler &image, const Profiles &across,
                               const Params &params)
{
    // Every clear peak of the colour gradient along each profile is kept: the window may hold
    // the card's edge and a stripe's, a glare spot's or a printed line's, and which one is the
    // side is decided over the whole side.
    const int radius = across.radius;
    const int taps3 = std::max(params.tangentialTaps, 1);
    // Values are kept on the scale of three taps so thresholds do not depend on the count.
    const float tapScale = 3.0f / float(taps3);
    const int taps = 2 * radius + 1;
    const int profiles = across.count;
    m_values.resize(size_t(taps) * 3);
    m_derivative.resize(size_t(taps));
    m_anchor.resize(size_t(profiles));
    // The derivative spans two pixels and is kept on the scale of three taps.
    const float minPeak = params.minGradient * 2.0f * 3.0f;
    m_peaks.clear();
    m_firstPeak.assign(size_t(profiles) + 1, 0);
    for (int j = 0; j < profiles; ++j) {
        const cv::Point2d anchor =
            across.from + across.d * (across.margin + across.usable * (j + 0.5) / profiles);
        m_anchor[size_t(j)] = anchor;
        image.profile(anchor, across.n, across.d, radius, taps3, tapScale, m_values.data());
        const float best = colourGradient(taps);
        // A peak at the end of the profile is the slope of something outside the window.
        m_firstPeak[size_t(j)] = int(m_peaks.size());
        for (int k = 2; k + 2 < taps; ++k) {
            const float g = m_derivative[size_t(k)];
            if (g < minPeak || g < 0.3f * best || g < m_derivative[size_t(k - 1)] ||
                g <= m_derivative[size_t(k + 1)])
                continue;
            Peak peak;
            peak.strength = g;
            peak.distance = std::abs(k - radius);
            peak.offset = peakCentre(m_derivative, k) - radius;
            peak.width = m_lastWidth;
            for (size_t c = 0; c < 3; ++c)
                peak.unit[c] =
                    (m_values[size_t(k + 1) * 3 + c] - m_values[size_t(k - 1) * 3 + c]) / g;
            m_peaks.push_back(peak);
        }
        m_firstPeak[size_t(j) + 1] = int(m_peaks.size());
    }
    // The peaks' colour steps, one component after the other, padded to whole vector lanes
    // for projectSteps.
    const size_t peakCount = m_peaks.size();
    m_padded = (peakCount + 3) / 4 * 4;
    m_units.assign(3 * m_padded, 0.0f);
    m_cosines.resize(m_padded);
    for (size_t i = 0; i < peakCount; ++i) {
        for (size_t c = 0; c < 3; ++c)
            m_units[c * m_padded + i] = m_peaks[i].unit[c];
    }
}

float EdgeRefiner::colourGradient(int taps)
{
    // The length of the colour step over two pixels, at every sample of the profile in
    // m_values; returns the largest.
    float best = 0;
    // Four samples at a time: the channels' squared steps are summed in the same order and
    // the roots are IEEE roots, so the values are those of the loop after it.
    int k = 1;
    cv::v_float32x4 bestLanes = cv::v_setzero_f32();
    for (; k + 3 <= taps - 2; k += 4) {
        cv::v_float32x4 b0, g0, r0, b1, g1, r1;
        cv::v_load_deinterleave(m_values.data() + size_t(k - 1) * 3, b0, g0, r0);
        cv::v_load_deinterleave(m_values.data() + size_t(k + 1) * 3, b1, g1, r1);
        const cv::v_float32x4 db = b1 - b0, dg = g1 - g0, dr = r1 - r0;
        const cv::v_float32x4 g = cv::v_sqrt(db * db + dg * dg + dr * dr);
        cv::v_store(m_derivative.data() + k, g);
        bestLanes = cv::v_max(bestLanes, g);
    }
    best = cv::v_reduce_max(bestLanes);
    for (; k + 1 < taps; ++k) {
        float g2 = 0;
        for (size_t c = 0; c < 3; ++c) {
            const float dc = m_values[size_t(k + 1) * 3 + c] - m_values[size_t(k - 1) * 3 + c];
            g2 += dc * dc;
        }
        const float g = std::sqrt(g2);
        m_derivative[size_t(k)] = g;
        best = std::max(best, g);
    }
    m_derivative[0] = 0;
    m_derivative[size_t(taps - 1)] = 0;
    return best;
}

void EdgeRefiner::projectSteps(const std::array<float, 3> &u)
{
    // Cosines of every peak's colour step with u, four peaks at a time.
    const cv::v_float32x4 u0 = cv::v_setall_f32(u[0]), u1 = cv::v_setall_f32(u[1]),
                          u2 = cv::v_setall_f32(u[2]);
    const float *x = m_units.data(), *y = x + m_padded, *z = y + m_padded;
    for (size_t i = 0; i < m_padded; i += 4)
        cv::v_store(m_cosines.data() + i,
                    cv::v_load(x + i) * u0 + cv::v_load(y + i) * u1 + cv::v_load(z + i) * u2);
}

int EdgeRefiner::agreeingPeak(int profile, float cosine) const
{
    // The peak of the profile whose colour step agrees with the last projected direction.
    const int first = m_firstPeak[size_t(profile)], end = m_firstPeak[size_t(profile) + 1];
    int chosen = -1, matches = 0;
    float strongest = 0;
    for (int i = first; i < end; ++i) {
        if (m_cosines[size_t(i)] >= cosine) {
            strongest = std::max(strongest, m_peaks[size_t(i)].strength);
            chosen = i;
            ++matches;
        }
    }
    // Most profiles hold a single such edge.
    if (matches <= 1)
        return chosen;
    // Of several such edges, the one nearest the expected line: the window is wide only to
    // absorb the line's error.
    chosen = -1;
    for (int i = first; i < end; ++i) {
        const Peak &p = m_peaks[size_t(i)];
        if (m_cosines[size_t(i)] >= cosine && p.strength >= 0.5f * strongest &&
            (chosen < 0 || p.distance < m_peaks[size_t(chosen)].distance))
            chosen = i;
    }
    return chosen;
}

std::array<float, 3> EdgeRefiner::sidesColourStep(const Profiles &across, int &bestCount)
{
    // The side's colour step (the card's colour against the table's) is the one found in the
    // most profiles near the expected line, counted once per profile. Something else on or near
    // the side (a shadow, a finger, print along the edge) shows in fewer or further out.
    const int profiles = across.count, radius = across.radius;
    std::array<float, 3> direction{0, 0, 0};
    bestCount = 0;
    double bestScore = 0;
    const double spread = std::max(2.0, radius / 3.0);
    // A peak's share of the score by its whole-pixel distance from the expected line.
    m_closeness.resize(size_t(radius) + 1);
    for (int k = 0; k <= radius; ++k) {
        const double off = k / spread;
        m_closeness[size_t(k)] = 1.0 / (1.0 + off * off);
    }
    const int step = std::max(1, profiles / 12);
    // A direction's count and score depend only on which peaks agree with it: a direction that
    // lets the same peaks agree as one counted before scores the same, and the first of equal
    // scores stays the best. On a clean edge most directions tried are such.
    const size_t words = (m_padded + 63) / 64;
    m_agreeing.clear();
    for (int j = 0; j < profiles; j += step) {
        int strongest = -1;
        for (int i = m_firstPeak[size_t(j)]; i < m_firstPeak[size_t(j) + 1]; ++i) {
            if (strongest < 0 || m_peaks[size_t(i)].strength > m_peaks[size_t(strongest)].strength)
                strongest = i;
        }
        if (strongest < 0)
            continue;
        const auto &u = m_peaks[size_t(strongest)].unit;
        projectSteps(u);
        const size_t at = m_agreeing.size();
        m_agreeing.resize(at + words, 0);
        // Four peaks' bits at a time (the padding's steps are zero and never agree).
        const cv::v_float32x4 agree = cv::v_setall_f32(0.8f);
        for (size_t i = 0; i < m_padded; i += 4) {
            const int bits = cv::v_signmask(cv::v_load(m_cosines.data() + i) >= agree);
            m_agreeing[at + i / 64] |= std::uint64_t(unsigned(bits)) << (i % 64);
        }
        bool seen = false;
        for (size_t before = 0; before < at && !seen; before += words)
            seen = std::equal(m_agreeing.begin() + std::ptrdiff_t(before),
                              m_agreeing.begin() + std::ptrdiff_t(before + words),
                              m_agreeing.begin() + std::ptrdiff_t(at));
        if (seen) {
            m_agreeing.resize(at);
            continue;
        }
        int count = 0;
        double score = 0;
        for (int k = 0; k < profiles; ++k) {
            const int i = agreeingPeak(k, 0.8f);
            if (i >= 0) {
                ++count;
                score += m_closeness[size_t(m_peaks[size_t(i)].distance)];
            }
        }
        if (score > bestScore) {
            bestCount = count;
            bestScore = score;
            direction = u;
        }
    }
    return direction;
}

int EdgeRefiner::meanStep(int profiles, int bestCount, std::array<float, 3> &direction)
{
    // The direction averaged over the profiles that show it; returns the side's polarity.
    std::array<double, 3> mean{0, 0, 0};
    projectSteps(direction);
    for (int j = 0; j < profiles && bestCount > 0; ++j) {
        const int i = agreeingPeak(j, 0.8f);
        for (size_t c = 0; i >= 0 && c < 3; ++c)
            mean[c] += m_peaks[size_t(i)].unit[c];
    }
    const double meanNorm = std::sqrt(mean[0] * mean[0] + mean[1] * mean[1] + mean[2] * mean[2]);
    if (meanNorm > 0) {
        for (size_t c = 0; c < 3; ++c)
            direction[c] = float(mean[c] / meanNorm);
    }
    return (mean[0] * 29 + mean[1] * 150 + mean[2] * 77) >= 0 ? 1 : -1;
}

void EdgeRefiner::collectPoints(const Profiles &across, int bestCount,
                                const std::array<float, 3> &direction)
{
    // Every profile takes its edge of about the side's colour step.
    m_points.clear();
    m_pointProfile.clear();
    m_weights.clear();
    m_widthScratch.clear();
    projectSteps(direction);
    for (int j = 0; j < across.count && bestCount > 0; ++j) {
        const int i = agreeingPeak(j, 0.5f);
        if (i < 0)
            continue;
        const Peak &p = m_peaks[size_t(i)];
        m_points.push_back(m_anchor[size_t(j)] + across.n * p.offset);
        m_pointProfile.push_back(j);
        m_weights.push_back(p.strength);
        m_widthScratch.push_back(p.width);
    }
}

bool EdgeRefiner::fitLine(double tolerance, bool wholeBowedSide, quad::Line &line, Side &side)
{
    const size_t count = m_points.size();
    m_seed = 1; // the same picture always gives the same lines
    // Consensus first: a finger over part of the edge gives a run of points off the line, which
    // a plain least-squares fit would follow. The given line is the first hypothesis.
    quad::Line best = line;
    double bestScore = -1;
    // The points' shares are worked out two at a time on vector lanes (the same operations as
    // distanceToLineImpl and the share's formula) and summed one after the other in the order
    // of the points; a point off the line adds a zero, which leaves the sum as it is.
    const double squared = tolerance * tolerance;
    m_shares.resize(count + 1);
    auto consensus = [&](const quad::Line &l) {
        const cv::v_float64x2 px = cv::v_setall_f64(l.p.x), py = cv::v_setall_f64(l.p.y);
        const cv::v_float64x2 dx = cv::v_setall_f64(l.d.x), dy = cv::v_setall_f64(l.d.y);
        const cv::v_float64x2 one = cv::v_setall_f64(1.0), zero = cv::v_setzero_f64();
        const cv::v_float64x2 limit = cv::v_setall_f64(tolerance), area = cv::v_setall_f64(squared);
        size_t i = 0;
        for (; i + 2 <= count; i += 2) {
            cv::v_float64x2 x, y;
            cv::v_load_deinterleave(&m_points[i].x, x, y);
            const cv::v_float64x2 r = (x - px) * dy - (y - py) * dx;
            const cv::v_float64x2 share = one - (r * r) / area;
            cv::v_store(m_shares.data() + i, cv::v_select(cv::v_abs(r) < limit, share, zero));
        }
        for (; i < count; ++i) {
            const double r = distanceToLineImpl(l, m_points[i]);
            m_shares[i] = std::abs(r) < tolerance ? 1.0 - (r * r) / squared : 0.0;
        }
        double score = 0;
        for (i = 0; i < count; ++i)
            score += m_shares[i];
        return score;
    };
    // Start from the best single-profile offset along the given line.
    for (size_t i = 0; i < count; ++i) {
        const double r = distanceToLineImpl(line, m_points[i]);
        quad::Line shifted{line.p + cv::Point2d(line.d.y, -line.d.x) * r, line.d};
        const double s = consensus(shifted);
        if (s > bestScore) {
            bestScore = s;
            best = shifted;
        }
        if (i >= 8)
            break;
    }
    const int iterations = std::min<int>(int(count), 40);
    for (int it = 0; it < iterations; ++it) {
        m_seed = m_seed * 1664525u + 1013904223u;
        const size_t a = (m_seed >> 8) % count;
        m_seed = m_seed * 1664525u + 1013904223u;
        const size_t b = (m_seed >> 8) % count;
        const cv::Point2d v = m_points[b] - m_points[a];
        const double len = cv::norm(v);
        if (a == b || len < 4)
            continue;
        cv::Point2d d = v / len;
        if (d.dot(line.d) < 0)
            d = -d;
        // Edges far from the expected direction are a neighbouring structure.
        if (d.dot(line.d) < 0.97)
            continue;
        const quad::Line l{m_points[a], d};
        const double s = consensus(l);
        if (s > bestScore) {
            bestScore = s;
            best = l;
        }
    }

    // Then Tukey-weighted least squares around the consensus line.
    m_fitWeights.resize(count);
    quad::Line current = best;
    double cutoff = tolerance;
    for (int iter = 0; iter < 4; ++iter) {
        for (size_t i = 0; i < count; ++i) {
            const double r = distanceToLineImpl(current, m_points[i]) / cutoff;
            m_fitWeights[i] = std::abs(r) < 1 ? m_weights[i] * (1 - r * r) * (1 - r * r) : 0.0;
        }
        if (!weightedLine(m_points, m_fitWeights, current))
            return false;
        cutoff = std::max(tolerance * 0.6, 0.3);
    }
    if (wholeBowedSide)
        followBow(tolerance, current);
    int inliers = 0, gaps = 0, previous = -1;
    double sq = 0, contrast = 0;
    for (size_t i = 0; i < count; ++i) {
        const double r = distanceToLineImpl(current, m_points[i]);
        if (std::abs(r) < tolerance) {
            ++inliers;
            sq += r * r;
            contrast += m_weights[i];
            // Points are in profile order: a skipped profile opens a gap.
            gaps += m_pointProfile[i] > previous + 1;
            previous = m_pointProfile[i];
        }
    }
    gaps += previous < side.profiles - 1;
    if (inliers < 3)
        return false;
    line = current;
    side.inliers = inliers;
    side.gaps = gaps;
    side.rms = std::sqrt(sq / inliers);
    side.contrast = contrast / inliers / 6.0;
    return true;
}

void EdgeRefiner::followBow(double tolerance, quad::Line &line)
{
    // The points near the line, by where they lie along it (u, from -1 to 1 over the side) and
    // their offsets from it: a parabola fitted to them tells a bow from a straight edge with
    // print or noise beside it, whose offsets scatter.
    const double band = kBowBand * tolerance;
    m_bow.clear();
    double first = 1e300, last = -1e300;
    for (const cv::Point2d &p : m_points) {
        const double r = distanceToLineImpl(line, p);
        if (std::abs(r) >= band)
            continue;
        const double t = (p - line.p).dot(line.d);
        first = std::min(first, t);
        last = std::max(last, t);
        m_bow.emplace_back(t, r);
    }
    if (m_bow.size() < kBowPoints || last <= first)
        return;
    const double middle = 0.5 * (first + last), half = 0.5 * (last - first);
    for (cv::Point2d &b : m_bow)
        b.x = (b.x - middle) / half;
    cv::Matx33d normal = cv::Matx33d::zeros();
    cv::Vec3d moments(0, 0, 0);
    for (const cv::Point2d &b : m_bow) {
        const cv::Vec3d powers(1, b.x, b.x * b.x);
        normal += powers * powers.t();
        moments += powers * b.y;
    }
    cv::Vec3d parabola;
    if (!cv::solve(normal, moments, parabola, cv::DECOMP_CHOLESKY) ||
        std::abs(parabola[2]) <= kBowSagitta)
        return;
    double scatter = 0;
    for (const cv::Point2d &b : m_bow) {
        const double off = b.y - parabola[0] - parabola[1] * b.x - parabola[2] * b.x * b.x;
        scatter += off * off;
    }
    if (std::sqrt(scatter / double(m_bow.size())) >= kBowScatter)
        return;
    for (size_t i = 0; i < m_points.size(); ++i)
        m_fitWeights[i] =
            std::abs(distanceToLineImpl(line, m_points[i])) < band ? m_weights[i] : 0.0;
    quad::Line whole = line;
    if (weightedLine(m_points, m_fitWeights, whole))
        line = whole;
}
