#include "capture/PictureScaling.h"

#include <opencv2/imgproc.hpp>

#include <algorithm>

QImage PictureScaling::averagedDown(const QImage &image, int factor)
{
    if (factor <= 1 || image.isNull())
        return image;
    const QImage::Format format =
        image.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32;
    const QImage source = image.convertToFormat(format);
    QImage out(std::max(1, source.width() / factor), std::max(1, source.height() / factor), format);
    if (out.isNull())
        return image;
    const cv::Mat from(source.height(), source.width(), CV_8UC4,
                       const_cast<uchar *>(source.constBits()), size_t(source.bytesPerLine()));
    cv::Mat to(out.height(), out.width(), CV_8UC4, out.bits(), size_t(out.bytesPerLine()));
    // Whole blocks of pixels averaged: no aliasing, and a fast path for a whole factor.
    cv::resize(from, to, to.size(), 0, 0, cv::INTER_AREA);
    return out;
}
