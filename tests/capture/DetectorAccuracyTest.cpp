#include "capture/CardDetector.h"
#include "tools/scenegen/SceneFiles.h"
#include "tools/scenegen/SceneGenerator.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSaveFile>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>

namespace {

double distance(QPointF a, QPointF b)
{
    return std::hypot(a.x() - b.x(), a.y() - b.y());
}

double median(std::vector<double> v)
{
    if (v.empty())
        return NAN;
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : 0.5 * (v[n / 2 - 1] + v[n / 2]);
}

double maximum(const std::vector<double> &v)
{
    return v.empty() ? NAN : *std::max_element(v.begin(), v.end());
}

// The detector's first feature in image coordinates (y down), in its own naming order
// topLeft, topRight, bottomRight, bottomLeft.
std::array<QPointF, 4> flipped(const RectangleFeature &f, int height)
{
    const auto down = [height](QPointF p) { return QPointF(p.x(), height - p.y()); };
    return {down(f.topLeft), down(f.topRight), down(f.bottomRight), down(f.bottomLeft)};
}

struct Match
{
    std::array<QPointF, 4> corners; // detected corners in the ground truth's order
    double worst = INFINITY;        // largest corner error, pixels
};

// Pairs detected corners with the true ones whichever corner the detector starts from and
// whichever way it runs; the naming is checked separately.
Match match(const std::array<QPointF, 4> &found, const std::array<QPointF, 4> &truth)
{
    Match best;
    for (int dir : {1, -1}) {
        for (int shift = 0; shift < 4; ++shift) {
            Match m;
            m.worst = 0;
            for (int i = 0; i < 4; ++i) {
                m.corners[size_t(i)] = found[size_t(((shift + dir * i) % 4 + 4) % 4)];
                m.worst = std::max(m.worst, distance(m.corners[size_t(i)], truth[size_t(i)]));
            }
            if (m.worst < best.worst)
                best = m;
        }
    }
    return best;
}

// After the flip, topLeft -> topRight -> bottomRight -> bottomLeft must run clockwise on
// screen, and topLeft must be one of the two corners nearest the image's top-left corner
// (a card turned by 45 degrees leaves two candidates).
bool namingConsistent(const std::array<QPointF, 4> &c)
{
    double area = 0;
    for (size_t i = 0; i < 4; ++i)
        area += c[i].x() * c[(i + 1) % 4].y() - c[(i + 1) % 4].x() * c[i].y();
    int nearer = 0;
    for (size_t i = 1; i < 4; ++i)
        nearer += c[i].x() + c[i].y() < c[0].x() + c[0].y();
    return area > 0 && nearer <= 1;
}

struct Outcome
{
    QString category;
    QString name; // category-seed, as mirrel-scene names the file
    bool hasCard = false;
    bool sharp = false;
    bool reported = false; // the detector reported something
    bool found = false;    // ... and it is the card
    bool named = true;
    double cornerError = NAN;
    double lengthError = NAN; // relative
};

struct Row
{
    int scenes = 0;
    int found = 0;
    int reported = 0;
    std::vector<double> corners;
    std::vector<double> lengths;
};

QString reportPath(const QString &name)
{
    const QString env = qEnvironmentVariable("MIRREL_ACCURACY_REPORT");
    if (!env.isEmpty() && name == QLatin1String("detector-accuracy"))
        return env;
    const QString build = qEnvironmentVariable("MIRREL_BUILD_DIR");
    return (build.isEmpty() ? QDir::tempPath() : build) + QLatin1Char('/') + name +
           QStringLiteral(".txt");
}

QString format(double v, int decimals)
{
    return std::isnan(v) ? QStringLiteral("-") : QString::number(v, 'f', decimals);
}

struct Summary
{
    int withCard = 0;
    int found = 0;
    int without = 0;
    int falseAlarms = 0;
    int misnamed = 0;
    double medianSharpCorner = NAN;
    double medianCorner = NAN;
    double medianLength = NAN;
};

// Runs the detector over a set of scenes, prints a table per category and writes it beside
// the build (reportName.txt).
Summary evaluate(const std::vector<SceneSpec> &set, const QString &reportName)
{
    CardDetector detector;
    std::vector<Outcome> outcomes;
    QElapsedTimer timer;
    qint64 renderMs = 0, detectMs = 0;
    for (const SceneSpec &sceneSpec : set) {
        timer.start();
        const Scene scene = renderScene(sceneSpec);
        renderMs += timer.restart();
        // A scene whose layout failed would silently turn into one without a card.
        EXPECT_EQ(scene.hasCard, sceneSpec.category != SceneCategory::NoCard &&
                                     sceneSpec.category != SceneCategory::Partial)
            << "seed " << sceneSpec.seed;
        EXPECT_TRUE(scene.hasCard || !scene.image.isNull());
        const std::vector<RectangleFeature> features = detector.features(scene.image);
        detectMs += timer.elapsed();

        Outcome o;
        o.category = scene.category;
        o.name = QStringLiteral("%1-%2 (%3x%4)")
                     .arg(scene.category)
                     .arg(scene.seed)
                     .arg(sceneSpec.width)
                     .arg(sceneSpec.height);
        o.hasCard = scene.hasCard;
        o.sharp = scene.sharp();
        o.reported = !features.empty();
        if (o.reported && scene.hasCard) {
            const auto corners = flipped(features.front(), scene.image.height());
            const Match m = match(corners, scene.card);
            const double cardSize = distance(scene.card[0], scene.card[2]);
            // Anything further off than a tenth of the card is another shape, not the card.
            o.found = m.worst < 0.1 * cardSize;
            o.named = namingConsistent(corners);
            if (o.found) {
                o.cornerError = m.worst;
                const double measured = lengthThroughCard(m.corners, scene.cardFirstEdgeLong,
                                                          scene.objectFrom, scene.objectTo);
                o.lengthError = std::abs(measured - scene.objectLengthMm) / scene.objectLengthMm;
            }
        }
        outcomes.push_back(o);
    }

    std::map<QString, Row> rows;
    Row all, sharp;
    int withCard = 0, found = 0, falseAlarms = 0, without = 0, misnamed = 0;
    QString failures;
    for (const Outcome &o : outcomes) {
        if (o.hasCard && !o.reported)
            failures += QStringLiteral("  missed: %1\n").arg(o.name);
        else if (o.hasCard && !o.found)
            failures += QStringLiteral("  another shape taken for the card: %1\n").arg(o.name);
        else if (!o.hasCard && o.reported)
            failures += QStringLiteral("  card reported without one: %1\n").arg(o.name);
        else if (o.found && o.cornerError > 1.5)
            failures += QStringLiteral("  corner off by %1 px: %2\n")
                            .arg(o.cornerError, 0, 'f', 2)
                            .arg(o.name);
        for (Row *r : {&rows[o.category], &all}) {
            r->scenes++;
            r->reported += o.reported;
            r->found += o.found;
            if (o.found) {
                r->corners.push_back(o.cornerError);
                r->lengths.push_back(o.lengthError);
            }
        }
        if (o.found && o.sharp)
            sharp.corners.push_back(o.cornerError);
        if (o.hasCard) {
            withCard++;
            found += o.found;
            misnamed += o.reported && !o.named;
        } else {
            without++;
            falseAlarms += o.reported;
        }
    }

    QString table;
    const auto line = [&table](const QString &name, const Row &r, bool card) {
        table += QStringLiteral("%1 %2 %3 %4 %5 %6\n")
                     .arg(name, -12)
                     .arg(QStringLiteral("%1/%2").arg(card ? r.found : r.reported).arg(r.scenes), 9)
                     .arg(format(median(r.corners), 3), 11)
                     .arg(format(maximum(r.corners), 3), 11)
                     .arg(format(median(r.lengths) * 100.0, 3), 12)
                     .arg(format(maximum(r.lengths) * 100.0, 3), 11);
    };
    table += QStringLiteral("%1 %2 %3 %4 %5 %6\n")
                 .arg(QStringLiteral("category"), -12)
                 .arg(QStringLiteral("found"), 9)
                 .arg(QStringLiteral("median px"), 11)
                 .arg(QStringLiteral("max px"), 11)
                 .arg(QStringLiteral("median len%"), 12)
                 .arg(QStringLiteral("max len%"), 11);
    for (SceneCategory c : allSceneCategories) {
        const QString name = sceneCategoryName(c);
        if (rows.count(name))
            line(name, rows[name], c != SceneCategory::NoCard && c != SceneCategory::Partial);
    }
    table += QStringLiteral("card found in %1 of %2 scenes with a card (%3 %); reported in %4 of "
                            "%5 scenes without one; misnamed corners: %6\n")
                 .arg(found)
                 .arg(withCard)
                 .arg(format(100.0 * found / std::max(withCard, 1), 1))
                 .arg(falseAlarms)
                 .arg(without)
                 .arg(misnamed);
    table += QStringLiteral("median largest corner error: sharp %1 px (%2 scenes), all %3 px; "
                            "median length error %4 %\n")
                 .arg(format(median(sharp.corners), 3))
                 .arg(sharp.corners.size())
                 .arg(format(median(all.corners), 3))
                 .arg(format(median(all.lengths) * 100.0, 3));
    if (!failures.isEmpty())
        table += QStringLiteral("scenes to look at (mirrel-scene render --category C --seed N "
                                "--size WxH):\n") +
                 failures;
    table += QStringLiteral("rendering %1 s, detection %2 s over %3 scenes\n")
                 .arg(renderMs / 1000.0, 0, 'f', 1)
                 .arg(detectMs / 1000.0, 0, 'f', 1)
                 .arg(outcomes.size());
    std::fputs(qPrintable(table), stdout);

    const QString path = reportPath(reportName);
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly)) {
        file.write(table.toUtf8());
        if (file.commit())
            std::printf("report written to %s\n", qPrintable(path));
    }

    Summary result;
    result.withCard = withCard;
    result.found = found;
    result.without = without;
    result.falseAlarms = falseAlarms;
    result.misnamed = misnamed;
    result.medianSharpCorner = median(sharp.corners);
    result.medianCorner = median(all.corners);
    result.medianLength = median(all.lengths);
    return result;
}

} // namespace

// Guards the product's accuracy end to end: the card must be found where there is one and
// nowhere else, its corners must sit on the straight-edge intersections to a fraction of a
// pixel, and a length measured through them must come out right.
TEST(DetectorAccuracy, generated_set_meets_the_targets)
{
    const Summary s = evaluate(standardSet(), QStringLiteral("detector-accuracy"));
    // The goal is 97 % of the scenes with a card, and the detector reaches it on this set with
    // one scene to spare at most. The floor sits one scene below the goal so that a borderline
    // scene flipping between machines (libm and SIMD paths differ in the last bits) does not
    // fail the build; the report says whether the goal itself is met.
    const int goal = int(std::ceil(0.97 * s.withCard));
    std::printf("found %d of %d scenes with a card; the goal is %d (%s)\n", s.found, s.withCard,
                goal, s.found >= goal ? "met" : "not met");
    EXPECT_GE(s.found, goal - 1) << "card found in fewer scenes than before";
    EXPECT_EQ(s.falseAlarms, 0) << "a card reported in a scene without one";
    EXPECT_EQ(s.misnamed, 0) << "corner names inconsistent after the y flip";
    EXPECT_LT(s.medianSharpCorner, 0.5) << "median corner error on sharp scenes";
    EXPECT_LT(s.medianCorner, 1.5) << "median corner error over all scenes";
    EXPECT_LT(s.medianLength, 0.003) << "median relative error of the measured object";
}

// Guards the scenes that look like real photos (clutter, keyboards, printed paper, a card held
// in a hand, a card running off the picture): the detector must not fall below the level it
// reached, and must never report a card that runs off the picture.
TEST(DetectorAccuracy, widened_set_holds_its_level)
{
    const Summary s = evaluate(widenedSet(), QStringLiteral("detector-accuracy-widened"));
    // Reached: 17 of 20 (one scene of slack for machines that round differently).
    constexpr int reached = 17;
    EXPECT_GE(s.found, reached - 1) << "card found in fewer scenes than before";
    EXPECT_EQ(s.falseAlarms, 0) << "a card reported where it runs off the picture";
    EXPECT_EQ(s.misnamed, 0) << "corner names inconsistent after the y flip";
    EXPECT_LT(s.medianCorner, 1.5) << "median corner error";
}

// Guards the bundled test photo: its ground truth must agree with itself, and the detector
// must put every corner within a pixel of it, or a user-interface test run starts from a
// wrong card.
TEST(DetectorAccuracy, bundled_test_scene)
{
    const QString dir = qEnvironmentVariable("MIRREL_SOURCE_DIR") + QStringLiteral("/resources/");
    QFile json(dir + QStringLiteral("test.json"));
    ASSERT_TRUE(json.open(QIODevice::ReadOnly));
    QString error;
    const auto truth = parseSceneTruth(json.readAll(), &error);
    ASSERT_TRUE(truth) << error.toStdString();
    const QImage image(dir + QStringLiteral("test.jpg"));
    ASSERT_EQ(image.size(), truth->imageSize);
    const Scene &t = truth->scene;
    ASSERT_TRUE(t.hasCard);

    // Clockwise from the corner with the smallest x + y, the first edge a long one, and the
    // length is the object measured through those corners.
    double area = 0;
    for (size_t i = 0; i < 4; ++i) {
        area += t.card[i].x() * t.card[(i + 1) % 4].y() - t.card[(i + 1) % 4].x() * t.card[i].y();
        EXPECT_LE(t.card[0].x() + t.card[0].y(), t.card[i].x() + t.card[i].y());
    }
    EXPECT_GT(area, 0.0);
    EXPECT_GT(distance(t.card[0], t.card[1]), distance(t.card[1], t.card[2]));
    EXPECT_NEAR(lengthThroughCard(t.card, true, t.objectFrom, t.objectTo), t.objectLengthMm,
                1e-9 * t.objectLengthMm);
    EXPECT_EQ(t.objectFrom, QPointF(1984, 3016));
    EXPECT_EQ(t.objectTo, QPointF(1957, 1199));

    CardDetector detector;
    const auto features = detector.features(image);
    ASSERT_FALSE(features.empty()) << "no card found in the bundled test photo";
    const auto corners = flipped(features.front(), image.height());
    const Match m = match(corners, t.card);
    EXPECT_TRUE(namingConsistent(corners));
    for (size_t i = 0; i < 4; ++i)
        EXPECT_LT(distance(m.corners[i], t.card[i]), 1.0) << "corner " << i;
}
