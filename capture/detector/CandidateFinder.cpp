#include "capture/detector/CandidateFinder.h"

#include <algorithm>

void CandidateFinder::find(const cv::Mat &image, std::vector<Candidate> &out)
{
    out.clear();
    if (!m_field.compute(image))
        return;
    // Shapes much smaller than a card at the closest a phone can focus are texture.
    const int longSide = std::max(image.cols, image.rows);
    m_minSide = std::max(6, int(longSide * 0.035));
    m_outlines.find(m_field, m_minSide, out);
}

void CandidateFinder::findFromSegments(std::vector<Candidate> &out, double maxAspectError,
                                       const std::function<double(const quad::Corners &)> &aspect)
{
    m_segments.find(m_field, m_outlines, m_minSide, out, maxAspectError, aspect);
}
