// mirrel-measure: the measurement core and the card detector on the command line. Standard
// output carries only JSON; every diagnostic goes to standard error.

#include "capture/ImageLoader.h"
#include "capture/ImageProcessor.h"
#include "core/Diagnostics.h"
#include "core/Distance.h"
#include "core/DistanceFormatter.h"
#include "core/ProjectiveManager.h"
#include "core/ReferenceTargetModel.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>

#include <cmath>
#include <cstdio>
#include <fcntl.h>
#include <optional>
#include <unistd.h>

namespace {

enum Exit
{
    ok = 0,
    usageError = 2,
    noCard = 3
};

constexpr const char *usage =
    "Usage:\n"
    "  mirrel-measure measure --card x0,y0,x1,y1,x2,y2,x3,y3 --segment x1,y1,x2,y2\n"
    "                         [--segment ...] [--units metric|imperial]\n"
    "  mirrel-measure measure IMAGE --segment x1,y1,x2,y2 [--segment ...] [--units ...]\n"
    "  mirrel-measure detect IMAGE\n"
    "  mirrel-measure --help | --version\n"
    "\n"
    "Measures lengths in a photo against a bank-card-sized reference card (85.725 x 53.975 mm).\n"
    "Points are image pixels, origin at the top-left corner, y down. --card gives the card's\n"
    "four corners in order around it; without it the card is found in IMAGE. Lengths are\n"
    "printed in millimetres and as the app shows them, in the chosen unit system (default:\n"
    "the one stored in the app's settings).\n"
    "\n"
    "Exit status: 0 success, 2 bad arguments or unreadable image, 3 no usable card.\n";

struct Failure
{
    int exit;
    QString message;
};

[[noreturn]] void fail(const Failure &failure)
{
    std::fprintf(stderr, "mirrel-measure: %s\n", qPrintable(failure.message));
    std::exit(failure.exit);
}

// "x0,y0,x1,y1,..." with exactly count finite numbers.
QList<QPointF> parsePoints(const QString &option, const QString &text, int count)
{
    const QStringList fields = text.split(QLatin1Char(','));
    if (fields.size() != 2 * count)
        fail({usageError, QStringLiteral("%1 needs %2 comma-separated numbers, got \"%3\"")
                              .arg(option)
                              .arg(2 * count)
                              .arg(text)});
    QList<QPointF> points;
    for (int i = 0; i < count; ++i) {
        double xy[2];
        for (int j = 0; j < 2; ++j) {
            const QString field = fields[2 * i + j].trimmed();
            bool isNumber = false;
            xy[j] = field.toDouble(&isNumber);
            if (!isNumber)
                fail({usageError, QStringLiteral("%1: \"%2\" is not a number").arg(option, field)});
            if (!std::isfinite(xy[j]))
                fail({usageError, QStringLiteral("%1: coordinates must be finite, got \"%2\"")
                                      .arg(option, field)});
        }
        points.append(QPointF(xy[0], xy[1]));
    }
    return points;
}

QJsonArray toJson(QPointF p)
{
    return {p.x(), p.y()};
}

QJsonArray toJson(const QList<QPointF> &points)
{
    QJsonArray array;
    for (const QPointF &p : points)
        array.append(toJson(p));
    return array;
}

// JSON text of one value. Objects are put together by hand below because QJsonObject sorts
// its keys and the output should read in the documented order.
QByteArray serialised(const QJsonValue &value)
{
    const QByteArray wrapped = QJsonDocument(QJsonArray{value}).toJson(QJsonDocument::Compact);
    return wrapped.mid(1, wrapped.size() - 2);
}

QByteArray object(std::initializer_list<std::pair<const char *, QByteArray>> members)
{
    QByteArray json("{");
    for (const auto &[key, value] : members) {
        if (json.size() > 1)
            json += ',';
        json += '"' + QByteArray(key) + "\":" + value;
    }
    return json + '}';
}

void print(const QByteArray &json)
{
    std::fwrite(json.constData(), 1, size_t(json.size()), stdout);
    std::fputc('\n', stdout);
}

// libpng writes its complaints straight to the standard error stream; keep them out of the
// tool's one-line report unless asked for.
class QuietStandardError
{
public:
    QuietStandardError()
    {
        if (qEnvironmentVariableIsSet("MIRREL_VERBOSE"))
            return;
        std::fflush(stderr);
        m_saved = ::dup(STDERR_FILENO);
        const int null = ::open("/dev/null", O_WRONLY);
        if (m_saved >= 0 && null >= 0)
            ::dup2(null, STDERR_FILENO);
        if (null >= 0)
            ::close(null);
    }
    ~QuietStandardError()
    {
        if (m_saved < 0)
            return;
        std::fflush(stderr);
        ::dup2(m_saved, STDERR_FILENO);
        ::close(m_saved);
    }
    QuietStandardError(const QuietStandardError &) = delete;
    QuietStandardError &operator=(const QuietStandardError &) = delete;

private:
    int m_saved = -1;
};

QImage loadImage(const QString &path)
{
    const ImageLoader::Result loaded = [&] {
        QuietStandardError quiet;
        return ImageLoader::load(path);
    }();
    if (!loaded.ok())
        fail({usageError, loaded.error});
    return loaded.image;
}

// The card's corners in image pixels (y down), clockwise on screen starting with the corner
// nearest the image's top-left (smallest x + y); none when no card is found.
struct Detection
{
    std::optional<QList<QPointF>> corners;
    double milliseconds = 0;
};

Detection detect(QImage image)
{
    QElapsedTimer timer;
    timer.start();
    Detection detection;
    detection.corners = ImageProcessor::shared().processImage(image, false, true);
    detection.milliseconds = timer.nsecsElapsed() / 1e6;
    if (detection.corners) {
        QList<QPointF> &c = *detection.corners;
        qsizetype first = 0;
        for (qsizetype i = 1; i < c.size(); ++i)
            if (c[i].x() + c[i].y() < c[first].x() + c[first].y())
                first = i;
        std::rotate(c.begin(), c.begin() + first, c.end());
    }
    return detection;
}

// A card that gives a matrix which really carries its corners onto the card's outline.
bool isUsable(const ReferenceTargetModel &card)
{
    // The card has already reported its failure, if any; ask again without a second report.
    const auto previousSink = Diagnostics::setSink([](const char *) {});
    const auto matrix = ProjectiveManager::shared().projectiveMatrix(card);
    Diagnostics::setSink(previousSink);
    if (!matrix)
        return false;
    const Calculator::Matrix3x3 &m = card.projectiveMatrix();
    for (int k = 0; k < 4; ++k) {
        const QPointF p = card.points()[k];
        const double w = m.m31 * p.x() + m.m32 * p.y() + m.m33;
        const QPointF q((m.m11 * p.x() + m.m12 * p.y() + m.m13) / w,
                        (m.m21 * p.x() + m.m22 * p.y() + m.m23) / w);
        const QPointF expected = ProjectiveManager::cardOutline[k];
        if (!std::isfinite(q.x()) || !std::isfinite(q.y()) ||
            std::hypot(q.x() - expected.x(), q.y() - expected.y()) > 1e-6)
            return false;
    }
    return true;
}

int runDetect(const QStringList &args)
{
    if (args.size() != 1)
        fail({usageError, QStringLiteral("detect takes exactly one IMAGE (see --help)")});
    const QImage image = loadImage(args.first());
    const Detection detection = detect(image);
    print(object({{"width", serialised(image.width())},
                  {"height", serialised(image.height())},
                  {"card", detection.corners ? serialised(toJson(*detection.corners)) : "null"},
                  {"milliseconds", serialised(std::round(detection.milliseconds * 100) / 100)}}));
    return ok;
}

int runMeasure(const QStringList &args)
{
    std::optional<QList<QPointF>> givenCard;
    QString imagePath;
    QList<QList<QPointF>> segments;
    std::optional<Storage::UnitSystem> units;

    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString &arg = args[i];
        const auto value = [&]() -> QString {
            if (i + 1 >= args.size())
                fail({usageError, QStringLiteral("%1 needs a value").arg(arg)});
            return args[++i];
        };
        if (arg == QLatin1String("--card")) {
            givenCard = parsePoints(arg, value(), 4);
        } else if (arg == QLatin1String("--segment")) {
            segments.append(parsePoints(arg, value(), 2));
        } else if (arg == QLatin1String("--units")) {
            const QString name = value();
            if (name == QLatin1String("metric"))
                units = Storage::UnitSystem::metric;
            else if (name == QLatin1String("imperial"))
                units = Storage::UnitSystem::imperial;
            else
                fail({usageError,
                      QStringLiteral("--units is metric or imperial, not \"%1\"").arg(name)});
        } else if (arg.startsWith(QLatin1String("--"))) {
            fail({usageError, QStringLiteral("unknown option %1 (see --help)").arg(arg)});
        } else if (imagePath.isEmpty()) {
            imagePath = arg;
        } else {
            fail({usageError, QStringLiteral("unexpected argument \"%1\"").arg(arg)});
        }
    }
    if (givenCard && !imagePath.isEmpty())
        fail({usageError, QStringLiteral("give either --card or an IMAGE, not both")});
    if (!givenCard && imagePath.isEmpty())
        fail({usageError, QStringLiteral("measure needs --card or an IMAGE (see --help)")});
    if (segments.isEmpty())
        fail({usageError, QStringLiteral("measure needs at least one --segment")});

    QList<QPointF> corners;
    if (givenCard) {
        corners = *givenCard;
    } else {
        const Detection detection = detect(loadImage(imagePath));
        if (!detection.corners)
            fail({noCard, QStringLiteral("no reference card found in %1").arg(imagePath)});
        corners = *detection.corners;
    }

    const ReferenceTargetModel card(corners, nullptr);
    if (!isUsable(card))
        fail({noCard, QStringLiteral("the card's corners do not form a usable quadrilateral")});

    const Calculator::Matrix3x3 &m = card.projectiveMatrix();
    const Storage::UnitSystem unitSystem = units.value_or(Storage::storedUnitSystem());
    QByteArray measured("[");
    for (const QList<QPointF> &segment : segments) {
        Distance distance{segment[0], segment[1], 0};
        distance.recalculate(m);
        if (measured.size() > 1)
            measured += ',';
        measured += object(
            {{"from", serialised(toJson(segment[0]))},
             {"to", serialised(toJson(segment[1]))},
             {"mm", serialised(distance.distance)},
             {"text", serialised(DistanceFormatter::format(distance.distance, unitSystem))}});
    }
    measured += ']';
    const QJsonArray matrix{m.m11, m.m12, m.m13, m.m21, m.m22, m.m23, m.m31, m.m32, m.m33};
    print(object({{"card", object({{"points", serialised(toJson(card.points()))},
                                   {"source", givenCard ? "\"given\"" : "\"detected\""}})},
                  {"matrix", serialised(matrix)},
                  {"segments", measured}}));
    return ok;
}

} // namespace

// Image decoders talk through Qt's warnings ("libpng error: ..."); the tool reports every
// failure in its own single line, so their chatter is only shown on request.
void quietMessages(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (type == QtFatalMsg || qEnvironmentVariableIsSet("MIRREL_VERBOSE"))
        std::fprintf(stderr, "%s\n", qPrintable(message));
}

int main(int argc, char **argv)
{
    Diagnostics::setSink(&Diagnostics::toStandardError);
    qInstallMessageHandler(&quietMessages);
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("mirrel-measure"));
    QCoreApplication::setApplicationVersion(QStringLiteral(MIRREL_VERSION));

    QStringList args = QCoreApplication::arguments().mid(1);
    if (args.isEmpty())
        fail({usageError, QStringLiteral("missing command (see --help)")});
    const QString command = args.takeFirst();
    if (command == QLatin1String("--help") || command == QLatin1String("-h")) {
        std::fputs(usage, stdout);
        return ok;
    }
    if (command == QLatin1String("--version")) {
        std::printf("mirrel-measure %s\n", MIRREL_VERSION);
        return ok;
    }
    if (args.contains(QLatin1String("--help"))) {
        std::fputs(usage, stdout);
        return ok;
    }
    if (command == QLatin1String("measure"))
        return runMeasure(args);
    if (command == QLatin1String("detect"))
        return runDetect(args);
    fail({usageError, QStringLiteral("unknown command \"%1\" (see --help)").arg(command)});
}
