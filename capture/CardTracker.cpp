#include "capture/CardTracker.h"

#include <algorithm>
#include <cmath>

namespace {

// Frames without the card after which it is forgotten.
constexpr int kForgetAfter = 3;
// How far (share of the card's long edge) a card found by a search may lie from the last one
// and still be taken for it.
constexpr double kSameCard = 0.1;

double distance(QPointF a, QPointF b)
{
    return std::hypot(a.x() - b.x(), a.y() - b.y());
}

// Largest corner distance between two features (both name their corners the same way).
double cornerDistance(const RectangleFeature &a, const RectangleFeature &b)
{
    return std::max({distance(a.topLeft, b.topLeft), distance(a.topRight, b.topRight),
                     distance(a.bottomRight, b.bottomRight), distance(a.bottomLeft, b.bottomLeft)});
}

double longEdge(const RectangleFeature &f)
{
    return std::max({distance(f.topLeft, f.topRight), distance(f.topRight, f.bottomRight),
                     distance(f.bottomRight, f.bottomLeft), distance(f.bottomLeft, f.topLeft)});
}

} // namespace

CardTracker::CardTracker(CardDetector &detector) : m_detector(detector) {}

void CardTracker::reset()
{
    m_last.reset();
    m_missed = 0;
    m_tracked = false;
}

std::vector<RectangleFeature> CardTracker::features(const QImage &frame,
                                                    const CardDetector::Options &options)
{
    if (frame.size() != m_size) {
        reset();
        m_size = frame.size();
    }
    m_tracked = false;
    if (m_last && m_missed == 0) {
        std::vector<RectangleFeature> found = m_detector.track(frame, *m_last, options);
        if (!found.empty()) {
            m_tracked = true;
            m_last = found.front();
            return found;
        }
    }
    std::vector<RectangleFeature> found = m_detector.features(frame, options);
    if (found.empty()) {
        if (m_last && ++m_missed >= kForgetAfter)
            reset();
        return found;
    }
    if (m_last) {
        // The last card, if the search saw it, stays first: the outline must not jump to
        // another rectangle that happens to score higher in this frame.
        const auto same = std::find_if(found.begin(), found.end(), [&](const RectangleFeature &f) {
            return cornerDistance(f, *m_last) < kSameCard * longEdge(*m_last);
        });
        if (same != found.end())
            std::rotate(found.begin(), same, same + 1);
    }
    m_last = found.front();
    m_missed = 0;
    return found;
}
