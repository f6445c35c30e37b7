#include "tools/scenegen/CardFace.h"

#include "tools/scenegen/SceneGenerator.h"

#include <opencv2/imgproc.hpp>

#include <string>

namespace {

// Drawing in millimetres on a canvas at s pixels per millimetre, offset by the margin.
class MmPainter
{
public:
    MmPainter(cv::Mat &canvas, double s, double margin) : m_canvas(canvas), m_s(s), m_m(margin) {}

    cv::Point px(double u, double v) const
    {
        return {int(std::lround((u + m_m) * m_s * 16)), int(std::lround((v + m_m) * m_s * 16))};
    }
    void rect(double u, double v, double w, double h, cv::Scalar c)
    {
        cv::rectangle(m_canvas, px(u, v), px(u + w, v + h), c, cv::FILLED, cv::LINE_AA, 4);
    }
    void circle(double u, double v, double r, cv::Scalar c, double thicknessMm = -1)
    {
        cv::circle(m_canvas, px(u, v), int(std::lround(r * m_s * 16)), c,
                   thicknessMm < 0 ? cv::FILLED : std::max(1, int(thicknessMm * m_s)), cv::LINE_AA,
                   4);
    }
    void arc(double u, double v, double r, double a0, double a1, cv::Scalar c, double thickMm)
    {
        cv::ellipse(m_canvas, px(u, v),
                    cv::Size(int(std::lround(r * m_s * 16)), int(std::lround(r * m_s * 16))), 0, a0,
                    a1, c, std::max(1, int(thickMm * m_s)), cv::LINE_AA, 4);
    }
    void line(double u0, double v0, double u1, double v1, cv::Scalar c, double thickMm)
    {
        cv::line(m_canvas, px(u0, v0), px(u1, v1), c, std::max(1, int(std::lround(thickMm * m_s))),
                 cv::LINE_AA, 4);
    }
    // Text whose capital height is heightMm, baseline at v.
    void text(const std::string &t, double u, double v, double heightMm, cv::Scalar c,
              int font = cv::FONT_HERSHEY_SIMPLEX, double weight = 0.12)
    {
        const double scale = heightMm * m_s / 22.0;
        const int thickness = std::max(1, int(std::lround(heightMm * weight * m_s)));
        cv::putText(m_canvas, t, cv::Point(int((u + m_m) * m_s), int((v + m_m) * m_s)), font, scale,
                    c, thickness, cv::LINE_AA);
    }

private:
    cv::Mat &m_canvas;
    double m_s;
    double m_m;
};

cv::Scalar bgr(double b, double g, double r)
{
    return cv::Scalar(b * 255, g * 255, r * 255);
}

cv::Scalar hue(double h, double sat, double val)
{
    cv::Mat3f one(1, 1, cv::Vec3f(float(h * 360.0), float(sat), float(val)));
    cv::Mat3f out;
    cv::cvtColor(one, out, cv::COLOR_HSV2BGR);
    const cv::Vec3f c = out(0, 0);
    return bgr(c[0], c[1], c[2]);
}

std::string digits(SceneRng &rng, int n)
{
    std::string s;
    for (int i = 0; i < n; ++i)
        s += char('0' + rng.integer(0, 9));
    return s;
}

std::string word(SceneRng &rng, int n)
{
    std::string s;
    for (int i = 0; i < n; ++i)
        s += char('A' + rng.integer(0, 25));
    return s;
}

void gradient(cv::Mat &canvas, cv::Scalar a, cv::Scalar b, double angle)
{
    const double ca = std::cos(angle), sa = std::sin(angle);
    const double span = std::abs(canvas.cols * ca) + std::abs(canvas.rows * sa);
    for (int r = 0; r < canvas.rows; ++r) {
        cv::Vec3b *o = canvas.ptr<cv::Vec3b>(r);
        for (int c = 0; c < canvas.cols; ++c) {
            double t = ((c - canvas.cols * 0.5) * ca + (r - canvas.rows * 0.5) * sa) / span + 0.5;
            t = std::clamp(t, 0.0, 1.0);
            for (int k = 0; k < 3; ++k)
                o[c][k] = cv::saturate_cast<uchar>(a[k] + (b[k] - a[k]) * t);
        }
    }
}

void chip(MmPainter &p, double u, double v)
{
    p.rect(u, v, 11.5, 9.0, bgr(0.35, 0.68, 0.82));
    const cv::Scalar line = bgr(0.22, 0.45, 0.58);
    p.line(u + 3.8, v, u + 3.8, v + 9.0, line, 0.25);
    p.line(u + 7.7, v, u + 7.7, v + 9.0, line, 0.25);
    p.line(u, v + 3.0, u + 3.8, v + 3.0, line, 0.25);
    p.line(u, v + 6.0, u + 3.8, v + 6.0, line, 0.25);
    p.line(u + 7.7, v + 3.0, u + 11.5, v + 3.0, line, 0.25);
    p.line(u + 7.7, v + 6.0, u + 11.5, v + 6.0, line, 0.25);
    p.rect(u + 3.8, v + 2.5, 3.9, 4.0, bgr(0.30, 0.62, 0.76));
}

void contactless(MmPainter &p, double u, double v, cv::Scalar c)
{
    for (int i = 0; i < 4; ++i)
        p.arc(u, v, 1.2 + 1.1 * i, -40, 40, c, 0.35);
}

void bankFace(MmPainter &p, cv::Mat &canvas, SceneRng &rng, bool dark, double level)
{
    const double h = rng.uniform(0, 1);
    cv::Scalar a, b;
    if (dark) {
        const double drawn = rng.uniform(0.05, 0.16);
        const double v = level >= 0 ? level : drawn;
        a = hue(h, rng.uniform(0.0, 0.6), v);
        b = hue(h, rng.uniform(0.0, 0.6), v * rng.uniform(0.75, 1.3));
    } else {
        a = hue(h, rng.uniform(0.5, 0.95), rng.uniform(0.45, 0.9));
        b = hue(std::fmod(h + rng.uniform(-0.12, 0.12) + 1.0, 1.0), rng.uniform(0.5, 1.0),
                rng.uniform(0.3, 0.8));
    }
    gradient(canvas, a, b, rng.uniform(0, 6.28));
    // Decorative swooshes in a slightly lighter tone.
    const cv::Scalar deco = dark ? bgr(0.2, 0.2, 0.22) : (a + b) * 0.5 + cv::Scalar::all(25);
    for (int i = 0; i < 3; ++i)
        p.circle(rng.uniform(20, 100), rng.uniform(-20, 70), rng.uniform(15, 45), deco,
                 rng.uniform(1, 6));
    const cv::Scalar ink = dark ? bgr(0.75, 0.75, 0.78) : bgr(0.95, 0.95, 0.95);
    p.text(word(rng, rng.integer(4, 8)), 6.0, 9.5, 4.0, ink, cv::FONT_HERSHEY_DUPLEX, 0.15);
    chip(p, rng.uniform(8.5, 11.0), rng.uniform(17.0, 21.0));
    contactless(p, 28.0, 25.0, ink);
    if (rng.chance(0.7)) {
        std::string number;
        for (int g = 0; g < 4; ++g)
            number += digits(rng, 4) + (g < 3 ? " " : "");
        p.text(number, 7.0, 38.0, 3.3, ink, cv::FONT_HERSHEY_SIMPLEX, 0.14);
    }
    p.text(word(rng, rng.integer(1, 1)) + " " + word(rng, rng.integer(5, 9)), 7.0, 47.5, 2.2, ink,
           cv::FONT_HERSHEY_SIMPLEX, 0.12);
    p.text(digits(rng, 2) + "/" + digits(rng, 2), 45.0, 43.0, 2.0, ink);
    if (rng.chance(0.5)) {
        p.circle(66.0, 44.0, 5.5, bgr(0.1, 0.1, 0.92));
        p.circle(74.0, 44.0, 5.5, bgr(0.1, 0.62, 0.97));
    } else {
        p.text(word(rng, 4), 62.0, 48.0, 5.0, ink, cv::FONT_HERSHEY_TRIPLEX, 0.2);
    }
}

void loyaltyFace(MmPainter &p, cv::Mat &canvas, SceneRng &rng)
{
    const double g = rng.uniform(0.88, 0.98);
    canvas.setTo(bgr(g, g, g * rng.uniform(0.97, 1.0)));
    const cv::Scalar band = hue(rng.uniform(0, 1), rng.uniform(0.6, 1.0), rng.uniform(0.5, 0.9));
    const double bandH = rng.uniform(10, 18);
    p.rect(-5, -5, 100, bandH + 5, band);
    p.text(word(rng, rng.integer(4, 7)), 6.0, bandH * 0.75, bandH * 0.45, bgr(1, 1, 1),
           cv::FONT_HERSHEY_DUPLEX, 0.16);
    p.circle(75, bandH * 0.5, bandH * 0.32, bgr(1, 1, 1));
    p.text(word(rng, 6) + " " + word(rng, 5), 6.0, bandH + 9, 2.4, bgr(0.3, 0.3, 0.3));
    p.text(digits(rng, 12), 6.0, bandH + 15, 2.6, bgr(0.2, 0.2, 0.2));
    double u = 10.0;
    const double v0 = 36.0, barH = 12.0;
    while (u < 75.0) {
        const double w = 0.33 * rng.integer(1, 3);
        p.rect(u, v0, w, barH, bgr(0.05, 0.05, 0.05));
        u += w + 0.33 * rng.integer(1, 3);
    }
}

void backFace(MmPainter &p, cv::Mat &canvas, SceneRng &rng)
{
    const double g = rng.uniform(0.75, 0.95);
    canvas.setTo(bgr(g, g, g));
    p.rect(-5, 5.5, cardWidthMm + 10, 12.7, bgr(0.08, 0.08, 0.09));
    p.rect(6, 22, 50, 9, bgr(0.97, 0.97, 0.95));
    for (int i = 0; i < 6; ++i)
        p.line(6, 23 + i * 1.5, 56, 23 + i * 1.5, bgr(0.7, 0.75, 0.9), 0.4);
    p.text(digits(rng, 3), 59, 29, 2.4, bgr(0.1, 0.1, 0.1));
    for (int i = 0; i < 4; ++i)
        p.rect(6, 36 + i * 3.0, rng.uniform(30, 70), 1.0, bgr(0.45, 0.45, 0.45));
}

} // namespace

cv::Mat cardFaceTexture(CardStyle style, double s, double margin, SceneRng &rng, double level)
{
    cv::Mat canvas(int(std::ceil((cardHeightMm + 2 * margin) * s)),
                   int(std::ceil((cardWidthMm + 2 * margin) * s)), CV_8UC3);
    MmPainter p(canvas, s, margin);
    switch (style) {
    case CardStyle::Bank:
        bankFace(p, canvas, rng, false, level);
        break;
    case CardStyle::DarkBank:
        bankFace(p, canvas, rng, true, level);
        break;
    case CardStyle::Loyalty:
        loyaltyFace(p, canvas, rng);
        break;
    case CardStyle::PlainWhite: {
        const double drawn = rng.uniform(0.90, 0.97);
        const double g = level >= 0 ? level : drawn;
        canvas.setTo(bgr(g * rng.uniform(0.97, 1.0), g, g));
        break;
    }
    case CardStyle::PlainGrey: {
        const double drawn = rng.uniform(0.55, 0.78);
        const double g = level >= 0 ? level : drawn;
        canvas.setTo(bgr(g, g, g * rng.uniform(0.97, 1.03)));
        break;
    }
    case CardStyle::Back:
        backFace(p, canvas, rng);
        break;
    }
    cv::Mat out;
    canvas.convertTo(out, CV_32FC3, 1.0 / 255.0);
    return out;
}

cv::Mat rulerTexture(double lengthMm, double widthMm, double s, double margin, SceneRng &rng)
{
    cv::Mat canvas(int(std::ceil((widthMm + 2 * margin) * s)),
                   int(std::ceil((lengthMm + 2 * margin) * s)), CV_8UC3);
    const bool steel = rng.chance(0.6);
    const double g = steel ? rng.uniform(0.62, 0.78) : 1.0;
    canvas.setTo(steel ? bgr(g, g, g * 0.98) : bgr(0.55, 0.75, 0.88));
    MmPainter p(canvas, s, margin);
    const cv::Scalar ink = bgr(0.08, 0.08, 0.08);
    for (int mm = 1; double(mm) < lengthMm - 0.5; ++mm) {
        const double len = mm % 10 == 0 ? 7.0 : mm % 5 == 0 ? 5.0 : 3.0;
        p.line(mm, 0.0, mm, len, ink, 0.18);
        if (mm % 10 == 0 && mm + 4 < lengthMm)
            p.text(std::to_string(mm / 10), mm - (mm >= 100 ? 2.0 : 1.0), 11.5, 2.4, ink);
    }
    cv::Mat out;
    canvas.convertTo(out, CV_32FC3, 1.0 / 255.0);
    if (steel) {
        // Brushed metal: streaks along the bar.
        cv::Mat streak = cv::Mat(out.size(), CV_32F);
        cv::RNG r(rng.next());
        cv::Mat small(std::max(2, out.rows / 2), std::max(2, out.cols / 60), CV_32F);
        r.fill(small, cv::RNG::NORMAL, 0, 0.03);
        cv::resize(small, streak, out.size(), 0, 0, cv::INTER_LINEAR);
        cv::Mat s3;
        cv::merge(std::vector<cv::Mat>{streak, streak, streak}, s3);
        out += s3;
    }
    return out;
}
