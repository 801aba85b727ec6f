#pragma once
#include "platform/ScreenSource.h"

#include <QThreadPool>

#include <memory>
#include <mutex>
#include <vector>

class X11Grabber;

// Screen capture on X11 through xcb: monitors from RandR, the window list from the window
// manager's hints, display pictures by GetImage of the root window (MIT-SHM when offered) on
// worker threads, each worker on a connection of its own, and window pictures from the
// compositing manager's window pixmaps (Composite NameWindowPixmap) when one runs.
class X11ScreenSource : public ScreenSource
{
public:
    struct Options
    {
        bool sharedMemory = true;
        int settleMs = 60; // how long other clients get to repaint what our hidden windows covered
    };
    X11ScreenSource();
    explicit X11ScreenSource(Options options);
    ~X11ScreenSource() override;

    QList<ScreenInfo> screens() override;
    QFuture<ScreenContent> content() override;
    QFuture<std::shared_ptr<void>> leaveOut(const QList<qint64> &pids) override;
    QFuture<QImage> grabDisplay(const ScreenDisplay &display, QSize pixelSize) override;
    double windowPixelScale(const ScreenWindow &window) override;
    QFuture<QImage> grabWindow(const ScreenWindow &window, QSize pixelSize) override;

    // Whether the grabs go through shared memory (false until the first grabber connected).
    bool usesSharedMemory();

private:
    class Lease;
    // A grabber kept for the display (its shared segment has that display's size already), or a
    // new one; display 0 stands for the jobs that grab nothing.
    std::unique_ptr<X11Grabber> take(quint32 display);
    void giveBack(quint32 display, std::unique_ptr<X11Grabber> grabber);

    template<typename F>
    auto run(F job) -> QFuture<decltype(job())>;

    Options m_options;
    QThreadPool m_pool;
    std::mutex m_lock;
    std::vector<std::pair<quint32, std::unique_ptr<X11Grabber>>> m_idle;
};
