#pragma once
#include "MenuActions.h"
#include "app/CaptureAction.h"

#include <QObject>

#include <map>
#include <memory>

class QAction;
class QMenu;
class QSystemTrayIcon;

// The tray icon and its menu, the application's main door: the capture actions, the recent
// captures, the shortcut problem line, the "Last:" line, the mode toggles and the application
// commands, then the version line. Built once; the owner retitles the capture, problem and
// last items. Main thread only.
class StatusMenu : public QObject
{
    Q_OBJECT
public:
    StatusMenu(const MenuActions &actions, const MenuOptions &options, QObject *parent = nullptr);
    ~StatusMenu() override;

    QSystemTrayIcon *statusItem() const { return m_statusItem; }
    QMenu *menu() const { return m_menu.get(); }

    // The capture items, by action.
    const std::map<CaptureAction, QAction *> &actionItems() const { return m_actionItems; }
    // "A shortcut does not work. Fix it…": hidden while every shortcut works.
    QAction *problemItem() const { return m_problemItem; }
    // "No capture yet", retitled "Last: …" after each capture; never enabled.
    QAction *lastItem() const { return m_lastItem; }
    QAction *recentItem() const { return m_recentItem; }
    QMenu *recentMenu() const { return m_recentMenu; }
    QAction *devItem() const { return m_devItem; }
    QAction *dockItem() const { return m_dockItem; }

private:
    void build(const MenuActions &actions, const MenuOptions &options);

    std::unique_ptr<QMenu> m_menu;
    QSystemTrayIcon *m_statusItem = nullptr;
    std::map<CaptureAction, QAction *> m_actionItems;
    QAction *m_problemItem = nullptr;
    QAction *m_lastItem = nullptr;
    QAction *m_recentItem = nullptr;
    QMenu *m_recentMenu = nullptr;
    QAction *m_devItem = nullptr;
    QAction *m_dockItem = nullptr;
};
