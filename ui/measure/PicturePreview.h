#pragma once

#include <QImage>
#include <QQuickPaintedItem>
#include <QtQml/qqml.h>

// A picture drawn whole inside the item, aspect kept and centred, smoothly scaled. Its implicit
// size is the picture's.
class PicturePreview : public QQuickPaintedItem
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(QImage image READ image WRITE setImage NOTIFY imageChanged FINAL)
    // Where the picture is drawn, in item coordinates.
    Q_PROPERTY(QRectF pictureRect READ pictureRect NOTIFY pictureRectChanged FINAL)

public:
    explicit PicturePreview(QQuickItem *parent = nullptr);

    [[nodiscard]] const QImage &image() const { return m_image; }
    void setImage(const QImage &image);
    [[nodiscard]] QRectF pictureRect() const;

    void paint(QPainter *painter) override;

Q_SIGNALS:
    void imageChanged();
    void pictureRectChanged();

protected:
    void geometryChange(const QRectF &newGeometry, const QRectF &oldGeometry) override;

private:
    QImage m_image;
};
