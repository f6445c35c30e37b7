#include "capture/detector/CandidateFinder.h"

#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

// Sobel on the smoothed picture answers a step of C grey levels with about 3 C.
struct Level
{
    double low;
    double high;
};
constexpr Level kLevels[] = {{60, 120}, {22, 45}, {9, 18}};

// One row: the gradient of the channel whose gradient is largest.
void strongestChannel(int cols, const short *__restrict x0, const short *__restrict y0,
                      const short *__restrict x1, const short *__restrict y1,
                      const short *__restrict x2, const short *__restrict y2, short *__restrict gx,
                      short *__restrict gy)
{
    for (int x = 0; x < cols; ++x) {
        const int a0 = x0[x], b0 = y0[x], a1 = x1[x], b1 = y1[x], a2 = x2[x], b2 = y2[x];
        const int m0 = (a0 < 0 ? -a0 : a0) + (b0 < 0 ? -b0 : b0);
        const int m1 = (a1 < 0 ? -a1 : a1) + (b1 < 0 ? -b1 : b1);
        const int m2 = (a2 < 0 ? -a2 : a2) + (b2 < 0 ? -b2 : b2);
        const int m01 = m1 > m0 ? m1 : m0;
        const int sx = m1 > m0 ? a1 : a0, sy = m1 > m0 ? b1 : b0;
        gx[x] = short(m2 > m01 ? a2 : sx);
        gy[x] = short(m2 > m01 ? b2 : sy);
    }
}

} // namespace

void CandidateFinder::find(const cv::Mat &image, std::vector<Candidate> &out)
{
    out.clear();
    if (image.cols < 16 || image.rows < 16 || image.type() != CV_8UC3)
        return;
    cv::GaussianBlur(image, m_smooth, cv::Size(5, 5), 1.2, 1.2, cv::BORDER_REPLICATE);
    cv::Sobel(m_smooth, m_dx3, CV_16S, 1, 0, 3, 1, 0, cv::BORDER_REPLICATE);
    cv::Sobel(m_smooth, m_dy3, CV_16S, 0, 1, 3, 1, 0, cv::BORDER_REPLICATE);
    // Per pixel, the gradient of the colour channel that changes most (as Canny does for
    // colour), computed once for every threshold level and every side check.
    m_dx.create(m_dx3.size(), CV_16SC1);
    m_dy.create(m_dx3.size(), CV_16SC1);
    cv::split(m_dx3, m_planesX);
    cv::split(m_dy3, m_planesY);
    for (int y = 0; y < m_dx3.rows; ++y) {
        strongestChannel(m_dx3.cols, m_planesX[0].ptr<short>(y), m_planesY[0].ptr<short>(y),
                         m_planesX[1].ptr<short>(y), m_planesY[1].ptr<short>(y),
                         m_planesX[2].ptr<short>(y), m_planesY[2].ptr<short>(y), m_dx.ptr<short>(y),
                         m_dy.ptr<short>(y));
    }

    // Sensor noise, from the second difference of the unsmoothed picture: smooth shading and
    // broad grain have none, so they do not raise the thresholds that a faint card edge must
    // pass, while real noise does.
    m_magnitudes.clear();
    for (int y = 1; y < image.rows; y += 3) {
        const uchar *row = image.ptr<uchar>(y);
        for (int i = 3; i + 3 < image.cols * 3; i += 7)
            m_magnitudes.push_back(std::abs(int(row[i - 3]) - 2 * int(row[i]) + int(row[i + 3])));
    }
    auto middle = m_magnitudes.begin() + std::ptrdiff_t(m_magnitudes.size() / 2);
    std::nth_element(m_magnitudes.begin(), middle, m_magnitudes.end());
    // A median second difference of 1 grey level is about 1 level of noise; after smoothing,
    // Sobel turns it into a few levels of gradient.
    const double noise = m_magnitudes.empty() ? 0.0 : 3.0 * double(*middle);
    m_edgeThreshold = float(std::max(10.0, 2.5 * noise));
    const int longSide = std::max(image.cols, image.rows);
    m_minSide = std::max(6, int(longSide * 0.035));

    m_hullCount = 0;
    m_noise = noise;
    forEachLevel([&] { addContourCandidates(out); });
    std::stable_sort(out.begin(), out.end(),
                     [](const Candidate &a, const Candidate &b) { return a.support > b.support; });
    addUnions(out);
}

void CandidateFinder::addUnions(std::vector<Candidate> &out)
{
    // A stripe printed across the card, a finger or a glare spot cuts its outline into pieces
    // that each close into a smaller quadrilateral; the hull of two neighbouring pieces
    // restores the card.
    size_t count = std::min<size_t>(out.size(), 12);
    for (size_t i = 0; i < count; ++i) {
        if (out[i].hull < 0)
            continue;
        for (size_t j = i + 1; j < count; ++j) {
            if (out[j].hull < 0)
                continue;
            const quad::Corners &a = out[i].corners, &b = out[j].corners;
            double gap = 1e9;
            for (const auto &p : a) {
                for (const auto &q : b)
                    gap = std::min(gap, cv::norm(p - q));
            }
            if (gap > 0.25 * std::sqrt(std::max(quad::area(a), quad::area(b))))
                continue;
            m_unionPoints.clear();
            for (const auto &p : m_hulls[size_t(out[i].hull)])
                m_unionPoints.emplace_back(float(p.x) + 0.5f, float(p.y) + 0.5f);
            for (const auto &p : m_hulls[size_t(out[j].hull)])
                m_unionPoints.emplace_back(float(p.x) + 0.5f, float(p.y) + 0.5f);
            std::vector<cv::Point2f> &hull = m_unionHull;
            cv::convexHull(m_unionPoints, hull);
            if (hull.size() < 4)
                continue;
            const double perimeter = cv::arcLength(hull, true);
            m_unionPoly.clear();
            for (double epsilon : {0.01, 0.02, 0.04, 0.07}) {
                cv::approxPolyDP(hull, m_unionPoly, epsilon * perimeter, true);
                if (m_unionPoly.size() <= 4)
                    break;
            }
            if (m_unionPoly.size() != 4)
                continue;
            Candidate c;
            c.hull = -1;
            for (int k = 0; k < 4; ++k)
                c.corners[size_t(k)] = m_unionPoly[size_t(k)];
            quad::orderClockwise(c.corners);
            if (!quad::isConvex(c.corners))
                continue;
            double worst = 0;
            const double mean = sideSupport(c.corners, &worst);
            if (mean < 0.5 || worst < 0.25)
                continue;
            c.support = 0.5 * (mean + worst);
            bool duplicate = false;
            for (const auto &other : out)
                duplicate = duplicate || quad::maxCornerDistance(other.corners, c.corners) < 2.5;
            if (!duplicate)
                out.push_back(c);
        }
    }
}

void CandidateFinder::forEachLevel(const std::function<void()> &visit)
{
    double previousHigh = -1;
    m_levels = 0;
    for (const Level &level : kLevels) {
        const double high = std::max(level.high, 5.0 * m_noise);
        const double low = std::max(level.low, 3.0 * m_noise);
        if (high == previousHigh)
            continue;
        previousHigh = high;
        cv::Canny(m_dx, m_dy, m_edges, low, high, false);
        // Closing one-pixel gaps (glare, JPEG blocks) keeps the outline of the card in one piece.
        cv::dilate(m_edges, m_closed, cv::Mat(), cv::Point(-1, -1), 1);
        m_contours.clear();
        cv::findContours(m_closed, m_contours, cv::RETR_LIST, cv::CHAIN_APPROX_SIMPLE);
        visit();
        // Kept for the segment route; the swap hands the previous frame's storage back.
        std::swap(m_contours, m_levelContours[m_levels++]);
    }
}

void CandidateFinder::addContourCandidates(std::vector<Candidate> &out)
{
    const int cols = m_smooth.cols, rows = m_smooth.rows;
    for (const auto &contour : m_contours) {
        if (contour.size() < 4)
            continue;
        const cv::Rect box = cv::boundingRect(contour);
        if (std::max(box.width, box.height) < 2 * m_minSide ||
            std::min(box.width, box.height) < m_minSide)
            continue;
        if (box.width >= cols - 2 && box.height >= rows - 2)
            continue;
        cv::convexHull(contour, m_hull);
        const double perimeter = cv::arcLength(m_hull, true);
        bool found = false;
        for (double epsilon : {0.02, 0.035, 0.05, 0.08}) {
            cv::approxPolyDP(m_hull, m_poly, epsilon * perimeter, true);
            if (m_poly.size() <= 4) {
                found = m_poly.size() == 4;
                break;
            }
        }
        if (!found)
            continue;
        Candidate c;
        for (int i = 0; i < 4; ++i)
            c.corners[size_t(i)] =
                cv::Point2d(m_poly[size_t(i)].x + 0.5, m_poly[size_t(i)].y + 0.5);
        quad::orderClockwise(c.corners);
        if (!quad::isConvex(c.corners) || quad::area(c.corners) < 2.0 * m_minSide * m_minSide)
            continue;
        double worst = 0;
        const double mean = sideSupport(c.corners, &worst);
        if (mean < 0.5 || worst < 0.25)
            continue;
        c.support = 0.5 * (mean + worst);
        bool duplicate = false;
        for (auto &other : out) {
            if (quad::maxCornerDistance(other.corners, c.corners) < 2.5) {
                if (c.support > other.support) {
                    const int hull = other.hull;
                    other = c;
                    other.hull = hull;
                    m_hulls[size_t(hull)] = m_hull;
                }
                duplicate = true;
                break;
            }
        }
        if (!duplicate) {
            if (m_hullCount == m_hulls.size())
                m_hulls.emplace_back();
            m_hulls[m_hullCount] = m_hull;
            c.hull = int(m_hullCount++);
            out.push_back(c);
        }
    }
}

bool CandidateFinder::edgeAcross(int x, int y, cv::Point2d n, float &across) const
{
    if (x < 0 || y < 0 || x >= m_dx.cols || y >= m_dx.rows)
        return false;
    const float gx = m_dx.ptr<short>(y)[x], gy = m_dy.ptr<short>(y)[x];
    across = float(gx * n.x + gy * n.y);
    return across * across >= 0.6f * (gx * gx + gy * gy) && across != 0.0f;
}

double CandidateFinder::sideShare(cv::Point2d a, cv::Point2d b, cv::Point2d centre,
                                  int maxSamples) const
{
    const double length = cv::norm(b - a);
    if (length < 1)
        return 0;
    const cv::Point2d d = (b - a) / length;
    cv::Point2d n(d.y, -d.x);
    if (n.dot((a + b) * 0.5 - centre) < 0)
        n = -n;
    const int samples = std::clamp(int(length / 3), 8, maxSamples);
    int positive = 0, negative = 0;
    for (int s = 0; s < samples; ++s) {
        const cv::Point2d p = a + (b - a) * (0.12 + 0.76 * (s + 0.5) / samples);
        int sign = 0;
        float best = 0;
        for (int o = -3; o <= 3; ++o) {
            const int x = int(std::floor(p.x + n.x * o)), y = int(std::floor(p.y + n.y * o));
            float across = 0;
            if (!edgeAcross(x, y, n, across) || std::abs(across) <= best)
                continue;
            best = std::abs(across);
            sign = across > 0 ? 1 : -1;
        }
        if (best >= m_edgeThreshold)
            (sign > 0 ? positive : negative)++;
    }
    return double(std::max(positive, negative)) / samples;
}

double CandidateFinder::sideSupport(const quad::Corners &corners, double *worst) const
{
    if (m_dx.empty())
        return 0;
    cv::Point2d centre(0, 0);
    for (const auto &c : corners)
        centre += c * 0.25;
    double total = 0, minimum = 1;
    for (int i = 0; i < 4; ++i) {
        const cv::Point2d a = corners[size_t(i)], b = corners[size_t((i + 1) % 4)];
        if (cv::norm(b - a) < 1)
            return 0;
        const double share = sideShare(a, b, centre, 40);
        total += share;
        minimum = std::min(minimum, share);
    }
    if (worst)
        *worst = minimum;
    return total / 4;
}

void CandidateFinder::reseatSide(const quad::Corners &corners, int side, size_t count,
                                 std::vector<quad::Corners> &out) const
{
    out.clear();
    if (m_dx.empty())
        return;
    const size_t i = size_t(side), next = size_t((side + 1) % 4);
    const cv::Point2d before = corners[(i + 3) % 4], after = corners[(i + 2) % 4];
    cv::Point2d centre(0, 0);
    for (const auto &c : corners)
        centre += c * 0.25;
    struct Seat
    {
        double share;
        double s;
        double t;
    };
    std::vector<Seat> seats;
    // The ends move along the neighbouring sides from 60 % to 140 % of their length.
    constexpr int steps = 32;
    for (int u = 0; u <= steps; ++u) {
        const double s = 0.6 + 0.8 * u / steps;
        const cv::Point2d a = before + (corners[i] - before) * s;
        for (int v = 0; v <= steps; ++v) {
            const double t = 0.6 + 0.8 * v / steps;
            const cv::Point2d b = after + (corners[next] - after) * t;
            const double share = sideShare(a, b, centre, 24);
            if (share >= 0.6)
                seats.push_back({share, s, t});
        }
    }
    std::sort(seats.begin(), seats.end(),
              [](const Seat &x, const Seat &y) { return x.share > y.share; });
    for (const Seat &seat : seats) {
        quad::Corners moved = corners;
        moved[i] = before + (corners[i] - before) * seat.s;
        moved[next] = after + (corners[next] - after) * seat.t;
        bool distinct = quad::maxCornerDistance(moved, corners) > 1.5;
        for (const auto &o : out)
            distinct = distinct && quad::maxCornerDistance(moved, o) > 3.0;
        if (distinct && quad::isConvex(moved))
            out.push_back(moved);
        if (out.size() >= count)
            return;
    }
}

void CandidateFinder::parallelEdges(const quad::Corners &corners, int side, double maxOffset,
                                    std::vector<double> &offsets) const
{
    offsets.clear();
    if (m_dx.empty())
        return;
    cv::Point2d centre(0, 0);
    for (const auto &c : corners)
        centre += c * 0.25;
    const cv::Point2d a = corners[size_t(side)], b = corners[size_t((side + 1) % 4)];
    const double length = cv::norm(b - a);
    if (length < 4)
        return;
    const cv::Point2d d = (b - a) / length;
    cv::Point2d n(d.y, -d.x);
    if (n.dot((a + b) * 0.5 - centre) < 0)
        n = -n;
    constexpr int samples = 20;
    const int last = int(maxOffset) + 1;
    m_shares.assign(size_t(std::max(last + 2, 0)), 0);
    for (int o = 2; o <= last; ++o) {
        int supported = 0;
        for (int s = 0; s < samples; ++s) {
            const cv::Point2d p = a + (b - a) * (0.15 + 0.7 * (s + 0.5) / samples) + n * double(o);
            float across = 0;
            if (edgeAcross(int(std::floor(p.x)), int(std::floor(p.y)), n, across) &&
                std::abs(across) >= m_edgeThreshold)
                ++supported;
        }
        m_shares[size_t(o)] = supported;
    }
    // Every local maximum of support that covers most of the side is an edge; print near
    // the edge (a stripe's lettering) can merge with it into one run, so runs are not enough.
    for (int o = 3; o < last; ++o) {
        const int v = m_shares[size_t(o)];
        if (v < samples * 6 / 10 || v < m_shares[size_t(o - 1)] || v <= m_shares[size_t(o + 1)])
            continue;
        offsets.push_back(o);
        if (offsets.size() >= 5)
            return;
    }
}

void CandidateFinder::collectSegments(const std::vector<cv::Point> &contour)
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

double CandidateFinder::contrastAlong(const Segment &s) const
{
    const cv::Point2d n(s.d.y, -s.d.x);
    constexpr int samples = 16;
    double total = 0;
    for (int i = 0; i < samples; ++i) {
        const cv::Point2d p = s.a + (s.b - s.a) * ((i + 0.5) / samples);
        float best = 0;
        for (int o = -1; o <= 1; ++o) {
            float across = 0;
            if (edgeAcross(int(std::floor(p.x + n.x * o)), int(std::floor(p.y + n.y * o)), n,
                           across))
                best = std::max(best, std::abs(across));
        }
        total += best;
    }
    return total / samples;
}

void CandidateFinder::findSegmentQuads(std::vector<Candidate> &out, cv::Size2d size,
                                       double maxAspectError,
                                       const std::function<double(const quad::Corners &)> &aspect)
{
    // Straight pieces of outline: a card whose outline merges with wood grain or a finger
    // never closes into one contour, but its four edges still show as segments. The outlines
    // are find()'s, level by level.
    out.clear();
    m_segments.clear();
    if (m_dx.empty())
        return;
    for (size_t level = 0; level < m_levels; ++level) {
        for (const auto &contour : m_levelContours[level]) {
            if (contour.size() >= 4)
                collectSegments(contour);
        }
    }
    // Wood grain and other texture give long but faint straight lines; a card's edges are
    // shorter on a small card, but crisp.
    for (auto &sg : m_segments)
        sg.rank = contrastAlong(sg) * std::sqrt(sg.length);
    std::sort(m_segments.begin(), m_segments.end(),
              [](const Segment &x, const Segment &y) { return x.rank > y.rank; });
    if (m_segments.size() > 28)
        m_segments.resize(28);
#ifdef MIRREL_DETECTOR_TRACE
    for (const auto &sg : m_segments)
        std::fprintf(stderr, "    segment (%.1f,%.1f)-(%.1f,%.1f) %.1f\n", sg.a.x, sg.a.y, sg.b.x,
                     sg.b.y, sg.length);
#endif
    (void)size;
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
    const auto line = [this](int i) {
        return quad::Line{m_segments[size_t(i)].a, m_segments[size_t(i)].d};
    };
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
            if (!quad::isConvex(c.corners) || quad::area(c.corners) < 2.0 * m_minSide * m_minSide)
                continue;
            bool inside = true;
            for (const auto &corner : c.corners)
                inside = inside && corner.x > -2 && corner.y > -2 && corner.x < m_smooth.cols + 2 &&
                         corner.y < m_smooth.rows + 2;
            if (!inside || aspect(c.corners) > maxAspectError)
                continue;
            double worst = 0;
            const double mean = sideSupport(c.corners, &worst);
            if (mean < 0.6 || worst < 0.3)
                continue;
            c.support = 0.5 * (mean + worst);
            bool duplicate = false;
            for (const auto &other : out)
                duplicate = duplicate || quad::maxCornerDistance(other.corners, c.corners) < 2.5;
            if (!duplicate)
                out.push_back(c);
        }
    }
    if (out.empty())
        addThreeSideQuads(out, maxAspectError, aspect);
}

void CandidateFinder::addThreeSideQuads(std::vector<Candidate> &out, double maxAspectError,
                                        const std::function<double(const quad::Corners &)> &aspect)
{
    // A finger or glare across one side breaks it into pieces too short to count, while the
    // other three stay whole: two opposite sides and the one joining them. The missing side
    // lies where the opposite pair ends, or where the card's proportions put it.
    const auto line = [this](int i) {
        return quad::Line{m_segments[size_t(i)].a, m_segments[size_t(i)].d};
    };
    const double ratios[] = {0.0, 27.0 / 17.0, 17.0 / 27.0};
    for (const auto &[i, j] : m_pairs) {
        const Segment &s = m_segments[size_t(i)], &t = m_segments[size_t(j)];
        for (size_t k = 0; k < m_segments.size(); ++k) {
            if (int(k) == i || int(k) == j)
                continue;
            const Segment &e = m_segments[k];
            if (std::abs(s.d.x * e.d.y - s.d.y * e.d.x) < 0.5)
                continue;
            cv::Point2d a, b;
            if (!quad::intersect(line(i), line(int(k)), a) ||
                !quad::intersect(line(j), line(int(k)), b))
                continue;
            const double across = cv::norm(b - a);
            if (across < m_minSide)
                continue;
            // The joining side must lie at one end of the pair, the pair running away from it.
            cv::Point2d u = s.d;
            const cv::Point2d mid = (s.a + s.b + t.a + t.b) * 0.25;
            if ((mid - (a + b) * 0.5).dot(u) < 0)
                u = -u;
            const double sNear = std::min((s.a - a).dot(u), (s.b - a).dot(u));
            const double tNear = std::min((t.a - b).dot(u), (t.b - b).dot(u));
            if (sNear < -0.2 * across || tNear < -0.2 * across)
                continue;
            const double sFar = std::max((s.a - a).dot(u), (s.b - a).dot(u));
            const double tFar = std::max((t.a - b).dot(u), (t.b - b).dot(u));
            for (double ratio : ratios) {
                const double reach = ratio > 0 ? ratio * across : std::max(sFar, tFar);
                if (reach < m_minSide || std::max(sFar, tFar) < 0.5 * reach)
                    continue;
                const quad::Line far{a + u * reach, e.d};
                Candidate c;
                c.corners[0] = a;
                c.corners[1] = b;
                if (!quad::intersect(line(j), far, c.corners[2]) ||
                    !quad::intersect(far, line(i), c.corners[3]))
                    continue;
                quad::orderClockwise(c.corners);
                if (!quad::isConvex(c.corners) ||
                    quad::area(c.corners) < 2.0 * m_minSide * m_minSide)
                    continue;
                bool inside = true;
                for (const auto &corner : c.corners)
                    inside = inside && corner.x > -2 && corner.y > -2 &&
                             corner.x < m_smooth.cols + 2 && corner.y < m_smooth.rows + 2;
                if (!inside || aspect(c.corners) > maxAspectError)
                    continue;
                double worst = 0;
                const double mean = sideSupport(c.corners, &worst);
                if (mean < 0.6)
                    continue;
                c.support = 0.5 * (mean + worst);
                bool duplicate = false;
                for (const auto &other : out)
                    duplicate =
                        duplicate || quad::maxCornerDistance(other.corners, c.corners) < 2.5;
                if (!duplicate)
                    out.push_back(c);
            }
        }
    }
    std::stable_sort(out.begin(), out.end(),
                     [](const Candidate &x, const Candidate &y) { return x.support > y.support; });
}
