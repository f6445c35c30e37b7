#include "cli/MeasureTool.h"

#include "capture/ImageProcessor.h"
#include "cli/JsonText.h"
#include "core/CardShape.h"
#include "core/Diagnostics.h"
#include "core/Distance.h"
#include "core/DistanceFormatter.h"
#include "core/ProjectiveManager.h"
#include "core/ReferenceTargetModel.h"
#include "core/WholeFile.h"

#include <QBuffer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <cmath>
#include <filesystem>
#include <optional>

namespace {

// The card's corners in image pixels (y down), clockwise on screen starting with the corner
// nearest the image's top-left (smallest x + y); none when no card is found.
struct Detection
{
    std::optional<QList<QPointF>> corners;
    double milliseconds = 0;
};

Detection detectCard(QImage image)
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

// A matrix that really carries the card's corners onto the card's outline: the last guard,
// for corners so large or so close that the arithmetic gives out.
bool carriesItsCorners(const ReferenceTargetModel &card)
{
    const Calculator::Matrix3x3 &m = card.projectiveMatrix();
    for (int k = 0; k < 4; ++k) {
        const std::optional<QPointF> q = Distance::planePoint(m, card.points()[k]);
        const QPointF expected = ProjectiveManager::cardOutline[k];
        if (!q || std::hypot(q->x() - expected.x(), q->y() - expected.y()) > 1e-6)
            return false;
    }
    return true;
}

std::optional<Failure> checkCard(const ReferenceTargetModel &card)
{
    if (const CardShape::Fault fault = card.shapeFault(); fault != CardShape::Fault::none)
        return Failure{exitNotMeasurable, QString::fromLatin1(CardShape::message(fault))};
    if (!carriesItsCorners(card))
        return Failure{exitNotMeasurable,
                       QStringLiteral("the card's corners do not form a usable quadrilateral")};
    return std::nullopt;
}

QString pointText(QPointF p)
{
    return QStringLiteral("(%1, %2)").arg(p.x(), 0, 'g', 17).arg(p.y(), 0, 'g', 17);
}

enum class Place
{
    onPlane,
    beyondHorizon,
    tooFar
};

Place placeOf(const Calculator::Matrix3x3 &m, QPointF p)
{
    if (Distance::planePoint(m, p))
        return Place::onPlane;
    const double w = m.m31 * p.x() + m.m32 * p.y() + m.m33;
    return w > 0 ? Place::tooFar : Place::beyondHorizon;
}

// Why a segment has no length through the card's matrix.
Failure unmeasurable(const ToolRequest::Segment &segment, const Calculator::Matrix3x3 &m)
{
    const Place from = placeOf(m, segment.from);
    const Place to = placeOf(m, segment.to);
    const QPointF end = from != Place::onPlane ? segment.from : segment.to;
    QString why;
    if (from == Place::beyondHorizon && to == Place::beyondHorizon)
        why = QStringLiteral("both ends lie beyond the horizon of the card's plane");
    else if (from == Place::beyondHorizon || to == Place::beyondHorizon)
        why = QStringLiteral("the end %1 lies beyond the horizon of the card's plane")
                  .arg(pointText(from == Place::beyondHorizon ? segment.from : segment.to));
    else if (from == Place::tooFar || to == Place::tooFar)
        why = QStringLiteral("the end %1 lies too far out on the card's plane to be measured")
                  .arg(pointText(end));
    else
        why = QStringLiteral("its length is too large to be a number");
    return {exitNotMeasurable, QStringLiteral("--segment %1: %2").arg(segment.text, why)};
}

// A failure is one line, even when it quotes an argument or a path that holds a line break or
// another control character: those are written as escapes.
QString oneLine(const QString &message)
{
    QString line;
    line.reserve(message.size());
    for (const QChar c : message) {
        if (c == QLatin1Char('\n'))
            line += QLatin1String("\\n");
        else if (c.category() == QChar::Other_Control || c == QChar::LineSeparator ||
                 c == QChar::ParagraphSeparator)
            line += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
        else
            line += c;
    }
    return line;
}

MeasureTool::Outcome refused(const Failure &failure)
{
    return {failure.exit, {}, oneLine(failure.message)};
}

// The card, every segment's length through it, and the matrix, as JSON members; or why the
// card or a segment cannot be measured.
Checked<QByteArray> measuredMembers(const ToolRequest &request, const QList<QPointF> &corners,
                                    QList<QPointF> *cardPoints)
{
    const ReferenceTargetModel card(corners, nullptr);
    if (const auto failure = checkCard(card))
        return *failure;

    const Calculator::Matrix3x3 &m = card.projectiveMatrix();
    const Storage::UnitSystem unitSystem = request.units.value_or(Storage::storedUnitSystem());
    QByteArray measured("[");
    for (const ToolRequest::Segment &segment : request.segments) {
        Distance distance{segment.from, segment.to, 0};
        distance.recalculate(m);
        if (!distance.isMeasured())
            return unmeasurable(segment, m);
        if (measured.size() > 1)
            measured += ',';
        measured += JsonText::object(
            {{"from", JsonText::of(JsonText::point(segment.from))},
             {"to", JsonText::of(JsonText::point(segment.to))},
             {"mm", JsonText::of(distance.distance)},
             {"text", JsonText::of(DistanceFormatter::format(distance.distance, unitSystem))}});
    }
    measured += ']';
    *cardPoints = card.points();
    const QJsonArray matrix{m.m11, m.m12, m.m13, m.m21, m.m22, m.m23, m.m31, m.m32, m.m33};
    const QByteArray object = JsonText::object(
        {{"card", JsonText::object({{"points", JsonText::of(JsonText::points(card.points()))},
                                    {"source", request.card ? "\"given\"" : "\"detected\""}})},
         {"matrix", JsonText::of(matrix)},
         {"segments", measured}});
    // Without the closing brace, so that a caller can add members.
    return object.left(object.size() - 1);
}

// The card's corners: the ones given, else the ones found in the image.
Checked<QList<QPointF>> cardCorners(const ToolRequest &request, const QImage &image)
{
    if (request.card)
        return *request.card;
    const Detection detection = detectCard(image);
    if (!detection.corners)
        return Failure{exitNotMeasurable,
                       QStringLiteral("no reference card found in %1").arg(request.image)};
    return *detection.corners;
}

// The card (given, or found in the image) and the segments measured through it.
Checked<QByteArray> measuredCard(const ToolRequest &request, const QImage &image,
                                 QList<QPointF> *cardPoints)
{
    const Checked<QList<QPointF>> corners = cardCorners(request, image);
    if (!corners.ok())
        return corners.failure();
    return measuredMembers(request, *corners, cardPoints);
}

// Writes the whole file or nothing: an existing file is replaced only by a complete one.
std::optional<Failure> writePng(const QImage &image, const QString &path)
{
    // Encoded in memory first: libpng writing into the file would report a full disk as its
    // own extra line, and the encoder would only know that a write failed, not why.
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "PNG"))
        return Failure{exitUsage, QStringLiteral("cannot write %1: the picture could not be "
                                                 "encoded")
                                      .arg(path)};
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return Failure{exitUsage,
                       QStringLiteral("cannot write %1: %2").arg(path, file.errorString())};
    if (const auto error = writeWhole(file, png))
        return Failure{exitUsage, QStringLiteral("cannot write %1: %2").arg(path, *error)};
    if (!file.commit())
        return Failure{exitUsage,
                       QStringLiteral("cannot write %1: %2").arg(path, file.errorString())};
    return std::nullopt;
}

// Whether two paths name one file, through symbolic and hard links alike; false when either
// does not exist.
bool isSameFile(const QString &a, const QString &b)
{
    std::error_code error;
    return std::filesystem::equivalent(QFile::encodeName(a).toStdString(),
                                       QFile::encodeName(b).toStdString(), error) &&
           !error;
}

} // namespace

MeasureTool::MeasureTool(ImageSource images, Annotator annotator)
    : m_images(std::move(images)), m_annotator(std::move(annotator))
{
}

MeasureTool::Outcome MeasureTool::run(const QStringList &arguments) const
{
    const Checked<ToolRequest> request = MeasureArguments::parse(arguments);
    if (!request.ok())
        return refused(request.failure());
    Checked<QByteArray> json = Failure{};
    switch (request->command) {
    case ToolRequest::Command::help:
        return {exitSuccess, MeasureArguments::usage(), {}};
    case ToolRequest::Command::version:
        return {exitSuccess, QByteArray("mirrel-measure " MIRREL_VERSION "\n"), {}};
    case ToolRequest::Command::detect:
        json = detect(*request);
        break;
    case ToolRequest::Command::measure:
        json = measure(*request);
        break;
    case ToolRequest::Command::annotate:
        json = annotate(*request);
        break;
    }
    if (!json.ok())
        return refused(json.failure());
    return {exitSuccess, *json + '\n', {}};
}

Checked<QImage> MeasureTool::loadImage(const QString &path) const
{
    ImageLoader::Result loaded = m_images(path);
    if (!loaded.ok())
        return Failure{exitUsage, loaded.error};
    return std::move(loaded.image);
}

Checked<QByteArray> MeasureTool::detect(const ToolRequest &request) const
{
    const Checked<QImage> image = loadImage(request.image);
    if (!image.ok())
        return image.failure();
    const Detection detection = detectCard(*image);
    return JsonText::object(
        {{"width", JsonText::of(image->width())},
         {"height", JsonText::of(image->height())},
         {"card", detection.corners ? JsonText::of(JsonText::points(*detection.corners)) : "null"},
         {"milliseconds", JsonText::of(std::round(detection.milliseconds * 100) / 100)}});
}

Checked<QByteArray> MeasureTool::measure(const ToolRequest &request) const
{
    // With the corners given there is no image to read.
    const Checked<QImage> image = request.card ? QImage() : loadImage(request.image);
    if (!image.ok())
        return image.failure();
    QList<QPointF> cardPoints;
    const Checked<QByteArray> members = measuredCard(request, *image, &cardPoints);
    if (!members.ok())
        return members.failure();
    return *members + '}';
}

Checked<QByteArray> MeasureTool::annotate(const ToolRequest &request) const
{
    if (!m_annotator)
        return Failure{exitUsage, QStringLiteral("annotate is not available in this build")};
    // Refuse a folder that cannot take the file before the slow part.
    const QFileInfo output(request.output);
    if (output.isDir())
        return Failure{exitUsage, QStringLiteral("-o: %1 is a folder").arg(request.output)};
    if (!output.absoluteDir().exists())
        return Failure{
            exitUsage,
            QStringLiteral("-o: the folder %1 does not exist").arg(output.absolutePath())};
    if (isSameFile(request.output, request.image))
        return Failure{exitUsage,
                       QStringLiteral("-o: %1 is the photo itself; the annotated picture would "
                                      "replace it, name another file")
                           .arg(request.output)};

    const Checked<QImage> image = loadImage(request.image);
    if (!image.ok())
        return image.failure();
    QList<QPointF> cardPoints;
    const Checked<QByteArray> members = measuredCard(request, *image, &cardPoints);
    if (!members.ok())
        return members.failure();

    Annotation annotation{request.image, *image, cardPoints, {}};
    for (const ToolRequest::Segment &segment : request.segments)
        annotation.segments.append(QLineF(segment.from, segment.to));
    const Checked<QImage> drawn = m_annotator(annotation);
    if (!drawn.ok())
        return drawn.failure();
    if (const auto failure = writePng(*drawn, request.output))
        return *failure;
    return *members + ",\"output\":" + JsonText::of(output.absoluteFilePath()) + '}';
}
