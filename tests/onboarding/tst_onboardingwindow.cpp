#include "TestEnv.h"
#include "WelcomeFixture.h"
#include "settings/HeaderWindow.h"

#include <QImage>

using Step = WelcomeModel::Step;
using Region = OnboardingWindowController::HeaderRegion;
Q_DECLARE_METATYPE(OnboardingWindowController::HeaderRegion)

namespace {
QStringList qmlWarnings;
QtMessageHandler previousHandler = nullptr;

// Every warning of the QML engine fails the test that caused it.
void watchWarnings(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (type != QtDebugMsg && type != QtInfoMsg
        && (QByteArray(context.category).startsWith("qt.qml") || message.contains(QLatin1String(".qml"))))
        qmlWarnings << message;
    previousHandler(type, context, message);
}
} // namespace

class TestOnboardingWindow : public QObject
{
    Q_OBJECT
    std::unique_ptr<WelcomeFixture> f;

    QQuickItem *item(const QString &name, QQuickItem *in = nullptr)
    {
        QQuickItem *hit = findItem(in ? in : f->window().rootObject(), name);
        if (!hit)
            qWarning("no item %s", qPrintable(name));
        return hit;
    }
    QString text(const QString &name, QQuickItem *in = nullptr)
    {
        QQuickItem *i = item(name, in);
        return i ? i->property("text").toString() : QString();
    }
    QQuickItem *step(int n) { return item(QStringLiteral("step%1").arg(n)); }
    QList<bool> openCards()
    {
        QList<bool> open;
        for (int n = 0; n < 4; ++n)
            open << shown(item(QStringLiteral("openCard"), step(n)));
        return open;
    }
    void showWindow()
    {
        f->controller->show();
        QVERIFY(QTest::qWaitForWindowExposed(&f->window()));
    }

private slots:
    void initTestCase() { previousHandler = qInstallMessageHandler(watchWarnings); }
    void init()
    {
        qmlWarnings.clear();
        f = std::make_unique<WelcomeFixture>();
    }
    void cleanup()
    {
        f.reset();
        QVERIFY2(qmlWarnings.isEmpty(), qPrintable(qmlWarnings.join(QLatin1Char('\n'))));
    }

    void stagedFreshOpensTheFirstRow()
    {
        f->make().stage(QStringLiteral("fresh"));
        showWindow();
        QCOMPARE(openCards(), QList<bool>({true, false, false, false}));
        QCOMPARE(text(QStringLiteral("finishButton")), QStringLiteral("Finish later"));
        QVERIFY(!item(QStringLiteral("finishButton"))->property("prominent").toBool());
        QVERIFY(shown(item(QStringLiteral("previewBadge"))));
        // With the badge shown the footer's button still keeps the window's right margin.
        QQuickItem *button = item(QStringLiteral("finishButton"));
        const QRectF inWindow = button->mapRectToScene(QRectF(0, 0, button->width(), button->height()));
        QVERIFY2(inWindow.right() <= f->window().width() - 28 + 0.5, qPrintable(QString::number(inWindow.right())));
        QCOMPARE(text(QStringLiteral("availability"), step(0)), Permissions::waylandReason());
        QCOMPARE(text(QStringLiteral("markerText"), step(1)), QStringLiteral("2"));
        // Staged answers hold against the real ones for the controller's life.
        f->scheduler.advance(3);
        QVERIFY(!f->model().screen());
    }

    void availableFacilitiesOpenTheShortcutStep()
    {
        f->center->setShortcut(std::nullopt, CaptureAction::areaToCanvas);
        f->make();
        showWindow();
        QCOMPARE(openCards(), QList<bool>({false, false, true, false}));
        QCOMPARE(text(QStringLiteral("note"), step(0)), QStringLiteral("Available"));
        QCOMPARE(text(QStringLiteral("note"), step(2)), QStringLiteral("Not set yet"));
        QCOMPARE(text(QStringLiteral("recordButton")), QStringLiteral("Record"));
        QCOMPARE(text(QStringLiteral("finishButton")), QStringLiteral("Done"));
        QVERIFY(!shown(item(QStringLiteral("previewBadge"))));

        // Recording Ctrl+Alt+5 ticks the step and opens the next one.
        f->model().toggleRecording();
        QVERIFY(f->model().recording());
        QCOMPARE(text(QStringLiteral("recordButton")), QStringLiteral("Cancel"));
        QCOMPARE(text(QStringLiteral("fieldText")), QStringLiteral("Press the keys you want"));
        QTest::keyPress(&f->window(), Qt::Key_Control, Qt::ControlModifier);
        QTest::keyPress(&f->window(), Qt::Key_Alt, Qt::ControlModifier | Qt::AltModifier);
        QCOMPARE(f->model().held(), QStringList({"Ctrl", "Alt"}));
        QTest::keyClick(&f->window(), Qt::Key_5, Qt::ControlModifier | Qt::AltModifier);
        QVERIFY(!f->model().recording());
        QVERIFY(f->grabber.holds(KeyCode::Digit5, EventFlag::Command | EventFlag::Option));
        QCOMPARE(f->model().ticks(), QList<bool>({true, true, true, false}));
        QCOMPARE(openCards(), QList<bool>({false, false, false, true}));
        QCOMPARE(text(QStringLiteral("tryText"), step(3)),
                 QStringLiteral("Press Ctrl+Alt+5, drag over something, draw an arrow and type. Ctrl+C copies and closes."));
    }

    void aRefusalAndAClash()
    {
        f->make();
        f->model().setChosen(Step::shortcut);
        showWindow();
        f->model().toggleRecording();
        QTest::keyClick(&f->window(), Qt::Key_B);
        QCOMPARE(text(QStringLiteral("explanation")), ShortcutRecorder::refusalText());
        // The desktop's own screenshot keys: stored, not working, the take-over offered at once.
        QTest::keyClick(&f->window(), Qt::Key_NumberSign, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(f->model().status().kind, HotKeyCenter::Status::system);
        QCOMPARE(f->model().current(), Step::shortcut);
        QCOMPARE(f->offered, 0);
        f->scheduler.advance(0);
        QCOMPARE(f->offered, 1);
        QCOMPARE(text(QStringLiteral("note"), step(2)), QStringLiteral("The system uses this shortcut"));
        QCOMPARE(text(QStringLiteral("takeOverButton")), QStringLiteral("Use Ctrl+Shift+3 for Quillet™…"));
        QVERIFY(text(QStringLiteral("explanation")).contains(QStringLiteral("“Save picture of screen as a file”")));
    }

    void closingSetsBothPreferences_data()
    {
        QTest::addColumn<bool>("byButton");
        QTest::newRow("finish") << true;
        QTest::newRow("window manager") << false;
    }
    void closingSetsBothPreferences()
    {
        QFETCH(bool, byButton);
        f->make().stage(QStringLiteral("done:8"));
        showWindow();
        // A capture hides our windows for a moment: that is no closing.
        f->window().hide();
        f->window().show();
        QVERIFY(f->controller->isVisible());
        QVERIFY(!Preferences::shared().boolValue(QStringLiteral("onboarding.done")));
        f->model().toggleRecording();
        if (byButton)
            f->model().finish();
        else
            f->window().close();
        QVERIFY(!f->controller->isVisible());
        QVERIFY(!f->model().recording());
        QCOMPARE(Preferences::shared().boolValue(QStringLiteral("onboarding.done")), true);
        QCOMPARE(Preferences::shared().boolValue(QStringLiteral("onboarding.permissionsSeen")), true);
        // Reopening keeps what the model had.
        showWindow();
        QCOMPARE(f->model().melt(), 8);
        QVERIFY(f->model().captured());
        QVERIFY(f->model().staged());
    }

    void pollingPermissions()
    {
        f->permissions->screenAnswer = {false, Permissions::waylandReason()};
        f->make();
        showWindow();
        const int shows = f->registrations;
        // The first tick only records what it saw.
        f->scheduler.advance(1);
        QCOMPARE(f->registrations, shows);
        // Unchanged: nothing.
        f->scheduler.advance(1);
        QCOMPARE(f->registrations, shows);
        // Newly available: the window comes forward (and registers the shortcuts again).
        f->permissions->screenAnswer = {true, {}};
        f->scheduler.advance(1);
        QVERIFY(f->model().screen());
        QCOMPARE(f->registrations, shows + 1);
        // Withdrawn: only refreshed.
        f->permissions->screenAnswer = {false, Permissions::waylandReason()};
        f->scheduler.advance(1);
        QVERIFY(!f->model().screen());
        QCOMPARE(f->registrations, shows + 1);
        // While recording nothing is asked.
        f->model().toggleRecording();
        const int asked = f->permissions->asked;
        f->scheduler.advance(3);
        QCOMPARE(f->permissions->asked, asked);
        f->model().toggleRecording();
        // Closed: no more ticks.
        f->window().close();
        const int askedClosed = f->permissions->asked;
        f->scheduler.advance(3);
        QCOMPARE(f->permissions->asked, askedClosed);
    }

    void heightFollowsTheContent()
    {
        f->make();
        const int h = f->window().height();
        QVERIFY(h > 400);
        f->window().setPosition(100, 150);
        f->model().reportHeight(h + 0.4);
        QCOMPARE(f->window().height(), h);
        f->model().reportHeight(h + 20);
        QCOMPARE(f->window().height(), h + 20);
        QCOMPARE(f->window().y(), 150);
        // Opening another card changes the content's height, and the window follows.
        showWindow();
        const int before = f->window().height();
        f->model().setChosen(Step::screen);
        QTRY_VERIFY(f->window().height() != before);
        QTRY_COMPARE(f->window().height(), qRound(f->window().rootObject()->implicitHeight()));
    }

    void headerRegions_data()
    {
        QTest::addColumn<QPointF>("point");
        QTest::addColumn<Region>("region");
        QTest::newRow("mascot top") << QPointF(230, 5) << Region::mascot;
        QTest::newRow("mascot lower edge") << QPointF(40, 259) << Region::mascot;
        QTest::newRow("beside the mascot") << QPointF(10, 100) << Region::none;
        QTest::newRow("gap under the mascot") << QPointF(230, 300) << Region::none;
        QTest::newRow("steps strip") << QPointF(230, 350) << Region::steps;
        QTest::newRow("strip's bottom") << QPointF(5, 399) << Region::steps;
    }
    void headerRegions()
    {
        QFETCH(QPointF, point);
        QTEST(OnboardingWindowController::headerRegion(point), "region");
    }

    // Under a title bar the header is drawn inside the window, whole: a click on the mascot melts
    // it, one beside it does nothing.
    void headerInsideTheWindow()
    {
        f->make().stage(QStringLiteral("access"));
        showWindow();
        QVERIFY(f->model().headerInside());
        QVERIFY(!f->controller->header()->isVisible());
        QQuickItem *band = item(QStringLiteral("headerBand"));
        QVERIFY(shown(band));
        // The whole quill (15 below the header's top, drawn 3 above the band) is inside.
        QQuickItem *quill = item(QStringLiteral("quill4"));
        QVERIFY(quill && quill->mapToScene(QPointF(0, 0)).y() >= 8);
        const QPointF mascot = band->mapToScene(QPointF(band->width() / 2, 100));
        QTest::mouseClick(&f->window(), Qt::LeftButton, {}, mascot.toPoint());
        QCOMPARE(f->model().melt(), 4);
        QTest::mouseClick(&f->window(), Qt::LeftButton, {}, band->mapToScene(QPointF(10, 100)).toPoint());
        QCOMPARE(f->model().melt(), 4);
    }

    void firstShowKeepsRoomForTheHeader()
    {
        f->make();
        showWindow();
        const QRect visible = f->window().screen()->availableGeometry();
        QVERIFY(f->window().y() >= visible.top() + 123);
        const QPoint placed = f->window().position();
        f->controller->show();
        QCOMPARE(f->window().position(), placed);
    }

    void loginSwitch()
    {
        f->make();
        showWindow();
        f->model().setLogin(true);
        QVERIFY(f->login->enabled);
        QVERIFY(f->model().login());
        f->login->failure = QStringLiteral("the autostart folder is read-only");
        f->model().setLogin(false);
        QCOMPARE(f->toasts, QStringList(QStringLiteral("Could not change: the autostart folder is read-only")));
        QVERIFY(f->model().login());
    }

    void shotTakenAndAgreementLinks()
    {
        f->make();
        showWindow();
        f->model().setChosen(Step::screen);
        f->controller->markShotTaken();
        QVERIFY(f->model().captured());
        QVERIFY(!f->model().chosen());
        QMetaObject::invokeMethod(item(QStringLiteral("agreement")), "linkActivated",
                                  Q_ARG(QString, QStringLiteral("/terms/")));
        QCOMPARE(f->legal, QStringList(QStringLiteral("/terms/")));
    }

    void snapshotHasTheMargins()
    {
        f->make();
        const QByteArray png = f->controller->pngSnapshot();
        const QImage picture = QImage::fromData(png, "PNG");
        QVERIFY(!picture.isNull());
        const QSize window = f->window().size();
        QCOMPARE(picture.size(), QSize(window.width() + 80, window.height() + 111 + 80));
        const QColor margin = picture.pixelColor(5, picture.height() - 5);
        QCOMPARE(margin.red(), 18);
        QCOMPARE(margin.green(), 18);
        // Inside the window area: its background.
        QCOMPARE(picture.pixelColor(60, picture.height() - 60), QColor(0x1F, 0x1F, 0x23));
    }
};

QUILLET_QUICK_TEST_MAIN(TestOnboardingWindow)
#include "tst_onboardingwindow.moc"
