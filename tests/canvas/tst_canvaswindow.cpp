#include "CanvasFixture.h"

#include "TestEnv.h"

#include "app/ChromeViews.h"
#include "app/Toast.h"
#include "canvas/CanvasChrome.h"
#include "canvas/CommandSidebar.h"
#include "document/Item.h"
#include "document/NoteLayout.h"
#include "platform/fake/FakeScheduler.h"
#include "platform/ReduceMotion.h"

#include <QBuffer>
#include <QDropEvent>
#include <QLabel>
#include <QMimeData>
#include <QTemporaryDir>

namespace {
QString toastText()
{
    QWidget *t = Toast::current();
    auto *label = t ? t->findChild<GlassLabel *>() : nullptr;
    return label ? label->label()->text() : QString();
}

QByteArray pngData(int w, int h)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    patternImage(w, h).save(&buffer, "PNG");
    return bytes;
}

// Hands a drop straight to the view (the application delivers drops only during a real drag).
void drop(QWidget *w, QMimeData *data)
{
    QDropEvent e(QPointF(100, 100), Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
    static_cast<QObject *>(w)->event(&e);
}
} // namespace

class TestCanvasWindow : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        Preferences::shared().remove(QStringLiteral("style.remember"));
        Preferences::shared().remove(QStringLiteral("style.size"));
        Preferences::shared().remove(QStringLiteral("style.font"));
        Preferences::shared().remove(QStringLiteral("canvas.railWidth"));
        Preferences::shared().remove(QStringLiteral("canvas.railThumb"));
        ReduceMotion::setOverride(std::nullopt);
    }

    // The window's frame and the shot's place from the screen, the title bar and the rail.
    void canvasLayout_data()
    {
        QTest::addColumn<QRectF>("visible");
        QTest::addColumn<double>("titleBar");
        QTest::addColumn<QRectF>("content");
        QTest::addColumn<QRectF>("fitArea");
        QTest::newRow("wide: sidebar") << QRectF(0, 0, 1440, 875) << 28.0 << QRectF(50, 78, 1340, 747)
                                       << QRectF(0, 0, 1112, 747);
        QTest::newRow("1000 wide: no sidebar") << QRectF(0, 0, 1000, 800) << 28.0 << QRectF(50, 78, 900, 672)
                                               << QRectF(0, 0, 900, 672);
        QTest::newRow("no window manager") << QRectF(100, 30, 1440, 875) << 0.0 << QRectF(150, 80, 1340, 775)
                                           << QRectF(0, 0, 1112, 775);
    }
    void canvasLayout()
    {
        QFETCH(QRectF, visible);
        QFETCH(double, titleBar);
        QFETCH(QRectF, content);
        QFETCH(QRectF, fitArea);
        const QRectF old = visible.adjusted(0, 0, 0, 25);
        const QRectF chosen(300, 200, 200, 150);
        const auto frames = OverlayView::canvasLayout(chosen, old, visible, titleBar, 0, 132);
        QCOMPARE(frames.content, content);
        const QRectF moved = chosen.translated(old.topLeft() - content.topLeft());
        QCOMPARE(frames.shot, NoteLayout::fit(moved, fitArea, 60, 1.0));
    }

    // With earlier captures the rail takes its room on the left of the fit area.
    void canvasLayoutLeavesRoomForTheRail()
    {
        const QRectF visible(0, 0, 1440, 875);
        const auto frames = OverlayView::canvasLayout(QRectF(300, 200, 200, 150), visible, visible, 28, 184, 132);
        QVERIFY(frames.shot.left() >= 184);
    }

    // The first document: one shot over the whole frozen picture, shared, not copied.
    void firstDocument()
    {
        CanvasFixture f(QSize(1440, 875), 2);
        const QRectF chosen(300, 200, 200, 150);
        CanvasController *c = f.open(chosen);
        QVERIFY(c);
        QCOMPARE(f.view->stage(), OverlayView::Stage::Canvas);
        QCOMPARE(c->markup.shots.size(), 1);
        const Shot shot = c->markup.shots.first();
        QCOMPARE(shot.rect, chosen);
        QCOMPARE(shot.origin, QPointF(0, 0));
        QCOMPARE(shot.imageSize, QSizeF(1440, 875));
        const ShotImage picture = c->images.value(shot.id);
        QCOMPARE(picture.pixelScale, 2.0);
        QCOMPARE(picture.image.constBits(), f.view->frozen().constBits());
        // The unit makes marks as large on screen as on the chosen area: chosen ÷ shown width.
        const QRectF shown(c->scrollView->viewPoint(chosen.topLeft()), c->scrollView->viewPoint(chosen.bottomRight()));
        QVERIFY(qAbs(c->markup.unit - chosen.width() / shown.width()) < 0.01);
        QVERIFY(f.host->calls.contains(QStringLiteral("commit 300,200 200x150")));
        QVERIFY(!f.view->showsFrozen());
    }

    void textStyle_data()
    {
        QTest::addColumn<bool>("remember");
        QTest::addColumn<int>("size");
        QTest::addColumn<QString>("font");
        QTest::newRow("remembered") << true << 3 << "DejaVuSans-Bold";
        QTest::newRow("not remembered") << false << 2 << "Menlo-Bold";
    }
    void textStyle()
    {
        QFETCH(bool, remember);
        QFETCH(int, size);
        QFETCH(QString, font);
        setPreference(QStringLiteral("style.remember"), remember);
        setPreference(QStringLiteral("style.size"), 3);
        setPreference(QStringLiteral("style.font"), QStringLiteral("DejaVuSans-Bold"));
        setPreference(QStringLiteral("style.color"), 4);
        CanvasFixture f;
        CanvasController *c = f.open(QRectF(300, 200, 200, 150));
        QCOMPARE(c->size, size);
        QCOMPARE(c->font, font);
        QCOMPARE(c->color, 0);
    }

    // A shot frame at the left edge opens 24 pt in, or centred when the view has less than
    // 48 pt to spare.
    void leftEdge_data()
    {
        QTest::addColumn<QRectF>("frame");
        QTest::addColumn<double>("left");
        QTest::newRow("24 pt in") << QRectF(0, 100, 300, 200) << 24.0;
        QTest::newRow("kept") << QRectF(40, 100, 300, 200) << 40.0;
        QTest::newRow("centred") << QRectF(-10, 0, 1180, 600) << 16.0;
        QTest::newRow("wider than the view") << QRectF(-10, 0, 1300, 600) << 0.0;
    }
    void leftEdge()
    {
        QFETCH(QRectF, frame);
        QFETCH(double, left);
        CanvasFixture f;
        const Markup markup = Markup::single(QRectF(0, 0, 300, 200), QSizeF(1440, 875), 1);
        ShotImages images;
        images.insert(markup.shots.first().id, ShotImage{f.view->frozen(), 1});
        CanvasController c(images, markup, f.view.get(), frame);
        QCOMPARE(c.scrollView->width(), 1440 - 228);
        const QPointF at = c.scrollView->viewPoint(QPointF(0, 0));
        QVERIFY2(qAbs(at.x() - left) <= 0.5, qPrintable(QString::number(at.x())));
        QVERIFY(qAbs(at.y() - frame.y()) <= 0.5);
        QVERIFY(qAbs(c.scrollView->magnification() - frame.width() / 300) < 1e-9);
    }

    void layoutHidesTheSidebarInANarrowWindow()
    {
        CanvasFixture f(QSize(1200, 800));
        CanvasController *c = f.open(QRectF(100, 100, 300, 200));
        QVERIFY(!c->commands->isHidden());
        QCOMPARE(c->commands->geometry(), QRect(1200 - 228, 0, 228, 800));
        QCOMPARE(c->scrollView->geometry(), QRect(0, 0, 1200 - 228, 800));
        f.view->resize(931, 800);
        QVERIFY(c->commands->isHidden());
        QCOMPARE(c->scrollView->geometry(), QRect(0, 0, 931, 800));
        f.view->resize(932, 800);
        QVERIFY(!c->commands->isHidden());
    }

    // The rail edge dragged narrower than the narrowest rail stops at it and is stored.
    void railWidth_data()
    {
        QTest::addColumn<int>("hostWidth");
        QTest::addColumn<double>("dragTo");
        QTest::addColumn<double>("asked");
        QTest::newRow("to 100") << 1440 << 100.0 << 148.0;
        QTest::newRow("no room to grow") << 600 << 400.0 << 148.0;
        QTest::newRow("wider") << 1440 << 400.0 << 400.0;
    }
    void railWidth()
    {
        QFETCH(int, hostWidth);
        QFETCH(double, dragTo);
        QFETCH(double, asked);
        CanvasFixture f(QSize(hostWidth, 800));
        CanvasController *c = f.open(QRectF(100, 100, 300, 200));
        c->setRailWidth(dragTo, true);
        QCOMPARE(c->railAsked, asked);
        QCOMPARE(Preferences::shared().numberValue(QStringLiteral("canvas.railWidth")), std::optional(asked));
    }

    void pinchAndReset()
    {
        CanvasFixture f;
        CanvasController *c = f.open(QRectF(100, 100, 300, 200));
        c->railThumb = 300;
        c->scaleRailThumbnails(2, true);
        QCOMPARE(Preferences::shared().numberValue(QStringLiteral("canvas.railThumb")), std::optional(360.0));
        c->resetRailSize();
        QCOMPARE(c->railAsked, 184.0);
        QCOMPARE(c->railThumb, 132.0);
        QCOMPARE(Preferences::shared().numberValue(QStringLiteral("canvas.railWidth")), std::optional(184.0));
    }

    // A column choice under reduce motion (or within half a point) jumps and stores at once.
    void columnsWithoutGlide()
    {
        ReduceMotion::setOverride(true);
        CanvasFixture f;
        CanvasController *c = f.open(QRectF(100, 100, 300, 200));
        c->setRailColumns(2);
        QVERIFY(!c->railGlide);
        QCOMPARE(c->railAsked, 132.0 * 2 + 52 + 18);
        QCOMPARE(Preferences::shared().numberValue(QStringLiteral("canvas.railWidth")), std::optional(334.0));
    }

    void columnsGlide()
    {
        ReduceMotion::setOverride(false);
        CanvasFixture f;
        CanvasController *c = f.open(QRectF(100, 100, 300, 200));
        c->setRailColumns(3);
        QVERIFY(c->railGlide);
        QTRY_VERIFY(!c->railGlide);
        QCOMPARE(c->railAsked, 132.0 * 3 + 52 + 36);
        QCOMPARE(Preferences::shared().numberValue(QStringLiteral("canvas.railWidth")), std::optional(c->railAsked));
    }

    // Of two thumbnail requests the one due sooner stays.
    void thumbnailRequests()
    {
        FakeScheduler clock;
        CanvasController::scheduler() = &clock;
        {
            CanvasFixture f;
            CanvasController *c = f.open(QRectF(100, 100, 300, 200));
            clock.advance(5);
            QVERIFY(!c->thumbnailDue);
            c->scheduleThumbnail(true, 0, 0.2);
            c->scheduleThumbnail(false, 0, 0.4);
            QCOMPARE(*c->thumbnailDue, clock.now() + 0.2);
            QCOMPARE(clock.pendingCount(), 1);
            c->scheduleThumbnail(false, 0, 0.1);
            QCOMPARE(*c->thumbnailDue, clock.now() + 0.1);
            QCOMPARE(clock.pendingCount(), 1);
            QVERIFY(c->pictureStale);
            QTRY_VERIFY(c->samplersReady());
            clock.advance(0.1);
            QVERIFY(!c->thumbnailDue);
            QVERIFY(!c->pictureStale);
            QCOMPARE(c->pictured, std::optional(c->markup));
        }
        // The controller is gone: its pending work does nothing.
        clock.advance(1);
        CanvasController::scheduler() = &Scheduler::system();
    }

    void panArea()
    {
        CanvasFixture f;
        CanvasController *c = f.open(QRectF(100, 100, 300, 200));
        c->toolbar->setGeometry(300, 700, 400, 34);
        const QRectF bounds(c->scrollView->rect());
        QCOMPARE(c->panArea(), QRectF(0, 0, bounds.width(), 700));
        c->toolbar->setGeometry(300, 10, 400, 34);
        QCOMPARE(c->panArea(), QRectF(0, 44, bounds.width(), bounds.height() - 44));
        c->toolbar->setGeometry(300, -100, 400, 2000);
        QVERIFY(c->panArea().height() >= 0);
    }

    void jolt()
    {
        CanvasFixture f;
        CanvasController *c = f.open(QRectF(100, 100, 300, 200));
        const QPoint at = c->scrollView->pos();
        ReduceMotion::setOverride(true);
        c->jolt(1, 0);
        QCOMPARE(c->joltsForTest, 1);
        QCOMPARE(c->scrollView->pos(), at);
        QCOMPARE(c->chrome->pos(), QPoint());
        ReduceMotion::setOverride(false);
        c->jolt(-1, 0);
        QCOMPARE(c->joltsForTest, 2);
        // It shakes at most 7 points and ends where it started.
        int farthest = 0;
        QTRY_VERIFY_WITH_TIMEOUT((farthest = std::max(farthest, qAbs(c->scrollView->pos().x() - at.x())),
                                  c->scrollView->pos() == at && farthest > 0),
                                 2000);
        QVERIFY(farthest <= 7);
        QCOMPARE(CanvasController::joltOffset(0.2), 1.0);
        QCOMPARE(CanvasController::joltOffset(0.5), -0.5);
        QCOMPARE(CanvasController::joltOffset(1), 0.0);
    }

    void drops()
    {
        CanvasFixture f;
        f.open(QRectF(100, 100, 300, 200));
        QTemporaryDir dir;
        auto *unreadable = new QMimeData;
        QFile bad(dir.filePath(QStringLiteral("bad.png")));
        QVERIFY(bad.open(QIODevice::WriteOnly));
        bad.write("not a picture");
        bad.close();
        unreadable->setUrls({QUrl::fromLocalFile(bad.fileName())});
        drop(f.view.get(), unreadable);
        QCOMPARE(toastText(), QStringLiteral("Quillet™ cannot read that image"));

        auto *two = new QMimeData;
        QList<QUrl> urls;
        for (const QString &name : {QStringLiteral("a.png"), QStringLiteral("b.png")}) {
            QFile file(dir.filePath(name));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(pngData(40, 30));
            file.close();
            urls << QUrl::fromLocalFile(file.fileName());
        }
        two->setUrls(urls);
        drop(f.view.get(), two);
        QTRY_COMPARE(toastText(), Importer::addedMessage(2, 0));
        delete unreadable;
        delete two;
    }

    // Closing a canvas opened for a further shot hides it and brings the parent forward.
    void closeInAddShotMode()
    {
        CanvasFixture f(QSize(1440, 875), 1, OverlayViewHost::Mode::Canvas);
        f.open(QRectF(100, 100, 300, 200));
        f.view->canvasClosedByUser();
        QCOMPARE(f.host->calls.last(), QStringLiteral("end reactivate"));

        OverlayFakeHost parent(OverlayViewHost::Mode::Canvas);
        OverlayFakeHost child(OverlayViewHost::Mode::AddShot, &parent);
        f.view->setSession(&child);
        f.view->canvasClosedByUser();
        QCOMPARE(child.calls, QStringList{QStringLiteral("hideOverlays")});
        QCOMPARE(parent.calls, QStringList{QStringLiteral("bringForward")});
    }

    // The canvas goes while its samplers are still being made: nothing reaches it afterwards.
    void closingAtOnce()
    {
        for (int i = 0; i < 5; ++i) {
            auto f = std::make_unique<CanvasFixture>(QSize(1440, 875), 2);
            f->open(QRectF(100, 100, 600, 400));
            f.reset();
        }
        QThreadPool::globalInstance()->waitForDone();
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    void cursorOverTheCanvas()
    {
        CanvasFixture f;
        CanvasController *c = f.open(QRectF(100, 100, 300, 200));
        const QPoint onCanvas = c->scrollView->geometry().center();
        QCOMPARE(f.view->cursorAt(onCanvas).shape(), Qt::CrossCursor);
        c->isPanning = true;
        QCOMPARE(f.view->cursorAt(onCanvas).shape(), Qt::OpenHandCursor);
        QCOMPARE(f.view->cursorAt(c->commands->geometry().center()).shape(), Qt::ArrowCursor);
        QCOMPARE(f.view->cursorAt(QPoint(-5, 10)).shape(), Qt::ArrowCursor);
    }

    // Escape disarms, then deselects, then closes.
    void escape()
    {
        CanvasFixture f;
        CanvasController *c = f.open(QRectF(100, 100, 300, 200));
        c->armed = Tool::box;
        QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QVERIFY(c->keyDown(&esc));
        QVERIFY(!c->armed);
        c->selectedShot = c->markup.shots.first().id;
        QVERIFY(c->keyDown(&esc));
        QVERIFY(!c->selectedShot);
        QKeyEvent other(QEvent::KeyPress, Qt::Key_7, Qt::NoModifier, QStringLiteral("7"));
        QVERIFY(!c->keyDown(&other));
    }
};

QUILLET_TEST_MAIN(TestCanvasWindow)
#include "tst_canvaswindow.moc"
