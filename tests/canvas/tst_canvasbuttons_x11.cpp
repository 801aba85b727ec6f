// The real application's canvas under the pointer: moving over every part of the window, every
// toolbar control and both sidebar rows is harmless, and each button does what its key does,
// seen from outside: the clipboard's pixels, the saved file, the size label, undo and redo of a
// drawn arrow, the zoom, the mark a tool button's drag draws, the colour a swatch gives it, and
// the capture another-shot starts.
#include "CanvasApp.h"
#include "CanvasDragOut.h"
#include "TestEnv.h"

#include "canvas/CommandSidebar.h"
#include "canvas/Toolbar.h"

#include <QClipboard>
#include <QLayout>
#include <QStandardPaths>

using namespace CanvasApp;

namespace {
constexpr uint32_t XK_Escape = 0xff1b, XK_Tab = 0xff09, XK_Down = 0xff54, XK_1 = 0x31;

// Where each toolbar control sits relative to the drag-out hand: read from a toolbar built here
// in the same state, with the same fonts, as the application's.
QHash<QString, QPoint> toolbarOffsets()
{
    Toolbar bar;
    bar.update(0, 2, QStringLiteral("Menlo-Bold"), std::nullopt, true, true, 1.0);
    bar.layout()->activate();
    const QPoint hand = bar.dragOut()->geometry().center();
    QHash<QString, QPoint> out;
    for (QWidget *w : bar.controls()) {
        const QString name = w->objectName().isEmpty() ? w->accessibleName() : w->objectName();
        out.insert(name.isEmpty() ? QString::number(out.size()) : name, w->geometry().center() - hand);
    }
    // The send button's width follows its target; its left part is enough to hover and click.
    out.insert(QStringLiteral("send"), QPoint(bar.dragOut()->width() / 2 + 14, 0));
    return out;
}

// The centres of the sidebar's copy and send rows in a window of that size (window coordinates).
QPair<QPoint, QPoint> sidebarRows(const QSize &window)
{
    CommandSidebar bar(QRect(0, 0, 228, window.height()));
    const QPoint at(window.width() - 228, 0);
    const auto centre = [&](const CommandRow *row) {
        return at + bar.content()->geometry().topLeft() + row->geometry().center();
    };
    return {centre(bar.copyRow()), centre(bar.sendRow())};
}

// Moves onto a point and rests there long enough for hover and tips to act.
void rest(XTestInput &input, QPoint p, int ms = 120)
{
    input.moveTo(p);
    QTest::qWait(ms);
}

void click(XTestInput &input, QPoint p)
{
    rest(input, p);
    input.buttonDown();
    input.buttonUp();
    QTest::qWait(250);
}
} // namespace

class TestCanvasButtonsX11 : public QObject
{
    Q_OBJECT

    Session session;
    QImage expected;
    QHash<QString, QPoint> offsets;

    int closed() const { return logCount("app.log", "canvas closed"); }
    bool running() const { return session.app && session.app->state() == QProcess::Running; }

    // Escape (twice, when the first only ended the new shot's note) closes the canvas.
    bool escapeCloses(XTestInput &input) const
    {
        const int before = closed();
        input.chord({}, XK_Escape);
        if (!QTest::qWaitFor([&] { return closed() > before; }, 2000))
            input.chord({}, XK_Escape);
        return QTest::qWaitFor([&] { return closed() == before + 1; }, 10000);
    }

    // The toolbar's controls on screen, found by the hand.
    QHash<QString, QPoint> controlsOnScreen(const Desktop &desktop, xcb_window_t canvas) const
    {
        std::optional<QPoint> hand;
        QTest::qWaitFor([&] { return (hand = symbolOnScreen(QStringLiteral("hand"), desktop.geometry(canvas))).has_value(); }, 5000);
        QHash<QString, QPoint> out;
        if (hand)
            for (auto it = offsets.cbegin(); it != offsets.cend(); ++it)
                out.insert(it.key(), *hand + it.value());
        return out;
    }

private slots:
    // A case that failed half way leaves no canvas behind for the next.
    void cleanup()
    {
        XTestInput input;
        Desktop desktop;
        for (int i = 0; i < 3 && desktop.window(QStringLiteral("Quillet™")); ++i) {
            input.chord({}, XK_Escape);
            QTest::qWait(500);
        }
        if (desktop.window(QStringLiteral("Quillet™")) || !running()) {
            session.app->kill();
            session.app->waitForFinished();
            QVERIFY(session.start());
            expected = chosenPattern(session.patternArea);
        }
    }

    void initTestCase()
    {
        QVERIFY(session.start());
        expected = chosenPattern(session.patternArea);
        offsets = toolbarOffsets();
        for (const char *name : {"arrow", "box", "redaction", "addshot", "Blue", "minus", "plus", "undo", "redo", "zoom",
                                 "copy", "save", "send"})
            QVERIFY2(offsets.contains(QLatin1String(name)), name);
    }

    // The pointer crosses the whole window and rests on every toolbar control and sidebar row:
    // the application lives on and the canvas stays.
    void hoverEverywhere()
    {
        XTestInput input;
        Desktop desktop;
        const xcb_window_t canvas = session.openCanvas(input, desktop);
        QVERIFY(canvas);
        input.setPace(4);
        const QRect window = desktop.geometry(canvas);
        const QHash<QString, QPoint> controls = controlsOnScreen(desktop, canvas);
        QVERIFY(!controls.isEmpty());
        const auto rows = sidebarRows(window.size());
        for (const QPoint &row : {rows.first, rows.second}) {
            rest(input, window.topLeft() + row, 600);
            rest(input, window.topLeft() + row + QPoint(20, 5));
        }
        for (const QPoint &p : controls)
            rest(input, p, 80);
        rest(input, controls.value(QStringLiteral("copy")), 700); // a tip shows
        for (int y = window.top() + 3; y < window.bottom(); y += 37)
            for (int x = window.left() + 3; x < window.right(); x += 41)
                input.moveTo(QPoint(x, y));
        QTest::qWait(300);
        QVERIFY(running());
        QCOMPARE(desktop.window(QStringLiteral("Quillet™")), canvas);
        QVERIFY(escapeCloses(input));
    }

    // Undo and redo of a drawn arrow, the size stepper and the zoom button, each checked on screen.
    void editingButtons()
    {
        XTestInput input;
        Desktop desktop;
        const xcb_window_t canvas = session.openCanvas(input, desktop);
        QVERIFY(canvas);
        const QRect shot = session.settledShot(desktop, canvas);
        QVERIFY(!shot.isEmpty());
        const QHash<QString, QPoint> controls = controlsOnScreen(desktop, canvas);
        QVERIFY(!controls.isEmpty());
        const QRect inside(10, 10, shot.width() - 20, shot.height() - 20);
        const auto shown = [&] { return screenPixels(shot).copy(inside); };
        const QImage plain = expected.copy(inside);

        input.drag(shot.topLeft() + QPoint(30, 75), shot.topLeft() + QPoint(150, 75));
        QTest::qWait(300);
        const QImage marked = shown();
        QVERIFY(differences(marked, plain) != QRect());
        click(input, controls.value(QStringLiteral("undo")));
        QTRY_COMPARE_WITH_TIMEOUT(differences(shown(), plain), QRect(), 3000);
        click(input, controls.value(QStringLiteral("redo")));
        // The arrow is back (no longer selected: its ends show no grips).
        const QRect middle(40, 50, 60, 30);
        QTRY_COMPARE_WITH_TIMEOUT(differences(shown().copy(middle), marked.copy(middle)), QRect(), 3000);
        QVERIFY(differences(shown().copy(middle), plain.copy(middle)) != QRect());

        // The size label between minus and plus: one step down shows another size, one up the first.
        const QPoint labelAt = (controls.value(QStringLiteral("minus")) + controls.value(QStringLiteral("plus"))) / 2;
        const QRect label(labelAt - QPoint(10, 8), QSize(20, 16));
        rest(input, shot.center()); // no hover shading on the stepper
        const QImage large = screenPixels(label);

        click(input, controls.value(QStringLiteral("minus")));
        rest(input, shot.center());
        QTRY_VERIFY_WITH_TIMEOUT(screenPixels(label) != large, 3000);
        // The bar kept its width and place: it was fitted to its content from the start.
        QCOMPARE(controlsOnScreen(desktop, canvas), controls);
        click(input, controls.value(QStringLiteral("plus")));
        rest(input, shot.center());
        QTRY_VERIFY_WITH_TIMEOUT(screenPixels(label) == large, 3000);

        // The zoom button fits everything: the shot is no longer shown one for one, and the
        // button reads another percentage; Ctrl+1 brings both back.
        const QRect zoomText(controls.value(QStringLiteral("zoom")) - QPoint(20, 8), QSize(40, 16));
        const QImage hundred = screenPixels(zoomText);
        click(input, controls.value(QStringLiteral("zoom")));
        rest(input, shot.center() + QPoint(0, 200));
        QTRY_VERIFY_WITH_TIMEOUT(screenPixels(zoomText) != hundred, 3000);
        QVERIFY(session.shotOnScreen(desktop, canvas) != shot);
        input.chord({XK_Control_L}, XK_1);
        QTRY_VERIFY_WITH_TIMEOUT(screenPixels(zoomText) == hundred, 3000);
        QVERIFY(running());

        QVERIFY(escapeCloses(input));
    }

    // A tool button arms its tool for a plain drag, seen in what the drag draws over the shot: a
    // box outlines the dragged rect and leaves its middle alone, a redaction turns the whole rect
    // into blocks, an arrow crosses the middle. A swatch gives the next mark its colour.
    void toolButtons_data()
    {
        QTest::addColumn<QString>("tool");
        QTest::addColumn<QString>("swatch");
        QTest::addColumn<QRgb>("colour");
        QTest::newRow("box, red") << "box" << "Red" << qRgb(255, 41, 31);
        QTest::newRow("redaction") << "redaction" << QString() << QRgb(0);
        QTest::newRow("arrow, blue") << "arrow" << "Blue" << qRgb(10, 133, 255);
    }
    void toolButtons()
    {
        QFETCH(QString, tool);
        QFETCH(QString, swatch);
        QFETCH(QRgb, colour);
        XTestInput input;
        Desktop desktop;
        const xcb_window_t canvas = session.openCanvas(input, desktop);
        QVERIFY(canvas);
        const QRect shot = session.settledShot(desktop, canvas);
        QVERIFY(!shot.isEmpty());
        const QHash<QString, QPoint> controls = controlsOnScreen(desktop, canvas);
        QVERIFY(!controls.isEmpty());
        // The new shot's comment is open for typing: Tab ends it (Escape would close the canvas).
        input.chord({}, XK_Tab);
        QTest::qWait(300);
        if (!swatch.isEmpty())
            click(input, controls.value(swatch));
        click(input, controls.value(tool));

        const QRect dragged(40, 40, 120, 70); // within the shot
        input.drag(shot.topLeft() + dragged.topLeft(), shot.topLeft() + dragged.bottomRight());
        rest(input, shot.bottomRight() + QPoint(60, 60), 400); // no hover over the new mark
        const QImage seen = screenPixels(shot);
        const QImage plain = expected;
        const auto changed = [&](const QRect &r) {
            int n = 0;
            for (int y = r.top(); y <= r.bottom(); ++y)
                for (int x = r.left(); x <= r.right(); ++x)
                    n += (seen.pixel(x, y) & 0xffffff) != (plain.pixel(x, y) & 0xffffff);
            return double(n) / double(r.width() * r.height());
        };
        const QRect middle(dragged.center() - QPoint(8, 8), QSize(16, 16));
        const QRect inner = dragged.adjusted(12, 12, -12, -12);
        if (tool == QLatin1String("box")) {
            QVERIFY2(changed(middle) == 0, "a box leaves its middle alone");
            QVERIFY(changed(QRect(dragged.left() - 2, dragged.center().y() - 5, 5, 10)) > 0.3);
        } else if (tool == QLatin1String("redaction")) {
            QVERIFY2(changed(inner) > 0.8, "a redaction covers its rect");
        } else {
            QVERIFY2(changed(middle) > 0, "an arrow crosses the middle of its drag");
            QVERIFY(changed(QRect(dragged.left() + 40, dragged.top() - 30, 20, 10)) == 0);
        }
        if (colour) {
            bool found = false;
            for (int y = 0; y < seen.height() && !found; ++y)
                for (int x = 0; x < seen.width() && !found; ++x) {
                    const QRgb p = seen.pixel(x, y);
                    found = std::abs(qRed(p) - qRed(colour)) <= 3 && std::abs(qGreen(p) - qGreen(colour)) <= 3
                        && std::abs(qBlue(p) - qBlue(colour)) <= 3;
                }
            QVERIFY2(found, qPrintable(QStringLiteral("no pixel of the %1 swatch's colour").arg(swatch)));
        }
        QVERIFY(running());
        input.chord({}, XK_Escape); // deselect
        QVERIFY(escapeCloses(input));
    }

    // The another-shot button starts a capture as Ctrl+N does: the overlay takes the keyboard;
    // Escape gives it up and brings the canvas back.
    void addShotButton()
    {
        XTestInput input;
        Desktop desktop;
        const xcb_window_t canvas = session.openCanvas(input, desktop);
        QVERIFY(canvas);
        const QHash<QString, QPoint> controls = controlsOnScreen(desktop, canvas);
        QVERIFY(!controls.isEmpty());
        QVERIFY(!desktop.keyboardTaken());
        click(input, controls.value(QStringLiteral("addshot")));
        QTRY_VERIFY_WITH_TIMEOUT(desktop.keyboardTaken(), 10000);
        input.chord({}, XK_Escape);
        QTRY_VERIFY_WITH_TIMEOUT(!desktop.keyboardTaken(), 5000);
        QTRY_COMPARE_WITH_TIMEOUT(desktop.window(QStringLiteral("Quillet™")), canvas, 5000);
        QVERIFY(running());
        QVERIFY(escapeCloses(input));
    }

    // A comment typed into the new shot and ended by Escape or Tab: Return then copies the page,
    // comment and all.
    void returnAfterAComment_data()
    {
        QTest::addColumn<uint32_t>("end");
        QTest::newRow("Escape") << XK_Escape;
        QTest::newRow("Tab") << XK_Tab;
    }
    void returnAfterAComment()
    {
        QFETCH(uint32_t, end);
        XTestInput input;
        Desktop desktop;
        QGuiApplication::clipboard()->setText(QStringLiteral("not the picture"));
        const int before = closed();
        QVERIFY(session.openCanvas(input, desktop));
        for (uint32_t key : {0x61u, 0x62u, 0x63u}) // a b c
            input.chord({}, key);
        input.chord({}, end);
        QTest::qWait(200);
        input.chord({}, XK_Return);
        QTRY_COMPARE_WITH_TIMEOUT(closed(), before + 1, 10000);
        const QImage png = QImage::fromData(clipboardBytes(QStringLiteral("image/png")), "png");
        QVERIFY(!png.isNull());
        // The picture grew by the comment beside the shot, or the comment lies on it.
        QVERIFY(png.size() != chosenArea.size()
                || differences(png.convertToFormat(QImage::Format_RGB32), expected) != QRect());
    }

    // Copy and save in the toolbar, copy and send in the sidebar: each does what Return, Ctrl+S
    // and Ctrl+Return do (one page: the canvas closes after it).
    void exportButtons_data()
    {
        QTest::addColumn<QString>("control");
        QTest::newRow("toolbar copy") << "copy";
        QTest::newRow("toolbar save") << "save";
        QTest::newRow("toolbar send, Send Now") << "send";
        QTest::newRow("sidebar copy row") << "copy row";
        QTest::newRow("sidebar send row") << "send row";
    }
    void exportButtons()
    {
        QFETCH(QString, control);
        XTestInput input;
        Desktop desktop;
        const QString folder = QStandardPaths::standardLocations(QStandardPaths::DesktopLocation).value(0);
        QVERIFY(folder.startsWith(QDir::homePath()));
        for (const QString &old : QDir(folder).entryList({QStringLiteral("*.png")}, QDir::Files))
            QFile::remove(QDir(folder).filePath(old));
        // The clipboard holds something else until the canvas puts its picture there.
        QGuiApplication::clipboard()->setText(QStringLiteral("not the picture"));
        const int before = closed();
        const xcb_window_t canvas = session.openCanvas(input, desktop);
        QVERIFY(canvas);
        const QRect window = desktop.geometry(canvas);
        QPoint at;
        if (control.endsWith(QLatin1String(" row"))) {
            const auto rows = sidebarRows(window.size());
            at = window.topLeft() + (control.startsWith(QLatin1String("copy")) ? rows.first : rows.second);
        } else {
            at = controlsOnScreen(desktop, canvas).value(control);
        }
        QVERIFY(!at.isNull());
        rest(input, at, 500);
        click(input, at);
        // The send button is a pull-down: its first item, Send Now, does what Ctrl+Return does.
        if (control == QLatin1String("send")) {
            input.chord({}, XK_Down);
            input.chord({}, XK_Return);
        }
        QTRY_COMPARE_WITH_TIMEOUT(closed(), before + 1, 10000);
        QVERIFY(running());

        QImage out;
        if (control == QLatin1String("save")) {
            const QStringList files = QDir(folder).entryList({QStringLiteral("*.png")}, QDir::Files);
            QCOMPARE(files.size(), 1);
            out = QImage(QDir(folder).filePath(files.first()));
            QFile::remove(QDir(folder).filePath(files.first()));
        } else {
            out = QImage::fromData(clipboardBytes(QStringLiteral("image/png")), "png");
        }
        QCOMPARE(out.size(), chosenArea.size());
        QCOMPARE(differences(out.convertToFormat(QImage::Format_RGB32), expected), QRect());
    }
};

QUILLET_TEST_MAIN(TestCanvasButtonsX11)
#include "tst_canvasbuttons_x11.moc"
