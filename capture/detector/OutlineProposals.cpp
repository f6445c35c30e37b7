#include "capture/detector/OutlineProposals.h"

#include "capture/detector/EdgeField.h"

#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <cmath>

namespace {

// Sobel on the smoothed picture answers a step of C grey levels with about 3 C.
struct Level
{
    double low;
    double high;
};
constexpr Level kLevels[] = {{60, 120}, {22, 45}, {9, 18}};

// Sets the shape's support from the edge found along its sides; false when too little of its
// outline (on average, or along its worst side) lies on an edge to propose it.
bool judgeSupport(const EdgeField &field, Candidate &c)
{
    double worst = 0;
    const double mean = field.sideSupport(c.corners, &worst, 0.5, 0.25);
    if (mean < 0.5 || worst < 0.25)
        return false;
    c.support = 0.5 * (mean + worst);
    return true;
}

} // namespace

void OutlineProposals::find(const EdgeField &field, int minSide, std::vector<Candidate> &out)
{
    out.clear();
    m_levels = 0;
    if (field.empty())
        return;
    m_minSide = minSide;
    m_hullCount = 0;
    double previousHigh = -1;
    for (const Level &level : kLevels) {
        const double high = std::max(level.high, 5.0 * field.noise());
        const double low = std::max(level.low, 3.0 * field.noise());
        if (high == previousHigh)
            continue;
        previousHigh = high;
        traceLevel(field, low, high);
        addHullQuads(field, out);
        // Kept for the segment route; the swap hands the previous frame's storage back.
        std::swap(m_contours, m_levelContours[m_levels++]);
    }
    std::stable_sort(out.begin(), out.end(),
                     [](const Candidate &a, const Candidate &b) { return a.support > b.support; });
    addUnions(field, out);
}

void OutlineProposals::traceLevel(const EdgeField &field, double low, double high)
{
    cv::Canny(field.dx(), field.dy(), m_edges, low, high, false);
    // Closing one-pixel gaps (glare, JPEG blocks) keeps the outline of the card in one piece.
    cv::dilate(m_edges, m_closed, cv::Mat(), cv::Point(-1, -1), 1);
    m_contours.clear();
    cv::findContours(m_closed, m_contours, cv::RETR_LIST, cv::CHAIN_APPROX_SIMPLE);
}

void OutlineProposals::addHullQuads(const EdgeField &field, std::vector<Candidate> &out)
{
    const int cols = field.cols(), rows = field.rows();
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
        if (!judgeSupport(field, c))
            continue;
        bool duplicate = false;
        for (auto &other : out) {
            if (quad::closerThan(other.corners, c.corners, 2.5)) {
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

void OutlineProposals::addUnions(const EdgeField &field, std::vector<Candidate> &out)
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
            if (!judgeSupport(field, c))
                continue;
            bool duplicate = false;
            for (const auto &other : out)
                duplicate = duplicate || quad::closerThan(other.corners, c.corners, 2.5);
            if (!duplicate)
                out.push_back(c);
        }
    }
}
