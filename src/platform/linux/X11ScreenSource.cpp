#include "platform/linux/X11ScreenSource.h"

#include "platform/linux/X11Grabber.h"
#include "platform/linux/X11Monitors.h"
#include "platform/linux/X11ClientWindows.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QPointer>
#include <QPromise>
#include <QScreen>
#include <QThread>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <xcb/composite.h>

#include <algorithm>
#include <cstdlib>

// A grabber borrowed from the pool for the length of one job, on whatever thread runs it.
class X11ScreenSource::Lease
{
public:
    explicit Lease(X11ScreenSource *source, quint32 display = 0)
        : m_source(source), m_display(display), m_grabber(source->take(display))
    {
    }
    ~Lease() { m_source->giveBack(m_display, std::move(m_grabber)); }
    X11Grabber *operator->() const { return m_grabber.get(); }
    X11Grabber &operator*() const { return *m_grabber; }

private:
    X11ScreenSource *m_source;
    quint32 m_display;
    std::unique_ptr<X11Grabber> m_grabber;
};

X11ScreenSource::X11ScreenSource() : X11ScreenSource(Options{}) {}

X11ScreenSource::X11ScreenSource(Options options) : m_options(options)
{
    m_pool.setMaxThreadCount(std::max(4, QThread::idealThreadCount()));
}

X11ScreenSource::~X11ScreenSource()
{
    // Jobs still running use this source's grabbers; let them finish first.
    m_pool.waitForDone();
}

// Runs a job on the source's own threads; a ScreenGrabError it throws fails the future.
template<typename F>
auto X11ScreenSource::run(F job) -> QFuture<decltype(job())>
{
    using T = decltype(job());
    auto promise = std::make_shared<QPromise<T>>();
    QFuture<T> future = promise->future();
    promise->start();
    m_pool.start([promise, job = std::move(job)]() mutable {
        try {
            promise->addResult(job());
        } catch (const ScreenGrabError &e) {
            promise->setException(e);
        } catch (const std::exception &e) {
            promise->setException(ScreenGrabError(QString::fromLocal8Bit(e.what())));
        }
        promise->finish();
    });
    return future;
}

std::unique_ptr<X11Grabber> X11ScreenSource::take(quint32 display)
{
    {
        std::lock_guard guard(m_lock);
        const auto it = std::find_if(m_idle.begin(), m_idle.end(), [display](const auto &e) { return e.first == display; });
        if (it != m_idle.end()) {
            auto g = std::move(it->second);
            m_idle.erase(it);
            return g;
        }
    }
    return std::make_unique<X11Grabber>(m_options.sharedMemory);
}

void X11ScreenSource::giveBack(quint32 display, std::unique_ptr<X11Grabber> grabber)
{
    if (!grabber || !grabber->isConnected() || xcb_connection_has_error(grabber->connection()))
        return;
    std::lock_guard guard(m_lock);
    m_idle.emplace_back(display, std::move(grabber));
    // Displays come and go; keep the connections of the recent ones only.
    if (m_idle.size() > 8)
        m_idle.erase(m_idle.begin());
}

bool X11ScreenSource::usesSharedMemory()
{
    Lease g(this);
    return g->isConnected() && g->usesSharedMemory();
}

QList<ScreenInfo> X11ScreenSource::screens()
{
    QList<QScreen *> qscreens = QGuiApplication::screens();
    if (QScreen *primary = QGuiApplication::primaryScreen()) {
        qscreens.removeAll(primary);
        qscreens.prepend(primary);
    }
    QList<X11Monitor> monitors;
    {
        Lease g(this);
        if (g->isConnected())
            monitors = X11Monitors::list(g->connection(), g->screen());
    }
    QList<ScreenInfo> out;
    for (QScreen *s : qscreens) {
        ScreenInfo info{0, s->name(), s->geometry(), s->devicePixelRatio()};
        const QRect native(s->geometry().topLeft() * info.pixelScale, s->geometry().size() * info.pixelScale);
        const X11Monitor *match = nullptr;
        for (const X11Monitor &m : monitors)
            if (!m.name.isEmpty() && m.name == info.name)
                match = &m;
        for (const X11Monitor &m : monitors)
            if (!match && m.rect == native)
                match = &m;
        if (match)
            info.displayId = match->id;
        out.append(info);
    }
    return out;
}

QFuture<ScreenContent> X11ScreenSource::content()
{
    const qint64 self = QCoreApplication::applicationPid();
    return run([this, self] {
        Lease g(this);
        if (!g->isConnected())
            throw ScreenGrabError(g->connectError());
        ScreenContent content;
        for (const X11Monitor &m : X11Monitors::list(g->connection(), g->screen()))
            content.displays.append({m.id, m.rect});
        content.windows = X11ClientWindows::list(g->connection(), g->root());
        // Our own windows are always ours to leave out, even those no window manager lists.
        content.applications.append(self);
        for (const ScreenWindow &w : content.windows)
            if (w.pid > 0 && !content.applications.contains(w.pid))
                content.applications.append(w.pid);
        if (xcb_connection_has_error(g->connection()))
            throw ScreenGrabError(QStringLiteral("The connection to the X server broke."));
        return content;
    });
}

namespace {

// Our windows that show on screen and can be hidden for a moment. The tray icon stays: it lives
// inside the tray's window and would have to dock again.
QList<QPointer<QWindow>> ownVisibleWindows()
{
    QList<QPointer<QWindow>> out;
    for (QWindow *w : QGuiApplication::topLevelWindows()) {
        if (!w->isVisible() || w->type() == Qt::Desktop)
            continue;
        if (QWidget *widget = QWidget::find(w->winId()); widget && widget->inherits("QSystemTrayIconSys"))
            continue;
        out.append(w);
    }
    return out;
}

} // namespace

QFuture<std::shared_ptr<void>> X11ScreenSource::leaveOut(const QList<qint64> &pids)
{
    auto promise = std::make_shared<QPromise<std::shared_ptr<void>>>();
    promise->start();
    QFuture<std::shared_ptr<void>> future = promise->future();
    const QList<QPointer<QWindow>> hidden =
        pids.contains(QCoreApplication::applicationPid()) ? ownVisibleWindows() : QList<QPointer<QWindow>>();
    if (hidden.isEmpty()) {
        promise->addResult(std::shared_ptr<void>());
        promise->finish();
        return future;
    }
    for (const QPointer<QWindow> &w : hidden)
        w->hide();
    // The handle shows the windows again when the last grab is done with it (on the main thread).
    std::shared_ptr<void> handle(nullptr, [hidden](void *) {
        for (const QPointer<QWindow> &w : hidden)
            if (w)
                w->show();
    });
    QGuiApplication::sync();
    QTimer::singleShot(m_options.settleMs, qApp, [promise, handle] {
        promise->addResult(handle);
        promise->finish();
    });
    return future;
}

QFuture<QImage> X11ScreenSource::grabDisplay(const ScreenDisplay &display, QSize pixelSize)
{
    return run([this, display, pixelSize] {
        Lease g(this, display.id);
        QString error;
        QImage image = g->grab(g->root(), display.pixelRect, &error);
        if (image.isNull())
            throw ScreenGrabError(error);
        if (image.size() != pixelSize)
            image = image.scaled(pixelSize, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        image.setDevicePixelRatio(display.pixelRatio);
        return image;
    });
}

double X11ScreenSource::windowPixelScale(const ScreenWindow &window)
{
    QScreen *screen = QGuiApplication::screenAt(window.frame.center());
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    return screen ? screen->devicePixelRatio() : 1.0;
}

QFuture<QImage> X11ScreenSource::grabWindow(const ScreenWindow &window, QSize pixelSize)
{
    return run([this, window, pixelSize] {
        Lease g(this);
        if (!g->isConnected())
            throw ScreenGrabError(g->connectError());
        xcb_connection_t *c = g->connection();
        // Without a compositing manager there is no window pixmap to read.
        const QByteArray selection = "_NET_WM_CM_S" + QByteArray::number(0);
        auto owner = xcb_get_selection_owner_reply(
            c, xcb_get_selection_owner(c, X11ClientWindows::atom(c, selection.constData())), nullptr);
        const bool composited = owner && owner->owner != XCB_WINDOW_NONE;
        free(owner);
        if (!composited)
            throw ScreenGrabError(QStringLiteral("No compositing manager runs."));
        const xcb_window_t top = X11ClientWindows::topLevelOf(c, g->root(), window.id);
        if (top == XCB_WINDOW_NONE)
            throw ScreenGrabError(QStringLiteral("The window is gone."));
        auto version = xcb_composite_query_version_reply(c, xcb_composite_query_version(c, 0, 4), nullptr);
        free(version);
        const xcb_pixmap_t pixmap = xcb_generate_id(c);
        if (xcb_generic_error_t *err = xcb_request_check(c, xcb_composite_name_window_pixmap_checked(c, top, pixmap))) {
            free(err);
            throw ScreenGrabError(QStringLiteral("The window has no pixmap of its own."));
        }
        auto geometry = xcb_get_geometry_reply(c, xcb_get_geometry(c, pixmap), nullptr);
        QString error;
        QImage image;
        if (geometry)
            image = g->grab(pixmap, QRect(0, 0, geometry->width, geometry->height), &error);
        free(geometry);
        xcb_free_pixmap(c, pixmap);
        xcb_flush(c);
        if (image.isNull())
            throw ScreenGrabError(error.isEmpty() ? QStringLiteral("The window could not be read.") : error);
        image = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
        if (image.size() != pixelSize && !pixelSize.isEmpty())
            image = image.scaled(pixelSize, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        return image;
    });
}
