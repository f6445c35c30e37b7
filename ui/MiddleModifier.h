#pragma once

#include <QObject>
#include <QPointF>
#include <QSizeF>
#include <QtQml/qqml.h>

// Where a view is centred to sit on the middle of an edge: the midpoint of two image points,
// mapped into the picture area. A label binds its centre to position.
class MiddleModifier : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(QPointF p1 READ p1 WRITE setP1 NOTIFY changed FINAL)
    Q_PROPERTY(QPointF p2 READ p2 WRITE setP2 NOTIFY changed FINAL)
    Q_PROPERTY(QSizeF imageSize READ imageSize WRITE setImageSize NOTIFY changed FINAL)
    Q_PROPERTY(QSizeF viewSize READ viewSize WRITE setViewSize NOTIFY changed FINAL)
    Q_PROPERTY(QPointF position READ position NOTIFY changed FINAL)

public:
    explicit MiddleModifier(QObject *parent = nullptr) : QObject(parent) {}

    [[nodiscard]] QPointF p1() const { return m_p1; }
    void setP1(QPointF p);
    [[nodiscard]] QPointF p2() const { return m_p2; }
    void setP2(QPointF p);
    [[nodiscard]] QSizeF imageSize() const { return m_imageSize; }
    void setImageSize(QSizeF size);
    [[nodiscard]] QSizeF viewSize() const { return m_viewSize; }
    void setViewSize(QSizeF size);

    [[nodiscard]] QPointF position() const { return position(m_p1, m_p2, m_imageSize, m_viewSize); }
    // The view position of the midpoint of p1 and p2 (image pixels).
    [[nodiscard]] static QPointF position(QPointF p1, QPointF p2, QSizeF imageSize,
                                          QSizeF viewSize);

Q_SIGNALS:
    void changed();

private:
    template <typename T> void assign(T &field, const T &value);

    QPointF m_p1;
    QPointF m_p2;
    QSizeF m_imageSize;
    QSizeF m_viewSize;
};
