#pragma once

#include <QImage>
#include <QList>
#include <QMetaType>
#include <QPointF>

#include <optional>

// One published picture: the image to show and the card corners detected in it (image
// pixels, y down, clockwise from the top left). Immutable.
class FrameOutput
{
    Q_GADGET
    Q_PROPERTY(QImage image READ image CONSTANT FINAL)
    Q_PROPERTY(bool hasImage READ hasImage CONSTANT FINAL)
    // Empty when nothing was detected or detection did not run.
    Q_PROPERTY(QList<QPointF> points READ pointList CONSTANT FINAL)
    Q_PROPERTY(bool hasPoints READ hasPoints CONSTANT FINAL)

public:
    FrameOutput() = default;
    // A null image means the frame could not be converted.
    FrameOutput(QImage image, std::optional<QList<QPointF>> points)
        : m_image(std::move(image)), m_points(std::move(points))
    {
    }

    [[nodiscard]] const QImage &image() const { return m_image; }
    [[nodiscard]] bool hasImage() const { return !m_image.isNull(); }
    [[nodiscard]] const std::optional<QList<QPointF>> &points() const { return m_points; }
    [[nodiscard]] QList<QPointF> pointList() const { return m_points.value_or(QList<QPointF>()); }
    [[nodiscard]] bool hasPoints() const { return m_points.has_value(); }

private:
    QImage m_image;
    std::optional<QList<QPointF>> m_points;
};

Q_DECLARE_METATYPE(FrameOutput)
