#include "capture/CardDetector.h"
#include "tools/scenegen/ImageVariants.h"
#include "tools/scenegen/SceneGenerator.h"

#include <QImage>

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <optional>

namespace {

using Quad = std::array<QPointF, 4>;

double distance(QPointF a, QPointF b)
{
    return std::hypot(a.x() - b.x(), a.y() - b.y());
}

std::optional<Quad> detect(CardDetector &detector, const QImage &image)
{
    const auto features = detector.features(image);
    if (features.empty())
        return std::nullopt;
    const RectangleFeature &f = features.front();
    const auto down = [&image](QPointF p) { return QPointF(p.x(), image.height() - p.y()); };
    return Quad{down(f.topLeft), down(f.topRight), down(f.bottomRight), down(f.bottomLeft)};
}

// Largest corner distance, whichever corner the other answer starts from and whichever way it
// runs (a mirror image reverses the order).
double worstCorner(const Quad &a, const Quad &b)
{
    double best = INFINITY;
    for (const int direction : {1, -1}) {
        for (int shift = 0; shift < 4; ++shift) {
            double worst = 0;
            for (int i = 0; i < 4; ++i)
                worst = std::max(worst, distance(a[size_t(((shift + direction * i) % 4 + 4) % 4)],
                                                 b[size_t(i)]));
            best = std::min(best, worst);
        }
    }
    return best;
}

double longEdge(const Quad &q)
{
    double longest = 0;
    for (size_t i = 0; i < 4; ++i)
        longest = std::max(longest, distance(q[i], q[(i + 1) % 4]));
    return longest;
}

// Detects the card in the picture and in every standard change of it, and turned by 20 and -35
// degrees (every edge resampled at a new angle to the pixel grid); each answer, mapped back,
// must be the full-size one to 0.5 % of the card's long edge.
void expectTheSameCard(const QImage &image, const QString &name)
{
    CardDetector detector;
    const auto card = detect(detector, image);
    ASSERT_TRUE(card) << "no card in " << name.toStdString();
    const double tolerance = 0.005 * longEdge(*card);
    std::vector<ImageVariant> variants = imageVariants(image, *card);
    for (ImageVariant &v : turnVariants(image))
        variants.push_back(std::move(v));
    for (const ImageVariant &v : variants) {
        const auto found = detect(detector, v.image);
        if (!found) {
            ADD_FAILURE() << name.toStdString() << ", " << v.name.toStdString() << ": no card";
            continue;
        }
        Quad back;
        for (size_t i = 0; i < 4; ++i)
            back[i] = v.toOriginal.map((*found)[i]);
        EXPECT_LE(worstCorner(back, *card), tolerance)
            << name.toStdString() << ", " << v.name.toStdString();
    }
}

} // namespace

// Guards against thresholds tied to pixels of one frame size: the bundled photo scaled,
// cropped, turned, mirrored, darkened or re-saved must give the same card.
TEST(DetectorInvariance, bundled_photo_gives_the_same_card_under_every_change)
{
    const QImage image(qEnvironmentVariable("MIRREL_SOURCE_DIR") +
                       QStringLiteral("/resources/test.jpg"));
    ASSERT_FALSE(image.isNull());
    expectTheSameCard(image, QStringLiteral("bundled photo"));
}

// The same on generated scenes of several kinds, at phone and webcam sizes.
TEST(DetectorInvariance, generated_scenes_give_the_same_card_under_every_change)
{
    const struct
    {
        SceneCategory category;
        quint64 seed;
        QSize size;
    } scenes[] = {
        {SceneCategory::Plain, 1001, {1920, 1080}},
        {SceneCategory::Textured, 1017, {1280, 960}},
        {SceneCategory::Rotation, 1053, {1920, 1080}},
        {SceneCategory::Distractors, 1062, {1280, 960}},
        {SceneCategory::Perspective, 1046, {1920, 1080}},
        {SceneCategory::Glare, 1024, {1080, 1920}},
    };
    for (const auto &s : scenes) {
        SceneSpec setup;
        setup.category = s.category;
        setup.seed = s.seed;
        setup.width = s.size.width();
        setup.height = s.size.height();
        const Scene scene = renderScene(setup);
        expectTheSameCard(scene.image, QStringLiteral("%1-%2").arg(scene.category).arg(s.seed));
    }
}
