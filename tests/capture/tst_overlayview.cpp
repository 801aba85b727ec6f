#include "OverlayFakeHost.h"

#include "app/ChromeViews.h"
#include "capture/OverlayView.h"

#include "TestEnv.h"

#include <QCursor>
#include <QLabel>
#include <QPaintEvent>
#include <QPromise>

#include <memory>

using namespace OverlayInput;
using Mode = OverlayViewHost::Mode;

Q_DECLARE_METATYPE(Mode)

namespace {
// Collects the regions a widget paints.
class PaintSpy : public QObject
{
public:
    QRegion painted;
    bool eventFilter(QObject *, QEvent *e) override
    {
        if (e->type() == QEvent::Paint)
            painted += static_cast<QPaintEvent *>(e)->region();
        return false;
    }
};
} // namespace

class TestOverlayView : public QObject
{
    Q_OBJECT

    std::unique_ptr<OverlayFakeHost> host;
    std::unique_ptr<OverlayView> view;

    // A shown view of size w × h points at the given pixel scale over a pattern picture.
    OverlayView *make(int w, int h, double scale = 1, Mode mode = Mode::Clipboard)
    {
        view.reset();
        host = std::make_unique<OverlayFakeHost>(mode);
        view = std::make_unique<OverlayView>(
            QSize(w, h), patternImage(qRound(w * scale), qRound(h * scale)));
        view->setSession(host.get());
        view->show();
        if (!QTest::qWaitForWindowExposed(view.get()))
            qFatal("overlay not exposed");
        return view.get();
    }

    void dragFromTo(QPointF a, QPointF b)
    {
        press(view.get(), a);
        drag(view.get(), b);
    }

private slots:
    void cleanup()
    {
        view.reset();
        host.reset();
    }

    void pixelScaleFromPicture()
    {
        view = std::make_unique<OverlayView>(QSize(400, 300), patternImage(1000, 750));
        QCOMPARE(view->pixelScale(), 2.5);
        QCOMPARE(view->stage(), OverlayView::Stage::Selecting);
        view = std::make_unique<OverlayView>(QSize(400, 300), patternImage(1000, 750), 2.0);
        QCOMPARE(view->pixelScale(), 2.0);
    }

    // A press and release that moved less than 4 pt is a click: it takes the window that was
    // highlighted when the button went down. 4 pt or more is a drag.
    void clickOrDrag_data()
    {
        QTest::addColumn<double>("scale");
        QTest::addColumn<QPointF>("to");
        QTest::addColumn<QStringList>("calls");
        const QStringList window{"commit 10,10 60x50", "copy 10,10 60x50"};
        QTest::newRow("3.9 pt across is a click") << 10.0 << QPointF(33.9, 30) << window;
        QTest::newRow("3.9 pt down is a click") << 10.0 << QPointF(30, 33.9) << window;
        QTest::newRow("4 pt is a drag (too small to keep)") << 10.0 << QPointF(34, 30) << QStringList();
        QTest::newRow("snapped to 4 pt at scale 1") << 1.0 << QPointF(33.6, 30) << QStringList();
        QTest::newRow("3.4 snaps to 3 at scale 1") << 1.0 << QPointF(33.4, 30) << window;
    }
    void clickOrDrag()
    {
        QFETCH(double, scale);
        QFETCH(QPointF, to);
        QFETCH(QStringList, calls);
        make(120, 100, scale);
        view->setWindows({QRectF(10, 10, 60, 50)}, {});
        hover(view.get(), {30, 30});
        QCOMPARE(view->hovered(), QRectF(10, 10, 60, 50));
        press(view.get(), {30, 30});
        drag(view.get(), to);
        release(view.get(), to);
        QCOMPARE(host->calls, calls);
        QVERIFY(!view->isDragging());
        if (calls.isEmpty()) {
            // No choice: the selection is cleared and the highlight follows the pointer again.
            QCOMPARE(view->selection(), std::nullopt);
            QCOMPARE(view->hovered(), QRectF(10, 10, 60, 50));
            QVERIFY(view->coordLabel()->isVisible());
        }
    }

    // An area under 8 × 8 pt is no choice; 8 × 8 is finished.
    void smallestArea_data()
    {
        QTest::addColumn<QSizeF>("size");
        QTest::addColumn<bool>("kept");
        QTest::newRow("7.5 x 40 dropped") << QSizeF(7.5, 40) << false;
        QTest::newRow("40 x 7.5 dropped") << QSizeF(40, 7.5) << false;
        QTest::newRow("8 x 8 kept") << QSizeF(8, 8) << true;
        QTest::newRow("8 x 40 kept") << QSizeF(8, 40) << true;
    }
    void smallestArea()
    {
        QFETCH(QSizeF, size);
        QFETCH(bool, kept);
        make(300, 200, 2);
        const QPointF start(100, 50);
        dragFromTo(start, start + QPointF(size.width(), size.height()));
        QCOMPARE(view->chip()->isVisible(), kept);
        release(view.get(), start + QPointF(size.width(), size.height()));
        const QRectF r(start, size);
        const QStringList chosen{"commit " + OverlayFakeHost::text(r),
                                 "copy " + OverlayFakeHost::text(r)};
        QCOMPARE(host->calls, kept ? chosen : QStringList());
        QCOMPARE(view->selection(), kept ? std::optional<QRectF>(r) : std::nullopt);
    }

    // Shift squares the drag, Alt grows it from the centre, both do both; the modifiers are
    // read live and a change applies at once.
    void modifiers_data()
    {
        QTest::addColumn<int>("mods");
        QTest::addColumn<QRectF>("expected");
        QTest::newRow("plain") << int(Qt::NoModifier) << QRectF(100, 90, 30, 10);
        QTest::newRow("shift squares") << int(Qt::ShiftModifier) << QRectF(100, 70, 30, 30);
        QTest::newRow("alt from centre") << int(Qt::AltModifier) << QRectF(70, 90, 60, 20);
        QTest::newRow("both") << int(Qt::ShiftModifier | Qt::AltModifier) << QRectF(70, 70, 60, 60);
    }
    void modifiers()
    {
        QFETCH(int, mods);
        QFETCH(QRectF, expected);
        make(400, 300);
        view->setTestModifiers(Qt::KeyboardModifiers(mods));
        dragFromTo({100, 100}, {130, 90});
        QCOMPARE(view->selection(), expected);

        // The same drag, modifiers changed while the button is down.
        view->setTestModifiers(Qt::NoModifier);
        key(view.get(), QEvent::KeyRelease, Qt::Key_Shift);
        QCOMPARE(view->selection(), QRectF(100, 90, 30, 10));
        view->setTestModifiers(Qt::KeyboardModifiers(mods));
        key(view.get(), QEvent::KeyPress, Qt::Key_Shift, Qt::ShiftModifier);
        QCOMPARE(view->selection(), expected);
    }

    void dragIsCutToTheDisplay()
    {
        make(400, 300);
        view->setTestModifiers(Qt::AltModifier);
        dragFromTo({20, 280}, {60, 250});
        QCOMPARE(view->selection(), QRectF(0, 250, 60, 50));
    }

    // Space held moves the rectangle without changing its size and never past the display's
    // edges; after its release the rubber band goes on from the moved start.
    void spaceMoves()
    {
        make(400, 300);
        view->setTestModifiers(Qt::NoModifier);
        dragFromTo({100, 100}, {150, 140});
        key(view.get(), QEvent::KeyPress, Qt::Key_Space, {}, " ");
        drag(view.get(), {170, 150});
        QCOMPARE(view->selection(), QRectF(120, 110, 50, 40));
        // Auto-repeat releases of the held bar change nothing.
        key(view.get(), QEvent::KeyRelease, Qt::Key_Space, {}, " ", true);
        drag(view.get(), {600, 150});
        QCOMPARE(view->selection(), QRectF(350, 110, 50, 40));
        key(view.get(), QEvent::KeyRelease, Qt::Key_Space, {}, " ");
        // The start moved with the rectangle (by 250, 10); the band resumes from (350, 110).
        drag(view.get(), {380, 200});
        QCOMPARE(view->selection(), QRectF(350, 110, 30, 90));
    }

    void handles_data()
    {
        QTest::addColumn<QSizeF>("size");
        QTest::addColumn<bool>("shown");
        QTest::newRow("28 x 28 shows handles") << QSizeF(28, 28) << true;
        QTest::newRow("27.9 x 40 shows none") << QSizeF(27.9, 40) << false;
        QTest::newRow("40 x 27.9 shows none") << QSizeF(40, 27.9) << false;
    }
    void handles()
    {
        QFETCH(QSizeF, size);
        QFETCH(bool, shown);
        make(200, 150, 10);
        const QPointF start(20, 20);
        dragFromTo(start, start + QPointF(size.width(), size.height()));
        QCOMPARE(view->selection(), QRectF(start, size));
        QVERIFY(view->chip()->y() > start.y() + size.height());
        // Inside the top-middle handle, 4 pt under the edge, away from the border line.
        const QPointF probe(start.x() + size.width() / 2, start.y() + 4);
        const QImage shot = view->grab().toImage();
        const QColor c = shot.pixelColor((probe * shot.devicePixelRatio()).toPoint());
        const QColor frozen = view->frozen().pixelColor((probe * 10).toPoint());
        if (shown)
            QCOMPARE(c, QColor(Qt::white));
        else
            QCOMPARE(c.blue(), frozen.blue());
    }

    // The size chip shows the pixel size, rounded half away from zero.
    void sizeChip_data()
    {
        QTest::addColumn<double>("scale");
        QTest::addColumn<QRectF>("window");
        QTest::addColumn<QString>("text");
        QTest::newRow("100.3 x 50.2 at scale 2") << 2.0 << QRectF(10, 10, 100.3, 50.2) << "201 × 100";
        QTest::newRow("scale 1") << 1.0 << QRectF(10, 10, 200, 100) << "200 × 100";
        QTest::newRow("halves away from zero") << 1.5 << QRectF(10, 10, 33, 11) << "50 × 17";
    }
    void sizeChip()
    {
        QFETCH(double, scale);
        QFETCH(QRectF, window);
        QFETCH(QString, text);
        make(400, 300, scale);
        view->setWindows({window}, {});
        view->trackPointer(true, window.center());
        QVERIFY(view->chip()->isVisible());
        QCOMPARE(view->chip()->label()->text(), text);
        // Centred under the rectangle, 12 pt below it.
        QCOMPARE(view->chip()->y(), qRound(window.bottom() + 12));
    }

    // Under the rectangle, inside it when it touches the bottom, and kept 8 pt from the sides.
    void sizeChipPlacement_data()
    {
        QTest::addColumn<QRectF>("area");
        QTest::addColumn<QString>("where");
        QTest::newRow("under") << QRectF(100, 100, 100, 50) << "under";
        QTest::newRow("touching the bottom") << QRectF(100, 200, 100, 100) << "inside";
        QTest::newRow("left edge") << QRectF(0, 100, 10, 50) << "left";
        QTest::newRow("right edge") << QRectF(390, 100, 10, 50) << "right";
    }
    void sizeChipPlacement()
    {
        QFETCH(QRectF, area);
        QFETCH(QString, where);
        make(400, 300);
        dragFromTo(area.topLeft(), area.bottomRight());
        QCOMPARE(view->selection(), area);
        const QRect chip = view->chip()->geometry();
        QCOMPARE(chip.height(), 28);
        if (where == "under") {
            QCOMPARE(chip.top(), 162);
            QVERIFY(qAbs(chip.left() + chip.width() / 2.0 - 150) <= 1);
        } else if (where == "inside") {
            QCOMPARE(chip.top(), 300 - 28 - 12);
        } else if (where == "left") {
            QCOMPARE(chip.left(), 8);
        } else {
            QCOMPARE(chip.left() + chip.width(), 400 - 8);
        }
    }

    // The pixel position next to the pointer, to its left within 4 pt of the right edge and
    // above it near the bottom.
    void coordLabel_data()
    {
        QTest::addColumn<QPointF>("pointer");
        QTest::addColumn<bool>("left");
        QTest::addColumn<bool>("above");
        QTest::addColumn<QString>("text");
        QTest::newRow("middle") << QPointF(100.7, 50.2) << false << false << "201  100";
        QTest::newRow("near right") << QPointF(390, 50) << true << false << "780  100";
        QTest::newRow("near bottom") << QPointF(100, 295) << false << true << "200  590";
        QTest::newRow("corner") << QPointF(399, 299) << true << true << "798  598";
    }
    void coordLabel()
    {
        QFETCH(QPointF, pointer);
        QFETCH(bool, left);
        QFETCH(bool, above);
        QFETCH(QString, text);
        make(400, 300, 2);
        hover(view.get(), pointer);
        PointerLabel *label = view->coordLabel();
        QVERIFY(label->isVisible());
        QCOMPARE(label->label()->text(), text);
        const QRect g = label->geometry();
        QCOMPARE(g.left(), left ? qRound(pointer.x() - g.width() - 10) : qRound(pointer.x() + 14));
        QCOMPARE(g.top(), above ? qRound(pointer.y() - g.height() - 10) : qRound(pointer.y() + 16));
        QVERIFY(g.right() < 400 && g.bottom() < 300);

        // Leaving the view, or pressing the button, hides it.
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(view.get(), &leave);
        QVERIFY(!label->isVisible());
        hover(view.get(), pointer);
        press(view.get(), pointer);
        QVERIFY(!label->isVisible());
    }

    // "f" takes the whole display, with Shift or Caps Lock too, but not during a drag.
    void wholeDisplay_data()
    {
        QTest::addColumn<int>("mods");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("dragging");
        QTest::addColumn<bool>("taken");
        QTest::newRow("f") << int(Qt::NoModifier) << "f" << false << true;
        QTest::newRow("Shift-F") << int(Qt::ShiftModifier) << "F" << false << true;
        QTest::newRow("Caps Lock F") << int(Qt::NoModifier) << "F" << false << true;
        QTest::newRow("f during a drag") << int(Qt::NoModifier) << "f" << true << false;
        QTest::newRow("F during a drag") << int(Qt::ShiftModifier) << "F" << true << false;
        QTest::newRow("button down, not moved") << int(Qt::NoModifier) << "f" << true << false;
    }
    void wholeDisplay()
    {
        QFETCH(int, mods);
        QFETCH(QString, text);
        QFETCH(bool, dragging);
        QFETCH(bool, taken);
        make(400, 300);
        if (dragging) {
            press(view.get(), {10, 10});
            if (QString(QTest::currentDataTag()) != "button down, not moved")
                drag(view.get(), {100, 100});
        }
        key(view.get(), QEvent::KeyPress, Qt::Key_F, Qt::KeyboardModifiers(mods), text);
        const QStringList whole{"commit 0,0 400x300", "copy 0,0 400x300"};
        QCOMPARE(host->calls, taken ? whole : QStringList());
    }

    void escape_data()
    {
        QTest::addColumn<QString>("mode");
        QTest::addColumn<QStringList>("calls");
        QTest::addColumn<QStringList>("parentCalls");
        QTest::newRow("clipboard") << "clipboard" << QStringList{"end reactivate"} << QStringList();
        QTest::newRow("canvas") << "canvas" << QStringList{"end reactivate"} << QStringList();
        QTest::newRow("further shot") << "addShot" << QStringList{"hideOverlays"}
                                      << QStringList{"bringForward"};
        QTest::newRow("session gone") << "none" << QStringList() << QStringList();
    }
    void escape()
    {
        QFETCH(QString, mode);
        QFETCH(QStringList, calls);
        QFETCH(QStringList, parentCalls);
        OverlayFakeHost parent(Mode::Canvas);
        auto session = std::make_unique<OverlayFakeHost>(
            mode == "addShot" ? Mode::AddShot
                              : mode == "canvas" ? Mode::Canvas : Mode::Clipboard,
            &parent);
        OverlayView v(QSize(200, 100), patternImage(200, 100));
        v.setSession(session.get());
        if (mode == "none")
            session.reset();
        key(&v, QEvent::KeyPress, Qt::Key_Escape);
        if (session)
            QCOMPARE(session->calls, calls);
        QCOMPARE(parent.calls, parentCalls);
    }

    // Hand-over of a chosen area by the session's mode.
    void finishByMode_data()
    {
        QTest::addColumn<Mode>("mode");
        QTest::addColumn<QStringList>("calls");
        QTest::newRow("clipboard") << Mode::Clipboard
                                   << QStringList{"commit 5,6 70x80", "copy 5,6 70x80"};
        QTest::newRow("further shot") << Mode::AddShot
                                      << QStringList{"commit 5,6 70x80", "addShot 5,6 70x80"};
        QTest::newRow("canvas") << Mode::Canvas << QStringList{"commit 5,6 70x80"};
    }
    void finishByMode()
    {
        QFETCH(Mode, mode);
        QFETCH(QStringList, calls);
        make(200, 150, 1, mode);
        view->finish(QRectF(5, 6, 70, 80));
        QCOMPARE(host->calls, calls);
        QVERIFY(!view->coordLabel()->isVisible());
    }

    // A click on a window takes the window's own picture, placed so that the window itself lies
    // on the highlighted rectangle; without a picture the window is cut from the frozen one.
    void windowClick_data()
    {
        QTest::addColumn<double>("scale");
        QTest::addColumn<bool>("withIds");
        QTest::addColumn<bool>("pictureComes");
        QTest::addColumn<QStringList>("calls");
        // A 260 × 210 pt picture, the window 200 × 150 pt at x 30, with 40 pt of shadow under it
        // and 20 above: the picture starts 30 pt left of and 20 pt above the window.
        const QStringList cut{"commit 100,100 200x150", "copy 100,100 200x150"};
        QTest::newRow("picture") << 1.0 << true << true
                                 << QStringList{"commit 70,80 260x210", "copyWindow 260x210 @1"};
        QTest::newRow("picture at scale 2") << 2.0 << true << true
                                 << QStringList{"commit 70,80 260x210", "copyWindow 520x420 @2"};
        QTest::newRow("no picture") << 1.0 << true << false << cut;
        QTest::newRow("ids dropped") << 1.0 << false << true << cut;
    }
    void windowClick()
    {
        QFETCH(double, scale);
        QFETCH(bool, withIds);
        QFETCH(bool, pictureComes);
        QFETCH(QStringList, calls);
        make(400, 300, scale);
        QList<quint32> asked;
        auto promise = std::make_shared<QPromise<std::optional<WindowPicture>>>();
        view->setWindowCapture([&asked, promise](quint32 id) {
            asked << id;
            promise->start();
            return promise->future();
        });
        view->setWindows({QRectF(100, 100, 200, 150), QRectF(0, 0, 400, 300)},
                         withIds ? QList<quint32>{77, 78} : QList<quint32>{77});
        hover(view.get(), {150, 150});
        press(view.get(), {150, 150});
        release(view.get(), {150, 150});
        if (withIds) {
            QCOMPARE(asked, QList<quint32>{77});
            QVERIFY(view->isGrabbing());
            // A second click while the picture is taken is dropped.
            press(view.get(), {150, 150});
            release(view.get(), {150, 150});
            QCOMPARE(asked.size(), 1);
            QVERIFY(host->calls.isEmpty());
            std::optional<WindowPicture> picture;
            if (pictureComes) {
                const int s = int(scale);
                QImage img(260 * s, 210 * s, QImage::Format_ARGB32_Premultiplied);
                img.fill(Qt::transparent);
                picture = WindowPicture{img, scale, QRect(30 * s, 40 * s, 200 * s, 150 * s)};
            }
            promise->addResult(picture);
            promise->finish();
            QTRY_VERIFY(!view->isGrabbing());
        }
        QCOMPARE(host->calls, calls);
    }

    void croppedImage_data()
    {
        QTest::addColumn<double>("scale");
        QTest::addColumn<QRectF>("area");
        QTest::addColumn<QRect>("pixels");
        QTest::newRow("scale 1") << 1.0 << QRectF(10, 20, 30, 40) << QRect(10, 20, 30, 40);
        QTest::newRow("scale 2") << 2.0 << QRectF(10, 20, 30, 40) << QRect(20, 40, 60, 80);
        QTest::newRow("outwards") << 1.0 << QRectF(10.5, 20.5, 3, 3) << QRect(10, 20, 4, 4);
        QTest::newRow("cut to the picture") << 1.0 << QRectF(380, 290, 50, 50) << QRect(380, 290, 20, 10);
        QTest::newRow("outside") << 1.0 << QRectF(500, 10, 50, 50) << QRect();
        QTest::newRow("under a pixel") << 1.0 << QRectF(10, 10, 0, 5) << QRect();
    }
    void croppedImage()
    {
        QFETCH(double, scale);
        QFETCH(QRectF, area);
        QFETCH(QRect, pixels);
        view = std::make_unique<OverlayView>(QSize(400, 300),
                                             patternImage(qRound(400 * scale), qRound(300 * scale)));
        const QImage cut = view->croppedImage(area);
        if (pixels.isNull()) {
            QVERIFY(cut.isNull());
            return;
        }
        QCOMPARE(cut.size(), pixels.size());
        QCOMPARE(cut.convertToFormat(QImage::Format_RGB32),
                 view->frozen().copy(pixels).convertToFormat(QImage::Format_RGB32));
    }

    void hoverFollowsWindowList()
    {
        make(400, 300);
        const QList<QRectF> windows{QRectF(50, 50, 100, 100), QRectF(0, 0, 300, 200)};
        // A new list highlights the window under the pointer at once, but not during a drag.
        QCursor::setPos(view->mapToGlobal(QPoint(60, 60)));
        press(view.get(), {60, 60});
        view->setWindows(windows, {1, 2});
        QCOMPARE(view->hovered(), std::nullopt);
        release(view.get(), {60, 60});
        view->setWindows({}, {});
        QCOMPARE(view->hovered(), std::nullopt);
        view->setWindows(windows, {1, 2});
        QCOMPARE(view->hovered(), windows[0]);
        hover(view.get(), {60, 60});
        QCOMPARE(view->hovered(), windows[0]);
        QCOMPARE(view->chip()->label()->text(), QString("100 × 100"));
        hover(view.get(), {150, 60}); // the right edge of the front window is outside it
        QCOMPARE(view->hovered(), windows[1]);
        hover(view.get(), {350, 250});
        QCOMPARE(view->hovered(), std::nullopt);
        QVERIFY(!view->chip()->isVisible());
        view->trackPointer(false, {60, 60});
        QCOMPARE(view->hovered(), std::nullopt);
        QVERIFY(!view->coordLabel()->isVisible());
    }

    // The dim fades in to alpha 0.5; the chosen hole shows the frozen picture unchanged.
    void dimAndHole()
    {
        make(200, 150);
        QTRY_COMPARE(view->dimOpacity(), 1.0);
        dragFromTo({50, 40}, {150, 110});
        const QImage shot = view->grab().toImage().convertToFormat(QImage::Format_RGB32);
        // (The chip sits inside the area, at its bottom: there is no room under it.)
        const QRgb inside = shot.pixel(70, 55), outside = shot.pixel(20, 20);
        QCOMPARE(inside, view->frozen().pixel(70, 55));
        const QRgb under = view->frozen().pixel(20, 20);
        QVERIFY(qAbs(qRed(outside) - qRed(under) / 2) <= 1);
        QVERIFY(qAbs(qBlue(outside) - qBlue(under) / 2) <= 1);
    }

    // Moving the pointer and dragging repaint only what changed.
    void repaintsOnlyChanges()
    {
        make(800, 600);
        QTRY_COMPARE(view->dimOpacity(), 1.0);
        view->setWindows({QRectF(100, 100, 300, 200)}, {});
        hover(view.get(), {500, 400});
        QTest::qWait(50);
        PaintSpy spy;
        view->installEventFilter(&spy);

        hover(view.get(), {505, 402});
        QTRY_VERIFY(!spy.painted.isEmpty());
        QTest::qWait(30);
        // Only around the coordinate label's old and new places.
        QVERIFY2(spy.painted.boundingRect().width() < 120 && spy.painted.boundingRect().height() < 60,
                 qPrintable(QString("painted %1").arg(OverlayFakeHost::text(spy.painted.boundingRect()))));

        press(view.get(), {500, 400});
        drag(view.get(), {600, 500});
        QTest::qWait(30);
        spy.painted = {};
        drag(view.get(), {603, 502});
        QTRY_VERIFY(!spy.painted.isEmpty());
        QTest::qWait(30);
        // The edges that moved and what changed around them, not the inside of the area.
        QVERIFY(!spy.painted.contains(QPoint(550, 450)));
        QVERIFY(!spy.painted.contains(QPoint(100, 100)));
        QVERIFY(spy.painted.contains(QPoint(601, 450)));
        long area = 0;
        for (const QRect &r : spy.painted)
            area += long(r.width()) * r.height();
        QVERIFY2(area < 800 * 600 / 10, qPrintable(QString::number(area)));
    }
};

QUILLET_TEST_MAIN(TestOverlayView)
#include "tst_overlayview.moc"
