#include "WindowMenus.h"

#include "MainMenu.h"
#include "Menus.h"
#include "app/MenuKeyEquivalents.h"

#include <QAction>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QWindow>

WindowMenus::WindowMenus(Menus &menus, QWindow *window) : QObject(window), m_menus(menus)
{
    window->installEventFilter(this);
}

QMenu *WindowMenus::popUpMenu(Menus &menus)
{
    static QPointer<QMenu> made;
    if (!made) {
        made = new QMenu(menus.menuBar());
        made->setObjectName(QStringLiteral("windowMenu"));
        // The menu bar's own menus, as submenus: they fill and retitle themselves as they open.
        for (QAction *menu : menus.menuBar()->actions())
            made->addAction(menu);
    }
    return made;
}

void WindowMenus::popUp(Menus &menus, QPoint at)
{
    popUpMenu(menus)->popup(at);
}

bool WindowMenus::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::KeyPress)
        return false;
    auto *key = static_cast<QKeyEvent *>(event);
    // Only keys with a command modifier are menu keys: typing stays with the window.
    if (!(key->modifiers() & (Qt::ControlModifier | Qt::MetaModifier)))
        return false;
    const auto chosen = MenuKeyEquivalents::ofEvent(key);
    if (!chosen)
        return false;
    for (QAction *entry : m_menus.menuBar()->actions()) {
        QMenu *menu = entry->menu();
        if (!menu)
            continue;
        if (QAction *item = m_menus.menuHasKeyEquivalent(menu, chosen->keyCode, chosen->eventFlags)) {
            // Run after the key press is done with, so that closing or quitting from it is safe.
            QPointer<QAction> later(item);
            QMetaObject::invokeMethod(this, [later] {
                if (later)
                    later->trigger();
            }, Qt::QueuedConnection);
            return true;
        }
    }
    Q_UNUSED(watched);
    return false;
}
