#pragma once

#include "capture/detector/Candidate.h"

#include <opencv2/core/mat.hpp>

#include <array>
#include <vector>

class EdgeField;

// Proposals from closed outlines: edges traced at several contrast levels (so a white card on a
// light table and a black card on a busy background both close into an outline), each
// outline's convex hull reduced to four sides and checked for support along all four, and the
// hulls of neighbouring pieces joined where a stripe, a finger or glare cut the card's outline.
class OutlineProposals
{
public:
    // Fills out, strongest support first, without duplicates. minSide: the shortest side, in
    // pixels of the field, worth proposing.
    void find(const EdgeField &field, int minSide, std::vector<Candidate> &out);

    // The outlines the last find() traced, one list per contrast level; the segment route
    // reuses them.
    [[nodiscard]] const std::vector<std::vector<cv::Point>> &outlines(size_t level) const
    {
        return m_levelContours[level];
    }
    [[nodiscard]] size_t levels() const { return m_levels; }

private:
    void traceLevel(const EdgeField &field, double low, double high);
    void addHullQuads(const EdgeField &field, std::vector<Candidate> &out);
    void addUnions(const EdgeField &field, std::vector<Candidate> &out);

    cv::Mat m_edges;
    cv::Mat m_closed;
    std::vector<std::vector<cv::Point>> m_contours;
    std::array<std::vector<std::vector<cv::Point>>, 3> m_levelContours; // one per contrast level
    size_t m_levels = 0;
    std::vector<cv::Point> m_hull;
    std::vector<cv::Point> m_poly;
    std::vector<std::vector<cv::Point>> m_hulls;
    size_t m_hullCount = 0;
    std::vector<cv::Point2f> m_unionPoints;
    std::vector<cv::Point2f> m_unionHull;
    std::vector<cv::Point2f> m_unionPoly;
    int m_minSide = 0;
};
