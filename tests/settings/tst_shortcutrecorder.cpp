#include "settings/ShortcutRecorder.h"
#include "app/ShortcutTakeover.h"
#include "platform/KeyTable.h"
#include "platform/fake/FakeKeyGrabber.h"

#include "TestEnv.h"

#include <QMouseEvent>
#include <QWindow>

Q_DECLARE_METATYPE(std::optional<Shortcut>)

class TestShortcutRecorder : public QObject
{
    Q_OBJECT
    FakeKeyGrabber grabber;
    std::unique_ptr<QWindow> window;
    std::unique_ptr<ShortcutRecorder> recorder;
    QList<std::optional<Shortcut>> recorded;
    QStringList refusals;
    int beeps = 0;
    int starts = 0;
    int ends = 0;

    void press(int key, Qt::KeyboardModifiers mods = Qt::NoModifier)
    {
        QTest::keyPress(window.get(), Qt::Key(key), mods);
    }
    void release(int key, Qt::KeyboardModifiers mods = Qt::NoModifier)
    {
        QTest::keyRelease(window.get(), Qt::Key(key), mods);
    }

private slots:
    void initTestCase()
    {
        GlobalKeyGrabber::setShared(&grabber);
        ShortcutRecorder::beep = [this] { ++beeps; };
    }
    void init()
    {
        window = std::make_unique<QWindow>();
        window->resize(300, 200);
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        recorder = std::make_unique<ShortcutRecorder>();
        recorder->setWindow(window.get());
        recorder->setShortcut(Shortcut{KeyCode::Digit2, Shortcut::Command | Shortcut::Shift, "2"});
        recorder->onRecord = [this](std::optional<Shortcut> s) { recorded << s; };
        recorder->onRefuse = [this](const QString &text) { refusals << text; };
        recorder->onStart = [this] { ++starts; };
        recorder->onEnd = [this] { ++ends; };
        recorded.clear();
        refusals.clear();
        beeps = starts = ends = 0;
    }
    void cleanup()
    {
        recorder.reset();
        QCOMPARE(ShortcutRecorder::suspensions(), 0);
        QVERIFY(!grabber.isSuspended());
    }

    void titlesFollowTheHeldModifiers()
    {
        QCOMPARE(recorder->title(), QStringLiteral("Ctrl+Shift+2"));
        recorder->toggle();
        QVERIFY(recorder->isRecording());
        QCOMPARE(starts, 1);
        QVERIFY(grabber.isSuspended());
        QCOMPARE(recorder->title(), QStringLiteral("Type shortcut"));
        press(Qt::Key_Control, Qt::ControlModifier);
        QCOMPARE(recorder->title(), QStringLiteral("Ctrl+"));
        press(Qt::Key_Shift, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(recorder->title(), QStringLiteral("Ctrl+Shift+"));
        QCOMPARE(recorder->heldModifiers(), Shortcut::Command | Shortcut::Shift);
        release(Qt::Key_Shift, Qt::ControlModifier | Qt::ShiftModifier);
        release(Qt::Key_Control, Qt::ControlModifier);
        QCOMPARE(recorder->title(), QStringLiteral("Type shortcut"));
        QVERIFY(recorder->isRecording());
    }

    // Each row: keys typed while recording; what the recorder holds and reports afterwards.
    void keys_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("mods");
        QTest::addColumn<bool>("stillRecording");
        QTest::addColumn<QString>("title");
        QTest::addColumn<int>("reports"); // onRecord calls
        QTest::addColumn<bool>("refused");

        const int ctrl = Qt::ControlModifier, alt = Qt::AltModifier, shift = Qt::ShiftModifier;
        QTest::newRow("alt A taken") << int(Qt::Key_A) << alt << false << "Alt+A" << 1 << false;
        QTest::newRow("shift A refused") << int(Qt::Key_A) << shift << true << "Type shortcut" << 0 << true;
        QTest::newRow("A alone refused") << int(Qt::Key_A) << 0 << true << "Type shortcut" << 0 << true;
        QTest::newRow("space refused") << int(Qt::Key_Space) << 0 << true << "Type shortcut" << 0 << true;
        QTest::newRow("F5 taken") << int(Qt::Key_F5) << 0 << false << "F5" << 1 << false;
        QTest::newRow("escape keeps") << int(Qt::Key_Escape) << 0 << false << "Ctrl+Shift+2" << 0 << false;
        QTest::newRow("delete clears") << int(Qt::Key_Backspace) << 0 << false << "Record shortcut" << 1 << false;
        QTest::newRow("forward delete clears") << int(Qt::Key_Delete) << 0 << false << "Record shortcut" << 1 << false;
        QTest::newRow("ctrl escape recorded") << int(Qt::Key_Escape) << ctrl << false
                                              << QString::fromUtf8("Ctrl+⎋") << 1 << false;
        QTest::newRow("ctrl shift digit named unshifted")
            << int(Qt::Key_At) << (ctrl | shift) << false << "Ctrl+Shift+2" << 1 << false;
        QTest::newRow("ctrl letter not a control character")
            << int(Qt::Key_K) << ctrl << false << "Ctrl+K" << 1 << false;
    }
    void keys()
    {
        QFETCH(int, key);
        QFETCH(int, mods);
        QFETCH(bool, stillRecording);
        QFETCH(QString, title);
        QFETCH(int, reports);
        QFETCH(bool, refused);
        recorder->startRecording();
        QTest::keyClick(window.get(), Qt::Key(key), Qt::KeyboardModifiers(mods));
        QCOMPARE(recorder->isRecording(), stillRecording);
        QCOMPARE(recorder->title(), title);
        QCOMPARE(recorded.size(), reports);
        QCOMPARE(refusals.size(), refused ? 1 : 0);
        QCOMPARE(beeps, refused ? 1 : 0);
        if (refused)
            QCOMPARE(refusals.first(), QStringLiteral("Add Ctrl, Super or Alt, or use a function key."));
        QCOMPARE(ends, stillRecording ? 0 : 1);
        if (key == Qt::Key_Backspace || key == Qt::Key_Delete) {
            QCOMPARE(recorded.first(), std::optional<Shortcut>());
            QVERIFY(!recorder->shortcut());
        }
        QCOMPARE(grabber.isSuspended(), stillRecording);
    }

    void refusalThenAcceptedCombination()
    {
        recorder->startRecording();
        press(Qt::Key_A, Qt::ShiftModifier);
        QVERIFY(recorder->isRecording());
        press(Qt::Key_A, Qt::AltModifier);
        QVERIFY(!recorder->isRecording());
        QCOMPARE(recorded.size(), 1);
        QCOMPARE(recorded.first(), (std::optional<Shortcut>(Shortcut{KeyCode::A, Shortcut::Option, "A"})));
    }

    void clicksOutsideTheAreaStopAndPass()
    {
        recorder->setArea(QRectF(10, 10, 100, 30));
        recorder->startRecording();
        QTest::mouseClick(window.get(), Qt::LeftButton, {}, QPoint(50, 20));
        QVERIFY(recorder->isRecording()); // inside: the click is for whatever toggles it
        int seen = 0;
        struct Counter : QObject {
            int *n;
            bool eventFilter(QObject *o, QEvent *e) override
            {
                if (e->type() == QEvent::MouseButtonPress && o->isWindowType())
                    ++*n;
                return false;
            }
        } counter;
        counter.n = &seen;
        window->installEventFilter(&counter);
        QTest::mouseClick(window.get(), Qt::LeftButton, {}, QPoint(200, 150));
        QVERIFY(!recorder->isRecording());
        QCOMPARE(seen, 1); // passed on
        QCOMPARE(recorder->title(), QStringLiteral("Ctrl+Shift+2"));
    }

    void twoRecordersSuspendOnce()
    {
        ShortcutRecorder other;
        recorder->startRecording();
        other.startRecording();
        QCOMPARE(ShortcutRecorder::suspensions(), 2);
        recorder->stopRecording();
        // The other one still records: the desktop's keys stay away from our grabs.
        QVERIFY(grabber.isSuspended());
        other.stopRecording();
        QVERIFY(!grabber.isSuspended());
    }

    void losingTheFocusStops()
    {
        recorder->startRecording();
        QGuiApplicationPrivate_setState(Qt::ApplicationInactive);
        QVERIFY(!recorder->isRecording());
        QGuiApplicationPrivate_setState(Qt::ApplicationActive);
    }

private:
    static void QGuiApplicationPrivate_setState(Qt::ApplicationState state)
    {
        emit qApp->applicationStateChanged(state);
    }
};

QUILLET_TEST_MAIN(TestShortcutRecorder)
#include "tst_shortcutrecorder.moc"
