#include "PageMaker.h"
#include "TestEnv.h"
#include "app/ActivityLog.h"

#include <QSemaphore>
#include <QThread>

#include <thread>

using namespace PageMaker;

namespace {
QString save(const Page &p, const std::optional<QString> &group = {},
             std::optional<qint64> order = {}, const std::optional<QDateTime> &created = {})
{
    return *Recents::save(p.markup, p.images, QImage(), {}, group, order, created, true);
}

QString shotFile(const Shot &shot) { return "shot-" + Recents::uuidText(shot.id) + ".png"; }

QJsonObject canvas(const QString &id)
{
    return QJsonDocument::fromJson(readFile(entryPath(id, "canvas.json"))).object();
}

void writeCanvas(const QString &id, const QJsonObject &o)
{
    writeFile(entryPath(id, "canvas.json"), QJsonDocument(o).toJson());
}

int logCount(const QString &text)
{
    return QString::fromUtf8(readFile(ActivityLog::logPath())).count(text);
}
} // namespace

class RecentsRead : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        Recents::setFolderOverride(QString());
        Recents::removeAll();
    }

    void unreadableEntriesCountAsAbsent_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::newRow("no canvas.json") << "missing";
        QTest::newRow("not JSON") << "broken";
        QTest::newRow("no created") << "no-created";
        QTest::newRow("markup of the wrong type") << "bad-markup";
    }
    void unreadableEntriesCountAsAbsent()
    {
        QFETCH(QString, fault);
        const QString id = save(page(), QString("g"), 0);
        QJsonObject o = canvas(id);
        if (fault == "missing")
            QFile::remove(entryPath(id, "canvas.json"));
        else if (fault == "broken")
            writeFile(entryPath(id, "canvas.json"), "{\"markup\": ");
        else if (fault == "no-created")
            o.remove("created"), writeCanvas(id, o);
        else
            o.insert("markup", 3), writeCanvas(id, o);
        const QString other = save(page());

        QCOMPARE(Recents::load(id).has_value(), false);
        QCOMPARE(Recents::firstShotID(id), std::nullopt);
        const auto g = Recents::group(id);
        QCOMPARE(g.group, std::nullopt);
        QCOMPARE(g.ids, QStringList{id});
        QVERIFY(Recents::load(other)); // the others still read
        // A listed entry without a readable date is dated by its file.
        const bool listed = fault != "missing";
        QCOMPARE(Recents::datedEntries().size(), listed ? 2 : 1);
        QCOMPARE(logCount("history: entry " + id), 1); // reported once, however often read
    }

    void entriesLoadTheShotsWhosePicturesLoad()
    {
        const Page p = page(QList<QSize>{{40, 30}, {20, 20}, {10, 10}}, 2);
        const QString id = save(p);
        QFile::remove(entryPath(id, shotFile(p.markup.shots[1])));
        auto loaded = Recents::load(id);
        QVERIFY(loaded);
        QCOMPARE(loaded->markup.shots.size(), 2);
        QCOMPARE(loaded->markup.shots[0].id, p.markup.shots[0].id);
        QCOMPARE(loaded->markup.shots[1].id, p.markup.shots[2].id);
        QCOMPARE(loaded->images.size(), 2);
        QCOMPARE(loaded->images[p.markup.shots[2].id].image.size(), QSize(10, 10));
        QVERIFY(loaded->markup.items == p.markup.items);
        QCOMPARE(logCount("history: entry " + id + ": " + shotFile(p.markup.shots[1]) + " is unreadable"), 1);

        writeFile(entryPath(id, shotFile(p.markup.shots[0])), "not a png");
        QFile::remove(entryPath(id, shotFile(p.markup.shots[2])));
        QVERIFY(!Recents::load(id));
    }

    void olderEntriesReadShotPng()
    {
        const Page p = page(QList<QSize>{{40, 30}, {20, 20}}, 2);
        const QString id = save(p);
        QJsonObject o = canvas(id);
        o.remove("scales");
        o.insert("pixelScale", 4);
        writeCanvas(id, o);
        QFile::rename(entryPath(id, shotFile(p.markup.shots[0])), entryPath(id, "shot.png"));
        const auto loaded = Recents::load(id);
        QVERIFY(loaded);
        QCOMPARE(loaded->markup.shots.size(), 1);
        QCOMPARE(loaded->images[p.markup.shots[0].id].pixelScale, 4.0);
    }

    // Numbers from disk that would divide by zero or make no picture size: that shot is
    // unreadable, the others still load.
    void unusableNumbersMakeTheShotUnreadable_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QByteArray>("value");
        QTest::newRow("scale 0") << "scale" << QByteArray("0");
        QTest::newRow("scale negative") << "scale" << QByteArray("-2");
        QTest::newRow("scale overflowing") << "scale" << QByteArray("1e999");
        QTest::newRow("rect without width") << "rect" << QByteArray("[[0,0],[0,10]]");
        QTest::newRow("rect of negative height") << "rect" << QByteArray("[[0,0],[10,-10]]");
        QTest::newRow("rect overflowing") << "rect" << QByteArray("[[0,0],[1e999,10]]");
        QTest::newRow("picture size 0") << "imageSize" << QByteArray("[0,15]");
    }
    void unusableNumbersMakeTheShotUnreadable()
    {
        QFETCH(QString, key);
        QFETCH(QByteArray, value);
        const Page p = page(QList<QSize>{{40, 30}, {20, 20}}, 2);
        const QString id = save(p);
        const QString bad = Recents::uuidText(p.markup.shots[0].id);
        QByteArray text = readFile(entryPath(id, "canvas.json"));
        QJsonObject o = QJsonDocument::fromJson(text).object();
        QJsonObject markup = o.value("markup").toObject();
        QJsonArray shots = markup.value("shots").toArray();
        QJsonObject shot = shots[0].toObject();
        const QByteArray marker = "\"@@@\"";
        if (key == "scale") {
            QJsonObject scales = o.value("scales").toObject();
            scales.insert(bad, "@@@");
            o.insert("scales", scales);
        } else {
            shot.insert(key, "@@@");
        }
        shots[0] = shot;
        markup.insert("shots", shots);
        o.insert("markup", markup);
        text = QJsonDocument(o).toJson().replace(marker, value);
        writeFile(entryPath(id, "canvas.json"), text);

        const auto loaded = Recents::load(id);
        if (!loaded) {
            // The JSON reader itself refused the number: the whole entry is unreadable.
            QVERIFY(value.contains("e999"));
            return;
        }
        QCOMPARE(loaded->markup.shots.size(), 1);
        QCOMPARE(loaded->markup.shots[0].id, p.markup.shots[1].id);
    }

    void groupsComeInPageOrder_data()
    {
        QTest::addColumn<QList<int>>("orders"); // -1: no order
        QTest::addColumn<QList<int>>("expected"); // indexes in order of saving
        QTest::newRow("by order") << QList<int>{2, 0, 1} << QList<int>{1, 2, 0};
        QTest::newRow("one without order: newest first") << QList<int>{2, -1, 1} << QList<int>{2, 1, 0};
        QTest::newRow("equal orders: newest first") << QList<int>{0, 0, 1} << QList<int>{1, 0, 2};
    }
    void groupsComeInPageOrder()
    {
        QFETCH(QList<int>, orders);
        QFETCH(QList<int>, expected);
        const QDateTime base = QDateTime::fromSecsSinceEpoch(1700000000);
        QStringList ids;
        for (int i = 0; i < orders.size(); ++i)
            ids.append(save(page(), QString("G"), orders[i] < 0 ? std::nullopt : std::optional<qint64>(orders[i]), base.addSecs(i)));
        save(page(), QString("other"), 0);
        save(page());
        QStringList want;
        for (int i : expected)
            want.append(ids[i]);
        for (const QString &id : ids) {
            const auto g = Recents::group(id);
            QCOMPARE(g.group, QString("G"));
            QCOMPARE(g.ids, want);
        }
    }

    void groupOfAnEntryOutsideTheListing()
    {
        const QString id = save(page(), QString("G"), 0);
        save(page(), QString("G"), 1);
        QVERIFY(QFile::rename(entryPath(id), TestEnv::home() + "/moved"));
        QVERIFY(QFile::link(TestEnv::home() + "/moved", entryPath(id))); // readable, never listed
        const auto g = Recents::group(id);
        QCOMPARE(g.group, QString("G"));
        QCOMPARE(g.ids, QStringList{id});
    }

    void createdAndFirstShotAreKeptOnceFound()
    {
        const Page p = page();
        const QDateTime when = QDateTime::fromSecsSinceEpoch(1650000000);
        QDir().mkpath(entryPath("handmade"));
        Recents::Saved saved;
        saved.markup = p.markup;
        saved.created = when;
        writeFile(entryPath("handmade", "canvas.json"), "{");
        QCOMPARE(Recents::created("handmade"), std::nullopt);
        writeFile(entryPath("handmade", "canvas.json"), *saved.encode()); // read again: found
        QCOMPARE(Recents::created("handmade"), when);
        QCOMPARE(Recents::firstShotID("handmade"), p.markup.shots[0].id);
        QFile::remove(entryPath("handmade", "canvas.json")); // kept: not read again
        QCOMPARE(Recents::created("handmade"), when);
        QCOMPARE(Recents::firstShotID("handmade"), p.markup.shots[0].id);
    }

    void datedEntriesGoByCreation()
    {
        const QString a = save(page(), {}, {}, QDateTime::fromSecsSinceEpoch(1700000300));
        const QString b = save(page(), {}, {}, QDateTime::fromSecsSinceEpoch(1700000100));
        const QString c = save(page(), {}, {}, QDateTime::fromSecsSinceEpoch(1700000200));
        const auto dated = Recents::datedEntries();
        QCOMPARE(dated.size(), 3);
        QCOMPARE(dated[0].first.id, a);
        QCOMPARE(dated[1].first.id, c);
        QCOMPARE(dated[2].first.id, b);
        QCOMPARE(dated[2].second, QDateTime::fromSecsSinceEpoch(1700000100));
    }

    void removeDeletesOnTheQueue()
    {
        const QString id = save(page(), {}, {}, QDateTime::fromSecsSinceEpoch(1700000000));
        QSemaphore hold;
        Recents::queue().async([&] { hold.acquire(); });
        Recents::remove(id);
        Recents::remove("../..");
        QVERIFY(QFileInfo::exists(entryPath(id)));
        hold.release();
        Recents::queue().sync([] {});
        QVERIFY(!QFileInfo::exists(entryPath(id)));
        QVERIFY(QFileInfo::exists(TestEnv::home()));
        QCOMPARE(Recents::created(id), QDateTime::fromSecsSinceEpoch(1700000000)); // caches keep it
    }

    // Saves still waiting on the queue when the history is cleared must not bring entries back.
    void clearingWaitsForQueuedSaves()
    {
        const Page p = page();
        save(p);
        QSemaphore hold;
        Recents::queue().async([&] { hold.acquire(); });
        for (int i = 0; i < 3; ++i)
            Recents::save(p.markup, p.images, QImage(), {}, {}, {}, {}, false);
        std::thread release([&] {
            QThread::msleep(100);
            hold.release();
        });
        Recents::removeAll();
        release.join();
        QVERIFY(!QFileInfo::exists(Recents::folder()));
        Recents::queue().sync([] {});
        QCOMPARE(Recents::list().size(), 0);
    }

    void trashAndRestoreBesideAnOverride()
    {
        const QString over = TestEnv::home() + "/check/History";
        Recents::setFolderOverride(over);
        const QString id = save(page());
        const QString folder = entryPath(id);
        Recents::queue().sync([&] { Recents::trash(id, folder); });
        QVERIFY(!QFileInfo::exists(folder));
        QStringList trashed = QDir(TestEnv::home() + "/check/Trash").entryList(QDir::Dirs | QDir::NoDotAndDotDot);
        QCOMPARE(trashed.size(), 1);
        QVERIFY(trashed[0].startsWith(id + " "));

        bool completed = false;
        QThread *completedOn = nullptr;
        Recents::queue().async([&] {
            Recents::restore(id, folder, [&] { completed = true; completedOn = QThread::currentThread(); });
        });
        QTRY_VERIFY(completed);
        QCOMPARE(completedOn, QThread::currentThread());
        QVERIFY(Recents::load(id));

        // Two trashings of one id get different names.
        Recents::queue().sync([&] { Recents::trash(id, folder); });
        save(page());
        QDir().rename(entryPath(Recents::list().first().id), folder);
        Recents::queue().sync([&] { Recents::trash(id, folder); });
        trashed = QDir(TestEnv::home() + "/check/Trash").entryList(QDir::Dirs | QDir::NoDotAndDotDot);
        QCOMPARE(trashed.size(), 2);
    }

    void restoreNeverOverwrites()
    {
        Recents::setFolderOverride(TestEnv::home() + "/check2/History");
        const QString id = save(page());
        const QString folder = entryPath(id);
        Recents::queue().sync([&] { Recents::trash(id, folder); });
        QDir().mkpath(folder); // made again meanwhile
        bool completed = false;
        Recents::queue().async([&] { Recents::restore(id, folder, [&] { completed = true; }); });
        QTRY_VERIFY(completed);
        QCOMPARE(QDir(folder).entryList(QDir::Files).size(), 0);
        QCOMPARE(QDir(TestEnv::home() + "/check2/Trash").entryList(QDir::Dirs | QDir::NoDotAndDotDot).size(), 1);
    }

    void unmovableEntriesAreDeleted()
    {
        Recents::setFolderOverride(TestEnv::home() + "/check3/History");
        const QString id = save(page());
        writeFile(TestEnv::home() + "/check3/Trash", "a file where the Trash folder would go");
        Recents::queue().sync([&] { Recents::trash(id, entryPath(id)); });
        QVERIFY(!QFileInfo::exists(entryPath(id)));
        bool completed = false;
        Recents::queue().async([&] { Recents::restore(id, entryPath(id), [&] { completed = true; }); });
        QTRY_VERIFY(completed);
        QVERIFY(!QFileInfo::exists(entryPath(id)));
    }

    void trashAndRestoreThroughTheDesktopTrash()
    {
        const QString id = save(page());
        const QString folder = entryPath(id);
        Recents::queue().sync([&] { Recents::trash(id, folder); });
        QVERIFY(!QFileInfo::exists(folder));
        const QString trash = QString::fromLocal8Bit(qgetenv("XDG_DATA_HOME")) + "/Trash";
        QCOMPARE(QDir(trash + "/files").entryList(QDir::Dirs | QDir::NoDotAndDotDot).size(), 1);
        QCOMPARE(QDir(trash + "/info").entryList(QDir::Files).size(), 1);
        bool completed = false;
        Recents::queue().async([&] { Recents::restore(id, folder, [&] { completed = true; }); });
        QTRY_VERIFY(completed);
        QVERIFY(Recents::load(id));
        QCOMPARE(QDir(trash + "/info").entryList(QDir::Files).size(), 0);

        // Only folders of the history are ever trashed.
        QDir().mkpath(TestEnv::home() + "/precious");
        Recents::queue().sync([&] { Recents::trash("precious", TestEnv::home() + "/precious"); });
        QVERIFY(QFileInfo::exists(TestEnv::home() + "/precious"));
    }
};

QUILLET_TEST_MAIN(RecentsRead)
#include "tst_recentsread.moc"
