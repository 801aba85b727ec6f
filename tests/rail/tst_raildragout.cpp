#include "RailFixture.h"

#include "TestEnv.h"
#include "capture/ClipboardPicture.h"
#include "export/ExportScene.h"
#include "history/HistoryFiles.h"
#include "rail/RailScratch.h"

#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include <QPainter>
#include <QTemporaryDir>

#include <sys/stat.h>

namespace {

RailDragOut::File pngFile(const QString &name, QColor colour, QSize size = QSize(40, 30))
{
    return {name, [=]() -> std::optional<RailDragOut::Data> { return RailFixture::picture(size.width(), size.height(), colour); }};
}

// A page as a screen shows one: lines of text on white, and a photo-like gradient.
QImage screenPage(QSize size)
{
    QImage page(size, QImage::Format_ARGB32_Premultiplied);
    page.fill(Qt::white);
    QPainter p(&page);
    p.setRenderHint(QPainter::Antialiasing);
    for (int y = 24; y < size.height() / 2; y += 18)
        p.drawText(8, y, QStringLiteral("Line %1 of the page, with words that wrap at the edge of the window").arg(y));
    QLinearGradient g(0, 0, size.width(), 0);
    g.setColorAt(0, QColor(200, 40, 40));
    g.setColorAt(1, QColor(40, 40, 200));
    p.fillRect(QRect(0, size.height() / 2, size.width(), size.height() / 2), g);
    return page;
}

QByteArray bytesOf(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void touch(const QString &path)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("x");
}

} // namespace

class TestRailDragOut : public QObject
{
    Q_OBJECT
private slots:
    void uniqueFileURL_data()
    {
        QTest::addColumn<QStringList>("existing");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("expected");
        QTest::newRow("free") << QStringList{} << "Shot.png" << "Shot.png";
        QTest::newRow("taken twice") << QStringList{"Shot.png", "Shot 2.png"} << "Shot.png" << "Shot 3.png";
        QTest::newRow("numbered names end in png") << QStringList{"Shot.jpeg"} << "Shot.jpeg" << "Shot 2.png";
        QTest::newRow("dots in the name") << QStringList{"a.b.png"} << "a.b.png" << "a.b 2.png";
    }
    void uniqueFileURL()
    {
        QFETCH(QStringList, existing);
        QFETCH(QString, name);
        QFETCH(QString, expected);
        QTemporaryDir dir;
        for (const QString &e : existing)
            touch(dir.filePath(e));
        QCOMPARE(PageRail::uniqueFileURL(dir.filePath(name)), dir.filePath(expected));
    }

    void promiseWriter()
    {
        QTemporaryDir dir;
        const QList<RailDragOut::File> files{pngFile("A.png", Qt::red), pngFile("B.png", Qt::blue),
                                             {"C.png", [] { return std::optional<RailDragOut::Data>(); }}};
        // a position past the list, a missing one, a file that cannot be made: write-unknown
        for (const QVariantMap &info : {QVariantMap{{"index", 5}, {"name", "X.png"}}, QVariantMap{{"name", "X.png"}},
                                        QVariantMap{{"index", 2}, {"name", "C.png"}},
                                        QVariantMap{{"index", "1"}, {"name", "X.png"}}}) {
            const RailDragOut::Written w = RailDragOut::writePromise(files, info, dir.path());
            QVERIFY(!w.ok());
            QVERIFY(w.unknown);
        }
        QVERIFY(QDir(dir.path()).isEmpty());

        // a promise without a name is written as Quillet.png, twice without overwriting
        const RailDragOut::Written first = RailDragOut::writePromise(files, {{"index", 1}}, dir.path());
        QVERIFY(first.ok());
        QCOMPARE(first.path, dir.filePath("Quillet.png"));
        const RailDragOut::Written second = RailDragOut::writePromise(files, {{"index", 0}}, dir.path());
        QCOMPARE(second.path, dir.filePath("Quillet 2.png"));
        QCOMPARE(QImage(first.path).pixelColor(0, 0), QColor(Qt::blue));
        QCOMPARE(QImage(second.path).pixelColor(0, 0), QColor(Qt::red));

        // a folder that cannot be written gives the write's error, not write-unknown
        const RailDragOut::Written failed = RailDragOut::writePromise(files, {{"index", 0}}, dir.filePath("none/x"));
        QVERIFY(!failed.ok());
        QVERIFY(!failed.unknown);
    }

    void writeAllKeepsOrderAndNames()
    {
        QTemporaryDir dir;
        RailDragOut out;
        out.files = {pngFile("Shot.png", Qt::red), {"Bad.png", [] { return std::optional<RailDragOut::Data>(); }},
                     pngFile("Shot.png", Qt::green),
                     {"Raw.png", [] {
                          QByteArray png;
                          QBuffer b(&png);
                          b.open(QIODevice::WriteOnly);
                          RailFixture::picture(5, 5, Qt::yellow).save(&b, "PNG");
                          return std::optional<RailDragOut::Data>(png);
                      }}};
        const QStringList paths = out.writeAll(dir.path());
        QCOMPARE(paths, (QStringList{dir.filePath("Shot.png"), dir.filePath("Shot 2.png"), dir.filePath("Raw.png")}));
        QCOMPARE(QImage(paths.at(1)).pixelColor(1, 1), QColor(Qt::green));
        QCOMPARE(QImage(paths.at(2)).pixelColor(1, 1), QColor(Qt::yellow));
    }

    // Every way a page leaves as a PNG file gives the size the canvas's drag handle gives (which
    // saves like Ctrl+S), and the same pixels.
    void everyWayOutWritesTheSameSize_data()
    {
        QTest::addColumn<QString>("way");
        QTest::addColumn<QSize>("size");
        for (const char *way : {"rail drag", "history entry", "clipboard"}) {
            QTest::addRow("%s, 250x200", way) << way << QSize(250, 200);
            QTest::addRow("%s, 1440x900", way) << way << QSize(1440, 900);
        }
    }
    void everyWayOutWritesTheSameSize()
    {
        QFETCH(QString, way);
        QFETCH(QSize, size);
        const QImage page = screenPage(size);
        QTemporaryDir dir;
        const QByteArray handle = bytesOf(ExportScene::save(page, dir.filePath("saved"), 1));
        QVERIFY(!handle.isEmpty());
        QByteArray out;
        if (way == "rail drag")
            out = bytesOf(RailDragOut::writeData(page, "Page.png", dir.path()).path);
        else if (way == "history entry")
            out = HistoryFiles::pngData(page);
        else
            out = ClipboardPicture::pngData(page, 1);
        QVERIFY2(qAbs(out.size() - handle.size()) <= handle.size() / 10,
                 qPrintable(QStringLiteral("%1 bytes, the handle's %2").arg(out.size()).arg(handle.size())));
        QCOMPARE(QImage::fromData(out).convertToFormat(QImage::Format_ARGB32_Premultiplied), page);
    }

    void dragFilesFromTheRail()
    {
        RailFixture f;
        f.pages(4, 0);
        const QList<QColor> colours{Qt::red, Qt::green, Qt::blue, Qt::black};
        QList<RailRow> asked;
        f.rail->fileFor = [&](const RailRow &row) -> std::optional<RailDragOut::File> {
            asked.append(row);
            if (row.page == 2)
                return std::nullopt; // this row has no file
            return pngFile(QStringLiteral("Page %1.png").arg(row.page), colours.at(row.page));
        };
        // pick 3, 1 and 2 (in that order), drag from 3
        f.rail->pressThumb(f.rail->order().at(3), {}, Qt::ControlModifier);
        f.rail->pressThumb(f.rail->order().at(0), {}, Qt::ControlModifier);
        f.rail->pressThumb(f.rail->order().at(1), {}, Qt::ControlModifier);
        f.rail->pressThumb(f.rail->order().at(2), {}, Qt::ControlModifier);
        const QStringList a = f.rail->writeDragFiles(f.rail->order().at(3));
        QCOMPARE(asked, (QList<RailRow>{RailRow::ofPage(1), RailRow::ofPage(2), RailRow::ofPage(3)}));
        QCOMPARE(a.size(), 2);
        QCOMPARE(QFileInfo(a.at(0)).fileName(), QStringLiteral("Page 1.png"));
        QCOMPARE(QFileInfo(a.at(1)).fileName(), QStringLiteral("Page 3.png"));

        // drag B from an unpicked thumbnail: only it, into a folder of its own; A's files stay
        f.rail->fileFor = [&](const RailRow &row) -> std::optional<RailDragOut::File> {
            return pngFile(QStringLiteral("Page 1.png"), Qt::white);
        };
        const QStringList b = f.rail->writeDragFiles(f.rail->order().at(0));
        QCOMPARE(b.size(), 1);
        QVERIFY(QFileInfo(b.first()).path() != QFileInfo(a.first()).path());
        QCOMPARE(QImage(a.at(0)).pixelColor(0, 0), QColor(Qt::green));
        QCOMPARE(QImage(a.at(1)).pixelColor(0, 0), QColor(Qt::black));

        // no file for any row: no drag
        f.rail->fileFor = [](const RailRow &) { return std::optional<RailDragOut::File>(); };
        QVERIFY(f.rail->writeDragFiles(f.rail->order().at(0)).isEmpty());
        f.rail->fileFor = nullptr;
        QVERIFY(f.rail->writeDragFiles(f.rail->order().at(0)).isEmpty());
    }

    void scratchFolderIsPrivate()
    {
        // The exports' per-user folder, not one of the rail's own.
        const QString base = RailScratch::folder();
        QCOMPARE(base, QDir(qEnvironmentVariable("XDG_RUNTIME_DIR")).filePath("Quillet"));
        struct stat st;
        QCOMPARE(::lstat(QFile::encodeName(base).constData(), &st), 0);
        QCOMPARE(int(st.st_mode & 0777), 0700);

        // old drag folders go whole; a link is removed without touching what it points to
        QTemporaryDir outside;
        touch(outside.filePath("keep.txt"));
        const QString old = RailScratch::newDragFolder();
        QVERIFY(!old.isEmpty());
        QVERIFY(QFile::link(outside.path(), old + "/link"));
        touch(old + "/Shot.png");
        const QString fresh = RailScratch::newDragFolder();
        QVERIFY(QFileInfo::exists(old)); // not old enough yet
        RailScratch::prune(base, -1);    // everything counts as old
        QVERIFY(!QFileInfo::exists(old));
        QVERIFY(!QFileInfo::exists(fresh));
        QVERIFY(QFileInfo::exists(outside.filePath("keep.txt")));
    }
};

QUILLET_TEST_MAIN(TestRailDragOut)
#include "tst_raildragout.moc"
