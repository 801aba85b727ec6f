#include "RecentsSaved.h"

#include "document/MarkupJson.h"

#include <QJsonDocument>
#include <QJsonObject>

#include <cmath>

namespace Recents {
namespace {
const QDateTime &referenceDate()
{
    static const QDateTime date(QDate(2001, 1, 1), QTime(0, 0), Qt::UTC);
    return date;
}

// About ±3000 years: far beyond any capture, well inside what a date can hold.
constexpr double maxReferenceSeconds = 1e11;

bool fail(QString *error, const QString &message)
{
    if (error)
        *error = message;
    return false;
}

bool isIntegral(const QJsonValue &v)
{
    if (!v.isDouble())
        return false;
    const double d = v.toDouble();
    return std::isfinite(d) && std::floor(d) == d && std::fabs(d) < 9007199254740992.0;
}
} // namespace

QString uuidText(const QUuid &id) { return id.toString(QUuid::WithoutBraces).toUpper(); }

double referenceSeconds(const QDateTime &date)
{
    return double(date.toMSecsSinceEpoch() - referenceDate().toMSecsSinceEpoch()) / 1000.0;
}

std::optional<QDateTime> fromReferenceSeconds(double seconds)
{
    if (!std::isfinite(seconds) || std::fabs(seconds) > maxReferenceSeconds)
        return std::nullopt;
    return QDateTime::fromMSecsSinceEpoch(referenceDate().toMSecsSinceEpoch()
                                              + qint64(std::llround(seconds * 1000.0)),
                                          Qt::UTC);
}

std::optional<QByteArray> Saved::encode(QString *error) const
{
    const auto markupJson = MarkupJson::toJson(markup, error);
    if (!markupJson)
        return std::nullopt;
    if (!std::isfinite(pixelScale) && !fail(error, QStringLiteral("pixelScale is not finite")))
        return std::nullopt;
    QJsonObject o;
    o.insert(QStringLiteral("markup"), *markupJson);
    o.insert(QStringLiteral("pixelScale"), pixelScale);
    if (scales) {
        QJsonObject s;
        for (auto it = scales->cbegin(); it != scales->cend(); ++it) {
            if (!std::isfinite(it.value()) && !fail(error, QStringLiteral("a scale is not finite")))
                return std::nullopt;
            s.insert(it.key(), it.value());
        }
        o.insert(QStringLiteral("scales"), s);
    }
    if (!created.isValid() && !fail(error, QStringLiteral("no creation date")))
        return std::nullopt;
    o.insert(QStringLiteral("created"), referenceSeconds(created));
    if (group)
        o.insert(QStringLiteral("group"), *group);
    if (order)
        o.insert(QStringLiteral("order"), *order);
    return QJsonDocument(o).toJson(QJsonDocument::Compact);
}

std::optional<Saved> Saved::decode(const QByteArray &json, QString *error)
{
    QJsonParseError parse;
    const QJsonDocument doc = QJsonDocument::fromJson(json, &parse);
    if (!doc.isObject()) {
        fail(error, parse.error != QJsonParseError::NoError ? parse.errorString()
                                                             : QStringLiteral("not an object"));
        return std::nullopt;
    }
    const QJsonObject o = doc.object();
    Saved s;
    QString markupError;
    const auto markup = MarkupJson::markupFrom(o.value(QStringLiteral("markup")), &markupError);
    if (!markup) {
        fail(error, QStringLiteral("markup: ") + markupError);
        return std::nullopt;
    }
    s.markup = *markup;

    const QJsonValue scale = o.value(QStringLiteral("pixelScale"));
    if (!scale.isDouble() && !fail(error, QStringLiteral("pixelScale missing or not a number")))
        return std::nullopt;
    s.pixelScale = scale.toDouble();

    const QJsonValue created = o.value(QStringLiteral("created"));
    const auto date = created.isDouble() ? fromReferenceSeconds(created.toDouble()) : std::nullopt;
    if (!date && !fail(error, QStringLiteral("created missing or out of range")))
        return std::nullopt;
    s.created = *date;

    const QJsonValue scales = o.value(QStringLiteral("scales"));
    if (!scales.isUndefined() && !scales.isNull()) {
        if (!scales.isObject() && !fail(error, QStringLiteral("scales is not an object")))
            return std::nullopt;
        QHash<QString, double> map;
        const QJsonObject so = scales.toObject();
        for (auto it = so.constBegin(); it != so.constEnd(); ++it) {
            if (!it.value().isDouble() && !fail(error, QStringLiteral("a scale is not a number")))
                return std::nullopt;
            map.insert(it.key(), it.value().toDouble());
        }
        s.scales = map;
    }

    const QJsonValue group = o.value(QStringLiteral("group"));
    if (!group.isUndefined() && !group.isNull()) {
        if (!group.isString() && !fail(error, QStringLiteral("group is not a text")))
            return std::nullopt;
        s.group = group.toString();
    }

    const QJsonValue order = o.value(QStringLiteral("order"));
    if (!order.isUndefined() && !order.isNull()) {
        if (!isIntegral(order) && !fail(error, QStringLiteral("order is not an integer")))
            return std::nullopt;
        s.order = qint64(order.toDouble());
    }
    return s;
}

} // namespace Recents
