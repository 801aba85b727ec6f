#include "export/ExportScene.h"
#include "platform/FileWrites.h"
#include "platform/Preferences.h"

#include "ExportFixture.h"
#include "TestEnv.h"

#include <QDir>
#include <QLocale>
#include <QTemporaryDir>

#include <sys/stat.h>
#include <sys/time.h>
#include <unistd.h>

using namespace ExportFixture;

// Saved files: their dated names, never overwriting, failures told as they are; the scratch
// folder and its pruning.
class TestExportFiles : public QObject
{
    Q_OBJECT

    const QDateTime fixed = QDateTime(QDate(2026, 12, 9), QTime(14, 5, 33));

    // Sets an entry's own modification time (a link's, not its target's) to seconds ago.
    static void age(const QString &path, double seconds, const QDateTime &now)
    {
        const qint64 ms = now.toMSecsSinceEpoch() - qint64(seconds * 1000);
        timeval times[2];
        times[0].tv_sec = times[1].tv_sec = ms / 1000;
        times[0].tv_usec = times[1].tv_usec = (ms % 1000) * 1000;
        QVERIFY(::lutimes(QFile::encodeName(path).constData(), times) == 0);
    }

private slots:
    void cleanup() { QLocale::setDefault(QLocale::c()); }

    void fileNameIsTheSameInEveryLocale_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::newRow("C") << "C";
        QTest::newRow("de_DE") << "de_DE";
        QTest::newRow("ar_EG") << "ar_EG";
        QTest::newRow("en_US") << "en_US";
    }
    void fileNameIsTheSameInEveryLocale()
    {
        QFETCH(QString, locale);
        QLocale::setDefault(QLocale(locale));
        QCOMPARE(ExportScene::fileName(fixed), QStringLiteral("Quillet 2026-12-09 at 14.05.33.png"));
    }

    void sameSecondGetsTheNextNumber()
    {
        QTemporaryDir dir;
        const QString folder = dir.filePath("a/b"); // made with its parents
        const QImage picture = pattern(30, 20);
        QString error;
        const QString first = ExportScene::save(picture, folder, 1, &error, fixed);
        const QString second = ExportScene::save(picture, folder, 1, &error, fixed);
        QCOMPARE(QFileInfo(first).fileName(), QStringLiteral("Quillet 2026-12-09 at 14.05.33.png"));
        QCOMPARE(QFileInfo(second).fileName(), QStringLiteral("Quillet 2026-12-09 at 14.05.33 2.png"));
        // A name someone else holds is passed over, and what is there stays as it was.
        QFile taken(QDir(folder).filePath("Quillet 2026-12-09 at 14.05.33 3.png"));
        QVERIFY(taken.open(QIODevice::WriteOnly) && taken.write("theirs") == 6);
        taken.close();
        const QString fourth = ExportScene::save(picture, folder, 2, &error, fixed);
        QCOMPARE(QFileInfo(fourth).fileName(), QStringLiteral("Quillet 2026-12-09 at 14.05.33 4.png"));
        QVERIFY(taken.open(QIODevice::ReadOnly));
        QCOMPARE(taken.readAll(), QByteArray("theirs"));
        const QImage back(fourth);
        QCOMPARE(back.size(), picture.size());
        QCOMPARE(back.dotsPerMeterX(), 5669); // 144 dpi: two pixels a point
        // Nothing hidden is left behind.
        QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden).size(), 4);
    }

    void failuresSayWhy()
    {
        QString error;
        // Root may write anywhere on disk; the kernel's own folders refuse even root.
        QTemporaryDir dir;
        const QString folder = ::geteuid() == 0 ? QStringLiteral("/sys") : dir.filePath("ro");
        if (::geteuid() != 0) {
            QVERIFY(QDir().mkpath(folder));
            QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner);
        }
        QVERIFY(ExportScene::save(pattern(10, 10), folder, 1, &error, fixed).isEmpty());
        QCOMPARE(error, QStringLiteral("Permission denied"));
        QVERIFY(ExportScene::save(QImage(), dir.path(), 1, &error, fixed).isEmpty());
        QCOMPARE(error, QStringLiteral("The picture could not be encoded"));
        QVERIFY(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).isEmpty());
    }

    void pruneRemovesWhatIsOlder()
    {
        QTemporaryDir dir;
        const QDateTime now = QDateTime::currentDateTime();
        QTemporaryDir outside;
        const QString target = outside.filePath("target.png");
        for (const QString &name : {QStringLiteral("old.png"), QStringLiteral("young.png"), QStringLiteral(".hidden"), target}) {
            QFile f(name.startsWith('/') ? name : dir.filePath(name));
            QVERIFY(f.open(QIODevice::WriteOnly));
        }
        QVERIFY(QDir(dir.path()).mkpath("oldfolder/inner"));
        QFile inner(dir.filePath("oldfolder/inner/file"));
        QVERIFY(inner.open(QIODevice::WriteOnly));
        inner.close();
        QVERIFY(QFile::link(target, dir.filePath("link.png")));
        age(dir.filePath("old.png"), 3601, now);
        age(dir.filePath("young.png"), 3599, now);
        age(dir.filePath(".hidden"), 7200, now);
        age(dir.filePath("oldfolder"), 4000, now);
        age(dir.filePath("link.png"), 5000, now);
        age(target, 9000, now);
        ExportScene::pruneFolder(dir.path(), 3600, now);
        QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot),
                 QStringList{"young.png"});
        QVERIFY(QFile::exists(target));
        ExportScene::pruneFolder(dir.filePath("missing"), 1, now); // nothing to list: nothing happens
    }

    void scratchFolderIsPrivate()
    {
        const QString path = ExportScene::scratchFolder();
        QCOMPARE(path, QDir(qEnvironmentVariable("XDG_RUNTIME_DIR")).filePath("Quillet"));
        QCOMPARE(QFileInfo(path).permissions() & 0x0077, QFile::Permissions());
        QCOMPARE(ExportScene::scratchFolder(), path);
        // Not 0700: refused.
        QVERIFY(::chmod(QFile::encodeName(path).constData(), 0755) == 0);
        QVERIFY(ExportScene::scratchFolder().isEmpty());
        // Not ours: refused.
        QVERIFY(::chmod(QFile::encodeName(path).constData(), 0700) == 0);
        if (::geteuid() == 0) {
            QVERIFY(::chown(QFile::encodeName(path).constData(), 12345, 12345) == 0);
            QVERIFY(ExportScene::scratchFolder().isEmpty());
            QVERIFY(::chown(QFile::encodeName(path).constData(), 0, 0) == 0);
        }
        // A link in its place: refused, and what it points to is left alone.
        QVERIFY(QDir(path).removeRecursively());
        QTemporaryDir elsewhere;
        QVERIFY(QFile::link(elsewhere.path(), path));
        QVERIFY(ExportScene::scratchFolder().isEmpty());
        QVERIFY(QFile::remove(path));
        QCOMPARE(ExportScene::scratchFolder(), path);
    }

    // The PNG of a stored page: at its density, halved under the preference but never below 1.
    void exportDataOfAStoredPage()
    {
        const Page p = page(pattern(200, 100), 2.0);
        const QImage exact = QImage::fromData(ExportScene::exportData(p.markup, p.images), "png");
        QCOMPARE(exact.size(), QSize(200, 100));
        QCOMPARE(exact.dotsPerMeterX(), 5669);
        QVERIFY(Preferences::shared().setValue(QStringLiteral("export.halfSize"), true));
        const QImage half = QImage::fromData(ExportScene::exportData(p.markup, p.images), "png");
        QVERIFY(Preferences::shared().remove(QStringLiteral("export.halfSize")));
        QCOMPARE(half.size(), QSize(100, 50));
        QCOMPARE(half.dotsPerMeterX(), 2835);
        QVERIFY(ExportScene::exportData(p.markup, {}).isEmpty());
    }

    void clipboardScale_data()
    {
        QTest::addColumn<double>("scale");
        QTest::addColumn<bool>("half");
        QTest::addColumn<double>("expected");
        QTest::newRow("2, full") << 2.0 << false << 2.0;
        QTest::newRow("3, half") << 3.0 << true << 1.5;
        QTest::newRow("1, half") << 1.0 << true << 1.0;
        QTest::newRow("1.5, half") << 1.5 << true << 1.0;
        QTest::newRow("4, half") << 4.0 << true << 2.0;
    }
    void clipboardScale()
    {
        QFETCH(double, scale);
        QFETCH(bool, half);
        QFETCH(double, expected);
        QCOMPARE(ExportScene::clipboardScale(scale, half), expected);
    }
};

QUILLET_TEST_MAIN(TestExportFiles)
#include "tst_exportfiles.moc"
