#include "tools/scenegen/SceneGenerator.h"
#include "tools/scenegen/ImageVariants.h"
#include "tools/scenegen/SceneFiles.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLineF>
#include <QPainter>

#include <gtest/gtest.h>

#include <cmath>

namespace {

double luminance(const QImage &img, int x, int y)
{
    const QRgb p = img.pixel(x, y);
    return 0.299 * qRed(p) + 0.587 * qGreen(p) + 0.114 * qBlue(p);
}

// Bilinear luminance at a continuous image point (pixel centres at +0.5).
double sample(const QImage &img, QPointF p)
{
    const double fx = p.x() - 0.5, fy = p.y() - 0.5;
    const int x0 = int(std::floor(fx)), y0 = int(std::floor(fy));
    const double ax = fx - x0, ay = fy - y0;
    return (1 - ay) * ((1 - ax) * luminance(img, x0, y0) + ax * luminance(img, x0 + 1, y0)) +
           ay * ((1 - ax) * luminance(img, x0, y0 + 1) + ax * luminance(img, x0 + 1, y0 + 1));
}

QPointF unit(QPointF v)
{
    return v / std::hypot(v.x(), v.y());
}

// Signed offset from p along n where the profile crosses half brightness.
double crossing(const QImage &img, QPointF p, QPointF n)
{
    double previous = sample(img, p - 4.0 * n);
    for (double s = -4.0 + 0.02; s <= 4.0; s += 0.02) {
        const double v = sample(img, p + s * n);
        if (previous >= 127.5 && v < 127.5)
            return s - 0.02 * (127.5 - v) / (previous - v);
        previous = v;
    }
    return NAN;
}

// A picture whose pixels tell where they are.
QImage patterned()
{
    QImage image(800, 600, QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, qRgb(x % 256, y % 256, (x * y) % 256));
    }
    return image;
}

} // namespace

// Guards against rendering that depends on anything but the seed.
TEST(SceneGenerator, same_seed_renders_the_same_bytes)
{
    SceneSpec sceneSpec{.seed = 77, .width = 640, .height = 480, .category = SceneCategory::Noise};
    const Scene a = renderScene(sceneSpec);
    const Scene b = renderScene(sceneSpec);
    ASSERT_FALSE(a.image.isNull());
    EXPECT_EQ(a.image, b.image);
    EXPECT_EQ(sceneTruthJson(a), sceneTruthJson(b));
    sceneSpec.seed = 78;
    EXPECT_NE(renderScene(sceneSpec).image, a.image);
}

// Guards the ground truth: corners where the straight edges meet, object ends where drawn,
// and the length through the true corners the true length.
TEST(SceneGenerator, corners_and_object_ends_are_where_the_drawing_puts_them)
{
    for (quint64 seed : {1, 2, 3}) {
        SCOPED_TRACE(seed);
        const Scene s = renderScene({.seed = seed,
                                     .width = 1280,
                                     .height = 960,
                                     .category = SceneCategory::Rotation,
                                     .tiltDeg = 35.0,
                                     .cardWidthFraction = 0.45,
                                     // Flat ends across its whole width.
                                     .objectKind = SceneObjectKind::Ruler,
                                     .clean = true});
        QPointF centre;
        for (const QPointF &p : s.card)
            centre += p / 4.0;
        std::array<QLineF, 4> fitted;
        for (size_t i = 0; i < 4; ++i) {
            const QPointF a = s.card[i], b = s.card[(i + 1) % 4];
            const QPointF along = unit(b - a);
            QPointF normal(along.y(), -along.x());
            if (QPointF::dotProduct(normal, (a + b) / 2 - centre) < 0)
                normal = -normal;
            // A fitted line averages the wobble of sampling between pixel centres.
            double sumT = 0, sumO = 0, sumTT = 0, sumTO = 0;
            int n = 0;
            for (double t = 0.15; t <= 0.85; t += 0.01, ++n) {
                const double off = crossing(s.image, a + t * (b - a), normal);
                ASSERT_LT(std::abs(off), 0.1) << "edge " << i << " at t = " << t;
                sumT += t;
                sumO += off;
                sumTT += t * t;
                sumTO += t * off;
            }
            const double slope = (n * sumTO - sumT * sumO) / (n * sumTT - sumT * sumT);
            const double offset = (sumO - slope * sumT) / n;
            const QPointF p0 = a + offset * normal;
            fitted[i] = QLineF(p0, b + (offset + slope) * normal);
        }
        for (size_t i = 0; i < 4; ++i) {
            QPointF corner;
            fitted[(i + 3) % 4].intersects(fitted[i], &corner);
            EXPECT_LT(QLineF(corner, s.card[i]).length(), 0.05) << "corner " << i;
            // The true corner lies outside the rounded card: background there.
            EXPECT_LT(sample(s.image, s.card[i]), 10.0) << "corner " << i;
        }
        const QPointF axis = unit(s.objectTo - s.objectFrom);
        EXPECT_LT(std::abs(crossing(s.image, s.objectFrom, -axis)), 0.1);
        EXPECT_LT(std::abs(crossing(s.image, s.objectTo, axis)), 0.1);
        EXPECT_NEAR(lengthThroughCard(s.card, s.cardFirstEdgeLong, s.objectFrom, s.objectTo),
                    s.objectLengthMm, 1e-6 * s.objectLengthMm);
    }
}

// Guards the convention that pixel centres sit at +0.5 (not OpenCV's whole numbers).
TEST(SceneGenerator, pixel_centres_sit_at_half_integers)
{
    SceneSpec sceneSpec{.width = 640,
                        .height = 560,
                        .cardCorners = std::array{QPointF(100, 200), QPointF(532, 200),
                                                  QPointF(532, 472), QPointF(100, 472)},
                        .clean = true};
    Scene s = renderScene(sceneSpec);
    const struct
    {
        int x, y;
        double luminance;
    } pixels[] = {{99, 336, 0},  {100, 336, 255}, {531, 336, 255}, {532, 336, 0},
                  {300, 199, 0}, {300, 200, 255}, {300, 471, 255}, {300, 472, 0}};
    for (const auto &p : pixels)
        EXPECT_EQ(luminance(s.image, p.x, p.y), p.luminance) << p.x << "," << p.y;
    EXPECT_EQ(s.card[0], QPointF(100, 200));

    // Half a pixel further the edge runs through the pixel centres: half covered.
    for (QPointF &corner : *sceneSpec.cardCorners)
        corner.rx() += 0.5;
    s = renderScene(sceneSpec);
    EXPECT_NEAR(luminance(s.image, 100, 336), 127.5, 1.0);
    EXPECT_EQ(luminance(s.image, 101, 336), 255.0);
}

// Guards the ground-truth files against a lost or rounded field.
TEST(SceneFiles, ground_truth_survives_a_round_trip)
{
    const Scene s =
        renderScene({.seed = 9, .width = 400, .height = 300, .category = SceneCategory::Rotation});
    QString error;
    const auto back = parseSceneTruth(sceneTruthJson(s), &error);
    ASSERT_TRUE(back) << error.toStdString();
    EXPECT_EQ(back->imageSize, s.image.size());
    EXPECT_EQ(back->scene.card, s.card);
    EXPECT_EQ(back->scene.objectFrom, s.objectFrom);
    EXPECT_EQ(back->scene.objectTo, s.objectTo);
    EXPECT_EQ(back->scene.objectLengthMm, s.objectLengthMm);
    EXPECT_EQ(back->scene.cardFirstEdgeLong, s.cardFirstEdgeLong);
    EXPECT_EQ(back->scene.seed, s.seed);
    EXPECT_EQ(back->scene.category, s.category);

    const QJsonObject minimal = QJsonDocument::fromJson(sceneTruthJson(s, true)).object();
    EXPECT_EQ(minimal.keys(), (QStringList{"card", "height", "object", "width"}));

    EXPECT_FALSE(parseSceneTruth("{\"width\":4,\"height\":3,\"card\":[[1,2]]}", &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(parseSceneTruth("not json"));
}

// Guards the bundled photo against drifting from the generator and the test-run line.
TEST(BundledTestScene, matches_the_generator)
{
    const QString dir = qEnvironmentVariable("MIRREL_SOURCE_DIR") + QStringLiteral("/resources/");
    QFile json(dir + QStringLiteral("test.json"));
    ASSERT_TRUE(json.open(QIODevice::ReadOnly));
    QString error;
    const auto truth = parseSceneTruth(json.readAll(), &error);
    ASSERT_TRUE(truth) << error.toStdString();
    const Scene fresh = renderScene(bundledTestSceneSpec());
    EXPECT_EQ(truth->imageSize, QSize(3024, 4032));
    EXPECT_EQ(truth->scene.objectFrom, QPointF(1984, 3016));
    EXPECT_EQ(truth->scene.objectTo, QPointF(1957, 1199));
    for (size_t i = 0; i < 4; ++i)
        EXPECT_LT(QLineF(truth->scene.card[i], fresh.card[i]).length(), 1e-9);
    EXPECT_NEAR(truth->scene.objectLengthMm, fresh.objectLengthMm, 1e-9);
    EXPECT_LT(QFileInfo(dir + QStringLiteral("test.jpg")).size(), 2'000'000);
}

// The crops that check that nothing is reported without a whole card must each leave part of
// the card outside; the crops beside the card must leave all of it out, its bounding box with a
// margin, also when the card runs off the picture. Each must say truly where it came from.
TEST(ImageVariants, cuts_leave_part_of_the_card_outside_and_crops_beside_it_all_of_it)
{
    const QImage image = patterned();
    // The crop's place in the picture, checked to lie in it and to hold the picture's pixels.
    const auto placed = [&](const ImageVariant &v) {
        const QRect crop(v.toOriginal.map(QPoint(0, 0)), v.image.size());
        EXPECT_TRUE(image.rect().contains(crop));
        EXPECT_EQ(v.image.pixel(7, 5), image.pixel(crop.topLeft() + QPoint(7, 5)));
        return crop;
    };
    const std::array<QPointF, 4> card{QPointF(250, 180), QPointF(560, 220), QPointF(540, 420),
                                      QPointF(230, 390)};
    const std::vector<ImageVariant> cuts = cutVariants(image, card);
    ASSERT_EQ(cuts.size(), 8u);
    for (const ImageVariant &v : cuts) {
        SCOPED_TRACE(v.name.toStdString());
        const QRect crop = placed(v);
        int outside = 0;
        for (const QPointF &corner : card)
            outside += !QRectF(crop).contains(corner);
        EXPECT_GE(outside, 1);
        EXPECT_LE(outside, 3);
    }

    const std::array<QPointF, 4> middle{QPointF(300, 220), QPointF(500, 240), QPointF(490, 370),
                                        QPointF(290, 350)};
    // Running off the bottom: only the crops left of it, right of it and above it are left.
    const std::array<QPointF, 4> offBottom{QPointF(300, 470), QPointF(500, 490), QPointF(490, 640),
                                           QPointF(290, 620)};
    for (const auto &[card, count] : {std::pair(middle, 4u), std::pair(offBottom, 3u)}) {
        const std::vector<ImageVariant> crops = awayVariants(image, card);
        EXPECT_EQ(crops.size(), count);
        QRectF bounds(card[0], card[0]);
        for (const QPointF &corner : card)
            bounds |= QRectF(corner, corner);
        for (const ImageVariant &v : crops) {
            SCOPED_TRACE(v.name.toStdString());
            const QRect crop = placed(v);
            EXPECT_GE(crop.width(), image.width() / 4);
            EXPECT_GE(crop.height(), image.height() / 4);
            EXPECT_FALSE(QRectF(crop).intersects(bounds.adjusted(-8, -8, 8, 8)));
        }
    }
}

// The turned pictures must say truly where each of their points came from (the invariance
// check maps the answers back with it), hold all of the picture, and leave no border of their
// own: the bare corners repeat the picture's border pixels.
TEST(ImageVariants, turned_pictures_map_back_onto_the_original)
{
    QImage image(640, 480, QImage::Format_RGB32);
    image.fill(qRgb(90, 80, 70));
    // A bright square of whole pixels; in continuous coordinates its centre is (412, 147).
    const QPointF spot(412, 147);
    {
        QPainter p(&image);
        p.fillRect(QRect(406, 141, 12, 12), QColor(250, 250, 250));
    }
    const std::vector<ImageVariant> turns = turnVariants(image);
    ASSERT_EQ(turns.size(), 2u);
    for (const ImageVariant &v : turns) {
        SCOPED_TRACE(v.name.toStdString());
        // The bright square's centre in the turned picture, mapped back.
        double sum = 0, sx = 0, sy = 0;
        for (int y = 0; y < v.image.height(); ++y) {
            for (int x = 0; x < v.image.width(); ++x) {
                const double weight = std::max(0, qRed(v.image.pixel(x, y)) - 90);
                sum += weight;
                sx += weight * (x + 0.5);
                sy += weight * (y + 0.5);
            }
        }
        ASSERT_GT(sum, 0);
        const QPointF back = v.toOriginal.map(QPointF(sx / sum, sy / sum));
        EXPECT_NEAR(back.x(), spot.x(), 0.05);
        EXPECT_NEAR(back.y(), spot.y(), 0.05);
        // All four corners of the picture land inside the turned one.
        const QTransform toTurned = v.toOriginal.inverted();
        for (const QPointF corner :
             {QPointF(0, 0), QPointF(640, 0), QPointF(640, 480), QPointF(0, 480)}) {
            const QPointF p = toTurned.map(corner);
            EXPECT_GE(p.x(), -0.01);
            EXPECT_GE(p.y(), -0.01);
            EXPECT_LE(p.x(), v.image.width() + 0.01);
            EXPECT_LE(p.y(), v.image.height() + 0.01);
        }
        EXPECT_EQ(v.image.pixel(0, 0), qRgb(90, 80, 70));
        EXPECT_EQ(v.image.pixel(v.image.width() - 1, v.image.height() - 1), qRgb(90, 80, 70));
    }
}
