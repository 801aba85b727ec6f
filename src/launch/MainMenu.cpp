#include "MainMenu.h"

#include "CaptureItems.h"
#include "MenuItems.h"
#include "MenuTexts.h"
#include "RecentMenu.h"

#include <QAction>
#include <QGuiApplication>
#include <QMenu>
#include <QMenuBar>
#include <QWindow>

namespace {
// The settings sections in menu order: title and raw name.
const std::pair<const char *, const char *> sections[] = {
    {"Shortcuts", "shortcuts"}, {"Canvas", "canvas"},           {"General", "general"},
    {"Permissions", "permissions"}, {"Problem Reports", "reports"}, {"Contact", "contact"},
    {"Legal", "legal"},         {"About", "about"},
};

// A command that opens one settings section; empty when the settings cannot be opened.
std::function<void()> sectionOpener(const MenuActions &actions, const QString &section)
{
    if (!actions.openSettingsSection)
        return {};
    return [open = actions.openSettingsSection, section] { open(section); };
}

// The application's own ordinary windows (not menus, tooltips or the tray icon).
QList<QWindow *> ownWindows()
{
    QList<QWindow *> windows;
    for (QWindow *window : QGuiApplication::topLevelWindows()) {
        const Qt::WindowType type = window->type();
        if (type == Qt::Window || type == Qt::Dialog)
            windows.append(window);
    }
    return windows;
}
} // namespace

MainMenu::MainMenu(const MenuActions &actions, const MenuOptions &options, QObject *parent)
    : QObject(parent), m_bar(new QMenuBar)
{
    buildAppMenu(actions, options);
    buildCaptureMenu(actions);
    buildSettingsMenu(actions);
    buildHotkeysMenu(actions);
    buildHelpMenu(actions, options);
}

MainMenu::~MainMenu() = default;

QMenu *MainMenu::addMenu(const QString &title)
{
    QMenu *menu = MenuItems::withTooltips(new QMenu(title, m_bar.get()));
    m_bar->addMenu(menu);
    return menu;
}

void MainMenu::hideApplication()
{
    for (QWindow *window : ownWindows())
        if (window->isVisible() && window->windowState() != Qt::WindowMinimized)
            window->showMinimized();
}

void MainMenu::showApplication()
{
    for (QWindow *window : ownWindows())
        if (window->isVisible() && window->windowState() == Qt::WindowMinimized)
            window->showNormal();
}

void MainMenu::buildAppMenu(const MenuActions &actions, const MenuOptions &options)
{
    using namespace MenuItems;
    QMenu *menu = m_appMenu = addMenu(QStringLiteral("Quillet"));
    command(menu, QStringLiteral("About Quillet™"), actions.openAbout);
    command(menu, QStringLiteral("Report a Problem…"), actions.reportProblem);
    menu->addSeparator();
    command(menu, QStringLiteral("Settings…"), actions.openSettings, ctrl(Qt::Key_Comma));
    if (options.hasUpdater)
        command(menu, QStringLiteral("Check for Updates…"), actions.checkForUpdates);
    menu->addSeparator();
    command(menu, QStringLiteral("Hide Quillet™"), &MainMenu::hideApplication, ctrl(Qt::Key_H));
    command(menu, QStringLiteral("Hide Others"), actions.hideOthers,
            ctrl(Qt::Key_H, Qt::AltModifier));
    command(menu, QStringLiteral("Show All"), &MainMenu::showApplication);
    menu->addSeparator();
    command(menu, QStringLiteral("Restart Quillet™"), actions.restart, {}, MenuTexts::restartTip);
    command(menu, QStringLiteral("Quit Quillet™"), actions.quit, ctrl(Qt::Key_Q));
    menu->addSeparator();
    versionLine(menu);
}

void MainMenu::buildCaptureMenu(const MenuActions &actions)
{
    QMenu *menu = m_captureMenu = addMenu(QStringLiteral("Capture"));
    for (CaptureAction action : CaptureActions::all) {
        if (action == CaptureAction::reopenLast)
            menu->addSeparator();
        m_barActionItems[action] = CaptureItems::add(menu, action, actions, this);
    }
    MenuItems::command(menu, QStringLiteral("Open Image…"), actions.openImage,
                       MenuItems::ctrl(Qt::Key_O));
    menu->addSeparator();
    m_barRecentMenu = RecentMenu::create(menu);
    menu->addMenu(m_barRecentMenu);
}

void MainMenu::buildSettingsMenu(const MenuActions &actions)
{
    using namespace MenuItems;
    QMenu *menu = m_settingsMenu = addMenu(QStringLiteral("Settings"));
    for (const auto &[title, raw] : sections)
        command(menu, QString::fromUtf8(title), sectionOpener(actions, QString::fromUtf8(raw)));
    menu->addSeparator();
    toggle(menu, MenuTexts::dockTitle, MenuTexts::dockTip, QStringLiteral("dock.hidden"),
           actions.toggleDock);
    toggle(menu, MenuTexts::devTitle, MenuTexts::devTip, QStringLiteral("dev.captureSelf"),
           actions.toggleDevMode);
    // The ticks follow the preferences, which the settings window changes too.
    connect(menu, &QMenu::aboutToShow, menu, [menu] {
        for (QAction *item : menu->actions())
            if (item->isCheckable())
                syncToggle(item);
    });
}

void MainMenu::buildHotkeysMenu(const MenuActions &actions)
{
    using namespace MenuItems;
    QMenu *menu = m_hotkeysMenu = addMenu(QStringLiteral("Hotkeys"));
    command(menu, QStringLiteral("Change Hotkey…"), actions.openShortcutSettings, {},
            MenuTexts::changeHotkeyTip);
    m_barProblemItem = command(menu, QString(), actions.fixShortcuts);
    m_barProblemItem->setVisible(false);
    menu->addSeparator();
    for (CaptureAction action : CaptureActions::all)
        m_hotkeyItems[action] = command(menu, CaptureActions::title(action),
                                        actions.openShortcutSettings, {},
                                        CaptureItems::hotkeyTooltip(action));
}

void MainMenu::buildHelpMenu(const MenuActions &actions, const MenuOptions &options)
{
    using namespace MenuItems;
    QMenu *menu = m_helpMenu = addMenu(QStringLiteral("Help"));
    command(menu, QStringLiteral("Onboarding…"), actions.openWelcome);
    if (options.hasUpdater)
        command(menu, QStringLiteral("What’s New…"), actions.showReleaseNotes);
    menu->addSeparator();
    command(menu, QStringLiteral("Report a Problem…"), actions.reportProblem);
    command(menu, QStringLiteral("Contact…"), sectionOpener(actions, QStringLiteral("contact")));
}
