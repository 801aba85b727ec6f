#include "launch/AppDelegate.h"

#include "app/ActivityLog.h"
#include "app/ChromeViews.h"
#include "app/Toast.h"
#include "capture/CaptureSession.h"
#include "app/PreferenceReaders.h"
#include "platform/Preferences.h"
#include "platform/fake/FakeScreenSource.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include "FakeSessionCanvas.h"
#include "TestEnv.h"
#include "ToastText.h"

namespace {
QByteArray appLog()
{
    QFile f(ActivityLog::logPath());
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
} // namespace

class TestRestart : public QObject
{
    Q_OBJECT

    std::shared_ptr<FakeScreenSource> fake;
    decltype(AppDelegate::launchProcess) realLauncher = AppDelegate::launchProcess;
    QList<QStringList> launches;

    std::unique_ptr<AppDelegate> delegate(const QStringList &arguments)
    {
        fake = std::make_shared<FakeScreenSource>();
        fake->screenList = {{11, "A", QRect(0, 0, 800, 600), 1.0}};
        return std::make_unique<AppDelegate>(arguments, fake);
    }

private slots:
    void cleanup()
    {
        AppDelegate::launchProcess = realLauncher;
        launches.clear();
        CaptureSession::setCurrentSession(nullptr);
        CaptureSession::canvasOf = nullptr;
        CaptureSession::openPictures = nullptr;
        Prefs::store().setValue(QStringLiteral("history.paused"), false);
    }

    void scriptText()
    {
        QCOMPARE(AppDelegate::restartScript(4242),
                 QStringLiteral("i=0; while kill -0 4242 2>/dev/null && [ $i -lt 100 ]; do /bin/sleep 0.1; "
                                "i=$((i+1)); done; exec \"$0\" \"$@\""));
    }

    // The script waits for the old process to end, then starts the program with the arguments.
    void scriptWaitsForTheOldProcess()
    {
        QProcess old;
        old.start(QStringLiteral("/bin/sleep"), {QStringLiteral("0.4")});
        QVERIFY(old.waitForStarted());
        QTemporaryDir dir;
        const QString marker = dir.filePath(QStringLiteral("ran"));
        QProcess script;
        QElapsedTimer clock;
        clock.start();
        script.start(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), AppDelegate::restartScript(old.processId()),
                                                 QStringLiteral("/usr/bin/touch"), marker});
        QVERIFY(script.waitForStarted());
        // The old process is reaped by QProcess once it exits; until then the script keeps waiting.
        QVERIFY(old.waitForFinished(5000));
        QVERIFY(script.waitForFinished(5000));
        QCOMPARE(script.exitCode(), 0);
        QVERIFY(QFile::exists(marker));
        QVERIFY(clock.elapsed() >= 300);
    }

    void argumentsAndLauncher()
    {
        auto d = delegate({QStringLiteral("quillet"), QStringLiteral("--demo")});
        AppDelegate::launchProcess = [this](const QString &program, const QStringList &args, QString *) {
            launches.append(QStringList{program} + args);
            return true;
        };
        d->restart();
        QCOMPARE(launches.size(), 1);
        const QStringList call = launches.first();
        QCOMPARE(call.value(0), QStringLiteral("/bin/sh"));
        QCOMPARE(call.value(1), QStringLiteral("-c"));
        QCOMPARE(call.value(2), AppDelegate::restartScript(QCoreApplication::applicationPid()));
        QCOMPARE(call.value(3), QCoreApplication::applicationFilePath());
        // No canvas is open: nothing to reopen.
        QCOMPARE(call.mid(4), QStringList{QStringLiteral("--demo")});
    }

    // The new process reopens the canvas only when one is open and the history keeps captures.
    void reopenOnlyAnOpenCanvasWithHistoryOn_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<bool>("canvasOpen");
        QTest::addColumn<bool>("historyPaused");
        QTest::addColumn<QStringList>("expected");
        const QStringList plain{QStringLiteral("quillet")};
        const QStringList demo{QStringLiteral("quillet"), QStringLiteral("--demo")};
        QTest::newRow("canvas, history on") << plain << true << false << QStringList{QStringLiteral("--reopen")};
        QTest::newRow("canvas, history paused") << plain << true << true << QStringList{};
        QTest::newRow("no canvas") << plain << false << false << QStringList{};
        QTest::newRow("demo with a canvas")
            << demo << true << false << QStringList{QStringLiteral("--demo"), QStringLiteral("--reopen")};
    }
    void reopenOnlyAnOpenCanvasWithHistoryOn()
    {
        QFETCH(QStringList, arguments);
        QFETCH(bool, canvasOpen);
        QFETCH(bool, historyPaused);
        QFETCH(QStringList, expected);
        auto d = delegate(arguments);
        FakeSessionCanvas canvas;
        CaptureSession::canvasOf = [&canvas](OverlayView *) { return &canvas; };
        CaptureSession::openPictures = [](CaptureSession &, OverlayView *, const Markup &, const ShotImages &,
                                          const std::optional<QString> &) {};
        Prefs::store().setValue(QStringLiteral("history.paused"), historyPaused);
        if (canvasOpen) {
            QImage image(300, 200, QImage::Format_ARGB32_Premultiplied);
            image.fill(Qt::darkCyan);
            d->openPictures({{image, 1, std::nullopt}}, 0);
            QVERIFY(CaptureSession::currentSession());
        }
        AppDelegate::launchProcess = [this](const QString &program, const QStringList &args, QString *) {
            launches.append(QStringList{program} + args);
            return true;
        };
        d->restart();
        QCOMPARE(launches.size(), 1);
        QCOMPARE(launches.first().mid(4), expected);
        CaptureSession::setCurrentSession(nullptr);
    }

    void launcherFailureKeepsRunning()
    {
        auto d = delegate({QStringLiteral("quillet")});
        AppDelegate::launchProcess = [](const QString &, const QStringList &, QString *error) {
            *error = QStringLiteral("No such file or directory");
            return false;
        };
        bool quitAsked = false;
        connect(qApp, &QCoreApplication::aboutToQuit, this, [&] { quitAsked = true; });
        d->restart();
        QCoreApplication::processEvents();
        QVERIFY(!quitAsked);
        QCOMPARE(toastText(), QStringLiteral("Quillet™ could not restart itself. Quit it and open it again."));
        QVERIFY(appLog().contains("restart: the helper did not start, No such file or directory"));
    }
};

QUILLET_TEST_MAIN(TestRestart)
#include "tst_restart.moc"
