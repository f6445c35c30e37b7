#pragma once

#include "capture/CardDetector.h"
#include "capture/CardTracker.h"

#include <QImage>
#include <QList>
#include <QPointF>

#include <optional>

// Finds the reference card in a camera frame and holds the latest frame, so that the picture
// the user took stays frozen while the camera keeps delivering. Main thread only.
class ImageProcessor
{
public:
    static ImageProcessor &shared();

    ImageProcessor();

    // With useLastImage, image is replaced by the held frame (if any). With detectRectangle,
    // the frame is searched and the best card's corners are returned in image pixels (y down),
    // clockwise on screen from the top left. Either way the frame, as it now stands, becomes
    // the held one.
    [[nodiscard]] std::optional<QList<QPointF>> processImage(QImage &image, bool useLastImage,
                                                             bool detectRectangle);

    [[nodiscard]] const std::optional<QImage> &lastImage() const { return m_lastImage; }
    [[nodiscard]] const CardDetector::Options &options() const { return m_options; }

private:
    const CardDetector::Options m_options;
    CardDetector m_detector;
    // Live frames follow the card found in the frame before.
    CardTracker m_tracker{m_detector};
    std::optional<QImage> m_lastImage;
};
