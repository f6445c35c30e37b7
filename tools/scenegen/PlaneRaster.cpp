#include "tools/scenegen/PlaneRaster.h"

#include <opencv2/imgproc.hpp>

PlaneRaster::PlaneRaster(const cv::Matx33d &planeToImage)
    : m_toImage(planeToImage), m_toPlane(planeToImage.inv())
{
}

static cv::Point2d apply(const cv::Matx33d &h, cv::Point2d p)
{
    const double w = h(2, 0) * p.x + h(2, 1) * p.y + h(2, 2);
    return {(h(0, 0) * p.x + h(0, 1) * p.y + h(0, 2)) / w,
            (h(1, 0) * p.x + h(1, 1) * p.y + h(1, 2)) / w};
}

cv::Point2d PlaneRaster::toImage(cv::Point2d mm) const
{
    return apply(m_toImage, mm);
}

cv::Point2d PlaneRaster::toPlane(cv::Point2d px) const
{
    return apply(m_toPlane, px);
}

double PlaneRaster::pixelsPerMm(cv::Point2d mm) const
{
    const cv::Matx33d &h = m_toImage;
    const double w = h(2, 0) * mm.x + h(2, 1) * mm.y + h(2, 2);
    const cv::Point2d p = toImage(mm);
    const double a = (h(0, 0) - p.x * h(2, 0)) / w;
    const double b = (h(0, 1) - p.x * h(2, 1)) / w;
    const double c = (h(1, 0) - p.y * h(2, 0)) / w;
    const double d = (h(1, 1) - p.y * h(2, 1)) / w;
    return std::sqrt(std::abs(a * d - b * c));
}

cv::Rect PlaneRaster::bounds(const std::vector<cv::Point2d> &polygon, cv::Size image,
                             int marginPx) const
{
    double x0 = 1e300, y0 = 1e300, x1 = -1e300, y1 = -1e300;
    for (const cv::Point2d &p : polygon) {
        const cv::Point2d q = toImage(p);
        x0 = std::min(x0, q.x);
        y0 = std::min(y0, q.y);
        x1 = std::max(x1, q.x);
        y1 = std::max(y1, q.y);
    }
    const auto clampTo = [](double v, int hi) { return int(std::clamp(v, 0.0, double(hi))); };
    const int left = clampTo(std::floor(x0) - marginPx, image.width);
    const int top = clampTo(std::floor(y0) - marginPx, image.height);
    const int right = clampTo(std::ceil(x1) + marginPx, image.width);
    const int bottom = clampTo(std::ceil(y1) + marginPx, image.height);
    return {left, top, std::max(0, right - left), std::max(0, bottom - top)};
}

cv::Vec3f sampleTexture(const cv::Mat &texture, double x, double y)
{
    const double fx = std::clamp(x - 0.5, 0.0, double(texture.cols - 1));
    const double fy = std::clamp(y - 0.5, 0.0, double(texture.rows - 1));
    const int x0 = std::min(int(fx), texture.cols - 2 < 0 ? 0 : texture.cols - 2);
    const int y0 = std::min(int(fy), texture.rows - 2 < 0 ? 0 : texture.rows - 2);
    const int x1 = std::min(x0 + 1, texture.cols - 1);
    const int y1 = std::min(y0 + 1, texture.rows - 1);
    const float ax = float(fx - x0);
    const float ay = float(fy - y0);
    const cv::Vec3f *r0 = texture.ptr<cv::Vec3f>(y0);
    const cv::Vec3f *r1 = texture.ptr<cv::Vec3f>(y1);
    const cv::Vec3f top = r0[x0] * (1.0f - ax) + r0[x1] * ax;
    const cv::Vec3f bottom = r1[x0] * (1.0f - ax) + r1[x1] * ax;
    return top * (1.0f - ay) + bottom * ay;
}

void castShadow(cv::Mat &canvas, cv::Rect rect, const cv::Mat &mask, cv::Point2d offsetPx,
                double sigmaPx, double strength)
{
    if (rect.empty())
        return;
    const int pad = int(std::ceil(3.0 * sigmaPx + std::abs(offsetPx.x) + std::abs(offsetPx.y))) + 2;
    const cv::Rect grown = (rect + cv::Size(2 * pad, 2 * pad) - cv::Point(pad, pad)) &
                           cv::Rect(0, 0, canvas.cols, canvas.rows);
    cv::Mat shadow = cv::Mat::zeros(grown.size(), CV_32F);
    const cv::Matx23d shift(1, 0, rect.x - grown.x + offsetPx.x, 0, 1,
                            rect.y - grown.y + offsetPx.y);
    cv::warpAffine(mask, shadow, shift, grown.size(), cv::INTER_LINEAR, cv::BORDER_CONSTANT);
    if (sigmaPx > 0.3)
        cv::GaussianBlur(shadow, shadow, cv::Size(), sigmaPx);
    cv::Mat factor = 1.0 - strength * shadow;
    cv::Mat roi = canvas(grown);
    cv::Mat factor3;
    cv::merge(std::vector<cv::Mat>{factor, factor, factor}, factor3);
    cv::multiply(roi, factor3, roi);
}

PlaneDistance roundedRectDistance(double x, double y, double w, double h, double r)
{
    const double cx = x - 0.5 * w;
    const double cy = y - 0.5 * h;
    const double qx = std::abs(cx) - (0.5 * w - r);
    const double qy = std::abs(cy) - (0.5 * h - r);
    const double sx = cx < 0 ? -1.0 : 1.0;
    const double sy = cy < 0 ? -1.0 : 1.0;
    if (qx > 0.0 && qy > 0.0) {
        const double len = std::hypot(qx, qy);
        return {len - r, sx * qx / len, sy * qy / len};
    }
    if (qx > qy)
        return {qx - r, sx, 0.0};
    return {qy - r, 0.0, sy};
}
