#include "capture/OverlayPool.h"

#include "capture/OverlayView.h"
#include "capture/OverlayWindow.h"
#include "app/SelfCheckFlag.h"
#include "platform/WindowFrame.h"

#include <QBackingStore>
#include <QGuiApplication>
#include <QPainter>
#include <QScreen>
#include <QTimer>
#include <QWindow>

#include <algorithm>

namespace {
QList<QRect> screenFrames()
{
    QList<QRect> frames;
    for (const QScreen *s : QGuiApplication::screens())
        frames << s->geometry();
    return frames;
}

using Windows = QList<QPointer<OverlayWindow>>;

bool holds(const Windows &windows, const QRect &frame)
{
    return std::any_of(windows.cbegin(), windows.cend(),
                       [&](const QPointer<OverlayWindow> &w) { return w && w->frame() == frame; });
}

// The kept window of that frame, taken out of the list; none when there is none or when it can
// no longer serve (its native window went away, or it was made for the other side of the
// self-check), which goes.
OverlayWindow *takeOut(Windows &windows, const QRect &frame)
{
    windows.removeAll(nullptr);
    for (qsizetype i = 0; i < windows.size(); ++i) {
        OverlayWindow *w = windows[i];
        if (w->frame() != frame)
            continue;
        windows.removeAt(i);
        const bool bottom = w->windowFlags().testFlag(Qt::WindowStaysOnBottomHint);
        if (w->windowHandle() && w->testAttribute(Qt::WA_WState_Created) && bottom == SelfCheckFlag::isSet())
            return w;
        w->deleteLater();
        return nullptr;
    }
    return nullptr;
}

QList<OverlayWindow *> alive(const Windows &windows)
{
    QList<OverlayWindow *> out;
    for (const auto &w : windows)
        if (w)
            out << w.data();
    return out;
}

// Drops the windows whose frame is not among frames.
void dropOthers(Windows &windows, const QList<QRect> &frames)
{
    for (const auto &w : std::as_const(windows)) {
        if (w && !frames.contains(w->frame()))
            w->deleteLater();
    }
    windows.removeIf([&](const QPointer<OverlayWindow> &w) { return !w || !frames.contains(w->frame()); });
}
} // namespace

OverlayPool &OverlayPool::shared()
{
    static OverlayPool *pool = new OverlayPool;
    return *pool;
}

OverlayPool::OverlayPool()
{
    const auto follow = [this](QScreen *screen) {
        connect(screen, &QScreen::geometryChanged, this, &OverlayPool::screensChanged);
    };
    for (QScreen *s : QGuiApplication::screens())
        follow(s);
    // A panel that comes or goes moves where canvas windows open.
    const auto followVisible = [this](QScreen *screen) {
        connect(screen, &QScreen::availableGeometryChanged, this, &OverlayPool::screensChanged);
    };
    for (QScreen *s : QGuiApplication::screens())
        followVisible(s);
    connect(qApp, &QGuiApplication::screenAdded, this, [this, follow, followVisible](QScreen *s) {
        follow(s);
        followVisible(s);
        screensChanged();
    });
    connect(qApp, &QGuiApplication::screenRemoved, this, &OverlayPool::screensChanged);
}

QList<OverlayWindow *> OverlayPool::kept() const
{
    return alive(m_kept);
}

QList<OverlayWindow *> OverlayPool::keptCanvases() const
{
    return alive(m_canvases);
}

QList<QRect> OverlayPool::canvasFrames()
{
    QList<QRect> frames;
    for (const QScreen *s : QGuiApplication::screens())
        frames << OverlayView::canvasContent(QRectF(s->availableGeometry()), WindowFrame::titleBarHeight(s)).toRect();
    return frames;
}

OverlayWindow *OverlayPool::make(const QRect &frame)
{
    ++m_created;
    auto *w = new OverlayWindow(frame);
    connect(w, &OverlayWindow::becameCanvas, this, &OverlayPool::windowBecameCanvas);
    return w;
}

// A screen whose overlay became the canvas itself gets a new one, made once the canvas is up so
// that a capture over the canvas is as quick as any.
void OverlayPool::windowBecameCanvas()
{
    warmLater(300);
}

OverlayWindow *OverlayPool::take(const QRect &frame)
{
    if (OverlayWindow *w = takeOut(m_kept, frame))
        return w;
    return make(frame);
}

OverlayWindow *OverlayPool::takeCanvas(const QRect &content)
{
    return takeOut(m_canvases, content);
}

void OverlayPool::give(OverlayWindow *window)
{
    if (!window)
        return;
    window->orderOut();
    window->resetForPool();
    const bool canvas = window->isTitled();
    Windows &kept = canvas ? m_canvases : m_kept;
    kept.removeAll(nullptr);
    const QRect frame = window->frame();
    // A canvas window the user maximised or made full-screen opens no canvas as it was made.
    const bool plain = !canvas || window->windowState() == Qt::WindowNoState;
    const bool wanted = enabled && plain && (canvas ? canvasFrames() : screenFrames()).contains(frame)
                        && !holds(kept, frame);
    if (!wanted) {
        window->deleteLater();
        return;
    }
    kept << window;
    // The user may have resized the canvas window: its store is written again at its frame's size.
    if (canvas && window->backingStore() && window->backingStore()->size() != frame.size())
        prepare(window);
}

void OverlayPool::warm()
{
    m_warmPending = false;
    if (!enabled)
        return;
    m_kept.removeAll(nullptr);
    for (const QRect &frame : screenFrames()) {
        if (holds(m_kept, frame))
            continue;
        OverlayWindow *w = make(frame);
        prepare(w);
        m_kept << w;
    }
    // A canvas window kept for a frame that changed goes.
    dropOthers(m_canvases, canvasFrames());
}

void OverlayPool::warmLater(int delayMs)
{
    if (m_warmPending || !enabled)
        return;
    m_warmPending = true;
    QTimer::singleShot(delayMs, this, [this] { warm(); });
}

// Writes every page of the window's backing store once at the window's size, without showing
// it: the first capture on the window paints into memory the process already has. (The system
// makes each new page on first touch, and at 4K that costs more than the whole paint.)
void OverlayPool::prepare(OverlayWindow *window)
{
    QBackingStore *store = window->backingStore();
    if (!store)
        return;
    const QRect all(QPoint(0, 0), window->size());
    store->resize(all.size());
    store->beginPaint(all);
    if (QPaintDevice *device = store->paintDevice()) {
        QPainter painter(device);
        painter.fillRect(all, Qt::black);
    }
    store->endPaint();
    // A hidden widget keeps its geometry to itself: the native window gets it now, not at the show.
    if (QWindow *handle = window->windowHandle())
        handle->setGeometry(window->geometry());
}

void OverlayPool::screensChanged()
{
    dropOthers(m_kept, screenFrames());
    dropOthers(m_canvases, canvasFrames());
    warmLater(200);
}

void OverlayPool::clear()
{
    for (const auto &w : std::as_const(m_kept) + std::as_const(m_canvases)) {
        if (w)
            w->deleteLater();
    }
    m_kept.clear();
    m_canvases.clear();
}
