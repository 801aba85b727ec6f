// The canvas's keys at work: a keystroke typed into a comment on a page with one 2880 × 1800
// shot at 2 pixels a point and 100 marks; the undo of one edit on a page of 500 items; a colour
// key restyling 500 selected items, with its undo step. Runs offscreen:
//   QT_QPA_PLATFORM=offscreen ./bench_canvas_keys
#include "canvas/CanvasController.h"
#include "canvas/DisplayImages.h"
#include "canvas/TextItemView.h"
#include "export/SamplePicture.h"
#include "platform/fake/FakeScheduler.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QGraphicsScene>
#include <QKeyEvent>
#include <QTemporaryDir>
#include <QTextCursor>
#include <QWidget>

#include <benchmark/benchmark.h>

#include <memory>

namespace {
constexpr QSize shotPixels(2880, 1800);

// A canvas over one 2× shot of 1440 × 900 pt with `count` marks (arrows, boxes and one
// redaction in ten).
struct Canvas
{
    FakeScheduler clock;
    std::unique_ptr<QWidget> host;
    std::unique_ptr<CanvasController> controller;

    explicit Canvas(int count)
    {
        CanvasController::scheduler() = &clock;
        host = std::make_unique<QWidget>();
        host->resize(1440, 900);
        host->show();
        Markup markup = Markup::single(QRectF(0, 0, 1440, 900), QSizeF(1440, 900), 1);
        ShotImages images;
        images.insert(markup.shots[0].id, ShotImage{samplePicture(shotPixels.width(), shotPixels.height(), 0), 2});
        const int across = 25;
        for (int i = 0; i < count; ++i) {
            const double x = 30 + (i % across) * 55, y = 30 + (i / across) * 40 % 820;
            if (i % 10 == 0)
                markup.items.append(Item::withRect(ItemKind::redaction, QRectF(x, y, 40, 24), 0, 2));
            else if (i % 2)
                markup.items.append(Item::arrowFrom(QPointF(x, y + 30), QPointF(x + 40, y), i % 6, i % 4));
            else
                markup.items.append(Item::withRect(ItemKind::box, QRectF(x, y, 44, 30), i % 6, i % 4));
        }
        controller = std::make_unique<CanvasController>(images, markup, host.get(), QRectF(0, 0, 1440, 900));
        controller->endEditing();
        QElapsedTimer t;
        t.start();
        while ((!controller->samplersReady() || controller->display->pending()) && t.elapsed() < 10000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        controller->refresh(true);
    }
    ~Canvas()
    {
        controller.reset();
        CanvasController::scheduler() = &Scheduler::system();
    }
};

void BM_KeystrokeInComment(benchmark::State &state)
{
    Canvas canvas(100);
    CanvasController &c = *canvas.controller;
    c.addComment(TextSide::right, c.markup, QPointF(400, 400), 300);
    TextItemView *view = c.editing;
    if (!view) {
        state.SkipWithError("no comment is edited");
        return;
    }
    {
        QKeyEvent first(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
        view->scene()->sendEvent(view, &first);
        if (c.markup.item(view->itemID())->string != QLatin1String("a")) {
            state.SkipWithError("the key typed nothing");
            return;
        }
    }
    int typed = 0;
    for (auto _ : state) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
        view->scene()->sendEvent(view, &press);
        if (++typed % 200 == 0) {
            state.PauseTiming();
            QKeyEvent all(QEvent::KeyPress, Qt::Key_A, Qt::ControlModifier, QString(QChar(1)));
            c.keyEquivalent(&all);
            view->textCursor().removeSelectedText();
            state.ResumeTiming();
        }
    }
}
BENCHMARK(BM_KeystrokeInComment)->Unit(benchmark::kMillisecond);

// One box moved and recorded, then undone: only that box is drawn again.
void BM_UndoOneEdit(benchmark::State &state)
{
    Canvas canvas(500);
    CanvasController &c = *canvas.controller;
    const QUuid box = c.markup.items[2].id;
    const int drawsBefore = c.itemDrawsForTest;
    int runs = 0;
    for (auto _ : state) {
        state.PauseTiming();
        const Markup before = c.markup;
        c.markup.updateItems({box}, [](Item &item) { item.moveBy(5, 0); });
        c.recordUndo(before);
        c.refresh(false);
        state.ResumeTiming();
        c.undo();
        ++runs;
    }
    state.counters["items drawn a run"] = runs ? double(c.itemDrawsForTest - drawsBefore) / runs : 0;
}
BENCHMARK(BM_UndoOneEdit)->Unit(benchmark::kMillisecond);

void BM_ColourKeyOn500Selected(benchmark::State &state)
{
    Canvas canvas(500);
    CanvasController &c = *canvas.controller;
    for (const Item &item : std::as_const(c.markup.items))
        c.selection.insert(item.id);
    int digit = 0;
    for (auto _ : state) {
        digit = (digit + 1) % 6;
        QKeyEvent key(QEvent::KeyPress, Qt::Key_1 + digit, Qt::NoModifier, QString::number(digit + 1));
        c.keyDown(&key);
    }
    state.counters["undo steps"] = double(c.history.past.size());
}
BENCHMARK(BM_ColourKeyOn500Selected)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    QTemporaryDir home;
    qputenv("XDG_DATA_HOME", home.filePath(QStringLiteral("data")).toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", home.filePath(QStringLiteral("config")).toLocal8Bit());
    qputenv("XDG_STATE_HOME", home.filePath(QStringLiteral("state")).toLocal8Bit());
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
