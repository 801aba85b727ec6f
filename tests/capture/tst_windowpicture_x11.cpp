#include "capture/ScreenFreezer.h"
#include "platform/linux/X11ScreenSource.h"

#include "StandInCompositor.h"
#include "TestEnv.h"

#include <QCoreApplication>
#include <QWidget>


// Window pictures come from the compositing manager's window pixmaps, here a stand-in's.
class TestWindowPictureX11 : public QObject
{
    Q_OBJECT

    std::unique_ptr<StandInCompositor> compositor;

private slots:
    void initTestCase()
    {
        compositor = std::make_unique<StandInCompositor>();
        if (!compositor->problem().isEmpty())
            QSKIP(qPrintable(compositor->problem()));
    }

    void cleanupTestCase() { compositor.reset(); }

    void pictureOfAManagedWindow()
    {
        QWidget window;
        window.setWindowTitle("picture me");
        window.setStyleSheet("background: #3050c0");
        window.setGeometry(300, 200, 320, 240);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QTest::qWait(300);

        ScreenFreezer freezer(std::make_shared<X11ScreenSource>());
        auto content = freezer.source()->content();
        QVERIFY(QTest::qWaitFor([&] { return content.isFinished(); }, 5000));
        quint32 id = 0;
        for (const ScreenWindow &w : content.result().windows)
            if (w.pid == QCoreApplication::applicationPid())
                id = w.id;
        if (!id)
            QSKIP("no window manager lists the test window");

        auto f = freezer.captureWindow(id);
        QVERIFY(QTest::qWaitFor([&] { return f.isFinished(); }, 5000));
        const std::optional<WindowPicture> picture = f.result();
        QVERIFY(picture);
        QCOMPARE(picture->scale, 1.0);
        // Opaque all over: the window manager's frame and the window itself.
        QCOMPARE(picture->box, QRect(QPoint(0, 0), picture->image.size()));
        QVERIFY(picture->image.width() >= 320 && picture->image.height() >= 240);
        const QPoint middle(picture->image.width() / 2, picture->image.height() / 2);
        QCOMPARE(picture->image.pixel(middle) & 0xffffff, 0x3050c0u);
    }
};

QUILLET_TEST_MAIN(TestWindowPictureX11)
#include "tst_windowpicture_x11.moc"
