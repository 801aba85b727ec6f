#include "capture/OverlayPool.h"

#include "capture/OverlayWindow.h"
#include "app/SelfCheckFlag.h"

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
    connect(qApp, &QGuiApplication::screenAdded, this, [this, follow](QScreen *s) {
        follow(s);
        screensChanged();
    });
    connect(qApp, &QGuiApplication::screenRemoved, this, &OverlayPool::screensChanged);
}

QList<OverlayWindow *> OverlayPool::kept() const
{
    QList<OverlayWindow *> out;
    for (const auto &w : m_kept)
        if (w)
            out << w.data();
    return out;
}

OverlayWindow *OverlayPool::make(const QRect &frame)
{
    ++m_created;
    auto *w = new OverlayWindow(frame);
    connect(w, &OverlayWindow::becameCanvas, this, &OverlayPool::windowBecameCanvas);
    return w;
}

// The screen of a window that turned into the canvas gets a new kept window, made once the
// canvas is up so that a capture over the canvas is as quick as any.
void OverlayPool::windowBecameCanvas()
{
    warmLater(300);
}

OverlayWindow *OverlayPool::take(const QRect &frame)
{
    m_kept.removeAll(nullptr);
    for (qsizetype i = 0; i < m_kept.size(); ++i) {
        OverlayWindow *w = m_kept[i];
        if (w->frame() != frame)
            continue;
        m_kept.removeAt(i);
        // A window whose native window went away is made anew, as is one made for the other
        // side of the self-check.
        const bool bottom = w->windowFlags().testFlag(Qt::WindowStaysOnBottomHint);
        if (w->windowHandle() && w->testAttribute(Qt::WA_WState_Created) && bottom == SelfCheckFlag::isSet())
            return w;
        w->deleteLater();
        break;
    }
    return make(frame);
}

void OverlayPool::give(OverlayWindow *window)
{
    if (!window)
        return;
    window->orderOut();
    window->resetForPool();
    m_kept.removeAll(nullptr);
    const QRect frame = window->frame();
    const bool wanted = enabled && !window->isTitled() && screenFrames().contains(frame)
                        && std::none_of(m_kept.cbegin(), m_kept.cend(),
                                        [&](const QPointer<OverlayWindow> &w) { return w->frame() == frame; });
    if (wanted)
        m_kept << window;
    else
        window->deleteLater();
}

void OverlayPool::warm()
{
    m_warmPending = false;
    if (!enabled)
        return;
    m_kept.removeAll(nullptr);
    for (const QRect &frame : screenFrames()) {
        const bool have = std::any_of(m_kept.cbegin(), m_kept.cend(),
                                      [&](const QPointer<OverlayWindow> &w) { return w->frame() == frame; });
        if (have)
            continue;
        OverlayWindow *w = make(frame);
        prepare(w);
        m_kept << w;
    }
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
    const QList<QRect> frames = screenFrames();
    for (const auto &w : std::as_const(m_kept)) {
        if (w && !frames.contains(w->frame()))
            w->deleteLater();
    }
    m_kept.removeIf([&](const QPointer<OverlayWindow> &w) { return !w || !frames.contains(w->frame()); });
    warmLater(200);
}

void OverlayPool::clear()
{
    for (const auto &w : std::as_const(m_kept)) {
        if (w)
            w->deleteLater();
    }
    m_kept.clear();
}
