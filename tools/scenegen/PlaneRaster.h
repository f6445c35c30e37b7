#pragma once

#include <opencv2/core.hpp>

#include <algorithm>
#include <cmath>
#include <vector>

// Signed distance from a plane point to a shape, millimetres, negative inside, with the unit
// gradient of that distance (the outward normal of the nearest boundary).
struct PlaneDistance
{
    double d;
    double nx;
    double ny;
};

// Draws shapes that lie on the table plane into an image through the plane's homography.
// Coverage is computed per pixel from the signed distance converted into pixels through the
// local Jacobian, so straight edges are anti-aliased without any bias: a pixel whose centre lies
// on an edge is covered exactly half.
class PlaneRaster
{
public:
    // planeToImage maps millimetres to continuous image coordinates (pixel centres at +0.5).
    explicit PlaneRaster(const cv::Matx33d &planeToImage);

    [[nodiscard]] const cv::Matx33d &planeToImage() const { return m_toImage; }
    [[nodiscard]] const cv::Matx33d &imageToPlane() const { return m_toPlane; }
    [[nodiscard]] cv::Point2d toImage(cv::Point2d mm) const;
    [[nodiscard]] cv::Point2d toPlane(cv::Point2d px) const;
    // Image pixels per millimetre around a plane point (geometric mean of the two directions).
    [[nodiscard]] double pixelsPerMm(cv::Point2d mm) const;
    // The pixel rectangle, clipped to the image, covering the projection of a plane polygon.
    [[nodiscard]] cv::Rect bounds(const std::vector<cv::Point2d> &polygon, cv::Size image,
                                  int marginPx) const;

    // Coverage (0..1, CV_32F, rect-sized) of the shape whose signed distance sdf(x, y) gives.
    template <class Sdf> [[nodiscard]] cv::Mat coverage(cv::Rect rect, Sdf sdf) const
    {
        cv::Mat mask(rect.size(), CV_32F);
        const cv::Matx33d &h = m_toPlane;
        for (int r = 0; r < rect.height; ++r) {
            float *out = mask.ptr<float>(r);
            const double y = rect.y + r + 0.5;
            for (int c = 0; c < rect.width; ++c) {
                const double x = rect.x + c + 0.5;
                const double w = h(2, 0) * x + h(2, 1) * y + h(2, 2);
                const double px = (h(0, 0) * x + h(0, 1) * y + h(0, 2)) / w;
                const double py = (h(1, 0) * x + h(1, 1) * y + h(1, 2)) / w;
                const PlaneDistance s = sdf(px, py);
                // Gradient of the distance with respect to the pixel position.
                const double gx =
                    s.nx * (h(0, 0) - px * h(2, 0)) / w + s.ny * (h(1, 0) - py * h(2, 0)) / w;
                const double gy =
                    s.nx * (h(0, 1) - px * h(2, 1)) / w + s.ny * (h(1, 1) - py * h(2, 1)) / w;
                const double g = std::hypot(gx, gy);
                const double dPx = g > 0.0 ? s.d / g : s.d;
                out[c] = float(std::clamp(0.5 - dPx, 0.0, 1.0));
            }
        }
        return mask;
    }

    // Blends colour(x, y) (plane millimetres -> BGR 0..1) into canvas where mask covers.
    template <class Shade>
    void composite(cv::Mat &canvas, cv::Rect rect, const cv::Mat &mask, Shade colour,
                   float opacity = 1.0f) const
    {
        const cv::Matx33d &h = m_toPlane;
        for (int r = 0; r < rect.height; ++r) {
            const float *a = mask.ptr<float>(r);
            cv::Vec3f *dst = canvas.ptr<cv::Vec3f>(rect.y + r) + rect.x;
            const double y = rect.y + r + 0.5;
            for (int c = 0; c < rect.width; ++c) {
                const float alpha = a[c] * opacity;
                if (alpha <= 0.0f)
                    continue;
                const double x = rect.x + c + 0.5;
                const double w = h(2, 0) * x + h(2, 1) * y + h(2, 2);
                const double px = (h(0, 0) * x + h(0, 1) * y + h(0, 2)) / w;
                const double py = (h(1, 0) * x + h(1, 1) * y + h(1, 2)) / w;
                const cv::Vec3f col = colour(px, py);
                dst[c] = dst[c] * (1.0f - alpha) + col * alpha;
            }
        }
    }

private:
    cv::Matx33d m_toImage;
    cv::Matx33d m_toPlane;
};

// Bilinear lookup in a CV_32FC3 texture at continuous coordinates (pixel centres at +0.5),
// clamped at the border.
[[nodiscard]] cv::Vec3f sampleTexture(const cv::Mat &texture, double x, double y);

// Darkens canvas under a blurred, shifted copy of a shape's coverage: a soft contact shadow.
void castShadow(cv::Mat &canvas, cv::Rect rect, const cv::Mat &mask, cv::Point2d offsetPx,
                double sigmaPx, double strength);

// Signed distance to a rounded rectangle [0, w] x [0, h] with corner radius r.
[[nodiscard]] PlaneDistance roundedRectDistance(double x, double y, double w, double h, double r);
