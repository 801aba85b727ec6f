// How the later stages open and close a canvas on the staged screen, click on it and type.
#include "StageFixture.h"

#include "selfcheck/AnotherShot.h"
#include "selfcheck/AutosaveStages.h"
#include "selfcheck/CommentChecks.h"
#include "selfcheck/PasteStages.h"

#include "canvas/CanvasController.h"
#include "capture/CaptureSession.h"
#include "capture/OverlayView.h"

using namespace Autopilot;

using Stage = void (*)(const Handover &);
Q_DECLARE_METATYPE(Stage)

namespace {
QStringList strings(const CanvasController *c)
{
    QStringList found;
    for (const Item &item : c->markup.items)
        if (item.kind == ItemKind::text)
            found.append(item.string);
    return found;
}
} // namespace

class TestCanvasSessions : public QObject
{
    Q_OBJECT

    std::unique_ptr<StageFixture::Services> services;

private slots:
    void initTestCase() { services = std::make_unique<StageFixture::Services>(); }

    void stagedScreenTakesThePicturesDensity()
    {
        const ScreenInfo screen = StageFixture::screen();
        QCOMPARE(screen.geometry, QRect(0, 0, 1440, 900));
        QCOMPARE(screen.pixelScale, 2.0);
        QCOMPARE(stagedScreen(QSize(1440, 900), QImage()).pixelScale, 1.0);
    }

    // A canvas opens on the chosen area, a click on empty canvas makes a comment there and what
    // is typed lands in it; closing ends the session and writes the page to the history.
    void openClickTypeClose()
    {
        QPointer<CaptureSession> session =
            openCanvas(StageFixture::screen(), StageFixture::picture(), QRectF(200, 150, 640, 400));
        CanvasController *c = canvasOf(session);
        QVERIFY(c);
        QCOMPARE(c->pages.size(), 1);
        QCOMPARE(canvasHost(c), session->active());
        QVERIFY(session->active()->isVisible());

        const QPointF p = c->markup.shotRect().bottomRight() + QPointF(-100, -100);
        click(c, p);
        QVERIFY(c->editing);
        type(c, QStringLiteral("typed"));
        type(c, QStringLiteral(" twice"));
        QVERIFY(strings(c).contains(QStringLiteral("typed twice")));
        c->endEditing();
        type(c, QStringLiteral("nowhere"));
        QVERIFY(!strings(c).join(QString()).contains(QStringLiteral("nowhere")));

        closeCanvas(session);
        Recents::queue().sync([] {});
        QCOMPARE(Recents::list().size(), 1);
        QTRY_VERIFY(!session);
        closeCanvas(nullptr);
        click(nullptr, QPointF());
        type(nullptr, QStringLiteral("x"));
    }

    // A further shot with a parent becomes the top page of the parent's canvas; Escape on a
    // further shot hides it and brings the parent's canvas back as it was.
    void furtherShots()
    {
        QPointer<CaptureSession> first =
            openCanvas(StageFixture::screen(), StageFixture::picture(), QRectF(0, 0, 1440, 900));
        CanvasController *c = canvasOf(first);
        QVERIFY(c);
        first->hideForCapture();
        QPointer<CaptureSession> shot = openCanvas(StageFixture::screen(), StageFixture::picture(2),
                                                   QRectF(300, 100, 500, 300), OverlayViewHost::Mode::AddShot, first);
        QCOMPARE(c->pages.size(), 2);
        QCOMPARE(c->currentPage, 0);
        QVERIFY(!first->child());
        QTRY_VERIFY(!shot);

        first->hideForCapture();
        auto *third = new CaptureSession(QList<FrozenFrame>{{StageFixture::screen(), StageFixture::picture(2)}},
                                         std::nullopt, OverlayViewHost::Mode::AddShot);
        first->setChild(third);
        third->show();
        QVERIFY(!third->views().isEmpty());
        closeCanvas(third);
        QVERIFY(third->views().isEmpty());
        QVERIFY(!first->child());
        QCOMPARE(c->pages.size(), 2);
        QVERIFY(canvasHost(c)->window()->isVisible());

        closeCanvas(first);
        QTRY_VERIFY(!first);
    }

    // A stage whose canvas did not open says so and ends the run.
    void stagesWithoutACanvasEndTheRun_data()
    {
        QTest::addColumn<Stage>("stage");
        QTest::addColumn<QString>("line");
        QTest::newRow("another shot") << Stage(anotherShot) << "FAIL session canvas opens  ";
        QTest::newRow("autosave") << Stage(autosaveTyping) << "FAIL autosave canvas opens  ";
        QTest::newRow("paste") << Stage(pasteChecks) << "FAIL paste canvas opens  ";
        QTest::newRow("comments") << Stage(commentChecks) << "FAIL canvas for the comment checks  ";
    }
    void stagesWithoutACanvasEndTheRun()
    {
        QFETCH(Stage, stage);
        QFETCH(QString, line);
        SelfCheckOutput out;
        StageFixture::Next next;
        stage(StageFixture::start(QString()));
        QCOMPARE(out.lines, QStringList({line, "1 checks FAILED"}));
        QCOMPARE(out.status, std::optional<int>(1));
        QVERIFY(!next.number);
    }
};

QUILLET_STAGE_TEST_MAIN(TestCanvasSessions)
#include "tst_canvassessions.moc"
