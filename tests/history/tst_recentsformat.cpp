#include "PageMaker.h"
#include "TestEnv.h"
#include "app/ActivityLog.h"
#include "history/RecentsSaved.h"

#include <QRegularExpression>

using namespace PageMaker;

class RecentsFormat : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        Recents::setFolderOverride(QString());
        QDir(Recents::folder()).removeRecursively();
    }

    void folderFollowsDataHomeAndOverride()
    {
        QCOMPARE(Recents::folder(), QString::fromLocal8Bit(qgetenv("XDG_DATA_HOME")) + "/Vellum/History");
        QVERIFY(!QFileInfo::exists(Recents::folder())); // nothing is created
        Recents::setFolderOverride(TestEnv::home() + "/elsewhere/H");
        QCOMPARE(Recents::folder(), TestEnv::home() + "/elsewhere/H");
        Recents::setFolderOverride(QString());
    }

    void newNameIsTimeStampAndSuffix()
    {
        const QString before = QDateTime::currentDateTime().toString("yyyyMMdd-HHmmss");
        const QString name = Recents::newName();
        const QString after = QDateTime::currentDateTime().toString("yyyyMMdd-HHmmss");
        QVERIFY2(QRegularExpression("^\\d{8}-\\d{6}-[0-9A-F]{4}$").match(name).hasMatch(), qPrintable(name));
        QVERIFY(name.left(15) >= before && name.left(15) <= after);
    }

    // Two pages saved in the same second must never draw the same folder. 3000 draws within a
    // second or two of 65536 suffixes would repeat a name almost surely without the redraw.
    void newNameNeverRepeats()
    {
        QSet<QString> names;
        for (int i = 0; i < 3000; ++i) {
            const QString name = Recents::newName();
            QVERIFY2(!names.contains(name), qPrintable(name));
            names.insert(name);
        }
    }

    void thumbnail_data()
    {
        QTest::addColumn<QSize>("picture");
        QTest::addColumn<QSize>("thumb");
        QTest::newRow("wide, cut at both sides") << QSize(200, 50) << QSize(216, 108);
        QTest::newRow("tall") << QSize(100, 400) << QSize(27, 108);
        QTest::newRow("very tall, at least 1 px") << QSize(1, 4000) << QSize(1, 108);
        QTest::newRow("4K") << QSize(3840, 2160) << QSize(192, 108);
    }
    void thumbnail()
    {
        QFETCH(QSize, picture);
        QFETCH(QSize, thumb);
        QImage source = PageMaker::picture(picture.width(), picture.height(), Qt::transparent);
        const QImage t = Recents::thumbnail(source);
        QCOMPARE(t.size(), thumb);
        QVERIFY(t.format() == QImage::Format_ARGB32_Premultiplied);
        // Drawn on opaque white.
        QCOMPARE(t.pixel(0, 0), qRgba(255, 255, 255, 255));
    }

    void thumbnailCentresTheCut()
    {
        // Left half red, right half blue: the 216 px cut of a 432 px wide drawing shows both.
        QImage source(200, 50, QImage::Format_RGB32);
        source.fill(Qt::red);
        for (int y = 0; y < 50; ++y)
            for (int x = 100; x < 200; ++x)
                source.setPixel(x, y, qRgb(0, 0, 255));
        const QImage t = Recents::thumbnail(source);
        QCOMPARE(QColor(t.pixel(10, 50)).red(), 255);
        QCOMPARE(QColor(t.pixel(205, 50)).blue(), 255);
        QVERIFY(Recents::thumbnail(QImage()).isNull());
    }

    void railPicture_data()
    {
        QTest::addColumn<QSize>("picture");
        QTest::addColumn<QSize>("rail");
        QTest::newRow("wide") << QSize(1440, 900) << QSize(720, 450);
        QTest::newRow("exactly 720") << QSize(720, 333) << QSize(720, 333);
        QTest::newRow("721") << QSize(721, 100) << QSize(720, 100);
        QTest::newRow("half rounds up") << QSize(1440, 3) << QSize(720, 2);
        QTest::newRow("thin, at least 1") << QSize(10000, 1) << QSize(720, 1);
    }
    void railPicture()
    {
        QFETCH(QSize, picture);
        QFETCH(QSize, rail);
        const QImage source = PageMaker::picture(picture.width(), picture.height());
        const QImage r = Recents::railPicture(source);
        QCOMPARE(r.size(), rail);
        if (picture.width() <= 720)
            QVERIFY(r.constBits() == source.constBits()); // the picture itself
    }

    void savedRoundTrip()
    {
        Recents::Saved saved;
        saved.markup = page(QList<QSize>{{40, 30}, {20, 20}}).markup;
        saved.pixelScale = 2;
        saved.scales = QHash<QString, double>{{Recents::uuidText(saved.markup.shots[0].id), 2},
                                              {Recents::uuidText(saved.markup.shots[1].id), 1.5}};
        saved.created = QDateTime::fromMSecsSinceEpoch(1700000000123, Qt::UTC);
        saved.group = "G";
        saved.order = 3;
        const auto json = saved.encode();
        QVERIFY(json);
        const auto back = Recents::Saved::decode(*json);
        QVERIFY(back);
        QVERIFY(back->markup == saved.markup);
        QCOMPARE(back->scales, saved.scales);
        QCOMPARE(back->created, saved.created);
        QCOMPARE(back->group, saved.group);
        QCOMPARE(back->order, saved.order);

        // Absent optional values are left out, never written as null.
        saved.group.reset();
        saved.order.reset();
        saved.scales.reset();
        const QJsonObject o = QJsonDocument::fromJson(*saved.encode()).object();
        QVERIFY(!o.contains("group") && !o.contains("order") && !o.contains("scales"));
        // Seconds since 2001-01-01 UTC.
        QCOMPARE(o.value("created").toDouble(), 1700000000.123 - 978307200);
    }

    void savedDecodeRequirements_data()
    {
        QTest::addColumn<QString>("change");
        QTest::addColumn<bool>("readable");
        QTest::newRow("complete") << "" << true;
        QTest::newRow("no markup") << "-markup" << false;
        QTest::newRow("no pixelScale") << "-pixelScale" << false;
        QTest::newRow("no created") << "-created" << false;
        QTest::newRow("created a text") << "created=\"x\"" << false;
        QTest::newRow("created far out") << "created=1e300" << false;
        QTest::newRow("pixelScale a text") << "pixelScale=\"2\"" << false;
        QTest::newRow("group a number") << "group=5" << false;
        QTest::newRow("order a fraction") << "order=1.5" << false;
        QTest::newRow("scales not an object") << "scales=[1]" << false;
        QTest::newRow("a scale not a number") << "scales={\"A\":\"2\"}" << false;
        QTest::newRow("unknown key ignored") << "extra=[1,2]" << true;
        QTest::newRow("no optional keys") << "-group" << true;
    }
    void savedDecodeRequirements()
    {
        QFETCH(QString, change);
        QFETCH(bool, readable);
        Recents::Saved saved;
        saved.markup = page().markup;
        saved.created = QDateTime::currentDateTimeUtc();
        saved.group = "G";
        saved.order = 1;
        QJsonObject o = QJsonDocument::fromJson(*saved.encode()).object();
        if (change.startsWith('-')) {
            o.remove(change.mid(1));
        } else if (!change.isEmpty()) {
            const QString key = change.section('=', 0, 0);
            const QByteArray value = change.section('=', 1).toUtf8();
            o.insert(key, QJsonDocument::fromJson("[" + value + "]").array().at(0));
        }
        QString error;
        QCOMPARE(bool(Recents::Saved::decode(QJsonDocument(o).toJson(), &error)), readable);
        QCOMPARE(error.isEmpty(), readable);
        QVERIFY(!Recents::Saved::decode("not json"));
    }

    void listingFindsOnlyEntries()
    {
        QCOMPARE(Recents::list().size(), 0); // no folder yet
        const auto p = page();
        const auto a = Recents::save(p.markup, p.images, QImage(), {}, {}, {}, {}, true);
        QTest::qWait(20);
        const auto b = Recents::save(p.markup, p.images, QImage(), {}, {}, {}, {}, true);
        QVERIFY(a && b);
        const QString h = Recents::folder();
        QDir().mkpath(h + "/no-canvas");
        writeFile(h + "/stray.txt", "x");
        writeFile(h + "/canvas.json", "{}");
        QDir().mkpath(h + "/.hidden");
        writeFile(h + "/.hidden/canvas.json", readFile(entryPath(*a, "canvas.json")));
        QFile::link(entryPath(*a), h + "/link-to-entry");

        const QList<Recents::Entry> entries = Recents::list();
        QCOMPARE(entries.size(), 2);
        QCOMPARE(entries[0].id, *b); // newest first
        QCOMPARE(entries[1].id, *a);
        QCOMPARE(entries[1].folder, entryPath(*a));
        QCOMPARE(entries[1].date, QFileInfo(entryPath(*a, "canvas.json")).lastModified());

        // Each stray item is reported once, however often the folder is listed.
        Recents::list();
        const QString log = QString::fromUtf8(readFile(ActivityLog::logPath()));
        QCOMPARE(log.count("history: no-canvas in the history folder is not an entry"), 1);
        QCOMPARE(log.count("history: stray.txt"), 1);
        QCOMPARE(log.count("history: link-to-entry"), 1);
    }
};

QUILLET_TEST_MAIN(RecentsFormat)
#include "tst_recentsformat.moc"
