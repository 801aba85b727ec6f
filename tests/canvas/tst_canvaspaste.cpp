#include "CanvasFixture.h"

#include "TestEnv.h"

#include "../history/PageMaker.h"

#include "app/Toast.h"
#include "capture/ClipboardPicture.h"
#include "platform/MemoryPasteboard.h"
#include "platform/fake/FakeScheduler.h"

#include <QLabel>
#include <QMimeData>
#include <QTemporaryDir>

namespace {
QString toastText()
{
    QWidget *t = Toast::current();
    if (!t)
        return {};
    const auto labels = t->findChildren<QLabel *>();
    return labels.isEmpty() ? QString() : labels.first()->text();
}

bool press(CanvasController *c, int key, Qt::KeyboardModifiers mods = {}, const QString &text = {})
{
    QKeyEvent e(QEvent::KeyPress, key, mods, text);
    return c->keyDown(&e);
}
} // namespace

// Ctrl+V on the canvas (pictures become pages, text a comment) and Delete on the rail's picks.
class TestCanvasPaste : public QObject
{
    Q_OBJECT

    std::unique_ptr<CanvasFixture> f;
    CanvasController *c = nullptr;
    FakeScheduler clock;
    QTemporaryDir files;

    void addPages(int n)
    {
        QList<Importer::Picture> added;
        for (int i = 0; i < n; ++i)
            added << Importer::Picture{PageMaker::picture(60 + i, 40), 1, std::nullopt};
        c->addPictures(added, false);
    }
    QString writePicture(const QString &name, QSize size)
    {
        const QString path = files.filePath(name);
        PageMaker::picture(size.width(), size.height()).save(path, "PNG");
        return path;
    }

private slots:
    void init()
    {
        CanvasController::scheduler() = &clock;
        f = std::make_unique<CanvasFixture>(QSize(1440, 875), 1, OverlayViewHost::Mode::Canvas);
        c = f->open(QRectF(100, 100, 600, 400));
        c->endEditing(); // the new shot's untouched comment goes
    }
    void cleanup()
    {
        f.reset();
        ClipboardPicture::setTestPasteboard(nullptr);
        CanvasController::scheduler() = &Scheduler::system();
    }

    // One picture: a new page in front, ready for typing, with its own toast; several (or a
    // file that is no picture) the added message.
    void pictures_data()
    {
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<int>("added");
        QTest::addColumn<QString>("message");
        QTest::newRow("png data") << QStringList{} << 1 << "Pasted the image as a new shot";
        QTest::newRow("one file") << QStringList{"a.png"} << 1 << "Pasted the image as a new shot";
        QTest::newRow("two files") << QStringList{"a.png", "b.png"} << 2 << "Added 2 pictures";
        QTest::newRow("a picture and a text file")
            << QStringList{"a.png", "notes.txt"} << 1 << "Added 1 picture; 1 file is not a picture Quillet™ can read";
    }
    void pictures()
    {
        QFETCH(QStringList, names);
        QFETCH(int, added);
        QFETCH(QString, message);
        QMimeData data;
        if (names.isEmpty()) {
            data.setData(QStringLiteral("image/png"), ClipboardPicture::pngData(PageMaker::picture(300, 200), 2));
        } else {
            QList<QUrl> urls;
            for (const QString &name : std::as_const(names)) {
                if (name.endsWith(QLatin1String(".png"))) {
                    urls << QUrl::fromLocalFile(writePicture(name, QSize(300, 200)));
                } else {
                    QFile text(files.filePath(name));
                    QVERIFY(text.open(QIODevice::WriteOnly));
                    text.write("not a picture");
                    urls << QUrl::fromLocalFile(text.fileName());
                }
            }
            data.setUrls(urls);
        }
        data.setText(QStringLiteral("ignored while there are pictures"));
        const QUuid first = c->markup.shots.first().id;

        QCOMPARE(c->paste(&data), std::optional<QString>(QStringLiteral("image")));
        QCOMPARE(c->pages.size(), 1 + added);
        QCOMPARE(c->currentPage, 0);
        QCOMPARE(c->pages[added].markup.shots.first().id, first);
        QVERIFY(c->editing);
        QCOMPARE(c->editing->placeholder(), QStringLiteral("Enter text"));
        QCOMPARE(toastText(), message);
        if (names.isEmpty()) // the PNG's resolution says two pixels a point
            QCOMPARE(c->markup.shots.first().rect, QRectF(0, 0, 150, 100));
        QCOMPARE(c->beepsForTest, 0);
    }

    // Text: a comment whose text starts 160 units (at the current size) left of the view's
    // middle, selected and no longer edited, one undo step; blank text beeps.
    void text_data()
    {
        QTest::addColumn<int>("size");
        QTest::addColumn<double>("scale");
        QTest::newRow("size 2") << 2 << 1.0;
        QTest::newRow("size 3") << 3 << 1.4;
    }
    void text()
    {
        QFETCH(int, size);
        QFETCH(double, scale);
        c->size = size;
        const qsizetype steps = c->history.past.size();
        QMimeData data;
        data.setText(QStringLiteral("\n  Two lines\nof text \t\n"));
        const QRectF visible = c->scrollView->visibleRect();
        QCOMPARE(c->paste(&data), std::optional<QString>(QStringLiteral("text")));
        QCOMPARE(c->markup.items.size(), 1);
        const Item item = c->markup.items.first();
        QCOMPARE(item.kind, ItemKind::text);
        QCOMPARE(item.string, QStringLiteral("Two lines\nof text"));
        QCOMPARE(item.size, size);
        QCOMPARE(item.anchor.x(), visible.center().x() - 160 * scale * c->markup.unit);
        QCOMPARE(item.anchor.y(), visible.center().y());
        QVERIFY(!c->editing);
        QCOMPARE(c->selection, QSet<QUuid>{item.id});
        QCOMPARE(c->history.past.size(), steps + 1);
        QCOMPARE(c->pages.size(), 1);
    }

    void nothingToPaste()
    {
        QMimeData blank;
        blank.setText(QStringLiteral("  \n\t "));
        QCOMPARE(c->paste(&blank), std::nullopt);
        QCOMPARE(c->paste(nullptr), std::nullopt);
        QCOMPARE(c->beepsForTest, 2);
        QVERIFY(c->markup.items.isEmpty());
        QCOMPARE(c->pages.size(), 1);
    }

    // Ctrl+V reads the general pasteboard (the test pasteboard while one is set); while a comment
    // is edited the comment takes the text instead.
    void ctrlV()
    {
        auto board = std::make_shared<MemoryPasteboard>(QStringLiteral("test"));
        auto *data = new QMimeData;
        data->setText(QStringLiteral("pasted"));
        board->setMimeData(data);
        ClipboardPicture::setTestPasteboard(board);
        QVERIFY(press(c, Qt::Key_V, Qt::ControlModifier, QString(QChar(22))));
        QCOMPARE(c->markup.items.size(), 1);
        QCOMPARE(c->markup.items.first().string, QStringLiteral("pasted"));
        QVERIFY(!c->editing);
    }

    // Delete with the rail focused removes the picked rows, or the current page without picks;
    // a removal that cannot happen beeps. With items selected Delete removes those instead.
    void deleteOnTheRail()
    {
        addPages(3);
        QCOMPARE(c->pages.size(), 4);
        const QUuid third = c->pages[2].markup.shots.first().id;
        c->railFocused = true;
        // Picks: page 1 and page 3 (Ctrl on a page picks the current one first; Ctrl on it again
        // takes it out).
        const QList<RailThumb *> thumbs = c->rail->order();
        QCOMPARE(thumbs.size(), 4);
        c->rail->pressThumb(thumbs[1], {}, Qt::ControlModifier);
        c->rail->pressThumb(thumbs[3], {}, Qt::ControlModifier);
        c->rail->pressThumb(thumbs[0], {}, Qt::ControlModifier);
        QCOMPARE(c->rail->pickedRows().size(), 2);
        QVERIFY(press(c, Qt::Key_Delete));
        QCOMPARE(c->pages.size(), 2);
        QCOMPARE(c->pages[1].markup.shots.first().id, third);
        QCOMPARE(c->beepsForTest, 0);

        // No pick: the current page goes, the next one shows.
        QVERIFY(c->railFocused);
        QVERIFY(press(c, Qt::Key_Backspace));
        QCOMPARE(c->pages.size(), 1);
        QCOMPARE(c->markup.shots.first().id, third);
        // The last page stays and the key beeps.
        c->railFocused = true;
        QVERIFY(press(c, Qt::Key_Delete));
        QCOMPARE(c->pages.size(), 1);
        QCOMPARE(c->beepsForTest, 1);

        // With something selected, Delete is the selection's.
        addPages(1);
        const Item box = Item::withRect(ItemKind::box, QRectF(5, 5, 20, 20), 0, 2);
        c->markup.items = QList<Item>{box};
        c->selection = {box.id};
        c->railFocused = true;
        QVERIFY(press(c, Qt::Key_Delete));
        QCOMPARE(c->pages.size(), 2);
        QVERIFY(c->markup.items.isEmpty());
    }
};

QUILLET_TEST_MAIN(TestCanvasPaste)
#include "tst_canvaspaste.moc"
