#include "CanvasFixture.h"

#include "TestEnv.h"

#include "../capture/SessionFixture.h"
#include "../history/PageMaker.h"

#include "capture/CaptureSession.h"
#include "history/PageWriter.h"
#include "platform/fake/FakeScheduler.h"

namespace {
using Rows = QList<PageRail::Row>;

QString saveEntry(const QDateTime &created, const PageMaker::Page &page = PageMaker::page(QSize(80, 60)))
{
    const auto id = Recents::save(page.markup, page.images, PageMaker::picture(80, 60), std::nullopt, std::nullopt,
                                  std::nullopt, created, true);
    return id.value_or(QString());
}

void breakEntry(const QString &id)
{
    PageMaker::writeFile(PageMaker::entryPath(id, "canvas.json"), "{ broken");
}

QString trashFolder()
{
    return QDir(qEnvironmentVariable("XDG_DATA_HOME")).filePath("Trash");
}
} // namespace

// Pages and earlier captures removed from the rail, and what undo and redo bring back.
class TestCanvasRemoval : public QObject
{
    Q_OBJECT

    std::unique_ptr<CanvasFixture> f;
    CanvasController *c = nullptr;
    FakeScheduler clock;

    void addPages(int n)
    {
        QList<Importer::Picture> added;
        for (int i = 0; i < n; ++i)
            added << Importer::Picture{PageMaker::picture(60 + i, 40), 1, std::nullopt};
        c->addPictures(added, false);
    }
    QList<QUuid> shots() const
    {
        QList<QUuid> out;
        for (int i = 0; i < c->pages.size(); ++i)
            out << (i == c->currentPage ? c->markup : c->pages[i].markup).shots.first().id;
        return out;
    }

private slots:
    void init()
    {
        QDir(Recents::folder()).removeRecursively();
        QDir(trashFolder()).removeRecursively();
        CanvasController::scheduler() = &clock;
        f = std::make_unique<CanvasFixture>(QSize(1440, 875), 1, OverlayViewHost::Mode::Canvas);
        c = f->open(QRectF(100, 100, 600, 400));
    }
    void cleanup()
    {
        f.reset();
        Recents::queue().sync([] {});
        CanvasController::scheduler() = &Scheduler::system();
    }

    // Where the current page goes when pages around it or itself are removed.
    void currentPageAfterRemoval_data()
    {
        QTest::addColumn<int>("current");
        QTest::addColumn<QList<int>>("removed");
        QTest::addColumn<int>("shownBefore"); // the index, before the removal, of the page shown after
        QTest::newRow("after the current") << 1 << QList<int>{3, 4} << 1;
        QTest::newRow("before the current") << 3 << QList<int>{0, 1} << 3;
        QTest::newRow("around the current") << 2 << QList<int>{0, 4} << 2;
        QTest::newRow("the current, last") << 4 << QList<int>{4} << 3;
        QTest::newRow("the current, not last") << 1 << QList<int>{1, 2} << 3;
    }
    void currentPageAfterRemoval()
    {
        QFETCH(int, current);
        QFETCH(QList<int>, removed);
        QFETCH(int, shownBefore);
        addPages(4);
        c->selectPage(current);
        const QList<QUuid> before = shots();
        Rows rows;
        for (int i : removed)
            rows << PageRail::Row::ofPage(i);
        QVERIFY(c->removePages(rows));
        QCOMPARE(c->pages.size(), 5 - removed.size());
        QCOMPARE(shots()[c->currentPage], before[shownBefore]);
        QCOMPARE(c->markup.shots.first().id, before[shownBefore]);
        QCOMPARE(c->removed.size(), 1);
        QCOMPARE(c->removed[0].pages.size(), removed.size());
    }

    // Undoing the removal of pages 2 and 4 puts both back in their places and shows the first;
    // the page that was current keeps what was done on it.
    void undoShowsTheFirstRestored()
    {
        addPages(4);
        const QList<QUuid> before = shots();
        QVERIFY(c->removePages({PageRail::Row::ofPage(2), PageRail::Row::ofPage(4)}));
        QCOMPARE(c->currentPage, 0);
        const Item box = Item::withRect(ItemKind::box, QRectF(5, 5, 20, 20), 0, 2);
        c->markup.items.append(box);
        c->undo();
        QCOMPARE(shots(), before);
        QCOMPARE(c->currentPage, 2);
        QCOMPARE(c->markup.shots.first().id, before[2]);
        QVERIFY(c->pages[0].markup.item(box.id));
        QVERIFY(c->restored);
        QCOMPARE(c->restored->pages, (QList<QUuid>{before[2], before[4]}));
        QVERIFY(c->railFocused);
        QCOMPARE(c->rail->count(), 5);
    }

    // Only the last 30 removals are kept.
    void thirtyRemovals()
    {
        addPages(31);
        for (int i = 0; i < 31; ++i)
            QVERIFY(c->removePages({PageRail::Row::ofPage(1)}));
        QCOMPARE(c->pages.size(), 1);
        QCOMPARE(c->removed.size(), 30);
        QCOMPARE(c->removed.first().clock, 2);
        QCOMPARE(c->removed.last().clock, 31);
        QVERIFY(!c->removePages({PageRail::Row::ofPage(0)})); // the last page stays
        QVERIFY(!c->removePages({}));
    }

    // With every page picked the canvas keeps one: the first earlier capture after the current
    // page that opens, else the current page.
    void everyPagePicked_data()
    {
        QTest::addColumn<bool>("secondReadable");
        QTest::newRow("second opens") << true;
        QTest::newRow("none opens") << false;
    }
    void everyPagePicked()
    {
        QFETCH(bool, secondReadable);
        const QString broken = saveEntry(QDateTime::currentDateTime().addSecs(-3600));
        const QString good = saveEntry(QDateTime::currentDateTime().addSecs(-7200));
        breakEntry(broken);
        if (!secondReadable)
            breakEntry(good);
        addPages(1);
        c->refreshRail(false);
        QCOMPARE(c->recentShownIDs(), (QStringList{broken, good}));
        const QUuid current = c->markup.shots.first().id;

        QVERIFY(c->removePages({PageRail::Row::ofPage(0), PageRail::Row::ofPage(1)}));
        QCOMPARE(c->pages.size(), 1);
        QCOMPARE(c->currentPage, 0);
        if (secondReadable) {
            QCOMPARE(c->pages[0].historyID, std::optional(good));
            QCOMPARE(c->removed.last().pages.size(), 2);
        } else {
            QCOMPARE(c->markup.shots.first().id, current);
            QCOMPARE(c->removed.last().pages.size(), 1);
        }
    }

    // A removed earlier capture leaves the rail at once and comes back with undo; redo takes it
    // away again.
    void removedRecent()
    {
        const QString id = saveEntry(QDateTime::currentDateTime().addSecs(-60));
        c->refreshRail(false);
        QCOMPARE(c->recentShownIDs(), QStringList{id});
        QVERIFY(c->removePages({PageRail::Row::ofRecent(id)}));
        QVERIFY(c->recentShownIDs().isEmpty());
        QVERIFY(c->forgotten.contains(id));
        Recents::queue().sync([] {});
        QVERIFY(!QFileInfo::exists(PageMaker::entryPath(id)));

        c->undo();
        QTRY_COMPARE(c->recentShownIDs(), QStringList{id});
        QVERIFY(QFileInfo::exists(PageMaker::entryPath(id, "canvas.json")));
        c->redo();
        QVERIFY(c->recentShownIDs().isEmpty());
        Recents::queue().sync([] {});
        QVERIFY(!QFileInfo::exists(PageMaker::entryPath(id)));
    }

    // A removed page's entry comes back with undo, and the autosave writes the page again even
    // when its entry was lost meanwhile (the Trash emptied).
    void undoneRemovalIsSaved_data()
    {
        QTest::addColumn<bool>("emptyTrash");
        QTest::newRow("entry restored") << false;
        QTest::newRow("trash emptied") << true;
    }
    void undoneRemovalIsSaved()
    {
        QFETCH(bool, emptyTrash);
        auto *session = new CaptureSession({SessionFixture::frame(QRect(0, 0, 400, 300), 1)}, std::nullopt,
                                           OverlayViewHost::Mode::Canvas);
        std::unique_ptr<CaptureSession> owner(session);
        c->session = session;
        addPages(1);
        Item arrow = Item::arrowFrom(QPointF(1, 1), QPointF(30, 20), 0, 2);
        c->pages[1].markup.items.append(arrow);
        PageWriter::writePages(*session, *c, true);
        const std::optional<QString> id = c->pages[1].historyID;
        QVERIFY(id);
        QVERIFY(session->writtenPages().contains(*id));

        QVERIFY(c->removePages({PageRail::Row::ofPage(1)}));
        Recents::queue().sync([] {});
        QVERIFY(!QFileInfo::exists(PageMaker::entryPath(*id)));
        if (emptyTrash)
            QVERIFY(QDir(trashFolder()).removeRecursively());
        const Markup before = c->markup;
        c->markup.items.append(Item::withRect(ItemKind::box, QRectF(5, 5, 20, 20), 0, 2));
        c->recordUndo(before);
        c->undo();
        c->undo();
        QCOMPARE(c->pages.size(), 2);
        QVERIFY(!session->writtenPages().contains(*id));
        QVERIFY(!c->forgotten.contains(*id));
        Recents::queue().sync([] {});
        PageWriter::writePages(*session, *c, false); // the close's write
        Recents::queue().sync([] {});
        const auto loaded = Recents::load(*id);
        QVERIFY(loaded);
        QVERIFY(loaded->markup.item(arrow.id));
        c->session = nullptr;
    }
};

QUILLET_TEST_MAIN(TestCanvasRemoval)
#include "tst_canvasremoval.moc"
