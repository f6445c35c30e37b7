// Detection rate and corner accuracy over drawn scenes of every difficulty the detector is meant
// to cope with, and no detection where there is no card.

#include "capture/CardDetector.h"
#include "capture/detector/SyntheticCard.h"

#include <QPainter>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <random>
#include <string>

namespace {

struct Scene
{
    std::string category;
    QImage image;
    bool hasCard = true;
    std::array<QPointF, 4> truth{}; // y down, clockwise from the smallest x + y
};

std::array<QPointF, 4> ordered(std::array<QPointF, 4> c)
{
    QPointF centre;
    for (const auto &p : c)
        centre += p / 4;
    std::sort(c.begin(), c.end(), [&](QPointF a, QPointF b) {
        return std::atan2(a.y() - centre.y(), a.x() - centre.x()) <
               std::atan2(b.y() - centre.y(), b.x() - centre.x());
    });
    const auto first = std::min_element(
        c.begin(), c.end(), [](QPointF a, QPointF b) { return a.x() + a.y() < b.x() + b.y(); });
    std::rotate(c.begin(), first, c.end());
    return c;
}

void drawFinger(QImage &image, QPointF at, double angle, double width)
{
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.translate(at);
    p.rotate(angle);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(214, 160, 130));
    // From beyond the picture's edge up to the tip just inside the card.
    p.drawRoundedRect(QRectF(-width * 0.5, -width * 0.7, width, 4000), width * 0.45, width * 0.45);
}

void drawGlare(QImage &image, QPointF at, double radius)
{
    QPainter p(&image);
    QRadialGradient g(at, radius);
    g.setColorAt(0, QColor(255, 255, 255, 200));
    g.setColorAt(1, QColor(255, 255, 255, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(g);
    p.drawEllipse(at, radius, radius);
}

Scene makeScene(const std::string &category, unsigned seed)
{
    std::mt19937 rng(seed * 7919u + 17u);
    auto uni = [&](double a, double b) {
        return std::uniform_real_distribution<double>(a, b)(rng);
    };
    const QSize size = (seed % 2) ? QSize(1600, 1200) : QSize(1920, 1080);
    Scene s;
    s.category = category;
    QColor table(uni(60, 200), uni(60, 200), uni(60, 200));
    QColor card(uni(20, 240), uni(20, 240), uni(20, 240));
    // Keep some contrast in the ordinary scenes; the hard ones set their own colours.
    if (std::abs(table.lightness() - card.lightness()) < 50)
        card = table.lightness() > 128 ? card.darker(250) : QColor(230, 230, 225);
    double widthFraction = uni(0.2, 0.45), tilt = uni(0, 35), blur = 0.6, noise = 1.5, grain = 0;
    int quality = 0;
    if (category == "low contrast") {
        table = QColor(205, 203, 198);
        card = QColor(235, 235, 232);
    } else if (category == "dark") {
        table = QColor(32, 30, 30);
        card = QColor(12, 14, 22);
        noise = 2.5;
    } else if (category == "wood") {
        table = QColor(150, 105, 60);
        grain = 0.25;
    } else if (category == "blur") {
        blur = uni(2.0, 4.0);
    } else if (category == "noise+jpeg") {
        noise = 7;
        quality = 70;
    } else if (category == "perspective") {
        tilt = uni(45, 60);
    } else if (category == "small") {
        widthFraction = uni(0.12, 0.14);
    }
    s.image = SyntheticCard::background(size, table, grain, seed);
    const double widthPx = widthFraction * size.width();
    QPointF centre;
    std::array<QPointF, 4> corners;
    // The whole card in the picture, with room for a finger beside it.
    for (bool inside = false; !inside;) {
        centre = QPointF(uni(0.3, 0.7) * size.width(), uni(0.3, 0.7) * size.height());
        corners = SyntheticCard::pose(size, centre, widthPx, uni(0, 360), tilt);
        inside = std::all_of(corners.begin(), corners.end(), [&](QPointF p) {
            return p.x() > 20 && p.y() > 20 && p.x() < size.width() - 20 &&
                   p.y() < size.height() - 20;
        });
    }
    if (category == "no card") {
        s.hasCard = false;
        // An A4 sheet is the typical impostor.
        SyntheticCard sheet(
            SyntheticCard::pose(size, centre, widthPx * 1.3, uni(0, 360), tilt, 297.0 / 210.0), 297,
            210);
        sheet.fill(s.image, QRectF(0, 0, 297, 210), 0, QColor(240, 240, 236));
        s.image = SyntheticCard::background(size, table, 0.2, seed);
        if (seed % 2)
            sheet.fill(s.image, QRectF(0, 0, 297, 210), 0, QColor(240, 240, 236));
    } else {
        SyntheticCard c(corners);
        c.drawCard(s.image, card);
        s.truth = ordered(corners);
        if (category == "finger") {
            const QPointF a = c.map(QPointF(40, 0)), b = c.map(QPointF(40, -60));
            const double angle = std::atan2(b.y() - a.y(), b.x() - a.x()) * 180 / M_PI - 90;
            drawFinger(s.image, c.map(QPointF(uni(30, 55), 8)), angle, widthPx * 0.18);
        } else if (category == "glare") {
            drawGlare(s.image, c.map(QPointF(uni(20, 60), uni(10, 40))), widthPx * 0.35);
        }
    }
    SyntheticCard::blur(s.image, blur);
    SyntheticCard::addNoise(s.image, noise, seed);
    if (quality > 0)
        s.image = SyntheticCard::jpeg(s.image, quality);
    return s;
}

double cornerError(const Scene &s, const RectangleFeature &f)
{
    const double h = s.image.height();
    const QPointF found[4] = {{f.topLeft.x(), h - f.topLeft.y()},
                              {f.topRight.x(), h - f.topRight.y()},
                              {f.bottomRight.x(), h - f.bottomRight.y()},
                              {f.bottomLeft.x(), h - f.bottomLeft.y()}};
    double worst = 0;
    for (int i = 0; i < 4; ++i) {
        const QPointF d = found[i] - s.truth[size_t(i)];
        worst = std::max(worst, std::hypot(d.x(), d.y()));
    }
    return worst;
}

double median(std::vector<double> v)
{
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

TEST(CardDetectorScenes, findsTheCardAccuratelyInEveryKindOfScene)
{
    const std::vector<std::string> categories = {"sharp",       "low contrast", "dark",   "wood",
                                                 "blur",        "noise+jpeg",   "finger", "glare",
                                                 "perspective", "small",        "no card"};
    const int perCategory = 6;
    CardDetector detector;
    std::map<std::string, std::vector<double>> errors;
    std::map<std::string, int> found, total;
    std::vector<double> all;
    for (const auto &category : categories) {
        for (int i = 0; i < perCategory; ++i) {
            const Scene s =
                makeScene(category, unsigned(i + 1 + 100 * (&category - &categories[0])));
            if (qEnvironmentVariableIsSet("DETDBG"))
                std::fprintf(
                    stderr, "=== %s %d truth (%.1f,%.1f) (%.1f,%.1f) (%.1f,%.1f) (%.1f,%.1f)\n",
                    category.c_str(), i, s.truth[0].x(), s.truth[0].y(), s.truth[1].x(),
                    s.truth[1].y(), s.truth[2].x(), s.truth[2].y(), s.truth[3].x(), s.truth[3].y());
            if (qEnvironmentVariableIsSet("DETSAVE"))
                s.image.save(QString("/tmp/detdev/scene_%1_%2.png")
                                 .arg(QString::fromStdString(category))
                                 .arg(i));
            const auto features = detector.features(s.image);
            ++total[category];
            if (features.empty())
                continue;
            ++found[category];
            if (s.hasCard) {
                const double e = cornerError(s, features.front());
                if (qEnvironmentVariableIsSet("DETDBG"))
                    std::fprintf(stderr, "RESULT %s %d error %.3f\n", category.c_str(), i, e);
                errors[category].push_back(e);
                all.push_back(e);
            }
        }
    }
    int cardScenes = 0, cardFound = 0;
    for (const auto &category : categories) {
        std::printf("%-12s found %d/%d  median max-corner error %.3f px  worst %.3f px\n",
                    category.c_str(), found[category], total[category], median(errors[category]),
                    errors[category].empty()
                        ? 0.0
                        : *std::max_element(errors[category].begin(), errors[category].end()));
        if (category != "no card") {
            cardScenes += total[category];
            cardFound += found[category];
        }
    }
    EXPECT_EQ(found["no card"], 0);
    EXPECT_GE(cardFound, int(std::ceil(0.97 * cardScenes)));
    EXPECT_LT(median(errors["sharp"]), 0.5);
    EXPECT_LT(median(all), 1.5);
}
