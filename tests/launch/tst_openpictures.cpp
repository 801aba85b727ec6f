#include "launch/AppDelegate.h"
#include "launch/LaunchOptions.h"

#include "app/ChromeViews.h"
#include "app/Toast.h"
#include "capture/CaptureSession.h"
#include "capture/OverlayWindow.h"
#include "capture/SessionCanvas.h"
#include "platform/fake/FakeScreenSource.h"

#include "FakeSessionCanvas.h"
#include "TestEnv.h"
#include "ToastText.h"

#include <QCursor>

namespace {
// The toast goes away at once, as if its time had run out.
void clearToast()
{
    if (QWidget *panel = Toast::current()) {
        delete panel;
    }
}

Importer::Picture picture(int w, int h, double scale = 1)
{
    QImage image(w, h, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::darkCyan);
    return {image, scale, std::nullopt};
}

} // namespace

class TestOpenPictures : public QObject
{
    Q_OBJECT

    std::shared_ptr<FakeScreenSource> fake;
    std::unique_ptr<AppDelegate> delegate;
    FakeSessionCanvas canvas;
    QList<Markup> opened;
    QList<std::optional<QString>> openedIds;

    // A delegate going away clears the session's hooks: the fakes are put in after each new one.
    void makeDelegate(const QStringList &arguments)
    {
        delegate.reset();
        delegate = std::make_unique<AppDelegate>(arguments, fake);
        CaptureSession::canvasOf = [this](OverlayView *) { return &canvas; };
        CaptureSession::openPictures = [this](CaptureSession &, OverlayView *, const Markup &markup, const ShotImages &,
                                              const std::optional<QString> &id) {
            opened.append(markup);
            openedIds.append(id);
        };
    }

private slots:
    void init()
    {
        CaptureSession::setCurrentSession(nullptr);
        fake = std::make_shared<FakeScreenSource>();
        fake->screenList = {{11, "A", QRect(0, 0, 1920, 1080), 1.0}, {12, "B", QRect(1920, 0, 2560, 1440), 2.0}};
        fake->contentValue.displays = {{11, QRect(0, 0, 1920, 1080)}, {12, QRect(1920, 0, 2560, 1440)}};
        canvas = FakeSessionCanvas();
        opened.clear();
        openedIds.clear();
        makeDelegate({"quillet"});
        clearToast();
    }
    void cleanup()
    {
        CaptureSession::setCurrentSession(nullptr);
        CaptureSession::canvasOf = nullptr;
        CaptureSession::openPictures = nullptr;
        delegate.reset();
    }

    void onePictureCentredOnThePointersScreen()
    {
        QCursor::setPos(2500, 700);
        const QPoint pointer = QCursor::pos();
        delegate->openPictures({picture(2880, 1800, 2)}, 0);
        QCOMPARE(opened.size(), 1);
        const Markup &m = opened.first();
        QCOMPARE(m.shots.size(), 1);
        QCOMPARE(m.shotRect().size(), QSizeF(1440, 900));
        QVERIFY(m.unit >= 1);
        CaptureSession *session = CaptureSession::currentSession();
        QVERIFY(session);
        const QRect expected = pointer.x() >= 1920 ? QRect(1920, 0, 2560, 1440) : QRect(0, 0, 1920, 1080);
        QCOMPARE(session->windows().first()->geometry(), expected);
        QVERIFY(canvas.added.isEmpty());
        QCOMPARE(toastText(), QString()); // one picture: no message
    }

    void severalPicturesBecomePages()
    {
        delegate->openPictures({picture(300, 200), picture(40, 40), picture(50, 60)}, 0);
        QCOMPARE(opened.size(), 1);
        QCOMPARE(canvas.added, (QList<QPair<int, bool>>{{2, false}}));
        QCOMPARE(toastText(), Importer::addedMessage(3, 0));

        // Into the open canvas: all of them, above the first page.
        delegate->openPictures({picture(10, 10), picture(20, 20)}, 1);
        QCOMPARE(opened.size(), 1);
        QCOMPARE(canvas.added.last(), (QPair<int, bool>{2, true}));
        QCOMPARE(toastText(), Importer::addedMessage(2, 1));
    }

    // In demo mode a further shot for a canvas draws the sample picture of its shot count.
    void aDemoShotVariesWithTheCanvasShots()
    {
        makeDelegate({"quillet", "--demo"});
        QList<int> variants;
        delegate->samplePicture = [&variants](int w, int h, int variant) {
            variants << variant;
            QImage image(w, h, QImage::Format_ARGB32_Premultiplied);
            image.fill(Qt::gray);
            return image;
        };
        delegate->openPictures({picture(300, 200)}, 0);
        CaptureSession *session = CaptureSession::currentSession();
        QVERIFY(session);
        canvas.shots = 3;
        delegate->captureIntoCanvas(session, CaptureAction::areaToCanvas);
        QTRY_VERIFY(!variants.isEmpty());
        QCOMPARE(variants.first(), 3);
    }

    void unreadableOnly()
    {
        delegate->openPictures({}, 2);
        QCOMPARE(toastText(), QStringLiteral("Quillet™ cannot read that image"));
        QVERIFY(!CaptureSession::currentSession());
        clearToast();
        delegate->openPictures({}, 0);
        QCOMPARE(toastText(), QString());
    }

    // While the screens are being frozen nothing opens: the freeze becomes the session.
    void nothingDuringAFreeze()
    {
        fake->manualGrabs = true;
        delegate->capture(CaptureAction::areaToCanvas);
        QTRY_VERIFY(delegate->isCapturing());
        delegate->openPictures({picture(100, 100)}, 0);
        QVERIFY(opened.isEmpty());
        QVERIFY(!CaptureSession::currentSession());
        delegate->reopen(QStringLiteral("anything"));
        QVERIFY(opened.isEmpty());
        fake->finishGrab(11);
        fake->finishGrab(12);
        QTRY_VERIFY(CaptureSession::currentSession());
        // A selection is up: pictures are dropped without a message.
        delegate->openPictures({picture(100, 100)}, 0);
        QVERIFY(opened.isEmpty());
        QVERIFY(canvas.added.isEmpty());
    }

    void reopenGoneOrBusy()
    {
        delegate->reopen(QStringLiteral("20261209-140533-000"));
        QCOMPARE(toastText(), QStringLiteral("That capture is gone"));
        QVERIFY(opened.isEmpty());
        clearToast();
        delegate->openPictures({picture(100, 100)}, 0);
        delegate->reopen(QStringLiteral("20261209-140533-000"));
        QCOMPARE(toastText(), QString());
        QCOMPARE(opened.size(), 1);
    }

    // A session that ends after another took the slot leaves the newer one alone.
    void anEndedSessionLeavesTheNewerOne()
    {
        const auto session = [] {
            const Markup m = Markup::single(QRectF(0, 0, 10, 10), QSizeF(10, 10), 1);
            ShotImages images;
            images.insert(m.shots.first().id, ShotImage{picture(10, 10).image, 1});
            return new CaptureSession(m, images, std::nullopt, std::nullopt, {});
        };
        delegate->openPictures({picture(100, 100)}, 0);
        QPointer<CaptureSession> first = CaptureSession::currentSession();
        CaptureSession *second = session();
        CaptureSession::setCurrentSession(second);
        QTRY_VERIFY(!first);
        QPointer<CaptureSession> stray = session();
        stray->end(false);
        QCOMPARE(CaptureSession::currentSession(), second);
        QTRY_VERIFY(!stray);
        QCOMPARE(CaptureSession::currentSession(), second);
    }

    void fileArguments_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QStringList>("absolute");
        QTest::newRow("none") << QStringList{"quillet"} << QStringList{} << QStringList{"quillet"};
        QTest::newRow("relative and absolute")
            << QStringList{"quillet", "a.png", "/tmp/b.png", "../c.png"} << QStringList{"a.png", "/tmp/b.png", "../c.png"}
            << QStringList{"quillet", "/home/u/pics/a.png", "/tmp/b.png", "/home/u/c.png"};
        QTest::newRow("options and their values")
            << QStringList{"quillet", "--demo", "--welcome", "access", "--settings", "canvas", "x.png"}
            << QStringList{"x.png"}
            << QStringList{"quillet", "--demo", "--welcome", "access", "--settings", "canvas", "/home/u/pics/x.png"};
        QTest::newRow("url") << QStringList{"quillet", "file:///tmp/a%20b.png"} << QStringList{"file:///tmp/a%20b.png"}
                             << QStringList{"quillet", "file:///tmp/a%20b.png"};
    }
    void fileArguments()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QStringList, files);
        QFETCH(QStringList, absolute);
        QCOMPARE(LaunchOptions::files(arguments), files);
        QCOMPARE(LaunchOptions::withAbsolutePaths(arguments, QStringLiteral("/home/u/pics")), absolute);
    }
};

QUILLET_TEST_MAIN(TestOpenPictures)
#include "tst_openpictures.moc"
