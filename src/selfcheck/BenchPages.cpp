#include "BenchPages.h"

#include "Autopilot.h"
#include "ScriptedInput.h"

#include "app/PreferenceReaders.h"
#include "app/SelfCheckFlag.h"
#include "canvas/CanvasController.h"
#include "canvas/TextItemView.h"
#include "capture/OverlayView.h"
#include "capture/OverlayWindow.h"
#include "export/SamplePicture.h"
#include "history/Recents.h"
#include "platform/KeyTable.h"
#include "platform/Preferences.h"
#include "rail/PageRail.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QScreen>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <memory>

namespace Autopilot {
namespace {
const QString arrowComment =
    QStringLiteral("seems there is a delay when using the arrows on the keyboard, going through thumbnails");
constexpr int earlierSteps = 10;

// What the steps of a run share.
struct Bench
{
    std::unique_ptr<QTemporaryDir> folder;
    QPointer<CanvasController> controller;
    QPointer<OverlayWindow> window;
    QList<int> walk;
    QList<double> switches;
    QList<double> earlier;
    int step = 0;
};

double nowMs()
{
    static QElapsedTimer clock;
    if (!clock.isValid())
        clock.start();
    return double(clock.nsecsElapsed()) / 1e6;
}

void print(const char *format, auto... values)
{
    char line[256];
    std::snprintf(line, sizeof line, format, values...);
    sink()(QString::fromUtf8(line));
}

// The median (the value at count / 2 of the sorted list) and the largest value.
std::pair<double, double> medianAndWorst(QList<double> values)
{
    std::sort(values.begin(), values.end());
    return {values.at(values.size() / 2), values.last()};
}

// The layer changes of the step just taken reach the window: queued events first, then one
// synchronous paint of the canvas window.
void commit(OverlayWindow *window)
{
    QCoreApplication::sendPostedEvents();
    if (window)
        window->repaint();
}

// Every way out: the history's writes are done, then the folder goes.
void end(const std::shared_ptr<Bench> &bench, int status, const QString &reason = {})
{
    if (!reason.isEmpty())
        say(QStringLiteral("bench: ") + reason);
    Recents::queue().sync([] {});
    if (bench->folder)
        bench->folder->remove();
    exitProcess()(status);
}

void earlierStep(const std::shared_ptr<Bench> &bench, int s);

void switchStep(const std::shared_ptr<Bench> &bench)
{
    CanvasController *controller = bench->controller;
    if (!controller) {
        end(bench, 1, QStringLiteral("the canvas went away"));
        return;
    }
    const int w = int(bench->walk.size());
    if (bench->step < w) {
        const double t1 = nowMs();
        const int o = bench->walk.at(bench->step);
        if (o >= 0 && o < controller->pageCount() && o != controller->currentPage) {
            controller->saveCurrentPage();
            controller->showPage(o);
        }
        const double t2 = nowMs();
        commit(bench->window);
        const double t3 = nowMs();
        bench->switches.append(t3 - t1);
        print("page %2d  switch %6.1f ms  commit %6.1f ms", o, t2 - t1, t3 - t2);
        ++bench->step;
        QTimer::singleShot(bench->step <= w / 2 ? 250 : 33, [bench] { switchStep(bench); });
        return;
    }
    const auto [median, worst] = medianAndWorst(bench->switches);
    print("median %.1f ms   worst %.1f ms   (main thread, per page, %d switches)", median, worst, w);
    controller->selectPage(controller->pageCount() - 1);
    earlierStep(bench, 0);
}

void earlierStep(const std::shared_ptr<Bench> &bench, int s)
{
    CanvasController *controller = bench->controller;
    if (!controller) {
        end(bench, 1, QStringLiteral("the canvas went away"));
        return;
    }
    if (s >= earlierSteps) {
        const auto [median, worst] = medianAndWorst(bench->earlier);
        print("earlier captures: median %.1f ms   worst %.1f ms   (%d opened by the down arrow)", median, worst,
              int(bench->earlier.size()));
        end(bench, 0);
        return;
    }
    const int before = controller->pageCount();
    const double t1 = nowMs();
    const auto down = keyEvent(KeyCode::Down);
    controller->keyDown(down.get());
    const double t2 = nowMs();
    commit(bench->window);
    const double t3 = nowMs();
    print("earlier %2d  open %6.1f ms  commit %6.1f ms  pages %d -> %d", s, t2 - t1, t3 - t2, before,
          controller->pageCount());
    bench->earlier.append(t3 - t1);
    QTimer::singleShot(s <= 4 ? 300 : 33, [bench, s] { earlierStep(bench, s + 1); });
}

// Twenty earlier captures, 100 down to 81 minutes old.
void seedHistory()
{
    const QDateTime now = QDateTime::currentDateTime();
    for (int i = 0; i < 20; ++i) {
        const QImage picture = samplePicture(2800, 1800, i);
        if (picture.isNull())
            continue;
        const Markup markup = Markup::single(QRectF(0, 0, 1400, 900), QSizeF(1400, 900), 1);
        ShotImages images;
        images.insert(markup.shots.first().id, ShotImage{picture, 2});
        Recents::save(markup, images, picture, std::nullopt, std::nullopt, std::nullopt, now.addSecs((i - 100) * 60),
                      false);
    }
    Recents::queue().sync([] {});
}

// One page of the canvas: a new shot with one arrow and its typed comment.
void addPage(CanvasController *controller, const QImage &picture)
{
    const QRectF place(100, 100, 1500, 900);
    controller->addShot(picture, 2, place);
    const QRectF shot = controller->markup.shotRect();
    const QPointF from(shot.right() + 80, shot.top() + 60), to(shot.right() - 220, shot.top() + 160);
    drag(controller, from, to, 0);
    if (controller->editing)
        controller->editing->insertPlainText(arrowComment);
    controller->endEditing();
}
} // namespace

std::optional<qint64> parseCount(qsizetype index, const QStringList &arguments)
{
    if (index < 0 || index + 1 >= arguments.size())
        return std::nullopt;
    const QString word = arguments.at(index + 1);
    qsizetype digits = 0;
    if (word.startsWith(QLatin1Char('+')) || word.startsWith(QLatin1Char('-')))
        digits = 1;
    if (digits >= word.size())
        return std::nullopt;
    for (qsizetype i = digits; i < word.size(); ++i)
        if (word.at(i) < QLatin1Char('0') || word.at(i) > QLatin1Char('9'))
            return std::nullopt;
    bool ok = false;
    const qint64 value = word.toLongLong(&ok, 10);
    return ok ? std::optional<qint64>(value) : std::nullopt;
}

double benchRailWidth(const QStringList &arguments)
{
    const std::optional<qint64> asked = parseCount(arguments.indexOf(QStringLiteral("--columns")), arguments);
    const double columns = asked && *asked > 1 ? double(*asked) : 1;
    return 132 * columns + 52 + 18 * (columns - 1);
}

QList<int> benchWalk(int n)
{
    QList<int> walk;
    for (int i = n - 1; i >= 0; --i)
        walk.append(i);
    for (int i = 1; i <= n - 1; ++i)
        walk.append(i);
    for (int i = n - 2; i >= 0; --i)
        walk.append(i);
    return walk;
}

QImage benchPicture(int k)
{
    const QImage drawn = samplePicture(3400 + 40 * k, 2100, k);
    if (drawn.isNull())
        return {};
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    if (!drawn.save(&buffer, "PNG"))
        return {};
    return QImage::fromData(png, "PNG");
}

void benchPages(int count, const QStringList &arguments)
{
    auto bench = std::make_shared<Bench>();
    if (count < 1) {
        end(bench, 1, QStringLiteral("the page count must be at least 1"));
        return;
    }
    if (!Preferences::shared().inMemoryScope())
        Preferences::shared().useMemoryScope();

    // 1: a history of the run's own, in a fresh temporary folder.
    bench->folder = std::make_unique<QTemporaryDir>(
        QDir::tempPath() + QStringLiteral("/ql-bench-%1-XXXXXX").arg(QCoreApplication::applicationPid()));
    if (!bench->folder->isValid()) {
        end(bench, 1, QStringLiteral("no temporary folder: ") + bench->folder->errorString());
        return;
    }
    Recents::setFolderOverride(bench->folder->filePath(QStringLiteral("history")));
    Recents::removeAll();

    // 2–4: the preferences and the flag that keeps the windows out of the way.
    Preferences &prefs = Prefs::store();
    prefs.setValue(QStringLiteral("history.paused"), false);
    SelfCheckFlag::set(true);
    prefs.setValue(QStringLiteral("canvas.railThumb"), 132);
    prefs.setValue(QStringLiteral("canvas.railWidth"), benchRailWidth(arguments));

    // 5–7: the screen, the earlier captures, the base picture.
    QScreen *screen = QGuiApplication::primaryScreen();
    if (!screen) {
        end(bench, 1, QStringLiteral("no screen"));
        return;
    }
    seedHistory();
    const QImage base = benchPicture(0);
    if (base.isNull()) {
        end(bench, 1, QStringLiteral("the base picture could not be made"));
        return;
    }

    // 8–10: an overlay over the screen turned into the canvas in place.
    const QRect frame = screen->geometry();
    auto *view = new OverlayView(frame.size(), base, 2.0);
    auto *window = new OverlayWindow(frame);
    window->setContentView(view);
    keepAlive().append(view);
    keepAlive().append(window);
    window->orderFrontRegardless();
    Markup markup = Markup::single(QRectF(100, 100, 1500, 900), QSizeF(base.width() / 2.0, base.height() / 2.0), 1);
    ShotImages images;
    images.insert(markup.shots.first().id, ShotImage{base, 2});
    view->openPicturesCanvas(markup, images, QRectF(100, 100, 1500, 900));
    auto *controller = dynamic_cast<CanvasController *>(view->canvas());
    if (!controller) {
        end(bench, 1, QStringLiteral("the canvas did not open"));
        return;
    }
    bench->controller = controller;
    bench->window = window;

    // 11–12: the further pages, each with an arrow and its comment.
    for (int k = 1; k < count; ++k) {
        const QImage picture = benchPicture(k);
        if (!picture.isNull())
            addPage(controller, picture);
    }
    commit(window);

    // 13–14: the current page's thumbnail made again, eight times.
    QList<double> remakes;
    for (int i = 0; i < 8; ++i) {
        const double t1 = nowMs();
        if (controller->thumbnailWork)
            CanvasController::scheduler()->cancel(controller->thumbnailWork);
        controller->thumbnailWork = 0;
        controller->thumbnailDue.reset();
        controller->makePagePicture();
        if (controller->rail && !controller->rail->isHidden())
            controller->refreshRail(true);
        remakes.append(nowMs() - t1);
    }
    const auto [median, worst] = medianAndWorst(remakes);
    print("thumbnail made again: median %.1f ms   worst %.1f ms", median, worst);
    // 15–17: the window's number, then the walk 1.5 s later.
    sink()(QStringLiteral("window %1").arg(quint64(window->winId())));
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    bench->walk = benchWalk(count);
    QTimer::singleShot(1500, [bench] { switchStep(bench); });
}

} // namespace Autopilot
