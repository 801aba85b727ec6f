#include "TestEnv.h"

#include "app/HotKeyCenter.h"
#include "app/Updates.h"
#include "history/Recents.h"
#include "launch/MainMenu.h"
#include "launch/MenuBarIcon.h"
#include "app/MenuKeyEquivalents.h"
#include "launch/MenuKeyStyle.h"
#include "launch/MenuTracking.h"
#include "launch/Menus.h"
#include "launch/RecentMenu.h"
#include "launch/StatusMenu.h"
#include "platform/KeyTable.h"
#include "platform/Preferences.h"
#include "platform/fake/FakeKeyGrabber.h"
#include "platform/fake/MemoryShortcutStore.h"

#include <QAction>
#include <QDir>
#include <QMenu>
#include <QSignalSpy>
#include <QMenuBar>
#include <QSystemTrayIcon>

#include <memory>

namespace {
constexpr quint64 ctrlShift = EventFlag::Command | EventFlag::Shift;
constexpr quint64 ctrlShiftSuper = ctrlShift | EventFlag::Control;

// One line per row: "---" for a separator, "[title]" for a section, "title" for an item;
// "(hidden)" marks a hidden row, "*" a disabled one, and the key equivalent follows a "|".
QStringList rows(const QMenu *menu)
{
    QStringList out;
    for (const QAction *item : menu->actions()) {
        QString row;
        if (item->isSeparator())
            row = item->text().isEmpty() ? QStringLiteral("---") : "[" + item->text() + "]";
        else
            row = item->text();
        if (!item->isSeparator() && !item->isEnabled())
            row += QStringLiteral(" *");
        if (!item->shortcut().isEmpty())
            row += " | " + MenuKeyStyle::respelled(QStringLiteral("\t") + item->shortcut().toString(QKeySequence::NativeText)).mid(1);
        if (!item->isVisible())
            row += QStringLiteral(" (hidden)");
        out << row;
    }
    return out;
}

QAction *find(const QMenu *menu, const QString &text)
{
    for (QAction *item : menu->actions())
        if (item->text() == text)
            return item;
    return nullptr;
}

// Every command filled except those of windows that are not built (settings, welcome, reports)
// and hideOthers.
struct Recorder {
    QStringList calls;
    QList<bool> menuOpen;
    std::function<bool(int, quint64)> hook;
    QPointer<QMenu> tracked;
    MenuActions actions()
    {
        MenuActions a;
        auto note = [this](const QString &name) { return [this, name] { calls << name; }; };
        a.capture = [this](CaptureAction action) { calls << "capture " + CaptureActions::rawValue(action); };
        a.openApp = note("openApp");
        a.openImage = note("openImage");
        a.reopen = [this](const QString &id) { calls << "reopen " + id; };
        a.togglePause = note("togglePause");
        a.clearHistory = note("clearHistory");
        a.showHistoryFolder = note("showHistoryFolder");
        a.fixShortcuts = note("fixShortcuts");
        a.toggleDevMode = [this] {
            Preferences::shared().setValue("dev.captureSelf",
                                           !Preferences::shared().boolValue("dev.captureSelf").value_or(false));
        };
        a.toggleDock = note("toggleDock");
        a.checkForUpdates = note("checkForUpdates");
        a.showReleaseNotes = note("showReleaseNotes");
        a.restart = note("restart");
        a.quit = note("quit");
        a.statusMenuOpen = [this](bool open) { menuOpen << open; };
        a.shortcutKeyHook = &hook;
        a.trackedMenu = &tracked;
        return a;
    }
};

void writeEntry(const QString &id, const QDateTime &date, bool withThumb)
{
    const QString folder = Recents::folder() + "/" + id;
    QVERIFY(QDir().mkpath(folder));
    QFile canvas(folder + "/canvas.json");
    QVERIFY(canvas.open(QIODevice::WriteOnly));
    // One shot with its picture: an entry opens only with a shot file it can read.
    Recents::Saved saved;
    saved.created = date;
    saved.markup = Markup::single(QRectF(0, 0, 20, 10), QSizeF(20, 10), 1);
    const QString key = Recents::uuidText(saved.markup.shots.first().id);
    saved.scales = QHash<QString, double>{{key, 1.0}};
    canvas.write(saved.encode().value_or(QByteArray()));
    canvas.close();
    QImage shot(20, 10, QImage::Format_RGB32);
    shot.fill(Qt::white);
    QVERIFY(shot.save(folder + "/shot-" + key + ".png"));
    if (withThumb) {
        QImage thumb(216, 108, QImage::Format_RGB32);
        thumb.fill(Qt::darkCyan);
        QVERIFY(thumb.save(folder + "/thumb.png"));
    }
    QVERIFY(canvas.open(QIODevice::ReadWrite));
    QVERIFY(canvas.setFileTime(date, QFileDevice::FileModificationTime));
}
} // namespace

class TestStatusMenu : public QObject
{
    Q_OBJECT

    FakeKeyGrabber grabber;
    MemoryShortcutStore store;
    std::unique_ptr<HotKeyCenter> hotKeys;
    Recorder recorder;

    std::unique_ptr<Menus> build(MenuOptions options = {})
    {
        hotKeys = std::make_unique<HotKeyCenter>(grabber, store);
        hotKeys->registerAll();
        return std::make_unique<Menus>(*hotKeys, recorder.actions(), options);
    }

private slots:
    void init()
    {
        for (const char *key : {"history.paused", "dev.captureSelf", "dock.hidden"})
            Preferences::shared().remove(key);
        for (CaptureAction action : CaptureActions::all)
            Preferences::shared().remove(HotKeyCenter::preferenceKey(action));
        QDir(Recents::folder()).removeRecursively();
        grabber.heldByOthers.clear();
        recorder = Recorder();
    }

    void statusMenuRowsWithFreshPreferences()
    {
        auto menus = build();
        const QString version = Updates::versionLine();
        const QStringList expected = {
            "Open Quillet™",
            "Change Hotkey… *",
            "---",
            "[Capture]",
            "Capture area | Ctrl+Shift+2",
            "Capture full screen",
            "Capture area to clipboard | Ctrl+Shift+Super+2",
            "Capture last area again",
            "---",
            "[Mark up]",
            "Reopen last capture",
            "Mark up clipboard image",
            "Open Image… | Ctrl+O",
            "---",
            "Recent",
            "---",
            " * (hidden)",
            "No capture yet *",
            "---",
            "Dev Mode: Capture Quillet™ Itself",
            "Hide App from taskbar",
            "Onboarding… *",
            "Report a Problem… *",
            "Settings… * | Ctrl+,",
            "Restart Quillet™",
            "Quit Quillet™ | Ctrl+Q",
            "---",
            version + " *",
        };
        QCOMPARE(rows(menus->statusMenu().menu()), expected);
        // The theme here has no keyboard icon: ours stands in.
        QVERIFY(!menus->statusMenu().menu()->actions().at(1)->icon().isNull());

        StatusMenu &status = menus->statusMenu();
        QCOMPARE(menus->lastItem(), status.lastItem());
        QCOMPARE(status.menu()->actions().constLast()->toolTip(), Updates::buildLine());
        QCOMPARE(status.dockItem()->toolTip(),
                 "Quillet™ normally stays in the taskbar while it runs. With this on it lives in "
                 "the tray, and shows in the taskbar only while a canvas window is open.");
        QCOMPARE(status.statusItem()->toolTip(), "Quillet");
        QVERIFY(status.statusItem()->icon().isMask());
        QVERIFY(status.menu()->toolTipsVisible());
        QCOMPARE(status.actionItems().at(CaptureAction::repeatLastArea)->data().toString(),
                 "repeatLastArea");
        QVERIFY(status.recentItem()->menu() == status.recentMenu());
        QCOMPARE(status.recentMenu()->title(), "Recent");
    }

    void mainMenuRowsWithFreshPreferences()
    {
        auto menus = build();
        MainMenu &main = menus->mainMenu();
        QStringList titles;
        for (QAction *item : main.menuBar()->actions())
            titles << item->text();
        QCOMPARE(titles, QStringList({"Quillet", "Capture", "Settings", "Hotkeys", "Help"}));

        QCOMPARE(rows(main.appMenu()),
                 QStringList({"About Quillet™ *", "Report a Problem… *", "---",
                              "Settings… * | Ctrl+,", "---", "Hide Quillet™ | Ctrl+H",
                              "Hide Others * | Ctrl+Alt+H", "Show All", "---", "Restart Quillet™",
                              "Quit Quillet™ | Ctrl+Q", "---", Updates::versionLine() + " *"}));
        QCOMPARE(rows(main.captureMenu()),
                 QStringList({"Capture area | Ctrl+Shift+2", "Capture full screen",
                              "Capture area to clipboard | Ctrl+Shift+Super+2",
                              "Capture last area again", "---", "Reopen last capture",
                              "Mark up clipboard image", "Open Image… | Ctrl+O", "---", "Recent"}));
        QCOMPARE(rows(main.settingsMenu()),
                 QStringList({"Shortcuts *", "Canvas *", "General *", "Permissions *",
                              "Problem Reports *", "Contact *", "Legal *", "About *", "---",
                              "Hide App from taskbar", "Dev Mode: Capture Quillet™ Itself"}));
        QCOMPARE(rows(main.hotkeysMenu()),
                 QStringList({"Change Hotkey… *", " * (hidden)", "---",
                              "Capture area:  Ctrl+Shift+2 *", "Capture full screen:  not set *",
                              "Capture area to clipboard:  Ctrl+Shift+Super+2 *",
                              "Capture last area again:  not set *",
                              "Reopen last capture:  not set *",
                              "Mark up clipboard image:  not set *"}));
        QCOMPARE(main.hotkeyItems().at(CaptureAction::areaToClipboard)->toolTip(),
                 "Select an area; it goes straight to the clipboard.");
        QCOMPARE(rows(main.helpMenu()),
                 QStringList({"Onboarding… *", "---", "Report a Problem… *", "Contact… *"}));
    }

    void shortcutProblems_data()
    {
        QTest::addColumn<bool>("areaTaken");
        QTest::addColumn<bool>("clipboardTaken");
        QTest::addColumn<QString>("areaRow");
        QTest::addColumn<QString>("areaHotkey");
        QTest::addColumn<QString>("problem");
        QTest::newRow("fresh") << false << false << "Capture area | Ctrl+Shift+2"
                               << "Capture area:  Ctrl+Shift+2" << QString();
        QTest::newRow("taken by another application")
            << true << false << "Capture area" << "Capture area:  Ctrl+Shift+2, not working"
            << "A shortcut does not work. Fix it…";
        QTest::newRow("two problems") << true << true << "Capture area"
                                      << "Capture area:  Ctrl+Shift+2, not working"
                                      << "2 shortcuts do not work. Fix them…";
    }

    void shortcutProblems()
    {
        QFETCH(bool, areaTaken);
        QFETCH(bool, clipboardTaken);
        QFETCH(QString, areaRow);
        QFETCH(QString, areaHotkey);
        QFETCH(QString, problem);
        if (areaTaken)
            grabber.heldByOthers.append({19, ctrlShift});
        if (clipboardTaken)
            grabber.heldByOthers.append({19, ctrlShiftSuper});
        auto menus = build();
        QCOMPARE(rows(menus->statusMenu().menu()).at(4), areaRow);
        QCOMPARE(rows(menus->mainMenu().captureMenu()).at(0), areaRow);
        QCOMPARE(menus->mainMenu().hotkeyItems().at(CaptureAction::areaToCanvas)->text(), areaHotkey);
        for (QAction *item :
             {menus->statusMenu().problemItem(), menus->mainMenu().barProblemItem()}) {
            QCOMPARE(item->text(), problem);
            QCOMPARE(item->isVisible(), !problem.isEmpty());
            QCOMPARE(item->isEnabled(), item->isVisible()); // a hidden item is disabled too
        }
        if (clipboardTaken)
            QCOMPARE(menus->statusMenu().actionItems().at(CaptureAction::areaToClipboard)->text(),
                     "Capture area to clipboard");

        // The problem line runs the fix.
        menus->statusMenu().problemItem()->trigger();
        QCOMPARE(recorder.calls, QStringList({"fixShortcuts"}));
    }

    void shortcutWithoutOneCharacterKeyIsShownInTheTitle()
    {
        hotKeys = std::make_unique<HotKeyCenter>(grabber, store);
        hotKeys->setShortcut(Shortcut{96, {}, "F5"}, CaptureAction::areaToCanvas);
        hotKeys->setShortcut(Shortcut{49, Shortcut::Command, "Space"}, CaptureAction::reopenLast);
        Menus menus(*hotKeys, recorder.actions(), {});
        QAction *area = menus.statusMenu().actionItems().at(CaptureAction::areaToCanvas);
        QCOMPARE(area->text(), "Capture area    F5");
        QVERIFY(area->shortcut().isEmpty());
        QCOMPARE(menus.mainMenu().barActionItems().at(CaptureAction::reopenLast)->text(),
                 "Reopen last capture    Ctrl+Space");
        QCOMPARE(menus.mainMenu().hotkeyItems().at(CaptureAction::areaToCanvas)->text(),
                 "Capture area:  F5");
    }

    void openingACaptureMenuRegistersAgain()
    {
        auto menus = build();
        QVERIFY(grabber.holds(19, ctrlShift));
        // Another client takes the combination while the menus are closed: the next opening
        // of the status menu, "Capture" or "Hotkeys" finds out and says so.
        hotKeys.reset(new HotKeyCenter(grabber, store));
        grabber.heldByOthers.append({19, ctrlShift});
        hotKeys->registerAll();
        menus = std::make_unique<Menus>(*hotKeys, recorder.actions(), MenuOptions{});
        grabber.heldByOthers.clear();
        QVERIFY(menus->statusMenu().problemItem()->isVisible());
        emit menus->mainMenu().hotkeysMenu()->aboutToShow();
        QVERIFY(!menus->statusMenu().problemItem()->isVisible());
        QCOMPARE(menus->mainMenu().hotkeyItems().at(CaptureAction::areaToCanvas)->text(),
                 "Capture area:  Ctrl+Shift+2");

        QMenu *status = menus->statusMenu().menu();
        Preferences::shared().setValue("dock.hidden", true);
        emit status->aboutToShow();
        QVERIFY(menus->statusMenu().dockItem()->isChecked());
        emit status->aboutToHide();
        QCOMPARE(recorder.menuOpen, QList<bool>({true, false}));
    }

    void captureItemRunsTheCaptureAfterTheMenuCloses()
    {
        auto menus = build();
        menus->mainMenu().barActionItems().at(CaptureAction::fullScreenToCanvas)->trigger();
        QVERIFY(recorder.calls.isEmpty()); // not at once: the menu closes first
        QTRY_COMPARE(recorder.calls, QStringList({"capture fullScreenToCanvas"}));

        // An item whose data names no action does nothing.
        QAction *item = menus->statusMenu().actionItems().at(CaptureAction::areaToCanvas);
        item->setData(QStringLiteral("nothing"));
        item->trigger();
        QTest::qWait(250);
        QCOMPARE(recorder.calls.size(), 1);

        menus->statusMenu().devItem()->trigger();
        QVERIFY(Preferences::shared().boolValue("dev.captureSelf").value_or(false));
        QVERIFY(menus->statusMenu().devItem()->isChecked());
    }

    void recentMenu_data()
    {
        QTest::addColumn<int>("entries");
        QTest::addColumn<bool>("paused");
        QTest::addColumn<QStringList>("statusRows");
        const QStringList tail = {"---", "Pause History", "Clear History…",
                                  "Show in the file manager"};
        QTest::newRow("empty") << 0 << false << (QStringList{"No captures yet *"} + tail);
        QTest::newRow("empty and paused") << 0 << true << (QStringList{"History is paused *"} + tail);
        QTest::newRow("three entries")
            << 3 << false << (QStringList{"T0 | Ctrl+1", "T1 | Ctrl+2", "T2 | Ctrl+3"} + tail);
        QTest::newRow("three entries, paused")
            << 3 << true << (QStringList{"T0 | Ctrl+1", "T1 | Ctrl+2", "T2 | Ctrl+3"} + tail);
    }

    void recentMenu()
    {
        QFETCH(int, entries);
        QFETCH(bool, paused);
        QFETCH(QStringList, statusRows);
        Preferences::shared().setValue("history.paused", paused);
        const QDateTime now = QDateTime::currentDateTime();
        QStringList ids, titles;
        for (int i = 0; i < entries; ++i) {
            // Newest first; the second has no thumbnail.
            const QDateTime date = now.addSecs(-600 * (i + 1));
            ids << QStringLiteral("2026120%1-101010-AAAA").arg(i);
            writeEntry(ids.last(), date, i != 1);
            titles << RecentMenu::title(QFileInfo(Recents::folder() + "/" + ids.last() + "/canvas.json").lastModified(), now);
        }
        for (int i = 0; i < entries; ++i)
            statusRows.replaceInStrings(QStringLiteral("T%1").arg(i), titles.at(i));

        auto menus = build();
        QMenu *recent = menus->statusMenu().recentMenu();
        emit recent->aboutToShow();
        QCOMPARE(rows(recent), statusRows);
        QCOMPARE(find(recent, "Pause History")->isChecked(), paused);
        for (int i = 0; i < entries; ++i) {
            QAction *item = recent->actions().at(i);
            QCOMPARE(item->data().toString(), ids.at(i));
            QCOMPARE(item->icon().isNull(), i == 1);
            if (i != 1) {
                const QPixmap thumb = item->icon().pixmap(QSize(108, 54));
                QCOMPARE(thumb.deviceIndependentSize().toSize(), QSize(108, 54));
            }
        }
        // The menu bar's twin has no keys.
        QMenu *barRecent = menus->mainMenu().barRecentMenu();
        emit barRecent->aboutToShow();
        for (QAction *item : barRecent->actions())
            QVERIFY(item->shortcut().isEmpty());
        QCOMPARE(barRecent->actions().size(), recent->actions().size());
        // Painting rows with thumbnails works and leaves room for them.
        QVERIFY(!recent->grab().isNull());
        if (entries)
            QVERIFY(recent->actionGeometry(recent->actions().at(0)).height() >= 54);

        find(recent, "Clear History…")->trigger();
        QCOMPARE(recorder.calls, QStringList({"clearHistory"}));
        if (entries) {
            recent->actions().at(2)->trigger();
            QTRY_COMPARE(recorder.calls.last(), "reopen " + ids.at(2));
        }
        // Filling again does not pile rows up.
        emit recent->aboutToShow();
        QCOMPARE(recent->actions().size(), statusRows.size());
    }

    void recentTitles()
    {
        const QLocale locale(QLocale::English, QLocale::UnitedStates);
        const QDateTime now(QDate(2026, 3, 4), QTime(15, 0));
        QCOMPARE(RecentMenu::title(QDateTime(QDate(2026, 3, 4), QTime(9, 5)), now, locale), "9:05 AM");
        QCOMPARE(RecentMenu::title(QDateTime(QDate(2026, 3, 3), QTime(14, 30)), now, locale),
                 "Yesterday, 2:30 PM");
        QCOMPARE(RecentMenu::title(QDateTime(QDate(2025, 12, 24), QTime(8, 0)), now, locale),
                 "Dec 24, 2025, 8:00 AM");
    }

    void options_data()
    {
        QTest::addColumn<bool>("demo");
        QTest::addColumn<bool>("updater");
        QTest::newRow("plain") << false << false;
        QTest::newRow("demo") << true << false;
        QTest::newRow("updater") << false << true;
    }

    void options()
    {
        QFETCH(bool, demo);
        QFETCH(bool, updater);
        auto menus = build({demo, updater});
        const QStringList status = rows(menus->statusMenu().menu());
        const qsizetype last = status.indexOf("No capture yet *");
        QCOMPARE(status.at(last + 1) == "Demo mode: made-up screen *", demo);
        QCOMPARE(status.contains("Check for Updates…"), updater);
        QCOMPARE(status.contains("What’s New…"), updater);
        if (updater)
            QCOMPARE(status.indexOf("What’s New…"), status.indexOf("Check for Updates…") + 1);
        QCOMPARE(rows(menus->mainMenu().appMenu()).contains("Check for Updates…"), updater);
        QCOMPARE(rows(menus->mainMenu().helpMenu()).contains("What’s New…"), updater);
    }

    void settingsSectionsOnceTheSettingsExist()
    {
        hotKeys = std::make_unique<HotKeyCenter>(grabber, store);
        MenuActions actions = recorder.actions();
        actions.openSettingsSection = [this](const QString &section) {
            recorder.calls << "section " + section;
        };
        Menus menus(*hotKeys, actions, {});
        QMenu *settings = menus.mainMenu().settingsMenu();
        find(settings, "Problem Reports")->trigger();
        find(settings, "Legal")->trigger();
        find(menus.mainMenu().helpMenu(), "Contact…")->trigger();
        QCOMPARE(recorder.calls,
                 QStringList({"section reports", "section legal", "section contact"}));
        for (QAction *item : settings->actions())
            QVERIFY(item->isSeparator() || item->isEnabled());

        // The ticks follow the preferences each time the menu opens.
        QAction *dock = find(settings, "Hide App from taskbar");
        QVERIFY(!dock->isChecked());
        Preferences::shared().setValue("dock.hidden", true);
        emit settings->aboutToShow();
        QVERIFY(dock->isChecked());
    }

    void keyEquivalents()
    {
        auto menus = build();
        int hookCalls = 0;
        recorder.hook = [&](int keyCode, quint64 flags) {
            ++hookCalls;
            return keyCode == 19 && flags == ctrlShift;
        };
        QMenu *capture = menus->mainMenu().captureMenu();
        QMenu *status = menus->statusMenu().menu();

        // Asked of "Capture" with no menu tracked: the item answers, the hook is not asked and
        // is back in its slot afterwards.
        QCOMPARE(menus->menuHasKeyEquivalent(capture, 19, ctrlShift),
                 menus->mainMenu().barActionItems().at(CaptureAction::areaToCanvas));
        QCOMPARE(hookCalls, 0);
        QVERIFY(bool(recorder.hook));
        // Asked of the status menu: the capture shortcut wins.
        QCOMPARE(menus->menuHasKeyEquivalent(status, 19, ctrlShift), nullptr);
        QCOMPARE(hookCalls, 1);
        // While a menu is tracked, the main menu asks the hook too.
        recorder.tracked = capture;
        QCOMPARE(menus->menuHasKeyEquivalent(capture, 19, ctrlShift), nullptr);
        QCOMPARE(hookCalls, 2);
        recorder.tracked = nullptr;

        // Plain matching: other bits ignored, every modifier bit compared, disabled rows skipped.
        QCOMPARE(matchKeyEquivalent(capture, 31, EventFlag::Command | (1ull << 16), {}),
                 find(capture, "Open Image…"));
        QCOMPARE(matchKeyEquivalent(capture, 31, EventFlag::Command | EventFlag::Shift, {}), nullptr);
        QCOMPARE(matchKeyEquivalent(capture, 19, ctrlShiftSuper, {}),
                 menus->mainMenu().barActionItems().at(CaptureAction::areaToClipboard));
        QAction *settings = find(status, "Settings…");
        QCOMPARE(matchKeyEquivalent(status, 43, EventFlag::Command, {}), nullptr); // disabled
        settings->setEnabled(true);
        QCOMPARE(matchKeyEquivalent(status, 43, EventFlag::Command, {}), settings);
        // Items of submenus do not answer for their parent.
        emit menus->statusMenu().recentMenu()->aboutToShow();
        QCOMPARE(matchKeyEquivalent(status, 18, EventFlag::Command, {}), nullptr);
    }

    // With our menu open, the keys go through the menus first: a capture shortcut starts the
    // capture and chooses no item, an item's own key runs it once and closes the menu.
    void keysWhileTheStatusMenuIsOpen()
    {
        auto menus = build();
        MenuTracking tracking(recorder.tracked);
        int hookCalls = 0;
        recorder.hook = [&](int keyCode, quint64 flags) {
            ++hookCalls;
            return keyCode == 19 && flags == ctrlShift;
        };
        QMenu *status = menus->statusMenu().menu();
        QAction *settings = find(status, "Settings…");
        settings->setEnabled(true);
        QSignalSpy chosen(settings, &QAction::triggered);

        status->popup(QPoint(100, 100));
        QVERIFY(QTest::qWaitForWindowExposed(status));
        QCOMPARE(recorder.tracked.data(), status);
        QTest::keyClick(status, Qt::Key_2, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(hookCalls, 1);
        QCOMPARE(chosen.size(), 0);

        QTest::keyClick(status, Qt::Key_Comma, Qt::ControlModifier);
        QCOMPARE(chosen.size(), 1);
        QTRY_VERIFY(!status->isVisible());
        QVERIFY(recorder.tracked.isNull());

        status->popup(QPoint(100, 100));
        QVERIFY(QTest::qWaitForWindowExposed(status));
        QTest::keyClick(status, Qt::Key_Escape);
        QTRY_VERIFY(!status->isVisible());
        QCOMPARE(chosen.size(), 1);
        QVERIFY(recorder.tracked.isNull());
    }

    void trayIcon()
    {
        // Our own picture from the resources; the drawing when the resource is missing.
        const QImage resource = MenuBarIcon::image(2.0);
        QCOMPARE(resource.size(), QSize(36, 36));
        QVERIFY(resource != MenuBarIcon::drawn(2.0));
        QVERIFY(qAlpha(resource.pixel(2, 8)) > 0); // the frame's left edge

        MenuBarIcon::setResourcePathForTesting(QDir::temp().filePath("no-such-icon.svg"));
        const QImage drawn = MenuBarIcon::image(2.0);
        MenuBarIcon::setResourcePathForTesting({});
        QCOMPARE(drawn, MenuBarIcon::drawn(2.0));
        QCOMPARE(drawn.size(), QSize(36, 36));
        QCOMPARE(drawn.pixelColor(0, 35).alpha(), 0);          // outside every stroke
        QCOMPARE(drawn.pixelColor(3, 12), QColor(Qt::black));  // the frame's left side
        QCOMPARE(drawn.pixelColor(20, 20), QColor(Qt::black)); // the arrow head
        QCOMPARE(drawn.pixelColor(30, 30), QColor(Qt::black)); // the arrow's shaft
        QVERIFY(MenuBarIcon::icon().isMask());
    }
};

QUILLET_TEST_MAIN(TestStatusMenu)
#include "tst_statusmenu.moc"
