#include "launch/AppDelegate.h"

#include "app/ActivityLog.h"
#include "app/ChromeViews.h"
#include "app/HotKeyCenter.h"
#include "app/PreferenceReaders.h"
#include "app/Toast.h"
#include "capture/CaptureSession.h"
#include "platform/Preferences.h"
#include "platform/fake/FakeScreenSource.h"

#include "TestEnv.h"

#include <QAction>
#include <QFile>
#include <QJsonObject>

namespace {
QString toastText()
{
    QWidget *panel = Toast::current();
    if (!panel)
        return QString();
    auto *label = panel->findChild<GlassLabel *>();
    return label ? label->label()->text() : QString();
}

QList<QByteArray> captureLogLines()
{
    QFile f(ActivityLog::captureLogPath());
    if (!f.open(QIODevice::ReadOnly))
        return {};
    QList<QByteArray> lines = f.readAll().split('\n');
    lines.removeAll(QByteArray());
    return lines;
}
} // namespace

class TestDispatch : public QObject
{
    Q_OBJECT

    std::shared_ptr<FakeScreenSource> fake;
    std::unique_ptr<AppDelegate> delegate;
    QStringList alerts;

private slots:
    void init()
    {
        CaptureSession::setCurrentSession(nullptr);
        CaptureSession::lastArea.reset();
        fake = std::make_shared<FakeScreenSource>();
        fake->screenList = {{11, "A", QRect(0, 0, 800, 600), 1.0}};
        fake->contentValue.displays = {{11, QRect(0, 0, 800, 600)}};
        fake->contentValue.applications = {QCoreApplication::applicationPid()};
        delegate = std::make_unique<AppDelegate>(QStringList{"quillet"}, fake);
        alerts.clear();
        delegate->showAlert = [this](const QString &text) { alerts.append(text); };
        delegate->clipboardPicture = [] { return false; };
        QFile::remove(ActivityLog::captureLogPath());
        Preferences::shared().remove(QStringLiteral("melt.captures"));
    }
    void cleanup()
    {
        CaptureSession::setCurrentSession(nullptr);
        delegate.reset();
    }

    void messagesWithoutACapture_data()
    {
        QTest::addColumn<int>("action");
        QTest::addColumn<QString>("text");
        QTest::newRow("repeat without area") << int(CaptureAction::repeatLastArea) << "No earlier area yet";
        QTest::newRow("reopen without history") << int(CaptureAction::reopenLast) << "Nothing to reopen yet";
        QTest::newRow("clipboard without picture") << int(CaptureAction::markUpClipboard) << "No image on the clipboard";
    }
    void messagesWithoutACapture()
    {
        QFETCH(int, action);
        QFETCH(QString, text);
        delegate->capture(CaptureAction(action));
        QCOMPARE(toastText(), text);
        QVERIFY(fake->grabCalls.isEmpty());
        QVERIFY(!CaptureSession::currentSession());
    }

    void twoPressesStartOneFreeze()
    {
        fake->manualGrabs = true;
        delegate->capture(CaptureAction::areaToClipboard);
        QTRY_COMPARE(fake->grabCalls.size(), 1);
        QVERIFY(delegate->isCapturing());
        delegate->capture(CaptureAction::areaToClipboard);
        QTest::qWait(50);
        QCOMPARE(fake->grabCalls.size(), 1);

        fake->finishGrab(11);
        QTRY_VERIFY(CaptureSession::currentSession() != nullptr);
        QVERIFY(!delegate->isCapturing());
        QCOMPARE(CaptureSession::currentSession()->mode(), OverlayViewHost::Mode::Clipboard);
        QCOMPARE(captureLogLines().size(), 1);
        QVERIFY(captureLogLines().first().contains(" displays=1 pixels=800x600"));
        QVERIFY(delegate->lastItem()->text().startsWith("Last: frozen in "));
        QCOMPARE(Preferences::shared().intValue("melt.captures"), std::optional<qint64>(1));

        // With the session open, a clipboard capture is ignored and a canvas capture does not
        // start a new session.
        CaptureSession *session = CaptureSession::currentSession();
        delegate->capture(CaptureAction::areaToClipboard);
        delegate->capture(CaptureAction::repeatLastArea);
        QTest::qWait(50);
        QCOMPARE(fake->grabCalls.size(), 1);
        QCOMPARE(CaptureSession::currentSession(), session);
    }

    void failedFreezeShowsTheAlert()
    {
        fake->failingDisplays.insert(11, QStringLiteral("the display went away"));
        delegate->capture(CaptureAction::areaToCanvas);
        QTRY_COMPARE(alerts.size(), 1);
        QVERIFY(!delegate->isCapturing());
        QVERIFY(!CaptureSession::currentSession());
        QVERIFY(captureLogLines().isEmpty());
    }

    void openAppSaysHowToCapture_data()
    {
        QTest::addColumn<QJsonValue>("stored");
        QTest::addColumn<QString>("text");
        QTest::newRow("default") << QJsonValue(QJsonValue::Undefined)
                                 << "Nothing captured yet. Press Ctrl+Shift+2 to take a shot.";
        QTest::newRow("own") << QJsonValue(QJsonObject{{"keyCode", 20}, {"modifiers", 8}, {"key", "3"}})
                             << "Nothing captured yet. Press Ctrl+3 to take a shot.";
        QTest::newRow("removed") << QJsonValue(QString())
                                 << "Nothing captured yet. Capture an area to start.";
    }
    void openAppSaysHowToCapture()
    {
        QFETCH(QJsonValue, stored);
        QFETCH(QString, text);
        const QString key = HotKeyCenter::preferenceKey(CaptureAction::areaToCanvas);
        if (stored.isUndefined())
            Preferences::shared().remove(key);
        else
            Preferences::shared().setValue(key, stored);
        delegate->openApp();
        QCOMPARE(toastText(), text);
    }

    void launchShowsTheWelcomeUnlessDemo_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<bool>("onboarded");
        QTest::addColumn<int>("welcomes");
        QTest::newRow("first start") << QStringList{"quillet"} << false << 1;
        QTest::newRow("onboarded") << QStringList{"quillet"} << true << 0;
        QTest::newRow("demo skips it") << QStringList{"quillet", "--demo"} << false << 0;
        QTest::newRow("settings ends the launch") << QStringList{"quillet", "--settings", "about"} << false << 0;
        QTest::newRow("welcome page") << QStringList{"quillet", "--welcome", "done"} << true << 1;
    }
    void launchShowsTheWelcomeUnlessDemo()
    {
        QFETCH(QStringList, args);
        QFETCH(bool, onboarded);
        QFETCH(int, welcomes);
        Preferences::shared().setValue(QStringLiteral("onboarding.done"), onboarded);
        AppDelegate launched(args, fake);
        int shown = 0;
        launched.showWelcome = [&shown] { ++shown; };
        launched.keysCanBeSynthesized = [] { return true; }; // no XTest on the offscreen platform
        launched.applicationDidFinishLaunching();
        QCOMPARE(shown, welcomes);
        QCOMPARE(launched.demo(), args.contains("--demo"));
        QVERIFY(launched.menus() != nullptr);
    }

    void waylandSessionIsNamed()
    {
        qputenv("XDG_SESSION_TYPE", "wayland");
        AppDelegate launched({"quillet", "--demo"}, fake);
        launched.applicationDidFinishLaunching();
        qunsetenv("XDG_SESSION_TYPE");
        QVERIFY(toastText().startsWith(QStringLiteral("Quillet™ captures X11 sessions only")));
        QFile log(ActivityLog::logPath());
        QVERIFY(log.open(QIODevice::ReadOnly));
        QVERIFY(log.readAll().contains("launch: this is a Wayland session (XDG_SESSION_TYPE=wayland"));
    }

    void timingLine()
    {
        QImage a(1920, 1080, QImage::Format_RGB32), b(1280, 1024, QImage::Format_RGB32);
        const QString timing = delegate->logCaptureTiming({{{}, a}, {{}, b}}, 0.0841, 0.1153);
        QCOMPARE(timing, QStringLiteral("frozen in 84 ms, overlay up in 115 ms"));
        QCOMPARE(captureLogLines().size(), 1);
        QVERIFY(captureLogLines().first().endsWith(
            " frozen in 84 ms, overlay up in 115 ms displays=2 pixels=1920x1080,1280x1024"));
    }
};

QUILLET_TEST_MAIN(TestDispatch)
#include "tst_dispatch.moc"
