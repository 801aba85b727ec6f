#include "CanvasFixture.h"

#include "TestEnv.h"

#include "../history/PageMaker.h"

#include "document/ItemKind.h"
#include "platform/fake/FakeScheduler.h"

namespace {
Importer::Picture picture(int w, int h, double scale = 1)
{
    return Importer::Picture{PageMaker::picture(w, h), scale, std::nullopt};
}

QUuid firstShot(const CanvasController::Page &page)
{
    return page.markup.shots.isEmpty() ? QUuid() : page.markup.shots.first().id;
}
} // namespace

// The pages of a canvas: how they come in, how the current one is left and shown again, and
// the snapshot the autosave takes.
class TestCanvasPages : public QObject
{
    Q_OBJECT

    std::unique_ptr<CanvasFixture> f;
    CanvasController *c = nullptr;
    FakeScheduler clock;

private slots:
    void init()
    {
        CanvasController::scheduler() = &clock;
        f = std::make_unique<CanvasFixture>(QSize(1440, 875), 1, OverlayViewHost::Mode::Canvas);
        c = f->open(QRectF(100, 100, 600, 400));
    }
    void cleanup()
    {
        f.reset();
        CanvasController::scheduler() = &Scheduler::system();
    }

    // A shot added to three pages becomes page 0 and is shown; the others (with their done
    // marks) move down one.
    void addedShotGoesFirst()
    {
        c->addPictures({picture(300, 200), picture(200, 300)}, false);
        QCOMPARE(c->pages.size(), 3);
        QCOMPARE(c->currentPage, 0);
        c->pages[1].done = true;
        const QList<QUuid> before = {firstShot(c->pages[0]), firstShot(c->pages[1]), firstShot(c->pages[2])};

        c->addShot(PageMaker::picture(800, 600), 2, QRectF(0, 0, 400, 300));
        QCOMPARE(c->pages.size(), 4);
        QCOMPARE(c->currentPage, 0);
        QCOMPARE(c->markup.shots.size(), 1);
        QCOMPARE(c->markup.shots.first().rect, QRectF(0, 0, 400, 300));
        QCOMPARE(c->images.value(c->markup.shots.first().id).pixelScale, 2.0);
        for (int i = 0; i < 3; ++i)
            QCOMPARE(firstShot(c->pages[i + 1]), before[i]);
        QVERIFY(c->pages[2].done);
        QVERIFY(!c->pages[1].done && !c->pages[3].done);
        QVERIFY(!c->pages[0].asAdded);
        QVERIFY(!c->rail->isHidden());
    }

    // Opened pictures go in front and the first is shown; otherwise they go at the back and the
    // current page stays. Either way they keep what they were added as, and a provisional picture.
    void addedPictures()
    {
        const QUuid first = c->markup.shots.first().id;
        c->addPictures({picture(1600, 400)}, false);
        QCOMPARE(c->pages.size(), 2);
        QCOMPARE(c->currentPage, 0);
        QCOMPARE(c->markup.shots.first().id, first);
        QCOMPARE(c->pages[1].asAdded, std::optional(c->pages[1].markup));
        QCOMPARE(c->pages[1].picture->width(), 720);
        QVERIFY(c->thumbnailPending());

        c->addPictures({picture(300, 200, 2), picture(100, 100)}, true);
        QCOMPARE(c->pages.size(), 4);
        QCOMPARE(c->currentPage, 0);
        QCOMPARE(c->markup.shots.first().rect, QRectF(0, 0, 150, 100));
        QCOMPARE(c->pages[1].markup.shots.first().rect, QRectF(0, 0, 100, 100));
        QCOMPARE(firstShot(c->pages[2]), first);
        c->addPictures({}, true);
        QCOMPARE(c->pages.size(), 4);
    }

    // The unit makes marks keep their size on screen: a shot shown at half its size gets unit 2.
    void unitFollowsTheFittedFrame()
    {
        const auto made = c->makePage(PageMaker::picture(4000, 2000), 1, QRectF(0, 0, 4000, 2000));
        QCOMPARE(made.page.markup.shots.first().origin, QPointF(0, 0));
        QVERIFY(made.frame.width() > 1 && made.frame.width() < 4000);
        QCOMPARE(made.page.markup.unit * made.frame.width(), 4000.0);
        QVERIFY(c->visibleArea().contains(made.frame));
        // A tiny shot is not blown up: unit 1.
        QCOMPARE(c->makePage(PageMaker::picture(40, 30), 1, QRectF(0, 0, 40, 30)).page.markup.unit, 1.0);
    }

    void openRecentThatCannotOpen()
    {
        c->pages[0].historyID = QStringLiteral("20250101-101010-ABCD");
        const QUuid shown = c->markup.shots.first().id;
        QVERIFY(!c->openRecent(QStringLiteral("20250101-101010-ABCD")));
        QVERIFY(!c->openRecent(QStringLiteral("20250101-090000-0000"))); // no such entry
        QCOMPARE(c->pages.size(), 1);
        QCOMPARE(c->markup.shots.first().id, shown);
    }

    // An earlier capture opens placed by its date among the pages, with its rail picture.
    void openRecentByDate()
    {
        const PageMaker::Page page = PageMaker::page(QSize(80, 60));
        const QDateTime when = QDateTime::currentDateTime().addSecs(-3600);
        const auto id = Recents::save(page.markup, page.images, PageMaker::picture(80, 60), std::nullopt,
                                      std::nullopt, std::nullopt, when, true);
        QVERIFY(id);
        c->addPictures({picture(300, 200)}, false);
        c->pages[1].created = when.addSecs(-60);
        QVERIFY(c->openRecent(*id));
        QCOMPARE(c->pages.size(), 3);
        QCOMPARE(c->currentPage, 1);
        QCOMPARE(c->pages[1].historyID, id);
        QCOMPARE(c->markup.shots.first().id, page.markup.shots.first().id);
        QVERIFY(c->pages[1].picture);
        QVERIFY(!c->pages[1].pictured);
        QVERIFY(!c->openRecent(*id));
    }

    void markDone()
    {
        QVERIFY(!c->markCurrentPageDone());
        QVERIFY(c->pages[0].done);
        c->addPictures({picture(300, 200)}, false);
        QVERIFY(c->markCurrentPageDone());
    }

    // A page never left is fitted; one left before comes back at its zoom and scroll.
    void showPageKeepsTheView()
    {
        c->addPictures({picture(900, 700)}, false);
        c->scrollView->setView(1.7, QPointF(33, 44));
        c->selectPage(1);
        QCOMPARE(c->currentPage, 1);
        QVERIFY(c->railFocused);
        const double fitted = c->scrollView->magnification();
        c->zoomToFit();
        QCOMPARE(c->scrollView->magnification(), fitted);

        c->selectPage(0);
        QCOMPARE(c->scrollView->magnification(), 1.7);
        QVERIFY(std::abs(c->scrollView->origin().x() - 33) <= 1.0 / 1.7);
        QVERIFY(std::abs(c->scrollView->origin().y() - 44) <= 1.0 / 1.7);
        c->selectPage(7);
        QCOMPARE(c->currentPage, 0);
    }

    // Leaving a page stores its edits, undo history and picture; a page whose picture is up to
    // date is not rendered again.
    void leavingAPageStoresIt()
    {
        c->addPictures({picture(300, 200)}, false);
        const Item a = Item::arrowFrom(QPointF(10, 10), QPointF(200, 150), 0, 2);
        const Markup before = c->markup;
        c->markup.items.append(a);
        c->recordUndo(before);
        c->selectPage(1);
        QVERIFY(c->pages[0].markup.item(a.id));
        QCOMPARE(c->pages[0].history.past.size(), 1);
        QCOMPARE(c->pages[0].stamps.size(), 1);
        QVERIFY(c->pages[0].pictured);
        QVERIFY(!c->markup.item(a.id));
        QVERIFY(c->selection.isEmpty());

        const qint64 key = c->pages[0].picture->cacheKey();
        c->selectPage(0);
        c->selectPage(1);
        QCOMPARE(c->pages[0].picture->cacheKey(), key);
        QVERIFY(c->markup.shots.first().id == firstShot(c->pages[1]));
    }

    // The autosave's snapshot leaves blank comments out of the current page only; the canvas
    // keeps them.
    void pagesForSaving()
    {
        Item blank = Item::noteAt(QPointF(50, 50), TextSide::right, 200, "Menlo-Bold", 0, 2);
        blank.string = QStringLiteral("  \n ");
        Item word = Item::noteAt(QPointF(50, 150), TextSide::right, 200, "Menlo-Bold", 0, 2);
        word.string = QStringLiteral("x");
        c->markup.items = {blank, word};
        c->setPageHistory(0, QStringLiteral("20250101-101010-ABCD"), std::nullopt);
        const QDateTime created = c->pages[0].created;
        c->setPageHistory(5, QStringLiteral("elsewhere"), QDateTime());

        const QList<SessionPage> saved = c->pagesForSaving();
        QCOMPARE(saved.size(), 1);
        QCOMPARE(saved[0].markup.items.size(), 1);
        QCOMPARE(saved[0].markup.items.first().id, word.id);
        QCOMPARE(saved[0].historyId, std::optional<QString>("20250101-101010-ABCD"));
        QCOMPARE(saved[0].created, created);
        QCOMPARE(c->markup.items.size(), 2);
        QVERIFY(c->pages[0].markup.items.isEmpty()); // the stored page lags until it is saved

        c->currentPage = 3;
        QVERIFY(c->pagesForSaving()[0].markup.items.isEmpty());
    }

    // The thumbnail waits for the colour samplers, but not beyond its twelfth retry; a render
    // that fails keeps the picture the page had.
    void pagePicture()
    {
        QTRY_VERIFY(c->samplersReady());
        c->samplers.clear();
        c->pages[0].picture.reset();
        c->pages[0].pictured = false;
        c->scheduleThumbnail(true, 0, 0);
        clock.advance(0);
        for (int i = 0; i < 11; ++i) {
            QVERIFY(!c->pages[0].pictured);
            clock.advance(0.15);
        }
        QVERIFY(!c->pages[0].pictured);
        clock.advance(0.15);
        QVERIFY(c->pages[0].pictured);
        const QImage made = *c->pages[0].picture;
        QVERIFY(made.width() <= 768 && made.height() <= 480);

        c->images.clear(); // nothing to draw
        c->markPictureStale();
        c->updateThumbnailNow();
        QCOMPARE(c->pages[0].picture->cacheKey(), made.cacheKey());
        c->pages[0].picture.reset();
        c->pages[0].pictured = false;
        c->updateThumbnailNow();
        QVERIFY(!c->pages[0].picture && !c->pages[0].pictured);
    }

    // The session's export of the current page: exact, at the shots' density.
    void renderCurrentPage()
    {
        const RenderedPage page = c->renderCurrentPage(false);
        QCOMPARE(page.picture.size(), QSize(600, 400));
        QCOMPARE(page.scale, 1.0);
        QCOMPARE(c->pageCount(), 1);

        // A short comment beside the shot adds its text, not the width it may wrap to.
        c->endEditing();
        const QRectF shot = c->markup.shotRect();
        Item note = Item::noteAt(QPointF(shot.right() + 40, shot.top() + 20), TextSide::right, 500, c->font, 0, 2);
        note.string = QStringLiteral("two");
        c->markup.items = QList<Item>{note};
        c->refresh(false);
        const QRectF text = c->itemFrame(note);
        QVERIFY(text.left() > shot.right() && text.width() < 200);
        const QImage wider = c->renderCurrentPage(false).picture;
        QCOMPARE(wider.width(), qCeil(text.right() + 16 - shot.left()));
    }
};

QUILLET_TEST_MAIN(TestCanvasPages)
#include "tst_canvaspages.moc"
