#include "capture/detector/EdgeField.h"

#include <opencv2/core/hal/intrin.hpp>
#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <cstring>

namespace {

// One row: the gradient of the channel whose gradient is largest.
void strongestChannel(int cols, const short *__restrict x0, const short *__restrict y0,
                      const short *__restrict x1, const short *__restrict y1,
                      const short *__restrict x2, const short *__restrict y2, short *__restrict gx,
                      short *__restrict gy)
{
    // Sobel on 8-bit levels stays within +-1020, so |gx| + |gy| fits the 16-bit lanes.
    int x = 0;
    for (; x + 8 <= cols; x += 8) {
        const cv::v_int16x8 a0 = cv::v_load(x0 + x), b0 = cv::v_load(y0 + x);
        const cv::v_int16x8 a1 = cv::v_load(x1 + x), b1 = cv::v_load(y1 + x);
        const cv::v_int16x8 a2 = cv::v_load(x2 + x), b2 = cv::v_load(y2 + x);
        const auto magnitude = [](const cv::v_int16x8 &u, const cv::v_int16x8 &v) {
            return cv::v_reinterpret_as_s16(cv::v_abs(u)) + cv::v_reinterpret_as_s16(cv::v_abs(v));
        };
        const cv::v_int16x8 m0 = magnitude(a0, b0), m1 = magnitude(a1, b1), m2 = magnitude(a2, b2);
        const cv::v_int16x8 first = m1 > m0;
        const cv::v_int16x8 m01 = cv::v_select(first, m1, m0);
        const cv::v_int16x8 sx = cv::v_select(first, a1, a0), sy = cv::v_select(first, b1, b0);
        const cv::v_int16x8 last = m2 > m01;
        cv::v_store(gx + x, cv::v_select(last, a2, sx));
        cv::v_store(gy + x, cv::v_select(last, b2, sy));
    }
    for (; x < cols; ++x) {
        const int a0 = x0[x], b0 = y0[x], a1 = x1[x], b1 = y1[x], a2 = x2[x], b2 = y2[x];
        const int m0 = (a0 < 0 ? -a0 : a0) + (b0 < 0 ? -b0 : b0);
        const int m1 = (a1 < 0 ? -a1 : a1) + (b1 < 0 ? -b1 : b1);
        const int m2 = (a2 < 0 ? -a2 : a2) + (b2 < 0 ? -b2 : b2);
        const int m01 = m1 > m0 ? m1 : m0;
        const int sx = m1 > m0 ? a1 : a0, sy = m1 > m0 ? b1 : b0;
        gx[x] = short(m2 > m01 ? a2 : sx);
        gy[x] = short(m2 > m01 ? b2 : sy);
    }
}

// The least count out of `samples` whose share reaches `needed`.
int countReaching(double needed, int samples)
{
    if (!(needed > 0))
        return 0;
    int count = std::clamp(int(std::ceil(needed * samples)), 0, samples + 1);
    while (count > 0 && double(count - 1) / samples >= needed)
        --count;
    while (count <= samples && double(count) / samples < needed)
        ++count;
    return count;
}

cv::Point2d centreOf(const quad::Corners &corners)
{
    cv::Point2d centre(0, 0);
    for (const auto &c : corners)
        centre += c * 0.25;
    return centre;
}

} // namespace

bool EdgeField::compute(const cv::Mat &image)
{
    static std::atomic<std::uint64_t> pictures{0};
    m_picture = ++pictures;
    if (image.cols < 16 || image.rows < 16 || image.type() != CV_8UC3) {
        m_dx.release();
        m_dy.release();
        return false;
    }
    cv::GaussianBlur(image, m_smooth, cv::Size(5, 5), 1.2, 1.2, cv::BORDER_REPLICATE);
    cv::Sobel(m_smooth, m_dx3, CV_16S, 1, 0, 3, 1, 0, cv::BORDER_REPLICATE);
    cv::Sobel(m_smooth, m_dy3, CV_16S, 0, 1, 3, 1, 0, cv::BORDER_REPLICATE);
    // Per pixel, the gradient of the colour channel that changes most (as Canny does for
    // colour), computed once for every threshold level and every side check.
    m_dx.create(m_dx3.size(), CV_16SC1);
    m_dy.create(m_dx3.size(), CV_16SC1);
    cv::split(m_dx3, m_planesX);
    cv::split(m_dy3, m_planesY);
    for (int y = 0; y < m_dx3.rows; ++y) {
        strongestChannel(m_dx3.cols, m_planesX[0].ptr<short>(y), m_planesY[0].ptr<short>(y),
                         m_planesX[1].ptr<short>(y), m_planesY[1].ptr<short>(y),
                         m_planesX[2].ptr<short>(y), m_planesY[2].ptr<short>(y), m_dx.ptr<short>(y),
                         m_dy.ptr<short>(y));
    }

    // Sensor noise, from the second difference of the unsmoothed picture: smooth shading and
    // broad grain have none, so they do not raise the thresholds that a faint card edge must
    // pass, while real noise does.
    m_magnitudes.clear();
    for (int y = 1; y < image.rows; y += 3) {
        const uchar *row = image.ptr<uchar>(y);
        for (int i = 3; i + 3 < image.cols * 3; i += 7)
            m_magnitudes.push_back(std::abs(int(row[i - 3]) - 2 * int(row[i]) + int(row[i + 3])));
    }
    auto middle = m_magnitudes.begin() + std::ptrdiff_t(m_magnitudes.size() / 2);
    std::nth_element(m_magnitudes.begin(), middle, m_magnitudes.end());
    // A median second difference of 1 grey level is about 1 level of noise; after smoothing,
    // Sobel turns it into a few levels of gradient.
    m_noise = m_magnitudes.empty() ? 0.0 : 3.0 * double(*middle);
    m_edgeThreshold = float(std::max(10.0, 2.5 * m_noise));
    return true;
}

double EdgeField::sideShare(cv::Point2d a, cv::Point2d b, cv::Point2d centre, int maxSamples,
                            double needed) const
{
    bool whole = true;
    return shareAlong(a, b, centre, maxSamples, needed, whole);
}

double EdgeField::shareAlong(cv::Point2d a, cv::Point2d b, cv::Point2d centre, int maxSamples,
                             double needed, bool &whole) const
{
    whole = true;
    const double length = cv::norm(b - a);
    if (length < 1)
        return 0;
    const cv::Point2d d = (b - a) / length;
    cv::Point2d n(d.y, -d.x);
    if (n.dot((a + b) * 0.5 - centre) < 0)
        n = -n;
    const int samples = std::clamp(int(length / 3), 8, maxSamples);
    const double cols = m_dx.cols, rows = m_dx.rows;
    const uchar *dxData = m_dx.data, *dyData = m_dy.data;
    const size_t dxStep = m_dx.step[0], dyStep = m_dy.step[0];
    // The offsets across the side, pixels.
    std::array<double, 7> acrossX{}, acrossY{};
    for (int o = -3; o <= 3; ++o) {
        acrossX[size_t(o + 3)] = n.x * o;
        acrossY[size_t(o + 3)] = n.y * o;
    }
    // The count the larger polarity must reach for the share to reach `needed`: the share is
    // that count over the samples, so a count that cannot get there ends the walk.
    const int reach = countReaching(needed, samples);
    int positive = 0, negative = 0;
    for (int s = 0; s < samples; ++s) {
        if (std::max(positive, negative) + (samples - s) < reach) {
            whole = false;
            return double(std::max(positive, negative) + (samples - s)) / samples;
        }
        const cv::Point2d p = a + (b - a) * (0.12 + 0.76 * (s + 0.5) / samples);
        // The positions grow steadily with the offset, rounded or not: when both ends lie in
        // the picture, every position between does.
        const double x0 = p.x + acrossX[0], x6 = p.x + acrossX[6];
        const double y0 = p.y + acrossY[0], y6 = p.y + acrossY[6];
        const bool inside = x0 >= 0 && x6 >= 0 && y0 >= 0 && y6 >= 0 && x0 < cols && x6 < cols &&
                            y0 < rows && y6 < rows;
        // The strongest edge across the side near the sample decides, when it is strong
        // enough; weaker pixels are passed over before the direction test (edgeAcross's).
        int sign = 0;
        float best = 0;
        for (size_t o = 0; o < 7; ++o) {
            // Outside the picture (or NaN) there is no edge; inside, the floor is a truncation.
            const double x = p.x + acrossX[o], y = p.y + acrossY[o];
            if (!inside && !(x >= 0 && y >= 0 && x < cols && y < rows))
                continue;
            const int xi = int(x), yi = int(y);
            const float gx = reinterpret_cast<const short *>(dxData + dxStep * size_t(yi))[xi];
            const float gy = reinterpret_cast<const short *>(dyData + dyStep * size_t(yi))[xi];
            const float across = float(gx * n.x + gy * n.y);
            const float strength = std::abs(across);
            if (strength < m_edgeThreshold || strength <= best ||
                !(across * across >= 0.6f * (gx * gx + gy * gy) && across != 0.0f))
                continue;
            best = strength;
            sign = across > 0 ? 1 : -1;
        }
        if (sign != 0)
            (sign > 0 ? positive : negative)++;
    }
    return double(std::max(positive, negative)) / samples;
}

double EdgeField::knownShare(cv::Point2d a, cv::Point2d b, cv::Point2d centre, double needed) const
{
    constexpr int maxSamples = 40;
    // Which way is out, decided as shareAlong decides it: the walk across the side depends on it.
    const cv::Point2d d = (b - a) / cv::norm(b - a);
    const bool flipped = cv::Point2d(d.y, -d.x).dot((a + b) * 0.5 - centre) < 0;
    std::array<std::uint64_t, 4> ends;
    std::memcpy(&ends[0], &a.x, 8);
    std::memcpy(&ends[1], &a.y, 8);
    std::memcpy(&ends[2], &b.x, 8);
    std::memcpy(&ends[3], &b.y, 8);
    std::uint64_t hash = flipped ? 0x9E3779B97F4A7C15ull : 0;
    for (const std::uint64_t e : ends)
        hash = (hash ^ e) * 0xFF51AFD7ED558CCDull;
    hash ^= hash >> 29;
    constexpr size_t kSlots = 4096, kProbes = 8;
    if (m_known.size() != kSlots)
        m_known.assign(kSlots, KnownShare{});
    KnownShare *free = nullptr;
    for (size_t probe = 0; probe < kProbes; ++probe) {
        KnownShare &k = m_known[(hash + probe) & (kSlots - 1)];
        if (k.picture != m_picture) {
            free = free ? free : &k;
            continue;
        }
        if (k.ends != ends || k.flipped != flipped)
            continue;
        // A whole count is the share; a count cut short only tells that the share is below
        // the bound it gave, which answers any caller needing at least that much.
        if (k.whole || k.share < needed)
            return k.share;
        free = &k;
        break;
    }
    bool whole = true;
    const double share = shareAlong(a, b, centre, maxSamples, needed, whole);
    if (free)
        *free = KnownShare{ends, m_picture, flipped, whole, share};
    return share;
}

double EdgeField::sideSupport(const quad::Corners &corners, double *worst) const
{
    return sideSupport(corners, worst, 0.0, 0.0);
}

double EdgeField::sideSupport(const quad::Corners &corners, double *worst, double minMean,
                              double minWorst) const
{
    if (m_dx.empty())
        return 0;
    const cv::Point2d centre = centreOf(corners);
    double total = 0, minimum = 1;
    for (int i = 0; i < 4; ++i) {
        const cv::Point2d a = corners[size_t(i)], b = corners[size_t((i + 1) % 4)];
        if (cv::norm(b - a) < 1)
            return 0;
        // This side must reach the worst share allowed, and enough that the mean can still
        // reach minMean with every later side whole (a hair less, for rounding).
        const double forMean = 4 * minMean - total - (3 - i) - 1e-9;
        const double needed = std::max(minWorst, forMean);
        const double share = knownShare(a, b, centre, needed);
        if (share < needed) {
            if (worst)
                *worst = 0;
            return 0;
        }
        total += share;
        minimum = std::min(minimum, share);
    }
    if (worst)
        *worst = minimum;
    return total / 4;
}

void EdgeField::reseatSide(const quad::Corners &corners, int side, size_t count,
                           std::vector<quad::Corners> &out) const
{
    out.clear();
    if (m_dx.empty())
        return;
    const size_t i = size_t(side), next = size_t((side + 1) % 4);
    const cv::Point2d before = corners[(i + 3) % 4], after = corners[(i + 2) % 4];
    const cv::Point2d centre = centreOf(corners);
    struct Seat
    {
        double share;
        double s;
        double t;
    };
    std::vector<Seat> seats;
    // The ends move along the neighbouring sides from 60 % to 140 % of their length.
    constexpr int steps = 16;
    for (int u = 0; u <= steps; ++u) {
        const double s = 0.6 + 0.8 * u / steps;
        const cv::Point2d a = before + (corners[i] - before) * s;
        for (int v = 0; v <= steps; ++v) {
            const double t = 0.6 + 0.8 * v / steps;
            const cv::Point2d b = after + (corners[next] - after) * t;
            const double share = sideShare(a, b, centre, 24, 0.6);
            if (share >= 0.6)
                seats.push_back({share, s, t});
        }
    }
    std::sort(seats.begin(), seats.end(),
              [](const Seat &x, const Seat &y) { return x.share > y.share; });
    for (const Seat &seat : seats) {
        quad::Corners moved = corners;
        moved[i] = before + (corners[i] - before) * seat.s;
        moved[next] = after + (corners[next] - after) * seat.t;
        bool distinct = quad::maxCornerDistance(moved, corners) > 1.5;
        for (const auto &o : out)
            distinct = distinct && quad::maxCornerDistance(moved, o) > 3.0;
        if (distinct && quad::isConvex(moved))
            out.push_back(moved);
        if (out.size() >= count)
            return;
    }
}

void EdgeField::parallelEdges(const quad::Corners &corners, int side, double maxOffset,
                              std::vector<double> &offsets) const
{
    offsets.clear();
    if (m_dx.empty())
        return;
    const cv::Point2d centre = centreOf(corners);
    const cv::Point2d a = corners[size_t(side)], b = corners[size_t((side + 1) % 4)];
    const double length = cv::norm(b - a);
    if (length < 4)
        return;
    const cv::Point2d d = (b - a) / length;
    cv::Point2d n(d.y, -d.x);
    if (n.dot((a + b) * 0.5 - centre) < 0)
        n = -n;
    constexpr int samples = 20;
    const int last = int(maxOffset) + 1;
    m_shares.assign(size_t(std::max(last + 2, 0)), 0);
    for (int o = 2; o <= last; ++o) {
        int supported = 0;
        for (int s = 0; s < samples; ++s) {
            const cv::Point2d p = a + (b - a) * (0.15 + 0.7 * (s + 0.5) / samples) + n * double(o);
            float across = 0;
            if (edgeAcross(int(std::floor(p.x)), int(std::floor(p.y)), n, across) &&
                std::abs(across) >= m_edgeThreshold)
                ++supported;
        }
        m_shares[size_t(o)] = supported;
    }
    // Every local maximum of support that covers most of the side is an edge; print near
    // the edge (a stripe's lettering) can merge with it into one run, so runs are not enough.
    for (int o = 3; o < last; ++o) {
        const int v = m_shares[size_t(o)];
        if (v < samples * 6 / 10 || v < m_shares[size_t(o - 1)] || v <= m_shares[size_t(o + 1)])
            continue;
        offsets.push_back(o);
        if (offsets.size() >= 5)
            return;
    }
}
