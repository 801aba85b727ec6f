// The preferences file as others may leave it: odd files are set aside at once with one line,
// changes made elsewhere are seen at the next read and survive our own writes.
#include "TestEnv.h"
#include "platform/Preferences.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

#include <sys/stat.h>
#include <unistd.h>

namespace {
QStringList problems;

QString path() { return Preferences::shared().filePath(); }

void writeJson(const QJsonObject &o)
{
    QDir().mkpath(QFileInfo(path()).path());
    QFile f(path());
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(QJsonDocument(o).toJson());
}

QJsonObject onDisk()
{
    QFile f(path());
    return f.open(QIODevice::ReadOnly) ? QJsonDocument::fromJson(f.readAll()).object() : QJsonObject();
}
} // namespace

class PreferencesFile : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        QDir(QFileInfo(path()).path()).removeRecursively();
        Preferences::shared().reload();
        problems.clear();
    }

    // First, before any logger is set: a problem then still reaches the log once it is.
    void problemsBeforeTheLoggerAreHandedOver()
    {
        writeJson({});
        QFile f(path());
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write("{ not json");
        f.close();
        Preferences::shared().reload();
        Preferences::setProblemLogger([](const QString &line) { problems << line; });
        QCOMPARE(problems.size(), 1);
        QVERIFY(problems.first().contains("kept aside as"));
    }

    void oddFilesAreSetAside_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("FIFO") << "fifo";
        QTest::newRow("link to /dev/zero") << "zero";
        QTest::newRow("folder") << "folder";
        QTest::newRow("larger than the cap") << "huge";
    }
    void oddFilesAreSetAside()
    {
        QFETCH(QString, kind);
        QDir().mkpath(QFileInfo(path()).path());
        const QByteArray native = QFile::encodeName(path());
        if (kind == "fifo")
            QCOMPARE(::mkfifo(native.constData(), 0600), 0);
        else if (kind == "zero")
            QCOMPARE(::symlink("/dev/zero", native.constData()), 0);
        else if (kind == "folder")
            QVERIFY(QDir().mkdir(path()));
        else {
            QFile f(path());
            QVERIFY(f.open(QIODevice::WriteOnly));
            QVERIFY(f.resize(64 * 1024 * 1024));
        }
        Preferences::shared().reload();
        QVERIFY(!Preferences::shared().contains("anything"));
        QVERIFY(!Preferences::shared().contains("anything")); // read once, said once
        QCOMPARE(problems.size(), 1);
        QVERIFY2(problems.first().contains("kept aside as"), qPrintable(problems.first()));

        // The store works on: a regular file, private, in a private folder.
        QVERIFY(Preferences::shared().setValue("style.size", 1));
        QCOMPARE(Preferences::shared().intValue("style.size"), 1);
        QVERIFY(QFileInfo(path()).isFile() && !QFileInfo(path()).isSymLink());
        QCOMPARE(QFileInfo(path()).permissions() & 0x0077, QFile::Permissions());
        QDir(path() + ".bad").removeRecursively();
        QFile::remove(path() + ".bad");
    }

    // A preferences file kept elsewhere (a folder of dotfiles) and linked here is the user's.
    void aLinkToARegularFileIsRead()
    {
        QTemporaryDir elsewhere;
        QFile f(elsewhere.filePath("prefs.json"));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(R"({"style.size": 3})");
        f.close();
        QDir().mkpath(QFileInfo(path()).path());
        QCOMPARE(::symlink(QFile::encodeName(f.fileName()).constData(), QFile::encodeName(path()).constData()), 0);
        Preferences::shared().reload();
        QCOMPARE(Preferences::shared().intValue("style.size"), 3);
        QVERIFY(problems.isEmpty());
    }

    void changesMadeElsewhereAreSeenAndKept()
    {
        QVERIFY(Preferences::shared().setValue("history.paused", true));
        QCOMPARE(Preferences::shared().boolValue("history.paused"), true);
        QCOMPARE(QFileInfo(QFileInfo(path()).path()).permissions() & 0x0077, QFile::Permissions());
        // An editor changes one key and adds another while we run.
        QJsonObject edited = onDisk();
        edited.insert("history.paused", false);
        edited.insert("shortcut.areaToCanvas", QJsonObject{{"keyCode", 19}, {"modifiers", 12}, {"key", "2"}});
        writeJson(edited);
        QCOMPARE(Preferences::shared().boolValue("history.paused"), false);
        QVERIFY(Preferences::shared().value("shortcut.areaToCanvas").isObject());
        // Our next change keeps theirs.
        QVERIFY(Preferences::shared().setValue("dock.hidden", true));
        const QJsonObject after = onDisk();
        QCOMPARE(after.value("history.paused").toBool(true), false);
        QVERIFY(after.value("shortcut.areaToCanvas").isObject());
        QCOMPARE(after.value("dock.hidden").toBool(), true);
        // A key removed elsewhere is gone here too.
        edited = onDisk();
        edited.remove("dock.hidden");
        writeJson(edited);
        QVERIFY(!Preferences::shared().contains("dock.hidden"));
        QVERIFY(problems.isEmpty());
    }

    void twoProcessesWritingDifferentKeysKeepBoth()
    {
        constexpr int count = 40;
        QProcess other;
        other.start(TestEnv::helperPath("platform_helper_prefwriter"), {"other", QString::number(count)});
        QVERIFY(other.waitForStarted());
        for (int i = 0; i < count; ++i)
            QVERIFY(Preferences::shared().setValue("mine." + QString::number(i), i));
        QVERIFY(other.waitForFinished(60000));
        QCOMPARE(other.exitCode(), 0);
        const QJsonObject all = onDisk();
        for (int i = 0; i < count; ++i) {
            QVERIFY2(all.contains("mine." + QString::number(i)), qPrintable(QString::number(i)));
            QVERIFY2(all.contains("other." + QString::number(i)), qPrintable(QString::number(i)));
        }
    }

    // Last, since a process keeps it: the memory scope starts empty, holds what is written,
    // and neither reads nor writes the file, whoever changes it meanwhile.
    void theMemoryScopeLeavesTheFileAlone()
    {
        writeJson({{"history.paused", true}, {"export.halfSize", true}});
        QCOMPARE(Preferences::shared().boolValue("history.paused"), std::optional<bool>(true));
        Preferences::shared().useMemoryScope();
        QVERIFY(Preferences::shared().inMemoryScope());
        QVERIFY(!Preferences::shared().contains("export.halfSize"));
        QVERIFY(Preferences::shared().setValue("history.paused", false));
        QVERIFY(Preferences::shared().setValue("style.size", 2));
        QVERIFY(Preferences::shared().remove("history.paused"));
        writeJson({{"canvas.railWidth", 300}});
        Preferences::shared().reload();
        QVERIFY(!Preferences::shared().contains("canvas.railWidth"));
        QCOMPARE(Preferences::shared().intValue("style.size"), std::optional<qint64>(2));
        QVERIFY(!Preferences::shared().contains("history.paused"));
        QCOMPARE(onDisk(), QJsonObject({{"canvas.railWidth", 300}}));
    }
};

QUILLET_TEST_MAIN_CORE(PreferencesFile)
#include "tst_preferencesfile.moc"
