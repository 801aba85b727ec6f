#pragma once
#include "WelcomeModel.h"
#include "app/CaptureAction.h"
#include "platform/Scheduler.h"

#include <QByteArray>
#include <QObject>
#include <QPointF>
#include <QPointer>
#include <QString>

#include <functional>
#include <optional>
#include <utility>

class HeaderWindow;
class HotKeyCenter;
class QQuickView;
class QVariantAnimation;
class ShortcutRecorder;

// The welcome window: a dark window 600 wide whose height follows its content, with the
// mascot header riding on its top edge. It keeps its model in step with what the desktop
// allows (asked once a second while the window is open and no shortcut is being recorded)
// and with the hot-key centre, records the "Capture area" shortcut, and notes on closing that
// the welcome was seen. Made once by the application and kept. Main thread only.
class OnboardingWindowController : public QObject
{
    Q_OBJECT
public:
    explicit OnboardingWindowController(HotKeyCenter &center, Scheduler &scheduler = Scheduler::system(),
                                        QObject *parent = nullptr);
    ~OnboardingWindowController() override;

    static constexpr int windowWidth = 600, initialHeight = 560;
    static constexpr int headerWidth = 460, headerHeight = 400, headerRise = 111;
    // Room kept above the window's top on its screen: the header's rise and a gap.
    static constexpr int topRoom = headerRise + 12;
    static constexpr double pollSeconds = 1.0;
    static constexpr int resizeMilliseconds = 250;

    enum class HeaderRegion { mascot, steps, none };
    // What a click at p (header coordinates, top left origin) does.
    static HeaderRegion headerRegion(QPointF p);

    void show();
    void refresh();
    // "--welcome": shows staged permission answers for pictures of the window.
    void stage(const QString &value);
    // Shows these answers for screen capture and input access instead of asking the desktop
    // (pictures of the window), without staging it.
    void setAccessForTest(bool screen, bool access);
    void fitHeight(bool animated);
    void markShotTaken();
    // A picture of the window and its header, drawn from their own rendering, as PNG; empty
    // when there is none.
    QByteArray pngSnapshot();
    // Shown and not closed since (hidden for a moment by a capture counts as shown).
    bool isVisible() const;

    WelcomeModel *model() const { return m_model; }
    ShortcutRecorder *recorder() const { return m_recorder; }
    QQuickView *window() const { return m_window; }
    HeaderWindow *header() const { return m_header; }
    // The header was clicked at p (header coordinates).
    void headerClicked(QPointF p);

    // Process-wide slots (tests replace them).
    static std::function<bool(CaptureAction, HotKeyCenter &)> offerTakeOverHook;
    static std::function<void(const QString &, double)> toastHook;
    static std::function<void(const QString &)> openLegalHook;
    // Whether a tray shows the application's icon (by default: whether the desktop has a tray).
    static std::function<bool()> trayAvailable;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

signals:
    // The window closed (by its button or the window manager).
    void closed();

private:
    void buildContent();
    void installActions();
    void wireRecorder();
    void pollPermissions();
    void startPoll();
    void stopPoll();
    void attachHeader();
    double contentHeight() const;
    std::pair<bool, bool> askPermissions(QString *screenReason, QString *accessReason) const;

    void allow(const QString &what);
    void takeOver();
    void recorded(const std::optional<Shortcut> &shortcut);
    void setLogin(bool wanted);
    void titleChanged();
    void windowClosed();

    HotKeyCenter &m_center;
    Scheduler &m_scheduler;
    WelcomeModel *m_model;
    ShortcutRecorder *m_recorder;
    QQuickView *m_window = nullptr;
    HeaderWindow *m_header = nullptr;
    QVariantAnimation *m_resize = nullptr;
    Scheduler::Ticket m_timer = 0;
    bool m_open = false; // shown and not closed since (a capture may hide it for a moment)
    std::optional<std::pair<bool, bool>> m_lastAccess;
    std::optional<std::pair<bool, bool>> m_accessForTest;
};
