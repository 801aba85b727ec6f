#pragma once
#include "capture/FrozenFrame.h"
#include "capture/OverlayView.h"
#include "capture/OverlayViewHost.h"
#include "capture/SessionPage.h"
#include "capture/ShotImage.h"
#include "document/Markup.h"
#include "platform/RunningApp.h"
#include "platform/Scheduler.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QRectF>
#include <QUuid>

#include <functional>
#include <optional>

class OverlayWindow;
class SessionCanvas;

// One capture, from the moment the screens are frozen until its canvas closes. It owns one
// overlay window per screen (each holding an OverlayView with that screen's frozen picture),
// knows which overlay the user chose, puts clipboard results on the clipboard, hands further
// shots to the canvas of its parent session, and ends in one fixed sequence of steps.
// Main thread only.
class CaptureSession : public QObject, public OverlayViewHost
{
    Q_OBJECT
public:
    // The area chosen last: the display it was chosen on and the rectangle in that overlay's
    // points.
    struct LastArea
    {
        std::optional<quint32> display;
        QRectF rect;
    };

    // A live capture: one overlay per frozen frame, in the frames' order.
    CaptureSession(const QList<FrozenFrame> &frames, std::optional<RunningApp> previousApp, Mode mode);
    // A reopened history entry or opened pictures (at least one image): one overlay on the screen
    // under the pointer (else the primary screen, else the first) showing the first shot's
    // picture, on which openPictures opens the canvas at once.
    CaptureSession(const Markup &markup, const QHash<QUuid, ShotImage> &images, const std::optional<QString> &historyId,
                   std::optional<RunningApp> previousApp, const QList<ScreenInfo> &screens);
    ~CaptureSession() override;

    // The one slot that owns the current session. Setting it releases the session it held.
    static CaptureSession *currentSession();
    static void setCurrentSession(CaptureSession *session);
    static std::optional<LastArea> lastArea;
    // Run at the end of every end().
    static std::function<void()> sessionEndedHook;
    // The canvas that a view hosts, or none (filled by the canvas editor).
    static std::function<SessionCanvas *(OverlayView *)> canvasOf;
    // Writes the canvas's pages to the capture history (filled by the history; sync waits).
    static std::function<void(CaptureSession &, SessionCanvas &, bool sync)> writePages;
    // Writes a picture as a PNG file into a folder at a scale and gives its path, or empty with
    // the reason (filled by the export).
    static std::function<QString(const QImage &, const QString &folder, double scale, QString *error)> savePicture;
    // The application to paste into for the "send.to" destination given the application that
    // was in front before the capture; none copies only (filled by the export).
    static std::function<std::optional<QString>(const std::optional<RunningApp> &previous)> sendTarget;
    // Brings the application forward and pastes into it (filled by the export).
    static std::function<void(const QString &target)> pasteInto;
    // Opens the canvas of a picture session on its overlay view (filled by the canvas editor).
    static std::function<void(CaptureSession &, OverlayView *, const Markup &, const QHash<QUuid, ShotImage> &,
                              const std::optional<QString> &historyId)>
        openPictures;
    // How the overlays take a clicked window's own picture (filled with the screen freezer's).
    static OverlayView::WindowCapture windowCapture;

    CaptureSession *parentSession() const { return m_parent; }
    CaptureSession *child() const { return m_child; }
    // Makes session (mode AddShot) the child taking a further shot for this session's canvas;
    // this session owns it, and it points back weakly.
    void setChild(CaptureSession *session);
    OverlayView *active() const { return m_active; }
    QList<OverlayWindow *> windows() const;
    QList<OverlayView *> views() const;
    QList<std::optional<quint32>> displays() const { return m_displays; }
    std::optional<RunningApp> previousApp() const { return m_previousApp; }
    bool autosavePending() const { return m_autosaveTicket != 0; }

    // Shows every overlay and gives the keyboard to the one under the pointer.
    void show();
    // What a capture starts with after show(): area selection with window hover, the whole
    // screen under the pointer, or the area chosen last.
    void loadWindowList();
    void chooseFullScreen();
    void repeatLastArea();

    // The overlays' calls.
    Mode mode() const override { return m_mode; }
    void commitArea(OverlayView *view, const QRectF &rect) override;
    void copyArea(OverlayView *view, const QRectF &rect) override;
    void copyWindowImage(const QImage &image, double scale) override;
    void addAreaShot(OverlayView *view, const QRectF &rect) override;
    void addWindowShot(const QImage &image, double scale) override;
    void hideOverlays() override;
    OverlayViewHost *parentHost() const override { return m_parent; }
    void bringForward() override;
    void end(bool reactivate) override;

    // Escape while selecting; true when it was handled here.
    bool cancelSelection();
    // Hides the canvas while a further shot is taken for it (the windows stay in the lists).
    void hideForCapture();
    // The canvas's picture was dragged out (and dropped somewhere, or not).
    void dragOutFinished(bool dropped);
    void setDebugText(const QString &text);

    // Return, Ctrl+Return and Ctrl+S on the canvas: the current page's picture to the clipboard,
    // to the clipboard and pasted into the destination application, or into a PNG file in the
    // save folder. A canvas of one page then closes; one of several stays and ticks the page.
    void copy();
    void send();
    void save();

    // Autosave: one write a second after the first request while none is pending (canvas mode).
    void scheduleAutosave();
    void autosave(bool sync);
    // The history group of this canvas's entries: none until a write first sees two or more
    // pages, then a new UUID text kept for the session's life.
    const std::optional<QString> &historyGroup() const { return m_historyGroup; }
    void setHistoryGroup(const QString &group) { m_historyGroup = group; }
    // What was last written under each history id, so unchanged pages are not written again.
    QHash<QString, WrittenPage> &writtenPages() { return m_written; }
    // Forgets the records of those entries (pages taken out of the canvas and put back are
    // written again).
    void forgetWritten(const QStringList &ids);

    // The canvas window, its taskbar presence and the application in front.
    void canvasOpened() override;
    void watchFrontApp();
    static void frontAppChanged(const std::optional<RunningApp> &app);
    static void checkFrontTakenBack();
    // Forgets when the canvas came up, so that an application brought forward on purpose (the
    // target of a paste) is not pulled back behind the canvas.
    static void forgetCanvasCameUp();
    // The active view's window while that view is a canvas, else none.
    OverlayWindow *canvasWindow() const;
    static double secondsSinceLastInput();
    static void updateDockIcon();
    static void stepBackInAppSwitcher();
    static void refreshDockIconImage();
    static bool anyWindowShown();

    // Tests: a clock (seconds) in place of the monotonic one, and forgetting the process-wide
    // state (slots, front watching, the observers installed once).
    static void setClockForTesting(std::function<double()> clock);
    // Tests: the scheduler that runs the autosave; none restores the system's.
    static void setSchedulerForTesting(Scheduler *scheduler);
    static void resetForTesting();

private:
    SessionCanvas *canvas() const;
    void activateApplication(OverlayWindow *window) const;
    void releaseWindows();
    int windowIndexUnderPointer() const;
    void addOverlay(const QRect &frame, const QImage &picture, double pixelScale, quint32 displayId);
    void closeWithoutCanvas(const QString &what);
    std::optional<RenderedPage> renderForExport();
    bool offerPage(const RenderedPage &page, bool stays, bool flash, bool toastCopied);
    void cancelAutosave();
    static Scheduler &scheduler();

    QPointer<CaptureSession> m_parent;
    CaptureSession *m_child = nullptr;
    Mode m_mode;
    QPointer<OverlayView> m_active;
    QList<QPointer<OverlayWindow>> m_windows;
    QList<QPointer<OverlayView>> m_views;
    QList<std::optional<quint32>> m_displays;
    std::optional<RunningApp> m_previousApp;
    Scheduler::Ticket m_autosaveTicket = 0;
    std::optional<QString> m_historyGroup;
    QHash<QString, WrittenPage> m_written;
};
