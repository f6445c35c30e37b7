#include "capture/detector/ColourSampler.h"

#include <opencv2/core/hal/intrin.hpp>

#include <cstdint>
#include <cstring>

namespace {

template <int BytesPerPixel>
void shrinkRows(const uchar *bits, std::ptrdiff_t stride, int factor, cv::Mat &out)
{
    // Two rows and two columns per block, placed symmetrically so the block's centre is kept;
    // from 3 x 3 blocks on, a single row through the middle: the rows dominate the cost.
    const int o0 = factor / 4, o1 = (3 * factor) / 4;
    const int step = (o1 - o0) * BytesPerPixel;
    const int rowA = factor >= 3 ? factor / 2 : o0, rowB = factor >= 3 ? factor / 2 : o1;
    if constexpr (BytesPerPixel == 4) {
        if (rowA == rowB) {
            // One row: the mean of a, b, a, b rounded is (a + b + 1) / 2, which a 32-bit word
            // gives for all four bytes at once ((a | b) less half of a ^ b, without letting
            // a byte's low bit into its neighbour). Each pixel's four bytes are written whole,
            // the fourth landing on the next pixel's first, which that pixel then overwrites.
            for (int y = 0; y < out.rows; ++y) {
                const uchar *r0 =
                    bits + std::ptrdiff_t(y * factor + rowA) * stride + o0 * BytesPerPixel;
                uchar *dst = out.ptr<uchar>(y);
                for (int x = 0; x < out.cols; ++x) {
                    const uchar *a = r0 + std::ptrdiff_t(x) * factor * BytesPerPixel;
                    std::uint32_t pa, pb;
                    std::memcpy(&pa, a, 4);
                    std::memcpy(&pb, a + step, 4);
                    const std::uint32_t mean = (pa | pb) - (((pa ^ pb) & 0xFEFEFEFEu) >> 1);
                    if (x + 1 < out.cols) {
                        std::memcpy(dst + 3 * x, &mean, 4);
                    } else {
                        uchar last[4];
                        std::memcpy(last, &mean, 4);
                        std::memcpy(dst + 3 * x, last, 3);
                    }
                }
            }
            return;
        }
    }
    for (int y = 0; y < out.rows; ++y) {
        const uchar *r0 = bits + std::ptrdiff_t(y * factor + rowA) * stride + o0 * BytesPerPixel;
        const uchar *r1 = bits + std::ptrdiff_t(y * factor + rowB) * stride + o0 * BytesPerPixel;
        uchar *dst = out.ptr<uchar>(y);
        for (int x = 0; x < out.cols; ++x) {
            const std::ptrdiff_t at = std::ptrdiff_t(x) * factor * BytesPerPixel;
            const uchar *a = r0 + at, *b = r0 + at + step, *c = r1 + at, *d = r1 + at + step;
            if constexpr (BytesPerPixel == 1) {
                const uchar g = uchar((a[0] + b[0] + c[0] + d[0] + 2) >> 2);
                dst[3 * x] = dst[3 * x + 1] = dst[3 * x + 2] = g;
            } else {
                for (int k = 0; k < 3; ++k)
                    dst[3 * x + k] = uchar((a[k] + b[k] + c[k] + d[k] + 2) >> 2);
            }
        }
    }
}

// Four bytes from p as floats; p + 3 must still lie in the picture. The bytes are copied
// first: the vector load reads them as one int, and a pixel of three bytes is rarely aligned
// for that.
inline cv::v_float32x4 pixel(const uchar *p)
{
    alignas(4) uchar bytes[4];
    std::memcpy(bytes, p, sizeof bytes);
    return cv::v_cvt_f32(cv::v_reinterpret_as_s32(cv::v_load_expand_q(bytes)));
}

// ColourSampler::at for positions whose four neighbours all lie inside the picture, so the
// floor is a truncation and nothing is clamped; the arithmetic is the same, so are the values.
// Taps is the count of taps along the edge when it is 1 or 3, else 0 (any count). The middle
// tap lies on the sample itself: its offset along the edge is a zero, and adding a zero leaves
// the position as it is (the sign of a zero position vanishes with the half pixel taken off).
// The outer two of three lie one step either way: along times -1 or 1 is exactly -along or
// along.
template <int BytesPerPixel, int Taps>
void profileInside(const uchar *bits, std::ptrdiff_t stride, cv::Point2d centre, cv::Point2d across,
                   cv::Point2d along, int radius, int taps, float scale, float *out)
{
    const double half = 0.5 * (taps - 1);
    if constexpr (Taps > 0)
        taps = Taps;
    for (int k = 0; k <= 2 * radius; ++k) {
        const cv::Point2d q = centre + across * double(k - radius);
        float sum[4] = {0, 0, 0, 0};
        cv::v_float32x4 lanes = cv::v_setzero_f32();
        for (int t = 0; t < taps; ++t) {
            double u, v;
            if constexpr (Taps == 1) {
                u = q.x - 0.5;
                v = q.y - 0.5;
            } else if constexpr (Taps == 3) {
                u = (t == 1 ? q.x : q.x + (t == 0 ? -along.x : along.x)) - 0.5;
                v = (t == 1 ? q.y : q.y + (t == 0 ? -along.y : along.y)) - 0.5;
            } else {
                u = q.x + along.x * (t - half) - 0.5;
                v = q.y + along.y * (t - half) - 0.5;
            }
            const int x0 = int(u), y0 = int(v);
            const float a = float(u - double(x0)), b = float(v - double(y0));
            const uchar *r0 = bits + std::ptrdiff_t(y0) * stride + x0 * BytesPerPixel;
            const uchar *r1 = r0 + stride;
            const float w00 = (1 - a) * (1 - b), w10 = a * (1 - b), w01 = (1 - a) * b, w11 = a * b;
            if constexpr (BytesPerPixel == 1) {
                const float g = r0[0] * w00 + r0[1] * w10 + r1[0] * w01 + r1[1] * w11;
                sum[0] += g;
                sum[1] += g;
                sum[2] += g;
            } else {
                // The three channels side by side (a fourth lane carries whatever byte follows
                // and is dropped); each lane is computed exactly as the scalar sum would be.
                const cv::v_float32x4 mixed = pixel(r0) * cv::v_setall_f32(w00) +
                                              pixel(r0 + BytesPerPixel) * cv::v_setall_f32(w10) +
                                              pixel(r1) * cv::v_setall_f32(w01) +
                                              pixel(r1 + BytesPerPixel) * cv::v_setall_f32(w11);
                lanes = lanes + mixed;
            }
        }
        if constexpr (BytesPerPixel != 1) {
            // Scaled on the lanes; the fourth lane's value lands on the next sample's first
            // channel, which that sample then overwrites (the last sample is stored by hand).
            const cv::v_float32x4 scaled = lanes * cv::v_setall_f32(scale);
            if (k < 2 * radius) {
                cv::v_store(out + 3 * k, scaled);
                continue;
            }
            cv::v_store(sum, scaled);
            for (int c = 0; c < 3; ++c)
                out[3 * k + c] = sum[c];
        } else {
            for (int c = 0; c < 3; ++c)
                out[3 * k + c] = sum[c] * scale;
        }
    }
}

// profileInside with the count of taps fixed where it is one of the usual ones.
template <int BytesPerPixel>
void profileInsideTaps(const uchar *bits, std::ptrdiff_t stride, cv::Point2d centre,
                       cv::Point2d across, cv::Point2d along, int radius, int taps, float scale,
                       float *out)
{
    if (taps == 1)
        profileInside<BytesPerPixel, 1>(bits, stride, centre, across, along, radius, taps, scale,
                                        out);
    else if (taps == 3)
        profileInside<BytesPerPixel, 3>(bits, stride, centre, across, along, radius, taps, scale,
                                        out);
    else
        profileInside<BytesPerPixel, 0>(bits, stride, centre, across, along, radius, taps, scale,
                                        out);
}

} // namespace

void ColourSampler::profile(cv::Point2d centre, cv::Point2d across, cv::Point2d along, int radius,
                            int taps, float scale, float *out) const
{
    // The window's extent, with a pixel to spare for rounding and for the four-byte reads of
    // three-byte pixels; NaN fails every test.
    const double half = 0.5 * (taps - 1);
    const double spanX = std::abs(across.x) * radius + std::abs(along.x) * half + 1.0;
    const double spanY = std::abs(across.y) * radius + std::abs(along.y) * half + 1.0;
    const bool inside = centre.x - spanX >= 0.5 && centre.x + spanX <= m_width - 1.5 &&
                        centre.y - spanY >= 0.5 && centre.y + spanY <= m_height - 1.5;
    if (inside) {
        switch (m_bytesPerPixel) {
        case 1:
            return profileInsideTaps<1>(m_bits, m_stride, centre, across, along, radius, taps,
                                        scale, out);
        case 3:
            return profileInsideTaps<3>(m_bits, m_stride, centre, across, along, radius, taps,
                                        scale, out);
        case 4:
            return profileInsideTaps<4>(m_bits, m_stride, centre, across, along, radius, taps,
                                        scale, out);
        default:
            break;
        }
    }
    for (int k = 0; k <= 2 * radius; ++k) {
        const cv::Point2d q = centre + across * double(k - radius);
        Colour sum{0, 0, 0};
        for (int t = 0; t < taps; ++t) {
            const Colour c = at(q.x + along.x * (t - half), q.y + along.y * (t - half));
            sum[0] += c[0];
            sum[1] += c[1];
            sum[2] += c[2];
        }
        for (size_t c = 0; c < 3; ++c)
            out[3 * k + int(c)] = sum[c] * scale;
    }
}

void ColourSampler::shrink(int factor, cv::Mat &out) const
{
    factor = std::max(factor, 1);
    const int w = m_width / factor, h = m_height / factor;
    out.create(std::max(h, 0), std::max(w, 0), CV_8UC3);
    if (w <= 0 || h <= 0)
        return;
    switch (m_bytesPerPixel) {
    case 1:
        shrinkRows<1>(m_bits, m_stride, factor, out);
        break;
    case 3:
        shrinkRows<3>(m_bits, m_stride, factor, out);
        break;
    default:
        shrinkRows<4>(m_bits, m_stride, factor, out);
        break;
    }
}
