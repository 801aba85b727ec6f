#include "MenuTracking.h"

#include <QApplication>
#include <QEvent>
#include <QMenu>

MenuTracking::MenuTracking(QPointer<QMenu> &slot, QObject *parent)
    : QObject(parent), m_slot(slot)
{
    qApp->installEventFilter(this);
}

MenuTracking::~MenuTracking()
{
    m_slot = nullptr;
}

bool MenuTracking::eventFilter(QObject *watched, QEvent *event)
{
    const QEvent::Type type = event->type();
    if (type != QEvent::Show && type != QEvent::Hide)
        return false;
    auto *menu = qobject_cast<QMenu *>(watched);
    if (!menu || !menu->isWindow())
        return false;
    if (type == QEvent::Show) {
        m_slot = menu;
    } else if (m_slot == menu) {
        // A submenu closing leaves its parent menu open and tracked.
        auto *still = qobject_cast<QMenu *>(QApplication::activePopupWidget());
        m_slot = still && still != menu && still->isVisible() ? still : nullptr;
    }
    return false;
}
