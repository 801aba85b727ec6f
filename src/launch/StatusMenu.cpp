#include "StatusMenu.h"

#include "CaptureItems.h"
#include "MenuBarIcon.h"
#include "MenuItems.h"
#include "MenuTexts.h"
#include "RecentMenu.h"

#include <QAction>
#include <QCursor>
#include <QImageReader>
#include <QPainter>
#include <QMenu>
#include <QSystemTrayIcon>

namespace {
const QString openTip = QStringLiteral(
    "The canvas window if one is open, otherwise your latest capture with the recent ones beside "
    "it.");
// The desktop's keyboard icon; where its theme has none, our own in the menu's text colour.
QIcon keyboardIcon(const QMenu *menu)
{
    const QIcon themed = QIcon::fromTheme(QStringLiteral("input-keyboard"));
    if (!themed.isNull())
        return themed;
    QIcon own;
    for (int side : {16, 32}) {
        QImageReader reader(QStringLiteral(":/keyboard.svg")); // registered with the tray icon's picture
        reader.setScaledSize(QSize(side, side));
        QImage image = reader.read().convertToFormat(QImage::Format_ARGB32_Premultiplied);
        QPainter p(&image);
        p.setCompositionMode(QPainter::CompositionMode_SourceIn);
        p.fillRect(image.rect(), menu->palette().color(QPalette::Text));
        p.end();
        own.addPixmap(QPixmap::fromImage(image));
    }
    return own;
}
} // namespace

StatusMenu::StatusMenu(const MenuActions &actions, const MenuOptions &options, QObject *parent)
    : QObject(parent), m_menu(MenuItems::withTooltips(new QMenu))
{
    build(actions, options);
    m_statusItem = new QSystemTrayIcon(MenuBarIcon::icon(), this);
    m_statusItem->setToolTip(QStringLiteral("Quillet"));
    m_statusItem->setContextMenu(m_menu.get());
    // A click opens the menu too, as a right click does.
    connect(m_statusItem, &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) {
                if (reason == QSystemTrayIcon::Trigger && !m_menu->isVisible())
                    m_menu->popup(QCursor::pos());
            });
}

StatusMenu::~StatusMenu()
{
    // The icon goes before the menu it shows.
    delete m_statusItem;
}

void StatusMenu::build(const MenuActions &actions, const MenuOptions &options)
{
    using namespace MenuItems;
    QMenu *menu = m_menu.get();

    QAction *open = command(menu, QStringLiteral("Open Quillet™"), actions.openApp, {}, openTip);
    QFont semibold = open->font();
    semibold.setWeight(QFont::DemiBold);
    open->setFont(semibold);
    open->setIcon(MenuBarIcon::icon()); // shown at the menus' 16-point icon size
    QAction *hotkey = command(menu, QStringLiteral("Change Hotkey…"), actions.openShortcutSettings,
                              {}, MenuTexts::changeHotkeyTip);
    hotkey->setIcon(keyboardIcon(menu));
    menu->addSeparator();

    menu->addSection(QStringLiteral("Capture"));
    for (CaptureAction action : CaptureActions::all) {
        if (action == CaptureAction::reopenLast)
            menu->addSeparator(), menu->addSection(QStringLiteral("Mark up"));
        m_actionItems[action] = CaptureItems::add(menu, action, actions, this);
    }
    command(menu, QStringLiteral("Open Image…"), actions.openImage, ctrl(Qt::Key_O));
    menu->addSeparator();

    m_recentMenu = RecentMenu::create(menu);
    m_recentItem = menu->addMenu(m_recentMenu);
    menu->addSeparator();

    m_problemItem = command(menu, QString(), actions.fixShortcuts);
    m_problemItem->setVisible(false);
    m_lastItem = info(menu, QStringLiteral("No capture yet"));
    if (options.demo)
        info(menu, QStringLiteral("Demo mode: made-up screen"));
    menu->addSeparator();

    m_devItem = toggle(menu, MenuTexts::devTitle, MenuTexts::devTip,
                       QStringLiteral("dev.captureSelf"), actions.toggleDevMode);
    m_dockItem = toggle(menu, MenuTexts::dockTitle, MenuTexts::dockTip,
                        QStringLiteral("dock.hidden"), actions.toggleDock);
    command(menu, QStringLiteral("Onboarding…"), actions.openWelcome);
    if (options.hasUpdater) {
        command(menu, QStringLiteral("Check for Updates…"), actions.checkForUpdates);
        command(menu, QStringLiteral("What’s New…"), actions.showReleaseNotes);
    }
    command(menu, QStringLiteral("Report a Problem…"), actions.reportProblem, {},
            MenuTexts::reportTip);
    command(menu, QStringLiteral("Settings…"), actions.openSettings, ctrl(Qt::Key_Comma));
    command(menu, QStringLiteral("Restart Quillet™"), actions.restart, {}, MenuTexts::restartTip);
    command(menu, QStringLiteral("Quit Quillet™"), actions.quit, ctrl(Qt::Key_Q));
    menu->addSeparator();
    versionLine(menu);
}
