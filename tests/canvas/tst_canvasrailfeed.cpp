#include "CanvasFixture.h"

#include "TestEnv.h"

#include "../history/PageMaker.h"

#include "platform/fake/FakeScheduler.h"

#include <QBuffer>
#include <QImageReader>

namespace {
using Rows = QStringList;

QDateTime at(const QString &hhmm)
{
    return QDateTime(QDate(2025, 3, 4), QTime::fromString(hhmm, "hh:mm"));
}

QString saveEntry(const QDateTime &created, QSize size = QSize(80, 60))
{
    const PageMaker::Page page = PageMaker::page(size);
    const auto id = Recents::save(page.markup, page.images, PageMaker::picture(size.width(), size.height()),
                                  std::nullopt, std::nullopt, std::nullopt, created, true);
    return id.value_or(QString());
}

double pngScale(const QByteArray &png)
{
    const QImage image = QImage::fromData(png, "PNG");
    return image.dotsPerMeterX() * 0.0254 / 72;
}
} // namespace

// What the canvas hands its page rail: the rows in order, the earlier captures with their
// pictures, and the files dragged out.
class TestCanvasRailFeed : public QObject
{
    Q_OBJECT

    std::unique_ptr<CanvasFixture> f;
    CanvasController *c = nullptr;
    FakeScheduler clock;

private slots:
    void init()
    {
        QDir(Recents::folder()).removeRecursively();
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

    // Earlier captures sit between the pages by date; one dated like a page follows it.
    void rows_data()
    {
        QTest::addColumn<QStringList>("pages");
        QTest::addColumn<QStringList>("recents");
        QTest::addColumn<Rows>("rows");
        QTest::newRow("interleaved") << QStringList{"10:00", "09:00"} << QStringList{"10:30", "09:30", "08:00"}
                                     << Rows{"r10:30", "p0", "r09:30", "p1", "r08:00"};
        QTest::newRow("same date after the page")
            << QStringList{"10:00"} << QStringList{"10:00", "09:00"} << Rows{"p0", "r10:00", "r09:00"};
        QTest::newRow("no recents") << QStringList{"10:00", "09:00"} << QStringList{} << Rows{"p0", "p1"};
        QTest::newRow("all newer") << QStringList{"08:00"} << QStringList{"10:00", "09:00"}
                                   << Rows{"r10:00", "r09:00", "p0"};
    }
    void rows()
    {
        QFETCH(QStringList, pages);
        QFETCH(QStringList, recents);
        QFETCH(Rows, rows);
        c->pages.resize(pages.size());
        for (int i = 0; i < pages.size(); ++i)
            c->pages[i].created = at(pages[i]);
        c->recentShown.clear();
        for (const QString &r : recents)
            c->recentShown << PageRail::Recent{r, r, QImage(), at(r)};
        Rows got;
        for (const PageRail::Row &row : c->railRows())
            got << (row.isPage() ? QStringLiteral("p%1").arg(row.page) : QStringLiteral("r") + row.recent);
        QCOMPARE(got, rows);
    }

    // Of 25 entries the 20 newest, leaving out a page's own and forgotten ones.
    void newestTwenty()
    {
        QStringList ids; // newest first
        for (int i = 0; i < 25; ++i)
            ids.prepend(saveEntry(at("08:00").addSecs(60 * i)));
        c->refreshRail(false);
        QCOMPARE(c->recentShownIDs(), ids.mid(0, 20));
        QVERIFY(!c->rail->isHidden());

        // A page given its entry (a reopened capture, a page just saved) takes it off the list.
        c->setPageHistory(0, ids[0], std::nullopt);
        QCOMPARE(c->recentShownIDs(), ids.mid(1, 20));
        c->forgotten.insert(ids[3]);
        c->refreshRail(false);
        QStringList expected = ids.mid(1, 21);
        expected.removeAll(ids[3]);
        QCOMPARE(c->recentShownIDs(), expected);
        QCOMPARE(c->railRowIDs().size(), 21);
        QVERIFY(c->railRowIDs().contains(ids[0])); // the page, by its entry id
        // Each shows the key of its first shot, so that it keeps its thumbnail when opened.
        QCOMPARE(c->recentShown[0].key, Recents::firstShotID(expected[0])->toString(QUuid::WithoutBraces));
    }

    // An entry with only its small thumb shows that at once, then gets a rail picture made and
    // saved; one that cannot be loaded shows nothing and is not tried again.
    void recentPictures()
    {
        const QString thumbOnly = saveEntry(at("09:00"), QSize(1600, 1000));
        const QString broken = saveEntry(at("08:00"));
        QVERIFY(QFile::remove(PageMaker::entryPath(thumbOnly, "rail.png")));
        QVERIFY(QFile::remove(PageMaker::entryPath(broken, "rail.png")));
        QVERIFY(QFile::remove(PageMaker::entryPath(broken, "thumb.png")));
        PageMaker::writeFile(PageMaker::entryPath(broken, "canvas.json"), "{ not json");
        c->refreshRail(false);
        QTRY_COMPARE(c->recentPictures.value(thumbOnly).height(), 108);
        QTRY_VERIFY(QFileInfo::exists(PageMaker::entryPath(thumbOnly, "rail.png")));
        Recents::queue().sync([] {});
        QTRY_COMPARE(c->recentPictures.value(thumbOnly).width(), 720);
        QCOMPARE(QImageReader(PageMaker::entryPath(thumbOnly, "rail.png")).size().width(), 720);
        QTRY_VERIFY(c->picturing.contains(broken));
        QVERIFY(!c->recentPictures.contains(broken));
        QVERIFY(c->recentShown[1].picture.isNull());
        QVERIFY(!QFileInfo::exists(PageMaker::entryPath(broken, "rail.png")));
    }

    // A removed earlier capture comes back to the rail when told.
    void unforget()
    {
        const QString id = saveEntry(at("09:00"));
        c->forgotten.insert(id);
        c->refreshRail(false);
        QVERIFY(c->recentShownIDs().isEmpty());
        c->unforgetRecent(id);
        QCOMPARE(c->recentShownIDs(), QStringList{id});
    }

    // The PNG of a page records half the density under "export.halfSize", never below 1.
    void pageFileData_data()
    {
        QTest::addColumn<bool>("half");
        QTest::addColumn<double>("scale");
        QTest::addColumn<double>("recorded");
        QTest::newRow("full 2") << false << 2.0 << 2.0;
        QTest::newRow("half 1.5") << true << 1.5 << 1.0;
        QTest::newRow("half 4") << true << 4.0 << 2.0;
    }
    void pageFileData()
    {
        QFETCH(bool, half);
        QFETCH(double, scale);
        QFETCH(double, recorded);
        setPreference(QStringLiteral("export.halfSize"), half);
        const auto data = CanvasController::pageFileData(c->exportScene(), scale);
        setPreference(QStringLiteral("export.halfSize"), false);
        QVERIFY(data);
        QVERIFY(std::abs(pngScale(*data) - recorded) < 0.01);
    }

    // The rail drags out files named by the page's or entry's date; an entry that cannot be read
    // gives no data.
    void dragOutFiles()
    {
        const QString id = saveEntry(at("09:00"));
        c->refreshRail(false);
        const auto page = c->fileFor(PageRail::Row::ofPage(0));
        QVERIFY(page);
        QCOMPARE(page->name, ExportScene::fileName(c->pages[0].created));
        const auto data = page->make();
        QVERIFY(data && std::holds_alternative<QImage>(*data));
        QCOMPARE(std::get<QImage>(*data).size(), QSize(600, 400));

        const auto recent = c->fileFor(PageRail::Row::ofRecent(id));
        QVERIFY(recent);
        QCOMPARE(recent->name, ExportScene::fileName(at("09:00")));
        QVERIFY(recent->make());
        QVERIFY(CanvasController::recentFileData(id));
        QVERIFY(!c->fileFor(PageRail::Row::ofPage(3)));
        QVERIFY(!CanvasController::recentFileData(QStringLiteral("20250101-000000-0000")));
    }
};

QUILLET_TEST_MAIN(TestCanvasRailFeed)
#include "tst_canvasrailfeed.moc"
