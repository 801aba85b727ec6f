#pragma once
#include "MenuActions.h"
#include "app/CaptureAction.h"

#include <QObject>

#include <map>
#include <memory>

class QAction;
class QMenu;
class QMenuBar;

// The application's menu bar, five menus: "Quillet" (about, settings, hide, restart, quit, the
// version line), "Capture" (the capture actions, open image, recent captures), "Settings" (its
// sections and the two mode toggles), "Hotkeys" (each action's shortcut and whether it works)
// and "Help". Built once; the owner retitles the capture, Hotkeys and problem items.
// Main thread only.
class MainMenu : public QObject
{
    Q_OBJECT
public:
    MainMenu(const MenuActions &actions, const MenuOptions &options, QObject *parent = nullptr);
    ~MainMenu() override;

    QMenuBar *menuBar() const { return m_bar.get(); }
    QMenu *appMenu() const { return m_appMenu; }
    QMenu *captureMenu() const { return m_captureMenu; }
    QMenu *settingsMenu() const { return m_settingsMenu; }
    QMenu *hotkeysMenu() const { return m_hotkeysMenu; }
    QMenu *helpMenu() const { return m_helpMenu; }
    QMenu *barRecentMenu() const { return m_barRecentMenu; }

    // The "Capture" menu's capture items, by action.
    const std::map<CaptureAction, QAction *> &barActionItems() const { return m_barActionItems; }
    // The "Hotkeys" menu's item of each action.
    const std::map<CaptureAction, QAction *> &hotkeyItems() const { return m_hotkeyItems; }
    // The "Hotkeys" menu's problem line, hidden while every shortcut works.
    QAction *barProblemItem() const { return m_barProblemItem; }

    // Hides the application's windows ("Hide Quillet™"), and brings them back ("Show All").
    static void hideApplication();
    static void showApplication();

private:
    void buildAppMenu(const MenuActions &actions, const MenuOptions &options);
    void buildCaptureMenu(const MenuActions &actions);
    void buildSettingsMenu(const MenuActions &actions);
    void buildHotkeysMenu(const MenuActions &actions);
    void buildHelpMenu(const MenuActions &actions, const MenuOptions &options);
    QMenu *addMenu(const QString &title);

    std::unique_ptr<QMenuBar> m_bar;
    QMenu *m_appMenu = nullptr;
    QMenu *m_captureMenu = nullptr;
    QMenu *m_settingsMenu = nullptr;
    QMenu *m_hotkeysMenu = nullptr;
    QMenu *m_helpMenu = nullptr;
    QMenu *m_barRecentMenu = nullptr;
    std::map<CaptureAction, QAction *> m_barActionItems;
    std::map<CaptureAction, QAction *> m_hotkeyItems;
    QAction *m_barProblemItem = nullptr;
};
