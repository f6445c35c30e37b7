#pragma once

#include "capture/detector/Candidate.h"
#include "capture/detector/EdgeField.h"
#include "capture/detector/OutlineProposals.h"
#include "capture/detector/SegmentProposals.h"

#include <opencv2/core/mat.hpp>

#include <functional>
#include <vector>

// The candidate search on the shrunk picture: the edge field, then quadrilaterals from closed
// outlines, and on request from loose straight segments.
class CandidateFinder
{
public:
    // Fills out, strongest support first, without duplicates. image: 8-bit BGR.
    void find(const cv::Mat &image, std::vector<Candidate> &out);

    // Proposals (replacing out) built from straight outline segments rather than closed
    // outlines; slower, for when no outline closed around the card. Call after find().
    // aspect gives a quadrilateral's aspect error.
    void findFromSegments(std::vector<Candidate> &out, double maxAspectError,
                          const std::function<double(const quad::Corners &)> &aspect);

    // Shapes of a card running off the picture, from the last findFromSegments().
    void findCutShapes(std::vector<quad::Corners> &out) const
    {
        m_segments.findCutShapes(m_field, out);
    }

    // The gradient of the last picture given to find(), for probes along lines.
    [[nodiscard]] const EdgeField &field() const { return m_field; }

private:
    EdgeField m_field;
    OutlineProposals m_outlines;
    SegmentProposals m_segments;
    int m_minSide = 0;
};
