#include "capture/ScreenFreezer.h"
#include "platform/Preferences.h"
#include "platform/fake/FakeScreenSource.h"

#include "TestEnv.h"

#include <QCoreApplication>

namespace {

template<typename T>
bool waitFor(const QFuture<T> &f)
{
    return QTest::qWaitFor([&] { return f.isFinished(); }, 5000);
}

std::optional<FreezeError> freezeErrorOf(QFuture<QList<FrozenFrame>> f)
{
    try {
        f.result();
    } catch (const FreezeError &e) {
        return e;
    }
    return std::nullopt;
}

// An ARGB picture with an opaque rectangle on a transparent background.
QImage windowPicture(QSize size, QRect opaque)
{
    QImage img(size, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    for (int y = opaque.top(); y <= opaque.bottom(); ++y)
        for (int x = opaque.left(); x <= opaque.right(); ++x)
            img.setPixel(x, y, qRgba(10, 20, 30, 255));
    return img;
}

} // namespace

class TestScreenFreezer : public QObject
{
    Q_OBJECT

    std::shared_ptr<FakeScreenSource> fake;

    void twoScreens()
    {
        fake->screenList = {{11, "A", QRect(0, 0, 1440, 900), 2.0}, {22, "B", QRect(1440, 0, 911, 600), 1.5}};
        fake->contentValue.displays = {{11, QRect(0, 0, 2880, 1800)}, {22, QRect(2880, 0, 1367, 900)}};
        fake->contentValue.applications = {QCoreApplication::applicationPid()};
    }

private slots:
    void init()
    {
        fake = std::make_shared<FakeScreenSource>();
        Preferences::shared().remove("dev.captureSelf");
        twoScreens();
    }

    void framesComeInScreenOrderAtPixelSize()
    {
        fake->manualGrabs = true;
        ScreenFreezer freezer(fake);
        auto f = freezer.freezeAll();
        QTRY_COMPARE(fake->grabCalls.size(), 2);
        // Empty display map: one refresh before the grabs.
        QCOMPARE(fake->contentCalls, 1);
        QCOMPARE(fake->leftOutNow, 1);
        fake->finishGrab(22);
        QTest::qWait(10);
        QVERIFY(!f.isFinished());
        fake->finishGrab(11);
        QVERIFY(waitFor(f));
        const QList<FrozenFrame> frames = f.result();
        QCOMPARE(frames.size(), 2);
        QCOMPARE(frames[0].screen.displayId, 11u);
        QCOMPARE(frames[1].screen.displayId, 22u);
        QCOMPARE(frames[0].image.size(), QSize(2880, 1800));
        QCOMPARE(frames[1].image.size(), QSize(1367, 900)); // 911 x 1.5 = 1366.5
        QCOMPARE(frames[0].image.pixel(5, 5), FakeScreenSource::pictureColor(11));
        QCOMPARE(frames[1].image.devicePixelRatio(), 1.5);
        QCOMPARE(fake->leftOutNow, 0); // our windows come back once the grabs are done
        QCOMPARE(fake->leaveOutCalls, QList<QList<qint64>>{{QCoreApplication::applicationPid()}});

        // A warm display map is not listed again.
        auto again = freezer.freezeAll();
        QTRY_COMPARE(fake->grabCalls.size(), 4);
        fake->finishGrab(11);
        fake->finishGrab(22);
        QVERIFY(waitFor(again));
        QCOMPARE(fake->contentCalls, 1);
    }

    void unknownDisplays_data()
    {
        QTest::addColumn<QList<quint32>>("known");
        QTest::addColumn<QList<quint32>>("frozen");
        QTest::newRow("one unknown") << QList<quint32>{22} << QList<quint32>{22};
        QTest::newRow("all unknown") << QList<quint32>{} << QList<quint32>{};
    }
    void unknownDisplays()
    {
        QFETCH(QList<quint32>, known);
        QFETCH(QList<quint32>, frozen);
        QList<ScreenDisplay> displays;
        for (const ScreenDisplay &d : fake->contentValue.displays)
            if (known.contains(d.id))
                displays.append(d);
        fake->contentValue.displays = displays;
        ScreenFreezer freezer(fake);
        auto f = freezer.freezeAll();
        QVERIFY(waitFor(f));
        QCOMPARE(fake->contentCalls, 1); // the unknown id asks once, not again and again
        if (frozen.isEmpty()) {
            QCOMPARE(freezeErrorOf(f), FreezeError(FreezeError::noFrames));
            QCOMPARE(fake->grabCalls.size(), 0);
            return;
        }
        QList<quint32> ids;
        for (const FrozenFrame &fr : f.result())
            ids.append(fr.screen.displayId);
        QCOMPARE(ids, frozen);
    }

    void failedGrabFailsTheFreeze()
    {
        fake->failingDisplays.insert(22, "display asleep");
        ScreenFreezer freezer(fake);
        auto f = freezer.freezeAll();
        QVERIFY(waitFor(f));
        QCOMPARE(freezeErrorOf(f), FreezeError(FreezeError::screenshotFailed, "display asleep"));
        QCOMPARE(fake->leftOutNow, 0);
    }

    void failedListingKeepsTheOldMap()
    {
        ScreenFreezer freezer(fake);
        QVERIFY(waitFor(freezer.refresh()));
        QCOMPARE(freezer.knownDisplays(), (QList<quint32>{11, 22}));
        fake->contentError = "no permission";
        QVERIFY(waitFor(freezer.refresh()));
        QCOMPARE(freezer.knownDisplays(), (QList<quint32>{11, 22}));
        QVERIFY(freezer.ownApp());
        auto f = freezer.freezeAll();
        QVERIFY(waitFor(f));
        QCOMPARE(f.result().size(), 2);
    }

    void exclusion_data()
    {
        QTest::addColumn<bool>("captureSelf");
        QTest::addColumn<bool>("listed");
        QTest::addColumn<bool>("excluded");
        QTest::newRow("default") << false << true << true;
        QTest::newRow("dev.captureSelf") << true << true << false;
        QTest::newRow("not listed") << false << false << false;
    }
    void exclusion()
    {
        QFETCH(bool, captureSelf);
        QFETCH(bool, listed);
        QFETCH(bool, excluded);
        Preferences::shared().setValue("dev.captureSelf", captureSelf);
        if (!listed)
            fake->contentValue.applications = {4242};
        ScreenFreezer freezer(fake);
        auto f = freezer.freezeAll();
        QVERIFY(waitFor(f));
        QCOMPARE(fake->leaveOutCalls.size(), 1);
        QCOMPARE(!fake->leaveOutCalls[0].isEmpty(), excluded);
    }

    void pixelSize_data()
    {
        QTest::addColumn<QRect>("points");
        QTest::addColumn<double>("scale");
        QTest::addColumn<QSize>("pixels");
        QTest::newRow("retina") << QRect(0, 0, 1440, 900) << 2.0 << QSize(2880, 1800);
        QTest::newRow("half away from zero") << QRect(0, 0, 911, 601) << 1.5 << QSize(1367, 902);
        QTest::newRow("1.25") << QRect(0, 0, 1366, 768) << 1.25 << QSize(1708, 960);
    }
    void pixelSize()
    {
        QFETCH(QRect, points);
        QFETCH(double, scale);
        QFETCH(QSize, pixels);
        QCOMPARE(ScreenFreezer::pixelSize({1, "", points, scale}), pixels);
    }

    void opaqueBox_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QRect>("opaque"); // top-left rows
        QTest::addColumn<QRect>("box");    // bottom-left rows
        QTest::newRow("shadow 20 top, 40 bottom")
            << QSize(200, 160) << QRect(10, 20, 180, 100) << QRect(10, 40, 180, 100);
        QTest::newRow("whole picture") << QSize(30, 20) << QRect(0, 0, 30, 20) << QRect(0, 0, 30, 20);
        QTest::newRow("transparent") << QSize(30, 20) << QRect() << QRect();
    }
    void opaqueBox()
    {
        QFETCH(QSize, size);
        QFETCH(QRect, opaque);
        QFETCH(QRect, box);
        const auto found = ScreenFreezer::opaqueBox(windowPicture(size, opaque));
        QCOMPARE(found.value_or(QRect()), box);
        QCOMPARE(found.has_value(), !box.isNull());
    }

    void opaqueBoxLooksAtTheMiddleOnly()
    {
        // Rounded corners and a notch away from the middle row and column do not shrink the box.
        QImage img = windowPicture(QSize(100, 80), QRect(10, 10, 80, 60));
        for (int x = 10; x < 20; ++x)
            img.setPixel(x, 10, 0);
        img.setPixel(10, 69, 0);
        QCOMPARE(*ScreenFreezer::opaqueBox(img), QRect(10, 10, 80, 60));
        // An opaque RGB32 picture is all window.
        QImage rgb(40, 30, QImage::Format_RGB32);
        rgb.fill(Qt::red);
        QCOMPARE(*ScreenFreezer::opaqueBox(rgb), QRect(0, 0, 40, 30));
    }

    void captureWindow_data()
    {
        QTest::addColumn<quint32>("id");
        QTest::addColumn<QSize>("opaque"); // size of the opaque box in the first picture
        QTest::addColumn<bool>("found");
        QTest::newRow("id 0") << 0u << QSize(100, 100) << false;
        QTest::newRow("unknown window") << 99u << QSize(100, 100) << false;
        QTest::newRow("8 x 40") << 5u << QSize(8, 40) << false;
        QTest::newRow("40 x 8") << 5u << QSize(40, 8) << false;
        QTest::newRow("9 x 9") << 5u << QSize(9, 9) << true;
        QTest::newRow("shadowed") << 5u << QSize(180, 100) << true;
    }
    void captureWindow()
    {
        QFETCH(quint32, id);
        QFETCH(QSize, opaque);
        QFETCH(bool, found);
        fake->contentValue.windows = {{5, QRect(100, 100, 200, 120), 1, "app"}};
        fake->windowScale = 2;
        // The shadow takes a tenth of the picture on each side, whatever size is asked.
        fake->windowPicture = [opaque](const ScreenWindow &, QSize size) {
            if (size == QSize(400, 240)) {
                QRect r(QPoint(0, 0), opaque);
                r.moveCenter(QPoint(200, 120));
                return windowPicture(size, r);
            }
            const int mx = (size.width() - opaque.width() * size.width() / 400) / 2;
            const int my = (size.height() - opaque.height() * size.height() / 240) / 2;
            return windowPicture(size, QRect(mx, my, size.width() - 2 * mx, size.height() - 2 * my));
        };
        ScreenFreezer freezer(fake);
        auto f = freezer.captureWindow(id);
        QVERIFY(waitFor(f));
        const std::optional<WindowPicture> picture = f.result();
        QCOMPARE(picture.has_value(), found);
        if (id == 0)
            QCOMPARE(fake->contentCalls, 0);
        if (!found)
            return;
        QCOMPARE(fake->windowGrabCalls.first(), QSize(400, 240));
        const QSize second(qRound(400.0 * 400 / opaque.width()), qRound(240.0 * 240 / opaque.height()));
        QCOMPARE(fake->windowGrabCalls.at(1), second);
        QCOMPARE(picture->scale, 2.0);
        QCOMPARE(picture->image.size(), second);
        QVERIFY(std::abs(picture->box.width() - 400) <= 2);
        QVERIFY(std::abs(picture->box.height() - 240) <= 2);
    }
};

QUILLET_TEST_MAIN(TestScreenFreezer)
#include "tst_screenfreezer.moc"
