#include "MenuItems.h"

#include "MenuKeyStyle.h"

#include "app/PreferenceReaders.h"
#include <QTimer> // Updates.h holds a QPointer<QTimer>

#include "app/Updates.h"
#include "platform/PlatformText.h"
#include "platform/Preferences.h"

#include <QAction>
#include <QMenu>

namespace {
const char *const preferenceProperty = "quilletPreference";
}

namespace MenuItems {

QAction *command(QMenu *menu, const QString &title, const std::function<void()> &run,
                 const QKeySequence &keys, const QString &tooltip)
{
    QAction *item = menu->addAction(PlatformText::words(title));
    item->setShortcut(keys);
    if (!tooltip.isEmpty())
        item->setToolTip(PlatformText::words(tooltip));
    item->setEnabled(bool(run));
    if (run)
        QObject::connect(item, &QAction::triggered, item, [run] { run(); });
    return item;
}

QAction *info(QMenu *menu, const QString &title, const QString &tooltip)
{
    QAction *item = menu->addAction(PlatformText::words(title));
    if (!tooltip.isEmpty())
        item->setToolTip(tooltip);
    item->setEnabled(false);
    return item;
}

QAction *toggle(QMenu *menu, const QString &title, const QString &tooltip, const QString &key,
                const std::function<void()> &run)
{
    QAction *item = command(menu, title, run, {}, tooltip);
    item->setCheckable(true);
    item->setProperty(preferenceProperty, key);
    syncToggle(item);
    // The command has flipped the preference by now; the tick follows what is stored.
    QObject::connect(item, &QAction::triggered, item, [item] { syncToggle(item); });
    return item;
}

void syncToggle(QAction *item)
{
    const QString key = item->property(preferenceProperty).toString();
    item->setChecked(Prefs::store().boolValue(key).value_or(false));
}

QAction *versionLine(QMenu *menu)
{
    return info(menu, Updates::versionLine(), Updates::buildLine());
}

QKeySequence ctrl(Qt::Key key, Qt::KeyboardModifiers more)
{
    return QKeySequence(QKeyCombination(Qt::ControlModifier | more, key));
}

QMenu *withTooltips(QMenu *menu)
{
    menu->setToolTipsVisible(true);
    // The key column in our spelling of keys.
    auto *style = new MenuKeyStyle;
    style->setParent(menu);
    menu->setStyle(style);
    return menu;
}

} // namespace MenuItems
