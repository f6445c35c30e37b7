#include "capture/detector/LumaSampler.h"

namespace {

// Grey of one pixel times 256 (Rec. 601 weights; blue, green, red in memory order).
template <int Channels> inline std::uint32_t grey256(const uchar *p)
{
    if constexpr (Channels == 1)
        return std::uint32_t(p[0]) << 8;
    else
        return p[0] * 29u + p[1] * 150u + p[2] * 77u;
}

template <int Channels>
void shrinkRows(const uchar *bits, std::ptrdiff_t stride, int factor, cv::Mat &out)
{
    // Two samples per block and direction, placed symmetrically so the block's centre is kept.
    const int o0 = factor / 4, o1 = (3 * factor) / 4;
    for (int y = 0; y < out.rows; ++y) {
        const uchar *r0 = bits + std::ptrdiff_t(y * factor + o0) * stride + o0 * Channels;
        const uchar *r1 = bits + std::ptrdiff_t(y * factor + o1) * stride + o0 * Channels;
        const int step = (o1 - o0) * Channels;
        uchar *dst = out.ptr<uchar>(y);
        for (int x = 0; x < out.cols; ++x) {
            const std::ptrdiff_t at = std::ptrdiff_t(x) * factor * Channels;
            const std::uint32_t sum =
                grey256<Channels>(r0 + at) + grey256<Channels>(r0 + at + step) +
                grey256<Channels>(r1 + at) + grey256<Channels>(r1 + at + step);
            dst[x] = uchar((sum + 512) >> 10);
        }
    }
}

} // namespace

void LumaSampler::shrink(int factor, cv::Mat &out) const
{
    factor = std::max(factor, 1);
    const int w = m_width / factor, h = m_height / factor;
    out.create(std::max(h, 0), std::max(w, 0), CV_8UC1);
    if (w <= 0 || h <= 0)
        return;
    if (m_channels == 1)
        shrinkRows<1>(m_bits, m_stride, factor, out);
    else
        shrinkRows<4>(m_bits, m_stride, factor, out);
}
