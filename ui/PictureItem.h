#pragma once

#include <QImage>
#include <QQuickItem>
#include <QRectF>
#include <QSize>
#include <QtQml/qqml.h>

// Draws a rectangle of a picture onto the item's bounds: the live or frozen photo over the
// picture area, or the few pixels the loupe magnifies. The picture goes to the scene graph as
// it is (an implicitly shared QImage becomes the texture without a copy on the GUI thread), and
// only the part named by sourceRect is drawn, which is also how the photo is clipped to the
// area. Parts of sourceRect outside the picture stay transparent.
class PictureItem : public QQuickItem
{
    Q_OBJECT
    QML_ELEMENT
    // Undefined in QML resets it to no picture.
    Q_PROPERTY(QImage image READ image WRITE setImage RESET resetImage NOTIFY imageChanged FINAL)
    // Pixels of image; an empty rectangle draws the whole picture.
    Q_PROPERTY(QRectF sourceRect READ sourceRect WRITE setSourceRect NOTIFY sourceRectChanged FINAL)
    // Seen through a round window (the loupe) instead of the whole rectangle.
    Q_PROPERTY(bool circular READ isCircular WRITE setCircular NOTIFY circularChanged FINAL)
    // The picture's size in pixels; empty without a picture.
    Q_PROPERTY(QSize imageSize READ imageSize NOTIFY imageSizeChanged FINAL)

public:
    explicit PictureItem(QQuickItem *parent = nullptr);

    [[nodiscard]] const QImage &image() const { return m_image; }
    void setImage(const QImage &image);
    void resetImage() { setImage(QImage()); }
    [[nodiscard]] const QRectF &sourceRect() const { return m_sourceRect; }
    void setSourceRect(const QRectF &rect);
    [[nodiscard]] bool isCircular() const { return m_circular; }
    void setCircular(bool circular);
    [[nodiscard]] QSize imageSize() const { return m_image.size(); }

    // Where the part of source that lies in a picture of imageSize lands in target, and that
    // part itself; both empty when source misses the picture.
    struct Placement
    {
        QRectF source;
        QRectF target;
    };
    [[nodiscard]] static Placement place(QRectF source, QSize imageSize, QRectF target);
    // The picture as the round window shows it: source drawn onto a size x size square
    // (device pixels), transparent outside the inscribed circle.
    [[nodiscard]] static QImage roundCut(const QImage &image, QRectF source, QSize size);
    // The whole factor by which a picture drawn from source onto target pixels can be averaged
    // down and still have at least one texel per pixel; 1 when it cannot.
    [[nodiscard]] static int reduction(QSizeF source, QSizeF target);

Q_SIGNALS:
    void imageChanged();
    void sourceRectChanged();
    void circularChanged();
    void imageSizeChanged();

protected:
    QSGNode *updatePaintNode(QSGNode *oldNode, UpdatePaintNodeData *) override;
    void geometryChange(const QRectF &newGeometry, const QRectF &oldGeometry) override;

private:
    [[nodiscard]] QRectF effectiveSource() const;

    QImage m_image;
    QRectF m_sourceRect;
    bool m_circular = false;
    bool m_textureDirty = true;
    int m_textureReduction = 1;

    static constexpr int maxReduction = 16;
};
