#include "cli/JsonText.h"

#include <QJsonDocument>

QByteArray JsonText::of(const QJsonValue &value)
{
    const QByteArray wrapped = QJsonDocument(QJsonArray{value}).toJson(QJsonDocument::Compact);
    return wrapped.mid(1, wrapped.size() - 2);
}

QByteArray JsonText::object(std::initializer_list<std::pair<const char *, QByteArray>> members)
{
    QByteArray json("{");
    for (const auto &[key, value] : members) {
        if (json.size() > 1)
            json += ',';
        json += '"' + QByteArray(key) + "\":" + value;
    }
    return json + '}';
}

QJsonArray JsonText::point(QPointF p)
{
    return {p.x(), p.y()};
}

QJsonArray JsonText::points(const QList<QPointF> &points)
{
    QJsonArray array;
    for (const QPointF &p : points)
        array.append(point(p));
    return array;
}
