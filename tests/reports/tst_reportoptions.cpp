// "--report-check" and "--report-send-test" of the application.
#include "ReportServer.h"

#include "TestEnv.h"

#include <QDir>
#include <QImage>
#include <QProcess>

namespace {
struct Run {
    int exitCode = -1;
    QStringList lines;
};

// Runs the application trusting the test server, with these extra environment values; keeps
// the event loop turning so the server can answer.
Run runApp(const QStringList &arguments, const QHash<QString, QString> &environment = {})
{
    QProcess app;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QUILLET_TEST_CA"), QStringLiteral(QUILLET_SOURCE_DIR "/tests/reports/report-server.crt"));
    for (auto it = environment.begin(); it != environment.end(); ++it)
        env.insert(it.key(), it.value());
    app.setProcessEnvironment(env);
    app.start(TestEnv::helperPath(QStringLiteral("reports_trusted_app")), arguments);
    Run run;
    if (!QTest::qWaitFor([&] { return app.state() == QProcess::NotRunning; }, 60000)) {
        app.kill();
        app.waitForFinished();
        return run;
    }
    run.exitCode = app.exitStatus() == QProcess::NormalExit ? app.exitCode() : -1;
    run.lines = QString::fromUtf8(app.readAllStandardOutput()).trimmed().split(QLatin1Char('\n'));
    return run;
}

QString outboxPath()
{
    return QString::fromLocal8Bit(qgetenv("XDG_DATA_HOME")) + QStringLiteral("/Vellum/Reports/outbox");
}
} // namespace

class TestReportOptions : public QObject
{
    Q_OBJECT
private slots:
    void reportCheckPasses()
    {
        const QString folder = TestEnv::home() + QStringLiteral("/check");
        const Run run = runApp({QStringLiteral("--report-check"), folder}, {{QStringLiteral("USER"), QStringLiteral("qtester")}});
        QCOMPARE(run.exitCode, 0);
        const QStringList expected = {
            "ok   the report is JSON the reader can decode",
            "ok   it carries the caught error",
            "ok   it carries the end of the activity log",
            "ok   the account name is nowhere in it",
            "ok   it fits what the server takes",
            "ok   an oversized report is cut to fit",
            "ok   report-crash.png: Send is the default button",
            "ok   report-crash.png: no text is cut off",
            "ok   report-crash.png: the automatic switch shows only after a crash",
            "ok   report-problem.png: Send is the default button",
            "ok   report-problem.png: no text is cut off",
            "ok   report-problem.png: the automatic switch shows only after a crash",
            "all checks passed",
        };
        QCOMPARE(run.lines, expected);
        QFile json(folder + QStringLiteral("/report.json"));
        QVERIFY(json.open(QIODevice::ReadOnly));
        const QByteArray text = json.readAll();
        QVERIFY(text.contains("\n  ")); // pretty
        QVERIFY(!text.contains(TestEnv::home().toUtf8()));
        QVERIFY(text.contains("EXC_BREAKPOINT (SIGTRAP) in Reports::deliberateCrashForTesting()"));
        for (const char *picture : {"report-crash.png", "report-problem.png"}) {
            const QImage image(folder + QLatin1Char('/') + QLatin1String(picture));
            QVERIFY2(image.width() >= 500 && image.height() >= 300, picture);
        }
        // The user's own report folder is not touched.
        QVERIFY(!QDir(outboxPath()).exists() || QDir(outboxPath()).isEmpty());
    }

    // An account name the scrubber cannot take out (it is the application's own name).
    void plantedAccountNameFails()
    {
        const Run run = runApp({QStringLiteral("--report-check"), TestEnv::home() + QStringLiteral("/planted")},
                               {{QStringLiteral("USER"), QStringLiteral("Quillet")}});
        QCOMPARE(run.exitCode, 1);
        QVERIFY(run.lines.contains(QStringLiteral("FAIL the account name is nowhere in it  Quillet")));
        QCOMPARE(run.lines.last(), QStringLiteral("1 checks FAILED"));
    }

    void sendTest_data()
    {
        QTest::addColumn<bool>("serverUp");
        QTest::newRow("sent") << true;
        QTest::newRow("no server") << false;
    }
    void sendTest()
    {
        QFETCH(bool, serverUp);
        QDir(outboxPath()).removeRecursively();
        ReportServer server;
        QString url = server.url();
        if (!serverUp) {
            QTcpServer closed;
            QVERIFY(closed.listen(QHostAddress::LocalHost));
            url = QStringLiteral("https://127.0.0.1:%1/v1/report").arg(closed.serverPort());
        }
        const Run run = runApp({QStringLiteral("--report-send-test")}, {{QStringLiteral("QUILLET_TEST_REPORT_URL"), url}});
        QCOMPARE(run.lines.size(), 1);
        const QString prefix = serverUp ? QStringLiteral("sent ") : QStringLiteral("NOT sent ");
        QVERIFY2(run.lines.first().startsWith(prefix), qPrintable(run.lines.first()));
        QCOMPARE(run.exitCode, serverUp ? 0 : 1);
        const QString id = run.lines.first().mid(prefix.size());
        const QStringList left = QDir(outboxPath()).entryList(QDir::Files);
        if (serverUp) {
            QCOMPARE(server.requests.size(), 1);
            QCOMPARE(server.requests.first().path, QByteArray("/v1/report/") + id.toLatin1());
            QVERIFY(server.requests.first().body.contains("Sent by --report-send-test to check the upload path."));
            QVERIFY(left.isEmpty());
        } else {
            QCOMPARE(left, QStringList{id + QStringLiteral(".json")});
        }
    }
};

QUILLET_TEST_MAIN(TestReportOptions)
#include "tst_reportoptions.moc"
