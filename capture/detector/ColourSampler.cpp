#include "capture/detector/ColourSampler.h"

namespace {

template <int BytesPerPixel>
void shrinkRows(const uchar *bits, std::ptrdiff_t stride, int factor, cv::Mat &out)
{
    // Two rows and two columns per block, placed symmetrically so the block's centre is kept;
    // from 3 x 3 blocks on, a single row through the middle: the rows dominate the cost.
    const int o0 = factor / 4, o1 = (3 * factor) / 4;
    const int step = (o1 - o0) * BytesPerPixel;
    const int rowA = factor >= 3 ? factor / 2 : o0, rowB = factor >= 3 ? factor / 2 : o1;
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

} // namespace

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
