// The settings window in the running application, on the test's X server: opened from the tray,
// a shortcut recorded by clicking the well and typing, then working as a global shortcut.
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

#include "TestEnv.h"
#include "XTestInput.h"

#include <QAction>
#include <QMenu>
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
        auto screens = std::make_shared<FakeScreenSource>();
        screens->screenList = {{11, "A", QRect(0, 0, 1920, 1080), 1.0}};
        screens->contentValue.displays = {{11, QRect(0, 0, 1920, 1080)}};
        screens->contentValue.applications = {QCoreApplication::applicationPid()};
        AppDelegate delegate(QStringList{"quillet"}, screens);
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
};

QUILLET_TEST_MAIN(TestSettingsWindowX11)
#include "tst_settingswindow_x11.moc"
