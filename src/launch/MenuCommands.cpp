// The delegate's small menu commands: history, modes, updates, restart, and the wiring of the
// menus to them.
#include "AppDelegate.h"

#include "launch/DispatchSupport.h"
#include "launch/Menus.h"

#include "app/ActivityLog.h"
#include "app/ClashAlert.h"
#include "app/HotKeyCenter.h"
#include "app/PreferenceReaders.h"
#include "app/Toast.h"
#include "app/Updater.h"
#include "app/Updates.h"
#include "capture/CaptureSession.h"
#include "history/Recents.h"
#include "platform/Paths.h"
#include "reports/Reports.h"
#include "platform/PlatformText.h"
#include "platform/Preferences.h"
#include "settings/SettingsWindowController.h"

#include <QAction>
#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QTimer>
#include <QUrl>

namespace {
bool flag(const QString &key)
{
    return Prefs::store().boolValue(key).value_or(false);
}
} // namespace

MenuActions AppDelegate::menuActions()
{
    QPointer<AppDelegate> self(this);
    auto call = [self](void (AppDelegate::*method)()) {
        return [self, method] {
            if (self)
                (self.data()->*method)();
        };
    };
    MenuActions a;
    a.capture = [self](CaptureAction action) {
        if (self)
            self->capture(action);
    };
    a.openApp = call(&AppDelegate::openApp);
    a.reopen = [self](const QString &id) {
        if (self)
            self->reopen(id);
    };
    a.openImage = call(&AppDelegate::openImage);
    a.togglePause = call(&AppDelegate::togglePause);
    a.clearHistory = call(&AppDelegate::clearHistory);
    a.showHistoryFolder = call(&AppDelegate::showHistoryFolder);
    a.fixShortcuts = call(&AppDelegate::fixShortcuts);
    a.toggleDevMode = call(&AppDelegate::toggleDevMode);
    a.toggleDock = call(&AppDelegate::toggleDock);
    if (m_updates->controller()) {
        a.checkForUpdates = [self] {
            if (self)
                self->m_updates->checkForUpdates();
        };
        a.showReleaseNotes = [] { QDesktopServices::openUrl(Updates::releaseNotesURL()); };
    }
    a.openSettings = [self] {
        if (self)
            self->openSettings();
    };
    a.openShortcutSettings = [self] {
        if (self)
            self->openSettings(SettingsSection::shortcuts);
    };
    a.openAbout = [self] {
        if (self)
            self->openSettings(SettingsSection::about);
    };
    a.openSettingsSection = [self](const QString &raw) {
        if (self)
            self->openSettings(SettingsSections::fromRawValue(raw));
    };
    a.openWelcome = [self] {
        if (self && self->showWelcome)
            self->showWelcome();
    };
    a.restart = call(&AppDelegate::restart);
    a.reportProblem = [] { Reports::reportProblem(); };
    a.statusMenuOpen = [self](bool open) {
        if (self)
            self->m_menuIsOpen = open;
    };
    a.shortcutKeyHook = &shortcutKeyHook;
    a.trackedMenu = &trackedMenu;
    return a;
}

void AppDelegate::buildMenus()
{
    MenuOptions options;
    options.demo = m_demo;
    options.hasUpdater = m_updates->controller() != nullptr;
    m_menus = new Menus(*m_hotKeys, menuActions(), options, this);
    m_menus->lastItem()->setText(m_lastItem->text());
    m_lastItem = m_menus->lastItem();
}

void AppDelegate::togglePause()
{
    const bool paused = !flag(QStringLiteral("history.paused"));
    Prefs::store().setValue(QStringLiteral("history.paused"), paused);
    toast(paused ? QStringLiteral("History paused: new captures are not kept") : QStringLiteral("History on"),
          0.9);
}

void AppDelegate::clearHistory()
{
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Quillet™"),
                    QStringLiteral("Clear all recent captures?"));
    box.setInformativeText(QStringLiteral("Quillet™ forgets every capture it has kept. Images you copied or "
                                          "saved are not touched. This cannot be undone."));
    QPushButton *clear = box.addButton(QStringLiteral("Clear"), QMessageBox::DestructiveRole);
    box.addButton(QStringLiteral("Cancel"), QMessageBox::RejectRole);
    box.setDefaultButton(clear);
    box.exec();
    if (box.clickedButton() != clear)
        return;
    int notRemoved = 0;
    if (Recents::removeAll(&notRemoved))
        toast(QStringLiteral("History cleared"), 0.9);
    else if (notRemoved == 1)
        toast(QStringLiteral("1 capture could not be removed"), 2.5);
    else
        toast(QStringLiteral("%1 captures could not be removed").arg(notRemoved), 2.5);
}

void AppDelegate::showHistoryFolder()
{
    Paths::makePrivateFolder(Recents::folder());
    QDesktopServices::openUrl(QUrl::fromLocalFile(Recents::folder()));
}

void AppDelegate::fixShortcuts()
{
    QPointer<AppDelegate> self(this);
    QTimer::singleShot(150, this, [self] {
        if (!self)
            return;
        offerTakeOverForAll(*self->m_hotKeys);
        for (CaptureAction action : CaptureActions::all) {
            const auto kind = self->m_hotKeys->status(action).kind;
            if (kind != HotKeyCenter::Status::active && kind != HotKeyCenter::Status::unassigned) {
                self->openSettings(SettingsSection::shortcuts);
                break;
            }
        }
    });
}

void AppDelegate::toggleDevMode()
{
    const bool on = !flag(QStringLiteral("dev.captureSelf"));
    Prefs::store().setValue(QStringLiteral("dev.captureSelf"), on);
    toast(on ? QStringLiteral("Dev mode on: captures include Quillet™") : QStringLiteral("Dev mode off"), 0.9);
}

void AppDelegate::toggleDock()
{
    setDockHidden(!flag(QStringLiteral("dock.hidden")));
}

void AppDelegate::setDockHidden(bool hidden)
{
    Prefs::store().setValue(QStringLiteral("dock.hidden"), hidden);
    CaptureSession::updateDockIcon();
    if (m_settings)
        m_settings->refresh();
    QString text;
    if (!flag(QStringLiteral("dock.hidden")))
        text = QStringLiteral("Quillet™ stays in the Dock");
    else if (CaptureSession::currentSession())
        text = QStringLiteral("Quillet™ leaves the Dock when this canvas closes");
    else
        text = QStringLiteral("Hidden from the Dock: Quillet™ is in the menu bar");
    toast(PlatformText::words(text), 0.9);
}

QStringList AppDelegate::restartArguments() const
{
    QStringList args;
    if (m_demo)
        args << QStringLiteral("--demo");
    CaptureSession *session = CaptureSession::currentSession();
    if (session && session->mode() == OverlayViewHost::Mode::Canvas && session->active()
        && CaptureSession::canvasOf && CaptureSession::canvasOf(session->active())
        && !flag(QStringLiteral("history.paused")))
        args << QStringLiteral("--reopen");
    return args;
}

std::function<bool(const QString &, const QStringList &, QString *)> AppDelegate::launchProcess =
    [](const QString &program, const QStringList &arguments, QString *error) {
        QProcess process;
        process.setProgram(program);
        process.setArguments(arguments);
        if (process.startDetached())
            return true;
        if (error)
            *error = process.errorString();
        return false;
    };

QString AppDelegate::restartScript(qint64 pid)
{
    // The shell's own kill: /bin/kill comes with a package that need not be installed.
    return QStringLiteral("i=0; while kill -0 %1 2>/dev/null && [ $i -lt 100 ]; do /bin/sleep 0.1; "
                          "i=$((i+1)); done; exec \"$0\" \"$@\"")
        .arg(pid);
}

void AppDelegate::restart()
{
    activityLog(QStringLiteral("restart asked for"));
    if (m_updates->installNowIfReady())
        return;
    QStringList shArgs{QStringLiteral("-c"), restartScript(QCoreApplication::applicationPid()),
                       QCoreApplication::applicationFilePath()};
    shArgs += restartArguments();
    QString error;
    if (!launchProcess(QStringLiteral("/bin/sh"), shArgs, &error)) {
        activityLog(QStringLiteral("restart: the helper did not start, ") + error);
        toast(QStringLiteral("Quillet™ could not restart itself. Quit it and open it again."), 0.9);
        return;
    }
    // As the menu's quit: directly, or an open canvas would keep the application running.
    QCoreApplication::exit(0);
}
