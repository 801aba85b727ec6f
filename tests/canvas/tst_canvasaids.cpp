#include "CanvasFixture.h"

#include "TestEnv.h"

#include "canvas/CanvasChrome.h"
#include "platform/fake/FakeScheduler.h"
#include "rail/PageRail.h"

// The aids the canvas draws over the document and its placing of the content: the export box,
// and the content kept in view when the rail changes width.
class TestCanvasAids : public QObject
{
    Q_OBJECT

    std::unique_ptr<CanvasFixture> f;
    CanvasController *c = nullptr;
    FakeScheduler clock;

    void open(double scale)
    {
        f = std::make_unique<CanvasFixture>(QSize(1440, 875), scale, OverlayViewHost::Mode::Canvas);
        c = f->open(QRectF(100, 100, 600, 400));
        QVERIFY(c);
        c->endEditing(); // the new shot's untouched comment goes
        c->scrollView->zoom(1, QPointF());
    }

private slots:
    void init() { CanvasController::scheduler() = &clock; }
    void cleanup()
    {
        f.reset();
        setPreference(QStringLiteral("canvas.exportBox"), true);
        CanvasController::scheduler() = &Scheduler::system();
    }

    // The export box shows what an export covers when that is more than one plain shot: a mark
    // sticking out widens it by a margin of 16 pixels of the picture (8 pt at 2x) on that side; a
    // second shot shows it too; never with the preference off.
    void exportBox_data()
    {
        QTest::addColumn<double>("scale");
        QTest::addColumn<bool>("sticksOut");
        QTest::addColumn<bool>("secondShot");
        QTest::addColumn<bool>("on");
        QTest::addColumn<bool>("shown");
        QTest::newRow("one plain shot") << 2.0 << false << false << true << false;
        QTest::newRow("a mark sticks out at 2x") << 2.0 << true << false << true << true;
        QTest::newRow("a mark sticks out at 1x") << 1.0 << true << false << true << true;
        QTest::newRow("two shots") << 1.0 << false << true << true << true;
        QTest::newRow("turned off") << 2.0 << true << true << false << false;
    }
    void exportBox()
    {
        QFETCH(double, scale);
        QFETCH(bool, sticksOut);
        QFETCH(bool, secondShot);
        QFETCH(bool, on);
        QFETCH(bool, shown);
        setPreference(QStringLiteral("canvas.exportBox"), on);
        open(scale);
        const QRectF s = c->markup.shotRect();
        QRectF expected = s;
        if (sticksOut) {
            const Item box = Item::withRect(ItemKind::box, QRectF(s.right() - 40, s.center().y(), 100, 30), 0, 2);
            c->markup.items.append(box);
            c->refresh(false);
            const QRectF frame = c->itemFrame(box);
            expected.setRight(frame.right() + 16 / scale);
        }
        if (secondShot) {
            Shot second = c->markup.shots.first();
            second.id = QUuid::createUuid();
            second.moveBy(0, 500);
            c->markup.shots.append(second);
            c->refresh(false);
            expected = expected.united(second.rect);
        }
        const auto &box = c->chrome->exportBox();
        QCOMPARE(box.has_value(), shown);
        if (!shown)
            return;
        const QRectF r = box->boundingRect();
        const QRectF want = c->toHost(expected).adjusted(-0.5, -0.5, 0.5, 0.5);
        QVERIFY2(qAbs(r.left() - want.left()) < 1e-6 && qAbs(r.right() - want.right()) < 1e-6
                     && qAbs(r.top() - want.top()) < 1e-6 && qAbs(r.bottom() - want.bottom()) < 1e-6,
                 qPrintable(QStringLiteral("(%1, %2, %3, %4)").arg(r.left()).arg(r.top()).arg(r.right()).arg(r.bottom())));
    }

    // Widening the rail keeps the content where it was against the free area's centre: it moves
    // half the width the rail grew by, at the same zoom.
    void railWideningKeepsContentCentred()
    {
        open(1);
        c->rail->show();
        c->setRailWidth(200, false);
        const QRectF before = c->visibleArea();
        // The shot at zoom 1 in the middle of the free area.
        const QRectF s = c->markup.shotRect();
        QRectF middle(QPointF(), s.size());
        middle.moveCenter(before.center());
        c->scrollView->showDocumentRect(s, middle.translated(-QPointF(c->scrollView->pos())));
        const QRectF shown = c->toHost(c->markup.shotRect());
        const double zoom = c->scrollView->magnification();
        c->setRailWidth(300, false);
        const QRectF after = c->visibleArea();
        QCOMPARE(after.left() - before.left(), 100.0);
        QCOMPARE(c->scrollView->magnification(), zoom);
        const QRectF now = c->toHost(c->markup.shotRect());
        QCOMPARE(shown.center().x(), before.center().x());
        QCOMPARE(now.left() - shown.left(), 50.0);
        QCOMPARE(now.top(), shown.top());
        QCOMPARE(now.width(), shown.width());
    }

    // A mark sticking out past the free area does not let the rail push the shot under itself:
    // the shot, wholly in view before, is kept clear of the wider rail.
    void railWideningKeepsTheShotInViewWhenAMarkSticksOut()
    {
        open(1);
        c->rail->show();
        c->setRailWidth(184, false);
        const QRectF area = c->visibleArea();
        const QRectF s = c->markup.shotRect();
        c->scrollView->showDocumentRect(
            s, QRectF(area.left() + 40, area.top() + 40, s.width(), s.height()).translated(-QPointF(c->scrollView->pos())));
        c->markup.items.append(Item::withRect(ItemKind::box, QRectF(s.right() + 100, s.top(), area.width(), 100), 0, 2));
        c->refresh(true);
        c->setRailWidth(692, false); // the widest the window allows
        const QRectF shot = c->toHost(c->markup.shotRect());
        const QRectF now = c->visibleArea();
        QVERIFY2(shot.left() >= now.left() && shot.right() <= now.right(),
                 qPrintable(QStringLiteral("shot %1..%2, area %3..%4")
                                .arg(shot.left()).arg(shot.right()).arg(now.left()).arg(now.right())));
    }
};

QUILLET_TEST_MAIN(TestCanvasAids)
#include "tst_canvasaids.moc"
