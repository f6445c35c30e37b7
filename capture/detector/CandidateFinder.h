#pragma once

#include "capture/detector/QuadGeometry.h"

#include <opencv2/core/mat.hpp>

#include <array>
#include <functional>
#include <utility>
#include <vector>

// Proposes quadrilaterals on the shrunk picture: edges at several contrast levels (so a white
// card on a light table and a black card on a busy background both close into an outline),
// the outline's convex hull reduced to four sides, and each proposal checked for gradient
// support along all four sides.
class CandidateFinder
{
public:
    struct Candidate
    {
        quad::Corners corners{}; // clockwise on screen, continuous coordinates of the input
        double support = 0;      // share of side samples lying on an edge, worst side weighted
        int hull = -1;           // outline it came from, for merging pieces
    };

    // Fills out, strongest support first, without duplicates. image: 8-bit BGR.
    void find(const cv::Mat &image, std::vector<Candidate> &out);

    // Share of points along the four sides where the shrunk picture has an edge across the side.
    [[nodiscard]] double sideSupport(const quad::Corners &corners, double *worst = nullptr) const;

    // Offsets (pixels, outwards) at which a line parallel to side `side` has edge support over
    // most of its length, nearest first. Finds the true outline when a printed stripe parallel
    // to an edge closed a smaller quadrilateral.
    void parallelEdges(const quad::Corners &corners, int side, double maxOffset,
                       std::vector<double> &offsets) const;

    // Where side `side` of corners may really run when it has little support (the card's edge
    // runs along a seam or into glare): its two ends slide along the neighbouring sides, and
    // the best supported, clearly different positions are returned (at most `count`).
    void reseatSide(const quad::Corners &corners, int side, size_t count,
                    std::vector<quad::Corners> &out) const;

    // Proposals (replacing out) built from four straight outline segments rather than closed
    // outlines; slower, for when no outline closed around the card. Call after find().
    // aspect gives a quadrilateral's aspect error.
    void findSegmentQuads(std::vector<Candidate> &out, cv::Size2d size, double maxAspectError,
                          const std::function<double(const quad::Corners &)> &aspect);

private:
    struct Segment
    {
        cv::Point2d a;
        cv::Point2d b;
        cv::Point2d d;
        double length = 0;
        double rank = 0; // contrast along it, times the root of its length
    };
    // Mean gradient across the segment, sampled along it.
    [[nodiscard]] double contrastAlong(const Segment &s) const;
    void collectSegments(const std::vector<cv::Point> &contour);
    // Proposals from two opposite segments and the one joining them, the fourth side hidden.
    void addThreeSideQuads(std::vector<Candidate> &out, double maxAspectError,
                           const std::function<double(const quad::Corners &)> &aspect);
    // Traces the edge outlines at every contrast level into m_contours and calls visit.
    void forEachLevel(const std::function<void()> &visit);

    void addContourCandidates(std::vector<Candidate> &out);
    void addUnions(std::vector<Candidate> &out);
    // Gradient across a line of normal n at a pixel; false outside the picture or where the
    // gradient does not run across the line.
    [[nodiscard]] bool edgeAcross(int x, int y, cv::Point2d n, float &across) const;
    // Share of points along a to b with an edge across, of one polarity; centre is inside.
    [[nodiscard]] double sideShare(cv::Point2d a, cv::Point2d b, cv::Point2d centre,
                                   int maxSamples) const;

    cv::Mat m_smooth;
    cv::Mat m_dx3;
    cv::Mat m_dy3;
    std::vector<cv::Mat> m_planesX;
    std::vector<cv::Mat> m_planesY;
    cv::Mat m_dx;
    cv::Mat m_dy;
    cv::Mat m_edges;
    cv::Mat m_closed;
    std::vector<std::vector<cv::Point>> m_contours;
    std::array<std::vector<std::vector<cv::Point>>, 3> m_levelContours; // one per contrast level
    size_t m_levels = 0;
    std::vector<cv::Point> m_hull;
    std::vector<cv::Point> m_poly;
    std::vector<int> m_magnitudes;
    std::vector<Segment> m_segments;
    std::vector<std::pair<int, int>> m_pairs;
    mutable std::vector<int> m_shares;
    std::vector<std::vector<cv::Point>> m_hulls;
    size_t m_hullCount = 0;
    std::vector<cv::Point2f> m_unionPoints;
    std::vector<cv::Point2f> m_unionHull;
    std::vector<cv::Point2f> m_unionPoly;
    float m_edgeThreshold = 0;
    double m_noise = 0;
    int m_minSide = 0;
};
