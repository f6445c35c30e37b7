#pragma once

#include <QImage>
#include <QLineF>
#include <QList>
#include <QPointF>
#include <QSizeF>
#include <QString>

// Draws a measured photo the way the measurement screen exports it: the frame view with the
// card and one line per segment, nothing selected, at the photo's own resolution. It builds a
// session of its own around the photo, so the picture comes from the very views the app
// shares. Needs a QGuiApplication; the main thread only.
class AnnotationRenderer
{
public:
    struct Scene
    {
        QString photoPath; // the file the photo came from
        QImage photo;      // already decoded and upright
        QList<QPointF> card;
        QList<QLineF> segments;
    };

    struct Result
    {
        QImage image; // null on failure
        QString error;
    };

    // The picture area the labels are laid out for: the photo's proportions with its longer
    // side as long as a phone screen's, so labels keep their size relative to the photo.
    [[nodiscard]] static QSizeF viewSize(QSizeF photoSize);

    [[nodiscard]] static Result render(const Scene &scene);
};
