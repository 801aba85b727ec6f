#include "MarkupJson.h"

#include "MarkupJsonText.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonParseError>

#include <cmath>
#include <limits>

namespace MarkupJson {
namespace {

// The first failure of a read or a write, with the place it happened. The place is put into
// words only when something fails.
struct Errors {
    QString message;
    const char *object = "document"; // what is read or written when not in a list
    const char *list = nullptr; // "items" or "shots" while reading their elements
    qsizetype index = -1;

    bool failed() const { return !message.isEmpty(); }
    void fail(const char *key, const QString &problem)
    {
        if (failed())
            return;
        QString where = list ? QStringLiteral("%1[%2]").arg(QLatin1StringView(list)).arg(index)
                             : QString::fromLatin1(object);
        if (key)
            where += u'.' + QLatin1StringView(key);
        message = QStringLiteral("%1: %2").arg(where, problem);
    }
};

void report(const Errors &errors, QString *error)
{
    if (error)
        *error = errors.message;
}

// --- Writing objects

QJsonValue number(double v, const char *key, Errors &errors)
{
    if (!std::isfinite(v))
        errors.fail(key, QStringLiteral("not a finite number"));
    return v;
}

QJsonArray pair(double a, double b, const char *key, Errors &errors)
{
    return {number(a, key, errors), number(b, key, errors)};
}

QJsonArray rect(const QRectF &r, const char *key, Errors &errors)
{
    return {pair(r.x(), r.y(), key, errors), pair(r.width(), r.height(), key, errors)};
}

QJsonObject writeShot(const Shot &shot, Errors &errors)
{
    QJsonObject o;
    o.insert(u"id", uuidText(shot.id));
    o.insert(u"origin", pair(shot.origin.x(), shot.origin.y(), "origin", errors));
    o.insert(u"imageSize", pair(shot.imageSize.width(), shot.imageSize.height(), "imageSize", errors));
    o.insert(u"rect", rect(shot.rect, "rect", errors));
    return o;
}

QJsonObject writeItem(const Item &item, Errors &errors)
{
    QJsonObject o;
    o.insert(u"id", uuidText(item.id));
    o.insert(u"kind", item.kind.name());
    o.insert(u"color", item.color);
    o.insert(u"size", item.size);
    o.insert(u"tail", pair(item.tail.x(), item.tail.y(), "tail", errors));
    o.insert(u"head", pair(item.head.x(), item.head.y(), "head", errors));
    o.insert(u"flipped", item.flipped);
    o.insert(u"string", item.string);
    o.insert(u"anchor", pair(item.anchor.x(), item.anchor.y(), "anchor", errors));
    o.insert(u"side", item.side.name());
    o.insert(u"width", number(item.width, "width", errors));
    o.insert(u"font", item.font);
    if (item.arrowID)
        o.insert(u"arrowID", uuidText(*item.arrowID));
    o.insert(u"rect", rect(item.rect, "rect", errors));
    return o;
}

QJsonObject writeMarkup(const Markup &markup, Errors &errors)
{
    QJsonArray shots;
    errors.list = "shots";
    for (errors.index = 0; errors.index < markup.shots.size(); ++errors.index)
        shots.append(writeShot(markup.shots.at(errors.index), errors));
    QJsonArray items;
    errors.list = "items";
    for (errors.index = 0; errors.index < markup.items.size(); ++errors.index)
        items.append(writeItem(markup.items.at(errors.index), errors));
    errors.list = nullptr;
    QJsonObject o;
    o.insert(u"shots", shots);
    o.insert(u"unit", number(markup.unit, "unit", errors));
    o.insert(u"items", items);
    return o;
}

// --- Reading. After a failure a reader returns a default value; callers check errors.

QJsonValue required(const QJsonObject &o, const char *key, Errors &errors)
{
    const QJsonValue v = o.value(QLatin1StringView(key));
    if (v.isUndefined() || v.isNull())
        errors.fail(key, QStringLiteral("missing"));
    return v;
}

double readNumber(const QJsonValue &v, const char *key, Errors &errors)
{
    if (!v.isDouble()) {
        errors.fail(key, QStringLiteral("not a number"));
        return 0;
    }
    return v.toDouble();
}

int readInteger(const QJsonValue &v, const char *key, Errors &errors)
{
    // A JSON number stands for an integer when it is whole and within a 64-bit integer's range;
    // beyond the range of int it is held at int's limit (indices are clamped later anyway).
    const double d = v.toDouble();
    if (!v.isDouble() || !std::isfinite(d) || std::trunc(d) != d || d < -9.223372036854775808e18
        || d >= 9.223372036854775808e18) {
        errors.fail(key, QStringLiteral("not an integer"));
        return 0;
    }
    return int(std::clamp(d, double(std::numeric_limits<int>::min()),
                          double(std::numeric_limits<int>::max())));
}

QString readString(const QJsonValue &v, const char *key, Errors &errors)
{
    if (!v.isString())
        errors.fail(key, QStringLiteral("not a string"));
    return v.toString();
}

bool readBool(const QJsonValue &v, const char *key, Errors &errors)
{
    if (!v.isBool())
        errors.fail(key, QStringLiteral("not true or false"));
    return v.toBool();
}

std::pair<double, double> readPair(const QJsonValue &v, const char *key, Errors &errors)
{
    const QJsonArray a = v.toArray();
    if (!v.isArray() || a.size() != 2) {
        errors.fail(key, QStringLiteral("not an array of two numbers"));
        return {0, 0};
    }
    return {readNumber(a.at(0), key, errors), readNumber(a.at(1), key, errors)};
}

QPointF readPoint(const QJsonValue &v, const char *key, Errors &errors)
{
    const auto [x, y] = readPair(v, key, errors);
    return QPointF(x, y);
}

QSizeF readSize(const QJsonValue &v, const char *key, Errors &errors)
{
    const auto [w, h] = readPair(v, key, errors);
    return QSizeF(w, h);
}

QRectF readRect(const QJsonValue &v, const char *key, Errors &errors)
{
    const QJsonArray a = v.toArray();
    if (!v.isArray() || a.size() != 2) {
        errors.fail(key, QStringLiteral("not a rectangle ([[x, y], [width, height]])"));
        return QRectF();
    }
    return QRectF(readPoint(a.at(0), key, errors), readSize(a.at(1), key, errors));
}

bool isUuidText(QStringView text)
{
    if (text.size() != 36)
        return false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text.at(i).unicode();
        const bool hyphen = i == 8 || i == 13 || i == 18 || i == 23;
        const bool hex = (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f')
            || (c >= u'A' && c <= u'F');
        if (hyphen ? c != u'-' : !hex)
            return false;
    }
    return true;
}

QUuid readUuid(const QJsonValue &v, const char *key, Errors &errors)
{
    const QString text = readString(v, key, errors);
    if (errors.failed())
        return QUuid();
    if (!isUuidText(text)) {
        errors.fail(key, QStringLiteral("not a UUID"));
        return QUuid();
    }
    return QUuid::fromString(text);
}

QJsonObject objectOf(const QJsonValue &v, Errors &errors)
{
    if (!v.isObject())
        errors.fail(nullptr, QStringLiteral("not an object"));
    return v.toObject();
}

Shot readShot(const QJsonValue &value, Errors &errors)
{
    const QJsonObject o = objectOf(value, errors);
    if (errors.failed())
        return Shot();
    Shot shot;
    shot.id = readUuid(required(o, "id", errors), "id", errors);
    shot.origin = readPoint(required(o, "origin", errors), "origin", errors);
    shot.imageSize = readSize(required(o, "imageSize", errors), "imageSize", errors);
    shot.rect = readRect(required(o, "rect", errors), "rect", errors);
    return shot;
}

template<typename Enum>
Enum readName(const QJsonValue &v, const char *key, Errors &errors)
{
    const QString name = readString(v, key, errors);
    const auto value = Enum::fromName(name);
    if (!value) {
        errors.fail(key, QStringLiteral("unknown name \"%1\"").arg(name));
        return Enum();
    }
    return *value;
}

Item readItem(const QJsonValue &value, Errors &errors)
{
    const QJsonObject o = objectOf(value, errors);
    if (errors.failed())
        return Item();
    auto field = [&](const char *key) { return required(o, key, errors); };

    const QUuid id = readUuid(field("id"), "id", errors);
    const ItemKind kind = readName<ItemKind>(field("kind"), "kind", errors);
    const int color = readInteger(field("color"), "color", errors);
    const int size = readInteger(field("size"), "size", errors);
    Item item(id, kind, color, size);
    item.tail = readPoint(field("tail"), "tail", errors);
    item.head = readPoint(field("head"), "head", errors);
    item.flipped = readBool(field("flipped"), "flipped", errors);
    // A longer text than the app lets anyone type is kept only up to that length.
    item.string = Item::cappedString(readString(field("string"), "string", errors));
    item.anchor = readPoint(field("anchor"), "anchor", errors);
    item.side = readName<TextSide>(field("side"), "side", errors);
    item.width = readNumber(field("width"), "width", errors);
    item.font = readString(field("font"), "font", errors);
    const QJsonValue arrow = o.value(QLatin1StringView("arrowID"));
    if (!arrow.isUndefined() && !arrow.isNull())
        item.arrowID = readUuid(arrow, "arrowID", errors);
    item.rect = readRect(field("rect"), "rect", errors);
    return item;
}

Markup readMarkup(const QJsonValue &value, Errors &errors)
{
    const QJsonObject o = objectOf(value, errors);
    if (errors.failed())
        return Markup();
    const double unit = readNumber(required(o, "unit", errors), "unit", errors);
    const QJsonValue itemsValue = required(o, "items", errors);
    if (!errors.failed() && !itemsValue.isArray())
        errors.fail("items", QStringLiteral("not an array"));
    if (errors.failed())
        return Markup();

    const QJsonArray itemArray = itemsValue.toArray();
    ItemList items;
    items.reserve(itemArray.size());
    errors.list = "items";
    for (errors.index = 0; errors.index < itemArray.size() && !errors.failed(); ++errors.index) {
        Item item = readItem(itemArray.at(errors.index), errors);
        item.color = std::clamp(item.color, 0, Item::colorCount - 1);
        item.size = std::clamp(item.size, 0, int(Item::sizeScales.size()) - 1);
        items.append(item);
    }
    if (errors.failed())
        return Markup();
    errors.list = nullptr;

    const QJsonValue shotsValue = o.value(QLatin1StringView("shots"));
    if (!shotsValue.isUndefined() && !shotsValue.isNull()) {
        if (!shotsValue.isArray()) {
            errors.fail("shots", QStringLiteral("not an array"));
            return Markup();
        }
        const QJsonArray shotArray = shotsValue.toArray();
        QList<Shot> shots;
        shots.reserve(shotArray.size());
        errors.list = "shots";
        for (errors.index = 0; errors.index < shotArray.size() && !errors.failed(); ++errors.index)
            shots.append(readShot(shotArray.at(errors.index), errors));
        return errors.failed() ? Markup() : Markup(shots, unit, items);
    }

    // The older form: one shot, described by its rect and picture size.
    const QRectF rect = readRect(required(o, "shot", errors), "shot", errors);
    const QSizeF imageSize = readSize(required(o, "imageSize", errors), "imageSize", errors);
    if (errors.failed())
        return Markup();
    return Markup::single(rect, imageSize, unit, items);
}

template<typename T, typename Reader>
std::optional<T> readValue(const QJsonValue &value, const char *object, QString *error,
                           Reader reader)
{
    Errors errors;
    errors.object = object;
    T result = reader(value, errors);
    report(errors, error);
    if (errors.failed())
        return std::nullopt;
    return result;
}

template<typename T, typename Writer>
std::optional<QJsonObject> writeValue(const T &value, const char *object, QString *error,
                                      Writer writer)
{
    Errors errors;
    errors.object = object;
    QJsonObject o = writer(value, errors);
    report(errors, error);
    if (errors.failed())
        return std::nullopt;
    return o;
}

} // namespace

QString uuidText(const QUuid &id)
{
    return id.toString(QUuid::WithoutBraces).toUpper();
}

std::optional<QJsonObject> toJson(const Markup &markup, QString *error)
{
    return writeValue(markup, "document", error, writeMarkup);
}

std::optional<QJsonObject> toJson(const Shot &shot, QString *error)
{
    return writeValue(shot, "shot", error, writeShot);
}

std::optional<QJsonObject> toJson(const Item &item, QString *error)
{
    return writeValue(item, "item", error, writeItem);
}

std::optional<Markup> markupFrom(const QJsonValue &value, QString *error)
{
    return readValue<Markup>(value, "document", error, readMarkup);
}

std::optional<Shot> shotFrom(const QJsonValue &value, QString *error)
{
    return readValue<Shot>(value, "shot", error, readShot);
}

std::optional<Item> itemFrom(const QJsonValue &value, QString *error)
{
    return readValue<Item>(value, "item", error, readItem);
}

std::optional<QByteArray> encode(const Markup &markup, QString *error)
{
    return MarkupJsonText::write(markup, error);
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
            *error = QStringLiteral("document: not an object");
        return std::nullopt;
    }
    return markupFrom(document.object(), error);
}

} // namespace MarkupJson
