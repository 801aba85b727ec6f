#include "MarkupJson.h"

#include "Plane.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonParseError>

#include <cmath>
#include <limits>

namespace MarkupJson {
namespace {

// Collects the first failure of a read or a write; later steps stop once one is set.
struct Errors {
    QString message;
    bool failed() const { return !message.isEmpty(); }
    void fail(const QString &text)
    {
        if (message.isEmpty())
            message = text;
    }
};

void report(const Errors &errors, QString *error)
{
    if (error)
        *error = errors.message;
}

// --- Writing

QJsonValue number(double v, const char *what, Errors &errors)
{
    if (!std::isfinite(v))
        errors.fail(QStringLiteral("%1 is not a finite number").arg(QLatin1StringView(what)));
    return v;
}

QJsonArray pair(double a, double b, const char *what, Errors &errors)
{
    return {number(a, what, errors), number(b, what, errors)};
}

QJsonArray point(QPointF p, const char *what, Errors &errors)
{
    return pair(p.x(), p.y(), what, errors);
}

QJsonArray rect(const QRectF &r, const char *what, Errors &errors)
{
    return {pair(r.x(), r.y(), what, errors), pair(r.width(), r.height(), what, errors)};
}

QString uuidText(const QUuid &id)
{
    return id.toString(QUuid::WithoutBraces).toUpper();
}

QJsonObject writeShot(const Shot &shot, Errors &errors)
{
    QJsonObject o;
    o.insert(u"id", uuidText(shot.id));
    o.insert(u"origin", point(shot.origin, "shot origin", errors));
    o.insert(u"imageSize", pair(shot.imageSize.width(), shot.imageSize.height(), "shot image size",
                                errors));
    o.insert(u"rect", rect(shot.rect, "shot rect", errors));
    return o;
}

QJsonObject writeItem(const Item &item, Errors &errors)
{
    QJsonObject o;
    o.insert(u"id", uuidText(item.id));
    o.insert(u"kind", item.kind.name());
    o.insert(u"color", item.color);
    o.insert(u"size", item.size);
    o.insert(u"tail", point(item.tail, "item tail", errors));
    o.insert(u"head", point(item.head, "item head", errors));
    o.insert(u"flipped", item.flipped);
    o.insert(u"string", item.string);
    o.insert(u"anchor", point(item.anchor, "item anchor", errors));
    o.insert(u"side", item.side.name());
    o.insert(u"width", number(item.width, "item width", errors));
    o.insert(u"font", item.font);
    if (item.arrowID)
        o.insert(u"arrowID", uuidText(*item.arrowID));
    o.insert(u"rect", rect(item.rect, "item rect", errors));
    return o;
}

QJsonObject writeMarkup(const Markup &markup, Errors &errors)
{
    QJsonArray shots;
    for (const Shot &s : markup.shots)
        shots.append(writeShot(s, errors));
    QJsonArray items;
    for (const Item &it : markup.items)
        items.append(writeItem(it, errors));
    QJsonObject o;
    o.insert(u"shots", shots);
    o.insert(u"unit", number(markup.unit, "unit", errors));
    o.insert(u"items", items);
    return o;
}

// --- Reading. Each reader returns a default value after a failure; callers check errors.

QJsonValue required(const QJsonObject &o, QStringView key, const QString &where, Errors &errors)
{
    const QJsonValue v = o.value(key);
    if (v.isUndefined() || v.isNull())
        errors.fail(QStringLiteral("%1: \"%2\" is missing").arg(where, key));
    return v;
}

double readNumber(const QJsonValue &v, const QString &what, Errors &errors)
{
    if (!v.isDouble()) {
        errors.fail(QStringLiteral("%1 is not a number").arg(what));
        return 0;
    }
    return v.toDouble();
}

int readInteger(const QJsonValue &v, const QString &what, Errors &errors)
{
    // A JSON number stands for an integer when it is whole and within a 64-bit integer's range;
    // beyond the range of int it is held at int's limit (indices are clamped later anyway).
    const double d = v.toDouble();
    if (!v.isDouble() || !std::isfinite(d) || std::trunc(d) != d || d < -9.223372036854775808e18
        || d >= 9.223372036854775808e18) {
        errors.fail(QStringLiteral("%1 is not an integer").arg(what));
        return 0;
    }
    if (d > std::numeric_limits<int>::max())
        return std::numeric_limits<int>::max();
    if (d < std::numeric_limits<int>::min())
        return std::numeric_limits<int>::min();
    return int(d);
}

QString readString(const QJsonValue &v, const QString &what, Errors &errors)
{
    if (!v.isString())
        errors.fail(QStringLiteral("%1 is not a string").arg(what));
    return v.toString();
}

bool readBool(const QJsonValue &v, const QString &what, Errors &errors)
{
    if (!v.isBool())
        errors.fail(QStringLiteral("%1 is not true or false").arg(what));
    return v.toBool();
}

std::pair<double, double> readPair(const QJsonValue &v, const QString &what, Errors &errors)
{
    const QJsonArray a = v.toArray();
    if (!v.isArray() || a.size() != 2) {
        errors.fail(QStringLiteral("%1 is not an array of two numbers").arg(what));
        return {0, 0};
    }
    return {readNumber(a.at(0), what, errors), readNumber(a.at(1), what, errors)};
}

QPointF readPoint(const QJsonValue &v, const QString &what, Errors &errors)
{
    const auto [x, y] = readPair(v, what, errors);
    return QPointF(x, y);
}

QSizeF readSize(const QJsonValue &v, const QString &what, Errors &errors)
{
    const auto [w, h] = readPair(v, what, errors);
    return QSizeF(w, h);
}

QRectF readRect(const QJsonValue &v, const QString &what, Errors &errors)
{
    const QJsonArray a = v.toArray();
    if (!v.isArray() || a.size() != 2) {
        errors.fail(QStringLiteral("%1 is not a rectangle").arg(what));
        return QRectF();
    }
    return QRectF(readPoint(a.at(0), what, errors), readSize(a.at(1), what, errors));
}

bool isUuidText(const QString &text)
{
    if (text.size() != 36)
        return false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (i == 8 || i == 13 || i == 18 || i == 23) {
            if (c != u'-')
                return false;
        } else if (!((c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f')
                     || (c >= u'A' && c <= u'F'))) {
            return false;
        }
    }
    return true;
}

QUuid readUuid(const QJsonValue &v, const QString &what, Errors &errors)
{
    const QString text = readString(v, what, errors);
    if (errors.failed())
        return QUuid();
    if (!isUuidText(text)) {
        errors.fail(QStringLiteral("%1 is not a UUID").arg(what));
        return QUuid();
    }
    return QUuid::fromString(text);
}

QJsonObject objectOf(const QJsonValue &v, const QString &what, Errors &errors)
{
    if (!v.isObject())
        errors.fail(QStringLiteral("%1 is not an object").arg(what));
    return v.toObject();
}

Shot readShot(const QJsonValue &value, const QString &where, Errors &errors)
{
    const QJsonObject o = objectOf(value, where, errors);
    if (errors.failed())
        return Shot();
    auto field = [&](QStringView key) { return required(o, key, where, errors); };
    auto name = [&](QStringView key) { return QStringLiteral("%1.%2").arg(where, key); };
    Shot shot;
    shot.id = readUuid(field(u"id"), name(u"id"), errors);
    shot.origin = readPoint(field(u"origin"), name(u"origin"), errors);
    shot.imageSize = readSize(field(u"imageSize"), name(u"imageSize"), errors);
    shot.rect = readRect(field(u"rect"), name(u"rect"), errors);
    return shot;
}

Item readItem(const QJsonValue &value, const QString &where, Errors &errors)
{
    const QJsonObject o = objectOf(value, where, errors);
    if (errors.failed())
        return Item();
    auto field = [&](QStringView key) { return required(o, key, where, errors); };
    auto name = [&](QStringView key) { return QStringLiteral("%1.%2").arg(where, key); };

    const QUuid id = readUuid(field(u"id"), name(u"id"), errors);
    const QString kindName = readString(field(u"kind"), name(u"kind"), errors);
    const auto kind = ItemKind::fromName(kindName);
    if (!errors.failed() && !kind)
        errors.fail(QStringLiteral("%1: unknown kind \"%2\"").arg(where, kindName));
    const int color = readInteger(field(u"color"), name(u"color"), errors);
    const int size = readInteger(field(u"size"), name(u"size"), errors);
    if (errors.failed())
        return Item();

    Item item(id, *kind, color, size);
    item.tail = readPoint(field(u"tail"), name(u"tail"), errors);
    item.head = readPoint(field(u"head"), name(u"head"), errors);
    item.flipped = readBool(field(u"flipped"), name(u"flipped"), errors);
    item.string = readString(field(u"string"), name(u"string"), errors);
    item.anchor = readPoint(field(u"anchor"), name(u"anchor"), errors);
    const QString sideName = readString(field(u"side"), name(u"side"), errors);
    const auto side = TextSide::fromName(sideName);
    if (!errors.failed() && !side)
        errors.fail(QStringLiteral("%1: unknown side \"%2\"").arg(where, sideName));
    item.side = side.value_or(TextSide::right);
    item.width = readNumber(field(u"width"), name(u"width"), errors);
    item.font = readString(field(u"font"), name(u"font"), errors);
    const QJsonValue arrow = o.value(u"arrowID");
    if (!arrow.isUndefined() && !arrow.isNull())
        item.arrowID = readUuid(arrow, name(u"arrowID"), errors);
    item.rect = readRect(field(u"rect"), name(u"rect"), errors);
    return item;
}

Markup readMarkup(const QJsonValue &value, Errors &errors)
{
    const QJsonObject o = objectOf(value, QStringLiteral("document"), errors);
    if (errors.failed())
        return Markup();
    const QString where = QStringLiteral("document");
    const double unit = readNumber(required(o, u"unit", where, errors), QStringLiteral("unit"),
                                   errors);
    const QJsonValue itemsValue = required(o, u"items", where, errors);
    if (!errors.failed() && !itemsValue.isArray())
        errors.fail(QStringLiteral("\"items\" is not an array"));
    if (errors.failed())
        return Markup();

    const QJsonArray itemArray = itemsValue.toArray();
    QList<Item> items;
    items.reserve(itemArray.size());
    for (qsizetype i = 0; i < itemArray.size() && !errors.failed(); ++i) {
        Item item = readItem(itemArray.at(i), QStringLiteral("items[%1]").arg(i), errors);
        item.color = std::clamp(item.color, 0, Item::colorCount - 1);
        item.size = std::clamp(item.size, 0, int(Item::sizeScales.size()) - 1);
        items.append(item);
    }
    if (errors.failed())
        return Markup();

    const QJsonValue shotsValue = o.value(u"shots");
    if (!shotsValue.isUndefined() && !shotsValue.isNull()) {
        if (!shotsValue.isArray()) {
            errors.fail(QStringLiteral("\"shots\" is not an array"));
            return Markup();
        }
        const QJsonArray shotArray = shotsValue.toArray();
        QList<Shot> shots;
        shots.reserve(shotArray.size());
        for (qsizetype i = 0; i < shotArray.size() && !errors.failed(); ++i)
            shots.append(readShot(shotArray.at(i), QStringLiteral("shots[%1]").arg(i), errors));
        return errors.failed() ? Markup() : Markup(shots, unit, items);
    }

    // The older form: one shot, described by its rect and picture size.
    const QRectF rect = readRect(required(o, u"shot", where, errors), QStringLiteral("shot"),
                                 errors);
    const QSizeF imageSize = readSize(required(o, u"imageSize", where, errors),
                                      QStringLiteral("imageSize"), errors);
    if (errors.failed())
        return Markup();
    return Markup::single(rect, imageSize, unit, items);
}

template<typename T, typename Reader>
std::optional<T> readValue(const QJsonValue &value, QString *error, Reader reader)
{
    Errors errors;
    T result = reader(value, errors);
    report(errors, error);
    if (errors.failed())
        return std::nullopt;
    return result;
}

template<typename T, typename Writer>
std::optional<QJsonObject> writeValue(const T &value, QString *error, Writer writer)
{
    Errors errors;
    QJsonObject o = writer(value, errors);
    report(errors, error);
    if (errors.failed())
        return std::nullopt;
    return o;
}

} // namespace

std::optional<QJsonObject> toJson(const Markup &markup, QString *error)
{
    return writeValue(markup, error, writeMarkup);
}

std::optional<QJsonObject> toJson(const Shot &shot, QString *error)
{
    return writeValue(shot, error, writeShot);
}

std::optional<QJsonObject> toJson(const Item &item, QString *error)
{
    return writeValue(item, error, writeItem);
}

std::optional<QByteArray> encode(const Markup &markup, QString *error)
{
    const auto object = toJson(markup, error);
    if (!object)
        return std::nullopt;
    return QJsonDocument(*object).toJson(QJsonDocument::Compact);
}

std::optional<Markup> markupFrom(const QJsonValue &value, QString *error)
{
    return readValue<Markup>(value, error, readMarkup);
}

std::optional<Shot> shotFrom(const QJsonValue &value, QString *error)
{
    return readValue<Shot>(value, error, [](const QJsonValue &v, Errors &errors) {
        return readShot(v, QStringLiteral("shot"), errors);
    });
}

std::optional<Item> itemFrom(const QJsonValue &value, QString *error)
{
    return readValue<Item>(value, error, [](const QJsonValue &v, Errors &errors) {
        return readItem(v, QStringLiteral("item"), errors);
    });
}

std::optional<Markup> decode(const QByteArray &json, QString *error)
{
    QJsonParseError parse;
    const QJsonDocument document = QJsonDocument::fromJson(json, &parse);
    if (parse.error != QJsonParseError::NoError) {
        if (error)
            *error = QStringLiteral("not JSON: %1 at offset %2")
                         .arg(parse.errorString())
                         .arg(parse.offset);
        return std::nullopt;
    }
    if (!document.isObject()) {
        if (error)
            *error = QStringLiteral("document is not an object");
        return std::nullopt;
    }
    return markupFrom(document.object(), error);
}

} // namespace MarkupJson
