// Runs mirrel-measure in process on arbitrary arguments: the input, split at NUL bytes, is the
// argument list. An IMAGE named "card.png" is a small picture of a card, "plain.png" one
// without; every other path cannot be read, so the file system is never touched.

#include "cli/MeasureTool.h"

#include <QCoreApplication>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPainter>
#include <QTemporaryDir>

#include <cmath>
#include <cstddef>
#include <cstdint>

namespace {

QImage cardPicture()
{
    QImage image(320, 240, QImage::Format_RGB32);
    image.fill(QColor(90, 95, 100));
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(230, 228, 220));
    painter.drawPolygon(
        QPolygonF{QPointF(62, 48), QPointF(232, 58), QPointF(226, 166), QPointF(55, 156)});
    return image;
}

ImageLoader::Result fakeImage(const QString &path)
{
    static const QImage card = cardPicture();
    if (path == QLatin1String("card.png"))
        return {card, {}};
    if (path == QLatin1String("plain.png")) {
        QImage plain(64, 48, QImage::Format_RGB32);
        plain.fill(Qt::gray);
        return {plain, {}};
    }
    return {{}, QStringLiteral("cannot open %1: no such file").arg(path)};
}

QStringList argumentsOf(const uint8_t *data, size_t size)
{
    QStringList arguments;
    const QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    for (const QByteArray &part : bytes.split('\0'))
        arguments.append(QString::fromUtf8(part));
    return arguments.mid(0, 24);
}

// A successful measurement prints finite lengths only, each with its text.
bool soundMeasurement(const QByteArray &output)
{
    const QJsonObject json = QJsonDocument::fromJson(output).object();
    const QJsonArray segments = json[QLatin1String("segments")].toArray();
    if (segments.isEmpty())
        return false;
    for (const QJsonValue &segment : segments) {
        const QJsonValue mm = segment[QLatin1String("mm")];
        const QString text = segment[QLatin1String("text")].toString();
        if (!mm.isDouble() || !std::isfinite(mm.toDouble()) || mm.toDouble() < 0)
            return false;
        if (!text.endsWith(QLatin1String(" mm")) && !text.endsWith(QLatin1String(" in")))
            return false;
        if (text.contains(QLatin1String("inf")) || text.contains(QLatin1String("nan")))
            return false;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    static QCoreApplication app(*argc, *argv);
    // The unit system is read from the settings on every run; keep them away from the user's.
    static QTemporaryDir settings;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(settings.path()));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size > 4096)
        return 0;
    static const MeasureTool tool(&fakeImage);
    const QStringList arguments = argumentsOf(data, size);
    const MeasureTool::Outcome outcome = tool.run(arguments);
    switch (outcome.exit) {
    case exitSuccess:
        if (!outcome.error.isEmpty() || !outcome.output.endsWith('\n'))
            __builtin_trap();
        if (outcome.output.startsWith("{\"card\"") && !soundMeasurement(outcome.output))
            __builtin_trap();
        break;
    case exitUsage:
    case exitNotMeasurable:
        // One line that says why, and nothing on standard output.
        if (outcome.error.isEmpty() || outcome.error.contains(QLatin1Char('\n')) ||
            !outcome.output.isEmpty())
            __builtin_trap();
        break;
    default:
        __builtin_trap();
    }
    return 0;
}
