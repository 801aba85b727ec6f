#include "app/HotKeyCenter.h"
#include "app/ShortcutTakeover.h"
#include "platform/GlobalKeyGrabber.h"
#include "platform/KeyTable.h"
#include "platform/Preferences.h"
#include "platform/fake/MemoryShortcutStore.h"
#include "settings/ShortcutRecorder.h"

#include "TestEnv.h"
#include "XTestInput.h"

#include <QKeyEvent>
#include <QProcess>
#include <QWindow>

namespace {
constexpr uint32_t controlL = 0xffe3, altL = 0xffe9, shiftL = 0xffe1, letterT = 0x74,
                   letterX = 0x78, digit2 = 0x32;

// Remembers the keys a window is given.
struct KeyLog : QObject {
    QList<int> keys;
    bool eventFilter(QObject *o, QEvent *e) override
    {
        if (e->type() == QEvent::KeyPress && o->isWindowType())
            keys << static_cast<QKeyEvent *>(e)->key();
        return false;
    }
};
} // namespace

class TestRecorderX11 : public QObject
{
    Q_OBJECT

private slots:
    void desktopCombinationsReachTheRecorderOnlyWhileItRecords()
    {
        XTestInput input;
        QVERIFY(input.isValid());
        // Another program holds Ctrl+Alt+T (Control 4 | Mod1 8), as terminals' launchers do.
        QProcess helper;
        helper.start(QDir(QCoreApplication::applicationDirPath()).filePath("../app/app_helper_grabkey"),
                     {QStringLiteral("74"), QStringLiteral("12")});
        QVERIFY(helper.waitForReadyRead(10000));
        QCOMPARE(helper.readAllStandardOutput().trimmed(), QByteArray("ready"));

        MemoryShortcutStore store;
        HotKeyCenter center(GlobalKeyGrabber::shared(), store);
        QList<CaptureAction> fired;
        center.onFire = [&](CaptureAction a) { fired << a; };
        center.registerAll();
        QCOMPARE(center.status(CaptureAction::areaToCanvas).kind, HotKeyCenter::Status::active);

        QWindow window;
        window.resize(320, 200);
        window.show();
        window.requestActivate();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        KeyLog log;
        window.installEventFilter(&log);

        ShortcutRecorder recorder;
        recorder.setWindow(&window);
        std::optional<Shortcut> taken;
        recorder.onRecord = [&](std::optional<Shortcut> s) { taken = s; };
        recorder.startRecording();
        input.chord({controlL, altL}, letterT);
        QTRY_VERIFY(taken.has_value());
        QCOMPARE(*taken, (Shortcut{KeyCode::T, Shortcut::Command | Shortcut::Option, "T"}));
        QVERIFY(!recorder.isRecording());
        QVERIFY(!GlobalKeyGrabber::shared().isSuspended());

        // Stopped: the other program has its keys again. A key nobody holds marks the end of
        // what the window is given.
        log.keys.clear();
        input.chord({controlL, altL}, letterT);
        input.keyDown(letterX);
        input.keyUp(letterX);
        QTRY_VERIFY(log.keys.contains(Qt::Key_X));
        QVERIFY(!log.keys.contains(Qt::Key_T));

        // And our own capture shortcut works again.
        input.chord({controlL, shiftL}, digit2);
        QTRY_COMPARE(fired, QList<CaptureAction>{CaptureAction::areaToCanvas});
        helper.closeWriteChannel();
        helper.waitForFinished(5000);
    }
};

QUILLET_TEST_MAIN(TestRecorderX11)
#include "tst_recorder_x11.moc"
