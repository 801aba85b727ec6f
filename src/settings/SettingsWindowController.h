#pragma once
#include "SettingsModel.h"
#include "SettingsSection.h"
#include "TalkLanguage.h"
#include "app/CaptureAction.h"
#include "platform/Scheduler.h"

#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QString>

#include <functional>
#include <map>
#include <optional>
#include <utility>

class HeaderWindow;
class PanePreferences;
class HotKeyCenter;
class QQuickView;
class ShortcutRecorder;

// The settings window: its model, one shortcut recorder per capture action (drawn by the panes,
// never placed in a view), the mascot riding on the window's top edge, and every action the
// panes ask for. Kept current by refresh, which runs when the window is shown, when it becomes
// active and every second while it is open and no shortcut is being recorded.
// Main thread only.
class SettingsWindowController : public QObject
{
    Q_OBJECT
public:
    explicit SettingsWindowController(HotKeyCenter &center, Scheduler &scheduler = Scheduler::system(),
                                      QObject *parent = nullptr);
    ~SettingsWindowController() override;

    static constexpr int windowWidth = 840, windowHeight = 640;
    static constexpr int mascotWidth = 240, mascotHeight = 212, mascotInset = 12, mascotRise = 89;
    static constexpr double refreshSeconds = 1.0;
    static constexpr double toggleGuardSeconds = 0.2;

    // Shows the window (at the section when given), registers the shortcuts and refreshes.
    void show(std::optional<SettingsSection> section = std::nullopt);
    // Shows the window with staged values for pictures of it: "section[:word,word…]".
    void stage(const QString &spec, bool unseen);
    void select(SettingsSection section);
    void refresh();

    SettingsModel *model() const { return m_model; }
    PanePreferences *preferences() const { return m_prefs; }
    QQuickView *window() const { return m_window; }
    HeaderWindow *mascot() const { return m_quill; }
    ShortcutRecorder *recorder(CaptureAction action) const;

    // Filled by the application shell. Empty ones leave their buttons disabled.
    std::function<void()> openOnboarding;
    std::function<void()> checkForUpdates;
    std::function<void()> showReleaseNotes;
    std::function<void(bool)> setHideFromDock; // by default stores "dock.hidden"
    bool updatesAvailable = false;

    // Process-wide slots the application fills at start-up.
    // The speech recognizer's languages (code, display name), answered once; by default none.
    static std::function<void(std::function<void(QList<TalkLanguage>)>)> supportedLanguages;
    // Opens the problem-report window for a report the user writes; empty when not built.
    static std::function<void()> reportProblemHook;
    // Installs for this user; the callback gets the problem, or nothing and what was done.
    static std::function<void(std::function<void(std::optional<QString> problem, QString done)>)> installWindowHook;
    // Pops the application's menu up at a point of the screen; empty where there is none.
    static std::function<void(QPoint)> showMenuHook;
    // The take-over question for an action whose keys the desktop holds (the clash alert).
    static std::function<bool(CaptureAction, HotKeyCenter &)> offerTakeOverHook;
    // A short message near the pointer.
    static std::function<void(const QString &, double)> toastHook;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void installActions();
    void makeRecorder(CaptureAction action);
    void makeWindow();
    void placeMascot();
    void startRefreshTimer();
    void stopRefreshTimer();
    void meltMascot();
    void stopAllRecorders();
    void windowActivated();
    void windowClosed();

    // Recording
    void toggleRecording(CaptureAction action);
    void recordingStarted(CaptureAction action);
    void recordingEnded(CaptureAction action);
    void recordingRefused(CaptureAction action, const QString &text);
    void recorded(CaptureAction action, const std::optional<Shortcut> &shortcut);
    void heldChanged(CaptureAction action);

    // Other actions
    void takeOver(CaptureAction action);
    void restoreDefaults();
    void askGiveBack();
    void chooseFolder();
    void setLogin(bool on);
    void setHideFromDockAction(bool hidden);
    void allow(const QString &what);
    void sendContact();
    void showInstallWindow();
    QStringList unavailableActions() const;

    HotKeyCenter &m_center;
    Scheduler &m_scheduler;
    SettingsModel *m_model;
    PanePreferences *m_prefs;
    std::map<CaptureAction, ShortcutRecorder *> m_engines;
    QQuickView *m_window = nullptr;
    HeaderWindow *m_quill = nullptr;
    Scheduler::Ticket m_timer = 0;
    double m_lastPress = 0;
    std::optional<std::pair<CaptureAction, double>> m_ended;
    std::optional<std::pair<bool, bool>> m_stagedAccess;
    bool m_loadingLanguages = false;
    bool m_shownBefore = false;
};
