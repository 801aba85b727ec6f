// The drag-out handle and its files offscreen: when a drag starts, what it carries and shows,
// the files written for it and their pruning, and the hint line's words.
#include "CanvasFixture.h"

#include "canvas/CanvasController.h"
#include "canvas/DragOutView.h"

#include <QDrag>
#include <QFile>
#include <QImageReader>
#include <QMimeData>
#include <QTemporaryDir>
#include <QThread>
#include <QtConcurrent>
#include <QtTest>

#include <cmath>
#include <sys/stat.h>

namespace {
// Records the drags the handle would run, ending each with the given result.
struct Drags
{
    struct Seen
    {
        QList<QUrl> urls;
        QSizeF pixmap;
        QPoint hotSpot;
    };
    QList<Seen> seen;
    Qt::DropAction result = Qt::CopyAction;
    Drags()
    {
        DragOutView::runner() = [this](QDrag &drag) {
            seen.append({drag.mimeData()->urls(), drag.pixmap().deviceIndependentSize(), drag.hotSpot()});
            drag.deleteLater();
            return result;
        };
    }
    ~Drags()
    {
        DragOutView::runner() = [](QDrag &drag) { return drag.exec(Qt::CopyAction); };
    }
};

QString writePicture(const QTemporaryDir &dir, QSize size)
{
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::darkCyan);
    const QString path = dir.filePath(QStringLiteral("page.png"));
    image.save(path);
    return path;
}

double fileScale(const QString &path)
{
    const QImage image = QImageReader(path).read();
    return image.dotsPerMeterX() * 0.0254 / 72.0;
}
} // namespace

class TestDragOut : public QObject
{
    Q_OBJECT
private slots:
    void dragStartsBeyondThreePoints()
    {
        QTemporaryDir dir;
        const QString file = writePicture(dir, QSize(400, 200));
        Drags drags;
        DragOutView view;
        int asked = 0, started = 0;
        QList<bool> ended;
        view.makeFile = [&]() -> std::optional<DragFile> {
            ++asked;
            return DragFile{QImage(file), QtFuture::makeReadyFuture(file)};
        };
        view.onDragStart = [&] { ++started; };
        view.onDragEnd = [&](bool dropped) { ended.append(dropped); };

        QVERIFY(!view.movedTo(QPointF(50, 50))); // no press: nothing
        view.pressAt(QPointF(10, 10));
        QVERIFY(!view.movedTo(QPointF(13, 10)));
        QVERIFY(!view.movedTo(QPointF(10 + 3 / std::sqrt(2.0), 10 + 3 / std::sqrt(2.0))));
        QCOMPARE(asked, 0);
        QVERIFY(view.movedTo(QPointF(13.01, 10)));
        QCOMPARE(asked, 1);
        QCOMPARE(started, 1);
        QCOMPARE(ended, QList<bool>{true});
        QVERIFY(!view.downAt);
        // One file URL; the picture 160 pt wide, centred on the pointer.
        QCOMPARE(drags.seen.size(), 1);
        QCOMPARE(drags.seen[0].urls, QList<QUrl>{QUrl::fromLocalFile(file)});
        QCOMPARE(drags.seen[0].pixmap, QSizeF(160, 80));
        QCOMPARE(drags.seen[0].hotSpot, QPoint(80, 40));
        // A refused drop ends false; a finished drag needs a new press.
        drags.result = Qt::IgnoreAction;
        QVERIFY(!view.movedTo(QPointF(40, 40)));
        view.pressAt(QPointF(0, 0));
        QVERIFY(view.movedTo(QPointF(0, 5)));
        QCOMPARE(ended, (QList<bool>{true, false}));
    }

    void noFileKeepsThePressArmed()
    {
        Drags drags;
        DragOutView view;
        int asked = 0;
        view.makeFile = [&]() -> std::optional<DragFile> {
            ++asked;
            return std::nullopt;
        };
        view.pressAt(QPointF(0, 0));
        QVERIFY(!view.movedTo(QPointF(10, 0)));
        QVERIFY(!view.movedTo(QPointF(20, 0)));
        QCOMPARE(asked, 2);
        QVERIFY(view.downAt);
        QVERIFY(drags.seen.isEmpty());
    }

    // The drag starts while the file is being written; its URL is read once it is there, and a
    // write that failed offers no URL.
    void fileWrittenWhileTheDragRuns()
    {
        QTemporaryDir dir;
        const QString file = writePicture(dir, QSize(40, 20));
        DragOutView view;
        QStringList formats;
        QList<QUrl> urls;
        DragOutView::runner() = [&](QDrag &drag) {
            formats = drag.mimeData()->formats();
            urls = drag.mimeData()->urls();
            drag.deleteLater();
            return Qt::CopyAction;
        };
        QString written = file;
        view.makeFile = [&]() -> std::optional<DragFile> {
            return DragFile{QImage(40, 20, QImage::Format_RGB32), QtConcurrent::run([written] {
                                QThread::msleep(200);
                                return written;
                            })};
        };
        view.pressAt(QPointF(0, 0));
        QVERIFY(view.movedTo(QPointF(10, 0)));
        QCOMPARE(formats, QStringList{QStringLiteral("text/uri-list")});
        QCOMPARE(urls, QList<QUrl>{QUrl::fromLocalFile(file)});

        written.clear();
        view.pressAt(QPointF(0, 0));
        QVERIFY(view.movedTo(QPointF(10, 0)));
        QVERIFY(urls.isEmpty());
        DragOutView::runner() = [](QDrag &drag) { return drag.exec(Qt::CopyAction); };
    }

    void dragImageSize_data()
    {
        QTest::addColumn<QSize>("picture");
        QTest::addColumn<QSizeF>("shown");
        QTest::newRow("wide") << QSize(400, 200) << QSizeF(160, 80);
        QTest::newRow("tall") << QSize(100, 300) << QSizeF(160, 480);
        QTest::newRow("none") << QSize() << QSizeF(160, 100);
    }
    void dragImageSize()
    {
        QFETCH(QSize, picture);
        QFETCH(QSizeF, shown);
        const QImage image = picture.isValid() ? QImage(picture, QImage::Format_RGB32) : QImage();
        QCOMPARE(DragOutView::imageSize(image), shown);
    }

    void fileScale_data()
    {
        QTest::addColumn<double>("density");
        QTest::addColumn<bool>("half");
        QTest::addColumn<double>("scale");
        QTest::newRow("2x") << 2.0 << false << 2.0;
        QTest::newRow("2x half") << 2.0 << true << 1.0;
        QTest::newRow("1x half") << 1.0 << true << 1.0;
        QTest::newRow("3x half") << 3.0 << true << 1.5;
    }
    void fileScale()
    {
        QFETCH(double, density);
        QFETCH(bool, half);
        QFETCH(double, scale);
        QTemporaryDir dir;
        QImage picture(40, 30, QImage::Format_ARGB32_Premultiplied);
        picture.fill(Qt::red);
        const std::optional<QString> path = CanvasController::writeDragFile(picture, density, half, dir.path());
        QVERIFY(path);
        QVERIFY(QFileInfo(*path).fileName().startsWith(QStringLiteral("Quillet ")));
        QCOMPARE(QImageReader(*path).read().size(), QSize(40, 30));
        QVERIFY(std::abs(::fileScale(*path) - scale) < 0.01);
    }

    void oldFilesGoAtTheNextDragOut()
    {
        QTemporaryDir dir;
        const auto make = [&](const QString &name, int minutesAgo) {
            QFile f(dir.filePath(name));
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("x");
            f.flush();
            f.setFileTime(QDateTime::currentDateTime().addSecs(-60 * minutesAgo), QFileDevice::FileModificationTime);
        };
        make(QStringLiteral("old.png"), 61);
        make(QStringLiteral("new.png"), 59);
        QImage picture(4, 4, QImage::Format_RGB32);
        picture.fill(Qt::blue);
        QVERIFY(CanvasController::writeDragFile(picture, 1, false, dir.path()));
        QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("old.png"))));
        QVERIFY(QFile::exists(dir.filePath(QStringLiteral("new.png"))));
        // Nothing to write, or no folder: no file, and nothing pruned.
        QVERIFY(!CanvasController::writeDragFile(QImage(), 1, false, dir.path()));
        QVERIFY(!CanvasController::writeDragFile(picture, 1, false, QString()));
    }

    // The canvas's drag-out writes only into a private folder of ours: with the folder open to
    // others (or not a folder) there is no drag, and nothing in it is pruned.
    void unusableScratchFolderGivesNoDrag_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("private") << QStringLiteral("private");
        QTest::newRow("mode 0755") << QStringLiteral("0755");
        QTest::newRow("a link") << QStringLiteral("link");
    }
    void unusableScratchFolderGivesNoDrag()
    {
        QFETCH(QString, kind);
        QTemporaryDir runtime, elsewhere;
        const QByteArray saved = qgetenv("XDG_RUNTIME_DIR");
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
        const QString folder = runtime.filePath(QStringLiteral("Quillet"));
        if (kind == QStringLiteral("link"))
            QVERIFY(QFile::link(elsewhere.path(), folder));
        else
            QVERIFY(QDir().mkdir(folder));
        ::chmod(QFile::encodeName(kind == QStringLiteral("link") ? elsewhere.path() : folder).constData(),
                kind == QStringLiteral("private") ? 0700 : 0755);
        const QString old = folder + QStringLiteral("/old.png");
        {
            QFile f(old);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("x");
            f.flush();
            QVERIFY(f.setFileTime(QDateTime::currentDateTime().addSecs(-7200), QFileDevice::FileModificationTime));
        }

        CanvasFixture f(QSize(800, 600));
        CanvasController *canvas = f.open(QRectF(100, 100, 200, 150));
        QVERIFY(canvas);
        const std::optional<DragFile> file = canvas->makeDragFile();
        if (kind == QStringLiteral("private")) {
            QVERIFY(file);
            const QString path = file->path.result();
            QVERIFY(path.startsWith(folder + QLatin1Char('/')));
            QCOMPARE(QImage(path).size(), QSize(200, 150));
            QVERIFY(!QFile::exists(old));
        } else {
            QVERIFY(!file);
            QVERIFY(QFile::exists(old));
            QCOMPARE(QDir(folder).entryList(QDir::Files), QStringList{QStringLiteral("old.png")});
        }
        qputenv("XDG_RUNTIME_DIR", saved);
    }

    void hint_data()
    {
        QTest::addColumn<bool>("talk");
        QTest::addColumn<int>("pages");
        QTest::addColumn<bool>("sidebar");
        QTest::addColumn<QString>("text");
        const QString base = QStringLiteral("Drag: arrow    Click: text    Ctrl+drag: box    Alt+drag: redact    Ctrl+N: another shot");
        const QString tail = QStringLiteral("    Ctrl+S: save    Esc: close");
        QTest::newRow("one page") << false << 1 << true << base + "    Ctrl+V: paste" + tail;
        QTest::newRow("two pages") << false << 2 << true
                                   << base + QString::fromUtf8("    Ctrl+↑↓: shots") + "    Ctrl+V: paste" + tail;
        QTest::newRow("narrow") << false << 1 << false
                                << base + "    Ctrl+V: paste    Return: copy    Ctrl+Return: copy only" + tail;
        QTest::newRow("talking")
            << true << 1 << true
            << QStringLiteral("Drag: arrow    Click: text    Hold right Ctrl: talk    Ctrl+drag: box    Alt+drag: redact"
                              "    Ctrl+N: another shot    Ctrl+V: paste")
                   + tail;
    }
    void hint()
    {
        QFETCH(bool, talk);
        QFETCH(int, pages);
        QFETCH(bool, sidebar);
        QFETCH(QString, text);
        QCOMPARE(CanvasController::hintText(talk, TalkKey::rightCommand, pages, sidebar, QStringLiteral("copy only")), text);
        // Where the window manager takes Alt+drag, the redaction is offered by its key.
        QString keyed = text;
        keyed.replace(QStringLiteral("Alt+drag: redact"), QStringLiteral("B: redact"));
        QCOMPARE(CanvasController::hintText(talk, TalkKey::rightCommand, pages, sidebar, QStringLiteral("copy only"), true),
                 keyed);
    }
};

QTEST_MAIN(TestDragOut)
#include "tst_dragout.moc"
