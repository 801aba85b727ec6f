// "--report-send-test" of the real application, with no endpoint in this build.
#include "TestEnv.h"

#include <QDir>
#include <QProcess>

class TestSendTest : public QObject
{
    Q_OBJECT
private slots:
    void notSentStaysInTheOutbox()
    {
        QProcess app;
        app.start(QStringLiteral(QUILLET_TEST_BIN_DIR) + QStringLiteral("/../../src/quillet"), {QStringLiteral("--report-send-test")});
        QVERIFY(app.waitForFinished(60000));
        QCOMPARE(app.exitStatus(), QProcess::NormalExit);
        QCOMPARE(app.exitCode(), 1);
        const QString out = QString::fromUtf8(app.readAllStandardOutput()).trimmed();
        QVERIFY2(out.startsWith(QLatin1String("NOT sent ")), qPrintable(out));
        const QString id = out.mid(9);
        const QString outbox = QString::fromLocal8Bit(qgetenv("XDG_DATA_HOME")) + QStringLiteral("/Vellum/Reports/outbox");
        QCOMPARE(QDir(outbox).entryList(QDir::Files), QStringList{id + QStringLiteral(".json")});
    }
};

QUILLET_TEST_MAIN_CORE(TestSendTest)
#include "tst_sendtest.moc"
