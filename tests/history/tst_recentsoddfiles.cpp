// Entries whose files are not what the store wrote: the readers refuse them at once, say so once,
// and Clear History removes entries where the listing finds them.
#include "PageMaker.h"
#include "TestEnv.h"
#include "app/ActivityLog.h"

#include <QProcess>
#include <QTemporaryDir>

#include <sys/stat.h>
#include <sys/time.h>
#include <unistd.h>

using namespace PageMaker;

namespace {
QString save(const Page &p)
{
    return *Recents::save(p.markup, p.images, picture(80, 60), {}, {}, {}, {}, true);
}

int logCount(const QString &text)
{
    return QString::fromUtf8(readFile(ActivityLog::logPath())).count(text);
}

// Lines of the activity log that name both texts.
int linesNaming(const QString &a, const QString &b)
{
    int n = 0;
    for (const QString &line : QString::fromUtf8(readFile(ActivityLog::logPath())).split('\n'))
        n += line.contains(a) && line.contains(b);
    return n;
}

// Puts something odd in place of path.
void replaceWith(const QString &path, const QString &kind, const QString &outside)
{
    QVERIFY(QFile::remove(path));
    const QByteArray native = QFile::encodeName(path);
    if (kind == "fifo")
        QCOMPARE(::mkfifo(native.constData(), 0600), 0);
    else if (kind == "zero")
        QCOMPARE(::symlink("/dev/zero", native.constData()), 0);
    else if (kind == "folder")
        QVERIFY(QDir().mkdir(path));
    else if (kind == "outside")
        QCOMPARE(::symlink(QFile::encodeName(outside).constData(), native.constData()), 0);
    else if (kind == "huge") {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        QVERIFY(f.resize(qint64(400) * 1024 * 1024)); // sparse: no disk used
    }
}
} // namespace

class RecentsOddFiles : public QObject
{
    Q_OBJECT

    QTemporaryDir outside;

private slots:
    void init()
    {
        Recents::setFolderOverride(QString());
        QVERIFY(Recents::removeAll());
    }

    void oddFilesAreUnreadable_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("kind");
        for (const char *file : {"canvas.json", "shot.png"}) {
            for (const char *kind : {"fifo", "zero", "folder", "outside", "huge"})
                QTest::newRow(QByteArray(file) + " " + kind) << QString(file) << QString(kind);
        }
    }
    void oddFilesAreUnreadable()
    {
        QFETCH(QString, file);
        QFETCH(QString, kind);
        const Page p = page();
        const QString id = save(p);
        // A whole, readable copy outside the history for the link to point at.
        const QString copy = outside.filePath(id + file);
        QVERIFY(QFile::copy(entryPath(id, file == "shot.png" ? "shot-" + Recents::uuidText(p.markup.shots[0].id) + ".png" : file), copy));
        QString target = file;
        if (file == "shot.png") {
            // An entry of the older form, whose one picture is shot.png.
            QJsonObject o = QJsonDocument::fromJson(readFile(entryPath(id, "canvas.json"))).object();
            o.remove("scales");
            writeFile(entryPath(id, "canvas.json"), QJsonDocument(o).toJson());
            QVERIFY(QFile::rename(entryPath(id, "shot-" + Recents::uuidText(p.markup.shots[0].id) + ".png"),
                                  entryPath(id, "shot.png")));
            QVERIFY(Recents::load(id)); // readable before it is spoilt
        }
        replaceWith(entryPath(id, target), kind, copy);

        QVERIFY(!Recents::load(id)); // returns at once: a FIFO would hang an open() that blocks
        QVERIFY(!Recents::load(id));
        // Not offered either way: the page could not be opened without its picture.
        QVERIFY(!Recents::isReadable(id));
        QCOMPARE(linesNaming("history: entry " + id, file), 1);
        // Left on disk for the user.
        QVERIFY(QFileInfo(entryPath(id, target)).isSymLink() || QFileInfo::exists(entryPath(id, target)));
    }

    // The small picture of an earlier capture: its rail.png, else its thumb.png, never one that
    // is not the regular file of the size it was written at.
    void smallPictures_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("kind");
        for (const char *file : {"rail.png", "thumb.png"}) {
            for (const char *kind : {"fifo", "zero", "folder", "outside", "huge", "oversized"})
                QTest::newRow(QByteArray(file) + " " + kind) << QString(file) << QString(kind);
        }
    }
    void smallPictures()
    {
        QFETCH(QString, file);
        QFETCH(QString, kind);
        const QString id = save(page());
        QCOMPARE(Recents::smallPicture(id).size(), QSize(80, 60)); // rail.png: the picture itself
        if (file == "thumb.png")
            QVERIFY(QFile::remove(entryPath(id, "rail.png")));
        const QString copy = outside.filePath(id + file);
        QVERIFY(QFile::copy(entryPath(id, file), copy));
        if (kind == "oversized") {
            // Well formed, but larger than the store ever writes it: a bomb in the making.
            QVERIFY(QFile::remove(entryPath(id, file)));
            QVERIFY(picture(file == "rail.png" ? 721 : 217, 100).save(entryPath(id, file)));
        } else {
            replaceWith(entryPath(id, file), kind, copy);
        }
        const QImage shown = Recents::smallPicture(id);
        if (file == "rail.png")
            QCOMPARE(shown.size(), QSize(144, 108)); // the thumbnail stands in
        else
            QVERIFY(shown.isNull());
        QCOMPARE(linesNaming("history: entry " + id, file), 1);
    }

    void clearHistoryThroughALink()
    {
        QTemporaryDir real;
        const QString link = QFileInfo(Recents::folder()).path() + "/History";
        QDir(link).removeRecursively();
        QDir().mkpath(QFileInfo(link).path());
        QCOMPARE(::symlink(QFile::encodeName(real.path()).constData(), QFile::encodeName(link).constData()), 0);
        const QString a = save(page());
        const QString b = save(page());
        writeFile(real.filePath("notes.txt"), "the user's own file");
        QCOMPARE(Recents::list().size(), 2);

        QVERIFY(Recents::removeAll());
        QVERIFY(Recents::list().isEmpty());
        QVERIFY(!QFileInfo::exists(real.filePath(a)) && !QFileInfo::exists(real.filePath(b)));
        QVERIFY(QFileInfo(link).isSymLink()); // the user's arrangement stays
        QVERIFY(QFileInfo::exists(real.filePath("notes.txt")));
        QFile::remove(link);
    }

    void clearHistorySaysWhatStays()
    {
        if (::geteuid() == 0)
            QSKIP("root deletes from a read-only folder");
        const QString id = save(page());
        QFile::setPermissions(Recents::folder(), QFile::ReadOwner | QFile::ExeOwner);
        const QString parent = QFileInfo(Recents::folder()).path();
        QFile::setPermissions(parent, QFile::ReadOwner | QFile::ExeOwner);
        const bool cleared = Recents::removeAll();
        QFile::setPermissions(parent, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QFile::setPermissions(Recents::folder(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QVERIFY(!cleared);
        QCOMPARE(Recents::list().size(), 1);
        QCOMPARE(logCount("still in the history folder"), 1);
        QVERIFY(!id.isEmpty());
    }

    // An entry with a file that cannot be deleted: Clear History says how many captures stayed,
    // and they stay where the history shows them, not in a hidden folder.
    void clearHistoryCountsWhatStays()
    {
        const QString kept = save(page());
        save(page());
        save(page());
        const QString stuck = entryPath(kept, "thumb.png");
        if (QProcess::execute("chattr", {"+i", stuck}) != 0)
            QSKIP("no immutable files here (chattr)");
        int notRemoved = -1;
        const bool cleared = Recents::removeAll(&notRemoved);
        QProcess::execute("chattr", {"-i", stuck});
        QVERIFY(!cleared);
        QCOMPARE(notRemoved, 1);
        QVERIFY(QFileInfo::exists(stuck));
        const QString vellum = QFileInfo(Recents::folder()).path();
        QCOMPARE(QDir(vellum).entryList({".removing-*"}, QDir::Dirs | QDir::Hidden), QStringList());
        QVERIFY(Recents::removeAll(&notRemoved));
        QCOMPARE(notRemoved, 0);
    }

    // A clearing cut short (the process died) leaves its hidden folder beside the history's;
    // the next start deletes it, and work folders inside the history.
    void leftoversAreSweptAtStart()
    {
        const QString vellum = QFileInfo(Recents::folder()).path();
        const QString left = vellum + "/.removing-History-0123abcd";
        writeFile(left + "/20260101-000000-AAAA/canvas.json", "{}");
        const QString id = save(page());
        const QString work = entryPath(".staging-" + id + "-0123abcd");
        writeFile(work + "/canvas.json", "{}");
        const timeval hourAgo[2] = {{::time(nullptr) - 3600, 0}, {::time(nullptr) - 3600, 0}};
        QCOMPARE(::utimes(QFile::encodeName(work).constData(), hourAgo), 0);
        Recents::sweepLeftovers();
        Recents::queue().sync([] {});
        QVERIFY(!QFileInfo::exists(left));
        QVERIFY(!QFileInfo::exists(work));
        QCOMPARE(Recents::list().size(), 1);
    }

    void savedFilesArePrivate()
    {
        const QString id = save(page());
        Recents::saveRailPicture(picture(50, 40), id);
        Recents::queue().sync([] {});
        for (const QString &folder : {QFileInfo(Recents::folder()).path(), Recents::folder(), entryPath(id)})
            QCOMPARE(QFileInfo(folder).permissions() & 0x0077, QFile::Permissions());
        for (const QString &name : files(id))
            QVERIFY2((QFileInfo(entryPath(id, name)).permissions() & 0x0077) == QFile::Permissions(), qPrintable(name));
    }
};

QUILLET_TEST_MAIN(RecentsOddFiles)
#include "tst_recentsoddfiles.moc"
