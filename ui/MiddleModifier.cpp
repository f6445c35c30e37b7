#include "ui/MiddleModifier.h"

#include "ui/PictureMapping.h"

template <typename T> void MiddleModifier::assign(T &field, const T &value)
{
    if (field == value)
        return;
    field = value;
    Q_EMIT changed();
}

void MiddleModifier::setP1(QPointF p)
{
    assign(m_p1, p);
}

void MiddleModifier::setP2(QPointF p)
{
    assign(m_p2, p);
}

void MiddleModifier::setImageSize(QSizeF size)
{
    assign(m_imageSize, size);
}

void MiddleModifier::setViewSize(QSizeF size)
{
    assign(m_viewSize, size);
}

QPointF MiddleModifier::position(QPointF p1, QPointF p2, QSizeF imageSize, QSizeF viewSize)
{
    return PictureMapping::viewPoint((p1 + p2) * 0.5, imageSize, viewSize);
}
