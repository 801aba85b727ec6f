#include "CrashLog.h"

#include "JsonText.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTimeZone>

namespace {
QString stringOf(const QJsonObject &o, const QString &key)
{
    const QJsonValue v = o.value(key);
    return v.isString() ? v.toString() : QString();
}

QJsonObject crashedThread(const QJsonObject &body)
{
    const QJsonArray threads = body.value(QStringLiteral("threads")).toArray();
    const std::optional<qint64> faulting = JsonText::integer(body.value(QStringLiteral("faultingThread")));
    if (faulting && *faulting >= 0 && *faulting < threads.size())
        return threads.at(*faulting).toObject();
    for (const QJsonValue &t : threads) {
        const QJsonObject thread = t.toObject();
        if (!thread.isEmpty() && thread.value(QStringLiteral("triggered")) == QJsonValue(true))
            return thread;
    }
    return {};
}

QString placeOf(const QJsonObject &thread, const QJsonArray &images, const QString &appName)
{
    std::optional<QString> first;
    for (const QJsonValue &f : thread.value(QStringLiteral("frames")).toArray()) {
        const QJsonObject frame = f.toObject();
        if (frame.isEmpty())
            continue;
        const std::optional<qint64> index = JsonText::integer(frame.value(QStringLiteral("imageIndex")));
        if (!index || *index < 0 || *index >= images.size())
            continue;
        const QJsonValue name = images.at(*index).toObject().value(QStringLiteral("name"));
        if (!name.isString() || name.toString() != appName)
            continue;
        const QJsonValue symbol = frame.value(QStringLiteral("symbol"));
        const QString text = symbol.isString()
            ? symbol.toString()
            : QStringLiteral("Quillet + %1").arg(JsonText::integer(frame.value(QStringLiteral("imageOffset"))).value_or(0));
        if (!first)
            first = text;
        const QJsonValue source = frame.value(QStringLiteral("sourceFile"));
        const bool generated = source.isString() && source.toString().contains(QLatin1String("compiler-generated"));
        if (!text.startsWith(QLatin1String("Swift runtime failure")) && !generated)
            return text;
    }
    return first.value_or(QString());
}
} // namespace

const QStringList &CrashLog::droppedKeys()
{
    static const QStringList keys = {
        QStringLiteral("crashReporterKey"), QStringLiteral("storeInfo"), QStringLiteral("sleepWakeUUID"),
        QStringLiteral("bootSessionUUID"), QStringLiteral("userID"), QStringLiteral("coalitionID"),
        QStringLiteral("coalitionName"), QStringLiteral("parentPid"), QStringLiteral("pid"),
        QStringLiteral("wakeTime"), QStringLiteral("trialInfo"), QStringLiteral("codeSigningAuxiliaryInfo"),
    };
    return keys;
}

std::optional<CrashLog> CrashLog::read(const QString &text, const Scrub::Identity &who)
{
    const qsizetype lineFeed = text.indexOf(QLatin1Char('\n'));
    if (lineFeed < 0)
        return std::nullopt;
    std::optional<QJsonObject> header = JsonText::parseObject(text.left(lineFeed).toUtf8());
    std::optional<QJsonObject> body = JsonText::parseObject(text.mid(lineFeed + 1).toUtf8());
    if (!header || !body)
        return std::nullopt;

    CrashLog log;
    const QJsonObject exception = body->value(QStringLiteral("exception")).toObject();
    log.reason = exception.value(QStringLiteral("type")).isString()
        ? exception.value(QStringLiteral("type")).toString()
        : QStringLiteral("Crash");
    if (exception.value(QStringLiteral("signal")).isString())
        log.reason += QStringLiteral(" (") + exception.value(QStringLiteral("signal")).toString() + QLatin1Char(')');

    QString appName = stringOf(*header, QStringLiteral("app_name"));
    if (!header->value(QStringLiteral("app_name")).isString())
        appName = stringOf(*header, QStringLiteral("name"));
    log.place = placeOf(crashedThread(*body), body->value(QStringLiteral("usedImages")).toArray(), appName);

    for (const QString &key : droppedKeys())
        body->remove(key);
    header->remove(QStringLiteral("share_with_app_devs"));
    const QString cleaned = QString::fromUtf8(JsonText::compact(*header)) + QLatin1Char('\n')
                            + QString::fromUtf8(JsonText::pretty(*body, true));
    log.scrubbed = Scrub::text(cleaned, who);

    log.bundleID = stringOf(*header, QStringLiteral("bundleID"));
    if (!header->value(QStringLiteral("bundleID")).isString())
        log.bundleID = stringOf(body->value(QStringLiteral("bundleInfo")).toObject(),
                                QStringLiteral("CFBundleIdentifier"));
    log.version = stringOf(*header, QStringLiteral("app_version"));
    log.build = stringOf(*header, QStringLiteral("build_version"));
    log.incident = stringOf(*header, QStringLiteral("incident_id"));
    log.date = parseDate(stringOf(*header, QStringLiteral("timestamp")));
    return log;
}

std::optional<QDateTime> CrashLog::parseDate(const QString &text)
{
    static const QRegularExpression form(QStringLiteral(
        "^(\\d{4})-(\\d\\d)-(\\d\\d) (\\d\\d):(\\d\\d):(\\d\\d)(?:\\.(\\d\\d|\\d{4}))? ([+-])(\\d\\d)(\\d\\d)$"));
    const QRegularExpressionMatch m = form.match(text);
    if (!m.hasMatch())
        return std::nullopt;
    const QDate day(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt());
    const QTime time(m.captured(4).toInt(), m.captured(5).toInt(), m.captured(6).toInt());
    const int offsetMinutes = m.captured(9).toInt() * 60 + m.captured(10).toInt();
    if (!day.isValid() || !time.isValid() || m.captured(9).toInt() > 23 || m.captured(10).toInt() > 59)
        return std::nullopt;
    const int offset = (m.captured(8) == QLatin1String("-") ? -1 : 1) * offsetMinutes * 60;
    QDateTime date(day, time, QTimeZone(offset));
    const QString fraction = m.captured(7);
    if (!fraction.isEmpty())
        date = date.addMSecs(fraction.left(3).leftJustified(3, QLatin1Char('0')).toInt());
    return date.toUTC();
}

QString CrashLog::summary() const
{
    return place.isEmpty() ? reason : reason + QStringLiteral(" in ") + place;
}
