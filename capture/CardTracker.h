#pragma once

#include "capture/CardDetector.h"

#include <QImage>
#include <QSize>

#include <optional>
#include <vector>

// Follows the card through the frames of the live preview. The card of the last frame is
// looked for where it was first, which is cheap and keeps the outline on the card; the whole
// frame is searched only when it is not there. A card lost for a frame or two (a blurred frame,
// a hand passing) is still preferred when the search finds it among other rectangles.
class CardTracker
{
public:
    explicit CardTracker(CardDetector &detector);

    // The cards in this frame, best first, as CardDetector::features reports them.
    [[nodiscard]] std::vector<RectangleFeature> features(const QImage &frame,
                                                         const CardDetector::Options &options);
    // Forgets the card: the next frame is searched whole.
    void reset();

    // Whether the last frame's card was found where the frame before had it.
    [[nodiscard]] bool tracked() const { return m_tracked; }

private:
    CardDetector &m_detector;
    std::optional<RectangleFeature> m_last;
    QSize m_size;
    int m_missed = 0;
    bool m_tracked = false;
};
