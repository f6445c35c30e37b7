#pragma once

#include <QByteArray>
#include <QJsonArray>
#include <QJsonValue>
#include <QList>
#include <QPointF>

#include <initializer_list>
#include <utility>

// JSON text put together in the documented key order (QJsonObject sorts its keys).
namespace JsonText {

// The text of one value.
[[nodiscard]] QByteArray of(const QJsonValue &value);

// An object with the members in the order given; each value is JSON text already.
[[nodiscard]] QByteArray object(std::initializer_list<std::pair<const char *, QByteArray>> members);

[[nodiscard]] QJsonArray point(QPointF p);
[[nodiscard]] QJsonArray points(const QList<QPointF> &points);

} // namespace JsonText
