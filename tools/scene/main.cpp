// mirrel-scene: renders labelled photo-like scenes for tuning and testing the card detector.
#include "tools/scenegen/ImageVariants.h"
#include "tools/scenegen/SceneFiles.h"
#include "tools/scenegen/SceneGenerator.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>

#include <cstdio>
#include <optional>

namespace {

const char *usage =
    "usage: mirrel-scene render OUT.(png|jpg) [--category NAME] [--seed N] [--size WxH]\n"
    "                          [--quality Q] [--card-width F]\n"
    "       mirrel-scene set OUTDIR [--format png|jpg] [--quality Q] [--first-seed N]\n"
    "                               [--per-category K] [--widened]\n"
    "       mirrel-scene bundled OUT.jpg [--quality Q] [--max-bytes N]\n"
    "       mirrel-scene vary IMAGE OUTDIR [--around x0,y0,x1,y1,x2,y2,x3,y3]\n"
    "       mirrel-scene cut IMAGE OUTDIR --around x0,y0,x1,y1,x2,y2,x3,y3\n"
    "       mirrel-scene away IMAGE OUTDIR --around x0,y0,x1,y1,x2,y2,x3,y3\n"
    "       mirrel-scene turn IMAGE OUTDIR [--around x0,y0,x1,y1,x2,y2,x3,y3]\n"
    "Each picture gets its ground truth beside it (same name, .json). vary writes IMAGE scaled,\n"
    "cropped around the card given by --around, turned, mirrored, darkened and re-saved as\n"
    "JPEG, with variants.json saying how each maps back onto IMAGE; cut writes IMAGE cropped so\n"
    "that the border cuts through that card, from each side; away writes the parts of IMAGE\n"
    "beside that card, without it; turn writes IMAGE turned by 20 and -35 degrees. set\n"
    "--widened renders the categories that widen the labelled set (clutter keyboard onPaper\n"
    "held partial).\n"
    "--card-width sets the card's long edge as a share of the picture's width.\n"
    "categories: plain lowContrast dark textured glare defocus motionBlur noise finger\n"
    "            perspective rotation small distractors noCard clutter keyboard onPaper\n"
    "            held partial\n";

int fail(const QString &message)
{
    std::fprintf(stderr, "mirrel-scene: %s\n", qPrintable(message));
    return 2;
}

// Parses "x0,y0,...,x3,y3"; an error message when it is not eight numbers.
std::optional<QString> parseCorners(const QString &text, std::array<QPointF, 4> &corners)
{
    const QStringList numbers = text.split(QLatin1Char(','));
    if (numbers.size() != 8)
        return QStringLiteral("--around needs eight numbers");
    for (size_t i = 0; i < 4; ++i) {
        bool okX = false, okY = false;
        corners[i] =
            QPointF(numbers[int(2 * i)].toDouble(&okX), numbers[int(2 * i + 1)].toDouble(&okY));
        if (!okX || !okY)
            return QStringLiteral("--around: not a number in '%1'").arg(text);
    }
    return std::nullopt;
}

// Writes each variant as NAME.png into out, with variants.json listing them and how each
// maps back onto the original.
int writeVariants(const std::vector<ImageVariant> &variants, const QDir &out)
{
    if (!QDir().mkpath(out.path()))
        return fail(QStringLiteral("cannot create %1").arg(out.path()));
    QJsonArray list;
    for (const ImageVariant &v : variants) {
        const QString file = v.name + QStringLiteral(".png");
        // Light compression: these are read once and thrown away.
        if (!v.image.save(out.filePath(file), "PNG", 90))
            return fail(QStringLiteral("cannot write %1").arg(out.filePath(file)));
        const QTransform &m = v.toOriginal;
        list.append(QJsonObject{{QStringLiteral("name"), v.name},
                                {QStringLiteral("file"), file},
                                {QStringLiteral("toOriginal"),
                                 QJsonArray{m.m11(), m.m21(), m.dx(), m.m12(), m.m22(), m.dy()}}});
    }
    QSaveFile index(out.filePath(QStringLiteral("variants.json")));
    if (!index.open(QIODevice::WriteOnly) ||
        index.write(QJsonDocument(QJsonObject{{QStringLiteral("variants"), list}}).toJson()) < 0 ||
        !index.commit())
        return fail(QStringLiteral("cannot write the index in %1").arg(out.path()));
    return 0;
}

// mirrel-scene vary|turn IMAGE OUTDIR [--around x0,y0,...,x3,y3]
// mirrel-scene cut|away IMAGE OUTDIR --around x0,y0,...,x3,y3
int vary(const QString &command, QStringList args)
{
    const bool around = args.size() == 4 && args[2] == QLatin1String("--around");
    const bool cardNeeded = command != QLatin1String("vary") && command != QLatin1String("turn");
    if (cardNeeded ? !around : args.size() != 2 && !around)
        return fail(
            cardNeeded
                ? QStringLiteral("%1 takes IMAGE OUTDIR --around x0,y0,...,x3,y3").arg(command)
                : QStringLiteral("%1 takes IMAGE OUTDIR [--around x0,y0,...,x3,y3]").arg(command));
    const QImage image(args[0]);
    if (image.isNull())
        return fail(QStringLiteral("cannot read %1").arg(args[0]));
    std::optional<std::array<QPointF, 4>> card;
    if (around) {
        std::array<QPointF, 4> corners;
        if (const auto error = parseCorners(args[3], corners))
            return fail(*error);
        card = corners;
    }
    if (command == QLatin1String("cut"))
        return writeVariants(cutVariants(image, *card), QDir(args[1]));
    if (command == QLatin1String("away"))
        return writeVariants(awayVariants(image, *card), QDir(args[1]));
    if (command == QLatin1String("turn"))
        return writeVariants(turnVariants(image), QDir(args[1]));
    return writeVariants(imageVariants(image, card), QDir(args[1]));
}

// Options of render, bundled and set; each command reads those it needs.
struct Options
{
    SceneSpec sceneSpec;
    int quality = 92;
    qint64 maxBytes = 0;
    QString format = QStringLiteral("png");
    quint64 firstSeed = 1001;
    int perCategory = 5;
    bool widened = false;
};

// Reads one option's value into options; an error message when the option is unknown or the
// value is not one it takes.
std::optional<QString> parseOption(const QString &key, const QString &value, Options &options)
{
    SceneSpec &sceneSpec = options.sceneSpec;
    bool ok = true;
    if (key == QLatin1String("--category")) {
        const auto c = sceneCategoryFromName(value);
        if (!c)
            return QStringLiteral("unknown category '%1'").arg(value);
        sceneSpec.category = *c;
    } else if (key == QLatin1String("--seed")) {
        sceneSpec.seed = value.toULongLong(&ok);
    } else if (key == QLatin1String("--size")) {
        const QStringList wh = value.split(QLatin1Char('x'));
        bool okW = false, okH = false;
        if (wh.size() == 2) {
            sceneSpec.width = wh[0].toInt(&okW);
            sceneSpec.height = wh[1].toInt(&okH);
        }
        ok = okW && okH && sceneSpec.width >= 64 && sceneSpec.height >= 64 &&
             qint64(sceneSpec.width) * sceneSpec.height <= 100'000'000;
    } else if (key == QLatin1String("--card-width")) {
        sceneSpec.cardWidthFraction = value.toDouble(&ok);
        ok = ok && *sceneSpec.cardWidthFraction > 0.02 && *sceneSpec.cardWidthFraction < 1.0;
    } else if (key == QLatin1String("--quality")) {
        options.quality = value.toInt(&ok);
        ok = ok && options.quality >= 1 && options.quality <= 100;
    } else if (key == QLatin1String("--max-bytes")) {
        options.maxBytes = value.toLongLong(&ok);
    } else if (key == QLatin1String("--first-seed")) {
        options.firstSeed = value.toULongLong(&ok);
    } else if (key == QLatin1String("--per-category")) {
        options.perCategory = value.toInt(&ok);
        ok = ok && options.perCategory >= 1 && options.perCategory <= 1000;
    } else if (key == QLatin1String("--format")) {
        options.format = value;
        ok = options.format == QLatin1String("png") || options.format == QLatin1String("jpg");
    } else {
        return QStringLiteral("unknown option %1").arg(key);
    }
    if (!ok)
        return QStringLiteral("bad value '%1' for %2").arg(value, key);
    return std::nullopt;
}

// Reads "--key value" pairs and --widened; an error message for the first that is wrong.
std::optional<QString> parseOptions(QStringList args, Options &options)
{
    options.widened = args.removeAll(QStringLiteral("--widened")) > 0;
    if (options.widened && options.firstSeed == 1001)
        options.firstSeed = 2001;
    while (!args.isEmpty()) {
        const QString key = args.takeFirst();
        if (args.isEmpty())
            return QStringLiteral("%1 needs a value").arg(key);
        if (const auto error = parseOption(key, args.takeFirst(), options))
            return error;
    }
    return std::nullopt;
}

// mirrel-scene render OUT [options]
int render(const QString &out, const Options &options)
{
    const QString error = writeScene(renderScene(options.sceneSpec), out, options.quality);
    return error.isEmpty() ? 0 : fail(error);
}

// mirrel-scene bundled OUT.jpg [--quality Q] [--max-bytes N]
int bundled(const QString &out, const Options &options)
{
    const Scene scene = renderScene(bundledTestSceneSpec());
    // Highest quality that keeps the file under the limit.
    int quality = options.quality;
    for (;; quality -= 2) {
        const QString error = writeScene(scene, out, quality, true);
        if (!error.isEmpty())
            return fail(error);
        if (options.maxBytes <= 0 || QFileInfo(out).size() <= options.maxBytes || quality <= 40)
            break;
    }
    std::printf("%s: %lld bytes at quality %d, object %.4f mm\n", qPrintable(out),
                QFileInfo(out).size(), quality, scene.objectLengthMm);
    return 0;
}

// Writes index.json listing the scenes of a set.
int writeSetIndex(const QString &out, const QJsonArray &index)
{
    QSaveFile file(QDir(out).filePath(QStringLiteral("index.json")));
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(QJsonDocument(QJsonObject{{QStringLiteral("scenes"), index}}).toJson()) < 0 ||
        !file.commit())
        return fail(QStringLiteral("cannot write the index in %1").arg(out));
    return 0;
}

// mirrel-scene set OUTDIR [options]
int renderSet(const QString &out, const Options &options)
{
    if (!QDir().mkpath(out))
        return fail(QStringLiteral("cannot create %1").arg(out));
    QJsonArray index;
    QElapsedTimer timer;
    qint64 renderMs = 0;
    for (const SceneSpec &s : options.widened
                                  ? widenedSet(options.firstSeed, options.perCategory)
                                  : standardSet(options.firstSeed, options.perCategory)) {
        timer.start();
        const Scene scene = renderScene(s);
        renderMs += timer.elapsed();
        const QString name = QStringLiteral("%1-%2.%3")
                                 .arg(sceneCategoryName(s.category))
                                 .arg(s.seed)
                                 .arg(options.format);
        const QString error = writeScene(scene, QDir(out).filePath(name), options.quality);
        if (!error.isEmpty())
            return fail(error);
        index.append(name);
    }
    if (const int status = writeSetIndex(out, index))
        return status;
    std::printf("%lld scenes in %s (rendering took %.1f s)\n", qlonglong(index.size()),
                qPrintable(out), renderMs / 1000.0);
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    if (args.size() < 2 || args.contains(QStringLiteral("--help"))) {
        std::fputs(usage, args.contains(QStringLiteral("--help")) ? stdout : stderr);
        return args.contains(QStringLiteral("--help")) ? 0 : 2;
    }
    const QString command = args.takeFirst();
    if (command == QLatin1String("vary") || command == QLatin1String("cut") ||
        command == QLatin1String("away") || command == QLatin1String("turn"))
        return vary(command, args);
    const QString out = args.takeFirst();
    Options options;
    if (const auto error = parseOptions(args, options))
        return fail(*error);
    if (command == QLatin1String("render"))
        return render(out, options);
    if (command == QLatin1String("bundled"))
        return bundled(out, options);
    if (command == QLatin1String("set"))
        return renderSet(out, options);
    return fail(QStringLiteral("unknown command '%1'").arg(command));
}
