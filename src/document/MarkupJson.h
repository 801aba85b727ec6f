#pragma once
#include "Markup.h"

#include <QByteArray>
#include <QJsonObject>
#include <QJsonValue>
#include <QString>

#include <optional>

// The JSON form of documents, shots and items, as the capture history stores pages.
//
// Points and sizes are arrays of two numbers, rectangles an array of [origin, size], UUIDs their
// 36-character text (written upper-case, read in either case). Writing fails when any number is
// not finite (JSON has no form for it). Reading fails, with no partial result, on a missing
// required key, a value of the wrong type, a malformed UUID or an unknown kind or side; keys not
// known are ignored. Colour and size indices are clamped into range by the document reader only.
// Every function sets *error (when given) to a message when it fails.
namespace MarkupJson {

// The document as compact UTF-8 JSON text, keys in their documented order.
std::optional<QByteArray> encode(const Markup &markup, QString *error = nullptr);
std::optional<Markup> decode(const QByteArray &json, QString *error = nullptr);

std::optional<QJsonObject> toJson(const Markup &markup, QString *error = nullptr);
std::optional<QJsonObject> toJson(const Shot &shot, QString *error = nullptr);
std::optional<QJsonObject> toJson(const Item &item, QString *error = nullptr);

// A document, also in the older single-shot form ("shot" and "imageSize" instead of "shots",
// which gives one shot at (0, 0) with a new id).
std::optional<Markup> markupFrom(const QJsonValue &value, QString *error = nullptr);
std::optional<Shot> shotFrom(const QJsonValue &value, QString *error = nullptr);
// One item as it stands: colour and size are not clamped here.
std::optional<Item> itemFrom(const QJsonValue &value, QString *error = nullptr);

// A UUID as written: 36 characters, upper-case hexadecimal digits.
QString uuidText(const QUuid &id);

} // namespace MarkupJson
