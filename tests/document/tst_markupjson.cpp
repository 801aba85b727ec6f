#include "document/MarkupJson.h"
#include "document/Plane.h"

#include "TestEnv.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QRandomGenerator>

#include <cmath>
#include <limits>

namespace {

const char *kItem = R"({"id":"9A1B2C3D-4E5F-4A6B-8C7D-0E1F2A3B4C5D","kind":"text","color":1,
  "size":2,"tail":[0,0],"head":[0,0],"flipped":false,"string":"hi","anchor":[5,6],
  "side":"left","width":100,"font":"Menlo-Bold","rect":[[0,0],[0,0]]})";

QJsonObject itemObject()
{
    return QJsonDocument::fromJson(kItem).object();
}

QJsonObject shotObject()
{
    return QJsonDocument::fromJson(R"({"id":"0F0E0D0C-0B0A-4908-8706-050403020100",
        "origin":[1,2],"imageSize":[300,200],"rect":[[1,2],[300,200]]})")
        .object();
}

QJsonObject documentWith(const QJsonObject &item)
{
    return QJsonObject{{"shots", QJsonArray{shotObject()}}, {"unit", 1.5},
                       {"items", QJsonArray{item}}};
}

QJsonObject olderForm()
{
    return QJsonObject{{"shot", QJsonArray{QJsonArray{0, 0}, QJsonArray{300, 200}}},
                       {"imageSize", QJsonArray{300, 200}},
                       {"unit", 1},
                       {"items", QJsonArray{itemObject()}}};
}

double randomNumber(QRandomGenerator &rng)
{
    switch (rng.bounded(5)) {
    case 0: return 0;
    case 1: return double(rng.bounded(-2000, 2000));
    case 2: return (rng.generateDouble() - 0.5) * 4000;
    case 3: return (rng.generateDouble() - 0.5) * std::pow(10.0, rng.bounded(-300, 300));
    default: return std::numeric_limits<double>::denorm_min() * rng.bounded(1, 100);
    }
}

QPointF randomPoint(QRandomGenerator &rng)
{
    return QPointF(randomNumber(rng), randomNumber(rng));
}

QRectF randomRect(QRandomGenerator &rng)
{
    return QRectF(randomPoint(rng), QSizeF(randomNumber(rng), randomNumber(rng)));
}

QString randomText(QRandomGenerator &rng)
{
    static const QString pieces[] = {"", "a", "Grüße", "\"quoted\"", "line\nbreak", "\\",
                                     QString::fromUtf8("\xF0\x9F\x98\x80"), "\t", "日本語",
                                     QString(QChar(1)) + QChar(0x1f) + QChar(0x7f)};
    QString text;
    for (int i = int(rng.bounded(4)); i > 0; --i)
        text += pieces[rng.bounded(int(std::size(pieces)))];
    return text;
}

Markup randomMarkup(QRandomGenerator &rng)
{
    Markup m;
    m.unit = randomNumber(rng);
    for (int i = int(rng.bounded(4)); i > 0; --i)
        m.shots.append(Shot(QUuid::createUuid(), randomPoint(rng),
                            QSizeF(randomNumber(rng), randomNumber(rng)), randomRect(rng)));
    for (int i = int(rng.bounded(12)); i > 0; --i) {
        Item it(QUuid::createUuid(), ItemKind::all[rng.bounded(4)], int(rng.bounded(6)),
                int(rng.bounded(4)));
        it.tail = randomPoint(rng);
        it.head = randomPoint(rng);
        it.flipped = rng.bounded(2) == 1;
        it.string = randomText(rng);
        it.anchor = randomPoint(rng);
        it.side = TextSide::all[rng.bounded(5)];
        it.width = randomNumber(rng);
        it.font = randomText(rng);
        if (rng.bounded(2))
            it.arrowID = QUuid::createUuid();
        it.rect = randomRect(rng);
        m.items.append(it);
    }
    return m;
}

} // namespace

class TestMarkupJson : public QObject
{
    Q_OBJECT
private slots:
    void indicesAreClampedByTheDocumentReaderOnly()
    {
        QJsonObject item = itemObject();
        item["color"] = 9;
        item["size"] = -1;
        const auto alone = MarkupJson::itemFrom(item);
        QVERIFY(alone);
        QCOMPARE(alone->color, 9);
        QCOMPARE(alone->size, -1);

        const auto document = MarkupJson::markupFrom(documentWith(item));
        QVERIFY(document);
        QCOMPARE(document->items[0].color, 5);
        QCOMPARE(document->items[0].size, 0);
    }

    // A text longer than the app lets anyone type is read up to that length, never splitting a
    // surrogate pair.
    void overlongTextsAreCut_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<qsizetype>("kept");
        QTest::newRow("at the limit") << QString(Item::longestString, QLatin1Char('x')) << Item::longestString;
        QTest::newRow("5 MB") << QString(5 << 20, QLatin1Char('x')) << Item::longestString;
        QTest::newRow("pair across the limit")
            << QString(Item::longestString - 1, QLatin1Char('x')) + QStringLiteral("\U0001F600") << Item::longestString - 1;
    }
    void overlongTextsAreCut()
    {
        QFETCH(QString, text);
        QFETCH(qsizetype, kept);
        QJsonObject item = itemObject();
        item["string"] = text;
        const auto document = MarkupJson::markupFrom(documentWith(item));
        QVERIFY(document);
        QCOMPARE(document->items[0].string, text.left(kept));
    }

    void readsEveryField()
    {
        QJsonObject item = itemObject();
        item["id"] = "9a1b2c3d-4e5f-4a6b-8c7d-0e1f2a3b4c5d"; // lower case is read too
        item["arrowID"] = "0F0E0D0C-0B0A-4908-8706-050403020100";
        const auto it = MarkupJson::itemFrom(item);
        QVERIFY(it);
        QCOMPARE(it->id, QUuid::fromString(QStringLiteral("9A1B2C3D-4E5F-4A6B-8C7D-0E1F2A3B4C5D")));
        QCOMPARE(it->kind, ItemKind::text);
        QCOMPARE(it->string, QStringLiteral("hi"));
        QVERIFY(Plane::same(it->anchor, QPointF(5, 6)));
        QCOMPARE(it->side, TextSide::left);
        QCOMPARE(it->width, 100.0);
        QCOMPARE(it->font, QStringLiteral("Menlo-Bold"));
        QCOMPARE(it->arrowID, QUuid::fromString(QStringLiteral("0F0E0D0C-0B0A-4908-8706-050403020100")));

        const auto shot = MarkupJson::shotFrom(shotObject());
        QVERIFY(shot);
        QVERIFY(Plane::same(shot->origin, QPointF(1, 2)));
        QVERIFY(Plane::same(shot->rect, QRectF(1, 2, 300, 200)));
    }

    void writesUpperCaseUuidsAndNoArrowIdWithoutALink()
    {
        for (const QJsonValue arrow : {QJsonValue(QJsonValue::Undefined), QJsonValue(QJsonValue::Null)}) {
            QJsonObject item = itemObject();
            item["id"] = "9a1b2c3d-4e5f-4a6b-8c7d-0e1f2a3b4c5d";
            if (!arrow.isUndefined())
                item["arrowID"] = arrow;
            const auto it = MarkupJson::itemFrom(item);
            QVERIFY(it);
            QVERIFY(!it->arrowID);
            const QJsonObject written = *MarkupJson::toJson(*it);
            QVERIFY(!written.contains("arrowID"));
            QCOMPARE(written["id"].toString(), QStringLiteral("9A1B2C3D-4E5F-4A6B-8C7D-0E1F2A3B4C5D"));
            QCOMPARE(written.size(), 13);
        }
        Item linked = *MarkupJson::itemFrom(itemObject());
        linked.arrowID = QUuid::fromString(QStringLiteral("abcdefab-0000-4000-8000-00000000000a"));
        QCOMPARE(MarkupJson::toJson(linked)->value("arrowID").toString(),
                 QStringLiteral("ABCDEFAB-0000-4000-8000-00000000000A"));
    }

    void olderFormGivesOneShotAtTheOrigin()
    {
        const QByteArray text = QJsonDocument(olderForm()).toJson();
        const auto first = MarkupJson::decode(text);
        const auto second = MarkupJson::decode(text);
        QVERIFY(first && second);
        QCOMPARE(first->shots.size(), 1);
        QVERIFY(Plane::same(first->shots[0].origin, QPointF(0, 0)));
        QVERIFY(Plane::same(first->shots[0].imageSize, QSizeF(300, 200)));
        QVERIFY(Plane::same(first->shots[0].rect, QRectF(0, 0, 300, 200)));
        QVERIFY(first->shots[0].id != second->shots[0].id); // a fresh id on each read

        const QJsonObject written =
            QJsonDocument::fromJson(*MarkupJson::encode(*first)).object();
        QVERIFY(written.contains("shots"));
        QVERIFY(!written.contains("shot"));
        QVERIFY(!written.contains("imageSize"));

        QJsonObject nullShots = olderForm();
        nullShots["shots"] = QJsonValue::Null;
        QCOMPARE(MarkupJson::markupFrom(nullShots)->shots.size(), 1);

        QJsonObject emptyShots = olderForm();
        emptyShots["shots"] = QJsonArray();
        const auto none = MarkupJson::markupFrom(emptyShots);
        QVERIFY(none);
        QVERIFY(none->shots.isEmpty());
    }

    void writesKeysInTheirOrder()
    {
        Markup m = *MarkupJson::markupFrom(documentWith(itemObject()));
        m.items[0].arrowID = QUuid::createUuid();
        const QByteArray json = *MarkupJson::encode(m);
        const QList<QByteArray> keys = {"shots", "id", "origin", "imageSize", "rect", "unit",
                                        "items", "id", "kind", "color", "size", "tail", "head",
                                        "flipped", "string", "anchor", "side", "width", "font",
                                        "arrowID", "rect"};
        qsizetype at = 0;
        for (const QByteArray &key : keys) {
            const qsizetype next = json.indexOf('"' + key + "\":", at);
            QVERIFY2(next > at || (at == 0 && next >= 0), key.constData());
            at = next;
        }
        QVERIFY(!json.contains("\"shot\":"));
    }

    void errorsNameThePlace()
    {
        QJsonObject item = itemObject();
        item.remove("font");
        QJsonObject doc = documentWith(itemObject());
        doc["items"] = QJsonArray{itemObject(), item};
        QString error;
        QVERIFY(!MarkupJson::markupFrom(doc, &error));
        QCOMPARE(error, QStringLiteral("items[1].font: missing"));
        QVERIFY(!MarkupJson::itemFrom(item, &error));
        QCOMPARE(error, QStringLiteral("item.font: missing"));
    }

    void unknownKeysAreIgnored()
    {
        QJsonObject item = itemObject();
        item["future"] = QJsonArray{1, 2};
        QJsonObject shot = shotObject();
        shot["tint"] = "blue";
        QJsonObject doc = documentWith(item);
        doc["shots"] = QJsonArray{shot};
        doc["version"] = 7;
        const auto m = MarkupJson::markupFrom(doc);
        QVERIFY(m);
        QCOMPARE(m->items.size(), 1);
        QCOMPARE(m->shots.size(), 1);
    }

    void malformedInputFails_data()
    {
        QTest::addColumn<QByteArray>("json");
        auto doc = [](const std::function<void(QJsonObject &)> &change) {
            QJsonObject o = documentWith(itemObject());
            change(o);
            return QJsonDocument(o).toJson();
        };
        auto withItem = [&](const std::function<void(QJsonObject &)> &change) {
            return doc([&](QJsonObject &o) {
                QJsonObject item = itemObject();
                change(item);
                o["items"] = QJsonArray{itemObject(), item};
            });
        };
        auto withShot = [&](const std::function<void(QJsonObject &)> &change) {
            return doc([&](QJsonObject &o) {
                QJsonObject shot = shotObject();
                change(shot);
                o["shots"] = QJsonArray{shotObject(), shot};
            });
        };
        QTest::newRow("not JSON") << QByteArray("{\"unit\": 1,");
        QTest::newRow("top level is an array") << QByteArray("[]");
        QTest::newRow("no unit") << doc([](QJsonObject &o) { o.remove("unit"); });
        QTest::newRow("null unit") << doc([](QJsonObject &o) { o["unit"] = QJsonValue::Null; });
        QTest::newRow("unit is text") << doc([](QJsonObject &o) { o["unit"] = "1"; });
        QTest::newRow("no items") << doc([](QJsonObject &o) { o.remove("items"); });
        QTest::newRow("items is an object") << doc([](QJsonObject &o) { o["items"] = QJsonObject(); });
        QTest::newRow("shots is a number") << doc([](QJsonObject &o) { o["shots"] = 3; });
        QTest::newRow("older form without imageSize") << QJsonDocument([] {
            QJsonObject o = olderForm();
            o.remove("imageSize");
            return o;
        }()).toJson();
        QTest::newRow("older form without shot") << QJsonDocument([] {
            QJsonObject o = olderForm();
            o.remove("shot");
            return o;
        }()).toJson();
        QTest::newRow("item is a string") << doc([](QJsonObject &o) { o["items"] = QJsonArray{"x"}; });
        QTest::newRow("item without font") << withItem([](QJsonObject &i) { i.remove("font"); });
        QTest::newRow("item without rect") << withItem([](QJsonObject &i) { i.remove("rect"); });
        QTest::newRow("colour 1.5") << withItem([](QJsonObject &i) { i["color"] = 1.5; });
        QTest::newRow("colour as text") << withItem([](QJsonObject &i) { i["color"] = "1"; });
        QTest::newRow("size 1e30") << withItem([](QJsonObject &i) { i["size"] = 1e30; });
        QTest::newRow("flipped as 0") << withItem([](QJsonObject &i) { i["flipped"] = 0; });
        QTest::newRow("unknown kind") << withItem([](QJsonObject &i) { i["kind"] = "circle"; });
        QTest::newRow("kind in capitals") << withItem([](QJsonObject &i) { i["kind"] = "Arrow"; });
        QTest::newRow("unknown side") << withItem([](QJsonObject &i) { i["side"] = "middle"; });
        QTest::newRow("short UUID") << withItem([](QJsonObject &i) { i["id"] = "9A1B2C3D-4E5F"; });
        QTest::newRow("UUID in braces") << withItem([](QJsonObject &i) {
            i["id"] = "{9A1B2C3D-4E5F-4A6B-8C7D-0E1F2A3B4C5D}";
        });
        QTest::newRow("UUID with a non-hex digit") << withItem([](QJsonObject &i) {
            i["id"] = "9A1B2C3D-4E5F-4A6B-8C7D-0E1F2A3B4C5G";
        });
        QTest::newRow("malformed arrowID") << withItem([](QJsonObject &i) { i["arrowID"] = "none"; });
        QTest::newRow("point with one number") << withItem([](QJsonObject &i) { i["tail"] = QJsonArray{1}; });
        QTest::newRow("point with a string") << withItem([](QJsonObject &i) { i["head"] = QJsonArray{1, "2"}; });
        QTest::newRow("rect as four numbers") << withItem([](QJsonObject &i) {
            i["rect"] = QJsonArray{0, 0, 1, 1};
        });
        QTest::newRow("shot without rect") << withShot([](QJsonObject &s) { s.remove("rect"); });
        QTest::newRow("shot with a bad id") << withShot([](QJsonObject &s) { s["id"] = 12; });
    }
    void malformedInputFails()
    {
        QFETCH(QByteArray, json);
        QString error;
        QVERIFY(!MarkupJson::decode(json, &error));
        QVERIFY(!error.isEmpty());
    }

    void nonFiniteNumbersFailTheWrite_data()
    {
        QTest::addColumn<int>("where");
        for (int i = 0; i < 6; ++i)
            QTest::newRow(qPrintable(QString::number(i))) << i;
    }
    void nonFiniteNumbersFailTheWrite()
    {
        QFETCH(int, where);
        Markup m = *MarkupJson::markupFrom(documentWith(itemObject()));
        const double nan = std::numeric_limits<double>::quiet_NaN();
        const double inf = std::numeric_limits<double>::infinity();
        switch (where) {
        case 0: m.unit = nan; break;
        case 1: m.items[0].tail.setX(inf); break;
        case 2: m.items[0].width = -inf; break;
        case 3: m.items[0].rect.setHeight(nan); break;
        case 4: m.shots[0].origin.setY(nan); break;
        case 5: m.shots[0].imageSize.setWidth(inf); break;
        }
        QString error;
        QVERIFY(!MarkupJson::encode(m, &error));
        QVERIFY2(error.contains("not a finite number"), qPrintable(error));
        QVERIFY(!MarkupJson::toJson(m, &error));
        QVERIFY2(error.contains("not a finite number"), qPrintable(error));
    }

    void randomDocumentsRoundTrip()
    {
        QRandomGenerator rng(20261210);
        for (int i = 0; i < 400; ++i) {
            const Markup m = randomMarkup(rng);
            QString error;
            const auto json = MarkupJson::encode(m, &error);
            QVERIFY2(json, qPrintable(error));
            const auto back = MarkupJson::decode(*json, &error);
            QVERIFY2(back, qPrintable(error));
            QVERIFY2(*back == m, json->constData());
            // The object form (for embedding in other files) says the same.
            QCOMPARE(*MarkupJson::markupFrom(*MarkupJson::toJson(m)), m);
        }
    }
};

QUILLET_TEST_MAIN_CORE(TestMarkupJson)
#include "tst_markupjson.moc"
