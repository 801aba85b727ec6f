#include "JsonText.h"

#include <QJsonDocument>

namespace JsonText {
namespace {
// A "/" can only stand inside a string in JSON text, so every one of them is escaped.
QByteArray escapeSlashes(QByteArray text)
{
    return text.replace('/', QByteArrayLiteral("\\/"));
}
} // namespace

QByteArray compact(const QJsonObject &object)
{
    return escapeSlashes(QJsonDocument(object).toJson(QJsonDocument::Compact));
}

QByteArray pretty(const QJsonObject &object, bool escapeSlash)
{
    const QByteArray text = QJsonDocument(object).toJson(QJsonDocument::Indented);
    return escapeSlash ? escapeSlashes(text) : text;
}

qint64 compactStringBytes(const QString &text)
{
    qint64 n = 2;
    for (const QChar ch : text) {
        const char16_t c = ch.unicode();
        if (c < 0x80) {
            if (c == u'"' || c == u'\\' || c == u'/')
                n += 2;
            else if (c == u'\b' || c == u'\f' || c == u'\n' || c == u'\r' || c == u'\t')
                n += 2;
            else if (c < 0x20)
                n += 6;
            else
                n += 1;
        } else if (c < 0x800) {
            n += 2;
        } else if (ch.isSurrogate()) {
            n += 2; // a pair takes four bytes
        } else {
            n += 3;
        }
    }
    return n;
}

std::optional<qint64> integer(const QJsonValue &value)
{
    if (!value.isDouble())
        return std::nullopt;
    const double d = value.toDouble();
    if (d != double(qint64(d)))
        return std::nullopt;
    return qint64(d);
}

std::optional<QJsonObject> parseObject(const QByteArray &json)
{
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError || !doc.isObject())
        return std::nullopt;
    return doc.object();
}

} // namespace JsonText
