#pragma once
#include "AppUnderTest.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QList>

// The real application as a user has it: welcomed already, and its running copies found by the
// test's own folders.
namespace RealApp {

// A user who has been welcomed already: no welcome window takes the front.
inline bool markWelcomed()
{
    const QString config = QString::fromLocal8Bit(qgetenv("XDG_CONFIG_HOME")) + QStringLiteral("/Quillet");
    QDir().mkpath(config);
    QFile prefs(config + QStringLiteral("/preferences.json"));
    return prefs.open(QIODevice::WriteOnly) && prefs.write(R"({"onboarding.done": true})") > 0;
}

// The live processes of the built binary that run with this test's state folder (other tests may
// run copies of their own at the same time).
inline QList<qint64> runningCopies()
{
    const QString binary = QFileInfo(AppUnderTest::appPath()).canonicalFilePath();
    const QByteArray state = "XDG_STATE_HOME=" + qgetenv("XDG_STATE_HOME");
    QList<qint64> pids;
    for (const QString &name : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        bool number = false;
        const qint64 pid = name.toLongLong(&number);
        if (!number || QFileInfo(QStringLiteral("/proc/%1/exe").arg(pid)).canonicalFilePath() != binary)
            continue;
        const QByteArray stat = AppUnderTest::readFile(QStringLiteral("/proc/%1/stat").arg(pid));
        const qsizetype close = stat.lastIndexOf(')');
        if (close < 0 || stat.mid(close + 2, 1) == "Z")
            continue; // ended, not yet reaped
        if (AppUnderTest::readFile(QStringLiteral("/proc/%1/environ").arg(pid)).split('\0').contains(state))
            pids.append(pid);
    }
    return pids;
}

} // namespace RealApp
