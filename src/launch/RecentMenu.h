#pragma once
#include <QDateTime>
#include <QLocale>
#include <QString>

struct MenuActions;
class QMenu;
class QObject;
class QWidget;

// The "Recent" submenus: the captures the history keeps, newest first, with their thumbnails,
// then the history commands.
namespace RecentMenu {

// Makes the menu titled "Recent", with the thumbnail style.
QMenu *create(QWidget *parent);
// Fills the menu again from the history. With no entries one disabled row says "No captures yet"
// (or "History is paused"); otherwise one row per entry titled with its date, its thumbnail
// 54 points high, and, when numbered, Ctrl+1 to Ctrl+9 for the first nine. Choosing a row
// reopens its entry 0.15 s later (after the menu has closed), while context exists.
// Then "Pause History" (ticked while paused), "Clear History…" and "Show in Finder".
void fill(QMenu *menu, bool numbered, const MenuActions &actions, QObject *context);
// The title of an entry of that date: the time alone today, "Yesterday, " and the time the day
// before, else the date in the locale's medium style and the time.
QString title(const QDateTime &date, const QDateTime &now, const QLocale &locale = QLocale());

} // namespace RecentMenu
