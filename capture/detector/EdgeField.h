#pragma once

#include "capture/detector/QuadGeometry.h"

#include <opencv2/core/mat.hpp>

#include <array>
#include <cstdint>
#include <vector>

// The colour gradient of the shrunk picture and probes along lines of it: how much of a side
// runs along an edge, where a parallel edge lies, where a lost side may really run. Every
// proposal route reads the same field, computed once per search.
class EdgeField
{
public:
    // image: 8-bit BGR. Returns false (and leaves the field empty) for pictures too small to
    // search.
    bool compute(const cv::Mat &image);

    [[nodiscard]] bool empty() const { return m_dx.empty(); }
    // An id of the picture the field was last computed from, new at every compute().
    [[nodiscard]] std::uint64_t picture() const { return m_picture; }
    [[nodiscard]] int cols() const { return m_dx.cols; }
    [[nodiscard]] int rows() const { return m_dx.rows; }
    // Per pixel, the gradient of the colour channel that changes most (16-bit Sobel).
    [[nodiscard]] const cv::Mat &dx() const { return m_dx; }
    [[nodiscard]] const cv::Mat &dy() const { return m_dy; }
    // Sensor noise on the gradient's scale; the edge thresholds rise with it.
    [[nodiscard]] double noise() const { return m_noise; }
    // Gradient a side sample must reach to count as lying on an edge.
    [[nodiscard]] float edgeThreshold() const { return m_edgeThreshold; }

    // Gradient across a line of normal n at a pixel; false outside the picture or where the
    // gradient does not run across the line.
    [[nodiscard]] bool edgeAcross(int x, int y, cv::Point2d n, float &across) const
    {
        if (x < 0 || y < 0 || x >= m_dx.cols || y >= m_dx.rows)
            return false;
        const float gx = m_dx.ptr<short>(y)[x], gy = m_dy.ptr<short>(y)[x];
        across = float(gx * n.x + gy * n.y);
        return across * across >= 0.6f * (gx * gx + gy * gy) && across != 0.0f;
    }

    // Share of points along a to b with an edge across, of one polarity; centre is inside.
    // A caller that only wants to know whether the share reaches `needed` may stop the count
    // once it cannot: it then gets a share below `needed` (not the true one).
    [[nodiscard]] double sideShare(cv::Point2d a, cv::Point2d b, cv::Point2d centre, int maxSamples,
                                   double needed = 0.0) const;

    // Mean share of points along the four sides where there is an edge across the side; the
    // worst side's share goes to worst.
    [[nodiscard]] double sideSupport(const quad::Corners &corners, double *worst = nullptr) const;
    // The same for a caller that refuses a shape whose mean share is below minMean or whose
    // worst share is below minWorst: once a refusal is certain it stops and returns 0 (and a
    // worst share of 0); every other shape gets the same numbers as above.
    [[nodiscard]] double sideSupport(const quad::Corners &corners, double *worst, double minMean,
                                     double minWorst) const;

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

private:
    // sideShare; `whole` tells whether every sample was looked at (else the share is only a
    // bound below `needed`).
    // shareAlong(a, b, centre, 40, needed) for sideSupport, from memory when the same side was
    // measured before on this picture.
    [[nodiscard]] double knownShare(cv::Point2d a, cv::Point2d b, cv::Point2d centre,
                                    double needed) const;
    [[nodiscard]] double shareAlong(cv::Point2d a, cv::Point2d b, cv::Point2d centre,
                                    int maxSamples, double needed, bool &whole) const;

    cv::Mat m_smooth;
    cv::Mat m_dx3;
    cv::Mat m_dy3;
    std::vector<cv::Mat> m_planesX;
    std::vector<cv::Mat> m_planesY;
    cv::Mat m_dx;
    cv::Mat m_dy;
    std::vector<int> m_magnitudes;
    mutable std::vector<int> m_shares;
    // The sides' shares measured for sideSupport since compute(): shapes put together from
    // the same lines share sides. An open-addressed table; an entry of an earlier picture is
    // empty.
    struct KnownShare
    {
        std::array<std::uint64_t, 4> ends{}; // a and b, bit for bit
        std::uint64_t picture = 0;
        bool flipped = false;
        bool whole = false;
        double share = 0;
    };
    mutable std::vector<KnownShare> m_known;
    float m_edgeThreshold = 0;
    double m_noise = 0;
    std::uint64_t m_picture = 0;
};
