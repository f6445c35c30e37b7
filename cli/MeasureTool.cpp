#include "cli/MeasureTool.h"

#include "capture/ImageProcessor.h"
#include "cli/JsonText.h"
#include "core/CardShape.h"
#include "core/Diagnostics.h"
#include "core/Distance.h"
#include "core/DistanceFormatter.h"
#include "core/ProjectiveManager.h"
#include "core/ReferenceTargetModel.h"

#include <QElapsedTimer>

#include <cmath>
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
Failure unmeasurable(const Request::Segment &segment, const Calculator::Matrix3x3 &m)
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

} // namespace

MeasureTool::MeasureTool(ImageSource images) : m_images(std::move(images)) {}

MeasureTool::Outcome MeasureTool::run(const QStringList &arguments) const
{
    const Checked<Request> request = CommandLine::parse(arguments);
    if (!request.ok())
        return refused(request.failure());
    Checked<QByteArray> json = Failure{};
    switch (request->command) {
    case Request::Command::help:
        return {exitSuccess, CommandLine::usage(), {}};
    case Request::Command::version:
        return {exitSuccess, QByteArray("mirrel-measure " MIRREL_VERSION "\n"), {}};
    case Request::Command::detect:
        json = detect(*request);
        break;
    case Request::Command::measure:
        json = measure(*request);
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

Checked<QByteArray> MeasureTool::detect(const Request &request) const
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

Checked<QByteArray> MeasureTool::measure(const Request &request) const
{
    QList<QPointF> corners;
    if (request.card) {
        corners = *request.card;
    } else {
        const Checked<QImage> image = loadImage(request.image);
        if (!image.ok())
            return image.failure();
        const Detection detection = detectCard(*image);
        if (!detection.corners)
            return Failure{exitNotMeasurable,
                           QStringLiteral("no reference card found in %1").arg(request.image)};
        corners = *detection.corners;
    }

    const ReferenceTargetModel card(corners, nullptr);
    if (const auto failure = checkCard(card))
        return *failure;

    const Calculator::Matrix3x3 &m = card.projectiveMatrix();
    const Storage::UnitSystem unitSystem = request.units.value_or(Storage::storedUnitSystem());
    QByteArray measured("[");
    for (const Request::Segment &segment : request.segments) {
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
    const QJsonArray matrix{m.m11, m.m12, m.m13, m.m21, m.m22, m.m23, m.m31, m.m32, m.m33};
    return JsonText::object(
        {{"card", JsonText::object({{"points", JsonText::of(JsonText::points(card.points()))},
                                    {"source", request.card ? "\"given\"" : "\"detected\""}})},
         {"matrix", JsonText::of(matrix)},
         {"segments", measured}});
}
