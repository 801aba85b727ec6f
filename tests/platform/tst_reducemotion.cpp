#include "platform/ReduceMotion.h"

#include "TestEnv.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>

// The desktop's answer comes from a stand-in gsettings on PATH that prints what the test says.
class TestReduceMotion : public QObject
{
    Q_OBJECT

    QTemporaryDir bin;
    QString settingsFile;

    void answer(const QByteArray &enableAnimations, int exitCode = 0)
    {
        QFile script(bin.filePath("gsettings"));
        QVERIFY(script.open(QIODevice::WriteOnly | QIODevice::Truncate));
        script.write("#!/bin/sh\n[ \"$2 $3\" = \"org.gnome.desktop.interface enable-animations\" ] || exit 9\necho "
                     + enableAnimations + "\nexit " + QByteArray::number(exitCode) + "\n");
        script.close();
        script.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    }
    // What dconf does when any setting changes: its database file is replaced.
    void settingsChanged()
    {
        QFile f(settingsFile + ".new");
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(QByteArray::number(QDateTime::currentMSecsSinceEpoch()));
        f.close();
        QFile::remove(settingsFile);
        QVERIFY(QFile::rename(settingsFile + ".new", settingsFile));
    }

private slots:
    void initTestCase()
    {
        qputenv("PATH", bin.path().toLocal8Bit() + ":" + qgetenv("PATH"));
        const QString dconf = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + "/dconf";
        QVERIFY(QDir().mkpath(dconf));
        settingsFile = dconf + "/user";
        QFile f(settingsFile);
        QVERIFY(f.open(QIODevice::WriteOnly));
    }

    void readsTheDesktopAndFollowsChanges()
    {
        answer("false");
        QVERIFY(ReduceMotion::isOn());
        answer("true");
        QVERIFY(ReduceMotion::isOn()); // read once, until the settings change
        settingsChanged();
        QTRY_VERIFY(!ReduceMotion::isOn());

        answer("", 1); // no such schema: motion allowed
        settingsChanged();
        QTRY_VERIFY(!ReduceMotion::isOn());
    }

    void overrideWins()
    {
        answer("false");
        settingsChanged();
        QTRY_VERIFY(ReduceMotion::isOn());
        ReduceMotion::setOverride(false);
        QVERIFY(!ReduceMotion::isOn());
        ReduceMotion::setOverride(std::nullopt);
        QVERIFY(ReduceMotion::isOn());
    }
};

QUILLET_TEST_MAIN_CORE(TestReduceMotion)
#include "tst_reducemotion.moc"
