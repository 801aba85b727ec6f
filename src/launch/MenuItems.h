#pragma once
#include <QKeySequence>
#include <QString>

#include <functional>

class QAction;
class QMenu;

// Small builders shared by the status menu and the main menu. Titles and tooltips go through
// the platform's words ("Dock" reads "taskbar", "Finder" "the file manager", …).
namespace MenuItems {

// An item that runs the command; disabled when the command is empty.
QAction *command(QMenu *menu, const QString &title, const std::function<void()> &run,
                 const QKeySequence &keys = {}, const QString &tooltip = {});
// A disabled item without an action.
QAction *info(QMenu *menu, const QString &title, const QString &tooltip = {});
// A checkable item whose tick shows the boolean preference key (see syncToggle).
QAction *toggle(QMenu *menu, const QString &title, const QString &tooltip, const QString &key,
                const std::function<void()> &run);
// Sets the tick of a toggle item from its preference.
void syncToggle(QAction *item);
// The version line, disabled, with the build line as its tooltip.
QAction *versionLine(QMenu *menu);
// Ctrl (the menus' command key) with a key, optionally with more modifiers.
QKeySequence ctrl(Qt::Key key, Qt::KeyboardModifiers more = Qt::NoModifier);
// Shows the tooltips of the menu's items.
QMenu *withTooltips(QMenu *menu);

} // namespace MenuItems
