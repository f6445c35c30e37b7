#include "tools/scenegen/Textures.h"

#include <opencv2/imgproc.hpp>

#include <numbers>

cv::Mat smoothNoise(cv::Size size, double cellX, double cellY, SceneRng &rng)
{
    cellX = std::max(cellX, 1.0);
    cellY = std::max(cellY, 1.0);
    const int gw = int(std::ceil(size.width / cellX)) + 4;
    const int gh = int(std::ceil(size.height / cellY)) + 4;
    cv::Mat grid(gh, gw, CV_32F);
    cv::RNG cvRng(rng.next());
    cvRng.fill(grid, cv::RNG::NORMAL, 0.0, 1.0);
    if (cellX <= 1.0 && cellY <= 1.0)
        return grid(cv::Rect(0, 0, size.width, size.height)).clone();
    cv::Mat big;
    const cv::Size bigSize(int(std::ceil(gw * cellX)), int(std::ceil(gh * cellY)));
    cv::resize(grid, big, bigSize, 0, 0, cv::INTER_CUBIC);
    // Cubic interpolation of white noise loses about a third of its spread.
    big *= 1.5;
    const int ox = int(cellX * 1.5);
    const int oy = int(cellY * 1.5);
    return big(cv::Rect(ox, oy, size.width, size.height)).clone();
}

cv::Mat fractalNoise(cv::Size size, double cell, int octaves, SceneRng &rng)
{
    cv::Mat sum = cv::Mat::zeros(size, CV_32F);
    double amplitude = 1.0;
    double total = 0.0;
    for (int i = 0; i < octaves && cell >= 1.0; ++i) {
        sum += amplitude * smoothNoise(size, cell, cell, rng);
        total += amplitude * amplitude;
        amplitude *= 0.5;
        cell *= 0.5;
    }
    return sum / std::sqrt(std::max(total, 1e-9));
}

namespace {

cv::Mat colourise(const cv::Mat &t, cv::Vec3f dark, cv::Vec3f light)
{
    cv::Mat out(t.size(), CV_32FC3);
    for (int r = 0; r < t.rows; ++r) {
        const float *a = t.ptr<float>(r);
        cv::Vec3f *o = out.ptr<cv::Vec3f>(r);
        for (int c = 0; c < t.cols; ++c)
            o[c] = dark + (light - dark) * a[c];
    }
    return out;
}

cv::Vec3f jitter(cv::Vec3f c, double amount, SceneRng &rng)
{
    for (int i = 0; i < 3; ++i)
        c[i] = float(std::clamp(c[i] * (1.0 + amount * rng.uniform(-1, 1)), 0.0, 1.0));
    return c;
}

cv::Mat wood(cv::Size size, double s, SceneRng &rng)
{
    const bool darkWood = rng.chance(0.35);
    const cv::Vec3f light = jitter(
        darkWood ? cv::Vec3f(0.25f, 0.40f, 0.58f) : cv::Vec3f(0.45f, 0.64f, 0.80f), 0.08, rng);
    const cv::Vec3f dark = jitter(
        darkWood ? cv::Vec3f(0.10f, 0.17f, 0.28f) : cv::Vec3f(0.25f, 0.40f, 0.58f), 0.08, rng);
    const double period = rng.uniform(2.5, 7.0) * s;
    const double plank = rng.uniform(80.0, 150.0) * s;
    cv::Mat warp = smoothNoise(size, 160 * s, 45 * s, rng) * (3.5 * s) +
                   smoothNoise(size, 50 * s, 10 * s, rng) * (0.5 * s);
    cv::Mat streaks = smoothNoise(size, 30 * s, std::max(1.0, 0.25 * s), rng) * 0.7 +
                      smoothNoise(size, 8 * s, std::max(1.0, 0.12 * s), rng) * 0.5;
    cv::Mat fine = smoothNoise(size, std::max(1.0, 0.3 * s), std::max(1.0, 0.3 * s), rng);
    std::vector<double> plankPhase(size_t(size.height / std::max(plank, 1.0)) + 2);
    std::vector<double> plankTint(plankPhase.size());
    for (size_t i = 0; i < plankPhase.size(); ++i) {
        plankPhase[i] = rng.uniform(0, 1000) * s;
        plankTint[i] = rng.uniform(-0.12, 0.12);
    }
    cv::Mat t(size, CV_32F);
    const double seamHalf = 0.35 * s;
    for (int r = 0; r < size.height; ++r) {
        const float *w = warp.ptr<float>(r);
        const float *st = streaks.ptr<float>(r);
        const float *fn = fine.ptr<float>(r);
        float *o = t.ptr<float>(r);
        const size_t p = size_t(r / plank);
        const double inPlank = r - double(p) * plank;
        const bool seam = inPlank < seamHalf || plank - inPlank < seamHalf;
        for (int c = 0; c < size.width; ++c) {
            const double v = r + w[c] + plankPhase[p];
            // Late wood: a thin dark band in each growth period.
            const double phase = v / period - std::floor(v / period);
            const double ring = std::exp(-std::pow((phase - 0.5) / 0.12, 2.0));
            double a = 0.75 - 0.35 * ring + 0.10 * st[c] + 0.04 * fn[c] + plankTint[p];
            if (seam)
                a = -0.35;
            o[c] = float(a);
        }
    }
    return colourise(t, dark, light);
}

cv::Mat fabric(cv::Size size, double s, SceneRng &rng)
{
    static const cv::Vec3f palette[] = {{0.45f, 0.28f, 0.15f}, {0.42f, 0.42f, 0.42f},
                                        {0.18f, 0.20f, 0.55f}, {0.25f, 0.45f, 0.25f},
                                        {0.55f, 0.65f, 0.72f}, {0.20f, 0.20f, 0.22f}};
    const cv::Vec3f base = jitter(palette[rng.integer(0, 5)], 0.1, rng);
    const double period = rng.uniform(0.7, 1.6) * s;
    const double angle = rng.uniform(0, std::numbers::pi);
    const double ca = std::cos(angle), sa = std::sin(angle);
    cv::Mat folds = fractalNoise(size, 80 * s, 3, rng);
    cv::Mat threads =
        smoothNoise(size, std::max(1.0, period * 2.0), std::max(1.0, period * 2.0), rng);
    cv::Mat speckle = smoothNoise(size, 1, 1, rng);
    // Threads finer than the pixels would alias into blotches: fade them out as a camera's
    // optics would.
    const double weaveAmp = 0.18 * std::clamp((period - 2.5) / 2.5, 0.0, 1.0);
    const double threadAmp = 0.08 * std::clamp((period - 1.5) / 2.0, 0.0, 1.0);
    cv::Mat out(size, CV_32FC3);
    for (int r = 0; r < size.height; ++r) {
        const float *f = folds.ptr<float>(r);
        const float *th = threads.ptr<float>(r);
        const float *sp = speckle.ptr<float>(r);
        cv::Vec3f *o = out.ptr<cv::Vec3f>(r);
        for (int c = 0; c < size.width; ++c) {
            const double u = (c * ca + r * sa) / period;
            const double v = (-c * sa + r * ca) / period;
            const double weave =
                std::sin(2 * std::numbers::pi * u) * std::sin(2 * std::numbers::pi * v);
            const double k =
                1.0 + weaveAmp * weave + threadAmp * th[c] + 0.10 * f[c] + 0.04 * sp[c];
            o[c] = base * float(k);
        }
    }
    return out;
}

cv::Mat flat(cv::Size size, double s, cv::Vec3f base, double mottle, double grain, double brushed,
             SceneRng &rng)
{
    cv::Mat t = fractalNoise(size, 150 * s, 3, rng) * mottle +
                smoothNoise(size, std::max(1.0, 0.4 * s), std::max(1.0, 0.4 * s), rng) * grain;
    if (brushed > 0)
        t += smoothNoise(size, 25 * s, std::max(1.0, 0.3 * s), rng) * brushed;
    cv::Mat out(size, CV_32FC3);
    for (int r = 0; r < size.height; ++r) {
        const float *a = t.ptr<float>(r);
        cv::Vec3f *o = out.ptr<cv::Vec3f>(r);
        for (int c = 0; c < size.width; ++c)
            o[c] = base * (1.0f + a[c]);
    }
    return out;
}

// A computer keyboard: rows of keys (19.05 mm pitch, staggered), each a rounded square with a
// lighter top and a legend, on a frame darker or lighter than the keys.
cv::Mat keyboard(cv::Size size, double s, SceneRng &rng)
{
    const bool white = rng.chance(0.35);
    const cv::Vec3f frame =
        white ? jitter({0.72f, 0.73f, 0.74f}, 0.05, rng) : jitter({0.03f, 0.03f, 0.035f}, 0.1, rng);
    const cv::Vec3f key =
        white ? jitter({0.9f, 0.9f, 0.91f}, 0.03, rng) : jitter({0.1f, 0.1f, 0.11f}, 0.1, rng);
    const cv::Vec3f legend = white ? cv::Vec3f(0.2f, 0.2f, 0.22f) : cv::Vec3f(0.8f, 0.8f, 0.8f);
    constexpr double pitch = 19.05, top = 14.5, skirt = 17.5, radius = 2.0;
    const double staggers[] = {0.0, 0.25, 0.375, 0.625, 0.1};
    const quint64 salt = rng.next();
    cv::Mat out(size, CV_32FC3);
    const auto inside = [](double u, double v, double side, double r) {
        // Signed distance to a rounded square of the given side centred at the origin.
        const double qx = std::abs(u) - side / 2 + r, qy = std::abs(v) - side / 2 + r;
        return std::hypot(std::max(qx, 0.0), std::max(qy, 0.0)) + std::min(std::max(qx, qy), 0.0) -
               r;
    };
    for (int r = 0; r < size.height; ++r) {
        cv::Vec3f *row = out.ptr<cv::Vec3f>(r);
        const double y = (r + 0.5) / s;
        const int keyRow = int(std::floor(y / pitch));
        const double stagger = staggers[((keyRow % 5) + 5) % 5] * pitch;
        for (int c = 0; c < size.width; ++c) {
            const double x = (c + 0.5) / s + stagger;
            const int keyCol = int(std::floor(x / pitch));
            const double u = x - (keyCol + 0.5) * pitch, v = y - (keyRow + 0.5) * pitch;
            const double dSkirt = inside(u, v, skirt, radius + 1.0);
            const double dTop = inside(u, v, top, radius);
            cv::Vec3f colour = frame;
            if (dSkirt < 0)
                colour = key * 0.8f + frame * 0.2f;
            if (dTop < 0) {
                colour = key;
                // A legend in the key's upper left: a few strokes.
                const quint64 h = (salt ^ (quint64(keyRow) * 0x9E3779B97F4A7C15ull) ^
                                   (quint64(keyCol) * 0xC2B2AE3D27D4EB4Full)) *
                                  0xBF58476D1CE4E5B9ull;
                const double lu = u + 4.0, lv = v + 3.0;
                if (lu > 0 && lu < 3.5 && lv > 0 && lv < 4.5 &&
                    ((h >> (int(lv * 2) * 4 + int(lu * 1.5))) & 1))
                    colour = legend;
            }
            row[c] = colour;
        }
    }
    return out;
}

} // namespace

cv::Mat surfaceTexture(Surface surface, cv::Size size, double s, SceneRng &rng, double level)
{
    const auto pick = [&](double lo, double hi) {
        const double drawn = rng.uniform(lo, hi);
        return float(level >= 0 ? level : drawn);
    };
    switch (surface) {
    case Surface::Wood:
        return wood(size, s, rng);
    case Surface::Fabric:
        return fabric(size, s, rng);
    case Surface::LightTable: {
        const float g = pick(0.78, 0.90);
        return flat(size, s, jitter({g, g, g}, 0.04, rng), 0.03, 0.012, 0.0, rng);
    }
    case Surface::DarkTable: {
        const float g = pick(0.06, 0.14);
        return flat(size, s, jitter({g, g, g}, 0.1, rng), 0.08, 0.05, 0.08, rng);
    }
    case Surface::Paper: {
        const float g = pick(0.86, 0.94);
        return flat(size, s, cv::Vec3f(g * 0.96f, g * 0.99f, g), 0.015, 0.02, 0.0, rng);
    }
    case Surface::Keyboard:
        return keyboard(size, s, rng);
    }
    return cv::Mat(size, CV_32FC3, cv::Scalar::all(0.5));
}
