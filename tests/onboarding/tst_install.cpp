#include "onboarding/InstallWindow.h"
#include "platform/linux/AutostartLoginItem.h"

#include "TestEnv.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>

#include <sys/stat.h>

namespace {
QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void write(const QString &path, const QByteArray &data)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(data);
}

ino_t inode(const QString &path)
{
    struct stat s {};
    return ::stat(QFile::encodeName(path).constData(), &s) == 0 ? s.st_ino : 0;
}
} // namespace

class TestInstall : public QObject
{
    Q_OBJECT
    InstallWindow::Places places;
    QString source; // a Quillet build to install: this test, which carries the build's mark

private slots:
    void init()
    {
        QDir(TestEnv::home()).removeRecursively();
        QDir().mkpath(TestEnv::home());
        places = InstallWindow::places();
        source = TestEnv::home() + QStringLiteral("/build/quillet");
        QDir().mkpath(QFileInfo(source).path());
        QVERIFY(QFile::copy(QCoreApplication::applicationFilePath(), source));
    }

    void placesFollowTheXdgFolders()
    {
        const QString home = TestEnv::home();
        QCOMPARE(places.binary, home + QStringLiteral("/.local/bin/quillet"));
        QCOMPARE(places.desktopEntry, qEnvironmentVariable("XDG_DATA_HOME") + QStringLiteral("/applications/quillet.desktop"));
        QCOMPARE(places.icon, qEnvironmentVariable("XDG_DATA_HOME") + QStringLiteral("/icons/hicolor/scalable/apps/quillet.svg"));
        QCOMPARE(places.madeFrom, qEnvironmentVariable("XDG_CACHE_HOME") + QStringLiteral("/Quillet/install"));
    }

    void writesTheThreeFilesOnce()
    {
        QCOMPARE(InstallWindow::install(source, places), std::nullopt);
        QCOMPARE(readAll(places.binary), readAll(source));
        QVERIFY(QFileInfo(places.binary).isExecutable());
        const QByteArray entry = readAll(places.desktopEntry);
        QVERIFY(entry.contains("\nExec=" + places.binary.toUtf8() + " %F\n"));
        QVERIFY(entry.contains("\nX-Quillet-Installed=true\n"));
        QVERIFY(readAll(places.icon).startsWith("<svg"));
        QCOMPARE(readAll(places.madeFrom), InstallWindow::madeFrom(source).toUtf8());

        const QString validator = QStandardPaths::findExecutable(QStringLiteral("desktop-file-validate"));
        if (!validator.isEmpty()) {
            QProcess check;
            check.start(validator, {places.desktopEntry});
            QVERIFY(check.waitForFinished(10000));
            QVERIFY2(check.exitCode() == 0, check.readAllStandardOutput().constData());
        } else {
            qWarning("desktop-file-validate is not installed (scripts/deps installs it)");
        }

        // Again, nothing changed: nothing is copied.
        const ino_t before = inode(places.binary);
        QCOMPARE(InstallWindow::install(source, places), std::nullopt);
        QCOMPARE(inode(places.binary), before);
        // A newer build is copied over the earlier copy.
        {
            QFile newer(source);
            QVERIFY(newer.open(QIODevice::ReadWrite));
            QVERIFY(newer.setFileTime(QDateTime::currentDateTime().addSecs(60), QFileDevice::FileModificationTime));
        }
        QCOMPARE(InstallWindow::install(source, places), std::nullopt);
        QVERIFY(inode(places.binary) != before);
        QCOMPARE(readAll(places.madeFrom), InstallWindow::madeFrom(source).toUtf8());
    }

    void foreignFilesStay_data()
    {
        QTest::addColumn<int>("which");
        QTest::addColumn<QString>("problem");
        QTest::newRow("program") << 0 << "~/.local/bin/quillet is not an earlier Quillet™ copy; nothing was changed.";
        QTest::newRow("desktop entry") << 1 << "";
        QTest::newRow("icon") << 2 << "";
    }
    void foreignFilesStay()
    {
        QFETCH(int, which);
        QFETCH(QString, problem);
        const QString target = QList<QString>{places.binary, places.desktopEntry, places.icon}.at(which);
        const QByteArray foreign = which == 1 ? QByteArray("[Desktop Entry]\nType=Application\nName=Other\nExec=/usr/bin/other\n")
                                              : QByteArray("#!/bin/sh\necho someone else's\n");
        write(target, foreign);
        const auto answer = InstallWindow::install(source, places);
        QVERIFY(answer);
        if (!problem.isEmpty())
            QCOMPARE(*answer, problem);
        QVERIFY(answer->endsWith(QStringLiteral("nothing was changed.")));
        QCOMPARE(readAll(target), foreign);
        for (const QString &other : {places.binary, places.desktopEntry, places.icon, places.madeFrom})
            if (other != target)
                QVERIFY2(!QFileInfo::exists(other), qPrintable(other));
    }

    void aSymbolicLinkIsNotOurs()
    {
        // A link to another Quillet build: the user's own arrangement, left alone.
        const QString other = TestEnv::home() + QStringLiteral("/other/quillet");
        QDir().mkpath(QFileInfo(other).path());
        QVERIFY(QFile::copy(source, other));
        QDir().mkpath(QFileInfo(places.binary).path());
        QVERIFY(QFile::link(other, places.binary));
        QVERIFY(InstallWindow::install(source, places));
        QCOMPARE(QFileInfo(places.binary).symLinkTarget(), other);
        // A link to the running build itself: that copy is installed already.
        QFile::remove(places.binary);
        QVERIFY(QFile::link(source, places.binary));
        QCOMPARE(InstallWindow::install(source, places), std::nullopt);
        QVERIFY(QFileInfo(places.binary).isSymLink());
    }

    void anUnwritableFolderSaysWhyAndLeavesNothing()
    {
        // A file where the folder should be: nothing can be made in it.
        write(TestEnv::home() + QStringLiteral("/.local/bin"), "in the way");
        const auto answer = InstallWindow::install(source, places);
        QCOMPARE(answer, QStringLiteral("Could not make the folder ~/.local/bin."));
        QCOMPARE(QDir(TestEnv::home() + QStringLiteral("/.local")).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
                 QStringList(QStringLiteral("bin")));
        QVERIFY(!QFileInfo::exists(places.madeFrom));
    }

    // The desktop entry cannot be written (a file stands where its folder goes): what was written
    // before it is taken back, and an earlier install is back as it was.
    void aFailedStepTakesBackTheOthers_data()
    {
        QTest::addColumn<bool>("earlier");
        QTest::newRow("first install") << false;
        QTest::newRow("over an earlier one") << true;
    }
    void aFailedStepTakesBackTheOthers()
    {
        QFETCH(bool, earlier);
        QByteArray oldBinary, oldIcon;
        if (earlier) {
            QCOMPARE(InstallWindow::install(source, places), std::nullopt);
            QFile::remove(places.desktopEntry);
            write(places.icon, "<svg data-quillet-icon='old'/>");
            oldBinary = readAll(places.binary);
            oldIcon = readAll(places.icon);
            QFile newer(source);
            QVERIFY(newer.open(QIODevice::ReadWrite));
            QVERIFY(newer.setFileTime(QDateTime::currentDateTime().addSecs(60), QFileDevice::FileModificationTime));
        }
        const QString applications = QFileInfo(places.desktopEntry).path();
        QDir(applications).removeRecursively();
        write(applications, "in the way");
        const auto answer = InstallWindow::install(source, places);
        QVERIFY(answer);
        QVERIFY2(answer->contains(QStringLiteral("applications")), qPrintable(*answer));
        QCOMPARE(QFileInfo::exists(places.binary), earlier);
        QCOMPARE(QFileInfo::exists(places.icon), earlier);
        QCOMPARE(readAll(places.binary), oldBinary);
        QCOMPARE(readAll(places.icon), oldIcon);
        QVERIFY(!QFileInfo::exists(places.madeFrom));
        // Nothing set aside is left behind.
        for (const QString &folder : {QFileInfo(places.binary).path(), QFileInfo(places.icon).path()})
            for (const QString &name : QDir(folder).entryList(QDir::Files | QDir::Hidden))
                QVERIFY2(name == QLatin1String("quillet") || name == QLatin1String("quillet.svg"), qPrintable(name));
    }

    // A login item that starts the build starts the installed copy afterwards; none stays none.
    void theLoginItemMovesToTheInstalledCopy()
    {
        places.autostart = TestEnv::home() + QStringLiteral("/config/autostart/quillet.desktop");
        QCOMPARE(InstallWindow::install(source, places), std::nullopt);
        QVERIFY(!QFileInfo::exists(places.autostart));
        QCOMPARE(AutostartLoginItem(places.autostart, source).setEnabled(true), std::nullopt);
        QFile::remove(places.madeFrom); // installed again
        QCOMPARE(InstallWindow::install(source, places), std::nullopt);
        QCOMPARE(readAll(places.autostart), AutostartLoginItem::entry(places.binary));
        QCOMPARE(InstallWindow::installedText(places),
                 QStringLiteral("Installed in ~/.local/bin; Quillet™ is now in your applications menu."));
    }

    void theInstalledCopyHasNothingToDo()
    {
        QCOMPARE(InstallWindow::install(source, places), std::nullopt);
        QFile::remove(places.madeFrom);
        QCOMPARE(InstallWindow::install(places.binary, places), std::nullopt);
        QVERIFY(!QFileInfo::exists(places.madeFrom));
    }

    void nothingOutsideTheHomeFolder()
    {
        InstallWindow::Places outside = places;
        outside.desktopEntry = QStringLiteral("/usr/share/applications/quillet.desktop");
        const auto answer = InstallWindow::install(source, outside);
        QVERIFY(answer && answer->contains(QStringLiteral("outside your home folder")));
        QVERIFY(!QFileInfo::exists(places.binary));
    }

    void openAnswersOnceOnTheMainThread()
    {
        int calls = 0;
        std::optional<QString> problem = QStringLiteral("unset");
        QThread *thread = nullptr;
        InstallWindow::open([&](std::optional<QString> p) {
            ++calls;
            problem = p;
            thread = QThread::currentThread();
        });
        QCOMPARE(calls, 0);
        QTRY_COMPARE(calls, 1);
        QCOMPARE(problem, std::nullopt);
        QCOMPARE(thread, QCoreApplication::instance()->thread());
        QVERIFY(QFileInfo(places.binary).isExecutable());
        QVERIFY(readAll(qEnvironmentVariable("XDG_STATE_HOME") + QStringLiteral("/Quillet/app.log"))
                    .contains("install window: installed after "));
    }
};

QUILLET_TEST_MAIN(TestInstall)
#include "tst_install.moc"
