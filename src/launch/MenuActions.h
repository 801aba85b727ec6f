#pragma once
#include "app/CaptureAction.h"

#include <QCoreApplication>
#include <QPointer>
#include <QString>

#include <functional>

class QMenu;

// What the status menu and the main menu ask of the application: one callback per command.
// A command that is left empty (its window or subsystem is not there) keeps its items visible
// and disabled. Everything is called on the main thread, after the menu has handled the choice.
struct MenuActions {
    // --- Captures and pictures
    // The capture dispatch. A capture item calls it 0.15 s after it is chosen, so that the menu
    // has closed before the screen is frozen.
    std::function<void(CaptureAction)> capture;
    // The canvas window if one is open, else the newest capture, else a hint how to take one.
    std::function<void()> openApp;
    // A file dialog for pictures to mark up.
    std::function<void()> openImage;
    // Reopens the history entry with this id; a Recent item calls it 0.15 s after it is chosen.
    std::function<void(const QString &id)> reopen;

    // --- History
    std::function<void()> togglePause;       // inverts "history.paused", says so in a toast
    std::function<void()> clearHistory;      // asks, then removes every kept capture
    std::function<void()> showHistoryFolder; // creates the history folder and opens it

    // --- Shortcuts and modes
    // Offers to take over the shortcuts the desktop holds, then opens the settings when one still
    // does not work (it waits 0.15 s itself, so that the menu has closed).
    std::function<void()> fixShortcuts;
    std::function<void()> toggleDevMode; // inverts "dev.captureSelf" (the item's tick follows)
    std::function<void()> toggleDock;    // inverts "dock.hidden" (the item's tick follows)

    // --- Windows
    std::function<void()> openShortcutSettings;                     // settings at "shortcuts"
    std::function<void()> openSettings;                             // settings, no section
    std::function<void()> openAbout;                                // settings at "about"
    std::function<void(const QString &section)> openSettingsSection; // a section's raw name
    std::function<void()> openWelcome;                              // the welcome window
    std::function<void()> reportProblem;                            // the report window
    std::function<void()> checkForUpdates;                          // a check the user asked for
    std::function<void()> showReleaseNotes;                         // the release notes page

    // --- The application
    std::function<void()> restart; // quits and starts again, bringing an open canvas back
    // The normal quit; its clean-up runs from QCoreApplication::aboutToQuit. It leaves the event
    // loop directly: QCoreApplication::quit() first asks every window to close, and an open canvas
    // turns that into the end of its session and refuses, so the application would stay.
    std::function<void()> quit = [] { QCoreApplication::exit(0); };
    // Minimises every other application's windows. Empty: the item stays disabled.
    std::function<void()> hideOthers;

    // --- State the menus report and read
    // Told true when the status menu opens and false when it closes (the delegate's menuIsOpen).
    std::function<void(bool open)> statusMenuOpen;
    // The process-wide slot that dispatches a key event matching an active capture shortcut
    // (key code and event-flag bits). Read by the key-equivalent questions, and emptied while a
    // main menu answers one. May be null.
    std::function<bool(int keyCode, quint64 eventFlags)> *shortcutKeyHook = nullptr;
    // The menu the user is in right now, if any. May be null.
    const QPointer<QMenu> *trackedMenu = nullptr;
};

// What the menus are built for; read once, when they are built.
struct MenuOptions {
    bool demo = false;       // started with "--demo": the status menu says so
    bool hasUpdater = false; // the update agent runs an updater: the update items are shown
};
