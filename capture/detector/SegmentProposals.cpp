#include "capture/detector/SegmentProposals.h"

#include "capture/detector/EdgeField.h"
#include "capture/detector/OutlineProposals.h"
#include "core/CardGeometry.h"

#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

// Pieces of one side: directions within about 3 degrees, ends within 2 pixels of the longer
// piece's line, and a gap shorter than half their joint length.
constexpr double kJoinAngle = 0.05;
constexpr double kJoinOffset = 2.0;
constexpr double kJoinGap = 0.5;
// Shapes kept in the order of their segments' strength before the rest are ranked by support.
constexpr size_t kFirstInOrder = 10;
// Proportion error at which a shape's rank falls to 1/e of its support.
constexpr double kRankAspectSoftness = 0.1;
// Pixels of the shrunk picture from its border within which a side runs into it.
constexpr double kBorderReach = 3.0;
// How far from the joining side (a share of its length) each of a card's two sides running off
// the picture must begin: past its rounded corner, and a little more for a finger or glare.
constexpr double kCutSideStart = 0.25;

// A shape within a few pixels of one already proposed would add nothing.
bool known(const std::vector<Candidate> &out, const quad::Corners &corners)
{
    for (const auto &other : out) {
        if (quad::closerThan(other.corners, corners, 2.5))
            return true;
    }
    return false;
}

} // namespace

void SegmentProposals::find(const EdgeField &field, const OutlineProposals &outlines, int minSide,
                            std::vector<Candidate> &out, double maxAspectError,
                            const std::function<double(const quad::Corners &)> &aspect)
{
    out.clear();
    m_segments.clear();
    if (field.empty())
        return;
    m_minSide = minSide;
    for (size_t level = 0; level < outlines.levels(); ++level) {
        for (const auto &contour : outlines.outlines(level)) {
            if (contour.size() >= 4)
                collectSegments(contour);
        }
    }
    joinCollinear();
    // Wood grain and other texture give long but faint straight lines; a card's edges are
    // shorter on a small card, but crisp.
    for (auto &sg : m_segments)
        sg.rank = contrastAlong(field, sg) * std::sqrt(sg.length);
    std::sort(m_segments.begin(), m_segments.end(),
              [](const Segment &x, const Segment &y) { return x.rank > y.rank; });
    if (m_segments.size() > 28)
        m_segments.resize(28);
#ifdef MIRREL_DETECTOR_TRACE
    for (const auto &sg : m_segments)
        std::fprintf(stderr, "    segment (%.1f,%.1f)-(%.1f,%.1f) %.1f\n", sg.a.x, sg.a.y, sg.b.x,
                     sg.b.y, sg.length);
#endif
    pairOpposites();
    addFourSideQuads(field, out, maxAspectError, aspect);
    if (out.empty()) {
        addThreeSideQuads(field, out, maxAspectError, aspect);
        std::stable_sort(out.begin(), out.end(), [](const Candidate &x, const Candidate &y) {
            return x.support > y.support;
        });
    } else if (out.size() > kFirstInOrder) {
        // The shapes of the strongest segments come first; after them, the most card-like of
        // the rest by support and proportions (a card's sides broken by fingers or print rank
        // low as segments; blocks of print inside it are well supported but of other shapes).
        m_ranked.clear();
        for (size_t i = kFirstInOrder; i < out.size(); ++i) {
            const double a = aspect(out[i].corners) / kRankAspectSoftness;
            m_ranked.push_back({-out[i].support * std::exp(-a * a), i});
        }
        std::sort(m_ranked.begin(), m_ranked.end());
        m_reordered.assign(out.begin(), out.begin() + std::ptrdiff_t(kFirstInOrder));
        for (const auto &[key, i] : m_ranked)
            m_reordered.push_back(out[i]);
        out.swap(m_reordered);
    }
}

void SegmentProposals::collectSegments(const std::vector<cv::Point> &contour)
{
    const double minLength = 1.5 * m_minSide;
    if (cv::arcLength(contour, true) < 2 * minLength)
        return;
    cv::approxPolyDP(contour, m_poly, 1.5, true);
    const size_t n = m_poly.size();
    for (size_t i = 0; i < n; ++i) {
        const cv::Point2d a(m_poly[i].x + 0.5, m_poly[i].y + 0.5);
        const cv::Point2d b(m_poly[(i + 1) % n].x + 0.5, m_poly[(i + 1) % n].y + 0.5);
        const double length = cv::norm(b - a);
        if (length < minLength)
            continue;
        const cv::Point2d d = (b - a) / length;
        // The inner and outer outline of a thickened edge give the same segment twice.
        bool duplicate = false;
        for (auto &s : m_segments) {
            const cv::Point2d m = (a + b) * 0.5 - (s.a + s.b) * 0.5;
            if (std::abs(d.x * s.d.y - d.y * s.d.x) < 0.05 &&
                std::abs(m.x * s.d.y - m.y * s.d.x) < 3 &&
                std::abs(m.dot(s.d)) < 0.5 * (length + s.length)) {
                if (length > s.length)
                    s = {a, b, d, length, 0};
                duplicate = true;
                break;
            }
        }
        if (!duplicate)
            m_segments.push_back({a, b, d, length, 0});
    }
}

void SegmentProposals::joinCollinear()
{
    // Print touching the card's edge, a finger or a cable across it cut one side into pieces
    // on one line; joined, they make a side again.
    for (bool joined = true; joined;) {
        joined = false;
        for (size_t i = 0; i < m_segments.size(); ++i) {
            for (size_t j = i + 1; j < m_segments.size();) {
                if (join(m_segments[i], m_segments[j])) {
                    m_segments.erase(m_segments.begin() + std::ptrdiff_t(j));
                    joined = true;
                } else {
                    ++j;
                }
            }
        }
    }
}

bool SegmentProposals::join(Segment &into, const Segment &other)
{
    // Along the longer piece's line.
    const Segment &s = into.length >= other.length ? into : other;
    const Segment &t = &s == &into ? other : into;
    if (std::abs(s.d.x * t.d.y - s.d.y * t.d.x) > kJoinAngle)
        return false;
    const cv::Point2d n(-s.d.y, s.d.x);
    if (std::abs((t.a - s.a).dot(n)) > kJoinOffset || std::abs((t.b - s.a).dot(n)) > kJoinOffset)
        return false;
    const double ta = (t.a - s.a).dot(s.d), tb = (t.b - s.a).dot(s.d);
    const double gap = std::max(std::min(ta, tb) - s.length, -std::max(ta, tb));
    if (gap > kJoinGap * (s.length + t.length))
        return false;
    const double from = std::min({0.0, ta, tb}), to = std::max({s.length, ta, tb});
    into = {s.a + s.d * from, s.a + s.d * to, s.d, to - from, 0};
    return true;
}

double SegmentProposals::contrastAlong(const EdgeField &field, const Segment &s) const
{
    const cv::Point2d n(s.d.y, -s.d.x);
    constexpr int samples = 16;
    double total = 0;
    for (int i = 0; i < samples; ++i) {
        const cv::Point2d p = s.a + (s.b - s.a) * ((i + 0.5) / samples);
        float best = 0;
        for (int o = -1; o <= 1; ++o) {
            float across = 0;
            if (field.edgeAcross(int(std::floor(p.x + n.x * o)), int(std::floor(p.y + n.y * o)), n,
                                 across))
                best = std::max(best, std::abs(across));
        }
        total += best;
    }
    return total / samples;
}

quad::Line SegmentProposals::line(int i) const
{
    return quad::Line{m_segments[size_t(i)].a, m_segments[size_t(i)].d};
}

void SegmentProposals::pairOpposites()
{
    // Opposite sides: nearly parallel, apart, facing each other.
    m_pairs.clear();
    for (size_t i = 0; i < m_segments.size(); ++i) {
        for (size_t j = i + 1; j < m_segments.size(); ++j) {
            const Segment &s = m_segments[i], &t = m_segments[j];
            if (std::abs(s.d.x * t.d.y - s.d.y * t.d.x) > 0.35)
                continue;
            const cv::Point2d m = (t.a + t.b) * 0.5 - s.a;
            const double apart = std::abs(m.x * s.d.y - m.y * s.d.x);
            if (apart < m_minSide)
                continue;
            const double ta = (t.a - s.a).dot(s.d), tb = (t.b - s.a).dot(s.d);
            const double overlap =
                std::min(std::max(ta, tb), s.length) - std::max(std::min(ta, tb), 0.0);
            if (overlap < 0.3 * std::min(s.length, t.length))
                continue;
            m_pairs.emplace_back(int(i), int(j));
        }
    }
}

bool SegmentProposals::acceptable(const EdgeField &field, const quad::Corners &corners,
                                  double maxAspectError,
                                  const std::function<double(const quad::Corners &)> &aspect) const
{
    if (!quad::isConvex(corners) || quad::area(corners) < 2.0 * m_minSide * m_minSide)
        return false;
    for (const auto &corner : corners) {
        if (!(corner.x > -2 && corner.y > -2 && corner.x < field.cols() + 2 &&
              corner.y < field.rows() + 2))
            return false;
    }
    return aspect(corners) <= maxAspectError;
}

void SegmentProposals::addFourSideQuads(const EdgeField &field, std::vector<Candidate> &out,
                                        double maxAspectError,
                                        const std::function<double(const quad::Corners &)> &aspect)
{
    for (size_t p = 0; p < m_pairs.size(); ++p) {
        for (size_t q = p + 1; q < m_pairs.size(); ++q) {
            const auto [i, j] = m_pairs[p];
            const auto [k, l] = m_pairs[q];
            if (i == k || i == l || j == k || j == l)
                continue;
            const cv::Point2d di = m_segments[size_t(i)].d, dk = m_segments[size_t(k)].d;
            if (std::abs(di.x * dk.y - di.y * dk.x) < 0.5)
                continue;
            Candidate c;
            if (!quad::intersect(line(i), line(k), c.corners[0]) ||
                !quad::intersect(line(k), line(j), c.corners[1]) ||
                !quad::intersect(line(j), line(l), c.corners[2]) ||
                !quad::intersect(line(l), line(i), c.corners[3]))
                continue;
            quad::orderClockwise(c.corners);
            // Known shapes first: measuring their support would be wasted.
            if (!acceptable(field, c.corners, maxAspectError, aspect) || known(out, c.corners))
                continue;
            double worst = 0;
            const double mean = field.sideSupport(c.corners, &worst, 0.6, 0.3);
            if (mean < 0.6 || worst < 0.3)
                continue;
            c.support = 0.5 * (mean + worst);
            out.push_back(c);
        }
    }
}

bool SegmentProposals::threeSides(int i, int j, int k, ThreeSides &out) const
{
    const Segment &s = m_segments[size_t(i)], &t = m_segments[size_t(j)];
    const Segment &e = m_segments[size_t(k)];
    if (k == i || k == j || std::abs(s.d.x * e.d.y - s.d.y * e.d.x) < 0.5)
        return false;
    if (!quad::intersect(line(i), line(k), out.a) || !quad::intersect(line(j), line(k), out.b))
        return false;
    out.across = cv::norm(out.b - out.a);
    if (out.across < m_minSide)
        return false;
    // The joining side must lie at one end of the pair, the pair running away from it.
    out.u = s.d;
    const cv::Point2d mid = (s.a + s.b + t.a + t.b) * 0.25;
    if ((mid - (out.a + out.b) * 0.5).dot(out.u) < 0)
        out.u = -out.u;
    out.sNear = std::min((s.a - out.a).dot(out.u), (s.b - out.a).dot(out.u));
    out.tNear = std::min((t.a - out.b).dot(out.u), (t.b - out.b).dot(out.u));
    if (out.sNear < -0.2 * out.across || out.tNear < -0.2 * out.across)
        return false;
    out.sFar = std::max((s.a - out.a).dot(out.u), (s.b - out.a).dot(out.u));
    out.tFar = std::max((t.a - out.b).dot(out.u), (t.b - out.b).dot(out.u));
    return true;
}

bool SegmentProposals::closeShape(const ThreeSides &sides, int i, int j, int k, double reach,
                                  quad::Corners &corners) const
{
    const quad::Line far{sides.a + sides.u * reach, m_segments[size_t(k)].d};
    corners[0] = sides.a;
    corners[1] = sides.b;
    if (!quad::intersect(line(j), far, corners[2]) || !quad::intersect(far, line(i), corners[3]))
        return false;
    quad::orderClockwise(corners);
    return quad::isConvex(corners);
}

void SegmentProposals::addThreeSideQuads(const EdgeField &field, std::vector<Candidate> &out,
                                         double maxAspectError,
                                         const std::function<double(const quad::Corners &)> &aspect)
{
    // A finger or glare across one side breaks it into pieces too short to count, while the
    // other three stay whole: two opposite sides and the one joining them. The missing side
    // lies where the opposite pair ends, or where the card's proportions put it.
    const double ratios[] = {0.0, CardGeometry::aspectRatio, CardGeometry::inverseAspectRatio};
    ThreeSides sides;
    for (const auto &[i, j] : m_pairs) {
        for (size_t k = 0; k < m_segments.size(); ++k) {
            if (!threeSides(i, j, int(k), sides))
                continue;
            const double sFar = sides.sFar, tFar = sides.tFar;
            for (double ratio : ratios) {
                const double reach = ratio > 0 ? ratio * sides.across : std::max(sFar, tFar);
                if (reach < m_minSide || std::max(sFar, tFar) < 0.5 * reach)
                    continue;
                Candidate c;
                if (!closeShape(sides, i, j, int(k), reach, c.corners) ||
                    !acceptable(field, c.corners, maxAspectError, aspect) || known(out, c.corners))
                    continue;
                double worst = 0;
                const double mean = field.sideSupport(c.corners, &worst, 0.6, 0.0);
                if (mean < 0.6)
                    continue;
                c.support = 0.5 * (mean + worst);
                out.push_back(c);
            }
        }
    }
}

void SegmentProposals::findCutShapes(const EdgeField &field, std::vector<quad::Corners> &out) const
{
    // A card running off the picture shows two opposite sides that run into the border and the
    // side joining them; its fourth side, where the card's proportions put it, lies outside.
    out.clear();
    const cv::Rect2d inside(kBorderReach, kBorderReach, field.cols() - 2 * kBorderReach,
                            field.rows() - 2 * kBorderReach);
    const auto atBorder = [&](cv::Point2d p) { return !inside.contains(p); };
    const auto inPicture = [&](cv::Point2d p) {
        return p.x > 0 && p.y > 0 && p.x < field.cols() && p.y < field.rows();
    };
    ThreeSides sides;
    for (const auto &[i, j] : m_pairs) {
        const Segment &s = m_segments[size_t(i)], &t = m_segments[size_t(j)];
        for (size_t k = 0; k < m_segments.size(); ++k) {
            if (!threeSides(i, j, int(k), sides) || !inPicture(sides.a) || !inPicture(sides.b))
                continue;
            // One of the pair runs away from the joining side into the border.
            const auto farEnd = [&](const Segment &g, cv::Point2d from) {
                return (g.a - from).dot(sides.u) > (g.b - from).dot(sides.u) ? g.a : g.b;
            };
            if (!atBorder(farEnd(s, sides.a)) && !atBorder(farEnd(t, sides.b)))
                continue;
            // Both of the pair reach the joining side: the two corners in the picture are where
            // the card's sides meet, not where a sheet's edge meets a line running elsewhere.
            if (sides.sNear > kCutSideStart * sides.across ||
                sides.tNear > kCutSideStart * sides.across)
                continue;
            for (double ratio : {CardGeometry::aspectRatio, CardGeometry::inverseAspectRatio}) {
                const double reach = ratio * sides.across;
                quad::Corners corners;
                if (std::max(sides.sFar, sides.tFar) < 0.5 * reach ||
                    !closeShape(sides, i, j, int(k), reach, corners))
                    continue;
                const int outside = int(!inPicture(corners[0])) + int(!inPicture(corners[1])) +
                                    int(!inPicture(corners[2])) + int(!inPicture(corners[3]));
                if (outside > 0)
                    out.push_back(corners);
            }
        }
    }
}
