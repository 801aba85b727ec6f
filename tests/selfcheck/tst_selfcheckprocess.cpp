// The self-check and the benchmark as the real application runs them: a process of their own,
// without a display, with the output folder and the temporary folder checked afterwards.
#include "AppUnderTest.h"
#include "TestEnv.h"

#include <QProcess>
#include <QTemporaryDir>

namespace {
struct Run
{
    int status = -1;
    QStringList out;
    QString err;
};

// The application with the test's home, no display and no platform asked for: the self-check
// picks its own staged screen. TMPDIR is the given folder.
Run runApp(const QStringList &arguments, const QString &tmp)
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("DISPLAY"));
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    env.insert(QStringLiteral("TMPDIR"), tmp);
    p.setProcessEnvironment(env);
    p.start(AppUnderTest::appPath(), arguments);
    Run run;
    if (!p.waitForFinished(240000)) {
        p.kill();
        p.waitForFinished();
        return run;
    }
    run.status = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    run.out = QString::fromUtf8(p.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    run.err = QString::fromUtf8(p.readAllStandardError());
    return run;
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    if (f.open(QIODevice::WriteOnly))
        f.write(bytes);
}
} // namespace

class TestSelfCheckProcess : public QObject
{
    Q_OBJECT

private slots:
    // A folder of an earlier run loses its old history; the run ends with its summary.
    void runsWithoutADisplay()
    {
        QTemporaryDir tmp, dir;
        const QString out = dir.filePath("out");
        writeFile(out + "/.quillet-selfcheck", "");
        writeFile(out + "/history/old-entry/canvas.json", "{}");
        const Run run = runApp({"--autopilot", out}, tmp.path());
        QCOMPARE(run.status, 0);
        QVERIFY2(!run.out.isEmpty() && run.out.last() == "all checks passed", qPrintable(run.out.join('\n')));
        QVERIFY(!QFileInfo::exists(out + "/history/old-entry"));
    }

    void someoneElsesHistoryIsRefused()
    {
        QTemporaryDir tmp, dir;
        const QString code = dir.filePath("code");
        writeFile(code + "/history/notes.txt", "mine");
        const Run run = runApp({"--autopilot", code}, tmp.path());
        QCOMPARE(run.status, 1);
        QVERIFY(run.out.isEmpty());
        QVERIFY2(run.err.contains(QStringLiteral("self-check: %1 was not made by a self-check; choose another folder")
                                      .arg(code)),
                 qPrintable(run.err));
        QVERIFY(QFileInfo::exists(code + "/history/notes.txt"));
    }

    void benchCountsBelowOne_data()
    {
        QTest::addColumn<QString>("count");
        QTest::newRow("0") << "0";
        QTest::newRow("-2") << "-2";
    }
    void benchCountsBelowOne()
    {
        QFETCH(QString, count);
        QTemporaryDir tmp;
        const Run run = runApp({"--bench-pages", count}, tmp.path());
        QCOMPARE(run.status, 1);
        QVERIFY(run.out.isEmpty());
        QVERIFY2(run.err.contains("bench: the page count must be at least 1"), qPrintable(run.err));
    }

    // One page: one switch, the earlier captures, exit 0 and nothing left in the temporary folder.
    void benchOfOnePage()
    {
        QTemporaryDir tmp;
        const Run run = runApp({"--bench-pages", "1"}, tmp.path());
        QCOMPARE(run.status, 0);
        QVERIFY2(run.out.size() == 2 + 1 + 1 + 10 + 1, qPrintable(run.out.join('\n')));
        QVERIFY(run.out.at(3).endsWith("(main thread, per page, 1 switches)"));
        QVERIFY(run.out.last().startsWith("earlier captures: median "));
        QCOMPARE(QDir(tmp.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), QStringList());
    }
};

QUILLET_TEST_MAIN_CORE(TestSelfCheckProcess)
#include "tst_selfcheckprocess.moc"
