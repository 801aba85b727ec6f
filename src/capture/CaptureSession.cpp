#include "capture/CaptureSession.h"

#include "app/ActivityLog.h"
#include "app/SelfCheckFlag.h"
#include "app/Toast.h"
#include "capture/ClipboardPicture.h"
#include "capture/OverlayWindow.h"
#include "capture/OverlayPool.h"
#include "capture/SessionCanvas.h"
#include "platform/FrontApplication.h"
#include "platform/PointerPosition.h"
#include "platform/Preferences.h"
#include "platform/SystemBeep.h"
#include "platform/WindowList.h"

#include <QApplication>
#include <QCoreApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>
#include <QWindow>

#include <algorithm>

#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace {
CaptureSession *current = nullptr;
Scheduler *schedulerOverride = nullptr;

constexpr double minWindowSide = 40;  // smaller windows are not offered for picking
constexpr double minAreaSide = 8;     // a smaller remembered area is no choice

// Once the closed capture's windows, views and pictures have gone (they go on later turns of the
// event loop), hands the memory the allocator keeps from them back to the system: screen-sized
// pictures freed in pieces otherwise stay with the process.
void giveBackFreedMemory()
{
#ifdef __GLIBC__
    QTimer::singleShot(1000, qApp, [] {
        if (!current)
            malloc_trim(0);
    });
#endif
}
} // namespace

std::optional<CaptureSession::LastArea> CaptureSession::lastArea;
std::function<void()> CaptureSession::sessionEndedHook;
std::function<SessionCanvas *(OverlayView *)> CaptureSession::canvasOf;
std::function<void(CaptureSession &, SessionCanvas &, bool)> CaptureSession::writePages;
std::function<QString(const QImage &, const QString &, double, QString *)> CaptureSession::savePicture;
std::function<std::optional<QString>(const std::optional<RunningApp> &)> CaptureSession::sendTarget;
std::function<void(const QString &)> CaptureSession::pasteInto;
OverlayView::WindowCapture CaptureSession::windowCapture;
std::function<void(CaptureSession &, OverlayView *, const Markup &, const QHash<QUuid, ShotImage> &,
                   const std::optional<QString> &)>
    CaptureSession::openPictures;

CaptureSession::CaptureSession(const QList<FrozenFrame> &frames, std::optional<RunningApp> previousApp, Mode mode)
    : m_mode(mode), m_previousApp(std::move(previousApp))
{
    for (const FrozenFrame &frame : frames) {
        const QRect f = frame.screen.geometry;
        const double scale = f.width() > 0 ? double(frame.image.width()) / f.width() : 1.0;
        addOverlay(f, frame.image, scale, frame.screen.displayId);
    }
}

CaptureSession::CaptureSession(const Markup &markup, const QHash<QUuid, ShotImage> &images,
                               const std::optional<QString> &historyId, std::optional<RunningApp> previousApp,
                               const QList<ScreenInfo> &screens)
    : m_mode(Mode::Canvas), m_previousApp(std::move(previousApp))
{
    QList<ScreenInfo> all = screens;
    if (all.isEmpty() && QGuiApplication::primaryScreen())
        all << ScreenInfo{0, QGuiApplication::primaryScreen()->name(), QGuiApplication::primaryScreen()->geometry(),
                          QGuiApplication::primaryScreen()->devicePixelRatio()};
    const auto first = markup.shots.isEmpty() ? images.constEnd() : images.constFind(markup.shots.first().id);
    const auto picture = first != images.constEnd() ? first : images.constBegin();
    if (all.isEmpty() || picture == images.constEnd()) {
        closeWithoutCanvas(QStringLiteral("capture: nothing to open"));
        return;
    }
    const QPoint p = QCursor::pos();
    const QScreen *primary = QGuiApplication::primaryScreen();
    auto chosen = std::find_if(all.cbegin(), all.cend(), [&](const ScreenInfo &s) { return s.geometry.contains(p); });
    if (chosen == all.cend() && primary)
        chosen = std::find_if(all.cbegin(), all.cend(), [&](const ScreenInfo &s) { return s.name == primary->name(); });
    const ScreenInfo &screen = chosen == all.cend() ? all.first() : *chosen;
    addOverlay(screen.geometry, picture->image, picture->pixelScale, screen.displayId);
    m_active = m_views.first();
    if (!openPictures) {
        closeWithoutCanvas(QStringLiteral("capture: the canvas is not in this build; the pictures are not opened"));
        return;
    }
    openPictures(*this, m_active, markup, images, historyId);
}

void CaptureSession::addOverlay(const QRect &frame, const QImage &picture, double pixelScale, quint32 displayId)
{
    auto *view = new OverlayView(frame.size(), picture, pixelScale);
    view->setSession(this);
    if (windowCapture)
        view->setWindowCapture(windowCapture);
    OverlayWindow *window = OverlayPool::shared().take(frame);
    window->setContentView(view);
    m_windows << window;
    m_views << view;
    m_displays << std::optional<quint32>(displayId);
}

// A session whose canvas cannot open says so and ends once its maker has stored it, so that it
// does not hold the current-session slot with nothing on screen.
void CaptureSession::closeWithoutCanvas(const QString &what)
{
    activityLog(what);
    QTimer::singleShot(0, this, [this] { end(true); });
}

// The chain of further-shot sessions goes one after another, not by recursion.
CaptureSession::~CaptureSession()
{
    releaseWindows();
    CaptureSession *next = m_child;
    m_child = nullptr;
    while (next) {
        CaptureSession *after = next->m_child;
        next->m_child = nullptr;
        next->deleteLater();
        next = after;
    }
}

CaptureSession *CaptureSession::currentSession()
{
    return current;
}

void CaptureSession::setCurrentSession(CaptureSession *session)
{
    CaptureSession *old = current;
    current = session;
    if (old && old != session)
        old->deleteLater();
}

void CaptureSession::setChild(CaptureSession *session)
{
    if (m_child && m_child != session)
        m_child->deleteLater();
    m_child = session;
    if (session)
        session->m_parent = this;
}

QList<OverlayWindow *> CaptureSession::windows() const
{
    QList<OverlayWindow *> out;
    for (const auto &w : m_windows)
        out << w.data();
    return out;
}

QList<OverlayView *> CaptureSession::views() const
{
    QList<OverlayView *> out;
    for (const auto &v : m_views)
        out << v.data();
    return out;
}

SessionCanvas *CaptureSession::canvas() const
{
    return m_active && canvasOf ? canvasOf(m_active) : nullptr;
}

void CaptureSession::activateApplication(OverlayWindow *window) const
{
    if (window && !SelfCheckFlag::isSet())
        window->activateWindow();
}

// Orders every window out and forgets it: the pool keeps it for the next capture or deletes it
// once control is back in the event loop, and its view goes then too, since a view may be what
// called.
void CaptureSession::releaseWindows()
{
    for (const auto &w : std::as_const(m_windows)) {
        if (w)
            OverlayPool::shared().give(w);
    }
    m_windows.clear();
    m_views.clear();
    m_displays.clear();
}

int CaptureSession::windowIndexUnderPointer() const
{
    const QPointF p = PointerPosition::global();
    for (int i = 0; i < m_windows.size(); ++i) {
        if (m_windows[i] && QRectF(m_windows[i]->geometry()).contains(p))
            return i;
    }
    return -1;
}

void CaptureSession::show()
{
    for (const auto &w : std::as_const(m_windows)) {
        if (w)
            w->orderFrontRegardless();
    }
    if (m_windows.isEmpty())
        return;
    const QPointF p = PointerPosition::global();
    const int under = windowIndexUnderPointer();
    OverlayWindow *key = m_windows[under < 0 ? 0 : under];
    if (key) {
        activateApplication(key);
        key->makeKeyAndOrderFront();
    }
    for (int i = 0; i < m_windows.size() && i < m_views.size(); ++i) {
        if (!m_windows[i] || !m_views[i])
            continue;
        const bool inside = QRectF(m_windows[i]->geometry()).contains(p);
        m_views[i]->trackPointer(inside, m_views[i]->mapFromGlobal(p));
    }
}

void CaptureSession::loadWindowList()
{
    const bool captureSelf = Preferences::shared().boolValue(QStringLiteral("dev.captureSelf")).value_or(false);
    const qint64 own = captureSelf ? -1 : QCoreApplication::applicationPid();
    QList<WindowListEntry> kept;
    for (const WindowListEntry &w : WindowList::shared().onScreenWindows()) {
        if (w.layer != 0 || (own > 0 && w.pid == own) || (w.alpha && *w.alpha <= 0.01) || !w.bounds)
            continue;
        if (w.bounds->width() < minWindowSide || w.bounds->height() < minWindowSide)
            continue;
        kept << w;
    }
    for (int i = 0; i < m_windows.size() && i < m_views.size(); ++i) {
        if (!m_windows[i] || !m_views[i])
            continue;
        const QPointF origin = m_windows[i]->geometry().topLeft();
        const QRectF bounds(QPointF(0, 0), QSizeF(m_views[i]->size()));
        QList<QRectF> rects;
        QList<quint32> ids;
        for (const WindowListEntry &w : std::as_const(kept)) {
            const QRectF cut = w.bounds->translated(-origin) & bounds;
            if (cut.width() >= minWindowSide && cut.height() >= minWindowSide) {
                rects << cut;
                ids << w.number;
            }
        }
        m_views[i]->setWindows(rects, ids);
    }
}

void CaptureSession::chooseFullScreen()
{
    const int under = windowIndexUnderPointer();
    const int i = under < 0 ? 0 : under;
    if (i < m_views.size() && m_views[i])
        m_views[i]->finish(QRectF(QPointF(0, 0), QSizeF(m_views[i]->size())));
}

void CaptureSession::repeatLastArea()
{
    if (!lastArea || m_views.isEmpty())
        return;
    int index = 0;
    if (lastArea->display) {
        const int found = m_displays.indexOf(lastArea->display);
        index = found < 0 ? 0 : found;
    }
    OverlayView *view = m_views[index];
    if (!view)
        return;
    const QRectF cut = lastArea->rect & QRectF(QPointF(0, 0), QSizeF(view->size()));
    if (cut.width() >= minAreaSide && cut.height() >= minAreaSide)
        view->finish(cut);
}

void CaptureSession::commitArea(OverlayView *view, const QRectF &rect)
{
    m_active = view;
    const int i = m_views.indexOf(view);
    if (i >= 0)
        lastArea = LastArea{m_displays.value(i), rect};
    OverlayWindow *chosen = nullptr;
    for (int k = 0; k < m_windows.size(); ++k) {
        if (!m_windows[k])
            continue;
        if (k < m_views.size() && m_views[k] == view) {
            chosen = m_windows[k];
        } else if (m_mode == Mode::Canvas && canvasOf) {
            // The other screens' windows go back to the pool now, not when the canvas closes,
            // so that the pool never holds a second window for their screens.
            OverlayPool::shared().give(m_windows[k]);
            m_windows[k] = nullptr;
        } else {
            m_windows[k]->orderOut();
        }
    }
    if (chosen)
        chosen->makeKeyAndOrderFront();
    // Without a canvas editor the chosen area has nowhere to open: say so and let the screen go
    // once the view has finished handing the area over.
    if (m_mode == Mode::Canvas && !canvasOf)
        closeWithoutCanvas(QStringLiteral("capture: the canvas is not in this build; the chosen area is not opened"));
}

void CaptureSession::copyArea(OverlayView *view, const QRectF &rect)
{
    const QImage picture = view ? view->croppedImage(rect) : QImage();
    if (picture.isNull()) {
        SystemBeep::play();
        return;
    }
    copyWindowImage(picture, view->pixelScale());
}

void CaptureSession::copyWindowImage(const QImage &image, double scale)
{
    // The clipboard is offered at once and the session ends without waiting for the bytes; the
    // toast comes when they are made. A picture that cannot be offered keeps the overlay.
    const QSize size = image.size();
    const bool offered = ClipboardPicture::put(image, scale, [size](bool encoded) {
        if (!encoded) {
            SystemBeep::play();
            toast(QStringLiteral("Could not copy the picture"), 0.9);
            return;
        }
        toast(QStringLiteral("Copied  %1 × %2").arg(size.width()).arg(size.height()), 0.9);
    });
    if (!offered) {
        SystemBeep::play();
        return;
    }
    end(true);
}

void CaptureSession::addAreaShot(OverlayView *view, const QRectF &rect)
{
    if (!view)
        return;
    const QImage picture = view->frozen();
    const double scale = view->pixelScale();
    QPointer<CaptureSession> parent = m_parent;
    hideOverlays();
    if (!parent)
        return;
    parent->bringForward();
    if (SessionCanvas *c = parent->canvas())
        c->addShotPage(picture, scale, rect);
}

void CaptureSession::addWindowShot(const QImage &image, double scale)
{
    QPointer<CaptureSession> parent = m_parent;
    hideOverlays();
    if (!parent)
        return;
    parent->bringForward();
    const double s = scale > 0 ? scale : 1.0;
    if (SessionCanvas *c = parent->canvas())
        c->addShotPage(image, s, QRectF(0, 0, image.width() / s, image.height() / s));
}

bool CaptureSession::cancelSelection()
{
    if (m_child && m_child->cancelSelection())
        return true;
    if (m_windows.isEmpty())
        return false;
    if (m_active && m_active->stage() == OverlayView::Stage::Canvas)
        return false;
    if (m_mode == Mode::AddShot) {
        QPointer<CaptureSession> parent = m_parent;
        hideOverlays();
        if (parent)
            parent->bringForward();
    } else {
        end(true);
    }
    return true;
}

void CaptureSession::bringForward()
{
    setChild(nullptr);
    OverlayWindow *window = m_active ? qobject_cast<OverlayWindow *>(m_active->window()) : nullptr;
    if (!window)
        return;
    window->orderFrontRegardless();
    activateApplication(window);
    window->makeKeyAndOrderFront();
    if (SessionCanvas *c = canvas())
        c->focusDocument();
    watchFrontApp();
}

void CaptureSession::hideForCapture()
{
    if (SessionCanvas *c = canvas())
        c->endEditing();
    for (const auto &w : std::as_const(m_windows)) {
        if (w)
            w->orderOut();
    }
}

void CaptureSession::hideOverlays()
{
    releaseWindows();
}

void CaptureSession::end(bool reactivate)
{
    cancelAutosave();
    if (SessionCanvas *c = canvas()) {
        c->saveCurrentPage();
        if (writePages)
            writePages(*this, *c, false);
    }
    releaseWindows();
    // Only the session in the slot empties it: a session that ends after another took its place
    // leaves the newer one alone.
    if (current == this)
        setCurrentSession(nullptr);
    else if (!m_parent)
        deleteLater();
    if (!current) {
        activityLog(QStringLiteral("canvas closed"));
        updateDockIcon();
        stepBackInAppSwitcher();
        giveBackFreedMemory();
    }
    forgetCanvasCameUp();
    if (reactivate && m_previousApp)
        FrontApplication::shared().activate(*m_previousApp);
    if (sessionEndedHook)
        sessionEndedHook();
}

void CaptureSession::dragOutFinished(bool dropped)
{
    const auto backToNormal = [this] {
        for (const auto &w : std::as_const(m_windows)) {
            if (!w)
                continue;
            w->setAttribute(Qt::WA_TransparentForMouseEvents, false);
            if (QWindow *window = w->windowHandle())
                window->setFlag(Qt::WindowTransparentForInput, false);
            w->setWindowOpacity(1.0);
        }
    };
    if (!dropped) {
        backToNormal();
        if (OverlayWindow *w = m_active ? qobject_cast<OverlayWindow *>(m_active->window()) : nullptr)
            w->makeKeyAndOrderFront();
        return;
    }
    SessionCanvas *c = canvas();
    const bool stays = c && c->markCurrentPageDone();
    if (stays)
        backToNormal();
    else
        end(true);
    toast(QStringLiteral("Dropped"), 0.9);
}

void CaptureSession::setDebugText(const QString &text)
{
    for (const auto &v : std::as_const(m_views)) {
        if (v)
            v->setDebugText(text);
    }
}

Scheduler &CaptureSession::scheduler()
{
    return schedulerOverride ? *schedulerOverride : Scheduler::system();
}

void CaptureSession::setSchedulerForTesting(Scheduler *scheduler)
{
    schedulerOverride = scheduler;
}

void CaptureSession::cancelAutosave()
{
    scheduler().cancel(m_autosaveTicket);
    m_autosaveTicket = 0;
}

void CaptureSession::scheduleAutosave()
{
    if (m_mode != Mode::Canvas || m_autosaveTicket)
        return;
    QPointer<CaptureSession> self(this);
    m_autosaveTicket = scheduler().after(1.0, [self] {
        if (self) {
            self->m_autosaveTicket = 0;
            self->autosave(false);
        }
    });
}

void CaptureSession::autosave(bool sync)
{
    cancelAutosave();
    SessionCanvas *c = canvas();
    if (!c || m_windows.isEmpty())
        return;
    if (writePages)
        writePages(*this, *c, sync);
}

void CaptureSession::forgetWritten(const QStringList &ids)
{
    for (const QString &id : ids)
        m_written.remove(id);
}
