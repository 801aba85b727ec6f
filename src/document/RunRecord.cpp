#include "RunRecord.h"

#include "IsoDate.h"
#include "JsonText.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QTimeZone>

namespace {
QDateTime wholeSeconds(const QDateTime &date)
{
    return QDateTime::fromSecsSinceEpoch(date.toSecsSinceEpoch(), QTimeZone::utc());
}
} // namespace

RunRecord::RunRecord(const QDateTime &launchedAt, const QString &v, const QString &b)
    : launched(wholeSeconds(launchedAt))
    , version(v)
    , build(b)
{
}

bool RunRecord::operator==(const RunRecord &o) const
{
    return launched == o.launched && version == o.version && build == o.build && clean == o.clean
           && settled == o.settled;
}

RunRecord::Ending RunRecord::ending(const std::optional<RunRecord> &previous)
{
    if (!previous)
        return Ending::none;
    if (previous->clean)
        return Ending::clean;
    if (previous->settled)
        return Ending::unexpected;
    return Ending::diedAtLaunch;
}

qint64 RunRecord::nextEarlyDeaths(qint64 count, Ending ending)
{
    return ending == Ending::diedAtLaunch ? count + 1 : 0;
}

QString RunRecord::endingName(Ending ending)
{
    switch (ending) {
    case Ending::none: return QStringLiteral("none");
    case Ending::clean: return QStringLiteral("clean");
    case Ending::unexpected: return QStringLiteral("unexpected");
    case Ending::diedAtLaunch: return QStringLiteral("diedAtLaunch");
    }
    return QStringLiteral("none");
}

QByteArray RunRecord::toJson() const
{
    QJsonObject o;
    o.insert(QStringLiteral("launched"), IsoDate::write(launched));
    o.insert(QStringLiteral("version"), version);
    o.insert(QStringLiteral("build"), build);
    o.insert(QStringLiteral("clean"), clean);
    o.insert(QStringLiteral("settled"), settled);
    return QJsonDocument(o).toJson(QJsonDocument::Compact);
}

std::optional<RunRecord> RunRecord::fromJson(const QByteArray &json)
{
    const std::optional<QJsonObject> parsed = JsonText::parseObject(json);
    if (!parsed)
        return std::nullopt;
    const QJsonObject o = *parsed;
    const QJsonValue launched = o.value(QStringLiteral("launched"));
    const QJsonValue version = o.value(QStringLiteral("version"));
    const QJsonValue build = o.value(QStringLiteral("build"));
    const QJsonValue clean = o.value(QStringLiteral("clean"));
    const QJsonValue settled = o.value(QStringLiteral("settled"));
    if (!launched.isString() || !version.isString() || !build.isString() || !clean.isBool()
        || !settled.isBool())
        return std::nullopt;
    const std::optional<QDateTime> date = IsoDate::read(launched.toString());
    if (!date)
        return std::nullopt;
    RunRecord r(*date, version.toString(), build.toString());
    r.clean = clean.toBool();
    r.settled = settled.toBool();
    return r;
}
