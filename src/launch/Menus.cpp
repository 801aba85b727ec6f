#include "Menus.h"

#include "CaptureItems.h"
#include "MainMenu.h"
#include "MenuItems.h"
#include "RecentMenu.h"
#include "StatusMenu.h"
#include "app/HotKeyCenter.h"
#include "app/MenuKeyEquivalents.h"

#include <QAction>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QSystemTrayIcon>

#include <utility>

Menus::Menus(HotKeyCenter &hotKeys, const MenuActions &actions, const MenuOptions &options,
             QObject *parent)
    : QObject(parent), m_hotKeys(hotKeys), m_actions(actions),
      m_status(new StatusMenu(actions, options)), m_main(new MainMenu(actions, options))
{
    connectMenus();
    m_status->statusItem()->show();
    refreshItems();
}

Menus::~Menus() = default;

QMenuBar *Menus::menuBar() const
{
    return m_main->menuBar();
}

QAction *Menus::lastItem() const
{
    return m_status->lastItem();
}

void Menus::connectMenus()
{
    QMenu *const menus[] = {m_status->menu(), m_status->recentMenu(), m_main->captureMenu(),
                            m_main->hotkeysMenu(), m_main->barRecentMenu()};
    for (QMenu *menu : menus) {
        connect(menu, &QMenu::aboutToShow, this, [this, menu] { menuWillOpen(menu); });
        connect(menu, &QMenu::aboutToHide, this, [this, menu] { menuDidClose(menu); });
    }
    for (QMenu *menu : m_main->menuBar()->findChildren<QMenu *>())
        menu->installEventFilter(this);
    m_status->menu()->installEventFilter(this);
    m_status->recentMenu()->installEventFilter(this);
}

void Menus::refreshItems()
{
    const auto &statuses = m_hotKeys.statuses();
    for (CaptureAction action : CaptureActions::all) {
        const std::optional<Shortcut> shortcut = m_hotKeys.shortcut(action);
        const bool active = m_hotKeys.status(action).kind == HotKeyCenter::Status::active;
        CaptureItems::apply(m_status->actionItems().at(action), action, shortcut, active);
        CaptureItems::apply(m_main->barActionItems().at(action), action, shortcut, active);
        m_main->hotkeyItems().at(action)->setText(
            CaptureItems::hotkeyTitle(action, shortcut, active));
    }
    const int problems = CaptureItems::problemCount(statuses);
    for (QAction *item : {m_status->problemItem(), m_main->barProblemItem()}) {
        item->setText(CaptureItems::problemTitle(problems));
        item->setVisible(problems > 0);
    }
}

void Menus::menuWillOpen(QMenu *menu)
{
    if (menu == m_status->menu()) {
        if (m_actions.statusMenuOpen)
            m_actions.statusMenuOpen(true);
        // The ticks follow the preferences, which the settings window changes too.
        MenuItems::syncToggle(m_status->devItem());
        MenuItems::syncToggle(m_status->dockItem());
    }
    if (menu == m_status->recentMenu() || menu == m_main->barRecentMenu()) {
        RecentMenu::fill(menu, menu == m_status->recentMenu(), m_actions, this);
        return;
    }
    // The status menu, "Capture" and "Hotkeys": the shortcuts are registered again first, so
    // that the items tell the truth about them now.
    m_hotKeys.registerAll();
    refreshItems();
}

void Menus::menuDidClose(QMenu *menu)
{
    if (menu == m_status->menu() && m_actions.statusMenuOpen)
        m_actions.statusMenuOpen(false);
}

QAction *Menus::menuHasKeyEquivalent(QMenu *menu, int keyCode, quint64 eventFlags,
                                     bool *dispatched) const
{
    if (dispatched)
        *dispatched = false;
    std::function<bool(int, quint64)> *hook = m_actions.shortcutKeyHook;
    const bool tracking = m_actions.trackedMenu && !m_actions.trackedMenu->isNull();
    if (menu == m_status->menu() || tracking) {
        std::function<bool(int, quint64)> asked;
        if (hook && *hook)
            asked = [hook, dispatched](int code, quint64 flags) {
                const bool taken = (*hook)(code, flags);
                if (dispatched)
                    *dispatched = taken;
                return taken;
            };
        return matchKeyEquivalent(menu, keyCode, eventFlags, asked);
    }
    // The slot stays empty for this one question, and gets its closure back afterwards.
    std::function<bool(int, quint64)> saved = hook ? std::exchange(*hook, {}) : nullptr;
    QAction *item = matchKeyEquivalent(menu, keyCode, eventFlags, {});
    if (hook)
        *hook = std::move(saved);
    return item;
}

bool Menus::eventFilter(QObject *watched, QEvent *event)
{
    const QEvent::Type type = event->type();
    if (type != QEvent::ShortcutOverride && type != QEvent::KeyPress)
        return false;
    auto *menu = qobject_cast<QMenu *>(watched);
    if (!menu)
        return false;
    if (type == QEvent::KeyPress && std::exchange(m_answered, false))
        return true; // answered at its shortcut override
    const auto key = MenuKeyEquivalents::ofEvent(static_cast<QKeyEvent *>(event));
    if (!key)
        return false;
    bool dispatched = false;
    QAction *item = menuHasKeyEquivalent(menu, key->keyCode, key->eventFlags, &dispatched);
    if (!item && !dispatched)
        return false;
    if (item) {
        // The menu and the menus it opened from close before the item runs.
        for (QMenu *open = menu; open; open = qobject_cast<QMenu *>(open->parentWidget()))
            open->close();
        item->trigger();
    }
    if (type == QEvent::ShortcutOverride) {
        event->accept(); // no application shortcut answers this key; its key press is eaten
        m_answered = true;
    }
    return true;
}
