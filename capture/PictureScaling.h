#pragma once

#include <QImage>

// Picture reductions for showing, kept here so that the screens need no image library of their
// own.
namespace PictureScaling {

// image averaged down by a whole factor (each side divided, rounded down, at least one pixel),
// as 32-bit RGB, or premultiplied ARGB when it has alpha; image itself for a factor of 1 or less.
[[nodiscard]] QImage averagedDown(const QImage &image, int factor);

} // namespace PictureScaling
