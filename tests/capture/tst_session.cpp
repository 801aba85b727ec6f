#include "capture/CaptureSession.h"
#include "app/SelfCheckFlag.h"
#include "capture/OverlayWindow.h"
#include "platform/Preferences.h"
#include "platform/TaskbarPolicy.h"
#include "platform/fake/FakeFrontApplication.h"
#include "platform/fake/FakeWindowList.h"

#include "SessionFixture.h"
#include "TestEnv.h"

#include <QClipboard>
#include <QMimeData>

using namespace SessionFixture;

class TestSession : public QObject
{
    Q_OBJECT

    QStringList steps;
    std::shared_ptr<FakeFrontApplication> apps;
    std::shared_ptr<FakeWindowList> fakeWindows;
    FakeCanvas *canvas = nullptr;
    QPointer<OverlayView> canvasView; // the view whose canvas is `canvas`

    static QList<FrozenFrame> twoScreens()
    {
        return {frame(QRect(0, 0, 400, 300), 11), frame(QRect(400, 0, 320, 240), 22)};
    }
    static RunningApp editor() { return RunningApp{77, 4242, QStringLiteral("Editor"), QStringLiteral("editor")}; }

    // A session in the current-session slot.
    CaptureSession *startSession(OverlayViewHost::Mode mode = OverlayViewHost::Mode::Canvas)
    {
        auto *s = new CaptureSession(twoScreens(), editor(), mode);
        CaptureSession::setCurrentSession(s);
        return s;
    }

private slots:
    void initTestCase()
    {
        apps = std::make_shared<FakeFrontApplication>();
        FrontApplication::setShared(apps);
        fakeWindows = std::make_shared<FakeWindowList>();
        WindowList::setShared(fakeWindows);
        canvas = new FakeCanvas(&steps);
        CaptureSession::canvasOf = [this](OverlayView *v) -> SessionCanvas * {
            return v && v == canvasView ? canvas : nullptr;
        };
        CaptureSession::writePages = [this](CaptureSession &, SessionCanvas &, bool sync) {
            steps << QStringLiteral("writePages sync=%1").arg(sync);
        };
    }

    void init()
    {
        CaptureSession::resetForTesting();
        flushDeletes();
        steps.clear();
        apps->activations.clear();
        fakeWindows->windows.clear();
        canvasView = nullptr;
        canvas->pages = 1;
        CaptureSession::sessionEndedHook = nullptr;
        Preferences::shared().remove(QStringLiteral("dock.hidden"));
        Preferences::shared().remove(QStringLiteral("dev.captureSelf"));
        TaskbarPolicy::setPolicy(ActivationPolicy::regular);
        ActivityLog::closeForTesting();
        QFile::remove(ActivityLog::logPath());
    }

    void oneOverlayPerFrameInOrder()
    {
        CaptureSession *s = startSession();
        QCOMPARE(s->windows().size(), 2);
        QCOMPARE(s->views().size(), 2);
        QCOMPARE(s->windows()[0]->geometry(), QRect(0, 0, 400, 300));
        QCOMPARE(s->windows()[1]->geometry(), QRect(400, 0, 320, 240));
        QCOMPARE(s->views()[1]->size(), QSize(320, 240));
        QCOMPARE(s->views()[1]->frozen().width(), 320);
        QCOMPARE(s->views()[0]->pixelScale(), 1.0);
        QCOMPARE(s->displays(), (QList<std::optional<quint32>>{11u, 22u}));
        QCOMPARE(s->views()[0]->session(), static_cast<OverlayViewHost *>(s));
        QVERIFY(s->windows()[0]->windowFlags() & Qt::X11BypassWindowManagerHint);
    }

    void pixelScaleIsPictureWidthOverScreenWidth()
    {
        CaptureSession s({frame(QRect(0, 0, 200, 100), 1, 2)}, std::nullopt, OverlayViewHost::Mode::Clipboard);
        QCOMPARE(s.views()[0]->pixelScale(), 2.0);
        QCOMPARE(s.views()[0]->size(), QSize(200, 100));
    }

    // Every step of end in its order; the hook sees the slot empty and "canvas closed" logged.
    void endRunsItsStepsInOrder()
    {
        CaptureSession *s = startSession();
        s->commitArea(s->views()[0], QRectF(10, 10, 100, 80));
        canvasView = s->views()[0];
        s->scheduleAutosave();
        QVERIFY(s->autosavePending());
        QPointer<OverlayWindow> window = s->windows()[0];
        CaptureSession::sessionEndedHook = [&] {
            steps << QStringLiteral("hook slot=%1 windows=%2 closedLogged=%3 activated=%4")
                         .arg(CaptureSession::currentSession() != nullptr)
                         .arg(s->windows().size())
                         .arg(log().contains("canvas closed"))
                         .arg(apps->activations.size());
        };
        s->end(true);
        QCOMPARE(steps, (QStringList{"saveCurrentPage", "writePages sync=0",
                                     "hook slot=0 windows=0 closedLogged=1 activated=1"}));
        QCOMPARE(apps->activations, QList<RunningApp>{editor()});
        QVERIFY(!s->autosavePending());
        QVERIFY(window && !window->isVisible());
        flushDeletes();
        QVERIFY(!window);
        QTest::qWait(1200); // the cancelled autosave never writes
        QCOMPARE(steps.filter("writePages").size(), 1);
    }

    void endWithoutCanvasStillClearsTheSlot()
    {
        CaptureSession *s = startSession(OverlayViewHost::Mode::Clipboard);
        int hooks = 0;
        CaptureSession::sessionEndedHook = [&] { ++hooks; };
        QPointer<CaptureSession> alive = s;
        s->end(false);
        QCOMPARE(CaptureSession::currentSession(), nullptr);
        QCOMPARE(hooks, 1);
        QVERIFY(log().contains("canvas closed"));
        QVERIFY(apps->activations.isEmpty()); // not asked to reactivate
        QVERIFY(steps.isEmpty());
        flushDeletes();
        QVERIFY(!alive); // released with the slot
    }

    void commitAreaRemembersItAndKeepsOnlyTheChosenOverlay()
    {
        CaptureSession *s = startSession();
        s->show();
        QVERIFY(s->windows()[0]->isVisible() && s->windows()[1]->isVisible());
        const QPointer<OverlayWindow> other = s->windows()[0];
        s->commitArea(s->views()[1], QRectF(5, 6, 70, 80));
        QCOMPARE(s->active(), s->views()[1]);
        QVERIFY(CaptureSession::lastArea);
        QCOMPARE(CaptureSession::lastArea->display, std::optional<quint32>(22));
        QCOMPARE(CaptureSession::lastArea->rect, QRectF(5, 6, 70, 80));
        // With a canvas editor to open, the other screen's window is ordered out and goes back
        // to the pool for the next capture; the chosen one keeps its place.
        QVERIFY(!other || !other->isVisible());
        QCOMPARE(s->windows().size(), 2);
        QVERIFY(!s->windows()[0]);
        QVERIFY(s->windows()[1]->isVisible());
        QVERIFY(s->windows()[1]->isKey());
    }

    void chosenAreaWithoutCanvasEditorEndsTheCapture()
    {
        const auto canvasEditor = CaptureSession::canvasOf;
        CaptureSession::canvasOf = nullptr;
        CaptureSession *s = startSession();
        s->show();
        s->views()[1]->finish(QRectF(10, 10, 50, 40));
        QVERIFY(log().contains("capture: the canvas is not in this build"));
        QCOMPARE(CaptureSession::lastArea->display, std::optional<quint32>(22));
        QTRY_COMPARE(CaptureSession::currentSession(), nullptr);
        QCOMPARE(apps->activations, QList<RunningApp>{editor()});
        CaptureSession::canvasOf = canvasEditor;
    }

    void pictureSessionOpensOnTheScreenUnderThePointer()
    {
        const QList<ScreenInfo> screens = {ScreenInfo{11, "A", QRect(-500, 0, 500, 400), 1},
                                           ScreenInfo{22, "B", QRect(0, 0, 800, 600), 1}};
        const QUuid first = QUuid::createUuid(), second = QUuid::createUuid();
        Markup markup;
        markup.shots = {Shot(first, QPointF(0, 0), QSizeF(100, 50), QRectF(0, 0, 100, 50)),
                        Shot(second, QPointF(120, 0), QSizeF(60, 40), QRectF(120, 0, 60, 40))};
        const QHash<QUuid, ShotImage> images = {{second, ShotImage{pattern(60, 40), 1}},
                                                {first, ShotImage{pattern(200, 100), 2}}};
        QCursor::setPos(QPoint(-100, 30));
        QStringList opened;
        CaptureSession::openPictures = [&](CaptureSession &session, OverlayView *view, const Markup &m,
                                           const QHash<QUuid, ShotImage> &pictures, const std::optional<QString> &id) {
            opened << QStringLiteral("%1 %2 shots, %3 pictures, %4")
                          .arg(view == session.active()).arg(m.shots.size()).arg(pictures.size()).arg(id.value_or("none"));
        };
        auto *s = new CaptureSession(markup, images, QStringLiteral("entry-1"), editor(), screens);
        CaptureSession::setCurrentSession(s);
        QCOMPARE(opened, QStringList{"1 2 shots, 2 pictures, entry-1"});
        QCOMPARE(s->mode(), OverlayViewHost::Mode::Canvas);
        QCOMPARE(s->windows().size(), 1);
        QCOMPARE(s->windows()[0]->geometry(), QRect(-500, 0, 500, 400));
        QCOMPARE(s->displays(), QList<std::optional<quint32>>{11u});
        QCOMPARE(s->views()[0]->frozen().width(), 200); // the first shot's picture
        QCOMPARE(s->views()[0]->pixelScale(), 2.0);

        // Without a canvas editor the pictures cannot open: the session says so and goes.
        CaptureSession::openPictures = nullptr;
        auto *closed = new CaptureSession(markup, images, std::nullopt, editor(), screens);
        CaptureSession::setCurrentSession(closed);
        QVERIFY(log().contains("capture: the canvas is not in this build; the pictures are not opened"));
        QTRY_COMPARE(CaptureSession::currentSession(), nullptr);
    }

    // A further shot for an open canvas: its results go to the parent's canvas.
    void repeatLastArea_data()
    {
        QTest::addColumn<std::optional<quint32>>("display");
        QTest::addColumn<QRectF>("remembered");
        QTest::addColumn<QString>("shot");
        QTest::newRow("same display") << std::optional<quint32>(22) << QRectF(10, 20, 100, 50)
                                      << "addShot 320x240 @1 10,20 100x50";
        QTest::newRow("display gone: first overlay") << std::optional<quint32>(99) << QRectF(10, 20, 100, 50)
                                                     << "addShot 400x300 @1 10,20 100x50";
        QTest::newRow("no display: first overlay") << std::optional<quint32>() << QRectF(0, 0, 50, 50)
                                                    << "addShot 400x300 @1 0,0 50x50";
        QTest::newRow("cut to the overlay") << std::optional<quint32>(22) << QRectF(300, 200, 100, 100)
                                            << "addShot 320x240 @1 300,200 20x40";
        QTest::newRow("mostly off: nothing") << std::optional<quint32>(22) << QRectF(315, 10, 100, 100) << "";
    }
    void repeatLastArea()
    {
        QFETCH(std::optional<quint32>, display);
        QFETCH(QRectF, remembered);
        QFETCH(QString, shot);
        CaptureSession *parent = startSession();
        parent->commitArea(parent->views()[0], QRectF(0, 0, 50, 50));
        canvasView = parent->views()[0];
        auto *child = new CaptureSession(twoScreens(), editor(), OverlayViewHost::Mode::AddShot);
        parent->setChild(child);
        CaptureSession::lastArea = CaptureSession::LastArea{display, remembered};
        child->show();
        child->repeatLastArea();
        if (shot.isEmpty()) {
            QVERIFY(steps.isEmpty());
            QCOMPARE(parent->child(), child);
            return;
        }
        QCOMPARE(steps, (QStringList{"focusDocument", shot}));
        QVERIFY(child->windows().isEmpty()); // its overlays are hidden and forgotten
        QCOMPARE(parent->child(), nullptr);
        QCOMPARE(parent->windows().size(), 2);
        QCOMPARE(CaptureSession::currentSession(), parent);
    }

    void windowShotGoesToTheParentCanvas()
    {
        CaptureSession *parent = startSession();
        parent->commitArea(parent->views()[0], QRectF(0, 0, 50, 50));
        canvasView = parent->views()[0];
        auto *child = new CaptureSession(twoScreens(), editor(), OverlayViewHost::Mode::AddShot);
        parent->setChild(child);
        child->addWindowShot(pattern(300, 200), 2);
        QCOMPARE(steps, (QStringList{"focusDocument", "addShot 300x200 @2 0,0 150x100"}));
    }

    void escapeDuringFurtherShotBringsTheCanvasBack()
    {
        CaptureSession *parent = startSession();
        parent->commitArea(parent->views()[0], QRectF(0, 0, 50, 50));
        canvasView = parent->views()[0];
        parent->hideForCapture();
        QCOMPARE(steps, QStringList{"endEditing"});
        QVERIFY(!parent->windows()[0]->isVisible());
        auto *child = new CaptureSession(twoScreens(), editor(), OverlayViewHost::Mode::AddShot);
        parent->setChild(child);
        QPointer<CaptureSession> alive = child;
        QVERIFY(parent->cancelSelection());
        QCOMPARE(steps, (QStringList{"endEditing", "focusDocument"}));
        QCOMPARE(parent->child(), nullptr);
        QVERIFY(parent->windows()[0]->isVisible());
        QCOMPARE(CaptureSession::currentSession(), parent);
        flushDeletes();
        QVERIFY(!alive);
    }

    void escapeEndsACapture()
    {
        CaptureSession *s = startSession(OverlayViewHost::Mode::Clipboard);
        QVERIFY(s->cancelSelection());
        QCOMPARE(CaptureSession::currentSession(), nullptr);
        QCOMPARE(apps->activations, QList<RunningApp>{editor()});
        QVERIFY(!s->cancelSelection()); // no windows any more
    }

    void windowListForPicking_data()
    {
        QTest::addColumn<bool>("captureSelf");
        QTest::addColumn<QList<quint32>>("ids");
        QTest::newRow("others only") << false << QList<quint32>{1, 4, 8};
        QTest::newRow("dev.captureSelf") << true << QList<quint32>{1, 3, 4, 8};
    }
    void windowListForPicking()
    {
        QFETCH(bool, captureSelf);
        QFETCH(QList<quint32>, ids);
        Preferences::shared().setValue(QStringLiteral("dev.captureSelf"), captureSelf);
        const qint64 self = QCoreApplication::applicationPid();
        const auto entry = [](quint32 n, QRectF r, int layer = 0, qint64 pid = 1, std::optional<double> a = {}) {
            return WindowListEntry{n, r, layer, pid, a};
        };
        fakeWindows->windows = {
            entry(1, QRectF(10, 10, 100, 100)),
            entry(2, QRectF(10, 10, 100, 100), 3),            // kept above the others
            entry(3, QRectF(20, 20, 100, 100), 0, self),      // our own
            entry(4, QRectF(30, 30, 100, 100), 0, 1, 0.02),
            entry(5, QRectF(30, 30, 100, 100), 0, 1, 0.01),   // nearly transparent
            entry(6, QRectF(30, 30, 39.5, 100)),              // too narrow
            entry(7, QRectF(380, 50, 100, 60)),               // 20 x 60 on the first, 80 x 60 on the second
            entry(8, QRectF(-20, 250, 100, 60)),              // cut to 80 x 50 on the first
            WindowListEntry{9, std::nullopt, 0, 1, {}},       // no bounds
            entry(10, QRectF(390, 250, 100, 60)),             // 10 x 50 and 90 x 0 after cutting
        };
        CaptureSession *s = startSession();
        s->loadWindowList();
        QCOMPARE(s->views()[0]->windowIds(), ids);
        QCOMPARE(s->views()[0]->windowRects().first(), QRectF(10, 10, 100, 100));
        QCOMPARE(s->views()[0]->windowRects().last(), QRectF(0, 250, 80, 50));
        QCOMPARE(s->views()[1]->windowIds(), QList<quint32>{7});
        QCOMPARE(s->views()[1]->windowRects(), QList<QRectF>{QRectF(0, 50, 80, 60)});
    }

    void copyAreaPutsThePixelsOnTheClipboard()
    {
        CaptureSession *s = startSession(OverlayViewHost::Mode::Clipboard);
        const QImage frozen = s->views()[0]->frozen();
        s->copyArea(s->views()[0], QRectF(100, 100, 200, 150));
        // The session ends at once; the bytes are made meanwhile and a read waits for them.
        QCOMPARE(CaptureSession::currentSession(), nullptr);
        QCOMPARE(apps->activations.size(), 1);
        const QMimeData *data = QGuiApplication::clipboard()->mimeData();
        QVERIFY(data && data->hasFormat("image/png") && data->hasFormat("image/tiff"));
        const QImage png = QImage::fromData(data->data("image/png"), "png").convertToFormat(QImage::Format_RGB32);
        QCOMPARE(png, frozen.copy(100, 100, 200, 150).convertToFormat(QImage::Format_RGB32));
        const QImage tiff = QImage::fromData(data->data("image/tiff"), "tiff").convertToFormat(QImage::Format_RGB32);
        QCOMPARE(tiff, png);
        QVERIFY(log().contains("export: clipboard 200x150"));
        QTRY_COMPARE(toastText(), QStringLiteral("Copied  200 × 150"));
    }

    void copyAreaOutsideThePictureKeepsTheSession()
    {
        CaptureSession *s = startSession(OverlayViewHost::Mode::Clipboard);
        s->copyArea(s->views()[0], QRectF(500, 500, 20, 20));
        QCOMPARE(CaptureSession::currentSession(), s);
        QCOMPARE(s->windows().size(), 2);
        QVERIFY(apps->activations.isEmpty());
    }

    void toastSizeIsInPixels()
    {
        // The toast comes once the bytes are made, after the session has ended and gone.
        auto *s = new CaptureSession({frame(QRect(0, 0, 800, 600), 1, 2)}, std::nullopt, OverlayViewHost::Mode::Clipboard);
        CaptureSession::setCurrentSession(s);
        s->copyWindowImage(pattern(1600, 1200), 2);
        QTRY_COMPARE(toastText(), QStringLiteral("Copied  1600 × 1200"));
    }

    void dragOut_data()
    {
        QTest::addColumn<bool>("dropped");
        QTest::addColumn<int>("pages");
        QTest::addColumn<bool>("ends");
        QTest::newRow("not dropped") << false << 1 << false;
        QTest::newRow("dropped, one page") << true << 1 << true;
        QTest::newRow("dropped, two pages") << true << 2 << false;
    }
    void dragOut()
    {
        QFETCH(bool, dropped);
        QFETCH(int, pages);
        QFETCH(bool, ends);
        CaptureSession *s = startSession();
        s->commitArea(s->views()[0], QRectF(0, 0, 50, 50));
        canvasView = s->views()[0];
        canvas->pages = pages;
        s->windows()[0]->setWindowOpacity(0.2);
        s->dragOutFinished(dropped);
        QCOMPARE(CaptureSession::currentSession() == nullptr, ends);
        QCOMPARE(steps.contains("markDone"), dropped);
        QCOMPARE(toastText() == "Dropped", dropped);
        if (!ends)
            QCOMPARE(s->windows()[0]->windowOpacity(), 1.0);
    }

    void frontChangesAreLogged()
    {
        double now = 100;
        CaptureSession::setClockForTesting([&] { return now; });
        CaptureSession *s = startSession();
        s->watchFrontApp();
        QVERIFY(apps->watching);
        apps->bringToFront(RunningApp{5, QCoreApplication::applicationPid(), "Self", "self"});
        now += 2;
        apps->bringToFront(RunningApp{6, 99, "", "org.example.Viewer"});
        apps->bringToFront(RunningApp{7, 98, "", ""});
        QTRY_VERIFY(log().contains("in front: ?"));
        const QString text = log();
        QVERIFY(!text.contains("in front: Self"));
        QVERIFY(text.contains("in front: org.example.Viewer"));
        QVERIFY(!text.contains("took the front back")); // 2 s after: only logged
        CaptureSession::setClockForTesting({});
    }

    void canvasOpenedLogsTheFrontApplicationAndWatches()
    {
        apps->front = editor();
        apps->watching = false;
        Preferences::shared().setValue(QStringLiteral("dock.hidden"), true);
        TaskbarPolicy::setPolicy(ActivationPolicy::accessory);
        CaptureSession *s = startSession();
        s->canvasOpened();
        QVERIFY(log().contains("canvas opened (in front: Editor)"));
        QVERIFY(apps->watching);
        QCOMPARE(TaskbarPolicy::policy(), ActivationPolicy::regular); // shown while a session exists
    }

    // While the self-check drives the application nothing takes the keyboard or the front, and
    // the taskbar is left alone.
    void selfCheckKeepsOutOfTheWay()
    {
        SelfCheckFlag::set(true);
        apps->watching = false;
        Preferences::shared().setValue(QStringLiteral("dock.hidden"), true);
        CaptureSession *s = startSession();
        s->show();
        for (OverlayWindow *w : s->windows()) {
            QVERIFY(!w->isKey());
            QVERIFY(w->windowFlags() & Qt::WindowStaysOnBottomHint);
            QVERIFY(w->windowFlags() & Qt::WindowDoesNotAcceptFocus);
        }
        s->watchFrontApp();
        QVERIFY(!apps->watching);
        s->end(false);
        QCOMPARE(TaskbarPolicy::policy(), ActivationPolicy::regular);
        SelfCheckFlag::set(false);
    }

    void closingRunsOnUserCloseInstead()
    {
        OverlayWindow window(QRect(0, 0, 200, 100));
        int closes = 0;
        window.onUserClose = [&] { ++closes; };
        window.orderFrontRegardless();
        QVERIFY(!window.close());
        QCOMPARE(closes, 1);
        QVERIFY(window.isVisible());
        window.onUserClose = nullptr;
        QVERIFY(window.close());
        QVERIFY(!window.isVisible());
    }

    void taskbarPolicyFollowsTheSession_data()
    {
        QTest::addColumn<bool>("hidden");
        QTest::newRow("dock.hidden on") << true;
        QTest::newRow("dock.hidden off") << false;
    }
    void taskbarPolicyFollowsTheSession()
    {
        QFETCH(bool, hidden);
        Preferences::shared().setValue(QStringLiteral("dock.hidden"), hidden);
        CaptureSession::updateDockIcon();
        QCOMPARE(TaskbarPolicy::policy(), hidden ? ActivationPolicy::accessory : ActivationPolicy::regular);
        CaptureSession *s = startSession();
        CaptureSession::updateDockIcon();
        QCOMPARE(TaskbarPolicy::policy(), ActivationPolicy::regular);
        s->end(false);
        QCOMPARE(TaskbarPolicy::policy(), hidden ? ActivationPolicy::accessory : ActivationPolicy::regular);
    }

};

QUILLET_TEST_MAIN(TestSession)
#include "tst_session.moc"
