#pragma once

#include <opencv2/core/mat.hpp>
#include <opencv2/core/types.hpp>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>

// Bilinear colour at continuous coordinates (pixel centres at +0.5, y down) of 8-bit grey,
// BGR or BGRA pixels, read in place. Edges are searched in colour, not brightness: a teal
// stripe on a card can have exactly the brightness of the wooden table under it. Positions
// outside are clamped to the border so a profile that leaves the picture never reads out of
// bounds.
class ColourSampler
{
public:
    using Colour = std::array<float, 3>;

    ColourSampler() = default;
    // bytesPerPixel: 1 (grey), 3 (BGR) or 4 (BGRA).
    ColourSampler(const uchar *bits, int width, int height, std::ptrdiff_t stride,
                  int bytesPerPixel)
        : m_bits(bits), m_width(width), m_height(height), m_stride(stride),
          m_bytesPerPixel(bytesPerPixel)
    {
    }
    explicit ColourSampler(const cv::Mat &image)
        : ColourSampler(image.data, image.cols, image.rows, std::ptrdiff_t(image.step),
                        int(image.elemSize()))
    {
    }

    [[nodiscard]] int width() const { return m_width; }
    [[nodiscard]] int height() const { return m_height; }

    [[nodiscard]] Colour at(double x, double y) const
    {
        const double u = x - 0.5, v = y - 0.5;
        if (!(u > -1e6 && u < 1e6 && v > -1e6 && v < 1e6) || m_width <= 0 || m_height <= 0)
            return {0, 0, 0};
        const double fu = std::floor(u), fv = std::floor(v);
        const float a = float(u - fu), b = float(v - fv);
        const int x0 = std::clamp(int(fu), 0, m_width - 1);
        const int x1 = std::clamp(int(fu) + 1, 0, m_width - 1);
        const int y0 = std::clamp(int(fv), 0, m_height - 1);
        const int y1 = std::clamp(int(fv) + 1, 0, m_height - 1);
        const uchar *r0 = m_bits + std::ptrdiff_t(y0) * m_stride;
        const uchar *r1 = m_bits + std::ptrdiff_t(y1) * m_stride;
        const float w00 = (1 - a) * (1 - b), w10 = a * (1 - b), w01 = (1 - a) * b, w11 = a * b;
        const int p0 = x0 * m_bytesPerPixel, p1 = x1 * m_bytesPerPixel;
        Colour c;
        if (m_bytesPerPixel == 1) {
            const float g = r0[p0] * w00 + r0[p1] * w10 + r1[p0] * w01 + r1[p1] * w11;
            c = {g, g, g};
        } else {
            for (int k = 0; k < 3; ++k)
                c[size_t(k)] =
                    r0[p0 + k] * w00 + r0[p1 + k] * w10 + r1[p0 + k] * w01 + r1[p1 + k] * w11;
        }
        return c;
    }

    // A colour profile across an edge: for k = 0 .. 2 * radius, the sum over t = 0 .. taps - 1 of
    // the colours at centre + across * (k - radius) + along * (t - (taps - 1) / 2), times scale,
    // into out[3 * k .. 3 * k + 2]. The same values as summing at(), read without the border
    // checks when the whole window lies inside the picture.
    void profile(cv::Point2d centre, cv::Point2d across, cv::Point2d along, int radius, int taps,
                 float scale, float *out) const;

    // Writes the picture shrunk by an integer factor into out (8-bit BGR, reused), each output
    // pixel the mean of 2 x 2 (or 2 x 1) samples spread over its block. Reading every source pixel
    // of a 12-megapixel frame would cost more than the whole search, and the search smooths
    // the result anyway.
    void shrink(int factor, cv::Mat &out) const;

private:
    const uchar *m_bits = nullptr;
    int m_width = 0;
    int m_height = 0;
    std::ptrdiff_t m_stride = 0;
    int m_bytesPerPixel = 1;
};
