#pragma once

#include "capture/detector/Candidate.h"

#include <opencv2/core/types.hpp>

#include <functional>
#include <utility>
#include <vector>

class EdgeField;
class OutlineProposals;

// Proposals from straight pieces of outline rather than closed outlines: a card whose outline
// merges with wood grain or a finger never closes into one contour, but its four edges still
// show as segments. Slower than the outline route; for when that found nothing.
class SegmentProposals
{
public:
    // Fills out (replacing it) with quadrilaterals of four segments, or of three where a finger
    // or glare hides the fourth. aspect gives a quadrilateral's aspect error; shapes further
    // than maxAspectError from the card are not proposed.
    void find(const EdgeField &field, const OutlineProposals &outlines, int minSide,
              std::vector<Candidate> &out, double maxAspectError,
              const std::function<double(const quad::Corners &)> &aspect);

    // Shapes of a card running off the picture, from the segments of the last find(): two
    // opposite segments running into the border and the one joining them, closed by the
    // card's proportions beyond the border. Their corners are for the caller to judge.
    void findCutShapes(const EdgeField &field, std::vector<quad::Corners> &out) const;

private:
    struct Segment
    {
        cv::Point2d a;
        cv::Point2d b;
        cv::Point2d d;
        double length = 0;
        double rank = 0; // contrast along it, times the root of its length
    };
    void collectSegments(const std::vector<cv::Point> &contour);
    // Joins pieces of one straight line into one segment.
    void joinCollinear();
    // Makes into the segment covering both when they are pieces of one line.
    [[nodiscard]] static bool join(Segment &into, const Segment &other);
    // Mean gradient across the segment, sampled along it.
    [[nodiscard]] double contrastAlong(const EdgeField &field, const Segment &s) const;
    void pairOpposites();
    void addFourSideQuads(const EdgeField &field, std::vector<Candidate> &out,
                          double maxAspectError,
                          const std::function<double(const quad::Corners &)> &aspect);
    // Segments i and j (opposite) joined by segment k: where k meets them (a, b), how far it
    // is across, and how far i and j run from it along u.
    struct ThreeSides
    {
        cv::Point2d a, b, u;
        double across = 0, sNear = 0, tNear = 0, sFar = 0, tFar = 0;
    };
    [[nodiscard]] bool threeSides(int i, int j, int k, ThreeSides &out) const;
    // The shape of those three sides closed by a fourth at reach along u; false unless convex.
    [[nodiscard]] bool closeShape(const ThreeSides &sides, int i, int j, int k, double reach,
                                  quad::Corners &corners) const;
    // Two opposite segments and the one joining them, the fourth side hidden.
    void addThreeSideQuads(const EdgeField &field, std::vector<Candidate> &out,
                           double maxAspectError,
                           const std::function<double(const quad::Corners &)> &aspect);
    [[nodiscard]] quad::Line line(int i) const;
    [[nodiscard]] bool acceptable(const EdgeField &field, const quad::Corners &corners,
                                  double maxAspectError,
                                  const std::function<double(const quad::Corners &)> &aspect) const;

    std::vector<cv::Point> m_poly;
    std::vector<Segment> m_segments;
    std::vector<std::pair<int, int>> m_pairs;
    std::vector<std::pair<double, size_t>> m_ranked;
    std::vector<Candidate> m_reordered;
    int m_minSide = 0;
};
