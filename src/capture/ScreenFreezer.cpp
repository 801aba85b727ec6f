#include "capture/ScreenFreezer.h"

#include "platform/Preferences.h"
#include "platform/linux/X11ScreenSource.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QPointer>
#include <QPromise>
#include <QWindow>

#include <algorithm>
#include <cmath>
#include <syslog.h>

namespace {

bool ownWindowShown()
{
    const QList<QWindow *> windows = QGuiApplication::topLevelWindows();
    return std::any_of(windows.cbegin(), windows.cend(), [](const QWindow *w) { return w->isVisible() && w->isExposed(); });
}

int roundHalfAway(double v)
{
    return int(std::lround(v));
}

// The bookkeeping of one freeze: which grabs are still out, what came back, and the handle that
// keeps our own windows out of the pictures until every grab is done.
struct FreezeRun
{
    QPromise<QList<FrozenFrame>> promise;
    QList<ScreenInfo> screens;
    QList<QPair<int, QImage>> results;
    std::shared_ptr<void> leftOut;
    int pending = 0;
    bool finished = false;

    void fail(const FreezeError &error)
    {
        if (finished)
            return;
        finished = true;
        leftOut.reset();
        promise.setException(error);
        promise.finish();
    }

    void deliver()
    {
        if (finished)
            return;
        finished = true;
        leftOut.reset();
        if (results.isEmpty()) {
            promise.setException(FreezeError(FreezeError::noFrames));
            promise.finish();
            return;
        }
        std::stable_sort(results.begin(), results.end(),
                         [](const auto &a, const auto &b) { return a.first < b.first; });
        QList<FrozenFrame> frames;
        for (const auto &[index, image] : results)
            frames.append({screens.at(index), image});
        promise.addResult(frames);
        promise.finish();
    }
};

} // namespace

ScreenFreezer::ScreenFreezer(std::shared_ptr<ScreenSource> source, QObject *parent)
    : QObject(parent), m_source(source ? std::move(source) : std::make_shared<X11ScreenSource>())
{
}

ScreenFreezer::~ScreenFreezer() = default;

QList<quint32> ScreenFreezer::knownDisplays() const
{
    QList<quint32> ids = m_displays.keys();
    std::sort(ids.begin(), ids.end());
    return ids;
}

QSize ScreenFreezer::pixelSize(const ScreenInfo &screen)
{
    return QSize(roundHalfAway(screen.geometry.width() * screen.pixelScale),
                 roundHalfAway(screen.geometry.height() * screen.pixelScale));
}

QFuture<void> ScreenFreezer::refresh()
{
    auto promise = std::make_shared<QPromise<void>>();
    promise->start();
    QFuture<void> done = promise->future();
    m_source->content()
        .then(this,
              [this, promise](const ScreenContent &content) {
                  m_displays.clear();
                  for (const ScreenDisplay &d : content.displays)
                      m_displays.insert(d.id, d);
                  const qint64 self = QCoreApplication::applicationPid();
                  m_ownApp = content.applications.contains(self) ? std::optional<qint64>(self) : std::nullopt;
                  promise->finish();
              })
        .onFailed(this, [promise](const ScreenGrabError &e) {
            syslog(LOG_WARNING, "%s",
                   qPrintable(QStringLiteral("Quillet: could not list displays: ") + e.description()));
            promise->finish();
        })
        .onFailed(this, [promise] {
            syslog(LOG_WARNING, "Quillet: could not list displays: unknown error");
            promise->finish();
        });
    return done;
}

void ScreenFreezer::warmUp()
{
    QPointer<ScreenFreezer> self(this);
    refresh().then(this, [self] {
        if (!self)
            return;
        for (const ScreenInfo &screen : self->m_source->screens()) {
            const auto it = self->m_displays.constFind(screen.displayId);
            if (it == self->m_displays.constEnd())
                continue;
            ScreenDisplay display = *it;
            display.pixelRatio = screen.pixelScale;
            // A failed grab here only means the first freeze pays for the memory itself.
            self->m_source->grabDisplay(display, pixelSize(screen)).then(self, [](const QImage &) {}).onFailed(self, [] {});
        }
    });
}

QFuture<QList<FrozenFrame>> ScreenFreezer::freezeAll()
{
    return freezeAll(m_source->screens());
}

QFuture<QList<FrozenFrame>> ScreenFreezer::freezeAll(const QList<ScreenInfo> &screens)
{
    bool needsRefresh = m_displays.isEmpty();
    for (const ScreenInfo &s : screens)
        needsRefresh = needsRefresh || !m_displays.contains(s.displayId);
    if (!needsRefresh)
        return grabAll(screens);

    auto promise = std::make_shared<QPromise<QList<FrozenFrame>>>();
    promise->start();
    QFuture<QList<FrozenFrame>> result = promise->future();
    refresh().then(this, [this, screens, promise] {
        grabAll(screens)
            .then(this, [promise](const QList<FrozenFrame> &frames) {
                promise->addResult(frames);
                promise->finish();
            })
            .onFailed(this, [promise](const FreezeError &e) {
                promise->setException(e);
                promise->finish();
            });
    });
    return result;
}

QFuture<QList<FrozenFrame>> ScreenFreezer::grabAll(const QList<ScreenInfo> &screens)
{
    const bool captureSelf = Preferences::shared().boolValue(QStringLiteral("dev.captureSelf")).value_or(false);
    QList<qint64> excluded;
    // The listing may predate a window of ours that has come up since (a notice, say): one on
    // screen now is left out as well.
    if (!captureSelf && (m_ownApp || ownWindowShown()))
        excluded.append(m_ownApp.value_or(QCoreApplication::applicationPid()));

    // Decide the grabs now, on the main thread, from the display map as it is.
    QList<QPair<int, ScreenDisplay>> grabs;
    for (int i = 0; i < screens.size(); ++i) {
        const auto it = m_displays.constFind(screens.at(i).displayId);
        if (it != m_displays.constEnd())
            grabs.append({i, *it});
    }

    auto run = std::make_shared<FreezeRun>();
    run->screens = screens;
    run->promise.start();
    QFuture<QList<FrozenFrame>> result = run->promise.future();
    if (grabs.isEmpty()) {
        run->deliver();
        return result;
    }

    m_source->leaveOut(excluded)
        .then(this,
              [this, run, grabs, screens](std::shared_ptr<void> leftOut) {
                  run->leftOut = std::move(leftOut);
                  run->pending = int(grabs.size());
                  for (const auto &[index, known] : grabs) {
                      const int i = index;
                      ScreenDisplay display = known;
                      display.pixelRatio = screens.at(i).pixelScale;
                      m_source->grabDisplay(display, pixelSize(screens.at(i)))
                          .then(this,
                                [run, i](const QImage &image) {
                                    run->results.append({i, image});
                                    if (--run->pending == 0)
                                        run->deliver();
                                })
                          .onFailed(this, [run](const ScreenGrabError &e) {
                              run->fail(FreezeError(FreezeError::screenshotFailed, e.description()));
                          })
                          .onFailed(this, [run] {
                              run->fail(FreezeError(FreezeError::screenshotFailed,
                                                    QStringLiteral("The screen could not be read.")));
                          });
                  }
              })
        .onFailed(this, [run](const ScreenGrabError &e) {
            run->fail(FreezeError(FreezeError::screenshotFailed, e.description()));
        });
    return result;
}

QFuture<QImage> ScreenFreezer::captureImage(const ScreenWindow &window, double width, double height)
{
    return m_source->grabWindow(window, QSize(int(width), int(height)));
}

QFuture<std::optional<WindowPicture>> ScreenFreezer::captureWindow(quint32 windowId)
{
    using Result = std::optional<WindowPicture>;
    if (windowId == 0)
        return QtFuture::makeReadyFuture<Result>(std::nullopt);

    auto promise = std::make_shared<QPromise<Result>>();
    promise->start();
    QFuture<Result> result = promise->future();
    auto answer = [promise](const Result &r) {
        promise->addResult(r);
        promise->finish();
    };

    m_source->content()
        .then(this,
              [this, windowId, answer](const ScreenContent &content) {
                  const auto it = std::find_if(content.windows.cbegin(), content.windows.cend(),
                                               [windowId](const ScreenWindow &w) { return w.id == windowId; });
                  if (it == content.windows.cend())
                      return answer(std::nullopt);
                  const ScreenWindow window = *it;
                  const double s = m_source->windowPixelScale(window);
                  const int w = roundHalfAway(window.frame.width() * s);
                  const int h = roundHalfAway(window.frame.height() * s);
                  captureImage(window, w, h)
                      .then(this,
                            [this, window, s, w, h, answer](const QImage &first) {
                                const std::optional<QRect> box1 = opaqueBox(first);
                                if (!box1 || box1->width() <= 8 || box1->height() <= 8)
                                    return answer(std::nullopt);
                                const double w2 = roundHalfAway(w * (double(first.width()) / box1->width()));
                                const double h2 = roundHalfAway(h * (double(first.height()) / box1->height()));
                                captureImage(window, w2, h2)
                                    .then(this,
                                          [s, answer](const QImage &second) {
                                              const std::optional<QRect> box2 = opaqueBox(second);
                                              if (!box2)
                                                  return answer(std::nullopt);
                                              answer(WindowPicture{second, s, *box2});
                                          })
                                    .onFailed(this, [answer] { answer(std::nullopt); });
                            })
                      .onFailed(this, [answer] { answer(std::nullopt); });
              })
        .onFailed(this, [answer] { answer(std::nullopt); });
    return result;
}

std::optional<QRect> ScreenFreezer::opaqueBox(const QImage &picture)
{
    if (picture.isNull() || picture.width() <= 0 || picture.height() <= 0)
        return std::nullopt;
    const QImage img = picture.format() == QImage::Format_ARGB32_Premultiplied
                           ? picture
                           : picture.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    if (img.isNull())
        return std::nullopt;
    const int W = img.width();
    const int H = img.height();
    auto opaque = [&img](int col, int row) {
        return qAlpha(reinterpret_cast<const QRgb *>(img.constScanLine(row))[col]) > 250;
    };

    const int m = (H - 1) - H / 2;
    const int c = W / 2;
    int left = -1;
    for (int x = 0; x < W && left < 0; ++x)
        if (opaque(x, m))
            left = x;
    if (left < 0)
        return std::nullopt;
    int right = W - 1;
    while (right > left && !opaque(right, m))
        --right;

    int bottom = -1;
    for (int y = H - 1; y >= 0 && bottom < 0; --y)
        if (opaque(c, y))
            bottom = H - 1 - y;
    if (bottom < 0)
        return std::nullopt;
    int top = 0;
    while (top < H - 1 && !opaque(c, top))
        ++top;

    return QRect(left, bottom, right - left + 1, H - top - bottom);
}
