#include "PageMaker.h"
#include "TestEnv.h"
#include "app/ActivityLog.h"
#include "platform/Preferences.h"

#include <QRandomGenerator>
#include <QSemaphore>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace PageMaker;

namespace {
std::optional<QString> saveNow(const Page &p, const std::optional<QString> &id = {},
                               const std::optional<QString> &group = {},
                               const QImage &picture = QImage())
{
    return Recents::save(p.markup, p.images, picture, id, group, {}, {}, true);
}

ino_t inode(const QString &path)
{
    struct stat st;
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_ino : 0;
}

// Random pixels: a picture whose PNG is about as large as its pixels.
QImage noise(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    QRandomGenerator rng(7);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, rng.generate() | 0xff000000u);
    return image;
}

// Files larger than the limit cannot be written while it is in force, as on a full disk.
struct DiskFull {
    rlimit old{};
    explicit DiskFull(rlim_t bytes)
    {
        std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &old);
        rlimit limited = old;
        limited.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limited);
    }
    ~DiskFull() { setrlimit(RLIMIT_FSIZE, &old); }
};

void setCanvasTime(const QString &id, const QDateTime &time)
{
    QFile f(entryPath(id, "canvas.json"));
    f.open(QIODevice::ReadWrite);
    f.setFileTime(time, QFileDevice::FileModificationTime);
}

QString shotFile(const Shot &shot) { return "shot-" + Recents::uuidText(shot.id) + ".png"; }
} // namespace

class RecentsStore : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        Recents::setFolderOverride(QString());
        Recents::removeAll();
        Preferences::shared().remove("history.paused");
    }

    void pausedHistorySavesOnlyExistingEntries()
    {
        const Page p = page();
        const auto id = saveNow(p);
        QVERIFY(id);
        Preferences::shared().setValue("history.paused", true);
        QCOMPARE(saveNow(p), std::nullopt);
        QCOMPARE(Recents::list().size(), 1);
        Page changed = p;
        changed.markup.unit = 7;
        QCOMPARE(saveNow(changed, id), id);
        QCOMPARE(Recents::load(*id)->markup.unit, 7.0);
    }

    void pagesWithoutAPictureAreNotSaved_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::newRow("no picture") << "none";
        QTest::newRow("null picture") << "null";
        QTest::newRow("rect beside the picture") << "outside";
        QTest::newRow("rect without width") << "flat";
        QTest::newRow("zero scale") << "scale0";
        QTest::newRow("scale not a number") << "scaleNaN";
        QTest::newRow("infinite rect") << "infinite";
    }
    void pagesWithoutAPictureAreNotSaved()
    {
        QFETCH(QString, fault);
        Page p = page();
        Shot &shot = p.markup.shots[0];
        ShotImage &image = p.images[shot.id];
        if (fault == "none")
            p.images.clear();
        else if (fault == "null")
            image.image = QImage();
        else if (fault == "outside")
            shot.rect.translate(500, 0);
        else if (fault == "flat")
            shot.rect.setWidth(0);
        else if (fault == "scale0")
            image.pixelScale = 0;
        else if (fault == "scaleNaN")
            image.pixelScale = qQNaN();
        else if (fault == "infinite")
            shot.rect.setWidth(qInf());
        QCOMPARE(saveNow(p), std::nullopt);
        QVERIFY(!QFileInfo::exists(Recents::folder()));
    }

    void shotIsSavedCroppedToItsRect()
    {
        Page p = page(QSize(100, 80), 2); // 50 x 40 pt
        Shot &shot = p.markup.shots[0];
        shot.origin = QPointF(10, 10);
        shot.rect = QRectF(20.3, 15, 10, 5); // pixels (20.6, 10, 20, 10), widened to (20, 10, 21, 10)
        const Shot first = shot;
        p.markup.shots.append(page().markup.shots[0]); // a second shot without a picture
        const auto id = saveNow(p);
        QVERIFY(id);
        const QImage saved(entryPath(*id, shotFile(first)));
        QCOMPARE(saved.size(), QSize(21, 10));
        const auto loaded = Recents::load(*id);
        QVERIFY(loaded);
        QCOMPARE(loaded->markup.shots.size(), 1);
        const Shot &back = loaded->markup.shots[0];
        QCOMPARE(back.origin, QPointF(20, 15));
        QCOMPARE(back.imageSize, QSizeF(10.5, 5));
        QCOMPARE(back.rect, QRectF(20, 15, 10.5, 5));
        QCOMPARE(loaded->images[first.id].pixelScale, 2.0);
        QVERIFY(loaded->markup.items == p.markup.items);
        QCOMPARE(loaded->markup.unit, p.markup.unit);
    }

    void resavingKeepsCreated()
    {
        const Page p = page();
        const QDateTime first = QDateTime::fromSecsSinceEpoch(1600000000);
        const auto id = Recents::save(p.markup, p.images, QImage(), {}, {}, {}, first, true);
        QCOMPARE(Recents::created(*id), first);
        Recents::save(p.markup, p.images, QImage(), id, {}, {}, first.addDays(3), true);
        QCOMPARE(Recents::Saved::decode(readFile(entryPath(*id, "canvas.json")))->created, first);

        // An entry this process never saw: its own date is read from its file.
        QDir().rename(entryPath(*id), entryPath("copied-entry"));
        Recents::save(p.markup, p.images, QImage(), QString("copied-entry"), {}, {}, first.addDays(9), true);
        QCOMPARE(Recents::Saved::decode(readFile(entryPath("copied-entry", "canvas.json")))->created, first);
        // No date anywhere: the given one, else now.
        const auto fresh = Recents::save(p.markup, p.images, QImage(), {}, {}, {}, {}, true);
        QVERIFY(qAbs(Recents::created(*fresh)->secsTo(QDateTime::currentDateTime())) < 5);
    }

    void resavingDropsStaleFiles()
    {
        Page p = page(QList<QSize>{{40, 30}, {20, 20}});
        const auto id = saveNow(p, {}, {}, picture(300, 200));
        QCOMPARE(files(*id).size(), 5);
        writeFile(entryPath(*id, "shot.png"), "old");
        writeFile(entryPath(*id, "notes.txt"), "?");
        const Shot kept = p.markup.shots[0];
        p.markup.shots.removeLast();
        QCOMPARE(saveNow(p, id), id);
        QCOMPARE(files(*id), (QStringList{"canvas.json", "rail.png", shotFile(kept), "thumb.png"}));
        QCOMPARE(QImage(entryPath(*id, "thumb.png")).size(), QSize(162, 108));
        QCOMPARE(QImage(entryPath(*id, "rail.png")).size(), QSize(300, 200));
    }

    // An unchanged shot picture is not encoded again; a deleted or re-cropped one is.
    void shotPicturesAreWrittenOnlyWhenChanged()
    {
        Page p = page(QSize(80, 60));
        const auto id = saveNow(p);
        const QString path = entryPath(*id, shotFile(p.markup.shots[0]));
        const ino_t first = inode(path);
        p.markup.items.clear();
        saveNow(p, id);
        QCOMPARE(inode(path), first);

        QFile::remove(path);
        saveNow(p, id);
        QVERIFY(QFileInfo::exists(path));

        p.markup.shots[0].rect.setWidth(10);
        saveNow(p, id);
        QCOMPARE(QImage(path).size(), QSize(20, 60));
    }

    // The record of what a shot file holds only changes once the file is written: after a save
    // that failed, the next save writes the new crop instead of keeping the old picture.
    void failedSaveDoesNotRecordTheCrop()
    {
        Page p = page(QSize(200, 200));
        p.images.begin()->image = noise(200, 200);
        const auto id = saveNow(p);
        QVERIFY(id);
        const QString path = entryPath(*id, shotFile(p.markup.shots[0]));
        p.markup.shots[0].rect.setWidth(80);
        {
            DiskFull full(20000);
            QCOMPARE(saveNow(p, id), std::nullopt);
        }
        QCOMPARE(QImage(path).size(), QSize(200, 200)); // the earlier entry, whole
        QCOMPARE(Recents::load(*id)->markup.shots[0].imageSize, QSizeF(100, 100));
        QCOMPARE(saveNow(p, id), id);
        QCOMPARE(QImage(path).size(), QSize(160, 200));
        QCOMPARE(Recents::load(*id)->markup.shots[0].imageSize, QSizeF(80, 100));
    }

    void failedSavesKeepEarlierEntries_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::newRow("disk full, new entry") << "full-new";
        QTest::newRow("disk full, existing entry") << "full-existing";
        QTest::newRow("folder cannot be made") << "no-folder";
        QTest::newRow("read-only folder") << "read-only";
    }
    void failedSavesKeepEarlierEntries()
    {
        QFETCH(QString, fault);
        if (fault == "read-only" && ::geteuid() == 0)
            QSKIP("permissions do not hold for root");
        const Page small = page(QSize(200, 200));
        const auto earlier = saveNow(small);
        QVERIFY(earlier);
        const QByteArray before = readFile(entryPath(*earlier, "canvas.json"));
        Page big = fault == "full-existing" ? small : page(QSize(200, 200));
        QVERIFY(readFile(entryPath(*earlier, shotFile(small.markup.shots[0]))).size() < 20000);
        big.images.begin()->image = noise(200, 200);
        big.markup.shots[0].rect.setWidth(80); // a new crop: the picture must be written again
        const std::optional<QString> id = fault == "full-existing" ? earlier : std::nullopt;
        std::optional<QString> result;
        if (fault == "no-folder") {
            writeFile(TestEnv::home() + "/plainfile", "x");
            Recents::setFolderOverride(TestEnv::home() + "/plainfile/History");
            result = saveNow(big, id);
            Recents::setFolderOverride(QString());
        } else if (fault == "read-only") {
            QFile::setPermissions(Recents::folder(), QFile::ReadOwner | QFile::ExeOwner);
            result = saveNow(big, id);
            QFile::setPermissions(Recents::folder(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        } else {
            DiskFull full(20000);
            result = saveNow(big, id);
        }
        QCOMPARE(result, std::nullopt);
        QCOMPARE(Recents::list().size(), 1);
        QCOMPARE(readFile(entryPath(*earlier, "canvas.json")), before);
        QVERIFY(Recents::load(*earlier));
        QVERIFY(QString::fromUtf8(readFile(ActivityLog::logPath())).contains("history: could not save"));
        // Nothing half-made is left behind.
        QCOMPARE(QDir(Recents::folder()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).size(), 1);
    }

    void pruningKeepsTheNewest30AndTheWrittenGroup_data()
    {
        QTest::addColumn<int>("older"); // entries made before the last save
        QTest::addColumn<QString>("oldestGroup");
        QTest::addColumn<QString>("lastGroup");
        QTest::addColumn<int>("remaining");
        QTest::addColumn<bool>("oldestStays");
        QTest::newRow("30 before: the oldest goes") << 30 << "" << "" << 30 << false;
        QTest::newRow("29 before: nothing goes") << 29 << "" << "" << 30 << true;
        QTest::newRow("oldest of the written group stays") << 30 << "g" << "g" << 31 << true;
        QTest::newRow("oldest of another group goes") << 30 << "h" << "g" << 30 << false;
        QTest::newRow("a canvas of 40 pages keeps all") << 39 << "g" << "g" << 40 << true;
    }
    void pruningKeepsTheNewest30AndTheWrittenGroup()
    {
        QFETCH(int, older);
        QFETCH(QString, oldestGroup);
        QFETCH(QString, lastGroup);
        QFETCH(int, remaining);
        QFETCH(bool, oldestStays);
        const auto groupOf = [](const QString &g) { return g.isEmpty() ? std::nullopt : std::optional<QString>(g); };
        const Page p = page(QSize(4, 4));
        const QDateTime base = QDateTime::currentDateTime().addSecs(-3600);
        QStringList ids;
        for (int i = 0; i < older; ++i) {
            const bool all = oldestGroup == lastGroup && older > 31;
            const auto id = saveNow(p, {}, i == 0 || all ? groupOf(oldestGroup) : std::nullopt);
            setCanvasTime(*id, base.addSecs(i));
            ids.append(*id);
        }
        writeFile(Recents::folder() + "/stray.txt", "x");
        QDir().mkpath(Recents::folder() + "/not-an-entry");
        saveNow(p, {}, groupOf(lastGroup));
        QCOMPARE(Recents::list().size(), remaining);
        QCOMPARE(QFileInfo::exists(entryPath(ids.first())), oldestStays);
        QVERIFY(QFileInfo::exists(entryPath(ids.last())));
        QVERIFY(QFileInfo::exists(Recents::folder() + "/stray.txt"));
        QVERIFY(QFileInfo::exists(Recents::folder() + "/not-an-entry"));
    }

    void waitDecidesWhenTheCallReturns()
    {
        const Page p = page();
        QSemaphore hold;
        Recents::queue().async([&] { hold.acquire(); });
        const auto id = Recents::save(p.markup, p.images, QImage(), {}, {}, {}, {}, false);
        QVERIFY(id);
        QVERIFY(!QFileInfo::exists(entryPath(*id, "canvas.json")));
        QCOMPARE(Recents::list().size(), 0);
        hold.release();
        const auto waited = Recents::save(p.markup, p.images, QImage(), {}, {}, {}, {}, true);
        QVERIFY(QFileInfo::exists(entryPath(*waited, "canvas.json")));
        QCOMPARE(Recents::list().size(), 2);
    }

    void railPictureIsWrittenOnlyIntoAnExistingEntry()
    {
        const auto id = saveNow(page());
        Recents::saveRailPicture(picture(90, 60), *id);
        Recents::saveRailPicture(picture(90, 60), "gone");
        Recents::queue().sync([] {});
        QCOMPARE(QImage(entryPath(*id, "rail.png")).size(), QSize(90, 60));
        QVERIFY(!QFileInfo::exists(entryPath("gone")));
        QCOMPARE(files(*id).size(), 3); // canvas.json, rail.png and the shot; no temporary file
    }

    void idsThatLeaveTheHistoryFolderAreRefused()
    {
        const Page p = page();
        for (const QString bad : {"..", "../outside", ".", ""})
            QCOMPARE(saveNow(p, bad), std::nullopt);
        QVERIFY(!QFileInfo::exists(QFileInfo(Recents::folder()).path() + "/outside"));
    }
};

QUILLET_TEST_MAIN(RecentsStore)
#include "tst_recentsstore.moc"
