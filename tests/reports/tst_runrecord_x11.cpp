// The real application tells a clean quit from a death at launch across runs.
#include "TestEnv.h"

#include <QFile>
#include <QProcess>

#include <csignal>

namespace {
QString appPath() { return QStringLiteral(QUILLET_TEST_BIN_DIR) + QStringLiteral("/../../src/quillet"); }
QString logPath() { return QString::fromLocal8Bit(qgetenv("XDG_STATE_HOME")) + QStringLiteral("/Quillet/app.log"); }
QString runPath() { return QString::fromLocal8Bit(qgetenv("XDG_DATA_HOME")) + QStringLiteral("/Vellum/Reports/run.json"); }

QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
} // namespace

class TestRunRecordX11 : public QObject
{
    Q_OBJECT

    std::unique_ptr<QProcess> app;

    // Starts the application and waits for its launch line; returns how it says the last run ended.
    QByteArray launch(int number)
    {
        app = std::make_unique<QProcess>();
        app->start(appPath(), {});
        if (!app->waitForStarted())
            return QByteArray();
        QByteArray line;
        (void)QTest::qWaitFor([&] {
            const QList<QByteArray> lines = readFile(logPath()).split('\n');
            int seen = 0;
            for (const QByteArray &l : lines) {
                if (l.contains(" launch Quillet ") && ++seen == number)
                    line = l;
            }
            return !line.isEmpty();
        }, 20000);
        return line.mid(line.indexOf("; last run ended: ") + 18);
    }

    void end(int signal)
    {
        ::kill(pid_t(app->processId()), signal);
        QVERIFY(app->waitForFinished(20000));
    }

private slots:
    void cleanup()
    {
        if (app && app->state() != QProcess::NotRunning) {
            app->kill();
            app->waitForFinished();
        }
    }

    void endingsAcrossRuns()
    {
        QCOMPARE(launch(1), QByteArray("none"));
        end(SIGTERM);
        QCOMPARE(app->exitStatus(), QProcess::NormalExit);
        QCOMPARE(app->exitCode(), 0);
        QVERIFY(readFile(runPath()).contains("\"clean\":true"));

        QCOMPARE(launch(2), QByteArray("clean"));
        end(SIGKILL); // about a second into the run, long before it settles

        QCOMPARE(launch(3), QByteArray("diedAtLaunch"));
        end(SIGTERM);
    }
};

QUILLET_TEST_MAIN_CORE(TestRunRecordX11)
#include "tst_runrecord_x11.moc"
