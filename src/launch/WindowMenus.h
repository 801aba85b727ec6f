#pragma once
#include <QObject>
#include <QPoint>

class Menus;
class QMenu;
class QWindow;

// The main menu in our own windows, where no menu bar shows it: while the window has the
// keyboard, a key press that is the key equivalent of one of its items (Ctrl+Q, Ctrl+O,
// Ctrl+, …) chooses that item, and the whole menu pops up where the window asks.
// Lives as long as the window (its child). Main thread only.
class WindowMenus : public QObject
{
    Q_OBJECT
public:
    WindowMenus(Menus &menus, QWindow *window);

    // The main menu's five menus as one pop-up menu at a point of the screen.
    static void popUp(Menus &menus, QPoint at);
    // That pop-up menu (made on first use, kept).
    static QMenu *popUpMenu(Menus &menus);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    Menus &m_menus;
};
