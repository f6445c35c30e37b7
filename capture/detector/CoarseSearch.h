#pragma once

#include "capture/detector/Candidate.h"
#include "capture/detector/ColourSampler.h"
#include "capture/detector/EdgeRefiner.h"
#include "capture/detector/Hypothesis.h"

#include <opencv2/core/types.hpp>

#include <utility>
#include <vector>

class EdgeField;

// Snaps proposals onto the edges of the shrunk picture and keeps those of about the card's
// proportions, best first. A shape of the wrong proportions is tried again past a printed
// stripe parallel to one of its sides, and a shape with one lost side is tried again with that
// side moved to where the other three put it.
class CoarseSearch
{
public:
    struct Frame
    {
        const ColourSampler &picture; // the shrunk picture
        const EdgeField &field;       // its edges
        cv::Size2d size;
        double focal;  // pixels of the shrunk picture, 0 when unknown
        double aspect; // wanted long edge over short edge
    };

    // Forgets the shapes and the per-search allowances; call once per shrunk picture.
    void reset();
    // Forgets the shapes only, before another route's proposals.
    void clearShapes();
    // Refines the proposals (fromSegments: built from loose lines) into shapes(), best first.
    void run(const Frame &frame, const std::vector<Candidate> &candidates, bool fromSegments);
    // Replaces shapes() with the shape moved outwards, one side at a time, onto the next
    // parallel edge near it: where that side may be a line printed along the card's edge.
    // sides: bit k lets side k (from corner k to the next) move.
    void tryOutwards(const Frame &frame, const quad::Corners &base, unsigned sides = 0xF);

    [[nodiscard]] const std::vector<Hypothesis> &shapes() const { return m_shapes; }

private:
    // Refines one proposal; returns the refined shape's aspect error, or a negative number when
    // it does not settle on four edges. Leaves the refined fit in m_refined.
    double consider(const Frame &frame, const quad::Corners &corners);
    void reseatWeakestSide(const Frame &frame);
    void keep(const Hypothesis &h);
    [[nodiscard]] bool known(const quad::Corners &corners) const;
    void tryLargest(const Frame &frame, const std::vector<Candidate> &candidates);
    void tryPastStripes(const Frame &frame, quad::Corners base);
    // base with one side shifted outwards by offset; false when the result is not convex.
    static bool moveSide(const quad::Corners &base, size_t side, double offset,
                         quad::Corners &moved);
    // Mean distance from one side to the opposite one.
    static double across(const quad::Corners &base, size_t side);

    EdgeRefiner m_refiner;
    EdgeRefiner::Result m_refined;
    std::vector<Hypothesis> m_shapes;
    std::vector<quad::Corners> m_tried; // refined shapes of the wrong proportions, extended
    std::vector<quad::Corners> m_reseats;
    std::vector<double> m_offsets;
    std::vector<std::pair<double, size_t>> m_bySize; // proposals by area
    int m_reseated = 0;
    int m_reseating = 0;
    bool m_fromSegments = false;
};
