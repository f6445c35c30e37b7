#pragma once

#include <opencv2/core/mat.hpp>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>

// Bilinear brightness at continuous coordinates (pixel centres at +0.5, y down) of an 8-bit
// grey plane or of 32-bit BGRA pixels, read in place. Positions outside are clamped to the
// border so a profile that leaves the picture never reads out of bounds.
class LumaSampler
{
public:
    LumaSampler() = default;
    LumaSampler(const uchar *bits, int width, int height, std::ptrdiff_t stride, int channels)
        : m_bits(bits), m_width(width), m_height(height), m_stride(stride), m_channels(channels)
    {
    }
    explicit LumaSampler(const cv::Mat &grey)
        : LumaSampler(grey.data, grey.cols, grey.rows, std::ptrdiff_t(grey.step), 1)
    {
    }

    [[nodiscard]] int width() const { return m_width; }
    [[nodiscard]] int height() const { return m_height; }

    [[nodiscard]] float pixel(int x, int y) const
    {
        const uchar *p = m_bits + y * m_stride + x * m_channels;
        if (m_channels == 1)
            return p[0];
        // Rec. 601 weights in 1/256: blue, green, red in memory order.
        return float(p[0] * 29 + p[1] * 150 + p[2] * 77) * (1.0f / 256.0f);
    }

    [[nodiscard]] float at(double x, double y) const
    {
        const double u = x - 0.5, v = y - 0.5;
        if (!(u > -1e6 && u < 1e6 && v > -1e6 && v < 1e6))
            return 0.0f;
        const double fu = std::floor(u), fv = std::floor(v);
        const float a = float(u - fu), b = float(v - fv);
        const int x0 = std::clamp(int(fu), 0, m_width - 1);
        const int x1 = std::clamp(int(fu) + 1, 0, m_width - 1);
        const int y0 = std::clamp(int(fv), 0, m_height - 1);
        const int y1 = std::clamp(int(fv) + 1, 0, m_height - 1);
        const float top = pixel(x0, y0) * (1 - a) + pixel(x1, y0) * a;
        const float bottom = pixel(x0, y1) * (1 - a) + pixel(x1, y1) * a;
        return top * (1 - b) + bottom * b;
    }

    // Writes the picture shrunk by an integer factor into out (8-bit grey, reused), each output
    // pixel the mean of 2 x 2 samples spread evenly over its block. Reading every source pixel
    // of a 12-megapixel frame would cost more than the whole search, and the search smooths
    // the result anyway.
    void shrink(int factor, cv::Mat &out) const;

private:
    const uchar *m_bits = nullptr;
    int m_width = 0;
    int m_height = 0;
    std::ptrdiff_t m_stride = 0;
    int m_channels = 1;
};
