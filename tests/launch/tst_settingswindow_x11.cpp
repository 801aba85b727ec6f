// The settings window in the running application, on the test's X server: opened from the tray,
// a shortcut recorded by clicking the well and typing, then working as a global shortcut; the
// window with the keyboard alone; the main menu's Ctrl+Q quitting the application from it.
#include "launch/AppDelegate.h"
#include "launch/MainMenu.h"
#include "launch/Menus.h"
#include "launch/StatusMenu.h"
#include "app/HotKeyCenter.h"
#include "capture/CaptureSession.h"
#include "platform/Preferences.h"
#include "platform/fake/FakeScreenSource.h"
#include "settings/SettingsModel.h"
#include "settings/SettingsWindowController.h"

#include "AppUnderTest.h"
#include "RealApp.h"
#include "TestEnv.h"
#include "XTestInput.h"

#include <QAction>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMenu>
#include <QProcess>
#include <QQuickItem>
#include <QQuickView>
#include <QSignalSpy>

namespace {
constexpr uint32_t controlL = 0xffe3, altL = 0xffe9, digit5 = 0x35, escape = 0xff1b;

QAction *find(QMenu *menu, const QString &text)
{
    for (QAction *a : menu->actions())
        if (a->text() == text || a->text().startsWith(text))
            return a;
    return nullptr;
}

QQuickItem *findIn(QQuickItem *item, const QString &name)
{
    if (!item || item->objectName() == name)
        return item;
    for (QQuickItem *child : item->childItems())
        if (QQuickItem *hit = findIn(child, name))
            return hit;
    return nullptr;
}

// One 1920 × 1080 display, as the fake screen source has it.
std::shared_ptr<FakeScreenSource> oneScreen()
{
    auto screens = std::make_shared<FakeScreenSource>();
    screens->screenList = {{11, "A", QRect(0, 0, 1920, 1080), 1.0}};
    screens->contentValue.displays = {{11, QRect(0, 0, 1920, 1080)}};
    screens->contentValue.applications = {QCoreApplication::applicationPid()};
    return screens;
}
constexpr uint32_t tab = 0xff09, up = 0xff52, down = 0xff54, keyW = 0x77, keyQ = 0x71;
const QColor ring(0x64, 0xB0, 0xFF);

void tap(XTestInput &input, uint32_t key)
{
    input.keyDown(key);
    input.keyUp(key);
}

bool shown(const QQuickItem *item)
{
    for (; item; item = item->parentItem())
        if (!item->isVisible() || !item->isEnabled() || item->opacity() <= 0)
            return false;
    return true;
}

// Every item below this one that the Tab key stops at, in tree order.
void tabStops(QQuickItem *item, QList<QQuickItem *> &out)
{
    if (!shown(item))
        return;
    if (item->activeFocusOnTab())
        out << item;
    for (QQuickItem *child : item->childItems())
        tabStops(child, out);
}

// The name a user would read for a focused item: its own, or its nearest named ancestor's.
QString nameOf(QQuickItem *item)
{
    for (; item; item = item->parentItem())
        if (!item->objectName().isEmpty() && item->objectName() != QLatin1String("switch"))
            return item->objectName();
    return QStringLiteral("?");
}

// Pixels of the focus ring's colour around the item on screen.
int ringPixels(QQuickView *window, QQuickItem *item)
{
    const QImage shot = window->grabWindow();
    const qreal scale = shot.width() / qreal(window->width());
    const QRectF box = item->mapRectToScene(QRectF(0, 0, item->width(), item->height())).adjusted(-6, -6, 6, 6);
    const QRect pixels = QRectF(box.topLeft() * scale, box.size() * scale).toRect() & shot.rect();
    int count = 0;
    for (int y = pixels.top(); y <= pixels.bottom(); ++y)
        for (int x = pixels.left(); x <= pixels.right(); ++x) {
            const QColor c = shot.pixelColor(x, y);
            if (qAbs(c.red() - ring.red()) < 24 && qAbs(c.green() - ring.green()) < 24 && qAbs(c.blue() - ring.blue()) < 24)
                ++count;
        }
    return count;
}
} // namespace

class TestSettingsWindowX11 : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { qputenv("QT_QUICK_BACKEND", "software"); }

    void changeHotkeyFromTheTrayRecordsAWorkingShortcut()
    {
        XTestInput input;
        QVERIFY(input.isValid());
        AppDelegate delegate(QStringList{"quillet"}, oneScreen());
        delegate.clipboardPicture = [] { return false; };
        delegate.applicationDidFinishLaunching();
        QSignalSpy captures(&delegate, &AppDelegate::captureStarted);

        QAction *changeHotkey = find(delegate.menus()->statusMenu().menu(), "Change Hotkey");
        QVERIFY(changeHotkey);
        changeHotkey->trigger();
        SettingsWindowController *settings = delegate.settingsWindow();
        QQuickView *window = settings->window();
        QVERIFY(QTest::qWaitForWindowExposed(window));
        QCOMPARE(window->title(), QStringLiteral("Quillet™ Settings"));
        QCOMPARE(settings->model()->section(), SettingsSection::shortcuts);
        QTRY_VERIFY(window->isActive());

        // A click on the big well starts recording.
        QQuickItem *well = findIn(window->rootObject(), "keycapArea");
        QVERIFY(well);
        QTRY_VERIFY(well->width() > 0);
        const QPoint centre = window->mapToGlobal(well->mapToScene(QPointF(20, well->height() / 2)).toPoint());
        input.moveTo(centre);
        input.buttonDown();
        input.buttonUp();
        QTRY_COMPARE(settings->model()->recordingName(), QStringLiteral("areaToCanvas"));

        // Escape keeps the old shortcut.
        input.keyDown(escape);
        input.keyUp(escape);
        QTRY_VERIFY(!settings->model()->recording());
        QCOMPARE(delegate.hotKeys()->shortcut(CaptureAction::areaToCanvas)->displayText(),
                 QStringLiteral("Ctrl+Shift+2"));

        // Recording again, Ctrl+Alt+5 is taken and stored.
        QTest::qWait(300); // past the guard that swallows a click right after a recording ended
        input.buttonDown();
        input.buttonUp();
        QTRY_COMPARE(settings->model()->recordingName(), QStringLiteral("areaToCanvas"));
        input.chord({controlL, altL}, digit5);
        QTRY_VERIFY(!settings->model()->recording());
        const auto stored = Shortcut::fromJson(
            Preferences::shared().value(HotKeyCenter::preferenceKey(CaptureAction::areaToCanvas)));
        QVERIFY(stored);
        QCOMPARE(stored->displayText(), QStringLiteral("Ctrl+Alt+5"));
        QCOMPARE(delegate.hotKeys()->status(CaptureAction::areaToCanvas).kind, HotKeyCenter::Status::active);

        // The menu says so, and the keys now start a capture.
        QMenu *hotkeys = delegate.menus()->mainMenu().hotkeysMenu();
        emit hotkeys->aboutToShow();
        QVERIFY(find(hotkeys, "Capture area")->text().contains("Ctrl+Alt+5"));
        input.chord({controlL, altL}, digit5);
        QTRY_COMPARE(captures.count(), 1);
        QTRY_VERIFY(CaptureSession::currentSession());
        CaptureSession::setCurrentSession(nullptr);
        window->close();
        Preferences::shared().remove(HotKeyCenter::preferenceKey(CaptureAction::areaToCanvas));
    }

    // With the keyboard alone: Tab reaches the menu button, every sidebar row in order and then
    // every control of the pane in reading order, each with its focus ring on screen; the arrows
    // move in the sidebar; Escape and Ctrl+W close the window.
    void tabReachesEverythingAndEscapeCloses()
    {
        XTestInput input;
        QVERIFY(input.isValid());
        AppDelegate delegate(QStringList{"quillet"}, oneScreen());
        delegate.clipboardPicture = [] { return false; };
        delegate.applicationDidFinishLaunching();

        delegate.openSettings(SettingsSection::general);
        SettingsWindowController *settings = delegate.settingsWindow();
        QQuickView *window = settings->window();
        QVERIFY(QTest::qWaitForWindowExposed(window));
        QTRY_VERIFY(window->isActive());
        QQuickItem *root = window->rootObject();
        QTRY_VERIFY(findIn(root, "install"));

        QList<QQuickItem *> expected;
        tabStops(root, expected);
        QVERIFY2(expected.size() > 12, qPrintable(QString::number(expected.size())));

        // Once round the whole chain and back to its start.
        QStringList visited;
        QList<QQuickItem *> reached;
        for (int i = 0; i <= expected.size(); ++i) {
            QQuickItem *previous = window->activeFocusItem();
            tap(input, tab);
            QTRY_VERIFY(window->activeFocusItem() && window->activeFocusItem() != previous);
            QQuickItem *focused = window->activeFocusItem();
            if (i == expected.size()) {
                QCOMPARE(focused, reached.value(0)); // round to the start
                break;
            }
            QVERIFY2(!reached.contains(focused), qPrintable(nameOf(focused)));
            reached << focused;
            visited << nameOf(focused);
            QVERIFY2(QTest::qWaitFor([&] { return ringPixels(window, focused) >= 20; }, 2000),
                     qPrintable(QStringLiteral("no focus ring on ") + nameOf(focused)));
        }
        const QStringList rows = {"row-shortcuts", "row-canvas", "row-general", "row-permissions",
                                  "row-reports", "row-contact", "row-legal", "row-about"};
        QCOMPARE(visited.mid(0, 9), QStringList{"menuButton"} + rows);
        // The pane's controls follow in reading order, and none is left out.
        QCOMPARE(reached, expected);
        qreal lastY = -1;
        for (QQuickItem *item : reached.mid(9)) {
            const qreal y = item->mapToScene(QPointF(0, item->height() / 2)).y();
            QVERIFY2(y >= lastY - 1, qPrintable(nameOf(item)));
            lastY = y;
        }
        QVERIFY(visited.contains("install"));

        // The arrows move between the sections, the keyboard staying in the sidebar.
        QQuickItem *general = findIn(root, "row-general");
        general->forceActiveFocus(Qt::TabFocusReason);
        tap(input, down);
        QTRY_COMPARE(settings->model()->section(), SettingsSection::permissions);
        QTRY_COMPARE(nameOf(window->activeFocusItem()), QStringLiteral("row-permissions"));
        tap(input, up);
        tap(input, up);
        QTRY_COMPARE(settings->model()->section(), SettingsSection::canvas);
        QTRY_COMPARE(nameOf(window->activeFocusItem()), QStringLiteral("row-canvas"));

        // Escape closes; so does Ctrl+W.
        tap(input, escape);
        QTRY_VERIFY(!window->isVisible());
        delegate.openSettings();
        QTRY_VERIFY(window->isActive());
        input.chord({controlL}, keyW);
        QTRY_VERIFY(!window->isVisible());
    }

    // The real application: Ctrl+Q in its settings window ends it as its Quit item does.
    void controlQQuitsFromTheSettingsWindow()
    {
        TestEnv::prepare();
        QVERIFY(RealApp::markWelcomed());
        XTestInput input;
        QVERIFY(input.isValid());
        QProcess app;
        app.setProcessChannelMode(QProcess::ForwardedChannels);
        app.start(AppUnderTest::appPath(), {QStringLiteral("--settings"), QStringLiteral("general")});
        QVERIFY(app.waitForStarted());
        const QString log = AppUnderTest::logDir() + QStringLiteral("/app.log");
        QVERIFY(QTest::qWaitFor([&] { return AppUnderTest::readFile(log).contains("launch: started"); }, 20000));
        QTest::qWait(2500); // the settings window is up and the window manager gave it the keyboard
        input.chord({controlL}, keyQ);
        // The chord itself runs the event loop, so the app may already be seen as ended.
        QVERIFY(app.state() == QProcess::NotRunning || app.waitForFinished(10000));
        QCOMPARE(app.exitStatus(), QProcess::NormalExit);
        QCOMPARE(app.exitCode(), 0);
        const QByteArray written = AppUnderTest::readFile(log);
        QVERIFY2(written.contains(" quit\n"), written.right(600).constData());
        const QString runRecord = QString::fromLocal8Bit(qgetenv("XDG_DATA_HOME")) + QStringLiteral("/Vellum/Reports/run.json");
        QCOMPARE(QJsonDocument::fromJson(AppUnderTest::readFile(runRecord)).object().value("clean").toBool(), true);
    }
};

QUILLET_TEST_MAIN(TestSettingsWindowX11)
#include "tst_settingswindow_x11.moc"
