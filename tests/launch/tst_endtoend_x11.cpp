// The real application under the test's X server, capturing pattern windows of other clients
// (one painted by Qt, two by a plain xcb client that leaves 0x00 or garbage in the fourth byte of
// each pixel), and every way the picture leaves it compared with the pattern pixel for pixel: the
// clipboard capture, the canvas's Return (PNG and TIFF), Ctrl+S and drag-out, a whole display, a
// mosaic, two pages' and a history entry's pictures, and a reopened capture after a restart.
#include "../canvas/CanvasDragOut.h"
#include "PatternSource.h"
#include "RealApp.h"
#include "TestEnv.h"

#include "export/ExportScene.h"
#include "history/Recents.h"

#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <csignal>

using namespace AppUnderTest;
using CanvasApp::Desktop;
using PatternSource::Kind;

namespace {
constexpr uint32_t XK_Control_L = 0xffe3, XK_Shift_L = 0xffe1, XK_Super_L = 0xffeb, XK_2 = 0x32,
                   XK_Return = 0xff0d, XK_s = 0x73, XK_f = 0x66, XK_n = 0x6e, XK_Tab = 0xff09, XK_Escape = 0xff1b;

// Where the pattern windows sit, and the area of them every capture takes.
const QRect patternPlace(300, 200, 420, 300);
const QRect area(340, 230, 200, 150);

enum class Way { clipboardCapture, canvasReturn, canvasSave, dragOut, wholeDisplay, pixelation, pages, historyAndReopen };

const char *wayName(Way way)
{
    switch (way) {
    case Way::clipboardCapture: return "clipboard capture";
    case Way::canvasReturn: return "canvas Return";
    case Way::canvasSave: return "canvas Ctrl+S";
    case Way::dragOut: return "drag-out";
    case Way::wholeDisplay: return "whole display";
    case Way::pixelation: return "pixelation";
    case Way::pages: return "two pages";
    case Way::historyAndReopen: return "history and reopen";
    }
    return "";
}

int lines(const char *file)
{
    return int(readFile(logDir() + QLatin1Char('/') + QLatin1String(file)).count('\n'));
}

// What another X client reads from the clipboard as a picture. The test takes the clipboard
// first (takeClipboard), so that only a picture put there afterwards is read.
QImage clipboardPicture(const char *format = "png")
{
    return QImage::fromData(CanvasApp::clipboardBytes(QStringLiteral("image/") + QLatin1String(format)), format);
}

void takeClipboard()
{
    QGuiApplication::clipboard()->setText(QStringLiteral("the test's"));
    QTest::qWait(50);
}

// Whether a history entry's pictures are all written.
bool written(const QString &id)
{
    const QDir entry(Recents::folder() + QLatin1Char('/') + id);
    return entry.exists(QStringLiteral("rail.png")) && entry.exists(QStringLiteral("thumb.png"))
        && !entry.entryList({QStringLiteral("shot-*.png")}, QDir::Files).isEmpty();
}

// Where a history entry's pictures differ from the page's pixels: its one shot, its rail
// picture (the page itself, under 720 pixels wide) and its thumbnail. Empty when they do not.
QString historyFault(const QString &id, const QImage &expected)
{
    const QDir entry(Recents::folder() + QLatin1Char('/') + id);
    const QStringList shots = entry.entryList({QStringLiteral("shot-*.png")}, QDir::Files);
    if (shots.size() != 1)
        return QStringLiteral("%1 shot pictures").arg(shots.size());
    const std::pair<const char *, QString> faults[] = {
        {"shot: ", RawPattern::firstDifference(QImage(entry.filePath(shots.first())), expected)},
        {"rail: ", RawPattern::firstDifference(QImage(entry.filePath(QStringLiteral("rail.png"))), expected)},
        {"thumb: ", RawPattern::firstDifference(QImage(entry.filePath(QStringLiteral("thumb.png"))),
                                                Recents::thumbnail(expected.convertToFormat(QImage::Format_ARGB32_Premultiplied)))},
    };
    for (const auto &[what, fault] : faults)
        if (!fault.isEmpty())
            return QLatin1String(what) + fault;
    return {};
}

// Where the canvas shows expected one for one on the screen, or an empty rect.
QRect onScreen(const QRect &window, const QImage &expected)
{
    const QImage seen = CanvasApp::screenPixels(window);
    const QPoint probes[] = {{100, 75}, {101, 75}, {100, 76}, {40, 30}, {160, 120}, {61, 113}};
    const auto want = [&](QPoint p) { return expected.pixel(p) & 0xffffff; };
    for (int y = 0; y + expected.height() <= seen.height(); ++y)
        for (int x = 0; x + expected.width() <= seen.width(); ++x) {
            bool all = true;
            for (const QPoint &p : probes)
                if ((seen.pixel(x + p.x(), y + p.y()) & 0xffffff) != want(p)) {
                    all = false;
                    break;
                }
            if (all)
                return QRect(window.topLeft() + QPoint(x, y), expected.size());
        }
    return {};
}

} // namespace

Q_DECLARE_METATYPE(Kind)
Q_DECLARE_METATYPE(Way)

class TestEndToEndX11 : public QObject
{
    Q_OBJECT

    std::unique_ptr<QProcess> app;
    XTestInput input;
    Desktop desktop;
    CanvasApp::DropTarget dropTarget;

    bool startApp(const QStringList &args = {})
    {
        app = std::make_unique<QProcess>();
        app->setProcessChannelMode(QProcess::ForwardedChannels);
        const int started = int(readFile(logDir() + "/app.log").count("launch: started"));
        app->start(appPath(), args);
        return app->waitForStarted()
            && QTest::qWaitFor([&] { return readFile(logDir() + "/app.log").count("launch: started") > started; },
                               10000);
    }

    void stopApp()
    {
        if (app && app->state() != QProcess::NotRunning) {
            ::kill(pid_t(app->processId()), SIGTERM);
            if (!app->waitForFinished(10000)) {
                app->kill();
                app->waitForFinished();
            }
        }
    }

    int closed() const { return CanvasApp::logCount("app.log", "canvas closed"); }
    QRect canvasWindow() const { return desktop.geometry(desktop.window(QStringLiteral("Quillet™"))); }

    // The global shortcut of a capture and the overlay up, holding the keyboard.
    bool overlayFor(const QList<uint32_t> &modifiers)
    {
        const int captures = lines("capture.log");
        input.chord(modifiers, XK_2);
        return QTest::qWaitFor([&] { return lines("capture.log") > captures; }, 10000)
            && QTest::qWaitFor([&] { return desktop.keyboardTaken(); }, 5000);
    }

    // The canvas window up with the keyboard and the expected pixels shown at rest, one for one:
    // where they show, or an empty rect.
    QRect canvasShowing(const QImage &expected)
    {
        xcb_window_t canvas = 0;
        if (!QTest::qWaitFor([&] { return (canvas = desktop.window(QStringLiteral("Quillet™"))) != 0; }, 10000)
            || !QTest::qWaitFor([&] { return desktop.focus() == canvas; }, 10000))
            return {};
        QRect before, now;
        QTest::qWaitFor([&] {
            before = std::exchange(now, onScreen(desktop.geometry(canvas), expected));
            QTest::qWait(300);
            return !now.isEmpty() && now == before;
        }, 8000);
        return now == before ? now : QRect();
    }

    // Ctrl+Shift+2 and a drag over the area: the canvas showing it, or an empty rect. The pattern
    // window goes once the area is taken, so that only the canvas shows the pattern (the window
    // bypasses the window manager and would stay above the canvas).
    QRect canvasOfArea(const QImage &expected, std::unique_ptr<PatternSource::Window> &source)
    {
        if (!overlayFor({XK_Control_L, XK_Shift_L}))
            return {};
        input.drag(area.topLeft(), area.bottomRight() + QPoint(1, 1));
        source.reset();
        return canvasShowing(expected);
    }

    // Return in a one-page canvas: the page on the clipboard, and the canvas closed.
    bool copyAndClose()
    {
        const int before = closed();
        takeClipboard();
        input.chord({}, XK_Return);
        return QTest::qWaitFor([&] { return closed() > before; }, 10000);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(input.isValid());
        // Beside the pattern windows, where the canvas will cover it.
        dropTarget.setWindowTitle(QStringLiteral("Drop here"));
        dropTarget.setAcceptDrops(true);
        dropTarget.setGeometry(780, 560, 240, 160);
        dropTarget.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dropTarget));
        QVERIFY(RealApp::markWelcomed());
        QVERIFY(startApp());
        QTest::qWait(500);
    }

    void cleanupTestCase() { stopApp(); }

    void picturesLeaveAsCaptured_data()
    {
        QTest::addColumn<Kind>("source");
        QTest::addColumn<Way>("way");
        for (Way way : {Way::clipboardCapture, Way::canvasReturn, Way::canvasSave, Way::dragOut, Way::wholeDisplay,
                        Way::pixelation, Way::pages, Way::historyAndReopen})
            for (Kind source : PatternSource::all)
                QTest::addRow("%s, %s", PatternSource::name(source), wayName(way)) << source << way;
    }

    void picturesLeaveAsCaptured()
    {
        QFETCH(Kind, source);
        QFETCH(Way, way);
        auto window = PatternSource::show(source, patternPlace);
        QVERIFY(window);
        const QImage expected = window->pixels(area);
        QString fault;

        switch (way) {
        case Way::clipboardCapture: {
            takeClipboard();
            QVERIFY(overlayFor({XK_Control_L, XK_Shift_L, XK_Super_L}));
            input.drag(area.topLeft(), area.bottomRight() + QPoint(1, 1));
            fault = PatternSource::firstDifference(clipboardPicture(), expected);
            break;
        }
        case Way::canvasReturn: {
            QVERIFY(!canvasOfArea(expected, window).isEmpty());
            QVERIFY(copyAndClose());
            fault = PatternSource::firstDifference(clipboardPicture(), expected);
            QVERIFY2(fault.isEmpty(), qPrintable(QStringLiteral("PNG: ") + fault));
            fault = PatternSource::firstDifference(clipboardPicture("tiff"), expected);
            if (!fault.isEmpty())
                fault.prepend(QStringLiteral("TIFF: "));
            break;
        }
        case Way::canvasSave: {
            const QDir folder(QStandardPaths::writableLocation(QStandardPaths::DesktopLocation));
            const QStringList earlier = folder.entryList({QStringLiteral("*.png")}, QDir::Files);
            QVERIFY(!canvasOfArea(expected, window).isEmpty());
            const int before = closed();
            input.chord({XK_Control_L}, XK_s);
            QTRY_VERIFY_WITH_TIMEOUT(closed() > before, 10000);
            QStringList files = folder.entryList({QStringLiteral("*.png")}, QDir::Files);
            for (const QString &f : earlier)
                files.removeAll(f);
            QCOMPARE(files.size(), 1);
            fault = PatternSource::firstDifference(QImage(folder.filePath(files.first())), expected);
            QFile::remove(folder.filePath(files.first()));
            break;
        }
        case Way::dragOut: {
            // The toolbar's hand dragged onto a window of the test that takes files, below the
            // canvas: the dropped file.
            QVERIFY(!canvasOfArea(expected, window).isEmpty());
            std::optional<QPoint> hand;
            QTRY_VERIFY_WITH_TIMEOUT((hand = CanvasApp::symbolOnScreen(QStringLiteral("hand"), canvasWindow())).has_value(),
                                     5000);
            QVERIFY(canvasWindow().contains(dropTarget.geometry()));
            const int before = closed();
            const qsizetype drops = dropTarget.drops.size();
            CanvasApp::dragOut(input, *hand, dropTarget.geometry().center());
            QTRY_COMPARE_WITH_TIMEOUT(dropTarget.drops.size(), drops + 1, 10000);
            QTRY_VERIFY_WITH_TIMEOUT(closed() > before, 10000);
            const QUrl file = dropTarget.drops.last().value(0);
            QVERIFY2(file.isLocalFile(), qPrintable(file.toString()));
            fault = PatternSource::firstDifference(QImage(file.toLocalFile()), expected);
            break;
        }
        case Way::wholeDisplay: {
            // F over the first monitor: all of it, the pattern window where it sits.
            input.moveTo(area.center());
            QVERIFY(overlayFor({XK_Control_L, XK_Shift_L}));
            input.chord({}, XK_f);
            QTRY_VERIFY_WITH_TIMEOUT(desktop.window(QStringLiteral("Quillet™")) != 0, 10000);
            QTRY_COMPARE_WITH_TIMEOUT(desktop.focus(), desktop.window(QStringLiteral("Quillet™")), 10000);
            QTest::qWait(300);
            QVERIFY(copyAndClose());
            const QImage display = clipboardPicture();
            QCOMPARE(display.size(), QGuiApplication::primaryScreen()->size());
            fault = PatternSource::firstDifference(display.copy(window->inside), window->pixels(window->inside));
            break;
        }
        case Way::pixelation: {
            // A mosaic dragged over part of the shot with the redaction tool: the copy is what the
            // export makes of the pattern with that mosaic, and the pattern everywhere else.
            const QRect shot = canvasOfArea(expected, window);
            QVERIFY(!shot.isEmpty());
            // The toolbar's redaction tool (the canvas opens ready for typing, and Alt+drag
            // belongs to the window manager here).
            std::optional<QPoint> tool;
            QTRY_VERIFY_WITH_TIMEOUT(
                (tool = CanvasApp::symbolOnScreen(QStringLiteral("redaction"), canvasWindow(), 18)).has_value(), 5000);
            input.moveTo(*tool);
            input.buttonDown();
            input.buttonUp();
            QTest::qWait(200);
            input.drag(shot.topLeft() + QPoint(40, 30), shot.topLeft() + QPoint(150, 120));
            QTest::qWait(300);
            QVERIFY(copyAndClose());
            const QImage copied = clipboardPicture();
            QCOMPARE(copied.size(), expected.size());
            QRect mosaic;
            const QImage seen = copied.convertToFormat(QImage::Format_RGB32);
            for (int y = 0; y < seen.height(); ++y)
                for (int x = 0; x < seen.width(); ++x)
                    if (seen.pixel(x, y) != expected.pixel(x, y))
                        mosaic |= QRect(x, y, 1, 1);
            QVERIFY2(QRect(30, 20, 130, 110).contains(mosaic) && mosaic.width() > 80 && mosaic.height() > 60,
                     qPrintable(QStringLiteral("mosaic at %1,%2 %3x%4")
                                    .arg(mosaic.x()).arg(mosaic.y()).arg(mosaic.width()).arg(mosaic.height())));
            Markup page = Markup::single(QRectF(QPointF(), QSizeF(expected.size())), QSizeF(expected.size()), 1, {});
            page.items.append(Item::withRect(ItemKind::redaction, QRectF(mosaic), 0, 2));
            ShotImages images;
            images.insert(page.shots.first().id, ShotImage{expected, 1.0});
            const QImage made = ExportScene::fromPage(page, images).render(false, std::nullopt, 16);
            fault = PatternSource::firstDifference(copied, made);
            break;
        }
        case Way::pages: {
            // Ctrl+N in the canvas: a second capture of another area on a page of its own. Closed,
            // the canvas leaves both pages in the history, each with its own pictures.
            QVERIFY(overlayFor({XK_Control_L, XK_Shift_L}));
            input.drag(area.topLeft(), area.bottomRight() + QPoint(1, 1));
            xcb_window_t canvas = 0;
            QTRY_VERIFY_WITH_TIMEOUT((canvas = desktop.window(QStringLiteral("Quillet™"))) != 0, 10000);
            QTRY_COMPARE_WITH_TIMEOUT(desktop.focus(), canvas, 10000);
            QTRY_VERIFY_WITH_TIMEOUT(!desktop.keyboardTaken(), 5000);
            QTest::qWait(300);
            const QRect second(360, 250, 180, 130);
            const QImage secondPixels = window->pixels(second);
            input.chord({XK_Control_L}, XK_n);
            QTRY_VERIFY_WITH_TIMEOUT(desktop.keyboardTaken(), 10000);
            QTest::qWait(300);
            input.drag(second.topLeft(), second.bottomRight() + QPoint(1, 1));
            window.reset();
            QVERIFY(!canvasShowing(secondPixels).isEmpty());
            // The new page's comment is open for typing: Tab ends it, Escape closes.
            input.chord({}, XK_Tab);
            QTest::qWait(200);
            const int before = closed();
            input.chord({}, XK_Escape);
            QTRY_VERIFY_WITH_TIMEOUT(closed() > before, 10000);
            QString newest;
            QTRY_VERIFY_WITH_TIMEOUT(!Recents::list().isEmpty() && (newest = Recents::list().first().id, true)
                                         && Recents::group(newest).ids.size() == 2,
                                     10000);
            const QStringList ids = Recents::group(newest).ids; // the newer page first
            QTRY_VERIFY_WITH_TIMEOUT(written(ids[0]) && written(ids[1]), 10000);
            fault = historyFault(ids[0], secondPixels);
            QVERIFY2(fault.isEmpty(), qPrintable(QStringLiteral("second page ") + fault));
            fault = historyFault(ids[1], expected);
            if (!fault.isEmpty())
                fault.prepend(QStringLiteral("first page "));
            break;
        }
        case Way::historyAndReopen: {
            QVERIFY(!canvasOfArea(expected, window).isEmpty());
            QVERIFY(copyAndClose());
            QString entry;
            QTRY_VERIFY_WITH_TIMEOUT(!Recents::list().isEmpty() && written(entry = Recents::list().first().id), 10000);
            fault = historyFault(entry, expected);
            QVERIFY2(fault.isEmpty(), qPrintable(fault));

            // A restart that reopens the newest capture: its copy is the captured pixels again.
            stopApp();
            QVERIFY(startApp({QStringLiteral("--reopen")}));
            QVERIFY(!canvasShowing(expected).isEmpty());
            QVERIFY(copyAndClose());
            fault = PatternSource::firstDifference(clipboardPicture(), expected);
            break;
        }
        }
        QVERIFY2(fault.isEmpty(), qPrintable(fault));
    }

    // The clipboard capture and the canvas's copy of one area are the same picture.
    void clipboardCaptureEqualsCanvasCopy()
    {
        auto window = PatternSource::show(Kind::rawGarbage, patternPlace);
        QVERIFY(window);
        const QImage expected = window->pixels(area);
        takeClipboard();
        QVERIFY(overlayFor({XK_Control_L, XK_Shift_L, XK_Super_L}));
        input.drag(area.topLeft(), area.bottomRight() + QPoint(1, 1));
        const QImage captured = clipboardPicture();
        QVERIFY(!canvasOfArea(expected, window).isEmpty());
        QVERIFY(copyAndClose());
        const QImage copied = clipboardPicture();
        QVERIFY(!captured.isNull());
        const QString fault = PatternSource::firstDifference(copied, captured);
        QVERIFY2(fault.isEmpty(), qPrintable(fault));
    }

    // The shortcut pressed twice quickly freezes once and logs it; a second start hands over and
    // ends; SIGTERM quits cleanly.
    void oneFreezeSecondStartAndQuit()
    {
        const auto window = PatternSource::show(Kind::rawZero, patternPlace);
        QVERIFY(window);
        const int before = lines("capture.log");
        takeClipboard();
        input.chord({XK_Control_L, XK_Shift_L, XK_Super_L}, XK_2);
        input.chord({XK_Control_L, XK_Shift_L, XK_Super_L}, XK_2);
        QTRY_VERIFY_WITH_TIMEOUT(lines("capture.log") > before, 10000);
        QTRY_VERIFY_WITH_TIMEOUT(desktop.keyboardTaken(), 5000);
        QTest::qWait(300);
        input.drag(area.topLeft(), area.bottomRight() + QPoint(1, 1));
        const QString fault = PatternSource::firstDifference(clipboardPicture(), window->pixels(area));
        QVERIFY2(fault.isEmpty(), qPrintable(fault));

        const QList<QByteArray> all = readFile(logDir() + QStringLiteral("/capture.log")).trimmed().split('\n');
        QCOMPARE(all.size(), before + 1);
        static const QRegularExpression form(QStringLiteral(
            "^\\S+Z frozen in \\d+ ms, overlay up in \\d+ ms displays=\\d+ pixels=1920x1080(,\\d+x\\d+)*$"));
        QVERIFY2(form.match(QString::fromUtf8(all.last())).hasMatch(), all.last().constData());
        QVERIFY(readFile(logDir() + "/app.log").contains("capture: frozen in "));

        QProcess second;
        second.start(appPath(), {});
        QVERIFY(second.waitForFinished(10000));
        QCOMPARE(second.exitCode(), 0);
        QCOMPARE(app->state(), QProcess::Running);

        ::kill(pid_t(app->processId()), SIGTERM);
        QVERIFY(app->waitForFinished(10000));
        QCOMPARE(app->exitStatus(), QProcess::NormalExit);
        QCOMPARE(app->exitCode(), 0);
        QVERIFY(readFile(logDir() + "/app.log").contains("quit: SIGTERM"));
    }
};

QUILLET_TEST_MAIN(TestEndToEndX11)
#include "tst_endtoend_x11.moc"
