#include "ui/measure/PicturePreview.h"

#include <QPainter>

PicturePreview::PicturePreview(QQuickItem *parent) : QQuickPaintedItem(parent)
{
    setAntialiasing(true);
}

void PicturePreview::setImage(const QImage &image)
{
    m_image = image;
    setImplicitSize(image.width(), image.height());
    Q_EMIT imageChanged();
    Q_EMIT pictureRectChanged();
    update();
}

QRectF PicturePreview::pictureRect() const
{
    if (m_image.isNull() || width() <= 0 || height() <= 0)
        return {};
    const QSizeF fitted = QSizeF(m_image.size()).scaled(size(), Qt::KeepAspectRatio);
    return {QPointF((width() - fitted.width()) / 2, (height() - fitted.height()) / 2), fitted};
}

void PicturePreview::paint(QPainter *painter)
{
    if (m_image.isNull())
        return;
    painter->setRenderHint(QPainter::SmoothPixmapTransform);
    painter->drawImage(pictureRect(), m_image);
}

void PicturePreview::geometryChange(const QRectF &newGeometry, const QRectF &oldGeometry)
{
    QQuickPaintedItem::geometryChange(newGeometry, oldGeometry);
    if (newGeometry.size() != oldGeometry.size())
        Q_EMIT pictureRectChanged();
}
