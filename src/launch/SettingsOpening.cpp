#include "AppDelegate.h"
#include "WindowMenus.h"

#include "app/HotKeyCenter.h"
#include "app/Updates.h"
#include "reports/Reports.h"
#include "reports/UsageStatistics.h"
#include "settings/PanePreferences.h"
#include "settings/SettingsWindowController.h"

#include <QDesktopServices>
#include <QQuickView>

// The settings windows: the application's one, and the extra staged ones of "--settings".

SettingsWindowController *AppDelegate::settingsWindow()
{
    if (m_settings)
        return m_settings;
    SettingsWindowController::reportProblemHook = [] { Reports::reportProblem(); };
    m_settings = new SettingsWindowController(*m_hotKeys, Scheduler::system(), this);
    QPointer<AppDelegate> self(this);
    giveMainMenu(m_settings->window());
    m_settings->openOnboarding = [self] {
        if (self && self->showWelcome)
            self->showWelcome();
    };
    if (m_updates->controller()) {
        m_settings->checkForUpdates = [self] {
            if (self)
                self->m_updates->checkForUpdates();
        };
        m_settings->showReleaseNotes = [] { QDesktopServices::openUrl(Updates::releaseNotesURL()); };
        m_settings->updatesAvailable = true;
    }
    m_settings->setHideFromDock = [self](bool hidden) {
        if (self)
            self->setDockHidden(hidden);
    };
    // Turning sharing on sends the count at once when one is due.
    PanePreferences::sendStatsIfDue = [] { Stats::sendIfDue(); };
    m_settings->refresh();
    return m_settings;
}

// Our windows answer the main menu's keys, and the settings header pops the menu up.
void AppDelegate::giveMainMenu(QWindow *window)
{
    if (!m_menus)
        return;
    new WindowMenus(*m_menus, window);
    QPointer<AppDelegate> self(this);
    SettingsWindowController::showMenuHook = [self](QPoint at) {
        if (self && self->m_menus)
            WindowMenus::popUp(*self->m_menus, at);
    };
}

void AppDelegate::openSettings(std::optional<SettingsSection> section)
{
    settingsWindow()->show(section);
}

void AppDelegate::stageSettings(const QStringList &specs, bool unseen)
{
    for (int i = 0; i < specs.size(); ++i) {
        SettingsWindowController *controller = settingsWindow();
        if (i > 0) {
            controller = new SettingsWindowController(*m_hotKeys, Scheduler::system(), this);
            giveMainMenu(controller->window());
            m_stagedSettings << controller;
        }
        controller->stage(specs.at(i), unseen);
    }
}
