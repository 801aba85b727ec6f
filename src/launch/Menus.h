#pragma once
#include "MenuActions.h"

#include <QObject>

#include <memory>

class HotKeyCenter;
class MainMenu;
class QAction;
class QMenu;
class QMenuBar;
class StatusMenu;

// The status menu and the main menu together: builds them, keeps their capture, Hotkeys and
// problem items in step with the hot-key centre, fills the Recent submenus each time one opens,
// re-registers the shortcuts when a capture menu opens, and answers key-equivalent questions.
// Main thread only.
class Menus : public QObject
{
    Q_OBJECT
public:
    // Builds the tray icon (shown at once), its menu and the menu bar, then refreshes the items.
    // The commands and options are read now.
    Menus(HotKeyCenter &hotKeys, const MenuActions &actions, const MenuOptions &options,
          QObject *parent = nullptr);
    ~Menus() override;

    StatusMenu &statusMenu() const { return *m_status; }
    MainMenu &mainMenu() const { return *m_main; }
    // The menu bar, for the owner to install in the windows that show one.
    QMenuBar *menuBar() const;
    // "No capture yet" / "Last: …", retitled by the capture dispatch.
    QAction *lastItem() const;

    // Brings every capture item, Hotkeys item and problem item up to date with the hot-key
    // centre's shortcuts and statuses. The hot-key centre's onChange should call it.
    void refreshItems();

    // What happens as a menu opens and closes (connected to every menu that needs it).
    void menuWillOpen(QMenu *menu);
    void menuDidClose(QMenu *menu);

    // The item of the menu that a key event chooses, or none. Asked of the status menu, or
    // while a menu is being tracked, the capture shortcuts come first (the shortcut hook may
    // dispatch the capture and answer none); asked of a main-menu menu otherwise, the hook is
    // emptied for the question, so that the menu's own items answer.
    // When dispatched is given, it says whether the shortcut hook took the key for a capture.
    QAction *menuHasKeyEquivalent(QMenu *menu, int keyCode, quint64 eventFlags,
                                  bool *dispatched = nullptr) const;

protected:
    // Key presses in our open menus go through menuHasKeyEquivalent before Qt's own shortcut
    // handling, so that a capture shortcut wins over the menu's items.
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void connectMenus();

    HotKeyCenter &m_hotKeys;
    MenuActions m_actions;
    std::unique_ptr<StatusMenu> m_status;
    std::unique_ptr<MainMenu> m_main;
    // The key press whose shortcut override was answered here, eaten when it arrives.
    bool m_answered = false;
};
