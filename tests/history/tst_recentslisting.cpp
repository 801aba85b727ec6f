#include "PageMaker.h"
#include "TestEnv.h"

#include <QImageReader>

using namespace PageMaker;

// The Recent menu lists a full history of screen-sized captures from the entries' small files
// alone: here every shot picture is cut down to its PNG header, so any decode of it would fail.
class RecentsListing : public QObject
{
    Q_OBJECT

private slots:
    void thirtyScreenSizedEntriesListWithoutTheirPictures()
    {
        const Page p = page(QSize(3840, 2160), 2);
        const auto first = Recents::save(p.markup, p.images, picture(720, 405), {}, {}, {}, {}, true);
        QVERIFY(first);
        const QString shot = "shot-" + Recents::uuidText(p.markup.shots[0].id) + ".png";
        QStringList ids{*first};
        for (int i = 1; i < 30; ++i) {
            const QString id = QString("20260101-0000%1-AAAA").arg(i, 2, 10, QChar('0'));
            QDir().mkpath(entryPath(id));
            for (const QString &file : files(*first))
                QFile::copy(entryPath(*first, file), entryPath(id, file));
            ids.append(id);
        }
        for (const QString &id : ids) {
            QFile f(entryPath(id, shot));
            QVERIFY(f.open(QIODevice::ReadWrite));
            QVERIFY(f.resize(200)); // the header and the start of the pixel data
        }

        const QList<Recents::Entry> entries = Recents::list();
        QCOMPARE(entries.size(), 30);
        for (const Recents::Entry &entry : entries) {
            QVERIFY(ids.contains(entry.id));
            QVERIFY(entry.date.isValid());
            QCOMPARE(QImage(entry.folder + "/thumb.png").size(), QSize(192, 108));
            QCOMPARE(QImageReader(entry.folder + "/" + shot).size(), QSize(3840, 2160));
        }
        QCOMPARE(Recents::datedEntries().size(), 30);
        QCOMPARE(Recents::firstShotID(ids.last()), p.markup.shots[0].id);
        QVERIFY(!Recents::load(ids.last())); // the pictures themselves are gone indeed
    }
};

QUILLET_TEST_MAIN(RecentsListing)
#include "tst_recentslisting.moc"
