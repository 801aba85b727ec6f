#pragma once
#include "app/CaptureAction.h"
#include "capture/FrozenFrame.h"
#include "capture/Importer.h"
#include "launch/LaunchOptions.h"
#include "launch/MenuActions.h"
#include "platform/RunningApp.h"
#include "settings/SettingsSection.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>

class CaptureSession;
class HotKeyCenter;
class Menus;
class OnboardingWindowController;
class QAction;
class QKeyEvent;
class QMenu;
class QWindow;
class ScreenFreezer;
class ScreenSource;
class SettingsWindowController;
class TermSignal;
class Updates;

// The application's delegate: owns the long-lived objects, runs the launch sequence, and is the
// one place every capture starts from (a global shortcut, a menu item, the key tap).
// Main thread only.
class AppDelegate : public QObject
{
    Q_OBJECT
public:
    // With no screen source, the one of this process's display is used.
    explicit AppDelegate(const QStringList &arguments, std::shared_ptr<ScreenSource> screens = {},
                         QObject *parent = nullptr);
    ~AppDelegate() override;

    // The launch sequence, once the event loop runs.
    void applicationDidFinishLaunching();
    // What every canvas needs of the launch: opening pictures, the history writer, saving,
    // the canvas and talk hooks, the onboarding hooks. The normal launch, the self-check and
    // its tests call it.
    void installCanvasServices();

    // The capture dispatch.
    void capture(CaptureAction action);
    // Makes and writes what the first capture needs (its overlay windows, the screen grab's
    // memory) in the background once no capture is open (a start that opened pictures waits
    // until that canvas closes).
    void warmCapture();
    // A capture chosen from a menu: runs 0.15 s later, once the menu has closed.
    void menuCapture(const QString &rawAction);
    // A further shot for the canvas of session.
    void captureIntoCanvas(CaptureSession *session, CaptureAction action);
    // Writes the timing lines of one capture and returns the timing text.
    QString logCaptureTiming(const QList<FrozenFrame> &frames, double frozenSeconds,
                             double overlaySeconds);

    // A click on the application (a second start, the taskbar): brings the canvas forward, or
    // reopens the newest capture, or says how to take one.
    void openApp();
    // What a later start of the application asked for: with a window of ours visible (and no
    // capture running) nothing; without a tray host, the status menu at the pointer, since the
    // tray cannot show it; else openApp.
    void handleArguments(const QStringList &arguments);
    // Whether a window of ours other than a menu or the toast is on screen.
    static bool hasVisibleWindows();

    // The clean-up of every quit and of SIGTERM.
    void cleanUpForQuit();
    // Run first thing as the application quits (by any road), before anything else is cleaned up.
    std::function<void()> quitStarts;

    // Pictures for a canvas: a new canvas when none is open, else pages of the open canvas;
    // nothing while a capture is being frozen or selected. failed counts files that gave none.
    void openPictures(const QList<Importer::Picture> &pictures, int failed);
    // Picture files or file:// URLs, decoded on a worker thread, then opened (later, on the main
    // thread).
    void openFiles(const QStringList &files);
    // Opens what a load gave, with one toast for the files the pixel budget refused.
    void openLoaded(const Importer::Loaded &loaded);
    // The open dialog of the "Open Image…" item.
    void openImage();
    // The picture on the clipboard, opened.
    void markUpClipboard();

    // Menu commands.
    void reopen(const QString &id);
    void togglePause();
    void clearHistory();
    void showHistoryFolder();
    void fixShortcuts();
    void toggleDevMode();
    void toggleDock();
    void setDockHidden(bool hidden);
    // The settings window (made on first use and kept), shown at a section or where it was.
    void openSettings(std::optional<SettingsSection> section = std::nullopt);
    SettingsWindowController *settingsWindow();
    // "--settings": one staged window per specification (the first is the application's).
    void stageSettings(const QStringList &specs, bool unseen);
    // The welcome window (made on first use and kept), shown; a visible settings window steps
    // aside until it closes.
    void openWelcome();
    OnboardingWindowController *welcomeWindow();
    // "--welcome": the welcome window shown with staged answers.
    void stageWelcome(const QString &value);
    // Whether the launch shows the welcome window: not seen yet, or something it sets up missing.
    bool welcomeIsDue();
    // After every capture session: while the welcome window shows, its last step is ticked.
    void sessionEnded();
    void restart();
    // What a restart passes to the new process, and the script that waits for this one to end.
    QStringList restartArguments() const;
    static QString restartScript(qint64 pid);
    // Starts a detached process; false with the reason when it did not start. Tests replace it.
    static std::function<bool(const QString &program, const QStringList &arguments, QString *error)>
        launchProcess;
    MenuActions menuActions();
    Menus *menus() const { return m_menus; }

    bool isCapturing() const { return m_capturing; }
    bool demo() const { return m_demo; }
    bool menuIsOpen() const { return m_menuIsOpen; }
    void setMenuIsOpen(bool open) { m_menuIsOpen = open; }
    const LaunchOptions &options() const { return m_options; }
    QAction *lastItem() const { return m_lastItem; }
    ScreenFreezer *freezer() const { return m_freezer; }
    HotKeyCenter *hotKeys() const { return m_hotKeys; }
    Updates *updates() const { return m_updates; }

    // The menu the user is in right now (closed before a capture's overlays come up).
    static QPointer<QMenu> trackedMenu;
    // A key event that matches an active capture shortcut dispatches it.
    static std::function<bool(int keyCode, quint64 eventFlags)> shortcutKeyHook;
    // Takes a further shot into the canvas of a session.
    static std::function<void(CaptureSession *)> captureIntoCanvasHook;

    // Seams for tests and for the parts of the application that are built elsewhere.
    std::function<bool()> screenCaptureAllowed;      // the display can be captured
    std::function<void()> showWelcome;               // the welcome window
    std::function<void(const QString &)> showAlert;  // a modal alert's informative text
    std::function<QImage(int width, int height, int variant)> samplePicture;
    std::function<bool()> clipboardPicture;         // a readable picture is on the clipboard
    std::function<bool()> trayAvailable;            // a tray host shows our icon
    std::function<bool()> keysCanBeSynthesized;     // pasting into other applications works

signals:
    void captureStarted();

private:
    void runFreeze(const QList<class ScreenInfo> &screens, CaptureAction action, double t0,
                   std::optional<RunningApp> previous);
    void startSession(const QList<FrozenFrame> &frames, double t0, double frozenTime,
                      CaptureAction action, std::optional<RunningApp> previous);
    QList<FrozenFrame> demoFrames(const QList<ScreenInfo> &screens, int variant) const;
    void closeMenus();
    void notInThisBuild(const QString &what) const;
    void warnOfWaylandSession();
    bool runSelfCheck();
    void reopenNewest();
    void giveMainMenu(QWindow *window);
    void buildMenus();
    void sayThereIsNoTray();
    void installOnboardingHooks();

    QStringList m_arguments;
    LaunchOptions m_options;
    bool m_demo = false;
    bool m_capturing = false;
    bool m_menuIsOpen = false;
    bool m_cleanedUp = false;
    ScreenFreezer *m_freezer;
    HotKeyCenter *m_hotKeys;
    Updates *m_updates;
    QAction *m_lastItem;
    TermSignal *m_termination = nullptr;
    Menus *m_menus = nullptr;
    SettingsWindowController *m_settings = nullptr;
    QList<SettingsWindowController *> m_stagedSettings;
    OnboardingWindowController *m_welcome = nullptr;
};
