#pragma once
#include "app/HotKeyCenter.h"
#include "app/Shortcut.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariantList>

#include <functional>
#include <optional>

class ShortcutRecorder;

// The welcome window's state: the four steps (screen capture, pasting into other apps, the
// "Capture area" shortcut, a first shot), which of them are done and which is open, the
// shortcut step's recording state, the mascot's melt stage and the footer's login switch.
// The window controller writes it and fills the actions; the views read it, choose a step and
// call the actions. Every field notifies only when it really changes. Main thread only.
class WelcomeModel : public QObject
{
    Q_OBJECT
    Q_PROPERTY(bool screen READ screen NOTIFY screenChanged)
    Q_PROPERTY(bool access READ access NOTIFY accessChanged)
    Q_PROPERTY(QString screenReason READ screenReason NOTIFY screenReasonChanged)
    Q_PROPERTY(QString accessReason READ accessReason NOTIFY accessReasonChanged)
    Q_PROPERTY(bool captured READ captured NOTIFY capturedChanged)
    Q_PROPERTY(QStringList shortcutCaps READ shortcutCaps NOTIFY shortcutChanged)
    Q_PROPERTY(QString shortcutText READ shortcutText NOTIFY shortcutChanged)
    Q_PROPERTY(QString statusKind READ statusKind NOTIFY statusChanged)
    Q_PROPERTY(QString statusName READ statusName NOTIFY statusChanged)
    Q_PROPERTY(QString refusal READ refusalText NOTIFY refusalChanged)
    Q_PROPERTY(bool recording READ recording NOTIFY recordingChanged)
    Q_PROPERTY(QStringList held READ held NOTIFY heldChanged)
    Q_PROPERTY(int chosen READ chosenIndex NOTIFY chosenChanged)
    Q_PROPERTY(int current READ currentIndex NOTIFY stepsChanged)
    Q_PROPERTY(int openStep READ openIndex NOTIFY openStepChanged)
    Q_PROPERTY(QVariantList ticks READ ticksForView NOTIFY stepsChanged)
    Q_PROPERTY(int melt READ melt NOTIFY meltChanged)
    Q_PROPERTY(bool login READ login NOTIFY loginChanged)
    Q_PROPERTY(bool staged READ staged NOTIFY stagedChanged)
    Q_PROPERTY(QStringList quill READ quill CONSTANT)
    Q_PROPERTY(bool headerInside READ headerInside NOTIFY headerInsideChanged)
    Q_PROPERTY(bool hasTray READ hasTray NOTIFY hasTrayChanged)

public:
    enum class Step { screen, access, shortcut, tryIt };
    Q_ENUM(Step)
    static constexpr int stepCount = 4;
    static std::optional<Step> stepFromRaw(int raw);

    // The actions the views call; each does nothing until the controller fills it.
    struct Actions {
        std::function<void()> allowScreen;
        std::function<void()> allowAccess;
        std::function<void()> takeShortcut;
        std::function<void()> toggleRecording;
        std::function<void()> takeShot;
        std::function<void(bool)> setLogin;
        std::function<void()> finish;
        std::function<void(double)> heightChanged;
        std::function<void(const QString &)> openLegal;
        // A click on the header drawn inside the window (header coordinates).
        std::function<void(double, double)> headerClicked;
    };

    explicit WelcomeModel(QObject *parent = nullptr);

    Actions actions;

    // --- Fields
    bool screen() const { return m_screen; }
    bool access() const { return m_access; }
    QString screenReason() const { return m_screenReason; }
    QString accessReason() const { return m_accessReason; }
    void setReasons(const QString &screen, const QString &access);
    bool captured() const { return m_captured; }
    void setCaptured(bool value);
    std::optional<Shortcut> shortcut() const { return m_shortcut; }
    HotKeyCenter::Status status() const { return m_status; }
    std::optional<QString> refusal() const { return m_refusal; }
    void setRefusal(const std::optional<QString> &value);
    bool recording() const { return m_recording; }
    void setRecording(bool value);
    QStringList held() const { return m_held; }
    void setHeld(const QStringList &value);
    std::optional<Step> chosen() const { return m_chosen; }
    void setChosen(std::optional<Step> step);
    int melt() const { return m_melt; }
    void setMelt(int stage);
    bool login() const { return m_login; }
    void setLoginState(bool value);
    bool staged() const { return m_staged; }
    void setStaged(bool value);
    const QStringList &quill() const { return m_quill; }
    double height() const { return m_height; }
    bool headerInside() const { return m_headerInside; }
    void setHeaderInside(bool value);
    // Whether a tray shows Quillet™'s icon; the closing words say where to find it otherwise.
    bool hasTray() const { return m_hasTray; }
    void setHasTray(bool value);
    ShortcutRecorder *recorder = nullptr;

    // --- Derived values
    bool done(Step step) const;
    std::optional<Step> current() const;
    QList<bool> ticks() const;
    // The step shown open: the chosen one, else the current one.
    std::optional<Step> openStep() const;

    // --- Rules
    // Takes new permission answers, shortcut and status: nothing when all four are as they are;
    // otherwise writes them, and a change of any tick drops the hand-chosen step. True when
    // something changed.
    bool apply(bool screen, bool access, const std::optional<Shortcut> &shortcut,
               const HotKeyCenter::Status &status);
    // The first shot is taken.
    void markShotTaken();
    // The mascot melts one stage further (9 wraps to 0).
    void meltOnce();
    // A click on the header's steps strip: the first step opens unless it is open already.
    void openStepsAtStart();

    // --- The views' side
    QStringList shortcutCaps() const;
    QString shortcutText() const;
    QString statusKind() const;
    QString statusName() const { return m_status.name; }
    QString refusalText() const { return m_refusal.value_or(QString()); }
    int chosenIndex() const { return m_chosen ? int(*m_chosen) : -1; }
    int currentIndex() const;
    int openIndex() const;
    QVariantList ticksForView() const;

    Q_INVOKABLE bool isDone(int step) const;
    Q_INVOKABLE void choose(int step);
    Q_INVOKABLE void reportHeight(double height);
    Q_INVOKABLE void allowScreen();
    Q_INVOKABLE void allowAccess();
    Q_INVOKABLE void takeShortcut();
    Q_INVOKABLE void toggleRecording();
    Q_INVOKABLE void takeShot();
    Q_INVOKABLE void setLogin(bool on);
    Q_INVOKABLE void finish();
    Q_INVOKABLE void openLegal(const QString &path);
    Q_INVOKABLE void headerClick(double x, double y);

signals:
    void screenChanged();
    void accessChanged();
    void screenReasonChanged();
    void accessReasonChanged();
    void capturedChanged();
    void shortcutChanged();
    void statusChanged();
    void refusalChanged();
    void recordingChanged();
    void heldChanged();
    void chosenChanged();
    void stepsChanged();
    void openStepChanged();
    void meltChanged();
    void loginChanged();
    void stagedChanged();
    void headerInsideChanged();
    void hasTrayChanged();

private:
    // Runs a change of fields that may move the steps, then tells what moved.
    void changeSteps(const std::function<void()> &change);

    bool m_screen = false;
    bool m_access = false;
    QString m_screenReason;
    QString m_accessReason;
    bool m_captured = false;
    std::optional<Shortcut> m_shortcut;
    HotKeyCenter::Status m_status;
    std::optional<QString> m_refusal;
    bool m_recording = false;
    QStringList m_held;
    std::optional<Step> m_chosen;
    int m_melt = 3;
    bool m_login = false;
    bool m_staged = false;
    double m_height = 0;
    bool m_headerInside = false;
    bool m_hasTray = true;
    const QStringList m_quill;
};
