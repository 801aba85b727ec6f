#include "Report.h"

#include "IsoDate.h"
#include "JsonText.h"
#include "Text.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTimeZone>

namespace {
const QString cutMarker = QStringLiteral("\n[cut to fit]");
constexpr qint64 logFloorBytes = 8000;

QJsonObject appObject(const Report::App &a)
{
    return {{QStringLiteral("version"), a.version},
            {QStringLiteral("build"), a.build},
            {QStringLiteral("bundleID"), a.bundleID},
            {QStringLiteral("commit"), a.commit}};
}

QJsonObject systemObject(const Report::System &s)
{
    return {{QStringLiteral("os"), s.os},
            {QStringLiteral("model"), s.model},
            {QStringLiteral("arch"), s.arch},
            {QStringLiteral("locale"), s.locale},
            {QStringLiteral("memoryGB"), s.memoryGB},
            {QStringLiteral("screens"), QJsonArray::fromStringList(s.screens)}};
}

QJsonObject toObject(const Report &r)
{
    QJsonObject o;
    o.insert(QStringLiteral("schema"), r.schema);
    o.insert(QStringLiteral("id"), r.id);
    o.insert(QStringLiteral("kind"), Report::kindName(r.kind));
    o.insert(QStringLiteral("created"), IsoDate::write(r.created));
    o.insert(QStringLiteral("app"), appObject(r.app));
    o.insert(QStringLiteral("system"), systemObject(r.system));
    o.insert(QStringLiteral("install"), r.install);
    o.insert(QStringLiteral("summary"), r.summary);
    if (r.comment)
        o.insert(QStringLiteral("comment"), *r.comment);
    if (r.contact)
        o.insert(QStringLiteral("contact"), *r.contact);
    if (r.crash)
        o.insert(QStringLiteral("crash"), *r.crash);
    if (r.exception)
        o.insert(QStringLiteral("exception"), *r.exception);
    if (r.diagnostics)
        o.insert(QStringLiteral("diagnostics"), QJsonArray::fromStringList(*r.diagnostics));
    o.insert(QStringLiteral("log"), r.log);
    QJsonObject state;
    for (auto it = r.state.constBegin(); it != r.state.constEnd(); ++it)
        state.insert(it.key(), it.value());
    o.insert(QStringLiteral("state"), state);
    return o;
}

// The compact size of the report, counted without encoding its long texts: the rest is encoded
// with those texts empty and their own encoded sizes are added.
qint64 compactSize(const Report &r)
{
    Report skeleton = r;
    qint64 extra = 0;
    auto blank = [&extra](QString &text) {
        extra += JsonText::compactStringBytes(text) - 2;
        text.clear();
    };
    blank(skeleton.log);
    for (std::optional<QString> *field : {&skeleton.crash, &skeleton.exception, &skeleton.comment})
        if (*field)
            blank(**field);
    if (skeleton.diagnostics)
        for (QString &payload : *skeleton.diagnostics)
            blank(payload);
    return JsonText::compact(toObject(skeleton)).size() + extra;
}

// The first half of text in characters (never splitting a surrogate pair), marked as cut.
QString halved(const QString &text)
{
    qsizetype keep = text.size() / 2;
    if (keep > 0 && text.at(keep - 1).isHighSurrogate())
        --keep;
    return text.left(keep) + cutMarker;
}

// A text that halving still makes shorter.
bool canHalve(const std::optional<QString> &text)
{
    return text && text->size() > 2 * cutMarker.size();
}

// One cut, the first that applies; false when nothing is left to cut.
bool shrinkOnce(Report &r)
{
    const qint64 logBytes = r.log.toUtf8().size();
    if (logBytes > logFloorBytes) {
        r.log = Text::tail(r.log, logBytes / 4);
        return true;
    }
    if (r.diagnostics && !r.diagnostics->isEmpty()) {
        r.diagnostics->removeLast();
        return true;
    }
    if (canHalve(r.crash)) {
        r.crash = halved(*r.crash);
        return true;
    }
    if (r.diagnostics) {
        r.diagnostics.reset();
        return true;
    }
    for (std::optional<QString> *field : {&r.exception, &r.comment}) {
        if (canHalve(*field)) {
            **field = halved(**field);
            return true;
        }
    }
    for (std::optional<QString> *field : {&r.crash, &r.exception, &r.comment, &r.contact}) {
        if (*field) {
            field->reset();
            return true;
        }
    }
    if (!r.log.isEmpty()) {
        r.log = logBytes > 1 ? Text::tail(r.log, logBytes / 2) : QString();
        return true;
    }
    return false;
}

std::optional<QString> optionalString(const QJsonObject &o, const QString &key, bool *ok)
{
    const QJsonValue v = o.value(key);
    if (v.isUndefined())
        return std::nullopt;
    if (!v.isString())
        *ok = false;
    return v.toString();
}

std::optional<QStringList> stringList(const QJsonValue &v)
{
    if (!v.isArray())
        return std::nullopt;
    QStringList list;
    for (const QJsonValue &item : v.toArray()) {
        if (!item.isString())
            return std::nullopt;
        list << item.toString();
    }
    return list;
}

bool allStrings(const QJsonObject &o, std::initializer_list<const char *> keys)
{
    for (const char *key : keys)
        if (!o.value(QLatin1String(key)).isString())
            return false;
    return true;
}

} // namespace

Report::Report(const QString &id_, Kind kind_, const QDateTime &created_, const App &app_,
               const System &system_, const QString &install_, const QString &summary_,
               const QString &log_, const QMap<QString, QString> &state_)
    : id(id_)
    , kind(kind_)
    , created(QDateTime::fromSecsSinceEpoch(created_.toSecsSinceEpoch(), QTimeZone::utc()))
    , app(app_)
    , system(system_)
    , install(install_)
    , summary(summary_)
    , log(log_)
    , state(state_)
{
}

bool Report::operator==(const Report &o) const
{
    return schema == o.schema && id == o.id && kind == o.kind && created == o.created
           && app == o.app && system == o.system && install == o.install && summary == o.summary
           && comment == o.comment && contact == o.contact && crash == o.crash
           && exception == o.exception && diagnostics == o.diagnostics && log == o.log
           && state == o.state;
}

QString Report::kindName(Kind kind)
{
    switch (kind) {
    case Kind::crash: return QStringLiteral("crash");
    case Kind::exception: return QStringLiteral("exception");
    case Kind::hang: return QStringLiteral("hang");
    case Kind::quit: return QStringLiteral("quit");
    case Kind::feedback: return QStringLiteral("feedback");
    }
    return QString();
}

std::optional<Report::Kind> Report::kindFromName(const QString &name)
{
    for (Kind k : {Kind::crash, Kind::exception, Kind::hang, Kind::quit, Kind::feedback})
        if (kindName(k) == name)
            return k;
    return std::nullopt;
}

QByteArray Report::encode(bool pretty) const
{
    const QJsonObject o = toObject(*this);
    return pretty ? JsonText::pretty(o, false) : JsonText::compact(o);
}

Report Report::fitted() const
{
    Report r = *this;
    while (compactSize(r) > maxBytes && shrinkOnce(r)) {
    }
    // The count above is exact for the writer's escapes; the real encoding has the last word.
    while (r.encode(false).size() > maxBytes && shrinkOnce(r)) {
    }
    return r;
}

std::optional<QByteArray> Report::json(bool pretty) const
{
    const Report r = fitted();
    if (!pretty) {
        QByteArray data = r.encode(false);
        if (data.size() > maxBytes)
            return std::nullopt;
        return data;
    }
    if (r.encode(false).size() > maxBytes)
        return std::nullopt;
    return r.encode(true);
}

std::optional<Report> Report::fromJson(const QByteArray &json)
{
    const std::optional<QJsonObject> parsed = JsonText::parseObject(json);
    if (!parsed)
        return std::nullopt;
    const QJsonObject o = *parsed;
    if (!allStrings(o, {"id", "kind", "created", "install", "summary", "log"}))
        return std::nullopt;
    const std::optional<qint64> schema = JsonText::integer(o.value(QStringLiteral("schema")));
    const std::optional<Kind> kind = kindFromName(o.value(QStringLiteral("kind")).toString());
    const std::optional<QDateTime> created = IsoDate::read(o.value(QStringLiteral("created")).toString());
    const QJsonValue appValue = o.value(QStringLiteral("app"));
    const QJsonValue systemValue = o.value(QStringLiteral("system"));
    const QJsonValue stateValue = o.value(QStringLiteral("state"));
    if (!schema || !kind || !created || !appValue.isObject() || !systemValue.isObject()
        || !stateValue.isObject())
        return std::nullopt;

    const QJsonObject a = appValue.toObject();
    if (!allStrings(a, {"version", "build", "bundleID", "commit"}))
        return std::nullopt;
    const QJsonObject s = systemValue.toObject();
    const std::optional<qint64> memory = JsonText::integer(s.value(QStringLiteral("memoryGB")));
    const std::optional<QStringList> screens = stringList(s.value(QStringLiteral("screens")));
    if (!allStrings(s, {"os", "model", "arch", "locale"}) || !memory || !screens)
        return std::nullopt;
    QMap<QString, QString> state;
    const QJsonObject st = stateValue.toObject();
    for (auto it = st.constBegin(); it != st.constEnd(); ++it) {
        if (!it.value().isString())
            return std::nullopt;
        state.insert(it.key(), it.value().toString());
    }

    const App app{a.value(QStringLiteral("version")).toString(), a.value(QStringLiteral("build")).toString(),
                  a.value(QStringLiteral("bundleID")).toString(), a.value(QStringLiteral("commit")).toString()};
    const System system{s.value(QStringLiteral("os")).toString(), s.value(QStringLiteral("model")).toString(),
                        s.value(QStringLiteral("arch")).toString(), s.value(QStringLiteral("locale")).toString(),
                        *memory, *screens};
    Report r(o.value(QStringLiteral("id")).toString(), *kind, *created, app, system,
             o.value(QStringLiteral("install")).toString(), o.value(QStringLiteral("summary")).toString(),
             o.value(QStringLiteral("log")).toString(), state);
    r.schema = int(*schema);
    bool ok = true;
    r.comment = optionalString(o, QStringLiteral("comment"), &ok);
    r.contact = optionalString(o, QStringLiteral("contact"), &ok);
    r.crash = optionalString(o, QStringLiteral("crash"), &ok);
    r.exception = optionalString(o, QStringLiteral("exception"), &ok);
    const QJsonValue diagnostics = o.value(QStringLiteral("diagnostics"));
    if (!diagnostics.isUndefined()) {
        r.diagnostics = stringList(diagnostics);
        ok = ok && r.diagnostics.has_value();
    }
    if (!ok)
        return std::nullopt;
    return r;
}
