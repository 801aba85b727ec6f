#include "capture/OverlayPool.h"

#include "capture/OverlayWindow.h"
#include "app/SelfCheckFlag.h"

#include <QGuiApplication>
#include <QPainter>
#include <QScreen>
#include <QTimer>
#include <QWindow>

#include <algorithm>

namespace {
// Paints the whole window once, so that every page of its backing store is written before a
// capture needs it.
class WarmFill : public QWidget
{
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter(this).fillRect(rect(), Qt::black);
    }
};

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

// Shows the window once away from every screen and paints it whole, then takes it down again:
// its backing store is allocated and written, and stays with the window.
void OverlayPool::prepare(OverlayWindow *window)
{
    const QRect frame = window->frame();
    QRect away = frame;
    QRect all;
    for (const QRect &f : screenFrames())
        all |= f;
    away.moveTopLeft(QPoint(all.right() + 1 + frame.width(), all.bottom() + 1 + frame.height()));
    auto *fill = new WarmFill(window);
    fill->setGeometry(window->rect());
    window->setGeometry(away);
    window->show();
    fill->repaint();
    window->hide();
    delete fill;
    window->setGeometry(frame);
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
