#include "tools/scenegen/SceneFiles.h"

#include <QFileInfo>
#include <QImageWriter>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>

namespace {

QJsonArray point(QPointF p)
{
    return QJsonArray{p.x(), p.y()};
}

std::optional<QPointF> readPoint(const QJsonValue &v)
{
    const QJsonArray a = v.toArray();
    if (a.size() != 2 || !a[0].isDouble() || !a[1].isDouble())
        return std::nullopt;
    return QPointF(a[0].toDouble(), a[1].toDouble());
}

} // namespace

QByteArray sceneTruthJson(const Scene &scene, bool minimal)
{
    QJsonObject o;
    o[QStringLiteral("width")] = scene.image.width();
    o[QStringLiteral("height")] = scene.image.height();
    if (scene.hasCard) {
        QJsonArray card;
        for (const QPointF &p : scene.card)
            card.append(point(p));
        o[QStringLiteral("card")] = card;
    } else {
        o[QStringLiteral("card")] = QJsonValue::Null;
    }
    o[QStringLiteral("object")] = QJsonObject{{QStringLiteral("from"), point(scene.objectFrom)},
                                              {QStringLiteral("to"), point(scene.objectTo)},
                                              {QStringLiteral("lengthMm"), scene.objectLengthMm}};
    if (!minimal) {
        o[QStringLiteral("category")] = scene.category;
        o[QStringLiteral("seed")] = QString::number(scene.seed);
        o[QStringLiteral("blurPx")] = scene.blurPx;
        o[QStringLiteral("cardFirstEdgeLong")] = scene.cardFirstEdgeLong;
    }
    return QJsonDocument(o).toJson(QJsonDocument::Indented);
}

std::optional<SceneTruth> parseSceneTruth(const QByteArray &json, QString *error)
{
    const auto fail = [error](const QString &message) -> std::optional<SceneTruth> {
        if (error)
            *error = message;
        return std::nullopt;
    };
    QJsonParseError parseError;
    const QJsonDocument doc = QJsonDocument::fromJson(json, &parseError);
    if (!doc.isObject())
        return fail(QStringLiteral("not a JSON object: ") + parseError.errorString());
    const QJsonObject o = doc.object();
    SceneTruth t;
    t.imageSize = QSize(o.value(QStringLiteral("width")).toInt(-1),
                        o.value(QStringLiteral("height")).toInt(-1));
    if (t.imageSize.width() <= 0 || t.imageSize.height() <= 0)
        return fail(QStringLiteral("missing or invalid width/height"));
    const QJsonValue card = o.value(QStringLiteral("card"));
    t.scene.hasCard = !card.isNull() && !card.isUndefined();
    if (t.scene.hasCard) {
        const QJsonArray a = card.toArray();
        if (a.size() != 4)
            return fail(QStringLiteral("card needs four corners"));
        for (qsizetype i = 0; i < 4; ++i) {
            const auto p = readPoint(a[i]);
            if (!p)
                return fail(QStringLiteral("card corner %1 is not [x, y]").arg(i));
            t.scene.card[size_t(i)] = *p;
        }
    }
    const QJsonObject object = o.value(QStringLiteral("object")).toObject();
    const auto from = readPoint(object.value(QStringLiteral("from")));
    const auto to = readPoint(object.value(QStringLiteral("to")));
    const QJsonValue length = object.value(QStringLiteral("lengthMm"));
    if (!from || !to || !length.isDouble())
        return fail(QStringLiteral("object needs from, to and lengthMm"));
    t.scene.objectFrom = *from;
    t.scene.objectTo = *to;
    t.scene.objectLengthMm = length.toDouble();
    t.scene.category = o.value(QStringLiteral("category")).toString();
    t.scene.seed = o.value(QStringLiteral("seed")).toString().toULongLong();
    t.scene.blurPx = o.value(QStringLiteral("blurPx")).toDouble();
    t.scene.cardFirstEdgeLong = o.value(QStringLiteral("cardFirstEdgeLong")).toBool(true);
    return t;
}

QString writeScene(const Scene &scene, const QString &imagePath, int jpegQuality, bool minimalTruth)
{
    const QFileInfo info(imagePath);
    const QString suffix = info.suffix().toLower();
    const QByteArray format = suffix == QLatin1String("png") ? "png" : "jpg";
    if (suffix != QLatin1String("png") && suffix != QLatin1String("jpg") &&
        suffix != QLatin1String("jpeg"))
        return QStringLiteral("unknown picture type '%1' (use .png or .jpg)").arg(suffix);
    QSaveFile image(imagePath);
    if (!image.open(QIODevice::WriteOnly))
        return QStringLiteral("cannot write %1: %2").arg(imagePath, image.errorString());
    QImageWriter writer(&image, format);
    if (format == "jpg") {
        writer.setQuality(jpegQuality);
        writer.setOptimizedWrite(true);
    }
    if (!writer.write(scene.image)) {
        image.cancelWriting();
        return QStringLiteral("cannot encode %1: %2").arg(imagePath, writer.errorString());
    }
    if (!image.commit())
        return QStringLiteral("cannot write %1: %2").arg(imagePath, image.errorString());
    QSaveFile truth(info.path() + QLatin1Char('/') + info.completeBaseName() +
                    QStringLiteral(".json"));
    if (!truth.open(QIODevice::WriteOnly) || truth.write(sceneTruthJson(scene, minimalTruth)) < 0 ||
        !truth.commit())
        return QStringLiteral("cannot write %1: %2").arg(truth.fileName(), truth.errorString());
    return {};
}
