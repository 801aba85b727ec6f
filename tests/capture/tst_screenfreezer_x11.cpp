#include "capture/ScreenFreezer.h"
#include "platform/Preferences.h"
#include "platform/linux/X11ScreenSource.h"

#include "TestEnv.h"

#include <QProcess>
#include <QScreen>
#include <QWidget>

namespace {

QList<FrozenFrame> freeze(ScreenFreezer &freezer)
{
    auto f = freezer.freezeAll();
    if (!QTest::qWaitFor([&] { return f.isFinished(); }, 10000))
        return {};
    return f.result();
}

bool allOf(const QImage &img, const QRect &r, QRgb color)
{
    for (int y = r.top(); y <= r.bottom(); y += 7)
        for (int x = r.left(); x <= r.right(); x += 7)
            if ((img.pixel(x, y) & 0xffffff) != (color & 0xffffff))
                return false;
    return true;
}

} // namespace

// Needs the test X server's two monitors: 1920 x 1080 at (0, 0) and 1280 x 1024 at (1920, 0).
class TestScreenFreezerX11 : public QObject
{
    Q_OBJECT

    QProcess helper;
    QWidget *own = nullptr;
    const QRect ownRect{200, 300, 240, 160};     // on the first monitor
    const QRect helperRect{1920 + 100, 500, 300, 200}; // on the second

private slots:
    void initTestCase()
    {
        if (QGuiApplication::screens().size() < 2)
            QSKIP("needs the test X server with two monitors");
        helper.start(TestEnv::helperPath("capture_helper_colorwindow"),
                     {QString::number(helperRect.x()), QString::number(helperRect.y()),
                      QString::number(helperRect.width()), QString::number(helperRect.height()), "#00ff00"});
        QVERIFY(helper.waitForReadyRead(10000));
        own = new QWidget(nullptr, Qt::FramelessWindowHint | Qt::X11BypassWindowManagerHint);
        own->setGeometry(ownRect);
        own->setStyleSheet("background: #ff0000");
        own->show();
        QVERIFY(QTest::qWaitForWindowExposed(own));
        QTest::qWait(200);
    }

    void cleanupTestCase()
    {
        delete own;
        helper.kill();
        helper.waitForFinished();
    }

    void twoMonitorsOfTheirOwnSize()
    {
        const QList<ScreenInfo> screens = X11ScreenSource().screens();
        QCOMPARE(screens.size(), 2);
        QCOMPARE(screens[0].geometry, QRect(0, 0, 1920, 1080));
        QCOMPARE(screens[1].geometry, QRect(1920, 0, 1280, 1024));
        QVERIFY(screens[0].displayId != 0);
        QVERIFY(screens[1].displayId != 0);
        QVERIFY(screens[0].displayId != screens[1].displayId);
    }

    void picturesShowWhatIsOnEachScreen_data()
    {
        QTest::addColumn<bool>("sharedMemory");
        QTest::addColumn<bool>("captureSelf");
        QTest::newRow("shm, own windows left out") << true << false;
        QTest::newRow("shm, dev.captureSelf") << true << true;
        QTest::newRow("GetImage, own windows left out") << false << false;
    }
    void picturesShowWhatIsOnEachScreen()
    {
        QFETCH(bool, sharedMemory);
        QFETCH(bool, captureSelf);
        Preferences::shared().setValue("dev.captureSelf", captureSelf);
        auto source = std::make_shared<X11ScreenSource>(X11ScreenSource::Options{sharedMemory, 60});
        QCOMPARE(source->usesSharedMemory(), sharedMemory);
        ScreenFreezer freezer(source);
        const QList<FrozenFrame> frames = freeze(freezer);
        QCOMPARE(frames.size(), 2);
        QCOMPARE(frames[0].image.size(), QSize(1920, 1080));
        QCOMPARE(frames[1].image.size(), QSize(1280, 1024));
        for (const FrozenFrame &f : frames)
            QVERIFY(f.image.format() == QImage::Format_RGB32 || f.image.format() == QImage::Format_ARGB32_Premultiplied);

        // The other program's window, in the second monitor's own pixels.
        QVERIFY(allOf(frames[1].image, helperRect.translated(-1920, 0), qRgb(0, 255, 0)));
        QVERIFY(!allOf(frames[1].image, helperRect.translated(-1920, 0).adjusted(-2, 0, 0, 0), qRgb(0, 255, 0)));
        // Our own window only with dev.captureSelf, and back on screen afterwards.
        QCOMPARE(allOf(frames[0].image, ownRect, qRgb(255, 0, 0)), captureSelf);
        QVERIFY(own->isVisible());
        if (!captureSelf)
            QVERIFY(QTest::qWaitForWindowExposed(own));
        QTest::qWait(100);
    }

    void ownWindowsComeBack()
    {
        Preferences::shared().setValue("dev.captureSelf", false);
        ScreenFreezer freezer;
        QCOMPARE(freeze(freezer).size(), 2);
        QTRY_VERIFY(own->isVisible());
        QTest::qWait(200);
        // What the server shows now includes our window again.
        Preferences::shared().setValue("dev.captureSelf", true);
        const QList<FrozenFrame> frames = freeze(freezer);
        QVERIFY(allOf(frames.value(0).image, ownRect, qRgb(255, 0, 0)));
    }

    void noCompositorNoWindowPicture()
    {
        ScreenFreezer freezer;
        auto f = freezer.captureWindow(0xfffffff);
        QVERIFY(QTest::qWaitFor([&] { return f.isFinished(); }, 5000));
        QVERIFY(!f.result());
    }
};

QUILLET_TEST_MAIN(TestScreenFreezerX11)
#include "tst_screenfreezer_x11.moc"
