#include "support/TestImages.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

struct Outcome
{
    int exit = -1;
    QByteArray out;
    QByteArray err;
    [[nodiscard]] QJsonObject json() const { return QJsonDocument::fromJson(out).object(); }
};

Outcome run(const QStringList &arguments)
{
    QProcess process;
    process.start(QStringLiteral(MIRREL_MEASURE), arguments);
    EXPECT_TRUE(process.waitForFinished(120000)) << arguments.join(' ').toStdString();
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit)
        << "crashed: " << arguments.join(' ').toStdString();
    return {process.exitCode(), process.readAllStandardOutput(), process.readAllStandardError()};
}

void expectRefused(const Outcome &r, int exit, const char *needle = "")
{
    EXPECT_EQ(r.exit, exit) << r.err.toStdString();
    EXPECT_TRUE(r.out.isEmpty()) << r.out.toStdString();
    // One line of our own, after at most one of the calculator's diagnostics.
    const QList<QByteArray> lines = r.err.trimmed().split('\n');
    ASSERT_FALSE(lines.isEmpty());
    EXPECT_TRUE(lines.last().startsWith("mirrel-measure: ")) << r.err.toStdString();
    EXPECT_TRUE(lines.last().contains(needle)) << r.err.toStdString();
    EXPECT_LE(lines.size(), 2) << r.err.toStdString();
    if (lines.size() == 2) {
        EXPECT_TRUE(lines.first().startsWith("Could not get ")) << r.err.toStdString();
    }
}

const QString workedCard = QStringLiteral("100,200,400,210,420,400,90,380");

} // namespace

// Guards the printed lengths and the long-edge-first corner order.
TEST(MeasureCommand, card_edges_measure_their_nominal_length)
{
    const Outcome r = run({"measure", "--card", workedCard, "--segment", "100,200,400,210",
                           "--segment", "400,210,420,400", "--units", "metric"});
    ASSERT_EQ(r.exit, 0) << r.err.toStdString();
    EXPECT_EQ(r.json()["card"].toObject()["source"].toString(), "given");
    const QJsonArray segments = r.json()["segments"].toArray();
    ASSERT_EQ(segments.size(), 2);
    EXPECT_NEAR(segments[0]["mm"].toDouble(), 85.725, 1e-9);
    EXPECT_EQ(segments[0]["text"].toString(), "86 mm");
    EXPECT_NEAR(segments[1]["mm"].toDouble(), 53.975, 1e-9);

    const Outcome tall = run({"measure", "--card", "0,0,100,0,100,200,0,200", "--segment",
                              "100,0,100,200", "--units", "imperial"});
    ASSERT_EQ(tall.exit, 0) << tall.err.toStdString();
    EXPECT_EQ(tall.json()["card"].toObject()["points"][0].toArray(), (QJsonArray{100, 0}));
    EXPECT_EQ(tall.json()["segments"][0]["text"].toString(), "3.4 in");
}

TEST(MeasureCommand, bad_numbers_and_degenerate_cards_are_refused)
{
    const QStringList segment{"--segment", "1,2,3,4"};
    expectRefused(run(QStringList{"measure", "--card", "1,2,3"} + segment), 2, "--card");
    expectRefused(run(QStringList{"measure", "--card", "1,2,3,4,5,6,7,x"} + segment), 2,
                  "not a number");
    expectRefused(run(QStringList{"measure", "--card", "nan,2,3,4,5,6,7,8"} + segment), 2,
                  "finite");
    expectRefused(run(QStringList{"measure", "--card", workedCard, "--segment", "1,inf,3,4"}), 2,
                  "finite");
    expectRefused(run({"measure", "--card", workedCard}), 2, "--segment");
    expectRefused(run({"measure", "--segment", "1,2,3,4"}), 2);
    expectRefused(run(QStringList{"measure", "--card"}), 2, "needs a value");
    expectRefused(run(QStringList{"measure", "--card", workedCard, "--units", "cubits"} + segment),
                  2, "metric or imperial");
    expectRefused(run({"frobnicate"}), 2, "unknown command");
    expectRefused(run({}), 2);

    // Collinear, coincident, and a corner sending the card to infinity.
    for (const char *card :
         {"0,0,10,0,5,5,20,0", "5,5,5,5,40,30,0,30", "0,0,100,0,50,50,0,100", "7,7,7,7,7,7,7,7"})
        expectRefused(run(QStringList{"measure", "--card", card} + segment), 3,
                      "do not form a usable quadrilateral");
}

TEST(MeasureCommand, help_and_version)
{
    const Outcome help = run({"--help"});
    EXPECT_EQ(help.exit, 0);
    EXPECT_TRUE(help.out.contains("mirrel-measure measure --card"));
    const Outcome version = run({"--version"});
    EXPECT_EQ(version.exit, 0);
    EXPECT_TRUE(version.out.startsWith("mirrel-measure "));
}

TEST(DetectCommand, unreadable_images_are_refused_with_exit_2)
{
    QTemporaryDir dir;
    QImage photo(640, 480, QImage::Format_RGB32);
    photo.fill(Qt::darkGreen);
    const QByteArray jpeg = TestImages::encode(photo, "jpg");
    TestImages::writeFile(dir.filePath("empty.jpg"), {});
    TestImages::writeFile(dir.filePath("truncated.jpg"), jpeg.left(jpeg.size() / 3));
    TestImages::writeFile(dir.filePath("corrupt.png"), QByteArray("\x89PNG\r\n\x1a\nnonsense"));
    TestImages::writeFile(dir.filePath("huge.png"), TestImages::pngHeaderOnly(30000, 30000));
    TestImages::writeFile(dir.filePath("zero.png"), TestImages::pngHeaderOnly(0, 0));

    for (const char *name :
         {"missing.jpg", "empty.jpg", "truncated.jpg", "corrupt.png", "huge.png", "zero.png"}) {
        SCOPED_TRACE(name);
        expectRefused(run({"detect", dir.filePath(name)}), 2);
        expectRefused(run({"measure", dir.filePath(name), "--segment", "1,2,3,4"}), 2);
    }
    expectRefused(run({"detect"}), 2);
}

TEST(DetectCommand, a_photo_without_a_card)
{
    QTemporaryDir dir;
    QImage photo(640, 480, QImage::Format_Grayscale8);
    photo.fill(128);
    TestImages::writeFile(dir.filePath("grey.png"), TestImages::encode(photo, "png"));
    const Outcome detect = run({"detect", dir.filePath("grey.png")});
    ASSERT_EQ(detect.exit, 0) << detect.err.toStdString();
    EXPECT_EQ(detect.json()["width"].toInt(), 640);
    EXPECT_EQ(detect.json()["height"].toInt(), 480);
    EXPECT_TRUE(detect.json()["card"].isNull());

    const Outcome measure = run({"measure", dir.filePath("grey.png"), "--segment", "1,2,3,4"});
    expectRefused(measure, 3, "no reference card found in");
}

TEST(DetectCommand, the_bundled_photo_measures_its_object)
{
    const QString photo = qEnvironmentVariable("MIRREL_SOURCE_DIR") + "/resources/test.jpg";
    const Outcome detect = run({"detect", photo});
    ASSERT_EQ(detect.exit, 0) << detect.err.toStdString();
    const QJsonArray card = detect.json()["card"].toArray();
    ASSERT_EQ(card.size(), 4);
    // Clockwise on screen from the corner with the smallest x + y.
    double smallest = 1e18;
    int first = -1;
    for (int i = 0; i < 4; ++i) {
        const double sum = card[i][0].toDouble() + card[i][1].toDouble();
        if (sum < smallest)
            smallest = sum, first = i;
    }
    EXPECT_EQ(first, 0);
    double area = 0; // shoelace in y-down coordinates: positive means clockwise on screen
    for (int i = 0; i < 4; ++i) {
        const QJsonArray a = card[i].toArray(), b = card[(i + 1) % 4].toArray();
        area += a[0].toDouble() * b[1].toDouble() - b[0].toDouble() * a[1].toDouble();
    }
    EXPECT_GT(area, 0);

    const Outcome measure =
        run({"measure", photo, "--segment", "1984,3016,1957,1199", "--units", "metric"});
    ASSERT_EQ(measure.exit, 0) << measure.err.toStdString();
    EXPECT_EQ(measure.json()["card"].toObject()["source"].toString(), "detected");
    EXPECT_GT(measure.json()["segments"][0]["mm"].toDouble(), 0);
}
