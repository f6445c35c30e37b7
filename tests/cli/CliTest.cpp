#include "cli/MeasureArguments.h"
#include "core/UserDefaults.h"
#include "support/CommaLocale.h"
#include "support/TestImages.h"

#include <QColor>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <csignal>
#include <cstring>
#include <functional>
#include <sys/resource.h>
#include <unistd.h>

namespace {

struct Outcome
{
    int exit = -1;
    QByteArray out;
    QByteArray err;
    [[nodiscard]] QJsonObject json() const { return QJsonDocument::fromJson(out).object(); }
};

// inChild runs in the tool's process before it starts.
Outcome run(const QStringList &arguments,
            const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment(),
            const std::function<void()> &inChild = {})
{
    QProcess process;
    process.setProcessEnvironment(environment);
    if (inChild)
        process.setChildProcessModifier(inChild);
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
    // One line, our own.
    EXPECT_TRUE(r.err.startsWith("mirrel-measure: ")) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains(needle)) << r.err.toStdString();
    EXPECT_EQ(r.err.count('\n'), 1) << r.err.toStdString();
    EXPECT_TRUE(r.err.endsWith('\n')) << r.err.toStdString();
}

const QString workedCard = QStringLiteral("100,200,400,210,420,400,90,380");

// A plain grey photo without a card, written into dir.
QString greyPhoto(const QTemporaryDir &dir)
{
    QImage photo(640, 480, QImage::Format_Grayscale8);
    photo.fill(128);
    const QString path = dir.filePath("grey.png");
    TestImages::writeFile(path, TestImages::encode(photo, "png"));
    return path;
}

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

    // Negative coordinates are values, not options; "--option=value" works as well.
    const Outcome negative =
        run({"measure", "--card=" + workedCard, "--segment", "-10,5,7,8", "--units=metric"});
    ASSERT_EQ(negative.exit, 0) << negative.err.toStdString();
    EXPECT_EQ(negative.json()["segments"][0]["from"].toArray(), (QJsonArray{-10, 5}));

    const Outcome tall = run({"measure", "--card", "0,0,100,0,100,200,0,200", "--segment",
                              "100,0,100,200", "--units", "imperial"});
    ASSERT_EQ(tall.exit, 0) << tall.err.toStdString();
    EXPECT_EQ(tall.json()["card"].toObject()["points"][0].toArray(), (QJsonArray{100, 0}));
    EXPECT_EQ(tall.json()["segments"][0]["text"].toString(), "3.4 in");
}

// Guards "3,4 in" in the JSON of a user whose locale writes a decimal comma.
TEST(MeasureCommand, text_has_a_decimal_point_in_every_locale)
{
    const std::optional<CommaLocale> comma = CommaLocale::find();
    if (!comma)
        GTEST_SKIP() << "no locale with a decimal comma here, and none can be made";
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("LC_ALL", comma->name);
    if (!comma->locPath.isEmpty())
        environment.insert("LOCPATH", comma->locPath);
    const Outcome r = run(
        {"measure", "--card", workedCard, "--segment", "100,200,400,210", "--units", "imperial"},
        environment);
    ASSERT_EQ(r.exit, 0) << r.err.toStdString();
    EXPECT_EQ(r.json()["segments"][0]["text"].toString(), "3.4 in");
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
    expectRefused(run({"measure", "--frob"}), 2, "unknown option --frob");
    expectRefused(run(QStringList{"detect", "a.jpg", "b.jpg"}), 2, "exactly one IMAGE");
    expectRefused(run({}), 2);
    // Found by fuzzing: a line break inside a quoted argument made the failure two lines.
    expectRefused(run({"meas\nure"}), 2, "unknown command \"meas\\nure\"");
    expectRefused(run({"detect", "photo\r\n.jpg"}), 2, "photo\\u000d\\n.jpg");
}

// Guards a lost answer reported as success: with standard output on a full disk the JSON
// went nowhere and the tool still exited 0.
TEST(MeasureCommand, an_answer_that_cannot_be_written_is_a_failure)
{
    if (!QFile::exists("/dev/full"))
        GTEST_SKIP() << "no /dev/full here";
    for (const QStringList &arguments :
         {QStringList{"measure", "--card", workedCard, "--segment", "1,2,3,4"},
          QStringList{"--version"}}) {
        SCOPED_TRACE(arguments.join(' ').toStdString());
        QProcess process;
        process.setStandardOutputFile("/dev/full");
        process.start(QStringLiteral(MIRREL_MEASURE), arguments);
        ASSERT_TRUE(process.waitForFinished(120000));
        EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(process.exitCode(), 2);
        const QByteArray err = process.readAllStandardError();
        EXPECT_TRUE(err.startsWith("mirrel-measure: cannot write to standard output: "))
            << err.toStdString();
        EXPECT_TRUE(err.contains(std::strerror(ENOSPC))) << err.toStdString();
        EXPECT_EQ(err.count('\n'), 1) << err.toStdString();
    }
}

// Guards plainly wrong lengths reported as results: a card that is no card (one shape for
// each fault; the shapes themselves are judged in the card shape test), ends that are no
// point of the table, and a length that is no number.
TEST(MeasureCommand, lengths_without_meaning_are_refused_with_exit_3)
{
    const struct
    {
        const char *card;
        const char *segment;
        const char *message;
    } cases[] = {
        {"0,0,86,54,86,0,0,54", "0,0,86,0", "the card's corners cross each other"},
        {"0,0,100,0,20,20,0,60", "0,0,86,0", "the card is not convex"},
        {"0,0,10,0,5,5,20,0", "1,2,3,4", "lie on one line"},
        {"5,5,5,5,40,30,0,30", "1,2,3,4", "coincide"},
        {"0,0,1e-5,0,1e-5,6e-6,0,6e-6", "0,0,1e-5,0", "do not form a usable quadrilateral"},
        {"100,200,400,210,420,400,90,380", "100,-3000,100,-5000",
         "--segment 100,-3000,100,-5000: both ends lie beyond the horizon"},
        {"100,200,400,210,420,400,90,380", "100,200,100,-5000",
         "the end (100, -5000) lies beyond the horizon"},
        {"0,0,10,0,10,6,0,6", "1e308,1e308,0,0", "too far out"},
        {"0,0,10,0,10,6,0,6", "1.5e307,0,-1.5e307,0", "too large to be a number"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.card);
        expectRefused(run({"measure", "--card", c.card, "--segment", c.segment}), 3, c.message);
    }

    // The calculator's own line about the card shows only on request.
    QProcessEnvironment verbose = QProcessEnvironment::systemEnvironment();
    verbose.insert("MIRREL_VERBOSE", "1");
    const Outcome told =
        run({"measure", "--card", "5,5,5,5,5,5,5,5", "--segment", "1,2,3,4"}, verbose);
    EXPECT_EQ(told.exit, 3);
    EXPECT_TRUE(told.err.startsWith("Could not get affine transform")) << told.err.toStdString();
}

// Which files are unreadable is the image loader's to judge (its own test goes through each
// kind); here, that both commands that read a photo turn its refusal into one line and exit 2.
TEST(DetectCommand, unreadable_images_are_refused_with_exit_2)
{
    QTemporaryDir dir;
    QImage photo(640, 480, QImage::Format_RGB32);
    photo.fill(Qt::darkGreen);
    const QByteArray jpeg = TestImages::encode(photo, "jpg");
    TestImages::writeFile(dir.filePath("truncated.jpg"), jpeg.left(jpeg.size() / 3));
    for (const char *name : {"missing.jpg", "truncated.jpg"}) {
        SCOPED_TRACE(name);
        expectRefused(run({"detect", dir.filePath(name)}), 2);
        expectRefused(run({"measure", dir.filePath(name), "--segment", "1,2,3,4"}), 2);
    }
    expectRefused(run({"detect"}), 2);
    // Endless files are refused before they are opened, not waited on.
    expectRefused(run({"detect", "/dev/zero"}), 2, "device");
}

TEST(DetectCommand, a_photo_without_a_card)
{
    QTemporaryDir dir;
    const Outcome detect = run({"detect", greyPhoto(dir)});
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

namespace {

// The mean colour of the 5 x 5 pixels around p.
QColor patchColor(const QImage &image, QPoint p)
{
    int r = 0, g = 0, b = 0;
    for (int dy = -2; dy <= 2; ++dy)
        for (int dx = -2; dx <= 2; ++dx) {
            const QColor c = image.pixelColor(p + QPoint(dx, dy));
            r += c.red(), g += c.green(), b += c.blue();
        }
    return QColor(r / 25, g / 25, b / 25);
}

void expectColorNear(const QColor &actual, const QColor &expected, int tolerance)
{
    EXPECT_NEAR(actual.red(), expected.red(), tolerance) << actual.name().toStdString();
    EXPECT_NEAR(actual.green(), expected.green(), tolerance) << actual.name().toStdString();
    EXPECT_NEAR(actual.blue(), expected.blue(), tolerance) << actual.name().toStdString();
}

// A build of the tool without the app's views (the sanitizer job's) cannot annotate.
bool canAnnotate()
{
    return !run({"annotate", "a.jpg", "-o", "a.png"}).err.contains("not available in this build");
}

} // namespace

// The picture is the photo at its own size with the overlays where the photo's pixels are: a
// shifted or scaled overlay would miss the card's edge.
TEST(AnnotateCommand, draws_the_measurement_onto_the_photo_at_its_own_size)
{
    if (!canAnnotate())
        GTEST_SKIP() << "this mirrel-measure is built without annotate";
    QTemporaryDir dir;
    const QString photoPath = qEnvironmentVariable("MIRREL_SOURCE_DIR") + "/resources/test.jpg";
    const QString out = dir.filePath("measured.png");
    const Outcome r = run({"annotate", photoPath, "-o", out, "--segment", "1984,3016,1957,1199",
                           "--units", "imperial"});
    ASSERT_EQ(r.exit, 0) << r.err.toStdString();
    EXPECT_EQ(r.json()["output"].toString(), out);
    EXPECT_EQ(r.json()["segments"][0]["text"].toString(), "7.4 in");
    EXPECT_EQ(r.json()["card"].toObject()["source"].toString(), "detected");

    const QImage photo(photoPath);
    const QImage drawn(out, "PNG");
    ASSERT_EQ(drawn.size(), photo.size());
    // Open table: the photo itself.
    expectColorNear(patchColor(drawn, {2800, 150}), patchColor(photo, {2800, 150}), 12);
    // A quarter of the way down the card's left edge: its outline in the card's colour.
    const QJsonArray card = r.json()["card"].toObject()["points"].toArray();
    const QPointF top(card[0][0].toDouble(), card[0][1].toDouble());
    const QPointF bottom(card[3][0].toDouble(), card[3][1].toDouble());
    expectColorNear(patchColor(drawn, (top + (bottom - top) * 0.25).toPoint()),
                    QColor(53, 202, 171), 12);
}

// Guards labels drawn in the stored unit while the printed text took --units: the views read
// the unit as a "-key value" launch argument, and one put after "--units=imperial" became that
// option's value.
TEST(AnnotateCommand, the_views_take_the_units_however_the_options_are_spelled)
{
    for (const QStringList &given :
         {QStringList{"annotate", "a.jpg", "-o", "a.png", "--units=imperial"},
          QStringList{"annotate", "a.jpg", "--units", "imperial", "-o", "a.png"}}) {
        const Checked<ToolRequest> request = MeasureArguments::parse(given);
        ASSERT_TRUE(request.ok());
        const QStringList views =
            MeasureArguments::viewArguments(QStringList("mirrel-measure") + given, *request);
        EXPECT_EQ(UserDefaults::parseArgumentDomain(views).value(Storage::metricUnitKey),
                  QStringLiteral("NO"))
            << views.join(' ').toStdString();
    }
}

TEST(AnnotateCommand, refusals_leave_existing_files_alone)
{
    if (!canAnnotate())
        GTEST_SKIP() << "this mirrel-measure is built without annotate";
    QTemporaryDir dir;
    const QString photoPath = qEnvironmentVariable("MIRREL_SOURCE_DIR") + "/resources/test.jpg";
    const QString segment = QStringLiteral("1984,3016,1957,1199");
    const QString existing = dir.filePath("existing.png");
    TestImages::writeFile(existing, "keep me");

    expectRefused(run({"annotate", photoPath, "--segment", segment}), 2, "-o OUT.png");
    expectRefused(run({"annotate", photoPath, "-o", dir.filePath("a.jpg")}), 2, ".png");
    expectRefused(run({"annotate", "-o", existing}), 2, "exactly one IMAGE");
    expectRefused(run({"detect", photoPath, "-o", existing}), 2, "annotate");
    expectRefused(run({"annotate", photoPath, "-o", dir.filePath("no/such/a.png")}), 2,
                  "does not exist");
    ASSERT_TRUE(QDir(dir.path()).mkdir("folder.png"));
    expectRefused(run({"annotate", photoPath, "-o", dir.filePath("folder.png")}), 2, "folder");
    // Even root cannot create a file there.
    expectRefused(run({"annotate", photoPath, "-o", "/proc/measured.png"}), 2, "cannot write");

    // A disk that fills up while the picture is written (files may not grow past 16 KB, which
    // fails a write as a full disk does): the system's reason, in one line of our own.
    const auto fullDisk = [] {
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit cramped{};
        ::getrlimit(RLIMIT_FSIZE, &cramped);
        cramped.rlim_cur = 16 * 1024;
        ::setrlimit(RLIMIT_FSIZE, &cramped);
    };
    expectRefused(run({"annotate", photoPath, "-o", existing, "--segment", segment},
                      QProcessEnvironment::systemEnvironment(), fullDisk),
                  2, std::strerror(EFBIG));

    // A failed measurement writes nothing over an existing picture.
    expectRefused(run({"annotate", greyPhoto(dir), "-o", existing}), 3, "no reference card");
    expectRefused(run({"annotate", photoPath, "-o", existing, "--card", "0,0,86,54,86,0,0,54"}), 3);
    expectRefused(
        run({"annotate", photoPath, "-o", existing, "--segment", "100,-20000,100,-30000"}), 3,
        "--segment");
    QFile kept(existing);
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), "keep me");
}

// Guards a lost photo: "annotate photo.png -o photo.png" replaced the only copy of the photo
// with the annotated picture (and the next run found no card in it). The same file reached
// through another spelling, a symbolic link or a hard link is the photo too.
TEST(AnnotateCommand, never_writes_over_the_photo_it_reads)
{
    if (!canAnnotate())
        GTEST_SKIP() << "this mirrel-measure is built without annotate";
    QTemporaryDir dir;
    const QImage source(qEnvironmentVariable("MIRREL_SOURCE_DIR") + "/resources/test.jpg");
    ASSERT_FALSE(source.isNull());
    const QByteArray photoBytes = TestImages::encode(source.scaledToWidth(756), "png");
    const QString photo = dir.filePath("photo.png");
    TestImages::writeFile(photo, photoBytes);
    ASSERT_TRUE(QFile::link(photo, dir.filePath("link.png")));
    ASSERT_EQ(::link(QFile::encodeName(photo).constData(),
                     QFile::encodeName(dir.filePath("hard.png")).constData()),
              0);

    for (const QString &out :
         {photo, dir.path() + "/./photo.png", dir.filePath("link.png"), dir.filePath("hard.png")}) {
        SCOPED_TRACE(out.toStdString());
        expectRefused(run({"annotate", photo, "-o", out, "--units", "metric"}), 2,
                      "is the photo itself");
    }
    QFile kept(photo);
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_TRUE(kept.readAll() == photoBytes);

    // Another file beside it is written as before.
    const Outcome beside =
        run({"annotate", photo, "-o", dir.filePath("measured.png"), "--units", "metric"});
    EXPECT_EQ(beside.exit, 0) << beside.err.toStdString();
}
