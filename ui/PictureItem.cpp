#include "ui/PictureItem.h"

#include "capture/PictureScaling.h"

#include <QPainter>
#include <QPainterPath>
#include <QQuickWindow>
#include <QSGImageNode>
#include <QSGTexture>

#include <algorithm>
#include <cmath>

PictureItem::PictureItem(QQuickItem *parent) : QQuickItem(parent)
{
    setFlag(ItemHasContents, true);
}

void PictureItem::setImage(const QImage &image)
{
    // A new frame is a new picture even when its pixels happen to match; compare identities.
    if (image.cacheKey() == m_image.cacheKey() && image.isNull() == m_image.isNull())
        return;
    const QSize oldSize = m_image.size();
    m_image = image;
    m_textureDirty = true;
    Q_EMIT imageChanged();
    if (m_image.size() != oldSize)
        Q_EMIT imageSizeChanged();
    update();
}

void PictureItem::setSourceRect(const QRectF &rect)
{
    if (rect == m_sourceRect)
        return;
    m_sourceRect = rect;
    // The round window bakes the rectangle into its texture.
    m_textureDirty = m_textureDirty || m_circular;
    Q_EMIT sourceRectChanged();
    update();
}

void PictureItem::setCircular(bool circular)
{
    if (circular == m_circular)
        return;
    m_circular = circular;
    m_textureDirty = true;
    Q_EMIT circularChanged();
    update();
}

void PictureItem::geometryChange(const QRectF &newGeometry, const QRectF &oldGeometry)
{
    QQuickItem::geometryChange(newGeometry, oldGeometry);
    // The round window is baked at the item's size, and a reduced picture was reduced for it.
    if ((m_circular || m_textureReduction > 1) && newGeometry.size() != oldGeometry.size())
        m_textureDirty = true;
    update();
}

QRectF PictureItem::effectiveSource() const
{
    return m_sourceRect.isEmpty() ? QRectF(QPointF(0, 0), QSizeF(m_image.size())) : m_sourceRect;
}

PictureItem::Placement PictureItem::place(QRectF source, QSize imageSize, QRectF target)
{
    const QRectF inside = source.intersected(QRectF(QPointF(0, 0), QSizeF(imageSize)));
    if (source.isEmpty() || !inside.isValid())
        return {};
    const double sx = target.width() / source.width();
    const double sy = target.height() / source.height();
    return {inside, QRectF(target.x() + (inside.x() - source.x()) * sx,
                           target.y() + (inside.y() - source.y()) * sy, inside.width() * sx,
                           inside.height() * sy)};
}

QImage PictureItem::roundCut(const QImage &image, QRectF source, QSize size)
{
    QImage cut(size, QImage::Format_ARGB32_Premultiplied);
    cut.fill(Qt::transparent);
    const Placement placement = place(source, image.size(), QRectF(QPointF(0, 0), QSizeF(size)));
    if (placement.source.isEmpty())
        return cut;
    QPainter painter(&cut);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform);
    QPainterPath circle;
    circle.addEllipse(QRectF(QPointF(0, 0), QSizeF(size)));
    painter.setClipPath(circle);
    painter.drawImage(placement.target, image, placement.source);
    return cut;
}

int PictureItem::reduction(QSizeF source, QSizeF target)
{
    if (target.isEmpty())
        return 1;
    const double ratio =
        std::min(source.width() / target.width(), source.height() / target.height());
    return std::clamp(int(ratio), 1, maxReduction);
}

QSGNode *PictureItem::updatePaintNode(QSGNode *oldNode, UpdatePaintNodeData *)
{
    auto *node = static_cast<QSGImageNode *>(oldNode);
    const QRectF bounds = boundingRect();
    if (m_image.isNull() || bounds.isEmpty()) {
        delete node;
        return nullptr;
    }
    if (!node) {
        node = window()->createImageNode();
        node->setOwnsTexture(true);
        node->setFiltering(QSGTexture::Linear);
        m_textureDirty = true;
    }

    if (m_circular) {
        if (m_textureDirty) {
            const qreal dpr = window()->effectiveDevicePixelRatio();
            const QSize pixels(std::max(1, int(std::ceil(bounds.width() * dpr))),
                               std::max(1, int(std::ceil(bounds.height() * dpr))));
            node->setTexture(
                window()->createTextureFromImage(roundCut(m_image, effectiveSource(), pixels)));
        }
        node->setSourceRect(QRectF(QPointF(0, 0), node->texture()->textureSize()));
        node->setRect(bounds);
    } else {
        const Placement placement = place(effectiveSource(), m_image.size(), bounds);
        if (m_textureDirty) {
            // A photo shown far smaller than its size goes to the graphics card averaged down
            // by a whole factor: a fraction of the upload, and no shimmer from sampling a few
            // of many pixels. Drawn at its own size (the export), it goes as it is; the texture
            // then keeps a shallow copy of the frame and uploads it from there.
            const qreal dpr = window()->effectiveDevicePixelRatio();
            m_textureReduction = reduction(placement.source.size(), placement.target.size() * dpr);
            const QQuickWindow::CreateTextureOptions options =
                m_image.hasAlphaChannel() ? QQuickWindow::CreateTextureOptions()
                                          : QQuickWindow::TextureIsOpaque;
            node->setTexture(window()->createTextureFromImage(
                PictureScaling::averagedDown(m_image, m_textureReduction), options));
        }
        const QSizeF textureSize = node->texture()->textureSize();
        const double sx = textureSize.width() / m_image.width();
        const double sy = textureSize.height() / m_image.height();
        const QRectF &source = placement.source;
        node->setSourceRect(
            QRectF(source.x() * sx, source.y() * sy, source.width() * sx, source.height() * sy));
        node->setRect(placement.target);
    }
    m_textureDirty = false;
    node->markDirty(QSGNode::DirtyMaterial);
    return node;
}
