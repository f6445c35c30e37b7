#include "capture/ImageProcessor.h"

#include "core/CardGeometry.h"

ImageProcessor &ImageProcessor::shared()
{
    static ImageProcessor processor;
    return processor;
}

ImageProcessor::ImageProcessor() : m_options{CardGeometry::aspectRatio, 0.0}, m_detector(m_options)
{
}

std::optional<QList<QPointF>> ImageProcessor::processImage(QImage &image, bool useLastImage,
                                                           bool detectRectangle)
{
    if (useLastImage && m_lastImage)
        image = *m_lastImage;

    std::optional<QList<QPointF>> result;
    if (detectRectangle) {
        const std::vector<RectangleFeature> features = m_tracker.features(image, m_options);
        if (!features.empty()) {
            // Only the best one counts; the detector reports in a y-up system.
            const RectangleFeature &card = features.front();
            const double height = image.height();
            const auto flipped = [height](QPointF p) { return QPointF(p.x(), height - p.y()); };
            result = QList<QPointF>{flipped(card.topLeft), flipped(card.topRight),
                                    flipped(card.bottomRight), flipped(card.bottomLeft)};
        }
    }

    m_lastImage = image;
    return result;
}
