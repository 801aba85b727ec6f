#pragma once
#include <QByteArray>
#include <QJsonObject>
#include <QJsonValue>

#include <optional>

// JSON text of the report documents: keys sorted at every level (QJsonObject keeps them so),
// non-ASCII characters written as UTF-8.
namespace JsonText {
// No white space; "/" inside strings written as "\/".
QByteArray compact(const QJsonObject &object);
// Indented; "/" written as "\/" only when escapeSlash is set.
QByteArray pretty(const QJsonObject &object, bool escapeSlash);
// Bytes the string takes in compact()'s output, quotes included.
qint64 compactStringBytes(const QString &text);
// A number with no fraction; nothing for other values.
std::optional<qint64> integer(const QJsonValue &value);
// The object a JSON text holds; nothing when it does not parse or holds something else.
std::optional<QJsonObject> parseObject(const QByteArray &json);
} // namespace JsonText
