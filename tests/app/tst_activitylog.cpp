#include "app/ActivityLog.h"

#include "TestEnv.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>

#include <sys/stat.h>
#include <thread>
#include <vector>

namespace {
QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeFile(const QString &path, const QByteArray &data)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(data);
}

QList<QByteArray> lines(const QString &path)
{
    QList<QByteArray> out = readAll(path).split('\n');
    if (!out.isEmpty() && out.last().isEmpty())
        out.removeLast();
    return out;
}
} // namespace

class TestActivityLog : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        ActivityLog::closeForTesting();
        QDir(ActivityLog::folder()).removeRecursively();
    }

    void lineFormat()
    {
        activityLog(QStringLiteral("capture: one\ntwo\nthree"));
        const auto l = lines(ActivityLog::logPath());
        QCOMPARE(l.size(), 1);
        static const QRegularExpression form(
            QStringLiteral("^\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d\\.\\d{3}Z capture: one two three$"));
        QVERIFY2(form.match(QString::fromUtf8(l.first())).hasMatch(), l.first().constData());
    }

    void largeLogRollsOverOnFirstMessage()
    {
        writeFile(ActivityLog::previousLogPath(), "older\n");
        writeFile(ActivityLog::logPath(), QByteArray(500000, 'x'));
        activityLog(QStringLiteral("first"));
        QCOMPARE(QFileInfo(ActivityLog::previousLogPath()).size(), qint64(500000));
        const auto l = lines(ActivityLog::logPath());
        QCOMPARE(l.size(), 1);
        QVERIFY(l.first().endsWith(" first"));
    }

    void appendsUntilThresholdPassed()
    {
        const qint64 start = ActivityLog::rolloverBytes - 100;
        writeFile(ActivityLog::logPath(), QByteArray(start, 'x') );
        int written = 0;
        while (QFileInfo(ActivityLog::logPath()).size() <= ActivityLog::rolloverBytes) {
            activityLog(QStringLiteral("line"));
            ++written;
            QVERIFY(!QFile::exists(ActivityLog::previousLogPath()));
        }
        QVERIFY(written > 1);
        activityLog(QStringLiteral("after"));
        QVERIFY(QFileInfo(ActivityLog::previousLogPath()).size() > ActivityLog::rolloverBytes);
        QCOMPARE(lines(ActivityLog::logPath()).size(), 1);
    }

    void concurrentWritersLoseNothing()
    {
        constexpr int threads = 8, perThread = 10000;
        std::vector<std::thread> pool;
        for (int t = 0; t < threads; ++t)
            pool.emplace_back([t] {
                for (int i = 0; i < perThread; ++i)
                    activityLog(QStringLiteral("w%1 %2").arg(t).arg(i));
            });
        for (auto &th : pool)
            th.join();
        // The writers pass the rollover threshold several times, so the oldest lines are gone with
        // the files they were in. The two files left hold one unbroken stretch of the log: every
        // line whole, and each writer's numbers without a gap.
        const QList<QByteArray> all = lines(ActivityLog::previousLogPath()) + lines(ActivityLog::logPath());
        static const QRegularExpression form(QStringLiteral("^\\S+Z w(\\d) (\\d+)$"));
        QHash<int, int> last;
        for (const QByteArray &line : all) {
            const auto m = form.match(QString::fromUtf8(line));
            QVERIFY2(m.hasMatch(), line.constData());
            const int t = m.captured(1).toInt(), i = m.captured(2).toInt();
            if (last.contains(t))
                QCOMPARE(i, last.value(t) + 1);
            last.insert(t, i);
        }
        QVERIFY(!last.isEmpty());
        QVERIFY(std::any_of(last.cbegin(), last.cend(), [](int i) { return i == perThread - 1; }));
    }

    void tail_data()
    {
        QTest::addColumn<QByteArray>("previous");
        QTest::addColumn<QByteArray>("current");
        QTest::addColumn<int>("maxBytes");
        QTest::addColumn<QString>("expected");
        QTest::newRow("previous first") << QByteArray("a\nb\n") << QByteArray("c\n") << 100
                                        << QStringLiteral("a\nb\nc\n");
        QTest::newRow("starts at a line") << QByteArray("aaaa\nbb\n") << QByteArray("cc\n") << 7
                                          << QStringLiteral("bb\ncc\n");
        QTest::newRow("current alone when long") << QByteArray("old\n") << QByteArray("0123\n56\n") << 5
                                                 << QStringLiteral("56\n");
        QTest::newRow("zero") << QByteArray("a\n") << QByteArray("b\n") << 0 << QString();
    }
    void tail()
    {
        QFETCH(QByteArray, previous);
        QFETCH(QByteArray, current);
        QFETCH(int, maxBytes);
        QFETCH(QString, expected);
        writeFile(ActivityLog::previousLogPath(), previous);
        writeFile(ActivityLog::logPath(), current);
        QCOMPARE(activityLogTail(maxBytes), expected);
    }

    void tailIsScrubbed()
    {
        activityLog(TestEnv::home() + QStringLiteral("/Desktop/x.png saved"));
        const QString t = activityLogTail(60000);
        QVERIFY(t.contains(QStringLiteral("~/Desktop/x.png saved")));
        QVERIFY(!t.contains(TestEnv::home()));
    }

    void captureLogCreatesFolderAndAppends()
    {
        appendCaptureLog(QStringLiteral("frozen in 84 ms, overlay up in 31 ms displays=1 pixels=1920x1080"));
        appendCaptureLog(QStringLiteral("frozen in 5 ms, overlay up in 6 ms displays=1 pixels=1920x1080"));
        const auto l = lines(ActivityLog::captureLogPath());
        QCOMPARE(l.size(), 2);
        static const QRegularExpression form(
            QStringLiteral("^\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\dZ frozen in 84 ms, overlay up in 31 ms displays=1 pixels=1920x1080$"));
        QVERIFY2(form.match(QString::fromUtf8(l.first())).hasMatch(), l.first().constData());
    }

    void captureLogThatCannotBeOpenedIsNotReplaced()
    {
        // A FIFO in place of the file cannot be opened for writing without a reader; the line is
        // dropped and logged, and nothing replaces what stands there.
        QDir().mkpath(ActivityLog::folder());
        QCOMPARE(::mkfifo(QFile::encodeName(ActivityLog::captureLogPath()).constData(), 0600), 0);
        appendCaptureLog(QStringLiteral("new line"));
        QVERIFY(!QFileInfo(ActivityLog::captureLogPath()).isFile());
        QVERIFY(readAll(ActivityLog::logPath()).contains("capture: cannot open capture.log"));
    }
};

QUILLET_TEST_MAIN_CORE(TestActivityLog)
#include "tst_activitylog.moc"
